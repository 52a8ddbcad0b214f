#include "skin/data/builtin_bitmaps.h"

#include <cstdint>
#include <cstring>

#include "skin/data/bitmap_utils.h"

namespace quorvane {

namespace {

constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDarkShadow = RGB(64, 64, 64);
constexpr COLORREF kChannel = RGB(224, 224, 224);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Paints a 24-bit DIB through a colour function of (x, y), top row first.
template <typename PixelFunction>
UniqueBitmap PaintBitmap(int width, int height, PixelFunction colourAt)
{
    UniqueBitmap bitmap = CreateBitmap24(width, height);
    DIBSECTION section{};
    if (!bitmap || GetObjectW(bitmap.get(), sizeof(section), &section) != sizeof(section) ||
        section.dsBm.bmBits == nullptr)
        return UniqueBitmap();
    GdiFlush();
    auto* bits = static_cast<uint8_t*>(section.dsBm.bmBits);
    const int stride = section.dsBm.bmWidthBytes;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bits + static_cast<size_t>(height - 1 - y) * stride;  // bottom-up
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colourAt(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    return bitmap;
}

// A sunken channel: shadow on the top and left, dark inner line, light
// floor, highlight on the bottom and right. across = 0..3 from the outer
// shadow side, along = position in the long direction (0..15).
COLORREF GrooveColour(int along, int across)
{
    if (across == 3 || along == 15) return kWhite;
    if (across == 0 || along == 0) return kShadow;
    return across == 1 ? kDarkShadow : kChannel;
}

// 16 x 16 glyph masks, one string per row ('#' = black).
const char* const kGlyphs[4][16] = {
    {// check mark
     "................", "................", "................", "................",
     "..........#.....", ".........##.....", "....#...###.....", "....##.###......",
     "....#####.......", ".....###........", "......#.........", "................",
     "................", "................", "................", "................"},
    {// radio bullet
     "................", "................", "................", "................",
     "................", "......####......", ".....######.....", ".....######.....",
     ".....######.....", ".....######.....", "......####......", "................",
     "................", "................", "................", "................"},
    {// submenu arrow
     "................", "................", "................", "................",
     "......#.........", "......##........", "......###.......", "......####......",
     "......###.......", "......##........", "......#.........", "................",
     "................", "................", "................", "................"},
    {// close cross
     "................", "................", "................", "................",
     "....##....##....", ".....##..##.....", "......####......", ".......##.......",
     "......####......", ".....##..##.....", "....##....##....", "................",
     "................", "................", "................", "................"},
};

bool SameName(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

UniqueBitmap CreateBuiltInTrack()
{
    return PaintBitmap(16, 4, [](int x, int y) { return GrooveColour(x, y); });
}

UniqueBitmap CreateBuiltInTrackVert()
{
    return PaintBitmap(4, 16, [](int x, int y) { return GrooveColour(y, x); });
}

UniqueBitmap CreateMenuGlyphStrip()
{
    return PaintBitmap(64, 16, [](int x, int y) { return kGlyphs[x / 16][y][x % 16] == '#' ? kBlack : kWhite; });
}

UniqueBitmap LoadBuiltInBitmap(const char* name)
{
    if (name == nullptr) return UniqueBitmap();
    if (SameName(name, "TRACK")) return CreateBuiltInTrack();
    if (SameName(name, "TRACKVERT")) return CreateBuiltInTrackVert();
    if (SameName(name, "TUMBRELMENU")) return CreateMenuGlyphStrip();
    return UniqueBitmap();
}

}  // namespace quorvane
