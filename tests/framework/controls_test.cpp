// Controls over real windows: the message path through WindowProc, the
// notices the framework derives from platform messages, layout and the
// controls the reader uses.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/properties.h"
#include "framework/std_controls.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using test::Pump;

// Records what reaches it and passes everything on to the handler it replaced.
struct Spy {
    Spy(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    ~Spy()
    {
        if (control && control->WindowProc() == MakeWndMethod<&Spy::Handle>(this)) control->SetWindowProc(saved);
    }
    void Handle(TMessage& message)
    {
        if (message.msg >= WM_USER || message.msg == WM_PAINT) {
            char text[64];
            std::snprintf(text, sizeof text, "%s:%04X", name.c_str(), message.msg);
            log.push_back(text);
        }
        if (saved) saved(message);
    }
    void Install(TControl* target)
    {
        control = target;
        saved = control->WindowProc();
        control->SetWindowProc(MakeWndMethod<&Spy::Handle>(this));
    }
    TControl* control = nullptr;
    std::string name;
    std::vector<std::string>& log;
    TWndMethod saved;
};

class Fixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 400, 200);
        form->SetCaption("fixture");
    }
    void TearDown() override
    {
        Free(form);
        Pump();
    }
    TForm* form = nullptr;
};

TEST_F(Fixture, WindowPropertyAtomGivesTheControlOfAWindow)
{
    char expected[48], name[64] = {};
    std::snprintf(expected, sizeof expected, "ControlOfs%.8llX%.8X",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetModuleHandleW(nullptr))),
                  static_cast<unsigned>(GetCurrentThreadId()));
    GlobalGetAtomNameA(ControlAtom(), name, sizeof name);
    EXPECT_STREQ(name, expected);
    EXPECT_EQ(GlobalFindAtomA(expected), ControlAtom());

    auto* button = new TButton(form);
    button->SetParent(form);
    HWND window = button->Handle();
    EXPECT_TRUE(form->HandleAllocated());  // parents are created first
    EXPECT_EQ(GetPropW(window, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(ControlAtom()))), button);
    EXPECT_EQ(FindControl(form->Handle()), form);
    EXPECT_EQ(GetParent(window), form->Handle());
    Free(button);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindControl(window), nullptr);
}

