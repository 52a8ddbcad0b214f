#include "framework/media_player.h"

#include <mmsystem.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/message_box.h"

namespace quorvane {

namespace {

const std::vector<std::string> kButtonNames{"btPlay", "btPause", "btStop", "btNext", "btPrev",
                                            "btStep", "btBack", "btRecord", "btEject"};

// MCI's device type names, in TMPDeviceTypes order.
const char16_t* const kDeviceTypes[] = {u"",           u"avivideo", u"cdaudio",  u"dat",       u"digitalvideo",
                                        u"mmmovie",    u"other",    u"overlay",  u"scanner",   u"sequencer",
                                        u"vcr",        u"videodisc", u"waveaudio"};

// The glyph colour of a coloured, enabled button.
COLORREF GlyphColour(TMPBtnType button)
{
    switch (button) {
    case btPlay:
        return RGB(0, 160, 0);
    case btPause:
        return RGB(200, 160, 0);
    case btStop:
    case btRecord:
        return RGB(200, 0, 0);
    case btEject:
        return RGB(120, 0, 160);
    default:
        return RGB(0, 64, 200);
    }
}

void Triangle(HDC dc, int x, int y, int size, bool right)
{
    const int tip = right ? x + size : x, base = right ? x : x + size;
    const POINT points[3] = {{base, y - size}, {tip, y}, {base, y + size}};
    Polygon(dc, points, 3);
}

void Bar(HDC dc, int left, int top, int right, int bottom)
{
    Rectangle(dc, left, top, right, bottom);
}

void DrawGlyph(HDC dc, TMPBtnType button, const RECT& rect)
{
    const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    const int s = std::max(std::min<int>(rect.right - rect.left, rect.bottom - rect.top) / 4, 3);
    switch (button) {
    case btPlay:
        Triangle(dc, cx - s / 2, cy, s, true);
        break;
    case btPause:
        Bar(dc, cx - s, cy - s, cx - s / 3, cy + s + 1);
        Bar(dc, cx + s / 3, cy - s, cx + s, cy + s + 1);
        break;
    case btStop:
        Bar(dc, cx - s, cy - s, cx + s, cy + s);
        break;
    case btNext:
        Triangle(dc, cx - s, cy, s, true);
        Bar(dc, cx, cy - s, cx + s / 2 + 1, cy + s + 1);
        break;
    case btPrev:
        Bar(dc, cx - s / 2 - 1, cy - s, cx, cy + s + 1);
        Triangle(dc, cx, cy, s, false);
        break;
    case btStep:
        Triangle(dc, cx - s, cy, s * 2 / 3, true);
        Triangle(dc, cx, cy, s * 2 / 3, true);
        break;
    case btBack:
        Triangle(dc, cx - s * 2 / 3, cy, s * 2 / 3, false);
        Triangle(dc, cx + s / 3, cy, s * 2 / 3, false);
        break;
    case btRecord:
        Ellipse(dc, cx - s, cy - s, cx + s, cy + s);
        break;
    case btEject: {
        const POINT points[3] = {{cx - s, cy}, {cx, cy - s}, {cx + s, cy}};
        Polygon(dc, points, 3);
        Bar(dc, cx - s, cy + s / 2, cx + s + 1, cy + s);
        break;
    }
    }
}

}  // namespace

const TClassInfo& TMediaPlayer::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TMediaPlayer>("TMediaPlayer", &TCustomControl::StaticClass(), [](PropRegistrar<TMediaPlayer>& p) {
            p.Set("VisibleButtons", kButtonNames, &TMediaPlayer::VisibleButtons, &TMediaPlayer::SetVisibleButtons);
            p.Set("EnabledButtons", kButtonNames, &TMediaPlayer::EnabledButtons, &TMediaPlayer::SetEnabledButtons);
            p.Set("ColoredButtons", kButtonNames, &TMediaPlayer::ColoredButtons, &TMediaPlayer::SetColoredButtons);
            p.Boolean("AutoEnable", &TMediaPlayer::AutoEnable, &TMediaPlayer::SetAutoEnable);
            p.Boolean("AutoOpen", &TMediaPlayer::AutoOpen, &TMediaPlayer::SetAutoOpen);
            p.Boolean("AutoRewind", &TMediaPlayer::AutoRewind, &TMediaPlayer::SetAutoRewind);
            p.AnsiText("FileName", &TMediaPlayer::FileName, &TMediaPlayer::SetFileName);
            p.Enumeration("DeviceType",
                          {"dtAutoSelect", "dtAVIVideo", "dtCDAudio", "dtDAT", "dtDigitalVideo", "dtMMMovie", "dtOther",
                           "dtOverlay", "dtScanner", "dtSequencer", "dtVCR", "dtVideodisc", "dtWaveAudio"},
                          &TMediaPlayer::DeviceType, &TMediaPlayer::SetDeviceType);
            p.Boolean("Wait", &TMediaPlayer::Wait, &TMediaPlayer::SetWait);
            p.Boolean("Notify", &TMediaPlayer::Notify, &TMediaPlayer::SetNotify);
            p.Integer("Frames", &TMediaPlayer::Frames, &TMediaPlayer::SetFrames);
            p.Enumeration("Mode", {"mpNotReady", "mpStopped", "mpPlaying", "mpRecording", "mpSeeking", "mpPaused", "mpOpen"},
                          &TMediaPlayer::Mode, nullptr);
            p.Integer("Position", &TMediaPlayer::Position, &TMediaPlayer::SetPosition);
            p.Integer("Length", &TMediaPlayer::Length, nullptr);
            p.Method("OnClick", [](const TMediaPlayer& c) { return static_cast<bool>(c.OnClick); });
            p.Method("OnPostClick", [](const TMediaPlayer& c) { return static_cast<bool>(c.OnPostClick); });
            p.Method("OnNotify", [](const TMediaPlayer& c) { return static_cast<bool>(c.OnNotify); });
        });
    return info;
}

