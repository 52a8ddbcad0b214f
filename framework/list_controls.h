// Item controls over comctl32: the header control (SysHeader32), the list
// view (SysListView32) and the tree view (SysTreeView32). The objects hold
// the sections, columns, items and nodes; the windows mirror them and are
// filled again whenever they are made again.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/collections.h"
#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/strings.h"

namespace quorvane {

// ---- header control -------------------------------------------------------

class THeaderSection : public TCollectionItem {
    QUORVANE_CLASS(THeaderSection)
public:
    explicit THeaderSection(TCollection* collection) : TCollectionItem(collection) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    // The width the user dragged it to is read back from the window.
    int Width() const { return width_; }
    void SetWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int value) { minWidth_ = std::max(value, 0); }
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int value) { maxWidth_ = value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    bool AllowClick() const { return allowClick_; }
    void SetAllowClick(bool value) { allowClick_ = value; }

private:
    friend class THeaderControl;
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
    int minWidth_ = 0;
    int maxWidth_ = 10000;
    int imageIndex_ = -1;
    bool allowClick_ = true;
};

using THeaderSections = TOwnedCollection<THeaderSection>;
class THeaderControl;
using TSectionNotifyEvent = std::function<void(THeaderControl* sender, THeaderSection* section)>;

class THeaderControl : public TWinControl {
    QUORVANE_CLASS(THeaderControl)
public:
    explicit THeaderControl(TComponent* owner);
    ~THeaderControl() override;

    THeaderSections* Sections() const { return sections_.get(); }
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    // A section's rectangle in client coordinates (empty without a window).
    RECT SectionRect(int index);

    void WndProc(TMessage& message) override;

    TSectionNotifyEvent OnSectionClick;
    TSectionNotifyEvent OnSectionResize;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void SectionChanged(THeaderSection* section);
    void PutSection(int index, bool insert);

    std::unique_ptr<THeaderSections> sections_;
    TImageList* images_ = nullptr;
    bool hotTrack_ = false;
};

// ---- list view --------------------------------------------------------------

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TCustomListView;

class TListColumn : public TCollectionItem {
    QUORVANE_CLASS(TListColumn)
public:
    explicit TListColumn(TCollection* collection) : TCollectionItem(collection) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // Read back from the window, where the user may have changed it.
    int Width() const;
    void SetWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

private:
    friend class TCustomListView;
    TCustomListView* listView_ = nullptr;
    std::string caption_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

using TListColumns = TOwnedCollection<TListColumn>;
class TListItems;

class TListItem : public TPersistent {
    QUORVANE_CLASS(TListItem)
public:
    explicit TListItem(TListItems* owner);
    ~TListItem() override;

    TListItems* Owner() const { return owner_; }
    int Index() const { return index_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The texts of the columns after the first.
    TStringList* SubItems() const { return subItems_.get(); }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }
    bool Selected() const;
    void SetSelected(bool value);
    bool Checked() const;
    void SetChecked(bool value);
    bool Focused() const;
    void SetFocused(bool value);
    void MakeVisible();
    // Rectangle of the whole item in client coordinates.
    RECT DisplayRect() const;
    void Delete();

private:
    friend class TListItems;
    friend class TCustomListView;
    void PutSubItems();

    TListItems* owner_;
    int index_ = -1;
    std::string caption_;
    std::unique_ptr<TStringList> subItems_;
    int imageIndex_ = -1;
    void* data_ = nullptr;
    // Kept here while there is no window.
    UINT state_ = 0;
    int putSubItems_ = 0;  // sub-item texts the window holds
};

class TListItems : public TPersistent {
    QUORVANE_CLASS(TListItems)
public:
    explicit TListItems(TCustomListView* owner) : owner_(owner) {}
    ~TListItems() override;

    TCustomListView* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TListItem* Item(int index) const;
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add();
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    // The window stops redrawing until the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TCustomListView;
    void Renumber(size_t from);

    TCustomListView* owner_;
    std::vector<std::unique_ptr<TListItem>> items_;
    int updateCount_ = 0;
};

using TLVChangeEvent = std::function<void(TObject* sender, TListItem* item)>;
using TLVSelectItemEvent = std::function<void(TObject* sender, TListItem* item, bool selected)>;
using TLVColumnClickEvent = std::function<void(TObject* sender, TListColumn* column)>;

class TCustomListView : public TWinControl {
    QUORVANE_CLASS(TCustomListView)
public:
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;

