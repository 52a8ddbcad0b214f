#include "speech/scripted_voice_service.h"

#include <algorithm>

#include "speech/speech_text.h"

#include "speech/speech_lib_tlb.h"

namespace quorvane {

namespace {

VoiceInfo MakeVoice(const std::string& key, const std::string& name, const std::string& gender,
                    const std::string& language)
{
    VoiceInfo v;
    v.id = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Voices\\Tokens\\Scripted_" + key;
    v.description = "Scripted " + name;
    v.name = "Scripted " + name;
    v.vendor = "Quorvane";
    v.age = "Adult";
    v.gender = gender;
    v.language = language;
    v.engineVoice = key;
    return v;
}

// Text for the call log: UTF-8 with quotes and control characters escaped.
std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out + "\"";
}


}  // namespace

std::vector<VoiceInfo> ScriptedVoiceService::DefaultVoices()
{
    return {
        MakeVoice("en-us", "English (America)", "Male", "409"),
        MakeVoice("en-gb", "English (Great Britain)", "Male", "809"),
        MakeVoice("en-gb-scotland", "English (Scotland)", "Male", "809"),
        MakeVoice("cmn", "Mandarin Chinese", "Male", "804"),
    };
}

std::shared_ptr<ScriptedVoiceService> ScriptedVoiceService::Install(std::vector<VoiceInfo> voices)
{
    auto service = std::make_shared<ScriptedVoiceService>(std::move(voices));
    RegisterRunningVoiceService(service);
    return service;
}

ScriptedVoiceService::ScriptedVoiceService(std::vector<VoiceInfo> voices) : voices_(std::move(voices))
{
    if (!voices_.empty()) voice_ = voices_.front();
}

std::vector<std::string> ScriptedVoiceService::Calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::string ScriptedVoiceService::CallLog() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string log;
    for (const auto& line : calls_) {
        if (!log.empty()) log += '\n';
        log += line;
    }
    return log;
}

void ScriptedVoiceService::ClearCalls()
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

void ScriptedVoiceService::FailNext(const std::string& operation, const std::string& message, HRESULT code)
{
    std::lock_guard<std::mutex> lock(mutex_);
    failures_[operation] = Failure{message, code};
}

std::u16string ScriptedVoiceService::LastSpokenText() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lastText_;
}

int ScriptedVoiceService::LastStreamNumber() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return nextStream_ - 1;
}

bool ScriptedVoiceService::IsPaused() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return paused_;
}

int ScriptedVoiceService::EventInterests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return interests_;
}

void ScriptedVoiceService::SetSkipResult(int result)
{
    std::lock_guard<std::mutex> lock(mutex_);
    skipResult_ = result;
}

void ScriptedVoiceService::Log(const std::string& line) { calls_.push_back(line); }

// Called with the mutex held; logs the failing call too.
void ScriptedVoiceService::CheckFailure(const std::string& operation)
{
    auto it = failures_.find(operation);
    if (it == failures_.end()) return;
    Failure failure = it->second;
    failures_.erase(it);
    throw EOleException(failure.message, failure.code);
}

// ----- events

void ScriptedVoiceService::RaiseEvent(const VoiceEvent& event) { Raise(event); }

void ScriptedVoiceService::RaiseStartStream(int stream, std::int64_t position)
{
    VoiceEvent e;
    e.id = kEventStartStream;
    e.stream = stream;
    e.position = position;
    Raise(e);
}

void ScriptedVoiceService::RaiseEndStream(int stream, std::int64_t position)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.erase(std::remove(queued_.begin(), queued_.end(), stream), queued_.end());
    }
    VoiceEvent e;
    e.id = kEventEndStream;
    e.stream = stream;
    e.position = position;
    Raise(e);
}

void ScriptedVoiceService::RaiseVoiceChange(int stream, std::int64_t position, const VoiceInfo& voice)
{
    VoiceEvent e;
    e.id = kEventVoiceChange;
    e.stream = stream;
    e.position = position;
    e.voice = std::make_shared<VoiceInfo>(voice);
    Raise(e);
}

void ScriptedVoiceService::RaiseBookmark(int stream, std::int64_t position, const std::string& bookmark,
                                         int bookmarkId)
{
    VoiceEvent e;
    e.id = kEventBookmark;
    e.stream = stream;
    e.position = position;
    e.text = bookmark;
    e.args[0] = bookmarkId;
    Raise(e);
}

void ScriptedVoiceService::RaiseWord(int stream, std::int64_t position, int characterPosition, int length)
{
    VoiceEvent e;
    e.id = kEventWord;
    e.stream = stream;
    e.position = position;
    e.args[0] = characterPosition;
    e.args[1] = length;
    Raise(e);
}

void ScriptedVoiceService::RaisePhoneme(int stream, std::int64_t position, int duration, int nextPhoneId,
                                        int feature, int currentPhoneId)
{
    VoiceEvent e;
    e.id = kEventPhoneme;
    e.stream = stream;
    e.position = position;
    e.args[0] = duration;
    e.args[1] = nextPhoneId;
    e.args[2] = feature;
    e.args[3] = currentPhoneId;
    Raise(e);
}

