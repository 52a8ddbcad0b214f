// LoadSkin of the shipped default skin: decode, description, every element
// and the derived ones. The package is read from QUORVANE_SKIN (a host or
// Windows path), else from skins/default.qskin beside the build tree.
#include <windows.h>

#include <string>
#include <vector>

#include "bench/support/benchmark.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_reader.h"

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

}  // namespace
