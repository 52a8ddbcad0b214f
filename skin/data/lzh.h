// TLZH: decoder of the LZHUF scheme that skin packages are compressed with.
// LZSS references over a 4096-byte ring, literals and match lengths coded by
// one adaptive Huffman tree, match positions by a fixed prefix code for the
// upper 6 bits plus 6 plain bits.
//
// The byte callbacks are template parameters, so a concrete adapter (see
// StreamSource / StreamSink / MemorySource below) is inlined into the decoding
// loop instead of being called indirectly once per byte.
//
// Speed: the tree is walked from the root one bit per level, which is a chain
// of dependent loads. The first kPrefixBits levels are replaced by one lookup
// in a table of every bit prefix of that length, and the table is kept in step
// with the tree: only a swap of two nodes inside those levels changes it, and
// then only the entries below the two nodes are written again.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
constexpr int kFreqEntries = kTableSize + 8;               // the nodes, then 0xFFFF sentinels
constexpr int kNoParent = kTableSize + kCharCount;         // a parent slot nothing reads
constexpr int kParentEntries = kNoParent + 1;
constexpr int kPrefixBits = 6;                             // tree levels resolved by one lookup

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
    // The counts and links are the 16-bit quantities of the format, held in
    // 32-bit entries: the same values, without partial-register loads and
    // stores in the hot loop.
    using FreqType = uint32_t;
    using NodeType = int32_t;

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
    // The callbacks are taken by value, as the standard algorithms take
    // function objects: a callback's own state (a cursor, say) then lives in
    // the decoder's registers instead of being reloaded after every byte
    // store. The output callback is returned in the state it ended in; a
    // lambda that captures by reference needs nothing back.
    // Throws ElzhException when the tables cannot be allocated.
    template <class GetBytes, class PutBytes>
    PutBytes Unpack(int32_t textSize, GetBytes getBytes, PutBytes putBytes);

private:
    void AllocateTables();
    void FreeTables() noexcept;
    void StartHuff();
    void Reconst();
    void UpdateAlongPath(int symbol, const int16_t* path, int depth);
    void UpdateFrom(int node);
    void ReconstAndUpdate(int symbol);
    void BuildPrefixTable();
    void FillPrefixEntries(int next, int depth, int prefix, int16_t* path);
    void RefreshPrefixEntries(int c, int l);

    // One entry per bit prefix of kPrefixBits bits: the nodes its walk from
    // the root visits (path[0] at depth 1), how many bits that walk consumes
    // (fewer when it reaches a leaf first) and the son value at its end, a leaf
    // code (>= kTableSize) or the first child of the node where the walk goes on.
    struct PrefixEntry {
        int16_t path[lzh::kPrefixBits];
        int32_t next;
        int32_t depth;
    };
    PrefixEntry prefix_[1 << lzh::kPrefixBits];
    // For every node inside the table's levels, its depth (1..kPrefixBits)
    // and its first entry; depth 0 for the nodes below them.
    uint8_t prefixDepth_[lzh::kTableSize];
    uint16_t prefixFirst_[lzh::kTableSize];

    uint16_t bitBuffer_ = 0;
    uint8_t bitCount_ = 0;
    uint8_t* ring_ = nullptr;
    FreqType* freq_ = nullptr;
    NodeType* prnt_ = nullptr;
    NodeType* son_ = nullptr;
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

// Appends to a byte vector through a cursor, growing it on the rare slow
// path; the fastest sink for decoding a whole package into memory. It is a
// small value (the vector's address and the cursor), so Unpack keeps it in
// registers: take it back from Unpack, then call Finish() to cut the vector
// to the bytes written.
class BufferSink {
public:
    explicit BufferSink(std::vector<uint8_t>& bytes, size_t expected = 0) : bytes_(&bytes)
    {
        bytes.resize(expected < 64 ? 64 : expected);
        next_ = bytes.data();
        end_ = next_ + bytes.size();
    }
    void operator()(const uint8_t* buffer, uint16_t count, uint16_t& written)
    {
        for (uint16_t i = 0; i < count; ++i) {
            if (next_ == end_) [[unlikely]] Grow();
            *next_++ = buffer[i];
        }
        written = count;
    }
    void Finish() { bytes_->resize(static_cast<size_t>(next_ - bytes_->data())); }

private:
    void Grow()
    {
        const size_t used = bytes_->size();
        bytes_->resize(used * 2);
        next_ = bytes_->data() + used;
        end_ = bytes_->data() + bytes_->size();
    }
    std::vector<uint8_t>* bytes_;
    uint8_t* next_;
    uint8_t* end_;
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

namespace lzh {
// The number of leading entries of counts[0..7] that are below k (8 when all
// are). The counts are sorted, so the ones below k form a run from the start.
inline unsigned RunBelow(const TLZH::FreqType* counts, unsigned k)
{
#ifdef __SSE2__
    // Counts stay below 0x10000, so the signed compare is exact.
    const __m128i limit = _mm_set1_epi32(static_cast<int>(k));
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + 4));
    const unsigned below = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(low, limit)))) |
                           static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(high, limit)))) << 4;
    return static_cast<unsigned>(__builtin_ctz(~below));
