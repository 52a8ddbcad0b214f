#include "skin/controls/button_skinners.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "framework/buttons.h"
#include "framework/image_list.h"
#include "framework/message_box.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

const TDataSkinButton* ButtonsElement(const TSkinData* skin)
{
    if (!skin || !skin->Buttons || IsEmptyBitmap(skin->Buttons->Bitmap)) return nullptr;
    return skin->Buttons.get();
}

bool TrueProp(const TObject* object, std::string_view name)
{
    return LowerCase(GetEnumPropName(object, name)) == "true";
}

std::u16string WithLineBreak(std::u16string caption)
{
    return ReplaceFirst(std::move(caption), u"||", u"\r\n");
}

}  // namespace

// ---- the off-screen picture --------------------------------------------------------

OffscreenPicture::~OffscreenPicture()
{
    if (original_) SelectObject(dc_.get(), original_);
}

HDC OffscreenPicture::Prepare(int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    if (!dc_) dc_ = UniqueMemoryDc::Compatible();
    if (!dc_) return nullptr;
    if (width > size_.cx || height > size_.cy) {
        UniqueBitmap grown = CreateBitmap32(std::max<int>(width, size_.cx), std::max<int>(height, size_.cy));
        if (!grown) return nullptr;
        HGDIOBJ previous = SelectObject(dc_.get(), grown.get());
        if (!original_) original_ = previous;
        bitmap_ = std::move(grown);
        size_ = BitmapSize(bitmap_.get());
    }
    return dc_.get();
}

// ---- glyphs and their layout -----------------------------------------------------------

void DrawGlyphFrame(HDC dc, POINT pos, int numGlyphs, int glyphNumber, HBITMAP glyph)
{
    const SIZE size = BitmapSize(glyph);
    if (numGlyphs < 1) numGlyphs = 1;
    if (numGlyphs < glyphNumber) glyphNumber = 1;
    const int w = size.cx / numGlyphs, h = size.cy;
    if (w <= 0 || h <= 0) return;
    UniqueBitmap cut = CopyBitmapPart(glyph, (glyphNumber - 1) * w, 0, w, h);
    if (!cut) return;
    if (glyphNumber == 2) Grayscale(cut);
    // The glyph's lower-left pixel is its transparent colour.
    const PixelBuffer pixels = ReadPixels(cut.get());
    const COLORREF key = pixels.width > 0 ? ColourFromPixel(pixels.At(0, pixels.height - 1)) : kKeyColour;
    TransparentDraw(dc, RECT{pos.x, pos.y, pos.x + w, pos.y + h}, cut.get(), key);
}

GlyphLayout CalcGlyphLayout(HDC dc, SIZE size, SIZE glyph, std::u16string_view caption, int layout, int margin,
                            int spacing, bool centred, bool speed)
{
    if (layout < 0 || layout > 3) layout = 0;
    const bool horizontal = layout <= 1;
    GlyphLayout result;
    // The text's area: the button less 2 pixels all round, less the glyph.
    RECT area{0, 0, size.cx - 4, size.cy - 4};
    if (horizontal)
        area.right -= glyph.cx + 2;
    else
        area.bottom -= glyph.cy + 2;
    SIZE text{0, 0};
    if (!caption.empty()) {
        RECT measured{0, 0, std::max<LONG>(area.right, 0), std::max<LONG>(area.bottom, 0)};
        DrawTextWide(dc, caption, measured, DT_WORDBREAK | DT_CALCRECT);
        text = SIZE{Width(measured), Height(measured)};
    }
    if (horizontal) {
        result.glyph.y = (size.cy - glyph.cy + 1) / 2;
        result.text.top = (size.cy - text.cy + 1) / 2;
    } else {
        result.glyph.x = (size.cx - glyph.cx + 1) / 2;
        result.text.left = (size.cx - text.cx + 1) / 2;
    }
    const int extent = horizontal ? size.cx : size.cy;
    const int glyphExtent = horizontal ? glyph.cx : glyph.cy;
    const int textExtent = horizontal ? text.cx : text.cy;
    if (text.cx == 0 || glyph.cx == 0) spacing = 0;
    if (speed) {
        if (margin == -1) {
            if (spacing == -1) {
                margin = (extent - (glyphExtent + textExtent)) / 3;
                spacing = margin;
            } else {
                margin = (extent - (glyphExtent + spacing + textExtent)) / 2 + 1;
            }
        } else if (spacing == -1) {
            spacing = (extent - margin - glyphExtent - textExtent) / 2;
        }
    } else if (margin == -1 || centred) {
        if (spacing == -1) {
            margin = (extent - (glyphExtent + textExtent)) / 3;
            spacing = margin;
        } else {
            margin = (extent - (glyphExtent + spacing + textExtent)) / 2;
        }
    } else if (spacing == -1) {
        spacing = (extent - margin - glyphExtent - textExtent) / 2;
    }
    switch (layout) {
    case 0:
        result.glyph.x = margin;
        result.text.left = margin + glyph.cx + spacing;
        break;
    case 1:
        result.glyph.x = size.cx - margin - glyph.cx;
        result.text.left = result.glyph.x - spacing - text.cx;
        result.flags |= DT_RIGHT;
        break;
    case 2:
        result.glyph.y = margin;
        result.text.top = margin + glyph.cy + spacing;
        result.flags |= DT_CENTER;
        break;
    default:
        result.glyph.y = size.cy - margin - glyph.cy;
        result.text.top = result.glyph.y - spacing - text.cy;
        result.flags |= DT_CENTER;
        break;
    }
    result.text.right = result.text.left + text.cx;
    result.text.bottom = result.text.top + text.cy;
    return result;
}

