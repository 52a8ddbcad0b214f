#include "speech/espeak_voice_service.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "speech/phone_set.h"
#include "speech/speech_lib_tlb.h"
#include "speech/speech_text.h"

namespace quorvane {

// Mandarin is espeak-ng's "latin as Pinyin" voice: its plain "cmn" voice
// turns each Han character into pinyin with a tone digit and then reads that
// by the English rules ("hao three" for 好).
const char kDefaultVoices[] = "en-us,en-gb,en-gb-scotland,cmn-latn-pinyin";

namespace {
constexpr char kPinyinVoice[] = "cmn-latn-pinyin";
constexpr char kPlainMandarinVoice[] = "cmn";
}  // namespace

namespace {

// espeak-ng keeps its state in globals: one service at a time drives it, and
// it is initialised once per process.
std::atomic<EspeakVoiceService*> gActiveService{nullptr};
int gEspeakSampleRate = 0;

constexpr int kLevelWindowMs = 100;     // an audio level per 100 ms played
constexpr int kSynthAheadMs = 1000;     // synthesis runs at most this far ahead
constexpr int kOutputAheadMs = 200;     // PCM queued in the output
constexpr auto kAudioTick = std::chrono::milliseconds(5);

int EspeakCallback(short* samples, int count, espeak_EVENT* events)
{
    EspeakVoiceService* service = gActiveService.load();
    return service ? service->OnSynth(samples, count, events) : 1;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Windows language ids (hexadecimal, as the voice registry writes them).
std::string LanguageId(const std::string& language)
{
    static const struct {
        const char* name;
        const char* id;
    } kIds[] = {
        {"en-us", "409"}, {"en-gb", "809"}, {"en-gb-scotland", "809"}, {"en-gb-x-rp", "809"},
        {"en-gb-x-gbclan", "809"}, {"en-gb-x-gbcwmd", "809"}, {"en-029", "2409"}, {"en", "809"},
        {"cmn", "804"}, {"zh", "804"}, {"cmn-latn-pinyin", "804"}, {"yue", "C04"}, {"de", "407"},
        {"fr", "40C"}, {"fr-fr", "40C"}, {"es", "C0A"}, {"it", "410"}, {"ja", "411"}, {"ko", "412"},
        {"nl", "413"}, {"pl", "415"}, {"pt-br", "416"}, {"pt", "816"}, {"ru", "419"}, {"sv", "41D"},
        {"fi", "40B"}, {"da", "406"}, {"nb", "414"}, {"cs", "405"}, {"el", "408"}, {"hu", "40E"},
        {"tr", "41F"}, {"vi", "42A"}, {"hi", "439"}, {"ar", "401"}, {"he", "40D"},
    };
    const std::string lower = Lower(language);
    for (const auto& entry : kIds)
        if (lower == entry.name) return entry.id;
    const std::string primary = lower.substr(0, lower.find('-'));
    for (const auto& entry : kIds)
        if (primary == entry.name) return entry.id;
    return "0";
}

// Display names: espeak-ng's own, except where its name would sort the
// Mandarin voice ahead of the English ones ("Chinese (Mandarin...)").
std::string DisplayName(const std::string& language, const std::string& espeakName)
{
    const std::string lower = Lower(language);
    if (lower == "cmn" || lower == "cmn-latn-pinyin" || lower == "zh" || lower == "zh-cmn") return "Mandarin Chinese";
    if (lower == "yue" || lower == "zh-yue") return "Cantonese Chinese";
    return espeakName;
}

// The priority (lower is better) with which the voice speaks `language`, or
// 0 when it does not. espeak-ng lists a voice's languages as a priority byte
// and a name, repeated, ending with a zero byte: "fr" is a second language of
// the voice whose own language is "fr-fr".
int LanguagePriority(const espeak_VOICE* voice, const std::string& language)
{
    for (const char* entry = voice->languages; entry && *entry; entry += std::strlen(entry + 1) + 2)
        if (Lower(entry + 1) == language) return std::max(1, static_cast<int>(static_cast<unsigned char>(*entry)));
    return 0;
}

// Describes the espeak-ng voice that the name selects: the voice whose own
// language it is, else the one that speaks it with the best priority, else
// the voice of that name or file. Language names pick espeak's own voices,
// never an MBROLA one.
bool DescribeVoice(const std::string& name, VoiceInfo& info)
{
    const espeak_VOICE** all = espeak_ListVoices(nullptr);
    const espeak_VOICE* found = nullptr;
    const std::string wanted = Lower(name);
    int bestPriority = 0;
    for (int pass = 0; pass < 3 && !found; ++pass) {
        for (int i = 0; all && all[i]; ++i) {
            const espeak_VOICE* v = all[i];
            if (v->identifier && std::strncmp(v->identifier, "mb/", 3) == 0) continue;
            if (pass == 0 && v->languages && Lower(v->languages + 1) == wanted) {
                found = v;
                break;
            }
            if (pass == 1) {
                const int priority = LanguagePriority(v, wanted);
                if (priority > 0 && (!found || priority < bestPriority)) {
                    found = v;
                    bestPriority = priority;
                }
            }
            if (pass == 2 && ((v->name && Lower(v->name) == wanted) || (v->identifier && Lower(v->identifier) == wanted))) {
                found = v;
                break;
            }
        }
    }
    if (!found) return false;
    const std::string language = found->languages ? std::string(found->languages + 1) : name;
    const std::string displayName = DisplayName(language, found->name ? found->name : name);
    info.engineVoice = name;
    info.name = "eSpeak NG " + displayName;
    info.description = info.name;
    info.vendor = "eSpeak NG";
    info.age = "Adult";
    info.gender = found->gender == 1 ? "Male" : found->gender == 2 ? "Female" : "Neutral";
    info.language = LanguageId(language);
    info.id = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Speech\\Voices\\Tokens\\eSpeakNG_" + name;
    return true;
}

// SAPI's rate scale: each step is a factor 3^(1/10), so +10 is three times
// the normal pace and -10 a third of it. espeak-ng stops slowing at 80 words
// a minute (measured: 2.1 times as long as at its normal 175); below that the
// missing time goes into pauses between words, each unit of espeak's word gap
// adding about 0.18 of a normal word's length.
void ApplyRate(int rate)
{
    const double wordsPerMinute = espeakRATE_NORMAL * std::pow(3.0, rate / 10.0);
    int espeakRate = static_cast<int>(std::lround(wordsPerMinute));
    int wordGap = 0;
    if (espeakRate < espeakRATE_MINIMUM) {
        const double lengthFactor = espeakRATE_NORMAL / wordsPerMinute;
        wordGap = std::max(0, static_cast<int>(std::lround((lengthFactor - 2.1) / 0.18)));
        espeakRate = espeakRATE_MINIMUM;
    }
    espeak_SetParameter(espeakRATE, espeakRate, 0);
    espeak_SetParameter(espeakWORDGAP, wordGap, 0);
}

std::vector<std::string> SplitNames(const std::string& text)
{
    std::vector<std::string> names;
    std::string current;
    for (char c : text + ",") {
        if (c == ',' || c == ';') {
            while (!current.empty() && current.back() == ' ') current.pop_back();
            if (!current.empty()) names.push_back(current);
            current.clear();
        } else if (c != ' ' || !current.empty()) {
            current += c;
        }
    }
    return names;
}

VoiceEvent MakeEvent(int id, int stream)
{
    VoiceEvent e;
    e.id = id;
    e.stream = stream;
    return e;
}

bool IsEnglishVoice(const std::string& engineVoice)
{
    const std::string lower = Lower(engineVoice);
    return lower == "en" || lower.rfind("en-", 0) == 0;
}

bool IsMandarinVoice(const std::string& engineVoice)
{
    const std::string lower = Lower(engineVoice);
    return lower == "cmn" || lower == "zh" || lower == "zh-cmn" || lower.rfind("cmn-", 0) == 0;
}

frontend::CurrentLanguage LanguageOfVoice(const std::string& engineVoice)
{
    if (IsMandarinVoice(engineVoice)) return frontend::CurrentLanguage::Mandarin;
    if (IsEnglishVoice(engineVoice)) return frontend::CurrentLanguage::English;
    return frontend::CurrentLanguage::Other;
}
// What the user is told when espeak-ng has no Mandarin voice.
const char kNoMandarinVoiceText[] = "No Mandarin voice: Chinese text is not read (espeak-ng lacks \"cmn\")";

// What the user is told while no sound device can be used.
const char kSoundDeviceMissingText[] = "No sound device: speech is not heard until one can be opened";

void WarnOnce(const std::string& message)
{
    static std::atomic<bool> warned{false};
    if (!warned.exchange(true)) std::fprintf(stderr, "quorvane: %s\n", message.c_str());
}

}  // namespace

EspeakVoiceService::RunVoices EspeakVoiceService::ChooseRunVoices(
    const std::function<bool(const std::string&)>& available, const std::vector<std::string>& installed)
{
    RunVoices chosen;
    if (available(kPinyinVoice)) {
        chosen.mandarin = frontend::MandarinSupport::Pinyin;
        chosen.mandarinVoice = kPinyinVoice;
    } else if (available(kPlainMandarinVoice)) {
        chosen.mandarin = frontend::MandarinSupport::Hanzi;
        chosen.mandarinVoice = kPlainMandarinVoice;
    }
    for (const std::string& name : installed) {
        if (IsEnglishVoice(name)) {
            chosen.englishVoice = name;
            break;
        }
    }
    if (chosen.englishVoice.empty() && available("en")) chosen.englishVoice = "en";
    return chosen;
}

std::vector<std::string> EspeakVoiceService::ConfiguredVoiceNames()
{
    const char* configured = std::getenv("QUORVANE_VOICES");
    std::vector<std::string> names = SplitNames(configured ? configured : "");
    return names.empty() ? SplitNames(kDefaultVoices) : names;
}

EspeakVoiceService::EspeakVoiceService(std::unique_ptr<AudioOutput> output, std::vector<std::string> voiceNames)
    : output_(std::move(output))
{
    EspeakVoiceService* expected = nullptr;
    if (!gActiveService.compare_exchange_strong(expected, this))
        throw EOleException("The espeak-ng voice service is already running in this process", E_FAIL);
    // Whatever fails from here on gives espeak-ng back to the process.
    struct ActiveGuard {
        bool keep = false;
        ~ActiveGuard()
        {
            if (!keep) gActiveService = nullptr;
        }
    } active;
    if (voiceNames.empty()) voiceNames = ConfiguredVoiceNames();

    // espeak-ng is only ever called from the synthesis thread, which starts
    // it and lists the voices before it takes texts. A start-up that throws
    // or ends the thread is reported like any other failure to start.
    const std::string error = synthThread_.StartAndAwait(
        [this, voiceNames]() -> std::string {
            try {
                return StartEspeak(voiceNames);
            } catch (const std::exception& e) {
                return std::string("espeak-ng could not be started: ") + e.what();
            }
        },
        [this] { SynthesisThread(); });
    if (!error.empty()) {
        synthThread_.Join();
        throw EOleException(error, E_FAIL);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        voice_ = std::make_shared<VoiceInfo>(voices_.front());
        voiceLoadPending_ = true;
    }
    synthWake_.notify_all();

    // Open the output on the audio thread, which is the only one to use it
    // apart from pause and resume.
    try {
        audioThread_.Start([this] { AudioThread(); });
    } catch (...) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            shutdown_ = true;
        }
        synthWake_.notify_all();
        synthThread_.Join();
        throw EOleException("The espeak-ng voice service could not start its audio thread", E_FAIL);
    }
    active.keep = true;
    if (runVoices_.mandarin == frontend::MandarinSupport::None) {
        std::fprintf(stderr, "quorvane: %s\n", kNoMandarinVoiceText);
        SetCondition(VoiceCondition::NoMandarinVoice, true, kNoMandarinVoiceText);
    }
}

