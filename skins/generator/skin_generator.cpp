// Generates the shipped skins: for each skin, one folder holding the skin
// description (skin.ini) and every BMP image it names, drawn from the
// palette and metrics below. Run: skin_generator OUTDIR [NAME...]
//
// Everything a skin looks like is in its SkinStyle: colours, border widths,
// title height, corner radius and control sizes. The drawing code turns a
// style into pictures; nothing is drawn by hand.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "skins/generator/raster.h"

namespace skingen {
namespace {

struct Palette {
    Rgb face;           // dialog and control background (ButtonFace)
    Rgb field;          // edit fields, buttons, menus
    Rgb text;           // ordinary text
    Rgb fieldText;      // text in edit fields, lists and trees (WindowText)
    Rgb textDisabled;
    Rgb border;         // control outlines
    Rgb borderStrong;   // check box and radio outlines
    Rgb borderDisabled;
    Rgb accent;
    Rgb accentHot;
    Rgb accentPressed;
    Rgb accentSoft;     // light accent fill (hot tool buttons, pressed boxes)
    Rgb accentText;     // text on accent
    Rgb selection;      // selected items in lists and trees (Hilight), under accentText
    Rgb button, buttonHot, buttonPressed;  // push button fills
    Rgb hover;          // neutral hot fill
    Rgb pressed;        // neutral pressed fill
    Rgb title;          // active title bar and window frame
    Rgb titleInactive;
    Rgb titleText;
    Rgb titleTextInactive;
    Rgb outline;        // one-pixel window outline
    Rgb outlineInactive;
    Rgb separator;      // hairlines between frame and client, header lines
    Rgb highlightLine;  // top inner highlight of the frame (Rgb == title: none)
    Rgb glyph;          // caption and arrow glyphs
    Rgb closeHot;
    Rgb closePressed;
    Rgb menuBorder;
    Rgb track;          // scroll bar tracks
    Rgb thumb, thumbHot, thumbPressed;
    Rgb progressTrack;
    Rgb shadow;         // ButtonShadow
    Rgb darkShadow;     // ButtonDkShadow
    Rgb light;          // ButtonHilight
};

struct Metrics {
    int border;        // left, right and bottom frame width
    int title;         // title bar height (FrameTop)
    int radius;        // window corner radius
    int captionW, captionH, captionGap;
    int fontHeight;
};

struct SkinStyle {
    std::string folder;
    std::string name;
    Palette p;
    Metrics m;
};

// ---------------------------------------------------------------- styles

SkinStyle LightStyle() {
    Palette p;
    p.face = {243, 244, 246};
    p.field = {255, 255, 255};
    p.text = {31, 35, 40};
    p.fieldText = p.text;
    p.textDisabled = {160, 166, 174};
    p.border = {197, 202, 210};
    p.borderStrong = {134, 142, 153};
    p.borderDisabled = {214, 218, 223};
    p.accent = {37, 99, 235};
    p.accentHot = {29, 84, 214};
    p.accentPressed = {30, 64, 175};
    p.accentSoft = {219, 231, 253};
    p.accentText = {255, 255, 255};
    p.selection = p.accent;
    p.button = p.field;
    p.buttonHot = Mix(p.field, p.accentSoft, 0.55);
    p.buttonPressed = {214, 218, 225};
    p.hover = {229, 232, 237};
    p.pressed = {214, 218, 225};
    p.title = {250, 251, 252};
    p.titleInactive = {246, 247, 248};
    p.titleText = {31, 35, 40};
    p.titleTextInactive = {140, 146, 154};
    p.outline = {146, 154, 166};
    p.outlineInactive = {192, 197, 204};
    p.separator = {226, 229, 234};
    p.highlightLine = p.title;
    p.glyph = {60, 66, 75};
    p.closeHot = {224, 36, 48};
    p.closePressed = {190, 28, 40};
    p.menuBorder = {200, 205, 212};
    p.track = p.face;
    p.thumb = {194, 199, 207};
    p.thumbHot = {163, 170, 180};
    p.thumbPressed = {128, 136, 147};
    p.progressTrack = {226, 229, 234};
    p.shadow = {160, 166, 174};
    p.darkShadow = {100, 106, 115};
    p.light = {255, 255, 255};
    return SkinStyle{"light", "Quorvane Light", p, Metrics{4, 30, 8, 30, 22, 2, 14}};
}

SkinStyle DarkStyle() {
    Palette p;
    p.face = {32, 34, 38};
    p.field = {24, 26, 29};
    p.text = {230, 232, 235};
    p.fieldText = p.text;
    p.textDisabled = {108, 113, 121};
    p.border = {64, 68, 76};
    p.borderStrong = {124, 130, 140};
    p.borderDisabled = {52, 55, 61};
    p.accent = {76, 141, 255};
    p.accentHot = {106, 161, 255};
    p.accentPressed = {56, 116, 228};
    p.accentSoft = {36, 55, 88};
    p.accentText = {255, 255, 255};
    // Darker than the accent: white on it reads at 5.7 : 1 (on the accent
    // itself only 3.2 : 1).
    p.selection = {40, 96, 210};
    p.button = {46, 49, 55};
    p.buttonHot = {54, 59, 68};
    p.buttonPressed = {37, 39, 44};
    p.hover = {50, 53, 59};
    p.pressed = {62, 66, 73};
    p.title = {42, 45, 51};
    p.titleInactive = {36, 38, 43};
    p.titleText = {236, 238, 241};
    p.titleTextInactive = {128, 134, 142};
    p.outline = {14, 15, 17};
    p.outlineInactive = {22, 23, 26};
    p.separator = {54, 58, 65};
    p.highlightLine = {60, 64, 71};
    p.glyph = {206, 210, 216};
    p.closeHot = {214, 45, 56};
    p.closePressed = {176, 34, 44};
    p.menuBorder = {72, 77, 86};
    p.track = p.face;
    p.thumb = {76, 81, 90};
    p.thumbHot = {98, 104, 114};
    p.thumbPressed = {124, 131, 142};
    p.progressTrack = {52, 56, 63};
    p.shadow = {96, 102, 110};
    p.darkShadow = {12, 13, 15};
    p.light = {70, 75, 83};
    return SkinStyle{"dark", "Quorvane Dark", p, Metrics{6, 36, 10, 36, 26, 2, 15}};
}

// Not shipped: the dark skin repainted in colours no other skin uses, with
// field text unlike face text, to check that every text is drawn in the
// colours a package gives.
SkinStyle RecolouredStyle() {
    SkinStyle s = DarkStyle();
    Palette& p = s.p;
    p.face = {72, 24, 96};
    p.field = {12, 64, 56};
    p.text = {255, 226, 110};
    p.fieldText = {160, 255, 205};
    p.textDisabled = Mix(p.text, p.face, 0.5);
    p.accent = {255, 128, 40};
    p.accentHot = {255, 150, 70};
    p.accentPressed = {220, 100, 20};
    p.accentSoft = {110, 50, 90};
    p.accentText = {24, 8, 0};
    p.selection = p.accent;
    p.button = {96, 40, 124};
    p.buttonHot = {116, 54, 146};
    p.buttonPressed = {60, 18, 80};
    p.hover = {100, 44, 128};
    p.pressed = {120, 60, 150};
    p.title = {90, 30, 112};
    p.titleInactive = {80, 28, 100};
    p.titleText = p.text;
    p.track = p.face;
    s.folder = "recoloured";
    s.name = "Quorvane Recoloured";
    return s;
}

// ------------------------------------------------------------ the skin file

// Collects the INI text and the images of one skin.
class SkinWriter {
public:
    explicit SkinWriter(std::string dir) : dir_(std::move(dir)) {}

