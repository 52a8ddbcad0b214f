// Skinned scroll bars. A control's own scroll bars are drawn by the platform
// inside the control's frame, where no one else can repaint them, so the
// skinners lay a small window of their own (TWScrollbar) over each visible
// bar and paint the skin there. The drawn bar has no scrolling logic: a press
// on it is handed to the control as a press on its own bar, so the
// platform's tracking runs, and the drawn bar shows what the control reports.
//
//   TSkinScrollbar   a control object with window scroll bars (memo, list
//                    box, rich edit, grid, tree view, scroll box)
//   TSkinListView    the same plus the list view's header
//   TSkinScrollbarH  a bare window with window scroll bars
//   TSkinScControl   a scroll bar control
#pragma once
#include <windows.h>

#include <memory>

#include "skin/controls/drawn_window.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class OffscreenPicture;

class TSkinHeader;

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
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Snapshot painted_;
    std::unique_ptr<OffscreenPicture> base_;
    BaseKey baseKey_;
    bool baseValid_ = false;
};

// A control object with window scroll bars.
class TSkinScrollbar : public TSkinControl {
    QUORVANE_CLASS(TSkinScrollbar)
public:
    explicit TSkinScrollbar(TComponent* owner);
    ~TSkinScrollbar() override;

    // Same as AttachScrollbars (replaceColor is not used: FixedColor is
    // replaced when the control has one).
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    virtual void AttachScrollbars(TControl* control, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas);
    void Detach() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    void SkinChanged() override;

    void UpdateBars();
    // Repaints each showing bar whose platform bar changed.
    void RefreshBars();
    TWScrollbar* HorizontalBar() const { return horizontal_.get(); }
    TWScrollbar* VerticalBar() const { return vertical_.get(); }
    bool Bordered() const { return bordered_; }

protected:
    void PaintBorder(HDC windowDc);
    void FreeBars();

    std::unique_ptr<TWScrollbar> horizontal_;
    std::unique_ptr<TWScrollbar> vertical_;
    bool bordered_ = false;
    bool layoutChanged_ = false;
    bool fixedColorReplaced_ = false;
    int savedFixedColor_ = 0;
    LONG_PTR savedStyle_ = 0;
};

// A list view: its scroll bars and its header.
class TSkinListView : public TSkinScrollbar {
    QUORVANE_CLASS(TSkinListView)
public:
    explicit TSkinListView(TComponent* owner);
    void AttachScrollbars(TControl* control, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    TSkinHeader* Header() const { return header_; }

private:
    TSkinHeader* header_ = nullptr;  // a component of this skinner
};

// A bare window with window scroll bars.
class TSkinScrollbarH : public TSkinControl {
    QUORVANE_CLASS(TSkinScrollbarH)
public:
    explicit TSkinScrollbarH(TComponent* owner);
    ~TSkinScrollbarH() override;

    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    void Detach() override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    void SkinChanged() override;

    void UpdateBars();
    TWScrollbar* HorizontalBar() const { return horizontal_.get(); }
    TWScrollbar* VerticalBar() const { return vertical_.get(); }

private:
    std::unique_ptr<TWScrollbar> horizontal_;
    std::unique_ptr<TWScrollbar> vertical_;
};

// A scroll bar control.
class TSkinScControl : public TSkinControl {
    QUORVANE_CLASS(TSkinScControl)
public:
    explicit TSkinScControl(TComponent* owner);
    ~TSkinScControl() override;

    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachScrollControl(TControl* control, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas);
    void Detach() override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    void SkinChanged() override;
    TWScrollbar* Bar() const { return bar_.get(); }

private:
    std::unique_ptr<TWScrollbar> bar_;
};

}  // namespace quorvane
