// pinyin_eval: a native (host) program for the Mandarin readings.
//
//   pinyin_eval score FOLDER [all|learn|held-out] [--errors]
//       reads FOLDER/dev.sent and FOLDER/dev.lb (one sentence a line, the
//       annotated character between two U+2581 marks, its tonal reading) and
//       prints how many annotated characters are read right. "held-out" is
//       every fifth line, the part nothing is learned from.
//   pinyin_eval pinyin
//       reads UTF-8 lines on standard input and prints the citation pinyin of
//       every Han character, like `speak --pinyin`.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "speech/frontend/mandarin_reading.h"
#include "speech/frontend/pinyin_text.h"

using namespace quorvane::frontend;

namespace {

int Score(const std::string& folder, const std::string& slice, bool errors)
{
    std::ifstream sentences(folder + "/dev.sent"), labels(folder + "/dev.lb");
    if (!sentences || !labels) {
        std::fprintf(stderr, "cannot read %s/dev.sent and dev.lb\n", folder.c_str());
        return 2;
    }
    std::string sentence, label;
    int line = 0, total = 0, right = 0;
    for (; std::getline(sentences, sentence) && std::getline(labels, label); ++line) {
        const bool heldOut = line % 5 == 4;
        if ((slice == "learn" && heldOut) || (slice == "held-out" && !heldOut)) continue;
        std::string spoken;
        int target = -1;
        if (!PolyphoneSentence(sentence, &spoken, &target)) continue;
        const std::u16string text = Utf8ToUtf16(spoken);
        const std::string reading = PinyinOfCharacterAt(text, target);
        ++total;
        if (reading == NormalizeLabel(label)) ++right;
        else if (errors)
            std::printf("%d\t%s\t%s\t%s\n", line, label.c_str(), reading.c_str(), sentence.c_str());
    }
    std::printf("%s: %d / %d = %.2f %%\n", slice.c_str(), right, total, total ? 100.0 * right / total : 0.0);
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
    if (mode == "pinyin") {
        std::string line;
        while (std::getline(std::cin, line)) std::printf("%s\n", PinyinLine(Utf8ToUtf16(line)).c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: pinyin_eval score FOLDER [all|learn|held-out] [--errors]\n"
                         "       pinyin_eval pinyin < lines\n");
    return 2;
}
