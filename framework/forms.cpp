#include "framework/forms.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <exception>

#include "framework/com_controls.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/std_controls.h"

namespace quorvane {

namespace {
TScreen g_screen;
TApplication g_application;

// Every windowed control inside `control`, depth first.
void ForEachControl(TWinControl* control, const std::function<void(TControl*)>& visit)
{
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        visit(child);
        if (auto* win = As<TWinControl>(child)) ForEachControl(win, visit);
    }
}
}  // namespace

TScreen* Screen = &g_screen;
TApplication* Application = &g_application;

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

// ---- TIcon --------------------------------------------------------------------

const TClassInfo& TIcon::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TIcon", &TPersistent::StaticClass());
    return info;
}

TIcon::~TIcon()
{
    if (handle_) DestroyIcon(handle_);
}

void TIcon::SetHandle(HICON icon)
{
    if (icon == handle_) return;
    if (handle_) DestroyIcon(handle_);
    handle_ = icon;
    if (OnChange) OnChange(this);
}

void TIcon::Assign(const TIcon& other)
{
    if (&other == this) return;
    SetHandle(other.handle_ ? CopyIcon(other.handle_) : nullptr);
}

// ---- TForm --------------------------------------------------------------------

const TClassInfo& TForm::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TForm>("TForm", &TWinControl::StaticClass(), [](PropRegistrar<TForm>& p) {
            p.AnsiText("Caption", &TForm::Caption, &TForm::SetCaption);
            p.Set("BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}, &TForm::BorderIcons,
                  &TForm::SetBorderIcons);
            p.Enumeration("BorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
                          &TForm::BorderStyle, &TForm::SetBorderStyle);
            p.Enumeration("FormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}, &TForm::FormStyle,
                          &TForm::SetFormStyle);
            p.Enumeration("Position",
                          {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                           "poDesktopCenter"},
                          &TForm::Position, &TForm::SetPosition);
            p.Object<TIcon>("Icon", &TForm::Icon, nullptr);
            p.Enumeration("WindowState", {"wsNormal", "wsMinimized", "wsMaximized"}, &TForm::WindowState,
                          &TForm::SetWindowState);
            p.Object<TMainMenu>("Menu", &TForm::Menu, &TForm::SetMenu);
            p.Boolean("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview);
            p.Method("OnCreate", [](const TForm& f) { return static_cast<bool>(f.OnCreate); });
            p.Method("OnDestroy", [](const TForm& f) { return static_cast<bool>(f.OnDestroy); });
            p.Method("OnClose", [](const TForm& f) { return static_cast<bool>(f.OnClose); });
        });
    return info;
}

TForm::TForm(TComponent* owner) : TWinControl(owner), icon_(std::make_unique<TIcon>())
{
    SetVisible(false);
    SetParentFont(false);
    SetParentColor(false);
    SetParentShowHint(false);
    StoreBounds(0, 0, 320, 240);
    icon_->OnChange = [this](TObject*) { UpdateIcon(); };
    BeginLoading();
    Screen->AddForm(this);
}

TForm::~TForm()
{
    BeforeDestruction();
    Screen->RemoveForm(this);
    DestroyHandle();
}

void TForm::BeforeDestruction()
{
    if (created_ && !IsDestroying()) {
        created_ = false;
        if (OnDestroy) {
            try {
                OnDestroy(this);
            } catch (...) {
                HandleCurrentException(this);
            }
        }
    }
    TWinControl::BeforeDestruction();
}

void TForm::AfterConstruction()
{
    if (created_) return;
    EndLoading();
    DoCreate();
}

void TForm::DoCreate()
{
    created_ = true;
    if (!OnCreate) return;
    try {
        OnCreate(this);
    } catch (...) {
        // The rest of OnCreate is skipped; the form still opens.
        HandleCurrentException(this);
    }
}

