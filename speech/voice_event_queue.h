// The events a voice service raised for one component, waiting for the
// component's thread. Each event is announced by one wake-up (a message
// posted to the component's window), and each wake-up hands out one event.
// A wake-up that cannot be sent (the thread's message queue is full) is owed
// and sent by a later RetryWakes, so no event waits for a message that never
// comes.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "speech/voice_service.h"

namespace quorvane {

class VoiceEventQueue {
public:
    // `wake` sends one wake-up; false when it could not.
    explicit VoiceEventQueue(std::function<bool()> wake) : wake_(std::move(wake)) {}

    // Any thread. Returns false while wake-ups are owed.
    bool Push(const VoiceEvent& event) noexcept;
    bool RetryWakes() noexcept;
    // The component's thread.
    bool Pop(VoiceEvent& event);
    void Clear();
    size_t Owed() const;

private:
    bool WakeOwed();  // with mutex_ held

    std::function<bool()> wake_;
    mutable std::mutex mutex_;
    std::deque<VoiceEvent> events_;
    size_t owed_ = 0;
};

}  // namespace quorvane
