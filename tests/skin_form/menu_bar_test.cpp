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

// An entry of a test menu bar: its caption and whether it is enabled.
struct BarEntry {
    const wchar_t* caption;
    bool enabled = true;
};
const std::vector<BarEntry> kDefaultBar{{L"&File"}, {L"&Edit"}, {L"&Gone", false}, {L"&View"}};

struct MenuWindow {
    HWND window = nullptr;
    HMENU bar = nullptr, file = nullptr, edit = nullptr, view = nullptr;
    MenuDriver driver;
    TWinSkinForm* engine = nullptr;

    explicit MenuWindow(bool rightToLeft = false, const std::vector<BarEntry>& entries = kDefaultBar)
    {
        window = MakeWindow(WS_OVERLAPPEDWINDOW);
        bar = CreateMenu();
        // Every entry drops down a menu of one item; File, Edit and View
        // have their known items.
        for (const BarEntry& entry : entries) {
            std::string name;
            for (const wchar_t* c = entry.caption; *c; ++c)
                if (*c != L'&') name += static_cast<char>(*c);
            HMENU popup = CreatePopupMenu();
            if (name == "File") {
                file = popup;
                AppendMenuW(popup, MF_STRING, 201, L"&Open");
                AppendMenuW(popup, MF_STRING, 202, L"&Save");
            } else if (name == "Edit") {
                edit = popup;
                AppendMenuW(popup, MF_STRING, 301, L"&Copy");
            } else if (name == "View") {
                view = popup;
                AppendMenuW(popup, MF_STRING, 401, L"&Zoom");
            } else if (entry.enabled) {
                AppendMenuW(popup, MF_STRING, 501, L"&Item");
            }
            AppendMenuW(bar, MF_POPUP | (entry.enabled ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(popup), entry.caption);
            if (entry.enabled) driver.names[popup] = name;
        }
        if (rightToLeft)
            for (HMENU menu : {file, edit, view})
                for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
                    MENUITEMINFOW info{};
                    info.cbSize = sizeof info;
                    info.fMask = MIIM_FTYPE;
                    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                    info.fType |= MFT_RIGHTORDER;
                    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                }
        SetMenu(window, bar);
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
    // Disabled entries open nothing and are passed, however many lie
    // between two enabled ones and whichever way the walk wraps.
    struct Bar {
        const char* what;
        std::vector<BarEntry> entries;
        WPARAM start;
        std::deque<WPARAM> keys;
        Names opened;
    };
    const Bar bars[] = {
        {"right through a disabled entry", kDefaultBar, 'e', {VK_RIGHT, VK_RIGHT, VK_RIGHT}, {"Edit", "View", "File", "Edit"}},
        {"left through a disabled entry", kDefaultBar, 'f', {VK_LEFT, VK_LEFT, VK_LEFT}, {"File", "View", "Edit", "File"}},
        {"two entries, right", {{L"&File"}, {L"&Edit"}}, 'f', {VK_RIGHT, VK_RIGHT}, {"File", "Edit", "File"}},
        {"two entries, left", {{L"&File"}, {L"&Edit"}}, 'e', {VK_LEFT, VK_LEFT}, {"Edit", "File", "Edit"}},
        {"the only other enabled entry behind two disabled ones",
         {{L"&File"}, {L"&Gone", false}, {L"&Away", false}, {L"&Edit"}},
         'f', {VK_RIGHT, VK_LEFT, VK_LEFT}, {"File", "Edit", "File", "Edit"}},
    };
    for (const Bar& row : bars) {
        MenuWindow w(false, row.entries);
        ASSERT_NE(w.engine, nullptr) << row.what;
        EXPECT_EQ(w.KeyMenu(row.start, row.keys), row.opened) << row.what;
        EXPECT_FALSE(w.engine->MenuTracking) << row.what;
    }
    // Choosing an item sends its command, once.
    MenuWindow w;
    ASSERT_NE(w.engine, nullptr);
    w.driver.commands.clear();
    w.KeyMenu('f', {VK_DOWN, VK_RETURN});
    Pump();
    ASSERT_FALSE(w.driver.commands.empty());
    EXPECT_EQ(w.driver.commands.back(), 202u);
}

// The menu band under the title: the mouse finds the menu there (not the
// caption, not the client area), and the client area starts below it.
TEST(MenuBar, TheBandIsMenuToTheMouseAndTheClientAreaStartsBelowIt)
{
    MenuWindow w;
    ASSERT_NE(w.engine, nullptr);
    ASSERT_GT(w.engine->MenuBarHeight, 0);
    const int band = w.engine->MenuBarHeight;
    RECT outer{};
    GetWindowRect(w.window, &outer);
    POINT client{0, 0};
    ClientToScreen(w.window, &client);
    EXPECT_EQ(client.y - outer.top, kTop + band);
    EXPECT_EQ(client.x - outer.left, kLeft);
    const int x = (outer.left + outer.right) / 2;
    struct Row {
        int dy;
        LRESULT expected;
    };
    const Row rows[] = {{10, HTCAPTION},       {kTop - 1, HTCAPTION}, {kTop, HTCAPTION},     {kTop + 1, HTMENU},
                        {kTop + band / 2, HTMENU}, {kTop + band - 1, HTMENU}, {kTop + band + 2, HTCLIENT}};
    for (const Row& row : rows)
        EXPECT_EQ(SendMessageW(w.window, WM_NCHITTEST, 0, MAKELPARAM(x, outer.top + row.dy)), row.expected)
            << "row " << row.dy;
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
