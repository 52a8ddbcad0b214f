// The voice component TSpVoice and the voice-token types the reader uses.
//
// TSpVoice stands in for the system's automation voice object: it binds to a
// voice service (speech/voice_service.h) and turns the service's notifications
// into the ten component events, delivered on the thread that created the
// component, through its message loop, one event per posted message.
//
// Errors: every failing operation throws EOleException (a std::runtime_error
// carrying the message). Nothing in this module lets an exception cross a
// thread or a window procedure.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane {

class VoiceService;
struct VoiceEvent;
enum class VoiceCondition : int;
struct VoiceInfo;

// Failing voice operations throw this; ErrorCode() is an HRESULT-style code.
class EOleException : public std::runtime_error {
public:
    explicit EOleException(const std::string& message, HRESULT errorCode = E_FAIL)
        : std::runtime_error(message), errorCode_(errorCode) {}
    HRESULT ErrorCode() const { return errorCode_; }

private:
    HRESULT errorCode_;
};

// The text of the error an operation raises when no voice service could be
// obtained.
extern const char kNotConnectedMessage[];

// ---------------------------------------------------------------------------
// Voice tokens
// ---------------------------------------------------------------------------

// One installed voice. Reference counted like the platform object it stands
// for: a token is created with one reference (held by whoever received it
// from Item()), AddRef/Release count, and the token frees itself when the
// count reaches zero. ISpeechObjectTokenPtr manages one reference.
class ISpeechObjectToken {
public:
    ISpeechObjectToken(const ISpeechObjectToken&) = delete;
    ISpeechObjectToken& operator=(const ISpeechObjectToken&) = delete;

    unsigned long AddRef();
    unsigned long Release();

    // The voice's display name (UTF-8). The locale is accepted and ignored.
    std::string GetDescription(int locale = 0) const;
    // "Name", "Vendor", "Age", "Gender", "Language" (hexadecimal language ids
    // separated by ';', e.g. "409"); an unknown attribute gives "".
    std::string GetAttribute(const std::string& attributeName) const;
    // The token's unique id, a registry-style key (UTF-8).
    std::string Id() const;

    // Internal: the voice service's description of this voice.
    const VoiceInfo& Info() const { return *info_; }
    static ISpeechObjectToken* Create(const VoiceInfo& info);  // count 1

private:
    explicit ISpeechObjectToken(const VoiceInfo& info);
    ~ISpeechObjectToken();

    std::atomic<unsigned long> refCount_{1};
    std::unique_ptr<VoiceInfo> info_;
};

// Holds one reference on a token (like a COM smart pointer).
class ISpeechObjectTokenPtr {
public:
    ISpeechObjectTokenPtr() = default;
    // Takes over a reference the caller already owns (e.g. from Create).
    static ISpeechObjectTokenPtr Attach(ISpeechObjectToken* token);
    // Adds a reference of its own.
    explicit ISpeechObjectTokenPtr(ISpeechObjectToken* token);
    ISpeechObjectTokenPtr(const ISpeechObjectTokenPtr& other);
    ISpeechObjectTokenPtr(ISpeechObjectTokenPtr&& other) noexcept;
    ISpeechObjectTokenPtr& operator=(ISpeechObjectTokenPtr other) noexcept;
    ~ISpeechObjectTokenPtr();

    ISpeechObjectToken* Get() const { return token_; }
    ISpeechObjectToken* operator->() const { return token_; }
    explicit operator bool() const { return token_ != nullptr; }
    // Hands the reference to the caller (who must Release it later).
    ISpeechObjectToken* Detach();

private:
    ISpeechObjectToken* token_ = nullptr;
};

// The collection GetVoices returns.
class ISpeechObjectTokens {
public:
    int Count() const { return static_cast<int>(tokens_.size()); }
    // Index 0..Count()-1; anything else throws EOleException.
    ISpeechObjectTokenPtr Item(int index) const;

