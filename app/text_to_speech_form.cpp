#include "app/text_to_speech_form.h"

#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <cstring>
#include <stdexcept>
#include <string>

#include "app/clipboard_copy.h"
#include "app/reader_glyphs.h"
#include "app/reader_texts.h"
#include "app/reader_skin.h"
#include "app/repeat_marker.h"
#include "framework/message_box.h"

namespace quorvane {

bool RepeatArmed = false;
HWND NextClipboardViewer = nullptr;

namespace {

constexpr int kSkipAll = 2147483647;
constexpr UINT kFillMessage = WM_APP + 0x51;  // wParam: fill generation
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);

const WCHAR* Wide(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height,
                  const char* caption)
{
    auto* label = new TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetBounds(left, top, width, height);
    label->SetCaption(caption);
    return label;
}

TButton* MakeButton(TComponent* owner, TWinControl* parent, const char* name, int left, const char* caption,
                    const char* hint)
{
    auto* button = new TButton(owner);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(left, 30, 75, 21);
    button->SetCaption(caption);
    button->SetHint(hint);
    return button;
}

std::u16string ReadRichEdit(HWND richEdit)
{
    GETTEXTLENGTHEX lengthQuery{GTL_DEFAULT | GTL_NUMCHARS, 1200};
    const LRESULT length = SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0) return {};
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;  // UTF-16
    const LRESULT copied = SendMessageW(richEdit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string Decimal(int value)
{
    return std::to_string(value);
}

}  // namespace

std::u16string RichEditParagraphs(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        result += (c == u'\n') ? u'\r' : c;
    }
    return result;
}

const TClassInfo& TfrmTextToSpeech::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TfrmTextToSpeech", &TForm::StaticClass());
    return info;
}

TfrmTextToSpeech::TfrmTextToSpeech(TComponent* owner, ReaderOptions options)
    : TForm(owner), options_(std::move(options)), spVoice_(std::make_unique<TSpVoice>(ckRunningOrNew))
{
    // An exception from a voice event handler ends that handler with the
    // application's error box, as one from any other handler does.
    previousVoiceHandler_ = SetVoiceExceptionHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (...) {
            Application->HandleException(nullptr);
        }
    });
    SetName("frmTextToSpeech");
    markerFiles_ = reader::RepeatMarkerFiles(
        options_.markerDirectory.empty() ? reader::ExecutableDirectory() : options_.markerDirectory,
        options_.userSettingsDirectory.empty() ? reader::UserSettingsDirectory() : options_.userSettingsDirectory);
    BuildControls();
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

TfrmTextToSpeech::~TfrmTextToSpeech()
{
    LeaveClipboardChain();
    SetVoiceExceptionHandler(std::move(previousVoiceHandler_));
}