// ---- TSkinButton ------------------------------------------------------------------------

const TClassInfo& TSkinButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinButton", &TSkinControl::StaticClass());
    return info;
}

TSkinButton::TSkinButton(TComponent* owner) : TSkinControl(owner) {}

void TSkinButton::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    if (!Control()) return;
    const std::string name = LowerCase(Control()->ClassName());
    mode_ = (name.rfind("trz", 0) == 0 || name.rfind("tel", 0) == 0) ? 1 : 0;
    transparent_ = Control()->Tag() == 5555 || (skinData && InSet(skinData->Options(), xoTransparent));
}

void TSkinButton::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
    transparent_ = skinData && InSet(skinData->Options(), xoTransparent);
}

std::u16string TSkinButton::ReadCaption() const
{
    if (Control()) return GetTextProp(Control(), "Caption");
    return ReadWindowText(TargetWindow());
}

int TSkinButton::ButtonState() const
{
    if (!enabledAtPaint_) return bfDisabled;
    // The native button's own state counts too: a program pushes a button
    // with BM_SETSTATE (and the space key pushes it) without any mouse.
    HWND window = TargetWindow();
    const LRESULT native = window ? SendMessageW(window, BM_GETSTATE, 0, 0) : 0;
    if ((mouseState_ & kMousePressed) || (native & BST_PUSHED)) return bfPressed;
    if ((mouseState_ & kMouseHot) || (native & BST_HOT)) return bfHot;
    if (focusedAtPaint_) return bfFocused;
    return bfNormal;
}

void TSkinButton::Click()
{
    if (TControl* control = Control()) {
        control->Click();
        return;
    }
    HWND window = TargetWindow();
    HWND parent = window ? GetParent(window) : nullptr;
    if (!parent) return;
    WCHAR name[64] = {};
    GetClassNameW(window, name, 64);
    const bool frameworkButton = LowerCase(Utf16ToUtf8(name)) == "tbutton";
    const WPARAM id = frameworkButton ? 0 : MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED);
    PostMessageW(parent, WM_COMMAND, id, reinterpret_cast<LPARAM>(window));
}

