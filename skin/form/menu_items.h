// Owner-drawn menu items painted from the skin: the measurers and painters
// of items in drop-downs, popup menus and the system menu, the handlers the
// engine gives to framework menu items, and the owner-drawn copy of a
// window's system menu.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/menus.h"

namespace quorvane {

class TSkinData;

// What an item shows, whatever kind of menu it comes from.
struct MenuItemView {
    std::u16string caption;   // with '&' accelerators; "-" for a separator
    std::u16string shortcut;  // may be empty
    bool enabled = true;
    bool checked = false;
    bool isDefault = false;
    int imageIndex = -1;
    HIMAGELIST images = nullptr;
    bool rightToLeft = false;
    bool IsSeparator() const { return caption == u"-"; }
};

// The view of a framework menu item.
MenuItemView ViewOfItem(TMenuItem* item);
// The view of an entry of a platform menu, by command.
MenuItemView ViewOfSystemItem(HMENU menu, UINT command);
// The menu that holds a framework item (its parent's submenu or the menu).
HMENU ParentHandleOf(TMenuItem* item);
// Whether a platform menu reads right to left (its items are right-ordered).
bool IsRightToLeftMenu(HMENU menu);

// Measuring: width and height hold the item's own size on entry.
void MeasureMenuItem(TSkinData* skinData, const MenuItemView& view, int& width, int& height);
void MeasurePopupItem(TSkinData* skinData, const MenuItemView& view, int& width, int& height);

// Painting into dc at rect (the item's DC and rectangle); parentMenu is the
// menu showing the item (its popup window's background lies under it).
void PaintMenuItem(TSkinData* skinData, const MenuItemView& view, HMENU parentMenu, HDC dc, const RECT& rect,
                   bool selected);
void PaintPlainMenuItem(TSkinData* skinData, const MenuItemView& view, HDC dc, const RECT& rect, bool selected);
void PaintSystemItem(TSkinData* skinData, const MenuItemView& view, HMENU menu, HDC dc, const RECT& rect, bool selected);
void PaintItemContent(TSkinData* skinData, const MenuItemView& view, HDC dc, const RECT& rect, bool selected);
void PaintSeparator(TSkinData* skinData, HDC dc, const RECT& rect);

// The handlers the engine gives framework menu items. Recognisable, so that
// only these are taken away again and the application's own stay.
TMenuDrawItemEvent SkinItemPainter(TSkinData* skinData);
TMenuMeasureItemEvent SkinPopupItemMeasurer(TSkinData* skinData);
TMenuMeasureItemEvent SkinMenuItemMeasurer(TSkinData* skinData);
bool IsSkinHandler(const TMenuDrawItemEvent& handler);
bool IsSkinHandler(const TMenuMeasureItemEvent& handler);

// The system menu popup's Tag.
inline constexpr int kSystemMenuTag = 33333;

}  // namespace quorvane
