// Mandarin readings: phrase readings of polyphonic characters, neutral
// tones, traditional characters, tone sandhi and the measured accuracy on
// held-out annotated sentences.
#include <fstream>
#include <string>
#include <vector>

#include "speech/frontend/mandarin_context.h"
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

// Word starts show the segmentation: the most probable split by the
// dictionary, not the longest match from the left.
TEST(MandarinReading, SegmentationFindsTheLikelyWords)
{
    const Case cases[] = {
        {"我们在银行工作", "我们|在|银行|工作"},
        {"研究生命起源", "研究|生命|起源"},  // not 研究生|命
        {"结婚的和尚未结婚的", "结婚|的|和|尚未|结婚|的"},
    };
    for (const Case& c : cases) {
        const std::u16string text = Utf8ToUtf16(c.text);
        std::u16string split;
        for (const MandarinSyllable& s : ReadMandarin(text)) {
            if (s.wordStart && !split.empty()) split += u'|';
            split += text[static_cast<size_t>(s.position)];
        }
        EXPECT_EQ(split, Utf8ToUtf16(c.expected)) << c.text;
    }
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

// Each entry of our own override table reads as the table says, alone and
// inside a sentence.
TEST(MandarinReading, OverrideEntriesReadAsListed)
{
    std::ifstream in(QUORVANE_FRONTEND_DATA_DIR "/mandarin_overrides.txt");
    ASSERT_TRUE(in);
    std::string line;
    int entries = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string word = line.substr(0, tab), pinyin = line.substr(tab + 1);
        EXPECT_EQ(Pinyin(word), pinyin) << word;
        EXPECT_EQ(Pinyin("他说" + word + "。"), "ta1 shuo1 " + pinyin) << word;
        ++entries;
    }
    EXPECT_GE(entries, 4);
}

