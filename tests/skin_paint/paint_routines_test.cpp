#include "skin/form/paint_routines.h"

#include "tests/skin_paint/pixel_canvas.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using testing::Canvas;
using testing::Hex;
using testing::MakeStrip;

// A 5 x 5 cell with 2-pixel margins... cut into nine areas, each a colour
// that names the area (1..9, row by row) and the frame (x 0x10).
constexpr int kCell = 5;
uint32_t AreaColour(int area, int frame) { return uint32_t(frame * 0x100000 + area * 0x10); }
int AreaOf(int x, int y, int margin) {
    int col = x < margin ? 0 : (x >= kCell - margin ? 2 : 1);
    int row = y < margin ? 0 : (y >= kCell - margin ? 2 : 1);
    return row * 3 + col + 1;
}
// Three frames side by side (or stacked) of the nine-area cell.
UniqueBitmap NineAreaStrip(bool stacked, int margin = 2) {
    return MakeStrip(stacked ? kCell : 3 * kCell, stacked ? 3 * kCell : kCell, [=](int x, int y) {
        int frame = (stacked ? y : x) / kCell + 1;
        return AreaColour(AreaOf(x % kCell, y % kCell, margin), frame);
    });
}

// The area a target pixel must show when a W x H picture is built with
// margins m (corners and edges keep m pixels).
int ExpectedArea(int x, int y, int w, int h, int m) {
    int col = x < m ? 0 : (x >= w - m ? 2 : 1);
    int row = y < m ? 0 : (y >= h - m ? 2 : 1);
    return row * 3 + col + 1;
}

