#include "skin/form/skin_manager.h"

#include <algorithm>
#include <cctype>

#include "framework/forms.h"
#include "framework/message_box.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_manager_link.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

TSkinManage* g_manager = nullptr;

std::string ClassNameOf(HWND window)
{
    WCHAR name[101] = {};
    const int length = GetClassNameW(window, name, 101);
    return Utf16ToUtf8(name, length);
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Waits for a window's first WM_SHOWWINDOW, which comes before the window
// becomes visible, to skin it completely before anything of it is seen.
class PendingShow : public WindowSubclass<PendingShow> {
public:
    explicit PendingShow(HWND window) : target(window) {}
    HWND target;
    bool busy = false;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != WM_SHOWWINDOW || !wParam || lParam != 0) return CallPrevious(msg, wParam, lParam);
        busy = true;
        Detach();
        if (TSkinManage* manager = TSkinManage::Instance()) manager->SkinWindowBeforeShow(target);
        const LRESULT result = CallPrevious(msg, wParam, lParam);
        busy = false;
        return result;
    }
};

std::vector<std::unique_ptr<PendingShow>>& PendingWindows()
{
    static auto* pending = new std::vector<std::unique_ptr<PendingShow>>;
    return *pending;
}

void WaitForShow(HWND window)
{
    auto pending = std::make_unique<PendingShow>(window);
    if (pending->Attach(window)) PendingWindows().push_back(std::move(pending));
}

// Forgets the pending entries of a window that goes away.
void ForgetPending(HWND window)
{
    auto& list = PendingWindows();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [window](const auto& p) { return p->target == window && !p->busy; }),
               list.end());
}

}  // namespace

// ---- TWinSkinPopMenu --------------------------------------------------------------

void TWinSkinPopMenu::Subclass(HWND window, TSkinData* skinData)
{
    Window = window;
    SkinData = skinData;
    MenuHandle = nullptr;
    Attach(window);
}

void TWinSkinPopMenu::Unsubclass()
{
    Detach();
    Background.reset();
}

bool TWinSkinPopMenu::BuildBackground()
{
    if (!SkinData || SkinData->NotLoaded() || !SkinData->MenuBackground ||
        IsEmptyBitmap(SkinData->MenuBackground->Bitmap))
        return false;
    RECT rect{};
    if (!GetWindowRect(Window, &rect)) return false;
    POINT origin{0, 0};
    ClientToScreen(Window, &origin);
    ClientOffset = POINT{origin.x - rect.left, origin.y - rect.top};
    const TDataSkinObject& element = *SkinData->MenuBackground;
    Background = NinePartPicture(SIZE{rect.right - rect.left, rect.bottom - rect.top}, element.Bitmap.get(),
                                 element.Margins(), false, element.Tile == 1, 1, 1);
    return static_cast<bool>(Background);
}

