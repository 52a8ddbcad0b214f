// The skinned window as the user meets it: shown windows driven by real
// activation and real mouse input, checked after every step against the
// pixels on the window's surface (the colours the test skin's own pictures
// give each frame), and what the platform is left with once the skin goes:
// region, window procedure, hooks.
#include <windowsx.h>

#include <deque>
#include <functional>
#include <map>
#include <sstream>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/messages.h"
#include "framework/subclass.h"
#include "skin/data/bitmap_utils.h"
#include "skin/form/form_engine.h"
#include "skin/form/menu_bar.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

constexpr COLORREF kActiveText = RGB(255, 255, 255), kInactiveText = RGB(128, 128, 128);

std::string Hex(COLORREF c)
{
    std::ostringstream text;
    text << int(GetRValue(c)) << "," << int(GetGValue(c)) << "," << int(GetBValue(c));
    return text.str();
}

SIZE SizeOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// A shown, skinned test window at a place of its own.
struct ShownWindow {
    HWND window = nullptr;
    TWinSkinForm* engine = nullptr;

    ShownWindow(int x, int y, int width = 300, int height = 200, DWORD style = WS_OVERLAPPEDWINDOW)
    {
        window = MakeWindow(style, 0, L"EngineTestWindow", width, height);
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        engine = Skin(window);
        ShowWindow(window, SW_SHOW);
        WaitFor([&] { return IsWindowVisible(window) != FALSE; });
    }
    ~ShownWindow()
    {
        if (engine) Unskin(engine);
        DestroyWindow(window);
        Pump();
    }
    ShownWindow(const ShownWindow&) = delete;
    ShownWindow& operator=(const ShownWindow&) = delete;

    SIZE Size() const { return SizeOf(window); }
    // The four border colours at the middle of each border.
    std::vector<COLORREF> Borders() const
    {
        const SIZE s = Size();
        return {WindowPixel(window, 2, s.cy / 2), WindowPixel(window, s.cx - 3, s.cy / 2),
                WindowPixel(window, s.cx / 2 + 20, 2), WindowPixel(window, s.cx / 2, s.cy - 2)};
    }
    // How many pixels of a colour the caption text band holds.
    int TitlePixels(COLORREF colour) const
    {
        const SIZE s = Size();
        int count = 0;
        HDC dc = GetWindowDC(window);
        for (int y = 1; y < kTop - 1; ++y)
            for (int x = 28; x < s.cx - 90 && x < 200; ++x)
                if (GetPixel(dc, x, y) == colour) ++count;
        ReleaseDC(window, dc);
        return count;
    }
    TWinSysButton* Button(int action) const
    {
        for (const auto& button : engine->CaptionButtons())
            if (button->Description->Action == action && button->Visible) return button.get();
        return nullptr;
    }
    POINT ScreenCentre(const TNCObject& object) const
    {
        RECT r{};
        GetWindowRect(window, &r);
        return POINT{r.left + (object.BoundsRect.left + object.BoundsRect.right) / 2,
                     r.top + (object.BoundsRect.top + object.BoundsRect.bottom) / 2};
    }
    COLORREF PixelOf(const TNCObject& object) const
    {
        return WindowPixel(window, (object.BoundsRect.left + object.BoundsRect.right) / 2,
                           (object.BoundsRect.top + object.BoundsRect.bottom) / 2);
    }
    POINT ClientCentre() const
    {
        RECT r{};
        GetClientRect(window, &r);
        POINT p{r.right / 2, r.bottom / 2};
        ClientToScreen(window, &p);
        return p;
    }
};

const std::vector<COLORREF> kActiveBorders{kLeftActive, kRightActive, kTopActive, kBottomActive};
const std::vector<COLORREF> kInactiveBorders{kLeftInactive, kRightInactive, kTopInactive, kBottomInactive};

