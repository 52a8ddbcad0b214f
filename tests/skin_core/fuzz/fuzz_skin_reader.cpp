// libFuzzer target: the skin package reader. With the first byte even, the
// rest of the input is the decoded content (packed here with the encoder, so
// the fuzzer shapes the header, name table and sizes directly); with it odd,
// the rest is a package as stored, run through the decoder.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/data/skin_reader.h"
#include "tools/skinpack/package_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    if (size < 1) return 0;
    std::vector<uint8_t> package;
    if ((data[0] & 1) == 0) {
        package = CompressPackage(std::vector<uint8_t>(data + 1, data + size));
    } else {
        package.assign(data + 1, data + size);
        // Keep the declared size below 64 KB: a short input legally expands
        // to any declared size as zero-filled output, which only measures
        // memory and time.
        if (package.size() < 4) package.resize(4, 0);
        package[2] = 0;
        package[3] = 0;
    }
    MemoryStream stream(std::move(package));
    TSkinReader reader;
    if (!reader.ReadPackage(stream)) return 0;

    MemoryStream member;
    size_t total = 0;
    for (int i = 0; i < reader.Count(); ++i) {
        const std::string& name = reader.Names()[static_cast<size_t>(i)];
        reader.ExtractMember(name, member);
        if (member.Size() > reader.Data().Size()) abort();
        total += member.Size();
        if (!BitmapMemberName(name).empty()) ExtractBitmapMember(reader, name, member);
        if (i > 64) break;
    }
    std::string found = "unset";
    reader.FindMemberContaining(".ini", member, found);
    reader.ExtractMember("Missing Member", member);
    if (member.Size() != 0) {
        bool present = false;
        for (const std::string& name : reader.Names()) present |= name == "missing member";
        if (!present) abort();
    }
    return static_cast<int>(total & 0);
}