void TForm::Loaded()
{
    TWinControl::Loaded();
    // Anchors measure from the layout the stored properties gave.
    ForEachControl(this, [](TControl* c) { c->UpdateAnchorRules(); });
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.exStyle = 0;
    params.parentWindow = nullptr;
    switch (borderStyle_) {
    case bsNone:
        params.style |= WS_POPUP;
        break;
    case bsSingle:
        params.style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
        params.style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        params.style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        params.exStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        params.style |= WS_CAPTION;
        params.exStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        params.style |= WS_CAPTION | WS_THICKFRAME;
        params.exStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (borderStyle_ != bsNone && InSet(borderIcons_, biSystemMenu)) {
        params.style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
            if (InSet(borderIcons_, biMinimize)) params.style |= WS_MINIMIZEBOX;
            if (InSet(borderIcons_, biMaximize)) params.style |= WS_MAXIMIZEBOX;
        }
        if (InSet(borderIcons_, biHelp)) params.exStyle |= WS_EX_CONTEXTHELP;
    }
    if (formStyle_ == fsStayOnTop) params.exStyle |= WS_EX_TOPMOST;
    if (!Enabled()) params.style |= WS_DISABLED;
    params.exStyle |= BiDiExStyle(BiDiMode());
    params.menuOrId = menu_ ? menu_->Handle() : nullptr;
    params.wrappedClass.clear();
    if (formStyle_ == fsMDIChild) {
        // A child of the MDI form's client; the client numbers it, so it
        // has no menu of its own.
        params.style = (params.style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD;
        params.exStyle |= WS_EX_MDICHILD;
        TForm* frame = MDIParentForm();
        params.parentWindow = frame ? frame->ClientHandle() : nullptr;
        params.menuOrId = nullptr;
    } else if (Parent()) {
        // A form placed inside another control is a child window of it,
        // keeping its frame; a child window has no menu bar.
        params.style = (params.style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD;
        params.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
        params.parentWindow = Parent()->WindowHandle();
        params.menuOrId = nullptr;
    }
}

void TForm::CreateWnd()
{
    if (formStyle_ == fsMDIChild) {
        TForm* frame = MDIParentForm();
        if (!frame) throw Exception("No MDI form is open for the MDI child '" + Name() + "'");
        frame->HandleNeeded();
        if (!frame->ClientHandle()) throw Exception("The MDI form '" + frame->Name() + "' has no MDI client");
    }
    TWinControl::CreateWnd();
}

TForm* TForm::MDIParentForm() const
{
    if (Application && Application->MainForm() && Application->MainForm() != this &&
        Application->MainForm()->FormStyle() == fsMDIForm)
        return Application->MainForm();
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (TForm* form = Screen->Forms(i); form != this && form->FormStyle() == fsMDIForm) return form;
    return nullptr;
}

void TForm::CreateMDIClient()
{
    CLIENTCREATESTRUCT create{};
    create.hWindowMenu = windowMenu_ ? windowMenu_->Handle() : nullptr;
    create.idFirstChild = kFirstMDIChild;
    RECT rect{};
    GetClientRect(Handle(), &rect);
    clientHandle_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                    0, 0, rect.right, rect.bottom, Handle(), nullptr, GetModuleHandleW(nullptr), &create);
    if (!clientHandle_) throw Exception("Cannot create the MDI client of '" + Name() + "'");
    // Below the aligned controls (tool bars, status bars) it shares the area with.
    SetWindowPos(clientHandle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    AlignControls();
}

void TForm::ClientAreaAligned(const RECT& rest)
{
    if (clientHandle_)
        SetWindowPos(clientHandle_, nullptr, rest.left, rest.top, std::max<int>(rest.right - rest.left, 0),
                     std::max<int>(rest.bottom - rest.top, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

TForm* TForm::ActiveMDIChild() const
{
    if (!clientHandle_) return nullptr;
    HWND active = reinterpret_cast<HWND>(SendMessageW(clientHandle_, WM_MDIGETACTIVE, 0, 0));
    return As<TForm>(FindControl(active));
}

int TForm::MDIChildCount() const
{
    int count = 0;
    if (clientHandle_)
        for (HWND child = GetWindow(clientHandle_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (auto* form = As<TForm>(FindControl(child)); form && form->FormStyle() == fsMDIChild) ++count;
    return count;
}

TForm* TForm::MDIChildren(int index) const
{
    if (clientHandle_ && index >= 0)
        for (HWND child = GetWindow(clientHandle_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (auto* form = As<TForm>(FindControl(child)); form && form->FormStyle() == fsMDIChild && index-- == 0)
                return form;
    return nullptr;
}

void TForm::Cascade()
{
    if (clientHandle_) SendMessageW(clientHandle_, WM_MDICASCADE, 0, 0);
}

void TForm::Tile()
{
    if (clientHandle_)
        SendMessageW(clientHandle_, WM_MDITILE, tileMode_ == tbVertical ? MDITILE_VERTICAL : MDITILE_HORIZONTAL, 0);
}

void TForm::ArrangeIcons()
{
    if (clientHandle_) SendMessageW(clientHandle_, WM_MDIICONARRANGE, 0, 0);
}

void TForm::Next()
{
    if (clientHandle_) SendMessageW(clientHandle_, WM_MDINEXT, 0, 0);
}

void TForm::Previous()
{
    if (clientHandle_) SendMessageW(clientHandle_, WM_MDINEXT, 0, 1);
}

void TForm::SetWindowMenu(TMenuItem* item)
{
    if (item == windowMenu_) return;
    windowMenu_ = item;
    if (item) item->FreeNotification(this);
    if (clientHandle_) {
        HMENU bar = menu_ && HandleAllocated() && GetMenu(Handle()) == menu_->Handle() ? menu_->Handle() : nullptr;
        SendMessageW(clientHandle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar),
                     reinterpret_cast<LPARAM>(item ? item->Handle() : nullptr));
        DrawMenuBar(Handle());
    }
}

void TForm::DefaultHandler(TMessage& message)
{
    HWND window = WindowHandle();
    const bool notice = message.msg >= CM_BASE && message.msg < CN_BASE + 0x400;
    if (window && !notice) {
        // The frame procedure would size the client over the whole client
        // area; the aligned controls keep their strips (ClientAreaAligned).
        if (formStyle_ == fsMDIForm && clientHandle_ && message.msg == WM_SIZE) {
            AlignControls();
        } else if (formStyle_ == fsMDIForm && clientHandle_) {
            message.result = DefFrameProcW(window, clientHandle_, message.msg, message.wParam, message.lParam);
            return;
        }
        if (formStyle_ == fsMDIChild && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_MDICHILD)) {
            message.result = DefMDIChildProcW(window, message.msg, message.wParam, message.lParam);
            return;
        }
    }
    TWinControl::DefaultHandler(message);
}

void TForm::DestroyWnd()
{
    // A window destroys the menu it shows; the menu lives on with its object.
    if (HWND window = WindowHandle(); window && menu_ && menu_->HandleAllocated() && GetMenu(window) == menu_->Handle())
        ::SetMenu(window, nullptr);
    clientHandle_ = nullptr;
    TWinControl::DestroyWnd();
}

void TForm::DestroyWindowHandle()
{
    HWND window = WindowHandle();
    if (HWND client = GetParent(window);
        client && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) && IsWindow(client))
        SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    if (IsWindow(window)) DestroyWindow(window);
}

void TForm::BiDiModeChanged()
{
    TWinControl::BiDiModeChanged();
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* menu = As<TMenu>(Components(i))) menu->ParentBiDiModeChanged();
}

void TForm::InitializeWindow()
{
    if (menu_) menu_->SetWindow(Handle());
    if (formStyle_ == fsMDIForm) CreateMDIClient();
    UpdateIcon();
}

int TForm::ClientWidth() const
{
    if (HandleAllocated()) return TWinControl::ClientWidth();
    TCreateParams params;
    const_cast<TForm*>(this)->CreateParams(params);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.style, menu_ != nullptr, params.exStyle);
    return Width() - (frame.right - frame.left);
}

int TForm::ClientHeight() const
{
    if (HandleAllocated()) return TWinControl::ClientHeight();
    TCreateParams params;
    const_cast<TForm*>(this)->CreateParams(params);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.style, menu_ != nullptr, params.exStyle);
    return Height() - (frame.bottom - frame.top);
}

void TForm::UpdateWindowStyle()
{
    if (!HandleAllocated()) return;
    TCreateParams params;
    CreateParams(params);
    HWND window = Handle();
    const LONG_PTR keep = GetWindowLongPtrW(window, GWL_STYLE) & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(params.style) | keep);
    SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(params.exStyle));
    SetWindowPos(window, formStyle_ == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TWindowState TForm::WindowState() const
{
    if (HWND window = WindowHandle(); window && IsWindowVisible(window)) {
        if (IsIconic(window)) return wsMinimized;
        if (IsZoomed(window)) return wsMaximized;
        return wsNormal;
    }
    return windowState_;
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    if (HWND window = WindowHandle(); window && IsWindowVisible(window))
        ShowWindow(window, state == wsMinimized ? SW_MINIMIZE : state == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons == borderIcons_) return;
    borderIcons_ = icons;
    UpdateWindowStyle();
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_) return;
    borderStyle_ = style;
    UpdateWindowStyle();
}

void TForm::SetFormStyle(TFormStyle style)
{
    if (style == formStyle_) return;
    const bool mdiChange = (style == fsMDIForm || style == fsMDIChild || formStyle_ == fsMDIForm || formStyle_ == fsMDIChild);
    formStyle_ = style;
    if (!HandleAllocated()) return;
    if (!mdiChange) {
        UpdateWindowStyle();
        return;
    }
    // An MDI client or MDI parentage exists only from the window's creation.
    RecreateWnd();
    if (Visible()) ShowWindow(Handle(), SW_SHOW);
}

void TForm::SetMenu(TMainMenu* menu)
{
    if (menu == menu_) return;
    if (menu_ && menu_->Window() == WindowHandle()) menu_->SetWindow(nullptr);
    menu_ = menu;
    if (menu) menu->FreeNotification(this);
    if (HandleAllocated()) {
        if (menu) menu->SetWindow(Handle());
        if (!menu && formStyle_ != fsMDIChild) {
            ::SetMenu(Handle(), nullptr);
            DrawMenuBar(Handle());
        }
        SendMessageW(Handle(), CM_MENUCHANGED, 0, 0);
    }
}

void TForm::AttachMenu()
{
    HWND window = WindowHandle();
    if (!window || !menu_ || formStyle_ == fsMDIChild || IsDestroying()) return;
    HMENU bar = menu_->Handle();
    if (GetMenu(window) != bar) {
        if (clientHandle_)
            // The MDI client keeps the frame menu it adds a maximised
            // child's buttons to; it attaches the bar itself.
            SendMessageW(clientHandle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar),
                         reinterpret_cast<LPARAM>(windowMenu_ ? windowMenu_->Handle() : nullptr));
        if (GetMenu(window) != bar) ::SetMenu(window, bar);
    }
    DrawMenuBar(window);
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == menu_) {
        if (HandleAllocated() && menu_->HandleAllocated() && GetMenu(Handle()) == menu_->Handle()) {
            ::SetMenu(Handle(), nullptr);
            DrawMenuBar(Handle());
        }
        menu_ = nullptr;
        // Whoever paints the bar in the window's place (a skin engine
        // replacing the window procedure) hears that it is gone, as it
        // does for SetMenu(nullptr).
        if (HWND window = WindowHandle()) SendMessageW(window, CM_MENUCHANGED, 0, 0);
    }
    if (component == windowMenu_) windowMenu_ = nullptr;
    if (component == activeControl_) activeControl_ = nullptr;
}

