#include "speech/frontend/mandarin_table.h"

#include <algorithm>
#include <cstring>

// The table's bytes, placed in the program by mandarin_table_data.cpp.
extern "C" const unsigned char quorvane_mandarin_table[];
extern "C" const unsigned char quorvane_mandarin_table_end[];

namespace quorvane::frontend {
namespace {

constexpr std::size_t kHeaderSize = 4 + 6 * 8;
constexpr std::size_t kSyllableSize = 8;
constexpr std::size_t kCharacterSize = 16;
constexpr std::size_t kIndexSize = 12;
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

const unsigned char* MandarinTable::EmbeddedData()
{
    return quorvane_mandarin_table;
}

std::size_t MandarinTable::EmbeddedSize()
{
    return static_cast<std::size_t>(quorvane_mandarin_table_end - quorvane_mandarin_table);
}

const MandarinTable& MandarinTable::Get()
{
    static const MandarinTable table(EmbeddedData(), EmbeddedSize());
    return table;
}

MandarinTable::MandarinTable(const unsigned char* data, std::size_t size) : data_(data), size_(size)
{
    // Every section must lie inside the table, or the table reads as empty.
    // Word records are checked when they are read (WordAt), so the first call
    // pages in only the records it needs.
    if (size < kHeaderSize || std::memcmp(data, "QMR4", 4) != 0) return;
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
        !section(2, kIndexSize, &wordIndex_, &wordCount_) || !section(3, kContextSize, &contexts_, &contextCount_))
        return;
    std::uint32_t firstCount = 0, bmpCount = 0;
    if (!section(4, 4, &firstWords_, &firstCount) || firstCount != 65537 ||
        !section(5, 2, &bmpCharacters_, &bmpCount) || bmpCount != 65536)
        return;
    for (std::uint32_t unit = 0; unit < 65537; ++unit) {
        const std::uint32_t start = U32(firstWords_ + 4 * unit);
        if (start > wordCount_ || (unit > 0 && start < U32(firstWords_ + 4 * (unit - 1)))) return;
    }
    for (std::uint32_t unit = 0; unit < 65536; ++unit)
        if (U16(bmpCharacters_ + 2 * unit) > characterCount_) return;
    for (std::uint32_t i = 0; i < characterCount_; ++i) {
        const unsigned char* p = characters_ + kCharacterSize * i;
        if (U16(p + 8) >= syllableCount_) return;
        const std::uint32_t begin = U32(p + 12), count = U16(p + 10) >> 1u;
        if (begin > contextCount_ || contextCount_ - begin < count) return;
    }
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
    if (!valid_) return nullptr;
    if (codePoint < 0x10000) {
        const std::uint16_t record = U16(bmpCharacters_ + 2 * codePoint);
        if (record == 0) return nullptr;
        return Decode(characters_ + kCharacterSize * (record - 1u), out);
    }
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
    return Decode(p, out);
}

const unsigned char* MandarinTable::WordAt(std::uint32_t index) const
{
    // The record must hold the text and readings its index entry promises;
    // one that does not is treated as missing.
    const unsigned char* entry = wordIndex_ + kIndexSize * index;
    const std::size_t offset = U32(entry);
    const std::size_t bytes = 4 + std::size_t(entry[4]) * 2 * (entry[5] ? 2 : 1);
    if (offset > size_ || size_ - offset < bytes) return nullptr;
    return data_ + offset;
}

const TableCharacter* MandarinTable::Decode(const unsigned char* record, TableCharacter* out)
{
    out->codePoint = static_cast<char32_t>(U32(record));
    out->readAs = static_cast<char32_t>(U32(record + 4));
    out->reading = U16(record + 8);
    out->polyphonic = (U16(record + 10) & 1) != 0;
    out->contextBegin = U32(record + 12);
    out->contextCount = static_cast<std::uint32_t>(U16(record + 10) >> 1u);
    return out;
}

WordRange MandarinTable::Narrow(WordRange range, char16_t unit) const
{
    // Inside a range every word starts with the same `depth` units, sorted;
    // by their unit at `depth` (none sorts first) they are sorted too.
    const int depth = range.depth;
    if (depth == 0 && range.begin == 0 && range.end == wordCount_)
        return {U32(firstWords_ + 4 * unit), U32(firstWords_ + 4 * (unit + 1u)), 1};
    // The index holds each word's length, second and third units and cost,
    // so words of up to three characters are found without reading their
    // records.
    auto unitAt = [&](std::uint32_t index) -> int {
        const unsigned char* entry = wordIndex_ + kIndexSize * index;
        if (entry[4] <= depth) return -1;
        if (depth == 1) return U16(entry + 6);
        if (depth == 2) return U16(entry + 10);
        const unsigned char* word = WordAt(index);
        return word ? U16(word + 4 + 2 * depth) : -1;
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
    const unsigned char* entry = wordIndex_ + kIndexSize * range.begin;
    if (entry[4] != range.depth) return false;
    const unsigned char* word = WordAt(range.begin);
    if (!word) return false;
    out->text = std::u16string_view(reinterpret_cast<const char16_t*>(word + 4), entry[4]);
    out->cost = U16(entry + 8);
    out->syllables = entry[5] ? word + 4 + 2 * entry[4] : nullptr;
    return true;
}

int MandarinTable::ContextReading(char16_t character, ContextKind kind, char16_t first, char16_t second,
                                  int* score) const
{
    const std::uint16_t key[4] = {character, static_cast<std::uint16_t>(kind), first, second};
    TableCharacter info;
    if (!Character(character, &info) || info.contextCount == 0) return -1;
    std::uint32_t lo = info.contextBegin, hi = info.contextBegin + info.contextCount;
    const std::uint32_t end = hi;
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
    if (lo >= end || compare(lo) != 0) return -1;
    const unsigned char* p = contexts_ + kContextSize * lo;
    if (score) *score = U16(p + 10);
    return U16(p + 8);
}

}  // namespace quorvane::frontend
