// The INI reader: line rules, section and key lookup, integer conversion.
#include <string>
#include <vector>

#include "skin/data/quick_ini.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

TQuickIni Load(const std::string& text)
{
    MemoryStream stream(text.data(), text.size());
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    return ini;
}

const char kSkin[] =
    "; leading comment\r\n"
    "[Personality]\r\n"
    "  Name = Blue Steel  \r\n"
    "Author=someone ; not a comment\r\n"
    "\r\n"
    "[Buttons]   \r\n"
    "Image=buttons.bmp\r\n"
    "a line without equals\r\n"
    "Trans=\r\n"
    "Trans=1\r\n"
    "=value of the empty key\r\n"
    "Colour=$00FF00FF\n"
    "LeftWidth=0x1F\r"
    "TopHeight=$1F\n"
    "[buttons]\r\n"
    "Image=second.bmp\r\n"
    "Extra=only here\r\n"
    "[ Buttons]\r\n"
    "Image=spaced.bmp\r\n"
    "[Empty]\r\n"
    "[Last]\r\n"
    "Key=last";

TEST(QuickIni, ReadStringLookupRules)
{
    const TQuickIni ini = Load(kSkin);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Personality", "name", "Blue Steel"},                // trimmed key and value
        {"PERSONALITY", "NAME", "Blue Steel"},                // section and key ignore case
        {"Personality", "Author", "someone ; not a comment"},  // ';' after a value is kept
        {"Buttons", "Image", "buttons.bmp"},                   // first of two same-named sections
        {"Buttons", "Extra", "dflt"},                          // the second section is never read
        {"Buttons", "Trans", "dflt"},                          // first occurrence empty: default
        {"Buttons", "", "dflt"},                               // a line without '=' has the empty key
        {"Buttons", "Colour", "$00FF00FF"},                    // LF line end
        {"Buttons", "LeftWidth", "0x1F"},                      // CR line end
        {"Buttons", "Personality", "dflt"},
        {" Buttons", "Image", "spaced.bmp"},                   // blanks inside brackets count
        {"Empty", "Image", "dflt"},                            // the walk stops at the next header
        {"Last", "Key", "last"},                               // last line without a break
        {"Missing", "Key", "dflt"},
        {"Personality", "Image", "dflt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(ini.SectionLine("personality"), 0);
    EXPECT_EQ(ini.SectionLine("Nope"), -1);
}

TEST(QuickIni, KeptLinesAndSectionNames)
{
    const TQuickIni ini = Load(kSkin);
    // Blank lines and comments are dropped, the rest trimmed.
    EXPECT_EQ(ini.Lines()[1], "Name = Blue Steel");
    EXPECT_EQ(ini.Lines()[3], "[Buttons]");
    std::vector<std::string> names = {"stale"};
    ini.GetSectionNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Personality", "Buttons", "buttons", "Buttons", "Empty", "Last"}));
}

TEST(QuickIni, TextEndsAtNul)
{
    const TQuickIni ini = Load(std::string("[A]\r\nKey=1\0\r\n[B]\r\nKey=2\r\n", 25));
    EXPECT_EQ(ini.ReadString("A", "Key", ""), "1");
    EXPECT_EQ(ini.SectionLine("B"), -1);
}

TEST(QuickIni, LoadReadsFromTheStreamPositionAndReplaces)
{
    TQuickIni ini = Load("[Old]\r\nKey=old\r\n");
    ini.LoadFromStream(nullptr);  // no stream: unchanged
    EXPECT_EQ(ini.ReadString("Old", "Key", ""), "old");

    const std::string text = "[Skipped]\r\n[New]\r\nKey=new\r\n";
    MemoryStream stream(text.data(), text.size());
    stream.Seek(11);
    ini.LoadFromStream(&stream);
    EXPECT_EQ(ini.SectionLine("Old"), -1);
    EXPECT_EQ(ini.SectionLine("Skipped"), -1);
    EXPECT_EQ(ini.ReadString("New", "Key", ""), "new");
    EXPECT_EQ(stream.Position(), text.size());
}

TEST(QuickIni, ReadIntegerConversions)
{
    struct Case {
        const char* value;
        int32_t expected;  // 77 = the default, i.e. conversion failed
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"+42", 42},
        {"-42", -42},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 77},
        {"-2147483649", 77},
        {"99999999999999999999", 77},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"x1F", 31},
        {"X1F", 31},
        {"$FFFFFFFF", -1},
        {"$80000000", -2147483647 - 1},
        {"$000000001", 1},  // leading zeros are not significant
        {"$100000000", 77},  // nine significant digits
        {"0x", 77},
        {"$", 77},
        {"-$1F", 77},  // no sign before hexadecimal
        {"12abc", 77},
        {"1 2", 77},
        {"-", 77},
        {"+", 77},
        {"1.5", 77},
        {"abc", 77},
        {"", 77},
    };
    for (const Case& c : cases) {
        const TQuickIni ini = Load(std::string("[S]\r\nKey=") + c.value + "\r\n");
        EXPECT_EQ(ini.ReadInteger("S", "key", 77), c.expected) << '"' << c.value << '"';
    }
    // Leading spaces are skipped by the conversion itself (values are trimmed before).
    int32_t value = 0;
    EXPECT_TRUE(TryStrToInt32("   12", value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(TryStrToInt32("   ", value));
}

TEST(QuickIni, TrailingBlanksAfterTheHeaderStillMakeASection)
{
    const TQuickIni ini = Load("\t[Form]  \t\r\nTrans=1\r\n");
    EXPECT_EQ(ini.ReadInteger("form", "TRANS", 0), 1);
}

}  // namespace
}  // namespace quorvane
