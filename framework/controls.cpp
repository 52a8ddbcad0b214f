#include "framework/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/window_slots.h"

namespace quorvane {

namespace {

// The control whose window is being created on this thread and the name of
// its window class; the creation hook (or, failing that, the window
// procedure at the first message) binds the new window to it.
thread_local TWinControl* t_creatingControl = nullptr;
thread_local const std::u16string* t_creatingClass = nullptr;

// The notification a parent is reflecting to a child right now (innermost).
struct Reflection {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    const Reflection* previous;
};
thread_local const Reflection* t_reflection = nullptr;
// The control under the mouse (enter/leave notices) and the graphic control
// that holds the mouse while a button is down.
thread_local TControl* t_mouseControl = nullptr;
thread_local TControl* t_captureControl = nullptr;

// Original procedures of the platform classes we superclass, by our class name.
struct OriginalProcedure {
    WNDPROC proc;
};
std::map<std::u16string, OriginalProcedure>& OriginalProcedures()
{
    static auto* procedures = new std::map<std::u16string, OriginalProcedure>;
    return *procedures;
}

const WCHAR* W(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

bool IsFrameworkNotice(UINT msg)
{
    return msg >= CM_BASE && msg < CN_BASE + 0x400;
}

bool IsReflectedRange(UINT msg)
{
    return msg >= CN_BASE && msg < CN_BASE + 0x400;
}

bool HasClassName(HWND window, const std::u16string& name)
{
    WCHAR className[256];
    const int length = GetClassNameW(window, className, 256);
    return length > 0 && std::u16string(reinterpret_cast<const char16_t*>(className), static_cast<size_t>(length)) == name;
}

}  // namespace

bool IsAccel(WPARAM charCode, const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const std::u16string next = Utf8ToUtf16(caption.substr(i + 1, 4));
        if (next.empty()) return false;
        const WPARAM upper = reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<WCHAR*>(static_cast<UINT_PTR>(next[0]))));
        const WPARAM wanted = reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<WCHAR*>(static_cast<UINT_PTR>(charCode & 0xFFFF))));
        return upper == wanted;
    }
    return false;
}

TShiftState ShiftStateFromMouseFlags(WPARAM flags)
{
    TShiftState shift = 0;
    if (flags & MK_SHIFT) shift |= 1u << ssShift;
    if (flags & MK_CONTROL) shift |= 1u << ssCtrl;
    if (flags & MK_LBUTTON) shift |= 1u << ssLeft;
    if (flags & MK_RBUTTON) shift |= 1u << ssRight;
    if (flags & MK_MBUTTON) shift |= 1u << ssMiddle;
    if (GetKeyState(VK_MENU) < 0) shift |= 1u << ssAlt;
    return shift;
}

namespace {

// The tag of the slot that leads from a window to its control.
const char kControlSlot = 0;

void UnbindWindow(HWND window)
{
    window_slots::Remove(window, &kControlSlot);
    RemovePropW(window, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(ControlAtom())));
}

}  // namespace

ATOM ControlAtom()
{
    static const ATOM atom = [] {
        char name[48];
        std::snprintf(name, sizeof name, "ControlOfs%.8llX%.8X",
                      static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetModuleHandleW(nullptr))),
                      static_cast<unsigned>(GetCurrentThreadId()));
        return GlobalAddAtomA(name);
    }();
    return atom;
}

TWinControl* FindControl(HWND window)
{
    if (!window) return nullptr;
    return static_cast<TWinControl*>(window_slots::Get(window, &kControlSlot));
}

TWinControl* ControlBeingCreated(HWND window)
{
    TWinControl* control = t_creatingControl;
    if (!control || !window) return control;
    if (control->handle_) return control->handle_ == window ? control : nullptr;
    return t_creatingClass && HasClassName(window, *t_creatingClass) ? control : nullptr;
}

bool IsReflectedNotification(const TMessage& message)
{
    const Reflection* reflection = t_reflection;
    return reflection && reflection->msg == message.msg && reflection->wParam == message.wParam &&
           reflection->lParam == message.lParam;
}

