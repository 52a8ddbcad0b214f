// A deterministic voice service for tests: it records every call and raises
// events only when the test says so.
//
// Typical use:
//   auto service = ScriptedVoiceService::Install();   // the running instance
//   TSpVoice voice;                                   // connects to it
//   voice.OnWord = ...;
//   voice.Speak(u"Hello there.");                     // logged, returns stream 1
//   service->RaiseWord(1, 0, 0, 5);                   // posted to the component
//   PumpMessages() / voice.DispatchPendingEvents();  // handler runs
//   EXPECT_EQ(service->Calls()[0], "Speak(\"Hello there.\", 1) -> 1");
//
// Raised events take the same path as the real service's: through the
// component's sink and a posted message, so they reach the handlers when the
// test pumps messages on the component's thread (or calls
// TSpVoice::DispatchPendingEvents).
//
// Texts queue as they do in the espeak-ng service: each Speak adds a stream
// behind those not yet ended, and the oldest one is sounding. A Skip of one
// sentence or more cuts that stream short and raises its end at once (a text
// not yet started ends the same way); a Skip made while an end of stream is
// being handled refers to that ended stream and cuts nothing. A Purge (a
// Speak with SVSFPurgeBeforeSpeak) ends every stream not yet ended, in
// order, at once. The test ends
// the sounding stream normally with FinishStream (or RaiseEndStream).
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "speech/voice_service.h"

namespace quorvane {

class ScriptedVoiceService : public VoiceService {
public:
    // Three English voices and one Mandarin voice; their descriptions sort
    // as the espeak-ng service's defaults do (the Mandarin one fourth).
    static std::vector<VoiceInfo> DefaultVoices();

    // Creates a service and registers it as the process's running service.
    static std::shared_ptr<ScriptedVoiceService> Install(std::vector<VoiceInfo> voices = DefaultVoices());

    explicit ScriptedVoiceService(std::vector<VoiceInfo> voices = DefaultVoices());

    // ----- the call log, one line per call, e.g.
    //   Voices()  SetVoice("<id>")  Voice()  Rate()  SetRate(5)  Volume()
    //   SetVolume(40)  SetEventInterests(33790)  Speak("text", 1) -> 2
    //   Skip("Sentence", 2147483647) -> 0  Purge()  Pause()  Resume()
    std::vector<std::string> Calls() const;
    std::string CallLog() const;  // the lines joined with '\n'
    void ClearCalls();

    // ----- failure injection: the next call of `operation` (the name as in
    // the log, e.g. "Speak", "SetRate") throws EOleException(message, code).
    void FailNext(const std::string& operation, const std::string& message, HRESULT code = E_FAIL);

    // ----- state as the calls left it
    std::u16string LastSpokenText() const;
    int LastStreamNumber() const;
    bool IsPaused() const;
    int EventInterests() const;
    void SetSkipResult(int result);  // what Skip returns (default 0)
    // The stream whose end was being handled when Skip was last called (0: none).
    int LastSkipEndingStream() const;
    // Streams spoken and not yet ended, the sounding one first.
    std::vector<int> QueuedStreams() const;
    // The sounding stream plays to its end: its end of stream is raised.
    // Returns its number (0: nothing was queued).
    int FinishStream(std::int64_t position = 0);

    // ----- events, raised now to every subscriber
    void RaiseStartStream(int stream, std::int64_t position = 0);
    void RaiseEndStream(int stream, std::int64_t position = 0);
    void RaiseVoiceChange(int stream, std::int64_t position, const VoiceInfo& voice);
    void RaiseBookmark(int stream, std::int64_t position, const std::string& bookmark, int bookmarkId);
    void RaiseWord(int stream, std::int64_t position, int characterPosition, int length);
    void RaisePhoneme(int stream, std::int64_t position, int duration, int nextPhoneId, int feature, int currentPhoneId);
    void RaiseSentence(int stream, std::int64_t position, int characterPosition, int length);
    void RaiseViseme(int stream, std::int64_t position, int duration, int nextVisemeId, int feature, int currentVisemeId);
    void RaiseAudioLevel(int stream, std::int64_t position, int level);
    void RaiseEnginePrivate(int stream, std::int64_t position, std::int64_t engineData);
    void RaiseError(const std::string& message);
    // A lasting condition begins (active) or is over, as a service reports it.
    void RaiseNotice(VoiceCondition condition, bool active, const std::string& text = {});
    void RaiseEvent(const VoiceEvent& event);

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

private:
    void Log(const std::string& line);
    void CheckFailure(const std::string& operation);

    mutable std::mutex mutex_;
    std::vector<VoiceInfo> voices_;
    VoiceInfo voice_;
    int rate_ = 0;
    int volume_ = 100;
    int interests_ = 0;
    int nextStream_ = 1;
    int skipResult_ = 0;
    int lastSkipEndingStream_ = 0;
    bool paused_ = false;
    std::u16string lastText_;
    std::deque<int> queued_;
    std::vector<std::string> calls_;
    struct Failure {
        std::string message;
        HRESULT code;
    };
    std::map<std::string, Failure> failures_;
};

}  // namespace quorvane
