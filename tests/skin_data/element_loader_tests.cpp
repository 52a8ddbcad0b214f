// Element loaders and derived elements, through real (small) packages.
#include <string>
#include <vector>

#include "skin/data/bitmap_utils.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_content.h"
#include "skin/data/skin_reader.h"
#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"

namespace quorvane::test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(ParseColour, TakesUpToThreeNumbersSeparatedByAnything)
{
    struct Case {
        const char* text;
        SkinColour expected;
    } cases[] = {
        {"", 0x123456},                   // empty: the caller's default
        {"255,128,0", 0x0080FF},
        {"  10 20 30  ", 0x1E140A},
        {"r=1;g=2;b=3", 0x030201},
        {"7", 0},                         // one number alone: black
        {"200,100", 200},                 // two numbers: red only
        {"200,100,", 0x0064C8},           // a separator after the second stores it
        {"1,2,3,4", 0x030201},            // a fourth number is ignored
        {"256,257,511", 0xFF0100},        // modulo 256
        {"99999999999,5,6,7", 0x070605},  // too large for 32 bits: dropped, next takes its place
        {"abc", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColour(c.text, 0x123456), c.expected) << c.text;
}

std::vector<uint8_t> Strip(int width, int height) { return SolidBmp(width, height, kRed); }

TEST(CaptionButtons, FrameCountFollowsTheImageShapeWhenNotGiven)
{
    struct Case {
        int width, height;
        const char* extraKeys;
        int expectedFrame;
        bool bitmapKept;
    } cases[] = {
        {40, 10, "", 6, true},               // four times as wide as high
        {30, 10, "", 3, true},               // three times
        {38, 10, "", 3, true},               // exactly 3.8 still three
        {39, 10, "", 6, true},
        {30, 10, "frame=2\n", 2, true},      // a frame key wins
        {30, 10, "Action=-1\nVisibility=0\n", 6, true},  // no action: six
        {30, 10, "Action=3\n", 3, false},    // system menu button shows the icon
        {30, 10, "Action=11\n", 3, false},
        {30, 10, "Action=3\nframe=3\n", 3, true},  // only without a frame key
        {0, 0, "", 6, false},                // no image
    };
    for (const Case& c : cases) {
        std::string ini = "[BUTTON.TEST]\n" + std::string(c.extraKeys);
        std::vector<PackageMember> members;
        if (c.width > 0) {
            ini += "ButtonImage=b.bmp\n";
            members.push_back({"b.bmp", Strip(c.width, c.height)});
        }
        auto skin = LoadContent(ini, members);
        ASSERT_EQ(skin->SysButtons.size(), 4u) << ini;
        EXPECT_EQ(skin->SysButtons[0]->Frame, c.expectedFrame) << ini;
        EXPECT_EQ(!IsEmptyBitmap(skin->SysButtons[0]->Bitmap), c.bitmapKept) << ini;
    }
}

TEST(CaptionButtons, KeepsOnlyButtonSectionsThatAreCaptionButtons)
{
    auto skin = LoadContent(
        "[BUTTON]\n[Buttons]\n[button.radio]\n[Button.CheckBox]\n"
        "[BUTTON.CLOSE]\nAction=-1\n"          // hidden and inactive: dropped
        "[BUTTON.HELP]\nAction=-1\nVisibility=0\n"  // visible: kept
        "[ButtonMax]\nAction=1\nAlign=1\nXcoord=20\nYcoord=4\n"
        "[NotAButton]\n");
    ASSERT_EQ(skin->SysButtons.size(), 5u);
    EXPECT_EQ(skin->SysButtons[0]->Name, "BUTTON.HELP");
    EXPECT_EQ(skin->SysButtons[0]->Visibility1, -1);  // default -1 for Action -1
    EXPECT_EQ(skin->SysButtons[0]->CombineOp, -1);
    EXPECT_EQ(skin->SysButtons[1]->Name, "BUTTONMAX");
    EXPECT_EQ(skin->SysButtons[1]->Action, 1);
    EXPECT_EQ(skin->SysButtons[1]->Xcoord, 20);
    EXPECT_EQ(skin->SysButtons[1]->Visibility1, 0);
    for (int i = 0; i < 3; ++i) {
        const auto& mdi = *skin->SysButtons[2 + i];
        EXPECT_EQ(mdi.Action, 7 + i);
        EXPECT_EQ(mdi.Align, 100);
        EXPECT_EQ(mdi.Visibility, 100);
        EXPECT_EQ(mdi.Visibility1, 100);
        EXPECT_EQ(mdi.Frame, 4);
    }
}

TEST(CaptionButtons, SectionsDifferingOnlyInCaseBothReadTheFirst)
{
    auto skin = LoadContent("[Button1]\nAction=5\n[BUTTON1]\nAction=6\n");
    ASSERT_EQ(skin->SysButtons.size(), 5u);
    EXPECT_EQ(skin->SysButtons[0]->Name, "BUTTON1");
    EXPECT_EQ(skin->SysButtons[1]->Name, "BUTTON1");
    EXPECT_EQ(skin->SysButtons[0]->Action, 5);
    EXPECT_EQ(skin->SysButtons[1]->Action, 5);
}

TEST(CaptionButtons, MdiControlsImageIsCutIntoThreeButtons)
{
    // 120 x 14: w = 10, each button 40 wide, coloured by its third.
    auto bmp = MakeBmp(120, 14, 24, [](int x, int) { return x < 40 ? kRed : x < 80 ? RGB(0, 255, 0) : kBlue; });
    auto skin = LoadContent("[MDICONTROLS]\nImage=mdi.bmp\n", {{"mdi.bmp", bmp}});
    ASSERT_EQ(skin->SysButtons.size(), 3u);
    const COLORREF colours[] = {kRed, RGB(0, 255, 0), kBlue};
    const int xcoords[] = {42, 28, 14};
    for (int i = 0; i < 3; ++i) {
        const auto& b = *skin->SysButtons[static_cast<size_t>(i)];
        EXPECT_EQ(SizeOf(b.Bitmap.get()).cx, 40);
        EXPECT_EQ(SizeOf(b.Bitmap.get()).cy, 14);
        EXPECT_EQ(PixelOf(b.Bitmap.get(), 39, 13), colours[i]);
        EXPECT_EQ(b.Xcoord, xcoords[i]);
    }
}

TEST(CaptionButtons, NarrowMdiImageLeavesEmptyButtons)
{
    auto skin = LoadContent("[MDICONTROLS]\nImage=mdi.bmp\n", {{"mdi.bmp", Strip(11, 5)}});
    ASSERT_EQ(skin->SysButtons.size(), 3u);
    for (const auto& b : skin->SysButtons) EXPECT_TRUE(IsEmptyBitmap(b->Bitmap));
}

TEST(FrameCounts, FixedCountsReplaceTheFrameKey)
{
    std::string ini;
    std::vector<PackageMember> members{{"e.bmp", Strip(40, 20)}};
    const char* sections[] = {"Tabs", "ToolBars", "ExtraImages", "MenuItem", "Trackbar.ThumbHorz",
                              "Trackbar.ThumbDown", "StatusBarEdges", "Scrollbar", "HorzScroll",
                              "UpDown.Vert", "GroupBoxEdge", "MenuBackground", "Tab.Pane", "Headerbar",
                              "HorzScrollThumb", "VertScrollThumb", "Progress.Chunk", "Track"};
    for (const char* s : sections) ini += std::string("[") + s + "]\nImage=e.bmp\nFrame=3\n";
    ini += "[VertScrollThumb]\nFrameCount=7\n";  // a second section of the same name is never read
    ini = "[VertScrollThumb]\nImage=e.bmp\nFrameCount=7\n" + ini;
    auto skin = LoadContent(ini, members);
    EXPECT_EQ(skin->Tabs->Frame, 5);
    EXPECT_EQ(skin->ToolBars->Frame, 5);
    EXPECT_EQ(skin->ExtraImages->Frame, 5);
    EXPECT_EQ(skin->MenuItem->Frame, 5);
    EXPECT_EQ(skin->TrackbarThumbHorz->Frame, 5);
    EXPECT_EQ(skin->TrackbarThumbDown->Frame, 5);
    EXPECT_EQ(skin->StatusBarEdges->Frame, 3);
    EXPECT_EQ(skin->Scrollbar->Frame, 23);
    EXPECT_EQ(skin->HorzScroll->Frame, 4);
    EXPECT_EQ(skin->UpDownVert->Frame, 8);
    EXPECT_EQ(skin->GroupBoxEdge->Frame, 2);
    EXPECT_EQ(skin->MenuBackground->Frame, 1);
    EXPECT_EQ(skin->TabPane->Frame, 1);
    EXPECT_EQ(skin->Headerbar->Frame, 3);        // kept: only 0 becomes 5
    EXPECT_EQ(skin->HorzScrollThumb->Frame, 3);  // FrameCount default
    EXPECT_EQ(skin->VertScrollThumb->Frame, 7);
    EXPECT_EQ(skin->ProgressChunk->Frame, 3);    // not in the fixed list
    EXPECT_EQ(skin->Track->Frame, 3);
    EXPECT_EQ(skin->Title->Frame, 2);
    EXPECT_EQ(skin->Buttons->Frame, 5);
    EXPECT_EQ(skin->Toolbar->Frame, 1);
}

TEST(FrameCounts, HeaderbarWithoutFrameKeyHasFive)
{
    auto skin = LoadContent("[Headerbar]\nImage=e.bmp\n", {{"e.bmp", Strip(50, 10)}});
    EXPECT_EQ(skin->Headerbar->Frame, 5);
}

TEST(FrameCounts, CheckAndRadioFramesFromStripWidth)
{
    struct Case {
        int width, height, key, expected;
    } cases[] = {
        {52, 13, 0, 4},   // 52 / 13
        {104, 13, 0, 8},  // less than 16 high: / 13
        {128, 16, 0, 8},  // 16 high: / 16
        {20, 16, 0, 4},   // at least 4
        {104, 13, 6, 6},  // a key wins
    };
    for (const Case& c : cases) {
        std::string ini = "[Buttons]\nCheckButton=c.bmp\nRadioButton=c.bmp\n";
        if (c.key) ini += "CheckButtonFrame=" + std::to_string(c.key) + "\n";
        auto skin = LoadContent(ini, {{"c.bmp", Strip(c.width, c.height)}});
        EXPECT_EQ(skin->Buttons->CheckButtonFrame, c.expected) << c.width << "x" << c.height;
    }
    auto none = LoadContent("[Buttons]\n");
    EXPECT_EQ(none->Buttons->RadioButtonFrame, 4);
}

TEST(FrameCounts, ProgressFramesFollowStyle)
{
    auto styled = LoadContent("[Progress]\nBitmap=p.bmp\nStyle=1\nTile=5\n", {{"p.bmp", Strip(20, 10)}});
    EXPECT_EQ(styled->Progress->Frame, 1);
    EXPECT_EQ(styled->Progress->Tile, 1);  // above 1 means tile here
    auto plain = LoadContent("[Progress]\nBitmap=p.bmp\n", {{"p.bmp", Strip(20, 10)}});
    EXPECT_EQ(plain->Progress->Frame, 2);
}

TEST(TabPane, MarginsAreCappedAtFour)
{
    auto skin = LoadContent("[Tab.Pane]\nImage=t.bmp\nLeftWidth=6\nTopHeight=2\nRightWidth=9\nBottomHeight=4\n",
                            {{"t.bmp", Strip(30, 30)}});
    ASSERT_TRUE(skin->TabPane);
    EXPECT_EQ(skin->TabPane->LeftWidth, 4);
    EXPECT_EQ(skin->TabPane->TopHeight, 2);
    EXPECT_EQ(skin->TabPane->RightWidth, 4);
    EXPECT_EQ(skin->TabPane->BottomHeight, 4);
}

TEST(GenericElement, ReadsFieldsAndColours)
{
    auto skin = LoadContent(
        "[Colours]\nButtonText=1,2,3\n"
        "[MenuItem]\nImage=m.bmp\nStyle=2\nLeftWidth=1\nRightWidth=2\nTopHeight=3\nBottomHeight=4\n"
        "Trans=1\nTile=7\nNormalColour=255\nNormalColour2=10,20,30\n"
        "[Headerbar]\nImage=\n",
        {{"m.bmp", Strip(50, 10)}});
    ASSERT_TRUE(skin->MenuItem);
    const auto& m = *skin->MenuItem;
    EXPECT_EQ(m.Name, "MenuItem");
    EXPECT_EQ(m.Style, 2);
    EXPECT_EQ(m.LeftWidth, 1);
    EXPECT_EQ(m.RightWidth, 2);
    EXPECT_EQ(m.TopHeight, 3);
    EXPECT_EQ(m.BottomHeight, 4);
    EXPECT_EQ(m.Trans, 1);
    EXPECT_EQ(m.Tile, 0);  // above 1 means stretch
    EXPECT_EQ(m.NormalColour, 255);
    EXPECT_EQ(m.MouseOverColour, -1);
    EXPECT_EQ(m.NormalColour2, 0x1E140Au);
    EXPECT_EQ(m.PressedColour2, 0x030201u);  // default: the skin's ButtonText
    EXPECT_FALSE(skin->Headerbar);           // empty Image: no element
    EXPECT_FALSE(skin->Scrollbar);           // no section
}

TEST(GenericElement, ImageNamesFollowThePackageRule)
{
    auto skin = LoadContent(
        "[MenuItem]\nImage=skins\\blue\\MENU.bmp\n[Scrollbar]\nImage=menu.BMP\n[HorzScroll]\nImage=absent.bmp\n",
        {{"Menu.bmp", Strip(10, 10)}});
    EXPECT_FALSE(IsEmptyBitmap(skin->MenuItem->Bitmap));  // folder dropped, case ignored
    ASSERT_TRUE(skin->Scrollbar);                         // the element exists...
    EXPECT_TRUE(IsEmptyBitmap(skin->Scrollbar->Bitmap));  // ...but .BMP is not a bitmap name
    ASSERT_TRUE(skin->HorzScroll);
    EXPECT_TRUE(IsEmptyBitmap(skin->HorzScroll->Bitmap));
}

TEST(WindowBorders, MarginsAndDefaultsByOrientation)
{
    auto skin = LoadContent(
        "[Personality]\nLeft=l.bmp\nLeftTopHeight=30\nLeftBotHeight=5\nTop=t.bmp\nTopTopHeight=7\n"
        "TopBotHeight=8\nTopFrame=2\nTopStretch=0\nTopTrans=0\nBottomStretch=4\n",
        {{"l.bmp", Strip(8, 40)}, {"t.bmp", Strip(40, 60)}});
    EXPECT_EQ(skin->BorderLeft->TopHeight, 30);
    EXPECT_EQ(skin->BorderLeft->BottomHeight, 5);
    EXPECT_EQ(skin->BorderLeft->LeftWidth, 0);
    EXPECT_EQ(skin->BorderLeft->Frame, 1);
    EXPECT_EQ(skin->BorderLeft->Trans, 1);
    EXPECT_EQ(skin->BorderLeft->Tile, 1);
    EXPECT_EQ(skin->BorderTop->LeftWidth, 7);
    EXPECT_EQ(skin->BorderTop->RightWidth, 8);
    EXPECT_EQ(skin->BorderTop->TopHeight, 0);
    EXPECT_EQ(skin->BorderTop->Frame, 2);
    EXPECT_EQ(skin->BorderTop->Tile, 0);
    EXPECT_EQ(skin->BorderTop->Trans, 0);
    EXPECT_EQ(skin->BorderBottom->Tile, 1);
    EXPECT_TRUE(IsEmptyBitmap(skin->BorderRight->Bitmap));
}

TEST(Title, TextColoursNeedAllThreeComponents)
{
    auto skin = LoadContent(
        "[Personality]\nTextShift=4\nTextShiftVert=2\nTextRightClip=9\nActiveTextR=300\nActiveTextG=2\n"
        "ActiveTextB=3\nInActiveTextR=1\nInActiveTextG=2\n[Fonts]\nFontHeight=18\n");
    EXPECT_EQ(skin->Title->LeftWidth, 4);
    EXPECT_EQ(skin->Title->TopHeight, 2);
    EXPECT_EQ(skin->Title->RightWidth, 9);
    EXPECT_EQ(skin->Title->FontHeight, 18);
    EXPECT_EQ(skin->Title->ActiveText, 0x03022Cu);  // 300 mod 256 = 44
    EXPECT_EQ(skin->Title->InActiveText, kNoTitleTextColour);
}

TEST(ComboBox, SunkEdgeWithoutComboButtonLeavesBothAlone)
{
    auto skin = LoadContent("[SunkEdge]\nImage=s.bmp\nLeftWidth=3\nRightWidth=3\n", {{"s.bmp", Strip(80, 21)}});
    ASSERT_TRUE(skin->SunkEdge);
    EXPECT_FALSE(skin->ComboButton);
    EXPECT_EQ(SizeOf(skin->SunkEdge->Bitmap.get()).cx, 80);
    EXPECT_EQ(skin->SunkEdge->LeftWidth, 3);
    ASSERT_TRUE(skin->ComboxArrow);
    EXPECT_TRUE(IsEmptyBitmap(skin->ComboxArrow->Bitmap));
}

TEST(ComboBox, ComboButtonAloneGivesArrowOnButtonFace)
{
    auto bmp = MakeBmp(40, 20, 24, [](int x, int) { return x % 10 < 5 ? RGB(255, 0, 255) : kBlue; });
    auto skin = LoadContent("[Colours]\nButtonFace=1,2,3\n[ComboButton]\nImage=c.bmp\n", {{"c.bmp", bmp}});
    ASSERT_TRUE(skin->ComboButton);
    EXPECT_EQ(skin->ComboButton->Frame, 4);
    // The mirrored copy.
    EXPECT_EQ(PixelOf(skin->ComboButton->Bitmap2.get(), 0, 0), kBlue);
    EXPECT_EQ(PixelOf(skin->ComboButton->Bitmap2.get(), 39, 0), RGB(255, 0, 255));
    EXPECT_EQ(skin->ComboxArrow->Frame, 4);
    EXPECT_EQ(PixelOf(skin->ComboxArrow->Bitmap.get(), 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(PixelOf(skin->ComboxArrow->Bitmap.get(), 5, 0), kBlue);
}

TEST(ComboBox, MirroredButtonMirrorsEachFrameInItsPlace)
{
    // Four 5 x 3 frames, each its own colour with a white column at its left.
    const COLORREF colours[] = {kRed, RGB(0, 255, 0), kBlue, RGB(255, 255, 0)};
    auto bmp = MakeBmp(20, 3, 24, [&](int x, int) { return x % 5 == 0 ? RGB(255, 255, 255) : colours[x / 5]; });
    auto skin = LoadContent("[ComboButton]\nImage=c.bmp\n", {{"c.bmp", bmp}});
    ASSERT_TRUE(skin->ComboButton);
    const HBITMAP mirrored = skin->ComboButton->Bitmap2.get();
    ASSERT_EQ(SizeOf(mirrored).cx, 20);
    for (int frame = 0; frame < 4; ++frame)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelOf(mirrored, 5 * frame + x, 1), x == 4 ? RGB(255, 255, 255) : colours[frame])
                << "frame " << frame + 1 << " column " << x;
}

TEST(ComboBox, CompositeJoinsSunkEdgeAndButton)
{
    const int a = GetSystemMetrics(SM_CXHSCROLL) + 2;
    auto skin = LoadContent(
        "[SunkEdge]\nImage=s.bmp\nTopHeight=2\nBottomHeight=3\n[ComboButton]\nImage=c.bmp\n",
        {{"s.bmp", Strip(80, 21)}, {"c.bmp", SolidBmp(64, 21, kBlue)}});
    ASSERT_TRUE(skin->SunkEdge && skin->ComboButton);
    const auto& button = *skin->ComboButton;
    EXPECT_EQ(button.Style, 2);
    EXPECT_EQ(button.LeftWidth, 2);
    EXPECT_EQ(button.RightWidth, a + 2);
    EXPECT_EQ(button.TopHeight, 2);
    EXPECT_EQ(button.BottomHeight, 3);
    EXPECT_EQ(SizeOf(button.Bitmap.get()).cx, 200);
    EXPECT_EQ(SizeOf(button.Bitmap.get()).cy, 21);
    // Frame 2: edge at the left, text area magenta, button at the right.
    EXPECT_EQ(PixelOf(button.Bitmap.get(), 50, 0), kRed);
    EXPECT_EQ(PixelOf(button.Bitmap.get(), 55, 10), RGB(255, 0, 255));
    EXPECT_EQ(PixelOf(button.Bitmap.get(), 99, 10), kBlue);
    // SunkEdge is the mirror image.
    EXPECT_EQ(PixelOf(skin->SunkEdge->Bitmap.get(), 0, 10), kBlue);
    EXPECT_EQ(skin->SunkEdge->LeftWidth, a + 2);
    EXPECT_EQ(skin->SunkEdge->RightWidth, 2);
    // The arrow: 17 x 17 per SunkEdge frame, cut from the button's right end.
    EXPECT_EQ(skin->ComboxArrow->Frame, 4);
    EXPECT_EQ(SizeOf(skin->ComboxArrow->Bitmap.get()).cx, 68);
    EXPECT_EQ(SizeOf(skin->ComboxArrow->Bitmap.get()).cy, 17);
    EXPECT_EQ(PixelOf(skin->ComboxArrow->Bitmap.get(), 16, 8), kBlue);
}

TEST(Track, BuiltInGroovesWhenTheSkinHasNone)
{
    auto skin = LoadContent("");
    ASSERT_TRUE(skin->Track && skin->TrackVert);
    EXPECT_EQ(SizeOf(skin->Track->Bitmap.get()).cx, 16);
    EXPECT_EQ(SizeOf(skin->Track->Bitmap.get()).cy, 4);
    EXPECT_EQ(SizeOf(skin->TrackVert->Bitmap.get()).cx, 4);
    EXPECT_EQ(SizeOf(skin->TrackVert->Bitmap.get()).cy, 16);
    EXPECT_EQ(skin->Track->LeftWidth, 3);
    EXPECT_EQ(skin->TrackVert->BottomHeight, 3);
    EXPECT_EQ(skin->Track->Frame, 1);
    EXPECT_EQ(skin->Track->Tile, 0);
}

TEST(Colours, TableSectionsAndCustomColours)
{
    auto skin = LoadContent(
        "[Colours]\nButtonFace=10,20,30\nMenuText=1 1 1\n[COLOUR1]\ncolor=5,6,7\n[Colours]\n[colourX]\n"
        "[Customcolors]\nColor0=1,2,3\nColor9=9,9,9\n");
    const TSkinColours& c = skin->Colours;
    EXPECT_EQ(c.ButtonFace, 0x1E140Au);
    EXPECT_EQ(c.Menubar, 0x1E140Au);  // defaults to ButtonFace
    EXPECT_EQ(c.MenuText, 0x010101u);
    EXPECT_EQ(c.WindowText, kSysWindowText);
    ASSERT_EQ(c.ColourSections.size(), 2u);  // COLOUR1 and colourX, not either Colours
    EXPECT_EQ(c.ColourSections[0], 0x070605u);
    EXPECT_EQ(c.ColourSections[1], kSysWindowText);
    EXPECT_EQ(c.CustomColors[0], 0x030201u);
    EXPECT_EQ(c.CustomColors[5], 0xFFFFFFu);
    EXPECT_EQ(c.CustomColors[9], 0x090909u);
    LOGBRUSH brush{};
    ASSERT_TRUE(GetObjectW(c.FaceBrush.get(), sizeof(brush), &brush));
    EXPECT_EQ(brush.lbColor, 0x1E140Au);
}

TEST(Colours, SystemColoursAreAnsweredFromTheTable)
{
    // A skin without colour keys answers what the platform would.
    auto plain = LoadContent("[Personality]\nSkinName=plain\n");
    for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                      COLOR_MENU, COLOR_MENUTEXT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_SCROLLBAR}) {
        COLORREF colour = 0;
        ASSERT_TRUE(plain->Colours.SystemColour(index, colour)) << index;
        EXPECT_EQ(colour, GetSysColor(index)) << index;
    }
    COLORREF grey = 0;
    EXPECT_FALSE(plain->Colours.SystemColour(COLOR_GRAYTEXT, grey)) << "grey text stays the platform's";
    EXPECT_EQ(plain->Colours.Window, kSysWindow);
    LOGBRUSH brush{};
    ASSERT_TRUE(GetObjectW(plain->Colours.WindowBrush.get(), sizeof(brush), &brush));
    EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_WINDOW));

    auto skin = LoadContent(
        "[Colours]\nWindow=10,20,30\nWindowText=200,210,220\nButtonFace=40,40,40\nButtonText=240,240,240\n"
        "Hilight=0,0,255\nHilightText=255,255,0\nMenu=1,2,3\nMenuText=4,5,6\n");
    struct Row {
        int index;
        bool answered;
        COLORREF expected;
    };
    const Row rows[] = {
        {COLOR_WINDOW, true, RGB(10, 20, 30)},
        {COLOR_WINDOWTEXT, true, RGB(200, 210, 220)},
        {COLOR_BTNFACE, true, RGB(40, 40, 40)},
        {COLOR_BTNTEXT, true, RGB(240, 240, 240)},
        {COLOR_HIGHLIGHT, true, RGB(0, 0, 255)},
        {COLOR_HIGHLIGHTTEXT, true, RGB(255, 255, 0)},
        {COLOR_MENU, true, RGB(1, 2, 3)},
        {COLOR_MENUTEXT, true, RGB(4, 5, 6)},
        {COLOR_GRAYTEXT, true, RGB(160, 160, 160)},  // three fifths from the face to the text
        {COLOR_BTNSHADOW, true, GetSysColor(COLOR_BTNSHADOW)},  // not set: the platform's
        {COLOR_DESKTOP, false, 0},
        {COLOR_INFOBK, false, 0},
    };
    for (const Row& row : rows) {
        COLORREF colour = 0;
        EXPECT_EQ(skin->Colours.SystemColour(row.index, colour), row.answered) << row.index;
        if (row.answered) {
            EXPECT_EQ(colour, row.expected) << row.index;
        }
    }
    ASSERT_TRUE(GetObjectW(skin->Colours.WindowBrush.get(), sizeof(brush), &brush));
    EXPECT_EQ(brush.lbColor, RGB(10, 20, 30));
}

