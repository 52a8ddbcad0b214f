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

// The coded bit stream alone (no size in front); flushed to a whole byte.
std::vector<uint8_t> LzhEncode(const uint8_t* data, size_t size);
inline std::vector<uint8_t> LzhEncode(const std::vector<uint8_t>& data) { return LzhEncode(data.data(), data.size()); }

}  // namespace quorvane
