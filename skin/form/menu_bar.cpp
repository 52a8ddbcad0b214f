#include "skin/form/menu_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "skin/controls/skin_control.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/form/form_engine.h"
#include "skin/form/frame_layout.h"
#include "skin/form/menu_items.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_manager.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The drop-down being tracked: one at a time in the process.
struct MenuTracking {
    TWinSkinForm* form = nullptr;
    int index = -1;
    TMenuItem* item = nullptr;       // the item WM_MENUSELECT reported last
    HMENU selectedMenu = nullptr;    // the menu holding that item
    bool selectedOpensSubMenu = false;
    HHOOK hook = nullptr;
    POINT lastMouse{-1, -1};
    bool firstSeen = false;
    bool switching = false;
    TMenuBtn* switchTo = nullptr;    // the entry to open once this drop-down has closed
};
MenuTracking g_tracking;

TMenu* FormMenuOf(TWinSkinForm* form)
{
    if (TWinSkinMenu* bar = form ? form->MenuBar() : nullptr) return bar->Menu;
    return nullptr;
}

// Hides separators that would lead, trail or double up among the visible
// sub-items of item, and shows the others again.
void TidySeparators(TMenuItem* item)
{
    bool previousWasLine = true;  // at the start a line would lead
    TMenuItem* pendingLine = nullptr;
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* child = item->Items(i);
        if (child->IsLine()) {
            if (previousWasLine) {
                child->SetVisible(false);
            } else {
                if (pendingLine) pendingLine->SetVisible(false);
                pendingLine = child;
                previousWasLine = true;
            }
            continue;
        }
        if (!child->Visible()) continue;
        if (pendingLine) pendingLine->SetVisible(true);
        pendingLine = nullptr;
        previousWasLine = false;
    }
    if (pendingLine) pendingLine->SetVisible(false);  // a line at the end
}

// Marks every item of a drop-down and its sub-menus owner-drawn.
void MarkOwnerDrawn(HMENU menu, std::vector<HMENU>& marked)
{
    const int count = GetMenuItemCount(menu);
    if (count <= 0) return;
    if (std::find(marked.begin(), marked.end(), menu) == marked.end()) marked.push_back(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (!(info.fType & MFT_OWNERDRAW) && !(info.fType & MFT_BITMAP)) {
            MENUITEMINFOW change{};
            change.cbSize = sizeof change;
            change.fMask = MIIM_FTYPE;
            change.fType = info.fType | MFT_OWNERDRAW;
            SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &change);
        }
        if (info.hSubMenu) MarkOwnerDrawn(info.hSubMenu, marked);
    }
}

LRESULT CALLBACK MenuKeyFilter(int code, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace

bool RequestMenuSwitch(TWinSkinForm* form, TMenuBtn* target)
{
    if (!form || g_tracking.form != form || !form->MenuTracking) return false;
    if (target && target->Index != g_tracking.index) {
        g_tracking.switching = true;
        g_tracking.switchTo = target;
        EndMenu();
    }
    return true;
}

bool IsRightToLeftWindow(HWND window)
{
    return window && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
}

// ---- TWinSkinMenu ---------------------------------------------------------------

const TClassInfo& TWinSkinMenu::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TWinSkinMenu", &TComponent::StaticClass());
    return info;
}

TWinSkinMenu::TWinSkinMenu(TWinSkinForm* form, TSkinData* skinData) : TComponent(form), SkinData(skinData), Form(form) {}

TWinSkinMenu::~TWinSkinMenu()
{
    BeforeDestruction();
    if (Form && Form->HotObject && Form->HotObject->IsMenuButton()) Form->HotObject = nullptr;
    if (Form && Form->PressedObject() && Form->PressedObject()->IsMenuButton()) Form->ClearPressedObject();
}

void TWinSkinMenu::BuildButtons()
{
    Build(false);
}

void TWinSkinMenu::BuildButtonsForFrameMenu()
{
    Build(true);
}

void TWinSkinMenu::SetMenuComponent(TMainMenu* menu)
{
    if (menu == Menu) return;
    if (Menu) RemoveFreeNotification(Menu);
    Menu = menu;
    if (Menu) FreeNotification(Menu);
}

void TWinSkinMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove || !Menu || component != Menu) return;
    // The menu and its items are going: nothing may point at them any more.
    // The buttons themselves stay (an open drop-down may hold one) until
    // the engine drops or rebuilds the bar.
    Menu = nullptr;
    for (const auto& button : Buttons) button->MenuItem = nullptr;
}

void TWinSkinMenu::Build(bool keepSystemValues)
{
    HWND window = Form->Window();
    if (HMENU current = GetMenu(window)) MenuHandle = current;
    if (Form->MenuLoopActive()) {
        // The open drop-down's loop holds one of the buttons: they are made
        // again once it has closed.
        Form->QueueMenuRebuild(keepSystemValues);
        return;
    }
    if (!MenuHandle) return;
    if (auto* form = As<TForm>(Form->FormObject())) {
        if (!form->Menu()) return;
        SetMenuComponent(form->Menu());
    }
    if (Form->HotObject && Form->HotObject->IsMenuButton()) Form->HotObject = nullptr;
    if (Form->PressedObject() && Form->PressedObject()->IsMenuButton()) Form->ClearPressedObject();
    Buttons.clear();
    Count = GetMenuItemCount(MenuHandle);
    if (Count <= 0) {
        Count = 0;
        SetMenu(window, nullptr);
        return;
    }
    for (int i = 0; i < Count; ++i) {
        WCHAR text[81] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 80;
        if (!GetMenuItemInfoW(MenuHandle, static_cast<UINT>(i), TRUE, &info)) info = MENUITEMINFOW{};
        auto button = std::make_unique<TMenuBtn>(Form, SkinData);
        button->Index = i;
        button->SubMenu = info.hSubMenu;
        button->Enabled = !(info.fState & (MFS_DISABLED | MFS_GRAYED));
        button->Visible = true;
        button->Command = info.wID;
        button->Caption = reinterpret_cast<const char16_t*>(text);
        TMenuItem* item = Menu ? Menu->FindItem(info.hSubMenu ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu))
                                                              : info.wID)
                               : nullptr;
        if (!item && Menu && info.wID) item = Menu->FindItem(info.wID);
        if (item && !(keepSystemValues && button->Caption.empty())) {
            button->Caption = Utf8ToUtf16(item->Caption());
            button->Enabled = item->Enabled();
            button->MenuItem = item;
            button->Command = item->Command();
            button->SubMenu = item->Count() > 0 ? item->Handle() : nullptr;
        }
        Buttons.push_back(std::move(button));
    }
    SetMenu(window, nullptr);
    if (keepSystemValues) Layout();
}

int TWinSkinMenu::StartOffset(int bandWidth) const
{
    const bool rightToLeft = IsRightToLeftWindow(Form->Window());
    if (!SkinData || !SkinData->MenuBar || IsEmptyBitmap(SkinData->MenuBar->Bitmap)) return 6;
    return MenuBarStart(true, SkinData->MenuBar->LeftWidth, SkinData->MenuBar->RightWidth, rightToLeft, bandWidth);
}

void TWinSkinMenu::PlaceButtons(HDC dc, const RECT& band, int x0)
{
    const bool rightToLeft = IsRightToLeftWindow(Form->Window());
    const int bandWidth = Width(band), bandHeight = Height(band);
    int x = rightToLeft ? bandWidth - x0 : x0;
    for (const auto& button : Buttons) {
        if (!button->Visible) {
            button->BoundsRect = RECT{0, 0, 0, 0};
            continue;
        }
        RECT measured{0, 0, 0, 0};
        DrawTextWide(dc, button->Caption, measured, DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE | DT_EXPANDTABS);
        const int width = Width(measured);
        const int slot = width > 0 ? width + 10 : width;
        RECT r{};
        if (rightToLeft) {
            r = RECT{x - slot, 0, x, bandHeight - 1};
            x -= slot;
        } else {
            r = RECT{x, 0, x + slot, bandHeight - 1};
            x += slot;
        }
        if (Painting) {
            SetTextColor(dc, ResolveColour(button->Enabled ? SkinData->Colours.MenuBarText : SkinData->Colours.ButtonShadow));
            DrawCentredText(dc, r, button->Caption, 2, true);
        }
        OffsetRect(&r, band.left, band.top);
        button->BoundsRect = r;
    }
}

