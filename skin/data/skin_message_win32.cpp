// The skin-version message in the Winelib build: a plain message box with the
// application title and one OK button.
#include "framework/message_box.h"
#include "skin/data/skin_reader.h"

namespace quorvane {

void ShowSkinVersionMessage(const std::string& text)
{
    ShowMessageBox(nullptr, text, "Quorvane", MB_OK);
}

}  // namespace quorvane
