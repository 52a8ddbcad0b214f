#include "speech/frontend/mandarin_reading.h"

#include <cstdint>

#include "speech/frontend/mandarin_context.h"
#include "speech/frontend/mandarin_table.h"

namespace quorvane::frontend {
namespace {

// A dictionary word is at most this many characters long (the longest
// idioms and names of the word list).
constexpr int kMaxWordLength = 16;
// Segmentation cost of a character the dictionary does not hold as a word:
// rarer than the rarest word (-ln(1 / 60 million) * 100 is about 1790).
constexpr int kUnknownCharacterCost = 2000;

struct DecodedCharacter {
    int position = 0;  // UTF-16 index in the caller's text
    char32_t read = 0; // the character read (traditional ones as simplified)
    bool han = false;
};

bool IsNumeral(char32_t c)
{
    switch (c) {
    case U'〇': case U'零': case U'一': case U'二': case U'两': case U'三': case U'四': case U'五': case U'六':
    case U'七': case U'八': case U'九': case U'十': case U'百': case U'千': case U'万': case U'亿':
        return true;
    default:
        return false;
    }
}

bool IsDigitNumeral(char32_t c)
{
    switch (c) {
    case U'〇': case U'零': case U'一': case U'二': case U'三': case U'四': case U'五': case U'六':
    case U'七': case U'八': case U'九': case U'十':
        return true;
    default:
        return false;
    }
}

char16_t Unit(char32_t c)
{
    return c < 0x10000 ? static_cast<char16_t>(c) : char16_t(0);
}

// The noun suffixes 子 and 头 keep the neutral tone a phrase gives them
// (石头 shi2 tou5, 桌子 zhuo1 zi5): the context rules, learned from text
// annotated with their full tone, do not put the tone back.
bool KeepsNeutralTone(const MandarinTable& table, char32_t character, int phraseSyllable, int chosen)
{
    if (phraseSyllable < 0 || (character != U'子' && character != U'头')) return false;
    const TableSyllable phrase = table.Syllable(static_cast<std::uint16_t>(phraseSyllable));
    const TableSyllable rule = table.Syllable(static_cast<std::uint16_t>(chosen));
    return phrase.tone == 5 && rule.pinyin == phrase.pinyin;
}

struct Segment {
    int begin = 0;
    int end = 0;
    TableWord entry;
};

// The most probable split of a run of Han characters into dictionary words:
// the path of least total cost through the graph of every word starting at
// every character, computed from the end of the run backwards.
std::vector<Segment> Split(const MandarinTable& table, const std::vector<DecodedCharacter>& text, int begin, int end)
{
    // The search reads only the words' costs from the dictionary's prefix
    // tree; the records of the words chosen are read at the end.
    struct Choice {
        int end = 0;
        WordPrefix word;  // empty: a single character that is no word
    };
    const int n = end - begin;
    // Kept from call to call for their capacity: a text is read in many
    // short runs.
    thread_local std::vector<long long> best;
    thread_local std::vector<Choice> choice;
    best.assign(static_cast<size_t>(n) + 1, 0);
    choice.assign(static_cast<size_t>(n), Choice{});
    for (int i = n - 1; i >= 0; --i) {
        Choice chosen{i + 1, {}};
        long long bestCost = kUnknownCharacterCost + best[static_cast<size_t>(i) + 1];
        WordPrefix prefix = table.Root();
        for (int j = i; j < n && j - i < kMaxWordLength; ++j) {
            const char16_t unit = Unit(text[static_cast<size_t>(begin + j)].read);
            if (unit == 0) break;
            prefix = table.Narrow(prefix, unit);
            if (prefix.Empty()) break;
            const int wordCost = table.WordCost(prefix);
            if (wordCost < 0) continue;
            const long long cost = wordCost + best[static_cast<size_t>(j) + 1];
            // Ties go to the longer word.
            if (cost < bestCost || (cost == bestCost && j + 1 > chosen.end)) {
                bestCost = cost;
                chosen = {j + 1, prefix};
            }
        }
        best[static_cast<size_t>(i)] = bestCost;
        choice[static_cast<size_t>(i)] = chosen;
    }
    std::vector<Segment> words;
    words.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; i = choice[static_cast<size_t>(i)].end) {
        const Choice& c = choice[static_cast<size_t>(i)];
        Segment word{begin + i, begin + c.end, {}};
        if (!c.word.Empty() && !table.ExactWord(c.word, &word.entry)) word.entry = {};
        words.push_back(word);
    }
    return words;
}

std::vector<DecodedCharacter> Decode(const MandarinTable& table, std::u16string_view text)
{
    std::vector<DecodedCharacter> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const int position = static_cast<int>(i);
        char32_t c = text[i++];
        if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
        DecodedCharacter d{position, c, IsHan(c)};
        TableCharacter info;
        if (d.han && table.Valid() && table.Character(c, &info) && info.readAs != 0) d.read = info.readAs;
        out.push_back(d);
    }
    return out;
}

