// The portable BMP decoder: every header variant, RLE data, bit fields, and
// files whose headers, tables or masks run past their data.
#include <vector>

#include "skin/data/bmp_decoder.h"
#include "tests/skin_core/bmp_test_files.h"
#include "tests/support/gtest.h"

namespace quorvane::test {
namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// Rows from the top, as the decoder gives them.
std::vector<std::vector<uint32_t>> Decode(const std::vector<uint8_t>& file)
{
    BmpLayout layout;
    if (!ReadBmpLayout(file.data(), file.size(), layout)) return {};
    const PixelBuffer pixels = DecodeBmp(layout);
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) rows[static_cast<size_t>(y)].push_back(pixels.At(x, y));
    return rows;
}

bool Readable(const std::vector<uint8_t>& file)
{
    BmpLayout layout;
    return ReadBmpLayout(file.data(), file.size(), layout);
}

BmpSpec Rle8Picture()
{
    BmpSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.bits = 8;
    spec.compression = 1;
    spec.palette = {kRed, kGreen, kBlue, kWhite};
    spec.pixels = {
        3, 1, 0, 0,           // bottom row: three of index 1, end of line
        0, 3, 2, 3, 1, 0,     // three pixels one by one (padded to even), then
        0, 0,                 // end of line
        0, 2, 2, 0,           // top row: move two to the right
        5, 0,                 // a run of five that only has room for two
        0, 1,                 // end of picture
    };
    return spec;
}

TEST(BmpDecoder, RleDataDecodesRunsLiteralsMovesAndLineEnds)
{
    EXPECT_EQ(Decode(BuildBmp(Rle8Picture())), (std::vector<std::vector<uint32_t>>{
                                                   {0, 0, kRed, kRed},
                                                   {kBlue, kWhite, kGreen, 0},
                                                   {kGreen, kGreen, kGreen, 0},
                                               }));

    BmpSpec four;
    four.width = 5;
    four.height = 2;
    four.bits = 4;
    four.compression = 2;
    four.palette = {0, 0x010101, 0x020202, 0x030303, 0x040404, 0x050505};
    four.pixels = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
    EXPECT_EQ(Decode(BuildBmp(four)), (std::vector<std::vector<uint32_t>>{
                                          {0x030303, 0x040404, 0x050505, 0, 0},
                                          {0x010101, 0x020202, 0x010101, 0x020202, 0x010101},
                                      }));

    // OS/2 2.x RLE24: a run repeats one blue-green-red triple.
    BmpSpec os2;
    os2.headerSize = 64;
    os2.width = 3;
    os2.bits = 24;
    os2.compression = 4;
    os2.pixels = {2, 0x10, 0x20, 0x30, 0, 1};
    EXPECT_EQ(Decode(BuildBmp(os2)), (std::vector<std::vector<uint32_t>>{{0x302010, 0x302010, 0}}));

    // Data that ends without an end marker keeps what it drew.
    BmpSpec cut = Rle8Picture();
    cut.pixels.resize(4);
    EXPECT_EQ(Decode(BuildBmp(cut)), (std::vector<std::vector<uint32_t>>{
                                         {0, 0, 0, 0}, {0, 0, 0, 0}, {kGreen, kGreen, kGreen, 0}}));

    // Moves and runs far past the picture stay harmless.
    BmpSpec wild = Rle8Picture();
    wild.pixels.clear();
    for (int i = 0; i < 2000; ++i) wild.pixels.insert(wild.pixels.end(), {0, 2, 255, 0, 255, 3});
    EXPECT_EQ(Decode(BuildBmp(wild)).size(), 3u);
}

