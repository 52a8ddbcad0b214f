// The skin of the control skinner tests: every frame of every control
// element in a colour of its own, loaded into a skin data component, a
// shown stage form the tests put their controls on, and pixel readers.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/forms.h"
#include "skin/data/skin_data.h"

namespace quorvane::controltest {

// Frame colours (frame numbers from 1).
COLORREF ArrowColour(int frame);        // Scrollbar strip, 23 frames
COLORREF TrackColour(bool vertical, int frame);  // HorzScroll / VertScroll
COLORREF ThumbColour(bool vertical, int frame);  // scroll thumbs, 3 frames
COLORREF SunkColour(int frame);         // SunkEdge
COLORREF ComboColour(int frame);        // ComboButton
COLORREF ExtraColour(int frame);        // ExtraImages
COLORREF EdgeColour(int frame);         // StatusBarEdges
COLORREF ProgressColour(int frame);     // Progress, 2 frames
COLORREF TrackbarThumbColour(int thumb, int frame);  // thumb: Horz, Vert, Left, Right, Up, Down
COLORREF UpDownColour(bool vertical, int frame);
COLORREF TabColour(int frame);
COLORREF PaneColour();
COLORREF HeaderColour(int frame);
COLORREF ButtonColour(int frame);
// Check box and radio button strips, 4 frames: normal, checked, disabled,
// disabled and checked.
COLORREF CheckColour(int frame);
COLORREF RadioColour(int frame);
inline constexpr COLORREF kFace = RGB(236, 233, 230);
inline constexpr COLORREF kShadow = RGB(120, 121, 122);
inline constexpr COLORREF kTrackGroove = RGB(77, 78, 79);
inline constexpr COLORREF kTrackGrooveVert = RGB(87, 88, 89);

// The package and the loaded component (not registered with a manager).
std::vector<uint8_t> ControlSkinPackage();
TSkinData& Skin();

// The shown form the tests place their controls on (kept for the run).
TForm* Stage();
void Pump(int milliseconds = 0);

// A control of type T placed on the stage at these bounds.
template <class T>
T* PlaceOnStage(int x, int y, int w, int h)
{
    TForm* form = Stage();
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(x, y, w, h);
    return control;
}

// A skinner of type S attached to the control with the test skin (no form
// engine, the control's own colour kept).
template <class S>
S* SkinOf(TControl* control)
{
    auto* skinner = new S(control);
    skinner->AttachControl(nullptr, &Skin(), false, nullptr);
    return skinner;
}
// Real input: mouse moves, buttons and keys through the input queue.
void MouseTo(POINT screen);
void MouseButton(bool down);
void Keys(std::initializer_list<WORD> keys);

// A pixel of a window as it is on the screen (client coordinates).
COLORREF ScreenPixel(HWND window, int x, int y);

// Keeps a test from hanging on a skinned window. Messages sent to the
// window nested deeper than maxDepth switch its skinner off (WM_SKINENABLE
// 0), so a runaway recursion unwinds; a modal loop (a platform tracking
// loop, say) still running when the time limit passes loses the mouse
// capture and gets a button-up, which ends it. Only one at a time.
class Watchdog {
public:
    Watchdog(HWND window, int maxDepth, DWORD limitMs);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    int DeepestNesting() const { return deepest_; }
    bool RunawayStopped() const { return runaway_; }
    bool ModalLoopEnded() const { return timedOut_; }

private:
    static LRESULT CALLBACK Before(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK After(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD);

    HWND window_;
    int maxDepth_;
    int depth_ = 0, deepest_ = 0;
    bool runaway_ = false, timedOut_ = false;
    HHOOK before_ = nullptr, after_ = nullptr;
    UINT_PTR timer_ = 0;
};

}  // namespace quorvane::controltest
