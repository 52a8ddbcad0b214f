// Live menus: what the platform menus really contain while items change,
// command identifiers, owner-drawn items measured and drawn through any
// window, actions, shortcut texts and right-to-left menus.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using test::Pump;

// One platform menu entry as GetMenuItemInfoW reports it.
struct Entry {
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    HMENU sub = nullptr;
    ULONG_PTR data = 0;
    std::u16string text;
};

std::vector<Entry> Entries(HMENU menu)
{
    std::vector<Entry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        WCHAR text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        entries.push_back({info.wID, info.fType, info.fState, info.hSubMenu, info.dwItemData,
                           reinterpret_cast<const char16_t*>(text)});
    }
    return entries;
}

std::vector<std::u16string> Texts(HMENU menu)
{
    std::vector<std::u16string> texts;
    for (const Entry& e : Entries(menu)) texts.push_back(e.type & MFT_SEPARATOR ? u"-" : e.text);
    return texts;
}

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (parent) parent->Add(item);
    return item;
}

// A bare window that behaves like a system dialog: it knows nothing of the
// framework except the one routing call a subclasser would make. It closes
// every menu as soon as the menu loop is idle.
struct ForeignOwner {
    static inline int measured = 0;
    static inline int drawn = 0;
    static inline std::vector<HMENU> opened;
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_INITMENUPOPUP) opened.push_back(reinterpret_cast<HMENU>(wParam));
        if (msg == WM_ENTERIDLE) EndMenu();
        if (msg == WM_MEASUREITEM || msg == WM_DRAWITEM) {
            TMessage message{msg, wParam, lParam, 0};
            if (DispatchMenuItemMessage(message)) {
                ++(msg == WM_MEASUREITEM ? measured : drawn);
                return message.result;
            }
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    static HWND Window()
    {
        static HWND window = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Procedure;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ForeignMenuOwner";
            RegisterClassW(&wc);
            return CreateWindowExW(0, L"ForeignMenuOwner", L"foreign", WS_POPUP | WS_VISIBLE, 600, 400, 120, 80, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        }();
        return window;
    }
    static void Reset()
    {
        measured = drawn = 0;
        opened.clear();
    }
};

// Opens `menu` with `owner` and lets the owner close it again at once.
void OpenAndClose(HMENU menu, HWND owner)
{
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, TPM_RETURNCMD, 620, 420, 0, owner, nullptr);
    Pump();
}

