// Skinners of the controls that show a value or a message: the status bar
// and the progress bar are painted whole from the skin; the track bar takes
// part in the control's custom drawing and replaces its channel and thumb.
#pragma once
#include <windows.h>

#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinStatusBar : public TSkinControl {
    QUORVANE_CLASS(TSkinStatusBar)
public:
    explicit TSkinStatusBar(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
};

class TSkinProgress : public TSkinControl {
    QUORVANE_CLASS(TSkinProgress)
public:
    explicit TSkinProgress(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    // The filled length the last paint showed, in pixels along the bar.
    int PaintedFill() const { return paintedFill_; }

private:
    int paintedFill_ = -1;
};

class TSkinTrackBar : public TSkinControl {
    QUORVANE_CLASS(TSkinTrackBar)
public:
    explicit TSkinTrackBar(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void SkinChanged() override;

    // The thumb picture for the bar's orientation and tick side, falling
    // back to the plain horizontal or vertical thumb.
    const TDataSkinObject* ThumbElement() const;
    // The thumb frame the last paint used (0: drawn without a picture).
    int PaintedThumbFrame() const { return paintedThumbFrame_; }

private:
    bool AnswerCustomDraw(TMessage& message, NMHDR* header);
    void DrawChannel(HDC dc);
    void DrawThumb(HDC dc);
    bool ThumbHot() const;

    int paintedThumbFrame_ = -1;
    bool thumbHot_ = false;
};

}  // namespace quorvane
