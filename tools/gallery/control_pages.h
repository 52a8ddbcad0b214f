// The gallery's pages of control families: each shows every control of a
// family in its states (normal, focused, pressed, checked, grey, disabled)
// on a framework form; one more page is a bare dialog made from a dialog
// template holding the platform's controls.
#pragma once
#include <string>
#include <vector>

namespace quorvane {
class TForm;
class TSkinData;
}

namespace quorvane::gallery {

struct ControlPage {
    const char* caption;  // menu caption with its accelerator
    TForm* (*open)();      // opens the page (a bare dialog answers null)
};

// The pages, in menu order.
const std::vector<ControlPage>& ControlPages();

// The gallery's own control classes join the skin data's class map.
void AddGalleryClasses(TSkinData& skinData);

// A page control with this Tag shows a close box on each tab.
inline constexpr int kCloseBoxTag = 7777;

}  // namespace quorvane::gallery
