// Line splitting and ASCII helpers shared by the package reader's name table
// and the INI reader.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Cuts text into lines: a line ends at CR, LF or NUL; after it one CR and then
// one LF are skipped, so CR LF, LF and CR each end one line. A NUL ends the
// whole text; a last line without a break counts; nothing follows a final break.
std::vector<std::string> SplitTextLines(std::string_view text);
// The same lines handed one by one to visit(line) as views into text; visit
// returns false to stop early.
template <class Visit>
void ForEachTextLine(std::string_view text, Visit visit)
{
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && text[p] != '\0') {
        const size_t start = p;
        while (p < n && text[p] != '\r' && text[p] != '\n' && text[p] != '\0') ++p;
        if (!visit(text.substr(start, p - start))) return;
        if (p < n && text[p] == '\r') ++p;
        if (p < n && text[p] == '\n') ++p;
    }
}

// Lower-cases the ASCII letters A..Z only; other bytes (such as GBK text) stay.
std::string AsciiLower(std::string_view text);
// Upper-cases the ASCII letters a..z only.
std::string AsciiUpper(std::string_view text);

// Removes leading and trailing characters with codes 0..32.
std::string_view TrimControls(std::string_view text);

}  // namespace quorvane
