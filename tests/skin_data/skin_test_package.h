// Helpers for the skin data tests: BMP files built in memory, small skin
// packages built with the packer, and a loaded SkinContent.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/skin_content.h"
#include "tools/skinpack/package_writer.h"

namespace quorvane::test {

// (x, y) from the top left -> COLORREF.
using PixelAt = std::function<COLORREF(int x, int y)>;

// A bottom-up BMP file of the given depth (1, 4, 8: a palette of the colours
// met, in order of first use; 16: 5-5-5; 24; 32).
std::vector<uint8_t> MakeBmp(int width, int height, int bits, const PixelAt& pixel);
// A 24-bit BMP of one colour.
std::vector<uint8_t> SolidBmp(int width, int height, COLORREF colour);

// The package bytes for an INI text named skin.ini plus the given members.
std::vector<uint8_t> MakePackage(const std::string& ini, std::vector<PackageMember> members = {});

// Reads the package and runs LoadElements on a new SkinContent.
std::unique_ptr<SkinContent> LoadContent(const std::vector<uint8_t>& package);
std::unique_ptr<SkinContent> LoadContent(const std::string& ini, std::vector<PackageMember> members = {});

// Colour of a pixel of a bitmap (CLR_INVALID outside).
COLORREF PixelOf(HBITMAP bitmap, int x, int y);
SIZE SizeOf(HBITMAP bitmap);

}  // namespace quorvane::test
