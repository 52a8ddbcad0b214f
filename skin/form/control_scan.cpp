#include "skin/form/control_scan.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "framework/collections.h"
#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/properties.h"
#include "skin/controls/button_skinners.h"
#include "skin/controls/check_skinners.h"
#include "skin/controls/skin_control.h"
#include "skin/controls/skinner_registry.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/skin_data.h"
#include "skin/form/form_engine.h"
#include "skin/form/menu_items.h"
#include "skin/form/paint_routines.h"
#include "skin/form/skin_messages.h"

namespace quorvane {

namespace {

TSkinData* SkinOf(TWinSkinForm* engine)
{
    return engine ? engine->SkinData() : nullptr;
}

void WalkItems(TMenuItem* item, int depth, const std::function<void(TMenuItem*, int)>& visit)
{
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* child = item->Items(i);
        visit(child, depth);
        WalkItems(child, depth + 1, visit);
    }
}

// Gives an item the skin's handlers; the application's own stay.
void GiveHandlers(TSkinData* skinData, TMenuItem* item, bool popupMeasurer)
{
    if (!item->OnDrawItem || IsSkinHandler(item->OnDrawItem)) item->OnDrawItem = SkinItemPainter(skinData);
    if (!item->OnMeasureItem || IsSkinHandler(item->OnMeasureItem))
        item->OnMeasureItem = popupMeasurer ? SkinPopupItemMeasurer(skinData) : SkinMenuItemMeasurer(skinData);
}

void TakeHandlers(TMenuItem* item)
{
    if (IsSkinHandler(item->OnDrawItem)) item->OnDrawItem = nullptr;
    if (IsSkinHandler(item->OnMeasureItem)) item->OnMeasureItem = nullptr;
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string WindowClass(HWND window)
{
    WCHAR name[101] = {};
    const int length = GetClassNameW(window, name, 101);
    return Lower(Utf16ToUtf8(name, length));
}

// ---- the tool bar's drawing handlers -----------------------------------------------------

// Stretches the skin's tool bar background over the bar.
struct ToolbarBackground {
    TSkinData* skinData;
    void operator()(TToolBar*, const RECT& rect, HDC dc, bool&) const
    {
        if (!skinData || InSet(skinData->Options(), xoToolbarBK)) return;
        const TDataSkinObject* element = skinData->Toolbar.get();
        if (!element || IsEmptyBitmap(element->Bitmap)) return;
        const SIZE size = BitmapSize(element->Bitmap.get());
        UniqueMemoryDc source = UniqueMemoryDc::Compatible(dc);
        SelectGuard select(source.get(), element->Bitmap.get());
        const int mode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source.get(), 0, 0, size.cx,
                   size.cy, SRCCOPY);
        SetStretchBltMode(dc, mode);
    }
};

// Paints each tool button from the skin's tool bar button element by state
// (the platform's draw record gives its rectangle and state).
struct ToolbarButtons {
    TWinSkinForm* engine;
    TSkinData* skinData;
    void operator()(TToolBar* bar, TToolButton* button, NMTBCUSTOMDRAW& draw, bool& defaultDraw) const
    {
        if (!skinData || !engine || engine->EngineState != esSkinned) return;
        const TDataSkinObject* element = skinData->ToolBars.get();
        if (!element || IsEmptyBitmap(element->Bitmap)) return;
        const UINT state = draw.nmcd.uItemState;
        const bool enabled = !(state & (CDIS_GRAYED | CDIS_DISABLED));
        if (!enabled && bar && button && button->Style() == tbsButton && bar->ShowCaptions() &&
            SystemColourFor(bar->Handle(), COLOR_BTNHIGHLIGHT) != GetSysColor(COLOR_BTNHIGHLIGHT)) {
            // The platform etches a disabled picture with the system's own
            // light colour (white on any dark face) and writes the caption in
            // the system's grey: under a skin with its own light colour the
            // button is drawn here, its caption in the resolved grey text.
            DrawDisabledButton(bar, button, draw);
            defaultDraw = false;
            return;
        }
        int frame = 0;
        if (state & CDIS_SELECTED)
            frame = 2;
        else if (enabled && (state & CDIS_CHECKED))
            frame = element->Frame >= 5 ? 5 : 2;  // a down check button: its own frame, else the pressed one
        else if (state & (CDIS_FOCUS | CDIS_HOT))
            frame = 4;
        else if (enabled && (state & CDIS_DEFAULT))
            frame = 1;
        if (frame == 0) return;
        if (state & CDIS_CHECKED) {
            // The platform fills a checked button with a dither of its own
            // light and face colours over whatever was drawn here: the
            // element's frame is the face, and the platform draws only the
            // picture and the caption on it.
            draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_CHECKED);
        }
        HDC dc = draw.nmcd.hdc;
        const int colour = frame == 1 ? element->NormalColour : frame == 4 ? element->MouseOverColour : element->PressedColour;
        if (colour != -1) {
            // The platform draws the caption in the record's colours.
            const COLORREF text = ResolveColour(static_cast<COLORREF>(colour));
            SetTextColor(dc, text);
            draw.clrText = draw.clrTextHighlight = text;
        }
        RECT rect = draw.nmcd.rc;
        InflateRect(&rect, -1, -1);
        DrawElement(dc, rect, element->Bitmap.get(), false, element->Tile == 1, element->Trans == 1, 5, frame,
                    element->Margins());
    }

