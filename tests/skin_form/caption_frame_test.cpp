// Caption buttons and the painted frame: which buttons show, what clicks on
// them do (real non-client mouse messages), the frame's pixels in each state
// and the window region cut from transparent borders.
#include <windowsx.h>

#include "framework/menus.h"
#include "skin/form/form_engine.h"
#include "skin/form/frame_layout.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

void Release(TWinSkinForm* engine, HWND window)
{
    Unskin(engine);
    DestroyWindow(window);
}

SIZE WindowSize(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Paints the frame into a picture of the window's size (laying the buttons out).
std::unique_ptr<FramePicture> Paint(TWinSkinForm* engine)
{
    const SIZE size = WindowSize(engine->Window());
    auto picture = std::make_unique<FramePicture>(size.cx, size.cy);
    engine->PaintFrame(picture->dc());
    return picture;
}

TWinSysButton* ButtonWithAction(TWinSkinForm* engine, int action)
{
    for (const auto& button : engine->CaptionButtons())
        if (button->Description->Action == action) return button.get();
    return nullptr;
}

size_t IndexOf(TWinSkinForm* engine, TWinSysButton* button)
{
    for (size_t i = 0; i < engine->CaptionButtons().size(); ++i)
        if (engine->CaptionButtons()[i].get() == button) return i;
    return SIZE_MAX;
}

// The screen point at the middle of a caption button.
LPARAM ScreenPointOf(TWinSkinForm* engine, const TNCObject& object)
{
    RECT window{};
    GetWindowRect(engine->Window(), &window);
    const RECT& r = object.BoundsRect;
    return MAKELPARAM(window.left + (r.left + r.right) / 2, window.top + (r.top + r.bottom) / 2);
}

TEST(CaptionButtons, VisibilityFollowsTheThreeRules)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    TWinSysButton* help = ButtonWithAction(engine, 50);
    ASSERT_NE(help, nullptr);
    const size_t index = IndexOf(engine, help);
    TDataSkinSysButton& d = *help->Description;
    struct Row {
        int visibility, visibility1, action;
        bool active;
        bool shown;
    };
    const Row rows[] = {
        {0, 0, 50, true, true},     {3, 0, 50, true, true},     {3, 0, 50, false, false},  // Visibility 3: active only
        {4, 0, 50, false, true},    {0, -1, 50, true, false},   // Visibility1 -1 hides it whatever else
        {1, 0, 50, true, false},    {2, 0, 50, true, true},     {6, 0, 50, true, true},
        {7, 0, 50, true, false},    {5, 0, 50, true, false},    {10, 0, 50, true, false},
        {200, 0, 50, true, false},  {500, 0, 50, true, true},   {1000, 0, 50, true, false},
        {1500, 0, 50, true, true},  {0, 3, 50, false, false},   {0, 100, 50, true, true},
        {0, 5, 50, true, false},    {0, 2001, 50, true, false}, {100, 100, 7, true, false},  // no maximised MDI child
    };
    // Where the button sits while shown: a hidden button is not found there.
    Paint(engine);
    ASSERT_TRUE(help->Visible);
    const POINT centre{(help->BoundsRect.left + help->BoundsRect.right) / 2,
                       (help->BoundsRect.top + help->BoundsRect.bottom) / 2};
    ASSERT_EQ(engine->HitTest(centre), help);
    for (const Row& row : rows) {
        d.Visibility = row.visibility;
        d.Visibility1 = row.visibility1;
        d.Action = row.action;
        engine->Active = row.active;
        EXPECT_EQ(engine->IsButtonVisible(index), row.shown)
            << "Visibility " << row.visibility << ", Visibility1 " << row.visibility1 << ", active " << row.active;
        EXPECT_EQ(engine->HitTest(centre) == help, row.shown)
            << "hit: Visibility " << row.visibility << ", Visibility1 " << row.visibility1 << ", active " << row.active;
    }
    // Deactivating the window hides an active-only button.
    d.Visibility = 3;
    d.Visibility1 = 0;
    d.Action = 50;
    SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(engine->IsButtonVisible(index));
    SendMessageW(window, WM_NCACTIVATE, FALSE, 0);
    EXPECT_FALSE(engine->IsButtonVisible(index));
    SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
    Release(engine, window);

    // A close button needs a system menu; minimise and maximise their boxes.
    HWND bare = MakeWindow(WS_CAPTION | WS_THICKFRAME);
    engine = Skin(bare);
    ASSERT_NE(engine, nullptr);
    EXPECT_FALSE(engine->IsButtonVisible(IndexOf(engine, ButtonWithAction(engine, 0))));
    EXPECT_FALSE(engine->IsButtonVisible(IndexOf(engine, ButtonWithAction(engine, 2))));
    Release(engine, bare);
    ReloadSharedSkin({});
}

