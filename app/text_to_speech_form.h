// The reader window TfrmTextToSpeech: a narrow always-on-top strip at the top
// right of the screen that joins the clipboard-viewer chain and speaks every
// text copied anywhere on the desktop.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/clipboard_copy.h"
#include "app/repeat_marker.h"
#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/std_controls.h"
#include "skin/data/skin_data.h"
#include "speech/speech_lib_tlb.h"
#include "speech/voice_service.h"

namespace quorvane {

struct ReaderOptions {
    // Folder of the repeat marker "01.ini"; empty: the executable's folder.
    std::u16string markerDirectory;
    // Where the marker goes when that folder cannot be written; empty: the
    // user's application data folder, %APPDATA%\Quorvane.
    std::u16string userSettingsDirectory;
    // Receives every line added to the progress log, as it is added.
    std::function<void(const std::string& line)> progressSink;
};

// Process-wide: when a stream ends the text is spoken again only if this is
// true and the repeat check box is checked.
extern bool RepeatArmed;
// The next window of the clipboard-viewer chain.
extern HWND NextClipboardViewer;

class TfrmTextToSpeech : public TForm {
    QUORVANE_CLASS(TfrmTextToSpeech)
public:
    explicit TfrmTextToSpeech(TComponent* owner, ReaderOptions options = {});
    ~TfrmTextToSpeech() override;

    // ----- visible controls
    TLabel* Label2;
    TComboBox* cbVoices;
    TLabel* Label4;
    TTrackBar* tbRate;
    TLabel* Label5;
    TTrackBar* tbVolume;
    TToolBar* ToolBar1;
    TToolButton* btnPlay;
    TToolButton* btnPause;
    TToolButton* btnStop;
    TCheckBox* CBChongFu;
    TButton* BHelp;
    TButton* BAbout;
    TButton* BClose;
    TStatusBar* StatusBar1;

    // ----- hidden controls
    TRichEdit* reText;
    TListBox* lstProgress;
    TListBox* lstEngineInfo;
    TMemo* memEnginePhonemes;
    TGroupBox* gbAttrs;
    TLabel* lblMinSpeed;
    TLabel* lblMaxSpeed;
    TLabel* lblRate;
    TLabel* lblMinVolume;
    TLabel* lblMaxVolume;
    TLabel* lblVolume;
    TGroupBox* GroupBox1;
    TLabel* lblMinVU;
    TLabel* lblMaxVU;
    TLabel* lblVU;
    TMemo* Memo1;
    TLabel* Label1;
    TLabel* Label6;
    TLabel* Label7;
    TLabel* Label8;

    // ----- non-visual components
    // The voice is not a framework component; the form owns it. Null once
    // the form is being destroyed.
    TSpVoice* SpVoice() const { return spVoice_.get(); }
    // The skin data component that skins this window and every other window
    // of the process; first of the form's components.
    TSkinData* SkinData1;
    TImageList* ImageList1;

    // ----- fields
    bool Paused = false;
    bool FirstSentence = false;
    std::int32_t SentenceStart = 0;
    std::int32_t SentenceLength = 0;

    // ----- handlers
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void BCloseClick(TObject* sender);
    void BHelpClick(TObject* sender);
    void BAboutClick(TObject* sender);
    void btnPlayClick(TObject* sender);
    void btnPauseClick(TObject* sender);
    void btnStopClick(TObject* sender);
    void cbVoicesChange(TObject* sender);
    void tbRateChange(TObject* sender);
    void tbVolumeChange(TObject* sender);
    void CBChongFuClick(TObject* sender);

    // Not a platform voice event: a lasting condition of the voice service.
    void SpVoiceNotice(VoiceCondition condition, bool active, const std::string& text);
    void SpVoiceStartStream(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition);
    void SpVoiceEndStream(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition);
    void SpVoiceVoiceChange(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition,
                            ISpeechObjectToken* voiceObjectToken);
    void SpVoiceBookmark(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition,
                         const std::string& bookmark, int bookmarkId);
    void SpVoiceWord(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition, int characterPosition,
                     int length);
    void SpVoicePhoneme(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition, int duration,
                        std::int16_t nextPhoneId, int feature, std::int16_t currentPhoneId);
    void SpVoiceSentence(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition,
                         int characterPosition, int length);
    void SpVoiceViseme(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition, int duration,
                       int nextVisemeId, int feature, int currentVisemeId);
    void SpVoiceAudioLevel(TSpVoice* sender, int streamNumber, StreamPositionVariant streamPosition, int audioLevel);
    void SpVoiceEnginePrivate(TSpVoice* sender, int streamNumber, int streamPosition, std::int64_t engineData);

    // ----- operations shared by the handlers
    void LogProgress(const std::string& line);
    void FillVoiceInfo();
    void SelectTextRange(int start, int length);
    void StyleTextRange(int start, int length, TFontStyles style);

    // The text reText holds (or is being filled with), in the control's own
    // character positions: the text handed to Speak.
    const std::u16string& TextToSpeak() const { return textToSpeak_; }
    // Whether reText still receives the rest of a long text.
    bool FillingText() const { return fillOffset_ < textToSpeak_.size(); }
    std::u16string MarkerPath() const { return markerFiles_.ProgramPath(); }
    const reader::RepeatMarkerFiles& MarkerFiles() const { return markerFiles_; }

    void WndProc(TMessage& message) override;
    void BeforeDestruction() override;

    // The progress log keeps this many lines, dropping the oldest.
    static constexpr int kProgressLogLimit = 5000;
    // reText receives a long text in pieces of this many characters, one per
    // turn of the message loop.
    static constexpr size_t kFillChunk = 65536;

protected:
    void Loaded() override;

private:
    void BuildControls();
    void WmDrawClipboard(TMessage& message);
    void WmChangeCbChain(TMessage& message);
    void LeaveClipboardChain();
    void CutSpeechShort();
    void PurgeQueuedSpeech();
    void SpeakText();
    void SetReText(std::u16string text);
    void FillNextChunk(WPARAM generation);
    void AppendPhonemeText(const std::string& text);
    int Position32(StreamPositionVariant position) const { return static_cast<std::int32_t>(position); }

    ReaderOptions options_;
    std::unique_ptr<TSpVoice> spVoice_;
    reader::RepeatMarkerFiles markerFiles_;
    // The marker could be written in neither place: said once per run.
    bool markerErrorShown_ = false;
    std::u16string textToSpeak_;
    size_t fillOffset_ = 0;
    WPARAM fillGeneration_ = 0;
    bool inChain_ = false;
    // Tells a new copy from the same one announced again and remembers the
    // last private copy by its hash.
    reader::CopyTracker copies_;
    // Conditions of the voice in force, shown in the status line.
    std::map<int, std::string> notices_;
    // The stream of the reader's latest Speak, the only one whose end may
    // speak the text again; 0 once speech has been cut short.
    int repeatStream_ = 0;
    VoiceExceptionHandler previousVoiceHandler_;
};

// Normalises line breaks the way the rich edit stores them: "\r\n" and a
// lone "\n" become "\r", so character positions of the voice's events match
// the control's.
std::u16string RichEditParagraphs(std::u16string_view text);

}  // namespace quorvane
