// TSkinData: stored properties, the stored package, loading and bad packages.
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/optional_user32.h"
#include "skin/data/skin_class_maps.h"
#include "skin/data/skin_data.h"
#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"

namespace quorvane::test {
namespace {

// Answers (and counts) every message box while it lives.
class MessageBoxCatcher {
public:
    MessageBoxCatcher()
    {
        previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
            texts.push_back(request.text);
            return IDOK;
        });
    }
    ~MessageBoxCatcher() { SetMessageBoxHandler(previous_); }
    std::vector<std::string> texts;

private:
    MessageBoxHandler previous_;
};

const std::string kSmallSkin =
    "[TitlebarSkin]\nSkinName=Small\n[Colours]\nButtonFace=200,200,200\n"
    "[MenuItem]\nImage=m.bmp\n";

std::vector<uint8_t> SmallPackage() { return MakePackage(kSmallSkin, {{"m.bmp", SolidBmp(50, 10, RGB(1, 2, 3))}}); }

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

TEST(SkinData, ValuesAtCreation)
{
    TSkinData data(nullptr);
    EXPECT_FALSE(data.Active());
    EXPECT_EQ(data.DisableTag(), 99);
    EXPECT_EQ(data.SkinControls(), 0x1FFFFBu);
    EXPECT_EQ(data.Options(), 0x48u);
    EXPECT_EQ(data.SkinFormtype(), sfMainform);
    EXPECT_TRUE(data.MenuUpdate());
    EXPECT_FALSE(data.MenuMerge());
    EXPECT_EQ(data.SkinStore(), "(none)");
    EXPECT_EQ(data.Version(), "4.04.04.11");
    EXPECT_TRUE(data.SkinFile().empty());
    EXPECT_TRUE(data.NotLoaded());
    EXPECT_TRUE(data.FramePaintEnabled);
    ASSERT_EQ(data.Skin3rd().size(), 117u);
    EXPECT_EQ(data.Skin3rd()[46], "TLMDGroupBox=Groupbox");
    EXPECT_EQ(data.Skin3rd()[53], "TLMDGROUPBOX=Panel");
    EXPECT_EQ(ReaderSkin3rd().size(), 95u);
    ASSERT_NE(data.MenuImages(), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(data.MenuImages()), 4);
    EXPECT_EQ(data.MaximizedSize().cx, GetSystemMetrics(SM_CXMAXIMIZED));
    // The elements that live as long as the component exist from the start.
    EXPECT_EQ(data.BorderTop->Name, "Top");
    EXPECT_EQ(data.Title->Name, "Title");
    EXPECT_TRUE(data.Buttons);
}

TEST(SkinData, PublishedPropertiesByName)
{
    TSkinData data(nullptr);
    const TClassInfo& info = data.ClassType();
    const TPropInfo* controls = info.FindProp("skincontrols");
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(controls->kind, TPropKind::Set);
    EXPECT_EQ(controls->identifiers.size(), 22u);
    EXPECT_EQ(controls->identifiers[21], "xcFastReport");
    EXPECT_EQ(controls->getOrd(data), 0x1FFFFB);
    const TPropInfo* options = info.FindProp("Options");
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->identifiers[6], "xoToolbarBK");
    const TPropInfo* formType = info.FindProp("SkinFormtype");
    ASSERT_NE(formType, nullptr);
    formType->setOrd(data, 2);
    EXPECT_EQ(data.SkinFormtype(), sfDialog);

    // SkinStore and Version keep their values whatever is written.
    info.FindProp("Version")->setText(data, "1.0");
    info.FindProp("SkinStore")->setText(data, "(Good)");
    EXPECT_EQ(data.Version(), "4.04.04.11");
    EXPECT_EQ(info.FindProp("SkinStore")->getText(data), "(none)");

    info.FindProp("Skin3rd")->setText(data, "TA=button\r\nTB=edit\r\n");
    ASSERT_EQ(data.Skin3rd().size(), 2u);
    EXPECT_EQ(data.Skin3rd()[1], "TB=edit");
    for (const char* name : {"Active", "DisableTag", "SkinFile", "MenuUpdate", "MenuMerge", "OnFormSkin",
                             "OnSkinChanged", "OnSkinControl"})
        EXPECT_NE(info.FindProp(name), nullptr) << name;
    EXPECT_FALSE(info.FindProp("OnFormSkin")->isAssigned(data));
}

TEST(SkinData, ReaderValuesLoadTheStoredPackage)
{
    TSkinData data(nullptr);
    data.BeginLoading();
    ApplyReaderSkinDataValues(data, SmallPackage());
    data.EndLoading();
    EXPECT_FALSE(data.NotLoaded());
    EXPECT_TRUE(data.Active());
    EXPECT_EQ(data.Skin3rd().size(), 95u);
    EXPECT_EQ(data.SkinName, "Small");
    // xcMainMenu is set: xcMenuItem (already absent) stays out, xcSystemMenu stays in.
    EXPECT_FALSE(InSet(data.SkinControls(), xcMenuItem));
    EXPECT_TRUE(InSet(data.SkinControls(), xcSystemMenu));
    EXPECT_EQ(data.SkinControls() & ~(1u << xcScrollbar), kReaderSkinControls & ~(1u << xcScrollbar));
    EXPECT_NE(data.CaptionFont(), nullptr);
    const SIZE icon = BitmapSize(data.AppIconBitmap());
    EXPECT_EQ(icon.cx, GetSystemMetrics(SM_CXSMICON));

    // An icon handed over later is drawn on magenta; its mask stays magenta.
    const int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
    std::vector<uint8_t> andMask(static_cast<size_t>((w + 15) / 16 * 2 * h), 0);
    for (int x = 0; x < w / 2; ++x) andMask[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    std::vector<uint8_t> xorMask(andMask.size(), 0);  // black where opaque
    HICON blackIcon = CreateIcon(nullptr, w, h, 1, 1, andMask.data(), xorMask.data());
    ASSERT_NE(blackIcon, nullptr);
    data.SetApplicationIcon(blackIcon);
    DestroyIcon(blackIcon);
    EXPECT_EQ(PixelOf(data.AppIconBitmap(), 0, 0), RGB(255, 0, 255));      // transparent part
    EXPECT_EQ(PixelOf(data.AppIconBitmap(), w - 1, 0), RGB(0, 0, 0));      // drawn part
    EXPECT_EQ(PixelOf(data.AppIconBitmap(), w - 1, h - 1), RGB(0, 0, 0));
}

TEST(SkinData, LoadedWithoutMainMenuDropsTheSystemMenu)
{
    TSkinData data(nullptr);
    data.BeginLoading();
    data.SetSkinControls(kDefaultSkinControls & ~(1u << xcMainMenu));
    data.EndLoading();
    EXPECT_FALSE(InSet(data.SkinControls(), xcSystemMenu));
}

TEST(SkinData, ActiveWithoutAPackageEndsInactive)
{
    TSkinData data(nullptr);
    data.BeginLoading();
    data.SetActive(true);
    EXPECT_TRUE(data.Active());  // stored while loading
    data.EndLoading();
    EXPECT_FALSE(data.Active());
    data.SetActive(true);  // ignored until a skin loads
    EXPECT_FALSE(data.Active());
    data.SetPackage(SmallPackage());
    data.SetActive(true);
    EXPECT_TRUE(data.Active());
}

TEST(SkinData, SkinStreamRoundTrip)
{
    TSkinData first(nullptr);
    const std::vector<uint8_t> package = SmallPackage();
    std::vector<uint8_t> block;
    Put32(block, static_cast<uint32_t>(package.size()));
    block.insert(block.end(), package.begin(), package.end());
    MemoryStream in(block);
    first.ReadSkinStream(in);
    EXPECT_FALSE(first.NotLoaded());
    ASSERT_TRUE(first.MenuItem);

    MemoryStream out;
    first.WriteSkinStream(out);
    EXPECT_EQ(out.Bytes(), block);

    TSkinData second(nullptr);
    out.Seek(0);
    second.ReadSkinStream(out);
    EXPECT_EQ(second.Package().Bytes(), package);
    EXPECT_FALSE(second.NotLoaded());

    // A count of 0 or less keeps the package; an empty package writes a 0 count.
    for (int32_t count : {0, -5}) {
        std::vector<uint8_t> empty;
        Put32(empty, static_cast<uint32_t>(count));
        MemoryStream emptyStream(empty);
        second.ReadSkinStream(emptyStream);
        EXPECT_EQ(second.Package().Bytes(), package);
    }
    TSkinData blank(nullptr);
    MemoryStream blankOut;
    blank.WriteSkinStream(blankOut);
    EXPECT_EQ(blankOut.Bytes(), std::vector<uint8_t>(4, 0));
}

TEST(SkinData, SkinStreamCountBeyondTheDataTakesWhatIsThere)
{
    std::vector<uint8_t> block;
    Put32(block, 1000000);
    block.push_back(1);
    block.push_back(2);
    MemoryStream in(block);
    TSkinData data(nullptr);
    MessageBoxCatcher boxes;  // two bytes decode to no valid version
    data.ReadSkinStream(in);
    EXPECT_EQ(data.Package().Size(), 2u);
    EXPECT_TRUE(data.NotLoaded());
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(SkinData, WrongVersionShowsTheMessageAndKeepsTheSkin)
{
    TSkinData data(nullptr);
    data.SetPackage(SmallPackage());
    ASSERT_TRUE(data.MenuItem);

    std::vector<uint8_t> content = BuildPackageContent({{"skin.ini", {}}});
    content[0] = 0x1F;  // version 19999
    MessageBoxCatcher boxes;
    data.SetPackage(CompressPackage(content));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "This is Older Skin File\rPlease update to new version !");
    EXPECT_TRUE(data.NotLoaded());
    EXPECT_TRUE(data.MenuItem);  // previous elements kept
    EXPECT_EQ(data.SkinName, "Small");
}

TEST(SkinData, BadPackagesNeverCrash)
{
    const std::vector<uint8_t> good = SmallPackage();
    std::vector<std::vector<uint8_t>> packages;
    for (size_t cut : {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{5}, good.size() / 2, good.size() - 1})
        packages.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
    // Members whose sizes run past the data.
    {
        std::vector<uint8_t> content;
        const std::string names = "skin.ini\r\nm.bmp\r\n";
        Put32(content, 20000);
        Put32(content, static_cast<uint32_t>(names.size()));
        Put32(content, 0);
        Put32(content, 0);
        content.insert(content.end(), names.begin(), names.end());
        Put32(content, 0x7FFFFFF0);
        Put32(content, 0xFFFFFFFF);
        content.insert(content.end(), kSmallSkin.begin(), kSmallSkin.end());
        packages.push_back(CompressPackage(content));
    }
    // A name table longer than the content, and an uncompressed size far
    // beyond what the data could expand to (2 GB of filler otherwise).
    {
        std::vector<uint8_t> content;
        Put32(content, 20000);
        Put32(content, 0x7FFFFFFF);
        Put32(content, 0);
        Put32(content, 0);
        packages.push_back(CompressPackage(content));
        std::vector<uint8_t> huge = CompressPackage(content);
        huge[3] = 0x7F;
        packages.push_back(huge);
    }
    // Garbage after a plausible size.
    packages.push_back({0x40, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x13});

    MessageBoxCatcher boxes;
    for (const auto& package : packages) {
        TSkinData data(nullptr);
        data.SetPackage(package);  // must not throw or crash
        if (!data.NotLoaded()) {
            EXPECT_EQ(data.Buttons->Frame, 5);
            EXPECT_TRUE(data.Track);
        }
    }
}

TEST(SkinData, HighlyCompressedPackagesStillLoad)
{
    // Two megabytes of zeros code at close to the codec's limit of 48 to 1;
    // the check against damaged size fields must let them through.
    TSkinData data(nullptr);
    data.SetPackage(MakePackage("[TitlebarSkin]\nSkinName=Zeros\n", {{"zeros.dat", std::vector<uint8_t>(2000000, 0)}}));
    EXPECT_FALSE(data.NotLoaded());
    EXPECT_EQ(data.SkinName, "Zeros");
}

TEST(SkinData, PackagesBeyondTheLoadLimitsLeaveTheLoadedSkinAsItWas)
{
    TSkinData data(nullptr);
    data.SetPackage(SmallPackage());
    ASSERT_FALSE(data.NotLoaded());
    EXPECT_TRUE(data.LastLoadError().empty());
    const TDataSkinObject* menuItem = data.MenuItem.get();
    const HBITMAP menuBitmap = menuItem->Bitmap.get();
    const HBRUSH faceBrush = data.Colours.FaceBrush.get();

    // Every picture declares 16,000 x 16,000 pixels in a few bytes of RLE data.
    std::vector<uint8_t> huge;
    {
        huge = {'B', 'M'};
        Put32(huge, 14 + 40 + 4 + 2);
        Put32(huge, 0);
        Put32(huge, 14 + 40 + 4);
        Put32(huge, 40);
        Put32(huge, 16000);
        Put32(huge, 16000);
        huge.push_back(1);
        huge.push_back(0);
        huge.push_back(8);
        huge.push_back(0);
        Put32(huge, BI_RLE8);
        for (int i = 0; i < 5; ++i) Put32(huge, 0);
        Put32(huge, 0x00FF0000);
        huge.push_back(0);
        huge.push_back(1);  // end of picture
    }
    data.SetPackage(MakePackage("[TitlebarSkin]\nSkinName=Huge\n[Colours]\nButtonFace=1,2,3\n"
                                "[MenuItem]\nImage=h.bmp\n[Scrollbar]\nImage=h.bmp\n",
                                {{"h.bmp", huge}}));
    EXPECT_TRUE(data.NotLoaded());
    EXPECT_NE(data.LastLoadError().find("16000 x 16000"), std::string::npos) << data.LastLoadError();
    EXPECT_EQ(data.SkinName, "Small");
    EXPECT_EQ(data.MenuItem.get(), menuItem);
    EXPECT_EQ(data.MenuItem->Bitmap.get(), menuBitmap);
    EXPECT_FALSE(data.Scrollbar);
    EXPECT_EQ(data.Colours.ButtonFace, 0xC8C8C8u);
    EXPECT_EQ(data.Colours.FaceBrush.get(), faceBrush);

    // Smaller limits refuse what the default ones take; a load that fits
    // clears the reason.
    SkinLimits limits;
    limits.captionButtons = 1;
    data.SetLoadLimits(limits);
    data.SetPackage(MakePackage("[BUTTON1]\n[BUTTON2]\n"));
    EXPECT_TRUE(data.NotLoaded());
    EXPECT_NE(data.LastLoadError().find("caption buttons"), std::string::npos);
    data.SetPackage(MakePackage("[BUTTON1]\n"));
    EXPECT_FALSE(data.NotLoaded());
    EXPECT_TRUE(data.LastLoadError().empty());
    EXPECT_EQ(data.SysButtons.size(), 4u);
}

TEST(SkinData, SkinWithoutDescriptionTakesEveryDefault)
{
    TSkinData data(nullptr);
    data.SetPackage(BuildPackage({{"m.bmp", SolidBmp(4, 4, 0)}}));
    EXPECT_FALSE(data.NotLoaded());
    EXPECT_EQ(data.Title->FontHeight, 14);
    EXPECT_EQ(data.Colours.ButtonFace, kSysButtonFace);
    EXPECT_EQ(data.SysButtons.size(), 3u);
    EXPECT_FALSE(data.MenuItem);
    EXPECT_EQ(SizeOf(data.Track->Bitmap.get()).cx, 16);
    EXPECT_NE(data.Colours.FaceBrush.get(), nullptr);
}

TEST(SkinData, BitmapsOfEveryDepthLoadWithTheirColours)
{
    auto pattern = [](int x, int y) -> COLORREF {
        return (x + y) % 3 == 0 ? RGB(255, 0, 255) : (x + y) % 3 == 1 ? RGB(0, 0, 0) : RGB(255, 255, 255);
    };
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        // Two colours only for the 1-bit picture.
        auto colours = bits == 1 ? PixelAt([](int x, int) { return x % 2 ? RGB(255, 0, 255) : RGB(0, 0, 0); })
                                 : PixelAt(pattern);
        for (int width : {1, 7, 33}) {
            TSkinData data(nullptr);
            data.SetPackage(MakePackage("[MenuItem]\nImage=m.bmp\n", {{"m.bmp", MakeBmp(width, 5, bits, colours)}}));
            ASSERT_TRUE(data.MenuItem) << bits;
            const HBITMAP bitmap = data.MenuItem->Bitmap.get();
            ASSERT_EQ(SizeOf(bitmap).cx, width) << bits;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < width; ++x) ASSERT_EQ(PixelOf(bitmap, x, y), colours(x, y)) << bits << " " << x << "," << y;
        }
    }
}

TEST(SkinData, BrokenBitmapsGiveEmptyElements)
{
    std::vector<uint8_t> good = SolidBmp(8, 8, RGB(9, 9, 9));
    std::vector<std::vector<uint8_t>> broken;
    broken.push_back(SolidBmp(0, 8, 0));                                    // no pixels
    broken.push_back(SolidBmp(8, 0, 0));
    broken.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1));   // pixels cut short
    broken.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 20));  // header cut short
    broken.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 2));
    std::vector<uint8_t> rle = good;
    rle[30] = BI_RLE8;
    broken.push_back(rle);
    std::vector<uint8_t> odd = good;
    odd[28] = 7;  // 7 bits per pixel
    broken.push_back(odd);
    std::vector<uint8_t> huge = good;
    huge[18] = 0xFF;  // width 0x000000FF... made huge below
    huge[21] = 0x7F;
    broken.push_back(huge);
    for (const auto& bmp : broken) {
        TSkinData data(nullptr);
        data.SetPackage(MakePackage("[MenuItem]\nImage=m.bmp\nFrame=0\n[Buttons]\nBitmap=m.bmp\n"
                                    "[Personality]\nTop=m.bmp\nTopFrame=0\n",
                                    {{"m.bmp", bmp}}));
        ASSERT_FALSE(data.NotLoaded());
        ASSERT_TRUE(data.MenuItem);
        EXPECT_TRUE(IsEmptyBitmap(data.MenuItem->Bitmap));
        EXPECT_TRUE(IsEmptyBitmap(data.Buttons->Bitmap));
        EXPECT_EQ(data.Colours.TitleColour, data.Colours.ButtonFace);
    }
}

