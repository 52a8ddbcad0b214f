#include "framework/menus.h"

#include <algorithm>
#include <map>
#include <set>

#include "framework/forms.h"
#include "framework/message_box.h"

namespace quorvane {

namespace {

// ---- command pool -----------------------------------------------------------------

// Hands out the lowest free identifier and knows the live item of each one.
class CommandPool {
public:
    UINT Allocate(TMenuItem* item)
    {
        UINT command;
        if (!released_.empty()) {
            command = *released_.begin();
            released_.erase(released_.begin());
        } else {
            if (next_ >= kMenuCommandLimit) throw Exception("No free menu command identifier is left");
            command = next_++;
        }
        owners_[command] = item;
        return command;
    }

    void Release(UINT command)
    {
        if (owners_.erase(command) == 0) return;
        if (command + 1 == next_) {
            --next_;
            // Fold the free numbers now at the top back into the counter.
            while (!released_.empty() && *released_.rbegin() + 1 == next_) {
                released_.erase(std::prev(released_.end()));
                --next_;
            }
        } else {
            released_.insert(command);
        }
    }

    TMenuItem* Find(UINT command) const
    {
        auto it = owners_.find(command);
        return it == owners_.end() ? nullptr : it->second;
    }

    template <class F>
    void ForEach(F visit) const
    {
        for (const auto& [command, item] : owners_) visit(item);
    }

private:
    UINT next_ = kFirstMenuCommand;
    std::set<UINT> released_;
    std::map<UINT, TMenuItem*> owners_;
};

CommandPool& Commands()
{
    static auto* pool = new CommandPool;
    return *pool;
}

std::string KeyName(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
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
    case VK_PAUSE:
        return "Pause";
    case VK_MULTIPLY:
        return "Num *";
    case VK_ADD:
        return "Num +";
    case VK_SUBTRACT:
        return "Num -";
    case VK_DECIMAL:
        return "Num Del";
    case VK_DIVIDE:
        return "Num /";
    default:
        break;
    }
    // Punctuation keys name the character they type on this keyboard.
    if (key >= VK_OEM_1 && key <= VK_OEM_102) {
        const UINT character = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0x7FFF;
        if (character > ' ' && character < 0x7F) return std::string(1, static_cast<char>(character));
    }
    return {};
}

const WCHAR* W(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

// The framework's hidden window that owns popup menus nobody else can own.
LRESULT CALLBACK PopupOwnerProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        TMessage message{msg, wParam, lParam, 0};
        if (DispatchMenuItemMessage(message)) return message.result;
    } catch (...) {
        HandleCurrentException(nullptr);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND PopupOwnerWindow()
{
    static HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    static const bool registered = [instance] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PopupOwnerProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = L"TPopupOwner";
        return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) return nullptr;
    window = CreateWindowExW(WS_EX_TOOLWINDOW, L"TPopupOwner", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                             nullptr);
    return window;
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

TMenuItem* FindMenuItem(UINT command)
{
    return Commands().Find(command);
}

bool DispatchMenuItemMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam);
        if (!measure || measure->CtlType != ODT_MENU) return false;
        TMenuItem* item = FindMenuItem(measure->itemID);
        if (!item || measure->itemData != reinterpret_cast<ULONG_PTR>(item)) return false;
        WindowDc dc(nullptr);
        int width = 0, height = 0;
        item->MeasureItem(dc.get(), width, height);
        measure->itemWidth = static_cast<UINT>(std::max(width, 0));
        measure->itemHeight = static_cast<UINT>(std::max(height, 0));
        message.result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.lParam);
        if (!draw || draw->CtlType != ODT_MENU) return false;
        TMenuItem* item = FindMenuItem(draw->itemID);
        if (!item || draw->itemData != reinterpret_cast<ULONG_PTR>(item)) return false;
        SavedDcState state(draw->hDC);
        item->DrawItem(draw->hDC, draw->rcItem, (draw->itemState & ODS_SELECTED) != 0);
        message.result = TRUE;
        return true;
    }
    case WM_INITMENUPOPUP: {
        HMENU opening = reinterpret_cast<HMENU>(message.wParam);
        TMenuItem* owner = nullptr;
        Commands().ForEach([&](TMenuItem* item) {
            if (!owner && item->Count() > 0 && item->HandleAllocated() && item->Handle() == opening) owner = item;
        });
        if (owner) owner->InitiateActions();
        return false;
    }
    default:
        return false;
    }
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
            p.Object<TAction>("Action", &TMenuItem::Action, &TMenuItem::SetAction);
            p.Method("OnClick", [](const TMenuItem& m) { return static_cast<bool>(m.OnClick); });
            p.Method("OnDrawItem", [](const TMenuItem& m) { return static_cast<bool>(m.OnDrawItem); });
            p.Method("OnMeasureItem", [](const TMenuItem& m) { return static_cast<bool>(m.OnMeasureItem); });
        });
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
    command_ = Commands().Allocate(this);
}

