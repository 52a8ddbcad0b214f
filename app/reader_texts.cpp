#include "app/reader_texts.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>

namespace quorvane::reader {

namespace {

std::string Join(std::initializer_list<std::string> lines)
{
    // Two carriage returns: the message box shows one blank line between lines.
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += "\r\r";
        text += line;
    }
    return text;
}

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int size = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (size < 0) return {};
    if (static_cast<size_t>(size) < sizeof buffer) return std::string(buffer, static_cast<size_t>(size));
    std::string text(static_cast<size_t>(size) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    text.resize(static_cast<size_t>(size));
    return text;
}

constexpr std::array<std::string_view, 49> kPhonemeSymbols = {
    "-",  "!",  "&",  ",",  ".",  "?",  "_",  "1",  "2",  "aa", "ae", "ah", "ao",
    "aw", "ax", "ay", "b",  "ch", "d",  "dh", "eh", "er", "ey", "f",  "g",  "h",
    "ih", "iy", "jh", "k",  "l",  "m",  "n",  "ng", "ow", "oy", "p",  "r",  "s",
    "sh", "t",  "th", "uh", "uw", "v",  "w",  "y",  "z",  "zh"};

const std::string kRule(36, '-');

}  // namespace

std::string StatusBarText()
{
    return "欢迎您访问：" + std::string(kMakerWebAddress) + "  " + std::string(kMakerName) + "  Email:" +
           std::string(kMakerEmail);
}

std::string HelpText()
{
    return Join({
        "★软件使用帮助：",
        "◇ 1.本软件可以在您浏览网页，阅读文档时为您朗读。",
        "◇ 2.使用时，请选中要朗读的文本，弹开右键菜单，点复制。",
        "◇ 3.这样选择的文本就会被自动的朗读了。",
        "◇ 4.如果想复制朗读，请勾选[复读]香选框。",
        "◇ 5.朗读英文时，请将引擎选择为[Microsoft Mary]、[Microsoft Mike]、[Microsoft Sam]。",
        "◇ 6.朗读中文时，请将引擎选择为[Microsoft Simplified Chinese]。",
        "◇ 7.在朗读时，您可以自由的调节朗读时的[速度]和[音量]。",
    });
}

std::string AboutText()
{
    return Join({
        "★    关于本软件      ★",
        kRule,
        "电子邮箱：" + std::string(kMakerEmail),
        "软件主页：" + std::string(kMakerSoftwarePage),
        kRule,
    });
}

std::string StartStreamLine(int stream, int position)
{
    return Format("OnStartStream: stream %d, position: %d", stream, position);
}

std::string EndStreamLine(int stream, int position)
{
    return Format("OnEndStream: stream %d, position: %d", stream, position);
}

std::string VoiceChangeLine(int stream, int position, std::string_view voice)
{
    return Format("OnVoiceChange: stream %d, position: %d, voice: ", stream, position) + std::string(voice);
}

std::string BookmarkLine(int stream, int position, int bookmarkId, std::string_view bookmark)
{
    return Format("OnBookmark: stream %d, position %d, bookmark id %d, bookmark: ", stream, position, bookmarkId) +
           std::string(bookmark);
}

std::string WordLine(int stream, int position, int characterPosition, int length)
{
    return Format("OnWord: stream %d, position: %d, char. pos. %d, length %d", stream, position, characterPosition,
                  length);
}

std::string SentenceLine(int stream, int position, int characterPosition, int length)
{
    return Format("OnSentence: stream %d, position: %d, char. pos. %d, length %d", stream, position,
                  characterPosition, length);
}

std::string VisemeLine(int stream, int position, int viseme)
{
    return Format("OnViseme: stream %d, position: %d, viseme %d", stream, position, viseme);
}

std::string EnginePrivateLine(int stream, int position)
{
    return Format("OnEnginePrivate: stream %d, position: %d", stream, position);
}

std::string_view PhonemeSymbol(int phoneId)
{
    if (phoneId < 1 || phoneId > static_cast<int>(kPhonemeSymbols.size())) return {};
    return kPhonemeSymbols[static_cast<size_t>(phoneId - 1)];
}

}  // namespace quorvane::reader