// Activation moves between two shown windows; after every step each
// window's borders and caption text must show the frame of its state.
TEST(FormStates, FrameAndTitleColoursFollowActivation)
{
    ModalWatchdog watchdog;
    ShownWindow a(60, 80), b(420, 80);
    ASSERT_TRUE(a.engine && b.engine);
    struct Step {
        const char* what;
        std::function<void()> act;
        bool aActive;
    };
    const Step steps[] = {
        {"activate A", [&] { SetForegroundWindow(a.window); }, true},
        {"activate B", [&] { SetForegroundWindow(b.window); }, false},
        {"click into A's client area",
         [&] {
             MouseAt(a.ClientCentre());
             LeftButton(true);
             LeftButton(false);
         },
         true},
        {"click into B's client area",
         [&] {
             MouseAt(b.ClientCentre());
             LeftButton(true);
             LeftButton(false);
         },
         false},
        {"activate A again", [&] { SetActiveWindow(a.window); }, true},
    };
    for (const Step& step : steps) {
        step.act();
        const auto& wantA = step.aActive ? kActiveBorders : kInactiveBorders;
        const auto& wantB = step.aActive ? kInactiveBorders : kActiveBorders;
        WaitFor([&] { return a.Borders() == wantA && b.Borders() == wantB; });
        EXPECT_EQ(a.engine->Active, step.aActive) << step.what;
        EXPECT_EQ(b.engine->Active, !step.aActive) << step.what;
        const auto shownA = a.Borders(), shownB = b.Borders();
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(Hex(shownA[i]), Hex(wantA[i])) << step.what << ": border " << i << " of A";
            EXPECT_EQ(Hex(shownB[i]), Hex(wantB[i])) << step.what << ": border " << i << " of B";
        }
        // The caption text in the colour of the window's state, never in the other's.
        const ShownWindow& active = step.aActive ? a : b;
        const ShownWindow& inactive = step.aActive ? b : a;
        EXPECT_GT(active.TitlePixels(kActiveText), 0) << step.what;
        EXPECT_EQ(active.TitlePixels(kInactiveText), 0) << step.what;
        EXPECT_GT(inactive.TitlePixels(kInactiveText), 0) << step.what;
        EXPECT_EQ(inactive.TitlePixels(kActiveText), 0) << step.what;
        // Caption buttons: the active window's close button normal, the other's inactive.
        if (TWinSysButton* close = active.Button(0)) {
            EXPECT_EQ(Hex(active.PixelOf(*close)), Hex(kCloseFrames[0])) << step.what;
        }
        if (TWinSysButton* close = inactive.Button(0)) {
            EXPECT_EQ(Hex(inactive.PixelOf(*close)), Hex(kCloseFrames[3])) << step.what;
        }
    }
}

// The real mouse over the caption buttons: hot while over, pressed while
// held there, normal when it leaves (also to the client area or off the
// window) and a press released elsewhere acts on nothing.
TEST(FormStates, CaptionButtonsFollowTheRealMouse)
{
    ModalWatchdog watchdog;
    ShownWindow w(60, 340);
    ASSERT_NE(w.engine, nullptr);
    SetForegroundWindow(w.window);
    WaitFor([&] { return w.engine->Active; });
    TWinSysButton* close = w.Button(0);
    TWinSysButton* minimise = w.Button(2);
    TWinSysButton* maximise = w.Button(1);
    ASSERT_TRUE(close && minimise && maximise);
    LogMessages() = {WM_SYSCOMMAND, WM_CLOSE};
    Log().clear();
    RECT outer{};
    GetWindowRect(w.window, &outer);
    const POINT outside{outer.right + 40, outer.bottom + 40};
    const POINT caption{outer.left + 120, outer.top + 10};
    const COLORREF normal = kCloseFrames[0], pressed = kCloseFrames[1], hot = kCloseFrames[2];
    const COLORREF minNormal = RGB(3, 3, 250), minHot = RGB(3, 3, 252);
    struct Step {
        const char* what;
        std::function<void()> act;
        COLORREF closeShows, minimiseShows;
    };
    const Step steps[] = {
        {"over close", [&] { MouseAt(w.ScreenCentre(*close)); }, hot, minNormal},
        {"on to minimise", [&] { MouseAt(w.ScreenCentre(*minimise)); }, normal, minHot},
        {"back to close", [&] { MouseAt(w.ScreenCentre(*close)); }, hot, minNormal},
        {"off to the caption", [&] { MouseAt(caption); }, normal, minNormal},
        {"over close again", [&] { MouseAt(w.ScreenCentre(*close)); }, hot, minNormal},
        {"into the client area", [&] { MouseAt(w.ClientCentre()); }, normal, minNormal},
        {"over close once more", [&] { MouseAt(w.ScreenCentre(*close)); }, hot, minNormal},
        {"off the window", [&] { MouseAt(outside); }, normal, minNormal},
        {"press on close", [&] { MouseAt(w.ScreenCentre(*close)); WaitFor([&] { return w.PixelOf(*close) == hot; }); LeftButton(true); },
         pressed, minNormal},
        {"dragged off to the client area", [&] { MouseAt(w.ClientCentre()); }, normal, minNormal},
        {"released there", [&] { LeftButton(false); }, normal, minNormal},
        {"press on minimise", [&] { MouseAt(w.ScreenCentre(*minimise)); WaitFor([&] { return w.PixelOf(*minimise) == minHot; }); LeftButton(true); },
         normal, RGB(3, 3, 251)},
        {"released over close", [&] { MouseAt(w.ScreenCentre(*close)); LeftButton(false); }, hot, minNormal},
        {"mouse gone", [&] { MouseAt(outside); }, normal, minNormal},
    };
    for (const Step& step : steps) {
        step.act();
        WaitFor([&] { return w.PixelOf(*close) == step.closeShows && w.PixelOf(*minimise) == step.minimiseShows; });
        EXPECT_EQ(Hex(w.PixelOf(*close)), Hex(step.closeShows)) << step.what << ": close";
        EXPECT_EQ(Hex(w.PixelOf(*minimise)), Hex(step.minimiseShows)) << step.what << ": minimise";
        EXPECT_EQ(w.PixelOf(*maximise), RGB(1, 250, 1)) << step.what << ": maximise";
    }
    Pump(50);
    EXPECT_TRUE(Log().empty()) << "no press and release on one button, yet: " << (Log().empty() ? "" : Log().front());

    // The frame's own mouse move off a hot button lets it go at once, not
    // only when a timer notices later: checked before any message is pumped.
    struct Move {
        const char* what;
        TWinSysButton* from;
        POINT to;
        TWinSysButton* hotAfter;
    };
    const Move moves[] = {
        {"close to the caption", close, caption, nullptr},
        {"minimise to the caption", minimise, caption, nullptr},
        {"close to minimise", close, w.ScreenCentre(*minimise), minimise},
    };
    for (const Move& move : moves) {
        const POINT from = w.ScreenCentre(*move.from);
        SendMessageW(w.window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(from.x, from.y));
        EXPECT_EQ(w.engine->HotObject, move.from) << move.what;
        EXPECT_EQ(move.from->State, nsHot) << move.what;
        SendMessageW(w.window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(move.to.x, move.to.y));
        EXPECT_EQ(w.engine->HotObject, move.hotAfter) << move.what;
        EXPECT_EQ(move.from->State, nsNormal) << move.what;
        EXPECT_EQ(Hex(w.PixelOf(*move.from)), Hex(move.from == close ? normal : minNormal)) << move.what;
    }
    SendMessageW(w.window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(caption.x, caption.y));

    // Pressed and released in place: the command, once.
    MouseAt(w.ScreenCentre(*close));
    WaitFor([&] { return w.PixelOf(*close) == hot; });
    LeftButton(true);
    WaitFor([&] { return w.PixelOf(*close) == pressed; });
    LeftButton(false);
    WaitFor([&] { return !Log().empty(); });
    EXPECT_EQ(Log(), (std::vector<std::string>{Entry(WM_SYSCOMMAND, SC_CLOSE)}));
    // Released with the mouse still over it: hot, no longer pressed.
    WaitFor([&] { return w.PixelOf(*close) == hot; });
    EXPECT_EQ(Hex(w.PixelOf(*close)), Hex(hot)) << "released in place";
    EXPECT_EQ(close->State, nsHot) << "released in place";
    // A later press in the client area dragged onto close and released
    // there does nothing either.
    Log().clear();
    MouseAt(w.ClientCentre());
    Pump(30);
    LeftButton(true);
    MouseAt(w.ScreenCentre(*close));
    Pump(30);
    LeftButton(false);
    MouseAt(outside);
    WaitFor([&] { return w.PixelOf(*close) == normal; });
    Pump(50);
    EXPECT_TRUE(Log().empty());
    LogMessages().clear();
}

