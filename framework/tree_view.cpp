// TTreeNode(s), TCustomTreeView and TTreeView: the tree view.

#include "framework/list_controls.h"

#include <algorithm>

#include "framework/com_controls.h"
#include "framework/list_controls_internal.h"
#include "framework/message_box.h"

namespace quorvane {

using namespace list_controls_internal;

// ---- TTreeNode / TTreeNodes -------------------------------------------------------

const TClassInfo& TTreeNode::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TTreeNode>("TTreeNode", &TPersistent::StaticClass(), [](PropRegistrar<TTreeNode>& p) {
            p.AnsiText("Text", &TTreeNode::Text, &TTreeNode::SetText);
            p.Integer("ImageIndex", &TTreeNode::ImageIndex, &TTreeNode::SetImageIndex);
            p.Integer("SelectedIndex", &TTreeNode::SelectedIndex, &TTreeNode::SetSelectedIndex);
            p.Boolean("Expanded", &TTreeNode::Expanded, &TTreeNode::SetExpanded);
            p.Boolean("Selected", &TTreeNode::Selected, &TTreeNode::SetSelected);
            p.Integer("Count", &TTreeNode::Count, nullptr);
            p.Integer("Level", &TTreeNode::Level, nullptr);
        });
    return info;
}

TTreeNode::TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {}

TTreeNode::~TTreeNode()
{
    if (owner_ && owner_->owner_ && owner_->owner_->storedSelected_ == this) owner_->owner_->storedSelected_ = nullptr;
}

namespace {
HWND TreeWindow(const TTreeNodes* nodes)
{
    return nodes && nodes->Owner() ? nodes->Owner()->WindowHandle() : nullptr;
}
}  // namespace

TTreeNode* TTreeNode::Item(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return children_[static_cast<size_t>(index)].get();
}

int TTreeNode::Index() const
{
    const auto& siblings = owner_->SiblingsOf(parent_);
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return static_cast<int>(i);
    return -1;
}

int TTreeNode::Level() const
{
    int level = 0;
    for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
    return level;
}

void TTreeNode::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    if (owner_->owner_) owner_->owner_->PutNodeItem(this);
}

void TTreeNode::SetImageIndex(int index)
{
    if (index == imageIndex_) return;
    imageIndex_ = index;
    if (owner_->owner_) owner_->owner_->PutNodeItem(this);
}

void TTreeNode::SetSelectedIndex(int index)
{
    if (index == selectedIndex_) return;
    selectedIndex_ = index;
    if (owner_->owner_) owner_->owner_->PutNodeItem(this);
}

bool TTreeNode::Expanded() const
{
    if (HWND window = TreeWindow(owner_); window && itemId_)
        return SendMessageW(window, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(itemId_), TVIS_EXPANDED) & TVIS_EXPANDED;
    return expanded_;
}

void TTreeNode::SetExpanded(bool value)
{
    expanded_ = value;
    if (HWND window = TreeWindow(owner_); window && itemId_)
        SendMessageW(window, TVM_EXPAND, value ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(itemId_));
}

void TTreeNode::Expand(bool recurse)
{
    SetExpanded(true);
    if (recurse)
        for (auto& child : children_) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse)
{
    SetExpanded(false);
    if (recurse)
        for (auto& child : children_) child->Collapse(true);
}

bool TTreeNode::Selected() const
{
    return owner_->owner_ && owner_->owner_->Selected() == this;
}

void TTreeNode::SetSelected(bool value)
{
    if (!owner_->owner_) return;
    if (value)
        owner_->owner_->SetSelected(this);
    else if (Selected())
        owner_->owner_->SetSelected(nullptr);
}

void TTreeNode::MakeVisible()
{
    if (HWND window = TreeWindow(owner_); window && itemId_)
        SendMessageW(window, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(itemId_));
}

void TTreeNode::Delete()
{
    owner_->Delete(this);
}

const TClassInfo& TTreeNodes::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TTreeNodes>("TTreeNodes", &TPersistent::StaticClass(), [](PropRegistrar<TTreeNodes>& p) {
            p.Integer("Count", &TTreeNodes::Count, nullptr);
        });
    return info;
}

TTreeNodes::~TTreeNodes()
{
    owner_ = nullptr;
    roots_.clear();
}

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::SiblingsOf(TTreeNode* parent)
{
    return parent ? parent->children_ : roots_;
}

TTreeNode* TTreeNodes::Root(int index) const
{
    if (index < 0 || index >= RootCount()) return nullptr;
    return roots_[static_cast<size_t>(index)].get();
}

TTreeNode* TTreeNodes::Item(int index) const
{
    if (index < 0 || index >= count_) return nullptr;
    // Depth first: a node, then its children, then its next sibling.
    std::vector<const std::vector<std::unique_ptr<TTreeNode>>*> lists{&roots_};
    std::vector<size_t> positions{0};
    while (!lists.empty()) {
        const auto& list = *lists.back();
        size_t& position = positions.back();
        if (position >= list.size()) {
            lists.pop_back();
            positions.pop_back();
            continue;
        }
        TTreeNode* node = list[position++].get();
        if (index-- == 0) return node;
        if (!node->children_.empty()) {
            lists.push_back(&node->children_);
            positions.push_back(0);
        }
    }
    return nullptr;
}

TTreeNode* TTreeNodes::Insert(TTreeNode* parent, bool first, const std::string& text)
{
    // A node of another tree would join that tree's nodes but be counted
    // and shown here.
    if (parent && parent->owner_ != this) throw Exception("The node belongs to another tree view");
    auto& siblings = SiblingsOf(parent);
    auto node = std::make_unique<TTreeNode>(this, parent);
    TTreeNode* added = node.get();
    added->text_ = text;
    siblings.insert(first ? siblings.begin() : siblings.end(), std::move(node));
    ++count_;
    if (owner_) owner_->PutNode(added, first ? TVI_FIRST : TVI_LAST);
    return added;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text)
{
    return Insert(sibling ? sibling->parent_ : nullptr, false, text);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text)
{
    return Insert(parent, false, text);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text)
{
    return Insert(parent, true, text);
}

namespace {
int CountNodes(const TTreeNode* node)
{
    int count = 1;
    for (int i = 0; i < node->Count(); ++i) count += CountNodes(node->Item(i));
    return count;
}
}  // namespace

void TTreeNodes::Delete(TTreeNode* node)
{
    if (!node || node->owner_ != this) return;
    if (HWND window = TreeWindow(this); window && node->itemId_)
        SendMessageW(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->itemId_));
    auto& siblings = SiblingsOf(node->parent_);
    auto it = std::find_if(siblings.begin(), siblings.end(), [node](const auto& n) { return n.get() == node; });
    if (it == siblings.end()) return;
    count_ -= CountNodes(node);
    siblings.erase(it);
}

