// Binding windows to controls, the window procedure every framework window
// shares, and the creation and destruction of control windows.

#include "framework/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "framework/control_internals.h"
#include "framework/forms.h"
#include "framework/message_box.h"
#include "framework/window_slots.h"

namespace quorvane {

using namespace control_internals;

namespace {

// The control whose window is being created on this thread and the name of
// its window class; the creation hook (or, failing that, the window
// procedure at the first message) binds the new window to it.
thread_local TWinControl* t_creatingControl = nullptr;
thread_local const std::u16string* t_creatingClass = nullptr;

// Original procedures of the platform classes we superclass, by our class name.
struct OriginalProcedure {
    WNDPROC proc;
};
std::map<std::u16string, OriginalProcedure>& OriginalProcedures()
{
    static auto* procedures = new std::map<std::u16string, OriginalProcedure>;
    return *procedures;
}

bool HasClassName(HWND window, const std::u16string& name)
{
    WCHAR className[256];
    const int length = GetClassNameW(window, className, 256);
    return length > 0 && std::u16string(reinterpret_cast<const char16_t*>(className), static_cast<size_t>(length)) == name;
}

}  // namespace

bool IsAccel(WPARAM charCode, const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const std::u16string next = Utf8ToUtf16(caption.substr(i + 1, 4));
        if (next.empty()) return false;
        const WPARAM upper = reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<WCHAR*>(static_cast<UINT_PTR>(next[0]))));
        const WPARAM wanted = reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<WCHAR*>(static_cast<UINT_PTR>(charCode & 0xFFFF))));
        return upper == wanted;
    }
    return false;
}

TShiftState ShiftStateFromMouseFlags(WPARAM flags)
{
    TShiftState shift = 0;
    if (flags & MK_SHIFT) shift |= 1u << ssShift;
    if (flags & MK_CONTROL) shift |= 1u << ssCtrl;
    if (flags & MK_LBUTTON) shift |= 1u << ssLeft;
    if (flags & MK_RBUTTON) shift |= 1u << ssRight;
    if (flags & MK_MBUTTON) shift |= 1u << ssMiddle;
    if (GetKeyState(VK_MENU) < 0) shift |= 1u << ssAlt;
    return shift;
}

namespace {

// The tag of the slot that leads from a window to its control.
const char kControlSlot = 0;

void UnbindWindow(HWND window)
{
    window_slots::Remove(window, &kControlSlot);
    RemovePropW(window, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(ControlAtom())));
}

}  // namespace

ATOM ControlAtom()
{
    static const ATOM atom = [] {
        char name[48];
        std::snprintf(name, sizeof name, "ControlOfs%.8llX%.8X",
                      static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetModuleHandleW(nullptr))),
                      static_cast<unsigned>(GetCurrentThreadId()));
        return GlobalAddAtomA(name);
    }();
    return atom;
}

TWinControl* FindControl(HWND window)
{
    if (!window) return nullptr;
    return static_cast<TWinControl*>(window_slots::Get(window, &kControlSlot));
}

TWinControl* ControlBeingCreated(HWND window)
{
    TWinControl* control = t_creatingControl;
    if (!control || !window) return control;
    if (control->handle_) return control->handle_ == window ? control : nullptr;
    return t_creatingClass && HasClassName(window, *t_creatingClass) ? control : nullptr;
}

DWORD BiDiExStyle(TBiDiMode mode)
{
    switch (mode) {
    case bdRightToLeft:
        return WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
    case bdRightToLeftNoAlign:
        return WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
    case bdRightToLeftReadingOnly:
        return WS_EX_RTLREADING;
    default:
        return 0;
    }
}

TWinControl* FindVCLWindow(HWND window)
{
    for (; window; window = GetParent(window))
        if (TWinControl* control = FindControl(window)) return control;
    return nullptr;
}

void HandleCurrentException(TObject* sender) noexcept
{
    if (Application) Application->HandleException(sender);
}

