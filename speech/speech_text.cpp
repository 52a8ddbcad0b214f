#include "speech/speech_text.h"

#include <algorithm>

#include "speech/frontend/utf16.h"

namespace quorvane {

namespace {

using frontend::AppendUtf8;

// The code point at text[i]; a surrogate pair advances i to its second half,
// and a lone surrogate reads as U+FFFD.
char32_t CodePointAt(const std::u16string& text, size_t& i)
{
    size_t units = 1;
    const char32_t c = frontend::CodePointAt(text, i, &units);
    i += units - 1;
    return c;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000 || c == 0xA0; }

// Ends a sentence wherever it stands (full-width marks need no blank after).
bool IsWideTerminator(char16_t c) { return c == 0x3002 || c == 0xFF01 || c == 0xFF1F || c == 0xFF0E; }
// Ends a sentence when a blank or the end of the text follows.
bool IsTerminator(char16_t c) { return c == u'.' || c == u'!' || c == u'?' || c == 0x2026; }
bool IsCloser(char16_t c)
{
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == 0x201D || c == 0x2019 || c == 0x300D ||
           c == 0x300F || c == 0xFF09;
}

}  // namespace

std::string Utf16ToUtf8Lossy(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) AppendUtf8(out, CodePointAt(text, i));
    return out;
}

SpeechText::SpeechText(const std::u16string& text) : text_(text)
{
    utf8_.reserve(text.size() * 3);
    offsets_.reserve(text.size() + 1);
    for (size_t i = 0; i < text.size(); ++i) {
        offsets_.push_back(static_cast<int>(i));
        const char32_t c = CodePointAt(text, i);
        AppendUtf8(utf8_, c == 0 ? U' ' : c);  // a NUL would end the text for the synthesizer
    }
    offsets_.push_back(static_cast<int>(text.size()));
}

int SpeechText::Utf16Position(int espeakPosition) const
{
    const int index = std::clamp(espeakPosition - 1, 0, CodePointCount());
    return offsets_[static_cast<size_t>(index)];
}

int SpeechText::Utf16Length(int espeakPosition, int length) const
{
    const int first = std::clamp(espeakPosition - 1, 0, CodePointCount());
    const int last = std::clamp(first + std::max(length, 0), first, CodePointCount());
    return offsets_[static_cast<size_t>(last)] - offsets_[static_cast<size_t>(first)];
}

int SpeechText::SentenceLength(const std::u16string& text, int utf16Start)
{
    const size_t size = text.size();
    size_t start = static_cast<size_t>(std::clamp(utf16Start, 0, static_cast<int>(size)));
    size_t i = start;
    for (; i < size; ++i) {
        const char16_t c = text[i];
        if (IsWideTerminator(c) || IsTerminator(c)) {
            size_t end = i + 1;
            while (end < size && (IsTerminator(text[end]) || IsWideTerminator(text[end]))) ++end;
            while (end < size && IsCloser(text[end])) ++end;
            if (IsWideTerminator(c) || end == size || IsBlank(text[end])) return static_cast<int>(end - start);
            i = end - 1;
        } else if (c == u'\n' && i + 1 < size) {
            // A blank line ends a paragraph and so a sentence.
            size_t next = i + 1;
            if (next < size && text[next] == u'\r') ++next;
            if (next < size && text[next] == u'\n') break;
        }
    }
    size_t end = std::min(i, size);
    while (end > start && IsBlank(text[end - 1])) --end;
    return static_cast<int>(end - start);
}

}  // namespace quorvane
