// What the engine holds while windows, menus and skins change under it: a
// menu changed or freed while a drop-down opens, the engine freed inside
// its own menu loop, a caption button press that ends outside the window,
// the MDI state a closed frame leaves behind, client sizes through skin
// changes, and the skin taken off before it was finished. Freed objects are
// watched (FreedMemoryWatch), input arrives as real messages.
#include <fcntl.h>
#include <unistd.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/subclass.h"
#include "skin/form/form_engine.h"
#include "skin/form/frame_layout.h"
#include "skin/form/menu_bar.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/skin_form/freed_memory_watch.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;
using Names = std::vector<std::string>;

// Under the engine: names the drop-downs that open, counts how deep menu
// loops nest, and runs one scripted step each time a menu loop waits
// (Escape once the script is done).
class LoopDriver : public WindowSubclass<LoopDriver> {
public:
    std::map<HMENU, std::string> names;
    std::deque<std::function<void(HWND)>> steps;
    Names opened;
    int depth = 0, deepest = 0;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        HWND window = Window();
        switch (msg) {
        case WM_ENTERMENULOOP:
            deepest = std::max(deepest, ++depth);
            break;
        case WM_EXITMENULOOP:
            --depth;
            break;
        case WM_INITMENUPOPUP: {
            auto it = names.find(reinterpret_cast<HMENU>(wParam));
            opened.push_back(it == names.end() ? "?" : it->second);
            break;
        }
        case WM_ENTERIDLE:
            if (wParam == MSGF_MENU) {
                if (steps.empty()) {
                    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
                } else {
                    auto step = std::move(steps.front());
                    steps.pop_front();
                    step(window);
                    // A key the loop handles, so that it waits (and comes
                    // here) once more.
                    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
                }
                // The engine may be gone now: this object is still whole.
                return CallPrevious(msg, wParam, lParam);
            }
            break;
        default:
            break;
        }
        return CallPrevious(msg, wParam, lParam);
    }
};

// A skinned framework form with File [Open, -, Print (hidden), -, Exit]
// and Edit [Copy].
struct MenuForm {
    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *open = nullptr, *print = nullptr, *edit = nullptr, *copy = nullptr;
    LoopDriver driver;
    HWND window = nullptr;

    MenuForm()
    {
        Manager();
        form = new TForm(nullptr);
        menu = new TMainMenu(form);
        auto item = [&](TMenuItem* parent, const char* caption) {
            auto* made = new TMenuItem(menu);
            made->SetCaption(caption);
            if (parent)
                parent->Add(made);
            else
                menu->Items()->Add(made);
            return made;
        };
        file = item(nullptr, "&File");
        open = item(file, "&Open");
        item(file, "-");
        print = item(file, "&Print");
        print->SetVisible(false);
        item(file, "-");
        item(file, "E&xit");
        edit = item(nullptr, "&Edit");
        copy = item(edit, "&Copy");
        form->SetMenu(menu);
        form->AfterConstruction();
        window = form->Handle();
        driver.names = {{file->Handle(), "File"}, {edit->Handle(), "Edit"}};
        driver.Attach(window);
    }
    ~MenuForm()
    {
        driver.Detach();
        if (form) Free(form);
        Pump();
        Manager().Tidy();
    }
    TWinSkinForm* Skin()
    {
        if (!Manager().SkinWindow(window)) return nullptr;
        Pump();
        TWinSkinForm* engine = Manager().FindEngine(window);
        if (engine) LayOut(engine);
        return engine;
    }
    static void LayOut(TWinSkinForm* engine)
    {
        RECT r{};
        GetWindowRect(engine->Window(), &r);
        FramePicture picture(r.right - r.left, r.bottom - r.top);
        engine->PaintFrame(picture.dc());
    }
    // The screen point in the middle of an entry of the painted bar.
    static LPARAM EntryPoint(TWinSkinForm* engine, size_t index)
    {
        RECT window{};
        GetWindowRect(engine->Window(), &window);
        const RECT& r = engine->MenuBar()->Buttons[index]->BoundsRect;
        return MAKELPARAM(window.left + (r.left + r.right) / 2, window.top + (r.top + r.bottom) / 2);
    }
};