TEST_F(Fixture, WindowProcChainSavedInstalledAndRestored)
{
    std::vector<std::string> log;
    auto* button = new TButton(form);
    button->SetParent(form);
    const TWndMethod original = button->WindowProc();
    Spy first("first", log), second("second", log);
    first.Install(button);
    second.Install(button);
    SendMessageW(button->Handle(), WM_USER + 1, 0, 0);  // through the window
    button->Perform(WM_USER + 2);                        // straight in
    EXPECT_EQ(log, (std::vector<std::string>{"second:0401", "first:0401", "second:0402", "first:0402"}));
    // Put back in reverse order: the chain is as it was.
    button->SetWindowProc(second.saved);
    button->SetWindowProc(first.saved);
    EXPECT_EQ(button->WindowProc(), original);
    log.clear();
    SendMessageW(button->Handle(), WM_USER + 3, 0, 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(Fixture, ScopedWindowProcRemovedOutOfOrderStaysAPassThrough)
{
    std::vector<std::string> log;
    auto* label = new TLabel(form);
    label->SetParent(form);
    struct Hook {
        std::string name;
        std::vector<std::string>* log;
        ScopedWindowProc scope;
        void Handle(TMessage& m)
        {
            if (m.msg >= WM_USER) log->push_back(name);
            scope.CallPrevious(m);
        }
    };
    auto* a = new Hook{"a", &log, {}};
    auto* b = new Hook{"b", &log, {}};
    a->scope.Install(label, MakeWndMethod<&Hook::Handle>(a));
    b->scope.Install(label, MakeWndMethod<&Hook::Handle>(b));
    delete a;  // not the current handler: stays in the chain, passing on
    label->Perform(WM_USER);
    EXPECT_EQ(log, (std::vector<std::string>{"b"}));
    delete b;
    log.clear();
    label->Perform(WM_USER);
    label->Perform(CM_MOUSEENTER);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(label->MouseInControl());  // the default handling is still reached

    // A control freed before its replacement is removed.
    auto* c = new Hook{"c", &log, {}};
    c->scope.Install(label, MakeWndMethod<&Hook::Handle>(c));
    Free(label);
    EXPECT_EQ(c->scope.Control(), nullptr);
    delete c;
}

TEST_F(Fixture, ParentReflectsNotificationsToTheChild)
{
    std::vector<std::string> log;
    auto* button = new TButton(form);
    button->SetParent(form);
    int clicks = 0;
    button->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, button);
        ++clicks;
    };
    Spy spy("button", log);
    spy.Install(button);
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_NE(std::find(log.begin(), log.end(), "button:BD11"), log.end());

    NMHDR header{button->Handle(), 7, 1234};
    SendMessageW(form->Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
    EXPECT_NE(std::find(log.begin(), log.end(), "button:BC4E"), log.end());

    auto* bar = new TTrackBar(form);
    bar->SetParent(form);
    bar->SetRange(-10, 10);
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    Spy barSpy("bar", log);
    barSpy.Install(bar);
    SendMessageW(bar->Handle(), TBM_SETPOS, TRUE, 4);
    SendMessageW(form->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 4), reinterpret_cast<LPARAM>(bar->Handle()));
    EXPECT_EQ(bar->Position(), 4);
    EXPECT_EQ(changes, 1);
    // The same position again raises nothing.
    SendMessageW(form->Handle(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar->Handle()));
    EXPECT_EQ(changes, 1);
    EXPECT_NE(std::find(log.begin(), log.end(), "bar:BD14"), log.end());
    // The program's own changes raise it only when the position differs.
    bar->SetPosition(4);
    bar->SetPosition(-3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(SendMessageW(bar->Handle(), TBM_GETPOS, 0, 0), -3);
}

TEST_F(Fixture, ATrackBarErasesWithTheColourOfItsForm)
{
    // The platform slider asks its parent for the colour of its background;
    // it must be the form's, also after the form's colour changes.
    auto* bar = new TTrackBar(form);
    bar->SetParent(form);
    const TColor saved = form->Color();
    form->SetColor(static_cast<TColor>(RGB(30, 40, 50)));
    HDC dc = GetDC(bar->Handle());
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(bar->Handle())));
    LOGBRUSH info{};
    ASSERT_TRUE(GetObjectW(brush, sizeof info, &info));
    EXPECT_EQ(info.lbColor, RGB(30, 40, 50));
    EXPECT_EQ(GetBkColor(dc), RGB(30, 40, 50));
    ReleaseDC(bar->Handle(), dc);
    form->SetColor(saved);
    EXPECT_EQ(bar->Color(), saved);
    Free(bar);
}

TEST_F(Fixture, GraphicControlsArePaintedByTheParentAndGetItsMouse)
{
    form->SetColor(RGB(200, 0, 0));
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(20, 20, 60, 20);
    label->SetColor(RGB(0, 180, 0));
    label->SetCaption("");
    form->Show();
    UpdateWindow(form->Handle());
    {
        WindowDc dc(form->Handle());
        EXPECT_EQ(GetPixel(dc.get(), 30, 30), RGB(0, 180, 0));
        EXPECT_EQ(GetPixel(dc.get(), 5, 5), RGB(200, 0, 0));
    }

    std::vector<std::string> events;
    label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    label->OnClick = [&](TObject*) { events.push_back("click"); };
    label->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
    label->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
    SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(25, 30));
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 30));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(26, 31));
    SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 100));
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "down 5,10", "click", "leave"}));
    EXPECT_FALSE(label->MouseInControl());
    EXPECT_TRUE(form->MouseInControl());
    // The mouse leaving the window from over the control or from the form
    // itself: whatever it was over hears that it has gone.
    for (POINT at : {POINT{25, 30}, POINT{150, 100}, POINT{30, 25}}) {
        events.clear();
        SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(form->Handle(), WM_MOUSELEAVE, 0, 0);
        const bool overLabel = at.x < 80;
        EXPECT_EQ(events, overLabel ? (std::vector<std::string>{"enter", "leave"}) : std::vector<std::string>{})
            << at.x << "," << at.y;
        EXPECT_FALSE(label->MouseInControl()) << at.x << "," << at.y;
        EXPECT_FALSE(form->MouseInControl()) << at.x << "," << at.y;
    }
}

