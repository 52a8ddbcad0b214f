// A picture object for glyph properties and the windowless speed button.
#pragma once
#include <windows.h>

#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/std_controls.h"

namespace quorvane {

// A device-dependent-free picture (HBITMAP) owned by a component property.
class TBitmap : public TPersistent {
    QUORVANE_CLASS(TBitmap)
public:
    TBitmap() = default;

    HBITMAP Handle() const { return handle_.get(); }
    // Takes ownership of `bitmap`.
    void SetHandle(HBITMAP bitmap);
    void Assign(const TBitmap& other);  // copies the picture
    bool Empty() const { return !handle_; }
    int Width() const;
    int Height() const;
    // The colour drawn transparent: the bottom-left pixel unless set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    // Draws the picture (or a part) with its transparent colour left out.
    void DrawTransparent(HDC dc, const RECT& target, const RECT& source) const;

    TNotifyEvent OnChange;

private:
    void Changed();

    UniqueBitmap handle_;
    TColor transparentColor_ = clDefault;
};

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TGlyphLayout {
    TButtonLayout layout;
    int spacing;  // between glyph and caption
    int margin;   // from the edge; -1 centres
};

// Frame `frame` (0-based) of a glyph strip of `numGlyphs` frames and the
// caption, placed in `rect` as buttons do, both moved by `offset` pixels.
void DrawGlyphAndCaption(HDC dc, const RECT& rect, const TBitmap& glyph, int numGlyphs, int frame,
                         const TGlyphLayout& layout, const std::string& caption, const TFont& font, bool enabled,
                         int offset, bool rightToLeft);

// A flat or raised button without a window: glyph strip (NumGlyphs frames:
// up, disabled, down, exclusive) and caption; with a GroupIndex it stays
// down and releases the others of its group.
class TSpeedButton : public TGraphicControl {
    QUORVANE_CLASS(TSpeedButton)
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* glyph);  // copies
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    int Margin() const { return margin_; }
    void SetMargin(int value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value) { allowAllUp_ = value; }

    void Paint(HDC dc) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Click() override;
    void WndProc(TMessage& message) override;

protected:
    void TextChanged() override { Invalidate(); }

private:
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int spacing_ = 4;
    int margin_ = -1;
    bool flat_ = false;
    bool down_ = false;
    bool pressed_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
};

// A push button with a glyph, drawn by the framework (owner-drawn BUTTON).
class TBitBtn : public TButton {
    QUORVANE_CLASS(TBitBtn)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* glyph);  // copies
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    int Margin() const { return margin_; }
    void SetMargin(int value);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int spacing_ = 4;
    int margin_ = -1;
};

}  // namespace quorvane
