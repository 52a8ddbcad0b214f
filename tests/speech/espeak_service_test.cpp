// The espeak-ng service behind TSpVoice, recorded to WAV files: event order
// and positions, skip, pause, rate and volume, measured on the output.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>

#include "speech/audio_output.h"
#include "speech/espeak_voice_service.h"
#include "speech/speech_lib_tlb.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

struct Wav {
    int sampleRate = 0;
    std::uint32_t declaredBytes = 0;
    std::vector<std::int16_t> samples;

    double Seconds() const { return sampleRate ? static_cast<double>(samples.size()) / sampleRate : 0; }
    int Peak() const
    {
        int peak = 0;
        for (auto s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    }
};

Wav ReadWav(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav wav;
    if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF") return wav;
    auto le = [&](size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | bytes[at + static_cast<size_t>(i)];
        return v;
    };
    wav.sampleRate = static_cast<int>(le(24, 4));
    wav.declaredBytes = le(40, 4);
    for (size_t at = 44; at + 1 < bytes.size() && at < 44 + wav.declaredBytes; at += 2)
        wav.samples.push_back(static_cast<std::int16_t>(le(at, 2)));
    return wav;
}

struct Event {
    int id;
    int stream;
    std::int64_t position;
    int a = 0, b = 0;
    DWORD time = 0;
};

std::string TempWav(const char* name) { return std::string("/tmp/quorvane-speech-") + name + ".wav"; }

// A voice on the espeak-ng service writing to a WAV file; `speed` > 1 plays
// the file's clock faster where only the recording matters.
class EspeakServiceTest : public ::testing::Test {
protected:
    void Open(const std::string& wavPath, double speed)
    {
        wavPath_ = wavPath;
        events_.clear();  // stream numbers start again with a new service
        SetVoiceServiceFactory([wavPath, speed]() -> std::shared_ptr<VoiceService> {
            return std::make_shared<EspeakVoiceService>(std::make_unique<WavAudioOutput>(wavPath, speed));
        });
        voice_ = std::make_unique<TSpVoice>();
        voice_->Connect();
        voice_->SetEventInterests(SVEAllEvents);
        auto add = [this](int id, int stream, std::int64_t position, int a = 0, int b = 0) {
            events_.push_back(Event{id, stream, position, a, b, GetTickCount()});
        };
        voice_->OnStartStream = [add](TSpVoice*, int s, StreamPositionVariant p) { add(kEventStartStream, s, p); };
        voice_->OnEndStream = [add](TSpVoice*, int s, StreamPositionVariant p) { add(kEventEndStream, s, p); };
        voice_->OnVoiceChange = [add](TSpVoice*, int s, StreamPositionVariant p, ISpeechObjectToken* t) {
            add(kEventVoiceChange, s, p, t->GetAttribute("Language") == "804" ? 804 : 0);
        };
        voice_->OnWord = [add](TSpVoice*, int s, StreamPositionVariant p, int c, int l) { add(kEventWord, s, p, c, l); };
        voice_->OnSentence = [add](TSpVoice*, int s, StreamPositionVariant p, int c, int l) { add(kEventSentence, s, p, c, l); };
        voice_->OnPhoneme = [add](TSpVoice*, int s, StreamPositionVariant p, int, std::int16_t, int, std::int16_t cur) {
            add(kEventPhoneme, s, p, cur);
        };
        voice_->OnViseme = [add](TSpVoice*, int s, StreamPositionVariant p, int, int, int, int cur) { add(kEventViseme, s, p, cur); };
        voice_->OnAudioLevel = [add](TSpVoice*, int s, StreamPositionVariant p, int level) { add(kEventAudioLevel, s, p, level); };
        voice_->OnError = [this](TSpVoice*, const EOleException& e) { errors_.push_back(e.what()); };
    }

    void TearDown() override
    {
        voice_.reset();
        SetVoiceServiceFactory(nullptr);
        if (!wavPath_.empty()) std::remove(wavPath_.c_str());
    }

    void UseVoice(const std::string& language)
    {
        ISpeechObjectTokens tokens = voice_->GetVoices();
        for (int i = 0; i < tokens.Count(); ++i)
            if (tokens.Item(i)->GetAttribute("Language") == language) return voice_->SetVoice(tokens.Item(i).Get());
        FAIL() << "no voice for " << language;
    }

    // The installed voice that espeak-ng knows by `engineName` (the end of its token's id).
    void UseEngineVoice(const std::string& engineName)
    {
        ISpeechObjectTokens tokens = voice_->GetVoices();
        const std::string suffix = "_" + engineName;
        for (int i = 0; i < tokens.Count(); ++i) {
            const std::string id = tokens.Item(i)->Id();
            if (id.size() > suffix.size() && id.compare(id.size() - suffix.size(), suffix.size(), suffix) == 0)
                return voice_->SetVoice(tokens.Item(i).Get());
        }
        FAIL() << "no voice " << engineName;
    }

    bool Ended(int stream) const
    {
        return std::any_of(events_.begin(), events_.end(),
                           [stream](const Event& e) { return e.id == kEventEndStream && e.stream == stream; });
    }

    // Pumps messages until `stream` has ended or `timeoutMs` passed; `tick`
    // runs on every round.
    bool WaitForEnd(int stream, DWORD timeoutMs, const std::function<void()>& tick = {})
    {
        const DWORD start = GetTickCount();
        while (!Ended(stream) && GetTickCount() - start < timeoutMs) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (tick) tick();
        }
        return Ended(stream);
    }

    std::vector<Event> Of(int id, int stream = 0) const
    {
        std::vector<Event> out;
        for (const Event& e : events_)
            if (e.id == id && (stream == 0 || e.stream == stream)) out.push_back(e);
        return out;
    }

