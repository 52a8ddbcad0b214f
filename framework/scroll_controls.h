// Scrolling: the scroll bar control (the platform's SCROLLBAR class), and
// containers that scroll their children with their own window scroll bars:
// the scroll box and the frame.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "framework/controls.h"
#include "framework/forms.h"

namespace quorvane {

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* sender, TScrollCode code, int& scrollPos)>;

// A stand-alone scroll bar. Position runs from Min to Max; PageSize is the
// part of the range one page shows (the thumb's length), so the platform
// bar is given Max + PageSize - 1 as its top and Max stays reachable.
class TScrollBar : public TWinControl {
    QUORVANE_CLASS(TScrollBar)
public:
    explicit TScrollBar(TComponent* owner);

    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind kind);
    int Min() const { return min_; }
    void SetMin(int value) { SetParams(position_, value, std::max(value, max_)); }
    int Max() const { return max_; }
    void SetMax(int value) { SetParams(position_, std::min(min_, value), value); }
    int Position() const { return position_; }
    // A new position runs OnChange.
    void SetPosition(int value) { SetParams(value, min_, max_); }
    void SetParams(int position, int minValue, int maxValue);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = value; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = value; }

    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;
    // Every scroll request of the user, with the position it leads to; the
    // handler may change that position.
    TScrollEvent OnScroll;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    virtual void Change();

private:
    void PutParams();
    void UserScroll(int request);

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0;
    int smallChange_ = 1, largeChange_ = 1;
};

class TScrollingWinControl;

// One of a scrolling container's two window scroll bars.
class TControlScrollBar : public TPersistent {
    QUORVANE_CLASS(TControlScrollBar)
public:
    TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind) : control_(control), kind_(kind) {}

    TScrollBarKind Kind() const { return kind_; }
    // How far the contents are scrolled, in pixels.
    int Position() const { return position_; }
    void SetPosition(int value);
    // The contents' extent; with AutoScroll the extent of the children.
    int Range() const { return range_; }
    void SetRange(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = std::max(value, 1); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Whether the bar shows now (the range exceeds the client size).
    bool IsScrollBarVisible() const;

private:
    friend class TScrollingWinControl;
    TScrollingWinControl* control_;
    TScrollBarKind kind_;
    int position_ = 0;
    int range_ = 0;
    int increment_ = 8;
    bool visible_ = true;
};

class TScrollingWinControl : public TWinControl {
    QUORVANE_CLASS(TScrollingWinControl)
public:
    explicit TScrollingWinControl(TComponent* owner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
    TControlScrollBar* VertScrollBar() const { return vert_.get(); }
    // The ranges follow the children's extent.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool value);
    // Scrolls so that `control` lies inside the client area.
    void ScrollInView(TControl* control);
    // Sets both bars from the ranges and the client size.
    void UpdateScrollBars();

    void WndProc(TMessage& message) override;
    void ControlBoundsChanged(TControl* child) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;

private:
    friend class TControlScrollBar;
    void ScrollTo(TControlScrollBar* bar, int position);
    void UserScroll(TControlScrollBar* bar, int request);
    void CalcAutoRange();

    std::unique_ptr<TControlScrollBar> horz_;
    std::unique_ptr<TControlScrollBar> vert_;
    bool autoScroll_ = true;
    bool updating_ = false;
};

class TScrollBox : public TScrollingWinControl {
    QUORVANE_CLASS(TScrollBox)
public:
    explicit TScrollBox(TComponent* owner);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }  // bsNone or bsSingle
    void SetBorderStyle(TFormBorderStyle style);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TFormBorderStyle borderStyle_ = bsSingle;
};

// A container of controls made once and placed on forms: the frame owns
// the components made with it as their owner, and follows its parent's
// colour and font.
class TCustomFrame : public TScrollingWinControl {
    QUORVANE_CLASS(TCustomFrame)
public:
    explicit TCustomFrame(TComponent* owner);
};

class TFrame : public TCustomFrame {
    QUORVANE_CLASS(TFrame)
public:
    explicit TFrame(TComponent* owner);
};

}  // namespace quorvane
