#include "speech/frontend/mandarin_reading.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "speech/frontend/mandarin_table.h"

namespace quorvane::frontend {
namespace {

// A dictionary word is at most this many characters long (the longest
// idioms and names of the word list).
constexpr int kMaxWordLength = 16;
// Segmentation cost of a character the dictionary does not hold as a word:
// rarer than the rarest word (-ln(1 / 60 million) * 100 is about 1790).
constexpr int kUnknownCharacterCost = 2000;

struct HanCharacter {
    int position = 0;     // UTF-16 index in the caller's text
    char32_t original = 0;
    char32_t read = 0;    // the character read (simplified)
};

// One reading decided for a character, before sandhi.
struct Reading {
    std::uint16_t syllable = 0;
    bool known = false;
    bool wordStart = false;
    bool wordEnd = false;
    int wordLength = 1;
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

class RunReader {
public:
    RunReader(const MandarinTable& table, const std::vector<HanCharacter>& run) : table_(table), run_(run) {}

    std::vector<Reading> Read()
    {
        const int n = static_cast<int>(run_.size());
        std::vector<Reading> readings(static_cast<size_t>(n));
        for (const Segment& word : Split()) {
            const int length = word.end - word.begin;
            for (int k = word.begin; k < word.end; ++k) {
                Reading& r = readings[static_cast<size_t>(k)];
                r.wordStart = k == word.begin;
                r.wordEnd = k + 1 == word.end;
                r.wordLength = length;
                if (length >= 2 && word.entry.HasReading()) {
                    r.syllable = word.entry.SyllableAt(static_cast<size_t>(k - word.begin));
                    r.known = true;
                } else {
                    r.known = ReadCharacter(k, &r.syllable);
                }
            }
        }
        return readings;
    }

private:
    struct Segment {
        int begin = 0;
        int end = 0;
        TableWord entry;
    };

    // The most probable split of the run into dictionary words: the path of
    // least total cost through the graph of every word starting at every
    // character, computed from the end of the run backwards.
    std::vector<Segment> Split()
    {
        const int n = static_cast<int>(run_.size());
        std::vector<long long> best(static_cast<size_t>(n) + 1, 0);
        std::vector<Segment> choice(static_cast<size_t>(n));
        for (int i = n - 1; i >= 0; --i) {
            Segment single{i, i + 1, {}};
            long long bestCost = kUnknownCharacterCost + best[static_cast<size_t>(i) + 1];
            WordRange range = table_.AllWords();
            for (int j = i; j < n && j - i < kMaxWordLength; ++j) {
                const char16_t unit = Unit(run_[static_cast<size_t>(j)].read);
                if (unit == 0) break;
                range = table_.Narrow(range, unit);
                if (range.Empty()) break;
                TableWord word;
                if (!table_.ExactWord(range, &word)) continue;
                const long long cost = word.cost + best[static_cast<size_t>(j) + 1];
                // Ties go to the longer word.
                if (cost < bestCost || (cost == bestCost && j + 1 > single.end)) {
                    bestCost = cost;
                    single = {i, j + 1, word};
                }
            }
            best[static_cast<size_t>(i)] = bestCost;
            choice[static_cast<size_t>(i)] = single;
        }
        std::vector<Segment> words;
        for (int i = 0; i < n; i = choice[static_cast<size_t>(i)].end) words.push_back(choice[static_cast<size_t>(i)]);
        return words;
    }

    char16_t At(int k) const
    {
        if (k < 0 || k >= static_cast<int>(run_.size())) return 0;
        return Unit(run_[static_cast<size_t>(k)].read);
    }

    // A character outside a dictionary phrase: the learned context reading
    // with the best score, else the character's default reading.
    bool ReadCharacter(int k, std::uint16_t* syllable) const
    {
        TableCharacter info;
        if (!table_.Character(run_[static_cast<size_t>(k)].read, &info)) return false;
        *syllable = info.reading;
        if (!info.polyphonic) return true;
        const char16_t c = At(k);
        struct Probe {
            ContextKind kind;
            char16_t first, second;
        };
        const Probe probes[] = {
            {ContextKind::Left2, At(k - 2), At(k - 1)}, {ContextKind::Right2, At(k + 1), At(k + 2)},
            {ContextKind::Around, At(k - 1), At(k + 1)}, {ContextKind::Left1, At(k - 1), 0},
            {ContextKind::Right1, At(k + 1), 0},
        };
        int bestScore = 0;
        for (const Probe& probe : probes) {
            if (probe.first == 0 || (probe.second == 0 && probe.kind != ContextKind::Left1 &&
                                     probe.kind != ContextKind::Right1))
                continue;
            int score = 0;
            const int reading = table_.ContextReading(c, probe.kind, probe.first, probe.second, &score);
            if (reading >= 0 && score > bestScore) {
                bestScore = score;
                *syllable = static_cast<std::uint16_t>(reading);
            }
        }
        return true;
    }

