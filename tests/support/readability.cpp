#include "tests/support/readability.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "framework/buttons.h"
#include "framework/com_controls.h"
#include "framework/input_controls.h"
#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/group_controls.h"
#include "framework/std_controls.h"
#include "framework/message_box.h"

namespace quorvane::testsupport {

namespace {

double Channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

RECT Shrunk(RECT r, int dx, int dy)
{
    InflateRect(&r, -dx, -dy);
    return r;
}

// The text as drawn: "&x" shows x underlined, "&&" one ampersand.
std::string StripHotkey(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The control's rectangle on the screen.
RECT ScreenBounds(TControl* control)
{
    RECT r{0, 0, control->Width(), control->Height()};
    if (auto* windowed = As<TWinControl>(control); windowed && windowed->HandleAllocated()) {
        GetWindowRect(windowed->Handle(), &r);
        return r;
    }
    r = control->BoundsRect();
    if (TWinControl* parent = control->Parent(); parent && parent->HandleAllocated())
        MapWindowPoints(parent->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The part of the screen where the control can be seen: inside every
// ancestor's client area.
bool FullyVisible(TControl* control, const RECT& screenRect)
{
    if (!control->Visible()) return false;
    for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent()) {
        if (!parent->Visible() || !parent->HandleAllocated() || !IsWindowVisible(parent->Handle())) return false;
        RECT client{};
        GetClientRect(parent->Handle(), &client);
        MapWindowPoints(parent->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        RECT inside{};
        if (!IntersectRect(&inside, &client, &screenRect) || !EqualRect(&inside, &screenRect)) return false;
    }
    return true;
}

bool EffectivelyEnabled(TControl* control)
{
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Enabled()) return false;
    return true;
}

SIZE TextSize(TControl* control, const std::string& text)
{
    SIZE size{0, 0};
    WindowDc screen(nullptr);
    SelectGuard font(screen.get(), control->Font()->Handle());
    const std::u16string wide = Utf8ToUtf16(StripHotkey(text));
    GetTextExtentPoint32W(screen.get(), reinterpret_cast<const WCHAR*>(wide.c_str()), static_cast<int>(wide.size()),
                          &size);
    return size;
}

// Where the caption of a control stands, or an empty rectangle for a
// control without one.
RECT CaptionRect(TControl* control, const RECT& bounds)
{
    const std::string caption = control->Caption();
    if (caption.empty()) return RECT{};
    const SIZE text = TextSize(control, caption);
    const int middle = (bounds.top + bounds.bottom) / 2;
    if (control->InheritsFrom("TLabel")) return bounds;
    if (control->InheritsFrom("TCheckBox") || control->InheritsFrom("TRadioButton")) {
        // Right of the box or circle.
        RECT r{bounds.left + 20, middle - text.cy / 2, std::min<LONG>(bounds.left + 22 + text.cx, bounds.right),
               middle + (text.cy + 1) / 2};
        return r;
    }
    if (control->InheritsFrom("TCustomGroupBox")) {
        return RECT{bounds.left + 6, bounds.top, std::min<LONG>(bounds.left + 14 + text.cx, bounds.right - 6),
                    bounds.top + text.cy};
    }
    if (control->InheritsFrom("TBitBtn")) {
        // The text next to or under the glyph; the glyph is left out.
        auto* button = static_cast<TBitBtn*>(control);
        if (button->Layout() == blGlyphTop) return RECT{bounds.left + 4, bounds.bottom - 4 - text.cy, bounds.right - 4, bounds.bottom - 3};
        const int centre = (bounds.left + bounds.right) / 2;
        return RECT{std::max<LONG>(centre - text.cx / 2 + 6, bounds.left + 24), middle - text.cy / 2, bounds.right - 4,
                    middle + (text.cy + 1) / 2};
    }
    if (control->InheritsFrom("TButtonControl") || control->InheritsFrom("TSpeedButton") ||
        control->InheritsFrom("TPanel")) {
        const int centre = (bounds.left + bounds.right) / 2;
        RECT r{centre - text.cx / 2 - 2, middle - text.cy / 2, centre + text.cx / 2 + 2, middle + (text.cy + 1) / 2};
        RECT inner = Shrunk(bounds, 4, 4);
        IntersectRect(&r, &r, &inner);
        return r;
    }
    return RECT{};
}

// A tool button's caption: under its picture, centred, as the platform's
// tool bar draws it, and inside the button's face (`face`: the button less
// its one-pixel frame).
bool ToolButtonCaption(TToolButton* button, RECT& where, RECT& face)
{
    TToolBar* bar = button->ToolBar();
    if (!bar || !bar->HandleAllocated() || !button->Visible() || button->Caption().empty()) return false;
    RECT r = bar->ButtonRect(button);
    if (Empty(r)) return false;
    MapWindowPoints(bar->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    face = Shrunk(r, 2, 2);
    const SIZE text = TextSize(bar, button->Caption());
    const int centre = (r.left + r.right) / 2;
    where = RECT{std::max<LONG>(centre - text.cx / 2 - 2, face.left), std::max<LONG>(r.bottom - 4 - text.cy, face.top),
                 std::min<LONG>(centre + text.cx / 2 + 2, face.right), std::min<LONG>(r.bottom - 2, face.bottom)};
    return !Empty(where);
}

// True when every corner of `r` shows `window` itself (no sibling or other
// window covers it, and it is not cut off by its own bounds).
bool ShownBy(HWND window, const RECT& r)
{
    const POINT corners[] = {{r.left, r.top}, {r.right - 1, r.top}, {r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1}};
    for (const POINT& p : corners)
        if (WindowFromPoint(p) != window) return false;
    return true;
}

// The field of a date-time picker left of its arrow or up-down and right of
// its check box, where its date or time is written.
RECT PickerField(TDateTimePicker* picker)
{
    RECT client{};
    GetClientRect(picker->Handle(), &client);
    MapWindowPoints(picker->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const SIZE text = TextSize(picker, "0");
    const int middle = (client.top + client.bottom) / 2;
    return RECT{client.left + (picker->ShowCheckbox() ? 18 : 2), middle - text.cy / 2, client.right - 22,
                middle + (text.cy + 1) / 2};
}

void Collect(TWinControl* parent, const ScreenPixels& pixels, std::vector<CaptionSample>& out)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        if (auto* button = As<TToolButton>(control)) {
            RECT where{}, face{};
            if (ToolButtonCaption(button, where, face) && pixels.Contains(face)) {
                CaptionSample sample;
                sample.what = "TToolButton \"" + button->Caption() + "\"";
                sample.enabled = EffectivelyEnabled(control);
                if (ShownBy(button->ToolBar()->Handle(), face)) {
                    // Ink from the caption, ground from the whole face: a
                    // caption can only be read against its own button.
                    sample.ink = MeasureRect(pixels, where).ink;
                    sample.ground = MeasureRect(pixels, face).ground;
                    sample.ratio = ContrastRatio(sample.ink, sample.ground);
                } else {
                    sample.what += " (partly hidden: the button is cut off or covered)";
                }
                out.push_back(sample);
            }
            continue;
        }
        if (auto* picker = As<TDateTimePicker>(control); picker && picker->HandleAllocated() &&
                                                          IsWindowVisible(picker->Handle())) {
            // An unticked picker shows no date at all.
            if (picker->ShowCheckbox() && !picker->Checked()) continue;
            const RECT where = PickerField(picker);
            if (!Empty(where) && pixels.Contains(where)) {
                CaptionSample sample = MeasureRect(pixels, where);
                sample.what = "TDateTimePicker (its date or time)";
                sample.enabled = EffectivelyEnabled(control);
                out.push_back(sample);
            }
            continue;
        }
        const RECT bounds = ScreenBounds(control);
        if (!FullyVisible(control, bounds)) continue;
        RECT where{};
        std::string text;
        if (control->InheritsFrom("TCustomEdit") && !control->InheritsFrom("TCustomMemo")) {
            text = control->Text();
            if (!text.empty()) {
                const SIZE size = TextSize(control, text);
                const int middle = (bounds.top + bounds.bottom) / 2;
                where = RECT{bounds.left + 3, middle - size.cy / 2, std::min<LONG>(bounds.left + 5 + size.cx, bounds.right - 3),
                             middle + (size.cy + 1) / 2};
            }
        } else {
            text = control->Caption();
            where = CaptionRect(control, bounds);
        }
        if (!Empty(where) && pixels.Contains(where)) {
            CaptionSample sample = MeasureRect(pixels, where);
            sample.what = control->ClassName() + " \"" + text + "\"";
            sample.enabled = EffectivelyEnabled(control);
            out.push_back(sample);
        }
        if (auto* windowed = As<TWinControl>(control)) Collect(windowed, pixels, out);
    }
}

std::string WindowText(HWND window)
{
    WCHAR buffer[256]{};
    GetWindowTextW(window, buffer, 256);
    return Utf16ToUtf8(buffer);
}

}  // namespace

double RelativeLuminance(COLORREF colour)
{
    return 0.2126 * Channel(GetRValue(colour)) + 0.7152 * Channel(GetGValue(colour)) + 0.0722 * Channel(GetBValue(colour));
}

double ContrastRatio(COLORREF a, COLORREF b)
{
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

ScreenPixels::ScreenPixels(const RECT& screenRect) : rect_(screenRect)
{
    // Only what is on the screen can be read (a copy reaching past its edge
    // reads nothing at all).
    const RECT display{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&rect_, &rect_, &display);
    const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
    if (width <= 0 || height <= 0) return;
    WindowDc screen(nullptr);
    MemoryDc memory(screen.get());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) return;
    {
        SelectGuard select(memory.get(), section.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect_.left, rect_.top, SRCCOPY);
    }
    GdiFlush();
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    pixels_.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int i = 0; i < width * height; ++i) pixels_.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
}

COLORREF ScreenPixels::At(int x, int y) const
{
    const int width = rect_.right - rect_.left;
    return pixels_[static_cast<size_t>((y - rect_.top) * width + (x - rect_.left))];
}

bool ScreenPixels::Contains(const RECT& r) const
{
    return !pixels_.empty() && r.left >= rect_.left && r.top >= rect_.top && r.right <= rect_.right &&
           r.bottom <= rect_.bottom;
}

CaptionSample MeasureRect(const ScreenPixels& pixels, const RECT& r)
{
    std::map<COLORREF, int> counts;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) ++counts[pixels.At(x, y)];
    CaptionSample sample;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) {
            most = count;
            sample.ground = colour;
        }
    sample.ink = sample.ground;
    for (const auto& [colour, count] : counts) {
        if (count < 2) continue;
        const double ratio = ContrastRatio(colour, sample.ground);
        if (ratio > sample.ratio) {
            sample.ratio = ratio;
            sample.ink = colour;
        }
    }
    return sample;
}