    void Section(const std::string& name) { ini_ << (ini_.tellp() > 0 ? "\r\n[" : "[") << name << "]\r\n"; }
    void Key(const std::string& key, const std::string& value) { ini_ << key << "=" << value << "\r\n"; }
    void Key(const std::string& key, int value) { Key(key, std::to_string(value)); }
    void Colour(const std::string& key, Rgb c) { Key(key, Text(c)); }
    // Stores an image and writes the key naming it.
    void ImageKey(const std::string& key, const std::string& file, const Image& image) {
        images_[file] = image;
        Key(key, file);
    }
    void Margins(int left, int top, int right, int bottom) {
        Key("LeftWidth", left);
        Key("TopHeight", top);
        Key("RightWidth", right);
        Key("BottomHeight", bottom);
    }

    bool Save() const {
        for (const auto& [file, image] : images_)
            if (!image.save(dir_ + "/" + file)) return false;
        std::ofstream out(dir_ + "/skin.ini", std::ios::binary);
        out << ini_.str();
        return static_cast<bool>(out);
    }

private:
    std::string dir_;
    std::ostringstream ini_;
    std::map<std::string, Image> images_;
};

// ------------------------------------------------------------ shapes

// A chevron pointing down (dx = 0, dy = 1), up, left or right, centred on
// (cx, cy), `size` pixels across its open side.
void Chevron(Image& img, double cx, double cy, double size, int dx, int dy, Rgb colour, Edge edge,
             double width = 1.5) {
    const double h = size / 2, d = size / 4;
    std::vector<std::pair<double, double>> pts;
    if (dy != 0)
        pts = {{cx - h, cy - d * dy}, {cx, cy + d * dy}, {cx + h, cy - d * dy}};
    else
        pts = {{cx - d * dx, cy - h}, {cx + d * dx, cy}, {cx - d * dx, cy + h}};
    StrokePolyline(img, pts, width, colour, edge);
}

// ------------------------------------------------------------ window frame

struct FrameTemplate {
    Image active, inactive;
    int width, height;
};

// A whole small window, drawn once per activation state; the four border
// elements are cut out of it, so corners and edges always meet.
Image DrawWindowTemplate(const SkinStyle& s, bool active, int w, int h) {
    const Palette& p = s.p;
    const Metrics& m = s.m;
    const Rgb frame = active ? p.title : p.titleInactive;
    Image img(w, h);
    FillRoundRect(img, 0, 0, w, h, m.radius, Solid(frame), Edge::Hard());
    // Client area and the hairlines around it.
    img.fill(m.border, m.title, w - m.border, h - m.border, p.face);
    img.hline(m.border, w - m.border, m.title - 1, p.separator);
    img.vline(m.border - 1, m.title, h - m.border + 1, p.separator);
    img.vline(w - m.border, m.title, h - m.border + 1, p.separator);
    img.hline(m.border - 1, w - m.border + 1, h - m.border, p.separator);
    if (!(p.highlightLine == p.title) && active)
        StrokeRoundRect(img, 1, 1, w - 1, h - 1, m.radius - 1, p.highlightLine, Edge::Hard());
    StrokeRoundRect(img, 0, 0, w, h, m.radius, active ? p.outline : p.outlineInactive, Edge::Hard());
    return img;
}

void WriteBorders(SkinWriter& out, const SkinStyle& s) {
    const Metrics& m = s.m;
    const int cap = std::max(1, m.radius - m.border + 1);  // corner part of top and bottom
    const int w = 2 * m.border + 2 * cap + 24;
    const int h = m.title + m.radius + 24;
    Image frames[2] = {DrawWindowTemplate(s, true, w, h), DrawWindowTemplate(s, false, w, h)};
    auto cut = [&](int x, int y, int cw, int ch, bool stacked) {
        return Strip({frames[0].crop(x, y, cw, ch), frames[1].crop(x, y, cw, ch)}, stacked);
    };
    // Keys are "<Part>", "<Part>TopHeight", "<Part>BotHeight" (for Top and
    // Bottom: the left and right cap widths), "<Part>Frame", "<Part>Stretch"
    // and "<Part>Trans".
    struct Part {
        const char* name;
        Image image;
        int first, second;
    };
    const int bottomKeep = std::max(m.radius, m.border);
    Part parts[] = {
        {"Left", cut(0, 0, m.border, h, false), m.title, bottomKeep},
        {"Right", cut(w - m.border, 0, m.border, h, false), m.title, bottomKeep},
        {"Top", cut(m.border, 0, w - 2 * m.border, m.title, true), cap, cap},
        {"Bottom", cut(m.border, h - m.border, w - 2 * m.border, m.border, true), cap, cap},
    };
    for (const Part& part : parts) {
        std::string n = part.name;
        std::string file = n;
        for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out.ImageKey(n, "frame_" + file + ".bmp", part.image);
        out.Key(n + "TopHeight", part.first);
        out.Key(n + "BotHeight", part.second);
        out.Key(n + "Frame", 2);
        out.Key(n + "Stretch", 1);
        out.Key(n + "Trans", 1);
    }
}

// ------------------------------------------------------------ caption buttons

enum class Glyph { Close, Maximise, Restore, Minimise };

void DrawCaptionGlyph(Image& img, int ox, int oy, int w, int h, Glyph glyph, Rgb colour, Rgb backdrop, int size) {
    const int gx = ox + (w - size) / 2, gy = oy + (h - size) / 2;
    switch (glyph) {
        case Glyph::Close:
            StrokePolyline(img, {{gx + 0.5, gy + 0.5}, {gx + size - 0.5, gy + size - 0.5}}, 1.25, colour,
                           Edge::Over(backdrop));
            StrokePolyline(img, {{gx + size - 0.5, gy + 0.5}, {gx + 0.5, gy + size - 0.5}}, 1.25, colour,
                           Edge::Over(backdrop));
            break;
        case Glyph::Maximise:
            StrokeRoundRect(img, gx, gy, gx + size, gy + size, 1.5, colour, Edge::Over(backdrop));
            break;
        case Glyph::Restore: {
            const int s2 = size - 2;
            StrokeRoundRect(img, gx, gy + 2, gx + s2, gy + 2 + s2, 1.5, colour, Edge::Over(backdrop));
            img.hline(gx + 2, gx + size - 1, gy, colour);
            img.vline(gx + size - 1, gy, gy + size - 2, colour);
            break;
        }
        case Glyph::Minimise:
            img.hline(gx, gx + size, gy + size / 2, colour);
            break;
    }
}

// Four frames: 1 normal, 2 pressed, 3 hot, 4 inactive window.
Image CaptionButton(const SkinStyle& s, Glyph glyph, bool danger, int w, int h, Rgb backdrop, Rgb backdropInactive,
                    int glyphSize) {
    const Palette& p = s.p;
    std::vector<Image> frames;
    for (int state = 1; state <= 4; ++state) {
        Image f(w, h);
        Rgb fill{}, colour = p.glyph, under = state == 4 ? backdropInactive : backdrop;
        bool filled = state == 2 || state == 3;
        if (filled) {
            fill = danger ? (state == 2 ? p.closePressed : p.closeHot) : (state == 2 ? p.pressed : p.hover);
            FillRoundRect(f, 0, 0, w, h, 4, Solid(fill), Edge::Over(under));
            if (danger) colour = Rgb{255, 255, 255};
            under = fill;
        }
        if (state == 4) colour = p.titleTextInactive;
        DrawCaptionGlyph(f, 0, 0, w, h, glyph, colour, under, glyphSize);
        frames.push_back(f);
    }
    return Strip(frames);
}

Image AppIcon(const SkinStyle& s) {
    Image icon(16, 16);
    FillRoundRect(icon, 0, 0, 16, 16, 4, Vertical(s.p.accentHot, s.p.accent, 0, 16), Edge::Over(s.p.title));
    // A speech bubble: the reader speaks.
    FillRoundRect(icon, 3, 4, 13, 10.5, 2, Solid(s.p.accentText), Edge::Hard());
    StrokePolyline(icon, {{5.5, 10}, {5, 12.5}, {8, 10}}, 1.4, s.p.accentText, Edge::Hard());
    return icon;
}

void WriteCaptionButtons(SkinWriter& out, const SkinStyle& s) {
    const Metrics& m = s.m;
    const int w = m.captionW, h = m.captionH, y = (m.title - h) / 2;
    const int glyph = m.captionH >= 26 ? 10 : 9;
    struct Button {
        const char* section;
        const char* file;
        Glyph glyph;
        int action, slot, visibility, visibility1;
    };
    // Slots from the right edge: 0 close, 1 maximise/restore, 2 minimise.
    const Button buttons[] = {
        {"Button.Close", "caption_close.bmp", Glyph::Close, 0, 0, 0, 0},
        {"Button.Maximize", "caption_maximize.bmp", Glyph::Maximise, 1, 1, 2, 0},
        {"Button.Restore", "caption_restore.bmp", Glyph::Restore, 1, 1, 1, 0},
        {"Button.Minimize", "caption_minimize.bmp", Glyph::Minimise, 2, 2, 0, 0},
    };
    for (const Button& b : buttons) {
        out.Section(b.section);
        out.Key("Action", b.action);
        out.Key("Align", 1);  // from the right edge
        out.Key("Xcoord", m.border + 4 + (b.slot + 1) * w + b.slot * m.captionGap);
        out.Key("Ycoord", y);
        out.Key("Visibility", b.visibility);
        out.Key("Visibility1", b.visibility1);
        out.Key("CombineOp", -1);
        out.Key("frame", 4);
        out.ImageKey("ButtonImage", b.file,
                     CaptionButton(s, b.glyph, b.action == 0, w, h, s.p.title, s.p.titleInactive, glyph));
    }
    out.Section("Button.SysIcon");
    out.Key("Action", 3);
    out.Key("Align", 0);
    out.Key("Xcoord", m.border + 8);
    out.Key("Ycoord", (m.title - 16) / 2);
    out.Key("Visibility", 0);
    out.Key("Visibility1", 0);
    out.Key("frame", 1);
    out.ImageKey("ButtonImage", "caption_icon.bmp", AppIcon(s));

    // MDI child buttons shown in the menu bar: minimise, restore, close,
    // 4 frames each (1 normal, 2 pressed, 3 and 4 hot).
    std::vector<Image> mdi;
    for (Glyph g : {Glyph::Minimise, Glyph::Restore, Glyph::Close}) {
        Image strip = CaptionButton(s, g, g == Glyph::Close, 18, 16, s.p.title, s.p.title, 8);
        Image hot = strip.crop(2 * 18, 0, 18, 16);
        mdi.push_back(strip.crop(0, 0, 18, 16));
        mdi.push_back(strip.crop(18, 0, 18, 16));
        mdi.push_back(hot);
        mdi.push_back(hot);
    }
    out.Section("MDICONTROLS");
    out.ImageKey("Image", "mdi_controls.bmp", Strip(mdi));
}

// ------------------------------------------------------------ push buttons

enum State { kNormal = 1, kPressed = 2, kDisabled = 3, kHot = 4, kFocused = 5 };

Image PushButtonFrame(const Palette& p, int state, int w, int h) {
    Image f(w, h);
    Rgb fill = p.button, line = p.border;
    switch (state) {
        case kPressed: fill = p.buttonPressed; line = p.borderStrong; break;
        case kDisabled: fill = p.face; line = p.borderDisabled; break;
        case kHot: fill = p.buttonHot; line = Mix(p.border, p.accent, 0.45); break;
        case kFocused: line = p.accent; break;
        default: break;
    }
    FillRoundRect(f, 0, 0, w, h, 4, Solid(fill), Edge::Over(p.face));
    StrokeRoundRect(f, 0, 0, w, h, 4, line, Edge::Over(p.face));
    if (state == kFocused) StrokeRoundRect(f, 1, 1, w - 1, h - 1, 3, Mix(fill, p.accent, 0.35), Edge::Over(p.face));
    return f;
}

// Check boxes: 12 frames (unchecked, checked, indeterminate; each normal,
// hot, pressed, disabled). Radio buttons: 8 frames (unchecked, checked).
Image CheckFrame(const Palette& p, int mark, int look, bool round) {
    Image f(16, 16);
    const Edge edge = Edge::Over(p.face);
    const double r = round ? 7 : 3;
    if (mark == 0) {
        Rgb fill = look == 3 ? p.accentSoft : (look == 4 ? p.face : p.field);
        Rgb line = look == 2 || look == 3 ? p.accent : (look == 4 ? p.borderDisabled : p.borderStrong);
        FillRoundRect(f, 1, 1, 15, 15, r, Solid(fill), edge);
        StrokeRoundRect(f, 1, 1, 15, 15, r, line, edge);
        return f;
    }
    Rgb fill = look == 2 ? p.accentHot : look == 3 ? p.accentPressed : look == 4 ? p.borderDisabled : p.accent;
    Rgb ink = look == 4 ? p.face : p.accentText;
    FillRoundRect(f, 1, 1, 15, 15, r, Solid(fill), edge);
    if (round)
        FillRoundRect(f, 5, 5, 11, 11, 3, Solid(ink), Edge::Over(fill));
    else if (mark == 1)
        StrokePolyline(f, {{4.3, 8.2}, {6.9, 10.8}, {11.7, 5.4}}, 1.7, ink, Edge::Over(fill));
    else
        FillRoundRect(f, 4.5, 7.2, 11.5, 8.8, 0.8, Solid(ink), Edge::Over(fill));
    return f;
}

void WriteButtons(SkinWriter& out, const SkinStyle& s) {
    const Palette& p = s.p;
    std::vector<Image> frames;
    for (int state = 1; state <= 5; ++state) frames.push_back(PushButtonFrame(p, state, 32, 24));
    std::vector<Image> checks, radios;
    for (int mark = 0; mark < 3; ++mark)
        for (int look = 1; look <= 4; ++look) checks.push_back(CheckFrame(p, mark, look, false));
    for (int mark = 0; mark < 2; ++mark)
        for (int look = 1; look <= 4; ++look) radios.push_back(CheckFrame(p, mark, look, true));
    out.Section("Buttons");
    out.ImageKey("Bitmap", "buttons.bmp", Strip(frames));
    out.Margins(5, 5, 5, 5);
    out.Key("Trans", 1);
    out.Key("Tile", 0);
    out.ImageKey("CheckButton", "check.bmp", Strip(checks));
    out.ImageKey("RadioButton", "radio.bmp", Strip(radios));
    out.Key("CheckButtonFrame", 12);
    out.Key("RadioButtonFrame", 8);
    out.Key("NormalColour", -1);
    out.Key("MouseOverColour", -1);
    out.Key("PressedColour", -1);
    out.Colour("NormalColour2", p.text);
    out.Colour("MouseOverColour2", p.text);
    out.Colour("PressedColour2", p.text);
}

// ------------------------------------------------------------ generic elements

struct Element {
    std::string section, imageKey = "Image", file;
    Image image;
    int left = 0, top = 0, right = 0, bottom = 0;
    int frames = 1, trans = 1, tile = 0, style = 0;
    bool writeFrame = true;
    Rgb normal, hot, pressed;  // text colours
};

void WriteElement(SkinWriter& out, const Element& e) {
    out.Section(e.section);
    out.ImageKey(e.imageKey, e.file, e.image);
    out.Key("Style", e.style);
    out.Margins(e.left, e.top, e.right, e.bottom);
    if (e.writeFrame) out.Key("Frame", e.frames);
    out.Key("Trans", e.trans);
    out.Key("Tile", e.tile);
    out.Key("NormalColour", -1);
    out.Key("MouseOverColour", -1);
    out.Key("PressedColour", -1);
    out.Colour("NormalColour2", e.normal);
    out.Colour("MouseOverColour2", e.hot);
    out.Colour("PressedColour2", e.pressed);
}

Element Make(const Palette& p, std::string section, std::string file, Image image, int frames, int margin) {
    Element e;
    e.section = std::move(section);
    e.file = std::move(file);
    e.image = std::move(image);
    e.frames = frames;
    e.left = e.top = e.right = e.bottom = margin;
    e.normal = e.hot = e.pressed = p.text;
    return e;
}

// A rounded fill inset in a frame, or nothing: hot and pressed backgrounds
// of flat buttons (tool bar, combo button, menu item).
Image FlatFrame(int w, int h, double inset, double radius, const Rgb* fill, const Rgb* line, Rgb backdrop) {
    Image f(w, h);
    if (fill) FillRoundRect(f, inset, inset, w - inset, h - inset, radius, Solid(*fill), Edge::Over(backdrop));
    if (line) StrokeRoundRect(f, inset, inset, w - inset, h - inset, radius, *line, Edge::Over(backdrop));
    return f;
}

Image ArrowFrame(const Palette& p, int dx, int dy, int look) {  // look: 1 normal, 2 pressed, 3 disabled, 4 hot
    Image f(17, 17);
    Rgb under = p.track, ink = p.glyph;
    if (look == 2 || look == 4) {
        under = look == 2 ? p.thumbPressed : p.hover;
        FillRoundRect(f, 2, 2, 15, 15, 3, Solid(under), Edge::Over(p.track));
        if (look == 2) ink = p.field;
    }
    if (look == 3) ink = p.textDisabled;
    Chevron(f, 8.5, 8.5, 7, dx, dy, ink, Edge::Over(under), 1.5);
    return f;
}

Image GripFrame(const Palette& p, bool vertical, int look) {
    Image f(17, 17);
    Rgb thumb = look == 2 ? p.thumbPressed : look == 3 ? p.thumbHot : p.thumb;
    Rgb ink = Mix(thumb, p.glyph, 0.35);
    for (int i = -2; i <= 2; i += 2) {
        if (vertical)
            f.hline(6, 11, 8 + i, ink);
        else
            f.vline(8 + i, 6, 11, ink);
    }
    return f;
}

Image ScrollThumb(const Palette& p, bool vertical) {
    std::vector<Image> frames;
    for (Rgb c : {p.thumb, p.thumbPressed, p.thumbHot}) {
        Image f(vertical ? 17 : 30, vertical ? 30 : 17);
        if (vertical)
            FillRoundRect(f, 4, 1, 13, 29, 4.5, Solid(c), Edge::Over(p.track));
        else
            FillRoundRect(f, 1, 4, 29, 13, 4.5, Solid(c), Edge::Over(p.track));
        frames.push_back(f);
    }
    return Strip(frames);
}

Image Field(const Palette& p, int state, int w, int h) {  // SunkEdge: 1 normal, 2 pressed, 3 disabled, 4 hot
    Image f(w, h);
    Rgb fill = state == 3 ? p.face : p.field;
    Rgb line = state == 2 ? p.accent : state == 3 ? p.borderDisabled : state == 4 ? p.borderStrong : p.border;
    FillRoundRect(f, 0, 0, w, h, 4, Solid(fill), Edge::Over(p.face));
    StrokeRoundRect(f, 0, 0, w, h, 4, line, Edge::Over(p.face));
    return f;
}

// Track bar thumbs: a rounded body, optionally pointing to one side.
Image TrackThumb(const Palette& p, int w, int h, int pointDx, int pointDy, int look) {
    Image f(w, h);
    Rgb line = look == 3 ? p.borderDisabled : look == 4 ? p.accentHot : p.accent;
    Rgb fill = look == 4 ? p.accentSoft : look == 3 ? p.face : p.field;
    const double tip = (pointDx || pointDy) ? std::min(w, h) / 2.0 : 0;
    auto inside = [=](double x, double y, double inset) {
        double x0 = inset + (pointDx < 0 ? tip : 0), x1 = w - inset - (pointDx > 0 ? tip : 0);
        double y0 = inset + (pointDy < 0 ? tip : 0), y1 = h - inset - (pointDy > 0 ? tip : 0);
        double r = (pointDx || pointDy) ? 2.5 : std::min(w, h) / 2.0 - inset;
        if (InRoundRect(x, y, x0, y0, x1, y1, r)) return true;
        if (pointDy) {  // triangle below or above the body
            double base = pointDy > 0 ? y1 : y0, apex = pointDy > 0 ? h - inset : inset;
            double t = (y - base) / (apex - base);
            double half = (w / 2.0 - inset) * (1 - t);
            return t >= 0 && t <= 1 && std::abs(x - w / 2.0) <= half;
        }
        if (pointDx) {
            double base = pointDx > 0 ? x1 : x0, apex = pointDx > 0 ? w - inset : inset;
            double t = (x - base) / (apex - base);
            double half = (h / 2.0 - inset) * (1 - t);
            return t >= 0 && t <= 1 && std::abs(y - h / 2.0) <= half;
        }
        return false;
    };
    PaintShape(f, [&](double x, double y) { return inside(x, y, 0); }, Solid(line), Edge::Over(p.face));
    const double lineWidth = look == 5 ? 2 : 1.2;
    PaintShape(f, [&](double x, double y) { return inside(x, y, lineWidth); }, Solid(fill), Edge::Over(line));
    return f;
}

void WriteControls(SkinWriter& out, const SkinStyle& s) {
    const Palette& p = s.p;
    const Edge overFace = Edge::Over(p.face);

    // Progress bar: 1 track, 2 filled part; the chunk is for the chunked style.
    {
        Image track(24, 12), fill(24, 12);
        FillRoundRect(track, 0, 0, 24, 12, 4, Solid(p.progressTrack), overFace);
        FillRoundRect(fill, 0, 0, 24, 12, 4, Vertical(p.accentHot, p.accent, 0, 12), Edge::Over(p.progressTrack));
        Element e = Make(p, "Progress", "progress.bmp", Strip({track, fill}), 2, 5);
        e.imageKey = "Bitmap";
        e.writeFrame = false;
        out.Section(e.section);
        out.ImageKey(e.imageKey, e.file, e.image);
        out.Key("Style", 0);
        out.Margins(5, 4, 5, 4);
        out.Key("Trans", 1);
        out.Key("Tile", 0);
        Image chunk(8, 8);
        FillRoundRect(chunk, 0, 0, 6, 8, 1.5, Solid(p.accent), Edge::Over(p.progressTrack));
        Element c = Make(p, "Progress.Chunk", "progress_chunk.bmp", chunk, 1, 0);
        c.tile = 1;
        WriteElement(out, c);
    }

    // Group boxes: a rounded outline, transparent inside.
    {
        Image box(24, 24), dim(24, 24);
        StrokeRoundRect(box, 0, 0, 24, 24, 5, p.border, overFace);
        StrokeRoundRect(dim, 0, 0, 24, 24, 5, p.borderDisabled, overFace);
        Element edge = Make(p, "GroupBoxEdge", "groupbox_edge.bmp", Strip({box, dim}), 2, 6);
        WriteElement(out, edge);
        out.Section("GroupBox");
        out.ImageKey("Image", "groupbox.bmp", box);
        out.Key("Style", 0);
        out.Margins(6, 6, 6, 6);
        out.Key("Trans", 1);
        out.Key("Tile", 0);
        out.Colour("NormalColour2", p.text);
        out.Colour("MouseOverColour2", p.text);
        out.Colour("PressedColour2", p.text);
        out.Key("BackgroundAlignment", 0);
        out.Key("BackgroundLeftShift", 0);
        out.Key("BackgroundRightShift", 0);
    }

    // Tabs: 1 normal, 2 current, 3 hot, 4 disabled, 5 focused current; the
    // page border is the second image.
    {
        const int w = 48, h = 26;
        std::vector<Image> tabs;
        for (int state = 1; state <= 5; ++state) {
            Image t(w, h);
            bool current = state == 2 || state == 5;
            if (current) {
                FillRoundRect(t, 0, 0, w, h + 6, 5, Solid(p.field), overFace);
                StrokeRoundRect(t, 0, 0, w, h + 6, 5, p.border, overFace);
                FillRoundRect(t, 3, 1, w - 3, 3.5, 1.2, Solid(state == 5 ? p.accentHot : p.accent), Edge::Over(p.field));
            } else {
                if (state == 3) FillRoundRect(t, 2, 3, w - 2, h + 6, 4, Solid(p.hover), overFace);
                t.hline(0, w, h - 1, p.border);
            }
            tabs.push_back(t);
        }
        Image pane(16, 16, p.field);
        StrokeRoundRect(pane, 0, 0, 16, 16, 0, p.border, Edge::Hard());
        Element e = Make(p, "Tabs", "tabs.bmp", Strip(tabs), 5, 6);
        e.bottom = 2;
        e.hot = p.text;
        e.normal = Mix(p.text, p.face, 0.3);
        WriteElement(out, e);
        out.ImageKey("Border", "tab_border.bmp", pane);
        Element tp = Make(p, "Tab.Pane", "tab_pane.bmp", pane, 1, 2);
        tp.trans = 0;
        WriteElement(out, tp);
    }

    // Status bar panels: 1 lowered, 2 raised, 3 flat.
    {
        std::vector<Image> edges;
        for (int kind = 1; kind <= 3; ++kind) {
            Image e(12, 12, p.face);
            if (kind == 1) {
                e.hline(0, 12, 0, p.border);
                e.vline(0, 0, 12, p.border);
            } else if (kind == 2) {
                e.hline(0, 12, 11, p.border);
                e.vline(11, 0, 12, p.border);
            }
            edges.push_back(e);
        }
        Element e = Make(p, "StatusBarEdges", "statusbar_edges.bmp", Strip(edges), 3, 2);
        e.trans = 0;
        e.normal = Mix(p.text, p.face, 0.2);
        WriteElement(out, e);
    }

    // Tool bar buttons: 1 normal, 2 pressed, 3 disabled, 4 hot, 5 checked.
    {
        Rgb hotLine = Mix(p.border, p.hover, 0.3);
        std::vector<Image> frames = {
            FlatFrame(24, 24, 1, 4, nullptr, nullptr, p.face), FlatFrame(24, 24, 1, 4, &p.pressed, nullptr, p.face),
            FlatFrame(24, 24, 1, 4, nullptr, nullptr, p.face), FlatFrame(24, 24, 1, 4, &p.hover, &hotLine, p.face),
            FlatFrame(24, 24, 1, 4, &p.accentSoft, &p.accent, p.face)};
        WriteElement(out, Make(p, "ToolBars", "toolbar_buttons.bmp", Strip(frames), 5, 5));
    }

    // Combo box: drop button (1 normal, 2 pressed, 3 disabled, 4 hot) laid
    // over the sunken field, with the arrow glyph from ExtraImages.
    {
        std::vector<Image> buttons = {
            FlatFrame(19, 21, 2, 3, nullptr, nullptr, p.field), FlatFrame(19, 21, 2.5, 3, &p.pressed, nullptr, p.field),
            FlatFrame(19, 21, 2, 3, nullptr, nullptr, p.face), FlatFrame(19, 21, 2.5, 3, &p.hover, nullptr, p.field)};
        Element cb = Make(p, "ComboButton", "combo_button.bmp", Strip(buttons), 4, 4);
        cb.writeFrame = false;
        WriteElement(out, cb);

        std::vector<Image> fields;
        for (int state = 1; state <= 4; ++state) fields.push_back(Field(p, state, 24, 21));
        Element se = Make(p, "SunkEdge", "sunk_edge.bmp", Strip(fields), 4, 4);
        WriteElement(out, se);

        std::vector<Image> extras;
        const Rgb inks[] = {p.glyph, p.text, p.textDisabled, p.accent};
        for (Rgb ink : inks) {
            Image g(12, 12);
            Chevron(g, 6, 6, 8, 0, 1, ink, Edge::Over(p.field), 1.5);
            extras.push_back(g);
        }
        Image grip(12, 12);  // frame 5: the size grip
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col <= row; ++col) grip.fill(9 - col * 3, 3 + row * 3, 11 - col * 3, 5 + row * 3, p.shadow);
        extras.push_back(grip);
        WriteElement(out, Make(p, "ExtraImages", "extra_images.bmp", Strip(extras), 5, 0));
    }

