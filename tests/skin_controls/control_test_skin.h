// The skin of the control skinner tests: every frame of every control
// element in a colour of its own, loaded into a skin data component, a
// shown stage form the tests put their controls on, and pixel readers.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/forms.h"
#include "skin/data/skin_data.h"

namespace quorvane::controltest {

// Frame colours (frame numbers from 1).
COLORREF ArrowColour(int frame);        // Scrollbar strip, 23 frames
COLORREF TrackColour(bool vertical, int frame);  // HorzScroll / VertScroll
COLORREF ThumbColour(bool vertical, int frame);  // scroll thumbs, 3 frames
COLORREF SunkColour(int frame);         // SunkEdge
COLORREF ComboColour(int frame);        // ComboButton
COLORREF ExtraColour(int frame);        // ExtraImages
COLORREF EdgeColour(int frame);         // StatusBarEdges
COLORREF ProgressColour(int frame);     // Progress, 2 frames
COLORREF TrackbarThumbColour(int thumb, int frame);  // thumb: Horz, Vert, Left, Right, Up, Down
COLORREF UpDownColour(bool vertical, int frame);
COLORREF TabColour(int frame);
COLORREF PaneColour();
COLORREF HeaderColour(int frame);
COLORREF ButtonColour(int frame);
inline constexpr COLORREF kFace = RGB(236, 233, 230);
inline constexpr COLORREF kShadow = RGB(120, 121, 122);
inline constexpr COLORREF kTrackGroove = RGB(77, 78, 79);

// The package and the loaded component (not registered with a manager).
std::vector<uint8_t> ControlSkinPackage();
TSkinData& Skin();

// The shown form the tests place their controls on (kept for the run).
TForm* Stage();
void Pump(int milliseconds = 0);
// Real input: mouse moves, buttons and keys through the input queue.
void MouseTo(POINT screen);
void MouseButton(bool down);
void Keys(std::initializer_list<WORD> keys);

// A pixel of a window as it is on the screen (client coordinates).
COLORREF ScreenPixel(HWND window, int x, int y);

}  // namespace quorvane::controltest
