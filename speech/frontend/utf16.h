// UTF-16 reading and UTF-8 writing shared by the voice service and the front
// end: espeak-ng takes UTF-8 while every caller's text is UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace quorvane::frontend {

// The code point at text[i] and, in `units`, how many UTF-16 units it takes;
// a lone surrogate reads as U+FFFD.
inline char32_t CodePointAt(std::u16string_view text, size_t i, size_t* units = nullptr)
{
    const char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        if (units) *units = 2;
        return 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    if (units) *units = 1;
    return c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
}

inline void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace quorvane::frontend
