#include "speech/frontend/mandarin_table.h"

#include <algorithm>
#include <cstring>

// The table's bytes, placed in the program by mandarin_table_data.cpp.
extern "C" const unsigned char quorvane_mandarin_table[];
extern "C" const unsigned char quorvane_mandarin_table_end[];

namespace quorvane::frontend {
namespace {

constexpr std::size_t kHeaderSize = 4 + 4 * 8;
constexpr std::size_t kSyllableSize = 8;
constexpr std::size_t kCharacterSize = 12;
constexpr std::size_t kContextSize = 12;

std::uint16_t U16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

const MandarinTable& MandarinTable::Get()
{
    static const MandarinTable table(quorvane_mandarin_table,
                                     static_cast<std::size_t>(quorvane_mandarin_table_end - quorvane_mandarin_table));
    return table;
}

MandarinTable::MandarinTable(const unsigned char* data, std::size_t size) : data_(data), size_(size)
{
    // Every section must lie inside the table and every word offset inside
    // it too: a damaged table reads as empty, never out of bounds.
    if (size < kHeaderSize || std::memcmp(data, "QMR1", 4) != 0) return;
    auto section = [&](int i, std::size_t recordSize, const unsigned char** start, std::uint32_t* count) {
        const std::uint32_t offset = U32(data + 4 + 8 * i);
        const std::uint32_t n = U32(data + 8 + 8 * i);
        if (offset > size || (size - offset) / recordSize < n) return false;
        *start = data + offset;
        *count = n;
        return true;
    };
    if (!section(0, kSyllableSize, &syllables_, &syllableCount_) ||
        !section(1, kCharacterSize, &characters_, &characterCount_) ||
        !section(2, 4, &wordIndex_, &wordCount_) || !section(3, kContextSize, &contexts_, &contextCount_))
        return;
    for (std::uint32_t i = 0; i < wordCount_; ++i) {
        const std::uint32_t offset = U32(wordIndex_ + 4 * i);
        if (offset > size || size - offset < 4) return;
        const unsigned char* word = data + offset;
        const std::size_t length = word[0];
        const std::size_t bytes = 4 + length * 2 * (word[1] ? 2 : 1);
        if (length == 0 || size - offset < bytes) return;
        if (word[1])
            for (std::size_t k = 0; k < length; ++k)
                if (U16(word + 4 + 2 * length + 2 * k) >= syllableCount_) return;
    }
    for (std::uint32_t i = 0; i < characterCount_; ++i)
        if (U16(characters_ + kCharacterSize * i + 8) >= syllableCount_) return;
    for (std::uint32_t i = 0; i < contextCount_; ++i)
        if (U16(contexts_ + kContextSize * i + 8) >= syllableCount_) return;
    valid_ = syllableCount_ > 0;
}

TableSyllable MandarinTable::Syllable(std::uint16_t index) const
{
    if (index >= syllableCount_) return {};
    const char* p = reinterpret_cast<const char*>(syllables_ + kSyllableSize * index);
    return {std::string_view(p, strnlen(p, 7)), static_cast<unsigned char>(p[7])};
}

int MandarinTable::FindSyllable(std::string_view tonal) const
{
    if (tonal.size() < 2) return -1;
    const int tone = tonal.back() - '0';
    const std::string_view toneless = tonal.substr(0, tonal.size() - 1);
    for (std::uint32_t i = 0; i < syllableCount_; ++i) {
        const TableSyllable s = Syllable(static_cast<std::uint16_t>(i));
        if (s.tone == tone && s.pinyin == toneless) return static_cast<int>(i);
    }
    return -1;
}

const TableCharacter* MandarinTable::Character(char32_t codePoint, TableCharacter* out) const
{
    std::uint32_t lo = 0, hi = characterCount_;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const std::uint32_t cp = U32(characters_ + kCharacterSize * mid);
        if (cp < codePoint) lo = mid + 1;
        else hi = mid;
    }
    if (lo >= characterCount_) return nullptr;
    const unsigned char* p = characters_ + kCharacterSize * lo;
    if (U32(p) != codePoint) return nullptr;
    out->codePoint = codePoint;
    out->readAs = static_cast<char32_t>(U32(p + 4));
    out->reading = U16(p + 8);
    out->polyphonic = (U16(p + 10) & 1) != 0;
    return out;
}

const unsigned char* MandarinTable::WordAt(std::uint32_t index) const
{
    return data_ + U32(wordIndex_ + 4 * index);
}

WordRange MandarinTable::Narrow(WordRange range, char16_t unit) const
{
    // Inside a range every word starts with the same `depth` units, sorted;
    // by their unit at `depth` (none sorts first) they are sorted too.
    const int depth = range.depth;
    auto unitAt = [&](std::uint32_t index) -> int {
        const unsigned char* word = WordAt(index);
        return word[0] > depth ? U16(word + 4 + 2 * depth) : -1;
    };
    std::uint32_t lo = range.begin, hi = range.end;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (unitAt(mid) < unit) lo = mid + 1;
        else hi = mid;
    }
    std::uint32_t first = lo;
    hi = range.end;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (unitAt(mid) <= unit) lo = mid + 1;
        else hi = mid;
    }
    return {first, lo, depth + 1};
}

bool MandarinTable::ExactWord(WordRange range, TableWord* out) const
{
    if (range.Empty() || range.depth == 0) return false;
    const unsigned char* word = WordAt(range.begin);
    if (word[0] != range.depth) return false;
    out->text = std::u16string_view(reinterpret_cast<const char16_t*>(word + 4), word[0]);
    out->cost = U16(word + 2);
    out->syllables = word[1] ? word + 4 + 2 * word[0] : nullptr;
    return true;
}

int MandarinTable::ContextReading(char16_t character, ContextKind kind, char16_t first, char16_t second,
                                  int* score) const
{
    const std::uint16_t key[4] = {character, static_cast<std::uint16_t>(kind), first, second};
    std::uint32_t lo = 0, hi = contextCount_;
    auto compare = [&](std::uint32_t index) {
        const unsigned char* p = contexts_ + kContextSize * index;
        for (int k = 0; k < 4; ++k) {
            const std::uint16_t v = U16(p + 2 * k);
            if (v != key[k]) return v < key[k] ? -1 : 1;
        }
        return 0;
    };
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (compare(mid) < 0) lo = mid + 1;
        else hi = mid;
    }
    if (lo >= contextCount_ || compare(lo) != 0) return -1;
    const unsigned char* p = contexts_ + kContextSize * lo;
    if (score) *score = U16(p + 10);
    return U16(p + 8);
}

}  // namespace quorvane::frontend
