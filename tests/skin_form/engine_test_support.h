// Shared fixtures of the skin engine tests: a small skin whose every part
// has its own colour, a loaded skin data component registered with the
// skin manager, test windows, a message log and resource counters.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/skin_data.h"
#include "tests/support/resource_counts.h"

namespace quorvane {
class TSkinManage;
class TWinSkinForm;
}  // namespace quorvane

namespace quorvane::enginetest {

// Frame sizes of the test skin.
inline constexpr int kLeft = 6, kRight = 6, kTop = 24, kBottom = 4;

// Colours of the test skin's parts; frame 1 (active) and frame 2 (inactive).
inline constexpr COLORREF kLeftActive = RGB(200, 0, 0), kLeftInactive = RGB(100, 0, 0);
inline constexpr COLORREF kRightActive = RGB(0, 200, 0), kRightInactive = RGB(0, 100, 0);
inline constexpr COLORREF kTopActive = RGB(0, 0, 200), kTopInactive = RGB(0, 0, 100);
inline constexpr COLORREF kBottomActive = RGB(200, 200, 0), kBottomInactive = RGB(100, 100, 0);
inline constexpr COLORREF kFace = RGB(240, 236, 232);
inline constexpr COLORREF kMenuBarActive = RGB(230, 231, 232), kMenuBarInactive = RGB(210, 211, 212);
// Caption button frames: normal, pressed, hot, inactive.
inline constexpr COLORREF kCloseFrames[4] = {RGB(250, 10, 10), RGB(251, 11, 11), RGB(252, 12, 12), RGB(253, 13, 13)};
// The maximised MDI child's minimise, restore and close buttons (shown in
// the frame's menu bar): four frames each (normal, pressed, -, hot).
inline constexpr int kMdiButtonSize = 14;
inline constexpr COLORREF kMdiFrames[3][4] = {
    {RGB(31, 200, 100), RGB(31, 201, 100), RGB(31, 202, 100), RGB(31, 203, 100)},
    {RGB(32, 200, 100), RGB(32, 201, 100), RGB(32, 202, 100), RGB(32, 203, 100)},
    {RGB(33, 200, 100), RGB(33, 201, 100), RGB(33, 202, 100), RGB(33, 203, 100)}};

// The Buttons element's five frames (normal, pressed, disabled, hot,
// focused) and the check and radio strips' four frames (unchecked,
// checked, unchecked disabled, checked disabled).
inline constexpr COLORREF kButtonFrames[5] = {RGB(210, 211, 10), RGB(120, 121, 11), RGB(160, 161, 12),
                                              RGB(230, 231, 13), RGB(190, 191, 14)};
inline constexpr COLORREF kCheckFrames[4] = {RGB(20, 30, 201), RGB(21, 31, 202), RGB(22, 32, 203), RGB(23, 33, 204)};
inline constexpr COLORREF kRadioFrames[4] = {RGB(40, 201, 50), RGB(41, 202, 51), RGB(42, 203, 52), RGB(43, 204, 53)};
inline constexpr COLORREF kShadow = RGB(90, 91, 92);
inline constexpr int kCheckSize = 13;

struct SkinOptions {
    bool transparentBorders = true;  // magenta corners, Trans 1
    bool bottomKeyed = true;         // magenta in the bottom border
    int bottomHeight = kBottom;
    bool menuBar = true;
    int checkFrames = 4;  // 12: the themed order
    COLORREF face = kFace;  // the skin's button face
};

// The package of the test skin.
std::vector<uint8_t> TestSkinPackage(const SkinOptions& options = {});

// A loaded, active skin data component registered with the skin manager
// (the manager exists and is active once this has been called).
TSkinData& SharedSkin();
// Frees the shared component (the last skin data: the manager goes too);
// the next SharedSkin() makes both again.
void FreeSharedSkin();
// Loads a differently built test skin into the shared component.
void ReloadSharedSkin(const SkinOptions& options);
// The skin manager, with the shared skin loaded and registered.
TSkinManage& Manager();
// Skins a window and lets it finish (WM_SKINSTART); the window's engine, or
// nullptr when the manager refused it.
TWinSkinForm* Skin(HWND window);
// Takes the skin off a window and frees its engine.
void Unskin(TWinSkinForm* engine);

// A plain top-level test window (hidden) with a caption, sizing border,
// system menu and minimise and maximise boxes; its procedure logs into
// Log() the messages named by LogMessages().
HWND MakeWindow(DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0, const wchar_t* className = L"EngineTestWindow",
                int width = 300, int height = 200);
// Logged windows swallow the logged WM_SYSCOMMAND and WM_CLOSE (the tests
// keep their windows) and show a caption button asked about with
// Visibility 1500.
std::vector<std::string>& Log();
std::vector<UINT>& LogMessages();
// A log entry: "0x112 0xf060" (message, wParam in hexadecimal).
std::string Entry(UINT msg, WPARAM wParam);

// Pumps messages until none are left (and a little longer for posted ones).
void Pump(int milliseconds = 0);

// Pumps until the condition holds or a generous deadline passes (the
// machine may be busy); whether it held.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

// A pixel of a window's surface, in window coordinates.
COLORREF WindowPixel(HWND window, int x, int y);

// Real input through the input queue: the system hit-tests the window
// under the mouse and sends the frame messages a user's mouse would.
void MouseAt(POINT screen);
void LeftButton(bool down);

// Ends a modal loop the test did not mean to enter (the platform's move or
// size loop, a menu loop left open) and records it: once the time limit has
// passed and such a loop is found running a second later, the window holding the mouse gets
// WM_CANCELMODE and loses the capture, menus are ended and a button-up and
// an Escape are posted, so the loop returns and the test fails with a clear
// message instead of hanging until the suite's timeout (the watchdog adds
// the failure when it goes, if it fired). The timer only runs
// while messages are dispatched, which is what every modal loop does.
class ModalWatchdog {
public:
    explicit ModalWatchdog(DWORD limitMs = 10000);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;

    // Whether a modal loop (or a held mouse capture) was found running at
    // or after the limit, and ended.
    bool Fired() const { return fired_; }
    // What was ended, for the failure message.
    const std::string& What() const { return what_; }

private:
    static void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
    bool pastLimit_ = false, modalSeen_ = false;
    bool fired_ = false;
    std::string what_;
};

// GDI objects, menus and windows of the process, counted.
using testsupport::CountResources;
using testsupport::Describe;
using testsupport::ResourceCounts;

// A DC over a 32-bit bitmap of a window's size, for painting the frame into.
class FramePicture {
public:
    FramePicture(int width, int height);
    ~FramePicture();
    FramePicture(const FramePicture&) = delete;
    FramePicture& operator=(const FramePicture&) = delete;
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const;

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace quorvane::enginetest
