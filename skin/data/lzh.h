// TLZH: decoder of the LZHUF scheme that skin packages are compressed with.
// LZSS references over a 4096-byte ring, literals and match lengths coded by
// one adaptive Huffman tree, match positions by a fixed prefix code for the
// upper 6 bits plus 6 plain bits.
//
// The byte callbacks are template parameters, so a concrete adapter (see
// StreamSource / StreamSink / MemorySource below) is inlined into the decoding
// loop instead of being called indirectly once per byte.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "skin/data/memory_stream.h"

namespace quorvane {

class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace lzh {
constexpr int kRingSize = 4096;        // N
constexpr int kRingMask = kRingSize - 1;
constexpr int kLookAhead = 60;         // F, the longest match
constexpr int kThreshold = 2;          // matches code lengths 3..60
constexpr int kCharCount = 256 - kThreshold + kLookAhead;  // N_CHAR = 314
constexpr int kTableSize = 2 * kCharCount - 1;             // T = 627
constexpr int kRoot = kTableSize - 1;                      // R = 626
constexpr unsigned kMaxFreq = 0x8000;
constexpr int kFirstWrite = kRingSize - kLookAhead;        // 4036 spaces of initial fill
constexpr int kRingBytes = kRingSize + kLookAhead - 1;     // 4155

extern const char kNoMemoryMessage[];    // "LZH : Cannot get memory for dictionary tables"
extern const char kFreeFailedMessage[];  // "LZH : Error freeing memory for dictionary tables"

// The fixed prefix code of a position's upper 6 bits, indexed by the first
// byte of the code: the upper bits and the code length of each byte value.
struct PositionTables {
    uint8_t upper[256];
    uint8_t length[256];
};
extern const PositionTables kPositionTables;
// Code length in bits of the upper 6 bits u (3..8); the encoder's view of the same code.
int PositionCodeLength(int upper);
// The code of u, left-aligned in a byte (its first byte value).
int PositionCodeFirstByte(int upper);
}  // namespace lzh

class TLZH {
public:
    TLZH() = default;
    TLZH(const TLZH&) = delete;
    TLZH& operator=(const TLZH&) = delete;
    ~TLZH() { FreeTables(); }

    // Decodes until at least textSize bytes were handed to putBytes (a final
    // match may add up to 59 more). textSize <= 0 decodes nothing.
    //   getBytes(uint8_t* buffer, uint16_t requested, uint16_t& delivered):
    //     always asked for 1 byte; delivered != 1 means the input has ended and
    //     the missing bits read as zeros.
    //   putBytes(const uint8_t* buffer, uint16_t count, uint16_t& written):
    //     every output byte is handed over singly.
    // Throws ElzhException when the tables cannot be allocated.
    template <class GetBytes, class PutBytes>
    void Unpack(int32_t textSize, GetBytes&& getBytes, PutBytes&& putBytes);

private:
    void AllocateTables();
    void FreeTables() noexcept;
    void StartHuff();
    void Reconst();
    void Update(int c);