// The skin manager's command 2 (take the skin off every window), run now.
void UnskinAll()
{
    TSkinManage& manager = Manager();
    manager.SetCommandSkinData(&SharedSkin());
    manager.PostCommand(scUnskinAll, 1);
    manager.RunPendingCommand();
    manager.Active = true;  // later tests skin their windows again
}

TEST(EngineLifetime, AMenuChangeWhileADropDownOpensKeepsTheEntriesAlive)
{
    ModalWatchdog watchdog;
    // Each row: what happens while File's drop-down is open (the hidden
    // Print item alone makes opening it change the menu: its separators
    // are tidied).
    struct Row {
        const char* what;
        std::function<void(MenuForm&)> change;
        std::u16string editCaptionAfter;
    };
    const Row rows[] = {
        {"only the separators", [](MenuForm&) {}, u"&Edit"},
        {"a top-level caption", [](MenuForm& f) { f.edit->SetCaption("&Change"); }, u"&Change"},
        {"a top-level entry added", [](MenuForm& f) {
             auto* view = new TMenuItem(f.menu);
             view->SetCaption("&View");
             f.menu->Items()->Add(view);
         }, u"&Edit"},
    };
    for (const Row& row : rows) {
        MenuForm f;
        TWinSkinForm* engine = f.Skin();
        ASSERT_NE(engine, nullptr);
        ASSERT_NE(engine->MenuBar(), nullptr);
        FreedMemoryWatch watch;
        MenuForm* fixture = &f;
        f.driver.steps.push_back([&](HWND) { row.change(*fixture); });
        SendMessageW(f.window, WM_NCLBUTTONDOWN, HTMENU, MenuForm::EntryPoint(engine, 0));
        Pump();
        EXPECT_TRUE(watch.Intact()) << row.what << ": a freed menu entry was written to";
        EXPECT_EQ(f.driver.opened, (Names{"File"})) << row.what;
        EXPECT_FALSE(engine->MenuLoopActive());
        // The change is on the bar once the drop-down has closed.
        ASSERT_NE(engine->MenuBar(), nullptr);
        ASSERT_GE(engine->MenuBar()->Buttons.size(), 2u);
        EXPECT_EQ(engine->MenuBar()->Buttons[1]->Caption, row.editCaptionAfter) << row.what;
        EXPECT_EQ(GetMenu(f.window), nullptr) << row.what;  // the system's bar stays hidden
    }
}

TEST(MenuBarMouse, MovingToAnotherEntryWhileADropDownIsOpenSwitchesToItsDropDown)
{
    ModalWatchdog watchdog;
    MenuForm f;
    f.form->SetBounds(200, 160, 360, 240);
    TWinSkinForm* engine = f.Skin();
    ASSERT_NE(engine, nullptr);
    ShowWindow(f.window, SW_SHOW);
    SetForegroundWindow(f.window);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(f.window) && engine->Active; }));
    RedrawWindow(f.window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    ASSERT_NE(engine->MenuBar(), nullptr);
    ASSERT_GE(engine->MenuBar()->Buttons.size(), 2u);
    auto entry = [&](size_t index) { return engine->MenuBar()->Buttons[index]->BoundsRect; };
    auto screenPoint = [&](size_t index) {
        const LPARAM at = MenuForm::EntryPoint(engine, index);
        return POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    };
    // An entry whose drop-down is open is framed: its corner is not the
    // band's picture any more.
    auto framed = [&](size_t index) {
        const RECT r = entry(index);
        return WindowPixel(f.window, r.left, r.top + 1) != kMenuBarActive;
    };
    EXPECT_FALSE(framed(0));
    EXPECT_FALSE(framed(1));

    // Each time the loop waits: what is framed, then the next move.
    std::vector<std::pair<bool, bool>> framing;
    f.driver.steps.push_back([&](HWND) {
        framing.emplace_back(framed(0), framed(1));
        MouseAt(screenPoint(1));
    });
    f.driver.steps.push_back([&](HWND) { framing.emplace_back(framed(0), framed(1)); });
    f.driver.steps.push_back([&](HWND) { framing.emplace_back(framed(0), framed(1)); });
    MouseAt(screenPoint(0));
    ASSERT_TRUE(WaitFor([&] { POINT c{}; GetCursorPos(&c); return c.x == screenPoint(0).x && c.y == screenPoint(0).y; }));
    LeftButton(true);
    LeftButton(false);
    ASSERT_TRUE(WaitFor([&] { return f.driver.steps.empty() && !engine->MenuLoopActive(); }, 10000));
    Pump();
    // File opened, then Edit's drop-down in its place (never one inside the other).
    EXPECT_EQ(f.driver.opened, (Names{"File", "Edit"}));
    EXPECT_EQ(f.driver.deepest, 1);
    ASSERT_GE(framing.size(), 2u);
    EXPECT_EQ(framing.front(), std::make_pair(true, false)) << "File framed while its drop-down is open";
    EXPECT_EQ(framing.back(), std::make_pair(false, true)) << "Edit framed, File's frame gone, after the switch";
    // All closed and the mouse gone: neither entry framed, no menu state left.
    EXPECT_FALSE(engine->MenuTracking);
    MouseAt(POINT{1200, 900});
    EXPECT_TRUE(WaitFor([&] { return !framed(0) && !framed(1) && engine->HotObject == nullptr; }));
}

TEST(EngineLifetime, AnOpenDropDownKeepsItsOwnerDrawnMarksThroughAChange)
{
    ModalWatchdog watchdog;
    MenuForm f;
    TWinSkinForm* engine = f.Skin();
    ASSERT_NE(engine, nullptr);
    auto ownerDrawn = [](TMenuItem* item) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(item->Parent()->Handle(), item->Command(), FALSE, &info);
        return (info.fType & MFT_OWNERDRAW) != 0;
    };
    bool before = false, after = false;
    f.driver.steps.push_back([&](HWND) {
        before = ownerDrawn(f.open);
        f.open->SetCaption("&Open...");
        after = ownerDrawn(f.open);
    });
    SendMessageW(f.window, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    Pump();
    EXPECT_EQ(f.driver.opened, (Names{"File"}));
    EXPECT_TRUE(before);
    EXPECT_TRUE(after);
}

TEST(EngineLifetime, AProgramsMenuClickWhileADropDownIsOpenSwitchesWithoutNesting)
{
    ModalWatchdog watchdog;
    MenuForm f;
    TWinSkinForm* engine = f.Skin();
    ASSERT_NE(engine, nullptr);
    const LPARAM editPoint = MenuForm::EntryPoint(engine, 1);
    f.driver.steps.push_back([&](HWND window) { PostMessageW(window, WM_SKINMENUCLICK, 0, editPoint); });
    SendMessageW(f.window, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    Pump();
    EXPECT_EQ(f.driver.deepest, 1);
    EXPECT_EQ(f.driver.opened, (Names{"File", "Edit"}));
    EXPECT_FALSE(engine->MenuTracking);
    // No filter hook left behind: a key menu afterwards works as before.
    f.driver.opened.clear();
    SendMessageW(f.window, WM_SYSCOMMAND, SC_KEYMENU, 'e');
    Pump();
    EXPECT_EQ(f.driver.opened, (Names{"Edit"}));
}

TEST(EngineLifetime, TheMainMenuFreedUnderASkinnedFormTakesTheBarWithIt)
{
    struct Row {
        const char* what;
        bool detachFirst;
    };
    for (const Row row : {Row{"freed alone", false}, Row{"SetMenu(nullptr), then freed", true}}) {
        MenuForm f;
        TWinSkinForm* engine = f.Skin();
        ASSERT_NE(engine, nullptr);
        ASSERT_NE(engine->MenuBar(), nullptr);
        RECT before{};
        GetWindowRect(f.window, &before);
        FreedMemoryWatch watch;
        if (row.detachFirst) f.form->SetMenu(nullptr);
        Free(f.menu);
        EXPECT_EQ(engine->MenuBar(), nullptr) << row.what;
        EXPECT_EQ(engine->MenuBarHeight, 0) << row.what;
        // What used the bar before now finds none.
        MenuForm::LayOut(engine);
        SendMessageW(f.window, WM_SYSCOMMAND, SC_KEYMENU, 'f');
        SendMessageW(f.window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(before.left + 20, before.top + kTop + 5));
        engine->HoverTimer();
        Pump();
        EXPECT_TRUE(f.driver.opened.empty()) << row.what;
        // The window keeps its size; the client takes the band.
        RECT after{};
        GetWindowRect(f.window, &after);
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top) << row.what;
        engine->Unskin();  // gives the menus back: none is left to give
        EXPECT_EQ(GetMenu(f.window), nullptr);
        EXPECT_TRUE(watch.Intact()) << row.what;
        Manager().RemoveEngine(engine);
        Free(engine);
    }
}

