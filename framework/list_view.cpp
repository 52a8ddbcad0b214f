// TListColumn, TListItem(s), TCustomListView and TListView: the list view.

#include "framework/list_controls.h"

#include <algorithm>

#include "framework/com_controls.h"
#include "framework/list_controls_internal.h"
#include "framework/message_box.h"

namespace quorvane {

using namespace list_controls_internal;

// ---- TListColumn -------------------------------------------------------------

const TClassInfo& TListColumn::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TListColumn>(
        "TListColumn", &TCollectionItem::StaticClass(), [](PropRegistrar<TListColumn>& p) {
            p.AnsiText("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
            p.Integer("Width", &TListColumn::Width, &TListColumn::SetWidth);
            p.Enumeration("Alignment", kAlignments, &TListColumn::Alignment, &TListColumn::SetAlignment);
        });
    return info;
}

void TListColumn::SetCaption(const std::string& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

int TListColumn::Width() const
{
    if (listView_ && listView_->HandleAllocated() && listView_->viewStyle_ == vsReport)
        return static_cast<int>(SendMessageW(listView_->WindowHandle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
    return width_;
}

void TListColumn::SetWidth(int width)
{
    width_ = width;
    Changed();
}

void TListColumn::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Changed();
}

// ---- TListItem / TListItems ----------------------------------------------------

const TClassInfo& TListItem::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TListItem>("TListItem", &TPersistent::StaticClass(), [](PropRegistrar<TListItem>& p) {
            p.AnsiText("Caption", &TListItem::Caption, &TListItem::SetCaption);
            p.Object<TStrings>("SubItems", &TListItem::SubItems, nullptr);
            p.Integer("ImageIndex", &TListItem::ImageIndex, &TListItem::SetImageIndex);
            p.Boolean("Selected", &TListItem::Selected, &TListItem::SetSelected);
            p.Boolean("Checked", &TListItem::Checked, &TListItem::SetChecked);
            p.Integer("Index", &TListItem::Index, nullptr);
        });
    return info;
}

TListItem::TListItem(TListItems* owner) : owner_(owner), subItems_(std::make_unique<TStringList>())
{
    subItems_->OnChange = [this](TObject*) { PutSubItems(); };
}

TListItem::~TListItem()
{
    subItems_->OnChange = nullptr;
}

namespace {
HWND ListWindow(const TListItems* items)
{
    return items && items->Owner() ? items->Owner()->WindowHandle() : nullptr;
}
}  // namespace

void TListItem::SetCaption(const std::string& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    if (HWND window = ListWindow(owner_)) {
        std::u16string text = Utf8ToUtf16(caption_);
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = W(text);
        SendMessageW(window, LVM_SETITEMTEXTW, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&item));
    }
}

void TListItem::PutSubItems()
{
    HWND window = ListWindow(owner_);
    if (!window || index_ < 0) return;
    const int count = subItems_->Count();
    for (int i = 0; i < std::max(count, putSubItems_); ++i) {
        std::u16string text = i < count ? Utf8ToUtf16(subItems_->Get(i)) : std::u16string();
        LVITEMW item{};
        item.iSubItem = i + 1;
        item.pszText = W(text);
        SendMessageW(window, LVM_SETITEMTEXTW, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&item));
    }
    putSubItems_ = count;
}

