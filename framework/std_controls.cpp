#include "framework/std_controls.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/forms.h"
#include "framework/message_box.h"

namespace quorvane {

namespace {

const WCHAR* W(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

// Case-insensitive order of the platform's sorted lists.
bool SortsBefore(const std::string& a, const std::string& b)
{
    return lstrcmpiW(W(Utf8ToUtf16(a)), W(Utf8ToUtf16(b))) < 0;
}

}  // namespace

// ---- TLabel -------------------------------------------------------------------

const TClassInfo& TLabel::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TLabel>("TLabel", &TGraphicControl::StaticClass(), [](PropRegistrar<TLabel>& p) {
            p.AnsiText("Caption", &TLabel::Caption, &TLabel::SetCaption);
            p.Enumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TLabel::Alignment,
                          &TLabel::SetAlignment);
            p.Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent);
            p.Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap);
            p.Boolean("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar);
        });
    return info;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    StoreBounds(0, 0, 65, 17);
    SetParentColor(true);
}

void TLabel::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetTransparent(bool value)
{
    if (value == transparent_) return;
    transparent_ = value;
    Invalidate();
}

void TLabel::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool value)
{
    if (value == showAccelChar_) return;
    showAccelChar_ = value;
    Invalidate();
}

void TLabel::Paint(HDC dc)
{
    RECT rect{0, 0, Width(), Height()};
    if (!transparent_) {
        UniqueBrush brush(CreateSolidBrush(ColorToRGB(Color())));
        FillRect(dc, &rect, brush.get());
    }
    UINT format = DT_EXPANDTABS;
    format |= alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
    if (wordWrap_) format |= DT_WORDBREAK;
    if (!showAccelChar_) format |= DT_NOPREFIX;
    if (UseRightToLeftReading()) format |= DT_RTLREADING;
    SelectGuard font(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    const std::u16string text = Utf8ToUtf16(Caption());
    if (!Enabled()) {
        OffsetRect(&rect, 1, 1);
        SetTextColor(dc, SystemColour(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, W(text), static_cast<int>(text.size()), &rect, format);
        OffsetRect(&rect, -1, -1);
        SetTextColor(dc, SystemColour(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, ColorToRGB(Font()->Color()));
    }
    DrawTextW(dc, W(text), static_cast<int>(text.size()), &rect, format);
}

// ---- buttons ------------------------------------------------------------------

const TClassInfo& TButtonControl::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TButtonControl", &TWinControl::StaticClass());
    return info;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
}

void TButtonControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.wrappedClass = u"BUTTON";
}

void TButtonControl::WndProc(TMessage& message)
{
    if (message.msg == CN_COMMAND && HIWORD(message.wParam) == BN_CLICKED) {
        Click();
        return;
    }
    if (message.msg == CM_DIALOGCHAR) {
        // Its accelerator works as a click by the user.
        if (IsAccel(message.wParam, Caption()) && Enabled() && HandleAllocated()) {
            SendMessageW(Handle(), BM_CLICK, 0, 0);
            message.result = 1;
        }
        return;
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TButton::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TButton>("TButton", &TButtonControl::StaticClass(), [](PropRegistrar<TButton>& p) {
            p.AnsiText("Caption", &TButton::Caption, &TButton::SetCaption);
            p.Boolean("Default", &TButton::Default, &TButton::SetDefault);
            p.Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel);
            p.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult);
        });
    return info;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner)
{
    StoreBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value)
{
    if (value == default_) return;
    default_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (modalResult_ != 0)
        if (auto* form = static_cast<TForm*>(ParentForm())) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

// The platform's button notices arrive as CN_COMMAND.
namespace {
bool IsButtonClick(const TMessage& message)
{
    return message.msg == CN_COMMAND && HIWORD(message.wParam) == BN_CLICKED;
}
}  // namespace

const TClassInfo& TCheckBox::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCheckBox>("TCheckBox", &TButtonControl::StaticClass(), [](PropRegistrar<TCheckBox>& p) {
            p.AnsiText("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption);
            p.Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked);
            p.Enumeration("State", {"cbUnchecked", "cbChecked", "cbGrayed"}, &TCheckBox::State, &TCheckBox::SetState);
            p.Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed);
            p.Enumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TCheckBox::Alignment,
                          &TCheckBox::SetAlignment);
        });
    return info;
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner)
{
    StoreBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    // The object keeps the state and toggles it itself, so every change,
    // by the user or the program, goes through SetState.
    params.style |= BS_3STATE;
    if (alignment_ == taLeftJustify) params.style |= BS_LEFTTEXT;
}

