#include "skin/form/paint_routines.h"

#include <algorithm>
#include <vector>

namespace quorvane {

namespace {

bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A strip selected into a memory DC for reading.
class SourceDc {
public:
    explicit SourceDc(HBITMAP bitmap) : dc_(UniqueMemoryDc::Compatible()) {
        if (dc_ && bitmap) previous_ = SelectObject(dc_.get(), bitmap);
    }
    SourceDc(const SourceDc&) = delete;
    SourceDc& operator=(const SourceDc&) = delete;
    ~SourceDc() {
        if (previous_) SelectObject(dc_.get(), previous_);
    }
    // False when the bitmap could not be selected (for example because it
    // is selected into another DC).
    bool ok() const { return previous_ != nullptr; }
    HDC get() const { return dc_.get(); }

private:
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
};

// The scratch picture that drawing routines compose in and discard: one
// per process, grown to the largest picture drawn so far. Writing to fresh
// DIB memory is slow under Wine (about 2 us per page on first touch: a
// 1920 x 30 picture costs more to allocate than to compose), so pictures
// that are only drawn reuse this one.
struct Scratch {
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;
    UniqueMemoryDc dc;
    HGDIOBJ original = nullptr;
    SIZE size{0, 0};
    bool busy = false;
    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() {
        if (original) SelectObject(dc.get(), original);
    }
};

Scratch& TheScratch() {
    static Scratch scratch;
    return scratch;
}

// A picture being composed in memory: a 32-bit top-down DIB section selected
// into a DC with stretch mode COLORONCOLOR, black at first. Own: a new
// bitmap that can be handed out (Release). Scratch: the top-left part of
// the shared scratch picture (a new bitmap when the scratch is in use).
class Composition {
public:
    enum class Kind { Own, Scratch, Handout };

    Composition(int width, int height, Kind kind = Kind::Own) : width_(width), height_(height) {
        if (kind == Kind::Scratch && UseScratch()) return;
        if (kind == Kind::Handout) {
            // A plain 32-bit bitmap: its memory comes from the heap, which is
            // reused, while a DIB section always maps fresh pages. Its bits
            // are not reachable (bits() is null); it is only handed out.
            if (width > 0 && height > 0 && width <= 32768 && height <= 32768 &&
                static_cast<int64_t>(width) * height <= 64 * 1024 * 1024)
                bitmap_.reset(CreateBitmap(width, height, 1, 32, nullptr));
        } else {
            bitmap_ = CreateBitmap32(width, height, &bits_);
        }
        if (!bitmap_) return;
        ownDc_ = UniqueMemoryDc::Compatible();
        dc_ = ownDc_.get();
        stride_ = width;
        if (dc_) {
            previous_ = SelectObject(dc_, bitmap_.get());
            SetStretchBltMode(dc_, COLORONCOLOR);
            if (kind == Kind::Handout) PatBlt(dc_, 0, 0, width, height, BLACKNESS);  // contents start undefined
        }
    }
    Composition(const Composition&) = delete;
    Composition& operator=(const Composition&) = delete;
    ~Composition() {
        Deselect();
        if (scratch_) scratch_->busy = false;
    }

