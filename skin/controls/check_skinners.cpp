#include "skin/controls/check_skinners.h"

#include <algorithm>

#include "framework/buttons.h"
#include "skin/data/bitmap_utils.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

int Height(const RECT& r) { return r.bottom - r.top; }

bool HasStrip(const TSkinData* skin, bool radio)
{
    if (!skin || !skin->Buttons) return false;
    return !IsEmptyBitmap(radio ? skin->Buttons->RadioButton : skin->Buttons->CheckButton);
}

bool TransparentFor(const TControl* control, const TSkinData* skin)
{
    return (control && control->Tag() == 5555) || (skin && InSet(skin->Options(), xoTransparent));
}

}  // namespace

// ---- check boxes ------------------------------------------------------------------------

const TClassInfo& TSkinCheckBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinCheckBox", &TSkinControl::StaticClass());
    return info;
}

TSkinCheckBox::TSkinCheckBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinCheckBox::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    mode_ = 0;
    if (!Control()) return;
    if (HasStrip(skinData, IsRadio())) mode_ = 1;
    transparent_ = TransparentFor(Control(), skinData);
}

void TSkinCheckBox::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    // A bare window keeps its native box; the skin paints over its background.
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
    mode_ = 0;
    transparent_ = TransparentFor(nullptr, skinData);
}

HBITMAP TSkinCheckBox::Strip() const
{
    return SkinData() && SkinData()->Buttons ? SkinData()->Buttons->CheckButton.get() : nullptr;
}

int TSkinCheckBox::StripFrames() const
{
    return SkinData() && SkinData()->Buttons ? std::max(SkinData()->Buttons->CheckButtonFrame, 1) : 1;
}

bool TSkinCheckBox::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
    case WM_PRINT:
        if (mode_ == 1) {
            PaintClient(message);
            return false;
        }
        return true;
    case WM_ERASEBKGND:
        if (transparent_) {
            EraseBackground(message);
            return false;
        }
        return true;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinCheckBox::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case BM_SETCHECK:
        if (!IsRadio()) lastCheck_ = static_cast<int>(message.wParam) + 1;
        Redraw();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case CM_EXIT:
    case 0xB0D0:
        Redraw();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

int TSkinCheckBox::CheckFrame() const
{
    HWND window = TargetWindow();
    const LRESULT buttonState = window ? SendMessageW(window, BM_GETSTATE, 0, 0) : 0;
    int state = (buttonState & BST_CHECKED) ? 2 : 1;
    if (const TControl* control = Control()) {
        if (IsPublishedProp(control, "State")) {
            const std::string value = LowerCase(GetEnumPropName(control, "State"));
            if (value.find("uncheck") != std::string::npos)
                state = 1;
            else if (value.find("check") != std::string::npos)
                state = 2;
            else if (value.find("gray") != std::string::npos)
                state = 4;
        } else if (IsPublishedProp(control, "Checked")) {
            state = LowerCase(GetEnumPropName(control, "Checked")) == "true" ? 2 : 1;
        }
        if (IsPublishedProp(control, "DataField") && lastCheck_ != 0) state = lastCheck_ == 3 ? 4 : lastCheck_;
        if (IsPublishedProp(control, "DataBinding")) state = 1;
    }
    const bool disabled = window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED);
    const bool indeterminate = (buttonState & BST_INDETERMINATE) != 0;
    if (disabled && state <= 2) state += 2;
    if (indeterminate) state = 4;
    if (StripFrames() == 12) {
        if (indeterminate)
            state = disabled ? 12 : 9;
        else if (state == 2)
            state = 5;
        else if (state == 3)
            state = 4;
        else if (state == 4)
            state = 8;
    }
    return state;
}

