// Bars and value controls over real windows: status panels drawn by their
// owner, progress bars, tool bar drawing records and drop-down menus, cool
// bands, up-downs, date-time pickers, wrapped image lists, the media player
// playing a WAV file through MCI, and a page of every family made and
// freed a hundred times without a handle left behind.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/com_controls.h"
#include "framework/cool_bar.h"
#include "framework/grids.h"
#include "framework/group_controls.h"
#include "framework/input_controls.h"
#include "framework/list_controls.h"
#include "framework/media_player.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/properties.h"
#include "framework/scroll_controls.h"
#include "framework/tab_controls.h"
#include "tests/framework/control_test_support.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

using test::ClearStage;
using test::ClickAt;
using test::Settle;
using test::Stage;

using Bars = test::StageTest;

TEST_F(Bars, StatusPanelsMirrorTheirTextAndOwnerDrawnOnesGetTheirRectangle)
{
    auto* status = Make<TStatusBar>(form, 0, 300, 400, 22);
    TStatusPanel* name = status->Panels()->Add();
    name->SetText("Ready");
    name->SetWidth(120);
    TStatusPanel* drawn = status->Panels()->Add();
    drawn->SetWidth(80);
    drawn->SetStyle(psOwnerDraw);
    TStatusPanel* last = status->Panels()->Add();
    last->SetText("end");
    last->SetAlignment(taRightJustify);
    std::vector<std::pair<TStatusPanel*, RECT>> draws;
    status->OnDrawPanel = [&](TStatusBar* sender, TStatusPanel* panel, const RECT& rect) {
        EXPECT_NE(sender->Canvas()->Handle(), nullptr);
        draws.push_back({panel, rect});
    };
    HWND window = status->Handle();
    EXPECT_EQ(SendMessageW(window, SB_GETPARTS, 0, 0), 3);
    int edges[3] = {};
    SendMessageW(window, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[0], 120);
    EXPECT_EQ(edges[1], 200);
    EXPECT_EQ(edges[2], -1);  // the last panel reaches the end
    WCHAR text[32] = {};
    SendMessageW(window, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"Ready");
    name->SetText("Busy");
    SendMessageW(window, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"Busy");

    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle(2);
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws.back().first, drawn);
    const RECT part = status->PanelRect(1);
    EXPECT_GE(draws.back().second.left, part.left);
    EXPECT_LE(draws.back().second.right, part.right);
    EXPECT_GT(draws.back().second.right, draws.back().second.left);
    // By name: the panels, their style and the simple mode.
    auto* panels = GetObjectPropOf<TCollection>(status, "Panels");
    ASSERT_NE(panels, nullptr);
    EXPECT_EQ(GetEnumPropName(panels->Items(1), "Style"), "psOwnerDraw");
    EXPECT_EQ(GetEnumPropName(panels->Items(2), "Alignment"), "taRightJustify");
    EXPECT_TRUE(IsMethodPropAssigned(status, "OnDrawPanel"));
    SetPropText(status, "SimplePanel", "True");
    SetPropText(status, "SimpleText", "All at once");
    EXPECT_TRUE(SendMessageW(window, SB_ISSIMPLE, 0, 0));
    SetPropText(status, "SizeGrip", "False");
    EXPECT_FALSE(GetWindowLongW(status->Handle(), GWL_STYLE) & SBARS_SIZEGRIP);
    EXPECT_TRUE(SendMessageW(status->Handle(), SB_ISSIMPLE, 0, 0));
}

