// Menus: items (with sub-items) building platform menus, the main menu of a
// form and popup menus.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/image_list.h"

namespace quorvane {

class TMenu;

using TShortCut = unsigned short;  // virtual key | scShift/scCtrl/scAlt
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
std::string ShortCutToText(TShortCut shortCut);

using TMenuDrawItemEvent = std::function<void(TObject* sender, HDC dc, const RECT& rect, bool selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, HDC dc, int& width, int& height)>;

class TMenuItem : public TComponent {
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

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    // The menu (main or popup) this item belongs to.
    TMenu* GetParentMenu() const;

    // Identifier in the platform menu (WM_COMMAND), unique in the process.
    UINT Command() const { return command_; }
    // The platform submenu of an item with sub-items (built on demand).
    HMENU Handle();

    virtual void Click();

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;
    // An action: runs when clicked and no OnClick is set.
    TNotifyEvent Action;

private:
    friend class TMenu;
    friend class TMainMenu;
    friend class TPopupMenu;
    void Changed();
    void AppendTo(HMENU menu, bool ownerDraw);
    void RebuildSubmenu();

    std::string caption_;
    bool enabled_ = true, checked_ = false, visible_ = true, default_ = false, radioItem_ = false;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    std::string hint_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;
    UINT command_ = 0;
    HMENU handle_ = nullptr;
};

class TMenu : public TComponent {
    QUORVANE_CLASS(TMenu)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    TMenuItem* Items() const { return items_; }
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    virtual HMENU Handle() = 0;
    // The item with this command identifier (or submenu handle), or null.
    TMenuItem* FindItem(UINT commandOrHandle) const;
    // Dispatches WM_COMMAND of a menu item; true when it was ours.
    bool DispatchCommand(UINT command);
    // WM_MEASUREITEM / WM_DRAWITEM for owner-drawn items; true when ours.
    bool MeasureItem(MEASUREITEMSTRUCT& measure);
    bool DrawItem(const DRAWITEMSTRUCT& draw);

    // The menu changed; rebuilds the platform menu.
    virtual void Rebuild();

protected:
    void Notification(TComponent* component, TOperation operation) override;

    TMenuItem* items_;
    TImageList* images_ = nullptr;
    bool ownerDraw_ = false;
};

class TMainMenu : public TMenu {
    QUORVANE_CLASS(TMainMenu)
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    HMENU Handle() override;
    void Rebuild() override;
    // The form window showing this menu (set by the form).
    void SetWindow(HWND window) { window_ = window; }

private:
    HMENU handle_ = nullptr;
    HWND window_ = nullptr;
};

class TPopupMenu : public TMenu {
    QUORVANE_CLASS(TPopupMenu)
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    HMENU Handle() override;
    void Rebuild() override;
    // Shows the menu at a screen point and runs the chosen item's Click.
    void Popup(int x, int y);
    TObject* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TObject* component) { popupComponent_ = component; }
    TNotifyEvent OnPopup;

private:
    HMENU handle_ = nullptr;
    TObject* popupComponent_ = nullptr;
};

}  // namespace quorvane
