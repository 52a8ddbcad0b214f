// Element descriptions: what a skin section says about one piece of the user
// interface (a bitmap cut into equal frames, four margins, tile/stretch,
// transparency, state colours), as the painters use them: the fields read
// by the skin description (skin_description.h) plus the bitmaps made from
// its pictures.
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

#include "skin/data/gdi_handles.h"
#include "skin/data/skin_description.h"

namespace quorvane {

// True for a null bitmap or one without pixels; painters skip such bitmaps.
bool IsEmptyBitmap(HBITMAP bitmap);
inline bool IsEmptyBitmap(const UniqueBitmap& bitmap) { return IsEmptyBitmap(bitmap.get()); }
// A 24-bit copy of the rectangle (x, y, width, height) of source; parts
// outside the source come out black. Empty for a size <= 0.
UniqueBitmap CopyBitmapPart(HBITMAP source, int x, int y, int width, int height);

class TDataSkinObject : public ElementFields {
public:
    explicit TDataSkinObject(std::string name) { Name = std::move(name); }
    virtual ~TDataSkinObject() = default;
    TDataSkinObject(const TDataSkinObject&) = delete;
    TDataSkinObject& operator=(const TDataSkinObject&) = delete;

    RECT Margins() const { return RECT{LeftWidth, TopHeight, RightWidth, BottomHeight}; }

    UniqueBitmap Bitmap;
};

// The four window borders, Tabs, UpDownHorz, UpDownVert, ComboButton, Progress.
class TDataSkinBorder : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    UniqueBitmap Bitmap2;
};

// The caption text (Title).
class TDataSkinTitle : public TDataSkinObject, public TitleFields {
public:
    using TDataSkinObject::TDataSkinObject;
};

// The push button element (Buttons) with the check and radio strips.
class TDataSkinButton : public TDataSkinObject, public ButtonFields {
public:
    using TDataSkinObject::TDataSkinObject;
    UniqueBitmap CheckButton;
    UniqueBitmap RadioButton;
};

// One caption button (SysButtons).
class TDataSkinSysButton : public TDataSkinObject, public SysButtonFields {
public:
    using TDataSkinObject::TDataSkinObject;
};

// The group box element (GroupBox).
class TDataSkinBoxLabel : public TDataSkinObject, public BoxLabelFields {
public:
    using TDataSkinObject::TDataSkinObject;
};

// The built-in groove used when a skin has no Track / TRACKVERT image.
std::unique_ptr<TDataSkinObject> MakeBuiltInTrack(bool vertical);

}  // namespace quorvane