TEST_F(Bars, ProgressBarOrientationAndSmoothnessReachTheWindow)
{
    auto* bar = Make<TProgressBar>(form, 10, 10, 20, 150);
    bar->SetPosition(40);
    SetPropText(bar, "Orientation", "pbVertical");
    SetPropText(bar, "Smooth", "True");
    const LONG style = GetWindowLongW(bar->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & PBS_VERTICAL);
    EXPECT_TRUE(style & PBS_SMOOTH);
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 40);  // kept across the new window
    bar->SetStep(25);
    bar->StepIt();
    bar->StepIt();
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(GetEnumPropName(bar, "Orientation"), "pbVertical");
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(Bars, ToolBarButtonDrawingGetsThePlatformRecordAndDropDownsOpenTheirMenu)
{
    auto* bar = Make<TToolBar>(form, 10, 10, 200, 30);
    auto* plain = new TToolButton(form);
    plain->SetParent(bar);
    auto* checked = new TToolButton(form);
    checked->SetParent(bar);
    checked->SetStyle(tbsCheck);
    checked->SetDown(true);
    auto* drop = new TToolButton(form);
    drop->SetParent(bar);
    drop->SetStyle(tbsDropDown);
    auto* menu = new TPopupMenu(form);
    auto* entry = new TMenuItem(menu);
    entry->SetCaption("Entry");
    menu->Items()->Add(entry);
    drop->SetDropdownMenu(menu);
    EXPECT_EQ(GetObjectPropOf<TPopupMenu>(drop, "DropdownMenu"), menu);

    std::vector<std::pair<TToolButton*, NMTBCUSTOMDRAW>> records;
    RECT barRect{};
    bar->OnCustomDraw = [&](TToolBar*, const RECT& rect, HDC dc, bool&) {
        EXPECT_NE(dc, nullptr);
        barRect = rect;
    };
    bar->OnCustomDrawButton = [&](TToolBar*, TToolButton* button, NMTBCUSTOMDRAW& draw, bool&) {
        records.push_back({button, draw});
    };
    RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_GT(barRect.right - barRect.left, 0);
    bool sawChecked = false;
    for (const auto& [button, draw] : records) {
        // The record's rectangle is the button's.
        const RECT expected = bar->ButtonRect(button);
        EXPECT_TRUE(EqualRect(&draw.nmcd.rc, &expected));
        EXPECT_NE(draw.nmcd.hdc, nullptr);
        if (button == checked) sawChecked = (draw.nmcd.uItemState & CDIS_CHECKED) != 0;
    }
    EXPECT_TRUE(sawChecked);

    // A click on the drop-down arrow opens the popup menu under the button.
    bool popped = false;
    menu->OnPopup = [&](TObject*) {
        popped = true;
        // Close the menu from inside its own loop.
        SetTimer(nullptr, 0, 50, CloseMenu);
    };
    const RECT dropRect = bar->ButtonRect(drop);
    ClickAt(bar->Handle(), {dropRect.right - 4, (dropRect.top + dropRect.bottom) / 2});
    EXPECT_TRUE(popped);
    EXPECT_EQ(menu->PopupComponent(), drop);
}

TEST_F(Bars, CoolBandsHoldTheirControlsAndColours)
{
    auto* cool = Make<TCoolBar>(form, 0, 0, 400, 30);
    auto* edit = new TEdit(form);
    TCoolBand* first = cool->Bands()->Add();
    first->SetText("Address");
    first->SetControl(edit);
    TCoolBand* second = cool->Bands()->Add();
    second->SetText("Tools");
    second->SetBreak(false);
    EXPECT_EQ(edit->Parent(), cool);
    HWND window = cool->Handle();
    EXPECT_EQ(SendMessageW(window, RB_GETBANDCOUNT, 0, 0), 2);
    EXPECT_EQ(GetParent(edit->Handle()), window);
    // What a skin engine does: every band takes the face colour by name.
    auto* bands = GetObjectPropOf<TCollection>(cool, "Bands");
    ASSERT_NE(bands, nullptr);
    for (int i = 0; i < bands->Count(); ++i) SetPropText(bands->Items(i), "Color", std::to_string(RGB(1, 2, 3)));
    REBARBANDINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = RBBIM_COLORS | RBBIM_CHILD;
    SendMessageW(window, RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.clrBack, RGB(1, 2, 3));
    EXPECT_EQ(info.hwndChild, edit->Handle());
    EXPECT_EQ(cool->Height(), SendMessageW(window, RB_GETBARHEIGHT, 0, 0));
    Free(edit);
    info.fMask = RBBIM_CHILD;
    SendMessageW(window, RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.hwndChild, nullptr);
}

