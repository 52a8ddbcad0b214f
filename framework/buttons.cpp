#include "framework/buttons.h"

#include <algorithm>

#include "framework/message_box.h"

namespace quorvane {

// ---- TBitmap -------------------------------------------------------------------

const TClassInfo& TBitmap::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TBitmap>("TBitmap", &TPersistent::StaticClass(), [](PropRegistrar<TBitmap>& p) {
        p.Integer("Width", &TBitmap::Width, nullptr);
        p.Integer("Height", &TBitmap::Height, nullptr);
        p.Integer("TransparentColor", &TBitmap::TransparentColor, &TBitmap::SetTransparentColor);
    });
    return info;
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (bitmap == handle_.get()) return;
    handle_.reset(bitmap);
    Changed();
}

void TBitmap::Assign(const TBitmap& other)
{
    if (&other == this) return;
    transparentColor_ = other.transparentColor_;
    SetHandle(other.handle_ ? static_cast<HBITMAP>(CopyImage(other.handle_.get(), IMAGE_BITMAP, 0, 0, 0)) : nullptr);
}

int TBitmap::Width() const
{
    BITMAP info{};
    return handle_ && GetObjectW(handle_.get(), sizeof info, &info) ? info.bmWidth : 0;
}

int TBitmap::Height() const
{
    BITMAP info{};
    return handle_ && GetObjectW(handle_.get(), sizeof info, &info) ? info.bmHeight : 0;
}

TColor TBitmap::TransparentColor() const
{
    if (transparentColor_ != clDefault || !handle_) return transparentColor_;
    MemoryDc dc;
    SelectGuard select(dc.get(), handle_.get());
    return static_cast<TColor>(GetPixel(dc.get(), 0, Height() - 1));
}

void TBitmap::SetTransparentColor(TColor color)
{
    transparentColor_ = color;
    Changed();
}

void TBitmap::DrawTransparent(HDC dc, const RECT& target, const RECT& source) const
{
    if (!handle_) return;
    // Read before the picture is selected here: a bitmap sits in one DC at a time.
    const COLORREF key = ColorToRGB(TransparentColor());
    MemoryDc memory(dc);
    SelectGuard select(memory.get(), handle_.get());
    TransparentBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, memory.get(),
                   source.left, source.top, source.right - source.left, source.bottom - source.top, key);
}

void TBitmap::Changed()
{
    if (OnChange) OnChange(this);
}

// ---- TSpeedButton ----------------------------------------------------------------

