#pragma once

// Helpers shared by the files that implement the classes of list_controls.h
// (header control, list view, tree view). Not part of the framework's
// interface.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/messages.h"

namespace quorvane::list_controls_internal {

inline const std::vector<std::string> kAlignments{"taLeftJustify", "taRightJustify", "taCenter"};
inline const std::vector<std::string> kBorderStyles{"bsNone", "bsSingle"};

inline WCHAR* W(std::u16string& text)
{
    return reinterpret_cast<WCHAR*>(text.data());
}

// Notification codes come in an ANSI and a Unicode form; the platform
// picks one by asking the parent (WM_NOTIFYFORMAT).
inline bool IsCode(UINT code, UINT ansi, UINT wide)
{
    return code == ansi || code == wide;
}

inline const NMHDR* NotifyHeader(const TMessage& message)
{
    return reinterpret_cast<const NMHDR*>(message.lParam);
}

}  // namespace quorvane::list_controls_internal
