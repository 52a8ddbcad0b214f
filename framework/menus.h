// Menus: items (with sub-items) kept live in platform menus, the main menu
// of a form and popup menus.
//
// Platform menu handles are stable: a menu's handle and the sub-menu handle
// of an item live as long as the object does, and every change (caption,
// state, visibility, added or removed items) edits the existing platform
// menu in place, so a handle somebody else holds (a menu bar painter, an
// open drop-down) stays valid.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/component.h"
#include "framework/controls.h"
#include "framework/image_list.h"

namespace quorvane {

class TMenu;
class TMenuItem;

using TShortCut = unsigned short;  // virtual key | scShift/scCtrl/scAlt
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
// "Ctrl+O", "Shift+Ctrl+F12", "Alt+Del"; empty for a key without a name.
std::string ShortCutToText(TShortCut shortCut);

// Command identifiers of menu items come from one pool that hands out the
// lowest free number from kFirstMenuCommand up to kMenuCommandLimit and
// takes it back when the item goes. 1..4095 stay free for a form's own
// commands; 0xF000 and up are the system menu's (SC_*).
inline constexpr UINT kFirstMenuCommand = 0x1000;
inline constexpr UINT kMenuCommandLimit = 0xF000;
// The live menu item that owns `command`, or null.
TMenuItem* FindMenuItem(UINT command);

// Measures (WM_MEASUREITEM) or draws (WM_DRAWITEM) an owner-drawn item of
// any live framework menu, whatever window the message reached; on
// WM_INITMENUPOPUP brings the actions of the opening sub-menu's items up to
// date. The item is recognised by its command and the item data the
// framework stored with it; the data is compared, never followed, so a
// stale or foreign entry is simply not ours. True when the message was
// handled (its result is set); WM_INITMENUPOPUP always answers false so the
// default handling still runs.
bool DispatchMenuItemMessage(TMessage& message);

using TMenuDrawItemEvent = std::function<void(TObject* sender, HDC dc, const RECT& rect, bool selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, HDC dc, int& width, int& height)>;

class TMenuItem : public TComponent, private TActionClient {
    QUORVANE_CLASS(TMenuItem)
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // "&File", "-" for a separator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    // A hidden item is not in the platform menu at all.
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool IsLine() const { return caption_ == "-"; }

    // The linked action: the item shows its caption, state, image and
    // shortcut, and a click without an OnClick runs it. Null unlinks.
    TAction* Action() const { return action_; }
    void SetAction(TAction* action);
    // Runs the linked action's update (OnUpdate); InitiateActions does so
    // for every sub-item, nested.
    void InitiateAction();
    void InitiateActions();

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    // The menu (main or popup) this item belongs to.
    TMenu* GetParentMenu() const;
    // The image list of the item's menu, or null.
    TImageList* GetImageList() const;
    // The item's menu reads right to left.
    bool IsRightToLeft() const;

    // Identifier in the platform menu (WM_COMMAND), from the command pool.
    UINT Command() const { return command_; }
    // The platform sub-menu of this item (created on first use, then kept
    // for the item's life); for a menu's root item, the menu's handle.
    HMENU Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // The item is in its parent's platform menu right now.
    bool InPlatformMenu() const { return inserted_; }

    // The item's size as the framework measures it: caption, shortcut and
    // image in the menu font, then OnMeasureItem (when set) may change it.
    void MeasureItem(HDC dc, int& width, int& height);
    // Draws the item: OnDrawItem when set, otherwise DefaultDrawItem.
    void DrawItem(HDC dc, const RECT& rect, bool selected);
    // The framework's own drawing: highlight, image or check mark, caption
    // and shortcut (mirrored for a right-to-left menu).
    void DefaultDrawItem(HDC dc, const RECT& rect, bool selected);

    // Runs OnClick, or the action when there is no OnClick; nothing for a
    // disabled item.
    virtual void Click();

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TMenu;
    void ActionChanged(TAction& action) override;
    void ActionFreed(TAction& action) override;

    // Property change: update the platform entry and tell the menu.
    void Changed();
    void NotifyMenu();
    // Platform side of this item inside its parent's platform menu.
    void FillPlatformMenu();
    void ShowInParent();
    void HideFromParent();
    void UpdatePlatformItem();
    void RefreshSubtree();
    int PlatformPosition() const;
    UINT InsertPosition() const;
    void DestroyPlatformMenu();

    std::string caption_;
    bool enabled_ = true, checked_ = false, visible_ = true, default_ = false, radioItem_ = false;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    std::string hint_;
    TAction* action_ = nullptr;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on a menu's root item only
    UINT command_ = 0;
    HMENU handle_ = nullptr;
    bool inserted_ = false;
};

class TMenu : public TComponent {
    QUORVANE_CLASS(TMenu)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    TMenuItem* Items() const { return items_; }
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // Every item owner-drawn (WM_MEASUREITEM / WM_DRAWITEM).
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);

    // Right to left: items carry MFT_RIGHTORDER | MFT_RIGHTJUSTIFY and are
    // drawn mirrored. With ParentBiDiMode (the default) the menu follows the
    // control that owns it.
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    bool IsRightToLeft() const { return BiDiMode() != bdLeftToRight; }
    // The owner's reading order changed.
    void ParentBiDiModeChanged();

    // The platform menu, created on first use and kept for the menu's life.
    HMENU Handle();
    bool HandleAllocated() const;
    // The item with this command identifier (or sub-menu handle), or null.
    TMenuItem* FindItem(UINT commandOrHandle) const;
    TMenuItem* FindItemByHandle(HMENU handle) const;
    // Dispatches WM_COMMAND of a menu item; true when it was ours.
    bool DispatchCommand(UINT command);
    // WM_MEASUREITEM / WM_DRAWITEM for an item of this menu; true when ours.
    bool MeasureItem(MEASUREITEMSTRUCT& measure);
    bool DrawItem(const DRAWITEMSTRUCT& draw);

    // Brings every platform entry up to date with its item (in place).
    void Rebuild();

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual HMENU CreateMenuHandle() = 0;
    // Something in the menu changed (after the platform menu was updated).
    virtual void MenuChanged() {}

private:
    friend class TMenuItem;

    TMenuItem* items_;
    TImageList* images_ = nullptr;
    bool ownerDraw_ = false;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
};

class TMainMenu : public TMenu {
    QUORVANE_CLASS(TMainMenu)
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    // The form window showing this menu (set by the form). Every change of
    // the menu sends CM_MENUCHANGED to it, attached or not.
    void SetWindow(HWND window) { window_ = window; }
    HWND Window() const { return window_; }

protected:
    HMENU CreateMenuHandle() override;
    void MenuChanged() override;

private:
    HWND window_ = nullptr;
};

class TPopupMenu : public TMenu {
    QUORVANE_CLASS(TPopupMenu)
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    // Shows the menu at a screen point and runs the chosen item's Click.
    // The owner window receives the menu's messages: by default the popup
    // component's form, else the active window, else the main form, else
    // the framework's own hidden popup owner.
    void Popup(int x, int y);
    void Popup(int x, int y, HWND owner);
    TObject* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TObject* component) { popupComponent_ = component; }
    TNotifyEvent OnPopup;

protected:
    HMENU CreateMenuHandle() override;

private:
    TObject* popupComponent_ = nullptr;
};

}  // namespace quorvane
