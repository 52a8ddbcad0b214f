// The reader window on the scripted voice: start-up, the clipboard, play,
// pause and stop, the repeat rule, the settings controls, the voice events
// and the help and about boxes.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/reader_program.h"
#include "app/reader_texts.h"
#include "app/repeat_marker.h"
#include "skin/data/skin_data.h"
#include "skin/form/skin_messages.h"
#include "skin/data/skin_elements.h"
#include "skin/data/bitmap_utils.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"
#include "tests/app/reader_test_support.h"
#include "tests/support/readability.h"

namespace quorvane::testing_support {
namespace {

using Calls = std::vector<std::string>;

constexpr const char* kSkipAll = "Skip(\"Sentence\", 2147483647) -> 0";

bool Contains(const Calls& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

int CountOf(const Calls& calls, const std::string& prefix)
{
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

CHARRANGE Selection(HWND richEdit)
{
    CHARRANGE range{};
    SendMessageW(richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

// Italic state of a range: 1 all italic, 0 none, -1 mixed. Moves the selection.
int Italic(HWND richEdit, int start, int end)
{
    CHARRANGE range{start, end};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    if (!(format.dwMask & CFM_ITALIC)) return -1;
    return (format.dwEffects & CFE_ITALIC) ? 1 : 0;
}

// A key pressed on a control, as the user would (the platform moves a track
// bar and tells its parent).
void PressKey(HWND window, WPARAM key)
{
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
    PumpPending();
}

class ReaderWindow : public ReaderFixture {};

// ----- start-up ---------------------------------------------------------------

TEST_F(ReaderWindow, StartUpPicksTheFourthVoiceInSortedOrderOnlyWithFourOrMore)
{
    struct Case {
        std::vector<const char*> descriptions;
        int expectedIndex;
        const char* expectedVoice;  // current voice's description; null: none set
    };
    const Case cases[] = {
        {{}, -1, nullptr},
        {{"Zulu"}, 0, "Zulu"},
        {{"Zulu", "Alpha", "Mike"}, 0, "Alpha"},
        {{"Zulu", "Alpha", "Mike", "Echo"}, 3, "Zulu"},
        {{"Zulu", "Alpha", "Mike", "Echo", "Bravo"}, 3, "Mike"},
    };
    for (const Case& c : cases) {
        std::vector<VoiceInfo> voices;
        for (const char* d : c.descriptions) voices.push_back(Voices({d})[0]);
        for (size_t i = 0; i < voices.size(); ++i) voices[i].id += std::to_string(i);
        StartReader(voices);
        SCOPED_TRACE(std::to_string(c.descriptions.size()) + " voices");
        EXPECT_EQ(form_->cbVoices->Items()->Count(), static_cast<int>(c.descriptions.size()));
        EXPECT_EQ(form_->cbVoices->ItemIndex(), c.expectedIndex);
        const Calls calls = service_->Calls();
        if (c.expectedVoice) {
            EXPECT_EQ(service_->Voice().description, c.expectedVoice);
            EXPECT_EQ(form_->cbVoices->Text(), c.expectedVoice);
            ASSERT_EQ(form_->lstEngineInfo->Items()->Count(), 6);
            EXPECT_EQ(form_->lstEngineInfo->Items()->Get(0), std::string("Name: ") + c.expectedVoice);
            EXPECT_EQ(form_->lstEngineInfo->Items()->Get(1), "Vendor: Test");
            EXPECT_EQ(form_->lstEngineInfo->Items()->Get(5).rfind("Reg key: HKEY_LOCAL_MACHINE", 0), 0u);
        } else {
            EXPECT_EQ(CountOf(calls, "SetVoice("), 0);
            EXPECT_EQ(form_->lstEngineInfo->Items()->Count(), 0);
        }
        // The sorted list is alphabetical whatever order the voices came in.
        for (int i = 1; i < form_->cbVoices->Items()->Count(); ++i)
            EXPECT_LT(form_->cbVoices->Items()->Get(i - 1), form_->cbVoices->Items()->Get(i));
        StopReader();
    }
}

TEST_F(ReaderWindow, StartUpRunsItsStepsInOrder)
{
    Application->SetTitle("Not the reader's title");
    SetClipboardText(u"On the clipboard.");
    StartReader();
    // Every voice call of the start-up, in order: connecting; the event
    // interests; the voices and the first one made current; rate and volume,
    // where the volume bar's move from 0 stops speech and sets the volume
    // again; joining the clipboard chain, which speaks the clipboard's text;
    // the skip that cuts it short; the fourth voice made current; and the
    // skip of the cut stream's end handler. Stopping (the volume bar) and a
    // copy also purge whatever is still queued behind the sounding text.
    const std::string skip = kSkipAll;
    const std::string tokens = "SetVoice(\"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Quorvane\\\\Voices\\\\Tokens\\\\Scripted_";
    const Calls expected = {
        "SetEventInterests(33278)",
        "SetEventInterests(33790)",
        "Voices()",
        tokens + "en-us\")",
        "Rate()",
        "Volume()",
        skip,
        "Purge()",
        "SetVolume(100)",
        skip,
        "Purge()",
        "Speak(\"On the clipboard.\", 1) -> 1",
        skip,
        tokens + "cmn\")",
        skip,
    };
    EXPECT_EQ(service_->Calls(), expected);
    EXPECT_EQ(service_->LastSkipEndingStream(), 1) << "the last skip is the end handler's";

    // The log lines fall between those calls.
    const std::vector<std::string> expectedLog = {"About to enumerate voices", "Enumerated voices",
                                                  "About to check attributes", "Checked attributes"};
    const std::vector<size_t> expectedCallsAtLine = {2, 4, 4, 9};
    const std::vector<std::string> log = LogLines();
    ASSERT_GE(log.size(), expectedLog.size());
    EXPECT_TRUE(std::equal(expectedLog.begin(), expectedLog.end(), log.begin()));
    ASSERT_GE(callsAtLine_.size(), expectedCallsAtLine.size());
    EXPECT_TRUE(std::equal(expectedCallsAtLine.begin(), expectedCallsAtLine.end(), callsAtLine_.begin()));
    EXPECT_EQ(progress_, log) << "the mirror sees every line";

    // Scripted volume is 100: the bar moved from 0, which stops speech and sets it again.
    EXPECT_EQ(form_->tbVolume->Position(), 100);
    EXPECT_EQ(form_->lblVolume->Caption(), "100");
    EXPECT_EQ(form_->tbRate->Position(), 0);
    EXPECT_EQ(Application->Title(), "Quorvane");
    EXPECT_EQ(form_->Caption(), "Quorvane[选中要朗读的文字，按Ctrl+C键或复制菜单项]");
    EXPECT_EQ(ReText(), u"On the clipboard.");
    EXPECT_EQ(form_->cbVoices->ItemIndex(), 3);
}

TEST_F(ReaderWindow, StartUpWithAnEmptyClipboardSpeaksNothingAndLeavesRepeatDisarmed)
{
    RepeatArmed = true;
    StartReader();
    EXPECT_EQ(CountOf(service_->Calls(), "Speak("), 0);
    EXPECT_FALSE(RepeatArmed);
}

// ----- no voice service -------------------------------------------------------

// The voice service cannot start, as on a machine without one.
class NoVoiceService {
public:
    NoVoiceService()
    {
        RegisterRunningVoiceService(nullptr);
        previous_ = SetVoiceServiceFactory([]() -> std::shared_ptr<VoiceService> {
            throw EOleException("No espeak-ng voice is installed");
        });
    }
    ~NoVoiceService() { SetVoiceServiceFactory(std::move(previous_)); }

private:
    VoiceServiceFactory previous_;
};

TEST_F(ReaderWindow, WithoutAVoiceServiceTheWindowIsFreedUnopenedWithItsComponents)
{
    NoVoiceService none;
    ReaderOptions options;
    options.markerDirectory = markerDirectory_;
    options.progressSink = [this](const std::string& line) { progress_.push_back(line); };
    auto createReader = [&] {
        try {
            Application->CreateForm<TfrmTextToSpeech>(options);
            ADD_FAILURE() << "the window was created";
            Application->DestroyForms();
        } catch (const EOleException& e) {
            EXPECT_STREQ(e.what(), "No espeak-ng voice is installed");
        }
    };
    createReader();  // what the first form of a process sets up for good
    const int forms = Screen->FormCount();
    const GuiObjectCount before = CountGuiObjects();
    createReader();
    const GuiObjectCount after = CountGuiObjects();
    EXPECT_EQ(Screen->FormCount(), forms);
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(FindWindowW(L"TfrmTextToSpeech", nullptr), nullptr);
    EXPECT_EQ(after.gdi, before.gdi) << "the skin data and the controls were not freed";
    EXPECT_EQ(after.user, before.user);
    EXPECT_TRUE(boxes_.empty()) << "whoever creates the window reports the error";
    EXPECT_TRUE(progress_.empty()) << "the start-up sequence ran";
}

void CALLBACK CloseMainForm(HWND, UINT, UINT_PTR, DWORD)
{
    if (TForm* form = Application->MainForm()) form->Close();
}

TEST_F(ReaderWindow, WithoutAVoiceServiceTheProgramReportsOnceAndEndsBeforeItsWindowOpens)
{
    NoVoiceService none;
    ReaderOptions options;
    options.markerDirectory = markerDirectory_;
    // Should the window open after all, it closes so that the test ends.
    const UINT_PTR timer = SetTimer(nullptr, 0, 3000, CloseMainForm);
    const int exitCode = RunReaderProgram(options);
    KillTimer(nullptr, timer);
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "No espeak-ng voice is installed.");
    EXPECT_EQ(boxes_[0].caption, "Quorvane");
    EXPECT_EQ(boxes_[0].flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONSTOP | MB_OK));
}

TEST_F(ReaderWindow, WindowSitsAtTheTopRightOfThePrimaryScreen)
{
    StartReader();
    RECT rect{};
    GetWindowRect(form_->Handle(), &rect);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    RECT client{};
    GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, 550);
    EXPECT_EQ(client.bottom, 76);
    EXPECT_TRUE(GetWindowLongW(form_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    const LONG style = GetWindowLongW(form_->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
}

TEST_F(ReaderWindow, SkinDataCarriesTheStoredSkinAndTheReaderSettings)
{
    StartReader();
    TSkinData* skin = form_->SkinData1;
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->Name(), "SkinData1");
    EXPECT_EQ(form_->Components(0), static_cast<TComponent*>(skin));
    EXPECT_FALSE(skin->NotLoaded());
    EXPECT_TRUE(skin->Active());
    EXPECT_EQ(skin->DisableTag(), 99);
    EXPECT_EQ(skin->SkinFormtype(), sfMainform);
    EXPECT_EQ(skin->Skin3rd().size(), 95u);
    EXPECT_GT(skin->Package().Size(), 1000u);
}

TEST_F(ReaderWindow, ResizingKeepsTheToolBarOnTheRightAndTheVoiceListCentred)
{
    StartReader();
    const int toolBarRight = form_->ClientWidth() - form_->ToolBar1->Left();
    const double voicesCentre =
        (form_->cbVoices->Left() + form_->cbVoices->Width() / 2.0) / form_->ClientWidth();
    const int checkBoxLeft = form_->CBChongFu->Left();
    form_->SetBounds(form_->Left() - 200, form_->Top(), form_->Width() + 200, form_->Height() + 20);
    PumpPending();
    EXPECT_EQ(form_->ClientWidth() - form_->ToolBar1->Left(), toolBarRight);
    EXPECT_NEAR((form_->cbVoices->Left() + form_->cbVoices->Width() / 2.0) / form_->ClientWidth(), voicesCentre, 0.01);
    EXPECT_EQ(form_->CBChongFu->Left(), checkBoxLeft);
    EXPECT_EQ(form_->StatusBar1->Width(), form_->ClientWidth());
    EXPECT_EQ(form_->StatusBar1->Top() + form_->StatusBar1->Height(), form_->ClientHeight());
}

TEST_F(ReaderWindow, TextAlreadyOnTheClipboardIsSpokenWhenTheWindowJoinsTheChain)
{
    SetClipboardText(u"Already there.");
    StartReader();
    const Calls calls = service_->Calls();
    EXPECT_TRUE(Contains(calls, "Speak(\"Already there.\", 1) -> 1"));
    EXPECT_EQ(ReText(), u"Already there.");
}

// ----- clipboard, play, pause, stop and RepeatArmed ---------------------------

TEST_F(ReaderWindow, RepeatArmedFollowsItsTableRowByRow)
{
    StartReader();
    EXPECT_FALSE(RepeatArmed) << "start-up";

    // Clipboard change with text: false before Speak, true after it returned.
    RepeatArmed = true;
    service_->FailNext("Speak", "Speak failed");
    SetClipboardText(u"First text.");
    ASSERT_TRUE(PumpUntil([&] { return !boxes_.empty(); }));
    EXPECT_FALSE(RepeatArmed) << "a failing Speak leaves it cleared";
    EXPECT_EQ(boxes_.back().text, "Speak failed.");
    Copy(u"Second text.");
    EXPECT_TRUE(RepeatArmed) << "after Speak returned";

    struct Row {
        const char* action;
        bool checkBox;
        bool expected;
    };
    const Row rows[] = {
        {"play", false, false}, {"play", true, true},   {"stop", true, false},
        {"check", true, true},  {"uncheck", false, false}, {"play", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        RepeatArmed = !row.expected;
        const std::string action = row.action;
        if (action == "play") {
            if (form_->CBChongFu->Checked() != row.checkBox) form_->CBChongFu->SetChecked(row.checkBox);
            RepeatArmed = !row.expected;
            form_->btnPlay->Click();
        } else if (action == "stop") {
            form_->btnStop->Click();
        } else if (action == "check") {
            form_->CBChongFu->SetChecked(false);
            RepeatArmed = false;
            form_->CBChongFu->SetChecked(true);
        } else {
            form_->CBChongFu->SetChecked(true);
            RepeatArmed = true;
            form_->CBChongFu->SetChecked(false);
        }
        EXPECT_EQ(RepeatArmed, row.expected);
    }
}

TEST_F(ReaderWindow, CopyReplacesTheTextCutsSpeechShortAndSpeaksIt)
{
    StartReader();
    service_->ClearCalls();
    Copy(u"Hello 世界.\r\nSecond line.");
    const Calls calls = service_->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], kSkipAll);
    EXPECT_EQ(calls[1], "Purge()");
    EXPECT_EQ(calls[2].rfind("Speak(\"Hello 世界.\\rSecond line.\", 1)", 0), 0u) << calls[2];
    EXPECT_EQ(ReText(), u"Hello 世界.\rSecond line.");
}

TEST_F(ReaderWindow, CopiedPictureChangesNothing)
{
    StartReader();
    Copy(u"Kept text.");
    service_->ClearCalls();
    SetClipboardBitmap();
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(service_->Calls().empty());
    EXPECT_EQ(ReText(), u"Kept text.");
}

TEST_F(ReaderWindow, PlayWithNothingCopiedSpeaksTheSampleLinesAndQueuesAgainOnSecondPress)
{
    StartReader();
    service_->ClearCalls();
    form_->btnPlay->Click();
    form_->btnPlay->Click();
    const Calls calls = service_->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].rfind("Speak(\"A quick brown fox \\rjumps \\rover \\rthe lazy dog.\\rWhat fun for the "
                             "\\rfox.\\rWhat fun for the \\rdog.",
                             0),
              0u)
        << calls[0];
    EXPECT_EQ(calls[0].substr(0, calls[0].find(" -> ")), calls[1].substr(0, calls[1].find(" -> ")));
}

TEST_F(ReaderWindow, PauseThenCopyQueuesTheTextSilentlyUntilPlay)
{
    StartReader();
    service_->ClearCalls();
    form_->btnPause->Click();
    form_->btnPause->Click();
    EXPECT_TRUE(form_->Paused);
    Copy(u"Quiet text.");
    EXPECT_EQ(ReText(), u"Quiet text.");
    EXPECT_TRUE(service_->IsPaused());
    EXPECT_TRUE(form_->Paused);
    form_->btnPlay->Click();
    EXPECT_FALSE(form_->Paused);
    EXPECT_FALSE(service_->IsPaused());
    const Calls calls = service_->Calls();
    EXPECT_EQ(CountOf(calls, "Pause()"), 1) << "a second pause changes nothing";
    EXPECT_EQ(CountOf(calls, "Resume()"), 1);
    EXPECT_EQ(CountOf(calls, "Speak("), 1) << "play resumes instead of speaking again";
}

TEST_F(ReaderWindow, StopWithRepeatOnEndsTheRepetition)
{
    StartReader();
    form_->CBChongFu->SetChecked(true);
    Copy(u"Again and again.");
    EXPECT_TRUE(RepeatArmed);
    const int stream = service_->LastStreamNumber();
    service_->ClearCalls();
    form_->btnStop->Click();
    EXPECT_FALSE(RepeatArmed);
    Deliver();  // the cut stream's end
    EXPECT_EQ(service_->LastSkipEndingStream(), stream);
    Calls calls = service_->Calls();
    EXPECT_EQ(CountOf(calls, "Speak("), 0);
    EXPECT_EQ(CountOf(calls, "Skip("), 2) << "stop's skip and the end of stream's";
    // The next play re-arms only because the box is still checked.
    form_->btnPlay->Click();
    EXPECT_TRUE(RepeatArmed);
}

TEST_F(ReaderWindow, EndOfStreamSpeaksAgainOnlyWhenCheckedAndArmed)
{
    StartReader();
    Copy(u"Round and round.");
    service_->ClearCalls();
    service_->RaiseEndStream(service_->LastStreamNumber(), 10);
    Deliver();
    EXPECT_EQ(service_->Calls(), Calls{kSkipAll}) << "repeat off: skip, nothing again";

    form_->CBChongFu->SetChecked(true);
    service_->ClearCalls();
    service_->RaiseEndStream(service_->LastStreamNumber(), 10);
    Deliver();
    Calls calls = service_->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("Speak(\"Round and round.\", 1)", 0), 0u) << calls[0];
}

// The voice queues texts and ends a cut stream a little later, after the
// reader has already started the text that replaced it. Only the text
// started last may repeat; the end of a cut stream queues nothing.
TEST_F(ReaderWindow, CopyDuringSpeechWithRepeatOnQueuesTheNewTextOnceAndStopEndsIt)
{
    StartReader();
    form_->CBChongFu->SetChecked(true);
    Copy(u"First text.");
    Copy(u"Second text.");
    Deliver();
    const int second = service_->LastStreamNumber();
    EXPECT_EQ(service_->QueuedStreams(), std::vector<int>{second}) << "the new text is queued once";
    EXPECT_EQ(CountOf(service_->Calls(), "Speak(\"Second text.\""), 1);

    form_->btnStop->Click();
    Deliver();
    EXPECT_TRUE(service_->QueuedStreams().empty()) << "stop left something to play";
    EXPECT_EQ(CountOf(service_->Calls(), "Speak(\"Second text.\""), 1);
}

TEST_F(ReaderWindow, StopWhilePausedLeavesNothingToHearOnPlay)
{
    StartReader();
    form_->CBChongFu->SetChecked(true);
    Copy(u"Paused text.");
    Copy(u"Copied while speaking.");
    form_->btnPause->Click();
    Deliver();
    form_->btnStop->Click();
    Deliver();
    EXPECT_TRUE(service_->QueuedStreams().empty());
    form_->btnPlay->Click();  // resumes; nothing is waiting
    Deliver();
    EXPECT_FALSE(service_->IsPaused());
    EXPECT_TRUE(service_->QueuedStreams().empty());
    EXPECT_EQ(CountOf(service_->Calls(), "Speak("), 2);
}

TEST_F(ReaderWindow, RepeatReadingQueuesTheTextOnceAfterEachNaturalEnd)
{
    StartReader();
    form_->CBChongFu->SetChecked(true);
    Copy(u"Round again.");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const int ended = service_->FinishStream();
        Deliver();
        ASSERT_EQ(service_->QueuedStreams().size(), 1u);
        EXPECT_GT(service_->QueuedStreams()[0], ended);
        EXPECT_EQ(service_->LastSpokenText(), u"Round again.");
    }
    // Play during speech queues the text behind the sounding one: that one
    // ends without repeating, the one queued last repeats.
    form_->btnPlay->Click();
    ASSERT_EQ(service_->QueuedStreams().size(), 2u);
    const int queued = service_->QueuedStreams()[1];
    service_->FinishStream();
    Deliver();
    EXPECT_EQ(service_->QueuedStreams(), std::vector<int>{queued});
    service_->FinishStream();
    Deliver();
    ASSERT_EQ(service_->QueuedStreams().size(), 1u);
    EXPECT_GT(service_->QueuedStreams()[0], queued);
}

