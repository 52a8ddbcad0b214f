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
};

// A range of dictionary words sharing a prefix, used to walk the dictionary
// one character at a time.
struct WordRange {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    int depth = 0;  // length of the shared prefix
    bool Empty() const { return begin >= end; }
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

// Context kinds of the learned table: what the two context characters are.
enum class ContextKind : std::uint16_t {
    Left1 = 2,       // the character before
    Right1 = 3,      // the character after
    Left2 = 4,       // the two characters before
    Right2 = 5,      // the two characters after
    Around = 6,      // the characters before and after
};

class MandarinTable {
public:
    // The embedded table, checked on first use. Thread-safe.
    static const MandarinTable& Get();

    bool Valid() const { return valid_; }
    std::uint32_t SyllableCount() const { return syllableCount_; }
    TableSyllable Syllable(std::uint16_t index) const;
    // Syllable index of a tonal pinyin such as "hang2" (ü as "u:"), -1 if absent.
    int FindSyllable(std::string_view tonal) const;
    const TableCharacter* Character(char32_t codePoint, TableCharacter* out) const;

    WordRange AllWords() const { return {0, wordCount_, 0}; }
    // The words of `range` whose next character is `unit`.
    WordRange Narrow(WordRange range, char16_t unit) const;
    // The word whose text is exactly the range's prefix, if there is one.
    bool ExactWord(WordRange range, TableWord* out) const;

    // The learned reading of `character` in a context, with its score; -1 if
    // the table has none.
    int ContextReading(char16_t character, ContextKind kind, char16_t first, char16_t second, int* score) const;

    std::size_t SizeInBytes() const { return size_; }

private:
    MandarinTable(const unsigned char* data, std::size_t size);
    const unsigned char* WordAt(std::uint32_t index) const;

    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    bool valid_ = false;
    const unsigned char* syllables_ = nullptr;
    std::uint32_t syllableCount_ = 0;
    const unsigned char* characters_ = nullptr;
    std::uint32_t characterCount_ = 0;
    const unsigned char* wordIndex_ = nullptr;
    std::uint32_t wordCount_ = 0;
    const unsigned char* contexts_ = nullptr;
    std::uint32_t contextCount_ = 0;
};

}  // namespace quorvane::frontend
