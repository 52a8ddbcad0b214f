#include "app/reader_glyphs.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace quorvane::reader {

namespace {

constexpr int kSamples = 4;  // per axis

using Shape = std::function<bool(double x, double y)>;

struct Colour {
    double r, g, b;
};

// Paints `colour` over the picture where `shape` covers it, with coverage
// measured on a kSamples x kSamples grid inside each pixel.
void Fill(Picture& picture, const Shape& shape, Colour colour)
{
    for (int py = 0; py < picture.height; ++py) {
        for (int px = 0; px < picture.width; ++px) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (shape(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples)) ++hits;
            if (hits == 0) continue;
            const double cover = static_cast<double>(hits) / (kSamples * kSamples);
            uint32_t& pixel = picture.pixels[static_cast<size_t>(py * picture.width + px)];
            const double da = ((pixel >> 24) & 0xFF) / 255.0;
            const double outA = cover + da * (1 - cover);
            auto channel = [&](int shift, double src) {
                const double dst = ((pixel >> shift) & 0xFF) / 255.0;
                const double value = (src * cover + dst * da * (1 - cover)) / outA;
                return static_cast<uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255)) << shift;
            };
            pixel = (static_cast<uint32_t>(std::lround(outA * 255)) << 24) | channel(16, colour.r) |
                    channel(8, colour.g) | channel(0, colour.b);
        }
    }
}

Shape Rect(double left, double top, double right, double bottom)
{
    return [=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; };
}

Shape RoundRect(double left, double top, double right, double bottom, double radius)
{
    return [=](double x, double y) {
        if (x < left || x >= right || y < top || y >= bottom) return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

// Triangle given by three corners (any winding).
Shape Triangle(double ax, double ay, double bx, double by, double cx, double cy)
{
    return [=](double x, double y) {
        auto side = [&](double x1, double y1, double x2, double y2) { return (x2 - x1) * (y - y1) - (y2 - y1) * (x - x1); };
        const double d1 = side(ax, ay, bx, by), d2 = side(bx, by, cx, cy), d3 = side(cx, cy, ax, ay);
        const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
        const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
        return !(negative && positive);
    };
}

// Polygon by its corners (even-odd rule, concave allowed).
Shape Polygon(std::vector<std::pair<double, double>> corners)
{
    return [corners = std::move(corners)](double x, double y) {
        bool inside = false;
        for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            const auto [xi, yi] = corners[i];
            const auto [xj, yj] = corners[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    };
}

// Part of a ring around (cx, cy) between the two radii, within `halfAngle`
// radians either side of the positive x axis.
Shape Arc(double cx, double cy, double inner, double outer, double halfAngle)
{
    return [=](double x, double y) {
        const double dx = x - cx, dy = y - cy;
        const double d = std::sqrt(dx * dx + dy * dy);
        return d >= inner && d <= outer && dx > 0 && std::fabs(std::atan2(dy, dx)) <= halfAngle;
    };
}

Colour Rgb(int r, int g, int b)
{
    return {r / 255.0, g / 255.0, b / 255.0};
}

Picture Blank(int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width * height), 0);
    return picture;
}

// A top-down 32-bit DIB section holding `pixels` (0xAARRGGBB is BGRA in memory).
HBITMAP CreateDib(int width, int height, const std::vector<uint32_t>& pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
    return bitmap;
}

}  // namespace