void TTreeNodes::Clear()
{
    if (HWND window = TreeWindow(this)) SendMessageW(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    roots_.clear();
    count_ = 0;
}

void TTreeNodes::BeginUpdate()
{
    if (updateCount_++ == 0)
        if (HWND window = TreeWindow(this)) SendMessageW(window, WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate()
{
    if (updateCount_ == 0 || --updateCount_ > 0) return;
    if (HWND window = TreeWindow(this)) {
        SendMessageW(window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window, nullptr, TRUE);
    }
}

// ---- TCustomTreeView -------------------------------------------------------------

const TClassInfo& TCustomTreeView::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomTreeView>(
        "TCustomTreeView", &TWinControl::StaticClass(), [](PropRegistrar<TCustomTreeView>& p) {
            p.Object<TTreeNodes>("Items", &TCustomTreeView::Items, nullptr);
            p.Object<TImageList>("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
            p.Boolean("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines);
            p.Boolean("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons);
            p.Boolean("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot);
            p.Boolean("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection);
            p.Enumeration("BorderStyle", kBorderStyles, &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle);
            p.Object<TTreeNode>("Selected", &TCustomTreeView::Selected, &TCustomTreeView::SetSelected);
            p.Method("OnChange", [](const TCustomTreeView& c) { return static_cast<bool>(c.OnChange); });
        });
    return info;
}

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TTreeNodes>(this))
{
    StoreBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomTreeView::~TCustomTreeView()
{
    BeforeDestruction();
    DestroyHandle();
    items_.reset();
}

void TCustomTreeView::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"SysTreeView32";
    if (showLines_) params.style |= TVS_HASLINES;
    if (showButtons_) params.style |= TVS_HASBUTTONS;
    if (showRoot_) params.style |= TVS_LINESATROOT;
    if (!hideSelection_) params.style |= TVS_SHOWSELALWAYS;
    if (borderStyle_ == bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::InitializeWindow()
{
    HWND window = Handle();
    if (images_) SendMessageW(window, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_->Handle()));
    ColorChanged();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    for (auto& root : items_->roots_) PutNode(root.get(), TVI_LAST);
    SendMessageW(window, WM_SETREDRAW, items_->updateCount_ == 0, 0);
    if (storedSelected_) SetSelected(storedSelected_);
}

void TCustomTreeView::DestroyWnd()
{
    if (HandleAllocated()) {
        storedSelected_ = Selected();
        // The expanded state lives in the window; keep it.
        std::vector<TTreeNode*> stack;
        for (auto& root : items_->roots_) stack.push_back(root.get());
        while (!stack.empty()) {
            TTreeNode* node = stack.back();
            stack.pop_back();
            node->expanded_ = node->Expanded();
            node->itemId_ = nullptr;
            for (auto& child : node->children_) stack.push_back(child.get());
        }
    }
    TWinControl::DestroyWnd();
}

void TCustomTreeView::PutNode(TTreeNode* node, HTREEITEM after)
{
    if (!HandleAllocated() || IsDestroying()) return;
    std::u16string text = Utf8ToUtf16(node->text_);
    TVINSERTSTRUCTW insert{};
    insert.hParent = node->parent_ ? node->parent_->itemId_ : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = W(text);
    insert.item.iImage = node->imageIndex_;
    insert.item.iSelectedImage = node->selectedIndex_ >= 0 ? node->selectedIndex_ : node->imageIndex_;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    node->itemId_ = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    for (auto& child : node->children_) PutNode(child.get(), TVI_LAST);
    if (node->expanded_ && node->itemId_)
        SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->itemId_));
}

void TCustomTreeView::PutNodeItem(TTreeNode* node)
{
    if (!HandleAllocated() || !node->itemId_) return;
    std::u16string text = Utf8ToUtf16(node->text_);
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node->itemId_;
    item.pszText = W(text);
    item.iImage = node->imageIndex_;
    item.iSelectedImage = node->selectedIndex_ >= 0 ? node->selectedIndex_ : node->imageIndex_;
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

TTreeNode* TCustomTreeView::NodeOf(HTREEITEM item) const
{
    HWND window = WindowHandle();
    if (!window || !item) return nullptr;
    TVITEMW query{};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
    return reinterpret_cast<TTreeNode*>(query.lParam);
}

TTreeNode* TCustomTreeView::Selected() const
{
    if (HWND window = WindowHandle())
        return NodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_CARET, 0)));
    return storedSelected_;
}

void TCustomTreeView::SetSelected(TTreeNode* node)
{
    if (node && node->owner_ != items_.get()) return;
    storedSelected_ = node;
    if (HandleAllocated()) SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->itemId_ : nullptr));
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y)
{
    if (!HandleAllocated()) return nullptr;
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    return NodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))));
}

void TCustomTreeView::FullExpand()
{
    for (auto& root : items_->roots_) root->Expand(true);
}