// The synthesis thread's start: espeak-ng once per process, then the voices.
// Returns the reason it cannot speak, or nothing.
std::string EspeakVoiceService::StartEspeak(const std::vector<std::string>& voiceNames)
{
    if (gEspeakSampleRate <= 0) {
        gEspeakSampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 50, nullptr,
                                              espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    }
    if (gEspeakSampleRate <= 0) return "espeak-ng could not be initialised (is espeak-ng-data installed?)";
    espeak_SetSynthCallback(&EspeakCallback);
    std::vector<VoiceInfo> voices;
    for (const std::string& name : voiceNames) {
        VoiceInfo info;
        if (DescribeVoice(name, info)) {
            voices.push_back(info);
        } else if (Lower(name) == kPinyinVoice && DescribeVoice(kPlainMandarinVoice, info)) {
            // An espeak-ng without the pinyin voice: its plain Mandarin voice
            // takes the place, reading the Han text the front end gives it.
            std::fprintf(stderr, "quorvane: espeak-ng has no voice \"%s\"; its \"%s\" voice reads Mandarin instead\n",
                         name.c_str(), kPlainMandarinVoice);
            voices.push_back(info);
        } else {
            std::fprintf(stderr, "quorvane: espeak-ng has no voice \"%s\"; it is not installed\n", name.c_str());
        }
    }
    if (voices.empty()) return "No espeak-ng voice is installed";
    std::vector<std::string> installed;
    for (const VoiceInfo& voice : voices) installed.push_back(voice.engineVoice);
    RunVoices runVoices = ChooseRunVoices(
        [](const std::string& name) {
            VoiceInfo unused;
            return DescribeVoice(name, unused);
        },
        installed);
    std::lock_guard<std::mutex> lock(mutex_);
    sampleRate_ = gEspeakSampleRate;
    voices_ = std::move(voices);
    runVoices_ = std::move(runVoices);
    return {};
}

