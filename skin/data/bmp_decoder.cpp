#include "skin/data/bmp_decoder.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;         // OS/2 1.x
constexpr uint32_t kInfoHeaderSize = 40;         // Windows 3
constexpr uint32_t kV2HeaderSize = 52;           // + red, green, blue masks
constexpr uint32_t kV3HeaderSize = 56;           // + alpha mask
constexpr uint32_t kOs2HeaderMin = 16;           // OS/2 2.x headers: 16..64
constexpr uint32_t kOs2HeaderMax = 64;
constexpr uint32_t kV4HeaderSize = 108;          // 108, 124 and later are supersets

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

enum class HeaderKind { Core, Os2, Windows, Unknown };

HeaderKind KindOfHeader(uint32_t headerSize)
{
    if (headerSize == kCoreHeaderSize) return HeaderKind::Core;
    if (headerSize == kInfoHeaderSize || headerSize == kV2HeaderSize || headerSize == kV3HeaderSize ||
        headerSize >= kV4HeaderSize)
        return HeaderKind::Windows;
    // OS/2 2.x headers may be cut anywhere after the depth field; the fields
    // left out are zero.
    if (headerSize >= kOs2HeaderMin && headerSize <= kOs2HeaderMax) return HeaderKind::Os2;
    return HeaderKind::Unknown;
}

// A field of a header that may be shorter than the field's offset: zero then.
uint32_t Field32(const uint8_t* header, uint32_t headerSize, uint32_t offset)
{
    return offset + 4 <= headerSize ? Read32(header + offset) : 0;
}

bool CodingFits(BmpLayout::Coding coding, int bits)
{
    switch (coding) {
    case BmpLayout::Coding::Rgb:
        return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BmpLayout::Coding::BitFields: return bits == 16 || bits == 32;
    case BmpLayout::Coding::Rle4: return bits == 4;
    case BmpLayout::Coding::Rle8: return bits == 8;
    case BmpLayout::Coding::Rle24: return bits == 24;
    }
    return false;
}

// Compression field -> coding; the numbers mean different things in OS/2 2.x
// headers (3 is Huffman 1D there, which is not read, and 4 is RLE24).
bool CodingOf(HeaderKind kind, uint32_t compression, BmpLayout::Coding& coding)
{
    switch (compression) {
    case 0: coding = BmpLayout::Coding::Rgb; return true;
    case 1: coding = BmpLayout::Coding::Rle8; return true;
    case 2: coding = BmpLayout::Coding::Rle4; return true;
    case 3:
        coding = BmpLayout::Coding::BitFields;
        return kind == HeaderKind::Windows;
    case 4:
        coding = BmpLayout::Coding::Rle24;
        return kind == HeaderKind::Os2;
    default: return false;
    }
}

bool IsRle(BmpLayout::Coding coding)
{
    return coding == BmpLayout::Coding::Rle4 || coding == BmpLayout::Coding::Rle8 ||
           coding == BmpLayout::Coding::Rle24;
}

// Widens a channel of `length` bits (at most 8 kept) to 8 bits by repeating
// its bits, so that the largest value becomes 255.
uint32_t Widen(uint32_t value, int length)
{
    if (length <= 0) return 0;
    if (length >= 8) return (value >> (length - 8)) & 0xFF;
    uint32_t result = value << (8 - length);
    for (int filled = length; filled < 8; filled *= 2) result |= result >> filled;
    return result & 0xFF;
}

struct Channel {
    int shift = 0;
    int length = 0;
    uint32_t mask = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (m == 0) return;
        while (((m >> shift) & 1u) == 0) ++shift;
        uint32_t rest = m >> shift;
        while (rest) {
            ++length;
            rest >>= 1;
        }
    }
    uint32_t Of(uint32_t pixel) const { return Widen((pixel & mask) >> shift, length); }
};

uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) { return (red << 16) | (green << 8) | blue; }

uint32_t PaletteColour(const BmpLayout& layout, uint32_t index)
{
    return index < layout.palette.size() ? layout.palette[index] : 0;
}

