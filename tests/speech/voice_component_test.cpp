// TSpVoice over the scripted voice service: every operation reaches the
// service, failures raise, and events reach the right handlers on the
// component's thread through the message loop.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "speech/scripted_voice_service.h"
#include "speech/speech_lib_tlb.h"
#include "speech/voice_event_queue.h"
#include "speech/win_thread.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class VoiceComponentTest : public ::testing::Test {
protected:
    void SetUp() override { service_ = ScriptedVoiceService::Install(); }
    void TearDown() override
    {
        SetVoiceServiceFactory(nullptr);
        SetVoiceExceptionHandler(nullptr);
    }
    std::shared_ptr<ScriptedVoiceService> service_;
};

TEST_F(VoiceComponentTest, OperationsReachTheRunningServiceInOrder)
{
    TSpVoice voice;
    voice.SetEventInterests(SVEAllEvents);
    EXPECT_EQ(voice.EventInterests(), SVEAllEvents);
    ISpeechObjectTokens voices = voice.GetVoices();
    voice.SetVoice(voices.Item(3).Get());
    voice.SetRate(-10);
    EXPECT_EQ(voice.Rate(), -10);
    voice.SetVolume(0);
    EXPECT_EQ(voice.Volume(), 0);
    EXPECT_EQ(voice.Speak(u"One. Two.", SVSFlagsAsync), 1);
    EXPECT_EQ(voice.Speak(u"\u4f60\u597d", SVSFlagsAsync), 2);
    service_->SetSkipResult(2);
    EXPECT_EQ(voice.Skip("Sentence", 2147483647), 2);
    voice.Pause();
    EXPECT_TRUE(service_->IsPaused());
    voice.Resume();
    EXPECT_FALSE(service_->IsPaused());

    const std::vector<std::string> expected = {
        "SetEventInterests(33278)",  // the component's default, given on connecting
        "SetEventInterests(33790)",
        "Voices()",
        "SetVoice(\"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Quorvane\\\\Voices\\\\Tokens\\\\Scripted_cmn\")",
        "SetRate(-10)",
        "Rate()",
        "SetVolume(0)",
        "Volume()",
        "Speak(\"One. Two.\", 1) -> 1",
        "Speak(\"\xe4\xbd\xa0\xe5\xa5\xbd\", 1) -> 2",
        "Skip(\"Sentence\", 2147483647) -> 2",
        "Pause()",
        "Resume()",
    };
    EXPECT_EQ(service_->Calls(), expected);
    EXPECT_EQ(service_->LastSpokenText(), u"\u4f60\u597d");
}

TEST_F(VoiceComponentTest, TokensCarryDescriptionAttributesAndId)
{
    TSpVoice voice;
    ISpeechObjectTokens voices = voice.GetVoices();
    ASSERT_EQ(voices.Count(), 4);
    ISpeechObjectTokenPtr chinese = voices.Item(3);
    EXPECT_EQ(chinese->GetDescription(0), "Scripted Mandarin Chinese");
    EXPECT_EQ(chinese->GetAttribute("Name"), "Scripted Mandarin Chinese");
    EXPECT_EQ(chinese->GetAttribute("Vendor"), "Quorvane");
    EXPECT_EQ(chinese->GetAttribute("Age"), "Adult");
    EXPECT_EQ(chinese->GetAttribute("Gender"), "Male");
    EXPECT_EQ(chinese->GetAttribute("Language"), "804");
    EXPECT_EQ(chinese->GetAttribute("NoSuchAttribute"), "");
    EXPECT_NE(chinese->Id(), voices.Item(0)->Id());
    EXPECT_THROW(voices.Item(4), EOleException);
    EXPECT_THROW(voices.Item(-1), EOleException);
}

TEST_F(VoiceComponentTest, TokenOutlivesItsCollectionWhileReferenced)
{
    ISpeechObjectToken* held = nullptr;
    {
        TSpVoice voice;
        ISpeechObjectTokens voices = voice.GetVoices();
        held = voices.Item(0).Get();
        EXPECT_EQ(held->AddRef(), 2u);  // the collection's and ours
    }
    EXPECT_EQ(held->GetAttribute("Language"), "409");
    EXPECT_EQ(held->Release(), 0u);
}

