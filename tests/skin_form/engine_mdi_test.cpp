// The engine with an MDI frame and its children, the hover timer, the
// skin-changed notice and the application icon.
#include <functional>
#include <sstream>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "framework/subclass.h"
#include "skin/data/bitmap_utils.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

// Records the system commands a window gets, and keeps them from acting.
class CommandLog : public WindowSubclass<CommandLog> {
public:
    std::vector<WPARAM> commands;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) != SC_KEYMENU) {
            commands.push_back(wParam & 0xFFF0);
            return 0;
        }
        return CallPrevious(msg, wParam, lParam);
    }
};

TEST(MdiEngine, TheMaximisedChildsButtonsShowInTheFramesBarAndActOnTheChild)
{
    Manager();
    auto* frame = new TForm(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(40, 40, 500, 360);
    auto* menu = new TMainMenu(frame);
    auto* file = new TMenuItem(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(menu);
    open->SetCaption("&Open");
    file->Add(open);
    frame->SetMenu(menu);
    frame->AfterConstruction();
    ASSERT_TRUE(Manager().SkinWindow(frame->Handle()));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(frame->Handle());
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->MdiKind, mkParent);
    EXPECT_EQ(engine->MdiClient, frame->ClientHandle());

    auto* child = new TForm(frame);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(10, 10, 200, 150);
    child->AfterConstruction();
    child->HandleNeeded();
    Pump();
    CommandLog log;
    ASSERT_TRUE(log.Attach(child->Handle()));

    // The three MDI buttons are the skin's last caption buttons (Visibility 100).
    std::vector<size_t> mdiButtons;
    for (size_t i = 0; i < engine->CaptionButtons().size(); ++i)
        if (engine->CaptionButtons()[i]->Description->Visibility == 100) mdiButtons.push_back(i);
    ASSERT_EQ(mdiButtons.size(), 3u);
    EXPECT_FALSE(engine->IsButtonVisible(mdiButtons[0]));  // the child is not maximised

    SendMessageW(frame->ClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->Handle()), 0);
    Pump();
    ASSERT_TRUE(engine->IsChildMaximised());
    for (size_t index : mdiButtons) EXPECT_TRUE(engine->IsButtonVisible(index));

    // Drawn in the frame's menu bar, and acted on with the real mouse: the
    // system hit-tests the frame and sends its mouse messages. Each state
    // shows the frame of the skin's picture it belongs to.
    ShowWindow(frame->Handle(), SW_SHOW);
    SetForegroundWindow(frame->Handle());
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(frame->Handle()) && engine->Active; }));
    RedrawWindow(frame->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    ModalWatchdog watchdog;
    const WPARAM expected[3] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE("MDI button " + std::to_string(k));
        TWinSysButton* button = engine->CaptionButtons()[mdiButtons[k]].get();
        EXPECT_EQ(button->Description->Action, static_cast<int>(7 + k));
        const RECT b = button->BoundsRect;
        ASSERT_EQ(b.right - b.left, kMdiButtonSize);
        // Inside the menu bar band, right-aligned, close rightmost.
        EXPECT_GE(b.top, engine->FrameTop);
        EXPECT_LE(b.bottom, engine->FrameTop + engine->MenuBarHeight);
        const POINT centre{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
        EXPECT_TRUE(WaitFor([&] { return WindowPixel(frame->Handle(), centre.x, centre.y) == kMdiFrames[k][0]; }))
            << "normal";
        log.commands.clear();
        RECT window{};
        GetWindowRect(frame->Handle(), &window);
        const POINT at{window.left + centre.x, window.top + centre.y};
        ASSERT_EQ(WindowFromPoint(at), frame->Handle());
        MouseAt(at);
        EXPECT_TRUE(WaitFor([&] { return WindowPixel(frame->Handle(), centre.x, centre.y) == kMdiFrames[k][3]; }))
            << "hot under the mouse";
        LeftButton(true);
        EXPECT_TRUE(WaitFor([&] { return WindowPixel(frame->Handle(), centre.x, centre.y) == kMdiFrames[k][1]; }))
            << "pressed";
        ASSERT_FALSE(watchdog.Fired()) << watchdog.What();
        EXPECT_TRUE(log.commands.empty()) << "acted on the press";
        LeftButton(false);
        EXPECT_TRUE(WaitFor([&] { return !log.commands.empty(); }));
        EXPECT_EQ(log.commands, std::vector<WPARAM>{expected[k]});
        EXPECT_NE(GetCapture(), frame->Handle());
        ASSERT_FALSE(watchdog.Fired()) << watchdog.What();
    }
    MouseAt(POINT{1000, 900});
    Pump();

    SendMessageW(frame->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->Handle()), 0);
    Pump();
    EXPECT_FALSE(engine->IsButtonVisible(mdiButtons[0]));
    log.Detach();
    Free(frame);
    Pump();
    Manager().Tidy();
}

