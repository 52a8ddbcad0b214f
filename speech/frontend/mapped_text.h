// A text being rewritten for the synthesiser, with the span of the caller's
// text that each of its UTF-16 units stands for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "speech/frontend/text_front_end.h"

namespace quorvane::frontend {

// Pauses left in a prepared text where a line or a paragraph ended.
constexpr char16_t kLineBreakMark = 0x2028;
constexpr char16_t kParagraphMark = 0x2029;

// A flag on a unit: a numeral that keeps its citation tone (一 read yī in
// "十一", "1月", "3.1", a digit string), where the reading of running text
// would change it.
constexpr unsigned char kCitationTone = 1;

struct MappedText {
    std::u16string text;
    std::vector<SourceSpan> spans;
    std::vector<unsigned char> flags;

    size_t Size() const { return text.size(); }
    void Append(char16_t c, SourceSpan span, unsigned char flag = 0)
    {
        text += c;
        spans.push_back(span);
        flags.push_back(flag);
    }
    void Append(std::u16string_view s, SourceSpan span)
    {
        for (char16_t c : s) Append(c, span);
    }
    void Append(const MappedText& other)
    {
        text += other.text;
        spans.insert(spans.end(), other.spans.begin(), other.spans.end());
        flags.insert(flags.end(), other.flags.begin(), other.flags.end());
    }
    void PopBack()
    {
        text.pop_back();
        spans.pop_back();
        flags.pop_back();
    }
    void Clear()
    {
        text.clear();
        spans.clear();
        flags.clear();
    }
};

// Character classes shared by the front end's passes.
bool IsHanUnit(std::u16string_view text, size_t i);  // a Han code point starts at text[i]
bool IsCjkPunctuation(char16_t c);
bool IsLatinLetter(char16_t c);
inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool IsCjk(std::u16string_view text, size_t i) { return IsHanUnit(text, i) || IsCjkPunctuation(text[i]); }

// Folds full-width forms, collapses blanks, and turns line breaks into pause
// marks or joins the lines of a sentence broken by a layout (see the .cpp).
MappedText PrepareText(std::u16string_view text);

// The same, a part at a time: a long text is prepared as far as it is read.
// `text` must outlive the preparer.
class TextPreparer {
public:
    explicit TextPreparer(std::u16string_view text) : text_(text) {}
    bool Done() const { return next_ >= text_.size(); }
    // Prepares more of the text into `out` until `out` holds at least `units`
    // units or the text is done.
    void Continue(MappedText& out, size_t units);

private:
    struct LineShape {
        int length = 0;     // units that are not blanks
        char16_t last = 0;  // the last of them
        char16_t beforeLast = 0;
        bool lastIsCjk = false;
    };
    std::u16string_view text_;
    size_t next_ = 0;
    LineShape line_;
};

// Reads the number that starts at `i` (a digit, or a sign or currency sign
// before one) as Chinese words into `out` and moves `i` past what it read.
// `previous` is the prepared character before the number (0 at the start).
void ReadChineseNumber(const MappedText& in, size_t& i, MappedText& out);

// The Chinese reading of a symbol, or nothing.
std::u16string_view ChineseSymbolReading(char16_t c, bool betweenNumbers);

}  // namespace quorvane::frontend