TEST(LiveMenus, HandlesStayWhileItemsChangeAndTheBarShowsOnlyVisibleItems)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = NewItem(&form, menu->Items(), "&File");
    TMenuItem* open = NewItem(&form, file, "&Open");
    TMenuItem* line = NewItem(&form, file, "-");
    TMenuItem* save = NewItem(&form, file, "&Save");
    TMenuItem* edit = NewItem(&form, menu->Items(), "&Edit");
    TMenuItem* copy = NewItem(&form, edit, "&Copy");
    form.SetMenu(menu);
    HWND window = form.Handle();
    HMENU bar = GetMenu(window);
    ASSERT_EQ(bar, menu->Handle());
    HMENU fileMenu = GetSubMenu(bar, 0);
    ASSERT_EQ(fileMenu, file->Handle());
    EXPECT_EQ(Texts(fileMenu), (std::vector<std::u16string>{u"&Open", u"-", u"&Save"}));

    // Hidden items leave the platform menu and come back at their place.
    line->SetVisible(false);
    open->SetVisible(false);
    EXPECT_EQ(Texts(fileMenu), (std::vector<std::u16string>{u"&Save"}));
    line->SetVisible(true);
    EXPECT_EQ(Texts(fileMenu), (std::vector<std::u16string>{u"-", u"&Save"}));
    open->SetVisible(true);
    EXPECT_EQ(Texts(fileMenu), (std::vector<std::u16string>{u"&Open", u"-", u"&Save"}));
    edit->SetVisible(false);
    EXPECT_EQ(Texts(bar), (std::vector<std::u16string>{u"&File"}));
    edit->SetVisible(true);
    EXPECT_EQ(Texts(bar), (std::vector<std::u16string>{u"&File", u"&Edit"}));
    EXPECT_EQ(GetSubMenu(bar, 1), edit->Handle());

    // Disabled items are there, greyed; checks, captions and shortcuts change in place.
    save->SetEnabled(false);
    open->SetChecked(true);
    open->SetCaption("&Open...");
    open->SetShortCut(static_cast<TShortCut>(scCtrl | 'O'));
    std::vector<Entry> entries = Entries(fileMenu);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, u"&Open...\tCtrl+O");
    EXPECT_TRUE(entries[0].state & MFS_CHECKED);
    EXPECT_EQ(entries[0].id, open->Command());
    EXPECT_TRUE(entries[1].type & MFT_SEPARATOR);
    EXPECT_EQ(entries[2].state & MFS_GRAYED, static_cast<UINT>(MFS_GRAYED));
    EXPECT_FALSE(entries[0].state & MFS_GRAYED);

    // Items added or inserted go to their place; an item that gains
    // sub-items carries a sub-menu, and loses it with the last one.
    TMenuItem* recent = NewItem(&form, nullptr, "&Recent");
    file->Insert(1, recent);
    EXPECT_EQ(Texts(fileMenu), (std::vector<std::u16string>{u"&Open...\tCtrl+O", u"&Recent", u"-", u"&Save"}));
    EXPECT_EQ(GetSubMenu(fileMenu, 1), nullptr);
    TMenuItem* first = NewItem(&form, recent, "first.txt");
    HMENU recentMenu = GetSubMenu(fileMenu, 1);
    ASSERT_NE(recentMenu, nullptr);
    EXPECT_EQ(Texts(recentMenu), (std::vector<std::u16string>{u"first.txt"}));
    recent->Remove(first);
    EXPECT_EQ(GetSubMenu(fileMenu, 1), nullptr);
    EXPECT_TRUE(IsMenu(recentMenu));  // whoever holds it still holds a menu
    recent->Add(first);
    EXPECT_EQ(GetSubMenu(fileMenu, 1), recentMenu);

    // Every handle survived all of it.
    EXPECT_EQ(GetMenu(window), bar);
    EXPECT_EQ(GetSubMenu(bar, 0), fileMenu);
    EXPECT_EQ(menu->Handle(), bar);

    // Freed items leave; their sub-menus go with them.
    Free(recent);
    EXPECT_EQ(Texts(fileMenu), (std::vector<std::u16string>{u"&Open...\tCtrl+O", u"-", u"&Save"}));
    EXPECT_FALSE(IsMenu(recentMenu));
    HMENU editMenu = edit->Handle();
    Free(copy);
    EXPECT_EQ(GetSubMenu(bar, 1), nullptr);  // a plain command on the bar now
    EXPECT_EQ(Entries(bar).at(1).id, edit->Command());
    EXPECT_EQ(GetMenuItemCount(editMenu), 0);
}

// Emulates a painter that hides the system's menu bar: on CM_MENUCHANGED it
// lets the form attach its menu, reads it, and takes the bar off again.
struct BarPainter {
    static inline WNDPROC previous = nullptr;
    static inline int notices = 0;
    static inline HMENU seen = nullptr;
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg != CM_MENUCHANGED) return CallWindowProcW(previous, window, msg, wParam, lParam);
        ++notices;
        const LRESULT result = CallWindowProcW(previous, window, msg, wParam, lParam);
        seen = GetMenu(window);
        SetMenu(window, nullptr);
        return result;
    }
};

TEST(LiveMenus, EveryChangeTellsTheFormWhichAttachesItsMenuAgain)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = NewItem(&form, menu->Items(), "&File");
    TMenuItem* open = NewItem(&form, file, "&Open");
    form.SetMenu(menu);
    HWND window = form.Handle();
    HMENU bar = menu->Handle();

    // Taken off by someone: the next change puts it back.
    SetMenu(window, nullptr);
    open->SetCaption("&Open file");
    EXPECT_EQ(GetMenu(window), bar);

    BarPainter::previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BarPainter::Procedure)));
    SetMenu(window, nullptr);
    BarPainter::notices = 0;
    BarPainter::seen = nullptr;
    open->SetEnabled(false);
    EXPECT_EQ(BarPainter::notices, 1);
    EXPECT_EQ(BarPainter::seen, bar);     // attached while the painter looked
    EXPECT_EQ(GetMenu(window), nullptr);  // and off again afterwards
    file->SetVisible(false);
    NewItem(&form, menu->Items(), "&Help");
    EXPECT_EQ(BarPainter::notices, 3);
    EXPECT_EQ(Texts(BarPainter::seen), (std::vector<std::u16string>{u"&Help"}));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarPainter::previous));
}