TMenuItem::~TMenuItem()
{
    BeforeDestruction();
    if (action_) action_->UnregisterClient(this);
    // Out of the parent's platform menu first, then the sub-items (each
    // leaves this item's platform menu), then the now empty sub-menu.
    if (parent_) parent_->Remove(this);
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        child->HideFromParent();
        items_.pop_back();
        child->parent_ = nullptr;
        Free(child);
    }
    DestroyPlatformMenu();
    Commands().Release(command_);
}

void TMenuItem::DestroyPlatformMenu()
{
    if (!handle_) return;
    // Sub-menus are owned by their own items: take them out so that
    // DestroyMenu does not destroy them with this one.
    while (GetMenuItemCount(handle_) > 0)
        if (!RemoveMenu(handle_, 0, MF_BYPOSITION)) break;
    DestroyMenu(handle_);
    handle_ = nullptr;
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
    if (parent_ && parent_->handle_) {
        if (visible_)
            ShowInParent();
        else
            HideFromParent();
    }
    NotifyMenu();
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

void TMenuItem::SetAction(TAction* action)
{
    if (action == action_) return;
    if (action_) {
        action_->UnregisterClient(this);
        action_->RemoveFreeNotification(this);
    }
    action_ = action;
    if (action_) {
        action_->RegisterClient(this);
        action_->FreeNotification(this);
        ActionChanged(*action_);
    }
}

void TMenuItem::ActionChanged(TAction& action)
{
    // One platform update for all the properties the action carries.
    caption_ = action.Caption();
    enabled_ = action.Enabled();
    checked_ = action.Checked();
    imageIndex_ = action.ImageIndex();
    shortCut_ = action.ShortCut();
    hint_ = action.Hint();
    if (visible_ != action.Visible())
        SetVisible(action.Visible());  // notifies the menu
    else
        Changed();
}

void TMenuItem::ActionFreed(TAction& action)
{
    if (&action == action_) action_ = nullptr;
}

void TMenuItem::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == action_) action_ = nullptr;
}

void TMenuItem::InitiateAction()
{
    if (action_) action_->Update();
}