void TForm::UpdateIcon()
{
    if (!HandleAllocated()) return;
    HICON icon = icon_->Handle();
    if (!icon && Application) icon = Application->Icon()->Handle();
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TForm::SetVisible(bool visible)
{
    if (Parent() && formStyle_ != fsMDIChild) {
        // A form inside another control shows like any child window.
        TWinControl::SetVisible(visible);
        return;
    }
    if (visible && !Visible() && formStyle_ == fsMDIChild) {
        HWND window = Handle();
        TControl::SetVisible(true);
        ShowWindow(window, windowState_ == wsMinimized ? SW_SHOWMINNOACTIVE : SW_SHOW);
        if (HWND client = GetParent(window)) {
            SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
            if (windowState_ == wsMaximized) SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window), 0);
        }
        return;
    }
    if (visible && !Visible()) {
        HWND window = Handle();
        if (position_ == poScreenCenter || position_ == poDesktopCenter)
            SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
        TControl::SetVisible(true);
        ShowWindow(window, windowState_ == wsMinimized   ? SW_SHOWMINIMIZED
                           : windowState_ == wsMaximized ? SW_SHOWMAXIMIZED
                                                         : SW_SHOW);
        if (activeControl_ && activeControl_->HandleAllocated()) ::SetFocus(activeControl_->Handle());
        return;
    }
    TWinControl::SetVisible(visible);
}

