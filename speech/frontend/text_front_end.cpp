// The front end's last passes: which voice reads each piece of the prepared
// text, Chinese readings of what is not Han text in Chinese context, and the
// runs handed to the synthesiser with their maps back to the caller's text.
//
// Context: a number, symbol, URL or e-mail address is in Chinese context when
// the nearest character before or after it (blanks skipped) is Chinese; else
// in English context when the nearest is a Latin letter; else it takes the
// language of the current voice.
#include "speech/frontend/text_front_end.h"

#include <algorithm>

#include "speech/frontend/mapped_text.h"
#include "speech/frontend/utf16.h"

namespace quorvane::frontend {

namespace {

bool IsMinus(char16_t c) { return c == u'-' || c == 0x2212; }
bool IsCurrency(char16_t c) { return c == u'$' || c == u'¥' || c == 0xFFE5 || c == 0x20AC || c == u'£' || c == 0xFFE1; }

bool EqualsIgnoreCase(std::u16string_view text, size_t i, std::u16string_view lowerWord)
{
    if (i + lowerWord.size() > text.size()) return false;
    for (size_t k = 0; k < lowerWord.size(); ++k) {
        char16_t c = text[i + k];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lowerWord[k]) return false;
    }
    return true;
}

bool IsAsciiAlnum(char16_t c) { return IsDigit(c) || (c < 0x80 && IsLatinLetter(c)); }

bool IsUrlUnit(char16_t c)
{
    return IsAsciiAlnum(c) || (c < 0x80 && std::u16string_view(u"-._~:/?#[]@!$&'()*+,;=%").find(c) != std::u16string_view::npos);
}

// The length of the URL or e-mail address that starts at text[i], or 0.
size_t AddressLength(std::u16string_view text, size_t i)
{
    size_t end = i;
    if (EqualsIgnoreCase(text, i, u"http://") || EqualsIgnoreCase(text, i, u"https://") ||
        EqualsIgnoreCase(text, i, u"ftp://") || EqualsIgnoreCase(text, i, u"www.")) {
        while (end < text.size() && IsUrlUnit(text[end])) ++end;
    } else {
        // name@domain.tld
        auto localUnit = [](char16_t c) { return IsAsciiAlnum(c) || c == u'.' || c == u'_' || c == u'%' || c == u'+' || c == u'-'; };
        while (end < text.size() && localUnit(text[end])) ++end;
        if (end == i || end >= text.size() || text[end] != u'@') return 0;
        const size_t domain = ++end;
        size_t lastDot = 0;
        while (end < text.size() && (IsAsciiAlnum(text[end]) || text[end] == u'-' || text[end] == u'.')) {
            if (text[end] == u'.' && end + 1 < text.size() && IsAsciiAlnum(text[end + 1])) lastDot = end;
            ++end;
        }
        if (lastDot <= domain) return 0;
    }
    while (end > i && std::u16string_view(u".,;:!?)'\"]").find(text[end - 1]) != std::u16string_view::npos) --end;
    return end - i;
}

std::u16string_view AddressSeparatorReading(char16_t c)
{
    switch (c) {
    case u'.': return u"点";
    case u'/': return u"斜杠";
    case u':': return u"冒号";
    case u'-': return u"杠";
    case u'_': return u"下划线";
    case u'?': return u"问号";
    case u'=': return u"等于";
    case u'&': return u"和";
    case u'#': return u"井号";
    case u'%': return u"百分号";
    case u'~': return u"波浪号";
    case u'+': return u"加";
    default: return {};
    }
}

// What a Mandarin run's punctuation becomes: the full-width marks espeak-ng's
// Mandarin voices pause at (an ASCII full stop between pinyin syllables
// makes no pause), a blank for marks that are not heard.
char16_t MandarinPunctuation(char16_t c)
{
    switch (c) {
    case u',': case 0x3001: case 0xFF0C: return 0xFF0C;
    case u'.': case 0x3002: return 0x3002;
    case u'!': case 0xFF01: return 0xFF01;
    case u'?': case 0xFF1F: return 0xFF1F;
    case u';': case 0xFF1B: return 0xFF1B;
    case u':': case 0xFF1A: return 0xFF1A;
    default: return u' ';
    }
}

std::string PinyinToken(const MandarinSyllable& syllable, bool citationTone, bool forSynthesis)
{
    std::string token;
    token.reserve(syllable.pinyin.size() + 1);
    const size_t umlaut = forSynthesis ? syllable.pinyin.find("u:") : std::string::npos;
    if (umlaut == std::string::npos) {
        token = syllable.pinyin;
    } else {
        // espeak-ng reads "lv4" as lǜ but "lu:4" as "lu", a colon and "four".
        token.append(syllable.pinyin, 0, umlaut);
        token += 'v';
        token.append(syllable.pinyin, umlaut + 2, std::string::npos);
    }
    const int spoken = citationTone ? syllable.tone : syllable.spokenTone;
    const int tone = spoken >= 1 && spoken <= 5 ? spoken : 5;
    token += static_cast<char>('0' + tone);
    return token;
}

// A token says something when it holds a letter, a digit or any character
// beyond ASCII; marks alone are not spoken.
bool SaysSomething(const std::string& token)
{
    for (char ch : token) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (u >= 0x80 || IsAsciiAlnum(static_cast<char16_t>(u))) return true;
    }
    return false;
}

