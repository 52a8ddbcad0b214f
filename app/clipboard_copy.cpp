#include "app/clipboard_copy.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace quorvane::reader {

namespace {

// Closes the clipboard on every way out.
class OpenedClipboard {
public:
    OpenedClipboard() = default;
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard()
    {
        if (open_) CloseClipboard();
    }
    bool Open(HWND window, int attempts, DWORD gapMs)
    {
        for (int attempt = 0; attempt < std::max(1, attempts); ++attempt) {
            if (attempt > 0) Sleep(gapMs);
            if (OpenClipboard(window)) return open_ = true;
        }
        return false;
    }

private:
    bool open_ = false;
};

// At most `limit` bytes of a clipboard format, bounded by its memory block.
std::string FormatBytes(UINT format, size_t limit)
{
    std::string bytes;
    if (HANDLE data = GetClipboardData(format)) {
        if (const auto* memory = static_cast<const char*>(GlobalLock(data))) {
            bytes.assign(memory, std::min<SIZE_T>(GlobalSize(data), limit));
            GlobalUnlock(data);
        }
    }
    return bytes;
}

// Whether the open clipboard holds a copy its maker marked private, as
// password managers do so that clipboard watchers leave it alone: on Windows
// by the formats "ExcludeClipboardContentFromMonitorProcessing" and
// "Clipboard Viewer Ignore", or "CanIncludeInClipboardHistory" holding 0; on
// X11 by the target "x-kde-passwordManagerHint" holding "secret", which Wine
// offers as a registered format of that name with the target's bytes. A
// mark whose value cannot be read counts as private: better a copy left
// unspoken than a password read out.
bool HoldsPrivateMark()
{
    static const UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    static const UINT viewerIgnore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    static const UINT passwordHint = RegisterClipboardFormatW(L"x-kde-passwordManagerHint");
    if ((exclude && IsClipboardFormatAvailable(exclude)) || (viewerIgnore && IsClipboardFormatAvailable(viewerIgnore)))
        return true;
    if (history && IsClipboardFormatAvailable(history)) {
        const std::string value = FormatBytes(history, 64);
        DWORD allowed = 0;
        if (value.size() >= sizeof allowed) std::memcpy(&allowed, value.data(), sizeof allowed);
        if (allowed == 0) return true;
    }
    if (passwordHint && IsClipboardFormatAvailable(passwordHint)) {
        std::string value = FormatBytes(passwordHint, 64);
        while (!value.empty() && value.back() == '\0') value.pop_back();
        if (value.empty() || value == "secret") return true;
    }
    return false;
}

// The clipboard's text as UTF-16, bounded by the size of its memory block so
// that a block without a terminating zero cannot make it read past its end.
std::u16string TextOfOpenClipboard()
{
    std::u16string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
            const size_t capacity = GlobalSize(data) / sizeof(char16_t);
            size_t length = 0;
            while (length < capacity && chars[length] != u'\0') ++length;
            text.assign(chars, length);
            GlobalUnlock(data);
        }
    }
    return text;
}

std::uint64_t ProcessKey()
{
    static const std::uint64_t key = [] {
        std::random_device random;
        return (static_cast<std::uint64_t>(random()) << 32) ^ random() ^ GetTickCount64();
    }();
    return key;
}

}  // namespace

std::uint64_t ContentHash(std::u16string_view text)
{
    // FNV-1a over the key and the text's code units, then a final mix so
    // that close texts land far apart.
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            hash ^= (value >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    };
    add(ProcessKey(), 8);
    add(text.size(), 8);
    for (char16_t c : text) add(c, 2);
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    return hash;
}

std::optional<ClipboardCopy> ReadClipboardCopy(HWND window, int attempts, DWORD gapMs)
{
    OpenedClipboard clipboard;
    if (!clipboard.Open(window, attempts, gapMs)) return std::nullopt;
    ClipboardCopy copy;
    copy.marked = HoldsPrivateMark();
    copy.text = TextOfOpenClipboard();
    copy.contentHash = ContentHash(copy.text);
    if (copy.marked) {
        // Only the hash of a private copy is kept.
        SecureZeroMemory(copy.text.data(), copy.text.size() * sizeof(char16_t));
        copy.text.clear();
        copy.text.shrink_to_fit();
    }
    copy.sequence = GetClipboardSequenceNumber();
    copy.owner = GetClipboardOwner();
    return copy;
}

CopyTracker::Verdict CopyTracker::Classify(const ClipboardCopy& copy, DWORD nowMs)
{
    const bool sameContent = haveContent_ && copy.contentHash == lastHash_;
    const bool soonFromSameOwner =
        sameContent && !userActed_ && copy.owner == lastOwner_ && nowMs - lastTime_ < kRepeatWindowMs;
    Verdict verdict;
    if (copy.marked) {
        // A marked announcement whose text could not be read (Wine can list
        // the last owner's formats once that owner is gone) says nothing of
        // the private content: the hash of the text it did carry stays.
        if (!havePrivate_ || copy.contentHash != ContentHash(std::u16string())) privateHash_ = copy.contentHash;
        havePrivate_ = true;
        verdict = Verdict::PrivateCopy;
    } else if (havePrivate_ && copy.contentHash == privateHash_) {
        verdict = Verdict::PrivateCopy;
    } else if (soonFromSameOwner) {
        verdict = Verdict::SameCopy;
    } else {
        if (copy.contentHash != ContentHash(std::u16string())) havePrivate_ = false;
        verdict = Verdict::NewCopy;
    }
    haveSequence_ = true;
    lastSequence_ = copy.sequence;
    haveContent_ = true;
    lastHash_ = copy.contentHash;
    lastOwner_ = copy.owner;
    lastTime_ = nowMs;
    userActed_ = false;
    return verdict;
}

void CopyTracker::ForgetContent()
{
    haveContent_ = false;
}

}  // namespace quorvane::reader
