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

#include "skin/controls/drawn_scrollbar.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinHeader;

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
