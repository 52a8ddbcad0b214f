// Skinned controls walked through their states with the real mouse and
// keyboard, checked after every step: the pixels on the screen must be the
// frame the test skin's picture gives that state (never what a skinner
// says it painted), and a press must act only where it was released.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/input_controls.h"
#include "framework/media_player.h"
#include "framework/properties.h"
#include "framework/std_controls.h"
#include "framework/tab_controls.h"
#include "framework/buttons.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/check_skinners.h"
#include "skin/controls/edit_skinners.h"
#include "skin/controls/media_skinners.h"
#include "skin/controls/status_skinners.h"
#include "skin/controls/tab_skinners.h"
#include "tests/skin_controls/control_test_skin.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace controltest;

std::string Rgb(COLORREF c)
{
    std::ostringstream text;
    text << int(GetRValue(c)) << "," << int(GetGValue(c)) << "," << int(GetBValue(c));
    return text.str();
}

// Pumps until the condition holds or a generous deadline passes; whether it held.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        Pump();
        if (condition()) return true;
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(5);
    }
}

POINT OnScreen(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

// Somewhere on the stage's client area that holds no control of these tests.
POINT Elsewhere()
{
    return OnScreen(Stage()->Handle(), 620, 440);
}

// One step of a walk: what the user does, then the pixels expected.
struct Probe {
    int x, y;
    COLORREF colour;
    const char* part;
};
// `also`, when given, checks more than pixels: empty when it holds, else
// what is wrong.
struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<Probe> expect;
    std::function<std::string()> also = nullptr;
};

void Walk(HWND window, const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        if (step.act) step.act();
        WaitUntil([&] {
            for (const Probe& p : step.expect)
                if (ScreenPixel(window, p.x, p.y) != p.colour) return false;
            return !step.also || step.also().empty();
        });
        for (const Probe& p : step.expect)
            EXPECT_EQ(Rgb(ScreenPixel(window, p.x, p.y)), Rgb(p.colour)) << step.what << ": " << p.part;
        if (step.also) {
            EXPECT_EQ(step.also(), "") << step.what;
        }
    }
}

// How many pixels of a client rectangle have exactly this colour.
int CountColour(HWND window, const RECT& area, COLORREF colour)
{
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) == colour) ++count;
    ReleaseDC(window, dc);
    return count;
}

// A caption drawn in `ink` shows some of it; one drawn dimmed shows none.
std::function<std::string()> CaptionInk(HWND window, RECT area, COLORREF ink, bool shown)
{
    return [=] {
        const int count = CountColour(window, area, ink);
        if (shown && count == 0) return std::string("the caption is not in its font's colour");
        if (!shown && count > 0) return std::string("the caption of a disabled control is in its font's colour");
        return std::string();
    };
}