void TSkinCheckBox::DrawBoxAndCaption(HDC dc, const RECT& rect, int frame, bool radio)
{
    HBITMAP strip = Strip();
    const SIZE stripSize = BitmapSize(strip);
    const int frames = StripFrames();
    const int fw = stripSize.cx / frames, fh = stripSize.cy;
    HWND window = TargetWindow();
    const bool leftText = window && (GetWindowLongPtrW(window, GWL_STYLE) & BS_LEFTTEXT);
    RECT box{}, text{};
    UINT flags = 0;
    const int top = rect.top + (Height(rect) - fh) / 2;
    if (leftText) {
        const int inset = radio ? 1 : 0;
        box = RECT{rect.right - inset - fw, top, rect.right - inset, top + fh};
        text = RECT{rect.left, rect.top, box.left - (radio ? 3 : 2), rect.bottom};
        flags = DT_RIGHT;
        if (Control() && Control()->UseRightToLeftReading()) flags |= DT_RTLREADING;
    } else {
        box = RECT{rect.left, top, rect.left + fw, top + fh};
        text = RECT{box.right + 2, rect.top, rect.right, rect.bottom};
    }
    if (mode_ == 1 && !transparent_) FillSkinColor(dc, rect);
    DrawKeyedFrame(dc, box, frames, frame, strip);
    if (mode_ == 0) return;

    // The caption, in the control's font and colour (grey when disabled).
    SavedDcState saved(dc);
    caption_ = Control() ? GetTextProp(Control(), "Caption") : ReadWindowText(window);
    HFONT font = Control() ? Control()->Font()->Handle() : reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    const bool enabled = !window || !(GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED);
    SetTextColor(dc, enabled ? (Control() ? ColorToRGB(Control()->Font()->Color()) : SystemColour(COLOR_BTNTEXT))
                             : SystemColour(COLOR_GRAYTEXT));
    SetBkColor(dc, ResolveColour(SkinData()->Colours.ButtonFace));
    SetBkMode(dc, TRANSPARENT);
    RECT measured = text;
    DrawTextWide(dc, caption_, measured, flags | DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT);
    RECT placed = text;
    OffsetRect(&placed, 0, (Height(text) - Height(measured)) / 2);
    placed.bottom = placed.top + Height(measured);
    if (window && GetFocus() == window && !caption_.empty()) DrawFocusAround(dc, flags | DT_WORDBREAK | DT_EXPANDTABS, placed);
    DrawTextWide(dc, caption_, placed, flags | DT_WORDBREAK | DT_EXPANDTABS);
}

void TSkinCheckBox::DrawSkin(HDC dc, const RECT& rect)
{
    if (!HasStrip(SkinData(), false)) {
        mode_ = 0;
        return;
    }
    DrawBoxAndCaption(dc, rect, CheckFrame(), false);
}

// ---- radio buttons ----------------------------------------------------------------------

const TClassInfo& TSkinRadioButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinRadioButton", &TSkinCheckBox::StaticClass());
    return info;
}

TSkinRadioButton::TSkinRadioButton(TComponent* owner) : TSkinCheckBox(owner) {}

HBITMAP TSkinRadioButton::Strip() const
{
    return SkinData() && SkinData()->Buttons ? SkinData()->Buttons->RadioButton.get() : nullptr;
}

int TSkinRadioButton::StripFrames() const
{
    return SkinData() && SkinData()->Buttons ? std::max(SkinData()->Buttons->RadioButtonFrame, 1) : 1;
}

int TSkinRadioButton::RadioFrame() const
{
    HWND window = TargetWindow();
    int state = window && SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 2 : 1;
    if (const TControl* control = Control(); control && IsPublishedProp(control, "Checked"))
        state = LowerCase(GetEnumPropName(control, "Checked")) == "true" ? 2 : 1;
    if (window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED)) state += 2;
    if (StripFrames() == 8) {
        if (state == 2)
            state = 5;
        else if (state == 3)
            state = 4;
        else if (state == 4)
            state = 8;
    }
    return state;
}

void TSkinRadioButton::DrawSkin(HDC dc, const RECT& rect)
{
    if (!HasStrip(SkinData(), true)) {
        mode_ = 0;
        return;
    }
    DrawBoxAndCaption(dc, rect, RadioFrame(), true);
}