void TfrmTextToSpeech::BuildControls()
{
    SetCaption(std::string(reader::kFormCaption));
    SetHint(std::string(reader::kFormHint));
    SetShowHint(true);
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsSizeable);
    SetBorderIcons(SetOf({biSystemMenu, biMinimize}));
    SetColor(clBtnFace);
    Font()->SetFontName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetBounds(0, 0, 558, 110);
    SetClientWidth(550);
    SetClientHeight(76);
    // The window's icon, drawn at the sizes the system picks from: large for
    // Alt+Tab and the task bar, small for the caption.
    Icon()->SetHandle(reader::CreateReaderIcon(GetSystemMetrics(SM_CXICON)));

    SkinData1 = new TSkinData(this);
    SkinData1->SetName("SkinData1");
    ApplyReaderSkinDataValues(*SkinData1, reader::StoredSkinPackage());

    ImageList1 = new TImageList(this);
    ImageList1->SetName("ImageList1");
    ImageList1->SetWidth(reader::kGlyphSize);
    ImageList1->SetHeight(reader::kGlyphSize);
    if (HBITMAP strip = reader::CreateGlyphStrip(kGlyphMask, GetSysColor(COLOR_BTNFACE))) {
        ImageList1->AddMasked(strip, static_cast<TColor>(kGlyphMask));
        DeleteObject(strip);
    }

    Label2 = MakeLabel(this, this, "Label2", 6, 10, 36, 13, "引擎：");
    Label2->SetAnchors(SetOf({akTop}));

    cbVoices = new TComboBox(this);
    cbVoices->SetName("cbVoices");
    cbVoices->SetParent(this);
    cbVoices->SetStyle(csDropDownList);
    cbVoices->SetSorted(true);
    cbVoices->SetBounds(47, 5, 183, 21);
    cbVoices->SetHint("语音引擎选择(请情请点[帮助].)");
    cbVoices->SetAnchors(SetOf({akTop}));
    cbVoices->OnChange = [this](TObject* sender) { cbVoicesChange(sender); };

    Label4 = MakeLabel(this, this, "Label4", 228, 9, 36, 13, "速度：");

    tbRate = new TTrackBar(this);
    tbRate->SetName("tbRate");
    tbRate->SetParent(this);
    tbRate->SetBounds(263, 3, 126, 25);
    tbRate->SetRange(-10, 10);
    tbRate->SetFrequency(1);
    tbRate->SetLineSize(1);
    tbRate->SetPageSize(2);
    tbRate->SetTickMarks(tmBottomRight);
    tbRate->SetTickStyle(tsAuto);
    tbRate->SetPosition(0);
    tbRate->OnChange = [this](TObject* sender) { tbRateChange(sender); };

    Label5 = MakeLabel(this, this, "Label5", 399, 8, 36, 13, "音量：");
    Label5->SetAlignment(taCenter);

    tbVolume = new TTrackBar(this);
    tbVolume->SetName("tbVolume");
    tbVolume->SetParent(this);
    tbVolume->SetBounds(431, 3, 111, 24);
    tbVolume->SetRange(0, 100);
    tbVolume->SetLineSize(1);
    tbVolume->SetPageSize(2);
    tbVolume->SetTickStyle(tsNone);
    tbVolume->SetPosition(0);
    tbVolume->OnChange = [this](TObject* sender) { tbVolumeChange(sender); };

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetName("ToolBar1");
    ToolBar1->SetParent(this);
    ToolBar1->SetAlign(alNone);  // a tool bar starts aligned to the top
    ToolBar1->SetEdgeBorders(0);
    ToolBar1->SetAutoSize(true);
    ToolBar1->SetImages(ImageList1);
    ToolBar1->SetBounds(37, 30, 3 * ToolBar1->ButtonWidth(), ToolBar1->ButtonHeight());
    ToolBar1->SetAnchors(SetOf({akTop, akRight}));
    struct ButtonDef {
        TToolButton** field;
        const char* name;
        const char* hint;
        void (TfrmTextToSpeech::*click)(TObject*);
    };
    const ButtonDef buttons[] = {
        {&btnPlay, "btnPlay", "朗读", &TfrmTextToSpeech::btnPlayClick},
        {&btnPause, "btnPause", "暂停", &TfrmTextToSpeech::btnPauseClick},
        {&btnStop, "btnStop", "停止", &TfrmTextToSpeech::btnStopClick},
    };
    int imageIndex = 0;
    for (const ButtonDef& def : buttons) {
        auto* button = new TToolButton(this);
        button->SetName(def.name);
        button->SetParent(ToolBar1);
        button->SetImageIndex(imageIndex++);
        button->SetHint(def.hint);
        button->OnClick = [this, click = def.click](TObject* sender) { (this->*click)(sender); };
        *def.field = button;
    }

    CBChongFu = new TCheckBox(this);
    CBChongFu->SetName("CBChongFu");
    CBChongFu->SetParent(this);
    CBChongFu->SetBounds(119, 33, 97, 17);
    CBChongFu->SetCaption("重复朗读");
    CBChongFu->OnClick = [this](TObject* sender) { CBChongFuClick(sender); };

    BHelp = MakeButton(this, this, "BHelp", 195, "帮助", "软件使用说明");
    BHelp->OnClick = [this](TObject* sender) { BHelpClick(sender); };
    BAbout = MakeButton(this, this, "BAbout", 371, "关于", "关于本软件");
    BAbout->OnClick = [this](TObject* sender) { BAboutClick(sender); };
    BClose = MakeButton(this, this, "BClose", 460, "退出", "退出关闭软件");
    BClose->OnClick = [this](TObject* sender) { BCloseClick(sender); };

    StatusBar1 = new TStatusBar(this);
    StatusBar1->SetName("StatusBar1");
    StatusBar1->SetParent(this);
    StatusBar1->SetBounds(0, 57, 550, 19);
    StatusBar1->SetAlign(alBottom);
    StatusBar1->SetSimplePanel(true);
    StatusBar1->SetSimpleText(reader::StatusBarText());

    // Hidden controls: the text being spoken and the diagnostic displays.
    reText = new TRichEdit(this);
    reText->SetName("reText");
    reText->SetVisible(false);
    reText->SetParent(this);
    reText->SetBounds(8, 120, 530, 120);
    reText->SetScrollBars(ssBoth);
    reText->SetHideSelection(false);
    // No wrapping: the control is never shown, and wrapping a long text at
    // every change costs far more than the text is worth.
    reText->SetWordWrap(false);
    reText->Font()->SetFontName("Verdana");
    reText->Font()->SetHeight(-13);
    reText->Font()->SetCharset(GB2312_CHARSET);
    // The sample lines spoken by play before anything has been copied.
    reText->SetText("A quick brown fox \r\njumps \r\nover \r\nthe lazy dog.\r\nWhat fun for the \r\nfox.\r\n"
                    "What fun for the \r\ndog.");

    lstProgress = new TListBox(this);
    lstProgress->SetName("lstProgress");
    lstProgress->SetVisible(false);
    lstProgress->SetParent(this);
    lstProgress->SetBounds(8, 260, 260, 100);

    lstEngineInfo = new TListBox(this);
    lstEngineInfo->SetName("lstEngineInfo");
    lstEngineInfo->SetVisible(false);
    lstEngineInfo->SetParent(this);
    lstEngineInfo->SetBounds(280, 260, 260, 100);
    lstEngineInfo->SetTabWidth(50);

    memEnginePhonemes = new TMemo(this);
    memEnginePhonemes->SetName("memEnginePhonemes");
    memEnginePhonemes->SetVisible(false);
    memEnginePhonemes->SetParent(this);
    memEnginePhonemes->SetBounds(8, 380, 530, 60);
    memEnginePhonemes->SetReadOnly(true);

    gbAttrs = new TGroupBox(this);
    gbAttrs->SetName("gbAttrs");
    gbAttrs->SetVisible(false);
    gbAttrs->SetParent(this);
    gbAttrs->SetBounds(8, 450, 260, 70);
    gbAttrs->SetCaption(" &Attributes ");
    lblMinSpeed = MakeLabel(this, gbAttrs, "lblMinSpeed", 8, 16, 20, 13, "-10");
    lblMaxSpeed = MakeLabel(this, gbAttrs, "lblMaxSpeed", 220, 16, 20, 13, "10");
    lblRate = MakeLabel(this, gbAttrs, "lblRate", 120, 16, 30, 13, "0");
    lblMinVolume = MakeLabel(this, gbAttrs, "lblMinVolume", 8, 40, 20, 13, "0");
    lblMaxVolume = MakeLabel(this, gbAttrs, "lblMaxVolume", 220, 40, 24, 13, "100");
    lblVolume = MakeLabel(this, gbAttrs, "lblVolume", 120, 40, 30, 13, "0");

    GroupBox1 = new TGroupBox(this);
    GroupBox1->SetName("GroupBox1");
    GroupBox1->SetVisible(false);
    GroupBox1->SetParent(this);
    GroupBox1->SetBounds(280, 450, 260, 50);
    GroupBox1->SetCaption(" VU Meter ");
    lblMinVU = MakeLabel(this, GroupBox1, "lblMinVU", 8, 20, 20, 13, "0");
    lblMaxVU = MakeLabel(this, GroupBox1, "lblMaxVU", 220, 20, 24, 13, "100");
    lblVU = MakeLabel(this, GroupBox1, "lblVU", 120, 20, 30, 13, "0");

    Memo1 = new TMemo(this);
    Memo1->SetName("Memo1");
    Memo1->SetVisible(false);
    Memo1->SetParent(this);
    Memo1->SetBounds(8, 530, 100, 40);

    Label1 = MakeLabel(this, this, "Label1", 8, 245, 60, 13, "&Progress");
    Label6 = MakeLabel(this, this, "Label6", 280, 245, 60, 13, "V&oice info:");
    Label7 = MakeLabel(this, this, "Label7", 8, 105, 60, 13, "Te&xt:");
    Label8 = MakeLabel(this, this, "Label8", 8, 365, 120, 13, "&TTS engine phonemes:");
    for (TLabel* label : {Label1, Label6, Label7, Label8}) label->SetVisible(false);

    // Hints show for every control.
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* control = As<TControl>(Components(i))) control->SetParentShowHint(true);

    // All ten events.
    TSpVoice& voice = *spVoice_;
    voice.OnNotice = [this](TSpVoice*, VoiceCondition condition, bool active, const std::string& text) {
        SpVoiceNotice(condition, active, text);
    };
    voice.OnStartStream = [this](TSpVoice* s, int n, StreamPositionVariant p) { SpVoiceStartStream(s, n, p); };
    voice.OnEndStream = [this](TSpVoice* s, int n, StreamPositionVariant p) { SpVoiceEndStream(s, n, p); };
    voice.OnVoiceChange = [this](TSpVoice* s, int n, StreamPositionVariant p, ISpeechObjectToken* t) {
        SpVoiceVoiceChange(s, n, p, t);
    };
    voice.OnBookmark = [this](TSpVoice* s, int n, StreamPositionVariant p, const std::string& b, int id) {
        SpVoiceBookmark(s, n, p, b, id);
    };
    voice.OnWord = [this](TSpVoice* s, int n, StreamPositionVariant p, int c, int l) { SpVoiceWord(s, n, p, c, l); };
    voice.OnPhoneme = [this](TSpVoice* s, int n, StreamPositionVariant p, int d, std::int16_t next, int f,
                             std::int16_t current) { SpVoicePhoneme(s, n, p, d, next, f, current); };
    voice.OnSentence = [this](TSpVoice* s, int n, StreamPositionVariant p, int c, int l) {
        SpVoiceSentence(s, n, p, c, l);
    };
    voice.OnViseme = [this](TSpVoice* s, int n, StreamPositionVariant p, int d, int next, int f, int current) {
        SpVoiceViseme(s, n, p, d, next, f, current);
    };
    voice.OnAudioLevel = [this](TSpVoice* s, int n, StreamPositionVariant p, int level) {
        SpVoiceAudioLevel(s, n, p, level);
    };
    voice.OnEnginePrivate = [this](TSpVoice* s, int n, int p, std::int64_t data) { SpVoiceEnginePrivate(s, n, p, data); };
}

void TfrmTextToSpeech::BeforeDestruction()
{
    // The window leaves the viewer chain first, while everything its
    // handlers use is still there: a copy notice can reach it while it waits
    // in ChangeClipboardChain. Then the voice goes, so that no voice event
    // reaches the handlers once the controls start to go; from then on the
    // handlers find no voice and do nothing.
    LeaveClipboardChain();
    spVoice_.reset();
    TForm::BeforeDestruction();
}

void TfrmTextToSpeech::Loaded()
{
    TForm::Loaded();
    // The voice connects once the window has loaded; without a speech
    // service this fails and the program does not open its window.
    spVoice_->Connect();
}

// ---------------------------------------------------------------------------
// Start-up and shut-down
// ---------------------------------------------------------------------------

void TfrmTextToSpeech::FormCreate(TObject*)
{
    try {
        Application->Icon()->Assign(*Icon());
        Application->SetTitle(std::string(reader::kApplicationTitle));
        RepeatArmed = false;
        SendMessageW(lstProgress->Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(Width()), 0);

        // reText holds what is spoken; the initial lines as the control stores them.
        HWND richEdit = reText->Handle();
        SendMessageW(richEdit, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
        SendMessageW(richEdit, EM_SETUNDOLIMIT, 0, 0);  // never edited by hand: no undo to keep
        SendMessageW(memEnginePhonemes->Handle(), EM_LIMITTEXT, 0, 0);  // no limit on the trace
        textToSpeak_ = ReadRichEdit(richEdit);
        fillOffset_ = textToSpeak_.size();

        spVoice_->SetEventInterests(SVEAllEvents);
        LogProgress("About to enumerate voices");
        const ISpeechObjectTokens voices = spVoice_->GetVoices("", "");
        for (int i = 0; i < voices.Count(); ++i) {
            ISpeechObjectTokenPtr token = voices.Item(i);
            const std::string name = token->GetDescription(0);
            cbVoices->Items()->AddObject(name, token.Detach());  // the list keeps this reference
        }
        if (cbVoices->Items()->Count() > 0) {
            cbVoices->SetItemIndex(0);
            cbVoicesChange(cbVoices);
        }
        LogProgress("Enumerated voices");
        LogProgress("About to check attributes");
        tbRate->SetPosition(spVoice_->Rate());
        lblRate->SetCaption(Decimal(tbRate->Position()));
        tbVolume->SetPosition(spVoice_->Volume());
        lblVolume->SetCaption(Decimal(tbVolume->Position()));
        LogProgress("Checked attributes");

        // Joining the chain sends WM_DRAWCLIPBOARD at once: text already on
        // the clipboard is spoken.
        inChain_ = true;
        NextClipboardViewer = SetClipboardViewer(Handle());
        CutSpeechShort();

        SetBounds(Screen->Width() - Width(), 0, Width(), Height());

        if (markerFiles_.Exists())
            CBChongFu->SetChecked(true);
        else
            CBChongFu->SetChecked(false);

        if (cbVoices->Items()->Count() >= 4) {
            cbVoices->SetItemIndex(3);
            FillVoiceInfo();
        }
    } catch (...) {
        Application->HandleException(this);
    }
}

void TfrmTextToSpeech::FormDestroy(TObject*)
{
    LeaveClipboardChain();
    TStrings* items = cbVoices->Items();
    for (int i = 0; i < items->Count(); ++i) {
        if (auto* token = static_cast<ISpeechObjectToken*>(items->Objects(i))) {
            items->SetObject(i, nullptr);
            token->Release();
        }
    }
}

void TfrmTextToSpeech::BCloseClick(TObject*)
{
    Close();
}

// ---------------------------------------------------------------------------
// Clipboard
// ---------------------------------------------------------------------------

void TfrmTextToSpeech::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_DRAWCLIPBOARD:
        WmDrawClipboard(message);
        return;
    case WM_CHANGECBCHAIN:
        WmChangeCbChain(message);
        return;
    case WM_DESTROY:
        LeaveClipboardChain();
        break;
    case kFillMessage:
        FillNextChunk(message.wParam);
        return;
    }
    TForm::WndProc(message);
}