TEST(ControlStates, PushButtonFramesFollowTheMouseAndTheFocus)
{
    auto* button = PlaceOnStage<TButton>(20, 380, 100, 30);
    auto* other = PlaceOnStage<TButton>(140, 380, 100, 30);
    button->SetCaption("Go");
    other->SetCaption("Other");
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    button->HandleNeeded();
    other->HandleNeeded();
    auto* skinner = SkinOf<TSkinButton>(button);
    auto* otherSkinner = SkinOf<TSkinButton>(other);
    HWND window = button->Handle();
    other->SetFocus();
    MouseTo(Elsewhere());
    const POINT centre = OnScreen(window, 50, 15);
    auto at = [](COLORREF c) { return std::vector<Probe>{{4, 4, c, "frame"}, {95, 26, c, "far corner"}}; };
    int clicksBefore = 0;
    Walk(window, {
        {"at rest", nullptr, at(ButtonColour(1))},
        {"mouse over", [&] { MouseTo(centre); }, at(ButtonColour(4))},
        {"mouse gone", [&] { MouseTo(Elsewhere()); }, at(ButtonColour(1))},
        {"mouse over the other button", [&] { MouseTo(OnScreen(other->Handle(), 50, 15)); }, at(ButtonColour(1))},
        {"back over", [&] { MouseTo(centre); }, at(ButtonColour(4))},
        {"pressed", [&] { MouseButton(true); }, at(ButtonColour(2))},
        {"dragged off while held", [&] { MouseTo(Elsewhere()); }, at(ButtonColour(5))},
        {"released elsewhere", [&] { clicksBefore = clicks; MouseButton(false); }, at(ButtonColour(5))},
        // Two presses apart by more than the double-click time: two clicks.
        {"over again", [&] { MouseTo(centre); WaitUntil([] { return false; }, static_cast<int>(GetDoubleClickTime()) + 50); },
         at(ButtonColour(4))},
        {"pressed in place", [&] { MouseButton(true); }, at(ButtonColour(2))},
        {"released in place", [&] { MouseButton(false); }, at(ButtonColour(4))},
        {"left, focused", [&] { MouseTo(Elsewhere()); }, at(ButtonColour(5))},
        {"focus moved away by Tab", [&] { Keys({VK_TAB}); }, at(ButtonColour(1))},
        {"disabled", [&] { button->SetEnabled(false); }, at(ButtonColour(3))},
        {"mouse over while disabled", [&] { MouseTo(centre); }, at(ButtonColour(3))},
        {"enabled under the mouse", [&] { button->SetEnabled(true); MouseTo(Elsewhere()); }, at(ButtonColour(1))},
    });
    EXPECT_EQ(clicksBefore, 0) << "a press released off the button clicked it";
    WaitUntil([&] { return clicks == 1; });
    EXPECT_EQ(clicks, 1);
    skinner->Detach();
    otherSkinner->Detach();
    Free(skinner);
    Free(otherSkinner);
    Free(button);
    Free(other);
    Pump();
}

TEST(ControlStates, TabsShowCurrentHotAndNormalFramesAndLoseHotWhenTheMouseLeaves)
{
    auto* pages = PlaceOnStage<TPageControl>(20, 20, 280, 150);
    for (const char* caption : {"First", "Second", "Third"}) {
        auto* sheet = new TTabSheet(Stage());
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
    }
    pages->HandleNeeded();
    pages->SetActivePageIndex(0);
    Stage()->SetFocus();
    auto* skinner = SkinOf<TSkinTab>(pages);
    HWND window = pages->Handle();
    RECT tabs[3]{};
    for (int i = 0; i < 3; ++i) SendMessageW(window, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tabs[i]));
    auto centre = [&](int i) { return OnScreen(window, (tabs[i].left + tabs[i].right) / 2, (tabs[i].top + tabs[i].bottom) / 2); };
    // The top edge of each tab, clear of its text.
    auto shows = [&](int current, int hot) {
        std::vector<Probe> probes;
        static const char* names[3] = {"tab 0", "tab 1", "tab 2"};
        for (int i = 0; i < 3; ++i) {
            const int frame = i == current ? 2 : i == hot ? 3 : 1;
            probes.push_back({tabs[i].left + 4, tabs[i].top + 1, TabColour(frame), names[i]});
        }
        return probes;
    };
    MouseTo(Elsewhere());
    Walk(window, {
        {"at rest", nullptr, shows(0, -1)},
        {"over the second tab", [&] { MouseTo(centre(1)); }, shows(0, 1)},
        {"over the third tab", [&] { MouseTo(centre(2)); }, shows(0, 2)},
        {"over the current tab", [&] { MouseTo(centre(0)); }, shows(0, -1)},
        {"over the third again", [&] { MouseTo(centre(2)); }, shows(0, 2)},
        {"into the page", [&] { MouseTo(OnScreen(window, 140, 100)); }, shows(0, -1)},
        {"over the second again", [&] { MouseTo(centre(1)); }, shows(0, 1)},
        {"off the control", [&] { MouseTo(Elsewhere()); }, shows(0, -1)},
        {"page turned by the program", [&] { pages->SetActivePageIndex(2); }, shows(2, -1)},
        {"over the first", [&] { MouseTo(centre(0)); }, shows(2, 0)},
        {"off again", [&] { MouseTo(Elsewhere()); }, shows(2, -1)},
    });
    skinner->Detach();
    Free(skinner);
    Free(pages);
    Pump();
}

