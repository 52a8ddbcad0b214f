#include "framework/timer.h"

#include <map>

#include "framework/controls.h"

namespace quorvane {

namespace {
// Running timers by the identifier SetTimer gave them.
std::map<UINT_PTR, TTimer*>& RunningTimers()
{
    static auto* timers = new std::map<UINT_PTR, TTimer*>;
    return *timers;
}
}  // namespace

const TClassInfo& TTimer::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TTimer>("TTimer", &TComponent::StaticClass(), [](PropRegistrar<TTimer>& p) {
        p.Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
        p.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval);
        p.Method("OnTimer", [](const TTimer& t) { return static_cast<bool>(t.OnTimer); });
    });
    return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    Update();
}

TTimer::~TTimer()
{
    enabled_ = false;
    Update();
}

void TTimer::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    Update();
}

void TTimer::SetInterval(UINT value)
{
    if (value == interval_) return;
    interval_ = value;
    Update();
}

void TTimer::Update()
{
    if (id_) {
        KillTimer(nullptr, id_);
        RunningTimers().erase(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0 && !IsDestroying()) {
        id_ = SetTimer(nullptr, 0, interval_, TimerProcedure);
        if (!id_) throw Exception("Not enough timers available");
        RunningTimers()[id_] = this;
    }
}

void CALLBACK TTimer::TimerProcedure(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    try {
        auto& timers = RunningTimers();
        auto it = timers.find(id);
        if (it == timers.end()) {
            KillTimer(nullptr, id);
            return;
        }
        TTimer* timer = it->second;
        if (timer->OnTimer) timer->OnTimer(timer);
    } catch (...) {
        HandleCurrentException(nullptr);
    }
}

}  // namespace quorvane
