#include "skin/data/skin_description.h"

#include <algorithm>
#include <map>

#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"
#include "skin/data/text_lines.h"

namespace quorvane {

namespace {

// Raised inside the describer when a limit is exceeded; DescribeSkin turns
// it into its false result.
struct Refusal {
    std::string reason;
};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The reader of one load: the description, the package's pictures decoded
// once per member, and the running counts checked against the limits.
class Describer {
public:
    Describer(const TQuickIni& ini, const TSkinReader* reader, const SkinLimits& limits, SkinDescription& out)
        : ini_(ini), reader_(reader), limits_(limits), out_(out)
    {
    }

    std::string Text(const std::string& section, const std::string& key) const
    {
        return ini_.ReadString(section, key, std::string());
    }
    int32_t Integer(const std::string& section, const std::string& key, int32_t defaultValue) const
    {
        return ini_.ReadInteger(section, key, defaultValue);
    }

    // The picture a description value names (see ExtractBitmapMember), for
    // one element: counted as one more bitmap of its size.
    SkinImage Image(const std::string& value)
    {
        SkinImage image = Decoded(value);
        if (image) Use(image->width, image->height, value);
        return image;
    }

    // The picture without counting a bitmap for it: for pictures that are
    // only measured or cut up, never kept themselves.
    SkinImage Peek(const std::string& value) { return Decoded(value); }

    // A bitmap of the given size that the load makes from others.
    void Use(int64_t width, int64_t height, const std::string& what)
    {
        if (width <= 0 || height <= 0) return;
        out_.pixels += width * height;
        if (++out_.bitmaps > limits_.bitmaps)
            throw Refusal{"it needs more than " + std::to_string(limits_.bitmaps) + " bitmaps"};
        if (out_.pixels > limits_.totalPixels)
            throw Refusal{"its bitmaps (up to " + what + ") hold more than " + std::to_string(limits_.totalPixels) +
                          " pixels"};
    }

    const TQuickIni& ini() const { return ini_; }
    const SkinLimits& limits() const { return limits_; }
    SkinDescription& out() { return out_; }
    SkinColour buttonText = kSysButtonText;

private:
    SkinImage Decoded(const std::string& value)
    {
        const std::string name = BitmapMemberName(value);
        if (reader_ == nullptr || name.empty()) return nullptr;
        const std::string key = AsciiLower(name);
        const auto known = decoded_.find(key);
        if (known != decoded_.end()) return known->second;
        SkinImage& image = decoded_[key];
        if (!ExtractBitmapMember(*reader_, value, member_)) return image;
        BmpLayout layout;
        if (!ReadBmpLayout(member_.Data(), member_.Size(), layout)) return image;
        // Checked before anything is decoded: an RLE picture of a few bytes
        // may declare any size.
        if (layout.width > limits_.bitmapSide || layout.height > limits_.bitmapSide ||
            layout.PixelCount() > limits_.bitmapPixels)
            throw Refusal{"bitmap " + name + " is " + std::to_string(layout.width) + " x " +
                          std::to_string(layout.height) + " pixels (at most " +
                          std::to_string(limits_.bitmapPixels) + " pixels, " + std::to_string(limits_.bitmapSide) +
                          " a side)"};
        image = std::make_shared<const PixelBuffer>(DecodeBmp(layout));
        return image;
    }

