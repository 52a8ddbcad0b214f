// The reader window's fixed texts: captions and hints, the help and about
// texts, the progress log lines of the voice events and the phone symbols of
// the phoneme trace. All texts are UTF-8.
#pragma once
#include <string>
#include <string_view>

namespace quorvane::reader {

// Title of the application: caption of every message box and of the task bar button.
inline constexpr std::string_view kApplicationTitle = "Quorvane";

inline constexpr std::string_view kMakerName = "Pelmora";
inline constexpr std::string_view kMakerWebAddress = "www.pelmora.example";
inline constexpr std::string_view kMakerSoftwarePage = "www.pelmora.example/quorvane";
inline constexpr std::string_view kMakerEmail = "quorvane@pelmora.example";

inline constexpr std::string_view kFormCaption = "Quorvane[选中要朗读的文字，按Ctrl+C键或复制菜单项]";
inline constexpr std::string_view kFormHint = "选中要朗读的文字，按Ctrl+C或点右键[复制]菜单项，即可朗读选择内容。";

// "欢迎您访问：" + web address + maker + "Email:" + e-mail address.
std::string StatusBarText();

// Help and about texts: their lines joined by two carriage returns each.
std::string HelpText();
std::string AboutText();

// Progress log line for a copy marked private (a password manager's), which
// is neither read nor spoken. It carries nothing of the copy.
inline constexpr std::string_view kPrivateCopySkippedLine = "Private copy skipped: not read, not spoken";

// Progress log line (and standard error line) for a copy that could not be
// read because another program kept the clipboard open.
inline constexpr std::string_view kBusyClipboardLine = "Clipboard busy: copy not read";

// Progress log lines of the voice events.
std::string StartStreamLine(int stream, int position);
std::string EndStreamLine(int stream, int position);
std::string VoiceChangeLine(int stream, int position, std::string_view voice);
std::string BookmarkLine(int stream, int position, int bookmarkId, std::string_view bookmark);
std::string WordLine(int stream, int position, int characterPosition, int length);
std::string SentenceLine(int stream, int position, int characterPosition, int length);
std::string VisemeLine(int stream, int position, int viseme);
std::string EnginePrivateLine(int stream, int position);

// Symbol of an American English phone id (1..49); empty for ids outside the
// set, which other languages' phone sets produce: they leave no trace.
std::string_view PhonemeSymbol(int phoneId);
inline constexpr int kSilencePhoneId = 7;

}  // namespace quorvane::reader
