// An event handler may free the control whose event it runs (a close button
// that frees its panel, Escape in an edit that frees it). Each case below
// frees the control from one handler, driven by the message the platform
// would send, and checks that the framework touched none of the freed memory
// afterwards: a freed block written to breaks the watch's pattern, and a
// freed object read (its vtable, a handler) crashes the program.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <functional>
#include <iterator>
#include <string>

#include "framework/buttons.h"
#include "framework/forms.h"
#include "framework/grids.h"
#include "framework/list_controls.h"
#include "framework/media_player.h"
#include "framework/std_controls.h"
#include "tests/framework/window_test_support.h"
#include "tests/skin_form/freed_memory_watch.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using enginetest::FreedMemoryWatch;
using test::Pump;

TForm* Stage()
{
    static TForm* form = [] {
        auto* f = new TForm(nullptr);
        f->SetCaption("freed in handler");
        f->SetBounds(320, 220, 420, 300);
        f->AfterConstruction();
        f->Show();
        return f;
    }();
    Pump();
    return form;
}

// A panel on the stage that the case's control lives on (owned by it, so
// freeing the panel frees the control as well).
TPanel* NewPanel(TForm* form)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 300, 200);
    panel->Handle();
    return panel;
}

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

struct Case {
    const char* name;
    // Builds the control, sets a handler that frees `victim` and sets `freed`,
    // and sends the message that runs it. Returns the victim's window.
    std::function<HWND(TForm* form, bool& freed)> run;
};

// The handler's last act is the free: the closure lives in the freed object.
template <typename T>
void FreeIn(bool& freed, T* victim)
{
    freed = true;
    Free(victim);
}

