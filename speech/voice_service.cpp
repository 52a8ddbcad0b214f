#include "speech/voice_service.h"

#include <algorithm>

#include "speech/speech_lib_tlb.h"

namespace quorvane {

std::shared_ptr<VoiceService> CreateEspeakVoiceServiceFromEnvironment();  // espeak_voice_service.cpp

namespace {

VoiceEvent NoticeEvent(int condition, bool active, const std::string& text)
{
    VoiceEvent notice;
    notice.id = kVoiceNoticeEvent;
    notice.args[0] = condition;
    notice.args[1] = active ? 1 : 0;
    notice.text = active ? text : std::string();
    return notice;
}

}  // namespace

void VoiceService::Subscribe(std::shared_ptr<VoiceEventSink> sink)
{
    std::lock_guard<std::mutex> lock(sinksMutex_);
    for (const auto& [condition, text] : conditions_) sink->OnVoiceEvent(NoticeEvent(condition, true, text));
    for (const VoiceEvent& error : undeliveredErrors_) sink->OnVoiceEvent(error);
    undeliveredErrors_.clear();
    sinks_.push_back(std::move(sink));
}

void VoiceService::Unsubscribe(const VoiceEventSink* sink)
{
    // Taking the lock waits for a Raise in progress on another thread.
    std::lock_guard<std::mutex> lock(sinksMutex_);
    sinks_.erase(std::remove_if(sinks_.begin(), sinks_.end(), [sink](const auto& s) { return s.get() == sink; }),
                 sinks_.end());
}

void VoiceService::Raise(const VoiceEvent& event)
{
    std::lock_guard<std::mutex> lock(sinksMutex_);
    if (sinks_.empty() && event.id == kVoiceErrorEvent && undeliveredErrors_.size() < 16) undeliveredErrors_.push_back(event);
    for (const auto& sink : sinks_) sink->OnVoiceEvent(event);
}

void VoiceService::SetCondition(VoiceCondition condition, bool active, const std::string& text)
{
    std::lock_guard<std::mutex> lock(sinksMutex_);
    const int key = static_cast<int>(condition);
    const auto known = conditions_.find(key);
    if (active ? (known != conditions_.end() && known->second == text) : known == conditions_.end()) return;
    if (active) conditions_[key] = text;
    else conditions_.erase(known);
    const VoiceEvent notice = NoticeEvent(key, active, text);
    for (const auto& sink : sinks_) sink->OnVoiceEvent(notice);
}

bool VoiceService::RetryDeliveries()
{
    std::lock_guard<std::mutex> lock(sinksMutex_);
    bool done = true;
    for (const auto& sink : sinks_) done = sink->RetryDelivery() && done;
    return done;
}

namespace {

std::mutex gRegistryMutex;
std::weak_ptr<VoiceService> gRunning;
VoiceServiceFactory gFactory;

}  // namespace

std::shared_ptr<VoiceService> GetRunningVoiceService()
{
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    return gRunning.lock();
}

void RegisterRunningVoiceService(const std::shared_ptr<VoiceService>& service)
{
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    gRunning = service;
}

VoiceServiceFactory SetVoiceServiceFactory(VoiceServiceFactory factory)
{
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    std::swap(factory, gFactory);
    return factory;
}

std::shared_ptr<VoiceService> CreateVoiceService()
{
    VoiceServiceFactory factory;
    {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        factory = gFactory;
    }
    return factory ? factory() : CreateEspeakVoiceServiceFromEnvironment();
}

}  // namespace quorvane