DWORD BiDiExStyle(TBiDiMode mode)
{
    switch (mode) {
    case bdRightToLeft:
        return WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
    case bdRightToLeftNoAlign:
        return WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
    case bdRightToLeftReadingOnly:
        return WS_EX_RTLREADING;
    default:
        return 0;
    }
}

TWinControl* FindVCLWindow(HWND window)
{
    for (; window; window = GetParent(window))
        if (TWinControl* control = FindControl(window)) return control;
    return nullptr;
}

void HandleCurrentException(TObject* sender) noexcept
{
    if (Application) Application->HandleException(sender);
}

// The one window procedure of every window the framework creates.
LRESULT CALLBACK FrameworkWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        TWinControl* control = FindControl(window);
        if (!control) {
            control = ControlBeingCreated(window);
            if (!control || control->handle_) {
                // A window of our class made by someone else: behave as the class would.
                WCHAR className[256];
                GetClassNameW(window, className, 256);
                auto& procedures = OriginalProcedures();
                auto it = procedures.find(reinterpret_cast<const char16_t*>(className));
                if (it != procedures.end() && it->second.proc) return CallWindowProcW(it->second.proc, window, msg, wParam, lParam);
                return DefWindowProcW(window, msg, wParam, lParam);
            }
            control->BindWindow(window);
        }
        if (Application && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
            if (HWND tip = Application->ExistingHintWindow()) {
                MSG relay{window, msg, wParam, lParam, 0, {}};
                SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
            }
        }
        TMessage message{msg, wParam, lParam, 0};
        const ColourContext colours(window);
        control->windowProc_(message);
        // The control may be gone now (a handler freed it); only the final
        // message still uses it, and that one arrives while it is alive.
        if (msg == WM_NCDESTROY) {
            UnbindWindow(window);
            if (FindControl(window) == nullptr && control->handle_ == window) control->handle_ = nullptr;
        }
        return message.result;
    } catch (...) {
        HandleCurrentException(nullptr);
        return 0;
    }
}

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
    switch (message.msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (message.msg == WM_LBUTTONDBLCLK) DblClick();
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
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message)
{
    (void)message;
}

// ---- TWinControl ------------------------------------------------------------

const TClassInfo& TWinControl::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TWinControl>("TWinControl", &TControl::StaticClass(), [](PropRegistrar<TWinControl>& p) {
            p.Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
            p.Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
            p.Method("OnEnter", [](const TWinControl& c) { return static_cast<bool>(c.OnEnter); });
            p.Method("OnExit", [](const TWinControl& c) { return static_cast<bool>(c.OnExit); });
        });
    return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    BeforeDestruction();
    // Children this control does not own go with it, as their windows do.
    while (!controls_.empty()) Free(controls_.back());
    DestroyHandle();
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount()) return nullptr;
    return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || control->parent_ == this) return;
    auto* moved = As<TWinControl>(control);
    const bool hadWindow = moved && moved->HandleAllocated();
    if (control->parent_) control->parent_->RemoveControl(control);
    controls_.push_back(control);
    control->parent_ = this;
    if (auto* win = As<TWinControl>(control)) tabList_.push_back(win);
    if (control->parentFont_) control->ParentFontChanged();
    if (control->parentColor_) control->ParentColorChanged();
    if (control->parentBiDiMode_) control->ParentBiDiModeChanged();
    if (control->parentShowHint_) {
        control->SetShowHint(ShowHint());
        control->parentShowHint_ = true;
    }
    control->UpdateAnchorRules();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
    if (HandleAllocated()) {
        if (auto* win = As<TWinControl>(control)) {
            if (win->HandleAllocated()) {
                ::SetParent(win->handle_, handle_);
            } else {
                win->CreateHandle();
                // Moved from a parent that had a window: its window (and
                // those of its children) are new ones.
                if (hadWindow) win->NotifyRecreated();
            }
        } else {
            control->Invalidate();
        }
    }
    if (control->align_ != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control)
{
    if (!control || control->parent_ != this) return;
    control->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
    control->parent_ = nullptr;
    if (auto* win = As<TWinControl>(control); win && win->HandleAllocated() && !win->IsDestroying())
        win->DestroyHandle();
    if (control->align_ != alNone) AlignControls();
}