void TCheckBox::InitializeWindow()
{
    SendMessageW(Handle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCheckBox::SetState(TCheckBoxState state)
{
    if (state == state_) return;
    state_ = state;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
    Click();
}

void TCheckBox::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    RecreateWnd();
}

void TCheckBox::WndProc(TMessage& message)
{
    if (IsButtonClick(message)) {
        switch (state_) {
        case cbUnchecked:
            SetState(allowGrayed_ ? cbGrayed : cbChecked);
            break;
        case cbChecked:
            SetState(cbUnchecked);
            break;
        case cbGrayed:
            SetState(cbChecked);
            break;
        }
        return;
    }
    TButtonControl::WndProc(message);
}

const TClassInfo& TRadioButton::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TRadioButton>("TRadioButton", &TButtonControl::StaticClass(), [](PropRegistrar<TRadioButton>& p) {
            p.AnsiText("Caption", &TRadioButton::Caption, &TRadioButton::SetCaption);
            p.Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
        });
    return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner)
{
    StoreBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.style |= BS_RADIOBUTTON;
}

void TRadioButton::InitializeWindow()
{
    SendMessageW(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool checked)
{
    if (checked == checked_) return;
    checked_ = checked;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (checked) {
        // The other radio buttons of the same parent go off.
        if (TWinControl* parent = Parent())
            for (int i = 0; i < parent->ControlCount(); ++i)
                if (auto* other = As<TRadioButton>(parent->Controls(i)); other && other != this) other->SetChecked(false);
        Click();
    }
}

void TRadioButton::WndProc(TMessage& message)
{
    if (IsButtonClick(message)) {
        SetChecked(true);
        return;
    }
    TButtonControl::WndProc(message);
}

const TClassInfo& TCustomGroupBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomGroupBox>(
        "TCustomGroupBox", &TWinControl::StaticClass(), [](PropRegistrar<TCustomGroupBox>& p) {
            p.AnsiText("Caption", &TCustomGroupBox::Caption, &TCustomGroupBox::SetCaption);
        });
    return info;
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 185, 105);
}

void TCustomGroupBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.wrappedClass = u"BUTTON";
    params.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

void TCustomGroupBox::WndProc(TMessage& message)
{
    // The platform group box is transparent inside; fill it with our colour.
    if (message.msg == WM_ERASEBKGND) {
        EraseWithColor(message);
        return;
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TGroupBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TGroupBox", &TCustomGroupBox::StaticClass());
    return info;
}

TGroupBox::TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}

// ---- edits ------------------------------------------------------------------------

const TClassInfo& TCustomEdit::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCustomEdit>("TCustomEdit", &TWinControl::StaticClass(), [](PropRegistrar<TCustomEdit>& p) {
            p.WideText("Text", &TCustomEdit::Text, &TCustomEdit::SetText);
            p.Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly);
            p.Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength);
            p.Boolean("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection);
            p.Method("OnChange", [](const TCustomEdit& c) { return static_cast<bool>(c.OnChange); });
        });
    return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    StoreBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    Font()->SetColor(clWindowText);
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.wrappedClass = u"EDIT";
    params.caption.clear();
    params.style |= ES_AUTOHSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
    if (readOnly_) params.style |= ES_READONLY;
    if (!hideSelection_) params.style |= ES_NOHIDESEL;
}

void TCustomEdit::InitializeWindow()
{
    ApplyTextLimit();
    if (!text_.empty()) SetWindowTextW(Handle(), W(Utf8ToUtf16(text_)));
}

void TCustomEdit::ApplyTextLimit()
{
    SendMessageW(Handle(), EM_LIMITTEXT, maxLength_ > 0 ? static_cast<WPARAM>(maxLength_) : 0x7FFFFFFE, 0);
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetMaxLength(int value)
{
    maxLength_ = value;
    if (HandleAllocated()) ApplyTextLimit();
}

void TCustomEdit::SetHideSelection(bool value)
{
    if (value == hideSelection_) return;
    hideSelection_ = value;
    RecreateWnd();
}

int TCustomEdit::SelStart()
{
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int start)
{
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start);
}

