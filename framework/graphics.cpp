#include "framework/graphics.h"

#include <algorithm>
#include <cstring>

#include "framework/message_box.h"

namespace quorvane {

namespace {

const SystemColourSource* g_colourSource = nullptr;
thread_local HWND t_colourWindow = nullptr;

}  // namespace

void SetSystemColourSource(const SystemColourSource* source) { g_colourSource = source; }

const SystemColourSource* CurrentSystemColourSource() { return g_colourSource; }

COLORREF SystemColourFor(HWND window, int index)
{
    COLORREF colour = 0;
    if (window && g_colourSource && g_colourSource->ResolveSystemColour(window, index, colour)) return colour & 0xFFFFFF;
    return GetSysColor(index);
}

bool ResolvedSelectionColours(HWND control, bool focused, COLORREF& text, COLORREF& back)
{
    if (!control) return false;
    const int backIndex = focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
    const int textIndex = focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
    const COLORREF resolvedBack = SystemColourFor(control, backIndex);
    const COLORREF resolvedText = SystemColourFor(control, textIndex);
    if (resolvedBack == GetSysColor(backIndex) && resolvedText == GetSysColor(textIndex)) return false;
    back = resolvedBack;
    text = resolvedText;
    return true;
}

ColourContext::ColourContext(HWND window) : previous_(t_colourWindow) { t_colourWindow = window; }

ColourContext::~ColourContext() { t_colourWindow = previous_; }

HWND ColourContext::Current() { return t_colourWindow; }

COLORREF ColorToRGB(TColor color, HWND window)
{
    if (color & kSystemColorFlag) return SystemColourFor(window, color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

COLORREF ColorToRGB(TColor color) { return ColorToRGB(color, t_colourWindow); }

COLORREF SystemColour(int index) { return SystemColourFor(t_colourWindow, index); }

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        WindowDc dc(nullptr);
        const int value = GetDeviceCaps(dc.get(), LOGPIXELSY);
        return value > 0 ? value : 96;
    }();
    return ppi;
}

// ---- TFont ------------------------------------------------------------------

const TClassInfo& TFont::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TFont>("TFont", &TPersistent::StaticClass(), [](PropRegistrar<TFont>& p) {
            p.Integer("Charset", &TFont::Charset, &TFont::SetCharset);
            p.Integer("Color", &TFont::Color, &TFont::SetColor);
            p.Integer("Height", &TFont::Height, &TFont::SetHeight);
            p.AnsiText("Name", &TFont::FontName, &TFont::SetFontName);
            p.Integer("Size", &TFont::Size, &TFont::SetSize);
            p.Set("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFont::Style, &TFont::SetStyle);
        });
    return info;
}

TFont::TFont() = default;

void TFont::Changed()
{
    handle_.reset();
    if (OnChange) OnChange(this);
}

void TFont::SetFontName(const std::string& name)
{
    if (name.empty() || name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(height_, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetCharset(int charset)
{
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::Assign(const TFont& other)
{
    if (&other == this) return;
    if (name_ == other.name_ && height_ == other.height_ && style_ == other.style_ && color_ == other.color_ &&
        charset_ == other.charset_)
        return;
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    charset_ = other.charset_;
    Changed();
}

void TFont::AssignLogFont(const LOGFONTW& logFont)
{
    name_ = Utf16ToUtf8(logFont.lfFaceName);
    height_ = logFont.lfHeight;
    style_ = (logFont.lfWeight >= FW_BOLD ? 1u << fsBold : 0) | (logFont.lfItalic ? 1u << fsItalic : 0) |
             (logFont.lfUnderline ? 1u << fsUnderline : 0) | (logFont.lfStrikeOut ? 1u << fsStrikeOut : 0);
    charset_ = logFont.lfCharSet;
    Changed();
}

HFONT TFont::Handle() const
{
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = InSet(style_, fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = InSet(style_, fsItalic);
        lf.lfUnderline = InSet(style_, fsUnderline);
        lf.lfStrikeOut = InSet(style_, fsStrikeOut);
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        const std::u16string face = Utf8ToUtf16(name_);
        const size_t count = std::min<size_t>(face.size(), LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, face.data(), count * sizeof(WCHAR));
        handle_.reset(CreateFontIndirectW(&lf));
    }
    return handle_.get();
}

// ---- TCanvas ----------------------------------------------------------------

const TClassInfo& TCanvas::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TCanvas", &TPersistent::StaticClass());
    return info;
}

TCanvas::TCanvas() = default;

void TCanvas::FillRect(const RECT& rect)
{
    if (!dc_ || brushClear_) return;
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(brushColor_)));
    ::FillRect(dc_, &rect, brush.get());
}

void TCanvas::WriteText(int x, int y, const std::string& text)
{
    if (!dc_) return;
    SelectGuard font(dc_, font_.Handle());
    SetTextColor(dc_, ColorToRGB(font_.Color()));
    if (brushClear_) {
        SetBkMode(dc_, TRANSPARENT);
    } else {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, ColorToRGB(brushColor_));
    }
    const std::u16string wide = Utf8ToUtf16(text);
    ::TextOutW(dc_, x, y, reinterpret_cast<const WCHAR*>(wide.c_str()), static_cast<int>(wide.size()));
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    SIZE size{};
    if (!dc_) return size;
    SelectGuard font(dc_, font_.Handle());
    const std::u16string wide = Utf8ToUtf16(text);
    GetTextExtentPoint32W(dc_, reinterpret_cast<const WCHAR*>(wide.c_str()), static_cast<int>(wide.size()), &size);
    return size;
}

int TCanvas::DrawTextIn(const std::string& text, RECT& rect, UINT format)
{
    if (!dc_) return 0;
    SelectGuard font(dc_, font_.Handle());
    SetTextColor(dc_, ColorToRGB(font_.Color()));
    SetBkMode(dc_, brushClear_ ? TRANSPARENT : OPAQUE);
    if (!brushClear_) SetBkColor(dc_, ColorToRGB(brushColor_));
    const std::u16string wide = Utf8ToUtf16(text);
    return ::DrawTextW(dc_, reinterpret_cast<const WCHAR*>(wide.c_str()), static_cast<int>(wide.size()), &rect, format);
}

}  // namespace quorvane