TEST(PaintRoutines, FrameCellsOfStripsIncludingOutOfRangeFrames) {
    struct Case {
        SIZE strip;
        bool stacked;
        int frames, frame;
        RECT expected;
    };
    const Case cases[] = {
        {{30, 10}, false, 3, 2, {10, 0, 20, 10}},
        {{10, 30}, true, 3, 3, {0, 20, 10, 30}},
        {{10, 10}, false, 1, 4, {0, 0, 10, 10}},  // one frame: frame 1 whatever is asked
        {{30, 10}, false, 3, 0, {0, 0, 10, 10}},
        {{30, 10}, false, 0, 1, {0, 0, 30, 10}},  // a frame count of 0 counts as 1
        {{2, 10}, false, 3, 1, {0, 0, 0, 0}},     // narrower than its frame count
        {{0, 0}, false, 1, 1, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        RECT r = FrameCell(c.strip, c.stacked, c.frames, c.frame);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.frames << "/" << c.frame << " -> " << r.left << "," << r.top
                                                << "," << r.right << "," << r.bottom;
    }
}

TEST(PaintRoutines, NinePartStretchKeepsCornersAndStretchesEdges) {
    for (bool stacked : {false, true}) {
        UniqueBitmap strip = NineAreaStrip(stacked);
        const int w = 11, h = 8;
        UniqueBitmap picture = NinePartPicture(SIZE{w, h}, strip.get(), RECT{2, 2, 2, 2}, stacked, false, 3, 2);
        PixelBuffer p = ReadPixels(picture.get());
        ASSERT_EQ(p.width, w);
        ASSERT_EQ(p.height, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(p.At(x, y), AreaColour(ExpectedArea(x, y, w, h, 2), 2))
                    << (stacked ? "stacked " : "") << x << "," << y;
    }
}

TEST(PaintRoutines, NinePartTileRepeatsTheCentreFromItsTopLeft) {
    // 6 x 6 cell, margins 1; the 4 x 4 centre has a 2 x 2 checker of colours A/B.
    const uint32_t border = 0x0000FF, a = 0x00FF00, b = 0xFF0000;
    UniqueBitmap strip = MakeStrip(6, 6, [&](int x, int y) {
        if (x == 0 || y == 0 || x == 5 || y == 5) return border;
        return ((x - 1) / 2 + (y - 1) / 2) % 2 ? b : a;
    });
    const int w = 13, h = 9;
    UniqueBitmap picture = NinePartPicture(SIZE{w, h}, strip.get(), RECT{1, 1, 1, 1}, false, true, 1, 1);
    PixelBuffer p = ReadPixels(picture.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t expected = (x == 0 || y == 0 || x == w - 1 || y == h - 1)
                                    ? border
                                    : (((x - 1) % 4) / 2 + ((y - 1) % 4) / 2) % 2 ? b : a;
            ASSERT_EQ(p.At(x, y), expected) << x << "," << y;
        }
}

TEST(PaintRoutines, MarginsThatDoNotFitAreDroppedInPairs) {
    UniqueBitmap strip = NineAreaStrip(false);
    // 3 wide: left + right (4) do not fit and both go; top and bottom stay.
    // The cell is shrunk across, so only the band of each row is certain.
    const int w = 3, h = 9;
    UniqueBitmap picture = NinePartPicture(SIZE{w, h}, strip.get(), RECT{2, 2, 2, 2}, false, false, 3, 1);
    PixelBuffer p = ReadPixels(picture.get());
    for (int y = 0; y < h; ++y) {
        const int band = y < 2 ? 0 : (y >= 7 ? 2 : 1);  // rows of the kept top and bottom margins
        for (int x = 0; x < w; ++x) {
            uint32_t colour = p.At(x, y);
            bool inBand = false;
            for (int area = band * 3 + 1; area <= band * 3 + 3; ++area) inBand |= colour == AreaColour(area, 1);
            EXPECT_TRUE(inBand) << x << "," << y << " " << Hex(colour);
        }
    }
    EXPECT_NE(p.At(0, 0), AreaColour(3, 1)) << "the left end still comes from the cell's left";
    EXPECT_NE(p.At(2, 8), AreaColour(7, 1));
    // 2 x 3: all four margins go, the whole cell is stretched.
    picture = NinePartPicture(SIZE{2, 3}, strip.get(), RECT{2, 2, 2, 2}, false, false, 3, 1);
    p = ReadPixels(picture.get());
    // (Which source column a shrinking StretchBlt samples is the platform's
    // choice; the ends must come from the cell's ends.)
    EXPECT_TRUE(p.At(0, 0) == AreaColour(1, 1) || p.At(0, 0) == AreaColour(2, 1)) << Hex(p.At(0, 0));
    EXPECT_TRUE(p.At(1, 2) == AreaColour(9, 1) || p.At(1, 2) == AreaColour(8, 1)) << Hex(p.At(1, 2));
}

TEST(PaintRoutines, DrawElementOpaqueAndTransparentAndInverted) {
    // Frame 2 of a 2-frame strip 4 x 4: magenta ring, solid 0x336699 inside.
    UniqueBitmap strip = MakeStrip(8, 4, [](int x, int y) {
        int fx = x % 4;
        return (fx == 0 || fx == 3 || y == 0 || y == 3) ? 0xFF00FFu : (x < 4 ? 0x111111u : 0x336699u);
    });
    Canvas canvas(10, 10, 0xABCDEF);
    DrawElement(canvas.dc(), RECT{1, 1, 9, 9}, strip.get(), false, false, true, 2, 2, RECT{1, 1, 1, 1});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 2 && x <= 7 && y >= 2 && y <= 7;
            ASSERT_EQ(canvas.At(x, y), inside ? 0x336699u : 0xABCDEFu) << x << "," << y;
        }
    DrawElement(canvas.dc(), RECT{0, 0, 2, 2}, strip.get(), false, false, false, 2, 1, RECT{1, 1, 1, 1});
    EXPECT_EQ(canvas.At(0, 0), 0xFF00FFu) << "opaque draw copies the key colour too";
    Canvas untouched(4, 4, 0x010203);
    DrawElement(untouched.dc(), RECT{3, 0, 1, 4}, strip.get(), false, false, false, 2, 1, RECT{});
    DrawElement(untouched.dc(), RECT{0, 3, 4, 1}, strip.get(), false, false, false, 2, 1, RECT{});
    DrawElement(untouched.dc(), RECT{0, 0, 4, 4}, nullptr, false, false, false, 2, 1, RECT{});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(untouched.At(x, y), 0x010203u);
}

TEST(PaintRoutines, TransparentDrawLeavesTheDestinationWhereTheKeyIs) {
    // 70 x 40: several bands and column runs of every kind (no key, some
    // key, key only), and a scattered pattern in the last band.
    auto pixel = [](int x, int y) -> uint32_t {
        if (x >= 60) return 0xFF00FF;                              // key-only columns
        if (y < 16 && x < 3 && y < 3 - x) return 0xFF00FF;        // a rounded corner
        if (y >= 32 && (x * 7 + y * 3) % 5 == 0) return 0xFF00FF;  // scattered
        return 0x000100 * uint32_t(x) + uint32_t(y);
    };
    UniqueBitmap picture = MakeStrip(70, 40, pixel);
    for (uint32_t background : {0x000000u, 0xFFFFFFu, 0x4080C0u}) {
        Canvas canvas(74, 44, background);
        TransparentDraw(canvas.dc(), RECT{2, 3, 72, 43}, picture.get(), kKeyColour);
        for (int y = 0; y < 44; ++y)
            for (int x = 0; x < 74; ++x) {
                bool on = x >= 2 && x < 72 && y >= 3 && y < 43;
                uint32_t expected = on && pixel(x - 2, y - 3) != 0xFF00FF ? pixel(x - 2, y - 3) : background;
                ASSERT_EQ(canvas.At(x, y), expected) << Hex(background) << " at " << x << "," << y;
            }
    }
}

TEST(PaintRoutines, TransparentDrawUsesRectSizeUnscaledAndNeverMore) {
    UniqueBitmap picture = MakeStrip(4, 4, [](int x, int y) { return uint32_t(0x100 * x + y + 1); });
    Canvas canvas(8, 8, 0);
    TransparentDraw(canvas.dc(), RECT{1, 1, 3, 7}, picture.get(), kKeyColour);  // 2 x 6 rect
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = x >= 1 && x < 3 && y >= 1 && y < 5;  // the picture is only 4 high
            ASSERT_EQ(canvas.At(x, y), on ? uint32_t(0x100 * (x - 1) + y) : 0u) << x << "," << y;
        }
}