void ScriptedVoiceService::RaiseSentence(int stream, std::int64_t position, int characterPosition, int length)
{
    VoiceEvent e;
    e.id = kEventSentence;
    e.stream = stream;
    e.position = position;
    e.args[0] = characterPosition;
    e.args[1] = length;
    Raise(e);
}

void ScriptedVoiceService::RaiseViseme(int stream, std::int64_t position, int duration, int nextVisemeId,
                                       int feature, int currentVisemeId)
{
    VoiceEvent e;
    e.id = kEventViseme;
    e.stream = stream;
    e.position = position;
    e.args[0] = duration;
    e.args[1] = nextVisemeId;
    e.args[2] = feature;
    e.args[3] = currentVisemeId;
    Raise(e);
}

void ScriptedVoiceService::RaiseAudioLevel(int stream, std::int64_t position, int level)
{
    VoiceEvent e;
    e.id = kEventAudioLevel;
    e.stream = stream;
    e.position = position;
    e.args[0] = level;
    Raise(e);
}

void ScriptedVoiceService::RaiseEnginePrivate(int stream, std::int64_t position, std::int64_t engineData)
{
    VoiceEvent e;
    e.id = kEventEnginePrivate;
    e.stream = stream;
    e.position = position;
    e.engineData = engineData;
    Raise(e);
}

void ScriptedVoiceService::RaiseError(const std::string& message)
{
    VoiceEvent e;
    e.id = kVoiceErrorEvent;
    e.text = message;
    Raise(e);
}

void ScriptedVoiceService::RaiseNotice(VoiceCondition condition, bool active, const std::string& text)
{
    SetCondition(condition, active, text);
}

// ----- operations

std::vector<VoiceInfo> ScriptedVoiceService::Voices()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("Voices()");
    CheckFailure("Voices");
    return voices_;
}

void ScriptedVoiceService::SetVoice(const VoiceInfo& voice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("SetVoice(" + Quote(voice.id) + ")");
    CheckFailure("SetVoice");
    voice_ = voice;
}

VoiceInfo ScriptedVoiceService::Voice()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("Voice()");
    CheckFailure("Voice");
    return voice_;
}

int ScriptedVoiceService::Rate()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("Rate()");
    CheckFailure("Rate");
    return rate_;
}

void ScriptedVoiceService::SetRate(int rate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("SetRate(" + std::to_string(rate) + ")");
    CheckFailure("SetRate");
    rate_ = rate;
}

int ScriptedVoiceService::Volume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("Volume()");
    CheckFailure("Volume");
    return volume_;
}

void ScriptedVoiceService::SetVolume(int volume)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("SetVolume(" + std::to_string(volume) + ")");
    CheckFailure("SetVolume");
    volume_ = volume;
}

void ScriptedVoiceService::SetEventInterests(int interests)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("SetEventInterests(" + std::to_string(interests) + ")");
    CheckFailure("SetEventInterests");
    interests_ = interests;
}

int ScriptedVoiceService::Speak(const std::u16string& text, int flags)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string call = "Speak(" + Quote(Utf16ToUtf8Lossy(text)) + ", " + std::to_string(flags) + ")";
    try {
        CheckFailure("Speak");
    } catch (...) {
        Log(call + " failed");
        throw;
    }
    const int stream = nextStream_++;
    lastText_ = text;
    queued_.push_back(stream);
    Log(call + " -> " + std::to_string(stream));
    return stream;
}

void ScriptedVoiceService::Purge()
{
    std::deque<int> purged;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("Purge()");
        CheckFailure("Purge");
        purged.swap(queued_);
    }
    // The sounding stream first, then those behind it, each at once.
    for (int ended : purged) RaiseEndStream(ended, 0);
}

int ScriptedVoiceService::LastSkipEndingStream() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lastSkipEndingStream_;
}

std::vector<int> ScriptedVoiceService::QueuedStreams() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return {queued_.begin(), queued_.end()};
}

int ScriptedVoiceService::FinishStream(std::int64_t position)
{
    int stream = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queued_.empty()) return 0;
        stream = queued_.front();
    }
    RaiseEndStream(stream, position);
    return stream;
}

int ScriptedVoiceService::Skip(const std::string& itemType, int numItems, int endingStream)
{
    int cut = 0;
    int result = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastSkipEndingStream_ = endingStream;
        const std::string call = "Skip(" + Quote(itemType) + ", " + std::to_string(numItems) + ")";
        try {
            CheckFailure("Skip");
        } catch (...) {
            Log(call + " failed");
            throw;
        }
        Log(call + " -> " + std::to_string(skipResult_));
        result = skipResult_;
        if (endingStream == 0 && numItems > 0 && !queued_.empty()) cut = queued_.front();
    }
    // The cut stream ends now, at whatever position it had reached.
    if (cut != 0) RaiseEndStream(cut, 0);
    return result;
}

void ScriptedVoiceService::Pause()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("Pause()");
    CheckFailure("Pause");
    paused_ = true;
}

void ScriptedVoiceService::Resume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Log("Resume()");
    CheckFailure("Resume");
    paused_ = false;
}

}  // namespace quorvane
