#include "skin/data/optional_user32.h"

namespace quorvane {

namespace {

using GetScrollBarInfoFn = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
using TrackMouseEventFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
using GetComboBoxInfoFn = BOOL(WINAPI*)(HWND, PCOMBOBOXINFO);
using DisableGhostingFn = void(WINAPI*)();

// Loaded with the program (static initialisation) and freed when it ends.
class OptionalUser32 {
public:
    OptionalUser32() : library_(LoadLibraryW(L"user32.dll"))
    {
        if (library_ == nullptr) return;
        getScrollBarInfo = Find<GetScrollBarInfoFn>("GetScrollBarInfo");
        trackMouseEvent = Find<TrackMouseEventFn>("TrackMouseEvent");
        getComboBoxInfo = Find<GetComboBoxInfoFn>("GetComboBoxInfo");
        disableGhosting = Find<DisableGhostingFn>("DisableProcessWindowsGhosting");
    }
    ~OptionalUser32()
    {
        if (library_) FreeLibrary(library_);
    }
    OptionalUser32(const OptionalUser32&) = delete;
    OptionalUser32& operator=(const OptionalUser32&) = delete;

    GetScrollBarInfoFn getScrollBarInfo = nullptr;
    TrackMouseEventFn trackMouseEvent = nullptr;
    GetComboBoxInfoFn getComboBoxInfo = nullptr;
    DisableGhostingFn disableGhosting = nullptr;

private:
    template <typename Fn>
    Fn Find(const char* name)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
    }
    HMODULE library_;
};

const OptionalUser32& Functions()
{
    static const OptionalUser32 functions;
    return functions;
}

// Looked up at start-up rather than on first use.
[[maybe_unused]] const OptionalUser32& kLookedUpAtStart = Functions();

}  // namespace

bool HasGetScrollBarInfo() { return Functions().getScrollBarInfo != nullptr; }
bool HasTrackMouseEvent() { return Functions().trackMouseEvent != nullptr; }
bool HasGetComboBoxInfo() { return Functions().getComboBoxInfo != nullptr; }

bool OptionalGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info)
{
    const auto fn = Functions().getScrollBarInfo;
    return fn != nullptr && fn(window, objectId, info) != FALSE;
}

void RequestMouseLeave(HWND window)
{
    const auto fn = Functions().trackMouseEvent;
    if (fn == nullptr) return;
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = window;
    fn(&request);
}

bool OptionalGetComboBoxInfo(HWND window, COMBOBOXINFO* info)
{
    const auto fn = Functions().getComboBoxInfo;
    return fn != nullptr && fn(window, info) != FALSE;
}

bool OptionalDisableProcessWindowsGhosting()
{
    const auto fn = Functions().disableGhosting;
    if (fn == nullptr) return false;
    fn();
    return true;
}

}  // namespace quorvane