// ---- group boxes ------------------------------------------------------------------------

const TClassInfo& TSkinGroupBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinGroupBox", &TSkinControl::StaticClass());
    return info;
}

TSkinGroupBox::TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinGroupBox::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    mode_ = Control() ? 1 : 0;
}

bool TSkinGroupBox::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_PAINT && mode_ == 1) {
        PaintClient(message);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinGroupBox::DrawSkin(HDC dc, const RECT& rect)
{
    if (!SkinData()) return;
    HWND window = TargetWindow();
    caption_ = ReadWindowText(window);
    if (caption_.empty() && Control()) caption_ = GetTextProp(Control(), "Caption");
    SavedDcState saved(dc);
    if (Control()) FillSkinColor(dc, rect);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    COLORREF textColour = SystemColour(COLOR_BTNTEXT);
    if (Control()) {
        font = Control()->Font()->Handle();
        textColour = ColorToRGB(Control()->Font()->Color());
    }
    // A disabled group's caption is dimmed like the captions inside it.
    if (!IsWindowEnabled(window) || (Control() && !Control()->Enabled())) textColour = SystemColour(COLOR_GRAYTEXT);
    if (font) SelectObject(dc, font);
    SIZE zero{};
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    const int y = zero.cy / 2 - 1;
    if (mode_ == 0) {
        // The native frame is wiped out with the skin colour.
        HBRUSH face = SkinData()->Colours.FaceBrush.get();
        RECT frame{0, y, rect.right, rect.bottom};
        FrameRect(dc, &frame, face);
        InflateRect(&frame, -1, -1);
        FrameRect(dc, &frame, face);
    }
    UniquePen pen(CreatePen(PS_SOLID, 1, ResolveColour(SkinData()->Colours.ButtonShadow)));
    SelectObject(dc, pen.get());
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, 1, y, rect.right - 1, rect.bottom - 1, 5, 5);
    if (!caption_.empty()) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ResolveColour(SkinData()->Colours.ButtonFace));
        SetTextColor(dc, textColour);
        const bool right = window && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_RIGHT);
        RECT text = right ? RECT{rect.left, rect.top, rect.right - 8, rect.bottom} : RECT{rect.left + 8, rect.top, rect.right, rect.bottom};
        DrawTextWide(dc, caption_, text, right ? TextFlags(DT_RIGHT | DT_EXPANDTABS) : DT_EXPANDTABS);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
    if (mode_ == 1)
        if (auto* container = As<TWinControl>(Control())) container->PaintControls(dc);
}

// ---- boxes ---------------------------------------------------------------------------------

const TClassInfo& TSkinBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinBox", &TSkinControl::StaticClass());
    return info;
}

TSkinBox::TSkinBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinBox::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    BindWithoutHook(form, skinData, replaceColor, canvas);
    if (replaceColor && Control() && skinData) {
        savedColour_ = Control()->Color();
        Control()->SetColor(static_cast<TColor>(skinData->Colours.ButtonFace));
    }
}

void TSkinBox::Detach()
{
    if (ReplaceColor() && Control() && !(Form() && Form()->EngineState == esDetaching)) Control()->SetColor(savedColour_);
    SetLifeState(lsDetached);
}

const TClassInfo& TSkinBoxH::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinBoxH", &TSkinControl::StaticClass());
    return info;
}

TSkinBoxH::TSkinBoxH(TComponent* owner) : TSkinControl(owner) {}

bool TSkinBoxH::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_ERASEBKGND: {
        RECT rect{};
        GetWindowRect(TargetWindow(), &rect);
        OffsetRect(&rect, -rect.left, -rect.top);
        FillSkinColor(reinterpret_cast<HDC>(message.wParam), rect);
        message.result = 0;
        return false;
    }
    case WM_CTLCOLORSTATIC:
        CallDefault(message);
        if (SkinData()) message.result = reinterpret_cast<LRESULT>(SkinData()->Colours.FaceBrush.get());
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

