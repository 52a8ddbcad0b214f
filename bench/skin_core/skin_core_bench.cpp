// Decoding a ~230 KB skin package (INI text + 24-bit bitmaps, about 3.3:1),
// against the classic C decoder as a baseline, and INI lookups.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/skin_core/classic_lzhuf.h"
#include "bench/skin_core/sample_skin.h"
#include "bench/support/benchmark.h"
#include "skin/data/lzh.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"
#include "tools/skinpack/package_writer.h"

namespace quorvane {
namespace {

struct Sample {
    std::vector<uint8_t> content = BuildPackageContent(SampleSkin());
    std::vector<uint8_t> package = CompressPackage(content);
};

const Sample& GetSample()
{
    static const Sample sample;
    return sample;
}

void Report(benchmark::State& state, const Sample& sample)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sample.content.size()));
    state.counters["content_KB"] = static_cast<double>(sample.content.size()) / 1024.0;
    state.counters["ratio"] = static_cast<double>(sample.content.size()) / static_cast<double>(sample.package.size());
}

// The path a skin load takes: TSkinReader::ReadPackage on the package bytes.
void BM_ReadPackage(benchmark::State& state)
{
    const Sample& sample = GetSample();
    for (auto _ : state) {
        MemoryStream package(sample.package.data(), sample.package.size());
        TSkinReader reader;
        if (!reader.ReadPackage(package)) state.SkipWithError("package rejected");
        benchmark::DoNotOptimize(reader.Data().Data());
    }
    Report(state, sample);
}
BENCHMARK(BM_ReadPackage)->Unit(benchmark::kMillisecond);

// The codec alone, into a reused buffer.
void BM_Unpack(benchmark::State& state)
{
    const Sample& sample = GetSample();
    std::vector<uint8_t> out;
    for (auto _ : state) {
        TLZH codec;
        BufferSink sink(out, sample.content.size() + 64);
        sink = codec.Unpack(static_cast<int32_t>(sample.content.size()),
                     MemorySource{sample.package.data() + 4, sample.package.data() + sample.package.size()}, sink);
        sink.Finish();
        benchmark::DoNotOptimize(out.data());
    }
    if (out != sample.content) state.SkipWithError("decoded bytes differ");
    Report(state, sample);
}
BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond);

// The classic decoder on the same input, measured under the same load.
struct ClassicContext {
    const uint8_t* next;
    const uint8_t* end;
    uint8_t* out;
};
[[gnu::noinline]] int ClassicGetC(void* context)
{
    auto* c = static_cast<ClassicContext*>(context);
    return c->next == c->end ? -1 : *c->next++;
}
[[gnu::noinline]] void ClassicPutC(int byte, void* context)
{
    auto* c = static_cast<ClassicContext*>(context);
    *c->out++ = static_cast<uint8_t>(byte);
}

void BM_ClassicDecoder(benchmark::State& state)
{
    const Sample& sample = GetSample();
    std::vector<uint8_t> out(sample.content.size() + 64);
    auto decoder = std::make_unique<bench::ClassicLzhuf>();
    for (auto _ : state) {
        ClassicContext context{sample.package.data() + 4, sample.package.data() + sample.package.size(), out.data()};
        decoder->Decode(static_cast<long>(sample.content.size()), ClassicGetC, ClassicPutC, &context);
        benchmark::DoNotOptimize(out.data());
    }
    if (!std::equal(sample.content.begin(), sample.content.end(), out.begin())) state.SkipWithError("decoded bytes differ");
    Report(state, sample);
}
BENCHMARK(BM_ClassicDecoder)->Unit(benchmark::kMillisecond);

// LoadFromStream of the sample description plus 10,000 lookups (half
// ReadString, half ReadInteger; one in eight misses).
void BM_IniLoadAndLookups(benchmark::State& state)
{
    const std::string text = SampleIni();
    std::vector<std::string> sections;
    {
        TQuickIni ini;
        ini.LoadFromText(text);
        ini.GetSectionNames(sections);
    }
    const char* keys[] = {"Image", "FrameCount", "LeftWidth", "TopHeight", "Trans", "Colour", "NormalColour", "Missing"};
    int64_t sum = 0;
    for (auto _ : state) {
        MemoryStream stream(text.data(), text.size());
        TQuickIni ini;
        ini.LoadFromStream(&stream);
        for (int i = 0; i < 10000; ++i) {
            const std::string& section = sections[static_cast<size_t>(i) % sections.size()];
            const char* key = keys[i % 8];
            if (i & 1) sum += ini.ReadInteger(section, key, 0);
            else sum += static_cast<int64_t>(ini.ReadString(section, key, "").size());
        }
    }
    benchmark::DoNotOptimize(sum);
    state.counters["ini_KB"] = static_cast<double>(text.size()) / 1024.0;
    state.counters["sections"] = static_cast<double>(sections.size());
}
BENCHMARK(BM_IniLoadAndLookups)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvane
