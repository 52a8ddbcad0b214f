// The form engine with a shipped skin: painting the whole frame of the
// reader and of a full-HD window, building the full-HD window region, and
// switching the skin of ten open windows.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench/support/benchmark.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "skin/controls/button_skinners.h"
#include "skin/data/skin_data.h"
#include "skin/form/control_scan.h"
#include "skin/form/form_engine.h"
#include "skin/form/skin_manager.h"

namespace quorvane {
namespace {

std::vector<uint8_t> ReadPackage(const char* name)
{
    std::string path = std::string(QUORVANE_SKINS_DIR) + "/" + name;
    std::vector<uint8_t> bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fseek(file, 0, SEEK_END);
        bytes.resize(static_cast<size_t>(std::ftell(file)));
        std::fseek(file, 0, SEEK_SET);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
    }
    return bytes;
}

TSkinData& Skin()
{
    static TSkinData* skin = [] {
        auto* data = new TSkinData(nullptr);
        data->BeginLoading();
        data->SetPackage(ReadPackage("light.qskin"));
        data->SetActive(true);
        data->SetSkinControls(kReaderSkinControls);
        data->EndLoading();
        TSkinManage::Instance()->Active = true;
        TSkinManage::Instance()->Started = 1;
        return data;
    }();
    return *skin;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// A skinned (hidden) form with a menu of the given outer size.
TWinSkinForm* SkinnedForm(int width, int height)
{
    Skin();
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, width, height);
    form->AfterConstruction();
    TSkinManage::Instance()->SkinWindow(form->Handle());
    Pump();
    TWinSkinForm* engine = TSkinManage::Instance()->FindEngine(form->Handle());
    SetWindowPos(form->Handle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return engine;
}

// A DC over a window-sized picture, as the window's own DC would be.
struct Target {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    Target(int w, int h)
    {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Target()
    {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

void BM_PaintFrameReader(benchmark::State& state)
{
    static TWinSkinForm* engine = SkinnedForm(558, 110);
    Target target(600, 160);
    for (auto _ : state) engine->PaintFrame(target.dc);
}
BENCHMARK(BM_PaintFrameReader)->Unit(benchmark::kMicrosecond);

void BM_PaintFrame1080(benchmark::State& state)
{
    static TWinSkinForm* engine = SkinnedForm(1920, 1080);
    Target target(1920, 1080);
    for (auto _ : state) engine->PaintFrame(target.dc);
}
BENCHMARK(BM_PaintFrame1080)->Unit(benchmark::kMicrosecond);

void BM_UpdateRegion1080(benchmark::State& state)
{
    static TWinSkinForm* engine = SkinnedForm(1920, 1080);
    for (auto _ : state) {
        engine->EngineState = esRefreshing;  // rebuilds even at the same size
        engine->UpdateRegion();
        engine->EngineState = esSkinned;
    }
}
BENCHMARK(BM_UpdateRegion1080)->Unit(benchmark::kMicrosecond);

void BM_LoadPackageAlone(benchmark::State& state)
{
    static const std::vector<uint8_t> light = ReadPackage("light.qskin");
    TSkinData data(nullptr);
    for (auto _ : state) data.SetPackage(light);
}
BENCHMARK(BM_LoadPackageAlone)->Unit(benchmark::kMillisecond);

void BM_SwitchSkinOfTenWindows(benchmark::State& state)
{
    static const std::vector<uint8_t> light = ReadPackage("light.qskin"), dark = ReadPackage("dark.qskin");
    static std::vector<TWinSkinForm*> engines = [] {
        std::vector<TWinSkinForm*> list;
        for (int i = 0; i < 10; ++i) list.push_back(SkinnedForm(400 + 10 * i, 300));
        return list;
    }();
    bool useDark = true;
    for (auto _ : state) {
        Skin().ApplyPackage(useDark ? dark : light);
        TSkinManage::Instance()->RunPendingCommand();
        Pump();
        useDark = !useDark;
    }
    state.counters["windows"] = static_cast<double>(engines.size());
}
BENCHMARK(BM_SwitchSkinOfTenWindows)->Unit(benchmark::kMillisecond);

// A form of 200 controls (buttons, check boxes, radio buttons, panels with
// a button each): the scan that gives each its skinner, from nothing.
void BM_ScanAndAttach200Controls(benchmark::State& state)
{
    Skin();
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, 900, 700);
    for (int i = 0; i < 160; ++i) {
        TWinControl* control = nullptr;
        switch (i % 4) {
        case 0: control = new TButton(form); break;
        case 1: control = new TCheckBox(form); break;
        case 2: control = new TRadioButton(form); break;
        default: control = new TPanel(form); break;
        }
        control->SetParent(form);
        control->SetBounds((i % 10) * 88, (i / 10) * 40, 84, 36);
        control->SetCaption("Control");
        if (i % 4 == 3) {
            auto* inner = new TButton(form);
            inner->SetParent(control);
            inner->SetBounds(2, 2, 40, 20);
        }
    }
    form->AfterConstruction();
    TSkinManage::Instance()->SkinWindow(form->Handle());
    Pump();
    TWinSkinForm* engine = TSkinManage::Instance()->FindEngine(form->Handle());
    for (auto _ : state) {
        engine->FreeSkinners();
        ScanForm(engine, form);
    }
    state.counters["skinners"] = static_cast<double>(engine->Skinners().size());
    Free(form);
}
BENCHMARK(BM_ScanAndAttach200Controls)->Unit(benchmark::kMillisecond);

// One repaint of a skinned push button in its hot state, as the mouse
// enters it: the whole picture composed off-screen and copied once.
void BM_RepaintHotButton(benchmark::State& state)
{
    Skin();
    static TForm* form = [] {
        auto* f = new TForm(nullptr);
        auto* button = new TButton(f);
        button->SetParent(f);
        button->SetBounds(10, 10, 75, 25);
        button->SetCaption("Help");
        f->AfterConstruction();
        TSkinManage::Instance()->SkinWindow(f->Handle());
        Pump();
        return f;
    }();
    auto* button = static_cast<TButton*>(form->Components(0));
    SendMessageW(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Target target(75, 25);
    for (auto _ : state) SendMessageW(button->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(target.dc), 0);
}
BENCHMARK(BM_RepaintHotButton)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvane
