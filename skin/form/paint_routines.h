// The shared element painters: turn a skin strip (a bitmap of equal frames)
// into pictures of any size by the nine-part rule, draw them with the key
// colour RGB(255, 0, 255) transparent, build window regions from pictures,
// paint a control's parent behind it, and draw wide text.
//
// Frames are numbered from 1. A frame number outside 1..frames paints frame
// 1, a frame count below 1 counts as 1, and a strip narrower (or lower) than
// its frame count paints nothing. Empty strips paint nothing. Margins come
// straight from skin files: negative ones count as 0, and none can make the
// painters' sums overflow.
#pragma once
#include <windows.h>

#include <string_view>

#include "skin/data/bitmap_utils.h"
#include "skin/data/gdi_handles.h"

namespace quorvane {

// An element's margins in pixels: left = LeftWidth, top = TopHeight,
// right = RightWidth, bottom = BottomHeight.
using Margins = RECT;

// The rectangle of frame `frame` in a strip: side by side (frame width =
// strip width / frames) or stacked (frame height = strip height / frames).
// Empty when the strip is empty or too small for its frame count.
RECT FrameCell(SIZE stripSize, bool stacked, int frames, int frame);

// A new bitmap of `size` showing the frame stretched by the nine-part rule:
// corners kept, edges stretched along one axis, centre stretched (or tiled
// when `tile`). Margins that do not fit are dropped in pairs (left + right
// wider than the target: both 0; likewise top + bottom). A 32-bit bitmap;
// empty for a size <= 0.
UniqueBitmap NinePartPicture(SIZE size, HBITMAP strip, const Margins& margins, bool stacked, bool tile,
                             int frames, int frame);

// NinePartPicture for rect's size drawn at rect, key colour transparent or
// opaque. Nothing for an inverted rect.
void DrawElement(HDC dc, const RECT& rect, HBITMAP strip, bool stacked, bool tile, bool transparent,
                 int frames, int frame, const Margins& margins);

// Horizontal three-part picture: left cap (margins.left), middle tiled in
// pieces of the cell's middle width, right cap (margins.right); each piece
// stretched to rect's height. Without a middle only the caps are drawn. A
// cap wider than rect is cut to rect's width.
void DrawThreePart(HDC dc, const RECT& rect, HBITMAP strip, bool stacked, bool transparent, int frames,
                   int frame, const Margins& margins);

// Frame `frame` of a side-by-side strip stretched into rect.
void DrawStripFrame(HDC dc, const RECT& rect, HBITMAP strip, bool transparent, int frames, int frame);

// Frame `frame` of a side-by-side strip unscaled, centred in rect (halves
// rounded toward zero).
void DrawStripFrameCentred(HDC dc, const RECT& rect, HBITMAP strip, bool transparent, int frames, int frame);

// Left cap, stretched middle and right cap drawn straight onto dc; when rect
// is narrower than the cell the whole cell is stretched into it. A cap wider
// than the cell is cut to the cell's width.
void DrawThreePartStretched(HDC dc, const RECT& rect, HBITMAP strip, bool stacked, int frames, int frame,
                            const Margins& margins);

// Repeats `source` of strip over dest from its top-left corner. Tiles are not
// clipped to dest: the last row and column may run past it.
void TileRect(HDC dc, const RECT& dest, HBITMAP strip, const RECT& source);

// Draws picture at rect's top-left, rect's size, unscaled, leaving the
// destination unchanged where the picture has keyColour. Only the parts of
// the picture that hold key-coloured pixels go through the masked blit.
void TransparentDraw(HDC dc, const RECT& rect, HBITMAP picture, COLORREF keyColour);

// The region of all pixels that are not (close to) keyColour, moved by
// (x, y). A pixel is a key pixel when each channel lies between the key's
// channel and that channel plus its tolerance. The caller owns the result;
// an all-key (or empty) picture gives an empty region.
UniqueRegion RegionFromBitmap(HBITMAP picture, int x, int y, int tolBlue, int tolGreen, int tolRed,
                              COLORREF keyColour);

// Makes the control's parent paint its background and contents into dc
// (which draws in the control's client coordinates), under the control.
// Nothing for a window without a parent.
void PaintParentBackground(HWND control, HDC dc);

// DrawTextW of UTF-16 text; returns its result (the text height).
int DrawTextWide(HDC dc, std::u16string_view text, RECT& rect, UINT format);

// The shared work bitmap: scratch space for the frame and menu bar painters.
// One per process, with stretch mode COLORONCOLOR; Prepare grows it to at
// least the given size and returns its DC (the bitmap is selected into it).
class WorkBitmap {
public:
    WorkBitmap() = default;
    WorkBitmap(const WorkBitmap&) = delete;
    WorkBitmap& operator=(const WorkBitmap&) = delete;
    ~WorkBitmap();
    HDC Prepare(int width, int height);
    HDC Dc() const { return dc_.get(); }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    SIZE Size() const { return size_; }

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ original_ = nullptr;
    SIZE size_{0, 0};
};
WorkBitmap& SharedWorkBitmap();

}  // namespace quorvane
