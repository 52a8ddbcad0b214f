// TStatusPanel(s) and TStatusBar: the status bar.

#include "framework/com_controls.h"

#include <algorithm>

#include "framework/message_box.h"

namespace quorvane {

// ---- TStatusBar -------------------------------------------------------------------

const TClassInfo& TStatusPanel::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TStatusPanel>("TStatusPanel", &TCollectionItem::StaticClass(), [](PropRegistrar<TStatusPanel>& p) {
            p.AnsiText("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
            p.Integer("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
            p.Enumeration("Style", {"psText", "psOwnerDraw"}, &TStatusPanel::Style, &TStatusPanel::SetStyle);
            p.Enumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TStatusPanel::Alignment,
                          &TStatusPanel::SetAlignment);
            p.Enumeration("Bevel", {"pbNone", "pbLowered", "pbRaised"}, &TStatusPanel::Bevel, &TStatusPanel::SetBevel);
            p.Enumeration("BiDiMode",
                          {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
                          &TStatusPanel::BiDiMode, &TStatusPanel::SetBiDiMode);
            p.Boolean("ParentBiDiMode", &TStatusPanel::ParentBiDiMode, &TStatusPanel::SetParentBiDiMode);
        });
    return info;
}

void TStatusPanel::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    Changed();
}

void TStatusPanel::SetWidth(int width)
{
    if (width == width_) return;
    width_ = std::max(width, 0);
    Changed();
}

void TStatusPanel::SetStyle(TStatusPanelStyle style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TStatusPanel::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Changed();
}

void TStatusPanel::SetBevel(TStatusPanelBevel bevel)
{
    if (bevel == bevel_) return;
    bevel_ = bevel;
    Changed();
}

TBiDiMode TStatusPanel::BiDiMode() const
{
    return parentBiDiMode_ && statusBar_ ? statusBar_->BiDiMode() : biDiMode_;
}

void TStatusPanel::SetBiDiMode(TBiDiMode mode)
{
    parentBiDiMode_ = false;
    biDiMode_ = mode;
    Changed();
}

void TStatusPanel::SetParentBiDiMode(bool value)
{
    parentBiDiMode_ = value;
    Changed();
}

const TClassInfo& TStatusBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TStatusBar>("TStatusBar", &TWinControl::StaticClass(), [](PropRegistrar<TStatusBar>& p) {
            p.Boolean("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel);
            p.AnsiText("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
            p.Boolean("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip);
            p.Object<TCollection>("Panels", &TStatusBar::Panels, nullptr);
            p.Method("OnDrawPanel", [](const TStatusBar& c) { return static_cast<bool>(c.OnDrawPanel); });
        });
    return info;
}

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner),
      panels_(std::make_unique<TStatusPanels>([this](TCollectionItem* item) {
          PanelsChanged(static_cast<TStatusPanel*>(item));
      }))
{
    StoreBounds(0, 0, 150, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar()
{
    BeforeDestruction();
    DestroyHandle();
    panels_.reset();
}

void TStatusBar::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"msctls_statusbar32";
    params.style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
    if (sizeGrip_) params.style |= SBARS_SIZEGRIP;
}

void TStatusBar::InitializeWindow()
{
    PutParts();
    SendMessageW(Handle(), SB_SIMPLE, simplePanel_, 0);
    if (simplePanel_) SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Utf8ToUtf16(simpleText_).c_str()));
}

void TStatusBar::PanelsChanged(TStatusPanel* panel)
{
    if (!panels_) return;
    for (int i = 0; i < panels_->Count(); ++i) panels_->At(i)->statusBar_ = this;
    (void)panel;
    if (HandleAllocated() && !IsDestroying()) PutParts();
}

void TStatusBar::PutParts()
{
    if (!HandleAllocated() || !panels_) return;
    HWND window = Handle();
    // Right edges; the last panel reaches the bar's end.
    const int count = std::max(panels_->Count(), 1);
    std::vector<int> edges(static_cast<size_t>(count), -1);
    int right = 0;
    for (int i = 0; i < panels_->Count(); ++i) {
        right += panels_->At(i)->width_;
        edges[static_cast<size_t>(i)] = i + 1 == panels_->Count() ? -1 : right;
    }
    SendMessageW(window, SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < panels_->Count(); ++i) PutPanelText(i);
    InvalidateRect(window, nullptr, TRUE);
}

void TStatusBar::PutPanelText(int index)
{
    const TStatusPanel* panel = panels_->At(index);
    WPARAM flags = static_cast<WPARAM>(index);
    if (panel->bevel_ == pbNone) flags |= SBT_NOBORDERS;
    if (panel->bevel_ == pbRaised) flags |= SBT_POPOUT;
    if (panel->BiDiMode() != bdLeftToRight) flags |= SBT_RTLREADING;
    if (panel->style_ == psOwnerDraw) {
        // The item data of the draw request is the panel's index.
        SendMessageW(Handle(), SB_SETTEXTW, flags | SBT_OWNERDRAW, index);
        return;
    }
    // A tab before the text centres it, two right-align it.
    TAlignment alignment = panel->alignment_;
    if (panel->BiDiMode() == bdRightToLeft && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    std::u16string text = alignment == taCenter ? u"\t" : alignment == taRightJustify ? u"\t\t" : u"";
    text += Utf8ToUtf16(panel->text_);
    SendMessageW(Handle(), SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::BiDiModeChanged()
{
    TWinControl::BiDiModeChanged();
    PutParts();
}

RECT TStatusBar::PanelRect(int index)
{
    RECT rect{};
    if (HandleAllocated()) SendMessageW(Handle(), SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TStatusBar::DrawPanel(HDC dc, TStatusPanel* panel, const RECT& rect)
{
    if (!OnDrawPanel || !panel) return;
    SavedDcState saved(dc);
    canvas_.SetHandle(dc);
    canvas_.Font()->Assign(*Font());
    canvas_.SetBrushColor(Color());
    try {
        OnDrawPanel(this, panel, rect);
    } catch (...) {
        canvas_.SetHandle(nullptr);
        throw;
    }
    canvas_.SetHandle(nullptr);
}

void TStatusBar::SetSimplePanel(bool value)
{
    if (value == simplePanel_) return;
    simplePanel_ = value;
    if (HandleAllocated()) InitializeWindow();
}

void TStatusBar::SetSimpleText(const std::string& text)
{
    if (text == simpleText_) return;
    simpleText_ = text;
    if (HandleAllocated() && simplePanel_)
        SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Utf8ToUtf16(simpleText_).c_str()));
}

void TStatusBar::SetSizeGrip(bool value)
{
    if (value == sizeGrip_) return;
    sizeGrip_ = value;
    RecreateWnd();
}

void TStatusBar::WndProc(TMessage& message)
{
    if (message.msg == CN_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
        DrawPanel(draw->hDC, panels_->At(static_cast<int>(draw->itemID)), draw->rcItem);
        message.result = TRUE;
        return;
    }
    TWinControl::WndProc(message);
}

}  // namespace quorvane
