#include "speech/frontend/mandarin_context.h"

namespace quorvane::frontend {

char16_t ContextUnit(char32_t c)
{
    if (c >= '0' && c <= '9') return u'0';
    if (c >= 0xFF10 && c <= 0xFF19) return u'0';  // full-width digits
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return u'a';
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0x3000 || c == 0xA0) return u' ';
    if (c < 0x20) return kTextEdge;
    return c < 0x10000 ? static_cast<char16_t>(c) : char16_t(0xFFFD);
}

std::vector<ContextKey> ContextKeys(std::u16string_view units, size_t index, int phraseSyllable)
{
    auto at = [&](long offset) -> char16_t {
        const long i = static_cast<long>(index) + offset;
        if (i < 0 || i >= static_cast<long>(units.size())) return kTextEdge;
        return units[static_cast<size_t>(i)];
    };
    auto inside = [](char16_t a, char16_t b) { return a != kTextEdge && a != u' ' && b != kTextEdge && b != u' '; };
    std::vector<ContextKey> keys;
    keys.reserve(6);
    auto add = [&](ContextKind kind, char16_t first, char16_t second, bool single) {
        if (inside(first, single ? u'x' : second)) keys.push_back({kind, first, second});
    };
    add(ContextKind::Left1, at(-1), 0, true);
    add(ContextKind::Right1, at(1), 0, true);
    add(ContextKind::Left2, at(-2), at(-1), false);
    add(ContextKind::Right2, at(1), at(2), false);
    add(ContextKind::Around, at(-1), at(1), false);
    if (phraseSyllable >= 0) keys.push_back({ContextKind::Phrase, static_cast<char16_t>(phraseSyllable), 0});
    return keys;
}

int ChooseContextReading(char16_t character, const std::vector<ContextKey>& keys, int floor,
                         const std::function<ContextRule(char16_t, const ContextKey&)>& lookup)
{
    // Rules vote for their readings with their scores; the reading with the
    // largest total wins if it beats the floor.
    ContextRule votes[8];
    int voteCount = 0;
    for (const ContextKey& key : keys) {
        const ContextRule rule = lookup(character, key);
        if (rule.reading < 0) continue;
        int k = 0;
        while (k < voteCount && votes[k].reading != rule.reading) ++k;
        if (k == voteCount) votes[voteCount++] = {rule.reading, 0};
        votes[k].score += rule.score;
    }
    ContextRule best;
    best.score = floor;
    for (int k = 0; k < voteCount; ++k)
        if (votes[k].score > best.score) best = votes[k];
    return best.reading;
}

}  // namespace quorvane::frontend
