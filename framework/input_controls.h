// Value entry over comctl32: the up-down control (msctls_updown32), alone
// or attached to an edit, and the date-time picker (SysDateTimePick32).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/controls.h"

namespace quorvane {

// ---- up-down -------------------------------------------------------------------

enum TUDOrientation { udHorizontal, udVertical };
enum TUDAlignButton { udLeft, udRight };
enum class TUDBtnType { Next, Prev };
using TUDClickEvent = std::function<void(TObject* sender, TUDBtnType button)>;
using TUDChangingEvent = std::function<void(TObject* sender, bool& allowChange)>;

class TUpDown : public TWinControl {
    QUORVANE_CLASS(TUpDown)
public:
    explicit TUpDown(TComponent* owner);

    // The control whose text shows the position (the platform's buddy);
    // the up-down sits beside it on the AlignButton side.
    TWinControl* Associate() const { return associate_; }
    void SetAssociate(TWinControl* control);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    // Read from the window, which also takes the associate's typed text.
    int Position() const;
    void SetPosition(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int value);
    TUDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUDOrientation value);
    TUDAlignButton AlignButton() const { return alignButton_; }
    void SetAlignButton(TUDAlignButton value);
    bool Wrap() const { return wrap_; }
    void SetWrap(bool value);
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool value);
    bool Thousands() const { return thousands_; }
    void SetThousands(bool value);

    void WndProc(TMessage& message) override;

    // After the user moved the position, with the arrow that did it.
    TUDClickEvent OnClick;
    // Before the user's change; false keeps the position.
    TUDChangingEvent OnChanging;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TWinControl* associate_ = nullptr;
    int min_ = 0, max_ = 100, increment_ = 1;
    mutable int position_ = 0;
    TUDOrientation orientation_ = udVertical;
    TUDAlignButton alignButton_ = udRight;
    bool wrap_ = false;
    bool arrowKeys_ = true;
    bool thousands_ = true;
};

// ---- date-time picker ---------------------------------------------------------

// Days since 30 December 1899, the time of day as the fraction (also for
// days before it: -1.25 is 29 December 1899, 06:00).
using TDateTime = double;
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
// A date's whole days with a time's fraction (backwards before the epoch).
TDateTime CombineDateTime(TDateTime date, TDateTime time);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);
TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);
TDateTime Now();
// "2024-05-31" and "13:05:09"; the parsers answer false for other text.
std::string DateToText(TDateTime value);
std::string TimeToText(TDateTime value);
bool TextToDate(const std::string& text, TDateTime& value);
bool TextToTime(const std::string& text, TDateTime& value);

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };

class TDateTimePicker : public TWinControl {
    QUORVANE_CLASS(TDateTimePicker)
public:
    explicit TDateTimePicker(TComponent* owner);

    TDateTime DateTime() const { return dateTime_; }
    void SetDateTime(TDateTime value);
    // The date part (whole days) and the time part (the fraction).
    TDateTime Date() const;
    void SetDate(TDateTime value);
    TDateTime Time() const;
    void SetTime(TDateTime value);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind kind);
    TDTDateMode DateMode() const { return dateMode_; }
    void SetDateMode(TDTDateMode mode);
    TDTDateFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TDTDateFormat format);
    // A check box in the field; unchecked means "no date".
    bool ShowCheckbox() const { return showCheckbox_; }
    void SetShowCheckbox(bool value);
    bool Checked() const;
    void SetChecked(bool value);
    // A picture such as "dd MMM yyyy" (the platform's format); empty for
    // the locale's format of DateFormat.
    const std::string& Format() const { return format_; }
    void SetFormat(const std::string& format);

    void WndProc(TMessage& message) override;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;

private:
    void PutDateTime();

    TDateTime dateTime_ = 0;
    TDateTimeKind kind_ = dtkDate;
    TDTDateMode dateMode_ = dmComboBox;
    TDTDateFormat dateFormat_ = dfShort;
    bool showCheckbox_ = false;
    bool checked_ = true;
    std::string format_;
};

}  // namespace quorvane