bool TSkinButton::BeforeMessage(TMessage& message)
{
    HWND window = TargetWindow();
    switch (message.msg) {
    case WM_PAINT:
        PaintClient(message);
        return false;
    case WM_ERASEBKGND:
        message.result = 1;
        return false;
    case WM_TIMER:
        // The native button's own animation timer; its painting is ours.
        if (window) KillTimer(window, 1);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (window && GetFocus() != window) SetFocus(window);
        mouseState_ |= kMousePressed | kMouseHot;
        // The release comes back here wherever it happens, so a press
        // dragged away and released outside does not click.
        if (window) SetCapture(window);
        PaintWindow(nullptr);
        if (mode_ == 0 && Control()) ForwardMouseDown(message);
        return false;
    case WM_LBUTTONUP: {
        const bool pressed = (mouseState_ & kMousePressed) != 0;
        const bool captured = window && GetCapture() == window;
        RECT client{};
        if (window) GetClientRect(window, &client);
        const POINT at{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        const bool inside = PtInRect(&client, at) != FALSE;
        if (captured) ReleaseCapture();
        CallDefault(message);
        if (pressed || captured) {
            mouseState_ &= ~kMousePressed;
            if (!inside) mouseState_ &= ~kMouseHot;
            Redraw();
            if (pressed && inside) Click();
        }
        return false;
    }
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinButton::AfterMessage(TMessage& message)
{
    HWND window = TargetWindow();
    switch (message.msg) {
    case WM_SETTEXT:
        PaintWindow(nullptr);
        break;
    case WM_KEYDOWN:
        if (message.wParam == VK_SPACE) {
            mouseState_ |= kMousePressed;
            Redraw();
        }
        break;
    case WM_KEYUP:
        if (message.wParam == VK_SPACE) {
            mouseState_ &= ~kMousePressed;
            Redraw();
        }
        break;
    case WM_MOUSEMOVE: {
        if (window && GetCapture() == window) {
            // Held down: the button looks pressed only while under the mouse.
            RECT client{};
            GetClientRect(window, &client);
            const POINT at{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
            const unsigned before = mouseState_;
            if (PtInRect(&client, at))
                mouseState_ |= kMousePressed | kMouseHot;
            else
                mouseState_ &= ~(kMousePressed | kMouseHot);
            if (before != mouseState_) Redraw();
            break;
        }
        if (enabledAtPaint_ && !(mouseState_ & kMouseHot)) {
            mouseState_ |= kMouseHot;
            Redraw();
        }
        if (window) RequestMouseLeave(window);
        if (Form() && !Control()) Form()->SetHoveredSkinner(this);
        break;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        if (window && GetCapture() == window) break;
        mouseState_ &= ~(kMouseHot | kMousePressed);
        Redraw();
        break;
    case CM_MOUSEENTER:
        if (enabledAtPaint_ && !(mouseState_ & kMouseHot)) {
            mouseState_ |= kMouseHot;
            Redraw();
        }
        break;
    case BM_SETSTATE:
        // The native button has drawn its own pushed or released look.
        Redraw();
        break;
    case CM_DIALOGKEY:
    case CM_FOCUSCHANGED:
        Redraw();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinButton::SetStateTextColour(HDC dc, int state)
{
    const TDataSkinButton* element = ButtonsElement(SkinData());
    if (!element) return;
    if (state == bfDisabled) {
        SetTextColor(dc, SystemColour(COLOR_GRAYTEXT));
    } else if (state == bfNormal && element->HasNormalColour2) {
        SetTextColor(dc, ResolveColour(element->NormalColour2));
    } else if (state == bfHot && element->HasMouseOverColour2) {
        SetTextColor(dc, ResolveColour(element->MouseOverColour2));
    } else if (state == bfPressed && element->HasPressedColour2) {
        SetTextColor(dc, ResolveColour(element->PressedColour2));
    }
}

HDC TSkinButton::BeginPicture(const RECT& rect, int state)
{
    const TDataSkinButton* element = ButtonsElement(SkinData());
    HDC dc = picture_.Prepare(Width(rect), Height(rect));
    if (!dc || !element) return nullptr;
    const RECT local{0, 0, Width(rect), Height(rect)};
    if (transparent_ && TargetWindow())
        PaintParentBackground(TargetWindow(), dc);
    else
        FillSkinColor(dc, local);
    DrawElementState(dc, local, 5, state, element);
    // Font and colour: the control's own, or the window's with the skin's text colour.
    if (Control()) {
        savedFont_ = SelectObject(dc, Control()->Font()->Handle());
        SetTextColor(dc, ColorToRGB(Control()->Font()->Color()));
    } else {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(TargetWindow(), WM_GETFONT, 0, 0));
        savedFont_ = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc, ResolveColour(SkinData()->Colours.ButtonText));
    }
    SetStateTextColour(dc, state);
    return dc;
}

void TSkinButton::EndPicture(HDC target, const RECT& rect)
{
    HDC dc = picture_.Dc();
    if (!dc) return;
    if (savedFont_) SelectObject(dc, savedFont_);
    savedFont_ = nullptr;
    BitBlt(target, rect.left, rect.top, Width(rect), Height(rect), dc, 0, 0, SRCCOPY);
}

void TSkinButton::DrawButtonCaption(HDC dc, const RECT& rect, UINT align)
{
    caption_ = WithLineBreak(caption_);
    RECT box = rect;
    InflateRect(&box, -2, -2);
    SetBkMode(dc, TRANSPARENT);
    DrawTextWide(dc, caption_, box, align | DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP);
    OffsetRect(&box, -box.left, -box.top);
    const int dy = (Height(rect) - Height(box)) / 2 - 1;
    if (align == DT_CENTER) {
        OffsetRect(&box, rect.left + (Width(rect) - Width(box)) / 2, rect.top + dy);
    } else {
        OffsetRect(&box, 0, rect.top + dy);
        box.left = rect.left;
        box.right = rect.right;
    }
    DrawTextWide(dc, caption_, box, TextFlags(align | DT_WORDBREAK | DT_EXPANDTABS));
    SetBkMode(dc, OPAQUE);
    if (focusedAtPaint_ && SkinData() && !InSet(SkinData()->Options(), xoNoFocusRect)) {
        InflateRect(&box, 2, 2);
        DrawFocusRect(dc, &box);
    }
}

void TSkinButton::DrawSkin(HDC dc, const RECT& rect)
{
    if (!ButtonsElement(SkinData())) return;
    HWND window = TargetWindow();
    focusedAtPaint_ = window && GetFocus() == window;
    enabledAtPaint_ = window ? !(GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED) : (!Control() || Control()->Enabled());
    caption_ = ReadCaption();
    const int state = ButtonState();
    HDC picture = BeginPicture(rect, state);
    if (!picture) return;
    DrawButtonCaption(picture, RECT{0, 0, Width(rect), Height(rect)}, DT_CENTER);
    EndPicture(dc, rect);
}

// ---- TSkinBitButton --------------------------------------------------------------------

const TClassInfo& TSkinBitButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinBitButton", &TSkinButton::StaticClass());
    return info;
}

TSkinBitButton::TSkinBitButton(TComponent* owner) : TSkinButton(owner) {}

void TSkinBitButton::DrawSkin(HDC dc, const RECT& rect)
{
    if (!ButtonsElement(SkinData())) return;
    HWND window = TargetWindow();
    focusedAtPaint_ = window && GetFocus() == window;
    enabledAtPaint_ = window ? !(GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED) : (!Control() || Control()->Enabled());
    caption_ = WithLineBreak(ReadCaption());
    const int state = ButtonState();
    const int glyphNumber = state == bfPressed ? 3 : state == bfDisabled ? 2 : 1;
    HDC picture = BeginPicture(rect, state);
    if (!picture) return;

    const TControl* control = Control();
    TBitmap* glyph = nullptr;
    TImageList* images = nullptr;
    int numGlyphs = std::max(GetIntProp(control, "NumGlyphs"), 1);
    const int imageIndex = GetIntProp(control, "ImageIndex");
    const int disabledIndex = GetIntProp(control, "DisabledIndex");
    SIZE glyphSize{0, 0};
    if (pictureProperty_.empty()) {
        glyph = GetObjectPropOf<TBitmap>(control, "Glyph");
        images = GetObjectPropOf<TImageList>(control, "Images");
        if (glyph && !glyph->Empty())
            glyphSize = SIZE{glyph->Width() / numGlyphs, glyph->Height()};
        else if (images && imageIndex != -1)
            glyphSize = SIZE{images->Width(), images->Height()};
    } else {
        glyph = GetObjectPropOf<TBitmap>(control, pictureProperty_);
        numGlyphs = 1;
        if (glyph && !glyph->Empty()) glyphSize = SIZE{glyph->Width(), glyph->Height()};
    }
    const std::string layoutName = LowerCase(GetEnumPropName(control, "Layout"));
    const int layout = layoutName == "blglyphright" ? 1 : layoutName == "blglyphtop" ? 2 : layoutName == "blglyphbottom" ? 3 : 0;
    const bool centred = LowerCase(GetEnumPropName(control, "Alignment")) == "tacenter";
    const SIZE size{Width(rect), Height(rect)};
    const GlyphLayout placed = CalcGlyphLayout(picture, size, glyphSize, caption_, layout, GetIntProp(control, "Margin"),
                                               GetIntProp(control, "Spacing"), centred);
    if (glyph && !glyph->Empty()) {
        if (pictureProperty_.empty())
            DrawGlyphFrame(picture, placed.glyph, numGlyphs, glyphNumber, glyph->Handle());
        else
            TransparentDraw(picture,
                            RECT{placed.glyph.x, placed.glyph.y, placed.glyph.x + glyphSize.cx, placed.glyph.y + glyphSize.cy},
                            glyph->Handle(), ColorToRGB(glyph->TransparentColor()));
    } else if (images && images->HandleAllocated()) {
        const int index = enabledAtPaint_ ? imageIndex : (disabledIndex != -1 ? disabledIndex : imageIndex);
        if (index != -1)
            ImageList_DrawEx(images->Handle(), index, picture, placed.glyph.x, placed.glyph.y, 0, 0, CLR_NONE, CLR_NONE,
                             ILD_TRANSPARENT | (enabledAtPaint_ || disabledIndex != -1 ? 0 : ILD_BLEND50));
    }
    if (!caption_.empty()) {
        RECT text = placed.text;
        SetBkMode(picture, TRANSPARENT);
        DrawTextWide(picture, caption_, text, TextFlags(placed.flags));
        if (focusedAtPaint_ && SkinData() && !InSet(SkinData()->Options(), xoNoFocusRect)) {
            InflateRect(&text, 2, 2);
            DrawFocusRect(picture, &text);
        }
    }
    EndPicture(dc, rect);
}

// ---- TSkinSpeedButton ----------------------------------------------------------------------

const TClassInfo& TSkinSpeedButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinSpeedButton", &TSkinBitButton::StaticClass());
    return info;
}

TSkinSpeedButton::TSkinSpeedButton(TComponent* owner) : TSkinBitButton(owner) {}

void TSkinSpeedButton::AttachGraphic(TWinSkinForm* form, TSkinData* skinData, TCanvas* canvas)
{
    if (Attached()) return;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control) return;
    TSkinControl::AttachControl(form, skinData, false, canvas);
    SetGraphicControl(control);
    transparent_ = control->Tag() == 5555 || (skinData && InSet(skinData->Options(), xoTransparent));
}

void TSkinSpeedButton::Repaint()
{
    if (TControl* control = GraphicControl()) {
        control->Invalidate();
        control->Update();
    }
}

bool TSkinSpeedButton::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
        if (message.wParam) {
            const RECT rect{0, 0, GraphicControl() ? GraphicControl()->Width() : 0,
                            GraphicControl() ? GraphicControl()->Height() : 0};
            DrawSkin(reinterpret_cast<HDC>(message.wParam), rect);
            message.result = 1;
            return false;
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The speed button keeps its own down and group logic.
        CallDefault(message);
        mouseState_ |= kMousePressed;
        Repaint();
        return false;
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case WM_ENABLE:
    case CM_FOCUSCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_RELEASE:
        return true;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinSpeedButton::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_LBUTTONUP:
        mouseState_ &= ~kMousePressed;
        Repaint();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (message.wParam == VK_SPACE) {
            if (message.msg == WM_KEYDOWN)
                mouseState_ |= kMousePressed;
            else
                mouseState_ &= ~kMousePressed;
            Repaint();
        }
        break;
    case CM_MOUSEENTER:
        mouseState_ |= kMouseHot;
        Repaint();
        break;
    case CM_MOUSELEAVE:
        mouseState_ &= ~(kMouseHot | kMousePressed);
        if (GraphicControl() && GraphicControl()->Visible()) Repaint();
        break;
    default:
        break;
    }
}

void TSkinSpeedButton::PaintWindow(HDC dc)
{
    TControl* control = GraphicControl();
    auto* graphic = dynamic_cast<TGraphicControl*>(control);
    if (!graphic) return;
    HDC target = dc ? dc : graphic->Canvas()->Handle();
    if (!target) return;
    DrawSkin(target, RECT{0, 0, graphic->Width(), graphic->Height()});
}

void TSkinSpeedButton::DrawSkin(HDC dc, const RECT& rect)
{
    if (painting_ || !ButtonsElement(SkinData())) return;
    painting_ = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{painting_};
    TControl* control = GraphicControl();
    if (!control || Width(rect) < 1 || Height(rect) < 1) return;
    const bool enabled = TrueProp(control, "Enabled");
    const bool down = TrueProp(control, "Down");
    enabledAtPaint_ = enabled;
    focusedAtPaint_ = false;
    int state = bfNormal;
    if (down)
        state = bfPressed;
    else if (!enabled)
        state = bfDisabled;
    else if (mouseState_ & kMousePressed)
        state = bfPressed;
    else if (mouseState_ & kMouseHot)
        state = bfHot;
    const int glyphNumber = down ? 4 : state == bfPressed ? 3 : state == bfDisabled ? 2 : 1;

    HDC picture = picture_.Prepare(Width(rect), Height(rect));
    if (!picture) return;
    const RECT local{0, 0, Width(rect), Height(rect)};
    if (transparent_ && control->Parent() && control->Parent()->HandleAllocated()) {
        // The parent's picture under the button, in its client coordinates.
        SavedDcState saved(picture);
        SetViewportOrgEx(picture, -control->Left(), -control->Top(), nullptr);
        SendMessageW(control->Parent()->WindowHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture), 0);
    } else {
        FillSkinColor(picture, local);
    }
    if (state == bfPressed || state == bfHot || !TrueProp(control, "Flat"))
        DrawElementState(picture, local, 5, state, ButtonsElement(SkinData()));
    HGDIOBJ oldFont = SelectObject(picture, control->Font()->Handle());
    SetTextColor(picture, ColorToRGB(control->Font()->Color()));
    SetStateTextColour(picture, state);
    caption_ = WithLineBreak(GetTextProp(control, "Caption"));
    TBitmap* glyph = GetObjectPropOf<TBitmap>(control, "Glyph");
    const int numGlyphs = std::max(GetIntProp(control, "NumGlyphs"), 1);
    if (glyph && !glyph->Empty() && glyph->Width() / numGlyphs > 0) {
        const std::string layoutName = LowerCase(GetEnumPropName(control, "Layout"));
        const int layout =
            layoutName == "blglyphright" ? 1 : layoutName == "blglyphtop" ? 2 : layoutName == "blglyphbottom" ? 3 : 0;
        const GlyphLayout placed =
            CalcGlyphLayout(picture, SIZE{Width(rect), Height(rect)}, SIZE{glyph->Width() / numGlyphs, glyph->Height()},
                            caption_, layout, GetIntProp(control, "Margin"), GetIntProp(control, "Spacing"), false, true);
        DrawGlyphFrame(picture, placed.glyph, numGlyphs, glyphNumber, glyph->Handle());
        if (!caption_.empty()) {
            RECT text = placed.text;
            SetBkMode(picture, TRANSPARENT);
            DrawTextWide(picture, caption_, text, TextFlags(placed.flags));
        }
    } else {
        DrawButtonCaption(picture, local, DT_CENTER);
    }
    SelectObject(picture, oldFont);
    BitBlt(dc, rect.left, rect.top, Width(rect), Height(rect), picture, 0, 0, SRCCOPY);
}

