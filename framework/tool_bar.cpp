// TToolButton and TToolBar: the tool bar and its buttons.

#include "framework/com_controls.h"

#include <algorithm>

#include "framework/menus.h"
#include "framework/message_box.h"

namespace quorvane {

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

}  // namespace quorvane
