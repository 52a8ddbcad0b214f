// Every page of the gallery opened and closed a hundred times under the
// shipped skins, switching skin between openings: each opening is skinned
// (the window gets an engine, its controls get skinners) and the process
// ends with the GDI objects, menus and windows it had.
//
// And every page readable in every skin, the shipped ones and a recoloured
// one: each enabled caption's ink against its ground, read from the screen,
// has a contrast ratio of at least 4.5; a disabled one at least 2 and below
// every enabled one of its page.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "framework/com_controls.h"
#include "framework/cool_bar.h"
#include "framework/forms.h"
#include "framework/grids.h"
#include "framework/list_controls.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "skin/data/skin_data.h"
#include "tests/support/gtest.h"
#include "tests/support/readability.h"
#include "tests/support/resource_counts.h"
#include "tools/gallery/control_pages.h"

namespace quorvane {
namespace {

using gallery::ControlPage;
using gallery::ControlPages;
using testsupport::CountResources;
using testsupport::Describe;
using testsupport::ResourceCounts;

std::vector<uint8_t> ReadSkin(const char* name)
{
    std::ifstream file(std::string(QUORVANE_SKINS_DIR) + "/" + name + ".qskin", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

// The shipped skins (and the recoloured one), loaded once; Use() makes one
// of them current.
class Skins {
public:
    Skins() : light_(ReadSkin("light")), dark_(ReadSkin("dark")), recoloured_(ReadSkin("recoloured"))
    {
        data_ = new TSkinData(nullptr);
        data_->SetSkinControls(kDefaultSkinControls);
        gallery::AddGalleryClasses(*data_);
        data_->SetPackage(light_);
        data_->SetActive(true);
    }
    bool Loaded() const { return !light_.empty() && !dark_.empty() && !recoloured_.empty() && data_->Active(); }
    bool Use(bool dark) { return data_->ApplyPackage(dark ? dark_ : light_); }
    bool UseNamed(const std::string& name)
    {
        return data_->ApplyPackage(name == "dark" ? dark_ : name == "recoloured" ? recoloured_ : light_);
    }

private:
    std::vector<uint8_t> light_, dark_, recoloured_;
    TSkinData* data_ = nullptr;  // lives for the whole program, as an application's does
};

Skins& SharedSkins()
{
    static Skins* skins = new Skins;
    return *skins;
}

// What one opening saw.
struct Opening {
    bool skinned = false;  // the page's window had an engine while open
    size_t skinners = 0;   // skinners the engine kept for the page's controls
};

// The bare dialog runs its own modal loop: a timer looks at it and ends it.
Opening g_dialogSeen;

void CALLBACK EndBareDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowW(nullptr, L"Platform controls in a bare dialog");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    TWinSkinForm* engine = TSkinManage::Instance() ? TSkinManage::Instance()->FindEngine(dialog) : nullptr;
    g_dialogSeen.skinned = engine != nullptr;
    g_dialogSeen.skinners = engine ? engine->Skinners().size() : 0;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

Opening OpenAndClose(const ControlPage& page)
{
    Opening seen;
    g_dialogSeen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, EndBareDialog);
    TForm* form = page.open();
    if (!form) {
        KillTimer(nullptr, timer);  // already killed when the dialog was seen
        return g_dialogSeen;
    }
    KillTimer(nullptr, timer);
    Pump();
    TWinSkinForm* engine = TSkinManage::Instance() ? TSkinManage::Instance()->FindEngine(form->Handle()) : nullptr;
    seen.skinned = engine != nullptr;
    seen.skinners = engine ? engine->Skinners().size() : 0;
    form->Close();  // the page frees itself
    Pump();
    return seen;
}

class GalleryPage : public testing::TestWithParam<size_t> {};

TEST_P(GalleryPage, RepeatedSkinnedOpeningsLeaveNothingBehind)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    const ControlPage& page = ControlPages()[GetParam()];
    SCOPED_TRACE(page.caption);
    // First openings load classes, fonts and caches that live for the run.
    for (bool dark : {false, true}) {
        ASSERT_TRUE(SharedSkins().Use(dark));
        const Opening seen = OpenAndClose(page);
        EXPECT_TRUE(seen.skinned);
        EXPECT_GT(seen.skinners, 0u);
    }
    const ResourceCounts before = CountResources();
    // A leak of one object per opening shows after the first; two dozen
    // openings in alternating skins keep the suite quick on a busy machine.
    constexpr int kOpenings = 24;
    int unskinned = 0;
    for (int i = 0; i < kOpenings; ++i) {
        SharedSkins().Use(i % 2 == 1);
        if (!OpenAndClose(page).skinned) ++unskinned;
    }
    SharedSkins().Use(false);
    const ResourceCounts after = CountResources();
    EXPECT_EQ(unskinned, 0);
    EXPECT_EQ(after, before) << "before: " << Describe(before) << "; after: " << Describe(after);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, GalleryPage, testing::Range(size_t{0}, ControlPages().size()));

// ---- readability ----------------------------------------------------------------

template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 10000)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
    return true;
}