// Builds the runs from the classified pieces of the prepared text.
class RunBuilder {
public:
    explicit RunBuilder(const FrontEndOptions& options) : options_(options) {}

    void Add(RunVoice voice, char16_t c, SourceSpan span, unsigned char flag = 0)
    {
        if (!open_ || voice != voice_) {
            Flush(0);
            voice_ = voice;
            open_ = true;
        }
        pending_.Append(c, span, flag);
    }
    void Add(RunVoice voice, std::u16string_view text, SourceSpan span)
    {
        for (char16_t c : text) Add(voice, c, span);
    }
    // Blanks and punctuation belong to the run they follow.
    void Neutral(char16_t c, SourceSpan span)
    {
        if (open_) pending_.Append(c, span);
    }
    void Pause(int ms)
    {
        Flush(ms);
        open_ = false;
    }
    // The runs completed so far; the next piece starts a new run.
    std::vector<SpeechRun> TakeRuns()
    {
        Flush(0);
        open_ = false;
        std::vector<SpeechRun> runs = std::move(runs_);
        runs_.clear();
        return runs;
    }

private:
    void Flush(int pauseMs)
    {
        // A run is built in a buffer kept from run to run, then copied out at
        // its size: a text makes many short runs, and growing each one's
        // strings step by step cost more than the analysis.
        SpeechRun& built = scratch_;
        built.text.clear();
        built.spans.clear();
        built.tokens.clear();
        if (open_ && !pending_.text.empty()) {
            if (voice_ == RunVoice::Mandarin) BuildMandarin(built);
            else BuildPlain(built);
        }
        pending_.Clear();
        if (!built.tokens.empty()) {
            SpeechRun run;
            run.voice = voice_;
            run.text = built.text;
            run.spans = built.spans;
            run.tokens = built.tokens;
            run.pauseAfterMs = pauseMs;
            runs_.push_back(std::move(run));
        } else if (!runs_.empty()) {
            runs_.back().pauseAfterMs = std::max(runs_.back().pauseAfterMs, pauseMs);
        }
    }

    // Appends a UTF-16 piece as UTF-8 with one span per code point.
    static void Emit(SpeechRun& run, std::u16string_view text, SourceSpan span)
    {
        for (size_t k = 0; k < text.size();) {
            size_t units = 1;
            AppendUtf8(run.text, CodePointAt(text, k, &units));
            run.spans.push_back(span);
            k += units;
        }
    }
    static void Emit(SpeechRun& run, const std::string& ascii, SourceSpan span)
    {
        run.text += ascii;
        run.spans.insert(run.spans.end(), ascii.size(), span);
    }

