#include "skin/form/menu_items.h"

#include <algorithm>

#include "framework/forms.h"
#include "framework/message_box.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/form/form_engine.h"
#include "skin/form/menu_bar.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_manager.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// OBM_CHECK: the platform's check mark picture (its headers name it only
// when OEMRESOURCE is defined first).
constexpr WORD kCheckMarkBitmap = 32760;

// A skin data component the manager still knows (menu items may outlive
// the engine that gave them their handlers).
TSkinData* Valid(TSkinData* skinData)
{
    TSkinManage* manager = TSkinManage::Instance();
    if (!skinData || !manager) return nullptr;
    const auto& known = manager->SkinDatas();
    return std::find(known.begin(), known.end(), skinData) != known.end() ? skinData : nullptr;
}

const TDataSkinObject* MenuItemElement(TSkinData* skinData)
{
    if (!skinData || !skinData->MenuItem || IsEmptyBitmap(skinData->MenuItem->Bitmap)) return nullptr;
    return skinData->MenuItem.get();
}

COLORREF Colour(TSkinData* skinData, SkinColour TSkinColours::*member, int fallback)
{
    return skinData ? ResolveColour(skinData->Colours.*member) : GetSysColor(fallback);
}

// A picture of an item's size composed off-screen and drawn once.
class ItemPicture {
public:
    ItemPicture(int width, int height) : size_{std::max(width, 1), std::max(height, 1)}
    {
        bitmap_ = CreateBitmap32(size_.cx, size_.cy);
        dc_ = UniqueMemoryDc::Compatible();
        if (bitmap_ && dc_) previous_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ItemPicture(const ItemPicture&) = delete;
    ItemPicture& operator=(const ItemPicture&) = delete;
    ~ItemPicture()
    {
        if (previous_) SelectObject(dc_.get(), previous_);
    }
    HDC dc() const { return previous_ ? dc_.get() : nullptr; }
    void DrawTo(HDC target, const RECT& rect) const
    {
        if (dc()) BitBlt(target, rect.left, rect.top, Width(rect), Height(rect), dc_.get(), 0, 0, SRCCOPY);
    }

private:
    SIZE size_;
    UniqueBitmap bitmap_;
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
};

// The popup window's background under the item, or the Menu colour.
void FillItemBackground(TSkinData* skinData, HMENU parentMenu, HDC dc, const RECT& rect)
{
    const RECT local{0, 0, Width(rect), Height(rect)};
    TSkinManage* manager = TSkinManage::Instance();
    POINT offset{3, 3};
    HBITMAP background = manager ? manager->PopupBackground(parentMenu, &offset) : nullptr;
    if (background && !IsEmptyBitmap(background)) {
        UniqueMemoryDc source = UniqueMemoryDc::Compatible();
        SelectGuard select(source.get(), background);
        BitBlt(dc, 0, 0, local.right, local.bottom, source.get(), rect.left + offset.x, rect.top + offset.y, SRCCOPY);
        return;
    }
    UniqueBrush brush(CreateSolidBrush(Colour(skinData, &TSkinColours::Menu, COLOR_MENU)));
    FillRect(dc, &local, brush.get());
}

// Item text: caption or shortcut, measured or drawn.
void ItemText(TSkinData* skinData, const MenuItemView& view, HDC dc, std::u16string_view text, RECT& box, UINT flags,
              bool selected, bool measuring)
{
    if (measuring) {
        if (text.empty() || text == u"&") text = u" ";
        DrawTextWide(dc, text, box, flags | DT_CALCRECT);
        return;
    }
    if (text == u"-") {
        RECT line = box;
        line.top += 4;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    SetBkMode(dc, TRANSPARENT);
    COLORREF colour = selected ? Colour(skinData, &TSkinColours::HilightText, COLOR_HIGHLIGHTTEXT)
                               : Colour(skinData, &TSkinColours::MenuText, COLOR_MENUTEXT);
    if (!view.enabled) {
        colour = Colour(skinData, &TSkinColours::ButtonShadow, COLOR_BTNSHADOW);
        if (skinData && skinData->Colours.ButtonShadow == skinData->Colours.MenuText) colour = GetSysColor(COLOR_BTNSHADOW);
    }
    SetTextColor(dc, colour);
    DrawTextWide(dc, text, box, flags);
}

// Our handlers, told apart from the application's by their type.
struct SkinPainter {
    TSkinData* skinData;
    void operator()(TObject* sender, HDC dc, const RECT& rect, bool selected) const
    {
        auto* item = dynamic_cast<TMenuItem*>(sender);
        if (!item) return;
        PaintMenuItem(Valid(skinData), ViewOfItem(item), ParentHandleOf(item), dc, rect, selected);
    }
};
struct SkinMeasurer {
    TSkinData* skinData;
    bool popup;
    void operator()(TObject* sender, HDC, int& width, int& height) const
    {
        auto* item = dynamic_cast<TMenuItem*>(sender);
        if (!item) return;
        if (popup)
            MeasurePopupItem(Valid(skinData), ViewOfItem(item), width, height);
        else
            MeasureMenuItem(Valid(skinData), ViewOfItem(item), width, height);
    }
};

}  // namespace

// ---- views --------------------------------------------------------------------------

HMENU ParentHandleOf(TMenuItem* item)
{
    // The root item's handle is its menu's.
    TMenuItem* parent = item ? item->Parent() : nullptr;
    return parent ? parent->Handle() : nullptr;
}

bool IsRightToLeftMenu(HMENU menu)
{
    if (!menu || GetMenuItemCount(menu) <= 0) return false;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, 0, TRUE, &info) && (info.fType & MFT_RIGHTORDER);
}

