#include "skin/data/bitmap_utils.h"
#include "tests/skin_core/bmp_test_files.h"

#include <cstring>

#include "tests/skin_paint/pixel_canvas.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using testing::Canvas;
using testing::MakeStrip;

// 3 x 2 picture whose pixel (x, y) is 0x0000yx, so every position is distinct.
UniqueBitmap Numbered() { return MakeStrip(3, 2, [](int x, int y) { return uint32_t(y * 16 + x + 1); }); }
uint32_t Number(int x, int y) { return uint32_t(y * 16 + x + 1); }

TEST(BitmapUtils, RotationsAndFlipsMovePixelsAsDescribed) {
    struct Case {
        const char* name;
        void (*apply)(UniqueBitmap&);
        int width, height;
        // Source position of result pixel (x, y) for a 3 x 2 source.
        POINT (*source)(int x, int y);
    };
    const Case cases[] = {
        {"mirror", MirrorHorizontal, 3, 2, [](int x, int y) { return POINT{2 - x, y}; }},
        {"flip", FlipVertical, 3, 2, [](int x, int y) { return POINT{x, 1 - y}; }},
        {"left", RotateLeft, 2, 3, [](int x, int y) { return POINT{2 - y, x}; }},
        {"right", RotateRight, 2, 3, [](int x, int y) { return POINT{y, 1 - x}; }},
    };
    for (const Case& c : cases) {
        UniqueBitmap bitmap = Numbered();
        c.apply(bitmap);
        PixelBuffer result = ReadPixels(bitmap.get());
        ASSERT_EQ(result.width, c.width) << c.name;
        ASSERT_EQ(result.height, c.height) << c.name;
        EXPECT_EQ(BitmapBitsPerPixel(bitmap.get()), 24) << c.name;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                POINT from = c.source(x, y);
                EXPECT_EQ(result.At(x, y), Number(from.x, from.y)) << c.name << " at " << x << "," << y;
            }
    }
}

