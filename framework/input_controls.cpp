#include "framework/input_controls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/com_controls.h"
#include "framework/message_box.h"

namespace quorvane {

// ---- TUpDown --------------------------------------------------------------------

const TClassInfo& TUpDown::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TUpDown>("TUpDown", &TWinControl::StaticClass(), [](PropRegistrar<TUpDown>& p) {
            p.Object<TWinControl>("Associate", &TUpDown::Associate, &TUpDown::SetAssociate);
            p.Integer("Min", &TUpDown::Min, &TUpDown::SetMin);
            p.Integer("Max", &TUpDown::Max, &TUpDown::SetMax);
            p.Integer("Position", &TUpDown::Position, &TUpDown::SetPosition);
            p.Integer("Increment", &TUpDown::Increment, &TUpDown::SetIncrement);
            p.Enumeration("Orientation", {"udHorizontal", "udVertical"}, &TUpDown::Orientation, &TUpDown::SetOrientation);
            p.Enumeration("AlignButton", {"udLeft", "udRight"}, &TUpDown::AlignButton, &TUpDown::SetAlignButton);
            p.Boolean("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap);
            p.Boolean("ArrowKeys", &TUpDown::ArrowKeys, &TUpDown::SetArrowKeys);
            p.Boolean("Thousands", &TUpDown::Thousands, &TUpDown::SetThousands);
            p.Method("OnClick", [](const TUpDown& c) { return static_cast<bool>(c.OnClick); });
            p.Method("OnChanging", [](const TUpDown& c) { return static_cast<bool>(c.OnChanging); });
        });
    return info;
}

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), 24);
}

void TUpDown::CreateParams(TCreateParams& params)
{
    InitCommonControlsOnce();
    TWinControl::CreateParams(params);
    params.wrappedClass = u"msctls_updown32";
    if (associate_) params.style |= UDS_SETBUDDYINT | (alignButton_ == udLeft ? UDS_ALIGNLEFT : UDS_ALIGNRIGHT);
    if (orientation_ == udHorizontal) params.style |= UDS_HORZ;
    if (wrap_) params.style |= UDS_WRAP;
    if (arrowKeys_) params.style |= UDS_ARROWKEYS;
    if (!thousands_) params.style |= UDS_NOTHOUSANDS;
}