    // Header items: 1 normal, 2 hot, 3 pressed, 4 disabled, 5 focused.
    {
        std::vector<Image> items;
        const Rgb fills[] = {p.field, p.hover, p.pressed, p.field, p.field};
        for (int state = 1; state <= 5; ++state) {
            Image f(40, 22, fills[state - 1]);
            f.hline(0, 40, 21, p.border);
            f.vline(39, 5, 17, p.border);
            if (state == 5) f.hline(0, 39, 20, p.accent);
            items.push_back(f);
        }
        Element e = Make(p, "Headerbar", "header.bmp", Strip(items), 5, 2);
        e.trans = 0;
        WriteElement(out, e);
    }

    // Menus: item 1 normal, 2 separator line (bottom rows), 3 disabled, 4
    // selected, 5 selected (keyboard); the popup background.
    {
        const int w = 24, h = 22;
        Image plain(w, h), separator(w, h), selected(w, h), selectedKey(w, h);
        separator.hline(4, w - 4, h - 5, p.menuBorder);
        FillRoundRect(selected, 2, 1, w - 2, h - 1, 4, Solid(p.accent), Edge::Over(p.field));
        FillRoundRect(selectedKey, 2, 1, w - 2, h - 1, 4, Solid(p.accentHot), Edge::Over(p.field));
        Element e = Make(p, "MenuItem", "menu_item.bmp", Strip({plain, separator, plain, selected, selectedKey}), 5, 6);
        e.top = e.bottom = 4;
        e.hot = p.accentText;
        WriteElement(out, e);

        Image back(24, 24, p.field);
        StrokeRoundRect(back, 0, 0, 24, 24, 0, p.menuBorder, Edge::Hard());
        Element b = Make(p, "MenuBackground", "menu_background.bmp", back, 1, 3);
        b.trans = 0;
        WriteElement(out, b);
    }

