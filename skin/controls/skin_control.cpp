#include "skin/controls/skin_control.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }

}  // namespace

const TClassInfo& TSkinControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinControl", &TComponent::StaticClass());
    return info;
}

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl()
{
    // A message being dispatched through this skinner learns it is gone.
    if (destroyedFlag_) *destroyedFlag_ = true;
    BeforeDestruction();
    // The control keeps working unskinned: its handler or window procedure
    // goes back (each only while it is still the current one).
    handler_.Restore();
    subclass_.Detach();
    if (form_) form_->RemoveSkinner(this);
}

void TSkinControl::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (attached_) return;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control) return;
    replaceColor_ = replaceColor;
    skinData_ = skinData;
    form_ = form;
    canvas_ = canvas;
    control_ = control;
    if (auto* windowed = As<TWinControl>(control)) {
        handle_ = windowed->Handle();
        unicodeWindow_ = IsWindowUnicode(handle_) != FALSE;
    }
    handler_.Install(control, MakeWndMethod<&TSkinControl::SkinWndProc>(this));
    if (form_) form_->AddSkinner(this);
    if (replaceColor_ && skinData_) {
        savedControlColor_ = control->Color();
        control->SetColor(static_cast<TColor>(skinData_->Colours.ButtonFace));
    }
    // A window not on screen is painted whole when it is shown.
    if (!handle_ || IsWindowVisible(handle_)) control->Invalidate();
    attached_ = true;
    lifeState_ = lsAttached;
}

void TSkinControl::BindWithoutHook(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    replaceColor_ = replaceColor;
    skinData_ = skinData;
    form_ = form;
    canvas_ = canvas;
    control_ = dynamic_cast<TControl*>(Owner());
    if (auto* windowed = As<TWinControl>(control_)) handle_ = windowed->WindowHandle();
    if (form_) form_->AddSkinner(this);
}

void TSkinControl::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (attached_ || !handle) return;
    skinData_ = skinData;
    canvas_ = canvas;
    form_ = form;
    handle_ = handle;
    enabledAtPaint_ = true;
    mode_ = 0;
    if (form_) form_->AddSkinner(this);
    unicodeWindow_ = IsWindowUnicode(handle) != FALSE;
    caption_ = ReadWindowText(handle);
    if (!subclass_.Attach(handle)) return;
    if (IsWindowVisible(handle)) InvalidateRect(handle, nullptr, TRUE);
    attached_ = true;
    lifeState_ = lsAttached;
}

void TSkinControl::Detach()
{
    if (replaceColor_ && control_ && skinData_) control_->SetColor(savedControlColor_);
}

HWND TSkinControl::TargetWindow() const
{
    if (handle_) return handle_;
    if (auto* windowed = As<TWinControl>(control_)) return windowed->WindowHandle();
    return nullptr;
}

void TSkinControl::SkinWndProc(TMessage& message)
{
    if (message.msg == WM_SKINENABLE) {
        skinEnabled_ = message.wParam > 0;
        if (skinEnabled_) Redraw();
        return;
    }
    if (message.msg == CM_RECREATEWND) {
        // The control's window was made anew. This skinner served the old
        // one (it saw WM_NCDESTROY); the engine drops it and chooses a
        // skinner for the new window. Posted: the engine frees this skinner,
        // which is still on the stack here.
        CallDefault(message);
        if (lifeState_ == lsWindowGone) AskForNewSkinner();
        return;
    }
    if (!skinEnabled_) {
        CallDefault(message);
        // Switched off or not, the skinner must know its window is gone.
        if (message.msg == WM_NCDESTROY && lifeState_ != lsWindowGone) {
            lifeState_ = lsWindowGone;
            Detach();
        }
        return;
    }
    if (!BeforeMessage(message)) return;
    // The control's handling may free the control, and this skinner with it
    // (a click handler that frees its button): then nothing of it is
    // touched after the call.
    bool destroyed = false;
    bool* const outer = destroyedFlag_;
    destroyedFlag_ = &destroyed;
    CallDefault(message);
    if (destroyed) {
        if (outer) *outer = true;
        return;
    }
    destroyedFlag_ = outer;
    AfterMessage(message);
}

