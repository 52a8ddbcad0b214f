#include "skin/form/form_engine.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/properties.h"
#include "skin/controls/skin_control.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/form/control_scan.h"
#include "skin/form/frame_layout.h"
#include "skin/form/menu_bar.h"
#include "skin/form/menu_items.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_manager.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

constexpr UINT kFrameChangedFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE;  // 0x37
constexpr UINT WM_THEMED_CAPTION = 0xAE;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::string WindowClassName(HWND window)
{
    WCHAR name[101] = {};
    const int length = GetClassNameW(window, name, 101);
    return Utf16ToUtf8(name, length);
}

// The height of a frame of a border strip: stacked frames for Top and
// Bottom, side by side for Left and Right.
int FrameExtent(const TDataSkinObject* border, bool stacked)
{
    if (!border || IsEmptyBitmap(border->Bitmap)) return 0;
    const SIZE size = BitmapSize(border->Bitmap.get());
    const int frames = std::max(border->Frame, 1);
    return stacked ? size.cy / frames : size.cx / frames;
}

}  // namespace

const TClassInfo& TWinSkinForm::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TWinSkinForm", &TComponent::StaticClass());
    return info;
}

TWinSkinForm::TWinSkinForm(TComponent* owner) : TComponent(owner)
{
    doubleClickTime_ = GetDoubleClickTime();
    iconSize_ = GetSystemMetrics(SM_CXSMICON);
}

TWinSkinForm::~TWinSkinForm()
{
    // Code returning from a menu loop inside which this engine was freed
    // sees this and leaves the engine alone.
    *alive_ = false;
    ForgetMdiFrame();
    BeforeDestruction();
    captionButtons_.clear();
    titleBitmap_.reset();
    iconBitmap_.reset();
    if (TSkinManage* manager = TSkinManage::Instance(); manager && manager->Started != 4) manager->RemoveEngine(this);
}

void TWinSkinForm::BeforeDestruction()
{
    // The form frees its components before its window goes: every skinner
    // and every replaced procedure is given back while the window lives.
    FreeSkinners();
    RestoreProcedures();
    HotObject = nullptr;
    TComponent::BeforeDestruction();
    hoverTimer_ = nullptr;
    menuBar_ = nullptr;
    systemMenuPopup_ = nullptr;
}

// ---- attaching ------------------------------------------------------------------

void TWinSkinForm::AttachForm(TSkinData* skinData, TWinControl* form)
{
    form_ = form;
    SetPropText(form, "AutoScroll", "False");
    AttachWindow(skinData);
    if (!procedureExchanged_) return;
    if (FrameSkinning) formHook_.Install(form, MakeWndMethod<&TWinSkinForm::FormMessageHook>(this));
    savedColor_ = form->Color();
    form->SetColor(static_cast<TColor>(skinData->Colours.ButtonFace));
    if (InSet(skinData->SkinControls(), xcMenuItem)) SetMainMenusOwnerDraw(this, form, true);
}

void TWinSkinForm::AttachWindow(TSkinData* skinData)
{
    if (procedureExchanged_ || !window_ || !skinData) return;
    TSkinManage* manager = TSkinManage::Instance();
    if (manager && manager->Started == 0) manager->Started = 1;
    skinData_ = skinData;
    if (!hoverTimer_) {
        hoverTimer_ = new TTimer(this);
        hoverTimer_->SetEnabled(false);
        hoverTimer_->SetInterval(250);
        hoverTimer_->OnTimer = [this](TObject*) { HoverTimer(); };
    }

    FrameSkinning = InSet(skinData->SkinControls(), xcMainMenu);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    RightToLeft = (exStyle & WS_EX_LEFTSCROLLBAR) != 0;
    ChildWindow = (style & WS_CHILD) != 0;
    ClassName = WindowClassName(window_);
    OwnerWindow = GetWindow(window_, GW_OWNER);
    UnicodeWindow = IsWindowUnicode(window_) != FALSE;

    BorderIcons = 0;
    if ((style & WS_SYSMENU) || GetSystemMenu(window_, FALSE)) BorderIcons |= kIconSystemMenu;
    if (style & WS_MINIMIZEBOX) BorderIcons |= kIconMinimize;
    if (style & WS_MAXIMIZEBOX) BorderIcons |= kIconMaximize;

    ReadWindowState();
    SizeableBorder = (style & WS_THICKFRAME) != 0;
    MdiKind = mkNone;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClassName(child) == "MDIClient") {
            MdiKind = mkParent;
            MdiClient = child;
            if (manager) {
                manager->MdiClient = child;
                manager->MdiFrameForm = form_;
            }
            break;
        }
    if (exStyle & WS_EX_MDICHILD) {
        MdiKind = mkChild;
        if (InSet(skinData->Options(), xoMDIChildBorder)) FrameSkinning = false;
    }

    FrameKind = fkSingle;
    if ((style & WS_CAPTION) != WS_CAPTION)
        FrameKind = fkNoCaption;
    else if (style & WS_THICKFRAME)
        FrameKind = fkSizeable;
    else if (style & DS_MODALFRAME)
        FrameKind = fkDialog;
    if (exStyle & WS_EX_DLGMODALFRAME) FrameKind = fkDialog;
    if (ClassName == "#32770" || ClassName == "TMessageForm") {
        FrameKind = fkDialog;
        SystemDialog = true;
    }

    if (MdiKind == mkParent) {
        savedMenuUpdate_ = skinData->MenuUpdate();
        mdiClientHook_.Attach(MdiClient);
    }
    if (!windowHook_.Attach(window_)) return;
    procedureExchanged_ = true;

    if (FrameSkinning) {
        WindowMenu = GetMenu(window_);
        hadMenuAtAttach_ = WindowMenu != nullptr;
        if (WindowMenu && MdiKind != mkChild) {
            menuBar_ = new TWinSkinMenu(this, skinData);
            MenuBarHeight = GetSystemMetrics(SM_CYMENU);
            if (auto* form = As<TForm>(form_)) menuBar_->SetMenuComponent(form->Menu());
            menuBar_->BuildButtons();
        }
        // The system's frame around the client, measured before the skin's
        // frame applies (and after the system menu bar was taken away, which
        // the skin's band replaces): unskinning gives it back.
        RECT outer{}, client{};
        if (GetWindowRect(window_, &outer) && GetClientRect(window_, &client)) {
            SystemFrameExtra = SIZE{Width(outer) - Width(client), Height(outer) - Height(client)};
            systemFrameKnown_ = true;
        }
        if (!((MdiKind == mkChild && manager && manager->ChildrenMaximised) || WindowState == ewsMinimized))
            SetCaptionStyle(false);
        LoadFrameGeometry();
    } else {
        EngineState = esSkinned;
    }

    if (MdiKind == mkChild) {
        const int minimum = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CXFRAME);
        if (FrameTop < minimum) MenuBarHeight = minimum - FrameTop;
        if (WindowState == ewsMaximized && manager && !manager->ChildrenMaximised) manager->SetChildrenMaximised(true);
    }
}

void TWinSkinForm::LoadFrameGeometry()
{
    if (!skinData_ || skinData_->NotLoaded()) return;
    if (FrameKind == fkNoCaption) {
        FrameLeft = FrameTop = FrameRight = FrameBottom = 0;
        MenuBarHeight = 0;
    } else {
        FrameTop = FrameExtent(skinData_->BorderTop.get(), true);
        FrameLeft = FrameExtent(skinData_->BorderLeft.get(), false);
        FrameRight = FrameExtent(skinData_->BorderRight.get(), false);
        FrameBottom = FrameExtent(skinData_->BorderBottom.get(), true);
    }
    LoadCaptionButtons();
}

void TWinSkinForm::LoadCaptionButtons()
{
    if (!skinData_ || skinData_->NotLoaded()) return;
    FreeCaptionButtons();
    for (const auto& description : skinData_->SysButtons) {
        if (!description) continue;
        if (description->Action == 3 || description->Action == 11) {
            RenderSmallIcon();
            if (IsEmptyBitmap(description->Bitmap)) description->Bitmap = CopyBitmap24(iconBitmap_.get());
            description->Frame = 1;
        }
        captionButtons_.push_back(std::make_unique<TWinSysButton>(this, description.get()));
    }
}

void TWinSkinForm::FreeCaptionButtons()
{
    if (HotObject && !HotObject->IsMenuButton()) HotObject = nullptr;
    if (pressedObject_ && !pressedObject_->IsMenuButton()) ClearPressedObject();
    captionButtons_.clear();
}

HICON TWinSkinForm::WindowIcon() const
{
    if (!window_) return nullptr;
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutW(window_, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, 200, &icon)) icon = 0;
    if (!icon && !SendMessageTimeoutW(window_, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 200, &icon)) icon = 0;
    return reinterpret_cast<HICON>(icon);
}

void TWinSkinForm::RenderSmallIcon()
{
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    iconBitmap_ = CreateBitmap24(width, height);
    if (!iconBitmap_) return;
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    SelectGuard select(dc.get(), iconBitmap_.get());
    if (HICON icon = WindowIcon()) {
        UniqueBrush magenta(CreateSolidBrush(kKeyColour));
        const RECT all{0, 0, width, height};
        FillRect(dc.get(), &all, magenta.get());
        if (HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, width, height, LR_COPYFROMRESOURCE))) {
            DrawIconEx(dc.get(), 0, 0, copy, width, height, 0, nullptr, DI_NORMAL);
            DestroyIcon(copy);
        }
    } else if (skinData_ && skinData_->AppIconBitmap()) {
        // A window without an icon of its own (a message box) shows the
        // application's icon.
        UniqueMemoryDc source = UniqueMemoryDc::Compatible();
        SelectGuard from(source.get(), skinData_->AppIconBitmap());
        BitBlt(dc.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    }
}

void TWinSkinForm::DrawWindowIcon(HDC dc, const RECT& rect)
{
    if (HICON icon = WindowIcon()) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        if (HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE))) {
            DrawIconEx(dc, rect.left, rect.top, copy, size, size, 0, nullptr, DI_NORMAL);
            DestroyIcon(copy);
            return;
        }
    }
    if (!iconBitmap_) RenderSmallIcon();
    if (iconBitmap_) TransparentDraw(dc, rect, iconBitmap_.get(), kKeyColour);
}

// The platform's tree view fills a selected item with the system's own
// highlight (focused) or button face (not focused, selection always shown)
// and ignores the colours the tree was given. The framework's trees answer
// this themselves wherever they sit; a bare dialog's platform tree standing
// on this window is answered here with the same resolved colours.
LRESULT TWinSkinForm::AnswerTreeCustomDraw(NMHDR* header, LRESULT result) const
{
    if (!header || header->code != static_cast<UINT>(NM_CUSTOMDRAW) || !ServesColours || !header->hwndFrom)
        return result;
    WCHAR name[32] = {};
    GetClassNameW(header->hwndFrom, name, 32);
    if (FindControl(header->hwndFrom) || lstrcmpiW(name, WC_TREEVIEWW) != 0) return result;
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
    const HWND tree = header->hwndFrom;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return (result & CDRF_SKIPDEFAULT) ? result : result | CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !(draw->nmcd.uItemState & CDIS_SELECTED)) return result;
    if (!IsWindowEnabled(tree)) return result;
    COLORREF text = 0, back = 0;
    if (ResolvedSelectionColours(tree, GetFocus() == tree, text, back)) {
        draw->clrTextBk = back;
        draw->clrText = text;
    }
    return result;
}

void TWinSkinForm::FitWindowToFrame(bool refresh)
{
    if (!window_) return;
    if (WindowState == ewsMaximized) {
        SetWindowPos(window_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
        return;
    }
    if (SystemDialog || EngineState == esRefreshing) GetClientRect(window_, &clientRect_);
    int width = Width(clientRect_) + FrameLeft + FrameRight;
    int clientHeight = Height(clientRect_);
    if (refresh) {
        GetClientRect(window_, &clientRect_);
        // Through a skin change the client keeps the size it had with the
        // old frame, whatever a frame recalculation made of it since.
        if (keptClient_.cx >= 0) clientRect_ = RECT{0, 0, keptClient_.cx, keptClient_.cy};
        width = Width(clientRect_) + FrameLeft + FrameRight;
        clientHeight = Height(clientRect_);
    } else if (form_) {
        width = form_->ClientWidth() + FrameLeft + FrameRight;
        clientHeight = MdiKind == mkChild ? form_->ClientHeight() : form_->ClientHeight() - MenuBarHeight;
    } else {
        GetClientRect(window_, &clientRect_);
        width = Width(clientRect_) + FrameLeft + FrameRight;
        clientHeight = Height(clientRect_);
    }
    const int height = clientHeight + FrameTop + FrameBottom + MenuBarHeight;

    if (SystemDialog && !refresh) {
        // A dialog whose caption is wider than the dialog grows to show it,
        // its children moved right by half the growth.
        const std::u16string caption = ReadWindowText(window_);
        UniqueWindowDc dc = UniqueWindowDc::Client(window_);
        SelectGuard font(dc.get(), TitleFont());
        SIZE text{};
        GetTextExtentPoint32W(dc.get(), reinterpret_cast<const WCHAR*>(caption.c_str()), static_cast<int>(caption.size()),
                              &text);
        const int needed = CaptionWidthNeeded(skinData_->Title->LeftWidth, text.cx, skinData_->Title->RightWidth);
        if (width < needed) {
            const int shift = (needed - width) / 2;
            for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                RECT r{};
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
                SetWindowPos(child, nullptr, r.left + shift, r.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING | SWP_NOOWNERZORDER);
            }
            width = needed;
        }
    }
    UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    int left = 0, top = 0;
    if (refresh && !ChildWindow && MdiKind != mkChild) {
        // A new frame of another width grows or shrinks the window around
        // its client; growing to the right would push a window that sits
        // at the right edge of the screen past it.
        RECT before{};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetWindowRect(window_, &before) &&
            GetMonitorInfoW(MonitorFromRect(&before, MONITOR_DEFAULTTONEAREST), &monitor)) {
            const RECT& work = monitor.rcWork;
            const FrameBox placed =
                PlaceRefittedWindow(FrameBox{before.left, before.top, before.right, before.bottom}, width, height,
                                    FrameBox{work.left, work.top, work.right, work.bottom});
            if (placed.left != before.left || placed.top != before.top) {
                left = placed.left;
                top = placed.top;
                flags &= ~static_cast<UINT>(SWP_NOMOVE);
            }
        }
    }
    SetWindowPos(window_, nullptr, left, top, width, height, flags);
}