// The one window procedure of every window the framework creates.
LRESULT CALLBACK FrameworkWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        TWinControl* control = FindControl(window);
        if (!control) {
            control = ControlBeingCreated(window);
            if (!control || control->handle_) {
                // A window of our class made by someone else: behave as the class would.
                WCHAR className[256];
                GetClassNameW(window, className, 256);
                auto& procedures = OriginalProcedures();
                auto it = procedures.find(reinterpret_cast<const char16_t*>(className));
                if (it != procedures.end() && it->second.proc) return CallWindowProcW(it->second.proc, window, msg, wParam, lParam);
                return DefWindowProcW(window, msg, wParam, lParam);
            }
            control->BindWindow(window);
        }
        if (Application && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
            if (HWND tip = Application->ExistingHintWindow()) {
                MSG relay{window, msg, wParam, lParam, 0, {}};
                SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
            }
        }
        TMessage message{msg, wParam, lParam, 0};
        const ColourContext colours(window);
        control->windowProc_(message);
        // The control may be gone now (a handler freed it); only the final
        // message still uses it, and that one arrives while it is alive.
        if (msg == WM_NCDESTROY) {
            UnbindWindow(window);
            if (FindControl(window) == nullptr && control->handle_ == window) control->handle_ = nullptr;
        }
        return message.result;
    } catch (...) {
        HandleCurrentException(nullptr);
        return 0;
    }
}

HWND TWinControl::Handle()
{
    if (!handle_) CreateHandle();
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.caption = Utf8ToUtf16(text_);
    params.style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) params.style |= WS_VISIBLE;
    if (!Enabled()) params.style |= WS_DISABLED;
    if (tabStop_) params.style |= WS_TABSTOP;
    params.exStyle |= BiDiExStyle(BiDiMode());
    params.x = Left();
    params.y = Top();
    params.width = Width();
    params.height = WindowHeight();
    // CreateWnd fills it in when the parent's window is still to come.
    if (Parent()) params.parentWindow = Parent()->WindowHandle();
}

void TWinControl::CreateHandle()
{
    if (handle_) return;
    // Parents first: creating the parent's window creates ours with it.
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->CreateHandle();
        if (handle_) return;
    }
    CreateWnd();
    CreateChildHandles();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (Parent() && !params.parentWindow) params.parentWindow = Parent()->Handle();
    if ((params.style & WS_CHILD) && !params.parentWindow)
        throw Exception("Control '" + Name() + "' has no parent window");

    // Our window class is named after the framework class; a wrapped
    // platform class is superclassed so every message reaches our procedure.
    const std::u16string className = Utf8ToUtf16(ClassName());
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    auto& procedures = OriginalProcedures();
    auto known = procedures.find(className);
    if (known == procedures.end()) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        WNDPROC original = DefWindowProcW;
        if (!params.wrappedClass.empty()) {
            if (!GetClassInfoExW(nullptr, W(params.wrappedClass), &wc) &&
                !GetClassInfoExW(instance, W(params.wrappedClass), &wc))
                throw Exception("Window class " + Utf16ToUtf8(params.wrappedClass) + " is not available");
            original = wc.lpfnWndProc;
            wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
        } else {
            wc.style = params.classStyle;
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = params.background;
        }
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = FrameworkWindowProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = W(className);
        wc.lpszMenuName = nullptr;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw Exception("Cannot register window class " + ClassName());
        known = procedures.emplace(className, OriginalProcedure{original}).first;
    }
    defWndProc_ = known->second.proc;

    SetLastError(0);
    HWND window = CreateWindowFor(params, className, instance);
    if (!window) {
        // A hook may have refused the window after it was bound. Under Wine,
        // a top-level window also fails (error 0) while the program shares a
        // server whose desktop was made by a program without an X display.
        const DWORD error = GetLastError();
        handle_ = nullptr;
        throw Exception("Cannot create a window for " + ClassName() + " '" + Name() + "' (CreateWindowEx error " +
                        std::to_string(error) + ")");
    }
    if (!handle_) BindWindow(window);
    CreateWindowHandle(params);
}

