// The skinned menu bar driven by the keyboard: accelerators open their
// entry, Left and Right walk from one drop-down to the next with
// wrap-around, and a right-to-left menu swaps the arrow keys. Keys are fed
// to the menu loop whenever it waits (WM_ENTERIDLE), and the drop-downs
// that open are logged (WM_INITMENUPOPUP).
#include <deque>
#include <map>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/subclass.h"
#include "skin/form/form_engine.h"
#include "skin/form/menu_bar.h"
#include "skin/form/menu_items.h"
#include "skin/form/skin_messages.h"
#include "skin/form/skin_manager.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

// Under the engine: names the drop-downs that open and feeds the menu loop
// its keys, then Escape.
class MenuDriver : public WindowSubclass<MenuDriver> {
public:
    std::map<HMENU, std::string> names;
    std::deque<WPARAM> keys;
    std::vector<std::string> opened;
    std::vector<UINT> commands;
    // The popup menu windows seen while a menu waited, and whether the
    // skin had taken them over.
    std::vector<bool> popupsSkinned;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_INITMENUPOPUP) {
            auto it = names.find(reinterpret_cast<HMENU>(wParam));
            opened.push_back(it == names.end() ? "?" : it->second);
        } else if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
            if (HWND popup = FindWindowW(L"#32768", nullptr))
                popupsSkinned.push_back(SendMessageW(popup, WM_SKINQUERY, 0, 0) == 1 &&
                                        TSkinManage::Instance()->IsPopupWindow(popup));
            const WPARAM key = keys.empty() ? VK_ESCAPE : keys.front();
            if (!keys.empty()) keys.pop_front();
            PostMessageW(Window(), WM_KEYDOWN, key, 0);
        } else if (msg == WM_COMMAND && lParam == 0) {
            commands.push_back(LOWORD(wParam));
        }
        return CallPrevious(msg, wParam, lParam);
    }
};

struct MenuWindow {
    HWND window = nullptr;
    HMENU bar = nullptr, file = nullptr, edit = nullptr, view = nullptr;
    MenuDriver driver;
    TWinSkinForm* engine = nullptr;

    explicit MenuWindow(bool rightToLeft = false)
    {
        window = MakeWindow(WS_OVERLAPPEDWINDOW);
        bar = CreateMenu();
        file = CreatePopupMenu();
        edit = CreatePopupMenu();
        view = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 201, L"&Open");
        AppendMenuW(file, MF_STRING, 202, L"&Save");
        AppendMenuW(edit, MF_STRING, 301, L"&Copy");
        AppendMenuW(view, MF_STRING, 401, L"&Zoom");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
        AppendMenuW(bar, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"&Gone");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
        if (rightToLeft)
            for (HMENU menu : {file, edit, view})
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    MENUITEMINFOW info{};
                    info.cbSize = sizeof info;
                    info.fMask = MIIM_FTYPE;
                    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                    info.fType |= MFT_RIGHTORDER;
                    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                }
        SetMenu(window, bar);
        driver.names = {{file, "File"}, {edit, "Edit"}, {view, "View"}};
        driver.Attach(window);
        Manager().SkinWindow(window);
        Pump();
        engine = Manager().FindEngine(window);
        if (engine) {
            RECT r{};
            GetWindowRect(window, &r);
            FramePicture picture(r.right - r.left, r.bottom - r.top);
            engine->PaintFrame(picture.dc());  // lays the entries out
        }
    }
    ~MenuWindow()
    {
        if (engine) {
            engine->Unskin();
            Manager().RemoveEngine(engine);
            Free(engine);
        }
        driver.Detach();
        DestroyWindow(window);
    }
    std::vector<std::string> KeyMenu(WPARAM character, std::deque<WPARAM> feed)
    {
        driver.opened.clear();
        driver.keys = std::move(feed);
        SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(character));
        Pump();
        return driver.opened;
    }
};

using Names = std::vector<std::string>;

TEST(MenuBar, EntriesComeFromTheWindowMenuAndAcceleratorsOpenThem)
{
    ModalWatchdog watchdog;
    MenuWindow w;
    ASSERT_NE(w.engine, nullptr);
    TWinSkinMenu* bar = w.engine->MenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Buttons.size(), 4u);
    EXPECT_EQ(bar->Buttons[0]->Caption, u"&File");
    EXPECT_FALSE(bar->Buttons[2]->Enabled);
    EXPECT_LT(bar->Buttons[0]->BoundsRect.right, bar->Buttons[1]->BoundsRect.left + 1);
    EXPECT_EQ(w.engine->FindMenuAccelerator('e'), bar->Buttons[1].get());
    EXPECT_EQ(w.engine->FindMenuAccelerator('E'), bar->Buttons[1].get());
    EXPECT_EQ(w.engine->FindMenuAccelerator('g'), nullptr);  // disabled
    EXPECT_EQ(w.engine->FindMenuAccelerator('x'), nullptr);

    EXPECT_EQ(w.KeyMenu('e', {}), (Names{"Edit"}));
    EXPECT_EQ(w.KeyMenu('V', {}), (Names{"View"}));
    EXPECT_EQ(w.KeyMenu(0, {}), (Names{"File"}));  // F10 / Alt alone: the first entry
    EXPECT_TRUE(w.KeyMenu('g', {}).empty());
    EXPECT_FALSE(w.engine->MenuTracking);
}

TEST(MenuBar, LeftAndRightWalkTheEntriesWithWrapAround)
{
    ModalWatchdog watchdog;
    MenuWindow w;
    ASSERT_NE(w.engine, nullptr);
    // The disabled entry between Edit and View opens nothing and is passed.
    EXPECT_EQ(w.KeyMenu('e', {VK_RIGHT, VK_RIGHT, VK_RIGHT}), (Names{"Edit", "View", "File", "Edit"}));
    EXPECT_EQ(w.KeyMenu('f', {VK_LEFT, VK_LEFT, VK_LEFT}), (Names{"File", "View", "Edit", "File"}));
    // Choosing an item sends its command, once.
    w.driver.commands.clear();
    w.KeyMenu('f', {VK_DOWN, VK_RETURN});
    Pump();
    ASSERT_FALSE(w.driver.commands.empty());
    EXPECT_EQ(w.driver.commands.back(), 202u);
}

TEST(MenuBar, ArrowKeysAreSwappedInARightToLeftMenu)
{
    ModalWatchdog watchdog;
    MenuWindow w(true);
    ASSERT_NE(w.engine, nullptr);
    EXPECT_EQ(w.KeyMenu('e', {VK_DOWN, VK_RIGHT}), (Names{"Edit", "File"}));
    EXPECT_EQ(w.KeyMenu('e', {VK_DOWN, VK_LEFT}), (Names{"Edit", "View"}));
}

TEST(MenuBar, AltLetterOnASkinnedFormOpensTheEntry)
{
    ModalWatchdog watchdog;
    Manager();
    auto* form = new TForm(nullptr);
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(menu);
    open->SetCaption("&Open");
    file->Add(open);
    auto* help = new TMenuItem(menu);
    help->SetCaption("&Help");
    menu->Items()->Add(help);
    auto* about = new TMenuItem(menu);
    about->SetCaption("&About");
    help->Add(about);
    form->SetMenu(menu);
    form->AfterConstruction();
    HWND window = form->Handle();
    MenuDriver driver;
    driver.names = {{file->Handle(), "File"}, {help->Handle(), "Help"}};
    driver.Attach(window);
    ASSERT_TRUE(Manager().SkinWindow(window));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(window);
    ASSERT_NE(engine, nullptr);
    ASSERT_NE(engine->MenuBar(), nullptr);
    EXPECT_EQ(engine->MenuBar()->Buttons.size(), 2u);
    EXPECT_EQ(engine->MenuBar()->Buttons[1]->MenuItem, help);
    RECT r{};
    GetWindowRect(window, &r);
    FramePicture picture(r.right - r.left, r.bottom - r.top);
    engine->PaintFrame(picture.dc());

    driver.opened.clear();
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'h', 0x20000000), 1);
    Pump();
    EXPECT_EQ(driver.opened, (Names{"Help"}));
    driver.Detach();
    Free(form);
    Pump();
}

