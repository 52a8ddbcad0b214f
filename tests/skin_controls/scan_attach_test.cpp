// The control scan and these skinners together: every control family gets
// its skinner by name from the scan, attached the way its class needs (its
// own attach call, its mode), and a control whose window is made anew gets
// its drawn scroll bars again.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/input_controls.h"
#include "framework/list_controls.h"
#include "framework/media_player.h"
#include "framework/scroll_controls.h"
#include "framework/std_controls.h"
#include "framework/tab_controls.h"
#include "skin/controls/scrollbar_skinners.h"
#include "skin/controls/skinner_registry.h"
#include "skin/controls/edit_skinners.h"
#include "skin/controls/combo_skinners.h"
#include "skin/controls/media_skinners.h"
#include "skin/controls/tab_skinners.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_controls/control_test_skin.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace controltest;

TSkinControl* SkinnerOf(TWinSkinForm* engine, const TControl* control)
{
    TSkinControl* found = nullptr;
    for (TSkinControl* skinner : engine->Skinners())
        if (skinner->Control() == control && skinner->LifeState() == lsAttached) found = skinner;
    return found;
}

template <class T>
T* Add(TForm* form, TWinControl* parent, int left, int top, int width, int height)
{
    auto* control = new T(form);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

TEST(ScanAttach, EveryFamilyGetsItsSkinnerAttachedAndARemadeWindowGetsItsBarsAgain)
{
    for (const char* name : {"TSkinScrollbar", "TSkinScrollbarH", "TSkinScControl", "TSkinListView", "TSkinComBox",
                             "TSkinEdit", "TSkinDateTime", "TSkinUpDown", "TSkinStatusBar", "TSkinProgress",
                             "TSkinTrackBar", "TSkinTab", "TSkinTabBtn", "TSkinTab31", "TSkinTabSheet", "TSkinAdvPage",
                             "TSkinHeader", "TSkinMP"})
        EXPECT_TRUE(HasSkinner(name)) << name;

    std::map<std::string, TControl*> c;
    auto* form = new TForm(nullptr);
    form->SetBounds(700, 40, 760, 560);
    auto* memo = Add<TMemo>(form, form, 10, 10, 180, 120);
    memo->SetScrollBars(ssVertical);
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += "line\r\n";
    memo->SetText(lines);
    c["memo"] = memo;
    auto* list = Add<TListView>(form, form, 200, 10, 200, 120);
    list->SetViewStyle(vsReport);
    list->Columns()->Add()->SetCaption("Name");
    c["list"] = list;
    auto* scroll = Add<TScrollBar>(form, form, 410, 10, 17, 120);
    scroll->SetKind(sbVertical);
    c["scroll"] = scroll;
    auto* combo = Add<TComboBox>(form, form, 440, 10, 150, 24);
    combo->SetStyle(csDropDownList);
    c["combo"] = combo;
    c["edit"] = Add<TEdit>(form, form, 440, 40, 150, 24);
    c["date"] = Add<TDateTimePicker>(form, form, 440, 70, 150, 24);
    auto* upDown = Add<TUpDown>(form, form, 600, 40, 17, 24);
    c["updown"] = upDown;
    auto* status = Add<TStatusBar>(form, form, 0, 0, 100, 20);
    c["status"] = status;
    c["progress"] = Add<TProgressBar>(form, form, 10, 140, 180, 16);
    auto* track = Add<TTrackBar>(form, form, 10, 160, 180, 30);
    c["track"] = track;
    auto* pages = Add<TPageControl>(form, form, 200, 140, 250, 150);
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    sheet->SetCaption("Page");
    c["pages"] = pages;
    c["sheet"] = sheet;
    auto* buttonPages = Add<TPageControl>(form, form, 460, 140, 250, 150);
    buttonPages->SetStyle(tsButtons);
    auto* buttonSheet = new TTabSheet(form);
    buttonSheet->SetPageControl(buttonPages);
    buttonSheet->SetCaption("Button");
    c["buttonPages"] = buttonPages;
    auto* tabs = Add<TTabControl>(form, form, 200, 300, 250, 100);
    tabs->Tabs()->Add("One");
    c["tabs"] = tabs;
    auto* header = Add<THeaderControl>(form, form, 460, 300, 250, 24);
    header->Sections()->Add()->SetText("Column");
    c["header"] = header;
    auto* player = Add<TMediaPlayer>(form, form, 10, 300, 180, 30);
    c["player"] = player;
    form->AfterConstruction();
    form->Show();
    Pump(30);

    auto* engine = new TWinSkinForm(form);
    engine->SetWindow(form->Handle());
    engine->AttachForm(&Skin(), form);
    engine->FinishSkinning();
    Pump(50);
    const std::map<std::string, std::string> expected = {
        {"memo", "TSkinScrollbar"},   {"list", "TSkinListView"},       {"scroll", "TSkinScControl"},
        {"combo", "TSkinComBox"},     {"edit", "TSkinEdit"},           {"date", "TSkinDateTime"},
        {"updown", "TSkinUpDown"},    {"status", "TSkinStatusBar"},    {"progress", "TSkinProgress"},
        {"track", "TSkinTrackBar"},   {"pages", "TSkinTab"},           {"sheet", "TSkinTabSheet"},
        {"buttonPages", "TSkinTabBtn"}, {"tabs", "TSkinTab"},          {"header", "TSkinHeader"},
        {"player", "TSkinMP"},
    };
    for (const auto& [name, skinnerClass] : expected) {
        TSkinControl* skinner = SkinnerOf(engine, c[name]);
        ASSERT_NE(skinner, nullptr) << name;
        EXPECT_EQ(skinner->ClassName(), skinnerClass) << name;
        EXPECT_EQ(SendMessageW(As<TWinControl>(c[name])->Handle(), WM_SKINQUERY, 0, 0), 1) << name;
    }
    // Each attached through its own path: the drawn bars placed, the list
    // view's header skinned, the plain tab control in the mode that paints
    // its windowless children, the player's bar laid over it.
    auto* memoSkinner = dynamic_cast<TSkinScrollbar*>(SkinnerOf(engine, memo));
    ASSERT_NE(memoSkinner, nullptr);
    EXPECT_TRUE(memoSkinner->VerticalBar()->Showing());
    auto* listSkinner = dynamic_cast<TSkinListView*>(SkinnerOf(engine, list));
    ASSERT_NE(listSkinner, nullptr);
    EXPECT_NE(listSkinner->Header(), nullptr);
    auto* scrollSkinner = dynamic_cast<TSkinScControl*>(SkinnerOf(engine, scroll));
    ASSERT_NE(scrollSkinner, nullptr);
    EXPECT_TRUE(scrollSkinner->Bar() && scrollSkinner->Bar()->Showing());
    EXPECT_EQ(SkinnerOf(engine, tabs)->Mode(), 2);

    // The memo's window made anew (its scroll bars changed): the engine
    // gives the new window a new skinner and the old drawn bar goes.
    HWND oldBar = memoSkinner->VerticalBar()->Window();
    memo->SetScrollBars(ssBoth);
    Pump(50);
    auto* again = dynamic_cast<TSkinScrollbar*>(SkinnerOf(engine, memo));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Handle(), memo->Handle());
    EXPECT_TRUE(again->VerticalBar()->Showing());
    EXPECT_FALSE(IsWindow(oldBar));
    EXPECT_EQ(SendMessageW(memo->Handle(), WM_SKINQUERY, 0, 0), 1);
    Free(form);
    Pump();
}

