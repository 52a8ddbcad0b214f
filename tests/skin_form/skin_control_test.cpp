// The skinned-control base on real controls, and the lifetime rules that
// keep freed engines and skinners off live windows; 100 skin cycles of a
// form and of a bare dialog leave the process's GDI and USER objects where
// they were.
#include <windowsx.h>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "framework/subclass.h"
#include "skin/controls/skin_control.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

// Counts what the base routes to it; paints the Buttons frame of its state.
class ProbeSkinner : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    int before = 0, detached = 0, drawn = 0;
    bool swallowClicks = false;
    using TSkinControl::DrawFocusAround;
    using TSkinControl::ForwardMouseDown;

    bool BeforeMessage(TMessage& message) override
    {
        ++before;
        TrackMouse(message);
        if (swallowClicks && message.msg == WM_LBUTTONDOWN) return false;
        return TSkinControl::BeforeMessage(message);
    }
    void Detach() override
    {
        ++detached;
        TSkinControl::Detach();
    }
    void DrawSkin(HDC, const RECT&) override { ++drawn; }
};

struct Fixture {
    TForm* form = nullptr;
    TButton* button = nullptr;
    TWinSkinForm* engine = nullptr;
    Fixture()
    {
        Manager();
        form = new TForm(nullptr);
        form->SetBounds(50, 50, 300, 200);
        button = new TButton(form);
        button->SetTag(99);  // left alone by the scan: the tests attach their own skinner
        button->SetParent(form);
        button->SetBounds(10, 10, 80, 24);
        button->SetCaption("Probe");
        form->AfterConstruction();
        form->HandleNeeded();
        Manager().SkinWindow(form->Handle());
        Pump();
        engine = Manager().FindEngine(form->Handle());
    }
    ~Fixture()
    {
        Free(form);
        Pump();
    }
};

TEST(SkinControl, AttachesOnceAnswersTheQueryAndGivesEverythingBack)
{
    Fixture f;
    ASSERT_NE(f.engine, nullptr);
    const TWndMethod original = f.button->WindowProc();
    const TColor colour = f.button->Color();
    auto* skinner = new ProbeSkinner(f.button);
    skinner->AttachControl(f.engine, &SharedSkin(), true, f.engine->CanvasB());
    const TWndMethod installed = f.button->WindowProc();
    EXPECT_NE(installed, original);
    skinner->AttachControl(f.engine, &SharedSkin(), true, f.engine->CanvasB());
    EXPECT_EQ(f.button->WindowProc(), installed);  // a second attach changes nothing
    EXPECT_EQ(f.engine->Skinners().size(), 1u);
    EXPECT_EQ(skinner->LifeState(), lsAttached);
    EXPECT_EQ(f.button->Color(), static_cast<TColor>(SharedSkin().Colours.ButtonFace));
    EXPECT_EQ(SendMessageW(f.button->Handle(), WM_SKINQUERY, 0, 0), 1);

    // Switched off, every message goes straight to the control.
    SendMessageW(f.button->Handle(), WM_SKINENABLE, 0, 0);
    const int seen = skinner->before;
    SendMessageW(f.button->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Off"));
    EXPECT_EQ(skinner->before, seen);
    EXPECT_EQ(SendMessageW(f.button->Handle(), WM_SKINQUERY, 0, 0), 0);
    SendMessageW(f.button->Handle(), WM_SKINENABLE, 1, 0);
    EXPECT_EQ(SendMessageW(f.button->Handle(), WM_SKINQUERY, 0, 0), 1);

    // Painting: the control paints, then the skin over it.
    const int drawn = skinner->drawn;
    FramePicture picture(80, 24);
    SendMessageW(f.button->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(picture.dc()), 0);
    EXPECT_EQ(skinner->drawn, drawn + 1);

    // Freed, the control keeps working with its own handler and colour.
    f.engine->FreeSkinners();
    EXPECT_EQ(f.button->WindowProc(), original);
    EXPECT_EQ(f.button->Color(), colour);
    EXPECT_TRUE(f.engine->Skinners().empty());
    EXPECT_EQ(SendMessageW(f.button->Handle(), WM_SKINQUERY, 0, 0), 0);
}

TEST(SkinControl, ADestroyedWindowLeavesTheSkinnerDeadWithItsColourRestoredOnce)
{
    Fixture f;
    ASSERT_NE(f.engine, nullptr);
    const TColor colour = f.button->Color();
    auto* skinner = new ProbeSkinner(f.button);
    skinner->AttachControl(f.engine, &SharedSkin(), true, f.engine->CanvasB());
    f.button->DestroyHandle();
    EXPECT_EQ(skinner->LifeState(), lsWindowGone);
    EXPECT_EQ(skinner->detached, 1);
    EXPECT_EQ(f.button->Color(), colour);
    // The engine frees it without detaching it again.
    f.engine->FreeSkinners();
    EXPECT_TRUE(f.engine->Skinners().empty());
}

TEST(SkinControl, BareWindowsAreSubclassedAndGivenBack)
{
    Fixture f;
    ASSERT_NE(f.engine, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"bare", WS_CHILD, 0, 0, 50, 20, f.form->Handle(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    const LONG_PTR procedure = GetWindowLongPtrW(edit, GWLP_WNDPROC);
    auto* skinner = new ProbeSkinner(f.engine);
    skinner->AttachHandle(edit, &SharedSkin(), f.engine, f.engine->CanvasB());
    EXPECT_EQ(skinner->Caption(), u"bare");
    EXPECT_EQ(SendMessageW(edit, WM_SKINQUERY, 0, 0), 1);
    EXPECT_EQ(f.engine->FindSkinner(edit), skinner);
    Free(skinner);
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), procedure);
    EXPECT_EQ(f.engine->FindSkinner(edit), nullptr);
    DestroyWindow(edit);
}

TEST(SkinControl, MouseStateAndTheForwardedMouseDownOfAVeryWideControl)
{
    Fixture f;
    ASSERT_NE(f.engine, nullptr);
    auto* skinner = new ProbeSkinner(f.button);
    skinner->AttachControl(f.engine, &SharedSkin(), false, f.engine->CanvasB());
    HWND button = f.button->Handle();
    // Focused and nothing else: the focus frame; otherwise normal.
    const int resting = GetFocus() == button ? bfFocused : bfNormal;
    EXPECT_EQ(skinner->ButtonStateFrame(), resting);
    f.button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(skinner->ButtonStateFrame(), bfHot);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(skinner->ButtonStateFrame(), bfPressed);
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(skinner->ButtonStateFrame(), bfHot);
    f.button->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(GetFocus(), button);  // a click focuses a push button
    EXPECT_EQ(skinner->ButtonStateFrame(), bfFocused);
    f.button->SetEnabled(false);
    EXPECT_EQ(skinner->ButtonStateFrame(), bfDisabled);
    f.button->SetEnabled(true);

    // Past 32767 pixels a message cannot carry the position: the cursor's is
    // used. (Windows are limited to 32767 pixels; windowless controls are not.)
    auto* wide = new TGraphicControl(f.form);
    wide->SetParent(f.form);
    wide->SetBounds(0, 30, 40000, 24);
    auto* wideSkinner = new ProbeSkinner(wide);
    wideSkinner->AttachControl(f.engine, &SharedSkin(), false, f.engine->CanvasB());
    int seenX = -1;
    wide->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int) { seenX = x; };
    const POINT origin = wide->ClientToScreen(POINT{0, 0});
    SetCursorPos(origin.x + 7, origin.y + 3);
    POINT cursor{};
    GetCursorPos(&cursor);
    wideSkinner->ForwardMouseDown(TMessage{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30000, 3), 0});
    EXPECT_EQ(seenX, cursor.x - origin.x);
    wide->SetBounds(0, 30, 80, 24);
    wideSkinner->ForwardMouseDown(TMessage{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 3), 0});
    EXPECT_EQ(seenX, 12);
}

