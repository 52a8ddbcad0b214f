#include "skin/data/lzh.h"

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
    freq_ = new (std::nothrow) FreqType[kTableSize + 1];
    prnt_ = new (std::nothrow) NodeType[kTableSize + kCharCount];
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
    freq_[kTableSize] = 0xFFFF;  // sentinel for the sorting scan in Update
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

}  // namespace quorvane
