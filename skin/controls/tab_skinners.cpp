#include "skin/controls/tab_skinners.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "framework/buttons.h"
#include "framework/properties.h"
#include "framework/strings.h"
#include "skin/controls/control_paint.h"
#include "skin/controls/edit_skinners.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

Margins RotateMarginsLeft(const Margins& m) { return Margins{m.top, m.right, m.bottom, m.left}; }
Margins RotateMarginsRight(const Margins& m) { return Margins{m.bottom, m.left, m.top, m.right}; }
Margins FlipMargins(const Margins& m) { return Margins{m.left, m.bottom, m.right, m.top}; }

int SideOf(LONG_PTR style)
{
    if (style & TCS_VERTICAL) return (style & TCS_RIGHT) ? tsRight : tsLeft;
    return (style & TCS_BOTTOM) ? tsBottom : tsTop;
}

// A tab's text and image; wide or 8-bit by the window.
std::u16string TabText(HWND tabs, int index, bool unicode, int& image)
{
    image = -1;
    if (unicode) {
        WCHAR buffer[81] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = buffer;
        item.cchTextMax = 80;
        if (!SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return {};
        image = item.iImage;
        return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(lstrlenW(buffer)));
    }
    char buffer[81] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = buffer;
    item.cchTextMax = 80;
    if (!SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item))) return {};
    image = item.iImage;
    WCHAR wide[81] = {};
    const int length = MultiByteToWideChar(CP_ACP, 0, buffer, -1, wide, 81);
    return std::u16string(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(std::max(length - 1, 0)));
}

// Where a tab of a band drawn as if on top lies: the item rectangle moved
// into the band, for bands turned a quarter afterwards, turned back.
RECT ItemInBand(const RECT& item, const RECT& band, int side)
{
    const RECT r{item.left - band.left, item.top - band.top, item.right - band.left, item.bottom - band.top};
    const int length = Height(band), breadth = Width(band);
    switch (side) {
    case tsLeft:
        return RECT{length - r.bottom, r.left, length - r.top, r.right};
    case tsRight:
        return RECT{r.top, breadth - r.right, r.bottom, breadth - r.left};
    default:
        return r;
    }
}

// The visible page of a page control at a tab index.
TControl* PageAt(TControl* pageControl, int index)
{
    auto* windowed = As<TWinControl>(pageControl);
    if (!windowed) return nullptr;
    int seen = 0;
    for (int i = 0; i < windowed->ControlCount(); ++i) {
        TControl* child = windowed->Controls(i);
        if (!child->InheritsFrom("TTabSheet")) continue;
        const std::string visible = GetEnumPropName(child, "TabVisible");
        if (visible == "False") continue;
        if (seen++ == index) return child;
    }
    return nullptr;
}

void SetTextColourOf(HDC dc, SkinColour colour) { SetTextColor(dc, ResolveColour(colour)); }

}  // namespace

TSkinUpDown* AttachEmbeddedUpDown(TSkinControl* owner, HWND window)
{
    if (!owner || !window) return nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[32] = {};
        GetClassNameW(child, name, 31);
        if (lstrcmpiW(name, UPDOWN_CLASSW) != 0) continue;
        auto* upDown = new TSkinUpDown(owner);
        upDown->AttachHandle(child, owner->SkinData(), owner->Form(), nullptr);
        return upDown;
    }
    return nullptr;
}

// ---- TSkinTab ------------------------------------------------------------------------

const TClassInfo& TSkinTab::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinTab", &TSkinControl::StaticClass());
    return info;
}

TSkinTab::TSkinTab(TComponent* owner) : TSkinControl(owner) {}

void TSkinTab::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    // The controls on a plain tab control (Mode 2) draw their backgrounds in
    // its Color (labels do): that becomes the skin colour painted around
    // them. A page control's controls sit on its sheets, which see to it.
    TSkinControl::AttachControl(form, skinData, replaceColor || Mode() == 2, canvas);
    if (!Attached()) return;
    TControl* control = Control();
    closeBoxes_ = control->InheritsFrom("TPageControl") && control->Tag() == kCloseBoxTag &&
                  (GetEnumPropName(control, "TabPosition") == "tpTop" || GetEnumPropName(control, "TabPosition").empty());
    FinishAttach();
}

void TSkinTab::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
    if (Attached()) FinishAttach();
}

void TSkinTab::FinishAttach()
{
    PrepareStrips();
    AttachUpDown();
    if (HWND window = TargetWindow()) InvalidateRect(window, nullptr, TRUE);
}

