// Combo boxes, track bars, progress and status bars, tabs, headers and
// up-downs under their skinners: the frames they show for each state, that
// the controls keep behaving as the platform's own, and that a hundred
// attach/free cycles leave no GDI or USER object behind.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "framework/com_controls.h"
#include "framework/input_controls.h"
#include "framework/scroll_controls.h"
#include "framework/list_controls.h"
#include "framework/media_player.h"
#include "framework/message_box.h"
#include "framework/std_controls.h"
#include "framework/tab_controls.h"
#include "skin/controls/combo_skinners.h"
#include "skin/controls/control_paint.h"
#include "skin/controls/edit_skinners.h"
#include "skin/controls/media_skinners.h"
#include "skin/controls/scrollbar_skinners.h"
#include "skin/controls/status_skinners.h"
#include "skin/controls/tab_skinners.h"
#include "tests/skin_controls/control_test_skin.h"
#include "tests/skin_data/skin_test_package.h"
#include "tests/skin_form/engine_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using namespace controltest;

template <class S>
S* Skinned(TControl* control)
{
    auto* skinner = SkinOf<S>(control);
    Pump(20);
    return skinner;
}

POINT ScreenOf(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

TEST(ComboSkinner, FrameAndButtonFollowHotPressedAndTheDropDown)
{
    auto* combo = PlaceOnStage<TComboBox>(20, 240, 180, 24);
    combo->SetStyle(csDropDownList);
    for (const char* item : {"one", "two", "three"}) combo->Items()->Add(item);
    combo->SetItemIndex(0);
    auto* skinner = Skinned<TSkinComBox>(combo);
    HWND window = combo->Handle();
    RECT client{};
    GetClientRect(window, &client);
    // The composite of sunken edge and button: the edge at the left, the
    // button at the right, the arrow glyph in the button's middle.
    EXPECT_EQ(ScreenPixel(window, 0, client.bottom / 2), SunkColour(1));
    EXPECT_EQ(ScreenPixel(window, client.right - 4, 3), ComboColour(1));
    const RECT button = skinner->ButtonRect();
    const int middle = (button.left + button.right) / 2;
    EXPECT_EQ(ScreenPixel(window, middle, client.bottom / 2), ExtraColour(1));

    // The mouse over the text does not make it hot, over the button it does.
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(skinner->MouseState() & kMouseHot, 0u);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(middle, 10));
    EXPECT_NE(skinner->MouseState() & kMouseHot, 0u);
    EXPECT_EQ(skinner->PaintedState(), 4);
    EXPECT_EQ(ScreenPixel(window, client.right - 4, 3), ComboColour(4));
    combo->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(skinner->MouseState() & kMouseHot, 0u);

    // Keyboard: F4 opens the list, Escape closes it.
    combo->SetFocus();
    Pump(20);
    Keys({VK_F4});
    Pump(100);
    EXPECT_TRUE(SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(skinner->DroppedDown());
    EXPECT_EQ(skinner->PaintedState(), 2);
    Keys({VK_ESCAPE});
    Pump(100);
    EXPECT_FALSE(SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(skinner->DroppedDown());

    // Mouse: a click on the button opens it, a second click closes it.
    MouseTo(ScreenOf(window, middle, client.bottom / 2));
    Pump(30);
    MouseButton(true);
    MouseButton(false);
    Pump(150);
    EXPECT_TRUE(SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(skinner->DroppedDown());
    MouseButton(true);
    MouseButton(false);
    Pump(150);
    EXPECT_FALSE(SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(combo->Text(), "one");

    // Right to left: the skin's button stays over the platform's button
    // (which opens the list), wherever the platform keeps it.
    combo->SetBiDiMode(bdRightToLeft);
    Pump(50);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(window, &info));
    EXPECT_TRUE(EqualRect(&skinner->ButtonRect(), &info.rcButton));
    EXPECT_EQ(ScreenPixel(window, (info.rcButton.left + info.rcButton.right) / 2, client.bottom / 2),
              ExtraColour(skinner->PaintedState()));
    Free(combo);
    Pump();
}

// A window that draws nothing and reports no combo information, so the
// skinner decides the button's side by the window's style alone.
HWND PlainWindow(DWORD exStyle, DWORD style, RECT bounds)
{
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuorvaneTestPlain";
        return RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExW(exStyle, L"QuorvaneTestPlain", L"", WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                           bounds.right - bounds.left, bounds.bottom - bounds.top, Stage()->Handle(), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(ComboSkinner, WithoutAReportedButtonTheRightToLeftStyleDrawsTheMirroredButtonAtTheLeft)
{
    for (const bool rightToLeft : {false, true}) {
        SCOPED_TRACE(rightToLeft ? "right to left" : "left to right");
        HWND window = PlainWindow(rightToLeft ? WS_EX_LEFTSCROLLBAR | WS_EX_RTLREADING | WS_EX_RIGHT : 0,
                                  CBS_DROPDOWNLIST, RECT{20, 400, 200, 424});
        auto* skinner = new TSkinComBox(Stage());
        skinner->AttachHandle(window, &Skin(), nullptr, nullptr);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const int arrow = GetSystemMetrics(SM_CXHSCROLL);
        const RECT expected = rightToLeft ? RECT{0, 0, arrow + 2, 24} : RECT{180 - arrow - 2, 0, 180, 24};
        EXPECT_TRUE(EqualRect(&skinner->ButtonRect(), &expected));
        const int middle = (expected.left + expected.right) / 2;
        EXPECT_EQ(ScreenPixel(window, middle, 12), ExtraColour(1));
        // The other end shows the sunken edge, the middle what the window drew.
        EXPECT_EQ(ScreenPixel(window, rightToLeft ? 179 : 0, 12), SunkColour(1));
        Free(skinner);
        DestroyWindow(window);
    }
    Pump();
}

TEST(TrackBarSkinner, ChannelAndThumbComeFromTheSkinAndValuesMatchThePlatform)
{
    auto* skinnedBar = PlaceOnStage<TTrackBar>(260, 240, 160, 32);
    auto* plainBar = PlaceOnStage<TTrackBar>(260, 290, 160, 32);
    for (TTrackBar* bar : {skinnedBar, plainBar}) {
        bar->SetRange(0, 20);
        bar->SetPosition(5);
        bar->HandleNeeded();
    }
    auto* skinner = Skinned<TSkinTrackBar>(skinnedBar);
    HWND window = skinnedBar->Handle();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // Ticks below: the thumb that points down (element 5).
    EXPECT_EQ(skinner->ThumbElement(), Skin().TrackbarThumbDown.get());
    RECT thumb{};
    SendMessageW(window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    // The thumb's frames from the skin's strip: 2 normal, 5 focused, 4 under
    // the mouse, 3 disabled, walked with the real mouse and focus.
    auto thumbShows = [&](int frame) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        for (int i = 0; i < 200 && ScreenPixel(window, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2) !=
                                       TrackbarThumbColour(5, frame);
             ++i)
            Pump(10);
        return ScreenPixel(window, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2) ==
               TrackbarThumbColour(5, frame);
    };
    const POINT away = ScreenOf(Stage()->Handle(), 630, 450);
    MouseTo(away);
    plainBar->SetFocus();
    Pump(30);
    EXPECT_TRUE(thumbShows(2)) << "normal";
    skinnedBar->SetFocus();
    EXPECT_TRUE(thumbShows(5)) << "focused";
    MouseTo(ScreenOf(window, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2));
    EXPECT_TRUE(thumbShows(4)) << "under the mouse";
    MouseTo(away);
    EXPECT_TRUE(thumbShows(5)) << "the mouse gone, focused";
    skinnedBar->SetEnabled(false);
    EXPECT_TRUE(thumbShows(3)) << "disabled";
    skinnedBar->SetEnabled(true);
    plainBar->SetFocus();
    EXPECT_TRUE(thumbShows(2)) << "normal again";
    RECT channel{};
    SendMessageW(window, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    EXPECT_EQ(ScreenPixel(window, channel.right - 6, (channel.top + channel.bottom) / 2), kTrackGroove);

    // The same keys and clicks move both bars alike.
    auto drive = [](TTrackBar* bar) {
        bar->SetFocus();
        Pump(20);
        Keys({VK_RIGHT});
        Keys({VK_RIGHT});
        Keys({VK_NEXT});
        Pump(60);
        const int afterKeys = bar->Position();
        HWND w = bar->Handle();
        RECT ch{};
        SendMessageW(w, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&ch));
        MouseTo(ScreenOf(w, ch.right - 4, (ch.top + ch.bottom) / 2));
        Pump(30);
        MouseButton(true);
        MouseButton(false);
        Pump(100);
        const int afterClick = bar->Position();
        // The thumb dragged back towards the start.
        RECT th{};
        SendMessageW(w, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&th));
        const POINT grab = ScreenOf(w, (th.left + th.right) / 2, (th.top + th.bottom) / 2);
        MouseTo(grab);
        Pump(30);
        MouseButton(true);
        Pump(30);
        for (int step = 1; step <= 5; ++step) {
            MouseTo({grab.x - step * 12, grab.y});
            Pump(20);
        }
        MouseButton(false);
        Pump(100);
        return std::tuple<int, int, int>(afterKeys, afterClick, bar->Position());
    };
    const auto skinnedValues = drive(skinnedBar);
    const auto plainValues = drive(plainBar);
    EXPECT_EQ(skinnedValues, plainValues);
    EXPECT_LT(std::get<2>(skinnedValues), std::get<1>(skinnedValues));  // the drag moved it
    Free(skinnedBar);
    Free(plainBar);
    Pump();
}

// Each orientation and tick side of a track bar gets its own thumb
// picture and channel: horizontal and vertical channels, thumbs pointing
// at the ticks, plain thumbs with ticks on both sides.
TEST(TrackBarSkinner, EachOrientationDrawsItsOwnChannelAndThumb)
{
    struct Row {
        TTrackBarOrientation orientation;
        TTickMark ticks;
        int thumb;  // Horz, Vert, Left, Right, Up, Down
        const char* what;
    };
    const Row rows[] = {
        {trHorizontal, tmBottomRight, 5, "horizontal, ticks below"},
        {trHorizontal, tmTopLeft, 4, "horizontal, ticks above"},
        {trHorizontal, tmBoth, 0, "horizontal, ticks on both sides"},
        {trVertical, tmBottomRight, 3, "vertical, ticks right"},
        {trVertical, tmTopLeft, 2, "vertical, ticks left"},
        {trVertical, tmBoth, 1, "vertical, ticks on both sides"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const bool vertical = row.orientation == trVertical;
        auto* control = PlaceOnStage<TTrackBar>(260, 200, vertical ? 40 : 200, vertical ? 200 : 40);
        control->SetOrientation(row.orientation);
        control->SetTickMarks(row.ticks);
        control->SetRange(0, 10);
        control->SetPosition(0);
        control->HandleNeeded();
        auto* skinner = Skinned<TSkinTrackBar>(control);
        HWND bar = control->Handle();
        SetFocus(Stage()->Handle());
        MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
        RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT thumb{}, channel{};
        SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        SendMessageW(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        // A vertical bar's channel comes back lying down.
        if (vertical && channel.right - channel.left > channel.bottom - channel.top)
            channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
        const POINT thumbAt{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
        const POINT channelAt = vertical ? POINT{(channel.left + channel.right) / 2, channel.bottom - 6}
                                         : POINT{channel.right - 6, (channel.top + channel.bottom) / 2};
        const COLORREF groove = vertical ? kTrackGrooveVert : kTrackGroove;
        for (int i = 0; i < 200 && (ScreenPixel(bar, thumbAt.x, thumbAt.y) != TrackbarThumbColour(row.thumb, 2) ||
                                    ScreenPixel(bar, channelAt.x, channelAt.y) != groove);
             ++i)
            Pump(10);
        EXPECT_EQ(skinner->ThumbElement(), row.thumb == 5 ? Skin().TrackbarThumbDown.get()
                                           : row.thumb == 4 ? Skin().TrackbarThumbUp.get()
                                           : row.thumb == 3 ? Skin().TrackbarThumbRight.get()
                                           : row.thumb == 2 ? Skin().TrackbarThumbLeft.get()
                                           : row.thumb == 1 ? Skin().TrackbarThumbVert.get()
                                                            : Skin().TrackbarThumbHorz.get());
        EXPECT_EQ(ScreenPixel(bar, thumbAt.x, thumbAt.y), TrackbarThumbColour(row.thumb, 2)) << "thumb";
        EXPECT_EQ(ScreenPixel(bar, channelAt.x, channelAt.y), groove) << "channel";
        Free(control);
        Pump();
    }
}

TEST(ProgressSkinner, TheFilledPartFollowsThePositionWithinTheRange)
{
    auto* bar = PlaceOnStage<TProgressBar>(20, 300, 200, 16);
    bar->SetMin(0);
    bar->SetMax(100);
    bar->SetPosition(50);
    bar->HandleNeeded();
    auto* skinner = Skinned<TSkinProgress>(bar);
    HWND window = bar->Handle();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(skinner->PaintedFill(), 100);
    EXPECT_EQ(ScreenPixel(window, 50, 8), ProgressColour(2));
    EXPECT_EQ(ScreenPixel(window, 150, 8), ProgressColour(1));
    // The lower limit counts: 75 in 50..100 is half way.
    bar->SetMin(50);
    bar->SetPosition(75);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(skinner->PaintedFill(), 100);
    bar->SetPosition(50);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(skinner->PaintedFill(), 0);
    EXPECT_EQ(ScreenPixel(window, 10, 8), ProgressColour(1));
    Free(bar);

    // A vertical bar fills from the bottom.
    HWND vertical = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_VERTICAL, 240, 240, 16, 120,
                                    Stage()->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(vertical, PBM_SETPOS, 25, 0);
    auto* bare = new TSkinProgress(Stage());
    bare->AttachHandle(vertical, &Skin(), nullptr, nullptr);
    RedrawWindow(vertical, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(ScreenPixel(vertical, 8, 110), ProgressColour(2));
    EXPECT_EQ(ScreenPixel(vertical, 8, 10), ProgressColour(1));
    Free(bare);
    DestroyWindow(vertical);
    Pump();
}

TEST(StatusBarSkinner, SimpleAndPanelModesDrawTheSkinsEdgesAndOwnerDrawnPanelsOverThem)
{
    auto* bar = PlaceOnStage<TStatusBar>(0, 0, 300, 22);
    bar->SetAlign(alBottom);
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Ready");
    bar->HandleNeeded();
    Skinned<TSkinStatusBar>(bar);
    HWND window = bar->Handle();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(window, &client);
    // Lowered edge (frame 1) around the simple text, the grip (ExtraImages
    // frame 5) in the corner.
    EXPECT_EQ(ScreenPixel(window, client.right / 2, 0), EdgeColour(1));
    EXPECT_EQ(ScreenPixel(window, client.right - 5, client.bottom - 5), ExtraColour(5));

    // Panels: lowered, raised, none, and one drawn by its owner over the skin.
    const TStatusPanelBevel bevels[3] = {pbLowered, pbRaised, pbNone};
    for (TStatusPanelBevel bevel : bevels) {
        TStatusPanel* panel = bar->Panels()->Add();
        panel->SetWidth(70);
        panel->SetBevel(bevel);
        panel->SetText("panel");
    }
    TStatusPanel* drawn = bar->Panels()->Add();
    drawn->SetStyle(psOwnerDraw);
    RECT drawnRect{};
    bar->OnDrawPanel = [&](TStatusBar* sender, TStatusPanel* panel, const RECT& rect) {
        EXPECT_EQ(panel, drawn);
        drawnRect = rect;
        sender->Canvas()->SetBrushColor(RGB(1, 2, 3));
        sender->Canvas()->FillRect(rect);
    };
    bar->SetSimplePanel(false);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const RECT rect = bar->PanelRect(i);
        EXPECT_EQ(ScreenPixel(window, (rect.left + rect.right) / 2, rect.top), EdgeColour(bevels[i] == pbNone ? 3 : bevels[i] == pbRaised ? 2 : 1));
    }
    const RECT last = bar->PanelRect(3);
    EXPECT_EQ(drawnRect.left, last.left + 2);
    EXPECT_EQ(drawnRect.top, last.top + 2);
    EXPECT_EQ(ScreenPixel(window, drawnRect.left + 2, drawnRect.top + 2), RGB(1, 2, 3));
    EXPECT_EQ(ScreenPixel(window, (last.left + last.right) / 2, last.top), EdgeColour(1));
    Free(bar);
    Pump();
}

TEST(TabSkinner, TabsShowTheirFramesAndSwitchPagesByClickAndCtrlTab)
{
    auto* pages = PlaceOnStage<TPageControl>(320, 20, 280, 180);
    for (const char* caption : {"First", "Second", "Third"}) {
        auto* sheet = new TTabSheet(Stage());
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
    }
    auto* edit = new TEdit(Stage());
    edit->SetParent(pages->Pages(0));
    edit->SetBounds(10, 10, 100, 22);
    pages->HandleNeeded();
    auto* skinner = Skinned<TSkinTab>(pages);
    HWND window = pages->Handle();
    // The mouse away from the tabs: the current tab in frame 2 (5 with the
    // focus), the others in frame 1, as the skin's strip gives them.
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    Pump(30);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT first{}, second{};
    SendMessageW(window, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageW(window, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    EXPECT_EQ(ScreenPixel(window, first.left + 4, first.top + 1), TabColour(GetFocus() == window ? 5 : 2));
    EXPECT_EQ(ScreenPixel(window, (second.left + second.right) / 2, second.top + 1), TabColour(1));

    // A click on the second tab turns the page.
    MouseTo(ScreenOf(window, (second.left + second.right) / 2, (second.top + second.bottom) / 2));
    Pump(30);
    MouseButton(true);
    MouseButton(false);
    Pump(100);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_NE(skinner->PaintedFrames()[1], 1);
    // Ctrl+Tab from inside a page turns to the next one.
    pages->SetActivePageIndex(0);
    edit->SetFocus();
    Pump(20);
    Keys({VK_CONTROL, VK_TAB});
    Pump(100);
    EXPECT_EQ(pages->ActivePageIndex(), 1);

    // A sheet takes the skin colour, so its labels draw their backgrounds
    // in it; freeing the sheet's skinner gives the colour back.
    TTabSheet* sheet = pages->Pages(1);
    const TColor own = sheet->Color();
    auto* sheetSkinner = Skinned<TSkinTabSheet>(sheet);
    EXPECT_EQ(static_cast<COLORREF>(sheet->Color()), kFace);
    sheetSkinner->Detach();
    Free(sheetSkinner);
    EXPECT_EQ(sheet->Color(), own);
    Free(pages);
    Pump();
}

TEST(HeaderSkinner, HotItemFollowsTheMouseAndADragResizesTheColumn)
{
    TForm* form = Stage();
    HWND header = CreateWindowExW(0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE | HDS_BUTTONS, 20, 340, 300, 24,
                                  form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < 3; ++i) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.cxy = 80;
        item.fmt = HDF_LEFT | HDF_STRING;
        item.pszText = const_cast<LPWSTR>(L"Column");
        SendMessageW(header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    auto* skinner = new TSkinHeader(form);
    skinner->AttachHandle(header, &Skin(), nullptr, nullptr);
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(ScreenPixel(header, 40, 1), HeaderColour(1));
    EXPECT_EQ(ScreenPixel(header, 280, 1), HeaderColour(1));  // right of the last item
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(120, 10));
    EXPECT_EQ(skinner->HotItem(), 1);
    EXPECT_EQ(ScreenPixel(header, 120, 1), HeaderColour(2));
    EXPECT_EQ(ScreenPixel(header, 40, 1), HeaderColour(1));
    SendMessageW(header, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(skinner->HotItem(), -1);

    // With the real mouse: an item shows hot under it, pressed while held
    // down on it, hot again when released, normal when the mouse goes.
    auto shows = [&](int frame) {
        for (int i = 0; i < 300 && ScreenPixel(header, 120, 1) != HeaderColour(frame); ++i) Pump(10);
        return ScreenPixel(header, 120, 1) == HeaderColour(frame) && ScreenPixel(header, 40, 1) == HeaderColour(1);
    };
    MouseTo(ScreenOf(header, 120, 12));
    EXPECT_TRUE(shows(2)) << "under the mouse";
    MouseButton(true);
    EXPECT_TRUE(shows(3)) << "pressed";
    MouseButton(false);
    EXPECT_TRUE(shows(2)) << "released";
    MouseTo(ScreenOf(Stage()->Handle(), 630, 450));
    EXPECT_TRUE(shows(1)) << "the mouse gone";

    // Dragging the divider after the first column widens it.
    MouseTo(ScreenOf(header, 80, 12));
    Pump(30);
    MouseButton(true);
    Pump(30);
    MouseTo(ScreenOf(header, 110, 12));
    Pump(30);
    MouseButton(false);
    Pump(100);
    RECT first{};
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(first.right, 110);
    Free(skinner);
    DestroyWindow(header);
    Pump();
}

TEST(EditSkinner, TheFrameAndAnEmbeddedUpDown)
{
    auto* edit = PlaceOnStage<TEdit>(20, 380, 120, 24);
    edit->HandleNeeded();
    HWND upDown = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 100, 0, 16, 20, edit->Handle(),
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    auto* skinner = Skinned<TSkinEdit>(edit);
    RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    UniqueWindowDc dc = UniqueWindowDc::Whole(edit->Handle());
    const COLORREF field = ColorToRGB(edit->Color());
    auto framed = [&] {
        for (int i = 0; i < 200 && (GetPixel(dc.get(), 0, 10) != kShadow || GetPixel(dc.get(), 1, 10) != field); ++i) Pump(10);
        return GetPixel(dc.get(), 0, 10) == kShadow && GetPixel(dc.get(), 1, 10) == field &&
               GetPixel(dc.get(), 60, 1) == field && GetPixel(dc.get(), 60, 0) == kShadow;
    };
    EXPECT_TRUE(framed());
    // The platform draws its own frame again on a frame paint and when the
    // frame is recomputed; the skin's frame follows each.
    SendMessageW(edit->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_TRUE(framed()) << "after a frame paint";
    SetWindowPos(edit->Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    EXPECT_TRUE(framed()) << "after the frame changed";
    edit->SetFocus();
    EXPECT_TRUE(framed()) << "focused";
    // The up-down inside was found and skinned once, with the skin's arrows.
    ASSERT_NE(skinner->UpDown(), nullptr);
    EXPECT_TRUE(skinner->UpDown()->Embedded);
    TSkinUpDown* first = skinner->UpDown();
    RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(skinner->UpDown(), first);
    RedrawWindow(upDown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(first->PaintedFirst(), 1);
    EXPECT_EQ(ScreenPixel(upDown, 8, 5), UpDownColour(true, 1));
    Free(edit);
    Pump();
}

// A short WAV of a square wave, in the temporary folder.
std::string WriteSquareWave(int milliseconds)
{
#pragma pack(push, 1)
    struct Header {
        char riff[4] = {'R', 'I', 'F', 'F'};
        uint32_t riffSize = 0;
        char wave[8] = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
        uint32_t formatSize = 16;
        uint16_t format = 1, channels = 1;
        uint32_t rate = 8000, bytesPerSecond = 8000;
        uint16_t blockAlign = 1, bits = 8;
        char data[4] = {'d', 'a', 't', 'a'};
        uint32_t dataSize = 0;
    };
#pragma pack(pop)
    Header header;
    header.dataSize = header.rate * static_cast<uint32_t>(milliseconds) / 1000;
    header.riffSize = static_cast<uint32_t>(sizeof header) - 8 + header.dataSize;
    std::vector<uint8_t> bytes(sizeof header + header.dataSize);
    memcpy(bytes.data(), &header, sizeof header);
    for (uint32_t i = 0; i < header.dataSize; ++i) bytes[sizeof header + i] = i % 32 < 16 ? 96 : 160;
    WCHAR folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string path = Utf16ToUtf8(folder) + "quorvane_skinned_player.wav";
    HANDLE file = CreateFileW(reinterpret_cast<const WCHAR*>(Utf8ToUtf16(path).c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

TMPModes WaitForMode(TMediaPlayer* player, TMPModes wanted, int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (player->Mode() != wanted && static_cast<int>(end - GetTickCount()) > 0) Pump(10);
    return player->Mode();
}

TEST(MediaSkinner, TheDrawnBarPlaysAndStopsAWaveThroughTheControlAndSharesItsWidth)
{
    // The test program runs with ALSA's null device as its sound output.
    ASSERT_GT(waveOutGetNumDevs(), 0u) << "no wave output device";
    // Skinned while its parent is not on screen yet, the bar shows with it.
    auto* panel = PlaceOnStage<TPanel>(290, 90, 290, 50);
    panel->SetVisible(false);
    auto* player = new TMediaPlayer(panel);
    player->SetParent(panel);
    player->SetBounds(10, 10, 270, 30);
    player->SetFileName(WriteSquareWave(3000));
    player->Open();
    ASSERT_EQ(player->Mode(), mpStopped);
    auto* skinner = Skinned<TSkinMP>(player);
    TWMediaPlayer* bar = skinner->Bar();
    ASSERT_NE(bar, nullptr);
    panel->SetVisible(true);
    Pump(30);
    RECT over{}, under{};
    GetWindowRect(bar->Window(), &over);
    GetWindowRect(player->Handle(), &under);
    EXPECT_TRUE(EqualRect(&over, &under));
    EXPECT_TRUE(IsWindowVisible(bar->Window()));
    ASSERT_EQ(bar->ButtonWidth(), 30);
    // Stopped: play can be pressed, pause cannot.
    auto cellPixel = [&](int button) { return ScreenPixel(bar->Window(), button * 30 + 1, 1); };
    EXPECT_EQ(cellPixel(mbPlay), ButtonColour(1));
    EXPECT_EQ(cellPixel(mbPause), ButtonColour(3));

    // The real mouse on the drawn play button plays the file.
    auto click = [&](int button) {
        MouseTo(ScreenOf(bar->Window(), button * 30 + 15, 15));
        Pump(30);
        MouseButton(true);
        MouseButton(false);
        Pump(100);
    };
    click(mbPlay);
    EXPECT_EQ(WaitForMode(player, mpPlaying, 1000), mpPlaying);
    Pump(50);
    EXPECT_EQ(cellPixel(mbPause), ButtonColour(1));
    EXPECT_EQ(cellPixel(mbPlay), ButtonColour(3));
    click(mbStop);
    EXPECT_EQ(WaitForMode(player, mpStopped, 1000), mpStopped);
    EXPECT_GT(player->Position(), 0);
    EXPECT_LT(player->Position(), player->Length());

    // Only play and stop shown: two buttons of half the width each.
    SetSetPropText(player, "VisibleButtons", "[btPlay,btStop]");
    Pump(50);
    EXPECT_EQ(bar->ButtonWidth(), 135);
    EXPECT_EQ(bar->ButtonAt({140, 10}), mbStop);
    EXPECT_EQ(bar->ButtonAt({269, 10}), mbStop);
    // Widths that do not divide evenly: the last button takes the rest,
    // and a press there is the control's last button too.
    SetSetPropText(player, "VisibleButtons", "[btPlay,btPause,btStop,btNext,btPrev,btStep,btBack,btRecord,btEject]");
    player->SetBounds(10, 10, 275, 30);
    Pump(50);
    EXPECT_EQ(bar->ButtonWidth(), 30);
    EXPECT_EQ(bar->ButtonAt({272, 10}), mbEject);
    EXPECT_EQ(player->ButtonAt(272), btEject);
    // ...and is drawn out to the bar's right edge in its own frame.
    RedrawWindow(bar->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const COLORREF eject = ScreenPixel(bar->Window(), 8 * 30 + 1, 1);
    EXPECT_NE(eject, kFace);
    for (const POINT at : {POINT{273, 1}, POINT{274, 1}, POINT{274, 28}})
        EXPECT_EQ(ScreenPixel(bar->Window(), at.x, at.y), eject) << "at " << at.x << "," << at.y;
    // A disabled player shows every button disabled.
    player->SetEnabled(false);
    Pump(50);
    EXPECT_EQ(cellPixel(mbPlay), ButtonColour(3));
    player->Close();
    Free(panel);
    Pump();
}

TEST(MediaSkinner, AClickHandlerThatFreesThePlayerLeavesNothingBehindThatIsUsedLater)
{
    // The handler frees the player, its skinner and the drawn bar while the
    // bar is still handing the release on to the control (the test program
    // runs with freed memory scribbled over, so a later use of any of them
    // crashes it).
    auto* player = PlaceOnStage<TMediaPlayer>(300, 380, 270, 30);
    player->SetFileName(WriteSquareWave(500));
    player->Open();
    auto* skinner = Skinned<TSkinMP>(player);
    ASSERT_NE(skinner->Bar(), nullptr);
    HWND bar = skinner->Bar()->Window();
    HWND control = player->Handle();
    bool freed = false;
    player->OnPostClick = [&](TObject*, TMPBtnType) {
        freed = true;
        Free(player);
    };
    MouseTo(ScreenOf(bar, 15, 15));
    Pump(30);
    MouseButton(true);
    MouseButton(false);
    const DWORD end = GetTickCount() + 3000;
    while (!freed && static_cast<int>(end - GetTickCount()) > 0) Pump(10);
    Pump(50);
    EXPECT_TRUE(freed);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_FALSE(IsWindow(bar));
    if (!freed) Free(player);
    Pump();
}

// The pixels of a window's client area as they are on the screen.
std::vector<uint32_t> Capture(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + client.right * client.bottom);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}

// A skin with colours and no control pictures at all.
TSkinData& BareSkin()
{
    static TSkinData* skin = [] {
        auto* data = new TSkinData(nullptr);
        data->SetPackage(test::MakePackage("[TitlebarSkin]\nSkinName=Bare\n\n[Colours]\nButtonFace=40,40,40\n"
                                           "ButtonShadow=10,10,10\n"));
        return data;
    }();
    return *skin;
}

// Skins met in the field can lack any picture: where this one has none,
// a control looks exactly like its unskinned twin beside it, and a memo
// keeps the platform's scroll bar in sight instead of a blank patch.
TEST(SkinWithoutPictures, ControlsKeepThePlatformsLookWhereTheSkinHasNoPicture)
{
    MouseTo({5, 1000});
    Pump(20);
    struct Twin {
        const char* name;
        std::function<TWinControl*(int x)> make;
        std::function<TSkinControl*(TControl*)> skinner;
    };
    const Twin twins[] = {
        {"combo box",
         [](int x) {
             auto* combo = PlaceOnStage<TComboBox>(x, 20, 150, 24);
             combo->SetStyle(csDropDownList);
             combo->Items()->Add("one");
             combo->SetItemIndex(0);
             return combo;
         },
         [](TControl* c) -> TSkinControl* { return new TSkinComBox(c); }},
        {"page control",
         [](int x) {
             auto* pages = PlaceOnStage<TPageControl>(x, 60, 250, 100);
             for (const char* caption : {"First", "Second"}) {
                 auto* sheet = new TTabSheet(Stage());
                 sheet->SetPageControl(pages);
                 sheet->SetCaption(caption);
             }
             return pages;
         },
         [](TControl* c) -> TSkinControl* { return new TSkinTab(c); }},
        {"button tabs",
         [](int x) {
             auto* tabs = PlaceOnStage<TTabControl>(x, 170, 250, 60);
             tabs->SetStyle(tsButtons);
             tabs->Tabs()->Add("One");
             tabs->Tabs()->Add("Two");
             return tabs;
         },
         [](TControl* c) -> TSkinControl* { return new TSkinTabBtn(c); }},
        {"header",
         [](int x) {
             auto* header = PlaceOnStage<THeaderControl>(x, 240, 250, 24);
             header->Sections()->Add()->SetText("Column");
             return header;
         },
         [](TControl* c) -> TSkinControl* { return new TSkinHeader(c); }},
        {"progress bar",
         [](int x) {
             auto* bar = PlaceOnStage<TProgressBar>(x, 280, 250, 16);
             bar->SetPosition(40);
             return bar;
         },
         [](TControl* c) -> TSkinControl* { return new TSkinProgress(c); }},
    };
    for (const Twin& twin : twins) {
        SCOPED_TRACE(twin.name);
        TWinControl* skinned = twin.make(20);
        TWinControl* plain = twin.make(320);
        skinned->HandleNeeded();
        plain->HandleNeeded();
        TSkinControl* skinner = twin.skinner(skinned);
        skinner->AttachControl(nullptr, &BareSkin(), false, nullptr);
        Pump(20);
        RedrawWindow(skinned->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        RedrawWindow(plain->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        EXPECT_TRUE(Capture(skinned->Handle()) == Capture(plain->Handle()));
        Free(skinned);
        Free(plain);
    }

    auto* memo = PlaceOnStage<TMemo>(20, 20, 200, 120);
    memo->SetScrollBars(ssVertical);
    memo->SetText(std::string(200, '\n'));
    memo->HandleNeeded();
    TSkinData changing(nullptr);
    changing.SetPackage(test::MakePackage("[Colours]\nButtonFace=40,40,40\n"));
    auto* bars = new TSkinScrollbar(memo);
    bars->AttachControl(nullptr, &changing, false, nullptr);
    Pump(20);
    EXPECT_FALSE(bars->VerticalBar()->Showing());
    EXPECT_FALSE(IsWindowVisible(bars->VerticalBar()->Window()));
    // A skin with pictures loaded later: the drawn bar takes over.
    changing.SetPackage(ControlSkinPackage());
    bars->SkinChanged();
    Pump(20);
    EXPECT_TRUE(bars->VerticalBar()->Showing());
    EXPECT_TRUE(IsWindowVisible(bars->VerticalBar()->Window()));
    Free(memo);
    Pump();
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter)
{
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

// Attaching and freeing a skinner a hundred times leaves the process with
// the GDI objects and windows it had.
void ExpectNoLeak(const char* family, const std::function<void()>& cycle)
{
    SCOPED_TRACE(family);
    cycle();  // first use creates what lives for the whole run
    Pump();
    // The drawn bars are child windows: those are counted too.
    auto children = [] {
        int count = 0;
        EnumChildWindows(Stage()->Handle(), &CountWindow, reinterpret_cast<LPARAM>(&count));
        return count;
    };
    const enginetest::ResourceCounts before = enginetest::CountResources();
    const int childrenBefore = children();
    for (int i = 0; i < 100; ++i) cycle();
    Pump();
    const enginetest::ResourceCounts after = enginetest::CountResources();
    EXPECT_EQ(after.gdi, before.gdi) << enginetest::Describe(before) << " -> " << enginetest::Describe(after);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(children(), childrenBefore);
}

TEST(SkinnerLifetime, AHundredAttachAndFreeCyclesPerFamilyLeakNothing)
{
    TForm* form = Stage();
    auto* memo = PlaceOnStage<TMemo>(20, 20, 200, 100);
    memo->SetScrollBars(ssBoth);
    memo->SetText(std::string(3000, 'x') + "\r\n" + std::string(200, '\n'));
    auto* list = PlaceOnStage<TListView>(230, 20, 200, 100);
    list->SetViewStyle(vsReport);
    list->Columns()->Add()->SetCaption("Name");
    for (int i = 0; i < 40; ++i) list->Items()->Add()->SetCaption("item");
    auto* scroll = PlaceOnStage<TScrollBar>(440, 20, 17, 100);
    scroll->SetKind(sbVertical);
    auto* combo = PlaceOnStage<TComboBox>(20, 240, 150, 24);
    combo->SetStyle(csSimple);
    for (int i = 0; i < 30; ++i) combo->Items()->Add("item");
    combo->SetBounds(20, 240, 150, 120);
    auto* track = PlaceOnStage<TTrackBar>(260, 240, 150, 30);
    auto* status = PlaceOnStage<TStatusBar>(0, 0, 200, 20);
    status->Panels()->Add()->SetText("panel");
    auto* progress = PlaceOnStage<TProgressBar>(260, 280, 150, 16);
    progress->SetPosition(40);
    auto* pages = PlaceOnStage<TPageControl>(320, 20, 280, 180);
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    auto* header = PlaceOnStage<THeaderControl>(20, 130, 200, 24);
    header->Sections()->Add()->SetText("Column");
    auto* edit = PlaceOnStage<TEdit>(20, 380, 100, 22);
    auto* upDown = PlaceOnStage<TUpDown>(130, 380, 17, 22);
    auto* date = PlaceOnStage<TDateTimePicker>(160, 380, 120, 22);
    auto* player = PlaceOnStage<TMediaPlayer>(300, 380, 200, 30);
    const std::initializer_list<TWinControl*> all{memo, list, scroll, combo, track, status, progress, pages, sheet,
                                                  header, edit, upDown, date, player};
    for (TWinControl* c : all) c->HandleNeeded();
    Pump(50);
    auto cycleOf = [](TControl* control, auto make) {
        return [control, make] {
            TSkinControl* skinner = make(control);
            skinner->AttachControl(nullptr, &Skin(), true, nullptr);
            if (HWND window = As<TWinControl>(control)->Handle())
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
            skinner->Detach();
            Free(skinner);
        };
    };
    ExpectNoLeak("scroll bars", cycleOf(memo, [](TControl* c) -> TSkinControl* { return new TSkinScrollbar(c); }));
    ExpectNoLeak("list view", cycleOf(list, [](TControl* c) -> TSkinControl* { return new TSkinListView(c); }));
    ExpectNoLeak("scroll bar control", cycleOf(scroll, [](TControl* c) -> TSkinControl* { return new TSkinScControl(c); }));
    ExpectNoLeak("combo box", cycleOf(combo, [](TControl* c) -> TSkinControl* { return new TSkinComBox(c); }));
    ExpectNoLeak("track bar", cycleOf(track, [](TControl* c) -> TSkinControl* { return new TSkinTrackBar(c); }));
    ExpectNoLeak("status bar", cycleOf(status, [](TControl* c) -> TSkinControl* { return new TSkinStatusBar(c); }));
    ExpectNoLeak("progress bar", cycleOf(progress, [](TControl* c) -> TSkinControl* { return new TSkinProgress(c); }));
    ExpectNoLeak("tabs", cycleOf(pages, [](TControl* c) -> TSkinControl* { return new TSkinTab(c); }));
    ExpectNoLeak("tab sheet", cycleOf(sheet, [](TControl* c) -> TSkinControl* { return new TSkinTabSheet(c); }));
    ExpectNoLeak("header", cycleOf(header, [](TControl* c) -> TSkinControl* { return new TSkinHeader(c); }));
    ExpectNoLeak("edit", cycleOf(edit, [](TControl* c) -> TSkinControl* { return new TSkinEdit(c); }));
    ExpectNoLeak("up-down", cycleOf(upDown, [](TControl* c) -> TSkinControl* { return new TSkinUpDown(c); }));
    ExpectNoLeak("date-time picker", cycleOf(date, [](TControl* c) -> TSkinControl* { return new TSkinDateTime(c); }));
    ExpectNoLeak("media player", cycleOf(player, [](TControl* c) -> TSkinControl* { return new TSkinMP(c); }));
    for (TWinControl* c : all)
        if (c != sheet) Free(c);
    Pump();
}

// Text a platform control drew in the platform's colours, moved onto the
// skin's: ground, ink and the smoothed pixels between them follow; pixels
// of other colours (a selection, a picture) stay.
TEST(RecolourPixel, MovesTheLineFromGroundToInkAndNothingElse)
{
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    const COLORREF field = RGB(20, 40, 60), text = RGB(220, 240, 200);
    struct Row {
        COLORREF pixel;
        bool moved;
        COLORREF expected;
    };
    const Row rows[] = {
        {white, true, field},
        {black, true, text},
        {RGB(128, 128, 128), true, RGB(120, 140, 130)},  // half way, smoothed edge
        {RGB(130, 126, 129), true, RGB(118, 138, 129)},  // rounding of the smoothing
        {RGB(0, 84, 227), false, RGB(0, 84, 227)},       // the selection colour
        {RGB(200, 40, 40), false, RGB(200, 40, 40)},     // a red picture
    };
    for (const Row& row : rows) {
        COLORREF pixel = row.pixel;
        EXPECT_EQ(RecolourPixel(pixel, white, black, field, text), row.moved) << std::hex << row.pixel;
        EXPECT_EQ(pixel, row.expected) << std::hex << row.pixel;
    }
    // Identical platform and skin colours change nothing.
    COLORREF grey = RGB(90, 90, 90);
    RecolourPixel(grey, white, black, white, black);
    EXPECT_EQ(grey, RGB(90, 90, 90));
}

}  // namespace
}  // namespace quorvane