TEST(BitmapUtils, RotatingFourTimesGivesTheOriginalBack) {
    UniqueBitmap bitmap = Numbered();
    for (int i = 0; i < 4; ++i) RotateLeft(bitmap);
    RotateRight(bitmap);
    RotateLeft(bitmap);
    PixelBuffer result = ReadPixels(bitmap.get());
    ASSERT_EQ(result.width, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(result.At(x, y), Number(x, y));
}

TEST(BitmapUtils, GrayscaleAndReplaceMagenta) {
    // pixels: magenta, near-magenta, (30, 60, 91)
    const uint32_t source[] = {0xFF00FF, 0xFE00FF, 0x1E3C5B};
    UniqueBitmap grey = MakeStrip(3, 1, [&](int x, int) { return source[x]; });
    Grayscale(grey);
    PixelBuffer g = ReadPixels(grey.get());
    EXPECT_EQ(g.At(0, 0), 0xAAAAAAu);  // 510 / 3 = 170
    EXPECT_EQ(g.At(2, 0), 0x3C3C3Cu);  // 181 / 3 = 60

    UniqueBitmap keyed = MakeStrip(3, 1, [&](int x, int) { return source[x]; });
    ReplaceMagenta(keyed, RGB(0x12, 0x34, 0x56));
    PixelBuffer k = ReadPixels(keyed.get());
    EXPECT_EQ(k.At(0, 0), 0x123456u);
    EXPECT_EQ(k.At(1, 0), 0xFE00FFu) << "only the exact key colour is replaced";
    EXPECT_EQ(k.At(2, 0), 0x1E3C5Bu);
}

TEST(BitmapUtils, EmptyBitmapsAreLeftAlone) {
    UniqueBitmap empty;
    for (auto apply : {Grayscale, MirrorHorizontal, FlipVertical, RotateLeft, RotateRight}) {
        apply(empty);
        EXPECT_FALSE(empty);
    }
}

TEST(BitmapUtils, BlendWeights) {
    struct Case {
        COLORREF c1, c2;
        int weight;
        COLORREF expected;
    };
    const Case cases[] = {
        {RGB(200, 0, 100), RGB(0, 200, 100), 50, RGB(100, 100, 100)},
        {RGB(200, 0, 0), RGB(0, 0, 0), 100, RGB(20, 0, 0)},      // base 1000: 10 % of c1
        {RGB(100, 0, 0), RGB(0, 100, 0), 150, RGB(15, 85, 0)},   // 15 % / 85 %
        {RGB(255, 255, 255), RGB(0, 0, 0), 99, RGB(252, 252, 252)},
        {RGB(1, 1, 1), RGB(2, 2, 2), 50, RGB(2, 2, 2)},          // rounds half up
    };
    for (const Case& c : cases) EXPECT_EQ(Blend(c.c1, c.c2, c.weight), c.expected) << c.weight;
    // A system colour is resolved before mixing.
    EXPECT_EQ(Blend(0x80000000u | COLOR_BTNFACE, GetSysColor(COLOR_BTNFACE), 50), GetSysColor(COLOR_BTNFACE));
}

TEST(BitmapUtils, GradientTables) {
    ResetGradientCache();
    // One entry: the midpoint, not c1.
    int one = GradientTable(1, RGB(0, 100, 200), RGB(100, 0, 201));
    ASSERT_EQ(GradientSlot(one).size(), 1u);
    EXPECT_EQ(GradientSlot(one)[0], RGB(50, 50, 200));

    int up = GradientTable(5, RGB(0, 0, 0), RGB(100, 8, 0));
    const auto& rising = GradientSlot(up);
    ASSERT_EQ(rising.size(), 5u);
    EXPECT_EQ(rising[0], RGB(0, 0, 0));
    EXPECT_EQ(rising[2], RGB(50, 4, 0));
    EXPECT_EQ(rising[4], RGB(100, 8, 0));
    EXPECT_EQ(GradientTable(5, RGB(0, 0, 0), RGB(100, 8, 0)), up) << "found again in the cache";

    // A falling channel truncates toward zero: the last entry stays one step
    // above c2, so the same request never hits the cache.
    int down = GradientTable(3, RGB(10, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GradientSlot(down).back(), RGB(1, 0, 0));
    int again = GradientTable(3, RGB(10, 0, 0), RGB(0, 0, 0));
    EXPECT_NE(again, down);

    // The ring wraps after 16 slots.
    ResetGradientCache();
    for (int i = 0; i < kGradientSlots; ++i) EXPECT_EQ(GradientTable(2, RGB(i, 0, 0), RGB(0, 0, 255)), i);
    EXPECT_EQ(GradientTable(2, RGB(99, 0, 0), RGB(0, 0, 255)), 0);
}

TEST(BitmapUtils, GradientFillPaintsOnlyTheVisibleBandsWithTheirWholeGradientColours) {
    ResetGradientCache();
    const COLORREF top = RGB(0, 0, 0), bottom = RGB(90, 180, 9);
    Canvas canvas(4, 12, 0x123456);
    HRGN clip = CreateRectRgn(0, 4, 4, 7);  // rows 4..6 of the 10-row gradient at y = 1
    SelectClipRgn(canvas.dc(), clip);
    DeleteObject(clip);
    GradientFill(canvas.dc(), RECT{0, 1, 4, 11}, top, GradientDirection::Rows, bottom);
    SelectClipRgn(canvas.dc(), nullptr);
    const auto& table = GradientSlot(GradientTable(10, top, bottom));
    for (int y = 0; y < 12; ++y) {
        uint32_t expected = (y >= 4 && y <= 6) ? PixelFromColour(table[y - 1]) : 0x123456;
        EXPECT_EQ(canvas.At(2, y), expected) << "row " << y;
    }

    // Columns, fully visible, one pixel wide: the midpoint.
    Canvas narrow(3, 2, 0);
    GradientFill(narrow.dc(), RECT{1, 0, 2, 2}, RGB(0, 0, 0), GradientDirection::Columns, RGB(200, 100, 50));
    EXPECT_EQ(narrow.At(1, 1), PixelFromColour(RGB(100, 50, 25)));
    EXPECT_EQ(narrow.At(0, 1), 0u);
    EXPECT_EQ(narrow.At(2, 1), 0u);
}

TEST(BitmapUtils, SaturationMeasure) {
    struct Case {
        COLORREF colour;
        int expected;
    };
    const Case cases[] = {
        {RGB(255, 0, 0), 255}, {RGB(255, 255, 255), 0}, {RGB(159, 0, 0), 200}, {RGB(0, 0, 0), 200},
        {RGB(160, 80, 80), 128},  // 0.5 * 255 = 127.5, ties to even
        {RGB(200, 100, 150), 128},
    };
    for (const Case& c : cases) EXPECT_EQ(SaturationMeasure(c.colour), c.expected) << std::hex << c.colour;
}

// A bottom-up BMP file of the given depth, rows of `width` pixels whose raw
// row bytes come from rowByte(y, i), with a palette of `paletteSize` entries.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, int paletteSize, uint8_t (*rowByte)(int, int)) {
    const int stride = ((width * bits + 31) / 32) * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biClrUsed = static_cast<DWORD>(paletteSize);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info) + paletteSize * 4;
    file.bfSize = file.bfOffBits + stride * height;
    std::vector<uint8_t> out(file.bfSize);
    std::memcpy(out.data(), &file, sizeof(file));
    std::memcpy(out.data() + sizeof(file), &info, sizeof(info));
    for (int i = 0; i < paletteSize; ++i) {
        uint8_t* entry = out.data() + sizeof(file) + sizeof(info) + i * 4;
        entry[0] = static_cast<uint8_t>(i * 10);  // blue
        entry[1] = 0;
        entry[2] = static_cast<uint8_t>(255 - i);  // red
    }
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < stride; ++i) out[file.bfOffBits + y * stride + i] = rowByte(height - 1 - y, i);
    return out;
}

