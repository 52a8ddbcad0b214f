#pragma once

// State and small helpers shared by the files that implement the control
// classes of controls.h. Not part of the framework's interface.

#include <windows.h>

#include <string>

#include "framework/controls.h"

namespace quorvane::control_internals {

// The control under the mouse (enter/leave notices) and the graphic control
// that holds the mouse while a button is down.
inline thread_local TControl* t_mouseControl = nullptr;
inline thread_local TControl* t_captureControl = nullptr;

inline const WCHAR* W(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

inline bool IsFrameworkNotice(UINT msg)
{
    return msg >= CM_BASE && msg < CN_BASE + 0x400;
}

inline bool IsReflectedRange(UINT msg)
{
    return msg >= CN_BASE && msg < CN_BASE + 0x400;
}

}  // namespace quorvane::control_internals