const TClassInfo& TSpeedButton::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TSpeedButton>("TSpeedButton", &TGraphicControl::StaticClass(), [](PropRegistrar<TSpeedButton>& p) {
            p.AnsiText("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption);
            p.Object<TBitmap>("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
            p.Integer("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs);
            p.Enumeration("Layout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, &TSpeedButton::Layout,
                          &TSpeedButton::SetLayout);
            p.Integer("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing);
            p.Integer("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin);
            p.Boolean("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat);
            p.Boolean("Down", &TSpeedButton::Down, &TSpeedButton::SetDown);
            p.Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex);
            p.Boolean("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp);
        });
    return info;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>())
{
    StoreBounds(0, 0, 23, 22);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(TBitmap* glyph)
{
    if (glyph) glyph_->Assign(*glyph);
}

void TSpeedButton::SetNumGlyphs(int value)
{
    numGlyphs_ = std::clamp(value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value)
{
    layout_ = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(int value)
{
    spacing_ = value;
    Invalidate();
}

void TSpeedButton::SetMargin(int value)
{
    margin_ = value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool value)
{
    flat_ = value;
    Invalidate();
}

void TSpeedButton::SetDown(bool value)
{
    if (groupIndex_ == 0) value = false;
    if (value == down_) return;
    if (!value && !allowAllUp_) {
        // The last one down in its group stays down unless all may be up.
        bool another = false;
        if (Parent())
            for (int i = 0; i < Parent()->ControlCount(); ++i)
                if (auto* other = As<TSpeedButton>(Parent()->Controls(i));
                    other && other != this && other->groupIndex_ == groupIndex_ && other->down_)
                    another = true;
        if (!another) return;
    }
    down_ = value;
    if (value && Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* other = As<TSpeedButton>(Parent()->Controls(i));
                other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Invalidate();
            }
    Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && Enabled()) {
        pressed_ = true;
        Repaint();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Click()
{
    if (groupIndex_ != 0) SetDown(allowAllUp_ ? !down_ : true);
    TGraphicControl::Click();
}

void TSpeedButton::WndProc(TMessage& message)
{
    if (message.msg == CM_MOUSEENTER || message.msg == CM_MOUSELEAVE) {
        TGraphicControl::WndProc(message);
        if (flat_) Invalidate();
        return;
    }
    TGraphicControl::WndProc(message);
}

void TSpeedButton::Paint(HDC dc)
{
    RECT rect{0, 0, Width(), Height()};
    const bool sunk = pressed_ || down_;
    UniqueBrush face(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &rect, face.get());
    if (!flat_ || MouseInControl() || sunk)
        DrawEdge(dc, &rect, sunk ? EDGE_SUNKEN : (flat_ ? BDR_RAISEDINNER : EDGE_RAISED), BF_RECT);

    // Glyph frame: 1 up, 2 disabled, 3 down, 4 stays down.
    int frame = 0;
    if (!Enabled())
        frame = 1;
    else if (down_ && numGlyphs_ >= 4)
        frame = 3;
    else if (sunk)
        frame = 2;
    if (frame >= numGlyphs_) frame = 0;
    const int glyphWidth = glyph_->Empty() ? 0 : glyph_->Width() / numGlyphs_;
    const int glyphHeight = glyph_->Empty() ? 0 : glyph_->Height();

    SelectGuard font(dc, Font()->Handle());
    const std::u16string text = Utf8ToUtf16(Caption());
    RECT textRect{0, 0, 0, 0};
    if (!text.empty())
        DrawTextW(dc, reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<int>(text.size()), &textRect,
                  DT_CALCRECT | DT_SINGLELINE);
    const int textWidth = textRect.right, textHeight = textRect.bottom;
    const bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
    const int gap = glyphWidth > 0 && textWidth > 0 ? spacing_ : 0;
    const int total = horizontal ? glyphWidth + gap + textWidth : glyphHeight + gap + textHeight;
    const int room = horizontal ? Width() : Height();
    const int start = margin_ >= 0 ? margin_ : (room - total) / 2;
    const int offset = sunk ? 1 : 0;
    POINT glyphAt{}, textAt{};
    switch (layout_) {
    case blGlyphLeft:
        glyphAt = {start, (Height() - glyphHeight) / 2};
        textAt = {start + glyphWidth + gap, (Height() - textHeight) / 2};
        break;
    case blGlyphRight:
        textAt = {start, (Height() - textHeight) / 2};
        glyphAt = {start + textWidth + gap, (Height() - glyphHeight) / 2};
        break;
    case blGlyphTop:
        glyphAt = {(Width() - glyphWidth) / 2, start};
        textAt = {(Width() - textWidth) / 2, start + glyphHeight + gap};
        break;
    case blGlyphBottom:
        textAt = {(Width() - textWidth) / 2, start};
        glyphAt = {(Width() - glyphWidth) / 2, start + textHeight + gap};
        break;
    }
    if (glyphWidth > 0) {
        const RECT target{glyphAt.x + offset, glyphAt.y + offset, glyphAt.x + offset + glyphWidth,
                          glyphAt.y + offset + glyphHeight};
        const RECT source{frame * glyphWidth, 0, (frame + 1) * glyphWidth, glyphHeight};
        glyph_->DrawTransparent(dc, target, source);
    }
    if (!text.empty()) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Enabled() ? ColorToRGB(Font()->Color()) : GetSysColor(COLOR_GRAYTEXT));
        RECT target{textAt.x + offset, textAt.y + offset, textAt.x + offset + textWidth, textAt.y + offset + textHeight};
        UINT format = DT_SINGLELINE;
        if (UseRightToLeftReading()) format |= DT_RTLREADING;
        DrawTextW(dc, reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<int>(text.size()), &target, format);
    }
}

}  // namespace quorvane