EspeakVoiceService::~EspeakVoiceService()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shutdown_ = true;
    }
    synthWake_.notify_all();
    audioWake_.notify_all();
    spaceFree_.notify_all();
    synthThread_.Join();
    audioThread_.Join();
    gActiveService = nullptr;
}

std::string EspeakVoiceService::OutputDescription()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return output_ ? output_->Describe() : "no output";
}

// ---------------------------------------------------------------------------
// Operations (the component's thread)
// ---------------------------------------------------------------------------

std::vector<VoiceInfo> EspeakVoiceService::Voices() { return voices_; }

void EspeakVoiceService::SetVoice(const VoiceInfo& voice)
{
    auto known = std::find_if(voices_.begin(), voices_.end(), [&](const VoiceInfo& v) { return v.id == voice.id; });
    if (known == voices_.end()) throw EOleException("The voice is not installed", E_INVALIDARG);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        voice_ = std::make_shared<VoiceInfo>(*known);
        voiceLoadPending_ = true;  // load now, not on the first Speak
    }
    synthWake_.notify_all();
}

VoiceInfo EspeakVoiceService::Voice()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return *voice_;
}

int EspeakVoiceService::Rate()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return rate_;
}

void EspeakVoiceService::SetRate(int rate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    rate_ = std::clamp(rate, -10, 10);
}

