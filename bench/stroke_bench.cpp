// A pencil stroke on a 1024 x 1024 24-bit document shown at 4x: 1,000
// segments drawn into the buffers and shown live in the window and the
// preview, then written into the image. The baseline is one CopyBits of the
// whole image (what the stroke's release costs at least), so the stroke's
// time reads as a number of full-image copies. The second pair measures one
// short segment with its live redraw against a CopyBits of the window area
// that segment covers.
#include "bench/BenchPaintWindow.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "palettes/Prefs.h"
#include "tools/StrokeEngine.h"
#include "tools/Tools.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kEdge = 1024;
constexpr int kSegments = 1000;

WindowRef Document() {
    static WindowRef window = nullptr;
    if (window) return window;
    window = bench::PaintWindow("stroke_bench", kEdge, 2, 24);
    gToolPrefs.gridSetting = 0x21;
    return window;
}

void SetPen(PaintWinRec* rec) {
    SavedGWorld saved;
    SetGWorld(rec->offPort.get(), nullptr);
    PenSize(2, 2);
    PenMode(patCopy);
}

// A zigzag of segments 5 to 40 pixels long that stays inside the image.
Point PathPoint(int i) {
    return Point{SInt16(100 + (i * 37) % 800), SInt16(100 + (i * 23) % 800)};
}

void BM_Stroke1000Segments(benchmark::State& state) {
    WindowRef window = Document();
    PaintWinRec* rec = GetPaintWinRec(window);
    SetPen(rec);
    for (auto _ : state) {
        StrokeRef stroke;
        if (BeginStroke(window, kPaintCurrentColor, &stroke) != noErr) std::abort();
        Point prev = PathPoint(0);
        StrokeLine(stroke.get(), prev, prev);
        for (int i = 1; i <= kSegments; ++i) {
            const Point next = PathPoint(i);
            StrokeLine(stroke.get(), prev, next);
            prev = next;
        }
        EndStroke(stroke.get(), prev);
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
    state.SetBytesProcessed(state.iterations() * int64_t(kEdge) * kEdge * 4);
}
BENCHMARK(BM_Stroke1000Segments)->Unit(benchmark::kMillisecond);

void BM_CopyBitsWholeImageBaseline(benchmark::State& state) { bench::CopyWholeImage(state, Document()); }
BENCHMARK(BM_CopyBitsWholeImageBaseline)->Unit(benchmark::kMillisecond);

void BM_LiveSegment(benchmark::State& state) {
    WindowRef window = Document();
    PaintWinRec* rec = GetPaintWinRec(window);
    SetPen(rec);
    StrokeRef stroke;
    if (BeginStroke(window, kPaintCurrentColor, &stroke) != noErr) std::abort();
    int i = 0;
    for (auto _ : state) {
        // An 8-pixel segment in the part of the image the window shows.
        const Point from{SInt16(20 + i % 100), SInt16(20 + (i * 3) % 100)};
        StrokeLine(stroke.get(), from, Point{SInt16(from.v + 4), SInt16(from.h + 8)});
        ++i;
    }
    EndStroke(stroke.get(), Point{20, 20});
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveSegment)->Unit(benchmark::kMicrosecond);

void BM_CopyBitsSegmentAreaBaseline(benchmark::State& state) {
    WindowRef window = Document();
    PaintWinRec* rec = GetPaintWinRec(window);
    SavedGWorld saved;
    SetPortWindowPort(window);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    // The zoomed area of one segment: 10 x 6 image pixels at 4x.
    const Rect src = MakeRect(20, 20, 26, 30);
    const Rect dst = MakeRect(80, 80, 104, 120);
    for (auto _ : state) {
        CopyBits(GetPortBitMapForCopyBits(rec->dispPort.get()), GetPortBitMapForCopyBits(GetWindowPort(window)), &src,
                 &dst, srcCopy, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CopyBitsSegmentAreaBaseline)->Unit(benchmark::kMicrosecond);

}  // namespace
