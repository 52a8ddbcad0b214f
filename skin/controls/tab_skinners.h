// Skinners of multi-item controls: tab controls and page controls (tabs
// from the skin's Tabs strip, turned for tabs at the bottom or the sides,
// optional close boxes), button-style tabs, the pages themselves, the older
// tab set and page controls that take tab pictures. Header controls have
// their own skinner (header_skinner.h, included here).
#pragma once
#include <windows.h>

#include <vector>

#include "skin/controls/header_skinner.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinUpDown;

// Where a tab control's tabs are.
enum TTabSide { tsTop = 0, tsBottom = 1, tsLeft = 2, tsRight = 3 };

// The page control Tag that asks for close boxes on its tabs.
inline constexpr int kCloseBoxTag = 7777;

class TSkinTab : public TSkinControl {
    QUORVANE_CLASS(TSkinTab)
public:
    explicit TSkinTab(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    void SkinChanged() override;

    int Side() const { return side_; }
    bool CloseBoxes() const { return closeBoxes_; }
    // The close boxes of the last paint, one per tab (window coordinates).
    const std::vector<RECT>& CloseBoxRects() const { return closeRects_; }
    TSkinUpDown* UpDown() const { return upDown_; }
    // The frame each tab got at the last paint.
    const std::vector<int>& PaintedFrames() const { return paintedFrames_; }

private:
    void FinishAttach();
    void PrepareStrips();
    void AttachUpDown();
    RECT DisplayArea(const RECT& rect) const;
    bool CloseBoxClicked(POINT point);

    std::vector<RECT> closeRects_;
    std::vector<int> paintedFrames_;
    int side_ = tsTop;
    UniqueBitmap strip_;
    UniqueBitmap pane_;
    TSkinUpDown* upDown_ = nullptr;  // a component of this skinner
    bool closeBoxes_ = false;
    int hotTab_ = -1;
};

// Tabs drawn as the skin's push buttons.
class TSkinTabBtn : public TSkinControl {
    QUORVANE_CLASS(TSkinTabBtn)
public:
    explicit TSkinTabBtn(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

private:
    TSkinUpDown* upDown_ = nullptr;  // a component of this skinner
};

// A page of a page control: the skin colour behind its controls.
class TSkinTabSheet : public TSkinControl {
    QUORVANE_CLASS(TSkinTabSheet)
public:
    explicit TSkinTabSheet(TComponent* owner);
    // Also gives the sheet the skin colour (given back on Detach).
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
};

// The older tab set (tabs below a notebook), read through its published
// properties: Tabs, TabIndex, FirstIndex, StartMargin, EndMargin.
class TSkinTab31 : public TSkinControl {
    QUORVANE_CLASS(TSkinTab31)
public:
    explicit TSkinTab31(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    void SkinChanged() override;

private:
    void PrepareStrip();
    UniqueBitmap strip_;
    TSkinUpDown* upDown_ = nullptr;
};

// A page control that takes pictures for its tabs (TabBackGround and
// TabBackGroundActive): the skin's tab frames are handed to it.
class TSkinAdvPage : public TSkinControl {
    QUORVANE_CLASS(TSkinAdvPage)
public:
    explicit TSkinAdvPage(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void Detach() override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    void SkinChanged() override;

private:
    void AssignPictures();
    TSkinUpDown* upDown_ = nullptr;
};

// The embedded up-down of a window (a tab control's scroller), skinned by
// a new TSkinUpDown owned by `owner`; null when there is none.
TSkinUpDown* AttachEmbeddedUpDown(TSkinControl* owner, HWND window);

}  // namespace quorvane
