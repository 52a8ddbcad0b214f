// The text front end through the function behind `speak --reading`: what a
// text becomes (numbers and symbols in Chinese context, languages, text
// preparation), and where each synthesised character points in the
// caller's text.
//
// Most tables read with the plain-Mandarin option, whose tokens are the Han
// characters themselves, so they check the front end's own rewriting and not
// the pronunciation dictionary; one table reads pinyin end to end.
#include <algorithm>

#include "speech/frontend/text_front_end.h"
#include "tests/support/gtest.h"

namespace quorvane::frontend {
namespace {

FrontEndOptions Hanzi(CurrentLanguage current = CurrentLanguage::Mandarin)
{
    FrontEndOptions options;
    options.current = current;
    options.mandarin = MandarinSupport::Hanzi;
    return options;
}

bool IsHanToken(const std::string& token) { return token.size() == 3 && static_cast<unsigned char>(token[0]) >= 0xE3; }

// The reading with the blanks between consecutive Han tokens taken out, so a
// table can say "增长百分之三点五" instead of one token a character.
std::string Compact(const std::string& line)
{
    std::vector<std::string> tokens;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        if (end > start) tokens.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    std::string out;
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (k > 0 && !(IsHanToken(tokens[k - 1]) && IsHanToken(tokens[k]))) out += ' ';
        out += tokens[k];
    }
    return out;
}

std::string Read(const std::u16string& text, const FrontEndOptions& options = Hanzi())
{
    return Compact(ReadingLine(text, options));
}

struct ReadingCase {
    std::u16string text;
    std::string reading;
};

void ExpectReadings(const std::vector<ReadingCase>& cases, const FrontEndOptions& options = Hanzi())
{
    for (const ReadingCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(Read(c.text, options), c.reading);
    }
}

TEST(TextFrontEnd, IntegersReadWithGroupingZerosAndLiang)
{
    ExpectReadings({
        {u"共101人", "共一百零一人"},
        {u"共1005人", "共一千零五人"},
        {u"共10000元", "共一万元"},
        {u"共1,234,567元", "共一百二十三万四千五百六十七元"},
        {u"共100010000元", "共一亿零一万元"},
        {u"共150000元", "共十五万元"},
        {u"有110个", "有一百一十个"},
        {u"有12个", "有十二个"},
        {u"有2个", "有两个"},
        {u"有2000人", "有两千人"},
        {u"有20000人", "有两万人"},
        {u"第2名", "第二名"},
        {u"第1名", "第一名"},
        {u"编号2", "编号二"},
        {u"有0个", "有零个"},
        {u"１２３个", "一百二十三个"},  // full-width digits
    });
}

TEST(TextFrontEnd, DecimalsPercentFractionsAndSigns)
{
    ExpectReadings({
        {u"增长3.5%", "增长百分之三点五"},
        {u"下降-2.5%", "下降百分之负二点五"},
        {u"约0.05", "约零点零五"},
        {u"气温-5度", "气温负五度"},
        {u"三分之一是1/3", "三分之一是三分之一"},
        {u"千分之5是5‰", "千分之五是千分之五"},
        {u"比分3:2", "比分三比二"},
    });
}

TEST(TextFrontEnd, YearsDatesTimesAndRanges)
{
    ExpectReadings({
        {u"2026年", "二零二六年"},
        {u"1998年到2001年", "一九九八年到二零零一年"},
        {u"2026-12-09发布", "二零二六年十二月九日发布"},
        {u"2026/1/5发布", "二零二六年一月五日发布"},
        {u"2026.12.9号", "二零二六年十二月九号"},
        {u"10:30开会", "十点三十分开会"},
        {u"10:05开会", "十点零五分开会"},
        {u"2:00开会", "两点开会"},
        {u"10:30:15开始", "十点三十分十五秒开始"},
        {u"3-5天", "三到五天"},
        {u"3~5天", "三到五天"},
        {u"等了10年", "等了十年"},  // a count of years, not a year
    });
}

TEST(TextFrontEnd, DigitStringsPhoneNumbersCurrencyAndUnits)
{
    ExpectReadings({
        {u"电话13812345678", "电话一三八一二三四五六七八"},
        {u"电话138-1234-5678", "电话一三八一二三四五六七八"},
        {u"区号010", "区号零一零"},
        {u"会议室在302房间", "会议室在三零二房间"},
        {u"住1201室", "住一二零一室"},
        {u"有302个房间", "有三百零二个房间"},
        {u"价格¥3.5", "价格三点五元"},
        {u"价格￥20", "价格二十元"},
        {u"花了$5", "花了五美元"},
        {u"花了€5", "花了五欧元"},
        {u"付20元", "付二十元"},
        {u"跑了3km", "跑了三公里"},
        {u"重2kg", "重两公斤"},
        {u"气温25℃", "气温二十五摄氏度"},
        {u"气温25°C", "气温二十五摄氏度"},
        {u"面积50m²", "面积五十平方米"},
        {u"时速120km/h", "时速一百二十公里每小时"},
        {u"内存16GB", "内存十六 en:GB"},
        {u"5G网络", "五 en:G 网络"},
    });
}

TEST(TextFrontEnd, SymbolsAddressesInChineseContext)
{
    ExpectReadings({
        {u"一加一：1+1=2", "一加一一加一等于二"},
        {u"甲&乙", "甲和乙"},
        {u"3×4", "三乘四"},
        {u"约~5人", "约约五人"},
        {u"访问www.example.com", "访问 en:www 点 en:example 点 en:com"},
        {u"见https://a.cn/x_y", "见 en:https 冒号斜杠斜杠 en:a 点 en:cn 斜杠 en:x 下划线 en:y"},
        {u"写信给bob@mail.com。", "写信给 en:bob en:at en:mail 点 en:com"},
        {u"网址www.qq.com。下一句", "网址 en:www 点 en:qq 点 en:com 下一句"},
    });
}

// End to end with the pronunciation dictionary: a numeral keeps its own tone
// where running text would change it (一 in 十一, 1月, 3.1, digit strings) and
// takes the sandhi before a measure word or a place (一个, 一百).
TEST(TextFrontEnd, NumbersReadWithTheTonesOfNumerals)
{
    ExpectReadings(
        {
            {u"增长3.5%", "zeng1 zhang3 bai3 fen1 zhi1 san1 dian3 wu3"},
            {u"2001年", "er4 ling2 ling2 yi1 nian2"},
            {u"11个", "shi2 yi1 ge4"},
            {u"1个", "yi2 ge4"},
            {u"101人", "yi4 bai3 ling2 yi1 ren2"},
            {u"1.1%", "bai3 fen1 zhi1 yi1 dian3 yi1"},
            {u"1月1日", "yi1 yue4 yi1 ri4"},
            {u"电话110", "dian4 hua4 yi1 yi1 ling2"},
            {u"我用Windows电脑", "wo3 yong4 en:Windows dian4 nao3"},
        },
        FrontEndOptions{});
}

TEST(TextFrontEnd, EnglishContextKeepsTheEnglishVoicesReading)
{
    ExpectReadings({
        {u"Growth was 3.5% in 2026.", "en:Growth en:was en:3.5% en:in en:2026"},
        {u"Call 555-1234 now", "en:Call en:555-1234 en:now"},
        {u"Visit www.example.com today", "en:Visit en:www.example.com en:today"},
        {u"1+1=2", "一加一等于二"},  // alone: the current voice's language
    });
    // With an English voice current, a bare number is English too.
    ExpectReadings({{u"3.5%", "3.5%"}, {u"Windows 10", "Windows 10"}}, Hanzi(CurrentLanguage::English));
}

TEST(TextFrontEnd, LanguagesGoToTheirVoices)
{
    ExpectReadings({
        {u"我用Windows电脑", "我用 en:Windows 电脑"},
        {u"The quick brown fox", "en:The en:quick en:brown en:fox"},
        {u"he is a man, long live", "en:he en:is en:a en:man en:long en:live"},
        {u"用API和GPU", "用 en:API 和 en:GPU"},
        {u"我的iPhone15坏了", "我的 en:iPhone 十五坏了"},
        {u"“你好”", "你好"},
        {u"Привет 你好", "Привет 你好"},  // other scripts: the current voice as it reads them
        {u"Don't stop", "en:Don't en:stop"},
    });
    // An English voice current: Latin words are its own, Han text goes to
    // the Mandarin voice.
    ExpectReadings({{u"I said 你好 to him.", "I said cmn:你 cmn:好 to him"}}, Hanzi(CurrentLanguage::English));
    // Another Latin-script voice keeps its own words.
    ExpectReadings({{u"Guten Tag 你好", "Guten Tag cmn:你 cmn:好"}}, Hanzi(CurrentLanguage::Other));
}

TEST(TextFrontEnd, WithoutAMandarinVoiceHanTextIsLeftOut)
{
    FrontEndOptions options;
    options.current = CurrentLanguage::English;
    options.mandarin = MandarinSupport::None;
    ExpectReadings({{u"Hello 你好 world", "Hello world"}, {u"你好。", ""}, {u"共3个", "3"}}, options);
    EXPECT_TRUE(AnalyseText(u"你好", options).empty());
}

TEST(TextFrontEnd, LineAndParagraphBreaksPauseOrJoin)
{
    const std::u16string longLatin = u"This line was broken by the layout of the page and";
    const std::u16string longChinese = u"这是从一份文件里复制出来的很长的一句话";
    ExpectReadings({
        {u"标题\r\r第一段", "标题 || 第一段"},
        {u"标题\r\n\r\n第一段", "标题 || 第一段"},
        {u"标题\n \n第一段", "标题 || 第一段"},
        {u"第一行。\r第二行。", "第一行 | 第二行"},
        {u"第一行。\r\n第二行。", "第一行 | 第二行"},
        {longChinese + u"\r\n没有结束。", Compact(ReadingLine(longChinese + u"没有结束。", Hanzi()))},
        {longLatin + u"\r\ncontinues here.", Compact(ReadingLine(longLatin + u" continues here.", Hanzi()))},
        {u"Short heading\r\nThe text after it.", "en:Short en:heading | en:The en:text en:after en:it"},
        {longLatin + u"\r\n- an item\r\n- another item", Compact(ReadingLine(longLatin, Hanzi())) + " | en:an en:item | en:another en:item"},
        {longLatin + u"\r\n1. an item", Compact(ReadingLine(longLatin, Hanzi())) + " | en:1 en:an en:item"},
        {u"a word that was hyphen-\r\nated at the end of the line", "en:a en:word en:that en:was en:hyphenated en:at en:the en:end en:of en:the en:line"},
        {u"\r\n\r\n开头和结尾的空行\r\n\r\n", "开头和结尾的空行"},
        {u"空格    和\t\t制表符", "空格和制表符"},
        {u"Many    blanks\t here", "en:Many en:blanks en:here"},
    });
}

TEST(TextFrontEnd, PauseRunsCarryTheirLength)
{
    const std::vector<SpeechRun> runs = AnalyseText(u"一\r二\r\r三", Hanzi());
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].pauseAfterMs, kLinePauseMs);
    EXPECT_EQ(runs[1].pauseAfterMs, kParagraphPauseMs);
    EXPECT_EQ(runs[2].pauseAfterMs, 0);
    EXPECT_TRUE(AnalyseText(u" \r\n\t ", Hanzi()).empty());
    EXPECT_TRUE(AnalyseText(u"", Hanzi()).empty());
    EXPECT_TRUE(AnalyseText(u"...!?", Hanzi()).empty());
}

