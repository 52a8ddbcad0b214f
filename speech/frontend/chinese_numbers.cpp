// Numbers, dates, times, units and symbols read as a Chinese speaker reads
// them. Each Chinese character written keeps the span of the digit or sign it
// reads, so a word event inside "1,234" points at the digit being spoken.
#include <array>
#include <cstdint>

#include "speech/frontend/mapped_text.h"

namespace quorvane::frontend {

namespace {

constexpr std::u16string_view kDigitNames = u"零一二三四五六七八九";

struct Digit {
    int value = 0;
    SourceSpan span;
};
using Digits = std::vector<Digit>;

// Measure words and units after which 2 is read 两.
bool TakesLiang(char16_t c)
{
    static const std::u16string_view kMeasures =
        u"个位只本件条张天年次种人岁点分秒周颗棵台辆家份双对名杯碗瓶斤公米克里小篇首句段页层块根支把间所门场套批口头匹架部";
    return kMeasures.find(c) != std::u16string_view::npos;
}

int ValueOf(const Digits& digits, size_t first, size_t count)
{
    int value = 0;
    for (size_t k = first; k < first + count && k < digits.size(); ++k) value = value * 10 + digits[k].value;
    return value;
}


void AppendDigitByDigit(MappedText& out, const Digits& digits)
{
    for (const Digit& d : digits) out.Append(kDigitNames[static_cast<size_t>(d.value)], d.span, kCitationTone);
}

// An integer with 万/亿 grouping and the 零 rules: one 零 for a run of zeros
// between digits that are read, none at the end ("101" 一百零一, "1005"
// 一千零五, "10000" 一万, "100010000" 一亿零一万); "10".."19" at the start
// drop the 一 ("15" 十五). With `liang` a leading 2 before 千, 万, 亿 and a
// lone 2 read 两. The ones digit keeps its citation tone unless
// `beforeMeasure` (一个 is yí gè, 十一 is shí yī).
void AppendInteger(MappedText& out, Digits digits, bool liang, bool beforeMeasure = false)
{
    size_t lead = 0;
    while (lead + 1 < digits.size() && digits[lead].value == 0) ++lead;
    digits.erase(digits.begin(), digits.begin() + static_cast<std::ptrdiff_t>(lead));
    if (digits.empty()) return;
    if (digits.size() > 16) {
        AppendDigitByDigit(out, digits);
        return;
    }
    if (digits.size() == 1) {
        const Digit& d = digits.front();
        out.Append(liang && d.value == 2 ? u'两' : kDigitNames[static_cast<size_t>(d.value)], d.span,
                   beforeMeasure ? 0 : kCitationTone);
        return;
    }
    static const std::u16string_view kPlaces[4] = {u"", u"十", u"百", u"千"};
    static const std::u16string_view kGroups[4] = {u"", u"万", u"亿", u"万亿"};
    const size_t count = digits.size();
    bool anyRead = false;
    bool pendingZero = false;
    SourceSpan zeroSpan;
    for (size_t k = 0; k < count; ++k) {
        const size_t fromRight = count - 1 - k;
        const size_t place = fromRight % 4;
        const size_t group = fromRight / 4;
        const Digit& d = digits[k];
        if (d.value == 0) {
            if (anyRead && !pendingZero) {
                pendingZero = true;
                zeroSpan = d.span;
            }
        } else {
            if (pendingZero) {
                out.Append(u'零', zeroSpan);
                pendingZero = false;
            }
            const bool first = !anyRead;
            if (first && place == 1 && d.value == 1) {
                // 十五, 十五万: no 一 before a leading 十
            } else if (first && d.value == 2 && liang && (place == 3 || (place == 0 && group > 0))) {
                out.Append(u'两', d.span);
            } else {
                const bool ones = place == 0 && group == 0;
                out.Append(kDigitNames[static_cast<size_t>(d.value)], d.span, ones && !beforeMeasure ? kCitationTone : 0);
            }
            out.Append(kPlaces[place], d.span);
            anyRead = true;
        }
        if (place == 0 && group > 0) {
            // The group's unit, unless the whole group was zeros.
            bool groupHasDigit = false;
            for (size_t back = 0; back < 4 && back <= k; ++back)
                if (digits[k - back].value != 0) groupHasDigit = true;
            if (groupHasDigit) {
                if (pendingZero) pendingZero = false;  // zeros at a group's end are not read
                out.Append(kGroups[group], d.span);
                // Zeros that follow a group's unit are read once more digits come.
            }
        }
    }
}

// Reads digits starting at in.text[i] into `digits`, allowing thousands
// separators ("1,234,567") when `grouping`. Returns true when any was read.
bool TakeDigits(const MappedText& in, size_t& i, Digits& digits, bool grouping)
{
    const std::u16string& t = in.text;
    const size_t start = i;
    while (i < t.size()) {
        if (IsDigit(t[i])) {
            digits.push_back({t[i] - u'0', in.spans[i]});
            ++i;
        } else if (grouping && t[i] == u',' && i > start && i + 3 < t.size() && IsDigit(t[i + 1]) &&
                   IsDigit(t[i + 2]) && IsDigit(t[i + 3]) && (i + 4 >= t.size() || !IsDigit(t[i + 4]))) {
            ++i;  // a thousands separator: exactly three digits follow
        } else {
            break;
        }
    }
    return i > start;
}

struct Unit {
    std::u16string_view written;
    std::u16string_view reading;
};

// Units read in Chinese after a number; longer spellings first.
constexpr Unit kUnits[] = {
    {u"km/h", u"公里每小时"}, {u"km²", u"平方公里"}, {u"m²", u"平方米"}, {u"cm²", u"平方厘米"},
    {u"m³", u"立方米"},       {u"km", u"公里"},      {u"kg", u"公斤"},   {u"mg", u"毫克"},
    {u"cm", u"厘米"},         {u"mm", u"毫米"},      {u"ml", u"毫升"},   {u"mL", u"毫升"},
    {u"°C", u"摄氏度"},       {u"°F", u"华氏度"},    {u"℃", u"摄氏度"}, {u"℉", u"华氏度"},
    {u"°", u"度"},            {u"g", u"克"},         {u"m", u"米"},      {u"L", u"升"},
    {u"h", u"小时"},
};

// The unit written at in.text[i], followed by something that is not a letter.
const Unit* UnitAt(const MappedText& in, size_t i)
{
    const std::u16string& t = in.text;
    for (const Unit& unit : kUnits) {
        if (t.compare(i, unit.written.size(), unit.written) != 0) continue;
        const size_t after = i + unit.written.size();
        if (after < t.size() && (IsLatinLetter(t[after]) || IsDigit(t[after]))) continue;
        return &unit;
    }
    return nullptr;
}

std::u16string_view CurrencyName(char16_t c)
{
    switch (c) {
    case u'¥': case 0xFFE5: return u"元";
    case u'$': return u"美元";
    case 0x20AC: return u"欧元";
    case u'£': case 0xFFE1: return u"英镑";
    default: return {};
    }
}

bool IsMinus(char16_t c) { return c == u'-' || c == 0x2212; }

// Words after which a number is a code read digit by digit (电话110,
// 房间302, 验证码1234).
bool FollowsCodeWord(const std::u16string& text, size_t i)
{
    size_t end = i;
    while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u':' || text[end - 1] == 0xFF1A)) --end;
    static const std::u16string_view kWords[] = {u"电话", u"号码", u"拨打", u"热线", u"手机", u"编号", u"房间", u"邮编",
                                                 u"密码", u"验证码", u"工号", u"学号", u"车次", u"航班", u"分机", u"尾号"};
    for (std::u16string_view word : kWords)
        if (end >= word.size() && text.compare(end - word.size(), word.size(), word) == 0) return true;
    return false;
}

