#include "skin/data/bitmap_utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace quorvane {

namespace {

// Pictures larger than this are treated as malformed.
constexpr int64_t kMaxDimension = 32768;
constexpr int64_t kMaxPixels = 64 * 1024 * 1024;

BITMAPINFOHEADER TopDownHeader(int width, int height, WORD bitCount) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    return header;
}

bool SaneSize(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           width * height <= kMaxPixels;
}

template <typename Transform>
void ReplaceWith(UniqueBitmap& bitmap, Transform transform) {
    PixelBuffer source = ReadPixels(bitmap.get());
    if (source.pixels.empty()) return;
    PixelBuffer result = transform(source);
    UniqueBitmap replacement = BitmapFromPixels(result);
    if (replacement) bitmap = std::move(replacement);
}

}  // namespace

COLORREF ResolveColour(COLORREF colour) {
    return IsSystemColour(colour) ? GetSysColor(static_cast<int>(colour & 0xFF)) : colour;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) == 0) return SIZE{0, 0};
    return SIZE{info.bmWidth, std::abs(info.bmHeight)};
}

int BitmapBitsPerPixel(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) == 0) return 0;
    return info.bmBitsPixel * info.bmPlanes;
}

PixelBuffer ReadPixels(HBITMAP bitmap) {
    PixelBuffer buffer;
    SIZE size = BitmapSize(bitmap);
    if (!SaneSize(size.cx, size.cy)) return buffer;
    buffer.pixels.resize(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    BITMAPINFO info{};
    info.bmiHeader = TopDownHeader(size.cx, size.cy, 32);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(size.cy), buffer.pixels.data(), &info, DIB_RGB_COLORS) == 0) {
        buffer.pixels.clear();
        return buffer;
    }
    buffer.width = size.cx;
    buffer.height = size.cy;
    for (uint32_t& p : buffer.pixels) p &= 0x00FFFFFF;
    return buffer;
}

