// Where the voice's PCM goes: the sound device (waveOut), a WAV file, or a
// paced null output. All three keep a timeline in samples since Open: what has
// been written and what has been played so far. Events are timed against
// Played(), so they follow what is actually heard.
//
// Only the espeak service's audio thread calls an output.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace quorvane {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Opens for 16-bit mono PCM at sampleRate; throws std::runtime_error.
    virtual void Open(int sampleRate) = 0;
    // Queues samples behind those already written. Never waits for playing.
    virtual void Write(const std::int16_t* samples, std::size_t count) = 0;
    // Samples played since Open; never decreases.
    virtual std::int64_t Played() = 0;
    // Samples written since Open, less those discarded.
    virtual std::int64_t Written() = 0;
    // Halt and continue where halted.
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Drops everything written but not yet played (Written() becomes Played()).
    virtual void Discard() = 0;
    // Nothing is queued any more: a good moment to flush files.
    virtual void Idle() {}
    // What the output is, for messages ("sound device", "WAV file x").
    virtual std::string Describe() const = 0;
    // A sound device comes and goes (a headset, the sound server): when it
    // cannot be opened or fails, speech goes on silently and the device is
    // opened again later. Open may be called again after it failed, or after
    // Write failed, and then starts afresh.
    virtual bool IsSoundDevice() const { return false; }
};

// Plays nothing, but advances Played() in real time over what was written,
// so speech and its events keep their timing without a sound card.
// `speed` > 1 runs the clock faster (tests only).
class PacedAudioOutput : public AudioOutput {
public:
    explicit PacedAudioOutput(double speed = 1.0) : speed_(speed) {}
    void Open(int sampleRate) override;
    void Write(const std::int16_t* samples, std::size_t count) override;
    std::int64_t Played() override;
    std::int64_t Written() override;
    void Pause() override;
    void Resume() override;
    void Discard() override;
    std::string Describe() const override { return "paced null output"; }

protected:
    // Called with every sample as it becomes played (the WAV output records them).
    virtual void OnPlayed(const std::int16_t* samples, std::size_t count);

private:
    void Advance();

    double speed_;
    int sampleRate_ = 22050;
    bool paused_ = false;
    std::int64_t played_ = 0;
    std::int64_t written_ = 0;
    double fraction_ = 0;            // part of a sample not yet played
    std::int64_t lastTick_ = 0;      // QueryPerformanceCounter
    std::int64_t tickFrequency_ = 1;
    std::basic_string<std::int16_t> pending_;  // written, not yet played
    std::size_t pendingStart_ = 0;
};

// A paced output that records what is played into a WAV file (16-bit mono).
// The header is rewritten whenever the output goes idle and on close, so the
// file is valid and playable between utterances, not only after a clean exit.
class WavAudioOutput : public PacedAudioOutput {
public:
    explicit WavAudioOutput(std::string path, double speed = 1.0);
    ~WavAudioOutput() override;
    void Open(int sampleRate) override;
    void Idle() override;
    std::string Describe() const override { return "WAV file " + path_; }

protected:
    void OnPlayed(const std::int16_t* samples, std::size_t count) override;

private:
    void WriteHeader();

    std::string path_;
    std::FILE* file_ = nullptr;
    int sampleRate_ = 22050;
    std::uint32_t dataBytes_ = 0;
    bool headerCurrent_ = false;
};

// The default sound device through waveOut.
std::unique_ptr<AudioOutput> CreateWaveOutAudioOutput();

// The output named by a QUORVANE_AUDIO-style text: "device" (or empty),
// "null", or "wav:PATH". Throws std::invalid_argument for anything else.
std::unique_ptr<AudioOutput> CreateAudioOutput(const std::string& choice);

}  // namespace quorvane
