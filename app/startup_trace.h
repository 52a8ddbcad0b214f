// Start-up milestones for measuring how long the reader takes to appear:
// with QUORVANE_STARTUP_TRACE set, each milestone prints
// "startup NAME UNIX_MS" on stderr; with the value "exit" the program ends
// once the skinned window has been painted for the first time.
#pragma once
#include <windows.h>

namespace quorvane {

void StartupMilestone(const char* name);
// Reports "visible" after the first paint of `window` has been handled.
void WatchFirstPaint(HWND window);

}  // namespace quorvane
