// The text of one Speak call as the synthesiser sees it: UTF-8 for espeak-ng,
// plus the map from espeak's character positions (code points, counted from
// 1) back to UTF-16 positions of the text that was passed to Speak.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8Lossy(const std::u16string& text);

class SpeechText {
public:
    explicit SpeechText(const std::u16string& text);

    // NUL-terminated UTF-8; NUL characters of the input became blanks and
    // unpaired surrogates U+FFFD, one code point each.
    const std::string& Utf8() const { return utf8_; }
    int CodePointCount() const { return static_cast<int>(offsets_.size()) - 1; }

    // UTF-16 position of espeak's 1-based character position, clamped to
    // the text.
    int Utf16Position(int espeakPosition) const;
    // UTF-16 length of `length` code points starting at espeak's position.
    int Utf16Length(int espeakPosition, int length) const;

    // Length in UTF-16 units of the sentence that starts at utf16Start: up to
    // and including its closing punctuation (and closing quotes or brackets),
    // or to the end of the text without trailing blanks.
    int SentenceLength(int utf16Start) const { return SentenceLength(text_, utf16Start); }
    static int SentenceLength(const std::u16string& text, int utf16Start);

private:
    std::u16string text_;
    std::string utf8_;
    std::vector<int> offsets_;  // UTF-16 offset of each code point, plus the end
};

}  // namespace quorvane
