#include "app/startup_trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quorvane {

namespace {

constexpr UINT kPainted = WM_APP + 0x7A1;
HHOOK g_hook = nullptr;
HWND g_watched = nullptr;

const char* Mode()
{
    static const char* mode = std::getenv("QUORVANE_STARTUP_TRACE");
    return mode;
}

// Milliseconds since 1970, from the same clock the shell's `date` reads.
long long UnixMilliseconds()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return ticks / 10000 - 11644473600000LL;
}

// Sees the first WM_PAINT of the watched window being taken from the queue;
// a message posted then arrives once that paint has been handled.
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg) {
        if (msg->message == WM_PAINT && msg->hwnd == g_watched) {
            PostThreadMessageW(GetCurrentThreadId(), kPainted, 0, 0);
        } else if (msg->message == kPainted && !msg->hwnd) {
            StartupMilestone("visible");
            UnhookWindowsHookEx(g_hook);
            g_hook = nullptr;
            if (Mode() && std::strcmp(Mode(), "exit") == 0) ExitProcess(0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void StartupMilestone(const char* name)
{
    if (!Mode()) return;
    std::fprintf(stderr, "startup %s %lld\n", name, UnixMilliseconds());
    std::fflush(stderr);
}

void WatchFirstPaint(HWND window)
{
    if (!Mode() || g_hook) return;
    g_watched = window;
    g_hook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
}

}  // namespace quorvane
