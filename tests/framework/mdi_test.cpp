// MDI forms over the platform's MDI client, and finding the control of a
// window from a WH_CBT hook while the window is being created.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using test::Pump;

std::u16string ClassOf(HWND window)
{
    WCHAR name[64] = {};
    GetClassNameW(window, name, 64);
    return reinterpret_cast<const char16_t*>(name);
}

std::vector<UINT> Ids(HMENU menu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        ids.push_back(info.wID);
    }
    return ids;
}

void PressKeys(std::initializer_list<WORD> keys)
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

// The MDI form of this file: shown once and kept (destroying a shown window
// is slow under Xvfb).
class MdiFrame : public TForm {
public:
    explicit MdiFrame(TComponent* owner) : TForm(owner)
    {
        SetCaption("frame");
        SetBounds(40, 40, 640, 480);
        SetFormStyle(fsMDIForm);
        menu = new TMainMenu(this);
        file = new TMenuItem(this);
        file->SetCaption("&File");
        menu->Items()->Add(file);
        open = new TMenuItem(this);
        open->SetCaption("&Open");
        file->Add(open);
        window = new TMenuItem(this);
        window->SetCaption("&Window");
        menu->Items()->Add(window);
        auto* cascade = new TMenuItem(this);
        cascade->SetCaption("&Cascade");
        window->Add(cascade);
        SetMenu(menu);
        SetWindowMenu(window);
        toolBar = new TToolBar(this);
        toolBar->SetParent(this);
        toolBar->SetAlign(alTop);
        toolBar->SetHeight(30);
    }
    TMainMenu* menu;
    TMenuItem* file;
    TMenuItem* open;
    TMenuItem* window;
    TToolBar* toolBar;
};

MdiFrame* Frame()
{
    static MdiFrame* frame = [] {
        auto* f = new MdiFrame(nullptr);
        f->AfterConstruction();
        f->Show();
        SetForegroundWindow(f->Handle());
        Pump();
        return f;
    }();
    return frame;
}

TForm* NewChild(const std::string& caption)
{
    auto* child = new TForm(nullptr);
    child->SetCaption(caption);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(10, 10, 200, 150);
    child->AfterConstruction();
    child->Show();
    return child;
}

TEST(MdiForms, AChildWithoutAnMdiFormReportsAnErrorInsteadOfAWindow)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->FormStyle() == fsMDIForm) GTEST_SKIP() << "an MDI form is open already";
    TForm child(nullptr);
    child.SetFormStyle(fsMDIChild);
    child.SetClientWidth(150);  // sizes are fine before the window exists
    EXPECT_THROW(child.HandleNeeded(), Exception);
    EXPECT_FALSE(child.HandleAllocated());
}

