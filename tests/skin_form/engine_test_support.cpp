#include "tests/skin_form/engine_test_support.h"

#include <map>
#include <sstream>

#include "skin/data/bitmap_utils.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"

namespace quorvane::enginetest {

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

std::string Rgb(COLORREF c)
{
    std::ostringstream text;
    text << int(GetRValue(c)) << "," << int(GetGValue(c)) << "," << int(GetBValue(c));
    return text.str();
}

// frames side by side of w x h, colour per frame; magenta where keyed(x, y).
template <class Keyed>
std::vector<uint8_t> Strip(int frames, int w, int h, std::vector<COLORREF> colours, Keyed keyed, bool stacked = false)
{
    const int width = stacked ? w : w * frames, height = stacked ? h * frames : h;
    return test::MakeBmp(width, height, 24, [&](int x, int y) {
        const int frame = stacked ? y / h : x / w;
        const int fx = stacked ? x : x % w, fy = stacked ? y % h : y;
        return keyed(fx, fy) ? kKey : colours[static_cast<size_t>(frame)];
    });
}

std::string ButtonSection(const char* name, int action, int align, int x, int y, int visibility, int visibility1,
                          const char* image, int frames)
{
    std::ostringstream text;
    text << "[" << name << "]\nAction=" << action << "\nAlign=" << align << "\nXcoord=" << x << "\nYcoord=" << y
         << "\nVisibility=" << visibility << "\nVisibility1=" << visibility1 << "\nframe=" << frames
         << "\nButtonImage=" << image << "\n\n";
    return text.str();
}

TSkinData* g_skin = nullptr;

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (UINT logged : LogMessages())
        if (logged == msg) Log().push_back(Entry(msg, wParam));
    switch (msg) {
    case WM_SYSCOMMAND:
    case WM_CLOSE:
        // Logged only: the tests keep their windows.
        for (UINT logged : LogMessages())
            if (logged == msg) return 0;
        break;
    case WM_SKINBUTTONVISIBLE:
        return wParam == 1500 ? 1 : 0;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

std::string Entry(UINT msg, WPARAM wParam)
{
    std::ostringstream text;
    text << "0x" << std::hex << msg << " 0x" << wParam;
    return text.str();
}

std::vector<uint8_t> TestSkinPackage(const SkinOptions& options)
{
    const bool keyed = options.transparentBorders;
    auto none = [](int, int) { return false; };
    std::vector<PackageMember> members;
    members.push_back({"left.bmp", Strip(2, kLeft, 40, {kLeftActive, kLeftInactive},
                                         [&](int x, int y) { return keyed && x < 2 && y < 2; })});
    members.push_back({"right.bmp", Strip(2, kRight, 40, {kRightActive, kRightInactive},
                                          [&](int x, int y) { return keyed && x >= kRight - 2 && y < 2; })});
    members.push_back({"top.bmp", Strip(2, 40, kTop, {kTopActive, kTopInactive}, none, true)});
    const int bh = options.bottomHeight;
    members.push_back({"bottom.bmp", Strip(2, 40, bh, {kBottomActive, kBottomInactive},
                                           [&](int x, int y) { return options.bottomKeyed && x < 1 && y == bh - 1; }, true)});
    members.push_back({"close.bmp", Strip(4, 16, 16, {kCloseFrames[0], kCloseFrames[1], kCloseFrames[2], kCloseFrames[3]},
                                          [](int x, int y) { return x == 0 && y == 0; })});
    members.push_back({"max.bmp", Strip(4, 16, 16, {RGB(1, 250, 1), RGB(1, 251, 1), RGB(1, 252, 1), RGB(1, 253, 1)}, none)});
    members.push_back({"restore.bmp", Strip(4, 16, 16, {RGB(2, 250, 2), RGB(2, 251, 2), RGB(2, 252, 2), RGB(2, 253, 2)}, none)});
    members.push_back({"min.bmp", Strip(4, 16, 16, {RGB(3, 3, 250), RGB(3, 3, 251), RGB(3, 3, 252), RGB(3, 3, 253)}, none)});
    members.push_back({"help.bmp", Strip(4, 16, 16, {RGB(4, 250, 250), RGB(4, 251, 251), RGB(4, 252, 252), RGB(4, 253, 253)}, none)});
    {
        std::vector<COLORREF> mdi;
        for (const auto& button : kMdiFrames) mdi.insert(mdi.end(), std::begin(button), std::end(button));
        members.push_back({"mdi.bmp", Strip(12, kMdiButtonSize, kMdiButtonSize, mdi, none)});
    }
    members.push_back({"icon.bmp", Strip(1, 16, 16, {RGB(9, 9, 9)}, none)});
    members.push_back({"menubar.bmp", Strip(2, 20, 19, {kMenuBarActive, kMenuBarInactive}, none, true)});
    members.push_back({"menuitem.bmp", Strip(5, 20, 18, {RGB(250, 250, 250), RGB(245, 245, 245), RGB(240, 240, 240),
                                                         RGB(60, 110, 220), RGB(230, 230, 230)}, none)});
    members.push_back({"menubg.bmp", Strip(1, 30, 30, {RGB(252, 251, 250)}, none)});
    members.push_back({"buttons.bmp", Strip(5, 20, 20, {kButtonFrames[0], kButtonFrames[1], kButtonFrames[2],
                                                        kButtonFrames[3], kButtonFrames[4]},
                                            [](int x, int y) { return (x == 0 || x == 19) && (y == 0 || y == 19); })});
    {
        std::vector<COLORREF> checks, radios;
        for (int i = 0; i < options.checkFrames; ++i) {
            checks.push_back(i < 4 ? kCheckFrames[i] : RGB(100 + i, 100 + i, 100 + i));
            radios.push_back(i < 4 ? kRadioFrames[i] : RGB(150 + i, 100 + i, 100 + i));
        }
        // Frames of the themed order: 5 checked, 8 checked disabled, 9 and 12 indeterminate.
        if (options.checkFrames == 12) {
            checks[4] = kCheckFrames[1];
            checks[7] = kCheckFrames[3];
            checks[8] = RGB(77, 78, 79);
            checks[11] = RGB(87, 88, 89);
        }
        members.push_back({"check.bmp", Strip(options.checkFrames, kCheckSize, kCheckSize, checks, none)});
        members.push_back({"radio.bmp", Strip(4, kCheckSize, kCheckSize, radios, none)});
    }

    std::ostringstream ini;
    ini << "[TitlebarSkin]\nSkinName=Engine test\n\n[Personality]\n";
    for (const char* part : {"Left", "Right", "Top", "Bottom"}) {
        const std::string name = part;
        ini << name << "=" << (name == "Left" ? "left.bmp" : name == "Right" ? "right.bmp" : name == "Top" ? "top.bmp" : "bottom.bmp")
            << "\n"
            << name << "TopHeight=" << (name == "Left" || name == "Right" ? 10 : 5) << "\n"
            << name << "BotHeight=" << (name == "Left" || name == "Right" ? 10 : 5) << "\n"
            << name << "Frame=2\n"
            << name << "Stretch=1\n"
            << name << "Trans=" << (options.transparentBorders ? 1 : 0) << "\n";
    }
    if (options.menuBar) ini << "menuBar=menubar.bmp\nTileMenu=1\nTileLeftMenu=2\nTileRightMenu=2\n";
    ini << "TextShift=30\nTextRightClip=80\nTextAlignment=0\nActiveTextR=255\nActiveTextG=255\nActiveTextB=255\n"
           "InActiveTextR=128\nInActiveTextG=128\nInActiveTextB=128\n\n";
    ini << "[Colours]\nButtonFace=" << Rgb(options.face) << "\nMenubar=" << Rgb(RGB(220, 221, 222))
        << "\nButtonShadow=" << Rgb(kShadow) << "\nButtonText=0,0,0\nMenuBarText=0,0,0\nMenuText=0,0,0\nMenu=255,255,255\nHilight=0,0,128\nHilightText=255,255,255\n\n";
    ini << ButtonSection("Button.Close", 0, 1, 24, 4, 0, 0, "close.bmp", 4)
        << ButtonSection("Button.Maximize", 1, 1, 44, 4, 2, 0, "max.bmp", 4)
        << ButtonSection("Button.Restore", 1, 1, 44, 4, 1, 0, "restore.bmp", 4)
        << ButtonSection("Button.Minimize", 2, 1, 64, 4, 0, 0, "min.bmp", 4)
        << ButtonSection("Button.Icon", 3, 0, 8, 4, 0, 0, "icon.bmp", 1)
        << ButtonSection("Button.Help", 50, 0, 100, 4, 3, 0, "help.bmp", 4);
    ini << "[Buttons]\nBitmap=buttons.bmp\nLeftWidth=3\nRightWidth=3\nTopHeight=3\nBottomHeight=3\nTrans=1\n"
           "CheckButton=check.bmp\nRadioButton=radio.bmp\nCheckButtonFrame="
        << options.checkFrames << "\nRadioButtonFrame=4\nNormalColour2=1,2,3\n\n";
    ini << "[MDICONTROLS]\nImage=mdi.bmp\n\n";
    ini << "[MenuItem]\nImage=menuitem.bmp\nLeftWidth=4\nRightWidth=4\nTopHeight=2\nBottomHeight=2\n\n";
    ini << "[MenuBackground]\nImage=menubg.bmp\nLeftWidth=3\nRightWidth=3\nTopHeight=3\nBottomHeight=3\n\n";
    return test::MakePackage(ini.str(), members);
}

TSkinData& SharedSkin()
{
    if (!g_skin) {
        g_skin = new TSkinData(nullptr);
        g_skin->BeginLoading();
        g_skin->SetPackage(TestSkinPackage());
        g_skin->SetActive(true);
        g_skin->SetSkinControls(kReaderSkinControls);
        g_skin->EndLoading();
        // Tests skin the windows they choose; the first skin-all request
        // has nothing to do.
        if (TSkinManage* manager = TSkinManage::Instance()) {
            manager->Active = true;
            if (manager->Started == 0) manager->Started = 1;
        }
    }
    return *g_skin;
}

void FreeSharedSkin()
{
    TSkinData* skin = g_skin;
    g_skin = nullptr;
    if (skin) Free(skin);
}

void ReloadSharedSkin(const SkinOptions& options)
{
    SharedSkin().SetPackage(TestSkinPackage(options));
}

TSkinManage& Manager()
{
    SharedSkin();
    return *TSkinManage::Instance();
}

TWinSkinForm* Skin(HWND window)
{
    if (!Manager().SkinWindow(window)) return nullptr;
    Pump();
    return Manager().FindEngine(window);
}

void Unskin(TWinSkinForm* engine)
{
    engine->Unskin();
    Manager().RemoveEngine(engine);
    Free(engine);
}

HWND MakeWindow(DWORD style, DWORD exStyle, const wchar_t* className, int width, int height)
{
    static std::map<std::u16string, ATOM> registered;  // no std::wstring under Winelib
    const std::u16string key(reinterpret_cast<const char16_t*>(className));
    if (!registered.count(key)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        registered[key] = RegisterClassW(&wc);
    }
    return CreateWindowExW(exStyle, className, L"Test window", style & ~WS_VISIBLE, 100, 100, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::vector<std::string>& Log()
{
    static std::vector<std::string> log;
    return log;
}

std::vector<UINT>& LogMessages()
{
    static std::vector<UINT> messages;
    return messages;
}

void Pump(int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds > 0) Sleep(5);
    } while (milliseconds > 0 && static_cast<int>(end - GetTickCount()) > 0);
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        Pump();
        if (condition()) return true;
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Sleep(5);
    }
}

COLORREF WindowPixel(HWND window, int x, int y)
{
    HDC dc = GetWindowDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void MouseAt(POINT screen)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    SendInput(1, &input, sizeof input);
}

void LeftButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

namespace {
ModalWatchdog* g_watchdog = nullptr;
}

ModalWatchdog::ModalWatchdog(DWORD limitMs)
{
    g_watchdog = this;
    timer_ = SetTimer(nullptr, 0, limitMs, &ModalWatchdog::Deadline);
}

ModalWatchdog::~ModalWatchdog()
{
    if (timer_) KillTimer(nullptr, timer_);
    if (g_watchdog == this) g_watchdog = nullptr;
    if (fired_) ADD_FAILURE() << what_;
}

void CALLBACK ModalWatchdog::Deadline(HWND, UINT, UINT_PTR, DWORD)
{
    ModalWatchdog* dog = g_watchdog;
    if (!dog || dog->fired_) return;
    // From the limit on, the state is looked at every second; a loop seen
    // on two looks running is stuck (the tests' own loops last far less).
    if (!dog->pastLimit_) {
        dog->pastLimit_ = true;
        dog->timer_ = SetTimer(nullptr, dog->timer_, 1000, &ModalWatchdog::Deadline);
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    const bool modal = (info.flags & (GUI_INMOVESIZE | GUI_INMENUMODE)) || GetCapture();
    const bool seenBefore = dog->modalSeen_;
    dog->modalSeen_ = modal;
    if (!modal || !seenBefore) return;
    dog->fired_ = true;
    std::ostringstream what;
    what << "a modal loop was still running after the time limit";
    if (info.flags & GUI_INMOVESIZE) what << ": the platform's move/size loop";
    if (info.flags & GUI_INMENUMODE) what << ": a menu loop";
    if (!(info.flags & (GUI_INMOVESIZE | GUI_INMENUMODE))) what << ": the mouse still captured";
    dog->what_ = what.str();
    if (HWND captured = GetCapture()) {
        SendMessageW(captured, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    if (info.flags & GUI_INMENUMODE) EndMenu();
    PostMessageW(nullptr, WM_LBUTTONUP, 0, 0);
    PostMessageW(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
}

FramePicture::FramePicture(int width, int height) : width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i) bits_[i] = 0x123456;
}

FramePicture::~FramePicture()
{
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

COLORREF FramePicture::At(int x, int y) const
{
    GdiFlush();
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return ColourFromPixel(bits_[y * width_ + x] & 0xFFFFFF);
}

}  // namespace quorvane::enginetest
