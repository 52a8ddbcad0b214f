// The drawn scroll bars: where they lie, what they show, and that they keep
// showing the control's own bar through drags, the wheel, the keyboard,
// programmatic scrolling and content changes.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/scroll_controls.h"
#include "framework/std_controls.h"
#include "skin/controls/scrollbar_skinners.h"
#include "tests/skin_controls/control_test_skin.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace controltest;

// The thumb the drawn bar shows on the screen: the run of thumb-coloured
// pixels down (or along) the middle of the bar.
struct ShownThumb {
    int start = -1, end = -1;
};
ShownThumb ReadShownThumb(const TWScrollbar& bar)
{
    RECT client{};
    GetClientRect(bar.Window(), &client);
    ShownThumb thumb;
    const int length = bar.Vertical() ? client.bottom : client.right;
    for (int along = 0; along < length; ++along) {
        const COLORREF c = bar.Vertical() ? ScreenPixel(bar.Window(), 2, along) : ScreenPixel(bar.Window(), along, 2);
        const bool isThumb = c == ThumbColour(bar.Vertical(), 1) || c == ThumbColour(bar.Vertical(), 2) ||
                             c == ThumbColour(bar.Vertical(), 3);
        if (isThumb && thumb.start < 0) thumb.start = along;
        if (isThumb) thumb.end = along + 1;
    }
    return thumb;
}

// The drawn bar covers the platform's bar and shows its thumb.
void ExpectInStep(const TWScrollbar& bar, const char* when)
{
    SCOPED_TRACE(when);
    ScrollBarGeometry geometry;
    ASSERT_TRUE(bar.QueryGeometry(geometry));
    RECT placed{};
    GetWindowRect(bar.Window(), &placed);
    EXPECT_TRUE(EqualRect(&placed, &geometry.bar));
    const ShownThumb shown = ReadShownThumb(bar);
    if (!geometry.enabled || geometry.thumbEnd <= geometry.thumbStart) {
        EXPECT_EQ(shown.start, -1);  // no thumb to show
        return;
    }
    EXPECT_EQ(shown.start, geometry.thumbStart);
    EXPECT_EQ(shown.end, geometry.thumbEnd);
}

std::string Lines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

struct MemoFixture {
    TMemo* memo = nullptr;
    TSkinScrollbar* skinner = nullptr;
    explicit MemoFixture(TScrollStyle bars = ssVertical, int lines = 200)
    {
        TForm* form = Stage();
        memo = new TMemo(form);
        memo->SetParent(form);
        memo->SetBounds(20, 20, 220, 180);
        memo->SetWordWrap(false);
        memo->SetScrollBars(bars);
        memo->SetText(Lines(lines));
        memo->HandleNeeded();
        skinner = new TSkinScrollbar(memo);
        skinner->AttachControl(nullptr, &Skin(), false, nullptr);
        Pump(20);
    }
    ~MemoFixture()
    {
        Free(memo);
        Pump();
    }
    HWND Window() const { return memo->Handle(); }
    int FirstLine() const { return static_cast<int>(SendMessageW(memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0)); }
};

TEST(ScrollSkinner, TheDrawnBarLiesOverThePlatformBarAndShowsItsParts)
{
    MemoFixture f;
    TWScrollbar* bar = f.skinner->VerticalBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->Showing());
    EXPECT_FALSE(f.skinner->HorizontalBar()->Showing());  // the memo has no horizontal bar
    // In front of the memo, in its parent.
    EXPECT_EQ(GetParent(bar->Window()), GetParent(f.Window()));
    EXPECT_EQ(GetWindow(bar->Window(), GW_HWNDNEXT), f.Window());
    ExpectInStep(*bar, "attached");

    ScrollBarGeometry geometry;
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    const int arrow = bar->ArrowSize();
    // Up arrow normal (frame 9), down arrow normal (13), the track (frame 1) between.
    EXPECT_EQ(ScreenPixel(bar->Window(), 8, 3), ArrowColour(9));
    EXPECT_EQ(ScreenPixel(bar->Window(), 8, geometry.length - 3), ArrowColour(13));
    EXPECT_EQ(ScreenPixel(bar->Window(), 8, geometry.length - arrow - 2), TrackColour(true, 1));
    EXPECT_EQ(bar->PartAtPoint({8, 2}), spFirstArrow);
    EXPECT_EQ(bar->PartAtPoint({8, geometry.thumbStart + 1}), spThumb);
    EXPECT_EQ(bar->PartAtPoint({8, geometry.thumbEnd + 2}), spPageAfter);
    EXPECT_EQ(bar->PartAtPoint({8, geometry.length - 1}), spSecondArrow);

    // The mouse over the down arrow makes it hot (frame 16).
    SendMessageW(bar->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(8, geometry.length - 4));
    EXPECT_EQ(bar->ActivePart(), spSecondArrow);
    EXPECT_EQ(ScreenPixel(bar->Window(), 8, geometry.length - 3), ArrowColour(16));
    SendMessageW(bar->Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(ScreenPixel(bar->Window(), 8, geometry.length - 3), ArrowColour(13));
}