void TSkinControl::AskForNewSkinner()
{
    auto* windowed = As<TWinControl>(control_);
    if (!windowed || !windowed->HandleAllocated() || !form_) return;
    const WPARAM window = reinterpret_cast<WPARAM>(windowed->WindowHandle());
    // The engine of the form the control is on now (it may have moved to
    // another form), and the engine that holds this skinner, which frees it.
    HWND current = nullptr;
    if (TWinControl* parentForm = windowed->ParentForm(); parentForm && parentForm->HandleAllocated() &&
                                                         SendMessageW(parentForm->WindowHandle(), WM_SKINQUERY, 0, 0) == 1)
        current = parentForm->WindowHandle();
    if (current) PostMessageW(current, WM_SKINRESCROLL, window, 0);
    if (form_->Window() && form_->Window() != current) PostMessageW(form_->Window(), WM_SKINRESCROLL, window, 0);
}

void TSkinControl::CallDefault(TMessage& message)
{
    if (handler_.Control())
        handler_.CallPrevious(message);
    else if (subclass_.Attached() || handle_)
        message.result = subclass_.CallPrevious(message.msg, message.wParam, message.lParam);
}

LRESULT TSkinControl::HandleSubclass::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    owner_.SkinWndProc(message);
    return message.result;
}

bool TSkinControl::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_NCDESTROY:
        CallDefault(message);
        skinEnabled_ = false;
        lifeState_ = lsWindowGone;
        Detach();
        return false;
    case WM_SKINQUERY:
        message.result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinControl::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case CM_ENABLEDCHANGED:
        if (message.msg == WM_SETTEXT && handle_ && !control_) caption_ = ReadWindowText(handle_);
        Redraw();
        break;
    case WM_PAINT:
        PaintWindow(reinterpret_cast<HDC>(message.wParam));
        break;
    default:
        break;
    }
}

void TSkinControl::Redraw()
{
    if (graphicControl_) {
        graphicControl_->Invalidate();
        return;
    }
    HWND window = TargetWindow();
    if (!window) {
        if (control_) control_->Invalidate();
        return;
    }
    if (!IsWindowVisible(window)) return;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void TSkinControl::PaintWindow(HDC dc)
{
    HWND window = TargetWindow();
    if (!window) return;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return;
    windowRect_ = rect;
    OffsetRect(&rect, -rect.left, -rect.top);
    enabledAtPaint_ = IsWindowEnabled(window) != FALSE;
    focusedAtPaint_ = GetFocus() == window;
    try {
        if (dc) {
            DrawSkin(dc, rect);
        } else {
            UniqueWindowDc windowDc = UniqueWindowDc::Whole(window);
            if (windowDc) DrawSkin(windowDc.get(), rect);
        }
    } catch (...) {
        // A failure while painting leaves the control as the platform drew it.
    }
}

void TSkinControl::DrawSkin(HDC, const RECT&) {}

void TSkinControl::SkinChanged()
{
    if (replaceColor_ && control_ && skinData_) control_->SetColor(static_cast<TColor>(skinData_->Colours.ButtonFace));
    Redraw();
}

int TSkinControl::ButtonStateFrame() const
{
    HWND window = TargetWindow();
    const bool enabled = control_ ? control_->Enabled() : (window && IsWindowEnabled(window));
    if (!enabled) return bfDisabled;
    if (mouseState_ & kMousePressed) return bfPressed;
    if (mouseState_ & kMouseHot) return bfHot;
    if (window && GetFocus() == window) return bfFocused;
    return bfNormal;
}

void TSkinControl::TrackMouse(const TMessage& message)
{
    const unsigned before = mouseState_;
    switch (message.msg) {
    case CM_MOUSEENTER:
        mouseState_ |= kMouseHot;
        break;
    case WM_MOUSEMOVE:
        if (!(mouseState_ & kMouseHot)) {
            mouseState_ |= kMouseHot;
            if (HWND window = TargetWindow(); window && !control_) RequestMouseLeave(window);
        }
        break;
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        mouseState_ &= ~kMouseHot;
        if (GetCapture() != TargetWindow()) mouseState_ &= ~kMousePressed;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        mouseState_ |= kMousePressed | kMouseHot;
        break;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        mouseState_ &= ~kMousePressed;
        break;
    default:
        return;
    }
    if (mouseState_ != before) Redraw();
}

void TSkinControl::PaintClient(TMessage& message)
{
    HWND window = TargetWindow();
    if (!window) return;
    auto draw = [&](HDC dc) {
        RECT rect{};
        if (!GetWindowRect(window, &rect)) return;
        windowRect_ = rect;
        OffsetRect(&rect, -rect.left, -rect.top);
        DrawSkin(dc, rect);
    };
    if (message.wParam) {
        draw(reinterpret_cast<HDC>(message.wParam));
    } else {
        PaintDc dc(window);
        draw(dc.get());
    }
    message.result = 0;
}

void TSkinControl::EraseBackground(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.wParam);
    if (control_) {
        if (HWND window = TargetWindow()) PaintParentBackground(window, dc);
    } else if (HWND window = TargetWindow()) {
        RECT client{};
        GetClientRect(window, &client);
        FillSkinColor(dc, client);
    }
    message.result = 1;
}

