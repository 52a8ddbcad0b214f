// The espeak-ng service on an espeak-ng that lacks Mandarin voices (ctest
// runs this program twice, with espeak-ng data that leaves out its pinyin
// voice, and with data that leaves out both Mandarin voices): Han text is read
// by what there is, and never named character by character ("Chinese
// letter") by an English voice.
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "speech/audio_output.h"
#include "speech/espeak_voice_service.h"
#include "speech/speech_lib_tlb.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

struct Word {
    int stream;
    std::u16string text;
};

TEST(EspeakFallback, HanTextIsReadByWhatEspeakHasOrLeftOutWithOneNotice)
{
    const char* expectation = std::getenv("QUORVANE_EXPECT");
    const std::string expect = expectation ? expectation : "";
    ASSERT_TRUE(expect == "plain-mandarin" || expect == "no-mandarin")
        << "run through ctest, which prepares espeak-ng's data for this test";
    const bool plain = expect == "plain-mandarin";

    const std::string wavPath = "/tmp/quorvane-speech-fallback.wav";
    SetVoiceServiceFactory([wavPath]() -> std::shared_ptr<VoiceService> {
        return std::make_shared<EspeakVoiceService>(std::make_unique<WavAudioOutput>(wavPath, 20));
    });
    {
        TSpVoice voice;
        std::vector<Word> words;
        std::vector<std::string> notices, errors;
        int ended = 0;
        std::u16string spoken;
        voice.OnWord = [&](TSpVoice*, int s, StreamPositionVariant, int c, int l) {
            words.push_back({s, spoken.substr(static_cast<size_t>(c), static_cast<size_t>(l))});
        };
        voice.OnEndStream = [&](TSpVoice*, int s, StreamPositionVariant) { ended = s; };
        voice.OnNotice = [&](TSpVoice*, VoiceCondition condition, bool active, const std::string& text) {
            if (condition == VoiceCondition::NoMandarinVoice) notices.push_back(active ? text : "(over)");
        };
        voice.OnError = [&](TSpVoice*, const EOleException& e) { errors.push_back(e.what()); };
        auto say = [&](const std::u16string& text) {
            spoken = text;
            const int stream = voice.Speak(text, SVSFlagsAsync);
            const DWORD start = GetTickCount();
            while (ended < stream && GetTickCount() - start < 20000) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            }
            EXPECT_EQ(ended, stream);
            std::vector<std::u16string> out;
            for (const Word& w : words)
                if (w.stream == stream) out.push_back(w.text);
            return out;
        };

        // Handlers first: a lasting condition is told as the component connects.
        voice.Connect();
        ISpeechObjectTokens tokens = voice.GetVoices();
        if (plain) {
            // The plain Mandarin voice takes the pinyin voice's place, fourth.
            ASSERT_EQ(tokens.Count(), 4);
            EXPECT_EQ(tokens.Item(3)->GetAttribute("Language"), "804");
            voice.SetVoice(tokens.Item(3).Get());
            const auto heard = say(u"我用Windows电脑。");
            EXPECT_NE(std::find(heard.begin(), heard.end(), u"Windows"), heard.end());
            EXPECT_NE(std::find(heard.begin(), heard.end(), u"我"), heard.end());
            EXPECT_TRUE(notices.empty());
        } else {
            ASSERT_EQ(tokens.Count(), 3);  // the three English voices
            const auto heard = say(u"Hello 你好 world.");
            EXPECT_EQ(heard, (std::vector<std::u16string>{u"Hello", u"world"}));
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_NE(notices[0].find("Mandarin"), std::string::npos) << notices[0];
            // Said once: a second Han text ends silently without a new notice.
            EXPECT_TRUE(say(u"再见。").empty());
            EXPECT_EQ(notices.size(), 1u);
        }
        EXPECT_TRUE(errors.empty());
    }
    SetVoiceServiceFactory(nullptr);
    std::remove(wavPath.c_str());
}

}  // namespace
}  // namespace quorvane