// Close boxes free the page at the tab's position: hidden sheets have no
// tab and never count.
TEST(ControlStates, ATabsCloseBoxFreesThePageAtItsPositionPassingHiddenSheets)
{
    struct Row {
        std::vector<bool> visible;  // per sheet
        int tab;                    // the tab whose close box is clicked
        const char* freed;
    };
    const Row rows[] = {
        {{true, true, true}, 1, "B"},
        {{true, false, true}, 1, "C"},
        {{false, true, true}, 0, "B"},
        {{false, false, true}, 0, "C"},
        {{true, false, true, true}, 2, "D"},
    };
    for (const Row& row : rows) {
        auto* pages = PlaceOnStage<TPageControl>(20, 20, 300, 150);
        pages->SetTag(7777);
        std::vector<TTabSheet*> sheets;
        const char* names[] = {"A", "B", "C", "D"};
        for (size_t i = 0; i < row.visible.size(); ++i) {
            auto* sheet = new TTabSheet(Stage());
            sheet->SetPageControl(pages);
            sheet->SetCaption(names[i]);
            sheet->SetTabVisible(row.visible[i]);
            sheets.push_back(sheet);
        }
        pages->HandleNeeded();
        auto* skinner = SkinOf<TSkinTab>(pages);
        HWND window = pages->Handle();
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT tab{};
        SendMessageW(window, TCM_GETITEMRECT, row.tab, reinterpret_cast<LPARAM>(&tab));
        const int before = pages->PageCount();
        MouseTo(OnScreen(window, tab.right - 5, tab.top + 5));
        WaitUntil([&] { return false; }, 40);
        MouseButton(true);
        MouseButton(false);
        WaitUntil([&] { return pages->PageCount() == before - 1; });
        ASSERT_EQ(pages->PageCount(), before - 1) << "clicked the close box of tab " << row.tab;
        std::string left;
        for (int i = 0; i < pages->PageCount(); ++i) left += pages->Pages(i)->Caption();
        std::string expected;
        for (size_t i = 0; i < row.visible.size(); ++i)
            if (std::string(names[i]) != row.freed) expected += names[i];
        EXPECT_EQ(left, expected) << "clicked the close box of tab " << row.tab;
        skinner->Detach();
        Free(skinner);
        Free(pages);
        Pump();
    }
}

// An up-down's two arrows each show the state of their own half: the one
// under the mouse hot or pressed, the other normal, both disabled when the
// control is.
TEST(ControlStates, SpinArrowsShowTheStateOfTheirOwnHalf)
{
    for (bool horizontal : {false, true}) {
        auto* spin = PlaceOnStage<TUpDown>(340, 20, horizontal ? 40 : 20, horizontal ? 20 : 40);
        if (horizontal) spin->SetOrientation(udHorizontal);
        spin->SetMax(1000);
        spin->SetPosition(500);
        spin->HandleNeeded();
        auto* skinner = SkinOf<TSkinUpDown>(spin);
        HWND window = spin->Handle();
        RECT client{};
        GetClientRect(window, &client);
        const bool vertical = !horizontal;
        // Halves: up/left first, down/right second; probes near each half's middle.
        const POINT first = horizontal ? POINT{client.right / 4, client.bottom / 2} : POINT{client.right / 2, client.bottom / 4};
        const POINT second = horizontal ? POINT{client.right * 3 / 4, client.bottom / 2}
                                        : POINT{client.right / 2, client.bottom * 3 / 4};
        auto shows = [&](int a, int b) {
            return std::vector<Probe>{{first.x, first.y, UpDownColour(vertical, a), "first arrow"},
                                      {second.x, second.y, UpDownColour(vertical, b + 4), "second arrow"}};
        };
        const int start = spin->Position();
        MouseTo(Elsewhere());
        Walk(window, {
            {"at rest", nullptr, shows(1, 1)},
            {"over the first", [&] { MouseTo(OnScreen(window, first.x, first.y)); }, shows(4, 1)},
            {"over the second", [&] { MouseTo(OnScreen(window, second.x, second.y)); }, shows(1, 4)},
            {"second pressed", [&] { MouseButton(true); }, shows(1, 2)},
            {"second released", [&] { MouseButton(false); }, shows(1, 4)},
            {"back over the first", [&] { MouseTo(OnScreen(window, first.x, first.y)); }, shows(4, 1)},
            {"first pressed", [&] { MouseButton(true); }, shows(2, 1)},
            {"first released", [&] { MouseButton(false); }, shows(4, 1)},
            {"mouse gone", [&] { MouseTo(Elsewhere()); }, shows(1, 1)},
            {"disabled", [&] { spin->SetEnabled(false); }, shows(3, 3)},
            {"enabled", [&] { spin->SetEnabled(true); }, shows(1, 1)},
        });
        // One step each way: back where it began.
        EXPECT_EQ(spin->Position(), start) << (horizontal ? "horizontal" : "vertical");
        skinner->Detach();
        Free(skinner);
        Free(spin);
        Pump();
    }
}

