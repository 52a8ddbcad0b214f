// pinyin_eval: a native (host) program for the Mandarin readings.
//
//   pinyin_eval score FOLDER [all|learn|held-out] [--errors]
//       reads FOLDER/dev.sent and FOLDER/dev.lb (one sentence a line, the
//       annotated character between two U+2581 marks, its tonal reading) and
//       prints how many annotated characters are read right. "held-out" is
//       every fifth line, the part nothing is learned from.
//   pinyin_eval learn FOLDER OUT
//       learns the context rules of polyphonic characters from the lines that
//       are not held out, prints the cross-validated accuracy of each setting
//       it tries, and writes the rules of the best one to OUT (the format
//       build_mandarin_table.py reads).
//   pinyin_eval pinyin
//       reads UTF-8 lines on standard input and prints the citation pinyin of
//       every Han character, like `speak --pinyin`.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "speech/frontend/mandarin_context.h"
#include "speech/frontend/mandarin_reading.h"
#include "speech/frontend/mandarin_table.h"
#include "speech/frontend/pinyin_text.h"

using namespace quorvane::frontend;

namespace {

struct Example {
    int line = 0;
    std::u16string text;
    int position = 0;
    std::string label;
};

std::vector<Example> ReadExamples(const std::string& folder, const std::string& slice)
{
    std::ifstream sentences(folder + "/dev.sent"), labels(folder + "/dev.lb");
    if (!sentences || !labels) {
        std::fprintf(stderr, "cannot read %s/dev.sent and dev.lb\n", folder.c_str());
        std::exit(2);
    }
    std::vector<Example> out;
    std::string sentence, label;
    for (int line = 0; std::getline(sentences, sentence) && std::getline(labels, label); ++line) {
        const bool heldOut = line % 5 == 4;
        if ((slice == "learn" && heldOut) || (slice == "held-out" && !heldOut)) continue;
        std::string text;
        int position = 0;
        if (!PolyphoneSentence(sentence, &text, &position)) continue;
        out.push_back({line, Utf8ToUtf16(text), position, NormalizeLabel(label)});
    }
    return out;
}

std::string Utf8(std::u16string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) out += static_cast<char>(c);
        else if (c < 0x800) out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
        else if (c < 0x10000)
            out += static_cast<char>(0xE0 | (c >> 12)), out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                out += static_cast<char>(0x80 | (c & 0x3F));
        else
            out += static_cast<char>(0xF0 | (c >> 18)), out += static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)), out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

int Score(const std::string& folder, const std::string& slice, bool errors)
{
    int total = 0, right = 0;
    for (const Example& e : ReadExamples(folder, slice)) {
        const std::string reading = PinyinOfCharacterAt(e.text, e.position);
        ++total;
        if (reading == e.label) ++right;
        else if (errors)
            std::printf("%d\t%s\t%s\t%s\n", e.line, e.label.c_str(), reading.c_str(),
                        (Utf8(e.text.substr(0, static_cast<size_t>(e.position))) + "\xE2\x96\x81" +
                         Utf8(e.text.substr(static_cast<size_t>(e.position), 1)) + "\xE2\x96\x81" +
                         Utf8(e.text.substr(static_cast<size_t>(e.position) + 1)))
                            .c_str());
    }
    std::printf("%s: %d / %d = %.2f %%\n", slice.c_str(), right, total, total ? 100.0 * right / total : 0.0);
    return 0;
}

// ---- learning -------------------------------------------------------------

using Key = std::tuple<char16_t, int, char16_t, char16_t>;

struct Observation {
    char16_t unit = 0;
    std::vector<ContextKey> keys;
    int label = -1;
};

struct Setting {
    int minCount;
    double smoothing;
    bool useNeighbours;
    int phraseStrength;
};

std::map<Key, ContextRule> Learn(const std::vector<Observation>& observations, const Setting& setting,
                                 const std::vector<bool>& use)
{
    std::map<Key, std::map<int, int>> counts;
    for (size_t i = 0; i < observations.size(); ++i) {
        if (!use[i]) continue;
        const Observation& o = observations[i];
        for (const ContextKey& k : o.keys) {
            if (!setting.useNeighbours && k.kind != ContextKind::Phrase) continue;
            ++counts[{o.unit, static_cast<int>(k.kind), k.first, k.second}][o.label];
        }
    }
    std::map<Key, ContextRule> rules;
    for (const auto& [key, byLabel] : counts) {
        int best = -1, bestCount = 0, total = 0;
        for (const auto& [label, n] : byLabel) {
            total += n;
            if (n > bestCount) best = label, bestCount = n;
        }
        const int other = total - bestCount;
        if (bestCount < setting.minCount || bestCount <= other) continue;
        const double score = std::log2((bestCount + setting.smoothing) / (other + setting.smoothing)) * 100.0;
        if (score < 1.0) continue;
        rules[key] = {best, static_cast<int>(std::lround(std::min(score, 65535.0)))};
    }
    return rules;
}