void TForm::SetParent(TWinControl* parent)
{
    // A top-level window and a child window differ from their creation on
    // (style, owner, menu): the window is made again for its new place.
    if ((parent == nullptr) != (Parent() == nullptr) && HandleAllocated()) DestroyHandle();
    TWinControl::SetParent(parent);
}

void TForm::Close()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    // An MDI child cannot hide; it shrinks to an icon instead.
    TCloseAction action = formStyle_ != fsMDIChild ? caHide : InSet(borderIcons_, biMinimize) ? caMinimize : caNone;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (modal_) {
        if (modalResult_ == 0) modalResult_ = IDCANCEL;
        return;
    }
    if (IsMainForm()) {
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Release();
    }
}

void TForm::Release()
{
    if (HandleAllocated())
        PostMessageW(Handle(), CM_RELEASE, 0, 0);
    else
        Free(this);
}

bool TForm::IsMainForm() const
{
    return Application && Application->MainForm() == this;
}

int TForm::ShowModal()
{
    modalResult_ = 0;
    modal_ = true;
    // The other forms wait while this one is open.
    std::vector<HWND> disabled;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TForm* other = Screen->Forms(i);
        if (other != this && other->HandleAllocated() && IsWindowEnabled(other->Handle())) {
            EnableWindow(other->Handle(), FALSE);
            disabled.push_back(other->Handle());
        }
    }
    Show();
    MSG msg;
    while (modalResult_ == 0 && HandleAllocated() && IsWindow(Handle())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            if (modalResult_ == 0) modalResult_ = IDCANCEL;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HWND window : disabled)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    modal_ = false;
    Hide();
    return modalResult_;
}

