// A baseline for the decoder benchmark: the LZHUF decoder as the classic
// public-domain C program writes it (16-bit bit buffer refilled per bit
// request, a step-by-step scan in the tree update, one function call per
// input and output byte), reading from memory. Same output as TLZH.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace quorvane::bench {

struct ClassicPositionTables {
    uint8_t upper[256];
    uint8_t length[256];
};

constexpr ClassicPositionTables MakeClassicPositionTables()
{
    ClassicPositionTables t{};
    int byte = 0;
    for (int u = 0; u < 64; ++u) {
        const int length = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        for (int k = 0; k < (1 << (8 - length)); ++k, ++byte) {
            t.upper[byte] = static_cast<uint8_t>(u);
            t.length[byte] = static_cast<uint8_t>(length);
        }
    }
    return t;
}

inline constexpr ClassicPositionTables kClassicTables = MakeClassicPositionTables();

class ClassicLzhuf {
public:
    using GetC = int (*)(void* context);
    using PutC = void (*)(int byte, void* context);

    void Decode(long textSize, GetC getc, PutC putc, void* context)
    {
        getc_ = getc;
        context_ = context;
        getbuf_ = 0;
        getlen_ = 0;
        StartHuff();
        for (int i = 0; i < kN - kF; ++i) text_[i] = ' ';
        for (int i = kN - kF; i < kN + kF - 1; ++i) text_[i] = 0;  // the static array starts zeroed
        int r = kN - kF;
        for (long count = 0; count < textSize;) {
            int c = DecodeChar();
            if (c < 256) {
                putc(c, context);
                text_[r++] = static_cast<uint8_t>(c);
                r &= kN - 1;
                ++count;
            } else {
                const int i = (r - DecodePosition() - 1) & (kN - 1);
                const int j = c - 255 + kThreshold;
                for (int k = 0; k < j; ++k) {
                    c = text_[(i + k) & (kN - 1)];
                    putc(c, context);
                    text_[r++] = static_cast<uint8_t>(c);
                    r &= kN - 1;
                    ++count;
                }
            }
        }
    }

private:
    static constexpr int kN = 4096, kF = 60, kThreshold = 2;
    static constexpr int kNChar = 256 - kThreshold + kF, kT = kNChar * 2 - 1, kR = kT - 1;
    static constexpr unsigned kMaxFreq = 0x8000;

    int GetBit()
    {
        while (getlen_ <= 8) {
            int i = getc_(context_);
            if (i < 0) i = 0;
            getbuf_ = static_cast<uint16_t>(getbuf_ | (i << (8 - getlen_)));
            getlen_ = static_cast<uint8_t>(getlen_ + 8);
        }
        const int i = getbuf_;
        getbuf_ = static_cast<uint16_t>(getbuf_ << 1);
        --getlen_;
        return (i >> 15) & 1;
    }

    int GetByte()
    {
        while (getlen_ <= 8) {
            int i = getc_(context_);
            if (i < 0) i = 0;
            getbuf_ = static_cast<uint16_t>(getbuf_ | (i << (8 - getlen_)));
            getlen_ = static_cast<uint8_t>(getlen_ + 8);
        }
        const int i = getbuf_;
        getbuf_ = static_cast<uint16_t>(getbuf_ << 8);
        getlen_ = static_cast<uint8_t>(getlen_ - 8);
        return i >> 8;
    }

    void StartHuff()
    {
        for (int i = 0; i < kNChar; ++i) {
            freq_[i] = 1;
            son_[i] = i + kT;
            prnt_[i + kT] = i;
        }
        for (int i = 0, j = kNChar; j <= kR; i += 2, ++j) {
            freq_[j] = freq_[i] + freq_[i + 1];
            son_[j] = i;
            prnt_[i] = prnt_[i + 1] = j;
        }
        freq_[kT] = 0xFFFF;
        prnt_[kR] = 0;
    }

    void Reconst()
    {
        int j = 0;
        for (int i = 0; i < kT; ++i) {
            if (son_[i] >= kT) {
                freq_[j] = (freq_[i] + 1) / 2;
                son_[j] = son_[i];
                ++j;
            }
        }
        for (int i = 0, n = kNChar; n < kT; i += 2, ++n) {
            const unsigned f = freq_[n] = freq_[i] + freq_[i + 1];
            int k = n - 1;
            while (f < freq_[k]) --k;
            ++k;
            for (int m = n; m > k; --m) {
                freq_[m] = freq_[m - 1];
                son_[m] = son_[m - 1];
            }
            freq_[k] = f;
            son_[k] = i;
        }
        for (int i = 0; i < kT; ++i) {
            const int k = son_[i];
            prnt_[k] = i;
            if (k < kT) prnt_[k + 1] = i;
        }
    }

    void Update(int c)
    {
        if (freq_[kR] == kMaxFreq) Reconst();
        c = prnt_[c + kT];
        do {
            const unsigned k = ++freq_[c];
            int l = c + 1;
            if (k > freq_[l]) {
                while (k > freq_[++l]) {
                }
                --l;
                freq_[c] = freq_[l];
                freq_[l] = k;
                const int i = son_[c];
                prnt_[i] = l;
                if (i < kT) prnt_[i + 1] = l;
                const int j = son_[l];
                son_[l] = i;
                prnt_[j] = c;
                if (j < kT) prnt_[j + 1] = c;
                son_[c] = j;
                c = l;
            }
        } while ((c = prnt_[c]) != 0);
    }

    int DecodeChar()
    {
        int c = son_[kR];
        while (c < kT) c = son_[c + GetBit()];
        c -= kT;
        Update(c);
        return c;
    }

    int DecodePosition()
    {
        int i = GetByte();
        const int c = kClassicTables.upper[i] << 6;
        int j = kClassicTables.length[i] - 2;
        while (j--) i = (i << 1) + GetBit();
        return c | (i & 0x3F);
    }

    GetC getc_ = nullptr;
    void* context_ = nullptr;
    uint16_t getbuf_ = 0;
    uint8_t getlen_ = 0;
    unsigned freq_[kT + 1];
    int prnt_[kT + kNChar];
    int son_[kT];
    uint8_t text_[kN + kF - 1];
};

// Decodes a byte range into a vector: what the tests and the fuzzer hold the
// real decoder against.
inline std::vector<uint8_t> ClassicDecode(const uint8_t* data, size_t size, long textSize)
{
    struct Context {
        const uint8_t* next;
        const uint8_t* end;
        std::vector<uint8_t> out;
    } context{data, data + size, {}};
    auto decoder = std::make_unique<ClassicLzhuf>();
    decoder->Decode(
        textSize,
        [](void* c) {
            auto* self = static_cast<Context*>(c);
            return self->next == self->end ? -1 : static_cast<int>(*self->next++);
        },
        [](int byte, void* c) { static_cast<Context*>(c)->out.push_back(static_cast<uint8_t>(byte)); }, &context);
    return std::move(context.out);
}

}  // namespace quorvane::bench