MenuItemView ViewOfItem(TMenuItem* item)
{
    MenuItemView view;
    if (!item) return view;
    view.caption = Utf8ToUtf16(item->Caption());
    view.shortcut = Utf8ToUtf16(ShortCutToText(item->ShortCut()));
    view.enabled = item->Enabled();
    view.checked = item->Checked();
    view.isDefault = item->Default();
    view.imageIndex = item->ImageIndex();
    TMenu* menu = item->GetParentMenu();
    view.rightToLeft = item->IsRightToLeft();
    if (menu && menu->Tag() == kSystemMenuTag) {
        // The system menu's pictures are the skin's menu glyphs.
        if (auto* engine = dynamic_cast<TWinSkinForm*>(menu->Owner()); engine && engine->SkinData())
            view.images = engine->SkinData()->MenuImages();
    } else if (TImageList* images = item->GetImageList()) {
        view.images = images->Handle();
    }
    if (!view.rightToLeft) view.rightToLeft = IsRightToLeftMenu(ParentHandleOf(item));
    return view;
}

MenuItemView ViewOfSystemItem(HMENU menu, UINT command)
{
    MenuItemView view;
    WCHAR text[81] = {};
    const int length = menu ? GetMenuStringW(menu, command, text, 80, MF_BYCOMMAND) : 0;
    std::u16string caption(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(std::max(length, 0)));
    if (const size_t tab = caption.find(u'\t'); tab != std::u16string::npos) {
        view.shortcut = caption.substr(tab + 1);
        caption.resize(tab);
    }
    view.caption = caption.empty() ? u"-" : caption;
    const UINT state = menu ? GetMenuState(menu, command, MF_BYCOMMAND) : 0;
    if (state != static_cast<UINT>(-1)) {
        view.enabled = !(state & (MF_DISABLED | MF_GRAYED));
        view.checked = (state & MF_CHECKED) != 0;
    }
    view.rightToLeft = IsRightToLeftMenu(menu);
    return view;
}

// ---- measuring -------------------------------------------------------------------------

void MeasureMenuItem(TSkinData* skinData, const MenuItemView& view, int& width, int& height)
{
    (void)height;
    if (const TDataSkinObject* element = MenuItemElement(skinData)) width += element->LeftWidth;
    width += 10;
    if (!view.images) width += 25;
}

void MeasurePopupItem(TSkinData* skinData, const MenuItemView& view, int& width, int& height)
{
    (void)height;
    if (const TDataSkinObject* element = MenuItemElement(skinData)) width += element->LeftWidth;
    width += 12;
    if (!view.images) width += 23;
}

// ---- painting -----------------------------------------------------------------------------

