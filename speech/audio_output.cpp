#include "speech/audio_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <deque>
#include <stdexcept>
#include <vector>

namespace quorvane {

// ---------------------------------------------------------------------------
// Paced null output
// ---------------------------------------------------------------------------

namespace {

std::int64_t Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

}  // namespace

void PacedAudioOutput::Open(int sampleRate)
{
    sampleRate_ = sampleRate;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    tickFrequency_ = frequency.QuadPart;
    lastTick_ = Now();
}

// Moves the play head on by the time since the last call, while there is
// something to play and the output is not paused.
void PacedAudioOutput::Advance()
{
    const std::int64_t now = Now();
    const std::int64_t ticks = now - lastTick_;
    lastTick_ = now;
    if (paused_ || written_ == played_) {
        fraction_ = 0;
        return;
    }
    fraction_ += static_cast<double>(ticks) * sampleRate_ * speed_ / static_cast<double>(tickFrequency_);
    const auto whole = static_cast<std::int64_t>(fraction_);
    const std::int64_t step = std::min<std::int64_t>(whole, written_ - played_);
    fraction_ -= static_cast<double>(whole);
    if (step <= 0) return;
    OnPlayed(pending_.data() + pendingStart_, static_cast<std::size_t>(step));
    pendingStart_ += static_cast<std::size_t>(step);
    played_ += step;
    if (pendingStart_ > 65536 && pendingStart_ * 2 > pending_.size()) {
        pending_.erase(0, pendingStart_);
        pendingStart_ = 0;
    }
}

void PacedAudioOutput::Write(const std::int16_t* samples, std::size_t count)
{
    Advance();
    pending_.append(samples, count);
    written_ += static_cast<std::int64_t>(count);
}

std::int64_t PacedAudioOutput::Played()
{
    Advance();
    return played_;
}

std::int64_t PacedAudioOutput::Written() { return written_; }

void PacedAudioOutput::Pause()
{
    Advance();
    paused_ = true;
}

void PacedAudioOutput::Resume()
{
    Advance();
    paused_ = false;
    lastTick_ = Now();
}

void PacedAudioOutput::Discard()
{
    Advance();
    pending_.clear();
    pendingStart_ = 0;
    written_ = played_;
}

void PacedAudioOutput::OnPlayed(const std::int16_t*, std::size_t) {}

// ---------------------------------------------------------------------------
// WAV file
// ---------------------------------------------------------------------------

WavAudioOutput::WavAudioOutput(std::string path, double speed) : PacedAudioOutput(speed), path_(std::move(path)) {}

WavAudioOutput::~WavAudioOutput()
{
    if (file_) {
        WriteHeader();
        std::fclose(file_);
    }
}

void WavAudioOutput::Open(int sampleRate)
{
    sampleRate_ = sampleRate;
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) throw std::runtime_error("Cannot create file " + path_);
    WriteHeader();
    PacedAudioOutput::Open(sampleRate);
}

namespace {

void PutLe(unsigned char* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

void WavAudioOutput::WriteHeader()
{
    unsigned char header[44];
    std::memcpy(header, "RIFF", 4);
    PutLe(header + 4, 36 + dataBytes_, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLe(header + 16, 16, 4);
    PutLe(header + 20, 1, 2);  // PCM
    PutLe(header + 22, 1, 2);  // mono
    PutLe(header + 24, static_cast<std::uint32_t>(sampleRate_), 4);
    PutLe(header + 28, static_cast<std::uint32_t>(sampleRate_) * 2, 4);
    PutLe(header + 32, 2, 2);
    PutLe(header + 34, 16, 2);
    std::memcpy(header + 36, "data", 4);
    PutLe(header + 40, dataBytes_, 4);
    std::fseek(file_, 0, SEEK_SET);
    std::fwrite(header, 1, sizeof header, file_);
    std::fseek(file_, 0, SEEK_END);
    std::fflush(file_);
    headerCurrent_ = true;
}

void WavAudioOutput::OnPlayed(const std::int16_t* samples, std::size_t count)
{
    if (!file_) return;
    // A RIFF file holds at most 4 GiB; stop recording rather than wrap the sizes.
    if (dataBytes_ + count * 2 > 0xFFFFFF00u) return;
    unsigned char buffer[4096];
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, sizeof buffer / 2);
        for (std::size_t i = 0; i < n; ++i) PutLe(buffer + 2 * i, static_cast<std::uint16_t>(samples[i]), 2);
        std::fwrite(buffer, 2, n, file_);
        dataBytes_ += static_cast<std::uint32_t>(n * 2);
        samples += n;
        count -= n;
    }
    headerCurrent_ = false;
}

void WavAudioOutput::Idle()
{
    Played();  // record what has finished playing
    if (file_ && !headerCurrent_ && Played() == Written()) WriteHeader();
}

// ---------------------------------------------------------------------------
// Sound device
// ---------------------------------------------------------------------------

namespace {

class WaveOutAudioOutput : public AudioOutput {
public:
    ~WaveOutAudioOutput() override { Close(); }

