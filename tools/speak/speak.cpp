// speak: says text through TSpVoice and the espeak-ng voice service and
// prints each event as it arrives. It checks the speech path without the
// reader window.
//
//   speak [--voice NAME] [--rate N] [--volume N] [--wav OUT.wav] [--audio KIND] TEXT...
//   speak --list-voices
//   speak --reading [--voice NAME]   (lines on standard input, tokens out)
//   speak --pinyin       (standard input to the citation pinyin of each line)
//
// Without TEXT the text is read from standard input (UTF-8).
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "speech/audio_output.h"
#include "speech/frontend/pinyin_text.h"
#include "speech/espeak_voice_service.h"
#include "speech/frontend/text_front_end.h"
#include "speech/speech_lib_tlb.h"
#include "speech/speech_text.h"

namespace quorvane {
namespace {


std::u16string FromUtf8(const std::string& text)
{
    std::u16string out;
    if (text.empty()) return out;
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    out.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<WCHAR*>(out.data()), n);
    return out;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: speak [--voice NAME] [--rate N] [--volume N] [--wav OUT.wav] [--audio device|null|wav:PATH] TEXT...\n"
                 "       speak --list-voices\n"
                 "       speak --pinyin\n"
                 "       speak --reading [--voice NAME]\n"
                 "Without TEXT, the text is read from standard input.\n"
                 "--pinyin reads UTF-8 lines on standard input and prints one line for each: the citation\n"
                 "pinyin of every Han character in order, tone digit 1-5 (5 neutral), u: for u-umlaut\n"
                 "(\"yin2 hang2\"); a line without Han characters gives an empty line.\n"
                 "--reading prints, for each UTF-8 line on standard input, one line of the tokens as\n"
                 "they will be spoken: Mandarin syllables as pinyin with the tone as spoken (1-4,\n"
                 "5 neutral; u: for u-umlaut), words read by a voice other than the current one as\n"
                 "LANG:word (en:Windows), \"|\" for a line break's pause, \"||\" for a paragraph's.\n"
                 "The current voice is the Mandarin one unless --voice names another language\n"
                 "(en-us, de...). It needs no sound and starts no voice.\n");
}

// One line of citation pinyin per line of standard input.
void PrintPinyin()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string pinyin = frontend::PinyinLine(frontend::Utf8ToUtf16(line));
        std::fwrite(pinyin.data(), 1, pinyin.size(), stdout);
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
}

DWORD gStart = 0;

void Line(int id, const char* name, int stream, long long position, const std::string& rest)
{
    std::printf("[%6lu ms] %2d %-15s stream %d position %lld%s%s\n", static_cast<unsigned long>(GetTickCount() - gStart),
                id, name, stream, position, rest.empty() ? "" : " ", rest.c_str());
    std::fflush(stdout);
}

// One line of spoken tokens per input line (see Usage).
int PrintReadings(const std::string& voiceName)
{
    frontend::FrontEndOptions options;
    const std::string voice = Lower(voiceName);
    if (voice.empty() || voice.rfind("cmn", 0) == 0 || voice.rfind("zh", 0) == 0 || voice.find("mandarin") != std::string::npos)
        options.current = frontend::CurrentLanguage::Mandarin;
    else if (voice == "en" || voice.rfind("en-", 0) == 0 || voice.find("english") != std::string::npos)
        options.current = frontend::CurrentLanguage::English;
    else
        options.current = frontend::CurrentLanguage::Other;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string reading = frontend::ReadingLine(frontend::FromUtf8(line), options);
        std::fwrite(reading.data(), 1, reading.size(), stdout);
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
    return 0;
}