int TWinControl::TabOrder() const
{
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

void TWinControl::SetTabStop(bool value)
{
    if (value == tabStop_) return;
    tabStop_ = value;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
        SetWindowLongPtrW(handle_, GWL_STYLE, value ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* child : tabList_) {
        list.push_back(child);
        child->GetTabOrderList(list);
    }
}

bool TWinControl::Focused() const
{
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (TWinControl* form = ParentForm(); form && form != this) static_cast<TForm*>(form)->SetActiveControl(this);
    ::SetFocus(Handle());
}

HWND TWinControl::Handle()
{
    if (!handle_) CreateHandle();
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.caption = Utf8ToUtf16(text_);
    params.style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) params.style |= WS_VISIBLE;
    if (!Enabled()) params.style |= WS_DISABLED;
    if (tabStop_) params.style |= WS_TABSTOP;
    params.exStyle |= BiDiExStyle(BiDiMode());
    params.x = Left();
    params.y = Top();
    params.width = Width();
    params.height = WindowHeight();
    // CreateWnd fills it in when the parent's window is still to come.
    if (Parent()) params.parentWindow = Parent()->WindowHandle();
}

void TWinControl::CreateHandle()
{
    if (handle_) return;
    // Parents first: creating the parent's window creates ours with it.
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->CreateHandle();
        if (handle_) return;
    }
    CreateWnd();
    CreateChildHandles();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (Parent() && !params.parentWindow) params.parentWindow = Parent()->Handle();
    if ((params.style & WS_CHILD) && !params.parentWindow)
        throw Exception("Control '" + Name() + "' has no parent window");

    // Our window class is named after the framework class; a wrapped
    // platform class is superclassed so every message reaches our procedure.
    const std::u16string className = Utf8ToUtf16(ClassName());
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    auto& procedures = OriginalProcedures();
    auto known = procedures.find(className);
    if (known == procedures.end()) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        WNDPROC original = DefWindowProcW;
        if (!params.wrappedClass.empty()) {
            if (!GetClassInfoExW(nullptr, W(params.wrappedClass), &wc) &&
                !GetClassInfoExW(instance, W(params.wrappedClass), &wc))
                throw Exception("Window class " + Utf16ToUtf8(params.wrappedClass) + " is not available");
            original = wc.lpfnWndProc;
            wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
        } else {
            wc.style = params.classStyle;
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = params.background;
        }
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = FrameworkWindowProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = W(className);
        wc.lpszMenuName = nullptr;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw Exception("Cannot register window class " + ClassName());
        known = procedures.emplace(className, OriginalProcedure{original}).first;
    }
    defWndProc_ = known->second.proc;

    SetLastError(0);
    HWND window = CreateWindowFor(params, className, instance);
    if (!window) {
        // A hook may have refused the window after it was bound. Under Wine,
        // a top-level window also fails (error 0) while the program shares a
        // server whose desktop was made by a program without an X display.
        const DWORD error = GetLastError();
        handle_ = nullptr;
        throw Exception("Cannot create a window for " + ClassName() + " '" + Name() + "' (CreateWindowEx error " +
                        std::to_string(error) + ")");
    }
    if (!handle_) BindWindow(window);
    CreateWindowHandle(params);
}

HWND TWinControl::CreateWindowFor(const TCreateParams& params, const std::u16string& className, HINSTANCE instance)
{
    // While the window is created a hook of this thread binds it at
    // HCBT_CREATEWND. Hooks run newest first, so every hook installed
    // before (a skin manager's) already finds the control from the window.
    TWinControl* const previous = t_creatingControl;
    const std::u16string* const previousClass = t_creatingClass;
    t_creatingControl = this;
    t_creatingClass = &className;
    HHOOK hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    HWND window = CreateWindowExW(params.exStyle, W(className), W(params.caption), params.style, params.x, params.y,
                                  params.width, params.height, params.parentWindow, params.menuOrId, instance, nullptr);
    if (hook) UnhookWindowsHookEx(hook);
    t_creatingControl = previous;
    t_creatingClass = previousClass;
    return window;
}

