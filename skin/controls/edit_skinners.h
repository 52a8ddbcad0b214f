// Skinners of text-entry controls: edits (with an up-down inside, as spin
// edits have), up-down controls alone or embedded, and date-time pickers
// with a drawn drop-down arrow. The control keeps painting its text; the
// skinner paints the frame and the buttons.
#pragma once
#include <windows.h>

#include <memory>

#include "skin/controls/drawn_window.h"
#include "skin/controls/skin_control.h"

namespace quorvane {

class TSkinUpDown;

class TSkinEdit : public TSkinControl {
    QUORVANE_CLASS(TSkinEdit)
public:
    explicit TSkinEdit(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    TSkinUpDown* UpDown() const { return upDown_; }

private:
    void FindUpDown();
    void DrawFramedLook(HDC dc);

    TSkinUpDown* upDown_ = nullptr;  // a component of this skinner
};

// The platform's own "no date" check box inside a date-time picker: it
// paints its box in the platform's window and text colours whatever it is
// told, so its painting is moved onto the picker's field and text colours.
class TSkinPickerCheck : public TSkinControl {
    QUORVANE_CLASS(TSkinPickerCheck)
public:
    explicit TSkinPickerCheck(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    TControl* Picker = nullptr;  // the picker whose colours it takes, if a framework control
};

// Skins the picker's check box child once (no-op when it has none or it
// is already skinned).
void SkinPickerCheck(TSkinControl* picker, HWND pickerWindow, TCanvas* canvas);

class TSkinUpDown : public TSkinControl {
    QUORVANE_CLASS(TSkinUpDown)
public:
    explicit TSkinUpDown(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;

    // Set when the up-down was found inside an edit: it is drawn 3 pixels
    // inside the edit's frame.
    bool Embedded = false;
    // 1 lays the arrows out side by side whatever the control's style.
    int Orientation = 0;
    // The frames of the two halves at the last paint (1 normal, 2 pressed,
    // 3 disabled, 4 hot).
    int PaintedFirst() const { return paintedFirst_; }
    int PaintedSecond() const { return paintedSecond_; }

private:
    int paintedFirst_ = 0, paintedSecond_ = 0;
};

class TSkinDateTime;

// The drawn drop-down arrow of a date-time picker: a small window of its
// own over the picker's button, passing clicks on to the picker.
class TArrowButton : public TDrawnWindow {
public:
    explicit TArrowButton(TSkinDateTime& skinner);

    void Bind(HWND picker);
    // Back over the picker's button after the picker changed size.
    void FollowPicker();
    bool Hot() const { return hot_; }
    void Paint(HDC dc) override;

private:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Where the arrow belongs in the picker's client coordinates.
    RECT Place() const;

    TSkinDateTime& skinner_;
    HWND picker_ = nullptr;
    int size_;
    bool hot_ = false;
};

class TSkinDateTime : public TSkinControl {
    QUORVANE_CLASS(TSkinDateTime)
public:
    explicit TSkinDateTime(TComponent* owner);
    ~TSkinDateTime() override;
    void AttachControl(TWinSkinForm* form, TSkinData* skinData, bool replaceColor, TCanvas* canvas) override;
    void AttachHandle(HWND handle, TSkinData* skinData, TWinSkinForm* form, TCanvas* canvas) override;
    void Detach() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const RECT& rect) override;
    TArrowButton* Arrow() const { return arrow_.get(); }

private:
    // The picker paints its field off-screen in the platform's colours,
    // which are then turned into the field's and the selection's colours.
    void PaintRecoloured();

    std::unique_ptr<TArrowButton> arrow_;
    LONG_PTR savedStyle_ = 0;
};

// The field colour of an edit-like control: its Color, else the system's
// window colour.
COLORREF FieldColour(TControl* control);
// The window has a frame: its client area is smaller than the window.
bool HasBorder(HWND window);

}  // namespace quorvane
