// The form engine on real windows: attaching, the frame geometry and the
// client area kept inside it, the non-client hit test, which windows the
// manager skins, caption text changes and taking the skin off again.
#include <windowsx.h>

#include "framework/forms.h"
#include "skin/data/skin_description.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace enginetest;

RECT WindowRect(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT ClientRect(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

INT_PTR CALLBACK EmptyDialogProcedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(FormEngine, KeepsTheClientAreaInsideTheSkinFrameAndGivesTheOuterSizeBackWhenUnskinned)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    const RECT outerBefore = WindowRect(window);
    const RECT clientBefore = ClientRect(window);

    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->EngineState, esSkinned);
    EXPECT_EQ(engine->FrameLeft, kLeft);
    EXPECT_EQ(engine->FrameTop, kTop);
    EXPECT_EQ(engine->FrameRight, kRight);
    EXPECT_EQ(engine->FrameBottom, kBottom);
    EXPECT_EQ(engine->FrameKind, fkSizeable);
    EXPECT_EQ(SendMessageW(window, WM_SKINQUERY, 0, 0), 1);

    const RECT client = ClientRect(window);
    const RECT outer = WindowRect(window);
    EXPECT_EQ(Width(client), Width(clientBefore));
    EXPECT_EQ(Height(client), Height(clientBefore));
    EXPECT_EQ(Width(outer), Width(client) + kLeft + kRight);
    EXPECT_EQ(Height(outer), Height(client) + kTop + kBottom);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x - outer.left, kLeft);
    EXPECT_EQ(origin.y - outer.top, kTop);

    Unskin(engine);
    EXPECT_EQ(SendMessageW(window, WM_SKINQUERY, 0, 0), 0);
    const RECT outerAfter = WindowRect(window);
    EXPECT_EQ(Width(outerAfter), Width(outerBefore));
    EXPECT_EQ(Height(outerAfter), Height(outerBefore));
    EXPECT_EQ(Width(ClientRect(window)), Width(clientBefore));
    EXPECT_EQ(Height(ClientRect(window)), Height(clientBefore));
    DestroyWindow(window);
}

TEST(FormEngine, AWindowWithoutCaptionKeepsNoFrameButIsStillSkinned)
{
    HWND window = MakeWindow(WS_POPUP | WS_BORDER);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->FrameKind, fkNoCaption);
    EXPECT_EQ(engine->FrameLeft + engine->FrameTop + engine->FrameRight + engine->FrameBottom, 0);
    EXPECT_EQ(engine->MenuBarHeight, 0);
    Unskin(engine);
    DestroyWindow(window);
}

TEST(FormEngine, HitTestKeepsTheSystemAnswerOnTheTopRowsAndMakesTheTitleCaption)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    const RECT outer = WindowRect(window);
    const int mid = (outer.left + outer.right) / 2;
    auto hit = [&](int x, int y) { return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    struct Row {
        int dy;
        LRESULT expected;
    };
    // A sizing border: the system says "top edge" on its top rows.
    for (int dy = 0; dy <= 3; ++dy) EXPECT_EQ(hit(mid, outer.top + dy), HTTOP) << "row " << dy;
    for (int dy : {4, 10, kTop - 1}) EXPECT_EQ(hit(mid, outer.top + dy), HTCAPTION) << "row " << dy;
    EXPECT_EQ(hit(mid, outer.top + kTop + 5), HTCLIENT);
    EXPECT_EQ(hit(outer.left + 1, outer.top + 100), HTLEFT);
    EXPECT_EQ(hit(outer.right - 1, outer.bottom - 1), HTBOTTOMRIGHT);
    // Where the system would put its own caption buttons is caption too.
    EXPECT_EQ(hit(outer.right - kRight - 8, outer.top + 12), HTCAPTION);
    Unskin(engine);
    DestroyWindow(window);
}