TEST(CaptionButtons, ClicksActOnlyWhenPressedAndReleasedOnTheSameButton)
{
    ModalWatchdog watchdog;
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    // The engine takes the double-click time when it is made: a long one,
    // so that two right-clicks on a busy machine still make a double click.
    const UINT doubleClickTime = GetDoubleClickTime();
    SetDoubleClickTime(20000);
    TWinSkinForm* engine = Skin(window);
    SetDoubleClickTime(doubleClickTime);
    ASSERT_NE(engine, nullptr);
    Paint(engine);
    TWinSysButton* close = ButtonWithAction(engine, 0);
    TWinSysButton* minimise = ButtonWithAction(engine, 2);
    TWinSysButton* maximise = nullptr;
    for (const auto& b : engine->CaptionButtons())
        if (b->Description->Action == 1 && b->Visible) maximise = b.get();
    TWinSysButton* help = ButtonWithAction(engine, 50);
    ASSERT_TRUE(close && minimise && maximise && help);
    LogMessages() = {WM_SYSCOMMAND, WM_SKINBUTTONACTION, WM_CLOSE};

    auto click = [&](TNCObject& down, TNCObject& up) {
        Log().clear();
        SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, ScreenPointOf(engine, down));
        SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, ScreenPointOf(engine, down));
        SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, ScreenPointOf(engine, up));
        SendMessageW(window, WM_NCLBUTTONUP, HTCAPTION, ScreenPointOf(engine, up));
        Pump();
        return Log();
    };
    using Log = std::vector<std::string>;
    EXPECT_EQ(click(*close, *close), (Log{Entry(WM_SYSCOMMAND, SC_CLOSE)}));
    EXPECT_EQ(click(*minimise, *minimise), (Log{Entry(WM_SYSCOMMAND, SC_MINIMIZE)}));
    engine->WindowState = ewsNormal;
    Paint(engine);
    EXPECT_EQ(click(*maximise, *maximise), (Log{Entry(WM_SYSCOMMAND, SC_MAXIMIZE)}));
    engine->WindowState = ewsNormal;
    Paint(engine);
    EXPECT_EQ(click(*help, *help), (Log{Entry(WM_SKINBUTTONACTION, 50)}));
    // Pressed on one button and released on another: nothing happens.
    EXPECT_TRUE(click(*close, *minimise).empty());
    EXPECT_TRUE(click(*minimise, *close).empty());

    // The state machine: hot under the mouse, pressed while held, normal after.
    SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, ScreenPointOf(engine, *close));
    EXPECT_EQ(engine->HotObject, close);
    EXPECT_EQ(close->State, nsHot);
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, ScreenPointOf(engine, *close));
    EXPECT_EQ(close->State, nsPressed);
    SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, ScreenPointOf(engine, *minimise));
    EXPECT_EQ(close->State, nsNormal);
    EXPECT_EQ(engine->HotObject, minimise);

    // A double right-click on a caption button closes the window; the
    // first click opens the system menu (closed here by Escape). Both come
    // as the frame's own messages, the mouse over the button first.
    SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, ScreenPointOf(engine, *minimise));
    Log().clear();
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(window, WM_NCRBUTTONDOWN, HTCAPTION, ScreenPointOf(engine, *minimise));
    ASSERT_NE(engine->SystemMenuPopup(), nullptr);
    EXPECT_EQ(engine->SystemMenuPopup()->Items()->Count(), GetMenuItemCount(GetSystemMenu(window, FALSE)));
    EXPECT_TRUE(::quorvane::enginetest::Log().empty());
    SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, ScreenPointOf(engine, *close));
    // Should the second click open the menu again, Escape closes it: the
    // check below fails rather than the test waiting in the menu for ever.
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(window, WM_NCRBUTTONDOWN, HTCAPTION, ScreenPointOf(engine, *close));
    Pump();
    EXPECT_EQ(::quorvane::enginetest::Log(), (Log{Entry(WM_CLOSE, 0)}));
    LogMessages().clear();
    Release(engine, window);
}

