#include "skin/data/skin_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "skin/data/lzh.h"
#include "skin/data/text_lines.h"

namespace quorvane {

const char kOlderSkinMessage[] = "This is Older Skin File\rPlease update to new version !";

namespace {
int32_t ReadInt32(MemoryStream& stream)
{
    uint8_t bytes[4] = {0, 0, 0, 0};
    stream.Read(bytes, 4);  // missing bytes read as 0
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                                (static_cast<uint32_t>(bytes[2]) << 16) |
                                (static_cast<uint32_t>(bytes[3]) << 24));
}
}  // namespace

bool TSkinReader::ReadPackage(MemoryStream& package)
{
    package.Seek(0);
    const int32_t textSize = ReadInt32(package);
    // The output is at least textSize bytes (a short input is padded with
    // filler), but reserve no more than the input could plausibly expand to
    // before decoding shows it: a 60-byte match costs at least 10 bits.
    const size_t plausible = package.Remaining() * 48 + 4096;
    const size_t expected = textSize > 0 ? std::min(static_cast<size_t>(textSize) + lzh::kLookAhead, plausible) : 0;
    std::vector<uint8_t> decoded;
    {
        TLZH codec;
        BufferSink sink(decoded, expected);
        sink = codec.Unpack(textSize, MemorySource{package.Data() + package.Position(), package.Data() + package.Size()}, sink);
        sink.Finish();
    }
    MemoryStream content(std::move(decoded));
    return ReadContent(content);
}

bool TSkinReader::ReadContent(MemoryStream& content)
{
    content.Seek(0);
    header_.version = ReadInt32(content);
    header_.nameTableLength = ReadInt32(content);
    header_.reserved1 = ReadInt32(content);
    header_.reserved2 = ReadInt32(content);
    if (header_.version != kSkinPackageVersion) {
        ShowSkinVersionMessage(kOlderSkinMessage);
        return false;
    }

    // A negative or overlong length takes what the content holds.
    const size_t tableLength = std::min(static_cast<size_t>(std::max(header_.nameTableLength, 0)), content.Remaining());
    std::string table(reinterpret_cast<const char*>(content.Data() + content.Position()), tableLength);
    content.Seek(content.Position() + tableLength);
    size_t names = 0;
    ForEachTextLine(table, [&](std::string_view) { return ++names <= kMaxMembers; });
    if (names > kMaxMembers) {
        lastError_ = "its package lists more than " + std::to_string(kMaxMembers) + " members";
        if (!quiet_) std::fprintf(stderr, "quorvane: skin not loaded: %s\n", lastError_.c_str());
        return false;
    }
    names_ = SplitTextLines(AsciiLower(table));
    count_ = static_cast<int32_t>(names_.size());

    sizes_.assign(std::max<size_t>(names_.size(), kSizeTableEntries), 0);
    for (size_t i = 0; i < names_.size(); ++i) {
        if (content.Remaining() == 0) break;  // the rest stay 0
        sizes_[i] = ReadInt32(content);
    }

    data_.Clear();
    data_.Write(content.Data() + content.Position(), content.Remaining());
    data_.Seek(0);
    return true;
}

// Copies the part of member index's declared range that lies inside the data.
void TSkinReader::CopyMember(size_t index, MemoryStream& target) const
{
    // A negative size is corrupt; it counts as 0 so the members after it keep their place.
    int64_t offset = 0;
    for (size_t i = 0; i < index; ++i) offset += std::max<int32_t>(sizes_[i], 0);
    const int64_t size = std::max<int32_t>(sizes_[index], 0);
    const int64_t dataSize = static_cast<int64_t>(data_.Size());
    const int64_t first = std::clamp<int64_t>(offset, 0, dataSize);
    const int64_t last = std::clamp<int64_t>(offset + size, 0, dataSize);
    if (last > first) target.Write(data_.Data() + first, static_cast<size_t>(last - first));
    target.Seek(0);
}

void TSkinReader::ExtractMember(const std::string& name, MemoryStream& target) const
{
    target.Clear();
    const std::string wanted = AsciiLower(name);
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == wanted) {
            CopyMember(i, target);
            return;
        }
    }
}

bool TSkinReader::FindMemberContaining(const std::string& fragment, MemoryStream& target,
                                       std::string& foundName) const
{
    target.Clear();
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i].find(fragment) != std::string::npos) {
            CopyMember(i, target);
            foundName = names_[i];
            return true;
        }
    }
    return false;
}

std::string BitmapMemberName(const std::string& value)
{
    const size_t cut = value.find_last_of("\\:");
    const std::string fileName = cut == std::string::npos ? value : value.substr(cut + 1);
    const size_t dot = fileName.rfind('.');
    if (fileName.empty() || dot == std::string::npos || fileName.compare(dot, std::string::npos, ".bmp") != 0)
        return {};
    return fileName;
}

bool ExtractBitmapMember(const TSkinReader& reader, const std::string& value, MemoryStream& target)
{
    target.Clear();
    const std::string name = BitmapMemberName(value);
    if (name.empty()) return false;
    reader.ExtractMember(name, target);
    return target.Size() > 0;
}

}  // namespace quorvane