TEST(FormEngine, ManagerSkinsOnlyTheWindowsItsRulesAllow)
{
    Manager();
    // A framework form whose Tag is 99 is never skinned; another one is.
    auto* plain = new TForm(nullptr);
    plain->AfterConstruction();
    auto* tagged = new TForm(nullptr);
    tagged->SetTag(99);
    tagged->AfterConstruction();
    EXPECT_TRUE(Manager().SkinWindow(plain->Handle()));
    EXPECT_FALSE(Manager().SkinWindow(tagged->Handle()));
    EXPECT_FALSE(Manager().SkinWindow(plain->Handle()));  // once
    Pump();

    // Preview windows only with xoPreview, and only when OnFormSkin agrees.
    TSkinData& skin = SharedSkin();
    HWND preview = MakeWindow(WS_OVERLAPPEDWINDOW, 0, L"TPrintPreview");
    skin.SetOptions(skin.Options() & ~(1u << xoPreview));
    EXPECT_FALSE(Manager().SkinWindow(preview));
    skin.SetOptions(skin.Options() | (1u << xoPreview));
    skin.OnFormSkin = [](TObject*, const std::string& name, bool& doSkin) { doSkin = name != "TPrintPreview"; };
    EXPECT_FALSE(Manager().SkinWindow(preview));
    skin.OnFormSkin = nullptr;
    EXPECT_TRUE(Manager().SkinWindow(preview));
    Pump();

    // Child windows only while all forms are being skinned, or in an MDI client.
    HWND parent = MakeWindow(WS_OVERLAPPEDWINDOW);
    HWND child = CreateWindowExW(0, L"EngineTestWindow", L"child", WS_CHILD | WS_CAPTION, 0, 0, 100, 80, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    EXPECT_FALSE(Manager().SkinWindow(child));
    Manager().AllowChildren = true;
    EXPECT_TRUE(Manager().SkinWindow(child));
    Manager().AllowChildren = false;
    Pump();

    // An empty window (a hidden utility window) is left alone.
    HWND empty = MakeWindow(WS_POPUP, 0, L"EngineTestWindow", 0, 0);
    EXPECT_FALSE(Manager().SkinWindow(empty));

    Free(plain);
    Free(tagged);
    for (HWND w : {preview, parent, empty}) DestroyWindow(w);
    Pump();
    Manager().Tidy();
}

TEST(FormEngine, MessageBoxesTakeTheDialogSkinData)
{
    TSkinData& main = SharedSkin();
    TSkinData dialogSkin(nullptr);
    dialogSkin.BeginLoading();
    dialogSkin.SetPackage(TestSkinPackage());
    dialogSkin.SetSkinFormtype(sfDialog);
    dialogSkin.EndLoading();

    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } templ{};
    templ.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    templ.header.cx = 100;
    templ.header.cy = 60;
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &templ.header, nullptr, EmptyDialogProcedure, 0);
    ASSERT_NE(dialog, nullptr);
    HWND form = MakeWindow();
    EXPECT_EQ(Manager().ChooseSkinData(dialog), &dialogSkin);
    EXPECT_EQ(Manager().ChooseSkinData(form), &main);

    TWinSkinForm* engine = Skin(dialog);
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(engine->SystemDialog);
    EXPECT_EQ(engine->FrameKind, fkDialog);
    EXPECT_EQ(engine->SkinData(), &dialogSkin);
    DestroyWindow(dialog);
    DestroyWindow(form);
    Pump();
    Manager().Tidy();
    EXPECT_EQ(Manager().FindEngine(dialog), nullptr);
}

TEST(FormEngine, ASystemDialogGrowsToShowItsWholeCaptionAndCentresItsControls)
{
    Manager();
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass;
        WCHAR title[80];
    } templ{};
    templ.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    templ.header.cx = 40;
    templ.header.cy = 40;
    const WCHAR* caption = L"A caption far wider than the little dialog under it";
    lstrcpyW(templ.title, caption);
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &templ.header, nullptr, EmptyDialogProcedure, 0);
    ASSERT_NE(dialog, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"x", WS_CHILD, 10, 10, 20, 10, dialog, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
    const int fitted = Width(ClientRect(dialog)) + kLeft + kRight;  // the frame around the same client

    // The caption as the title bar shows it: the system caption font at the skin's height.
    LOGFONTW logFont{};
    GetObjectW(SharedSkin().CaptionFont(), sizeof logFont, &logFont);
    logFont.lfHeight = -SharedSkin().Title->FontHeight;
    HFONT font = CreateFontIndirectW(&logFont);
    HDC dc = GetDC(dialog);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE text{};
    GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &text);
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    DeleteObject(font);
    const int needed = SharedSkin().Title->LeftWidth + text.cx + SharedSkin().Title->RightWidth;
    ASSERT_GT(needed, fitted);

    TWinSkinForm* engine = Skin(dialog);
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(Width(WindowRect(dialog)), needed);
    RECT childRect = WindowRect(child);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&childRect), 2);
    EXPECT_EQ(childRect.left, 10 + (needed - fitted) / 2);
    DestroyWindow(dialog);
    Pump();
    Manager().Tidy();
}

