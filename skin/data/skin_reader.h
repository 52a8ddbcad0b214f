// TSkinReader: decompresses a skin package, checks its format version,
// indexes its members by name and copies single members out.
//
// Package bytes: int32 uncompressed size U, then LZH data expanding to U
// bytes. Decoded content: int32 version (20000), int32 name-table length L,
// two reserved int32, L bytes of member names (one per line), one int32 size
// per name, then the member data concatenated in name order.
//
// Malformed packages never make the reader read or write out of bounds:
// - more than kSizeTableEntries names: the size table grows to one entry per
//   name, so every member stays reachable; a package of more than kMaxMembers
//   names is refused (a few bytes per name would otherwise cost memory and
//   look-up time out of all proportion to the package);
// - sizes missing at the end of the content read as 0;
// - a member whose declared size runs past the decoded data yields only the
//   bytes that exist; a negative size counts as 0.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "skin/data/memory_stream.h"

namespace quorvane {

constexpr int32_t kSkinPackageVersion = 20000;
extern const char kOlderSkinMessage[];  // "This is Older Skin File\rPlease update to new version !"

// Shows the skin-version message. The Winelib build shows a plain message box
// (through ShowMessageBox, captioned with the application title); the native
// build used for fuzzing shows nothing. Defined in skin_message_win32.cpp /
// skin_message_native.cpp.
void ShowSkinVersionMessage(const std::string& text);

struct SkinPackageHeader {
    int32_t version = 0;
    int32_t nameTableLength = 0;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
};

class TSkinReader {
public:
    // The number of sizes the format provides for; larger tables are grown.
    static constexpr int kSizeTableEntries = 1001;
    // Names a package may list at most.
    static constexpr size_t kMaxMembers = size_t{1} << 16;

    // Decodes the whole package (from position 0 of the stream) and indexes it.
    // Returns false for a version other than 20000, after showing the
    // version message, and for a name table of more than kMaxMembers names
    // (saying so on stderr). ElzhException propagates.
    bool ReadPackage(MemoryStream& package);
    // Why the last read refused its package (empty when it did not, or when
    // the version message said so). Quiet: the reason is not written to
    // stderr (the caller reports it).
    const std::string& LastError() const { return lastError_; }
    void SetQuiet(bool quiet) { quiet_ = quiet; }
    // The same for content already decoded (from its position 0).
    bool ReadContent(MemoryStream& content);

    // Empties target, then copies the first member whose name equals
    // AsciiLower(name) into it and rewinds it. No match leaves it empty.
    void ExtractMember(const std::string& name, MemoryStream& target) const;

    // Empties target, then copies the first member whose (lower-case) name
    // contains fragment as given, rewinds target and returns true with the
    // name in foundName. No match: target empty, foundName untouched, false.
    bool FindMemberContaining(const std::string& fragment, MemoryStream& target,
                              std::string& foundName) const;

    const std::vector<std::string>& Names() const { return names_; }
    int32_t Count() const { return count_; }
    // Declared size of member i (0 <= i < Count()).
    int32_t MemberSize(int index) const { return sizes_[static_cast<size_t>(index)]; }
    const MemoryStream& Data() const { return data_; }
    const SkinPackageHeader& Header() const { return header_; }

private:
    void CopyMember(size_t index, MemoryStream& target) const;

    std::vector<std::string> names_;
    std::string lastError_;
    bool quiet_ = false;
    int32_t count_ = 0;
    std::vector<int32_t> sizes_ = std::vector<int32_t>(kSizeTableEntries, 0);
    MemoryStream data_;
    SkinPackageHeader header_;
};

// The bitmap-loading rule for a description value such as "Image=..\\left.bmp":
// returns the file-name part (after the last '\\' or ':') when it is non-empty
// and its extension is exactly ".bmp" (lower case), else the empty text.
std::string BitmapMemberName(const std::string& value);

// Applies the rule and extracts the member into target. Returns true when the
// target then holds at least one byte: the caller loads a device-independent
// bitmap file from it; false means the bitmap stays empty. Creating the GDI
// bitmap is left to the Win32 side (bitmap utilities), so this core stays portable.
bool ExtractBitmapMember(const TSkinReader& reader, const std::string& value, MemoryStream& target);

}  // namespace quorvane