TEST(Colours, TitleSampleAndToolbarGradient)
{
    // Top border: 2 stacked frames of 30 x 12; sample at (10, 4).
    auto bmp = MakeBmp(30, 24, 24, [](int x, int y) { return x == 10 && y == 4 ? RGB(200, 0, 0) : RGB(50, 50, 50); });
    auto skin = LoadContent("[Personality]\nTop=t.bmp\nTopFrame=2\n", {{"t.bmp", bmp}});
    EXPECT_EQ(skin->Colours.TitleColour, RGB(200, 0, 0));
    ASSERT_TRUE(skin->Toolbar);
    EXPECT_EQ(SizeOf(skin->Toolbar->Bitmap.get()).cx, 10);
    EXPECT_EQ(SizeOf(skin->Toolbar->Bitmap.get()).cy, 40);
    // Saturated red (measure 255): the gradient runs from the face towards
    // Blend(red, white, 45).
    const COLORREF top = Blend(kSysButtonFace, 0xFFFFFF, 150);
    const COLORREF bottom = Blend(RGB(200, 0, 0), 0xFFFFFF, 45);
    const std::vector<COLORREF>& table = GradientSlot(GradientTable(40, top, bottom));
    EXPECT_EQ(PixelOf(skin->Toolbar->Bitmap.get(), 0, 0), table.front());
    EXPECT_EQ(PixelOf(skin->Toolbar->Bitmap.get(), 9, 39), table.back());
}