    void BuildMandarin(SpeechRun& run)
    {
        const std::u16string& text = pending_.text;
        std::vector<int>& syllableAt = syllableAt_;
        syllableAt.assign(text.size(), -1);
        std::vector<MandarinSyllable> syllables;
        if (options_.mandarin == MandarinSupport::Pinyin) {
            syllables = options_.readMandarin ? options_.readMandarin(text) : ReadMandarin(text);
            for (size_t s = 0; s < syllables.size(); ++s) {
                const int at = syllables[s].position;
                if (at >= 0 && static_cast<size_t>(at) < text.size()) syllableAt[static_cast<size_t>(at)] = static_cast<int>(s);
            }
        }
        // Syllables are separated by one blank (espeak-ng then reports one
        // word each); a full-width mark needs none.
        auto separate = [&run](SourceSpan span) {
            if (!run.text.empty() && run.text.back() != ' ' && static_cast<unsigned char>(run.text.back()) < 0x80)
                Emit(run, std::string(" "), span);
        };
        for (size_t k = 0; k < text.size();) {
            size_t units = 1;
            CodePointAt(text, k, &units);
            const SourceSpan span = SpanOf(k, units);
            if (IsHanUnit(text, k)) {
                if (options_.mandarin == MandarinSupport::Hanzi) {
                    Emit(run, std::u16string_view(text).substr(k, units), span);
                    run.tokens.push_back(ToUtf8(std::u16string_view(text).substr(k, units)));
                } else if (syllableAt[k] >= 0) {
                    const MandarinSyllable& syllable = syllables[static_cast<size_t>(syllableAt[k])];
                    separate(span);
                    const bool citation = (pending_.flags[k] & kCitationTone) != 0;
                    Emit(run, PinyinToken(syllable, citation, true), span);
                    run.tokens.push_back(PinyinToken(syllable, citation, false));
                }
            } else {
                const char16_t mark = MandarinPunctuation(text[k]);
                if (mark != u' ') Emit(run, std::u16string_view(&mark, 1), span);
                else if (options_.mandarin == MandarinSupport::Hanzi) separate(span);
            }
            k += units;
        }
        while (!run.text.empty() && run.text.back() == ' ') {
            run.text.pop_back();
            run.spans.pop_back();
        }
    }

    void BuildPlain(SpeechRun& run)
    {
        const std::u16string& text = pending_.text;
        std::string word;
        auto endWord = [&] {
            // Marks around a word are not spoken.
            size_t b = 0, e = word.size();
            auto mark = [](char c) { return std::string_view(".,;:!?\"'()[]{}-").find(c) != std::string_view::npos; };
            while (b < e && mark(word[b])) ++b;
            while (e > b && mark(word[e - 1])) --e;
            if (e > b) run.tokens.push_back(word.substr(b, e - b));
            word.clear();
        };
        for (size_t k = 0; k < text.size();) {
            size_t units = 1;
            const char32_t c = CodePointAt(text, k, &units);
            Emit(run, std::u16string_view(text).substr(k, units), SpanOf(k, units));
            if (c == u' ') {
                endWord();
            } else {
                AppendUtf8(word, c);
            }
            k += units;
        }
        endWord();
        run.tokens.erase(std::remove_if(run.tokens.begin(), run.tokens.end(),
                                        [](const std::string& token) { return !SaysSomething(token); }),
                         run.tokens.end());
        while (!run.text.empty() && run.text.back() == ' ') {
            run.text.pop_back();
            run.spans.pop_back();
        }
    }

    // The span of the code point of `units` units at pending_.text[k].
    SourceSpan SpanOf(size_t k, size_t units) const
    {
        SourceSpan span = pending_.spans[k];
        if (units == 2) span.end = std::max(span.end, pending_.spans[k + 1].end);
        return span;
    }

