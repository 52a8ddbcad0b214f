#include "skin/controls/edit_skinners.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "skin/controls/control_paint.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

// Moves the two colours a control painted itself in (its ground and its ink,
// with the shades between) onto the skin's, pixel by pixel.
auto PixelRecolouring(COLORREF fromGround, COLORREF fromInk, COLORREF toGround, COLORREF toInk)
{
    return [=](RGBQUAD* pixels, int width, int height) {
        for (int i = 0; i < width * height; ++i) {
            COLORREF colour = RGB(pixels[i].rgbRed, pixels[i].rgbGreen, pixels[i].rgbBlue);
            if (!RecolourPixel(colour, fromGround, fromInk, toGround, toInk)) continue;
            pixels[i].rgbRed = GetRValue(colour);
            pixels[i].rgbGreen = GetGValue(colour);
            pixels[i].rgbBlue = GetBValue(colour);
        }
    };
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A skin engine asks a control to paint itself into a DC with this message
// (lParam kSkinMagic).
constexpr UINT WM_SKINPAINTINTO = 0xBC4A;

constexpr wchar_t kArrowClass[] = L"QuorvaneSkinDateArrow";

std::string LowerClassName(HWND window)
{
    WCHAR name[101] = {};
    const int length = GetClassNameW(window, name, 100);
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>(std::tolower(name[i] < 128 ? name[i] : '?'));
    return text;
}

// Frames the window rectangle in the shadow colour and `rings` more rings
// inward in the field colour.
void DrawEditFrame(HDC dc, HWND window, COLORREF shadow, COLORREF field, int rings)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    FrameColour(dc, rect, shadow);
    for (int i = 0; i < rings; ++i) {
        InflateRect(&rect, -1, -1);
        FrameColour(dc, rect, field);
    }
}

// The plain arrow of a half without the skin's up-down pictures: chevrons
// 7 wide and 4 tall pointing up or down, small triangles 3 wide and 5 tall
// pointing left or right.
void DrawPlainArrow(HDC dc, const RECT& half, int direction, COLORREF colour)
{
    UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    SelectGuard select(dc, pen.get());
    const int cx = half.left + Width(half) / 2, cy = half.top + Height(half) / 2;
    switch (direction) {
    case 0:  // up
    case 1:  // down
        for (int row = 0; row < 4; ++row) {
            const int y = direction == 0 ? cy - 2 - 2 + row : cy - 2 + 1 - row;
            MoveToEx(dc, cx - 3 + row, y, nullptr);
            LineTo(dc, cx + 4 - row, y);
        }
        break;
    case 2:  // left
    case 3:  // right
        for (int column = 0; column < 3; ++column) {
            const int x = direction == 2 ? cx - 1 + column : cx + 1 - column;
            MoveToEx(dc, x, cy - column, nullptr);
            LineTo(dc, x, cy + column + 1);
        }
        break;
    default:
        break;
    }
}

}  // namespace

COLORREF FieldColour(TControl* control)
{
    if (control) return ColorToRGB(control->Color());
    return SystemColour(COLOR_WINDOW);
}

bool HasBorder(HWND window)
{
    RECT windowRect{}, client{};
    if (!window || !GetWindowRect(window, &windowRect) || !GetClientRect(window, &client)) return false;
    return Width(client) < Width(windowRect) && Height(client) < Height(windowRect);
}