LRESULT CALLBACK TWinControl::CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        TWinControl* control = t_creatingControl;
        if (control && !control->handle_ && !FindControl(window) && t_creatingClass &&
            HasClassName(window, *t_creatingClass))
            control->BindWindow(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TWinControl::BindWindow(HWND window)
{
    handle_ = window;
    SetPropW(window, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(ControlAtom())), this);
    window_slots::Set(window, &kControlSlot, this);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    (void)params;
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    InitializeWindow();
    UpdateHintTool();
    for (TControl* child : controls_)
        if (!child->Is<TWinControl>() && !child->Hint().empty()) child->UpdateHintTool();
}

void TWinControl::CreateChildHandles()
{
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children)
        if (auto* win = As<TWinControl>(child); win && !win->HandleAllocated()) win->CreateHandle();
    UpdateZOrder();
}

void TWinControl::UpdateZOrder()
{
    // Later controls sit above earlier ones, as they are painted.
    HWND after = HWND_TOP;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (auto* win = As<TWinControl>(*it); win && win->handle_) {
            SetWindowPos(win->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            after = win->handle_;
        }
}

void TWinControl::DestroyWnd()
{
    // Keep the text the window held.
    if (handle_) text_ = GetText();
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    for (TControl* child : controls_)
        if (auto* win = As<TWinControl>(child)) win->DestroyWnd();
    DestroyWnd();
    if (!Hint().empty() && Application)
        if (HWND tip = Application->ExistingHintWindow()) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.hwnd = handle_;
            info.uId = reinterpret_cast<UINT_PTR>(handle_);
            SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
    HWND window = handle_;
    DestroyWindowHandle();
    // WM_NCDESTROY has unbound it; be sure even when it did not arrive.
    if (handle_ == window) {
        UnbindWindow(window);
        handle_ = nullptr;
    }
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* child : all) child->handle_ = nullptr;
}

void TWinControl::DestroyWindowHandle()
{
    DestroyWindow(handle_);
}