// With the real mouse: each arrow and the thumb with its grip show the
// normal and hot frames of the skin's strip, and normal again once the
// mouse has gone. (Pressed frames are walked where a press can be held
// without the platform's tracking loop.)
TEST(ScrollSkinner, ArrowsThumbAndGripFollowTheRealMouse)
{
    MemoFixture f(ssVertical, 30);
    TWScrollbar* bar = f.skinner->VerticalBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->Showing());
    HWND window = bar->Window();
    ScrollBarGeometry geometry;
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    ASSERT_GT(geometry.thumbEnd - geometry.thumbStart, 20) << "the thumb must be long enough for its grip";
    struct Look {
        int up, down, thumb, grip;  // frames: arrows and grip of the Scrollbar strip, thumb of its own
    };
    auto screenOf = [&](int along) {
        POINT point{8, along};
        ClientToScreen(window, &point);
        return point;
    };
    const POINT away = [] {
        POINT point{630, 450};
        ClientToScreen(Stage()->Handle(), &point);
        return point;
    }();
    auto check = [&](const char* what, const Look& look) {
        auto pixels = [&] {
            bar->QueryGeometry(geometry);
            const int middle = (geometry.thumbStart + geometry.thumbEnd) / 2;
            return std::vector<COLORREF>{ScreenPixel(window, 8, 3), ScreenPixel(window, 8, geometry.length - 3),
                                         ScreenPixel(window, 2, geometry.thumbStart + 1), ScreenPixel(window, 8, middle)};
        };
        const std::vector<COLORREF> wanted{ArrowColour(look.up), ArrowColour(look.down), ThumbColour(true, look.thumb),
                                           ArrowColour(look.grip)};
        for (int i = 0; i < 300 && pixels() != wanted; ++i) Pump(10);
        const std::vector<COLORREF> shown = pixels();
        const char* parts[4] = {"up arrow", "down arrow", "thumb", "grip"};
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(shown[i], wanted[i]) << what << ": " << parts[i];
    };
    MouseTo(away);
    check("at rest", {9, 13, 1, 20});
    MouseTo(screenOf((geometry.thumbStart + geometry.thumbEnd) / 2));
    check("over the thumb", {9, 13, 3, 22});
    MouseTo(screenOf(3));
    check("over the up arrow", {12, 13, 1, 20});
    MouseTo(screenOf(geometry.length - 3));
    check("over the down arrow", {9, 16, 1, 20});
    // A quick click (press and release queued together): one line on, and
    // the arrow back to its hot look, no longer pressed.
    const int firstLine = f.FirstLine();
    MouseButton(true);
    MouseButton(false);
    for (int i = 0; i < 300 && f.FirstLine() == firstLine; ++i) Pump(10);
    EXPECT_EQ(f.FirstLine(), firstLine + 1);
    check("clicked on the down arrow", {9, 16, 1, 20});
    MouseTo(away);
    check("the mouse gone", {9, 13, 1, 20});
}

TEST(ScrollSkinner, KeyboardWheelAndProgrammaticScrollingKeepTheBarInStep)
{
    MemoFixture f;
    TWScrollbar* bar = f.skinner->VerticalBar();
    ASSERT_TRUE(bar && bar->Showing());

    SetFocus(f.Window());
    Keys({VK_NEXT});
    Keys({VK_NEXT});
    Pump(50);
    EXPECT_GT(f.FirstLine(), 0);
    ExpectInStep(*bar, "page down keys");

    SendMessageW(f.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 2)), 0);
    Pump();
    ExpectInStep(*bar, "wheel");

    SendMessageW(f.Window(), EM_LINESCROLL, 0, 40);
    Pump();
    ExpectInStep(*bar, "EM_LINESCROLL");

    // The platform says nothing when a bar is changed with SetScrollInfo.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = 5;
    SetScrollInfo(f.Window(), SB_VERT, &info, TRUE);
    Pump(400);
    ExpectInStep(*bar, "SetScrollInfo");

    // More content: a longer range and a shorter thumb.
    ScrollBarGeometry before;
    bar->QueryGeometry(before);
    f.memo->SetText(Lines(1000));
    Pump(50);
    ScrollBarGeometry after;
    bar->QueryGeometry(after);
    EXPECT_LT(after.thumbEnd - after.thumbStart, before.thumbEnd - before.thumbStart);
    ExpectInStep(*bar, "content grown");

    // Too little content for a bar: the platform hides its bar, so does the skinner.
    f.memo->SetText(Lines(2));
    Pump(50);
    SCROLLBARINFO platform{};
    platform.cbSize = sizeof platform;
    GetScrollBarInfo(f.Window(), OBJID_VSCROLL, &platform);
    if (platform.rgstate[0] & STATE_SYSTEM_INVISIBLE) {
        EXPECT_FALSE(bar->Showing());
    }
}