    // Scroll bars: the 23-frame arrow and grip strip, tracks and thumbs.
    {
        std::vector<Image> frames;
        const int dirs[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& d : dirs)
            for (int look : {1, 2, 3, 4}) frames.push_back(ArrowFrame(p, d[0], d[1], look));
        for (bool vertical : {false, true})
            for (int look : {1, 2, 3}) frames.push_back(GripFrame(p, vertical, look));
        frames.push_back(Image(17, 17));  // 23: unused
        Element bar = Make(p, "Scrollbar", "scrollbar.bmp", Strip(frames), 23, 0);
        WriteElement(out, bar);

        for (bool vertical : {false, true}) {
            std::vector<Image> tracks;
            for (int state = 1; state <= 4; ++state) {
                Image t(vertical ? 17 : 32, vertical ? 32 : 17, state == 3 ? Mix(p.track, p.field, 0.3) : p.track);
                tracks.push_back(t);
            }
            Element e = Make(p, vertical ? "VertScroll" : "HorzScroll", vertical ? "vscroll.bmp" : "hscroll.bmp",
                             Strip(tracks), 4, 2);
            e.trans = 0;
            WriteElement(out, e);
        }
        for (bool vertical : {false, true}) {
            Element e = Make(p, vertical ? "VertScrollThumb" : "HorzScrollThumb",
                             vertical ? "vscroll_thumb.bmp" : "hscroll_thumb.bmp", ScrollThumb(p, vertical), 3, 0);
            (vertical ? e.top : e.left) = 7;
            (vertical ? e.bottom : e.right) = 7;
            WriteElement(out, e);
            out.Key("FrameCount", 3);
        }
    }

