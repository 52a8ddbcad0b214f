// Caption buttons of a skinned frame: the hot/pressed state machine shared
// with the menu bar buttons, which buttons show, where they go, what a
// click does, and the frame's mouse messages.
#include <windowsx.h>

#include <algorithm>

#include "framework/menus.h"
#include "framework/message_box.h"
#include "skin/controls/skin_control.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/form/form_engine.h"
#include "skin/form/frame_layout.h"
#include "skin/form/menu_bar.h"
#include "skin/form/menu_items.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

// ---- the state machine ----------------------------------------------------------

void TNCObject::MouseDown()
{
    if (Form->HotObject && Form->HotObject != this) Form->HotObject->MouseLeave();
    if (!Visible) return;
    Form->HotObject = this;
    State = nsPressed;
    Paint();
}

void TNCObject::MouseUp()
{
    if (!Visible) return;
    State = nsHot;
    Paint();
}

void TNCObject::MouseEnter()
{
    if (Form->HotObject == this) return;
    if (Form->HotObject) Form->HotObject->MouseLeave();
    if (!Visible) return;
    Form->HotObject = this;
    State = nsHot;
    Paint();
}

void TNCObject::MouseLeave()
{
    if (!Visible) return;
    if (Form->HotObject == this) Form->HotObject = nullptr;
    State = nsNormal;
    Paint();
}

bool TWinSysButton::IsIconButton() const
{
    return Description && (Description->Action == 3 || Description->Action == 11 || Description->Action == 12);
}

void TWinSysButton::Paint()
{
    if (!Description || IsEmptyBitmap(Description->Bitmap) || !Form->Window()) return;
    UniqueWindowDc dc = UniqueWindowDc::Whole(Form->Window());
    if (!dc) return;
    if (Description->Action == 3 || Description->Action == 11) {
        Form->DrawWindowIcon(dc.get(), BoundsRect);
        return;
    }
    int frame = State;
    if (Description->Visibility == 100 && State == nsHot) frame = 4;
    DrawKeyedFrame(dc.get(), BoundsRect, std::max(Description->Frame, 1), frame, Description->Bitmap.get());
}

// ---- visibility and layout -------------------------------------------------------

bool TWinSkinForm::IsButtonVisible(size_t index)
{
    if (index >= captionButtons_.size()) return false;
    TWinSysButton& button = *captionButtons_[index];
    const TDataSkinSysButton& d = *button.Description;
    const bool maximised = WindowState == ewsMaximized;
    const bool hasMax = (BorderIcons & kIconMaximize) != 0;
    const bool hasMin = (BorderIcons & kIconMinimize) != 0;
    const bool hasSysMenu = (BorderIcons & kIconSystemMenu) != 0;
    const bool dialogOfOurs = FrameKind == fkDialog && !SystemDialog;

    bool a = false;
    const int v = d.Visibility;
    if (v == 0) a = true;
    else if (v == 1) a = maximised;
    else if (v == 2) a = !maximised;
    else if (v == 3) a = Active;
    else if (v == 4) a = !Active;
    else if (v == 6) a = hasMax && hasSysMenu;
    else if (v == 7) a = !hasMax;
    else if (v == 8) a = hasMin && hasSysMenu;
    else if (v == 9) a = !hasMin;
    else if (v == 100) a = MdiKind == mkParent && IsChildMaximised() && menuBar_ != nullptr;
    else if (v == 200) a = dialogOfOurs;
    else if (v >= 201 && v <= 999) a = true;
    else if (v >= 1000 && v <= 2000) a = window_ && SendMessageW(window_, WM_SKINBUTTONVISIBLE, static_cast<WPARAM>(v), d.Action) > 0;

    bool b = false;
    const int v1 = d.Visibility1;
    if (v1 == 0) b = true;
    else if (v1 == 1) b = maximised;
    else if (v1 == 2) b = !maximised;
    else if (v1 == 3) b = Active;
    else if (v1 == 4) b = !Active;
    else if (v1 == 6) b = hasMax;
    else if (v1 == 7) b = !hasMax;
    else if (v1 == 8) b = hasMin;
    else if (v1 == 9) b = !hasMin;
    else if (v1 == 100) b = a;
    else if (v1 == 200) b = dialogOfOurs;
    else if (v1 >= 201 && v1 <= 2000) b = true;

    bool c = true;
    switch (d.Action) {
    case 0:
        c = hasSysMenu;
        break;
    case 1:
        c = hasMax;
        break;
    case 2:
        c = hasMin;
        break;
    case 3:
    case 11:
    case 12:
        c = FrameKind != fkDialog;
        break;
    default:
        break;
    }
    button.Visible = a && b && c;
    return button.Visible;
}