TEST(MdiForms, ClientAndChildrenAreThePlatformsOwn)
{
    MdiFrame* frame = Frame();
    HWND client = frame->ClientHandle();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(ClassOf(client), u"MDIClient");
    EXPECT_EQ(GetParent(client), frame->Handle());
    // The client fills what the tool bar leaves.
    RECT clientRect{};
    GetWindowRect(client, &clientRect);
    MapWindowPoints(nullptr, frame->Handle(), reinterpret_cast<POINT*>(&clientRect), 2);
    EXPECT_EQ(clientRect.top, frame->toolBar->Height());
    EXPECT_EQ(clientRect.bottom, frame->ClientHeight());
    EXPECT_EQ(frame->MDIChildCount(), 0);
    EXPECT_EQ(frame->ActiveMDIChild(), nullptr);

    TForm* a = NewChild("a");
    TForm* b = NewChild("b");
    for (TForm* child : {a, b}) {
        EXPECT_EQ(GetParent(child->Handle()), client);
        EXPECT_TRUE(GetWindowLongPtrW(child->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
        EXPECT_TRUE(GetWindowLongPtrW(child->Handle(), GWL_STYLE) & WS_CHILD);
    }
    EXPECT_EQ(frame->MDIChildCount(), 2);
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    EXPECT_EQ(frame->MDIChildren(0), b);
    EXPECT_EQ(frame->MDIChildren(1), a);
    EXPECT_EQ(frame->MDIChildren(2), nullptr);

    frame->Next();
    EXPECT_EQ(frame->ActiveMDIChild(), a);
    frame->Previous();
    EXPECT_EQ(frame->ActiveMDIChild(), b);

    // The window menu lists the children after the program's own items.
    const std::vector<UINT> windowIds = Ids(frame->window->Handle());
    ASSERT_GE(windowIds.size(), 3u);
    EXPECT_LT(windowIds[0], kMenuCommandLimit);
    EXPECT_GE(windowIds.back(), kFirstMDIChild);

    // Cascade and tile move the children; the tile follows TileMode.
    frame->Cascade();
    RECT ra{}, rb{};
    GetWindowRect(a->Handle(), &ra);
    GetWindowRect(b->Handle(), &rb);
    EXPECT_NE(ra.left, rb.left);
    frame->SetTileMode(tbVertical);
    frame->Tile();
    GetWindowRect(a->Handle(), &ra);
    GetWindowRect(b->Handle(), &rb);
    EXPECT_EQ(ra.top, rb.top);
    EXPECT_NE(ra.left, rb.left);
    frame->SetTileMode(tbHorizontal);
    frame->Tile();
    GetWindowRect(a->Handle(), &ra);
    GetWindowRect(b->Handle(), &rb);
    EXPECT_EQ(ra.left, rb.left);
    EXPECT_NE(ra.top, rb.top);

    // The MDI keys reach the client through the application's loop.
    SetForegroundWindow(frame->Handle());
    Pump();
    TForm* before = frame->ActiveMDIChild();
    PressKeys({VK_CONTROL, VK_F6});
    Application->ProcessMessages();
    EXPECT_NE(frame->ActiveMDIChild(), before);

    // An MDI child closes to an icon instead of hiding; freeing it leaves the client.
    a->Close();
    EXPECT_TRUE(IsIconic(a->Handle()));
    frame->ArrangeIcons();
    Free(a);
    Free(b);
    Pump();
    EXPECT_EQ(frame->MDIChildCount(), 0);
    EXPECT_EQ(Ids(frame->window->Handle()).size(), 1u);
}

TEST(MdiForms, AMaximisedChildsButtonsShareTheBarWithALiveMainMenu)
{
    MdiFrame* frame = Frame();
    HMENU bar = frame->menu->Handle();
    ASSERT_EQ(GetMenu(frame->Handle()), bar);
    const int plain = GetMenuItemCount(bar);
    TForm* child = NewChild("maximised");
    child->SetWindowState(wsMaximized);
    ASSERT_TRUE(IsZoomed(child->Handle()));
    EXPECT_EQ(frame->ActiveMDIChild(), child);
    // The system put the child's icon in front and its buttons behind.
    std::vector<UINT> ids = Ids(bar);
    ASSERT_EQ(static_cast<int>(ids.size()), plain + 4);
    EXPECT_EQ(ids[1], frame->file->Command());
    EXPECT_EQ(ids.back() & 0xFFF0, static_cast<UINT>(SC_CLOSE));

    // Framework items still change in place, between the system's entries.
    frame->file->SetCaption("&Document");
    WCHAR text[32] = {};
    GetMenuStringW(bar, 1, text, 32, MF_BYPOSITION);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), u"&Document");
    auto* help = new TMenuItem(frame);
    help->SetCaption("&Help");
    frame->menu->Items()->Add(help);
    ids = Ids(bar);
    ASSERT_EQ(static_cast<int>(ids.size()), plain + 5);
    EXPECT_EQ(ids[3], help->Command());
    frame->file->SetVisible(false);
    EXPECT_EQ(Ids(bar)[1], frame->window->Command());
    frame->file->SetVisible(true);
    EXPECT_EQ(Ids(bar)[1], frame->file->Command());
    Free(help);

    // A command of the bar still reaches the item.
    int opened = 0;
    frame->open->OnClick = [&](TObject*) { ++opened; };
    SendMessageW(frame->Handle(), WM_COMMAND, MAKEWPARAM(frame->open->Command(), 0), 0);
    EXPECT_EQ(opened, 1);

    Free(child);
    Pump();
    EXPECT_EQ(static_cast<int>(Ids(bar).size()), plain);
    EXPECT_EQ(GetMenu(frame->Handle()), bar);
    frame->file->SetCaption("&File");
}

// A hook as a skin manager installs it: it looks the control up at
// HCBT_CREATEWND, before the new window has seen a single message.
struct CreationWatcher {
    static inline std::vector<TWinControl*> found;
    static inline std::vector<TWinControl*> beingCreated;
    static inline std::vector<HWND> windows;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            HWND window = reinterpret_cast<HWND>(wParam);
            windows.push_back(window);
            found.push_back(FindControl(window));
            beingCreated.push_back(ControlBeingCreated(window));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST(CreationHooks, AHookFindsTheControlOfTheWindowBeingCreated)
{
    MdiFrame* frame = Frame();
    TForm form(nullptr);
    auto* button = new TButton(&form);
    button->SetParent(&form);
    HHOOK hook = SetWindowsHookExW(WH_CBT, CreationWatcher::Hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    form.HandleNeeded();  // the form's window, then the button's
    TForm* child = NewChild("hooked");
    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, form.Handle(), nullptr, nullptr, nullptr);
    UnhookWindowsHookEx(hook);

    auto seenFor = [](HWND window) -> int {
        for (size_t i = 0; i < CreationWatcher::windows.size(); ++i)
            if (CreationWatcher::windows[i] == window) return static_cast<int>(i);
        return -1;
    };
    for (TWinControl* control : std::vector<TWinControl*>{&form, button, child}) {
        const int i = seenFor(control->Handle());
        ASSERT_GE(i, 0) << control->ClassName();
        EXPECT_EQ(CreationWatcher::found[static_cast<size_t>(i)], control) << control->ClassName();
        EXPECT_EQ(CreationWatcher::beingCreated[static_cast<size_t>(i)], control) << control->ClassName();
    }
    const int i = seenFor(foreign);
    ASSERT_GE(i, 0);
    EXPECT_EQ(CreationWatcher::found[static_cast<size_t>(i)], nullptr);
    EXPECT_EQ(CreationWatcher::beingCreated[static_cast<size_t>(i)], nullptr);
    EXPECT_EQ(ControlBeingCreated(), nullptr);  // nothing is being created now
    DestroyWindow(foreign);
    Free(child);
    Pump();
    EXPECT_EQ(frame->MDIChildCount(), 0);
}

}  // namespace
}  // namespace quorvane
