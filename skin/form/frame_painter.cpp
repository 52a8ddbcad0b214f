// Frame painting and the window region of a skinned window: the four
// border elements, the title bar with its caption buttons and text, the
// menu bar band, and the region cut out where the borders are transparent.
#include <algorithm>

#include "framework/message_box.h"
#include "skin/controls/skin_control.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/form/form_engine.h"
#include "skin/form/frame_layout.h"
#include "skin/form/menu_bar.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_manager.h"

namespace quorvane {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A memory DC with a bitmap selected for as long as it lives.
class SelectedBitmap {
public:
    explicit SelectedBitmap(HBITMAP bitmap) : dc_(UniqueMemoryDc::Compatible())
    {
        if (dc_ && bitmap) previous_ = SelectObject(dc_.get(), bitmap);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    ~SelectedBitmap()
    {
        if (previous_) SelectObject(dc_.get(), previous_);
    }
    HDC get() const { return previous_ ? dc_.get() : nullptr; }

private:
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
};

const TDataSkinBorder* BorderOf(const TSkinData& skin, TBorderPart part)
{
    switch (part) {
    case bpLeft:
        return skin.BorderLeft.get();
    case bpRight:
        return skin.BorderRight.get();
    case bpTop:
        return skin.BorderTop.get();
    case bpBottom:
        return skin.BorderBottom.get();
    }
    return nullptr;
}

}  // namespace

RECT TWinSkinForm::MenuBand() const
{
    return RECT{FrameLeft, FrameTop, windowWidth_ - FrameRight, FrameTop + MenuBarHeight};
}

void TWinSkinForm::PaintBorderPart(TBorderPart part, HDC dc, const RECT& rect)
{
    if (!skinData_ || !dc) return;
    if (rect.right - rect.left < 0 || rect.bottom - rect.top < 0) return;
    const TDataSkinBorder* border = BorderOf(*skinData_, part);
    if (!border || IsEmptyBitmap(border->Bitmap)) return;
    const bool stacked = part == bpTop || part == bpBottom;
    const int frame = (Active || border->Frame == 1) ? 1 : 2;
    DrawElement(dc, rect, border->Bitmap.get(), stacked, border->Tile != 1, false, std::max(border->Frame, 1), frame,
                border->Margins());
}

void TWinSkinForm::PaintFrame(HDC dc)
{
    if (!window_ || !skinData_) return;
    if (EngineState != esSkinned && EngineState != esRefreshing) return;
    if (FrameKind == fkNoCaption || IsMaximisedMdiChild()) return;
    UniqueWindowDc own;
    if (!dc) {
        own = UniqueWindowDc::Whole(window_);
        dc = own.get();
    }
    RECT rect{};
    if (dc && GetWindowRect(window_, &rect)) {
        windowRect_ = rect;
        windowWidth_ = Width(rect);
        windowHeight_ = Height(rect);
        const int w = windowWidth_, h = windowHeight_;
        try {
            if (WindowState == ewsMinimized) {
                PaintTitle(dc);
            } else {
                PaintBorderPart(bpLeft, dc, RECT{0, 0, FrameLeft, h});
                PaintBorderPart(bpRight, dc, RECT{w - FrameRight, 0, w, h});
                PaintBorderPart(bpBottom, dc, RECT{FrameLeft, h - FrameBottom, w - FrameRight, h});
                PaintTitle(dc);
                const RECT band = MenuBand();
                if (menuBar_) {
                    menuBar_->PaintBar(dc, band);
                } else if (MenuBarHeight > 0) {
                    FillRect(dc, &band, skinData_->Colours.FaceBrush.get());
                }
            }
        } catch (...) {
            // A frame that cannot be painted stays as it was.
        }
    }
    // Caption buttons were painted in their normal frames; the menu entry
    // whose drop-down is open stays the held one.
    if (!(MenuLoopActive() && HotObject && HotObject->IsMenuButton())) HotObject = nullptr;
}

void TWinSkinForm::PaintTitle(HDC dc)
{
    const int w = windowWidth_, h = windowHeight_;
    const bool minimised = WindowState == ewsMinimized;
    const SIZE size{w, minimised ? h : FrameTop};
    if (size.cx <= 0 || size.cy <= 0) return;
    if (!titleBitmap_ || titleSize_.cx < size.cx || titleSize_.cy < size.cy) {
        titleBitmap_ = CreateBitmap32(std::max<int>(size.cx, titleSize_.cx), std::max<int>(size.cy, titleSize_.cy));
        titleSize_ = titleBitmap_ ? BitmapSize(titleBitmap_.get()) : SIZE{0, 0};
    }
    SelectedBitmap title(titleBitmap_.get());
    if (!title.get()) return;
    RECT topRect{};
    if (minimised) {
        const RECT all{0, 0, w, h};
        FillRect(title.get(), &all, skinData_->Colours.FaceBrush.get());
        topRect = RECT{0, 0, w, FrameTop};
    } else {
        // The corners belong to the side borders, which reach up into the
        // title band: they are composed here as they are on the window.
        PaintBorderPart(bpLeft, title.get(), RECT{0, 0, FrameLeft, h});
        PaintBorderPart(bpRight, title.get(), RECT{w - FrameRight, 0, w, h});
        topRect = RECT{FrameLeft, 0, w - FrameRight, FrameTop};
    }
    PaintBorderPart(bpTop, title.get(), topRect);
    PaintCaptionText(title.get(), w);
    LayoutCaptionButtons();
    PaintCaptionButtons(title.get());
    BitBlt(dc, 0, 0, size.cx, size.cy, title.get(), 0, 0, SRCCOPY);
    SetBkMode(dc, OPAQUE);
}

HFONT TWinSkinForm::TitleFont()
{
    // The caption font of the system at the height the skin asks for.
    if (!titleFont_ && skinData_) {
        LOGFONTW font{};
        if (HFONT caption = skinData_->CaptionFont()) GetObjectW(caption, sizeof font, &font);
        if (skinData_->Title && skinData_->Title->FontHeight > 0) font.lfHeight = -skinData_->Title->FontHeight;
        titleFont_.reset(CreateFontIndirectW(&font));
    }
    return titleFont_.get();
}

void TWinSkinForm::PaintCaptionText(HDC dc, int width)
{
    CaptionAnchorLeft = CaptionAnchorRight = 0;
    const TDataSkinTitle* title = skinData_->Title.get();
    if (!title || FrameTop <= 0) return;
    const std::u16string text = ReadWindowText(window_);
    if (text.empty()) return;

    SelectGuard font(dc, TitleFont());
    SetBkMode(dc, TRANSPARENT);

    // The band the text may use: after the text shift, before the right
    // clip; a right-to-left window mirrors the shifts.
    const FrameBox band = CaptionTextBand(title->LeftWidth, title->RightWidth, RightToLeft, width, FrameLeft, FrameRight);
    int left = band.left;
    int right = band.right;
    RECT measured{0, 0, 0, 0};
    DrawTextWide(dc, text, measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int textWidth = Width(measured);
    int x = left;
    const int alignment = RightToLeft && title->TextAlignment == 0 ? 1 : title->TextAlignment;
    if (alignment == 1)
        x = right - textWidth;
    else if (alignment == 2)
        x = left + (right - left - textWidth) / 2;
    x = std::max(x, left);
    CaptionAnchorLeft = x;
    CaptionAnchorRight = std::min(x + textWidth, right);

    // Caption buttons that sit over the text band cut it short.
    LayoutCaptionButtons();
    for (size_t i = 0; i < captionButtons_.size(); ++i) {
        const TWinSysButton& button = *captionButtons_[i];
        if (!button.Visible || button.Description->Visibility == 100 || IsEmptyBitmap(button.Description->Bitmap)) continue;
        const int align = button.Description->Align;
        if (align == 2 || align == 3 || align == 8 || align == 9) continue;  // placed by the text itself
        const RECT& r = button.BoundsRect;
        if (r.left >= x && r.left < right) right = r.left - 2;
        if (r.right <= x + textWidth && r.right > left && r.left < x) left = r.right + 2;
    }
    if (right <= left) return;
    x = std::max(x, left);

    const int top = ClampSkinValue(title->TopHeight);
    const int textHeight = Height(measured);
    RECT box{x, top + (FrameTop - top - textHeight) / 2, right, 0};
    box.bottom = box.top + textHeight;
    if (title->Textbackground != 0 && !IsEmptyBitmap(title->Bitmap)) {
        const RECT back{std::max(box.left - ClampSkinValue(title->TXTBackleft), FrameLeft), 0,
                        std::min(box.left + textWidth + ClampSkinValue(title->TXTBackRight), right), FrameTop};
        DrawElement(dc, back, title->Bitmap.get(), true, false, title->Trans == 1, 2, Active ? 1 : 2,
                    RECT{title->TXTBackleft, 0, title->TXTBackRight, 0});
    }
    SkinColour colour = Active ? title->ActiveText : title->InActiveText;
    if (colour == kNoTitleTextColour) colour = Active ? skinData_->Colours.TitleTextActive : skinData_->Colours.TitleTextNoActive;
    SetTextColor(dc, ResolveColour(colour));
    DrawTextWide(dc, text, box,
                 DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER | (RightToLeft ? DT_RTLREADING : 0));
}

void TWinSkinForm::UpdateRegion()
{
    if (!window_ || !skinData_ || EngineState == esDestroyed || !FrameSkinning) return;
    if (MdiKind == mkChild && WindowState != ewsNormal) return;
    RECT rect{};
    if (!GetWindowRect(window_, &rect)) return;
    const int w = Width(rect), h = Height(rect);
    if (w <= 0 || h <= 0) return;
    if (w == regionWidth_ && h == regionHeight_ && MdiKind != mkChild && EngineState != esRefreshing) return;
    windowWidth_ = w;
    windowHeight_ = h;

    const TDataSkinBorder* borders[4] = {skinData_->BorderLeft.get(), skinData_->BorderRight.get(),
                                         skinData_->BorderTop.get(), skinData_->BorderBottom.get()};
    const bool anyTransparent =
        std::any_of(std::begin(borders), std::end(borders), [](const TDataSkinBorder* b) { return b && b->Trans != 0; });
    UniqueRegion region;
    if (anyTransparent) {
        region.reset(CreateRectRgn(FrameLeft, FrameTop, w - FrameRight, h - FrameBottom));
        if (FrameKind != fkNoCaption) {
            // One region per border part: the part's own pixels when it is
            // transparent and tall enough, else its plain rectangle.
            struct Part {
                TBorderPart part;
                RECT rect;
                bool keyed;
            };
            const Part parts[4] = {
                {bpLeft, RECT{0, 0, FrameLeft, h}, borders[0] && borders[0]->Trans == 1 && h >= 2},
                {bpRight, RECT{w - FrameRight, 0, w, h}, borders[1] && borders[1]->Trans == 1 && h >= 2},
                {bpTop, RECT{FrameLeft, 0, w - FrameRight, FrameTop}, borders[2] && borders[2]->Trans == 1 && FrameTop >= 2},
                {bpBottom, RECT{FrameLeft, h - FrameBottom, w - FrameRight, h},
                 borders[3] && borders[3]->Trans == 1 && FrameBottom >= 2},
            };
            UniqueRegion pieces[4];
            for (int i = 0; i < 4; ++i) {
                const RECT& r = parts[i].rect;
                if (parts[i].keyed && Width(r) > 0 && Height(r) > 0) {
                    UniqueBitmap picture = CreateBitmap32(Width(r), Height(r));
                    {
                        SelectedBitmap target(picture.get());
                        if (target.get()) PaintBorderPart(parts[i].part, target.get(), RECT{0, 0, Width(r), Height(r)});
                    }
                    pieces[i] = RegionFromBitmap(picture.get(), r.left, r.top, 1, 1, 1, kKeyColour);
                } else {
                    pieces[i].reset(CreateRectRgn(r.left, r.top, std::max(r.left, r.right), std::max(r.top, r.bottom)));
                }
            }
            CombineRgn(pieces[0].get(), pieces[0].get(), pieces[1].get(), RGN_OR);
            CombineRgn(pieces[2].get(), pieces[2].get(), pieces[3].get(), RGN_OR);
            CombineRgn(pieces[2].get(), pieces[2].get(), pieces[0].get(), RGN_OR);
            CombineRgn(region.get(), region.get(), pieces[2].get(), RGN_OR);
        }
    } else {
        region.reset(CreateRectRgn(0, 0, w, h));
    }
    regionWidth_ = w;
    regionHeight_ = h;
    // Once set, the region belongs to the window (the system frees it).
    HRGN given = region.release();
    if (!SetWindowRgn(window_, given, TRUE)) DeleteObject(given);
}

void TWinSkinForm::DropRegion()
{
    regionWidth_ = regionHeight_ = -1;
    if (window_) SetWindowRgn(window_, nullptr, MdiKind == mkChild);
}

}  // namespace quorvane
