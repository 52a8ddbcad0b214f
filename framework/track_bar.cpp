// TTrackBar: the track bar.

#include "framework/com_controls.h"

#include <algorithm>

namespace quorvane {

// ---- TTrackBar --------------------------------------------------------------

const TClassInfo& TTrackBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TTrackBar>("TTrackBar", &TWinControl::StaticClass(), [](PropRegistrar<TTrackBar>& p) {
            p.Integer("Min", &TTrackBar::Min, &TTrackBar::SetMin);
            p.Integer("Max", &TTrackBar::Max, &TTrackBar::SetMax);
            p.Integer("Position", &TTrackBar::Position, &TTrackBar::SetPosition);
            p.Integer("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency);
            p.Integer("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize);
            p.Integer("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize);
            p.Enumeration("Orientation", {"trHorizontal", "trVertical"}, &TTrackBar::Orientation,
                          &TTrackBar::SetOrientation);
            p.Enumeration("TickMarks", {"tmBottomRight", "tmTopLeft", "tmBoth"}, &TTrackBar::TickMarks,
                          &TTrackBar::SetTickMarks);
            p.Enumeration("TickStyle", {"tsNone", "tsAuto", "tsManual"}, &TTrackBar::TickStyle, &TTrackBar::SetTickStyle);
            p.Boolean("SliderVisible", &TTrackBar::SliderVisible, nullptr);
            p.Method("OnChange", [](const TTrackBar& c) { return static_cast<bool>(c.OnChange); });
        });
    return info;
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 150, 45);
    SetTabStop(true);
    // The platform control erases its background with the colour its
    // parent answers for it: by default that is the parent's own colour, so
    // a slider sits on its form whatever colour the form is given.
    SetParentColor(true);
}

void TTrackBar::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"msctls_trackbar32";
    params.style |= orientation_ == trHorizontal ? TBS_HORZ : TBS_VERT;
    switch (tickStyle_) {
    case tsNone:
        params.style |= TBS_NOTICKS;
        break;
    case tsAuto:
        params.style |= TBS_AUTOTICKS;
        break;
    case tsManual:
        break;
    }
    switch (tickMarks_) {
    case tmBottomRight:
        params.style |= orientation_ == trHorizontal ? TBS_BOTTOM : TBS_RIGHT;
        break;
    case tmTopLeft:
        params.style |= orientation_ == trHorizontal ? TBS_TOP : TBS_LEFT;
        break;
    case tmBoth:
        params.style |= TBS_BOTH;
        break;
    }
}

void TTrackBar::InitializeWindow()
{
    HWND window = Handle();
    SendMessageW(window, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(window, TBM_SETRANGEMAX, FALSE, max_);
    SendMessageW(window, TBM_SETLINESIZE, 0, lineSize_);
    SendMessageW(window, TBM_SETPAGESIZE, 0, pageSize_);
    SendMessageW(window, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
    SendMessageW(window, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(int value)
{
    SetRange(value, std::max(value, max_));
}

void TTrackBar::SetMax(int value)
{
    SetRange(std::min(min_, value), value);
}

void TTrackBar::SetRange(int minValue, int maxValue)
{
    min_ = minValue;
    max_ = std::max(minValue, maxValue);
    if (HandleAllocated()) {
        SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min_);
        SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max_);
    }
    // The position follows the range.
    SetPosition(position_);
}

void TTrackBar::SetPosition(int value)
{
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, value);
    Changed();
}

void TTrackBar::SetFrequency(int value)
{
    frequency_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(value), 0);
}

void TTrackBar::SetOrientation(TTrackBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark value)
{
    if (value == tickMarks_) return;
    tickMarks_ = value;
    RecreateWnd();
}

void TTrackBar::SetTickStyle(TTickStyle value)
{
    if (value == tickStyle_) return;
    tickStyle_ = value;
    RecreateWnd();
}

void TTrackBar::SetLineSize(int value)
{
    lineSize_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETLINESIZE, 0, value);
}

void TTrackBar::SetPageSize(int value)
{
    pageSize_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, value);
}

void TTrackBar::Changed()
{
    if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& message)
{
    if (message.msg == CN_HSCROLL || message.msg == CN_VSCROLL) {
        // A position the user moved to; unchanged positions raise nothing.
        SetPosition(static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0)));
        message.result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

}  // namespace quorvane