TEST_F(Fixture, AnchorsKeepEdgesOrCentresWhenTheParentResizes)
{
    form->SetClientWidth(550);
    form->SetClientHeight(76);
    form->BeginLoading();
    auto make = [&](int l, int t, int w, int h, TAnchors anchors) {
        auto* c = new TLabel(form);
        c->SetParent(form);
        c->SetBounds(l, t, w, h);
        c->SetAnchors(anchors);
        return c;
    };
    TControl* centred = make(47, 5, 183, 21, SetOf({akTop}));
    TControl* right = make(37 + 400, 30, 80, 22, SetOf({akTop, akRight}));
    TControl* plain = make(119, 33, 97, 17, kDefaultAnchors);
    TControl* stretched = make(10, 50, 100, 10, SetOf({akLeft, akRight, akTop, akBottom}));
    auto* status = new TStatusBar(form);
    status->SetParent(form);
    status->SetHeight(19);
    form->EndLoading();
    form->Show();
    const int client = form->ClientWidth();
    ASSERT_EQ(client, 550);
    ASSERT_EQ(form->ClientHeight(), 76);
    EXPECT_EQ(status->Top(), 57);
    EXPECT_EQ(status->Width(), 550);

    form->SetBounds(form->Left(), form->Top(), form->Width() + 100, form->Height() + 20);
    ASSERT_EQ(form->ClientWidth(), 650);
    EXPECT_EQ(centred->Left(), static_cast<int>((47 + 183 / 2.0) / 550 * 650 - 183 / 2.0 + 0.5));
    EXPECT_EQ(centred->Top(), 5);
    EXPECT_EQ(right->Left(), 537);
    EXPECT_EQ(plain->Left(), 119);
    EXPECT_EQ(plain->Top(), 33);
    EXPECT_EQ(stretched->Width(), 200);
    EXPECT_EQ(stretched->Height(), 30);
    EXPECT_EQ(status->Top(), 96 - 19);
    EXPECT_EQ(status->Width(), 650);
    RECT rect{};
    GetWindowRect(status->Handle(), &rect);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.top, 77);
    EXPECT_EQ(rect.right - rect.left, 650);
    // Back to the first size: everything returns.
    form->SetBounds(form->Left(), form->Top(), form->Width() - 100, form->Height() - 20);
    EXPECT_EQ(centred->Left(), 47);
    EXPECT_EQ(right->Left(), 437);
    EXPECT_EQ(stretched->Width(), 100);
}

TEST_F(Fixture, TextSurvivesTheWindowInChinese)
{
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetCaption("帮助");
    WCHAR text[16] = {};
    GetWindowTextW(button->Handle(), text, 16);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"帮助");
    SetWindowTextW(button->Handle(), reinterpret_cast<const WCHAR*>(u"关于"));
    EXPECT_EQ(button->Caption(), "关于");
    EXPECT_EQ(GetTextProp(button, "Caption"), u"关于");
    SetPropText(button, "caption", "退出");
    GetWindowTextW(button->Handle(), text, 16);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"退出");
}

