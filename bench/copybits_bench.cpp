// CopyBits throughput on 1024 x 1024 buffers. memcpy of the same bytes runs
// in the same process as the baseline: read the results as ratios to it.
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kEdge = 1024;

struct Buffers {
    UniqueGWorld src32, src8, dst32, dst8;
    Buffers() {
        const Rect r = MakeRect(0, 0, kEdge, kEdge);
        if (NewGWorld(src32.out(), 32, &r, nullptr, nullptr, 0) || NewGWorld(src8.out(), 8, &r, nullptr, nullptr, 0) ||
            NewGWorld(dst32.out(), 32, &r, nullptr, nullptr, 0) || NewGWorld(dst8.out(), 8, &r, nullptr, nullptr, 0))
            std::abort();
        // A smooth picture with some noise, as photos and icons are.
        const PixMap& s = pm(src32);
        UInt32 seed = 1;
        for (int v = 0; v < kEdge; ++v) {
            UInt8* row = PixRow(s, v);
            for (int h = 0; h < kEdge; ++h) {
                seed = seed * 1664525u + 1013904223u;
                const int n = int(seed >> 29);
                row[h * 4 + 1] = UInt8(h / 4 + n);
                row[h * 4 + 2] = UInt8(v / 4 + n);
                row[h * 4 + 3] = UInt8((h + v) / 8);
            }
        }
        const Rect all = r;
        CopyBits(&s, &pm(src8), &all, &all, srcCopy, nullptr);
    }
    static const PixMap& pm(const UniqueGWorld& g) { return **GetGWorldPixMap(g.get()); }
};

Buffers& Bufs() {
    static Buffers b;
    return b;
}

void Run(benchmark::State& state, const UniqueGWorld& s, const UniqueGWorld& d, SInt16 mode, int dstBytesPerPixel) {
    const Rect r = MakeRect(0, 0, kEdge, kEdge);
    for (auto _ : state) {
        CopyBits(&Buffers::pm(s), &Buffers::pm(d), &r, &r, mode, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Size(kEdge) * kEdge * dstBytesPerPixel);
}

void BM_Memcpy32(benchmark::State& state) {
    const PixMap& s = Buffers::pm(Bufs().src32);
    const PixMap& d = Buffers::pm(Bufs().dst32);
    const size_t bytes = size_t(s.rowBytes) * kEdge;
    for (auto _ : state) {
        std::memcpy(d.baseAddr, s.baseAddr, bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Size(bytes));
}
void BM_Memcpy8(benchmark::State& state) {
    const PixMap& s = Buffers::pm(Bufs().src8);
    const PixMap& d = Buffers::pm(Bufs().dst8);
    const size_t bytes = size_t(s.rowBytes) * kEdge;
    for (auto _ : state) {
        std::memcpy(d.baseAddr, s.baseAddr, bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Size(bytes));
}
void BM_Copy32To32(benchmark::State& state) { Run(state, Bufs().src32, Bufs().dst32, srcCopy, 4); }
void BM_Copy8To8(benchmark::State& state) { Run(state, Bufs().src8, Bufs().dst8, srcCopy, 1); }
void BM_Blend32To32(benchmark::State& state) {
    SavedGWorld saved;
    SetGWorld(Bufs().src32.get(), nullptr);
    Bufs().src32.get()->rgbOpColor = {0x8000, 0x8000, 0x8000};
    Run(state, Bufs().src32, Bufs().dst32, blend, 4);
}
void BM_Copy32To8(benchmark::State& state) { Run(state, Bufs().src32, Bufs().dst8, srcCopy, 1); }
void BM_Copy8To32(benchmark::State& state) { Run(state, Bufs().src8, Bufs().dst32, srcCopy, 4); }
void BM_Dither32To8(benchmark::State& state) { Run(state, Bufs().src32, Bufs().dst8, ditherCopy, 1); }

}  // namespace

BENCHMARK(BM_Memcpy32);
BENCHMARK(BM_Copy32To32);
BENCHMARK(BM_Memcpy8);
BENCHMARK(BM_Copy8To8);
BENCHMARK(BM_Blend32To32);
BENCHMARK(BM_Copy32To8);
BENCHMARK(BM_Copy8To32);
BENCHMARK(BM_Dither32To8);