int Learn(const std::string& folder, const std::string& outPath)
{
    const MandarinTable& table = MandarinTable::Get();
    const std::vector<Example> examples = ReadExamples(folder, "learn");
    const auto none = [](char16_t, const ContextKey&) { return ContextRule{}; };
    std::vector<Observation> observations;
    std::vector<Example> used;
    for (const Example& e : examples) {
        const int label = table.FindSyllable(e.label);
        if (label < 0) continue;
        for (const CharacterAnalysis& a : AnalyseMandarin(e.text, none)) {
            if (a.position != e.position || !a.polyphonic) continue;
            observations.push_back({ContextUnit(a.read), a.keys, label});
            used.push_back(e);
        }
    }
    const Setting settings[] = {
        // The reader uses kPhraseStrength; the other strengths are printed to
        // show how much the phrase readings are worth against the rules.
        {1, 0.1, true, kPhraseStrength}, {2, 0.1, true, kPhraseStrength}, {1, 0.5, true, kPhraseStrength},
        {1, 0.1, false, kPhraseStrength}, {1, 0.1, true, 0}, {1, 0.1, true, 500},
    };
    const int kFolds = 4;
    Setting bestSetting = settings[0];
    double bestAccuracy = -1;
    int baseline = 0;
    for (size_t i = 0; i < observations.size(); ++i)
        for (const CharacterAnalysis& a : AnalyseMandarin(used[i].text, none))
            if (a.position == used[i].position && a.syllable == observations[i].label) ++baseline;
    std::printf("without rules: %.2f %% of the polyphonic examples\n", 100.0 * baseline / static_cast<double>(observations.size()));
    for (const Setting& setting : settings) {
        int right = 0;
        for (int fold = 0; fold < kFolds; ++fold) {
            std::vector<bool> use(observations.size());
            for (size_t i = 0; i < observations.size(); ++i) use[i] = static_cast<int>(i) % kFolds != fold;
            const std::map<Key, ContextRule> rules = Learn(observations, setting, use);
            const auto lookup = [&rules](char16_t c, const ContextKey& k) {
                const auto it = rules.find({c, static_cast<int>(k.kind), k.first, k.second});
                return it == rules.end() ? ContextRule{} : it->second;
            };
            for (size_t i = 0; i < observations.size(); ++i) {
                if (use[i]) continue;
                for (const CharacterAnalysis& a : AnalyseMandarin(used[i].text, lookup, setting.phraseStrength))
                    if (a.position == used[i].position && a.syllable == observations[i].label) ++right;
            }
        }
        const double accuracy = 100.0 * right / static_cast<double>(observations.size());
        std::printf("min count %d, smoothing %.1f, neighbours %d, phrase strength %d: %.2f %% cross-validated\n",
                    setting.minCount, setting.smoothing, setting.useNeighbours ? 1 : 0, setting.phraseStrength, accuracy);
        if (setting.phraseStrength == kPhraseStrength && accuracy > bestAccuracy) bestAccuracy = accuracy, bestSetting = setting;
    }
    const std::map<Key, ContextRule> rules =
        Learn(observations, bestSetting, std::vector<bool>(observations.size(), true));
    std::ofstream out(outPath);
    out << "# Context rules for polyphonic characters, learned by `pinyin_eval learn` from the\n"
           "# annotated sentences that are not held out. Columns: character, context kind (1 phrase\n"
           "# reading, 2 unit before, 3 after, 4 two before, 5 two after, 6 before and after), the\n"
           "# context (hexadecimal units, or the phrase's syllable), reading, score.\n";
    char buffer[64];
    for (const auto& [key, rule] : rules) {
        const auto [unit, kind, first, second] = key;
        const TableSyllable reading = table.Syllable(static_cast<std::uint16_t>(rule.reading));
        out << Utf8(std::u16string(1, unit)) << '\t' << kind << '\t';
        if (kind == static_cast<int>(ContextKind::Phrase)) {
            const TableSyllable s = table.Syllable(first);
            out << s.pinyin << s.tone;
        } else {
            std::snprintf(buffer, sizeof buffer, "%04X %04X", first, second);
            out << buffer;
        }
        out << '\t' << reading.pinyin << reading.tone << '\t' << rule.score << '\n';
    }
    std::printf("%zu rules from %zu examples\n", rules.size(), observations.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "score" && argc > 2) {
        const std::string slice = argc > 3 ? argv[3] : "all";
        const bool errors = argc > 4 && std::string(argv[4]) == "--errors";
        return Score(argv[2], slice, errors);
    }
    if (mode == "learn" && argc > 3) return Learn(argv[2], argv[3]);
    if (mode == "pinyin") {
        std::string line;
        while (std::getline(std::cin, line)) std::printf("%s\n", PinyinLine(Utf8ToUtf16(line)).c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: pinyin_eval score FOLDER [all|learn|held-out] [--errors]\n"
                         "       pinyin_eval learn FOLDER OUT\n"
                         "       pinyin_eval pinyin < lines\n");
    return 2;
}
