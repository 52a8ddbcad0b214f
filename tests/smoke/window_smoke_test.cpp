// Proves the test harness: a real top-level window on the test display,
// painted by its own procedure and read back pixel by pixel.
#include <windows.h>

#include "tests/support/gtest.h"

namespace {

constexpr COLORREF kPaintColour = RGB(12, 200, 34);

LRESULT CALLBACK PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(kPaintColour);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowSmoke, ChineseCaptionWindowPaintsAndReadsBack)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuorvaneSmoke";
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    ASSERT_NE(RegisterClassW(&wc), 0);

    const WCHAR caption[] = {0x6717, 0x8BFB, 0x5668, 0};  // 朗读器
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"QuorvaneSmoke", caption, WS_OVERLAPPEDWINDOW,
                                  40, 40, 240, 120, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    WCHAR readBack[16] = {};
    GetWindowTextW(window, readBack, 16);
    EXPECT_EQ(0, lstrcmpW(readBack, caption));

    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, 10, 10);
    ReleaseDC(window, dc);
    EXPECT_EQ(pixel, kPaintColour);

    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    UnregisterClassW(L"QuorvaneSmoke", wc.hInstance);
}

}  // namespace