    const TQuickIni& ini_;
    const TSkinReader* reader_;
    const SkinLimits& limits_;
    SkinDescription& out_;
    MemoryStream member_;
    std::map<std::string, SkinImage> decoded_;
};

// The colour trio shared by most sections: integer colours (default -1),
// then the *Colour2 texts through ParseColour (default the skin's ButtonText).
void ReadColourTrio(Describer& d, const std::string& section, ElementFields& element)
{
    element.NormalColour = d.Integer(section, "NormalColour", -1);
    element.MouseOverColour = d.Integer(section, "MouseOverColour", -1);
    element.PressedColour = d.Integer(section, "PressedColour", -1);
    element.NormalColour2 = ParseColour(d.Text(section, "NormalColour2"), d.buttonText);
    element.MouseOverColour2 = ParseColour(d.Text(section, "MouseOverColour2"), d.buttonText);
    element.PressedColour2 = ParseColour(d.Text(section, "PressedColour2"), d.buttonText);
}

void ReadMargins(Describer& d, const std::string& section, ElementFields& element)
{
    element.LeftWidth = d.Integer(section, "LeftWidth", 0);
    element.RightWidth = d.Integer(section, "RightWidth", 0);
    element.TopHeight = d.Integer(section, "TopHeight", 0);
    element.BottomHeight = d.Integer(section, "BottomHeight", 0);
}

// The generic element's body without the image: Style, margins, optionally
// Frame, Trans, Tile, the colour trio; Tile above 1 means stretch.
void ReadGenericFields(Describer& d, const std::string& section, ElementFields& element, bool readFrame)
{
    element.Style = d.Integer(section, "Style", 0);
    ReadMargins(d, section, element);
    if (readFrame) element.Frame = d.Integer(section, "Frame", 0);
    element.Trans = d.Integer(section, "Trans", 0);
    element.Tile = d.Integer(section, "Tile", 0);
    ReadColourTrio(d, section, element);
    if (element.Tile > 1) element.Tile = 0;
}

// Generic element: empty when the section names no Image.
std::optional<ElementDescription> DescribeGeneric(Describer& d, const std::string& section)
{
    const std::string image = d.Text(section, "Image");
    if (image.empty()) return std::nullopt;
    ElementDescription element;
    element.Name = section;
    element.Bitmap = d.Image(image);
    ReadGenericFields(d, section, element, true);
    return element;
}

// Element with a second image (Tabs: "Border"; UpDown.*: "GlyphImage").
std::optional<ElementDescription> DescribeWithSecondImage(Describer& d, const std::string& section,
                                                          const std::string& secondKey)
{
    const std::string image = d.Text(section, "Image");
    if (image.empty()) return std::nullopt;
    ElementDescription element;
    element.Name = section;
    element.Bitmap = d.Image(image);
    const std::string second = d.Text(section, secondKey);
    if (!second.empty()) element.Bitmap2 = d.Image(second);
    ReadGenericFields(d, section, element, false);
    return element;
}

std::optional<ElementDescription> DescribeProgress(Describer& d)
{
    const std::string section = "Progress";
    const std::string image = d.Text(section, "Bitmap");
    if (image.empty()) return std::nullopt;
    ElementDescription element;
    element.Name = section;
    element.Bitmap = d.Image(image);
    element.Style = d.Integer(section, "Style", 0);
    ReadMargins(d, section, element);
    element.Trans = d.Integer(section, "Trans", 0);
    element.Tile = d.Integer(section, "Tile", 0);
    if (element.Tile > 1) element.Tile = 1;
    return element;
}

std::optional<BoxLabelDescription> DescribeGroupBox(Describer& d)
{
    const std::string section = "GroupBox";
    const std::string image = d.Text(section, "Image");
    if (image.empty()) return std::nullopt;
    BoxLabelDescription element;
    element.Name = section;
    element.Bitmap = d.Image(image);
    ReadGenericFields(d, section, element, false);
    element.BackgroundAlignment = d.Integer(section, "BackgroundAlignment", 0);
    element.BackgroundLeftShift = d.Integer(section, "BackgroundLeftShift", 0);
    element.BackgroundRightShift = d.Integer(section, "BackgroundRightShift", 0);
    return element;
}

// The menu bar of section Personality (named "Personality").
std::optional<ElementDescription> DescribeMenuBar(Describer& d)
{
    const std::string section = "Personality";
    const std::string image = d.Text(section, "menuBar");
    if (image.empty()) return std::nullopt;
    ElementDescription element;
    element.Name = section;
    element.Bitmap = d.Image(image);
    element.TopHeight = element.BottomHeight = 0;
    element.Tile = d.Integer(section, "TileMenu", 1);
    element.LeftWidth = d.Integer(section, "TileLeftMenu", 1);
    element.RightWidth = d.Integer(section, "TileRightMenu", 1);
    if (element.Tile > 1) element.Tile = 1;
    return element;
}

void DescribeTitle(Describer& d, TitleDescription& title)
{
    const std::string section = "Personality";
    title.Name = "Title";
    title.Bitmap = d.Image(d.Text(section, "TextBack"));
    title.LeftWidth = d.Integer(section, "TextShift", 0);
    title.TopHeight = d.Integer(section, "TextShiftVert", 0);
    title.RightWidth = d.Integer(section, "TextRightClip", 0);
    title.BottomHeight = 0;
    title.TextAlignment = d.Integer(section, "TextAlignment", 0);
    title.Textbackground = d.Integer(section, "Textbackground", 0);
    title.TXTBackleft = d.Integer(section, "TXTBackleft", 0);
    title.TXTBackRight = d.Integer(section, "TXTBackRight", 0);
    title.FontHeight = d.Integer("Fonts", "FontHeight", 14);

    auto readRgb = [&](const std::string& name) -> SkinColour {
        const int32_t r = d.Integer(section, name + "R", -1);
        const int32_t g = d.Integer(section, name + "G", -1);
        const int32_t b = d.Integer(section, name + "B", -1);
        if (r < 0 || g < 0 || b < 0) return kNoTitleTextColour;
        return static_cast<SkinColour>(r % 256) | (static_cast<SkinColour>(g % 256) << 8) |
               (static_cast<SkinColour>(b % 256) << 16);
    };
    title.ActiveText = readRgb("ActiveText");
    title.InActiveText = readRgb("InActiveText");
}

void DescribeButtons(Describer& d, ButtonsDescription& buttons)
{
    const std::string section = "Buttons";
    buttons.Name = "Buttons";
    ReadMargins(d, section, buttons);
    buttons.Trans = d.Integer(section, "Trans", 0);
    buttons.Bitmap = d.Image(d.Text(section, "Bitmap"));
    buttons.Tile = d.Integer(section, "Tile", 0);
    buttons.CheckButton = d.Image(d.Text(section, "CheckButton"));
    buttons.RadioButton = d.Image(d.Text(section, "RadioButton"));
    buttons.NormalColour = d.Integer(section, "NormalColour", -1);
    buttons.MouseOverColour = d.Integer(section, "MouseOverColour", -1);
    buttons.PressedColour = d.Integer(section, "PressedColour", -1);
    buttons.RadioButtonFrame = d.Integer(section, "RadioButtonFrame", 0);
    buttons.CheckButtonFrame = d.Integer(section, "CheckButtonFrame", 0);
    if (buttons.Tile > 1) buttons.Tile = 0;

    const std::string normal = d.Text(section, "NormalColour2");
    const std::string over = d.Text(section, "MouseOverColour2");
    const std::string pressed = d.Text(section, "PressedColour2");
    buttons.HasNormalColour2 = !normal.empty();
    buttons.HasMouseOverColour2 = !over.empty();
    buttons.HasPressedColour2 = !pressed.empty();
    buttons.NormalColour2 = ParseColour(normal, d.buttonText);
    buttons.MouseOverColour2 = ParseColour(over, d.buttonText);
    buttons.PressedColour2 = ParseColour(pressed, d.buttonText);
}

// Border named "Left", "Right", "Top" or "Bottom" from section Personality.
void DescribeWindowBorder(Describer& d, const std::string& n, ElementDescription& border)
{
    const std::string section = "Personality";
    border.Name = n;
    const int32_t first = d.Integer(section, n + "TopHeight", 0);
    const int32_t second = d.Integer(section, n + "BotHeight", 0);
    if (n == "Left" || n == "Right") {
        border.TopHeight = first;
        border.BottomHeight = second;
        border.LeftWidth = border.RightWidth = 0;
    } else {
        border.LeftWidth = first;
        border.RightWidth = second;
        border.TopHeight = border.BottomHeight = 0;
    }
    border.Frame = d.Integer(section, n + "Frame", 1);
    border.Tile = d.Integer(section, n + "Stretch", 1);
    border.Trans = d.Integer(section, n + "Trans", 1);
    border.Bitmap = d.Image(d.Text(section, n));
    if (border.Tile > 1) border.Tile = 1;
}

// The caption buttons of every BUTTON* section, then the three MDI child
// buttons (Action 7, 8, 9) with their pictures cut from MDICONTROLS.
void DescribeSysButtons(Describer& d, const std::vector<std::string>& sections)
{
    std::vector<std::string> kept;
    for (const std::string& name : sections) {
        const std::string upper = AsciiUpper(name);
        if (!StartsWith(upper, "BUTTON") || upper == "BUTTON" || upper == "BUTTONS" || upper == "BUTTON.RADIO" ||
            upper == "BUTTON.CHECKBOX")
            continue;
        // A hidden button that does nothing is not a caption button.
        if (d.Integer(name, "Action", 0) == -1 && d.Integer(name, "Visibility", -1) != 0) continue;
        kept.push_back(upper);
        if (static_cast<int64_t>(kept.size()) > d.limits().captionButtons)
            throw Refusal{"it has more than " + std::to_string(d.limits().captionButtons) + " caption buttons"};
    }

    std::vector<SysButtonDescription>& buttons = d.out().SysButtons;
    buttons.clear();
    buttons.reserve(kept.size() + 3);
    for (const std::string& section : kept) {
        SysButtonDescription button;
        button.Name = section;
        button.Action = d.Integer(section, "Action", 0);
        button.Align = d.Integer(section, "Align", 0);
        button.Xcoord = d.Integer(section, "Xcoord", 0);
        button.Ycoord = d.Integer(section, "Ycoord", 0);
        button.Visibility = d.Integer(section, "Visibility", 0);
        button.Visibility1 = d.Integer(section, "Visibility1", button.Action == -1 ? -1 : 0);
        button.CombineOp = d.Integer(section, "CombineOp", -1);
        button.Frame = d.Integer(section, "frame", 0);
        const std::string image = d.Text(section, "ButtonImage");
        if (button.Frame == 0) {
            // No frame count: a strip at most 3.8 times as wide as high holds
            // three states, a wider one six; buttons without an action six.
            button.Frame = 6;
            // The system-menu button shows the window icon, not its image
            // (which still gives the frame count).
            const bool iconButton = button.Action == 3 || button.Action == 11;
            const SkinImage picture = iconButton ? d.Peek(image) : d.Image(image);
            if (picture && picture->width > 0 && picture->height > 0) {
                const double ratio = static_cast<double>(picture->width) / picture->height;
                button.Frame = ratio <= 3.8 ? 3 : 6;
                if (button.Action < 0) button.Frame = 6;
            }
            if (!iconButton) button.Bitmap = picture;
        } else {
            button.Bitmap = d.Image(image);
        }
        buttons.push_back(std::move(button));
    }

    // The MDI child's minimise, restore and close buttons: 4w x h each, cut
    // from thirds of the MDICONTROLS picture (w = its width / 12).
    const SkinImage mdi = d.Peek(d.Text("MDICONTROLS", "Image"));
    const int w = mdi ? mdi->width / 12 : 0;
    for (int i = 0; i < 3; ++i) {
        SysButtonDescription button;
        button.Name = "MDICONTROLS";
        button.Action = 7 + i;
        button.Align = button.Visibility = button.Visibility1 = 100;
        button.Frame = 4;
        if (mdi) {
            button.Xcoord = (w + 4) * (3 - i);
            if (w > 0) {
                auto part = std::make_shared<PixelBuffer>();
                part->width = 4 * w;
                part->height = mdi->height;
                part->pixels.resize(static_cast<size_t>(part->width) * static_cast<size_t>(part->height));
                for (int y = 0; y < part->height; ++y)
                    for (int x = 0; x < part->width; ++x) part->At(x, y) = mdi->At(4 * w * i + x, y);
                d.Use(part->width, part->height, "the MDI buttons");
                button.Bitmap = std::move(part);
            }
        }
        buttons.push_back(std::move(button));
    }
}

void DescribeColours(Describer& d, const std::vector<std::string>& sections)
{
    const std::string section = "Colours";
    auto read = [&](const char* key, SkinColour defaultColour) {
        return ParseColour(d.Text(section, key), defaultColour);
    };
    SkinColourValues& c = d.out().Colours;
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
    c.Window = read("Window", kSysWindow);

    c.ColourSections.clear();
    for (const std::string& name : sections) {
        const std::string upper = AsciiUpper(name);
        if (StartsWith(upper, "COLOUR") && upper != "COLOURS")
            c.ColourSections.push_back(ParseColour(d.Text(name, "color"), kSysWindowText));
    }
    for (int i = 0; i < 10; ++i)
        c.CustomColors[static_cast<size_t>(i)] = ParseColour(d.Text("Customcolors", "Color" + std::to_string(i)), 0xFFFFFF);
}

void CapMargins(ElementFields& element, int32_t cap)
{
    element.LeftWidth = std::min(element.LeftWidth, cap);
    element.TopHeight = std::min(element.TopHeight, cap);
    element.RightWidth = std::min(element.RightWidth, cap);
    element.BottomHeight = std::min(element.BottomHeight, cap);
}

template <class Slot>
void SetFrame(Slot& slot, int32_t frames)
{
    if (slot) slot->Frame = frames;
}

int32_t StripFrames(const SkinImage& strip) { return strip ? CheckStripFrames(strip->width, strip->height) : 4; }

// Fixed frame counts, applied after all sections are read.
void ApplyFrameCounts(Describer& d, SkinDescription& s)
{
    s.Buttons.Frame = 5;
    if (s.Buttons.RadioButtonFrame == 0) s.Buttons.RadioButtonFrame = StripFrames(s.Buttons.RadioButton);
    if (s.Buttons.CheckButtonFrame == 0) s.Buttons.CheckButtonFrame = StripFrames(s.Buttons.CheckButton);
    s.Title.Frame = 2;
    if (s.Progress) s.Progress->Frame = s.Progress->Style != 0 ? 1 : 2;
    SetFrame(s.MenuBar, 2);
    SetFrame(s.GroupBoxEdge, 2);
    SetFrame(s.TabPane, 1);
    SetFrame(s.GroupBox, 1);
    SetFrame(s.MenuBackground, 1);
    for (auto* five : {&s.ToolBars, &s.Tabs, &s.ExtraImages, &s.MenuItem, &s.TrackbarThumbHorz, &s.TrackbarThumbVert,
                       &s.TrackbarThumbLeft, &s.TrackbarThumbRight, &s.TrackbarThumbUp, &s.TrackbarThumbDown})
        SetFrame(*five, 5);
    if (s.Headerbar && s.Headerbar->Frame == 0) s.Headerbar->Frame = 5;
    SetFrame(s.StatusBarEdges, 3);
    for (auto* four : {&s.ComboButton, &s.SunkEdge, &s.HorzScroll, &s.VertScroll}) SetFrame(*four, 4);
    SetFrame(s.Scrollbar, 23);
    SetFrame(s.UpDownHorz, 8);
    SetFrame(s.UpDownVert, 8);
    if (s.HorzScrollThumb) s.HorzScrollThumb->Frame = d.Integer("HorzScrollThumb", "FrameCount", 3);
    if (s.VertScrollThumb) s.VertScrollThumb->Frame = d.Integer("VertScrollThumb", "FrameCount", 3);
}

// The bitmaps the load derives from the others (skin_content.cpp): the
// mirrored combo button, the combo box composite and arrow, the tool bar
// gradient and the built-in track grooves, plus the face brush.
void CountDerived(Describer& d, const SkinDescription& s)
{
    constexpr int kCompositeWidth = 50, kCompositeHeight = 21, kArrowSide = 17;
    const bool button = s.ComboButton && s.ComboButton->Bitmap;
    if (button) d.Use(s.ComboButton->Bitmap->width, s.ComboButton->Bitmap->height, "the mirrored combo button");
    if (s.ComboButton && s.SunkEdge) {
        const int64_t n = std::max(s.SunkEdge->Frame, 1);
        d.Use(kCompositeWidth * n, kCompositeHeight, "the combo box picture");
        d.Use(kCompositeWidth * n, kCompositeHeight, "the combo box picture");
        d.Use(kArrowSide * n, kArrowSide, "the combo arrow");
    } else if (button) {
        d.Use(s.ComboButton->Bitmap->width, s.ComboButton->Bitmap->height, "the combo arrow");
    }
    d.Use(10, 40, "the tool bar gradient");
    if (!s.Track) d.Use(16, 4, "the track groove");
    if (!s.TrackVert) d.Use(4, 16, "the track groove");
    d.Use(1, 1, "the face brush");
}

}  // namespace

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

int32_t CheckStripFrames(int width, int height)
{
    const int32_t frames = width / (height < 16 ? 13 : 16);
    return frames < 4 ? 4 : frames;
}

bool DescribeSkin(const TQuickIni& ini, const TSkinReader* reader, const SkinLimits& limits,
                  SkinDescription& description, std::string& reason)
{
    description = SkinDescription();
    if (ini.Truncated()) {
        reason = "its description has more than " + std::to_string(TQuickIni::kMaxLines) + " lines";
        return false;
    }
    try {
        Describer d(ini, reader, limits, description);
        SkinDescription& s = description;
        std::vector<std::string> sections;
        ini.GetSectionNames(sections);
        s.SkinName = d.Text("TitlebarSkin", "SkinName");

        DescribeWindowBorder(d, "Left", s.BorderLeft);
        DescribeWindowBorder(d, "Right", s.BorderRight);
        DescribeWindowBorder(d, "Top", s.BorderTop);
        DescribeWindowBorder(d, "Bottom", s.BorderBottom);
        DescribeColours(d, sections);
        d.buttonText = s.Colours.ButtonText;
        DescribeSysButtons(d, sections);
        DescribeButtons(d, s.Buttons);
        DescribeTitle(d, s.Title);

        s.Progress = DescribeProgress(d);
        s.ProgressChunk = DescribeGeneric(d, "Progress.Chunk");
        s.MenuBar = DescribeMenuBar(d);
        s.GroupBoxEdge = DescribeGeneric(d, "GroupBoxEdge");
        s.GroupBox = DescribeGroupBox(d);
        s.Tabs = DescribeWithSecondImage(d, "Tabs", "Border");
        s.StatusBarEdges = DescribeGeneric(d, "StatusBarEdges");
        s.TabPane = DescribeGeneric(d, "Tab.Pane");
        if (s.TabPane) CapMargins(*s.TabPane, 4);
        s.ToolBars = DescribeGeneric(d, "ToolBars");
        // No skin has a second ComboButton image ("****"): the mirror is
        // made from the first when the elements are built.
        s.ComboButton = DescribeWithSecondImage(d, "ComboButton", "****");
        s.SunkEdge = DescribeGeneric(d, "SunkEdge");
        s.ExtraImages = DescribeGeneric(d, "ExtraImages");
        s.Headerbar = DescribeGeneric(d, "Headerbar");
        s.MenuItem = DescribeGeneric(d, "MenuItem");
        s.MenuBackground = DescribeGeneric(d, "MenuBackground");
        s.Scrollbar = DescribeGeneric(d, "Scrollbar");
        s.HorzScroll = DescribeGeneric(d, "HorzScroll");
        s.VertScroll = DescribeGeneric(d, "VertScroll");
        s.HorzScrollThumb = DescribeGeneric(d, "HorzScrollThumb");
        s.VertScrollThumb = DescribeGeneric(d, "VertScrollThumb");
        s.TrackbarThumbHorz = DescribeGeneric(d, "Trackbar.ThumbHorz");
        s.TrackbarThumbVert = DescribeGeneric(d, "Trackbar.ThumbVert");
        s.TrackbarThumbLeft = DescribeGeneric(d, "Trackbar.ThumbLeft");
        s.TrackbarThumbRight = DescribeGeneric(d, "Trackbar.ThumbRight");
        s.TrackbarThumbUp = DescribeGeneric(d, "Trackbar.ThumbUp");
        s.TrackbarThumbDown = DescribeGeneric(d, "Trackbar.ThumbDown");
        s.UpDownHorz = DescribeWithSecondImage(d, "UpDown.Horz", "GlyphImage");
        s.UpDownVert = DescribeWithSecondImage(d, "UpDown.Vert", "GlyphImage");
        s.Track = DescribeGeneric(d, "Track");
        s.TrackVert = DescribeGeneric(d, "TRACKVERT");

        ApplyFrameCounts(d, s);
        CountDerived(d, s);
    } catch (const Refusal& refusal) {
        reason = refusal.reason;
        return false;
    }
    return true;
}

std::optional<SkinColour> SkinColourForSystemIndex(const SkinColourValues& c, int index)
{
    // COLOR_* numbers of the platform.
    switch (index) {
    case 0: return c.Scrollbar;
    case 4: return c.Menu;
    case 5: return c.Window;
    case 7: return c.MenuText;
    case 8: return c.WindowText;
    case 9: return c.TitleTextActive;
    case 13: return c.Hilight;
    case 14: return c.HilightText;
    case 15: return c.ButtonFace;
    case 16: return c.ButtonShadow;
    case 18: return c.ButtonText;
    case 19: return c.TitleTextNoActive;
    case 20: return c.ButtonHilight;
    case 21: return c.ButtonDkShadow;
    default: return std::nullopt;
    }
}

}  // namespace quorvane