TEST_F(Fixture, SortedComboKeepsObjectsBeforeAndAfterItsWindow)
{
    auto* combo = new TComboBox(form);
    combo->SetStyle(csDropDownList);
    combo->SetSorted(true);
    int tokens[4];
    combo->Items()->AddObject("Zeta", &tokens[0]);
    combo->Items()->AddObject("alpha", &tokens[1]);
    combo->SetParent(form);
    combo->HandleNeeded();
    combo->Items()->AddObject("Mu", &tokens[2]);
    const int beta = combo->Items()->AddObject("Beta", &tokens[3]);
    EXPECT_EQ(beta, 1);
    const std::vector<std::string> expected = {"alpha", "Beta", "Mu", "Zeta"};
    ASSERT_EQ(combo->Items()->Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(combo->Items()->Get(i), expected[static_cast<size_t>(i)]);
    EXPECT_EQ(combo->Items()->Objects(0), &tokens[1]);
    EXPECT_EQ(combo->Items()->Objects(3), &tokens[0]);
    EXPECT_EQ(GetWindowLongPtrW(combo->Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);

    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    combo->SetItemIndex(2);  // the program's selection raises nothing
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "Mu");
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
    EXPECT_EQ(changes, 1);
    // Recreating the window keeps items, objects and selection.
    combo->RecreateWnd();
    EXPECT_EQ(combo->Items()->Count(), 4);
    EXPECT_EQ(combo->Items()->Objects(1), &tokens[3]);
    EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(Fixture, RichEditSelectionStyleAndLargeText)
{
    auto* edit = new TRichEdit(form);
    edit->SetParent(form);
    edit->SetHideSelection(false);
    for (const char* line : {"A quick brown fox ", "jumps ", "over ", "the lazy dog."}) edit->Lines()->Add(line);
    edit->HandleNeeded();
    ASSERT_EQ(edit->Lines()->Count(), 4);
    EXPECT_EQ(edit->Lines()->Get(1), "jumps ");

    edit->Lines()->BeginUpdate();
    edit->SetSelStart(2);
    edit->SetSelLength(5);
    edit->SelAttributes()->SetStyle(SetOf({fsItalic}));
    edit->SetSelLength(0);
    edit->Lines()->EndUpdate();
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(edit->SelLength(), 0);
    edit->SetSelStart(3);
    edit->SetSelLength(2);
    EXPECT_EQ(edit->SelAttributes()->Style(), SetOf({fsItalic}));
    EXPECT_EQ(edit->SelText(), "ui");
    edit->SetSelStart(0);
    edit->SetSelLength(1);
    EXPECT_EQ(edit->SelAttributes()->Style(), 0u);

    // Far more than the platform's default limit of 32K characters goes in whole.
    std::string big;
    while (big.size() < 200000) big += "The quick brown fox jumps over the lazy dog.\r\n";
    edit->SetText(big);
    EXPECT_EQ(edit->Text().size(), big.size());
}

TEST_F(Fixture, CheckBoxButtonsToolBarAndStatusBar)
{
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    check->SetChecked(false);  // unchanged: no click
    EXPECT_EQ(clicks, 0);
    check->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(check->Handle(), BM_CLICK, 0, 0);  // as the user does
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(GetEnumPropName(check, "State"), "cbUnchecked");

    auto* images = new TImageList(form);
    auto* bar = new TToolBar(form);
    bar->SetAlign(alNone);
    bar->SetParent(form);
    bar->SetImages(images);
    bar->SetAutoSize(true);
    std::vector<TToolButton*> buttons;
    std::vector<int> clicked;
    for (int i = 0; i < 3; ++i) {
        auto* button = new TToolButton(form);
        button->SetParent(bar);
        button->SetImageIndex(i);
        button->OnClick = [&clicked, i](TObject*) { clicked.push_back(i); };
        buttons.push_back(button);
    }
    EXPECT_EQ(SendMessageW(bar->Handle(), TB_BUTTONCOUNT, 0, 0), 3);
    SendMessageW(bar->Handle(), WM_COMMAND, 0, 0);  // nothing of ours
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(buttons[1]->CommandId(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar->Handle()));
    EXPECT_EQ(clicked, (std::vector<int>{1}));
    EXPECT_EQ(bar->Width(), buttons[2]->Left() + buttons[2]->Width());  // sized to its buttons
    // The tool bar's own tooltip asks its parent for a button's hint.
    buttons[2]->SetHint("停止");
    buttons[2]->SetShowHint(true);
    HWND tip = reinterpret_cast<HWND>(SendMessageW(bar->Handle(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tip, nullptr);
    NMTTDISPINFOW info{};
    info.hdr = {tip, static_cast<UINT_PTR>(buttons[2]->CommandId()), TTN_GETDISPINFOW};
    SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(info.lpszText)), u"停止");
    Free(images);
    EXPECT_EQ(bar->Images(), nullptr);

    auto* status = new TStatusBar(form);
    status->SetParent(form);
    status->SetSimplePanel(true);
    status->SetSimpleText("欢迎您访问：");
    WCHAR text[32] = {};
    SendMessageW(status->Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"欢迎您访问：");
}

// Aligned children take their strips of the client area in the order top,
// bottom, left, right, client; hiding or showing one of them hands its
// strip to the others at once, and so does a resize of the parent.
TEST_F(Fixture, AlignedChildrenShareTheClientAreaAndCloseUpWhenOneIsHidden)
{
    (void)form->Handle();
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    struct Child {
        const char* name;
        TAlign align;
        int size;  // height for top and bottom, width for left and right
        TPanel* panel = nullptr;
    };
    Child children[] = {{"top", alTop, 20}, {"bottom", alBottom, 30}, {"second bottom", alBottom, 25},
                        {"left", alLeft, 40}, {"right", alRight, 50},   {"client", alClient, 0}};
    for (Child& child : children) {
        child.panel = new TPanel(form);
        child.panel->SetBounds(0, 0, child.size ? child.size : 10, child.size ? child.size : 10);
        child.panel->SetParent(form);
        child.panel->SetAlign(child.align);
    }
    TPanel* bottom = children[1].panel;
    struct Layout {
        const char* what;
        std::function<void()> act;
        RECT expected[6];  // left, top, width, height of each child
    };
    const Layout layouts[] = {
        {"all shown", [] {},
         {{0, 0, 300, 20}, {0, 170, 300, 30}, {0, 145, 300, 25}, {0, 20, 40, 125}, {250, 20, 50, 125}, {40, 20, 210, 125}}},
        {"first bottom hidden", [&] { bottom->SetVisible(false); },
         {{0, 0, 300, 20}, {0, 170, 300, 30}, {0, 175, 300, 25}, {0, 20, 40, 155}, {250, 20, 50, 155}, {40, 20, 210, 155}}},
        {"wider and taller", [&] { form->SetClientWidth(400); form->SetClientHeight(260); },
         {{0, 0, 400, 20}, {0, 170, 300, 30}, {0, 235, 400, 25}, {0, 20, 40, 215}, {350, 20, 50, 215}, {40, 20, 310, 215}}},
        {"shown again", [&] { bottom->SetVisible(true); },
         {{0, 0, 400, 20}, {0, 230, 400, 30}, {0, 205, 400, 25}, {0, 20, 40, 185}, {350, 20, 50, 185}, {40, 20, 310, 185}}},
    };
    for (const Layout& layout : layouts) {
        layout.act();
        for (size_t i = 0; i < 6; ++i) {
            const Child& child = children[i];
            if (!child.panel->Visible()) continue;
            const RECT& e = layout.expected[i];
            EXPECT_EQ(child.panel->Left(), e.left) << layout.what << ": " << child.name;
            EXPECT_EQ(child.panel->Top(), e.top) << layout.what << ": " << child.name;
            EXPECT_EQ(child.panel->Width(), e.right) << layout.what << ": " << child.name;
            EXPECT_EQ(child.panel->Height(), e.bottom) << layout.what << ": " << child.name;
        }
    }
}

TEST_F(Fixture, VisibleAndEnabledChangesSendNotices)
{
    std::vector<std::string> log;
    auto* button = new TButton(form);
    button->SetParent(form);
    Spy spy("b", log);
    spy.Install(button);
    button->SetEnabled(false);
    button->SetVisible(false);
    EXPECT_FALSE(IsWindowEnabled(button->Handle()));
    EXPECT_FALSE(GetWindowLongPtrW(button->Handle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_NE(std::find(log.begin(), log.end(), "b:B00C"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "b:B00B"), log.end());
    log.clear();
    button->RecreateWnd();
    EXPECT_NE(std::find(log.begin(), log.end(), "b:B033"), log.end());
    EXPECT_FALSE(IsWindowEnabled(button->Handle()));
    // Once the window exists, each change reaches it at once.
    for (bool enabled : {true, false, true}) {
        button->SetEnabled(enabled);
        EXPECT_EQ(IsWindowEnabled(button->Handle()) != FALSE, enabled) << (enabled ? "enabled" : "disabled");
        button->SetVisible(enabled);
        EXPECT_EQ((GetWindowLongPtrW(button->Handle(), GWL_STYLE) & WS_VISIBLE) != 0, enabled);
    }
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

TEST_F(Fixture, AWindowMadeAnewIsAnnouncedToTheControlAndEveryWindowedControlInsideIt)
{
    // A panel holding a button; a second panel to move it to. Each case
    // names the windowed controls that hear CM_RECREATEWND, once each.
    struct Case {
        const char* name;
        std::function<void(TPanel* outer, TPanel* other)> act;
        std::vector<std::string> heard;
    };
    const std::vector<Case> cases = {
        {"RecreateWnd of the panel", [](TPanel* outer, TPanel*) { outer->RecreateWnd(); }, {"inner", "outer"}},
        {"moved to another parent", [](TPanel* outer, TPanel* other) { outer->SetParent(other); }, {"inner", "outer"}},
        {"moved while it had no window",
         [](TPanel* outer, TPanel* other) {
             outer->DestroyHandle();
             outer->SetParent(other);
         },
         {}},
        {"a property that keeps the window", [](TPanel* outer, TPanel*) { outer->SetCaption("same window"); }, {}},
    };
    for (const Case& each : cases) {
        auto* outer = new TPanel(form);
        outer->SetParent(form);
        outer->SetBounds(10, 10, 150, 80);
        auto* inner = new TButton(form);
        inner->SetParent(outer);
        inner->SetBounds(5, 5, 60, 24);
        auto* other = new TPanel(form);
        other->SetParent(form);
        other->SetBounds(200, 10, 150, 80);
        form->HandleNeeded();
        outer->HandleNeeded();
        const HWND before = outer->Handle();
        std::vector<std::string> heard;
        {
            std::vector<std::string> log;
            Spy outerSpy("outer", log), innerSpy("inner", log);
            outerSpy.Install(outer);
            innerSpy.Install(inner);
            each.act(outer, other);
            for (const std::string& entry : log)
                if (entry.size() > 5 && entry.compare(entry.size() - 5, 5, ":B033") == 0)
                    heard.push_back(entry.substr(0, entry.size() - 5));
        }
        EXPECT_EQ(heard, each.heard) << each.name;
        if (!each.heard.empty()) {
            EXPECT_NE(outer->Handle(), before) << each.name;
            EXPECT_EQ(GetParent(inner->Handle()), outer->Handle()) << each.name;
        }
        Free(inner);
        Free(outer);
        Free(other);
    }
}

TEST(Accelerators, AmpersandMarksTheKey)
{
    struct Case {
        const char* caption;
        WPARAM key;
        bool accel;
    };
    for (const Case& c : {Case{"&Play", 'p', true}, Case{"&Play", 'P', true}, Case{"P&lay", 'l', true},
                          Case{"Play", 'p', false}, Case{"A&&B", 'b', false}, Case{"A&&&B", 'b', true},
                          Case{"End&", 'd', false}, Case{" &Attributes ", 'a', true}})
        EXPECT_EQ(IsAccel(c.key, c.caption), c.accel) << c.caption << " " << static_cast<char>(c.key);
}

TEST_F(Fixture, DialogCharClicksTheButtonWithThatAccelerator)
{
    auto* group = new TGroupBox(form);
    group->SetParent(form);
    auto* play = new TButton(form);
    play->SetParent(group);
    play->SetCaption("&Play");
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    check->SetCaption("&Repeat");
    form->HandleNeeded();
    int clicks = 0;
    play->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'p', 0), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'r', 0), 1);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'x', 0), 0);
}

