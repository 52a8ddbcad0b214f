#include "skin/data/skin_elements.h"

#include "skin/data/bitmap_utils.h"
#include "skin/data/builtin_bitmaps.h"
#include "skin/data/quick_ini.h"
#include "skin/data/text_lines.h"
#include "skin/data/skin_reader.h"

namespace quorvane {

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The colour trio shared by most sections: integer colours (default -1),
// then the *Colour2 texts through ParseColour (default the skin's ButtonText).
void ReadColourTrio(ElementSource& source, const std::string& section, TDataSkinObject& element)
{
    element.NormalColour = source.ReadInteger(section, "NormalColour", -1);
    element.MouseOverColour = source.ReadInteger(section, "MouseOverColour", -1);
    element.PressedColour = source.ReadInteger(section, "PressedColour", -1);
    element.NormalColour2 = ParseColour(source.ReadString(section, "NormalColour2"), source.buttonText);
    element.MouseOverColour2 = ParseColour(source.ReadString(section, "MouseOverColour2"), source.buttonText);
    element.PressedColour2 = ParseColour(source.ReadString(section, "PressedColour2"), source.buttonText);
}

void ReadMargins(ElementSource& source, const std::string& section, TDataSkinObject& element)
{
    element.LeftWidth = source.ReadInteger(section, "LeftWidth", 0);
    element.RightWidth = source.ReadInteger(section, "RightWidth", 0);
    element.TopHeight = source.ReadInteger(section, "TopHeight", 0);
    element.BottomHeight = source.ReadInteger(section, "BottomHeight", 0);
}

// The generic element's body without the image: Style, margins, optionally
// Frame, Trans, Tile, the colour trio; Tile above 1 means stretch.
void ReadGenericFields(ElementSource& source, const std::string& section, TDataSkinObject& element,
                       bool readFrame)
{
    element.Style = source.ReadInteger(section, "Style", 0);
    ReadMargins(source, section, element);
    if (readFrame) element.Frame = source.ReadInteger(section, "Frame", 0);
    element.Trans = source.ReadInteger(section, "Trans", 0);
    element.Tile = source.ReadInteger(section, "Tile", 0);
    ReadColourTrio(source, section, element);
    if (element.Tile > 1) element.Tile = 0;
}

}  // namespace

bool IsEmptyBitmap(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    return size.cx <= 0 || size.cy <= 0;
}

UniqueBitmap CopyBitmapPart(HBITMAP source, int x, int y, int width, int height)
{
    UniqueBitmap copy = CreateBitmap24(width, height);
    if (!copy || source == nullptr) return copy;
    UniqueMemoryDc from = UniqueMemoryDc::Compatible(), to = UniqueMemoryDc::Compatible();
    SelectGuard a(from.get(), source), b(to.get(), copy.get());
    BitBlt(to.get(), 0, 0, width, height, from.get(), x, y, SRCCOPY);
    return copy;
}

SkinColour ParseColour(const std::string& text, SkinColour defaultColour)
{
    constexpr uint64_t kLargestNumber = 0x7FFFFFFF;
    if (text.empty()) return defaultColour;
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;

    uint32_t components[3] = {0, 0, 0};
    int stored = 0;
    uint64_t current = 0;
    bool started = false;
    for (size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            // Saturate just past the 32-bit range; such a number is dropped.
            if (current <= kLargestNumber) current = current * 10 + static_cast<uint64_t>(c - '0');
            started = true;
        } else if (started) {
            // A number too large for 32 bits is dropped, and the next one
            // still goes to the same component.
            if (current <= kLargestNumber && stored < 3) components[stored++] = static_cast<uint32_t>(current);
            current = 0;
            started = false;
        }
    }
    // Digits running to the very end count only as the third number.
    if (started && current <= kLargestNumber && stored == 2) components[stored++] = static_cast<uint32_t>(current);
    return (components[0] % 256) | ((components[1] % 256) << 8) | ((components[2] % 256) << 16);
}

