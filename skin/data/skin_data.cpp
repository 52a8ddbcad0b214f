#include "skin/data/skin_data.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "framework/forms.h"
#include "framework/message_box.h"
#include "skin/data/bitmap_utils.h"
#include "skin/data/builtin_bitmaps.h"
#include "skin/data/optional_user32.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_class_maps.h"
#include "skin/data/skin_manager_link.h"
#include "skin/data/skin_reader.h"

namespace quorvane {

namespace {

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> SplitText(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end;
        if (start < text.size() && text[start] == '\r') ++start;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    const std::u16string wide = Utf8ToUtf16(path);
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                               read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

// The icon the application shows: that of a top-level window of this thread,
// else the program's first icon resource.
struct IconSearch {
    HICON icon = nullptr;
};

BOOL CALLBACK FindWindowIcon(HWND window, LPARAM data) noexcept
{
    auto* search = reinterpret_cast<IconSearch*>(data);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, 100, &answer) && answer == 0)
        SendMessageTimeoutW(window, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 100, &answer);
    if (answer == 0) answer = static_cast<DWORD_PTR>(GetClassLongPtrW(window, GCLP_HICONSM));
    if (answer == 0) answer = static_cast<DWORD_PTR>(GetClassLongPtrW(window, GCLP_HICON));
    search->icon = reinterpret_cast<HICON>(answer);
    return search->icon == nullptr;
}

// The first icon group's name: a number, or text copied out of the callback
// (a text name is valid only while the enumeration runs).
struct IconResourceName {
    ULONG_PTR id = 0;
    std::u16string text;
    LPCWSTR Get() const { return id ? MAKEINTRESOURCEW(id) : reinterpret_cast<LPCWSTR>(text.c_str()); }
    bool Found() const { return id != 0 || !text.empty(); }
};

BOOL CALLBACK FirstIconResource(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR data) noexcept
{
    auto* result = reinterpret_cast<IconResourceName*>(data);
    if (IS_INTRESOURCE(name))
        result->id = reinterpret_cast<ULONG_PTR>(name);
    else
        result->text.assign(reinterpret_cast<const char16_t*>(name), static_cast<size_t>(lstrlenW(name)));
    return FALSE;
}

// The codec expands its input at most 48 times (a 60-byte match costs at
// least 10 bits). A package whose size field claims more than its data can
// hold is damaged: decoding it would pad gigabytes of filler.
bool PlausiblePackage(const MemoryStream& package)
{
    if (package.Size() < 4) return true;  // too short to claim anything: the reader decides
    const uint8_t* p = package.Data();
    const int64_t declared = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                                  (static_cast<uint32_t>(p[2]) << 16) |
                                                  (static_cast<uint32_t>(p[3]) << 24));
    return declared <= static_cast<int64_t>(package.Size() - 4) * 48 + 4096;
}

}  // namespace

const std::vector<std::string>& SkinControlTypeNames()
{
    static const std::vector<std::string> names{
        "xcMainMenu", "xcPopupMenu", "xcMenuItem", "xcToolbar", "xcControlbar", "xcCombo", "xcCheckBox",
        "xcRadioButton", "xcProgress", "xcScrollbar", "xcEdit", "xcButton", "xcBitBtn", "xcSpeedButton",
        "xcSpin", "xcPanel", "xcGroupBox", "xcStatusBar", "xcTab", "xcTrackBar", "xcSystemMenu", "xcFastReport"};
    return names;
}

const std::vector<std::string>& SkinOptionNames()
{
    static const std::vector<std::string> names{"xoMDIScrollbar", "xoMenuMerge", "xoTransparent",
                                                "xoPreview", "xoParentBackGround", "xoNoFocusRect",
                                                "xoToolbarBK", "xoMDIChildBorder", "xoMenuBG"};
    return names;
}

const std::vector<std::string>& SkinFormTypeNames()
{
    static const std::vector<std::string> names{"sfMainform", "sfOnlyThisForm", "sfDialog", "sfDLL"};
    return names;
}