void TSkinTab::AttachUpDown()
{
    if (!upDown_) upDown_ = AttachEmbeddedUpDown(this, TargetWindow());
}

void TSkinTab::PrepareStrips()
{
    strip_.reset();
    pane_.reset();
    HWND window = TargetWindow();
    TSkinData* skin = SkinData();
    if (!window || !skin) return;
    side_ = SideOf(GetStyle(window, GWL_STYLE));
    if (HasPicture(skin->Tabs.get())) {
        strip_ = CopyBitmap24(skin->Tabs->Bitmap.get());
        const bool styleOne = skin->Tabs->Style == 1;
        HBITMAP pane = styleOne ? (HasPicture(skin->TabPane.get()) ? skin->TabPane->Bitmap.get() : nullptr)
                                : skin->Tabs->Bitmap2.get();
        if (pane && !IsEmptyBitmap(pane)) pane_ = CopyBitmap24(pane);
    }
    if (side_ == tsBottom) {
        if (strip_) FlipVertical(strip_);
        if (pane_) FlipVertical(pane_);
    } else if (side_ == tsLeft && pane_) {
        RotateLeft(pane_);
    } else if (side_ == tsRight && pane_) {
        RotateRight(pane_);
    }
}

void TSkinTab::SkinChanged()
{
    PrepareStrips();
    TSkinControl::SkinChanged();
}