TEST(EngineLifetime, TheEngineFreedInsideItsDropDownIsNotTouchedAgain)
{
    ModalWatchdog watchdog;
    MenuForm f;
    TWinSkinForm* engine = f.Skin();
    ASSERT_NE(engine, nullptr);
    FreedMemoryWatch watch;
    f.driver.steps.push_back([](HWND) { UnskinAll(); });
    SendMessageW(f.window, WM_NCLBUTTONDOWN, HTMENU, MenuForm::EntryPoint(engine, 0));
    Pump();
    EXPECT_EQ(Manager().FindEngine(f.window), nullptr);
    EXPECT_TRUE(watch.Intact());
    EXPECT_EQ(f.driver.depth, 0);
}

TEST(EngineLifetime, TheEngineFreedInsideItsSystemMenuIsNotTouchedAgain)
{
    ModalWatchdog watchdog;
    MenuForm f;
    TWinSkinForm* engine = f.Skin();
    ASSERT_NE(engine, nullptr);
    RECT r{};
    GetWindowRect(f.window, &r);
    FreedMemoryWatch watch;
    f.driver.steps.push_back([](HWND) { UnskinAll(); });
    SendMessageW(f.window, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(r.left + 120, r.top + 10));
    Pump();
    EXPECT_EQ(Manager().FindEngine(f.window), nullptr);
    EXPECT_TRUE(watch.Intact());
}

TEST(EngineLifetime, ACaptionButtonActsOnlyForAPressThatEndsOnIt)
{
    ModalWatchdog watchdog;
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = ::quorvane::enginetest::Skin(window);
    ASSERT_NE(engine, nullptr);
    MenuForm::LayOut(engine);
    TWinSysButton* close = nullptr;
    for (const auto& b : engine->CaptionButtons())
        if (b->Description->Action == 0) close = b.get();
    ASSERT_TRUE(close && close->Visible);
    RECT outer{};
    GetWindowRect(window, &outer);
    const POINT onClose{outer.left + (close->BoundsRect.left + close->BoundsRect.right) / 2,
                        outer.top + (close->BoundsRect.top + close->BoundsRect.bottom) / 2};
    auto client = [&](POINT screen) {
        ScreenToClient(window, &screen);
        return MAKELPARAM(screen.x, screen.y);
    };
    const LPARAM closeScreen = MAKELPARAM(onClose.x, onClose.y);
    const LPARAM outside = client(POINT{outer.right + 300, outer.bottom + 300});
    const LPARAM inClient = client(POINT{outer.left + 100, outer.top + 100});
    LogMessages() = {WM_SYSCOMMAND};

    // How the press on Close ends, then (for all rows) a press in the
    // client area dragged onto Close and released there.
    struct Row {
        const char* what;
        std::function<void()> end;
        bool closes;
    };
    const Row rows[] = {
        {"released outside the window", [&] { SendMessageW(window, WM_LBUTTONUP, 0, outside); }, false},
        {"capture lost", [&] { ReleaseCapture(); }, false},
        {"mode cancelled", [&] { SendMessageW(window, WM_CANCELMODE, 0, 0); }, false},
        {"dragged off and back, released on it",
         [&] {
             SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, inClient);
             SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, client(onClose));
             SendMessageW(window, WM_LBUTTONUP, 0, client(onClose));
         },
         true},
    };
    for (const Row& row : rows) {
        Log().clear();
        SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, closeScreen);
        SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, closeScreen);
        EXPECT_EQ(close->State, nsPressed) << row.what;
        row.end();
        Pump();
        EXPECT_EQ(engine->PressedObject(), nullptr) << row.what;
        EXPECT_NE(GetCapture(), window) << row.what;
        const bool closedByPress = !Log().empty();
        EXPECT_EQ(closedByPress, row.closes) << row.what;
        Log().clear();
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, inClient);
        SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, closeScreen);
        SendMessageW(window, WM_NCLBUTTONUP, HTCAPTION, closeScreen);
        SendMessageW(window, WM_LBUTTONUP, 0, client(onClose));
        Pump();
        EXPECT_TRUE(Log().empty()) << row.what << ": a release without a press closed the window";
    }
    // A press whose button goes with the skin's old caption buttons is forgotten.
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, closeScreen);
    ASSERT_NE(engine->PressedObject(), nullptr);
    engine->FreeCaptionButtons();
    EXPECT_EQ(engine->PressedObject(), nullptr);
    EXPECT_NE(GetCapture(), window);
    LogMessages().clear();
    Unskin(engine);
    DestroyWindow(window);
}