TEST(BitmapUtils, LoadsBmpFilesOfEveryPlainDepthAndRejectsBrokenOnes) {
    // 8 bits: pixel (x, y) = palette index x + y
    auto eight = MakeBmp(3, 2, 8, 4, [](int y, int i) { return uint8_t(i < 3 ? i + y : 0); });
    UniqueBitmap bitmap = LoadBitmapFromMemory(eight.data(), eight.size());
    PixelBuffer p = ReadPixels(bitmap.get());
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.At(0, 0), 0xFF0000u);
    EXPECT_EQ(p.At(2, 1), 0xFC001Eu);  // index 3: red 252, blue 30

    // 1 bit: first pixel of each row set.
    auto mono = MakeBmp(9, 2, 1, 2, [](int, int i) { return uint8_t(i == 0 ? 0x80 : 0); });
    p = ReadPixels(LoadBitmapFromMemory(mono.data(), mono.size()).get());
    ASSERT_EQ(p.width, 9);
    EXPECT_EQ(p.At(0, 1), 0xFE000Au);
    EXPECT_EQ(p.At(1, 1), 0xFF0000u);

    // 24 and 32 bits.
    auto deep = MakeBmp(1, 1, 24, 0, [](int, int i) { return uint8_t(i == 0 ? 0x11 : i == 1 ? 0x22 : 0x33); });
    EXPECT_EQ(ReadPixels(LoadBitmapFromMemory(deep.data(), deep.size()).get()).At(0, 0), 0x332211u);
    auto deeper = MakeBmp(1, 1, 32, 0, [](int, int i) { return uint8_t(0x40 + i); });
    EXPECT_EQ(ReadPixels(LoadBitmapFromMemory(deeper.data(), deeper.size()).get()).At(0, 0), 0x424140u);

    // 4 bits: two pixels per byte, high nibble first.
    auto four = MakeBmp(3, 1, 4, 16, [](int, int i) { return uint8_t(i == 0 ? 0x12 : i == 1 ? 0x30 : 0); });
    p = ReadPixels(LoadBitmapFromMemory(four.data(), four.size()).get());
    ASSERT_EQ(p.width, 3);
    EXPECT_EQ(p.At(0, 0), 0xFE000Au);  // index 1
    EXPECT_EQ(p.At(1, 0), 0xFD0014u);  // index 2
    EXPECT_EQ(p.At(2, 0), 0xFC001Eu);  // index 3

    // 16 bits, 5-5-5: pure red in the top five bits.
    auto sixteen = MakeBmp(1, 1, 16, 0, [](int, int i) { return uint8_t(i == 1 ? 0x7C : 0); });
    EXPECT_EQ(ReadPixels(LoadBitmapFromMemory(sixteen.data(), sixteen.size()).get()).At(0, 0) & 0xF80000u, 0xF80000u);

    // Top-down rows (negative height): row 0 comes first in the file.
    auto topDown = MakeBmp(1, 2, 24, 0, [](int y, int i) { return uint8_t(i == 0 ? (y == 0 ? 0x11 : 0x22) : 0); });
    topDown[25] = 0xFF;  // height -2 (bytes 22..25 little endian)
    topDown[22] = 0xFE;
    topDown[23] = 0xFF;
    topDown[24] = 0xFF;
    p = ReadPixels(LoadBitmapFromMemory(topDown.data(), topDown.size()).get());
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.At(0, 0), 0x000022u) << "MakeBmp wrote row 1 first; read top-down it is row 0";
    EXPECT_EQ(p.At(0, 1), 0x000011u);

    // Truncated at every length: never a crash, never a picture from missing bytes.
    for (size_t length = 0; length < eight.size(); ++length)
        EXPECT_FALSE(LoadBitmapFromMemory(eight.data(), length)) << length;

    struct Broken {
        const char* name;
        void (*spoil)(std::vector<uint8_t>&);
    };
    const Broken broken[] = {
        {"signature", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
        {"depth 7", [](std::vector<uint8_t>& b) { b[28] = 7; }},
        {"zero width", [](std::vector<uint8_t>& b) { std::memset(&b[18], 0, 4); }},
        {"huge height", [](std::vector<uint8_t>& b) { b[25] = 0x7F; }},
        {"embedded PNG", [](std::vector<uint8_t>& b) { b[30] = BI_PNG; }},
        {"header size", [](std::vector<uint8_t>& b) { b[14] = 0xF0; b[15] = 0xFF; }},
    };
    for (const Broken& b : broken) {
        auto bytes = eight;
        b.spoil(bytes);
        EXPECT_FALSE(LoadBitmapFromMemory(bytes.data(), bytes.size())) << b.name;
    }
}