// A long text comes a piece at a time, each ending at a sentence end or a
// break, and the pieces together are the whole text's runs, pauses included.
TEST(TextFrontEnd, LongTextsComeInPiecesThatEndAtSentences)
{
    const std::u16string paragraph = u"今天的第一句话说完了。The second one ends here! 第三句没有标点";
    std::u16string text;
    std::string expected;
    for (int k = 0; k < 60; ++k) {
        text += paragraph + u"\r\r";
        expected += (k ? " || " : "") + ReadingLine(paragraph, Hanzi());
    }
    // Piece boundaries change nothing that is read.
    EXPECT_EQ(ReadingLine(text, Hanzi()), expected);
    const std::vector<SpeechRun> whole = AnalyseText(text, Hanzi());
    TextAnalysis analysis(text, Hanzi());
    std::vector<SpeechRun> joined;
    int pieces = 0;
    while (!analysis.Done()) {
        std::vector<SpeechRun> piece = analysis.Next();
        ASSERT_FALSE(piece.empty());
        ++pieces;
        const SpeechRun& last = piece.back();
        const std::u16string lastText = FromUtf8(last.text);
        const bool endsSentence = last.pauseAfterMs > 0 || lastText.back() == u'。' || lastText.back() == u'!' ||
                                  lastText.back() == u'.';
        EXPECT_TRUE(endsSentence || analysis.Done()) << last.text;
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    EXPECT_GT(pieces, 5);
    ASSERT_EQ(joined.size(), whole.size());
    for (size_t r = 0; r < whole.size(); ++r) {
        EXPECT_EQ(joined[r].text, whole[r].text);
        EXPECT_EQ(joined[r].pauseAfterMs, whole[r].pauseAfterMs);
        EXPECT_EQ(joined[r].spans.back().end, whole[r].spans.back().end);
    }
}

// A reader with fixed syllables: one per Han character, numbered, so the
// pinyin a run holds tells which character it came from.
std::vector<MandarinSyllable> NumberedReader(std::u16string_view text)
{
    std::vector<MandarinSyllable> syllables;
    int n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x3400) continue;
        MandarinSyllable s;
        s.position = static_cast<int>(i);
        s.pinyin = "s" + std::string(1, static_cast<char>('a' + n++ % 26));
        s.tone = s.spokenTone = 4;
        syllables.push_back(s);
    }
    return syllables;
}

