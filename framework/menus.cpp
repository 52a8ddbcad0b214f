#include "framework/menus.h"

#include <algorithm>

#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/message_box.h"

namespace quorvane {

namespace {

// Menu command identifiers, unique in the process; 0 is never used.
UINT NextCommand()
{
    static UINT next = 0;
    next = next >= 0xFFFE ? 1 : next + 1;
    return next;
}

std::string KeyName(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
    case VK_BACK:
        return "BkSp";
    case VK_TAB:
        return "Tab";
    case VK_RETURN:
        return "Enter";
    case VK_ESCAPE:
        return "Esc";
    case VK_SPACE:
        return "Space";
    case VK_PRIOR:
        return "PgUp";
    case VK_NEXT:
        return "PgDn";
    case VK_END:
        return "End";
    case VK_HOME:
        return "Home";
    case VK_LEFT:
        return "Left";
    case VK_UP:
        return "Up";
    case VK_RIGHT:
        return "Right";
    case VK_DOWN:
        return "Down";
    case VK_INSERT:
        return "Ins";
    case VK_DELETE:
        return "Del";
    default:
        return {};
    }
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut)
{
    const std::string key = KeyName(static_cast<WORD>(shortCut & 0xFF));
    if (key.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + key;
}

// ---- TMenuItem ------------------------------------------------------------------

const TClassInfo& TMenuItem::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TMenuItem>("TMenuItem", &TComponent::StaticClass(), [](PropRegistrar<TMenuItem>& p) {
            p.AnsiText("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
            p.Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
            p.Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
            p.Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
            p.Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault);
            p.Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem);
            p.Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex);
            p.Integer("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut);
            p.AnsiText("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
            p.Method("OnClick", [](const TMenuItem& m) { return static_cast<bool>(m.OnClick); });
            p.Method("OnDrawItem", [](const TMenuItem& m) { return static_cast<bool>(m.OnDrawItem); });
            p.Method("OnMeasureItem", [](const TMenuItem& m) { return static_cast<bool>(m.OnMeasureItem); });
        });
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem()
{
    BeforeDestruction();
    // Sub-items go with their item.
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        Free(child);
    }
    if (parent_) parent_->Remove(this);
}

void TMenuItem::SetCaption(const std::string& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    Changed();
}

void TMenuItem::SetChecked(bool value)
{
    if (value == checked_) return;
    checked_ = value;
    Changed();
}

void TMenuItem::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

void TMenuItem::SetDefault(bool value)
{
    if (value == default_) return;
    default_ = value;
    Changed();
}

void TMenuItem::SetRadioItem(bool value)
{
    if (value == radioItem_) return;
    radioItem_ = value;
    Changed();
}

void TMenuItem::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut value)
{
    if (value == shortCut_) return;
    shortCut_ = value;
    Changed();
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item == this) return;
    if (item->parent_) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->parent_) item = item->parent_;
    return item->menu_;
}

HMENU TMenuItem::Handle()
{
    if (!handle_) RebuildSubmenu();
    return handle_;
}

void TMenuItem::RebuildSubmenu()
{
    handle_ = CreatePopupMenu();
    const TMenu* menu = GetParentMenu();
    const bool ownerDraw = menu && menu->OwnerDraw();
    for (TMenuItem* child : items_) child->AppendTo(handle_, ownerDraw);
}

void TMenuItem::AppendTo(HMENU menu, bool ownerDraw)
{
    if (!visible_) return;
    std::string text = caption_;
    if (const std::string keys = ShortCutToText(shortCut_); !keys.empty()) text += "\t" + keys;
    std::u16string wide = Utf8ToUtf16(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
    info.fType = IsLine() ? MFT_SEPARATOR : 0;
    if (ownerDraw) info.fType |= MFT_OWNERDRAW;
    if (radioItem_) info.fType |= MFT_RADIOCHECK;
    if (!IsLine()) {
        info.fMask |= MIIM_STRING;
        info.dwTypeData = reinterpret_cast<WCHAR*>(wide.data());
    }
    info.fState = (enabled_ ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED) | (checked_ ? MFS_CHECKED : 0) |
                  (default_ ? MFS_DEFAULT : 0);
    info.wID = command_;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    handle_ = nullptr;
    if (!items_.empty()) {
        RebuildSubmenu();
        info.hSubMenu = handle_;
    }
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

void TMenuItem::Changed()
{
    if (TMenu* menu = GetParentMenu(); menu && !menu->IsDestroying()) menu->Rebuild();
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
    else if (Action)
        Action(this);
}

// ---- TMenu ------------------------------------------------------------------------

const TClassInfo& TMenu::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TMenu>("TMenu", &TComponent::StaticClass(), [](PropRegistrar<TMenu>& p) {
        p.Object<TMenuItem>("Items", &TMenu::Items, nullptr);
        p.Object<TImageList>("Images", &TMenu::Images, &TMenu::SetImages);
        p.Boolean("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw);
    });
    return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr))
{
    items_->menu_ = this;
}

TMenu::~TMenu()
{
    BeforeDestruction();
    Free(items_);
}

void TMenu::SetImages(TImageList* images)
{
    images_ = images;
    if (images) images->FreeNotification(this);
}

void TMenu::SetOwnerDraw(bool value)
{
    if (value == ownerDraw_) return;
    ownerDraw_ = value;
    Rebuild();
}

void TMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == images_) images_ = nullptr;
}