// Over the skin's title band: samples a point of the band at every message
// the frame gets, and keeps each colour seen that is not the skin's. The
// platform's MDI code repaints the frame's title itself when a child is
// activated or its text changes; whatever it drew is on the screen until
// the next message, so a caption of the system's would be sampled here.
class TitleBandWatch : public WindowSubclass<TitleBandWatch> {
public:
    POINT at{0, 0};
    bool on = false;
    std::vector<std::string> foreign;

    void Sample(const char* when)
    {
        const COLORREF c = WindowPixel(Window(), at.x, at.y);
        if (c != kTopActive && c != kTopInactive && foreign.size() < 20) {
            std::ostringstream text;
            text << when << ": " << int(GetRValue(c)) << "," << int(GetGValue(c)) << "," << int(GetBValue(c));
            foreign.push_back(text.str());
        }
    }

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (on && msg != WM_NCDESTROY) Sample(("message 0x" + ToHex(msg)).c_str());
        return CallPrevious(msg, wParam, lParam);
    }

private:
    static std::string ToHex(UINT value)
    {
        std::ostringstream text;
        text << std::hex << value;
        return text.str();
    }
};

std::u16string TextOf(HWND window)
{
    WCHAR text[128] = {};
    GetWindowTextW(window, text, 128);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

TEST(MdiEngine, ChildActivationAndTitleChangesNeverShowTheSystemCaptionOnTheFrame)
{
    ModalWatchdog watchdog;
    Manager();
    auto* frame = new TForm(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetCaption("Frame");
    frame->SetBounds(60, 60, 520, 380);
    frame->AfterConstruction();
    ASSERT_TRUE(Manager().SkinWindow(frame->Handle()));
    Pump();
    TWinSkinForm* engine = Manager().FindEngine(frame->Handle());
    ASSERT_NE(engine, nullptr);
    TForm* children[2] = {};
    const char* names[2] = {"Alpha", "Beta"};
    for (int i = 0; i < 2; ++i) {
        children[i] = new TForm(frame);
        children[i]->SetFormStyle(fsMDIChild);
        children[i]->SetCaption(names[i]);
        children[i]->SetBounds(10 + 30 * i, 10 + 30 * i, 200, 150);
        children[i]->AfterConstruction();
        children[i]->HandleNeeded();
    }
    ShowWindow(frame->Handle(), SW_SHOW);
    SetForegroundWindow(frame->Handle());
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(frame->Handle()) && engine->Active; }));
    RedrawWindow(frame->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();

    // A point of the title band right of the caption text and left of the
    // caption buttons, where the skin shows only its top picture.
    RECT outer{};
    GetWindowRect(frame->Handle(), &outer);
    TitleBandWatch watch;
    watch.at = POINT{(outer.right - outer.left) / 2 + 60, 12};
    ASSERT_TRUE(watch.Attach(frame->Handle()));
    watch.Sample("before");
    ASSERT_TRUE(watch.foreign.empty()) << watch.foreign.front();
    watch.on = true;

    HWND client = frame->ClientHandle();
    const std::u16string plainTitle = TextOf(frame->Handle());
    const struct Step {
        const char* what;
        std::function<void()> act;
        bool titleChanges;
    } steps[] = {
        {"maximise Alpha", [&] { SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(children[0]->Handle()), 0); }, true},
        {"activate Beta", [&] { SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(children[1]->Handle()), 0); }, true},
        {"rename the active child", [&] { SetWindowTextW(children[1]->Handle(), L"Gamma"); }, true},
        {"next child", [&] { SendMessageW(client, WM_MDINEXT, 0, 0); }, true},
        {"restore", [&] { SendMessageW(client, WM_MDIRESTORE, SendMessageW(client, WM_MDIGETACTIVE, 0, 0), 0); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::u16string before = TextOf(frame->Handle());
        step.act();
        Pump();
        watch.Sample("after");
        // The platform did update the frame's title (so the check saw it happen).
        if (step.titleChanges) {
            EXPECT_NE(TextOf(frame->Handle()), before);
        }
        EXPECT_TRUE(watch.foreign.empty()) << "the system's caption showed: " << watch.foreign.front();
        watch.foreign.clear();
    }
    EXPECT_EQ(TextOf(frame->Handle()), plainTitle);
    EXPECT_EQ(GetWindowLongPtrW(frame->Handle(), GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    watch.on = false;
    watch.Detach();
    Free(frame);
    Pump();
    Manager().Tidy();
}

TEST(HoverTimer, TheHotButtonLetsGoWhenTheCursorHasLeftIt)
{
    ModalWatchdog watchdog;
    Manager();
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    ShowWindow(window, SW_SHOWNOACTIVATE);  // skinned as it is shown
    Pump(50);
    TWinSkinForm* engine = Manager().FindEngine(window);
    ASSERT_NE(engine, nullptr);
    RECT outer{};
    GetWindowRect(window, &outer);
    FramePicture picture(outer.right - outer.left, outer.bottom - outer.top);
    engine->PaintFrame(picture.dc());
    TWinSysButton* close = nullptr;
    for (const auto& b : engine->CaptionButtons())
        if (b->Description->Action == 0) close = b.get();
    ASSERT_TRUE(close && close->Visible);
    const POINT centre{outer.left + (close->BoundsRect.left + close->BoundsRect.right) / 2,
                       outer.top + (close->BoundsRect.top + close->BoundsRect.bottom) / 2};
    engine->Active = true;
    SetCursorPos(centre.x, centre.y);
    SendMessageW(window, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(centre.x, centre.y));
    ASSERT_EQ(engine->HotObject, close);
    engine->HoverTimer();
    EXPECT_EQ(engine->HotObject, close);  // still under the cursor
    SetCursorPos(outer.left + 200, outer.top + 150);
    engine->HoverTimer();
    EXPECT_EQ(engine->HotObject, nullptr);
    EXPECT_EQ(close->State, nsNormal);
    engine->Unskin();
    Manager().RemoveEngine(engine);
    Free(engine);
    DestroyWindow(window);
}

TEST(SkinChanges, EachCarriedOutRequestTellsTheComponentOnce)
{
    TSkinData& skin = SharedSkin();
    int notices = 0;
    skin.OnSkinChanged = [&](TObject* sender) {
        EXPECT_EQ(sender, &skin);
        ++notices;
    };
    Manager().SetCommandSkinData(&skin);
    Manager().PostCommand(scSkinChanged, 1);
    Manager().RunPendingCommand();
    EXPECT_EQ(notices, 1);
    Manager().RunPendingCommand();  // nothing pending any more
    EXPECT_EQ(notices, 1);
    skin.OnSkinChanged = nullptr;
}

TEST(ApplicationIcon, IsTheIconOfTheFormThatCarriesTheSkin)
{
    auto* form = new TForm(nullptr);
    const int size = GetSystemMetrics(SM_CXICON);
    // A solid red icon.
    std::vector<uint8_t> andMask(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    std::vector<uint8_t> colour(static_cast<size_t>(size * size * 4), 0);
    for (size_t i = 0; i < colour.size(); i += 4) colour[i + 2] = 255;
    HBITMAP mask = CreateBitmap(size, size, 1, 1, andMask.data());
    HBITMAP picture = CreateBitmap(size, size, 1, 32, colour.data());
    ICONINFO info{TRUE, 0, 0, mask, picture};
    form->Icon()->SetHandle(CreateIconIndirect(&info));
    DeleteObject(mask);
    DeleteObject(picture);
    auto* data = new TSkinData(form);
    data->SetPackage(TestSkinPackage());
    form->AfterConstruction();
    const PixelBuffer pixels = ReadPixels(data->AppIconBitmap());
    ASSERT_GT(pixels.width, 0);
    EXPECT_EQ(ColourFromPixel(pixels.At(pixels.width / 2, pixels.height / 2)), RGB(255, 0, 0));
    Free(form);
}

}  // namespace
}  // namespace quorvane
