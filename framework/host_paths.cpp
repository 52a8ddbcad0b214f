#include "framework/host_paths.h"

#include <windows.h>

#include "framework/message_box.h"

namespace quorvane {

std::string HostPathToWindows(const std::string& path)
{
    if (path.empty() || path[0] != '/') return path;
    // Wine's own conversion, looked up at run time so the program still
    // builds and runs where it does not exist.
    using DosName = WCHAR*(CDECL*)(const char*);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (auto convert = reinterpret_cast<DosName>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name"))))
            if (WCHAR* dos = convert(path.c_str())) {
                std::string converted = Utf16ToUtf8(dos);
                HeapFree(GetProcessHeap(), 0, dos);
                return converted;
            }
    // Wine's drive Z: is the Unix root.
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

}  // namespace quorvane
