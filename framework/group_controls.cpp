#include "framework/group_controls.h"

#include <algorithm>

namespace quorvane {

// A radio button of a radio group: its click chooses the group's item.
class TGroupButton : public TRadioButton {
    QUORVANE_CLASS(TGroupButton)
public:
    TGroupButton(TCustomRadioGroup* group, int index) : TRadioButton(group), group_(group), index_(index) {}
    void Click() override
    {
        if (Checked() && !settingFromGroup_) group_->ButtonClicked(index_);
    }
    void WndProc(TMessage& message) override
    {
        // Arrow keys move the choice within the group, as in a dialog.
        if (message.msg == WM_KEYDOWN) {
            const WPARAM key = message.wParam;
            const int count = group_->ButtonCount();
            int next = -1;
            if (key == VK_DOWN || key == VK_RIGHT) next = (index_ + 1) % count;
            if (key == VK_UP || key == VK_LEFT) next = (index_ + count - 1) % count;
            if (next >= 0) {
                if (auto* button = As<TWinControl>(group_->Buttons(next)); button && button->CanFocus()) {
                    button->SetFocus();
                    group_->ButtonClicked(next);
                }
                return;
            }
        }
        if (message.msg == WM_GETDLGCODE) {
            TRadioButton::WndProc(message);
            message.result |= DLGC_WANTARROWS;
            return;
        }
        TRadioButton::WndProc(message);
    }
    bool settingFromGroup_ = false;

private:
    TCustomRadioGroup* group_;
    int index_;
};

const TClassInfo& TGroupButton::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TGroupButton", &TRadioButton::StaticClass());
    return info;
}

// A check box of a check group.
class TGroupCheck : public TCheckBox {
    QUORVANE_CLASS(TGroupCheck)
public:
    TGroupCheck(TCheckGroup* group, int index) : TCheckBox(group), group_(group), index_(index) {}
    void Click() override { group_->ItemClicked(index_); }

private:
    TCheckGroup* group_;
    int index_;
};

const TClassInfo& TGroupCheck::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TGroupCheck", &TCheckBox::StaticClass());
    return info;
}

// ---- TCustomButtonGroup ---------------------------------------------------------

const TClassInfo& TCustomButtonGroup::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomButtonGroup>(
        "TCustomButtonGroup", &TCustomGroupBox::StaticClass(), [](PropRegistrar<TCustomButtonGroup>& p) {
            p.Object<TStrings>("Items", &TCustomButtonGroup::Items, nullptr);
            p.Integer("Columns", &TCustomButtonGroup::Columns, &TCustomButtonGroup::SetColumns);
        });
    return info;
}

TCustomButtonGroup::TCustomButtonGroup(TComponent* owner)
    : TCustomGroupBox(owner), items_(std::make_unique<TStringList>())
{
    items_->OnChange = [this](TObject*) { RebuildButtons(); };
}

TCustomButtonGroup::~TCustomButtonGroup()
{
    BeforeDestruction();
    items_->OnChange = nullptr;
    buttons_.clear();
}

TButtonControl* TCustomButtonGroup::Buttons(int index) const
{
    if (index < 0 || index >= ButtonCount()) return nullptr;
    return buttons_[static_cast<size_t>(index)];
}

int TCustomButtonGroup::IndexOfButton(const TControl* button) const
{
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    return it == buttons_.end() ? -1 : static_cast<int>(it - buttons_.begin());
}

void TCustomButtonGroup::SetColumns(int value)
{
    value = std::clamp(value, 1, 16);
    if (value == columns_) return;
    columns_ = value;
    ArrangeButtons();
}

void TCustomButtonGroup::RebuildButtons()
{
    if (rebuilding_ || IsDestroying()) return;
    rebuilding_ = true;
    // The buttons are few; making them again keeps order and captions exact.
    const std::vector<TButtonControl*> old = std::move(buttons_);
    buttons_.clear();
    for (TButtonControl* button : old) Free(button);
    for (int i = 0; i < items_->Count(); ++i) {
        TButtonControl* button = CreateButton(i);
        button->SetCaption(items_->Get(i));
        button->SetEnabled(Enabled());
        button->SetParent(this);
        buttons_.push_back(button);
    }
    rebuilding_ = false;
    ButtonsRebuilt();
    ArrangeButtons();
}

void TCustomButtonGroup::ClientAreaAligned(const RECT& rest)
{
    TCustomGroupBox::ClientAreaAligned(rest);
    ArrangeButtons();
}

void TCustomButtonGroup::Notification(TComponent* component, TOperation operation)
{
    TCustomGroupBox::Notification(component, operation);
    if (operation == opRemove) buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), component), buttons_.end());
}

void TCustomButtonGroup::FontChanged()
{
    TCustomGroupBox::FontChanged();
    ArrangeButtons();
}

void TCustomButtonGroup::ArrangeButtons()
{
    if (buttons_.empty()) return;
    // Below the caption, in columns filled top to bottom.
    const int captionHeight = std::max(-Font()->Height(), 8) + 6;
    const int width = ClientWidth() - 16, height = ClientHeight() - captionHeight - 4;
    const int count = ButtonCount();
    const int rows = (count + columns_ - 1) / columns_;
    const int columnWidth = std::max(width / columns_, 1);
    const int rowHeight = std::max(height / std::max(rows, 1), 1);
    const int buttonHeight = std::min(rowHeight, std::max(-Font()->Height(), 8) + 8);
    for (int i = 0; i < count; ++i) {
        const int column = i / rows, row = i % rows;
        buttons_[static_cast<size_t>(i)]->SetBounds(8 + column * columnWidth,
                                                    captionHeight + row * rowHeight + (rowHeight - buttonHeight) / 2,
                                                    columnWidth - 4, buttonHeight);
    }
}