    // A disabled button with its caption under its picture, laid out as the
    // platform lays it out: the picture centred below the top padding, the
    // caption centred under it.
    static void DrawDisabledButton(TToolBar* bar, TToolButton* button, const NMTBCUSTOMDRAW& draw)
    {
        HDC dc = draw.nmcd.hdc;
        const RECT& rc = draw.nmcd.rc;
        HWND window = bar->Handle();
        const DWORD padding = static_cast<DWORD>(SendMessageW(window, TB_GETPADDING, 0, 0));
        int top = rc.top + HIWORD(padding) / 2;
        if (TImageList* images = bar->Images(); images && button->ImageIndex() >= 0) {
            images->Draw(dc, rc.left + (rc.right - rc.left - images->Width()) / 2, top, button->ImageIndex(), false);
            top += images->Height() + 1;
        }
        const std::u16string caption = Utf8ToUtf16(button->Caption());
        if (caption.empty()) return;
        SavedDcState saved(dc);
        if (auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0))) SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, SystemColourFor(window, COLOR_GRAYTEXT));
        RECT text{rc.left + 1, top, rc.right - 1, rc.bottom};
        DrawTextW(dc, reinterpret_cast<const WCHAR*>(caption.c_str()), static_cast<int>(caption.size()), &text,
                  DT_CENTER | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
};

// The decision for one control (see ChooseSkinner below).
class Scanner {
public:
    Scanner(TWinSkinForm* engine, TComponent* container)
        : engine_(engine), container_(container), skin_(SkinOf(engine))
    {
    }

    void ScanComponents(TComponent* container);
    void ScanChildren(TWinControl* control);
    void ChooseSkinner(TControl* control);
    bool SkinByClassMap(const std::string& upperName, TControl* control);

private:
    bool Has(TSkinControlType kind) const { return InSet(skin_->SkinControls(), kind); }
    bool SkinHasTabs() const { return skin_->Tabs && !IsEmptyBitmap(skin_->Tabs->Bitmap); }
    TSkinControl* Attach(const char* skinnerClass, TControl* control, bool replaceColour = false, int mode = -1);
    bool AlreadySkinned(TControl* control) const;
    void SkinToolbar(TToolBar* toolbar);

    TWinSkinForm* engine_;
    TComponent* container_;
    TSkinData* skin_;
};

bool Scanner::AlreadySkinned(TControl* control) const
{
    for (TSkinControl* skinner : engine_->Skinners())
        if (skinner->Control() == control) return true;
    if (auto* windowed = As<TWinControl>(control); windowed && windowed->HandleAllocated())
        return SendMessageW(windowed->WindowHandle(), WM_SKINQUERY, 0, 0) == 1;
    return control->Perform(WM_SKINQUERY, 0, 0) == 1;
}