// The icon button: a click opens the system menu, a double click closes
// the window; both through the frame's own mouse messages.
TEST(FormStates, TheIconOpensTheSystemMenuAndADoubleClickOnItCloses)
{
    ModalWatchdog watchdog;
    ShownWindow w(60, 600);
    ASSERT_NE(w.engine, nullptr);
    SetForegroundWindow(w.window);
    WaitFor([&] { return w.engine->Active; });
    TWinSysButton* icon = w.Button(3);
    ASSERT_NE(icon, nullptr);
    const POINT at = w.ScreenCentre(*icon);
    const LPARAM point = MAKELPARAM(at.x, at.y);
    LogMessages() = {WM_SYSCOMMAND, WM_CLOSE, WM_ENTERMENULOOP};
    Log().clear();
    SendMessageW(w.window, WM_NCMOUSEMOVE, HTSYSMENU, point);
    PostMessageW(w.window, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(w.window, WM_NCLBUTTONDOWN, HTSYSMENU, point);
    SendMessageW(w.window, WM_NCLBUTTONUP, HTSYSMENU, point);
    Pump();
    EXPECT_EQ(Log(), (std::vector<std::string>{Entry(WM_ENTERMENULOOP, TRUE)})) << "a click on the icon";
    Log().clear();
    SendMessageW(w.window, WM_NCLBUTTONDBLCLK, HTSYSMENU, point);
    WaitFor([] { return !Log().empty(); });
    EXPECT_EQ(Log(), (std::vector<std::string>{Entry(WM_SYSCOMMAND, SC_CLOSE)})) << "a double click on the icon";
    // A double click on the bare caption does not close.
    Log().clear();
    RECT outer{};
    GetWindowRect(w.window, &outer);
    int bareX = 30;
    while (bareX < outer.right - outer.left && w.engine->HitTest(POINT{bareX, 10})) ++bareX;
    SendMessageW(w.window, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(outer.left + bareX, outer.top + 10));
    Pump(30);
    for (const std::string& entry : Log()) EXPECT_NE(entry, Entry(WM_SYSCOMMAND, SC_CLOSE));
    LogMessages().clear();
}

// The skin data's Active switch: off takes the skin off every open form
// (no engine, no region, the client size kept), on puts it back on all.
TEST(FormStates, TheActiveSwitchTakesTheSkinOffEveryFormAndPutsItBack)
{
    Manager();
    std::vector<TForm*> forms;
    for (int i = 0; i < 3; ++i) {
        auto* form = new TForm(nullptr);
        form->SetCaption("Switched");
        form->SetBounds(60 + 260 * i, 760, 240, 150);
        form->AfterConstruction();
        ASSERT_TRUE(Manager().SkinWindow(form->Handle()));
        form->Show();
        forms.push_back(form);
    }
    Pump();
    std::vector<SIZE> clients;
    for (TForm* form : forms) {
        ASSERT_NE(Manager().FindEngine(form->Handle()), nullptr);
        RECT r{};
        GetClientRect(form->Handle(), &r);
        clients.push_back(SIZE{r.right, r.bottom});
    }
    auto skinned = [&](TForm* form) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        const bool hasRegion = GetWindowRgn(form->Handle(), region) != ERROR;
        DeleteObject(region);
        const SIZE s = SizeOf(form->Handle());
        const COLORREF left = WindowPixel(form->Handle(), 2, s.cy / 2);
        return Manager().FindEngine(form->Handle()) != nullptr && hasRegion &&
               (left == kLeftActive || left == kLeftInactive);
    };
    auto bare = [&](TForm* form) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        const bool hasRegion = GetWindowRgn(form->Handle(), region) != ERROR;
        DeleteObject(region);
        return Manager().FindEngine(form->Handle()) == nullptr && !hasRegion &&
               SendMessageW(form->Handle(), WM_SKINQUERY, 0, 0) == 0;
    };
    for (bool on : {false, true, false, true}) {
        SharedSkin().SetActive(on);
        WaitFor([&] {
            for (TForm* form : forms)
                if (on ? !skinned(form) : !bare(form)) return false;
            return true;
        });
        for (size_t i = 0; i < forms.size(); ++i) {
            EXPECT_TRUE(on ? skinned(forms[i]) : bare(forms[i])) << "form " << i << (on ? " after on" : " after off");
            RECT r{};
            GetClientRect(forms[i]->Handle(), &r);
            EXPECT_EQ(r.right, clients[i].cx) << "form " << i;
            EXPECT_EQ(r.bottom, clients[i].cy) << "form " << i;
        }
    }
    for (TForm* form : forms) Free(form);
    Pump();
    Manager().Tidy();
}

// A skin change reaches every open window (the first and the last alike):
// each takes the new frame, keeps its client size and repaints.
TEST(FormStates, ASkinChangeReachesEveryOpenWindow)
{
    std::vector<std::unique_ptr<ShownWindow>> windows;
    for (int i = 0; i < 4; ++i) windows.push_back(std::make_unique<ShownWindow>(60 + 200 * i, 600, 180, 140));
    for (auto& w : windows) ASSERT_NE(w->engine, nullptr);
    SetForegroundWindow(windows[1]->window);
    std::vector<SIZE> clients;
    for (auto& w : windows) {
        RECT r{};
        GetClientRect(w->window, &r);
        clients.push_back(SIZE{r.right, r.bottom});
    }
    for (int bottom : {9, kBottom, 12}) {
        SkinOptions options;
        options.bottomHeight = bottom;
        ASSERT_TRUE(SharedSkin().ApplyPackage(TestSkinPackage(options)));
        auto bottomPainted = [&](const ShownWindow& w) {
            const SIZE s = w.Size();
            const COLORREF c = WindowPixel(w.window, s.cx / 2, s.cy - bottom + 1);
            return w.engine->FrameBottom == bottom && (c == kBottomActive || c == kBottomInactive);
        };
        WaitFor([&] {
            for (auto& w : windows)
                if (!bottomPainted(*w)) return false;
            return true;
        });
        for (size_t i = 0; i < windows.size(); ++i) {
            EXPECT_EQ(windows[i]->engine->FrameBottom, bottom) << "window " << i;
            EXPECT_TRUE(bottomPainted(*windows[i])) << "window " << i << " with a bottom border of " << bottom;
            RECT r{};
            GetClientRect(windows[i]->window, &r);
            EXPECT_EQ(r.right, clients[i].cx) << "window " << i;
            EXPECT_EQ(r.bottom, clients[i].cy) << "window " << i;
        }
    }
    SharedSkin().ApplyPackage(TestSkinPackage());
    WaitFor([&] { return windows.back()->engine->FrameBottom == kBottom && Manager().PendingCommand() == 0; });
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, msg, wParam, lParam);
}