// The last panel of a status bar reaches the bar's right edge, with or
// without a size grip and whatever the panels' widths.
TEST(ControlStates, TheLastStatusPanelReachesTheRightEdge)
{
    struct Row {
        std::vector<int> widths;
        bool grip;
    };
    const Row rows[] = {{{80, 60}, false}, {{80, 60}, true}, {{120}, true}, {{50, 50, 50}, false}, {{200, 300}, true}};
    for (const Row& row : rows) {
        auto* bar = PlaceOnStage<TStatusBar>(0, 0, 400, 22);
        bar->SetAlign(alBottom);
        bar->SetSizeGrip(row.grip);
        for (int width : row.widths) {
            TStatusPanel* panel = bar->Panels()->Add();
            panel->SetWidth(width);
            panel->SetText("p");
        }
        bar->HandleNeeded();
        auto* skinner = SkinOf<TSkinStatusBar>(bar);
        HWND window = bar->Handle();
        RECT client{};
        GetClientRect(window, &client);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const size_t n = row.widths.size();
        const int y = client.bottom / 3;
        std::vector<Probe> probes{{client.right - 1, y, EdgeColour(1), "right edge"},
                                  {client.right - 2, y, EdgeColour(1), "the frame's right margin"},
                                  {client.right - 12, client.bottom / 2, EdgeColour(1), "inside near the right"}};
        // Every panel's top edge has the lowered frame.
        int x = 0;
        for (size_t i = 0; i + 1 < n; ++i) {
            probes.push_back({x + 1, y, EdgeColour(1), "a panel's left edge"});
            x += row.widths[i];
        }
        std::ostringstream what;
        what << n << " panels" << (row.grip ? " with a grip" : "");
        Walk(window, {{what.str().c_str(), nullptr, probes}});
        skinner->Detach();
        Free(skinner);
        Free(bar);
        Pump();
    }
}

// A status bar made by a program without the framework, its parts given
// explicit right edges that stop short of the bar's end: the last part is
// still drawn to the right edge.
TEST(ControlStates, TheLastPartOfABareStatusBarReachesTheRightEdge)
{
    struct Row {
        std::vector<int> edges;
        DWORD style;
    };
    const Row rows[] = {{{80, 160, 240}, 0}, {{100, 200}, SBARS_SIZEGRIP}, {{150}, 0}};
    for (const Row& row : rows) {
        HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | row.style,
                                   0, 300, 400, 22, Stage()->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(bar, nullptr);
        SendMessageW(bar, SB_SETPARTS, row.edges.size(), reinterpret_cast<LPARAM>(row.edges.data()));
        auto* skinner = new TSkinStatusBar(Stage());
        skinner->AttachHandle(bar, &Skin(), nullptr, nullptr);
        RECT client{};
        GetClientRect(bar, &client);
        RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const int y = client.bottom / 3;
        std::ostringstream what;
        what << row.edges.size() << " bare parts, the last ending at " << row.edges.back();
        Walk(bar, {{what.str().c_str(), nullptr,
                    {{client.right - 1, y, EdgeColour(1), "right edge"},
                     {(row.edges.back() + client.right) / 2, y, EdgeColour(1), "between the last edge and the bar's end"},
                     {row.edges.front() / 2, y, EdgeColour(1), "the first part"}}}});
        Free(skinner);
        DestroyWindow(bar);
        Pump();
    }
}