HWND TWinControl::CreateWindowFor(const TCreateParams& params, const std::u16string& className, HINSTANCE instance)
{
    // While the window is created a hook of this thread binds it at
    // HCBT_CREATEWND. Hooks run newest first, so every hook installed
    // before (a skin manager's) already finds the control from the window.
    TWinControl* const previous = t_creatingControl;
    const std::u16string* const previousClass = t_creatingClass;
    t_creatingControl = this;
    t_creatingClass = &className;
    HHOOK hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    HWND window = CreateWindowExW(params.exStyle, W(className), W(params.caption), params.style, params.x, params.y,
                                  params.width, params.height, params.parentWindow, params.menuOrId, instance, nullptr);
    if (hook) UnhookWindowsHookEx(hook);
    t_creatingControl = previous;
    t_creatingClass = previousClass;
    return window;
}

LRESULT CALLBACK TWinControl::CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        TWinControl* control = t_creatingControl;
        if (control && !control->handle_ && !FindControl(window) && t_creatingClass &&
            HasClassName(window, *t_creatingClass))
            control->BindWindow(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TWinControl::BindWindow(HWND window)
{
    handle_ = window;
    SetPropW(window, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(ControlAtom())), this);
    window_slots::Set(window, &kControlSlot, this);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    (void)params;
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    InitializeWindow();
    UpdateHintTool();
    for (TControl* child : controls_)
        if (!child->Is<TWinControl>() && !child->Hint().empty()) child->UpdateHintTool();
}

void TWinControl::CreateChildHandles()
{
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children)
        if (auto* win = As<TWinControl>(child); win && !win->HandleAllocated()) win->CreateHandle();
    UpdateZOrder();
}

void TWinControl::UpdateZOrder()
{
    // Later controls sit above earlier ones, as they are painted.
    HWND after = HWND_TOP;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (auto* win = As<TWinControl>(*it); win && win->handle_) {
            SetWindowPos(win->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            after = win->handle_;
        }
}

void TWinControl::DestroyWnd()
{
    // Keep the text the window held.
    if (handle_) text_ = GetText();
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    for (TControl* child : controls_)
        if (auto* win = As<TWinControl>(child)) win->DestroyWnd();
    DestroyWnd();
    if (!Hint().empty() && Application)
        if (HWND tip = Application->ExistingHintWindow()) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.hwnd = handle_;
            info.uId = reinterpret_cast<UINT_PTR>(handle_);
            SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
    HWND window = handle_;
    DestroyWindowHandle();
    // WM_NCDESTROY has unbound it; be sure even when it did not arrive.
    if (handle_ == window) {
        UnbindWindow(window);
        handle_ = nullptr;
    }
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* child : all) child->handle_ = nullptr;
}

void TWinControl::DestroyWindowHandle()
{
    DestroyWindow(handle_);
}

void TWinControl::BiDiModeChanged()
{
    if (!handle_) return;
    const LONG_PTR exStyle = GetWindowLongPtrW(handle_, GWL_EXSTYLE);
    const LONG_PTR wanted = (exStyle & ~static_cast<LONG_PTR>(kBiDiExStyles)) | static_cast<LONG_PTR>(BiDiExStyle(BiDiMode()));
    if (wanted == exStyle) return;
    SetWindowLongPtrW(handle_, GWL_EXSTYLE, wanted);
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::RecreateWnd()
{
    if (!handle_) return;
    recreating_ = true;
    const bool hadFocus = Focused();
    DestroyHandle();
    recreating_ = false;
    CreateHandle();
    if (hadFocus) ::SetFocus(handle_);
    NotifyRecreated();
}

void TWinControl::NotifyRecreated()
{
    // The children's windows went and came back with this one.
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* child : all)
        if (child->handle_) child->Perform(CM_RECREATEWND, 0, 0);
    if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

}  // namespace quorvane
