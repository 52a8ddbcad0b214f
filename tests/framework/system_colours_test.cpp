// The platform's default colours answered per window by a colour source (as
// a skin engine answers them for the windows it skins): every painter of the
// framework and every colour handed to a platform control follows the
// source for windows it answers, leaves other windows and colours an
// application chose alone, and returns to the platform's colours when the
// source goes. Checked on the screen's pixels and on the platform controls'
// own colour settings.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

#include "framework/cool_bar.h"
#include "framework/graphics.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "tests/framework/control_test_support.h"
#include "tests/support/gtest.h"
#include "tests/support/readability.h"

namespace quorvane {
namespace {

using test::Settle;
using testsupport::CaptionSample;
using testsupport::MeasureRect;
using testsupport::ScreenPixels;

constexpr COLORREF kFace = RGB(70, 20, 90);
constexpr COLORREF kButtonText = RGB(250, 220, 100);
constexpr COLORREF kWindow = RGB(10, 60, 50);
constexpr COLORREF kWindowText = RGB(160, 250, 200);
constexpr COLORREF kHighlight = RGB(250, 120, 40);

// Answers for one window and everything inside it.
class TestColourSource : public SystemColourSource {
public:
    bool ResolveSystemColour(HWND window, int index, COLORREF& colour) const override
    {
        if (!root || (window != root && !IsChild(root, window))) return false;
        const auto it = colours.find(index);
        if (it == colours.end()) return false;
        colour = it->second;
        return true;
    }
    HWND root = nullptr;
    std::map<int, COLORREF> colours{{COLOR_BTNFACE, kFace},     {COLOR_BTNTEXT, kButtonText},
                                    {COLOR_WINDOW, kWindow},     {COLOR_WINDOWTEXT, kWindowText},
                                    {COLOR_HIGHLIGHT, kHighlight}};
};

class SystemColours : public test::StageTest {
protected:
    void SetUp() override
    {
        test::StageTest::SetUp();
        source_.root = form->Handle();
        previous_ = CurrentSystemColourSource();
        SetSystemColourSource(&source_);
    }
    void TearDown() override
    {
        SetSystemColourSource(previous_);
        form->SystemColoursChanged();
        test::StageTest::TearDown();
    }
    // Every control takes the source's colours and repaints now.
    void Apply()
    {
        form->SystemColoursChanged();
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle(3);
        GdiFlush();
    }
    // Ground and ink of a rectangle of `control`'s client area.
    CaptionSample Measure(TWinControl* parent, RECT client)
    {
        MapWindowPoints(parent->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        const ScreenPixels pixels(client);
        return MeasureRect(pixels, client);
    }
    TestColourSource source_;
    const SystemColourSource* previous_ = nullptr;
};

TEST_F(SystemColours, SystemValuesResolveForTheWindowTheyArePaintedFor)
{
    HWND inside = form->Handle();
    struct Row {
        TColor value;
        HWND window;
        COLORREF expected;
    };
    const Row rows[] = {
        {clBtnFace, inside, kFace},
        {clWindowText, inside, kWindowText},
        {clHighlight, inside, kHighlight},
        {clWindow, inside, kWindow},
        // An index the source does not answer, a window it does not serve, no window at all.
        {clGrayText, inside, GetSysColor(COLOR_GRAYTEXT)},
        {clBtnFace, GetDesktopWindow(), GetSysColor(COLOR_BTNFACE)},
        {clWindowText, nullptr, GetSysColor(COLOR_WINDOWTEXT)},
        // A colour the application chose is never touched.
        {static_cast<TColor>(RGB(1, 2, 3)), inside, RGB(1, 2, 3)},
        {clRed, inside, RGB(255, 0, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.value);
        EXPECT_EQ(ColorToRGB(row.value, row.window), row.expected);
        const ColourContext context(row.window);
        EXPECT_EQ(ColorToRGB(row.value), row.expected);
    }
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE)) << "outside every context";
}

TEST_F(SystemColours, CaptionsAndFieldsArePaintedInTheAnsweredColours)
{
    auto* label = Make<TLabel>(form, 10, 10, 200, 20);
    label->SetCaption("Readable label text");
    auto* edit = Make<TEdit>(form, 10, 40, 200, 24);
    edit->SetText("Edit field text");
    auto* chosen = Make<TEdit>(form, 10, 70, 200, 24);
    chosen->SetText("Chosen colours");
    chosen->SetColor(static_cast<TColor>(RGB(255, 255, 204)));
    chosen->Font()->SetColor(static_cast<TColor>(RGB(0, 0, 128)));
    auto* combo = Make<TComboBox>(form, 10, 100, 200, 24);
    combo->Items()->Add("Combo edit text");
    combo->SetItemIndex(0);
    auto* list = Make<TListBox>(form, 220, 10, 200, 80);
    for (const char* line : {"First line", "Second line", "Third line"}) list->Items()->Add(line);
    Apply();

    struct Row {
        const char* what;
        TWinControl* parent;
        RECT rect;  // client coordinates of parent
        COLORREF ground, ink;
    };
    RECT editRect{}, chosenRect{}, listRect{};
    GetClientRect(edit->Handle(), &editRect);
    GetClientRect(chosen->Handle(), &chosenRect);
    GetClientRect(list->Handle(), &listRect);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &info));
    const Row rows[] = {
        {"label on the form", form, RECT{10, 10, 200, 28}, kFace, kWindowText},
        {"edit", edit, editRect, kWindow, kWindowText},
        {"edit with its own colours", chosen, chosenRect, RGB(255, 255, 204), RGB(0, 0, 128)},
        {"combo box's edit", combo, info.rcItem, kWindow, kWindowText},
        {"list box", list, RECT{listRect.left, listRect.top + 20, listRect.right, listRect.bottom}, kWindow, kWindowText},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const CaptionSample sample = Measure(row.parent, row.rect);
        EXPECT_EQ(sample.ground, row.ground);
        EXPECT_EQ(sample.ink, row.ink);
    }

