// TControl: the base of every control, windowed or not.

#include "framework/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/control_internals.h"
#include "framework/forms.h"
#include "framework/message_box.h"
#include "framework/menus.h"

namespace quorvane {

using namespace control_internals;

// ---- TControl ---------------------------------------------------------------

const TClassInfo& TControl::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TControl>("TControl", &TComponent::StaticClass(), [](PropRegistrar<TControl>& p) {
            p.Integer("Left", &TControl::Left, &TControl::SetLeft);
            p.Integer("Top", &TControl::Top, &TControl::SetTop);
            p.Integer("Width", &TControl::Width, &TControl::SetWidth);
            p.Integer("Height", &TControl::Height, &TControl::SetHeight);
            p.Integer("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth);
            p.Integer("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight);
            p.Enumeration("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, &TControl::Align,
                          &TControl::SetAlign);
            p.Set("Anchors", {"akLeft", "akTop", "akRight", "akBottom"}, &TControl::Anchors, &TControl::SetAnchors);
            p.Boolean("Visible", &TControl::Visible, &TControl::SetVisible);
            p.Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled);
            p.Integer("Color", &TControl::Color, &TControl::SetColor);
            p.Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
            p.Object<TFont>("Font", &TControl::Font, &TControl::SetFont);
            p.Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
            p.AnsiText("Hint", &TControl::Hint, &TControl::SetHint);
            p.Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
            p.Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint);
            p.Enumeration("BiDiMode",
                          {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
                          &TControl::BiDiMode, &TControl::SetBiDiMode);
            p.Boolean("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode);
            p.Method("OnClick", [](const TControl& c) { return static_cast<bool>(c.OnClick); });
            p.Method("OnDblClick", [](const TControl& c) { return static_cast<bool>(c.OnDblClick); });
            p.Method("OnMouseDown", [](const TControl& c) { return static_cast<bool>(c.OnMouseDown); });
            p.Method("OnMouseUp", [](const TControl& c) { return static_cast<bool>(c.OnMouseUp); });
            p.Method("OnMouseMove", [](const TControl& c) { return static_cast<bool>(c.OnMouseMove); });
        });
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>())
{
    windowProc_ = DefaultWindowProc();
    font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl()
{
    // Owned components (skinners and the like) go while this is still a control.
    BeforeDestruction();
    if (t_mouseControl == this) t_mouseControl = nullptr;
    if (t_captureControl == this) t_captureControl = nullptr;
    if (!hint_.empty()) UpdateHintTool();  // destroying: removes the tool
    if (parent_) parent_->RemoveControl(this);
    for (auto& node : windowProcNodes_)
        if (node->owner) {
            node->owner->control_ = nullptr;
            node->owner->node_ = nullptr;
        }
}

TWndMethod TControl::DefaultWindowProc()
{
    return MakeWndMethod<&TControl::MainWndProc>(this);
}

void TControl::MainWndProc(TMessage& message)
{
    // Reflected notices carry pointers (a CN_NOTIFY's lParam is a notify
    // header); the same number sent by someone else carries anything.
    if (IsReflectedRange(message.msg) && !IsReflectedNotification(message)) {
        DefaultHandler(message);
        return;
    }
    WndProc(message);
}

void TControl::SetWindowProc(TWndMethod method)
{
    windowProc_ = method ? method : DefaultWindowProc();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    windowProc_(message);
    return message.result;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_) return;
    if (parent == this) throw Exception("A control cannot be its own parent");
    auto* windowed = As<TWinControl>(this);
    const bool hadWindow = windowed && windowed->HandleAllocated();
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
    // Leaving the old parent took the window; the new parent made a new one.
    if (hadWindow && parent_ == parent && windowed->HandleAllocated()) windowed->NotifyRecreated();
}

TWinControl* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return c->Is<TForm>() ? const_cast<TWinControl*>(static_cast<const TWinControl*>(c)) : nullptr;
}

void TControl::StoreBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    StoreBounds(left, top, width, height);
    Invalidate();
    if (!hint_.empty()) UpdateHintTool();
    if (!inAnchoring_) UpdateAnchorRules();
    BoundsChanged();
    if (parent_ && align_ != alNone && !inAnchoring_) parent_->AlignControls();
    if (parent_) parent_->ControlBoundsChanged(this);
}

int TControl::ClientWidth() const
{
    return width_;
}

int TControl::ClientHeight() const
{
    return height_;
}

void TControl::SetClientWidth(int value)
{
    SetWidth(width_ - ClientWidth() + value);
}

void TControl::SetClientHeight(int value)
{
    SetHeight(height_ - ClientHeight() + value);
}

