// The skin sheet's list of elements: every element slot of a loaded skin,
// derived ones included, with the frame layout and drawing its painter uses.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "skin/data/skin_content.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

struct ElementInfo {
    std::string label;
    HBITMAP strip = nullptr;
    int frames = 1;
    bool stacked = false;
    Margins margins{};
    bool transparent = true;
    bool tile = false;
    bool glyph = false;  // drawn as a plain frame (no nine-part), larger size stretched
    std::string note;    // shown after the frame count
    bool reversed = false;  // state n is drawn with frame (frames + 1 - n)
};

// An element as the engine loaded it, with the frame layout its painter uses.
ElementInfo From(const std::string& label, const TDataSkinObject* e, int frames, bool stacked = false,
                 bool glyph = false, HBITMAP strip = nullptr);

// Every element slot of the loaded skin, derived ones included (the combo
// box composite and its mirror, the combo arrow, the tool bar gradient, the
// MDI buttons, the track grooves).
std::vector<ElementInfo> ListElements(const SkinContent& skin);

// The size of one frame of the strip.
SIZE FrameSize(HBITMAP strip, bool stacked, int frames);
// Draws frame `frame` of the element into r, as its painter does.
void DrawFrame(HDC dc, const ElementInfo& e, const RECT& r, int frame);

}  // namespace quorvane
