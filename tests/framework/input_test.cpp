// What a user of the framework relies on around input and inheritance:
// clicks on windowless controls driven by real mouse input, mouse capture,
// fonts and colours passed down from parents, reading order as window
// styles, and plain messages that share a reflected notification's number.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/buttons.h"
#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/properties.h"
#include "framework/std_controls.h"
#include "framework/message_box.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using test::Pump;

// Real input travels through the input queue; give it time to arrive.
void Settle()
{
    for (int i = 0; i < 10; ++i) {
        Pump();
        Sleep(10);
    }
    Pump();
}

void Mouse(DWORD flags, POINT screen = {-1, -1})
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

// The shown form of this file, kept for all its tests.
TForm* Stage()
{
    static TForm* form = [] {
        auto* f = new TForm(nullptr);
        f->SetCaption("input");
        f->SetBounds(300, 200, 360, 240);
        f->SetColor(RGB(200, 200, 200));
        f->AfterConstruction();
        f->Show();
        return f;
    }();
    SetForegroundWindow(form->Handle());
    Settle();
    return form;
}

TEST(MouseInput, AWindowlessControlClicksOnlyWhenPressedAndReleasedOverIt)
{
    TForm* form = Stage();
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(20, 20, 60, 20);
    auto* other = new TLabel(form);
    other->SetParent(form);
    other->SetBounds(120, 20, 60, 20);
    int clicks = 0, otherClicks = 0;
    std::vector<POINT> ups;
    label->OnClick = [&](TObject*) { ++clicks; };
    other->OnClick = [&](TObject*) { ++otherClicks; };
    label->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) { ups.push_back({x, y}); };
    auto at = [&](int x, int y) { return form->ClientToScreen({x, y}); };

    // Pressed inside, released outside: no click, though the label still
    // gets the release (it held the mouse) in its own coordinates.
    Mouse(0, at(40, 30));
    Mouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(GetCapture(), form->Handle());
    Mouse(0, at(250, 150));
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks, 0);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].x, 230);
    EXPECT_EQ(ups[0].y, 130);
    EXPECT_EQ(GetCapture(), nullptr);

    // Pressed and released inside: one click.
    Mouse(0, at(40, 30));
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks, 1);

    // Out and back in before the release still clicks.
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(0, at(250, 150));
    Mouse(0, at(45, 25));
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks, 2);

    // Released over another windowless control: neither clicks.
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(0, at(150, 30));
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(otherClicks, 0);

    // Pressed outside, released inside: no click either.
    Mouse(0, at(250, 150));
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(0, at(40, 30));
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks, 2);

    // A disabled control takes no click, nor the mouse at all: the form
    // under it gets the press.
    label->SetEnabled(false);
    size_t upsBefore = ups.size();
    int formDowns = 0;
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(ups.size(), upsBefore) << "the disabled label got the mouse";
    EXPECT_EQ(formDowns, 1);
    form->OnMouseDown = nullptr;

    // The right button never clicks.
    label->SetEnabled(true);
    Mouse(MOUSEEVENTF_RIGHTDOWN);
    Mouse(MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(clicks, 2);
    Mouse(0, at(250, 150));
    Free(label);
    Free(other);
}

TEST(MouseInput, PostedMouseMessagesFollowTheSameRules)
{
    TForm* form = Stage();
    auto* button = new TSpeedButton(form);
    button->SetParent(form);
    button->SetBounds(20, 60, 40, 30);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    HWND window = form->Handle();
    auto post = [&](UINT msg, WPARAM keys, int x, int y) {
        PostMessageW(window, msg, keys, MAKELPARAM(x, y));
        Pump();
    };
    post(WM_LBUTTONDOWN, MK_LBUTTON, 30, 70);
    post(WM_MOUSEMOVE, MK_LBUTTON, 300, 200);
    post(WM_LBUTTONUP, 0, 300, 200);
    EXPECT_EQ(clicks, 0);
    post(WM_LBUTTONDOWN, MK_LBUTTON, 30, 70);
    post(WM_LBUTTONUP, 0, 59, 89);  // the last pixel inside
    EXPECT_EQ(clicks, 1);
    post(WM_LBUTTONDOWN, MK_LBUTTON, 30, 70);
    post(WM_LBUTTONUP, 0, 60, 90);  // just outside
    EXPECT_EQ(clicks, 1);
    Free(button);
}

std::string FaceOf(HFONT font)
{
    LOGFONTW log{};
    GetObjectW(font, sizeof log, &log);
    return Utf16ToUtf8(log.lfFaceName);
}

TEST(Inheritance, ChildrenTakeTheirParentsFontUntilTheyHaveTheirOwn)
{
    TForm form(nullptr);
    form.Font()->SetFontName("Arial");
    form.Font()->SetHeight(-13);
    auto* group = new TGroupBox(&form);
    group->SetParent(&form);
    auto* button = new TButton(group);
    button->SetParent(group);
    auto* label = new TLabel(group);
    label->SetParent(group);
    EXPECT_TRUE(button->ParentFont());
    EXPECT_EQ(group->Font()->FontName(), "Arial");
    EXPECT_EQ(button->Font()->FontName(), "Arial");
    EXPECT_EQ(label->Font()->Height(), -13);
    form.HandleNeeded();
    auto windowFont = [](TWinControl* c) { return reinterpret_cast<HFONT>(SendMessageW(c->Handle(), WM_GETFONT, 0, 0)); };
    EXPECT_EQ(FaceOf(windowFont(button)), "Arial");

    // A change of the form's font goes all the way down, windows included.
    form.Font()->SetFontName("Courier New");
    form.Font()->SetStyle(SetOf({fsBold}));
    EXPECT_EQ(group->Font()->FontName(), "Courier New");
    EXPECT_EQ(button->Font()->FontName(), "Courier New");
    EXPECT_EQ(label->Font()->Style(), SetOf({fsBold}));
    EXPECT_EQ(windowFont(button), button->Font()->Handle());
    EXPECT_EQ(FaceOf(windowFont(button)), "Courier New");
    EXPECT_TRUE(button->ParentFont());

    // A font of its own ends the inheritance, for it and no one else.
    TFont own;
    own.SetFontName("Times New Roman");
    button->SetFont(&own);
    EXPECT_FALSE(button->ParentFont());
    EXPECT_TRUE(label->ParentFont());
    form.Font()->SetHeight(-20);
    EXPECT_EQ(button->Font()->FontName(), "Times New Roman");
    EXPECT_EQ(label->Font()->Height(), -20);
    EXPECT_EQ(GetEnumPropName(button, "ParentFont"), "False");
    button->SetParentFont(true);
    EXPECT_EQ(button->Font()->FontName(), "Courier New");
    EXPECT_EQ(button->Font()->Height(), -20);

    // A control placed later takes the font its new parent has now.
    auto* late = new TEdit(&form);
    late->SetParent(group);
    EXPECT_EQ(late->Font()->FontName(), "Courier New");
    EXPECT_EQ(FaceOf(windowFont(late)), "Courier New");
}

TEST(Inheritance, ParentColorFollowsTheParentUntilAColourIsSet)
{
    TForm form(nullptr);
    form.SetColor(RGB(10, 20, 30));
    auto* group = new TGroupBox(&form);
    group->SetParent(&form);
    group->SetParentColor(true);
    auto* label = new TLabel(group);
    label->SetParentColor(true);
    label->SetParent(group);
    EXPECT_EQ(group->Color(), RGB(10, 20, 30));
    EXPECT_EQ(label->Color(), RGB(10, 20, 30));
    form.SetColor(RGB(40, 50, 60));
    EXPECT_EQ(group->Color(), RGB(40, 50, 60));
    EXPECT_EQ(label->Color(), RGB(40, 50, 60));
    label->SetColor(RGB(1, 2, 3));
    EXPECT_FALSE(label->ParentColor());
    form.SetColor(RGB(70, 80, 90));
    EXPECT_EQ(group->Color(), RGB(70, 80, 90));
    EXPECT_EQ(label->Color(), RGB(1, 2, 3));
    // A label follows by default; an edit keeps its own colour from the start.
    auto* follower = new TLabel(group);
    follower->SetParent(group);
    EXPECT_EQ(follower->Color(), group->Color());
    auto* own = new TEdit(group);
    own->SetParent(group);
    EXPECT_FALSE(own->ParentColor());
    EXPECT_NE(own->Color(), group->Color());
}