// Every pixel of a w x h picture checked against the region.
template <typename IsKey>
void ExpectRegionMatches(HRGN region, int w, int h, int dx, int dy, IsKey isKey) {
    for (int y = -1; y <= h; ++y)
        for (int x = -1; x <= w; ++x) {
            bool inside = x >= 0 && y >= 0 && x < w && y < h && !isKey(x, y);
            ASSERT_EQ(PtInRegion(region, x + dx, y + dy) != 0, inside) << x << "," << y;
        }
}

TEST(PaintRoutines, RegionFromBitmapRuns) {
    // All key: an empty region.
    UniqueBitmap allKey = MakeStrip(7, 5, [](int, int) { return 0xFF00FFu; });
    UniqueRegion region = RegionFromBitmap(allKey.get(), 0, 0, 1, 1, 1, kKeyColour);
    RECT box{};
    ASSERT_TRUE(region);
    EXPECT_EQ(GetRgnBox(region.get(), &box), NULLREGION);

    // No key: the full rectangle, moved.
    UniqueBitmap noKey = MakeStrip(7, 5, [](int, int) { return 0x102030u; });
    region = RegionFromBitmap(noKey.get(), 10, 20, 1, 1, 1, kKeyColour);
    EXPECT_EQ(GetRgnBox(region.get(), &box), SIMPLEREGION);
    RECT full{10, 20, 17, 25};
    EXPECT_TRUE(EqualRect(&box, &full));

    // Tolerance: a channel up to key + tolerance is key; below the key is not.
    const uint32_t nearKey[] = {0xFF01FF, 0xFE00FF, 0xFF02FF, 0xFF00FE};
    UniqueBitmap tolerant = MakeStrip(4, 1, [&](int x, int) { return nearKey[x]; });
    region = RegionFromBitmap(tolerant.get(), 0, 0, 1, 1, 1, kKeyColour);
    ExpectRegionMatches(region.get(), 4, 1, 0, 0, [](int x, int) { return x == 0; });
}

