#include "tools/gallery/control_pages.h"

#include "tools/gallery/dialog_template.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/buttons.h"
#include "framework/com_controls.h"
#include "framework/cool_bar.h"
#include "framework/forms.h"
#include "framework/grids.h"
#include "framework/group_controls.h"
#include "framework/input_controls.h"
#include "framework/list_controls.h"
#include "framework/media_player.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/properties.h"
#include "framework/scroll_controls.h"
#include "framework/std_controls.h"
#include "framework/tab_controls.h"
#include "skin/data/skin_data.h"

namespace quorvane::gallery {

namespace {

// A page: a form freed when closed, controls made with it as owner.
class Page {
public:
    Page(const char* caption, int width, int height) : form_(new TForm(Application))
    {
        form_->SetCaption(caption);
        form_->SetBounds(80, 60, width, height);
        form_->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    }
    template <class T>
    T* Add(TWinControl* parent, int left, int top, int width, int height, const std::string& caption = {})
    {
        auto* control = new T(form_);
        control->SetParent(parent ? parent : form_);
        control->SetAlign(alNone);
        control->SetBounds(left, top, width, height);
        if (!caption.empty()) control->SetCaption(caption);
        return control;
    }
    TLabel* Title(TWinControl* parent, int left, int top, const std::string& text)
    {
        return Add<TLabel>(parent, left, top, 200, 16, text);
    }
    TForm* Open(TWinControl* focus = nullptr)
    {
        form_->AfterConstruction();
        form_->Show();
        if (focus && focus->CanFocus()) focus->SetFocus();
        return form_;
    }
    TForm* Form() const { return form_; }

private:
    TForm* form_;
};

// A push button that opens a menu: the gallery's own class, skinned as a
// menu button through the skin data's class map (AddGalleryClasses).
class TMenuButton : public TButton {
    QUORVANE_CLASS(TMenuButton)
public:
    using TButton::TButton;
};

// Four small coloured squares, for tabs, lists and tool buttons.
TImageList* MakeImages(TComponent* owner)
{
    auto* images = new TImageList(owner);
    const COLORREF colours[] = {RGB(37, 99, 235), RGB(22, 163, 74), RGB(220, 38, 38), RGB(234, 179, 8)};
    WindowDc screen(nullptr);
    UniqueBitmap strip(CreateCompatibleBitmap(screen.get(), 64, 16));
    {
        MemoryDc dc(screen.get());
        SelectGuard select(dc.get(), strip.get());
        UniqueBrush key(CreateSolidBrush(RGB(255, 0, 255)));
        RECT all{0, 0, 64, 16};
        FillRect(dc.get(), &all, key.get());
        for (int i = 0; i < 4; ++i) {
            UniqueBrush brush(CreateSolidBrush(colours[i]));
            RECT square{i * 16 + 3, 3, i * 16 + 13, 13};
            FillRect(dc.get(), &square, brush.get());
        }
    }
    images->AddMasked(strip.get(), static_cast<TColor>(RGB(255, 0, 255)));
    return images;
}

// A 16 x 16 glyph on a magenta ground (the bottom-left pixel: transparent).
void SetGlyph(TBitBtn* button, COLORREF ink, bool round)
{
    WindowDc screen(nullptr);
    UniqueBitmap picture(CreateCompatibleBitmap(screen.get(), 16, 16));
    {
        MemoryDc dc(screen.get());
        SelectGuard select(dc.get(), picture.get());
        UniqueBrush key(CreateSolidBrush(RGB(255, 0, 255)));
        RECT all{0, 0, 16, 16};
        FillRect(dc.get(), &all, key.get());
        UniqueBrush brush(CreateSolidBrush(ink));
        UniquePen pen(CreatePen(PS_SOLID, 1, ink));
        SelectGuard selectBrush(dc.get(), brush.get());
        SelectGuard selectPen(dc.get(), pen.get());
        if (round)
            Ellipse(dc.get(), 2, 2, 14, 14);
        else
            Rectangle(dc.get(), 3, 2, 13, 14);
    }
    TBitmap glyph;
    glyph.SetHandle(picture.release());
    button->SetGlyph(&glyph);
}

TForm* OpenTabs()
{
    Page page("Controls: tabs and pages", 640, 560);
    TImageList* images = MakeImages(page.Form());
    const char* styles[] = {"tsTabs", "tsButtons", "tsFlatButtons"};
    TPageControl* first = nullptr;
    for (int i = 0; i < 3; ++i) {
        page.Title(nullptr, 12 + i * 206, 8, std::string("Page control, ") + styles[i]);
        auto* pages = page.Add<TPageControl>(nullptr, 12 + i * 206, 26, 196, 150);
        SetPropText(pages, "Style", styles[i]);
        pages->SetImages(images);
        for (int p = 0; p < 3; ++p) {
            auto* sheet = new TTabSheet(page.Form());
            sheet->SetCaption(p == 0 ? "&One" : p == 1 ? "&Two" : "Th&ree");
            sheet->SetImageIndex(p);
            sheet->SetPageControl(pages);
            page.Add<TLabel>(sheet, 8, 8, 160, 16, std::string("Contents of page ") + std::to_string(p + 1));
            page.Add<TEdit>(sheet, 8, 30, 120, 22)->SetText("Ctrl+Tab turns");
        }
        pages->SetActivePageIndex(i);
        if (!first) first = pages;
    }
    page.Title(nullptr, 12, 186, "Tab control, tabs at the bottom");
    auto* tabs = page.Add<TTabControl>(nullptr, 12, 204, 300, 110);
    for (const char* text : {"Monday", "Tuesday", "Wednesday"}) tabs->Tabs()->Add(text);
    tabs->SetTabPosition(tpBottom);
    auto* shown = page.Add<TLabel>(tabs, 10, 10, 200, 16, "Monday's notes");
    tabs->OnChange = [tabs, shown](TObject*) { shown->SetCaption(tabs->Tabs()->Get(tabs->TabIndex()) + "'s notes"); };
    page.Title(nullptr, 324, 186, "Disabled page control");
    auto* disabled = page.Add<TPageControl>(nullptr, 324, 204, 290, 110);
    for (const char* caption : {"Alpha", "Beta"}) {
        auto* sheet = new TTabSheet(page.Form());
        sheet->SetCaption(caption);
        sheet->SetPageControl(disabled);
    }
    disabled->SetEnabled(false);
    page.Title(nullptr, 12, 324, "Tabs on the left, several rows");
    auto* left = page.Add<TTabControl>(nullptr, 12, 342, 300, 90);
    for (const char* text : {"A", "B", "C"}) left->Tabs()->Add(text);
    left->SetTabPosition(tpLeft);
    auto* multi = page.Add<TTabControl>(nullptr, 324, 342, 290, 90);
    multi->SetMultiLine(true);
    for (const char* text : {"First tab", "Second tab", "Third tab", "Fourth tab", "Fifth tab"}) multi->Tabs()->Add(text);
    page.Add<TLabel>(nullptr, 12, 442, 600, 16, "Tabs with close boxes (a click closes the page)");
    auto* closing = page.Add<TPageControl>(nullptr, 12, 460, 602, 80);
    closing->SetTag(kCloseBoxTag);
    for (const char* caption : {"Notes", "Drafts", "Letters", "Sketches"}) {
        auto* sheet = new TTabSheet(page.Form());
        sheet->SetCaption(caption);
        sheet->SetPageControl(closing);
        page.Add<TLabel>(sheet, 8, 8, 300, 16, std::string(caption) + ": the box on the tab closes it");
    }
    return page.Open(first);
}

TForm* OpenLists()
{
    Page page("Controls: headers, lists and trees", 720, 520);
    TImageList* images = MakeImages(page.Form());
    page.Title(nullptr, 12, 8, "Header control");
    auto* header = page.Add<THeaderControl>(nullptr, 12, 26, 680, 22);
    for (const char* text : {"Name", "Size", "Kind", "Modified"}) {
        THeaderSection* section = header->Sections()->Add();
        section->SetText(text);
        section->SetWidth(120);
    }
    header->Sections()->At(1)->SetAlignment(taRightJustify);
    header->Sections()->At(2)->SetAlignment(taCenter);
    header->SetImages(images);
    header->Sections()->At(0)->SetImageIndex(0);

    page.Title(nullptr, 12, 58, "Report view, 10,000 rows");
    auto* report = page.Add<TListView>(nullptr, 12, 76, 440, 250);
    report->SetViewStyle(vsReport);
    report->SetCheckboxes(true);
    report->SetRowSelect(true);
    report->SetGridLines(true);
    report->SetSmallImages(images);
    for (const char* caption : {"Row", "Square", "Half", "Note"}) {
        TListColumn* column = report->Columns()->Add();
        column->SetCaption(caption);
        column->SetWidth(100);
    }
    report->Items()->BeginUpdate();
    for (int i = 1; i <= 10000; ++i) {
        TListItem* item = report->Items()->Add();
        item->SetCaption("Row " + std::to_string(i));
        item->SetImageIndex(i % 4);
        item->SubItems()->Add(std::to_string(i * i));
        item->SubItems()->Add(std::to_string(i / 2));
        item->SubItems()->Add(i % 3 == 0 ? "fizz" : "");
        if (i % 5 == 0) item->SetChecked(true);
    }
    report->Items()->EndUpdate();
    report->Items()->Item(2)->SetSelected(true);

    page.Title(nullptr, 464, 58, "Icons");
    auto* icons = page.Add<TListView>(nullptr, 464, 76, 228, 120);
    icons->SetLargeImages(images);
    icons->SetSmallImages(images);
    for (int i = 0; i < 6; ++i) {
        TListItem* item = icons->Items()->Add();
        item->SetCaption("Item " + std::to_string(i + 1));
        item->SetImageIndex(i % 4);
    }
    page.Title(nullptr, 464, 202, "Small icons (disabled)");
    auto* small = page.Add<TListView>(nullptr, 464, 220, 228, 106);
    small->SetViewStyle(vsSmallIcon);
    small->SetSmallImages(images);
    for (int i = 0; i < 4; ++i) small->Items()->Add()->SetCaption("Small " + std::to_string(i + 1));
    small->SetEnabled(false);

    page.Title(nullptr, 12, 336, "Tree view");
    auto* tree = page.Add<TTreeView>(nullptr, 12, 354, 220, 130);
    tree->SetImages(images);
    TTreeNode* fruit = tree->Items()->Add(nullptr, "Fruit");
    for (const char* name : {"Apple", "Pear", "Plum"}) tree->Items()->AddChild(fruit, name)->SetImageIndex(1);
    TTreeNode* veg = tree->Items()->Add(fruit, "Vegetables");
    TTreeNode* roots = tree->Items()->AddChild(veg, "Roots");
    for (const char* name : {"Carrot", "Parsnip"}) tree->Items()->AddChild(roots, name)->SetImageIndex(2);
    tree->FullExpand();
    tree->SetSelected(roots);
    tree->SetHideSelection(false);
    page.Title(nullptr, 244, 336, "List, disabled tree");
    auto* list = page.Add<TListView>(nullptr, 244, 354, 220, 130);
    list->SetViewStyle(vsList);
    for (int i = 0; i < 20; ++i) list->Items()->Add()->SetCaption("Entry " + std::to_string(i + 1));
    auto* off = page.Add<TTreeView>(nullptr, 476, 354, 216, 130);
    off->Items()->AddChild(off->Items()->Add(nullptr, "Disabled"), "Leaf");
    off->FullExpand();
    off->SetEnabled(false);
    return page.Open(report);
}

TForm* OpenGrids()
{
    Page page("Controls: grids, scroll bars, scroll boxes and frames", 700, 480);
    page.Title(nullptr, 12, 8, "Draw grid, 1,000 rows");
    auto* grid = page.Add<TDrawGrid>(nullptr, 12, 26, 420, 200);
    grid->SetColCount(8);
    grid->SetRowCount(1000);
    grid->SetFixedColor(RGB(210, 220, 235));
    grid->SetOptions(grid->Options() | (1u << goThumbTracking));
    grid->OnDrawCell = [grid](TObject*, int col, int row, const RECT& rect, TGridDrawState state) {
        TCanvas* canvas = grid->Canvas();
        std::string text = row == 0 ? (col == 0 ? "" : std::string(1, static_cast<char>('A' + col - 1)))
                           : col == 0 ? std::to_string(row)
                                      : std::to_string(row * col);
        RECT box = rect;
        canvas->SetBrushClear(true);
        // Highlight text only where the grid fills the cell with the
        // highlight: a focused current cell stays in the field's colours.
        const bool filled = InSet(state, gdSelected) && !InSet(state, gdFixed) &&
                            (!InSet(state, gdFocused) || InSet(grid->Options(), goDrawFocusSelected) ||
                             InSet(grid->Options(), goRowSelect));
        if (filled) canvas->Font()->SetColor(clHighlightText);
        canvas->DrawTextIn(text, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    page.Title(nullptr, 444, 8, "Scroll bars");
    auto* horizontal = page.Add<TScrollBar>(nullptr, 444, 26, 230, 17);
    horizontal->SetParams(30, 0, 100);
    horizontal->SetPageSize(20);
    horizontal->SetLargeChange(20);
    auto* value = page.Add<TLabel>(nullptr, 444, 48, 230, 16, "Position 30");
    horizontal->OnChange = [horizontal, value](TObject*) { value->SetCaption("Position " + std::to_string(horizontal->Position())); };
    auto* disabledBar = page.Add<TScrollBar>(nullptr, 444, 70, 230, 17);
    disabledBar->SetEnabled(false);
    auto* vertical = page.Add<TScrollBar>(nullptr, 444, 96, 17, 130);
    vertical->SetKind(sbVertical);
    vertical->SetBounds(444, 96, 17, 130);
    vertical->SetPageSize(10);

    page.Title(nullptr, 12, 236, "Scroll box");
    auto* box = page.Add<TScrollBox>(nullptr, 12, 254, 260, 190);
    for (int i = 0; i < 12; ++i) {
        page.Add<TLabel>(box, 8, 8 + i * 40, 90, 16, "Field " + std::to_string(i + 1));
        page.Add<TEdit>(box, 100, 6 + i * 40, 240 - (i % 3) * 30, 22)->SetText("Value " + std::to_string(i + 1));
    }
    page.Title(nullptr, 284, 236, "A frame with its own controls");
    auto* frame = page.Add<TFrame>(nullptr, 284, 254, 390, 190);
    auto* group = new TGroupBox(frame);
    group->SetParent(frame);
    group->SetBounds(4, 4, 380, 180);
    group->SetCaption("Address (inside a frame)");
    const char* fields[] = {"Street", "Town", "Postcode"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new TLabel(frame);
        label->SetParent(group);
        label->SetBounds(12, 28 + i * 34, 80, 16);
        label->SetCaption(fields[i]);
        auto* edit = new TEdit(frame);
        edit->SetParent(group);
        edit->SetBounds(100, 24 + i * 34, 260, 22);
    }
    auto* inner = new TForm(page.Form());
    inner->SetCaption("A form inside the frame");
    inner->SetBorderStyle(bsToolWindow);
    inner->SetBounds(100, 126, 260, 50);
    auto* note = new TLabel(inner);
    note->SetParent(inner);
    note->SetBounds(6, 4, 240, 16);
    note->SetCaption("A child form window");
    inner->SetParent(group);
    inner->Show();
    return page.Open(grid);
}

TForm* OpenValues()
{
    Page page("Controls: up-downs, date-time pickers, track and progress bars", 660, 400);
    page.Title(nullptr, 12, 8, "Up-downs");
    auto* edit = page.Add<TEdit>(nullptr, 12, 26, 80, 24);
    auto* updown = page.Add<TUpDown>(nullptr, 92, 26, 17, 24);
    updown->SetMax(50);
    updown->SetPosition(7);
    updown->SetAssociate(edit);
    auto* horizontal = page.Add<TUpDown>(nullptr, 130, 26, 40, 20);
    horizontal->SetOrientation(udHorizontal);
    auto* disabledEdit = page.Add<TEdit>(nullptr, 190, 26, 80, 24);
    auto* disabled = page.Add<TUpDown>(nullptr, 270, 26, 17, 24);
    disabled->SetAssociate(disabledEdit);
    disabled->SetEnabled(false);
    disabledEdit->SetEnabled(false);

    page.Title(nullptr, 12, 60, "Date-time pickers");
    page.Add<TDateTimePicker>(nullptr, 12, 78, 180, 24);
    auto* longDate = page.Add<TDateTimePicker>(nullptr, 200, 78, 240, 24);
    longDate->SetDateFormat(dfLong);
    auto* updownDate = page.Add<TDateTimePicker>(nullptr, 12, 108, 180, 24);
    updownDate->SetDateMode(dmUpDown);
    auto* time = page.Add<TDateTimePicker>(nullptr, 200, 108, 120, 24);
    time->SetKind(dtkTime);
    auto* unchecked = page.Add<TDateTimePicker>(nullptr, 12, 138, 180, 24);
    unchecked->SetShowCheckbox(true);
    unchecked->SetChecked(false);
    auto* greyed = page.Add<TDateTimePicker>(nullptr, 200, 138, 180, 24);
    greyed->SetEnabled(false);
    auto* custom = page.Add<TDateTimePicker>(nullptr, 390, 138, 180, 24);
    custom->SetFormat("dd MMM yyyy");

    page.Title(nullptr, 12, 172, "Track bars");
    auto* track = page.Add<TTrackBar>(nullptr, 12, 190, 200, 40);
    track->SetPosition(4);
    auto* trackOff = page.Add<TTrackBar>(nullptr, 220, 190, 200, 40);
    trackOff->SetEnabled(false);
    auto* trackVertical = page.Add<TTrackBar>(nullptr, 590, 20, 40, 200);
    trackVertical->SetOrientation(trVertical);

    page.Title(nullptr, 12, 240, "Progress bars");
    const int positions[] = {0, 35, 70, 100};
    for (int i = 0; i < 4; ++i) {
        auto* bar = page.Add<TProgressBar>(nullptr, 12, 258 + i * 24, 260, 18);
        bar->SetPosition(positions[i]);
        if (i % 2) bar->SetSmooth(true);
    }
    auto* off = page.Add<TProgressBar>(nullptr, 280, 258, 160, 18);
    off->SetPosition(50);
    off->SetEnabled(false);
    for (int i = 0; i < 2; ++i) {
        auto* bar = page.Add<TProgressBar>(nullptr, 460 + i * 30, 240, 20, 120);
        bar->SetOrientation(pbVertical);
        bar->SetSmooth(i == 1);
        bar->SetPosition(40 + i * 40);
    }
    return page.Open(edit);
}

TForm* OpenButtons()
{
    Page page("Controls: buttons, boxes, groups and text", 700, 640);
    page.Title(nullptr, 12, 8, "Buttons");
    auto* normal = page.Add<TButton>(nullptr, 12, 26, 90, 26, "&Normal");
    auto* focused = page.Add<TButton>(nullptr, 108, 26, 90, 26, "&Default");
    focused->SetDefault(true);
    page.Add<TButton>(nullptr, 204, 26, 90, 26, "Disabled")->SetEnabled(false);
    auto* pressed = page.Add<TButton>(nullptr, 300, 26, 90, 26, "Pressed");
    SendMessageW(pressed->Handle(), BM_SETSTATE, TRUE, 0);
    auto* speed = new TSpeedButton(page.Form());
    speed->SetParent(page.Form());
    speed->SetBounds(400, 26, 80, 26);
    speed->SetCaption("Down");
    speed->SetGroupIndex(1);
    speed->SetDown(true);
    auto* flat = new TSpeedButton(page.Form());
    flat->SetParent(page.Form());
    flat->SetBounds(486, 26, 80, 26);
    flat->SetCaption("Flat");
    flat->SetFlat(true);

    page.Title(nullptr, 12, 62, "Check boxes and radio buttons");
    page.Add<TCheckBox>(nullptr, 12, 80, 110, 20, "Unchecked");
    page.Add<TCheckBox>(nullptr, 126, 80, 110, 20, "Checked")->SetChecked(true);
    auto* grey = page.Add<TCheckBox>(nullptr, 240, 80, 110, 20, "Grey");
    grey->SetAllowGrayed(true);
    grey->SetState(cbGrayed);
    auto* offBox = page.Add<TCheckBox>(nullptr, 354, 80, 150, 20, "Disabled, checked");
    offBox->SetChecked(true);
    offBox->SetEnabled(false);
    auto* radios = page.Add<TPanel>(nullptr, 12, 104, 500, 26);
    page.Add<TRadioButton>(radios, 4, 3, 110, 20, "Off");
    page.Add<TRadioButton>(radios, 118, 3, 110, 20, "On")->SetChecked(true);
    page.Add<TRadioButton>(radios, 232, 3, 110, 20, "Disabled")->SetEnabled(false);

    page.Title(nullptr, 12, 140, "Groups");
    auto* group = page.Add<TRadioGroup>(nullptr, 12, 158, 220, 110, "Radio group, two columns");
    for (const char* item : {"Slow", "Normal", "Fast", "Fastest"}) group->Items()->Add(item);
    group->SetColumns(2);
    group->SetItemIndex(1);
    auto* disabledGroup = page.Add<TRadioGroup>(nullptr, 240, 158, 150, 110, "Disabled group");
    for (const char* item : {"One", "Two"}) disabledGroup->Items()->Add(item);
    disabledGroup->SetItemIndex(0);
    disabledGroup->SetEnabled(false);
    auto* checks = page.Add<TCheckGroup>(nullptr, 398, 158, 150, 110, "Check group");
    for (const char* item : {"Bold", "Italic", "Underline"}) checks->Items()->Add(item);
    checks->SetChecked(0, true);
    checks->SetItemEnabled(2, false);
    auto* box = page.Add<TGroupBox>(nullptr, 556, 158, 130, 110, "Group box");
    page.Add<TLabel>(box, 10, 24, 100, 16, "A label inside");
    page.Add<TPanel>(nullptr, 556, 76, 130, 50, "Panel");

    page.Title(nullptr, 12, 278, "Edits, combo boxes and lists");
    page.Add<TEdit>(nullptr, 12, 296, 140, 22)->SetText("Editable");
    auto* readOnly = page.Add<TEdit>(nullptr, 158, 296, 140, 22);
    readOnly->SetText("Read only");
    readOnly->SetReadOnly(true);
    auto* offEdit = page.Add<TEdit>(nullptr, 304, 296, 140, 22);
    offEdit->SetText("Disabled");
    offEdit->SetEnabled(false);
    auto* combo = page.Add<TComboBox>(nullptr, 450, 296, 110, 24);
    for (const char* item : {"Alpha", "Beta", "Gamma"}) combo->Items()->Add(item);
    combo->SetItemIndex(1);
    auto* list = page.Add<TComboBox>(nullptr, 566, 296, 120, 24);
    list->SetStyle(csDropDownList);
    list->Items()->Add("Drop-down list");
    list->SetItemIndex(0);
    list->SetEnabled(false);

    page.Title(nullptr, 12, 326, "Memo, 10,000 lines");
    auto* memo = page.Add<TMemo>(nullptr, 12, 344, 440, 180);
    memo->SetScrollBars(ssBoth);
    memo->SetWordWrap(false);
    std::string text;
    text.reserve(10000 * 40);
    for (int i = 1; i <= 10000; ++i) text += "Line " + std::to_string(i) + " of the long memo\r\n";
    memo->SetMaxLength(0);
    memo->Lines()->SetText(text);
    auto* box2 = page.Add<TListBox>(nullptr, 460, 344, 226, 180);
    for (int i = 1; i <= 200; ++i) box2->Items()->Add("List box line " + std::to_string(i));
    box2->SetItemIndex(3);

    page.Add<TLabel>(nullptr, 12, 532, 600, 16, "Glyph buttons, a menu button, a simple combo box");
    auto* open = page.Add<TBitBtn>(nullptr, 12, 550, 96, 28, "&Open");
    SetGlyph(open, RGB(37, 99, 235), false);
    auto* save = page.Add<TBitBtn>(nullptr, 114, 550, 70, 48, "Save");
    SetGlyph(save, RGB(22, 163, 74), true);
    save->SetLayout(blGlyphTop);
    auto* locked = page.Add<TBitBtn>(nullptr, 190, 550, 96, 28, "Locked");
    SetGlyph(locked, RGB(220, 38, 38), false);
    locked->SetEnabled(false);
    auto* choices = new TPopupMenu(page.Form());
    for (const char* caption : {"&Reply", "Reply &all", "&Forward"}) {
        auto* item = new TMenuItem(choices);
        item->SetCaption(caption);
        choices->Items()->Add(item);
    }
    auto* menuButton = page.Add<TMenuButton>(nullptr, 292, 550, 110, 28, "&Answer");
    menuButton->OnClick = [menuButton, choices](TObject*) {
        RECT bounds{};
        GetWindowRect(menuButton->Handle(), &bounds);
        choices->Popup(bounds.left, bounds.bottom);
    };
    auto* simple = page.Add<TComboBox>(nullptr, 414, 550, 150, 72);
    simple->SetStyle(csSimple);
    simple->SetBounds(414, 550, 150, 80);
    for (const char* item : {"Spring", "Summer", "Autumn", "Winter"}) simple->Items()->Add(item);
    simple->SetItemIndex(2);
    (void)normal;
    return page.Open(focused);
}

void PlaySample(TMediaPlayer* player)
{
    // A short chime, written once into the temporary folder.
    WCHAR folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string path = Utf16ToUtf8(folder) + "quorvane_gallery_chime.wav";
    const uint32_t rate = 22050, samples = rate * 3 / 2;
    std::vector<uint8_t> data;
    const auto put = [&](const void* p, size_t n) {
        data.insert(data.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    const auto u32 = [&](uint32_t v) { put(&v, 4); };
    const auto u16 = [&](uint16_t v) { put(&v, 2); };
    put("RIFF", 4);
    u32(36 + samples * 2);
    put("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    put("data", 4);
    u32(samples * 2);
    for (uint32_t i = 0; i < samples; ++i) {
        // A falling triangle-ish tone that fades out.
        const uint32_t period = 40 + i / 1000;
        const int phase = static_cast<int>(i % period) * 2 - static_cast<int>(period);
        const int level = static_cast<int>(9000 * (samples - i) / samples);
        u16(static_cast<uint16_t>(static_cast<int16_t>(phase * level / static_cast<int>(period))));
    }
    HANDLE file = CreateFileW(reinterpret_cast<const WCHAR*>(Utf8ToUtf16(path).c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
    player->SetFileName(path);
    try {
        player->Open();
    } catch (const Exception&) {
        // Without a sound device the bar stays closed, its buttons grey.
    }
}

TForm* OpenBars()
{
    Page page("Controls: tool, cool, status and media player bars", 660, 400);
    TImageList* images = MakeImages(page.Form());
    auto* bar = new TToolBar(page.Form());
    bar->SetParent(page.Form());
    bar->SetImages(images);
    bar->SetFlat(true);
    bar->SetShowCaptions(true);
    bar->SetButtonSize(60, 38);
    // The bar takes the height of its buttons (a caption under a picture is
    // taller than the bar's default height), so the cool bar below it
    // starts under the buttons instead of over their captions.
    bar->SetAutoSize(true);
    auto* menu = new TPopupMenu(page.Form());
    for (const char* caption : {"&First choice", "&Second choice"}) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    const char* captions[] = {"Normal", "Down", "Drop", "Disabled"};
    for (int i = 0; i < 4; ++i) {
        auto* button = new TToolButton(page.Form());
        button->SetParent(bar);
        button->SetCaption(captions[i]);
        button->SetImageIndex(i);
        if (i == 1) {
            button->SetStyle(tbsCheck);
            button->SetDown(true);
        }
        if (i == 2) {
            button->SetStyle(tbsDropDown);
            button->SetDropdownMenu(menu);
        }
        if (i == 3) button->SetEnabled(false);
    }

    auto* cool = new TCoolBar(page.Form());
    cool->SetParent(page.Form());
    auto* address = new TEdit(page.Form());
    address->SetText("A band holding an edit");
    TCoolBand* first = cool->Bands()->Add();
    first->SetText("Address");
    first->SetControl(address);
    first->SetWidth(360);
    TCoolBand* second = cool->Bands()->Add();
    second->SetText("Coloured band");
    second->SetBreak(false);
    second->SetColor(RGB(255, 236, 200));
    TCoolBand* third = cool->Bands()->Add();
    third->SetText("Second row");

    auto* status = new TStatusBar(page.Form());
    status->SetParent(page.Form());
    const char* texts[] = {"Ready", "", "Right"};
    for (int i = 0; i < 3; ++i) {
        TStatusPanel* panel = status->Panels()->Add();
        panel->SetText(texts[i]);
        panel->SetWidth(i == 0 ? 200 : 160);
    }
    status->Panels()->At(1)->SetStyle(psOwnerDraw);
    status->Panels()->At(2)->SetAlignment(taRightJustify);
    status->Panels()->At(2)->SetBevel(pbRaised);
    status->OnDrawPanel = [](TStatusBar* sender, TStatusPanel*, const RECT& rect) {
        UniqueBrush brush(CreateSolidBrush(RGB(22, 163, 74)));
        RECT inside = rect;
        InflateRect(&inside, -2, -2);
        inside.right = inside.left + (inside.right - inside.left) * 2 / 3;
        FillRect(sender->Canvas()->Handle(), &inside, brush.get());
    };

    page.Title(nullptr, 12, 150, "Media player (MCI): all buttons, coloured");
    auto* player = page.Add<TMediaPlayer>(nullptr, 12, 168, 300, 30);
    page.Title(nullptr, 330, 150, "Play, pause and stop, plain");
    auto* few = page.Add<TMediaPlayer>(nullptr, 330, 168, 150, 30);
    few->SetVisibleButtons(SetOf({btPlay, btPause, btStop}));
    few->SetColoredButtons(0);
    page.Title(nullptr, 12, 210, "Disabled");
    auto* off = page.Add<TMediaPlayer>(nullptr, 12, 228, 300, 30);
    off->SetAutoEnable(false);
    off->SetEnabledButtons(SetOf({btPlay, btStop}));
    off->SetEnabled(false);
    auto* info = page.Add<TLabel>(nullptr, 12, 268, 600, 16, "");
    player->OnNotify = [player, info](TObject*) {
        info->SetCaption(player->NotifyValue() == nvSuccessful ? "Played to the end." : "Stopped.");
    };
    TForm* form = page.Open();
    PlaySample(player);
    few->SetFileName(player->FileName());
    try {
        if (!few->FileName().empty()) few->Open();
    } catch (const Exception&) {
    }
    return form;
}

// ---- the bare dialog -------------------------------------------------------------

enum : WORD { kTabs = 201, kList, kTree, kUpDown, kBuddy, kDate, kProgress, kTrack, kHeader, kStatus, kScroll };

INT_PTR CALLBACK BareDialogProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM) noexcept
{
    switch (msg) {
    case WM_INITDIALOG: {
        HWND tabs = GetDlgItem(dialog, kTabs);
        const wchar_t* tabTexts[] = {L"General", L"Voices", L"Advanced"};
        for (int i = 0; i < 3; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(tabTexts[i]);
            SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        HWND list = GetDlgItem(dialog, kList);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 90;
        column.pszText = const_cast<wchar_t*>(L"Voice");
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        column.pszText = const_cast<wchar_t*>(L"Language");
        SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
        const wchar_t* voices[][2] = {{L"en-us", L"409"}, {L"en-gb", L"809"}, {L"cmn", L"804"}};
        for (int i = 0; i < 3; ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>(voices[i][0]);
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            item.iSubItem = 1;
            item.pszText = const_cast<wchar_t*>(voices[i][1]);
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        HWND tree = GetDlgItem(dialog, kTree);
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(L"Skins");
        auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        for (const wchar_t* name : {L"Light", L"Dark"}) {
            insert.hParent = root;
            insert.item.pszText = const_cast<wchar_t*>(name);
            SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        }
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        SendDlgItemMessageW(dialog, kUpDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kBuddy)), 0);
        SendDlgItemMessageW(dialog, kUpDown, UDM_SETRANGE32, 0, 100);
        SendDlgItemMessageW(dialog, kUpDown, UDM_SETPOS32, 0, 42);
        SendDlgItemMessageW(dialog, kProgress, PBM_SETPOS, 60, 0);
        SendDlgItemMessageW(dialog, kTrack, TBM_SETPOS, TRUE, 3);
        HWND header = GetDlgItem(dialog, kHeader);
        for (const wchar_t* text : {L"Header", L"Sections"}) {
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH;
            item.cxy = 80;
            item.pszText = const_cast<wchar_t*>(text);
            SendMessageW(header, HDM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&item));
        }
        SendDlgItemMessageW(dialog, kStatus, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"A bare dialog from a template"));
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 100, 20, 30, 0};
        SetScrollInfo(GetDlgItem(dialog, kScroll), SB_CTL, &info, TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

TForm* OpenBareDialog()
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    DialogTemplate dialog(u"Platform controls in a bare dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                          330, 230);
    dialog.Item(u"SysTabControl32", u"", kTabs, WS_TABSTOP, 6, 6, 150, 20);
    dialog.Item(u"SysListView32", u"", kList, LVS_REPORT | WS_BORDER | WS_TABSTOP, 6, 30, 150, 70);
    dialog.Item(u"SysTreeView32", u"", kTree, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | WS_BORDER | WS_TABSTOP,
                164, 6, 80, 94);
    dialog.Item(u"EDIT", u"", kBuddy, WS_BORDER | WS_TABSTOP | ES_NUMBER, 252, 6, 50, 13);
    dialog.Item(u"msctls_updown32", u"", kUpDown, UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, 302, 6, 10, 13);
    dialog.Item(u"SysDateTimePick32", u"", kDate, WS_TABSTOP, 252, 24, 70, 13);
    dialog.Item(u"SysDateTimePick32", u"", kDate + 100, WS_TABSTOP | DTS_UPDOWN | WS_DISABLED, 252, 42, 70, 13);
    dialog.Item(u"msctls_progress32", u"", kProgress, 0, 6, 106, 150, 10);
    dialog.Item(u"msctls_trackbar32", u"", kTrack, TBS_AUTOTICKS | WS_TABSTOP, 164, 104, 150, 18);
    dialog.Item(u"SysHeader32", u"", kHeader, HDS_BUTTONS, 6, 124, 160, 12);
    dialog.Item(u"SCROLLBAR", u"", kScroll, SBS_HORZ, 6, 142, 150, 10);
    dialog.Item(u"BUTTON", u"&Check box", 220, BS_AUTOCHECKBOX | WS_TABSTOP, 170, 128, 70, 12);
    dialog.Item(u"BUTTON", u"&Radio button", 221, BS_AUTORADIOBUTTON | WS_TABSTOP, 170, 144, 70, 12);
    dialog.Item(u"COMBOBOX", u"", 222, CBS_DROPDOWNLIST | WS_TABSTOP, 244, 128, 78, 60);
    dialog.Item(u"BUTTON", u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 214, 180, 50, 14);
    dialog.Item(u"BUTTON", u"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 270, 180, 50, 14);
    dialog.Item(u"msctls_statusbar32", u"", kStatus, 0, 0, 0, 0, 0);
    HWND owner = Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, BareDialogProcedure, 0);
    return nullptr;
}

}  // namespace

const TClassInfo& TMenuButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TMenuButton", &TButton::StaticClass());
    return info;
}

void AddGalleryClasses(TSkinData& skinData)
{
    std::vector<std::string> lines = skinData.Skin3rd();
    lines.push_back("TMenuButton=menubtn");
    skinData.SetSkin3rd(lines);
}

const std::vector<ControlPage>& ControlPages()
{
    static const std::vector<ControlPage> pages{
        {"&Tabs and pages", OpenTabs},
        {"&Headers, lists and trees", OpenLists},
        {"&Grids, scrolling and frames", OpenGrids},
        {"&Up-downs, dates, track and progress bars", OpenValues},
        {"&Buttons, groups and text", OpenButtons},
        {"Tool, cool, status and &media bars", OpenBars},
        {"Platform controls in a bare &dialog", OpenBareDialog},
    };
    return pages;
}

}  // namespace quorvane::gallery
