// States the skinners must draw and places their drawn windows must keep:
// a push button's pushed look set by a program and its hot look, a track
// bar thumb that another window covers, the buttons of a bare dialog by
// their type, and a date picker's arrow after a resize.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/input_controls.h"
#include "framework/std_controls.h"
#include "framework/com_controls.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/edit_skinners.h"
#include "skin/controls/status_skinners.h"
#include "skin/controls/tab_skinners.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "tests/skin_controls/control_test_skin.h"
#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace controltest;

POINT ScreenOf(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 3000)
{
    const DWORD end = GetTickCount() + limitMs;
    while (!condition()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Pump(10);
    }
    return true;
}

TEST(ButtonSkinner, ThePushedLookSetByAProgramAndTheHotLookAreDrawnFromTheSkin)
{
    auto* button = PlaceOnStage<TButton>(20, 300, 90, 28);
    button->SetCaption("Press");
    button->HandleNeeded();
    MouseTo({5, 5});
    Pump(20);
    auto* skinner = new TSkinButton(button);
    skinner->AttachControl(nullptr, &Skin(), false, nullptr);
    Pump(30);
    HWND window = button->Handle();
    // A pixel of the Buttons element's frame, away from the caption.
    auto frameShown = [&] { return ScreenPixel(window, 2, 2); };
    const struct {
        const char* step;
        std::function<void()> act;
        int frame;
    } steps[] = {
        {"at rest", [] {}, bfNormal},
        {"pushed by BM_SETSTATE", [&] { SendMessageW(window, BM_SETSTATE, TRUE, 0); }, bfPressed},
        {"released by BM_SETSTATE", [&] { SendMessageW(window, BM_SETSTATE, FALSE, 0); }, bfNormal},
        {"mouse over it", [&] { MouseTo(ScreenOf(window, 45, 14)); }, bfHot},
        {"pushed while hot", [&] { SendMessageW(window, BM_SETSTATE, TRUE, 0); }, bfPressed},
        {"released while hot", [&] { SendMessageW(window, BM_SETSTATE, FALSE, 0); }, bfHot},
        {"mouse gone", [&] { MouseTo({5, 5}); }, bfNormal},
    };
    for (const auto& each : steps) {
        each.act();
        const bool shown = WaitFor([&] { return frameShown() == ButtonColour(each.frame); });
        EXPECT_TRUE(shown) << each.step << ": frame " << each.frame << " expected, shown " << std::hex << frameShown();
    }
    Free(button);
    Pump();
}

TEST(TrackBarSkinner, AThumbUnderAnotherWindowIsNotHot)
{
    auto* bar = PlaceOnStage<TTrackBar>(140, 300, 160, 32);
    bar->SetRange(0, 20);
    bar->SetPosition(10);
    bar->HandleNeeded();
    MouseTo({5, 5});
    Pump(20);
    auto* skinner = new TSkinTrackBar(bar);
    skinner->AttachControl(nullptr, &Skin(), false, nullptr);
    Pump(30);
    HWND window = bar->Handle();
    RECT thumb{};
    SendMessageW(window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const POINT middle{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};

    // The thumb as shown (ticks below: the thumb that points down).
    ASSERT_EQ(skinner->ThumbElement(), Skin().TrackbarThumbDown.get());
    auto thumbShown = [&] { return ScreenPixel(window, thumb.right - 2, middle.y); };
    // The real mouse on the thumb: hot.
    MouseTo(ScreenOf(window, middle.x, middle.y));
    EXPECT_TRUE(WaitFor([&] { return thumbShown() == TrackbarThumbColour(5, 4); }));
    MouseTo({5, 5});
    Pump(30);

    // A window over the thumb's left half (one that takes the mouse: a
    // static control would let it through), the cursor on that window; a
    // mouse move the track bar is given there does not make it hot.
    RECT cover{thumb.left, thumb.top, middle.x + 1, thumb.bottom};
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&cover), 2);
    HWND lid = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"EDIT", L"", WS_POPUP | WS_VISIBLE, cover.left,
                               cover.top, cover.right - cover.left, cover.bottom - cover.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(lid, nullptr);
    Pump(30);
    const POINT covered{thumb.left + 1, middle.y};
    MouseTo(ScreenOf(window, covered.x, covered.y));
    Pump(30);
    ASSERT_EQ(WindowFromPoint(ScreenOf(window, covered.x, covered.y)), lid);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(covered.x, covered.y));
    Pump(50);
    // The uncovered half shows the thumb's normal frame, not the hot one.
    EXPECT_EQ(thumbShown(), TrackbarThumbColour(5, 2));
    DestroyWindow(lid);
    MouseTo({5, 5});
    Free(bar);
    Pump();
}

