// The skin package reader over packages made by the packer, including
// malformed name tables and size tables.
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "skin/data/skin_reader.h"
#include "tests/support/gtest.h"
#include "tools/skinpack/package_writer.h"

namespace quorvane {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void AppendInt32(std::vector<uint8_t>& out, int32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
}

// Content with a name table written by hand (for line-break and NUL cases).
std::vector<uint8_t> Content(const std::string& table, const std::vector<int32_t>& sizes, const std::string& data,
                             int32_t version = kSkinPackageVersion)
{
    std::vector<uint8_t> content;
    AppendInt32(content, version);
    AppendInt32(content, static_cast<int32_t>(table.size()));
    AppendInt32(content, 0);
    AppendInt32(content, 0);
    content.insert(content.end(), table.begin(), table.end());
    for (int32_t size : sizes) AppendInt32(content, size);
    content.insert(content.end(), data.begin(), data.end());
    return content;
}

// Reads a package and fails the test on a version message.
void Read(TSkinReader& reader, const std::vector<uint8_t>& content)
{
    MemoryStream package(CompressPackage(content));
    ASSERT_TRUE(reader.ReadPackage(package));
}

std::string Member(const TSkinReader& reader, const std::string& name)
{
    MemoryStream stream;
    reader.ExtractMember(name, stream);
    EXPECT_EQ(stream.Position(), 0u);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(SkinReader, ReadsEveryMemberOfAPackedSkin)
{
    std::vector<PackageMember> members = {{"Skin.INI", Bytes("[Personality]\r\nName=x\r\n")},
                                          {"LEFT.bmp", Bytes("BM-left")},
                                          {"empty.bmp", {}},
                                          {"right.bmp", Bytes("BM-right")}};
    TSkinReader reader;
    Read(reader, BuildPackageContent(members));
    EXPECT_EQ(reader.Header().version, 20000);
    EXPECT_EQ(reader.Names(), (std::vector<std::string>{"skin.ini", "left.bmp", "empty.bmp", "right.bmp"}));
    EXPECT_EQ(reader.Count(), 4);
    EXPECT_EQ(Member(reader, "left.bmp"), "BM-left");
    EXPECT_EQ(Member(reader, "Left.BMP"), "BM-left");
    EXPECT_EQ(Member(reader, "empty.bmp"), "");
    EXPECT_EQ(Member(reader, "right.bmp"), "BM-right");
    EXPECT_EQ(Member(reader, "missing.bmp"), "");
}

TEST(SkinReader, NameTableLineRules)
{
    struct Case {
        const char* name;
        std::string table;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"CR LF after the last name", "a.ini\r\nb.bmp\r\n", {"a.ini", "b.bmp"}},
        {"no break after the last name", "a.ini\r\nb.bmp", {"a.ini", "b.bmp"}},
        {"LF and CR", "a.ini\nb.bmp\rc.bmp\n", {"a.ini", "b.bmp", "c.bmp"}},
        {"empty line in the middle", "a.ini\r\n\r\nc.bmp\r\n", {"a.ini", "", "c.bmp"}},
        {"NUL ends the table", std::string("a.ini\r\nb.bmp\0c.bmp\r\n", 20), {"a.ini", "b.bmp"}},
        {"upper case is lowered", "Skin.INI\r\nÄB.BMP\r\n", {"skin.ini", "Äb.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int32_t> sizes;
        std::string data;
        for (size_t i = 0; i < c.names.size(); ++i) {
            sizes.push_back(static_cast<int32_t>(i + 1));
            data += std::string(i + 1, static_cast<char>('0' + i));
        }
        TSkinReader reader;
        Read(reader, Content(c.table, sizes, data));
        EXPECT_EQ(reader.Names(), c.names);
        // Every name, the empty one included, owns its size entry.
        for (size_t i = 0; i < c.names.size(); ++i) {
            if (c.names[i].empty()) continue;
            EXPECT_EQ(Member(reader, c.names[i]), std::string(i + 1, static_cast<char>('0' + i)));
        }
    }
}

TEST(SkinReader, LookupRules)
{
    const std::vector<PackageMember> members = {{"skin.ini.bak", Bytes("old")},
                                                {"Skin.ini", Bytes("new")},
                                                {"twin.bmp", Bytes("first")},
                                                {"TWIN.BMP", Bytes("second")}};
    TSkinReader reader;
    Read(reader, BuildPackageContent(members));
    EXPECT_EQ(Member(reader, "twin.bmp"), "first");  // the first of two equal names wins

    MemoryStream stream;
    std::string found = "unchanged";
    // ".ini" inside a longer name matches when it comes first.
    EXPECT_TRUE(reader.FindMemberContaining(".ini", stream, found));
    EXPECT_EQ(found, "skin.ini.bak");
    EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "old");
    EXPECT_EQ(stream.Position(), 0u);
    // The fragment is not lowered: names are lower case, so ".INI" finds nothing.
    found = "unchanged";
    EXPECT_FALSE(reader.FindMemberContaining(".INI", stream, found));
    EXPECT_EQ(found, "unchanged");
    EXPECT_EQ(stream.Size(), 0u);
}

TEST(SkinReader, BitmapMemberRule)
{
    struct Case {
        const char* value;
        const char* member;
    };
    const Case cases[] = {
        {"left.bmp", "left.bmp"},          {"..\\skins\\dir\\left.bmp", "left.bmp"},
        {"c:left.bmp", "left.bmp"},        {"c:\\a.b\\left.bmp", "left.bmp"},
        {"Left.bmp", "Left.bmp"},          {"left.BMP", ""},
        {"left.Bmp", ""},                  {"left", ""},
        {"left.bmp.txt", ""},              {"skins\\", ""},
        {"", ""},                          {".bmp", ".bmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(BitmapMemberName(c.value), c.member) << c.value;

    TSkinReader reader;
    Read(reader, BuildPackageContent({{"LEFT.bmp", Bytes("BM")}, {"zero.bmp", {}}}));
    MemoryStream stream;
    EXPECT_TRUE(ExtractBitmapMember(reader, "skins\\left.bmp", stream));  // stored as LEFT.bmp
    EXPECT_EQ(stream.Size(), 2u);
    EXPECT_FALSE(ExtractBitmapMember(reader, "LEFT.BMP", stream));  // capital extension
    EXPECT_EQ(stream.Size(), 0u);
    EXPECT_FALSE(ExtractBitmapMember(reader, "zero.bmp", stream));  // empty member
    EXPECT_FALSE(ExtractBitmapMember(reader, "none.bmp", stream));
}

TEST(SkinReader, OlderVersionShowsTheMessageAndFails)
{
    std::vector<MessageBoxRequest> boxes;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const MessageBoxRequest& request) {
        boxes.push_back(request);
        return IDOK;
    });
    TSkinReader reader;
    MemoryStream package(CompressPackage(Content("a.ini\r\n", {1}, "x", 19999)));
    const bool ok = reader.ReadPackage(package);
    SetMessageBoxHandler(std::move(previous));

    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This is Older Skin File\rPlease update to new version !");
    EXPECT_EQ(boxes[0].caption, "Quorvane");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(reader.Count(), 0);
}

TEST(SkinReader, MoreNamesThanTheSizeTableHoldsGrowTheTable)
{
    std::vector<PackageMember> members;
    for (int i = 0; i < 1500; ++i) members.push_back({"m" + std::to_string(i) + ".bmp", Bytes(std::to_string(i * 3))});
    TSkinReader reader;
    Read(reader, BuildPackageContent(members));
    ASSERT_EQ(reader.Count(), 1500);
    for (int i : {0, 1000, 1001, 1002, 1499}) EXPECT_EQ(Member(reader, "m" + std::to_string(i) + ".bmp"), std::to_string(i * 3));
}

TEST(SkinReader, DeclaredSizesNeverReadPastTheData)
{
    struct Case {
        const char* name;
        std::vector<int32_t> sizes;
        std::string data;
        std::vector<std::string> expected;  // members a, b, c
    };
    const std::vector<Case> cases = {
        {"last member runs past the data", {2, 3, 1000}, "aabbbcc", {"aa", "bbb", "cc"}},
        {"member starts past the data", {2, 1000, 5}, "aabbb", {"aa", "bbb", ""}},
        {"negative size counts as 0", {2, -7, 3}, "aaccc", {"aa", "", "ccc"}},
        {"huge sizes", {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}, "abc", {"abc", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSkinReader reader;
        Read(reader, Content("a\r\nb\r\nc\r\n", c.sizes, c.data));
        EXPECT_EQ(Member(reader, "a"), c.expected[0]);
        EXPECT_EQ(Member(reader, "b"), c.expected[1]);
        EXPECT_EQ(Member(reader, "c"), c.expected[2]);
    }

    // A content that ends inside the size table: the missing sizes are 0.
    std::vector<uint8_t> cut = Content("a\r\nb\r\nc\r\n", {4, 5, 6}, "");
    cut.resize(cut.size() - 8);
    TSkinReader reader;
    Read(reader, cut);
    EXPECT_EQ(reader.MemberSize(0), 4);
    EXPECT_EQ(reader.MemberSize(1), 0);
    EXPECT_EQ(reader.MemberSize(2), 0);
    EXPECT_EQ(Member(reader, "a"), "");

    // A name-table length past the end of the content.
    std::vector<uint8_t> overlong = Content("a\r\nb", {}, "");
    overlong[4] = 0xFF;
    overlong[5] = 0xFF;
    Read(reader, overlong);
    EXPECT_EQ(reader.Names(), (std::vector<std::string>{"a", "b"}));
}

TEST(SkinReader, TruncatedPackageDoesNotFail)
{
    // Cut inside the members: the header and names survive, the data is filler.
    std::vector<uint8_t> noise;
    for (uint32_t i = 0, x = 1; i < 5000; ++i) noise.push_back(static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24));
    std::vector<PackageMember> members = {{"skin.ini", Bytes("[Personality]\r\n")}, {"b.bmp", noise}};
    std::vector<uint8_t> package = BuildPackage(members);
    package.resize(package.size() * 2 / 3);
    MemoryStream stream(package);
    TSkinReader reader;
    ASSERT_TRUE(reader.ReadPackage(stream));
    EXPECT_EQ(reader.Count(), 2);
    EXPECT_EQ(Member(reader, "skin.ini"), "[Personality]\r\n");
    EXPECT_EQ(Member(reader, "b.bmp").size(), 5000u);
}

TEST(SkinReader, NameTablesBeyondTheMemberLimitAreRefused)
{
    for (size_t names : {TSkinReader::kMaxMembers, TSkinReader::kMaxMembers + 1}) {
        std::vector<PackageMember> members(names);
        members.back() = {"skin.ini", {'x'}};
        MemoryStream content(BuildPackageContent(members));
        TSkinReader reader;
        EXPECT_EQ(reader.ReadContent(content), names == TSkinReader::kMaxMembers) << names;
    }
}

}  // namespace
}  // namespace quorvane
