#include "framework/scroll_controls.h"

#include <algorithm>

namespace quorvane {

namespace {
const std::vector<std::string> kKinds{"sbHorizontal", "sbVertical"};
}  // namespace

// ---- TScrollBar -----------------------------------------------------------------

const TClassInfo& TScrollBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TScrollBar>("TScrollBar", &TWinControl::StaticClass(), [](PropRegistrar<TScrollBar>& p) {
            p.Enumeration("Kind", kKinds, &TScrollBar::Kind, &TScrollBar::SetKind);
            p.Integer("Min", &TScrollBar::Min, &TScrollBar::SetMin);
            p.Integer("Max", &TScrollBar::Max, &TScrollBar::SetMax);
            p.Integer("Position", &TScrollBar::Position, &TScrollBar::SetPosition);
            p.Integer("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize);
            p.Integer("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange);
            p.Integer("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange);
            p.Method("OnChange", [](const TScrollBar& c) { return static_cast<bool>(c.OnChange); });
            p.Method("OnScroll", [](const TScrollBar& c) { return static_cast<bool>(c.OnScroll); });
        });
    return info;
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.wrappedClass = u"SCROLLBAR";
    params.style |= kind_ == sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::InitializeWindow()
{
    PutParams();
}

void TScrollBar::PutParams()
{
    if (!HandleAllocated()) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = min_;
    info.nMax = max_ + std::max(pageSize_ - 1, 0);
    info.nPage = static_cast<UINT>(pageSize_);
    info.nPos = position_;
    SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind kind)
{
    if (kind == kind_) return;
    kind_ = kind;
    // A bar turned on its side keeps its length.
    if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
    RecreateWnd();
}

void TScrollBar::SetParams(int position, int minValue, int maxValue)
{
    maxValue = std::max(minValue, maxValue);
    position = std::clamp(position, minValue, maxValue);
    const bool changed = position != position_;
    min_ = minValue;
    max_ = maxValue;
    position_ = position;
    PutParams();
    if (changed) Change();
}

void TScrollBar::SetPageSize(int value)
{
    value = std::clamp(value, 0, max_ - min_ + 1);
    if (value == pageSize_) return;
    pageSize_ = value;
    PutParams();
}

void TScrollBar::Change()
{
    if (OnChange) OnChange(this);
}

void TScrollBar::UserScroll(int request)
{
    int position = position_;
    switch (request) {
    case SB_LINEUP:
        position -= smallChange_;
        break;
    case SB_LINEDOWN:
        position += smallChange_;
        break;
    case SB_PAGEUP:
        position -= largeChange_;
        break;
    case SB_PAGEDOWN:
        position += largeChange_;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // The 32-bit track position (the message holds only 16 bits).
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_CTL, &info);
        position = info.nTrackPos;
        break;
    }
    case SB_TOP:
        position = min_;
        break;
    case SB_BOTTOM:
        position = max_;
        break;
    default:
        break;
    }
    position = std::clamp(position, min_, max_);
    if (request >= SB_LINEUP && request <= SB_ENDSCROLL && OnScroll) {
        // The handler may free the scroll bar.
        const std::weak_ptr<const bool> alive = Liveness();
        OnScroll(this, static_cast<TScrollCode>(request), position);
        if (alive.expired()) return;
    }
    if (request != SB_ENDSCROLL) SetPosition(position);
}

void TScrollBar::WndProc(TMessage& message)
{
    if (message.msg == CN_HSCROLL || message.msg == CN_VSCROLL) {
        UserScroll(LOWORD(message.wParam));
        message.result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TControlScrollBar ------------------------------------------------------------

const TClassInfo& TControlScrollBar::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TControlScrollBar>(
        "TControlScrollBar", &TPersistent::StaticClass(), [](PropRegistrar<TControlScrollBar>& p) {
            p.Enumeration("Kind", kKinds, &TControlScrollBar::Kind, nullptr);
            p.Integer("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition);
            p.Integer("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange);
            p.Integer("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement);
            p.Boolean("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible);
        });
    return info;
}

void TControlScrollBar::SetPosition(int value)
{
    control_->ScrollTo(this, value);
}

void TControlScrollBar::SetRange(int value)
{
    // A range set by the program turns the automatic one off.
    control_->autoScroll_ = false;
    range_ = std::max(value, 0);
    control_->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value)
{
    visible_ = value;
    control_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const
{
    HWND window = control_->WindowHandle();
    if (!window) return false;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    return style & (kind_ == sbHorizontal ? WS_HSCROLL : WS_VSCROLL);
}

// ---- TScrollingWinControl -----------------------------------------------------------

const TClassInfo& TScrollingWinControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TScrollingWinControl>(
        "TScrollingWinControl", &TWinControl::StaticClass(), [](PropRegistrar<TScrollingWinControl>& p) {
            p.Object<TControlScrollBar>("HorzScrollBar", &TScrollingWinControl::HorzScrollBar, nullptr);
            p.Object<TControlScrollBar>("VertScrollBar", &TScrollingWinControl::VertScrollBar, nullptr);
            p.Boolean("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll);
        });
    return info;
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner),
      horz_(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      vert_(std::make_unique<TControlScrollBar>(this, sbVertical))
{
}

TScrollingWinControl::~TScrollingWinControl()
{
    BeforeDestruction();
    DestroyHandle();
}

void TScrollingWinControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.style |= WS_CLIPCHILDREN;
}

void TScrollingWinControl::InitializeWindow()
{
    UpdateScrollBars();
}

void TScrollingWinControl::SetAutoScroll(bool value)
{
    if (value == autoScroll_) return;
    autoScroll_ = value;
    UpdateScrollBars();
}

void TScrollingWinControl::CalcAutoRange()
{
    int right = 0, bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (!child->Visible() || child->Align() == alClient) continue;
        if (child->Align() != alLeft && child->Align() != alRight) right = std::max(right, child->Left() + child->Width());
        if (child->Align() != alTop && child->Align() != alBottom) bottom = std::max(bottom, child->Top() + child->Height());
    }
    // Children sit where the scrolled contents put them.
    horz_->range_ = right + horz_->position_;
    vert_->range_ = bottom + vert_->position_;
}

void TScrollingWinControl::UpdateScrollBars()
{
    HWND window = WindowHandle();
    if (!window || updating_ || IsDestroying()) return;
    updating_ = true;
    if (autoScroll_) CalcAutoRange();
    // Showing one bar narrows the client area, which may call for the other:
    // two rounds settle it.
    for (int round = 0; round < 2; ++round)
        for (TControlScrollBar* bar : {horz_.get(), vert_.get()}) {
            RECT client{};
            GetClientRect(window, &client);
            const int page = bar->kind_ == sbHorizontal ? client.right : client.bottom;
            const int limit = std::max(bar->range_ - page, 0);
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = 0;
            info.nMax = bar->visible_ && bar->range_ > page ? bar->range_ - 1 : 0;
            info.nPage = bar->visible_ && bar->range_ > page ? static_cast<UINT>(page) : 0;
            if (bar->position_ > limit) {
                const int old = bar->position_;
                bar->position_ = limit;
                if (bar->kind_ == sbHorizontal)
                    ScrollBy(old - limit, 0);
                else
                    ScrollBy(0, old - limit);
            }
            info.nPos = bar->position_;
            SetScrollInfo(window, bar->kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &info, TRUE);
        }
    updating_ = false;
}

void TScrollingWinControl::ScrollTo(TControlScrollBar* bar, int position)
{
    int page = bar->kind_ == sbHorizontal ? ClientWidth() : ClientHeight();
    position = std::clamp(position, 0, std::max(bar->range_ - page, 0));
    if (position == bar->position_) return;
    const int delta = bar->position_ - position;
    bar->position_ = position;
    if (bar->kind_ == sbHorizontal)
        ScrollBy(delta, 0);
    else
        ScrollBy(0, delta);
    if (HWND window = WindowHandle()) {
        SetScrollPos(window, bar->kind_ == sbHorizontal ? SB_HORZ : SB_VERT, position, TRUE);
        UpdateWindow(window);
    }
}

void TScrollingWinControl::UserScroll(TControlScrollBar* bar, int request)
{
    const int page = bar->kind_ == sbHorizontal ? ClientWidth() : ClientHeight();
    int position = bar->position_;
    switch (request) {
    case SB_LINEUP:
        position -= bar->increment_;
        break;
    case SB_LINEDOWN:
        position += bar->increment_;
        break;
    case SB_PAGEUP:
        position -= page;
        break;
    case SB_PAGEDOWN:
        position += page;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), bar->kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &info);
        position = info.nTrackPos;
        break;
    }
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = bar->range_;
        break;
    default:
        return;
    }
    ScrollTo(bar, position);
}

void TScrollingWinControl::ScrollInView(TControl* control)
{
    if (!control || control->Parent() != this) return;
    const int width = ClientWidth(), height = ClientHeight();
    if (control->Left() < 0)
        ScrollTo(horz_.get(), horz_->position_ + control->Left());
    else if (control->Left() + control->Width() > width)
        ScrollTo(horz_.get(), horz_->position_ + std::min(control->Left(), control->Left() + control->Width() - width));
    if (control->Top() < 0)
        ScrollTo(vert_.get(), vert_->position_ + control->Top());
    else if (control->Top() + control->Height() > height)
        ScrollTo(vert_.get(), vert_->position_ + std::min(control->Top(), control->Top() + control->Height() - height));
}

void TScrollingWinControl::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        // Our own window bars (a child's bar arrives with its handle).
        if (message.lParam == 0) {
            UserScroll(message.msg == WM_HSCROLL ? horz_.get() : vert_.get(), LOWORD(message.wParam));
            message.result = 0;
            return;
        }
        break;
    case WM_MOUSEWHEEL:
        if (vert_->range_ > ClientHeight()) {
            const int notches = static_cast<short>(HIWORD(message.wParam)) / WHEEL_DELTA;
            ScrollTo(vert_.get(), vert_->position_ - notches * 3 * vert_->increment_);
            message.result = 0;
            return;
        }
        break;
    case WM_ERASEBKGND:
        EraseWithColor(message);
        return;
    case WM_SIZE:
        TWinControl::WndProc(message);
        UpdateScrollBars();
        return;
    case CM_CONTROLLISTCHANGE:
        TWinControl::WndProc(message);
        // Told before a child leaves and after one arrives.
        if (message.lParam) UpdateScrollBars();
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

void TScrollingWinControl::ControlBoundsChanged(TControl* child)
{
    (void)child;
    if (autoScroll_) UpdateScrollBars();
}

// ---- TScrollBox ------------------------------------------------------------------

const TClassInfo& TScrollBox::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TScrollBox>("TScrollBox", &TScrollingWinControl::StaticClass(), [](PropRegistrar<TScrollBox>& p) {
            p.Enumeration("BorderStyle", {"bsNone", "bsSingle"}, &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle);
        });
    return info;
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner)
{
    StoreBounds(0, 0, 185, 41);
}

void TScrollBox::CreateParams(TCreateParams& params)
{
    TScrollingWinControl::CreateParams(params);
    if (borderStyle_ == bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_ || (style != bsNone && style != bsSingle)) return;
    borderStyle_ = style;
    RecreateWnd();
}

// ---- TFrame ----------------------------------------------------------------------

const TClassInfo& TCustomFrame::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TCustomFrame", &TScrollingWinControl::StaticClass());
    return info;
}

TCustomFrame::TCustomFrame(TComponent* owner) : TScrollingWinControl(owner)
{
    StoreBounds(0, 0, 320, 240);
    SetParentColor(true);
    SetParentFont(true);
}

const TClassInfo& TFrame::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TFrame", &TCustomFrame::StaticClass());
    return info;
}

TFrame::TFrame(TComponent* owner) : TCustomFrame(owner) {}

}  // namespace quorvane