TEST(FramePainting, ActiveInactiveAndMinimisedFramesUseTheirPictures)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    const SIZE size = WindowSize(window);
    const int w = size.cx, h = size.cy;
    auto active = Paint(engine);
    EXPECT_EQ(active->At(3, h / 2), kLeftActive);
    EXPECT_EQ(active->At(w - 3, h / 2), kRightActive);
    EXPECT_EQ(active->At(w / 2, h - 2), kBottomActive);
    EXPECT_EQ(active->At(w / 2 + 20, kTop - 2), kTopActive);
    const TWinSysButton* close = ButtonWithAction(engine, 0);
    ASSERT_TRUE(close && close->Visible);
    EXPECT_EQ(close->BoundsRect.left, w - 24);  // right-aligned: window width - Xcoord
    EXPECT_EQ(active->At(close->BoundsRect.left + 8, close->BoundsRect.top + 8), kCloseFrames[0]);
    // The key colour of the button picture shows the title under it.
    EXPECT_EQ(active->At(close->BoundsRect.left, close->BoundsRect.top), kTopActive);

    engine->Active = false;
    auto inactive = Paint(engine);
    EXPECT_EQ(inactive->At(3, h / 2), kLeftInactive);
    EXPECT_EQ(inactive->At(w - 3, h / 2), kRightInactive);
    EXPECT_EQ(inactive->At(w / 2, h - 2), kBottomInactive);
    EXPECT_EQ(inactive->At(w / 2 + 20, kTop - 2), kTopInactive);
    EXPECT_EQ(inactive->At(close->BoundsRect.left + 8, close->BoundsRect.top + 8), kCloseFrames[3]);
    engine->Active = true;

    // Minimised: the title picture over the button face, nothing else.
    engine->WindowState = ewsMinimized;
    auto minimised = Paint(engine);
    EXPECT_EQ(minimised->At(w / 2 + 20, kTop - 2), kTopActive);
    EXPECT_EQ(minimised->At(w / 2, kTop + 10), kFace);
    EXPECT_EQ(minimised->At(3, h / 2), kFace);
    engine->WindowState = ewsNormal;
    Release(engine, window);
}

TEST(FramePainting, TheMenuBarBandIsPaintedWithItsEntries)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 101, L"&Open");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 102, L"&Gone");
    SetMenu(window, menu);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(GetMenu(window), nullptr);  // the engine paints the bar itself
    EXPECT_EQ(engine->MenuBarHeight, GetSystemMetrics(SM_CYMENU));
    const SIZE size = WindowSize(window);
    auto picture = Paint(engine);
    const int bandY = kTop + engine->MenuBarHeight / 2;
    EXPECT_EQ(picture->At(size.cx - kRight - 3, bandY), kMenuBarActive);
    engine->Active = false;
    picture = Paint(engine);
    EXPECT_EQ(picture->At(size.cx - kRight - 3, bandY), kMenuBarInactive);
    engine->Active = true;
    // The entries sit in the band, the first where the bar's left cap ends.
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(size.cy, client.bottom + kTop + kBottom + engine->MenuBarHeight);
    engine->Unskin();
    EXPECT_EQ(GetMenu(window), menu);  // given back
    Manager().RemoveEngine(engine);
    Free(engine);
    DestroyWindow(window);
}

