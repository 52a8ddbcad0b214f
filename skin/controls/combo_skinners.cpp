#include "skin/controls/combo_skinners.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/controls/control_paint.h"
#include "skin/controls/scrollbar_skinners.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool HasEditOrDropDown(LONG_PTR style)
{
    // CBS_SIMPLE is 1, CBS_DROPDOWN 2, CBS_DROPDOWNLIST 3.
    return (style & 1) == 0 || (style & 2) != 0;
}

}  // namespace

bool IsPopupWindow(HWND window)
{
    if (!window) return false;
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP) != 0 ||
           reinterpret_cast<UINT_PTR>(GetParent(window)) == 0x10014;
}

const TClassInfo& TSkinComBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinComBox", &TSkinControl::StaticClass());
    return info;
}

TSkinComBox::TSkinComBox(TComponent* owner) : TSkinControl(owner) {}

TSkinComBox::~TSkinComBox()
{
    editHook_.Detach();
}

void TSkinComBox::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    if (Attached()) FinishAttach();
}

void TSkinComBox::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
    if (Attached()) FinishAttach();
}

void TSkinComBox::FinishAttach()
{
    HWND window = TargetWindow();
    if (!window) return;
    style_ = GetStyle(window, GWL_STYLE);
    exStyle_ = GetStyle(window, GWL_EXSTYLE);
    if (HasEditOrDropDown(style_)) {
        // The edit of an editable combo paints over the combo's middle; its
        // paints and clicks bring the frame along.
        editHandle_ = GetWindow(window, GW_CHILD);
        if (editHandle_) editHook_.Attach(editHandle_);
        return;
    }
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!OptionalGetComboBoxInfo(window, &info)) return;
    listHandle_ = info.hwndList;
    if (listHandle_ && !IsPopupWindow(listHandle_) && (GetWindowLongPtrW(listHandle_, GWL_STYLE) & WS_CHILD)) {
        listScroll_ = new TSkinScrollbarH(this);
        listScroll_->AttachHandle(listHandle_, SkinData(), Form(), canvas_);
    }
}

void TSkinComBox::Detach()
{
    TSkinControl::Detach();
    editHook_.Detach();
    if (listScroll_) {
        if (listScroll_->LifeState() != lsWindowGone) listScroll_->Detach();
        Free(listScroll_);
        listScroll_ = nullptr;
    }
}

LRESULT TSkinComBox::EditHook::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT:
        owner_.PaintWindow(nullptr);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        owner_.mouseState_ |= kMousePressed;
        owner_.Redraw();
        break;
    case WM_LBUTTONUP:
        owner_.mouseState_ &= ~kMousePressed;
        owner_.Redraw();
        break;
    default:
        break;
    }
    return result;
}

void TSkinComBox::SetHot(bool hot)
{
    const bool was = (mouseState_ & kMouseHot) != 0;
    if (was == hot) return;
    if (hot)
        mouseState_ |= kMouseHot;
    else
        mouseState_ &= ~kMouseHot;
    Redraw();
}