// Taking the skin off leaves the window as it was: no region, its own
// window procedure, its outer size, the system's frame painted again.
TEST(FormStates, UnskinningGivesTheWindowBackAsItWas)
{
    struct Row {
        const char* what;
        DWORD style;
        bool transparent;
    };
    const Row rows[] = {
        {"sizeable, transparent corners", WS_OVERLAPPEDWINDOW, true},
        {"dialog frame, transparent corners", WS_CAPTION | WS_SYSMENU | WS_DLGFRAME, true},
        {"sizeable, solid borders", WS_OVERLAPPEDWINDOW, false},
    };
    for (const Row& row : rows) {
        SkinOptions options;
        options.transparentBorders = row.transparent;
        ReloadSharedSkin(options);
        WaitFor([&] { return Manager().PendingCommand() == 0; });
        HWND window = MakeWindow(row.style);
        SetWindowPos(window, nullptr, 500, 340, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const LONG_PTR procedure = GetWindowLongPtrW(window, GWLP_WNDPROC);
        RECT client{}, outer{};
        GetClientRect(window, &client);
        GetWindowRect(window, &outer);
        TWinSkinForm* engine = Skin(window);
        ASSERT_NE(engine, nullptr) << row.what;
        ShowWindow(window, SW_SHOW);
        Pump();
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(GetWindowRgn(window, region), ERROR) << row.what;  // a plain rectangle for solid borders
        EXPECT_NE(GetWindowLongPtrW(window, GWLP_WNDPROC), procedure) << row.what;
        RECT skinnedClient{};
        GetClientRect(window, &skinnedClient);
        EXPECT_EQ(skinnedClient.right, client.right) << row.what;
        EXPECT_EQ(skinnedClient.bottom, client.bottom) << row.what;
        Unskin(engine);
        Pump();
        EXPECT_EQ(GetWindowRgn(window, region), ERROR) << row.what << ": the region stayed";
        EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), procedure) << row.what;
        RECT after{}, afterClient{};
        GetWindowRect(window, &after);
        GetClientRect(window, &afterClient);
        EXPECT_EQ(after.right - after.left, outer.right - outer.left) << row.what;
        EXPECT_EQ(after.bottom - after.top, outer.bottom - outer.top) << row.what;
        EXPECT_EQ(afterClient.right, client.right) << row.what;
        EXPECT_EQ(afterClient.bottom, client.bottom) << row.what;
        EXPECT_EQ(SendMessageW(window, WM_SKINQUERY, 0, 0), 0) << row.what;
        // A subclass put on after the skin went is reached normally.
        const LONG_PTR own = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PlainProcedure));
        EXPECT_EQ(own, procedure) << row.what;
        SetWindowLongPtrW(window, GWLP_WNDPROC, own);
        DeleteObject(region);
        DestroyWindow(window);
        Pump();
    }
    ReloadSharedSkin({});
    WaitFor([&] { return Manager().PendingCommand() == 0; });
}

// The region's bounding box against the window's size.
bool RegionFitsWindow(HWND window)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    const bool has = GetWindowRgn(window, region) != ERROR && GetRgnBox(region, &box) != ERROR;
    DeleteObject(region);
    const SIZE s = SizeOf(window);
    return has && box.left == 0 && box.top == 0 && box.right == s.cx && box.bottom == s.cy;
}

// Draws over the window's whole frame, so that only a real repaint can
// bring the skin's pictures back.
void Scribble(HWND window)
{
    const SIZE s = SizeOf(window);
    HDC dc = GetWindowDC(window);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT all{0, 0, s.cx, s.cy};
    FillRect(dc, &all, black);
    DeleteObject(black);
    ReleaseDC(window, dc);
}