// Words before which a number of three digits or more names a room (302房间,
// 1201室).
bool PrecedesRoomWord(const std::u16string& text, size_t i)
{
    return text.compare(i, 2, u"房间") == 0 || text.compare(i, 1, u"室") == 0 || text.compare(i, 2, u"号房") == 0;
}

bool ValidDate(int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= 31; }

}  // namespace

std::u16string_view ChineseSymbolReading(char16_t c, bool betweenNumbers)
{
    switch (c) {
    case u'&': return u"和";
    case u'+': return u"加";
    case u'=': return u"等于";
    case u'~': case 0x301C: return betweenNumbers ? u"到" : u"约";
    case 0xD7: return u"乘";
    case 0xF7: return u"除以";
    case u'#': return u"井号";
    case 0x2103: return u"摄氏度";
    default: return {};
    }
}

void ReadChineseNumber(const MappedText& in, size_t& i, MappedText& out)
{
    const std::u16string& t = in.text;
    const size_t size = t.size();
    const char16_t previous = i > 0 ? t[i - 1] : 0;

    // Currency sign and sign.
    std::u16string_view currency;
    SourceSpan currencySpan;
    if (!CurrencyName(t[i]).empty() && i + 1 < size && IsDigit(t[i + 1])) {
        currency = CurrencyName(t[i]);
        currencySpan = in.spans[i];
        ++i;
    }
    bool negative = false;
    SourceSpan minusSpan;
    if (IsMinus(t[i]) && i + 1 < size && IsDigit(t[i + 1])) {
        negative = true;
        minusSpan = in.spans[i];
        ++i;
    }

    const size_t start = i;
    Digits first;
    // Thousands separators only where the first group has at most 3 digits.
    {
        size_t probe = i;
        while (probe < size && IsDigit(t[probe])) ++probe;
        TakeDigits(in, i, first, probe - start <= 3);
    }
    const bool grouped = i - start != first.size();
    MappedText number;  // the reading, before percent and currency words
    auto next = [&](size_t k) -> char16_t { return k < size ? t[k] : 0; };
    const bool ordinal = previous == u'第';

    // Time: 10:30, 10:30:15.
    if (!grouped && first.size() <= 2 && next(i) == u':' && IsDigit(next(i + 1)) && IsDigit(next(i + 2)) &&
        !IsDigit(next(i + 3))) {
        Digits minutes;
        size_t k = i + 1;
        TakeDigits(in, k, minutes, false);
        const int hour = ValueOf(first, 0, first.size());
        const int minute = ValueOf(minutes, 0, 2);
        Digits seconds;
        if (next(k) == u':' && IsDigit(next(k + 1)) && IsDigit(next(k + 2)) && !IsDigit(next(k + 3))) {
            size_t s = k + 1;
            TakeDigits(in, s, seconds, false);
            if (ValueOf(seconds, 0, 2) < 60) k = s;
            else seconds.clear();
        }
        if (hour <= 24 && minute < 60) {
            AppendInteger(out, first, true);
            out.Append(u'点', in.spans[i]);
            if (minute != 0 || !seconds.empty()) {
                if (minutes[0].value == 0 && minute != 0) out.Append(u'零', minutes[0].span);
                if (minute == 0) out.Append(u'零', minutes[0].span);
                else AppendInteger(out, minutes, false);
                out.Append(u'分', minutes[1].span);
            }
            if (!seconds.empty()) {
                AppendInteger(out, seconds, false);
                out.Append(u'秒', seconds[1].span);
            }
            i = k;
            return;
        }
    }
    // A score or ratio: 3:2.
    if (!grouped && next(i) == u':' && IsDigit(next(i + 1))) {
        Digits second;
        size_t k = i + 1;
        TakeDigits(in, k, second, false);
        AppendInteger(out, first, false);
        out.Append(u'比', in.spans[i]);
        AppendInteger(out, second, false);
        i = k;
        return;
    }
    // Dates: 2026-12-09, 2026/12/9, 2026.12.9.
    const char16_t separator = next(i);
    if (!grouped && first.size() == 4 && (separator == u'-' || separator == u'/' || separator == u'.') &&
        IsDigit(next(i + 1))) {
        Digits month, day;
        size_t k = i + 1;
        TakeDigits(in, k, month, false);
        if (month.size() <= 2 && next(k) == separator && IsDigit(next(k + 1))) {
            size_t d = k + 1;
            TakeDigits(in, d, day, false);
            if (day.size() <= 2 && ValidDate(ValueOf(month, 0, 2), ValueOf(day, 0, 2))) {
                AppendDigitByDigit(out, first);
                out.Append(u'年', in.spans[i]);
                AppendInteger(out, month, false);
                out.Append(u'月', in.spans[k]);
                AppendInteger(out, day, false);
                // An explicit 日 or 号 after the date is read as written.
                if (next(d) != u'日' && next(d) != u'号') out.Append(u'日', day.back().span);
                i = d;
                return;
            }
        }
    }
    // Phone numbers and other digit groups: 138-1234-5678, 010-12345678.
    if (!grouped && IsMinus(separator) && IsDigit(next(i + 1))) {
        size_t k = i;
        Digits all = first;
        int groups = 1;
        while (IsMinus(next(k)) && IsDigit(next(k + 1))) {
            ++k;
            TakeDigits(in, k, all, false);
            ++groups;
        }
        if (groups >= 3 || all.size() >= 7 || first.front().value == 0) {
            AppendDigitByDigit(out, all);
            i = k;
            return;
        }
    }
    // Ranges: 3-5天, 3~5.
    if (!grouped && (IsMinus(separator) || separator == u'~' || separator == 0x301C) && IsDigit(next(i + 1))) {
        Digits upper;
        size_t k = i + 1;
        TakeDigits(in, k, upper, true);
        if (next(k) != u'.' || !IsDigit(next(k + 1))) {
            if (negative) out.Append(u'负', minusSpan);
            AppendInteger(out, first, false);
            out.Append(u'到', in.spans[i]);
            i = k;
            AppendInteger(out, upper, TakesLiang(next(i)), TakesLiang(next(i)));
            // The unit after the range is read by the caller's next step.
            if (const Unit* unit = UnitAt(in, i)) {
                out.Append(unit->reading, {in.spans[i].begin, in.spans[i + unit->written.size() - 1].end});
                i += unit->written.size();
            }
            return;
        }
    }

    // An ordinary number: integer, decimal, fraction.
    const bool longDigits = !grouped && !ordinal &&
                            (first.size() >= 10 || (first.size() >= 2 && first.front().value == 0 && next(i) != u'.') ||
                             (first.size() >= 3 && next(i) != u'.' &&
                              (FollowsCodeWord(t, start - (negative ? 1 : 0)) || PrecedesRoomWord(t, i))));
    const bool year = !grouped && first.size() == 4 && next(i) == u'年';
    if (longDigits || year) {
        AppendDigitByDigit(number, first);
    } else if (separator == u'.' && IsDigit(next(i + 1))) {
        Digits fraction;
        const SourceSpan pointSpan = in.spans[i];
        size_t k = i + 1;
        TakeDigits(in, k, fraction, false);
        AppendInteger(number, first, false);
        if (number.text.empty()) number.Append(u'零', first.front().span);
        number.Append(u'点', pointSpan);
        AppendDigitByDigit(number, fraction);
        i = k;
    } else if (separator == u'/' && IsDigit(next(i + 1)) && !grouped && first.size() <= 3) {
        Digits denominator;
        size_t k = i + 1;
        TakeDigits(in, k, denominator, false);
        if (denominator.size() <= 3 && ValueOf(denominator, 0, 3) != 0) {
            AppendInteger(number, denominator, false);
            number.Append(u"分之", in.spans[i]);
            AppendInteger(number, first, false);
            i = k;
        } else {
            AppendInteger(number, first, false);
        }
    } else {
        const char16_t after = next(i);
        const bool liang = !ordinal && !negative && currency.empty() && (TakesLiang(after) || UnitAt(in, i) != nullptr);
        AppendInteger(number, first, liang || (!ordinal && first.size() >= 4), liang);
        if (number.text.empty()) number.Append(u'零', first.front().span);
    }

    // Percent and per mille come first in Chinese: 百分之三点五.
    if (next(i) == u'%' || next(i) == 0x2030) {
        out.Append(next(i) == u'%' ? u"百分之" : u"千分之", in.spans[i]);
        ++i;
        if (negative) out.Append(u'负', minusSpan);
        out.Append(number);
        return;
    }
    if (negative) out.Append(u'负', minusSpan);
    out.Append(number);
    if (const Unit* unit = UnitAt(in, i)) {
        out.Append(unit->reading, {in.spans[i].begin, in.spans[i + unit->written.size() - 1].end});
        i += unit->written.size();
    }
    if (!currency.empty()) {
        // "$5元" says the currency once.
        if (next(i) != u'元') out.Append(currency, currencySpan);
    }
}

}  // namespace quorvane::frontend