// The drawn media bar: a button shows pressed while held, and acts only
// when the mouse is released over the button that went down.
TEST(ControlStates, MediaButtonsActOnlyWhenReleasedOverThePressedButton)
{
    auto* player = PlaceOnStage<TMediaPlayer>(340, 100, 270, 30);
    std::vector<TMPBtnType> clicked;
    player->OnClick = [&](TObject*, TMPBtnType button, bool& doDefault) {
        clicked.push_back(button);
        doDefault = false;
    };
    player->SetAutoEnable(false);
    SetSetPropText(player, "EnabledButtons", "[btPlay,btPause,btStop,btNext,btPrev,btStep,btBack,btRecord,btEject]");
    player->HandleNeeded();
    auto* skinner = SkinOf<TSkinMP>(player);
    TWMediaPlayer* bar = skinner->Bar();
    ASSERT_NE(bar, nullptr);
    HWND window = bar->Window();
    WaitUntil([&] { return IsWindowVisible(window) && bar->ButtonWidth() == 30; });
    ASSERT_EQ(bar->ButtonWidth(), 30);
    auto over = [&](int button) { return OnScreen(window, button * 30 + 15, 15); };
    auto cells = [&](int pressed) {
        std::vector<Probe> probes;
        for (int b : {mbPlay, mbPause, mbStop})
            probes.push_back({b * 30 + 1, 1, ButtonColour(b == pressed ? 2 : 1), b == mbPlay ? "play" : b == mbPause ? "pause" : "stop"});
        return probes;
    };
    MouseTo(Elsewhere());
    Walk(window, {
        {"at rest", nullptr, cells(-1)},
        {"play pressed", [&] { MouseTo(over(mbPlay)); WaitUntil([] { return false; }, 30); MouseButton(true); }, cells(mbPlay)},
        {"moved to stop and released", [&] { MouseTo(over(mbStop)); WaitUntil([] { return false; }, 30); MouseButton(false); }, cells(-1)},
    });
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(clicked.empty()) << "released over another button, yet button " << (clicked.empty() ? -1 : clicked.front())
                                 << " acted";
    Walk(window, {
        {"pause pressed", [&] { MouseTo(over(mbPause)); WaitUntil([] { return false; }, 30); MouseButton(true); }, cells(mbPause)},
        {"released in place", [&] { MouseButton(false); }, cells(-1)},
        {"stop pressed", [&] { MouseTo(over(mbStop)); WaitUntil([] { return false; }, 30); MouseButton(true); }, cells(mbStop)},
        {"released off the bar", [&] { MouseTo(Elsewhere()); WaitUntil([] { return false; }, 30); MouseButton(false); }, cells(-1)},
    });
    WaitUntil([&] { return !clicked.empty(); });
    EXPECT_EQ(clicked, (std::vector<TMPBtnType>{btPause}));
    skinner->Detach();
    Free(skinner);
    Free(player);
    Pump();
}

// Check boxes, radio buttons and a group box drawn from the skin's strips:
// the box in the strip's frame for checked, unchecked and disabled, after
// clicks, the space key and the program's changes; captions dimmed when
// disabled; the radio that loses its check drawn again.
TEST(ControlStates, CheckRadioAndGroupBoxesFollowClicksKeysAndEnabling)
{
    constexpr COLORREF kInk = RGB(200, 0, 0);
    auto* check = PlaceOnStage<TCheckBox>(340, 240, 140, 20);
    auto* radioA = PlaceOnStage<TRadioButton>(340, 270, 120, 20);
    auto* radioB = PlaceOnStage<TRadioButton>(340, 300, 120, 20);
    auto* group = PlaceOnStage<TGroupBox>(480, 240, 140, 90);
    check->SetCaption("Check me");
    radioA->SetCaption("First");
    radioB->SetCaption("Second");
    group->SetCaption("Group");
    for (TWinControl* control : std::initializer_list<TWinControl*>{check, radioA, radioB, group}) {
        control->Font()->SetColor(static_cast<TColor>(kInk));
        control->HandleNeeded();
    }
    auto* checkSkinner = SkinOf<TSkinCheckBox>(check);
    auto* radioSkinnerA = SkinOf<TSkinRadioButton>(radioA);
    auto* radioSkinnerB = SkinOf<TSkinRadioButton>(radioB);
    auto* groupSkinner = SkinOf<TSkinGroupBox>(group);
    Stage()->SetFocus();
    MouseTo(Elsewhere());
    // The box: 13 pixels square at the left, centred in the height.
    auto box = [](COLORREF colour) { return std::vector<Probe>{{6, 10, colour, "box"}, {1, 5, colour, "box corner"}}; };
    const RECT captionArea{16, 0, 140, 20};
    HWND checkWindow = check->Handle();
    Walk(checkWindow, {
        {"check box at rest", nullptr, box(CheckColour(1)), CaptionInk(checkWindow, captionArea, kInk, true)},
        {"clicked", [&] { MouseTo(OnScreen(checkWindow, 6, 10)); MouseButton(true); MouseButton(false); }, box(CheckColour(2))},
        {"space pressed", [&] { Keys({VK_SPACE}); }, box(CheckColour(1))},
        {"space again", [&] { Keys({VK_SPACE}); }, box(CheckColour(2))},
        {"disabled", [&] { check->SetEnabled(false); }, box(CheckColour(4)), CaptionInk(checkWindow, captionArea, kInk, false)},
        {"unchecked while disabled", [&] { check->SetChecked(false); }, box(CheckColour(3))},
        {"enabled", [&] { check->SetEnabled(true); }, box(CheckColour(1)), CaptionInk(checkWindow, captionArea, kInk, true)},
    });
    EXPECT_FALSE(check->Checked());

    HWND a = radioA->Handle(), b = radioB->Handle();
    auto radios = [&](int first, int second) {
        return std::function<std::string()>([=] {
            std::string wrong;
            if (ScreenPixel(a, 6, 10) != RadioColour(first)) wrong += "first radio " + Rgb(ScreenPixel(a, 6, 10)) + "; ";
            if (ScreenPixel(b, 6, 10) != RadioColour(second)) wrong += "second radio " + Rgb(ScreenPixel(b, 6, 10));
            return wrong;
        });
    };
    Walk(a, {
        {"radios at rest", nullptr, {}, radios(1, 1)},
        {"first clicked", [&] { MouseTo(OnScreen(a, 6, 10)); MouseButton(true); MouseButton(false); }, {}, radios(2, 1)},
        {"second clicked", [&] { MouseTo(OnScreen(b, 6, 10)); MouseButton(true); MouseButton(false); }, {}, radios(1, 2)},
        {"first disabled", [&] { radioA->SetEnabled(false); }, {}, radios(3, 2)},
        {"first checked by the program while disabled", [&] { radioA->SetChecked(true); }, {}, radios(4, 1)},
        {"first enabled", [&] { radioA->SetEnabled(true); }, {}, radios(2, 1)},
    });
    EXPECT_TRUE(radioA->Checked());
    EXPECT_FALSE(radioB->Checked());

    // The group's frame in the skin's shadow colour, its caption dimmed with it.
    HWND g = group->Handle();
    RECT groupClient{};
    GetClientRect(g, &groupClient);
    const std::vector<Probe> frame{{1, 50, kShadow, "left line"},
                                   {groupClient.right - 2, 50, kShadow, "right line"},
                                   {70, groupClient.bottom - 2, kShadow, "bottom line"}};
    const RECT groupCaption{6, 0, 80, 16};
    MouseTo(Elsewhere());
    Walk(g, {
        {"group box", nullptr, frame, CaptionInk(g, groupCaption, kInk, true)},
        {"group box disabled", [&] { group->SetEnabled(false); }, frame, CaptionInk(g, groupCaption, kInk, false)},
        {"group box enabled", [&] { group->SetEnabled(true); }, frame, CaptionInk(g, groupCaption, kInk, true)},
    });
    for (TSkinControl* skinner : std::initializer_list<TSkinControl*>{checkSkinner, radioSkinnerA, radioSkinnerB, groupSkinner}) {
        skinner->Detach();
        Free(skinner);
    }
    Free(check);
    Free(radioA);
    Free(radioB);
    Free(group);
    Pump();
}