    // Duration of one text at a rate in seconds, from the WAV recording.
    double SpokenSeconds(const std::u16string& text, int rate)
    {
        voice_.reset();
        Open(wavPath_, 20);
        voice_->SetRate(rate);
        const int stream = voice_->Speak(text, SVSFlagsAsync);
        EXPECT_TRUE(WaitForEnd(stream, 20000));
        voice_.reset();  // closes the file
        return ReadWav(wavPath_).Seconds();
    }

    std::string wavPath_;
    std::unique_ptr<TSpVoice> voice_;
    std::vector<Event> events_;
    std::vector<std::string> errors_;
};

TEST_F(EspeakServiceTest, EnglishEventsComeInOrderAtTheSpokenWords)
{
    Open(TempWav("english"), 10);
    const std::u16string text = u"A quick brown fox. What fun!";
    const int stream = voice_->Speak(text, SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 20000));

    ASSERT_GE(events_.size(), 4u);
    EXPECT_EQ(events_.front().id, kEventStartStream);
    EXPECT_EQ(events_.back().id, kEventEndStream);
    EXPECT_EQ(Of(kEventVoiceChange).size(), 1u);
    std::int64_t last = 0;
    for (const Event& e : events_) {
        EXPECT_EQ(e.stream, stream);
        EXPECT_GE(e.position, last) << "event " << e.id << " out of order";
        last = e.position;
    }
    std::vector<std::u16string> words, sentences;
    for (const Event& e : Of(kEventWord)) words.push_back(text.substr(static_cast<size_t>(e.a), static_cast<size_t>(e.b)));
    for (const Event& e : Of(kEventSentence)) sentences.push_back(text.substr(static_cast<size_t>(e.a), static_cast<size_t>(e.b)));
    EXPECT_EQ(words, (std::vector<std::u16string>{u"A", u"quick", u"brown", u"fox", u"What", u"fun"}));
    EXPECT_EQ(sentences, (std::vector<std::u16string>{u"A quick brown fox.", u"What fun!"}));
    for (const Event& e : Of(kEventPhoneme)) EXPECT_TRUE(e.a >= 1 && e.a <= 49) << e.a;
    EXPECT_FALSE(Of(kEventViseme).empty());
    EXPECT_FALSE(Of(kEventAudioLevel).empty());
    EXPECT_TRUE(errors_.empty());

    voice_.reset();
    const Wav wav = ReadWav(wavPath_);
    EXPECT_EQ(wav.sampleRate, 22050);
    EXPECT_GT(wav.Seconds(), 1.2);
    EXPECT_LT(wav.Seconds(), 4.0);
    EXPECT_GT(wav.Peak(), 8000);
    // The end of the stream is its last sample, in bytes.
    EXPECT_EQ(static_cast<size_t>(events_.back().position), wav.samples.size() * 2);
}

TEST_F(EspeakServiceTest, ChinesePositionsCountUtf16UnitsOfTheText)
{
    Open(TempWav("chinese"), 10);
    UseVoice("804");
    // The fourth character is outside the basic plane (two UTF-16 units).
    const std::u16string text = u"\u4f60\u597d\uff0c\u4e16\u754c\u3002\U00020000\u597d\u5427\u3002";
    const int stream = voice_->Speak(text, SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 30000));
    std::vector<std::pair<int, int>> words, sentences;
    for (const Event& e : Of(kEventWord)) words.emplace_back(e.a, e.b);
    for (const Event& e : Of(kEventSentence)) sentences.emplace_back(e.a, e.b);
    EXPECT_EQ(words, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {3, 1}, {4, 1}, {6, 2}, {8, 1}, {9, 1}}));
    EXPECT_EQ(sentences, (std::vector<std::pair<int, int>>{{0, 6}, {6, 5}}));
    ASSERT_EQ(Of(kEventVoiceChange).size(), 1u);
    EXPECT_EQ(Of(kEventVoiceChange)[0].a, 804);
}

// Each default voice reads a sentence of its own language with that
// language's sounds. The Mandarin voice once turned every Han character into
// pinyin with a tone digit read by the English rules (好 as "hao three"):
// five or six phones a character instead of two or three.
TEST_F(EspeakServiceTest, DefaultVoicesReadASentenceOfTheirLanguage)
{
    struct Case {
        const char* voice;
        std::u16string text;
        size_t words;
        double minPhonesPerWord, maxPhonesPerWord;
        double minSeconds, maxSeconds;
    };
    const std::u16string english = u"The quick brown fox jumps over the lazy dog.";
    // Sixteen characters, fourteen of them Han characters.
    const std::u16string chinese = u"\u4eca\u5929\u5929\u6c14\u5f88\u597d\uff0c\u6211\u4eec\u53bb\u516c\u56ed\u6563\u6b65\u5427\u3002";
    const Case cases[] = {
        {"en-us", english, 9, 2.5, 5.0, 1.5, 4.0},
        {"en-gb", english, 9, 2.5, 5.0, 1.5, 4.0},
        {"en-gb-scotland", english, 9, 2.5, 5.0, 1.5, 4.0},
        {"cmn-latn-pinyin", chinese, 14, 1.5, 3.5, 2.5, 4.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voice);
        voice_.reset();
        Open(TempWav("language"), 20);
        UseEngineVoice(c.voice);
        const int stream = voice_->Speak(c.text, SVSFlagsAsync);
        ASSERT_TRUE(WaitForEnd(stream, 20000));
        EXPECT_EQ(Of(kEventWord, stream).size(), c.words);
        int phones = 0;
        for (const Event& e : Of(kEventPhoneme, stream)) {
            if (e.a == 7) continue;  // a pause
            ++phones;
            EXPECT_NE(e.a, 42) << "a \"th\": English number words";
            if (c.text == english) {
                EXPECT_TRUE(e.a >= 1 && e.a <= 49) << e.a;
            }
        }
        const double perWord = static_cast<double>(phones) / static_cast<double>(c.words);
        EXPECT_GE(perWord, c.minPhonesPerWord);
        EXPECT_LE(perWord, c.maxPhonesPerWord);
        voice_.reset();
        const Wav wav = ReadWav(wavPath_);
        EXPECT_GT(wav.Seconds(), c.minSeconds);
        EXPECT_LT(wav.Seconds(), c.maxSeconds);
        EXPECT_GT(wav.Peak(), 8000);
        std::printf("[ measure  ] %s: %zu words, %.1f phones a word, %.2f s\n", c.voice, Of(kEventWord, stream).size(),
                    perWord, wav.Seconds());
    }

    // One character alone: an initial and a final, no spelled-out tone.
    Open(TempWav("hao"), 20);
    UseEngineVoice("cmn-latn-pinyin");
    const int stream = voice_->Speak(u"\u597d", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 10000));
    std::vector<int> phones;
    for (const Event& e : Of(kEventPhoneme, stream))
        if (e.a != 7) phones.push_back(e.a);
    ASSERT_GE(phones.size(), 2u);
    EXPECT_LE(phones.size(), 3u);
    EXPECT_EQ(phones[0], 26) << "h";
    for (int phone : phones) EXPECT_NE(phone, 42) << "a \"th\": the tone read as \"three\"";
}

