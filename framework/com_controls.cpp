#include "framework/com_controls.h"

#include <richedit.h>

#include <algorithm>

#include "framework/menus.h"
#include "framework/message_box.h"

namespace quorvane {

void InitCommonControlsOnce()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{};
        init.dwSize = sizeof init;
        init.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

// ---- TTrackBar --------------------------------------------------------------

const TClassInfo& TTrackBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TTrackBar>("TTrackBar", &TWinControl::StaticClass(), [](PropRegistrar<TTrackBar>& p) {
            p.Integer("Min", &TTrackBar::Min, &TTrackBar::SetMin);
            p.Integer("Max", &TTrackBar::Max, &TTrackBar::SetMax);
            p.Integer("Position", &TTrackBar::Position, &TTrackBar::SetPosition);
            p.Integer("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency);
            p.Integer("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize);
            p.Integer("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize);
            p.Enumeration("Orientation", {"trHorizontal", "trVertical"}, &TTrackBar::Orientation,
                          &TTrackBar::SetOrientation);
            p.Enumeration("TickMarks", {"tmBottomRight", "tmTopLeft", "tmBoth"}, &TTrackBar::TickMarks,
                          &TTrackBar::SetTickMarks);
            p.Enumeration("TickStyle", {"tsNone", "tsAuto", "tsManual"}, &TTrackBar::TickStyle, &TTrackBar::SetTickStyle);
            p.Boolean("SliderVisible", &TTrackBar::SliderVisible, nullptr);
            p.Method("OnChange", [](const TTrackBar& c) { return static_cast<bool>(c.OnChange); });
        });
    return info;
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 150, 45);
    SetTabStop(true);
    // The platform control erases its background with the colour its
    // parent answers for it: by default that is the parent's own colour, so
    // a slider sits on its form whatever colour the form is given.
    SetParentColor(true);
}

void TTrackBar::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"msctls_trackbar32";
    params.style |= orientation_ == trHorizontal ? TBS_HORZ : TBS_VERT;
    switch (tickStyle_) {
    case tsNone:
        params.style |= TBS_NOTICKS;
        break;
    case tsAuto:
        params.style |= TBS_AUTOTICKS;
        break;
    case tsManual:
        break;
    }
    switch (tickMarks_) {
    case tmBottomRight:
        params.style |= orientation_ == trHorizontal ? TBS_BOTTOM : TBS_RIGHT;
        break;
    case tmTopLeft:
        params.style |= orientation_ == trHorizontal ? TBS_TOP : TBS_LEFT;
        break;
    case tmBoth:
        params.style |= TBS_BOTH;
        break;
    }
}

void TTrackBar::InitializeWindow()
{
    HWND window = Handle();
    SendMessageW(window, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(window, TBM_SETRANGEMAX, FALSE, max_);
    SendMessageW(window, TBM_SETLINESIZE, 0, lineSize_);
    SendMessageW(window, TBM_SETPAGESIZE, 0, pageSize_);
    SendMessageW(window, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
    SendMessageW(window, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(int value)
{
    SetRange(value, std::max(value, max_));
}

void TTrackBar::SetMax(int value)
{
    SetRange(std::min(min_, value), value);
}

void TTrackBar::SetRange(int minValue, int maxValue)
{
    min_ = minValue;
    max_ = std::max(minValue, maxValue);
    if (HandleAllocated()) {
        SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min_);
        SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max_);
    }
    // The position follows the range.
    SetPosition(position_);
}

void TTrackBar::SetPosition(int value)
{
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, value);
    Changed();
}

void TTrackBar::SetFrequency(int value)
{
    frequency_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(value), 0);
}

void TTrackBar::SetOrientation(TTrackBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark value)
{
    if (value == tickMarks_) return;
    tickMarks_ = value;
    RecreateWnd();
}

void TTrackBar::SetTickStyle(TTickStyle value)
{
    if (value == tickStyle_) return;
    tickStyle_ = value;
    RecreateWnd();
}

void TTrackBar::SetLineSize(int value)
{
    lineSize_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETLINESIZE, 0, value);
}

void TTrackBar::SetPageSize(int value)
{
    pageSize_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, value);
}