void TMenuItem::InitiateActions()
{
    // The list may change while actions run (an update may hide or free).
    const std::vector<TMenuItem*> children = items_;
    for (TMenuItem* child : children)
        if (std::find(items_.begin(), items_.end(), child) != items_.end()) child->InitiateAction();
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
    for (const TMenuItem* up = this; up; up = up->parent_)
        if (up == item) throw Exception("A menu item cannot be inserted into its own sub-items");
    if (item->parent_) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    // The item may come from another menu: its entries take this menu's
    // owner-draw and reading order.
    item->RefreshSubtree();
    if (handle_ && item->visible_) item->ShowInParent();
    if (Count() == 1 && inserted_) UpdatePlatformItem();  // now carries a sub-menu
    NotifyMenu();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    item->HideFromParent();
    items_.erase(it);
    item->parent_ = nullptr;
    // An item without sub-items is a plain command again; its (empty)
    // sub-menu handle stays with it for whoever still holds it.
    if (items_.empty() && inserted_) UpdatePlatformItem();
    NotifyMenu();
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

TImageList* TMenuItem::GetImageList() const
{
    const TMenu* menu = GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

bool TMenuItem::IsRightToLeft() const
{
    const TMenu* menu = GetParentMenu();
    return menu && menu->IsRightToLeft();
}

HMENU TMenuItem::Handle()
{
    if (menu_) return menu_->Handle();
    if (!handle_) {
        handle_ = CreatePopupMenu();
        FillPlatformMenu();
    }
    return handle_;
}

void TMenuItem::FillPlatformMenu()
{
    for (TMenuItem* child : items_)
        if (child->visible_) child->ShowInParent();
}

namespace {
// The entry of `item` for its parent's platform menu. `text` keeps the
// string the entry points to alive.
MENUITEMINFOW EntryOf(TMenuItem& item, bool ownerDraw, bool rightToLeft, std::u16string& text)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
    std::string caption = item.IsLine() ? std::string() : item.Caption();
    if (const std::string keys = ShortCutToText(item.ShortCut()); !keys.empty() && !item.IsLine())
        caption += "\t" + keys;
    text = Utf8ToUtf16(caption);
    info.dwTypeData = reinterpret_cast<WCHAR*>(text.data());
    info.fType = item.IsLine() ? MFT_SEPARATOR : MFT_STRING;
    if (ownerDraw) info.fType |= MFT_OWNERDRAW;
    if (item.RadioItem()) info.fType |= MFT_RADIOCHECK;
    if (rightToLeft) info.fType |= MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
    info.fState = (item.Enabled() ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED) | (item.Checked() ? MFS_CHECKED : 0) |
                  (item.Default() ? MFS_DEFAULT : 0);
    info.wID = item.Command();
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    info.hSubMenu = item.Count() > 0 ? item.Handle() : nullptr;
    return info;
}
}  // namespace

int TMenuItem::PlatformPosition() const
{
    if (!parent_ || !parent_->handle_) return -1;
    // Found by identity, not by counting siblings: the platform menu may
    // hold entries that are not ours (the buttons of a maximised MDI child).
    HMENU menu = parent_->handle_;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_DATA;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) && info.wID == command_ &&
            info.dwItemData == reinterpret_cast<ULONG_PTR>(this))
            return i;
    }
    return -1;
}

UINT TMenuItem::InsertPosition() const
{
    const auto& siblings = parent_->items_;
    const auto self = std::find(siblings.begin(), siblings.end(), this);
    for (auto it = self; it != siblings.begin();) {
        --it;
        if ((*it)->inserted_)
            if (const int position = (*it)->PlatformPosition(); position >= 0) return static_cast<UINT>(position + 1);
    }
    for (auto it = self + 1; it != siblings.end(); ++it)
        if ((*it)->inserted_)
            if (const int position = (*it)->PlatformPosition(); position >= 0) return static_cast<UINT>(position);
    // None of ours is shown: in front of the system's command entries at
    // the end (a maximised MDI child's minimise, restore and close).
    HMENU menu = parent_->handle_;
    int position = GetMenuItemCount(menu);
    while (position > 0) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position - 1), TRUE, &info) || info.hSubMenu ||
            info.wID < kMenuCommandLimit)
            break;
        --position;
    }
    return static_cast<UINT>(std::max(position, 0));
}

void TMenuItem::ShowInParent()
{
    if (inserted_ || !parent_ || !parent_->handle_) return;
    const TMenu* menu = GetParentMenu();
    std::u16string text;
    MENUITEMINFOW info = EntryOf(*this, menu && menu->OwnerDraw(), menu && menu->IsRightToLeft(), text);
    if (InsertMenuItemW(parent_->handle_, InsertPosition(), TRUE, &info)) inserted_ = true;
}

void TMenuItem::HideFromParent()
{
    if (!inserted_) return;
    inserted_ = false;
    if (const int position = PlatformPosition(); position >= 0)
        RemoveMenu(parent_->handle_, static_cast<UINT>(position), MF_BYPOSITION);
}

void TMenuItem::UpdatePlatformItem()
{
    if (!inserted_) return;
    const int position = PlatformPosition();
    if (position < 0) {
        // Someone took the entry out behind our back: put it back.
        inserted_ = false;
        ShowInParent();
        return;
    }
    const TMenu* menu = GetParentMenu();
    std::u16string text;
    MENUITEMINFOW info = EntryOf(*this, menu && menu->OwnerDraw(), menu && menu->IsRightToLeft(), text);
    SetMenuItemInfoW(parent_->handle_, static_cast<UINT>(position), TRUE, &info);
}

void TMenuItem::RefreshSubtree()
{
    UpdatePlatformItem();
    for (TMenuItem* child : items_) child->RefreshSubtree();
}

void TMenuItem::Changed()
{
    UpdatePlatformItem();
    NotifyMenu();
}

void TMenuItem::NotifyMenu()
{
    if (TMenu* menu = GetParentMenu(); menu && !menu->IsDestroying()) menu->MenuChanged();
}

