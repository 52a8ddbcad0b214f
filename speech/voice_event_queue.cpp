#include "speech/voice_event_queue.h"

namespace quorvane {

bool VoiceEventQueue::Push(const VoiceEvent& event) noexcept
{
    std::lock_guard<std::mutex> lock(mutex_);
    try {
        events_.push_back(event);
    } catch (...) {
        return owed_ == 0;  // out of memory: this event is lost, nothing else is
    }
    ++owed_;
    return WakeOwed();
}

bool VoiceEventQueue::RetryWakes() noexcept
{
    std::lock_guard<std::mutex> lock(mutex_);
    return WakeOwed();
}

// Posting a message never calls back into the queue, so the lock may be held.
bool VoiceEventQueue::WakeOwed()
{
    while (owed_ > 0) {
        bool sent = false;
        try {
            sent = wake_();
        } catch (...) {
        }
        if (!sent) return false;
        --owed_;
    }
    return true;
}

bool VoiceEventQueue::Pop(VoiceEvent& event)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) return false;
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

void VoiceEventQueue::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
    owed_ = 0;
}

size_t VoiceEventQueue::Owed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return owed_;
}

}  // namespace quorvane
