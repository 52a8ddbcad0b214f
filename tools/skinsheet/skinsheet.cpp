// skinsheet PACKAGE OUT.png: renders a skin package to one picture. At the
// top, two windows (active and inactive) composed from the skin's borders,
// caption buttons, menu bar and controls; below, every element of the skin,
// each frame at its own size and at a larger size. Everything is drawn with
// the skin element painters, so the sheet shows what the engine paints.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/lzh.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_content.h"
#include "skin/data/skin_reader.h"
#include "skin/form/paint_routines.h"
#include "tools/skinsheet/png_writer.h"
#include "tools/skinsheet/sheet_elements.h"

namespace quorvane {
namespace {

// ---------------------------------------------------------------- the package

class SkinSource {
public:
    bool Load(const std::string& path, std::string& error) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            error = "cannot read " + path;
            return false;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        MemoryStream package(std::move(bytes));
        try {
            if (!reader_.ReadPackage(package)) {
                error = path + ": not a skin package of this version";
                return false;
            }
        } catch (const std::exception& e) {
            error = path + ": " + e.what();
            return false;
        }
        MemoryStream member;
        std::string name;
        if (!reader_.FindMemberContaining(".ini", member, name)) {
            error = path + ": the package holds no skin description";
            return false;
        }
        ini_.LoadFromStream(&member);
        return true;
    }

    std::string Text(const std::string& section, const std::string& key, const std::string& def = "") const {
        return ini_.ReadString(section, key, def);
    }
    int Int(const std::string& section, const std::string& key, int def) const {
        return ini_.ReadInteger(section, key, def);
    }
    bool Has(const std::string& section) const { return ini_.SectionLine(section) >= 0; }
    std::vector<std::string> Sections() const {
        std::vector<std::string> names;
        ini_.GetSectionNames(names);
        return names;
    }

    // A colour of section Colours, "r,g,b"; fallback when absent.
    COLORREF Colour(const std::string& key, COLORREF fallback) const {
        const std::string text = Text("Colours", key);
        int parts[3] = {0, 0, 0}, count = 0;
        bool inNumber = false;
        for (char c : text) {
            if (c >= '0' && c <= '9') {
                if (count < 3) parts[count] = parts[count] * 10 + (c - '0');
                inNumber = true;
            } else if (inNumber) {
                ++count;
                inNumber = false;
            }
        }
        if (inNumber) ++count;
        if (count != 3) return fallback;
        return RGB(parts[0] & 0xFF, parts[1] & 0xFF, parts[2] & 0xFF);
    }

