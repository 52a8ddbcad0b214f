#include "tests/app/reader_test_support.h"

#include <richedit.h>

#include <cstring>

namespace quorvane::testing_support {

namespace {
const WCHAR* Wide(const std::u16string& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

bool OpenClipboardRetrying()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}
}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        MSG msg;
        // One message at a time, so `done` sees every state in between.
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (done()) return true;
        }
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void PumpPending()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void SetClipboardText(const std::u16string& text)
{
    ASSERT_TRUE(OpenClipboardRetrying());
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ASSERT_NE(memory, nullptr);
    void* target = GlobalLock(memory);
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

void SetClipboardBitmap()
{
    ASSERT_TRUE(OpenClipboardRetrying());
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, CreateBitmap(4, 4, 1, 32, nullptr));
    CloseClipboard();
}

void EmptyTheClipboard()
{
    if (!OpenClipboardRetrying()) return;
    EmptyClipboard();
    CloseClipboard();
}

std::u16string TempDirectory(const std::u16string& name)
{
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::u16string directory = reinterpret_cast<const char16_t*>(temp);
    directory += name;
    CreateDirectoryW(Wide(directory), nullptr);
    return directory;
}

void RemoveTree(const std::u16string& directory)
{
    WIN32_FIND_DATAW found;
    const std::u16string pattern = directory + u"\\*";
    HANDLE search = FindFirstFileW(Wide(pattern), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string name = reinterpret_cast<const char16_t*>(found.cFileName);
            if (name == u"." || name == u"..") continue;
            const std::u16string path = directory + u"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(Wide(path));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(Wide(directory));
}

long long FileSize(const std::u16string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void WriteFileBytes(const std::u16string& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<VoiceInfo> Voices(std::initializer_list<const char*> descriptions)
{
    std::vector<VoiceInfo> voices;
    int n = 0;
    for (const char* description : descriptions) {
        VoiceInfo voice;
        voice.id = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Voices\\Tokens\\v" + std::to_string(n++);
        voice.description = description;
        voice.name = description;
        voice.vendor = "Test";
        voice.age = "Adult";
        voice.gender = "Female";
        voice.language = "409";
        voice.engineVoice = description;
        voices.push_back(voice);
    }
    return voices;
}

GuiObjectCount CountGuiObjects()
{
    GuiObjectCount count;
    count.gdi = static_cast<int>(GetGuiResources(GetCurrentProcess(), 0 /* GR_GDIOBJECTS */));
    count.user = static_cast<int>(GetGuiResources(GetCurrentProcess(), 1 /* GR_USEROBJECTS */));
    if (count.gdi > 0 || count.user > 0) return count;

    // Wine answers 0 for both. Its GDI handles are an index into the
    // process's object table (a handle without its generation bits matches
    // the live object at that index); its USER handles are even indices from
    // 0x20 on, looked up the same way.
    count.probed = true;
    count.gdi = 0;
    count.user = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count.gdi;
    for (UINT_PTR index = 0x20; index < 0x10000; index += 2) {
        const auto handle = reinterpret_cast<HANDLE>(index);
        if (IsWindow(static_cast<HWND>(handle)) || IsMenu(static_cast<HMENU>(handle))) {
            ++count.user;
            continue;
        }
        ICONINFO info{};
        if (GetIconInfo(static_cast<HICON>(handle), &info)) {
            ++count.user;
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
    }
    return count;
}

// ---------------------------------------------------------------------------

void ReaderFixture::SetUp()
{
    static bool initialised = false;
    if (!initialised) {
        Application->Initialize();
        initialised = true;
    }
    previousBoxes_ = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        return IDOK;
    });
    markerDirectory_ = TempDirectory(u"quorvane-reader-test");
    userSettingsDirectory_ = TempDirectory(u"quorvane-reader-test-user");
    EmptyTheClipboard();
    PumpPending();
    RepeatArmed = false;
}

void ReaderFixture::TearDown()
{
    StopReader();
    RemoveTree(markerDirectory_);
    RemoveTree(userSettingsDirectory_);
    SetMessageBoxHandler(std::move(previousBoxes_));
}

void ReaderFixture::StartReader(std::vector<VoiceInfo> voices)
{
    // A test may have made the service beforehand (to let it report
    // something before the reader connects).
    if (service_)
        RegisterRunningVoiceService(service_);
    else
        service_ = ScriptedVoiceService::Install(std::move(voices));
    ReaderOptions options;
    options.markerDirectory = markerDirectory_;
    options.userSettingsDirectory = userSettingsDirectory_;
    options.progressSink = [this](const std::string& line) {
        progress_.push_back(line);
        callsAtLine_.push_back(service_->Calls().size());
    };
    form_ = Application->CreateForm<TfrmTextToSpeech>(options);
    form_->Show();
    PumpPending();
}

void ReaderFixture::StopReader()
{
    if (!form_) return;
    Application->DestroyForms();
    form_ = nullptr;
    PumpPending();
    service_.reset();
}

void ReaderFixture::Copy(const std::u16string& text)
{
    const size_t before = service_->Calls().size();
    SetClipboardText(text);
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<std::string> calls = service_->Calls();
        for (size_t i = before; i < calls.size(); ++i)
            if (calls[i].rfind("Speak(", 0) == 0) return true;
        return false;
    })) << "the copy was not spoken";
    PumpPending();
}

std::vector<std::string> ReaderFixture::LogLines() const
{
    std::vector<std::string> lines;
    TStrings* items = form_->lstProgress->Items();
    for (int i = 0; i < items->Count(); ++i) lines.push_back(items->Get(i));
    return lines;
}

std::u16string ReaderFixture::ReText() const
{
    HWND richEdit = form_->reText->Handle();
    GETTEXTLENGTHEX lengthQuery{GTL_DEFAULT | GTL_NUMCHARS, 1200};
    const LRESULT length = SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;
    const LRESULT copied =
        SendMessageW(richEdit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

}  // namespace quorvane::testing_support