void TWinSkinForm::FinishSkinning()
{
    if (!window_ || !skinData_) return;
    SystemMenu = GetSystemMenu(window_, FALSE);
    RenderSmallIcon();
    RECT window{}, client{};
    GetWindowRect(window_, &window);
    GetClientRect(window_, &client);
    if (!systemFrameKnown_) {
        SystemFrameExtra = SIZE{Width(window) - Width(client), Height(window) - Height(client)};
        systemFrameKnown_ = true;
    }
    clientRect_ = client;

    ServesColours = true;
    if (form_)
        ScanForm(this, form_);
    else
        ScanWindows(this, window_);

    if (EngineState == esAttaching) {
        // From here on the client sits inside the skin's frame.
        frameApplied_ = true;
        TSkinManage* manager = TSkinManage::Instance();
        if (MdiKind == mkChild) {
            if (WindowState == ewsMaximized) {
                if (MdiClient || manager) PostMessageW(GetParent(window_), WM_SKINMDIREDRAW, reinterpret_cast<WPARAM>(window_), 0);
            } else if (WindowState == ewsMinimized) {
                SetCaptionStyle(true);
            } else {
                EngineState = esFitting;
                FitWindowToFrame(false);
                EngineState = esSkinned;
                UpdateRegion();
            }
        } else if (!ChildWindow && FrameKind != fkNoCaption && WindowState != ewsMinimized) {
            EngineState = esFitting;
            FitWindowToFrame(false);
            EngineState = esSkinned;
            if (WindowState == ewsNormal)
                UpdateRegion();
            else
                SetWindowPos(window_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
        }
    }
    EngineState = esSkinned;
    NotifyColoursChanged();
    SendMessageW(window_, WM_SKINAPPLIED, 0, kSkinMagic);
    if (hoverTimer_) hoverTimer_->SetEnabled(Active);
    if (FrameSkinning && FrameKind != fkNoCaption) RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

// ---- styles and coordinates -------------------------------------------------------

void TWinSkinForm::SetCaptionStyle(bool on)
{
    if (!(BorderIcons & kIconCaptionStripped) || !window_) return;
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    SetWindowLongPtrW(window_, GWL_STYLE, on ? style | WS_CAPTION : style & ~static_cast<LONG_PTR>(WS_CAPTION));
}

void TWinSkinForm::SetSysMenuStyle(bool remove)
{
    if ((BorderIcons & kIconCaptionStripped) || !window_) return;
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    if (remove) {
        if (style & WS_SYSMENU) SetWindowLongPtrW(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_SYSMENU));
    } else if (BorderIcons & kIconSystemMenu) {
        if (!(style & WS_SYSMENU)) SetWindowLongPtrW(window_, GWL_STYLE, style | WS_SYSMENU);
    }
}

POINT TWinSkinForm::ScreenToFrame(POINT point) const
{
    ::ScreenToClient(window_, &point);
    if (!IsMinimisedMdiChild()) {
        point.x += FrameLeft;
        point.y += FrameTop + MenuBarHeight;
    }
    return point;
}

void TWinSkinForm::ReadWindowState()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!window_ || !GetWindowPlacement(window_, &placement)) return;
    switch (placement.showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        WindowState = ewsMinimized;
        break;
    case SW_SHOWMAXIMIZED:
        WindowState = ewsMaximized;
        break;
    default:
        WindowState = ewsNormal;
        break;
    }
}

bool TWinSkinForm::IsChildMaximised() const
{
    if (MdiKind != mkParent || !MdiClient) return false;
    BOOL maximised = FALSE;
    HWND active = reinterpret_cast<HWND>(SendMessageW(MdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
    return active && maximised;
}

// ---- skinners -------------------------------------------------------------------------

void TWinSkinForm::AddSkinner(TSkinControl* skinner)
{
    if (skinner && std::find(skinners_.begin(), skinners_.end(), skinner) == skinners_.end()) skinners_.push_back(skinner);
}

void TWinSkinForm::RemoveSkinner(TSkinControl* skinner)
{
    skinners_.erase(std::remove(skinners_.begin(), skinners_.end(), skinner), skinners_.end());
    if (hoveredSkinner_ == skinner) hoveredSkinner_ = nullptr;
}

TSkinControl* TWinSkinForm::FindSkinner(HWND window) const
{
    for (TSkinControl* skinner : skinners_)
        if (skinner->TargetWindow() == window) return skinner;
    return nullptr;
}

// ---- the window procedure ------------------------------------------------------------

namespace {

// Messages on whose handling the platform's MDI code may retitle the frame:
// a child activated, maximised, restored, renamed or gone, and every
// request to the MDI client.
bool MayRetitleMdiFrame(UINT msg, bool client)
{
    // The engine asks which child is active while it paints: a question
    // that changes nothing.
    if (client) return msg >= WM_MDICREATE && msg <= WM_MDIREFRESHMENU && msg != WM_MDIGETACTIVE;
    switch (msg) {
    case WM_CHILDACTIVATE:
    case WM_MDIACTIVATE:
    case WM_SIZE:
    case WM_SETTEXT:
    case WM_SYSCOMMAND:
    case WM_WINDOWPOSCHANGED:
    case WM_SHOWWINDOW:
    case WM_DESTROY:
        return true;
    default:
        return false;
    }
}

// Holds the frame's caption style off for the length of one message.
class CaptionHold {
public:
    explicit CaptionHold(TWinSkinForm* frame) : frame_(frame), alive_(frame ? frame->Liveness() : nullptr)
    {
        if (frame_) frame_->HoldCaption();
    }
    ~CaptionHold()
    {
        if (frame_ && alive_ && *alive_) frame_->ReleaseCaption();
    }
    CaptionHold(const CaptionHold&) = delete;
    CaptionHold& operator=(const CaptionHold&) = delete;

private:
    TWinSkinForm* frame_;
    std::shared_ptr<bool> alive_;
};

}  // namespace

LRESULT TWinSkinForm::WindowHook::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return engine_.FormWndProc(msg, wParam, lParam);
}

LRESULT TWinSkinForm::MdiClientHook::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (MayRetitleMdiFrame(msg, true)) {
        const CaptionHold hold(&engine_);
        return engine_.MdiClientWndProc(msg, wParam, lParam);
    }
    return engine_.MdiClientWndProc(msg, wParam, lParam);
}

