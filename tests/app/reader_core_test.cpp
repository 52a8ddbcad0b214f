// The reader's window-independent parts: log lines, phone symbols, the
// repeat marker file and the drawn pictures.
#include <windows.h>

#include <string>
#include <vector>

#include "app/reader_glyphs.h"
#include "app/reader_texts.h"
#include "app/clipboard_copy.h"
#include "app/repeat_marker.h"
#include "framework/message_box.h"
#include "tests/support/gtest.h"

namespace quorvane::reader {
namespace {

TEST(ReaderTexts, EventLogLinesHaveTheirExactFormats)
{
    struct Case {
        std::string actual;
        const char* expected;
    };
    const Case cases[] = {
        {StartStreamLine(1, 0), "OnStartStream: stream 1, position: 0"},
        {EndStreamLine(12, 44100), "OnEndStream: stream 12, position: 44100"},
        {VoiceChangeLine(2, 10, "Mandarin 中文"), "OnVoiceChange: stream 2, position: 10, voice: Mandarin 中文"},
        {BookmarkLine(3, -5, 7, "mark%d"), "OnBookmark: stream 3, position -5, bookmark id 7, bookmark: mark%d"},
        {WordLine(4, 320, 18, 5), "OnWord: stream 4, position: 320, char. pos. 18, length 5"},
        {SentenceLine(5, 0, 0, 44), "OnSentence: stream 5, position: 0, char. pos. 0, length 44"},
        {VisemeLine(6, 99, 21), "OnViseme: stream 6, position: 99, viseme 21"},
        {EnginePrivateLine(7, 2147483647), "OnEnginePrivate: stream 7, position: 2147483647"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(ReaderTexts, PhonemeSymbolsFollowTheAmericanEnglishPhoneSet)
{
    EXPECT_EQ(PhonemeSymbol(1), "-");
    EXPECT_EQ(PhonemeSymbol(kSilencePhoneId), "_");
    EXPECT_EQ(PhonemeSymbol(10), "aa");
    EXPECT_EQ(PhonemeSymbol(26), "h");
    EXPECT_EQ(PhonemeSymbol(34), "ng");
    EXPECT_EQ(PhonemeSymbol(49), "zh");
    EXPECT_EQ(PhonemeSymbol(0), "");
    EXPECT_EQ(PhonemeSymbol(50), "");
    EXPECT_EQ(PhonemeSymbol(-3), "");
}

TEST(ReaderTexts, StatusBarNamesTheMakerAndAddresses)
{
    EXPECT_EQ(StatusBarText(), "欢迎您访问：www.pelmora.example  Pelmora  Email:quorvane@pelmora.example");
}

class MarkerFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        WCHAR temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        directory_ = reinterpret_cast<const char16_t*>(temp);
        directory_ += u"quorvane-marker-test";
        CreateDirectoryW(reinterpret_cast<const WCHAR*>(directory_.c_str()), nullptr);
        path_ = MarkerPath(directory_);
        DeleteMarker(path_);
    }
    void TearDown() override
    {
        DeleteMarker(path_);
        RemoveDirectoryW(reinterpret_cast<const WCHAR*>(directory_.c_str()));
    }
    long long SizeOnDisk() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(reinterpret_cast<const WCHAR*>(path_.c_str()), GetFileExInfoStandard, &data))
            return -1;
        return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    std::u16string directory_;
    std::u16string path_;
};

TEST_F(MarkerFileTest, WrittenEmptyOverOldContentAndDeleted)
{
    EXPECT_EQ(path_.substr(path_.size() - 7), u"\\01.ini");
    EXPECT_FALSE(MarkerExists(path_));
    WriteMarker(path_, "old content\r\n");
    EXPECT_EQ(SizeOnDisk(), 13);
    WriteMarker(path_, "");
    EXPECT_TRUE(MarkerExists(path_));
    EXPECT_EQ(SizeOnDisk(), 0);
    DeleteMarker(path_);
    EXPECT_FALSE(MarkerExists(path_));
    DeleteMarker(path_);  // nothing there: silent
}

TEST_F(MarkerFileTest, UnwritableMarkerRaisesCannotCreateFileWithThePath)
{
    const std::u16string missing = MarkerPath(directory_ + u"\\no\\such\\folder");
    try {
        WriteMarker(missing, "");
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + Utf16ToUtf8(missing));
    }
}

TEST(ReaderGlyphs, GlyphsAreDistinctSixteenPixelShapesWithTransparentCorners)
{
    std::vector<Picture> glyphs;
    for (Glyph glyph : {Glyph::Play, Glyph::Pause, Glyph::Stop}) {
        const Picture picture = DrawGlyph(glyph);
        ASSERT_EQ(picture.width, 16);
        ASSERT_EQ(picture.height, 16);
        EXPECT_EQ(picture.At(0, 0) >> 24, 0u);
        EXPECT_EQ(picture.At(15, 15) >> 24, 0u);
        glyphs.push_back(picture);
    }
    EXPECT_EQ(glyphs[1].At(8, 8) >> 24, 0u) << "pause has a gap between its bars";
    EXPECT_EQ(glyphs[2].At(8, 8) >> 24, 255u) << "stop is a filled square";
    EXPECT_EQ(glyphs[0].At(6, 8) >> 24, 255u) << "play is a filled triangle";
    EXPECT_EQ(glyphs[0].At(13, 3) >> 24, 0u) << "play leaves the top right corner free";
    EXPECT_NE(glyphs[0].pixels, glyphs[2].pixels);
}

TEST(ReaderGlyphs, GlyphStripKeepsTheMaskColourOnlyWhereNothingIsDrawn)
{
    const COLORREF mask = RGB(255, 0, 255);
    HBITMAP strip = CreateGlyphStrip(mask, RGB(212, 208, 200));
    ASSERT_NE(strip, nullptr);
    BITMAP info{};
    GetObjectW(strip, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 16);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    for (int index = 0; index < 3; ++index) {
        const Picture glyph = DrawGlyph(static_cast<Glyph>(index));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(GetPixel(dc, index * 16 + x, y) == mask, (glyph.At(x, y) >> 24) == 0)
                    << "glyph " << index << " at " << x << "," << y;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(strip);
}

TEST(ReaderGlyphs, IconExistsAtEverySizeWithAlpha)
{
    for (int size : kIconSizes) {
        HICON icon = CreateReaderIcon(size);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
        const Picture picture = DrawIcon(size);
        EXPECT_EQ(picture.At(0, 0) >> 24, 0u) << "rounded corner is transparent";
        EXPECT_EQ(picture.At(size / 2, size / 2) >> 24, 255u);
    }
}

}  // namespace
}  // namespace quorvane::reader