void TWinSkinMenu::PaintBar(HDC dc, const RECT& band)
{
    BandRect = band;
    const int w = Width(band), h = Height(band);
    if (w <= 0 || h <= 0) return;
    WorkBitmap& work = SharedWorkBitmap();
    HDC workDc = work.Prepare(w, h);
    if (!workDc) return;

    // Background and where the first entry starts.
    int x0 = 6;
    const TDataSkinObject* bar = SkinData->MenuBar.get();
    if (bar && !IsEmptyBitmap(bar->Bitmap)) {
        const int frame = Form->Active ? 1 : 2;
        const RECT all{0, 0, w, h};
        if (bar->Tile == 1)
            DrawElement(workDc, all, bar->Bitmap.get(), true, false, false, 2, frame, bar->Margins());
        else
            DrawThreePart(workDc, all, bar->Bitmap.get(), true, false, 2, frame, bar->Margins());
        x0 = StartOffset(w);
    } else {
        UniqueBrush brush(CreateSolidBrush(ResolveColour(SkinData->Colours.Menubar)));
        const RECT all{0, 0, w, h};
        FillRect(workDc, &all, brush.get());
    }

    // Kept without the captions, to repaint single buttons.
    Background = CreateBitmap32(w, h);
    if (Background) {
        UniqueMemoryDc copy = UniqueMemoryDc::Compatible();
        SelectGuard select(copy.get(), Background.get());
        BitBlt(copy.get(), 0, 0, w, h, workDc, 0, 0, SRCCOPY);
    }

    {
        SelectGuard font(workDc, Screen->MenuFont()->Handle());
        SetBkMode(workDc, TRANSPARENT);
        Painting = true;
        PlaceButtons(workDc, RECT{band.left, band.top, band.right, band.bottom}, x0);
        Painting = false;
    }
    // The entry whose drop-down is open keeps its frame through a repaint
    // of the whole bar (a menu change while the drop-down opens repaints
    // the frame).
    if (TNCObject* hot = Form->HotObject;
        Form->MenuLoopActive() && hot && hot->IsMenuButton() && (hot->State == nsPressed || hot->State == nsHot)) {
        RECT r = hot->BoundsRect;
        OffsetRect(&r, -band.left, -band.top);
        UniqueBrush frame(CreateSolidBrush(ResolveColour(SkinData->Colours.ButtonHilight)));
        FrameRect(workDc, &r, frame.get());
    }

    // The maximised MDI child's buttons sit in the menu bar.
    if (Form->MdiKind == mkParent && Form->IsChildMaximised()) {
        for (const auto& button : Form->CaptionButtons()) {
            const TDataSkinSysButton& d = *button->Description;
            if (d.Visibility != 100 || IsEmptyBitmap(d.Bitmap)) continue;
            RECT r = button->BoundsRect;
            OffsetRect(&r, -Form->FrameLeft, -Form->FrameTop);
            DrawKeyedFrame(workDc, r, std::max(d.Frame, 1), 1, d.Bitmap.get());
        }
        if (TSkinManage* manager = TSkinManage::Instance(); manager && !manager->ChildrenMaximised)
            manager->SetChildrenMaximised(true);
    }
    BitBlt(dc, band.left, band.top, w, h, workDc, 0, 0, SRCCOPY);
}

void TWinSkinMenu::Layout()
{
    RECT window{};
    GetWindowRect(Form->Window(), &window);
    const RECT band{Form->FrameLeft, Form->FrameTop, Width(window) - Form->FrameRight, Form->FrameTop + Form->MenuBarHeight};
    if (Width(band) <= 0 || Height(band) <= 0) return;
    UniqueWindowDc dc = UniqueWindowDc::Whole(Form->Window());
    SelectGuard font(dc.get(), Screen->MenuFont()->Handle());
    PlaceButtons(dc.get(), band, StartOffset(Width(band)));
}

