// The voice service behind TSpVoice: what a speech back end offers (voices,
// rate, volume, a queue of texts, pause and skip) and the events it raises.
// Back ends: EspeakVoiceService (real speech) and ScriptedVoiceService (tests).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quorvane {

// One installed voice as the service describes it (all texts UTF-8).
struct VoiceInfo {
    std::string id;           // unique, registry-style key
    std::string description;  // display name
    std::string name;
    std::string vendor;
    std::string age;
    std::string gender;
    std::string language;     // hexadecimal language ids, ';'-separated
    std::string engineVoice;  // the back end's own name for the voice
};

// One notification. `id` is the event's dispatch id (1..10, see
// SpeechVoiceEventId) or kVoiceErrorEvent for a background failure.
struct VoiceEvent {
    int id = 0;
    int stream = 0;
    std::int64_t position = 0;  // byte offset into the stream's audio
    // Word/Sentence: characterPosition, length. Phoneme/Viseme: duration,
    // next, feature, current. AudioLevel: level. Bookmark: bookmark id.
    int args[4] = {0, 0, 0, 0};
    std::string text;                        // bookmark text or error message
    std::shared_ptr<const VoiceInfo> voice;  // VoiceChange
    std::int64_t engineData = 0;             // EnginePrivate
};

constexpr int kVoiceErrorEvent = 100;

// A lasting condition of a service that the user should be told about once,
// where they look (the reader's status line), rather than by an error box:
// it begins, lasts while speech goes on as well as it can, and may end by
// itself. Raised as an event with id kVoiceNoticeEvent: args[0] the
// condition, args[1] 1 when it begins and 0 when it is over, text the words
// for the user (empty when over).
enum class VoiceCondition : int {
    // No sound device could be opened (or the one in use failed): speech goes
    // on, paced in real time, without sound; the device is tried again when
    // the next text starts.
    SoundDeviceMissing = 1,
    // The synthesiser has no Mandarin voice: Han text is left out (never
    // named character by character by a voice of another language).
    NoMandarinVoice = 2,
};
constexpr int kVoiceNoticeEvent = 101;

class VoiceEventSink {
public:
    virtual ~VoiceEventSink() = default;
    // Called on any thread; must be quick and must not throw.
    virtual void OnVoiceEvent(const VoiceEvent& event) noexcept = 0;
    // Tries again to hand on events it took but could not pass on yet;
    // true when none is left waiting. A service calls it until it answers
    // true before it falls idle.
    virtual bool RetryDelivery() noexcept { return true; }
};

class VoiceService {
public:
    virtual ~VoiceService() = default;

    // Operations; failures throw EOleException (speech/speech_lib_tlb.h).
    virtual std::vector<VoiceInfo> Voices() = 0;
    virtual void SetVoice(const VoiceInfo& voice) = 0;
    virtual VoiceInfo Voice() = 0;
    virtual int Rate() = 0;
    virtual void SetRate(int rate) = 0;
    virtual int Volume() = 0;
    virtual void SetVolume(int volume) = 0;
    virtual void SetEventInterests(int interests) = 0;
    virtual int Speak(const std::u16string& text, int flags) = 0;
    // Ends every text not yet finished, in the order they were spoken: the
    // sounding one is cut short, the queued ones end unheard; each raises its
    // OnEndStream. (TSpVoice::Speak with SVSFPurgeBeforeSpeak.)
    virtual void Purge() = 0;
    // `endingStream` is the stream whose OnEndStream handler is running while
    // the caller skips (0 otherwise): such a skip refers to that stream,
    // which has ended, and must not cut the text queued after it.
    virtual int Skip(const std::string& itemType, int numItems, int endingStream) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;

    // Every subscriber gets every event. After Unsubscribe returns no call
    // to that sink is in progress or will follow. An error raised while
    // nobody is subscribed (say, while the service starts) goes to the first
    // subscriber.
    void Subscribe(std::shared_ptr<VoiceEventSink> sink);
    void Unsubscribe(const VoiceEventSink* sink);

protected:
    void Raise(const VoiceEvent& event);
    // Records whether a condition holds and tells every subscriber when that
    // changes; a subscriber that comes later is told the conditions in force.
    void SetCondition(VoiceCondition condition, bool active, const std::string& text = {});
    // Every subscriber's RetryDelivery; true when all have handed on all.
    bool RetryDeliveries();

private:
    std::mutex sinksMutex_;
    std::vector<std::shared_ptr<VoiceEventSink>> sinks_;
    std::vector<VoiceEvent> undeliveredErrors_;
    std::map<int, std::string> conditions_;  // in force: condition -> text
};

// The process's running service (the stand-in for the running object table).
// The registry holds it weakly: the service lives while a component or a test
// holds it.
std::shared_ptr<VoiceService> GetRunningVoiceService();
void RegisterRunningVoiceService(const std::shared_ptr<VoiceService>& service);

// Creates a new service; the default factory makes the espeak-ng service with
// the audio output chosen by QUORVANE_AUDIO. A factory may throw
// EOleException when no service can be created.
using VoiceServiceFactory = std::function<std::shared_ptr<VoiceService>()>;
VoiceServiceFactory SetVoiceServiceFactory(VoiceServiceFactory factory);  // returns the previous one
std::shared_ptr<VoiceService> CreateVoiceService();

}  // namespace quorvane
