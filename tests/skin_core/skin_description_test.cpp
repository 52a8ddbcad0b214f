// The first stage of a skin load: pictures decoded once, limits checked
// before anything is decoded, descriptions too long to index refused.
#include <string>
#include <vector>

#include "skin/data/quick_ini.h"
#include "skin/data/skin_description.h"
#include "skin/data/skin_reader.h"
#include "tests/skin_core/bmp_test_files.h"
#include "tests/support/gtest.h"
#include "tools/skinpack/package_writer.h"

namespace quorvane::test {
namespace {

struct Loaded {
    TSkinReader reader;
    TQuickIni ini;
};

void Load(Loaded& loaded, const std::string& ini, const std::vector<PackageMember>& bitmaps)
{
    std::vector<PackageMember> members{{"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())}};
    members.insert(members.end(), bitmaps.begin(), bitmaps.end());
    MemoryStream content(BuildPackageContent(members));
    ASSERT_TRUE(loaded.reader.ReadContent(content));
    loaded.ini.LoadFromText(ini);
}

std::vector<uint8_t> Picture(int width, int height)
{
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels.assign(static_cast<size_t>(((width * 3 + 3) / 4) * 4 * height), 0x40);
    return BuildBmp(spec);
}

// An RLE picture of a few bytes that declares any size.
std::vector<uint8_t> DeclaredPicture(int width, int height)
{
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bits = 8;
    spec.compression = 1;
    spec.palette = {0xFF0000};
    spec.pixels = {0, 1};
    return BuildBmp(spec);
}

TEST(SkinDescription, EveryElementNamingAMemberSharesOneDecodedPicture)
{
    Loaded loaded;
    Load(loaded,
         "[MenuItem]\nImage=m.bmp\n[Scrollbar]\nImage=..\\M.bmp\n[Buttons]\nBitmap=m.bmp\n"
         "[BUTTON.CLOSE]\nButtonImage=m.bmp\n",
         {{"m.bmp", Picture(6, 2)}});
    SkinDescription skin;
    std::string reason;
    ASSERT_TRUE(DescribeSkin(loaded.ini, &loaded.reader, SkinLimits(), skin, reason)) << reason;
    ASSERT_TRUE(skin.MenuItem && skin.MenuItem->Bitmap);
    EXPECT_EQ(skin.MenuItem->Bitmap->width, 6);
    EXPECT_EQ(skin.Scrollbar->Bitmap, skin.MenuItem->Bitmap);
    EXPECT_EQ(skin.Buttons.Bitmap, skin.MenuItem->Bitmap);
    EXPECT_EQ(skin.SysButtons[0].Bitmap, skin.MenuItem->Bitmap);
    // Each element still gets a bitmap of its own: four of 12 pixels.
    EXPECT_GE(skin.pixels, 4 * 12);
}

TEST(SkinDescription, LimitsAreCheckedBeforePicturesAreDecoded)
{
    struct Case {
        const char* what;
        std::string ini;
        std::vector<PackageMember> members;
        SkinLimits limits;
        const char* reasonWord;
    };
    SkinLimits small;
    small.bitmapSide = 100;
    small.bitmapPixels = 2000;
    small.totalPixels = 5000;
    small.bitmaps = 8;
    small.captionButtons = 2;
    const std::string buttons = "[BUTTON1]\n[BUTTON2]\n[BUTTON3]\n";
    const Case cases[] = {
        {"one picture too large", "[MenuItem]\nImage=a.bmp\n", {{"a.bmp", Picture(50, 41)}}, small, "2000"},
        {"too wide", "[MenuItem]\nImage=a.bmp\n", {{"a.bmp", Picture(101, 1)}}, small, "a side"},
        {"declared by RLE data", "[MenuItem]\nImage=a.bmp\n", {{"a.bmp", DeclaredPicture(16000, 16000)}},
         SkinLimits(), "16000 x 16000"},
        {"one picture named too often", "[MenuItem]\nImage=a.bmp\n[Scrollbar]\nImage=a.bmp\n[Headerbar]\nImage=a.bmp\n"
         "[MenuBackground]\nImage=a.bmp\n",
         {{"a.bmp", Picture(40, 40)}}, small, "5000 pixels"},
        {"too many bitmaps",
         "[Buttons]\nBitmap=a.bmp\nCheckButton=a.bmp\nRadioButton=a.bmp\n[MenuItem]\nImage=a.bmp\n"
         "[Scrollbar]\nImage=a.bmp\n[Headerbar]\nImage=a.bmp\n[Track]\nImage=a.bmp\n[TRACKVERT]\nImage=a.bmp\n",
         {{"a.bmp", Picture(2, 2)}}, small, "bitmaps"},
        {"too many caption buttons", buttons, {}, small, "caption buttons"},
    };
    for (const Case& c : cases) {
        Loaded loaded;
        Load(loaded, c.ini, c.members);
        SkinDescription skin;
        std::string reason;
        EXPECT_FALSE(DescribeSkin(loaded.ini, &loaded.reader, c.limits, skin, reason)) << c.what;
        EXPECT_NE(reason.find(c.reasonWord), std::string::npos) << c.what << ": " << reason;
    }

    // Hidden inactive button sections are not caption buttons and do not count.
    Loaded loaded;
    Load(loaded, "[BUTTON1]\n[BUTTON2]\n[BUTTON3]\nAction=-1\n", {});
    SkinDescription skin;
    std::string reason;
    EXPECT_TRUE(DescribeSkin(loaded.ini, &loaded.reader, small, skin, reason)) << reason;
}

TEST(SkinDescription, DescriptionsBeyondTheLineLimitAreRefused)
{
    std::string text = "[Personality]\n";
    for (size_t i = 0; i < TQuickIni::kMaxLines; ++i) text += "a=1\n";
    TQuickIni ini;
    ini.LoadFromText(text);
    EXPECT_TRUE(ini.Truncated());
    EXPECT_EQ(ini.Lines().size(), TQuickIni::kMaxLines);
    EXPECT_EQ(ini.ReadInteger("Personality", "a", 0), 1);
    SkinDescription skin;
    std::string reason;
    EXPECT_FALSE(DescribeSkin(ini, nullptr, SkinLimits(), skin, reason));
    EXPECT_NE(reason.find("lines"), std::string::npos);

    ini.LoadFromText("[Personality]\na=2\n");
    EXPECT_FALSE(ini.Truncated());
    EXPECT_TRUE(DescribeSkin(ini, nullptr, SkinLimits(), skin, reason));
}

}  // namespace
}  // namespace quorvane::test