POINT TControl::ClientOrigin() const
{
    if (const auto* self = As<TWinControl>(const_cast<TControl*>(this)); self && self->HandleAllocated()) {
        POINT origin{0, 0};
        ::ClientToScreen(const_cast<TWinControl*>(self)->Handle(), &origin);
        return origin;
    }
    if (!parent_) return {left_, top_};
    POINT origin = parent_->ClientOrigin();
    return {origin.x + left_, origin.y + top_};
}

POINT TControl::ClientToScreen(POINT point) const
{
    const POINT origin = ClientOrigin();
    return {point.x + origin.x, point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT point) const
{
    const POINT origin = ClientOrigin();
    return {point.x - origin.x, point.y - origin.y};
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::SetAnchors(TAnchors anchors)
{
    if (anchors == anchors_) return;
    anchors_ = anchors;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
    if (!parent_) return;
    const int parentWidth = parent_->ClientWidth();
    const int parentHeight = parent_->ClientHeight();
    if (parentWidth <= 0 || parentHeight <= 0) {
        anchorParentWidth_ = anchorParentHeight_ = 0;
        return;
    }
    anchorParentWidth_ = parentWidth;
    anchorParentHeight_ = parentHeight;
    anchorRight_ = parentWidth - (left_ + width_);
    anchorBottom_ = parentHeight - (top_ + height_);
    anchorCentreX_ = (left_ + width_ / 2.0) / parentWidth;
    anchorCentreY_ = (top_ + height_ / 2.0) / parentHeight;
}

void TControl::AnchorTo(int parentClientWidth, int parentClientHeight)
{
    if (align_ != alNone) return;
    if (anchorParentWidth_ <= 0 || anchorParentHeight_ <= 0) {
        UpdateAnchorRules();
        return;
    }
    int left = left_, top = top_, width = width_, height = height_;
    const bool l = InSet(anchors_, akLeft), r = InSet(anchors_, akRight);
    const bool t = InSet(anchors_, akTop), b = InSet(anchors_, akBottom);
    if (l && r)
        width = std::max(parentClientWidth - left - anchorRight_, 0);
    else if (r)
        left = parentClientWidth - anchorRight_ - width;
    else if (!l)
        left = static_cast<int>(anchorCentreX_ * parentClientWidth - width / 2.0 + 0.5);
    if (t && b)
        height = std::max(parentClientHeight - top - anchorBottom_, 0);
    else if (b)
        top = parentClientHeight - anchorBottom_ - height;
    else if (!t)
        top = static_cast<int>(anchorCentreY_ * parentClientHeight - height / 2.0 + 0.5);
    inAnchoring_ = true;
    try {
        SetBounds(left, top, width, height);
    } catch (...) {
        inAnchoring_ = false;
        throw;
    }
    inAnchoring_ = false;
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_) return;
    visible_ = visible;
    if (parent_) parent_->Invalidate();
    if (!hint_.empty()) UpdateHintTool();
    Perform(CM_VISIBLECHANGED, visible, 0);
    if (parent_ && align_ != alNone) parent_->AlignControls();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor color)
{
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
    Perform(CM_COLORCHANGED, 0, 0);
    if (auto* self = As<TWinControl>(this))
        for (int i = 0; i < self->ControlCount(); ++i) self->Controls(i)->ParentColorChanged();
}

void TControl::SystemColoursChanged()
{
    ColorChanged();
    Perform(CM_SYSCOLORCHANGE, 0, 0);
}

void TControl::SetParentColor(bool value)
{
    parentColor_ = value;
    if (value) ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!parentColor_ || !parent_) return;
    SetColor(parent_->Color());
    parentColor_ = true;
}

void TControl::SetBiDiMode(TBiDiMode mode)
{
    parentBiDiMode_ = false;
    if (mode == biDiMode_) return;
    biDiMode_ = mode;
    BiDiModeChanged();
    Perform(CM_BIDIMODECHANGED, 0, 0);
    if (auto* self = As<TWinControl>(this))
        for (int i = 0; i < self->ControlCount(); ++i) self->Controls(i)->ParentBiDiModeChanged();
}

void TControl::SetParentBiDiMode(bool value)
{
    parentBiDiMode_ = value;
    if (value) ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged()
{
    if (!parentBiDiMode_ || !parent_) return;
    SetBiDiMode(parent_->BiDiMode());
    parentBiDiMode_ = true;
}

void TControl::SetFont(TFont* font)
{
    if (font) font_->Assign(*font);
}

void TControl::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!parentFont_ || !parent_) return;
    font_->Assign(*parent_->Font());
    parentFont_ = true;
}

