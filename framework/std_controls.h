// The standard controls over the platform's BUTTON, EDIT, COMBOBOX and
// LISTBOX classes, and the windowless label.
#pragma once
#include <memory>

#include "framework/controls.h"
#include "framework/strings.h"

namespace quorvane {

class TLabel : public TGraphicControl {
    QUORVANE_CLASS(TLabel)
public:
    explicit TLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // Draws "&x" as an underlined x (as menus do).
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);

    void Paint(HDC dc) override;

protected:
    void TextChanged() override { Invalidate(); }

private:
    TAlignment alignment_ = taLeftJustify;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
};

class TButtonControl : public TWinControl {
    QUORVANE_CLASS(TButtonControl)
public:
    explicit TButtonControl(TComponent* owner);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

class TButton : public TButtonControl {
    QUORVANE_CLASS(TButton)
public:
    explicit TButton(TComponent* owner);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    // Result a modal form gets when the button is clicked (0: none).
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }

    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
    QUORVANE_CLASS(TCheckBox)
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const { return state_ == cbChecked; }
    // A change runs the click handling (OnClick), as a user's click does.
    void SetChecked(bool checked) { SetState(checked ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    TAlignment Alignment() const { return alignment_; }  // taLeftJustify puts the box right
    void SetAlignment(TAlignment alignment);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TRadioButton : public TButtonControl {
    QUORVANE_CLASS(TRadioButton)
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;

private:
    bool checked_ = false;
};

// A framed box with a caption around other controls (the platform's group
// box button); the base of the group box and of the radio and check groups.
class TCustomGroupBox : public TWinControl {
    QUORVANE_CLASS(TCustomGroupBox)
public:
    explicit TCustomGroupBox(TComponent* owner);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

class TGroupBox : public TCustomGroupBox {
    QUORVANE_CLASS(TGroupBox)
public:
    explicit TGroupBox(TComponent* owner);
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomEdit : public TWinControl {
    QUORVANE_CLASS(TCustomEdit)
public:
    explicit TCustomEdit(TComponent* owner);

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);

    // Selection in characters (UTF-16 units of the window text).
    int SelStart();
    void SetSelStart(int start);
    int SelLength();
    void SetSelLength(int length);
    std::string SelText();
    void SetSelText(const std::string& text);
    void SelectAll();
    void Clear() { SetText(""); }

    void WndProc(TMessage& message) override;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    // Limits and text go in after creation, so no text is cut at the
    // platform's default limit.
    void InitializeWindow() override;
    virtual void ApplyTextLimit();
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool hideSelection_ = true;
};

class TEdit : public TCustomEdit {
    QUORVANE_CLASS(TEdit)
public:
    explicit TEdit(TComponent* owner);
};

// Lines of a multi-line edit, read from and written to its text.
class TMemoStrings;

class TCustomMemo : public TCustomEdit {
    QUORVANE_CLASS(TCustomMemo)
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStrings* Lines() const;
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    std::unique_ptr<TMemoStrings> lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
};

class TMemo : public TCustomMemo {
    QUORVANE_CLASS(TMemo)
public:
    explicit TMemo(TComponent* owner);
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TItemStrings;

class TCustomComboBox : public TWinControl {
    QUORVANE_CLASS(TCustomComboBox)
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TStrings* Items() const;
    int ItemIndex() const;
    // Selects without running the change handling (as the platform does).
    void SetItemIndex(int index);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value) { dropDownCount_ = value; }
    bool DroppedDown();
    void SetDroppedDown(bool value);

    void WndProc(TMessage& message) override;
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void DestroyWnd() override;
    std::string GetText() const override;
    int WindowHeight() const override;
    virtual void Change();

private:
    std::unique_ptr<TItemStrings> items_;
    TComboBoxStyle style_ = csDropDown;
    bool sorted_ = false;
    int dropDownCount_ = 8;
};

class TComboBox : public TCustomComboBox {
    QUORVANE_CLASS(TComboBox)
public:
    explicit TComboBox(TComponent* owner);
};

class TCustomListBox : public TWinControl {
    QUORVANE_CLASS(TCustomListBox)
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStrings* Items() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value);
    int TopIndex();
    void SetTopIndex(int index);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    void DestroyWnd() override;

private:
    std::unique_ptr<TItemStrings> items_;
    bool sorted_ = false;
    int tabWidth_ = 0;
};

class TListBox : public TCustomListBox {
    QUORVANE_CLASS(TListBox)
public:
    explicit TListBox(TComponent* owner);
};

// Container with a raised edge, children inside.
class TPanel : public TCustomControl {
    QUORVANE_CLASS(TPanel)
public:
    explicit TPanel(TComponent* owner);
    void Paint(HDC dc) override;
};

}  // namespace quorvane
