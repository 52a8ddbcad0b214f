// Skinner of header controls (also the header inside a list view): the
// items drawn from the skin's header strip, hot under the mouse.
#pragma once
#include <windows.h>

#include <vector>

#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinHeader : public TSkinControl {
    QUORVANE_CLASS(TSkinHeader)
public:
    explicit TSkinHeader(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

    int HotItem() const { return hotItem_; }
    // The frame each item got at the last paint.
    const std::vector<int>& PaintedFrames() const { return paintedFrames_; }

private:
    std::vector<RECT> items_;
    std::vector<int> paintedFrames_;
    int hotItem_ = -1;
};

}  // namespace quorvane