std::vector<CaptionSample> MeasureCaptions(TWinControl* root)
{
    std::vector<CaptionSample> out;
    if (!root || !root->HandleAllocated()) return out;
    RECT screen{};
    GetWindowRect(root->Handle(), &screen);
    const ScreenPixels pixels(screen);
    Collect(root, pixels, out);
    return out;
}

namespace {

void CollectPickerBoxes(TWinControl* parent, const ScreenPixels& pixels, std::vector<CaptionSample>& out)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        auto* picker = As<TDateTimePicker>(control);
        if (!picker) {
            if (auto* windowed = As<TWinControl>(control)) CollectPickerBoxes(windowed, pixels, out);
            continue;
        }
        if (!picker->HandleAllocated() || !IsWindowVisible(picker->Handle()) || !picker->ShowCheckbox()) continue;
        for (HWND child = GetWindow(picker->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            WCHAR className[32]{};
            GetClassNameW(child, className, 32);
            if (lstrcmpiW(className, L"Button") != 0 || !IsWindowVisible(child)) continue;
            RECT box{};
            GetWindowRect(child, &box);
            const RECT field = PickerField(picker);
            if (!pixels.Contains(box) || Empty(field) || !pixels.Contains(field)) continue;
            CaptionSample sample;
            sample.what = "TDateTimePicker's check box";
            sample.enabled = EffectivelyEnabled(picker);
            sample.ground = MeasureRect(pixels, field).ground;
            // Inside the box's frame: its face.
            sample.ink = MeasureRect(pixels, Shrunk(box, 3, 3)).ground;
            sample.ratio = ContrastRatio(sample.ink, sample.ground);
            out.push_back(sample);
        }
    }
}

}  // namespace

