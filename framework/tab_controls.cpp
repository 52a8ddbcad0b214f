#include "framework/tab_controls.h"

#include <algorithm>

#include "framework/com_controls.h"
#include "framework/message_box.h"

namespace quorvane {

namespace {
const std::vector<std::string> kTabStyles{"tsTabs", "tsButtons", "tsFlatButtons"};
const std::vector<std::string> kTabPositions{"tpTop", "tpBottom", "tpLeft", "tpRight"};

bool FocusInside(HWND window)
{
    HWND focus = GetFocus();
    return window && focus && (focus == window || IsChild(window, focus));
}
}  // namespace

// ---- TCustomTabControl ---------------------------------------------------------

const TClassInfo& TCustomTabControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomTabControl>(
        "TCustomTabControl", &TWinControl::StaticClass(), [](PropRegistrar<TCustomTabControl>& p) {
            p.Enumeration("Style", kTabStyles, &TCustomTabControl::Style, &TCustomTabControl::SetStyle);
            p.Enumeration("TabPosition", kTabPositions, &TCustomTabControl::TabPosition,
                          &TCustomTabControl::SetTabPosition);
            p.Boolean("MultiLine", &TCustomTabControl::MultiLine, &TCustomTabControl::SetMultiLine);
            p.Boolean("HotTrack", &TCustomTabControl::HotTrack, &TCustomTabControl::SetHotTrack);
            p.Object<TImageList>("Images", &TCustomTabControl::Images, &TCustomTabControl::SetImages);
            p.Integer("TabIndex", &TCustomTabControl::TabIndex, &TCustomTabControl::SetTabIndex);
            p.Method("OnChange", [](const TCustomTabControl& c) { return static_cast<bool>(c.OnChange); });
            p.Method("OnChanging", [](const TCustomTabControl& c) { return static_cast<bool>(c.OnChanging); });
        });
    return info;
}

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 289, 193);
    SetTabStop(true);
}

void TCustomTabControl::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"SysTabControl32";
    params.style |= WS_CLIPCHILDREN | TCS_TOOLTIPS;
    if (style_ == tsButtons) params.style |= TCS_BUTTONS;
    if (style_ == tsFlatButtons) params.style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    if (multiLine_ || tabPosition_ == tpLeft || tabPosition_ == tpRight) params.style |= TCS_MULTILINE;
    if (hotTrack_) params.style |= TCS_HOTTRACK;
    switch (tabPosition_) {
    case tpBottom:
        params.style |= TCS_BOTTOM;
        break;
    case tpLeft:
        params.style |= TCS_VERTICAL;
        break;
    case tpRight:
        params.style |= TCS_VERTICAL | TCS_RIGHT;
        break;
    default:
        break;
    }
}

void TCustomTabControl::InitializeWindow()
{
    if (images_) SendMessageW(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    UpdateTabs();
}

void TCustomTabControl::DestroyWnd()
{
    storedTabIndex_ = TabIndex();
    TWinControl::DestroyWnd();
}

void TCustomTabControl::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        if (HandleAllocated()) SendMessageW(Handle(), TCM_SETIMAGELIST, 0, 0);
    }
}