TMenuBtn* TWinSkinMenu::NextButton(bool forward) const
{
    if (Buttons.empty()) return nullptr;
    const int count = static_cast<int>(Buttons.size());
    int index = g_tracking.index;
    if (index < 0 || index >= count) index = forward ? count - 1 : 0;
    index = forward ? (index + 1) % count : (index + count - 1) % count;
    return Buttons[static_cast<size_t>(index)].get();
}

TMenuBtn* TWinSkinMenu::NextOpenableButton(bool forward) const
{
    // Disabled entries open nothing: the walk goes past them rather than
    // ending the menu there.
    const int count = static_cast<int>(Buttons.size());
    int index = g_tracking.index;
    if (index < 0 || index >= count) index = forward ? count - 1 : 0;
    for (int step = 1; step < count; ++step) {
        const int at = forward ? (index + step) % count : (index - step % count + count) % count;
        const TMenuBtn& button = *Buttons[static_cast<size_t>(at)];
        if (button.Enabled && !button.Caption.empty()) return Buttons[static_cast<size_t>(at)].get();
    }
    return nullptr;
}

TMenuBtn* TWinSkinMenu::ButtonAt(POINT point) const
{
    for (const auto& button : Buttons)
        if (PtInRect(&button->BoundsRect, point) && !button->Caption.empty()) return button.get();
    return nullptr;
}

// ---- TMenuBtn ------------------------------------------------------------------------

void TMenuBtn::Paint()
{
    TWinSkinMenu* bar = Form->MenuBar();
    if (!bar || !Form->Window()) return;
    UniqueWindowDc dc = UniqueWindowDc::Whole(Form->Window());
    if (!dc) return;
    const RECT& band = bar->BandRect;
    if (bar->Background) {
        UniqueMemoryDc source = UniqueMemoryDc::Compatible();
        SelectGuard select(source.get(), bar->Background.get());
        BitBlt(dc.get(), BoundsRect.left, band.top, Width(BoundsRect), Height(band), source.get(),
               BoundsRect.left - band.left, 0, SRCCOPY);
    }
    if (State == nsPressed || State == nsHot) {
        UniqueBrush frame(CreateSolidBrush(ResolveColour(SkinData->Colours.ButtonHilight)));
        FrameRect(dc.get(), &BoundsRect, frame.get());
    }
    SelectGuard font(dc.get(), Screen->MenuFont()->Handle());
    SetTextColor(dc.get(), ResolveColour(Enabled ? SkinData->Colours.MenuBarText : SkinData->Colours.ButtonShadow));
    DrawCentredText(dc.get(), BoundsRect, Caption, 2, true);
}

// ---- opening drop-downs -----------------------------------------------------------------

TMenuBtn* TWinSkinForm::FindMenuAccelerator(WPARAM key)
{
    if (!menuBar_) return nullptr;
    for (const auto& button : menuBar_->Buttons)
        if (button->Enabled && button->Visible && IsAccel(key, Utf16ToUtf8(button->Caption))) return button.get();
    return nullptr;
}

void TWinSkinForm::SwitchToMenuButton(TMenuBtn* button)
{
    if (!button || !window_) return;
    RECT window{};
    GetWindowRect(window_, &window);
    const int x = button->BoundsRect.left + window.left + 1, y = button->BoundsRect.top + window.top + 1;
    PostMessageW(window_, WM_NCLBUTTONDOWN, HTCLIENT, MAKELPARAM(x, y));
}

void TWinSkinForm::RememberMenuSelect(WPARAM wParam, LPARAM lParam)
{
    if (g_tracking.form != this) return;
    const UINT flags = HIWORD(wParam);
    const auto menu = reinterpret_cast<HMENU>(lParam);
    if (flags == 0xFFFF && !menu) {
        if (!g_tracking.switching) MenuTracking = false;
        return;
    }
    g_tracking.selectedMenu = menu;
    g_tracking.selectedOpensSubMenu = (flags & MF_POPUP) != 0;
    g_tracking.item = nullptr;
    TMenu* formMenu = FormMenuOf(this);
    if (!formMenu) return;
    UINT key = LOWORD(wParam);
    if (flags & MF_POPUP)
        if (HMENU sub = GetSubMenu(menu, static_cast<int>(LOWORD(wParam)))) key = static_cast<UINT>(reinterpret_cast<UINT_PTR>(sub));
    g_tracking.item = formMenu->FindItem(key);
}

