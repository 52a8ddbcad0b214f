// Element descriptions: what a skin section says about one piece of the user
// interface (a bitmap cut into equal frames, four margins, tile/stretch,
// transparency, state colours), and the loaders that fill them from a skin
// description and the bitmaps of its package.
//
// Painters read the fields directly. Frames are numbered from 1; a frame is
// Bitmap width / Frame wide (side by side) or Bitmap height / Frame high
// (stacked), the painter of each element choosing the direction.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/memory_stream.h"
#include "skin/data/gdi_handles.h"

namespace quorvane {

class TQuickIni;
class TSkinReader;

// True for a null bitmap or one without pixels; painters skip such bitmaps.
bool IsEmptyBitmap(HBITMAP bitmap);
inline bool IsEmptyBitmap(const UniqueBitmap& bitmap) { return IsEmptyBitmap(bitmap.get()); }
// A 24-bit copy of the rectangle (x, y, width, height) of source; parts
// outside the source come out black. Empty for a size <= 0.
UniqueBitmap CopyBitmapPart(HBITMAP source, int x, int y, int width, int height);

// Colour values of the skin: 0x00BBGGRR, or 0x80000000 + a system colour index.
using SkinColour = uint32_t;
constexpr SkinColour kMagenta = 0xFF00FF;
// TDataSkinTitle's ActiveText / InActiveText when the skin gives none.
constexpr SkinColour kNoTitleTextColour = 0x1FFFFFFF;

class TDataSkinObject {
public:
    explicit TDataSkinObject(std::string name) : Name(std::move(name)) {}
    virtual ~TDataSkinObject() = default;
    TDataSkinObject(const TDataSkinObject&) = delete;
    TDataSkinObject& operator=(const TDataSkinObject&) = delete;

    RECT Margins() const { return RECT{LeftWidth, TopHeight, RightWidth, BottomHeight}; }

    int32_t LeftWidth = 0;
    int32_t TopHeight = 0;
    int32_t RightWidth = 0;
    int32_t BottomHeight = 0;
    UniqueBitmap Bitmap;
    int32_t Trans = 0;  // 1: magenta pixels are transparent
    int32_t Tile = 0;   // 1: tile the stretchable parts; borders: 1 = stretch
    std::string Name;
    int32_t Frame = 0;
    int32_t Style = 0;
    int32_t NormalColour = -1, MouseOverColour = -1, PressedColour = -1;  // -1: not given
    SkinColour NormalColour2 = 0, MouseOverColour2 = 0, PressedColour2 = 0;
};

// The four window borders, Tabs, UpDownHorz, UpDownVert, ComboButton, Progress.
class TDataSkinBorder : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    UniqueBitmap Bitmap2;
};

// The caption text (Title).
class TDataSkinTitle : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t TextAlignment = 0;
    int32_t Textbackground = 0;
    int32_t FontHeight = 14;
    int32_t TXTBackleft = 0;
    int32_t TXTBackRight = 0;
    SkinColour ActiveText = kNoTitleTextColour;
    SkinColour InActiveText = kNoTitleTextColour;
};

// The push button element (Buttons) with the check and radio strips.
class TDataSkinButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    UniqueBitmap CheckButton;
    UniqueBitmap RadioButton;
    int32_t RadioButtonFrame = 0;
    int32_t CheckButtonFrame = 0;
    // Whether the skin gave NormalColour2, MouseOverColour2, PressedColour2.
    bool HasNormalColour2 = false;
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

// One caption button (SysButtons).
class TDataSkinSysButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t Action = 0;
    int32_t Align = 0;
    int32_t Xcoord = 0;
    int32_t Ycoord = 0;
    int32_t CombineOp = -1;
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

// The group box element (GroupBox).
class TDataSkinBoxLabel : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

// ParseColour: red, green and blue as up to three numbers separated by any
// non-digits ("255,128,0", "255 128 0"); an empty text gives defaultColour.
// One number alone gives black; two numbers with nothing after the second
// give only the red component. Each component is taken modulo 256.
SkinColour ParseColour(const std::string& text, SkinColour defaultColour);

// What the loaders read from: the skin description and the package's bitmaps.
class ElementSource {
public:
    // reader may be null: then every bitmap is empty.
    ElementSource(const TQuickIni& ini, const TSkinReader* reader) : ini_(ini), reader_(reader) {}

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue = std::string()) const;
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    std::vector<std::string> SectionNames() const;

    // The bitmap named by a description value: empty when the value is empty,
    // not a lower-case ".bmp" name, not in the package, or not a usable BMP.
    UniqueBitmap LoadBitmap(const std::string& value);

    // Default of the colour trio's *Colour2 values: the skin's ButtonText.
    SkinColour buttonText = 0x80000012;

private:
    const TQuickIni& ini_;
    const TSkinReader* reader_;
    MemoryStream member_;
};

// Loaders, one per kind of section (run in the order of TSkinData::LoadElements).

// Generic element: nullptr when the section names no Image.
std::unique_ptr<TDataSkinObject> LoadGenericElement(ElementSource& source, const std::string& section);
// Element with a second image (Tabs: "Border"; UpDown.*: "GlyphImage").
std::unique_ptr<TDataSkinBorder> LoadBorderElement(ElementSource& source, const std::string& section,
                                                   const std::string& secondKey);
std::unique_ptr<TDataSkinBorder> LoadProgress(ElementSource& source);
std::unique_ptr<TDataSkinBoxLabel> LoadGroupBox(ElementSource& source);
// The menu bar of section Personality (named "Personality").
std::unique_ptr<TDataSkinObject> LoadMenuBar(ElementSource& source);
void LoadTitle(ElementSource& source, TDataSkinTitle& title);
void LoadButtons(ElementSource& source, TDataSkinButton& buttons);
// Border named "Left", "Right", "Top" or "Bottom" from section Personality.
void LoadWindowBorder(ElementSource& source, TDataSkinBorder& border);

// The caption buttons of every BUTTON* section, then the three MDI child
// buttons (Action 7, 8, 9) with their images cut from MDICONTROLS.
std::vector<std::unique_ptr<TDataSkinSysButton>> LoadSysButtons(ElementSource& source,
                                                                const std::vector<std::string>& sections);

// The built-in groove used when a skin has no Track / TRACKVERT image.
std::unique_ptr<TDataSkinObject> MakeBuiltInTrack(bool vertical);

// Frames of a check or radio strip: its width / 13 when it is less than 16
// pixels high, else / 16, at least 4.
int32_t CheckStripFrames(HBITMAP strip);

}  // namespace quorvane
