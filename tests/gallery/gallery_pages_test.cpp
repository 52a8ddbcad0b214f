// Every page of the gallery opened and closed a hundred times under the
// shipped skins, switching skin between openings: each opening is skinned
// (the window gets an engine, its controls get skinners) and the process
// ends with the GDI objects, menus and windows it had.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "skin/data/skin_data.h"
#include "tests/support/gtest.h"
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

// The shipped skins, loaded once; Use() makes one of them current.
class Skins {
public:
    Skins() : light_(ReadSkin("light")), dark_(ReadSkin("dark"))
    {
        data_ = new TSkinData(nullptr);
        data_->SetSkinControls(kReaderSkinControls);
        data_->SetPackage(light_);
        data_->SetActive(true);
    }
    bool Loaded() const { return !light_.empty() && !dark_.empty() && data_->Active(); }
    bool Use(bool dark) { return data_->ApplyPackage(dark ? dark_ : light_); }

private:
    std::vector<uint8_t> light_, dark_;
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

TEST_P(GalleryPage, AHundredSkinnedOpeningsLeaveNothingBehind)
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
    int unskinned = 0;
    for (int i = 0; i < 100; ++i) {
        SharedSkins().Use(i % 2 == 1);
        if (!OpenAndClose(page).skinned) ++unskinned;
    }
    SharedSkins().Use(false);
    const ResourceCounts after = CountResources();
    EXPECT_EQ(unskinned, 0);
    EXPECT_EQ(after, before) << "before: " << Describe(before) << "; after: " << Describe(after);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, GalleryPage, testing::Range(size_t{0}, ControlPages().size()));

}  // namespace
}  // namespace quorvane