void TWinSkinForm::LayoutCaptionButtons()
{
    // Skin values are clamped as they are read: no sum of them overflows.
    CaptionFrame frame;
    frame.windowWidth = windowWidth_;
    frame.frameLeft = FrameLeft;
    frame.frameTop = FrameTop;
    frame.frameRight = FrameRight;
    frame.menuBarHeight = MenuBarHeight;
    frame.menuLeftWidth = skinData_ && skinData_->MenuBar ? ClampSkinValue(skinData_->MenuBar->LeftWidth) : 0;
    frame.anchorLeft = CaptionAnchorLeft;
    frame.anchorRight = CaptionAnchorRight;
    frame.rightToLeft = RightToLeft;
    for (size_t i = 0; i < captionButtons_.size(); ++i) {
        TWinSysButton& button = *captionButtons_[i];
        if (!IsButtonVisible(i) || IsEmptyBitmap(button.Description->Bitmap)) continue;
        const TDataSkinSysButton& d = *button.Description;
        const SIZE size = BitmapSize(d.Bitmap.get());
        const FrameBox box = PlaceCaptionButton(d.Align, d.Xcoord, d.Ycoord, size.cx / std::max(d.Frame, 1), size.cy, frame);
        button.BoundsRect = RECT{box.left, box.top, box.right, box.bottom};
    }
}

void TWinSkinForm::PaintCaptionButtons(HDC dc)
{
    for (const auto& button : captionButtons_) {
        const TDataSkinSysButton& d = *button->Description;
        if (!button->Visible || IsEmptyBitmap(d.Bitmap) || d.Visibility == 100) continue;
        if (d.Action == 3 || d.Action == 11) {
            DrawWindowIcon(dc, button->BoundsRect);
            continue;
        }
        const int frame = (!Active && d.Frame >= 4) ? 4 : 1;
        DrawKeyedFrame(dc, button->BoundsRect, std::max(d.Frame, 1), frame, d.Bitmap.get());
    }
}

TNCObject* TWinSkinForm::HitTest(POINT point)
{
    for (const auto& button : captionButtons_)
        if (button->Visible && button->Description->Action >= 0 && PtInRect(&button->BoundsRect, point))
            return button.get();
    if (menuBar_) return menuBar_->ButtonAt(point);
    return nullptr;
}

// ---- actions ----------------------------------------------------------------------

void TWinSkinForm::DoButtonAction(POINT point)
{
    auto* button = dynamic_cast<TWinSysButton*>(HotObject);
    if (!button || !window_) return;
    auto toActiveChild = [&](UINT command) {
        if (MdiKind != mkParent || !MdiClient) return;
        if (HWND child = reinterpret_cast<HWND>(SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, 0)))
            SendMessageW(child, WM_SYSCOMMAND, command, 0);
    };
    switch (button->Description->Action) {
    case 0: {
        const bool hasClose = SystemMenu ? GetMenuState(SystemMenu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1)
                                         : (BorderIcons & kIconSystemMenu) != 0;
        if (hasClose) {
            if (hoverTimer_) hoverTimer_->SetEnabled(false);
            PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        break;
    }
    case 1:
    case 22:
        ToggleMaximize();
        break;
    case 2:
    case 23:
        ToggleMinimize();
        break;
    case 3:
    case 11:
    case 12: {
        RECT window{};
        GetWindowRect(window_, &window);
        ShowSystemMenu(POINT{window.left + point.x + 1, window.top + point.y + 1});
        break;
    }
    case 7:
    case 60:
        toActiveChild(SC_MINIMIZE);
        break;
    case 8:
    case 61:
        toActiveChild(SC_RESTORE);
        break;
    case 9:
    case 62:
        toActiveChild(SC_CLOSE);
        break;
    default:
        PostMessageW(window_, WM_SKINBUTTONACTION, static_cast<WPARAM>(button->Description->Action), 0);
        break;
    }
}

void TWinSkinForm::ToggleMaximize()
{
    if (WindowState == ewsMaximized) {
        Restore();
        return;
    }
    if (MdiKind == mkChild)
        if (TSkinManage* manager = TSkinManage::Instance()) manager->SetChildrenMaximised(true);
    WindowState = ewsMaximized;
    PostMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    HotObject = nullptr;
}

