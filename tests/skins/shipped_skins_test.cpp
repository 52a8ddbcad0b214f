// The shipped skin packages: every section the engine reads is there, every
// image it names is in the package and loads, and each strip divides into
// the frame count the engine paints it with.
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "skin/data/bitmap_utils.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

struct Package {
    TSkinReader reader;
    TQuickIni ini;

    bool Load(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        if (!file) return false;
        MemoryStream bytes(std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
        if (!reader.ReadPackage(bytes)) return false;
        MemoryStream member;
        std::string name;
        if (!reader.FindMemberContaining(".ini", member, name)) return false;
        ini.LoadFromStream(&member);
        return true;
    }
    SIZE ImageSize(const std::string& section, const std::string& key) const {
        MemoryStream member;
        if (!ExtractBitmapMember(reader, ini.ReadString(section, key, ""), member)) return SIZE{0, 0};
        UniqueBitmap bitmap = LoadBitmapFromMemory(member.Data(), member.Size());
        return BitmapSize(bitmap.get());
    }
};

class ShippedSkin : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedSkin, NamesEveryElementWithImagesThatFitTheirFrames) {
    Package skin;
    ASSERT_TRUE(skin.Load(std::string(QUORVANE_SKINS_DIR) + "/" + GetParam() + ".qskin"));
    EXPECT_FALSE(skin.ini.ReadString("TitlebarSkin", "SkinName", "").empty());

    // section, image key, frames side by side (0: stacked pair), the
    // frame count the engine uses.
    struct Expect {
        const char* section;
        const char* key;
        int frames;
        bool stacked;
    };
    const Expect images[] = {
        {"Personality", "Left", 2, false},     {"Personality", "Right", 2, false},
        {"Personality", "Top", 2, true},       {"Personality", "Bottom", 2, true},
        {"Personality", "menuBar", 2, true},   {"Personality", "TextBack", 2, false},
        {"MDICONTROLS", "Image", 12, false},   {"Buttons", "Bitmap", 5, false},
        {"Buttons", "CheckButton", 12, false}, {"Buttons", "RadioButton", 8, false},
        {"Progress", "Bitmap", 2, false},      {"Progress.Chunk", "Image", 1, false},
        {"GroupBoxEdge", "Image", 2, false},   {"GroupBox", "Image", 1, false},
        {"Tabs", "Image", 5, false},           {"Tabs", "Border", 1, false},
        {"Tab.Pane", "Image", 1, false},       {"StatusBarEdges", "Image", 3, false},
        {"ToolBars", "Image", 5, false},       {"ComboButton", "Image", 4, false},
        {"SunkEdge", "Image", 4, false},       {"ExtraImages", "Image", 5, false},
        {"Headerbar", "Image", 5, false},      {"MenuItem", "Image", 5, false},
        {"MenuBackground", "Image", 1, false}, {"Scrollbar", "Image", 23, false},
        {"HorzScroll", "Image", 4, false},     {"VertScroll", "Image", 4, false},
        {"HorzScrollThumb", "Image", 3, false}, {"VertScrollThumb", "Image", 3, false},
        {"Trackbar.ThumbHorz", "Image", 5, false}, {"Trackbar.ThumbVert", "Image", 5, false},
        {"Trackbar.ThumbLeft", "Image", 5, false}, {"Trackbar.ThumbRight", "Image", 5, false},
        {"Trackbar.ThumbUp", "Image", 5, false}, {"Trackbar.ThumbDown", "Image", 5, false},
        {"UpDown.Horz", "Image", 8, false},    {"UpDown.Horz", "GlyphImage", 8, false},
        {"UpDown.Vert", "Image", 8, false},    {"UpDown.Vert", "GlyphImage", 8, false},
        {"Track", "Image", 1, false},          {"TRACKVERT", "Image", 1, false},
    };
    for (const Expect& e : images) {
        SIZE size = skin.ImageSize(e.section, e.key);
        ASSERT_GT(size.cx, 0) << e.section << "/" << e.key;
        ASSERT_GT(size.cy, 0) << e.section << "/" << e.key;
        const int along = e.stacked ? size.cy : size.cx;
        EXPECT_EQ(along % e.frames, 0) << e.section << "/" << e.key << " does not divide into " << e.frames;
    }
    EXPECT_EQ(skin.ini.ReadInteger("Buttons", "CheckButtonFrame", 0), 12);
    EXPECT_EQ(skin.ini.ReadInteger("Buttons", "RadioButtonFrame", 0), 8);
    for (const char* key : {"ButtonFace", "ButtonText", "Hilight", "HilightText", "Menu", "MenuText", "Menubar",
                            "MenuBarText", "ButtonShadow", "ButtonHilight"})
        EXPECT_FALSE(skin.ini.ReadString("Colours", key, "").empty()) << key;
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(skin.ini.ReadString("Customcolors", "Color" + std::to_string(i), "").empty()) << i;

    // Borders: transparent, with margins that fit the frames, and a title
    // tall enough for the caption buttons placed in it.
    const int title = skin.ImageSize("Personality", "Top").cy / 2;
    for (const char* part : {"Left", "Right", "Top", "Bottom"}) {
        EXPECT_EQ(skin.ini.ReadInteger("Personality", std::string(part) + "Trans", 0), 1) << part;
        EXPECT_EQ(skin.ini.ReadInteger("Personality", std::string(part) + "Frame", 0), 2) << part;
    }
    EXPECT_LE(skin.ini.ReadInteger("Personality", "LeftTopHeight", 0) +
                  skin.ini.ReadInteger("Personality", "LeftBotHeight", 0),
              skin.ImageSize("Personality", "Left").cy);

    // Caption buttons: close, maximise, restore, minimise and the icon, each
    // inside the title bar.
    std::vector<std::string> sections;
    skin.ini.GetSectionNames(sections);
    std::map<int, int> actions;
    for (const std::string& section : sections) {
        std::string upper = section;
        for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        if (upper.rfind("BUTTON.", 0) != 0) continue;
        const int action = skin.ini.ReadInteger(section, "Action", -1);
        ++actions[action];
        const int frames = skin.ini.ReadInteger(section, "frame", 0);
        SIZE size = skin.ImageSize(section, "ButtonImage");
        ASSERT_GT(frames, 0) << section;
        EXPECT_EQ(size.cx % frames, 0) << section;
        const int y = skin.ini.ReadInteger(section, "Ycoord", 0);
        EXPECT_GE(y, 0) << section;
        EXPECT_LE(y + size.cy, title) << section;
    }
    EXPECT_EQ(actions[0], 1);
    EXPECT_EQ(actions[1], 2);  // maximise and restore
    EXPECT_EQ(actions[2], 1);
    EXPECT_EQ(actions[3], 1);
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedSkin, ::testing::Values("light", "dark"));

TEST(ShippedSkins, DarkDiffersFromLightInBordersAndTitle) {
    Package light, dark;
    ASSERT_TRUE(light.Load(std::string(QUORVANE_SKINS_DIR) + "/light.qskin"));
    ASSERT_TRUE(dark.Load(std::string(QUORVANE_SKINS_DIR) + "/dark.qskin"));
    EXPECT_NE(light.ImageSize("Personality", "Left").cx, dark.ImageSize("Personality", "Left").cx);
    EXPECT_NE(light.ImageSize("Personality", "Top").cy, dark.ImageSize("Personality", "Top").cy);
}

}  // namespace
}  // namespace quorvane
