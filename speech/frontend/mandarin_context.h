// The context rules for polyphonic characters: which contexts of a character
// are looked up in the learned table, and how the reading is chosen from the
// rules that match. The same code serves the reader and the learner
// (pinyin_eval learn), so what is learned is what is read.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "speech/frontend/mandarin_table.h"

namespace quorvane::frontend {

struct ContextKey {
    ContextKind kind = ContextKind::Left1;
    char16_t first = 0;
    char16_t second = 0;
};

// The unit a context rule sees for a character of the text: Han and other
// characters as themselves (traditional ones as simplified), every digit as
// '0', every Latin letter as 'a', blanks as ' ', the text's ends as
// kTextEdge.
constexpr char16_t kTextEdge = 0x0002;
char16_t ContextUnit(char32_t codePoint);

// The keys for the character at `index` of `units` (ContextUnit of every
// character of the text); `phraseSyllable` is the syllable the dictionary
// phrase holding it gives it, or -1. Contexts that reach past the text's
// ends or a blank are left out: a text's edge says little about a reading
// and rules learned from sentence starts misread words on their own.
std::vector<ContextKey> ContextKeys(std::u16string_view units, size_t index, int phraseSyllable);

struct ContextRule {
    int reading = -1;
    int score = 0;
};

// A dictionary phrase's reading stands unless the rules for another reading
// score more than this in total: a rule seen once scores 346, twice without
// exception 439.
constexpr int kPhraseStrength = 500;

// The reading whose matching rules among `keys` score most in total, if that
// total is above `floor`, else -1. `lookup` finds the rule for one key of
// `character`.
int ChooseContextReading(char16_t character, const std::vector<ContextKey>& keys, int floor,
                         const std::function<ContextRule(char16_t, const ContextKey&)>& lookup);

// One Han character of a text as the reader decides its reading.
struct CharacterAnalysis {
    int position = 0;          // UTF-16 index in the text
    char32_t read = 0;         // the character read (simplified)
    bool polyphonic = false;
    int phraseSyllable = -1;   // from the dictionary phrase holding it, or -1
    int defaultSyllable = -1;  // the character's default reading, or -1
    std::vector<ContextKey> keys;  // its contexts (polyphonic characters only)
    int syllable = -1;         // the reading chosen, -1 when none is known
    bool wordStart = false;
    bool wordEnd = false;
    int wordLength = 1;
    bool nextAdjacent = false;  // the next Han character follows it directly
};

// Segments `text` and reads every Han character, polyphonic ones through the
// rules `lookup` finds (the context rule with the best score, else the
// phrase reading, else the default).
std::vector<CharacterAnalysis> AnalyseMandarin(
    std::u16string_view text, const std::function<ContextRule(char16_t, const ContextKey&)>& lookup,
    int phraseStrength = kPhraseStrength);

}  // namespace quorvane::frontend