const Case kCases[] = {
    {"OnMouseDown of a panel frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         panel->OnMouseDown = [&freed, panel](TObject*, TMouseButton, TShiftState, int, int) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
         return window;
     }},
    {"OnDblClick of a panel frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         panel->OnDblClick = [&freed, panel](TObject*) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, At(20, 20));
         return window;
     }},
    {"OnMouseUp of a panel frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         panel->OnMouseUp = [&freed, panel](TObject*, TMouseButton, TShiftState, int, int) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_LBUTTONUP, 0, At(20, 20));
         return window;
     }},
    {"OnMouseMove of a panel frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         panel->OnMouseMove = [&freed, panel](TObject*, TShiftState, int, int) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_MOUSEMOVE, 0, At(21, 21));
         return window;
     }},
    {"OnMouseEnter of a panel frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         panel->OnMouseEnter = [&freed, panel](TObject*) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         // The form first, so that the panel is a new control under the mouse.
         SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, At(380, 260));
         SendMessageW(window, WM_MOUSEMOVE, 0, At(22, 22));
         return window;
     }},
    {"OnMouseDown of a speed button frees its panel (a close button)",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* close = new TSpeedButton(panel);
         close->SetParent(panel);
         close->SetBounds(270, 4, 24, 24);
         close->OnMouseDown = [&freed, panel](TObject*, TMouseButton, TShiftState, int, int) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(280, 10));
         return window;
     }},
    {"OnMouseUp of a speed button frees its panel",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* close = new TSpeedButton(panel);
         close->SetParent(panel);
         close->SetBounds(270, 4, 24, 24);
         close->OnMouseUp = [&freed, panel](TObject*, TMouseButton, TShiftState, int, int) { FreeIn(freed, panel); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(280, 10));
         SendMessageW(window, WM_LBUTTONUP, 0, At(280, 10));
         return window;
     }},
    {"OnMouseLeave of a flat speed button frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* button = new TSpeedButton(panel);
         button->SetParent(panel);
         button->SetBounds(10, 10, 40, 24);
         button->SetFlat(true);
         button->OnMouseLeave = [&freed, button](TObject*) { FreeIn(freed, button); };
         HWND window = panel->Handle();
         SendMessageW(window, WM_MOUSEMOVE, 0, At(20, 20));
         SendMessageW(window, WM_MOUSEMOVE, 0, At(150, 150));
         // The panel itself is what the test watches here: it stays.
         return static_cast<HWND>(nullptr);
     }},
    {"OnKeyDown of an edit frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* edit = new TEdit(panel);
         edit->SetParent(panel);
         edit->SetBounds(10, 10, 120, 24);
         edit->OnKeyDown = [&freed, edit](TObject*, WORD&, TShiftState) { FreeIn(freed, edit); };
         HWND window = edit->Handle();
         SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1);
         return window;
     }},
    {"OnEnter of an edit frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* edit = new TEdit(panel);
         edit->SetParent(panel);
         edit->SetBounds(10, 10, 120, 24);
         edit->OnEnter = [&freed, edit](TObject*) { FreeIn(freed, edit); };
         HWND window = edit->Handle();
         SendMessageW(window, WM_SETFOCUS, 0, 0);
         return window;
     }},
    {"OnExit of an edit frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* edit = new TEdit(panel);
         edit->SetParent(panel);
         edit->SetBounds(10, 10, 120, 24);
         edit->OnExit = [&freed, edit](TObject*) { FreeIn(freed, edit); };
         HWND window = edit->Handle();
         SendMessageW(window, WM_KILLFOCUS, 0, 0);
         return window;
     }},
    {"OnKeyDown of a grid frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* grid = new TDrawGrid(panel);
         grid->SetParent(panel);
         grid->SetBounds(10, 10, 200, 150);
         grid->OnKeyDown = [&freed, grid](TObject*, WORD&, TShiftState) { FreeIn(freed, grid); };
         HWND window = grid->Handle();
         SendMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
         return window;
     }},
    {"OnClick of a media player frees it",
     [](TForm* form, bool& freed) {
         TPanel* panel = NewPanel(form);
         auto* player = new TMediaPlayer(panel);
         player->SetParent(panel);
         player->SetBounds(10, 10, 260, 30);
         // No device is open: the buttons are enabled by hand.
         player->SetAutoEnable(false);
         player->SetEnabledButtons(1u << btPlay);
         player->OnClick = [&freed, player](TObject*, TMPBtnType, bool&) { FreeIn(freed, player); };
         HWND window = player->Handle();
         const RECT play = player->ButtonRect(btPlay);
         const LPARAM inside = At((play.left + play.right) / 2, (play.top + play.bottom) / 2);
         SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, inside);
         SendMessageW(window, WM_LBUTTONUP, 0, inside);
         return window;
     }},
};

class FreedInHandler : public testing::TestWithParam<size_t> {};

TEST_P(FreedInHandler, NothingOfTheControlIsTouchedAfterwards)
{
    const Case& c = kCases[GetParam()];
    SCOPED_TRACE(c.name);
    TForm* form = Stage();
    const int before = form->ControlCount();
    bool freed = false;
    HWND window = nullptr;
    {
        FreedMemoryWatch watch;
        window = c.run(form, freed);
        Pump();
        EXPECT_TRUE(freed);
        EXPECT_TRUE(watch.Intact());
    }
    if (window) {
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(FindControl(window), nullptr);
        // Nothing holds the mouse for a freed control.
        EXPECT_NE(GetCapture(), window);
    }
    // The panel of a case that freed only its control goes now.
    while (form->ControlCount() > before) Free(form->Controls(form->ControlCount() - 1));
    ReleaseCapture();

    // The form goes on working.
    bool clicked = false;
    TPanel* panel = NewPanel(form);
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { clicked = true; };
    SendMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    SendMessageW(panel->Handle(), WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_TRUE(clicked);
    Free(panel);
}

INSTANTIATE_TEST_SUITE_P(Events, FreedInHandler, testing::Range<size_t>(0, std::size(kCases)));

}  // namespace
}  // namespace quorvane