void TListItem::SetImageIndex(int index)
{
    if (index == imageIndex_) return;
    imageIndex_ = index;
    if (HWND window = ListWindow(owner_)) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = index_;
        item.iImage = index;
        SendMessageW(window, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

namespace {
UINT ItemState(HWND window, int index, UINT mask)
{
    return static_cast<UINT>(SendMessageW(window, LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
}
void SetItemState(HWND window, int index, UINT mask, UINT state)
{
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(window, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
}  // namespace

bool TListItem::Selected() const
{
    if (HWND window = ListWindow(owner_)) return ItemState(window, index_, LVIS_SELECTED) & LVIS_SELECTED;
    return state_ & LVIS_SELECTED;
}

void TListItem::SetSelected(bool value)
{
    state_ = value ? state_ | LVIS_SELECTED : state_ & ~static_cast<UINT>(LVIS_SELECTED);
    if (HWND window = ListWindow(owner_)) SetItemState(window, index_, LVIS_SELECTED, value ? LVIS_SELECTED : 0);
}

bool TListItem::Focused() const
{
    if (HWND window = ListWindow(owner_)) return ItemState(window, index_, LVIS_FOCUSED) & LVIS_FOCUSED;
    return state_ & LVIS_FOCUSED;
}

void TListItem::SetFocused(bool value)
{
    state_ = value ? state_ | LVIS_FOCUSED : state_ & ~static_cast<UINT>(LVIS_FOCUSED);
    if (HWND window = ListWindow(owner_)) SetItemState(window, index_, LVIS_FOCUSED, value ? LVIS_FOCUSED : 0);
}

bool TListItem::Checked() const
{
    if (HWND window = ListWindow(owner_)) return (ItemState(window, index_, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == kChecked;
    return (state_ & LVIS_STATEIMAGEMASK) == kChecked;
}

void TListItem::SetChecked(bool value)
{
    state_ = (state_ & ~static_cast<UINT>(LVIS_STATEIMAGEMASK)) | (value ? kChecked : kUnchecked);
    if (HWND window = ListWindow(owner_);
        window && owner_->Owner()->Checkboxes())
        SetItemState(window, index_, LVIS_STATEIMAGEMASK, value ? kChecked : kUnchecked);
}

void TListItem::MakeVisible()
{
    if (HWND window = ListWindow(owner_)) SendMessageW(window, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index_), FALSE);
}

RECT TListItem::DisplayRect() const
{
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    if (HWND window = ListWindow(owner_))
        SendMessageW(window, LVM_GETITEMRECT, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&rect));
    else
        rect = {};
    return rect;
}

void TListItem::Delete()
{
    if (owner_) owner_->Delete(index_);
}

const TClassInfo& TListItems::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TListItems>("TListItems", &TPersistent::StaticClass(), [](PropRegistrar<TListItems>& p) {
            p.Integer("Count", &TListItems::Count, nullptr);
        });
    return info;
}

TListItems::~TListItems()
{
    owner_ = nullptr;
    items_.clear();
}

TListItem* TListItems::Item(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TListItem* TListItems::Add()
{
    return Insert(Count());
}

void TListItems::Renumber(size_t from)
{
    for (size_t i = from; i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
}

TListItem* TListItems::Insert(int index)
{
    index = std::clamp(index, 0, Count());
    auto item = std::make_unique<TListItem>(this);
    TListItem* added = item.get();
    items_.insert(items_.begin() + index, std::move(item));
    Renumber(static_cast<size_t>(index));
    if (owner_) owner_->PutItem(added);
    return added;
}

void TListItems::Delete(int index)
{
    if (index < 0 || index >= Count()) return;
    if (HWND window = ListWindow(this)) SendMessageW(window, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    items_.erase(items_.begin() + index);
    Renumber(static_cast<size_t>(index));
}

void TListItems::Clear()
{
    if (HWND window = ListWindow(this)) SendMessageW(window, LVM_DELETEALLITEMS, 0, 0);
    items_.clear();
}

void TListItems::BeginUpdate()
{
    if (updateCount_++ == 0)
        if (HWND window = ListWindow(this)) SendMessageW(window, WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate()
{
    if (updateCount_ == 0 || --updateCount_ > 0) return;
    if (HWND window = ListWindow(this)) {
        SendMessageW(window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window, nullptr, TRUE);
    }
}

// ---- TCustomListView ---------------------------------------------------------------

const TClassInfo& TCustomListView::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomListView>(
        "TCustomListView", &TWinControl::StaticClass(), [](PropRegistrar<TCustomListView>& p) {
            p.Object<TCollection>("Columns", &TCustomListView::Columns, nullptr);
            p.Object<TListItems>("Items", &TCustomListView::Items, nullptr);
            p.Enumeration("ViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}, &TCustomListView::ViewStyle,
                          &TCustomListView::SetViewStyle);
            p.Object<TImageList>("LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages);
            p.Object<TImageList>("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages);
            p.Boolean("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect);
            p.Boolean("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines);
            p.Boolean("Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes);
            p.Boolean("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect);
            p.Boolean("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection);
            p.Boolean("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders);
            p.Enumeration("BorderStyle", kBorderStyles, &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle);
            p.Integer("ItemIndex", &TCustomListView::ItemIndex, &TCustomListView::SetItemIndex);
            p.Method("OnChange", [](const TCustomListView& c) { return static_cast<bool>(c.OnChange); });
            p.Method("OnSelectItem", [](const TCustomListView& c) { return static_cast<bool>(c.OnSelectItem); });
            p.Method("OnColumnClick", [](const TCustomListView& c) { return static_cast<bool>(c.OnColumnClick); });
        });
    return info;
}

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner),
      columns_(std::make_unique<TListColumns>([this](TCollectionItem*) { PutColumns(); })),
      items_(std::make_unique<TListItems>(this))
{
    StoreBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomListView::~TCustomListView()
{
    BeforeDestruction();
    DestroyHandle();
    items_.reset();
    columns_.reset();
}

void TCustomListView::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"SysListView32";
    static constexpr DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    params.style |= kViews[viewStyle_] | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
    if (!multiSelect_) params.style |= LVS_SINGLESEL;
    if (!hideSelection_) params.style |= LVS_SHOWSELALWAYS;
    if (!showColumnHeaders_) params.style |= LVS_NOCOLUMNHEADER;
    if (borderStyle_ == bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::InitializeWindow()
{
    HWND window = Handle();
    UpdateExtendedStyle();
    if (largeImages_) SendMessageW(window, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(largeImages_->Handle()));
    if (smallImages_) SendMessageW(window, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
    ColorChanged();
    PutColumns();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(items_->Count()), 0);
    for (auto& item : items_->items_) PutItem(item.get());
    SendMessageW(window, WM_SETREDRAW, items_->updateCount_ == 0, 0);
}

void TCustomListView::DestroyWnd()
{
    // Selection and check marks live in the window; keep them.
    if (HWND window = WindowHandle())
        for (auto& item : items_->items_)
            item->state_ = ItemState(window, item->index_, LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK);
    TWinControl::DestroyWnd();
}

void TCustomListView::PutColumns()
{
    if (!HandleAllocated() || !columns_) return;
    HWND window = Handle();
    while (SendMessageW(window, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int i = 0; i < columns_->Count(); ++i) {
        TListColumn* column = columns_->At(i);
        column->listView_ = this;
        std::u16string text = Utf8ToUtf16(column->caption_);
        LVCOLUMNW lv{};
        lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        lv.pszText = W(text);
        lv.cx = column->width_;
        lv.iSubItem = i;
        lv.fmt = column->alignment_ == taCenter ? LVCFMT_CENTER : column->alignment_ == taRightJustify ? LVCFMT_RIGHT : LVCFMT_LEFT;
        SendMessageW(window, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lv));
    }
}

void TCustomListView::PutItem(TListItem* item)
{
    if (!HandleAllocated() || IsDestroying()) return;
    HWND window = Handle();
    std::u16string text = Utf8ToUtf16(item->caption_);
    LVITEMW lv{};
    lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    lv.iItem = item->index_;
    lv.pszText = W(text);
    lv.iImage = item->imageIndex_;
    lv.lParam = reinterpret_cast<LPARAM>(item);
    lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED | (checkboxes_ ? LVIS_STATEIMAGEMASK : 0);
    lv.state = item->state_ & lv.stateMask;
    if (checkboxes_ && !(lv.state & LVIS_STATEIMAGEMASK)) lv.state |= kUnchecked;
    SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    // The platform gives a new item of a check box list an empty box.
    if (checkboxes_ && (lv.state & LVIS_STATEIMAGEMASK) == kChecked)
        SetItemState(window, item->index_, LVIS_STATEIMAGEMASK, kChecked);
    item->putSubItems_ = 0;
    if (item->subItems_->Count() > 0) item->PutSubItems();
}

void TCustomListView::UpdateExtendedStyle()
{
    if (!HandleAllocated()) return;
    const DWORD mask = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES;
    const DWORD value = (rowSelect_ ? LVS_EX_FULLROWSELECT : 0) | (gridLines_ ? LVS_EX_GRIDLINES : 0) |
                        (checkboxes_ ? LVS_EX_CHECKBOXES : 0);
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, mask, value);
}

void TCustomListView::UpdateStyle(DWORD mask, DWORD value)
{
    if (!HandleAllocated()) return;
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(mask)) | static_cast<LONG_PTR>(value));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TCustomListView::SetViewStyle(TViewStyle style)
{
    if (style == viewStyle_) return;
    static constexpr DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    viewStyle_ = style;
    UpdateStyle(LVS_TYPEMASK, kViews[style]);
}

void TCustomListView::SetLargeImages(TImageList* images)
{
    if (images == largeImages_) return;
    largeImages_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated())
        SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, images ? reinterpret_cast<LPARAM>(images->Handle()) : 0);
}

void TCustomListView::SetSmallImages(TImageList* images)
{
    if (images == smallImages_) return;
    smallImages_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated())
        SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, images ? reinterpret_cast<LPARAM>(images->Handle()) : 0);
}

void TCustomListView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == largeImages_) SetLargeImages(nullptr);
    if (component == smallImages_) SetSmallImages(nullptr);
}

void TCustomListView::ColorChanged()
{
    if (HandleAllocated()) {
        const COLORREF colour = ColorToRGB(Color(), Handle());
        SendMessageW(Handle(), LVM_SETBKCOLOR, 0, colour);
        SendMessageW(Handle(), LVM_SETTEXTBKCOLOR, 0, colour);
        SendMessageW(Handle(), LVM_SETTEXTCOLOR, 0, ColorToRGB(Font()->Color(), Handle()));
    }
    TWinControl::ColorChanged();
}

void TCustomListView::SetRowSelect(bool value)
{
    rowSelect_ = value;
    UpdateExtendedStyle();
}

void TCustomListView::SetGridLines(bool value)
{
    gridLines_ = value;
    UpdateExtendedStyle();
}

void TCustomListView::SetCheckboxes(bool value)
{
    if (value == checkboxes_) return;
    checkboxes_ = value;
    RecreateWnd();
}

void TCustomListView::SetMultiSelect(bool value)
{
    if (value == multiSelect_) return;
    multiSelect_ = value;
    UpdateStyle(LVS_SINGLESEL, value ? 0 : LVS_SINGLESEL);
}

void TCustomListView::SetHideSelection(bool value)
{
    if (value == hideSelection_) return;
    hideSelection_ = value;
    UpdateStyle(LVS_SHOWSELALWAYS, value ? 0 : LVS_SHOWSELALWAYS);
}

void TCustomListView::SetShowColumnHeaders(bool value)
{
    if (value == showColumnHeaders_) return;
    showColumnHeaders_ = value;
    RecreateWnd();
}

void TCustomListView::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_ || (style != bsNone && style != bsSingle)) return;
    borderStyle_ = style;
    RecreateWnd();
}

int TCustomListView::ItemIndex() const
{
    if (HWND window = WindowHandle())
        return static_cast<int>(SendMessageW(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    for (auto& item : items_->items_)
        if (item->state_ & LVIS_SELECTED) return item->index_;
    return -1;
}

void TCustomListView::SetItemIndex(int index)
{
    SetSelected(items_->Item(index));
}

TListItem* TCustomListView::Selected() const
{
    return items_->Item(ItemIndex());
}

void TCustomListView::SetSelected(TListItem* item)
{
    for (auto& each : items_->items_)
        if (each.get() != item && each->Selected()) each->SetSelected(false);
    if (item) {
        item->SetSelected(true);
        item->SetFocused(true);
    }
}

int TCustomListView::SelCount() const
{
    if (HWND window = WindowHandle()) return static_cast<int>(SendMessageW(window, LVM_GETSELECTEDCOUNT, 0, 0));
    return static_cast<int>(std::count_if(items_->items_.begin(), items_->items_.end(),
                                          [](const auto& item) { return (item->state_ & LVIS_SELECTED) != 0; }));
}

TListItem* TCustomListView::GetItemAt(int x, int y)
{
    if (!HandleAllocated()) return nullptr;
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    return items_->Item(static_cast<int>(SendMessageW(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))));
}

TListItem* TCustomListView::TopItem() const
{
    if (HWND window = WindowHandle()) return items_->Item(static_cast<int>(SendMessageW(window, LVM_GETTOPINDEX, 0, 0)));
    return items_->Item(0);
}

HWND TCustomListView::HeaderHandle()
{
    return HandleAllocated() ? reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0)) : nullptr;
}

namespace {

// The platform's list view fills a selected item with the system's highlight
// (focused) or button face (not focused, selection always shown), overriding
// whatever colours an item-drawing answer gives for a selected item. While
// the list's window serves colours each selected item (and, in a report,
// each of its columns) is handed the resolved colours and drawn as an
// unselected item in them. False leaves the notice to the default handling.
// A report's grid lines are drawn by the platform in its own button face
// (white lines on a dark skin). True with `shade` set when the list's window
// serves a shadow colour of its own and the lines are shown.
bool ResolvedGridShade(HWND list, COLORREF& shade)
{
    if ((GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT) return false;
    if (!(ListView_GetExtendedListViewStyle(list) & LVS_EX_GRIDLINES)) return false;
    shade = SystemColourFor(list, COLOR_BTNSHADOW);
    return shade != GetSysColor(COLOR_BTNSHADOW);
}

// Draws a report's grid lines over the platform's where it draws them: a
// line under every row (the rows above the first shown one included) down
// to the bottom of the list, and one at the right edge of every column.
void DrawGridLines(HWND list, HDC dc, COLORREF shade)
{
    RECT client{};
    GetClientRect(list, &client);
    int top = client.top;
    const HWND header = ListView_GetHeader(list);
    if (header && IsWindowVisible(header)) {
        RECT headerRect{};
        GetWindowRect(header, &headerRect);
        MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&headerRect), 2);
        top = std::max(top, static_cast<int>(headerRect.bottom));
    }
    UniquePen pen(CreatePen(PS_SOLID, 1, shade));
    const HGDIOBJ previous = SelectObject(dc, pen.get());
    RECT item{};
    if (ListView_GetItemCount(list) > 0 && ListView_GetItemRect(list, ListView_GetTopIndex(list), &item, LVIR_BOUNDS) &&
        item.bottom > item.top) {
        const int height = item.bottom - item.top;
        for (int y = item.top - 1; y < client.bottom; y += height) {
            if (y < top) continue;
            MoveToEx(dc, client.left, y, nullptr);
            LineTo(dc, client.right, y);
        }
    }
    const int columns = header ? Header_GetItemCount(header) : 0;
    for (int i = 0; i < columns; ++i) {
        RECT column{};
        if (!Header_GetItemRect(header, i, &column)) continue;
        MapWindowPoints(header, list, reinterpret_cast<POINT*>(&column), 2);
        MoveToEx(dc, column.right, top, nullptr);
        LineTo(dc, column.right, client.bottom);
    }
    SelectObject(dc, previous);
}

bool AnswerSelectionDraw(HWND list, TMessage& message)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(message.lParam);
    COLORREF text = 0, back = 0, shade = 0;
    const DWORD stage = draw->nmcd.dwDrawStage;
    if (stage == CDDS_PREPAINT) {
        const bool selection =
            ResolvedSelectionColours(list, true, text, back) || ResolvedSelectionColours(list, false, text, back);
        const bool grid = ResolvedGridShade(list, shade);
        if (!selection && !grid) return false;
        message.result = (selection ? CDRF_NOTIFYITEMDRAW : 0) | (grid ? CDRF_NOTIFYPOSTPAINT : 0);
        return true;
    }
    if (stage == CDDS_POSTPAINT) {
        if (!ResolvedGridShade(list, shade)) return false;
        DrawGridLines(list, draw->nmcd.hdc, shade);
        message.result = CDRF_DODEFAULT;
        return true;
    }
    if (stage != CDDS_ITEMPREPAINT && stage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) return false;
    message.result = stage == CDDS_ITEMPREPAINT ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    const int item = static_cast<int>(draw->nmcd.dwItemSpec);
    const bool selected = (draw->nmcd.uItemState & CDIS_SELECTED) ||
                          ListView_GetItemState(list, item, LVIS_SELECTED) != 0;
    if (!selected || !IsWindowEnabled(list)) return true;
    const bool focused = GetFocus() == list;
    // Not focused and not keeping its selection shown: drawn unselected.
    if (!focused && !(GetWindowLongPtrW(list, GWL_STYLE) & LVS_SHOWSELALWAYS)) return true;
    if (!ResolvedSelectionColours(list, focused, text, back)) return true;
    draw->clrText = text;
    draw->clrTextBk = back;
    draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    return true;
}

}  // namespace

void TCustomListView::WndProc(TMessage& message)
{
    if (message.msg == CN_NOTIFY && NotifyHeader(message)->hwndFrom == WindowHandle()) {
        const UINT code = NotifyHeader(message)->code;
        if (code == static_cast<UINT>(NM_CUSTOMDRAW) && AnswerSelectionDraw(WindowHandle(), message)) return;
        if (code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(message.lParam);
            TListItem* item = items_->Item(change->iItem);
            if (item && (change->uChanged & LVIF_STATE)) {
                const bool was = change->uOldState & LVIS_SELECTED, now = change->uNewState & LVIS_SELECTED;
                if (was != now && OnSelectItem) {
                    // The handler may free the list view.
                    const std::weak_ptr<const bool> alive = Liveness();
                    OnSelectItem(this, item, now);
                    if (alive.expired()) return;
                }
                if (OnChange) OnChange(this, item);
            }
            return;
        }
        if (code == LVN_COLUMNCLICK) {
            const auto* click = reinterpret_cast<const NMLISTVIEW*>(message.lParam);
            if (OnColumnClick)
                if (TListColumn* column = columns_->At(click->iSubItem)) OnColumnClick(this, column);
            return;
        }
    }
    if (message.msg == WM_NCDESTROY) {
        // The check boxes' state images are made by the platform control,
        // which keeps image lists it is shared with (the framework's own
        // lists are shared) and so would leave this one behind.
        const auto states = reinterpret_cast<HIMAGELIST>(SendMessageW(WindowHandle(), LVM_GETIMAGELIST, LVSIL_STATE, 0));
        TWinControl::WndProc(message);
        if (states) ImageList_Destroy(states);
        return;
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TListView::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TListView", &TCustomListView::StaticClass());
    return info;
}

TListView::TListView(TComponent* owner) : TCustomListView(owner) {}

}  // namespace quorvane
