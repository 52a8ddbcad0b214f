// The first stage of loading a skin: everything its description and package
// say, read into plain values and decoded pictures, before any element or
// GDI object is made. It is portable C++ (the fuzzers run it natively) and
// it enforces the load limits: a package that exceeds them is refused here,
// so that a refused load changes nothing. SkinContent::LoadElements turns a
// description into element slots and bitmaps (skin_content.h).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/data/bmp_decoder.h"

namespace quorvane {

class TQuickIni;
class TSkinReader;

// Colour values of the skin: 0x00BBGGRR, or 0x80000000 + a system colour index.
using SkinColour = uint32_t;
constexpr SkinColour kMagenta = 0xFF00FF;
// TDataSkinTitle's ActiveText / InActiveText when the skin gives none.
constexpr SkinColour kNoTitleTextColour = 0x1FFFFFFF;

// System colour values (0x80000000 + COLOR_* index), the colour table's defaults.
constexpr SkinColour kSysScrollbar = 0x80000000;
constexpr SkinColour kSysMenu = 0x80000004;
constexpr SkinColour kSysWindow = 0x80000005;
constexpr SkinColour kSysMenuText = 0x80000007;
constexpr SkinColour kSysWindowText = 0x80000008;
constexpr SkinColour kSysCaptionText = 0x80000009;
constexpr SkinColour kSysHighlight = 0x8000000D;
constexpr SkinColour kSysHighlightText = 0x8000000E;
constexpr SkinColour kSysButtonFace = 0x8000000F;
constexpr SkinColour kSysButtonShadow = 0x80000010;
constexpr SkinColour kSysButtonText = 0x80000012;
constexpr SkinColour kSysInactiveCaptionText = 0x80000013;
constexpr SkinColour kSysButtonHighlight = 0x80000014;
constexpr SkinColour kSys3dDarkShadow = 0x80000015;

// ParseColour: red, green and blue as up to three numbers separated by any
// non-digits ("255,128,0", "255 128 0"); an empty text gives defaultColour.
// One number alone gives black; two numbers with nothing after the second
// give only the red component. Each component is taken modulo 256.
SkinColour ParseColour(const std::string& text, SkinColour defaultColour);

// What a section says about an element besides its pictures. The element
// classes (skin_elements.h) carry these fields; painters read them directly.
struct ElementFields {
    int32_t LeftWidth = 0;
    int32_t TopHeight = 0;
    int32_t RightWidth = 0;
    int32_t BottomHeight = 0;
    int32_t Trans = 0;  // 1: magenta pixels are transparent
    int32_t Tile = 0;   // 1: tile the stretchable parts; borders: 1 = stretch
    std::string Name;
    int32_t Frame = 0;
    int32_t Style = 0;
    int32_t NormalColour = -1, MouseOverColour = -1, PressedColour = -1;  // -1: not given
    SkinColour NormalColour2 = 0, MouseOverColour2 = 0, PressedColour2 = 0;
};

struct TitleFields {
    int32_t TextAlignment = 0;
    int32_t Textbackground = 0;
    int32_t FontHeight = 14;
    int32_t TXTBackleft = 0;
    int32_t TXTBackRight = 0;
    SkinColour ActiveText = kNoTitleTextColour;
    SkinColour InActiveText = kNoTitleTextColour;
};

struct ButtonFields {
    int32_t RadioButtonFrame = 0;
    int32_t CheckButtonFrame = 0;
    // Whether the skin gave NormalColour2, MouseOverColour2, PressedColour2.
    bool HasNormalColour2 = false;
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

struct SysButtonFields {
    int32_t Action = 0;
    int32_t Align = 0;
    int32_t Xcoord = 0;
    int32_t Ycoord = 0;
    int32_t CombineOp = -1;
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

struct BoxLabelFields {
    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

// The colour table (section Colours and the COLOUR* / Customcolors sections).
struct SkinColourValues {
    SkinColour WindowText = kSysWindowText;
    SkinColour TitleTextActive = kSysCaptionText;
    SkinColour TitleTextNoActive = kSysInactiveCaptionText;
    SkinColour ButtonFace = kSysButtonFace;
    SkinColour ButtonText = kSysButtonText;
    SkinColour ButtonHilight = kSysButtonHighlight;
    SkinColour Buttonlight = kSysButtonHighlight;
    SkinColour ButtonShadow = kSysButtonShadow;
    SkinColour ButtonDkShadow = kSys3dDarkShadow;
    SkinColour HilightText = kSysHighlightText;
    SkinColour Hilight = kSysHighlight;
    SkinColour Menubar = kSysButtonFace;
    SkinColour MenuBarText = kSysMenuText;
    SkinColour MenuText = kSysMenuText;
    SkinColour Menu = kSysMenu;
    SkinColour Scrollbar = kSysScrollbar;
    // Background of edits, lists, trees, grids and the other text fields.
    SkinColour Window = kSysWindow;
    // One colour per section named COLOUR* (but not COLOURS), in section order.
    std::vector<SkinColour> ColourSections;
    // Customcolors: Color0 .. Color9.
    std::array<SkinColour, 10> CustomColors{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                            0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
};

// The colour-table member that stands for the platform's colour `index`
// (a COLOR_* number) while a window is skinned; nullopt for an index the
// table has no member for. Every member's default is the platform colour of
// the same index, so a skin that sets no colour answers what the platform
// would. The answer may itself be a system colour value.
std::optional<SkinColour> SkinColourForSystemIndex(const SkinColourValues& colours, int index);

// A decoded picture of the package; every element naming the same member
// shares it. Null: no picture (not named, not in the package, not a BMP).
using SkinImage = std::shared_ptr<const PixelBuffer>;

struct ElementDescription : ElementFields {
    SkinImage Bitmap;
    SkinImage Bitmap2;
};
struct TitleDescription : ElementDescription, TitleFields {};
struct ButtonsDescription : ElementDescription, ButtonFields {
    SkinImage CheckButton;
    SkinImage RadioButton;
};
struct SysButtonDescription : ElementDescription, SysButtonFields {};
struct BoxLabelDescription : ElementDescription, BoxLabelFields {};

// What one load may make the loader allocate. Beyond any of these the load
// is refused as a whole.
struct SkinLimits {
    // Width and height of one picture, and its pixels.
    int32_t bitmapSide = 32768;
    int64_t bitmapPixels = int64_t{16} << 20;
    // Pixels of every bitmap the load creates (a picture named by several
    // elements counts once per element: each gets its own bitmap).
    int64_t totalPixels = int64_t{32} << 20;
    // Bitmaps the load creates (GDI objects).
    int32_t bitmaps = 1024;
    // Caption buttons (BUTTON* sections kept as caption buttons).
    int32_t captionButtons = 256;
};

// Everything a load reads. Optional slots are empty when the skin's section
// names no image; the persistent elements (borders, Title, Buttons) always
// have a description. Frame counts, the Tab.Pane cap and the MDI button
// pictures are already applied.
struct SkinDescription {
    std::string SkinName;
    SkinColourValues Colours;
    ElementDescription BorderLeft, BorderRight, BorderTop, BorderBottom;
    TitleDescription Title;
    ButtonsDescription Buttons;
    // The caption buttons, then the three MDI child buttons.
    std::vector<SysButtonDescription> SysButtons;

