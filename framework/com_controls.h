// Common controls over comctl32 and the rich edit control over riched20:
// track bar, tool bar and tool buttons, status bar, progress bar, rich edit.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "framework/collections.h"
#include "framework/controls.h"
#include "framework/image_list.h"
#include "framework/std_controls.h"
#include "framework/strings.h"

namespace quorvane {

// Loads comctl32's classes once.
void InitCommonControlsOnce();

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TWinControl {
    QUORVANE_CLASS(TTrackBar)
public:
    explicit TTrackBar(TComponent* owner);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int value);
    void SetMax(int value);
    void SetRange(int minValue, int maxValue);
    int Position() const { return position_; }
    // A position different from the current one runs the change handling.
    void SetPosition(int value);
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation value);
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark value);
    TTickStyle TickStyle() const { return tickStyle_; }
    void SetTickStyle(TTickStyle value);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int value);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    bool SliderVisible() const { return sliderVisible_; }

    void WndProc(TMessage& message) override;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    virtual void Changed();

private:
    int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1;
    int lineSize_ = 1, pageSize_ = 2;
    TTrackBarOrientation orientation_ = trHorizontal;
    TTickMark tickMarks_ = tmBottomRight;
    TTickStyle tickStyle_ = tsAuto;
    bool sliderVisible_ = true;
};

class TToolBar;
class TMenuItem;
class TPopupMenu;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar (a windowless control whose parent is the tool bar).
class TToolButton : public TGraphicControl {
    QUORVANE_CLASS(TToolButton)
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;

    void SetParent(TWinControl* parent) override;
    TToolBar* ToolBar() const { return toolBar_; }
    int Index() const;  // position on the tool bar, -1 when on none

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle style);
    bool Down() const { return down_; }
    void SetDown(bool down);
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool value) { grouped_ = value; }
    // The menu item whose sub-items a drop-down button shows.
    TMenuItem* MenuItem() const { return menuItem_; }
    void SetMenuItem(TMenuItem* item);
    // The popup menu a drop-down button shows (before MenuItem's).
    TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* menu);
    void SetEnabled(bool enabled) override;
    void SetVisible(bool visible) override;

    // The command identifier the tool bar knows this button by.
    int CommandId() const { return commandId_; }
    void Click() override;
    void Invalidate() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TToolBar;
    TToolBar* toolBar_ = nullptr;
    int imageIndex_ = -1;
    TToolButtonStyle style_ = tbsButton;
    bool down_ = false;
    bool grouped_ = false;
    TMenuItem* menuItem_ = nullptr;
    TPopupMenu* dropdownMenu_ = nullptr;
    int commandId_ = 0;
};

enum TEdgeBorderKind { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = unsigned;

// Custom-draw handlers of a tool bar (NM_CUSTOMDRAW): the whole bar before
// its buttons (its DC and client rectangle), and each button with the
// platform's draw record (DC, the button's rectangle in nmcd.rc, its state
// in nmcd.uItemState: CDIS_SELECTED, CDIS_HOT, CDIS_CHECKED, CDIS_DISABLED,
// CDIS_FOCUS...; text colours a handler may change). `defaultDraw` false
// skips the platform's drawing.
using TToolBarCustomDrawEvent = std::function<void(TToolBar* sender, const RECT& rect, HDC dc, bool& defaultDraw)>;
using TToolBarCustomDrawButtonEvent =
    std::function<void(TToolBar* sender, TToolButton* button, NMTBCUSTOMDRAW& draw, bool& defaultDraw)>;

class TToolBar : public TWinControl {
    QUORVANE_CLASS(TToolBar)
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TToolButton* Buttons(int index) const;
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TEdgeBorders EdgeBorders() const { return edgeBorders_; }
    void SetEdgeBorders(TEdgeBorders value);
    int ButtonWidth() const { return buttonWidth_; }
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonSize(int width, int height);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool value);
    TMenuItem* Menu() const { return menu_; }
    void SetMenu(TMenuItem* menu) { menu_ = menu; }

    // Rectangle of a button inside the bar (empty when hidden / no window).
    RECT ButtonRect(const TToolButton* button);

    void WndProc(TMessage& message) override;
    // The platform tool bar handles the mouse over its buttons itself.
    bool RoutesMouseToGraphicChildren() const override { return false; }
    HWND OwnTooltipWindow() override;

