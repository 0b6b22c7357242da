// Pen and seed-fill throughput, each beside a memset of the same buffer
// measured in the same run, so results read as ratios to the baseline.
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/SeedFill.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

UniqueGWorld MakeWorld(int depth, int w, int h) {
    UniqueGWorld g;
    const Rect bounds = MakeRect(0, 0, h, w);
    if (NewGWorld(g.out(), SInt16(depth), &bounds, nullptr, nullptr, 0) != noErr) return g;
    SetGWorld(g.get(), nullptr);
    EraseRect(&bounds);
    return g;
}

Size BufferBytes(GWorldPtr g) {
    const PixMap& pm = **GetGWorldPixMap(g);
    return Size(pm.rowBytes) * (pm.bounds.bottom - pm.bounds.top);
}

void BM_MemsetBaseline(benchmark::State& state) {
    const auto side = size_t(state.range(0));
    std::vector<UInt8> buf(side * side * 4);
    for (auto _ : state) {
        std::memset(buf.data(), int(state.iterations() & 0xFF), buf.size());
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Size(buf.size()));
}
BENCHMARK(BM_MemsetBaseline)->Arg(1024)->Arg(2048);

// A solid PaintRect over the whole 32-bit buffer: the pen's best case.
void BM_PaintRectSolid(benchmark::State& state) {
    UniqueGWorld g = MakeWorld(32, 1024, 1024);
    const Rect r = MakeRect(0, 0, 1024, 1024);
    for (auto _ : state) {
        PaintRect(&r);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BufferBytes(g.get()));
}
BENCHMARK(BM_PaintRectSolid);

// 1,000 segments between pseudo-random points with a 4 x 4 pen.
void BM_PolylinePen4(benchmark::State& state) {
    UniqueGWorld g = MakeWorld(32, 1024, 1024);
    std::vector<Point> pts(1001);
    UInt32 seed = 12345;
    for (Point& p : pts) {
        seed = seed * 1103515245u + 12345u;
        p.h = SInt16((seed >> 8) % 1024);
        seed = seed * 1103515245u + 12345u;
        p.v = SInt16((seed >> 8) % 1024);
    }
    PenSize(4, 4);
    PenMode(SInt16(state.range(0)));
    for (auto _ : state) {
        MoveTo(pts[0].h, pts[0].v);
        for (size_t i = 1; i < pts.size(); ++i) LineTo(pts[i].h, pts[i].v);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.SetLabel(state.range(0) == patCopy ? "patCopy" : "patXor");
}
BENCHMARK(BM_PolylinePen4)->Arg(patCopy)->Arg(patXor);

// The whole 2048 x 2048 area is one colour apart from a frame in the middle,
// so the fill covers nearly every pixel.
void BM_SeedCFill2048(benchmark::State& state) {
    const int side = 2048;
    UniqueGWorld g = MakeWorld(int(state.range(0)), side, side);
    PenSize(3, 3);
    const Rect frame = MakeRect(900, 900, 1100, 1100);
    FrameRect(&frame);
    UniqueGWorld mask = MakeWorld(1, side, side);
    const Rect r = MakeRect(0, 0, side, side);
    for (auto _ : state) {
        SeedCFill(*GetGWorldPixMap(g.get()), *GetGWorldPixMap(mask.get()), &r, &r, 0, 0, nullptr, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BufferBytes(g.get()));
    state.SetItemsProcessed(state.iterations() * Size(side) * side);
}
BENCHMARK(BM_SeedCFill2048)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_CalcCMask2048(benchmark::State& state) {
    const int side = 2048;
    UniqueGWorld g = MakeWorld(32, side, side);
    PenSize(3, 3);
    const Rect frame = MakeRect(900, 900, 1100, 1100);
    FrameRect(&frame);
    UniqueGWorld mask = MakeWorld(1, side, side);
    const Rect r = MakeRect(0, 0, side, side);
    const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
    for (auto _ : state) {
        CalcCMask(*GetGWorldPixMap(g.get()), *GetGWorldPixMap(mask.get()), &r, &r, &white, nullptr, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Size(side) * side);
}
BENCHMARK(BM_CalcCMask2048)->Unit(benchmark::kMillisecond);

}  // namespace