TEST_F(ReaderWindow, TextCutShortAtStartUpIsNotRepeated)
{
    WriteFileBytes(markerDirectory_ + u"\\01.ini", "");
    SetClipboardText(u"On the clipboard before the start.");
    StartReader();
    Deliver();
    EXPECT_TRUE(form_->CBChongFu->Checked());
    EXPECT_EQ(CountOf(service_->Calls(), "Speak("), 1);
    EXPECT_TRUE(service_->QueuedStreams().empty());
}

// ----- rate, volume, repeat box ---------------------------------------------

TEST_F(ReaderWindow, RateAndVolumeBarsStopSpeechAndSkipUnchangedPositions)
{
    StartReader();
    struct Case {
        TTrackBar* bar;
        TLabel* label;
        const char* setter;
    };
    const Case cases[] = {{form_->tbRate, form_->lblRate, "SetRate("},
                          {form_->tbVolume, form_->lblVolume, "SetVolume("}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setter);
        RepeatArmed = true;
        service_->ClearCalls();
        const int start = c.bar->Position();
        PressKey(c.bar->Handle(), VK_LEFT);  // a user's step
        const int moved = c.bar->Position();
        ASSERT_NE(moved, start);
        EXPECT_EQ(service_->Calls(), (Calls{kSkipAll, "Purge()", c.setter + std::to_string(moved) + ")"}));
        EXPECT_EQ(c.label->Caption(), std::to_string(moved));
        EXPECT_FALSE(RepeatArmed);
        service_->ClearCalls();
        c.bar->SetPosition(moved);
        EXPECT_TRUE(service_->Calls().empty()) << "same position: no change handling";
    }
}

