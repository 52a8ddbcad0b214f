// Colours, fonts, a small drawing canvas and the owners of GDI handles.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "framework/component.h"

namespace quorvane {

// 0x00BBGGRR, or 0x80000000 + a system colour index (resolved when painted).
using TColor = std::int32_t;
inline constexpr TColor kSystemColorFlag = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) { return kSystemColorFlag | index; }
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// ---- system colours --------------------------------------------------------
//
// The platform's default colours (window text, button face, highlight, …)
// are resolved for a window: whoever repaints that window as a whole (a skin
// engine) may answer them from its own colour table. Colours an application
// picked itself (plain RGB values) are never touched.
class SystemColourSource {
public:
    virtual ~SystemColourSource() = default;
    // True with `colour` set when this source decides system colour `index`
    // for `window`; false leaves the platform's colour.
    virtual bool ResolveSystemColour(HWND window, int index, COLORREF& colour) const = 0;
};

// One source per process; null removes it. The caller keeps it alive.
void SetSystemColourSource(const SystemColourSource* source);
const SystemColourSource* CurrentSystemColourSource();

// System colour `index` as `window` paints it.
COLORREF SystemColourFor(HWND window, int index);

// The colours a tree or list view writes its selected item in when its
// window serves colours: highlight and highlight text while the control has
// the focus, button face and button text otherwise. False, with nothing set,
// when both are the platform's own, so the platform's drawing stays as is.
bool ResolvedSelectionColours(HWND control, bool focused, COLORREF& text, COLORREF& back);

// The window whose messages are being handled on this thread: painters that
// only get a TColor resolve system colours for it. The framework's window
// procedure opens one scope per message; code that paints for a window
// outside its procedure opens its own.
class [[nodiscard]] ColourContext {
public:
    explicit ColourContext(HWND window);
    ColourContext(const ColourContext&) = delete;
    ColourContext& operator=(const ColourContext&) = delete;
    ~ColourContext();
    static HWND Current();

private:
    HWND previous_;
};

// The COLORREF to paint with, for the window of the current ColourContext.
COLORREF ColorToRGB(TColor color);
// The COLORREF to paint with for `window`.
COLORREF ColorToRGB(TColor color, HWND window);
// System colour `index` for the window of the current ColourContext.
COLORREF SystemColour(int index);

// ---- handle owners -------------------------------------------------------

// Any GDI object released with DeleteObject (fonts, brushes, pens, bitmaps, regions).
template <class H>
class UniqueGdiObject {
public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(H handle) : handle_(handle) {}
    UniqueGdiObject(UniqueGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept
    {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~UniqueGdiObject() { reset(); }
    void reset(H handle = nullptr)
    {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }
    H get() const { return handle_; }
    H release() { return std::exchange(handle_, nullptr); }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    H handle_ = nullptr;
};
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueRegion = UniqueGdiObject<HRGN>;

// GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// GetWindowDC / ReleaseDC.
class WholeWindowDc {
public:
    explicit WholeWindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    WholeWindowDc(const WholeWindowDc&) = delete;
    WholeWindowDc& operator=(const WholeWindowDc&) = delete;
    ~WholeWindowDc()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(window_, &paint_); }
    HDC get() const { return dc_; }
    const RECT& PaintRect() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// CreateCompatibleDC / DeleteDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith = nullptr) : dc_(CreateCompatibleDC(compatibleWith)) {}
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&&) = delete;
    ~MemoryDc()
    {
        if (dc_) DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// SelectObject for the guard's lifetime; puts the previous object back.
class [[nodiscard]] SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC / RestoreDC around drawing into a DC that belongs to someone else.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState()
    {
        if (saved_) RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

// ---- font ---------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = unsigned;  // SetOf<TFontStyle>

class TFont : public TPersistent {
    QUORVANE_CLASS(TFont)
public:
    TFont();

    const std::string& FontName() const { return name_; }  // published as "Name"
    void SetFontName(const std::string& name);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const;  // points at the screen's resolution
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Charset() const { return charset_; }
    void SetCharset(int charset);

    void Assign(const TFont& other);
    // The font as an HFONT, created on first use and after every change;
    // owned by this object.
    HFONT Handle() const;
    // Reads name, height, style and charset from a LOGFONT (e.g. the menu font).
    void AssignLogFont(const LOGFONTW& logFont);

    // Called after every change.
    TNotifyEvent OnChange;

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    int charset_ = DEFAULT_CHARSET;
    mutable UniqueFont handle_;
};

// ---- canvas ---------------------------------------------------------------

// Drawing on a DC it does not own (bound with SetHandle) using its own font
// and brush colour.
class TCanvas : public TPersistent {
    QUORVANE_CLASS(TCanvas)
public:
    TCanvas();

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }
    TFont* Font() { return &font_; }
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor color) { brushColor_ = color; }
    bool BrushClear() const { return brushClear_; }  // transparent background
    void SetBrushClear(bool clear) { brushClear_ = clear; }

    void FillRect(const RECT& rect);
    void WriteText(int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    // DrawTextW with this canvas's font and colours.
    int DrawTextIn(const std::string& text, RECT& rect, UINT format);

private:
    HDC dc_ = nullptr;
    TFont font_;
    TColor brushColor_ = clWhite;
    bool brushClear_ = false;
};

// Pixels per logical inch of the screen.
int ScreenPixelsPerInch();

}  // namespace quorvane
