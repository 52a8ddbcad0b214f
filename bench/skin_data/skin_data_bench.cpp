// LoadSkin of the shipped default skin: decode, description, every element
// and the derived ones. The package is read from QUORVANE_SKIN (a host or
// Windows path), else from skins/default.qskin beside the build tree.
// Then hostile packages: tens of thousands of sections, pictures that
// declare 16,000 x 16,000 pixels, the longest description the INI reader
// keeps; each reports its package size and whether it loaded.
#include <windows.h>

#include <string>
#include <vector>

#include "bench/support/benchmark.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_reader.h"
#include "tools/skinpack/package_writer.h"

namespace {

std::vector<uint8_t> ReadPackage()
{
    char path[1024] = {};
    std::string file;
    if (GetEnvironmentVariableA("QUORVANE_SKIN", path, sizeof(path)) > 0) file = path;
    if (file.empty()) file = "skins\\default.qskin";
    std::vector<uint8_t> bytes;
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(handle, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(handle);
    bytes.resize(read);
    return bytes;
}

void BM_LoadSkinDefault(benchmark::State& state)
{
    const std::vector<uint8_t> package = ReadPackage();
    if (package.empty()) {
        state.SkipWithError("no skin package (set QUORVANE_SKIN)");
        return;
    }
    quorvane::TSkinData data(nullptr);
    data.SetPackage(package);
    if (data.NotLoaded()) {
        state.SkipWithError("the package did not load");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(data.LoadSkin());
    state.counters["package_bytes"] = static_cast<double>(package.size());
}
BENCHMARK(BM_LoadSkinDefault)->Unit(benchmark::kMillisecond);

// The decoding share of LoadSkin: package decode and index only.
void BM_DecodeDefault(benchmark::State& state)
{
    const std::vector<uint8_t> package = ReadPackage();
    if (package.empty()) {
        state.SkipWithError("no skin package (set QUORVANE_SKIN)");
        return;
    }
    quorvane::MemoryStream stream(package);
    for (auto _ : state) {
        quorvane::TSkinReader reader;
        benchmark::DoNotOptimize(reader.ReadPackage(stream));
    }
}
BENCHMARK(BM_DecodeDefault)->Unit(benchmark::kMillisecond);

// Loads the package once per iteration into a fresh component.
void LoadEach(benchmark::State& state, const std::vector<uint8_t>& package,
              const quorvane::SkinLimits& limits = quorvane::SkinLimits())
{
    bool loaded = false;
    for (auto _ : state) {
        quorvane::TSkinData data(nullptr);
        data.SetLoadLimits(limits);
        data.SetPackage(package);
        loaded = !data.NotLoaded();
    }
    state.counters["package_bytes"] = static_cast<double>(package.size());
    state.counters["loaded"] = loaded ? 1 : 0;
}

std::vector<uint8_t> Package(const std::string& ini, std::vector<quorvane::PackageMember> members = {})
{
    members.insert(members.begin(), quorvane::PackageMember{"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
    return quorvane::BuildPackage(members);
}

std::string Sections(const char* prefix, const char* body, int count)
{
    std::string ini;
    for (int i = 0; i < count; ++i) ini += "[" + std::string(prefix) + std::to_string(i) + "]\r\n" + body;
    return ini;
}

// 20,000 caption-button sections: refused at the caption-button limit.
void BM_Load20000ButtonSections(benchmark::State& state)
{
    LoadEach(state, Package(Sections("BUTTON", "Action=1\r\nAlign=1\r\nXcoord=20\r\n", 20000)));
}
BENCHMARK(BM_Load20000ButtonSections)->Unit(benchmark::kMillisecond);

// The same with the limit raised: 20,000 caption buttons are built.
void BM_Load20000ButtonSectionsUnlimited(benchmark::State& state)
{
    quorvane::SkinLimits limits;
    limits.captionButtons = 100000;
    LoadEach(state, Package(Sections("BUTTON", "Action=1\r\nAlign=1\r\nXcoord=20\r\n", 20000)), limits);
}
BENCHMARK(BM_Load20000ButtonSectionsUnlimited)->Unit(benchmark::kMillisecond);

// 20,000 colour sections: loaded.
void BM_Load20000ColourSections(benchmark::State& state)
{
    LoadEach(state, Package(Sections("COLOUR", "color=10,20,30\r\n", 20000)));
}
BENCHMARK(BM_Load20000ColourSections)->Unit(benchmark::kMillisecond);

// Every picture of a full description declares 16,000 x 16,000 pixels in a
// few bytes of RLE data: refused before anything is decoded.
void BM_LoadHugeDeclaredBitmaps(benchmark::State& state)
{
    std::vector<uint8_t> bmp = {'B', 'M'};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(14 + 40 + 4 + 2);
    put32(0);
    put32(14 + 40 + 4);
    put32(40);
    put32(16000);
    put32(16000);
    bmp.insert(bmp.end(), {1, 0, 8, 0});
    put32(1);  // RLE8
    for (int i = 0; i < 5; ++i) put32(0);
    put32(0x00FF0000);
    bmp.insert(bmp.end(), {0, 1});
    std::string ini = "[Personality]\r\nLeft=h.bmp\r\nRight=h.bmp\r\nTop=h.bmp\r\nBottom=h.bmp\r\nTextBack=h.bmp\r\n"
                      "[Buttons]\r\nBitmap=h.bmp\r\n[BUTTON.CLOSE]\r\nButtonImage=h.bmp\r\n";
    for (const char* section : {"MenuItem", "Scrollbar", "SunkEdge", "ComboButton", "Tabs", "Headerbar"})
        ini += "[" + std::string(section) + "]\r\nImage=h.bmp\r\n";
    LoadEach(state, Package(ini, {{"h.bmp", bmp}}));
}
BENCHMARK(BM_LoadHugeDeclaredBitmaps)->Unit(benchmark::kMillisecond);

// The longest description the INI reader keeps (2^20 lines), and one line more.
void BM_LoadLongestDescription(benchmark::State& state)
{
    std::string ini = "[Personality]\r\n";
    const size_t lines = quorvane::TQuickIni::kMaxLines - 1 + static_cast<size_t>(state.range(0));
    for (size_t i = 0; i < lines; ++i) ini += "k" + std::to_string(i % 1000) + "=1\r\n";
    LoadEach(state, Package(ini));
}
BENCHMARK(BM_LoadLongestDescription)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// About 1 MB of package expanding to a description of 2^20 identical
// 48-byte lines (48 MB): the most a package of that size can ask the
// decoder and the INI reader to handle.
void BM_LoadOneMegabyteOfRepeatedLines(benchmark::State& state)
{
    std::string ini = "[Personality]\r\n";
    const std::string line = "LeftWidth=" + std::string(36, '0') + "\r\n";
    ini.reserve(line.size() * quorvane::TQuickIni::kMaxLines);
    for (size_t i = 1; i < quorvane::TQuickIni::kMaxLines; ++i) ini += line;
    LoadEach(state, Package(ini));
}
BENCHMARK(BM_LoadOneMegabyteOfRepeatedLines)->Unit(benchmark::kMillisecond);

// Packages whose name tables list 65,536 names (the most a package may) and
// a million, ahead of the description, whose pictures are looked up by name.
void BM_LoadManyMemberNames(benchmark::State& state)
{
    std::vector<quorvane::PackageMember> members(static_cast<size_t>(state.range(0)) - 1);
    const std::string ini = "[MenuItem]\r\nImage=m.bmp\r\n[Scrollbar]\r\nImage=s.bmp\r\n[Buttons]\r\nBitmap=b.bmp\r\n";
    members.push_back({"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
    LoadEach(state, quorvane::BuildPackage(members));
}
BENCHMARK(BM_LoadManyMemberNames)->Arg(65536)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
