// The control families over real windows: tabs and pages turned by click
// and Ctrl+Tab, headers, list and tree views that keep their contents
// across a new window, grids scrolled by keys, radio and check groups,
// frames and forms inside forms, scroll bars and scroll boxes.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/grids.h"
#include "framework/group_controls.h"
#include "framework/list_controls.h"
#include "framework/properties.h"
#include "framework/scroll_controls.h"
#include "framework/std_controls.h"
#include "framework/tab_controls.h"
#include "tests/framework/control_test_support.h"
#include "tests/support/gtest.h"
#include "tests/support/resource_counts.h"

namespace quorvane {
namespace {

using test::ClearStage;
using test::ClickAt;
using test::PressKey;
using test::Settle;
using test::Stage;

using Families = test::StageTest;

std::u16string WindowText(HWND window)
{
    WCHAR text[256] = {};
    GetWindowTextW(window, text, 256);
    return reinterpret_cast<const char16_t*>(text);
}

TEST_F(Families, PageControlTurnsPagesByClickAndCtrlTabAndKeepsOnlyTheActivePageShown)
{
    auto* pages = Make<TPageControl>(form, 10, 10, 300, 200);
    std::vector<TTabSheet*> sheets;
    for (const char* caption : {"First", "Second", "Hidden", "Fourth"}) {
        auto* sheet = new TTabSheet(form);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        sheets.push_back(sheet);
    }
    sheets[2]->SetTabVisible(false);
    auto* edit = Make<TEdit>(sheets[0], 10, 10, 100, 22);
    int changes = 0;
    pages->OnChange = [&](TObject*) { ++changes; };
    Settle(2);
    HWND tabs = pages->Handle();
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);  // the hidden sheet has no tab
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
    // The sheet fills the display area inside the tabs.
    const RECT display = pages->DisplayRect();
    EXPECT_EQ(sheets[0]->Left(), display.left);
    EXPECT_EQ(sheets[0]->Top(), display.top);
    EXPECT_EQ(sheets[0]->Width(), display.right - display.left);
    EXPECT_GT(display.top, 10);

