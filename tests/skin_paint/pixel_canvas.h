// Small pixel fixtures for the painter tests: strips built from colour
// grids, and a destination bitmap whose pixels can be read back.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "skin/data/bitmap_utils.h"

namespace quorvane::testing {

// A strip of width x height pixels from a function (x, y) -> 0x00RRGGBB.
template <typename F>
UniqueBitmap MakeStrip(int width, int height, F pixel) {
    PixelBuffer buffer{width, height, std::vector<uint32_t>(static_cast<size_t>(width * height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) buffer.At(x, y) = pixel(x, y);
    return BitmapFromPixels(buffer);
}

// A destination: a 32-bit bitmap selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height, uint32_t fill) : width_(width), height_(height) {
        bitmap_ = CreateBitmap32(width, height, &bits_);
        dc_ = UniqueMemoryDc::Compatible();
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        for (int i = 0; i < width * height; ++i) bits_[i] = fill;
    }
    ~Canvas() { SelectObject(dc_.get(), previous_); }
    HDC dc() const { return dc_.get(); }
    uint32_t At(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0x00FFFFFF;
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_, height_;
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
};

inline std::string Hex(uint32_t v) {
    char text[16];
    wsprintfA(text, "%06X", v);
    return text;
}

}  // namespace quorvane::testing