void TWinControl::BiDiModeChanged()
{
    if (!handle_) return;
    const LONG_PTR exStyle = GetWindowLongPtrW(handle_, GWL_EXSTYLE);
    const LONG_PTR wanted = (exStyle & ~static_cast<LONG_PTR>(kBiDiExStyles)) | static_cast<LONG_PTR>(BiDiExStyle(BiDiMode()));
    if (wanted == exStyle) return;
    SetWindowLongPtrW(handle_, GWL_EXSTYLE, wanted);
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::RecreateWnd()
{
    if (!handle_) return;
    recreating_ = true;
    const bool hadFocus = Focused();
    DestroyHandle();
    recreating_ = false;
    CreateHandle();
    if (hadFocus) ::SetFocus(handle_);
    NotifyRecreated();
}

void TWinControl::NotifyRecreated()
{
    // The children's windows went and came back with this one.
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* child : all)
        if (child->handle_) child->Perform(CM_RECREATEWND, 0, 0);
    if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

int TWinControl::ClientWidth() const
{
    if (handle_) {
        RECT rect{};
        GetClientRect(handle_, &rect);
        return rect.right - rect.left;
    }
    return TControl::ClientWidth();
}

int TWinControl::ClientHeight() const
{
    if (handle_) {
        RECT rect{};
        GetClientRect(handle_, &rect);
        return rect.bottom - rect.top;
    }
    return TControl::ClientHeight();
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (left == Left() && top == Top() && width == Width() && height == Height()) return;
    StoreBounds(left, top, width, height);
    if (handle_) {
        SetWindowPos(handle_, nullptr, left, top, std::max(width, 0), std::max(WindowHeight(), 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        AlignControls();
    }
    if (!inAnchoring_) UpdateAnchorRules();
    BoundsChanged();
    if (Parent() && Align() != alNone && !inAnchoring_) Parent()->AlignControls();
    if (Parent()) Parent()->ControlBoundsChanged(this);
}

void TWinControl::SetVisible(bool visible)
{
    if (visible == Visible()) return;
    TControl::SetVisible(visible);
    if (handle_) ShowWindow(handle_, visible ? (Parent() ? SW_SHOWNA : SW_SHOW) : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled)
{
    if (enabled == Enabled()) return;
    if (handle_) EnableWindow(handle_, enabled);
    TControl::SetEnabled(enabled);
}

void TWinControl::Invalidate()
{
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update()
{
    if (handle_) UpdateWindow(handle_);
}

std::string TWinControl::GetText() const
{
    if (!handle_) return text_;
    const int length = GetWindowTextLengthW(handle_);
    if (length <= 0) return {};
    std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(handle_, reinterpret_cast<WCHAR*>(buffer.data()), length + 1);
    buffer.resize(static_cast<size_t>(std::max(copied, 0)));
    return Utf16ToUtf8(buffer);
}

void TWinControl::FontChanged()
{
    if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
    TControl::FontChanged();
}

void TWinControl::Notification(TComponent* component, TOperation operation)
{
    TControl::Notification(component, operation);
}

void TWinControl::SystemColoursChanged()
{
    // Children first: a list view's colours are set before its parent repaints around it.
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SystemColoursChanged();
    const ColourContext colours(handle_);
    TControl::SystemColoursChanged();
    if (handle_) RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

HBRUSH TWinControl::ColorBrush()
{
    // Keyed on the painted colour: a system colour changes with the window's skin.
    const COLORREF colour = ColorToRGB(Color(), handle_);
    if (!brush_ || brushColor_ != colour) {
        brush_.reset(CreateSolidBrush(colour));
        brushColor_ = colour;
    }
    return brush_.get();
}

void TWinControl::EraseWithColor(TMessage& message)
{
    RECT rect{};
    GetClientRect(Handle(), &rect);
    FillRect(reinterpret_cast<HDC>(message.wParam), &rect, ColorBrush());
    message.result = 1;
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

void TWinControl::AlignControls()
{
    int clientWidth = ClientWidth(), clientHeight = ClientHeight();
    RECT rest{0, 0, clientWidth, clientHeight};
    AdjustClientRect(rest);
    // Aligned children take their strip of what is left, in this order.
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient})
        for (TControl* child : controls_) {
            if (child->Align() != pass || !child->Visible()) continue;
            int l = child->Left(), t = child->Top(), w = child->Width(), h = child->Height();
            switch (pass) {
            case alTop:
                l = rest.left, t = rest.top, w = rest.right - rest.left;
                rest.top += h;
                break;
            case alBottom:
                l = rest.left, t = rest.bottom - h, w = rest.right - rest.left;
                rest.bottom -= h;
                break;
            case alLeft:
                l = rest.left, t = rest.top, h = rest.bottom - rest.top;
                rest.left += w;
                break;
            case alRight:
                l = rest.right - w, t = rest.top, h = rest.bottom - rest.top;
                rest.right -= w;
                break;
            case alClient:
                l = rest.left, t = rest.top, w = rest.right - rest.left, h = rest.bottom - rest.top;
                break;
            default:
                break;
            }
            child->inAnchoring_ = true;
            child->SetBounds(l, t, w, h);
            child->inAnchoring_ = false;
        }
    for (TControl* child : controls_) {
        if (child->Align() != alNone) continue;
        if (IsLoading())
            child->UpdateAnchorRules();
        else
            child->AnchorTo(clientWidth, clientHeight);
    }
    ClientAreaAligned(rest);
}

void TWinControl::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0) return;
    for (TControl* child : controls_) {
        // Windows follow the scrolled pixels and report their new place
        // (WM_WINDOWPOSCHANGED); before the window exists, move the bounds.
        if (child->Is<TWinControl>() && handle_) continue;
        child->StoreBounds(child->left_ + dx, child->top_ + dy, child->width_, child->height_);
    }
    if (handle_) {
        ScrollWindowEx(handle_, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
        for (TControl* child : controls_)
            if (auto* win = As<TWinControl>(child); win && !win->handle_)
                win->StoreBounds(win->left_ + dx, win->top_ + dy, win->width_, win->height_);
    }
}

void TWinControl::WmSize()
{
    if (!handle_) return;
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    StoreBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    AlignControls();
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->Is<TWinControl>() || !c->Visible() || (!allowDisabled && !c->Enabled())) continue;
        const RECT bounds = c->BoundsRect();
        if (PtInRect(&bounds, point)) return c;
    }
    return nullptr;
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* c : controls_) {
        if (c->Is<TWinControl>() || !c->Visible()) continue;
        const RECT bounds = c->BoundsRect();
        if (!RectVisible(dc, &bounds)) continue;
        SavedDcState state(dc);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + c->Left(), origin.y + c->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::PaintHandler(TMessage& message)
{
    const bool hasGraphic =
        std::any_of(controls_.begin(), controls_.end(), [](TControl* c) { return !c->Is<TWinControl>() && c->Visible(); });
    if (!hasGraphic && !(message.wParam && defWndProc_ == DefWindowProcW)) {
        DefaultHandler(message);
        return;
    }
    if (message.wParam) {
        // Painting into a given DC (a skinner drawing the parent's
        // background): platform classes paint into it; DefWindowProc would
        // begin a real paint instead, so a window of our own class leaves
        // its background to WM_ERASEBKGND and paints only its children.
        if (defWndProc_ != DefWindowProcW) DefaultHandler(message);
        PaintControls(reinterpret_cast<HDC>(message.wParam));
        return;
    }
    // Let the window paint itself, then the windowless children over the
    // area that needed painting.
    UniqueRegion update(CreateRectRgn(0, 0, 0, 0));
    const int kind = GetUpdateRgn(handle_, update.get(), FALSE);
    DefaultHandler(message);
    if (kind == NULLREGION || kind == ERROR) return;
    WindowDc dc(handle_);
    SelectClipRgn(dc.get(), update.get());
    PaintControls(dc.get());
}

void TWinControl::MouseTracking(TMessage& message)
{
    if (message.msg == WM_MOUSEMOVE) {
        const POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        TControl* hit = ControlAtPos(point, true);
        if (!hit) hit = this;
        if (hit != t_mouseControl) {
            TControl* old = t_mouseControl;
            t_mouseControl = hit;
            if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
            if (t_mouseControl == hit) hit->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(hit));
        }
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = handle_;
        TrackMouseEvent(&track);
    } else if (message.msg == WM_MOUSELEAVE) {
        TControl* old = t_mouseControl;
        if (old && (old == this || old->Parent() == this) && !(old->Is<TWinControl>() && old != this)) {
            t_mouseControl = nullptr;
            old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        }
    }
}

bool TWinControl::ReflectToChild(TMessage& message)
{
    HWND child = nullptr;
    UINT reflected = CN_BASE + message.msg;
    switch (message.msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORDLG:
        child = reinterpret_cast<HWND>(message.lParam);
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(message.lParam);
        if (!header) return false;
        child = header->hwndFrom;
        if (child && !FindControl(child)) {
            // A platform control's tooltip notifies this window: give its
            // notices to the control that owns it.
            for (TWinControl* candidate : tabList_)
                if (candidate->HandleAllocated() && candidate->OwnTooltipWindow() == child) {
                    child = candidate->Handle();
                    break;
                }
        }
        break;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.lParam);
        if (!draw || draw->CtlType == ODT_MENU) return false;
        child = draw->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam);
        if (!measure || measure->CtlType == ODT_MENU || !handle_) return false;
        child = GetDlgItem(handle_, static_cast<int>(measure->CtlID));
        break;
    }
    case WM_DELETEITEM: {
        auto* del = reinterpret_cast<DELETEITEMSTRUCT*>(message.lParam);
        if (!del) return false;
        child = del->hwndItem;
        break;
    }
    case WM_COMPAREITEM: {
        auto* compare = reinterpret_cast<COMPAREITEMSTRUCT*>(message.lParam);
        if (!compare) return false;
        child = compare->hwndItem;
        break;
    }
    default:
        return false;
    }
    if (!child || child == handle_) return false;
    TWinControl* control = FindControl(child);
    if (!control && message.msg >= WM_CTLCOLORMSGBOX && message.msg <= WM_CTLCOLORSTATIC) {
        // A control's own inner window (a combo box's edit or list, which the
        // combo box forwards here) takes the colours of the control it belongs to.
        if (HWND owner = GetParent(child); owner && owner != handle_) control = FindControl(owner);
    }
    if (!control) return false;
    const Reflection mark{reflected, message.wParam, message.lParam, t_reflection};
    t_reflection = &mark;
    try {
        message.result = control->Perform(reflected, message.wParam, message.lParam);
    } catch (...) {
        t_reflection = mark.previous;
        throw;
    }
    t_reflection = mark.previous;
    return true;
}