void TMenuItem::Click()
{
    if (!enabled_) return;
    if (OnClick)
        OnClick(this);
    else if (action_)
        action_->Execute();
}

void TMenuItem::MeasureItem(HDC dc, int& width, int& height)
{
    SavedDcState state(dc);
    SelectObject(dc, Screen->MenuFont()->Handle());
    TImageList* images = GetImageList();
    const int glyph = images ? images->Width() : 16;
    if (IsLine()) {
        width = 0;
        height = 8;
    } else {
        auto extent = [dc](const std::string& text) {
            const std::u16string wide = Utf8ToUtf16(text.empty() ? " " : text);
            RECT rect{0, 0, 0, 0};
            DrawTextW(dc, W(wide), static_cast<int>(wide.size()), &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOCLIP);
            return SIZE{rect.right - rect.left, rect.bottom - rect.top};
        };
        const SIZE caption = extent(caption_);
        const bool onBar = parent_ && parent_->menu_ && parent_->menu_->Is<TMainMenu>();
        if (onBar) {
            width = caption.cx;
            height = caption.cy + 6;
        } else {
            // glyph box, gap, caption, shortcut column, margin
            width = 2 + glyph + 6 + caption.cx + 8;
            if (const std::string keys = ShortCutToText(shortCut_); !keys.empty()) width += 24 + extent(keys).cx;
            height = std::max({static_cast<int>(caption.cy) + 6, images ? images->Height() + 4 : 0, 19});
        }
    }
    if (OnMeasureItem) OnMeasureItem(this, dc, width, height);
}

void TMenuItem::DrawItem(HDC dc, const RECT& rect, bool selected)
{
    if (OnDrawItem)
        OnDrawItem(this, dc, rect, selected);
    else
        DefaultDrawItem(dc, rect, selected);
}