    bool ok() const { return previous_ != nullptr || scratch_ != nullptr; }
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }  // in pixels
    uint32_t* bits() const {
        GdiFlush();
        return bits_;
    }
    // The picture as a bitmap of its own (Own kind only).
    UniqueBitmap Release() {
        Deselect();
        return std::move(bitmap_);
    }

private:
    bool UseScratch() {
        Scratch& scratch = TheScratch();
        if (scratch.busy || width_ <= 0 || height_ <= 0) return false;
        if (!scratch.dc) {
            scratch.dc = UniqueMemoryDc::Compatible();
            if (!scratch.dc) return false;
            SetStretchBltMode(scratch.dc.get(), COLORONCOLOR);
        }
        if (width_ > scratch.size.cx || height_ > scratch.size.cy) {
            const int w = std::max<int>(width_, scratch.size.cx), h = std::max<int>(height_, scratch.size.cy);
            uint32_t* bits = nullptr;
            UniqueBitmap grown = CreateBitmap32(w, h, &bits);
            if (!grown) return false;
            HGDIOBJ previous = SelectObject(scratch.dc.get(), grown.get());
            if (!scratch.original) scratch.original = previous;
            scratch.bitmap = std::move(grown);
            scratch.bits = bits;
            scratch.size = SIZE{w, h};
        }
        scratch.busy = true;
        scratch_ = &scratch;
        dc_ = scratch.dc.get();
        bits_ = scratch.bits;
        stride_ = scratch.size.cx;
        SetStretchBltMode(dc_, COLORONCOLOR);
        PatBlt(dc_, 0, 0, width_, height_, BLACKNESS);
        return true;
    }
    void Deselect() {
        if (previous_) SelectObject(dc_, previous_);
        previous_ = nullptr;
    }

