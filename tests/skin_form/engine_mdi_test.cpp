// The engine with an MDI frame and its children, the hover timer, the
// skin-changed notice and the application icon.
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

    // Their actions go to the active child.
    const WPARAM expected[3] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
    for (size_t k = 0; k < 3; ++k) {
        TWinSysButton* button = engine->CaptionButtons()[mdiButtons[k]].get();
        EXPECT_EQ(button->Description->Action, static_cast<int>(7 + k));
        log.commands.clear();
        engine->HotObject = button;
        engine->DoButtonAction(POINT{0, 0});
        EXPECT_EQ(log.commands, std::vector<WPARAM>{expected[k]}) << "MDI button " << k;
    }
    engine->HotObject = nullptr;

    SendMessageW(frame->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->Handle()), 0);
    Pump();
    EXPECT_FALSE(engine->IsButtonVisible(mdiButtons[0]));
    log.Detach();
    Free(frame);
    Pump();
    Manager().Tidy();
}

TEST(HoverTimer, TheHotButtonLetsGoWhenTheCursorHasLeftIt)
{
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