// Each word of each run, as the synthesiser numbers its characters (from
// 1), mapped back: the caller's text it stands for.
std::vector<std::u16string> MappedWords(const std::u16string& text, const FrontEndOptions& options)
{
    std::vector<std::u16string> words;
    for (const SpeechRun& run : AnalyseText(text, options)) {
        // Code point positions of the blank-separated words of run.text.
        int position = 1;
        int start = 0;
        size_t byte = 0;
        auto flush = [&](int end) {
            if (start > 0 && end > start) {
                const SourceSpan span = run.Map(start, end - start);
                words.push_back(text.substr(static_cast<size_t>(span.begin), static_cast<size_t>(span.end - span.begin)));
            }
        };
        while (byte < run.text.size()) {
            const unsigned char b = static_cast<unsigned char>(run.text[byte]);
            const size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            const bool blank = b == ' ';
            // Full-width pause marks stand alone.
            const bool mark = run.text.compare(byte, 3, "\xef\xbc\x8c") == 0 || run.text.compare(byte, 3, "\xe3\x80\x82") == 0;
            if (blank || mark) {
                flush(position);
                start = 0;
            } else if (start == 0) {
                start = position;
            }
            byte += length;
            ++position;
        }
        flush(position);
    }
    return words;
}

TEST(TextFrontEnd, SynthesisedPositionsMapBackToTheCallersCharacters)
{
    FrontEndOptions pinyin;
    pinyin.readMandarin = NumberedReader;
    FrontEndOptions hanzi = Hanzi();
    hanzi.readMandarin = NumberedReader;
    struct Case {
        std::u16string text;
        FrontEndOptions options;
        std::vector<std::u16string> words;
    };
    const std::vector<Case> cases = {
        {u"我用Windows电脑", pinyin, {u"我", u"用", u"Windows", u"电", u"脑"}},
        // Expanded numbers point at the digits they read.
        {u"增长3.5%", pinyin, {u"增", u"长", u"%", u"%", u"%", u"3", u".", u"5"}},
        {u"共1,234人", hanzi, {u"共1,234人"}},  // no blank: one word
        // Folded, joined and collapsed text still points at what was copied.
        {u"ＡＢＣ  和\r\n\r\n第二段", pinyin, {u"ＡＢＣ", u"和", u"第", u"二", u"段"}},
        {u"a surrogate \U00020000 and 你", pinyin, {u"a", u"surrogate", u"\U00020000", u"and", u"你"}},
        {u"hyphen-\r\nated", pinyin, {u"hyphen-\r\nated"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(MappedWords(c.text, c.options), c.words);
    }

    // Inside one expanded number, each character points at its digit.
    const std::u16string text = u"共1,234人";
    const std::vector<SpeechRun> runs = AnalyseText(text, hanzi);
    ASSERT_EQ(runs.size(), 1u);
    const std::u16string expanded = FromUtf8(runs[0].text);
    ASSERT_EQ(expanded, u"共一千二百三十四人");
    const int digitOf[] = {0, 1, 1, 3, 3, 4, 4, 5, 6};
    for (int k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        const SourceSpan span = runs[0].Map(k + 1, 1);
        EXPECT_EQ(span.begin, digitOf[k]);
        EXPECT_EQ(span.end, digitOf[k] + 1);
    }
    // Positions outside a run are clamped to it.
    EXPECT_EQ(runs[0].Map(0, 1).begin, 0);
    EXPECT_EQ(runs[0].Map(99, 5).end, 7);
}

TEST(TextFrontEnd, PinyinRunsSpellUmlautForTheSynthesiser)
{
    FrontEndOptions options;
    options.readMandarin = [](std::u16string_view text) {
        std::vector<MandarinSyllable> syllables;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] < 0x3400) continue;
            MandarinSyllable s;
            s.position = static_cast<int>(i);
            s.pinyin = "lu:";
            s.tone = 4;
            s.spokenTone = 2;
            syllables.push_back(s);
        }
        return syllables;
    };
    const std::vector<SpeechRun> runs = AnalyseText(u"绿，绿。", options);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "lv2，lv2。");
    EXPECT_EQ(runs[0].tokens, (std::vector<std::string>{"lu:2", "lu:2"}));
}