int EspeakVoiceService::Volume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return volume_;
}

void EspeakVoiceService::SetVolume(int volume)
{
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = std::clamp(volume, 0, 100);
}

void EspeakVoiceService::SetEventInterests(int interests)
{
    std::lock_guard<std::mutex> lock(mutex_);
    interests_ = interests;
}

int EspeakVoiceService::Speak(const std::u16string& text, int /*flags*/)
{
    int stream = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stream = nextStream_++;
        Utterance utterance;
        utterance.stream = stream;
        utterance.text = text;
        utterance.voice = voice_;
        utterance.rate = rate_;
        utterance.volume = volume_;
        utterances_.push_back(std::move(utterance));
        activeStreams_.push_back(stream);
    }
    synthWake_.notify_all();
    return stream;
}

// Ends every stream not yet ended, in the order they were spoken. Texts
// still waiting for synthesis while nothing sounds end here and now, without
// a sound. Otherwise every stream is marked cancelled and the audio thread
// ends them in order: the sounding one at the sample reached, those behind it
// as their turn comes, without a sound.
void EspeakVoiceService::Purge()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (activeStreams_.empty()) return;
    const bool nothingStarted = std::any_of(utterances_.begin(), utterances_.end(), [&](const Utterance& u) {
        return u.stream == activeStreams_.front();
    });
    if (nothingStarted) {
        for (int stream : activeStreams_) Post(MakeEvent(kEventEndStream, stream));
        utterances_.clear();
        activeStreams_.clear();
        return;
    }
    for (int stream : activeStreams_) cancelled_.insert(stream);
    audioWake_.notify_all();
    spaceFree_.notify_all();
}

int EspeakVoiceService::Skip(const std::string& /*itemType*/, int numItems, int endingStream)
{
    std::lock_guard<std::mutex> lock(mutex_);
    // A skip from an end-of-stream handler is about the stream that ended:
    // the text queued behind it (a new copy, a second press of play) has not
    // been heard by the caller yet and is left alone.
    if (endingStream != 0) return 0;
    if (numItems <= 0 || activeStreams_.empty()) return 0;
    const int stream = activeStreams_.front();
    auto waiting = std::find_if(utterances_.begin(), utterances_.end(), [&](const Utterance& u) { return u.stream == stream; });
    if (waiting != utterances_.end()) {
        // Not synthesised yet: it ends without a sound.
        utterances_.erase(waiting);
        activeStreams_.pop_front();
        Post(MakeEvent(kEventEndStream, stream));
        return 1;
    }
    // The sentence now sounding plus those synthesised but not yet heard.
    int skipped = 1;
    for (const Item& item : items_)
        if (item.stream == stream && item.kind == ItemKind::Event && item.event.id == kEventSentence) ++skipped;
    for (const auto& [sample, event] : due_)
        if (event.stream == stream && event.id == kEventSentence) ++skipped;
    cancelled_.insert(stream);
    audioWake_.notify_all();
    spaceFree_.notify_all();
    return std::min(skipped, numItems);
}

void EspeakVoiceService::Pause()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_) return;
    paused_ = true;
    if (output_) output_->Pause();
}

void EspeakVoiceService::Resume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!paused_) return;
    paused_ = false;
    if (output_) output_->Resume();
    audioWake_.notify_all();
}

// ---------------------------------------------------------------------------
// Synthesis thread
// ---------------------------------------------------------------------------

void EspeakVoiceService::SynthesisThread()
{
    for (;;) {
        Utterance utterance;
        std::shared_ptr<const VoiceInfo> voiceToLoad;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            synthWake_.wait(lock, [this] { return shutdown_ || voiceLoadPending_ || !utterances_.empty(); });
            if (shutdown_) return;
            if (voiceLoadPending_) {
                voiceLoadPending_ = false;
                voiceToLoad = voice_;
            } else {
                utterance = std::move(utterances_.front());
                utterances_.pop_front();
                synthStream_ = utterance.stream;
            }
        }
        if (voiceToLoad) {
            LoadVoice(*voiceToLoad);
            continue;
        }
        try {
            Synthesize(utterance);
        } catch (...) {
            // Out of memory, most likely: report it and end the stream so
            // nobody waits for it.
            havePhoneme_ = false;
            synthText_ = nullptr;
            synthRun_ = nullptr;
            VoiceEvent error = MakeEvent(kVoiceErrorEvent, utterance.stream);
            error.text = "The text could not be synthesised";
            Post(error);
            std::lock_guard<std::mutex> lock(mutex_);
            cancelled_.insert(utterance.stream);
            Item end(ItemKind::StreamEnd);
            end.stream = utterance.stream;
            items_.push_back(std::move(end));
            audioWake_.notify_all();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        synthStream_ = 0;
        // The text may have ended in a run of another voice: the current
        // voice is loaded again while nothing waits (a Mandarin voice takes
        // about 20 ms to load), so the next text starts at once.
        if (utterances_.empty() && voice_ && voice_->engineVoice != loadedVoice_) voiceLoadPending_ = true;
    }
}