    int width_;
    int height_;
    int stride_ = 0;
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    UniqueMemoryDc ownDc_;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    Scratch* scratch_ = nullptr;
};

// Stretches a source part onto a destination part; empty parts are skipped
// (a source part of negative size would otherwise draw a mirror image).
void CopyPart(HDC dest, const RECT& to, HDC source, const RECT& from) {
    if (Width(to) <= 0 || Height(to) <= 0 || Width(from) <= 0 || Height(from) <= 0) return;
    if (Width(to) == Width(from) && Height(to) == Height(from))
        BitBlt(dest, to.left, to.top, Width(to), Height(to), source, from.left, from.top, SRCCOPY);
    else
        StretchBlt(dest, to.left, to.top, Width(to), Height(to), source, from.left, from.top, Width(from),
                   Height(from), SRCCOPY);
}

// Repeats the block already drawn at (left, top, left + blockWidth, ...) of a
// memory DC to the right until `extent` pixels are covered, doubling each
// time: the same pixels as one copy per tile, in log(n) copies.
void RepeatRight(HDC dc, int left, int top, int blockWidth, int height, int extent) {
    for (int covered = blockWidth; covered < extent;) {
        int step = std::min(covered, extent - covered);
        BitBlt(dc, left + covered, top, step, height, dc, left, top, SRCCOPY);
        covered += step;
    }
}

void RepeatDown(HDC dc, int left, int top, int width, int blockHeight, int extent) {
    for (int covered = blockHeight; covered < extent;) {
        int step = std::min(covered, extent - covered);
        BitBlt(dc, left, top + covered, width, step, dc, left, top, SRCCOPY);
        covered += step;
    }
}

int RoundUpTo(int value, int step) { return ((value + step - 1) / step) * step; }

// Tiles `from` of source over `to` of a memory DC, from to's top-left,
// whole tiles only (the last ones may run past to).
void TileInto(HDC dest, const RECT& to, HDC source, const RECT& from) {
    const int sw = Width(from), sh = Height(from);
    if (sw <= 0 || sh <= 0 || Width(to) <= 0 || Height(to) <= 0) return;
    BitBlt(dest, to.left, to.top, sw, sh, source, from.left, from.top, SRCCOPY);
    const int extentX = RoundUpTo(Width(to), sw);
    const int extentY = RoundUpTo(Height(to), sh);
    RepeatRight(dest, to.left, to.top, sw, sh, extentX);
    RepeatDown(dest, to.left, to.top, extentX, sh, extentY);
}

// Transparent drawing: the picture is cut into bands of rows; inside a band
// runs of columns without key pixels are copied with BitBlt, runs holding
// some key pixels are combined with the destination, runs of key pixels
// only are skipped. Skin pictures usually hold key pixels only at their
// rounded corners.
//
// The combining is the classic pair of blits: the destination is ANDed
// with a monochrome mask (white where the key is), then ORed with the
// picture whose key pixels are black. The result is the one MaskBlt with
// MAKEROP4(0x00AA0029, SRCCOPY) gives, but Wine's MaskBlt costs about 30 us
// per call plus 13 ns per pixel of the whole source, while the two blits
// cost well under a microsecond for a corner.
constexpr int kBandHeight = 16;
constexpr int kMaxRunsPerBand = 8;

// bits: the picture's pixels (stride in pixels), read and, where the key
// is, set to black; source: a DC holding a picture with those same pixels.
void MaskedDraw(HDC dest, int x, int y, int width, int height, HDC source, uint32_t* bits, int stride,
                COLORREF keyColour) {
    const uint32_t key = PixelFromColour(keyColour & 0x00FFFFFF);
    auto pixel = [&](int px, int py) -> uint32_t& {
        return bits[static_cast<size_t>(py) * static_cast<size_t>(stride) + static_cast<size_t>(px)];
    };

    enum Kind : uint8_t { kOpaque = 0, kMixed = 1, kClear = 2 };
    struct Run {
        int from, to, top, rows;
    };
    std::vector<Run> mixed;  // combined after every opaque copy is done

    // Monochrome mask (1 where the key is, rows padded to 16 bits) and the
    // picture with black key pixels, both only over the mixed runs.
    UniqueBitmap mask;
    UniqueMemoryDc maskDc;
    HGDIOBJ maskPrevious = nullptr;
    auto prepare = [&]() -> bool {
        const int maskStride = ((width + 15) / 16) * 2;
        std::vector<uint8_t> maskBits(static_cast<size_t>(maskStride) * static_cast<size_t>(height), 0);
        for (const Run& run : mixed)
            for (int py = run.top; py < run.top + run.rows; ++py)
                for (int px = run.from; px < run.to; ++px)
                    if ((pixel(px, py) & 0x00FFFFFF) == key) {
                        maskBits[static_cast<size_t>(py) * static_cast<size_t>(maskStride) + static_cast<size_t>(px / 8)] |=
                            static_cast<uint8_t>(0x80 >> (px % 8));
                        pixel(px, py) = 0;
                    }
        mask.reset(CreateBitmap(width, height, 1, 1, maskBits.data()));
        maskDc = UniqueMemoryDc::Compatible(dest);
        if (!mask || !maskDc) return false;
        maskPrevious = SelectObject(maskDc.get(), mask.get());
        return true;
    };

    std::vector<uint8_t> keyCount(static_cast<size_t>(width));
    std::vector<uint8_t> kinds(static_cast<size_t>(width));
    int opaqueFrom = -1;  // first row of a pending run of all-opaque bands
    auto flushOpaque = [&](int until) {
        if (opaqueFrom >= 0) BitBlt(dest, x, y + opaqueFrom, width, until - opaqueFrom, source, 0, opaqueFrom, SRCCOPY);
        opaqueFrom = -1;
    };
    for (int top = 0; top < height; top += kBandHeight) {
        const int rows = std::min(kBandHeight, height - top);
        std::fill(keyCount.begin(), keyCount.end(), 0);
        bool anyKey = false;
        for (int py = top; py < top + rows; ++py)
            for (int px = 0; px < width; ++px)
                if ((pixel(px, py) & 0x00FFFFFF) == key) {
                    ++keyCount[static_cast<size_t>(px)];
                    anyKey = true;
                }
        if (!anyKey) {
            if (opaqueFrom < 0) opaqueFrom = top;
            continue;
        }
        flushOpaque(top);
        int runs = 1;
        for (int px = 0; px < width; ++px) {
            uint8_t count = keyCount[static_cast<size_t>(px)];
            kinds[static_cast<size_t>(px)] = count == 0 ? kOpaque : (count == rows ? kClear : kMixed);
            if (px > 0 && kinds[static_cast<size_t>(px)] != kinds[static_cast<size_t>(px - 1)]) ++runs;
        }
        if (runs > kMaxRunsPerBand) std::fill(kinds.begin(), kinds.end(), kMixed);
        for (int px = 0; px < width;) {
            int end = px + 1;
            while (end < width && kinds[static_cast<size_t>(end)] == kinds[static_cast<size_t>(px)]) ++end;
            if (kinds[static_cast<size_t>(px)] == kOpaque)
                BitBlt(dest, x + px, y + top, end - px, rows, source, px, top, SRCCOPY);
            else if (kinds[static_cast<size_t>(px)] == kMixed)
                mixed.push_back(Run{px, end, top, rows});
            px = end;
        }
    }
    flushOpaque(height);
    if (mixed.empty() || !prepare()) return;

    // The picture's key pixels are black now: draw from a picture that
    // shows them (a DIB section reads its bits at blit time).
    GdiFlush();
    const COLORREF oldBack = SetBkColor(dest, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
    for (const Run& run : mixed) {
        BitBlt(dest, x + run.from, y + run.top, run.to - run.from, run.rows, maskDc.get(), run.from, run.top, SRCAND);
        BitBlt(dest, x + run.from, y + run.top, run.to - run.from, run.rows, source, run.from, run.top, SRCPAINT);
    }
    SetTextColor(dest, oldText);
    SetBkColor(dest, oldBack);
    SelectObject(maskDc.get(), maskPrevious);
}

// Draws a composed picture at (x, y), opaque or key-transparent.
void DrawComposition(HDC dest, int x, int y, const Composition& picture, bool transparent) {
    if (transparent)
        MaskedDraw(dest, x, y, picture.width(), picture.height(), picture.dc(), picture.bits(), picture.stride(),
                   kKeyColour);
    else
        BitBlt(dest, x, y, picture.width(), picture.height(), picture.dc(), 0, 0, SRCCOPY);
}

// A stretch of a part whose pixels do not change along the stretched axis
// (the middle of a title bar, of a side border, a flat centre) gives the
// same pixels as repeating one line of it, which is far cheaper than
// StretchBlt under Wine. dest must be a memory DC that can be read back.
bool CopyUniformPart(HDC dest, const RECT& to, HDC source, const RECT& from, const PixelBuffer& pixels) {
    const int sw = Width(from), sh = Height(from), dw = Width(to), dh = Height(to);
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || (sw == dw && sh == dh)) return false;
    if (from.left < 0 || from.top < 0 || from.right > pixels.width || from.bottom > pixels.height) return false;
    auto uniformRows = [&] {  // every row one colour
        for (int y = from.top; y < from.bottom; ++y)
            for (int x = from.left + 1; x < from.right; ++x)
                if (pixels.At(x, y) != pixels.At(from.left, y)) return false;
        return true;
    };
    auto uniformColumns = [&] {  // every column one colour
        for (int y = from.top + 1; y < from.bottom; ++y)
            for (int x = from.left; x < from.right; ++x)
                if (pixels.At(x, y) != pixels.At(x, from.top)) return false;
        return true;
    };
    if (sh == dh) {
        if (!uniformRows()) return false;
        BitBlt(dest, to.left, to.top, 1, dh, source, from.left, from.top, SRCCOPY);
        RepeatRight(dest, to.left, to.top, 1, dh, dw);
        return true;
    }
    if (sw == dw) {
        if (!uniformColumns()) return false;
        BitBlt(dest, to.left, to.top, dw, 1, source, from.left, from.top, SRCCOPY);
        RepeatDown(dest, to.left, to.top, dw, 1, dh);
        return true;
    }
    if (!uniformRows() || !uniformColumns()) return false;
    BitBlt(dest, to.left, to.top, 1, 1, source, from.left, from.top, SRCCOPY);
    RepeatRight(dest, to.left, to.top, 1, 1, dw);
    RepeatDown(dest, to.left, to.top, dw, 1, dh);
    return true;
}

// The nine parts of a frame, composed into a picture DC. pixels: the
// strip's pixels (may be empty: then every stretch goes through StretchBlt).
void ComposeNinePart(const Composition& picture, HDC source, const PixelBuffer& pixels, const RECT& cell,
                     const Margins& margins, bool tile) {
    const int w = picture.width(), h = picture.height();
    int l = std::max<int>(margins.left, 0), t = std::max<int>(margins.top, 0);
    int r = std::max<int>(margins.right, 0), b = std::max<int>(margins.bottom, 0);
    // Summed in 64 bits: margins straight from a skin file can be anything.
    if (int64_t{l} + r > w) l = r = 0;
    if (int64_t{t} + b > h) t = b = 0;
    const int cx = cell.left, cy = cell.top, cw = Width(cell), ch = Height(cell);
    HDC dc = picture.dc();
    auto copy = [&](const RECT& to, const RECT& from) {
        if (!CopyUniformPart(dc, to, source, from, pixels)) CopyPart(dc, to, source, from);
    };
    if (l > 0 && t > 0) copy({0, 0, l, t}, {cx, cy, cx + l, cy + t});
    if (l > 0 && b > 0) copy({0, h - b, l, h}, {cx, cy + ch - b, cx + l, cy + ch});
    if (r > 0 && t > 0) copy({w - r, 0, w, t}, {cx + cw - r, cy, cx + cw, cy + t});
    if (l > 0) copy({0, t, l, h - b}, {cx, cy + t, cx + l, cy + ch - b});
    if (t > 0) copy({l, 0, w - r, t}, {cx + l, cy, cx + cw - r, cy + t});
    const RECT centre{l, t, w - r, h - b};
    const RECT centreSource{cx + l, cy + t, cx + cw - r, cy + ch - b};
    if (tile)
        TileInto(dc, centre, source, centreSource);
    else
        copy(centre, centreSource);
    if (r > 0 && b > 0) copy({w - r, h - b, w, h}, {cx + cw - r, cy + ch - b, cx + cw, cy + ch});
    if (r > 0) copy({w - r, t, w, h - b}, {cx + cw - r, cy + t, cx + cw, cy + ch - b});
    if (b > 0) copy({l, h - b, w - r, h}, {cx + l, cy + ch - b, cx + cw - r, cy + ch});
}

}  // namespace

