// The skinpack command line as a library function, so tests can run the
// commands without starting a process.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace quorvane {

// args excludes the program name. Returns the exit status: 0 success,
// 1 a failed command (unreadable file, wrong version, missing member...),
// 2 bad arguments.
int RunSkinpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char kSkinpackUsage[];

}  // namespace quorvane