// ---- TSkinMenuButton ------------------------------------------------------------------------

const TClassInfo& TSkinMenuButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinMenuButton", &TSkinButton::StaticClass());
    return info;
}

TSkinMenuButton::TSkinMenuButton(TComponent* owner) : TSkinButton(owner) {}

void TSkinMenuButton::DrawSkin(HDC dc, const RECT& rect)
{
    if (!ButtonsElement(SkinData())) return;
    HWND window = TargetWindow();
    focusedAtPaint_ = window && GetFocus() == window;
    enabledAtPaint_ = window ? !(GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED) : (!Control() || Control()->Enabled());
    caption_ = WithLineBreak(ReadCaption());
    int state = bfNormal;
    if (!enabledAtPaint_)
        state = bfDisabled;
    else if (mouseState_ & kMousePressed)
        state = bfPressed;
    else if (focusedAtPaint_ || (mouseState_ & kMouseHot))
        state = bfHot;
    HDC picture = BeginPicture(rect, state);
    if (!picture) return;
    const int w = Width(rect), h = Height(rect);
    // The caption in what the arrow part leaves.
    RECT text{0, 0, w - 17 - 4, h - 4};
    DrawTextWide(picture, caption_, text, DT_WORDBREAK | DT_CALCRECT);
    const int tw = Width(text), th = Height(text);
    text = RECT{(w - 17 - tw) / 2 + 2, (h - th + 1) / 2, 0, 0};
    text.right = text.left + tw;
    text.bottom = text.top + th;
    SetBkMode(picture, TRANSPARENT);
    DrawTextWide(picture, caption_, text, TextFlags(DT_WORDBREAK));
    if (focusedAtPaint_ && SkinData() && !InSet(SkinData()->Options(), xoNoFocusRect)) {
        RECT focus = text;
        InflateRect(&focus, 2, 2);
        DrawFocusRect(picture, &focus);
    }
    // The arrow: a small filled triangle pointing down.
    const int a = h / 2 + 2;
    const POINT arrow[3] = {{w - 12, a}, {w - 15, a - 3}, {w - 9, a - 3}};
    const COLORREF colour = SystemColour(enabledAtPaint_ ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    UniqueBrush brush(CreateSolidBrush(colour));
    {
        SelectGuard penGuard(picture, pen.get());
        SelectGuard brushGuard(picture, brush.get());
        Polygon(picture, arrow, 3);
    }
    EndPicture(dc, rect);
}

}  // namespace quorvane
