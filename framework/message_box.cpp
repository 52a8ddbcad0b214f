#include "framework/message_box.h"

#include <utility>

namespace quorvane {

static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR must be UTF-16");

namespace {
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}
}  // namespace

std::u16string Utf8ToUtf16(const std::string& text)
{
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::u16string result(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<WCHAR*>(result.data()), wide);
    return result;
}

std::string Utf16ToUtf8(const WCHAR* text, int length)
{
    if (!text) return {};
    if (length < 0) length = lstrlenW(text);
    if (length == 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

std::string Utf16ToUtf8(const std::u16string& text)
{
    return Utf16ToUtf8(reinterpret_cast<const WCHAR*>(text.data()), static_cast<int>(text.size()));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    if (Handler()) return Handler()(MessageBoxRequest{owner, text, caption, flags});
    const std::u16string wideText = Utf8ToUtf16(text);
    const std::u16string wideCaption = Utf8ToUtf16(caption);
    return MessageBoxW(owner, reinterpret_cast<const WCHAR*>(wideText.c_str()),
                       reinterpret_cast<const WCHAR*>(wideCaption.c_str()), flags);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace quorvane
