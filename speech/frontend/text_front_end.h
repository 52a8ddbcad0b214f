// The text front end of the voice: turns the caller's UTF-16 text into runs,
// each a text for one synthesiser voice, and keeps for every character it
// hands on the span of the caller's text it stands for, so word, sentence and
// phoneme positions still point into the caller's text.
//
// What it does, in order: text preparation (full-width forms folded, blanks
// collapsed, line and paragraph breaks turned into pauses or joined when a
// line was broken inside a sentence), languages (Han text to the Mandarin
// voice, Latin-script words to an English voice), and in Chinese context the
// reading of numbers, dates, times, units, symbols, URLs and e-mail addresses
// as Chinese words. Pure C++: no window or Wine dependency.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "speech/frontend/mandarin_reading.h"

namespace quorvane::frontend {

// Which voice speaks a run.
enum class RunVoice {
    Current,   // the voice the caller selected
    Mandarin,  // the service's Mandarin voice
    English,   // the current voice when it is English, else the first English one
};

// How the service can speak Mandarin.
enum class MandarinSupport {
    Pinyin,  // a voice that reads tone-numbered pinyin (espeak-ng's cmn-latn-pinyin)
    Hanzi,   // only a voice that reads Han characters itself (espeak-ng's cmn)
    None,    // no Mandarin voice: Han text is left out, never spelled
};

// The language of the caller's current voice.
enum class CurrentLanguage { Mandarin, English, Other };

struct FrontEndOptions {
    CurrentLanguage current = CurrentLanguage::Mandarin;
    MandarinSupport mandarin = MandarinSupport::Pinyin;
    // Reads Han text; ReadMandarin unless a test supplies its own.
    std::function<std::vector<MandarinSyllable>(std::u16string_view)> readMandarin;
};

// A span of the caller's UTF-16 text: [begin, end).
struct SourceSpan {
    int begin = 0;
    int end = 0;
};

struct SpeechRun {
    RunVoice voice = RunVoice::Current;
    std::string text;                // UTF-8 for the synthesiser
    std::vector<SourceSpan> spans;   // one per code point of `text`
    std::vector<std::string> tokens; // what is spoken, word by word (see ReadingLine)
    int pauseAfterMs = 0;            // silence after the run (line and paragraph breaks)

    // The caller's span for `length` code points at the synthesiser's
    // 1-based character position; clamped to the run.
    SourceSpan Map(int espeakPosition, int length) const;
};

constexpr int kLinePauseMs = 300;
constexpr int kParagraphPauseMs = 700;

// The runs of a text a piece at a time, so a long text starts to sound as soon
// as its first sentences are analysed: each Next() gives the runs of about
// kPieceUnits more of the text, ending at a sentence end or a break. The last
// run of a piece may carry the pause of the break that ended it. The text is
// prepared as far as it is read, and must outlive the analysis.
class TextAnalysis {
public:
    TextAnalysis(std::u16string_view text, FrontEndOptions options);
    ~TextAnalysis();
    TextAnalysis(const TextAnalysis&) = delete;
    TextAnalysis& operator=(const TextAnalysis&) = delete;

    bool Done() const;
    std::vector<SpeechRun> Next();

private:
    struct State;
    std::unique_ptr<State> state_;
};

constexpr size_t kPieceUnits = 400;

// All the runs for `text`. Empty runs are not returned; a text with nothing
// to say gives no run. Thread-safe.
std::vector<SpeechRun> AnalyseText(std::u16string_view text, const FrontEndOptions& options);

// One line of tokens as they will be spoken: Mandarin syllables as pinyin with
// the tone as spoken ("yi2", ü written "u:"), words for a voice other than
// the current one as LANG:word ("en:Windows", "cmn:ni3"), "|" for the pause of
// a line break and "||" for a paragraph's. Tokens are separated by one blank.
std::string ReadingLine(std::u16string_view text, const FrontEndOptions& options);

// Whether the text holds any Han character.
bool ContainsHan(std::u16string_view text);

// UTF-8 <-> UTF-16 for the front end's callers and tests (invalid input
// becomes U+FFFD).
std::u16string FromUtf8(std::string_view text);
std::string ToUtf8(std::u16string_view text);

}  // namespace quorvane::frontend
