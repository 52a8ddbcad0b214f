#include "skin/controls/media_skinners.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "framework/properties.h"
#include "skin/controls/control_paint.h"
#include "skin/data/bitmap_utils.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

constexpr wchar_t kBarClass[] = L"QuorvaneSkinMediaBar";
// The glyphs' transparent colour: olive.
constexpr COLORREF kOlive = RGB(128, 128, 0);
constexpr int kGlyph = 16;

const char* const kResourceNames[kMPButtonCount] = {"MPPLAY", "MPPAUSE", "MPSTOP", "MPNEXT", "MPPREV",
                                                   "MPSTEP", "MPBACK", "MPRECORD", "MPEJECT"};
const char* const kLooks[3] = {"EN", "DI", "CL"};
const char* const kButtonNames[kMPButtonCount] = {"btPlay", "btPause", "btStop", "btNext", "btPrev",
                                                 "btStep", "btBack", "btRecord", "btEject"};

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A glyph drawn in code: the shapes of the player's buttons in one colour
// on olive.
UniqueBitmap DrawGlyph(int button, COLORREF ink)
{
    UniqueBitmap bitmap = CreateBitmap24(kGlyph, kGlyph);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    SelectGuard select(dc.get(), bitmap.get());
    FillColour(dc.get(), RECT{0, 0, kGlyph, kGlyph}, kOlive);
    UniqueBrush brush(CreateSolidBrush(ink));
    UniquePen pen(CreatePen(PS_SOLID, 1, ink));
    SelectGuard selectBrush(dc.get(), brush.get());
    SelectGuard selectPen(dc.get(), pen.get());
    auto triangle = [&](int x0, int x1, bool right) {
        POINT points[3] = {{right ? x0 : x1, 3}, {right ? x0 : x1, 12}, {right ? x1 : x0, 7}};
        Polygon(dc.get(), points, 3);
    };
    auto bar = [&](int x, int w) { Rectangle(dc.get(), x, 3, x + w, 13); };
    switch (button) {
    case mbPlay: triangle(4, 11, true); break;
    case mbPause: bar(4, 3); bar(9, 3); break;
    case mbStop: Rectangle(dc.get(), 4, 4, 12, 12); break;
    case mbNext: triangle(3, 9, true); bar(10, 2); break;
    case mbPrev: bar(4, 2); triangle(6, 12, false); break;
    case mbStep: triangle(2, 7, true); triangle(7, 12, true); break;
    case mbBack: triangle(3, 8, false); triangle(8, 13, false); break;
    case mbRecord: Ellipse(dc.get(), 4, 4, 12, 12); break;
    case mbEject: {
        POINT points[3] = {{3, 9}, {12, 9}, {7, 4}};
        Polygon(dc.get(), points, 3);
        Rectangle(dc.get(), 3, 11, 13, 13);
        break;
    }
    default: break;
    }
    return bitmap;
}

const COLORREF kColouredInk[kMPButtonCount] = {RGB(0, 128, 0), RGB(0, 0, 192), RGB(192, 0, 0), RGB(0, 96, 160),
                                               RGB(0, 96, 160), RGB(0, 96, 160), RGB(0, 96, 160), RGB(192, 0, 0),
                                               RGB(64, 64, 64)};

}  // namespace

const char* MediaButtonName(int button)
{
    return button >= 0 && button < kMPButtonCount ? kButtonNames[button] : "";
}

// ---- TWMediaPlayer -----------------------------------------------------------------------

TWMediaPlayer::TWMediaPlayer(TSkinMP& skinner) : skinner_(skinner) { LoadGlyphs(); }

void TWMediaPlayer::LoadGlyphs()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Glyphs drawn here take the skin's button text colour, so they show
    // on a dark skin's buttons as well as on a light one's.
    const TSkinData* skin = skinner_.SkinData();
    const TDataSkinButton* face = skin && HasPicture(skin->Buttons.get()) ? skin->Buttons.get() : nullptr;
    const COLORREF enabledInk = face && face->HasNormalColour2 ? ResolveColour(face->NormalColour2) : RGB(0, 0, 0);
    for (int i = 0; i < kMPButtonCount; ++i) {
        for (int look = 0; look < 3; ++look) {
            const std::string name = std::string(kLooks[look]) + "_" + kResourceNames[i];
            HBITMAP loaded = static_cast<HBITMAP>(LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            if (loaded) {
                buttons_[static_cast<size_t>(i)].glyphs[static_cast<size_t>(look)].reset(loaded);
                continue;
            }
            const COLORREF ink = look == 0 ? enabledInk : look == 1 ? RGB(128, 128, 128) : kColouredInk[i];
            buttons_[static_cast<size_t>(i)].glyphs[static_cast<size_t>(look)] = DrawGlyph(i, ink);
        }
    }
}