TSkinControl* Scanner::Attach(const char* skinnerClass, TControl* control, bool replaceColour, int mode)
{
    TSkinControl* skinner = CreateSkinner(skinnerClass, control);
    if (!skinner) return nullptr;  // this build has no such skinner: the control keeps its look
    if (mode >= 0) skinner->SetMode(mode);
    if (auto* speed = dynamic_cast<TSkinSpeedButton*>(skinner))
        speed->AttachGraphic(engine_, skin_, engine_->CanvasB());
    else
        skinner->AttachControl(engine_, skin_, replaceColour, engine_->CanvasB());
    if (mode >= 0) skinner->SetMode(mode);
    return skinner;
}

void Scanner::ScanComponents(TComponent* container)
{
    std::vector<TControl*> controls;
    for (int i = 0; i < container->ComponentCount(); ++i)
        if (auto* control = dynamic_cast<TControl*>(container->Components(i))) controls.push_back(control);
    for (TControl* control : controls) ChooseSkinner(control);
    if (Has(xcPopupMenu)) SetPopupMenusOwnerDraw(engine_, container, true);
}

void Scanner::ScanChildren(TWinControl* control)
{
    std::vector<TControl*> children;
    for (int i = 0; i < control->ControlCount(); ++i) children.push_back(control->Controls(i));
    for (TControl* child : children) ChooseSkinner(child);
}

void Scanner::SkinToolbar(TToolBar* toolbar)
{
    SetPropText(toolbar, "Flat", "True");
    if (!toolbar->OnCustomDraw) toolbar->OnCustomDraw = ToolbarBackground{skin_};
    if (!toolbar->OnCustomDrawButton) toolbar->OnCustomDrawButton = ToolbarButtons{engine_, skin_};
    Attach("TSkinBox", toolbar, false);
    if (TMenuItem* menu = toolbar->Menu()) SetMenuItemHandlers(engine_, menu, true);
}

