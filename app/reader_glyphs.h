// The reader's pictures, drawn in code so they are the same on every build:
// the three 16 x 16 tool-button glyphs (play, pause, stop) and the
// application icon. Shapes are rasterised with 4 x 4 supersampling into
// 32-bit pixels with straight (non-premultiplied) alpha.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace quorvane::reader {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

enum class Glyph { Play = 0, Pause = 1, Stop = 2 };
inline constexpr int kGlyphSize = 16;
inline constexpr int kIconSizes[] = {128, 96, 64, 48, 32};

Picture DrawGlyph(Glyph glyph);
Picture DrawIcon(int size);

// The three glyphs side by side (48 x 16), ready for an image list with the
// mask colour `maskColour`: uncovered pixels are the mask colour, soft edges
// are blended onto `underColour` (the colour the buttons are drawn on).
HBITMAP CreateGlyphStrip(COLORREF maskColour, COLORREF underColour);

// A 32-bit icon with alpha of the given size. The caller destroys it.
HICON CreateReaderIcon(int size);

}  // namespace quorvane::reader