TEST_F(Bars, UpDownStepsItsAssociatedEditByClicks)
{
    auto* edit = Make<TEdit>(form, 10, 10, 80, 24);
    auto* updown = Make<TUpDown>(form, 90, 10, 17, 24);
    updown->SetMin(0);
    updown->SetMax(10);
    updown->SetIncrement(2);
    updown->SetPosition(4);
    updown->SetAssociate(edit);
    std::vector<TUDBtnType> clicks;
    updown->OnClick = [&](TObject*, TUDBtnType button) { clicks.push_back(button); };
    HWND window = updown->Handle();
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(window, UDM_GETBUDDY, 0, 0)), edit->Handle());
    EXPECT_EQ(edit->Text(), "4");
    RECT rect{};
    GetClientRect(window, &rect);
    ClickAt(window, {rect.right / 2, 3});  // the upper arrow
    EXPECT_EQ(updown->Position(), 6);
    EXPECT_EQ(edit->Text(), "6");
    ClickAt(window, {rect.right / 2, rect.bottom - 3});
    EXPECT_EQ(updown->Position(), 4);
    EXPECT_EQ(clicks, (std::vector<TUDBtnType>{TUDBtnType::Next, TUDBtnType::Prev}));
    // A refused change keeps the position.
    updown->OnChanging = [](TObject*, bool& allow) { allow = false; };
    ClickAt(window, {rect.right / 2, 3});
    EXPECT_EQ(updown->Position(), 4);
    EXPECT_EQ(GetObjectPropOf<TWinControl>(updown, "Associate"), edit);
    EXPECT_EQ(GetEnumPropName(updown, "Orientation"), "udVertical");
    SetPropText(updown, "Orientation", "udHorizontal");
    EXPECT_TRUE(GetWindowLongW(updown->Handle(), GWL_STYLE) & UDS_HORZ);
    EXPECT_EQ(updown->Position(), 4);
}

TEST(DateTime, DatesConvertBothWaysAndBadTextIsRefused)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);
    EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
    const SYSTEMTIME time = DateTimeToSystemTime(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 999));
    EXPECT_EQ(time.wYear, 2024);
    EXPECT_EQ(time.wMonth, 2);
    EXPECT_EQ(time.wDay, 29);
    EXPECT_EQ(time.wDayOfWeek, 4);  // a Thursday
    EXPECT_EQ(time.wHour, 23);
    EXPECT_EQ(time.wSecond, 59);
    EXPECT_EQ(time.wMilliseconds, 999);
    // Before the epoch the whole days count back and the fraction is still
    // the time of day: -1.25 is 29 December 1899, 06:00.
    EXPECT_EQ(DateTimeToSystemTime(-1.25).wHour, 6);
    EXPECT_EQ(DateTimeToSystemTime(-1.25).wDay, 29);
    SYSTEMTIME early{};
    early.wYear = 1899;
    early.wMonth = 12;
    early.wDay = 29;
    early.wHour = 6;
    EXPECT_EQ(SystemTimeToDateTime(early), -1.25);
    TDateTime value = 0;
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-1x", "", "1500-01-01"})
        EXPECT_FALSE(TextToDate(bad, value)) << bad;
    for (const char* bad : {"24:00:00", "12:60:00", "12:00"}) EXPECT_FALSE(TextToTime(bad, value)) << bad;
    ASSERT_TRUE(TextToDate("2024-02-29", value));
    EXPECT_EQ(DateToText(value), "2024-02-29");
}

