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
    params.menuOrId = menu_ ? menu_->Handle() : nullptr;
    params.wrappedClass.clear();
}

void TForm::InitializeWindow()
{
    if (menu_) menu_->SetWindow(Handle());
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
    formStyle_ = style;
    UpdateWindowStyle();
}

void TForm::SetMenu(TMainMenu* menu)
{
    if (menu == menu_) return;
    menu_ = menu;
    if (menu) menu->FreeNotification(this);
    if (HandleAllocated()) {
        ::SetMenu(Handle(), menu ? menu->Handle() : nullptr);
        if (menu) menu->SetWindow(Handle());
        Perform(CM_MENUCHANGED, 0, 0);
    }
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == menu_) {
        if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
        menu_ = nullptr;
    }
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

void TForm::Close()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    TCloseAction action = caHide;
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
        if (message.lParam == 0) {
            const UINT command = LOWORD(message.wParam);
            if (menu_ && menu_->DispatchCommand(command)) return;
            for (int i = 0; i < ComponentCount(); ++i)
                if (auto* popup = As<TPopupMenu>(Components(i)); popup && popup->DispatchCommand(command)) return;
        }
        break;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam);
        if (measure && measure->CtlType == ODT_MENU) {
            for (int i = 0; i < ComponentCount(); ++i)
                if (auto* menu = As<TMenu>(Components(i)); menu && menu->MeasureItem(*measure)) {
                    message.result = TRUE;
                    return;
                }
        }
        break;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.lParam);
        if (draw && draw->CtlType == ODT_MENU) {
            for (int i = 0; i < ComponentCount(); ++i)
                if (auto* menu = As<TMenu>(Components(i)); menu && menu->DrawItem(*draw)) {
                    message.result = TRUE;
                    return;
                }
        }
        break;
    }
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

void TApplication::HandleMessage(MSG& msg)
{
    try {
        if (!IsDialogKeyMessage(msg)) {
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
