// The control scan: when a form engine has finished skinning a window it
// walks the window's controls and gives each one its skinner; it also
// switches the form's menus to the skin's owner-drawn items.
#pragma once
#include <windows.h>

namespace quorvane {

class TComponent;
class TControl;
class TMenuItem;
class TWinControl;
class TWinSkinForm;

// The scan of a window that has a form object.
void ScanForm(TWinSkinForm* engine, TWinControl* form);
// The scan of a bare window (a message box, a common dialog): its child
// windows by class.
void ScanWindows(TWinSkinForm* engine, HWND parent);
// Every component of container that is a control, then its popup menus.
void ScanComponents(TWinSkinForm* engine, TComponent* container);
// The decision for one control: the skinner of its kind, steered by the
// control-kind set, the class map, the disable tag and OnSkinControl.
void ChooseSkinner(TWinSkinForm* engine, TControl* control, TComponent* container);
// The decision for one child window of a bare window, by class and style.
void SkinChildWindow(TWinSkinForm* engine, HWND window);

// Popup menus of container (and of the forms and frames it owns) drawn by
// the skin's item painter, or given back.
void SetPopupMenusOwnerDraw(TWinSkinForm* engine, TComponent* container, bool on);
// The same for main menus (their drop-down items).
void SetMainMenusOwnerDraw(TWinSkinForm* engine, TComponent* container, bool on);
// An item and all its sub-items get (or lose) the skin's item handlers.
void SetMenuItemHandlers(TWinSkinForm* engine, TMenuItem* item, bool on);

// A control whose window was made anew (WM_SKINRESCROLL, wParam the new
// window): frees the skinners whose windows are gone and gives the control
// the skinner its kind now calls for, when it is on this engine's window.
void SkinRecreatedControl(TWinSkinForm* engine, HWND window);
// Takes away the tool bar drawing handlers the scan installed.
void ClearToolbarHandlers(TControl* control);

}  // namespace quorvane
