// Text preparation: what a copy looks like before anything is read.
//
// - Full-width ASCII forms (U+FF01..FF5E, "１２３", "ＡＢＣ", "＄") fold to
//   ASCII, except the Chinese clause and sentence marks "，！？：；", and the ideographic space to a blank; zero-width characters go.
// - Runs of blanks and control characters become one blank.
// - "\r", "\n", "\r\n" (and U+2028) end a line; two or more line ends in a
//   row (with only blanks between), or U+2029, end a paragraph. A paragraph
//   always leaves a pause mark. A single line end leaves a line pause mark,
//   unless the line was broken inside a sentence, as text copied from a PDF
//   is: then the lines are joined, with a blank between Latin-script words
//   and without one next to Chinese. A word hyphenated at the line end is
//   joined back into one word.
//
// Every unit of the result keeps the span of the caller's text it came from;
// a join or a pause mark stands for the line break it replaced.
#include <algorithm>

#include "speech/frontend/mapped_text.h"

namespace quorvane::frontend {

namespace {

// A line this short (in UTF-16 units, blanks left out) is taken for a
// heading or a line of its own, never for a piece of a longer sentence; lines
// of Chinese hold about half as many characters as lines of English.
constexpr int kMinBrokenLineCjk = 12;
constexpr int kMinBrokenLineLatin = 24;

bool IsBlankUnit(char16_t c)
{
    return c == u' ' || c == u'\t' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
           c == 0x205F || c == 0x0B || c == 0x0C || (c < 0x20 && c != u'\r' && c != u'\n') || c == 0x7F || c == 0;
}

bool IsZeroWidth(char16_t c) { return (c >= 0x200B && c <= 0x200D) || c == 0xFEFF || c == 0x00AD; }

bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x85; }

// Punctuation after which a line is complete.
bool ClosesLine(char16_t c)
{
    switch (c) {
    case u'.': case u'!': case u'?': case u':': case u';': case 0x2026:
    case 0x3002: case 0xFF01: case 0xFF1F: case 0xFF1A: case 0xFF1B: case 0xFF0E:
        return true;
    default:
        return false;
    }
}

bool IsCloser(char16_t c)
{
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == 0x201D || c == 0x2019 || c == 0x300D ||
           c == 0x300F || c == 0xFF09 || c == 0x3011 || c == 0x300B;
}

bool IsLower(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7); }

// The line starting at `begin` (up to the next line end) begins a list item:
// a bullet, or a number or letter followed by ".", ")", "、".
bool StartsListItem(std::u16string_view text, size_t begin)
{
    size_t i = begin;
    while (i < text.size() && IsBlankUnit(text[i])) ++i;
    if (i >= text.size()) return false;
    const char16_t c = text[i];
    if (c == 0x2022 || c == 0x00B7 || c == 0x25AA || c == 0x25CF || c == 0x25CB || c == 0x25C6 || c == 0x25A0 ||
        c == u'*' || c == 0x2013 || c == 0x2014 || c == 0x30FB)
        return true;
    if (c == u'-' && i + 1 < text.size() && IsBlankUnit(text[i + 1])) return true;
    if (c == u'(' || c == 0xFF08) return true;  // "(1)", "（一）"
    if (c == 0x7B2C) return true;              // 第…章, 第…节
    size_t j = i;
    while (j < text.size() && (IsDigit(text[j]) || (text[j] >= 0xFF10 && text[j] <= 0xFF19))) ++j;
    if (j == i) {
        static const std::u16string_view kNumerals = u"一二三四五六七八九十";
        while (j < text.size() && kNumerals.find(text[j]) != std::u16string_view::npos) ++j;
        if (j == i && j < text.size() && IsLatinLetter(text[j]) && j + 1 < text.size() &&
            (text[j + 1] == u')' || text[j + 1] == u'.'))
            return j + 2 >= text.size() || IsBlankUnit(text[j + 2]);
    }
    if (j == i || j >= text.size()) return false;
    const char16_t after = text[j];
    return after == u'.' || after == u')' || after == 0x3001 || after == 0xFF0E || after == 0xFF09 || after == 0xFF0C;
}


}  // namespace

MappedText PrepareText(std::u16string_view text)
{
    MappedText out;
    out.text.reserve(text.size());
    out.spans.reserve(text.size());
    out.flags.reserve(text.size());
    TextPreparer preparer(text);
    preparer.Continue(out, static_cast<size_t>(-1));
    return out;
}