    void Add(ISpeechObjectTokenPtr token) { tokens_.push_back(std::move(token)); }

private:
    std::vector<ISpeechObjectTokenPtr> tokens_;
};

// ---------------------------------------------------------------------------
// The component
// ---------------------------------------------------------------------------

enum TConnectKind { ckRunningOrNew, ckNewInstance, ckRunningInstance, ckRemote, ckAttachToInterface };

// Speak flags and event-interest bits, with the values of the platform object.
enum SpeechVoiceSpeakFlags : int {
    SVSFDefault = 0,
    SVSFlagsAsync = 1,
    SVSFPurgeBeforeSpeak = 2,
};

enum SpeechVoiceEvents : int {
    SVEStartInputStream = 2,
    SVEEndInputStream = 4,
    SVEVoiceChange = 8,
    SVEBookmark = 16,
    SVEWordBoundary = 32,
    SVEPhoneme = 64,
    SVESentenceBoundary = 128,
    SVEViseme = 256,
    SVEAudioLevel = 512,
    SVEPrivate = 32768,
    SVEAllEvents = 33790,
};

// Event dispatch identifiers.
enum SpeechVoiceEventId : int {
    kEventStartStream = 1,
    kEventEndStream = 2,
    kEventVoiceChange = 3,
    kEventBookmark = 4,
    kEventWord = 5,
    kEventPhoneme = 6,
    kEventSentence = 7,
    kEventViseme = 8,
    kEventAudioLevel = 9,
    kEventEnginePrivate = 10,
};

// Phoneme feature flags (Feature argument of OnPhoneme / OnViseme).
enum SpeechVisemeFeature : int { SVF_None = 0, SVF_Stressed = 1, SVF_Emphasis = 2 };

// Stream positions are byte offsets into the stream's audio (16-bit mono PCM
// at the service's sample rate), counted from the stream's first sample. The
// platform hands them over as a variant; here they are a 64-bit integer that a
// reader may narrow to 32 bits.
using StreamPositionVariant = std::int64_t;

class TSpVoice;

// Event handlers: the sender first, then the event's arguments in order.
// CharacterPosition and Length count UTF-16 code units of the text given to
// Speak. Text arguments are UTF-8.
using TSpVoiceStartStream = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition)>;
using TSpVoiceEndStream = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition)>;
using TSpVoiceVoiceChange = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                               ISpeechObjectToken* VoiceObjectToken)>;
using TSpVoiceBookmark = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                            const std::string& Bookmark, int BookmarkId)>;
using TSpVoiceWord = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                        int CharacterPosition, int Length)>;
using TSpVoicePhoneme = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                           int Duration, std::int16_t NextPhoneId, int Feature, std::int16_t CurrentPhoneId)>;
using TSpVoiceSentence = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                            int CharacterPosition, int Length)>;
using TSpVoiceViseme = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                          int Duration, int NextVisemeId, int Feature, int CurrentVisemeId)>;
using TSpVoiceAudioLevel = std::function<void(TSpVoice* sender, int StreamNumber, StreamPositionVariant StreamPosition,
                                              int AudioLevel)>;
using TSpVoiceEnginePrivate = std::function<void(TSpVoice* sender, int StreamNumber, int StreamPosition,
                                                 std::int64_t EngineData)>;
// Not an event of the platform object: a failure inside the voice service
// (synthesis or audio output) that happened in the background, delivered on
// the component's thread like an event. Without a handler the error goes to
// the voice exception handler (below), as an exception thrown by an event
// handler does.
using TSpVoiceError = std::function<void(TSpVoice* sender, const EOleException& error)>;

// Not an event of the platform object either: a lasting condition of the
// voice service (speech/voice_service.h) begins (`active`, with its text for
// the user) or is over. A component connecting while a condition holds is
// told at once. Without a handler the notice is dropped (the service also
// says it on standard error).
using TSpVoiceNotice = std::function<void(TSpVoice* sender, VoiceCondition condition, bool active,
                                          const std::string& text)>;