std::vector<CaptionSample> MeasureCheckBoxFaces(TWinControl* root)
{
    std::vector<CaptionSample> out;
    if (!root || !root->HandleAllocated()) return out;
    RECT screen{};
    GetWindowRect(root->Handle(), &screen);
    const ScreenPixels pixels(screen);
    CollectPickerBoxes(root, pixels, out);
    return out;
}

std::vector<CaptionSample> MeasureWindowTexts(HWND root)
{
    std::vector<CaptionSample> out;
    RECT screen{};
    GetWindowRect(root, &screen);
    const ScreenPixels pixels(screen);
    for (HWND child = GetWindow(root, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        WCHAR className[64]{};
        GetClassNameW(child, className, 64);
        const std::string kind = Utf16ToUtf8(className);
        const std::string text = WindowText(child);
        if (text.empty()) continue;
        RECT bounds{};
        GetWindowRect(child, &bounds);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        RECT where{};
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE size{};
        const std::u16string wide = Utf8ToUtf16(StripHotkey(text));
        GetTextExtentPoint32W(dc, reinterpret_cast<const WCHAR*>(wide.c_str()), static_cast<int>(wide.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        const int middle = (bounds.top + bounds.bottom) / 2;
        if (kind == "Static") {
            where = RECT{bounds.left, bounds.top, std::min<LONG>(bounds.left + size.cx + 2, bounds.right),
                         std::min<LONG>(bounds.top + size.cy, bounds.bottom)};
        } else if (kind == "Button") {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) {
                where = RECT{bounds.left + 6, bounds.top, std::min<LONG>(bounds.left + 14 + size.cx, bounds.right - 6),
                             bounds.top + size.cy};
            } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
                where = RECT{bounds.left + 20, middle - size.cy / 2, std::min<LONG>(bounds.left + 22 + size.cx, bounds.right),
                             middle + (size.cy + 1) / 2};
            } else {
                const int centre = (bounds.left + bounds.right) / 2;
                where = RECT{centre - size.cx / 2 - 2, middle - size.cy / 2, centre + size.cx / 2 + 2, middle + (size.cy + 1) / 2};
                RECT inner = Shrunk(bounds, 4, 4);
                IntersectRect(&where, &where, &inner);
            }
        } else if (kind == "Edit") {
            where = RECT{bounds.left + 3, middle - size.cy / 2, std::min<LONG>(bounds.left + 5 + size.cx, bounds.right - 3),
                         middle + (size.cy + 1) / 2};
        }
        if (Empty(where) || !pixels.Contains(where)) continue;
        CaptionSample sample = MeasureRect(pixels, where);
        sample.what = kind + " \"" + text + "\"";
        sample.enabled = IsWindowEnabled(child) != FALSE;
        out.push_back(sample);
    }
    return out;
}

}  // namespace quorvane::testsupport
