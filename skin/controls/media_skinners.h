// The media player skinner: a drawn button bar laid over a media player
// control, showing the skin's push buttons with the player's glyphs and
// handing clicks to the control, which runs the device.
#pragma once
#include <windows.h>

#include <array>
#include <memory>

#include "skin/controls/drawn_window.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinMP;

// The player's buttons, in their order on the bar.
enum TMPButton { mbPlay, mbPause, mbStop, mbNext, mbPrev, mbStep, mbBack, mbRecord, mbEject, kMPButtonCount };

class TWMediaPlayer : public TDrawnWindow {
public:
    explicit TWMediaPlayer(TSkinMP& skinner);

    // Takes the control's bounds, parent and visibility.
    void Bind(HWND control);
    void FollowControl();
    void Paint(HDC dc = nullptr) override;
    // Reads which buttons are visible, enabled and coloured.
    void ReadButtons();
    // The glyphs: the program's pictures by name, else drawn in the skin's
    // button text colour (again after a skin change).
    void LoadGlyphs();
    // The visible button at a point of the bar, or -1.
    int ButtonAt(POINT point) const;

    int ButtonWidth() const { return buttonWidth_; }
    int PressedButton() const { return pressedButton_; }
    bool Visible(int button) const { return buttons_[static_cast<size_t>(button)].visible; }
    bool Enabled(int button) const { return buttons_[static_cast<size_t>(button)].enabled; }

private:
    struct Button {
        bool visible = true, enabled = true, coloured = true;
        // Enabled, disabled and coloured looks; drawn in code when the
        // program has no picture of that name.
        std::array<UniqueBitmap, 3> glyphs;
    };
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;

    TSkinMP& skinner_;
    HWND control_ = nullptr;
    std::array<Button, kMPButtonCount> buttons_;
    bool pressed_ = false;
    int pressedButton_ = -1;
    int buttonWidth_ = 0;
};

class TSkinMP : public TSkinControl {
    QUORVANE_CLASS(TSkinMP)
public:
    explicit TSkinMP(TComponent* owner);
    ~TSkinMP() override;
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void Detach() override;
    void AfterMessage(TMessage& message) override;
    void SkinChanged() override;
    TWMediaPlayer* Bar() const { return bar_.get(); }

private:
    std::unique_ptr<TWMediaPlayer> bar_;
};

// The names of the buttons as the player's button sets spell them (btPlay...).
const char* MediaButtonName(int button);

}  // namespace quorvane
