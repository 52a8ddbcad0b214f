#include "tools/skinpack/package_writer.h"

#include <stdexcept>

#include "skin/data/skin_reader.h"
#include "tools/skinpack/lzh_encoder.h"

namespace quorvane {

namespace {
void AppendInt32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
}  // namespace

std::vector<uint8_t> BuildPackageContent(const std::vector<PackageMember>& members)
{
    std::string table;
    uint64_t total = 0;
    for (const PackageMember& member : members) {
        if (member.name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            throw std::invalid_argument("member name contains a line break or NUL: " + member.name);
        table += member.name;
        table += "\r\n";
        total += member.bytes.size();
    }
    total += 16 + table.size() + 4 * members.size();
    if (total > 0x7FFFFFFF) throw std::length_error("package content exceeds 2 GB");

    std::vector<uint8_t> content;
    content.reserve(static_cast<size_t>(total));
    AppendInt32(content, static_cast<uint32_t>(kSkinPackageVersion));
    AppendInt32(content, static_cast<uint32_t>(table.size()));
    AppendInt32(content, 0);
    AppendInt32(content, 0);
    content.insert(content.end(), table.begin(), table.end());
    for (const PackageMember& member : members) AppendInt32(content, static_cast<uint32_t>(member.bytes.size()));
    for (const PackageMember& member : members) content.insert(content.end(), member.bytes.begin(), member.bytes.end());
    return content;
}

std::vector<uint8_t> CompressPackage(const std::vector<uint8_t>& content)
{
    std::vector<uint8_t> package;
    AppendInt32(package, static_cast<uint32_t>(content.size()));
    const std::vector<uint8_t> coded = LzhEncode(content);
    package.insert(package.end(), coded.begin(), coded.end());
    return package;
}

}  // namespace quorvane
