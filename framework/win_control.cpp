// TWinControl: children, tab order, focus, size, colour and alignment.

#include "framework/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/forms.h"
#include "framework/message_box.h"

namespace quorvane {

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

}  // namespace quorvane