TEST_F(Bars, DateTimePickerShowsAndReportsItsDateAndTime)
{
    auto* picker = Make<TDateTimePicker>(form, 10, 10, 180, 24);
    SetPropText(picker, "Date", "2024-05-31");
    SetPropText(picker, "Time", "13:05:09");
    SetPropText(picker, "Date", "2024-02-30");  // no such day: ignored
    EXPECT_EQ(GetStrProp(picker, "Date"), "2024-05-31");
    EXPECT_EQ(GetStrProp(picker, "Time"), "13:05:09");
    SYSTEMTIME shown{};
    ASSERT_EQ(SendMessageW(picker->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)), GDT_VALID);
    EXPECT_EQ(shown.wYear, 2024);
    EXPECT_EQ(shown.wMonth, 5);
    EXPECT_EQ(shown.wDay, 31);
    EXPECT_EQ(shown.wHour, 13);
    // A change made in the window reaches the object and OnChange.
    int changes = 0;
    picker->OnChange = [&](TObject*) { ++changes; };
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = picker->Handle();
    change.nmhdr.idFrom = 0;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st = DateTimeToSystemTime(EncodeDate(2025, 1, 2) + EncodeTime(8, 0, 0));
    SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(DateToText(picker->Date()), "2025-01-02");
    // Modes and kinds are styles of the window, read by name.
    SetPropText(picker, "DateMode", "dmUpDown");
    EXPECT_TRUE(GetWindowLongW(picker->Handle(), GWL_STYLE) & DTS_UPDOWN);
    SetPropText(picker, "Kind", "dtkTime");
    EXPECT_TRUE(GetWindowLongW(picker->Handle(), GWL_STYLE) & DTS_TIMEFORMAT);
    EXPECT_EQ(GetEnumPropName(picker, "Kind"), "dtkTime");
    SendMessageW(picker->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.wHour, 8);  // kept across the new window
}