void TForm::BringToFront()
{
    if (!HandleAllocated()) return;
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
}

void TForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control) control->FreeNotification(this);
    if (control && control->HandleAllocated() && HandleAllocated() && IsWindowVisible(Handle()) &&
        GetFocus() != control->Handle())
        ::SetFocus(control->Handle());
}

void TForm::SelectNext(bool forward)
{
    std::vector<TWinControl*> order;
    GetTabOrderList(order);
    order.erase(std::remove_if(order.begin(), order.end(),
                               [](TWinControl* c) { return !c->TabStop() || !c->CanFocus() || !c->HandleAllocated(); }),
                order.end());
    if (order.empty()) return;
    HWND focus = GetFocus();
    auto it = std::find_if(order.begin(), order.end(), [&](TWinControl* c) { return c->Handle() == focus || IsChild(c->Handle(), focus); });
    size_t index = 0;
    if (it != order.end()) {
        const size_t current = static_cast<size_t>(it - order.begin());
        index = forward ? (current + 1) % order.size() : (current + order.size() - 1) % order.size();
    }
    order[index]->SetFocus();
}

bool TForm::DialogKey(WPARAM key)
{
    switch (key) {
    case VK_TAB:
        SelectNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_ESCAPE:
    case VK_RETURN: {
        TButton* found = nullptr;
        ForEachControl(this, [&](TControl* c) {
            if (auto* button = As<TButton>(c); button && !found && button->Visible() && button->Enabled() &&
                                               (key == VK_ESCAPE ? button->Cancel() : button->Default()))
                found = button;
        });
        if (key == VK_RETURN)
            if (auto* focused = As<TButton>(FindControl(GetFocus()))) found = focused;
        if (!found) return false;
        found->Click();
        return true;
    }
    default:
        return false;
    }
}