const TClassInfo& TSkinData::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TSkinData>("TSkinData", &TComponent::StaticClass(), [](PropRegistrar<TSkinData>& p) {
            p.Boolean("Active", &TSkinData::Active, &TSkinData::SetActive);
            p.Integer("DisableTag", &TSkinData::DisableTag, &TSkinData::SetDisableTag);
            p.Set("SkinControls", SkinControlTypeNames(), &TSkinData::SkinControls, &TSkinData::SetSkinControls);
            p.Set("Options", SkinOptionNames(), &TSkinData::Options, &TSkinData::SetOptions);
            // The class map travels as text, one "Class=kind" line each.
            p.AnsiText(
                "Skin3rd", [](const TSkinData& d) { return JoinLines(d.Skin3rd()); },
                [](TSkinData& d, const std::string& text) { d.SetSkin3rd(SplitText(text)); });
            p.AnsiText("SkinFile", &TSkinData::SkinFile, &TSkinData::SetSkinFile);
            p.AnsiText("SkinStore", &TSkinData::SkinStore, &TSkinData::SetSkinStore);
            p.Enumeration(
                "SkinFormtype", SkinFormTypeNames(), &TSkinData::SkinFormtype,
                [](TSkinData& d, int value) { d.SetSkinFormtype(static_cast<TSkinFormType>(value)); });
            p.AnsiText("Version", &TSkinData::Version, &TSkinData::SetVersion);
            p.Boolean("MenuUpdate", &TSkinData::MenuUpdate, &TSkinData::SetMenuUpdate);
            p.Boolean("MenuMerge", &TSkinData::MenuMerge, &TSkinData::SetMenuMerge);
            p.Method("OnFormSkin", [](const TSkinData& d) { return static_cast<bool>(d.OnFormSkin); });
            p.Method("OnSkinChanged", [](const TSkinData& d) { return static_cast<bool>(d.OnSkinChanged); });
            p.Method("OnSkinControl", [](const TSkinData& d) { return static_cast<bool>(d.OnSkinControl); });
        });
    return info;
}

TSkinData::TSkinData(TComponent* owner) : TComponent(owner)
{
    skin3rd_ = BuiltInSkin3rd();
    menuImages_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (menuImages_) {
        UniqueBitmap glyphs = CreateMenuGlyphStrip();
        if (glyphs) ImageList_AddMasked(menuImages_, glyphs.get(), RGB(255, 255, 255));
    }
    maximizedSize_ = SIZE{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
}

TSkinData::~TSkinData()
{
    // Windows skinned with this component let go of it first.
    SkinManagerUnregister(*this);
    if (menuImages_) ImageList_Destroy(menuImages_);
}

void TSkinData::SetActive(bool value)
{
    if (value == active_) return;
    if (IsLoading()) {
        active_ = value;
        return;
    }
    // A skin that never loaded cannot be switched on.
    if (value && notLoaded_ && (skinFormtype_ == sfMainform || skinFormtype_ == sfOnlyThisForm)) return;
    active_ = value;
    SkinManagerActiveChanged(*this, value);
}

void TSkinData::SetSkinFile(const std::string& path)
{
    skinFile_ = path;
    skinFileError_.clear();
    if (path.empty()) return;
    std::vector<uint8_t> bytes;
    // A file that does not exist (or cannot be read) is ignored: the loaded
    // skin stays loaded.
    if (!ReadWholeFile(path, bytes)) {
        skinFileError_ = "cannot read the skin file " + path;
        return;
    }
    // Loaded also while the form is being read; only applying the change
    // waits, since Loaded skins the forms with whatever is loaded then. A
    // refusal is said once, through SkinFileError (the caller reports it).
    const bool reported = ReportsRefusals();
    SetReportsRefusals(false);
    const bool applied = ApplyPackage(std::move(bytes));
    SetReportsRefusals(reported);
    if (!applied) {
        skinFileError_ = "the skin file " + path + " is not a skin package this program can read";
        if (!LastLoadError().empty()) skinFileError_ += " (" + LastLoadError() + ")";
    }
}

bool TSkinData::ApplyPackage(std::vector<uint8_t> bytes)
{
    // A package that does not load leaves the current skin in place, still
    // loaded: its elements were never touched.
    MemoryStream previous = std::move(package_);
    const bool wasNotLoaded = notLoaded_;
    package_ = MemoryStream(std::move(bytes));
    if (!LoadSkin()) {
        package_ = std::move(previous);
        notLoaded_ = wasNotLoaded;
        return false;
    }
    if (skinFormtype_ == sfMainform && !IsLoading()) SkinManagerSkinChanged(*this);
    return true;
}

void TSkinData::ReadSkinStream(MemoryStream& stream)
{
    uint8_t countBytes[4] = {};
    if (stream.Read(countBytes, 4) != 4) return;
    const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(countBytes[0]) |
                                               (static_cast<uint32_t>(countBytes[1]) << 8) |
                                               (static_cast<uint32_t>(countBytes[2]) << 16) |
                                               (static_cast<uint32_t>(countBytes[3]) << 24));
    if (count <= 0) return;
    const size_t take = std::min(static_cast<size_t>(count), stream.Remaining());
    std::vector<uint8_t> bytes(take);
    stream.Read(bytes.data(), take);
    SetPackage(std::move(bytes));
}

void TSkinData::WriteSkinStream(MemoryStream& stream) const
{
    const uint32_t size = static_cast<uint32_t>(package_.Size());
    const uint8_t countBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                   static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    stream.Write(countBytes, 4);
    if (size > 0) stream.Write(package_.Data(), size);
}

void TSkinData::SetPackage(std::vector<uint8_t> bytes)
{
    package_ = MemoryStream(std::move(bytes));
    LoadSkin();
}

bool TSkinData::LoadSkin()
{
    notLoaded_ = true;
    ClearLoadError();
    if (!PlausiblePackage(package_)) return false;
    try {
        TSkinReader reader;
        reader.SetQuiet(!ReportsRefusals());
        if (!reader.ReadPackage(package_)) {
            if (!reader.LastError().empty()) SetLoadError(reader.LastError());
            return false;
        }
        MemoryStream member;
        std::string found;
        reader.FindMemberContaining(".ini", member, found);
        member.Seek(0);
        TQuickIni ini;
        ini.LoadFromStream(&member);
        LoadElements(ini, &reader);
        notLoaded_ = false;
        return true;
    } catch (const std::exception&) {
        // A package that cannot be decoded is a skin that did not load; the
        // component (and the form that stores it) carries on without it.
        return false;
    }
}

void TSkinData::ElementsAboutToChange()
{
    // Windows drawn with the old elements let go of them first.
    SkinManagerBeforeSkinLoad(*this);
}

void TSkinData::FormSkinFilter(TObject* window, const std::string& className, bool& doSkin)
{
    lastFilteredWindow_ = window;
    if (OnFormSkin) {
        OnFormSkin(this, className, doSkin);
    } else if (className == "SysMonthCal32") {
        doSkin = false;
    } else if (className.rfind("Tfr", 0) == 0 && InSet(skinControls_, xcFastReport)) {
        doSkin = false;
    }
}

void TSkinData::NotifySkinChanged()
{
    if (OnSkinChanged) OnSkinChanged(this);
}

void TSkinData::Loaded()
{
    TComponent::Loaded();
    if (!HasGetScrollBarInfo()) skinControls_ &= ~(1u << xcScrollbar);
    CreateCaptionFont();
    if (active_ && notLoaded_ && skinFormtype_ == sfMainform) active_ = false;
    // The skin manager: created with the first component, which registers,
    // installs the window hook and asks for every form to be skinned.
    SkinManagerLoaded(*this);
    if (skinFormtype_ != sfMainform) return;
    if (InSet(skinControls_, xcMainMenu))
        skinControls_ &= ~(1u << xcMenuItem);
    else
        skinControls_ &= ~(1u << xcSystemMenu);
    CaptureApplicationIcon();
}

void TSkinData::CreateCaptionFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        captionFont_.reset(CreateFontIndirectW(&metrics.lfCaptionFont));
}

void TSkinData::CaptureApplicationIcon()
{
    // The icon the program gave its form or the application, when it has one.
    const TForm* form = As<TForm>(Owner());
    HICON own = form && !form->Icon()->Empty() ? form->Icon()->Handle() : nullptr;
    if (!own && Application && !Application->Icon()->Empty()) own = Application->Icon()->Handle();
    if (own) {
        SetApplicationIcon(own);
        return;
    }
    IconSearch search;
    EnumThreadWindows(GetCurrentThreadId(), FindWindowIcon, reinterpret_cast<LPARAM>(&search));
    if (search.icon) {
        SetApplicationIcon(search.icon);
        return;
    }
    IconResourceName name;
    HMODULE module = GetModuleHandleW(nullptr);
    EnumResourceNamesW(module, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON), FirstIconResource,
                       reinterpret_cast<LONG_PTR>(&name));
    HICON icon = name.Found() ? static_cast<HICON>(LoadImageW(module, name.Get(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))
                              : nullptr;
    SetApplicationIcon(icon);
    if (icon) DestroyIcon(icon);
}

void TSkinData::SetApplicationIcon(HICON icon)
{
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    UniqueBitmap bitmap = CreateBitmap24(width, height);
    if (!bitmap) return;
    HICON copy = icon ? static_cast<HICON>(CopyImage(icon, IMAGE_ICON, width, height, 0)) : nullptr;
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    {
        SelectGuard select(dc.get(), bitmap.get());
        UniqueBrush magenta(CreateSolidBrush(kMagenta));
        const RECT all{0, 0, width, height};
        FillRect(dc.get(), &all, magenta.get());
        if (copy) DrawIconEx(dc.get(), 0, 0, copy, width, height, 0, nullptr, DI_NORMAL);
    }
    if (copy) DestroyIcon(copy);
    appIcon_ = std::move(bitmap);
}

void ApplyReaderSkinDataValues(TSkinData& data, const std::vector<uint8_t>& package)
{
    // An empty package is a stored size of 0: nothing to replace or load.
    if (!package.empty()) data.SetPackage(package);
    data.SetActive(true);
    data.SetDisableTag(99);
    data.SetSkinControls(kReaderSkinControls);
    data.SetOptions(kDefaultSkinOptions);
    data.SetSkin3rd(ReaderSkin3rd());
    data.SetSkinFormtype(sfMainform);
    data.SetMenuUpdate(true);
    data.SetMenuMerge(false);
}

}  // namespace quorvane