TEST(ScrollSkinner, DraggingTheThumbScrollsTheControlAndTheBarFollows)
{
    MemoFixture f;
    TWScrollbar* bar = f.skinner->VerticalBar();
    ASSERT_TRUE(bar && bar->Showing());
    ScrollBarGeometry geometry;
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    const POINT grab{geometry.bar.left + 8, geometry.bar.top + (geometry.thumbStart + geometry.thumbEnd) / 2};
    MouseTo(grab);
    Pump(30);
    // The whole drag is queued before the press is handled: the platform's
    // tracking runs inside it.
    MouseButton(true);
    for (int step = 1; step <= 6; ++step) MouseTo({grab.x, grab.y + step * 10});
    MouseButton(false);
    Pump(200);
    EXPECT_FALSE(bar->Pressed());
    EXPECT_GT(f.FirstLine(), 10);
    ExpectInStep(*bar, "after the drag");

    // Dragged far past the end, the thumb stops before the down arrow. The
    // button goes up below the screen's edge, outside every window of the
    // program, before the press has been handled: the release reaches
    // another program's window, and the tracking must end all the same.
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    const POINT again{geometry.bar.left + 8, geometry.bar.top + (geometry.thumbStart + geometry.thumbEnd) / 2};
    MouseTo(again);
    Pump(30);
    Watchdog dog(f.Window(), 50, 4000);
    MouseButton(true);
    MouseTo({again.x, again.y + 3000});
    MouseButton(false);
    Pump(600);
    EXPECT_FALSE(dog.ModalLoopEnded());
    EXPECT_FALSE(bar->Pressed());
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    EXPECT_LE(geometry.thumbEnd, geometry.length - bar->ArrowSize());
    ExpectInStep(*bar, "dragged past the end");

    // A click on the up arrow scrolls one line back.
    const int line = f.FirstLine();
    MouseTo({geometry.bar.left + 8, geometry.bar.top + 4});
    Pump(30);
    MouseButton(true);
    MouseButton(false);
    Pump(200);
    EXPECT_EQ(f.FirstLine(), line - 1);
    ExpectInStep(*bar, "arrow click");
}

TEST(ScrollSkinner, BordersFixedColourAndFreeingGiveEverythingBack)
{
    MemoFixture f(ssBoth);
    EXPECT_TRUE(f.skinner->Bordered());
    // A border of the shadow colour with a ring of the skin colour inside.
    UniqueWindowDc dc = UniqueWindowDc::Whole(f.Window());
    EXPECT_EQ(GetPixel(dc.get(), 0, 40), kShadow);
    EXPECT_EQ(GetPixel(dc.get(), 1, 40), kFace);
    TWScrollbar* horizontal = f.skinner->HorizontalBar();
    TWScrollbar* vertical = f.skinner->VerticalBar();
    ASSERT_TRUE(horizontal->Showing() && vertical->Showing());
    EXPECT_FALSE(horizontal->Vertical());
    ExpectInStep(*horizontal, "horizontal bar");
    HWND barWindow = vertical->Window();
    Free(f.skinner);
    EXPECT_FALSE(IsWindow(barWindow));
    EXPECT_EQ(f.memo->WindowProc(), f.memo->DefaultWindowProc());
}