void TControl::FontChanged()
{
    // The program set a font of its own: children following this one follow
    // the new font, and this one no longer follows its parent.
    if (parent_ && !(parent_->Font()->FontName() == font_->FontName() && parent_->Font()->Height() == font_->Height() &&
                     parent_->Font()->Style() == font_->Style() && parent_->Font()->Color() == font_->Color() &&
                     parent_->Font()->Charset() == font_->Charset()))
        parentFont_ = false;
    Invalidate();
    Perform(CM_FONTCHANGED, 0, 0);
    if (auto* self = As<TWinControl>(this))
        for (int i = 0; i < self->ControlCount(); ++i) self->Controls(i)->ParentFontChanged();
}

void TControl::SetText(const std::string& text)
{
    if (text == GetText()) return;
    text_ = text;
    if (auto* self = As<TWinControl>(this); self && self->HandleAllocated())
        SetWindowTextW(self->Handle(), W(Utf8ToUtf16(text)));
    Perform(CM_TEXTCHANGED, 0, 0);
    TextChanged();
}

void TControl::SetHint(const std::string& hint)
{
    if (hint == hint_) return;
    hint_ = hint;
    UpdateHintTool();
}

void TControl::SetShowHint(bool value)
{
    parentShowHint_ = false;
    if (value == showHint_) return;
    showHint_ = value;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
    UpdateHintTool();
    if (auto* self = As<TWinControl>(this)) {
        for (int i = 0; i < self->ControlCount(); ++i)
            if (self->Controls(i)->parentShowHint_) {
                self->Controls(i)->SetShowHint(value);
                self->Controls(i)->parentShowHint_ = true;
            }
    }
}

void TControl::SetParentShowHint(bool value)
{
    parentShowHint_ = value;
    if (value && parent_) {
        SetShowHint(parent_->ShowHint());
        parentShowHint_ = true;
    }
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    popupMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::Invalidate()
{
    if (parent_ && visible_ && parent_->HandleAllocated()) {
        const RECT bounds = BoundsRect();
        InvalidateRect(parent_->Handle(), &bounds, TRUE);
    }
}

void TControl::Update()
{
    if (parent_) parent_->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::WndProc(TMessage& message)
{
    const int x = GET_X_LPARAM(message.lParam), y = GET_Y_LPARAM(message.lParam);
    // Every event below may free this control (a close button freeing its
    // panel); the platform's handling then no longer applies.
    const std::weak_ptr<const bool> alive = Liveness();
    switch (message.msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (message.msg == WM_LBUTTONDBLCLK) {
            DblClick();
            if (alive.expired()) return;
        }
        MouseDown(mbLeft, ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case WM_RBUTTONDOWN:
        MouseDown(mbRight, ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case WM_MBUTTONDOWN:
        MouseDown(mbMiddle, ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case WM_LBUTTONUP:
        MouseUp(mbLeft, ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case WM_RBUTTONUP:
        MouseUp(mbRight, ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case WM_MOUSEMOVE:
        MouseMove(ShiftStateFromMouseFlags(message.wParam), x, y);
        break;
    case CM_MOUSEENTER:
        mouseInControl_ = true;
        if (OnMouseEnter) OnMouseEnter(this);
        break;
    case CM_MOUSELEAVE:
        mouseInControl_ = false;
        if (OnMouseLeave) OnMouseLeave(this);
        break;
    default:
        break;
    }
    if (alive.expired()) return;
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message)
{
    (void)message;
}

void TControl::UpdateHintTool()
{
    if (!Application) return;
    HWND owner = nullptr;
    UINT_PTR id = 0;
    UINT flags = 0;
    RECT rect{};
    if (auto* self = As<TWinControl>(this)) {
        if (!self->HandleAllocated()) return;
        owner = self->Handle();
        id = reinterpret_cast<UINT_PTR>(owner);
        flags = TTF_IDISHWND;
    } else {
        // A windowless control is a rectangle of its parent's window.
        if (!parent_ || !parent_->HandleAllocated() || !parent_->RoutesMouseToGraphicChildren()) return;
        owner = parent_->Handle();
        id = reinterpret_cast<UINT_PTR>(this);
        rect = BoundsRect();
    }
    const bool wanted = showHint_ && !hint_.empty() && visible_ && !IsDestroying() && Application->ShowHint();
    HWND tip = wanted ? Application->HintWindow() : Application->ExistingHintWindow();
    if (!tip) return;
    std::u16string text = Utf8ToUtf16(hint_);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = flags;
    info.hwnd = owner;
    info.uId = id;
    info.rect = rect;
    info.lpszText = reinterpret_cast<WCHAR*>(text.data());
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (wanted) SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace quorvane
