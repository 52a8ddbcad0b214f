// States the skinners must draw and places their drawn windows must keep:
// a push button's pushed look set by a program and its hot look, a track
// bar thumb that another window covers, the buttons of a bare dialog by
// their type, and a date picker's arrow after a resize.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/input_controls.h"
#include "framework/std_controls.h"
#include "framework/com_controls.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/edit_skinners.h"
#include "skin/controls/status_skinners.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "tests/skin_controls/control_test_skin.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace controltest;

template <class T>
T* Place(int x, int y, int w, int h)
{
    TForm* form = Stage();
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(x, y, w, h);
    return control;
}

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
    auto* button = Place<TButton>(20, 300, 90, 28);
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
    auto* bar = Place<TTrackBar>(140, 300, 160, 32);
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
    auto* picker = Place<TDateTimePicker>(320, 300, 140, 24);
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

}  // namespace
}  // namespace quorvane