LRESULT TWinSkinPopMenu::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SKINQUERY) return 1;
    TSkinManage* manager = TSkinManage::Instance();
    if (!manager || !manager->Active) return CallPrevious(msg, wParam, lParam);
    switch (msg) {
    case WM_DESTROY:
        Unsubclass();
        return CallPrevious(msg, wParam, lParam);
    case WM_ERASEBKGND:
        if (!SkinData || !InSet(SkinData->Options(), xoMenuBG)) CallPrevious(msg, wParam, lParam);
        return 1;
    case WM_NCPAINT: {
        if (!BuildBackground()) return CallPrevious(msg, wParam, lParam);
        const DWORD flags = DCX_WINDOW | DCX_USESTYLE | (wParam > 1 ? DCX_INTERSECTRGN : 0);
        HRGN region = wParam > 1 ? reinterpret_cast<HRGN>(wParam) : nullptr;
        UniqueWindowDc dc(Window, GetDCEx(Window, region, flags));
        if (dc) {
            UniqueMemoryDc source = UniqueMemoryDc::Compatible();
            SelectGuard select(source.get(), Background.get());
            const SIZE size = BitmapSize(Background.get());
            BitBlt(dc.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
        }
        return 0;
    }
    case WM_PAINT: {
        // Where the platform draws a popup's frame inside its client area,
        // the skin's picture goes over everything the items do not cover.
        const LRESULT result = CallPrevious(msg, wParam, lParam);
        if (!BuildBackground()) return result;
        if (!MenuHandle) MenuHandle = reinterpret_cast<HMENU>(SendMessageW(Window, 0x01E1 /* MN_GETHMENU */, 0, 0));
        UniqueWindowDc dc = UniqueWindowDc::Client(Window);
        if (!dc) return result;
        RECT client{};
        GetClientRect(Window, &client);
        const int count = MenuHandle ? GetMenuItemCount(MenuHandle) : 0;
        for (int i = 0; i < count; ++i) {
            RECT item{};
            if (!GetMenuItemRect(nullptr, MenuHandle, static_cast<UINT>(i), &item)) continue;
            MapWindowPoints(nullptr, Window, reinterpret_cast<POINT*>(&item), 2);
            ExcludeClipRect(dc.get(), item.left, item.top, item.right, item.bottom);
        }
        UniqueMemoryDc source = UniqueMemoryDc::Compatible();
        SelectGuard select(source.get(), Background.get());
        BitBlt(dc.get(), 0, 0, client.right, client.bottom, source.get(), ClientOffset.x, ClientOffset.y, SRCCOPY);
        return result;
    }
    case WM_PRINT: {
        if (!BuildBackground()) return CallPrevious(msg, wParam, lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        {
            UniqueMemoryDc source = UniqueMemoryDc::Compatible();
            SelectGuard select(source.get(), Background.get());
            const SIZE size = BitmapSize(Background.get());
            BitBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
        }
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        RECT rect{};
        GetWindowRect(Window, &rect);
        UniqueRegion clip(CreateRectRgn(3, 3, rect.right - rect.left - 3, rect.bottom - rect.top - 3));
        SelectClipRgn(dc, clip.get());
        const LRESULT result = CallPrevious(msg, wParam, lParam);
        SelectClipRgn(dc, nullptr);
        SetBkMode(dc, oldMode);
        return result;
    }
    default:
        return CallPrevious(msg, wParam, lParam);
    }
}

// ---- the manager ------------------------------------------------------------------------

TSkinManage* TSkinManage::Instance()
{
    return g_manager;
}

TSkinManage& TSkinManage::Create()
{
    if (!g_manager) g_manager = new TSkinManage;
    return *g_manager;
}

void TSkinManage::Destroy()
{
    TSkinManage* manager = g_manager;
    if (!manager) return;
    delete manager;
    g_manager = nullptr;
}

TSkinManage::TSkinManage() : timer_(std::make_unique<TTimer>(nullptr))
{
    timer_->SetEnabled(false);
    timer_->SetInterval(100);
    timer_->OnTimer = [this](TObject*) { CommandTimer(); };
    SetSystemColourSource(&colourSource_);
}

TSkinManage::~TSkinManage()
{
    Started = 4;
    Active = false;
    if (CurrentSystemColourSource() == &colourSource_) SetSystemColourSource(nullptr);
    timer_.reset();
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    auto& pending = PendingWindows();
    pending.erase(std::remove_if(pending.begin(), pending.end(), [](const auto& p) { return !p->busy; }), pending.end());
    while (!engines_.empty()) {
        TWinSkinForm* engine = engines_.back();
        engines_.pop_back();
        engine->ReleaseWindow();
        Free(engine);
    }
    for (auto& popup : popups_) popup->Unsubclass();
    popups_.clear();
}

void TSkinManage::InstallHook()
{
    if (!hook_) hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

void TSkinManage::RegisterSkinData(TSkinData* skinData)
{
    if (!skinData || std::find(skinDatas_.begin(), skinDatas_.end(), skinData) != skinDatas_.end()) return;
    skinDatas_.push_back(skinData);
    if (!mainSkinData_ && skinData->SkinFormtype() == sfMainform) mainSkinData_ = skinData;
}

void TSkinManage::UnregisterSkinData(TSkinData* skinData)
{
    skinDatas_.erase(std::remove(skinDatas_.begin(), skinDatas_.end(), skinData), skinDatas_.end());
    if (mainSkinData_ == skinData) mainSkinData_ = nullptr;
    if (commandSkinData_ == skinData) commandSkinData_ = nullptr;
    // Engines painting with this skin data cannot outlive it.
    std::vector<TWinSkinForm*> users;
    for (TWinSkinForm* engine : engines_)
        if (engine->SkinData() == skinData) users.push_back(engine);
    for (TWinSkinForm* engine : users) {
        RemoveEngine(engine);
        if (engine->Window() && IsWindow(engine->Window()) && engine->EngineState != esDestroyed)
            engine->Unskin();
        Free(engine);
    }
    for (auto it = popups_.begin(); it != popups_.end();)
        if ((*it)->SkinData == skinData) {
            (*it)->Unsubclass();
            it = popups_.erase(it);
        } else {
            ++it;
        }
}

void TSkinManage::PostCommand(int command, UINT delay)
{
    pendingCommand_ = command;
    timer_->SetInterval(delay);
    if (Started != 0) {
        timer_->SetEnabled(true);
    } else if (command == scSkinAll || command == scUnskinAll) {
        // Nothing has been shown yet: the windows are skinned as they appear.
        Active = command == scSkinAll;
    }
}

void TSkinManage::RunPendingCommand()
{
    CommandTimer();
}

LRESULT CALLBACK TSkinManage::CbtHook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    TSkinManage* manager = g_manager;
    if (manager) {
        try {
            manager->OnCbt(code, wParam, lParam);
        } catch (...) {
            HandleCurrentException(nullptr);
        }
    }
    return CallNextHookEx(manager ? manager->hook_ : nullptr, code, wParam, lParam);
}

void TSkinManage::OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    switch (code) {
    case HCBT_CREATEWND: {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        const LONG style = create && create->lpcs ? create->lpcs->style : static_cast<LONG>(GetWindowLongPtrW(window, GWL_STYLE));
        const DWORD exStyle = create && create->lpcs ? create->lpcs->dwExStyle : static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
        const std::string className = ClassNameOf(window);
        const bool ours =
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)) == GetModuleHandleW(nullptr);
        if ((style & WS_CHILD) && className == "ScrollBar" && (style & SBS_SIZEGRIP)) {
            // A size grip: its parent's engine skins it as a bare child window.
            if (TWinSkinForm* engine = FindEngine(GetParent(window))) SkinChildWindow(engine, window);
        } else if (!(style & WS_CHILD) && className == "#32768") {
            SkinPopupWindow(window);
        } else if (exStyle & WS_EX_MDICHILD) {
            // A child of our own framework is bound to its control object
            // only once it exists: it is skinned when first shown.
            if (ours && Active)
                WaitForShow(window);
            else
                SkinWindow(window);
        } else if (!(style & WS_CHILD) && Active && (ours || className == "#32770") && className != "tooltips_class32") {
            // A top-level window of ours, or a system dialog, is skinned at
            // its first show, before it is seen; activation skins the rest.
            WaitForShow(window);
        }
        break;
    }
    case HCBT_DESTROYWND:
        ReleasePopupWindow(window);
        ForgetPending(window);
        break;
    case HCBT_ACTIVATE:
        if (Started == 0) Started = 1;
        SkinWindow(window);
        break;
    default:
        break;
    }
}

