#include "tests/support/resource_counts.h"

#include <sstream>

namespace quorvane::testsupport {
namespace {

BOOL CALLBACK CountChild(HWND, LPARAM data)
{
    ++*reinterpret_cast<int*>(data);
    return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM data)
{
    ++*reinterpret_cast<int*>(data);
    EnumChildWindows(window, CountChild, data);
    return TRUE;
}

}  // namespace

int CountGdiObjects()
{
    int count = 0;
    for (UINT_PTR index = 0x10; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

ResourceCounts CountResources()
{
    ResourceCounts counts;
    counts.gdi = CountGdiObjects();
    for (UINT_PTR index = 0x10; index < 0x10000; ++index)
        if (IsMenu(reinterpret_cast<HMENU>(index))) ++counts.menus;
    EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&counts.windows));
    return counts;
}

std::string Describe(const ResourceCounts& counts)
{
    std::ostringstream text;
    text << "gdi " << counts.gdi << ", menus " << counts.menus << ", windows " << counts.windows;
    return text.str();
}

}  // namespace quorvane::testsupport
