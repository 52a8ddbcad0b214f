// TProgressBar: the progress bar.

#include "framework/com_controls.h"

#include <algorithm>

namespace quorvane {

// ---- TProgressBar -----------------------------------------------------------------

const TClassInfo& TProgressBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TProgressBar>("TProgressBar", &TWinControl::StaticClass(), [](PropRegistrar<TProgressBar>& p) {
            p.Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin);
            p.Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax);
            p.Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition);
            p.Enumeration("Orientation", {"pbHorizontal", "pbVertical"}, &TProgressBar::Orientation,
                          &TProgressBar::SetOrientation);
            p.Boolean("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth);
            p.Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep);
        });
    return info;
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"msctls_progress32";
    if (orientation_ == pbVertical) params.style |= PBS_VERTICAL;
    if (smooth_) params.style |= PBS_SMOOTH;
}

void TProgressBar::InitializeWindow()
{
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int value)
{
    min_ = value;
    if (HandleAllocated()) InitializeWindow();
}

void TProgressBar::SetMax(int value)
{
    max_ = value;
    if (HandleAllocated()) InitializeWindow();
}

void TProgressBar::SetPosition(int value)
{
    position_ = std::clamp(value, min_, std::max(min_, max_));
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetOrientation(TProgressBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    RecreateWnd();
}

void TProgressBar::SetSmooth(bool value)
{
    if (value == smooth_) return;
    smooth_ = value;
    RecreateWnd();
}

}  // namespace quorvane