void TWMediaPlayer::Bind(HWND control)
{
    if (window_ || !control) return;
    control_ = control;
    if (!CreateDrawnWindow(kBarClass, CS_DBLCLKS, WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_CLIPSIBLINGS, RECT{},
                           GetParent(control)))
        return;
    FollowControl();
}

void TWMediaPlayer::FollowControl()
{
    if (!window_ || !control_) return;
    // A control moved to another parent takes its bar along.
    if (HWND parent = GetParent(control_); parent && GetParent(window_) != parent) SetParent(window_, parent);
    RECT rect{};
    GetWindowRect(control_, &rect);
    MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&rect), 2);
    // Shown whenever the control is: both are children of one parent, so
    // the control's own style says it (its parent may not be on screen yet).
    const bool visible = (GetWindowLongPtrW(control_, GWL_STYLE) & WS_VISIBLE) != 0;
    HWND before = GetWindow(control_, GW_HWNDPREV);
    UINT flags = SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (before == window_) flags |= SWP_NOZORDER;
    SetWindowPos(window_, before ? before : HWND_TOP, rect.left, rect.top, Width(rect), Height(rect), flags);
}

void TWMediaPlayer::ReadButtons()
{
    TControl* control = skinner_.Control();
    if (!control) return;
    auto readSet = [&](const char* property, auto member) {
        if (!IsPublishedProp(control, property)) return;
        const std::string text = GetSetPropText(control, property);
        for (int i = 0; i < kMPButtonCount; ++i) {
            const std::string name = kButtonNames[i];
            // Names are whole members of the set text ("[btPlay,btStop]").
            bool found = false;
            for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
                const char after = at + name.size() < text.size() ? text[at + name.size()] : ']';
                if (after == ',' || after == ']' || after == ' ') found = true;
            }
            buttons_[static_cast<size_t>(i)].*member = found;
        }
    };
    readSet("VisibleButtons", &Button::visible);
    readSet("EnabledButtons", &Button::enabled);
    readSet("ColoredButtons", &Button::coloured);
}

int TWMediaPlayer::ButtonAt(POINT point) const
{
    RECT client{};
    if (buttonWidth_ <= 0 || !window_ || !GetClientRect(window_, &client) || !PtInRect(&client, point)) return -1;
    // Equal widths; the last button also takes what the division leaves,
    // as the control lays its buttons out.
    int x = 0, last = -1;
    for (int i = 0; i < kMPButtonCount; ++i) {
        if (!buttons_[static_cast<size_t>(i)].visible) continue;
        if (point.x < x + buttonWidth_) return i;
        x += buttonWidth_;
        last = i;
    }
    return last;
}

void TWMediaPlayer::Paint(HDC dc)
{
    if (!window_) return;
    ReadButtons();
    RECT client{};
    GetClientRect(window_, &client);
    if (Width(client) <= 0 || Height(client) <= 0) return;
    ComposedPicture picture(Width(client), Height(client));
    if (!picture) return;
    HDC pic = picture.dc();
    TSkinData* skin = skinner_.SkinData();
    FillColour(pic, client, SkinFace(skin));
    int visible = 0;
    for (const Button& button : buttons_) visible += button.visible ? 1 : 0;
    buttonWidth_ = visible ? Width(client) / visible : 0;
    int x = 0, visibleLeft = visible;
    // A disabled player has every button disabled, whatever its sets say.
    const bool playerEnabled = control_ && IsWindowEnabled(control_);
    for (int i = 0; visible && i < kMPButtonCount; ++i) {
        const Button& button = buttons_[static_cast<size_t>(i)];
        if (!button.visible) continue;
        --visibleLeft;
        const RECT cell{x, 0, visibleLeft == 0 ? Width(client) : x + buttonWidth_, Height(client)};
        x += buttonWidth_;
        const bool down = pressed_ && pressedButton_ == i;
        const bool enabled = playerEnabled && button.enabled;
        const int frame = down ? 2 : !enabled ? 3 : 1;
        if (skin && HasPicture(skin->Buttons.get())) {
            DrawElementState(pic, cell, 5, frame, skin->Buttons.get());
        } else {
            DrawEdge(pic, const_cast<RECT*>(&cell), down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        }
        const int look = enabled ? (button.coloured ? 2 : 0) : 1;
        HBITMAP glyph = button.glyphs[static_cast<size_t>(look)].get();
        const SIZE size = BitmapSize(glyph);
        const int shift = down ? 1 : 0;
        const int gx = cell.left + (Width(cell) - size.cx) / 2 + shift, gy = (Height(cell) - size.cy) / 2 + shift;
        TransparentDraw(pic, RECT{gx, gy, gx + size.cx, gy + size.cy}, glyph, kOlive);
    }
    if (dc) {
        picture.CopyTo(dc, 0, 0);
    } else {
        UniqueWindowDc target = UniqueWindowDc::Client(window_);
        if (target) picture.CopyTo(target.get(), 0, 0);
    }
}

LRESULT TWMediaPlayer::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        pressed_ = true;
        // The control finds the button and runs the device; its click
        // handler may free the player, and with it this bar.
        const std::weak_ptr<const bool> alive = Liveness();
        SendMessageW(control_, msg, wParam, lParam);
        if (alive.expired()) return 0;
        ReleaseCapture();
        // The release comes back to the bar wherever it happens, so a press
        // dragged off the bar and released there does not leave the button
        // drawn pressed (nor the control waiting for its release).
        if (window_) SetCapture(window_);
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(window_, &cursor);
        pressedButton_ = ButtonAt(cursor);
        // A disabled button does not go down.
        if (pressedButton_ >= 0 && (!buttons_[static_cast<size_t>(pressedButton_)].enabled || !IsWindowEnabled(control_)))
            pressedButton_ = -1;
        Paint();
        return 0;
    }
    case WM_LBUTTONUP: {
        pressed_ = false;
        if (window_ && GetCapture() == window_) ReleaseCapture();
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const std::weak_ptr<const bool> alive = Liveness();
        RECT client{};
        if (window_) GetClientRect(window_, &client);
        if (pressedButton_ >= 0 && PtInRect(&client, point) && ButtonAt(point) == pressedButton_)
            SendMessageW(control_, msg, wParam, lParam);
        if (alive.expired()) return 0;
        pressedButton_ = -1;
        if (window_) Paint();
        return 0;
    }
    case WM_CAPTURECHANGED:
        // The capture taken away (another window, a modal loop): no release
        // will come, so the press ends here.
        if (pressed_ && reinterpret_cast<HWND>(lParam) != window_) {
            pressed_ = false;
            pressedButton_ = -1;
            if (window_) Paint();
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, msg, wParam, lParam);
}

// ---- TSkinMP ----------------------------------------------------------------------------

const TClassInfo& TSkinMP::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinMP", &TSkinControl::StaticClass());
    return info;
}

TSkinMP::TSkinMP(TComponent* owner) : TSkinControl(owner) {}

TSkinMP::~TSkinMP() { bar_.reset(); }

void TSkinMP::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    if (!Attached() || !Handle()) return;
    bar_ = std::make_unique<TWMediaPlayer>(*this);
    bar_->Bind(Handle());
}

void TSkinMP::Detach()
{
    TSkinControl::Detach();
    if (LifeState() != lsWindowGone)
        bar_.reset();
    else if (bar_ && bar_->Window())
        ShowWindow(bar_->Window(), SW_HIDE);  // kept until the skinner goes, hidden
}

void TSkinMP::AfterMessage(TMessage& message)
{
    if (!bar_) {
        TSkinControl::AfterMessage(message);
        return;
    }
    switch (message.msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_SHOWWINDOW:
    case CM_VISIBLECHANGED:
        bar_->FollowControl();
        return;
    case WM_PAINT:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        bar_->Paint();
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinMP::SkinChanged()
{
    if (!bar_) return;
    bar_->LoadGlyphs();
    bar_->Paint();
}

}  // namespace quorvane