// After every change of text, state, size or menu the frame is painted
// again from the skin's pictures, the caption shows the current text, the
// region follows the window's size, and a later repaint request of the
// system is still answered with the skin's frame.
TEST(FormStates, TheFrameFollowsTextStateSizeAndMenuChanges)
{
    ShownWindow w(60, 80, 320, 220);
    ASSERT_NE(w.engine, nullptr);
    SetForegroundWindow(w.window);
    WaitFor([&] { return w.engine->Active; });
    struct Step {
        const char* what;
        std::function<void()> act;
        bool titleShown;
    };
    const Step steps[] = {
        {"caption emptied", [&] { SetWindowTextW(w.window, L""); }, false},
        {"caption set", [&] { SetWindowTextW(w.window, L"Quorvane window"); }, true},
        {"maximised", [&] { ShowWindow(w.window, SW_MAXIMIZE); }, true},
        {"caption emptied while maximised", [&] { SetWindowTextW(w.window, L""); }, false},
        {"restored", [&] { ShowWindow(w.window, SW_RESTORE); }, false},
        {"caption set again", [&] { SetWindowTextW(w.window, L"Quorvane window"); }, true},
        {"made larger", [&] { SetWindowPos(w.window, nullptr, 0, 0, 380, 260, SWP_NOMOVE | SWP_NOZORDER); }, true},
        {"made smaller", [&] { SetWindowPos(w.window, nullptr, 0, 0, 260, 170, SWP_NOMOVE | SWP_NOZORDER); }, true},
        {"the menu attached again", [&] { SendMessageW(w.window, CM_MENUCHANGED, 0, 0); }, true},
    };
    for (const Step& step : steps) {
        step.act();
        auto shown = [&] {
            return w.Borders() == kActiveBorders && (w.TitlePixels(kActiveText) > 0) == step.titleShown &&
                   RegionFitsWindow(w.window);
        };
        WaitFor(shown);
        const auto borders = w.Borders();
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Hex(borders[i]), Hex(kActiveBorders[i])) << step.what << ": border " << i;
        EXPECT_EQ(w.TitlePixels(kActiveText) > 0, step.titleShown) << step.what << ": caption text";
        EXPECT_TRUE(RegionFitsWindow(w.window)) << step.what << ": region against the window's size";
        // Painted over, the frame comes back when the system asks for it.
        Scribble(w.window);
        RedrawWindow(w.window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        WaitFor(shown);
        EXPECT_EQ(w.Borders(), kActiveBorders) << step.what << ": repainted by request";
        EXPECT_EQ(w.TitlePixels(kActiveText) > 0, step.titleShown) << step.what << ": caption text repainted";
    }
}

// The commands a window gets from its caption, its system menu and the
// keyboard: the caption's double click maximises only a window with a
// maximise box and restores a maximised one; Alt+Space opens the skin's
// system menu, whose entries are enabled as the window's state allows;
// system commands that arrive as plain commands go on as system commands.
TEST(FormStates, WindowCommandsFollowTheStateAndTheBoxesOfTheWindow)
{
    LogMessages() = {WM_SYSCOMMAND, WM_ENTERMENULOOP};
    struct Row {
        const char* what;
        DWORD style;
        int show;  // SW_RESTORE, SW_MAXIMIZE, SW_MINIMIZE
        int state;
        std::vector<std::string> doubleClick;
        bool restore, minimise, maximise, moveAndSize;
    };
    const DWORD noMaximise = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    const Row rows[] = {
        {"normal", WS_OVERLAPPEDWINDOW, SW_RESTORE, ewsNormal, {Entry(WM_SYSCOMMAND, SC_MAXIMIZE)}, false, true, true, true},
        {"maximised", WS_OVERLAPPEDWINDOW, SW_MAXIMIZE, ewsMaximized, {Entry(WM_SYSCOMMAND, SC_RESTORE)}, true, true, false, false},
        {"normal, no maximise box", noMaximise, SW_RESTORE, ewsNormal, {}, false, true, false, true},
        {"minimised, no maximise box", noMaximise, SW_MINIMIZE, ewsMinimized, {Entry(WM_SYSCOMMAND, SC_RESTORE)}, true, false, false, true},
    };
    for (const Row& row : rows) {
        ShownWindow w(60, 80, 320, 220, row.style);
        ASSERT_NE(w.engine, nullptr) << row.what;
        ShowWindow(w.window, row.show);
        SetForegroundWindow(w.window);
        WaitFor([&] { return w.engine->WindowState == row.state; });
        ASSERT_EQ(w.engine->WindowState, row.state) << row.what;

        // Alt+Space: the skin's own system menu (the loop of a popup menu).
        Log().clear();
        PostMessageW(w.window, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(w.window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        Pump();
        EXPECT_EQ(Log(), (std::vector<std::string>{Entry(WM_ENTERMENULOOP, TRUE)})) << row.what << ": Alt+Space";
        TPopupMenu* menu = w.engine->SystemMenuPopup();
        ASSERT_NE(menu, nullptr) << row.what;
        auto enabled = [&](UINT command) {
            for (int i = 0; i < menu->Items()->Count(); ++i)
                if ((static_cast<UINT>(menu->Items()->Items(i)->Tag()) & 0xFFF0) == command)
                    return menu->Items()->Items(i)->Enabled() ? 1 : 0;
            return -1;
        };
        EXPECT_EQ(enabled(SC_RESTORE), row.restore ? 1 : 0) << row.what << ": Restore";
        EXPECT_EQ(enabled(SC_MINIMIZE), row.minimise ? 1 : 0) << row.what << ": Minimize";
        EXPECT_EQ(enabled(SC_MAXIMIZE), row.maximise ? 1 : 0) << row.what << ": Maximize";
        if (!row.moveAndSize) {
            EXPECT_EQ(enabled(SC_MOVE), 0) << row.what << ": Move";
            EXPECT_EQ(enabled(SC_SIZE), 0) << row.what << ": Size";
        }
        EXPECT_EQ(enabled(SC_CLOSE), 1) << row.what << ": Close";

        // A double click on the bare caption.
        if (row.state != ewsMinimized) {
            RECT outer{};
            GetWindowRect(w.window, &outer);
            int bareX = 30;
            while (bareX < outer.right - outer.left && w.engine->HitTest(POINT{bareX, 10})) ++bareX;
            Log().clear();
            SendMessageW(w.window, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(outer.left + bareX, outer.top + 10));
            Pump(30);
            EXPECT_EQ(Log(), row.doubleClick) << row.what << ": double click on the caption";
        }
        ShowWindow(w.window, SW_RESTORE);
        WaitFor([&] { return w.engine->WindowState == ewsNormal; });
    }

    // Plain commands carrying a system command.
    ShownWindow w(60, 80);
    ASSERT_NE(w.engine, nullptr);
    for (UINT command : {SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_NEXTWINDOW, SC_PREVWINDOW, SC_CLOSE, SC_RESTORE}) {
        Log().clear();
        SendMessageW(w.window, WM_COMMAND, command, 0);
        WaitFor([] { return !Log().empty(); });
        EXPECT_EQ(Log(), (std::vector<std::string>{Entry(WM_SYSCOMMAND, command)})) << "command " << std::hex << command;
    }
    LogMessages().clear();
}

// ---- drop-downs of the skinned menu bar ------------------------------------------------

// Under the engine: feeds the menu loop its steps whenever it waits, and
// names the drop-downs that open.
class LoopDriver : public WindowSubclass<LoopDriver> {
public:
    std::map<HMENU, std::string> names;
    std::vector<std::string> opened;
    // Called whenever the menu loop waits; returns the next key (0: Escape
    // and stop feeding).
    std::function<WPARAM()> onIdle;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_INITMENUPOPUP) {
            auto it = names.find(reinterpret_cast<HMENU>(wParam));
            opened.push_back(it == names.end() ? "?" : it->second);
        } else if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
            WPARAM key = onIdle ? onIdle() : 0;
            if (!key) {
                key = VK_ESCAPE;
                onIdle = nullptr;
            }
            PostMessageW(Window(), WM_KEYDOWN, key, 0);
        }
        return CallPrevious(msg, wParam, lParam);
    }
};

