#include "skin/data/lzh.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace quorvane {
namespace lzh {

const char kNoMemoryMessage[] = "LZH : Cannot get memory for dictionary tables";
const char kFreeFailedMessage[] = "LZH : Error freeing memory for dictionary tables";

namespace {
// Code lengths of the upper 6 bits: 3 bits for u = 0, 4 for 1..3, 5 for
// 4..11, 6 for 12..23, 7 for 24..47, 8 for 48..63.
constexpr int CodeLength(int upper)
{
    return upper < 1 ? 3 : upper < 4 ? 4 : upper < 12 ? 5 : upper < 24 ? 6 : upper < 48 ? 7 : 8;
}

// Codes are assigned in increasing u order, so u covers 2^(8 - length)
// consecutive first-byte values.
constexpr PositionTables MakePositionTables()
{
    PositionTables tables{};
    int byte = 0;
    for (int upper = 0; upper < 64; ++upper) {
        const int span = 1 << (8 - CodeLength(upper));
        for (int k = 0; k < span; ++k, ++byte) {
            tables.upper[byte] = static_cast<uint8_t>(upper);
            tables.length[byte] = static_cast<uint8_t>(CodeLength(upper));
        }
    }
    return tables;
}
}  // namespace

const PositionTables kPositionTables = MakePositionTables();

int PositionCodeLength(int upper) { return CodeLength(upper); }

int PositionCodeFirstByte(int upper)
{
    int byte = 0;
    for (int u = 0; u < upper; ++u) byte += 1 << (8 - CodeLength(u));
    return byte;
}

}  // namespace lzh

using namespace lzh;

void TLZH::AllocateTables()
{
    FreeTables();
    ring_ = new (std::nothrow) uint8_t[kRingBytes];
    freq_ = new (std::nothrow) FreqType[kFreqEntries];
    prnt_ = new (std::nothrow) NodeType[kParentEntries];
    son_ = new (std::nothrow) NodeType[kTableSize];
    if (!ring_ || !freq_ || !prnt_ || !son_) {
        FreeTables();
        throw ElzhException(kNoMemoryMessage);
    }
}

// Releasing memory cannot fail in C++, so kFreeFailedMessage has no path here.
void TLZH::FreeTables() noexcept
{
    delete[] son_;
    delete[] prnt_;
    delete[] freq_;
    delete[] ring_;
    son_ = nullptr;
    prnt_ = nullptr;
    freq_ = nullptr;
    ring_ = nullptr;
}

void TLZH::StartHuff()
{
    for (int i = 0; i < kCharCount; ++i) {
        freq_[i] = 1;
        son_[i] = static_cast<NodeType>(i + kTableSize);
        prnt_[i + kTableSize] = static_cast<NodeType>(i);
    }
    for (int i = 0, j = kCharCount; j <= kRoot; i += 2, ++j) {
        freq_[j] = static_cast<FreqType>(freq_[i] + freq_[i + 1]);
        son_[j] = static_cast<NodeType>(i);
        prnt_[i] = prnt_[i + 1] = static_cast<NodeType>(j);
    }
    for (int i = kTableSize; i < kFreqEntries; ++i) freq_[i] = 0xFFFF;  // sentinels for the swap search
    prnt_[kRoot] = 0;
}

// Halves the leaf frequencies and builds the tree again from them, so the
// counts stay within 16 bits.
void TLZH::Reconst()
{
    int j = 0;
    for (int i = 0; i < kTableSize; ++i) {
        if (son_[i] >= kTableSize) {
            freq_[j] = static_cast<FreqType>((freq_[i] + 1) / 2);
            son_[j] = son_[i];
            ++j;
        }
    }
    for (int i = 0, j2 = kCharCount; j2 < kTableSize; i += 2, ++j2) {
        const unsigned f = static_cast<unsigned>(freq_[i]) + freq_[i + 1];
        freq_[j2] = static_cast<FreqType>(f);
        int k = j2 - 1;
        while (freq_[k] > f) --k;
        ++k;
        for (int m = j2; m > k; --m) {
            freq_[m] = freq_[m - 1];
            son_[m] = son_[m - 1];
        }
        freq_[k] = static_cast<FreqType>(f);
        son_[k] = static_cast<NodeType>(i);
    }
    for (int i = 0; i < kTableSize; ++i) {
        const int k = son_[i];
        prnt_[k] = static_cast<NodeType>(i);
        if (k < kTableSize) prnt_[k + 1] = static_cast<NodeType>(i);
    }
}

// The counts reached 0x8000: the tree is rebuilt, so the symbol's recorded
// walk no longer holds; the update follows the parent links instead.
void TLZH::ReconstAndUpdate(int symbol)
{
    Reconst();
    BuildPrefixTable();
    UpdateFrom(prnt_[symbol + kTableSize]);
}

void TLZH::BuildPrefixTable()
{
    std::fill(std::begin(prefixDepth_), std::end(prefixDepth_), uint8_t{0});
    int16_t path[kPrefixBits] = {};
    FillPrefixEntries(son_[kRoot], 0, 0, path);
}

// Writes the entries of every prefix that starts with the given one: the walk
// has consumed `depth` bits (`prefix`), visited path[0..depth-1] and stands
// at son value `next`.
void TLZH::FillPrefixEntries(int next, int depth, int prefix, int16_t* path)
{
    if (depth == kPrefixBits || next >= kTableSize) {
        const int span = 1 << (kPrefixBits - depth);
        for (int i = prefix << (kPrefixBits - depth), n = 0; n < span; ++n, ++i) {
            PrefixEntry& entry = prefix_[i];
            std::copy(path, path + kPrefixBits, entry.path);
            entry.next = next;
            entry.depth = depth;
        }
        return;
    }
    for (int bit = 0; bit < 2; ++bit) {
        const int node = next + bit;
        const int nodePrefix = (prefix << 1) | bit;
        path[depth] = static_cast<int16_t>(node);
        prefixDepth_[node] = static_cast<uint8_t>(depth + 1);
        prefixFirst_[node] = static_cast<uint16_t>(nodePrefix << (kPrefixBits - depth - 1));
        FillPrefixEntries(son_[node], depth + 1, nodePrefix, path);
    }
}

// Nodes c and l have just exchanged their subtrees (their own places in the
// tree stay). The entries below whichever of them lies within the table's
// levels are written again, after the nodes that were listed below them are
// unlisted: they have moved, possibly out of the table's levels. Neither node
// is inside the other's subtree, since a swap partner never has a larger count.
void TLZH::RefreshPrefixEntries(int c, int l)
{
    const int depthC = prefixDepth_[c];
    const int depthL = prefixDepth_[l];
    if ((depthC == 0 || depthC == kPrefixBits) && (depthL == 0 || depthL == kPrefixBits)) {
        // The common case: nodes on the table's last level (or below it) have
        // one entry each, of which only the end changes.
        if (depthC) prefix_[prefixFirst_[c]].next = son_[c];
        if (depthL) prefix_[prefixFirst_[l]].next = son_[l];
        return;
    }
    const int nodes[2] = {c, l};
    for (int node : nodes) {
        const int depth = prefixDepth_[node];
        if (depth == 0 || depth == kPrefixBits) continue;  // nothing listed below
        const int first = prefixFirst_[node];
        for (int i = first; i < first + (1 << (kPrefixBits - depth)); ++i) {
            const PrefixEntry& entry = prefix_[i];
            for (int below = depth; below < entry.depth; ++below) prefixDepth_[entry.path[below]] = 0;
        }
    }
    for (int node : nodes) {
        const int depth = prefixDepth_[node];
        if (depth == 0) continue;
        const int first = prefixFirst_[node];
        if (depth == kPrefixBits) {
            prefix_[first].next = son_[node];
            continue;
        }
        int16_t path[kPrefixBits];
        std::copy(prefix_[first].path, prefix_[first].path + kPrefixBits, path);
        FillPrefixEntries(son_[node], depth, first >> (kPrefixBits - depth), path);
    }
}

}  // namespace quorvane
