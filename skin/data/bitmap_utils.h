// Pixel and colour routines used to derive skin elements and to recolour,
// flip and rotate glyphs. Bitmaps are device-independent; the routines that
// change a bitmap replace it in place with a new 24-bit DIB section (the old
// handle is deleted). A bitmap must not be selected into a DC while one of
// these routines works on it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/data/bmp_decoder.h"
#include "skin/data/gdi_handles.h"

namespace quorvane {

// RGB(255, 0, 255): the transparent key colour of every skin picture.
constexpr COLORREF kKeyColour = 0x00FF00FF;

// A colour with the top bit set is a system colour whose low byte is the
// platform's colour index; anything else is 0x00BBGGRR.
constexpr bool IsSystemColour(COLORREF colour) { return (colour & 0x80000000u) != 0; }
// Resolves a system colour with GetSysColor; plain colours pass through.
COLORREF ResolveColour(COLORREF colour);

// --- Pixel access (also used by the painters, tools and tests) -------------

// Converts between 0x00BBGGRR (COLORREF) and 0x00RRGGBB (pixel memory order).
constexpr uint32_t PixelFromColour(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
constexpr COLORREF ColourFromPixel(uint32_t p) { return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF); }

SIZE BitmapSize(HBITMAP bitmap);  // {0, 0} for a null or invalid handle
int BitmapBitsPerPixel(HBITMAP bitmap);
// Reads every pixel (any source depth). Empty buffer for a null/empty bitmap.
PixelBuffer ReadPixels(HBITMAP bitmap);
// A new 24-bit DIB section of the given size, black. Null for a size <= 0.
UniqueBitmap CreateBitmap24(int width, int height);
// A new 32-bit top-down DIB section; bits (0x00RRGGBB per pixel) optional.
UniqueBitmap CreateBitmap32(int width, int height, uint32_t** bits = nullptr);
// A new 24-bit DIB section holding the pixels.
UniqueBitmap BitmapFromPixels(const PixelBuffer& buffer);
// A 24-bit copy of any bitmap (empty handle stays empty).
UniqueBitmap CopyBitmap24(HBITMAP source);
// Loads a BMP file image held in memory (every header variant, depth and
// compression the BMP decoder reads) into a 24-bit DIB section. Malformed or
// truncated data, and pictures above 32768 pixels a side or 64 M pixels,
// give an empty handle.
UniqueBitmap LoadBitmapFromMemory(const uint8_t* data, size_t size);

// --- The routines ----------------------------------------------------------

// To 24 bits; each pixel's components become (R + G + B) / 3.
void Grayscale(UniqueBitmap& bitmap);
// To 24 bits; every pixel exactly RGB(255, 0, 255) becomes colour (taken as
// red = low byte, green, blue; a system colour is not resolved).
void ReplaceMagenta(UniqueBitmap& bitmap, COLORREF colour);
// Pixel x of each row takes pixel (width - 1 - x).
void MirrorHorizontal(UniqueBitmap& bitmap);
// Row y takes row (height - 1 - y).
void FlipVertical(UniqueBitmap& bitmap);
// 90 degrees counter-clockwise: result is height x width, and
// result(x, y) = source(width - 1 - y, x).
void RotateLeft(UniqueBitmap& bitmap);
// 90 degrees clockwise: result(x, y) = source(y, height - 1 - x).
void RotateRight(UniqueBitmap& bitmap);

// Per-channel mix of c1 and c2 (system colours resolved). Weights below 100
// are percent of c1; from 100 on they are per mille of c1.
COLORREF Blend(COLORREF c1, COLORREF c2, int weight);

// Gradient tables: a process-wide cache of 16 slots reused in ring order.
constexpr int kGradientSlots = 16;
// Index of the slot holding count colours running from c1 to c2 (plain RGB).
int GradientTable(int count, COLORREF c1, COLORREF c2);
// The colours of a slot (0..15).
const std::vector<COLORREF>& GradientSlot(int slot);
// Empties the cache and resets the ring (for tests).
void ResetGradientCache();

enum class GradientDirection : int {
    Columns = 0,  // left to right
    Rows = 1,     // top to bottom
};
// Paints a gradient from c1 to c2 over rect, one solid band per row or column,
// only for the bands inside the DC's clip box (each with the colour it has in
// the whole gradient).
void GradientFill(HDC dc, const RECT& rect, COLORREF c1, GradientDirection direction, COLORREF c2);

// 0..255 saturation of a colour, or 200 when no component is above 159.
int SaturationMeasure(COLORREF colour);

}  // namespace quorvane