int TCustomEdit::SelLength()
{
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int length)
{
    const int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

std::string TCustomEdit::SelText()
{
    const std::u16string text = Utf8ToUtf16(Text());
    const size_t start = std::min<size_t>(static_cast<size_t>(SelStart()), text.size());
    return Utf16ToUtf8(text.substr(start, static_cast<size_t>(std::max(SelLength(), 0))));
}

void TCustomEdit::SetSelText(const std::string& text)
{
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(W(Utf8ToUtf16(text))));
}

void TCustomEdit::SelectAll()
{
    SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::Change()
{
    if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& message)
{
    if (message.msg == CN_COMMAND && HIWORD(message.wParam) == EN_CHANGE) {
        Change();
        return;
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TEdit::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TEdit", &TCustomEdit::StaticClass());
    return info;
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {}

// Lines of a memo: its text split at line breaks; every line added ends
// with "\r\n".
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomEdit* memo) : memo_(memo) {}

    int Count() const override { return static_cast<int>(SplitLines(memo_->Text()).size()); }
    std::string Get(int index) const override
    {
        const auto lines = SplitLines(memo_->Text());
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw Exception("List index out of bounds (" + std::to_string(index) + ")");
        return lines[static_cast<size_t>(index)];
    }
    void Put(int index, const std::string& text) override
    {
        auto lines = SplitLines(memo_->Text());
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw Exception("List index out of bounds (" + std::to_string(index) + ")");
        lines[static_cast<size_t>(index)] = text;
        SetLines(lines);
    }
    void Insert(int index, const std::string& text) override
    {
        const std::string current = memo_->Text();
        auto lines = SplitLines(current);
        if (index >= static_cast<int>(lines.size())) {
            std::string updated = current;
            if (!updated.empty() && updated.back() != '\n' && updated.back() != '\r') updated += "\r\n";
            memo_->SetText(updated + text + "\r\n");
            return;
        }
        lines.insert(lines.begin() + std::max(index, 0), text);
        SetLines(lines);
    }
    void Delete(int index) override
    {
        auto lines = SplitLines(memo_->Text());
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw Exception("List index out of bounds (" + std::to_string(index) + ")");
        lines.erase(lines.begin() + index);
        SetLines(lines);
    }
    void Clear() override { memo_->SetText(""); }
    std::string Text() const override { return memo_->Text(); }
    void SetText(const std::string& text) override { memo_->SetText(text); }

protected:
    void SetUpdateState(bool updating) override
    {
        if (!memo_->HandleAllocated()) return;
        SendMessageW(memo_->Handle(), WM_SETREDRAW, !updating, 0);
        if (!updating) InvalidateRect(memo_->Handle(), nullptr, TRUE);
    }

private:
    void SetLines(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        memo_->SetText(text);
    }

    TCustomEdit* memo_;
};

const TClassInfo& TCustomMemo::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCustomMemo>("TCustomMemo", &TCustomEdit::StaticClass(), [](PropRegistrar<TCustomMemo>& p) {
            p.Object<TStrings>("Lines", &TCustomMemo::Lines, nullptr);
            p.Enumeration("ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, &TCustomMemo::ScrollBars,
                          &TCustomMemo::SetScrollBars);
            p.Boolean("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap);
        });
    return info;
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TMemoStrings>(this))
{
    StoreBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::Lines() const
{
    return lines_.get();
}

void TCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (!wordWrap_) params.style |= ES_AUTOHSCROLL;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle value)
{
    if (value == scrollBars_) return;
    scrollBars_ = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    RecreateWnd();
}

const TClassInfo& TMemo::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TMemo", &TCustomMemo::StaticClass());
    return info;
}

TMemo::TMemo(TComponent* owner) : TCustomMemo(owner) {}

// ---- list items -------------------------------------------------------------------

// Items of a combo box or list box: kept here while the control has no
// window, and in the window (with the object as item data) once it has one.
class TItemStrings : public TStrings {
public:
    struct Messages {
        UINT addString, insertString, deleteString, resetContent, getCount, getText, getTextLen, getData, setData,
            getCurSel, setCurSel;
        LRESULT errorValue;
    };
    TItemStrings(TWinControl* control, const Messages& messages) : control_(control), m_(messages) {}

