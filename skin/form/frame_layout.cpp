#include "skin/form/frame_layout.h"

namespace quorvane {

FrameBox PlaceCaptionButton(int32_t align, int32_t xcoord, int32_t ycoord, int64_t width, int64_t height,
                            const CaptionFrame& frame)
{
    const int x0 = ClampSkinValue(xcoord), y0 = ClampSkinValue(ycoord);
    const int w = ClampSkinValue(width), h = ClampSkinValue(height);
    const int windowWidth = ClampSkinValue(frame.windowWidth);
    const int frameLeft = ClampSkinValue(frame.frameLeft), frameTop = ClampSkinValue(frame.frameTop);
    const int frameRight = ClampSkinValue(frame.frameRight), menuBar = ClampSkinValue(frame.menuBarHeight);
    const int menuLeft = ClampSkinValue(frame.menuLeftWidth);
    const int anchorLeft = ClampSkinValue(frame.anchorLeft), anchorRight = ClampSkinValue(frame.anchorRight);
    int x = 0, y = 0;
    switch (align) {
    case 0:
        x = x0;
        y = y0;
        break;
    case 1:
        x = windowWidth - x0;
        y = y0;
        break;
    case 2:
    case 8:
        x = anchorLeft - w - x0;
        y = y0;
        break;
    case 3:
    case 9:
        x = x0 + anchorRight;
        y = y0;
        break;
    case 100:
        x = frame.rightToLeft ? x0 + menuLeft + frameLeft : windowWidth - x0 - frameRight - menuLeft;
        y = frameTop + (menuBar - h) / 2;
        break;
    default:
        break;
    }
    return FrameBox{x, y, x + w, y + h};
}

int MenuBarStart(bool hasPicture, int32_t leftWidth, int32_t rightWidth, bool rightToLeft, int64_t bandWidth)
{
    if (!hasPicture) return 6;
    const int x0 = rightToLeft ? ClampSkinValue(rightWidth) + 8 : ClampSkinValue(leftWidth) + 4;
    return bandWidth < x0 ? 12 : x0;
}

namespace {

// The new near edge of a window on one axis (see PlaceRefittedWindow).
int PlaceOnAxis(int nearEdge, int farEdge, int size, int workNear, int workFar)
{
    if (nearEdge < workNear || farEdge > workFar) return nearEdge;
    int placed = farEdge == workFar && nearEdge > workNear ? workFar - size : nearEdge;
    if (placed + size > workFar) placed = workFar - size;
    return placed < workNear ? workNear : placed;
}

}  // namespace

FrameBox PlaceRefittedWindow(const FrameBox& before, int width, int height, const FrameBox& work)
{
    const int left = PlaceOnAxis(before.left, before.right, width, work.left, work.right);
    const int top = PlaceOnAxis(before.top, before.bottom, height, work.top, work.bottom);
    return FrameBox{left, top, left + width, top + height};
}

int CaptionWidthNeeded(int32_t titleLeftWidth, int64_t textWidth, int32_t titleRightWidth)
{
    return ClampSkinValue(titleLeftWidth) + ClampSkinValue(textWidth) + ClampSkinValue(titleRightWidth);
}

FrameBox CaptionTextBand(int32_t titleLeftWidth, int32_t titleRightWidth, bool rightToLeft, int64_t windowWidth,
                         int64_t frameLeft, int64_t frameRight)
{
    const int leading = ClampSkinValue(rightToLeft ? titleRightWidth : titleLeftWidth);
    const int trailing = ClampSkinValue(rightToLeft ? titleLeftWidth : titleRightWidth);
    return FrameBox{ClampSkinValue(frameLeft) + leading, 0,
                    ClampSkinValue(windowWidth) - ClampSkinValue(frameRight) - trailing, 0};
}

}  // namespace quorvane
