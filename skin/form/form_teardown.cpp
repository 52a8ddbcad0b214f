// The skinned window's later life: a new skin re-applied, the skin taken
// off a live window, the window destroyed, the MDI client's procedure, the
// form object's message hook, the hover timer and the MDI mode in which
// the children are maximised.
#include <windowsx.h>

#include <algorithm>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "skin/controls/skin_control.h"
#include "skin/data/skin_data.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "skin/form/menu_bar.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {
constexpr UINT kFrameChangedFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE;
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
}  // namespace

// ---- skinners ------------------------------------------------------------------------

void TWinSkinForm::FreeSkinners()
{
    while (!skinners_.empty()) {
        TSkinControl* skinner = skinners_.front();
        skinners_.erase(skinners_.begin());
        if (skinner->Control()) ClearToolbarHandlers(skinner->Control());
        if (skinner->LifeState() != lsWindowGone) skinner->Detach();
        Free(skinner);
    }
    hoveredSkinner_ = nullptr;
}

void TWinSkinForm::FreeDeadSkinners()
{
    // One at a time, looked up afresh: freeing a skinner also frees the
    // inner skinners it owns (a list view's header, an edit's up-down, a
    // combo's list bars), which leave the list as they go. A list of dead
    // ones taken beforehand would free those a second time.
    for (;;) {
        auto dead = std::find_if(skinners_.begin(), skinners_.end(),
                                 [](const TSkinControl* skinner) { return skinner->LifeState() == lsWindowGone; });
        if (dead == skinners_.end()) break;
        TSkinControl* skinner = *dead;
        RemoveSkinner(skinner);
        Free(skinner);
    }
}

// ---- giving things back ----------------------------------------------------------------

void TWinSkinForm::RestoreProcedures()
{
    formHook_.Restore();
    windowHook_.Detach();
    mdiClientHook_.Detach();
}

void TWinSkinForm::RestoreMenus()
{
    if (form_) {
        SetPopupMenusOwnerDraw(this, form_, false);
        if (skinData_ && InSet(skinData_->SkinControls(), xcMenuItem)) SetMainMenusOwnerDraw(this, form_, false);
    }
    // Drop-down items made owner-drawn for the skinned menu bar.
    for (HMENU menu : ownerDrawnMenus_) {
        if (!IsMenu(menu)) continue;
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_DATA;
            if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
            // Items of the framework's owner-drawn menus stay as the framework made them.
            TMenuItem* item = reinterpret_cast<TMenuItem*>(info.dwItemData);
            const TMenu* owner = item && menuBar_ && menuBar_->Menu ? menuBar_->Menu : nullptr;
            if (owner && owner->OwnerDraw()) continue;
            info.fMask = MIIM_FTYPE;
            info.fType &= ~static_cast<UINT>(MFT_OWNERDRAW);
            SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        }
    }
    ownerDrawnMenus_.clear();
}

void TWinSkinForm::LightDetach()
{
    if (hoverTimer_) hoverTimer_->SetEnabled(false);
    FreeSkinners();
    RestoreMenus();
    if (form_ && EngineState != esDetaching) form_->SetColor(savedColor_);
    RestoreProcedures();
    procedureExchanged_ = false;
    if (form_ && EngineState != esDetaching) {
        for (int i = 0; i < form_->ComponentCount(); ++i)
            if (auto* control = dynamic_cast<TControl*>(form_->Components(i))) control->Invalidate();
    }
}

bool TWinSkinForm::BeginLettingGo()
{
    if (!FrameSkinning) {
        LightDetach();
        return false;
    }
    Free(systemMenuPopup_);
    systemMenuPopup_ = nullptr;
    if (hoverTimer_) hoverTimer_->SetEnabled(false);
    return true;
}

