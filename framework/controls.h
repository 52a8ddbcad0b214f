// Controls: windowless (graphic) controls painted by their parent and
// windowed controls over Win32 windows. Every message of a control passes
// through its replaceable WindowProc; the default is WndProc, which ends in
// DefaultHandler (for windowed controls: the wrapped class's own procedure).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/messages.h"

namespace quorvane {

class TWinControl;
class TPopupMenu;
class ScopedWindowProc;

LRESULT CALLBACK FrameworkWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

// One replacement installed through ScopedWindowProc; owned by the control
// so that a replacement removed out of order can stay in the chain as a
// pass-through for as long as the control lives.
struct WindowProcNode {
    TWndMethod handler;   // empty once its owner has gone: pass everything on
    TWndMethod previous;
    ScopedWindowProc* owner = nullptr;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = unsigned;  // SetOf<TAnchorKind>
inline constexpr TAnchors kDefaultAnchors = (1u << akLeft) | (1u << akTop);
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateKind { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = unsigned;  // SetOf<TShiftStateKind>

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;

// True when `caption` marks `charCode` as its accelerator ("&Play" and 'p').
bool IsAccel(WPARAM charCode, const std::string& caption);

// Shift state from the MK_* flags of a mouse message.
TShiftState ShiftStateFromMouseFlags(WPARAM flags);

class TControl : public TComponent {
    QUORVANE_CLASS(TControl)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form (top-level parent) this control sits on, or null.
    TWinControl* ParentForm() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }

    // Client size: the window's client area once it exists.
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    RECT ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
    POINT ClientOrigin() const;  // client (0,0) in screen coordinates
    POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent visible (and the top window shown).
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // The system colours this control paints with changed (its window was
    // skinned, re-skinned or given back): colours are applied again and the
    // control repaints; a windowed control passes it on to its children.
    virtual void SystemColoursChanged();
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* font);  // copies
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);

    // Caption and Text are the same text (UTF-8); a windowed control reads
    // its window's text once the window exists.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& text) { SetText(text); }
    std::string Text() const { return GetText(); }
    void SetText(const std::string& text);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);

    // Reading order. A windowed control carries it as the extended styles
    // BiDiExStyle gives, also when it changes while the window exists.
    // With ParentBiDiMode (the default) a control follows its parent;
    // setting BiDiMode turns that off.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    bool IsRightToLeft() const { return biDiMode_ != bdLeftToRight; }
    bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }
    bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }
    bool UseRightToLeftScrollBar() const
    {
        return biDiMode_ == bdRightToLeft || biDiMode_ == bdRightToLeftNoAlign;
    }

    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    // The current message handler. Save it, install another and call the
    // saved one from it; put the saved one back to undo.
    TWndMethod WindowProc() const { return windowProc_; }
    void SetWindowProc(TWndMethod method);
    // The handler every control starts with (WndProc of this object).
    TWndMethod DefaultWindowProc();

    // Sends a message straight into WindowProc (no window involved).
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Default handling, the end of the WindowProc chain.
    virtual void WndProc(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }

    // The control's own mouse handling (also called by skinners that swallow
    // a mouse message and forward it).
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();

    // The mouse is over this control (between CM_MOUSEENTER and CM_MOUSELEAVE).
    bool MouseInControl() const { return mouseInControl_; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Adds, refreshes or removes this control's tool in the application's
    // hint window (a windowless control is a rectangle of its parent).
    void UpdateHintTool();

    // Re-captures the anchor distances from the current bounds and the
    // parent's client size (done after every move made by the program).
    void UpdateAnchorRules();
    // Applies Anchors for a parent whose client area is now w x h.
    void AnchorTo(int parentClientWidth, int parentClientHeight);

protected:
    void Notification(TComponent* component, TOperation operation) override;

    virtual std::string GetText() const { return text_; }
    virtual void TextChanged() {}
    virtual void FontChanged();
    virtual void ColorChanged() { Invalidate(); }
    // After BiDiMode changed (a windowed control updates its window).
    virtual void BiDiModeChanged() {}
    // After the bounds changed (the window has been moved already).
    virtual void BoundsChanged() {}
    // Sets the stored bounds without moving any window.
    void StoreBounds(int left, int top, int width, int height);

    std::string text_;
    bool inAnchoring_ = false;

private:
    friend class TWinControl;
    friend class ScopedWindowProc;
    friend LRESULT CALLBACK FrameworkWindowProcedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    void ParentFontChanged();
    void ParentColorChanged();
    void ParentBiDiModeChanged();
    // The start of the control's own handling: a number of the reflected
    // range that did not come from reflection goes to DefaultHandler only.
    void MainWndProc(TMessage& message);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_ = kDefaultAnchors;
    // Anchor distances captured by UpdateAnchorRules.
    int anchorParentWidth_ = 0, anchorParentHeight_ = 0;
    int anchorRight_ = 0, anchorBottom_ = 0;  // distances to the right/bottom edges
    double anchorCentreX_ = 0, anchorCentreY_ = 0;  // centre as a fraction of the parent
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    TPopupMenu* popupMenu_ = nullptr;
    TWndMethod windowProc_;
    std::vector<std::unique_ptr<WindowProcNode>> windowProcNodes_;
    bool mouseInControl_ = false;
};

