// Loading the platform's common control classes once per process.

#include "framework/com_controls.h"

namespace quorvane {

void InitCommonControlsOnce()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{};
        init.dwSize = sizeof init;
        init.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

}  // namespace quorvane