    uint16_t bitBuffer_ = 0;
    uint8_t bitCount_ = 0;
    uint8_t* ring_ = nullptr;
    uint16_t* freq_ = nullptr;
    int16_t* prnt_ = nullptr;
    int16_t* son_ = nullptr;
};

// The stream adapters: reading delivers min(requested, remaining) bytes from
// the stream; writing appends the bytes at the stream's position.
struct StreamSource {
    MemoryStream& stream;
    void operator()(uint8_t* buffer, uint16_t requested, uint16_t& delivered)
    {
        delivered = static_cast<uint16_t>(stream.Read(buffer, requested));
    }
};

struct StreamSink {
    MemoryStream& stream;
    void operator()(const uint8_t* buffer, uint16_t count, uint16_t& written)
    {
        if (count == 1) stream.WriteByte(*buffer);
        else stream.Write(buffer, count);
        written = count;
    }
};

// Reads straight from a byte range (no stream object), for callers that hold
// the package in memory.
struct MemorySource {
    const uint8_t* next;
    const uint8_t* end;
    void operator()(uint8_t* buffer, uint16_t requested, uint16_t& delivered)
    {
        uint16_t n = 0;
        while (n < requested && next != end) buffer[n++] = *next++;
        delivered = n;
    }
};

// ---- implementation of the template part --------------------------------

inline void TLZH::Update(int c)
{
    using namespace lzh;
    if (freq_[kRoot] == kMaxFreq) Reconst();
    uint16_t* const freq = freq_;
    int16_t* const prnt = prnt_;
    int16_t* const son = son_;
    c = prnt[c + kTableSize];
    do {
        const unsigned k = ++freq[c];
        // Keep the frequencies sorted: move the node past every node with a
        // smaller count (freq[kTableSize] = 0xFFFF stops the scan).
        if (k > freq[c + 1]) {
            int l = c + 1;
            while (freq[l + 1] < k) ++l;
            freq[c] = freq[l];
            freq[l] = static_cast<uint16_t>(k);
            const int i = son[c];
            prnt[i] = static_cast<int16_t>(l);
            if (i < kTableSize) prnt[i + 1] = static_cast<int16_t>(l);
            const int j = son[l];
            son[l] = static_cast<int16_t>(i);
            prnt[j] = static_cast<int16_t>(c);
            if (j < kTableSize) prnt[j + 1] = static_cast<int16_t>(c);
            son[c] = static_cast<int16_t>(j);
            c = l;
        }
        c = prnt[c];
    } while (c != 0);
}

template <class GetBytes, class PutBytes>
void TLZH::Unpack(int32_t textSize, GetBytes&& getBytes, PutBytes&& putBytes)
{
    using namespace lzh;
    bitBuffer_ = 0;
    bitCount_ = 0;
    AllocateTables();
    struct Guard {
        TLZH* self;
        ~Guard() { self->FreeTables(); }
    } guard{this};

    StartHuff();
    uint8_t* const ring = ring_;
    for (int i = 0; i < kFirstWrite; ++i) ring[i] = ' ';

    // The bit buffer lives in locals during the loop and is stored back at the end.
    unsigned buffer = 0;  // 16 significant bits
    unsigned bitCount = 0;
    auto refill = [&] {
        while (bitCount <= 8) {
            uint8_t byte = 0;
            uint16_t delivered = 0;
            getBytes(&byte, 1, delivered);
            if (delivered != 1) byte = 0;
            buffer = (buffer | (static_cast<unsigned>(byte) << (8 - bitCount))) & 0xFFFF;
            bitCount += 8;
        }
    };
    auto getBit = [&]() -> unsigned {
        if (bitCount <= 8) refill();
        const unsigned bit = buffer >> 15;
        buffer = (buffer << 1) & 0xFFFF;
        --bitCount;
        return bit;
    };
    auto getByte = [&]() -> unsigned {
        if (bitCount <= 8) refill();
        const unsigned byte = buffer >> 8;
        buffer = (buffer << 8) & 0xFFFF;
        bitCount -= 8;
        return byte;
    };
    auto put = [&](uint8_t byte) {
        uint16_t written = 0;
        putBytes(&byte, 1, written);
    };

    const int16_t* const son = son_;
    int r = kFirstWrite;
    int64_t count = 0;  // may pass textSize by up to 59; 64-bit so it cannot wrap
    while (count < textSize) {
        int c = son[kRoot];
        while (c < kTableSize) c = son[c + static_cast<int>(getBit())];
        c -= kTableSize;
        Update(c);
        if (c < 256) {
            const uint8_t byte = static_cast<uint8_t>(c);
            put(byte);
            ring[r] = byte;
            r = (r + 1) & kRingMask;
            ++count;
        } else {
            unsigned i = getByte();
            const unsigned upper = kPositionTables.upper[i];
            int n = kPositionTables.length[i] - 2;
            while (n-- > 0) i = ((i << 1) + getBit()) & 0xFFFF;
            const int position = static_cast<int>((upper << 6) | (i & 63));
            int from = (r - position - 1) & kRingMask;
            const int length = c - 255 + kThreshold;
            for (int k = 0; k < length; ++k) {
                const uint8_t byte = ring[from];
                from = (from + 1) & kRingMask;
                put(byte);
                ring[r] = byte;
                r = (r + 1) & kRingMask;
            }
            count += length;
        }
    }
    bitBuffer_ = static_cast<uint16_t>(buffer);
    bitCount_ = static_cast<uint8_t>(bitCount);
}

}  // namespace quorvane