TEST_F(EspeakServiceTest, VoiceChangeOnlyWhenTheStreamsVoiceDiffers)
{
    Open(TempWav("voices"), 20);
    const int first = voice_->Speak(u"One.", SVSFlagsAsync);
    const int second = voice_->Speak(u"Two.", SVSFlagsAsync);
    UseVoice("804");
    const int third = voice_->Speak(u"\u4e09\u3002", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(third, 20000));
    EXPECT_EQ(Of(kEventVoiceChange, first).size(), 1u);
    EXPECT_EQ(Of(kEventVoiceChange, second).size(), 0u);
    EXPECT_EQ(Of(kEventVoiceChange, third).size(), 1u);
    // Streams follow each other: each starts after the one before ended.
    std::vector<int> order;
    for (const Event& e : events_)
        if (e.id == kEventStartStream || e.id == kEventEndStream) order.push_back(e.id * 10 + e.stream);
    EXPECT_EQ(order, (std::vector<int>{11, 21, 12, 22, 13, 23}));
}

// Skip silences the sounding text at once, ends its stream, and the next
// queued text follows.
TEST_F(EspeakServiceTest, SkipEndsTheStreamAtOnceAndTheNextTextFollows)
{
    Open(TempWav("skip"), 1);
    const int first = voice_->Speak(u"This sentence is rather long so that it is still being spoken when the test "
                                    u"skips it. And here is another one that nobody will hear.",
                                    SVSFlagsAsync);
    DWORD started = 0, skippedAt = 0;
    WaitForEnd(first, 1500, [&] {
        if (!started && !Of(kEventStartStream, first).empty()) started = GetTickCount();
        if (started && !skippedAt && GetTickCount() - started >= 600) {
            EXPECT_GE(voice_->Skip("Sentence", 2147483647), 1);
            skippedAt = GetTickCount();
        }
    });
    ASSERT_TRUE(skippedAt);
    ASSERT_TRUE(WaitForEnd(first, 2000));
    const Event end = Of(kEventEndStream, first)[0];
    EXPECT_LE(end.time - skippedAt, 60u) << "end of stream came late";
    const double heardSeconds = static_cast<double>(end.position) / 2 / 22050;
    EXPECT_NEAR(heardSeconds, (skippedAt - started) / 1000.0, 0.1);

    const int second = voice_->Speak(u"Next.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(second, 5000));
    EXPECT_EQ(Of(kEventStartStream, second).size(), 1u);
    voice_.reset();
    const Wav wav = ReadWav(wavPath_);
    const double nextSeconds = static_cast<double>(Of(kEventEndStream, second)[0].position) / 2 / 22050;
    // The recording holds what was heard of the first text, then the second.
    EXPECT_NEAR(wav.Seconds(), heardSeconds + nextSeconds, 0.06);
    EXPECT_LT(Of(kEventWord, first).back().a, 80) << "words of the skipped part were raised";
}

// The reader's pattern: a new text cuts the old one short (skip, speak), and
// the old stream's end handler skips again. That second skip is about the
// ended stream: the new text, like a text queued by a second press of play,
// is still heard in full.
TEST_F(EspeakServiceTest, SkipFromTheEndHandlerLeavesTheNextTextAlone)
{
    Open(TempWav("endskip"), 1);
    voice_->OnEndStream = [this](TSpVoice* sender, int s, StreamPositionVariant p) {
        events_.push_back(Event{kEventEndStream, s, p, 0, 0, GetTickCount()});
        sender->Skip("Sentence", 2147483647);
    };
    const int old = voice_->Speak(u"An old text that is still being spoken when the new one comes.", SVSFlagsAsync);
    WaitForEnd(old, 400);
    voice_->Skip("Sentence", 2147483647);
    const int fresh = voice_->Speak(u"New text.", SVSFlagsAsync);
    const int queued = voice_->Speak(u"Queued again.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(queued, 10000));
    EXPECT_EQ(Of(kEventWord, fresh).size(), 2u);
    EXPECT_EQ(Of(kEventWord, queued).size(), 2u);
}

// A skip of text that has not started yet ends it without a sound.
TEST_F(EspeakServiceTest, SkipWhilePausedEndsTheWaitingStream)
{
    Open(TempWav("pausedskip"), 1);
    voice_->Pause();
    const int first = voice_->Speak(u"Not heard.", SVSFlagsAsync);
    const int second = voice_->Speak(u"Heard after resume.", SVSFlagsAsync);
    Sleep(100);
    voice_->Skip("Sentence", 2147483647);
    ASSERT_TRUE(WaitForEnd(first, 1000));
    EXPECT_TRUE(Of(kEventStartStream, first).empty());
    WaitForEnd(second, 300);
    EXPECT_TRUE(Of(kEventStartStream, second).empty()) << "started while paused";
    voice_->Resume();
    ASSERT_TRUE(WaitForEnd(second, 5000));
    EXPECT_EQ(Of(kEventWord, second).size(), 3u);
}

// Pause halts the output at once; Resume continues where it halted: every
// synthesised sample is played exactly once and the stream lasts as long as
// its audio plus the pause.
TEST_F(EspeakServiceTest, PauseHaltsAndResumeContinuesWhereItHalted)
{
    Open(TempWav("pause"), 1);
    const int stream = voice_->Speak(u"Counting slowly: one, two, three, four, five, six.", SVSFlagsAsync);
    DWORD started = 0, pausedAt = 0, resumedAt = 0;
    ASSERT_TRUE(WaitForEnd(stream, 15000, [&] {
        const DWORD now = GetTickCount();
        if (!started && !Of(kEventStartStream, stream).empty()) started = now;
        if (started && !pausedAt && now - started >= 700) {
            voice_->Pause();
            pausedAt = now;
        }
        if (pausedAt && !resumedAt && now - pausedAt >= 800) {
            voice_->Resume();
            resumedAt = now;
        }
    }));
    ASSERT_TRUE(resumedAt);
    // Nothing was played (no audio level, no word) from 50 ms after the pause
    // until the resume, and playing went on after it.
    for (const Event& e : events_)
        EXPECT_FALSE(e.time > pausedAt + 50 && e.time + 5 < resumedAt) << "event " << e.id << " during the pause";
    EXPECT_GT(events_.back().time, resumedAt + 500);
    const Event end = Of(kEventEndStream, stream)[0];
    const double audioSeconds = static_cast<double>(end.position) / 2 / 22050;
    EXPECT_NEAR((end.time - started) / 1000.0, audioSeconds + (resumedAt - pausedAt) / 1000.0, 0.1);
    voice_.reset();
    EXPECT_EQ(ReadWav(wavPath_).samples.size() * 2, static_cast<size_t>(end.position))
        << "sound was lost or repeated around the pause";
}

TEST_F(EspeakServiceTest, RateAndVolumeChangeDurationAndAmplitude)
{
    const std::u16string text = u"The rain in Spain stays mainly in the plain.";
    Open(TempWav("rate"), 20);
    const double normal = SpokenSeconds(text, 0);
    const double fast = SpokenSeconds(text, 10);
    const double slow = SpokenSeconds(text, -10);
    EXPECT_LT(fast, normal / 2.2) << normal << " s normal, " << fast << " s at +10";
    EXPECT_GT(slow, normal * 2.2) << normal << " s normal, " << slow << " s at -10";

    Open(wavPath_, 20);
    voice_->SetRate(0);
    voice_->SetVolume(100);
    int stream = voice_->Speak(text, SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 20000));
    voice_->SetVolume(25);
    stream = voice_->Speak(text, SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 20000));
    voice_.reset();
    const Wav wav = ReadWav(wavPath_);
    const size_t half = wav.samples.size() / 2;
    int loud = 0, quiet = 0;
    for (size_t i = 0; i < wav.samples.size(); ++i) {
        const int v = std::abs(static_cast<int>(wav.samples[i]));
        (i < half ? loud : quiet) = std::max(i < half ? loud : quiet, v);
    }
    EXPECT_NEAR(static_cast<double>(quiet) / loud, 0.25, 0.02);
}

