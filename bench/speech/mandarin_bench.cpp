// Mandarin readings: the first call (the embedded table checked and paged
// in), throughput of ReadMandarin on Wikipedia sentences, and the table check
// on its own.
#include <windows.h>

#include <fstream>
#include <string>

#include "bench/support/benchmark.h"
#include "speech/frontend/mandarin_reading.h"
#include "speech/frontend/mandarin_table.h"
#include "speech/frontend/pinyin_text.h"

namespace quorvane::frontend {
namespace {

double NowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// About `bytes` of UTF-8 Chinese text: the annotated sentences without marks.
std::u16string Sentences(size_t bytes, size_t* utf8Bytes)
{
    std::ifstream in(QUORVANE_POLYPHONE_DIR "/dev.sent");
    std::string all, line;
    while (all.size() < bytes) {
        if (!std::getline(in, line)) {
            if (all.empty()) break;
            in.clear();
            in.seekg(0);
            continue;
        }
        std::string text;
        int position = 0;
        if (PolyphoneSentence(line, &text, &position)) all += text + "\n";
    }
    *utf8Bytes = all.size();
    return Utf8ToUtf16(all);
}

// Runs first: the cost of the very first call in the process.
void BM_FirstCall(benchmark::State& state)
{
    static double firstMs = -1;
    if (firstMs < 0) {
        const double start = NowMs();
        benchmark::DoNotOptimize(ReadMandarin(u"银行的行长说，重复一遍。"));
        firstMs = NowMs() - start;
    }
    for (auto _ : state) benchmark::DoNotOptimize(ReadMandarin(u"银行的行长说，重复一遍。"));
    state.counters["first_call_ms"] = firstMs;
}
BENCHMARK(BM_FirstCall)->Unit(benchmark::kMicrosecond);

void BM_ReadMandarinThroughput(benchmark::State& state)
{
    size_t utf8Bytes = 0;
    const std::u16string text = Sentences(static_cast<size_t>(state.range(0)), &utf8Bytes);
    size_t syllables = 0;
    for (auto _ : state) syllables = ReadMandarin(text).size();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(utf8Bytes));
    state.counters["characters_per_s"] = benchmark::Counter(
        static_cast<double>(syllables) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadMandarinThroughput)->Arg(600)->Arg(256 * 1024)->Unit(benchmark::kMillisecond);

void BM_TableCheck(benchmark::State& state)
{
    for (auto _ : state) {
        MandarinTable table(MandarinTable::EmbeddedData(), MandarinTable::EmbeddedSize());
        benchmark::DoNotOptimize(table.Valid());
    }
    state.counters["table_bytes"] = static_cast<double>(MandarinTable::EmbeddedSize());
}
BENCHMARK(BM_TableCheck)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvane::frontend