// A speed button has no window: the skin draws it on its parent, following
// the mouse that the framework reports entering and leaving it.
// A skinner that gives a box the skin's face gives the control its own
// colour back when it lets go: on screen and in the property, for every
// kind of box, and only then.
TEST(ControlStates, BoxesWearTheSkinsFaceWhileSkinnedAndTheirOwnColourAfter)
{
    const COLORREF own = RGB(30, 160, 90);
    struct Row {
        const char* what;
        std::function<TWinControl*()> make;
    };
    const Row rows[] = {
        {"panel", [] { return static_cast<TWinControl*>(PlaceOnStage<TPanel>(300, 300, 120, 60)); }},
        {"group box", [] { return static_cast<TWinControl*>(PlaceOnStage<TGroupBox>(300, 300, 120, 60)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TWinControl* box = row.make();
        box->SetColor(static_cast<TColor>(own));
        box->HandleNeeded();
        HWND window = box->Handle();
        auto* skinner = new TSkinBox(box);
        skinner->AttachControl(nullptr, &Skin(), true, nullptr);
        const std::vector<Probe> inside{{60, 40, kFace, "inside"}};
        Walk(window, {{"skinned", [&] { box->Invalidate(); }, inside}});
        EXPECT_EQ(static_cast<COLORREF>(box->Color()), kFace);
        skinner->Detach();
        Walk(window, {{"let go", [&] { box->Invalidate(); }, {{60, 40, own, "inside"}}}});
        EXPECT_EQ(static_cast<COLORREF>(box->Color()), own) << "the skin's face stayed on the control";
        Free(skinner);
        Free(box);
        Pump();
    }
}

TEST(ControlStates, SpeedButtonFramesFollowTheMouse)
{
    TForm* form = Stage();
    auto* button = new TSpeedButton(form);
    button->SetParent(form);
    button->SetBounds(340, 160, 90, 28);
    button->SetCaption("Speed");
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    auto* skinner = new TSkinSpeedButton(button);
    skinner->AttachGraphic(nullptr, &Skin(), nullptr);
    HWND window = form->Handle();
    const POINT centre = OnScreen(window, 385, 174);
    auto at = [](COLORREF c) { return std::vector<Probe>{{343, 163, c, "frame"}, {427, 185, c, "far corner"}}; };
    MouseTo(Elsewhere());
    Walk(window, {
        {"at rest", [&] { button->Invalidate(); }, at(ButtonColour(1))},
        {"mouse over", [&] { MouseTo(centre); }, at(ButtonColour(4))},
        {"mouse gone", [&] { MouseTo(Elsewhere()); }, at(ButtonColour(1))},
        {"over again", [&] { MouseTo(centre); }, at(ButtonColour(4))},
        {"pressed", [&] { MouseButton(true); }, at(ButtonColour(2))},
        {"released", [&] { MouseButton(false); }, at(ButtonColour(4))},
        {"left", [&] { MouseTo(Elsewhere()); }, at(ButtonColour(1))},
        {"disabled", [&] { button->SetEnabled(false); }, at(ButtonColour(3))},
        {"enabled", [&] { button->SetEnabled(true); }, at(ButtonColour(1))},
    });
    WaitUntil([&] { return clicks == 1; });
    EXPECT_EQ(clicks, 1);
    Free(button);
    Pump();
}

}  // namespace
}  // namespace quorvane