void Scanner::ChooseSkinner(TControl* control)
{
    if (!control) return;
    // 1. The disable tag keeps a control (and a group's buttons) as it is.
    const std::string lowerName = Lower(control->ClassName());
    if (control->Tag() == skin_->DisableTag()) {
        if (auto* group = As<TWinControl>(control);
            group && (lowerName.find("radiogroup") != std::string::npos || lowerName.find("checkgroup") != std::string::npos))
            for (int i = 0; i < group->ControlCount(); ++i)
                if (auto* child = dynamic_cast<TComponent*>(group->Controls(i))) child->SetTag(skin_->DisableTag());
        return;
    }
    // 2. Controls without a parent, and controls skinned already.
    if (!control->Parent() || AlreadySkinned(control)) return;
    // 3. A windowed control needs its window.
    const std::string upper = UpperCase(control->ClassName());
    if (auto* windowed = As<TWinControl>(control); windowed && !windowed->HandleAllocated()) {
        try {
            windowed->HandleNeeded();
        } catch (...) {
            return;
        }
        if (!windowed->HandleAllocated()) return;
    }
    // 4. The application's own skinner.
    if (skin_->OnSkinControl) {
        TComponent* supplied = nullptr;
        skin_->OnSkinControl(engine_, skin_, dynamic_cast<TControl*>(container_), control, upper, supplied);
        if (auto* skinner = dynamic_cast<TSkinControl*>(supplied)) {
            const bool present = std::find(engine_->Skinners().begin(), engine_->Skinners().end(), skinner) !=
                                 engine_->Skinners().end();
            if (!present) skinner->AttachControl(engine_, skin_, skinner->ReplaceColor(), engine_->CanvasB());
            if (control->InheritsFrom("TPanel"))
                if (auto* panel = As<TWinControl>(control)) ScanChildren(panel);
            return;
        }
    }
    // 5. The class map.
    if (SkinByClassMap(upper, control)) return;
    // 6. Classes of other libraries that stay as they are.
    if (upper == "TDBCOMBOBOXEH" || upper == "TFRDESIGNERPAGE" || upper == "TFRPBOX") return;

    // 7. The class table, top to bottom; a rule whose kind is off lets the next one try.
    auto is = [&](std::string_view name) { return control->InheritsFrom(name); };
    auto windowed = As<TWinControl>(control);
    if (is("TCustomTabControl") && Has(xcTab) && SkinHasTabs()) {
        if (is("TPageControl")) {
            const std::string style = Lower(GetEnumPropName(control, "Style"));
            Attach(style == "tsbuttons" || style == "tsflatbuttons" ? "TSkinTabBtn" : "TSkinTab", control);
        } else {
            Attach("TSkinTab", control, false, 2);
        }
        return;
    }
    if (is("TToolButton") && engine_->FrameSkinning) {
        if (auto* item = GetObjectPropOf<TMenuItem>(control, "MenuItem")) SetMenuItemHandlers(engine_, item, true);
        if (auto* menu = GetObjectPropOf<TPopupMenu>(control, "DropdownMenu")) {
            menu->SetOwnerDraw(true);
            SetMenuItemHandlers(engine_, menu->Items(), true);
        }
        return;
    }
    if (is("TCoolBar") && Has(xcToolbar)) {
        // Every band takes the skin colour.
        const auto face = static_cast<TColor>(skin_->Colours.ButtonFace);
        if (auto* bands = GetObjectPropOf<TCollection>(control, "Bands"))
            for (int i = 0; i < bands->Count(); ++i) SetOrdProp(bands->Items(i), "Color", face);
        return;
    }
    if (upper == "TTABSET" && SkinHasTabs()) return void(Attach("TSkinTab31", control));
    if (is("TTabSheet") && SkinHasTabs()) return void(Attach("TSkinTabSheet", control));
    if (upper == "TTABBEDNOTEBOOK" && SkinHasTabs()) return void(Attach("TSkinTab", control));
    if (upper == "TMVCPANEL") {
        if (windowed) ScanChildren(windowed);
        return;
    }
    if (is("THeaderControl") && Has(xcPanel)) return void(Attach("TSkinHeader", control));
    if (is("TCheckBox") && Has(xcCheckBox)) return void(Attach("TSkinCheckBox", control));
    if (is("TTrackBar") && Has(xcTrackBar)) return void(Attach("TSkinTrackBar", control));
    if ((upper == "TUPDOWN" || upper == "TSPINBUTTON" || is("TUpDown")) && Has(xcSpin))
        return void(Attach("TSkinUpDown", control));
    if ((upper == "TMEDIAPLAYER" || is("TMediaPlayer")) && Has(xcButton)) return void(Attach("TSkinMP", control));
    if (is("TCustomRadioGroup") && Has(xcRadioButton)) {
        if (windowed)
            for (int i = 0; i < windowed->ControlCount(); ++i) {
                TControl* child = windowed->Controls(i);
                if (!AlreadySkinned(child)) Attach("TSkinRadioButton", child);
            }
        Attach("TSkinGroupBox", control, true);
        return;
    }
    if (upper == "TDBNAVIGATOR" && Has(xcPanel)) {
        Attach("TSkinBox", control, true);
        if (windowed) ScanChildren(windowed);
        return;
    }
    if ((upper == "TRZDBCHECKBOX" || upper == "TRZCHECKBOX") && Has(xcCheckBox)) {
        if (auto* skinner = dynamic_cast<TSkinObjImage*>(CreateSkinner("TSkinObjImage", control))) {
            skinner->GlyphKind = 1;
            skinner->AttachControl(engine_, skin_, true, engine_->CanvasB());
        }
        return;
    }
    if ((upper == "TRZRADIOBUTTON" || upper == "TRZDBRADIOBUTTON") && Has(xcRadioButton)) {
        if (auto* skinner = dynamic_cast<TSkinObjImage*>(CreateSkinner("TSkinObjImage", control))) {
            skinner->GlyphKind = 2;
            skinner->AttachControl(engine_, skin_, true, engine_->CanvasB());
        }
        return;
    }
    if ((upper == "TCXDBCHECKBOX" || upper == "TCXCHECKBOX") && Has(xcCheckBox)) {
        if (auto* skinner = dynamic_cast<TSkinObjImage*>(CreateSkinner("TSkinObjImage", control))) {
            skinner->GlyphKind = 3;
            skinner->AttachControl(engine_, skin_, true, engine_->CanvasB());
        }
        return;
    }
    if (is("TCustomGroupBox") && Has(xcPanel)) {
        if (windowed) ScanChildren(windowed);
        Attach("TSkinGroupBox", control);
        return;
    }
    if (is("TRadioButton") && Has(xcRadioButton)) return void(Attach("TSkinRadioButton", control));
    if (auto* toolbar = As<TToolBar>(control); toolbar && Has(xcToolbar)) return SkinToolbar(toolbar);
    if (is("TStatusBar") && Has(xcStatusBar)) return void(Attach("TSkinStatusBar", control));
    if (is("TProgressBar") && Has(xcProgress)) return void(Attach("TSkinProgress", control));
    if (is("TScrollBar") && Has(xcScrollbar)) return void(Attach("TSkinScControl", control));
    if ((upper == "TTNTCOMBOBOX" || is("TCustomComboBox")) && Has(xcCombo)) return void(Attach("TSkinComBox", control));
    if (is("TDateTimePicker") && Has(xcEdit)) {
        const bool upDown = Lower(GetEnumPropName(control, "DateMode")) == "dmupdown" ||
                            Lower(GetEnumPropName(control, "Kind")) == "dtktime";
        Attach(upDown ? "TSkinEdit" : "TSkinDateTime", control);
        return;
    }
    if ((upper == "TRICHEDIT" || is("TRichEdit")) && Has(xcScrollbar)) return void(Attach("TSkinScrollbar", control));
    if ((upper == "TWWDBRICHEDIT" || upper == "TDXDBMEMO") && Has(xcScrollbar)) return void(Attach("TSkinScrollbar", control));
    if (is("TBitBtn")) {
        if (Has(xcBitBtn)) Attach("TSkinBitButton", control);
        return;
    }
    if (is("TSpeedButton") && Has(xcSpeedButton)) return void(Attach("TSkinSpeedButton", control));
    if (is("TPanel") && Has(xcPanel)) {
        if (windowed) ScanChildren(windowed);
        Attach("TSkinBox", control, true);
        return;
    }
    if ((upper == "TDXTREELIST" || upper == "TDXDBTREELIST" || upper == "TDXDBGRID") && Has(xcScrollbar))
        return void(Attach("TSkinScrollbar", control));
    if (is("TCustomListView") && Has(xcScrollbar)) return void(Attach("TSkinListView", control));
    if (is("TCustomMemo") && Has(xcScrollbar)) return void(Attach("TSkinScrollbar", control));
    if ((is("TCustomGrid") || is("TDrawGrid")) && Has(xcScrollbar)) return void(Attach("TSkinScrollbar", control));
    if (Has(xcScrollbar)) {
        const LONG_PTR style = windowed && windowed->HandleAllocated() ? GetWindowLongPtrW(windowed->WindowHandle(), GWL_STYLE) : 0;
        if ((windowed && (style & (WS_VSCROLL | WS_HSCROLL))) || is("TCustomListBox") || is("TCustomMemo") ||
            is("TCustomTreeView") || is("TScrollBox"))
            return void(Attach("TSkinScrollbar", control));
    }
    if (is("TButton") && Has(xcButton)) return void(Attach("TSkinButton", control));
    if (is("TCustomEdit") && Has(xcEdit)) return void(Attach("TSkinEdit", control));
    if (upper == "TDCEDIT" || upper == "TDCDBEDIT") {
        const int buttons = GetIntProp(control, "NumButtons");
        if (buttons == 1 && Has(xcCombo)) {
            Attach("TSkinComBox", control);
        } else if (buttons == 0 && Has(xcEdit) && windowed) {
            if (TSkinControl* skinner = CreateSkinner("TSkinEdit", engine_))
                skinner->AttachHandle(windowed->WindowHandle(), skin_, engine_, engine_->CanvasB());
        }
        return;
    }
    if (is("TCustomFrame")) return ScanComponents(control);
    if (is("TForm")) {
        Attach("TSkinBox", control, true);
        ScanComponents(control);
        return;
    }
}