TEST(BmpDecoder, Os2AndWindowsHeadersOfEverySizeGiveTheirPixels)
{
    // OS/2 1.x: 16-bit sizes, 3-byte colour table entries.
    BmpSpec core;
    core.headerSize = 12;
    core.width = 2;
    core.bits = 8;
    core.palette.assign(256, 0);
    core.palette[5] = 0x112233;
    core.palette[0] = kBlue;
    core.pixels = {5, 0, 0, 0};
    EXPECT_EQ(Decode(BuildBmp(core)), (std::vector<std::vector<uint32_t>>{{0x112233, kBlue}}));

    BmpSpec core24;
    core24.headerSize = 12;
    core24.height = 2;
    core24.pixels = {0x01, 0x02, 0x03, 0, 0x04, 0x05, 0x06, 0};  // bottom row first
    EXPECT_EQ(Decode(BuildBmp(core24)), (std::vector<std::vector<uint32_t>>{{0x060504}, {0x030201}}));

    // OS/2 2.x headers cut short: the missing fields are zero (no compression).
    for (uint32_t size : {16u, 20u, 36u, 64u}) {
        BmpSpec os2;
        os2.headerSize = size;
        os2.bits = 4;
        os2.palette = {kRed, kGreen};
        os2.pixels = {0x10, 0, 0, 0};
        EXPECT_EQ(Decode(BuildBmp(os2)), (std::vector<std::vector<uint32_t>>{{kGreen}})) << size;
    }

    // 5-6-5 masks inside a version 5 header: channels widened by repeating bits.
    BmpSpec v5;
    v5.headerSize = 124;
    v5.width = 3;
    v5.bits = 16;
    v5.compression = 3;
    v5.masks[0] = 0xF800;
    v5.masks[1] = 0x07E0;
    v5.masks[2] = 0x001F;
    v5.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x41, 0x08, 0, 0};
    EXPECT_EQ(Decode(BuildBmp(v5)), (std::vector<std::vector<uint32_t>>{{kRed, kGreen, 0x080808}}));

    // 10-10-10 masks after a 40-byte header: the top 8 bits of each channel.
    BmpSpec deep;
    deep.bits = 32;
    deep.compression = 3;
    deep.afterHeader = {0, 0, 0xF0, 0x3F, 0, 0xFC, 0x0F, 0, 0xFF, 0x03, 0, 0};
    deep.pixels = {0x00, 0x00, 0x00, 0x20};  // red 0x200 of 10 bits
    EXPECT_EQ(Decode(BuildBmp(deep)), (std::vector<std::vector<uint32_t>>{{0x800000}}));

    // A colour table shorter than the depth allows, marked by the pixel offset.
    BmpSpec shortTable;
    shortTable.bits = 8;
    shortTable.width = 2;
    shortTable.palette = {kRed, kGreen};
    shortTable.pixels = {1, 7, 0, 0};  // index 7 is past the table: black
    EXPECT_EQ(Decode(BuildBmp(shortTable)), (std::vector<std::vector<uint32_t>>{{kGreen, 0}}));
}

TEST(BmpDecoder, HeadersTablesAndMasksMustLieInsideTheData)
{
    BmpSpec fields;
    fields.bits = 32;
    fields.compression = 3;
    fields.afterHeader = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    fields.pixels = {1, 2, 3, 4};
    const std::vector<uint8_t> good = BuildBmp(fields);
    ASSERT_TRUE(Readable(good));
    // Every cut is refused: header, masks and pixels are all needed.
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(Readable(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(length)))) << length;

    // Bit fields in header sizes between the Windows variants: these are
    // OS/2 2.x headers, whose compression 3 is not bit fields.
    for (uint32_t size = 41; size <= 51; ++size) {
        BmpSpec odd = fields;
        odd.headerSize = size;
        odd.afterHeader.clear();
        EXPECT_FALSE(Readable(BuildBmp(odd))) << size;
    }

    struct Case {
        const char* what;
        void (*spoil)(BmpSpec&);
    } cases[] = {
        {"unknown header size 13", [](BmpSpec& s) { s.headerSize = 13; }},
        {"unknown header size 80", [](BmpSpec& s) { s.headerSize = 80; }},
        {"top-down RLE", [](BmpSpec& s) { s = Rle8Picture(); s.height = -3; }},
        {"RLE8 at 4 bits", [](BmpSpec& s) { s = Rle8Picture(); s.bits = 4; }},
        {"RLE4 at 8 bits", [](BmpSpec& s) { s = Rle8Picture(); s.compression = 2; }},
        {"RLE24 in a Windows header", [](BmpSpec& s) { s.bits = 24; s.compression = 4; }},
        {"Huffman in an OS/2 header", [](BmpSpec& s) { s.headerSize = 64; s.bits = 1; s.compression = 3; }},
        {"bit fields at 24 bits", [](BmpSpec& s) { s.bits = 24; }},
        {"zero width", [](BmpSpec& s) { s.width = 0; }},
        {"rows cut short", [](BmpSpec& s) { s.height = 2; }},
        {"rows far past the data", [](BmpSpec& s) { s.width = 0x40000000; s.height = 0x40000000; }},
    };
    for (const Case& c : cases) {
        BmpSpec spec = fields;
        c.spoil(spec);
        EXPECT_FALSE(Readable(BuildBmp(spec))) << c.what;
    }

    // A colour table that runs past the data when the pixel offset is no help.
    BmpSpec table;
    table.bits = 8;
    table.palette = {kRed};
    std::vector<uint8_t> file = BuildBmp(table);
    PutLe(file, 10, 0, 4);
    EXPECT_FALSE(Readable(file));

    // A header that claims more bytes than the file has.
    file = good;
    PutLe(file, 14, 0x7FFFFFF0, 4);
    EXPECT_FALSE(Readable(file));
}

}  // namespace
}  // namespace quorvane::test