void EspeakVoiceService::LoadVoice(const VoiceInfo& voice)
{
    if (!LoadEngineVoice(voice.engineVoice)) {
        VoiceEvent error = MakeEvent(kVoiceErrorEvent, 0);
        error.text = "The voice \"" + voice.description + "\" could not be loaded";
        Post(error);
    }
}

bool EspeakVoiceService::LoadEngineVoice(const std::string& engineVoice)
{
    if (loadedVoice_ == engineVoice) return true;
    if (espeak_SetVoiceByName(engineVoice.c_str()) == EE_OK) {
        loadedVoice_ = engineVoice;
        return true;
    }
    loadedVoice_.clear();
    return false;
}

void EspeakVoiceService::Synthesize(const Utterance& utterance)
{
    LoadVoice(*utterance.voice);
    ApplyRate(utterance.rate);

    frontend::FrontEndOptions options;
    options.current = LanguageOfVoice(utterance.voice->engineVoice);
    options.mandarin = runVoices_.mandarin;
    // A long text is analysed a piece at a time, as synthesis reaches it.
    frontend::TextAnalysis analysis(utterance.text, options);

    Item start(ItemKind::StreamStart);
    start.stream = utterance.stream;
    start.voice = utterance.voice;
    start.voiceChanged = lastStreamVoice_ != utterance.voice->id;
    lastStreamVoice_ = utterance.voice->id;
    PushItem(std::move(start));

    synthText_ = &utterance.text;
    synthVolume_ = utterance.volume;
    synthSamples_ = 0;
    havePhoneme_ = false;
    sentenceRaised_ = false;
    sentenceEnd_ = 0;
    espeak_ERROR result = EE_OK;
    std::vector<frontend::SpeechRun> runs;
    size_t r = 0;
    for (;; ++r) {
        if (r >= runs.size()) {
            if (analysis.Done()) break;
            runs = analysis.Next();
            r = 0;
            if (runs.empty()) continue;
        }
        const frontend::SpeechRun& run = runs[r];
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (shutdown_ || cancelled_.count(utterance.stream)) break;
        }
        std::string engineVoice = utterance.voice->engineVoice;
        if (run.voice == frontend::RunVoice::Mandarin && options.current != frontend::CurrentLanguage::Mandarin)
            engineVoice = runVoices_.mandarinVoice;
        else if (run.voice == frontend::RunVoice::Mandarin && runVoices_.mandarin == frontend::MandarinSupport::Pinyin)
            engineVoice = runVoices_.mandarinVoice;  // the pinyin voice, whichever Mandarin voice is current
        else if (run.voice == frontend::RunVoice::English && options.current != frontend::CurrentLanguage::English &&
                 !runVoices_.englishVoice.empty())
            engineVoice = runVoices_.englishVoice;
        if (engineVoice != loadedVoice_) {
            if (!LoadEngineVoice(engineVoice)) LoadEngineVoice(utterance.voice->engineVoice);
            ApplyRate(utterance.rate);
        }
        synthRun_ = &run;
        runBase_ = synthSamples_;
        const espeak_ERROR runResult = espeak_Synth(run.text.c_str(), run.text.size() + 1, 0, POS_CHARACTER, 0,
                                                    espeakCHARS_UTF8, nullptr, nullptr);
        if (runResult != EE_OK) result = runResult;
        if (run.pauseAfterMs > 0) {
            // A line or paragraph break: silence between the runs.
            Item pause(ItemKind::Pcm);
            pause.stream = utterance.stream;
            pause.pcm.assign(static_cast<size_t>(sampleRate_) * static_cast<size_t>(run.pauseAfterMs) / 1000, 0);
            synthSamples_ += static_cast<std::int64_t>(pause.pcm.size());
            PushItem(std::move(pause));
        }
    }
    synthRun_ = nullptr;
    FlushPhoneme(synthSamples_, kSilencePhoneId);
    synthText_ = nullptr;

    bool cancelled;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled = shutdown_ || cancelled_.count(utterance.stream) != 0;
    }
    if (result != EE_OK && !cancelled) {
        VoiceEvent error = MakeEvent(kVoiceErrorEvent, utterance.stream);
        error.text = "espeak-ng failed to synthesise the text (error " + std::to_string(static_cast<int>(result)) + ")";
        Post(error);
    }
    Item end(ItemKind::StreamEnd);
    end.stream = utterance.stream;
    end.sample = synthSamples_;
    PushItem(std::move(end));
}