    bool sorted = false;

    int Count() const override
    {
        if (!control_->HandleAllocated()) return static_cast<int>(items_.size());
        return static_cast<int>(Send(m_.getCount, 0, 0));
    }
    std::string Get(int index) const override
    {
        CheckIndex(index);
        if (!control_->HandleAllocated()) return items_[static_cast<size_t>(index)].text;
        const LRESULT length = Send(m_.getTextLen, static_cast<WPARAM>(index), 0);
        if (length <= 0) return {};
        std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
        const LRESULT copied = Send(m_.getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
        buffer.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
        return Utf16ToUtf8(buffer);
    }
    void* Objects(int index) const override
    {
        if (index < 0 || index >= Count()) return nullptr;
        if (!control_->HandleAllocated()) return items_[static_cast<size_t>(index)].object;
        const LRESULT data = Send(m_.getData, static_cast<WPARAM>(index), 0);
        return data == m_.errorValue ? nullptr : reinterpret_cast<void*>(data);
    }
    void SetObject(int index, void* object) override
    {
        if (index < 0 || index >= Count()) return;
        if (!control_->HandleAllocated())
            items_[static_cast<size_t>(index)].object = object;
        else
            Send(m_.setData, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
    }
    int AddObject(const std::string& text, void* object) override
    {
        int index;
        if (!control_->HandleAllocated()) {
            auto it = items_.end();
            if (sorted)
                it = std::upper_bound(items_.begin(), items_.end(), text,
                                      [](const std::string& t, const Item& item) { return SortsBefore(t, item.text); });
            index = static_cast<int>(items_.insert(it, {text, object}) - items_.begin());
            return index;
        }
        index = static_cast<int>(Send(m_.addString, 0, reinterpret_cast<LPARAM>(W(Utf8ToUtf16(text)))));
        if (index < 0) throw Exception("Cannot add an item to " + control_->Name());
        Send(m_.setData, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
        return index;
    }
    void Insert(int index, const std::string& text) override
    {
        if (!control_->HandleAllocated()) {
            index = std::clamp(index, 0, static_cast<int>(items_.size()));
            items_.insert(items_.begin() + index, {text, nullptr});
            return;
        }
        if (Send(m_.insertString, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(Utf8ToUtf16(text)))) < 0)
            throw Exception("Cannot insert an item into " + control_->Name());
    }
    void Delete(int index) override
    {
        CheckIndex(index);
        if (!control_->HandleAllocated())
            items_.erase(items_.begin() + index);
        else
            Send(m_.deleteString, static_cast<WPARAM>(index), 0);
    }
    void Clear() override
    {
        items_.clear();
        if (control_->HandleAllocated()) Send(m_.resetContent, 0, 0);
    }

    // The selected item; kept here while the control has no window.
    int ItemIndex() const
    {
        if (!control_->HandleAllocated()) return pendingIndex_;
        return static_cast<int>(Send(m_.getCurSel, 0, 0));
    }
    // Selects without running the control's change handling (as the platform does).
    void SetItemIndex(int index)
    {
        if (index < -1 || index >= Count()) index = -1;
        if (!control_->HandleAllocated())
            pendingIndex_ = index;
        else
            Send(m_.setCurSel, static_cast<WPARAM>(index), 0);
    }

    // The window is about to go: keep its items and selection. / The window
    // exists: fill it and select again.
    void SaveFromWindow()
    {
        pendingIndex_ = ItemIndex();
        std::vector<Item> saved;
        const int count = Count();
        for (int i = 0; i < count; ++i) saved.push_back({Get(i), Objects(i)});
        items_ = std::move(saved);
    }
    void LoadIntoWindow()
    {
        std::vector<Item> pending = std::move(items_);
        items_.clear();
        for (const Item& item : pending) {
            const LRESULT index = Send(m_.addString, 0, reinterpret_cast<LPARAM>(W(Utf8ToUtf16(item.text))));
            if (index >= 0) Send(m_.setData, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.object));
        }
        if (pendingIndex_ >= 0) Send(m_.setCurSel, static_cast<WPARAM>(pendingIndex_), 0);
    }
    void SortStored()
    {
        std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return SortsBefore(a.text, b.text); });
    }

