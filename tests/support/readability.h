// How readable a window's captions are, measured from the pixels on the
// screen: for each caption the colour of its ground (the most frequent
// colour where it stands) and of its ink (the colour that differs most from
// the ground), and their contrast ratio.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace quorvane {
class TWinControl;
}

namespace quorvane::testsupport {

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(COLORREF colour);
// (L1 + 0.05) / (L2 + 0.05) with L1 the lighter: 1 to 21.
double ContrastRatio(COLORREF a, COLORREF b);

// A copy of a screen rectangle's pixels.
class ScreenPixels {
public:
    explicit ScreenPixels(const RECT& screenRect);
    COLORREF At(int screenX, int screenY) const;
    bool Contains(const RECT& screenRect) const;

private:
    RECT rect_;
    std::vector<COLORREF> pixels_;
};

struct CaptionSample {
    std::string what;  // class name and caption
    bool enabled = true;
    COLORREF ground = 0;
    COLORREF ink = 0;
    double ratio = 1.0;
};

// Ground and ink in a screen rectangle. Ink: of the colours seen on at
// least two pixels, the one of highest contrast with the ground; a
// rectangle of one colour has ink == ground (ratio 1).
CaptionSample MeasureRect(const ScreenPixels& pixels, const RECT& screenRect);

// Every visible caption of the controls inside `root` (labels, check boxes
// and radio buttons, push, glyph, speed and tool buttons, group and panel
// captions, edit texts, the dates and times of date-time pickers), measured where it is drawn on the screen. The
// window must be on top and painted.
std::vector<CaptionSample> MeasureCaptions(TWinControl* root);

// The face of every check box standing inside a field (a date-time
// picker's "no date" box) against the field's own ground: `ground` is the
// field's colour, `ink` the box's face, `ratio` their contrast (1 when the
// box takes the field's colours).
std::vector<CaptionSample> MeasureCheckBoxFaces(TWinControl* root);

// Every visible static text, button and edit of a bare (non-framework)
// window, measured the same way.
std::vector<CaptionSample> MeasureWindowTexts(HWND root);

}  // namespace quorvane::testsupport