void TWinSkinForm::QueueMenuRebuild(bool keepSystemValues)
{
    if (!menuRebuildPending_) menuRebuildKeepsSystemValues_ = keepSystemValues;
    else menuRebuildKeepsSystemValues_ = menuRebuildKeepsSystemValues_ && keepSystemValues;
    menuRebuildPending_ = true;
}

void TWinSkinForm::ReMarkOpenDropDown()
{
    // The framework writes an item's whole type when it changes, which
    // drops the owner-drawn mark the open drop-down's items were given.
    if (MenuTracking && TrackedPopup && IsMenu(TrackedPopup)) MarkOwnerDrawn(TrackedPopup, ownerDrawnMenus_);
}

void TWinSkinForm::ApplyPendingMenuChange()
{
    if (menuLoopDepth_ > 0) return;
    if (menuBarDropPending_) {
        menuBarDropPending_ = false;
        menuRebuildPending_ = false;
        DropMenuBar();
        return;
    }
    if (!menuRebuildPending_) return;
    menuRebuildPending_ = false;
    if (!menuBar_) return;
    if (menuRebuildKeepsSystemValues_)
        menuBar_->BuildButtonsForFrameMenu();
    else
        menuBar_->BuildButtons();
    if (window_ && GetMenu(window_)) SetMenu(window_, nullptr);
    PaintFrame(nullptr);
}

