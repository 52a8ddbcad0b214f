// The skin engine's built-in pictures, drawn in code: the track bar grooves
// used when a skin has none ("TRACK" 16 x 4, "TRACKVERT" 4 x 16) and the menu
// glyph strip "TUMBRELMENU" (64 x 16: check mark, radio bullet, submenu arrow,
// close cross; black on white, white being the mask colour).
#pragma once
#include <windows.h>

#include "skin/data/gdi_handles.h"

namespace quorvane {

// Each returns a new 24-bit bitmap (empty only when GDI is out of memory).
UniqueBitmap CreateBuiltInTrack();
UniqueBitmap CreateBuiltInTrackVert();
UniqueBitmap CreateMenuGlyphStrip();

// Loads one of the three by its resource name ("TRACK", "TRACKVERT",
// "TUMBRELMENU", compared without regard to case); empty for any other name.
UniqueBitmap LoadBuiltInBitmap(const char* name);

}  // namespace quorvane