    // Without the source, the platform's colours come back.
    SetSystemColourSource(nullptr);
    Apply();
    const CaptionSample plain = Measure(edit, editRect);
    EXPECT_EQ(plain.ground, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(plain.ink, GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(SystemColours, PlatformControlsGetTheAnsweredColoursAgainWhenTheyChange)
{
    auto* view = Make<TListView>(form, 10, 10, 200, 100);
    auto* tree = Make<TTreeView>(form, 220, 10, 200, 100);
    auto* cool = Make<TCoolBar>(form, 0, 0, 400, 30);
    cool->SetAlign(alBottom);
    TCoolBand* band = cool->Bands()->Add();
    band->SetText("Band");
    TCoolBand* own = cool->Bands()->Add();
    own->SetText("Own colour");
    own->SetColor(static_cast<TColor>(RGB(255, 236, 200)));
    Settle(2);
    // Made while the source answered: the colours are already the source's.
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(view->Handle(), LVM_GETBKCOLOR, 0, 0)), kWindow);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(view->Handle(), LVM_GETTEXTCOLOR, 0, 0)), kWindowText);

    source_.colours[COLOR_WINDOW] = RGB(30, 30, 80);
    source_.colours[COLOR_WINDOWTEXT] = RGB(240, 240, 160);
    source_.colours[COLOR_BTNFACE] = RGB(90, 40, 40);
    Apply();
    struct Row {
        const char* what;
        UINT message;
        HWND window;
        COLORREF expected;
    };
    const Row rows[] = {
        {"list view background", LVM_GETBKCOLOR, view->Handle(), RGB(30, 30, 80)},
        {"list view text background", LVM_GETTEXTBKCOLOR, view->Handle(), RGB(30, 30, 80)},
        {"list view text", LVM_GETTEXTCOLOR, view->Handle(), RGB(240, 240, 160)},
        {"tree view background", TVM_GETBKCOLOR, tree->Handle(), RGB(30, 30, 80)},
        {"tree view text", TVM_GETTEXTCOLOR, tree->Handle(), RGB(240, 240, 160)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(row.window, row.message, 0, 0)), row.expected);
    }
    // The bands, read from the screen right of their text.
    const RECT plainBand = cool->BandRect(0), ownBand = cool->BandRect(1);
    EXPECT_EQ(Measure(cool, RECT{plainBand.right - 30, plainBand.top + 3, plainBand.right - 8, plainBand.bottom - 3}).ground,
              RGB(90, 40, 40));
    EXPECT_EQ(Measure(cool, RECT{ownBand.right - 30, ownBand.top + 3, ownBand.right - 8, ownBand.bottom - 3}).ground,
              RGB(255, 236, 200));
}

}  // namespace
}  // namespace quorvane
