// Check boxes and radio buttons drawn from the check-mark strips of the
// skin's Buttons section, group boxes with a rounded frame, and the plain
// background skinners: panels and tool bars (TSkinBox), a panel known only
// by its window (TSkinBoxH), size grips (TSkinSizer), and controls that take
// a custom glyph strip built from the skin (TSkinObjImage).
#pragma once
#include <windows.h>

#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinCheckBox : public TSkinControl {
    QUORVANE_CLASS(TSkinCheckBox)
public:
    explicit TSkinCheckBox(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

    // The strip frame a paint shows (1-based), for the box's condition.
    int CheckFrame() const;
    bool Transparent() const { return transparent_; }

protected:
    virtual bool IsRadio() const { return false; }
    virtual HBITMAP Strip() const;
    virtual int StripFrames() const;
    // Draws the box and the caption (shared by check and radio buttons).
    void DrawBoxAndCaption(HDC dc, const RECT& rect, int frame, bool radio);

    int lastCheck_ = 0;  // the last BM_SETCHECK wParam + 1; 0 none
    bool transparent_ = false;
};

class TSkinRadioButton : public TSkinCheckBox {
    QUORVANE_CLASS(TSkinRadioButton)
public:
    explicit TSkinRadioButton(TComponent* owner);
    void DrawSkin(HDC dc, const RECT& rect) override;
    int RadioFrame() const;

protected:
    bool IsRadio() const override { return true; }
    HBITMAP Strip() const override;
    int StripFrames() const override;
};

class TSkinGroupBox : public TSkinControl {
    QUORVANE_CLASS(TSkinGroupBox)
public:
    explicit TSkinGroupBox(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
};

// Only the skin colour: the control's Color while attached; no message hook.
class TSkinBox : public TSkinControl {
    QUORVANE_CLASS(TSkinBox)
public:
    explicit TSkinBox(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void Detach() override;
    void AfterMessage(TMessage&) override {}

private:
    TColor savedColour_ = 0;
};

class TSkinBoxH : public TSkinControl {
    QUORVANE_CLASS(TSkinBoxH)
public:
    explicit TSkinBoxH(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
};

class TSkinSizer : public TSkinControl {
    QUORVANE_CLASS(TSkinSizer)
public:
    explicit TSkinSizer(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
};

// Check and radio controls with a custom glyph strip property: 1 a check box
// taking a 9-frame strip (CustomGlyphs), 2 a radio button taking a 6-frame
// strip (CustomGlyphs), 3 a check box whose strip is its Properties' Glyph.
class TSkinObjImage : public TSkinControl {
    QUORVANE_CLASS(TSkinObjImage)
public:
    explicit TSkinObjImage(TComponent* owner);
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void Detach() override;
    void SkinChanged() override;
    int GlyphKind = 0;

private:
    void BuildStrip();
};

}  // namespace quorvane
