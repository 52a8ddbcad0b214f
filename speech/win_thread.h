// A Win32 thread that runs a function and is joined when the object goes.
// Threads that call Win32 (PostMessage, waveOut) must be created by Wine,
// so the voice services use this rather than std::thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace quorvane {

class WinThread {
public:
    WinThread() = default;
    explicit WinThread(std::function<void()> body) { Start(std::move(body)); }
    ~WinThread() { Join(); }
    WinThread(const WinThread&) = delete;
    WinThread& operator=(const WinThread&) = delete;

    void Start(std::function<void()> body)
    {
        Join();
        auto* heapBody = new std::function<void()>(std::move(body));
        handle_ = CreateThread(nullptr, 0, &WinThread::Run, heapBody, 0, nullptr);
        if (!handle_) {
            delete heapBody;
            throw std::runtime_error("Cannot start a thread");
        }
    }

    // Starts the thread with `startUp` and waits for its answer: an empty
    // answer lets the thread go on with `run`, an error ends the thread and
    // is returned. An exception thrown by `startUp`, or a thread that ends
    // without answering, gives an error too: the caller never waits forever.
    std::string StartAndAwait(std::function<std::string()> startUp, std::function<void()> run)
    {
        struct Answer {
            std::mutex mutex;
            std::condition_variable given;
            bool answered = false;
            std::string error;
        };
        auto answer = std::make_shared<Answer>();
        auto give = [answer](std::string error) {
            {
                std::lock_guard<std::mutex> lock(answer->mutex);
                if (answer->answered) return;
                answer->answered = true;
                answer->error = std::move(error);
            }
            answer->given.notify_all();
        };
        Start([startUp = std::move(startUp), run = std::move(run), give] {
            std::string error;
            try {
                error = startUp();
            } catch (const std::exception& e) {
                error = e.what();
                if (error.empty()) error = kNoAnswer;
            } catch (...) {
                error = kNoAnswer;
            }
            give(error);
            if (error.empty()) run();
        });
        std::unique_lock<std::mutex> lock(answer->mutex);
        while (!answer->given.wait_for(lock, std::chrono::milliseconds(20), [&] { return answer->answered; })) {
            // Ended without a word (ExitThread, say): its handle is signalled.
            if (WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0) return answer->answered ? answer->error : kNoAnswer;
        }
        return answer->error;
    }

    void Join()
    {
        if (!handle_) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

    bool Running() const { return handle_ != nullptr; }

private:
    static constexpr const char* kNoAnswer = "The thread ended before it had started";

    // The body must not throw; anything that escapes is swallowed here so it
    // never crosses the thread's Wine frame.
    static DWORD WINAPI Run(void* parameter) noexcept
    {
        auto* body = static_cast<std::function<void()>*>(parameter);
        try {
            (*body)();
        } catch (...) {
        }
        delete body;
        return 0;
    }

    HANDLE handle_ = nullptr;
};

}  // namespace quorvane
