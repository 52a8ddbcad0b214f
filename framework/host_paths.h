// Paths given on the command line: a Windows path is used as it is; a Unix
// path (starting with '/') is turned into the Windows path that names the
// same file when the program runs under Wine.
#pragma once
#include <string>

namespace quorvane {

// UTF-8 in, UTF-8 out; unchanged when it is not a Unix path or no
// conversion is available.
std::string HostPathToWindows(const std::string& path);

}  // namespace quorvane