void PaintItemContent(TSkinData* skinData, const MenuItemView& view, HDC dc, const RECT& rect, bool selected)
{
    const TDataSkinObject* element = MenuItemElement(skinData);
    int glyph = 16;
    if (view.images) {
        int w = 16, h = 16;
        ImageList_GetIconSize(view.images, &w, &h);
        glyph = w;
    }
    if (view.checked) glyph = std::max(glyph, 16);
    const int shift = element ? element->LeftWidth : 0;
    const bool separator = view.IsSeparator();
    SelectGuard font(dc, Screen->MenuFont()->Handle());
    LOGFONTW bold{};
    UniqueFont boldFont;
    if (view.isDefault && !separator) {
        GetObjectW(Screen->MenuFont()->Handle(), sizeof bold, &bold);
        bold.lfWeight = FW_BOLD;
        boldFont.reset(CreateFontIndirectW(&bold));
    }
    SelectGuard boldGuard(dc, boldFont.get());

    RECT glyphBox{};
    if (separator)
        glyphBox = RECT{0, rect.top + 1, 0, rect.top + 1};
    else if (view.rightToLeft)
        glyphBox = RECT{rect.right - 1 - shift - glyph, rect.top + 1, rect.right - 1 - shift, rect.top + 1 + glyph};
    else
        glyphBox = RECT{rect.left + 1 + shift, rect.top + 1, rect.left + 1 + shift + glyph, rect.top + 1 + glyph};

    if (!separator) {
        const int count = view.images ? ImageList_GetImageCount(view.images) : 0;
        if (view.images && view.imageIndex >= 0 && view.imageIndex < count) {
            if (view.checked) {
                // A checked item with a picture: the picture sits in a sunken box.
                static const WORD pattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
                UniqueBitmap checker(CreateBitmap(8, 8, 1, 1, pattern));
                UniqueBrush brush(CreatePatternBrush(checker.get()));
                const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
                const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
                FillRect(dc, &glyphBox, brush.get());
                SetTextColor(dc, oldText);
                SetBkColor(dc, oldBack);
                RECT edge = glyphBox;
                DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
            }
            ImageList_DrawEx(view.images, view.imageIndex, dc, glyphBox.left, glyphBox.top, 0, 0, CLR_NONE, CLR_NONE,
                             view.enabled ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
        } else if (view.checked) {
            // The platform's check mark, in the button-text colour.
            if (HBITMAP check = static_cast<HBITMAP>(LoadImageW(nullptr, MAKEINTRESOURCEW(kCheckMarkBitmap), IMAGE_BITMAP, 0, 0, 0))) {
                const SIZE size = BitmapSize(check);
                UniqueMemoryDc source = UniqueMemoryDc::Compatible(dc);
                {
                    SelectGuard select(source.get(), check);
                    const int x = glyphBox.left + (glyph - size.cx) / 2 + 1;
                    const int y = rect.top + (Height(rect) - size.cy) / 2 + 1;
                    const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
                    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
                    // The monochrome mark: black pixels drawn, white ones left.
                    BitBlt(dc, x, y, size.cx, size.cy, source.get(), 0, 0, SRCAND);
                    SetTextColor(dc, oldText);
                    SetBkColor(dc, oldBack);
                }
                DeleteObject(check);
            }
        }
    }

    const UINT lineFlags = DT_EXPANDTABS | DT_SINGLELINE;
    if (view.rightToLeft && !separator) {
        RECT caption{rect.left + 1, rect.top, glyphBox.left - 3, rect.bottom};
        RECT measured = caption;
        ItemText(skinData, view, dc, view.caption, measured, lineFlags | DT_NOCLIP | DT_RIGHT | DT_RTLREADING, selected, true);
        const int h = Height(measured);
        caption.top = rect.top + (Height(rect) - h) / 2;
        caption.bottom = caption.top + h;
        ItemText(skinData, view, dc, view.caption, caption, lineFlags | DT_RIGHT | DT_RTLREADING, selected, false);
        if (!view.shortcut.empty()) {
            RECT keys{caption.left + 10, caption.top, caption.right, caption.bottom};
            ItemText(skinData, view, dc, view.shortcut, keys, lineFlags | DT_LEFT, selected, false);
        }
        return;
    }
    RECT caption{glyphBox.right + 3, rect.top, rect.right - 1, rect.bottom};
    RECT measured = caption;
    ItemText(skinData, view, dc, view.caption, measured, lineFlags | DT_NOCLIP, selected, true);
    const int h = Height(measured);
    const int captionRight = separator ? caption.right : caption.left + Width(measured);
    caption.top = rect.top + (Height(rect) - h) / 2;
    caption.bottom = caption.top + h;
    ItemText(skinData, view, dc, view.caption, caption, lineFlags, selected, false);
    if (!view.shortcut.empty() && !separator) {
        RECT keys{captionRight, caption.top, rect.right - 11, caption.bottom};
        ItemText(skinData, view, dc, view.shortcut, keys, lineFlags | DT_RIGHT, selected, false);
    }
}

void PaintPlainMenuItem(TSkinData* skinData, const MenuItemView& view, HDC dc, const RECT& rect, bool selected)
{
    ItemPicture picture(Width(rect), Height(rect));
    if (!picture.dc()) return;
    const RECT local{0, 0, Width(rect), Height(rect)};
    UniqueBrush brush(CreateSolidBrush(selected ? Colour(skinData, &TSkinColours::Hilight, COLOR_HIGHLIGHT)
                                                : Colour(skinData, &TSkinColours::Menu, COLOR_MENU)));
    FillRect(picture.dc(), &local, brush.get());
    PaintItemContent(skinData, view, picture.dc(), local, selected);
    picture.DrawTo(dc, rect);
}

void PaintSeparator(TSkinData* skinData, HDC dc, const RECT& rect)
{
    const TDataSkinObject* element = MenuItemElement(skinData);
    if (!element) return;
    const SIZE size = BitmapSize(element->Bitmap.get());
    const int fw = size.cx / 5, bh = size.cy;
    const int w = Width(rect), h = Height(rect);
    if (fw <= 0 || bh <= 0 || w <= 0 || h <= 0) return;
    UniqueBitmap work = CreateBitmap24(w, h);
    UniqueMemoryDc workDc = UniqueMemoryDc::Compatible();
    {
        SelectGuard select(workDc.get(), work.get());
        UniqueBrush magenta(CreateSolidBrush(kKeyColour));
        const RECT all{0, 0, w, h};
        FillRect(workDc.get(), &all, magenta.get());
        const int sy = h < bh ? bh - h : 0;
        const int rows = bh - sy;
        UniqueMemoryDc source = UniqueMemoryDc::Compatible();
        SelectGuard from(source.get(), element->Bitmap.get());
        SetStretchBltMode(workDc.get(), COLORONCOLOR);
        const int l = std::clamp(element->LeftWidth, 0, fw), r = std::clamp(element->RightWidth, 0, fw - l);
        StretchBlt(workDc.get(), 0, 0, l, h, source.get(), fw, sy, l, rows, SRCCOPY);
        StretchBlt(workDc.get(), w - r, 0, r, h, source.get(), 2 * fw - r, sy, r, rows, SRCCOPY);
        if (fw - l - r > 0 && w - l - r > 0)
            StretchBlt(workDc.get(), l, 0, w - l - r, h, source.get(), fw + l, sy, fw - l - r, rows, SRCCOPY);
    }
    TransparentDraw(dc, rect, work.get(), kKeyColour);
}

namespace {

// The skin's item picture: background, the MenuItem element in the item's
// state, the content, one blit.
void PaintSkinnedItem(TSkinData* skinData, const MenuItemView& view, HMENU parentMenu, HDC dc, const RECT& rect,
                      bool selected, bool elementUnderSeparators)
{
    const TDataSkinObject* element = MenuItemElement(skinData);
    if (!element) {
        PaintPlainMenuItem(skinData, view, dc, rect, selected);
        return;
    }
    if (TSkinManage* manager = TSkinManage::Instance()) manager->BindPopupMenu(parentMenu);
    ItemPicture picture(Width(rect), Height(rect));
    if (!picture.dc()) return;
    const RECT local{0, 0, Width(rect), Height(rect)};
    FillItemBackground(skinData, parentMenu, picture.dc(), rect);
    const int frame = selected ? 4 : 1;
    if (!view.IsSeparator() || elementUnderSeparators) {
        DrawElement(picture.dc(), local, element->Bitmap.get(), false, element->Tile == 1, element->Trans == 1, 5, frame,
                    element->Margins());
        PaintItemContent(skinData, view, picture.dc(), local, selected);
        picture.DrawTo(dc, rect);
    } else {
        picture.DrawTo(dc, rect);
        PaintSeparator(skinData, dc, rect);
    }
}

}  // namespace

void PaintMenuItem(TSkinData* skinData, const MenuItemView& view, HMENU parentMenu, HDC dc, const RECT& rect,
                   bool selected)
{
    PaintSkinnedItem(skinData, view, parentMenu, dc, rect, selected, false);
}

void PaintSystemItem(TSkinData* skinData, const MenuItemView& view, HMENU menu, HDC dc, const RECT& rect, bool selected)
{
    PaintSkinnedItem(skinData, view, menu, dc, rect, selected, true);
}

// ---- handlers for framework items --------------------------------------------------------

TMenuDrawItemEvent SkinItemPainter(TSkinData* skinData)
{
    return SkinPainter{skinData};
}

TMenuMeasureItemEvent SkinPopupItemMeasurer(TSkinData* skinData)
{
    return SkinMeasurer{skinData, true};
}

TMenuMeasureItemEvent SkinMenuItemMeasurer(TSkinData* skinData)
{
    return SkinMeasurer{skinData, false};
}

bool IsSkinHandler(const TMenuDrawItemEvent& handler)
{
    return handler && handler.target<SkinPainter>() != nullptr;
}

bool IsSkinHandler(const TMenuMeasureItemEvent& handler)
{
    return handler && handler.target<SkinMeasurer>() != nullptr;
}

// ---- the form engine's part ---------------------------------------------------------------

void TWinSkinForm::BuildSystemMenu()
{
    Free(systemMenuPopup_);
    systemMenuPopup_ = nullptr;
    if (!window_ || !skinData_) return;
    HMENU system = SystemMenu ? SystemMenu : GetSystemMenu(window_, FALSE);
    if (!system) return;
    auto* popup = new TPopupMenu(this);
    popup->SetTag(kSystemMenuTag);
    popup->SetOwnerDraw(true);
    const int count = GetMenuItemCount(system);
    for (int i = 0; i < count; ++i) {
        WCHAR text[81] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 80;
        if (!GetMenuItemInfoW(system, static_cast<UINT>(i), TRUE, &info)) continue;
        std::u16string caption(reinterpret_cast<const char16_t*>(text));
        auto* item = new TMenuItem(popup);
        if (const size_t tab = caption.find(u'\t'); tab != std::u16string::npos) {
            // The key text after a tab is what the item's shortcut shows.
            if (caption.substr(tab + 1) == u"Alt+F4" || caption.substr(tab + 1) == u"ALT+F4")
                item->SetShortCut(static_cast<TShortCut>(scAlt | VK_F4));
            caption.resize(tab);
        }
        item->SetCaption(caption.empty() || (info.fType & MFT_SEPARATOR) ? "-" : Utf16ToUtf8(caption));
        const UINT id = info.wID;
        item->SetTag(static_cast<int>(id));
        // What the system greys stays disabled in the copy.
        bool enabled = (info.fState & (MF_GRAYED | MF_DISABLED)) == 0;
        int image = -1;
        switch (id & 0xFFF0) {
        case SC_SIZE:
        case SC_MOVE:
            enabled = enabled && WindowState != ewsMaximized;
            break;
        case SC_MINIMIZE:
            image = 2;
            enabled = WindowState != ewsMinimized && (BorderIcons & kIconMinimize);
            break;
        case SC_MAXIMIZE:
            image = 1;
            enabled = WindowState != ewsMaximized && (BorderIcons & kIconMaximize);
            break;
        case SC_CLOSE:
            image = 3;
            break;
        case SC_RESTORE:
            image = 0;
            enabled = WindowState != ewsNormal;
            break;
        default:
            break;
        }
        item->SetImageIndex(image);
        item->SetEnabled(enabled);
        item->SetChecked((info.fState & MFS_CHECKED) != 0);
        item->SetDefault((info.fState & MFS_DEFAULT) != 0);
        HWND target = window_;
        item->OnClick = [target, id](TObject*) { PostMessageW(target, WM_SYSCOMMAND, id, 0); };
        item->OnDrawItem = SkinItemPainter(skinData_);
        item->OnMeasureItem = SkinPopupItemMeasurer(skinData_);
        popup->Items()->Add(item);
    }
    systemMenuPopup_ = popup;
}

LRESULT TWinSkinForm::OnMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!measure || measure->CtlType != ODT_MENU || !hadMenuAtAttach_) return Default(msg, wParam, lParam);
    TMenu* formMenu = menuBar_ ? static_cast<TMenu*>(menuBar_->Menu) : nullptr;
    if (form_) {
        if (TMenuItem* item = formMenu ? formMenu->FindItem(measure->itemID) : nullptr) {
            // The item's own size (the framework's, without our handler),
            // then the skin's margins.
            TMenuMeasureItemEvent own = item->OnMeasureItem;
            const bool ours = IsSkinHandler(own);
            if (ours) item->OnMeasureItem = nullptr;
            int width = 0, height = 0;
            {
                UniqueWindowDc dc = UniqueWindowDc::Client(window_);
                SelectGuard font(dc.get(), Screen->MenuFont()->Handle());
                item->MeasureItem(dc.get(), width, height);
            }
            if (ours) item->OnMeasureItem = own;
            if (!own || ours) MeasureMenuItem(skinData_, ViewOfItem(item), width, height);
            measure->itemWidth = static_cast<UINT>(std::max(width, 0));
            measure->itemHeight = static_cast<UINT>(std::max(height, 0));
            return TRUE;
        }
        // The form's other menus (its popups) measure with their own handlers.
        if (FindMenuItem(measure->itemID) || (measure->itemID >= 1 && measure->itemID <= 4095))
            return Default(msg, wParam, lParam);
    }
    // An entry of the window's own menu.
    const MenuItemView view = ViewOfSystemItem(TrackedPopup ? TrackedPopup : GetMenu(window_), measure->itemID);
    UniqueWindowDc dc = UniqueWindowDc::Client(window_);
    SelectGuard font(dc.get(), Screen->MenuFont()->Handle());
    SIZE size{};
    std::u16string text = view.caption == u"-" ? std::u16string() : view.caption;
    if (!view.shortcut.empty()) text += u"    " + view.shortcut;
    GetTextExtentPoint32W(dc.get(), reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<int>(text.size()), &size);
    int width = size.cx + 26;
    if (const TDataSkinObject* element = MenuItemElement(skinData_)) width += element->LeftWidth;
    measure->itemWidth = static_cast<UINT>(width);
    measure->itemHeight = static_cast<UINT>(text.empty() ? 8 : size.cy + 4);
    return TRUE;
}