TEST_F(Fixture, HintsBecomeToolsOfTheHintWindow)
{
    auto* button = new TButton(form);
    button->SetParent(form);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetHint("标签");
    button->SetHint("朗读");
    form->SetShowHint(true);  // children follow their parent's ShowHint
    HWND tip = Application->HintWindow();
    ASSERT_NE(tip, nullptr);
    const LRESULT before = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
    form->HandleNeeded();
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), before + 2);
    WCHAR text[32] = {};
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = button->Handle();
    info.uId = reinterpret_cast<UINT_PTR>(button->Handle());
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 32, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"朗读");
    Free(label);
    Free(button);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), before);
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

TEST_F(Fixture, ParentPaintsBackgroundAndWindowlessChildrenIntoAGivenDc)
{
    form->SetColor(RGB(10, 20, 30));
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(4, 4, 10, 10);
    label->SetColor(RGB(200, 100, 50));
    label->SetCaption("");
    // The tool bar's custom drawing reaches its handlers.
    auto* bar = new TToolBar(form);
    bar->SetAlign(alNone);
    bar->SetBounds(100, 0, 80, 26);
    bar->SetParent(form);
    (new TToolButton(form))->SetParent(bar);
    int barDraws = 0, buttonDraws = 0;
    bar->OnCustomDraw = [&](TToolBar* sender, const RECT&, HDC dc, bool&) {
        EXPECT_EQ(sender, bar);
        EXPECT_NE(dc, nullptr);
        ++barDraws;
    };
    bar->OnCustomDrawButton = [&](TToolBar*, TToolButton* button, NMTBCUSTOMDRAW&, bool&) {
        EXPECT_EQ(button, bar->Buttons(0));
        ++buttonDraws;
    };
    form->Show();
    UpdateWindow(form->Handle());
    EXPECT_GT(barDraws, 0);
    EXPECT_GT(buttonDraws, 0);
    InvalidateRect(form->Handle(), nullptr, FALSE);

    WindowDc screen(nullptr);
    MemoryDc dc(screen.get());
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 32, 32));
    SelectGuard select(dc.get(), bitmap.get());
    form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.get()), 0);
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(dc.get(), 8, 8), RGB(200, 100, 50));
    // The window's own pending paint is untouched.
    RECT pending{};
    EXPECT_TRUE(GetUpdateRect(form->Handle(), &pending, FALSE));
}

}  // namespace
}  // namespace quorvane

