#include "skin/data/quick_ini.h"

#include <cstring>

#include "skin/data/text_lines.h"

namespace quorvane {

namespace {
bool IsHeaderLine(const std::string& line)
{
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}
}  // namespace

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
    for (const std::string& raw : SplitTextLines(text)) {
        const std::string_view line = TrimControls(raw);
        if (line.empty() || line.front() == ';') continue;
        lines_.emplace_back(line);
        if (IsHeaderLine(lines_.back())) sections_.emplace_back(lines_.back(), static_cast<int>(lines_.size() - 1));
    }
}

int TQuickIni::SectionLine(const std::string& section) const
{
    // Compares against "[" + section + "]" without building it.
    for (const auto& entry : sections_) {
        const std::string& header = entry.first;
        if (header.size() == section.size() + 2 &&
            EqualsIgnoringAsciiCase(std::string_view(header).substr(1, section.size()), section))
            return entry.second;
    }
    return -1;
}

void TQuickIni::GetSectionNames(std::vector<std::string>& target) const
{
    target.clear();
    for (const auto& entry : sections_) {
        const std::string& header = entry.first;
        target.emplace_back(TrimControls(std::string_view(header).substr(1, header.size() - 2)));
    }
}

std::string TQuickIni::ReadString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const
{
    if (lines_.empty()) return defaultValue;
    const int header = SectionLine(section);
    if (header < 0) return defaultValue;
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (IsHeaderLine(line)) break;
        // The line's key is the trimmed text before the first '=' (empty
        // without one); keys compare with ASCII letters folded.
        const std::string_view view(line);
        const size_t equals = view.find('=');
        const std::string_view lineKey = equals == std::string_view::npos ? std::string_view() : TrimControls(view.substr(0, equals));
        if (!EqualsIgnoringAsciiCase(lineKey, key)) continue;
        // The first occurrence decides, even when its value is empty.
        const std::string_view value = equals == std::string_view::npos ? std::string_view() : TrimControls(view.substr(equals + 1));
        return value.empty() ? defaultValue : std::string(value);
    }
    return defaultValue;
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
