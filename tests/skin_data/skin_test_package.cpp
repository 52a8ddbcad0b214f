#include "tests/skin_data/skin_test_package.h"

#include <algorithm>

#include "skin/data/bitmap_utils.h"
#include "skin/data/memory_stream.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"

namespace quorvane::test {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> MakeBmp(int width, int height, int bits, const PixelAt& pixel)
{
    std::vector<COLORREF> palette;
    if (bits <= 8) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const COLORREF c = pixel(x, y);
                if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
            }
        palette.resize(size_t{1} << bits, 0);
    }
    const uint32_t stride = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
    const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + stride * static_cast<uint32_t>(height));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, BI_RGB);
    for (int i = 0; i < 5; ++i) Put32(out, 0);
    for (COLORREF c : palette) {
        out.push_back(GetBValue(c));
        out.push_back(GetGValue(c));
        out.push_back(GetRValue(c));
        out.push_back(0);
    }
    for (int row = height - 1; row >= 0; --row) {
        std::vector<uint8_t> line(stride, 0);
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, row);
            switch (bits) {
            case 1: case 4: case 8: {
                const auto index = static_cast<uint32_t>(std::find(palette.begin(), palette.end(), c) - palette.begin());
                const int bitPos = x * bits;
                line[static_cast<size_t>(bitPos / 8)] |= static_cast<uint8_t>(index << (8 - bits - bitPos % 8));
                break;
            }
            case 16: {
                const uint32_t v = ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
                line[2 * x] = static_cast<uint8_t>(v);
                line[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                break;
            }
            default: {
                const size_t at = static_cast<size_t>(x) * (bits / 8);
                line[at] = GetBValue(c);
                line[at + 1] = GetGValue(c);
                line[at + 2] = GetRValue(c);
            }
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

std::vector<uint8_t> SolidBmp(int width, int height, COLORREF colour)
{
    return MakeBmp(width, height, 24, [colour](int, int) { return colour; });
}

std::vector<uint8_t> MakePackage(const std::string& ini, std::vector<PackageMember> members)
{
    members.insert(members.begin(), PackageMember{"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
    return BuildPackage(members);
}

std::unique_ptr<SkinContent> LoadContent(const std::vector<uint8_t>& package)
{
    MemoryStream stream(package);
    TSkinReader reader;
    auto content = std::make_unique<SkinContent>();
    if (!reader.ReadPackage(stream)) return content;
    MemoryStream member;
    std::string found;
    reader.FindMemberContaining(".ini", member, found);
    TQuickIni ini;
    ini.LoadFromStream(&member);
    content->LoadElements(ini, &reader);
    return content;
}

std::unique_ptr<SkinContent> LoadContent(const std::string& ini, std::vector<PackageMember> members)
{
    return LoadContent(MakePackage(ini, std::move(members)));
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    const PixelBuffer pixels = ReadPixels(bitmap);
    if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return CLR_INVALID;
    return ColourFromPixel(pixels.At(x, y));
}

SIZE SizeOf(HBITMAP bitmap) { return BitmapSize(bitmap); }

}  // namespace quorvane::test