void TSkinManage::SkinWindowBeforeShow(HWND window)
{
    // Refused now, the window may still be skinned when it is activated.
    if (Started == 0) Started = 1;
    if (SkinWindow(window, true)) {
        if (TWinSkinForm* engine = FindEngine(window); engine && engine->EngineState == esAttaching)
            engine->FinishSkinning();
    }
}

TControl* TSkinManage::FindFormObject(HWND window)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (TForm* form = Screen->Forms(i); form->WindowHandle() == window) return form;
    return FindControl(window);
}

bool TSkinManage::SkinWindow(HWND window, bool beforeShow)
{
    if (!Active || !window || !IsWindow(window)) return false;
    Tidy();
    if (FindEngine(window) || SendMessageW(window, WM_SKINQUERY, 0, 0) == 1) return false;
    TControl* control = FindFormObject(window);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const std::string className = ClassNameOf(window);
    if ((style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD)) {
        HWND parent = GetParent(window);
        if (!AllowChildren && !(parent && Lower(ClassNameOf(parent)) == "mdiclient")) return false;
    }
    const bool ours = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)) == GetModuleHandleW(nullptr);
    if (!control && !ours && className != "#32770") return false;
    RECT rect{};
    GetWindowRect(window, &rect);
    const bool empty = rect.right <= rect.left || rect.bottom <= rect.top;
    if (empty && !(exStyle & WS_EX_MDICHILD)) return false;
    if (control && control->Tag() == 99) return false;
    if (className.find("TcxPopupEditPopupWindow") != std::string::npos || className == "TApplication") return false;
    if (!AskFormSkin(window, className)) return false;
    TSkinData* skinData = ChooseSkinData(window);
    if (!skinData || skinData->NotLoaded()) return false;

    auto* engine = new TWinSkinForm(control);
    engine->SetWindow(window);
    if (auto* form = As<TWinControl>(control))
        engine->AttachForm(skinData, form);
    else
        engine->AttachWindow(skinData);
    engines_.push_back(engine);
    if (!beforeShow) PostMessageW(window, WM_SKINSTART, 0, kSkinStartParam);
    return true;
}