TEST(ReadingOrder, BiDiModeIsTheExtendedStylesOfTheWindowAlsoWhenChangedLater)
{
    struct Case {
        TBiDiMode mode;
        DWORD styles;
    };
    const Case cases[] = {
        {bdLeftToRight, 0},
        {bdRightToLeft, WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR},
        {bdRightToLeftNoAlign, WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR},
        {bdRightToLeftReadingOnly, WS_EX_RTLREADING},
    };
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    auto exStyle = [](TWinControl* c) { return static_cast<DWORD>(GetWindowLongPtrW(c->Handle(), GWL_EXSTYLE)); };
    for (const Case& c : cases) {
        edit->SetBiDiMode(c.mode);  // on the live window
        EXPECT_EQ(exStyle(edit) & (kBiDiExStyles | WS_EX_LAYOUTRTL), c.styles) << c.mode;
        EXPECT_TRUE(exStyle(edit) & WS_EX_CLIENTEDGE) << "other styles stay";
        EXPECT_EQ(BiDiExStyle(c.mode), c.styles);
    }
    for (const Case& c : cases) {  // and at creation
        auto* fresh = new TEdit(&form);
        fresh->SetBiDiMode(c.mode);
        fresh->SetParent(&form);
        EXPECT_EQ(exStyle(fresh) & (kBiDiExStyles | WS_EX_LAYOUTRTL), c.styles) << c.mode;
        Free(fresh);
    }

    // Children follow their parent until they are told otherwise.
    auto* group = new TGroupBox(&form);
    group->SetParent(&form);
    auto* inner = new TEdit(group);
    inner->SetParent(group);
    EXPECT_TRUE(inner->ParentBiDiMode());
    form.SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(group->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(inner->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(exStyle(inner) & kBiDiExStyles, WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR);
    EXPECT_EQ(exStyle(&form) & (kBiDiExStyles | WS_EX_LAYOUTRTL), WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR);
    EXPECT_TRUE(edit->ParentBiDiMode() == false);  // set explicitly above
    inner->SetBiDiMode(bdRightToLeftReadingOnly);
    form.SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(group->BiDiMode(), bdLeftToRight);
    EXPECT_EQ(inner->BiDiMode(), bdRightToLeftReadingOnly);
    EXPECT_EQ(exStyle(group) & kBiDiExStyles, 0u);
    EXPECT_EQ(GetEnumPropName(inner, "ParentBiDiMode"), "False");
    SetPropText(inner, "ParentBiDiMode", "True");
    EXPECT_EQ(inner->BiDiMode(), bdLeftToRight);
}

// Records the notify codes its own handling receives as CN_NOTIFY.
class TNotified : public TCustomControl {
public:
    explicit TNotified(TComponent* owner) : TCustomControl(owner) {}
    std::vector<UINT> codes;
    void WndProc(TMessage& message) override
    {
        if (message.msg == CN_NOTIFY) {
            codes.push_back(reinterpret_cast<NMHDR*>(message.lParam)->code);
            message.result = 7;
            return;
        }
        TCustomControl::WndProc(message);
    }
};

TEST(ReflectedNotices, APlainMessageWithTheNotifyNumberIsNeverReadAsAHeader)
{
    constexpr UINT kSkinApplied = 0xBC4E;
    static_assert(kSkinApplied == CN_NOTIFY);
    TForm form(nullptr);
    auto* notified = new TNotified(&form);
    notified->SetParent(&form);
    auto* toolBar = new TToolBar(&form);
    toolBar->SetParent(&form);
    auto* track = new TTrackBar(&form);
    track->SetParent(&form);

    // What a replaced WindowProc in front of the control sees.
    struct Observer {
        ScopedWindowProc scope;
        std::vector<bool> reflected;
        void Handle(TMessage& m)
        {
            if (m.msg == CN_NOTIFY) reflected.push_back(IsReflectedNotification(m));
            scope.CallPrevious(m);
        }
    } observer;
    observer.scope.Install(notified, MakeWndMethod<&Observer::Handle>(&observer));

    // A real notification reaches the control as a reflection.
    NMHDR header{notified->Handle(), 5, NM_CLICK};
    EXPECT_EQ(SendMessageW(form.Handle(), WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 7);
    EXPECT_EQ(notified->codes, (std::vector<UINT>{static_cast<UINT>(NM_CLICK)}));

    // The same number as a plain message (lParam 0x41A2 is no address)
    // passes the observers but not the control's own handling.
    EXPECT_EQ(SendMessageW(notified->Handle(), kSkinApplied, 0, 0x41A2), 0);
    EXPECT_EQ(notified->codes.size(), 1u);
    EXPECT_EQ(observer.reflected, (std::vector<bool>{true, false}));
    EXPECT_EQ(notified->Perform(kSkinApplied, 0, 0x41A2), 0);
    EXPECT_EQ(notified->codes.size(), 1u);

    // Controls of the framework that read notify headers survive it too.
    EXPECT_EQ(SendMessageW(toolBar->Handle(), kSkinApplied, 0, 0x41A2), 0);
    EXPECT_EQ(SendMessageW(track->Handle(), kSkinApplied, 0, 0x41A2), 0);
    int clicks = 0;
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(button->Handle(), CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0x41A2);
    EXPECT_EQ(clicks, 0);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(button->Handle()));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace quorvane