TEST(MenuBar, AMenuGivenAfterSkinningGetsTheSkinsBar)
{
    ModalWatchdog watchdog;
    Manager();
    auto* form = new TForm(nullptr);
    form->SetBounds(120, 120, 360, 240);
    form->AfterConstruction();
    HWND window = form->Handle();
    ASSERT_TRUE(Manager().SkinWindow(window));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(window);
    ASSERT_NE(engine, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) && engine->Active; }));
    ASSERT_EQ(engine->MenuBar(), nullptr);
    RECT outerBefore{};
    GetWindowRect(window, &outerBefore);
    RECT clientBefore{};
    GetClientRect(window, &clientBefore);

    auto* menu = new TMainMenu(form);
    TMenuItem* entries[2] = {};
    const char* captions[2] = {"&File", "&Edit"};
    for (int i = 0; i < 2; ++i) {
        entries[i] = new TMenuItem(menu);
        entries[i]->SetCaption(captions[i]);
        menu->Items()->Add(entries[i]);
        auto* item = new TMenuItem(menu);
        item->SetCaption("&Item");
        entries[i]->Add(item);
    }
    MenuDriver driver;
    ASSERT_TRUE(driver.Attach(window));
    form->SetMenu(menu);
    Pump();
    driver.names = {{entries[0]->Handle(), "File"}, {entries[1]->Handle(), "Edit"}};

    // The skin's bar, not the system's: two entries, no system menu, and
    // the band painted in the skin's picture with the entries' captions.
    ASSERT_NE(engine->MenuBar(), nullptr);
    ASSERT_EQ(engine->MenuBar()->Buttons.size(), 2u);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_GT(engine->MenuBarHeight, 0);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, outerBefore.right - outerBefore.left);
    EXPECT_EQ(outer.bottom - outer.top, outerBefore.bottom - outerBefore.top);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, clientBefore.bottom - engine->MenuBarHeight) << "the band comes out of the client";
    POINT clientOrigin{0, 0};
    ClientToScreen(window, &clientOrigin);
    EXPECT_EQ(clientOrigin.y - outer.top, kTop + engine->MenuBarHeight);
    const int bandMiddle = kTop + engine->MenuBarHeight / 2;
    EXPECT_TRUE(WaitFor([&] { return WindowPixel(window, outer.right - outer.left - kRight - 8, bandMiddle) == kMenuBarActive; }))
        << "the band is the skin's menu bar picture";
    const RECT file = engine->MenuBar()->Buttons[0]->BoundsRect;
    ASSERT_GT(file.right, file.left);
    int captionPixels = 0;
    for (int x = file.left; x < file.right; ++x)
        for (int y = file.top; y < file.bottom; ++y)
            if (WindowPixel(window, x, y) == RGB(0, 0, 0)) ++captionPixels;
    EXPECT_GT(captionPixels, 5) << "the entry's caption is drawn in the menu bar text colour";
    // And it works as a bar: Alt+E opens Edit's drop-down.
    driver.opened.clear();
    SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 'e');
    Pump();
    EXPECT_EQ(driver.opened, (Names{"Edit"}));

    driver.Detach();
    Free(form);
    Pump();
}

TEST(PopupMenus, APopupMenuOfASkinnedFormIsDrawnByTheSkin)
{
    ModalWatchdog watchdog;
    Manager();
    auto* form = new TForm(nullptr);
    auto* popup = new TPopupMenu(form);
    for (const char* caption : {"&Refresh", "-", "&Properties"}) {
        auto* item = new TMenuItem(popup);
        item->SetCaption(caption);
        popup->Items()->Add(item);
    }
    form->AfterConstruction();
    HWND window = form->Handle();
    MenuDriver driver;
    driver.Attach(window);
    ASSERT_TRUE(Manager().SkinWindow(window));
    Pump();
    // The scan gave the popup menu the skin's item handlers.
    EXPECT_TRUE(popup->OwnerDraw());
    EXPECT_TRUE(IsSkinHandler(popup->Items()->Items(0)->OnDrawItem));
    EXPECT_TRUE(IsSkinHandler(popup->Items()->Items(0)->OnMeasureItem));
    driver.popupsSkinned.clear();
    popup->Popup(200, 200, window);
    Pump();
    ASSERT_FALSE(driver.popupsSkinned.empty());
    EXPECT_TRUE(driver.popupsSkinned.front());
    EXPECT_EQ(Manager().MenuKind, mkPopupMenu);  // back to plain popups once closed
    driver.Detach();
    Free(form);
    Pump();
}

}  // namespace
}  // namespace quorvane