void DecodeRows(const BmpLayout& layout, PixelBuffer& out)
{
    const size_t stride = ((static_cast<size_t>(layout.width) * static_cast<size_t>(layout.bits) + 31) / 32) * 4;
    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    for (int row = 0; row < layout.height; ++row) {
        const uint8_t* line = layout.pixelData + static_cast<size_t>(row) * stride;
        const int y = layout.topDown ? row : layout.height - 1 - row;
        uint32_t* target = out.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(layout.width);
        for (int x = 0; x < layout.width; ++x) {
            uint32_t colour = 0;
            switch (layout.bits) {
            case 1: colour = PaletteColour(layout, (line[x / 8] >> (7 - x % 8)) & 1u); break;
            case 4: colour = PaletteColour(layout, (line[x / 2] >> (x % 2 ? 0 : 4)) & 0xFu); break;
            case 8: colour = PaletteColour(layout, line[x]); break;
            case 16: {
                const uint32_t v = Read16(line + 2 * static_cast<size_t>(x));
                colour = Rgb(red.Of(v), green.Of(v), blue.Of(v));
                break;
            }
            case 24: {
                const uint8_t* p = line + 3 * static_cast<size_t>(x);
                colour = Rgb(p[2], p[1], p[0]);
                break;
            }
            default: {
                const uint32_t v = Read32(line + 4 * static_cast<size_t>(x));
                colour = Rgb(red.Of(v), green.Of(v), blue.Of(v));
            }
            }
            target[x] = colour;
        }
    }
}

// RLE data: pairs (count, value) for runs, and escapes after a zero count:
// 0 end of line, 1 end of picture, 2 move right and up, n >= 3 n pixels
// given one by one (padded to an even byte count). Rows go from the bottom.
// Pixels outside the picture are dropped; positions are clamped so that no
// sequence of moves can overflow them.
void DecodeRle(const BmpLayout& layout, PixelBuffer& out)
{
    const uint8_t* p = layout.pixelData;
    const uint8_t* const end = p + layout.pixelBytes;
    const int width = layout.width, height = layout.height;
    int x = 0, y = 0;
    auto put = [&](uint32_t colour) {
        if (x < width && y < height)
            out.pixels[static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = colour;
        if (x < width) ++x;
    };
    const BmpLayout::Coding coding = layout.coding;
    const size_t runValueBytes = coding == BmpLayout::Coding::Rle24 ? 3 : 1;
    while (y < height && end - p >= 2) {
        const int count = p[0];
        if (count > 0) {
            if (static_cast<size_t>(end - p - 1) < runValueBytes) break;
            const uint8_t* value = p + 1;
            p += 1 + runValueBytes;
            const int drawn = std::min(count, width - x);
            for (int k = 0; k < drawn; ++k) {
                switch (coding) {
                case BmpLayout::Coding::Rle4: put(PaletteColour(layout, (k % 2 ? value[0] : value[0] >> 4) & 0xFu)); break;
                case BmpLayout::Coding::Rle8: put(PaletteColour(layout, value[0])); break;
                default: put(Rgb(value[2], value[1], value[0]));
                }
            }
            continue;
        }
        const int code = p[1];
        p += 2;
        if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            if (end - p < 2) break;
            x = std::min(x + p[0], width);
            y += p[1];
            p += 2;
        } else {
            const size_t bytes = coding == BmpLayout::Coding::Rle4   ? (static_cast<size_t>(code) + 1) / 2
                                 : coding == BmpLayout::Coding::Rle8 ? static_cast<size_t>(code)
                                                                     : 3 * static_cast<size_t>(code);
            if (static_cast<size_t>(end - p) < bytes) break;
            for (int k = 0; k < code && x < width; ++k) {
                switch (coding) {
                case BmpLayout::Coding::Rle4:
                    put(PaletteColour(layout, (k % 2 ? p[k / 2] : p[k / 2] >> 4) & 0xFu));
                    break;
                case BmpLayout::Coding::Rle8: put(PaletteColour(layout, p[k])); break;
                default: {
                    const uint8_t* c = p + 3 * static_cast<size_t>(k);
                    put(Rgb(c[2], c[1], c[0]));
                }
                }
            }
            p += bytes + (bytes % 2);
            if (p > end) p = end;
        }
    }
}

}  // namespace

