// TQuickIni: a read-only INI reader over text held in memory (the skin
// description member of a skin package). Texts are 8-bit strings in the
// system code page; keys match regardless of ASCII case.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "skin/data/memory_stream.h"

namespace quorvane {

class TQuickIni {
public:
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

private:
    std::vector<std::string> lines_;
    std::vector<std::pair<std::string, int>> sections_;
};

// Converts text to a signed 32-bit integer: leading spaces skipped, then an
// optional sign and decimal digits, or a hexadecimal number after "$", "x",
// "X", "0x" or "0X" (no sign; wraps into the signed range; at most 8
// significant digits). Anything else, or an out-of-range decimal, fails.
bool TryStrToInt32(const std::string& text, int32_t& value);

}  // namespace quorvane