TEST(DialogButtons, EachButtonTypeOfABareDialogGetsTheSkinnerOfItsKind)
{
    TForm* stage = Stage();
    auto* engine = new TWinSkinForm(stage);
    engine->SetWindow(stage->Handle());
    engine->AttachForm(&Skin(), stage);
    const struct {
        DWORD type;
        const char* name;
        const char* skinner;  // empty: keeps its own look
    } cases[] = {
        {BS_PUSHBUTTON, "push button", "TSkinButton"},
        {BS_DEFPUSHBUTTON, "default push button", "TSkinButton"},
        {BS_CHECKBOX, "check box", "TSkinCheckBox"},
        {BS_AUTOCHECKBOX, "auto check box", "TSkinCheckBox"},
        {BS_RADIOBUTTON, "radio button", "TSkinRadioButton"},
        {BS_3STATE, "three-state box", "TSkinCheckBox"},
        {BS_AUTO3STATE, "auto three-state box", "TSkinCheckBox"},
        {BS_GROUPBOX, "group box", ""},
        {BS_USERBUTTON, "user button", "TSkinButton"},
        {BS_AUTORADIOBUTTON, "auto radio button", "TSkinRadioButton"},
        {BS_PUSHBOX, "push box", "TSkinButton"},
        {BS_OWNERDRAW, "owner-drawn button", ""},
        {0xC, "split button", ""},
        {0xD, "default split button", ""},
        {0xE, "command link", ""},
        {0xF, "default command link", ""},
        {BS_AUTOCHECKBOX | BS_LEFTTEXT, "check box with its text at the left", "TSkinCheckBox"},
        {BS_PUSHBUTTON | BS_BITMAP, "picture button", ""},
    };
    std::vector<HWND> made;
    for (const auto& each : cases) {
        HWND button = CreateWindowExW(0, L"BUTTON", L"B", WS_CHILD | each.type, 10, 10, 60, 20, stage->Handle(), nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(button, nullptr) << each.name;
        made.push_back(button);
        SkinChildWindow(engine, button);
        TSkinControl* skinner = engine->FindSkinner(button);
        EXPECT_EQ(skinner ? skinner->ClassName() : std::string(), each.skinner) << each.name;
    }
    engine->FreeSkinners();
    for (HWND button : made) DestroyWindow(button);
    Free(engine);
    Pump();
}

TEST(DateTimeSkinner, TheArrowFollowsAResizeAndAClickOnItOpensTheCalendar)
{
    auto* picker = PlaceOnStage<TDateTimePicker>(320, 300, 140, 24);
    picker->HandleNeeded();
    auto* skinner = new TSkinDateTime(picker);
    skinner->AttachControl(nullptr, &Skin(), false, nullptr);
    Pump(30);
    ASSERT_NE(skinner->Arrow(), nullptr);
    HWND window = picker->Handle();
    HWND arrow = skinner->Arrow()->Window();
    const int size = GetSystemMetrics(SM_CXHSCROLL);
    auto arrowLeft = [&] {
        RECT rect{};
        GetWindowRect(arrow, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return rect.left;
    };
    for (const int width : {140, 260, 120}) {
        picker->SetBounds(320, 300, width, 24);
        Pump(30);
        RECT outer{};
        GetWindowRect(window, &outer);
        EXPECT_EQ(arrowLeft(), (outer.right - outer.left) - size - 4) << "width " << width;
    }
    // The arrow lies over the picker's own button: a click on it opens the
    // calendar.
    RECT rect{};
    GetClientRect(arrow, &rect);
    MouseTo(ScreenOf(arrow, rect.right / 2, rect.bottom / 2));
    Pump(30);
    MouseButton(true);
    MouseButton(false);
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(window, DTM_GETMONTHCAL, 0, 0) != 0; }));
    Keys({VK_ESCAPE});
    WaitFor([&] { return SendMessageW(window, DTM_GETMONTHCAL, 0, 0) == 0; });
    MouseTo({5, 5});
    Free(picker);
    Pump();
}

// A second skin: button texts in a colour per state, and a combo button
// without a sunken edge, so the date picker's arrow is cut from it.
constexpr COLORREF kNormalInk = RGB(0, 0, 255);
constexpr COLORREF kHotInk = RGB(0, 160, 0);
constexpr COLORREF kPressedInk = RGB(255, 255, 0);

