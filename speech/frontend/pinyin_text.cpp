#include "speech/frontend/pinyin_text.h"

#include "speech/frontend/mandarin_reading.h"

namespace quorvane::frontend {
namespace {

constexpr std::string_view kMark = "\xE2\x96\x81";  // U+2581 in UTF-8

std::string Token(const MandarinSyllable& s)
{
    // A character the table has no reading for still gets its token, so the
    // tokens stay one per character.
    if (s.pinyin.empty()) return "?5";
    return s.pinyin + static_cast<char>('0' + s.tone);
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char cb = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((cb & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (cb & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += static_cast<size_t>(extra) + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string PinyinLine(std::u16string_view text)
{
    std::string line;
    for (const MandarinSyllable& s : ReadMandarin(text)) {
        if (!line.empty()) line += ' ';
        line += Token(s);
    }
    return line;
}

std::string PinyinOfCharacterAt(std::u16string_view text, int position)
{
    for (const MandarinSyllable& s : ReadMandarin(text))
        if (s.position == position) return s.pinyin.empty() ? std::string() : Token(s);
    return {};
}

bool PolyphoneSentence(std::string_view annotated, std::string* text, int* position)
{
    const size_t open = annotated.find(kMark);
    if (open == std::string_view::npos) return false;
    const size_t close = annotated.find(kMark, open + kMark.size());
    if (close == std::string_view::npos || close == open + kMark.size()) return false;
    std::string before(annotated.substr(0, open));
    *text = before;
    text->append(annotated.substr(open + kMark.size(), close - open - kMark.size()));
    text->append(annotated.substr(close + kMark.size()));
    while (!text->empty() && (text->back() == '\r' || text->back() == '\n')) text->pop_back();
    *position = static_cast<int>(Utf8ToUtf16(before).size());
    return true;
}

std::string NormalizeLabel(std::string_view label)
{
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        const char c = label[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == 'v') out += "u:";
        else if (label.substr(i, 2) == "\xC3\xBC") out += "u:", ++i;  // ü
        else if (c >= 'A' && c <= 'Z') out += static_cast<char>(c - 'A' + 'a');
        else out += c;
    }
    return out;
}

}  // namespace quorvane::frontend
