// Writes skin packages: the content (version 20000, name table with CR LF
// line ends, size table, members in order) LZH-coded behind its 4-byte
// uncompressed size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

struct PackageMember {
    std::string name;  // bare file name, stored as given (the reader lower-cases)
    std::vector<uint8_t> bytes;
};

// The uncompressed content of a package.
std::vector<uint8_t> BuildPackageContent(const std::vector<PackageMember>& members);
// int32 size of content, then LzhEncode(content).
std::vector<uint8_t> CompressPackage(const std::vector<uint8_t>& content);
inline std::vector<uint8_t> BuildPackage(const std::vector<PackageMember>& members)
{
    return CompressPackage(BuildPackageContent(members));
}

}  // namespace quorvane
