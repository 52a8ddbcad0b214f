#include "tools/skinsheet/sheet_elements.h"

#include <algorithm>

namespace quorvane {

// An element as the engine loaded it, with the frame layout its painter uses.
ElementInfo From(const std::string& label, const TDataSkinObject* e, int frames, bool stacked, bool glyph,
                 HBITMAP strip) {
    ElementInfo info;
    info.label = label;
    if (!e) return info;
    info.strip = strip ? strip : e->Bitmap.get();
    info.frames = std::max(1, frames);
    info.stacked = stacked;
    info.margins = e->Margins();
    info.transparent = e->Trans != 0;
    info.tile = e->Tile == 1;
    info.glyph = glyph;
    return info;
}

std::vector<ElementInfo> ListElements(const SkinContent& skin) {
    std::vector<ElementInfo> list;
    struct Border {
        const char* label;
        const TDataSkinBorder* element;
        bool stacked;
    };
    const Border borders[] = {{"Border Left", skin.BorderLeft.get(), false},
                              {"Border Right", skin.BorderRight.get(), false},
                              {"Border Top", skin.BorderTop.get(), true},
                              {"Border Bottom", skin.BorderBottom.get(), true}};
    for (const Border& b : borders) {
        ElementInfo e = From(b.label, b.element, b.element ? b.element->Frame : 1, b.stacked);
        e.tile = b.element && b.element->Tile != 1;  // a border's Tile holds its Stretch value
        list.push_back(e);
    }
    if (skin.Title) {
        ElementInfo title = From("Title TextBack", skin.Title.get(), skin.Title->Frame);
        title.margins = Margins{6, 0, 6, 0};
        list.push_back(title);
    }
    if (skin.MenuBar) {
        ElementInfo bar = From("Menu bar", skin.MenuBar.get(), skin.MenuBar->Frame, true);
        bar.transparent = false;
        bar.tile = false;  // Tile 1: the nine-part picture, stretched
        list.push_back(bar);
    }
    for (const auto& button : skin.SysButtons) {
        ElementInfo e = From(button->Name, button.get(), button->Frame, false, true);
        e.note = ", action " + std::to_string(button->Action);
        list.push_back(e);
    }
    if (skin.Buttons) {
        list.push_back(From("Buttons", skin.Buttons.get(), skin.Buttons->Frame));
        list.push_back(From("Buttons CheckButton", skin.Buttons.get(), skin.Buttons->CheckButtonFrame, false, true,
                            skin.Buttons->CheckButton.get()));
        list.push_back(From("Buttons RadioButton", skin.Buttons.get(), skin.Buttons->RadioButtonFrame, false, true,
                            skin.Buttons->RadioButton.get()));
    }
    auto add = [&](const std::string& label, const TDataSkinObject* e, bool glyph = false) {
        if (e) list.push_back(From(label, e, e->Frame, false, glyph));
    };
    add("Progress", skin.Progress.get());
    add("Progress.Chunk", skin.ProgressChunk.get());
    add("GroupBoxEdge", skin.GroupBoxEdge.get());
    add("GroupBox", skin.GroupBox.get());
    add("Tabs", skin.Tabs.get());
    if (skin.Tabs && skin.Tabs->Bitmap2) {
        ElementInfo border = From("Tabs Border", skin.Tabs.get(), 1, false, false, skin.Tabs->Bitmap2.get());
        border.margins = Margins{2, 2, 2, 2};
        list.push_back(border);
    }
    add("Tab.Pane", skin.TabPane.get());
    add("StatusBarEdges", skin.StatusBarEdges.get());
    add("ToolBars", skin.ToolBars.get());
    add("Toolbar (gradient)", skin.Toolbar.get());
    add("ComboButton", skin.ComboButton.get());
    if (const SkinContent::MirroredComboButton mirror = skin.RightToLeftComboButton(); mirror.picture) {
        // Drawn state by state as a right-to-left combo box draws it: the
        // whole mirrored composite with its frames in reverse order, or the
        // mirrored button strip keyed in the button rectangle.
        ElementInfo mirrored = From("ComboButton mirrored", mirror.element, mirror.frames, false, !mirror.whole,
                                    mirror.picture);
        if (!mirror.whole) mirrored.margins = Margins{};
        mirrored.transparent = true;
        mirrored.reversed = mirror.reversed;
        if (mirror.reversed) mirrored.note = ", reversed";
        list.push_back(mirrored);
    }
    add("SunkEdge", skin.SunkEdge.get());
    add("ComboxArrow", skin.ComboxArrow.get(), true);
    add("ExtraImages", skin.ExtraImages.get(), true);
    add("Headerbar", skin.Headerbar.get());
    add("MenuItem", skin.MenuItem.get());
    add("MenuBackground", skin.MenuBackground.get());
    add("Scrollbar", skin.Scrollbar.get(), true);
    add("HorzScroll", skin.HorzScroll.get());
    add("VertScroll", skin.VertScroll.get());
    add("HorzScrollThumb", skin.HorzScrollThumb.get());
    add("VertScrollThumb", skin.VertScrollThumb.get());
    add("Trackbar.ThumbHorz", skin.TrackbarThumbHorz.get(), true);
    add("Trackbar.ThumbVert", skin.TrackbarThumbVert.get(), true);
    add("Trackbar.ThumbLeft", skin.TrackbarThumbLeft.get(), true);
    add("Trackbar.ThumbRight", skin.TrackbarThumbRight.get(), true);
    add("Trackbar.ThumbUp", skin.TrackbarThumbUp.get(), true);
    add("Trackbar.ThumbDown", skin.TrackbarThumbDown.get(), true);
    for (const auto* updown : {skin.UpDownHorz.get(), skin.UpDownVert.get()}) {
        if (!updown) continue;
        const std::string name = updown == skin.UpDownHorz.get() ? "UpDown.Horz" : "UpDown.Vert";
        list.push_back(From(name, updown, updown->Frame, false, true));
        if (updown->Bitmap2)
            list.push_back(From(name + " GlyphImage", updown, updown->Frame, false, true, updown->Bitmap2.get()));
    }
    add("Track", skin.Track.get());
    add("TRACKVERT", skin.TrackVert.get());
    return list;
}

SIZE FrameSize(HBITMAP strip, bool stacked, int frames) {
    RECT cell = FrameCell(BitmapSize(strip), stacked, frames, 1);
    return SIZE{cell.right - cell.left, cell.bottom - cell.top};
}

void DrawFrame(HDC dc, const ElementInfo& e, const RECT& r, int frame) {
    if (e.reversed) frame = std::max(e.frames + 1 - frame, 1);
    if (e.glyph)
        DrawStripFrame(dc, r, e.strip, true, e.frames, frame);
    else
        DrawElement(dc, r, e.strip, e.stacked, e.tile, e.transparent, e.frames, frame, e.margins);
}

}  // namespace quorvane