void TWinControl::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        // Owner-drawn items of any framework menu, whoever's menu it is.
        if (DispatchMenuItemMessage(message)) return;
        if (ReflectToChild(message)) return;
        break;
    case WM_INITMENUPOPUP:
        DispatchMenuItemMessage(message);
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORDLG:
        if (ReflectToChild(message)) return;
        break;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLORDLG: {
        HDC dc = reinterpret_cast<HDC>(message.wParam);
        SetTextColor(dc, ColorToRGB(Font()->Color(), handle_));
        SetBkColor(dc, ColorToRGB(Color(), handle_));
        message.result = reinterpret_cast<LRESULT>(ColorBrush());
        return;
    }
    case WM_PAINT:
        PaintHandler(message);
        return;
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(message);
        if (!(reinterpret_cast<WINDOWPOS*>(message.lParam)->flags & SWP_NOSIZE) ||
            !(reinterpret_cast<WINDOWPOS*>(message.lParam)->flags & SWP_NOMOVE))
            WmSize();
        return;
    case WM_SETFOCUS:
        if (TWinControl* form = ParentForm(); form && form != this)
            form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
        Perform(CM_ENTER, 0, 0);
        break;
    case WM_KILLFOCUS:
        Perform(CM_EXIT, 0, 0);
        break;
    case CM_DIALOGCHAR: {
        // Offered to the children until one takes it.
        const std::vector<TControl*> children = controls_;
        for (TControl* child : children)
            if (child->Visible() && child->Enabled() && child->Perform(message.msg, message.wParam, message.lParam)) {
                message.result = 1;
                return;
            }
        return;
    }
    case CM_ENTER:
        if (OnEnter) OnEnter(this);
        break;
    case CM_EXIT:
        if (OnExit) OnExit(this);
        break;
    case WM_KEYDOWN:
        if (OnKeyDown) {
            WORD key = static_cast<WORD>(message.wParam);
            OnKeyDown(this, key, 0);
            if (key == 0) return;
            message.wParam = key;
        }
        break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        MouseTracking(message);
        break;
    case WM_CONTEXTMENU:
        if (PopupMenu() && (reinterpret_cast<HWND>(message.wParam) == handle_)) {
            POINT p{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
            if (p.x == -1 && p.y == -1) p = ClientToScreen({0, 0});
            PopupMenu()->SetPopupComponent(this);
            PopupMenu()->Popup(p.x, p.y);
            return;
        }
        break;
    default:
        break;
    }
    if (message.msg >= WM_MOUSEFIRST && message.msg <= WM_MOUSELAST && message.msg != WM_MOUSEWHEEL &&
        message.msg != WM_MOUSEHWHEEL) {
        // Windowless children get the mouse inside their bounds, or while
        // they hold it with a button down.
        const POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        TControl* target = t_captureControl && t_captureControl->Parent() == this ? t_captureControl : ControlAtPos(point);
        if (target && RoutesMouseToGraphicChildren()) {
            const bool down = message.msg == WM_LBUTTONDOWN || message.msg == WM_LBUTTONDBLCLK;
            const bool up = message.msg == WM_LBUTTONUP;
            if (down) {
                t_captureControl = target;
                SetCapture(handle_);
            }
            message.result = target->Perform(message.msg, message.wParam,
                                             MAKELPARAM(point.x - target->Left(), point.y - target->Top()));
            if (up && t_captureControl == target) {
                t_captureControl = nullptr;
                if (GetCapture() == handle_) ReleaseCapture();
                const RECT bounds = target->BoundsRect();
                if (PtInRect(&bounds, point) && target->Enabled()) target->Click();
            }
            return;
        }
    }
    TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (!handle_ || IsFrameworkNotice(message.msg)) return;
    message.result = CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, message.msg, message.wParam,
                                     message.lParam);
}