RECT FrameCell(SIZE stripSize, bool stacked, int frames, int frame) {
    if (frames < 1) frames = 1;
    if (frame < 1 || frame > frames) frame = 1;
    if (stacked) {
        const int fh = stripSize.cy / frames;
        if (fh <= 0 || stripSize.cx <= 0) return RECT{0, 0, 0, 0};
        return RECT{0, (frame - 1) * fh, stripSize.cx, frame * fh};
    }
    const int fw = stripSize.cx / frames;
    if (fw <= 0 || stripSize.cy <= 0) return RECT{0, 0, 0, 0};
    return RECT{(frame - 1) * fw, 0, frame * fw, stripSize.cy};
}

UniqueBitmap NinePartPicture(SIZE size, HBITMAP strip, const Margins& margins, bool stacked, bool tile, int frames,
                             int frame) {
    Composition picture(size.cx, size.cy, Composition::Kind::Handout);
    if (!picture.ok()) return UniqueBitmap();
    const RECT cell = FrameCell(BitmapSize(strip), stacked, frames, frame);
    if (Width(cell) > 0) {
        const PixelBuffer pixels = ReadPixels(strip);
        SourceDc source(strip);
        if (source.ok()) ComposeNinePart(picture, source.get(), pixels, cell, margins, tile);
    }
    return picture.Release();
}

void DrawElement(HDC dc, const RECT& rect, HBITMAP strip, bool stacked, bool tile, bool transparent, int frames,
                 int frame, const Margins& margins) {
    if (!dc || Inverted(rect)) return;
    const RECT cell = FrameCell(BitmapSize(strip), stacked, frames, frame);
    if (Width(cell) <= 0) return;
    Composition picture(Width(rect), Height(rect), Composition::Kind::Scratch);
    const PixelBuffer pixels = ReadPixels(strip);
    SourceDc source(strip);
    if (!picture.ok() || !source.ok()) return;
    ComposeNinePart(picture, source.get(), pixels, cell, margins, tile);
    DrawComposition(dc, rect.left, rect.top, picture, transparent);
}

void DrawThreePart(HDC dc, const RECT& rect, HBITMAP strip, bool stacked, bool transparent, int frames, int frame,
                   const Margins& margins) {
    if (!dc || Inverted(rect)) return;
    const RECT cell = FrameCell(BitmapSize(strip), stacked, frames, frame);
    if (Width(cell) <= 0) return;
    Composition picture(Width(rect), Height(rect), Composition::Kind::Scratch);
    SourceDc source(strip);
    if (!picture.ok() || !source.ok()) return;
    const int w = picture.width(), h = picture.height();
    // A cap is copied unscaled, so one wider than the picture shows no more
    // than the picture's width of it.
    const int l = std::clamp<int>(margins.left, 0, w), r = std::clamp<int>(margins.right, 0, w);
    const int cx = cell.left, cy = cell.top, cw = Width(cell), ch = Height(cell);
    CopyPart(picture.dc(), {0, 0, l, h}, source.get(), {cx, cy, cx + l, cy + ch});
    const int m = cw - l - r;
    if (m > 0 && l < w - r) {
        // One middle piece, then repeated: every piece is the same picture.
        CopyPart(picture.dc(), {l, 0, l + m, h}, source.get(), {cx + l, cy, cx + l + m, cy + ch});
        RepeatRight(picture.dc(), l, 0, m, h, RoundUpTo(w - r - l, m));
    }
    CopyPart(picture.dc(), {w - r, 0, w, h}, source.get(), {cx + cw - r, cy, cx + cw, cy + ch});
    DrawComposition(dc, rect.left, rect.top, picture, transparent);
}