#else
    unsigned n = 0;
    while (n < 8 && counts[n] < k) ++n;
    return n;
#endif
}
}  // namespace lzh

// Adds 1 to the count of node c and of every node above it, keeping the
// counts sorted by moving a node past the nodes it now outnumbers.
inline void TLZH::UpdateFrom(int c)
{
    using namespace lzh;
    FreqType* const freq = freq_;
    NodeType* const prnt = prnt_;
    NodeType* const son = son_;
    do {
        const unsigned k = ++freq[c];
        if (k > freq[c + 1]) {
            // l = the last node with a count below k. Usually it is among the
            // next 8, found by one vector compare without a branch per node;
            // beyond that (many nodes sharing a count: rare symbols,
            // near-random data) a galloping search takes over, where a
            // step-by-step scan would visit each. The 0xFFFF sentinels after
            // the nodes end both.
            int l;
            const unsigned run = RunBelow(freq + c + 1, k);
            if (run < 8) [[likely]] {
                l = c + static_cast<int>(run);
            } else {
                l = c + 8;
                int above = l + 1;
                for (int step = 2; freq[above] < k; step <<= 1) {
                    l = above;
                    above = l + step < kTableSize ? l + step : kTableSize;
                }
                while (above - l > 1) {
                    const int mid = (l + above) / 2;
                    if (freq[mid] < k) l = mid;
                    else above = mid;
                }
            }
            freq[c] = freq[l];
            freq[l] = static_cast<FreqType>(k);
            // A node's two children are son and son + 1; a leaf has one entry,
            // so its "second child" is written to a slot nothing reads rather
            // than tested for with a branch.
            const int i = son[c];
            prnt[i] = static_cast<NodeType>(l);
            prnt[i < kTableSize ? i + 1 : kNoParent] = static_cast<NodeType>(l);
            const int j = son[l];
            son[l] = static_cast<NodeType>(i);
            prnt[j] = static_cast<NodeType>(c);
            prnt[j < kTableSize ? j + 1 : kNoParent] = static_cast<NodeType>(c);
            son[c] = static_cast<NodeType>(j);
            if (prefixDepth_[c] | prefixDepth_[l]) RefreshPrefixEntries(c, l);
            c = l;
        }
        c = prnt[c];
    } while (c != 0);
}

// The update for the symbol whose walk from the root visited
// path[0] = root .. path[depth] = its leaf. As long as no node moves, the
// parent of path[i] is path[i - 1], so the counts are raised without
// following the parent links one dependent load at a time; at the first
// move the ordinary update takes over.
inline void TLZH::UpdateAlongPath(int symbol, const int16_t* path, int depth)
{
    using namespace lzh;
    if (freq_[kRoot] == kMaxFreq) [[unlikely]] {
        ReconstAndUpdate(symbol);
        return;
    }
    FreqType* const freq = freq_;
    for (int level = depth; level >= 0; --level) {
        const int c = path[level];
        const unsigned k = freq[c] + 1u;
        if (k > freq[c + 1]) {
            UpdateFrom(c);
            return;
        }
        freq[c] = static_cast<FreqType>(k);
    }
}

template <class GetBytes, class PutBytes>
PutBytes TLZH::Unpack(int32_t textSize, GetBytes getBytes, PutBytes putBytes)
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
    BuildPrefixTable();
    uint8_t* const ring = ring_;
    for (int i = 0; i < kFirstWrite; ++i) ring[i] = ' ';
    // The rest of the ring is not part of the initial fill, but a corrupt
    // stream can copy from it before anything was written there: it reads as
    // zeros (as in the classic program, whose ring is a zeroed static array)
    // rather than as whatever the allocation held before.
    for (int i = kFirstWrite; i < kRingBytes; ++i) ring[i] = 0;

    // The bits are read most significant first. The buffer is kept in a 64-bit
    // local and topped up four bytes at a time whenever it holds fewer than
    // 32 bits, so the tree walk does not stop to refill after every 8 bits and
    // the refill is a fixed sequence rather than a loop; bytes are still
    // fetched singly and in order, only earlier (at most 8 ahead of use; past
    // the end of the input they read as 0, exactly as a short input does).
    uint64_t buffer = 0;  // valid bits at the top
    int bitCount = 0;
    auto refill = [&] {  // called with bitCount < 32
        for (int n = 0; n < 4; ++n) {
            uint8_t byte = 0;
            uint16_t delivered = 0;
            getBytes(&byte, 1, delivered);
            if (delivered != 1) byte = 0;
            buffer |= static_cast<uint64_t>(byte) << (56 - bitCount);
            bitCount += 8;
        }
    };
    auto getBit = [&]() -> unsigned {
        if (bitCount == 0) refill();
        const unsigned bit = static_cast<unsigned>(buffer >> 63);
        buffer <<= 1;
        --bitCount;
        return bit;
    };
    auto getBits = [&](int count) -> unsigned {  // count <= 8
        if (bitCount < count) refill();
        const unsigned bits = static_cast<unsigned>(buffer >> (64 - count));
        buffer <<= count;
        bitCount -= count;
        return bits;
    };
    auto put = [&](uint8_t byte) {
        uint16_t written = 0;
        putBytes(&byte, 1, written);
    };

    // Nodes visited by the current symbol's walk, root first. A walk cannot
    // visit more nodes than the tree has.
    int16_t path[kTableSize];
    path[0] = kRoot;
    const NodeType* const son = son_;
    int r = kFirstWrite;
    int64_t remaining = textSize;  // may end up to 59 below 0; 64-bit so it cannot wrap
    while (remaining > 0) {
        // A leaf lies at most ~25 levels deep (the counts are capped at
        // 0x8000), so one refill usually serves the whole walk.
        if (bitCount < 32) refill();
        const PrefixEntry& entry = prefix_[buffer >> (64 - kPrefixBits)];
        __builtin_memcpy(path + 1, entry.path, sizeof entry.path);
        int depth = entry.depth;
        int c = entry.next;
        buffer <<= depth;
        bitCount -= depth;
        // Most symbols end within two more levels; the levels past the
        // table are spelled out so that each exit is its own branch.
        if (c < kTableSize) {
            auto step = [&] {
                const int node = c + static_cast<int>(getBit());
                path[++depth] = static_cast<int16_t>(node);
                c = son[node];
            };
            step();
            if (c < kTableSize) {
                step();
                while (c < kTableSize) step();
            }
        }
        c -= kTableSize;
        UpdateAlongPath(c, path, depth);
        if (c < 256) {
            const uint8_t byte = static_cast<uint8_t>(c);
            put(byte);
            ring[r] = byte;
            r = (r + 1) & kRingMask;
            --remaining;
        } else {
            // First byte: the prefix code of the upper 6 bits and the start of
            // the plain bits; the code length says how many more bits follow.
            const unsigned first = getBits(8);
            const unsigned upper = kPositionTables.upper[first];
            const int more = kPositionTables.length[first] - 2;
            const unsigned low = ((first << more) | getBits(more)) & 63;
            const int position = static_cast<int>((upper << 6) | low);
            int from = (r - position - 1) & kRingMask;
            const int length = c - 255 + kThreshold;
            if (from + length <= kRingSize && r + length <= kRingSize) {
                // Neither end wraps: no masking per byte. Copying forward one
                // byte at a time keeps overlapping matches (runs) right.
                for (int k = 0; k < length; ++k) {
                    const uint8_t byte = ring[from + k];
                    put(byte);
                    ring[r + k] = byte;
                }
                r = (r + length) & kRingMask;
            } else {
                for (int k = 0; k < length; ++k) {
                    const uint8_t byte = ring[from];
                    from = (from + 1) & kRingMask;
                    put(byte);
                    ring[r] = byte;
                    r = (r + 1) & kRingMask;
                }
            }
            remaining -= length;
        }
    }
    bitBuffer_ = static_cast<uint16_t>(buffer >> 48);
    bitCount_ = static_cast<uint8_t>(bitCount);
    return putBytes;
}

}  // namespace quorvane