bool Scanner::SkinByClassMap(const std::string& upperName, TControl* control)
{
    const std::string key = Lower(upperName) + "=";
    std::string kind;
    bool found = false;
    for (const std::string& line : skin_->Skin3rd()) {
        const std::string lower = Lower(line);
        if (lower.rfind(key, 0) != 0) continue;
        kind = lower.substr(lower.find('=') + 1, 50);
        found = true;
        break;
    }
    if (!found) return false;
    if (kind == "nil") return true;
    auto windowed = As<TWinControl>(control);
    if (kind == "combobox") {
        if (Has(xcCombo)) Attach("TSkinComBox", control);
    } else if (kind == "edit") {
        if (Has(xcEdit) && windowed && windowed->HandleAllocated()) {
            RECT window{}, client{};
            GetWindowRect(windowed->WindowHandle(), &window);
            GetClientRect(windowed->WindowHandle(), &client);
            // Only a control with a border has anything to skin.
            if (window.right - window.left != client.right || window.bottom - window.top != client.bottom)
                Attach("TSkinEdit", control);
        }
    } else if (kind == "radiobutton") {
        if (Has(xcRadioButton)) Attach("TSkinRadioButton", control);
    } else if (kind == "panel") {
        if (Has(xcPanel)) {
            SetPropText(control, "Transparent", "True");
            Attach("TSkinBox", control, true);
        }
    } else if (kind == "trackbar") {
        if (Has(xcButton)) {
            SetPropText(control, "Transparent", "True");
            Attach("TSkinTrackBar", control);
        }
    } else if (kind == "button") {
        if (Has(xcButton)) Attach("TSkinButton", control);
    } else if (kind == "datetimepicker") {
        if (Has(xcCombo)) Attach("TSkinDateTime", control);
    } else if (kind == "mediaplayer") {
        if (Has(xcButton)) Attach("TSkinMP", control);
    } else if (kind == "bitbtn") {
        if (Has(xcButton)) {
            const bool dropDown = key == "tcxbutton=" && GetEnumPropName(control, "Kind") == "cxbkDropDownButton";
            Attach(dropDown ? "TSkinMenuButton" : "TSkinBitButton", control);
        }
    } else if (kind == "pngbitbtn") {
        if (Has(xcButton))
            if (auto* skinner = dynamic_cast<TSkinBitButton*>(CreateSkinner("TSkinBitButton", control))) {
                skinner->SetPictureProperty("PngImage");
                skinner->AttachControl(engine_, skin_, false, engine_->CanvasB());
            }
    } else if (kind == "menubtn") {
        if (Has(xcButton)) Attach("TSkinMenuButton", control);
    } else if (kind == "speedbutton") {
        if (Has(xcSpeedButton)) Attach("TSkinSpeedButton", control);
    } else if (kind == "tab") {
        if (Has(xcTab) && SkinHasTabs()) Attach("TSkinTab", control);
    } else if (kind == "progress") {
        if (Has(xcProgress)) Attach("TSkinProgress", control);
    } else if (kind == "scrollbar") {
        if (Has(xcScrollbar)) {
            Attach("TSkinScrollbar", control);
            if (windowed) ScanChildren(windowed);
        }
    } else if (kind == "singlescrollbar") {
        if (Has(xcScrollbar)) Attach("TSkinScrollbar", control, false, 1);
    } else if (kind == "embedscrollbar") {
        if (Has(xcScrollbar) && windowed)
            for (int i = 0; i < windowed->ControlCount(); ++i) {
                TControl* child = windowed->Controls(i);
                auto* childWindow = As<TWinControl>(child);
                if (child->InheritsFrom("TScrollBar")) {
                    Attach("TSkinScControl", child);
                } else if (childWindow && (child->InheritsFrom("TCustomListBox") || child->InheritsFrom("TCustomMemo") ||
                                           child->InheritsFrom("TCustomTreeView") || child->InheritsFrom("TScrollBox") ||
                                           (childWindow->HandleAllocated() &&
                                            (GetWindowLongPtrW(childWindow->WindowHandle(), GWL_STYLE) &
                                             (WS_VSCROLL | WS_HSCROLL))))) {
                    Attach("TSkinScrollbar", child);
                }
            }
    } else if (kind == "container") {
        if (windowed) ScanChildren(windowed);
    } else if (kind == "groupbox") {
        if (Has(xcGroupBox)) Attach("TSkinGroupBox", control, true);
    } else if (kind == "advpagecontrol") {
        if (Has(xcTab)) Attach("TSkinAdvPage", control, true, 4);
    } else if (kind == "radiogroup" || kind == "checkgroup") {
        const bool radio = kind == "radiogroup";
        const bool kindOn = radio ? Has(xcGroupBox) : Has(xcPanel);
        if (kindOn) {
            const bool rz = upperName.find("TRZ") != std::string::npos;
            if (Has(xcRadioButton) && windowed)
                for (int i = 0; i < windowed->ControlCount(); ++i) {
                    TControl* child = windowed->Controls(i);
                    if (rz) {
                        if (auto* skinner = dynamic_cast<TSkinObjImage*>(CreateSkinner("TSkinObjImage", child))) {
                            skinner->GlyphKind = radio ? 2 : 1;
                            skinner->AttachControl(engine_, skin_, true, engine_->CanvasB());
                        }
                    } else {
                        Attach(radio ? "TSkinRadioButton" : "TSkinCheckBox", child);
                    }
                }
            if (radio || Has(xcGroupBox)) Attach("TSkinGroupBox", control, true);
        }
    } else if (kind == "checkbox") {
        if (Has(xcCheckBox)) Attach("TSkinCheckBox", control);
    }
    return true;
}

}  // namespace