// ---- TGraphicControl ----------------------------------------------------------

const TClassInfo& TGraphicControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TGraphicControl", &TControl::StaticClass());
    return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Invalidate()
{
    TControl::Invalidate();
}

void TGraphicControl::Update()
{
    TControl::Update();
}

void TGraphicControl::WndProc(TMessage& message)
{
    if (message.msg == WM_PAINT && message.wParam) {
        HDC dc = reinterpret_cast<HDC>(message.wParam);
        canvas_.SetHandle(dc);
        canvas_.Font()->Assign(*Font());
        canvas_.SetBrushColor(Color());
        try {
            Paint(dc);
        } catch (...) {
            canvas_.SetHandle(nullptr);
            throw;
        }
        canvas_.SetHandle(nullptr);
        return;
    }
    TControl::WndProc(message);
}

// ---- TCustomControl -----------------------------------------------------------

const TClassInfo& TCustomControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TCustomControl", &TWinControl::StaticClass());
    return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_ERASEBKGND:
        EraseWithColor(message);
        return;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (message.wParam) {
            Paint(reinterpret_cast<HDC>(message.wParam));
            PaintControls(reinterpret_cast<HDC>(message.wParam));
        } else {
            PaintDc dc(Handle());
            Paint(dc.get());
            PaintControls(dc.get());
        }
        return;
    }
    default:
        TWinControl::WndProc(message);
    }
}