namespace {

// A date-time picker paints its field in the platform's colours whatever it
// is told: it paints off-screen, and the platform's field and selection
// colours are moved onto the control's and the skin's.
void PaintPickerRecoloured(HWND window, TControl* control, const std::function<void(HDC)>& paintOwn)
{
    const COLORREF sysWindow = GetSysColor(COLOR_WINDOW), sysText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF sysSelection = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF field = FieldColour(control);
    const COLORREF text = control ? ColorToRGB(control->Font()->Color()) : SystemColour(COLOR_WINDOWTEXT);
    const COLORREF selection = SystemColour(COLOR_HIGHLIGHT), selectionText = SystemColour(COLOR_HIGHLIGHTTEXT);
    PaintRecolouredClient(
        window, sysWindow, paintOwn,
        [&](RGBQUAD* pixels, int width, int height) {
            // The focused part of the date stands on the caption colour:
            // inside its box the caption-to-window line comes first.
            RECT selected{width, height, 0, 0};
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const RGBQUAD& q = pixels[y * width + x];
                    if (RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) != sysSelection) continue;
                    selected.left = std::min<LONG>(selected.left, x);
                    selected.top = std::min<LONG>(selected.top, y);
                    selected.right = std::max<LONG>(selected.right, x + 1);
                    selected.bottom = std::max<LONG>(selected.bottom, y + 1);
                }
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    RGBQUAD& q = pixels[y * width + x];
                    COLORREF colour = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
                    const bool inSelection =
                        x >= selected.left && x < selected.right && y >= selected.top && y < selected.bottom;
                    if (!(inSelection && RecolourPixel(colour, sysSelection, sysWindow, selection, selectionText)))
                        RecolourPixel(colour, sysWindow, sysText, field, text);
                    q.rgbRed = GetRValue(colour);
                    q.rgbGreen = GetGValue(colour);
                    q.rgbBlue = GetBValue(colour);
                }
        });
}

// A date-time picker's window: the platform's class or one built on it.
bool IsDatePicker(HWND window, TControl* control)
{
    if (control && control->InheritsFrom("TDateTimePicker")) return true;
    return LowerClassName(window).find("datetimepick") != std::string::npos;
}

}  // namespace

// ---- TSkinEdit ------------------------------------------------------------------

const TClassInfo& TSkinEdit::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinEdit", &TSkinControl::StaticClass());
    return info;
}

TSkinEdit::TSkinEdit(TComponent* owner) : TSkinControl(owner) {}

