// LZHUF encoder: the compressor matching TLZH. LZSS over a 4096-byte ring
// (4036 spaces of initial fill, matches of 3..60 bytes found with a binary
// search tree), literals and lengths coded by the same adaptive Huffman tree as
// the decoder (rebuilt when the root count reaches 0x8000), positions by the
// same fixed prefix code for the upper 6 bits plus 6 plain bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvane {

// What the encoder emitted, for tests and the packer's report.
struct LzhEncodeStats {
    size_t literals = 0;
    size_t matches = 0;
    int rebuilds = 0;  // times the Huffman tree was rebuilt at the 0x8000 root count
};

// The coded bit stream alone (no size in front); flushed to a whole byte.
std::vector<uint8_t> LzhEncode(const uint8_t* data, size_t size, LzhEncodeStats* stats = nullptr);
inline std::vector<uint8_t> LzhEncode(const std::vector<uint8_t>& data, LzhEncodeStats* stats = nullptr)
{
    return LzhEncode(data.data(), data.size(), stats);
}

}  // namespace quorvane
