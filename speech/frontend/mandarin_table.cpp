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
constexpr std::size_t kNodeSize = 12;
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
    // Tree nodes and word records are checked when they are read (Narrow,
    // WordRecord), so the first call pages in only the parts it needs.
    if (size < kHeaderSize || std::memcmp(data, "QMR5", 4) != 0) return;
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
        !section(2, kNodeSize + 2, &nodes_, &nodeCount_) || !section(3, kContextSize, &contexts_, &contextCount_))
        return;
    std::uint32_t firstCount = 0, bmpCount = 0;
    nodeUnits_ = nodes_ + kNodeSize * nodeCount_;
    if (nodeCount_ == 0 || !section(4, 4, &firstNodes_, &firstCount) || firstCount != 65536 ||
        !section(5, 2, &bmpCharacters_, &bmpCount) || bmpCount != 65536)
        return;
    for (std::uint32_t unit = 0; unit < 65536; ++unit)
        if (U32(firstNodes_ + 4 * unit) >= nodeCount_) return;
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

const unsigned char* MandarinTable::WordRecord(std::uint32_t offset, int length) const
{
    // The record must be the word the tree promises (its length) and hold
    // the text and readings it declares; one that does not is treated as
    // missing.
    if (offset == 0 || offset > size_ || size_ - offset < 4) return nullptr;
    const unsigned char* record = data_ + offset;
    if (record[0] != length) return nullptr;
    const std::size_t bytes = 4 + std::size_t(record[0]) * 2 * (record[1] ? 2 : 1);
    if (size_ - offset < bytes) return nullptr;
    return record;
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

WordPrefix MandarinTable::Narrow(WordPrefix prefix, char16_t unit) const
{
    if (prefix.Empty() || prefix.node >= nodeCount_) return {};
    if (prefix.node == 0) {
        const std::uint32_t node = U32(firstNodes_ + 4 * unit);
        return node == 0 ? WordPrefix{} : WordPrefix{node, 1};
    }
    // A node's children are contiguous and sorted by their unit; a node
    // whose children lie outside the tree has none.
    const unsigned char* parent = nodes_ + kNodeSize * prefix.node;
    const std::uint32_t first = U32(parent);
    const std::uint32_t count = U16(parent + 8);
    if (first > nodeCount_ || nodeCount_ - first < count) return {};
    std::uint32_t lo = first, hi = first + count;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const std::uint16_t midUnit = U16(nodeUnits_ + 2 * mid);
        if (midUnit < unit) lo = mid + 1;
        else if (midUnit > unit) hi = mid;
        else return {mid, prefix.depth + 1};
    }
    return {};
}

bool MandarinTable::ExactWord(WordPrefix prefix, TableWord* out) const
{
    if (prefix.Empty() || prefix.depth == 0 || prefix.node >= nodeCount_) return false;
    const unsigned char* word = WordRecord(U32(nodes_ + kNodeSize * prefix.node + 4), prefix.depth);
    if (!word) return false;
    out->text = std::u16string_view(reinterpret_cast<const char16_t*>(word + 4), word[0]);
    out->cost = U16(word + 2);
    out->syllables = word[1] ? word + 4 + 2 * word[0] : nullptr;
    return true;
}

int MandarinTable::WordCost(WordPrefix prefix) const
{
    if (prefix.Empty() || prefix.depth == 0 || prefix.node >= nodeCount_) return -1;
    const unsigned char* node = nodes_ + kNodeSize * prefix.node;
    // The record is read only when the word is used (ExactWord); here its
    // offset must at least leave room for the word's text.
    const std::uint32_t offset = U32(node + 4);
    if (offset == 0 || offset > size_ || size_ - offset < 4 + 2 * std::size_t(prefix.depth)) return -1;
    return U16(node + 10);
}

int MandarinTable::ContextReading(char16_t character, ContextKind kind, char16_t first, char16_t second,
                                  int* score) const
{
    TableCharacter info;
    if (!Character(character, &info)) return -1;
    return ContextReading(info, kind, first, second, score);
}

int MandarinTable::ContextReading(const TableCharacter& info, ContextKind kind, char16_t first, char16_t second,
                                  int* score) const
{
    if (info.contextCount == 0 || info.codePoint >= 0x10000) return -1;
    // A rule's key (character, kind, first, second) compared as one number.
    auto keyOf = [](std::uint64_t character, std::uint64_t kindValue, std::uint64_t a, std::uint64_t b) {
        return (character << 48) | (kindValue << 32) | (a << 16) | b;
    };
    const std::uint64_t key = keyOf(info.codePoint, static_cast<std::uint16_t>(kind), first, second);
    auto ruleKey = [&](std::uint32_t index) {
        const unsigned char* p = contexts_ + kContextSize * index;
        return keyOf(U16(p), U16(p + 2), U16(p + 4), U16(p + 6));
    };
    std::uint32_t lo = info.contextBegin, hi = info.contextBegin + info.contextCount;
    const std::uint32_t end = hi;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (ruleKey(mid) < key) lo = mid + 1;
        else hi = mid;
    }
    if (lo >= end || ruleKey(lo) != key) return -1;
    const unsigned char* p = contexts_ + kContextSize * lo;
    if (score) *score = U16(p + 10);
    return U16(p + 8);
}

}  // namespace quorvane::frontend
