// A modal form: while it runs, the other forms are disabled and the modal
// one is not; however it ends (a button with a modal result clicked with
// the real mouse, a close request, the program setting the result, a
// modal form inside another), every form it disabled is enabled again, a
// form that was disabled before stays disabled, and the result comes back.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/std_controls.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

// The step run from inside the modal loop (a timer), and a deadline that
// ends a loop nobody ended, so a fault fails rather than hangs.
std::function<bool()> g_during;
void CALLBACK DuringTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    // Runs until the step says it is done (it may wait for a state).
    if (g_during && g_during()) {
        KillTimer(nullptr, id);
        g_during = nullptr;
    }
}

TForm* g_modal = nullptr;
void CALLBACK Deadline(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (g_modal) g_modal->SetModalResult(-99);
}

void Click(TControl* control)
{
    RECT r{};
    GetWindowRect(static_cast<TWinControl*>(control)->Handle(), &r);
    INPUT inputs[3]{};
    inputs[0].type = inputs[1].type = inputs[2].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[0].mi.dx = MulDiv((r.left + r.right) / 2, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    inputs[0].mi.dy = MulDiv((r.top + r.bottom) / 2, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

struct Forms {
    TForm* a = nullptr;
    TForm* b = nullptr;
    TForm* off = nullptr;  // disabled before any modal form opens
    TForm* modal = nullptr;
    TButton* ok = nullptr;

    Forms()
    {
        auto make = [](int x, const char* caption) {
            auto* form = new TForm(nullptr);
            form->SetCaption(caption);
            form->SetBounds(x, 500, 200, 120);
            form->AfterConstruction();
            form->Show();
            return form;
        };
        a = make(40, "A");
        b = make(260, "B");
        off = make(480, "Off");
        EnableWindow(off->Handle(), FALSE);
        modal = new TForm(nullptr);
        modal->SetCaption("Modal");
        modal->SetBounds(300, 200, 260, 160);
        ok = new TButton(modal);
        ok->SetParent(modal);
        ok->SetCaption("OK");
        ok->SetBounds(80, 60, 90, 30);
        ok->SetModalResult(IDOK);
        modal->AfterConstruction();
    }
    ~Forms()
    {
        for (TForm* form : {modal, off, b, a}) Free(form);
        test::Pump();
    }
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;
};

bool Enabled(TForm* form) { return IsWindowEnabled(form->Handle()) != FALSE; }

TEST(ModalForms, OtherFormsWaitWhileItRunsAndAreEnabledAgainHoweverItEnds)
{
    Forms f;
    struct Way {
        const char* what;
        // Ends the modal loop; called from inside it until it says done.
        std::function<bool(Forms&)> end;
        int result;
    };
    const Way ways[] = {
        {"OK clicked with the mouse",
         [](Forms& f) {
             if (!IsWindowVisible(f.modal->Handle()) || !IsWindowVisible(f.ok->Handle())) return false;
             Click(f.ok);
             return true;
         },
         IDOK},
        {"close request",
         [](Forms& f) {
             PostMessageW(f.modal->Handle(), WM_CLOSE, 0, 0);
             return true;
         },
         IDCANCEL},
        {"result set by the program",
         [](Forms& f) {
             f.modal->SetModalResult(7);
             return true;
         },
         7},
        {"a modal form inside it, then close",
         [](Forms& f) {
             auto* inner = new TForm(nullptr);
             inner->SetCaption("Inner");
             inner->SetBounds(340, 260, 160, 100);
             inner->AfterConstruction();
             g_during = [&f, inner] {
                 // Inside the inner loop: the outer modal form waits too.
                 EXPECT_FALSE(Enabled(f.modal));
                 EXPECT_FALSE(Enabled(f.a));
                 inner->SetModalResult(IDOK);
                 return true;
             };
             SetTimer(nullptr, 0, 20, DuringTimer);
             EXPECT_EQ(inner->ShowModal(), IDOK);
             EXPECT_TRUE(Enabled(f.modal)) << "the outer modal form after the inner one closed";
             EXPECT_FALSE(Enabled(f.a)) << "A while the outer modal form still runs";
             EXPECT_FALSE(Enabled(f.off));
             Free(inner);
             PostMessageW(f.modal->Handle(), WM_CLOSE, 0, 0);
             return true;
         },
         IDCANCEL},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        bool sawDisabled = false;
        auto started = std::make_shared<bool>(false);
        g_during = [&] {
            if (!*started) {
                // First tick inside the loop: the state while it runs.
                *started = true;
                sawDisabled = !Enabled(f.a) && !Enabled(f.b) && !Enabled(f.off) && Enabled(f.modal);
            }
            return way.end(f);
        };
        const UINT_PTR during = SetTimer(nullptr, 0, 30, DuringTimer);
        // Nobody ends it within the deadline: the loop ends with a result
        // the table never expects.
        g_modal = f.modal;
        const UINT_PTR deadline = SetTimer(nullptr, 0, 20000, Deadline);
        const int result = f.modal->ShowModal();
        KillTimer(nullptr, deadline);
        if (g_during) {
            KillTimer(nullptr, during);
            g_during = nullptr;
        }
        EXPECT_TRUE(sawDisabled) << "A, B and Off disabled and the modal form enabled while it runs";
        EXPECT_EQ(result, way.result);
        EXPECT_TRUE(Enabled(f.a));
        EXPECT_TRUE(Enabled(f.b));
        EXPECT_FALSE(Enabled(f.off)) << "a form disabled before stays disabled";
        EXPECT_FALSE(IsWindowVisible(f.modal->Handle()));
        EXPECT_EQ(f.modal->ModalResult(), way.result);
        test::Pump();
    }
}

}  // namespace
}  // namespace quorvane
