// The media player: a bar of buttons (play, pause, stop, next, previous,
// step, back, record, eject) that drives a device of the platform's Media
// Control Interface (MCI) — a WAV file through the wave audio device, say.
#pragma once
#include <windows.h>

#include <string>

#include "framework/controls.h"

namespace quorvane {

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
using TButtonSet = unsigned;  // SetOf<TMPBtnType>
inline constexpr TButtonSet kAllMPButtons = (1u << 9) - 1;
enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
enum TMPDeviceTypes {
    dtAutoSelect,
    dtAVIVideo,
    dtCDAudio,
    dtDAT,
    dtDigitalVideo,
    dtMMMovie,
    dtOther,
    dtOverlay,
    dtScanner,
    dtSequencer,
    dtVCR,
    dtVideodisc,
    dtWaveAudio
};
enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

using TMPBtnClickEvent = std::function<void(TObject* sender, TMPBtnType button, bool& doDefault)>;
using TMPPostClickEvent = std::function<void(TObject* sender, TMPBtnType button)>;

class TMediaPlayer : public TCustomControl {
    QUORVANE_CLASS(TMediaPlayer)
public:
    explicit TMediaPlayer(TComponent* owner);
    ~TMediaPlayer() override;

    TButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TButtonSet buttons);
    // With AutoEnable, the buttons the device's mode allows (none while
    // closed); otherwise the set given.
    TButtonSet EnabledButtons() const;
    void SetEnabledButtons(TButtonSet buttons);
    TButtonSet ColoredButtons() const { return coloredButtons_; }
    void SetColoredButtons(TButtonSet buttons);
    bool AutoEnable() const { return autoEnable_; }
    void SetAutoEnable(bool value);
    // Open the file when the form has loaded.
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool value) { autoOpen_ = value; }
    // Play from the start once the end was reached.
    bool AutoRewind() const { return autoRewind_; }
    void SetAutoRewind(bool value) { autoRewind_ = value; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    TMPDeviceTypes DeviceType() const { return deviceType_; }
    void SetDeviceType(TMPDeviceTypes type) { deviceType_ = type; }
    // Commands return only when done.
    bool Wait() const { return wait_; }
    void SetWait(bool value) { wait_ = value; }
    // Commands report their end through OnNotify.
    bool Notify() const { return notify_; }
    void SetNotify(bool value) { notify_ = value; }
    // Step and Back move by this many milliseconds (0: a tenth of the length).
    int Frames() const { return frames_; }
    void SetFrames(int value) { frames_ = value; }

    // The open device (0 when closed) and what it reports.
    UINT DeviceID() const { return deviceId_; }
    TMPModes Mode() const;
    int Position() const;
    void SetPosition(int milliseconds);
    int Length() const;
    TMPNotifyValues NotifyValue() const { return notifyValue_; }
    // The last command's error (0 for none) and its text.
    DWORD Error() const { return error_; }
    const std::string& ErrorMessage() const { return errorMessage_; }

    // Each command throws an Exception with the device's message when the
    // device refuses it.
    void Open();
    void Close();
    void Play();
    void Pause();
    void Resume();
    void Stop();
    void Next();
    void Previous();
    void Step();
    void Back();
    void StartRecording();
    void Eject();
    void Save();
    // A button as the user would press it: OnClick, the command, OnPostClick.
    void ClickButton(TMPBtnType button);
    // The visible button at a client x, -1 when none.
    int ButtonAt(int x) const;
    RECT ButtonRect(TMPBtnType button) const;

    void Paint(HDC dc) override;
    void WndProc(TMessage& message) override;

    TMPBtnClickEvent OnClick;
    TMPPostClickEvent OnPostClick;
    TNotifyEvent OnNotify;

protected:
    void Loaded() override;

private:
    DWORD CommandFlags() const;
    void Check(DWORD error);
    DWORD Send(UINT command, DWORD flags, void* parameters);
    void Changed();

    TButtonSet visibleButtons_ = kAllMPButtons;
    TButtonSet enabledButtons_ = kAllMPButtons;
    TButtonSet coloredButtons_ = kAllMPButtons;
    bool autoEnable_ = true;
    bool autoOpen_ = false;
    bool autoRewind_ = true;
    bool wait_ = false;
    bool notify_ = true;
    int frames_ = 0;
    std::string fileName_;
    TMPDeviceTypes deviceType_ = dtAutoSelect;
    UINT deviceId_ = 0;
    bool canRecord_ = false;
    bool canEject_ = false;
    TMPNotifyValues notifyValue_ = nvSuccessful;
    DWORD error_ = 0;
    std::string errorMessage_;
    int pressed_ = -1;
};

}  // namespace quorvane