TEST_F(EspeakServiceTest, EmptyAndBlankTextsStillStartAndEndTheirStreams)
{
    Open(TempWav("empty"), 20);
    const int empty = voice_->Speak(u"", SVSFlagsAsync);
    const int blank = voice_->Speak(u"  \r\n ", SVSFlagsAsync);
    const int word = voice_->Speak(u"Yes.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(word, 5000));
    for (int stream : {empty, blank, word}) {
        EXPECT_EQ(Of(kEventStartStream, stream).size(), 1u) << stream;
        EXPECT_EQ(Of(kEventEndStream, stream).size(), 1u) << stream;
    }
    EXPECT_EQ(Of(kEventWord, word).size(), 1u);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(EspeakServiceTest, RecordingIsAValidFileWhileTheOutputIsIdle)
{
    Open(TempWav("idle"), 20);
    const int stream = voice_->Speak(u"Saved while idle.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 10000));
    Sleep(50);
    const Wav wav = ReadWav(wavPath_);  // the service is still running
    EXPECT_EQ(wav.sampleRate, 22050);
    EXPECT_EQ(static_cast<size_t>(wav.declaredBytes), wav.samples.size() * 2);
    EXPECT_EQ(static_cast<std::int64_t>(wav.declaredBytes), Of(kEventEndStream, stream)[0].position);
}

TEST_F(EspeakServiceTest, DestroyingTheVoiceWhileSpeakingStopsCleanly)
{
    Open(TempWav("destroy"), 1);
    voice_->Speak(u"This text is cut off by destroying the voice in the middle of it.", SVSFlagsAsync);
    Sleep(300);
    const DWORD before = GetTickCount();
    voice_.reset();  // the last holder: the service stops and joins its threads
    EXPECT_LT(GetTickCount() - before, 500u);
    EXPECT_EQ(GetRunningVoiceService(), nullptr);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    // A new service starts afterwards.
    Open(TempWav("destroy"), 20);
    const int stream = voice_->Speak(u"Again.", SVSFlagsAsync);
    EXPECT_TRUE(WaitForEnd(stream, 5000));
}

TEST_F(EspeakServiceTest, MissingSoundDeviceFallsBackToThePacedOutput)
{
    // ./test runs without Wine audio drivers, so the device cannot open.
    SetVoiceServiceFactory([]() -> std::shared_ptr<VoiceService> {
        return std::make_shared<EspeakVoiceService>(CreateAudioOutput("device"));
    });
    voice_ = std::make_unique<TSpVoice>();
    int ends = 0;
    DWORD startTime = 0, endTime = 0;
    voice_->OnStartStream = [&](TSpVoice*, int, StreamPositionVariant) { startTime = GetTickCount(); };
    voice_->OnEndStream = [&](TSpVoice*, int, StreamPositionVariant p) {
        ++ends;
        endTime = GetTickCount();
        events_.push_back(Event{kEventEndStream, 1, p});
    };
    const int stream = voice_->Speak(u"Hello there.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 5000));
    EXPECT_EQ(ends, 1);
    // Paced: the stream took about as long as its audio lasts.
    const double seconds = static_cast<double>(events_.back().position) / 2 / 22050;
    EXPECT_NEAR((endTime - startTime) / 1000.0, seconds, 0.15);
}

TEST_F(EspeakServiceTest, UnwritableRecordingIsReportedAndSpeechGoesOn)
{
    Open("/nonexistent-folder/x.wav", 20);
    wavPath_.clear();
    const int stream = voice_->Speak(u"Still spoken.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(stream, 5000));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "Cannot create file /nonexistent-folder/x.wav");
    EXPECT_EQ(Of(kEventWord, stream).size(), 2u);
}

TEST_F(EspeakServiceTest, AudioLevelsFollowTheSoundWithinTheirRange)
{
    Open(TempWav("levels"), 20);
    voice_->SetVolume(100);
    const int loud = voice_->Speak(u"Loud and clear, loud and clear.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(loud, 10000));
    voice_->SetVolume(10);
    const int quiet = voice_->Speak(u"Loud and clear, loud and clear.", SVSFlagsAsync);
    ASSERT_TRUE(WaitForEnd(quiet, 10000));
    int loudMax = 0, quietMax = 0;
    for (const Event& e : Of(kEventAudioLevel)) {
        EXPECT_GE(e.a, 0);
        EXPECT_LE(e.a, 100);
        (e.stream == loud ? loudMax : quietMax) = std::max(e.stream == loud ? loudMax : quietMax, e.a);
    }
    // Ten levels a second of audio.
    const double seconds = static_cast<double>(Of(kEventEndStream, loud)[0].position) / 2 / 22050;
    EXPECT_NEAR(static_cast<double>(Of(kEventAudioLevel, loud).size()), seconds * 10, 1.5);
    EXPECT_GT(loudMax, 30);
    EXPECT_LT(quietMax, loudMax / 5);
}

// A purge (an empty Speak with SVSFPurgeBeforeSpeak) ends the sounding text
// and every text queued behind it, in order, the queued ones unheard; what
// is spoken afterwards is heard in full. Whether something was sounding or
// everything was still waiting (paused) makes no difference to the caller.
TEST_F(EspeakServiceTest, PurgeEndsTheSoundingTextAndEveryQueuedOne)
{
    struct Case {
        const char* name;
        bool paused;
    };
    for (const Case c : {Case{"sounding", false}, Case{"paused", true}}) {
        SCOPED_TRACE(c.name);
        Open(TempWav("purge"), 1);
        if (c.paused) voice_->Pause();
        const int first = voice_->Speak(u"This sentence is long enough to be still sounding when the purge comes.",
                                        SVSFlagsAsync);
        const int second = voice_->Speak(u"Queued behind it and never heard.", SVSFlagsAsync);
        const int third = voice_->Speak(u"Also queued, also never heard.", SVSFlagsAsync);
        if (!c.paused) WaitForEnd(first, 500);
        else Sleep(100);
        EXPECT_EQ(voice_->Speak(u"", SVSFlagsAsync | SVSFPurgeBeforeSpeak), 0) << "a purge starts no stream";
        if (c.paused) voice_->Resume();
        ASSERT_TRUE(WaitForEnd(third, 3000)) << "the queued texts did not end";
        EXPECT_TRUE(Ended(first));
        EXPECT_TRUE(Ended(second));
        for (int stream : {second, third}) {
            EXPECT_TRUE(Of(kEventStartStream, stream).empty()) << stream << " was heard";
            EXPECT_TRUE(Of(kEventWord, stream).empty()) << stream << " was heard";
        }
        std::vector<int> endOrder;
        for (const Event& e : Of(kEventEndStream)) endOrder.push_back(e.stream);
        EXPECT_EQ(endOrder, (std::vector<int>{first, second, third}));
        const int next = voice_->Speak(u"Heard in full.", SVSFlagsAsync);
        ASSERT_TRUE(WaitForEnd(next, 5000));
        EXPECT_EQ(Of(kEventWord, next).size(), 3u);
        voice_.reset();
    }
}

// A sound device that can be unplugged: Open fails while it is absent, Write
// fails while it is broken. It plays like the paced output and counts what it
// was given.
struct DeviceState {
    std::atomic<bool> present{false};
    std::atomic<bool> broken{false};
    std::atomic<std::int64_t> samples{0};
    std::atomic<int> opens{0};
};

class UnpluggableDevice : public PacedAudioOutput {
public:
    explicit UnpluggableDevice(std::shared_ptr<DeviceState> state) : PacedAudioOutput(4), state_(std::move(state)) {}
    void Open(int sampleRate) override
    {
        ++state_->opens;
        if (!state_->present) throw std::runtime_error("unplugged");
        PacedAudioOutput::Open(sampleRate);
    }
    void Write(const std::int16_t* samples, std::size_t count) override
    {
        if (state_->broken) throw std::runtime_error("pulled out while playing");
        state_->samples += static_cast<std::int64_t>(count);
        PacedAudioOutput::Write(samples, count);
    }
    bool IsSoundDevice() const override { return true; }
    std::string Describe() const override { return "sound device"; }

private:
    std::shared_ptr<DeviceState> state_;
};

// Without a sound device speech goes on silently and the user is told once
// (a notice, not an error); the device is tried again as each text starts,
// so plugging it in mends speech without a restart. A device that fails
// while playing is reported as an error once and recovers the same way.
TEST_F(EspeakServiceTest, AMissingOrFailingSoundDeviceIsToldOnceAndTriedAgainWithTheNextText)
{
    auto device = std::make_shared<DeviceState>();
    SetVoiceServiceFactory([device]() -> std::shared_ptr<VoiceService> {
        return std::make_shared<EspeakVoiceService>(std::make_unique<UnpluggableDevice>(device));
    });
    std::vector<std::pair<bool, std::string>> notices;
    voice_ = std::make_unique<TSpVoice>();
    voice_->OnNotice = [&](TSpVoice*, VoiceCondition condition, bool active, const std::string& text) {
        EXPECT_EQ(condition, VoiceCondition::SoundDeviceMissing);
        notices.emplace_back(active, text);
    };
    voice_->OnEndStream = [this](TSpVoice*, int s, StreamPositionVariant p) {
        events_.push_back(Event{kEventEndStream, s, p});
    };
    voice_->OnError = [this](TSpVoice*, const EOleException& e) { errors_.push_back(e.what()); };
    voice_->Connect();  // the device is found missing while the service starts

    struct Step {
        const char* what;
        bool present, broken;
        bool heard;       // the device received the text's sound
        bool told;        // a notice came with this text
        bool missing;     // the condition in force afterwards
        size_t errors;    // error reports so far
    };
    const Step steps[] = {
        {"no device at start", false, false, false, true, true, 0},
        {"still none", false, false, false, false, true, 0},
        {"plugged in", true, false, true, true, false, 0},
        {"fails while playing", true, true, false, true, true, 1},
        {"fails again", true, true, false, true, true, 1},
        {"mended", true, false, true, true, false, 1},
    };
    size_t told = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        device->present = step.present;
        device->broken = step.broken;
        const std::int64_t before = device->samples;
        const int stream = voice_->Speak(u"Can you hear me?", SVSFlagsAsync);
        ASSERT_TRUE(WaitForEnd(stream, 10000));
        WaitForEnd(-1, 50);  // what the end brought along
        EXPECT_EQ(device->samples > before, step.heard);
        EXPECT_EQ(notices.size() > told, step.told);
        told = notices.size();
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices.back().first, step.missing);
        if (step.missing) {
            EXPECT_FALSE(notices.back().second.empty());
        }
        EXPECT_EQ(errors_.size(), step.errors);
    }
}

// A subscriber that takes the end of a stream but cannot pass it on at once
// (its thread's message queue is full) gets it offered again until it can:
// the service does not fall idle with the end of the stream undelivered.
// ----- Mixed texts: several runs, each with its own voice, in one stream.

std::vector<std::u16string> WordsOf(const std::u16string& text, const std::vector<Event>& words)
{
    std::vector<std::u16string> out;
    for (const Event& e : words) out.push_back(text.substr(static_cast<size_t>(e.a), static_cast<size_t>(e.b)));
    return out;
}

// The longest stretch of near silence between the first and the last loud
// sample, in seconds.
double LongestInnerSilence(const Wav& wav)
{
    constexpr int kQuiet = 300;
    size_t first = 0, last = wav.samples.size();
    while (first < last && std::abs(static_cast<int>(wav.samples[first])) < kQuiet) ++first;
    while (last > first && std::abs(static_cast<int>(wav.samples[last - 1])) < kQuiet) --last;
    size_t longest = 0, run = 0;
    for (size_t i = first; i < last; ++i) {
        run = std::abs(static_cast<int>(wav.samples[i])) < kQuiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return static_cast<double>(longest) / wav.sampleRate;
}

// With the Mandarin voice current, each English word of a Chinese sentence is
// read by the English voice and its word event lands on that word; the Han
// characters keep one word each; everything comes in order, in one stream,
// without a gap where the voice changes.
TEST_F(EspeakServiceTest, MixedSentenceWordEventsLandOnEachWord)
{
    struct Case {
        const char* voice;
        std::u16string text;
        std::vector<std::u16string> words;
    };
    const Case cases[] = {
        {"804", u"我用Windows电脑看Google的视频。", {u"我", u"用", u"Windows", u"电", u"脑", u"看", u"Google", u"的", u"视", u"频"}},
        {"409", u"I said 你好 to him.", {u"I", u"said", u"你", u"好", u"to", u"him"}},
        // An expanded number: each syllable points at the digit it reads.
        {"804", u"增长3.5%", {u"增", u"长", u"%", u"%", u"%", u"3", u".", u"5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voice);
        voice_.reset();
        Open(TempWav("mixed"), 20);
        UseVoice(c.voice);
        const int stream = voice_->Speak(c.text, SVSFlagsAsync);
        ASSERT_TRUE(WaitForEnd(stream, 20000));
        EXPECT_EQ(WordsOf(c.text, Of(kEventWord, stream)), c.words);
        EXPECT_EQ(Of(kEventStartStream).size(), 1u);
        EXPECT_EQ(Of(kEventVoiceChange).size(), 1u) << "a run's voice is no voice change of the stream";
        EXPECT_EQ(Of(kEventSentence, stream).size(), 1u) << "one sentence, however many runs";
        std::int64_t last = 0;
        for (const Event& e : events_) {
            EXPECT_GE(e.position, last) << "event " << e.id << " out of order";
            last = e.position;
        }
        EXPECT_TRUE(errors_.empty());
        voice_.reset();
        const Wav wav = ReadWav(wavPath_);
        EXPECT_EQ(static_cast<size_t>(Of(kEventEndStream, stream)[0].position), wav.samples.size() * 2);
        EXPECT_LT(LongestInnerSilence(wav), 0.2) << "a gap between runs";
        std::printf("[ measure  ] %s: %.2f s, longest inner silence %.0f ms\n", c.voice, wav.Seconds(),
                    LongestInnerSilence(wav) * 1000);
    }
}

// A paragraph break is heard as a pause; a line broken inside a sentence is
// not.
TEST_F(EspeakServiceTest, ParagraphBreaksArePausesInTheSound)
{
    struct Case {
        std::u16string text;
        double minSilence, maxSilence;
    };
    const Case cases[] = {
        {u"第一段的标题\r\r第二段的内容", 0.65, 1.2},
        {u"第一行的内容。\r\n第二行的内容。", 0.25, 1.0},
        {u"这是从一份文件里复制出来的很长的一句话\r\n没有结束", 0.0, 0.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.minSilence));
        voice_.reset();
        Open(TempWav("paragraph"), 20);
        UseVoice("804");
        const int stream = voice_->Speak(c.text, SVSFlagsAsync);
        ASSERT_TRUE(WaitForEnd(stream, 20000));
        voice_.reset();
        const double silence = LongestInnerSilence(ReadWav(wavPath_));
        EXPECT_GE(silence, c.minSilence);
        EXPECT_LE(silence, c.maxSilence);
    }
}

// Skip, Pause and Resume act on the stream, whichever run is sounding: a skip
// during an English run inside Chinese text ends the whole stream at once and
// no later run is heard; a pause during a run holds every later run too.
TEST_F(EspeakServiceTest, SkipAndPauseActAcrossRuns)
{
    const std::u16string text =
        u"我们今天用Windows电脑和Linux电脑做测试，然后用Mac电脑再做一次，最后写一份很长的报告给大家看。";
    Open(TempWav("runskip"), 1);
    UseVoice("804");
    const int first = voice_->Speak(text, SVSFlagsAsync);
    DWORD skippedAt = 0;
    WaitForEnd(first, 8000, [&] {
        const auto words = WordsOf(text, Of(kEventWord, first));
        if (!skippedAt && std::find(words.begin(), words.end(), u"Windows") != words.end()) {
            EXPECT_GE(voice_->Skip("Sentence", 2147483647), 1);
            skippedAt = GetTickCount();
        }
    });
    ASSERT_TRUE(skippedAt) << "the English run was never reached";
    ASSERT_TRUE(Ended(first));
    EXPECT_LE(Of(kEventEndStream, first)[0].time - skippedAt, 60u) << "end of stream came late";
    for (const std::u16string& word : WordsOf(text, Of(kEventWord, first)))
        EXPECT_TRUE(word != u"Linux" && word != u"Mac") << "a run after the skip was heard";

    // Pause inside the second text's English run; nothing moves until Resume.
    const int second = voice_->Speak(text, SVSFlagsAsync);
    DWORD pausedAt = 0, resumedAt = 0;
    ASSERT_TRUE(WaitForEnd(second, 30000, [&] {
        const DWORD now = GetTickCount();
        const auto words = WordsOf(text, Of(kEventWord, second));
        if (!pausedAt && std::find(words.begin(), words.end(), u"Linux") != words.end()) {
            voice_->Pause();
            pausedAt = now;
        }
        if (pausedAt && !resumedAt && now - pausedAt >= 600) {
            voice_->Resume();
            resumedAt = now;
        }
    }));
    ASSERT_TRUE(resumedAt);
    for (const Event& e : events_)
        EXPECT_FALSE(e.stream == second && e.time > pausedAt + 50 && e.time + 5 < resumedAt)
            << "event " << e.id << " during the pause";
    const auto words = WordsOf(text, Of(kEventWord, second));
    EXPECT_NE(std::find(words.begin(), words.end(), u"Mac"), words.end()) << "the runs after the pause were lost";
    EXPECT_EQ(words.back(), u"看");
}

// Rate and volume hold for every run of a text, whatever its voice.
TEST_F(EspeakServiceTest, RateAndVolumeHoldAcrossRuns)
{
    const std::u16string text = u"我用Windows电脑看Google的视频。";
    Open(TempWav("runrate"), 20);
    UseVoice("804");
    const double normal = SpokenSeconds(text, 0);
    const double fast = SpokenSeconds(text, 10);
    EXPECT_LT(fast, normal / 2.2) << normal << " s normal, " << fast << " s at +10";

    auto peak = [&](int volume) {
        voice_.reset();
        Open(wavPath_, 20);
        UseVoice("804");
        voice_->SetVolume(volume);
        const int stream = voice_->Speak(u"Windows", SVSFlagsAsync);  // an English run alone
        EXPECT_TRUE(WaitForEnd(stream, 20000));
        voice_.reset();
        return ReadWav(wavPath_).Peak();
    };
    const int loud = peak(100);
    const int quiet = peak(25);
    EXPECT_NEAR(static_cast<double>(quiet) / loud, 0.25, 0.03);
}

// Which espeak-ng voices read the runs: the pinyin voice, else the plain
// Mandarin one, else none; the first installed English voice, else "en".
TEST(EspeakVoices, RunVoicesFallBackInOrder)
{
    struct Case {
        std::vector<std::string> available;
        std::vector<std::string> installed;
        frontend::MandarinSupport mandarin;
        std::string mandarinVoice, englishVoice;
    };
    using frontend::MandarinSupport;
    const Case cases[] = {
        {{"cmn-latn-pinyin", "cmn", "en", "en-gb"}, {"en-gb", "en-us", "cmn-latn-pinyin"}, MandarinSupport::Pinyin,
         "cmn-latn-pinyin", "en-gb"},
        {{"cmn", "en"}, {"en-us", "cmn"}, MandarinSupport::Hanzi, "cmn", "en-us"},
        {{"en"}, {"de"}, MandarinSupport::None, "", "en"},
        {{"cmn-latn-pinyin"}, {"cmn-latn-pinyin"}, MandarinSupport::Pinyin, "cmn-latn-pinyin", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installed.front());
        const auto chosen = EspeakVoiceService::ChooseRunVoices(
            [&](const std::string& name) { return std::find(c.available.begin(), c.available.end(), name) != c.available.end(); },
            c.installed);
        EXPECT_EQ(chosen.mandarin, c.mandarin);
        EXPECT_EQ(chosen.mandarinVoice, c.mandarinVoice);
        EXPECT_EQ(chosen.englishVoice, c.englishVoice);
    }
}

TEST(EspeakDelivery, AnEndOfStreamThatCouldNotBePassedOnIsOfferedAgain)
{
    struct SlowSink : VoiceEventSink {
        std::mutex mutex;
        bool pending = false;
        int retries = 0;
        bool delivered = false;
        void OnVoiceEvent(const VoiceEvent& event) noexcept override
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (event.id == kEventEndStream) pending = true;
        }
        bool RetryDelivery() noexcept override
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (!pending) return true;
            if (++retries < 5) return false;
            pending = false;
            delivered = true;
            return true;
        }
    };
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<PacedAudioOutput>());
    auto sink = std::make_shared<SlowSink>();
    service->Subscribe(sink);
    service->Speak(u"Yes.", SVSFlagsAsync);
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(sink->mutex);
            if (sink->delivered || GetTickCount() - start > 5000) break;
        }
        Sleep(5);
    }
    std::lock_guard<std::mutex> lock(sink->mutex);
    EXPECT_TRUE(sink->delivered) << "the end of the stream was left waiting";
    EXPECT_EQ(sink->retries, 5);
    service->Unsubscribe(sink.get());
}

// The service's start-up runs on its synthesis thread; when it fails, the
// constructor reports it, and the next service can start.
TEST(EspeakDelivery, AFailedStartLeavesRoomForTheNextService)
{
    EXPECT_THROW(EspeakVoiceService(std::make_unique<PacedAudioOutput>(), {"nonesuch"}), EOleException);
    EXPECT_NO_THROW(EspeakVoiceService(std::make_unique<PacedAudioOutput>()));
}

TEST(EspeakVoices, DefaultsAreThreeEnglishAndMandarinFourthInSortedOrder)
{
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<PacedAudioOutput>());
    std::vector<VoiceInfo> voices = service->Voices();
    ASSERT_EQ(voices.size(), 4u);
    std::sort(voices.begin(), voices.end(), [](const VoiceInfo& a, const VoiceInfo& b) {
        return lstrcmpiA(a.description.c_str(), b.description.c_str()) < 0;
    });
    EXPECT_EQ(voices[3].language, "804");
    EXPECT_EQ(voices[3].description, "eSpeak NG Mandarin Chinese");
    EXPECT_EQ(voices[3].engineVoice, "cmn-latn-pinyin") << "the voice that reads Han characters in Mandarin";
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(voices[static_cast<size_t>(i)].language == "409" || voices[static_cast<size_t>(i)].language == "809");
    for (const VoiceInfo& v : voices) {
        EXPECT_EQ(v.vendor, "eSpeak NG");
        EXPECT_FALSE(v.name.empty());
        EXPECT_FALSE(v.gender.empty());
    }
    EXPECT_THROW(EspeakVoiceService(std::make_unique<PacedAudioOutput>()), EOleException) << "a second instance";
}

