#include "tools/gallery/gallery_pages.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "framework/forms.h"
#include "framework/message_box.h"
#include "framework/std_controls.h"
#include "tools/gallery/dialog_template.h"

namespace quorvane::gallery {

namespace {

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083, kComboBox = 0x0085;

INT_PTR CALLBACK TemplateDialogProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM) noexcept
{
    switch (msg) {
    case WM_INITDIALOG: {
        HWND list = GetDlgItem(dialog, 105);
        for (const wchar_t* voice : {L"eSpeak NG American English", L"eSpeak NG British English",
                                     L"eSpeak NG Scottish English", L"eSpeak NG Mandarin Chinese"})
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(voice));
        HWND combo = GetDlgItem(dialog, 106);
        for (const wchar_t* rate : {L"Slow", L"Normal", L"Fast"})
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
        SendMessageW(combo, CB_SETCURSEL, 1, 0);
        CheckDlgButton(dialog, 103, BST_CHECKED);
        CheckRadioButton(dialog, 107, 108, 107);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowMessageBoxDemo(TForm* owner)
{
    ShowMessageBox(owner ? owner->Handle() : nullptr,
                   "Every window of the program is drawn from the skin: this message box too.\n\n"
                   "Its frame, caption and buttons take the skin's pictures.",
                   "Quorvane gallery", MB_OKCANCEL | MB_ICONINFORMATION);
}

void ShowTemplateDialog(TForm* owner)
{
    DialogTemplate dialog(u"A dialog from a template", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 230, 140);
    dialog.Item(kStatic, u"Name:", 101, SS_LEFT, 8, 10, 40, 10);
    dialog.Item(kEdit, u"Quorvane", 102, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 50, 8, 110, 13);
    dialog.Item(kButton, u"&Repeat reading", 103, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 28, 90, 12);
    dialog.Item(kButton, u"Voices", 104, BS_GROUPBOX, 8, 44, 150, 62);
    dialog.Item(kListBox, u"", 105, WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 14, 56, 138, 44);
    dialog.Item(kComboBox, u"", 106, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 166, 8, 56, 60);
    dialog.Item(kButton, u"&Slow", 107, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 166, 30, 56, 12);
    dialog.Item(kButton, u"&Fast", 108, BS_AUTORADIOBUTTON, 166, 44, 56, 12);
    dialog.Item(kButton, u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 118, 118, 50, 14);
    dialog.Item(kButton, u"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 172, 118, 50, 14);
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner ? owner->Handle() : nullptr,
                            TemplateDialogProcedure, 0);
}

void ShowFormDialog(TForm* owner)
{
    (void)owner;
    auto* dialog = new TForm(nullptr);
    dialog->SetCaption("A form dialog");
    dialog->SetBorderStyle(bsDialog);
    dialog->SetBounds(0, 0, 320, 150);
    dialog->SetPosition(poScreenCenter);
    auto* label = new TLabel(dialog);
    label->SetParent(dialog);
    label->SetBounds(16, 16, 280, 20);
    label->SetCaption("A framework form with the dialog border style.");
    auto* check = new TCheckBox(dialog);
    check->SetParent(dialog);
    check->SetBounds(16, 44, 200, 20);
    check->SetCaption("&Remember this choice");
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetBounds(126, 80, 80, 26);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(IDOK);
    auto* cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetBounds(214, 80, 80, 26);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(IDCANCEL);
    dialog->AfterConstruction();
    dialog->ShowModal();
    Free(dialog);
}

void ShowMdiFrame()
{
    auto* frame = new TForm(Application);
    frame->SetCaption("MDI frame");
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(60, 60, 640, 420);
    auto* menu = new TMainMenu(frame);
    TMenuItem* file = AddItem(menu, menu->Items(), "&File", 0, -1, nullptr);
    AddItem(menu, file, "&Close frame", 0, -1, [frame] { frame->Close(); });
    TMenuItem* window = AddItem(menu, menu->Items(), "&Window", 0, -1, nullptr);
    AddItem(menu, window, "&Cascade", 0, -1, [frame] { frame->Cascade(); });
    AddItem(menu, window, "&Tile", 0, -1, [frame] { frame->Tile(); });
    frame->SetMenu(menu);
    frame->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    frame->AfterConstruction();
    frame->Show();
    for (int i = 0; i < 2; ++i) {
        auto* child = new TForm(frame);
        child->SetFormStyle(fsMDIChild);
        child->SetCaption(i == 0 ? "First document" : "Second document (maximised)");
        child->SetBounds(20 + i * 30, 20 + i * 30, 300, 200);
        auto* text = new TLabel(child);
        text->SetParent(child);
        text->SetBounds(12, 12, 260, 20);
        text->SetCaption(i == 0 ? "An MDI child." : "An MDI child, maximised.");
        if (i == 1) child->SetWindowState(wsMaximized);
        child->AfterConstruction();
        child->Show();
    }
}

}  // namespace quorvane::gallery
