#include "skin/controls/scrollbar_skinners.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "framework/properties.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/control_paint.h"
#include "skin/controls/tab_skinners.h"
#include "skin/data/optional_user32.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

// Messages that come too often, or say nothing about the bars, to look at
// the platform bars after them. The scroll bar control's queries are among
// them: reading a bar sends them, so looking after them would never end.
bool IsQuietMessage(UINT msg)
{
    switch (msg) {
    case SBM_GETPOS:
    case SBM_GETRANGE:
    case SBM_GETSCROLLINFO:
    case SBM_GETSCROLLBARINFO:
    case WM_CTLCOLORSCROLLBAR:
    case WM_GETOBJECT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETDLGCODE:
    case WM_GETFONT:
    case WM_NCDESTROY:
    case WM_DESTROY:
    case WM_SKINQUERY:
        return true;
    default:
        return msg >= CM_BASE && msg < CN_BASE;
    }
}

}  // namespace

// ---- TSkinScrollbar ---------------------------------------------------------------

const TClassInfo& TSkinScrollbar::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinScrollbar", &TSkinControl::StaticClass());
    return info;
}

TSkinScrollbar::TSkinScrollbar(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbar::~TSkinScrollbar()
{
    // The bars' windows go first, while the control's parent still lives.
    FreeBars();
}

void TSkinScrollbar::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool, TCanvas* canvas)
{
    if (Attached()) return;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (control) AttachScrollbars(control, skinData, form, canvas);
}

void TSkinScrollbar::AttachScrollbars(TControl* control, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached() || !control || control != Owner()) return;
    auto* windowed = As<TWinControl>(control);
    if (!windowed || !windowed->Handle()) return;
    // A scroll box holds controls, not text: it takes the skin colour (its
    // labels with it), as the panels around it do.
    TSkinControl::AttachControl(form, skinData, control->InheritsFrom("TScrollingWinControl"), canvas);
    if (!Attached()) return;
    HWND window = Handle();
    bordered_ = Mode() != 1 && control->ClassName() != "TImageScrollBox";
    if (bordered_) {
        const std::string border = GetEnumPropName(control, "BorderStyle");
        bordered_ = !border.empty() && border != "bsNone" && border != "bsnone";
        // Controls without the property still have a border when their window has one.
        if (border.empty())
            bordered_ = (GetWindowLongPtrW(window, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 ||
                        (GetWindowLongPtrW(window, GWL_STYLE) & WS_BORDER) != 0;
    }
    if (const TPropInfo* fixed = FindPropInfo(control, "FixedColor"); fixed && fixed->kind == TPropKind::Integer) {
        savedFixedColor_ = GetIntProp(control, "FixedColor");
        fixedColorReplaced_ = true;
        SetPropText(control, "FixedColor", std::to_string(static_cast<int>(SkinFace(skinData))));
    }
    // The platform draws the control's own bars into the control's frame;
    // clipping siblings keeps it from drawing over the bars in front.
    savedStyle_ = GetWindowLongPtrW(window, GWL_STYLE);
    if (!(savedStyle_ & WS_CLIPSIBLINGS)) SetWindowLongPtrW(window, GWL_STYLE, savedStyle_ | WS_CLIPSIBLINGS);
    horizontal_ = std::make_unique<TWScrollbar>(*this, sbkHorizontal);
    vertical_ = std::make_unique<TWScrollbar>(*this, sbkVertical);
    horizontal_->BindControl(control);
    vertical_->BindControl(control);
    if (!control->Visible()) {
        horizontal_->HideBar();
        vertical_->HideBar();
    }
    if (bordered_) SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TSkinScrollbar::FreeBars()
{
    horizontal_.reset();
    vertical_.reset();
}

void TSkinScrollbar::Detach()
{
    if (fixedColorReplaced_ && Control()) SetPropText(Control(), "FixedColor", std::to_string(savedFixedColor_));
    fixedColorReplaced_ = false;
    if (HWND window = Handle(); window && IsWindow(window) && !(savedStyle_ & WS_CLIPSIBLINGS) && savedStyle_) {
        SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS));
    }
    TSkinControl::Detach();
    if (LifeState() != lsWindowGone) {
        FreeBars();
        if (HWND window = Handle(); window && IsWindow(window))
            RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    } else {
        // Kept until the skinner goes, but no longer over anything.
        if (horizontal_) horizontal_->HideBar();
        if (vertical_) vertical_->HideBar();
    }
}

void TSkinScrollbar::UpdateBars()
{
    if (horizontal_) horizontal_->UpdateBar();
    if (vertical_) vertical_->UpdateBar();
}

void TSkinScrollbar::RefreshBars()
{
    if (horizontal_) horizontal_->Refresh();
    if (vertical_) vertical_->Refresh();
}