TMediaPlayer::TMediaPlayer(TComponent* owner) : TCustomControl(owner)
{
    StoreBounds(0, 0, 253, 30);
    SetTabStop(true);
}

TMediaPlayer::~TMediaPlayer()
{
    BeforeDestruction();
    if (deviceId_) mciSendCommandW(deviceId_, MCI_CLOSE, MCI_WAIT, 0);
    deviceId_ = 0;
    DestroyHandle();
}

void TMediaPlayer::Loaded()
{
    TCustomControl::Loaded();
    if (autoOpen_ && !fileName_.empty()) {
        try {
            Open();
        } catch (...) {
            HandleCurrentException(this);
        }
    }
}

void TMediaPlayer::SetVisibleButtons(TButtonSet buttons)
{
    visibleButtons_ = buttons & kAllMPButtons;
    Invalidate();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet buttons)
{
    enabledButtons_ = buttons & kAllMPButtons;
    Invalidate();
}

void TMediaPlayer::SetColoredButtons(TButtonSet buttons)
{
    coloredButtons_ = buttons & kAllMPButtons;
    Invalidate();
}

void TMediaPlayer::SetAutoEnable(bool value)
{
    autoEnable_ = value;
    Invalidate();
}

TButtonSet TMediaPlayer::EnabledButtons() const
{
    if (!autoEnable_) return enabledButtons_;
    if (!deviceId_) return 0;
    const TButtonSet seek = SetOf({btNext, btPrev, btStep, btBack});
    switch (Mode()) {
    case mpPlaying:
        return seek | SetOf({btPause, btStop});
    case mpRecording:
        return SetOf({btPause, btStop});
    case mpPaused:
        return seek | SetOf({btPlay, btPause, btStop});
    default:
        return seek | (1u << btPlay) | (canRecord_ ? 1u << btRecord : 0) | (canEject_ ? 1u << btEject : 0);
    }
}

void TMediaPlayer::Check(DWORD error)
{
    error_ = error;
    errorMessage_.clear();
    if (!error) return;
    WCHAR text[256] = {};
    if (!mciGetErrorStringW(error, text, 256)) lstrcpyW(text, L"The media device reported an error");
    errorMessage_ = Utf16ToUtf8(text);
    throw Exception(errorMessage_);
}

DWORD TMediaPlayer::CommandFlags() const
{
    return (wait_ ? MCI_WAIT : 0) | (notify_ && !wait_ ? MCI_NOTIFY : 0);
}

DWORD TMediaPlayer::Send(UINT command, DWORD flags, void* parameters)
{
    if (!deviceId_) Check(MCIERR_INVALID_DEVICE_ID);
    if (flags & MCI_NOTIFY) static_cast<MCI_GENERIC_PARMS*>(parameters)->dwCallback = reinterpret_cast<DWORD_PTR>(Handle());
    const DWORD error = mciSendCommandW(deviceId_, command, flags, reinterpret_cast<DWORD_PTR>(parameters));
    Check(error);
    Changed();
    return error;
}

void TMediaPlayer::Changed()
{
    Invalidate();
}

