// BMP files held in memory, read without the platform: the headers of every
// variant (OS/2 1.x core headers, OS/2 2.x headers of 16 to 64 bytes, the
// Windows headers of 40, 52, 56, 108 and 124 bytes and longer ones), colour
// tables, bit-field masks, uncompressed rows and RLE4, RLE8 and OS/2 RLE24
// pixel data. Portable C++ without <windows.h>: the fuzzers build it natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvane {

// Pixels as 0x00RRGGBB values (the memory order of a 32-bit DIB), row by
// row from the top.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
    uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }

private:
    size_t Index(int x, int y) const
    {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    }
};

// How a BMP file lays out its picture, as read from its headers.
struct BmpLayout {
    enum class Coding { Rgb, BitFields, Rle4, Rle8, Rle24 };

    int32_t width = 0;
    int32_t height = 0;  // rows, always positive
    bool topDown = false;
    int bits = 0;
    Coding coding = Coding::Rgb;
    // Colour table (pictures of 8 bits or fewer), 0x00RRGGBB; indexes past
    // its end are black.
    std::vector<uint32_t> palette;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue (16 and 32 bits)
    const uint8_t* pixelData = nullptr;
    size_t pixelBytes = 0;

    int64_t PixelCount() const { return static_cast<int64_t>(width) * height; }
};

// Reads and checks the headers. False for anything that is not a complete
// picture this decoder can read: wrong signature, a header, colour table or
// mask block that runs past the data, an unknown header size, a depth or
// compression that does not go together, uncompressed rows cut short. RLE
// data is read as far as it goes, so its length is not checked here.
bool ReadBmpLayout(const uint8_t* data, size_t size, BmpLayout& layout);

// Decodes the pixels the layout describes. Pixels that RLE data skips or
// never reaches are black. The picture must be the one ReadBmpLayout
// checked (its data must still be there); the caller bounds its size first.
PixelBuffer DecodeBmp(const BmpLayout& layout);

}  // namespace quorvane