    const FrontEndOptions& options_;
    std::vector<SpeechRun> runs_;
    SpeechRun scratch_;
    std::vector<int> syllableAt_;  // BuildMandarin's, kept for its capacity
    MappedText pending_;
    RunVoice voice_ = RunVoice::Current;
    bool open_ = false;
};

}  // namespace

bool IsHanUnit(std::u16string_view text, size_t i)
{
    size_t units = 1;
    const char32_t c = CodePointAt(text, i, &units);
    return c == 0x3007 || IsHan(c);
}

bool ContainsHan(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (IsHanUnit(text, i)) return true;
    return false;
}

bool IsCjkPunctuation(char16_t c)
{
    return (c >= 0x3001 && c <= 0x303F && c != 0x3007) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF5F && c <= 0xFF65) ||
           c == 0xFF0C || c == 0xFF01 || c == 0xFF1F || c == 0xFF1A || c == 0xFF1B;
}

bool IsLatinLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
           (c >= 0x1E00 && c <= 0x1EFF);
}

SourceSpan SpeechRun::Map(int espeakPosition, int length) const
{
    if (spans.empty()) return {};
    const int count = static_cast<int>(spans.size());
    const int first = std::clamp(espeakPosition - 1, 0, count - 1);
    const int last = std::clamp(first + std::max(length, 1), first + 1, count);
    SourceSpan result = spans[static_cast<size_t>(first)];
    for (int k = first + 1; k < last; ++k) {
        result.begin = std::min(result.begin, spans[static_cast<size_t>(k)].begin);
        result.end = std::max(result.end, spans[static_cast<size_t>(k)].end);
    }
    return result;
}

struct TextAnalysis::State {
    explicit State(std::u16string_view text, FrontEndOptions frontEndOptions)
        : options(std::move(frontEndOptions)), preparer(text), builder(options)
    {
    }
    // Prepared text reaches this far past the position being read, for the
    // look-ahead of numbers, addresses and context.
    static constexpr size_t kLookAhead = 1024;
    void PrepareTo(size_t position)
    {
        if (!preparer.Done() && prepared.Size() < position + kLookAhead)
            preparer.Continue(prepared, position + 2 * kLookAhead);
    }
    FrontEndOptions options;
    TextPreparer preparer;
    MappedText prepared;
    RunBuilder builder;
    size_t next = 0;  // in prepared.text
};

TextAnalysis::TextAnalysis(std::u16string_view text, FrontEndOptions options)
    : state_(std::make_unique<State>(text, std::move(options)))
{
}

TextAnalysis::~TextAnalysis() = default;

bool TextAnalysis::Done() const { return state_->preparer.Done() && state_->next >= state_->prepared.Size(); }