// Queues an item for the audio thread; PCM waits while synthesis is far
// enough ahead of playback, so memory stays bounded for long texts.
void EspeakVoiceService::PushItem(Item item)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (item.kind == ItemKind::Pcm) {
        const std::int64_t limit = static_cast<std::int64_t>(sampleRate_) * kSynthAheadMs / 1000;
        spaceFree_.wait(lock, [&] {
            return shutdown_ || cancelled_.count(item.stream) || itemSamples_ < limit;
        });
        if (shutdown_ || cancelled_.count(item.stream)) return;
        itemSamples_ += static_cast<std::int64_t>(item.pcm.size());
    }
    items_.push_back(std::move(item));
    lock.unlock();
    audioWake_.notify_all();
}

// A phoneme's duration and successor are known only when the next one
// starts, so each is held until then.
void EspeakVoiceService::FlushPhoneme(std::int64_t nextSample, int nextPhoneId)
{
    if (!havePhoneme_) return;
    havePhoneme_ = false;
    const int current = heldPhoneme_.args[3];
    const int durationMs = static_cast<int>((nextSample - heldPhonemeSample_) * 1000 / sampleRate_);
    Item phoneme(ItemKind::Event);
    phoneme.stream = heldPhoneme_.stream;
    phoneme.sample = heldPhonemeSample_;
    phoneme.event = heldPhoneme_;
    phoneme.event.args[0] = durationMs;
    phoneme.event.args[1] = nextPhoneId;
    phoneme.event.args[2] = SVF_None;
    PushItem(std::move(phoneme));

    Item viseme(ItemKind::Event);
    viseme.stream = heldPhoneme_.stream;
    viseme.sample = heldPhonemeSample_;
    viseme.event = MakeEvent(kEventViseme, heldPhoneme_.stream);
    viseme.event.args[0] = durationMs;
    viseme.event.args[1] = VisemeFromPhoneId(nextPhoneId);
    viseme.event.args[2] = SVF_None;
    viseme.event.args[3] = VisemeFromPhoneId(current);
    PushItem(std::move(viseme));
}

