// TTextAttributes and TRichEdit: the rich edit control.

#include "framework/com_controls.h"

#include <richedit.h>

namespace quorvane {

// ---- TRichEdit ----------------------------------------------------------------------

const TClassInfo& TTextAttributes::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TTextAttributes>(
        "TTextAttributes", &TPersistent::StaticClass(), [](PropRegistrar<TTextAttributes>& p) {
            p.Set("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TTextAttributes::Style,
                  &TTextAttributes::SetStyle);
            p.Integer("Color", &TTextAttributes::Color, &TTextAttributes::SetColor);
        });
    return info;
}

namespace {
CHARFORMAT2W SelectionFormat(HWND window)
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}
}  // namespace

TFontStyles TTextAttributes::Style() const
{
    const CHARFORMAT2W format = SelectionFormat(owner_->Handle());
    TFontStyles style = 0;
    if ((format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD)) style |= 1u << fsBold;
    if ((format.dwMask & CFM_ITALIC) && (format.dwEffects & CFE_ITALIC)) style |= 1u << fsItalic;
    if ((format.dwMask & CFM_UNDERLINE) && (format.dwEffects & CFE_UNDERLINE)) style |= 1u << fsUnderline;
    if ((format.dwMask & CFM_STRIKEOUT) && (format.dwEffects & CFE_STRIKEOUT)) style |= 1u << fsStrikeOut;
    return style;
}

void TTextAttributes::SetStyle(TFontStyles style)
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (InSet(style, fsBold)) format.dwEffects |= CFE_BOLD;
    if (InSet(style, fsItalic)) format.dwEffects |= CFE_ITALIC;
    if (InSet(style, fsUnderline)) format.dwEffects |= CFE_UNDERLINE;
    if (InSet(style, fsStrikeOut)) format.dwEffects |= CFE_STRIKEOUT;
    SendMessageW(owner_->Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

TColor TTextAttributes::Color() const
{
    const CHARFORMAT2W format = SelectionFormat(owner_->Handle());
    if (format.dwEffects & CFE_AUTOCOLOR) return clWindowText;
    return static_cast<TColor>(format.crTextColor);
}

void TTextAttributes::SetColor(TColor color)
{
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    if (color == clWindowText)
        format.dwEffects = CFE_AUTOCOLOR;
    else
        format.crTextColor = ColorToRGB(color);
    SendMessageW(owner_->Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

const TClassInfo& TRichEdit::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TRichEdit>("TRichEdit", &TCustomMemo::StaticClass(), [](PropRegistrar<TRichEdit>& p) {
            p.Object<TTextAttributes>("SelAttributes", &TRichEdit::SelAttributes, nullptr);
            p.Boolean("PlainText", &TRichEdit::PlainText, &TRichEdit::SetPlainText);
        });
    return info;
}

TRichEdit::TRichEdit(TComponent* owner) : TCustomMemo(owner), selAttributes_(std::make_unique<TTextAttributes>(this)) {}

TRichEdit::~TRichEdit()
{
    BeforeDestruction();
    DestroyHandle();
}

void TRichEdit::CreateParams(TCreateParams& params)
{
    // The rich edit classes register when their library loads; it stays
    // loaded for the run.
    static const HMODULE library = LoadLibraryW(L"riched20.dll");
    if (!library) throw Exception("The rich edit control is not available");
    TCustomMemo::CreateParams(params);
    params.wrappedClass = u"RichEdit20W";
}

void TRichEdit::InitializeWindow()
{
    SendMessageW(Handle(), EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
    TCustomMemo::InitializeWindow();
}

void TRichEdit::ApplyTextLimit()
{
    // Room for very large texts (the default limit is 32K characters).
    SendMessageW(Handle(), EM_EXLIMITTEXT, 0, MaxLength() > 0 ? MaxLength() : 0x7FFFFFF0);
}

void TRichEdit::WndProc(TMessage& message)
{
    TCustomMemo::WndProc(message);
}

}  // namespace quorvane