void DrawStripFrame(HDC dc, const RECT& rect, HBITMAP strip, bool transparent, int frames, int frame) {
    if (!dc || Inverted(rect)) return;
    const RECT cell = FrameCell(BitmapSize(strip), false, frames, frame);
    if (Width(cell) <= 0) return;
    Composition picture(Width(rect), Height(rect), Composition::Kind::Scratch);
    SourceDc source(strip);
    if (!picture.ok() || !source.ok()) return;
    CopyPart(picture.dc(), {0, 0, picture.width(), picture.height()}, source.get(), cell);
    DrawComposition(dc, rect.left, rect.top, picture, transparent);
}

void DrawStripFrameCentred(HDC dc, const RECT& rect, HBITMAP strip, bool transparent, int frames, int frame) {
    if (!dc || Inverted(rect)) return;
    const RECT cell = FrameCell(BitmapSize(strip), false, frames, frame);
    if (Width(cell) <= 0) return;
    Composition picture(Width(cell), Height(cell), Composition::Kind::Scratch);
    SourceDc source(strip);
    if (!picture.ok() || !source.ok()) return;
    BitBlt(picture.dc(), 0, 0, picture.width(), picture.height(), source.get(), cell.left, cell.top, SRCCOPY);
    const int x = rect.left + (Width(rect) - picture.width()) / 2;
    const int y = rect.top + (Height(rect) - picture.height()) / 2;
    DrawComposition(dc, x, y, picture, transparent);
}

void DrawThreePartStretched(HDC dc, const RECT& rect, HBITMAP strip, bool stacked, int frames, int frame,
                            const Margins& margins) {
    if (!dc || Inverted(rect)) return;
    const RECT cell = FrameCell(BitmapSize(strip), stacked, frames, frame);
    if (Width(cell) <= 0) return;
    SourceDc source(strip);
    if (!source.ok()) return;
    const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    const int w = Width(rect), h = Height(rect);
    const int cx = cell.left, cy = cell.top, cw = Width(cell), ch = Height(cell);
    // Caps come from the cell: none is wider than it.
    const int l = std::clamp<int>(margins.left, 0, cw), r = std::clamp<int>(margins.right, 0, cw);
    if (w >= cw) {
        CopyPart(dc, {rect.left, rect.top, rect.left + l, rect.top + h}, source.get(), {cx, cy, cx + l, cy + ch});
        CopyPart(dc, {rect.left + l, rect.top, rect.right - r, rect.top + h}, source.get(),
                 {cx + l, cy, cx + cw - r, cy + ch});
        CopyPart(dc, {rect.right - r, rect.top, rect.right, rect.top + h}, source.get(),
                 {cx + cw - r, cy, cx + cw, cy + ch});
    } else {
        CopyPart(dc, rect, source.get(), cell);
    }
    if (previousMode) SetStretchBltMode(dc, previousMode);
}