void TForm::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_ERASEBKGND:
        EraseWithColor(message);
        return;
    case WM_CLOSE:
        Close();
        return;
    case WM_COMMAND:
        // Menu commands: identifiers are unique in the process, so the
        // item is found whichever menu (this form's, a popup's, an MDI
        // child's) it belongs to.
        if (message.lParam == 0 && HIWORD(message.wParam) == 0) {
            const UINT command = LOWORD(message.wParam);
            if (command >= kFirstMenuCommand && command < kMenuCommandLimit)
                if (TMenuItem* item = FindMenuItem(command)) {
                    item->Click();
                    return;
                }
        }
        break;
    case CM_MENUCHANGED:
        AttachMenu();
        return;
    case WM_NCDESTROY:
        clientHandle_ = nullptr;
        break;
    case WM_ACTIVATE:
        TWinControl::WndProc(message);
        if (LOWORD(message.wParam) == WA_INACTIVE) {
            if (OnDeactivate) OnDeactivate(this);
        } else {
            if (activeControl_ && activeControl_->HandleAllocated()) ::SetFocus(activeControl_->Handle());
            if (OnActivate) OnActivate(this);
        }
        return;
    case WM_SHOWWINDOW:
        TWinControl::WndProc(message);
        if (message.wParam) {
            if (OnShow) OnShow(this);
        } else if (OnHide) {
            OnHide(this);
        }
        return;
    case WM_SIZE:
        TWinControl::WndProc(message);
        if (OnResize) OnResize(this);
        return;
    case WM_PAINT:
        TWinControl::WndProc(message);
        if (OnPaint) OnPaint(this);
        return;
    case WM_DESTROY:
        // The main window going away ends the program.
        if (IsMainForm() && !IsDestroying()) Application->Terminate();
        break;
    case CM_FOCUSCHANGED:
        activeControl_ = reinterpret_cast<TWinControl*>(message.lParam);
        if (activeControl_) activeControl_->FreeNotification(this);
        return;
    case CM_DIALOGKEY:
        // The controls around the focus see the key first (a page control
        // turns pages on Ctrl+Tab); forms inside this one are passed over.
        for (TControl* c = IsChild(Handle(), GetFocus()) ? FindVCLWindow(GetFocus()) : nullptr; c && c != this;
             c = c->Parent())
            if (!c->Is<TForm>() && c->Perform(CM_DIALOGKEY, message.wParam, message.lParam) != 0) {
                message.result = 1;
                return;
            }
        message.result = DialogKey(message.wParam) ? 1 : 0;
        return;
    case CM_RELEASE:
        // Posted, so no handler of this form is running any more.
        Free(this);
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// ---- TScreen ------------------------------------------------------------------

const TClassInfo& TScreen::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TScreen", &TComponent::StaticClass());
    return info;
}

TScreen::TScreen() : TComponent(nullptr) {}

TForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount()) return nullptr;
    return forms_[static_cast<size_t>(index)];
}

TForm* TScreen::ActiveForm() const
{
    HWND active = GetActiveWindow();
    for (TForm* form : forms_)
        if (form->HandleAllocated() && form->Handle() == active) return form;
    return nullptr;
}

int TScreen::Width() const
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const
{
    return GetSystemMetrics(SM_CYSCREEN);
}

int TScreen::PixelsPerInch() const
{
    return ScreenPixelsPerInch();
}

TFont* TScreen::MenuFont()
{
    if (!menuFont_) {
        menuFont_ = std::make_unique<TFont>();
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            menuFont_->AssignLogFont(metrics.lfMenuFont);
    }
    return menuFont_.get();
}

void TScreen::AddForm(TForm* form)
{
    forms_.push_back(form);
}

void TScreen::RemoveForm(TForm* form)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

// ---- TApplication ---------------------------------------------------------------

const TClassInfo& TApplication::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TApplication>("TApplication", &TComponent::StaticClass(), [](PropRegistrar<TApplication>& p) {
            p.AnsiText("Title", &TApplication::Title, &TApplication::SetTitle);
            p.Boolean("ShowHint", &TApplication::ShowHint, &TApplication::SetShowHint);
        });
    return info;
}

