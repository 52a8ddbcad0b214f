// Position mapping between espeak-ng's character positions and the UTF-16
// text of Speak, sentence extents, and the phone table.
#include "speech/phone_set.h"
#include "speech/speech_text.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

TEST(SpeechText, EspeakPositionsMapToUtf16)
{
    // "a" + U+20000 (a surrogate pair) + "中" + "b"
    const std::u16string text = u"a\U00020000\u4e2db";
    SpeechText mapped(text);
    EXPECT_EQ(mapped.Utf8(), "a\xf0\xa0\x80\x80\xe4\xb8\xad" "b");
    EXPECT_EQ(mapped.CodePointCount(), 4);
    struct Case {
        int espeakPosition, length, utf16Position, utf16Length;
    };
    const Case cases[] = {
        {1, 1, 0, 1}, {2, 1, 1, 2}, {3, 1, 3, 1}, {4, 1, 4, 1}, {2, 3, 1, 4},
        {0, 1, 0, 1},    // before the text: clamped to its start
        {9, 2, 5, 0},    // past the end: clamped, empty
        {4, 7, 4, 1},    // length running past the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.espeakPosition);
        EXPECT_EQ(mapped.Utf16Position(c.espeakPosition), c.utf16Position);
        EXPECT_EQ(mapped.Utf16Length(c.espeakPosition, c.length), c.utf16Length);
    }
}

TEST(SpeechText, NulAndLoneSurrogatesKeepOnePositionEach)
{
    const std::u16string text{u'a', 0, 0xD800, u'b'};
    SpeechText mapped(text);
    EXPECT_EQ(mapped.Utf8(), std::string("a \xef\xbf\xbd" "b"));
    EXPECT_EQ(mapped.Utf16Position(4), 3);
}

TEST(SpeechText, SentenceLengthEndsAtItsPunctuation)
{
    struct Case {
        std::u16string text;
        int start, length;
    };
    const Case cases[] = {
        {u"A quick fox. What fun!", 0, 12},
        {u"A quick fox. What fun!", 13, 9},
        {u"Pi is 3.14 exactly. Next", 0, 19},
        {u"He said \"stop.\" Then", 0, 15},
        {u"\u4f60\u597d\uff0c\u4e16\u754c\u3002\u6211\u4eec", 0, 6},
        {u"no full stop at the end  ", 0, 23},
        {u"first paragraph\n\nsecond", 0, 15},
        {u"Wait... what?", 0, 7},
        {u"x", 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        EXPECT_EQ(SpeechText(c.text).SentenceLength(c.start), c.length);
    }
}

TEST(PhoneSet, EspeakNamesMapToPhonesAndVisemes)
{
    struct Case {
        const char* name;
        int phone, viseme;
    };
    const Case cases[] = {
        {"k", 30, 20}, {"w", 46, 7}, {"I", 27, 6}, {"aU", 14, 9}, {"dZ", 29, 16}, {"D", 20, 17},
        {"@2", 15, 1}, {"0", 10, 2}, {"3:", 22, 5}, {"oU", 35, 8}, {"t#", 41, 19}, {"n-", 33, 19},
        {"_", 7, 0},   {"_:", 7, 0}, {"_|", 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PhoneIdFromEspeak(c.name), c.phone);
        EXPECT_EQ(VisemeFromPhoneId(PhoneIdFromEspeak(c.name)), c.viseme);
    }
    EXPECT_EQ(PhoneIdFromEspeak("(en)"), 0);  // a language switch is no phoneme
}

}  // namespace
}  // namespace quorvane