void ScanForm(TWinSkinForm* engine, TWinControl* form)
{
    if (!engine || !form || !engine->SkinData()) return;
    engine->FreeDeadSkinners();
    Scanner scanner(engine, form);
    scanner.ScanComponents(form);
    std::vector<TWinControl*> controls;
    form->GetTabOrderList(controls);
    TSkinData* skinData = engine->SkinData();
    for (TWinControl* control : controls) {
        if (!control->HandleAllocated() || control->Tag() == skinData->DisableTag()) continue;
        if (SendMessageW(control->WindowHandle(), WM_SKINQUERY, 0, 0) == 1) continue;
        scanner.ChooseSkinner(control);
    }
}

void ScanComponents(TWinSkinForm* engine, TComponent* container)
{
    if (!engine || !container || !engine->SkinData()) return;
    Scanner(engine, container).ScanComponents(container);
}

void ChooseSkinner(TWinSkinForm* engine, TControl* control, TComponent* container)
{
    if (!engine || !control || !engine->SkinData()) return;
    Scanner(engine, container).ChooseSkinner(control);
}

void ScanWindows(TWinSkinForm* engine, HWND parent)
{
    if (!engine || !parent) return;
    engine->FreeDeadSkinners();
    std::vector<HWND> children;
    for (HWND child = GetTopWindow(parent); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD) children.push_back(child);
    for (HWND child : children) SkinChildWindow(engine, child);
}

