#include "skin/data/skin_content.h"

#include <algorithm>

#include "skin/data/bitmap_utils.h"
#include "skin/data/quick_ini.h"
#include "skin/data/text_lines.h"
#include "skin/form/paint_routines.h"

namespace quorvane {

namespace {

void CapMargins(TDataSkinObject& element, int32_t cap)
{
    element.LeftWidth = std::min(element.LeftWidth, cap);
    element.TopHeight = std::min(element.TopHeight, cap);
    element.RightWidth = std::min(element.RightWidth, cap);
    element.BottomHeight = std::min(element.BottomHeight, cap);
}

// Frees the slot before its loader runs (the old description goes first),
// so a section missing from this skin leaves the slot empty.
template <class T, class Load>
void Refill(std::unique_ptr<T>& slot, Load load)
{
    slot.reset();
    slot = load();
}

void SetFrame(TDataSkinObject* element, int32_t frames)
{
    if (element) element->Frame = frames;
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
    ElementSource source(ini, reader);
    const std::vector<std::string> sections = source.SectionNames();
    SkinName = source.ReadString("TitlebarSkin", "SkinName");

    for (TDataSkinBorder* border : {BorderLeft.get(), BorderRight.get(), BorderTop.get(), BorderBottom.get()})
        LoadWindowBorder(source, *border);

    LoadColours(source, sections);
    source.buttonText = Colours.ButtonText;

    SysButtons.clear();
    SysButtons = LoadSysButtons(source, sections);

    LoadButtons(source, *Buttons);
    LoadTitle(source, *Title);

    Refill(Progress, [&] { return LoadProgress(source); });
    Refill(ProgressChunk, [&] { return LoadGenericElement(source, "Progress.Chunk"); });
    Refill(MenuBar, [&] { return LoadMenuBar(source); });
    Refill(GroupBoxEdge, [&] { return LoadGenericElement(source, "GroupBoxEdge"); });
    Refill(GroupBox, [&] { return LoadGroupBox(source); });
    Refill(Tabs, [&] { return LoadBorderElement(source, "Tabs", "Border"); });
    Refill(StatusBarEdges, [&] { return LoadGenericElement(source, "StatusBarEdges"); });
    Refill(TabPane, [&] { return LoadGenericElement(source, "Tab.Pane"); });
    if (TabPane) CapMargins(*TabPane, 4);
    Refill(ToolBars, [&] { return LoadGenericElement(source, "ToolBars"); });
    // No skin has a second ComboButton image ("****"): the mirror is made below.
    Refill(ComboButton, [&] { return LoadBorderElement(source, "ComboButton", "****"); });
    Refill(SunkEdge, [&] { return LoadGenericElement(source, "SunkEdge"); });
    if (ComboButton && !IsEmptyBitmap(ComboButton->Bitmap)) {
        ComboButton->Bitmap2 = CopyBitmap24(ComboButton->Bitmap.get());
        MirrorHorizontal(ComboButton->Bitmap2);
    }
    Refill(ExtraImages, [&] { return LoadGenericElement(source, "ExtraImages"); });
    Refill(Headerbar, [&] { return LoadGenericElement(source, "Headerbar"); });
    Refill(MenuItem, [&] { return LoadGenericElement(source, "MenuItem"); });
    Refill(MenuBackground, [&] { return LoadGenericElement(source, "MenuBackground"); });
    Refill(Scrollbar, [&] { return LoadGenericElement(source, "Scrollbar"); });
    Refill(HorzScroll, [&] { return LoadGenericElement(source, "HorzScroll"); });
    Refill(VertScroll, [&] { return LoadGenericElement(source, "VertScroll"); });
    Refill(HorzScrollThumb, [&] { return LoadGenericElement(source, "HorzScrollThumb"); });
    Refill(VertScrollThumb, [&] { return LoadGenericElement(source, "VertScrollThumb"); });
    Refill(TrackbarThumbHorz, [&] { return LoadGenericElement(source, "Trackbar.ThumbHorz"); });
    Refill(TrackbarThumbVert, [&] { return LoadGenericElement(source, "Trackbar.ThumbVert"); });
    Refill(TrackbarThumbLeft, [&] { return LoadGenericElement(source, "Trackbar.ThumbLeft"); });
    Refill(TrackbarThumbRight, [&] { return LoadGenericElement(source, "Trackbar.ThumbRight"); });
    Refill(TrackbarThumbUp, [&] { return LoadGenericElement(source, "Trackbar.ThumbUp"); });
    Refill(TrackbarThumbDown, [&] { return LoadGenericElement(source, "Trackbar.ThumbDown"); });
    Refill(UpDownHorz, [&] { return LoadBorderElement(source, "UpDown.Horz", "GlyphImage"); });
    Refill(UpDownVert, [&] { return LoadBorderElement(source, "UpDown.Vert", "GlyphImage"); });
    Refill(Track, [&] { return LoadGenericElement(source, "Track"); });
    if (!Track) Track = MakeBuiltInTrack(false);
    Refill(TrackVert, [&] { return LoadGenericElement(source, "TRACKVERT"); });
    if (!TrackVert) TrackVert = MakeBuiltInTrack(true);

    ApplyFrameCounts(source);
    BuildComboComposite();
    BuildComboArrow();
    BuildToolbarGradient();

    Colours.TitleColour = SampleTitleColour();
    Colours.FaceBrush.reset();
    Colours.FaceBrush.reset(CreateSolidBrush(ResolveColour(Colours.ButtonFace)));
}

void SkinContent::LoadColours(ElementSource& source, const std::vector<std::string>& sections)
{
    const std::string section = "Colours";
    auto read = [&](const char* key, SkinColour defaultColour) {
        return ParseColour(source.ReadString(section, key), defaultColour);
    };
    TSkinColours& c = Colours;
    c.WindowText = read("WindowText", kSysWindowText);
    c.TitleTextActive = read("TitleTextActive", kSysCaptionText);
    c.TitleTextNoActive = read("TitleTextNoActive", kSysInactiveCaptionText);
    c.ButtonFace = read("ButtonFace", kSysButtonFace);
    c.ButtonText = read("ButtonText", kSysButtonText);
    c.ButtonHilight = read("ButtonHilight", kSysButtonHighlight);
    c.Buttonlight = read("Buttonlight", kSysButtonHighlight);
    c.ButtonShadow = read("ButtonShadow", kSysButtonShadow);
    c.ButtonDkShadow = read("ButtonDkShadow", kSys3dDarkShadow);
    c.HilightText = read("HilightText", kSysHighlightText);
    c.Hilight = read("Hilight", kSysHighlight);
    c.Menubar = read("Menubar", c.ButtonFace);
    c.MenuBarText = read("MenuBarText", kSysMenuText);
    c.MenuText = read("MenuText", kSysMenuText);
    c.Menu = read("Menu", kSysMenu);
    c.Scrollbar = read("Scrollbar", kSysScrollbar);

    c.ColourSections.clear();
    for (const std::string& name : sections) {
        const std::string upper = AsciiUpper(name);
        if (upper.rfind("COLOUR", 0) == 0 && upper != "COLOURS")
            c.ColourSections.push_back(ParseColour(source.ReadString(name, "color"), kSysWindowText));
    }
    for (int i = 0; i < 10; ++i)
        c.CustomColors[static_cast<size_t>(i)] =
            ParseColour(source.ReadString("Customcolors", "Color" + std::to_string(i)), 0xFFFFFF);
}

void SkinContent::ApplyFrameCounts(ElementSource& source)
{
    Buttons->Frame = 5;
    if (Buttons->RadioButtonFrame == 0) Buttons->RadioButtonFrame = CheckStripFrames(Buttons->RadioButton.get());
    if (Buttons->CheckButtonFrame == 0) Buttons->CheckButtonFrame = CheckStripFrames(Buttons->CheckButton.get());
    Title->Frame = 2;
    if (Progress) Progress->Frame = Progress->Style != 0 ? 1 : 2;
    SetFrame(MenuBar.get(), 2);
    SetFrame(GroupBoxEdge.get(), 2);
    SetFrame(Toolbar.get(), 1);
    SetFrame(TabPane.get(), 1);
    SetFrame(GroupBox.get(), 1);
    SetFrame(MenuBackground.get(), 1);
    for (TDataSkinObject* five : {ToolBars.get(), static_cast<TDataSkinObject*>(Tabs.get()), ExtraImages.get(),
                                  MenuItem.get(), TrackbarThumbHorz.get(), TrackbarThumbVert.get(),
                                  TrackbarThumbLeft.get(), TrackbarThumbRight.get(), TrackbarThumbUp.get(),
                                  TrackbarThumbDown.get()})
        SetFrame(five, 5);
    if (Headerbar && Headerbar->Frame == 0) Headerbar->Frame = 5;
    SetFrame(StatusBarEdges.get(), 3);
    for (TDataSkinObject* four : {static_cast<TDataSkinObject*>(ComboButton.get()), SunkEdge.get(),
                                  HorzScroll.get(), VertScroll.get()})
        SetFrame(four, 4);
    SetFrame(Scrollbar.get(), 23);
    SetFrame(UpDownHorz.get(), 8);
    SetFrame(UpDownVert.get(), 8);
    if (HorzScrollThumb) HorzScrollThumb->Frame = source.ReadInteger("HorzScrollThumb", "FrameCount", 3);
    if (VertScrollThumb) VertScrollThumb->Frame = source.ReadInteger("VertScrollThumb", "FrameCount", 3);
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
