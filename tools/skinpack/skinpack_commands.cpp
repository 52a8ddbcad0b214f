#include "tools/skinpack/skinpack_commands.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "framework/message_box.h"
#include "skin/data/lzh.h"
#include "skin/data/skin_reader.h"
#include "skin/data/text_lines.h"
#include "tools/skinpack/package_writer.h"
#include "tools/skinpack/source_folder.h"

namespace quorvane {

const char kSkinpackUsage[] =
    "Usage:\n"
    "  skinpack pack OUT DIR                 pack every file of DIR (the .ini first) into OUT\n"
    "  skinpack list PACKAGE                 print each member's lower-cased name and size\n"
    "  skinpack extract PACKAGE NAME OUTFILE write member NAME of PACKAGE to OUTFILE\n"
    "  skinpack --help                       show this text\n";

namespace {

// A command that cannot be carried out; the text is printed after "skinpack: ".
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    if (IsFolder(path)) throw CommandError("cannot read " + path + ": is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CommandError("cannot read " + path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw CommandError("error reading " + path);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw CommandError("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw CommandError("error writing " + path);
}

bool IsIniName(const std::string& name)
{
    const std::string lower = AsciiLower(name);
    return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".ini") == 0;
}

int Pack(const std::string& outPath, const std::string& dir, std::ostream& out)
{
    if (!IsFolder(dir)) throw CommandError(dir + " is not a folder");
    std::vector<std::string> names;
    if (!ListFolderFiles(dir, names)) throw CommandError("cannot list " + dir);
    if (names.empty()) throw CommandError(dir + " holds no files");
    if (names.size() > static_cast<size_t>(TSkinReader::kSizeTableEntries))
        throw CommandError(dir + " holds " + std::to_string(names.size()) + " files; a package holds at most " +
                           std::to_string(TSkinReader::kSizeTableEntries));
    // The description first, then the rest; each group in name order.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const bool iniA = IsIniName(a);
        const bool iniB = IsIniName(b);
        return iniA != iniB ? iniA : a < b;
    });
    if (!IsIniName(names.front())) throw CommandError(dir + " holds no .ini skin description");

    std::vector<PackageMember> members;
    for (const std::string& name : names) members.push_back({name, ReadFileBytes(dir + "/" + name)});
    const std::vector<uint8_t> content = BuildPackageContent(members);
    const std::vector<uint8_t> package = CompressPackage(content);
    WriteFileBytes(outPath, package);
    out << "packed " << members.size() << " files, " << content.size() << " bytes into " << package.size()
        << " bytes\n";
    return 0;
}

// Reads a package file into reader. The version message is caught and reported
// as an error instead of a message box.
void LoadPackage(const std::string& path, TSkinReader& reader)
{
    MemoryStream package(ReadFileBytes(path));
    if (package.Size() < 4) throw CommandError(path + " is not a skin package (too short)");
    const int64_t size = static_cast<int64_t>(package.Data()[0]) | (static_cast<int64_t>(package.Data()[1]) << 8) |
                         (static_cast<int64_t>(package.Data()[2]) << 16) |
                         (static_cast<int64_t>(static_cast<int8_t>(package.Data()[3])) << 24);
    // One coded bit cannot stand for more than a few bytes: a 60-byte match
    // takes at least 10 bits. A larger size means the file is no package.
    if (size < 16 || size > 48 * static_cast<int64_t>(package.Size()) + 64)
        throw CommandError(path + " is not a skin package (uncompressed size " + std::to_string(size) + ")");

    std::string message;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const MessageBoxRequest& request) {
        message = request.text;
        return IDOK;
    });
    bool ok = false;
    try {
        ok = reader.ReadPackage(package);
    } catch (...) {
        SetMessageBoxHandler(std::move(previous));
        throw;
    }
    SetMessageBoxHandler(std::move(previous));
    if (!ok) {
        std::replace(message.begin(), message.end(), '\r', ' ');
        throw CommandError(path + ": version " + std::to_string(reader.Header().version) + " is not " +
                           std::to_string(kSkinPackageVersion) + " (" + message + ")");
    }
}

int List(const std::string& path, std::ostream& out)
{
    TSkinReader reader;
    LoadPackage(path, reader);
    for (int i = 0; i < reader.Count(); ++i) out << reader.Names()[static_cast<size_t>(i)] << '\t' << reader.MemberSize(i) << '\n';
    return 0;
}

int Extract(const std::string& path, const std::string& name, const std::string& outPath)
{
    TSkinReader reader;
    LoadPackage(path, reader);
    const std::vector<std::string>& names = reader.Names();
    if (std::find(names.begin(), names.end(), AsciiLower(name)) == names.end())
        throw CommandError(path + " has no member " + name);
    MemoryStream member;
    reader.ExtractMember(name, member);
    WriteFileBytes(outPath, member.Bytes());
    return 0;
}

}  // namespace

int RunSkinpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kSkinpackUsage;
        return 0;
    }
    const std::string command = args.empty() ? std::string() : args[0];
    const size_t wanted = command == "pack" ? 3 : command == "list" ? 2 : command == "extract" ? 4 : 0;
    if (wanted == 0 || args.size() != wanted) {
        if (args.empty()) err << "skinpack: no command given\n";
        else if (wanted == 0) err << "skinpack: unknown command '" << command << "'\n";
        else err << "skinpack: wrong number of arguments for '" << command << "'\n";
        err << kSkinpackUsage;
        return 2;
    }
    try {
        if (command == "pack") return Pack(args[1], args[2], out);
        if (command == "list") return List(args[1], out);
        return Extract(args[1], args[2], args[3]);
    } catch (const CommandError& e) {
        err << "skinpack: " << e.what() << '\n';
    } catch (const ElzhException& e) {
        err << "skinpack: " << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "skinpack: " << e.what() << '\n';
    }
    return 1;
}

}  // namespace quorvane
