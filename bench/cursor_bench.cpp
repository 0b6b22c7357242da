// The cursor update on one mouse move over a paint window's image, as the
// event loop makes it for each mouse-moved event. Each benchmark reports its
// time as a share of one 1/60 s frame (`of_frame`) and as a multiple of one
// GetGlobalMouse call measured in the same run (`x_getmouse`, the cheapest
// thing the loop does per event: one pump of Qt).
#include "app/CursorUpdate.h"
#include "app/Shell.h"
#include "bench/BenchPaintWindow.h"
#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"
#include "tools/Tools.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsPerGetMouse() {
    static double seconds = [] {
        constexpr int kCalls = 20000;
        Point pt;
        const auto start = Clock::now();
        for (int i = 0; i < kCalls; ++i) GetGlobalMouse(&pt);
        return std::chrono::duration<double>(Clock::now() - start).count() / kCalls;
    }();
    return seconds;
}

// Two points a few pixels apart inside the image of a 64 x 64 picture at 8x.
void MovesOverImage(benchmark::State& state, SInt16 tool, bool footprint, bool changeEachMove) {
    WindowRef w = bench::PaintWindow("cursor_bench", 64, 3, 24);
    if (!gCurRgnHand) gCurRgnHand = NewRgn();
    SelectWindow(w);
    Rect content;
    GetWindowBounds(w, kWindowContentRgn, &content);
    const Point a{SInt16(content.top + 40), SInt16(content.left + 40)};
    const Point b{SInt16(a.v + 3), SInt16(a.h + 5)};
    gSelectedTool = tool;
    gToolPrefs.footprintCursor = footprint ? 1 : 0;
    gToolPrefs.colorFootprintCursor = footprint ? 1 : 0;
    SecondsPerGetMouse();
    UpdateMouseCursor(a);
    long moves = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        // A changing cursor: the pen colour alternates, so the footprint is rebuilt.
        if (changeEachMove) gCurrentColor.rgb.red = UInt16(moves & 1 ? 0xFFFF : 0);
        UpdateMouseCursor(moves++ & 1 ? b : a);
    }
    const double perMove = std::chrono::duration<double>(Clock::now() - start).count() / double(moves);
    state.counters["of_frame"] = perMove * 60.0;
    state.counters["x_getmouse"] = perMove / SecondsPerGetMouse();
}

void BM_CursorMovePencil(benchmark::State& state) { MovesOverImage(state, kPencilTool, false, false); }
void BM_CursorMoveFootprint(benchmark::State& state) { MovesOverImage(state, kPencilTool, true, false); }
void BM_CursorMoveBucket(benchmark::State& state) { MovesOverImage(state, kBucketTool, false, false); }
void BM_CursorRebuiltEachMove(benchmark::State& state) { MovesOverImage(state, kPencilTool, true, true); }

}  // namespace

BENCHMARK(BM_CursorMovePencil);
BENCHMARK(BM_CursorMoveFootprint);
BENCHMARK(BM_CursorMoveBucket);
BENCHMARK(BM_CursorRebuiltEachMove);