void TMediaPlayer::Open()
{
    if (deviceId_) Close();
    std::u16string element = Utf8ToUtf16(fileName_);
    MCI_OPEN_PARMSW parameters{};
    DWORD flags = MCI_WAIT;
    if (!element.empty()) {
        parameters.lpstrElementName = reinterpret_cast<const WCHAR*>(element.c_str());
        flags |= MCI_OPEN_ELEMENT;
    }
    if (deviceType_ != dtAutoSelect) {
        parameters.lpstrDeviceType = reinterpret_cast<const WCHAR*>(kDeviceTypes[deviceType_]);
        flags |= MCI_OPEN_TYPE;
    }
    Check(mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&parameters)));
    deviceId_ = parameters.wDeviceID;
    // Positions and lengths in milliseconds, whatever the device.
    MCI_SET_PARMS format{};
    format.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    mciSendCommandW(deviceId_, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&format));
    const auto capability = [this](DWORD item) {
        MCI_GETDEVCAPS_PARMS caps{};
        caps.dwItem = item;
        return mciSendCommandW(deviceId_, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, reinterpret_cast<DWORD_PTR>(&caps)) == 0 &&
               caps.dwReturn != 0;
    };
    canRecord_ = capability(MCI_GETDEVCAPS_CAN_RECORD);
    canEject_ = capability(MCI_GETDEVCAPS_CAN_EJECT);
    Changed();
}

void TMediaPlayer::Close()
{
    if (!deviceId_) return;
    const UINT id = deviceId_;
    deviceId_ = 0;
    Check(mciSendCommandW(id, MCI_CLOSE, MCI_WAIT, 0));
    Changed();
}