void TileRect(HDC dc, const RECT& dest, HBITMAP strip, const RECT& source) {
    const int sw = Width(source), sh = Height(source);
    if (!dc || sw <= 0 || sh <= 0 || Width(dest) <= 0 || Height(dest) <= 0) return;
    // Composed in memory (whole tiles, as they fall on the destination) and
    // copied with one BitBlt.
    Composition picture(RoundUpTo(Width(dest), sw), RoundUpTo(Height(dest), sh), Composition::Kind::Scratch);
    SourceDc from(strip);
    if (!picture.ok() || !from.ok()) return;
    TileInto(picture.dc(), {0, 0, picture.width(), picture.height()}, from.get(), source);
    BitBlt(dc, dest.left, dest.top, picture.width(), picture.height(), picture.dc(), 0, 0, SRCCOPY);
}

void TransparentDraw(HDC dc, const RECT& rect, HBITMAP picture, COLORREF keyColour) {
    if (!dc || !picture || Inverted(rect)) return;
    const SIZE size = BitmapSize(picture);
    // Drawn unscaled: nothing beyond the picture's own pixels.
    const int width = std::min<int>(Width(rect), size.cx);
    const int height = std::min<int>(Height(rect), size.cy);
    if (width <= 0 || height <= 0) return;
    // A private copy: the drawing blackens the key pixels of its source.
    Composition copy(width, height, Composition::Kind::Scratch);
    SourceDc source(picture);
    if (!copy.ok() || !source.ok()) return;
    BitBlt(copy.dc(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    MaskedDraw(dc, rect.left, rect.top, width, height, copy.dc(), copy.bits(), copy.stride(), keyColour);
}

UniqueRegion RegionFromBitmap(HBITMAP picture, int x, int y, int tolBlue, int tolGreen, int tolRed,
                              COLORREF keyColour) {
    const PixelBuffer pixels = ReadPixels(picture);
    const int keyRed = static_cast<int>(keyColour & 0xFF);
    const int keyGreen = static_cast<int>((keyColour >> 8) & 0xFF);
    const int keyBlue = static_cast<int>((keyColour >> 16) & 0xFF);
    const int highRed = std::min(255, keyRed + tolRed);
    const int highGreen = std::min(255, keyGreen + tolGreen);
    const int highBlue = std::min(255, keyBlue + tolBlue);
    auto isKey = [&](uint32_t p) {
        const int red = static_cast<int>((p >> 16) & 0xFF), green = static_cast<int>((p >> 8) & 0xFF),
                  blue = static_cast<int>(p & 0xFF);
        return red >= keyRed && red <= highRed && green >= keyGreen && green <= highGreen && blue >= keyBlue &&
               blue <= highBlue;
    };

    // Runs of non-key pixels per row. A row whose runs repeat the row above
    // extends that band's rectangles downwards instead of adding new ones:
    // the same region with far fewer rectangles.
    std::vector<RECT> rects;
    std::vector<std::pair<int, int>> bandRuns, rowRuns;
    int bandTop = 0;
    auto closeBand = [&](int bottom) {
        for (auto [from, to] : bandRuns) rects.push_back(RECT{from + x, bandTop + y, to + x, bottom + y});
    };
    for (int row = 0; row < pixels.height; ++row) {
        rowRuns.clear();
        const uint32_t* line = pixels.pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(pixels.width);
        for (int px = 0; px < pixels.width;) {
            while (px < pixels.width && isKey(line[px])) ++px;
            if (px >= pixels.width) break;
            const int start = px;
            while (px < pixels.width && !isKey(line[px])) ++px;
            rowRuns.emplace_back(start, px);
        }
        if (row == 0 || rowRuns != bandRuns) {
            if (row > 0) closeBand(row);
            bandRuns.swap(rowRuns);
            bandTop = row;
        }
    }
    if (pixels.height > 0) closeBand(pixels.height);

    // ExtCreateRegion is quadratic in its rectangle count on Wine; small
    // chunks merged pairwise (like a binary counter) keep the whole build
    // close to linear. A chunk never exceeds the 2000-rectangle limit.
    constexpr size_t kChunk = 32;
    struct Pending {
        UniqueRegion region;
        int level;
    };
    std::vector<Pending> stack;
    std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + kChunk * sizeof(RECT));
    for (size_t first = 0; first < rects.size(); first += kChunk) {
        const size_t count = std::min(kChunk, rects.size() - first);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = static_cast<DWORD>(count);
        data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
        RECT bounds = rects[first];
        for (size_t i = first; i < first + count; ++i) {
            bounds.left = std::min(bounds.left, rects[i].left);
            bounds.top = std::min(bounds.top, rects[i].top);
            bounds.right = std::max(bounds.right, rects[i].right);
            bounds.bottom = std::max(bounds.bottom, rects[i].bottom);
        }
        data->rdh.rcBound = bounds;
        std::copy(rects.begin() + static_cast<ptrdiff_t>(first), rects.begin() + static_cast<ptrdiff_t>(first + count),
                  reinterpret_cast<RECT*>(data->Buffer));
        UniqueRegion chunk(ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + count * sizeof(RECT)), data));
        if (!chunk) continue;
        stack.push_back({std::move(chunk), 0});
        while (stack.size() >= 2 && stack[stack.size() - 1].level == stack[stack.size() - 2].level) {
            Pending top = std::move(stack.back());
            stack.pop_back();
            CombineRgn(stack.back().region.get(), stack.back().region.get(), top.region.get(), RGN_OR);
            ++stack.back().level;
        }
    }
    if (stack.empty()) return UniqueRegion(CreateRectRgn(0, 0, 0, 0));
    while (stack.size() >= 2) {
        Pending top = std::move(stack.back());
        stack.pop_back();
        CombineRgn(stack.back().region.get(), stack.back().region.get(), top.region.get(), RGN_OR);
    }
    return std::move(stack.front().region);
}