#include "framework/buttons.h"

namespace quorvane {
namespace {

// A glyph strip of `frames` 4x4 frames: frame n filled with colours[n], the
// bottom-left pixel of the strip magenta (the transparent colour).
HBITMAP MakeStrip(const std::vector<COLORREF>& colours)
{
    WindowDc screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), 4 * static_cast<int>(colours.size()), 4);
    MemoryDc dc(screen.get());
    SelectGuard select(dc.get(), bitmap);
    for (size_t i = 0; i < colours.size(); ++i) {
        RECT r{static_cast<LONG>(4 * i), 0, static_cast<LONG>(4 * i + 4), 4};
        UniqueBrush brush(CreateSolidBrush(colours[i]));
        FillRect(dc.get(), &r, brush.get());
    }
    SetPixel(dc.get(), 0, 3, RGB(255, 0, 255));
    return bitmap;
}

TEST_F(Fixture, SpeedButtonDrawsItsGlyphFrameAndKeepsItsGroupDown)
{
    auto* first = new TSpeedButton(form);
    first->SetParent(form);
    first->SetBounds(0, 0, 24, 24);
    first->Glyph()->SetHandle(MakeStrip({RGB(0, 0, 200), RGB(90, 90, 90), RGB(0, 200, 0), RGB(200, 200, 0)}));
    first->SetNumGlyphs(4);
    first->SetGroupIndex(1);
    auto* second = new TSpeedButton(form);
    second->SetParent(form);
    second->SetBounds(30, 0, 24, 24);
    second->SetGroupIndex(1);
    EXPECT_EQ(GetObjectPropOf<TBitmap>(first, "Glyph"), first->Glyph());
    EXPECT_EQ(GetIntProp(first, "NumGlyphs"), 4);
    EXPECT_EQ(GetEnumPropName(first, "Layout"), "blGlyphLeft");

    WindowDc screen(nullptr);
    MemoryDc dc(screen.get());
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 24, 24));
    SelectGuard select(dc.get(), bitmap.get());
    auto paint = [&] {
        first->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.get()), 0);
        return GetPixel(dc.get(), 11, 11);  // the glyph sits in the middle: (10..13)
    };
    EXPECT_EQ(paint(), RGB(0, 0, 200));
    EXPECT_EQ(GetPixel(dc.get(), 10, 13), GetSysColor(COLOR_BTNFACE));  // magenta left out
    form->HandleNeeded();
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(first->Down());
    EXPECT_EQ(paint(), RGB(200, 200, 0));  // the stays-down frame, moved by one pixel
    second->Click();
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    second->SetDown(false);  // the last one down of a group stays down
    EXPECT_TRUE(second->Down());
    first->SetEnabled(false);
    EXPECT_EQ(paint(), RGB(90, 90, 90));
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

