// The Mandarin reading table: syllables, characters (default reading, the
// simplified character a traditional one is read as), a word dictionary with
// segmentation costs and phrase readings, and learned context readings for
// polyphonic characters. Built at build time (build_mandarin_table.py) and
// embedded in the program; the views below read it in place.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvane::frontend {

struct TableSyllable {
    std::string_view pinyin;  // toneless, ü as "u:"
    int tone = 5;
};

struct TableCharacter {
    char32_t codePoint = 0;
    char32_t readAs = 0;  // the simplified character read instead, 0: itself
    std::uint16_t reading = 0;
    bool polyphonic = false;
    std::uint32_t contextBegin = 0;  // its context rules
    std::uint32_t contextCount = 0;
};

// A prefix of dictionary words: a node of the table's prefix tree, used to
// walk the dictionary one character at a time.
struct WordPrefix {
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::uint32_t node = kNone;
    int depth = 0;  // length of the prefix
    bool Empty() const { return node == kNone; }
};

struct TableWord {
    std::u16string_view text;
    int cost = 0;                          // -ln(probability) * 100
    const unsigned char* syllables = nullptr;  // one u16 per character, or null
    bool HasReading() const { return syllables != nullptr; }
    std::uint16_t SyllableAt(std::size_t k) const
    {
        return static_cast<std::uint16_t>(syllables[2 * k] | (syllables[2 * k + 1] << 8));
    }
};

// Context kinds of the learned table: what the two context units are.
enum class ContextKind : std::uint16_t {
    Phrase = 1,   // the syllable the dictionary phrase gives the character (a syllable index)
    Left1 = 2,    // the unit before
    Right1 = 3,   // the unit after
    Left2 = 4,    // the two units before
    Right2 = 5,   // the two units after
    Around = 6,   // the units before and after
};

class MandarinTable {
public:
    // The embedded table, checked on first use. Thread-safe.
    static const MandarinTable& Get();
    // A view of a table in memory, which must outlive it. A table that fails
    // the checks (sections and words inside it, readings that exist) is not
    // Valid and must not be read.
    MandarinTable(const unsigned char* data, std::size_t size);
    // The embedded table's bytes.
    static const unsigned char* EmbeddedData();
    static std::size_t EmbeddedSize();

    bool Valid() const { return valid_; }
    std::uint32_t SyllableCount() const { return syllableCount_; }
    TableSyllable Syllable(std::uint16_t index) const;
    // Syllable index of a tonal pinyin such as "hang2" (ü as "u:"), -1 if absent.
    int FindSyllable(std::string_view tonal) const;
    const TableCharacter* Character(char32_t codePoint, TableCharacter* out) const;

    // The empty prefix, which every word continues.
    WordPrefix Root() const { return {valid_ ? 0u : WordPrefix::kNone, 0}; }
    // The prefix extended by `unit`; empty when no word continues it.
    WordPrefix Narrow(WordPrefix prefix, char16_t unit) const;
    // The word whose text is exactly the prefix, if there is one.
    bool ExactWord(WordPrefix prefix, TableWord* out) const;
    // That word's segmentation cost without reading its record, -1 if there
    // is no such word.
    int WordCost(WordPrefix prefix) const;

    // The learned reading of `character` in a context, with its score; -1 if
    // the table has none.
    int ContextReading(char16_t character, ContextKind kind, char16_t first, char16_t second, int* score) const;
    // The same for a character record already looked up (Character).
    int ContextReading(const TableCharacter& info, ContextKind kind, char16_t first, char16_t second, int* score) const;

    std::size_t SizeInBytes() const { return size_; }

private:
    const unsigned char* WordRecord(std::uint32_t offset, int length) const;
    static const TableCharacter* Decode(const unsigned char* record, TableCharacter* out);

    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    bool valid_ = false;
    const unsigned char* syllables_ = nullptr;
    std::uint32_t syllableCount_ = 0;
    const unsigned char* characters_ = nullptr;
    std::uint32_t characterCount_ = 0;
    const unsigned char* nodes_ = nullptr;
    std::uint32_t nodeCount_ = 0;
    const unsigned char* nodeUnits_ = nullptr;  // the last unit of each node's prefix
    const unsigned char* contexts_ = nullptr;
    std::uint32_t contextCount_ = 0;
    const unsigned char* firstNodes_ = nullptr;  // 65,536 u32
    const unsigned char* bmpCharacters_ = nullptr;  // 65,536 u16
};

}  // namespace quorvane::frontend
