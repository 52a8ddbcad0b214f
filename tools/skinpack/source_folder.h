// Lists the regular files of a folder given as a host (Unix) path.
// std::filesystem cannot be used here: wineg++ defines _WIN32, so its headers
// take the Windows path type while the linked library is the Linux one.
#pragma once
#include <string>
#include <vector>

namespace quorvane {

bool IsFolder(const std::string& path);
// Names (not paths) of the regular files directly inside dir; false when the
// folder cannot be read.
bool ListFolderFiles(const std::string& dir, std::vector<std::string>& names);

}  // namespace quorvane
