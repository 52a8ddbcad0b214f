// Shared by the reader window tests: a reader on the scripted voice with its
// message boxes answered, clipboard helpers and a message pump.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/text_to_speech_form.h"
#include "framework/message_box.h"
#include "speech/scripted_voice_service.h"
#include "tests/support/gtest.h"

namespace quorvane::testing_support {

// Handles this thread's messages until `done` answers true or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Handles every message that is waiting now (and what they post at once).
void PumpPending();

// Puts UTF-16 text on the clipboard (CF_UNICODETEXT; the platform offers
// CF_TEXT and CF_OEMTEXT from it).
void SetClipboardText(const std::u16string& text);
void SetClipboardBitmap();
void EmptyTheClipboard();

std::u16string TempDirectory(const std::u16string& name);
void RemoveTree(const std::u16string& directory);
long long FileSize(const std::u16string& path);  // -1 when missing
void WriteFileBytes(const std::u16string& path, const std::string& bytes);

std::vector<VoiceInfo> Voices(std::initializer_list<const char*> descriptions);

// Every process GDI and USER object, as GetGuiResources counts them, or
// where the platform does not count them (Wine), by probing the handle
// tables: live GDI objects, and windows, menus and icons/cursors.
struct GuiObjectCount {
    int gdi = 0;
    int user = 0;
    bool probed = false;
};
GuiObjectCount CountGuiObjects();

class ReaderFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the reader on a scripted service with these voices.
    void StartReader(std::vector<VoiceInfo> voices = ScriptedVoiceService::DefaultVoices());
    void StopReader();

    // Copies text and waits until the reader has spoken it.
    void Copy(const std::u16string& text);
    std::vector<std::string> CallsSinceClear() const { return service_->Calls(); }
    std::vector<std::string> LogLines() const;
    std::u16string ReText() const;
    // The voice's events reach the reader through the message loop.
    void Deliver() { PumpPending(); }

    std::shared_ptr<ScriptedVoiceService> service_;
    TfrmTextToSpeech* form_ = nullptr;
    std::u16string markerDirectory_;
    std::u16string userSettingsDirectory_;
    std::vector<MessageBoxRequest> boxes_;
    std::vector<std::string> progress_;
    // For each line of progress_: how many voice calls had been made then.
    std::vector<size_t> callsAtLine_;
    MessageBoxHandler previousBoxes_;
};

}  // namespace quorvane::testing_support
