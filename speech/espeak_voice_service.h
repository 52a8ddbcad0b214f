// Real speech: espeak-ng synthesises on a worker thread, an audio thread plays
// the PCM through an AudioOutput and raises each event when its sample is
// played.
//
// Installed voices: QUORVANE_VOICES, a list of espeak-ng voice or language
// names separated by ',' or ';' (e.g. "en-us,en-gb,en-gb-scotland,cmn,de"),
// replaces the default list kDefaultVoices. Bookmarks are not supported: the
// text is spoken as plain text, so OnBookmark never fires.
//
// Every text goes through the text front end (speech/frontend/): Han text is
// read by the Mandarin voice as tone-numbered pinyin, Latin-script words by an
// English voice, each run with its own voice inside the one stream, and the
// events point into the caller's text. Without espeak-ng's pinyin voice the
// plain Mandarin voice reads Han text itself; without any Mandarin voice Han
// text is left out and the service says so once (standard error, and the
// condition VoiceCondition::NoMandarinVoice for the reader's status line).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "speech/audio_output.h"
#include "speech/frontend/text_front_end.h"
#include "speech/voice_service.h"
#include "speech/win_thread.h"

namespace quorvane {

// Three English voices and one Mandarin voice (fourth in sorted order).
extern const char kDefaultVoices[];

class EspeakVoiceService : public VoiceService {
public:
    // `voiceNames`: the installed voices (empty: QUORVANE_VOICES or the
    // defaults). When the output is the sound device and it cannot be opened,
    // the service warns once on stderr, raises the SoundDeviceMissing notice
    // and uses the paced null output, trying the device again as each text
    // starts.
    // Throws EOleException when espeak-ng cannot start or no voice is usable.
    explicit EspeakVoiceService(std::unique_ptr<AudioOutput> output, std::vector<std::string> voiceNames = {});
    ~EspeakVoiceService() override;

    static std::vector<std::string> ConfiguredVoiceNames();

    // The espeak-ng voices behind the front end's runs, chosen from the
    // voices espeak-ng has (`available` answers whether it has one) and the
    // installed list: the pinyin voice, else the plain Mandarin voice, else
    // none; the first installed English voice, else espeak-ng's "en".
    struct RunVoices {
        frontend::MandarinSupport mandarin = frontend::MandarinSupport::None;
        std::string mandarinVoice;
        std::string englishVoice;
    };
    static RunVoices ChooseRunVoices(const std::function<bool(const std::string&)>& available,
                                     const std::vector<std::string>& installed);
    int SampleRate() const { return sampleRate_; }
    std::string OutputDescription();

    // ----- VoiceService
    std::vector<VoiceInfo> Voices() override;
    void SetVoice(const VoiceInfo& voice) override;
    VoiceInfo Voice() override;
    int Rate() override;
    void SetRate(int rate) override;
    int Volume() override;
    void SetVolume(int volume) override;
    void SetEventInterests(int interests) override;
    int Speak(const std::u16string& text, int flags) override;
    void Purge() override;
    int Skip(const std::string& itemType, int numItems, int endingStream) override;
    void Pause() override;
    void Resume() override;

    // Internal: espeak-ng's synthesis callback lands here.
    int OnSynth(short* samples, int count, void* events);

private:
    struct Utterance {
        int stream = 0;
        std::u16string text;
        std::shared_ptr<const VoiceInfo> voice;
        int rate = 0;
        int volume = 100;
    };
    enum class ItemKind { StreamStart, Event, Pcm, StreamEnd };
    struct Item {
        explicit Item(ItemKind itemKind) : kind(itemKind) {}
        ItemKind kind;
        int stream = 0;
        std::int64_t sample = 0;  // stream-relative (Event, StreamEnd: total samples)
        VoiceEvent event;
        std::vector<std::int16_t> pcm;
        std::shared_ptr<const VoiceInfo> voice;  // StreamStart
        bool voiceChanged = false;               // StreamStart
    };

    std::string StartEspeak(const std::vector<std::string>& voiceNames);
    void SynthesisThread();
    void AudioThread();
    void Synthesize(const Utterance& utterance);
    void PushItem(Item item);
    void LoadVoice(const VoiceInfo& voice);
    bool LoadEngineVoice(const std::string& engineVoice);
    void SynthesizeRun(const frontend::SpeechRun& run, int stream);
    void FlushPhoneme(std::int64_t nextSample, int nextPhoneId);
    // Audio thread, with mutex_ held:
    bool FeedOne();
    void PostDueEvents();
    void CancelPlayingStream();
    void Post(const VoiceEvent& event);
    void ReplaceFailedOutput(const std::string& message);
    void OpenAbsentDevice();

    // Set up before the threads run, constant afterwards.
    int sampleRate_ = 22050;
    std::vector<VoiceInfo> voices_;
    RunVoices runVoices_;


    std::mutex mutex_;
    std::condition_variable synthWake_;
    std::condition_variable audioWake_;
    std::condition_variable spaceFree_;
    bool shutdown_ = false;

    // Settings for the next Speak.
    std::shared_ptr<const VoiceInfo> voice_;
    int rate_ = 0;
    int volume_ = 100;
    int interests_ = 0;
    int nextStream_ = 1;
    bool voiceLoadPending_ = false;

    std::deque<Utterance> utterances_;  // waiting for synthesis
    std::deque<int> activeStreams_;     // spoken, not yet ended; front is the one playing
    std::set<int> cancelled_;
    int synthStream_ = 0;               // being synthesised
    std::deque<Item> items_;            // synthesised, not yet handed to the output
    std::int64_t itemSamples_ = 0;

    // Synthesis thread only.
    const std::u16string* synthText_ = nullptr;  // the caller's text, for sentence extents
    const frontend::SpeechRun* synthRun_ = nullptr;
    std::int64_t runBase_ = 0;      // stream sample at which synthRun_ starts
    int sentenceEnd_ = 0;           // caller position where the last sentence raised ends
    bool sentenceRaised_ = false;
    int synthVolume_ = 100;
    std::string loadedVoice_;
    std::string lastStreamVoice_;
    bool havePhoneme_ = false;
    VoiceEvent heldPhoneme_;
    std::int64_t heldPhonemeSample_ = 0;
    std::int64_t synthSamples_ = 0;

    // Audio thread (under mutex_).
    std::unique_ptr<AudioOutput> output_;
    // The sound device that could not be opened or failed, tried again as
    // each text starts; output_ is the paced null output meanwhile.
    std::unique_ptr<AudioOutput> absentDevice_;
    bool deviceFailureReported_ = false;
    bool paused_ = false;
    int feedStream_ = 0;           // whose items are being fed; 0 none
    bool skippingStream_ = false;  // dropping the rest of feedStream_
    std::int64_t streamBase_ = 0;  // output sample of feedStream_'s first sample
    std::map<int, std::int64_t> streamBases_;  // streams in the output, not yet ended
    std::multimap<std::int64_t, VoiceEvent> due_;  // by output sample
    double levelSquares_ = 0;
    int levelCount_ = 0;

    WinThread synthThread_;
    WinThread audioThread_;
};

}  // namespace quorvane
