// The one host-specific file of skinpack: POSIX folder listing, which a
// Winelib program reaches directly.
#include "tools/skinpack/source_folder.h"

#include <dirent.h>
#include <sys/stat.h>

namespace quorvane {

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ListFolderFiles(const std::string& dir, std::vector<std::string>& names)
{
    DIR* folder = opendir(dir.c_str());
    if (!folder) return false;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        struct stat info;
        if (stat((dir + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
    }
    closedir(folder);
    return true;
}

}  // namespace quorvane