struct MenuBarWindow {
    HWND window = nullptr;
    HMENU bar = nullptr, file = nullptr, edit = nullptr, view = nullptr;
    LoopDriver driver;
    TWinSkinForm* engine = nullptr;

    explicit MenuBarWindow(bool rightToLeft, bool viewDisabled = false)
    {
        window = MakeWindow(WS_OVERLAPPEDWINDOW);
        SetWindowPos(window, nullptr, 700, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        bar = CreateMenu();
        file = CreatePopupMenu();
        edit = CreatePopupMenu();
        view = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 201, L"&Open");
        AppendMenuW(file, MF_STRING, 202, L"&Save");
        AppendMenuW(file, MF_STRING, 203, L"&Print");
        AppendMenuW(edit, MF_STRING, 301, L"&Copy");
        AppendMenuW(view, MF_STRING, 401, L"&Zoom");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
        AppendMenuW(bar, MF_POPUP | (viewDisabled ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(view), L"&View");
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
        engine = Skin(window);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        WaitFor([&] { return IsWindowVisible(window) && engine && engine->Active; });
    }
    ~MenuBarWindow()
    {
        if (engine) Unskin(engine);
        driver.Detach();
        DestroyWindow(window);
        Pump();
    }
    std::vector<std::string> Open(WPARAM character, std::deque<WPARAM> keys)
    {
        driver.opened.clear();
        auto feed = std::make_shared<std::deque<WPARAM>>(std::move(keys));
        driver.onIdle = [feed]() -> WPARAM {
            if (feed->empty()) return 0;
            const WPARAM key = feed->front();
            feed->pop_front();
            return key;
        };
        SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(character));
        Pump();
        return driver.opened;
    }
};

using Names = std::vector<std::string>;

// The popup menu window on the screen (hidden ones may linger).
HWND ShownPopupMenu()
{
    HWND found = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr))
        if (IsWindowVisible(w)) found = w;
    return found;
}

// Every drop-down installs its key filter for the loop and takes it off
// after: in a right-to-left menu the arrows are swapped exactly once, in
// the first drop-down and in every later one, whatever number of loops
// (one or several drop-downs each) ran before.
TEST(FormStates, TheMenuLoopsKeyFilterGoesWithTheLoop)
{
    ModalWatchdog watchdog;
    MenuBarWindow w(true);
    ASSERT_NE(w.engine, nullptr);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(w.Open('e', {VK_DOWN, VK_RIGHT}), (Names{"Edit", "File"})) << "round " << round;
        EXPECT_EQ(w.Open('e', {VK_DOWN, VK_LEFT}), (Names{"Edit", "View"})) << "round " << round;
        EXPECT_EQ(w.Open('f', {}), (Names{"File"})) << "round " << round;  // one loop alone
        EXPECT_FALSE(w.engine->MenuTracking);
    }
}