void TSkinControl::FillSkinColor(HDC dc, const RECT& rect)
{
    const COLORREF colour = skinData_ ? ResolveColour(skinData_->Colours.ButtonFace) : GetSysColor(COLOR_BTNFACE);
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

void TSkinControl::DrawFocusAround(HDC dc, UINT flags, const RECT& rect)
{
    RECT text = rect;
    DrawTextWide(dc, caption_, text, flags | DT_CALCRECT | DT_NOCLIP);
    if (flags & DT_CENTER)
        OffsetRect(&text, (Width(rect) - Width(text)) / 2, (Height(rect) - Height(text)) / 2 - 1);
    else if (flags & DT_RIGHT)
        OffsetRect(&text, Width(rect) - Width(text), 0);
    InflateRect(&text, 2, 1);
    text.left = std::max(text.left, rect.left);
    text.top = std::max(text.top, rect.top);
    text.right = std::min(text.right, rect.right);
    text.bottom = std::min(text.bottom, rect.bottom);
    if (text.right > text.left && text.bottom > text.top) DrawFocusRect(dc, &text);
}

UINT TSkinControl::TextFlags(UINT flags) const
{
    const TControl* source = control_ ? control_ : graphicControl_;
    if (source && source->UseRightToLeftReading()) flags |= DT_RTLREADING;
    return flags;
}

void TSkinControl::ForwardMouseDown(const TMessage& message)
{
    if (!control_) return;
    int x = GET_X_LPARAM(message.lParam), y = GET_Y_LPARAM(message.lParam);
    if (control_->Width() > 32768 || control_->Height() > 32768) {
        // Positions past 32767 do not fit the message's signed 16-bit pair.
        POINT cursor{};
        GetCursorPos(&cursor);
        const POINT client = control_->ScreenToClient(cursor);
        x = client.x;
        y = client.y;
    }
    control_->MouseDown(mbLeft, ShiftStateFromMouseFlags(message.wParam), x, y);
}

LONG_PTR TSkinControl::GetStyle(HWND handle, int index) const
{
    return unicodeWindow_ ? GetWindowLongPtrW(handle, index) : GetWindowLongPtrA(handle, index);
}

// ---- shared drawing routines ---------------------------------------------------

void DrawElementState(HDC dc, const RECT& rect, int frames, int state, const TDataSkinObject* element)
{
    if (!element || Inverted(rect) || IsEmptyBitmap(element->Bitmap)) return;
    DrawElement(dc, rect, element->Bitmap.get(), false, element->Tile == 1, element->Trans == 1, frames, state,
                element->Margins());
}

void DrawKeyedFrame(HDC dc, const RECT& rect, int frames, int frame, HBITMAP strip)
{
    if (Inverted(rect)) return;
    DrawStripFrame(dc, rect, strip, true, frames, frame);
}

void DrawCaptionText(HDC dc, const RECT& rect, UINT flags, bool enabled, std::u16string_view text, UINT extraFlags)
{
    SetBkMode(dc, TRANSPARENT);
    RECT box = rect;
    DrawTextWide(dc, text, box, flags | DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS);
    const int dy = (Height(rect) - Height(box)) / 2 - 1;
    if (flags == DT_CENTER) {
        OffsetRect(&box, (Width(rect) - Width(box)) / 2, dy);
    } else {
        OffsetRect(&box, 0, dy);
        box.left = rect.left;
        box.right = rect.right;
    }
    const COLORREF previous = enabled ? GetTextColor(dc) : SetTextColor(dc, SystemColour(COLOR_GRAYTEXT));
    DrawTextWide(dc, text, box, flags | extraFlags | DT_EXPANDTABS);
    SetTextColor(dc, previous);
}

void DrawIconCaption(HDC dc, const RECT& rect, int align, std::u16string_view text, int imageIndex,
                     HIMAGELIST imageList, bool enabled, UINT extraFlags)
{
    int iconWidth = 0, iconHeight = 0;
    if (imageIndex != -1 && imageList) {
        ImageList_GetIconSize(imageList, &iconWidth, &iconHeight);
        if (iconWidth >= Width(rect)) iconWidth = iconHeight = 0;
    }
    const UINT textFlags = DT_SINGLELINE | DT_EXPANDTABS | DT_END_ELLIPSIS;
    RECT measured = rect;
    DrawTextWide(dc, text, measured, textFlags | DT_CALCRECT);
    const int textWidth = Width(measured);
    int x = align == 0 ? 3 : align == 1 ? (Width(rect) - iconWidth - textWidth) / 2 : Width(rect) - iconWidth - textWidth - 2;
    if (x < 2) x = 1;
    if (iconWidth > 0)
        ImageList_Draw(imageList, imageIndex, dc, rect.left + x, rect.top + (Height(rect) - iconWidth) / 2,
                       ILD_TRANSPARENT);
    RECT box{rect.left + x + iconWidth, rect.top, rect.right, rect.bottom};
    const int textHeight = Height(measured);
    box.top = rect.top + (Height(rect) - textHeight) / 2;
    box.bottom = box.top + textHeight;
    box.left = std::max(box.left, rect.left);
    box.right = std::min(box.right, rect.right);
    SetBkMode(dc, TRANSPARENT);
    const COLORREF previous = enabled ? GetTextColor(dc) : SetTextColor(dc, SystemColour(COLOR_GRAYTEXT));
    DrawTextWide(dc, text, box, textFlags | extraFlags);
    SetTextColor(dc, previous);
}

void DrawCentredText(HDC dc, const RECT& rect, std::u16string_view text, int align, bool enabled)
{
    const UINT alignFlag = align == 0 ? DT_LEFT : align == 1 ? DT_RIGHT : DT_CENTER;
    SetBkMode(dc, TRANSPARENT);
    RECT box = rect;
    DrawTextWide(dc, text, box, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP);
    OffsetRect(&box, (Width(rect) - Width(box)) / 2, (Height(rect) - Height(box)) / 2);
    const COLORREF previous = enabled ? GetTextColor(dc) : SetTextColor(dc, SystemColour(COLOR_GRAYTEXT));
    DrawTextWide(dc, text, box, DT_SINGLELINE | DT_EXPANDTABS | alignFlag);
    SetTextColor(dc, previous);
}

std::u16string ReplaceFirst(std::u16string text, std::u16string_view from, std::u16string_view to)
{
    if (from.empty()) return text;
    const size_t at = text.find(from);
    if (at != std::u16string::npos) text.replace(at, from.size(), to);
    return text;
}

std::u16string ReadWindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<WCHAR*>(text.data()), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

}  // namespace quorvane