void TWinSkinForm::ToggleMinimize()
{
    if (WindowState == ewsMinimized) {
        Restore();
        return;
    }
    WindowState = ewsMinimized;
    SetSysMenuStyle(false);
    PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TWinSkinForm::Restore()
{
    WindowState = ewsNormal;
    PostMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TWinSkinForm::ShowSystemMenu(POINT screenPoint)
{
    const DWORD now = GetTickCount();
    if (lastRightClick_ == 0 || now - lastRightClick_ > doubleClickTime_) {
        TSkinManage* manager = TSkinManage::Instance();
        if (manager) manager->MenuKind = mkSystemMenu;
        lastRightClick_ = now;
        BuildSystemMenu();
        if (!systemMenuPopup_) return;
        // Owned by this window, so its owner-drawn items are measured and
        // drawn here and its commands come back here, whatever the window is.
        if (manager) manager->MenuKind = mkSystemMenu;
        const std::shared_ptr<bool> alive = alive_;
        const UINT command = TrackPopupMenu(systemMenuPopup_->Handle(),
                                            TPM_RETURNCMD | TPM_RIGHTBUTTON | (RightToLeft ? TPM_RIGHTALIGN : 0),
                                            screenPoint.x, screenPoint.y, 0, window_, nullptr);
        // Freed inside the menu loop (the form released, the skin taken
        // off): the engine is not touched again.
        if (!*alive) return;
        if (command && systemMenuPopup_) systemMenuPopup_->DispatchCommand(command);
        return;
    }
    // A second right-click within the double-click time closes the window
    // when it lands on a caption or menu bar button.
    lastRightClick_ = 0;
    if (HotObject) {
        if (hoverTimer_) hoverTimer_->SetEnabled(false);
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
}

// ---- the frame's mouse messages ----------------------------------------------------

LRESULT TWinSkinForm::OnFrameMouse(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const POINT point = ScreenToFrame(screen);
    TNCObject* hit = HitTest(point);
    switch (msg) {
    case WM_NCMOUSEMOVE:
        if (!Active) return 0;
        if (hit) {
            hit->MouseEnter();
            return 0;
        }
        if (HotObject) HotObject->MouseLeave();
        return Default(msg, wParam, lParam);
    case WM_NCLBUTTONDOWN:
        if (MenuTracking) {
            // A click reaching the frame while a drop-down is open switches
            // to the entry clicked; it never opens a second menu inside the first.
            if (hit && hit->IsMenuButton()) RequestMenuSwitch(this, static_cast<TMenuBtn*>(hit));
            return 0;
        }
        ClearPressedObject();
        if (hit) {
            if (!Active) SetForegroundWindow(window_);
            hit->MouseDown();
            if (hit->IsMenuButton()) {
                // The drop-down's loop takes the mouse; the engine may be
                // gone when it returns, so nothing follows the call.
                OpenMenuButton(static_cast<TMenuBtn*>(hit));
                return 0;
            }
            // The window holds the mouse until the button is let go, so a
            // release anywhere ends the press (and capture loss cancels it).
            pressedObject_ = hit;
            SetCapture(window_);
            captured_ = GetCapture() == window_;
            return 0;
        }
        if (WindowState == ewsMaximized && Active && wParam == HTCAPTION) wParam = HTMENU;
        return Default(msg, wParam, lParam);
    case WM_NCLBUTTONUP: {
        TNCObject* pressed = pressedObject_;
        ClearPressedObject();
        if (!hit) return Default(msg, wParam, lParam);
        // Only a button pressed and released in place acts.
        if (!hit->IsMenuButton() && hit == HotObject && hit == pressed) {
            hit->MouseUp();
            DoButtonAction(point);
        }
        return 0;
    }
    case WM_NCLBUTTONDBLCLK:
        if (hit) {
            if (auto* button = dynamic_cast<TWinSysButton*>(hit);
                button && (button->Description->Action == 3 || button->Description->Action == 11)) {
                if (hoverTimer_) hoverTimer_->SetEnabled(false);
                PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        }
        if (wParam == HTCAPTION) {
            if (WindowState != ewsNormal) {
                Restore();
                return 0;
            }
            if (BorderIcons & kIconMaximize) {
                ToggleMaximize();
                return 0;
            }
        }
        return Default(msg, wParam, lParam);
    case WM_NCRBUTTONDOWN:
        if (wParam == HTCAPTION && MdiKind != mkChild) {
            ShowSystemMenu(screen);
            return 0;
        }
        return Default(msg, wParam, lParam);
    default:
        return Default(msg, wParam, lParam);
    }
}

}  // namespace quorvane