void TWinSkinForm::Unskin()
{
    // The window's own colours come back with its own frame.
    ServesColours = false;
    if (!BeginLettingGo() || !procedureExchanged_) {
        if (EngineState != esDetaching) NotifyColoursChanged();
        return;
    }
    formHook_.Restore();
    windowHook_.Detach();
    procedureExchanged_ = false;

    FreeSkinners();
    RestoreMenus();
    if (form_ && EngineState != esDetaching) form_->SetColor(savedColor_);

    SetSysMenuStyle(false);
    SetCaptionStyle(true);
    if (menuBar_) {
        if (menuBar_->MenuHandle && IsMenu(menuBar_->MenuHandle)) SetMenu(window_, menuBar_->MenuHandle);
        Free(menuBar_);
        menuBar_ = nullptr;
        MenuBarHeight = 0;
    }
    mdiClientHook_.Detach();
    ForgetMdiFrame();
    HotObject = nullptr;
    ClearPressedObject();
    if (EngineState != esDetaching) NotifyColoursChanged();

    // The window gets its own frame back around the same client area (only
    // when it was ever grown around the skin's: a window let go before it
    // was finished still has the system's frame).
    if (window_ && IsWindow(window_)) {
        RECT rect{};
        GetWindowRect(window_, &rect);
        const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
        if (MdiKind == mkChild) MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&rect), 2);
        if (frameApplied_ && EngineState != esDetaching && (MdiKind == mkChild || !(style & WS_CHILD)) &&
            WindowState == ewsNormal && FrameKind != fkNoCaption) {
            const int width = Width(rect) + SystemFrameExtra.cx - FrameLeft - FrameRight;
            const int height = Height(rect) + SystemFrameExtra.cy - FrameTop - FrameBottom;
            SetWindowPos(window_, nullptr, rect.left, rect.top, width, height,
                         SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
        } else {
            SetWindowPos(window_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
        }
        SetWindowRgn(window_, nullptr, TRUE);
    }
    regionWidth_ = regionHeight_ = -1;
    frameApplied_ = false;
}

void TWinSkinForm::ReleaseWindow()
{
    ServesColours = false;
    if (!BeginLettingGo()) return;
    RestoreProcedures();
    procedureExchanged_ = false;
    FreeSkinners();
    if (menuBar_) {
        // A bare window's menu was the window's to destroy; taken off the
        // window it would outlive it. A form's menu belongs to its component.
        if (!form_ && menuBar_->MenuHandle && IsMenu(menuBar_->MenuHandle) && window_ && !GetMenu(window_))
            DestroyMenu(menuBar_->MenuHandle);
        Free(menuBar_);
        menuBar_ = nullptr;
    }
    ForgetMdiFrame();
    HotObject = nullptr;
    pressedObject_ = nullptr;
    captured_ = false;
}

void TWinSkinForm::ForgetMdiFrame()
{
    TSkinManage* manager = TSkinManage::Instance();
    if (!manager || MdiKind != mkParent) return;
    if ((MdiClient && manager->MdiClient == MdiClient) || (form_ && manager->MdiFrameForm == form_)) {
        // The frame's children go with it: the next MDI frame starts with
        // none maximised, and nothing forwards to this form any more.
        manager->MdiClient = nullptr;
        manager->MdiFrameForm = nullptr;
        manager->ChildrenMaximised = false;
    }
}

void TWinSkinForm::RememberClientSize()
{
    keptClient_ = SIZE{-1, -1};
    keptRestoredClient_ = SIZE{-1, -1};
    if (!window_ || !IsWindow(window_) || !FrameSkinning || FrameKind == fkNoCaption || EngineState == esAttaching)
        return;
    ReadWindowState();
    RECT client{};
    if (WindowState == ewsNormal && GetClientRect(window_, &client)) keptClient_ = SIZE{Width(client), Height(client)};
    // Minimised or maximised: the client the window gets back when it is
    // restored is its restored rectangle inside the skin's frame.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (WindowState != ewsNormal && GetWindowPlacement(window_, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        keptRestoredClient_ = SIZE{std::max(0, Width(r) - FrameLeft - FrameRight),
                                   std::max(0, Height(r) - FrameTop - FrameBottom - MenuBarHeight)};
    }
}

