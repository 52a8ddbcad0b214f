// TWScrollbar: the drawn bar over one platform scroll bar.

#include "skin/controls/drawn_scrollbar.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "framework/properties.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/control_paint.h"
#include "skin/data/optional_user32.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

constexpr wchar_t kBarClass[] = L"QuorvaneSkinScrollBar";
// The platform reports no change of a window's own scroll bar made with
// SetScrollInfo (measured under Wine 8: no message and no window event), so
// a showing bar also looks at its platform bar this often.
constexpr UINT kRefreshTimer = 1;
constexpr UINT kRefreshInterval = 200;
// While the platform tracks a press handed on from the drawn bar, this timer
// makes sure the tracking ends once the button is up (see MouseDown).
constexpr UINT kReleaseTimer = 2;
constexpr UINT kReleaseInterval = 150;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Frames of the 23-frame Scrollbar strip: normal, pressed, disabled, hot of
// the left, right, up and down arrows, then the thumb grips.
constexpr int kArrowFrames[4] = {1, 5, 9, 13};  // left, right, up, down
constexpr int kGripFrames[2] = {17, 20};        // horizontal, vertical
constexpr int kStripFrames = 23;

// The primary button is down: as the input queue had it at the message being
// handled, or (now) as the device has it.
bool LeftButtonDown(bool now)
{
    const int key = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return now ? (GetAsyncKeyState(key) & 0x8000) != 0 : GetKeyState(VK_LBUTTON) < 0;
}

}  // namespace

// ---- TWScrollbar ----------------------------------------------------------------

bool TWScrollbar::Snapshot::operator==(const Snapshot& other) const
{
    return info.nMin == other.info.nMin && info.nMax == other.info.nMax && info.nPage == other.info.nPage &&
           info.nPos == other.info.nPos && info.nTrackPos == other.info.nTrackPos && state == other.state &&
           active == other.active && pressed == other.pressed;
}

TWScrollbar::TWScrollbar(TSkinControl& skinner, int kind)
    : skinner_(skinner), kind_(kind), vertical_(kind == sbkVertical), arrowSize_(GetSystemMetrics(SM_CXHSCROLL))
{
}

TWScrollbar::~TWScrollbar() = default;

void TWScrollbar::CreateBarWindow(HWND parent)
{
    if (window_ || !parent) return;
    CreateDrawnWindow(kBarClass, CS_DBLCLKS, WS_EX_TOOLWINDOW | WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_CLIPSIBLINGS,
                      RECT{}, parent);
}

void TWScrollbar::BindControl(TControl* control)
{
    control_ = control;
    auto* windowed = As<TWinControl>(control);
    if (!windowed) return;
    controlHandle_ = windowed->Handle();
    if (kind_ == sbkControl) {
        // A scroll bar control says its direction by its Kind, else its style.
        const std::string kind = GetEnumPropName(control, "Kind");
        if (!kind.empty())
            vertical_ = kind != "sbHorizontal" && kind != "sbhorizontal";
        else
            vertical_ = (GetWindowLongPtrW(controlHandle_, GWL_STYLE) & SBS_VERT) != 0;
    }
    CreateBarWindow(GetParent(controlHandle_));
    UpdateBar();
}

void TWScrollbar::BindHandle(HWND handle)
{
    controlHandle_ = handle;
    if (kind_ == sbkControl) vertical_ = (GetWindowLongPtrW(handle, GWL_STYLE) & SBS_VERT) != 0;
    CreateBarWindow(GetParent(handle));
    UpdateBar();
}

