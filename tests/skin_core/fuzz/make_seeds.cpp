// Writes a few starting inputs for each fuzz target into the folder given as
// the first argument (one sub-folder per target).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/skin_core/bmp_test_files.h"
#include "tools/skinpack/lzh_encoder.h"
#include "tools/skinpack/package_writer.h"

namespace {
void Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}
std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
}  // namespace

int main(int argc, char** argv)
{
    using namespace quorvane;
    if (argc < 2) return 2;
    const std::string dir = argv[1];
    const std::string ini =
        "[Personality]\r\nName=Seed\r\n; comment\r\n[Buttons]\r\nImage=buttons.bmp\r\nFrameCount=5\r\n"
        "Trans=1\r\nColour=$00FF00FF\r\nLeftWidth=0x1F\r\n[ buttons ]\r\nTrans=\r\n";
    std::vector<uint8_t> bmp(600);
    for (size_t i = 0; i < bmp.size(); ++i) bmp[i] = static_cast<uint8_t>(i % 54 < 30 ? 0xFF : i);

    const std::vector<std::vector<uint8_t>> samples = {Bytes(ini), bmp, Bytes(std::string(300, ' ')), Bytes("a")};
    for (size_t i = 0; i < samples.size(); ++i) {
        std::vector<uint8_t> lzh = {static_cast<uint8_t>(std::min<size_t>(samples[i].size(), 0xFD))};
        const std::vector<uint8_t> coded = LzhEncode(samples[i]);
        lzh.insert(lzh.end(), coded.begin(), coded.end());
        Write(dir + "/lzh/seed" + std::to_string(i), lzh);
        Write(dir + "/lzh_roundtrip/seed" + std::to_string(i), samples[i]);
        Write(dir + "/quick_ini/seed" + std::to_string(i), samples[i]);
    }
    const std::vector<PackageMember> members = {{"Skin.ini", Bytes(ini)}, {"Buttons.BMP", bmp}, {"empty.bmp", {}}};
    std::vector<uint8_t> content = BuildPackageContent(members);
    content.insert(content.begin(), 0);
    Write(dir + "/skin_reader/content", content);
    std::vector<uint8_t> package = BuildPackage(members);
    package.insert(package.begin(), 1);
    Write(dir + "/skin_reader/package", package);

    // One picture of each header variant and coding.
    std::vector<test::BmpSpec> bmps(6);
    bmps[0].bits = 8;
    bmps[0].width = 4;
    bmps[0].height = 3;
    bmps[0].compression = 1;
    bmps[0].palette = {0xFF0000, 0x00FF00, 0x0000FF};
    bmps[0].pixels = {3, 1, 0, 0, 0, 3, 2, 0, 1, 0, 0, 2, 2, 1, 5, 0, 0, 1};
    bmps[1] = bmps[0];
    bmps[1].bits = 4;
    bmps[1].compression = 2;
    bmps[1].pixels = {5, 0x12, 0, 0, 0, 3, 0x21, 0x10, 0, 1};
    bmps[2].headerSize = 12;
    bmps[2].bits = 8;
    bmps[2].width = 2;
    bmps[2].palette.assign(256, 0x123456);
    bmps[2].pixels = {5, 0, 0, 0};
    bmps[3].headerSize = 64;
    bmps[3].width = 3;
    bmps[3].compression = 4;
    bmps[3].pixels = {2, 0x10, 0x20, 0x30, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1};
    bmps[4].headerSize = 124;
    bmps[4].bits = 16;
    bmps[4].width = 2;
    bmps[4].compression = 3;
    bmps[4].masks[0] = 0xF800;
    bmps[4].masks[1] = 0x07E0;
    bmps[4].masks[2] = 0x001F;
    bmps[4].pixels = {0x00, 0xF8, 0xE0, 0x07};
    bmps[5].bits = 32;
    bmps[5].compression = 3;
    bmps[5].afterHeader = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    bmps[5].pixels = {1, 2, 3, 4};
    for (size_t i = 0; i < bmps.size(); ++i) Write(dir + "/bmp/seed" + std::to_string(i), test::BuildBmp(bmps[i]));

    // A description naming a picture in every kind of section, followed by
    // the pictures (members 1.bmp to 6.bmp, separated by 00 01).
    const std::string skin =
        "[TitlebarSkin]\nSkinName=Seed\n[Personality]\nLeft=1.bmp\nRight=2.bmp\nTop=3.bmp\nTopFrame=2\n"
        "Bottom=4.bmp\nTextBack=5.bmp\nmenuBar=6.bmp\nTileMenu=3\n[Colours]\nButtonFace=200,200,200\n"
        "[COLOUR1]\ncolor=1,2,3\n[Customcolors]\nColor3=9,9,9\n[BUTTON.CLOSE]\nAction=0\nButtonImage=5.bmp\n"
        "[BUTTON.SYS]\nAction=3\nButtonImage=6.bmp\n[BUTTON.HIDDEN]\nAction=-1\n[MDICONTROLS]\nImage=1.bmp\n"
        "[Buttons]\nBitmap=2.bmp\nCheckButton=3.bmp\nRadioButton=4.bmp\nNormalColour2=1,2,3\n"
        "[Progress]\nBitmap=1.bmp\nStyle=1\n[Tabs]\nImage=2.bmp\nBorder=3.bmp\n[Tab.Pane]\nImage=4.bmp\n"
        "LeftWidth=9\n[ComboButton]\nImage=5.bmp\n[SunkEdge]\nImage=6.bmp\n[GroupBox]\nImage=1.bmp\n"
        "BackgroundAlignment=2\n[UpDown.Horz]\nImage=2.bmp\nGlyphImage=3.bmp\n[HorzScrollThumb]\nImage=4.bmp\n"
        "FrameCount=7\n[Track]\nImage=..\\5.bmp\n[Headerbar]\nImage=6.bmp\n";
    std::vector<uint8_t> described(skin.begin(), skin.end());
    for (const auto& spec : bmps) {
        described.push_back(0);
        described.push_back(1);
        const std::vector<uint8_t> bytes = test::BuildBmp(spec);
        described.insert(described.end(), bytes.begin(), bytes.end());
    }
    Write(dir + "/skin_description/seed", described);
    return 0;
}