void TfrmTextToSpeech::WmDrawClipboard(TMessage& message)
{
    message.result = 0;
    if (NextClipboardViewer) SendMessageW(NextClipboardViewer, WM_DRAWCLIPBOARD, message.wParam, message.lParam);
    if (!spVoice_) return;  // the window is going away
    // Nothing was put on the clipboard since the reader last read it: the
    // same notice again (passed on twice along the chain).
    if (copies_.Unchanged(GetClipboardSequenceNumber())) return;
    if (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_OEMTEXT)) {
        copies_.ForgetContent();
        return;
    }
    // Another program may hold the clipboard open for a moment: a few tries,
    // then the copy is left unread rather than shown as an error over every
    // window (the strip stays on top).
    std::optional<reader::ClipboardCopy> copy = reader::ReadClipboardCopy(Handle());
    if (!copy) {
        LogProgress(std::string(reader::kBusyClipboardLine));
        std::fprintf(stderr, "quorvane: %s\n", reader::kBusyClipboardLine.data());
        return;
    }
    switch (copies_.Classify(*copy, GetTickCount())) {
    case reader::CopyTracker::Verdict::SameCopy:
        return;
    case reader::CopyTracker::Verdict::PrivateCopy:
        // What was being said stops as for any copy; the copy itself is
        // neither kept nor shown nor spoken.
        CutSpeechShort();
        RepeatArmed = false;
        PurgeQueuedSpeech();
        LogProgress(std::string(reader::kPrivateCopySkippedLine));
        return;
    case reader::CopyTracker::Verdict::NewCopy:
        break;
    }
    SetReText(std::move(copy->text));
    CutSpeechShort();
    RepeatArmed = false;
    PurgeQueuedSpeech();
    SpeakText();
    RepeatArmed = true;
}

