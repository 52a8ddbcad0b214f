// TWinSkinForm: the engine that skins one top-level window (a form, an MDI
// child or a bare system dialog). It replaces the window's non-client area
// (borders, title bar, caption buttons, menu bar) with pictures from the
// loaded skin, keeps the client area the same size inside the skin's frame,
// shapes the window region where the borders are transparent, takes over
// the caption-button and system-menu behaviour, and hands every control of
// the window to a control skinner.
//
// The skin manager creates engines, keeps them in its list and frees them.
// An engine works through the window procedure (a window subclass) and, for
// forms, also through the form object's message handler (WindowProc).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/controls.h"
#include "framework/subclass.h"
#include "framework/timer.h"
#include "skin/data/gdi_handles.h"
#include "skin/form/nc_objects.h"

namespace quorvane {

class TPopupMenu;
class TMenuItem;
class TSkinControl;
class TSkinData;
class TWinSkinMenu;

// What the engine is doing with its window.
enum TEngineState {
    esAttaching = 0,
    esSkinned = 1,
    esRefreshing = 3,
    esDetaching = 4,
    esFitting = 5,
    esDestroyed = 6,
};
enum TMdiKind { mkNone = 0, mkParent = 1, mkChild = 2 };
enum TFrameKind { fkSizeable = 0, fkSingle = 1, fkNoCaption = 2, fkDialog = 3 };
enum TEngineWindowState { ewsNormal = 0, ewsMaximized = 1, ewsMinimized = 2 };
// Bits of TWinSkinForm::BorderIcons.
inline constexpr unsigned kIconMaximize = 1u << 0;
inline constexpr unsigned kIconMinimize = 1u << 1;
inline constexpr unsigned kIconSystemMenu = 1u << 3;
inline constexpr unsigned kIconCaptionStripped = 1u << 4;

// The border parts of PaintBorderPart.
enum TBorderPart { bpLeft = 1, bpRight = 2, bpTop = 3, bpBottom = 4 };

class TWinSkinForm : public TComponent {
    QUORVANE_CLASS(TWinSkinForm)
public:
    // owner: the form object, or null for a bare window.
    explicit TWinSkinForm(TComponent* owner);
    ~TWinSkinForm() override;

    // ---- attaching (the manager sets the window first) ----------------------
    void SetWindow(HWND window) { window_ = window; }
    void AttachForm(TSkinData* skinData, TWinControl* form);
    void AttachWindow(TSkinData* skinData);
    void FinishSkinning();
    void LoadFrameGeometry();
    void FitWindowToFrame(bool refresh);
    // The resolved selection colours for a tree view's item drawing
    // notice; `result` is what the window's own handling answered.
    LRESULT AnswerTreeCustomDraw(NMHDR* header, LRESULT result) const;
    void FreeCaptionButtons();
    // Caption buttons for the skin's current descriptions (after a load
    // replaced them), without touching the frame widths.
    void LoadCaptionButtons();
    // Before a new skin's frame geometry is loaded: remembers the client
    // size the window must keep through the change (also the restored size
    // of a minimised window).
    void RememberClientSize();

    // ---- re-applying and taking off ------------------------------------------
    void ReapplySkin();
    void Unskin();
    // Everything in the window takes its (system) colours again and repaints.
    void NotifyColoursChanged();
    void ReleaseWindow();

    // ---- frame painting and region -------------------------------------------
    void PaintFrame(HDC dc);
    void PaintTitle(HDC dc);
    void PaintBorderPart(TBorderPart part, HDC dc, const RECT& rect);
    void UpdateRegion();
    void DropRegion();

    // ---- styles, coordinates, state ------------------------------------------
    void SetCaptionStyle(bool on);
    void SetSysMenuStyle(bool remove);
    POINT ScreenToFrame(POINT screenPoint) const;
    void ReadWindowState();
    bool IsChildMaximised() const;
    // MDI children: the children-maximised mode changed (see the manager).
    void ApplyChildrenMaximised(bool on);