// Window creation parameters, adjusted by each class in CreateParams.
struct TCreateParams {
    std::u16string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parentWindow = nullptr;
    HMENU menuOrId = nullptr;
    // The platform class this control wraps ("BUTTON", "msctls_trackbar32"...);
    // empty for a window class of our own.
    std::u16string wrappedClass;
    UINT classStyle = CS_DBLCLKS;
    HBRUSH background = nullptr;  // own classes only
};

class TWinControl : public TControl {
    QUORVANE_CLASS(TWinControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created on first use (with the parent's windows first).
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // The window if it exists, without creating it.
    HWND WindowHandle() const { return handle_; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    // Destroys and creates the window again (keeping text and state), then
    // sends CM_RECREATEWND.
    void RecreateWnd();
    // CM_RECREATEWND to every windowed control inside this one, then to
    // this one: their windows have been made anew.
    void NotifyRecreated();

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    // Every windowed control inside this one, nested, in tab order.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;

    bool Focused() const;
    bool CanFocus() const;
    virtual void SetFocus();

    // Paints the visible graphic children into `dc` (origin = this client
    // area), in z-order.
    void PaintControls(HDC dc);
    // The visible (and, unless allowDisabled, enabled) graphic child at a
    // client point, topmost first; null when none.
    TControl* ControlAtPos(POINT point, bool allowDisabled = false) const;

    int ClientWidth() const override;
    int ClientHeight() const override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    void Update() override;

    void WndProc(TMessage& message) override;
    // Ends in the wrapped class's (or DefWindowProc's) procedure.
    void DefaultHandler(TMessage& message) override;

    // Lays out aligned children and re-anchors the others, inside the area
    // AdjustClientRect leaves (a tab control's display area, say).
    void AlignControls();
    virtual void AdjustClientRect(RECT& rect) { (void)rect; }
    // A child was moved or sized by the program (a scrolling container
    // measures its contents again).
    virtual void ControlBoundsChanged(TControl* child) { (void)child; }
    // Moves every child by (dx, dy): windows with their pixels
    // (ScrollWindowEx), windowless children by their bounds.
    void ScrollBy(int dx, int dy);
    // A tooltip window of the platform control that notifies our parent
    // (a tool bar's); its notifications are reflected to this control.
    virtual HWND OwnTooltipWindow() { return nullptr; }
    // Mouse messages over a windowless child go to that child (a tool bar,
    // whose buttons the platform handles, answers false).
    virtual bool RoutesMouseToGraphicChildren() const { return true; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    std::string GetText() const override;
    void FontChanged() override;

public:
    void SystemColoursChanged() override;

protected:
    virtual void CreateParams(TCreateParams& params);
    // Creates the window (our class or a superclass of the wrapped one).
    virtual void CreateWnd();
    // After the window exists: fonts, text, state pushed into it.
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void InitializeWindow() {}
    // Before the window goes (RecreateWnd and DestroyHandle): save what
    // lives only inside the window.
    virtual void DestroyWnd();

    // Height given to the platform window (a combo box's includes its list).
    virtual int WindowHeight() const { return Height(); }
    // Destroys the window (DestroyWindow; an MDI child asks its client).
    virtual void DestroyWindowHandle();
    // After the aligned children took their strips: `rest` is the client
    // area left over (a form puts its MDI client there).
    virtual void ClientAreaAligned(const RECT& rest) { (void)rest; }
    void BiDiModeChanged() override;

    // Background brush for WM_CTLCOLOR* of this control (our Color).
    HBRUSH ColorBrush();
    // Answers WM_ERASEBKGND by filling the client area with our Color.
    void EraseWithColor(TMessage& message);

private:
    friend LRESULT CALLBACK FrameworkWindowProcedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    friend TWinControl* ControlBeingCreated(HWND window);
    // Binds the window being created to its control at HCBT_CREATEWND.
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void BindWindow(HWND window);
    HWND CreateWindowFor(const TCreateParams& params, const std::u16string& className, HINSTANCE instance);
    void CreateHandle();
    void CreateChildHandles();
    void HandleWindowMessage(TMessage& message);
    void PaintHandler(TMessage& message);
    void MouseTracking(TMessage& message);
    bool ReflectToChild(TMessage& message);
    void WmSize();
    void UpdateZOrder();

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;   // z-order: first is at the bottom
    std::vector<TWinControl*> tabList_; // windowed children in tab order
    bool tabStop_ = false;
    bool recreating_ = false;
    UniqueBrush brush_;
    COLORREF brushColor_ = CLR_INVALID;
};

// A windowless control: bounds inside its parent, painted by the parent.
class TGraphicControl : public TControl {
    QUORVANE_CLASS(TGraphicControl)
public:
    explicit TGraphicControl(TComponent* owner);

    void Invalidate() override;
    void Update() override;
    void WndProc(TMessage& message) override;
    // Paints into `dc`, whose origin is this control's top-left corner.
    virtual void Paint(HDC dc) { (void)dc; }
    TCanvas* Canvas() { return &canvas_; }

protected:
    TCanvas canvas_;
};

// A windowed control of our own window class that paints itself.
class TCustomControl : public TWinControl {
    QUORVANE_CLASS(TCustomControl)
public:
    explicit TCustomControl(TComponent* owner);
    void WndProc(TMessage& message) override;
    virtual void Paint(HDC dc) { (void)dc; }
};

// Replaces a control's WindowProc for its lifetime: saves the current one,
// installs `replacement`, CallPrevious() passes a message on, and the
// destructor puts the saved one back only if `replacement` is still the
// control's WindowProc (otherwise this stays a pass-through and the chain is
// left as later replacements made it). Follows the control's destruction.
class ScopedWindowProc {
public:
    ScopedWindowProc() = default;
    ScopedWindowProc(TControl* control, TWndMethod replacement);
    ScopedWindowProc(const ScopedWindowProc&) = delete;
    ScopedWindowProc& operator=(const ScopedWindowProc&) = delete;
    ~ScopedWindowProc();

    void Install(TControl* control, TWndMethod replacement);
    void Restore();
    void CallPrevious(TMessage& message) const;
    TWndMethod Previous() const { return previous_; }
    // Null once restored or once the control has been freed.
    TControl* Control() const { return control_; }

private:
    friend class TControl;
    TControl* control_ = nullptr;
    WindowProcNode* node_ = nullptr;
    TWndMethod previous_;
};

// The window property atom "ControlOfs%.8X%.8X" (module instance, thread id),
// added as a global atom on first use.
ATOM ControlAtom();
// The control object of a window the framework created, or null. A window
// is bound to its control as soon as it exists: a WH_CBT hook sees the
// control already at HCBT_CREATEWND, before the window's first message.
TWinControl* FindControl(HWND window);
// The control whose window is being created on this thread right now
// (between CreateWindowEx and its return), or null; with a window, only
// when that window is the one being created.
TWinControl* ControlBeingCreated(HWND window = nullptr);

// True when `message` is a notification the parent is reflecting to this
// control right now (CN_NOTIFY, CN_COMMAND...), false for a plain window
// message that happens to carry a number of the reflected range. Anyone
// who reads a reflected notice's parameters (a replacement WindowProc)
// checks this first.
bool IsReflectedNotification(const TMessage& message);

// The extended window styles of a reading order: right to left adds
// WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR, "no align" leaves
// out WS_EX_RIGHT, "reading only" is WS_EX_RTLREADING alone. (Never
// WS_EX_LAYOUTRTL: it mirrors the window's DC.)
DWORD BiDiExStyle(TBiDiMode mode);
inline constexpr DWORD kBiDiExStyles = WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
// The control of `window` or, failing that, of its nearest ancestor.
TWinControl* FindVCLWindow(HWND window);

// Delivers the exception in flight to the application's error box; use in
// every catch (...) at a procedure boundary.
void HandleCurrentException(TObject* sender = nullptr) noexcept;

}  // namespace quorvane
