// The marks of Effect items 16 and 17 are recomputed on every menu update:
// MaskIsWhiteTransparent (one CreateMask2 and a row compare) and
// MaskIsOpaqueSelection (a scan of the mask under the selection) on a
// 512 x 512 24-bit document, beside one plain CopyBits of its image measured
// in the same run, so each reads as a number of full-image copies.
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "tools/ColorSearch.h"
#include "tools/Selection.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kEdge = 512;

// A document without a window: every fourth pixel black on white, the mask
// made from it so that the white-transparent mark holds (the slow path: the
// whole picture is compared).
PaintWinRec* Document() {
    static std::unique_ptr<PaintWinRec> rec;
    if (rec) return rec.get();
    rec = std::make_unique<PaintWinRec>();
    rec->picRect = MakeRect(0, 0, kEdge, kEdge);
    rec->depth = 24;
    if (MakePaintBuffers(rec.get()) != noErr) std::abort();
    SetGWorld(rec->offPort.get(), nullptr);
    RGBForeColor(&rgbBlackColor);
    for (int v = 0; v < kEdge; v += 2)
        for (int h = (v / 2) % 2; h < kEdge; h += 2) {
            const Rect dot = MakeRect(v, h, v + 1, h + 1);
            PaintRect(&dot);
        }
    GWorldPtr mask = nullptr;
    if (CreateMask2(rec->offPort.get(), &mask) != noErr) std::abort();
    UniqueGWorld owner(mask);
    SetGWorld(rec->maskPort.get(), nullptr);
    CopyBits(GetPortBitMapForCopyBits(mask), GetPortBitMapForCopyBits(rec->maskPort.get()), &rec->picRect,
             &rec->picRect, srcCopy, nullptr);
    return rec.get();
}

void BM_CopyImageBaseline(benchmark::State& state) {
    PaintWinRec* rec = Document();
    SetGWorld(rec->undoPort.get(), nullptr);
    for (auto _ : state)
        CopyBits(GetPortBitMapForCopyBits(rec->offPort.get()), GetPortBitMapForCopyBits(rec->undoPort.get()),
                 &rec->picRect, &rec->picRect, srcCopy, nullptr);
    state.SetItemsProcessed(state.iterations() * kEdge * kEdge);
}
BENCHMARK(BM_CopyImageBaseline);

void BM_MaskIsWhiteTransparent(benchmark::State& state) {
    PaintWinRec* rec = Document();
    for (auto _ : state) {
        const Boolean mark = MaskIsWhiteTransparent(rec);
        if (!mark) state.SkipWithError("the mask should match");
        benchmark::DoNotOptimize(mark);
    }
    state.SetItemsProcessed(state.iterations() * kEdge * kEdge);
}
BENCHMARK(BM_MaskIsWhiteTransparent);

void BM_MaskIsOpaqueSelection(benchmark::State& state) {
    PaintWinRec* rec = Document();
    // Worst case: the whole mask is scanned, so make it all opaque for this run.
    SetGWorld(rec->maskPort.get(), nullptr);
    RGBForeColor(&rgbBlackColor);
    PaintRect(&rec->picRect);
    for (auto _ : state) benchmark::DoNotOptimize(MaskIsOpaqueSelection(rec));
    state.SetItemsProcessed(state.iterations() * kEdge * kEdge);
}
BENCHMARK(BM_MaskIsOpaqueSelection);

}  // namespace
