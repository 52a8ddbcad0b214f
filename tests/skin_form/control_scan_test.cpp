// The control scan's decisions over real controls, and the button, check,
// radio, group and box skinners: their pictures by state, mouse and keyboard
// by posted messages, and clicks.
#include <windowsx.h>

#include <functional>
#include <map>

#include "framework/buttons.h"
#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/group_controls.h"
#include "framework/std_controls.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/check_skinners.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

// The class name of the skinner the engine keeps for a control, or "".
std::string SkinnerOf(TWinSkinForm* engine, const TControl* control)
{
    for (TSkinControl* skinner : engine->Skinners())
        if (skinner->Control() == control) return skinner->ClassName();
    return {};
}

template <class T>
T* Add(TForm* form, TWinControl* parent, const char* caption, int left, int top, int width = 80, int height = 24)
{
    auto* control = new T(form);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    if (caption) control->SetCaption(caption);
    return control;
}

// Paints a windowed control's skin into a picture of its size.
std::unique_ptr<FramePicture> PaintControl(TWinControl* control)
{
    auto picture = std::make_unique<FramePicture>(control->Width(), control->Height());
    SendMessageW(control->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(picture->dc()), 0);
    return picture;
}

struct ScanFixture {
    TForm* form = nullptr;
    TWinSkinForm* engine = nullptr;
    std::vector<std::string> skin3rd;
    TSkinControlTypes kinds = 0;

    explicit ScanFixture(const std::function<void(TForm*)>& build, std::vector<std::string> map = {},
                         TSkinControlTypes controls = kReaderSkinControls)
    {
        TSkinData& skin = SharedSkin();
        skin3rd = skin.Skin3rd();
        kinds = skin.SkinControls();
        skin.SetSkin3rd(map.empty() ? skin3rd : map);
        skin.SetSkinControls(controls);
        form = new TForm(nullptr);
        form->SetBounds(30, 30, 640, 420);
        build(form);
        form->AfterConstruction();
        Manager().SkinWindow(form->Handle());
        Pump();
        engine = Manager().FindEngine(form->Handle());
    }
    ~ScanFixture()
    {
        Free(form);
        Pump();
        SharedSkin().SetSkin3rd(skin3rd);
        SharedSkin().SetSkinControls(kinds);
    }
};

TEST(ControlScan, EachControlGetsTheSkinnerOfItsKindOnceAndTheRulesComeInOrder)
{
    std::map<std::string, TControl*> c;
    ScanFixture f([&](TForm* form) {
        c["button"] = Add<TButton>(form, form, "OK", 10, 10);
        c["bitbtn"] = Add<TBitBtn>(form, form, "Glyph", 100, 10);  // a button, but the bit button rule comes first
        c["check"] = Add<TCheckBox>(form, form, "Check", 10, 40, 120);
        c["radio"] = Add<TRadioButton>(form, form, "Radio", 10, 70, 120);
        auto* group = Add<TGroupBox>(form, form, "Group", 200, 40, 200, 120);
        c["group"] = group;
        c["inGroup"] = Add<TButton>(form, group, "Inner", 10, 20);
        auto* panel = Add<TPanel>(form, form, nullptr, 420, 40, 200, 120);
        c["panel"] = panel;
        c["inPanel"] = Add<TCheckBox>(form, panel, "Inside", 10, 10, 120);
        c["speed"] = Add<TSpeedButton>(form, form, "Speed", 10, 100);
        c["tagged"] = Add<TButton>(form, form, "Tagged", 10, 130);
        c["tagged"]->SetTag(99);
        c["label"] = Add<TLabel>(form, form, "Label", 10, 160);
    });
    ASSERT_NE(f.engine, nullptr);
    const std::map<std::string, std::string> expected = {
        {"button", "TSkinButton"},    {"bitbtn", "TSkinBitButton"}, {"check", "TSkinCheckBox"},
        {"radio", "TSkinRadioButton"}, {"group", "TSkinGroupBox"},  {"inGroup", "TSkinButton"},
        {"panel", "TSkinBox"},         {"inPanel", "TSkinCheckBox"}, {"speed", "TSkinSpeedButton"},
        {"tagged", ""},                {"label", ""},
    };
    for (const auto& [name, skinner] : expected) EXPECT_EQ(SkinnerOf(f.engine, c[name]), skinner) << name;
    // The panel takes the skin colour; a second scan attaches nothing again.
    EXPECT_EQ(c["panel"]->Color(), static_cast<TColor>(SharedSkin().Colours.ButtonFace));
    const size_t count = f.engine->Skinners().size();
    ScanForm(f.engine, f.form);
    EXPECT_EQ(f.engine->Skinners().size(), count);
    for (const char* name : {"button", "check", "radio"})
        EXPECT_EQ(SendMessageW(As<TWinControl>(c[name])->Handle(), WM_SKINQUERY, 0, 0), 1) << name;
    // A new skin: the form and the panel that took the skin's colour take
    // the new one, and the old one again when the skin goes back.
    for (COLORREF face : {RGB(200, 190, 180), kFace, RGB(20, 40, 60)}) {
        SkinOptions options;
        options.face = face;
        ASSERT_TRUE(SharedSkin().ApplyPackage(TestSkinPackage(options)));
        const DWORD end = GetTickCount() + 5000;
        while ((Manager().PendingCommand() != 0 || c["panel"]->Color() != static_cast<TColor>(face)) &&
               static_cast<int>(end - GetTickCount()) > 0) {
            Pump();
            Sleep(5);
        }
        EXPECT_EQ(f.form->Color(), static_cast<TColor>(face)) << "form";
        EXPECT_EQ(c["panel"]->Color(), static_cast<TColor>(face)) << "panel with the face " << int(GetRValue(face));
    }
    ASSERT_TRUE(SharedSkin().ApplyPackage(TestSkinPackage()));
    const DWORD end = GetTickCount() + 5000;
    while (Manager().PendingCommand() != 0 && static_cast<int>(end - GetTickCount()) > 0) {
        Pump();
        Sleep(5);
    }
}

