// TSkinManage: the one skin manager of the process. Its WH_CBT hook sees
// every window that is created, activated or destroyed on the UI thread; it
// decides which windows get a form engine and with which skin data, keeps
// the engines, runs the skin data components' requests (skin all, unskin
// all, skin changed) after a short delay, and subclasses every popup menu
// window ("#32768") to paint its background and border from the skin.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/subclass.h"
#include "framework/timer.h"
#include "skin/data/gdi_handles.h"

namespace quorvane {

class TControl;
class TSkinData;
class TWinControl;
class TWinSkinForm;

// Requests the manager carries out from its timer.
enum TSkinCommand {
    scNone = 0,
    scSkinAll = 1,
    scUnskinAll = 2,
    scSkinChanged = 3,
    scFreeReleased = 6,
    scReskinWindow = 7,
};
// What kind of popup menu opens next.
enum TMenuKind { mkPopupMenu = 0, mkWindowMenu = 1, mkSystemMenu = 2 };

// One popup menu window, subclassed while it lives.
class TWinSkinPopMenu : public WindowSubclass<TWinSkinPopMenu> {
public:
    void Subclass(HWND window, TSkinData* skinData);
    void Unsubclass();

    HWND Window = nullptr;
    TSkinData* SkinData = nullptr;
    // The painted background of the whole window.
    UniqueBitmap Background;
    HMENU MenuHandle = nullptr;
    POINT ClientOffset{3, 3};

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool BuildBackground();
};

// Answers the platform's default colours for every window inside a skinned
// window from that window's skin (see SystemColourSource).
class SkinColourSource : public SystemColourSource {
public:
    bool ResolveSystemColour(HWND window, int index, COLORREF& colour) const override;
};

class TSkinManage {
public:
    TSkinManage();
    ~TSkinManage();
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    // The manager, or null before the first skin data loaded.
    static TSkinManage* Instance();
    static TSkinManage& Create();
    // Frees the manager (the last skin data went, or the program ends).
    static void Destroy();

    void InstallHook();
    void RegisterSkinData(TSkinData* skinData);
    void UnregisterSkinData(TSkinData* skinData);
    void PostCommand(int command, UINT delay);
    void SetCommandSkinData(TSkinData* skinData) { commandSkinData_ = skinData; }
    TSkinData* CommandSkinData() const { return commandSkinData_; }
    TSkinData* MainSkinData() const { return mainSkinData_; }
    const std::vector<TSkinData*>& SkinDatas() const { return skinDatas_; }
    int PendingCommand() const { return pendingCommand_; }
    // Runs the pending command now (the timer does this after its delay).
    void RunPendingCommand();

    // Attaches an engine when the rules allow it; the engine finishes on
    // WM_SKINSTART, or at once when beforeShow (the caller finishes it).
    bool SkinWindow(HWND window, bool beforeShow = false);
    // A window about to be shown for the first time: skinned completely now.
    void SkinWindowBeforeShow(HWND window);
    void SkinForm(TWinControl* form);
    TWinSkinForm* FindEngine(HWND window) const;
    const std::vector<TWinSkinForm*>& Engines() const { return engines_; }
    void Tidy();
    void RemoveEngine(TWinSkinForm* engine);
    void SetChildrenMaximised(bool on);
    void ReleaseCaptionButtons(TSkinData* skinData);
    // Every engine using skinData reloads its frame geometry and skin.
    void ReloadSkin(TSkinData* skinData);

    void SkinPopupWindow(HWND window);
    void ReleasePopupWindow(HWND window);
    bool IsPopupWindow(HWND window) const;
    void BindPopupMenu(HMENU menu);
    // clientOffset receives where the popup's client area starts in it.
    HBITMAP PopupBackground(HMENU menu, POINT* clientOffset = nullptr) const;
    TSkinData* ChooseSkinData(HWND window) const;
    bool AskFormSkin(HWND window, const std::string& className) const;
    static TControl* FindFormObject(HWND window);

    bool Active = false;
    bool AllowChildren = false;
    int Started = 0;
    int MenuKind = mkPopupMenu;
    bool DropDownOpen = false;
    bool ChildrenMaximised = false;
    HWND MdiClient = nullptr;
    TWinControl* MdiFrameForm = nullptr;
    HWND ReskinWindow = nullptr;
    bool HasForms = false;

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void OnCbt(int code, WPARAM wParam, LPARAM lParam);
    void CommandTimer();
    void FreeEngine(TWinSkinForm* engine);
    void UnskinEngine(TWinSkinForm* engine);

    std::unique_ptr<TTimer> timer_;
    SkinColourSource colourSource_;
    HHOOK hook_ = nullptr;
    std::vector<TWinSkinForm*> engines_;
    std::vector<std::unique_ptr<TWinSkinPopMenu>> popups_;
    std::vector<TSkinData*> skinDatas_;
    int pendingCommand_ = scNone;
    TSkinData* commandSkinData_ = nullptr;
    TSkinData* mainSkinData_ = nullptr;
};

}  // namespace quorvane