bool TSkinEdit::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_SKINPAINTINTO && message.lParam == kSkinMagic) {
        if (message.wParam) {
            TMessage paint{WM_PAINT, message.wParam, 0, 0};
            CallDefault(paint);
        }
        message.result = kSkinMagic;
        return false;
    }
    if (message.msg == WM_PAINT && !message.wParam && TargetWindow() &&
        IsDatePicker(TargetWindow(), Control())) {
        SkinPickerCheck(this, TargetWindow(), canvas_);
        // An up-down date or time picker is framed as an edit, but paints its
        // field in the platform's colours whatever it is told, as a drop-down
        // one does: its field and text are moved onto the field's and the
        // skin's colours the same way.
        PaintPickerRecoloured(TargetWindow(), Control(), [this](HDC dc) {
            TMessage own{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
            CallDefault(own);
        });
        PaintWindow(nullptr);
        message.result = 0;
        return false;
    }
    if (message.msg == WM_PAINT && !message.wParam && TargetWindow() && !IsWindowEnabled(TargetWindow())) {
        // The platform draws a disabled edit's text in its own grey whatever
        // it is told; the skin's grey takes its place.
        const COLORREF field = FieldColour(Control());
        const COLORREF platformGrey = GetSysColor(COLOR_GRAYTEXT), skinGrey = SystemColour(COLOR_GRAYTEXT);
        if (platformGrey != skinGrey) {
            PaintRecolouredClient(
                TargetWindow(), field,
                [this](HDC dc) {
                    TMessage own{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
                    CallDefault(own);
                },
                PixelRecolouring(field, platformGrey, field, skinGrey));
            PaintWindow(nullptr);
            message.result = 0;
            return false;
        }
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinEdit::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PRINT: {
        HWND window = TargetWindow();
        if (!window) return;
        if (message.wParam) {
            DrawFramedLook(reinterpret_cast<HDC>(message.wParam));
        } else {
            UniqueWindowDc dc = UniqueWindowDc::Whole(window);
            if (dc) DrawFramedLook(dc.get());
        }
        return;
    }
    case WM_NCPAINT:
        // The platform has drawn its own frame again.
        PaintWindow(nullptr);
        return;
    case WM_PAINT:
        PaintWindow(nullptr);
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinEdit::DrawFramedLook(HDC dc)
{
    HWND window = TargetWindow();
    RECT windowRect{}, client{};
    GetWindowRect(window, &windowRect);
    GetClientRect(window, &client);
    if (Width(windowRect) - Width(client) < 2 || Height(windowRect) - Height(client) < 2) return;
    DrawEditFrame(dc, window, SkinShadow(SkinData()), FieldColour(Control()), 1);
}

void TSkinEdit::FindUpDown()
{
    if (upDown_ || !SkinData() || !(SkinData()->SkinControls() & (1u << xcSpin))) return;
    HWND window = TargetWindow();
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string name = LowerClassName(child);
        if (name == "msctls_updown32" || name.find("spin") != std::string::npos ||
            name.find("updown") != std::string::npos) {
            upDown_ = new TSkinUpDown(this);
            upDown_->Embedded = true;
            upDown_->AttachHandle(child, SkinData(), Form(), canvas_);
            return;
        }
    }
}

void TSkinEdit::DrawSkin(HDC dc, const RECT&)
{
    HWND window = TargetWindow();
    if (!window) return;
    FindUpDown();
    if (!HasBorder(window)) return;
    DrawEditFrame(dc, window, SkinShadow(SkinData()), FieldColour(Control()), 2);
}

// ---- TSkinPickerCheck ---------------------------------------------------------------

const TClassInfo& TSkinPickerCheck::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinPickerCheck", &TSkinControl::StaticClass());
    return info;
}

TSkinPickerCheck::TSkinPickerCheck(TComponent* owner) : TSkinControl(owner) {}

bool TSkinPickerCheck::BeforeMessage(TMessage& message)
{
    HWND window = TargetWindow();
    if (message.msg == WM_PAINT && !message.wParam && window) {
        const COLORREF sysWindow = GetSysColor(COLOR_WINDOW), sysText = GetSysColor(COLOR_WINDOWTEXT);
        const COLORREF field = Picker ? ColorToRGB(Picker->Color(), window) : SystemColourFor(window, COLOR_WINDOW);
        const COLORREF text = Picker ? ColorToRGB(Picker->Font()->Color(), window) : SystemColourFor(window, COLOR_WINDOWTEXT);
        if (field == sysWindow && text == sysText) return TSkinControl::BeforeMessage(message);
        PaintRecolouredClient(
            window, field,
            [this](HDC dc) {
                TMessage own{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
                CallDefault(own);
            },
            PixelRecolouring(sysWindow, sysText, field, text));
        message.result = 0;
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void SkinPickerCheck(TSkinControl* picker, HWND pickerWindow, TCanvas* canvas)
{
    if (!picker || !pickerWindow || !picker->SkinData()) return;
    for (HWND child = GetWindow(pickerWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (LowerClassName(child) != "button" || SendMessageW(child, WM_SKINQUERY, 0, 0) == 1) continue;
        auto* check = new TSkinPickerCheck(picker);
        check->Picker = picker->Control();
        check->AttachHandle(child, picker->SkinData(), picker->Form(), canvas);
        InvalidateRect(child, nullptr, TRUE);
    }
}

// ---- TSkinUpDown -------------------------------------------------------------------

const TClassInfo& TSkinUpDown::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinUpDown", &TSkinControl::StaticClass());
    return info;
}

TSkinUpDown::TSkinUpDown(TComponent* owner) : TSkinControl(owner) {}

bool TSkinUpDown::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
        PaintClient(message);
        return false;
    case WM_ERASEBKGND:
        if (!Control()) {
            RECT client{};
            GetClientRect(TargetWindow(), &client);
            FillColour(reinterpret_cast<HDC>(message.wParam), client, FieldColour(nullptr));
        }
        message.result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        CallDefault(message);
        mouseState_ |= kMousePressed;
        PaintWindow(nullptr);
        return false;
    case WM_LBUTTONUP:
        mouseState_ &= ~kMousePressed;
        CallDefault(message);
        PaintWindow(nullptr);
        return false;
    case WM_MOUSEMOVE:
        CallDefault(message);
        if (!(mouseState_ & kMouseHot)) {
            mouseState_ |= kMouseHot;
            if (!Control()) RequestMouseLeave(TargetWindow());
        }
        // The half under the mouse may have changed.
        PaintWindow(nullptr);
        return false;
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        CallDefault(message);
        mouseState_ &= ~kMouseHot;
        PaintWindow(nullptr);
        return false;
    case CM_MOUSEENTER:
        CallDefault(message);
        mouseState_ |= kMouseHot;
        PaintWindow(nullptr);
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinUpDown::DrawSkin(HDC dc, const RECT&)
{
    HWND window = TargetWindow();
    if (!window) return;
    TSkinData* skin = SkinData();
    RECT client{};
    GetClientRect(window, &client);
    RECT area = client;
    if (Embedded) {
        // Inside an edit: the arrows keep 3 pixels from the edit's edges.
        FillColour(dc, client, FieldColour(nullptr));
        HWND edit = GetParent(window);
        RECT editRect{}, own{};
        GetWindowRect(edit, &editRect);
        GetWindowRect(window, &own);
        area.top += std::max<LONG>(0, editRect.top + 3 - own.top);
        area.right -= std::max<LONG>(0, own.right - (editRect.right - 3));
        area.bottom -= std::max<LONG>(0, own.bottom - (editRect.bottom - 3));
    }
    if (Width(area) <= 0 || Height(area) <= 0) return;
    ComposedPicture picture(Width(area), Height(area));
    if (!picture) return;
    HDC pic = picture.dc();
    const RECT all{0, 0, Width(area), Height(area)};
    FillColour(pic, all, SkinFace(skin));
    const bool enabled = IsWindowEnabled(window) != FALSE;
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    cursor.x -= area.left;
    cursor.y -= area.top;
    const bool horizontal = Orientation == 1 || (GetStyle(window, GWL_STYLE) & UDS_HORZ);
    RECT first = all, second = all;
    if (horizontal) {
        first.right = second.left = Width(all) / 2;
    } else {
        first.bottom = second.top = Height(all) / 2;
    }
    const bool inside = PtInRect(&all, cursor) != FALSE;
    auto stateOf = [&](const RECT& half) {
        if (!enabled) return 3;
        if (!inside || !PtInRect(&half, cursor)) return 1;
        if (mouseState_ & kMousePressed) return 2;
        if (mouseState_ & kMouseHot) return 4;
        return 1;
    };
    paintedFirst_ = stateOf(first);
    paintedSecond_ = stateOf(second);
    const TDataSkinBorder* element = skin ? (horizontal ? skin->UpDownHorz.get() : skin->UpDownVert.get()) : nullptr;
    auto drawHalf = [&](const RECT& half, int frame, int direction, int state) {
        if (HasPicture(element)) {
            DrawStripFrame(pic, half, element->Bitmap.get(), true, 8, frame);
            if (!IsEmptyBitmap(element->Bitmap2)) DrawStripFrameCentred(pic, half, element->Bitmap2.get(), true, 8, frame);
            return;
        }
        const bool sunk = state == 2 || state == 4;
        FillColour(pic, half, sunk ? SkinShadow(skin) : SkinFace(skin));
        FrameColour(pic, half, SkinDarkShadow(skin));
        DrawPlainArrow(pic, half, direction, enabled ? SystemColour(COLOR_BTNTEXT) : SystemColour(COLOR_GRAYTEXT));
    };
    drawHalf(first, paintedFirst_, horizontal ? 2 : 0, paintedFirst_);
    drawHalf(second, paintedSecond_ + 4, horizontal ? 3 : 1, paintedSecond_);
    picture.CopyTo(dc, area.left, area.top);
}

// ---- TArrowButton ----------------------------------------------------------------------

TArrowButton::TArrowButton(TSkinDateTime& skinner) : skinner_(skinner), size_(GetSystemMetrics(SM_CXHSCROLL)) {}

void TArrowButton::Bind(HWND picker)
{
    if (window_ || !picker) return;
    picker_ = picker;
    if (!CreateDrawnWindow(kArrowClass, 0, 0, WS_CHILD | WS_VISIBLE, Place(), picker)) return;
    InvalidateRect(window_, nullptr, TRUE);
}

RECT TArrowButton::Place() const
{
    RECT rect{};
    GetWindowRect(picker_, &rect);
    const bool rightToLeft = (GetWindowLongPtrW(picker_, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    const int x = rightToLeft ? 2 : Width(rect) - size_ - 4;
    return RECT{x, 0, x + size_, size_ + 1};
}

void TArrowButton::FollowPicker()
{
    if (!window_ || !picker_) return;
    // Over the picker's own button wherever a resize (or a change of
    // reading order) puts it; left where it was it would cover the text,
    // and a click there would land on the text field.
    const RECT place = Place();
    RECT now{};
    GetWindowRect(window_, &now);
    MapWindowPoints(nullptr, picker_, reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, &place)) return;
    SetWindowPos(window_, nullptr, place.left, place.top, Width(place), Height(place), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TArrowButton::Paint(HDC dc)
{
    RECT client{};
    GetClientRect(window_, &client);
    ComposedPicture picture(client.right, client.bottom);
    if (!picture) return;
    TSkinData* skin = skinner_.SkinData();
    FillColour(picture.dc(), client, SkinFace(skin));
    if (skin && HasPicture(skin->ComboxArrow.get()))
        DrawStripFrame(picture.dc(), client, skin->ComboxArrow->Bitmap.get(), false,
                       std::max(skin->ComboxArrow->Frame, 1), hot_ ? 4 : 1);
    picture.CopyTo(dc, 0, 0);
}

LRESULT TArrowButton::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!hot_ && IsWindowEnabled(picker_)) {
            hot_ = true;
            InvalidateRect(window_, nullptr, FALSE);
        }
        RequestMouseLeave(window_);
        return 0;
    case WM_MOUSELEAVE:
        if (hot_ && IsWindowEnabled(picker_)) {
            hot_ = false;
            InvalidateRect(window_, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The picker opens its calendar on a click on its own button, which
        // lies under this one.
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        MapWindowPoints(window_, picker_, &point, 1);
        PostMessageW(picker_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        PostMessageW(picker_, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    }
    case WM_LBUTTONUP:
        SetFocus(picker_);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, msg, wParam, lParam);
}

// ---- TSkinDateTime -----------------------------------------------------------------------

const TClassInfo& TSkinDateTime::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinDateTime", &TSkinControl::StaticClass());
    return info;
}

TSkinDateTime::TSkinDateTime(TComponent* owner) : TSkinControl(owner) {}

TSkinDateTime::~TSkinDateTime() { arrow_.reset(); }

void TSkinDateTime::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    if (!Attached()) return;
    HWND window = TargetWindow();
    savedStyle_ = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, savedStyle_ | WS_CLIPCHILDREN);
    arrow_ = std::make_unique<TArrowButton>(*this);
    arrow_->Bind(window);
}

void TSkinDateTime::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
    if (!Attached()) return;
    savedStyle_ = GetWindowLongPtrW(handle, GWL_STYLE);
    SetWindowLongPtrW(handle, GWL_STYLE, savedStyle_ | WS_CLIPCHILDREN);
    arrow_ = std::make_unique<TArrowButton>(*this);
    arrow_->Bind(handle);
}

void TSkinDateTime::Detach()
{
    TSkinControl::Detach();
    if (LifeState() == lsWindowGone) return;
    arrow_.reset();
    if (HWND window = TargetWindow(); window && IsWindow(window) && !(savedStyle_ & WS_CLIPCHILDREN))
        SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN));
}

bool TSkinDateTime::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_PAINT && !message.wParam && TargetWindow()) {
        SkinPickerCheck(this, TargetWindow(), canvas_);
        PaintRecoloured();
        message.result = 0;
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinDateTime::PaintRecoloured() { PaintPickerRecoloured(TargetWindow(), Control(), [this](HDC dc) {
    TMessage own{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    CallDefault(own);
}); }

void TSkinDateTime::AfterMessage(TMessage& message)
{
    if (message.msg == WM_NCPAINT) {
        PaintWindow(nullptr);
        return;
    }
    if ((message.msg == WM_SIZE || message.msg == WM_WINDOWPOSCHANGED || message.msg == WM_STYLECHANGED) && arrow_)
        arrow_->FollowPicker();
    TSkinControl::AfterMessage(message);
}

void TSkinDateTime::DrawSkin(HDC dc, const RECT&)
{
    HWND window = TargetWindow();
    if (!window || !HasBorder(window)) return;
    DrawEditFrame(dc, window, SkinShadow(SkinData()), FieldColour(Control()), 1);
}

}  // namespace quorvane