TEST(ControlScan, GroupsSkinTheirButtonsAndTheDisableTagKeepsAGroupsButtonsToo)
{
    TRadioGroup* radios = nullptr;
    TRadioGroup* plain = nullptr;
    TCheckGroup* checks = nullptr;
    ScanFixture f([&](TForm* form) {
        radios = Add<TRadioGroup>(form, form, "Voices", 10, 10, 200, 120);
        plain = Add<TRadioGroup>(form, form, "Left alone", 220, 10, 200, 120);
        checks = Add<TCheckGroup>(form, form, "Options", 10, 140, 200, 120);
        for (TCustomButtonGroup* group : std::initializer_list<TCustomButtonGroup*>{radios, plain, checks}) {
            group->Items()->Add("First");
            group->Items()->Add("Second");
        }
        plain->SetTag(99);
    });
    ASSERT_NE(f.engine, nullptr);
    EXPECT_EQ(SkinnerOf(f.engine, radios), "TSkinGroupBox");
    EXPECT_EQ(SkinnerOf(f.engine, checks), "TSkinGroupBox");
    ASSERT_EQ(radios->ControlCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(SkinnerOf(f.engine, radios->Controls(i)), "TSkinRadioButton") << i;
        EXPECT_EQ(SkinnerOf(f.engine, checks->Controls(i)), "TSkinCheckBox") << i;
        // A group with the disable tag hands it to its buttons: none is skinned.
        EXPECT_EQ(plain->Controls(i)->Tag(), 99);
        EXPECT_EQ(SkinnerOf(f.engine, plain->Controls(i)), "") << i;
    }
    EXPECT_EQ(SkinnerOf(f.engine, plain), "");
}

TEST(ControlScan, TheClassMapAndTheKindSetSteerTheScan)
{
    // Each row: the class map, the kinds switched off, the control, and the
    // skinner it must get. Every map row has a twin without the map entry
    // that gets another answer, so the map is what decided.
    const TSkinControlTypes all = kReaderSkinControls;
    const TSkinControlTypes noButtons = all & ~(1u << xcButton);
    const TSkinControlTypes noPanels = all & ~(1u << xcPanel);
    const std::vector<std::string> unrelated{"TNOTHING=nil"};
    struct Row {
        const char* what;
        std::vector<std::string> map;
        TSkinControlTypes kinds;
        std::function<TControl*(TForm*)> make;
        const char* skinner;
    };
    auto button = [](TForm* form) -> TControl* { return Add<TButton>(form, form, "OK", 10, 10); };
    auto list = [](TForm* form) -> TControl* { return Add<TListBox>(form, form, nullptr, 10, 40, 120, 80); };
    auto panel = [](TForm* form) -> TControl* { return Add<TPanel>(form, form, nullptr, 10, 40, 100, 60); };
    auto group = [](TForm* form) -> TControl* { return Add<TGroupBox>(form, form, "Group", 200, 40, 100, 60); };
    const Row rows[] = {
        {"a button by the table (button rule)", unrelated, all, button, "TSkinButton"},
        {"a button mapped to nil", {"TButton=nil"}, all, button, ""},
        {"a list box by the table (scroll bar rule)", unrelated, all, list, "TSkinScrollbar"},
        {"a list box mapped to nil", {"TListBox=nil"}, all, list, ""},
        {"a panel by the table", unrelated, noButtons, panel, "TSkinBox"},
        {"a panel mapped to a button, buttons off", {"TPanel=Button"}, noButtons, panel, ""},
        {"a group box by the table, panels off", unrelated, noPanels, group, ""},
        {"a group box mapped to groupbox, panels off", {"TGroupBox=groupbox"}, noPanels, group, "TSkinGroupBox"},
    };
    for (const Row& row : rows) {
        TControl* control = nullptr;
        ScanFixture f([&](TForm* form) { control = row.make(form); }, row.map, row.kinds);
        ASSERT_NE(f.engine, nullptr) << row.what;
        EXPECT_EQ(SkinnerOf(f.engine, control), row.skinner) << row.what;
    }
}