const TClassInfo& TSkinSizer::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinSizer", &TSkinControl::StaticClass());
    return info;
}

TSkinSizer::TSkinSizer(TComponent* owner) : TSkinControl(owner) {}

bool TSkinSizer::BeforeMessage(TMessage& message)
{
    return TSkinControl::BeforeMessage(message);
}

void TSkinSizer::DrawSkin(HDC dc, const RECT& rect)
{
    FillSkinColor(dc, rect);
}

// ---- custom glyph strips -----------------------------------------------------------------

const TClassInfo& TSkinObjImage::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinObjImage", &TSkinControl::StaticClass());
    return info;
}

TSkinObjImage::TSkinObjImage(TComponent* owner) : TSkinControl(owner) {}

void TSkinObjImage::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    BindWithoutHook(form, skinData, replaceColor, canvas);
    BuildStrip();
    SetLifeState(lsAttached);
}

void TSkinObjImage::SkinChanged()
{
    BuildStrip();
}

void TSkinObjImage::BuildStrip()
{
    TControl* control = Control();
    if (!control || !SkinData() || !SkinData()->Buttons) return;
    const bool radio = GlyphKind == 2;
    HBITMAP source = radio ? SkinData()->Buttons->RadioButton.get() : SkinData()->Buttons->CheckButton.get();
    if (IsEmptyBitmap(source)) return;
    const int sourceFrames = std::max(radio ? SkinData()->Buttons->RadioButtonFrame : SkinData()->Buttons->CheckButtonFrame, 1);
    const SIZE size = BitmapSize(source);
    const int w = size.cx / sourceFrames, h = size.cy;
    if (w <= 0 || h <= 0) return;
    static const int kRadio[] = {1, 2, 1, 2, 3, 4};
    static const int kCheck[] = {1, 2, 5, 1, 2, 5, 3, 4, 5};
    static const int kProperties[] = {1, 2, 5, 1, 2, 5};
    const int* order = GlyphKind == 2 ? kRadio : GlyphKind == 1 ? kCheck : kProperties;
    const int count = GlyphKind == 1 ? 9 : 6;
    UniqueBitmap strip = CreateBitmap24(w * count, h);
    {
        UniqueMemoryDc to = UniqueMemoryDc::Compatible(), from = UniqueMemoryDc::Compatible();
        SelectGuard target(to.get(), strip.get());
        SelectGuard picture(from.get(), source);
        for (int i = 0; i < count; ++i) {
            const int frame = order[i];
            // Frame 5 is copied only from a strip that has one.
            if (frame == 5 && sourceFrames != 5) continue;
            if (frame > sourceFrames) continue;
            BitBlt(to.get(), i * w, 0, w, h, from.get(), (frame - 1) * w, 0, SRCCOPY);
        }
    }
    if (GlyphKind == 3) {
        TObject* properties = GetObjectPropOf(control, "Properties", TPersistent::StaticClass());
        if (auto* glyph = GetObjectPropOf<TBitmap>(properties, "Glyph")) {
            glyph->SetHandle(strip.release());
            glyph->SetTransparentColor(static_cast<TColor>(kKeyColour));
        }
        return;
    }
    if (auto* glyphs = GetObjectPropOf<TBitmap>(control, "CustomGlyphs")) glyphs->SetHandle(strip.release());
    SetPropText(control, "TransparentColor", "16711935");
    SetPropText(control, "UseCustomGlyphs", "False");
    SetPropText(control, "UseCustomGlyphs", "True");
}

void TSkinObjImage::Detach()
{
    TControl* control = Control();
    if (!control) return;
    if (GlyphKind == 3) {
        TObject* properties = GetObjectPropOf(control, "Properties", TPersistent::StaticClass());
        if (auto* glyph = GetObjectPropOf<TBitmap>(properties, "Glyph")) glyph->SetHandle(nullptr);
    } else {
        SetPropText(control, "UseCustomGlyphs", "False");
    }
}

}  // namespace quorvane