void TUpDown::InitializeWindow()
{
    HWND window = Handle();
    SendMessageW(window, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    UDACCEL accel{0, static_cast<UINT>(increment_)};
    SendMessageW(window, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    if (associate_) SendMessageW(window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
    SendMessageW(window, UDM_SETPOS32, 0, position_);
}

void TUpDown::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == associate_) {
        associate_ = nullptr;
        if (HandleAllocated() && !IsDestroying()) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
    }
}

void TUpDown::SetAssociate(TWinControl* control)
{
    if (control == associate_ || control == this) return;
    associate_ = control;
    if (control) {
        control->FreeNotification(this);
        // The buddy text shows the position from the start.
        if (control->Parent() && !control->IsLoading()) control->SetText(std::to_string(position_));
    }
    RecreateWnd();
}

void TUpDown::SetMin(int value)
{
    min_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SetPosition(Position());
}

void TUpDown::SetMax(int value)
{
    max_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SetPosition(Position());
}

int TUpDown::Position() const
{
    if (HWND window = WindowHandle()) {
        BOOL failed = FALSE;
        const int value = static_cast<int>(SendMessageW(window, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
        if (!failed) position_ = value;
    }
    return position_;
}

void TUpDown::SetPosition(int value)
{
    position_ = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETPOS32, 0, position_);
}

void TUpDown::SetIncrement(int value)
{
    increment_ = std::max(value, 1);
    if (HandleAllocated()) {
        UDACCEL accel{0, static_cast<UINT>(increment_)};
        SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    }
}

void TUpDown::SetOrientation(TUDOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    RecreateWnd();
}

void TUpDown::SetAlignButton(TUDAlignButton value)
{
    if (value == alignButton_) return;
    alignButton_ = value;
    RecreateWnd();
}

void TUpDown::SetWrap(bool value)
{
    if (value == wrap_) return;
    wrap_ = value;
    RecreateWnd();
}

void TUpDown::SetArrowKeys(bool value)
{
    if (value == arrowKeys_) return;
    arrowKeys_ = value;
    RecreateWnd();
}

void TUpDown::SetThousands(bool value)
{
    if (value == thousands_) return;
    thousands_ = value;
    RecreateWnd();
}

void TUpDown::WndProc(TMessage& message)
{
    if (message.msg == CN_NOTIFY && reinterpret_cast<const NMHDR*>(message.lParam)->hwndFrom == WindowHandle() &&
        reinterpret_cast<const NMHDR*>(message.lParam)->code == UDN_DELTAPOS) {
        bool allow = true;
        if (OnChanging) OnChanging(this, allow);
        message.result = allow ? FALSE : TRUE;
        return;
    }
    if (message.msg == CN_HSCROLL || message.msg == CN_VSCROLL) {
        // The position moved (SB_THUMBPOSITION carries the new one).
        if (LOWORD(message.wParam) == SB_THUMBPOSITION) {
            const int old = position_;
            const int now = Position();
            if (OnClick && now != old) OnClick(this, now > old ? TUDBtnType::Next : TUDBtnType::Prev);
        }
        message.result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

// ---- dates and times --------------------------------------------------------------

namespace {
// Days from 1 March of year 0 (proleptic Gregorian), the usual civil-date
// arithmetic; the epoch 30 December 1899 is subtracted by the callers.
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe);
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

const long long kEpoch = DaysFromCivil(1899, 12, 30);
constexpr double kMillisecondsPerDay = 86400000.0;
}  // namespace

TDateTime EncodeDate(int year, int month, int day)
{
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    return ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 / kMillisecondsPerDay + millisecond / kMillisecondsPerDay;
}

// The whole days count from the epoch (backwards when negative); the
// fraction is the time of day whatever the sign: -1.25 is 29 December
// 1899, 06:00.
TDateTime CombineDateTime(TDateTime date, TDateTime time)
{
    const double days = std::trunc(date), fraction = std::fabs(time - std::trunc(time));
    return days < 0 ? days - fraction : days + fraction;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value)
{
    const long long days = static_cast<long long>(std::trunc(value));
    // Whole milliseconds, so 0.999... of a second never reads as 60.
    long long rest = std::llround(std::fabs(value - std::trunc(value)) * kMillisecondsPerDay);
    rest = std::min(rest, 86400000LL - 1);
    int year = 0, month = 0, day = 0;
    CivilFromDays(days + kEpoch, year, month, day);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>(((days + kEpoch) % 7 + 10) % 7);  // 1 March 0000 was a Wednesday
    time.wHour = static_cast<WORD>(rest / 3600000);
    time.wMinute = static_cast<WORD>(rest / 60000 % 60);
    time.wSecond = static_cast<WORD>(rest / 1000 % 60);
    time.wMilliseconds = static_cast<WORD>(rest % 1000);
    return time;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time)
{
    return CombineDateTime(EncodeDate(time.wYear, time.wMonth, time.wDay),
                           EncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds));
}

TDateTime Now()
{
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return SystemTimeToDateTime(time);
}

std::string DateToText(TDateTime value)
{
    const SYSTEMTIME time = DateTimeToSystemTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
    return text;
}

std::string TimeToText(TDateTime value)
{
    const SYSTEMTIME time = DateTimeToSystemTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
    return text;
}

bool TextToDate(const std::string& text, TDateTime& value)
{
    int year = 0, month = 0, day = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3 || used != static_cast<int>(text.size()))
        return false;
    if (year < 1601 || month < 1 || month > 12 || day < 1) return false;
    // The day must exist in that month.
    if (day > 28) {
        int y = 0, m = 0, d = 0;
        CivilFromDays(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)), y, m, d);
        if (m != month) return false;
    }
    value = EncodeDate(year, month, day);
    return true;
}

bool TextToTime(const std::string& text, TDateTime& value)
{
    int hour = 0, minute = 0, second = 0, used = 0;
    const int read = std::sscanf(text.c_str(), "%2d:%2d:%2d%n", &hour, &minute, &second, &used);
    if (read != 3 || used != static_cast<int>(text.size())) return false;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
    value = EncodeTime(hour, minute, second);
    return true;
}

// ---- TDateTimePicker ----------------------------------------------------------------