TEST(EngineLifetime, AClosedMdiFrameLeavesNoMaximisedStateBehind)
{
    auto makeFrame = [] {
        auto* frame = new TForm(nullptr);
        frame->SetFormStyle(fsMDIForm);
        frame->SetBounds(40, 40, 500, 360);
        auto* menu = new TMainMenu(frame);
        auto* file = new TMenuItem(menu);
        file->SetCaption("&File");
        menu->Items()->Add(file);
        frame->SetMenu(menu);
        frame->AfterConstruction();
        return frame;
    };
    auto makeChild = [](TForm* frame) {
        auto* child = new TForm(frame);
        child->SetFormStyle(fsMDIChild);
        child->SetBounds(10, 10, 200, 150);
        child->AfterConstruction();
        child->HandleNeeded();
        Pump();
        return child;
    };
    TForm* frame = makeFrame();
    ASSERT_TRUE(Manager().SkinWindow(frame->Handle()));
    Pump();
    TForm* child = makeChild(frame);
    SendMessageW(frame->ClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->Handle()), 0);
    Pump();
    TWinSkinForm* frameEngine = Manager().FindEngine(frame->Handle());
    ASSERT_NE(frameEngine, nullptr);
    MenuForm::LayOut(frameEngine);  // the bar shows the child's buttons: children maximised
    ASSERT_TRUE(Manager().ChildrenMaximised);
    FreedMemoryWatch watch;
    Free(frame);
    Pump();
    Manager().Tidy();
    EXPECT_FALSE(Manager().ChildrenMaximised);
    EXPECT_EQ(Manager().MdiFrameForm, nullptr);
    EXPECT_EQ(Manager().MdiClient, nullptr);

    // The next frame's children follow their size with their region.
    frame = makeFrame();
    ASSERT_TRUE(Manager().SkinWindow(frame->Handle()));
    Pump();
    child = makeChild(frame);
    TWinSkinForm* childEngine = Manager().FindEngine(child->Handle());
    ASSERT_NE(childEngine, nullptr);
    SetWindowPos(child->Handle(), nullptr, 0, 0, 260, 190, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(child->Handle(), region), ERROR);
    RECT box{};
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_EQ(box.right, 260);
    EXPECT_EQ(box.bottom, 190);
    // A dialog character in the child no longer reaches the freed frame.
    child->Perform(CM_DIALOGCHAR, 'q', 0);
    Free(frame);
    Pump();
    Manager().Tidy();
    EXPECT_TRUE(watch.Intact());
}