    void Open(int sampleRate) override
    {
        Close();  // opened again after a failure: start afresh
        if (waveOutGetNumDevs() == 0) throw std::runtime_error("no sound device is present");
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = format.nSamplesPerSec * 2;
        const MMRESULT result = waveOutOpen(&device_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
        if (result != MMSYSERR_NOERROR) {
            device_ = nullptr;
            throw std::runtime_error("the sound device cannot be opened (waveOutOpen error " + std::to_string(result) + ")");
        }
    }

    void Write(const std::int16_t* samples, std::size_t count) override
    {
        Reap(false);
        auto block = std::make_unique<Block>();
        block->samples.assign(samples, samples + count);
        block->header.lpData = reinterpret_cast<LPSTR>(block->samples.data());
        block->header.dwBufferLength = static_cast<DWORD>(count * 2);
        MMRESULT result = waveOutPrepareHeader(device_, &block->header, sizeof(WAVEHDR));
        if (result == MMSYSERR_NOERROR) result = waveOutWrite(device_, &block->header, sizeof(WAVEHDR));
        if (result != MMSYSERR_NOERROR) throw std::runtime_error("the sound device failed (waveOutWrite error " + std::to_string(result) + ")");
        blocks_.push_back(std::move(block));
        written_ += static_cast<std::int64_t>(count);
    }

    std::int64_t Played() override
    {
        Reap(false);
        const std::int64_t played = base_ + DevicePosition();
        // The device reports no more than it was given.
        return std::min(played, written_);
    }

    std::int64_t Written() override { return written_; }

    void Pause() override
    {
        paused_ = true;
        waveOutPause(device_);
    }

    void Resume() override
    {
        paused_ = false;
        waveOutRestart(device_);
    }

    void Discard() override
    {
        const std::int64_t played = Played();
        waveOutReset(device_);  // returns every block; the position restarts (at 0 on Windows)
        Reap(true);
        base_ = played - DevicePosition();
        written_ = played;
        if (paused_) waveOutPause(device_);
    }

    std::string Describe() const override { return "sound device"; }
    bool IsSoundDevice() const override { return true; }

private:
    void Close()
    {
        if (device_) {
            waveOutReset(device_);
            Reap(true);
            waveOutClose(device_);
            device_ = nullptr;
        }
        blocks_.clear();
        base_ = 0;
        written_ = 0;
        paused_ = false;
    }

    struct Block {
        WAVEHDR header{};
        std::vector<std::int16_t> samples;
    };

    std::int64_t DevicePosition()
    {
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        if (waveOutGetPosition(device_, &time, sizeof time) != MMSYSERR_NOERROR) return 0;
        if (time.wType == TIME_SAMPLES) return time.u.sample;
        if (time.wType == TIME_BYTES) return time.u.cb / 2;
        return 0;
    }

    void Reap(bool all)
    {
        while (!blocks_.empty() && (all || (blocks_.front()->header.dwFlags & WHDR_DONE))) {
            waveOutUnprepareHeader(device_, &blocks_.front()->header, sizeof(WAVEHDR));
            blocks_.pop_front();
        }
    }

    HWAVEOUT device_ = nullptr;
    std::deque<std::unique_ptr<Block>> blocks_;
    std::int64_t base_ = 0;
    std::int64_t written_ = 0;
    bool paused_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> CreateWaveOutAudioOutput() { return std::make_unique<WaveOutAudioOutput>(); }

std::unique_ptr<AudioOutput> CreateAudioOutput(const std::string& choice)
{
    if (choice.empty() || choice == "device") return CreateWaveOutAudioOutput();
    if (choice == "null") return std::make_unique<PacedAudioOutput>();
    if (choice.compare(0, 4, "wav:") == 0 && choice.size() > 4) return std::make_unique<WavAudioOutput>(choice.substr(4));
    throw std::invalid_argument("unknown audio output \"" + choice + "\" (use device, null or wav:PATH)");
}

}  // namespace quorvane
