// libFuzzer target: the LZH decoder on arbitrary input. The first byte
// chooses the text size (0..254 bytes, small so that the fuzzer runs fast;
// 0xFF a negative size); tree rebuilds are left to the round-trip target and
// the unit tests, which reach them with long inputs;
// the rest is the coded stream. The output must hold at least the text size
// and at most 59 bytes more, and be byte for byte what the plain decoder of
// the scheme (one bit per tree level, step-by-step update) gives.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bench/skin_core/classic_lzhuf.h"
#include "skin/data/lzh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const int first = data[0];
    const int32_t textSize = first == 0xFF ? -5 : first;
    static std::vector<uint8_t> out(256 + 64);
    size_t written = 0;
    quorvane::TLZH codec;
    codec.Unpack(textSize, quorvane::MemorySource{data + 1, data + size},
                 [&](const uint8_t* buffer, uint16_t count, uint16_t& done) {
                     if (written + count > out.size()) abort();
                     for (uint16_t i = 0; i < count; ++i) out[written++] = buffer[i];
                     done = count;
                 });
    const size_t expected = textSize < 0 ? 0 : static_cast<size_t>(textSize);
    if (written < expected || written > expected + 59) abort();
    const std::vector<uint8_t> plain = quorvane::bench::ClassicDecode(data + 1, size - 1, textSize);
    if (plain.size() != written || !std::equal(plain.begin(), plain.end(), out.begin())) abort();
    return 0;
}