void TCustomTabControl::UpdateTabs()
{
    if (!HandleAllocated()) return;
    HWND window = Handle();
    const std::vector<TabEntry> entries = TabEntries();
    const int selected = storedTabIndex_;
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(window, TCM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        std::u16string text = Utf8ToUtf16(entries[i].text);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = reinterpret_cast<WCHAR*>(text.data());
        item.iImage = entries[i].imageIndex;
        SendMessageW(window, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(window, TCM_SETCURSEL, selected < static_cast<int>(entries.size()) ? static_cast<WPARAM>(selected) : -1, 0);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
    // The number of tab rows, and so the display area, may have changed.
    AlignControls();
}

void TCustomTabControl::SetStyle(TTabStyle style)
{
    if (style == style_) return;
    style_ = style;
    RecreateWnd();
}

void TCustomTabControl::SetTabPosition(TTabPosition position)
{
    if (position == tabPosition_) return;
    tabPosition_ = position;
    RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool value)
{
    if (value == multiLine_) return;
    multiLine_ = value;
    RecreateWnd();
}

void TCustomTabControl::SetHotTrack(bool value)
{
    if (value == hotTrack_) return;
    hotTrack_ = value;
    RecreateWnd();
}

void TCustomTabControl::SetImages(TImageList* images)
{
    if (images == images_) return;
    images_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated()) {
        SendMessageW(Handle(), TCM_SETIMAGELIST, 0, images ? reinterpret_cast<LPARAM>(images->Handle()) : 0);
        UpdateTabs();
    }
}

int TCustomTabControl::TabIndex() const
{
    if (HWND window = WindowHandle()) return static_cast<int>(SendMessageW(window, TCM_GETCURSEL, 0, 0));
    return storedTabIndex_;
}

void TCustomTabControl::SetTabIndex(int index)
{
    const int count = static_cast<int>(TabEntries().size());
    if (index < -1 || index >= count) index = -1;
    storedTabIndex_ = index;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomTabControl::IndexOfTabAt(int x, int y)
{
    if (!HandleAllocated()) return -1;
    TCHITTESTINFO hit{};
    hit.pt = {x, y};
    return static_cast<int>(SendMessageW(Handle(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

RECT TCustomTabControl::TabRect(int index)
{
    RECT rect{};
    if (HandleAllocated()) SendMessageW(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

RECT TCustomTabControl::DisplayRect()
{
    RECT rect{0, 0, ClientWidth(), ClientHeight()};
    AdjustClientRect(rect);
    return rect;
}

void TCustomTabControl::AdjustClientRect(RECT& rect)
{
    if (HWND window = WindowHandle()) {
        SendMessageW(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
        rect.right = std::max(rect.right, rect.left);
        rect.bottom = std::max(rect.bottom, rect.top);
    }
}

bool TCustomTabControl::CanChange()
{
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change()
{
    if (OnChange) OnChange(this);
}

void TCustomTabControl::WndProc(TMessage& message)
{
    if (message.msg == CN_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(message.lParam);
        if (header->hwndFrom == WindowHandle()) {
            if (header->code == TCN_SELCHANGING) {
                message.result = CanChange() ? FALSE : TRUE;
                return;
            }
            if (header->code == TCN_SELCHANGE) {
                storedTabIndex_ = TabIndex();
                Change();
                return;
            }
        }
    }
    TWinControl::WndProc(message);
}

// ---- TTabControl ------------------------------------------------------------

const TClassInfo& TTabControl::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TTabControl>("TTabControl", &TCustomTabControl::StaticClass(), [](PropRegistrar<TTabControl>& p) {
            p.Object<TStrings>("Tabs", &TTabControl::Tabs, nullptr);
        });
    return info;
}

TTabControl::TTabControl(TComponent* owner) : TCustomTabControl(owner), tabs_(std::make_unique<TStringList>())
{
    tabs_->OnChange = [this](TObject*) {
        const int count = tabs_->Count();
        if (storedTabIndex_ >= count) storedTabIndex_ = count - 1;
        if (storedTabIndex_ < 0 && count > 0) storedTabIndex_ = 0;
        if (HandleAllocated()) {
            storedTabIndex_ = std::min(TabIndex() < 0 && count > 0 ? 0 : TabIndex(), count - 1);
            UpdateTabs();
        }
    };
}

TTabControl::~TTabControl()
{
    BeforeDestruction();
    tabs_->OnChange = nullptr;
}

std::vector<TCustomTabControl::TabEntry> TTabControl::TabEntries() const
{
    std::vector<TabEntry> entries;
    for (int i = 0; i < tabs_->Count(); ++i) entries.push_back({tabs_->Get(i), i});
    return entries;
}

// ---- TTabSheet --------------------------------------------------------------

const TClassInfo& TTabSheet::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TTabSheet>("TTabSheet", &TCustomControl::StaticClass(), [](PropRegistrar<TTabSheet>& p) {
            p.AnsiText("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption);
            // Declared with the base class: the page control's description
            // refers to this one.
            p.Object<TCustomTabControl>("PageControl", &TTabSheet::PageControl,
                                        [](TTabSheet& sheet, TCustomTabControl* control) {
                                            sheet.SetPageControl(As<TPageControl>(control));
                                        });
            p.Integer("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
            p.Integer("TabIndex", &TTabSheet::TabIndex, nullptr);
            p.Boolean("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
            p.Integer("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex);
        });
    return info;
}

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner)
{
    // Hidden until its page control makes it the active page.
    SetVisible(false);
    SetAlign(alClient);
}

TTabSheet::~TTabSheet()
{
    BeforeDestruction();
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control)
{
    SetParent(control);
}

void TTabSheet::SetParent(TWinControl* parent)
{
    if (parent == Parent()) return;
    if (pageControl_) pageControl_->RemovePage(this);
    TCustomControl::SetParent(parent);
    if (auto* pages = As<TPageControl>(parent)) pages->InsertPage(this);
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index)
{
    if (pageControl_) pageControl_->MovePage(this, index);
}

int TTabSheet::TabIndex() const
{
    if (!pageControl_ || !tabVisible_) return -1;
    int index = 0;
    for (TTabSheet* page : pageControl_->pages_) {
        if (page == this) return index;
        if (page->tabVisible_) ++index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool value)
{
    if (value == tabVisible_) return;
    tabVisible_ = value;
    if (pageControl_) pageControl_->PageChanged(this);
}

void TTabSheet::SetImageIndex(int index)
{
    if (index == imageIndex_) return;
    imageIndex_ = index;
    if (pageControl_) pageControl_->PageChanged(this);
}

void TTabSheet::TextChanged()
{
    if (pageControl_) pageControl_->PageChanged(this);
}

// ---- TPageControl -----------------------------------------------------------

const TClassInfo& TPageControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TPageControl>(
        "TPageControl", &TCustomTabControl::StaticClass(), [](PropRegistrar<TPageControl>& p) {
            p.Object<TTabSheet>("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
            p.Integer("ActivePageIndex", &TPageControl::ActivePageIndex, &TPageControl::SetActivePageIndex);
            p.Integer("PageCount", &TPageControl::PageCount, nullptr);
        });
    return info;
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl()
{
    BeforeDestruction();
    // The sheets still inside go with the window (~TWinControl frees its
    // children); they no longer report to this object.
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount()) return nullptr;
    return pages_[static_cast<size_t>(index)];
}

std::vector<TCustomTabControl::TabEntry> TPageControl::TabEntries() const
{
    std::vector<TabEntry> entries;
    for (TTabSheet* page : pages_)
        if (page->tabVisible_) entries.push_back({page->Caption(), page->imageIndex_});
    return entries;
}

TTabSheet* TPageControl::PageOfTab(int tabIndex) const
{
    if (tabIndex < 0) return nullptr;
    for (TTabSheet* page : pages_)
        if (page->tabVisible_ && tabIndex-- == 0) return page;
    return nullptr;
}

void TPageControl::InsertPage(TTabSheet* page)
{
    pages_.push_back(page);
    page->pageControl_ = this;
    if (!activePage_) {
        storedTabIndex_ = page->TabIndex();
        UpdateTabs();
        ShowPage(page);
    } else {
        storedTabIndex_ = activePage_->TabIndex();
        UpdateTabs();
    }
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    const size_t index = static_cast<size_t>(it - pages_.begin());
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (IsDestroying()) return;
    if (activePage_ == page) {
        activePage_ = nullptr;
        // The page after it (or the new last one) takes its place.
        TTabSheet* next = index < pages_.size() ? pages_[index] : pages_.empty() ? nullptr : pages_.back();
        storedTabIndex_ = next ? next->TabIndex() : -1;
        UpdateTabs();
        ShowPage(next);
        return;
    }
    storedTabIndex_ = activePage_ ? activePage_->TabIndex() : -1;
    UpdateTabs();
}

void TPageControl::MovePage(TTabSheet* page, int index)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    pages_.erase(it);
    index = std::clamp(index, 0, PageCount());
    pages_.insert(pages_.begin() + index, page);
    PageChanged(page);
}

void TPageControl::PageChanged(TTabSheet*)
{
    storedTabIndex_ = activePage_ ? activePage_->TabIndex() : -1;
    UpdateTabs();
}

void TPageControl::ShowPage(TTabSheet* page)
{
    TTabSheet* old = activePage_;
    const bool hadFocus = old && old->HandleAllocated() && FocusInside(old->Handle());
    activePage_ = page;
    if (page) {
        page->Show();
    }
    if (old && old != page) {
        // Focus inside the page going away would vanish with it.
        if (hadFocus && HandleAllocated() && CanFocus()) SetFocus();
        old->Hide();
    }
    storedTabIndex_ = page ? page->TabIndex() : -1;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(storedTabIndex_), 0);
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->pageControl_ != this) return;
    if (page == activePage_) return;
    ShowPage(page);
}

int TPageControl::ActivePageIndex() const
{
    return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(Pages(index));
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool forward) const
{
    if (pages_.empty()) return nullptr;
    const int count = PageCount();
    int start = current ? current->PageIndex() : (forward ? count - 1 : 0);
    for (int step = 1; step <= count; ++step) {
        const int index = ((start + (forward ? step : -step)) % count + count) % count;
        if (pages_[static_cast<size_t>(index)]->tabVisible_) return pages_[static_cast<size_t>(index)];
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool forward)
{
    TTabSheet* next = FindNextPage(activePage_, forward);
    if (!next || next == activePage_ || !CanChange()) return;
    ShowPage(next);
    TCustomTabControl::Change();
}

void TPageControl::Change()
{
    // The user picked a tab: its page comes forward, then OnChange.
    ShowPage(PageOfTab(TabIndex()));
    TCustomTabControl::Change();
}

void TPageControl::InitializeWindow()
{
    storedTabIndex_ = activePage_ ? activePage_->TabIndex() : -1;
    TCustomTabControl::InitializeWindow();
}

void TPageControl::WndProc(TMessage& message)
{
    if (message.msg == CM_DIALOGKEY && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        if (HandleAllocated() && FocusInside(Handle())) {
            SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
            message.result = 1;
        }
        return;
    }
    TCustomTabControl::WndProc(message);
}

}  // namespace quorvane
