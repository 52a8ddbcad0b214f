// Live GDI objects, menus and windows of the test process, for tests that
// open and close something many times and expect nothing left behind.
#pragma once
#include <windows.h>

#include <string>

namespace quorvane::testsupport {

struct ResourceCounts {
    int gdi = 0;
    int menus = 0;
    int windows = 0;  // of the calling thread, children included
    bool operator==(const ResourceCounts&) const = default;
};

// GetGuiResources answers 0 under Wine: live handles are found by probing
// the handle tables by index.
int CountGdiObjects();
ResourceCounts CountResources();
// "gdi 12, menus 3, windows 4"
std::string Describe(const ResourceCounts& counts);

}  // namespace quorvane::testsupport