TEST(Colours, TopBorderWithZeroFramesStillSamples)
{
    auto bmp = MakeBmp(30, 24, 24, [](int x, int y) { return x == 10 && y == 8 ? RGB(0, 200, 0) : RGB(50, 50, 50); });
    auto skin = LoadContent("[Personality]\nTop=t.bmp\nTopFrame=0\n", {{"t.bmp", bmp}});
    EXPECT_EQ(skin->BorderTop->Frame, 0);
    EXPECT_EQ(skin->Colours.TitleColour, RGB(0, 200, 0));  // as if one frame
    auto negative = LoadContent("[Personality]\nTop=t.bmp\nTopFrame=-3\n", {{"t.bmp", bmp}});
    EXPECT_EQ(negative->Colours.TitleColour, RGB(0, 200, 0));
}

TEST(Reload, SlotsOfMissingSectionsBecomeEmpty)
{
    auto skin = LoadContent("[MenuItem]\nImage=m.bmp\n[Buttons]\nBitmap=m.bmp\n", {{"m.bmp", Strip(50, 10)}});
    ASSERT_TRUE(skin->MenuItem);
    TDataSkinButton* buttons = skin->Buttons.get();
    TDataSkinObject* toolbar = skin->Toolbar.get();

    auto package = MakePackage("[Fonts]\n");
    MemoryStream stream(package);
    TSkinReader reader;
    ASSERT_TRUE(reader.ReadPackage(stream));
    MemoryStream member;
    std::string found;
    reader.FindMemberContaining(".ini", member, found);
    TQuickIni ini;
    ini.LoadFromStream(&member);
    skin->LoadElements(ini, &reader);
    EXPECT_FALSE(skin->MenuItem);
    EXPECT_EQ(skin->Buttons.get(), buttons);  // refilled in place
    EXPECT_TRUE(IsEmptyBitmap(skin->Buttons->Bitmap));
    EXPECT_EQ(skin->Toolbar.get(), toolbar);
}

}  // namespace
}  // namespace quorvane::test