// Every skinner of the engine that serves the control, in any state.
int SkinnerCount(TWinSkinForm* engine, const TControl* control)
{
    int count = 0;
    for (TSkinControl* skinner : engine->Skinners())
        if (skinner->Control() == control) ++count;
    return count;
}

bool WaitFor(const std::function<bool()>& condition)
{
    const DWORD end = GetTickCount() + 5000;
    while (!condition()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Pump(10);
    }
    return true;
}

// A shown form with its engine, skinned and scanned.
TWinSkinForm* SkinForm(TForm* form)
{
    form->AfterConstruction();
    form->Show();
    Pump(30);
    auto* engine = new TWinSkinForm(form);
    engine->SetWindow(form->Handle());
    engine->AttachForm(&Skin(), form);
    engine->FinishSkinning();
    Pump(50);
    return engine;
}

TEST(ScanAttach, AControlWhoseWindowIsMadeAnewGetsTheSkinnerItsKindNowCallsFor)
{
    struct Case {
        const char* name;
        std::function<TWinControl*(TForm*)> make;
        std::function<void(TWinControl*)> change;  // a setter that makes the window anew
        const char* before;
        const char* after;
    };
    const std::vector<Case> cases = {
        {"combo style",
         [](TForm* f) {
             auto* c = Add<TComboBox>(f, f, 10, 10, 150, 24);
             c->SetStyle(csDropDownList);
             return c;
         },
         [](TWinControl* c) { static_cast<TComboBox*>(c)->SetStyle(csDropDown); }, "TSkinComBox", "TSkinComBox"},
        {"status size grip", [](TForm* f) { return Add<TStatusBar>(f, f, 0, 0, 100, 20); },
         [](TWinControl* c) { static_cast<TStatusBar*>(c)->SetSizeGrip(!static_cast<TStatusBar*>(c)->SizeGrip()); },
         "TSkinStatusBar", "TSkinStatusBar"},
        {"progress orientation", [](TForm* f) { return Add<TProgressBar>(f, f, 10, 40, 150, 16); },
         [](TWinControl* c) { static_cast<TProgressBar*>(c)->SetOrientation(pbVertical); }, "TSkinProgress",
         "TSkinProgress"},
        {"date picker kind", [](TForm* f) { return Add<TDateTimePicker>(f, f, 10, 70, 150, 24); },
         [](TWinControl* c) { static_cast<TDateTimePicker*>(c)->SetKind(dtkTime); }, "TSkinDateTime", "TSkinEdit"},
        {"date picker mode", [](TForm* f) { return Add<TDateTimePicker>(f, f, 10, 100, 150, 24); },
         [](TWinControl* c) { static_cast<TDateTimePicker*>(c)->SetDateMode(dmUpDown); }, "TSkinDateTime",
         "TSkinEdit"},
        {"time picker back to a date",
         [](TForm* f) {
             auto* c = Add<TDateTimePicker>(f, f, 10, 130, 150, 24);
             c->SetKind(dtkTime);
             return c;
         },
         [](TWinControl* c) { static_cast<TDateTimePicker*>(c)->SetKind(dtkDate); }, "TSkinEdit", "TSkinDateTime"},
        {"scroll bar kind",
         [](TForm* f) {
             auto* c = Add<TScrollBar>(f, f, 200, 10, 17, 120);
             c->SetKind(sbVertical);
             return c;
         },
         [](TWinControl* c) {
             static_cast<TScrollBar*>(c)->SetKind(sbHorizontal);
             c->SetBounds(200, 10, 120, 17);
         },
         "TSkinScControl", "TSkinScControl"},
        {"track bar orientation", [](TForm* f) { return Add<TTrackBar>(f, f, 10, 160, 180, 30); },
         [](TWinControl* c) { static_cast<TTrackBar*>(c)->SetOrientation(trVertical); }, "TSkinTrackBar",
         "TSkinTrackBar"},
        {"up-down orientation", [](TForm* f) { return Add<TUpDown>(f, f, 230, 160, 17, 24); },
         [](TWinControl* c) { static_cast<TUpDown*>(c)->SetOrientation(udHorizontal); }, "TSkinUpDown",
         "TSkinUpDown"},
        {"memo scroll bars",
         [](TForm* f) {
             auto* c = Add<TMemo>(f, f, 260, 160, 180, 120);
             c->SetScrollBars(ssVertical);
             std::string lines;
             for (int i = 0; i < 100; ++i) lines += "line\r\n";
             c->SetText(lines);
             return c;
         },
         [](TWinControl* c) { static_cast<TMemo*>(c)->SetScrollBars(ssBoth); }, "TSkinScrollbar", "TSkinScrollbar"},
    };
    auto* form = new TForm(nullptr);
    form->SetBounds(700, 40, 760, 560);
    std::vector<TWinControl*> controls;
    for (const Case& each : cases) controls.push_back(each.make(form));
    TWinSkinForm* engine = SkinForm(form);
    std::vector<HWND> oldWindows;
    HWND oldScrollBar = nullptr;
    for (size_t i = 0; i < cases.size(); ++i) {
        TSkinControl* skinner = SkinnerOf(engine, controls[i]);
        ASSERT_NE(skinner, nullptr) << cases[i].name;
        EXPECT_EQ(skinner->ClassName(), cases[i].before) << cases[i].name;
        if (auto* scroll = dynamic_cast<TSkinScControl*>(skinner)) oldScrollBar = scroll->Bar()->Window();
        oldWindows.push_back(controls[i]->Handle());
    }
    for (size_t i = 0; i < cases.size(); ++i) cases[i].change(controls[i]);
    for (size_t i = 0; i < cases.size(); ++i) {
        TWinControl* control = controls[i];
        EXPECT_NE(control->Handle(), oldWindows[i]) << cases[i].name << ": the setter kept the window";
        const bool skinned = WaitFor([&] {
            TSkinControl* skinner = SkinnerOf(engine, control);
            return skinner && skinner->Handle() == control->Handle();
        });
        EXPECT_TRUE(skinned) << cases[i].name;
        TSkinControl* skinner = SkinnerOf(engine, control);
        if (!skinned || !skinner) continue;
        EXPECT_EQ(skinner->ClassName(), cases[i].after) << cases[i].name;
        EXPECT_EQ(SendMessageW(control->Handle(), WM_SKINQUERY, 0, 0), 1) << cases[i].name;
        // The skinner of the old window is gone, not left in the list.
        EXPECT_EQ(SkinnerCount(engine, control), 1) << cases[i].name;
    }
    // The old drawn bar of the scroll bar control went with its skinner.
    EXPECT_FALSE(IsWindow(oldScrollBar) && IsWindowVisible(oldScrollBar));
    // A rescan finds every control skinned and attaches nothing twice.
    const size_t skinnerTotal = engine->Skinners().size();
    ScanForm(engine, form);
    EXPECT_EQ(engine->Skinners().size(), skinnerTotal);
    Free(form);
    Pump();
}

