// Window shaping and title painting at full-HD size: the costs that the
// frame painter pays on every resize and repaint.
#include <windows.h>

#include <cmath>

#include "bench/support/benchmark.h"
#include "skin/form/paint_routines.h"

namespace quorvane {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kBorder = 6, kTitle = 30, kRadius = 10;

// Border strips shaped like a real skin: two frames, rounded corners of
// radius kRadius keyed out in magenta, a one-pixel outline.
bool OutsideCorner(int x, int y, int w, int h) {
    auto out = [](int dx, int dy) { return dx * dx + dy * dy > kRadius * kRadius; };
    const int cx0 = kRadius, cy0 = kRadius, cx1 = w - 1 - kRadius, cy1 = h - 1 - kRadius;
    if (x < cx0 && y < cy0) return out(cx0 - x, cy0 - y);
    if (x > cx1 && y < cy0) return out(x - cx1, cy0 - y);
    if (x < cx0 && y > cy1) return out(cx0 - x, y - cy1);
    if (x > cx1 && y > cy1) return out(x - cx1, y - cy1);
    return false;
}

// A small whole window (template) from which the four parts are cut.
struct Template {
    static constexpr int w = 2 * kBorder + 2 * kRadius + 20, h = kTitle + kRadius + 20;
    uint32_t At(int x, int y) const {
        if (OutsideCorner(x, y, w, h)) return 0xFF00FF;
        if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return 0x8090A0;
        return y < kTitle ? 0xF8F9FA : 0xF0F1F3;
    }
};

UniqueBitmap Cut(int x0, int y0, int cw, int ch, bool stacked) {
    Template t;
    PixelBuffer buffer{stacked ? cw : 2 * cw, stacked ? 2 * ch : ch, {}};
    buffer.pixels.resize(static_cast<size_t>(buffer.width * buffer.height));
    for (int f = 0; f < 2; ++f)
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                buffer.At(stacked ? x : f * cw + x, stacked ? f * ch + y : y) = t.At(x0 + x, y0 + y);
    return BitmapFromPixels(buffer);
}

struct Borders {
    UniqueBitmap left = Cut(0, 0, kBorder, Template::h, false);
    UniqueBitmap right = Cut(Template::w - kBorder, 0, kBorder, Template::h, false);
    UniqueBitmap top = Cut(kBorder, 0, Template::w - 2 * kBorder, kTitle, true);
    UniqueBitmap bottom = Cut(kBorder, Template::h - kBorder, Template::w - 2 * kBorder, kBorder, true);
    const int cap = kRadius - kBorder + 1;
    Margins leftMargins{0, kTitle, 0, kRadius};
    Margins topMargins{cap, 0, cap, 0};
};

Borders& TheBorders() {
    static Borders borders;
    return borders;
}

// One border part's region, as the frame painter builds it.
UniqueRegion PartRegion(HBITMAP strip, bool stacked, const Margins& margins, const RECT& at) {
    UniqueBitmap picture =
        NinePartPicture(SIZE{at.right - at.left, at.bottom - at.top}, strip, margins, stacked, false, 2, 1);
    return RegionFromBitmap(picture.get(), at.left, at.top, 1, 1, 1, kKeyColour);
}

UniqueRegion WindowRegion() {
    Borders& b = TheBorders();
    const RECT leftAt{0, 0, kBorder, kHeight}, rightAt{kWidth - kBorder, 0, kWidth, kHeight};
    const RECT topAt{kBorder, 0, kWidth - kBorder, kTitle}, bottomAt{kBorder, kHeight - kBorder, kWidth - kBorder, kHeight};
    UniqueRegion left = PartRegion(b.left.get(), false, b.leftMargins, leftAt);
    UniqueRegion right = PartRegion(b.right.get(), false, b.leftMargins, rightAt);
    UniqueRegion top = PartRegion(b.top.get(), true, b.topMargins, topAt);
    UniqueRegion bottom = PartRegion(b.bottom.get(), true, b.topMargins, bottomAt);
    UniqueRegion base(CreateRectRgn(kBorder, kTitle, kWidth - kBorder, kHeight - kBorder));
    CombineRgn(left.get(), left.get(), right.get(), RGN_OR);
    CombineRgn(top.get(), top.get(), bottom.get(), RGN_OR);
    CombineRgn(top.get(), top.get(), left.get(), RGN_OR);
    CombineRgn(base.get(), base.get(), top.get(), RGN_OR);
    return base;
}

void BM_BorderRegion(benchmark::State& state) {
    for (auto _ : state) {
        UniqueRegion region = WindowRegion();
        benchmark::DoNotOptimize(region.get());
    }
}
BENCHMARK(BM_BorderRegion)->Unit(benchmark::kMillisecond);

void BM_BorderRegionAndSetWindowRgn(benchmark::State& state) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        state.SkipWithError("no window (is DISPLAY set?)");
        return;
    }
    for (auto _ : state) {
        UniqueRegion region = WindowRegion();
        SetWindowRgn(window, region.release(), TRUE);  // the window owns it now
    }
    DestroyWindow(window);
}
BENCHMARK(BM_BorderRegionAndSetWindowRgn)->Unit(benchmark::kMillisecond);

// The worst case for the region builder: every row differs (no merging).
void BM_RegionFromBitmapNoisyRows(benchmark::State& state) {
    PixelBuffer buffer{1920, 30, std::vector<uint32_t>(1920 * 30)};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 1920; ++x) buffer.At(x, y) = ((x + 3 * y) % 29 == 0) ? 0xFF00FF : 0x808080;
    UniqueBitmap picture = BitmapFromPixels(buffer);
    for (auto _ : state) {
        UniqueRegion region = RegionFromBitmap(picture.get(), 0, 0, 1, 1, 1, kKeyColour);
        benchmark::DoNotOptimize(region.get());
    }
    state.counters["rects"] = 30.0 * (1920.0 / 29.0);
}
BENCHMARK(BM_RegionFromBitmapNoisyRows)->Unit(benchmark::kMillisecond);

void BM_NinePartTitle(benchmark::State& state) {
    Borders& b = TheBorders();
    const bool tile = state.range(0) != 0;
    for (auto _ : state) {
        UniqueBitmap picture = NinePartPicture(SIZE{1920, 30}, b.top.get(), b.topMargins, true, tile, 2, 1);
        benchmark::DoNotOptimize(picture.get());
    }
}
BENCHMARK(BM_NinePartTitle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The title drawn key-transparent onto a window-sized memory DC: only the
// corner columns go through the masked blit.
void BM_DrawElementTransparentTitle(benchmark::State& state) {
    Borders& b = TheBorders();
    UniqueBitmap target = CreateBitmap32(1920, 64);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    SelectGuard select(dc.get(), target.get());
    for (auto _ : state)
        DrawElement(dc.get(), RECT{0, 0, 1920, 30}, b.top.get(), true, false, true, 2, 1, b.topMargins);
}
BENCHMARK(BM_DrawElementTransparentTitle)->Unit(benchmark::kMicrosecond);

// For scale: MaskBlt of the whole title, what a plain masked draw would cost.
void BM_MaskBltWholeTitle(benchmark::State& state) {
    Borders& b = TheBorders();
    UniqueBitmap picture = NinePartPicture(SIZE{1920, 30}, b.top.get(), b.topMargins, true, false, 2, 1);
    UniqueBitmap mask(CreateBitmap(1920, 30, 1, 1, nullptr));
    UniqueBitmap target = CreateBitmap32(1920, 64);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible(), source = UniqueMemoryDc::Compatible();
    SelectGuard selectTarget(dc.get(), target.get());
    SelectGuard selectSource(source.get(), picture.get());
    for (auto _ : state)
        MaskBlt(dc.get(), 0, 0, 1920, 30, source.get(), 0, 0, mask.get(), 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
}
BENCHMARK(BM_MaskBltWholeTitle)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// The parts of BM_BorderRegion, to see where its time goes.
void BM_PartPicture(benchmark::State& state) {
    Borders& b = TheBorders();
    const bool side = state.range(0) == 0;
    for (auto _ : state) {
        UniqueBitmap picture = side ? NinePartPicture(SIZE{kBorder, kHeight}, b.left.get(), b.leftMargins, false, false, 2, 1)
                                    : NinePartPicture(SIZE{kWidth - 2 * kBorder, kTitle}, b.top.get(), b.topMargins, true, false, 2, 1);
        benchmark::DoNotOptimize(picture.get());
    }
}
BENCHMARK(BM_PartPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PartRegionOnly(benchmark::State& state) {
    Borders& b = TheBorders();
    const bool side = state.range(0) == 0;
    UniqueBitmap picture = side ? NinePartPicture(SIZE{kBorder, kHeight}, b.left.get(), b.leftMargins, false, false, 2, 1)
                                : NinePartPicture(SIZE{kWidth - 2 * kBorder, kTitle}, b.top.get(), b.topMargins, true, false, 2, 1);
    for (auto _ : state) {
        UniqueRegion region = RegionFromBitmap(picture.get(), 0, 0, 1, 1, 1, kKeyColour);
        benchmark::DoNotOptimize(region.get());
    }
}
BENCHMARK(BM_PartRegionOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// For scale: one MaskBlt of a w x 16 picture (a fixed cost per call plus a
// cost per pixel of the source).
void BM_SmallMaskBltSmallBitmaps(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = 16;
    UniqueBitmap picture = CreateBitmap32(w, h);
    UniqueBitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
    UniqueBitmap target = CreateBitmap32(1920, 64);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible(), source = UniqueMemoryDc::Compatible();
    SelectGuard selectTarget(dc.get(), target.get());
    SelectGuard selectSource(source.get(), picture.get());
    for (auto _ : state)
        MaskBlt(dc.get(), 0, 0, w, h, source.get(), 0, 0, mask.get(), 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
}
BENCHMARK(BM_SmallMaskBltSmallBitmaps)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvane

