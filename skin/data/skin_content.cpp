#include "skin/data/skin_content.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>

#include "skin/data/bitmap_utils.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

UniqueBitmap MakeBitmap(const SkinImage& image) { return image ? BitmapFromPixels(*image) : UniqueBitmap(); }

// The fields and bitmaps of a description, into an element that already exists.
void Fill(TDataSkinObject& element, const ElementDescription& description)
{
    static_cast<ElementFields&>(element) = description;
    element.Bitmap = MakeBitmap(description.Bitmap);
    if (auto* border = dynamic_cast<TDataSkinBorder*>(&element)) border->Bitmap2 = MakeBitmap(description.Bitmap2);
}

// Replaces a slot: the old element is freed first, and the slot stays empty
// when the skin's section names no image.
template <class Element, class Description>
void Replace(std::unique_ptr<Element>& slot, const std::optional<Description>& description)
{
    slot.reset();
    if (!description) return;
    slot = std::make_unique<Element>(description->Name);
    Fill(*slot, *description);
    if constexpr (std::is_same_v<Element, TDataSkinBoxLabel>)
        static_cast<BoxLabelFields&>(*slot) = *description;
}

// The button strip for right-to-left combo boxes: each frame mirrored in
// its own place, so that frame n still shows state n (mirroring the whole
// strip would also reverse the order of the frames).
UniqueBitmap MirroredFrames(HBITMAP strip, int frames)
{
    PixelBuffer pixels = ReadPixels(strip);
    const int width = frames > 0 ? pixels.width / frames : 0;
    if (width <= 0) return BitmapFromPixels(pixels);
    for (int y = 0; y < pixels.height; ++y)
        for (int frame = 0; frame < frames; ++frame) {
            auto first = pixels.pixels.begin() + static_cast<ptrdiff_t>(y) * pixels.width + frame * width;
            std::reverse(first, first + width);
        }
    return BitmapFromPixels(pixels);
}

}  // namespace

SkinContent::SkinContent()
    : BorderLeft(std::make_unique<TDataSkinBorder>("Left")),
      BorderRight(std::make_unique<TDataSkinBorder>("Right")),
      BorderTop(std::make_unique<TDataSkinBorder>("Top")),
      BorderBottom(std::make_unique<TDataSkinBorder>("Bottom")),
      Title(std::make_unique<TDataSkinTitle>("Title")),
      Buttons(std::make_unique<TDataSkinButton>("Buttons"))
{
}

SkinContent::~SkinContent() = default;

void SkinContent::LoadElements(const TQuickIni& ini, const TSkinReader* reader)
{
    // Everything is read and every picture decoded before any slot changes,
    // so a package beyond the limits leaves the loaded skin as it was.
    SkinDescription description;
    std::string reason;
    if (!DescribeSkin(ini, reader, limits_, description, reason)) {
        lastLoadError_ = "skin not loaded: " + reason;
        if (reportRefusals_) std::fprintf(stderr, "quorvane: %s\n", lastLoadError_.c_str());
        throw SkinLoadRefused(lastLoadError_);
    }
    lastLoadError_.clear();
    ElementsAboutToChange();
    BuildElements(description);
}

