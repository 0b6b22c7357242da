// Lifting and dropping a selection of the whole of a 1024 x 1024 24-bit
// document on a real paint window (DoSelectMain with its undo snapshot, then
// FixSelection), beside one CopyBits of the same image measured in the same
// run: the pair's time reads as a number of full-image copies. A second pair
// moves a 256 x 256 selection by one pixel (MoveSelection with its redraw)
// and exchanges it with what lies under it.
#include "bench/BenchPaintWindow.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "tools/Selection.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <utility>

namespace {

constexpr int kEdge = 1024;

WindowRef Document() { return bench::PaintWindow("selection_bench", kEdge, 0, 24); }

int64_t ImageBytes() { return int64_t(kEdge) * kEdge * 4; }

void LiftAndDrop(WindowRef window, const Rect& r) {
    PaintWinRec* rec = GetPaintWinRec(window);
    UpdatePSRgn(rec);
    if (GoOffPort(window) != noErr) std::abort();
    UniqueRgn region;
    RectRgn(region, &r);
    DoSelectMain(window, std::move(region));
    FixSelection(window);
}

void BM_LiftAndDropWholePicture(benchmark::State& state) {
    WindowRef window = Document();
    const Rect whole = GetPaintWinRec(window)->picRect;
    for (auto _ : state) {
        LiftAndDrop(window, whole);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * ImageBytes());
}
BENCHMARK(BM_LiftAndDropWholePicture)->Unit(benchmark::kMillisecond);

void BM_CopyBitsWholeImageBaseline(benchmark::State& state) { bench::CopyWholeImage(state, Document()); }
BENCHMARK(BM_CopyBitsWholeImageBaseline)->Unit(benchmark::kMillisecond);

// Lifts the 256 x 256 square at (256, 256) as the marquee would.
void LiftSquare(WindowRef window, PaintWinRec* rec) {
    UpdatePSRgn(rec);
    if (GoOffPort(window) != noErr) std::abort();
    UniqueRgn region;
    const Rect r = MakeRect(256, 256, 512, 512);
    RectRgn(region, &r);
    DoSelectMain(window, std::move(region));
}

// One-pixel moves back and forth of a floating 256 x 256 selection.
void BM_MoveSelectionByOne(benchmark::State& state) {
    WindowRef window = Document();
    PaintWinRec* rec = GetPaintWinRec(window);
    LiftSquare(window, rec);
    SInt16 dx = 1;
    for (auto _ : state) {
        MoveSelection(window, dx, 0, true);
        dx = SInt16(-dx);
    }
    FixSelection(window);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * ImageBytes());
}
BENCHMARK(BM_MoveSelectionByOne)->Unit(benchmark::kMillisecond);

void BM_ExchangeSelection(benchmark::State& state) {
    WindowRef window = Document();
    PaintWinRec* rec = GetPaintWinRec(window);
    LiftSquare(window, rec);
    MoveSelection(window, 100, 100, true);
    for (auto _ : state) ExchangeSelection(window);
    FixSelection(window);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * ImageBytes());
}
BENCHMARK(BM_ExchangeSelection)->Unit(benchmark::kMillisecond);

}  // namespace
