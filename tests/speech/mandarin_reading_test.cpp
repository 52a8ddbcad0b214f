// Mandarin readings: phrase readings of polyphonic characters, neutral
// tones, traditional characters, tone sandhi and the measured accuracy on
// held-out annotated sentences.
#include <fstream>
#include <string>
#include <vector>

#include "speech/frontend/mandarin_reading.h"
#include "speech/frontend/mandarin_table.h"
#include "speech/frontend/pinyin_text.h"
#include "tests/support/gtest.h"

namespace quorvane::frontend {
namespace {

std::string Pinyin(const std::string& utf8)
{
    return PinyinLine(Utf8ToUtf16(utf8));
}

// The tones as spoken, one digit per Han character ("23" for 你好).
std::string SpokenTones(const std::string& utf8)
{
    std::string tones;
    for (const MandarinSyllable& s : ReadMandarin(Utf8ToUtf16(utf8))) tones += static_cast<char>('0' + s.spokenTone);
    return tones;
}

struct Case {
    const char* text;
    const char* expected;
};

TEST(MandarinReading, TableIsEmbeddedAndValid)
{
    const MandarinTable& table = MandarinTable::Get();
    ASSERT_TRUE(table.Valid());
    EXPECT_GT(table.SyllableCount(), 1000u);
}

TEST(MandarinReading, PolyphonesTakeThePhraseReading)
{
    const Case cases[] = {
        {"银行", "yin2 hang2"},   {"音乐", "yin1 yue4"},   {"睡觉", "shui4 jiao4"}, {"重复", "chong2 fu4"},
        {"行长", "hang2 zhang3"}, {"长大", "zhang3 da4"},  {"长城", "chang2 cheng2"}, {"重要", "zhong4 yao4"},
        {"快乐", "kuai4 le4"},    {"觉得", "jue2 de5"},    {"还是", "hai2 shi4"},    {"还钱", "huan2 qian2"},
        {"数学", "shu4 xue2"},    {"参差", "cen1 ci1"},    {"调查", "diao4 cha2"},   {"空调", "kong1 tiao2"},
        {"方便", "fang1 bian4"},  {"便宜", "pian2 yi5"},   {"差不多", "cha4 bu4 duo1"}, {"出差", "chu1 chai1"},
        {"相信", "xiang1 xin4"},  {"宰相", "zai3 xiang4"}, {"西藏", "xi1 zang4"},    {"处理", "chu3 li3"},
        {"传记", "zhuan4 ji4"},   {"倒霉", "dao3 mei2"},   {"头发", "tou2 fa5"},     {"干净", "gan1 jing4"},
        {"干部", "gan4 bu4"},     {"爱好", "ai4 hao4"},    {"教书", "jiao1 shu1"},   {"教育", "jiao4 yu4"},
        {"正月", "zheng1 yue4"},  {"种植", "zhong4 zhi2"}, {"种子", "zhong3 zi5"},   {"转圈", "zhuan4 quan1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Pinyin(c.text), c.expected) << c.text;
}

TEST(MandarinReading, ParticlesAndSuffixesAreNeutral)
{
    const Case cases[] = {
        {"我的书", "wo3 de5 shu1"},   {"吃了饭", "chi1 le5 fan4"},  {"看着我", "kan4 zhe5 wo3"},
        {"我们", "wo3 men5"},         {"桌子", "zhuo1 zi5"},        {"石头", "shi2 tou5"},
        {"你好吗", "ni3 hao3 ma5"},   {"走吧", "zou3 ba5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Pinyin(c.text), c.expected) << c.text;
}

TEST(MandarinReading, TraditionalCharactersReadAsSimplified)
{
    const Case cases[] = {
        {"銀行", "yin2 hang2"}, {"音樂", "yin1 yue4"}, {"睡覺", "shui4 jiao4"}, {"重複", "chong2 fu4"},
        {"頭髮", "tou2 fa5"},   {"電腦", "dian4 nao3"}, {"們", "men5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Pinyin(c.text), c.expected) << c.text;
}

TEST(MandarinReading, OneTokenPerHanCharacterAndNothingElse)
{
    const Case cases[] = {
        {"", ""},
        {"hello, world", ""},
        {"我用Windows电脑", "wo3 yong4 dian4 nao3"},
        {"女 绿", "nu:3 lu:4"},
        {"〇", "ling2"},
        {"\xF0\xB0\x80\x80", "?5"},  // U+30000: Han, no reading known
    };
    for (const Case& c : cases) EXPECT_EQ(Pinyin(c.text), c.expected) << c.text;
}

TEST(MandarinReading, PositionsAndWordStartsFollowTheText)
{
    // Non-Han characters count as UTF-16 units, a supplementary character
    // as two.
    const std::vector<MandarinSyllable> s = ReadMandarin(u"a银行\U00020000b我");
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].position, 1);
    EXPECT_EQ(s[1].position, 2);
    EXPECT_EQ(s[2].position, 3);
    EXPECT_EQ(s[3].position, 6);
    EXPECT_TRUE(s[0].wordStart);
    EXPECT_FALSE(s[1].wordStart);
    EXPECT_TRUE(s[3].wordStart);
}

TEST(MandarinReading, ToneSandhi)
{
    const Case cases[] = {
        // 一: second tone before a fourth, fourth before the others.
        {"一个", "24"}, {"一天", "41"}, {"一年", "42"}, {"一起", "43"},
        // ... but first tone as a digit, an ordinal, at a word's end or alone.
        {"第一", "41"}, {"十一", "21"}, {"一九八四", "1314"}, {"统一", "31"}, {"一", "1"},
        // 不: second tone before a fourth only.
        {"不要", "24"}, {"不好", "43"}, {"不来", "42"}, {"不", "4"},
        // Neutral between a repeated verb or adjective.
        {"看一看", "454"}, {"好不好", "353"},
        // Third tones in one word.
        {"你好", "23"}, {"水果", "23"}, {"展览馆", "223"},
    };
    for (const Case& c : cases) EXPECT_EQ(SpokenTones(c.text), c.expected) << c.text;
}

TEST(MandarinReading, CitationTonesOfYiAndBuStayUnchanged)
{
    EXPECT_EQ(Pinyin("一个不要"), "yi1 ge4 bu4 yao4");
}

// Every fifth annotated sentence is held out of everything the table learns
// from; this is the accuracy on those, a little below what was measured.
TEST(MandarinReading, HeldOutPolyphoneAccuracy)
{
    std::ifstream sentences(QUORVANE_POLYPHONE_DIR "/dev.sent"), labels(QUORVANE_POLYPHONE_DIR "/dev.lb");
    ASSERT_TRUE(sentences && labels);
    std::string sentence, label;
    int line = 0, total = 0, right = 0;
    for (; std::getline(sentences, sentence) && std::getline(labels, label); ++line) {
        if (line % 5 != 4) continue;
        std::string text;
        int position = 0;
        ASSERT_TRUE(PolyphoneSentence(sentence, &text, &position)) << line;
        ++total;
        if (PinyinOfCharacterAt(Utf8ToUtf16(text), position) == NormalizeLabel(label)) ++right;
    }
    ASSERT_GT(total, 1900);
    EXPECT_GE(100.0 * right / total, 91.0) << right << " of " << total;
}

}  // namespace
}  // namespace quorvane::frontend