bool TWinSkinForm::OpenMenuButton(TMenuBtn* button)
{
    if (!button || !window_ || !menuBar_) return false;
    // One drop-down at a time in the process. A click that reaches the bar
    // while one is open (posted by the program, say) switches to its entry
    // once the open one has closed; it never starts a second menu loop
    // inside the first.
    if (g_tracking.form) return RequestMenuSwitch(this, button);
    g_tracking.switching = false;
    const std::shared_ptr<bool> alive = alive_;
    bool opened = false;
    // The buttons may not be freed while this runs: a menu change (a
    // separator hidden below, an action update, a handler) is applied
    // when the last drop-down has closed. Entries are followed by index.
    ++menuLoopDepth_;
    // Walking from one entry to the next closes the drop-down and opens the
    // next one here, one after the other.
    while (button) {
        if (button->MenuItem || !button->SubMenu) PostMessageW(window_, WM_COMMAND, button->Command, 0);
        if (TMenuItem* item = button->MenuItem) {
            TidySeparators(item);
            if (!*alive) return opened;
            // A handler reached through the menu's change notice may have
            // freed the menu: the bar has then forgotten its items.
            if (button->MenuItem) button->SubMenu = item->Count() > 0 ? item->Handle() : nullptr;
        }
        if (!button->SubMenu) break;
        opened = true;

        g_tracking.index = button->Index;
        g_tracking.form = this;
        g_tracking.item = nullptr;
        g_tracking.selectedMenu = nullptr;
        g_tracking.selectedOpensSubMenu = false;
        g_tracking.switchTo = nullptr;
        MarkOwnerDrawn(button->SubMenu, ownerDrawnMenus_);

        MenuTracking = true;
        RECT window{};
        GetWindowRect(window_, &window);
        const int x = (RightToLeft ? button->BoundsRect.right : button->BoundsRect.left) + window.left;
        const int y = button->BoundsRect.bottom + window.top;
        if (TSkinManage* manager = TSkinManage::Instance()) {
            manager->MenuKind = mkWindowMenu;
            manager->DropDownOpen = true;
        }
        TrackedPopup = button->SubMenu;

        GetCursorPos(&g_tracking.lastMouse);
        g_tracking.firstSeen = false;
        g_tracking.switching = false;
        g_tracking.hook = SetWindowsHookExW(WH_MSGFILTER, MenuKeyFilter, nullptr, GetCurrentThreadId());
        UINT command = 0;
        if (button->Enabled) {
            const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | (RightToLeft ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
            command = TrackPopupMenu(button->SubMenu, flags, x, y, 0, window_, nullptr);
        }
        if (g_tracking.hook) UnhookWindowsHookEx(g_tracking.hook);
        g_tracking.hook = nullptr;
        TMenuBtn* next = *alive ? g_tracking.switchTo : nullptr;
        g_tracking.switchTo = nullptr;
        g_tracking.item = nullptr;
        g_tracking.selectedMenu = nullptr;
        g_tracking.index = -1;
        g_tracking.firstSeen = false;
        g_tracking.switching = false;
        g_tracking.form = nullptr;
        // The engine may have been freed inside the loop (the form released,
        // the skin taken off every window): nothing of it is touched then.
        if (!*alive) return opened;
        MenuTracking = false;
        TrackedPopup = nullptr;
        if (command) PostMessageW(window_, WM_COMMAND, command, 0);
        if (!next) break;
        const int nextIndex = next->Index;
        button->MouseLeave();
        // Between two drop-downs nothing is open: a change that waited is
        // applied now and the next entry found again by its place.
        if (menuRebuildPending_ || menuBarDropPending_) {
            --menuLoopDepth_;
            ApplyPendingMenuChange();
            ++menuLoopDepth_;
            next = menuBar_ && nextIndex < static_cast<int>(menuBar_->Buttons.size())
                       ? menuBar_->Buttons[static_cast<size_t>(nextIndex)].get()
                       : nullptr;
            if (!next) break;
        }
        next->MouseDown();
        HotObject = next;
        button = next;
    }
    --menuLoopDepth_;
    ApplyPendingMenuChange();
    return opened;
}

namespace {

// The keyboard and mouse inside a drop-down of the menu bar: Left and Right
// walk to the neighbouring entries (wrapping around), the mouse moving over
// another entry opens that one.
LRESULT CALLBACK MenuKeyFilter(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    try {
        TWinSkinForm* form = g_tracking.form;
        if (msg && code == MSGF_MENU && msg->message == WM_KEYDOWN && g_tracking.selectedMenu) {
            // Arrow keys follow the reading direction of a right-to-left menu.
            if (IsRightToLeftMenu(g_tracking.selectedMenu)) {
                if (msg->wParam == VK_LEFT)
                    msg->wParam = VK_RIGHT;
                else if (msg->wParam == VK_RIGHT)
                    msg->wParam = VK_LEFT;
            }
        }
        const LRESULT next = CallNextHookEx(g_tracking.hook, code, wParam, lParam);
        if (next != 0 || code != MSGF_MENU || !msg || !form || !form->MenuBar()) return next;

        if (!g_tracking.firstSeen) {
            g_tracking.firstSeen = true;
            PostMessageW(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
        }
        TMenuBtn* target = nullptr;
        TWinSkinMenu* bar = form->MenuBar();
        switch (msg->message) {
        case WM_KEYDOWN:
            if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) {
                g_tracking.switching = false;
            } else if (msg->wParam == VK_LEFT) {
                // Left closes an open sub-menu first; at the drop-down's own
                // level it moves to the previous entry.
                if (!g_tracking.selectedMenu || g_tracking.selectedMenu == form->TrackedPopup) target = bar->NextOpenableButton(false);
            } else if (msg->wParam == VK_RIGHT) {
                // Right opens the selected item's sub-menu when it has one.
                if (!g_tracking.selectedOpensSubMenu) target = bar->NextOpenableButton(true);
            }
            break;
        case WM_SYSKEYDOWN:
            if (msg->wParam == VK_MENU) form->MenuTracking = false;
            return next;
        case WM_MOUSEMOVE: {
            POINT cursor{};
            GetCursorPos(&cursor);
            if (cursor.x != g_tracking.lastMouse.x || cursor.y != g_tracking.lastMouse.y) {
                g_tracking.lastMouse = cursor;
                target = bar->ButtonAt(form->ScreenToFrame(cursor));
            }
            break;
        }
        default:
            break;
        }
        if (target && target->Index != g_tracking.index) {
            g_tracking.switching = true;
            g_tracking.switchTo = target;
            EndMenu();
            return 1;  // the key or move is used up
        }
        return next;
    } catch (...) {
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
}

}  // namespace

}  // namespace quorvane
