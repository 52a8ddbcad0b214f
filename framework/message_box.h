// Every message box of the program goes through ShowMessageBox, so that tests
// can answer boxes instead of blocking on a modal window.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

namespace quorvane {

struct MessageBoxRequest {
    HWND owner;
    std::string text;     // UTF-8
    std::string caption;  // UTF-8
    UINT flags;           // MB_* as for MessageBoxW
};

// Returns the button the user chose (IDOK, ...), as MessageBoxW does.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// A replacement answers every box while it is installed; an empty function
// puts the real message box back. Returns the previous replacement.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// UTF-8 <-> UTF-16 at the Win32 edge.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
std::string Utf16ToUtf8(const WCHAR* text, int length = -1);

}  // namespace quorvane