// Each round of the loop handles a whole blank run, a whole line break or
// one character, so the preparation can stop between any two rounds.
void TextPreparer::Continue(MappedText& out, size_t units)
{
    const std::u16string_view text = text_;
    LineShape& line = line_;
    const size_t size = text.size();
    size_t& i = next_;
    while (i < size && out.Size() < units) {
        const char16_t c = text[i];
        const int at = static_cast<int>(i);
        if (IsZeroWidth(c)) {
            ++i;
            continue;
        }
        if (IsBlankUnit(c)) {
            size_t end = i + 1;
            while (end < size && (IsBlankUnit(text[end]) || IsZeroWidth(text[end]))) ++end;
            // A blank run that ends in a line end belongs to the break.
            if (end < size && !IsLineEnd(text[end]) && text[end] != 0x2029 && !out.text.empty() &&
                out.text.back() != kLineBreakMark && out.text.back() != kParagraphMark)
                out.Append(u' ', {at, static_cast<int>(end)});
            i = end;
            continue;
        }
        if (IsLineEnd(c) || c == 0x2029) {
            // Count the line ends of this break, blanks between them included.
            size_t end = i;
            int lineEnds = 0;
            bool paragraph = false;
            while (end < size) {
                const char16_t b = text[end];
                if (b == u'\r' && end + 1 < size && text[end + 1] == u'\n') {
                    ++lineEnds;
                    end += 2;
                } else if (IsLineEnd(b)) {
                    ++lineEnds;
                    ++end;
                } else if (b == 0x2029) {
                    paragraph = true;
                    ++end;
                } else if (IsBlankUnit(b) || IsZeroWidth(b)) {
                    ++end;
                } else {
                    break;
                }
            }
            paragraph = paragraph || lineEnds >= 2;
            const SourceSpan span{at, static_cast<int>(end)};
            i = end;
            if (out.text.empty() || end >= size) continue;  // leading and trailing breaks say nothing
            const char16_t next = text[end];
            if (out.text.back() == u' ') out.PopBack();
            const bool hyphenated = line.last == u'-' && IsLatinLetter(line.beforeLast) && IsLower(next);
            const bool complete = ClosesLine(line.last) || (IsCloser(line.last) && ClosesLine(line.beforeLast));
            const bool longLine = line.length >= (line.lastIsCjk ? kMinBrokenLineCjk : kMinBrokenLineLatin);
            // The next line is a heading when it is short, unpunctuated and a
            // line of its own.
            size_t nextEnd = end;
            while (nextEnd < size && !IsLineEnd(text[nextEnd]) && text[nextEnd] != 0x2029) ++nextEnd;
            size_t nextLast = nextEnd;
            while (nextLast > end && IsBlankUnit(text[nextLast - 1])) --nextLast;
            const bool nextIsHeading = nextEnd < size && nextLast > end && !ClosesLine(text[nextLast - 1]) &&
                                       static_cast<int>(nextLast - end) < kMinBrokenLineLatin;
            if (!paragraph && hyphenated) {
                out.PopBack();  // the hyphen
            } else if (!paragraph && !complete && longLine && !StartsListItem(text, end) && !nextIsHeading) {
                const bool cjk = line.lastIsCjk || IsCjk(text, end);
                if (!cjk) out.Append(u' ', span);
            } else {
                if (out.text.back() == kLineBreakMark) out.PopBack();
                if (out.text.empty() || out.text.back() != kParagraphMark)
                    out.Append(paragraph ? kParagraphMark : kLineBreakMark, span);
            }
            line = LineShape{};
            continue;
        }
        char16_t folded = c;
        // Chinese clause and sentence marks stay as they are: they tell
        // what is around them is Chinese.
        if (c >= 0xFF01 && c <= 0xFF5E && c != 0xFF0C && c != 0xFF01 && c != 0xFF1F && c != 0xFF1A && c != 0xFF1B)
            folded = static_cast<char16_t>(c - 0xFEE0);
        else if (c == 0xFF61) folded = 0x3002;
        else if (c == 0xFF64) folded = 0x3001;
        out.Append(folded, {at, at + 1});
        ++line.length;
        line.beforeLast = line.last;
        line.last = folded;
        line.lastIsCjk = IsCjk(text, i);
        ++i;
    }
    if (i < size) return;
    while (!out.text.empty() && (out.text.back() == u' ' || out.text.back() == kLineBreakMark ||
                                 out.text.back() == kParagraphMark))
        out.PopBack();
}

}  // namespace quorvane::frontend
