// A tiny rasteriser for the skin generator: 24-bit images with the key
// colour RGB(255, 0, 255) as "nothing here", anti-aliased rounded shapes
// whose partly covered pixels are blended with what lies below (or with a
// known backdrop where the image is still transparent), crisp one-pixel
// lines, and a BMP writer.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace skingen {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kKey{255, 0, 255};

inline Rgb Mix(Rgb a, Rgb b, double t) {  // t = share of b
    auto m = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// "r,g,b" for the INI.
inline std::string Text(Rgb c) {
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = kKey)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), fill) {}

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return pixels_[static_cast<size_t>(y * width_ + x)]; }
    Rgb at(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    void set(int x, int y, Rgb c) {
        if (inside(x, y)) at(x, y) = c;
    }
    void fill(int x0, int y0, int x1, int y1, Rgb c) {  // [x0, x1) x [y0, y1)
        for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) at(x, y) = c;
    }
    void hline(int x0, int x1, int y, Rgb c) { fill(x0, y, x1, y + 1, c); }
    void vline(int x, int y0, int y1, Rgb c) { fill(x, y0, x + 1, y1, c); }

    // Copies `source` to (x, y).
    void paste(const Image& source, int x, int y) {
        for (int sy = 0; sy < source.height(); ++sy)
            for (int sx = 0; sx < source.width(); ++sx) set(x + sx, y + sy, source.at(sx, sy));
    }
    // Copies `source` to (x, y) leaving key pixels of the source out.
    void over(const Image& source, int x, int y) {
        for (int sy = 0; sy < source.height(); ++sy)
            for (int sx = 0; sx < source.width(); ++sx)
                if (!(source.at(sx, sy) == kKey)) set(x + sx, y + sy, source.at(sx, sy));
    }
    Image crop(int x, int y, int w, int h) const {
        Image out(w, h);
        for (int sy = 0; sy < h; ++sy)
            for (int sx = 0; sx < w; ++sx) out.at(sx, sy) = at(x + sx, y + sy);
        return out;
    }

    bool save(const std::string& path) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<Rgb> pixels_;
};

// How partly covered pixels meet a transparent (key) pixel below them.
struct Edge {
    bool hard = true;   // true: covered at least half -> solid, else stays key
    Rgb backdrop{};     // hard == false: blend with this colour instead
    static Edge Hard() { return Edge{}; }
    static Edge Over(Rgb backdrop) { return Edge{false, backdrop}; }
};

// Coverage (0..1) of pixel (px, py) by a shape given as an inside test on
// real coordinates, 4 x 4 samples.
template <typename Inside>
double Coverage(int px, int py, Inside inside) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            if (inside(px + (sx + 0.5) / 4.0, py + (sy + 0.5) / 4.0)) ++hits;
    return hits / 16.0;
}

// Inside test of a rounded rectangle [x0, x1) x [y0, y1) with corner radius r.
inline bool InRoundRect(double x, double y, double x0, double y0, double x1, double y1, double r) {
    if (x < x0 || y < y0 || x >= x1 || y >= y1) return false;
    double cx = std::clamp(x, x0 + r, x1 - r);
    double cy = std::clamp(y, y0 + r, y1 - r);
    double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

// Paints colour(x, y) with the coverage of a shape.
template <typename Inside>
void PaintShape(Image& img, Inside inside, const std::function<Rgb(int, int)>& colour, Edge edge,
                int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
    if (x1 < 0) x1 = img.width();
    if (y1 < 0) y1 = img.height();
    for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x) {
            double c = Coverage(x, y, inside);
            if (c <= 0) continue;
            Rgb below = img.at(x, y);
            Rgb top = colour(x, y);
            if (below == kKey) {
                if (edge.hard) {
                    if (c >= 0.5) img.at(x, y) = top;
                    continue;
                }
                below = edge.backdrop;
            }
            img.at(x, y) = c >= 1.0 ? top : Mix(below, top, c);
        }
}

inline std::function<Rgb(int, int)> Solid(Rgb c) {
    return [c](int, int) { return c; };
}
// Vertical gradient from `top` at row y0 to `bottom` at row y1 - 1.
inline std::function<Rgb(int, int)> Vertical(Rgb top, Rgb bottom, int y0, int y1) {
    return [=](int, int y) {
        double t = y1 - 1 > y0 ? std::clamp(double(y - y0) / (y1 - 1 - y0), 0.0, 1.0) : 0.0;
        return Mix(top, bottom, t);
    };
}

inline void FillRoundRect(Image& img, double x0, double y0, double x1, double y1, double r,
                          const std::function<Rgb(int, int)>& colour, Edge edge) {
    PaintShape(img, [=](double x, double y) { return InRoundRect(x, y, x0, y0, x1, y1, r); }, colour, edge);
}

// A ring of `width` pixels along the inside of a rounded rectangle.
inline void StrokeRoundRect(Image& img, double x0, double y0, double x1, double y1, double r, Rgb colour,
                            Edge edge, double width = 1.0) {
    double ri = std::max(0.0, r - width);
    PaintShape(
        img,
        [=](double x, double y) {
            return InRoundRect(x, y, x0, y0, x1, y1, r) &&
                   !InRoundRect(x, y, x0 + width, y0 + width, x1 - width, y1 - width, ri);
        },
        Solid(colour), edge);
}

// An anti-aliased thick polyline (check marks, chevrons).
inline void StrokePolyline(Image& img, const std::vector<std::pair<double, double>>& points, double width,
                           Rgb colour, Edge edge) {
    auto inside = [&](double x, double y) {
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            auto [ax, ay] = points[i];
            auto [bx, by] = points[i + 1];
            double vx = bx - ax, vy = by - ay;
            double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
            double dx = x - (ax + t * vx), dy = y - (ay + t * vy);
            if (dx * dx + dy * dy <= width * width / 4) return true;
        }
        return false;
    };
    PaintShape(img, inside, Solid(colour), edge);
}

inline bool Image::save(const std::string& path) const {
    const int stride = (width_ * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride * height_);
    std::vector<uint8_t> out(54 + imageSize, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        out[at] = uint8_t(v);
        out[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + imageSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width_));
    put32(22, uint32_t(height_));
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    put32(38, 2835);
    put32(42, 2835);
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = out.data() + 54 + static_cast<size_t>((height_ - 1 - y) * stride);
        for (int x = 0; x < width_; ++x) {
            Rgb c = at(x, y);
            row[x * 3] = c.b;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.r;
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// Lays frames side by side (or stacked) into one strip.
inline Image Strip(const std::vector<Image>& frames, bool stacked = false) {
    if (frames.empty()) return Image();
    const int w = frames[0].width(), h = frames[0].height();
    const int n = static_cast<int>(frames.size());
    Image out(stacked ? w : w * n, stacked ? h * n : h);
    for (int i = 0; i < n; ++i) out.paste(frames[static_cast<size_t>(i)], stacked ? 0 : i * w, stacked ? i * h : 0);
    return out;
}

}  // namespace skingen