// The chain is a linked list through the viewers' own handles: when the
// window after us leaves, we link to the one after it; any other change is
// passed along.
void TfrmTextToSpeech::WmChangeCbChain(TMessage& message)
{
    message.result = 0;
    const HWND removed = reinterpret_cast<HWND>(message.wParam);
    const HWND next = reinterpret_cast<HWND>(message.lParam);
    if (removed == NextClipboardViewer)
        NextClipboardViewer = next;
    else if (NextClipboardViewer)
        SendMessageW(NextClipboardViewer, WM_CHANGECBCHAIN, message.wParam, message.lParam);
}

void TfrmTextToSpeech::LeaveClipboardChain()
{
    if (!inChain_) return;
    inChain_ = false;
    if (HandleAllocated()) ChangeClipboardChain(Handle(), NextClipboardViewer);
    NextClipboardViewer = nullptr;
}

// A short text goes into reText at once and is read back as the control
// stores it. A long one (a copy of several megabytes) is given to the
// control in pieces, one per turn of the message loop, so the window keeps
// answering; the text to speak is then the same text with its line breaks
// as the control stores them.
void TfrmTextToSpeech::SetReText(std::u16string text)
{
    HWND richEdit = reText->Handle();
    ++fillGeneration_;
    if (text.size() <= kFillChunk) {
        SendMessageW(richEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text)));
        textToSpeak_ = ReadRichEdit(richEdit);
        fillOffset_ = textToSpeak_.size();
        return;
    }
    textToSpeak_ = RichEditParagraphs(text);
    const std::u16string first = textToSpeak_.substr(0, kFillChunk);
    SendMessageW(richEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(first)));
    fillOffset_ = first.size();
    PostMessageW(Handle(), kFillMessage, fillGeneration_, 0);
}