namespace quorvane::reader {
namespace {

// The rule that tells a new copy from the same one announced again, and a
// private copy announced again without its mark, step by step.
TEST(CopyTracker, TellsNewCopiesRepeatsAndPrivateContentApart)
{
    using Verdict = CopyTracker::Verdict;
    const HWND manager = reinterpret_cast<HWND>(0x1234);
    const HWND other = reinterpret_cast<HWND>(0x5678);
    struct Step {
        const char* what;
        const char16_t* text;
        bool marked;
        HWND owner;
        DWORD time;
        bool userActed;  // stop, play or pause just before
        Verdict expected;
    };
    const Step steps[] = {
        {"first copy", u"alpha", false, manager, 1000, false, Verdict::NewCopy},
        {"announced again at once", u"alpha", false, manager, 1200, false, Verdict::SameCopy},
        {"copied again later", u"alpha", false, manager, 3000, false, Verdict::NewCopy},
        {"copied again at once after stop", u"alpha", false, manager, 3100, true, Verdict::NewCopy},
        {"same text, another owner", u"alpha", false, other, 3200, false, Verdict::NewCopy},
        {"other text", u"beta", false, other, 3300, false, Verdict::NewCopy},
        {"private copy", u"hunter2", true, manager, 3400, false, Verdict::PrivateCopy},
        {"again without its mark, later", u"hunter2", false, manager, 9000, false, Verdict::PrivateCopy},
        {"again from another owner", u"hunter2", false, other, 9100, true, Verdict::PrivateCopy},
        {"something else", u"gamma", false, manager, 9200, false, Verdict::NewCopy},
        {"the old secret, unmarked, now", u"hunter2", false, manager, 20000, false, Verdict::NewCopy},
        {"clock wraps", u"hunter2", false, manager, 20000 + 0xFFFFFFFFu, false, Verdict::NewCopy},
    };
    CopyTracker tracker;
    DWORD sequence = 10;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ClipboardCopy copy;
        copy.marked = step.marked;
        copy.contentHash = ContentHash(step.text);
        copy.owner = step.owner;
        copy.sequence = ++sequence;
        EXPECT_FALSE(tracker.Unchanged(copy.sequence));
        if (step.userActed) tracker.UserActed();
        EXPECT_EQ(tracker.Classify(copy, step.time), step.expected);
        EXPECT_TRUE(tracker.Unchanged(copy.sequence)) << "the notice again is the same copy";
    }
}

// Wine announces a clipboard without text between two owners, or with the
// private mark but no readable text: the private content offered again
// after it is still private; other text ends it.
TEST(CopyTracker, OnlyOtherTextEndsThePrivateCopy)
{
    CopyTracker tracker;
    ClipboardCopy secret;
    secret.marked = true;
    secret.contentHash = ContentHash(u"hunter2");
    EXPECT_EQ(tracker.Classify(secret, 0), CopyTracker::Verdict::PrivateCopy);
    tracker.ForgetContent();  // no text on the clipboard for a moment
    ClipboardCopy markedEmpty;  // the mark listed, the text unreadable
    markedEmpty.marked = true;
    markedEmpty.contentHash = ContentHash(u"");
    EXPECT_EQ(tracker.Classify(markedEmpty, 1000), CopyTracker::Verdict::PrivateCopy);
    ClipboardCopy plain = secret;
    plain.marked = false;
    EXPECT_EQ(tracker.Classify(plain, 5000), CopyTracker::Verdict::PrivateCopy);
    ClipboardCopy other;
    other.text = u"other text";
    other.contentHash = ContentHash(other.text);
    EXPECT_EQ(tracker.Classify(other, 6000), CopyTracker::Verdict::NewCopy);
    EXPECT_EQ(tracker.Classify(plain, 9000), CopyTracker::Verdict::NewCopy);
}

TEST(ContentHash, DependsOnEveryUnitAndTheLength)
{
    using namespace std::string_literals;
    const std::u16string texts[] = {u"", u"a", u"b", u"ab", u"ba", u"a\0"s, u"\u4f60\u597d", u"\u597d\u4f60"};
    for (const auto& a : texts)
        for (const auto& b : texts)
            EXPECT_EQ(ContentHash(a) == ContentHash(b), a == b);
}

}  // namespace
}  // namespace quorvane::reader