Picture DrawGlyph(Glyph glyph)
{
    Picture picture = Blank(kGlyphSize, kGlyphSize);
    switch (glyph) {
    case Glyph::Play:
        Fill(picture, Triangle(3.5, 1.5, 3.5, 14.5, 14, 8), Rgb(22, 110, 40));
        Fill(picture, Triangle(4.7, 3.6, 4.7, 12.4, 11.9, 8), Rgb(70, 180, 80));
        break;
    case Glyph::Pause:
        Fill(picture, RoundRect(2.5, 2, 7, 14, 1), Rgb(25, 70, 150));
        Fill(picture, RoundRect(9, 2, 13.5, 14, 1), Rgb(25, 70, 150));
        Fill(picture, Rect(3.5, 3, 6, 13), Rgb(80, 140, 220));
        Fill(picture, Rect(10, 3, 12.5, 13), Rgb(80, 140, 220));
        break;
    case Glyph::Stop:
        Fill(picture, RoundRect(2.5, 2.5, 13.5, 13.5, 1.5), Rgb(150, 30, 30));
        Fill(picture, Rect(3.5, 3.5, 12.5, 12.5), Rgb(225, 75, 60));
        break;
    }
    return picture;
}

Picture DrawIcon(int size)
{
    Picture picture = Blank(size, size);
    const double s = size / 32.0;  // designed on a 32-pixel grid
    // Rounded tile: a darker rim with a lighter inside.
    Fill(picture, RoundRect(0.5 * s, 0.5 * s, 31.5 * s, 31.5 * s, 6 * s), Rgb(16, 86, 120));
    Fill(picture, RoundRect(1.5 * s, 1.5 * s, 30.5 * s, 30.5 * s, 5 * s), Rgb(30, 136, 180));
    Fill(picture, RoundRect(1.5 * s, 1.5 * s, 30.5 * s, 14 * s, 5 * s), Rgb(52, 160, 200));
    // Loudspeaker: box and cone as one outline, so no seam shows between them.
    const Colour white = Rgb(255, 255, 255);
    Fill(picture,
         Polygon({{6 * s, 12.5 * s}, {10 * s, 12.5 * s}, {16 * s, 6.5 * s}, {16 * s, 25.5 * s}, {10 * s, 19.5 * s},
                  {6 * s, 19.5 * s}}),
         white);
    // Sound waves.
    Fill(picture, Arc(15 * s, 16 * s, 4.5 * s, 6.5 * s, 0.8), white);
    Fill(picture, Arc(15 * s, 16 * s, 8.5 * s, 10.5 * s, 0.8), white);
    Fill(picture, Arc(15 * s, 16 * s, 12.5 * s, 14.5 * s, 0.75), white);
    return picture;
}

HBITMAP CreateGlyphStrip(COLORREF maskColour, COLORREF underColour)
{
    const int width = kGlyphSize * 3;
    std::vector<uint32_t> strip(static_cast<size_t>(width * kGlyphSize));
    auto rgb = [](COLORREF c) {
        return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
    };
    const uint32_t mask = rgb(maskColour);
    const uint32_t under = rgb(underColour);
    for (int index = 0; index < 3; ++index) {
        const Picture glyph = DrawGlyph(static_cast<Glyph>(index));
        for (int y = 0; y < kGlyphSize; ++y) {
            for (int x = 0; x < kGlyphSize; ++x) {
                const uint32_t pixel = glyph.At(x, y);
                const double a = (pixel >> 24) / 255.0;
                uint32_t out = mask;
                if (a > 0) {
                    auto blend = [&](int shift) {
                        const double value = ((pixel >> shift) & 0xFF) * a + ((under >> shift) & 0xFF) * (1 - a);
                        return static_cast<uint32_t>(std::lround(value)) << shift;
                    };
                    out = blend(16) | blend(8) | blend(0);
                    if (out == mask) out ^= 1;  // a covered pixel must never read as a hole
                }
                strip[static_cast<size_t>(y * width + index * kGlyphSize + x)] = out;
            }
        }
    }
    return CreateDib(width, kGlyphSize, strip);
}

HICON CreateReaderIcon(int size)
{
    const Picture picture = DrawIcon(size);
    HBITMAP colour = CreateDib(size, size, picture.pixels);
    // The mask is ignored for 32-bit images with alpha but must exist.
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = (colour && mask) ? CreateIconIndirect(&info) : nullptr;
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return icon;
}

}  // namespace quorvane::reader
