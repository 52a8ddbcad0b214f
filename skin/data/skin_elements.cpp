#include "skin/data/skin_elements.h"

#include "skin/data/bitmap_utils.h"
#include "skin/data/builtin_bitmaps.h"

namespace quorvane {

bool IsEmptyBitmap(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    return size.cx <= 0 || size.cy <= 0;
}

UniqueBitmap CopyBitmapPart(HBITMAP source, int x, int y, int width, int height)
{
    UniqueBitmap copy = CreateBitmap24(width, height);
    if (!copy || source == nullptr) return copy;
    UniqueMemoryDc from = UniqueMemoryDc::Compatible(), to = UniqueMemoryDc::Compatible();
    SelectGuard a(from.get(), source), b(to.get(), copy.get());
    BitBlt(to.get(), 0, 0, width, height, from.get(), x, y, SRCCOPY);
    return copy;
}

std::unique_ptr<TDataSkinObject> MakeBuiltInTrack(bool vertical)
{
    auto track = std::make_unique<TDataSkinObject>(vertical ? "TRACKVERT" : "Track");
    track->Bitmap = vertical ? CreateBuiltInTrackVert() : CreateBuiltInTrack();
    track->LeftWidth = track->TopHeight = track->RightWidth = track->BottomHeight = 3;
    track->Tile = 0;
    track->Frame = 1;
    return track;
}

}  // namespace quorvane