    std::optional<ElementDescription> Progress, ProgressChunk, MenuBar, GroupBoxEdge, Tabs, StatusBarEdges,
        TabPane, ToolBars, ComboButton, SunkEdge, ExtraImages, Headerbar, MenuItem, MenuBackground, Scrollbar,
        HorzScroll, VertScroll, HorzScrollThumb, VertScrollThumb, TrackbarThumbHorz, TrackbarThumbVert,
        TrackbarThumbLeft, TrackbarThumbRight, TrackbarThumbUp, TrackbarThumbDown, UpDownHorz, UpDownVert,
        Track, TrackVert;
    std::optional<BoxLabelDescription> GroupBox;

    // What realising this description will create (checked against the limits).
    int64_t pixels = 0;
    int32_t bitmaps = 0;
};

// Reads the description and the package's pictures (reader may be null:
// every picture is then empty). False, with a reason for the user, when the
// skin exceeds the limits; description is then incomplete and must not be used.
bool DescribeSkin(const TQuickIni& ini, const TSkinReader* reader, const SkinLimits& limits,
                  SkinDescription& description, std::string& reason);

// Frames of a check or radio strip: its width / 13 when it is less than 16
// pixels high, else / 16, at least 4.
int32_t CheckStripFrames(int width, int height);

}  // namespace quorvane