    TListColumns* Columns() const { return columns_.get(); }
    TListItems* Items() const { return items_.get(); }
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle style);
    TImageList* LargeImages() const { return largeImages_; }
    void SetLargeImages(TImageList* images);
    TImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TImageList* images);
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool value);
    bool GridLines() const { return gridLines_; }
    void SetGridLines(bool value);
    bool Checkboxes() const { return checkboxes_; }
    void SetCheckboxes(bool value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }  // bsNone or bsSingle
    void SetBorderStyle(TFormBorderStyle style);

    // The first selected item (-1 / null when none).
    int ItemIndex() const;
    void SetItemIndex(int index);
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int SelCount() const;
    // The item at a client point, null when none.
    TListItem* GetItemAt(int x, int y);
    TListItem* TopItem() const;
    // The header window of the report view (null without one).
    HWND HeaderHandle();

    void WndProc(TMessage& message) override;

    TLVChangeEvent OnChange;
    TLVSelectItemEvent OnSelectItem;
    TLVColumnClickEvent OnColumnClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void DestroyWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    void ColorChanged() override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    void PutColumns();
    void PutItem(TListItem* item);
    void UpdateExtendedStyle();
    void UpdateStyle(DWORD mask, DWORD value);

    std::unique_ptr<TListColumns> columns_;
    std::unique_ptr<TListItems> items_;
    TViewStyle viewStyle_ = vsIcon;
    TImageList* largeImages_ = nullptr;
    TImageList* smallImages_ = nullptr;
    bool rowSelect_ = false;
    bool gridLines_ = false;
    bool checkboxes_ = false;
    bool multiSelect_ = false;
    bool hideSelection_ = true;
    bool showColumnHeaders_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
};

class TListView : public TCustomListView {
    QUORVANE_CLASS(TListView)
public:
    explicit TListView(TComponent* owner);
};

// ---- tree view ----------------------------------------------------------------

class TTreeNodes;
class TCustomTreeView;

class TTreeNode : public TPersistent {
    QUORVANE_CLASS(TTreeNode)
public:
    TTreeNode(TTreeNodes* owner, TTreeNode* parent);
    ~TTreeNode() override;

    TTreeNodes* Owner() const { return owner_; }
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const;
    bool HasChildren() const { return !children_.empty(); }
    // Position among its siblings; depth (0 for a top-level node).
    int Index() const;
    int Level() const;
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int index);
    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }
    bool Expanded() const;
    void SetExpanded(bool value);
    void Expand(bool recurse);
    void Collapse(bool recurse);
    bool Selected() const;
    void SetSelected(bool value);
    void MakeVisible();
    void Delete();
    // The platform's item (null without a window).
    HTREEITEM ItemId() const { return itemId_; }

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;

    TTreeNodes* owner_;
    TTreeNode* parent_;
    std::vector<std::unique_ptr<TTreeNode>> children_;
    std::string text_;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    void* data_ = nullptr;
    bool expanded_ = false;
    HTREEITEM itemId_ = nullptr;
};

class TTreeNodes : public TPersistent {
    QUORVANE_CLASS(TTreeNodes)
public:
    explicit TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}
    ~TTreeNodes() override;

    TCustomTreeView* Owner() const { return owner_; }
    // Every node, at every depth.
    int Count() const { return count_; }
    // The node at `index` counted depth first, parents before children.
    TTreeNode* Item(int index) const;
    TTreeNode* operator[](int index) const { return Item(index); }
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
    int RootCount() const { return static_cast<int>(roots_.size()); }
    TTreeNode* Root(int index) const;
    // A new last sibling of `sibling` (top level for null).
    TTreeNode* Add(TTreeNode* sibling, const std::string& text);
    // A new last (or first) child of `parent` (top level for null).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
    // Removes the node with all below it.
    void Delete(TTreeNode* node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    TTreeNode* Insert(TTreeNode* parent, bool first, const std::string& text);
    std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(TTreeNode* parent);

    TCustomTreeView* owner_;
    std::vector<std::unique_ptr<TTreeNode>> roots_;
    int count_ = 0;
    int updateCount_ = 0;
};

using TTVChangedEvent = std::function<void(TObject* sender, TTreeNode* node)>;

class TCustomTreeView : public TWinControl {
    QUORVANE_CLASS(TCustomTreeView)
public:
    explicit TCustomTreeView(TComponent* owner);
    ~TCustomTreeView() override;

    TTreeNodes* Items() const { return items_.get(); }
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    bool ShowLines() const { return showLines_; }
    void SetShowLines(bool value);
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool value);
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    TTreeNode* GetNodeAt(int x, int y);
    void FullExpand();
    void FullCollapse();

    void WndProc(TMessage& message) override;

    TTVChangedEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void DestroyWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    void ColorChanged() override;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    void PutNode(TTreeNode* node, HTREEITEM after);
    void PutNodeItem(TTreeNode* node);
    TTreeNode* NodeOf(HTREEITEM item) const;
    void UpdateStyle(DWORD mask, DWORD value);

    std::unique_ptr<TTreeNodes> items_;
    TImageList* images_ = nullptr;
    bool showLines_ = true;
    bool showButtons_ = true;
    bool showRoot_ = true;
    bool hideSelection_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
    TTreeNode* storedSelected_ = nullptr;
};

class TTreeView : public TCustomTreeView {
    QUORVANE_CLASS(TTreeView)
public:
    explicit TTreeView(TComponent* owner);
};

}  // namespace quorvane
