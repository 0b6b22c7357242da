// The zoomed picture of a 512 x 512 document at each magnification, with a
// pixel grid and a block grid, as a redraw of a 1024 x 768 view makes it.
// The baseline is one scaling CopyBits of the same source to the same output
// area: read MakePaintImage's throughput as a ratio to it (the difference is
// the grid and the buffer set-up).
#include "paint/PaintView.h"
#include "palettes/Prefs.h"
#include "platform/raster/CopyBits.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kEdge = 512;

std::unique_ptr<PaintWinRec> MakeDocument(SInt16 ratio) {
    auto rec = std::make_unique<PaintWinRec>();
    rec->picRect = MakeRect(0, 0, kEdge, kEdge);
    rec->ratio = ratio;
    rec->depth = rec->colorMode = 24;
    if (MakePaintBuffers(rec.get()) != noErr) std::abort();
    const PixMap& pm = **GetGWorldPixMap(rec->dispPort.get());
    for (int v = 0; v < kEdge; ++v) {
        UInt8* row = PixRow(pm, v);
        for (int h = 0; h < kEdge; ++h) {
            row[h * 4 + 1] = UInt8(h);
            row[h * 4 + 2] = UInt8(v);
            row[h * 4 + 3] = UInt8((h ^ v) & 0xF0);
        }
    }
    return rec;
}

// The view: 1024 x 768 window pixels centred in the zoomed image (or all of it).
Rect ViewOf(const PaintWinRec& rec) {
    const int w = std::min(1024, RectWidth(rec.dispRect)), h = std::min(768, RectHeight(rec.dispRect));
    const int left = (RectWidth(rec.dispRect) - w) / 2 / 16 * 16, top = (RectHeight(rec.dispRect) - h) / 2 / 16 * 16;
    return MakeRect(top, left, top + h, left + w);
}

void BM_MakePaintImage(benchmark::State& state) {
    const SInt16 ratio = SInt16(state.range(0));
    gToolPrefs.gridSetting = 0x22;
    auto rec = MakeDocument(ratio);
    const Rect view = ViewOf(*rec);
    UniqueRgn clip;
    RectRgn(clip, &view);
    for (auto _ : state) {
        UniqueGWorld image(MakePaintImage(rec.get(), clip));
        if (!image) std::abort();
        benchmark::DoNotOptimize(image.get());
    }
    state.SetItemsProcessed(state.iterations() * RectWidth(view) * RectHeight(view));
}

void BM_ScaledCopyBitsBaseline(benchmark::State& state) {
    const SInt16 ratio = SInt16(state.range(0));
    auto rec = MakeDocument(ratio);
    const Rect view = ViewOf(*rec);
    UniqueGWorld out;
    if (NewGWorld(out.out(), 32, &view, nullptr, nullptr, 0) != noErr) std::abort();
    const Rect src{SInt16(view.top >> ratio), SInt16(view.left >> ratio), SInt16(view.bottom >> ratio),
                   SInt16(view.right >> ratio)};
    SetGWorld(out.get(), nullptr);
    for (auto _ : state) {
        CopyBits(GetPortBitMapForCopyBits(rec->dispPort.get()), GetPortBitMapForCopyBits(out.get()), &src, &view,
                 srcCopy, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * RectWidth(view) * RectHeight(view));
}

}  // namespace

BENCHMARK(BM_ScaledCopyBitsBaseline)->DenseRange(0, 4);
BENCHMARK(BM_MakePaintImage)->DenseRange(0, 4);
