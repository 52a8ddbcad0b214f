// A window a skinner makes and draws itself: the overlay scroll bar, the
// date picker's arrow button, the media player's bar. One window procedure
// serves every kind (Wine keeps each procedure address it is given); it finds
// the object through the window's user data and hands it each message until
// the window is destroyed. Freeing the object destroys its window.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/liveness.h"

namespace quorvane {

class TDrawnWindow {
public:
    TDrawnWindow() = default;
    TDrawnWindow(const TDrawnWindow&) = delete;
    TDrawnWindow& operator=(const TDrawnWindow&) = delete;
    virtual ~TDrawnWindow();

    HWND Window() const { return window_; }
    // False once the object is gone. A handler that sends a message which
    // may free the object (a click handed to the control) takes this first
    // and touches nothing of the object after the call when it reads false.
    std::weak_ptr<const bool> Liveness() const { return liveness_.Watch(); }
    // Draws the whole window into dc (its client coordinates). The window
    // is never erased: WM_PAINT draws every pixel.
    virtual void Paint(HDC dc) = 0;

protected:
    // Makes the window, registering its class on first use (classStyle goes
    // to the class: CS_DBLCLKS for double clicks). False when it failed.
    bool CreateDrawnWindow(const wchar_t* className, UINT classStyle, DWORD exStyle, DWORD style, RECT bounds,
                           HWND parent);
    // Every message of the window but WM_ERASEBKGND and WM_PAINT; what it
    // does not answer goes to DefWindowProcW. The window is gone once
    // WM_NCDESTROY has been handled.
    virtual LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    HWND window_ = nullptr;

private:
    LivenessToken liveness_;
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
};

}  // namespace quorvane