void TSkinScrollbar::PaintBorder(HDC dc)
{
    HWND window = Handle();
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect)) return;
    OffsetRect(&rect, -rect.left, -rect.top);
    FrameColour(dc, rect, SkinShadow(SkinData()));
    InflateRect(&rect, -1, -1);
    FrameColour(dc, rect, SkinFace(SkinData()));
}

bool TSkinScrollbar::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_NCPAINT && bordered_) {
        CallDefault(message);
        if (HWND window = Handle()) {
            UniqueWindowDc dc = UniqueWindowDc::Whole(window);
            if (dc) PaintBorder(dc.get());
        }
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinScrollbar::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        layoutChanged_ = true;
        UpdateBars();
        return;
    case WM_HSCROLL:
        if (horizontal_) horizontal_->FollowScrollRequest(LOWORD(message.wParam));
        return;
    case WM_VSCROLL:
        if (vertical_) vertical_->FollowScrollRequest(LOWORD(message.wParam));
        return;
    case WM_MOUSEWHEEL:
        if (horizontal_ && horizontal_->Showing()) horizontal_->Paint();
        if (vertical_ && vertical_->Showing()) vertical_->Paint();
        return;
    case CM_VISIBLECHANGED:
        if (message.wParam) {
            UpdateBars();
        } else {
            if (horizontal_) horizontal_->HideBar();
            if (vertical_) vertical_->HideBar();
        }
        return;
    case WM_SKINPRINT:
        if (message.lParam == kSkinMagic) {
            if (message.wParam) PaintBorder(reinterpret_cast<HDC>(message.wParam));
            message.result = kSkinMagic;
        }
        return;
    case WM_SHOWWINDOW:
        TSkinControl::AfterMessage(message);
        UpdateBars();
        return;
    default:
        break;
    }
    TSkinControl::AfterMessage(message);
    if (!IsQuietMessage(message.msg) && LifeState() == lsAttached) RefreshBars();
}

void TSkinScrollbar::DrawSkin(HDC dc, const RECT&)
{
    HWND window = Handle();
    if (!window) return;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    for (auto* bar : {horizontal_.get(), vertical_.get()}) {
        if (!bar) continue;
        if (bar->Showing())
            bar->Paint();
        else if (style & (bar->Kind() == sbkVertical ? WS_VSCROLL : WS_HSCROLL))
            bar->UpdateBar();
    }
    if (horizontal_ && vertical_ && horizontal_->Showing() && vertical_->Showing()) {
        const RECT& v = vertical_->BarRect();
        const RECT& h = horizontal_->BarRect();
        const RECT corner{v.left, h.top, v.right, h.bottom};
        UniqueWindowDc windowDc = UniqueWindowDc::Whole(window);
        FillColour(windowDc ? windowDc.get() : dc, corner, SkinFace(SkinData()));
    }
}

void TSkinScrollbar::SkinChanged()
{
    if (fixedColorReplaced_ && Control()) SetPropText(Control(), "FixedColor", std::to_string(static_cast<int>(SkinFace(SkinData()))));
    TSkinControl::SkinChanged();
    UpdateBars();
    if (horizontal_ && horizontal_->Showing()) horizontal_->Paint();
    if (vertical_ && vertical_->Showing()) vertical_->Paint();
}

// ---- TSkinListView -------------------------------------------------------------------

const TClassInfo& TSkinListView::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinListView", &TSkinScrollbar::StaticClass());
    return info;
}

TSkinListView::TSkinListView(TComponent* owner) : TSkinScrollbar(owner) {}

void TSkinListView::AttachScrollbars(TControl* control, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinScrollbar::AttachScrollbars(control, skinData, form, canvas);
    if (!Attached()) return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    if (header && IsWindow(header)) {
        header_ = new TSkinHeader(this);
        header_->AttachHandle(header, skinData, form, canvas);
    }
}

// ---- TSkinScrollbarH --------------------------------------------------------------------

const TClassInfo& TSkinScrollbarH::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinScrollbarH", &TSkinControl::StaticClass());
    return info;
}

TSkinScrollbarH::TSkinScrollbarH(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbarH::~TSkinScrollbarH()
{
    horizontal_.reset();
    vertical_.reset();
}

void TSkinScrollbarH::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached() || !handle) return;
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
    if (!Attached()) return;
    horizontal_ = std::make_unique<TWScrollbar>(*this, sbkHorizontal);
    vertical_ = std::make_unique<TWScrollbar>(*this, sbkVertical);
    horizontal_->BindHandle(handle);
    vertical_->BindHandle(handle);
}