bool TWScrollbar::QueryGeometry(ScrollBarGeometry& geometry) const
{
    if (!controlHandle_ || !IsWindow(controlHandle_)) return false;
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    const LONG object = kind_ == sbkHorizontal ? OBJID_HSCROLL : kind_ == sbkVertical ? OBJID_VSCROLL : OBJID_CLIENT;
    if (OptionalGetScrollBarInfo(controlHandle_, object, &info)) {
        geometry.visible = (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0;
        geometry.enabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0;
        geometry.bar = info.rcScrollBar;
        geometry.length = vertical_ ? Height(info.rcScrollBar) : Width(info.rcScrollBar);
        geometry.thumbStart = info.xyThumbTop;
        geometry.thumbEnd = info.xyThumbBottom;
        return true;
    }
    if (kind_ != sbkControl) return false;
    // A scroll bar control without the platform's bar information: the
    // thumb follows from the scroll information.
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    if (!GetScrollInfo(controlHandle_, SB_CTL, &scroll)) return false;
    RECT rect{};
    GetWindowRect(controlHandle_, &rect);
    geometry.visible = IsWindowVisible(controlHandle_) != FALSE;
    geometry.enabled = IsWindowEnabled(controlHandle_) != FALSE;
    geometry.bar = rect;
    geometry.length = vertical_ ? Height(rect) : Width(rect);
    const int range = scroll.nMax - scroll.nMin;
    const int usable = geometry.length - 2 * arrowSize_;
    int length = arrowSize_;
    int start = arrowSize_;
    if (range > 0 && usable > 0) {
        if (scroll.nPage > 0) {
            length = std::max(MulDiv(usable, static_cast<int>(scroll.nPage) - 1, range), 1);
            if (scroll.nPos != scroll.nMin) start = MulDiv(usable, scroll.nPos - scroll.nMin, range) + arrowSize_;
        } else if (scroll.nPos != scroll.nMin) {
            start = MulDiv(geometry.length - 3 * arrowSize_, scroll.nPos - scroll.nMin, range) + arrowSize_;
        }
    }
    geometry.thumbStart = start;
    geometry.thumbEnd = start + length;
    return true;
}

void TWScrollbar::ShownThumb(const ScrollBarGeometry& geometry, int& start, int& end) const
{
    start = geometry.thumbStart;
    end = geometry.thumbEnd;
    if (!(pressed_ && activePart_ == spThumb && kind_ != sbkControl)) return;
    // While the platform tracks the thumb, the thumb is where the cursor has
    // taken it: the position of the message being handled, the same one the
    // platform's tracking works from.
    const DWORD position = GetMessagePos();
    const POINT cursor{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    const int travel = vertical_ ? cursor.y - cursorAtPress_.y : cursor.x - cursorAtPress_.x;
    const int thumbLength = geometry.thumbEnd - geometry.thumbStart;
    const int arrow = std::min(arrowSize_, geometry.length / 2);
    const int last = geometry.length - arrow - thumbLength;
    start = std::max(arrow, std::min(thumbAtPress_ + travel, last));
    end = start + thumbLength;
}

void TWScrollbar::UpdateBar()
{
    if (!window_) return;
    // Placed anew (also after a skin change): the kept picture of track and
    // arrows is drawn again at the next paint.
    baseValid_ = false;
    // A skin without scroll bar pictures would leave a blank patch over
    // the platform's bar: the platform's stays in sight instead.
    const TSkinData* skin = skinner_.SkinData();
    if (!skin || !HasPicture(skin->Scrollbar.get())) {
        HideBar();
        return;
    }
    ScrollBarGeometry geometry;
    if (!QueryGeometry(geometry)) {
        showing_ = false;
        return;
    }
    const bool controlVisible = (GetWindowLongPtrW(controlHandle_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (!controlVisible || !geometry.visible || Width(geometry.bar) <= 0 || Height(geometry.bar) <= 0) {
        HideBar();
        return;
    }
    RECT windowRect{};
    GetWindowRect(controlHandle_, &windowRect);
    barRect_ = geometry.bar;
    OffsetRect(&barRect_, -windowRect.left, -windowRect.top);
    origin_ = {geometry.bar.left, geometry.bar.top};
    // A control moved to another parent takes its bar along.
    if (HWND parent = GetParent(controlHandle_); parent && GetParent(window_) != parent) SetParent(window_, parent);
    POINT inParent = origin_;
    ScreenToClient(GetParent(window_), &inParent);
    // Directly in front of the control: after the window that precedes it.
    HWND before = GetWindow(controlHandle_, GW_HWNDPREV);
    UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (before == window_) flags |= SWP_NOZORDER;
    SetWindowPos(window_, before ? before : HWND_TOP, inParent.x, inParent.y, Width(geometry.bar),
                 Height(geometry.bar), flags);
    // A scroll bar control tells of every change through its own messages;
    // a window's bars can change without a word.
    if (!showing_ && kind_ != sbkControl) SetTimer(window_, kRefreshTimer, kRefreshInterval, nullptr);
    showing_ = true;
}

void TWScrollbar::HideBar()
{
    if (window_) {
        ShowWindow(window_, SW_HIDE);
        KillTimer(window_, kRefreshTimer);
    }
    showing_ = false;
}

int TWScrollbar::PartAtPoint(POINT point) const
{
    ScrollBarGeometry geometry;
    if (!QueryGeometry(geometry)) return spNone;
    int start = 0, end = 0;
    ShownThumb(geometry, start, end);
    const int along = vertical_ ? point.y : point.x;
    const int arrow = std::min(arrowSize_, geometry.length / 2);
    if (along < arrow) return spFirstArrow;
    if (along < start) return spPageBefore;
    if (along < end) return spThumb;
    if (along < geometry.length - arrow) return spPageAfter;
    return spSecondArrow;
}

void TWScrollbar::SetActivePart(int part)
{
    if (activePart_ == part) return;
    activePart_ = part;
    if (showing_) Paint();
}

void TWScrollbar::FollowScrollRequest(int code)
{
    // While the user works the drawn bar, the platform's tracking reports
    // which part it is working (the thumb during a drag). A request sent by
    // a program lights nothing: no mouse is there to take the light away.
    if (pressed_) {
        if (code == SB_THUMBPOSITION) code = spThumb;
        if (code == spFirstArrow || code == spSecondArrow || code == spPageBefore || code == spPageAfter ||
            code == spThumb)
            SetActivePart(code);
    }
    // A dragged thumb is drawn where the cursor has taken it, which moves
    // in smaller steps than the position: paint at every notice.
    if (pressed_ && activePart_ == spThumb) {
        if (showing_) Paint();
        return;
    }
    // Otherwise the control has scrolled (or not): paint when its bar
    // changed since the last paint, which a message handled inside the
    // scroll may already have shown.
    Refresh();
}

TWScrollbar::Snapshot TWScrollbar::TakeSnapshot(const ScrollBarGeometry* known) const
{
    Snapshot snapshot;
    snapshot.info.cbSize = sizeof snapshot.info;
    snapshot.info.fMask = SIF_ALL;
    const int bar = kind_ == sbkHorizontal ? SB_HORZ : kind_ == sbkVertical ? SB_VERT : SB_CTL;
    GetScrollInfo(controlHandle_, bar, &snapshot.info);
    ScrollBarGeometry geometry;
    if (known)
        geometry = *known;
    else if (!QueryGeometry(geometry))
        return snapshot;
    snapshot.state = (geometry.visible ? 1u : 0u) | (geometry.enabled ? 2u : 0u);
    snapshot.active = activePart_;
    snapshot.pressed = pressed_;
    return snapshot;
}

bool TWScrollbar::Refresh()
{
    // Reading a scroll bar control's bar sends it messages, which come back
    // here through the skinner: a bar busy painting is not looked at again.
    if (!showing_ || !window_ || busy_) return false;
    const Snapshot now = TakeSnapshot();
    if (now == painted_) return false;
    if (!(now.state & 1u)) {
        UpdateBar();
        return false;
    }
    Paint();
    return true;
}

void TWScrollbar::Paint(HDC dc)
{
    if (!window_ || busy_) return;
    busy_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{busy_};
    RECT client{};
    GetClientRect(window_, &client);
    ScrollBarGeometry geometry;
    if (!QueryGeometry(geometry) || !geometry.visible) return;
    painted_ = TakeSnapshot(&geometry);
    const int width = Width(geometry.bar), height = Height(geometry.bar);
    // A drawn bar smaller than the platform's (it is being moved) waits for
    // its next placement.
    if (width <= 0 || height <= 0 || width > Width(client) || height > Height(client)) return;
    ComposedPicture picture(width, height);
    if (!picture) return;
    Draw(picture.dc(), geometry, width, height);
    if (dc) {
        picture.CopyTo(dc, 0, 0);
    } else {
        UniqueWindowDc target = UniqueWindowDc::Client(window_);
        if (target) picture.CopyTo(target.get(), 0, 0);
    }
}

void TWScrollbar::DrawBase(HDC dc, const BaseKey& key) const
{
    TSkinData* skin = skinner_.SkinData();
    FillColour(dc, RECT{0, 0, key.width, key.height}, key.face);
    if (!skin || !HasPicture(skin->Scrollbar.get())) return;
    auto along = [&](int from, int to) {
        return vertical_ ? RECT{0, from, key.breadth, to} : RECT{from, 0, to, key.breadth};
    };
    // Track between the arrows.
    const TDataSkinObject* track = vertical_ ? skin->VertScroll.get() : skin->HorzScroll.get();
    if (key.length > 2 * key.arrow && HasPicture(track))
        DrawElementState(dc, along(key.arrow, key.length - key.arrow), 4, key.enabled ? 1 : 3, track);
    DrawKeyedFrame(dc, along(0, key.arrow), kStripFrames, key.firstFrame, key.strip);
    DrawKeyedFrame(dc, along(key.length - key.arrow, key.length), kStripFrames, key.secondFrame, key.strip);
}

void TWScrollbar::Draw(HDC dc, const ScrollBarGeometry& geometry, int width, int height)
{
    TSkinData* skin = skinner_.SkinData();
    RECT all{0, 0, width, height};
    if (!skin || !HasPicture(skin->Scrollbar.get())) {
        FillColour(dc, all, SkinFace(skin));
        return;
    }
    const TDataSkinObject& strip = *skin->Scrollbar;
    const bool enabled = geometry.enabled;
    const int stripHeight = BitmapSize(strip.Bitmap.get()).cy;
    const int cross = vertical_ ? width : height;
    // The bar's breadth: the strip's height, unless the platform's bar is
    // clearly thicker or thinner than the skin's pictures.
    int breadth = stripHeight;
    if (std::abs(stripHeight - cross) > 2) breadth = cross;
    const int length = geometry.length;
    const int arrow = length < 2 * arrowSize_ ? length / 2 : arrowSize_;
    auto along = [&](int from, int to) {
        return vertical_ ? RECT{0, from, breadth, to} : RECT{from, 0, to, breadth};
    };

    // Arrows: normal, pressed (while pressed on it), disabled, hot.
    auto arrowFrame = [&](int part, int base) {
        if (!enabled) return base + 2;
        if (activePart_ != part) return base;
        return pressed_ ? base + 1 : base + 3;
    };
    const TDataSkinObject* track = vertical_ ? skin->VertScroll.get() : skin->HorzScroll.get();
    BaseKey key;
    key.width = width;
    key.height = height;
    key.breadth = breadth;
    key.length = length;
    key.arrow = arrow;
    key.firstFrame = arrowFrame(spFirstArrow, kArrowFrames[vertical_ ? 2 : 0]);
    key.secondFrame = arrowFrame(spSecondArrow, kArrowFrames[vertical_ ? 3 : 1]);
    key.enabled = enabled;
    key.skin = skin;
    key.strip = strip.Bitmap.get();
    key.track = HasPicture(track) ? track->Bitmap.get() : nullptr;
    key.face = SkinFace(skin);
    if (!base_) base_ = std::make_unique<OffscreenPicture>();
    HDC baseDc = baseValid_ && key == baseKey_ ? base_->Dc() : nullptr;
    if (!baseDc) {
        baseValid_ = false;
        baseDc = base_->Prepare(width, height);
        if (baseDc) {
            DrawBase(baseDc, key);
            baseKey_ = key;
            baseValid_ = true;
        }
    }
    if (baseDc)
        BitBlt(dc, 0, 0, width, height, baseDc, 0, 0, SRCCOPY);
    else
        DrawBase(dc, key);

    if (!enabled) return;
    int start = 0, end = 0;
    ShownThumb(geometry, start, end);
    if (start < 0 || end > length || end <= start) return;
    const bool thumbActive = activePart_ == spThumb;
    const int thumbFrame = thumbActive ? (pressed_ ? 2 : 3) : 1;
    const TDataSkinObject* thumb = vertical_ ? skin->VertScrollThumb.get() : skin->HorzScrollThumb.get();
    const RECT thumbRect = along(start, end);
    if (HasPicture(thumb)) DrawElementState(dc, thumbRect, std::max(thumb->Frame, 1), thumbFrame, thumb);
    // The grip in the middle of a thumb long enough to hold it.
    const int thumbLength = end - start;
    if (stripHeight < thumbLength + 2) {
        const int grip = kGripFrames[vertical_ ? 1 : 0] + (thumbActive ? (pressed_ ? 1 : 2) : 0);
        const int frameWidth = BitmapSize(strip.Bitmap.get()).cx / kStripFrames;
        const int offset = start + (thumbLength - (vertical_ ? stripHeight : frameWidth)) / 2;
        const RECT gripRect = vertical_ ? RECT{0, offset, breadth, offset + stripHeight}
                                        : RECT{offset, 0, offset + frameWidth, breadth};
        if (gripRect.left >= 0 && gripRect.top >= 0 && gripRect.right <= width && gripRect.bottom <= height)
            DrawKeyedFrame(dc, gripRect, kStripFrames, grip, strip.Bitmap.get());
    }
}

void TWScrollbar::MouseDown(LPARAM lParam)
{
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const DWORD position = GetMessagePos();
    cursorAtPress_ = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ScrollBarGeometry geometry;
    if (QueryGeometry(geometry)) thumbAtPress_ = geometry.thumbStart;
    activePart_ = PartAtPoint(point);
    pressed_ = true;
    Paint();
    ReleaseCapture();
    // A press that is not a real button press (a message sent by a program)
    // is not handed on: the platform's tracking would wait for a release
    // that never comes.
    if (!LeftButtonDown(false)) {
        pressed_ = false;
        if (window_ && showing_) Paint();
        return;
    }
    // The platform's own tracking of the bar runs inside this call and
    // returns when it sees the button released. That release can be lost
    // to it: the platform picks the window of a mouse message when the input
    // arrives, so when the press is handled late (the whole click queued
    // already) the release went to the window then under the cursor, which
    // may be another program's. The release timer, dispatched by the
    // tracking loop, ends the tracking once the button is up.
    releaseSeen_ = false;
    SetTimer(window_, kReleaseTimer, kReleaseInterval, nullptr);
    // The control (and with it this bar) may be freed while it tracks.
    const std::weak_ptr<const bool> alive = Liveness();
    if (kind_ == sbkControl) {
        SendMessageW(controlHandle_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    } else {
        const POINT screen{point.x + origin_.x, point.y + origin_.y};
        SendMessageW(controlHandle_, WM_NCLBUTTONDOWN, kind_ == sbkHorizontal ? HTHSCROLL : HTVSCROLL,
                     MAKELPARAM(screen.x, screen.y));
    }
    if (alive.expired()) return;
    if (window_) KillTimer(window_, kReleaseTimer);
    pressed_ = false;
    if (GetCapture() == window_) ReleaseCapture();
    if (window_ && showing_) Paint();
}

void TWScrollbar::CheckRelease()
{
    if (!pressed_ || LeftButtonDown(true)) {
        releaseSeen_ = false;
        return;
    }
    // Up at two ticks in a row while the tracking still runs: the release
    // went somewhere else. A button-up ends the platform's tracking loop.
    if (!releaseSeen_) {
        releaseSeen_ = true;
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(controlHandle_, &cursor);
    PostMessageW(controlHandle_, WM_LBUTTONUP, 0, MAKELPARAM(cursor.x, cursor.y));
    releaseSeen_ = false;
}

void TWScrollbar::MouseUp()
{
    pressed_ = false;
    if (GetCapture() == window_) ReleaseCapture();
    if (kind_ == sbkControl) {
        PostMessageW(controlHandle_, WM_LBUTTONUP, 0, 0);
        Paint();
    } else {
        PostMessageW(controlHandle_, WM_NCLBUTTONUP, kind_ == sbkHorizontal ? HTHSCROLL : HTVSCROLL, 0);
    }
}

LRESULT TWScrollbar::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
        const int part = PartAtPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (part != activePart_) SetActivePart(part);
        RequestMouseLeave(window_);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (!pressed_) SetActivePart(spNone);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(lParam);
        return 0;
    case WM_LBUTTONUP:
        MouseUp();
        return 0;
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            Refresh();
            return 0;
        }
        if (wParam == kReleaseTimer) {
            CheckRelease();
            return 0;
        }
        break;
    case WM_NCDESTROY:
        showing_ = false;
        break;
    default:
        break;
    }
    return DefWindowProcW(window_ ? window_ : nullptr, msg, wParam, lParam);
}

}  // namespace quorvane