bool ReadBmpLayout(const uint8_t* data, size_t size, BmpLayout& layout)
{
    layout = BmpLayout();
    if (!data || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t dataOffset = Read32(data + 10);
    const uint32_t headerSize = Read32(data + kFileHeaderSize);
    const HeaderKind kind = KindOfHeader(headerSize);
    if (kind == HeaderKind::Unknown || headerSize > size - kFileHeaderSize) return false;
    const uint8_t* header = data + kFileHeaderSize;

    int64_t width = 0, height = 0;
    uint32_t planes = 0, compression = 0, coloursUsed = 0;
    size_t entrySize = 4;
    if (kind == HeaderKind::Core) {
        width = Read16(header + 4);
        height = Read16(header + 6);
        planes = Read16(header + 8);
        layout.bits = Read16(header + 10);
        entrySize = 3;
    } else {
        width = static_cast<int32_t>(Read32(header + 4));
        height = static_cast<int32_t>(Read32(header + 8));
        planes = Read16(header + 12);
        layout.bits = Read16(header + 14);
        compression = Field32(header, headerSize, 16);
        coloursUsed = Field32(header, headerSize, 32);
    }
    if (!CodingOf(kind, compression, layout.coding) || !CodingFits(layout.coding, layout.bits)) return false;
    if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return false;
    layout.topDown = height < 0;
    // RLE rows run from the bottom by definition.
    if (layout.topDown && IsRle(layout.coding)) return false;
    layout.width = static_cast<int32_t>(width);
    layout.height = static_cast<int32_t>(height < 0 ? -height : height);

    size_t tableStart = kFileHeaderSize + headerSize;
    if (layout.coding == BmpLayout::Coding::BitFields) {
        // A 40-byte header is followed by the three masks; the longer
        // Windows headers hold them at the same place inside themselves.
        if (headerSize == kInfoHeaderSize) {
            if (size - tableStart < 12) return false;
            tableStart += 12;
        }
        const uint8_t* masks = header + kInfoHeaderSize;
        for (int i = 0; i < 3; ++i) layout.masks[i] = Read32(masks + 4 * i);
    } else if (layout.bits == 16) {
        layout.masks[0] = 0x7C00;
        layout.masks[1] = 0x03E0;
        layout.masks[2] = 0x001F;
    } else if (layout.bits == 32) {
        layout.masks[0] = 0xFF0000;
        layout.masks[1] = 0x00FF00;
        layout.masks[2] = 0x0000FF;
    }

    size_t entries = 0;
    if (layout.bits <= 8) {
        const size_t full = size_t{1} << layout.bits;
        entries = coloursUsed != 0 && coloursUsed < full ? coloursUsed : full;
        // A file may keep a shorter table than its depth allows and say so
        // only by where its pixels start.
        if (dataOffset >= tableStart) entries = std::min(entries, (dataOffset - tableStart) / entrySize);
        if (entries > (size - tableStart) / entrySize) return false;
        layout.palette.resize(entries);
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + tableStart + i * entrySize;
            layout.palette[i] = Rgb(e[2], e[1], e[0]);
        }
    }
    const size_t pixelStart = dataOffset >= tableStart ? dataOffset : tableStart + entries * entrySize;
    if (pixelStart > size) return false;
    layout.pixelData = data + pixelStart;
    layout.pixelBytes = size - pixelStart;
    if (!IsRle(layout.coding)) {
        // Whole rows must be there; computed in 64 bits, so that no declared
        // size can wrap around.
        const uint64_t stride = ((static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.bits) + 31) / 32) * 4;
        if (stride * static_cast<uint64_t>(layout.height) > layout.pixelBytes) return false;
    }
    return true;
}

PixelBuffer DecodeBmp(const BmpLayout& layout)
{
    PixelBuffer out;
    if (layout.width <= 0 || layout.height <= 0) return out;
    out.width = layout.width;
    out.height = layout.height;
    out.pixels.assign(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height), 0);
    if (IsRle(layout.coding))
        DecodeRle(layout, out);
    else
        DecodeRows(layout, out);
    return out;
}

}  // namespace quorvane