// What a user reads in the voice list and the voice information: the
// display name, vendor, age, gender and language of each voice, as espeak-ng
// describes it (every voice here is one of its male voices).
TEST(EspeakVoices, EachVoiceCarriesItsOwnAttributes)
{
    struct Expected {
        const char* engine;
        const char* name;
        const char* gender;
        const char* language;
    };
    const Expected expected[] = {
        {"en-us", "eSpeak NG English (America)", "Male", "409"},
        {"en-gb", "eSpeak NG English (Great Britain)", "Male", "809"},
        {"en-gb-scotland", "eSpeak NG English (Scotland)", "Male", "809"},
        {"cmn-latn-pinyin", "eSpeak NG Mandarin Chinese", "Male", "804"},
        {"de", "eSpeak NG German", "Male", "407"},
        {"fr", "eSpeak NG French (France)", "Male", "40C"},
    };
    std::vector<std::string> names;
    for (const Expected& e : expected) names.push_back(e.engine);
    SetVoiceServiceFactory([names]() -> std::shared_ptr<VoiceService> {
        return std::make_shared<EspeakVoiceService>(std::make_unique<PacedAudioOutput>(), names);
    });
    TSpVoice voice;
    const ISpeechObjectTokens tokens = voice.GetVoices();
    ASSERT_EQ(tokens.Count(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < tokens.Count(); ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.engine);
        const ISpeechObjectTokenPtr token = tokens.Item(i);
        EXPECT_EQ(token->GetDescription(), e.name);
        EXPECT_EQ(token->GetAttribute("Name"), e.name);
        EXPECT_EQ(token->GetAttribute("Vendor"), "eSpeak NG");
        EXPECT_EQ(token->GetAttribute("Age"), "Adult");
        EXPECT_EQ(token->GetAttribute("Gender"), e.gender);
        EXPECT_EQ(token->GetAttribute("Language"), e.language);
        EXPECT_EQ(token->Id(), std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Speech\\Voices\\Tokens\\eSpeakNG_") + e.engine);
        // Choosing it makes it the voice of what is spoken next.
        voice.SetVoice(token.Get());
        EXPECT_EQ(voice.Voice()->Id(), token->Id());
    }
    SetVoiceServiceFactory(nullptr);
}

TEST(EspeakVoices, ConfiguredListReplacesTheDefaults)
{
    setenv("QUORVANE_VOICES", "de; en-us ,nonesuch", 1);
    EXPECT_EQ(EspeakVoiceService::ConfiguredVoiceNames(), (std::vector<std::string>{"de", "en-us", "nonesuch"}));
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<PacedAudioOutput>());
    const std::vector<VoiceInfo> voices = service->Voices();
    ASSERT_EQ(voices.size(), 2u);  // the unknown name is reported and left out
    EXPECT_EQ(voices[0].language, "407");
    unsetenv("QUORVANE_VOICES");
}

}  // namespace
}  // namespace quorvane