void TSkinManage::SkinForm(TWinControl* form)
{
    if (!form || !form->Visible() || !form->HandleAllocated()) return;
    HWND window = form->WindowHandle();
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) return;
    SkinWindow(window);
}

bool SkinColourSource::ResolveSystemColour(HWND window, int index, COLORREF& colour) const
{
    TSkinManage* manager = TSkinManage::Instance();
    if (!manager) return false;
    // The nearest skinned window at or above this one decides (an MDI child
    // before its frame).
    const HWND desktop = GetDesktopWindow();
    for (HWND w = window; w && w != desktop; w = GetAncestor(w, GA_PARENT)) {
        TWinSkinForm* engine = manager->FindEngine(w);
        if (!engine) continue;
        if (!engine->ServesColours || !engine->SkinData()) return false;
        return engine->SkinData()->Colours.SystemColour(index, colour);
    }
    return false;
}

TWinSkinForm* TSkinManage::FindEngine(HWND window) const
{
    for (TWinSkinForm* engine : engines_)
        if (engine->Window() == window && engine->EngineState != esDestroyed) return engine;
    return nullptr;
}

void TSkinManage::Tidy()
{
    if (Started == 4) return;
    std::vector<TWinSkinForm*> released;
    for (TWinSkinForm* engine : engines_)
        if (engine->EngineState == esDestroyed) released.push_back(engine);
    for (TWinSkinForm* engine : released) FreeEngine(engine);
}

void TSkinManage::RemoveEngine(TWinSkinForm* engine)
{
    engines_.erase(std::remove(engines_.begin(), engines_.end(), engine), engines_.end());
}

void TSkinManage::FreeEngine(TWinSkinForm* engine)
{
    RemoveEngine(engine);
    Free(engine);
}