TEST(FormEngine, TextChangesNeverLetTheSystemPaintItsCaption)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    ShowWindow(window, SW_SHOWNA);
    Pump(50);
    // The window's own procedure (under the engine) sees the text change
    // while the window has no caption style: the system paints no caption.
    LogMessages() = {WM_SETTEXT};
    Log().clear();
    LONG_PTR styleSeen = -1;
    struct Watch : WindowSubclass<Watch> {
        LONG_PTR* seen;
        HWND window;
        LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (msg == WM_SETTEXT) *seen = GetWindowLongPtrW(window, GWL_STYLE);
            return CallPrevious(msg, wParam, lParam);
        }
    };
    // The watch goes under the engine: attached before it.
    Unskin(engine);
    Watch watch;
    watch.seen = &styleSeen;
    watch.window = window;
    ASSERT_TRUE(watch.Attach(window));
    engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    SetWindowTextW(window, L"A new caption");
    EXPECT_EQ(Log().size(), 1u);
    EXPECT_NE(styleSeen, -1);
    EXPECT_EQ(styleSeen & WS_CAPTION, 0) << "the system could paint its caption";
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    WCHAR text[32] = {};
    GetWindowTextW(window, text, 32);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), u"A new caption");
    LogMessages().clear();
    Unskin(engine);
    watch.Detach();
    DestroyWindow(window);
    Pump();
}

TEST(FormEngine, EveryWindowTakesANewSkinAndKeepsItsClientArea)
{
    HWND first = MakeWindow(WS_OVERLAPPEDWINDOW);
    HWND second = MakeWindow(WS_CAPTION | WS_SYSMENU);
    TWinSkinForm* a = Skin(first);
    TWinSkinForm* b = Skin(second);
    ASSERT_TRUE(a && b);
    const RECT clientA = ClientRect(first), clientB = ClientRect(second);

    SkinOptions wide;
    wide.bottomHeight = 9;
    ReloadSharedSkin(wide);
    Manager().SetCommandSkinData(&SharedSkin());
    Manager().PostCommand(scSkinChanged, 1);
    Manager().RunPendingCommand();
    EXPECT_EQ(a->FrameBottom, 9);
    EXPECT_EQ(b->FrameBottom, 9);
    EXPECT_EQ(Height(ClientRect(first)), Height(clientA));
    EXPECT_EQ(Height(ClientRect(second)), Height(clientB));
    EXPECT_EQ(Height(WindowRect(first)), Height(clientA) + kTop + 9);

    ReloadSharedSkin({});
    Manager().SetCommandSkinData(&SharedSkin());
    Manager().PostCommand(scSkinChanged, 1);
    Manager().RunPendingCommand();
    EXPECT_EQ(a->FrameBottom, kBottom);
    Unskin(a);
    Unskin(b);
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST(FormEngine, ARefusedPackageLeavesEverySkinnedWindowAsItWas)
{
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    TWinSkinForm* engine = Skin(window);
    ASSERT_NE(engine, nullptr);
    const size_t buttons = engine->CaptionButtons().size();
    ASSERT_GT(buttons, 0u);
    const RECT outer = WindowRect(window);

    // Beyond the limits (two caption buttons at most): refused before
    // anything changes, and the windows keep their caption buttons.
    TSkinData& skin = SharedSkin();
    const SkinLimits limits = skin.LoadLimits();
    SkinLimits tight = limits;
    tight.captionButtons = 2;
    skin.SetLoadLimits(tight);
    SkinOptions other;
    other.bottomHeight = 9;
    EXPECT_FALSE(skin.ApplyPackage(TestSkinPackage(other)));
    skin.SetLoadLimits(limits);
    EXPECT_FALSE(skin.NotLoaded());
    EXPECT_FALSE(skin.LastLoadError().empty());
    EXPECT_EQ(engine->CaptionButtons().size(), buttons);
    EXPECT_EQ(engine->FrameBottom, kBottom);
    EXPECT_EQ(Height(WindowRect(window)), Height(outer));
    Unskin(engine);
    DestroyWindow(window);
}

}  // namespace
}  // namespace quorvane