bool TSkinComBox::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_PAINT && message.wParam == 0 && HasPicture(SkinData() ? SkinData()->ComboButton.get() : nullptr)) {
        // The combo paints its text into the picture, the skin goes over it,
        // and the screen gets one copy.
        HWND window = TargetWindow();
        if (!window) return true;
        PaintBuffered(
            window,
            [&](HDC dc) {
                TMessage inner{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
                CallDefault(inner);
            },
            [&](HDC dc, const RECT& rect) {
                RECT windowRect{};
                GetWindowRect(window, &windowRect);
                windowRect_ = windowRect;
                enabledAtPaint_ = IsWindowEnabled(window) != FALSE;
                focusedAtPaint_ = GetFocus() == window || (editHandle_ && GetFocus() == editHandle_);
                DrawSkin(dc, rect);
            });
        message.result = 0;
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinComBox::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return;
    case WM_MOUSEMOVE: {
        const POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        HWND window = TargetWindow();
        const bool enabled = window && IsWindowEnabled(window);
        SetHot(enabled && PtInRect(&buttonRect_, point));
        if (window && !Control()) RequestMouseLeave(window);
        return;
    }
    case WM_DRAWITEM:
    case WM_NCPAINT:
        Redraw();
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        mouseState_ |= kMousePressed;
        Redraw();
        return;
    case WM_LBUTTONUP:
        mouseState_ &= ~kMousePressed;
        Redraw();
        return;
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        if (mouseState_ & kMouseHot) SetHot(false);
        return;
    case CN_COMMAND:
        if (IsReflectedNotification(message)) {
            if (HIWORD(message.wParam) == CBN_DROPDOWN) {
                droppedDown_ = true;
            } else if (HIWORD(message.wParam) == CBN_CLOSEUP) {
                droppedDown_ = false;
                mouseState_ &= ~kMousePressed;
                Redraw();
            }
        }
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

int TSkinComBox::State() const
{
    HWND window = TargetWindow();
    if (window && !IsWindowEnabled(window)) return 3;
    const bool dropped = droppedDown_ || (window && SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0));
    if ((mouseState_ & kMousePressed) || dropped) return 2;
    if ((mouseState_ & kMouseHot) || focusedAtPaint_) return 4;
    return 1;
}

void TSkinComBox::DrawSkin(HDC dc, const RECT& rect)
{
    TSkinData* skin = SkinData();
    if (!skin || !HasPicture(skin->ComboButton.get())) return;
    HWND window = TargetWindow();
    if (!window) return;
    style_ = GetStyle(window, GWL_STYLE);
    exStyle_ = GetStyle(window, GWL_EXSTYLE);
    // The skin's button goes where the platform has its button, which is
    // where clicks open the list and where the text is not: a right-to-left
    // combo box (WS_EX_LEFTSCROLLBAR) has it at the left on platforms that
    // move it there. Not every platform does (Wine's stays at the right),
    // so the reported button decides when there is one.
    bool rightToLeft = (exStyle_ & WS_EX_LEFTSCROLLBAR) != 0;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    const bool reported = OptionalGetComboBoxInfo(window, &info);
    if (reported) {
        buttonRect_ = info.rcButton;
        // A simple combo box has no button.
        if (info.stateButton == STATE_SYSTEM_INVISIBLE) return;
        if (!IsRectEmpty(&info.rcButton)) rightToLeft = info.rcButton.left + info.rcButton.right < rect.right;
    }
    const TDataSkinBorder& button = *skin->ComboButton;
    const int state = State();
    paintedState_ = state;
    SavedDcState saved(dc);
    if (button.Style == 1) {
        DrawFramedLook(dc, rect, state, rightToLeft);
        return;
    }
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    if (button.Style == 2) {
        // The combo composite (or a skin's whole-frame picture): the middle
        // is key-coloured, so the text the combo drew shows through.
        // Right to left, the composite's mirror image: the skin data mirrors
        // the composite strip as a whole, so its frames run in reverse order.
        const SkinContent::MirroredComboButton mirror = skin->RightToLeftComboButton();
        if (rightToLeft && mirror.picture) {
            DrawElement(dc, rect, mirror.picture, false, mirror.element->Tile == 1, true, mirror.frames,
                        std::max(mirror.FrameFor(state), 1), mirror.element->Margins());
        } else {
            DrawElement(dc, rect, button.Bitmap.get(), false, button.Tile == 1, true, std::max(button.Frame, 1), state,
                        button.Margins());
        }
        if (!reported)
            buttonRect_ = rightToLeft ? RECT{0, 0, arrow + 2, rect.bottom} : RECT{rect.right - arrow - 2, 0, rect.right, rect.bottom};
        return;
    }
    RECT glyph{};
    HBITMAP strip = button.Bitmap.get();
    if (!rightToLeft) {
        ExcludeClipRect(dc, 2, 2, rect.right - arrow - 4, rect.bottom - 2);
        buttonRect_ = RECT{rect.right - arrow - 2, 0, rect.right, rect.bottom};
        glyph = RECT{buttonRect_.left, 0, rect.right - 2, rect.bottom};
    } else {
        ExcludeClipRect(dc, arrow + 4, 2, rect.right - 2, rect.bottom - 2);
        buttonRect_ = RECT{0, 0, arrow + 2, rect.bottom};
        glyph = RECT{2, 0, arrow + 2, rect.bottom};
        if (HBITMAP mirrored = skin->RightToLeftComboButton().picture) strip = mirrored;
    }
    if (HasPicture(skin->SunkEdge.get())) DrawElementState(dc, rect, std::max(skin->SunkEdge->Frame, 1), state, skin->SunkEdge.get());
    DrawKeyedFrame(dc, buttonRect_, std::max(button.Frame, 1), state, strip);
    if (HasPicture(skin->ExtraImages.get())) {
        const SIZE size = BitmapSize(skin->ExtraImages->Bitmap.get());
        const int frames = std::max(skin->ExtraImages->Frame, 1);
        const int w = size.cx / frames, h = size.cy;
        const RECT at{glyph.left + (Width(glyph) - w) / 2, glyph.top + (Height(glyph) - h) / 2,
                      glyph.left + (Width(glyph) - w) / 2 + w, glyph.top + (Height(glyph) - h) / 2 + h};
        DrawKeyedFrame(dc, at, frames, state, skin->ExtraImages->Bitmap.get());
    }
}

void TSkinComBox::DrawFramedLook(HDC dc, const RECT& rect, int state, bool rightToLeft)
{
    TSkinData* skin = SkinData();
    const TDataSkinBorder& button = *skin->ComboButton;
    HBRUSH brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
    RECT inner = rect;
    InflateRect(&inner, -1, -1);
    FrameRect(dc, &inner, brush);
    InflateRect(&inner, -1, -1);
    const int column = GetSystemMetrics(SM_CYVTHUMB);
    RECT strip = rightToLeft ? RECT{inner.left, inner.top, inner.left + column, inner.bottom}
                             : RECT{inner.right - column, inner.top, inner.right, inner.bottom};
    FillRect(dc, &strip, brush);
    FrameColour(dc, rect, SkinShadow(skin));
    const SIZE size = BitmapSize(button.Bitmap.get());
    const int frames = std::max(button.Frame, 1);
    const int frameWidth = size.cx / frames;
    const int height = std::min(static_cast<int>(size.cy), Height(inner));
    buttonRect_ = rightToLeft ? RECT{inner.left, inner.top, inner.left + frameWidth, inner.top + height}
                              : RECT{inner.right - frameWidth, inner.top, inner.right, inner.top + height};
    // Without the mouse on it or the focus in it, the framed look shows the
    // button disabled.
    const int frame = state == 1 ? 3 : state;
    DrawKeyedFrame(dc, buttonRect_, frames, frame, button.Bitmap.get());
}

}  // namespace quorvane