void TSkinScrollbarH::Detach()
{
    TSkinControl::Detach();
    if (LifeState() != lsWindowGone) {
        horizontal_.reset();
        vertical_.reset();
    } else {
        // Kept until the skinner goes (a bar may be inside its own click),
        // but no longer shown over a window that is not there.
        if (horizontal_) horizontal_->HideBar();
        if (vertical_) vertical_->HideBar();
    }
}

void TSkinScrollbarH::UpdateBars()
{
    if (horizontal_) horizontal_->UpdateBar();
    if (vertical_) vertical_->UpdateBar();
}

void TSkinScrollbarH::AfterMessage(TMessage& message)
{
    HWND window = Handle();
    if (window && !IsWindowVisible(window) && vertical_) vertical_->HideBar();
    switch (message.msg) {
    case WM_SIZE:
    case WM_NCPAINT:
    case WM_WINDOWPOSCHANGED:
        UpdateBars();
        if (horizontal_ && horizontal_->Showing()) horizontal_->Paint();
        if (vertical_ && vertical_->Showing()) vertical_->Paint();
        return;
    case WM_HSCROLL:
        if (horizontal_) horizontal_->FollowScrollRequest(LOWORD(message.wParam));
        return;
    case WM_VSCROLL:
        if (vertical_) vertical_->FollowScrollRequest(LOWORD(message.wParam));
        return;
    default:
        break;
    }
    TSkinControl::AfterMessage(message);
    if (!IsQuietMessage(message.msg) && LifeState() == lsAttached) {
        if (horizontal_) horizontal_->Refresh();
        if (vertical_) vertical_->Refresh();
    }
}

void TSkinScrollbarH::DrawSkin(HDC dc, const RECT&)
{
    if (horizontal_ && horizontal_->Showing()) horizontal_->Paint();
    if (vertical_ && vertical_->Showing()) vertical_->Paint();
    if (horizontal_ && vertical_ && horizontal_->Showing() && vertical_->Showing()) {
        const RECT& v = vertical_->BarRect();
        const RECT& h = horizontal_->BarRect();
        UniqueWindowDc windowDc = UniqueWindowDc::Whole(Handle());
        FillColour(windowDc ? windowDc.get() : dc, RECT{v.left, h.top, v.right, h.bottom}, SkinFace(SkinData()));
    }
}

// ---- TSkinScControl -----------------------------------------------------------------------

const TClassInfo& TSkinScControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinScControl", &TSkinControl::StaticClass());
    return info;
}

TSkinScControl::TSkinScControl(TComponent* owner) : TSkinControl(owner) {}

TSkinScControl::~TSkinScControl() { bar_.reset(); }

void TSkinScControl::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool, TCanvas* canvas)
{
    if (auto* control = dynamic_cast<TControl*>(Owner())) AttachScrollControl(control, skinData, form, canvas);
}

void TSkinScControl::AttachScrollControl(TControl* control, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached() || !control || control != Owner()) return;
    TSkinControl::AttachControl(form, skinData, false, canvas);
    if (!Attached()) return;
    bar_ = std::make_unique<TWScrollbar>(*this, sbkControl);
    bar_->BindControl(control);
    if (!control->Visible()) bar_->HideBar();
}

void TSkinScControl::Detach()
{
    TSkinControl::Detach();
    if (LifeState() != lsWindowGone)
        bar_.reset();
    else if (bar_)
        bar_->HideBar();  // kept until the skinner goes, hidden
}

void TSkinScControl::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_NCPAINT:
    case WM_SHOWWINDOW:
        if (bar_) bar_->UpdateBar();
        break;
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW:
    case SBM_ENABLE_ARROWS:
        if (bar_) bar_->Paint();
        break;
    case CN_HSCROLL:
    case CN_VSCROLL:
        if (bar_ && IsReflectedNotification(message)) {
            bar_->FollowScrollRequest(LOWORD(message.wParam));
        }
        break;
    case CM_VISIBLECHANGED:
        if (!bar_) break;
        if (message.wParam)
            bar_->UpdateBar();
        else
            bar_->HideBar();
        break;
    default:
        // Every change of the control's bar comes through the messages above
        // (its keys and clicks end in a reflected scroll notice and a new
        // position), so nothing else is looked at.
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinScControl::DrawSkin(HDC, const RECT&)
{
    if (bar_ && bar_->Showing()) bar_->Paint();
}

// A new skin: the bars are placed and their pictures drawn afresh.
void TSkinScrollbarH::SkinChanged()
{
    UpdateBars();
    TSkinControl::SkinChanged();
}

void TSkinScControl::SkinChanged()
{
    if (bar_) bar_->UpdateBar();
    TSkinControl::SkinChanged();
}

}  // namespace quorvane