TEST(SkinControl, TheFocusRectangleStaysInsideTheRectangle)
{
    Fixture f;
    ASSERT_NE(f.engine, nullptr);
    f.button->SetCaption("A caption much wider than the little box it is drawn in");
    auto* skinner = new ProbeSkinner(f.engine);
    HWND bare = CreateWindowExW(0, L"STATIC", L"A caption much wider than the little box it is drawn in", WS_CHILD, 0, 0,
                                40, 20, f.form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    skinner->AttachHandle(bare, &SharedSkin(), f.engine, f.engine->CanvasB());
    FramePicture picture(100, 60);
    const RECT box{20, 20, 60, 40};
    skinner->DrawFocusAround(picture.dc(), DT_CENTER | DT_SINGLELINE, box);
    int changedInside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            const bool changed = picture.At(x, y) != RGB(0x12, 0x34, 0x56);
            if (inside)
                changedInside += changed;
            else
                EXPECT_FALSE(changed) << x << "," << y;
        }
    EXPECT_GT(changedInside, 0);
    Free(skinner);
    DestroyWindow(bare);
}

TEST(Lifetime, AFormFreesItsEngineBeforeItsWindowAndNothingOfOursStaysOnIt)
{
    Manager();
    auto* form = new TForm(nullptr);
    auto* button = new TButton(form);
    button->SetParent(form);
    form->AfterConstruction();
    HWND window = form->Handle();
    const LONG_PTR procedure = GetWindowLongPtrW(window, GWLP_WNDPROC);
    const TWndMethod handler = form->WindowProc();
    ASSERT_TRUE(Manager().SkinWindow(window));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(window);
    ASSERT_NE(engine, nullptr);
    auto* skinner = new ProbeSkinner(button);
    skinner->AttachControl(engine, &SharedSkin(), false, engine->CanvasB());
    EXPECT_NE(GetWindowLongPtrW(window, GWLP_WNDPROC), procedure);
    EXPECT_NE(form->WindowProc(), handler);

    // The engine is one of the form's components: freeing it (as the form
    // does first when it goes) takes every replacement off the live window.
    Free(engine);
    EXPECT_EQ(Manager().FindEngine(window), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), procedure);
    EXPECT_EQ(form->WindowProc(), handler);
    EXPECT_EQ(SendMessageW(button->Handle(), WM_SKINQUERY, 0, 0), 0);
    SendMessageW(window, WM_NCACTIVATE, TRUE, 0);  // reaches no freed object

    // Skinned again and freed with the form: nothing dangles.
    ASSERT_TRUE(Manager().SkinWindow(window));
    Pump();
    Free(form);
    Pump();
    Manager().Tidy();
    EXPECT_FALSE(IsWindow(window));
}

TEST(Lifetime, HundredSkinCyclesLeaveNoObjectsBehind)
{
    Manager();
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } templ{};
    templ.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    templ.header.cx = 120;
    templ.header.cy = 60;
    auto cycle = [&] {
        auto* form = new TForm(nullptr);
        auto* menu = new TMainMenu(form);
        auto* item = new TMenuItem(menu);
        item->SetCaption("&File");
        menu->Items()->Add(item);
        auto* sub = new TMenuItem(menu);
        sub->SetCaption("&Open");
        item->Add(sub);
        form->SetMenu(menu);
        auto* button = new TButton(form);
        button->SetParent(form);
        form->AfterConstruction();
        Manager().SkinWindow(form->Handle());
        Pump();
        if (TWinSkinForm* engine = Manager().FindEngine(form->Handle())) {
            FramePicture picture(form->Width(), form->Height());
            engine->PaintFrame(picture.dc());
            engine->BuildSystemMenu();
        }
        Free(form);

        HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &templ.header, nullptr, nullptr, 0);
        Manager().SkinWindow(dialog);
        Pump();
        if (TWinSkinForm* engine = Manager().FindEngine(dialog)) {
            FramePicture picture(200, 100);
            engine->PaintFrame(picture.dc());
        }
        DestroyWindow(dialog);
        Pump();
        Manager().Tidy();
    };
    cycle();  // caches and first-use allocations
    const ResourceCounts before = CountResources();
    for (int i = 0; i < 100; ++i) cycle();
    const ResourceCounts after = CountResources();
    EXPECT_EQ(after, before) << "before: " << Describe(before) << "; after: " << Describe(after);
    EXPECT_TRUE(Manager().Engines().empty());
}

// Ends every menu loop of its window as soon as it waits, and counts the
// drop-downs that opened.
class EscapeEveryMenu : public WindowSubclass<EscapeEveryMenu> {
public:
    int opened = 0;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_INITMENUPOPUP) ++opened;
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) PostMessageW(Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        return CallPrevious(msg, wParam, lParam);
    }
};

// Closes the message box of this thread once it is up, noting whether the
// skin had taken it over.
struct MessageBoxCloser {
    static inline int skinned = 0, closed = 0;
    static BOOL CALLBACK Each(HWND window, LPARAM)
    {
        WCHAR name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        if (Manager().FindEngine(window) && SendMessageW(window, WM_SKINQUERY, 0, 0) == 1) ++skinned;
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        ++closed;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), &Each, 0); }
};

TEST(Lifetime, ShownPopupsTheSystemMenuAndARealMessageBoxLeaveNoObjectsBehind)
{
    ModalWatchdog watchdog(60000);
    Manager();
    auto* form = new TForm(nullptr);
    form->SetBounds(150, 150, 320, 220);
    auto* popup = new TPopupMenu(form);
    for (const char* caption : {"&Refresh", "-", "&Properties"}) {
        auto* item = new TMenuItem(popup);
        item->SetCaption(caption);
        popup->Items()->Add(item);
    }
    form->AfterConstruction();
    HWND window = form->Handle();
    EscapeEveryMenu escape;
    ASSERT_TRUE(escape.Attach(window));
    ASSERT_TRUE(Manager().SkinWindow(window));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(window);
    ASSERT_NE(engine, nullptr);
    ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }));
    MessageBoxCloser::skinned = MessageBoxCloser::closed = 0;

    int cycles = 0;
    auto cycle = [&] {
        popup->Popup(220, 220, window);
        Pump();
        // Alt+Space; a second one within the double-click time would be
        // taken for a double right-click on the caption.
        Pump(static_cast<int>(GetDoubleClickTime()) + 50);
        SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        Pump();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &MessageBoxCloser::Tick);
        MessageBoxW(window, L"Cannot create file", L"Quorvane", MB_OK | MB_ICONERROR);
        KillTimer(nullptr, timer);
        Pump();
        Manager().Tidy();
        ++cycles;
    };
    cycle();  // caches and first-use allocations
    const ResourceCounts before = CountResources();
    constexpr int kCycles = 12;
    for (int i = 0; i < kCycles; ++i) cycle();
    const ResourceCounts after = CountResources();
    EXPECT_EQ(after, before) << "before: " << Describe(before) << "; after: " << Describe(after);
    // Each cycle really showed all three: two drop-downs, one skinned box.
    EXPECT_EQ(escape.opened, 2 * cycles);
    EXPECT_EQ(MessageBoxCloser::closed, cycles);
    EXPECT_EQ(MessageBoxCloser::skinned, cycles);
    escape.Detach();
    Free(form);
    Pump();
    Manager().Tidy();
}

}  // namespace
}  // namespace quorvane