UniqueBitmap CreateBitmap24(int width, int height) {
    if (!SaneSize(width, height)) return UniqueBitmap();
    BITMAPINFO info{};
    info.bmiHeader = TopDownHeader(width, height, 24);
    void* bits = nullptr;
    return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

UniqueBitmap CreateBitmap32(int width, int height, uint32_t** bits) {
    if (!SaneSize(width, height)) return UniqueBitmap();
    BITMAPINFO info{};
    info.bmiHeader = TopDownHeader(width, height, 32);
    void* memory = nullptr;
    UniqueBitmap result(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
    if (bits) *bits = result ? static_cast<uint32_t*>(memory) : nullptr;
    return result;
}

UniqueBitmap BitmapFromPixels(const PixelBuffer& buffer) {
    if (buffer.pixels.size() != static_cast<size_t>(buffer.width) * static_cast<size_t>(std::max(buffer.height, 0)))
        return UniqueBitmap();
    UniqueBitmap result = CreateBitmap24(buffer.width, buffer.height);
    if (!result) return result;
    DIBSECTION section{};
    if (GetObjectW(result.get(), sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits)
        return UniqueBitmap();
    GdiFlush();
    auto* rows = static_cast<uint8_t*>(section.dsBm.bmBits);
    const size_t stride = static_cast<size_t>(section.dsBm.bmWidthBytes);
    for (int y = 0; y < buffer.height; ++y) {
        uint8_t* out = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < buffer.width; ++x) {
            uint32_t p = buffer.At(x, y);
            *out++ = static_cast<uint8_t>(p);
            *out++ = static_cast<uint8_t>(p >> 8);
            *out++ = static_cast<uint8_t>(p >> 16);
        }
    }
    return result;
}

UniqueBitmap CopyBitmap24(HBITMAP source) { return BitmapFromPixels(ReadPixels(source)); }

UniqueBitmap LoadBitmapFromMemory(const uint8_t* data, size_t size) {
    BmpLayout layout;
    if (!ReadBmpLayout(data, size, layout) || !SaneSize(layout.width, layout.height)) return UniqueBitmap();
    return BitmapFromPixels(DecodeBmp(layout));
}

void Grayscale(UniqueBitmap& bitmap) {
    ReplaceWith(bitmap, [](PixelBuffer buffer) {
        for (uint32_t& p : buffer.pixels) {
            uint32_t grey = ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3;
            p = grey | (grey << 8) | (grey << 16);
        }
        return buffer;
    });
}

void ReplaceMagenta(UniqueBitmap& bitmap, COLORREF colour) {
    const uint32_t replacement = PixelFromColour(colour & 0x00FFFFFF);
    ReplaceWith(bitmap, [replacement](PixelBuffer buffer) {
        for (uint32_t& p : buffer.pixels)
            if (p == 0xFF00FF) p = replacement;
        return buffer;
    });
}

void MirrorHorizontal(UniqueBitmap& bitmap) {
    ReplaceWith(bitmap, [](PixelBuffer buffer) {
        for (int y = 0; y < buffer.height; ++y) {
            auto row = buffer.pixels.begin() + static_cast<ptrdiff_t>(y) * buffer.width;
            std::reverse(row, row + buffer.width);
        }
        return buffer;
    });
}

void FlipVertical(UniqueBitmap& bitmap) {
    ReplaceWith(bitmap, [](PixelBuffer buffer) {
        for (int top = 0, bottom = buffer.height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(buffer.pixels.begin() + static_cast<ptrdiff_t>(top) * buffer.width,
                             buffer.pixels.begin() + static_cast<ptrdiff_t>(top + 1) * buffer.width,
                             buffer.pixels.begin() + static_cast<ptrdiff_t>(bottom) * buffer.width);
        return buffer;
    });
}

void RotateLeft(UniqueBitmap& bitmap) {
    ReplaceWith(bitmap, [](const PixelBuffer& source) {
        PixelBuffer result{source.height, source.width, std::vector<uint32_t>(source.pixels.size())};
        for (int y = 0; y < result.height; ++y)
            for (int x = 0; x < result.width; ++x) result.At(x, y) = source.At(source.width - 1 - y, x);
        return result;
    });
}

void RotateRight(UniqueBitmap& bitmap) {
    ReplaceWith(bitmap, [](const PixelBuffer& source) {
        PixelBuffer result{source.height, source.width, std::vector<uint32_t>(source.pixels.size())};
        for (int y = 0; y < result.height; ++y)
            for (int x = 0; x < result.width; ++x) result.At(x, y) = source.At(y, source.height - 1 - x);
        return result;
    });
}

COLORREF Blend(COLORREF c1, COLORREF c2, int weight) {
    c1 = ResolveColour(c1);
    c2 = ResolveColour(c2);
    const int base = weight < 100 ? 100 : 1000;
    COLORREF result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = static_cast<int>((c1 >> shift) & 0xFF);
        int b = static_cast<int>((c2 >> shift) & 0xFF);
        int channel = (a * weight + b * (base - weight) + base / 2) / base;
        result |= static_cast<COLORREF>(channel & 0xFF) << shift;
    }
    return result;
}

namespace {

struct GradientCache {
    std::array<std::vector<COLORREF>, kGradientSlots> slots;
    int ring = 0;
};

GradientCache& Gradients() {
    static GradientCache cache;
    return cache;
}

}  // namespace

int GradientTable(int count, COLORREF c1, COLORREF c2) {
    GradientCache& cache = Gradients();
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    for (int slot = kGradientSlots - 1; slot >= 0; --slot) {
        const auto& table = cache.slots[static_cast<size_t>(slot)];
        if (n > 0 && table.size() == n && table.front() == c1 && table.back() == c2) return slot;
    }
    const int slot = cache.ring;
    cache.ring = (cache.ring + 1) % kGradientSlots;
    auto& table = cache.slots[static_cast<size_t>(slot)];
    table.assign(n, 0);
    if (n == 0) return slot;
    const int d = count - 1;
    const int half = d / 2;
    for (int i = 0; i <= d; ++i) {
        COLORREF colour = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            int from = static_cast<int>((c1 >> shift) & 0xFF);
            int delta = static_cast<int>((c2 >> shift) & 0xFF) - from;
            int channel = d > 0 ? from + (delta * i + half) / d : from + delta / 2;
            colour += static_cast<COLORREF>(channel) << shift;
        }
        table[static_cast<size_t>(i)] = colour;
    }
    return slot;
}

const std::vector<COLORREF>& GradientSlot(int slot) {
    return Gradients().slots[static_cast<size_t>(std::clamp(slot, 0, kGradientSlots - 1))];
}

void ResetGradientCache() {
    GradientCache& cache = Gradients();
    for (auto& table : cache.slots) table.clear();
    cache.ring = 0;
}

void GradientFill(HDC dc, const RECT& rect, COLORREF c1, GradientDirection direction, COLORREF c2) {
    if (!dc || !RectVisible(dc, &rect)) return;
    c1 = ResolveColour(c1);
    c2 = ResolveColour(c2);
    const bool rows = direction == GradientDirection::Rows;
    const int start = rows ? rect.top : rect.left;
    const int end = rows ? rect.bottom : rect.right;
    const int n = end - start;
    if (n <= 0) return;
    RECT clip{};
    if (GetClipBox(dc, &clip) == ERROR) return;
    const int clipStart = rows ? clip.top : clip.left;
    const int clipEnd = rows ? clip.bottom : clip.right;
    const int first = clipStart > start ? clipStart - start : 0;
    const int last = clipEnd < end ? clipEnd - start - 1 : n - 1;
    if (last < first) return;
    const std::vector<COLORREF> table = GradientSlot(GradientTable(n, c1, c2));
    // Bands of one colour are filled together: the same pixels as one brush
    // per band, with fewer calls.
    for (int i = first; i <= last;) {
        int j = i + 1;
        while (j <= last && table[static_cast<size_t>(j)] == table[static_cast<size_t>(i)]) ++j;
        RECT band = rows ? RECT{rect.left, start + i, rect.right, start + j}
                         : RECT{start + i, rect.top, start + j, rect.bottom};
        UniqueBrush brush(CreateSolidBrush(table[static_cast<size_t>(i)]));
        FillRect(dc, &band, brush.get());
        i = j;
    }
}

int SaturationMeasure(COLORREF colour) {
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    if (r <= 159 && g <= 159 && b <= 159) return 200;
    const double s = high == 0 ? 0.0 : static_cast<double>(high - low) / high;
    return static_cast<int>(std::nearbyint(s * 255.0));
}

}  // namespace quorvane
