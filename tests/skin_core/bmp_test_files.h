// BMP files of any header variant, built byte by byte for the decoder tests.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvane::test {

struct BmpSpec {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    // Colour table as 0x00RRGGBB; written as 3-byte entries after a 12-byte
    // header and 4-byte entries otherwise.
    std::vector<uint32_t> palette;
    // Written right after the header (bit-field masks after a 40-byte one).
    std::vector<uint8_t> afterHeader;
    // Red, green, blue masks stored inside headers of 52 bytes or more.
    uint32_t masks[3] = {0, 0, 0};
    std::vector<uint8_t> pixels;
};

inline void PutLe(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline std::vector<uint8_t> BuildBmp(const BmpSpec& spec)
{
    const bool core = spec.headerSize == 12;
    const size_t entry = core ? 3 : 4;
    const size_t tableStart = 14 + spec.headerSize + spec.afterHeader.size();
    const size_t pixelStart = tableStart + spec.palette.size() * entry;
    std::vector<uint8_t> out(pixelStart, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe(out, 2, static_cast<uint32_t>(pixelStart + spec.pixels.size()), 4);
    PutLe(out, 10, static_cast<uint32_t>(pixelStart), 4);
    PutLe(out, 14, spec.headerSize, 4);
    auto field = [&](uint32_t offset, uint32_t value, int bytes) {
        if (offset + static_cast<uint32_t>(bytes) <= spec.headerSize) PutLe(out, 14 + offset, value, bytes);
    };
    if (core) {
        field(4, static_cast<uint32_t>(spec.width), 2);
        field(6, static_cast<uint32_t>(spec.height), 2);
        field(8, 1, 2);
        field(10, spec.bits, 2);
    } else {
        field(4, static_cast<uint32_t>(spec.width), 4);
        field(8, static_cast<uint32_t>(spec.height), 4);
        field(12, 1, 2);
        field(14, spec.bits, 2);
        field(16, spec.compression, 4);
        field(32, spec.coloursUsed, 4);
        for (uint32_t i = 0; i < 3; ++i) field(40 + 4 * i, spec.masks[i], 4);
    }
    std::copy(spec.afterHeader.begin(), spec.afterHeader.end(), out.begin() + 14 + spec.headerSize);
    for (size_t i = 0; i < spec.palette.size(); ++i) {
        uint8_t* e = out.data() + tableStart + i * entry;
        e[0] = static_cast<uint8_t>(spec.palette[i]);
        e[1] = static_cast<uint8_t>(spec.palette[i] >> 8);
        e[2] = static_cast<uint8_t>(spec.palette[i] >> 16);
    }
    out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
    return out;
}

}  // namespace quorvane::test