void TCustomTreeView::FullCollapse()
{
    for (auto& root : items_->roots_) root->Collapse(true);
}

void TCustomTreeView::SetImages(TImageList* images)
{
    if (images == images_) return;
    images_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated())
        SendMessageW(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, images ? reinterpret_cast<LPARAM>(images->Handle()) : 0);
}

void TCustomTreeView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_) SetImages(nullptr);
}

void TCustomTreeView::ColorChanged()
{
    if (HandleAllocated()) {
        SendMessageW(Handle(), TVM_SETBKCOLOR, 0, ColorToRGB(Color(), Handle()));
        SendMessageW(Handle(), TVM_SETTEXTCOLOR, 0, ColorToRGB(Font()->Color(), Handle()));
    }
    TWinControl::ColorChanged();
}

void TCustomTreeView::UpdateStyle(DWORD mask, DWORD value)
{
    if (!HandleAllocated()) return;
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(mask)) | static_cast<LONG_PTR>(value));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TCustomTreeView::SetShowLines(bool value)
{
    showLines_ = value;
    UpdateStyle(TVS_HASLINES, value ? TVS_HASLINES : 0);
}

void TCustomTreeView::SetShowButtons(bool value)
{
    showButtons_ = value;
    UpdateStyle(TVS_HASBUTTONS, value ? TVS_HASBUTTONS : 0);
}

void TCustomTreeView::SetShowRoot(bool value)
{
    showRoot_ = value;
    UpdateStyle(TVS_LINESATROOT, value ? TVS_LINESATROOT : 0);
}

void TCustomTreeView::SetHideSelection(bool value)
{
    hideSelection_ = value;
    UpdateStyle(TVS_SHOWSELALWAYS, value ? 0 : TVS_SHOWSELALWAYS);
}

void TCustomTreeView::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_ || (style != bsNone && style != bsSingle)) return;
    borderStyle_ = style;
    RecreateWnd();
}

namespace {

// The platform's tree fills a selected item with the system's highlight
// (focused) or button face (not focused, selection always shown) whatever
// colours the tree was given: a white band under light text in a dark skin.
// While the tree's window serves colours each item is asked for and given
// the resolved ones. False leaves the notice to the default handling.
bool AnswerSelectionDraw(HWND tree, TMessage& message)
{
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(message.lParam);
    COLORREF text = 0, back = 0;
    const bool focused = GetFocus() == tree;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        if (!ResolvedSelectionColours(tree, true, text, back) && !ResolvedSelectionColours(tree, false, text, back))
            return false;
        message.result = CDRF_NOTIFYITEMDRAW;
        return true;
    }
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return false;
    message.result = CDRF_DODEFAULT;
    if (!(draw->nmcd.uItemState & CDIS_SELECTED) || !IsWindowEnabled(tree)) return true;
    if (ResolvedSelectionColours(tree, focused, text, back)) {
        draw->clrText = text;
        draw->clrTextBk = back;
    }
    return true;
}

}  // namespace

void TCustomTreeView::WndProc(TMessage& message)
{
    if (message.msg == CN_NOTIFY && NotifyHeader(message)->hwndFrom == WindowHandle()) {
        const UINT code = NotifyHeader(message)->code;
        if (code == static_cast<UINT>(NM_CUSTOMDRAW) && AnswerSelectionDraw(WindowHandle(), message)) return;
        if (IsCode(code, TVN_SELCHANGEDA, TVN_SELCHANGEDW)) {
            const auto* change = reinterpret_cast<const NMTREEVIEWW*>(message.lParam);
            TTreeNode* node = reinterpret_cast<TTreeNode*>(change->itemNew.lParam);
            storedSelected_ = node;
            if (OnChange) OnChange(this, node);
            return;
        }
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TTreeView::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TTreeView", &TCustomTreeView::StaticClass());
    return info;
}

TTreeView::TTreeView(TComponent* owner) : TCustomTreeView(owner) {}

}  // namespace quorvane
