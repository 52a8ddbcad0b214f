// What a loaded skin consists of: the element slots, the caption buttons and
// the colour table, and LoadElements, which fills them from a skin
// description and its package. TSkinData carries one SkinContent; the form
// engines and control skinners read the slots and Colours directly.
#pragma once
#include <windows.h>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/gdi_handles.h"
#include "skin/data/skin_elements.h"

namespace quorvane {

class TQuickIni;
class TSkinReader;

// System colour values (0x80000000 + COLOR_* index), the colour table's defaults.
constexpr SkinColour kSysScrollbar = 0x80000000;
constexpr SkinColour kSysMenu = 0x80000004;
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

// The skin colour table (section Colours and the COLOUR*/Customcolors sections).
struct TSkinColours {
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
    // The top border's colour a third of the way in, or ButtonFace.
    SkinColour TitleColour = kSysButtonFace;
    // One colour per section named COLOUR* (but not COLOURS), in section order.
    std::vector<SkinColour> ColourSections;
    // Customcolors: Color0 .. Color9.
    std::array<SkinColour, 10> CustomColors{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                            0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    // A solid brush of ButtonFace, replaced at the end of every load.
    UniqueBrush FaceBrush;
};

class SkinContent {
public:
    SkinContent();
    SkinContent(const SkinContent&) = delete;
    SkinContent& operator=(const SkinContent&) = delete;
    virtual ~SkinContent();

    // Fills every slot from the description and the package's bitmaps
    // (reader may be null: every bitmap is then empty). Never throws for
    // missing sections, keys or images: those give defaults and empty slots.
    void LoadElements(const TQuickIni& ini, const TSkinReader* reader);

    // The title colour sample: the top border's pixel at (width / 3,
    // frame height / 3), or ButtonFace when the border has no bitmap.
    SkinColour SampleTitleColour() const;

    // Present for the component's whole life, refilled by every load.
    std::unique_ptr<TDataSkinBorder> BorderLeft, BorderRight, BorderTop, BorderBottom;
    std::unique_ptr<TDataSkinTitle> Title;
    std::unique_ptr<TDataSkinButton> Buttons;
    // Created by the first load, refilled by later ones.
    std::unique_ptr<TDataSkinObject> ComboxArrow;
    std::unique_ptr<TDataSkinObject> Toolbar;

    // Empty (null) when the skin's section names no image.
    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> ProgressChunk;
    std::unique_ptr<TDataSkinObject> MenuBar;
    std::unique_ptr<TDataSkinObject> GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBarEdges;
    std::unique_ptr<TDataSkinObject> TabPane;
    std::unique_ptr<TDataSkinObject> ToolBars;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge;
    std::unique_ptr<TDataSkinObject> ExtraImages;
    std::unique_ptr<TDataSkinObject> Headerbar;
    std::unique_ptr<TDataSkinObject> MenuItem;
    std::unique_ptr<TDataSkinObject> MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar;
    std::unique_ptr<TDataSkinObject> HorzScroll;
    std::unique_ptr<TDataSkinObject> VertScroll;
    std::unique_ptr<TDataSkinObject> HorzScrollThumb;
    std::unique_ptr<TDataSkinObject> VertScrollThumb;
    std::unique_ptr<TDataSkinObject> TrackbarThumbHorz;
    std::unique_ptr<TDataSkinObject> TrackbarThumbVert;
    std::unique_ptr<TDataSkinObject> TrackbarThumbLeft;
    std::unique_ptr<TDataSkinObject> TrackbarThumbRight;
    std::unique_ptr<TDataSkinObject> TrackbarThumbUp;
    std::unique_ptr<TDataSkinObject> TrackbarThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz;
    std::unique_ptr<TDataSkinBorder> UpDownVert;
    // Always set after a load: the skin's groove or the built-in one.
    std::unique_ptr<TDataSkinObject> Track;
    std::unique_ptr<TDataSkinObject> TrackVert;

    // The caption buttons of the skin, then the three MDI child buttons.
    std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtons;

    TSkinColours Colours;
    std::string SkinName;  // TitlebarSkin / SkinName

private:
    void LoadColours(ElementSource& source, const std::vector<std::string>& sections);
    void ApplyFrameCounts(ElementSource& source);
    void BuildComboComposite();
    void BuildComboArrow();
    void BuildToolbarGradient();
};

}  // namespace quorvane