TEST(LiveMenus, HidingASeparatorRightBeforeOpeningKeepsTheMenuOpenable)
{
    TPopupMenu popup(nullptr);
    TMenuItem* top = NewItem(&popup, popup.Items(), "&View");
    TMenuItem* line = NewItem(&popup, top, "-");
    NewItem(&popup, top, "&Zoom");
    HMENU sub = GetSubMenu(popup.Handle(), 0);
    ASSERT_NE(sub, nullptr);
    line->SetVisible(false);  // as a painter does just before TrackPopupMenu
    ASSERT_TRUE(IsMenu(sub));
    ForeignOwner::Reset();
    OpenAndClose(sub, ForeignOwner::Window());
    ASSERT_EQ(ForeignOwner::opened.size(), 1u);
    EXPECT_EQ(ForeignOwner::opened[0], sub);
    EXPECT_EQ(Texts(sub), (std::vector<std::u16string>{u"&Zoom"}));
    EXPECT_EQ(GetSubMenu(popup.Handle(), 0), sub);
}

TEST(CommandPool, HandsOutTheLowestFreeIdentifierAboveTheFormsOwn)
{
    TPopupMenu popup(nullptr);
    std::vector<TMenuItem*> items;
    for (int i = 0; i < 4; ++i) items.push_back(NewItem(&popup, popup.Items(), "item"));
    for (TMenuItem* item : items) {
        EXPECT_GE(item->Command(), 0x1000u);
        EXPECT_LT(item->Command(), 0xF000u);
        EXPECT_EQ(FindMenuItem(item->Command()), item);
    }
    const UINT second = items[1]->Command(), third = items[2]->Command();
    Free(items[2]);
    Free(items[1]);
    EXPECT_EQ(FindMenuItem(second), nullptr);
    TMenuItem* again = NewItem(&popup, popup.Items(), "again");
    EXPECT_EQ(again->Command(), second);  // the lowest free one
    TMenuItem* next = NewItem(&popup, popup.Items(), "next");
    EXPECT_EQ(next->Command(), third);
    TMenuItem* fresh = NewItem(&popup, popup.Items(), "fresh");
    EXPECT_GT(fresh->Command(), items[3]->Command());

    // A WM_COMMAND of a freed item runs nothing; a live one runs its item.
    TForm form(nullptr);
    int clicks = 0;
    again->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(again->Command(), 0), 0);
    const UINT gone = fresh->Command();
    Free(fresh);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(gone, 0), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(OwnerDrawnMenus, ItemsAreMeasuredAndDrawnThroughAWindowThatIsNotAForm)
{
    TPopupMenu popup(nullptr);
    popup.SetOwnerDraw(true);
    TMenuItem* restore = NewItem(&popup, popup.Items(), "&Restore");
    NewItem(&popup, popup.Items(), "-");
    TMenuItem* close = NewItem(&popup, popup.Items(), "&Close");
    close->SetShortCut(static_cast<TShortCut>(scAlt | VK_F4));
    std::vector<std::string> drawn;
    restore->OnDrawItem = [&](TObject*, HDC, const RECT&, bool) { drawn.push_back("restore"); };
    for (const Entry& e : Entries(popup.Handle())) {
        EXPECT_TRUE(e.type & MFT_OWNERDRAW);
        EXPECT_NE(e.data, 0u);
    }
    ForeignOwner::Reset();
    popup.Popup(620, 420, ForeignOwner::Window());
    Pump();
    EXPECT_EQ(ForeignOwner::measured, 3);  // the separator too
    EXPECT_GE(ForeignOwner::drawn, 3);
    EXPECT_FALSE(drawn.empty());

    // Entries that are not live items of ours are left alone: a freed
    // item's identifier, or a live identifier with other item data.
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = close->Command();
    measure.itemData = 0x41A2;  // would crash if it were followed
    TMessage message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0};
    EXPECT_FALSE(DispatchMenuItemMessage(message));
    EXPECT_EQ(measure.itemWidth, 0u);
    const UINT freed = restore->Command();
    const auto staleData = reinterpret_cast<ULONG_PTR>(restore);
    Free(restore);
    measure.itemID = freed;
    measure.itemData = staleData;
    EXPECT_FALSE(DispatchMenuItemMessage(message));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = freed;
    draw.itemData = staleData;
    TMessage drawMessage{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
    EXPECT_FALSE(DispatchMenuItemMessage(drawMessage));

    // A framework form handles items of a menu it does not own.
    TForm other(nullptr);
    measure.itemID = close->Command();
    measure.itemData = reinterpret_cast<ULONG_PTR>(close);
    EXPECT_EQ(SendMessageW(other.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
    EXPECT_GT(measure.itemWidth, 0u);
}

TEST(OwnerDrawnMenus, AnItemMeasuresItselfWithoutItsHandlerAndDrawsThroughItsHandler)
{
    TPopupMenu popup(nullptr);
    TMenuItem* item = NewItem(&popup, popup.Items(), "&Open");
    TMenuItem* longer = NewItem(&popup, popup.Items(), "&Open the whole library");
    TMenuItem* keyed = NewItem(&popup, popup.Items(), "&Open");
    keyed->SetShortCut(static_cast<TShortCut>(scCtrl | 'O'));
    TMenuItem* line = NewItem(&popup, popup.Items(), "-");
    WindowDc dc(nullptr);
    auto measure = [&](TMenuItem* which) {
        int width = 0, height = 0;
        which->MeasureItem(dc.get(), width, height);
        return SIZE{width, height};
    };
    const SIZE plain = measure(item);
    EXPECT_GT(plain.cx, 0);
    EXPECT_GE(plain.cy, 16);
    EXPECT_GT(measure(longer).cx, plain.cx);
    EXPECT_GT(measure(keyed).cx, plain.cx);
    EXPECT_EQ(measure(line).cy, 8);

    // A painter's pattern: take the handler off, let the item measure
    // itself, put the handler back and add its own margins.
    item->OnMeasureItem = [&](TObject* sender, HDC handlerDc, int& width, int& height) {
        auto* self = static_cast<TMenuItem*>(sender);
        const auto saved = self->OnMeasureItem;
        self->OnMeasureItem = nullptr;
        self->MeasureItem(handlerDc, width, height);
        self->OnMeasureItem = saved;
        width += 25;
        height += 2;
    };
    const SIZE margined = measure(item);
    EXPECT_EQ(margined.cx, plain.cx + 25);
    EXPECT_EQ(margined.cy, plain.cy + 2);

    // An image list makes room for its pictures.
    TImageList images(nullptr);
    images.SetWidth(32);
    images.SetHeight(32);
    popup.SetImages(&images);
    EXPECT_GE(measure(longer).cy, 36);
    popup.SetImages(nullptr);

    // Drawing: the handler when set, otherwise the framework's own.
    MemoryDc memory(dc.get());
    UniqueBitmap picture(CreateCompatibleBitmap(dc.get(), 200, 24));
    SelectGuard select(memory.get(), picture.get());
    const RECT rect{0, 0, 200, 24};
    longer->DrawItem(memory.get(), rect, true);
    EXPECT_EQ(GetPixel(memory.get(), 1, 1), GetSysColor(COLOR_HIGHLIGHT));
    longer->DrawItem(memory.get(), rect, false);
    EXPECT_EQ(GetPixel(memory.get(), 1, 1), GetSysColor(COLOR_MENU));
    bool handled = false;
    longer->OnDrawItem = [&](TObject*, HDC, const RECT&, bool selected) { handled = selected; };
    longer->DrawItem(memory.get(), rect, true);
    EXPECT_TRUE(handled);
}

TEST(MenuActions, LinkedItemsShowTheActionAndClickingRunsIt)
{
    TForm form(nullptr);
    TPopupMenu popup(nullptr);
    TAction action(nullptr);
    action.SetCaption("&Play");
    action.SetShortCut(static_cast<TShortCut>(scCtrl | 'P'));
    TMenuItem* item = NewItem(&popup, popup.Items(), "");
    item->SetAction(&action);
    EXPECT_EQ(item->Caption(), "&Play");
    EXPECT_EQ(Texts(popup.Handle()), (std::vector<std::u16string>{u"&Play\tCtrl+P"}));
    EXPECT_EQ(GetEnumPropName(item, "Enabled"), "True");

    action.SetEnabled(false);
    action.SetChecked(true);
    Entry entry = Entries(popup.Handle()).at(0);
    EXPECT_TRUE(entry.state & MFS_GRAYED);
    EXPECT_TRUE(entry.state & MFS_CHECKED);
    action.SetVisible(false);
    EXPECT_EQ(GetMenuItemCount(popup.Handle()), 0);
    action.SetVisible(true);
    action.SetEnabled(true);

    // The update step runs before the items are shown.
    int updates = 0, runs = 0;
    action.OnUpdate = [&](TObject*) {
        ++updates;
        action.SetCaption("&Pause");
    };
    action.OnExecute = [&](TObject*) { ++runs; };
    item->InitiateAction();
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(Texts(popup.Handle()), (std::vector<std::u16string>{u"&Pause\tCtrl+P"}));
    popup.Popup(620, 420, ForeignOwner::Window());
    EXPECT_EQ(updates, 2);

    // A click runs the action; OnClick takes precedence; a disabled action does not run.
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
    EXPECT_EQ(runs, 1);
    action.OnUpdate = [&](TObject*) { action.SetEnabled(false); };
    item->Click();
    EXPECT_EQ(runs, 1);
    action.OnUpdate = nullptr;
    action.SetEnabled(true);
    int clicks = 0;
    item->OnClick = [&](TObject*) { ++clicks; };
    item->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(runs, 1);

    // A freed action leaves the item unlinked.
    {
        TAction temporary(nullptr);
        item->SetAction(&temporary);
        EXPECT_EQ(GetObjectPropOf<TAction>(item, "Action"), &temporary);
    }
    EXPECT_EQ(item->Action(), nullptr);
}

TEST(ShortCuts, TextsNameEveryKindOfKey)
{
    struct Case {
        TShortCut shortCut;
        const char* text;
    };
    const Case cases[] = {
        {'A', "A"},
        {'Z', "Z"},
        {'0', "0"},
        {'9', "9"},
        {VK_F1, "F1"},
        {VK_F2, "F2"},
        {VK_F10, "F10"},
        {VK_F11, "F11"},
        {VK_F12, "F12"},
        {VK_F13, "F13"},
        {VK_F24, "F24"},
        {VK_BACK, "BkSp"},
        {VK_TAB, "Tab"},
        {VK_RETURN, "Enter"},
        {VK_ESCAPE, "Esc"},
        {VK_SPACE, "Space"},
        {VK_PRIOR, "PgUp"},
        {VK_NEXT, "PgDn"},
        {VK_END, "End"},
        {VK_HOME, "Home"},
        {VK_LEFT, "Left"},
        {VK_UP, "Up"},
        {VK_RIGHT, "Right"},
        {VK_DOWN, "Down"},
        {VK_INSERT, "Ins"},
        {VK_DELETE, "Del"},
        {VK_NUMPAD0, "Num 0"},
        {VK_NUMPAD7, "Num 7"},
        {VK_ADD, "Num +"},
        {static_cast<TShortCut>(scCtrl | 'C'), "Ctrl+C"},
        {static_cast<TShortCut>(scShift | VK_F10), "Shift+F10"},
        {static_cast<TShortCut>(scAlt | VK_F4), "Alt+F4"},
        {static_cast<TShortCut>(scCtrl | VK_F12), "Ctrl+F12"},
        {static_cast<TShortCut>(scShift | scCtrl | 'S'), "Shift+Ctrl+S"},
        {static_cast<TShortCut>(scShift | scCtrl | scAlt | VK_DELETE), "Shift+Ctrl+Alt+Del"},
        {static_cast<TShortCut>(scCtrl | VK_INSERT), "Ctrl+Ins"},
        {0, ""},
        {static_cast<TShortCut>(scCtrl), ""},
        {VK_SHIFT, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortCutToText(c.shortCut), c.text) << std::hex << c.shortCut;
    // The menu shows the same text after a tab.
    TPopupMenu popup(nullptr);
    TMenuItem* item = NewItem(&popup, popup.Items(), "&Help");
    item->SetShortCut(VK_F1);
    EXPECT_EQ(Texts(popup.Handle()), (std::vector<std::u16string>{u"&Help\tF1"}));
}

TEST(RightToLeftMenus, ItemsCarryTheRightOrderFlagsOfTheirMenu)
{
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = NewItem(&form, menu->Items(), "&File");
    NewItem(&form, file, "&Open");
    auto* popup = new TPopupMenu(&form);
    NewItem(&form, popup->Items(), "&Copy");
    form.SetMenu(menu);
    form.HandleNeeded();
    const UINT rtl = MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
    EXPECT_FALSE(menu->IsRightToLeft());
    EXPECT_EQ(Entries(file->Handle()).at(0).type & rtl, 0u);

    form.SetBiDiMode(bdRightToLeft);  // menus follow their form
    EXPECT_TRUE(menu->IsRightToLeft());
    EXPECT_TRUE(file->IsRightToLeft());
    EXPECT_EQ(Entries(menu->Handle()).at(0).type & rtl, rtl);
    EXPECT_EQ(Entries(file->Handle()).at(0).type & rtl, rtl);
    EXPECT_EQ(Entries(popup->Handle()).at(0).type & rtl, rtl);

    popup->SetBiDiMode(bdLeftToRight);  // a menu of its own mind
    EXPECT_FALSE(popup->ParentBiDiMode());
    EXPECT_EQ(Entries(popup->Handle()).at(0).type & rtl, 0u);
    form.SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(Entries(file->Handle()).at(0).type & rtl, 0u);
    EXPECT_EQ(GetEnumPropName(menu, "BiDiMode"), "bdLeftToRight");
    form.SetMenu(nullptr);
}

}  // namespace
}  // namespace quorvane