    const TQuickIni& Ini() const { return ini_; }
    const TSkinReader& Reader() const { return reader_; }

private:
    TSkinReader reader_;
    TQuickIni ini_;
};

// ---------------------------------------------------------------- the sheet

class Sheet {
public:
    Sheet(int width, int height, COLORREF background) : width_(width), height_(height) {
        bitmap_ = CreateBitmap32(width, height, &bits_);
        dc_ = UniqueMemoryDc::Compatible();
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        UniqueBrush brush(CreateSolidBrush(background));
        RECT all{0, 0, width, height};
        FillRect(dc_.get(), &all, brush.get());
        SetBkMode(dc_.get(), TRANSPARENT);
        font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma"));
        bold_.reset(CreateFontW(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma"));
        oldFont_ = SelectObject(dc_.get(), font_.get());
    }
    ~Sheet() {
        SelectObject(dc_.get(), oldFont_);
        SelectObject(dc_.get(), previous_);
    }
    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }

    void Text(int x, int y, const std::string& text, COLORREF colour, bool bold = false, UINT format = DT_LEFT) {
        SelectObject(dc_.get(), bold ? bold_.get() : font_.get());
        SetTextColor(dc_.get(), colour);
        RECT r{x, y, x + 600, y + 20};
        if (format & DT_CENTER) r = RECT{x - 300, y, x + 300, y + 20};
        DrawTextWide(dc_.get(), Utf8ToUtf16(text), r, format | DT_SINGLELINE | DT_NOPREFIX);
    }
    void Fill(const RECT& r, COLORREF colour) {
        UniqueBrush brush(CreateSolidBrush(colour));
        FillRect(dc_.get(), &r, brush.get());
    }

    bool Save(const std::string& path, int usedHeight) {
        GdiFlush();
        std::vector<uint32_t> pixels(bits_, bits_ + static_cast<size_t>(width_) * static_cast<size_t>(usedHeight));
        for (uint32_t& p : pixels) p &= 0x00FFFFFF;
        return WritePng(path, width_, usedHeight, pixels);
    }

private:
    int width_, height_;
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr, oldFont_ = nullptr;
    UniqueFont font_, bold_;
};

// One row per element: label, then every frame at its own size with the
// larger size below it. Returns the next free y.
int DrawElementRows(Sheet& sheet, const std::vector<ElementInfo>& list, int y, COLORREF text, COLORREF dim) {
    const int labelWidth = 215, gap = 10;
    for (const ElementInfo& e : list) {
        const SIZE size = FrameSize(e.strip, e.stacked, e.frames);
        sheet.Text(12, y, e.label, text, true);
        if (size.cx <= 0 || size.cy <= 0) {
            sheet.Text(labelWidth, y, "(no image)", dim);
            y += 28;
            continue;
        }
        sheet.Text(12, y + 16, std::to_string(e.frames) + (e.frames == 1 ? " frame, " : " frames, ") +
                                   std::to_string(size.cx) + " x " + std::to_string(size.cy) + e.note,
                   dim);
        SIZE big;
        if (e.glyph)
            big = SIZE{size.cx * 2, size.cy * 2};
        else if (e.stacked)
            big = SIZE{std::max<LONG>(size.cx * 2, size.cx + 120), size.cy};
        else if (e.margins.top + e.margins.bottom > 0 && e.margins.left + e.margins.right == 0)
            big = SIZE{size.cx, size.cy * 2};
        else
            big = SIZE{std::max<LONG>(size.cx * 2, size.cx + 40), size.cy + std::max<LONG>(size.cy / 2, 8)};
        const int column = std::max(size.cx, big.cx) + gap;
        int x = labelWidth;
        int rowHeight = size.cy + 6 + big.cy;
        for (int frame = 1; frame <= e.frames; ++frame) {
            if (x + column > sheet.width() - 8) {
                x = labelWidth;
                y += rowHeight + 14;
            }
            sheet.Text(x, y - 1, std::to_string(frame), dim);
            DrawFrame(sheet.dc(), e, RECT{x + 14, y, x + 14 + size.cx, y + size.cy}, frame);
            DrawFrame(sheet.dc(), e, RECT{x, y + size.cy + 6, x + big.cx, y + size.cy + 6 + big.cy}, frame);
            x += column + 14;
        }
        y += std::max(rowHeight, 34) + 16;
    }
    return y;
}

// ---------------------------------------------------------------- a window

struct WindowLook {
    bool active;
    int width, height;
    std::string title;
};

// A window as the frame painter composes it: borders, title with caption
// buttons, menu bar band, then a few controls in the client area.
void DrawWindow(Sheet& sheet, SkinSource& skin, const SkinContent& content, const std::vector<ElementInfo>& elements,
                int left, int top, const WindowLook& look) {
    auto find = [&](const std::string& label) -> const ElementInfo* {
        for (const ElementInfo& e : elements)
            if (e.label == label) return &e;
        return nullptr;
    };
    HDC dc = sheet.dc();
    const ElementInfo *l = find("Border Left"), *r = find("Border Right"), *t = find("Border Top"),
                      *b = find("Border Bottom");
    if (!l || !r || !t || !b) return;
    const int fl = FrameSize(l->strip, false, l->frames).cx, fr = FrameSize(r->strip, false, r->frames).cx;
    const int ft = FrameSize(t->strip, true, t->frames).cy, fb = FrameSize(b->strip, true, b->frames).cy;
    const int w = look.width, h = look.height, frame = look.active ? 1 : 2;
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    auto part = [&](const ElementInfo* e, RECT rc) {
        OffsetRect(&rc, left, top);
        DrawElement(dc, rc, e->strip, e->stacked, e->tile, e->transparent, e->frames, e->frames == 1 ? 1 : frame,
                    e->margins);
    };
    part(l, RECT{0, 0, fl, h});
    part(r, RECT{w - fr, 0, w, h});
    part(b, RECT{fl, h - fb, w - fr, h});
    part(t, RECT{fl, 0, w - fr, ft});

    // Caption buttons of a normal (not maximised) window.
    for (const auto& button : content.SysButtons) {
        if (button->Visibility != 0 && button->Visibility != 2) continue;
        const int frames = std::max(1, button->Frame);
        const SIZE size = FrameSize(button->Bitmap.get(), false, frames);
        if (size.cx <= 0) continue;
        const int x = button->Align == 1 ? w - button->Xcoord : button->Xcoord;
        RECT rc{left + x, top + button->Ycoord, left + x + size.cx, top + button->Ycoord + size.cy};
        DrawStripFrame(dc, rc, button->Bitmap.get(), true, frames, look.active || frames < 4 ? 1 : 4);
    }
    const int shift = skin.Int("Personality", "TextShift", 0);
    const COLORREF titleText =
        look.active ? RGB(skin.Int("Personality", "ActiveTextR", 0), skin.Int("Personality", "ActiveTextG", 0),
                          skin.Int("Personality", "ActiveTextB", 0))
                    : RGB(skin.Int("Personality", "InActiveTextR", 128), skin.Int("Personality", "InActiveTextG", 128),
                          skin.Int("Personality", "InActiveTextB", 128));
    sheet.Text(left + shift, top + (ft - 15) / 2, look.title, titleText, false);

    // Menu bar band.
    const ElementInfo* menu = find("Menu bar");
    RECT band{left + fl, top + ft, left + w - fr, top + ft + menuHeight};
    if (menu && menu->strip)
        DrawElement(dc, band, menu->strip, true, false, false, 2, frame, menu->margins);
    int mx = band.left + static_cast<int>(menu ? menu->margins.left : 0) + 4;
    for (const char* caption : {"File", "Edit", "View", "Help"}) {
        sheet.Text(mx + 5, band.top + (menuHeight - 15) / 2, caption, skin.Colour("MenuBarText", 0));
        mx += 12 + 7 * static_cast<int>(std::string(caption).size());
    }
    // Client area.
    const RECT client{left + fl, band.bottom, left + w - fr, top + h - fb};
    sheet.Fill(client, skin.Colour("ButtonFace", RGB(240, 240, 240)));
    const COLORREF text = skin.Colour("ButtonText", 0);
    int cx = client.left + 14, cy = client.top + 14;

    if (const ElementInfo* buttons = find("Buttons")) {
        const char* captions[] = {"Play", "Pause", "Stop"};
        const int states[] = {5, 4, 1};
        for (int i = 0; i < 3; ++i) {
            RECT br{cx + i * 84, cy, cx + i * 84 + 76, cy + 26};
            DrawFrame(dc, *buttons, br, look.active ? states[i] : 1);
            sheet.Text((br.left + br.right) / 2, br.top + 6, captions[i], text, false, DT_CENTER);
        }
        cy += 38;
    }
    if (const ElementInfo* check = find("Buttons CheckButton")) {
        SIZE s = FrameSize(check->strip, false, check->frames);
        DrawFrame(dc, *check, RECT{cx, cy, cx + s.cx, cy + s.cy}, check->frames >= 12 ? 5 : 2);
        sheet.Text(cx + s.cx + 6, cy + 1, "Repeat reading", text);
        if (const ElementInfo* radio = find("Buttons RadioButton")) {
            SIZE rs = FrameSize(radio->strip, false, radio->frames);
            int rx = cx + 150;
            DrawFrame(dc, *radio, RECT{rx, cy, rx + rs.cx, cy + rs.cy}, radio->frames >= 8 ? 5 : 2);
            sheet.Text(rx + rs.cx + 6, cy + 1, "Voice 1", text);
            DrawFrame(dc, *radio, RECT{rx + 90, cy, rx + 90 + rs.cx, cy + rs.cy}, 1);
            sheet.Text(rx + 90 + rs.cx + 6, cy + 1, "Voice 2", text);
        }
        cy += 30;
    }
    const ElementInfo *sunk = find("SunkEdge"), *combo = find("ComboButton"), *extra = find("ExtraImages");
    if (sunk && combo && sunk->strip) {
        RECT field{cx, cy, cx + 200, cy + 22};
        if (content.ComboButton && content.ComboButton->Style == 2) {
            // The composite: field ring and button in one element whose text
            // area is transparent over the control's own background.
            sheet.Fill(field, skin.Colour("Menu", RGB(255, 255, 255)));
            DrawFrame(dc, *combo, field, look.active ? 4 : 1);
        } else {
            DrawFrame(dc, *sunk, field, look.active ? 4 : 1);
            const int a = GetSystemMetrics(SM_CXHSCROLL) + 2;
            RECT button{field.right - a, field.top, field.right, field.bottom};
            DrawFrame(dc, *combo, button, 1);
            if (extra) DrawStripFrameCentred(dc, button, extra->strip, true, extra->frames, 1);
        }
        sheet.Text(field.left + 8, field.top + 4, "eSpeak NG English (America)", text);
        cy += 34;
    }
    if (const ElementInfo* progress = find("Progress")) {
        RECT pr{cx, cy, cx + 200, cy + 12};
        DrawFrame(dc, *progress, pr, 1);
        if (progress->frames >= 2) DrawFrame(dc, *progress, RECT{pr.left, pr.top, pr.left + 124, pr.bottom}, 2);
        cy += 24;
    }
    const ElementInfo *track = find("Track"), *thumb = find("Trackbar.ThumbHorz");
    if (track && thumb) {
        SIZE ts = FrameSize(track->strip, false, track->frames);
        RECT channel{cx, cy + 8, cx + 200, cy + 8 + ts.cy};
        DrawThreePartStretched(dc, channel, track->strip, false, track->frames, 1, track->margins);
        SIZE th = FrameSize(thumb->strip, false, thumb->frames);
        DrawFrame(dc, *thumb, RECT{cx + 70, cy, cx + 70 + th.cx, cy + th.cy}, 2);
    }
    // A vertical scroll bar along the client's right edge.
    const ElementInfo *bar = find("Scrollbar"), *vtrack = find("VertScroll"), *vthumb = find("VertScrollThumb");
    if (bar && vtrack && vthumb && bar->strip) {
        const int size = FrameSize(bar->strip, false, bar->frames).cx;
        RECT sb{client.right - size, client.top, client.right, client.bottom};
        DrawElement(dc, RECT{sb.left, sb.top + size, sb.right, sb.bottom - size}, vtrack->strip, false, vtrack->tile,
                    vtrack->transparent, vtrack->frames, 1, vtrack->margins);
        DrawStripFrame(dc, RECT{sb.left, sb.top, sb.right, sb.top + size}, bar->strip, true, 23, 9);
        DrawStripFrame(dc, RECT{sb.left, sb.bottom - size, sb.right, sb.bottom}, bar->strip, true, 23, 13);
        RECT th{sb.left, sb.top + size + 10, sb.right, sb.top + size + 60};
        DrawElement(dc, th, vthumb->strip, false, false, vthumb->transparent, vthumb->frames, look.active ? 3 : 1,
                    vthumb->margins);
        DrawStripFrameCentred(dc, th, bar->strip, true, 23, 20);
    }
}

// A popup menu (background, items, the selected item, a separator) and a
// tab control with a status bar under it, as their painters compose them.
void DrawMenuAndTabs(Sheet& sheet, SkinSource& skin, const std::vector<ElementInfo>& elements, int left, int top) {
    auto find = [&](const std::string& label) -> const ElementInfo* {
        for (const ElementInfo& e : elements)
            if (e.label == label && e.strip) return &e;
        return nullptr;
    };
    HDC dc = sheet.dc();
    const COLORREF menuText = skin.Colour("MenuText", 0), selectedText = skin.Colour("HilightText", 0xFFFFFF);
    const ElementInfo *back = find("MenuBackground"), *item = find("MenuItem");
    const int itemHeight = 22, separatorHeight = 9, width = 170;
    const char* items[] = {"Play", "Pause", "Stop", "-", "Help", "About", "-", "Exit"};
    int height = 6;
    for (const char* text : items) height += std::string(text) == "-" ? separatorHeight : itemHeight;
    if (back) DrawElement(dc, RECT{left, top, left + width, top + height}, back->strip, false, back->tile, false, 1, 1,
                          back->margins);
    int y = top + 3;
    const int shift = item ? static_cast<int>(item->margins.left) : 0;
    for (size_t i = 0; i < std::size(items); ++i) {
        const std::string text = items[i];
        if (text == "-") {
            if (item) {
                // The separator is the bottom rows of frame 2, as tall as the item.
                const SIZE frame = FrameSize(item->strip, false, item->frames);
                RECT r{left + 3, y, left + width - 3, y + separatorHeight};
                RECT source{frame.cx, frame.cy - separatorHeight, 2 * frame.cx, frame.cy};
                UniqueMemoryDc from = UniqueMemoryDc::Compatible();
                SelectGuard select(from.get(), item->strip);
                UniqueBitmap piece = CreateBitmap32(frame.cx, separatorHeight);
                {
                    UniqueMemoryDc to = UniqueMemoryDc::Compatible();
                    SelectGuard selectPiece(to.get(), piece.get());
                    BitBlt(to.get(), 0, 0, frame.cx, separatorHeight, from.get(), source.left, source.top, SRCCOPY);
                }
                DrawThreePart(dc, r, piece.get(), false, true, 1, 1, item->margins);
            }
            y += separatorHeight;
            continue;
        }
        const bool selected = i == 1;
        RECT r{left + 3, y, left + width - 3, y + itemHeight};
        if (item) DrawFrame(dc, *item, r, selected ? 4 : 1);
        sheet.Text(r.left + shift + 20, y + 4, text, selected ? selectedText : menuText);
        y += itemHeight;
    }

    // Tabs: the band of tabs, the current one joined to the page border.
    const ElementInfo *tabs = find("Tabs"), *pane = find("Tabs Border");
    const int tx = left + width + 20, tw = 200, th = 26;
    if (tabs && pane) {
        DrawElement(dc, RECT{tx, top + th - 1, tx + tw, top + 150}, pane->strip, false, false, false, 1, 1, pane->margins);
        const char* captions[] = {"Voice", "Text", "About"};
        const int widths[] = {58, 50, 60};
        int x = tx;
        for (int i = 0; i < 3; ++i) {
            RECT r{x, top, x + widths[i], top + th};
            DrawFrame(dc, *tabs, r, i == 0 ? 2 : (i == 1 ? 3 : 1));
            sheet.Text((r.left + r.right) / 2, top + 6, captions[i], skin.Colour("ButtonText", 0), false, DT_CENTER);
            x += widths[i];
        }
        if (const ElementInfo* rest = find("Tabs")) {
            RECT r{x, top, tx + tw, top + th};
            DrawFrame(dc, *rest, r, 1);
        }
    }
    // A status bar with two lowered panels and the size grip.
    const ElementInfo *edges = find("StatusBarEdges"), *extra = find("ExtraImages");
    if (edges) {
        const RECT bar{tx, top + 160, tx + tw, top + 182};
        sheet.Fill(bar, skin.Colour("ButtonFace", 0));
        DrawElement(dc, RECT{bar.left + 2, bar.top + 2, bar.left + 110, bar.bottom - 2}, edges->strip, false, false,
                    false, 3, 1, edges->margins);
        DrawElement(dc, RECT{bar.left + 112, bar.top + 2, bar.right - 16, bar.bottom - 2}, edges->strip, false, false,
                    false, 3, 1, edges->margins);
        sheet.Text(bar.left + 8, bar.top + 4, "Speaking...", skin.Colour("ButtonText", 0));
        if (extra) {
            const SIZE grip = FrameSize(extra->strip, false, extra->frames);
            DrawStripFrame(dc, RECT{bar.right - 1 - grip.cx, bar.bottom - 1 - grip.cy, bar.right - 1, bar.bottom - 1},
                           extra->strip, true, extra->frames, 5);
        }
    }
}

int Run(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: skinsheet PACKAGE OUT.png\n"
                     "Renders every element of a skin package (each frame at two sizes) and two sample\n"
                     "windows into a PNG picture.\n";
        return 2;
    }
    // The package reader reports a wrong version with a message box; a
    // command-line tool prints it instead.
    SetMessageBoxHandler([](const MessageBoxRequest& request) {
        std::cerr << "skinsheet: " << request.text << "\n";
        return IDOK;
    });
    SkinSource skin;
    std::string error;
    if (!skin.Load(argv[1], error)) {
        std::cerr << "skinsheet: " << error << "\n";
        return 1;
    }
    SkinContent content;
    try {
        content.LoadElements(skin.Ini(), &skin.Reader());
    } catch (const SkinLoadRefused&) {
        return 1;  // LoadElements has said why on stderr
    }
    const std::vector<ElementInfo> elements = ListElements(content);
    const COLORREF face = skin.Colour("ButtonFace", RGB(240, 240, 240));
    const COLORREF text = skin.Colour("ButtonText", 0);
    const COLORREF dim = Blend(text, face, 55);
    Sheet sheet(1400, 5000, face);
    const std::string name = skin.Text("TitlebarSkin", "SkinName", argv[1]);
    sheet.Text(12, 10, name, text, true);
    DrawWindow(sheet, skin, content, elements, 12, 40, WindowLook{true, 520, 300, "Quorvane"});
    DrawWindow(sheet, skin, content, elements, 560, 40, WindowLook{false, 400, 300, "Inactive window"});
    DrawMenuAndTabs(sheet, skin, elements, 980, 40);
    int y = DrawElementRows(sheet, elements, 370, text, dim);
    if (!sheet.Save(argv[2], std::min(y + 10, 5000))) {
        std::cerr << "skinsheet: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace quorvane

int main(int argc, char** argv) { return quorvane::Run(argc, argv); }
