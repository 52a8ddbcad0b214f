// What the reader takes from the clipboard when a copy is announced, and how
// it tells a new copy from the same copy announced again.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane::reader {

// One look at the clipboard, taken in a single opening of it.
struct ClipboardCopy {
    // Marked private by its maker (a password manager).
    bool marked = false;
    // The text (CF_UNICODETEXT, which the platform makes from CF_TEXT and
    // CF_OEMTEXT). Empty for a marked copy: its text is only hashed.
    std::u16string text;
    // ContentHash of the text, marked copies included.
    std::uint64_t contentHash = 0;
    // The clipboard's sequence number once the copy was read (reading may
    // make its owner render the data, which advances the number).
    DWORD sequence = 0;
    HWND owner = nullptr;
};

// Opens the clipboard for `window`, trying again `attempts` times `gapMs`
// apart while another program holds it, and reads the private marks and the
// text. Nothing when it stayed busy.
std::optional<ClipboardCopy> ReadClipboardCopy(HWND window, int attempts = 5, DWORD gapMs = 25);

// A hash of a text, keyed with a secret chosen at random once per process,
// so the reader can recognise a private copy without keeping it.
std::uint64_t ContentHash(std::u16string_view text);

// Decides what an announcement of a clipboard change is:
//   - the clipboard's sequence number is the one the reader saw when it last
//     read the clipboard: nothing was put on it since (a notice passed on
//     twice along the viewer chain): the same copy;
//   - the content is that of the last private copy, for as long as nothing
//     else was on the clipboard in between: private, marked or not (Wine
//     has announced an X11 copy a second time without its mark);
//   - the same content from the same owner within kRepeatWindowMs of the
//     last announcement, with no stop, play or pause of the user in
//     between: the same copy announced again (Wine's clipboard
//     manager owns every X11 copy and gives each announcement a new sequence
//     number, so only the time tells a repeat from a new copy there);
//   - anything else is a new copy, the same text copied again included.
class CopyTracker {
public:
    enum class Verdict { NewCopy, SameCopy, PrivateCopy };
    static constexpr DWORD kRepeatWindowMs = 1000;

    // True when the clipboard has not changed since the last copy was read.
    bool Unchanged(DWORD sequence) const { return haveSequence_ && sequence == lastSequence_; }
    Verdict Classify(const ClipboardCopy& copy, DWORD nowMs);
    // Content that is not text replaced whatever was on the clipboard.
    void ForgetContent();
    // The user stopped, played or paused since: the next copy of the same
    // text is theirs, not a repeat of the last announcement.
    void UserActed() { userActed_ = true; }

private:
    bool haveSequence_ = false;
    DWORD lastSequence_ = 0;
    bool haveContent_ = false;
    std::uint64_t lastHash_ = 0;
    HWND lastOwner_ = nullptr;
    DWORD lastTime_ = 0;
    // The last private copy's hash: the same content unmarked stays private
    // until other text is copied (an announcement without text, as Wine makes
    // between two owners, does not end it).
    bool havePrivate_ = false;
    std::uint64_t privateHash_ = 0;
    bool userActed_ = false;
};

}  // namespace quorvane::reader