TEST(ControlScan, BareDialogsGetSkinnersByClassAndStyle)
{
    Manager();
    HWND dialog = MakeWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, L"EngineTestWindow", 300, 200);
    struct Child {
        const wchar_t* cls;
        DWORD style;
        const char* skinner;
    };
    const Child children[] = {
        {L"BUTTON", BS_PUSHBUTTON, "TSkinButton"},        {L"BUTTON", BS_DEFPUSHBUTTON, "TSkinButton"},
        {L"BUTTON", BS_OWNERDRAW, ""},                    {L"BUTTON", BS_GROUPBOX, ""},
        {L"BUTTON", BS_AUTOCHECKBOX, "TSkinCheckBox"},    {L"BUTTON", BS_AUTO3STATE, "TSkinCheckBox"},
        {L"BUTTON", BS_AUTORADIOBUTTON, "TSkinRadioButton"}, {L"BUTTON", BS_RADIOBUTTON, "TSkinRadioButton"},
        {L"STATIC", SS_LEFT, ""},
    };
    std::vector<HWND> windows;
    int y = 0;
    for (const Child& child : children)
        windows.push_back(CreateWindowExW(0, child.cls, L"x", WS_CHILD | child.style, 0, y += 10, 80, 10, dialog, nullptr,
                                          GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(Manager().SkinWindow(dialog));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(dialog);
    ASSERT_NE(engine, nullptr);
    for (size_t i = 0; i < windows.size(); ++i) {
        TSkinControl* skinner = engine->FindSkinner(windows[i]);
        EXPECT_EQ(skinner ? skinner->ClassName() : std::string(), children[i].skinner) << "child " << i;
    }
    DestroyWindow(dialog);
    Pump();
    Manager().Tidy();
}

TEST(ButtonSkinner, EachStateShowsItsFrameAndAClickNeedsPressAndReleaseOnTheButton)
{
    TButton* button = nullptr;
    ScanFixture f([&](TForm* form) { button = Add<TButton>(form, form, "Press", 20, 20, 90, 30); });
    ASSERT_NE(f.engine, nullptr);
    ASSERT_EQ(SkinnerOf(f.engine, button), "TSkinButton");
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    HWND window = button->Handle();
    auto frameAt = [&] { return PaintControl(button)->At(6, 4); };
    ::SetFocus(f.form->Handle());
    Pump();
    EXPECT_EQ(frameAt(), kButtonFrames[0]);  // normal
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    Pump();
    EXPECT_EQ(frameAt(), kButtonFrames[3]);  // hot
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    Pump();
    EXPECT_EQ(frameAt(), kButtonFrames[1]);  // pressed
    EXPECT_EQ(GetFocus(), window);
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    Pump();
    EXPECT_EQ(clicks, 1);
    // Pressed, dragged away and released outside: no click.
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 10));
    Pump();
    EXPECT_EQ(frameAt(), kButtonFrames[4]);  // not pressed while away: focused
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    Pump();
    EXPECT_EQ(clicks, 1);
    // The keyboard: space shows the button pressed and clicks it on release.
    SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(frameAt(), kButtonFrames[1]);
    SendMessageW(window, WM_KEYUP, VK_SPACE, 0);
    Pump();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(frameAt(), kButtonFrames[4]);  // focused
    // Disabled wins over hot.
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    Pump();
    button->SetEnabled(false);
    auto disabled = PaintControl(button);
    EXPECT_EQ(disabled->At(6, 4), kButtonFrames[2]);
    button->SetEnabled(true);
    EXPECT_EQ(SendMessageW(window, WM_SKINQUERY, 0, 0), 1);
}