void TfrmTextToSpeech::FillNextChunk(WPARAM generation)
{
    if (generation != fillGeneration_ || !FillingText() || !reText->HandleAllocated()) return;
    HWND richEdit = reText->Handle();
    const std::u16string piece = textToSpeak_.substr(fillOffset_, kFillChunk);
    // Append at the end, upright, and give the selection back afterwards: the
    // voice's events may have placed it meanwhile.
    CHARRANGE selection{};
    SendMessageW(richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    CHARRANGE end{-1, -1};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2W upright{};
    upright.cbSize = sizeof upright;
    upright.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&upright));
    SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(piece)));
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    fillOffset_ += piece.size();
    if (FillingText()) PostMessageW(Handle(), kFillMessage, generation, 0);
}

// ---------------------------------------------------------------------------
// Play, pause, stop
// ---------------------------------------------------------------------------

void TfrmTextToSpeech::btnPlayClick(TObject*)
{
    if (!spVoice_) return;
    copies_.UserActed();
    if (Paused) {
        spVoice_->Resume();
        Paused = false;
    } else {
        SpeakText();
    }
    RepeatArmed = CBChongFu->Checked();
}

void TfrmTextToSpeech::btnPauseClick(TObject*)
{
    if (!spVoice_) return;
    copies_.UserActed();
    if (!Paused) spVoice_->Pause();
    Paused = true;
}

void TfrmTextToSpeech::btnStopClick(TObject*)
{
    if (!spVoice_) return;
    copies_.UserActed();
    CutSpeechShort();
    RepeatArmed = false;
    PurgeQueuedSpeech();
}

// Skips the rest of the text being spoken. The voice ends that stream a
// little later, when the reader may already have started another text; its
// end must not speak anything again.
void TfrmTextToSpeech::CutSpeechShort()
{
    repeatStream_ = 0;
    spVoice_->Skip("Sentence", kSkipAll);
}