TEST_F(ReaderWindow, RepeatMarkerIsCreatedEmptyRewrittenEmptyAndDeleted)
{
    const std::u16string marker = markerDirectory_ + u"\\01.ini";
    StartReader();
    EXPECT_FALSE(form_->CBChongFu->Checked());
    EXPECT_EQ(FileSize(marker), -1) << "no marker: none is created";
    form_->CBChongFu->SetChecked(true);
    EXPECT_EQ(FileSize(marker), 0);
    EXPECT_TRUE(RepeatArmed);
    StopReader();

    WriteFileBytes(marker, "old content");
    StartReader();
    EXPECT_TRUE(form_->CBChongFu->Checked());
    EXPECT_TRUE(RepeatArmed);
    EXPECT_EQ(FileSize(marker), 0) << "rewritten empty";
    form_->CBChongFu->SetChecked(false);
    EXPECT_EQ(FileSize(marker), -1);
    EXPECT_FALSE(RepeatArmed);
    form_->CBChongFu->SetChecked(true);
    form_->CBChongFu->SetChecked(false);
    form_->CBChongFu->SetChecked(false);  // nothing to delete: only disarms
    EXPECT_EQ(FileSize(marker), -1);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ReaderWindow, UnwritableMarkerShowsCannotCreateFileAndKeepsTheBoxChecked)
{
    StartReader();
    // A folder where the marker should be makes the file impossible to
    // create, beside the program and in the user's folder alike.
    const std::u16string marker = markerDirectory_ + u"\\01.ini";
    const std::u16string userMarker = userSettingsDirectory_ + u"\\01.ini";
    CreateDirectoryW(reinterpret_cast<const WCHAR*>(marker.c_str()), nullptr);
    CreateDirectoryW(reinterpret_cast<const WCHAR*>(userMarker.c_str()), nullptr);
    RepeatArmed = false;
    SendMessageW(form_->CBChongFu->Handle(), BM_CLICK, 0, 0);  // the user's click
    PumpPending();
    EXPECT_TRUE(form_->CBChongFu->Checked());
    EXPECT_FALSE(RepeatArmed) << "keeps its previous value";
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Cannot create file " + Utf16ToUtf8(marker) + ".");
    EXPECT_EQ(boxes_[0].caption, "Quorvane");
    EXPECT_EQ(boxes_[0].flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONSTOP | MB_OK));
    // Further ticks say nothing more: one box per run.
    for (int tick = 0; tick < 4; ++tick) SendMessageW(form_->CBChongFu->Handle(), BM_CLICK, 0, 0);
    PumpPending();
    EXPECT_TRUE(form_->CBChongFu->Checked());
    EXPECT_EQ(boxes_.size(), 1u);
    RemoveDirectoryW(reinterpret_cast<const WCHAR*>(marker.c_str()));
    RemoveDirectoryW(reinterpret_cast<const WCHAR*>(userMarker.c_str()));
}

