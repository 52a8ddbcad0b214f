// The voice service's speed: latency from Speak returning to the first PCM
// handed to the audio output, the real-time factor of a long text, and the
// CPU share while speaking in real time.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "bench/support/benchmark.h"
#include "speech/audio_output.h"
#include "speech/espeak_voice_service.h"
#include "speech/frontend/text_front_end.h"
#include "speech/speech_lib_tlb.h"

namespace quorvane {
namespace {

std::int64_t Ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double TicksToMs(std::int64_t ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A paced output that notes when the first PCM arrives after being armed.
class ProbeOutput : public PacedAudioOutput {
public:
    ProbeOutput(std::atomic<std::int64_t>* firstWrite, double speed) : PacedAudioOutput(speed), firstWrite_(firstWrite) {}
    void Write(const std::int16_t* samples, std::size_t count) override
    {
        std::int64_t expected = 0;
        firstWrite_->compare_exchange_strong(expected, Ticks());
        PacedAudioOutput::Write(samples, count);
    }

private:
    std::atomic<std::int64_t>* firstWrite_;
};

struct EndWatcher : VoiceEventSink {
    std::atomic<int> ended{0};
    void OnVoiceEvent(const VoiceEvent& event) noexcept override
    {
        if (event.id == kEventEndStream) ended = event.stream;
    }
};

void WaitForEnd(EndWatcher& watcher, int stream)
{
    while (watcher.ended.load() < stream) Sleep(1);
}

VoiceInfo FindVoice(EspeakVoiceService& service, const std::string& language)
{
    for (const VoiceInfo& v : service.Voices())
        if (v.language == language) return v;
    return service.Voices().front();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void SpeakToFirstPcm(benchmark::State& state, const char* language, const std::u16string& text)
{
    std::atomic<std::int64_t> firstWrite{0};
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<ProbeOutput>(&firstWrite, 1000.0));
    auto watcher = std::make_shared<EndWatcher>();
    service->Subscribe(watcher);
    service->SetVoice(FindVoice(*service, language));
    Sleep(50);  // the voice loads when chosen, not on the first Speak
    std::vector<double> latencies;
    for (auto _ : state) {
        firstWrite = 0;
        const int stream = service->Speak(text, 1);
        const std::int64_t returned = Ticks();
        while (firstWrite.load() == 0) {
        }
        const double ms = std::max(0.0, TicksToMs(firstWrite.load() - returned));
        state.SetIterationTime(ms / 1000.0);
        latencies.push_back(ms);
        service->Skip("Sentence", 2147483647, 0);
        WaitForEnd(*watcher, stream);
    }
    state.counters["median_ms"] = Median(latencies);
    std::sort(latencies.begin(), latencies.end());
    state.counters["p90_ms"] = latencies.empty() ? 0 : latencies[latencies.size() * 9 / 10];
    service->Unsubscribe(watcher.get());
}

void BM_SpeakToFirstPcmEnglish(benchmark::State& state)
{
    SpeakToFirstPcm(state, "409", u"The quick brown fox jumps over the lazy dog.");
}
BENCHMARK(BM_SpeakToFirstPcmEnglish)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_SpeakToFirstPcmChinese(benchmark::State& state)
{
    SpeakToFirstPcm(state, "804", u"\u4eca\u5929\u5929\u6c14\u5f88\u597d\uff0c\u6211\u4eec\u53bb\u516c\u56ed\u6563\u6b65\u3002");
}
BENCHMARK(BM_SpeakToFirstPcmChinese)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// A paragraph as users copy it from Chinese pages: numbers, dates, English
// words and a URL among the Han text.
const std::u16string kMixedParagraph =
    u"2026年12月9日，我们用Windows电脑和Linux服务器测试了新的语音功能。增长3.5%的收入让团队很高兴，"
    u"下午3点到5点开会，会议室在302房间。请访问www.example.com了解详情，或者拨打电话138-1234-5678。"
    u"The quick brown fox说：“我们明天再试一次。”价格是¥1,299元，重2kg，温度25℃。\r\r";

std::u16string ChineseText(size_t units)
{
    std::u16string text;
    while (text.size() < units) text += kMixedParagraph;
    text.resize(units);
    return text;
}

// A copy of about `bytes` bytes of UTF-8 made of the paragraph above.
std::u16string ChineseCopy(size_t bytes)
{
    const size_t paragraphBytes = frontend::ToUtf8(kMixedParagraph).size();
    std::u16string text;
    for (size_t size = 0; size < bytes; size += paragraphBytes) text += kMixedParagraph;
    return text;
}

// Speak to first PCM for a 200-character Chinese text: the front end (its
// analysis of the whole text, the dictionary lookups) comes before the
// first sample.
void BM_SpeakToFirstPcmChinese200(benchmark::State& state) { SpeakToFirstPcm(state, "804", ChineseText(200)); }
BENCHMARK(BM_SpeakToFirstPcmChinese200)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// The front end's part of the above: the runs of the first piece of the
// 200-character text, which synthesis waits for before its first sample.
void BM_FrontEndFirstPiece200(benchmark::State& state)
{
    const std::u16string text = ChineseText(200);
    frontend::FrontEndOptions options;
    for (auto _ : state) {
        frontend::TextAnalysis analysis(text, options);
        const auto runs = analysis.Next();
        benchmark::DoNotOptimize(runs.data());
    }
}
BENCHMARK(BM_FrontEndFirstPiece200)->Unit(benchmark::kMicrosecond);

// Speak to first PCM for a 2 MB copy: what the reader waits before a very
// long text starts (its window does not wait: Speak only queues the text).
void BM_SpeakToFirstPcm2MB(benchmark::State& state)
{
    SpeakToFirstPcm(state, "804", ChineseCopy(2'000'000));
}
BENCHMARK(BM_SpeakToFirstPcm2MB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// The front end alone over a 2 MB copy (UTF-8 size) of mixed text.
void BM_FrontEndThroughput2MB(benchmark::State& state)
{
    const std::u16string text = ChineseCopy(2'000'000);
    const size_t utf8Bytes = frontend::ToUtf8(text).size();
    frontend::FrontEndOptions options;
    size_t runs = 0;
    for (auto _ : state) {
        const auto result = frontend::AnalyseText(text, options);
        runs = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * utf8Bytes));
    state.counters["runs"] = static_cast<double>(runs);
    state.counters["utf8_MB"] = static_cast<double>(utf8Bytes) / 1e6;
}
BENCHMARK(BM_FrontEndThroughput2MB)->Iterations(5)->Unit(benchmark::kMillisecond);

// A window on this thread keeps answering while the service prepares and
// speaks a 2 MB copy: a second thread sends it WM_NULL every 10 ms and times
// each reply while this thread pumps messages, as the reader's window does.
// Arg 0 measures the same with nothing spoken.
struct ProbeState {
    HWND window = nullptr;
    int probes = 0;
    std::vector<double> replies;
};

DWORD WINAPI ProbeWindow(void* parameter)
{
    auto* probe = static_cast<ProbeState*>(parameter);
    for (int i = 0; i < probe->probes; ++i) {
        const std::int64_t sent = Ticks();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(probe->window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        probe->replies.push_back(TicksToMs(Ticks() - sent));
        Sleep(10);
    }
    return 0;
}

void BM_WindowRepliesWhileSpeaking2MB(benchmark::State& state)
{
    const bool speaking = state.range(0) != 0;
    std::atomic<std::int64_t> firstWrite{0};
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<ProbeOutput>(&firstWrite, 1000.0));
    service->SetVoice(FindVoice(*service, "804"));
    const std::u16string text = ChineseCopy(2'000'000);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> replies;
    for (auto _ : state) {
        ProbeState probe;
        probe.window = window;
        probe.probes = 200;
        if (speaking) service->Speak(text, 1);
        HANDLE thread = CreateThread(nullptr, 0, ProbeWindow, &probe, 0, nullptr);
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        CloseHandle(thread);
        if (speaking) {
            // The synthesis thread was busy with the copy the whole time.
            state.counters["first_pcm_seen"] = firstWrite.load() != 0 ? 1 : 0;
            service->Purge();
        }
        replies.insert(replies.end(), probe.replies.begin(), probe.replies.end());
    }
    DestroyWindow(window);
    std::sort(replies.begin(), replies.end());
    state.counters["median_reply_ms"] = Median(replies);
    state.counters["p99_reply_ms"] = replies.empty() ? 0 : replies[replies.size() * 99 / 100];
    state.counters["max_reply_ms"] = replies.empty() ? 0 : replies.back();
}
BENCHMARK(BM_WindowRepliesWhileSpeaking2MB)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

std::u16string Words(int count)
{
    static const char16_t* kWords[] = {u"the", u"reader", u"speaks", u"every", u"copied", u"text", u"aloud,",
                                       u"cutting", u"short", u"what", u"it", u"said", u"before."};
    std::u16string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += u' ';
        text += kWords[i % 13];
    }
    return text;
}

// Synthesis against an output that never makes it wait: how much faster than
// real time the whole pipeline produces a 1000-word text.
void BM_RealTimeFactor1000Words(benchmark::State& state)
{
    std::atomic<std::int64_t> firstWrite{0};
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<ProbeOutput>(&firstWrite, 1e7));
    auto watcher = std::make_shared<EndWatcher>();
    service->Subscribe(watcher);
    const std::u16string text = Words(1000);
    double audioSeconds = 0, wallSeconds = 0;
    struct LastPosition : VoiceEventSink {
        std::atomic<std::int64_t> position{0};
        void OnVoiceEvent(const VoiceEvent& event) noexcept override
        {
            if (event.id == kEventEndStream) position = event.position;
        }
    };
    auto last = std::make_shared<LastPosition>();
    service->Subscribe(last);
    for (auto _ : state) {
        const std::int64_t start = Ticks();
        const int stream = service->Speak(text, 1);
        WaitForEnd(*watcher, stream);
        wallSeconds += TicksToMs(Ticks() - start) / 1000.0;
        audioSeconds += static_cast<double>(last->position.load()) / 2 / service->SampleRate();
    }
    state.counters["audio_s"] = audioSeconds / static_cast<double>(state.iterations());
    state.counters["x_real_time"] = wallSeconds > 0 ? audioSeconds / wallSeconds : 0;
    service->Unsubscribe(watcher.get());
    service->Unsubscribe(last.get());
}
BENCHMARK(BM_RealTimeFactor1000Words)->Iterations(3)->Unit(benchmark::kMillisecond);

std::int64_t ProcessCpu100ns()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) { return (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

// Speaking in real time to the paced null output, events on: the share of
// one core the process uses.
void BM_CpuShareWhileSpeaking(benchmark::State& state)
{
    std::atomic<std::int64_t> firstWrite{0};
    auto service = std::make_shared<EspeakVoiceService>(std::make_unique<ProbeOutput>(&firstWrite, 1.0));
    auto watcher = std::make_shared<EndWatcher>();
    service->Subscribe(watcher);
    service->SetEventInterests(SVEAllEvents);
    const std::u16string text = Words(25);
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const std::int64_t cpuStart = ProcessCpu100ns();
        const std::int64_t start = Ticks();
        const int stream = service->Speak(text, 1);
        WaitForEnd(*watcher, stream);
        wall += TicksToMs(Ticks() - start);
        cpu += static_cast<double>(ProcessCpu100ns() - cpuStart) / 10000.0;
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["spoken_s"] = wall / 1000.0 / static_cast<double>(state.iterations());
    service->Unsubscribe(watcher.get());
}
BENCHMARK(BM_CpuShareWhileSpeaking)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvane
