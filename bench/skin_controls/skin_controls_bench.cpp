// The control skinners with a shipped skin, on a shown form: a 10,000-line
// memo scrolled step by step as a thumb drag scrolls it (the overlay bar's
// repaint alone, and each whole step with the bar checked against the
// memo), a skinned track bar repainted at each position of a drag, and a
// skinned combo box's list opened. The same steps on unskinned controls
// give the platform's own cost beside them.
//
//   ./run skin_controls_bench              with the light skin
//   QUORVANE_BENCH_SKIN=dark.qskin ./run skin_controls_bench
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/benchmark.h"
#include "framework/com_controls.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "skin/controls/combo_skinners.h"
#include "skin/controls/scrollbar_skinners.h"
#include "skin/controls/status_skinners.h"
#include "skin/data/skin_data.h"

namespace quorvane {
namespace {

std::vector<uint8_t> ReadPackage(const char* name)
{
    const std::string path = std::string(QUORVANE_SKINS_DIR) + "/" + name;
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
        const char* name = std::getenv("QUORVANE_BENCH_SKIN");
        data->SetPackage(ReadPackage(name && *name ? name : "light.qskin"));
        return data;
    }();
    return *skin;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TForm* Stage()
{
    static TForm* form = [] {
        auto* f = new TForm(nullptr);
        f->SetCaption("skin controls bench");
        f->SetBounds(40, 40, 760, 560);
        f->AfterConstruction();
        f->Show();
        Pump();
        return f;
    }();
    return form;
}

template <class T>
T* Place(int x, int y, int w, int h)
{
    auto* control = new T(Stage());
    control->SetParent(Stage());
    control->SetBounds(x, y, w, h);
    return control;
}

struct Memo {
    TMemo* memo;
    TSkinScrollbar* skinner = nullptr;
    int lines;
};

Memo& TenThousandLines(bool skinned)
{
    auto make = [](bool withSkinner, int x) {
        Memo m{Place<TMemo>(x, 10, 300, 300), nullptr, 0};
        m.memo->SetScrollBars(ssVertical);
        m.memo->SetWordWrap(false);
        std::string text;
        text.reserve(10000 * 12);
        for (int i = 0; i < 10000; ++i) text += "line " + std::to_string(i) + "\r\n";
        m.memo->SetText(text);
        m.memo->HandleNeeded();
        if (withSkinner) {
            m.skinner = new TSkinScrollbar(m.memo);
            m.skinner->AttachControl(nullptr, &Skin(), false, nullptr);
        }
        m.lines = static_cast<int>(SendMessageW(m.memo->Handle(), EM_GETLINECOUNT, 0, 0));
        Pump();
        return m;
    };
    static Memo skinnedMemo = make(true, 10);
    static Memo plainMemo = make(false, 320);
    return skinned ? skinnedMemo : plainMemo;
}

// One repaint of the overlay bar over the 10,000-line memo.
void BM_OverlayBarRepaint(benchmark::State& state)
{
    Memo& m = TenThousandLines(true);
    TWScrollbar* bar = m.skinner->VerticalBar();
    if (!bar || !bar->Showing()) {
        state.SkipWithError("the drawn bar is not showing");
        return;
    }
    SendMessageW(m.memo->Handle(), EM_LINESCROLL, 0, 4000);
    for (auto _ : state) bar->Paint();
}
BENCHMARK(BM_OverlayBarRepaint)->Unit(benchmark::kMicrosecond);

// One step of a thumb drag: the platform's tracking sends the memo
// SB_THUMBTRACK with the new position; the memo scrolls, the skinner
// repaints the bar. "lagging" counts the steps after which the bar still
// showed an older state of the memo's bar than the memo had.
void ThumbDragStep(benchmark::State& state, bool skinned)
{
    Memo& m = TenThousandLines(skinned);
    HWND window = m.memo->Handle();
    SendMessageW(window, EM_LINESCROLL, 0, -m.lines);
    TWScrollbar* bar = skinned ? m.skinner->VerticalBar() : nullptr;
    int position = 0, lagging = 0, steps = 0;
    const int last = m.lines - 20;
    for (auto _ : state) {
        position = position + 37 > last ? 0 : position + 37;
        SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), 0);
        if (bar) {
            state.PauseTiming();
            if (bar->Refresh()) ++lagging;  // would have had to paint again
            ++steps;
            state.ResumeTiming();
        }
    }
    SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    if (skinned) {
        state.counters["lagging"] = lagging;
        state.counters["steps"] = steps;
    }
}
void BM_MemoThumbDragStepSkinned(benchmark::State& state) { ThumbDragStep(state, true); }
void BM_MemoThumbDragStepPlain(benchmark::State& state) { ThumbDragStep(state, false); }
BENCHMARK(BM_MemoThumbDragStepSkinned)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoThumbDragStepPlain)->Unit(benchmark::kMicrosecond);

// A track bar's repaint at each position of a drag: the control paints
// itself, the skinner draws channel and thumb through custom draw.
void TrackDragRepaint(benchmark::State& state, bool skinned)
{
    static TTrackBar* bars[2] = {};
    TTrackBar*& bar = bars[skinned ? 1 : 0];
    if (!bar) {
        bar = Place<TTrackBar>(10, skinned ? 330 : 380, 300, 36);
        bar->SetRange(0, 100);
        bar->HandleNeeded();
        if (skinned) (new TSkinTrackBar(bar))->AttachControl(nullptr, &Skin(), false, nullptr);
        Pump();
    }
    HWND window = bar->Handle();
    int position = 0;
    for (auto _ : state) {
        position = (position + 3) % 101;
        SendMessageW(window, TBM_SETPOS, TRUE, position);
        UpdateWindow(window);
    }
}
void BM_TrackBarDragRepaintSkinned(benchmark::State& state) { TrackDragRepaint(state, true); }
void BM_TrackBarDragRepaintPlain(benchmark::State& state) { TrackDragRepaint(state, false); }
BENCHMARK(BM_TrackBarDragRepaintSkinned)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrackBarDragRepaintPlain)->Unit(benchmark::kMicrosecond);

// Opening a combo box's drop-down list of 50 items until it is painted;
// closing it is not timed.
void OpenDropDown(benchmark::State& state, bool skinned)
{
    static TComboBox* combos[2] = {};
    TComboBox*& combo = combos[skinned ? 1 : 0];
    if (!combo) {
        combo = Place<TComboBox>(skinned ? 340 : 540, 330, 180, 24);
        combo->SetStyle(csDropDownList);
        for (int i = 0; i < 50; ++i) combo->Items()->Add("Voice " + std::to_string(i));
        combo->SetItemIndex(0);
        combo->HandleNeeded();
        if (skinned) (new TSkinComBox(combo))->AttachControl(nullptr, &Skin(), false, nullptr);
        Pump();
    }
    HWND window = combo->Handle();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(window, &info);
    for (auto _ : state) {
        SendMessageW(window, CB_SHOWDROPDOWN, TRUE, 0);
        UpdateWindow(info.hwndList);
        UpdateWindow(window);
        Pump();
        state.PauseTiming();
        SendMessageW(window, CB_SHOWDROPDOWN, FALSE, 0);
        Pump();
        state.ResumeTiming();
    }
}
void BM_OpenComboDropDownSkinned(benchmark::State& state) { OpenDropDown(state, true); }
void BM_OpenComboDropDownPlain(benchmark::State& state) { OpenDropDown(state, false); }
BENCHMARK(BM_OpenComboDropDownSkinned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenComboDropDownPlain)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvane
