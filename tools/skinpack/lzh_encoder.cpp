#include "tools/skinpack/lzh_encoder.h"

#include <cstring>
#include <memory>

#include "skin/data/lzh.h"

namespace quorvane {

using namespace lzh;

namespace {

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
    // Appends the lowest `count` bits of value, most significant first (count <= 24).
    void Put(uint32_t value, int count)
    {
        buffer_ = (buffer_ << count) | (value & ((1u << count) - 1));
        bits_ += count;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<uint8_t>(buffer_ >> bits_));
        }
        buffer_ &= (1u << bits_) - 1;
    }
    void Flush()
    {
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(buffer_ << (8 - bits_)));
        bits_ = 0;
        buffer_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint32_t buffer_ = 0;
    int bits_ = 0;
};

// The adaptive Huffman tree, kept step for step as TLZH keeps it.
class HuffmanTree {
public:
    HuffmanTree()
    {
        for (int i = 0; i < kCharCount; ++i) {
            freq_[i] = 1;
            son_[i] = i + kTableSize;
            prnt_[i + kTableSize] = i;
        }
        for (int i = 0, j = kCharCount; j <= kRoot; i += 2, ++j) {
            freq_[j] = freq_[i] + freq_[i + 1];
            son_[j] = i;
            prnt_[i] = prnt_[i + 1] = j;
        }
        freq_[kTableSize] = 0xFFFF;
        prnt_[kRoot] = 0;
    }

    int rebuilds = 0;

    void Encode(int c, BitWriter& out)
    {
        // Walk from the leaf to the root; a node at an odd position is its
        // parent's 1-branch. Codes can exceed 16 bits, so collect them first.
        uint8_t bits[kTableSize];
        int length = 0;
        for (int k = prnt_[c + kTableSize]; k != kRoot; k = prnt_[k]) bits[length++] = static_cast<uint8_t>(k & 1);
        while (length > 0) out.Put(bits[--length], 1);
        Update(c);
    }

private:
    void Update(int c)
    {
        if (freq_[kRoot] == kMaxFreq) {
            Reconst();
            ++rebuilds;
        }
        c = prnt_[c + kTableSize];
        do {
            const unsigned k = ++freq_[c];
            if (k > freq_[c + 1]) {
                int l = c + 1;
                while (freq_[l + 1] < k) ++l;
                freq_[c] = freq_[l];
                freq_[l] = k;
                const int i = son_[c];
                prnt_[i] = l;
                if (i < kTableSize) prnt_[i + 1] = l;
                const int j = son_[l];
                son_[l] = i;
                prnt_[j] = c;
                if (j < kTableSize) prnt_[j + 1] = c;
                son_[c] = j;
                c = l;
            }
            c = prnt_[c];
        } while (c != 0);
    }

    void Reconst()
    {
        int j = 0;
        for (int i = 0; i < kTableSize; ++i) {
            if (son_[i] >= kTableSize) {
                freq_[j] = (freq_[i] + 1) / 2;
                son_[j] = son_[i];
                ++j;
            }
        }
        for (int i = 0, n = kCharCount; n < kTableSize; i += 2, ++n) {
            const unsigned f = freq_[i] + freq_[i + 1];
            freq_[n] = f;
            int k = n - 1;
            while (freq_[k] > f) --k;
            ++k;
            for (int m = n; m > k; --m) {
                freq_[m] = freq_[m - 1];
                son_[m] = son_[m - 1];
            }
            freq_[k] = f;
            son_[k] = i;
        }
        for (int i = 0; i < kTableSize; ++i) {
            const int k = son_[i];
            prnt_[k] = i;
            if (k < kTableSize) prnt_[k + 1] = i;
        }
    }

    unsigned freq_[kTableSize + 1];
    int prnt_[kTableSize + kCharCount];
    int son_[kTableSize];
};

void EncodePosition(int position, BitWriter& out)
{
    const int upper = position >> 6;
    const int length = PositionCodeLength(upper);
    out.Put(static_cast<uint32_t>(PositionCodeFirstByte(upper)) >> (8 - length), length);
    out.Put(static_cast<uint32_t>(position & 63), 6);
}

// The LZSS side: a binary search tree over the ring positions finds the
// longest (and, among equals, the nearest) earlier match of the look-ahead.
class MatchFinder {
public:
    static constexpr int kNil = kRingSize;

    MatchFinder()
    {
        std::memset(text_, ' ', sizeof text_);
        for (int i = kRingSize + 1; i <= kRingSize + 256; ++i) rson_[i] = kNil;
        for (int i = 0; i < kRingSize; ++i) dad_[i] = kNil;
    }

    uint8_t* Text() { return text_; }
    int matchLength = 0;
    int matchPosition = 0;

    void Insert(int r)
    {
        int cmp = 1;
        const uint8_t* key = &text_[r];
        int p = kRingSize + 1 + key[0];
        rson_[r] = lson_[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson_[p] != kNil) {
                    p = rson_[p];
                } else {
                    rson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            } else {
                if (lson_[p] != kNil) {
                    p = lson_[p];
                } else {
                    lson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < kLookAhead; ++i) {
                cmp = key[i] - text_[p + i];
                if (cmp != 0) break;
            }
            if (i > kThreshold) {
                const int distance = ((r - p) & kRingMask) - 1;
                if (i > matchLength) {
                    matchPosition = distance;
                    matchLength = i;
                    if (matchLength >= kLookAhead) break;
                } else if (i == matchLength && distance < matchPosition) {
                    matchPosition = distance;
                }
            }
        }
        // A full-length match: r replaces p in the tree.
        dad_[r] = dad_[p];
        lson_[r] = lson_[p];
        rson_[r] = rson_[p];
        dad_[lson_[p]] = r;
        dad_[rson_[p]] = r;
        if (rson_[dad_[p]] == p) rson_[dad_[p]] = r;
        else lson_[dad_[p]] = r;
        dad_[p] = kNil;
    }

    void Delete(int p)
    {
        if (dad_[p] == kNil) return;
        int q;
        if (rson_[p] == kNil) {
            q = lson_[p];
        } else if (lson_[p] == kNil) {
            q = rson_[p];
        } else {
            q = lson_[p];
            if (rson_[q] != kNil) {
                do q = rson_[q];
                while (rson_[q] != kNil);
                rson_[dad_[q]] = lson_[q];
                dad_[lson_[q]] = dad_[q];
                lson_[q] = lson_[p];
                dad_[lson_[p]] = q;
            }
            rson_[q] = rson_[p];
            dad_[rson_[p]] = q;
        }
        dad_[q] = dad_[p];
        if (rson_[dad_[p]] == p) rson_[dad_[p]] = q;
        else lson_[dad_[p]] = q;
        dad_[p] = kNil;
    }

private:
    // text_[kRingSize..] mirrors the first kLookAhead - 1 bytes so that a
    // comparison can run past the end of the ring.
    uint8_t text_[kRingSize + kLookAhead - 1];
    int lson_[kRingSize + 1];
    int rson_[kRingSize + 257];
    int dad_[kRingSize + 1];
};

}  // namespace

std::vector<uint8_t> LzhEncode(const uint8_t* data, size_t size, LzhEncodeStats* stats)
{
    LzhEncodeStats counts;
    std::vector<uint8_t> out;
    out.reserve(size / 2 + 16);
    if (size == 0) {
        if (stats) *stats = counts;
        return out;
    }
    BitWriter writer(out);
    auto tree = std::make_unique<HuffmanTree>();
    auto finder = std::make_unique<MatchFinder>();
    uint8_t* const text = finder->Text();

    size_t next = 0;
    int s = 0;
    int r = kFirstWrite;
    int len = 0;
    for (; len < kLookAhead && next < size; ++len) text[r + len] = data[next++];
    for (int i = 1; i <= kLookAhead; ++i) finder->Insert(r - i);
    finder->Insert(r);
    do {
        if (finder->matchLength > len) finder->matchLength = len;
        if (finder->matchLength <= kThreshold) {
            finder->matchLength = 1;
            tree->Encode(text[r], writer);
            ++counts.literals;
        } else {
            ++counts.matches;
            tree->Encode(255 - kThreshold + finder->matchLength, writer);
            EncodePosition(finder->matchPosition, writer);
        }
        const int lastMatchLength = finder->matchLength;
        int i = 0;
        for (; i < lastMatchLength && next < size; ++i) {
            const uint8_t c = data[next++];
            finder->Delete(s);
            text[s] = c;
            if (s < kLookAhead - 1) text[s + kRingSize] = c;
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            finder->Insert(r);
        }
        for (; i < lastMatchLength; ++i) {
            finder->Delete(s);
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            if (--len) finder->Insert(r);
        }
    } while (len > 0);
    writer.Flush();
    counts.rebuilds = tree->rebuilds;
    if (stats) *stats = counts;
    return out;
}

}  // namespace quorvane