void SkinChildWindow(TWinSkinForm* engine, HWND window)
{
    TSkinData* skin = SkinOf(engine);
    if (!skin || !window || engine->FindSkinner(window)) return;
    const std::string name = WindowClass(window);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    auto attach = [&](const char* skinnerClass, HWND target) {
        if (TSkinControl* skinner = CreateSkinner(skinnerClass, engine))
            skinner->AttachHandle(target, skin, engine, engine->CanvasB());
    };
    if (name == "button") {
        // The low four bits are one button type, not flags: tested as
        // bits, a split button (0xC) read as a radio button and a command
        // link (0xE) as a check box.
        if (style & BS_BITMAP) return;  // a picture
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return attach("TSkinCheckBox", window);
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return attach("TSkinRadioButton", window);
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
        case BS_USERBUTTON:
        case BS_PUSHBOX:
            return attach("TSkinButton", window);
        default:
            // Group boxes and owner-drawn buttons; split buttons and command
            // links (0xC to 0xF) keep their own look: the push-button
            // skinner would hide their drop-down part and note text.
            return;
        }
    }
    if (name == "combobox") {
        if ((style & 3) != CBS_SIMPLE) attach("TSkinComBox", window);
        return;
    }
    if (name == "comboboxex32") {
        if (HWND inner = GetWindow(window, GW_CHILD)) attach("TSkinComBox", inner);
        return;
    }
    if (name == "scrollbar") {
        if (!(style & WS_TABSTOP)) attach("TSkinSizer", window);
        return;
    }
    if (name == "systreeview32") return;
    if (name == "#32770") {
        if (!(style & WS_TABSTOP)) {
            ScanWindows(engine, window);
            attach("TSkinBoxH", window);
        }
        return;
    }
    if (name == "tpanel" || name == "ttntpanel.unicodeclass" || name == "ttntsilentpaintpanel.unicodeclass") {
        ScanWindows(engine, window);
        if (TWinControl* control = FindControl(window)) control->SetColor(static_cast<TColor>(skin->Colours.ButtonFace));
        return;
    }
    if (name == "tcheckbox") return attach("TSkinCheckBox", window);
    if (name == "tcombobox") return attach("TSkinComBox", window);
    if (name == "tbutton") return attach("TSkinButton", window);
    if (name == "tprogressbar") return attach("TSkinProgress", window);
    if (name == "tsilentpaintpanel") {
        if (TWinControl* control = FindControl(window)) control->SetColor(static_cast<TColor>(skin->Colours.ButtonFace));
        return;
    }
    if (name == "systabcontrol32") {
        if (!(style & TCS_OWNERDRAWFIXED)) attach("TSkinTab", window);
        return;
    }
    if (name == "edit") attach("TSkinEdit", window);
}