TEST(ScanAttach, AControlMovedToAnotherParentTakesItsSkinAndItsDrawnWindowsAlong)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(700, 40, 760, 560);
    auto* memo = Add<TMemo>(form, form, 10, 10, 180, 120);
    memo->SetScrollBars(ssVertical);
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += "line\r\n";
    memo->SetText(lines);
    auto* player = Add<TMediaPlayer>(form, form, 10, 140, 180, 30);
    auto* list = Add<TListView>(form, form, 10, 180, 200, 120);
    list->SetViewStyle(vsReport);
    list->Columns()->Add()->SetCaption("Name");
    for (int i = 0; i < 40; ++i) list->Items()->Add()->SetCaption("item");
    auto* panel = Add<TPanel>(form, form, 300, 200, 400, 300);
    TWinSkinForm* engine = SkinForm(form);
    auto* memoSkinner = dynamic_cast<TSkinScrollbar*>(SkinnerOf(engine, memo));
    auto* playerSkinner = dynamic_cast<TSkinMP*>(SkinnerOf(engine, player));
    auto* listSkinner = dynamic_cast<TSkinListView*>(SkinnerOf(engine, list));
    ASSERT_TRUE(memoSkinner && playerSkinner && listSkinner);
    ASSERT_TRUE(memoSkinner->VerticalBar()->Showing());
    ASSERT_TRUE(listSkinner->VerticalBar()->Showing());
    const std::vector<HWND> oldOverlays = {memoSkinner->VerticalBar()->Window(), playerSkinner->Bar()->Window(),
                                           listSkinner->VerticalBar()->Window()};

    memo->SetParent(panel);
    player->SetParent(panel);
    list->SetParent(panel);
    player->SetBounds(10, 140, 180, 30);
    list->SetBounds(200, 10, 190, 120);
    // Each drawn window now lies over its control inside the panel.
    auto overlayOf = [&](TControl* control) -> HWND {
        TSkinControl* skinner = SkinnerOf(engine, control);
        if (!skinner || skinner->Handle() != As<TWinControl>(control)->Handle()) return nullptr;
        if (auto* scroll = dynamic_cast<TSkinScrollbar*>(skinner))
            return scroll->VerticalBar() && scroll->VerticalBar()->Showing() ? scroll->VerticalBar()->Window() : nullptr;
        if (auto* mp = dynamic_cast<TSkinMP*>(skinner)) return mp->Bar() ? mp->Bar()->Window() : nullptr;
        return nullptr;
    };
    for (TWinControl* control : std::initializer_list<TWinControl*>{memo, player, list}) {
        const char* name = control->ClassName().c_str();
        ASSERT_TRUE(WaitFor([&] { return overlayOf(control) != nullptr; }))
            << name << " skinners " << SkinnerCount(engine, control) << " attached "
            << (SkinnerOf(engine, control) ? SkinnerOf(engine, control)->ClassName() : std::string("none")) << " same window "
            << (SkinnerOf(engine, control) && SkinnerOf(engine, control)->Handle() == control->Handle()) << " style "
            << std::hex << GetWindowLongPtrW(control->Handle(), GWL_STYLE);
        HWND overlay = overlayOf(control);
        EXPECT_EQ(GetParent(overlay), panel->Handle()) << name;
        EXPECT_TRUE(IsWindowVisible(overlay)) << name;
        RECT over{}, under{};
        GetWindowRect(overlay, &over);
        GetWindowRect(control->Handle(), &under);
        // Over the control (the player's bar covers it whole, a scroll bar
        // lies at its right edge).
        EXPECT_TRUE(over.left >= under.left && over.right <= under.right && over.top >= under.top &&
                    over.bottom <= under.bottom)
            << name;
        EXPECT_EQ(SkinnerCount(engine, control), 1) << name;
    }
    for (HWND old : oldOverlays) EXPECT_FALSE(IsWindow(old) && IsWindowVisible(old));
    Free(form);
    Pump();
}

