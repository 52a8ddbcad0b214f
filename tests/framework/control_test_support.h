// The shown form and the input helpers the control family tests share: one
// form for the whole program, since hiding a shown window costs seconds.
#pragma once
#include <windows.h>

#include "framework/forms.h"
#include "framework/message_box.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane::test {

// Lets real input and posted messages arrive, through the application's
// own message handling (dialog keys included). Input sent with SendInput is
// queued before SendInput returns, so this pumps until the thread has had
// nothing waiting (input, posted or sent messages) for `rounds` rounds in
// a row; a busy machine only makes it take longer (deadline 5 s).
inline void Settle(int rounds = 10)
{
    const DWORD end = GetTickCount() + 5000;
    int quiet = 0;
    while (quiet < rounds && static_cast<int>(end - GetTickCount()) > 0) {
        Application->ProcessMessages();
        if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_PAINT)) == 0)
            ++quiet;
        else
            quiet = 0;
        Sleep(10);
    }
    Application->ProcessMessages();
}

// Pumps until the condition holds (deadline 5 s); whether it held.
template <class Condition>
bool SettleUntil(Condition condition)
{
    const DWORD end = GetTickCount() + 5000;
    for (;;) {
        Application->ProcessMessages();
        if (condition()) return true;
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(5);
    }
}

inline void SendMouse(DWORD flags, POINT screen = {-1, -1})
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (screen.x >= 0) {
        input.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
        input.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    }
    SendInput(1, &input, sizeof input);
    Settle();
}

// A left click at a point of `window`'s client area. Press and release go
// into the queue together: a control may track the mouse in a loop of its
// own from the press on (a scroll bar does) and only return at the release.
inline void ClickAt(HWND window, POINT client)
{
    POINT screen = client;
    ClientToScreen(window, &screen);
    // Only once the window is shown and is what lies under the point (it
    // may still be on its way to the screen on a busy machine).
    SettleUntil([&] { return IsWindowVisible(window) && WindowFromPoint(screen) == window; });
    SendMouse(0, screen);
    SettleUntil([&] {
        POINT at{};
        GetCursorPos(&at);
        return at.x == screen.x && at.y == screen.y;
    });
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof inputs[0]);
    Settle();
}

inline void SendKey(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Presses `key` with the modifier keys given (VK_CONTROL, VK_SHIFT...).
inline void PressKey(WORD key, std::initializer_list<WORD> modifiers = {})
{
    // Keys go to the focus of the foreground window: wait until that is
    // one of ours, so none reaches a window not yet active.
    SettleUntil([] {
        HWND focus = GetFocus();
        return focus && GetForegroundWindow() && GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId();
    });
    for (WORD m : modifiers) SendKey(m, false);
    SendKey(key, false);
    SendKey(key, true);
    for (auto it = modifiers.end(); it != modifiers.begin();) SendKey(*--it, true);
    Settle();
}

// The form every control test puts its controls on; its children are
// freed by each test.
inline TForm* Stage()
{
    static TForm* form = [] {
        // An error box would wait for a user: it fails the test instead.
        SetMessageBoxHandler([](const MessageBoxRequest& request) {
            ADD_FAILURE() << "message box: " << request.text;
            return IDOK;
        });
        auto* f = new TForm(nullptr);
        f->SetCaption("controls");
        f->SetBounds(200, 120, 640, 480);
        f->AfterConstruction();
        f->Show();
        return f;
    }();
    SetForegroundWindow(form->Handle());
    SettleUntil([] { return GetForegroundWindow() == form->Handle() && IsWindowVisible(form->Handle()); });
    Settle(2);
    return form;
}

// Frees every control the tests left on the stage.
inline void ClearStage()
{
    TForm* form = Stage();
    while (form->ComponentCount() > 0) Free(form->Components(form->ComponentCount() - 1));
    while (form->ControlCount() > 0) Free(form->Controls(form->ControlCount() - 1));
    Settle(2);
}

// A test on the stage: Make puts a control of the stage's on `parent`.
class StageTest : public ::testing::Test {
protected:
    void SetUp() override { form = Stage(); }
    void TearDown() override { ClearStage(); }
    template <class T>
    T* Make(TWinControl* parent, int left, int top, int width, int height)
    {
        auto* control = new T(form);
        control->SetParent(parent);
        control->SetAlign(alNone);
        control->SetBounds(left, top, width, height);
        return control;
    }
    TForm* form = nullptr;
};

}  // namespace quorvane::test
