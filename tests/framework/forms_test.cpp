// Forms and the application object: creation sequence, the message loop,
// the standard error box and resource hygiene.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/message_box.h"
#include "framework/std_controls.h"
#include "tests/support/gtest.h"

#ifndef GR_GDIOBJECTS
#define GR_GDIOBJECTS 0
#define GR_USEROBJECTS 1
#endif

namespace quorvane {
namespace {

// Answers every box and keeps what it was asked to show.
class BoxRecorder {
public:
    BoxRecorder()
    {
        previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
            boxes.push_back(request);
            return IDOK;
        });
    }
    ~BoxRecorder() { SetMessageBoxHandler(previous_); }
    std::vector<MessageBoxRequest> boxes;

private:
    MessageBoxHandler previous_;
};

class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Test");
        SetBounds(50, 50, 300, 120);
        button = new TButton(this);
        button->SetParent(this);
        OnCreate = [this](TObject*) {
            log.push_back("create");
            if (throwOnCreate) throw Exception("voice failed");
            log.push_back("after");
        };
        OnDestroy = [this](TObject*) { destroyed = true; };
    }
    TButton* button;
    std::vector<std::string> log;
    static inline bool throwOnCreate = false;
    static inline bool destroyed = false;
};

TEST(ErrorBox, FullStopAppendedOnlyAfterCharactersSortingAfterIt)
{
    struct Case {
        std::string message, shown;
    };
    for (const Case& c : std::vector<Case>{{"Voice failed", "Voice failed."},
                                           {"Done.", "Done."},
                                           {"Why?", "Why?."},
                                           {"Stop!", "Stop!"},
                                           {"(1, 2)", "(1, 2)"},
                                           {"a-", "a-"},
                                           {"a/", "a/."},
                                           {"失败", "失败."},
                                           {"", ""}})
        EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

TEST(ErrorBox, ExceptionInAHandlerShowsTheBoxAndTheProgramCarriesOn)
{
    BoxRecorder recorder;
    auto* form = Application->CreateForm<TTestForm>();
    form->button->OnClick = [](TObject*) { throw std::runtime_error("Cannot create file C:\\x\\01.ini"); };
    SendMessageW(form->button->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "Cannot create file C:\\x\\01.ini.");
    EXPECT_EQ(recorder.boxes[0].caption, "Quorvane");
    EXPECT_EQ(recorder.boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    // Still working afterwards.
    int clicks = 0;
    form->button->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(form->button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    Application->SetTitle("Other");
    Application->ShowException("x");
    EXPECT_EQ(recorder.boxes.back().caption, "Other");
    Application->SetTitle("Quorvane");
    Application->DestroyForms();
}

TEST(Application, CreateFormRunsLoadedThenOnCreateAndAnErrorThereStillOpensTheForm)
{
    BoxRecorder recorder;
    TTestForm::throwOnCreate = true;
    auto* form = Application->CreateForm<TTestForm>();
    TTestForm::throwOnCreate = false;
    EXPECT_EQ(form->log, (std::vector<std::string>{"create"}));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "voice failed.");
    EXPECT_EQ(Application->MainForm(), form);
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_FALSE(form->IsLoading());
    EXPECT_FALSE(form->button->IsLoading());
    TTestForm::destroyed = false;
    Application->DestroyForms();
    EXPECT_TRUE(TTestForm::destroyed);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

void CALLBACK CloseEverything(HWND window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(window, id);
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) != Application->MainForm()) Screen->Forms(i)->Close();
    PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST(Application, RunEndsWhenTheMainFormClosesAndScreenListsForms)
{
    auto* main = Application->CreateForm<TTestForm>();
    auto* second = Application->CreateForm<TTestForm>();
    ASSERT_GE(Screen->FormCount(), 2);
    EXPECT_EQ(Screen->Forms(Screen->FormCount() - 2), main);
    EXPECT_EQ(Screen->Forms(Screen->FormCount() - 1), second);
    EXPECT_EQ(Application->MainForm(), main);
    // Closing another form only hides it; the main form's close ends Run.
    SetTimer(main->Handle(), 1, 50, CloseEverything);
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(second->Visible());
    EXPECT_TRUE(IsWindow(main->Handle()));
    const int before = Screen->FormCount();
    Application->DestroyForms();
    EXPECT_EQ(Screen->FormCount(), before - 2);
    EXPECT_FALSE(Application->Terminated());
}

TEST(Forms, StylesFollowBorderIconsAndFormStyle)
{
    auto* form = new TForm(nullptr);
    form->SetBorderIcons(SetOf({biSystemMenu, biMinimize}));
    form->SetFormStyle(fsStayOnTop);
    form->SetClientWidth(550);
    form->SetClientHeight(76);
    HWND window = form->Handle();
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(form->ClientWidth(), 550);
    EXPECT_EQ(form->ClientHeight(), 76);

    HICON icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    form->Icon()->SetHandle(CopyIcon(icon));
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    Free(form);
}

// Pumps until the condition holds or a generous deadline passes (the
// machine may be busy); whether it held.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) return true;
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(5);
    }
}

