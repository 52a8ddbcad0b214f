// user32 functions that not every Windows version has, looked up by name
// once (at start-up) and released at shutdown. A feature whose function is
// missing is skipped.
#pragma once
#include <windows.h>

namespace quorvane {

bool HasGetScrollBarInfo();
bool HasTrackMouseEvent();
bool HasGetComboBoxInfo();

// GetScrollBarInfo's result, or false when the function is missing.
bool OptionalGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info);
// Asks for a WM_MOUSELEAVE (TME_LEAVE) when TrackMouseEvent exists; else nothing.
void RequestMouseLeave(HWND window);
// GetComboBoxInfo's result, or false when the function is missing.
bool OptionalGetComboBoxInfo(HWND window, COMBOBOXINFO* info);
// Calls DisableProcessWindowsGhosting when it exists; false when it does not.
bool OptionalDisableProcessWindowsGhosting();

}  // namespace quorvane