int EspeakVoiceService::OnSynth(short* samples, int count, void* rawEvents)
{
    int stream;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (shutdown_ || cancelled_.count(synthStream_)) return 1;  // abort this text
        stream = synthStream_;
    }
    try {
        for (auto* e = static_cast<espeak_EVENT*>(rawEvents); e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
            switch (e->type) {
            case espeakEVENT_WORD:
            case espeakEVENT_SENTENCE: {
                const bool word = e->type == espeakEVENT_WORD;
                // espeak-ng sometimes ends a text with a word at position 0
                // and of length 0 (measured with "Heard after resume."): no word.
                if (word && e->length <= 0) break;
                if (!synthRun_) break;
                const frontend::SourceSpan span = synthRun_->Map(e->text_position, word ? e->length : 1);
                Item item(ItemKind::Event);
                item.stream = stream;
                item.sample = runBase_ + e->sample;
                item.event = MakeEvent(word ? kEventWord : kEventSentence, stream);
                item.event.args[0] = span.begin;
                if (word) {
                    item.event.args[1] = span.end - span.begin;
                } else {
                    // Each run starts a sentence for espeak-ng; the caller
                    // hears one where its own text starts one.
                    if (sentenceRaised_ && span.begin < sentenceEnd_) break;
                    item.event.args[1] = SpeechText::SentenceLength(*synthText_, span.begin);
                    sentenceRaised_ = true;
                    sentenceEnd_ = span.begin + std::max(1, item.event.args[1]);
                }
                PushItem(std::move(item));
                break;
            }
            case espeakEVENT_PHONEME: {
                char name[9] = {};
                std::memcpy(name, e->id.string, 8);
                const int phone = PhoneIdFromEspeak(name);
                if (phone == 0) break;  // a language switch, not a sound
                FlushPhoneme(runBase_ + e->sample, phone);
                heldPhoneme_ = MakeEvent(kEventPhoneme, stream);
                heldPhoneme_.args[3] = phone;
                heldPhonemeSample_ = runBase_ + e->sample;
                havePhoneme_ = true;
                break;
            }
            default:
                break;
            }
        }
        if (count > 0 && samples) {
            Item pcm(ItemKind::Pcm);
            pcm.stream = stream;
            pcm.pcm.assign(samples, samples + count);
            if (synthVolume_ != 100)
                for (auto& s : pcm.pcm) s = static_cast<std::int16_t>(s * synthVolume_ / 100);
            synthSamples_ += count;
            PushItem(std::move(pcm));
        }
    } catch (...) {
        return 1;  // out of memory: stop this text rather than crash
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Audio thread
// ---------------------------------------------------------------------------

void EspeakVoiceService::Post(const VoiceEvent& event) { Raise(event); }

void EspeakVoiceService::AudioThread()
{
    std::unique_lock<std::mutex> lock(mutex_);
    try {
        output_->Open(sampleRate_);
    } catch (const std::exception& e) {
        if (output_->IsSoundDevice()) {
            WarnOnce(std::string("no sound device could be opened (") + e.what() +
                     "); speaking to the paced null output instead");
            SetCondition(VoiceCondition::SoundDeviceMissing, true, kSoundDeviceMissingText);
            absentDevice_ = std::move(output_);
        } else {
            VoiceEvent error = MakeEvent(kVoiceErrorEvent, 0);
            error.text = e.what();
            Post(error);
        }
        output_ = std::make_unique<PacedAudioOutput>();
        output_->Open(sampleRate_);
    }
    if (paused_) output_->Pause();

    while (!shutdown_) {
        try {
            // Skips: the stream sounding now stops at once.
            if (feedStream_ != 0 && !skippingStream_ && cancelled_.count(feedStream_)) CancelPlayingStream();
            for (const auto& [stream, base] : streamBases_) {
                if (cancelled_.count(stream) && stream != feedStream_) {
                    CancelPlayingStream();
                    break;
                }
            }
            while (FeedOne()) {
            }
            PostDueEvents();
        } catch (const std::exception& e) {
            ReplaceFailedOutput(e.what());
        }
        spaceFree_.notify_all();
        // Events a subscriber took but could not pass on yet (its thread's
        // message queue was full) are offered again on every tick.
        const bool delivered = RetryDeliveries();
        // With nothing to play or deliver the thread sleeps until Speak,
        // Skip, Resume or the end of the service wakes it; otherwise it ticks.
        const bool idle = delivered && items_.empty() && due_.empty() && feedStream_ == 0 && streamBases_.empty() &&
                          output_->Written() == output_->Played();
        if (idle) {
            output_->Idle();
            if (!shutdown_) audioWake_.wait(lock);
        } else {
            audioWake_.wait_for(lock, kAudioTick);
        }
    }
    output_.reset();
}

// Ends the sounding stream now: what is queued in the output is dropped, its
// events that have not happened yet never will, and its end is raised at the
// position reached.
void EspeakVoiceService::CancelPlayingStream()
{
    int stream = 0;
    for (const auto& [s, base] : streamBases_)
        if (cancelled_.count(s)) stream = s;
    if (stream == 0) return;
    const std::int64_t played = output_->Played();
    output_->Discard();
    for (auto it = due_.begin(); it != due_.end();) {
        if (it->second.stream == stream) it = due_.erase(it);
        else ++it;
    }
    VoiceEvent end = MakeEvent(kEventEndStream, stream);
    end.position = std::max<std::int64_t>(0, played - streamBases_[stream]) * 2;
    streamBases_.erase(stream);
    activeStreams_.erase(std::remove(activeStreams_.begin(), activeStreams_.end(), stream), activeStreams_.end());
    if (feedStream_ == stream) skippingStream_ = true;
    else cancelled_.erase(stream);
    Post(end);
}

// Hands the next synthesised item on. A new stream starts only when the one
// before has been heard to its end, so a skip never drops the next stream.
bool EspeakVoiceService::FeedOne()
{
    if (items_.empty()) return false;
    Item& item = items_.front();
    const std::int64_t aheadLimit = static_cast<std::int64_t>(sampleRate_) * kOutputAheadMs / 1000;

    if (item.kind == ItemKind::StreamStart) {
        if (output_->Written() > output_->Played() || !due_.empty()) return false;
        feedStream_ = item.stream;
        levelSquares_ = 0;
        levelCount_ = 0;
        if (cancelled_.count(item.stream)) {
            skippingStream_ = true;
            activeStreams_.erase(std::remove(activeStreams_.begin(), activeStreams_.end(), item.stream),
                                 activeStreams_.end());
            Post(MakeEvent(kEventEndStream, item.stream));
        } else {
            skippingStream_ = false;
            OpenAbsentDevice();
            streamBase_ = output_->Written();
            streamBases_[item.stream] = streamBase_;
            due_.emplace(streamBase_, MakeEvent(kEventStartStream, item.stream));
            if (item.voiceChanged) {
                VoiceEvent change = MakeEvent(kEventVoiceChange, item.stream);
                change.voice = item.voice;
                due_.emplace(streamBase_, change);
            }
        }
        items_.pop_front();
        return true;
    }
    if (item.stream != feedStream_) {  // left over from a stream already dropped
        if (item.kind == ItemKind::Pcm) itemSamples_ -= static_cast<std::int64_t>(item.pcm.size());
        items_.pop_front();
        return true;
    }
    switch (item.kind) {
    case ItemKind::Pcm: {
        if (!skippingStream_) {
            if (output_->Written() - output_->Played() >= aheadLimit) return false;
            const std::int64_t offset = output_->Written() - streamBase_;
            output_->Write(item.pcm.data(), item.pcm.size());
            const int window = sampleRate_ * kLevelWindowMs / 1000;
            for (size_t i = 0; i < item.pcm.size(); ++i) {
                levelSquares_ += static_cast<double>(item.pcm[i]) * item.pcm[i];
                if (++levelCount_ == window) {
                    VoiceEvent level = MakeEvent(kEventAudioLevel, feedStream_);
                    const double rms = std::sqrt(levelSquares_ / window);
                    level.args[0] = std::min(100, static_cast<int>(std::lround(rms * 100.0 / 10000.0)));
                    const std::int64_t at = offset + static_cast<std::int64_t>(i) + 1;
                    level.position = at * 2;
                    due_.emplace(streamBase_ + at, level);
                    levelSquares_ = 0;
                    levelCount_ = 0;
                }
            }
        }
        itemSamples_ -= static_cast<std::int64_t>(item.pcm.size());
        break;
    }
    case ItemKind::Event:
        if (!skippingStream_) {
            VoiceEvent event = item.event;
            event.position = item.sample * 2;
            due_.emplace(streamBase_ + item.sample, event);
        }
        break;
    case ItemKind::StreamEnd:
        if (skippingStream_) {
            cancelled_.erase(item.stream);
        } else {
            VoiceEvent end = MakeEvent(kEventEndStream, item.stream);
            end.position = item.sample * 2;
            due_.emplace(streamBase_ + item.sample, end);
        }
        skippingStream_ = false;
        feedStream_ = 0;
        break;
    case ItemKind::StreamStart:
        break;
    }
    items_.pop_front();
    return true;
}

// Raises every event whose sample has been played. An event at the very
// sample the play head stands on waits, unless its stream has nothing more
// to play (the end of a stream, or an empty one).
void EspeakVoiceService::PostDueEvents()
{
    const std::int64_t played = output_->Played();
    while (!due_.empty()) {
        auto it = due_.begin();
        const bool due = it->first < played ||
                         (it->first == played && it->second.stream != feedStream_ && output_->Written() == played);
        if (!due) break;
        VoiceEvent event = std::move(it->second);
        due_.erase(it);
        if (event.id == kEventEndStream) {
            streamBases_.erase(event.stream);
            activeStreams_.erase(std::remove(activeStreams_.begin(), activeStreams_.end(), event.stream),
                                 activeStreams_.end());
        }
        Post(event);
    }
}

// A text is about to start and the sound device could not be had: try it
// again, so that a headset plugged in or a sound server started since is
// used without a restart. Nothing is playing now (the stream before has been
// heard to its end), so the new output's timeline can begin here.
void EspeakVoiceService::OpenAbsentDevice()
{
    if (!absentDevice_) return;
    try {
        absentDevice_->Open(sampleRate_);
    } catch (const std::exception&) {
        return;  // still missing; the user has been told
    }
    output_ = std::move(absentDevice_);
    if (paused_) output_->Pause();
    SetCondition(VoiceCondition::SoundDeviceMissing, false);
}

// The output failed while playing: report it, end what was sounding and go
// on with the paced null output so speech and its events continue. A sound
// device is tried again when the next text starts; its failure is reported
// as an error once per service, and otherwise as the lasting condition.
void EspeakVoiceService::ReplaceFailedOutput(const std::string& message)
{
    const bool device = output_ && output_->IsSoundDevice();
    if (!device || !deviceFailureReported_) {
        VoiceEvent error = MakeEvent(kVoiceErrorEvent, feedStream_);
        error.text = "The sound output failed: " + message;
        Post(error);
        deviceFailureReported_ = deviceFailureReported_ || device;
    }
    if (device) {
        std::fprintf(stderr, "quorvane: the sound device failed (%s); speaking to the paced null output until it opens again\n",
                     message.c_str());
        SetCondition(VoiceCondition::SoundDeviceMissing, true, kSoundDeviceMissingText);
    }
    for (const auto& [sample, event] : due_)
        if (event.id == kEventEndStream) cancelled_.insert(event.stream);
    for (const auto& [stream, base] : streamBases_) cancelled_.insert(stream);
    try {
        while (!streamBases_.empty()) {
            const size_t before = streamBases_.size();
            CancelPlayingStream();
            if (streamBases_.size() == before) break;
        }
    } catch (...) {
    }
    due_.clear();
    if (device) absentDevice_ = std::move(output_);
    output_ = std::make_unique<PacedAudioOutput>();
    output_->Open(sampleRate_);
    if (paused_) output_->Pause();
}

std::shared_ptr<VoiceService> CreateEspeakVoiceServiceFromEnvironment()
{
    const char* choice = std::getenv("QUORVANE_AUDIO");
    std::unique_ptr<AudioOutput> output;
    try {
        output = CreateAudioOutput(choice ? choice : "");
    } catch (const std::exception& e) {
        throw EOleException(std::string("QUORVANE_AUDIO: ") + e.what(), E_INVALIDARG);
    }
    return std::make_shared<EspeakVoiceService>(std::move(output));
}

}  // namespace quorvane
