// Groups of buttons made from a list of texts inside a group box: the radio
// group (one choice, ItemIndex) and the check group (each item on or off).
// The buttons are real child controls, owned by the group and laid out in
// Columns, so a skin engine finds and paints them like any other.
#pragma once
#include <memory>
#include <vector>

#include "framework/std_controls.h"
#include "framework/strings.h"

namespace quorvane {

class TCustomButtonGroup : public TCustomGroupBox {
    QUORVANE_CLASS(TCustomButtonGroup)
public:
    explicit TCustomButtonGroup(TComponent* owner);
    ~TCustomButtonGroup() override;

    TStringList* Items() const { return items_.get(); }
    int Columns() const { return columns_; }
    void SetColumns(int value);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TButtonControl* Buttons(int index) const;

protected:
    // A button for item `index` (owned by this group).
    virtual TButtonControl* CreateButton(int index) = 0;
    // The buttons were made again for new items.
    virtual void ButtonsRebuilt() {}
    void ClientAreaAligned(const RECT& rest) override;
    void FontChanged() override;
    void Notification(TComponent* component, TOperation operation) override;
    int IndexOfButton(const TControl* button) const;

private:
    void RebuildButtons();
    void ArrangeButtons();

    std::unique_ptr<TStringList> items_;
    std::vector<TButtonControl*> buttons_;
    int columns_ = 1;
    bool rebuilding_ = false;
};

// The item chosen (ItemIndex, -1 for none); a click on a button chooses
// its item and runs OnClick.
class TCustomRadioGroup : public TCustomButtonGroup {
    QUORVANE_CLASS(TCustomRadioGroup)
public:
    explicit TCustomRadioGroup(TComponent* owner);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    void WndProc(TMessage& message) override;

protected:
    TButtonControl* CreateButton(int index) override;
    void ButtonsRebuilt() override;

private:
    friend class TGroupButton;
    void ButtonClicked(int index);
    int itemIndex_ = -1;
};

class TRadioGroup : public TCustomRadioGroup {
    QUORVANE_CLASS(TRadioGroup)
public:
    explicit TRadioGroup(TComponent* owner);
};

using TCheckGroupClickEvent = std::function<void(TObject* sender, int index)>;

class TCheckGroup : public TCustomButtonGroup {
    QUORVANE_CLASS(TCheckGroup)
public:
    explicit TCheckGroup(TComponent* owner);
    bool Checked(int index) const;
    // Runs OnItemClick as a click of the user does.
    void SetChecked(int index, bool value);
    bool ItemEnabled(int index) const;
    void SetItemEnabled(int index, bool value);
    // The checked items as "[0,2]".
    std::string CheckedText() const;
    void SetCheckedText(const std::string& text);

    TCheckGroupClickEvent OnItemClick;

protected:
    TButtonControl* CreateButton(int index) override;
    void ButtonsRebuilt() override;

private:
    friend class TGroupCheck;
    void ItemClicked(int index);
    // Kept across rebuilds of the buttons.
    std::vector<bool> checked_;
    std::vector<bool> enabled_;
};

}  // namespace quorvane