TEST(ScanAttach, InnerSkinnersOwnedByAnotherSkinnerAreFreedOnceWhenTheirWindowsGo)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(700, 40, 760, 560);
    auto* list = Add<TListView>(form, form, 10, 10, 200, 120);
    list->SetViewStyle(vsReport);
    list->Columns()->Add()->SetCaption("Name");
    auto* tabs = Add<TTabControl>(form, form, 220, 10, 150, 80);
    for (int i = 0; i < 20; ++i) tabs->Tabs()->Add("Tab " + std::to_string(i));
    auto* edit = Add<TEdit>(form, form, 10, 140, 150, 24);
    auto* combo = Add<TComboBox>(form, form, 220, 140, 150, 120);
    combo->SetStyle(csSimple);
    for (int i = 0; i < 30; ++i) combo->Items()->Add("item");
    TWinSkinForm* engine = SkinForm(form);
    // A spin edit's arrows: an up-down window inside the edit.
    CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 130, 0, 16, 20, edit->Handle(), nullptr,
                    GetModuleHandleW(nullptr), nullptr);
    RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Pump(30);
    auto* listSkinner = dynamic_cast<TSkinListView*>(SkinnerOf(engine, list));
    auto* tabSkinner = dynamic_cast<TSkinTab*>(SkinnerOf(engine, tabs));
    auto* editSkinner = dynamic_cast<TSkinEdit*>(SkinnerOf(engine, edit));
    ASSERT_TRUE(listSkinner && tabSkinner && editSkinner);
    ASSERT_NE(listSkinner->Header(), nullptr);
    ASSERT_NE(tabSkinner->UpDown(), nullptr);
    ASSERT_NE(editSkinner->UpDown(), nullptr);
    ASSERT_NE(SkinnerOf(engine, combo), nullptr);
    // Each inner skinner is in the engine's list as well as owned by its
    // outer one.
    auto listed = [&](const TSkinControl* skinner) {
        for (TSkinControl* each : engine->Skinners())
            if (each == skinner) return true;
        return false;
    };
    EXPECT_TRUE(listed(listSkinner->Header()));
    EXPECT_TRUE(listed(tabSkinner->UpDown()));
    EXPECT_TRUE(listed(editSkinner->UpDown()));

    // The windows go (outer and inner skinners all dead), then the next scan
    // tidies the list and skins the new windows.
    for (TWinControl* control : std::initializer_list<TWinControl*>{list, tabs, edit, combo}) control->DestroyHandle();
    for (TSkinControl* skinner : engine->Skinners()) EXPECT_NE(skinner->LifeState(), lsAttached) << skinner->ClassName();
    for (TWinControl* control : std::initializer_list<TWinControl*>{list, tabs, edit, combo}) control->HandleNeeded();
    ScanForm(engine, form);
    Pump(30);
    for (TSkinControl* skinner : engine->Skinners()) EXPECT_NE(skinner->LifeState(), lsWindowGone) << skinner->ClassName();
    for (TWinControl* control : std::initializer_list<TWinControl*>{list, tabs, edit, combo}) {
        EXPECT_EQ(SendMessageW(control->Handle(), WM_SKINQUERY, 0, 0), 1) << control->ClassName();
        EXPECT_EQ(SkinnerCount(engine, control), 1) << control->ClassName();
    }
    Free(form);
    Pump();
}

}  // namespace
}  // namespace quorvane
