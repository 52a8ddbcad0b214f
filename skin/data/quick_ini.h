// TQuickIni: a read-only INI reader over text held in memory (the skin
// description member of a skin package). Texts are 8-bit strings in the
// system code page; keys match regardless of ASCII case.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "skin/data/memory_stream.h"

namespace quorvane {

class TQuickIni {
public:
    // Lines kept at most; a text with more keeps the first ones and is
    // marked Truncated() (the skin loader refuses such a description).
    static constexpr size_t kMaxLines = size_t{1} << 20;

    // Replaces the content with the text from the stream's position to its
    // end (a NUL ends it early). A null stream leaves the reader unchanged.
    void LoadFromStream(MemoryStream* stream);
    void LoadFromText(const std::string& text);

    // Index in Lines() of the header "[section]" (compared without regard to
    // case; blanks inside the brackets count), or -1.
    int SectionLine(const std::string& section) const;
    // Section names without brackets, trimmed, in text order, duplicates kept.
    void GetSectionNames(std::vector<std::string>& target) const;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    int32_t ReadInteger(const std::string& section, const std::string& key,
                        int32_t defaultValue) const;

    // The kept lines (trimmed, no blanks or comments) and the section headers
    // with their line index.
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::vector<std::pair<std::string, int>>& Sections() const { return sections_; }
    // True when the text had more than kMaxLines kept lines.
    bool Truncated() const { return truncated_; }

private:
    // Hashing and comparison with ASCII letters folded, usable with string
    // views, so that a look-up builds no lower-case copy.
    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const;
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // Keys of one section -> line of their first occurrence.
    using KeyIndex = std::unordered_map<std::string, int, FoldedHash, FoldedEqual>;
    const KeyIndex& KeysOf(int header) const;

    std::vector<std::string> lines_;
    std::vector<std::pair<std::string, int>> sections_;
    bool truncated_ = false;
    // Header text between the brackets -> line of the first header with
    // that name: only the first of equal names is read.
    std::unordered_map<std::string, int, FoldedHash, FoldedEqual> sectionIndex_;
    // Built for a section the first time one of its keys is asked for.
    mutable std::unordered_map<int, KeyIndex> keyIndexes_;
};

// Converts text to a signed 32-bit integer: leading spaces skipped, then an
// optional sign and decimal digits, or a hexadecimal number after "$", "x",
// "X", "0x" or "0X" (no sign; wraps into the signed range; at most 8
// significant digits). Anything else, or an out-of-range decimal, fails.
bool TryStrToInt32(const std::string& text, int32_t& value);

}  // namespace quorvane