// What a shown form's window does when the program changes its state,
// asks to close it, or the user moves to another form and back.
TEST(Forms, StateCloseRequestsAndTheFocusAcrossActivation)
{
    auto* form = new TForm(nullptr);
    form->SetCaption("Stateful");
    form->SetBounds(60, 60, 320, 200);
    auto* first = new TEdit(form);
    auto* second = new TEdit(form);
    first->SetParent(form);
    second->SetParent(form);
    first->SetBounds(10, 10, 120, 24);
    second->SetBounds(10, 50, 120, 24);
    form->AfterConstruction();
    form->Show();
    HWND window = form->Handle();
    struct State {
        TWindowState state;
        bool zoomed, iconic;
    };
    for (const State& row : {State{wsMaximized, true, false}, State{wsNormal, false, false}, State{wsMinimized, false, true},
                             State{wsMaximized, true, false}, State{wsNormal, false, false}}) {
        form->SetWindowState(row.state);
        WaitFor([&] { return (IsZoomed(window) != FALSE) == row.zoomed && (IsIconic(window) != FALSE) == row.iconic; });
        EXPECT_EQ(IsZoomed(window) != FALSE, row.zoomed) << "state " << row.state;
        EXPECT_EQ(IsIconic(window) != FALSE, row.iconic) << "state " << row.state;
        EXPECT_EQ(form->WindowState(), row.state);
    }

    // The control that had the focus has it again when the form is
    // activated again.
    auto* other = new TForm(nullptr);
    other->SetCaption("Other");
    other->SetBounds(420, 60, 200, 120);
    other->AfterConstruction();
    other->Show();
    for (TEdit* focused : {second, first, second}) {
        SetForegroundWindow(window);
        WaitFor([&] { return GetForegroundWindow() == window; });
        focused->SetFocus();
        SetForegroundWindow(other->Handle());
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == other->Handle(); }));
        SetForegroundWindow(window);
        WaitFor([&] { return GetForegroundWindow() == window && GetFocus() == focused->Handle(); });
        EXPECT_EQ(GetFocus(), focused->Handle()) << (focused == first ? "first" : "second");
    }
    Free(other);

    // A refused close keeps the form; an allowed one hides it.
    bool allow = false;
    int asked = 0;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++asked;
        canClose = allow;
    };
    for (bool allowed : {false, true}) {
        allow = allowed;
        form->Close();
        EXPECT_EQ(IsWindowVisible(window) != FALSE, !allowed) << (allowed ? "allowed" : "refused");
        EXPECT_EQ(form->Visible(), !allowed);
    }
    EXPECT_EQ(asked, 2);
    Free(form);
}

TEST(Forms, ReleaseFreesTheFormAfterTheCurrentMessage)
{
    auto* form = new TTestForm(nullptr);
    form->AfterConstruction();
    HWND window = form->Handle();
    form->button->OnClick = [form](TObject*) { form->Release(); };
    SendMessageW(form->button->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(window));
}

// A form with every control the reader uses, to look for leaked handles.
void BuildReaderLikeForm()
{
    auto* form = new TForm(nullptr);
    form->SetClientWidth(550);
    form->SetClientHeight(76);
    form->SetShowHint(true);
    form->SetHint("提示");
    auto* images = new TImageList(form);
    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetImages(images);
    for (int i = 0; i < 3; ++i) (new TToolButton(form))->SetParent(bar);
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->Items()->Add("a");
    (new TTrackBar(form))->SetParent(form);
    (new TCheckBox(form))->SetParent(form);
    (new TButton(form))->SetParent(form);
    auto* status = new TStatusBar(form);
    status->SetParent(form);
    status->SetSimplePanel(true);
    auto* rich = new TRichEdit(form);
    rich->SetParent(form);
    rich->SetVisible(false);
    rich->Font()->SetFontName("Verdana");
    (new TListBox(form))->SetParent(form);
    (new TMemo(form))->SetParent(form);
    auto* group = new TGroupBox(form);
    group->SetParent(form);
    (new TLabel(form))->SetParent(group);
    form->AfterConstruction();
    form->Show();
    UpdateWindow(form->Handle());
    Free(form);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// GetGuiResources answers 0 under Wine; there the live objects are counted
// by probing the handle tables, which accept bare table indices.
DWORD CountGdiObjects()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    DWORD count = 0;
    for (UINT_PTR index = 0x20; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

DWORD CountUserObjects()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return count;
    DWORD count = 0;
    for (UINT_PTR index = 0x20; index < 0x10000; index += 2) {
        HWND window = reinterpret_cast<HWND>(index);
        DWORD process = 0;
        if (IsWindow(window) && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId()) ++count;
        if (IsMenu(reinterpret_cast<HMENU>(index))) ++count;
    }
    return count;
}

TEST(Forms, CreatingAndFreeingFormsLeaksNoGdiOrUserObjects)
{
    BuildReaderLikeForm();  // first use loads classes and caches
    const DWORD gdiBefore = CountGdiObjects();
    const DWORD userBefore = CountUserObjects();
    for (int i = 0; i < 5; ++i) BuildReaderLikeForm();
    const DWORD gdiAfter = CountGdiObjects();
    const DWORD userAfter = CountUserObjects();
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", static_cast<unsigned long>(gdiBefore),
                static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(userBefore),
                static_cast<unsigned long>(userAfter));
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_EQ(userAfter, userBefore);
    // The counts do see live objects.
    auto* form = new TForm(nullptr);
    (new TButton(form))->SetParent(form);
    form->HandleNeeded();
    (void)form->Font()->Handle();
    EXPECT_GT(CountUserObjects(), userBefore);
    EXPECT_GT(CountGdiObjects(), gdiBefore);
    Free(form);
}

}  // namespace
}  // namespace quorvane

#include "framework/timer.h"

namespace quorvane {
namespace {

TEST(Timers, FireThroughTheLoopStopWhenDisabledAndReportErrors)
{
    BoxRecorder recorder;
    TTimer timer(nullptr);
    timer.SetInterval(20);
    int ticks = 0;
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        if (++ticks == 2) throw Exception("tick failed");
        if (ticks == 3) timer.SetEnabled(false);
    };
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 400) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
    EXPECT_EQ(ticks, 3);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "tick failed.");
}

}  // namespace
}  // namespace quorvane
