// libFuzzer target: the whole reading of a skin from its description, as a
// load does it before building any GDI object. The input is the INI text,
// then members separated by the bytes 00 01, named 1.bmp, 2.bmp, ... in
// order. Small limits keep each run short and reach every refusal; a
// description that is accepted must stay within them, and the frame layout
// is worked out from it for a few window sizes (UBSan finds any overflow).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/data/quick_ini.h"
#include "skin/data/skin_description.h"
#include "skin/data/skin_reader.h"
#include "skin/form/frame_layout.h"
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

    // The layout, as the engine does it, at the smallest and largest window
    // widths and with the caption text at either end.
    const bool menuPicture = skin.MenuBar && skin.MenuBar->Bitmap;
    const int32_t menuLeft = skin.MenuBar ? skin.MenuBar->LeftWidth : 0;
    const int32_t menuRight = skin.MenuBar ? skin.MenuBar->RightWidth : 0;
    for (const int64_t width : {int64_t{0}, int64_t{300}, int64_t{32767}}) {
        for (const bool rightToLeft : {false, true}) {
            const FrameBox band = CaptionTextBand(skin.Title.LeftWidth, skin.Title.RightWidth, rightToLeft, width,
                                                  skin.BorderLeft.RightWidth, skin.BorderRight.LeftWidth);
            CaptionFrame frame;
            frame.windowWidth = static_cast<int>(width);
            frame.frameTop = ClampSkinValue(skin.BorderTop.TopHeight);
            frame.menuBarHeight = 19;
            frame.menuLeftWidth = ClampSkinValue(menuLeft);
            frame.anchorLeft = band.left;
            frame.anchorRight = band.right;
            frame.rightToLeft = rightToLeft;
            for (const SysButtonDescription& button : skin.SysButtons) {
                const int64_t w = button.Bitmap ? button.Bitmap->width / (button.Frame > 1 ? button.Frame : 1) : 0;
                const int64_t h = button.Bitmap ? button.Bitmap->height : 0;
                const FrameBox box = PlaceCaptionButton(button.Align, button.Xcoord, button.Ycoord, w, h, frame);
                if (box.right < box.left || box.bottom < box.top) abort();
            }
            (void)MenuBarStart(menuPicture, menuLeft, menuRight, rightToLeft, width);
            (void)CaptionWidthNeeded(skin.Title.LeftWidth, width, skin.Title.RightWidth);
        }
    }
    return 0;
}