TSkinData& InkSkin()
{
    static TSkinData* skin = [] {
        auto strip = [](int frames, int w, int h, COLORREF (*colour)(int)) {
            return test::MakeBmp(w * frames, h, 24, [=](int x, int) { return colour(x / w + 1); });
        };
        std::vector<PackageMember> members{{"buttons.bmp", strip(5, 20, 20, ButtonColour)},
                                           {"combo.bmp", strip(4, 17, 21, ComboColour)}};
        const std::string ini =
            "[TitlebarSkin]\nSkinName=Inks\n\n[Buttons]\nBitmap=buttons.bmp\nLeftWidth=3\nTopHeight=3\nRightWidth=3\n"
            "BottomHeight=3\nTrans=0\nTile=0\nNormalColour2=0,0,255\nMouseOverColour2=0,160,0\nPressedColour2=255,255,0\n\n"
            "[ComboButton]\nImage=combo.bmp\nFrame=4\nLeftWidth=3\nTopHeight=3\nRightWidth=3\nBottomHeight=3\nTrans=0\nTile=0\n\n";
        auto* data = new TSkinData(nullptr);
        data->SetPackage(test::MakePackage(ini, members));
        data->SetSkinControls(kDefaultSkinControls);
        return data;
    }();
    return *skin;
}

int Distance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) + std::abs(GetBValue(a) - GetBValue(b));
}

// Pixels of the area drawn in the ink: smoothed text blends it with the
// ground, so a pixel counts when the ink is the nearest of the ground (the
// area's commonest colour), the ground inverted (a focus rectangle) and
// the three state inks.
int InkCount(HWND window, const RECT& area, COLORREF ink)
{
    std::map<COLORREF, int> counts;
    HDC dc = GetDC(window);
    std::vector<COLORREF> pixels;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            pixels.push_back(GetPixel(dc, x, y));
            ++counts[pixels.back()];
        }
    ReleaseDC(window, dc);
    COLORREF ground = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) most = count, ground = colour;
    const COLORREF others[] = {ground, ground ^ 0xFFFFFF, kNormalInk, kHotInk, kPressedInk};
    int count = 0;
    for (COLORREF c : pixels) {
        bool nearest = true;
        for (COLORREF other : others)
            if (other != ink && Distance(c, other) <= Distance(c, ink)) nearest = false;
        if (nearest) ++count;
    }
    return count;
}

// The colours of an area, most frequent first (for failure messages).
std::string ColoursIn(HWND window, const RECT& area)
{
    std::map<COLORREF, int> counts;
    HDC dc = GetDC(window);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) ++counts[GetPixel(dc, x, y)];
    ReleaseDC(window, dc);
    std::vector<std::pair<int, COLORREF>> sorted;
    for (const auto& [colour, count] : counts) sorted.push_back({count, colour});
    std::sort(sorted.rbegin(), sorted.rend());
    std::string text;
    for (size_t i = 0; i < sorted.size() && i < 6; ++i)
        text += std::to_string(GetRValue(sorted[i].second)) + "," + std::to_string(GetGValue(sorted[i].second)) + "," +
                std::to_string(GetBValue(sorted[i].second)) + " x" + std::to_string(sorted[i].first) + "; ";
    return text;
}