// Readings where the packaged dictionary follows Taiwan's standard and the
// mainland character readings correct it.
TEST(MandarinReading, MainlandReadingsReplaceTaiwanOnes)
{
    const Case cases[] = {
        {"星期", "xing1 qi1"}, {"危险", "wei1 xian3"}, {"质量", "zhi4 liang4"}, {"垃圾", "la1 ji1"},
        {"企业", "qi3 ye4"},   {"什么", "shen2 me5"},  {"液体", "ye4 ti3"},     {"一会儿", "yi1 hui4 er5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Pinyin(c.text), c.expected) << c.text;
}

TEST(MandarinReading, CitationTonesOfYiAndBuStayUnchanged)
{
    EXPECT_EQ(Pinyin("一个不要"), "yi1 ge4 bu4 yao4");
}

TEST(PinyinText, Utf8ToUtf16ReplacesMalformedBytes)
{
    struct Utf8Case {
        std::string in;
        std::u16string out;
    };
    const Utf8Case cases[] = {
        {"a\xC3\xBC\xE4\xB8\xAD", u"aü中"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},              // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},      // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xE4\xB8", u"\uFFFD\uFFFD"},              // cut short
        {"\xE4x\xAD", u"\uFFFDx\uFFFD"},
        {"", u""},
    };
    for (const Utf8Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.in;
}

TEST(PinyinText, AnnotatedSentencesAndLabels)
{
    std::string text;
    int position = -1;
    ASSERT_TRUE(PolyphoneSentence("a银▁行▁长\r", &text, &position));
    EXPECT_EQ(text, "a银行长");
    EXPECT_EQ(position, 2);
    EXPECT_FALSE(PolyphoneSentence("银行", &text, &position));
    EXPECT_FALSE(PolyphoneSentence("银▁行", &text, &position));
    EXPECT_FALSE(PolyphoneSentence("银▁▁行", &text, &position));
    const Case labels[] = {{"lv4", "lu:4"}, {"n\xC3\xBC" "3", "nu:3"}, {"lu:4", "lu:4"}, {" le5\r\n", "le5"}, {"HANG2", "hang2"}};
    for (const Case& c : labels) EXPECT_EQ(NormalizeLabel(c.text), c.expected) << c.text;
}

TEST(MandarinContext, KeysLeaveOutEdgesAndBlanksAndFoldDigitsAndLetters)
{
    auto describe = [](const std::vector<ContextKey>& keys) {
        std::u16string out;
        for (const ContextKey& k : keys) {
            out += static_cast<char16_t>(u'0' + static_cast<int>(k.kind));
            out += k.first;
            if (k.second) out += k.second;
            out += u' ';
        }
        return out;
    };
    auto units = [](std::u16string_view text) {
        std::u16string out;
        for (char16_t c : text) out += ContextUnit(c);
        return out;
    };
    EXPECT_EQ(describe(ContextKeys(units(u"银行"), 1, -1)), u"2银 ");
    EXPECT_EQ(describe(ContextKeys(units(u"在银行了"), 2, -1)), u"2银 3了 4在银 6银了 ");
    EXPECT_EQ(describe(ContextKeys(units(u"7行A"), 1, -1)), u"20 3a 60a ");
    EXPECT_EQ(describe(ContextKeys(units(u"了 行。"), 2, 5)), u"3。 1\u0005 ");
}

TEST(MandarinContext, RulesVoteAndMustBeatThePhrase)
{
    // Rules by kind: 2 says reading 10 (score 300), 3 says 11 (200), 4 says 11 (200).
    const auto lookup = [](char16_t, const ContextKey& key) {
        switch (key.kind) {
        case ContextKind::Left1: return ContextRule{10, 300};
        case ContextKind::Right1: return ContextRule{11, 200};
        case ContextKind::Left2: return ContextRule{11, 200};
        default: return ContextRule{};
        }
    };
    const ContextKey left1{ContextKind::Left1, u'a', 0}, right1{ContextKind::Right1, u'b', 0},
        left2{ContextKind::Left2, u'a', u'a'}, around{ContextKind::Around, u'a', u'b'};
    struct VoteCase {
        std::vector<ContextKey> keys;
        int floor;
        int expected;
    };
    const VoteCase cases[] = {
        {{left1}, 0, 10},          {{left1, right1}, 0, 10}, {{left1, right1, left2}, 0, 11},
        {{left1, right1, left2}, 400, -1}, {{left1}, 300, -1}, {{around}, 0, -1}, {{}, 0, -1},
    };
    for (const VoteCase& c : cases) EXPECT_EQ(ChooseContextReading(u'行', c.keys, c.floor, lookup), c.expected);
}

// A damaged table is refused as a whole instead of being read out of
// bounds: cut short anywhere, a wrong tag, an offset past the end.
TEST(MandarinTable, DamagedTablesAreNotValid)
{
    const unsigned char* data = MandarinTable::EmbeddedData();
    const size_t size = MandarinTable::EmbeddedSize();
    ASSERT_TRUE(MandarinTable(data, size).Valid());
    for (const size_t cut : {size_t(0), size_t(3), size_t(40), size / 3, size / 2, size - 1})
        EXPECT_FALSE(MandarinTable(data, cut).Valid()) << "cut at " << cut;
    std::vector<unsigned char> copy(data, data + size);
    copy[0] = 'X';
    EXPECT_FALSE(MandarinTable(copy.data(), copy.size()).Valid());
    copy[0] = data[0];
    for (const size_t field : {size_t(4), size_t(12), size_t(20), size_t(28), size_t(36), size_t(44)}) {
        std::vector<unsigned char> damaged = copy;
        damaged[field + 3] = 0x7F;  // an offset far past the end
        EXPECT_FALSE(MandarinTable(damaged.data(), damaged.size()).Valid()) << "offset field " << field;
    }
}

// A word whose record lies outside the table is not found, and the words
// beside it still are; so is a word below a tree node whose children lie
// outside the tree.
TEST(MandarinTable, DamagedWordsAreMissing)
{
    const MandarinTable& embedded = MandarinTable::Get();
    auto walk = [](const MandarinTable& table, std::u16string_view word) {
        WordPrefix prefix = table.Root();
        for (char16_t unit : word) prefix = table.Narrow(prefix, unit);
        return prefix;
    };
    auto find = [&](const MandarinTable& table, std::u16string_view word, TableWord* out) {
        return table.ExactWord(walk(table, word), out);
    };
    TableWord word;
    ASSERT_TRUE(find(embedded, u"银行", &word));
    ASSERT_TRUE(word.HasReading());
    EXPECT_EQ(embedded.Syllable(word.SyllableAt(1)).pinyin, "hang");
    EXPECT_FALSE(find(embedded, u"银行行", &word));

    // The node of 银行 is found by its record's offset, in a copy.
    const unsigned char* data = MandarinTable::EmbeddedData();
    std::vector<unsigned char> copy(data, data + MandarinTable::EmbeddedSize());
    auto u32At = [&copy](size_t at) {
        return static_cast<std::uint32_t>(copy[at] | (copy[at + 1] << 8) | (copy[at + 2] << 16) |
                                          (static_cast<std::uint32_t>(copy[at + 3]) << 24));
    };
    const std::uint32_t record =
        static_cast<std::uint32_t>(reinterpret_cast<const unsigned char*>(word.text.data()) - 4 - data);
    const std::uint32_t nodes = u32At(20), nodeCount = u32At(24);
    size_t node = 0;
    for (std::uint32_t k = 0; k < nodeCount && node == 0; ++k)
        if (u32At(nodes + 12 * size_t(k) + 4) == record) node = nodes + 12 * size_t(k);
    ASSERT_NE(node, 0u);

    std::vector<unsigned char> pastEnd = copy;
    pastEnd[node + 4] = pastEnd[node + 5] = pastEnd[node + 6] = 0xF0;
    pastEnd[node + 7] = 0x7F;
    const MandarinTable damagedRecord(pastEnd.data(), pastEnd.size());
    ASSERT_TRUE(damagedRecord.Valid());
    EXPECT_FALSE(find(damagedRecord, u"银行", &word));
    EXPECT_EQ(damagedRecord.WordCost(walk(damagedRecord, u"银行")), -1);
    EXPECT_TRUE(find(damagedRecord, u"音乐", &word));

    // The children of 银's node moved past the end of the tree.
    const WordPrefix yin = walk(embedded, u"银");
    ASSERT_FALSE(yin.Empty());
    std::vector<unsigned char> lostChildren = copy;
    const size_t yinNode = nodes + 12 * size_t(yin.node);
    lostChildren[yinNode] = lostChildren[yinNode + 1] = lostChildren[yinNode + 2] = 0xFF;
    lostChildren[yinNode + 3] = 0x7F;
    const MandarinTable damagedTree(lostChildren.data(), lostChildren.size());
    ASSERT_TRUE(damagedTree.Valid());
    EXPECT_TRUE(walk(damagedTree, u"银行").Empty());
    EXPECT_TRUE(find(damagedTree, u"音乐", &word));
}

// The segmentation reads costs from the tree without the records: the two
// agree for words of every length, and prefixes that are no word have no
// cost.
TEST(MandarinTable, TreeCostsAgreeWithWordRecords)
{
    const MandarinTable& table = MandarinTable::Get();
    struct Case {
        std::u16string_view text;
        bool word;
    };
    const Case cases[] = {
        {u"行", true},          {u"银行", true},   {u"中华人民共和国", true}, {u"中华人民", true},
        {u"中华人民共", false}, {u"银行行", false}, {u"一心一意", true},      {u"ㄅ", false},
    };
    for (const Case& c : cases) {
        WordPrefix prefix = table.Root();
        for (char16_t unit : c.text) prefix = table.Narrow(prefix, unit);
        TableWord word;
        const bool found = table.ExactWord(prefix, &word);
        const size_t at = static_cast<size_t>(&c - cases);
        EXPECT_EQ(found, c.word) << "case " << at;
        if (found) {
            EXPECT_TRUE(word.text == c.text) << "case " << at;
            EXPECT_EQ(table.WordCost(prefix), word.cost) << "case " << at;
        } else {
            EXPECT_EQ(table.WordCost(prefix), -1) << "case " << at;
        }
    }
    EXPECT_EQ(table.WordCost(table.Root()), -1);
    EXPECT_TRUE(table.Narrow(WordPrefix{}, u'行').Empty());
}

// Any UTF-16 input, malformed included, gives one syllable per Han
// character, in order, with positions inside the text.
TEST(MandarinReading, ArbitraryTextIsReadSafely)
{
    const std::u16string texts[] = {
        std::u16string(u"\xD800银\xDC00行\xD800"), std::u16string(u"\0行\0"), std::u16string(5000, u'行'),
        std::u16string(u"一不一不一不了了"), std::u16string(u"\U0002A6D6\U00030000\uF900〇"),
    };
    for (const std::u16string& text : texts) {
        const std::vector<MandarinSyllable> s = ReadMandarin(text);
        int previous = -1;
        for (const MandarinSyllable& syllable : s) {
            EXPECT_GT(syllable.position, previous);
            EXPECT_LT(syllable.position, static_cast<int>(text.size()));
            EXPECT_GE(syllable.tone, 1);
            EXPECT_LE(syllable.tone, 5);
            EXPECT_GE(syllable.spokenTone, 1);
            EXPECT_LE(syllable.spokenTone, 5);
            previous = syllable.position;
        }
    }
    EXPECT_EQ(ReadMandarin(u"\xD800银\xDC00行\xD800").size(), 2u);
    EXPECT_EQ(ReadMandarin(std::u16string(5000, u'行')).size(), 5000u);
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
    EXPECT_GE(100.0 * right / total, 95.5) << right << " of " << total;
}

}  // namespace
}  // namespace quorvane::frontend
