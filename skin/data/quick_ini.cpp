#include "skin/data/quick_ini.h"

#include <cstring>

#include "skin/data/text_lines.h"

namespace quorvane {

namespace {
bool IsHeaderLine(const std::string& line)
{
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

char FoldAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}
}  // namespace

size_t TQuickIni::FoldedHash::operator()(std::string_view text) const
{
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char ch : text) hash = (hash ^ static_cast<unsigned char>(FoldAscii(ch))) * 1099511628211ull;
    return static_cast<size_t>(hash);
}

bool TQuickIni::FoldedEqual::operator()(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

void TQuickIni::LoadFromStream(MemoryStream* stream)
{
    if (!stream) return;
    const size_t remaining = stream->Remaining();
    std::string text(reinterpret_cast<const char*>(stream->Data() + stream->Position()), remaining);
    stream->Seek(stream->Position() + remaining);
    LoadFromText(text);
}

void TQuickIni::LoadFromText(const std::string& text)
{
    lines_.clear();
    sections_.clear();
    sectionIndex_.clear();
    keyIndexes_.clear();
    truncated_ = false;
    ForEachTextLine(text, [&](std::string_view raw) {
        const std::string_view line = TrimControls(raw);
        if (line.empty() || line.front() == ';') return true;
        if (lines_.size() == kMaxLines) {
            truncated_ = true;
            return false;
        }
        lines_.emplace_back(line);
        const std::string& kept = lines_.back();
        if (IsHeaderLine(kept)) {
            const int index = static_cast<int>(lines_.size() - 1);
            sections_.emplace_back(kept, index);
            sectionIndex_.try_emplace(kept.substr(1, kept.size() - 2), index);
        }
        return true;
    });
}

int TQuickIni::SectionLine(const std::string& section) const
{
    // The header "[" + section + "]" compared without regard to ASCII case.
    const auto found = sectionIndex_.find(std::string_view(section));
    return found == sectionIndex_.end() ? -1 : found->second;
}

void TQuickIni::GetSectionNames(std::vector<std::string>& target) const
{
    target.clear();
    target.reserve(sections_.size());
    for (const auto& entry : sections_) {
        const std::string& header = entry.first;
        target.emplace_back(TrimControls(std::string_view(header).substr(1, header.size() - 2)));
    }
}

const TQuickIni::KeyIndex& TQuickIni::KeysOf(int header) const
{
    const auto known = keyIndexes_.find(header);
    if (known != keyIndexes_.end()) return known->second;
    KeyIndex& keys = keyIndexes_[header];
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (IsHeaderLine(line)) break;
        // The line's key is the trimmed text before the first '=' (empty
        // without one). The first occurrence decides, even when its value is
        // empty.
        const size_t equals = line.find('=');
        const std::string_view key =
            equals == std::string::npos ? std::string_view() : TrimControls(std::string_view(line).substr(0, equals));
        keys.try_emplace(std::string(key), static_cast<int>(i));
    }
    return keys;
}

std::string TQuickIni::ReadString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const
{
    if (lines_.empty()) return defaultValue;
    const int header = SectionLine(section);
    if (header < 0) return defaultValue;
    const KeyIndex& keys = KeysOf(header);
    const auto found = keys.find(std::string_view(key));
    if (found == keys.end()) return defaultValue;
    const std::string& line = lines_[static_cast<size_t>(found->second)];
    const size_t equals = line.find('=');
    const std::string_view value =
        equals == std::string::npos ? std::string_view() : TrimControls(std::string_view(line).substr(equals + 1));
    return value.empty() ? defaultValue : std::string(value);
}

int32_t TQuickIni::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const
{
    std::string text = ReadString(section, key, std::string());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    int32_t value = 0;
    return TryStrToInt32(text, value) ? value : defaultValue;
}

bool TryStrToInt32(const std::string& text, int32_t& value)
{
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && text[p] == ' ') ++p;
    if (p == n) return false;

    bool hex = false;
    if (text[p] == '$' || text[p] == 'x' || text[p] == 'X') {
        hex = true;
        ++p;
    } else if (text[p] == '0' && p + 1 < n && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
        hex = true;
        p += 2;
    }
    if (hex) {
        if (p == n) return false;
        uint32_t result = 0;
        int significant = 0;
        for (; p < n; ++p) {
            const int digit = HexDigit(text[p]);
            if (digit < 0) return false;
            if (significant > 0 || digit != 0) ++significant;
            if (significant > 8) return false;
            result = (result << 4) | static_cast<uint32_t>(digit);
        }
        value = static_cast<int32_t>(result);  // wraps: $FFFFFFFF is -1
        return true;
    }

    bool negative = false;
    if (text[p] == '+' || text[p] == '-') {
        negative = text[p] == '-';
        ++p;
    }
    if (p == n) return false;
    int64_t result = 0;
    for (; p < n; ++p) {
        const char ch = text[p];
        if (ch < '0' || ch > '9') return false;
        result = result * 10 + (ch - '0');
        if (result > 2147483648LL) return false;
    }
    if (negative) result = -result;
    if (result > 2147483647LL) return false;
    value = static_cast<int32_t>(result);
    return true;
}

}  // namespace quorvane