// Tone sandhi: what is spoken differs from the citation tones in three
// well-known places. 一 and 不 take the second tone before a fourth tone;
// 一 takes the fourth before the other tones, except where it is a numeral
// read as a digit (第一, 十一, 一九八四) or ends a word (统一); both are
// neutral between a repeated verb or adjective (看一看, 好不好). A third
// tone before another third tone in the same word is spoken as a second.
void ApplySandhi(const std::vector<CharacterAnalysis>& chars, std::vector<MandarinSyllable>& out)
{
    const size_t n = chars.size();
    for (size_t k = 0; k < n; ++k) {
        MandarinSyllable& s = out[k];
        s.spokenTone = s.tone;
        const bool hasPrevious = k > 0 && chars[k - 1].nextAdjacent;
        const bool hasNext = chars[k].nextAdjacent && chars[k + 1].syllable >= 0;
        const int nextTone = hasNext ? out[k + 1].tone : 0;
        const char32_t c = chars[k].read;
        const bool between = hasPrevious && chars[k].nextAdjacent && chars[k - 1].read == chars[k + 1].read;
        if (c == U'一' && s.pinyin == "yi" && s.tone == 1) {
            const bool numeral = (hasPrevious && (IsNumeral(chars[k - 1].read) || chars[k - 1].read == U'第')) ||
                                 (chars[k].nextAdjacent && IsDigitNumeral(chars[k + 1].read));
            if (between) s.spokenTone = 5;
            else if (numeral || !hasNext || (chars[k].wordEnd && chars[k].wordLength > 1)) s.spokenTone = 1;
            else if (nextTone == 4) s.spokenTone = 2;
            else if (nextTone != 5) s.spokenTone = 4;
        } else if (c == U'不' && s.pinyin == "bu" && s.tone == 4) {
            if (between) s.spokenTone = 5;
            else if (hasNext && nextTone == 4) s.spokenTone = 2;
        } else if (s.tone == 3 && hasNext && nextTone == 3 && !chars[k].wordEnd) {
            s.spokenTone = 2;
        }
    }
}

}  // namespace

bool IsHan(char32_t c)
{
    if (c < 0x3007) return false;  // most text: Latin, digits, marks
    return (c >= 0x4E00 && c <= 0x9FFF) ||    // unified ideographs
           (c >= 0x3400 && c <= 0x4DBF) ||    // extension A
           (c >= 0x20000 && c <= 0x2A6DF) ||  // extension B
           (c >= 0x2A700 && c <= 0x2EE5F) ||  // extensions C to F and I
           (c >= 0x30000 && c <= 0x323AF) ||  // extensions G and H
           (c >= 0xF900 && c <= 0xFAFF) ||    // compatibility ideographs
           (c >= 0x2F800 && c <= 0x2FA1F) ||  // compatibility supplement
           c == 0x3007;                       // 〇, the ideographic zero
}