LRESULT TWinSkinForm::Default(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return windowHook_.CallPrevious(msg, wParam, lParam);
}

void TWinSkinForm::HoldCaption()
{
    if (captionHolds_++ > 0 || !window_) return;
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    if (!FrameSkinning || EngineState != esSkinned || !(style & WS_VISIBLE) || (style & WS_CAPTION) != WS_CAPTION) return;
    heldTitle_ = ReadWindowText(window_);
    captionHeld_ = true;
    SetWindowLongPtrW(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
}

void TWinSkinForm::ReleaseCaption()
{
    if (captionHolds_ <= 0 || --captionHolds_ > 0) return;
    if (!captionHeld_) return;
    captionHeld_ = false;
    if (!window_ || !IsWindow(window_)) return;
    SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | WS_CAPTION);
    if (ReadWindowText(window_) != heldTitle_) PaintFrame(nullptr);
}

TWinSkinForm* TWinSkinForm::MdiFrameEngine() const
{
    TSkinManage* manager = TSkinManage::Instance();
    HWND client = window_ ? GetParent(window_) : nullptr;
    HWND frame = client ? GetParent(client) : nullptr;
    return manager && frame ? manager->FindEngine(frame) : nullptr;
}

LRESULT TWinSkinForm::FormWndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (MdiKind == mkChild && MayRetitleMdiFrame(msg, false)) {
        const CaptionHold hold(MdiFrameEngine());
        return Stage1(msg, wParam, lParam);
    }
    return Stage1(msg, wParam, lParam);
}

