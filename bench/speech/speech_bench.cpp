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
