// Menus, list and memo lines, keyboard navigation and handler removal in
// the middle of a message.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "framework/std_controls.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

std::u16string MenuText(HMENU menu, UINT position)
{
    WCHAR text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return reinterpret_cast<char16_t*>(text);
}

TEST(Menus, MainMenuBuildsTheMenuBarAndDispatchesCommands)
{
    auto* form = new TForm(nullptr);
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("&File");
    auto* open = new TMenuItem(form);
    open->SetCaption("&Open");
    open->SetShortCut(static_cast<TShortCut>(scCtrl | 'O'));
    auto* line = new TMenuItem(form);
    line->SetCaption("-");
    auto* quit = new TMenuItem(form);
    quit->SetCaption("退出");
    quit->SetEnabled(false);
    menu->Items()->Add(file);
    file->Add(open);
    file->Add(line);
    file->Add(quit);
    form->SetMenu(menu);
    HWND window = form->Handle();
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(MenuText(bar, 0), u"&File");
    HMENU sub = GetSubMenu(bar, 0);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(GetMenuItemCount(sub), 3);
    EXPECT_EQ(MenuText(sub, 0), u"&Open\tCtrl+O");
    EXPECT_EQ(MenuText(sub, 2), u"退出");
    EXPECT_TRUE(GetMenuState(sub, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(open->GetParentMenu(), menu);

    int opened = 0;
    open->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, open);
        ++opened;
    };
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
    EXPECT_EQ(opened, 1);

    // A change rebuilds the bar and tells the form.
    int changes = 0;
    struct Watch {
        int* changes;
        TWndMethod saved;
        void Handle(TMessage& m)
        {
            if (m.msg == CM_MENUCHANGED) ++*changes;
            saved(m);
        }
    } watch{&changes, form->WindowProc()};
    form->SetWindowProc(MakeWndMethod<&Watch::Handle>(&watch));
    open->SetChecked(true);
    EXPECT_GE(changes, 1);
    sub = GetSubMenu(GetMenu(window), 0);
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
    form->SetWindowProc(watch.saved);

    // Freed items leave the menu.
    Free(line);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(window), 0)), 2);
    Free(form);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Menus, OwnerDrawnItemsAskTheirHandlers)
{
    TForm form(nullptr);
    auto* popup = new TPopupMenu(&form);
    auto* item = new TMenuItem(&form);
    item->SetCaption("Item");
    popup->Items()->Add(item);
    popup->SetOwnerDraw(true);
    HMENU handle = popup->Handle();
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    GetMenuItemInfoW(handle, 0, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(item));

    item->OnMeasureItem = [](TObject*, HDC, int& width, int& height) {
        width = 123;
        height = 21;
    };
    bool drawn = false;
    item->OnDrawItem = [&](TObject*, HDC, const RECT&, bool selected) { drawn = selected; };
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = item->Command();
    measure.itemData = reinterpret_cast<ULONG_PTR>(item);
    SendMessageW(form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 123u);
    EXPECT_EQ(measure.itemHeight, 21u);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = item->Command();
    draw.itemData = reinterpret_cast<ULONG_PTR>(item);
    draw.itemState = ODS_SELECTED;
    WindowDc dc(form.Handle());
    draw.hDC = dc.get();
    SendMessageW(form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_TRUE(drawn);
    EXPECT_EQ(GetIntProp(item, "ImageIndex"), -1);
    EXPECT_EQ(GetEnumPropName(item, "Enabled"), "True");
}

TEST(Lists, ListBoxAndMemoLines)
{
    TForm form(nullptr);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    list->SetTabWidth(50);
    for (const char* line : {"Name: a", "Vendor: b"}) list->Items()->Add(line);
    list->HandleNeeded();
    list->Items()->Add("Age: c");
    list->SetItemIndex(list->Items()->Count() - 1);
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(GetWindowLongPtrW(list->Handle(), GWL_STYLE) & LBS_USETABSTOPS);
    list->Items()->Clear();
    EXPECT_EQ(list->Items()->Count(), 0);
    EXPECT_EQ(list->ItemIndex(), -1);

    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    memo->Lines()->Add("first");
    memo->Lines()->Add("第二");
    EXPECT_EQ(memo->Text(), "first\r\n第二\r\n");
    memo->Lines()->Insert(1, "middle");
    memo->Lines()->Delete(0);
    ASSERT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Get(0), "middle");
    EXPECT_EQ(memo->Lines()->Get(1), "第二");
    memo->Lines()->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);
    memo->SetReadOnly(true);
    EXPECT_TRUE(GetWindowLongPtrW(memo->Handle(), GWL_STYLE) & ES_READONLY);
}

