// Drawing helpers shared by the scroll bar, combo, edit, status, tab and
// media player skinners: off-screen composition with one copy to the
// screen, skin colours, plain frames and the skin's element checks.
#pragma once
#include <windows.h>

#include <functional>

#include "skin/data/gdi_handles.h"
#include "skin/data/skin_data.h"

namespace quorvane {

// The element exists and has pixels.
bool HasPicture(const TDataSkinObject* element);
// A skin colour as a COLORREF (system colours resolved); the skin's
// ButtonFace when skinData is null falls back to the system's.
COLORREF SkinFace(const TSkinData* skinData);
COLORREF SkinShadow(const TSkinData* skinData);
COLORREF SkinDarkShadow(const TSkinData* skinData);
// One-pixel frame of rect in colour.
void FrameColour(HDC dc, const RECT& rect, COLORREF colour);
void FillColour(HDC dc, const RECT& rect, COLORREF colour);

// A picture composed off-screen and copied to a window in one blit, so a
// control never shows half of a paint. Surfaces are reused: one process-wide
// surface grows to the largest size asked for; a second surface asked for
// while the first is in use (a paint inside a paint) is a temporary one.
class ComposedPicture {
public:
    // A DC of at least width x height, its origin at the picture's corner,
    // stretch mode COLORONCOLOR. Null for an empty size.
    ComposedPicture(int width, int height);
    ~ComposedPicture();
    ComposedPicture(const ComposedPicture&) = delete;
    ComposedPicture& operator=(const ComposedPicture&) = delete;

    HDC dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    explicit operator bool() const { return dc_ != nullptr; }
    // Copies the picture (width x height) to dc at (x, y).
    void CopyTo(HDC target, int x, int y) const;
    // The picture as a new 24-bit bitmap (for rotating or flipping).
    UniqueBitmap Snapshot() const;

private:
    HDC dc_ = nullptr;
    int width_ = 0, height_ = 0;
    bool shared_ = false;
    UniqueMemoryDc ownDc_;
    UniqueBitmap ownBitmap_;
    HGDIOBJ ownPrevious_ = nullptr;
};

// Paints a window whose own painting can go into a given DC: the window
// paints its client area into an off-screen picture (paintControl gets that
// DC), overlay draws the skin over it in window coordinates (its rect is the
// window rectangle at the origin), and the picture goes to the screen in one
// copy. Begins and ends the paint itself.
void PaintBuffered(HWND window, const std::function<void(HDC)>& paintControl,
                   const std::function<void(HDC, const RECT&)>& overlay);

// Draws a bitmap unscaled at (x, y) of dc.
void DrawBitmapAt(HDC dc, int x, int y, HBITMAP bitmap);

// For a control that paints in the platform's colours whatever it is told:
// a pixel on the line from fromGround to fromInk (text, its smoothed edges
// included) moves to the same place on the line from toGround to toInk and
// the answer is true; any other pixel stays and the answer is false.
bool RecolourPixel(COLORREF& pixel, COLORREF fromGround, COLORREF fromInk, COLORREF toGround, COLORREF toInk);

// Answers a WM_PAINT of a window that paints in the platform's colours:
// the window paints its client area (paintControl gets the DC) into a
// 32-bit picture first filled with ground, recolour changes the picture's
// pixels (width x height, rows from the top), and the picture goes to the
// screen in one copy. Begins and ends the paint itself.
void PaintRecolouredClient(HWND window, COLORREF ground, const std::function<void(HDC)>& paintControl,
                           const std::function<void(RGBQUAD* pixels, int width, int height)>& recolour);

}  // namespace quorvane