TEST(SkinData, FormSkinFilter)
{
    TSkinData data(nullptr);
    struct Case {
        const char* className;
        bool fastReport;
        bool expected;
    } cases[] = {
        {"SysMonthCal32", false, false},
        {"TfrPreviewForm", false, true},
        {"TfrPreviewForm", true, false},
        {"TForm1", true, true},
        {"#32770", false, true},
    };
    for (const Case& c : cases) {
        data.SetSkinControls(c.fastReport ? kDefaultSkinControls | (1u << xcFastReport) : kDefaultSkinControls);
        bool doSkin = true;
        TObject window;
        data.FormSkinFilter(&window, c.className, doSkin);
        EXPECT_EQ(doSkin, c.expected) << c.className;
        EXPECT_EQ(data.LastFilteredWindow(), &window);
    }
    std::string asked;
    data.OnFormSkin = [&](TObject* sender, const std::string& name, bool& doSkin) {
        EXPECT_EQ(sender, &data);
        asked = name;
        doSkin = true;
    };
    bool doSkin = false;
    data.FormSkinFilter(nullptr, "SysMonthCal32", doSkin);
    EXPECT_TRUE(doSkin);
    EXPECT_EQ(asked, "SysMonthCal32");

    int changed = 0;
    data.NotifySkinChanged();
    data.OnSkinChanged = [&](TObject* sender) { changed += sender == &data; };
    data.NotifySkinChanged();
    EXPECT_EQ(changed, 1);
}