TMPModes TMediaPlayer::Mode() const
{
    if (!deviceId_) return mpNotReady;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    if (mciSendCommandW(deviceId_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0)
        return mpNotReady;
    const DWORD_PTR mode = status.dwReturn;
    return mode >= MCI_MODE_NOT_READY && mode <= MCI_MODE_OPEN ? static_cast<TMPModes>(mode - MCI_MODE_NOT_READY) : mpNotReady;
}

int TMediaPlayer::Position() const
{
    if (!deviceId_) return 0;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_POSITION;
    if (mciSendCommandW(deviceId_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0) return 0;
    return static_cast<int>(status.dwReturn);
}

int TMediaPlayer::Length() const
{
    if (!deviceId_) return 0;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_LENGTH;
    if (mciSendCommandW(deviceId_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0) return 0;
    return static_cast<int>(status.dwReturn);
}

void TMediaPlayer::SetPosition(int milliseconds)
{
    if (!deviceId_) return;
    MCI_SEEK_PARMS seek{};
    seek.dwTo = static_cast<DWORD>(std::clamp(milliseconds, 0, Length()));
    Send(MCI_SEEK, MCI_WAIT | MCI_TO, &seek);
}

void TMediaPlayer::Play()
{
    if (autoRewind_ && deviceId_ && Length() > 0 && Position() >= Length()) SetPosition(0);
    MCI_PLAY_PARMS play{};
    Send(MCI_PLAY, CommandFlags(), &play);
}

void TMediaPlayer::Pause()
{
    // The pause button also resumes a paused device.
    if (Mode() == mpPaused) {
        Resume();
        return;
    }
    MCI_GENERIC_PARMS parameters{};
    Send(MCI_PAUSE, CommandFlags(), &parameters);
}

void TMediaPlayer::Resume()
{
    MCI_GENERIC_PARMS parameters{};
    Send(MCI_RESUME, CommandFlags(), &parameters);
}

void TMediaPlayer::Stop()
{
    MCI_GENERIC_PARMS parameters{};
    Send(MCI_STOP, CommandFlags(), &parameters);
}

void TMediaPlayer::Next()
{
    MCI_SEEK_PARMS seek{};
    Send(MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_END, &seek);
}

void TMediaPlayer::Previous()
{
    MCI_SEEK_PARMS seek{};
    Send(MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &seek);
}

void TMediaPlayer::Step()
{
    SetPosition(Position() + (frames_ > 0 ? frames_ : std::max(Length() / 10, 1)));
}

void TMediaPlayer::Back()
{
    SetPosition(Position() - (frames_ > 0 ? frames_ : std::max(Length() / 10, 1)));
}

void TMediaPlayer::StartRecording()
{
    MCI_RECORD_PARMS record{};
    Send(MCI_RECORD, CommandFlags(), &record);
}

void TMediaPlayer::Eject()
{
    MCI_SET_PARMS set{};
    Send(MCI_SET, MCI_WAIT | MCI_SET_DOOR_OPEN, &set);
}

void TMediaPlayer::Save()
{
    std::u16string name = Utf8ToUtf16(fileName_);
    MCI_SAVE_PARMSW save{};
    save.lpfilename = reinterpret_cast<const WCHAR*>(name.c_str());
    Send(MCI_SAVE, MCI_WAIT | MCI_SAVE_FILE, &save);
}

void TMediaPlayer::ClickButton(TMPBtnType button)
{
    bool doDefault = true;
    if (OnClick) {
        // The handler may free the player.
        const std::weak_ptr<const bool> alive = Liveness();
        OnClick(this, button, doDefault);
        if (alive.expired()) return;
    }
    if (doDefault) {
        switch (button) {
        case btPlay:
            Play();
            break;
        case btPause:
            Pause();
            break;
        case btStop:
            Stop();
            break;
        case btNext:
            Next();
            break;
        case btPrev:
            Previous();
            break;
        case btStep:
            Step();
            break;
        case btBack:
            Back();
            break;
        case btRecord:
            StartRecording();
            break;
        case btEject:
            Eject();
            break;
        }
    }
    if (OnPostClick) OnPostClick(this, button);
}

int TMediaPlayer::ButtonAt(int x) const
{
    for (int b = btPlay; b <= btEject; ++b) {
        const RECT rect = ButtonRect(static_cast<TMPBtnType>(b));
        if (x >= rect.left && x < rect.right) return b;
    }
    return -1;
}

RECT TMediaPlayer::ButtonRect(TMPBtnType button) const
{
    if (!InSet(visibleButtons_, button)) return {};
    int count = 0, before = 0;
    for (int b = btPlay; b <= btEject; ++b)
        if (InSet(visibleButtons_, static_cast<TMPBtnType>(b))) {
            if (b < button) ++before;
            ++count;
        }
    // Equal widths; the last button takes what division leaves.
    const int width = ClientWidth() / std::max(count, 1);
    const int right = before + 1 == count ? ClientWidth() : (before + 1) * width;
    return {before * width, 0, right, ClientHeight()};
}

void TMediaPlayer::Paint(HDC dc)
{
    const TButtonSet enabled = Enabled() ? EnabledButtons() : 0;
    for (int b = btPlay; b <= btEject; ++b) {
        const auto button = static_cast<TMPBtnType>(b);
        RECT rect = ButtonRect(button);
        if (rect.right <= rect.left) continue;
        const bool down = pressed_ == b;
        DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
        if (down) OffsetRect(&rect, 1, 1);
        const bool on = InSet(enabled, button);
        const COLORREF colour = !on ? SystemColour(COLOR_GRAYTEXT)
                                : InSet(coloredButtons_, button) ? GlyphColour(button)
                                                                 : SystemColour(COLOR_BTNTEXT);
        if (!on) {
            // The engraved look of a disabled glyph: white below, grey above.
            UniqueBrush light(CreateSolidBrush(SystemColour(COLOR_BTNHIGHLIGHT)));
            UniquePen lightPen(CreatePen(PS_SOLID, 1, SystemColour(COLOR_BTNHIGHLIGHT)));
            SelectGuard brush(dc, light.get());
            SelectGuard pen(dc, lightPen.get());
            RECT shifted = rect;
            OffsetRect(&shifted, 1, 1);
            DrawGlyph(dc, button, shifted);
        }
        UniqueBrush fill(CreateSolidBrush(colour));
        UniquePen outline(CreatePen(PS_SOLID, 1, colour));
        SelectGuard brush(dc, fill.get());
        SelectGuard pen(dc, outline.get());
        DrawGlyph(dc, button, rect);
    }
    if (Focused()) {
        RECT focus{2, 2, ClientWidth() - 2, ClientHeight() - 2};
        DrawFocusRect(dc, &focus);
    }
}

void TMediaPlayer::WndProc(TMessage& message)
{
    switch (message.msg) {
    case MM_MCINOTIFY:
        notifyValue_ = message.wParam == MCI_NOTIFY_SUCCESSFUL   ? nvSuccessful
                       : message.wParam == MCI_NOTIFY_SUPERSEDED ? nvSuperseded
                       : message.wParam == MCI_NOTIFY_ABORTED    ? nvAborted
                                                                 : nvFailure;
        Invalidate();
        if (OnNotify) OnNotify(this);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (CanFocus() && !Focused()) SetFocus();
        const int button = ButtonAt(GET_X_LPARAM(message.lParam));
        if (button >= 0 && Enabled() && InSet(EnabledButtons(), static_cast<TMPBtnType>(button))) {
            pressed_ = button;
            SetCapture(Handle());
            Invalidate();
        }
        break;
    }
    case WM_LBUTTONUP: {
        const int pressed = pressed_;
        if (pressed < 0) break;
        pressed_ = -1;
        if (GetCapture() == Handle()) ReleaseCapture();
        Invalidate();
        // A release over the button that went down is a click.
        const POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        if (ButtonAt(point.x) == pressed && point.y >= 0 && point.y < ClientHeight())
            ClickButton(static_cast<TMPBtnType>(pressed));
        message.result = 0;
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}

}  // namespace quorvane