    // ---- caption buttons and menu bar ----------------------------------------
    bool IsButtonVisible(size_t index);
    void LayoutCaptionButtons();
    void PaintCaptionButtons(HDC dc);
    TNCObject* HitTest(POINT framePoint);
    void DoButtonAction(POINT framePoint);
    void ToggleMaximize();
    void ToggleMinimize();
    void Restore();
    void ShowSystemMenu(POINT screenPoint);
    bool OpenMenuButton(TMenuBtn* button);
    // True while one of this window's drop-downs is being opened or is open:
    // the menu bar's buttons must stay where they are until it has closed.
    bool MenuLoopActive() const { return menuLoopDepth_ > 0; }
    // The form's main menu went away: the painted bar goes with it (at
    // once, or when the open drop-down has closed).
    void DropMenuBar();
    // A rebuild of the bar asked for while a drop-down is open, done when
    // it has closed.
    void QueueMenuRebuild(bool keepSystemValues);
    void SwitchToMenuButton(TMenuBtn* button);
    TMenuBtn* FindMenuAccelerator(WPARAM key);
    // Draws the window icon (or the icon bitmap) into rect of dc.
    void DrawWindowIcon(HDC dc, const RECT& rect);

    // ---- system menu and owner-drawn items -----------------------------------
    void BuildSystemMenu();
    // Skinners and replaced procedures go first, while the window lives.
    void BeforeDestruction() override;
    TPopupMenu* SystemMenuPopup() const { return systemMenuPopup_; }

    // ---- control skinners -----------------------------------------------------
    const std::vector<TSkinControl*>& Skinners() const { return skinners_; }
    void AddSkinner(TSkinControl* skinner);
    void RemoveSkinner(TSkinControl* skinner);
    TSkinControl* FindSkinner(HWND window) const;
    void FreeSkinners();
    // Frees the skinners whose window was destroyed, without detaching them.
    void FreeDeadSkinners();
    // Bare windows: the button skinner under the mouse (the hover timer
    // tells it when the mouse has gone).
    void SetHoveredSkinner(TSkinControl* skinner) { hoveredSkinner_ = skinner; }

    // ---- what the manager and the painters read --------------------------------
    HWND Window() const { return window_; }
    TSkinData* SkinData() const { return skinData_; }
    TWinControl* FormObject() const { return form_; }
    TWinSkinMenu* MenuBar() const { return menuBar_; }
    const std::vector<std::unique_ptr<TWinSysButton>>& CaptionButtons() const { return captionButtons_; }
    TCanvas* CanvasB() { return &canvasB_; }
    HBITMAP TitleBitmap() const { return titleBitmap_.get(); }

    int EngineState = esAttaching;
    // The window and its children paint the platform's default colours from
    // this engine's skin: set from the scan of its controls until unskinned.
    bool ServesColours = false;
    bool FrameSkinning = false;
    int FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;
    int MenuBarHeight = 0;
    bool MenuTracking = false;
    bool RightToLeft = false;
    bool SizeableBorder = false;
    bool UnicodeWindow = true;
    bool SystemDialog = false;
    bool ChildWindow = false;
    int MdiKind = mkNone;
    int FrameKind = fkSingle;
    unsigned BorderIcons = 0;
    int WindowState = ewsNormal;
    bool Active = true;
    TNCObject* HotObject = nullptr;
    // Left and right edge of the caption text (window coordinates), the
    // anchors of caption buttons aligned to the text.
    int CaptionAnchorLeft = 0, CaptionAnchorRight = 0;
    // The system's frame around the client before skinning (width and
    // height extra), to restore the outer size when unskinning.
    SIZE SystemFrameExtra{0, 0};
    HMENU WindowMenu = nullptr;
    HMENU SystemMenu = nullptr;
    HMENU TrackedPopup = nullptr;
    HWND MdiClient = nullptr;
    HWND OwnerWindow = nullptr;
    std::string ClassName;

    // The window procedure, stage by stage; public for the subclass objects.
    LRESULT FormWndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT MdiClientWndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The form object's message handler while frame skinning.
    void FormMessageHook(TMessage& message);
    void HoverTimer();
    // MDI frames: while the platform's MDI code may set the frame's title
    // (it calls the default window procedure of the frame directly, past
    // every subclass, and that paints the system's caption), the frame has
    // no caption style. Counted; the last release puts the style back and
    // paints the skinned title if the text changed.
    void HoldCaption();
    void ReleaseCaption();
    // False once the engine has been freed.
    std::shared_ptr<bool> Liveness() const { return alive_; }
    // The caption button or menu entry held down by the mouse, or null.
    TNCObject* PressedObject() const { return pressedObject_; }
    // Forgets the press (the object is going away, or the press ended).
    void ClearPressedObject();

private:
    class WindowHook : public WindowSubclass<WindowHook> {
    public:
        explicit WindowHook(TWinSkinForm& engine) : engine_(engine) {}
        using WindowSubclass::CallPrevious;

    protected:
        LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        TWinSkinForm& engine_;
    };
    class MdiClientHook : public WindowSubclass<MdiClientHook> {
    public:
        explicit MdiClientHook(TWinSkinForm& engine) : engine_(engine) {}
        using WindowSubclass::CallPrevious;