TEST(BitmapUtils, BitFieldHeadersOfOddSizesReadNothingPastTheMember) {
    // A 1 x 1 bit-field picture whose header claims 41..51 bytes, followed in
    // memory (but not in the member) by masks that would make it readable.
    for (uint32_t headerSize = 41; headerSize <= 51; ++headerSize) {
        test::BmpSpec spec;
        spec.headerSize = headerSize;
        spec.bits = 32;
        spec.compression = BI_BITFIELDS;
        spec.pixels = {0x11, 0x22, 0x33, 0x44};
        std::vector<uint8_t> memory = test::BuildBmp(spec);
        const size_t memberSize = memory.size();
        for (uint32_t mask : {0xFF0000u, 0x00FF00u, 0x0000FFu})
            for (int i = 0; i < 4; ++i) memory.push_back(static_cast<uint8_t>(mask >> (8 * i)));
        EXPECT_FALSE(LoadBitmapFromMemory(memory.data(), memberSize)) << headerSize;
    }
}

TEST(BitmapUtils, RleAndOs2BitmapsLoadWithTheirPixels) {
    test::BmpSpec rle;
    rle.width = 3;
    rle.height = 2;
    rle.bits = 8;
    rle.compression = BI_RLE8;
    rle.palette = {0xFF0000, 0x00FF00};
    rle.pixels = {3, 1, 0, 0, 2, 0, 0, 1};  // bottom: three green; top: two red
    std::vector<uint8_t> file = test::BuildBmp(rle);
    PixelBuffer p = ReadPixels(LoadBitmapFromMemory(file.data(), file.size()).get());
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0, 0x00FF00, 0x00FF00, 0x00FF00}));

    test::BmpSpec core;
    core.headerSize = 12;
    core.width = 2;
    core.pixels = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0};
    file = test::BuildBmp(core);
    p = ReadPixels(LoadBitmapFromMemory(file.data(), file.size()).get());
    EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x030201, 0x060504}));
}

}  // namespace
}  // namespace quorvane
