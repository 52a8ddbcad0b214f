// libFuzzer target: the whole reading of a skin from its description, as a
// load does it before building any GDI object. The input is the INI text,
// then members separated by the bytes 00 01, named 1.bmp, 2.bmp, ... in
// order. Small limits keep each run short and reach every refusal; a
// description that is accepted must stay within them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/data/quick_ini.h"
#include "skin/data/skin_description.h"
#include "skin/data/skin_reader.h"
#include "tools/skinpack/package_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    std::vector<std::vector<uint8_t>> pieces(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && i + 1 < size && data[i + 1] == 1) {
            pieces.emplace_back();
            ++i;
        } else {
            pieces.back().push_back(data[i]);
        }
    }
    std::vector<PackageMember> members;
    members.push_back({"skin.ini", pieces[0]});
    for (size_t i = 1; i < pieces.size() && i <= 8; ++i) members.push_back({std::to_string(i) + ".bmp", pieces[i]});
    MemoryStream content(BuildPackageContent(members));
    TSkinReader reader;
    if (!reader.ReadContent(content)) abort();

    MemoryStream description;
    std::string found;
    reader.FindMemberContaining(".ini", description, found);
    TQuickIni ini;
    ini.LoadFromStream(&description);

    SkinLimits limits;
    limits.bitmapSide = 256;
    limits.bitmapPixels = 4096;
    limits.totalPixels = 32768;
    limits.bitmaps = 64;
    limits.captionButtons = 16;
    SkinDescription skin;
    std::string reason;
    if (!DescribeSkin(ini, &reader, limits, skin, reason)) {
        if (reason.empty()) abort();
        return 0;
    }
    if (skin.pixels > limits.totalPixels || skin.bitmaps > limits.bitmaps) abort();
    if (skin.SysButtons.size() < 3 || skin.SysButtons.size() > 3 + static_cast<size_t>(limits.captionButtons)) abort();
    for (const SysButtonDescription& button : skin.SysButtons)
        if (button.Bitmap && button.Bitmap->pixels.size() !=
                                 static_cast<size_t>(button.Bitmap->width) * static_cast<size_t>(button.Bitmap->height))
            abort();
    if (skin.TabPane && (skin.TabPane->LeftWidth > 4 || skin.TabPane->BottomHeight > 4)) abort();
    return 0;
}