    TToolBarCustomDrawEvent OnCustomDraw;
    TToolBarCustomDrawButtonEvent OnCustomDrawButton;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TToolButton;
    void AddButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    void UpdateButton(TToolButton* button);
    void RebuildButtons();
    void ResizeToButtons();
    TToolButton* ButtonByCommand(int commandId) const;
    void CustomDraw(TMessage& message);

    std::vector<TToolButton*> buttons_;
    TImageList* images_ = nullptr;
    bool flat_ = false;
    bool autoSize_ = false;
    TEdgeBorders edgeBorders_ = 1u << ebTop;
    int buttonWidth_ = 23, buttonHeight_ = 22;
    bool transparent_ = false;
    bool showCaptions_ = false;
    TMenuItem* menu_ = nullptr;
    int nextCommandId_ = 1;
    std::u16string tipText_;
};

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

// A part of a status bar: its text, width and bevel, or drawn by the
// status bar's OnDrawPanel when its Style is psOwnerDraw.
class TStatusPanel : public TCollectionItem {
    QUORVANE_CLASS(TStatusPanel)
public:
    explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int Width() const { return width_; }
    void SetWidth(int width);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle style);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel bevel);
    // Follows the status bar unless set.
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);

private:
    friend class TStatusBar;
    TStatusBar* statusBar_ = nullptr;
    std::string text_;
    int width_ = 50;
    TStatusPanelStyle style_ = psText;
    TAlignment alignment_ = taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
};

using TStatusPanels = TOwnedCollection<TStatusPanel>;
// Draws an owner-drawn panel into sender's Canvas (bound to the DC); the
// rectangle is the panel's inside, in the bar's client coordinates.
using TDrawPanelEvent = std::function<void(TStatusBar* sender, TStatusPanel* panel, const RECT& rect)>;

class TStatusBar : public TWinControl {
    QUORVANE_CLASS(TStatusBar)
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    // One text over the whole bar instead of the panels.
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& text);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);
    TStatusPanels* Panels() const { return panels_.get(); }
    // A panel's rectangle as the platform lays it out (empty without one).
    RECT PanelRect(int index);
    // Bound to the DC while OnDrawPanel runs.
    TCanvas* Canvas() { return &canvas_; }
    // Runs OnDrawPanel for `panel` on `dc` (also for a painter drawing
    // the bar itself).
    void DrawPanel(HDC dc, TStatusPanel* panel, const RECT& rect);

    void WndProc(TMessage& message) override;
    TDrawPanelEvent OnDrawPanel;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void BiDiModeChanged() override;

private:
    friend class TStatusPanel;
    void PanelsChanged(TStatusPanel* panel);
    void PutParts();
    void PutPanelText(int index);

    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
    std::unique_ptr<TStatusPanels> panels_;
    TCanvas canvas_;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
    QUORVANE_CLASS(TProgressBar)
public:
    explicit TProgressBar(TComponent* owner);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int value);
    void SetMax(int value);
    void SetPosition(int value);
    // A vertical bar fills from the bottom.
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation value);
    // A continuous bar instead of blocks.
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool value);
    int Step() const { return step_; }
    void SetStep(int value) { step_ = value; }
    // Moves by Step, or by `delta`.
    void StepIt() { StepBy(step_); }
    void StepBy(int delta) { SetPosition(position_ + delta); }

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;

private:
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
    TProgressBarOrientation orientation_ = pbHorizontal;
    bool smooth_ = false;
};

class TRichEdit;

// Character attributes of a rich edit's selection.
class TTextAttributes : public TPersistent {
    QUORVANE_CLASS(TTextAttributes)
public:
    explicit TTextAttributes(TRichEdit* owner) : owner_(owner) {}
    TFontStyles Style() const;
    void SetStyle(TFontStyles style);
    TColor Color() const;
    void SetColor(TColor color);

private:
    TRichEdit* owner_;
};

// Lines() (from the memo) in update mode (BeginUpdate/EndUpdate) stop
// redrawing; selection positions count a line break as one character.
class TRichEdit : public TCustomMemo {
    QUORVANE_CLASS(TRichEdit)
public:
    explicit TRichEdit(TComponent* owner);
    ~TRichEdit() override;

    TTextAttributes* SelAttributes() const { return selAttributes_.get(); }
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool value) { plainText_ = value; }

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void ApplyTextLimit() override;

private:
    std::unique_ptr<TTextAttributes> selAttributes_;
    bool plainText_ = false;
};

}  // namespace quorvane