    protected:
        LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    private:
        TWinSkinForm& engine_;
    };

    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Stage1(UINT msg, WPARAM wParam, LPARAM lParam);
    // An MDI child's frame engine, or null.
    TWinSkinForm* MdiFrameEngine() const;
    LRESULT Stage2(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Stage3(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcActivate(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuChanged(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMenuChanged(const std::function<LRESULT()>& callDefault);
    LRESULT OnFrameMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    // The mouse while a caption button is held (captured): moves and the release.
    bool OnCapturedMouse(UINT msg, LPARAM lParam);
    void EndPress();
    void ApplyPendingMenuChange();
    // A menu bar for a menu the window was given after it was skinned.
    void AddMenuBar(HMENU menu);
    // A menu change that arrived while a drop-down was open, and the open
    // drop-down's owner-drawn marks given again.
    void ReMarkOpenDropDown();
    // The MDI bookkeeping of the manager that points at this frame is reset.
    void ForgetMdiFrame();
    // Minimised or maximised through a skin change: the restored rectangle
    // is resized so the restored client keeps its size.
    void RefitRestoredPlacement();
    LRESULT OnMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(UINT msg, WPARAM wParam, LPARAM lParam);
    void RememberMenuSelect(WPARAM wParam, LPARAM lParam);
    void RenderSmallIcon();
    HICON WindowIcon() const;
    bool IsMaximisedMdiChild() const { return MdiKind == mkChild && WindowState == ewsMaximized; }
    bool IsMinimisedMdiChild() const { return MdiKind == mkChild && WindowState == ewsMinimized; }
    void LightDetach();
    // First step of both ways of letting a window go: a light engine only
    // detaches (false); a frame engine drops its system menu copy and stops
    // the hover timer (true).
    bool BeginLettingGo();
    void RestoreProcedures();
    void RestoreMenus();
    void PaintCaptionText(HDC dc, int width);
    HFONT TitleFont();
    RECT MenuBand() const;

    HWND window_ = nullptr;
    TSkinData* skinData_ = nullptr;
    TWinControl* form_ = nullptr;
    WindowHook windowHook_{*this};
    MdiClientHook mdiClientHook_{*this};
    ScopedWindowProc formHook_;
    TTimer* hoverTimer_ = nullptr;
    TColor savedColor_ = 0;
    bool savedMenuUpdate_ = true;
    bool hadMenuAtAttach_ = false;
    bool setTextHandled_ = false;
    bool inMenuChanged_ = false;
    bool deferRegion_ = false;
    TNCObject* pressedObject_ = nullptr;
    bool captured_ = false;
    // Cleared when the engine is freed: code that returns from a modal menu
    // loop checks it before touching the engine again.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int menuLoopDepth_ = 0;
    bool menuRebuildPending_ = false;
    bool menuRebuildKeepsSystemValues_ = false;
    bool menuBarDropPending_ = false;
    // The system frame is measured once, when the window is taken over.
    bool systemFrameKnown_ = false;
    // Whether the skin's frame has been applied (FinishSkinning ran), so
    // unskinning takes that frame off again.
    bool frameApplied_ = false;
    // The client size kept through a skin change (cx < 0: none).
    SIZE keptClient_{-1, -1};
    SIZE keptRestoredClient_{-1, -1};
    // Drop-down menus whose items were made owner-drawn, to give back.
    std::vector<HMENU> ownerDrawnMenus_;
    DWORD lastRightClick_ = 0;
    UINT doubleClickTime_ = 500;
    int iconSize_ = 16;
    RECT windowRect_{0, 0, 0, 0};
    RECT clientRect_{0, 0, 0, 0};
    int windowWidth_ = 0, windowHeight_ = 0;
    int regionWidth_ = -1, regionHeight_ = -1;
    TPopupMenu* systemMenuPopup_ = nullptr;
    TWinSkinMenu* menuBar_ = nullptr;
    std::vector<std::unique_ptr<TWinSysButton>> captionButtons_;
    UniqueBitmap iconBitmap_;
    UniqueBitmap titleBitmap_;
    SIZE titleSize_{0, 0};
    TCanvas canvasA_;
    TCanvas canvasB_;
    UniqueFont titleFont_;
    std::vector<TSkinControl*> skinners_;
    TSkinControl* hoveredSkinner_ = nullptr;
    bool procedureExchanged_ = false;
    int captionHolds_ = 0;
    bool captionHeld_ = false;
    std::u16string heldTitle_;
};

}  // namespace quorvane