TEST(ButtonSkinner, TheCaptionBreaksAtTheFirstDoubleBarAndTheFocusFrameFollowsTheOption)
{
    TButton* one = nullptr;
    TButton* two = nullptr;
    ScanFixture f([&](TForm* form) {
        one = Add<TButton>(form, form, "Upper||Lower", 20, 20, 120, 48);
        two = Add<TButton>(form, form, "UpperLower", 160, 20, 120, 48);
    });
    ASSERT_NE(f.engine, nullptr);
    // Two lines: text pixels in more rows than one line has.
    auto rowsWithText = [](TButton* button) {
        auto picture = PaintControl(button);
        int rows = 0;
        for (int y = 4; y < button->Height() - 4; ++y)
            for (int x = 4; x < button->Width() - 4; ++x)
                if (picture->At(x, y) != kButtonFrames[0] && picture->At(x, y) != kButtonFrames[4]) {
                    ++rows;
                    break;
                }
        return rows;
    };
    ::SetFocus(f.form->Handle());
    Pump();
    EXPECT_GT(rowsWithText(one), rowsWithText(two) + 6);

    // A focused button shows a focus frame, unless the option says no.
    ::SetFocus(two->Handle());
    auto with = PaintControl(two);
    TSkinData& skin = SharedSkin();
    skin.SetOptions(skin.Options() | (1u << xoNoFocusRect));
    auto without = PaintControl(two);
    skin.SetOptions(skin.Options() & ~(1u << xoNoFocusRect));
    int differing = 0;
    for (int y = 0; y < two->Height(); ++y)
        for (int x = 0; x < two->Width(); ++x) differing += with->At(x, y) != without->At(x, y);
    EXPECT_GT(differing, 10);
}

TEST(CheckSkinners, CheckAndRadioBoxesShowTheirStripFrames)
{
    TCheckBox* check = nullptr;
    TRadioButton* radio = nullptr;
    ScanFixture f([&](TForm* form) {
        check = Add<TCheckBox>(form, form, "Repeat", 20, 20, 140, 24);
        radio = Add<TRadioButton>(form, form, "Choice", 20, 60, 140, 24);
    });
    ASSERT_NE(f.engine, nullptr);
    auto boxColour = [](TWinControl* control) {
        auto picture = PaintControl(control);
        return picture->At(kCheckSize / 2, control->Height() / 2);
    };
    ::SetFocus(f.form->Handle());
    EXPECT_EQ(boxColour(check), kCheckFrames[0]);
    check->SetChecked(true);
    EXPECT_EQ(boxColour(check), kCheckFrames[1]);
    check->SetEnabled(false);
    EXPECT_EQ(boxColour(check), kCheckFrames[3]);
    check->SetChecked(false);
    EXPECT_EQ(boxColour(check), kCheckFrames[2]);
    check->SetEnabled(true);
    // The caption stands on the skin colour beside the box.
    auto picture = PaintControl(check);
    EXPECT_EQ(picture->At(check->Width() - 2, 2), kFace);

    EXPECT_EQ(boxColour(radio), kRadioFrames[0]);
    radio->SetChecked(true);
    EXPECT_EQ(boxColour(radio), kRadioFrames[1]);
    // The Checked property decides, whatever the window says.
    radio->SetChecked(false);
    SendMessageW(radio->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(boxColour(radio), kRadioFrames[0]);
    // A click by posted messages checks the box.
    check->SetChecked(false);
    PostMessageW(check->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(check->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(boxColour(check), kCheckFrames[1]);
}

TEST(CheckSkinners, AThemedStripUsesItsOwnFrameOrder)
{
    SkinOptions themed;
    themed.checkFrames = 12;
    ReloadSharedSkin(themed);
    TCheckBox* check = nullptr;
    ScanFixture f([&](TForm* form) {
        check = Add<TCheckBox>(form, form, "Themed", 20, 20, 140, 24);
        check->SetAllowGrayed(true);
    });
    ASSERT_NE(f.engine, nullptr);
    check->SetChecked(true);
    auto picture = PaintControl(check);
    EXPECT_EQ(picture->At(kCheckSize / 2, check->Height() / 2), kCheckFrames[1]);  // frame 5
    check->SetState(cbGrayed);
    check->SetEnabled(false);
    picture = PaintControl(check);
    EXPECT_EQ(picture->At(kCheckSize / 2, check->Height() / 2), RGB(87, 88, 89));  // frame 12
    ReloadSharedSkin({});
}

TEST(GroupAndBoxSkinners, GroupFramesPanelsAndBarePanels)
{
    TGroupBox* group = nullptr;
    TPanel* panel = nullptr;
    ScanFixture f([&](TForm* form) {
        group = Add<TGroupBox>(form, form, "Voices", 20, 20, 200, 120);
        panel = Add<TPanel>(form, form, nullptr, 240, 20, 200, 120);
    });
    ASSERT_NE(f.engine, nullptr);
    auto picture = PaintControl(group);
    // The rounded frame in the shadow colour, cut by the caption 8 pixels in.
    const int y = group->Height() - 2;
    EXPECT_EQ(picture->At(group->Width() / 2, y), kShadow);
    EXPECT_EQ(picture->At(1, group->Height() / 2), kShadow);
    bool captionCutsTheLine = false;
    for (int row = 0; row < 20 && !captionCutsTheLine; ++row)
        captionCutsTheLine = picture->At(9, row) != kShadow && picture->At(9, row) != kFace;
    EXPECT_TRUE(captionCutsTheLine);

    // A box gives the panel the skin colour while attached, and its own back.
    const TColor face = static_cast<TColor>(SharedSkin().Colours.ButtonFace);
    EXPECT_EQ(panel->Color(), face);
    f.engine->FreeSkinners();
    EXPECT_NE(panel->Color(), face);

    // A panel known only by its window answers static colours with the skin's brush.
    HWND bare = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 20, 20, f.form->Handle(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    auto* boxH = new TSkinBoxH(f.engine);
    boxH->AttachHandle(bare, &SharedSkin(), f.engine, f.engine->CanvasB());
    HDC dc = GetDC(bare);
    EXPECT_EQ(SendMessageW(bare, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(bare)),
              reinterpret_cast<LRESULT>(SharedSkin().Colours.FaceBrush.get()));
    ReleaseDC(bare, dc);
    Free(boxH);
    DestroyWindow(bare);
}

TEST(GlyphLayout, AutomaticMarginAndSpacingShareTheSpaceInThirds)
{
    HDC dc = GetDC(nullptr);
    SIZE text{};
    GetTextExtentPoint32W(dc, L"Glyph", 5, &text);
    const GlyphLayout placed = CalcGlyphLayout(dc, SIZE{75 + text.cx - 30, 24}, SIZE{16, 16}, u"Glyph", 0, -1, -1, false);
    // (75 - (16 + 30)) / 3 = 9, for a 30-pixel text in a 75-pixel button.
    EXPECT_EQ(placed.glyph.x, 9);
    EXPECT_EQ(placed.text.left, 9 + 16 + 9);
    const GlyphLayout right = CalcGlyphLayout(dc, SIZE{100, 24}, SIZE{16, 16}, u"Glyph", 1, 4, 2, false);
    EXPECT_EQ(right.glyph.x, 100 - 4 - 16);
    EXPECT_TRUE(right.flags & DT_RIGHT);
    const GlyphLayout top = CalcGlyphLayout(dc, SIZE{60, 60}, SIZE{16, 16}, u"", 2, -1, -1, false);
    EXPECT_EQ(top.glyph.x, (60 - 16 + 1) / 2);
    // Without text there is no spacing: the glyph is centred.
    EXPECT_EQ(top.glyph.y, (60 - 16) / 2);
    ReleaseDC(nullptr, dc);
}

TEST(ButtonSkinner, HundredFormsOfButtonsLeaveNoObjectsBehind)
{
    auto cycle = [] {
        ScanFixture f([](TForm* form) {
            for (int i = 0; i < 4; ++i) Add<TButton>(form, form, "Button", 10, 10 + 30 * i);
            Add<TCheckBox>(form, form, "Check", 120, 10, 100);
            Add<TRadioButton>(form, form, "Radio", 120, 40, 100);
            Add<TGroupBox>(form, form, "Group", 120, 70, 100, 60);
            Add<TSpeedButton>(form, form, "Speed", 240, 10);
        });
        for (TSkinControl* skinner : f.engine->Skinners())
            if (auto* windowed = As<TWinControl>(skinner->Control())) PaintControl(windowed);
    };
    cycle();
    const ResourceCounts before = CountResources();
    for (int i = 0; i < 100; ++i) cycle();
    const ResourceCounts after = CountResources();
    EXPECT_EQ(after, before) << "before: " << Describe(before) << "; after: " << Describe(after);
}

}  // namespace
}  // namespace quorvane