    // Up-down buttons: frames 1-4 the first arrow (normal, pressed,
    // disabled, hot), 5-8 the second; the glyphs are the second image.
    for (bool vertical : {true, false}) {
        const int w = vertical ? 16 : 11, h = vertical ? 11 : 16;
        std::vector<Image> backs, glyphs;
        for (int arrow = 0; arrow < 2; ++arrow)
            for (int state = 1; state <= 4; ++state) {
                Image b(w, h);
                Rgb fill = state == 2 ? p.buttonPressed : state == 4 ? p.buttonHot : state == 3 ? p.face : p.button;
                Rgb line = state == 3 ? p.borderDisabled : p.border;
                FillRoundRect(b, 0, 0, w, h, 3, Solid(fill), Edge::Over(p.face));
                StrokeRoundRect(b, 0, 0, w, h, 3, line, Edge::Over(p.face));
                backs.push_back(b);
                Image g(w, h);
                Rgb ink = state == 3 ? p.textDisabled : state == 2 ? p.text : state == 4 ? p.accent : p.glyph;
                int dx = vertical ? 0 : (arrow == 0 ? -1 : 1), dy = vertical ? (arrow == 0 ? -1 : 1) : 0;
                Chevron(g, w / 2.0, h / 2.0, 6, dx, dy, ink, Edge::Over(fill), 1.4);
                glyphs.push_back(g);
            }
        Element e = Make(p, vertical ? "UpDown.Vert" : "UpDown.Horz", vertical ? "updown_vert.bmp" : "updown_horz.bmp",
                         Strip(backs), 8, 3);
        e.writeFrame = false;
        WriteElement(out, e);
        out.ImageKey("GlyphImage", vertical ? "updown_vert_glyphs.bmp" : "updown_horz_glyphs.bmp", Strip(glyphs));
    }