// Ends every text still queued behind the one just cut short (a press of
// play during speech queues one): after stop or a new copy nothing old is
// heard again. A purge with an empty text starts no stream of its own.
void TfrmTextToSpeech::PurgeQueuedSpeech()
{
    repeatStream_ = 0;
    spVoice_->Speak(std::u16string(), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
}

// Speaks reText's text behind whatever is still being spoken.
void TfrmTextToSpeech::SpeakText()
{
    repeatStream_ = spVoice_->Speak(textToSpeak_, SVSFlagsAsync);
}

// ---------------------------------------------------------------------------
// Voice, rate, volume and repeat controls
// ---------------------------------------------------------------------------

void TfrmTextToSpeech::cbVoicesChange(TObject*)
{
    FillVoiceInfo();
}

void TfrmTextToSpeech::FillVoiceInfo()
{
    lstEngineInfo->Items()->Clear();
    const int index = cbVoices->ItemIndex();
    if (!spVoice_) return;
    if (index < 0) return;
    auto* token = static_cast<ISpeechObjectToken*>(cbVoices->Items()->Objects(index));
    if (!token) return;
    spVoice_->SetVoice(token);
    TStrings* info = lstEngineInfo->Items();
    info->Add("Name: " + token->GetAttribute("Name"));
    info->Add("Vendor: " + token->GetAttribute("Vendor"));
    info->Add("Age: " + token->GetAttribute("Age"));
    info->Add("Gender: " + token->GetAttribute("Gender"));
    info->Add("Language: " + token->GetAttribute("Language"));
    info->Add("Reg key: " + token->Id());
}

void TfrmTextToSpeech::tbRateChange(TObject*)
{
    if (!spVoice_) return;
    btnStopClick(btnStop);
    spVoice_->SetRate(tbRate->Position());
    lblRate->SetCaption(Decimal(tbRate->Position()));
}

void TfrmTextToSpeech::tbVolumeChange(TObject*)
{
    if (!spVoice_) return;
    btnStopClick(btnStop);
    spVoice_->SetVolume(tbVolume->Position());
    lblVolume->SetCaption(Decimal(tbVolume->Position()));
}

void TfrmTextToSpeech::CBChongFuClick(TObject*)
{
    if (CBChongFu->Checked()) {
        // The marker's content is the (empty) memo's lines.
        try {
            markerFiles_.Write(Memo1->Lines()->Count() > 0 ? Memo1->Lines()->Text() : std::string());
        } catch (const std::runtime_error& error) {
            // One box per run: the box is checked at every start and at
            // every click, and would otherwise greet the user every time.
            if (!markerErrorShown_) {
                markerErrorShown_ = true;
                throw;
            }
            std::fprintf(stderr, "quorvane: %s\n", error.what());
            return;
        }
        RepeatArmed = true;
    } else {
        RepeatArmed = false;
        markerFiles_.Delete();
    }
}

// ---------------------------------------------------------------------------
// Help and about
// ---------------------------------------------------------------------------

void TfrmTextToSpeech::BHelpClick(TObject*)
{
    ShowMessageBox(Handle(), reader::HelpText(), Application->Title(), MB_OK);
}

void TfrmTextToSpeech::BAboutClick(TObject*)
{
    ShowMessageBox(Handle(), reader::AboutText(), Application->Title(), MB_OK);
}

// ---------------------------------------------------------------------------
// Voice events
// ---------------------------------------------------------------------------

// A lasting condition of the voice (no sound device) is told in the status
// line while it holds, in place of the welcome text, and the welcome text
// comes back when it is over: said once, where the user looks, without a box
// over the strip.
void TfrmTextToSpeech::SpVoiceNotice(VoiceCondition condition, bool active, const std::string& text)
{
    if (active)
        notices_[static_cast<int>(condition)] = text;
    else
        notices_.erase(static_cast<int>(condition));
    std::string line;
    for (const auto& [key, notice] : notices_) line += (line.empty() ? "" : "  ") + notice;
    StatusBar1->SetSimpleText(line.empty() ? reader::StatusBarText() : line);
}

void TfrmTextToSpeech::LogProgress(const std::string& line)
{
    if (!lstProgress) return;
    TStrings* items = lstProgress->Items();
    // The log is never shown; keeping every line of a long repeated reading
    // would only grow the process.
    while (items->Count() >= kProgressLogLimit) items->Delete(0);
    const int index = items->Add(line);
    lstProgress->SetItemIndex(index);
    if (options_.progressSink) options_.progressSink(line);
}

void TfrmTextToSpeech::SelectTextRange(int start, int length)
{
    reText->SetSelStart(start);
    reText->SetSelLength(length);
}

void TfrmTextToSpeech::StyleTextRange(int start, int length, TFontStyles style)
{
    // Update mode: the control does not redraw until the range is styled and
    // the caret is back at its start, on every path out of here.
    struct UpdateMode {
        HWND window;
        explicit UpdateMode(HWND w) : window(w) { SendMessageW(window, WM_SETREDRAW, FALSE, 0); }
        ~UpdateMode()
        {
            SendMessageW(window, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(window, nullptr, TRUE);
        }
    } updating(reText->Handle());
    SelectTextRange(start, length);
    reText->SelAttributes()->SetStyle(style);
    reText->SetSelLength(0);
}

// Appends at the end of the trace instead of setting the whole text again,
// which would cost the length of the trace for every phoneme of a long text.
void TfrmTextToSpeech::AppendPhonemeText(const std::string& text)
{
    HWND memo = memEnginePhonemes->Handle();
    const std::u16string wide = Utf8ToUtf16(text);
    const LRESULT length = GetWindowTextLengthW(memo);
    SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(length), length);
    // Wine's edit control ignores EM_REPLACESEL while it is read-only.
    SendMessageW(memo, EM_SETREADONLY, FALSE, 0);
    SendMessageW(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(wide)));
    SendMessageW(memo, EM_SETREADONLY, TRUE, 0);
}