void PaintParentBackground(HWND control, HDC dc) {
    if (!control || !dc || !(GetWindowLongPtrW(control, GWL_STYLE) & WS_CHILD)) return;
    HWND parent = GetParent(control);
    if (!parent) return;
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    RECT client{};
    GetClientRect(control, &client);
    const int left = bounds.left, top = bounds.top;
    SavedDc saved(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - left, origin.y - top, nullptr);
    IntersectClipRect(dc, client.left + left, client.top + top, client.right + left, client.bottom + top);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(parent, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

int DrawTextWide(HDC dc, std::u16string_view text, RECT& rect, UINT format) {
    static_assert(sizeof(WCHAR) == sizeof(char16_t));
    return DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()), &rect, format);
}

WorkBitmap::~WorkBitmap() {
    if (original_) SelectObject(dc_.get(), original_);
}

HDC WorkBitmap::Prepare(int width, int height) {
    if (!dc_) {
        dc_ = UniqueMemoryDc::Compatible();
        if (!dc_) return nullptr;
        SetStretchBltMode(dc_.get(), COLORONCOLOR);
    }
    if (width > size_.cx || height > size_.cy) {
        const int newWidth = std::max<int>(width, size_.cx), newHeight = std::max<int>(height, size_.cy);
        UniqueBitmap grown = CreateBitmap32(newWidth, newHeight);
        if (!grown) return dc_.get();
        HGDIOBJ previous = SelectObject(dc_.get(), grown.get());
        if (!original_) original_ = previous;
        bitmap_ = std::move(grown);  // the old bitmap is no longer selected
        size_ = SIZE{newWidth, newHeight};
    }
    return dc_.get();
}

WorkBitmap& SharedWorkBitmap() {
    static WorkBitmap work;
    return work;
}

}  // namespace quorvane