    const MandarinTable& table_;
    const std::vector<HanCharacter>& run_;
};

// Tone sandhi: what is spoken differs from the citation tones in three
// well-known places. 一 and 不 take the second tone before a fourth tone;
// 一 takes the fourth before the other tones, except where it is a numeral
// read as a digit (第一, 十一, 一九八四) or ends a word (统一); both are
// neutral between a repeated verb or adjective (看一看, 好不好). A third
// tone before another third tone in the same word is spoken as a second.
void ApplySandhi(const std::vector<HanCharacter>& run, const std::vector<Reading>& readings,
                 std::vector<MandarinSyllable>& out, size_t first)
{
    const size_t n = run.size();
    for (size_t k = 0; k < n; ++k) {
        MandarinSyllable& s = out[first + k];
        s.spokenTone = s.tone;
        const bool hasNext = k + 1 < n && readings[k + 1].known;
        const int nextTone = hasNext ? out[first + k + 1].tone : 0;
        const char32_t c = run[k].read;
        const bool between = k > 0 && k + 1 < n && run[k - 1].read == run[k + 1].read;
        if (c == U'一' && s.pinyin == "yi" && s.tone == 1) {
            const bool numeral = (k > 0 && (IsNumeral(run[k - 1].read) || run[k - 1].read == U'第')) ||
                                 (k + 1 < n && IsDigitNumeral(run[k + 1].read));
            if (between) s.spokenTone = 5;
            else if (numeral || !hasNext || (readings[k].wordEnd && readings[k].wordLength > 1)) s.spokenTone = 1;
            else if (nextTone == 4) s.spokenTone = 2;
            else if (nextTone != 5) s.spokenTone = 4;
        } else if (c == U'不' && s.pinyin == "bu" && s.tone == 4) {
            if (between) s.spokenTone = 5;
            else if (hasNext && nextTone == 4) s.spokenTone = 2;
        } else if (s.tone == 3 && hasNext && nextTone == 3 && !readings[k].wordEnd) {
            s.spokenTone = 2;
        }
    }
}

}  // namespace

bool IsHan(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) ||    // unified ideographs
           (c >= 0x3400 && c <= 0x4DBF) ||    // extension A
           (c >= 0x20000 && c <= 0x2A6DF) ||  // extension B
           (c >= 0x2A700 && c <= 0x2EE5F) ||  // extensions C to F and I
           (c >= 0x30000 && c <= 0x323AF) ||  // extensions G and H
           (c >= 0xF900 && c <= 0xFAFF) ||    // compatibility ideographs
           (c >= 0x2F800 && c <= 0x2FA1F) ||  // compatibility supplement
           c == 0x3007;                       // 〇, the ideographic zero
}

std::vector<MandarinSyllable> ReadMandarin(std::u16string_view text)
{
    const MandarinTable& table = MandarinTable::Get();
    std::vector<MandarinSyllable> out;
    std::vector<HanCharacter> run;

    auto flush = [&]() {
        if (run.empty()) return;
        std::vector<Reading> readings;
        if (table.Valid()) readings = RunReader(table, run).Read();
        else readings.resize(run.size());
        const size_t first = out.size();
        for (size_t k = 0; k < run.size(); ++k) {
            MandarinSyllable s;
            s.position = run[k].position;
            s.wordStart = readings[k].wordStart || !table.Valid();
            if (readings[k].known) {
                const TableSyllable syllable = table.Syllable(readings[k].syllable);
                s.pinyin = std::string(syllable.pinyin);
                s.tone = syllable.tone;
            }
            out.push_back(std::move(s));
        }
        ApplySandhi(run, readings, out, first);
        run.clear();
    };

    for (size_t i = 0; i < text.size();) {
        const int position = static_cast<int>(i);
        char32_t c = text[i++];
        if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
        if (!IsHan(c)) {
            flush();
            continue;
        }
        HanCharacter h{position, c, c};
        TableCharacter info;
        if (table.Valid() && table.Character(c, &info) && info.readAs != 0) h.read = info.readAs;
        run.push_back(h);
    }
    flush();
    return out;
}

}  // namespace quorvane::frontend