void TSkinManage::UnskinEngine(TWinSkinForm* engine)
{
    HWND window = engine->Window();
    engine->Unskin();
    FreeEngine(engine);
    if (window && IsWindow(window)) {
        InvalidateRect(window, nullptr, TRUE);
        RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void TSkinManage::SetChildrenMaximised(bool on)
{
    if (on == ChildrenMaximised) return;
    ChildrenMaximised = on;
    for (TWinSkinForm* engine : std::vector<TWinSkinForm*>(engines_))
        if (engine->MdiKind == mkChild && engine->SkinData() && !InSet(engine->SkinData()->Options(), xoMDIChildBorder))
            engine->ApplyChildrenMaximised(on);
}

void TSkinManage::ReleaseCaptionButtons(TSkinData* skinData)
{
    for (TWinSkinForm* engine : engines_)
        if (engine->SkinData() == skinData) engine->FreeCaptionButtons();
}

void TSkinManage::ReloadSkin(TSkinData* skinData)
{
    // Only the caption buttons, whose descriptions the load replaced: the
    // frame widths change when the windows are refitted, so a frame
    // recalculated in between still gives the client its old size.
    for (TWinSkinForm* engine : engines_)
        if (engine->SkinData() == skinData) engine->LoadCaptionButtons();
}

void TSkinManage::CommandTimer()
{
    timer_->SetEnabled(false);
    TSkinData* skinData = commandSkinData_;
    if (!skinData) return;
    const int command = pendingCommand_;
    pendingCommand_ = scNone;
    if (skinData->SkinFormtype() == sfOnlyThisForm) {
        auto* form = As<TWinControl>(skinData->Owner());
        TWinSkinForm* engine = nullptr;
        for (TWinSkinForm* each : engines_)
            if (each->SkinData() == skinData) engine = each;
        switch (command) {
        case scSkinAll:
            Active = true;
            AllowChildren = true;
            SkinForm(form);
            AllowChildren = false;
            break;
        case scUnskinAll:
            Active = false;
            Tidy();
            if (engine && engine->EngineState != esDestroyed) UnskinEngine(engine);
            break;
        case scSkinChanged:
            Tidy();
            if (engine && engine->EngineState != esDestroyed) {
                engine->RememberClientSize();
                engine->LoadFrameGeometry();
                engine->ReapplySkin();
            }
            break;
        case scFreeReleased:
            Tidy();
            break;
        default:
            return;
        }
    } else {
        switch (command) {
        case scSkinAll:
            Active = true;
            AllowChildren = true;
            Tidy();
            for (int i = Screen->FormCount() - 1; i >= 0; --i) SkinForm(Screen->Forms(i));
            AllowChildren = false;
            break;
        case scUnskinAll:
            Active = false;
            Tidy();
            while (!engines_.empty()) UnskinEngine(engines_.front());
            break;
        case scSkinChanged: {
            Tidy();
            std::vector<TWinSkinForm*> users;
            for (TWinSkinForm* engine : engines_)
                if (engine->SkinData() == skinData) users.push_back(engine);
            // Every window keeps its client size: measured with the frame
            // it has now, before any of them takes the new one.
            for (TWinSkinForm* engine : users) engine->RememberClientSize();
            for (TWinSkinForm* engine : users) engine->LoadFrameGeometry();
            for (TWinSkinForm* engine : users)
                if (std::find(engines_.begin(), engines_.end(), engine) != engines_.end()) engine->ReapplySkin();
            break;
        }
        case scFreeReleased:
            Tidy();
            break;
        case scReskinWindow:
            if (TWinSkinForm* engine = FindEngine(ReskinWindow)) {
                engine->Unskin();
                engine->EngineState = esDestroyed;
                Tidy();
                SkinWindow(ReskinWindow);
            }
            return;
        default:
            return;
        }
    }
    // The handler may free the skin data, and with the last one the
    // manager itself: nothing of the manager is touched after it.
    commandSkinData_ = nullptr;
    skinData->NotifySkinChanged();
}

TSkinData* TSkinManage::ChooseSkinData(HWND window) const
{
    TSkinData* chosen = nullptr;
    for (TSkinData* data : skinDatas_)
        if (data->SkinFormtype() == sfOnlyThisForm)
            if (auto* form = As<TWinControl>(data->Owner()); form && form->WindowHandle() == window) chosen = data;
    if (chosen) return chosen;
    const std::string className = Lower(ClassNameOf(window));
    if (className == "tmessageform" || className == "#32770") {
        for (TSkinData* data : skinDatas_)
            if (data->SkinFormtype() == sfDialog) chosen = data;
        if (chosen) return chosen;
    }
    for (TSkinData* data : skinDatas_)
        if (data->SkinFormtype() == sfMainform) chosen = data;
    if (chosen) return chosen;
    return skinDatas_.empty() ? nullptr : skinDatas_.front();
}

bool TSkinManage::AskFormSkin(HWND window, const std::string& className) const
{
    bool doSkin = true;
    if (mainSkinData_) {
        if (!InSet(mainSkinData_->Options(), xoPreview) && Lower(className).find("preview") != std::string::npos)
            doSkin = false;
        mainSkinData_->FormSkinFilter(FindFormObject(window), className, doSkin);
    }
    return doSkin;
}

// ---- popup menu windows ------------------------------------------------------------------

void TSkinManage::SkinPopupWindow(HWND window)
{
    if (!Active || !window || IsPopupWindow(window)) return;
    TSkinData* skinData = ChooseSkinData(window);
    if (!skinData || skinData->NotLoaded()) return;
    const TSkinControlTypes kinds = skinData->SkinControls();
    switch (MenuKind) {
    case mkPopupMenu:
        if (!InSet(kinds, xcPopupMenu)) return;
        break;
    case mkWindowMenu:
        if (!InSet(kinds, xcMainMenu) && !InSet(kinds, xcMenuItem)) return;
        break;
    case mkSystemMenu:
        if (!InSet(kinds, xcSystemMenu)) return;
        break;
    default:
        break;
    }
    auto popup = std::make_unique<TWinSkinPopMenu>();
    popup->Subclass(window, skinData);
    popups_.push_back(std::move(popup));
}

void TSkinManage::ReleasePopupWindow(HWND window)
{
    auto it = std::find_if(popups_.begin(), popups_.end(), [window](const auto& p) { return p->Window == window; });
    if (it == popups_.end()) return;
    (*it)->Unsubclass();
    popups_.erase(it);
    if (popups_.empty()) {
        MenuKind = mkPopupMenu;
        DropDownOpen = false;
    }
}

bool TSkinManage::IsPopupWindow(HWND window) const
{
    return std::any_of(popups_.begin(), popups_.end(), [window](const auto& p) { return p->Window == window; });
}

void TSkinManage::BindPopupMenu(HMENU menu)
{
    if (!menu) return;
    for (const auto& popup : popups_)
        if (popup->MenuHandle == menu) return;
    for (auto it = popups_.rbegin(); it != popups_.rend(); ++it)
        if (!(*it)->MenuHandle) {
            (*it)->MenuHandle = menu;
            return;
        }
}

HBITMAP TSkinManage::PopupBackground(HMENU menu, POINT* clientOffset) const
{
    for (const auto& popup : popups_)
        if (popup->MenuHandle == menu && menu) {
            if (clientOffset) *clientOffset = popup->ClientOffset;
            return popup->Background.get();
        }
    return nullptr;
}

// ---- the skin data component's side ------------------------------------------------

void SkinManagerLoaded(TSkinData& data)
{
    TSkinManage& manager = TSkinManage::Create();
    manager.RegisterSkinData(&data);
    if (data.SkinFormtype() != sfMainform) {
        manager.Active = true;
        if (auto* form = As<TWinControl>(data.Owner()); form && data.Active()) manager.SkinForm(form);
        return;
    }
    manager.InstallHook();
    if (data.Active() && !data.NotLoaded()) {
        manager.SetCommandSkinData(&data);
        manager.PostCommand(scSkinAll, 250);
        manager.HasForms = true;
    }
}

void SkinManagerActiveChanged(TSkinData& data, bool active)
{
    TSkinManage* manager = TSkinManage::Instance();
    if (!manager) return;
    switch (data.SkinFormtype()) {
    case sfMainform:
        if (active) {
            if (data.NotLoaded()) return;
            manager->SetCommandSkinData(&data);
            manager->PostCommand(scSkinAll, 250);
            manager->HasForms = true;
        } else {
            manager->SetCommandSkinData(&data);
            manager->PostCommand(scUnskinAll, 250);
        }
        break;
    case sfOnlyThisForm:
        manager->SetCommandSkinData(&data);
        if (active && data.NotLoaded()) return;
        manager->PostCommand(active ? scSkinAll : scUnskinAll, 250);
        break;
    default:
        break;
    }
}

void SkinManagerBeforeSkinLoad(TSkinData& data)
{
    if (TSkinManage* manager = TSkinManage::Instance()) manager->ReleaseCaptionButtons(&data);
}

void SkinManagerSkinChanged(TSkinData& data)
{
    if (!TSkinManage::Instance()) SkinManagerLoaded(data);
    TSkinManage* manager = TSkinManage::Instance();
    manager->SetCommandSkinData(&data);
    manager->ReloadSkin(&data);
    if (manager->HasForms || !manager->Engines().empty()) manager->PostCommand(scSkinChanged, 250);
}

void SkinManagerUnregister(TSkinData& data)
{
    TSkinManage* manager = TSkinManage::Instance();
    if (!manager) return;
    manager->UnregisterSkinData(&data);
    if (manager->SkinDatas().empty()) TSkinManage::Destroy();
}

}  // namespace quorvane