RECT TSkinTab::DisplayArea(const RECT& rect) const
{
    RECT display = rect;
    SendMessageW(TargetWindow(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    InflateRect(&display, 4, 4);
    switch (side_) {
    case tsTop: display.top += 1; break;
    case tsBottom: display.bottom -= 1; break;
    case tsLeft: display.left += 1; break;
    default: display.right -= 1; break;
    }
    return display;
}

bool TSkinTab::CloseBoxClicked(POINT point)
{
    for (size_t i = 0; i < closeRects_.size(); ++i) {
        if (!PtInRect(&closeRects_[i], point)) continue;
        HWND window = TargetWindow();
        HWND target = Form() ? Form()->Window() : GetParent(window);
        const LRESULT answer = SendMessageW(target, WM_SKINTABCLOSE, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(i));
        if (answer == 0) {
            if (TControl* page = PageAt(Control(), static_cast<int>(i))) Free(page);
        }
        return true;
    }
    return false;
}

bool TSkinTab::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
        // A skin without tab pictures (one loaded later) leaves the tabs to
        // the control.
        if (!strip_) return true;
        if (message.msg == WM_ERASEBKGND) {
            message.result = 1;
            return false;
        }
        PaintClient(message);
        return false;
    case WM_LBUTTONDOWN:
        if (closeBoxes_ && CloseBoxClicked(POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)})) return false;
        return true;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinTab::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_MOUSEMOVE: {
        TCHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        const int tab = static_cast<int>(SendMessageW(TargetWindow(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (!Control()) RequestMouseLeave(TargetWindow());
        if (tab != hotTab_) {
            hotTab_ = tab;
            InvalidateRect(TargetWindow(), nullptr, FALSE);
        }
        return;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        if (hotTab_ != -1) {
            hotTab_ = -1;
            InvalidateRect(TargetWindow(), nullptr, FALSE);
        }
        return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case TCM_SETCURSEL:
    case TCM_INSERTITEMW:
    case TCM_INSERTITEMA:
    case TCM_DELETEITEM:
        InvalidateRect(TargetWindow(), nullptr, FALSE);
        return;
    case WM_STYLECHANGED:
        PrepareStrips();
        InvalidateRect(TargetWindow(), nullptr, FALSE);
        return;
    case WM_PAINT:
        // Painted here before the control when skinned; its own otherwise.
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinTab::DrawSkin(HDC dc, const RECT& rect)
{
    HWND window = TargetWindow();
    TSkinData* skin = SkinData();
    if (!window || !skin) return;
    AttachUpDown();
    ComposedPicture picture(Width(rect), Height(rect));
    if (!picture) return;
    HDC pic = picture.dc();
    FillColour(pic, rect, SkinFace(skin));
    const RECT display = DisplayArea(rect);
    closeRects_.clear();
    paintedFrames_.clear();
    if (strip_ && skin->Tabs) {
        const TDataSkinBorder& tabs = *skin->Tabs;
        RECT band = rect;
        switch (side_) {
        case tsTop: band.bottom = display.top; break;
        case tsBottom: band.top = display.bottom; break;
        case tsLeft: band.right = display.left; break;
        default: band.left = display.right; break;
        }
        const bool turned = side_ == tsLeft || side_ == tsRight;
        const int bandWidth = turned ? Height(band) : Width(band);
        const int bandHeight = turned ? Width(band) : Height(band);
        if (bandWidth > 0 && bandHeight > 0) {
            UniqueBitmap bandBitmap = CreateBitmap24(bandWidth, bandHeight);
            UniqueMemoryDc bandDc = UniqueMemoryDc::Compatible();
            {
                SelectGuard selectBand(bandDc.get(), bandBitmap.get());
                const RECT all{0, 0, bandWidth, bandHeight};
                FillColour(bandDc.get(), all, SkinFace(skin));
                SelectGuard selectFont(bandDc.get(), reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
                SetBkMode(bandDc.get(), TRANSPARENT);
                HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(window, TCM_GETIMAGELIST, 0, 0));
                const int count = static_cast<int>(SendMessageW(window, TCM_GETITEMCOUNT, 0, 0));
                const int current = static_cast<int>(SendMessageW(window, TCM_GETCURSEL, 0, 0));
                const bool focused = GetFocus() == window;
                const bool unicode = IsWindowUnicode(window) != FALSE;
                for (int i = 0; i < count; ++i) {
                    RECT item{};
                    if (!SendMessageW(window, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
                    const RECT at = ItemInBand(item, band, side_);
                    int image = -1;
                    const std::u16string text = TabText(window, i, unicode, image);
                    // 1 normal, 2 current, 3 under the mouse, 5 current with the focus.
                    int frame = i == current ? (focused ? 5 : 2) : (i == hotTab_ ? 3 : 1);
                    paintedFrames_.push_back(frame);
                    DrawElement(bandDc.get(), at, strip_.get(), false, tabs.Tile == 1, tabs.Trans == 1, 5, frame,
                                side_ == tsBottom ? FlipMargins(tabs.Margins()) : tabs.Margins());
                    RECT textRect = at;
                    if (closeBoxes_) {
                        const RECT box{at.right - 8, at.top + 2, at.right - 2, at.top + 8};
                        // In the tab's text colour: the default black pen vanishes on a dark tab.
                        UniquePen ink(CreatePen(PS_SOLID, 1, ResolveColour(i == current ? tabs.MouseOverColour2
                                                                                        : tabs.NormalColour2)));
                        SelectGuard selectInk(bandDc.get(), ink.get());
                        MoveToEx(bandDc.get(), box.left, box.top, nullptr);
                        LineTo(bandDc.get(), box.right, box.bottom);
                        MoveToEx(bandDc.get(), box.right - 1, box.top, nullptr);
                        LineTo(bandDc.get(), box.left - 1, box.bottom);
                        RECT inWindow = item;
                        inWindow.left = inWindow.right - 8;
                        inWindow.right -= 2;
                        inWindow.top += 2;
                        inWindow.bottom = inWindow.top + 6;
                        closeRects_.push_back(inWindow);
                        textRect.right -= 8;
                    }
                    SetTextColourOf(bandDc.get(), i == current ? tabs.MouseOverColour2 : tabs.NormalColour2);
                    DrawIconCaption(bandDc.get(), textRect, 1, text, image, images, IsWindowEnabled(window) != FALSE);
                }
            }
            if (side_ == tsLeft) RotateLeft(bandBitmap);
            if (side_ == tsRight) RotateRight(bandBitmap);
            DrawBitmapAt(pic, band.left, band.top, bandBitmap.get());
        }
    }
    if (pane_ && Width(display) > 0 && Height(display) > 0) {
        const bool styleOne = skin->Tabs && skin->Tabs->Style == 1;
        Margins margins = styleOne && skin->TabPane ? skin->TabPane->Margins() : Margins{4, 5, 4, 4};
        if (side_ == tsBottom) margins = FlipMargins(margins);
        if (side_ == tsLeft) margins = RotateMarginsLeft(margins);
        if (side_ == tsRight) margins = RotateMarginsRight(margins);
        const bool keyed = styleOne ? skin->TabPane && skin->TabPane->Trans == 1 : true;
        DrawElement(pic, display, pane_.get(), false, false, keyed, 1, 1, margins);
    }
    if (Mode() == 2)
        if (auto* windowed = As<TWinControl>(Control())) windowed->PaintControls(pic);
    SavedDcState saved(dc);
    if (upDown_ && upDown_->Handle() && IsWindowVisible(upDown_->Handle())) {
        RECT scroller{};
        GetWindowRect(upDown_->Handle(), &scroller);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&scroller), 2);
        ExcludeClipRect(dc, scroller.left, scroller.top, scroller.right, scroller.bottom);
    }
    picture.CopyTo(dc, rect.left, rect.top);
}

// ---- TSkinTabBtn ----------------------------------------------------------------------

const TClassInfo& TSkinTabBtn::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinTabBtn", &TSkinControl::StaticClass());
    return info;
}

TSkinTabBtn::TSkinTabBtn(TComponent* owner) : TSkinControl(owner) {}

bool TSkinTabBtn::BeforeMessage(TMessage& message)
{
    // Without the skin's button pictures the control paints its own tabs.
    if ((message.msg == WM_PAINT || message.msg == WM_ERASEBKGND) && !(SkinData() && HasPicture(SkinData()->Buttons.get())))
        return true;
    if (message.msg == WM_PAINT) {
        PaintClient(message);
        return false;
    }
    if (message.msg == WM_ERASEBKGND) {
        message.result = 1;
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTabBtn::DrawSkin(HDC dc, const RECT& rect)
{
    HWND window = TargetWindow();
    TSkinData* skin = SkinData();
    // The tab scroller gets the skin's arrows, as on ordinary tabs.
    if (!upDown_) upDown_ = AttachEmbeddedUpDown(this, window);
    if (!window || !skin || !HasPicture(skin->Buttons.get())) return;
    const TDataSkinButton& buttons = *skin->Buttons;
    ComposedPicture picture(Width(rect), Height(rect));
    if (!picture) return;
    HDC pic = picture.dc();
    FillColour(pic, rect, SkinFace(skin));
    SelectGuard selectFont(pic, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SetBkMode(pic, TRANSPARENT);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(window, TCM_GETIMAGELIST, 0, 0));
    const int count = static_cast<int>(SendMessageW(window, TCM_GETITEMCOUNT, 0, 0));
    const int current = static_cast<int>(SendMessageW(window, TCM_GETCURSEL, 0, 0));
    const bool unicode = IsWindowUnicode(window) != FALSE;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (!SendMessageW(window, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        int image = -1;
        const std::u16string text = TabText(window, i, unicode, image);
        const int frame = i == current ? 2 : 1;
        DrawElementState(pic, item, 5, frame, &buttons);
        if (frame == 1 && buttons.HasNormalColour2) SetTextColourOf(pic, buttons.NormalColour2);
        else if (frame == 2 && buttons.HasPressedColour2) SetTextColourOf(pic, buttons.PressedColour2);
        else SetTextColor(pic, RGB(0, 0, 0));
        DrawIconCaption(pic, item, 1, text, image, images, IsWindowEnabled(window) != FALSE);
    }
    picture.CopyTo(dc, rect.left, rect.top);
}

// ---- TSkinTabSheet --------------------------------------------------------------------

const TClassInfo& TSkinTabSheet::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinTabSheet", &TSkinControl::StaticClass());
    return info;
}

TSkinTabSheet::TSkinTabSheet(TComponent* owner) : TSkinControl(owner) {}

void TSkinTabSheet::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool, TCanvas* canvas)
{
    // The sheet's controls (labels) draw their backgrounds in its Color.
    TSkinControl::AttachControl(form, skinData, true, canvas);
}

bool TSkinTabSheet::BeforeMessage(TMessage& message)
{
    if (Mode() == 0) {
        switch (message.msg) {
        case WM_PAINT:
        case WM_PRINT:
            PaintClient(message);
            return false;
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(TargetWindow(), &client);
            FillSkinColor(reinterpret_cast<HDC>(message.wParam), client);
            message.result = 1;
            return false;
        }
        default:
            break;
        }
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTabSheet::DrawSkin(HDC dc, const RECT& rect)
{
    FillSkinColor(dc, rect);
    if (auto* windowed = As<TWinControl>(Control())) windowed->PaintControls(dc);
}

// ---- TSkinTab31 ----------------------------------------------------------------------

const TClassInfo& TSkinTab31::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinTab31", &TSkinControl::StaticClass());
    return info;
}

TSkinTab31::TSkinTab31(TComponent* owner) : TSkinControl(owner) {}

void TSkinTab31::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool, TCanvas* canvas)
{
    if (Attached()) return;
    auto* control = As<TWinControl>(dynamic_cast<TControl*>(Owner()));
    if (!control || !control->Handle()) return;
    TSkinControl::AttachControl(form, skinData, false, canvas);
    if (!Attached()) return;
    PrepareStrip();
    if (!upDown_) {
        upDown_ = AttachEmbeddedUpDown(this, control->Handle());
        if (upDown_) upDown_->Orientation = 1;
    }
}

void TSkinTab31::PrepareStrip()
{
    strip_.reset();
    if (SkinData() && HasPicture(SkinData()->Tabs.get())) {
        strip_ = CopyBitmap24(SkinData()->Tabs->Bitmap.get());
        FlipVertical(strip_);
    }
}

void TSkinTab31::SkinChanged()
{
    PrepareStrip();
    TSkinControl::SkinChanged();
}

bool TSkinTab31::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_PAINT) {
        PaintClient(message);
        // The set also paints what it keeps beside its tabs (its scroller).
        return true;
    }
    if (message.msg == WM_ERASEBKGND) {
        message.result = 1;
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTab31::DrawSkin(HDC dc, const RECT& rect)
{
    TSkinData* skin = SkinData();
    TControl* control = Control();
    if (!skin || !strip_ || !skin->Tabs || !control) return;
    auto* tabs = GetObjectPropOf<TStrings>(control, "Tabs");
    ComposedPicture picture(Width(rect), Height(rect));
    if (!picture) return;
    HDC pic = picture.dc();
    FillColour(pic, rect, SkinFace(skin));
    if (tabs) {
        SelectGuard selectFont(pic, control->Font() ? control->Font()->Handle() : nullptr);
        const int current = GetIntProp(control, "TabIndex");
        const int first = std::max(GetIntProp(control, "FirstIndex"), 0);
        const int start = std::max(GetIntProp(control, "StartMargin"), 0);
        const int end = std::max(GetIntProp(control, "EndMargin"), 0);
        const bool scroller = upDown_ && upDown_->Handle() && IsWindowVisible(upDown_->Handle());
        const int limit = Width(rect) - end - (scroller ? 12 : 0);
        int x = start;
        for (int i = first; i < tabs->Count(); ++i) {
            const std::string utf8 = tabs->Get(i);
            std::u16string text;
            WCHAR wide[256] = {};
            const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 256);
            text.assign(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(std::max(length - 1, 0)));
            RECT measure{0, 0, 0, 0};
            DrawTextWide(pic, text, measure, DT_CALCRECT | DT_SINGLELINE);
            const int tabWidth = Width(measure) + 9;
            if (x + tabWidth > limit) break;
            const RECT tab{x, 0, x + tabWidth, Height(rect)};
            const bool isCurrent = i == current;
            DrawElement(pic, tab, strip_.get(), false, skin->Tabs->Tile == 1, skin->Tabs->Trans == 1, 5,
                        isCurrent ? 2 : 1, FlipMargins(skin->Tabs->Margins()));
            SetTextColourOf(pic, isCurrent ? skin->Tabs->MouseOverColour2 : skin->Tabs->NormalColour2);
            DrawCaptionText(pic, tab, DT_CENTER, true, text);
            x += tabWidth;
        }
    }
    picture.CopyTo(dc, rect.left, rect.top);
}

// ---- TSkinAdvPage ---------------------------------------------------------------------

const TClassInfo& TSkinAdvPage::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinAdvPage", &TSkinControl::StaticClass());
    return info;
}

TSkinAdvPage::TSkinAdvPage(TComponent* owner) : TSkinControl(owner) {}

void TSkinAdvPage::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    if (Attached()) return;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
    if (Attached() && Mode() == 4) AssignPictures();
}

