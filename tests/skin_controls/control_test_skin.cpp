#include "tests/skin_controls/control_test_skin.h"

#include <algorithm>
#include <sstream>
#include <string>

#include "skin/form/skin_messages.h"
#include "tests/skin_data/skin_test_package.h"

namespace quorvane::controltest {

namespace {

std::string Rgb(COLORREF c)
{
    std::ostringstream text;
    text << int(GetRValue(c)) << "," << int(GetGValue(c)) << "," << int(GetBValue(c));
    return text.str();
}

// frames side by side of w x h, each in its colour.
template <class Colour>
std::vector<uint8_t> Strip(int frames, int w, int h, Colour colour)
{
    return test::MakeBmp(w * frames, h, 24, [&](int x, int) { return colour(x / w + 1); });
}

std::string Section(const char* name, const char* image, int frames, int margin, int trans = 0, const char* extra = "")
{
    std::ostringstream text;
    text << "[" << name << "]\nImage=" << image << "\nLeftWidth=" << margin << "\nTopHeight=" << margin
         << "\nRightWidth=" << margin << "\nBottomHeight=" << margin << "\nFrame=" << frames << "\nTrans=" << trans
         << "\nTile=0\n" << extra << "\n";
    return text.str();
}

TSkinData* g_skin = nullptr;

}  // namespace

COLORREF ArrowColour(int frame) { return RGB(10, 8 * frame, 200); }
COLORREF TrackColour(bool vertical, int frame) { return RGB(vertical ? 31 : 30, 200, 10 * frame); }
COLORREF ThumbColour(bool vertical, int frame) { return RGB(vertical ? 51 : 50, 50 + 30 * frame, 50); }
COLORREF SunkColour(int frame) { return RGB(20 * frame, 150, 150); }
COLORREF ComboColour(int frame) { return RGB(150, 20 * frame, 150); }
COLORREF ExtraColour(int frame) { return RGB(150, 150, 20 * frame); }
COLORREF EdgeColour(int frame) { return RGB(60, 10, 40 * frame); }
COLORREF ProgressColour(int frame) { return frame == 1 ? RGB(70, 70, 70) : RGB(0, 150, 0); }
COLORREF TrackbarThumbColour(int thumb, int frame) { return RGB(90 + thumb, 40 * frame, 1); }
COLORREF UpDownColour(bool vertical, int frame) { return RGB(vertical ? 111 : 110, 25 * frame, 2); }
COLORREF TabColour(int frame) { return RGB(170, 30 * frame, 3); }
COLORREF PaneColour() { return RGB(180, 181, 4); }
COLORREF HeaderColour(int frame) { return RGB(190, 30 * frame, 5); }
COLORREF ButtonColour(int frame) { return RGB(210, 30 * frame, 6); }
COLORREF CheckColour(int frame) { return RGB(7, 40 * frame, 230); }
COLORREF RadioColour(int frame) { return RGB(8, 40 * frame, 240); }

std::vector<uint8_t> ControlSkinPackage()
{
    std::vector<PackageMember> members;
    members.push_back({"buttons.bmp", Strip(5, 20, 20, ButtonColour)});
    members.push_back({"check.bmp", Strip(4, 13, 13, CheckColour)});
    members.push_back({"radio.bmp", Strip(4, 13, 13, RadioColour)});
    members.push_back({"scrollbar.bmp", Strip(23, 17, 17, ArrowColour)});
    members.push_back({"hscroll.bmp", Strip(4, 17, 17, [](int f) { return TrackColour(false, f); })});
    members.push_back({"vscroll.bmp", Strip(4, 17, 17, [](int f) { return TrackColour(true, f); })});
    members.push_back({"hthumb.bmp", Strip(3, 17, 17, [](int f) { return ThumbColour(false, f); })});
    members.push_back({"vthumb.bmp", Strip(3, 17, 17, [](int f) { return ThumbColour(true, f); })});
    members.push_back({"sunk.bmp", Strip(4, 24, 21, SunkColour)});
    members.push_back({"combo.bmp", Strip(4, 17, 21, ComboColour)});
    members.push_back({"extra.bmp", Strip(5, 8, 8, ExtraColour)});
    members.push_back({"edges.bmp", Strip(3, 10, 10, EdgeColour)});
    members.push_back({"progress.bmp", Strip(2, 20, 10, ProgressColour)});
    members.push_back({"track.bmp", test::SolidBmp(16, 4, kTrackGroove)});
    members.push_back({"trackvert.bmp", test::SolidBmp(4, 16, kTrackGrooveVert)});
    const char* thumbs[6] = {"thumbh.bmp", "thumbv.bmp", "thumbl.bmp", "thumbr.bmp", "thumbu.bmp", "thumbd.bmp"};
    for (int t = 0; t < 6; ++t)
        members.push_back({thumbs[t], Strip(5, 11, 20, [t](int f) { return TrackbarThumbColour(t, f); })});
    members.push_back({"udh.bmp", Strip(8, 11, 16, [](int f) { return UpDownColour(false, f); })});
    members.push_back({"udv.bmp", Strip(8, 16, 11, [](int f) { return UpDownColour(true, f); })});
    members.push_back({"tabs.bmp", Strip(5, 20, 20, TabColour)});
    members.push_back({"pane.bmp", test::SolidBmp(20, 20, PaneColour())});
    members.push_back({"header.bmp", Strip(5, 20, 20, HeaderColour)});

    std::ostringstream ini;
    ini << "[TitlebarSkin]\nSkinName=Control test\n\n";
    ini << "[Colours]\nButtonFace=" << Rgb(kFace) << "\nButtonShadow=" << Rgb(kShadow) << "\nButtonDkShadow=0,0,0\n\n";
    ini << "[Buttons]\nBitmap=buttons.bmp\nCheckButton=check.bmp\nCheckButtonFrame=4\nRadioButton=radio.bmp\nRadioButtonFrame=4\nLeftWidth=3\nTopHeight=3\nRightWidth=3\nBottomHeight=3\nTrans=0\nTile=0\n\n";
    ini << Section("Scrollbar", "scrollbar.bmp", 23, 0) << Section("HorzScroll", "hscroll.bmp", 4, 2)
        << Section("VertScroll", "vscroll.bmp", 4, 2) << Section("HorzScrollThumb", "hthumb.bmp", 3, 2)
        << Section("VertScrollThumb", "vthumb.bmp", 3, 2) << Section("SunkEdge", "sunk.bmp", 4, 3)
        << Section("ComboButton", "combo.bmp", 4, 3) << Section("ExtraImages", "extra.bmp", 5, 0, 1)
        << Section("StatusBarEdges", "edges.bmp", 3, 2, 0, "NormalColour2=0,0,0\n")
        << Section("Track", "track.bmp", 1, 3) << Section("TRACKVERT", "trackvert.bmp", 1, 3)
        << Section("Trackbar.ThumbHorz", "thumbh.bmp", 5, 0) << Section("Trackbar.ThumbVert", "thumbv.bmp", 5, 0)
        << Section("Trackbar.ThumbLeft", "thumbl.bmp", 5, 0) << Section("Trackbar.ThumbRight", "thumbr.bmp", 5, 0)
        << Section("Trackbar.ThumbUp", "thumbu.bmp", 5, 0) << Section("Trackbar.ThumbDown", "thumbd.bmp", 5, 0)
        << Section("UpDown.Horz", "udh.bmp", 8, 0) << Section("UpDown.Vert", "udv.bmp", 8, 0)
        << Section("Tabs", "tabs.bmp", 5, 4, 0, "Border=pane.bmp\nNormalColour2=0,0,0\nMouseOverColour2=0,0,0\n")
        << Section("Headerbar", "header.bmp", 5, 2);
    ini << "[Progress]\nBitmap=progress.bmp\nStyle=0\nLeftWidth=2\nTopHeight=2\nRightWidth=2\nBottomHeight=2\nTrans=0\n\n";
    return test::MakePackage(ini.str(), members);
}

TSkinData& Skin()
{
    if (!g_skin) {
        g_skin = new TSkinData(nullptr);
        g_skin->SetPackage(ControlSkinPackage());
        g_skin->SetSkinControls(kDefaultSkinControls);
    }
    return *g_skin;
}

void Pump(int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    // The application's own handling: dialog keys (Tab, Ctrl+Tab) reach the
    // forms as they do in the program.
    do {
        Application->ProcessMessages();
        if (milliseconds > 0) Sleep(5);
    } while (milliseconds > 0 && static_cast<int>(end - GetTickCount()) > 0);
}

TForm* Stage()
{
    static TForm* form = [] {
        auto* f = new TForm(nullptr);
        f->SetCaption("skinners");
        f->SetBounds(60, 60, 640, 460);
        f->AfterConstruction();
        f->Show();
        return f;
    }();
    SetForegroundWindow(form->Handle());
    Pump(30);
    return form;
}

void MouseTo(POINT screen)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    SendInput(1, &input, sizeof input);
}

void MouseButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

void Keys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

COLORREF ScreenPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

namespace {
Watchdog* g_watchdog = nullptr;
}

Watchdog::Watchdog(HWND window, int maxDepth, DWORD limitMs) : window_(window), maxDepth_(maxDepth)
{
    g_watchdog = this;
    before_ = SetWindowsHookExW(WH_CALLWNDPROC, &Watchdog::Before, nullptr, GetCurrentThreadId());
    after_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &Watchdog::After, nullptr, GetCurrentThreadId());
    timer_ = SetTimer(nullptr, 0, limitMs, &Watchdog::Deadline);
}

Watchdog::~Watchdog()
{
    if (timer_) KillTimer(nullptr, timer_);
    if (before_) UnhookWindowsHookEx(before_);
    if (after_) UnhookWindowsHookEx(after_);
    g_watchdog = nullptr;
    if (runaway_ && IsWindow(window_)) SendMessageW(window_, WM_SKINENABLE, 1, 0);
}

LRESULT CALLBACK Watchdog::Before(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    Watchdog* dog = g_watchdog;
    if (code == HC_ACTION && dog && call->hwnd == dog->window_) {
        dog->deepest_ = std::max(dog->deepest_, ++dog->depth_);
        if (dog->depth_ > dog->maxDepth_ && !dog->runaway_) {
            dog->runaway_ = true;
            SendMessageW(dog->window_, WM_SKINENABLE, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Watchdog::After(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    Watchdog* dog = g_watchdog;
    if (code == HC_ACTION && dog && call->hwnd == dog->window_) --dog->depth_;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK Watchdog::Deadline(HWND, UINT, UINT_PTR, DWORD)
{
    Watchdog* dog = g_watchdog;
    if (!dog) return;
    KillTimer(nullptr, dog->timer_);
    dog->timer_ = 0;
    // Only a loop that is still running after the limit is ended.
    if (HWND captured = GetCapture()) {
        dog->timedOut_ = true;
        SendMessageW(captured, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    PostMessageW(nullptr, WM_LBUTTONUP, 0, 0);
}

}  // namespace quorvane::controltest