TEST_F(ReaderWindow, FailingVoiceCallEndsTheHandlerWithTheErrorBox)
{
    StartReader();
    service_->FailNext("SetRate", "The rate cannot be set");
    PressKey(form_->tbRate->Handle(), VK_RIGHT);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "The rate cannot be set.");
    EXPECT_EQ(boxes_[0].caption, "Quorvane");
    EXPECT_EQ(boxes_[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(form_->lblRate->Caption(), "0") << "the steps after the failing call did not run";

    // An event handler's failure takes the same way.
    form_->CBChongFu->SetChecked(true);
    Copy(u"Repeat me.");
    service_->FailNext("Speak", "No more speech");
    service_->RaiseEndStream(service_->LastStreamNumber(), 0);
    Deliver();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, "No more speech.");
    EXPECT_TRUE(IsWindow(form_->Handle())) << "the program carries on";
}

// ----- voice events ---------------------------------------------------------

TEST_F(ReaderWindow, EveryEventWritesItsLogLine)
{
    StartReader();
    Copy(u"Log me.");
    const int s = service_->LastStreamNumber();
    VoiceInfo mandarin = ScriptedVoiceService::DefaultVoices()[3];
    service_->RaiseStartStream(s, 0);
    service_->RaiseVoiceChange(s, 2, mandarin);
    service_->RaiseBookmark(s, 4, "here", 9);
    service_->RaiseSentence(s, 6, 0, 7);
    service_->RaiseWord(s, 8, 0, 3);
    service_->RaisePhoneme(s, 10, 100, 12, 0, 31);
    service_->RaiseViseme(s, 12, 100, 3, 0, 14);
    service_->RaiseAudioLevel(s, 14, 42);
    service_->RaiseEnginePrivate(s, 16, 77);
    service_->RaiseEndStream(s, 5000000000LL);  // wider than 32 bits: read as a 32-bit integer
    Deliver();
    const std::string n = std::to_string(s);
    const std::vector<std::string> expected = {
        "OnStartStream: stream " + n + ", position: 0",
        "OnVoiceChange: stream " + n + ", position: 2, voice: " + mandarin.description,
        "OnBookmark: stream " + n + ", position 4, bookmark id 9, bookmark: here",
        "OnSentence: stream " + n + ", position: 6, char. pos. 0, length 7",
        "OnWord: stream " + n + ", position: 8, char. pos. 0, length 3",
        "OnViseme: stream " + n + ", position: 12, viseme 14",
        "OnEnginePrivate: stream " + n + ", position: 16",
        "OnEndStream: stream " + n + ", position: " + std::to_string(static_cast<int>(5000000000LL - 4294967296LL)),
    };
    std::vector<std::string> log = LogLines();
    ASSERT_GE(log.size(), expected.size());
    log.erase(log.begin(), log.end() - static_cast<long>(expected.size()));
    EXPECT_EQ(log, expected);
    EXPECT_EQ(form_->lblVU->Caption(), "42");
    EXPECT_EQ(form_->memEnginePhonemes->Text(), "l ");
    EXPECT_EQ(form_->lstProgress->ItemIndex(), form_->lstProgress->Items()->Count() - 1) << "newest selected";
}

TEST_F(ReaderWindow, WordIsSelectedSentenceItalicAndEndClearsBoth)
{
    StartReader();
    Copy(u"Hello world. Second one.");
    HWND richEdit = form_->reText->Handle();
    const int s = service_->LastStreamNumber();
    service_->RaiseStartStream(s);
    service_->RaiseSentence(s, 0, 0, 12);
    service_->RaiseWord(s, 0, 6, 5);
    Deliver();
    CHARRANGE selection = Selection(richEdit);
    EXPECT_EQ(selection.cpMin, 6);
    EXPECT_EQ(selection.cpMax, 11);
    EXPECT_EQ(Italic(richEdit, 0, 12), 1);
    EXPECT_EQ(Italic(richEdit, 12, 24), 0);

    service_->RaiseSentence(s, 0, 13, 11);
    Deliver();
    EXPECT_EQ(Italic(richEdit, 0, 13), 0) << "the previous sentence is upright again";
    EXPECT_EQ(Italic(richEdit, 13, 24), 1);
    EXPECT_EQ(form_->SentenceStart, 13);
    EXPECT_EQ(form_->SentenceLength, 11);

    service_->RaiseEndStream(s);
    Deliver();
    // Nothing selected and nothing italic; setting the last sentence upright
    // leaves the caret at its start.
    selection = Selection(richEdit);
    EXPECT_EQ(selection.cpMin, 13);
    EXPECT_EQ(selection.cpMax, 13);
    EXPECT_EQ(Italic(richEdit, 0, 24), 0);

    // A stream that ends before its first sentence sets the old range upright.
    service_->RaiseStartStream(s + 1);
    service_->RaiseEndStream(s + 1);
    Deliver();
    EXPECT_EQ(form_->SentenceStart, 13);
    EXPECT_EQ(Italic(richEdit, 0, 24), 0);
}

TEST_F(ReaderWindow, TwoSentencesGiveATwoLinePhonemeTraceWithoutSilence)
{
    StartReader();
    Copy(u"Hi. Low.");
    const int s = service_->LastStreamNumber();
    service_->RaiseStartStream(s);
    service_->RaiseSentence(s, 0, 0, 3);
    service_->RaisePhoneme(s, 0, 10, 16, 0, 26);  // h
    service_->RaisePhoneme(s, 0, 10, 7, 0, 16);   // ay
    service_->RaisePhoneme(s, 0, 10, 31, 0, 7);   // silence
    service_->RaiseSentence(s, 0, 4, 4);
    service_->RaisePhoneme(s, 0, 10, 35, 0, 31);  // l
    service_->RaisePhoneme(s, 0, 10, 0, 0, 35);   // ow
    service_->RaisePhoneme(s, 0, 10, 0, 0, 120);  // outside the set: no symbol
    Deliver();
    EXPECT_EQ(form_->memEnginePhonemes->Text(), "h ay \r\nl ow ");
    EXPECT_EQ(form_->memEnginePhonemes->Lines()->Count(), 2);
    service_->RaiseStartStream(s + 1);
    Deliver();
    EXPECT_EQ(form_->memEnginePhonemes->Text(), "") << "a new stream empties the trace";
}

// ----- help and about -------------------------------------------------------

TEST_F(ReaderWindow, HelpAndAboutShowTheirTextsToTheCharacter)
{
    StartReader();
    form_->BHelp->Click();
    form_->BAbout->Click();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text,
              "★软件使用帮助：\r\r"
              "◇ 1.本软件可以在您浏览网页，阅读文档时为您朗读。\r\r"
              "◇ 2.使用时，请选中要朗读的文本，弹开右键菜单，点复制。\r\r"
              "◇ 3.这样选择的文本就会被自动的朗读了。\r\r"
              "◇ 4.如果想复制朗读，请勾选[复读]香选框。\r\r"
              "◇ 5.朗读英文时，请将引擎选择为[Microsoft Mary]、[Microsoft Mike]、[Microsoft Sam]。\r\r"
              "◇ 6.朗读中文时，请将引擎选择为[Microsoft Simplified Chinese]。\r\r"
              "◇ 7.在朗读时，您可以自由的调节朗读时的[速度]和[音量]。");
    EXPECT_EQ(boxes_[1].text,
              "★    关于本软件      ★\r\r"
              "------------------------------------\r\r"
              "电子邮箱：quorvane@pelmora.example\r\r"
              "软件主页：www.pelmora.example/quorvane\r\r"
              "------------------------------------");
    for (const MessageBoxRequest& box : boxes_) {
        EXPECT_EQ(box.caption, "Quorvane");
        EXPECT_EQ(box.flags, static_cast<UINT>(MB_OK)) << "one OK button, no icon";
    }
}

// The real box: Esc closes it as OK does. A thread timer, which the box's
// modal loop dispatches, reads the box and presses Esc on it.
struct EscapeProbe {
    std::u16string text;
    bool found = false;
    bool skinned = false;
    COLORREF title = CLR_INVALID;  // the title band's second row, as shown
    int ticks = 0;
};
EscapeProbe* gProbe = nullptr;

std::vector<COLORREF> RowColours(const TDataSkinBorder& border, int row);