bool SkinnedAndServing(HWND window)
{
    TSkinManage* manager = TSkinManage::Instance();
    TWinSkinForm* engine = manager ? manager->FindEngine(window) : nullptr;
    return engine && engine->EngineState == esSkinned && engine->ServesColours;
}

// Brings the window to the top and has everything in it painted now.
void PaintNow(HWND window)
{
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    GdiFlush();
}

std::string Hex(COLORREF c)
{
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// What the bare dialog's timer measured.
std::vector<testsupport::CaptionSample> g_dialogSamples;
bool g_dialogMeasured = false;

void CALLBACK MeasureBareDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowW(nullptr, L"Platform controls in a bare dialog");
    if (!dialog || !IsWindowVisible(dialog) || !SkinnedAndServing(dialog)) return;
    KillTimer(nullptr, timer);
    PaintNow(dialog);
    g_dialogSamples = testsupport::MeasureWindowTexts(dialog);
    g_dialogMeasured = true;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::vector<testsupport::CaptionSample> MeasurePage(const ControlPage& page,
                                                    std::vector<testsupport::CaptionSample>& boxFaces)
{
    g_dialogSamples.clear();
    g_dialogMeasured = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, MeasureBareDialog);
    TForm* form = page.open();
    if (!form) {
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_dialogMeasured) << "the bare dialog was never seen skinned";
        return g_dialogSamples;
    }
    KillTimer(nullptr, timer);
    const HWND window = form->Handle();
    EXPECT_TRUE(PumpUntil([window] { return SkinnedAndServing(window); })) << "the page was never skinned";
    PaintNow(window);
    std::vector<testsupport::CaptionSample> samples = testsupport::MeasureCaptions(form);
    boxFaces = testsupport::MeasureCheckBoxFaces(form);
    form->Close();
    Pump();
    return samples;
}

struct ReadableCase {
    const char* skin;
    size_t page;
};

class ReadablePage : public testing::TestWithParam<ReadableCase> {};

TEST_P(ReadablePage, EveryCaptionStandsOutFromItsGround)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    const ReadableCase& c = GetParam();
    const ControlPage& page = ControlPages()[c.page];
    SCOPED_TRACE(std::string(c.skin) + ", " + page.caption);
    ASSERT_TRUE(SharedSkins().UseNamed(c.skin));
    std::vector<testsupport::CaptionSample> boxFaces;
    const std::vector<testsupport::CaptionSample> samples = MeasurePage(page, boxFaces);
    SharedSkins().UseNamed("light");

    double lowestEnabled = 21.0;
    size_t enabled = 0;
    for (const auto& s : samples) {
        if (!s.enabled) continue;
        ++enabled;
        lowestEnabled = std::min(lowestEnabled, s.ratio);
        EXPECT_GE(s.ratio, 4.5) << s.what << ": ink " << Hex(s.ink) << " on " << Hex(s.ground);
    }
    EXPECT_GE(enabled, 3u) << "too few captions found to judge the page";
    for (const auto& s : samples) {
        if (s.enabled) continue;
        EXPECT_GE(s.ratio, 2.0) << s.what << " (disabled): ink " << Hex(s.ink) << " on " << Hex(s.ground);
        EXPECT_LT(s.ratio, lowestEnabled) << s.what << " (disabled) is as strong as an enabled caption";
    }
    // A check box inside a field is faced in the field's colour, not in a
    // patch of the platform's own.
    for (const auto& s : boxFaces)
        EXPECT_LT(s.ratio, 1.5) << s.what << ": face " << Hex(s.ink) << " in a field of " << Hex(s.ground);
}