TEST(PaintRoutines, RegionFromBitmapWithManyThousandRuns) {
    // 200 x 60 with a key pixel every third column, shifted per row:
    // about 4000 rows of runs that never repeat the row above, so well
    // over 2000 rectangles.
    auto isKey = [](int x, int y) { return (x + y) % 3 == 0; };
    UniqueBitmap picture = MakeStrip(200, 60, [&](int x, int y) { return isKey(x, y) ? 0xFF00FFu : 0x808080u; });
    UniqueRegion region = RegionFromBitmap(picture.get(), -5, 7, 1, 1, 1, kKeyColour);
    ExpectRegionMatches(region.get(), 200, 60, -5, 7, isKey);

    // Rounded corners on a tall border: rows that repeat merge, the region
    // is unchanged.
    auto corner = [](int x, int y) { return y < 4 && x < 4 - y; };
    UniqueBitmap border = MakeStrip(8, 300, [&](int x, int y) { return corner(x, y) ? 0xFF00FFu : 0x202020u; });
    region = RegionFromBitmap(border.get(), 0, 0, 1, 1, 1, kKeyColour);
    ExpectRegionMatches(region.get(), 8, 300, 0, 0, corner);
    EXPECT_LE(GetRegionData(region.get(), 0, nullptr), sizeof(RGNDATAHEADER) + 8 * sizeof(RECT));
}

TEST(PaintRoutines, ThreePartCapsAndRepeatedMiddle) {
    // Cell 6 wide: cap 2 (L), middle 2 (M1 M2), cap 2 (R).
    const uint32_t l = 0x110000, m1 = 0x002200, m2 = 0x003300, r = 0x000044;
    UniqueBitmap strip = MakeStrip(6, 2, [&](int x, int) { return x < 2 ? l : x == 2 ? m1 : x == 3 ? m2 : r; });
    Canvas canvas(12, 4, 0);
    DrawThreePart(canvas.dc(), RECT{0, 0, 11, 4}, strip.get(), false, false, 1, 1, RECT{2, 0, 2, 0});
    const uint32_t row[] = {l, l, m1, m2, m1, m2, m1, m2, m1, r, r, 0};
    for (int x = 0; x < 12; ++x) EXPECT_EQ(canvas.At(x, 3), row[x]) << x;

    // No middle: caps only.
    UniqueBitmap caps = MakeStrip(4, 2, [&](int x, int) { return x < 2 ? l : r; });
    Canvas capsCanvas(8, 2, 0x777777);
    DrawThreePart(capsCanvas.dc(), RECT{0, 0, 8, 2}, caps.get(), false, true, 1, 1, RECT{2, 0, 2, 0});
    const uint32_t capsRow[] = {l, l, 0, 0, 0, 0, r, r};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(capsCanvas.At(x, 1), capsRow[x]) << x;
}

TEST(PaintRoutines, StripFramesStretchedCentredAndThreePartStretched) {
    // 3 frames of 2 x 2, solid per frame.
    const uint32_t colours[] = {0x0000AA, 0x00BB00, 0xCC0000};
    UniqueBitmap strip = MakeStrip(6, 2, [&](int x, int) { return colours[x / 2]; });
    Canvas canvas(9, 9, 0);
    DrawStripFrame(canvas.dc(), RECT{0, 0, 5, 3}, strip.get(), false, 3, 3);
    EXPECT_EQ(canvas.At(4, 2), 0xCC0000u);
    EXPECT_EQ(canvas.At(5, 2), 0u);
    DrawStripFrameCentred(canvas.dc(), RECT{3, 3, 8, 8}, strip.get(), false, 3, 2);  // at (4, 4)
    EXPECT_EQ(canvas.At(3, 4), 0u);
    EXPECT_EQ(canvas.At(4, 4), 0x00BB00u);
    EXPECT_EQ(canvas.At(5, 5), 0x00BB00u);
    EXPECT_EQ(canvas.At(6, 6), 0u);
    // A rect smaller than the frame: the offset rounds toward zero.
    Canvas small(4, 4, 0);
    DrawStripFrameCentred(small.dc(), RECT{1, 1, 2, 2}, strip.get(), false, 3, 1);  // (1 - 2) / 2 = 0
    EXPECT_EQ(small.At(1, 1), 0x0000AAu);
    EXPECT_EQ(small.At(2, 2), 0x0000AAu);
    EXPECT_EQ(small.At(0, 0), 0u);

    const uint32_t l = 0x110000, m = 0x002200, r = 0x000044;
    UniqueBitmap three = MakeStrip(5, 1, [&](int x, int) { return x < 2 ? l : x < 4 ? m : r; });
    Canvas wide(10, 2, 0);
    DrawThreePartStretched(wide.dc(), RECT{1, 0, 9, 2}, three.get(), false, 1, 1, RECT{2, 0, 1, 0});
    const uint32_t wideRow[] = {0, l, l, m, m, m, m, m, r, 0};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(wide.At(x, 1), wideRow[x]) << x;
}

