// A timer component: OnTimer every Interval milliseconds while Enabled,
// delivered by the message loop of the thread that created it.
#pragma once
#include <windows.h>

#include "framework/component.h"

namespace quorvane {

class TTimer : public TComponent {
    QUORVANE_CLASS(TTimer)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Milliseconds; 0 stops the timer. A change restarts the count.
    UINT Interval() const { return interval_; }
    void SetInterval(UINT value);

    // An exception from OnTimer goes to the application's error box.
    TNotifyEvent OnTimer;

private:
    static void CALLBACK TimerProcedure(HWND window, UINT msg, UINT_PTR id, DWORD time) noexcept;
    void Update();

    bool enabled_ = true;
    UINT interval_ = 1000;
    UINT_PTR id_ = 0;
};

}  // namespace quorvane