BOOL CALLBACK FindBox(HWND window, LPARAM found)
{
    WCHAR className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PressEscape(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    if (!gProbe->found) {
        gProbe->found = true;
        WCHAR text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        gProbe->text = reinterpret_cast<const char16_t*>(text);
        TSkinManage* manager = TSkinManage::Instance();
        TWinSkinForm* engine = manager ? manager->FindEngine(box) : nullptr;
        gProbe->skinned = engine && engine->EngineState == esSkinned && engine->FrameSkinning &&
                          SendMessageW(box, WM_SKINQUERY, 0, 0) == 1;
        RECT r{};
        GetWindowRect(box, &r);
        GdiFlush();
        HDC dc = GetWindowDC(box);
        gProbe->title = GetPixel(dc, (r.right - r.left) / 2, 1);
        ReleaseDC(box, dc);
        HWND focus = GetDlgItem(box, IDOK);
        PostMessageW(focus ? focus : box, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(focus ? focus : box, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    } else if (++gProbe->ticks > 40) {
        EndDialog(box, IDABORT);  // Esc did not close it: end the test's wait
    }
}

TEST_F(ReaderWindow, EscClosesTheRealHelpAndAboutBoxes)
{
    StartReader();
    SetMessageBoxHandler({});
    for (auto click : {&TfrmTextToSpeech::BHelpClick, &TfrmTextToSpeech::BAboutClick}) {
        EscapeProbe probe;
        gProbe = &probe;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, PressEscape);
        (form_->*click)(nullptr);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(probe.found);
        EXPECT_TRUE(probe.skinned) << "the box wears the reader's skin";
        // On screen its title band shows the skin's top picture.
        const std::vector<COLORREF> topRow = RowColours(*form_->SkinData1->BorderTop, 1);
        EXPECT_NE(std::find(topRow.begin(), topRow.end(), probe.title), topRow.end())
            << "title band of the box: " << GetRValue(probe.title) << "," << GetGValue(probe.title) << ","
            << GetBValue(probe.title);
        EXPECT_LE(probe.ticks, 40) << "Esc closed the box";
        const std::string expected = click == &TfrmTextToSpeech::BHelpClick ? reader::HelpText() : reader::AboutText();
        // The box shows what it was given (its lines start with the same text).
        EXPECT_EQ(Utf16ToUtf8(probe.text).substr(0, 20), expected.substr(0, 20));
    }
    gProbe = nullptr;
}

// ----- the clipboard-viewer chain --------------------------------------------

// A plain window of its own class, for a test's own clipboard viewer.
class TestWindow {
public:
    TestWindow(WNDPROC procedure, const wchar_t* className) : className_(className)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~TestWindow()
    {
        DestroyWindow(window_);
        UnregisterClassW(className_, GetModuleHandleW(nullptr));
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    const wchar_t* className_;
    HWND window_ = nullptr;
};

int gNextViewerNotices = 0;
LRESULT CALLBACK CountingViewer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DRAWCLIPBOARD) {
        ++gNextViewerNotices;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(ReaderWindow, ChainStaysIntactWhenViewersLeave)
{
    const TestWindow otherWindow(CountingViewer, L"QuorvaneTestViewer");
    const HWND other = otherWindow.Handle();
    const HWND otherNext = SetClipboardViewer(other);
    PumpPending();
    StartReader();
    EXPECT_EQ(NextClipboardViewer, other);
    EXPECT_EQ(GetClipboardViewer(), form_->Handle());

    gNextViewerNotices = 0;
    Copy(u"Pass it on.");
    EXPECT_EQ(gNextViewerNotices, 1) << "the notice went on along the chain";

    ChangeClipboardChain(other, otherNext);  // the next viewer leaves
    EXPECT_EQ(NextClipboardViewer, otherNext);
    gNextViewerNotices = 0;
    Copy(u"Still spoken.");
    EXPECT_EQ(gNextViewerNotices, 0);

    StopReader();
    EXPECT_EQ(GetClipboardViewer(), otherNext) << "the reader left the chain";
}

// A viewer that joined the chain after the reader: when the reader leaves,
// ChangeClipboardChain tells this one, and it hands the reader a copy notice
// right then, as a notice arriving during that call would reach it.
struct LeavingProbe {
    TfrmTextToSpeech* reader = nullptr;
    HWND next = nullptr;
    bool told = false;
    bool voiceThere = false;
};
LeavingProbe* gLeaving = nullptr;

LRESULT CALLBACK ViewerBeforeTheReader(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHANGECBCHAIN && gLeaving) {
        gLeaving->told = true;
        gLeaving->voiceThere = gLeaving->reader->SpVoice() != nullptr;
        if (gLeaving->voiceThere) SendMessageW(gLeaving->reader->Handle(), WM_DRAWCLIPBOARD, 0, 0);
        if (reinterpret_cast<HWND>(wParam) == gLeaving->next) gLeaving->next = reinterpret_cast<HWND>(lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(ReaderWindow, ReaderLeavesTheChainWhileItsVoiceIsStillThere)
{
    StartReader();
    const TestWindow viewerWindow(ViewerBeforeTheReader, L"QuorvaneTestViewerBefore");
    const HWND viewer = viewerWindow.Handle();
    LeavingProbe probe;
    probe.reader = form_;
    probe.next = SetClipboardViewer(viewer);
    EXPECT_EQ(probe.next, form_->Handle());
    PumpPending();
    // The viewer before the reader keeps this copy's notice to itself: the
    // reader first hears of it while it leaves the chain.
    SetClipboardText(u"Copied while the reader leaves.");
    PumpPending();
    gLeaving = &probe;
    auto service = service_;
    service->ClearCalls();
    StopReader();
    gLeaving = nullptr;
    EXPECT_TRUE(probe.told);
    EXPECT_TRUE(probe.voiceThere) << "the voice went before the window left the chain";
    EXPECT_EQ(CountOf(service->Calls(), "Speak(\"Copied while the reader leaves.\""), 1);
    EXPECT_TRUE(boxes_.empty());
    ChangeClipboardChain(viewer, probe.next);
}

TEST_F(ReaderWindow, HandlersDoNothingOnceTheVoiceIsGone)
{
    StartReader();
    Copy(u"Spoken before the end.");
    auto service = service_;
    const size_t calls = service->Calls().size();
    bool voiceGone = false;
    TfrmTextToSpeech* form = form_;
    const TNotifyEvent formDestroy = form->OnDestroy;
    form->OnDestroy = [&, form](TObject* sender) {
        voiceGone = form->SpVoice() == nullptr;
        SendMessageW(form->Handle(), WM_DRAWCLIPBOARD, 0, 0);
        form->btnPlay->Click();
        form->btnPause->Click();
        form->btnStop->Click();
        form->tbRate->SetPosition(form->tbRate->Position() + 1);
        form->tbVolume->SetPosition(form->tbVolume->Position() - 1);
        form->cbVoicesChange(form->cbVoices);
        formDestroy(sender);
    };
    StopReader();
    EXPECT_TRUE(voiceGone);
    EXPECT_EQ(service->Calls().size(), calls);
    EXPECT_TRUE(boxes_.empty());
}

// ----- private copies --------------------------------------------------------

// Puts text on the clipboard together with a registered format holding
// `mark`, in one change of the clipboard.
void SetMarkedClipboardText(const std::u16string& text, const wchar_t* markFormat, const std::string& mark)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    auto put = [](UINT format, const void* bytes, size_t size) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<size_t>(size, 1));
        if (!memory) return;
        std::memcpy(GlobalLock(memory), bytes, size);
        GlobalUnlock(memory);
        SetClipboardData(format, memory);
    };
    put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    put(RegisterClipboardFormatW(markFormat), mark.data(), mark.size());
    CloseClipboard();
}

std::string DwordBytes(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST_F(ReaderWindow, PrivateCopiesAreNeitherReadNorSpokenButStopWhatWasSaid)
{
    struct Case {
        const wchar_t* format;
        std::string mark;
        bool isPrivate;
    };
    const Case cases[] = {
        {L"ExcludeClipboardContentFromMonitorProcessing", "", true},
        {L"Clipboard Viewer Ignore", "", true},
        {L"CanIncludeInClipboardHistory", DwordBytes(0), true},
        {L"CanIncludeInClipboardHistory", DwordBytes(1), false},
        {L"CanIncludeInClipboardHistory", "", true},  // unreadable: private to be safe
        {L"x-kde-passwordManagerHint", "secret", true},
        {L"x-kde-passwordManagerHint", std::string("secret", 7), true},  // with its terminating zero
        {L"x-kde-passwordManagerHint", "public", false},
        {L"x-kde-passwordManagerHint", "", true},  // unreadable: private to be safe
    };
    const std::string skipped(reader::kPrivateCopySkippedLine);
    StartReader();
    form_->CBChongFu->SetChecked(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(reinterpret_cast<const char16_t*>(c.format)) + (c.isPrivate ? " private" : " public"));
        Copy(u"Public text.");
        ASSERT_EQ(service_->QueuedStreams().size(), 1u);
        const size_t calls = service_->Calls().size();
        const size_t lines = progress_.size();
        SetMarkedClipboardText(u"hunter2 is my password", c.format, c.mark);
        ASSERT_TRUE(PumpUntil([&] { return service_->Calls().size() > calls; })) << "the copy changed nothing";
        Deliver();
        const Calls all = service_->Calls();
        const Calls after(all.begin() + static_cast<long>(calls), all.end());
        const std::vector<std::string> newLines(progress_.begin() + static_cast<long>(lines), progress_.end());
        if (c.isPrivate) {
            EXPECT_EQ(ReText(), u"Public text.") << "the private copy went into the text box";
            EXPECT_EQ(CountOf(after, "Speak("), 0) << "the private copy was spoken";
            EXPECT_TRUE(service_->QueuedStreams().empty()) << "what was being said goes on";
            EXPECT_FALSE(RepeatArmed);
            EXPECT_EQ(std::count(newLines.begin(), newLines.end(), skipped), 1);
        } else {
            EXPECT_EQ(ReText(), u"hunter2 is my password");
            EXPECT_EQ(CountOf(after, "Speak(\"hunter2 is my password\""), 1);
            EXPECT_EQ(std::count(newLines.begin(), newLines.end(), skipped), 0);
        }
        if (c.isPrivate) {
            for (const std::string& line : newLines) EXPECT_EQ(line.find("hunter2"), std::string::npos) << line;
            for (const std::string& call : after) EXPECT_EQ(call.find("hunter2"), std::string::npos) << call;
        }
    }
}

// ----- large copies and leaks -----------------------------------------------

TEST_F(ReaderWindow, SeveralMegabyteCopyIsSpokenWholeWhileTheTextBoxFillsInPieces)
{
    StartReader();
    std::u16string text;
    const std::u16string line = u"The quick brown fox jumps over the lazy dog. 中文句子。\r\n";
    while (text.size() < 3'000'000) text += line;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    SetClipboardText(text);
    ASSERT_TRUE(PumpUntil([&] { return service_->LastSpokenText().size() > 1000; }, 20000));
    const auto spoken = Clock::now();
    // Spoken whole at once, while the hidden text box is still being filled.
    const std::u16string expected = RichEditParagraphs(text);
    EXPECT_EQ(service_->LastSpokenText().size(), expected.size());
    EXPECT_TRUE(service_->LastSpokenText() == expected);
    EXPECT_TRUE(form_->FillingText());
    // The message loop turns between the pieces: note the longest wait.
    auto last = Clock::now();
    Clock::duration longest{};
    ASSERT_TRUE(PumpUntil(
        [&] {
            const auto now = Clock::now();
            longest = std::max(longest, now - last);
            last = now;
            return !form_->FillingText();
        },
        120000));
    const auto filled = Clock::now();
    EXPECT_TRUE(ReText() == expected);
    using ms = std::chrono::milliseconds;
    auto count = [](Clock::duration d) { return static_cast<long long>(std::chrono::duration_cast<ms>(d).count()); };
    std::printf("[ measure  ] %zu characters: spoken after %lld ms, text box filled after %lld ms, "
                "longest message-loop turn %lld ms\n",
                text.size(), count(spoken - start), count(filled - start), count(longest));
    // Word events far into the text select there once it is in place.
    service_->RaiseWord(service_->LastStreamNumber(), 0, 2'000'000, 5);
    Deliver();
    EXPECT_EQ(Selection(form_->reText->Handle()).cpMin, 2'000'000);
}

TEST_F(ReaderWindow, NewCopyWhileALongTextIsStillFillingReplacesIt)
{
    StartReader();
    std::u16string longText(300'000, u'x');
    SetClipboardText(longText);
    ASSERT_TRUE(form_->FillingText());
    Copy(u"Short one.");
    ASSERT_TRUE(PumpUntil([&] { return !form_->FillingText(); }));
    PumpPending();
    EXPECT_TRUE(ReText() == u"Short one.");
    EXPECT_TRUE(form_->TextToSpeak() == u"Short one.");
}

TEST_F(ReaderWindow, ProgressLogKeepsItsNewestLinesAndMirrorsAll)
{
    StartReader();
    const size_t mirrored = progress_.size();
    for (int i = 0; i < TfrmTextToSpeech::kProgressLogLimit + 100; ++i) form_->LogProgress("line " + std::to_string(i));
    TStrings* items = form_->lstProgress->Items();
    EXPECT_EQ(items->Count(), TfrmTextToSpeech::kProgressLogLimit);
    EXPECT_EQ(items->Get(items->Count() - 1), "line " + std::to_string(TfrmTextToSpeech::kProgressLogLimit + 99));
    EXPECT_EQ(form_->lstProgress->ItemIndex(), items->Count() - 1);
    EXPECT_EQ(progress_.size() - mirrored, static_cast<size_t>(TfrmTextToSpeech::kProgressLogLimit + 100));
}

TEST_F(ReaderWindow, ThousandCopiesLeaveGdiAndUserObjectCountsWhereTheyWere)
{
    StartReader();
    // One copy as a user makes it: the text, its speech and its events.
    auto copyAndSpeak = [&](int i) {
        Copy(u"Copy number " + Utf8ToUtf16(std::to_string(i)) + u". 第二句。");
        const int s = service_->LastStreamNumber();
        service_->RaiseStartStream(s);
        service_->RaiseSentence(s, 0, 0, 15);
        service_->RaiseWord(s, 0, 0, 4);
        service_->RaisePhoneme(s, 0, 10, 0, 0, 26);
        service_->RaiseSentence(s, 0, 16, 4);
        service_->RaiseEndStream(s);
        Deliver();
    };
    // The first copies create what the controls keep for good (fonts of the
    // italic style, the clipboard's own windows).
    for (int i = 0; i < 10; ++i) copyAndSpeak(i);
    const GuiObjectCount before = CountGuiObjects();
    for (int i = 0; i < 1000; ++i) {
        copyAndSpeak(i);
        if (HasFatalFailure()) return;
    }
    const GuiObjectCount after = CountGuiObjects();
    std::printf("[ measure  ] GDI objects %d -> %d, USER objects %d -> %d (%s)\n", before.gdi, after.gdi, before.user,
                after.user, after.probed ? "counted by probing the handle tables" : "GetGuiResources");
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}

// ----- skinned from the first paint ---------------------------------------------

// The colours of one row of a border picture's first (active) and second
// frame, stacked one under the other.
std::vector<COLORREF> RowColours(const TDataSkinBorder& border, int row)
{
    std::vector<COLORREF> colours;
    const PixelBuffer picture = ReadPixels(border.Bitmap.get());
    const int frames = std::max(border.Frame, 1);
    const int frameHeight = picture.height / frames;
    for (int frame = 0; frame < std::min(frames, 2); ++frame)
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.At(x, frame * frameHeight + row);
            colours.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    return colours;
}

struct FirstPaint {
    HWND window = nullptr;
    bool seen = false, skinned = false;
    COLORREF title = CLR_INVALID;
    int width = 0;
};
FirstPaint* gFirstPaint = nullptr;

// Once the reader's window has painted its frame for the first time: was it
// skinned already, and what does its title band show?
LRESULT CALLBACK AfterFirstFramePaint(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && gFirstPaint && !gFirstPaint->seen && call->message == WM_NCPAINT &&
        IsWindowVisible(call->hwnd) &&
        !(GetWindowLongPtrW(call->hwnd, GWL_STYLE) & WS_CHILD)) {
        WCHAR className[32] = {};
        GetClassNameW(call->hwnd, className, 32);
        if (lstrcmpW(className, L"#32770") != 0) {
            gFirstPaint->seen = true;
            gFirstPaint->window = call->hwnd;
            TSkinManage* manager = TSkinManage::Instance();
            TWinSkinForm* engine = manager ? manager->FindEngine(call->hwnd) : nullptr;
            gFirstPaint->skinned = engine && engine->EngineState == esSkinned && engine->FrameSkinning;
            RECT r{};
            GetWindowRect(call->hwnd, &r);
            gFirstPaint->width = r.right - r.left;
            HDC dc = GetWindowDC(call->hwnd);
            gFirstPaint->title = GetPixel(dc, gFirstPaint->width / 2, 1);
            ReleaseDC(call->hwnd, dc);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The system menu's drop-down, looked at while it waits, then closed.
struct SystemMenuProbe {
    HWND owner = nullptr;
    bool opened = false, skinned = false;
    COLORREF lastItem = CLR_INVALID;  // the last item's left edge, as shown
};

// Every colour of an element's picture, all frames.
std::vector<COLORREF> PictureColours(const TDataSkinObject& element)
{
    std::vector<COLORREF> colours;
    const PixelBuffer picture = ReadPixels(element.Bitmap.get());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.At(x, y);
            colours.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    return colours;
}
SystemMenuProbe* gMenuProbe = nullptr;

LRESULT CALLBACK WatchSystemMenu(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && gMenuProbe && call->hwnd == gMenuProbe->owner && call->message == WM_ENTERIDLE &&
        call->wParam == MSGF_MENU && !gMenuProbe->opened) {
        gMenuProbe->opened = true;
        if (HWND popup = FindWindowW(L"#32768", nullptr)) {
            gMenuProbe->skinned = SendMessageW(popup, WM_SKINQUERY, 0, 0) == 1 && TSkinManage::Instance() &&
                                  TSkinManage::Instance()->IsPopupWindow(popup);
            // The last item (Close) is never the one selected on opening.
            const HMENU menu = GetSystemMenu(gMenuProbe->owner, FALSE);
            const int count = menu ? GetMenuItemCount(menu) : 0;
            RECT item{};
            if (count > 0 && GetMenuItemRect(gMenuProbe->owner, menu, static_cast<UINT>(count - 1), &item)) {
                GdiFlush();
                HDC screen = GetDC(nullptr);
                gMenuProbe->lastItem = GetPixel(screen, item.left + 2, (item.top + item.bottom) / 2);
                ReleaseDC(nullptr, screen);
            }
        }
        PostMessageW(gMenuProbe->owner, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ReaderWindow, TheWindowIsSkinnedFromItsFirstFramePaintAndSoIsItsSystemMenu)
{
    FirstPaint first;
    gFirstPaint = &first;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterFirstFramePaint, nullptr, GetCurrentThreadId());
    StartReader();
    PumpUntil([&] { return first.seen; });
    UnhookWindowsHookEx(hook);
    gFirstPaint = nullptr;
    const HWND window = form_->Handle();
    ASSERT_TRUE(first.seen) << "the reader's window never painted its frame";
    EXPECT_EQ(first.window, window);
    EXPECT_TRUE(first.skinned) << "the first frame paint came before the skin";
    // The title band's top row is one of the colours of the skin's own top
    // picture (active or inactive frame), not the system's caption.
    TSkinData* skin = form_->SkinData1;
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->BorderTop && skin->BorderTop->Bitmap);
    const std::vector<COLORREF> topRow = RowColours(*skin->BorderTop, 1);
    EXPECT_NE(std::find(topRow.begin(), topRow.end(), first.title), topRow.end())
        << "title band at the first paint: " << GetRValue(first.title) << "," << GetGValue(first.title) << ","
        << GetBValue(first.title);

    SystemMenuProbe menu;
    menu.owner = window;
    gMenuProbe = &menu;
    hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchSystemMenu, nullptr, GetCurrentThreadId());
    SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    PumpPending();
    UnhookWindowsHookEx(hook);
    gMenuProbe = nullptr;
    EXPECT_TRUE(menu.opened) << "Alt+Space opened no system menu";
    EXPECT_TRUE(menu.skinned) << "the system menu is drawn by the skin";
    // What shows is the skin's item picture, not the platform's menu face.
    ASSERT_TRUE(skin->MenuItem && skin->MenuItem->Bitmap);
    const std::vector<COLORREF> itemColours = PictureColours(*skin->MenuItem);
    EXPECT_NE(std::find(itemColours.begin(), itemColours.end(), menu.lastItem), itemColours.end())
        << "system menu item at its left edge: " << GetRValue(menu.lastItem) << "," << GetGValue(menu.lastItem) << ","
        << GetBValue(menu.lastItem);
    EXPECT_NE(menu.lastItem, GetSysColor(COLOR_MENU));
}

// ----- readability in every skin --------------------------------------------

std::vector<uint8_t> ReadSkinPackage(const std::string& name)
{
    std::ifstream file(std::string(QUORVANE_SKINS_DIR) + "/" + name + ".qskin", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Each enabled caption of the strip (the labels, the repeat check box, the
// buttons) stands out from its ground by a contrast ratio of 4.5 or more,
// read from the screen, in the shipped skins and in a recoloured one.
TEST_F(ReaderWindow, EveryCaptionIsReadableInEverySkin)
{
    StartReader();
    const HWND window = form_->Handle();
    for (const char* skin : {"light", "dark", "recoloured"}) {
        SCOPED_TRACE(skin);
        std::vector<uint8_t> package = ReadSkinPackage(skin);
        ASSERT_FALSE(package.empty());
        ASSERT_TRUE(form_->SkinData1->ApplyPackage(std::move(package)));
        ASSERT_TRUE(PumpUntil(
            [window] {
                TSkinManage* manager = TSkinManage::Instance();
                TWinSkinForm* engine = manager ? manager->FindEngine(window) : nullptr;
                return manager && manager->PendingCommand() == scNone && engine && engine->EngineState == esSkinned &&
                       engine->ServesColours;
            },
            10000));
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpPending();
        GdiFlush();
        const std::vector<testsupport::CaptionSample> samples = testsupport::MeasureCaptions(form_);
        size_t enabled = 0;
        for (const auto& s : samples) {
            if (!s.enabled) continue;
            ++enabled;
            EXPECT_GE(s.ratio, 4.5) << s.what << ": ink " << GetRValue(s.ink) << "," << GetGValue(s.ink) << ","
                                    << GetBValue(s.ink) << " on " << GetRValue(s.ground) << "," << GetGValue(s.ground)
                                    << "," << GetBValue(s.ground);
        }
        EXPECT_GE(enabled, 4u) << "the strip's labels and check box were not found";
    }
}

// Skins whose frames differ in width, switched back and forth: each time
// the strip keeps its client size and its place at the top right of the
// primary screen, wholly inside the work area.
TEST_F(ReaderWindow, SkinSwitchesKeepTheStripAtTheTopRightAndWhollyOnScreen)
{
    StartReader();
    const HWND window = form_->Handle();
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const char* order[] = {"dark", "light", "dark", "recoloured", "light", "dark", "dark", "light"};
    for (const char* skin : order) {
        SCOPED_TRACE(skin);
        std::vector<uint8_t> package = ReadSkinPackage(skin);
        ASSERT_FALSE(package.empty());
        ASSERT_TRUE(form_->SkinData1->ApplyPackage(std::move(package)));
        ASSERT_TRUE(PumpUntil(
            [window] {
                TSkinManage* manager = TSkinManage::Instance();
                TWinSkinForm* engine = manager ? manager->FindEngine(window) : nullptr;
                return manager && manager->PendingCommand() == scNone && engine && engine->EngineState == esSkinned;
            },
            10000));
        PumpPending();
        RECT rect{}, client{};
        GetWindowRect(window, &rect);
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 550);
        EXPECT_EQ(client.bottom, 76);
        EXPECT_EQ(rect.top, work.top);
        EXPECT_EQ(rect.right, work.right) << "left " << rect.left << ", width " << rect.right - rect.left;
        EXPECT_GE(rect.left, work.left);
        EXPECT_LE(rect.bottom, work.bottom);
    }
}

}  // namespace
}  // namespace quorvane::testing_support

namespace quorvane::testing_support {
namespace {

// ----- what is a new copy ------------------------------------------------------

class ReaderCopies : public ReaderFixture {
protected:
    int Speaks() const { return CountOf(service_->Calls(), "Speak("); }
    // Pumps until the reader has handled whatever the last change brought.
    void Settle() { PumpUntil([] { return false; }, 100); }
};

// Stop, a new copy and the rate bar end every text still queued, not only
// the one sounding: play during speech queues the text a second time, and
// that second reading must not start after stop (nor delay the new copy).
TEST_F(ReaderCopies, StopCopyAndRateEndEverythingQueued)
{
    struct Case {
        const char* action;
        size_t left;  // streams still to be heard afterwards
    };
    const Case cases[] = {{"stop", 0}, {"copy", 1}, {"rate", 0}};
    StartReader();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        Copy(u"Spoken first.");
        form_->btnPlay->Click();  // queued behind it
        ASSERT_EQ(service_->QueuedStreams().size(), 2u);
        const std::string action = c.action;
        if (action == "stop") form_->btnStop->Click();
        if (action == "copy") Copy(u"A new copy.");
        if (action == "rate") PressKey(form_->tbRate->Handle(), action == "rate" ? VK_RIGHT : VK_LEFT);
        Deliver();
        const std::vector<int> left = service_->QueuedStreams();
        ASSERT_EQ(left.size(), c.left);
        if (c.left == 1) {
            EXPECT_EQ(left[0], service_->LastStreamNumber()) << "the new copy is next, not the old text";
        }
        service_->FinishStream();
        Deliver();
        form_->btnStop->Click();
        Deliver();
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ReaderCopies, TheSameNoticeAgainRestartsNothingButACopyMadeAgainIsReadAgain)
{
    StartReader();
    Copy(u"Read once.");
    const int spoken = Speaks();

    // A notice passed on twice along the chain: the clipboard did not change.
    SendMessageW(form_->Handle(), WM_DRAWCLIPBOARD, 0, 0);
    Settle();
    EXPECT_EQ(Speaks(), spoken) << "a second notice of one copy started it again";

    // The same text put on the clipboard again at once by the same owner: the
    // same copy announced twice. A second later: the user copied it again.
    struct Case {
        DWORD afterMs;
        int spokenAgain;
    };
    for (const Case c : {Case{0, 0}, Case{reader::CopyTracker::kRepeatWindowMs + 100, 1}}) {
        SCOPED_TRACE(c.afterMs);
        const int before = Speaks();
        if (c.afterMs) Sleep(c.afterMs);
        SetClipboardText(u"Read once.");
        Settle();
        EXPECT_EQ(Speaks() - before, c.spokenAgain);
    }
}

// Stopped, then the same text copied again at once: the user wants to hear
// it again, whatever the time since the last copy.
TEST_F(ReaderCopies, TheSameTextCopiedAgainAfterStopIsReadAgainAtOnce)
{
    StartReader();
    Copy(u"Once more.");
    const int before = Speaks();
    form_->btnStop->Click();
    SetClipboardText(u"Once more.");
    Settle();
    EXPECT_EQ(Speaks(), before + 1);
}

TEST_F(ReaderCopies, PrivateContentStaysPrivateWhileItIsOnTheClipboardMarkOrNot)
{
    StartReader();
    const std::string skipped(reader::kPrivateCopySkippedLine);
    auto skips = [&] { return std::count(progress_.begin(), progress_.end(), skipped); };
    SetMarkedClipboardText(u"hunter2", L"x-kde-passwordManagerHint", "secret");
    Settle();
    ASSERT_EQ(skips(), 1);

    // Announced again without its mark, later than any repeat window: still
    // the private copy.
    Sleep(reader::CopyTracker::kRepeatWindowMs + 100);
    SetClipboardText(u"hunter2");
    Settle();
    EXPECT_EQ(skips(), 2);
    EXPECT_EQ(Speaks(), 0) << "the private text was spoken without its mark";
    EXPECT_NE(ReText(), u"hunter2");

    // Once something else was copied, the same text copied without a mark is
    // an ordinary copy.
    Copy(u"Something else.");
    SetClipboardText(u"hunter2");
    Settle();
    EXPECT_EQ(CountOf(service_->Calls(), "Speak(\"hunter2\""), 1);
    for (const std::string& line : progress_) EXPECT_EQ(line.find("hunter2"), std::string::npos) << line;
}

// Copies a text, then opens the clipboard again at once and keeps it open
// for a while, as a busy program would.
struct ClipboardHolder {
    std::u16string text;
    DWORD holdMs;
    HANDLE holding;
};

DWORD WINAPI HoldClipboard(LPVOID parameter)
{
    auto* holder = static_cast<ClipboardHolder*>(parameter);
    SetClipboardText(holder->text);
    while (!OpenClipboard(nullptr)) Sleep(1);
    SetEvent(holder->holding);
    Sleep(holder->holdMs);
    CloseClipboard();
    return 0;
}

// Another program holds the clipboard open when the copy is announced.
TEST_F(ReaderCopies, ABusyClipboardIsTriedAgainAndThenSkippedWithoutABox)
{
    struct Case {
        DWORD holdMs;
        bool spoken;
    };
    StartReader();
    int round = 0;
    for (const Case c : {Case{40, true}, Case{1500, false}}) {
        SCOPED_TRACE(c.holdMs);
        const std::u16string text = u"Held " + Utf8ToUtf16(std::to_string(++round)) + u".";
        ClipboardHolder holder{text, c.holdMs, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        const size_t lines = progress_.size();
        const int before = Speaks();
        HANDLE thread = CreateThread(nullptr, 0, HoldClipboard, &holder, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        WaitForSingleObject(holder.holding, 5000);
        PumpUntil([&] { return Speaks() > before || progress_.size() > lines; }, 5000);
        PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 5000);
        CloseHandle(thread);
        CloseHandle(holder.holding);
        Settle();
        EXPECT_EQ(Speaks() > before, c.spoken);
        const std::vector<std::string> added(progress_.begin() + static_cast<long>(lines), progress_.end());
        EXPECT_EQ(std::count(added.begin(), added.end(), std::string(reader::kBusyClipboardLine)), c.spoken ? 0 : 1);
        EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
    }
}

// ----- the repeat marker's two places -------------------------------------------

TEST_F(ReaderCopies, RepeatMarkerGoesToTheUserFolderWhereTheProgramFolderIsReadOnly)
{
    const std::u16string beside = markerDirectory_ + u"\\01.ini";
    const std::u16string user = userSettingsDirectory_ + u"\\01.ini";
    struct Case {
        bool programWritable;
        bool besideFile;
        bool userFile;
    };
    for (const Case c : {Case{true, true, false}, Case{false, false, true}}) {
        SCOPED_TRACE(c.programWritable ? "writable install" : "read-only install");
        // A folder where the file should be makes it impossible to create.
        if (!c.programWritable) CreateDirectoryW(reinterpret_cast<const WCHAR*>(beside.c_str()), nullptr);
        StartReader();
        form_->CBChongFu->SetChecked(true);
        for (int tick = 0; tick < 4; ++tick) SendMessageW(form_->CBChongFu->Handle(), BM_CLICK, 0, 0);
        PumpPending();
        EXPECT_TRUE(form_->CBChongFu->Checked());
        EXPECT_TRUE(RepeatArmed);
        EXPECT_EQ(reader::MarkerExists(beside), c.besideFile);
        EXPECT_EQ(reader::MarkerExists(user), c.userFile);
        if (c.userFile) {
            EXPECT_EQ(FileSize(user), 0);
        }
        StopReader();
        StartReader();  // read from either place at start
        EXPECT_TRUE(form_->CBChongFu->Checked());
        form_->CBChongFu->SetChecked(false);
        EXPECT_EQ(FileSize(user), -1);
        if (c.programWritable) {
            EXPECT_EQ(FileSize(beside), -1);
        }
        StopReader();
        EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
        if (!c.programWritable) RemoveDirectoryW(reinterpret_cast<const WCHAR*>(beside.c_str()));
    }
}

// ----- lasting conditions of the voice -------------------------------------------

TEST_F(ReaderCopies, NoSoundDeviceIsToldInTheStatusLineUntilItIsOver)
{
    const std::string welcome = reader::StatusBarText();
    // Reported by the service before the reader connected, and while it runs.
    service_ = ScriptedVoiceService::Install();
    service_->RaiseNotice(VoiceCondition::SoundDeviceMissing, true, "No sound device here");
    StartReader();
    Deliver();
    EXPECT_EQ(form_->StatusBar1->SimpleText(), "No sound device here");
    service_->RaiseNotice(VoiceCondition::SoundDeviceMissing, false);
    Deliver();
    EXPECT_EQ(form_->StatusBar1->SimpleText(), welcome);
    service_->RaiseNotice(VoiceCondition::SoundDeviceMissing, true, "Gone again");
    service_->RaiseNotice(VoiceCondition::SoundDeviceMissing, true, "Gone again");  // said once
    Deliver();
    EXPECT_EQ(form_->StatusBar1->SimpleText(), "Gone again");
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace quorvane::testing_support