TEST(WindowRegion, TransparentBordersCutTheCornersAndTheBottomRowNeedsTwoPixels)
{
    auto regionOf = [](HWND window) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(window, region);
        return std::pair<HRGN, int>(region, kind);
    };
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    const SIZE size = WindowSize(window);
    auto [region, kind] = regionOf(window);
    ASSERT_NE(kind, ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 1, 1));
    EXPECT_TRUE(PtInRegion(region, 2, 0));
    EXPECT_FALSE(PtInRegion(region, size.cx - 1, 0));
    EXPECT_TRUE(PtInRegion(region, size.cx - 3, 0));
    EXPECT_FALSE(PtInRegion(region, kLeft, size.cy - 1));  // keyed in the bottom border
    EXPECT_TRUE(PtInRegion(region, size.cx / 2, size.cy / 2));
    DeleteObject(region);
    Release(engine, window);

    // A one-pixel bottom border never takes part.
    SkinOptions thin;
    thin.bottomHeight = 1;
    ReloadSharedSkin(thin);
    window = MakeWindow(WS_OVERLAPPEDWINDOW);
    engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    std::tie(region, kind) = regionOf(window);
    EXPECT_TRUE(PtInRegion(region, kLeft, WindowSize(window).cy - 1));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    DeleteObject(region);
    Release(engine, window);

    // Borders without transparency give a plain rectangle.
    SkinOptions solid;
    solid.transparentBorders = false;
    ReloadSharedSkin(solid);
    window = MakeWindow(WS_OVERLAPPEDWINDOW);
    engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    std::tie(region, kind) = regionOf(window);
    EXPECT_EQ(kind, SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, WindowSize(window).cx - 1, WindowSize(window).cy - 1));
    DeleteObject(region);
    Release(engine, window);
    ReloadSharedSkin({});
}

// A frame of another width around the same client: where the window goes
// in a 1000 x 700 work area starting at (0, 20).
TEST(WindowRefit, AWindowInsideTheWorkAreaStaysInsideAndOneAtTheFarEdgeStaysThere)
{
    const FrameBox work{0, 20, 1000, 700};
    struct Case {
        const char* what;
        FrameBox before;
        int width, height;
        FrameBox expected;
    } cases[] = {
        {"in the middle: keeps its left and top", {100, 100, 400, 300}, 308, 208, {100, 100, 408, 308}},
        {"flush right, wider: grows to the left", {442, 20, 1000, 130}, 562, 118, {438, 20, 1000, 138}},
        {"flush right, narrower: shrinks to the right edge", {438, 20, 1000, 138}, 558, 110, {442, 20, 1000, 130}},
        {"flush bottom: grows upwards", {100, 500, 300, 700}, 200, 220, {100, 480, 300, 700}},
        {"2 px short of the right edge, 4 px wider: moved in", {700, 100, 998, 200}, 302, 100, {698, 100, 1000, 200}},
        {"as wide as the work area: keeps its left", {0, 100, 1000, 200}, 1008, 100, {0, 100, 1008, 200}},
        {"wider than the work area: left at its left edge", {10, 100, 990, 200}, 1200, 100, {0, 100, 1200, 200}},
        {"already past the right edge: left alone", {900, 100, 1100, 200}, 210, 100, {900, 100, 1110, 200}},
        {"above the work area: left alone", {100, 0, 300, 100}, 200, 110, {100, 0, 300, 110}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FrameBox placed = PlaceRefittedWindow(c.before, c.width, c.height, work);
        EXPECT_EQ(placed.left, c.expected.left);
        EXPECT_EQ(placed.top, c.expected.top);
        EXPECT_EQ(placed.right, c.expected.right);
        EXPECT_EQ(placed.bottom, c.expected.bottom);
    }
}

}  // namespace
}  // namespace quorvane
