// TSkinHeader: the skinner of header controls.

#include "skin/controls/header_skinner.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "framework/properties.h"
#include "framework/strings.h"
#include "skin/controls/control_paint.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/form/form_engine.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

// ---- TSkinHeader -----------------------------------------------------------------------

const TClassInfo& TSkinHeader::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TSkinHeader", &TSkinControl::StaticClass());
    return info;
}

TSkinHeader::TSkinHeader(TComponent* owner) : TSkinControl(owner) {}

void TSkinHeader::AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas)
{
    hotItem_ = -1;
    TSkinControl::AttachControl(form, skinData, replaceColor, canvas);
}

void TSkinHeader::AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas)
{
    hotItem_ = -1;
    TSkinControl::AttachHandle(handle, skinData, form, canvas);
}

bool TSkinHeader::BeforeMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_PAINT:
        if (!SkinData() || !HasPicture(SkinData()->Headerbar.get())) return true;
        PaintClient(message);
        return false;
    case WM_ERASEBKGND:
        if (SkinData() && HasPicture(SkinData()->Headerbar.get())) {
            message.result = 1;
            return false;
        }
        return true;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinHeader::AfterMessage(TMessage& message)
{
    switch (message.msg) {
    case WM_MOUSEMOVE: {
        const POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        int hot = -1;
        for (size_t i = 0; i < items_.size(); ++i)
            if (PtInRect(&items_[i], point)) hot = static_cast<int>(i);
        if (hot != hotItem_) {
            hotItem_ = hot;
            Redraw();
        }
        RequestMouseLeave(TargetWindow());
        return;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        hotItem_ = -1;
        Redraw();
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        InvalidateRect(TargetWindow(), nullptr, FALSE);
        return;
    default:
        TSkinControl::AfterMessage(message);
        return;
    }
}

void TSkinHeader::DrawSkin(HDC dc, const RECT& rect)
{
    HWND window = TargetWindow();
    TSkinData* skin = SkinData();
    if (!window || !skin || !HasPicture(skin->Headerbar.get())) return;
    const TDataSkinObject& bar = *skin->Headerbar;
    const int frames = std::max(bar.Frame, 1);
    ComposedPicture picture(Width(rect), Height(rect));
    if (!picture) return;
    HDC pic = picture.dc();
    SelectGuard selectFont(pic, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SetBkMode(pic, TRANSPARENT);
    SetTextColor(pic, ResolveColour(bar.NormalColour2));
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(window, HDM_GETIMAGELIST, 0, 0));
    const int count = static_cast<int>(SendMessageW(window, HDM_GETITEMCOUNT, 0, 0));
    const bool pressed = GetCapture() == window && (GetKeyState(VK_LBUTTON) & 0x8000);
    items_.clear();
    paintedFrames_.clear();
    int right = 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (!SendMessageW(window, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        WCHAR buffer[201] = {};
        HDITEMW info{};
        info.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
        info.pszText = buffer;
        info.cchTextMax = 200;
        SendMessageW(window, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&info));
        // 1 normal, 2 under the mouse, 3 pressed there.
        const int frame = i == hotItem_ ? (pressed ? 3 : 2) : 1;
        paintedFrames_.push_back(frame);
        DrawElement(pic, item, bar.Bitmap.get(), false, bar.Tile == 1, bar.Trans == 1, frames, std::min(frame, frames),
                    bar.Margins());
        const std::u16string text(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(lstrlenW(buffer)));
        if (!text.empty()) {
            const int align = (info.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? 2 : (info.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? 1 : 0;
            const bool withImage = (info.fmt & (HDF_IMAGE | HDF_OWNERDRAW)) != 0;
            DrawIconCaption(pic, item, align, text, withImage ? info.iImage : -1, withImage ? images : nullptr,
                            IsWindowEnabled(window) != FALSE);
        }
        RECT stored = item;
        stored.left += 3;
        stored.right -= 3;
        items_.push_back(stored);
        right = std::max(right, static_cast<int>(item.right));
    }
    if (right < rect.right)
        DrawElement(pic, RECT{right, rect.top, rect.right, rect.bottom}, bar.Bitmap.get(), false, bar.Tile == 1,
                    bar.Trans == 1, frames, 1, bar.Margins());
    picture.CopyTo(dc, rect.left, rect.top);
}

}  // namespace quorvane