int Run(int argc, WCHAR** argv)
{
    std::string voiceName, wavPath, audio;
    int rate = 0, volume = 100;
    bool listVoices = false, haveRate = false, haveVolume = false, reading = false;
    std::u16string text;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = Utf16ToUtf8Lossy(reinterpret_cast<const char16_t*>(argv[i]));
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
            return Utf16ToUtf8Lossy(reinterpret_cast<const char16_t*>(argv[++i]));
        };
        if (arg == "--voice") voiceName = value();
        else if (arg == "--rate") rate = std::stoi(value()), haveRate = true;
        else if (arg == "--volume") volume = std::stoi(value()), haveVolume = true;
        else if (arg == "--wav") wavPath = value();
        else if (arg == "--audio") audio = value();
        else if (arg == "--list-voices") listVoices = true;
        else if (arg == "--reading") reading = true;
        else if (arg == "--pinyin") return PrintPinyin(), 0;
        else if (arg == "--help" || arg == "-h") return Usage(), 0;
        else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) throw std::invalid_argument("unknown option " + arg);
        else text += (text.empty() ? u"" : u" ") + std::u16string(reinterpret_cast<const char16_t*>(argv[i]));
    }
    if (reading) return PrintReadings(voiceName);

    if (!wavPath.empty()) audio = "wav:" + wavPath;
    if (audio.empty()) {
        const char* fromEnvironment = std::getenv("QUORVANE_AUDIO");
        audio = fromEnvironment ? fromEnvironment : (listVoices ? "null" : "device");
    }
    SetVoiceServiceFactory([audio]() -> std::shared_ptr<VoiceService> {
        return std::make_shared<EspeakVoiceService>(CreateAudioOutput(audio));
    });

    TSpVoice voice;
    voice.Connect();
    ISpeechObjectTokens tokens = voice.GetVoices();
    if (listVoices) {
        for (int i = 0; i < tokens.Count(); ++i) {
            ISpeechObjectTokenPtr token = tokens.Item(i);
            std::printf("%s\n  Name: %s\n  Vendor: %s\n  Age: %s\n  Gender: %s\n  Language: %s\n  Id: %s\n",
                        token->GetDescription().c_str(), token->GetAttribute("Name").c_str(),
                        token->GetAttribute("Vendor").c_str(), token->GetAttribute("Age").c_str(),
                        token->GetAttribute("Gender").c_str(), token->GetAttribute("Language").c_str(),
                        token->Id().c_str());
        }
        return 0;
    }
    if (!voiceName.empty()) {
        ISpeechObjectTokenPtr chosen;
        const std::string wanted = Lower(voiceName);
        for (int i = 0; i < tokens.Count() && !chosen; ++i) {
            ISpeechObjectTokenPtr token = tokens.Item(i);
            const std::string description = Lower(token->GetDescription());
            const std::string id = Lower(token->Id());
            if (description.find(wanted) != std::string::npos ||
                (id.size() >= wanted.size() && id.compare(id.size() - wanted.size(), wanted.size(), wanted) == 0))
                chosen = token;
        }
        if (!chosen) throw std::invalid_argument("no installed voice matches \"" + voiceName + "\" (see --list-voices)");
        voice.SetVoice(chosen.Get());
    }
    if (haveRate) voice.SetRate(rate);
    if (haveVolume) voice.SetVolume(volume);
    if (text.empty()) {
        std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        text = FromUtf8(input);
    }

    auto slice = [&text](int position, int length) {
        if (position < 0 || length < 0 || static_cast<size_t>(position) > text.size()) return std::string("?");
        return "\"" + Utf16ToUtf8Lossy(text.substr(static_cast<size_t>(position), static_cast<size_t>(length))) + "\"";
    };
    int ended = 0;
    voice.SetEventInterests(SVEAllEvents);
    voice.OnStartStream = [](TSpVoice*, int s, StreamPositionVariant p) { Line(1, "OnStartStream", s, p, ""); };
    voice.OnEndStream = [&ended](TSpVoice*, int s, StreamPositionVariant p) {
        Line(2, "OnEndStream", s, p, "");
        ended = s;
    };
    voice.OnVoiceChange = [](TSpVoice*, int s, StreamPositionVariant p, ISpeechObjectToken* t) {
        Line(3, "OnVoiceChange", s, p, "voice " + (t ? t->GetDescription() : std::string("?")));
    };
    voice.OnBookmark = [](TSpVoice*, int s, StreamPositionVariant p, const std::string& b, int id) {
        Line(4, "OnBookmark", s, p, "bookmark " + b + " id " + std::to_string(id));
    };
    voice.OnWord = [&slice](TSpVoice*, int s, StreamPositionVariant p, int c, int l) {
        Line(5, "OnWord", s, p, "char " + std::to_string(c) + " length " + std::to_string(l) + " " + slice(c, l));
    };
    voice.OnPhoneme = [](TSpVoice*, int s, StreamPositionVariant p, int d, std::int16_t next, int f, std::int16_t cur) {
        Line(6, "OnPhoneme", s, p, "phone " + std::to_string(cur) + " next " + std::to_string(next) + " duration " +
                                       std::to_string(d) + " feature " + std::to_string(f));
    };
    voice.OnSentence = [&slice](TSpVoice*, int s, StreamPositionVariant p, int c, int l) {
        Line(7, "OnSentence", s, p, "char " + std::to_string(c) + " length " + std::to_string(l) + " " + slice(c, l));
    };
    voice.OnViseme = [](TSpVoice*, int s, StreamPositionVariant p, int d, int next, int f, int cur) {
        Line(8, "OnViseme", s, p, "viseme " + std::to_string(cur) + " next " + std::to_string(next) + " duration " +
                                      std::to_string(d) + " feature " + std::to_string(f));
    };
    voice.OnAudioLevel = [](TSpVoice*, int s, StreamPositionVariant p, int level) {
        Line(9, "OnAudioLevel", s, p, "level " + std::to_string(level));
    };
    voice.OnEnginePrivate = [](TSpVoice*, int s, int p, std::int64_t data) {
        Line(10, "OnEnginePrivate", s, p, "data " + std::to_string(data));
    };
    int failures = 0;
    voice.OnError = [&failures](TSpVoice*, const EOleException& e) {
        std::fprintf(stderr, "speak: %s\n", e.what());
        ++failures;
    };

    gStart = GetTickCount();
    const int stream = voice.Speak(text, SVSFlagsAsync);
    MSG msg;
    while (ended < stream && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return failures ? 1 : 0;
}

}  // namespace
}  // namespace quorvane

extern "C" int wmain(int argc, WCHAR** argv)
{
    try {
        return quorvane::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "speak: %s\n", e.what());
        return 2;
    }
}
