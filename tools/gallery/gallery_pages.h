// The windows the gallery opens: a message box, a dialog made from a dialog
// template, a form dialog and an MDI frame with two children.
#pragma once
#include <functional>
#include <string>

#include "framework/menus.h"

namespace quorvane {
class TForm;
}

namespace quorvane::gallery {

void ShowMessageBoxDemo(TForm* owner);
void ShowTemplateDialog(TForm* owner);
void ShowFormDialog(TForm* owner);
void ShowMdiFrame();

// A menu item with a caption, shortcut, picture and click handler, added
// to parent.
TMenuItem* AddItem(TMenu* menu, TMenuItem* parent, const std::string& caption, TShortCut shortCut, int image,
                   std::function<void()> click);

}  // namespace quorvane::gallery
