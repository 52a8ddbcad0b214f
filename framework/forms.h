// Forms (top-level windows), the screen object and the application object.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"

namespace quorvane {

class TMainMenu;
class TMenuItem;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = unsigned;  // SetOf<TBorderIcon>
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TTileMode { tbHorizontal, tbVertical };

// Command identifiers the MDI client gives its children (and their entries
// in the window menu): above the system menu's SC_* commands.
inline constexpr UINT kFirstMDIChild = 0xFF00;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// An icon owned by a form or the application (DestroyIcon on release).
class TIcon : public TPersistent {
    QUORVANE_CLASS(TIcon)
public:
    TIcon() = default;
    ~TIcon() override;
    HICON Handle() const { return handle_; }
    // Takes ownership of `icon`.
    void SetHandle(HICON icon);
    void Assign(const TIcon& other);  // copies the picture
    bool Empty() const { return handle_ == nullptr; }
    TNotifyEvent OnChange;

private:
    HICON handle_ = nullptr;
};

class TForm : public TWinControl {
    QUORVANE_CLASS(TForm)
public:
    // The form starts loading: set the stored properties, then call
    // EndLoading (TApplication::CreateForm does), which sends Loaded and then
    // runs OnCreate.
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TIcon* Icon() const { return icon_.get(); }
    // The menu bar. Any change of the menu sends CM_MENUCHANGED to the
    // window; the form answers by attaching the menu again (SetMenu) and
    // redrawing the bar, also after someone took the bar off the window.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    // MDI. An fsMDIForm window has a platform MDI client (ClientHandle)
    // filling the client area the aligned controls leave; its default
    // handling is DefFrameProcW. An fsMDIChild form is a child of the MDI
    // form's client (WS_EX_MDICHILD), handled by DefMDIChildProcW; the MDI
    // form is the main form when that is an MDI form, else the first one.
    HWND ClientHandle() const { return clientHandle_; }
    TForm* ActiveMDIChild() const;
    int MDIChildCount() const;
    TForm* MDIChildren(int index) const;  // in the client's z-order, top first
    void Cascade();
    void Tile();  // by TileMode
    void ArrangeIcons();
    void Next();
    void Previous();
    TTileMode TileMode() const { return tileMode_; }
    void SetTileMode(TTileMode mode) { tileMode_ = mode; }
    // The sub-menu that lists the MDI children (the client adds their
    // entries at its end).
    TMenuItem* WindowMenu() const { return windowMenu_; }
    void SetWindowMenu(TMenuItem* item);
    // Read from the window once it exists; set before, it applies when shown.
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }

    // Close asks OnCloseQuery and OnClose; the main form's close ends the
    // application's message loop. Release frees the form once the current
    // message is done.
    void Close();
    void Release();
    bool IsMainForm() const;
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    // Brings the form to the front and activates it.
    void BringToFront();
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    int ClientWidth() const override;
    int ClientHeight() const override;

    // Ends loading (Loaded on the form, then its components) and runs
    // OnCreate; once. TApplication::CreateForm calls it; a form made with
    // new must call it after construction. An exception from a Loaded ends
    // it there and goes to the caller; OnCreate does not run.
    void AfterConstruction();
    // Runs OnCreate; an exception ends OnCreate and shows the error box.
    void DoCreate();
    void BeforeDestruction() override;
    void SetVisible(bool visible) override;
    // With a parent the form is a child window inside that control.
    void SetParent(TWinControl* parent) override;
    // Focus to the next (or previous) control in tab order.
    void SelectNext(bool forward);
    void WndProc(TMessage& message) override;
    // DefFrameProcW for an MDI form, DefMDIChildProcW for an MDI child.
    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnResize;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void DestroyWindowHandle() override;
    void ClientAreaAligned(const RECT& rest) override;
    void BiDiModeChanged() override;

private:
    void UpdateIcon();
    void UpdateWindowStyle();
    bool DialogKey(WPARAM key);
    void AttachMenu();
    void CreateMDIClient();
    // The form whose MDI client holds this MDI child's window.
    TForm* MDIParentForm() const;

    TBorderIcons borderIcons_ = SetOf({biSystemMenu, biMinimize, biMaximize});
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    std::unique_ptr<TIcon> icon_;
    TMainMenu* menu_ = nullptr;
    TMenuItem* windowMenu_ = nullptr;
    HWND clientHandle_ = nullptr;
    TTileMode tileMode_ = tbHorizontal;
    TWinControl* activeControl_ = nullptr;
    bool keyPreview_ = false;
    bool created_ = false;
    bool modal_ = false;
    int modalResult_ = 0;
};

class TScreen : public TComponent {
    QUORVANE_CLASS(TScreen)
public:
    TScreen();

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TForm* Forms(int index) const;
    TForm* ActiveForm() const;
    int Width() const;   // primary screen, pixels
    int Height() const;
    int PixelsPerInch() const;
    // The platform's menu font (from the non-client metrics).
    TFont* MenuFont();

private:
    friend class TForm;
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);

    std::vector<TForm*> forms_;  // creation order
    std::unique_ptr<TFont> menuFont_;
};

class TApplication : public TComponent {
    QUORVANE_CLASS(TApplication)
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    // Creates a form owned by the application and finishes its loading
    // (Loaded, then OnCreate). The first one becomes MainForm. When a Loaded
    // throws, the form is freed without its window ever opening and the
    // exception goes to the caller.
    template <class T, class... Args>
    T* CreateForm(Args&&... args)
    {
        T* form = new T(this, std::forward<Args>(args)...);
        FormCreated(form);
        return form;
    }
    // Shows the main form and runs the message loop until it closes or
    // Terminate is called.
    void Run();
    // Handles every waiting message; answers false once terminating.
    bool ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Frees every form the application owns (each one's OnDestroy runs),
    // and makes the application ready for a new main form.
    void DestroyForms();

    TForm* MainForm() const { return mainForm_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    TIcon* Icon() const { return icon_.get(); }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    // The tooltip window that shows control hints (created on first use;
    // null while hints are off).
    HWND HintWindow();
    HWND ExistingHintWindow() const { return hintWindow_; }

    // The standard error box for an exception: caption Title, stop icon, OK.
    void ShowException(const std::string& message);
    // The exception in flight (call from a catch block).
    void HandleException(TObject* sender) noexcept;
    std::function<void(TObject* sender, const std::string& message)> OnException;

    void Notification(TComponent* component, TOperation operation) override;

private:
    void FormCreated(TForm* form);
    bool IsDialogKeyMessage(MSG& msg);
    // The MDI keys (Ctrl+F4, Ctrl+F6...) of an MDI form's children.
    bool IsMDIMessage(MSG& msg);
    void HandleMessage(MSG& msg);

    TForm* mainForm_ = nullptr;
    std::string title_ = "Quorvane";
    std::unique_ptr<TIcon> icon_;
    bool terminated_ = false;
    bool showHint_ = true;
    HWND hintWindow_ = nullptr;
};

// The error box text: the message with a full stop appended when its last
// character sorts after ".".
std::string ErrorBoxText(const std::string& message);

extern TApplication* Application;
extern TScreen* Screen;

}  // namespace quorvane