std::vector<CharacterAnalysis> AnalyseMandarin(
    std::u16string_view text, const std::function<ContextRule(char16_t, const ContextKey&)>& lookup,
    int phraseStrength)
{
    const MandarinTable& table = MandarinTable::Get();
    const std::vector<DecodedCharacter> decoded = Decode(table, text);
    std::u16string units;
    units.reserve(decoded.size());
    for (const DecodedCharacter& d : decoded) units.push_back(ContextUnit(d.read));

    std::vector<CharacterAnalysis> out;
    out.reserve(decoded.size());
    const int n = static_cast<int>(decoded.size());
    for (int begin = 0; begin < n;) {
        if (!decoded[static_cast<size_t>(begin)].han) {
            ++begin;
            continue;
        }
        int end = begin;
        while (end < n && decoded[static_cast<size_t>(end)].han) ++end;
        std::vector<Segment> words;
        if (table.Valid()) words = Split(table, decoded, begin, end);
        else
            for (int k = begin; k < end; ++k) words.push_back({k, k + 1, {}});
        for (const Segment& word : words) {
            const int length = word.end - word.begin;
            for (int k = word.begin; k < word.end; ++k) {
                const DecodedCharacter& d = decoded[static_cast<size_t>(k)];
                CharacterAnalysis a;
                a.position = d.position;
                a.read = d.read;
                a.wordStart = k == word.begin;
                a.wordEnd = k + 1 == word.end;
                a.wordLength = length;
                a.nextAdjacent = k + 1 < end;
                TableCharacter info;
                if (table.Valid() && table.Character(d.read, &info)) {
                    a.defaultSyllable = info.reading;
                    a.polyphonic = info.polyphonic;
                }
                if (length >= 2 && word.entry.HasReading())
                    a.phraseSyllable = word.entry.SyllableAt(static_cast<size_t>(k - word.begin));
                a.syllable = a.phraseSyllable >= 0 ? a.phraseSyllable : a.defaultSyllable;
                if (a.polyphonic) {
                    a.keys = ContextKeys(units, static_cast<size_t>(k), a.phraseSyllable);
                    const int floor = a.phraseSyllable >= 0 ? phraseStrength : 0;
                    const int chosen = ChooseContextReading(units[static_cast<size_t>(k)], a.keys, floor, lookup);
                    if (chosen >= 0 && !KeepsNeutralTone(table, a.read, a.phraseSyllable, chosen)) a.syllable = chosen;
                }
                out.push_back(std::move(a));
            }
        }
        begin = end;
    }
    return out;
}

std::vector<MandarinSyllable> ReadMandarin(std::u16string_view text)
{
    const MandarinTable& table = MandarinTable::Get();
    // The keys of one character are asked one after another: its record is
    // looked up once for all of them.
    char16_t cachedCharacter = 0;
    TableCharacter cachedInfo;
    const TableCharacter* cached = nullptr;
    const std::vector<CharacterAnalysis> chars =
        AnalyseMandarin(text, [&](char16_t character, const ContextKey& key) {
            if (character != cachedCharacter || !cached) {
                cachedCharacter = character;
                cached = table.Character(character, &cachedInfo);
            }
            ContextRule rule;
            if (cached) rule.reading = table.ContextReading(*cached, key.kind, key.first, key.second, &rule.score);
            return rule;
        });
    std::vector<MandarinSyllable> out;
    out.reserve(chars.size());
    for (const CharacterAnalysis& a : chars) {
        MandarinSyllable s;
        s.position = a.position;
        s.wordStart = a.wordStart;
        if (a.syllable >= 0) {
            const TableSyllable syllable = table.Syllable(static_cast<std::uint16_t>(a.syllable));
            s.pinyin = std::string(syllable.pinyin);
            s.tone = syllable.tone;
        }
        out.push_back(std::move(s));
    }
    ApplySandhi(chars, out);
    return out;
}

}  // namespace quorvane::frontend