TEST_F(Fixture, BitButtonDrawsItsGlyphWhenAskedAndStillClicks)
{
    auto* button = new TBitBtn(form);
    button->SetParent(form);
    button->SetBounds(0, 0, 40, 24);
    button->SetCaption("");
    button->Glyph()->SetHandle(MakeStrip({RGB(0, 0, 200), RGB(90, 90, 90)}));
    button->SetNumGlyphs(2);
    EXPECT_EQ((GetWindowLongPtrW(button->Handle(), GWL_STYLE) & BS_TYPEMASK), BS_OWNERDRAW);

    WindowDc screen(nullptr);
    MemoryDc dc(screen.get());
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 40, 24));
    SelectGuard select(dc.get(), bitmap.get());
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.hwndItem = button->Handle();
    draw.hDC = dc.get();
    draw.rcItem = {0, 0, 40, 24};
    SendMessageW(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(GetPixel(dc.get(), 20, 12), RGB(0, 0, 200));
    button->SetEnabled(false);
    SendMessageW(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(GetPixel(dc.get(), 20, 12), RGB(90, 90, 90));
    button->SetEnabled(true);

    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->InheritsFrom("TButton"));
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window the platform refuses is reported with the class of the control,
// its name and the platform's error code, not only "cannot".
TEST(WindowCreation, ARefusedWindowNamesItsClassAndThePlatformsError)
{
    auto* form = new TForm(nullptr);
    form->SetName("Refused");
    HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::string message;
    try {
        form->Handle();
    } catch (const std::exception& e) {
        message = e.what();
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(message.rfind("Cannot create a window for TForm 'Refused' (CreateWindowEx error ", 0), 0u) << message;
    Free(form);
}

}  // namespace
}  // namespace quorvane