    // Track bars: the channels and six thumbs (1 normal, 2 normal, 3
    // disabled, 4 hot, 5 focused).
    {
        Image track(16, 4), trackVert(4, 16);
        FillRoundRect(track, 0, 0, 16, 4, 2, Solid(p.progressTrack), overFace);
        StrokeRoundRect(track, 0, 0, 16, 4, 2, Mix(p.border, p.progressTrack, 0.3), overFace);
        FillRoundRect(trackVert, 0, 0, 4, 16, 2, Solid(p.progressTrack), overFace);
        StrokeRoundRect(trackVert, 0, 0, 4, 16, 2, Mix(p.border, p.progressTrack, 0.3), overFace);
        Element t = Make(p, "Track", "track.bmp", track, 1, 0);
        t.left = t.right = 3;
        WriteElement(out, t);
        Element tv = Make(p, "TRACKVERT", "track_vert.bmp", trackVert, 1, 0);
        tv.top = tv.bottom = 3;
        WriteElement(out, tv);

        struct Thumb {
            const char* section;
            const char* file;
            int w, h, dx, dy;
        };
        const Thumb thumbs[] = {
            {"Trackbar.ThumbHorz", "thumb_horz.bmp", 11, 20, 0, 0},
            {"Trackbar.ThumbVert", "thumb_vert.bmp", 20, 11, 0, 0},
            {"Trackbar.ThumbLeft", "thumb_left.bmp", 20, 11, -1, 0},
            {"Trackbar.ThumbRight", "thumb_right.bmp", 20, 11, 1, 0},
            {"Trackbar.ThumbUp", "thumb_up.bmp", 11, 20, 0, -1},
            {"Trackbar.ThumbDown", "thumb_down.bmp", 11, 20, 0, 1},
        };
        for (const Thumb& th : thumbs) {
            std::vector<Image> frames;
            for (int look = 1; look <= 5; ++look) frames.push_back(TrackThumb(p, th.w, th.h, th.dx, th.dy, look));
            WriteElement(out, Make(p, th.section, th.file, Strip(frames), 5, 0));
        }
    }
}

// ------------------------------------------------------------ the whole skin

void WritePersonality(SkinWriter& out, const SkinStyle& s) {
    const Palette& p = s.p;
    const Metrics& m = s.m;
    out.Section("TitlebarSkin");
    out.Key("SkinName", s.name);

    out.Section("Personality");
    WriteBorders(out, s);
    // The menu bar continues the title bar: frame 1 active, 2 inactive.
    out.ImageKey("menuBar", "menubar.bmp", Strip({Image(12, 20, p.title), Image(12, 20, p.titleInactive)}, true));
    out.Key("TileMenu", 1);
    out.Key("TileLeftMenu", 1);
    out.Key("TileRightMenu", 1);
    // Title text: after the icon, clipped before the caption buttons, on an
    // optional soft background (frames 1 active, 2 inactive).
    // (The title element is drawn opaque: its corners are blended into the
    // title colour rather than keyed.)
    Image back(24, m.title - 8, p.title), backInactive(24, m.title - 8, p.titleInactive);
    FillRoundRect(back, 0, 0, 24, m.title - 8, 5, Solid(Mix(p.title, p.accentSoft, 0.5)), Edge::Hard());
    FillRoundRect(backInactive, 0, 0, 24, m.title - 8, 5, Solid(Mix(p.titleInactive, p.hover, 0.5)), Edge::Hard());
    out.ImageKey("TextBack", "title_textback.bmp", Strip({back, backInactive}));
    out.Key("TextShift", m.border + 8 + 16 + 8);
    out.Key("TextShiftVert", 0);
    out.Key("TextRightClip", m.border + 4 + 3 * m.captionW + 2 * m.captionGap + 8);
    out.Key("TextAlignment", 0);
    out.Key("Textbackground", 0);
    out.Key("TXTBackleft", 6);
    out.Key("TXTBackRight", 6);
    out.Key("ActiveTextR", p.titleText.r);
    out.Key("ActiveTextG", p.titleText.g);
    out.Key("ActiveTextB", p.titleText.b);
    out.Key("InActiveTextR", p.titleTextInactive.r);
    out.Key("InActiveTextG", p.titleTextInactive.g);
    out.Key("InActiveTextB", p.titleTextInactive.b);

    out.Section("Fonts");
    out.Key("FontHeight", m.fontHeight);

    out.Section("Colours");
    out.Colour("WindowText", p.fieldText);
    out.Colour("TitleTextActive", p.titleText);
    out.Colour("TitleTextNoActive", p.titleTextInactive);
    out.Colour("ButtonFace", p.face);
    out.Colour("ButtonText", p.text);
    out.Colour("ButtonHilight", p.light);
    out.Colour("Buttonlight", p.light);
    out.Colour("ButtonShadow", p.shadow);
    out.Colour("ButtonDkShadow", p.darkShadow);
    out.Colour("HilightText", p.accentText);
    out.Colour("Hilight", p.selection);
    out.Colour("Menubar", p.title);
    out.Colour("MenuBarText", p.titleText);
    out.Colour("MenuText", p.text);
    out.Colour("Menu", p.field);
    out.Colour("Scrollbar", p.track);
    out.Colour("Window", p.field);

    out.Section("ColourPanel");
    out.Colour("color", p.face);
    out.Section("ColourField");
    out.Colour("color", p.field);

    out.Section("Customcolors");
    const Rgb custom[10] = {p.accent, p.accentHot, p.accentPressed, p.accentSoft, p.closeHot,
                            p.face,   p.field,     p.text,          p.border,     p.title};
    for (int i = 0; i < 10; ++i) out.Colour("Color" + std::to_string(i), custom[i]);
}

bool Generate(const SkinStyle& s, const std::string& root) {
    const std::string dir = root + "/" + s.folder;
    mkdir(root.c_str(), 0755);
    mkdir(dir.c_str(), 0755);
    SkinWriter out(dir);
    WritePersonality(out, s);
    WriteCaptionButtons(out, s);
    WriteButtons(out, s);
    WriteControls(out, s);
    return out.Save();
}

}  // namespace
}  // namespace skingen

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: skin_generator OUTDIR [light|dark ...]\n");
        return 2;
    }
    const std::string root = argv[1];
    std::vector<skingen::SkinStyle> styles = {skingen::LightStyle(), skingen::DarkStyle(),
                                              skingen::RecolouredStyle()};
    bool ok = true;
    for (const auto& style : styles) {
        // Without names: the shipped skins.
        bool wanted = argc == 2 && style.folder != "recoloured";
        for (int i = 2; i < argc; ++i) wanted |= style.folder == argv[i];
        if (!wanted) continue;
        if (!skingen::Generate(style, root)) {
            std::fprintf(stderr, "skin_generator: cannot write %s/%s\n", root.c_str(), style.folder.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