void SetPopupMenusOwnerDraw(TWinSkinForm* engine, TComponent* container, bool on)
{
    TSkinData* skinData = SkinOf(engine);
    if (!container || !skinData || container->ClassName() == "TwwRichEditForm") return;
    for (int i = 0; i < container->ComponentCount(); ++i) {
        TComponent* component = container->Components(i);
        if (component->Is<TForm>() || component->InheritsFrom("TCustomFrame")) {
            SetPopupMenusOwnerDraw(engine, component, on);
            continue;
        }
        auto* popup = As<TPopupMenu>(component);
        if (!popup || popup->Tag() == kSystemMenuTag) continue;
        if (on && (!InSet(skinData->SkinControls(), xcPopupMenu) || popup->Tag() == skinData->DisableTag())) continue;
        popup->SetOwnerDraw(on);
        WalkItems(popup->Items(), 1, [&](TMenuItem* item, int) {
            if (on)
                GiveHandlers(skinData, item, true);
            else
                TakeHandlers(item);
        });
    }
}

void SetMainMenusOwnerDraw(TWinSkinForm* engine, TComponent* container, bool on)
{
    TSkinData* skinData = SkinOf(engine);
    if (!container || !skinData) return;
    for (int i = 0; i < container->ComponentCount(); ++i) {
        auto* menu = As<TMainMenu>(container->Components(i));
        if (!menu) continue;
        menu->SetOwnerDraw(on);
        WalkItems(menu->Items(), 1, [&](TMenuItem* item, int depth) {
            if (!on)
                TakeHandlers(item);
            else if (depth >= 2)
                GiveHandlers(skinData, item, false);
        });
    }
}

void SetMenuItemHandlers(TWinSkinForm* engine, TMenuItem* item, bool on)
{
    TSkinData* skinData = SkinOf(engine);
    if (!item || !skinData) return;
    auto apply = [&](TMenuItem* each) {
        if (on)
            GiveHandlers(skinData, each, false);
        else
            TakeHandlers(each);
    };
    apply(item);
    WalkItems(item, 1, [&](TMenuItem* each, int) { apply(each); });
}

void SkinRecreatedControl(TWinSkinForm* engine, HWND window)
{
    if (!engine || !engine->SkinData()) return;
    // The skinners of the old window are dead; they go first, so that none
    // of them counts as the control's skinner any more.
    engine->FreeDeadSkinners();
    if (!window || !IsWindow(window) || !engine->Window()) return;
    TWinControl* control = FindControl(window);
    if (!control || control->WindowHandle() != window) return;
    // Only a control on this engine's window; another form's engine hears
    // of its own controls.
    if (!IsChild(engine->Window(), window)) return;
    TComponent* container = engine->FormObject();
    if (!container) container = control->Parent();
    ChooseSkinner(engine, control, container);
}

void ClearToolbarHandlers(TControl* control)
{
    auto* toolbar = As<TToolBar>(control);
    if (!toolbar) return;
    if (toolbar->OnCustomDraw && toolbar->OnCustomDraw.target<ToolbarBackground>()) toolbar->OnCustomDraw = nullptr;
    if (toolbar->OnCustomDrawButton && toolbar->OnCustomDrawButton.target<ToolbarButtons>())
        toolbar->OnCustomDrawButton = nullptr;
}

}  // namespace quorvane