protected:
    void SetUpdateState(bool updating) override
    {
        if (!control_->HandleAllocated()) return;
        Send(WM_SETREDRAW, !updating, 0);
        if (!updating) InvalidateRect(control_->Handle(), nullptr, TRUE);
    }

private:
    struct Item {
        std::string text;
        void* object;
    };
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        return SendMessageW(control_->Handle(), msg, wParam, lParam);
    }
    void CheckIndex(int index) const
    {
        if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    }

    TWinControl* control_;
    Messages m_;
    std::vector<Item> items_;
    int pendingIndex_ = -1;
};

namespace {
const TItemStrings::Messages kComboMessages{CB_ADDSTRING,     CB_INSERTSTRING, CB_DELETESTRING,
                                            CB_RESETCONTENT,  CB_GETCOUNT,     CB_GETLBTEXT,
                                            CB_GETLBTEXTLEN,  CB_GETITEMDATA,  CB_SETITEMDATA,
                                            CB_GETCURSEL,     CB_SETCURSEL,    CB_ERR};
const TItemStrings::Messages kListMessages{LB_ADDSTRING,    LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                           LB_GETCOUNT,     LB_GETTEXT,      LB_GETTEXTLEN,   LB_GETITEMDATA,
                                           LB_SETITEMDATA,  LB_GETCURSEL,    LB_SETCURSEL,    LB_ERR};
}  // namespace

// ---- combo box -----------------------------------------------------------------

const TClassInfo& TCustomComboBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomComboBox>(
        "TCustomComboBox", &TWinControl::StaticClass(), [](PropRegistrar<TCustomComboBox>& p) {
            p.WideText("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText);
            p.Object<TStrings>("Items", &TCustomComboBox::Items, nullptr);
            p.Integer("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex);
            p.Enumeration("Style", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"},
                          &TCustomComboBox::Style, &TCustomComboBox::SetStyle);
            p.Boolean("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted);
            p.Integer("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount);
            p.Method("OnChange", [](const TCustomComboBox& c) { return static_cast<bool>(c.OnChange); });
        });
    return info;
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TItemStrings>(this, kComboMessages))
{
    StoreBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
    Font()->SetColor(clWindowText);
}

TCustomComboBox::~TCustomComboBox()
{
    // The window must go while the items helper still exists.
    BeforeDestruction();
    DestroyHandle();
}

TStrings* TCustomComboBox::Items() const
{
    return items_.get();
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.wrappedClass = u"COMBOBOX";
    params.style |= WS_VSCROLL | CBS_AUTOHSCROLL;
    switch (style_) {
    case csDropDown:
        params.style |= CBS_DROPDOWN;
        break;
    case csSimple:
        params.style |= CBS_SIMPLE;
        break;
    case csDropDownList:
        params.style |= CBS_DROPDOWNLIST;
        break;
    case csOwnerDrawFixed:
        params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        break;
    case csOwnerDrawVariable:
        params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
        break;
    }
    if (sorted_) params.style |= CBS_SORT;
}

int TCustomComboBox::WindowHeight() const
{
    if (style_ == csSimple) return Height();
    // The platform window's height includes the dropped-down list.
    return Height() + std::max(dropDownCount_, 1) * 16 + 4;
}

void TCustomComboBox::InitializeWindow()
{
    items_->LoadIntoWindow();
}

void TCustomComboBox::DestroyWnd()
{
    if (HandleAllocated()) items_->SaveFromWindow();
    TWinControl::DestroyWnd();
}

int TCustomComboBox::ItemIndex() const { return items_->ItemIndex(); }

void TCustomComboBox::SetItemIndex(int index) { items_->SetItemIndex(index); }

void TCustomComboBox::SetStyle(TComboBoxStyle style)
{
    if (style == style_) return;
    style_ = style;
    RecreateWnd();
}

void TCustomComboBox::SetSorted(bool value)
{
    if (value == sorted_) return;
    sorted_ = value;
    items_->sorted = value;
    if (HandleAllocated()) {
        RecreateWnd();
    } else if (value) {
        items_->SortStored();
    }
}

bool TCustomComboBox::DroppedDown()
{
    return HandleAllocated() && SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value)
{
    SendMessageW(Handle(), CB_SHOWDROPDOWN, value, 0);
}

std::string TCustomComboBox::GetText() const
{
    return TWinControl::GetText();
}

void TCustomComboBox::Change()
{
    if (OnChange) OnChange(this);
}

void TCustomComboBox::WndProc(TMessage& message)
{
    if (message.msg == CN_COMMAND) {
        switch (HIWORD(message.wParam)) {
        case CBN_SELCHANGE:
        case CBN_EDITCHANGE:
            Change();
            return;
        case CBN_DROPDOWN:
            if (OnDropDown) OnDropDown(this);
            return;
        default:
            break;
        }
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TComboBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TComboBox", &TCustomComboBox::StaticClass());
    return info;
}

TComboBox::TComboBox(TComponent* owner) : TCustomComboBox(owner) {}

// ---- list box ------------------------------------------------------------------

const TClassInfo& TCustomListBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass<TCustomListBox>(
        "TCustomListBox", &TWinControl::StaticClass(), [](PropRegistrar<TCustomListBox>& p) {
            p.Object<TStrings>("Items", &TCustomListBox::Items, nullptr);
            p.Integer("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex);
            p.Boolean("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted);
            p.Integer("TabWidth", &TCustomListBox::TabWidth, &TCustomListBox::SetTabWidth);
        });
    return info;
}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TItemStrings>(this, kListMessages))
{
    StoreBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    Font()->SetColor(clWindowText);
}

TCustomListBox::~TCustomListBox()
{
    BeforeDestruction();
    DestroyHandle();
}

TStrings* TCustomListBox::Items() const
{
    return items_.get();
}

void TCustomListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.wrappedClass = u"LISTBOX";
    params.style |= WS_HSCROLL | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    params.exStyle |= WS_EX_CLIENTEDGE;
    if (sorted_) params.style |= LBS_SORT;
    if (tabWidth_ != 0) params.style |= LBS_USETABSTOPS;
}

void TCustomListBox::InitializeWindow()
{
    if (tabWidth_ != 0) {
        const UINT stops = static_cast<UINT>(tabWidth_);
        SendMessageW(Handle(), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stops));
    }
    items_->LoadIntoWindow();
}

void TCustomListBox::DestroyWnd()
{
    if (HandleAllocated()) items_->SaveFromWindow();
    TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() const { return items_->ItemIndex(); }

void TCustomListBox::SetItemIndex(int index) { items_->SetItemIndex(index); }

void TCustomListBox::SetSorted(bool value)
{
    if (value == sorted_) return;
    sorted_ = value;
    items_->sorted = value;
    if (HandleAllocated()) {
        RecreateWnd();
    } else if (value) {
        items_->SortStored();
    }
}

void TCustomListBox::SetTabWidth(int value)
{
    if (value == tabWidth_) return;
    tabWidth_ = value;
    RecreateWnd();
}

int TCustomListBox::TopIndex()
{
    return static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int index)
{
    SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void TCustomListBox::WndProc(TMessage& message)
{
    if (message.msg == CN_COMMAND) {
        if (HIWORD(message.wParam) == LBN_SELCHANGE) {
            Click();
            return;
        }
        if (HIWORD(message.wParam) == LBN_DBLCLK) {
            DblClick();
            return;
        }
    }
    TWinControl::WndProc(message);
}

const TClassInfo& TListBox::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TListBox", &TCustomListBox::StaticClass());
    return info;
}

TListBox::TListBox(TComponent* owner) : TCustomListBox(owner) {}

// ---- panel ------------------------------------------------------------------------

const TClassInfo& TPanel::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TPanel>("TPanel", &TCustomControl::StaticClass(), [](PropRegistrar<TPanel>& p) {
            p.AnsiText("Caption", &TPanel::Caption, &TPanel::SetCaption);
        });
    return info;
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    StoreBounds(0, 0, 185, 41);
}

void TPanel::Paint(HDC dc)
{
    RECT rect{0, 0, ClientWidth(), ClientHeight()};
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    SelectGuard font(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    const std::u16string text = Utf8ToUtf16(Caption());
    DrawTextW(dc, W(text), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace quorvane