class TSpVoice {
public:
    // Connects lazily: on AutoConnect()/Connect() or on the first operation.
    explicit TSpVoice(TConnectKind connectKind = ckRunningOrNew);
    ~TSpVoice();
    TSpVoice(const TSpVoice&) = delete;
    TSpVoice& operator=(const TSpVoice&) = delete;

    // Connects now (throws EOleException with the service's error when no
    // service can be obtained). The owner calls this when it has loaded.
    void Connect();
    void AutoConnect() { Connect(); }
    void Disconnect();
    bool Connected() const { return service_ != nullptr; }

    // ----- operations; each connects first and throws EOleException on failure
    void SetEventInterests(int interests);
    int EventInterests();
    // Both filters must be empty or are ignored; lists every installed voice.
    ISpeechObjectTokens GetVoices(const std::string& requiredAttributes = "",
                                  const std::string& optionalAttributes = "");
    // Set by reference: later speech uses this voice.
    void SetVoice(ISpeechObjectToken* token);
    ISpeechObjectTokenPtr Voice();
    int Rate();
    void SetRate(int rate);      // -10..10
    int Volume();
    void SetVolume(int volume);  // 0..100
    // Queues the text behind unfinished text and returns its stream number.
    // With SVSFlagsAsync it returns at once. Without it, it waits (pumping
    // this thread's messages, so events keep arriving) until the stream ends.
    // With SVSFPurgeBeforeSpeak every text not yet finished ends first (the
    // sounding one is cut short, the queued ones end unheard, each with its
    // OnEndStream); an empty text with that flag only purges and returns 0.
    int Speak(const std::u16string& text, int flags = SVSFlagsAsync);
    // ItemType "Sentence": skips that many sentences of the stream now
    // speaking; when that is all of them the stream ends at once. Returns the
    // number skipped. Called from an OnEndStream handler it refers to the
    // stream that has just ended, so it does not cut the text queued next.
    int Skip(const std::string& itemType, int numItems);
    void Pause();
    void Resume();

    // ----- events (assign a handler; an empty one drops the event)
    TSpVoiceStartStream OnStartStream;
    TSpVoiceEndStream OnEndStream;
    TSpVoiceVoiceChange OnVoiceChange;
    TSpVoiceBookmark OnBookmark;
    TSpVoiceWord OnWord;
    TSpVoicePhoneme OnPhoneme;
    TSpVoiceSentence OnSentence;
    TSpVoiceViseme OnViseme;
    TSpVoiceAudioLevel OnAudioLevel;
    TSpVoiceEnginePrivate OnEnginePrivate;
    TSpVoiceError OnError;
    TSpVoiceNotice OnNotice;

    // Delivers every event already queued for this component right now,
    // without waiting for the message loop (tests; Speak without async).
    // Returns the number delivered.
    int DispatchPendingEvents();

    // Internal: the service posts here (any thread).
    class EventSink;

private:
    void EnsureConnected();
    void DispatchOne();
    void Dispatch(const VoiceEvent& event);
    static LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    TConnectKind connectKind_;
    std::shared_ptr<VoiceService> service_;
    std::shared_ptr<EventSink> sink_;
    HWND eventWindow_ = nullptr;
    int eventInterests_ = SVEAllEvents & ~SVEAudioLevel;
    int lastEndedStream_ = 0;
    int dispatchDepth_ = 0;
    int endingStream_ = 0;  // the stream whose OnEndStream handler is running
    bool destroying_ = false;
};

// Event handlers run inside the component's window procedure, which no
// exception may leave. An exception thrown by a handler (or a background
// error without an OnError handler) is passed to this process-wide handler;
// the application installs one that shows its standard error box. The
// default writes the message to stderr. Returns the previous handler.
using VoiceExceptionHandler = std::function<void(std::exception_ptr)>;
VoiceExceptionHandler SetVoiceExceptionHandler(VoiceExceptionHandler handler);

}  // namespace quorvane