LRESULT TWinSkinForm::OnDrawItem(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (!draw || draw->CtlType != ODT_MENU || !hadMenuAtAttach_) return Default(msg, wParam, lParam);
    const auto menu = reinterpret_cast<HMENU>(draw->hwndItem);
    if (TSkinManage* manager = TSkinManage::Instance()) manager->BindPopupMenu(menu);
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    TMenu* formMenu = menuBar_ ? static_cast<TMenu*>(menuBar_->Menu) : nullptr;
    if (form_) {
        if (TMenuItem* item = formMenu ? formMenu->FindItem(draw->itemID) : nullptr) {
            if (item->OnDrawItem && !IsSkinHandler(item->OnDrawItem))
                item->OnDrawItem(item, draw->hDC, draw->rcItem, selected);
            else
                PaintMenuItem(skinData_, ViewOfItem(item), menu, draw->hDC, draw->rcItem, selected);
            return TRUE;
        }
        if (FindMenuItem(draw->itemID) || (draw->itemID >= 1 && draw->itemID <= 4095))
            return Default(msg, wParam, lParam);
    }
    PaintSystemItem(skinData_, ViewOfSystemItem(menu, draw->itemID), menu, draw->hDC, draw->rcItem, selected);
    return TRUE;
}

}  // namespace quorvane
