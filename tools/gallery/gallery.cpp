// The gallery: a demonstration program of the skin engine. Its main form
// has a main menu (sub-menus, separators, shortcuts, pictures, checked and
// disabled items), a popup menu on right-click, a right-to-left popup menu,
// buttons that open a message box, a dialog made from a dialog template and
// a form dialog, and a Skin menu that switches between the two shipped
// skins while every window is open.
//
//   gallery [--skin PATH] [--page NUMBER]
//
// --page opens one page of the Controls menu (counted from 1) once the main
// form is up.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/host_paths.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/message_box.h"
#include "framework/std_controls.h"
#include "skin/data/skin_data.h"
#include "tools/gallery/control_pages.h"
#include "tools/gallery/gallery_pages.h"

namespace quorvane::gallery {

namespace {

std::vector<uint8_t> ResourceBytes(const wchar_t* name)
{
    HRSRC resource = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!resource) return {};
    const DWORD size = SizeofResource(nullptr, resource);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

// Small pictures for the menus, drawn in code: a coloured square each.
void FillImages(TImageList* images)
{
    images->SetWidth(16);
    images->SetHeight(16);
    const COLORREF colours[] = {RGB(37, 99, 235), RGB(22, 163, 74), RGB(220, 38, 38), RGB(234, 179, 8)};
    HDC screen = GetDC(nullptr);
    HBITMAP strip = CreateCompatibleBitmap(screen, 16 * 4, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, strip);
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
    RECT all{0, 0, 64, 16};
    FillRect(dc, &all, key);
    DeleteObject(key);
    for (int i = 0; i < 4; ++i) {
        HBRUSH brush = CreateSolidBrush(colours[i]);
        RECT square{i * 16 + 3, 3, i * 16 + 13, 13};
        FillRect(dc, &square, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    images->AddMasked(strip, static_cast<TColor>(RGB(255, 0, 255)));
    DeleteObject(strip);
}

}  // namespace

TMenuItem* AddItem(TMenu* menu, TMenuItem* parent, const std::string& caption, TShortCut shortCut, int image,
                   std::function<void()> click)
{
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->SetImageIndex(image);
    if (click) item->OnClick = [click](TObject*) { click(); };
    parent->Add(item);
    return item;
}

class TGalleryForm : public TForm {
    QUORVANE_CLASS(TGalleryForm)
public:
    explicit TGalleryForm(TComponent* owner) : TForm(owner)
    {
        SetName("GalleryForm");
        SetCaption("Quorvane gallery");
        SetBounds(120, 80, 560, 360);
        SetPosition(poScreenCenter);

        SkinData1 = new TSkinData(this);
        SkinData1->SetName("SkinData1");
        SkinData1->SetPackage(ResourceBytes(L"LIGHTSKIN"));
        SkinData1->SetActive(true);
        // Every control kind: the gallery shows every skinner (the reader keeps its own set).
        SkinData1->SetSkinControls(kDefaultSkinControls);
        AddGalleryClasses(*SkinData1);

        Images = new TImageList(this);
        FillImages(Images);
        BuildMainMenu();
        BuildPopupMenus();
        BuildButtons();
    }

    TSkinData* SkinData1 = nullptr;
    TImageList* Images = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TPopupMenu* RightToLeftMenu = nullptr;
    TLabel* Status = nullptr;

    void UseSkin(const wchar_t* resource, const char* name)
    {
        if (SkinData1->ApplyPackage(ResourceBytes(resource)))
            Status->SetCaption(std::string("Skin: ") + name);
    }

private:
    void Say(const std::string& text) { Status->SetCaption(text); }

    void BuildMainMenu()
    {
        MainMenu1 = new TMainMenu(this);
        MainMenu1->SetImages(Images);
        TMenuItem* root = MainMenu1->Items();
        TMenuItem* file = AddItem(MainMenu1, root, "&File", 0, -1, nullptr);
        AddItem(MainMenu1, file, "&New", scCtrl | 'N', 0, [this] { Say("File > New"); });
        AddItem(MainMenu1, file, "&Open...", scCtrl | 'O', 1, [this] { Say("File > Open"); });
        AddItem(MainMenu1, file, "&Save", scCtrl | 'S', 2, [this] { Say("File > Save"); });
        AddItem(MainMenu1, file, "-", 0, -1, nullptr);
        TMenuItem* recent = AddItem(MainMenu1, file, "&Recent files", 0, -1, nullptr);
        AddItem(MainMenu1, recent, "1 notes.txt", 0, -1, [this] { Say("notes.txt"); });
        AddItem(MainMenu1, recent, "2 chapter-one.txt", 0, -1, [this] { Say("chapter-one.txt"); });
        AddItem(MainMenu1, file, "-", 0, -1, nullptr);
        AddItem(MainMenu1, file, "E&xit", scAlt | VK_F4, 3, [this] { Close(); });

        TMenuItem* edit = AddItem(MainMenu1, root, "&Edit", 0, -1, nullptr);
        AddItem(MainMenu1, edit, "&Undo", scCtrl | 'Z', -1, [this] { Say("Edit > Undo"); });
        AddItem(MainMenu1, edit, "-", 0, -1, nullptr);
        AddItem(MainMenu1, edit, "Cu&t", scCtrl | 'X', -1, [this] { Say("Edit > Cut"); });
        AddItem(MainMenu1, edit, "&Copy", scCtrl | 'C', 1, [this] { Say("Edit > Copy"); });
        TMenuItem* paste = AddItem(MainMenu1, edit, "&Paste", scCtrl | 'V', -1, nullptr);
        paste->SetEnabled(false);
        TMenuItem* wrap = AddItem(MainMenu1, edit, "&Word wrap", 0, -1, nullptr);
        wrap->SetChecked(true);
        wrap->OnClick = [wrap](TObject*) { wrap->SetChecked(!wrap->Checked()); };

        TMenuItem* skin = AddItem(MainMenu1, root, "&Skin", 0, -1, nullptr);
        AddItem(MainMenu1, skin, "Quorvane &Light", 0, -1, [this] { UseSkin(L"LIGHTSKIN", "Quorvane Light"); });
        AddItem(MainMenu1, skin, "Quorvane &Dark", 0, -1, [this] { UseSkin(L"DARKSKIN", "Quorvane Dark"); });

        TMenuItem* windows = AddItem(MainMenu1, root, "&Windows", 0, -1, nullptr);
        AddItem(MainMenu1, windows, "&Message box", 0, -1, [this] { ShowMessageBoxDemo(this); });
        AddItem(MainMenu1, windows, "&Dialog from a template", 0, -1, [this] { ShowTemplateDialog(this); });
        AddItem(MainMenu1, windows, "&Form dialog", 0, -1, [this] { ShowFormDialog(this); });
        AddItem(MainMenu1, windows, "M&DI frame", 0, -1, [] { ShowMdiFrame(); });

        TMenuItem* controls = AddItem(MainMenu1, root, "&Controls", 0, -1, nullptr);
        for (const ControlPage& page : ControlPages()) AddItem(MainMenu1, controls, page.caption, 0, -1, [&page] { page.open(); });

        TMenuItem* help = AddItem(MainMenu1, root, "&Help", 0, -1, nullptr);
        AddItem(MainMenu1, help, "&About the gallery", VK_F1, -1, [this] {
            ShowMessageBox(Handle(), "A demonstration of the Quorvane skin engine.", "About", MB_OK | MB_ICONINFORMATION);
        });
        SetMenu(MainMenu1);
    }

    void BuildPopupMenus()
    {
        PopupMenu1 = new TPopupMenu(this);
        PopupMenu1->SetImages(Images);
        TMenuItem* root = PopupMenu1->Items();
        AddItem(PopupMenu1, root, "&Refresh", VK_F5, 0, [this] { Say("Popup > Refresh"); });
        AddItem(PopupMenu1, root, "&Properties", scAlt | VK_RETURN, 1, [this] { Say("Popup > Properties"); });
        AddItem(PopupMenu1, root, "-", 0, -1, nullptr);
        TMenuItem* more = AddItem(PopupMenu1, root, "&More", 0, -1, nullptr);
        AddItem(PopupMenu1, more, "&First", 0, -1, [this] { Say("Popup > More > First"); });
        AddItem(PopupMenu1, more, "&Second", 0, -1, [this] { Say("Popup > More > Second"); });
        SetPopupMenu(PopupMenu1);

        RightToLeftMenu = new TPopupMenu(this);
        RightToLeftMenu->SetBiDiMode(bdRightToLeft);
        TMenuItem* rtl = RightToLeftMenu->Items();
        AddItem(RightToLeftMenu, rtl, "&فتح", scCtrl | 'O', -1, [this] { Say("Right-to-left > open"); });
        AddItem(RightToLeftMenu, rtl, "&حفظ", scCtrl | 'S', -1, [this] { Say("Right-to-left > save"); });
        AddItem(RightToLeftMenu, rtl, "-", 0, -1, nullptr);
        AddItem(RightToLeftMenu, rtl, "&خروج", 0, -1, [this] { Say("Right-to-left > exit"); });
    }

    void BuildButtons()
    {
        const char* captions[] = {"&Message box", "&Dialog", "&Form dialog", "MDI &frame", "&Right-to-left menu"};
        for (int i = 0; i < 5; ++i) {
            auto* button = new TButton(this);
            button->SetParent(this);
            button->SetBounds(16, 16 + i * 34, 150, 26);
            button->SetCaption(captions[i]);
            button->OnClick = [this, i, button](TObject*) {
                switch (i) {
                case 0: ShowMessageBoxDemo(this); break;
                case 1: ShowTemplateDialog(this); break;
                case 2: ShowFormDialog(this); break;
                case 3: ShowMdiFrame(); break;
                default: {
                    const POINT p = button->ClientToScreen(POINT{0, button->Height()});
                    RightToLeftMenu->Popup(p.x, p.y);
                    break;
                }
                }
            };
        }
        Status = new TLabel(this);
        Status->SetParent(this);
        Status->SetBounds(190, 20, 340, 20);
        Status->SetCaption("Right-click anywhere for the popup menu.");
    }
};

const TClassInfo& TGalleryForm::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TGalleryForm", &TForm::StaticClass());
    return info;
}

size_t g_startPage = 0;  // the Controls page to open at start, from 1; 0 for none

void CALLBACK OpenStartPage(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (g_startPage >= 1 && g_startPage <= ControlPages().size()) ControlPages()[g_startPage - 1].open();
}

}  // namespace quorvane::gallery

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    using namespace quorvane;
    std::string skinPath;
    int count = 0;
    if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            const std::string option = Utf16ToUtf8(arguments[i]);
            if (option == "--skin" && i + 1 < count) skinPath = Utf16ToUtf8(arguments[++i]);
            if (option == "--page" && i + 1 < count) gallery::g_startPage = std::strtoul(Utf16ToUtf8(arguments[++i]).c_str(), nullptr, 10);
        }
        LocalFree(arguments);
    }
    Application->Initialize();
    Application->SetTitle("Quorvane gallery");
    auto* form = Application->CreateForm<gallery::TGalleryForm>();
    if (!skinPath.empty()) {
        form->SkinData1->SetSkinFile(HostPathToWindows(skinPath));
        if (!form->SkinData1->SkinFileError().empty())
            std::fprintf(stderr, "gallery: %s; keeping the current skin\n", form->SkinData1->SkinFileError().c_str());
    }
    if (gallery::g_startPage) SetTimer(nullptr, 0, 200, gallery::OpenStartPage);
    Application->Run();
    Application->DestroyForms();
    return 0;
}