std::vector<ReadableCase> ReadableCases()
{
    std::vector<ReadableCase> cases;
    for (const char* skin : {"light", "dark", "recoloured"})
        for (size_t page = 0; page < ControlPages().size(); ++page) cases.push_back({skin, page});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EverySkinAndPage, ReadablePage, testing::ValuesIn(ReadableCases()),
                         [](const testing::TestParamInfo<ReadableCase>& info) {
                             return std::string(info.param.skin) + "_page" + std::to_string(info.param.page + 1);
                         });

// ---- tool bars, cool bars and trees ---------------------------------------------

template <class T>
T* FindControl(TWinControl* parent, const std::function<bool(T*)>& wanted)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        if (auto* control = As<T>(parent->Controls(i)); control && wanted(control)) return control;
        if (auto* windowed = As<TWinControl>(parent->Controls(i)))
            if (T* found = FindControl<T>(windowed, wanted)) return found;
    }
    return nullptr;
}

// The page whose caption holds `part` opened, skinned with one skin and
// painted; closed (and the light skin current again) when it goes.
class OpenedPage {
public:
    OpenedPage(const char* part, const char* skin)
    {
        const auto bars = std::find_if(ControlPages().begin(), ControlPages().end(), [part](const ControlPage& page) {
            return std::string(page.caption).find(part) != std::string::npos;
        });
        if (bars == ControlPages().end() || !SharedSkins().UseNamed(skin) || !(form_ = bars->open())) return;
        const HWND window = form_->Handle();
        EXPECT_TRUE(PumpUntil([window] { return SkinnedAndServing(window); }));
        PaintNow(window);
    }
    OpenedPage(const OpenedPage&) = delete;
    OpenedPage& operator=(const OpenedPage&) = delete;
    ~OpenedPage()
    {
        if (form_) form_->Close();
        Pump();
        SharedSkins().UseNamed("light");
    }
    TForm* Form() const { return form_; }

private:
    TForm* form_ = nullptr;
};

// How many pixels of a screen rectangle (less the parts `skip` says) fail
// `fits`, and one of them.
template <class Skip, class Fits>
std::pair<int, COLORREF> CountMisfits(const RECT& screen, Skip skip, Fits fits)
{
    const testsupport::ScreenPixels pixels(screen);
    EXPECT_TRUE(pixels.Contains(screen));
    if (!pixels.Contains(screen)) return {-1, 0};
    std::pair<int, COLORREF> misfits{0, 0};
    for (int y = screen.top; y < screen.bottom; ++y)
        for (int x = screen.left; x < screen.right; ++x) {
            if (skip(x - screen.left, y - screen.top)) continue;
            const COLORREF colour = pixels.At(x, y);
            if (!fits(colour)) misfits = {misfits.first + 1, colour};
        }
    return misfits;
}

