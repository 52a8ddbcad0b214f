// The control scan and these skinners together: every control family gets
// its skinner by name from the scan, attached the way its class needs (its
// own attach call, its mode), and a control whose window is made anew gets
// its drawn scroll bars again.
#include <windows.h>

#include <map>
#include <string>

#include "framework/com_controls.h"
#include "framework/input_controls.h"
#include "framework/list_controls.h"
#include "framework/media_player.h"
#include "framework/scroll_controls.h"
#include "framework/std_controls.h"
#include "framework/tab_controls.h"
#include "skin/controls/scrollbar_skinners.h"
#include "skin/controls/skinner_registry.h"
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

}  // namespace
}  // namespace quorvane