const TClassInfo& TDateTimePicker::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TDateTimePicker>(
        "TDateTimePicker", &TWinControl::StaticClass(), [](PropRegistrar<TDateTimePicker>& p) {
            p.AnsiText(
                "Date", [](const TDateTimePicker& c) { return DateToText(c.Date()); },
                [](TDateTimePicker& c, const std::string& text) {
                    TDateTime value = 0;
                    if (TextToDate(text, value)) c.SetDate(value);
                });
            p.AnsiText(
                "Time", [](const TDateTimePicker& c) { return TimeToText(c.Time()); },
                [](TDateTimePicker& c, const std::string& text) {
                    TDateTime value = 0;
                    if (TextToTime(text, value)) c.SetTime(value);
                });
            p.Enumeration("Kind", {"dtkDate", "dtkTime"}, &TDateTimePicker::Kind, &TDateTimePicker::SetKind);
            p.Enumeration("DateMode", {"dmComboBox", "dmUpDown"}, &TDateTimePicker::DateMode,
                          &TDateTimePicker::SetDateMode);
            p.Enumeration("DateFormat", {"dfShort", "dfLong"}, &TDateTimePicker::DateFormat,
                          &TDateTimePicker::SetDateFormat);
            p.Boolean("ShowCheckbox", &TDateTimePicker::ShowCheckbox, &TDateTimePicker::SetShowCheckbox);
            p.Boolean("Checked", &TDateTimePicker::Checked, &TDateTimePicker::SetChecked);
            p.AnsiText("Format", &TDateTimePicker::Format, &TDateTimePicker::SetFormat);
            p.Method("OnChange", [](const TDateTimePicker& c) { return static_cast<bool>(c.OnChange); });
        });
    return info;
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner), dateTime_(Now())
{
    StoreBounds(0, 0, 186, 24);
    SetTabStop(true);
    SetColor(clWindow);
}

void TDateTimePicker::CreateParams(TCreateParams& params)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_DATE_CLASSES};
    InitCommonControlsEx(&init);
    TWinControl::CreateParams(params);
    params.wrappedClass = u"SysDateTimePick32";
    if (kind_ == dtkTime) params.style |= DTS_TIMEFORMAT;
    if (dateMode_ == dmUpDown && kind_ == dtkDate) params.style |= DTS_UPDOWN;
    if (dateFormat_ == dfLong && kind_ == dtkDate) params.style |= DTS_LONGDATEFORMAT;
    if (showCheckbox_) params.style |= DTS_SHOWNONE;
    if (UseRightToLeftAlignment()) params.style |= DTS_RIGHTALIGN;
}

void TDateTimePicker::InitializeWindow()
{
    if (!format_.empty()) {
        const std::u16string format = Utf8ToUtf16(format_);
        SendMessageW(Handle(), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format.c_str()));
    }
    PutDateTime();
}

void TDateTimePicker::PutDateTime()
{
    if (!HandleAllocated()) return;
    SYSTEMTIME time = DateTimeToSystemTime(dateTime_);
    SendMessageW(Handle(), DTM_SETSYSTEMTIME, checked_ || !showCheckbox_ ? GDT_VALID : GDT_NONE,
                 reinterpret_cast<LPARAM>(&time));
}

void TDateTimePicker::SetDateTime(TDateTime value)
{
    dateTime_ = value;
    PutDateTime();
}

TDateTime TDateTimePicker::Date() const
{
    return std::trunc(dateTime_);
}

void TDateTimePicker::SetDate(TDateTime value)
{
    SetDateTime(CombineDateTime(value, Time()));
}

TDateTime TDateTimePicker::Time() const
{
    return std::fabs(dateTime_ - std::trunc(dateTime_));
}

void TDateTimePicker::SetTime(TDateTime value)
{
    SetDateTime(CombineDateTime(Date(), value));
}

void TDateTimePicker::SetKind(TDateTimeKind kind)
{
    if (kind == kind_) return;
    kind_ = kind;
    RecreateWnd();
}

void TDateTimePicker::SetDateMode(TDTDateMode mode)
{
    if (mode == dateMode_) return;
    dateMode_ = mode;
    RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat format)
{
    if (format == dateFormat_) return;
    dateFormat_ = format;
    RecreateWnd();
}

void TDateTimePicker::SetShowCheckbox(bool value)
{
    if (value == showCheckbox_) return;
    showCheckbox_ = value;
    RecreateWnd();
}

bool TDateTimePicker::Checked() const
{
    if (HWND window = WindowHandle(); window && showCheckbox_) {
        SYSTEMTIME time{};
        return SendMessageW(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID;
    }
    return checked_;
}

void TDateTimePicker::SetChecked(bool value)
{
    checked_ = value;
    PutDateTime();
}

void TDateTimePicker::SetFormat(const std::string& format)
{
    format_ = format;
    if (HandleAllocated()) {
        const std::u16string text = Utf8ToUtf16(format);
        SendMessageW(Handle(), DTM_SETFORMATW, 0, format.empty() ? 0 : reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void TDateTimePicker::WndProc(TMessage& message)
{
    if (message.msg == CN_NOTIFY && reinterpret_cast<const NMHDR*>(message.lParam)->hwndFrom == WindowHandle() &&
        reinterpret_cast<const NMHDR*>(message.lParam)->code == DTN_DATETIMECHANGE) {
        const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(message.lParam);
        checked_ = change->dwFlags == GDT_VALID;
        if (checked_) dateTime_ = SystemTimeToDateTime(change->st);
        if (OnChange) OnChange(this);
        message.result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

}  // namespace quorvane