    const RECT second = pages->TabRect(1);
    ClickAt(tabs, {(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(IsWindowVisible(sheets[1]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));

    // Ctrl+Tab with the focus inside turns to the next shown page,
    // skipping the one without a tab, and wraps; Ctrl+Shift+Tab goes back.
    SetFocus(tabs);
    PressKey(VK_TAB, {VK_CONTROL});
    EXPECT_EQ(pages->ActivePage(), sheets[3]);
    PressKey(VK_TAB, {VK_CONTROL});
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(pages->ActivePage(), sheets[3]);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(pages->TabIndex(), 2);

    // OnChanging can keep the page.
    pages->OnChanging = [](TObject*, bool& allow) { allow = false; };
    const RECT first = pages->TabRect(0);
    ClickAt(tabs, {(first.left + first.right) / 2, (first.top + first.bottom) / 2});
    PressKey(VK_TAB, {VK_CONTROL});
    EXPECT_EQ(pages->ActivePage(), sheets[3]);
    EXPECT_EQ(changes, 4);
    pages->OnChanging = nullptr;

    // A plain Tab still walks the controls; freeing the active page shows another.
    pages->SetActivePage(sheets[0]);
    EXPECT_EQ(GetParent(edit->Handle()), sheets[0]->Handle());
    Free(sheets[0]);
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(Families, TabControlStylesAndPagesAreReadAndWrittenByName)
{
    auto* pages = Make<TPageControl>(form, 10, 10, 300, 120);
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    sheet->SetCaption("Only");
    HWND before = pages->Handle();
    EXPECT_EQ(GetEnumPropName(pages, "Style"), "tsTabs");
    SetPropText(pages, "Style", "tsFlatButtons");
    EXPECT_EQ(pages->Style(), tsFlatButtons);
    EXPECT_NE(pages->Handle(), before);  // the style needs a new window
    EXPECT_TRUE(GetWindowLongW(pages->Handle(), GWL_STYLE) & TCS_FLATBUTTONS);
    // The new window has the sheet's tab and the sheet still shown.
    EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(sheet->Handle()));
    EXPECT_EQ(GetParent(sheet->Handle()), pages->Handle());
    SetPropText(pages, "TabPosition", "tpBottom");
    EXPECT_TRUE(GetWindowLongW(pages->Handle(), GWL_STYLE) & TCS_BOTTOM);
    EXPECT_EQ(GetIntProp(sheet, "PageIndex"), 0);
    EXPECT_EQ(GetEnumPropName(sheet, "TabVisible"), "True");
    EXPECT_EQ(GetStrProp(sheet, "Caption"), "Only");
    EXPECT_TRUE(pages->InheritsFrom("TCustomTabControl"));

    auto* tabs = Make<TTabControl>(form, 320, 10, 260, 120);
    tabs->Tabs()->Add("One");
    tabs->Tabs()->Add("Two");
    auto* inside = Make<TPanel>(tabs, 0, 0, 10, 10);
    inside->SetAlign(alClient);
    int changes = 0;
    tabs->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(tabs->TabIndex(), 0);
    const RECT display = tabs->DisplayRect();
    EXPECT_EQ(inside->Top(), display.top);
    const RECT two = tabs->TabRect(1);
    ClickAt(tabs->Handle(), {(two.left + two.right) / 2, (two.top + two.bottom) / 2});
    EXPECT_EQ(GetIntProp(tabs, "TabIndex"), 1);
    EXPECT_EQ(changes, 1);
    tabs->Tabs()->Delete(1);
    EXPECT_EQ(tabs->TabIndex(), 0);
}

TEST_F(Families, HeaderSectionsFollowTheProgramAndReportClicks)
{
    auto* header = Make<THeaderControl>(form, 0, 0, 300, 20);
    header->SetAlign(alNone);
    header->SetBounds(10, 10, 300, 20);
    for (const char* text : {"Name", "Size", "Date"}) header->Sections()->Add()->SetText(text);
    header->Sections()->At(1)->SetWidth(80);
    header->Sections()->At(2)->SetAlignment(taRightJustify);
    HWND window = header->Handle();
    ASSERT_EQ(SendMessageW(window, HDM_GETITEMCOUNT, 0, 0), 3);
    WCHAR text[32] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(window, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"Size");
    EXPECT_EQ(item.cxy, 80);
    SendMessageW(window, HDM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);
    EXPECT_EQ(GetEnumPropName(header->Sections()->At(2), "Alignment"), "taRightJustify");

    THeaderSection* clicked = nullptr;
    header->OnSectionClick = [&](THeaderControl*, THeaderSection* s) { clicked = s; };
    const RECT size = header->SectionRect(1);
    ClickAt(window, {(size.left + size.right) / 2, (size.top + size.bottom) / 2});
    EXPECT_EQ(clicked, header->Sections()->At(1));
    header->Sections()->Delete(0);
    EXPECT_EQ(SendMessageW(window, HDM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(Families, ListViewItemsSubItemsSelectionAndChecksSurviveANewWindow)
{
    auto* list = Make<TListView>(form, 10, 10, 400, 200);
    SetPropText(list, "ViewStyle", "vsReport");
    list->Columns()->Add()->SetCaption("Name");
    list->Columns()->Add()->SetCaption("Size");
    for (int i = 0; i < 3; ++i) {
        TListItem* item = list->Items()->Add();
        item->SetCaption("item " + std::to_string(i));
        item->SubItems()->Add(std::to_string(i * 10) + " KB");
    }
    HWND window = list->Handle();
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & LVS_REPORT);
    EXPECT_EQ(SendMessageW(window, LVM_GETITEMCOUNT, 0, 0), 3);
    const auto cell = [&](int row, int column) {
        WCHAR text[64] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(list->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return std::u16string(reinterpret_cast<char16_t*>(text));
    };
    EXPECT_EQ(cell(2, 0), u"item 2");
    EXPECT_EQ(cell(1, 1), u"10 KB");
    list->Items()->Item(1)->SubItems()->Put(0, "11 KB");
    EXPECT_EQ(cell(1, 1), u"11 KB");
    // The header window of the report view is reachable and has the columns.
    ASSERT_NE(list->HeaderHandle(), nullptr);
    EXPECT_EQ(SendMessageW(list->HeaderHandle(), HDM_GETITEMCOUNT, 0, 0), 2);

    TListItem* selected = nullptr;
    list->OnSelectItem = [&](TObject*, TListItem* item, bool on) {
        if (on) selected = item;
    };
    const RECT row = list->Items()->Item(2)->DisplayRect();
    ClickAt(window, {row.left + 10, (row.top + row.bottom) / 2});
    EXPECT_EQ(selected, list->Items()->Item(2));
    EXPECT_EQ(list->ItemIndex(), 2);

    // Check boxes need a new window; contents, selection and checks stay.
    list->SetCheckboxes(true);
    list->Items()->Item(0)->SetChecked(true);
    list->SetBorderStyle(bsNone);
    EXPECT_NE(list->Handle(), window);
    EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(cell(1, 1), u"11 KB");
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Items()->Item(0)->Checked());
    EXPECT_FALSE(list->Items()->Item(1)->Checked());
    list->Items()->Delete(0);
    EXPECT_EQ(list->Items()->Item(0)->Caption(), "item 1");
    EXPECT_EQ(list->Items()->Item(1)->Index(), 1);
    EXPECT_EQ(cell(0, 0), u"item 1");
}

TEST_F(Families, CheckBoxListViewsLeaveNoImageListBehind)
{
    // The platform makes the check boxes' images itself; a list view that
    // shares its image lists would leave them behind with every window.
    const auto make = [&] {
        auto* list = Make<TListView>(form, 10, 10, 200, 100);
        list->SetCheckboxes(true);
        list->Items()->Add()->SetCaption("checked");
        list->Items()->Item(0)->SetChecked(true);
        list->HandleNeeded();
        return list;
    };
    Free(make());  // the first window loads what lives for the run
    const testsupport::ResourceCounts before = testsupport::CountResources();
    for (int i = 0; i < 10; ++i) {
        TListView* list = make();
        list->SetCheckboxes(false);  // a new window each way
        list->SetCheckboxes(true);
        Free(list);
    }
    const testsupport::ResourceCounts after = testsupport::CountResources();
    EXPECT_EQ(after, before) << testsupport::Describe(before) << " -> " << testsupport::Describe(after);
}

TEST_F(Families, TreeNodesCountDepthFirstAndKeepExpansionAcrossANewWindow)
{
    auto* tree = Make<TTreeView>(form, 10, 10, 200, 200);
    TTreeNodes* nodes = tree->Items();
    TTreeNode* fruit = nodes->Add(nullptr, "Fruit");
    TTreeNode* apple = nodes->AddChild(fruit, "Apple");
    nodes->AddChild(apple, "Cox");
    nodes->AddChild(fruit, "Pear");
    TTreeNode* veg = nodes->Add(fruit, "Vegetables");
    nodes->AddChildFirst(veg, "Leek");
    EXPECT_EQ(nodes->Count(), 6);
    std::vector<std::string> order;
    for (int i = 0; i < nodes->Count(); ++i) order.push_back(nodes->Item(i)->Text());
    EXPECT_EQ(order, (std::vector<std::string>{"Fruit", "Apple", "Cox", "Pear", "Vegetables", "Leek"}));
    EXPECT_EQ(nodes->Item(2)->Level(), 2);
    EXPECT_EQ(veg->Index(), 1);

    HWND window = tree->Handle();
    EXPECT_EQ(SendMessageW(window, TVM_GETCOUNT, 0, 0), 6);
    TTreeNode* changed = nullptr;
    tree->OnChange = [&](TObject*, TTreeNode* node) { changed = node; };
    fruit->SetExpanded(true);
    tree->SetSelected(apple);
    EXPECT_EQ(changed, apple);
    EXPECT_TRUE(apple->Selected());

    SetPropText(tree, "BorderStyle", "bsNone");
    EXPECT_NE(tree->Handle(), window);
    EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETCOUNT, 0, 0), 6);
    EXPECT_TRUE(fruit->Expanded());
    EXPECT_FALSE(veg->Expanded());
    EXPECT_EQ(tree->Selected(), apple);

    // A node of another tree is refused, not half-joined.
    TTreeView other(nullptr);
    TTreeNode* stranger = other.Items()->Add(nullptr, "Stranger");
    EXPECT_THROW(nodes->AddChild(stranger, "Lost"), Exception);
    EXPECT_EQ(nodes->Count(), 6);
    EXPECT_EQ(stranger->Count(), 0);

    nodes->Delete(apple);
    EXPECT_EQ(nodes->Count(), 4);
    EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(fruit->Count(), 1);
    nodes->Clear();
    EXPECT_EQ(nodes->Count(), 0);
    EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(Families, DrawGridPaintsFixedAndSelectedCellsAndScrollsToTheCurrentCell)
{
    auto* grid = Make<TDrawGrid>(form, 10, 10, 300, 150);
    grid->SetRowCount(100);
    grid->SetColCount(6);
    grid->SetFixedColor(RGB(10, 120, 10));
    int fixedDrawn = 0, selectedDrawn = 0;
    grid->OnDrawCell = [&](TObject*, int col, int row, const RECT&, TGridDrawState state) {
        if (InSet(state, gdFixed)) {
            ++fixedDrawn;
            EXPECT_TRUE(col == 0 || row == 0);
        }
        if (InSet(state, gdSelected)) {
            ++selectedDrawn;
            EXPECT_EQ(col, grid->Col());
            EXPECT_EQ(row, grid->Row());
        }
    };
    UpdateWindow(grid->Handle());
    Settle(2);
    EXPECT_GT(fixedDrawn, 0);
    EXPECT_EQ(selectedDrawn, 1);
    // The fixed colour is painted around the caller's drawing.
    const RECT corner = grid->CellRect(0, 0);
    WindowDc dc(grid->Handle());
    EXPECT_EQ(GetPixel(dc.get(), corner.left + 5, corner.top + 5), RGB(10, 120, 10));
    EXPECT_EQ(GetIntProp(grid, "FixedColor"), RGB(10, 120, 10));

    // A click picks a cell; arrows move it and scroll it into view.
    const RECT target = grid->CellRect(2, 3);
    ClickAt(grid->Handle(), {target.left + 4, target.top + 4});
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
    for (int i = 0; i < 10; ++i) PressKey(VK_DOWN);
    EXPECT_EQ(grid->Row(), 13);
    EXPECT_GT(grid->TopRow(), 1);
    EXPECT_LT(grid->TopRow(), 14);
    EXPECT_GE(grid->TopRow() + grid->VisibleRowCount(), 14);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(grid->Handle(), SB_VERT, &info);
    EXPECT_EQ(info.nPos, grid->TopRow());
    EXPECT_EQ(info.nMax, 99);
    // A refused cell keeps the current one.
    grid->OnSelectCell = [](TObject*, int, int row, bool& can) { can = row != 14; };
    PressKey(VK_DOWN);
    EXPECT_EQ(grid->Row(), 13);
    // The thumb dragged to the end shows the last rows.
    SendMessageW(grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount(), 100);
}

TEST_F(Families, RadioGroupButtonsAreChildControlsAndAClickChoosesTheItem)
{
    auto* group = Make<TRadioGroup>(form, 10, 10, 300, 120);
    group->SetCaption("Speed");
    for (const char* item : {"Slow", "Normal", "Fast", "Fastest"}) group->Items()->Add(item);
    SetPropText(group, "Columns", "2");
    group->SetItemIndex(1);
    ASSERT_EQ(group->ControlCount(), 4);
    auto* fast = As<TRadioButton>(group->Controls(2));
    ASSERT_NE(fast, nullptr);
    EXPECT_EQ(fast->Caption(), "Fast");
    EXPECT_GT(fast->Left(), group->Controls(0)->Left());  // second column
    EXPECT_EQ(SendMessageW(As<TWinControl>(group->Controls(1))->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    ClickAt(fast->Handle(), {5, fast->Height() / 2});
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(GetIntProp(group, "ItemIndex"), 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(SendMessageW(As<TWinControl>(group->Controls(1))->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The arrow keys move the choice within the group.
    PressKey(VK_DOWN);
    EXPECT_EQ(group->ItemIndex(), 3);
    EXPECT_EQ(clicks, 2);
    // New items make new buttons; a choice beyond them goes.
    group->Items()->Delete(3);
    EXPECT_EQ(group->ControlCount(), 3);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_TRUE(group->InheritsFrom("TCustomGroupBox"));

    auto* checks = Make<TCheckGroup>(form, 320, 10, 200, 120);
    for (const char* item : {"Bold", "Italic", "Underline"}) checks->Items()->Add(item);
    std::vector<int> clicked;
    checks->OnItemClick = [&](TObject*, int index) { clicked.push_back(index); };
    auto* italic = As<TCheckBox>(checks->Controls(1));
    ClickAt(italic->Handle(), {5, italic->Height() / 2});
    EXPECT_TRUE(checks->Checked(1));
    EXPECT_EQ(clicked, std::vector<int>{1});
    checks->SetChecked(2, true);
    EXPECT_EQ(GetStrProp(checks, "CheckedItems"), "[1,2]");
    SetPropText(checks, "CheckedItems", "[0]");
    EXPECT_TRUE(checks->Checked(0));
    EXPECT_FALSE(checks->Checked(1));
    checks->SetItemEnabled(0, false);
    EXPECT_FALSE(IsWindowEnabled(As<TWinControl>(checks->Controls(0))->Handle()));
    // The states stay when the items are edited.
    checks->Items()->Add("Strike");
    EXPECT_TRUE(checks->Checked(0));
    EXPECT_FALSE(checks->ItemEnabled(3) == false);
}

class TTestFrame : public TFrame {
    QUORVANE_CLASS(TTestFrame)
public:
    explicit TTestFrame(TComponent* owner) : TFrame(owner)
    {
        Edit = new TEdit(this);
        Edit->SetParent(this);
        Edit->SetBounds(5, 5, 100, 22);
    }
    TEdit* Edit;
    int loaded = 0;

protected:
    void Loaded() override
    {
        TFrame::Loaded();
        ++loaded;
    }
};

const TClassInfo& TTestFrame::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TTestFrame", &TFrame::StaticClass());
    return info;
}

TEST_F(Families, FramesOwnTheirControlsAndFormsLiveInsideOtherForms)
{
    // A form under construction: the frame and its controls load with it.
    auto* host = new TForm(nullptr);
    host->SetBounds(0, 0, 300, 200);
    auto* frame = new TTestFrame(host);
    frame->SetParent(host);
    frame->SetBounds(10, 10, 200, 100);
    EXPECT_TRUE(frame->Edit->IsLoading());
    host->AfterConstruction();
    EXPECT_EQ(frame->loaded, 1);
    EXPECT_FALSE(frame->Edit->IsLoading());
    EXPECT_EQ(frame->Edit->Owner(), frame);
    EXPECT_EQ(host->FindComponent(""), nullptr);
    EXPECT_TRUE(frame->InheritsFrom("TCustomFrame"));
    Free(host);

    // A form placed on a panel of the stage is a child window there.
    auto* panel = Make<TPanel>(form, 10, 10, 300, 200);
    auto* inner = new TForm(nullptr);
    inner->SetCaption("inner");
    inner->SetBounds(10, 10, 200, 150);
    auto* button = new TButton(inner);
    button->SetParent(inner);
    inner->AfterConstruction();
    inner->SetParent(panel);
    inner->Show();
    HWND window = inner->Handle();
    EXPECT_EQ(GetParent(window), panel->Handle());
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(button->Handle()), window);
    EXPECT_EQ(WindowText(window), u"inner");
    // Taken out again, it is a top-level window once more.
    inner->Hide();
    inner->SetParent(nullptr);
    EXPECT_FALSE(GetWindowLongW(inner->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(GetParent(inner->Handle()), nullptr);
    Free(inner);
}

TEST_F(Families, ScrollBarMovesByItsChangesAndReportsEachScroll)
{
    auto* bar = Make<TScrollBar>(form, 10, 10, 200, 17);
    bar->SetParams(0, 0, 50);
    bar->SetPageSize(10);
    bar->SetSmallChange(3);
    bar->SetLargeChange(10);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(bar->Handle(), SB_CTL, &info);
    EXPECT_EQ(info.nMax, 59);  // Max stays reachable with a page of 10
    EXPECT_EQ(info.nPage, 10u);
    std::vector<TScrollCode> codes;
    int changes = 0;
    bar->OnScroll = [&](TObject*, TScrollCode code, int&) { codes.push_back(code); };
    bar->OnChange = [&](TObject*) { ++changes; };
    ClickAt(bar->Handle(), {200 - 5, 8});  // the right arrow
    EXPECT_EQ(bar->Position(), 3);
    EXPECT_EQ(changes, 1);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), scLineDown);
    EXPECT_EQ(codes.back(), scEndScroll);
    ClickAt(bar->Handle(), {150, 8});  // the page area after the thumb
    EXPECT_EQ(bar->Position(), 13);
    // The handler may change where a scroll goes; the end is the end.
    bar->OnScroll = [](TObject*, TScrollCode code, int& position) {
        if (code == scLineDown) position = 50;
    };
    ClickAt(bar->Handle(), {200 - 5, 8});
    EXPECT_EQ(bar->Position(), 50);
    SetPropText(bar, "Kind", "sbVertical");
    EXPECT_TRUE(GetWindowLongW(bar->Handle(), GWL_STYLE) & SBS_VERT);
    EXPECT_EQ(bar->Height(), 200);
    EXPECT_EQ(GetIntProp(bar, "Position"), 50);
}

TEST_F(Families, ScrollBoxScrollsWindowedAndWindowlessChildrenTogether)
{
    auto* box = Make<TScrollBox>(form, 10, 10, 200, 150);
    auto* top = Make<TEdit>(box, 10, 10, 100, 22);
    auto* label = Make<TLabel>(box, 10, 40, 100, 16);
    auto* bottom = Make<TEdit>(box, 10, 400, 100, 22);
    (void)bottom;
    Settle(2);
    EXPECT_TRUE(GetWindowLongW(box->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongW(box->Handle(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(box->VertScrollBar()->Range(), 422);
    SendMessageW(box->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(box->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(box->VertScrollBar()->Position(), 16);
    EXPECT_EQ(top->Top(), 10 - 16);
    EXPECT_EQ(label->Top(), 40 - 16);
    RECT rect{};
    GetWindowRect(top->Handle(), &rect);
    MapWindowPoints(nullptr, box->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.top, -6);
    // Scrolling past the end stops at the last page.
    box->VertScrollBar()->SetPosition(10000);
    EXPECT_EQ(box->VertScrollBar()->Position(), 422 - box->ClientHeight());
    EXPECT_EQ(GetIntProp(box->VertScrollBar(), "Position"), box->VertScrollBar()->Position());
    // Brought into view: scrolled just far enough to show its top edge.
    box->ScrollInView(top);
    EXPECT_EQ(top->Top(), 0);
    EXPECT_EQ(box->VertScrollBar()->Position(), 10);
    EXPECT_EQ(GetEnumPropName(box, "BorderStyle"), "bsSingle");
}

}  // namespace
}  // namespace quorvane