// ---- TCustomRadioGroup ---------------------------------------------------------------

const TClassInfo& TCustomRadioGroup::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomRadioGroup>(
        "TCustomRadioGroup", &TCustomButtonGroup::StaticClass(), [](PropRegistrar<TCustomRadioGroup>& p) {
            p.Integer("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex);
        });
    return info;
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomButtonGroup(owner) {}

TButtonControl* TCustomRadioGroup::CreateButton(int index)
{
    auto* button = new TGroupButton(this, index);
    button->SetTabStop(index == (itemIndex_ >= 0 ? itemIndex_ : 0));
    return button;
}

void TCustomRadioGroup::ButtonsRebuilt()
{
    if (itemIndex_ >= ButtonCount()) itemIndex_ = -1;
    const int index = itemIndex_;
    itemIndex_ = -2;  // forces the buttons to be set
    SetItemIndex(index);
}

void TCustomRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= ButtonCount()) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    for (int i = 0; i < ButtonCount(); ++i) {
        auto* button = static_cast<TGroupButton*>(Buttons(i));
        button->settingFromGroup_ = true;
        button->SetChecked(i == index);
        button->settingFromGroup_ = false;
        // Tab reaches the group through its chosen button.
        button->SetTabStop(i == (index >= 0 ? index : 0));
    }
}

void TCustomRadioGroup::ButtonClicked(int index)
{
    if (index == itemIndex_) return;
    SetItemIndex(index);
    Click();
}

void TCustomRadioGroup::WndProc(TMessage& message)
{
    if (message.msg == CM_ENABLEDCHANGED)
        for (int i = 0; i < ButtonCount(); ++i) Buttons(i)->SetEnabled(Enabled());
    TCustomButtonGroup::WndProc(message);
}

const TClassInfo& TRadioGroup::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TRadioGroup", &TCustomRadioGroup::StaticClass());
    return info;
}

TRadioGroup::TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}

// ---- TCheckGroup -------------------------------------------------------------------

const TClassInfo& TCheckGroup::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCheckGroup>("TCheckGroup", &TCustomButtonGroup::StaticClass(), [](PropRegistrar<TCheckGroup>& p) {
            p.AnsiText("CheckedItems", &TCheckGroup::CheckedText, &TCheckGroup::SetCheckedText);
            p.Method("OnItemClick", [](const TCheckGroup& c) { return static_cast<bool>(c.OnItemClick); });
        });
    return info;
}

TCheckGroup::TCheckGroup(TComponent* owner) : TCustomButtonGroup(owner) {}

TButtonControl* TCheckGroup::CreateButton(int index)
{
    return new TGroupCheck(this, index);
}

void TCheckGroup::ButtonsRebuilt()
{
    checked_.resize(static_cast<size_t>(ButtonCount()), false);
    enabled_.resize(static_cast<size_t>(ButtonCount()), true);
    for (int i = 0; i < ButtonCount(); ++i) {
        auto* box = static_cast<TGroupCheck*>(Buttons(i));
        const TCheckGroupClickEvent saved = std::move(OnItemClick);
        OnItemClick = nullptr;
        box->SetChecked(checked_[static_cast<size_t>(i)]);
        OnItemClick = saved;
        box->SetEnabled(enabled_[static_cast<size_t>(i)] && Enabled());
    }
}

bool TCheckGroup::Checked(int index) const
{
    if (index < 0 || index >= ButtonCount()) return false;
    return static_cast<TCheckBox*>(Buttons(index))->Checked();
}

void TCheckGroup::SetChecked(int index, bool value)
{
    if (index < 0 || index >= ButtonCount()) return;
    static_cast<TCheckBox*>(Buttons(index))->SetChecked(value);
}

bool TCheckGroup::ItemEnabled(int index) const
{
    if (index < 0 || index >= ButtonCount()) return false;
    return enabled_[static_cast<size_t>(index)];
}

void TCheckGroup::SetItemEnabled(int index, bool value)
{
    if (index < 0 || index >= ButtonCount()) return;
    enabled_[static_cast<size_t>(index)] = value;
    Buttons(index)->SetEnabled(value && Enabled());
}

void TCheckGroup::ItemClicked(int index)
{
    if (index < 0 || index >= ButtonCount()) return;
    checked_[static_cast<size_t>(index)] = static_cast<TCheckBox*>(Buttons(index))->Checked();
    if (OnItemClick) OnItemClick(this, index);
}

std::string TCheckGroup::CheckedText() const
{
    std::string text = "[";
    for (int i = 0; i < ButtonCount(); ++i)
        if (Checked(i)) text += (text.size() > 1 ? "," : "") + std::to_string(i);
    return text + "]";
}

void TCheckGroup::SetCheckedText(const std::string& text)
{
    std::vector<bool> wanted(static_cast<size_t>(ButtonCount()), false);
    int value = -1;
    for (char c : text + ",") {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
        } else {
            if (value >= 0 && value < ButtonCount()) wanted[static_cast<size_t>(value)] = true;
            value = -1;
        }
    }
    for (int i = 0; i < ButtonCount(); ++i) SetChecked(i, wanted[static_cast<size_t>(i)]);
}

}  // namespace quorvane
