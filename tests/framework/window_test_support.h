// Helpers the framework's window tests share.
#pragma once
#include <windows.h>

namespace quorvane::test {

// Handles every message waiting for this thread.
inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace quorvane::test
