// libFuzzer target: encoder then decoder must give back the input.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "skin/data/lzh.h"
#include "tools/skinpack/lzh_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> coded = quorvane::LzhEncode(data, size);
    quorvane::MemoryStream out;
    quorvane::TLZH codec;
    codec.Unpack(static_cast<int32_t>(size), quorvane::MemorySource{coded.data(), coded.data() + coded.size()},
                 quorvane::StreamSink{out});
    if (out.Size() < size || (size > 0 && std::memcmp(out.Data(), data, size) != 0)) abort();
    return 0;
}
