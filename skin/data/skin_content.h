// What a loaded skin consists of: the element slots, the caption buttons and
// the colour table, and LoadElements, which fills them from a skin
// description and its package. TSkinData carries one SkinContent; the form
// engines and control skinners read the slots and Colours directly.
#pragma once
#include <windows.h>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/data/gdi_handles.h"
#include "skin/data/skin_elements.h"

namespace quorvane {

class TQuickIni;
class TSkinReader;

// The skin colour table: the values the description gives, the title colour
// sample and the face brush.
struct TSkinColours : SkinColourValues {
    // The top border's colour a third of the way in, or ButtonFace.
    SkinColour TitleColour = kSysButtonFace;
    // A solid brush of ButtonFace, replaced at the end of every load.
    UniqueBrush FaceBrush;
    // A solid brush of Window (text fields), replaced with FaceBrush.
    UniqueBrush WindowBrush;

    // The platform's colour `index` (COLOR_*) as a window skinned with this
    // table paints it; false for an index the table does not decide. Grey
    // (disabled) text lies three fifths of the way from ButtonFace to
    // ButtonText when the skin sets either: dimmer than enabled text on any
    // face, and still readable on it and on the field colour.
    bool SystemColour(int index, COLORREF& colour) const;
};

// Raised by LoadElements when a package exceeds the load limits; what()
// says which limit. Nothing has changed when it is raised.
class SkinLoadRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SkinContent {
public:
    SkinContent();
    SkinContent(const SkinContent&) = delete;
    SkinContent& operator=(const SkinContent&) = delete;
    virtual ~SkinContent();

    // Fills every slot from the description and the package's bitmaps
    // (reader may be null: every bitmap is then empty). Missing sections,
    // keys or images give defaults and empty slots. A package beyond the
    // load limits changes nothing: the reason goes to LastLoadError() and
    // to stderr, and SkinLoadRefused is thrown.
    void LoadElements(const TQuickIni& ini, const TSkinReader* reader);

    // What a load may allocate (pixels, bitmaps, caption buttons).
    const SkinLimits& LoadLimits() const { return limits_; }
    void SetLoadLimits(const SkinLimits& limits) { limits_ = limits; }
    // Why the last LoadElements refused its package; empty after a load
    // that completed.
    const std::string& LastLoadError() const { return lastLoadError_; }
    // Whether a refusal is also written to stderr (on by default; off where
    // the caller reports the reason itself, so it is said once).
    bool ReportsRefusals() const { return reportRefusals_; }
    void SetReportsRefusals(bool report) { reportRefusals_ = report; }

protected:
    // Called once a package has been read and accepted, right before the
    // slots are rebuilt (what points into the old elements lets go here).
    virtual void ElementsAboutToChange() {}
    // A new load starts: no reason of an earlier refusal stands.
    void ClearLoadError() { lastLoadError_.clear(); }
    void SetLoadError(const std::string& reason) { lastLoadError_ = "skin not loaded: " + reason; }

public:
    // The title colour sample: the top border's pixel at (width / 3,
    // frame height / 3), or ButtonFace when the border has no bitmap.
    SkinColour SampleTitleColour() const;

    // What a right-to-left combo box draws for its button. A composite combo
    // (ComboButton Style 2) draws the whole mirrored composite, SunkEdge,
    // nine-part over the control; mirroring the strip as a whole reversed
    // the order of its frames, so state n shows frame (frames + 1 - n).
    // Otherwise the button strip's mirror (ComboButton's Bitmap2) is drawn
    // keyed in the button rectangle, frame n for state n; the framed look
    // (Style 1) mirrors nothing. Null picture when nothing is mirrored.
    struct MirroredComboButton {
        const TDataSkinObject* element = nullptr;  // margins and tiling come from it
        HBITMAP picture = nullptr;
        int frames = 1;
        bool whole = false;     // the composite over the whole control, else the button only
        bool reversed = false;  // frames run from the last state to the first
        int FrameFor(int state) const { return reversed ? frames + 1 - state : state; }
    };
    MirroredComboButton RightToLeftComboButton() const;

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
    void BuildElements(const SkinDescription& description);
    void BuildComboComposite();
    void BuildComboArrow();
    void BuildToolbarGradient();

    SkinLimits limits_;
    std::string lastLoadError_;
    bool reportRefusals_ = true;
};

}  // namespace quorvane
