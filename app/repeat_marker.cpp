#include "app/repeat_marker.h"

#include <windows.h>
#include <shlobj.h>

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

std::u16string UserSettingsDirectory()
{
    WCHAR folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || !folder[0]) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(folder)) + u"\\Quorvane";
}

RepeatMarkerFiles::RepeatMarkerFiles(std::u16string programDirectory, std::u16string userDirectory)
    : programPath_(MarkerPath(programDirectory)), userDirectory_(std::move(userDirectory))
{
    if (!userDirectory_.empty()) userPath_ = MarkerPath(userDirectory_);
}

bool RepeatMarkerFiles::Exists() const
{
    return MarkerExists(programPath_) || (!userPath_.empty() && MarkerExists(userPath_));
}

void RepeatMarkerFiles::Write(const std::string& content)
{
    try {
        WriteMarker(programPath_, content);
        return;
    } catch (const std::runtime_error&) {
        if (userPath_.empty()) throw;
    }
    CreateDirectoryW(Wide(userDirectory_), nullptr);  // already there: fine
    try {
        WriteMarker(userPath_, content);
    } catch (const std::runtime_error&) {
        // The message names the place the user knows the setting by.
        throw std::runtime_error("Cannot create file " + Utf16ToUtf8(programPath_));
    }
}

void RepeatMarkerFiles::Delete()
{
    DeleteMarker(programPath_);
    if (!userPath_.empty()) DeleteMarker(userPath_);
}

}  // namespace quorvane::reader