std::string ElementSource::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const
{
    return ini_.ReadString(section, key, defaultValue);
}

int32_t ElementSource::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const
{
    return ini_.ReadInteger(section, key, defaultValue);
}

std::vector<std::string> ElementSource::SectionNames() const
{
    std::vector<std::string> names;
    ini_.GetSectionNames(names);
    return names;
}

UniqueBitmap ElementSource::LoadBitmap(const std::string& value)
{
    if (reader_ == nullptr || !ExtractBitmapMember(*reader_, value, member_)) return UniqueBitmap();
    return LoadBitmapFromMemory(member_.Data(), member_.Size());
}

std::unique_ptr<TDataSkinObject> LoadGenericElement(ElementSource& source, const std::string& section)
{
    const std::string image = source.ReadString(section, "Image");
    if (image.empty()) return nullptr;
    auto element = std::make_unique<TDataSkinObject>(section);
    element->Bitmap = source.LoadBitmap(image);
    ReadGenericFields(source, section, *element, true);
    return element;
}

std::unique_ptr<TDataSkinBorder> LoadBorderElement(ElementSource& source, const std::string& section,
                                                   const std::string& secondKey)
{
    const std::string image = source.ReadString(section, "Image");
    if (image.empty()) return nullptr;
    auto element = std::make_unique<TDataSkinBorder>(section);
    element->Bitmap = source.LoadBitmap(image);
    const std::string second = source.ReadString(section, secondKey);
    if (!second.empty()) element->Bitmap2 = source.LoadBitmap(second);
    ReadGenericFields(source, section, *element, false);
    return element;
}

std::unique_ptr<TDataSkinBorder> LoadProgress(ElementSource& source)
{
    const std::string section = "Progress";
    const std::string image = source.ReadString(section, "Bitmap");
    if (image.empty()) return nullptr;
    auto element = std::make_unique<TDataSkinBorder>(section);
    element->Bitmap = source.LoadBitmap(image);
    element->Style = source.ReadInteger(section, "Style", 0);
    ReadMargins(source, section, *element);
    element->Trans = source.ReadInteger(section, "Trans", 0);
    element->Tile = source.ReadInteger(section, "Tile", 0);
    if (element->Tile > 1) element->Tile = 1;
    return element;
}

std::unique_ptr<TDataSkinBoxLabel> LoadGroupBox(ElementSource& source)
{
    const std::string section = "GroupBox";
    const std::string image = source.ReadString(section, "Image");
    if (image.empty()) return nullptr;
    auto element = std::make_unique<TDataSkinBoxLabel>(section);
    element->Bitmap = source.LoadBitmap(image);
    ReadGenericFields(source, section, *element, false);
    element->BackgroundAlignment = source.ReadInteger(section, "BackgroundAlignment", 0);
    element->BackgroundLeftShift = source.ReadInteger(section, "BackgroundLeftShift", 0);
    element->BackgroundRightShift = source.ReadInteger(section, "BackgroundRightShift", 0);
    return element;
}

std::unique_ptr<TDataSkinObject> LoadMenuBar(ElementSource& source)
{
    const std::string section = "Personality";
    const std::string image = source.ReadString(section, "menuBar");
    if (image.empty()) return nullptr;
    auto element = std::make_unique<TDataSkinObject>(section);
    element->Bitmap = source.LoadBitmap(image);
    element->TopHeight = element->BottomHeight = 0;
    element->Tile = source.ReadInteger(section, "TileMenu", 1);
    element->LeftWidth = source.ReadInteger(section, "TileLeftMenu", 1);
    element->RightWidth = source.ReadInteger(section, "TileRightMenu", 1);
    if (element->Tile > 1) element->Tile = 1;
    return element;
}

