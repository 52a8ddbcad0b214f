// A Win32 thread that runs a function and is joined when the object goes.
// Threads that call Win32 (PostMessage, waveOut) must be created by Wine,
// so the voice services use this rather than std::thread.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>

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

    void Join()
    {
        if (!handle_) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

    bool Running() const { return handle_ != nullptr; }

private:
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