TMenuItem* TMenu::FindItem(UINT commandOrHandle) const
{
    std::vector<TMenuItem*> pending{items_};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        if (item != items_ && (item->command_ == commandOrHandle ||
                               (item->handle_ && reinterpret_cast<UINT_PTR>(item->handle_) == commandOrHandle)))
            return item;
        for (TMenuItem* child : item->items_) pending.push_back(child);
    }
    return nullptr;
}

bool TMenu::DispatchCommand(UINT command)
{
    TMenuItem* item = FindItem(command);
    if (!item) return false;
    item->Click();
    return true;
}

namespace {
bool BelongsTo(const TMenu& menu, const TMenuItem* item)
{
    return item && item->GetParentMenu() == &menu;
}
}  // namespace

bool TMenu::MeasureItem(MEASUREITEMSTRUCT& measure)
{
    auto* item = FindItem(measure.itemID);
    if (!item || !BelongsTo(*this, item)) return false;
    int width = 0, height = 0;
    WindowDc dc(nullptr);
    SelectGuard font(dc.get(), Screen->MenuFont()->Handle());
    if (item->IsLine()) {
        height = 8;
    } else {
        SIZE size{};
        const std::u16string text = Utf8ToUtf16(item->Caption() + "    " + ShortCutToText(item->ShortCut()));
        GetTextExtentPoint32W(dc.get(), reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<int>(text.size()), &size);
        width = size.cx + 32;
        height = std::max<int>(size.cy + 6, 19);
    }
    if (item->OnMeasureItem) item->OnMeasureItem(item, dc.get(), width, height);
    measure.itemWidth = static_cast<UINT>(std::max(width, 0));
    measure.itemHeight = static_cast<UINT>(std::max(height, 0));
    return true;
}

bool TMenu::DrawItem(const DRAWITEMSTRUCT& draw)
{
    auto* item = FindItem(draw.itemID);
    if (!item || !BelongsTo(*this, item)) return false;
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    if (item->OnDrawItem) {
        item->OnDrawItem(item, draw.hDC, draw.rcItem, selected);
        return true;
    }
    // Plain drawing: highlight, image, caption and short cut.
    RECT rect = draw.rcItem;
    FillRect(draw.hDC, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (item->IsLine()) {
        RECT line{rect.left + 2, (rect.top + rect.bottom) / 2 - 1, rect.right - 2, (rect.top + rect.bottom) / 2 + 1};
        DrawEdge(draw.hDC, &line, EDGE_ETCHED, BF_TOP);
        return true;
    }
    if (images_ && item->ImageIndex() >= 0)
        images_->Draw(draw.hDC, rect.left + 2, rect.top + (rect.bottom - rect.top - images_->Height()) / 2,
                      item->ImageIndex(), item->Enabled());
    SelectGuard font(draw.hDC, Screen->MenuFont()->Handle());
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, GetSysColor(!item->Enabled() ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT text = rect;
    text.left += 24;
    text.right -= 8;
    const std::u16string caption = Utf8ToUtf16(item->Caption());
    DrawTextW(draw.hDC, reinterpret_cast<const WCHAR*>(caption.c_str()), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    const std::u16string keys = Utf8ToUtf16(ShortCutToText(item->ShortCut()));
    DrawTextW(draw.hDC, reinterpret_cast<const WCHAR*>(keys.c_str()), static_cast<int>(keys.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    return true;
}

void TMenu::Rebuild() {}

// ---- TMainMenu ------------------------------------------------------------------------

const TClassInfo& TMainMenu::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TMainMenu", &TMenu::StaticClass());
    return info;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu()
{
    BeforeDestruction();
    if (window_ && IsWindow(window_) && GetMenu(window_) == handle_) ::SetMenu(window_, nullptr);
    if (handle_) DestroyMenu(handle_);
}

HMENU TMainMenu::Handle()
{
    if (!handle_) {
        handle_ = CreateMenu();
        for (int i = 0; i < items_->Count(); ++i) items_->Items(i)->AppendTo(handle_, ownerDraw_);
    }
    return handle_;
}

void TMainMenu::Rebuild()
{
    if (!handle_) return;
    HMENU old = handle_;
    handle_ = nullptr;
    HMENU fresh = Handle();
    if (window_ && IsWindow(window_) && GetMenu(window_) == old) {
        ::SetMenu(window_, fresh);
        DrawMenuBar(window_);
        if (TWinControl* form = FindControl(window_)) form->Perform(CM_MENUCHANGED, 0, 0);
    }
    DestroyMenu(old);
}

// ---- TPopupMenu ------------------------------------------------------------------------

const TClassInfo& TPopupMenu::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TPopupMenu", &TMenu::StaticClass());
    return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu()
{
    BeforeDestruction();
    if (handle_) DestroyMenu(handle_);
}

HMENU TPopupMenu::Handle()
{
    if (!handle_) {
        handle_ = CreatePopupMenu();
        for (int i = 0; i < items_->Count(); ++i) items_->Items(i)->AppendTo(handle_, ownerDraw_);
    }
    return handle_;
}

void TPopupMenu::Rebuild()
{
    if (!handle_) return;
    DestroyMenu(handle_);
    handle_ = nullptr;
}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup) OnPopup(this);
    HWND owner = nullptr;
    if (auto* control = dynamic_cast<TControl*>(popupComponent_))
        if (TWinControl* form = control->ParentForm(); form && form->HandleAllocated()) owner = form->Handle();
    if (!owner && Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        owner = Application->MainForm()->Handle();
    if (!owner) owner = GetActiveWindow();
    const UINT command = TrackPopupMenu(Handle(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    if (command) DispatchCommand(command);
}

}  // namespace quorvane
