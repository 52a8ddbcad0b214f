#pragma once

// The drawn scroll bar: a small window of our own laid over one platform
// scroll bar (a control's window bar or a scroll bar control), painting the
// skin there. It has no scrolling logic: a press on it is handed to the
// control as a press on its own bar, so the platform's tracking runs, and
// the drawn bar shows what the control reports. The skinners that own drawn
// bars are in scrollbar_skinners.h.

#include <windows.h>

#include <memory>

#include "skin/controls/drawn_window.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class OffscreenPicture;

// The parts of a bar; the numbers are the platform's scroll request codes,
// so a WM_HSCROLL / WM_VSCROLL code can be stored as the active part.
enum TScrollPart : int {
    spNone = -1,
    spFirstArrow = 0,   // up or left
    spSecondArrow = 1,  // down or right
    spPageBefore = 2,
    spPageAfter = 3,
    spThumb = 5,
};

// Which bar a TWScrollbar stands for.
enum TDrawnBarKind : int { sbkHorizontal = 0, sbkVertical = 1, sbkControl = 2 };

// Where the platform has a bar and its thumb. Positions along the axis are
// counted from the bar's start (the first arrow included).
struct ScrollBarGeometry {
    bool visible = false;
    bool enabled = true;
    RECT bar{0, 0, 0, 0};  // screen coordinates
    int length = 0;
    int thumbStart = 0, thumbEnd = 0;
};

// The drawn bar over one platform bar. Its window is a child of the
// control's parent, kept directly in front of the control.
class TWScrollbar : public TDrawnWindow {
public:
    TWScrollbar(TSkinControl& skinner, int kind);
    ~TWScrollbar();
    TWScrollbar(const TWScrollbar&) = delete;
    TWScrollbar& operator=(const TWScrollbar&) = delete;

    // Binds to a control object or to a bare window; places the bar.
    void BindControl(TControl* control);
    void BindHandle(HWND handle);
    // Places the drawn bar over the platform's, or hides it when the
    // platform shows none.
    void UpdateBar();
    void HideBar();
    // The part under a point of the drawn bar (its client coordinates).
    int PartAtPoint(POINT point) const;
    // Paints now: into dc (the drawn bar's client coordinates) or, when dc
    // is null, straight onto the drawn bar.
    void Paint(HDC dc = nullptr) override;
    // Paints again when the platform's bar changed since the last paint
    // (position, range, page, state); true when it painted.
    bool Refresh();
    void SetActivePart(int part);
    // A scroll request (WM_HSCROLL/WM_VSCROLL code) the control reported:
    // the part it names becomes the active one only while the drawn bar is
    // pressed; the bar is repainted either way.
    void FollowScrollRequest(int code);

    // What the platform reports now (false: no information).
    bool QueryGeometry(ScrollBarGeometry& geometry) const;
    // The thumb as the drawn bar shows it: the platform's, or while the
    // thumb is dragged, where the cursor has taken it.
    void ShownThumb(const ScrollBarGeometry& geometry, int& start, int& end) const;

    int Kind() const { return kind_; }
    bool Vertical() const { return vertical_; }
    bool Showing() const { return showing_; }
    bool Pressed() const { return pressed_; }
    int ActivePart() const { return activePart_; }
    int ArrowSize() const { return arrowSize_; }
    HWND ControlHandle() const { return controlHandle_; }
    // The bar in the control's window coordinates (valid while showing).
    const RECT& BarRect() const { return barRect_; }

private:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateBarWindow(HWND parent);
    void MouseDown(LPARAM lParam);
    void MouseUp();
    void CheckRelease();
    void Draw(HDC dc, const ScrollBarGeometry& geometry, int width, int height);
    // The numbers the last paint showed, to tell whether a repaint is due.
    struct Snapshot {
        SCROLLINFO info{};
        DWORD state = 0;
        int active = spNone;
        bool pressed = false;
        bool operator==(const Snapshot& other) const;
    };
    // known: the geometry just read, so it is not asked for twice.
    Snapshot TakeSnapshot(const ScrollBarGeometry* known = nullptr) const;
    // The skin colour, track and arrows: all the picture but the thumb,
    // which is all a drag step changes. Kept from paint to paint and drawn
    // again only when something it shows changed.
    struct BaseKey {
        int width = 0, height = 0, breadth = 0, length = 0, arrow = 0, firstFrame = 0, secondFrame = 0;
        bool enabled = false;
        const void* skin = nullptr;
        HBITMAP strip = nullptr, track = nullptr;
        COLORREF face = 0;
        bool operator==(const BaseKey&) const = default;
    };
    void DrawBase(HDC dc, const BaseKey& key) const;

    TSkinControl& skinner_;
    int kind_;
    bool vertical_;
    HWND controlHandle_ = nullptr;
    TControl* control_ = nullptr;
    int arrowSize_;
    RECT barRect_{0, 0, 0, 0};
    POINT origin_{0, 0};
    POINT cursorAtPress_{0, 0};
    int thumbAtPress_ = 0;
    int activePart_ = spNone;
    bool showing_ = false;
    bool pressed_ = false;
    bool busy_ = false;
    bool releaseSeen_ = false;
    Snapshot painted_;
    std::unique_ptr<OffscreenPicture> base_;
    BaseKey baseKey_;
    bool baseValid_ = false;
};

}  // namespace quorvane