// Holds Shift down (or lets it go) as the thread's keyboard state sees it.
void HoldShift(bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Tab and Shift+Tab walk the controls in tab order with wrap-around,
// passing what cannot take the focus (an edit inside a disabled panel);
// Escape clicks the cancel button, Return the default one unless a button
// has the focus.
TEST(Keyboard, TabMovesFocusInTabOrderAndEscapeClicksTheCancelButton)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(100, 100, 400, 300);
    auto* a = new TButton(form);
    auto* b = new TButton(form);
    auto* c = new TCheckBox(form);
    auto* panel = new TPanel(form);
    auto* inner = new TEdit(form);
    auto* d = new TEdit(form);
    for (TWinControl* control : std::vector<TWinControl*>{a, b, c, panel, d}) control->SetParent(form);
    inner->SetParent(panel);
    a->SetBounds(10, 10, 80, 24);
    b->SetBounds(10, 40, 80, 24);
    c->SetBounds(10, 70, 80, 24);
    panel->SetBounds(100, 10, 120, 60);
    inner->SetBounds(5, 5, 100, 24);
    d->SetBounds(100, 80, 100, 24);
    c->SetTabOrder(0);
    d->SetTabOrder(99);  // past the end: the last
    std::vector<TWinControl*> order;
    form->GetTabOrderList(order);
    EXPECT_EQ(order, (std::vector<TWinControl*>{c, a, b, panel, inner, d}));
    EXPECT_EQ(GetIntProp(a, "TabOrder"), 1);
    EXPECT_EQ(GetIntProp(d, "TabOrder"), 4);
    d->SetTabOrder(1);
    d->SetTabOrder(4);
    EXPECT_EQ(GetIntProp(d, "TabOrder"), 4) << "moved back to the end";
    panel->SetEnabled(false);

    form->Show();
    c->SetFocus();
    EXPECT_EQ(form->ActiveControl(), c);
    struct Step {
        bool shift;
        TWinControl* focused;
        const char* name;
    };
    const Step steps[] = {
        {false, a, "a"}, {false, b, "b"}, {false, d, "d (the disabled panel's edit passed)"}, {false, c, "c (wrapped)"},
        {true, d, "d (back, wrapped)"}, {true, b, "b (back, the panel's edit passed)"}, {true, a, "a"},
    };
    for (const Step& step : steps) {
        HoldShift(step.shift);
        EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_TAB, 0), 1) << step.name;
        EXPECT_EQ(GetFocus(), step.focused->Handle()) << (step.shift ? "Shift+Tab to " : "Tab to ") << step.name;
        EXPECT_EQ(form->ActiveControl(), step.focused) << step.name;
    }
    HoldShift(false);

    a->SetDefault(true);
    b->SetCancel(true);
    std::vector<std::string> clicks;
    a->OnClick = [&](TObject*) { clicks.push_back("a"); };
    b->OnClick = [&](TObject*) { clicks.push_back("b"); };
    struct Key {
        WPARAM key;
        TWinControl* focus;
        const char* clicked;
    };
    const Key keys[] = {
        {VK_ESCAPE, c, "b"},  // the cancel button, not the default one
        {VK_RETURN, c, "a"},  // the default button, not the cancel one
        {VK_RETURN, b, "b"},  // a focused button takes Return itself
        {VK_ESCAPE, a, "b"},
    };
    for (const Key& key : keys) {
        key.focus->SetFocus();
        clicks.clear();
        EXPECT_EQ(form->Perform(CM_DIALOGKEY, key.key, 0), 1);
        EXPECT_EQ(clicks, (std::vector<std::string>{key.clicked})) << (key.key == VK_ESCAPE ? "Escape" : "Return");
    }
    Free(b);
    EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
    Free(a);  // the form forgets its freed active control
    EXPECT_EQ(form->ActiveControl(), nullptr);
    Free(form);
}

TEST(WindowProcChain, HandlerRemovedWhileItsMessageIsDispatched)
{
    TForm form(nullptr);
    auto* button = new TButton(&form);
    button->SetParent(&form);
    struct SelfRemoving {
        ScopedWindowProc scope;
        int seen = 0;
        void Handle(TMessage& m)
        {
            if (m.msg == WM_USER + 9) {
                ++seen;
                scope.Restore();  // gone before passing the message on
            }
            scope.CallPrevious(m);
        }
    };
    SelfRemoving hook;
    const TWndMethod original = button->WindowProc();
    hook.scope.Install(button, MakeWndMethod<&SelfRemoving::Handle>(&hook));
    SendMessageW(button->Handle(), WM_USER + 9, 0, 0);
    SendMessageW(button->Handle(), WM_USER + 9, 0, 0);
    EXPECT_EQ(hook.seen, 1);
    EXPECT_EQ(button->WindowProc(), original);

    // The window destroyed while a replacement is installed: the final
    // messages still pass through it, and removing it later is safe.
    struct Watcher {
        ScopedWindowProc scope;
        bool sawNcDestroy = false;
        void Handle(TMessage& m)
        {
            if (m.msg == WM_NCDESTROY) sawNcDestroy = true;
            scope.CallPrevious(m);
        }
    } watcher;
    watcher.scope.Install(button, MakeWndMethod<&Watcher::Handle>(&watcher));
    button->DestroyHandle();
    EXPECT_TRUE(watcher.sawNcDestroy);
    EXPECT_FALSE(button->HandleAllocated());
    watcher.scope.Restore();
    EXPECT_EQ(button->WindowProc(), original);
    EXPECT_NE(button->Handle(), nullptr);  // and a new window can be made
}

}  // namespace
}  // namespace quorvane
