// The skinpack commands through RunSkinpack, on real files in a temporary folder.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/gtest.h"
#include "tools/skinpack/package_writer.h"
#include "tools/skinpack/skinpack_commands.h"

namespace quorvane {
namespace {

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/skinpack-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempFolder() { Remove(path_); }
    const std::string& Path() const { return path_; }

private:
    static void Remove(const std::string& path)
    {
        if (DIR* dir = opendir(path.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name == "." || name == "..") continue;
                const std::string child = path + "/" + name;
                struct stat info;
                if (stat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) Remove(child);
                else unlink(child.c_str());
            }
            closedir(dir);
        }
        rmdir(path.c_str());
    }
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunCommand(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunSkinpack(args, out, err);
    return {status, out.str(), err.str()};
}

std::string MemberBytes(int i)
{
    std::string bytes = "BM";
    for (int k = 0; k < (i * 37) % 900; ++k) bytes += static_cast<char>((i + k * k) & 0xFF);
    return bytes;
}

TEST(Skinpack, FiveHundredMembersRoundTripThroughPackListExtract)
{
    TempFolder temp;
    const std::string src = temp.Path() + "/src";
    mkdir(src.c_str(), 0755);
    WriteFile(src + "/Skin.ini", "[Personality]\r\nName=Many\r\n");
    for (int i = 1; i < 500; ++i) WriteFile(src + "/Part" + std::to_string(1000 + i) + ".bmp", MemberBytes(i));

    const std::string package = temp.Path() + "/many.skn";
    Result pack = RunCommand({"pack", package, src});
    ASSERT_EQ(pack.status, 0) << pack.err;

    Result list = RunCommand({"list", package});
    ASSERT_EQ(list.status, 0) << list.err;
    std::istringstream lines(list.out);
    std::string line;
    std::vector<std::string> listed;
    while (std::getline(lines, line)) listed.push_back(line);
    ASSERT_EQ(listed.size(), 500u);
    EXPECT_EQ(listed[0], "skin.ini\t26");  // the description first, names lowered
    for (int i = 1; i < 500; ++i) {
        EXPECT_EQ(listed[static_cast<size_t>(i)], "part" + std::to_string(1000 + i) + ".bmp\t" + std::to_string(MemberBytes(i).size()));
    }

    for (int i : {1, 2, 250, 499}) {
        const std::string out = temp.Path() + "/out.bmp";
        Result extract = RunCommand({"extract", package, "PART" + std::to_string(1000 + i) + ".BMP", out});
        ASSERT_EQ(extract.status, 0) << extract.err;
        EXPECT_EQ(ReadFile(out), MemberBytes(i)) << i;
    }
}

TEST(Skinpack, ReportsErrors)
{
    TempFolder temp;
    const std::string dir = temp.Path();
    WriteFile(dir + "/not-a-package", "abc");
    WriteFile(dir + "/random", std::string(100, 'x'));
    {
        std::vector<uint8_t> content = BuildPackageContent({{"a.ini", {'x'}}});
        content[0] = 0x1F;  // version 19999
        content[1] = 0x4E;
        const std::vector<uint8_t> package = CompressPackage(content);
        WriteFile(dir + "/old.skn", std::string(package.begin(), package.end()));
        const std::vector<uint8_t> good = BuildPackage({{"a.ini", {'x'}}});
        WriteFile(dir + "/good.skn", std::string(good.begin(), good.end()));
    }
    mkdir((dir + "/empty").c_str(), 0755);
    mkdir((dir + "/noini").c_str(), 0755);
    WriteFile(dir + "/noini/a.bmp", "BM");

    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{}, 2, "no command"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"list"}, 2, "wrong number of arguments"},
        {{"extract", "a", "b"}, 2, "wrong number of arguments"},
        {{"list", dir + "/missing.skn"}, 1, "cannot read"},
        {{"list", dir}, 1, "is a folder"},
        {{"list", dir + "/not-a-package"}, 1, "not a skin package"},
        {{"list", dir + "/random"}, 1, "not a skin package"},
        {{"list", dir + "/old.skn"}, 1, "version 19999 is not 20000"},
        {{"extract", dir + "/good.skn", "b.bmp", dir + "/x"}, 1, "has no member b.bmp"},
        {{"extract", dir + "/good.skn", "a.ini", dir + "/no/such/folder/x"}, 1, "cannot write"},
        {{"pack", dir + "/x.skn", dir + "/missing"}, 1, "is not a folder"},
        {{"pack", dir + "/x.skn", dir + "/empty"}, 1, "holds no files"},
        {{"pack", dir + "/x.skn", dir + "/noini"}, 1, "no .ini"},
    };
    for (const Case& c : cases) {
        Result result = RunCommand(c.args);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }

    Result help = RunCommand({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("skinpack pack OUT DIR"), std::string::npos);
}

}  // namespace
}  // namespace quorvane