void TTrackBar::Changed()
{
    if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& message)
{
    if (message.msg == CN_HSCROLL || message.msg == CN_VSCROLL) {
        // A position the user moved to; unchanged positions raise nothing.
        SetPosition(static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0)));
        message.result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TToolButton --------------------------------------------------------------

const TClassInfo& TToolButton::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TToolButton>("TToolButton", &TGraphicControl::StaticClass(), [](PropRegistrar<TToolButton>& p) {
            p.AnsiText("Caption", &TToolButton::Caption, &TToolButton::SetCaption);
            p.Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex);
            p.Enumeration("Style", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"},
                          &TToolButton::Style, &TToolButton::SetStyle);
            p.Boolean("Down", &TToolButton::Down, &TToolButton::SetDown);
            p.Boolean("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped);
            p.Object<TMenuItem>("MenuItem", &TToolButton::MenuItem, &TToolButton::SetMenuItem);
            p.Object<TPopupMenu>("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
        });
    return info;
}

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner)
{
    StoreBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton()
{
    if (toolBar_) toolBar_->RemoveButton(this);
}

void TToolButton::SetParent(TWinControl* parent)
{
    if (parent == Parent()) return;
    if (toolBar_) toolBar_->RemoveButton(this);
    TGraphicControl::SetParent(parent);
    if (auto* bar = As<TToolBar>(parent)) bar->AddButton(this);
}

int TToolButton::Index() const
{
    if (!toolBar_) return -1;
    auto& list = toolBar_->buttons_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TToolButton::SetImageIndex(int index)
{
    if (index == imageIndex_) return;
    imageIndex_ = index;
    if (toolBar_) toolBar_->UpdateButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle style)
{
    if (style == style_) return;
    style_ = style;
    if (toolBar_) toolBar_->RebuildButtons();
}

void TToolButton::SetDown(bool down)
{
    if (down == down_) return;
    down_ = down;
    if (toolBar_) toolBar_->UpdateButton(this);
}

void TToolButton::SetEnabled(bool enabled)
{
    if (enabled == Enabled()) return;
    TGraphicControl::SetEnabled(enabled);
    if (toolBar_) toolBar_->UpdateButton(this);
}

void TToolButton::SetVisible(bool visible)
{
    if (visible == Visible()) return;
    TGraphicControl::SetVisible(visible);
    if (toolBar_) toolBar_->RebuildButtons();
}

void TToolButton::Click()
{
    if (style_ == tbsCheck && toolBar_ && toolBar_->HandleAllocated())
        down_ = SendMessageW(toolBar_->Handle(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(commandId_), 0) != 0;
    TGraphicControl::Click();
}

void TToolButton::Invalidate()
{
    if (toolBar_ && toolBar_->HandleAllocated()) {
        RECT rect = toolBar_->ButtonRect(this);
        InvalidateRect(toolBar_->Handle(), &rect, TRUE);
    }
}

void TToolButton::SetMenuItem(TMenuItem* item)
{
    menuItem_ = item;
    if (item) item->FreeNotification(this);
}

void TToolButton::SetDropdownMenu(TPopupMenu* menu)
{
    dropdownMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

void TToolButton::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == menuItem_) menuItem_ = nullptr;
    if (operation == opRemove && component == dropdownMenu_) dropdownMenu_ = nullptr;
}

// ---- TToolBar -------------------------------------------------------------------

const TClassInfo& TToolBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TToolBar>("TToolBar", &TWinControl::StaticClass(), [](PropRegistrar<TToolBar>& p) {
            p.Object<TImageList>("Images", &TToolBar::Images, &TToolBar::SetImages);
            p.Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat);
            p.Boolean("AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize);
            p.Set("EdgeBorders", {"ebLeft", "ebTop", "ebRight", "ebBottom"}, &TToolBar::EdgeBorders,
                  &TToolBar::SetEdgeBorders);
            p.Integer("ButtonWidth", &TToolBar::ButtonWidth,
                      [](TToolBar& t, int w) { t.SetButtonSize(w, t.ButtonHeight()); });
            p.Integer("ButtonHeight", &TToolBar::ButtonHeight,
                      [](TToolBar& t, int h) { t.SetButtonSize(t.ButtonWidth(), h); });
            p.Boolean("Transparent", &TToolBar::Transparent, &TToolBar::SetTransparent);
            p.Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions);
            p.Object<TMenuItem>("Menu", &TToolBar::Menu, &TToolBar::SetMenu);
            p.Method("OnCustomDraw", [](const TToolBar& t) { return static_cast<bool>(t.OnCustomDraw); });
            p.Method("OnCustomDrawButton", [](const TToolBar& t) { return static_cast<bool>(t.OnCustomDrawButton); });
        });
    return info;
}

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar()
{
    BeforeDestruction();
    for (TToolButton* button : buttons_) button->toolBar_ = nullptr;
    buttons_.clear();
}