TEST(EngineLifetime, ClientSizesSurviveSkinChangesInEveryWindowState)
{
    SkinOptions tall;
    tall.bottomHeight = 11;
    struct Row {
        const char* what;
        int show;  // the state during the changes
    };
    for (const Row row : {Row{"normal", SW_SHOWNOACTIVATE}, Row{"minimised", SW_SHOWMINNOACTIVE},
                          Row{"maximised", SW_SHOWMAXIMIZED}}) {
        HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
        TWinSkinForm* engine = ::quorvane::enginetest::Skin(window);
        ASSERT_NE(engine, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        Pump();
        RECT client0{};
        GetClientRect(window, &client0);
        ASSERT_GT(client0.bottom, 0);
        for (const SkinOptions& options : {tall, SkinOptions{}, tall, SkinOptions{}}) {
            ShowWindow(window, row.show);
            Pump();
            ASSERT_TRUE(SharedSkin().ApplyPackage(TestSkinPackage(options)));
            // The frame is recalculated before the change is carried out.
            SetWindowPos(window, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            Manager().RunPendingCommand();
            Pump();
            ShowWindow(window, row.show == SW_SHOWNOACTIVATE ? SW_SHOWNOACTIVATE : SW_RESTORE);
            Pump();
            EXPECT_EQ(engine->FrameBottom, options.bottomHeight) << row.what;
            RECT client{};
            GetClientRect(window, &client);
            EXPECT_EQ(client.right, client0.right) << row.what << ", bottom border " << options.bottomHeight;
            EXPECT_EQ(client.bottom, client0.bottom) << row.what << ", bottom border " << options.bottomHeight;
        }
        Unskin(engine);
        DestroyWindow(window);
        Pump();
    }
}

TEST(EngineLifetime, TheSkinTakenOffBeforeItWasFinishedLeavesTheSizeAlone)
{
    for (const DWORD style : {static_cast<DWORD>(WS_OVERLAPPEDWINDOW), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU)}) {
        HWND window = MakeWindow(style);
        RECT outer0{}, client0{};
        GetWindowRect(window, &outer0);
        GetClientRect(window, &client0);
        ASSERT_TRUE(Manager().SkinWindow(window));  // WM_SKINSTART not yet handled
        TWinSkinForm* engine = Manager().FindEngine(window);
        ASSERT_NE(engine, nullptr);
        ASSERT_EQ(engine->EngineState, esAttaching);
        Unskin(engine);
        Pump();
        RECT outer{}, client{};
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        EXPECT_EQ(outer.right - outer.left, outer0.right - outer0.left);
        EXPECT_EQ(outer.bottom - outer.top, outer0.bottom - outer0.top);
        EXPECT_EQ(client.bottom, client0.bottom);
        DestroyWindow(window);
    }
}

TEST(EngineLifetime, ASkinChangedHandlerMayFreeTheLastSkinData)
{
    FreeSharedSkin();
    ASSERT_EQ(TSkinManage::Instance(), nullptr);
    auto* data = new TSkinData(nullptr);
    data->BeginLoading();
    data->SetPackage(TestSkinPackage());
    data->SetActive(true);
    data->EndLoading();
    TSkinManage* manager = TSkinManage::Instance();
    ASSERT_NE(manager, nullptr);
    ASSERT_EQ(manager->PendingCommand(), scSkinAll);
    int notices = 0;
    data->OnSkinChanged = [&](TObject*) {
        ++notices;
        Free(data);  // the last one: the manager goes with it
    };
    {
        FreedMemoryWatch watch;
        manager->RunPendingCommand();
        EXPECT_EQ(notices, 1);
        EXPECT_EQ(TSkinManage::Instance(), nullptr);
        EXPECT_TRUE(watch.Intact());
    }
    SharedSkin();  // back for the tests that follow
}

// Everything written to stderr while `run` runs.
std::string CaptureStderr(const std::function<void()>& run)
{
    std::fflush(stderr);
    FILE* sink = std::tmpfile();
    const int saved = dup(2);
    dup2(fileno(sink), 2);
    run();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::rewind(sink);
    std::string text;
    for (int c = std::fgetc(sink); c != EOF; c = std::fgetc(sink)) text.push_back(static_cast<char>(c));
    std::fclose(sink);
    return text;
}

TEST(SkinFile, ARefusedPackageIsReportedOnceThroughTheComponent)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string file = std::string(folder) + "engine_refused.qskin";
    const std::vector<uint8_t> bytes = TestSkinPackage();
    HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);

    TSkinData data(nullptr);
    SkinLimits limits;
    limits.captionButtons = 1;  // the test skin has six
    data.SetLoadLimits(limits);
    const std::string said = CaptureStderr([&] { data.SetSkinFile(file); });
    EXPECT_TRUE(data.NotLoaded());
    EXPECT_NE(data.SkinFileError().find("skin not loaded: "), std::string::npos) << data.SkinFileError();
    EXPECT_EQ(said, "");  // the program that asked prints SkinFileError: one line in all
    // A stored package has no caller to report for it: its refusal is
    // written to stderr as before, once.
    const std::string stored = CaptureStderr([&] { data.SetPackage(bytes); });
    EXPECT_EQ(std::count(stored.begin(), stored.end(), '\n'), 1) << stored;
    EXPECT_TRUE(data.ReportsRefusals());
    DeleteFileA(file.c_str());
}