TEST(TextFrontEnd, Utf8ConversionReplacesInvalidInput)
{
    EXPECT_EQ(FromUtf8("a\xe4\xbd\xa0\xf0\xa0\x80\x80"), u"a你\U00020000");
    EXPECT_EQ(FromUtf8("\xff\xc0\x80x"), u"\ufffd\ufffd\ufffdx");
    EXPECT_EQ(FromUtf8("\xe4\xbd"), u"\ufffd\ufffd");
    EXPECT_EQ(ToUtf8(u"\xd800x"), "\xef\xbf\xbdx");
}

// Long and hostile input: no position escapes the text, every run has a map
// entry for each code point it hands on.
TEST(TextFrontEnd, EveryRunMapsEachCodePointInsideTheText)
{
    std::u16string text;
    const std::u16string pieces[] = {u"1,2", u"\r", u"-", u"$", u"¥", u"%", u"中", u"a", u"@", u".", u":", u"/",
                                     u"\U00020000", u"\xd800", u"\r\n", u"-\r\n", u" ", u"９", u"第", u"~", u"年"};
    unsigned seed = 12345;
    for (int k = 0; k < 4000; ++k) {
        seed = seed * 1103515245u + 12345u;
        text += pieces[(seed >> 16) % std::size(pieces)];
    }
    for (const FrontEndOptions& options : {Hanzi(), Hanzi(CurrentLanguage::English), Hanzi(CurrentLanguage::Other)}) {
        for (const SpeechRun& run : AnalyseText(text, options)) {
            EXPECT_EQ(FromUtf8(run.text).size() - std::count_if(run.text.begin(), run.text.end(), [](char c) {
                          return (static_cast<unsigned char>(c) & 0xF8) == 0xF0;
                      }),
                      run.spans.size());
            for (const SourceSpan& span : run.spans) {
                ASSERT_GE(span.begin, 0);
                ASSERT_LE(span.begin, span.end);
                ASSERT_LE(span.end, static_cast<int>(text.size()));
            }
        }
    }
}

}  // namespace
}  // namespace quorvane::frontend