void TWinSkinForm::RefitRestoredPlacement()
{
    if (keptRestoredClient_.cx < 0 || !window_) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window_, &placement)) return;
    RECT& r = placement.rcNormalPosition;
    const int width = keptRestoredClient_.cx + FrameLeft + FrameRight;
    const int height = keptRestoredClient_.cy + FrameTop + FrameBottom + MenuBarHeight;
    if (Width(r) == width && Height(r) == height) return;
    r.right = r.left + width;
    r.bottom = r.top + height;
    // Only the restored rectangle changes: the window stays as it is shown.
    placement.showCmd = WindowState == ewsMinimized ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED;
    placement.flags = 0;
    SetWindowPlacement(window_, &placement);
}

// ---- re-applying ---------------------------------------------------------------------------

void TWinSkinForm::NotifyColoursChanged()
{
    if (!window_ || !IsWindow(window_)) return;
    if (form_) {
        form_->SystemColoursChanged();
    } else {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void TWinSkinForm::ReapplySkin()
{
    if (!skinData_ || !window_) return;
    const TColor face = static_cast<TColor>(skinData_->Colours.ButtonFace);
    if (form_) {
        form_->SetColor(face);
        for (int i = 0; i < form_->ComponentCount(); ++i) {
            TComponent* component = form_->Components(i);
            if (auto* owned = As<TForm>(component)) owned->SetColor(face);
            if (FindPropInfo(component, "FixedColor")) SetOrdProp(component, "FixedColor", face);
        }
    }
    for (TSkinControl* skinner : std::vector<TSkinControl*>(skinners_)) skinner->SkinChanged();
    NotifyColoursChanged();
    titleFont_.reset();
    EngineState = esRefreshing;
    if (FrameSkinning) {
        if (form_) SetPopupMenusOwnerDraw(this, form_, true);
        RenderSmallIcon();
        if (!ChildWindow || MdiKind == mkChild) {
            // The window grows or shrinks by the new frame around the same
            // client area; the region is built once, for the final size.
            deferRegion_ = true;
            ReadWindowState();
            if (FrameKind != fkNoCaption && WindowState != ewsMinimized) FitWindowToFrame(true);
            if (FrameKind != fkNoCaption && WindowState != ewsNormal) RefitRestoredPlacement();
            deferRegion_ = false;
            keptClient_ = keptRestoredClient_ = SIZE{-1, -1};
            if (auto* form = As<TWinControl>(form_)) form->AlignControls();
            UpdateRegion();
        }
    }
    SendMessageW(window_, WM_SKINAPPLIED, 0, kSkinMagic);
    EngineState = esSkinned;
    if (FrameSkinning) RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- the MDI client -----------------------------------------------------------------------

LRESULT TWinSkinForm::MdiClientWndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto old = [&] { return mdiClientHook_.CallPrevious(msg, wParam, lParam); };
    TSkinManage* manager = TSkinManage::Instance();
    switch (msg) {
    case WM_NCCALCSIZE:
        if (FrameSkinning && skinData_ && !InSet(skinData_->Options(), xoMDIScrollbar)) {
            const LONG_PTR style = GetWindowLongPtrW(MdiClient, GWL_STYLE);
            if (style & (WS_VSCROLL | WS_HSCROLL))
                SetWindowLongPtrW(MdiClient, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
        }
        return old();
    case WM_MDICREATE:
        if (skinData_) skinData_->SetMenuUpdate(false);
        return old();
    case WM_MDIDESTROY: {
        const LRESULT result = old();
        if (FrameSkinning) {
            if (manager) manager->SetChildrenMaximised(IsChildMaximised());
            if (!SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, 0) && menuBar_) {
                if (skinData_) skinData_->SetMenuUpdate(savedMenuUpdate_);
                menuBar_->BuildButtons();
                PaintFrame(nullptr);
            }
        }
        return result;
    }
    case WM_MDITILE:
    case WM_MDICASCADE:
        if (FrameSkinning && manager && manager->ChildrenMaximised) manager->SetChildrenMaximised(false);
        return old();
    case WM_MDISETMENU: {
        const LRESULT result = old();
        if (FrameSkinning) {
            if (wParam && menuBar_) menuBar_->BuildButtonsForFrameMenu();
            SetMenu(window_, nullptr);
            PaintFrame(nullptr);
        }
        return result;
    }
    case WM_SKINMDIREDRAW:
        RedrawWindow(window_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        return 0;
    default:
        return old();
    }
}

// ---- the form object's message hook ---------------------------------------------------

void TWinSkinForm::FormMessageHook(TMessage& message)
{
    switch (message.msg) {
    case WM_SETTEXT:
        formHook_.CallPrevious(message);
        // A text set around the window (straight to the form object) has
        // not passed the window's procedure: the frame is repainted here.
        if (!setTextHandled_ && window_ && IsWindowVisible(window_) && EngineState == esSkinned) PaintFrame(nullptr);
        return;
    case WM_SKINREFRESH:
        ReapplySkin();
        return;
    case CM_MENUCHANGED:
        if (inMenuChanged_) {
            formHook_.CallPrevious(message);
            return;
        }
        message.result = HandleMenuChanged([&] {
            formHook_.CallPrevious(message);
            return message.result;
        });
        return;
    case CM_DIALOGCHAR: {
        formHook_.CallPrevious(message);
        if (message.result != 0) return;
        const bool altOnly = (message.lParam & 0x20000000) && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0;
        if (altOnly) {
            if (TMenuBtn* button = FindMenuAccelerator(message.wParam)) {
                SwitchToMenuButton(button);
                message.result = 1;
                return;
            }
        }
        TSkinManage* manager = TSkinManage::Instance();
        TWinControl* target = nullptr;
        if (MdiKind == mkChild && manager)
            target = manager->MdiFrameForm;
        else if (Application && Application->MainForm() && Application->MainForm() != form_)
            target = Application->MainForm();
        if (target && target != form_) message.result = target->Perform(message.msg, message.wParam, message.lParam);
        return;
    }
    case WM_SKINPRINT:
        if (message.lParam == kSkinMagic) {
            if (message.wParam) PaintFrame(reinterpret_cast<HDC>(message.wParam));
            message.result = kSkinMagic;
            return;
        }
        break;
    case WM_SKINPING:
        message.result = message.lParam == kSkinMagic ? kSkinMagic : 1;
        return;
    default:
        break;
    }
    formHook_.CallPrevious(message);
}

// ---- hover and the MDI mode ----------------------------------------------------------------

void TWinSkinForm::HoverTimer()
{
    if (MenuTracking || !window_) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    if (HotObject) {
        const POINT point = ScreenToFrame(cursor);
        if (!PtInRect(&HotObject->BoundsRect, point)) HotObject->MouseLeave();
    }
    if (hoveredSkinner_ && !form_) {
        HWND hovered = hoveredSkinner_->TargetWindow();
        RECT rect{};
        if (!hovered || !GetWindowRect(hovered, &rect) || !PtInRect(&rect, cursor)) {
            if (hovered) SendMessageW(hovered, WM_MOUSELEAVE, 0, 0);
            hoveredSkinner_ = nullptr;
        }
    }
}

void TWinSkinForm::ApplyChildrenMaximised(bool on)
{
    if (MdiKind != mkChild || !window_ || (skinData_ && InSet(skinData_->Options(), xoMDIChildBorder))) return;
    if (on) {
        DropRegion();
        SetCaptionStyle(true);
        return;
    }
    if (WindowState == ewsMinimized) {
        SetCaptionStyle(true);
        return;
    }
    WindowState = ewsNormal;
    UpdateRegion();
    SetCaptionStyle(false);
    if (regionWidth_ < 0) SetWindowPos(window_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
}

}  // namespace quorvane