// The caption of each state in the skin's text colour for it: normal,
// under the mouse, pressed; a disabled one in none of them. Buttons of a
// button-style tab control: the current one's text in the pressed colour.
TEST(TextColours, ButtonCaptionsAndButtonTabsTakeTheSkinsColourForTheirState)
{
    auto* button = PlaceOnStage<TButton>(20, 20, 120, 32);
    button->SetCaption("WWWWW");
    button->HandleNeeded();
    auto* skinner = new TSkinButton(button);
    skinner->AttachControl(nullptr, &InkSkin(), false, nullptr);
    HWND window = button->Handle();
    const RECT inside{4, 4, 116, 28};
    auto only = [&](COLORREF ink) {
        const COLORREF all[3] = {kNormalInk, kHotInk, kPressedInk};
        std::string wrong;
        for (COLORREF other : all) {
            const int count = InkCount(window, inside, other);
            if (other == ink && count == 0) wrong += "the state's colour missing; ";
            if (other != ink && count > 0) wrong += "another state's colour shown; ";
        }
        return wrong.empty() ? wrong : wrong + "colours: " + ColoursIn(window, inside);
    };
    auto shows = [&](COLORREF ink) {
        WaitFor([&] { return only(ink).empty(); });
        return only(ink);
    };
    Stage()->SetFocus();
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    Pump(30);
    button->Invalidate();
    EXPECT_EQ(shows(kNormalInk), "") << "normal";
    MouseTo(ScreenOf(window, 60, 16));
    EXPECT_EQ(shows(kHotInk), "") << "under the mouse";
    MouseButton(true);
    EXPECT_EQ(shows(kPressedInk), "") << "pressed";
    MouseButton(false);
    EXPECT_EQ(shows(kHotInk), "") << "released";
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    Stage()->SetFocus();
    button->SetEnabled(false);
    EXPECT_EQ(shows(CLR_INVALID), "") << "disabled";
    skinner->Detach();
    Free(skinner);
    Free(button);

    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | TCS_BUTTONS, 20, 80, 300, 40,
                                Stage()->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < 3; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<LPWSTR>(L"WWWW");
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    auto* tabSkinner = new TSkinTabBtn(Stage());
    tabSkinner->AttachHandle(tabs, &InkSkin(), nullptr, nullptr);
    RedrawWindow(tabs, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    for (int i = 0; i < 3; ++i) {
        RECT item{};
        SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
        InflateRect(&item, -3, -3);
        const COLORREF ink = i == 1 ? kPressedInk : kNormalInk;
        WaitFor([&] { return InkCount(tabs, item, ink) > 0; });
        EXPECT_GT(InkCount(tabs, item, ink), 0) << "tab " << i;
        EXPECT_EQ(InkCount(tabs, item, i == 1 ? kNormalInk : kPressedInk), 0) << "tab " << i;
        EXPECT_EQ(ScreenPixel(tabs, item.left, item.top), ButtonColour(i == 1 ? 2 : 1)) << "tab " << i;
    }
    Free(tabSkinner);
    DestroyWindow(tabs);
    Pump();
}

// The date picker's arrow, cut from the skin's combo button: hot under the
// mouse, normal again when the mouse leaves it.
TEST(DateTimeSkinner, TheArrowIsHotOnlyUnderTheMouse)
{
    auto* picker = PlaceOnStage<TDateTimePicker>(320, 300, 160, 24);
    picker->HandleNeeded();
    auto* skinner = new TSkinDateTime(picker);
    skinner->AttachControl(nullptr, &InkSkin(), false, nullptr);
    Pump(30);
    ASSERT_NE(skinner->Arrow(), nullptr);
    HWND arrow = skinner->Arrow()->Window();
    RECT rect{};
    GetClientRect(arrow, &rect);
    const POINT middle{rect.right / 2, rect.bottom / 2};
    auto shows = [&](int frame) {
        WaitFor([&] { return ScreenPixel(arrow, middle.x, middle.y) == ComboColour(frame); });
        return ScreenPixel(arrow, middle.x, middle.y) == ComboColour(frame);
    };
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    InvalidateRect(arrow, nullptr, TRUE);
    EXPECT_TRUE(shows(1)) << "at rest";
    MouseTo(ScreenOf(arrow, middle.x, middle.y));
    EXPECT_TRUE(shows(4)) << "under the mouse";
    MouseTo(ScreenOf(picker->Handle(), 10, 12));
    EXPECT_TRUE(shows(1)) << "over the picker's text";
    MouseTo(ScreenOf(arrow, middle.x, middle.y));
    EXPECT_TRUE(shows(4)) << "under the mouse again";
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    EXPECT_TRUE(shows(1)) << "the mouse gone";
    Free(picker);
    Pump();
}

// Windows made without the framework hear of enabling only through the
// platform's message: each bare control shows its disabled frame when a
// program disables it and its normal frame when it enables it again.
TEST(BareWindows, EnablingByTheProgramRedrawsTheSkinnedLook)
{
    struct Row {
        const wchar_t* className;
        const char* name;
        DWORD style;
        int w, h;
        std::function<TSkinControl*(HWND)> skin;
        POINT probe;
        COLORREF normal, disabled;
    };
    auto attach = [](TSkinControl* skinner, HWND window) {
        skinner->AttachHandle(window, &Skin(), nullptr, nullptr);
        return skinner;
    };
    const Row rows[] = {
        {L"BUTTON", "push button", BS_PUSHBUTTON, 100, 30, [&](HWND w) { return attach(new TSkinButton(Stage()), w); }, {4, 4},
         ButtonColour(1), ButtonColour(3)},
        {UPDOWN_CLASSW, "up-down", 0, 20, 40, [&](HWND w) { return attach(new TSkinUpDown(Stage()), w); }, {10, 10},
         UpDownColour(true, 1), UpDownColour(true, 3)},
    };
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    for (const Row& row : rows) {
        HWND window = CreateWindowExW(0, row.className, L"Bare", WS_CHILD | WS_VISIBLE | row.style, 340, 20, row.w, row.h,
                                      Stage()->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        TSkinControl* skinner = row.skin(window);
        Stage()->SetFocus();
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        auto shows = [&](COLORREF colour) {
            WaitFor([&] { return ScreenPixel(window, row.probe.x, row.probe.y) == colour; });
            return ScreenPixel(window, row.probe.x, row.probe.y) == colour;
        };
        const std::string name = row.name;
        EXPECT_TRUE(shows(row.normal)) << name << " at rest";
        EnableWindow(window, FALSE);
        EXPECT_TRUE(shows(row.disabled)) << name << " disabled";
        EnableWindow(window, TRUE);
        EXPECT_TRUE(shows(row.normal)) << name << " enabled again";
        Free(skinner);
        DestroyWindow(window);
        Pump();
    }
}

}  // namespace
}  // namespace quorvane
