// Writes 24-bit pictures as PNG files: uncompressed deflate blocks inside a
// zlib stream, which every PNG reader accepts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

// pixels: rows from the top, 0x00RRGGBB each. Returns false when the file
// cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

// The PNG file bytes for the same picture.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& pixels);

}  // namespace quorvane