// On a face darker than its text, a disabled tool button (picture and
// caption) shows nothing brighter than an enabled button's caption: no
// etching in the platform's white.
TEST(BarsPage, NothingOnADisabledToolButtonIsBrighterThanAnEnabledCaptionOnADarkFace)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    for (const char* skin : {"dark", "recoloured"}) {
        SCOPED_TRACE(skin);
        OpenedPage page("cool", skin);
        ASSERT_NE(page.Form(), nullptr);
        TToolButton* disabled =
            FindControl<TToolButton>(page.Form(), [](TToolButton* b) { return b->Caption() == "Disabled"; });
        ASSERT_NE(disabled, nullptr);
        TToolBar* bar = disabled->ToolBar();
        const double text = testsupport::RelativeLuminance(SystemColourFor(bar->Handle(), COLOR_BTNTEXT));
        ASSERT_LT(testsupport::RelativeLuminance(SystemColourFor(bar->Handle(), COLOR_BTNFACE)), text);
        RECT face = bar->ButtonRect(disabled);
        MapWindowPoints(bar->Handle(), nullptr, reinterpret_cast<POINT*>(&face), 2);
        InflateRect(&face, -2, -2);
        const auto [brighter, example] = CountMisfits(
            face, [](int, int) { return false; },
            [text](COLORREF c) { return testsupport::RelativeLuminance(c) <= text; });
        EXPECT_EQ(brighter, 0) << "e.g. " << Hex(example);
    }
}

// A tree's selected item, focused or not, is written in the skin's
// selection colours, readable in every skin.
TEST(ListsPage, TheSelectedTreeItemIsReadableFocusedOrNot)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    for (const char* skin : {"light", "dark", "recoloured"}) {
        SCOPED_TRACE(skin);
        OpenedPage page("trees", skin);
        ASSERT_NE(page.Form(), nullptr);
        TTreeView* tree = FindControl<TTreeView>(page.Form(), [](TTreeView* t) { return t->Enabled() && t->Selected(); });
        ASSERT_NE(tree, nullptr);
        for (bool focused : {false, true}) {
            SCOPED_TRACE(focused ? "focused" : "not focused");
            SetFocus(focused ? tree->Handle() : page.Form()->Handle());
            PaintNow(page.Form()->Handle());
            RECT text{};
            ASSERT_TRUE(TreeView_GetItemRect(tree->Handle(), tree->Selected()->ItemId(), &text, TRUE));
            MapWindowPoints(tree->Handle(), nullptr, reinterpret_cast<POINT*>(&text), 2);
            const testsupport::ScreenPixels pixels(text);
            ASSERT_TRUE(pixels.Contains(text));
            const testsupport::CaptionSample sample = testsupport::MeasureRect(pixels, text);
            EXPECT_GE(sample.ratio, 4.5) << "ink " << Hex(sample.ink) << " on " << Hex(sample.ground);
        }
    }
}