LRESULT TWinSkinForm::Stage1(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (captured_ && OnCapturedMouse(msg, lParam)) return 0;
        break;
    case WM_CAPTURECHANGED:
        // Whatever took the mouse away, the press is over.
        if (pressedObject_ && reinterpret_cast<HWND>(lParam) != window_) {
            captured_ = false;
            EndPress();
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // A press in the client area starts nothing of the frame's.
        if (pressedObject_) EndPress();
        break;
    case WM_CANCELMODE:
        if (pressedObject_) EndPress();
        break;
    case WM_NCPAINT:
        if (EngineState == esAttaching) return 0;
        break;
    case WM_ERASEBKGND: {
        const LRESULT result = Default(msg, wParam, lParam);
        if (form_ || !skinData_) return result;
        RECT client{};
        GetClientRect(window_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, skinData_->Colours.FaceBrush.get());
        return 1;
    }
    case WM_NCDESTROY: {
        EngineState = esDetaching;
        ReleaseWindow();
        const LRESULT result = Default(msg, wParam, lParam);
        EngineState = esDestroyed;
        window_ = nullptr;
        return result;
    }
    case WM_NCACTIVATE:
        // While the skin is being applied the frame is not painted at all;
        // the change of activation itself goes through.
        if (EngineState == esAttaching && MdiKind != mkChild) {
            Active = wParam != 0;
            return 1;
        }
        break;
    case WM_THEMED_CAPTION:
        return 0;
    case WM_INITMENUPOPUP:
        if (TSkinManage* manager = TSkinManage::Instance()) {
            const auto menu = reinterpret_cast<HMENU>(wParam);
            const bool system = HIWORD(lParam) || menu == SystemMenu ||
                                (systemMenuPopup_ && menu == systemMenuPopup_->Handle());
            manager->MenuKind = system ? mkSystemMenu : mkWindowMenu;
        }
        return Default(msg, wParam, lParam);
    case WM_MENUSELECT:
        RememberMenuSelect(wParam, lParam);
        return Default(msg, wParam, lParam);
    case WM_CTLCOLORBTN: {
        const LRESULT result = Default(msg, wParam, lParam);
        if (!form_ && skinData_) {
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            SetTextColor(reinterpret_cast<HDC>(wParam), ResolveColour(skinData_->Colours.ButtonText));
        }
        return result;
    }
    case WM_CTLCOLORSTATIC: {
        const LRESULT result = Default(msg, wParam, lParam);
        if (form_ || !skinData_) return result;
        // A bare dialog's texts stand on the skin's face in its text colour.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        SetTextColor(reinterpret_cast<HDC>(wParam), ResolveColour(skinData_->Colours.ButtonText));
        return reinterpret_cast<LRESULT>(skinData_->Colours.FaceBrush.get());
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        const LRESULT result = Default(msg, wParam, lParam);
        if (form_ || !skinData_) return result;
        // A bare dialog's text fields and lists stand in the skin's window colours.
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ResolveColour(skinData_->Colours.WindowText));
        SetBkColor(dc, ResolveColour(skinData_->Colours.Window));
        return reinterpret_cast<LRESULT>(skinData_->Colours.WindowBrush.get());
    }
    case WM_NOTIFY: {
        const LRESULT result = Default(msg, wParam, lParam);
        return AnswerTreeCustomDraw(reinterpret_cast<NMHDR*>(lParam), result);
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        // The owner-drawn system menu the engine shows for this window.
        if (systemMenuPopup_ && wParam == 0) {
            if (msg == WM_MEASUREITEM && systemMenuPopup_->MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
                return TRUE;
            if (msg == WM_DRAWITEM && systemMenuPopup_->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
        }
        break;
    case WM_SETTEXT:
        if (FrameSkinning && EngineState != esAttaching) return OnSetText(msg, wParam, lParam);
        break;
    case WM_SKINSTART:
        FinishSkinning();
        return 0;
    case WM_SKINRESCROLL:
        SkinRecreatedControl(this, reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_SKINQUERY:
        return 1;
    default:
        break;
    }
    if (!FrameSkinning) return Default(msg, wParam, lParam);
    if (ChildWindow && MdiKind != mkChild) return Default(msg, wParam, lParam);
    return Stage2(msg, wParam, lParam);
}

LRESULT TWinSkinForm::Stage2(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case SC_SIZE:
        case SC_MOVE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_CLOSE:
        case SC_RESTORE:
            PostMessageW(window_, WM_SYSCOMMAND, LOWORD(wParam), 0);
            return 0;
        default:
            return Default(msg, wParam, lParam);
        }
    case WM_GETMINMAXINFO: {
        const LRESULT result = Default(msg, wParam, lParam);
        ReadWindowState();
        if (WindowState == ewsMinimized)
            SetCaptionStyle(true);
        else if (WindowState == ewsNormal || MdiKind != mkChild)
            SetCaptionStyle(false);
        else
            SetCaptionStyle(true);
        return result;
    }
    case WM_SIZE:
        return OnSize(msg, wParam, lParam);
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
        Active = LOWORD(wParam) != 0;
        break;
    case WM_WINDOWPOSCHANGED:
        ReadWindowState();
        return Default(msg, wParam, lParam);
    case WM_SYSCOMMAND:
        return OnSysCommand(msg, wParam, lParam);
    case WM_SKINMENUCLICK: {
        const POINT point = ScreenToFrame(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        TNCObject* hit = HitTest(point);
        if (hit && hit->IsMenuButton()) OpenMenuButton(static_cast<TMenuBtn*>(hit));
        return 0;
    }
    case CM_MENUCHANGED:
        return OnMenuChanged(msg, wParam, lParam);
    default:
        break;
    }
    bool handled = false;
    const LRESULT result = Stage3(msg, wParam, lParam, handled);
    return handled ? result : Default(msg, wParam, lParam);
}

LRESULT TWinSkinForm::Stage3(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = false;
    if (EngineState == esAttaching || IsMaximisedMdiChild()) return 0;
    handled = true;
    switch (msg) {
    case WM_NCACTIVATE:
        return OnNcActivate(msg, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        return Default(msg, wParam, lParam);
    case WM_MEASUREITEM:
        return OnMeasureItem(msg, wParam, lParam);
    case WM_DRAWITEM:
        return OnDrawItem(msg, wParam, lParam);
    case WM_NCCALCSIZE:
        return OnNcCalcSize(msg, wParam, lParam);
    case WM_NCHITTEST:
        return OnNcHitTest(msg, wParam, lParam);
    case WM_NCPAINT:
        SetSysMenuStyle(true);
        if (skinData_ && skinData_->FramePaintEnabled) {
            if (IsMaximisedMdiChild() || FrameKind == fkNoCaption)
                Default(msg, wParam, lParam);
            else
                PaintFrame(nullptr);
        }
        return 0;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
        return OnFrameMouse(msg, wParam, lParam);
    case WM_SKINNCPAINT:
        PaintFrame(nullptr);
        return 0;
    default:
        handled = false;
        return 0;
    }
}

LRESULT TWinSkinForm::OnSize(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Default(msg, wParam, lParam);
    switch (wParam) {
    case SIZE_RESTORED:
        WindowState = ewsNormal;
        break;
    case SIZE_MINIMIZED:
        WindowState = ewsMinimized;
        break;
    case SIZE_MAXIMIZED:
        WindowState = ewsMaximized;
        break;
    default:
        break;
    }
    TSkinManage* manager = TSkinManage::Instance();
    const bool childOfMaximised = MdiKind == mkChild && ((manager && manager->ChildrenMaximised) || WindowState == ewsMaximized);
    if (WindowState != ewsMinimized && !childOfMaximised && !deferRegion_ &&
        (EngineState == esSkinned || EngineState == esRefreshing))
        UpdateRegion();
    return result;
}

LRESULT TWinSkinForm::OnNcActivate(UINT msg, WPARAM wParam, LPARAM lParam)
{
    Active = wParam != 0;
    if (hoverTimer_) hoverTimer_->SetEnabled(Active);
    if (!Active && hoveredSkinner_ && !form_) {
        if (HWND hovered = hoveredSkinner_->TargetWindow()) SendMessageW(hovered, WM_MOUSELEAVE, 0, 0);
        hoveredSkinner_ = nullptr;
    }
    if (MdiKind == mkParent && MdiClient) SendMessageW(MdiClient, WM_NCACTIVATE, wParam, 0);
    if (MdiKind == mkChild) {
        // The MDI child's own bookkeeping, without the system's caption.
        const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
        SetWindowLongPtrW(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
        Default(msg, wParam, lParam);
        SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | (style & WS_CAPTION));
    }
    if (!IsMaximisedMdiChild()) PaintFrame(nullptr);
    return 1;
}

LRESULT TWinSkinForm::OnNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam)
{
    Default(msg, wParam, lParam);
    const bool plain = IsMaximisedMdiChild() || IsMinimisedMdiChild() || FrameKind == fkNoCaption;
    auto inset = [&](RECT& r, const RECT& window) {
        r = RECT{window.left + FrameLeft, window.top + FrameTop + MenuBarHeight, window.right - FrameRight,
                 window.bottom - FrameBottom};
        // A window smaller than its frame (a minimised title) keeps an
        // empty client area rather than an inverted one.
        if (r.right < r.left) r.right = r.left;
        if (r.bottom < r.top) r.bottom = r.top;
    };
    if (!wParam) {
        // The client area of a window rectangle (asked at creation and by
        // the system now and then): the skin's frame as well.
        if (!plain && lParam) {
            RECT* rect = reinterpret_cast<RECT*>(lParam);
            const RECT window = *rect;
            inset(*rect, window);
        }
        return 0;
    }
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    if (plain) {
        params->rgrc[1] = params->rgrc[0];
        return WVR_VALIDRECTS;
    }
    const WINDOWPOS* pos = params->lppos;
    const RECT window{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    RECT client{};
    inset(client, window);
    params->rgrc[0] = client;
    params->rgrc[1] = client;
    return WVR_VALIDRECTS;
}

LRESULT TWinSkinForm::OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT system = Default(msg, wParam, lParam);
    switch (system) {
    case HTNOWHERE:
    case HTCAPTION:
    case HTSYSMENU:
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP:
    case HTMENU:
        break;
    default:
        return system;  // borders, sizing edges, client
    }
    // The system measures its own caption and buttons, which are not where
    // the skin's are: inside the skin's title band everything below its top
    // three rows is caption, and the band under it is the menu bar.
    const POINT point = ScreenToFrame(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (point.y >= FrameTop + MenuBarHeight) return system == HTNOWHERE ? HTBORDER : system;
    if (point.y <= 3) return system;
    if (point.y > FrameTop && MenuBarHeight > 0) return HTMENU;
    return HTCAPTION;
}

LRESULT TWinSkinForm::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (!MenuTracking && command == SC_KEYMENU) {
        if (lParam != ' ' && lParam != '-' && !GetCapture()) {
            TMenuBtn* button = nullptr;
            if (lParam != 0 || !menuBar_)
                button = FindMenuAccelerator(static_cast<WPARAM>(lParam));
            else if (!menuBar_->Buttons.empty())
                button = menuBar_->Buttons.front().get();
            if (menuBar_ && (lParam == 0 || button)) {
                if (button) OpenMenuButton(button);
                return 1;
            }
        } else if (lParam == ' ') {
            POINT origin{0, 0};
            ClientToScreen(window_, &origin);
            ShowSystemMenu(origin);
            return 0;
        }
    }
    TSkinManage* manager = TSkinManage::Instance();
    switch (command) {
    case SC_MINIMIZE:
        WindowState = ewsMinimized;
        if (MdiKind == mkChild) SetCaptionStyle(true);
        break;
    case SC_MAXIMIZE:
        WindowState = ewsMaximized;
        break;
    case SC_RESTORE:
        WindowState = ewsNormal;
        if (MdiKind == mkChild) {
            SetCaptionStyle(false);
            if (manager && manager->ChildrenMaximised) manager->SetChildrenMaximised(false);
        }
        break;
    default:
        break;
    }
    return Default(msg, wParam, lParam);
}

LRESULT TWinSkinForm::OnSetText(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The system paints its own caption while it changes the text of a
    // window with a caption: the caption style is off for that moment, and
    // the skinned frame is painted afterwards.
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    const bool visible = (style & WS_VISIBLE) != 0;
    setTextHandled_ = true;
    LRESULT result = 0;
    if (visible && (style & WS_CAPTION)) {
        SetWindowLongPtrW(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
        result = Default(msg, wParam, lParam);
        SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | (style & WS_CAPTION));
    } else {
        result = Default(msg, wParam, lParam);
    }
    setTextHandled_ = false;
    if (!visible || !window_) return result;
    ReadWindowState();
    if (WindowState == ewsMaximized && MdiKind == mkChild) {
        if (TSkinManage* manager = TSkinManage::Instance(); manager && manager->MdiClient)
            PostMessageW(manager->MdiClient, WM_SKINMDIREDRAW, reinterpret_cast<WPARAM>(window_), 0);
    } else {
        PaintFrame(nullptr);
    }
    return result;
}

LRESULT TWinSkinForm::OnMenuChanged(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return HandleMenuChanged([&] { return Default(msg, wParam, lParam); });
}

LRESULT TWinSkinForm::HandleMenuChanged(const std::function<LRESULT()>& callDefault)
{
    // The form attaches its changed menu again; the frame is not painted
    // while the system's bar is there, and the bar is rebuilt from it.
    if (skinData_) skinData_->FramePaintEnabled = false;
    inMenuChanged_ = true;
    LRESULT result = 0;
    try {
        result = callDefault();
    } catch (...) {
        inMenuChanged_ = false;
        if (skinData_) skinData_->FramePaintEnabled = true;
        throw;
    }
    inMenuChanged_ = false;
    if (skinData_) skinData_->FramePaintEnabled = true;
    if (!window_) return result;
    ReMarkOpenDropDown();
    // A form whose main menu was taken away or freed keeps no bar pointing
    // at it.
    if (auto* form = As<TForm>(form_); form && menuBar_ && MdiKind != mkChild && (!form->Menu() || !menuBar_->Menu)) {
        DropMenuBar();
        return result;
    }
    if (HMENU menu = GetMenu(window_)) {
        if (!menuBar_ && FrameSkinning && MdiKind != mkChild) {
            // A menu given to a window that had none when it was skinned:
            // the skin's bar takes the system's place, as it does at attach.
            AddMenuBar(menu);
            return result;
        }
        if (menuBar_ && skinData_ && skinData_->MenuUpdate()) {
            menuBar_->MenuHandle = menu;
            menuBar_->BuildButtons();
        }
        SetMenu(window_, nullptr);
        PaintFrame(nullptr);
    }
    return result;
}

void TWinSkinForm::AddMenuBar(HMENU menu)
{
    menuBar_ = new TWinSkinMenu(this, skinData_);
    menuBar_->MenuHandle = menu;
    WindowMenu = menu;
    // Its drop-downs are measured and drawn as the skin's, as for a menu
    // the window had when it was taken over.
    hadMenuAtAttach_ = true;
    if (auto* form = As<TForm>(form_)) menuBar_->SetMenuComponent(form->Menu());
    // Takes the system's bar away: the window keeps its size while the
    // system's band goes, and the skin's band comes out of the client.
    menuBar_->BuildButtons();
    MenuBarHeight = GetSystemMetrics(SM_CYMENU);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
    if (EngineState == esSkinned) UpdateRegion();
    PaintFrame(nullptr);
}

void TWinSkinForm::DropMenuBar()
{
    if (!menuBar_) return;
    if (menuLoopDepth_ > 0) {
        menuBarDropPending_ = true;
        return;
    }
    if (HotObject && HotObject->IsMenuButton()) HotObject = nullptr;
    if (pressedObject_ && pressedObject_->IsMenuButton()) ClearPressedObject();
    Free(menuBar_);
    menuBar_ = nullptr;
    MenuBarHeight = 0;
    if (!window_) return;
    // As the system does for SetMenu(window, 0): the window keeps its size
    // and the client takes the band.
    if (window_ && GetMenu(window_)) SetMenu(window_, nullptr);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
    if (EngineState == esSkinned) UpdateRegion();
    PaintFrame(nullptr);
}

void TWinSkinForm::ClearPressedObject()
{
    pressedObject_ = nullptr;
    if (captured_) {
        captured_ = false;
        if (window_ && GetCapture() == window_) ReleaseCapture();
    }
}

void TWinSkinForm::EndPress()
{
    TNCObject* pressed = pressedObject_;
    ClearPressedObject();
    if (pressed && pressed == HotObject && pressed->State == nsPressed) pressed->MouseLeave();
}

bool TWinSkinForm::OnCapturedMouse(UINT msg, LPARAM lParam)
{
    // While a caption button is held the window has the mouse: a release
    // anywhere ends the press, and only a release over the same button acts.
    if (!pressedObject_ || !window_) return false;
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window_, &screen);
    const POINT point = ScreenToFrame(screen);
    TNCObject* hit = HitTest(point);
    TNCObject* pressed = pressedObject_;
    if (msg == WM_MOUSEMOVE) {
        // Pressed look only while the mouse is over the held button.
        if (hit == pressed && pressed->State != nsPressed) {
            pressed->State = nsPressed;
            HotObject = pressed;
            pressed->Paint();
        } else if (hit != pressed && pressed->State == nsPressed) {
            pressed->State = nsNormal;
            if (HotObject == pressed) HotObject = nullptr;
            pressed->Paint();
        }
        return true;
    }
    // WM_LBUTTONUP
    ClearPressedObject();
    if (hit && hit == pressed && !hit->IsMenuButton()) {
        HotObject = hit;
        hit->MouseUp();
        DoButtonAction(point);
    } else {
        if (pressed->State == nsPressed) pressed->MouseLeave();
        // The mouse moved under capture without frame messages: the button
        // it was released over shows hot at once, not at the next move.
        if (hit) hit->MouseEnter();
    }
    return true;
}

}  // namespace quorvane
