#include "speech/speech_lib_tlb.h"

#include <cstdio>
#include <mutex>

#include "speech/voice_event_queue.h"
#include "speech/voice_service.h"

namespace quorvane {

const char kNotConnectedMessage[] =
    "DefaultInterface is NULL. Component is not connected to Server. You must call 'Connect' or "
    "'ConnectTo' before this operation";

namespace {

constexpr UINT kVoiceEventMessage = WM_APP + 0x51;
const WCHAR kEventWindowClass[] = L"QuorvaneVoiceEvents";

std::mutex gExceptionHandlerMutex;
VoiceExceptionHandler gExceptionHandler;

void HandleVoiceException(std::exception_ptr error) noexcept
{
    VoiceExceptionHandler handler;
    {
        std::lock_guard<std::mutex> lock(gExceptionHandlerMutex);
        handler = gExceptionHandler;
    }
    try {
        if (handler) {
            handler(error);
            return;
        }
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "voice: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "voice: unknown error\n");
    }
}

// The bit of EventInterests that lets an event through.
int InterestBit(int eventId)
{
    if (eventId == kEventEnginePrivate) return SVEPrivate;
    if (eventId >= kEventStartStream && eventId <= kEventAudioLevel) return 1 << eventId;
    return 0;
}

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

VoiceExceptionHandler SetVoiceExceptionHandler(VoiceExceptionHandler handler)
{
    std::lock_guard<std::mutex> lock(gExceptionHandlerMutex);
    std::swap(handler, gExceptionHandler);
    return handler;
}

// ---------------------------------------------------------------------------
// Tokens
// ---------------------------------------------------------------------------

ISpeechObjectToken::ISpeechObjectToken(const VoiceInfo& info) : info_(std::make_unique<VoiceInfo>(info)) {}
ISpeechObjectToken::~ISpeechObjectToken() = default;

ISpeechObjectToken* ISpeechObjectToken::Create(const VoiceInfo& info) { return new ISpeechObjectToken(info); }

unsigned long ISpeechObjectToken::AddRef() { return ++refCount_; }

unsigned long ISpeechObjectToken::Release()
{
    const unsigned long left = --refCount_;
    if (left == 0) delete this;
    return left;
}

std::string ISpeechObjectToken::GetDescription(int /*locale*/) const { return info_->description; }

std::string ISpeechObjectToken::GetAttribute(const std::string& attributeName) const
{
    if (EqualsIgnoringCase(attributeName, "Name")) return info_->name;
    if (EqualsIgnoringCase(attributeName, "Vendor")) return info_->vendor;
    if (EqualsIgnoringCase(attributeName, "Age")) return info_->age;
    if (EqualsIgnoringCase(attributeName, "Gender")) return info_->gender;
    if (EqualsIgnoringCase(attributeName, "Language")) return info_->language;
    return {};
}

std::string ISpeechObjectToken::Id() const { return info_->id; }

ISpeechObjectTokenPtr ISpeechObjectTokenPtr::Attach(ISpeechObjectToken* token)
{
    ISpeechObjectTokenPtr result;
    result.token_ = token;
    return result;
}

ISpeechObjectTokenPtr::ISpeechObjectTokenPtr(ISpeechObjectToken* token) : token_(token)
{
    if (token_) token_->AddRef();
}

ISpeechObjectTokenPtr::ISpeechObjectTokenPtr(const ISpeechObjectTokenPtr& other) : token_(other.token_)
{
    if (token_) token_->AddRef();
}

ISpeechObjectTokenPtr::ISpeechObjectTokenPtr(ISpeechObjectTokenPtr&& other) noexcept : token_(other.token_)
{
    other.token_ = nullptr;
}

ISpeechObjectTokenPtr& ISpeechObjectTokenPtr::operator=(ISpeechObjectTokenPtr other) noexcept
{
    std::swap(token_, other.token_);
    return *this;
}

ISpeechObjectTokenPtr::~ISpeechObjectTokenPtr()
{
    if (token_) token_->Release();
}

ISpeechObjectToken* ISpeechObjectTokenPtr::Detach()
{
    ISpeechObjectToken* token = token_;
    token_ = nullptr;
    return token;
}

ISpeechObjectTokenPtr ISpeechObjectTokens::Item(int index) const
{
    if (index < 0 || index >= Count()) throw EOleException("The parameter is incorrect", E_INVALIDARG);
    return tokens_[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------------------
// Event delivery: the service calls the sink on its own threads; the sink
// queues the event and posts one message per event to the component's
// message-only window, whose procedure delivers one event per message.
// ---------------------------------------------------------------------------

class TSpVoice::EventSink : public VoiceEventSink {
public:
    explicit EventSink(HWND window)
        : queue_([window] { return PostMessageW(window, kVoiceEventMessage, 0, 0) != FALSE; })
    {
    }

    void OnVoiceEvent(const VoiceEvent& event) noexcept override { queue_.Push(event); }
    bool RetryDelivery() noexcept override { return queue_.RetryWakes(); }
    bool Pop(VoiceEvent& event) { return queue_.Pop(event); }
    void Clear() { queue_.Clear(); }

private:
    VoiceEventQueue queue_;
};

namespace {

void RegisterEventWindowClass(WNDPROC procedure)
{
    static const bool registered = [procedure] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kEventWindowClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

TSpVoice::TSpVoice(TConnectKind connectKind) : connectKind_(connectKind)
{
    RegisterEventWindowClass(&TSpVoice::EventWindowProc);
    eventWindow_ = CreateWindowExW(0, kEventWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!eventWindow_) throw EOleException("Cannot create the voice event window", HRESULT_FROM_WIN32(GetLastError()));
    SetWindowLongPtrW(eventWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    sink_ = std::make_shared<EventSink>(eventWindow_);
}

TSpVoice::~TSpVoice()
{
    destroying_ = true;
    Disconnect();
    if (eventWindow_) {
        SetWindowLongPtrW(eventWindow_, GWLP_USERDATA, 0);
        DestroyWindow(eventWindow_);
    }
}

void TSpVoice::Connect()
{
    if (service_) return;
    std::shared_ptr<VoiceService> service;
    if (connectKind_ == ckRunningOrNew || connectKind_ == ckRunningInstance) service = GetRunningVoiceService();
    if (!service && connectKind_ != ckRunningInstance) {
        try {
            service = CreateVoiceService();
        } catch (const EOleException&) {
            throw;
        } catch (const std::exception& e) {
            throw EOleException(e.what());
        }
        if (service && connectKind_ == ckRunningOrNew) RegisterRunningVoiceService(service);
    }
    if (!service) return;
    service->Subscribe(sink_);
    service_ = std::move(service);
    // The service keeps its own interests; tell it ours so a back end can
    // skip work nobody listens to.
    service_->SetEventInterests(eventInterests_);
}

void TSpVoice::Disconnect()
{
    if (!service_) return;
    service_->Unsubscribe(sink_.get());
    sink_->Clear();
    service_.reset();
}

void TSpVoice::EnsureConnected()
{
    Connect();
    if (!service_) throw EOleException(kNotConnectedMessage, E_POINTER);
}

void TSpVoice::SetEventInterests(int interests)
{
    EnsureConnected();
    service_->SetEventInterests(interests);
    eventInterests_ = interests;
}

int TSpVoice::EventInterests()
{
    EnsureConnected();
    return eventInterests_;
}

ISpeechObjectTokens TSpVoice::GetVoices(const std::string& /*requiredAttributes*/,
                                        const std::string& /*optionalAttributes*/)
{
    EnsureConnected();
    ISpeechObjectTokens tokens;
    for (const VoiceInfo& info : service_->Voices()) tokens.Add(ISpeechObjectTokenPtr::Attach(ISpeechObjectToken::Create(info)));
    return tokens;
}

void TSpVoice::SetVoice(ISpeechObjectToken* token)
{
    EnsureConnected();
    if (!token) throw EOleException("Invalid pointer", E_POINTER);
    service_->SetVoice(token->Info());
}

ISpeechObjectTokenPtr TSpVoice::Voice()
{
    EnsureConnected();
    return ISpeechObjectTokenPtr::Attach(ISpeechObjectToken::Create(service_->Voice()));
}

int TSpVoice::Rate()
{
    EnsureConnected();
    return service_->Rate();
}

void TSpVoice::SetRate(int rate)
{
    EnsureConnected();
    if (rate < -10 || rate > 10) throw EOleException("The parameter is incorrect", E_INVALIDARG);
    service_->SetRate(rate);
}

int TSpVoice::Volume()
{
    EnsureConnected();
    return service_->Volume();
}

void TSpVoice::SetVolume(int volume)
{
    EnsureConnected();
    if (volume < 0 || volume > 100) throw EOleException("The parameter is incorrect", E_INVALIDARG);
    service_->SetVolume(volume);
}

int TSpVoice::Speak(const std::u16string& text, int flags)
{
    EnsureConnected();
    if (flags & SVSFPurgeBeforeSpeak) {
        service_->Purge();
        if (text.empty()) return 0;  // only the purge: no stream of its own
        flags &= ~SVSFPurgeBeforeSpeak;
    }
    const int stream = service_->Speak(text, flags);
    if (flags & SVSFlagsAsync) return stream;
    // Synchronous speech: keep this thread's messages (and so the events)
    // flowing until the stream has ended.
    while (service_ && lastEndedStream_ < stream) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return stream;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return stream;
}

int TSpVoice::Skip(const std::string& itemType, int numItems)
{
    EnsureConnected();
    if (!EqualsIgnoringCase(itemType, "Sentence")) throw EOleException("The parameter is incorrect", E_INVALIDARG);
    return service_->Skip("Sentence", numItems, endingStream_);
}

void TSpVoice::Pause()
{
    EnsureConnected();
    service_->Pause();
}

void TSpVoice::Resume()
{
    EnsureConnected();
    service_->Resume();
}

int TSpVoice::DispatchPendingEvents()
{
    int delivered = 0;
    VoiceEvent event;
    while (!destroying_ && sink_->Pop(event)) {
        ++delivered;
        try {
            Dispatch(event);
        } catch (...) {
            HandleVoiceException(std::current_exception());
        }
    }
    // The messages posted for these events find an empty queue later and
    // deliver nothing.
    return delivered;
}

void TSpVoice::DispatchOne()
{
    VoiceEvent event;
    if (!sink_->Pop(event)) return;
    Dispatch(event);
}

void TSpVoice::Dispatch(const VoiceEvent& e)
{
    if (e.id == kEventEndStream && e.stream > lastEndedStream_) lastEndedStream_ = e.stream;
    if (e.id == kVoiceErrorEvent) {
        EOleException error(e.text.empty() ? "The voice service failed" : e.text);
        if (OnError) OnError(this, error);
        else HandleVoiceException(std::make_exception_ptr(error));
        return;
    }
    if (e.id == kVoiceNoticeEvent) {
        if (OnNotice) OnNotice(this, static_cast<VoiceCondition>(e.args[0]), e.args[1] != 0, e.text);
        return;
    }
    if (!(eventInterests_ & InterestBit(e.id))) return;
    ++dispatchDepth_;
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{dispatchDepth_};
    switch (e.id) {
    case kEventStartStream:
        if (OnStartStream) OnStartStream(this, e.stream, e.position);
        break;
    case kEventEndStream:
        if (OnEndStream) {
            struct EndingGuard {
                int& ending;
                int saved;
                ~EndingGuard() { ending = saved; }
            } ending{endingStream_, endingStream_};
            endingStream_ = e.stream;
            OnEndStream(this, e.stream, e.position);
        }
        break;
    case kEventVoiceChange:
        if (OnVoiceChange) {
            ISpeechObjectTokenPtr token;
            if (e.voice) token = ISpeechObjectTokenPtr::Attach(ISpeechObjectToken::Create(*e.voice));
            OnVoiceChange(this, e.stream, e.position, token.Get());
        }
        break;
    case kEventBookmark:
        if (OnBookmark) OnBookmark(this, e.stream, e.position, e.text, e.args[0]);
        break;
    case kEventWord:
        if (OnWord) OnWord(this, e.stream, e.position, e.args[0], e.args[1]);
        break;
    case kEventPhoneme:
        if (OnPhoneme)
            OnPhoneme(this, e.stream, e.position, e.args[0], static_cast<std::int16_t>(e.args[1]), e.args[2],
                      static_cast<std::int16_t>(e.args[3]));
        break;
    case kEventSentence:
        if (OnSentence) OnSentence(this, e.stream, e.position, e.args[0], e.args[1]);
        break;
    case kEventViseme:
        if (OnViseme) OnViseme(this, e.stream, e.position, e.args[0], e.args[1], e.args[2], e.args[3]);
        break;
    case kEventAudioLevel:
        if (OnAudioLevel) OnAudioLevel(this, e.stream, e.position, e.args[0]);
        break;
    case kEventEnginePrivate:
        if (OnEnginePrivate) OnEnginePrivate(this, e.stream, static_cast<int>(e.position), e.engineData);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK TSpVoice::EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        if (message == kVoiceEventMessage) {
            auto* voice = reinterpret_cast<TSpVoice*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (voice && !voice->destroying_) voice->DispatchOne();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    } catch (...) {
        HandleVoiceException(std::current_exception());
        return 0;
    }
}

}  // namespace quorvane