// ---- ScopedWindowProc ---------------------------------------------------------

namespace {
void CallNode(void* self, TMessage& message)
{
    auto* node = static_cast<WindowProcNode*>(self);
    if (node->handler)
        node->handler(message);
    else
        node->previous(message);
}
}  // namespace

ScopedWindowProc::ScopedWindowProc(TControl* control, TWndMethod replacement)
{
    Install(control, replacement);
}

ScopedWindowProc::~ScopedWindowProc()
{
    Restore();
}

void ScopedWindowProc::Install(TControl* control, TWndMethod replacement)
{
    Restore();
    if (!control) return;
    auto node = std::make_unique<WindowProcNode>();
    node->handler = replacement;
    node->previous = control->WindowProc();
    node->owner = this;
    control_ = control;
    node_ = node.get();
    previous_ = node->previous;
    control->windowProcNodes_.push_back(std::move(node));
    control->SetWindowProc(TWndMethod(node_, CallNode));
}

void ScopedWindowProc::Restore()
{
    if (!control_) return;
    auto& nodes = control_->windowProcNodes_;
    if (control_->WindowProc() == TWndMethod(node_, CallNode)) {
        control_->SetWindowProc(node_->previous);
        nodes.erase(std::find_if(nodes.begin(), nodes.end(), [&](const auto& n) { return n.get() == node_; }));
    } else {
        // Someone installed a handler after ours and holds ours as its
        // previous one: stay in the chain, passing everything on.
        node_->handler = {};
        node_->owner = nullptr;
    }
    control_ = nullptr;
    node_ = nullptr;
}

void ScopedWindowProc::CallPrevious(TMessage& message) const
{
    previous_(message);
}

}  // namespace quorvane