void TMenuItem::DefaultDrawItem(HDC dc, const RECT& rect, bool selected)
{
    SavedDcState state(dc);
    UniqueBrush background(CreateSolidBrush(SystemColour(selected && !IsLine() ? COLOR_HIGHLIGHT : COLOR_MENU)));
    FillRect(dc, &rect, background.get());
    if (IsLine()) {
        RECT line{rect.left + 2, (rect.top + rect.bottom) / 2 - 1, rect.right - 2, (rect.top + rect.bottom) / 2 + 1};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    const bool rightToLeft = IsRightToLeft();
    TImageList* images = GetImageList();
    const int glyph = images ? images->Width() : 16;
    const int glyphHeight = images ? images->Height() : 16;
    RECT box;
    box.left = rightToLeft ? rect.right - 2 - glyph : rect.left + 2;
    box.right = box.left + glyph;
    box.top = rect.top + (rect.bottom - rect.top - glyphHeight) / 2;
    box.bottom = box.top + glyphHeight;
    if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
        if (checked_) DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
        images->Draw(dc, box.left, box.top, imageIndex_, enabled_);
    } else if (checked_) {
        DrawFrameControl(dc, &box, DFC_MENU, radioItem_ ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    }
    TFont font;
    font.Assign(*Screen->MenuFont());
    if (default_) font.SetStyle(font.Style() | SetOf({fsBold}));
    SelectObject(dc, font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, SystemColour(!enabled_ ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT text = rect;
    if (rightToLeft) {
        text.left += 8;
        text.right = box.left - 6;
    } else {
        text.left = box.right + 6;
        text.right -= 8;
    }
    const UINT reading = rightToLeft ? DT_RTLREADING : 0;
    const std::u16string caption = Utf8ToUtf16(caption_);
    DrawTextW(dc, W(caption), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | reading | (rightToLeft ? DT_RIGHT : DT_LEFT));
    const std::u16string keys = Utf8ToUtf16(ShortCutToText(shortCut_));
    DrawTextW(dc, W(keys), static_cast<int>(keys.size()), &text,
              DT_SINGLELINE | DT_VCENTER | (rightToLeft ? DT_LEFT : DT_RIGHT));
}

// ---- TMenu ------------------------------------------------------------------------

const TClassInfo& TMenu::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TMenu>("TMenu", &TComponent::StaticClass(), [](PropRegistrar<TMenu>& p) {
        p.Object<TMenuItem>("Items", &TMenu::Items, nullptr);
        p.Object<TImageList>("Images", &TMenu::Images, &TMenu::SetImages);
        p.Boolean("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw);
        p.Enumeration("BiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
                      &TMenu::BiDiMode, &TMenu::SetBiDiMode);
        p.Boolean("ParentBiDiMode", &TMenu::ParentBiDiMode, &TMenu::SetParentBiDiMode);
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
    MenuChanged();
}

TBiDiMode TMenu::BiDiMode() const
{
    if (parentBiDiMode_)
        if (const auto* control = As<TControl>(Owner())) return control->BiDiMode();
    return biDiMode_;
}

void TMenu::SetBiDiMode(TBiDiMode mode)
{
    const TBiDiMode before = BiDiMode();
    parentBiDiMode_ = false;
    biDiMode_ = mode;
    if (mode == before) return;
    Rebuild();
    MenuChanged();
}

void TMenu::SetParentBiDiMode(bool value)
{
    const TBiDiMode before = BiDiMode();
    parentBiDiMode_ = value;
    if (BiDiMode() == before) return;
    Rebuild();
    MenuChanged();
}

void TMenu::ParentBiDiModeChanged()
{
    if (!parentBiDiMode_) return;
    Rebuild();
    MenuChanged();
}

bool TMenu::HandleAllocated() const
{
    return items_->handle_ != nullptr;
}

HMENU TMenu::Handle()
{
    if (!items_->handle_) {
        items_->handle_ = CreateMenuHandle();
        items_->FillPlatformMenu();
    }
    return items_->handle_;
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

TMenuItem* TMenu::FindItemByHandle(HMENU handle) const
{
    if (!handle) return nullptr;
    std::vector<TMenuItem*> pending{items_};
    while (!pending.empty()) {
        TMenuItem* item = pending.back();
        pending.pop_back();
        if (item->handle_ == handle) return item;
        for (TMenuItem* child : item->items_) pending.push_back(child);
    }
    return nullptr;
}

bool TMenu::DispatchCommand(UINT command)
{
    TMenuItem* item = FindItem(command);
    if (!item || item->command_ != command) return false;
    item->Click();
    return true;
}

bool TMenu::MeasureItem(MEASUREITEMSTRUCT& measure)
{
    TMenuItem* item = FindMenuItem(measure.itemID);
    if (!item || item->GetParentMenu() != this) return false;
    TMessage message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0};
    return DispatchMenuItemMessage(message);
}

bool TMenu::DrawItem(const DRAWITEMSTRUCT& draw)
{
    TMenuItem* item = FindMenuItem(draw.itemID);
    if (!item || item->GetParentMenu() != this) return false;
    TMessage message{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
    return DispatchMenuItemMessage(message);
}

void TMenu::Rebuild()
{
    for (TMenuItem* child : items_->items_) child->RefreshSubtree();
}

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
    // A window destroys the menu it shows: take ours off first.
    if (HandleAllocated() && window_ && IsWindow(window_) && GetMenu(window_) == Handle()) {
        ::SetMenu(window_, nullptr);
        DrawMenuBar(window_);
    }
}

HMENU TMainMenu::CreateMenuHandle()
{
    return CreateMenu();
}

void TMainMenu::MenuChanged()
{
    // Sent through the window, so whoever replaced the form's procedure
    // sees it too; the form attaches the menu again and redraws the bar.
    if (window_ && IsWindow(window_)) SendMessageW(window_, CM_MENUCHANGED, 0, 0);
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
}

HMENU TPopupMenu::CreateMenuHandle()
{
    return CreatePopupMenu();
}

void TPopupMenu::Popup(int x, int y)
{
    HWND owner = nullptr;
    if (auto* control = dynamic_cast<TControl*>(popupComponent_))
        if (TWinControl* form = control->ParentForm(); form && form->HandleAllocated()) owner = form->Handle();
    if (!owner) owner = GetActiveWindow();
    if (!owner && Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        owner = Application->MainForm()->Handle();
    if (!owner) owner = PopupOwnerWindow();
    Popup(x, y, owner);
}

void TPopupMenu::Popup(int x, int y, HWND owner)
{
    if (OnPopup) OnPopup(this);
    Items()->InitiateActions();
    const UINT align = IsRightToLeft() ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const UINT command = TrackPopupMenu(Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | align, x, y, 0, owner, nullptr);
    if (command) DispatchCommand(command);
}

}  // namespace quorvane
