// Writes a few starting inputs for each fuzz target into the folder given as
// the first argument (one sub-folder per target).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
    return 0;
}