void LoadTitle(ElementSource& source, TDataSkinTitle& title)
{
    const std::string section = "Personality";
    title.Bitmap = source.LoadBitmap(source.ReadString(section, "TextBack"));
    title.LeftWidth = source.ReadInteger(section, "TextShift", 0);
    title.TopHeight = source.ReadInteger(section, "TextShiftVert", 0);
    title.RightWidth = source.ReadInteger(section, "TextRightClip", 0);
    title.BottomHeight = 0;
    title.TextAlignment = source.ReadInteger(section, "TextAlignment", 0);
    title.Textbackground = source.ReadInteger(section, "Textbackground", 0);
    title.TXTBackleft = source.ReadInteger(section, "TXTBackleft", 0);
    title.TXTBackRight = source.ReadInteger(section, "TXTBackRight", 0);
    title.FontHeight = source.ReadInteger("Fonts", "FontHeight", 14);

    auto readRgb = [&](const std::string& name) -> SkinColour {
        const int32_t r = source.ReadInteger(section, name + "R", -1);
        const int32_t g = source.ReadInteger(section, name + "G", -1);
        const int32_t b = source.ReadInteger(section, name + "B", -1);
        if (r < 0 || g < 0 || b < 0) return kNoTitleTextColour;
        return static_cast<SkinColour>(r % 256) | (static_cast<SkinColour>(g % 256) << 8) |
               (static_cast<SkinColour>(b % 256) << 16);
    };
    title.ActiveText = readRgb("ActiveText");
    title.InActiveText = readRgb("InActiveText");
}

void LoadButtons(ElementSource& source, TDataSkinButton& buttons)
{
    const std::string section = "Buttons";
    ReadMargins(source, section, buttons);
    buttons.Trans = source.ReadInteger(section, "Trans", 0);
    buttons.Bitmap = source.LoadBitmap(source.ReadString(section, "Bitmap"));
    buttons.Tile = source.ReadInteger(section, "Tile", 0);
    buttons.CheckButton = source.LoadBitmap(source.ReadString(section, "CheckButton"));
    buttons.RadioButton = source.LoadBitmap(source.ReadString(section, "RadioButton"));
    buttons.NormalColour = source.ReadInteger(section, "NormalColour", -1);
    buttons.MouseOverColour = source.ReadInteger(section, "MouseOverColour", -1);
    buttons.PressedColour = source.ReadInteger(section, "PressedColour", -1);
    buttons.RadioButtonFrame = source.ReadInteger(section, "RadioButtonFrame", 0);
    buttons.CheckButtonFrame = source.ReadInteger(section, "CheckButtonFrame", 0);
    if (buttons.Tile > 1) buttons.Tile = 0;

    const std::string normal = source.ReadString(section, "NormalColour2");
    const std::string over = source.ReadString(section, "MouseOverColour2");
    const std::string pressed = source.ReadString(section, "PressedColour2");
    buttons.HasNormalColour2 = !normal.empty();
    buttons.HasMouseOverColour2 = !over.empty();
    buttons.HasPressedColour2 = !pressed.empty();
    buttons.NormalColour2 = ParseColour(normal, source.buttonText);
    buttons.MouseOverColour2 = ParseColour(over, source.buttonText);
    buttons.PressedColour2 = ParseColour(pressed, source.buttonText);
}

void LoadWindowBorder(ElementSource& source, TDataSkinBorder& border)
{
    const std::string section = "Personality";
    const std::string& n = border.Name;
    const int32_t first = source.ReadInteger(section, n + "TopHeight", 0);
    const int32_t second = source.ReadInteger(section, n + "BotHeight", 0);
    if (n == "Left" || n == "Right") {
        border.TopHeight = first;
        border.BottomHeight = second;
        border.LeftWidth = border.RightWidth = 0;
    } else {
        border.LeftWidth = first;
        border.RightWidth = second;
        border.TopHeight = border.BottomHeight = 0;
    }
    border.Frame = source.ReadInteger(section, n + "Frame", 1);
    border.Tile = source.ReadInteger(section, n + "Stretch", 1);
    border.Trans = source.ReadInteger(section, n + "Trans", 1);
    border.Bitmap = source.LoadBitmap(source.ReadString(section, n));
    if (border.Tile > 1) border.Tile = 1;
}