// The entries of the menu bar under the real mouse: the one under it is
// framed in the skin's highlight colour, the others are not; a disabled
// entry keeps its shadow-coloured text whether hot or not.
TEST(FormStates, MenuBarEntriesShowTheMouseAndKeepTheirEnabledLook)
{
    MenuBarWindow w(false, true);
    ASSERT_NE(w.engine, nullptr);
    TWinSkinMenu* bar = w.engine->MenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Buttons.size(), 3u);
    RedrawWindow(w.window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    const COLORREF frame = ResolveColour(SharedSkin().Colours.ButtonHilight);
    const COLORREF text = ResolveColour(SharedSkin().Colours.MenuBarText);
    ASSERT_NE(frame, kMenuBarActive);
    ASSERT_NE(text, kShadow);
    RECT outer{};
    GetWindowRect(w.window, &outer);
    auto framed = [&](size_t i) {
        const RECT& r = bar->Buttons[i]->BoundsRect;
        return WindowPixel(w.window, r.left, (r.top + r.bottom) / 2) == frame &&
               WindowPixel(w.window, (r.left + r.right) / 2, r.top) == frame;
    };
    auto textPixels = [&](size_t i, COLORREF colour) {
        const RECT& r = bar->Buttons[i]->BoundsRect;
        int count = 0;
        HDC dc = GetWindowDC(w.window);
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x)
                if (GetPixel(dc, x, y) == colour) ++count;
        ReleaseDC(w.window, dc);
        return count;
    };
    auto centre = [&](size_t i) {
        const RECT& r = bar->Buttons[i]->BoundsRect;
        return POINT{outer.left + (r.left + r.right) / 2, outer.top + (r.top + r.bottom) / 2};
    };
    struct Step {
        const char* what;
        POINT to;
        int hot;  // the framed entry, -1 none
    };
    const Step steps[] = {
        {"over File", centre(0), 0},       {"on to Edit", centre(1), 1},
        {"on to the disabled View", centre(2), 2}, {"to the caption", POINT{outer.left + 150, outer.top + 10}, -1},
        {"back over File", centre(0), 0},  {"off the window", POINT{outer.right + 40, outer.bottom + 40}, -1},
    };
    for (const Step& step : steps) {
        MouseAt(step.to);
        auto holds = [&] {
            for (size_t i = 0; i < 3; ++i)
                if (framed(i) != (static_cast<int>(i) == step.hot)) return false;
            return true;
        };
        WaitFor(holds);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(framed(i), static_cast<int>(i) == step.hot) << step.what << ": entry " << i;
            const bool enabled = i != 2;
            EXPECT_EQ(textPixels(i, text) > 0, enabled) << step.what << ": text colour of entry " << i;
            EXPECT_EQ(textPixels(i, kShadow) > 0, !enabled) << step.what << ": shadow text of entry " << i;
        }
    }
}

// The items of a drop-down are drawn from the skin's menu item picture:
// the selected one in the selected frame, the others in the normal frame,
// following the keyboard from item to item.
TEST(FormStates, TheSelectedMenuItemShowsTheSelectedFrame)
{
    ModalWatchdog watchdog;
    MenuBarWindow w(false);
    ASSERT_NE(w.engine, nullptr);
    const COLORREF normalFrame = RGB(250, 250, 250), selectedFrame = RGB(60, 110, 220);
    // Per idle step: the colour at the left edge of each item of File.
    std::vector<std::vector<COLORREF>> seen;
    std::deque<WPARAM> keys{VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, 0};
    w.driver.opened.clear();
    w.driver.onIdle = [&]() -> WPARAM {
        std::vector<COLORREF> row;
        HWND popup = ShownPopupMenu();
        for (int i = 0; popup && i < 3; ++i) {
            RECT item{}, outer{};
            GetMenuItemRect(w.window, w.file, static_cast<UINT>(i), &item);
            GetWindowRect(popup, &outer);
            // Inside the item's left margin, clear of the popup's own border.
            row.push_back(WindowPixel(popup, 5, (item.top + item.bottom) / 2 - outer.top));
        }
        seen.push_back(row);
        if (keys.empty()) return 0;
        const WPARAM key = keys.front();
        keys.pop_front();
        return key;
    };
    SendMessageW(w.window, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    Pump();
    // Opened by its accelerator (the first item selected along with the
    // first key), then Down, Down (wrapping to the first), Up (back to the
    // last). The first look comes before any key.
    const int expected[] = {-1, 1, 2, 0, 2};
    ASSERT_GE(seen.size(), 5u);
    for (size_t step = 1; step < 5; ++step) {
        ASSERT_EQ(seen[step].size(), 3u) << "step " << step;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Hex(seen[step][static_cast<size_t>(i)]), Hex(i == expected[step] ? selectedFrame : normalFrame))
                << "step " << step << ", item " << i;
    }
}

}  // namespace
}  // namespace quorvane
