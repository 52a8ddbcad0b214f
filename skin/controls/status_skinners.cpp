#include "skin/controls/status_skinners.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/properties.h"
#include "skin/controls/control_paint.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

enum TBevel { bvLowered = 1, bvRaised = 2, bvNone = 3 };

// A panel's edge: the skin's StatusBarEdges frame, or a one-pixel bevel in
// the system colours.
void DrawPanelEdge(HDC dc, const RECT& rect, int bevel, const TSkinData* skin)
{
    if (skin && HasPicture(skin->StatusBarEdges.get())) {
        const TDataSkinObject& edges = *skin->StatusBarEdges;
        DrawElement(dc, rect, edges.Bitmap.get(), false, edges.Tile == 1, false, 3, bevel, edges.Margins());
        return;
    }
    if (bevel == bvNone) return;
    const COLORREF shadow = SystemColour(COLOR_BTNSHADOW), light = SystemColour(COLOR_BTNHIGHLIGHT);
    const COLORREF topLeft = bevel == bvLowered ? shadow : light;
    const COLORREF bottomRight = bevel == bvLowered ? light : shadow;
    FillColour(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
    FillColour(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
    FillColour(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
    FillColour(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

// Text of a platform status bar part, with its drawing flags (SBT_*).
std::u16string PartText(HWND bar, int index, UINT& flags)
{
    const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, index, 0);
    flags = HIWORD(info);
    if (flags & SBT_OWNERDRAW) return {};
    const int length = LOWORD(info);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    SendMessageW(bar, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// Leading tabs align a status bar text: one centres it, two put it right.
UINT TakeAlignment(std::u16string& text)
{
    int tabs = 0;
    while (tabs < 2 && static_cast<size_t>(tabs) < text.size() && text[static_cast<size_t>(tabs)] == u'\t') ++tabs;
    text.erase(0, static_cast<size_t>(tabs));
    return tabs == 1 ? DT_CENTER : tabs == 2 ? DT_RIGHT : DT_LEFT;
}

void DrawPanelText(HDC dc, const RECT& rect, std::u16string_view text, UINT align, bool rightToLeft)
{
    // An empty panel still gets a line of text's height.
    if (text.empty()) text = u" ";
    RECT box{rect.left + 2, rect.top, rect.right - 2, rect.bottom};
    DrawCaptionText(dc, box, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, true, text,
                    rightToLeft ? DT_RTLREADING : 0);
}

}  // namespace

// ---- TSkinStatusBar --------------------------------------------------------------------

const TClassInfo& TSkinStatusBar::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinStatusBar", &TSkinControl::StaticClass());
    return info;
}

TSkinStatusBar::TSkinStatusBar(TComponent* owner) : TSkinControl(owner) {}

bool TSkinStatusBar::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
        PaintClient(message);
        return false;
    case WM_ERASEBKGND:
        message.result = 1;
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinStatusBar::DrawSkin(HDC dc, const RECT& rect)
{
    HWND bar = TargetWindow();
    if (!bar) return;
    TSkinData* skin = SkinData();
    ComposedPicture picture(Width(rect), Height(rect));
    if (!picture) return;
    HDC pic = picture.dc();
    FillColour(pic, rect, SkinFace(skin));
    // The bar's font in its plain style.
    TFont plain;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
    if (Control() && Control()->Font()) {
        plain.Assign(*Control()->Font());
        plain.SetStyle(0);
        font = plain.Handle();
    }
    SelectGuard selectFont(pic, font);
    SetBkMode(pic, TRANSPARENT);
    SetTextColor(pic, skin && skin->StatusBarEdges ? ResolveColour(skin->StatusBarEdges->NormalColour2)
                                                   : SystemColour(COLOR_BTNTEXT));
    const bool rightToLeft = Control() ? Control()->UseRightToLeftAlignment()
                                       : (GetStyle(bar, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
    const int parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    if (SendMessageW(bar, SB_ISSIMPLE, 0, 0) || parts <= 0) {
        DrawPanelEdge(pic, rect, bvLowered, skin);
        std::u16string text;
        if (Control() && IsPublishedProp(Control(), "SimpleText")) {
            text = GetTextProp(Control(), "SimpleText");
        } else {
            UINT flags = 0;
            text = PartText(bar, SB_SIMPLEID, flags);
        }
        DrawPanelText(pic, rect, text, rightToLeft ? DT_RIGHT : DT_LEFT, rightToLeft);
    } else {
        for (int i = 0; i < parts; ++i) {
            RECT part{};
            if (!SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&part))) continue;
            part.right += 2;
            if (i == parts - 1) part.right = rect.right;
            UINT flags = 0;
            std::u16string text = PartText(bar, i, flags);
            const int bevel = (flags & SBT_NOBORDERS) ? bvNone : (flags & SBT_POPOUT) ? bvRaised : bvLowered;
            DrawPanelEdge(pic, part, bevel, skin);
            if (flags & SBT_OWNERDRAW) continue;
            UINT align = TakeAlignment(text);
            const bool panelRtl = (flags & SBT_RTLREADING) != 0;
            if (panelRtl && align != DT_CENTER) align = align == DT_LEFT ? DT_RIGHT : DT_LEFT;
            DrawPanelText(pic, part, text, align, panelRtl);
        }
    }
    if ((GetStyle(bar, GWL_STYLE) & SBARS_SIZEGRIP) && skin && HasPicture(skin->ExtraImages.get())) {
        const SIZE size = BitmapSize(skin->ExtraImages->Bitmap.get());
        const int frames = std::max(skin->ExtraImages->Frame, 1);
        const int w = size.cx / frames, h = size.cy;
        const RECT grip{rect.right - 1 - w, rect.bottom - 1 - h, rect.right - 1, rect.bottom - 1};
        DrawKeyedFrame(pic, grip, frames, 5, skin->ExtraImages->Bitmap.get());
    }
    picture.CopyTo(dc, rect.left, rect.top);
    if (auto* windowed = As<TWinControl>(Control())) windowed->PaintControls(dc);
    // Owner-drawn panels draw over the skin, as the platform asks for them.
    if (SendMessageW(bar, SB_ISSIMPLE, 0, 0)) return;
    for (int i = 0; i < parts; ++i) {
        const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, i, 0);
        if (!(HIWORD(info) & SBT_OWNERDRAW)) continue;
        RECT part{};
        if (!SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&part))) continue;
        InflateRect(&part, -2, -2);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_STATIC;
        item.CtlID = static_cast<UINT>(GetWindowLongPtrW(bar, GWLP_ID));
        item.itemID = static_cast<UINT>(i);
        item.hwndItem = bar;
        item.hDC = dc;
        item.rcItem = part;
        item.itemData = static_cast<ULONG_PTR>(SendMessageW(bar, SB_GETTEXTW, i, 0));
        SavedDcState saved(dc);
        SendMessageW(GetParent(bar), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }
}

// ---- TSkinProgress -----------------------------------------------------------------

const TClassInfo& TSkinProgress::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinProgress", &TSkinControl::StaticClass());
    return info;
}

TSkinProgress::TSkinProgress(TComponent* owner) : TSkinControl(owner) {}

bool TSkinProgress::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
        if (SkinData() && HasPicture(SkinData()->Progress.get())) {
            PaintClient(message);
            return false;
        }
        return true;
    case WM_ERASEBKGND:
        message.result = 1;
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinProgress::DrawSkin(HDC dc, const RECT& rect)
{
    TSkinData* skin = SkinData();
    HWND window = TargetWindow();
    if (!skin || !window || !HasPicture(skin->Progress.get())) return;
    const TDataSkinBorder& progress = *skin->Progress;
    const bool vertical = (GetStyle(window, GWL_STYLE) & PBS_VERTICAL) != 0;
    // A vertical bar is drawn lying down and turned up afterwards.
    const int width = vertical ? Height(rect) : Width(rect);
    const int height = vertical ? Width(rect) : Height(rect);
    if (width <= 0 || height <= 0) return;
    ComposedPicture picture(width, height);
    if (!picture) return;
    HDC pic = picture.dc();
    const RECT all{0, 0, width, height};
    FillColour(pic, all, SkinFace(skin));
    const bool chunked = progress.Style == 1;
    const int frames = chunked ? 1 : 2;
    DrawElement(pic, all, progress.Bitmap.get(), false, progress.Tile == 1, true, frames, 1, progress.Margins());

    // The filled length follows the position within the whole range.
    PBRANGE range{};
    SendMessageW(window, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(SendMessageW(window, PBM_GETPOS, 0, 0));
    int fill = 0;
    if (range.iHigh > range.iLow && position > range.iLow)
        fill = MulDiv(width, std::min(position, range.iHigh) - range.iLow, range.iHigh - range.iLow);
    paintedFill_ = fill;
    if (fill > 0) {
        if (!chunked) {
            DrawElement(pic, RECT{0, 0, fill, height}, progress.Bitmap.get(), false, progress.Tile == 1, true, 2, 2,
                        progress.Margins());
        } else if (HasPicture(skin->ProgressChunk.get())) {
            const TDataSkinObject& chunk = *skin->ProgressChunk;
            const SIZE size = BitmapSize(chunk.Bitmap.get());
            if (chunk.Tile == 1 && size.cx > 0) {
                const int x = std::max(chunk.LeftWidth, 0) + 2;
                const int y = (height - size.cy) / 2;
                SavedDcState saved(pic);
                IntersectClipRect(pic, x, 0, std::min(x + fill, width), height);
                for (int at = x; at < x + fill; at += size.cx)
                    TransparentDraw(pic, RECT{at, y, at + size.cx, y + size.cy}, chunk.Bitmap.get(), kKeyColour);
            } else {
                const Margins margins{chunk.LeftWidth, 0, chunk.RightWidth, 0};
                DrawElement(pic, RECT{2, 2, 2 + fill, height - 2}, chunk.Bitmap.get(), false, false, true, 1, 1, margins);
            }
        }
    }
    if (!vertical) {
        picture.CopyTo(dc, rect.left, rect.top);
        return;
    }
    UniqueBitmap turned = picture.Snapshot();
    RotateLeft(turned);
    DrawBitmapAt(dc, rect.left, rect.top, turned.get());
}

// ---- TSkinTrackBar ---------------------------------------------------------------------

const TClassInfo& TSkinTrackBar::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinTrackBar", &TSkinControl::StaticClass());
    return info;
}

TSkinTrackBar::TSkinTrackBar(TComponent* owner) : TSkinControl(owner) {}

const TDataSkinObject* TSkinTrackBar::ThumbElement() const
{
    TSkinData* skin = SkinData();
    HWND window = TargetWindow();
    if (!skin || !window) return nullptr;
    const LONG_PTR style = GetStyle(window, GWL_STYLE);
    const bool vertical = (style & TBS_VERT) != 0;
    const bool both = (style & TBS_BOTH) != 0;
    const bool topOrLeft = (style & TBS_TOP) != 0;  // TBS_LEFT has the same value
    const TDataSkinObject* plain = vertical ? skin->TrackbarThumbVert.get() : skin->TrackbarThumbHorz.get();
    const TDataSkinObject* pointed = nullptr;
    if (!both) {
        if (vertical)
            pointed = topOrLeft ? skin->TrackbarThumbLeft.get() : skin->TrackbarThumbRight.get();
        else
            pointed = topOrLeft ? skin->TrackbarThumbUp.get() : skin->TrackbarThumbDown.get();
    }
    if (HasPicture(pointed)) return pointed;
    if (HasPicture(plain)) return plain;
    // A vertical bar without its own thumb uses the horizontal one.
    if (vertical && HasPicture(skin->TrackbarThumbHorz.get())) return skin->TrackbarThumbHorz.get();
    return nullptr;
}

bool TSkinTrackBar::ThumbHot() const
{
    HWND window = TargetWindow();
    RECT thumb{};
    SendMessageW(window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT screen{};
    GetCursorPos(&screen);
    POINT cursor = screen;
    ScreenToClient(window, &cursor);
    // Over the thumb, and the track bar is what the cursor is on: not a
    // window lying over it, whatever message brought us here.
    return PtInRect(&thumb, cursor) != FALSE && WindowFromPoint(screen) == window;
}

void TSkinTrackBar::DrawChannel(HDC dc)
{
    TSkinData* skin = SkinData();
    HWND window = TargetWindow();
    RECT channel{};
    SendMessageW(window, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const bool vertical = (GetStyle(window, GWL_STYLE) & TBS_VERT) != 0;
    if (vertical) {
        // The platform reports a vertical bar's channel as if it lay down.
        if (Width(channel) > Height(channel)) channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
        const TDataSkinObject* track = skin->TrackVert.get();
        if (!HasPicture(track)) return;
        const SIZE size = BitmapSize(track->Bitmap.get());
        const int x = channel.left + (size.cx < Width(channel) ? (Width(channel) - size.cx) / 2 : 0);
        const Margins margins{0, track->TopHeight, 0, track->BottomHeight};
        DrawElement(dc, RECT{x, channel.top, x + size.cx, channel.bottom}, track->Bitmap.get(), false, false,
                    track->Trans == 1, 1, 1, margins);
        return;
    }
    const TDataSkinObject* track = skin->Track.get();
    if (!HasPicture(track)) return;
    const SIZE size = BitmapSize(track->Bitmap.get());
    const int y = channel.top + (size.cy < Height(channel) ? (Height(channel) - size.cy) / 2 : 0);
    const Margins margins{track->LeftWidth, 0, track->RightWidth, 0};
    DrawElement(dc, RECT{channel.left, y, channel.right, y + size.cy}, track->Bitmap.get(), false, false,
                track->Trans == 1, 1, 1, margins);
}

void TSkinTrackBar::DrawThumb(HDC dc)
{
    HWND window = TargetWindow();
    RECT thumb{};
    SendMessageW(window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const TDataSkinObject* element = ThumbElement();
    if (!element) {
        paintedThumbFrame_ = 0;
        UniquePen pen(CreatePen(PS_SOLID, 1, SkinShadow(SkinData())));
        SelectGuard selectPen(dc, pen.get());
        SelectGuard selectBrush(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, thumb.left, thumb.top, thumb.right, thumb.bottom);
        return;
    }
    // Frames: 2 normal, 3 disabled, 4 hot or dragged, 5 focused.
    int frame = 2;
    if (!IsWindowEnabled(window))
        frame = 3;
    else if (GetCapture() == window || thumbHot_)
        frame = 4;
    else if (GetFocus() == window)
        frame = 5;
    paintedThumbFrame_ = frame;
    DrawStripFrame(dc, thumb, element->Bitmap.get(), true, 5, frame);
}

bool TSkinTrackBar::AnswerCustomDraw(TMessage& message, NMHDR* header)
{
    if (!header || header->code != static_cast<UINT>(NM_CUSTOMDRAW) || header->hwndFrom != TargetWindow()) return false;
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(header);
    message.result = CDRF_DODEFAULT;
    if (draw->dwDrawStage == CDDS_PREPAINT) {
        message.result = CDRF_NOTIFYITEMDRAW;
    } else if (draw->dwDrawStage == CDDS_ITEMPREPAINT) {
        if (draw->dwItemSpec == TBCD_THUMB) {
            DrawThumb(draw->hdc);
            message.result = CDRF_SKIPDEFAULT;
        } else if (draw->dwItemSpec == TBCD_CHANNEL) {
            DrawChannel(draw->hdc);
            message.result = CDRF_SKIPDEFAULT;
        }
    }
    return true;
}

bool TSkinTrackBar::BeforeMessage(TMessage& message)
{
    if (message.msg == WM_NOTIFY || (message.msg == CN_NOTIFY && IsReflectedNotification(message))) {
        if (SkinData() && AnswerCustomDraw(message, reinterpret_cast<NMHDR*>(message.lParam))) return false;
        return true;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTrackBar::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
        const bool hot = message.msg == WM_MOUSEMOVE && ThumbHot();
        if (message.msg == WM_MOUSEMOVE && !Control()) RequestMouseLeave(TargetWindow());
        if (hot != thumbHot_ || message.msg == WM_LBUTTONUP || message.msg == WM_CAPTURECHANGED) {
            thumbHot_ = hot;
            RECT thumb{};
            SendMessageW(TargetWindow(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            InvalidateRect(TargetWindow(), &thumb, FALSE);
        }
        return;
    }
    case WM_PAINT:
        // The control draws itself; channel and thumb come through custom draw.
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinTrackBar::SkinChanged()
{
    // The control draws channel and thumb anew with the new skin.
    if (HWND window = TargetWindow()) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
}

}  // namespace quorvane