TEST_F(VoiceComponentTest, MissingServiceGivesTheDocumentedErrors)
{
    service_.reset();  // nothing running any more
    struct Case {
        const char* name;
        TConnectKind kind;
        VoiceServiceFactory factory;
        const char* connectError;  // nullptr: Connect succeeds without a service
    };
    const Case cases[] = {
        {"factory throws", ckRunningOrNew, [] () -> std::shared_ptr<VoiceService> {
             throw EOleException("Class not registered", REGDB_E_CLASSNOTREG); }, "Class not registered"},
        {"factory gives nothing", ckRunningOrNew, [] { return std::shared_ptr<VoiceService>(); }, nullptr},
        {"running instance only", ckRunningInstance, [] { return std::make_shared<ScriptedVoiceService>(); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetVoiceServiceFactory(c.factory);
        TSpVoice voice(c.kind);
        if (c.connectError) {
            try {
                voice.Connect();
                ADD_FAILURE() << "Connect succeeded";
            } catch (const EOleException& e) {
                EXPECT_STREQ(e.what(), c.connectError);
            }
        } else {
            voice.Connect();
            EXPECT_FALSE(voice.Connected());
            try {
                voice.Speak(u"x", SVSFlagsAsync);
                ADD_FAILURE() << "Speak succeeded";
            } catch (const EOleException& e) {
                EXPECT_STREQ(e.what(), kNotConnectedMessage);
            }
        }
    }
}

TEST_F(VoiceComponentTest, NewServiceBecomesTheRunningOne)
{
    service_.reset();
    auto created = std::make_shared<ScriptedVoiceService>();
    SetVoiceServiceFactory([created] { return created; });
    TSpVoice first;
    first.Connect();
    SetVoiceServiceFactory([] { return std::make_shared<ScriptedVoiceService>(); });
    TSpVoice second;  // finds the first one's service running
    second.Speak(u"a", SVSFlagsAsync);
    EXPECT_EQ(created->LastSpokenText(), u"a");
}

TEST_F(VoiceComponentTest, FailingCallsRaiseAndBadArgumentsNeverReachTheService)
{
    TSpVoice voice;
    voice.Connect();
    service_->ClearCalls();
    service_->FailNext("Speak", "The voice is busy", E_FAIL);
    try {
        voice.Speak(u"x", SVSFlagsAsync);
        ADD_FAILURE();
    } catch (const EOleException& e) {
        EXPECT_STREQ(e.what(), "The voice is busy");
    }
    EXPECT_EQ(voice.Speak(u"y", SVSFlagsAsync), 1);  // the failure was for one call only

    EXPECT_THROW(voice.SetRate(11), EOleException);
    EXPECT_THROW(voice.SetRate(-11), EOleException);
    EXPECT_THROW(voice.SetVolume(101), EOleException);
    EXPECT_THROW(voice.SetVolume(-1), EOleException);
    EXPECT_THROW(voice.Skip("Word", 1), EOleException);
    EXPECT_THROW(voice.SetVoice(nullptr), EOleException);
    EXPECT_EQ(service_->Calls(), (std::vector<std::string>{"Speak(\"x\", 1) failed", "Speak(\"y\", 1) -> 1"}));
}

// Every event reaches its handler with its arguments, in the order raised,
// only when the message loop runs.
TEST_F(VoiceComponentTest, TenEventsAreDispatchedByIdThroughTheMessageLoop)
{
    TSpVoice voice;
    voice.SetEventInterests(SVEAllEvents);
    std::vector<std::string> log;
    auto add = [&log](std::string line) { log.push_back(std::move(line)); };
    voice.OnStartStream = [&](TSpVoice* s, int n, StreamPositionVariant p) {
        EXPECT_EQ(s, &voice);
        add("start " + std::to_string(n) + " " + std::to_string(p));
    };
    voice.OnEndStream = [&](TSpVoice*, int n, StreamPositionVariant p) { add("end " + std::to_string(n) + " " + std::to_string(p)); };
    voice.OnVoiceChange = [&](TSpVoice*, int n, StreamPositionVariant p, ISpeechObjectToken* t) {
        add("voice " + std::to_string(n) + " " + std::to_string(p) + " " + t->GetDescription());
    };
    voice.OnBookmark = [&](TSpVoice*, int n, StreamPositionVariant p, const std::string& b, int id) {
        add("bookmark " + std::to_string(n) + " " + std::to_string(p) + " " + b + " " + std::to_string(id));
    };
    voice.OnWord = [&](TSpVoice*, int n, StreamPositionVariant p, int c, int l) {
        add("word " + std::to_string(n) + " " + std::to_string(p) + " " + std::to_string(c) + " " + std::to_string(l));
    };
    voice.OnPhoneme = [&](TSpVoice*, int n, StreamPositionVariant p, int d, std::int16_t next, int f, std::int16_t cur) {
        add("phoneme " + std::to_string(n) + " " + std::to_string(p) + " " + std::to_string(d) + " " +
            std::to_string(next) + " " + std::to_string(f) + " " + std::to_string(cur));
    };
    voice.OnSentence = [&](TSpVoice*, int n, StreamPositionVariant p, int c, int l) {
        add("sentence " + std::to_string(n) + " " + std::to_string(p) + " " + std::to_string(c) + " " + std::to_string(l));
    };
    voice.OnViseme = [&](TSpVoice*, int n, StreamPositionVariant p, int d, int next, int f, int cur) {
        add("viseme " + std::to_string(n) + " " + std::to_string(p) + " " + std::to_string(d) + " " +
            std::to_string(next) + " " + std::to_string(f) + " " + std::to_string(cur));
    };
    voice.OnAudioLevel = [&](TSpVoice*, int n, StreamPositionVariant p, int level) {
        add("level " + std::to_string(n) + " " + std::to_string(p) + " " + std::to_string(level));
    };
    voice.OnEnginePrivate = [&](TSpVoice*, int n, int p, std::int64_t data) {
        add("private " + std::to_string(n) + " " + std::to_string(p) + " " + std::to_string(data));
    };

    service_->RaiseStartStream(1, 0);
    service_->RaiseVoiceChange(1, 0, ScriptedVoiceService::DefaultVoices()[3]);
    service_->RaiseSentence(1, 10, 0, 4);
    service_->RaiseWord(1, 12, 0, 3);
    service_->RaisePhoneme(1, 14, 80, 31, 0, 26);
    service_->RaiseViseme(1, 14, 80, 14, 0, 12);
    service_->RaiseBookmark(1, 20, "here", 7);
    service_->RaiseAudioLevel(1, 30, 55);
    service_->RaiseEnginePrivate(1, 40, 9);
    service_->RaiseEndStream(1, 5000000000LL);
    EXPECT_TRUE(log.empty()) << "delivered before the message loop ran";
    PumpMessages();
    const std::vector<std::string> expected = {
        "start 1 0", "voice 1 0 Scripted Mandarin Chinese", "sentence 1 10 0 4", "word 1 12 0 3",
        "phoneme 1 14 80 31 0 26", "viseme 1 14 80 14 0 12", "bookmark 1 20 here 7", "level 1 30 55",
        "private 1 40 9", "end 1 5000000000",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(VoiceComponentTest, EventsWithoutHandlerOrInterestAreDropped)
{
    TSpVoice voice;  // default interests leave out the audio level
    int words = 0, levels = 0, ends = 0;
    voice.OnWord = [&](TSpVoice*, int, StreamPositionVariant, int, int) { ++words; };
    voice.OnAudioLevel = [&](TSpVoice*, int, StreamPositionVariant, int) { ++levels; };
    voice.OnEndStream = [&](TSpVoice*, int, StreamPositionVariant) { ++ends; };
    voice.Connect();
    service_->RaiseAudioLevel(1, 0, 10);
    service_->RaiseSentence(1, 0, 0, 1);  // no handler
    service_->RaiseWord(1, 0, 0, 1);
    PumpMessages();
    EXPECT_EQ(words, 1);
    EXPECT_EQ(levels, 0);

    voice.SetEventInterests(SVEWordBoundary | SVEAudioLevel);
    service_->RaiseAudioLevel(1, 0, 10);
    service_->RaiseWord(1, 0, 0, 1);
    service_->RaiseEndStream(1, 0);
    PumpMessages();
    EXPECT_EQ(words, 2);
    EXPECT_EQ(levels, 1);
    EXPECT_EQ(ends, 0);
}

TEST_F(VoiceComponentTest, EventsRaisedOnAnotherThreadRunOnTheComponentThread)
{
    TSpVoice voice;
    voice.Connect();
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> positions;
    voice.OnWord = [&](TSpVoice*, int, StreamPositionVariant, int c, int) {
        EXPECT_EQ(GetCurrentThreadId(), uiThread);
        positions.push_back(c);
    };
    WinThread thread([service = service_] {
        for (int i = 0; i < 100; ++i) service->RaiseWord(1, i, i, 1);
    });
    thread.Join();
    PumpMessages();
    ASSERT_EQ(positions.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(positions[static_cast<size_t>(i)], i);
}

TEST_F(VoiceComponentTest, ThrowingHandlerGoesToTheExceptionHandlerAndDeliveryGoesOn)
{
    std::vector<std::string> errors;
    SetVoiceExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            errors.push_back(x.what());
        }
    });
    TSpVoice voice;
    voice.Connect();
    int ends = 0;
    voice.OnWord = [](TSpVoice*, int, StreamPositionVariant, int, int) { throw EOleException("handler failed"); };
    voice.OnEndStream = [&](TSpVoice*, int, StreamPositionVariant) { ++ends; };
    service_->RaiseWord(1, 0, 0, 1);
    service_->RaiseError("The sound device failed");  // no OnError handler
    service_->RaiseEndStream(1, 0);
    PumpMessages();
    EXPECT_EQ(errors, (std::vector<std::string>{"handler failed", "The sound device failed"}));
    EXPECT_EQ(ends, 1);

    std::string reported;
    voice.OnError = [&](TSpVoice*, const EOleException& e) { reported = e.what(); };
    service_->RaiseError("Synthesis failed");
    PumpMessages();
    EXPECT_EQ(reported, "Synthesis failed");
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(VoiceComponentTest, ErrorRaisedBeforeAnyoneListensReachesTheFirstComponent)
{
    service_->RaiseError("Cannot create file /x.wav");  // as a service starting up would
    service_->RaiseWord(1, 0, 0, 1);                     // events are not kept
    TSpVoice voice;
    std::vector<std::string> reported;
    int words = 0;
    voice.OnError = [&](TSpVoice*, const EOleException& e) { reported.push_back(e.what()); };
    voice.OnWord = [&](TSpVoice*, int, StreamPositionVariant, int, int) { ++words; };
    voice.Connect();
    PumpMessages();
    EXPECT_EQ(reported, (std::vector<std::string>{"Cannot create file /x.wav"}));
    EXPECT_EQ(words, 0);
}

TEST_F(VoiceComponentTest, DestroyedComponentGetsNoQueuedEvents)
{
    int words = 0;
    {
        TSpVoice voice;
        voice.Connect();
        voice.OnWord = [&](TSpVoice*, int, StreamPositionVariant, int, int) { ++words; };
        service_->RaiseWord(1, 0, 0, 1);
    }
    service_->RaiseWord(1, 0, 0, 1);  // no subscriber left
    PumpMessages();
    EXPECT_EQ(words, 0);
}

TEST_F(VoiceComponentTest, SynchronousSpeakWaitsForItsStreamToEnd)
{
    TSpVoice voice;
    voice.Connect();
    std::vector<std::string> log;
    voice.OnStartStream = [&](TSpVoice*, int n, StreamPositionVariant) { log.push_back("start " + std::to_string(n)); };
    voice.OnEndStream = [&](TSpVoice*, int n, StreamPositionVariant) { log.push_back("end " + std::to_string(n)); };
    WinThread thread([service = service_] {
        while (service->LastStreamNumber() < 1) Sleep(1);
        Sleep(20);
        service->RaiseStartStream(1, 0);
        service->RaiseEndStream(1, 100);
    });
    EXPECT_EQ(voice.Speak(u"Wait for me.", SVSFDefault), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"start 1", "end 1"}));
}

TEST_F(VoiceComponentTest, SkipFromAnEndOfStreamHandlerNamesTheEndedStream)
{
    TSpVoice voice;
    voice.Connect();
    service_->ClearCalls();
    std::vector<int> endingSeen;
    voice.OnEndStream = [&](TSpVoice* sender, int, StreamPositionVariant) {
        sender->Skip("Sentence", 2147483647);
        endingSeen.push_back(service_->LastSkipEndingStream());
    };
    voice.OnWord = [&](TSpVoice* sender, int, StreamPositionVariant, int, int) {
        sender->Skip("Sentence", 2147483647);
        endingSeen.push_back(service_->LastSkipEndingStream());
    };
    service_->RaiseEndStream(4, 0);
    service_->RaiseWord(5, 0, 0, 1);
    PumpMessages();
    EXPECT_EQ(endingSeen, (std::vector<int>{4, 0}));
    EXPECT_EQ(service_->CallLog(), "Skip(\"Sentence\", 2147483647) -> 0\nSkip(\"Sentence\", 2147483647) -> 0");
}

TEST_F(VoiceComponentTest, DispatchPendingEventsDeliversWithoutTheLoop)
{
    TSpVoice voice;
    voice.Connect();
    int sentences = 0;
    voice.OnSentence = [&](TSpVoice*, int, StreamPositionVariant, int, int) { ++sentences; };
    service_->RaiseSentence(1, 0, 0, 3);
    service_->RaiseSentence(1, 0, 4, 3);
    EXPECT_EQ(voice.DispatchPendingEvents(), 2);
    EXPECT_EQ(sentences, 2);
    PumpMessages();  // the posted messages find nothing left
    EXPECT_EQ(sentences, 2);
}

// ----- the pieces the voice services start and deliver with -------------------

TEST(WinThreadStart, AStartUpThatFailsIsAnsweredAndNeverWaitedForForever)
{
    struct Case {
        const char* name;
        std::function<std::string()> startUp;
        bool expectRun;
        const char* expectedError;  // null: any non-empty text
    };
    const Case cases[] = {
        {"started", [] { return std::string(); }, true, ""},
        {"refused", [] { return std::string("no voice"); }, false, "no voice"},
        {"threw", []() -> std::string { throw std::runtime_error("out of memory"); }, false, "out of memory"},
        {"threw no exception class", []() -> std::string { throw 42; }, false, nullptr},
        {"ended its thread", []() -> std::string {
             ExitThread(0);
             return {};
         },
         false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ran = false;
        WinThread thread;
        const DWORD start = GetTickCount();
        const std::string error = thread.StartAndAwait(c.startUp, [&ran] { ran = true; });
        thread.Join();
        EXPECT_LT(GetTickCount() - start, 2000u);
        EXPECT_EQ(ran, c.expectRun);
        if (c.expectedError) EXPECT_EQ(error, c.expectedError);
        else EXPECT_FALSE(error.empty());
    }
}

// A message queue with room for two wake-ups, as a full queue refuses
// PostMessage: the wake-ups it refused are sent later, and every event,
// the last end of stream included, reaches the component in order.
TEST(VoiceEventQueueDelivery, WakeUpsRefusedByAFullQueueAreSentLater)
{
    int messages = 0;
    const int room = 2;
    VoiceEventQueue queue([&] {
        if (messages >= room) return false;
        ++messages;
        return true;
    });
    std::vector<int> delivered;
    auto handleMessages = [&] {
        for (; messages > 0; --messages) {
            VoiceEvent event;
            if (queue.Pop(event)) delivered.push_back(event.id);
        }
    };
    const int ids[] = {kEventStartStream, kEventWord, kEventWord, kEventSentence, kEventEndStream};
    bool allWoken = true;
    for (int id : ids) {
        VoiceEvent event;
        event.id = id;
        allWoken = queue.Push(event);
    }
    EXPECT_FALSE(allWoken);
    EXPECT_EQ(queue.Owed(), 3u);
    for (int round = 0; round < 10 && delivered.size() < std::size(ids); ++round) {
        handleMessages();
        queue.RetryWakes();
    }
    handleMessages();
    EXPECT_EQ(delivered, std::vector<int>(std::begin(ids), std::end(ids)));
    EXPECT_TRUE(queue.RetryWakes());
    EXPECT_EQ(queue.Owed(), 0u);
}

}  // namespace
}  // namespace quorvane
