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

void DrawGlyphAndCaption(HDC dc, const RECT& rect, const TBitmap& glyph, int numGlyphs, int frame,
                         const TGlyphLayout& layout, const std::string& caption, const TFont& font, bool enabled,
                         int offset, bool rightToLeft)
{
    numGlyphs = std::max(numGlyphs, 1);
    if (frame >= numGlyphs) frame = 0;
    const int glyphWidth = glyph.Empty() ? 0 : glyph.Width() / numGlyphs;
    const int glyphHeight = glyph.Empty() ? 0 : glyph.Height();
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;

    SelectGuard selectFont(dc, font.Handle());
    const std::u16string text = Utf8ToUtf16(caption);
    RECT textRect{0, 0, 0, 0};
    if (!text.empty())
        DrawTextW(dc, reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<int>(text.size()), &textRect,
                  DT_CALCRECT | DT_SINGLELINE);
    const int textWidth = textRect.right, textHeight = textRect.bottom;
    const bool horizontal = layout.layout == blGlyphLeft || layout.layout == blGlyphRight;
    const int gap = glyphWidth > 0 && textWidth > 0 ? layout.spacing : 0;
    const int total = horizontal ? glyphWidth + gap + textWidth : glyphHeight + gap + textHeight;
    const int room = horizontal ? width : height;
    const int start = layout.margin >= 0 ? layout.margin : (room - total) / 2;
    POINT glyphAt{}, textAt{};
    switch (layout.layout) {
    case blGlyphLeft:
        glyphAt = {start, (height - glyphHeight) / 2};
        textAt = {start + glyphWidth + gap, (height - textHeight) / 2};
        break;
    case blGlyphRight:
        textAt = {start, (height - textHeight) / 2};
        glyphAt = {start + textWidth + gap, (height - glyphHeight) / 2};
        break;
    case blGlyphTop:
        glyphAt = {(width - glyphWidth) / 2, start};
        textAt = {(width - textWidth) / 2, start + glyphHeight + gap};
        break;
    case blGlyphBottom:
        textAt = {(width - textWidth) / 2, start};
        glyphAt = {(width - glyphWidth) / 2, start + textHeight + gap};
        break;
    }
    const int x = rect.left + offset, y = rect.top + offset;
    if (glyphWidth > 0) {
        const RECT target{x + glyphAt.x, y + glyphAt.y, x + glyphAt.x + glyphWidth, y + glyphAt.y + glyphHeight};
        const RECT source{frame * glyphWidth, 0, (frame + 1) * glyphWidth, glyphHeight};
        glyph.DrawTransparent(dc, target, source);
    }
    if (!text.empty()) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, enabled ? ColorToRGB(font.Color()) : SystemColour(COLOR_GRAYTEXT));
        RECT target{x + textAt.x, y + textAt.y, x + textAt.x + textWidth, y + textAt.y + textHeight};
        UINT format = DT_SINGLELINE;
        if (rightToLeft) format |= DT_RTLREADING;
        DrawTextW(dc, reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<int>(text.size()), &target, format);
    }
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
        // OnMouseEnter / OnMouseLeave may free the button.
        const std::weak_ptr<const bool> alive = Liveness();
        TGraphicControl::WndProc(message);
        if (!alive.expired() && flat_) Invalidate();
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
    DrawGlyphAndCaption(dc, rect, *glyph_, numGlyphs_, frame, {layout_, spacing_, margin_}, Caption(), *Font(),
                        Enabled(), sunk ? 1 : 0, UseRightToLeftReading());
}

// ---- TBitBtn ------------------------------------------------------------------

const TClassInfo& TBitBtn::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TBitBtn>("TBitBtn", &TButton::StaticClass(), [](PropRegistrar<TBitBtn>& p) {
        p.Object<TBitmap>("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
        p.Integer("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs);
        p.Enumeration("Layout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, &TBitBtn::Layout,
                      &TBitBtn::SetLayout);
        p.Integer("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing);
        p.Integer("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin);
    });
    return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>())
{
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(TBitmap* glyph)
{
    if (glyph) glyph_->Assign(*glyph);
}

void TBitBtn::SetNumGlyphs(int value)
{
    numGlyphs_ = std::clamp(value, 1, 4);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value)
{
    layout_ = value;
    Invalidate();
}

void TBitBtn::SetSpacing(int value)
{
    spacing_ = value;
    Invalidate();
}

void TBitBtn::SetMargin(int value)
{
    margin_ = value;
    Invalidate();
}

void TBitBtn::CreateParams(TCreateParams& params)
{
    TButton::CreateParams(params);
    params.style = (params.style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::WndProc(TMessage& message)
{
    if (message.msg == CN_DRAWITEM) {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
        RECT rect = draw.rcItem;
        const bool pushed = (draw.itemState & ODS_SELECTED) != 0;
        UniqueBrush face(CreateSolidBrush(ColorToRGB(Color())));
        FillRect(draw.hDC, &rect, face.get());
        DrawFrameControl(draw.hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | DFCS_ADJUSTRECT);
        const int frame = !Enabled() ? 1 : pushed ? 2 : 0;
        DrawGlyphAndCaption(draw.hDC, rect, *glyph_, numGlyphs_, frame, {layout_, spacing_, margin_}, Caption(), *Font(),
                            Enabled(), pushed ? 1 : 0, UseRightToLeftReading());
        if (draw.itemState & ODS_FOCUS) {
            InflateRect(&rect, -1, -1);
            DrawFocusRect(draw.hDC, &rect);
        }
        message.result = TRUE;
        return;
    }
    TButton::WndProc(message);
}

}  // namespace quorvane
