// TWinControl: painting, mouse tracking, reflected notifications and the
// window procedure.

#include "framework/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/control_internals.h"
#include "framework/forms.h"
#include "framework/menus.h"

namespace quorvane {

using namespace control_internals;

namespace {

// The notification a parent is reflecting to a child right now (innermost).
struct Reflection {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    const Reflection* previous;
};
thread_local const Reflection* t_reflection = nullptr;

}  // namespace

bool IsReflectedNotification(const TMessage& message)
{
    const Reflection* reflection = t_reflection;
    return reflection && reflection->msg == message.msg && reflection->wParam == message.wParam &&
           reflection->lParam == message.lParam;
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
            // The leave and enter handlers may free this control; a freed
            // control has taken itself out of t_mouseControl.
            const std::weak_ptr<const bool> alive = Liveness();
            TControl* old = t_mouseControl;
            t_mouseControl = hit;
            if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
            if (t_mouseControl == hit) hit->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(hit));
            if (alive.expired()) return;
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
    // Event handlers run below may free this control; after one has, nothing
    // of it is touched again (the platform's handling no longer applies).
    const std::weak_ptr<const bool> alive = Liveness();
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
        if (alive.expired()) return;
        Perform(CM_ENTER, 0, 0);
        if (alive.expired()) return;
        break;
    case WM_KILLFOCUS:
        Perform(CM_EXIT, 0, 0);
        if (alive.expired()) return;
        break;
    case CM_DIALOGCHAR: {
        // Offered to the children until one takes it.
        const std::vector<TControl*> children = controls_;
        for (TControl* child : children) {
            // A child the previous one's handler freed has left the list.
            if (alive.expired()) return;
            if (std::find(controls_.begin(), controls_.end(), child) == controls_.end()) continue;
            if (child->Visible() && child->Enabled() && child->Perform(message.msg, message.wParam, message.lParam)) {
                message.result = 1;
                return;
            }
        }
        return;
    }
    case CM_ENTER:
        if (OnEnter) OnEnter(this);
        if (alive.expired()) return;
        break;
    case CM_EXIT:
        if (OnExit) OnExit(this);
        if (alive.expired()) return;
        break;
    case WM_KEYDOWN:
        if (OnKeyDown) {
            WORD key = static_cast<WORD>(message.wParam);
            OnKeyDown(this, key, 0);
            if (key == 0 || alive.expired()) return;
            message.wParam = key;
        }
        break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        MouseTracking(message);
        if (alive.expired()) return;
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
            const std::weak_ptr<const bool> targetAlive = target->Liveness();
            message.result = target->Perform(message.msg, message.wParam,
                                             MAKELPARAM(point.x - target->Left(), point.y - target->Top()));
            if (alive.expired()) return;
            if (targetAlive.expired()) {
                // Its handler freed the child, which let go of the mouse:
                // nothing holds it for the child any more.
                if (!t_captureControl && GetCapture() == handle_) ReleaseCapture();
                return;
            }
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

}  // namespace quorvane
