#include "skin/controls/control_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "skin/data/bitmap_utils.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

// The process-wide surface: a 24-bit DIB section that only grows.
struct SharedSurface {
    UniqueMemoryDc dc;
    UniqueBitmap bitmap;
    HGDIOBJ previous = nullptr;
    SIZE size{0, 0};
    bool busy = false;

    SharedSurface() = default;
    SharedSurface(const SharedSurface&) = delete;
    SharedSurface& operator=(const SharedSurface&) = delete;
    ~SharedSurface()
    {
        if (dc && previous) SelectObject(dc.get(), previous);
    }
    HDC Prepare(int width, int height)
    {
        if (!dc) {
            dc = UniqueMemoryDc::Compatible();
            if (!dc) return nullptr;
            SetStretchBltMode(dc.get(), COLORONCOLOR);
        }
        if (width > size.cx || height > size.cy) {
            // Grow with some room, so a control resized by a pixel at a time
            // does not make a new bitmap for every step.
            const int w = std::max(width, static_cast<int>(size.cx)) + 64;
            const int h = std::max(height, static_cast<int>(size.cy)) + 16;
            UniqueBitmap grown = CreateBitmap24(w, h);
            if (!grown) return nullptr;
            HGDIOBJ old = SelectObject(dc.get(), grown.get());
            if (!previous) previous = old;
            bitmap = std::move(grown);
            size = {w, h};
        }
        return dc.get();
    }
};

SharedSurface& Surface()
{
    static SharedSurface surface;
    return surface;
}

}  // namespace

bool HasPicture(const TDataSkinObject* element)
{
    return element && !IsEmptyBitmap(element->Bitmap);
}

COLORREF SkinFace(const TSkinData* skinData)
{
    return skinData ? ResolveColour(skinData->Colours.ButtonFace) : GetSysColor(COLOR_BTNFACE);
}

COLORREF SkinShadow(const TSkinData* skinData)
{
    return skinData ? ResolveColour(skinData->Colours.ButtonShadow) : GetSysColor(COLOR_BTNSHADOW);
}

COLORREF SkinDarkShadow(const TSkinData* skinData)
{
    return skinData ? ResolveColour(skinData->Colours.ButtonDkShadow) : GetSysColor(COLOR_3DDKSHADOW);
}

void FrameColour(HDC dc, const RECT& rect, COLORREF colour)
{
    UniqueBrush brush(CreateSolidBrush(colour));
    FrameRect(dc, &rect, brush.get());
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour)
{
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

ComposedPicture::ComposedPicture(int width, int height) : width_(width), height_(height)
{
    if (width <= 0 || height <= 0) return;
    SharedSurface& surface = Surface();
    if (!surface.busy) {
        dc_ = surface.Prepare(width, height);
        if (dc_) {
            surface.busy = true;
            shared_ = true;
            return;
        }
    }
    ownDc_ = UniqueMemoryDc::Compatible();
    ownBitmap_ = CreateBitmap24(width, height);
    if (!ownDc_ || !ownBitmap_) return;
    ownPrevious_ = SelectObject(ownDc_.get(), ownBitmap_.get());
    SetStretchBltMode(ownDc_.get(), COLORONCOLOR);
    dc_ = ownDc_.get();
}

ComposedPicture::~ComposedPicture()
{
    if (shared_) {
        // Whatever the painters left selected goes back to the defaults.
        SelectClipRgn(dc_, nullptr);
        SetViewportOrgEx(dc_, 0, 0, nullptr);
        Surface().busy = false;
    }
    if (ownDc_ && ownPrevious_) SelectObject(ownDc_.get(), ownPrevious_);
}

void ComposedPicture::CopyTo(HDC target, int x, int y) const
{
    if (dc_ && target) BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

UniqueBitmap ComposedPicture::Snapshot() const
{
    UniqueBitmap copy = CreateBitmap24(width_, height_);
    if (!copy || !dc_) return copy;
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    SelectGuard select(dc.get(), copy.get());
    BitBlt(dc.get(), 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    return copy;
}

void PaintBuffered(HWND window, const std::function<void(HDC)>& paintControl,
                   const std::function<void(HDC, const RECT&)>& overlay)
{
    PaintDc paint(window);
    RECT client{}, windowRect{};
    GetClientRect(window, &client);
    GetWindowRect(window, &windowRect);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const POINT offset{origin.x - windowRect.left, origin.y - windowRect.top};
    ComposedPicture picture(client.right, client.bottom);
    if (!picture || !paint.get()) return;
    {
        SavedDcState saved(picture.dc());
        paintControl(picture.dc());
    }
    {
        SavedDcState saved(picture.dc());
        SetViewportOrgEx(picture.dc(), -offset.x, -offset.y, nullptr);
        RECT rect = windowRect;
        OffsetRect(&rect, -rect.left, -rect.top);
        overlay(picture.dc(), rect);
    }
    picture.CopyTo(paint.get(), 0, 0);
}

void DrawBitmapAt(HDC dc, int x, int y, HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0) return;
    UniqueMemoryDc source = UniqueMemoryDc::Compatible();
    SelectGuard select(source.get(), bitmap);
    BitBlt(dc, x, y, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
}

bool RecolourPixel(COLORREF& pixel, COLORREF fromGround, COLORREF fromInk, COLORREF toGround, COLORREF toInk)
{
    const int from[3] = {GetRValue(fromGround), GetGValue(fromGround), GetBValue(fromGround)};
    const int ink[3] = {GetRValue(fromInk), GetGValue(fromInk), GetBValue(fromInk)};
    const int value[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
    // The position along the line, read on the channel that changes most.
    int widest = 0;
    for (int c = 1; c < 3; ++c)
        if (std::abs(ink[c] - from[c]) > std::abs(ink[widest] - from[widest])) widest = c;
    const int span = ink[widest] - from[widest];
    if (span == 0) return false;
    const double t = static_cast<double>(value[widest] - from[widest]) / span;
    if (t < -0.02 || t > 1.02) return false;
    constexpr int kTolerance = 12;  // rounding of smoothed text
    for (int c = 0; c < 3; ++c)
        if (std::abs(from[c] + t * (ink[c] - from[c]) - value[c]) > kTolerance) return false;
    const double along = std::clamp(t, 0.0, 1.0);
    auto mix = [along](int a, int b) { return static_cast<BYTE>(std::lround(a + along * (b - a))); };
    pixel = RGB(mix(GetRValue(toGround), GetRValue(toInk)), mix(GetGValue(toGround), GetGValue(toInk)),
                mix(GetBValue(toGround), GetBValue(toInk)));
    return true;
}

void PaintRecolouredClient(HWND window, COLORREF ground, const std::function<void(HDC)>& paintControl,
                           const std::function<void(RGBQUAD* pixels, int width, int height)>& recolour)
{
    RECT client{};
    GetClientRect(window, &client);
    PAINTSTRUCT paint{};
    HDC screen = BeginPaint(window, &paint);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (screen && width > 0 && height > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        UniqueBitmap surface(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemoryDc memory(CreateCompatibleDC(screen));
        if (surface && bits && memory) {
            SelectGuard select(memory.get(), surface.get());
            FillColour(memory.get(), client, ground);
            paintControl(memory.get());
            GdiFlush();
            recolour(static_cast<RGBQUAD*>(bits), width, height);
            BitBlt(screen, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(window, &paint);
}

}  // namespace quorvane