TApplication::TApplication() : TComponent(nullptr), icon_(std::make_unique<TIcon>())
{
    icon_->OnChange = [this](TObject*) {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Icon()->Empty()) Screen->Forms(i)->Icon()->OnChange(nullptr);
    };
}

TApplication::~TApplication()
{
    DestroyForms();
    if (hintWindow_ && IsWindow(hintWindow_)) DestroyWindow(hintWindow_);
}

void TApplication::Initialize()
{
    // Apartment for the voice object and the other COM services.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitCommonControlsOnce();
}

void TApplication::FormCreated(TForm* form)
{
    try {
        form->AfterConstruction();
    } catch (...) {
        // A form that could not load is never created: it goes, unopened,
        // and its creator gets the error.
        Free(form);
        throw;
    }
    if (!mainForm_) {
        mainForm_ = form;
        form->FreeNotification(this);
        try {
            form->HandleNeeded();
        } catch (...) {
            HandleCurrentException(form);
        }
    }
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == mainForm_) mainForm_ = nullptr;
}

bool TApplication::IsDialogKeyMessage(MSG& msg)
{
    if (msg.message == WM_SYSCHAR || msg.message == WM_CHAR) {
        // Accelerator characters (Alt+letter, or a letter where the focused
        // control takes no characters) go to the form as CM_DIALOGCHAR.
        TWinControl* control = FindVCLWindow(msg.hwnd);
        if (!control) return false;
        if (msg.message == WM_CHAR &&
            (SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
             (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL)))
            return false;
        TWinControl* form = control->Is<TForm>() ? control : control->ParentForm();
        return form && form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
    }
    if (msg.message != WM_KEYDOWN) return false;
    switch (msg.wParam) {
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        break;
    default:
        return false;
    }
    TWinControl* control = FindVCLWindow(msg.hwnd);
    if (!control) return false;
    const LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    if (msg.wParam == VK_TAB && (code & DLGC_WANTTAB)) return false;
    TWinControl* form = control->Is<TForm>() ? control : control->ParentForm();
    return form && form->Perform(CM_DIALOGKEY, msg.wParam, msg.lParam) != 0;
}

bool TApplication::IsMDIMessage(MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (HWND client = Screen->Forms(i)->ClientHandle(); client && TranslateMDISysAccel(client, &msg)) return true;
    return false;
}

void TApplication::HandleMessage(MSG& msg)
{
    try {
        if (!IsMDIMessage(msg) && !IsDialogKeyMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::Run()
{
    if (!mainForm_) return;
    try {
        if (!mainForm_->Visible()) mainForm_->Show();
    } catch (...) {
        HandleException(mainForm_);
    }
    MSG msg;
    while (!terminated_ && mainForm_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            terminated_ = true;
            break;
        }
        HandleMessage(msg);
    }
}

bool TApplication::ProcessMessages()
{
    MSG msg;
    while (!terminated_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        HandleMessage(msg);
    }
    return !terminated_;
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::DestroyForms()
{
    for (int i = ComponentCount() - 1; i >= 0; i = std::min(i - 1, ComponentCount() - 1))
        if (auto* form = As<TForm>(Components(i))) Free(form);
    mainForm_ = nullptr;
    terminated_ = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
}

void TApplication::SetShowHint(bool value)
{
    showHint_ = value;
    if (hintWindow_) SendMessageW(hintWindow_, TTM_ACTIVATE, value, 0);
}

HWND TApplication::HintWindow()
{
    if (!showHint_) return nullptr;
    if (!hintWindow_ || !IsWindow(hintWindow_)) {
        InitCommonControlsOnce();
        hintWindow_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        if (hintWindow_) SendMessageW(hintWindow_, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    return hintWindow_;
}

void TApplication::ShowException(const std::string& message)
{
    ShowMessageBox(GetActiveWindow(), ErrorBoxText(message), title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* sender) noexcept
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return;
    std::string text;
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        text = "Unknown error";
    }
    try {
        if (OnException)
            OnException(sender, text);
        else
            ShowException(text);
    } catch (...) {
        // Nothing may leave the handler of last resort.
    }
}

}  // namespace quorvane
