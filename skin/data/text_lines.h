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

// Lower-cases the ASCII letters A..Z only; other bytes (such as GBK text) stay.
std::string AsciiLower(std::string_view text);
// Upper-cases the ASCII letters a..z only.
std::string AsciiUpper(std::string_view text);

// Removes leading and trailing characters with codes 0..32.
std::string_view TrimControls(std::string_view text);

}  // namespace quorvane
