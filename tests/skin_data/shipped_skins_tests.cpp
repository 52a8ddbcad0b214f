// The two shipped skins load completely: every image the description names
// is in the package and loads, every element slot the engine reads is
// filled, and frame counts divide their strips.
#include <string>
#include <vector>

#include "skin/data/bitmap_utils.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_reader.h"
#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"

namespace quorvane::test {
namespace {

#ifdef QUORVANE_SKINS_DIR
std::vector<uint8_t> ReadHostFile(const std::string& hostPath)
{
    // Wine maps the host's root to drive Z:.
    std::string path = "Z:" + hostPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

class ShippedSkin : public testing::TestWithParam<const char*> {};

TEST_P(ShippedSkin, EveryNamedImageIsInThePackageAndLoads)
{
    const std::vector<uint8_t> package = ReadHostFile(std::string(QUORVANE_SKINS_DIR) + "/" + GetParam() + ".qskin");
    ASSERT_FALSE(package.empty()) << GetParam();
    MemoryStream stream(package);
    TSkinReader reader;
    ASSERT_TRUE(reader.ReadPackage(stream));
    MemoryStream member;
    std::string found;
    ASSERT_TRUE(reader.FindMemberContaining(".ini", member, found));
    TQuickIni ini;
    ini.LoadFromStream(&member);
    int images = 0;
    std::string section;
    for (const std::string& line : ini.Lines()) {
        if (line.front() == '[') {
            section = line;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || line.size() < 4 || line.compare(line.size() - 4, 4, ".bmp") != 0) continue;
        ++images;
        MemoryStream bmp;
        ASSERT_TRUE(ExtractBitmapMember(reader, line.substr(eq + 1), bmp)) << section << " " << line;
        EXPECT_TRUE(LoadBitmapFromMemory(bmp.Data(), bmp.Size())) << section << " " << line;
    }
    EXPECT_GT(images, 40);
}

TEST_P(ShippedSkin, EverySlotIsFilled)
{
    const std::vector<uint8_t> package = ReadHostFile(std::string(QUORVANE_SKINS_DIR) + "/" + GetParam() + ".qskin");
    ASSERT_FALSE(package.empty()) << GetParam();
    TSkinData data(nullptr);
    data.SetPackage(package);
    ASSERT_FALSE(data.NotLoaded());
    EXPECT_FALSE(data.SkinName.empty());

    const std::pair<const char*, const TDataSkinObject*> slots[] = {
        {"BorderLeft", data.BorderLeft.get()}, {"BorderRight", data.BorderRight.get()},
        {"BorderTop", data.BorderTop.get()}, {"BorderBottom", data.BorderBottom.get()},
        {"Title", data.Title.get()}, {"Buttons", data.Buttons.get()},
        {"Progress", data.Progress.get()}, {"ProgressChunk", data.ProgressChunk.get()},
        {"MenuBar", data.MenuBar.get()}, {"GroupBoxEdge", data.GroupBoxEdge.get()},
        {"GroupBox", data.GroupBox.get()}, {"Tabs", data.Tabs.get()},
        {"StatusBarEdges", data.StatusBarEdges.get()}, {"TabPane", data.TabPane.get()},
        {"ToolBars", data.ToolBars.get()}, {"ComboButton", data.ComboButton.get()},
        {"SunkEdge", data.SunkEdge.get()}, {"ExtraImages", data.ExtraImages.get()},
        {"Headerbar", data.Headerbar.get()}, {"MenuItem", data.MenuItem.get()},
        {"MenuBackground", data.MenuBackground.get()}, {"Scrollbar", data.Scrollbar.get()},
        {"HorzScroll", data.HorzScroll.get()}, {"VertScroll", data.VertScroll.get()},
        {"HorzScrollThumb", data.HorzScrollThumb.get()}, {"VertScrollThumb", data.VertScrollThumb.get()},
        {"TrackbarThumbHorz", data.TrackbarThumbHorz.get()}, {"TrackbarThumbVert", data.TrackbarThumbVert.get()},
        {"TrackbarThumbLeft", data.TrackbarThumbLeft.get()}, {"TrackbarThumbRight", data.TrackbarThumbRight.get()},
        {"TrackbarThumbUp", data.TrackbarThumbUp.get()}, {"TrackbarThumbDown", data.TrackbarThumbDown.get()},
        {"UpDownHorz", data.UpDownHorz.get()}, {"UpDownVert", data.UpDownVert.get()},
        {"Track", data.Track.get()}, {"TrackVert", data.TrackVert.get()},
        {"ComboxArrow", data.ComboxArrow.get()}, {"Toolbar", data.Toolbar.get()},
    };
    for (const auto& [name, element] : slots) {
        ASSERT_NE(element, nullptr) << name;
        EXPECT_FALSE(IsEmptyBitmap(element->Bitmap)) << name;
        if (IsEmptyBitmap(element->Bitmap) || element->Frame <= 0) continue;
        const SIZE size = BitmapSize(element->Bitmap.get());
        // Frames lie side by side or stacked: one of the sides must divide.
        EXPECT_TRUE(size.cx % element->Frame == 0 || size.cy % element->Frame == 0)
            << name << " " << size.cx << "x" << size.cy << " / " << element->Frame;
    }
    EXPECT_FALSE(IsEmptyBitmap(data.Buttons->CheckButton));
    EXPECT_FALSE(IsEmptyBitmap(data.Buttons->RadioButton));
    EXPECT_FALSE(IsEmptyBitmap(data.Tabs->Bitmap2));
    EXPECT_FALSE(IsEmptyBitmap(data.UpDownHorz->Bitmap2));
    EXPECT_FALSE(IsEmptyBitmap(data.UpDownVert->Bitmap2));
    EXPECT_EQ(data.ComboButton->Style, 2);  // the combo box composite was built

    // Caption buttons: close, maximise, restore, minimise, the system icon,
    // then the three MDI buttons with images from MDICONTROLS.
    ASSERT_GE(data.SysButtons.size(), 7u);
    bool hasSystemIcon = false;
    for (const auto& button : data.SysButtons) {
        if (button->Action == 3 || button->Action == 11) {
            hasSystemIcon = true;
            continue;
        }
        EXPECT_FALSE(IsEmptyBitmap(button->Bitmap)) << button->Name;
        EXPECT_GT(button->Frame, 0) << button->Name;
    }
    EXPECT_TRUE(hasSystemIcon);
    EXPECT_NE(data.Colours.ButtonFace, kSysButtonFace);  // the skin gives its colours
    EXPECT_NE(data.Colours.CustomColors[0], 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedSkin, testing::Values("light", "dark"));
#endif

}  // namespace
}  // namespace quorvane::test