void TfrmTextToSpeech::SpVoiceStartStream(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition)
{
    FirstSentence = true;
    memEnginePhonemes->SetText("");
    LogProgress(reader::StartStreamLine(streamNumber, Position32(streamPosition)));
}

void TfrmTextToSpeech::SpVoiceEndStream(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition)
{
    LogProgress(reader::EndStreamLine(streamNumber, Position32(streamPosition)));
    SelectTextRange(0, 0);
    StyleTextRange(SentenceStart, SentenceLength, 0);
    // Only the stream started last repeats: the end of a stream that was cut
    // short, or of a text queued before the last one, arrives after the text
    // that followed it was started and would queue that text a second time.
    if (CBChongFu->Checked() && RepeatArmed && streamNumber == repeatStream_ && repeatStream_ != 0)
        SpeakText();
    else
        spVoice_->Skip("Sentence", kSkipAll);
}

void TfrmTextToSpeech::SpVoiceVoiceChange(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition,
                                          ISpeechObjectToken* voiceObjectToken)
{
    const std::string description = voiceObjectToken ? voiceObjectToken->GetDescription() : std::string();
    LogProgress(reader::VoiceChangeLine(streamNumber, Position32(streamPosition), description));
}

void TfrmTextToSpeech::SpVoiceBookmark(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition,
                                       const std::string& bookmark, int bookmarkId)
{
    LogProgress(reader::BookmarkLine(streamNumber, Position32(streamPosition), bookmarkId, bookmark));
}

void TfrmTextToSpeech::SpVoiceWord(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition,
                                   int characterPosition, int length)
{
    LogProgress(reader::WordLine(streamNumber, Position32(streamPosition), characterPosition, length));
    SelectTextRange(characterPosition, length);
}

void TfrmTextToSpeech::SpVoicePhoneme(TSpVoice*, int, StreamPositionVariant, int, std::int16_t, int,
                                      std::int16_t currentPhoneId)
{
    if (currentPhoneId == reader::kSilencePhoneId) return;
    const std::string_view symbol = reader::PhonemeSymbol(currentPhoneId);
    if (symbol.empty()) return;  // a phone of another language's set
    AppendPhonemeText(std::string(symbol) + " ");
}

void TfrmTextToSpeech::SpVoiceSentence(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition,
                                       int characterPosition, int length)
{
    LogProgress(reader::SentenceLine(streamNumber, Position32(streamPosition), characterPosition, length));
    StyleTextRange(SentenceStart, SentenceLength, 0);
    StyleTextRange(characterPosition, length, SetOf({fsItalic}));
    SentenceStart = characterPosition;
    SentenceLength = length;
    if (!FirstSentence) AppendPhonemeText("\r\n");
    FirstSentence = false;
}

void TfrmTextToSpeech::SpVoiceViseme(TSpVoice*, int streamNumber, StreamPositionVariant streamPosition, int, int, int,
                                     int currentVisemeId)
{
    LogProgress(reader::VisemeLine(streamNumber, Position32(streamPosition), currentVisemeId));
}

void TfrmTextToSpeech::SpVoiceAudioLevel(TSpVoice*, int, StreamPositionVariant, int audioLevel)
{
    lblVU->SetCaption(Decimal(audioLevel));
}

void TfrmTextToSpeech::SpVoiceEnginePrivate(TSpVoice*, int streamNumber, int streamPosition, std::int64_t)
{
    LogProgress(reader::EnginePrivateLine(streamNumber, streamPosition));
}

}  // namespace quorvane