void SkinContent::BuildElements(const SkinDescription& d)
{
    SkinName = d.SkinName;
    Fill(*BorderLeft, d.BorderLeft);
    Fill(*BorderRight, d.BorderRight);
    Fill(*BorderTop, d.BorderTop);
    Fill(*BorderBottom, d.BorderBottom);
    static_cast<SkinColourValues&>(Colours) = d.Colours;

    SysButtons.clear();
    SysButtons.reserve(d.SysButtons.size());
    for (const SysButtonDescription& description : d.SysButtons) {
        auto button = std::make_unique<TDataSkinSysButton>(description.Name);
        Fill(*button, description);
        static_cast<SysButtonFields&>(*button) = description;
        SysButtons.push_back(std::move(button));
    }

    Fill(*Buttons, d.Buttons);
    static_cast<ButtonFields&>(*Buttons) = d.Buttons;
    Buttons->CheckButton = MakeBitmap(d.Buttons.CheckButton);
    Buttons->RadioButton = MakeBitmap(d.Buttons.RadioButton);
    Fill(*Title, d.Title);
    static_cast<TitleFields&>(*Title) = d.Title;

    Replace(Progress, d.Progress);
    Replace(ProgressChunk, d.ProgressChunk);
    Replace(MenuBar, d.MenuBar);
    Replace(GroupBoxEdge, d.GroupBoxEdge);
    Replace(GroupBox, d.GroupBox);
    Replace(Tabs, d.Tabs);
    Replace(StatusBarEdges, d.StatusBarEdges);
    Replace(TabPane, d.TabPane);
    Replace(ToolBars, d.ToolBars);
    Replace(ComboButton, d.ComboButton);
    Replace(SunkEdge, d.SunkEdge);
    if (ComboButton && !IsEmptyBitmap(ComboButton->Bitmap))
        ComboButton->Bitmap2 = MirroredFrames(ComboButton->Bitmap.get(), ComboButton->Frame);
    Replace(ExtraImages, d.ExtraImages);
    Replace(Headerbar, d.Headerbar);
    Replace(MenuItem, d.MenuItem);
    Replace(MenuBackground, d.MenuBackground);
    Replace(Scrollbar, d.Scrollbar);
    Replace(HorzScroll, d.HorzScroll);
    Replace(VertScroll, d.VertScroll);
    Replace(HorzScrollThumb, d.HorzScrollThumb);
    Replace(VertScrollThumb, d.VertScrollThumb);
    Replace(TrackbarThumbHorz, d.TrackbarThumbHorz);
    Replace(TrackbarThumbVert, d.TrackbarThumbVert);
    Replace(TrackbarThumbLeft, d.TrackbarThumbLeft);
    Replace(TrackbarThumbRight, d.TrackbarThumbRight);
    Replace(TrackbarThumbUp, d.TrackbarThumbUp);
    Replace(TrackbarThumbDown, d.TrackbarThumbDown);
    Replace(UpDownHorz, d.UpDownHorz);
    Replace(UpDownVert, d.UpDownVert);
    Replace(Track, d.Track);
    if (!Track) Track = MakeBuiltInTrack(false);
    Replace(TrackVert, d.TrackVert);
    if (!TrackVert) TrackVert = MakeBuiltInTrack(true);

    BuildComboComposite();
    BuildComboArrow();
    BuildToolbarGradient();

    Colours.TitleColour = SampleTitleColour();
    Colours.FaceBrush.reset();
    Colours.FaceBrush.reset(CreateSolidBrush(ResolveColour(Colours.ButtonFace)));
    Colours.WindowBrush.reset();
    Colours.WindowBrush.reset(CreateSolidBrush(ResolveColour(Colours.Window)));
}

bool TSkinColours::SystemColour(int index, COLORREF& colour) const
{
    if (index == COLOR_GRAYTEXT) {
        if (IsSystemColour(ButtonText) && IsSystemColour(ButtonFace)) return false;
        colour = Blend(ButtonText, ButtonFace, 60);
        return true;
    }
    const std::optional<SkinColour> member = SkinColourForSystemIndex(*this, index);
    if (!member) return false;
    colour = ResolveColour(*member);
    return true;
}

// The combo box picture: each SunkEdge frame with the ComboButton frame (and
// the ExtraImages glyph) at its right end and a magenta (transparent) text
// area, 50 x 21 per frame. ComboButton gets this strip; SunkEdge its mirror
// image for right-to-left combo boxes.
void SkinContent::BuildComboComposite()
{
    if (!SunkEdge || !ComboButton) return;
    constexpr int kWidth = 50, kHeight = 21;
    const int a = GetSystemMetrics(SM_CXHSCROLL) + 2;
    const int n = SunkEdge->Frame;
    UniqueBitmap strip = CreateBitmap24(kWidth * n, kHeight);
    UniqueBitmap work = CreateBitmap24(kWidth, kHeight);
    if (!strip || !work) return;
    UniqueBrush magenta(CreateSolidBrush(kMagenta));
    UniqueMemoryDc stripDc = UniqueMemoryDc::Compatible(), workDc = UniqueMemoryDc::Compatible();
    {
        SelectGuard selectStrip(stripDc.get(), strip.get()), selectWork(workDc.get(), work.get());
        const RECT whole{0, 0, kWidth * n, kHeight};
        FillRect(stripDc.get(), &whole, magenta.get());
        const RECT frameRect{0, 0, kWidth, kHeight};
        const RECT buttonRect{kWidth - a, 0, kWidth, kHeight};
        const RECT textRect{2, 2, kWidth - 1 - a, 18};
        for (int b = 1; b <= n; ++b) {
            // Start every frame from magenta: a transparent SunkEdge must not
            // show the previous frame through.
            FillRect(workDc.get(), &frameRect, magenta.get());
            DrawElement(workDc.get(), frameRect, SunkEdge->Bitmap.get(), false, false, SunkEdge->Trans != 0,
                        n, b, SunkEdge->Margins());
            DrawElement(workDc.get(), buttonRect, ComboButton->Bitmap.get(), false, false, true,
                        ComboButton->Frame, b, ComboButton->Margins());
            if (ExtraImages)
                DrawStripFrameCentred(workDc.get(), buttonRect, ExtraImages->Bitmap.get(), true,
                                      ExtraImages->Frame, b);
            FillRect(workDc.get(), &textRect, magenta.get());
            BitBlt(stripDc.get(), kWidth * (b - 1), 0, kWidth, kHeight, workDc.get(), 0, 0, SRCCOPY);
        }
    }

    ComboButton->Style = 2;
    ComboButton->LeftWidth = 2;
    ComboButton->TopHeight = SunkEdge->TopHeight;
    ComboButton->RightWidth = a + 2;
    ComboButton->BottomHeight = SunkEdge->BottomHeight;
    ComboButton->Bitmap = CopyBitmap24(strip.get());

    MirrorHorizontal(strip);
    SunkEdge->Bitmap = std::move(strip);
    SunkEdge->LeftWidth = a + 2;
    SunkEdge->RightWidth = 2;
}

SkinContent::MirroredComboButton SkinContent::RightToLeftComboButton() const
{
    MirroredComboButton look;
    if (!ComboButton) return look;
    if (ComboButton->Style == 2) {
        if (!SunkEdge || IsEmptyBitmap(SunkEdge->Bitmap)) return look;
        look.element = SunkEdge.get();
        look.picture = SunkEdge->Bitmap.get();
        look.frames = std::max(SunkEdge->Frame, 1);
        look.whole = true;
        look.reversed = true;
        return look;
    }
    // The framed look (Style 1) draws its button unmirrored.
    if (ComboButton->Style == 1 || IsEmptyBitmap(ComboButton->Bitmap2)) return look;
    look.element = ComboButton.get();
    look.picture = ComboButton->Bitmap2.get();
    look.frames = std::max(ComboButton->Frame, 1);
    return look;
}

// The drop-down arrow alone, for combo boxes drawn without SunkEdge.
void SkinContent::BuildComboArrow()
{
    if (!ComboxArrow) ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    if (!ComboButton) return;
    if (!SunkEdge) {
        ComboxArrow->Bitmap = CopyBitmap24(ComboButton->Bitmap.get());
        // The face colour is resolved here: an unresolved system colour would
        // paint its index byte as red.
        if (ComboxArrow->Bitmap) ReplaceMagenta(ComboxArrow->Bitmap, ResolveColour(Colours.ButtonFace));
        ComboxArrow->Frame = ComboButton->Frame;
    } else if (ComboButton->Style == 2) {
        const int n = SunkEdge->Frame;
        if (n <= 0) return;
        const int fw = BitmapSize(ComboButton->Bitmap.get()).cx / n;
        UniqueBitmap arrows = CreateBitmap24(17 * n, 17);
        if (!arrows) return;
        UniqueMemoryDc from = UniqueMemoryDc::Compatible(), to = UniqueMemoryDc::Compatible();
        {
            SelectGuard a(from.get(), ComboButton->Bitmap.get()), b(to.get(), arrows.get());
            for (int i = 0; i < n; ++i)
                BitBlt(to.get(), 17 * i, 0, 17, 17, from.get(), fw * (i + 1) - 19, 2, SRCCOPY);
        }
        ComboxArrow->Bitmap = std::move(arrows);
        ComboxArrow->Frame = n;
    }
}

void SkinContent::BuildToolbarGradient()
{
    if (!Toolbar) Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
    Toolbar->Frame = 1;
    // The sample is resolved first so that a system colour is measured by its
    // real components, not by its index byte.
    const COLORREF c = ResolveColour(SampleTitleColour());
    const COLORREF white = 0xFFFFFF;
    COLORREF bottom = Blend(0x808080, c, 150);
    const COLORREF top = Blend(Colours.ButtonFace, white, 150);
    const int s = SaturationMeasure(c);
    if (s > 110) bottom = Blend(c, white, (225 - s) * 25 / 140 + 50);

    UniqueBitmap gradient = CreateBitmap24(10, 40);
    if (!gradient) return;
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    {
        SelectGuard select(dc.get(), gradient.get());
        GradientFill(dc.get(), RECT{0, 0, 10, 40}, top, GradientDirection::Rows, bottom);
    }
    Toolbar->Bitmap = std::move(gradient);
}

SkinColour SkinContent::SampleTitleColour() const
{
    const SIZE size = BitmapSize(BorderTop->Bitmap.get());
    if (size.cx <= 0 || size.cy <= 0) return Colours.ButtonFace;
    // A Frame of 0 (or less) samples as if the border had one frame.
    const int frames = BorderTop->Frame > 0 ? BorderTop->Frame : 1;
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    SelectGuard select(dc.get(), BorderTop->Bitmap.get());
    const COLORREF pixel = GetPixel(dc.get(), size.cx / 3, (size.cy / frames) / 3);
    return pixel == CLR_INVALID ? Colours.ButtonFace : pixel;
}

}  // namespace quorvane