TEST(FrameLayout, SkinValuesAreClampedSoNoSumOverflows)
{
    const int limit = kSkinValueLimit;
    CaptionFrame frame;
    frame.windowWidth = 300;
    frame.frameLeft = 6;
    frame.frameTop = 24;
    frame.frameRight = 6;
    frame.menuBarHeight = 19;
    frame.menuLeftWidth = 2;
    frame.anchorLeft = 40;
    frame.anchorRight = 120;
    struct Row {
        int32_t align, xcoord, ycoord;
        int64_t width, height;
        FrameBox expected;
    };
    const Row rows[] = {
        {0, 8, 4, 16, 16, {8, 4, 24, 20}},
        {1, 24, 4, 16, 16, {276, 4, 292, 20}},
        {2, 3, 4, 16, 16, {21, 4, 37, 20}},
        {3, 3, 4, 16, 16, {123, 4, 139, 20}},
        {100, 10, 0, 16, 16, {282, 25, 298, 41}},
        {7, 10, 10, 16, 16, {0, 0, 16, 16}},  // no such alignment: at 0,0
        // Raw values at the ends of the 32-bit range.
        {0, INT32_MAX, INT32_MAX, 16, 16, {limit, limit, limit + 16, limit + 16}},
        {1, INT32_MIN, 0, 16, 16, {300 + limit, 0, 316 + limit, 16}},
        {1, INT32_MAX, 0, 16, 16, {300 - limit, 0, 316 - limit, 16}},
        {2, INT32_MAX, 0, 16, 16, {40 - 16 - limit, 0, 40 - limit, 16}},
        {3, INT32_MAX, INT32_MIN, 16, 16, {limit + 120, -limit, limit + 136, -limit + 16}},
        {100, INT32_MIN, 0, 16, 16, {300 + limit - 6 - 2, 25, 300 + limit + 8, 41}},
        {0, 0, 0, INT64_MAX, INT64_MAX, {0, 0, limit, limit}},
    };
    for (const Row& row : rows) {
        const FrameBox box = PlaceCaptionButton(row.align, row.xcoord, row.ycoord, row.width, row.height, frame);
        EXPECT_EQ(box.left, row.expected.left) << "Align " << row.align << ", Xcoord " << row.xcoord;
        EXPECT_EQ(box.top, row.expected.top) << "Align " << row.align << ", Ycoord " << row.ycoord;
        EXPECT_EQ(box.right, row.expected.right) << "Align " << row.align << ", Xcoord " << row.xcoord;
        EXPECT_EQ(box.bottom, row.expected.bottom) << "Align " << row.align << ", Ycoord " << row.ycoord;
    }
    frame.rightToLeft = true;
    const FrameBox mirrored = PlaceCaptionButton(100, INT32_MAX, 0, 16, 16, frame);
    EXPECT_EQ(mirrored.left, limit + 2 + 6);

    EXPECT_EQ(MenuBarStart(false, 5, 5, false, 300), 6);
    EXPECT_EQ(MenuBarStart(true, 5, 9, false, 300), 9);
    EXPECT_EQ(MenuBarStart(true, 5, 9, true, 300), 17);
    EXPECT_EQ(MenuBarStart(true, INT32_MAX, 0, false, 300), 12);  // wider than the band
    EXPECT_EQ(MenuBarStart(true, 0, INT32_MAX, true, INT64_MAX), limit + 8);
    EXPECT_EQ(CaptionWidthNeeded(INT32_MAX, 100, INT32_MAX), 2 * limit + 100);
    EXPECT_EQ(CaptionWidthNeeded(INT32_MIN, 100, 4), 104 - limit);
    const FrameBox band = CaptionTextBand(INT32_MAX, 20, false, 300, 6, 6);
    EXPECT_EQ(band.left, 6 + limit);
    EXPECT_EQ(band.right, 274);
    const FrameBox rtl = CaptionTextBand(30, INT32_MIN, true, 300, 6, 6);
    EXPECT_EQ(rtl.left, 6 - limit);
    EXPECT_EQ(rtl.right, 264);
}

}  // namespace
}  // namespace quorvane