void TSkinAdvPage::AssignPictures()
{
    TSkinData* skin = SkinData();
    if (!Control() || !skin || !HasPicture(skin->Tabs.get())) return;
    const char* names[2] = {"TabBackGround", "TabBackGroundActive"};
    for (int frame = 1; frame <= 2; ++frame) {
        auto* target = GetObjectPropOf<TBitmap>(Control(), names[frame - 1]);
        if (!target) continue;
        UniqueBitmap picture = NinePartPicture(SIZE{100, 21}, skin->Tabs->Bitmap.get(), skin->Tabs->Margins(), false,
                                               skin->Tabs->Tile == 1, 5, frame);
        target->SetHandle(picture.release());
    }
}

void TSkinAdvPage::Detach()
{
    if (Control() && LifeState() != lsWindowGone) {
        for (const char* name : {"TabBackGround", "TabBackGroundActive"})
            if (auto* target = GetObjectPropOf<TBitmap>(Control(), name)) target->SetHandle(nullptr);
    }
    TSkinControl::Detach();
}

void TSkinAdvPage::DrawSkin(HDC, const RECT&)
{
    if (!upDown_) upDown_ = AttachEmbeddedUpDown(this, TargetWindow());
}

void TSkinAdvPage::SkinChanged()
{
    if (Mode() == 4) AssignPictures();
    TSkinControl::SkinChanged();
}

}  // namespace quorvane
