// Push buttons painted from the skin's five-frame Buttons element: plain
// push buttons, buttons with a glyph (bitmap strip, image-list image or a
// picture property), windowless speed buttons and buttons with a drop-down
// arrow part. Each keeps the native button from painting and draws the whole
// button off-screen, then copies it in one block.
#pragma once
#include <windows.h>

#include <string>

#include "skin/controls/skin_control.h"

namespace quorvane {

class TBitmap;

// A memory DC with a bitmap of at least a given size, kept between paints.
class OffscreenPicture {
public:
    OffscreenPicture() = default;
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;
    ~OffscreenPicture();
    // The DC, its bitmap at least width x height; null when it cannot be made.
    HDC Prepare(int width, int height);
    HDC Dc() const { return dc_.get(); }

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ original_ = nullptr;
    SIZE size_{0, 0};
};

class TSkinButton : public TSkinControl {
    QUORVANE_CLASS(TSkinButton)
public:
    explicit TSkinButton(TComponent* owner);

    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

    bool Transparent() const { return transparent_; }
    // The push-button state frame: disabled 3, pressed 2, hot 4, focused 5, else 1.
    int ButtonState() const;

protected:
    // Background, element frame and the font and text colour of the state.
    // Returns the picture's DC (rect at the origin) or null.
    HDC BeginPicture(const RECT& rect, int state);
    void EndPicture(HDC target, const RECT& rect);
    // Centred (or aligned) caption with "||" as a line break and the focus
    // rectangle around it.
    void DrawButtonCaption(HDC dc, const RECT& rect, UINT align);
    void SetStateTextColour(HDC dc, int state);
    std::u16string ReadCaption() const;
    void Click();

    OffscreenPicture picture_;
    bool transparent_ = false;
    HGDIOBJ savedFont_ = nullptr;
};

class TSkinBitButton : public TSkinButton {
    QUORVANE_CLASS(TSkinBitButton)
public:
    explicit TSkinBitButton(TComponent* owner);
    void DrawSkin(HDC dc, const RECT& rect) override;

    // The object property holding the button's picture ("PngImage"), or
    // empty for Glyph and Images.
    const std::string& PictureProperty() const { return pictureProperty_; }
    void SetPictureProperty(const std::string& name) { pictureProperty_ = name; }

protected:
    std::string pictureProperty_;
};

class TSkinSpeedButton : public TSkinBitButton {
    QUORVANE_CLASS(TSkinSpeedButton)
public:
    explicit TSkinSpeedButton(TComponent* owner);
    // Speed buttons have no window: the skinner replaces the speed button's
    // message handler and paints into the DC its parent hands it.
    void AttachGraphic(TWinSkinForm* form, TSkinData* skinData, TCanvas* canvas);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void PaintWindow(HDC dc) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

private:
    void Repaint();
    bool painting_ = false;
};

class TSkinMenuButton : public TSkinButton {
    QUORVANE_CLASS(TSkinMenuButton)
public:
    explicit TSkinMenuButton(TComponent* owner);
    void DrawSkin(HDC dc, const RECT& rect) override;
};

// Where a button's glyph and text go.
struct GlyphLayout {
    POINT glyph{0, 0};
    RECT text{0, 0, 0, 0};
    UINT flags = DT_WORDBREAK;
};
// layout: 0 glyph left, 1 right, 2 top, 3 bottom; margin and spacing -1 for
// automatic; centred: the Alignment property is "tacenter"; speed: the
// speed button's variant (no alignment, margin + 1 when computed).
GlyphLayout CalcGlyphLayout(HDC dc, SIZE size, SIZE glyph, std::u16string_view caption, int layout, int margin,
                            int spacing, bool centred, bool speed = false);
// Glyph number (1-based) of a strip of numGlyphs glyphs, drawn at pos with
// the glyph's lower-left pixel transparent; glyph 2 (disabled) is drawn grey.
void DrawGlyphFrame(HDC dc, POINT pos, int numGlyphs, int glyphNumber, HBITMAP glyph);

}  // namespace quorvane