// A scroll bar control reads its bar through messages to itself; the
// skinner must not answer each of them by reading the bar again, and a
// press on the drawn bar must hand the platform a press it can finish.
TEST(ScrollSkinner, AScrollBarControlIsDrawnWithoutRunawayAndPassesClicksKeysAndPositionsOn)
{
    TForm* form = Stage();
    auto* control = new TScrollBar(form);
    control->SetParent(form);
    control->SetKind(sbVertical);
    control->SetBounds(330, 20, 17, 150);
    control->SetPageSize(10);
    control->SetParams(30, 0, 100);
    control->SetLargeChange(10);
    control->HandleNeeded();
    HWND window = control->Handle();
    Watchdog dog(window, 8, 5000);
    auto* skinner = new TSkinScControl(control);
    skinner->AttachControl(nullptr, &Skin(), false, nullptr);
    Pump(20);
    EXPECT_FALSE(dog.RunawayStopped()) << "messages nested " << dog.DeepestNesting() << " deep";
    TWScrollbar* bar = skinner->Bar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->Showing());
    EXPECT_TRUE(bar->Vertical());
    ExpectInStep(*bar, "attached");

    // A click below the thumb pages down, in the control.
    ScrollBarGeometry geometry;
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    MouseTo({geometry.bar.left + 8, geometry.bar.top + geometry.thumbEnd + 5});
    Pump(30);
    MouseButton(true);
    MouseButton(false);
    Pump(200);
    EXPECT_EQ(control->Position(), 40);
    EXPECT_FALSE(bar->Pressed());
    ExpectInStep(*bar, "paged");

    // The thumb dragged with the mouse.
    ASSERT_TRUE(bar->QueryGeometry(geometry));
    const POINT grab{geometry.bar.left + 8, geometry.bar.top + (geometry.thumbStart + geometry.thumbEnd) / 2};
    MouseTo(grab);
    Pump(30);
    MouseButton(true);
    for (int step = 1; step <= 4; ++step) MouseTo({grab.x, grab.y + step * 5});
    MouseButton(false);
    Pump(200);
    EXPECT_GT(control->Position(), 40);
    ExpectInStep(*bar, "thumb dragged");

    // Keys on the focused control, and positions set by the program.
    control->SetFocus();
    Pump(20);
    const int before = control->Position();
    Keys({VK_DOWN});
    Pump(60);
    EXPECT_EQ(control->Position(), before + 1);
    ExpectInStep(*bar, "arrow key");
    control->SetPosition(0);
    Pump(20);
    ExpectInStep(*bar, "set by the program");
    control->SetParams(90, 0, 100);
    Pump(20);
    ExpectInStep(*bar, "parameters set by the program");

    // A press sent by a program, with no button down, is not handed to the
    // platform's tracking (which would wait for a release forever).
    SendMessageW(bar->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, geometry.length - 4));
    EXPECT_FALSE(bar->Pressed());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(dog.ModalLoopEnded());
    EXPECT_FALSE(dog.RunawayStopped()) << "messages nested " << dog.DeepestNesting() << " deep";
    EXPECT_LE(dog.DeepestNesting(), 4);
    Free(control);
    Pump();
}

TEST(ScrollSkinner, ScrollRequestsSentByAProgramLightNoArrow)
{
    MemoFixture f;
    TWScrollbar* bar = f.skinner->VerticalBar();
    ASSERT_TRUE(bar && bar->Showing());
    // The mouse is nowhere near the bar.
    MouseTo({5, 5});
    Pump(30);
    RECT client{};
    GetClientRect(bar->Window(), &client);
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    auto downArrow = [&] { return ScreenPixel(bar->Window(), client.right / 2, client.bottom - arrow / 2); };
    auto upArrow = [&] { return ScreenPixel(bar->Window(), client.right / 2, arrow / 2); };
    const struct {
        WPARAM request;
        const char* name;
    } requests[] = {{SB_LINEDOWN, "line down"}, {SB_PAGEDOWN, "page down"}, {SB_LINEUP, "line up"},
                    {MAKEWPARAM(SB_THUMBTRACK, 10), "thumb track"}, {SB_ENDSCROLL, "end"}};
    for (const auto& each : requests) {
        SendMessageW(f.Window(), WM_VSCROLL, each.request, 0);
        Pump(20);
        EXPECT_EQ(bar->ActivePart(), spNone) << each.name;
        // Both arrows keep their normal frames (9 up, 13 down).
        EXPECT_EQ(upArrow(), ArrowColour(9)) << each.name;
        EXPECT_EQ(downArrow(), ArrowColour(13)) << each.name;
    }
    // The mouse over the down arrow lights it; a program's request does not
    // move the light elsewhere.
    POINT over{client.right / 2, client.bottom - arrow / 2};
    ClientToScreen(bar->Window(), &over);
    MouseTo(over);
    Pump(50);
    EXPECT_EQ(bar->ActivePart(), spSecondArrow);
    EXPECT_EQ(downArrow(), ArrowColour(16));
    SendMessageW(f.Window(), WM_VSCROLL, SB_LINEUP, 0);
    Pump(20);
    EXPECT_EQ(bar->ActivePart(), spSecondArrow);
    EXPECT_EQ(upArrow(), ArrowColour(9));
    MouseTo({5, 5});
    Pump(50);
}

}  // namespace
}  // namespace quorvane
