// Where the parts of a skinned frame go, worked out from the skin's raw
// numbers: plain arithmetic without the platform, so the fuzzers run it
// natively. Skin values come straight from a description (any 32-bit
// value); each is clamped as it is read (ClampSkinValue), as the painters
// clamp margins, so no sum of them can overflow an int.
#pragma once
#include <cstdint>

namespace quorvane {

// No picture is wider than 32768 pixels and no window larger than the
// platform's 16-bit coordinates: a skin value beyond +-2^20 means nothing
// more than one at the limit.
inline constexpr int kSkinValueLimit = 1 << 20;

constexpr int ClampSkinValue(int64_t value)
{
    return value < -kSkinValueLimit ? -kSkinValueLimit : value > kSkinValueLimit ? kSkinValueLimit : static_cast<int>(value);
}

// What a caption button's place depends on besides its own numbers (window
// coordinates; clamped like skin values).
struct CaptionFrame {
    int windowWidth = 0;
    int frameLeft = 0, frameTop = 0, frameRight = 0;
    int menuBarHeight = 0;
    int menuLeftWidth = 0;  // the menu bar element's LeftWidth
    int anchorLeft = 0, anchorRight = 0;  // the caption text's edges
    bool rightToLeft = false;
};

struct FrameBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The rectangle of a caption button of the given picture size (one frame)
// by its Align, Xcoord and Ycoord: 0 from the left, 1 from the right,
// 2/8 left of the caption text, 3/9 right of it, 100 in the menu bar (an
// MDI child's button); any other Align puts it at 0,0.
FrameBox PlaceCaptionButton(int32_t align, int32_t xcoord, int32_t ycoord, int64_t width, int64_t height,
                            const CaptionFrame& frame);

// Where the first entry of the menu bar starts in a band of bandWidth.
// hasPicture: the skin draws the bar (else 6).
int MenuBarStart(bool hasPicture, int32_t leftWidth, int32_t rightWidth, bool rightToLeft, int64_t bandWidth);

// The width a dialog needs to show its caption: the title's fixed parts
// around the text.
int CaptionWidthNeeded(int32_t titleLeftWidth, int64_t textWidth, int32_t titleRightWidth);

// The band the caption text may use (window coordinates): after the
// title's LeftWidth, before its RightWidth (mirrored right to left).
FrameBox CaptionTextBand(int32_t titleLeftWidth, int32_t titleRightWidth, bool rightToLeft, int64_t windowWidth,
                         int64_t frameLeft, int64_t frameRight);

// Where a window goes when a new frame makes it `width` x `height` around
// the same client: `before` is its rectangle and `work` the work area of
// its monitor (screen coordinates). On each axis a window wholly inside the
// work area stays inside it; one flush with the far (right or bottom) edge
// stays flush, so it grows or shrinks towards the near side; otherwise it
// keeps its left and top. A window already reaching past the work area is
// left where the user put it.
FrameBox PlaceRefittedWindow(const FrameBox& before, int width, int height, const FrameBox& work);

}  // namespace quorvane