// A WAV file of `milliseconds` of a square tone at 8 kHz, 16-bit mono.
std::string WriteWave(int milliseconds)
{
    WCHAR folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string path = Utf16ToUtf8(folder) + "quorvane_media_test.wav";
    const uint32_t rate = 8000, samples = rate * static_cast<uint32_t>(milliseconds) / 1000;
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
    for (uint32_t i = 0; i < samples; ++i) u16(static_cast<uint16_t>(i % 40 < 20 ? 3000 : -3000));
    HANDLE file = CreateFileW(reinterpret_cast<const WCHAR*>(Utf8ToUtf16(path).c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

TMPModes WaitForMode(TMediaPlayer* player, TMPModes wanted, int milliseconds)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (player->Mode() != wanted && static_cast<int>(end - GetTickCount()) > 0) Settle(1);
    return player->Mode();
}

TEST_F(Bars, MediaPlayerPlaysAWaveFileThroughMciAndItsButtonsFollowTheMode)
{
    // The test program runs with ALSA's null device as its sound output.
    ASSERT_GT(waveOutGetNumDevs(), 0u) << "no wave output device";
    auto* player = Make<TMediaPlayer>(form, 10, 10, 270, 30);
    player->SetFileName(WriteWave(600));
    EXPECT_EQ(player->Mode(), mpNotReady);
    EXPECT_EQ(player->EnabledButtons(), 0u);  // nothing to drive yet
    player->Open();
    EXPECT_NE(player->DeviceID(), 0u);
    EXPECT_EQ(player->Mode(), mpStopped);
    EXPECT_NEAR(player->Length(), 600, 5);
    EXPECT_TRUE(InSet(player->EnabledButtons(), btPlay));
    EXPECT_FALSE(InSet(player->EnabledButtons(), btPause));

    int notices = 0;
    player->OnNotify = [&](TObject*) { ++notices; };
    std::vector<TMPBtnType> clicked;
    player->OnClick = [&](TObject*, TMPBtnType button, bool&) { clicked.push_back(button); };
    const RECT play = player->ButtonRect(btPlay);
    ClickAt(player->Handle(), {(play.left + play.right) / 2, (play.top + play.bottom) / 2});
    EXPECT_EQ(clicked, std::vector<TMPBtnType>{btPlay});
    EXPECT_EQ(WaitForMode(player, mpPlaying, 500), mpPlaying);
    EXPECT_EQ(GetEnumPropName(player, "Mode"), "mpPlaying");
    EXPECT_TRUE(InSet(player->EnabledButtons(), btPause));
    EXPECT_FALSE(InSet(player->EnabledButtons(), btPlay));
    // It plays to the end and says so.
    EXPECT_EQ(WaitForMode(player, mpStopped, 3000), mpStopped);
    const DWORD end = GetTickCount() + 1000;
    while (notices == 0 && static_cast<int>(end - GetTickCount()) > 0) Settle(1);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(player->NotifyValue(), nvSuccessful);
    // Played again from the start; stopped halfway by the stop button.
    player->Play();
    EXPECT_EQ(WaitForMode(player, mpPlaying, 500), mpPlaying);
    player->ClickButton(btStop);
    EXPECT_EQ(player->Mode(), mpStopped);
    player->Previous();
    EXPECT_EQ(player->Position(), 0);
    player->Close();
    EXPECT_EQ(player->Mode(), mpNotReady);

    // Button sets by name; two visible buttons share the width.
    SetSetPropText(player, "VisibleButtons", "[btPlay,btStop]");
    EXPECT_EQ(GetSetPropText(player, "VisibleButtons"), "[btPlay,btStop]");
    EXPECT_EQ(player->ButtonRect(btPlay).right, 135);
    EXPECT_EQ(player->ButtonRect(btStop).left, 135);
    EXPECT_EQ(player->ButtonRect(btPause).right, 0);
    EXPECT_EQ(player->ButtonAt(200), btStop);
    // A file that is not there is an error, not a silent success.
    player->SetFileName("C:\\no\\such\\file.wav");
    EXPECT_THROW(player->Open(), Exception);
    EXPECT_NE(player->Error(), 0u);
    EXPECT_FALSE(player->ErrorMessage().empty());
    EXPECT_EQ(player->DeviceID(), 0u);
}

DWORD CountGdiObjects()
{
    DWORD count = 0;
    for (UINT_PTR index = 0x20; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

TEST(ImageLists, AWrappedListIsDestroyedOnlyWhenOwned)
{
    InitCommonControlsOnce();
    HIMAGELIST shared = ImageList_Create(24, 20, ILC_COLOR24 | ILC_MASK, 2, 2);
    {
        TImageList list(nullptr);
        list.SetHandle(shared, true);
        EXPECT_EQ(list.Width(), 24);
        EXPECT_EQ(list.Height(), 20);
        EXPECT_EQ(GetEnumPropName(&list, "ShareImages"), "True");
    }
    // Still the creator's: usable after the wrapper went.
    int width = 0, height = 0;
    EXPECT_TRUE(ImageList_GetIconSize(shared, &width, &height));
    EXPECT_EQ(width, 24);
    ImageList_Destroy(shared);

    const DWORD before = CountGdiObjects();
    {
        TImageList list(nullptr);
        list.SetHandle(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 2), false);
        EXPECT_GT(CountGdiObjects(), before);
    }
    EXPECT_EQ(CountGdiObjects(), before);  // owned: destroyed with the wrapper
}

struct Counts {
    DWORD gdi = 0, windows = 0, menus = 0;
    bool operator==(const Counts&) const = default;
};

BOOL CALLBACK CountChild(HWND, LPARAM data)
{
    ++*reinterpret_cast<DWORD*>(data);
    return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM data)
{
    ++*reinterpret_cast<DWORD*>(data);
    EnumChildWindows(window, CountChild, data);
    return TRUE;
}

// GetGuiResources answers 0 under Wine: live objects are found by probing
// the handle tables.
Counts CountResources()
{
    Counts counts;
    counts.gdi = CountGdiObjects();
    for (UINT_PTR index = 0x10; index < 0x10000; ++index)
        if (IsMenu(reinterpret_cast<HMENU>(index))) ++counts.menus;
    EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&counts.windows));
    return counts;
}

// A page of a page control holding one control of every family, shown.
void OpenAndCloseAPage(TPageControl* pages, TImageList* images)
{
    TForm* form = Stage();
    auto* sheet = new TTabSheet(form);
    sheet->SetCaption("Page");
    sheet->SetPageControl(pages);
    pages->SetActivePage(sheet);
    const auto place = [&](TControl* control, int left, int top, int width, int height) {
        control->SetParent(sheet);
        control->SetAlign(alNone);
        control->SetBounds(left, top, width, height);
    };
    auto* list = new TListView(form);
    place(list, 0, 0, 150, 80);
    list->SetViewStyle(vsReport);
    list->SetSmallImages(images);
    list->Columns()->Add()->SetCaption("A");
    list->Items()->Add()->SetCaption("row");
    auto* tree = new TTreeView(form);
    place(tree, 150, 0, 100, 80);
    tree->Items()->AddChild(tree->Items()->Add(nullptr, "root"), "leaf");
    auto* header = new THeaderControl(form);
    place(header, 250, 0, 100, 20);
    header->Sections()->Add()->SetText("H");
    auto* grid = new TDrawGrid(form);
    place(grid, 0, 80, 150, 60);
    auto* group = new TRadioGroup(form);
    place(group, 150, 80, 100, 60);
    group->Items()->Add("x");
    group->Items()->Add("y");
    auto* status = new TStatusBar(form);
    place(status, 0, 140, 200, 20);
    status->Panels()->Add()->SetText("status");
    auto* cool = new TCoolBar(form);
    place(cool, 250, 20, 100, 30);
    cool->Bands()->Add()->SetText("band");
    auto* updown = new TUpDown(form);
    place(updown, 250, 60, 17, 22);
    auto* picker = new TDateTimePicker(form);
    place(picker, 250, 90, 100, 22);
    auto* box = new TScrollBox(form);
    place(box, 0, 160, 100, 40);
    auto* inside = new TEdit(form);
    inside->SetParent(box);
    inside->SetBounds(0, 100, 50, 20);
    auto* scroll = new TScrollBar(form);
    place(scroll, 100, 160, 100, 17);
    auto* progress = new TProgressBar(form);
    place(progress, 200, 160, 100, 17);
    auto* player = new TMediaPlayer(form);
    place(player, 0, 200, 200, 25);
    auto* tabs = new TTabControl(form);
    place(tabs, 200, 200, 100, 50);
    tabs->Tabs()->Add("t");
    UpdateWindow(form->Handle());
    Settle(1);
    // Freeing the page frees what sits on it (its windows go with it).
    // (The scroll box frees the edit inside it.)
    for (TControl* control : std::vector<TControl*>{list, tree, header, grid, group, status, cool, updown, picker, box,
                                                    scroll, progress, player, tabs})
        Free(control);
    Free(sheet);
    Settle(1);
}

TEST(Leaks, AHundredPagesOfEveryFamilyOpenedAndClosedLeaveTheHandleCountsFlat)
{
    TForm* form = Stage();
    auto* images = new TImageList(form);
    images->SetWidth(16);
    auto* pages = new TPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(0, 0, 400, 300);
    OpenAndCloseAPage(pages, images);  // first use loads classes and caches
    OpenAndCloseAPage(pages, images);
    const Counts before = CountResources();
    for (int i = 0; i < 100; ++i) OpenAndCloseAPage(pages, images);
    const Counts after = CountResources();
    std::printf("GDI %lu -> %lu, windows %lu -> %lu, menus %lu -> %lu\n", static_cast<unsigned long>(before.gdi),
                static_cast<unsigned long>(after.gdi), static_cast<unsigned long>(before.windows),
                static_cast<unsigned long>(after.windows), static_cast<unsigned long>(before.menus),
                static_cast<unsigned long>(after.menus));
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.menus, before.menus);
    ClearStage();
}

}  // namespace
}  // namespace quorvane