TToolButton* TToolBar::Buttons(int index) const
{
    if (index < 0 || index >= ButtonCount()) return nullptr;
    return buttons_[static_cast<size_t>(index)];
}

void TToolBar::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"ToolbarWindow32";
    params.style |= TBSTYLE_TOOLTIPS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_CLIPCHILDREN;
    if (flat_) params.style |= TBSTYLE_FLAT;
    if (transparent_) params.style |= TBSTYLE_TRANSPARENT;
}

void TToolBar::InitializeWindow()
{
    HWND window = Handle();
    SendMessageW(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // Drop-down buttons get their arrow as a part of their own.
    SendMessageW(window, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    if (images_) {
        SendMessageW(window, TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
        SendMessageW(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    }
    RebuildButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == images_) {
        images_ = nullptr;
        if (HandleAllocated()) SendMessageW(Handle(), TB_SETIMAGELIST, 0, 0);
    }
    if (component == menu_) menu_ = nullptr;
}

void TToolBar::SetImages(TImageList* images)
{
    if (images == images_) return;
    images_ = images;
    if (images) images->FreeNotification(this);
    if (HandleAllocated()) {
        if (images_) SendMessageW(Handle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
        SendMessageW(Handle(), TB_SETIMAGELIST, 0, images_ ? reinterpret_cast<LPARAM>(images_->Handle()) : 0);
        RebuildButtons();
    }
}

void TToolBar::SetFlat(bool value)
{
    if (value == flat_) return;
    flat_ = value;
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
        SetWindowLongPtrW(Handle(), GWL_STYLE, value ? style | TBSTYLE_FLAT : style & ~static_cast<LONG_PTR>(TBSTYLE_FLAT));
        Invalidate();
    }
}

void TToolBar::SetAutoSize(bool value)
{
    if (value == autoSize_) return;
    autoSize_ = value;
    ResizeToButtons();
}

void TToolBar::SetEdgeBorders(TEdgeBorders value)
{
    edgeBorders_ = value;
    Invalidate();
}

void TToolBar::SetButtonSize(int width, int height)
{
    buttonWidth_ = width;
    buttonHeight_ = height;
    if (HandleAllocated()) {
        SendMessageW(Handle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
        RebuildButtons();
    }
}

void TToolBar::SetTransparent(bool value)
{
    if (value == transparent_) return;
    transparent_ = value;
    RecreateWnd();
}

void TToolBar::SetShowCaptions(bool value)
{
    if (value == showCaptions_) return;
    showCaptions_ = value;
    RebuildButtons();
}

void TToolBar::AddButton(TToolButton* button)
{
    if (std::find(buttons_.begin(), buttons_.end(), button) != buttons_.end()) return;
    button->toolBar_ = this;
    button->commandId_ = nextCommandId_++;
    buttons_.push_back(button);
    RebuildButtons();
}

void TToolBar::RemoveButton(TToolButton* button)
{
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    if (it == buttons_.end()) return;
    buttons_.erase(it);
    button->toolBar_ = nullptr;
    if (!IsDestroying()) RebuildButtons();
}

TToolButton* TToolBar::ButtonByCommand(int commandId) const
{
    for (TToolButton* button : buttons_)
        if (button->commandId_ == commandId) return button;
    return nullptr;
}

namespace {
TBBUTTON MakeButton(const TToolButton& button)
{
    TBBUTTON tb{};
    tb.iBitmap = button.ImageIndex();
    tb.idCommand = button.CommandId();
    tb.fsState = static_cast<BYTE>((button.Enabled() ? TBSTATE_ENABLED : 0) | (button.Down() ? TBSTATE_CHECKED : 0) |
                                   (button.Visible() ? 0 : TBSTATE_HIDDEN));
    switch (button.Style()) {
    case tbsButton:
        tb.fsStyle = BTNS_BUTTON;
        break;
    case tbsCheck:
        tb.fsStyle = BTNS_CHECK;
        break;
    case tbsDropDown:
        tb.fsStyle = BTNS_DROPDOWN;
        break;
    case tbsSeparator:
    case tbsDivider:
        tb.fsStyle = BTNS_SEP;
        tb.iBitmap = button.Width() > 0 ? button.Width() : 6;
        break;
    }
    tb.iString = -1;
    return tb;
}
}  // namespace

void TToolBar::RebuildButtons()
{
    if (!HandleAllocated() || IsDestroying()) return;
    HWND window = Handle();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(window, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(window, TB_DELETEBUTTON, 0, 0);
    for (TToolButton* button : buttons_) {
        TBBUTTON tb = MakeButton(*button);
        std::u16string caption;
        if (showCaptions_ && button->Style() != tbsSeparator && button->Style() != tbsDivider) {
            caption = Utf8ToUtf16(button->Caption());
            caption.push_back(u'\0');
            tb.iString = reinterpret_cast<INT_PTR>(caption.c_str());
        }
        SendMessageW(window, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageW(window, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    // The buttons' bounds follow the platform's layout.
    for (TToolButton* button : buttons_) {
        const RECT rect = ButtonRect(button);
        button->StoreBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
    ResizeToButtons();
    InvalidateRect(window, nullptr, TRUE);
}

void TToolBar::UpdateButton(TToolButton* button)
{
    if (!HandleAllocated()) return;
    HWND window = Handle();
    const WPARAM id = static_cast<WPARAM>(button->commandId_);
    const TBBUTTON tb = MakeButton(*button);
    SendMessageW(window, TB_SETSTATE, id, MAKELPARAM(tb.fsState, 0));
    SendMessageW(window, TB_CHANGEBITMAP, id, MAKELPARAM(button->ImageIndex(), 0));
}

RECT TToolBar::ButtonRect(const TToolButton* button)
{
    RECT rect{};
    if (!HandleAllocated() || !button) return rect;
    const LRESULT index = SendMessageW(Handle(), TB_COMMANDTOINDEX, static_cast<WPARAM>(button->CommandId()), 0);
    if (index >= 0) SendMessageW(Handle(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TToolBar::ResizeToButtons()
{
    if (!autoSize_ || !HandleAllocated()) return;
    int right = 0, bottom = 0;
    for (TToolButton* button : buttons_) {
        if (!button->Visible()) continue;
        const RECT rect = ButtonRect(button);
        right = std::max<int>(right, rect.right);
        bottom = std::max<int>(bottom, rect.bottom);
    }
    if (right == 0) return;
    if (Align() == alTop || Align() == alBottom)
        SetHeight(bottom);
    else
        SetBounds(Left(), Top(), right, bottom);
}

HWND TToolBar::OwnTooltipWindow()
{
    return HandleAllocated() ? reinterpret_cast<HWND>(SendMessageW(Handle(), TB_GETTOOLTIPS, 0, 0)) : nullptr;
}

void TToolBar::CustomDraw(TMessage& message)
{
    auto* draw = reinterpret_cast<NMTBCUSTOMDRAW*>(message.lParam);
    message.result = CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: {
        bool defaultDraw = true;
        if (OnCustomDraw) OnCustomDraw(this, draw->nmcd.rc, draw->nmcd.hdc, defaultDraw);
        message.result = defaultDraw ? CDRF_DODEFAULT : CDRF_SKIPDEFAULT;
        // Every button is drawn with the bar's resolved system colours.
        if (defaultDraw) message.result |= CDRF_NOTIFYITEMDRAW;
        break;
    }
    case CDDS_ITEMPREPAINT: {
        // The platform fills the draw record with its own system colours;
        // a window whose colours are answered elsewhere (a skin) gets those
        // for its button texts and faces. Without a colour source each
        // resolves to the platform's own value.
        draw->clrText = SystemColourFor(Handle(), COLOR_BTNTEXT);
        draw->clrTextHighlight = SystemColourFor(Handle(), COLOR_HIGHLIGHTTEXT);
        draw->clrBtnFace = SystemColourFor(Handle(), COLOR_BTNFACE);
        draw->clrBtnHighlight = SystemColourFor(Handle(), COLOR_BTNHIGHLIGHT);
        draw->clrHighlightHotTrack = SystemColourFor(Handle(), COLOR_HIGHLIGHT);
        bool defaultDraw = true;
        TToolButton* button = ButtonByCommand(static_cast<int>(draw->nmcd.dwItemSpec));
        if (button && OnCustomDrawButton) OnCustomDrawButton(this, button, *draw, defaultDraw);
        message.result = defaultDraw ? CDRF_DODEFAULT : CDRF_SKIPDEFAULT;
        break;
    }
    default:
        break;
    }
}

void TToolBar::WndProc(TMessage& message)
{
    switch (message.msg) {
    case CN_COMMAND:
        if (TToolButton* button = ButtonByCommand(LOWORD(message.wParam))) {
            button->Click();
            return;
        }
        break;
    case CN_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(message.lParam);
        if (header->code == NM_CUSTOMDRAW && header->hwndFrom == Handle()) {
            CustomDraw(message);
            return;
        }
        if (header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(message.lParam);
            TToolButton* button = ButtonByCommand(static_cast<int>(info->hdr.idFrom));
            tipText_ = button && button->ShowHint() ? Utf8ToUtf16(button->Hint()) : std::u16string();
            tipText_.push_back(u'\0');
            info->lpszText = reinterpret_cast<WCHAR*>(tipText_.data());
            info->hinst = nullptr;
            return;
        }
        if (header->code == TBN_DROPDOWN) {
            auto* notify = reinterpret_cast<NMTOOLBARW*>(message.lParam);
            TToolButton* button = ButtonByCommand(notify->iItem);
            if (button && button->DropdownMenu()) {
                RECT rect = ButtonRect(button);
                MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
                button->DropdownMenu()->SetPopupComponent(button);
                button->DropdownMenu()->Popup(rect.left, rect.bottom);
            } else if (button && button->MenuItem()) {
                RECT rect = ButtonRect(button);
                MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
                if (HMENU menu = button->MenuItem()->Handle())
                    if (UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, rect.left,
                                                      rect.bottom, 0, Handle(), nullptr))
                        if (TMenu* owner = button->MenuItem()->GetParentMenu()) owner->DispatchCommand(command);
            }
            message.result = TBDDRET_DEFAULT;
            return;
        }
        break;
    }
    case WM_SIZE:
        TWinControl::WndProc(message);
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

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

// ---- TProgressBar -----------------------------------------------------------------

const TClassInfo& TProgressBar::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TProgressBar>("TProgressBar", &TWinControl::StaticClass(), [](PropRegistrar<TProgressBar>& p) {
            p.Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin);
            p.Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax);
            p.Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition);
            p.Enumeration("Orientation", {"pbHorizontal", "pbVertical"}, &TProgressBar::Orientation,
                          &TProgressBar::SetOrientation);
            p.Boolean("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth);
            p.Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep);
        });
    return info;
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"msctls_progress32";
    if (orientation_ == pbVertical) params.style |= PBS_VERTICAL;
    if (smooth_) params.style |= PBS_SMOOTH;
}

void TProgressBar::InitializeWindow()
{
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int value)
{
    min_ = value;
    if (HandleAllocated()) InitializeWindow();
}

void TProgressBar::SetMax(int value)
{
    max_ = value;
    if (HandleAllocated()) InitializeWindow();
}

void TProgressBar::SetPosition(int value)
{
    position_ = std::clamp(value, min_, std::max(min_, max_));
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetOrientation(TProgressBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    RecreateWnd();
}

void TProgressBar::SetSmooth(bool value)
{
    if (value == smooth_) return;
    smooth_ = value;
    RecreateWnd();
}

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
