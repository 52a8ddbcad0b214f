#include "app/repeat_marker.h"

#include <windows.h>

#include <stdexcept>

#include "framework/message_box.h"

namespace quorvane::reader {

namespace {
const WCHAR* Wide(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}
}  // namespace

std::u16string ExecutableDirectory()
{
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD size = GetModuleFileNameW(nullptr, reinterpret_cast<WCHAR*>(path.data()),
                                              static_cast<DWORD>(path.size()));
        if (size == 0) return {};
        if (size < path.size()) {
            path.resize(size);
            break;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string MarkerPath(const std::u16string& directory)
{
    return directory + u"\\01.ini";
}

bool MarkerExists(const std::u16string& path)
{
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteMarker(const std::u16string& path, const std::string& content)
{
    HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("Cannot create file " + Utf16ToUtf8(path));
    DWORD written = 0;
    const bool ok = content.empty() || (WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                                  nullptr) &&
                                        written == content.size());
    CloseHandle(file);
    if (!ok) throw std::runtime_error("Cannot create file " + Utf16ToUtf8(path));
}

void DeleteMarker(const std::u16string& path)
{
    if (MarkerExists(path)) DeleteFileW(Wide(path));
}

}  // namespace quorvane::reader