// A selected item's text rectangle on screen: the report's first column or
// the tree's label.
RECT SelectedItemRect(TWinControl* control)
{
    RECT rect{};
    if (auto* list = As<TListView>(control)) {
        rect.left = LVIR_LABEL;
        SendMessageW(list->Handle(), LVM_GETITEMRECT, list->Selected()->Index(), reinterpret_cast<LPARAM>(&rect));
    } else if (auto* tree = As<TTreeView>(control)) {
        TreeView_GetItemRect(tree->Handle(), tree->Selected()->ItemId(), &rect, TRUE);
    }
    MapWindowPoints(control->Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Selected items of list views and trees, standing on the form, in a group
// box or in a panel, focused or not (both keep their selection shown): drawn
// readable and, where the skin gives its own selection colour, never in the
// platform's.
TEST(ListsPage, SelectedListAndTreeItemsWearTheSkinsSelectionWhereverTheySit)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    for (const char* skin : {"light", "dark", "recoloured"}) {
        SCOPED_TRACE(skin);
        OpenedPage page("trees", skin);
        ASSERT_NE(page.Form(), nullptr);
        TForm* form = page.Form();
        auto* box = new TGroupBox(form);
        box->SetParent(form);
        form->SetWidth(form->Width() + 220);
        box->SetBounds(form->ClientWidth() - 210, 10, 200, 300);
        box->SetCaption("Boxed");
        auto* panel = new TPanel(form);
        panel->SetParent(box);
        panel->SetBounds(8, 150, 184, 140);
        struct Case {
            const char* where;
            TWinControl* control;
        };
        auto addTree = [form](TWinControl* parent, int top) {
            auto* tree = new TTreeView(form);
            tree->SetParent(parent);
            tree->SetBounds(8, top, 180, 60);
            TTreeNode* root = tree->Items()->Add(nullptr, "Root");
            tree->Items()->AddChild(root, "Leaf");
            tree->FullExpand();
            tree->SetHideSelection(false);
            tree->SetSelected(root);
            return tree;
        };
        auto addList = [form](TWinControl* parent, int top) {
            auto* list = new TListView(form);
            list->SetParent(parent);
            list->SetBounds(8, top, 170, 60);
            list->SetViewStyle(vsReport);
            list->SetRowSelect(true);
            list->SetGridLines(true);
            list->SetHideSelection(false);
            list->Columns()->Add()->SetCaption("Name");
            for (const char* caption : {"First", "Second"}) list->Items()->Add()->SetCaption(caption);
            list->Items()->Item(1)->SetSelected(true);
            return list;
        };
        const Case cases[] = {
            {"tree in a group box", addTree(box, 20)},
            {"list view in a group box", addList(box, 84)},
            {"tree in a panel in a group box", addTree(panel, 6)},
            {"list view in a panel in a group box", addList(panel, 72)},
            {"report list view on the form", FindControl<TListView>(form, [](TListView* l) { return l->Selected(); })},
        };
        PaintNow(form->Handle());
        for (const Case& c : cases) {
            SCOPED_TRACE(c.where);
            ASSERT_NE(c.control, nullptr);
            for (bool focused : {false, true}) {
                SCOPED_TRACE(focused ? "focused" : "not focused");
                SetFocus(focused ? c.control->Handle() : form->Handle());
                if (auto* list = As<TListView>(c.control)) list->SetHideSelection(false);
                RedrawWindow(c.control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
                PaintNow(form->Handle());
                const RECT text = SelectedItemRect(c.control);
                const testsupport::ScreenPixels pixels(text);
                ASSERT_TRUE(pixels.Contains(text));
                const testsupport::CaptionSample sample = testsupport::MeasureRect(pixels, text);
                EXPECT_GE(sample.ratio, 4.5) << "ink " << Hex(sample.ink) << " on " << Hex(sample.ground);
                const int platformIndex = focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
                const COLORREF platform = GetSysColor(platformIndex);
                if (SystemColourFor(c.control->Handle(), platformIndex) == platform) continue;
                const auto [platformPixels, example] =
                    CountMisfits(text, [](int, int) { return false; }, [platform](COLORREF c) { return c != platform; });
                EXPECT_EQ(platformPixels, 0) << "the platform's " << Hex(platform) << " under the item";
            }
            // A report's grid lines, drawn by the platform in its own face.
            auto* list = As<TListView>(c.control);
            const COLORREF platformFace = GetSysColor(COLOR_BTNFACE);
            if (!list || SystemColourFor(list->Handle(), COLOR_BTNSHADOW) == GetSysColor(COLOR_BTNSHADOW)) continue;
            RECT rows{}, header{};
            GetClientRect(list->Handle(), &rows);
            GetWindowRect(list->HeaderHandle(), &header);
            MapWindowPoints(list->Handle(), nullptr, reinterpret_cast<POINT*>(&rows), 2);
            rows.top = header.bottom;
            // The check boxes' pictures are not grid lines.
            RECT icon{};
            ListView_GetItemRect(list->Handle(), ListView_GetTopIndex(list->Handle()), &icon, LVIR_ICON);
            const int boxes = list->Checkboxes() ? static_cast<int>(icon.left) : 0;
            const auto [lines, example] = CountMisfits(
                rows, [boxes](int x, int) { return x < boxes; }, [platformFace](COLORREF c) { return c != platformFace; });
            EXPECT_EQ(lines, 0) << "grid lines in the platform's " << Hex(platformFace);
        }
    }
}

// A grid's fixed cells are raised in shades of their face (no platform
// white on a dark face), and its current cell's text is readable.
TEST(GridsPage, FixedCellEdgesAreShadesOfTheirFace)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    for (const char* skin : {"light", "dark", "recoloured"}) {
        SCOPED_TRACE(skin);
        OpenedPage page("Grids", skin);
        ASSERT_NE(page.Form(), nullptr);
        TDrawGrid* grid = FindControl<TDrawGrid>(page.Form(), [](TDrawGrid*) { return true; });
        ASSERT_NE(grid, nullptr);
        const COLORREF face = ColorToRGB(grid->FixedColor(), grid->Handle());
        // The top-left corner cell: fixed, and nothing drawn in it.
        RECT cell = grid->CellRect(0, 0);
        MapWindowPoints(grid->Handle(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
        const auto [standingOut, example] = CountMisfits(
            cell, [](int, int) { return false; },
            [face](COLORREF c) { return testsupport::ContrastRatio(c, face) <= 3.0; });
        EXPECT_EQ(standingOut, 0) << "e.g. " << Hex(example) << " on a face of " << Hex(face);

        // The current cell's number, with the grid focused and not.
        grid->SetCol(5);
        grid->SetRow(6);
        for (bool focused : {true, false}) {
            SCOPED_TRACE(focused ? "focused" : "not focused");
            SetFocus(focused ? grid->Handle() : page.Form()->Handle());
            PaintNow(page.Form()->Handle());
            RECT current = grid->CellRect(grid->Col(), grid->Row());
            MapWindowPoints(grid->Handle(), nullptr, reinterpret_cast<POINT*>(&current), 2);
            InflateRect(&current, -3, -3);
            const testsupport::ScreenPixels pixels(current);
            ASSERT_TRUE(pixels.Contains(current));
            const testsupport::CaptionSample sample = testsupport::MeasureRect(pixels, current);
            // Small digits are smoothed: their strongest pixels stay short of
            // the text colour, so 3 : 1 here (highlight text on the field's
            // white, the fault this guards against, reads at 1 : 1).
            EXPECT_GE(sample.ratio, 3.0) << "ink " << Hex(sample.ink) << " on " << Hex(sample.ground);
        }
    }
}

// The separators between the cool bar's rows and bands and each band's
// gripper are shades of the skin's face: nothing there stands out from the
// face as the platform's white or grey edges do on a dark one.
TEST(BarsPage, CoolBarSeparatorsAndGrippersAreShadesOfTheSkinsFace)
{
    ASSERT_TRUE(SharedSkins().Loaded());
    for (const char* skin : {"light", "dark", "recoloured"}) {
        SCOPED_TRACE(skin);
        OpenedPage page("cool", skin);
        ASSERT_NE(page.Form(), nullptr);
        TCoolBar* cool = FindControl<TCoolBar>(page.Form(), [](TCoolBar*) { return true; });
        ASSERT_NE(cool, nullptr);
        const HWND bar = cool->Handle();
        const COLORREF face = SystemColourFor(bar, COLOR_BTNFACE);
        std::vector<RECT> bands;  // each band less its gripper
        const int count = static_cast<int>(SendMessageW(bar, RB_GETBANDCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            RECT band{};
            SendMessageW(bar, RB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band));
            band.left += 9;
            bands.push_back(band);
        }
        RECT screen{};
        GetClientRect(bar, &screen);
        MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&screen), 2);
        int edges = 0;
        const auto [standingOut, example] = CountMisfits(
            screen,
            [&](int x, int y) {
                const POINT p{x, y};
                const bool inBand =
                    std::any_of(bands.begin(), bands.end(), [&](const RECT& r) { return PtInRect(&r, p) != FALSE; });
                edges += inBand ? 0 : 1;
                return inBand;
            },
            [face](COLORREF c) { return testsupport::ContrastRatio(c, face) <= 3.0; });
        EXPECT_GT(edges, 0);
        EXPECT_EQ(standingOut, 0) << "e.g. " << Hex(example) << " on a face of " << Hex(face);
    }
}

}  // namespace
}  // namespace quorvane