std::vector<std::unique_ptr<TDataSkinSysButton>> LoadSysButtons(ElementSource& source,
                                                                const std::vector<std::string>& sections)
{
    std::vector<std::string> kept;
    for (const std::string& name : sections) {
        const std::string upper = AsciiUpper(name);
        if (!StartsWith(upper, "BUTTON") || upper == "BUTTON" || upper == "BUTTONS" ||
            upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX")
            continue;
        // A hidden button that does nothing is not a caption button.
        if (source.ReadInteger(name, "Action", 0) == -1 && source.ReadInteger(name, "Visibility", -1) != 0)
            continue;
        kept.push_back(upper);
    }

    std::vector<std::unique_ptr<TDataSkinSysButton>> buttons;
    buttons.reserve(kept.size() + 3);
    for (const std::string& section : kept) {
        auto button = std::make_unique<TDataSkinSysButton>(section);
        button->Action = source.ReadInteger(section, "Action", 0);
        button->Align = source.ReadInteger(section, "Align", 0);
        button->Xcoord = source.ReadInteger(section, "Xcoord", 0);
        button->Ycoord = source.ReadInteger(section, "Ycoord", 0);
        button->Visibility = source.ReadInteger(section, "Visibility", 0);
        button->Visibility1 = source.ReadInteger(section, "Visibility1", button->Action == -1 ? -1 : 0);
        button->CombineOp = source.ReadInteger(section, "CombineOp", -1);
        button->Frame = source.ReadInteger(section, "frame", 0);
        button->Bitmap = source.LoadBitmap(source.ReadString(section, "ButtonImage"));
        if (button->Frame == 0) {
            // No frame count: a strip at most 3.8 times as wide as high holds
            // three states, a wider one six; buttons without an action six.
            button->Frame = 6;
            const SIZE size = BitmapSize(button->Bitmap.get());
            if (size.cx > 0 && size.cy > 0) {
                const double ratio = static_cast<double>(size.cx) / size.cy;
                button->Frame = ratio <= 3.8 ? 3 : 6;
                if (button->Action < 0) button->Frame = 6;
            }
            // The system-menu button shows the window icon, not its image.
            if (button->Action == 3 || button->Action == 11) button->Bitmap.reset();
        }
        buttons.push_back(std::move(button));
    }

    // The MDI child's minimise, restore and close buttons.
    UniqueBitmap mdi = source.LoadBitmap(source.ReadString("MDICONTROLS", "Image"));
    const SIZE mdiSize = BitmapSize(mdi.get());
    const int w = mdiSize.cx / 12;
    for (int i = 0; i < 3; ++i) {
        auto button = std::make_unique<TDataSkinSysButton>("MDICONTROLS");
        button->Action = 7 + i;
        button->Align = button->Visibility = button->Visibility1 = 100;
        button->Frame = 4;
        if (!IsEmptyBitmap(mdi)) {
            button->Bitmap = CopyBitmapPart(mdi.get(), 4 * w * i, 0, 4 * w, mdiSize.cy);
            button->Xcoord = (w + 4) * (3 - i);
        }
        buttons.push_back(std::move(button));
    }
    return buttons;
}

std::unique_ptr<TDataSkinObject> MakeBuiltInTrack(bool vertical)
{
    auto track = std::make_unique<TDataSkinObject>(vertical ? "TRACKVERT" : "Track");
    track->Bitmap = vertical ? CreateBuiltInTrackVert() : CreateBuiltInTrack();
    track->LeftWidth = track->TopHeight = track->RightWidth = track->BottomHeight = 3;
    track->Tile = 0;
    track->Frame = 1;
    return track;
}

int32_t CheckStripFrames(HBITMAP strip)
{
    const SIZE size = BitmapSize(strip);
    const int32_t frames = size.cx / (size.cy < 16 ? 13 : 16);
    return frames < 4 ? 4 : frames;
}

}  // namespace quorvane
