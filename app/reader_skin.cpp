#include "app/reader_skin.h"

#include <windows.h>

namespace quorvane::reader {

std::vector<std::uint8_t> StoredSkinPackage()
{
    HRSRC resource = FindResourceW(nullptr, L"READERSKIN", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!resource) return {};
    const DWORD size = SizeofResource(nullptr, resource);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0) return {};
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

}  // namespace quorvane::reader