std::string WriteTempFile(const char* name, const std::vector<uint8_t>& bytes)
{
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    const std::string file = std::string(path) + name;
    HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return file;
}

TEST(SkinData, SkinFileGivenWhileReadingIsLoadedBeforeLoaded)
{
    const std::string file = WriteTempFile("skin_data_reading.qskin", SmallPackage());
    TSkinData data(nullptr);
    data.BeginLoading();
    data.SetActive(true);
    data.SetSkinFile(file);
    data.EndLoading();
    DeleteFileA(file.c_str());
    EXPECT_EQ(data.SkinFile(), file);
    EXPECT_FALSE(data.NotLoaded());
    EXPECT_EQ(data.SkinName, "Small");
    EXPECT_TRUE(data.MenuItem);
    EXPECT_TRUE(data.Active());  // a loaded skin keeps Active on at Loaded
}

TEST(SkinData, SkinFileLoadsExistingFilesAndIgnoresMissingOnes)
{
    TSkinData data(nullptr);
    data.SetPackage(SmallPackage());
    data.SetSkinFile("Z:\\nonexistent\\skin.qskin");
    EXPECT_FALSE(data.NotLoaded());
    EXPECT_EQ(data.SkinName, "Small");

    const std::vector<uint8_t> other = MakePackage("[TitlebarSkin]\nSkinName=Other\n");
    const std::string file = WriteTempFile("skin_data_test.qskin", other);
    data.SetSkinFile(file);
    DeleteFileA(file.c_str());
    EXPECT_EQ(data.SkinFile(), file);
    EXPECT_EQ(data.SkinName, "Other");
    EXPECT_FALSE(data.MenuItem);
    EXPECT_EQ(data.Package().Bytes(), other);
}

TEST(OptionalUser32, FunctionsAreFoundAndAnswer)
{
    // Every Windows version this runs on (and Wine) has all four.
    EXPECT_TRUE(HasGetScrollBarInfo());
    EXPECT_TRUE(HasTrackMouseEvent());
    EXPECT_TRUE(HasGetComboBoxInfo());
    HWND bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_HORZ, 0, 0, 100, 16, GetDesktopWindow(),
                               nullptr, nullptr, nullptr);
    ASSERT_NE(bar, nullptr);
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    EXPECT_TRUE(OptionalGetScrollBarInfo(bar, OBJID_CLIENT, &info));
    EXPECT_EQ(info.rcScrollBar.right - info.rcScrollBar.left, 100);
    RequestMouseLeave(bar);  // only asks; no message is due while the mouse is elsewhere
    DestroyWindow(bar);
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof(combo);
    EXPECT_FALSE(OptionalGetComboBoxInfo(nullptr, &combo));
}

}  // namespace
}  // namespace quorvane::test
