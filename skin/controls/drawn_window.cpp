#include "skin/controls/drawn_window.h"

#include "framework/controls.h"
#include "framework/graphics.h"

namespace quorvane {

TDrawnWindow::~TDrawnWindow()
{
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool TDrawnWindow::CreateDrawnWindow(const wchar_t* className, UINT classStyle, DWORD exStyle, DWORD style,
                                     RECT bounds, HWND parent)
{
    if (window_) return true;
    WNDCLASSW wc{};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), className, &wc)) {
        wc = WNDCLASSW{};
        wc.style = classStyle;
        wc.lpfnWndProc = DefWindowProcW;  // replaced per window once the object is known
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = className;
        if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    window_ = CreateWindowExW(exStyle, className, L"", style, bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) return false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDrawnWindow::Procedure));
    return true;
}

LRESULT CALLBACK TDrawnWindow::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        auto* owner = reinterpret_cast<TDrawnWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner && owner->window_ == window) {
            if (msg == WM_ERASEBKGND) return 1;
            if (msg == WM_PAINT) {
                PaintDc dc(window);
                owner->Paint(dc.get());
                return 0;
            }
            const LRESULT result = owner->Handle(msg, wParam, lParam);
            if (msg == WM_NCDESTROY) {
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                owner->window_ = nullptr;
            }
            return result;
        }
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace quorvane