TEST(PaintRoutines, TileRectRepeatsWholeTilesPastTheDestination) {
    UniqueBitmap strip = MakeStrip(4, 3, [](int x, int y) { return uint32_t(0x10 * x + y + 1); });
    Canvas canvas(10, 8, 0);
    TileRect(canvas.dc(), RECT{1, 1, 6, 4}, strip.get(), RECT{1, 1, 3, 3});  // 2 x 2 tiles over 5 x 3
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            bool on = x >= 1 && x < 7 && y >= 1 && y < 5;
            uint32_t expected = on ? uint32_t(0x10 * (1 + (x - 1) % 2) + (1 + (y - 1) % 2) + 1) : 0u;
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
}

TEST(PaintRoutines, SharedWorkBitmapGrowsAndKeepsStretchMode) {
    WorkBitmap& work = SharedWorkBitmap();
    HDC dc = work.Prepare(20, 10);
    ASSERT_TRUE(dc);
    EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
    work.Prepare(5, 30);
    EXPECT_EQ(work.Size().cx, 20);
    EXPECT_EQ(work.Size().cy, 30);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), work.Bitmap());
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// A parent that paints into whatever DC it is handed: its background in
// one colour and a square at (10, 10)-(30, 30) in another.
constexpr COLORREF kParentBack = RGB(0x20, 0x40, 0x60), kParentSquare = RGB(0xC0, 0x10, 0x10);

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (message == WM_ERASEBKGND && dc) {
        RECT all{0, 0, 200, 200};
        UniqueBrush brush(CreateSolidBrush(kParentBack));
        FillRect(dc, &all, brush.get());
        return 1;
    }
    if (message == WM_PAINT && dc) {
        RECT square{10, 10, 30, 30};
        UniqueBrush brush(CreateSolidBrush(kParentSquare));
        FillRect(dc, &square, brush.get());
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(PaintRoutines, ParentBackgroundIsPaintedUnderTheControlOnly) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuorvanePaintParentTest";
    RegisterClassW(&wc);
    HWND parent = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_TRUE(parent);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 5, 6, 40, 30, parent, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_TRUE(child);

    Canvas canvas(60, 50, 0);
    PaintParentBackground(child, canvas.dc());
    const uint32_t back = PixelFromColour(kParentBack), square = PixelFromColour(kParentSquare);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) {
            const int px = x + 5, py = y + 6;  // the parent's pixel under (x, y)
            uint32_t expected = 0;
            if (x < 40 && y < 30) expected = (px >= 10 && px < 30 && py >= 10 && py < 30) ? square : back;
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
    POINT origin{-1, -1};
    GetViewportOrgEx(canvas.dc(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);

    // A top-level window has no parent to paint.
    Canvas untouched(4, 4, 0x010101);
    PaintParentBackground(parent, untouched.dc());
    EXPECT_EQ(untouched.At(1, 1), 0x010101u);
    DestroyWindow(parent);
}

TEST(PaintRoutines, DrawTextWideDrawsUtf16Text) {
    Canvas canvas(80, 20, 0xFFFFFF);
    SetTextColor(canvas.dc(), RGB(0, 0, 0));
    SetBkMode(canvas.dc(), TRANSPARENT);
    RECT r{0, 0, 80, 20};
    const int height = DrawTextWide(canvas.dc(), u"\u8BFB\u4E66 ok", r, DT_SINGLELINE | DT_LEFT | DT_TOP);
    EXPECT_GT(height, 0);
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x) dark += canvas.At(x, y) != 0xFFFFFFu;
    EXPECT_GT(dark, 10) << "some text was drawn";
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// Stretching a part that is uniform along the stretched axis is done by
// repeating one line; the pixels must be those StretchBlt gives.
TEST(PaintRoutines, StretchedPartsMatchStretchBltForUniformAndOtherSources) {
    struct Pattern {
        const char* name;
        uint32_t (*pixel)(int x, int y);
    };
    const Pattern patterns[] = {
        {"rows", [](int, int y) { return uint32_t(0x102030 * (y + 1)); }},
        {"columns", [](int x, int) { return uint32_t(0x030201 * (x + 7)); }},
        {"flat", [](int, int) { return 0x445566u; }},
        {"mixed", [](int x, int y) { return uint32_t(0x100000 * x + 0x10 * y + 1); }},
    };
    const SIZE sizes[] = {{37, 5}, {5, 23}, {37, 23}, {3, 2}, {9, 4}};
    for (const Pattern& pattern : patterns) {
        UniqueBitmap strip = MakeStrip(5, 5, pattern.pixel);
        for (SIZE size : sizes) {
            UniqueBitmap picture = NinePartPicture(size, strip.get(), RECT{}, false, false, 1, 1);
            Canvas reference(size.cx, size.cy, 0);
            {
                UniqueMemoryDc source = UniqueMemoryDc::Compatible();
                SelectGuard select(source.get(), strip.get());
                SetStretchBltMode(reference.dc(), COLORONCOLOR);
                StretchBlt(reference.dc(), 0, 0, size.cx, size.cy, source.get(), 0, 0, 5, 5, SRCCOPY);
            }
            PixelBuffer p = ReadPixels(picture.get());
            for (int y = 0; y < size.cy; ++y)
                for (int x = 0; x < size.cx; ++x)
                    ASSERT_EQ(p.At(x, y), reference.At(x, y))
                        << pattern.name << " " << size.cx << "x" << size.cy << " at " << x << "," << y;
        }
    }
}

TEST(PaintRoutines, ExtremeMarginsFromTheSkinFileAreClampedNotOverflowed) {
    // Two 4 x 4 frames side by side (red, blue) and stacked.
    const uint32_t red = 0xFF0000, blue = 0x0000FF, white = 0xFFFFFF;
    UniqueBitmap wide = MakeStrip(8, 4, [&](int x, int) { return x < 4 ? red : blue; });
    UniqueBitmap tall = MakeStrip(4, 8, [&](int, int y) { return y < 4 ? red : blue; });
    const int kMax = 0x7FFFFFFF, kMin = -0x7FFFFFFF - 1;

    // Nine parts: margins that cannot fit are dropped, so frame 1 is simply
    // stretched, whatever the sums of the huge values would wrap to.
    struct NineCase {
        RECT margins;
        bool stacked;
    } nine[] = {
        {{kMax, 0, 1, 0}, false}, {{1, 0, kMax, 0}, false}, {{kMax, 0, kMax, 0}, false},
        {{0, kMax, 0, 1}, true},  {{0, 1, 0, kMax}, true},  {{kMin, kMin, kMin, kMin}, false},
    };
    for (const NineCase& c : nine) {
        UniqueBitmap picture =
            NinePartPicture(SIZE{8, 8}, c.stacked ? tall.get() : wide.get(), c.margins, c.stacked, false, 2, 1);
        const PixelBuffer p = ReadPixels(picture.get());
        ASSERT_EQ(p.width, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(p.At(x, y), red) << c.margins.left << "," << c.margins.top << "," << c.margins.right << ","
                                           << c.margins.bottom << " at " << x << "," << y;
    }

    // Three parts: a cap wider than the picture shows the picture's width of it.
    Canvas canvas(4, 4, white);
    DrawThreePart(canvas.dc(), RECT{0, 0, 4, 4}, wide.get(), false, false, 2, 2, RECT{kMax, 0, 0, 0});
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Hex(canvas.At(x, 1)), Hex(blue)) << x;

    // Stretched three parts: a cap wider than the cell is the whole cell.
    Canvas stretched(8, 4, white);
    DrawThreePartStretched(stretched.dc(), RECT{0, 0, 8, 4}, wide.get(), false, 2, 2, RECT{kMax, 0, 0, 0});
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Hex(stretched.At(x, 1)), Hex(blue)) << x;
    DrawThreePartStretched(stretched.dc(), RECT{0, 0, 8, 4}, wide.get(), false, 2, 1, RECT{kMin, 0, kMax, 0});
    for (int x = 4; x < 8; ++x) EXPECT_EQ(Hex(stretched.At(x, 1)), Hex(red)) << x;
}

}  // namespace
}  // namespace quorvane