std::vector<SpeechRun> TextAnalysis::Next()
{
    const FrontEndOptions& options = state_->options;
    const MappedText& prepared = state_->prepared;
    const std::u16string& t = prepared.text;
    state_->PrepareTo(state_->next);
    size_t n = t.size();
    const bool mandarinOk = options.mandarin != MandarinSupport::None;
    const RunVoice latinVoice = options.current == CurrentLanguage::Other ? RunVoice::Current : RunVoice::English;
    RunBuilder& builder = state_->builder;

    // The neighbours of t[begin, end): blanks and ASCII marks between are
    // skipped, and so is a word the piece is glued to ("5G", "iPhone15").
    auto chineseContext = [&](size_t begin, size_t end) {
        if (!mandarinOk) return false;
        auto skippable = [&](char16_t c) { return c == u' ' || (c < 0x80 && !IsAsciiAlnum(c)); };
        size_t before = begin;
        while (before > 0 && IsLatinLetter(t[before - 1])) --before;
        while (before > 0 && skippable(t[before - 1])) --before;
        size_t after = end;
        while (after < n && (IsLatinLetter(t[after]) || IsDigit(t[after]))) ++after;
        while (after < n && skippable(t[after])) ++after;
        const size_t beforeAt = before >= 2 && t[before - 1] >= 0xDC00 && t[before - 1] <= 0xDFFF ? before - 2 : before - 1;
        const bool beforeCjk = before > 0 && IsCjk(t, beforeAt);
        const bool afterCjk = after < n && IsCjk(t, after);
        if (beforeCjk || afterCjk) return true;
        const bool beforeLatin = before > 0 && IsLatinLetter(t[before - 1]);
        const bool afterLatin = after < n && IsLatinLetter(t[after]);
        if (beforeLatin || afterLatin) return false;
        return options.current == CurrentLanguage::Mandarin;
    };

    // A piece ends at the first sentence end or break after kPieceUnits.
    size_t& i = state_->next;
    const size_t pieceEnd = i + kPieceUnits;
    auto endsPiece = [](char16_t c) {
        return c == kLineBreakMark || c == kParagraphMark || c == 0x3002 || c == 0xFF01 || c == 0xFF1F || c == u'.' ||
               c == u'!' || c == u'?';
    };
    while (i < n) {
        if (i >= pieceEnd && endsPiece(t[i - 1])) break;
        state_->PrepareTo(i);
        n = t.size();
        const char16_t c = t[i];
        const SourceSpan span = prepared.spans[i];
        if (c == kLineBreakMark || c == kParagraphMark) {
            builder.Pause(c == kLineBreakMark ? kLinePauseMs : kParagraphPauseMs);
            ++i;
            continue;
        }
        if (c == u' ') {
            builder.Neutral(c, span);
            ++i;
            continue;
        }
        if (IsHanUnit(t, i)) {
            size_t units = 1;
            CodePointAt(t, i, &units);
            // Without a Mandarin voice Han text is left out: a voice of another
            // language would only name each character.
            if (mandarinOk)
                for (size_t k = 0; k < units; ++k) builder.Add(RunVoice::Mandarin, t[i + k], prepared.spans[i + k]);
            i += units;
            continue;
        }
        if (IsCjkPunctuation(c)) {
            if (mandarinOk) builder.Add(RunVoice::Mandarin, c, span);
            ++i;
            continue;
        }
        if (IsAsciiAlnum(c)) {
            if (const size_t length = AddressLength(t, i)) {
                const size_t end = i + length;
                if (!chineseContext(i, end)) {
                    for (; i < end; ++i) builder.Add(latinVoice, t[i], prepared.spans[i]);
                    continue;
                }
                // Words to the English voice, digits one by one and separators
                // in Chinese.
                while (i < end) {
                    if (IsLatinLetter(t[i])) {
                        while (i < end && IsLatinLetter(t[i])) builder.Add(RunVoice::English, t[i], prepared.spans[i]), ++i;
                    } else if (IsDigit(t[i])) {
                        static const std::u16string_view kDigitNames = u"零一二三四五六七八九";
                        builder.Add(RunVoice::Mandarin, kDigitNames[static_cast<size_t>(t[i] - u'0')], prepared.spans[i],
                                    kCitationTone);
                        ++i;
                    } else if (t[i] == u'@') {
                        builder.Add(RunVoice::English, u" at ", prepared.spans[i]);
                        ++i;
                    } else {
                        const std::u16string_view reading = AddressSeparatorReading(t[i]);
                        if (!reading.empty()) builder.Add(RunVoice::Mandarin, reading, prepared.spans[i]);
                        ++i;
                    }
                }
                continue;
            }
        }
        const bool signedNumber = (IsMinus(c) || IsCurrency(c)) && i + 1 < n && IsDigit(t[i + 1]) &&
                                  !(i > 0 && (IsAsciiAlnum(t[i - 1]) || (IsMinus(c) && IsCurrency(t[i - 1]))));
        if (IsDigit(c) || signedNumber) {
            size_t end = i + 1;
            while (end < n && (IsDigit(t[end]) || ((std::u16string_view(u".,:/-~%").find(t[end]) != std::u16string_view::npos ||
                                                     t[end] == 0x2030) &&
                                                    (t[end] == u'%' || t[end] == 0x2030 || (end + 1 < n && IsDigit(t[end + 1]))))))
                ++end;
            if (chineseContext(i, end)) {
                MappedText reading;
                ReadChineseNumber(prepared, i, reading);
                for (size_t k = 0; k < reading.Size(); ++k)
                    builder.Add(RunVoice::Mandarin, reading.text[k], reading.spans[k], reading.flags[k]);
            } else {
                for (; i < end; ++i) builder.Add(latinVoice, t[i], prepared.spans[i]);
            }
            continue;
        }
        if (IsLatinLetter(c)) {
            size_t end = i + 1;
            while (end < n && (IsLatinLetter(t[end]) ||
                               ((t[end] == u'\'' || t[end] == 0x2019 || t[end] == u'-') && end + 1 < n && IsLatinLetter(t[end + 1]))))
                ++end;
            for (; i < end; ++i) builder.Add(latinVoice, t[i], prepared.spans[i]);
            continue;
        }
        const bool betweenNumbers = i > 0 && IsDigit(t[i - 1]) && i + 1 < n && IsDigit(t[i + 1]);
        const std::u16string_view symbol = ChineseSymbolReading(c, betweenNumbers);
        if (!symbol.empty() && chineseContext(i, i + 1)) {
            builder.Add(RunVoice::Mandarin, symbol, span);
            ++i;
            continue;
        }
        if (c < 0x80 || (c >= 0x2000 && c <= 0x206F) || (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7) {
            builder.Neutral(c, span);
            ++i;
            continue;
        }
        // Other scripts: the current voice and espeak-ng's own reading.
        size_t units = 1;
        CodePointAt(t, i, &units);
        for (size_t k = 0; k < units; ++k) builder.Add(RunVoice::Current, t[i + k], prepared.spans[i + k]);
        i += units;
    }
    return builder.TakeRuns();
}

std::vector<SpeechRun> AnalyseText(std::u16string_view text, const FrontEndOptions& options)
{
    TextAnalysis analysis(text, options);
    std::vector<SpeechRun> runs;
    while (!analysis.Done()) {
        std::vector<SpeechRun> piece = analysis.Next();
        runs.insert(runs.end(), std::make_move_iterator(piece.begin()), std::make_move_iterator(piece.end()));
    }
    return runs;
}

std::string ReadingLine(std::u16string_view text, const FrontEndOptions& options)
{
    std::string line;
    const std::vector<SpeechRun> runs = AnalyseText(text, options);
    for (size_t r = 0; r < runs.size(); ++r) {
        const SpeechRun& run = runs[r];
        std::string prefix;
        if (run.voice == RunVoice::English && options.current != CurrentLanguage::English) prefix = "en:";
        if (run.voice == RunVoice::Mandarin && options.current != CurrentLanguage::Mandarin) prefix = "cmn:";
        for (const std::string& token : run.tokens) {
            if (!line.empty()) line += ' ';
            line += prefix + token;
        }
        if (run.pauseAfterMs > 0 && r + 1 < runs.size())
            line += run.pauseAfterMs >= kParagraphPauseMs ? " ||" : " |";
    }
    return line;
}

std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        size_t length = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xF4) {
            length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t value = b & (b < 0xE0 ? 0x1F : b < 0xF0 ? 0x0F : 0x07);
            bool valid = i + length <= text.size();
            for (size_t k = 1; valid && k < length; ++k) {
                const unsigned char cont = static_cast<unsigned char>(text[i + k]);
                if ((cont & 0xC0) != 0x80) valid = false;
                else value = (value << 6) | (cont & 0x3F);
            }
            const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
            if (valid && value >= minimum && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF)) c = value;
            else length = 1;
        }
        i += length;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size();) {
        size_t units = 1;
        AppendUtf8(out, CodePointAt(text, i, &units));
        i += units;
    }
    return out;
}

}  // namespace quorvane::frontend
