// Region building costs. The baseline is one plain pass over the same mask
// bytes, so BitMapToRegion reads as "how many mask scans it costs".
#include "platform/raster/Regions.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kSide = 1024;
constexpr int kRowBytes = kSide / 8;

std::vector<UInt8> Disc() {
    std::vector<UInt8> bits(size_t(kRowBytes) * kSide, 0);
    const int c = kSide / 2, r2 = (kSide / 2 - 8) * (kSide / 2 - 8);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if ((x - c) * (x - c) + (y - c) * (y - c) <= r2) bits[size_t(y * kRowBytes + x / 8)] |= UInt8(0x80 >> (x % 8));
    return bits;
}

std::vector<UInt8> Checkerboard() {
    std::vector<UInt8> bits(size_t(kRowBytes) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int i = 0; i < kRowBytes; ++i) bits[size_t(y * kRowBytes + i)] = (y % 2) ? 0x55 : 0xAA;
    return bits;
}

BitMap MapOf(std::vector<UInt8>& bits) {
    BitMap bm;
    bm.baseAddr = reinterpret_cast<Ptr>(bits.data());
    bm.rowBytes = kRowBytes;
    bm.bounds = MakeRect(0, 0, kSide, kSide);
    bm.pixelSize = 1;
    bm.isPixMap = false;
    return bm;
}

void BM_ScanMaskBaseline(benchmark::State& state) {
    std::vector<UInt8> bits = Disc();
    for (auto _ : state) {
        size_t set = 0;
        for (UInt8 b : bits) set += b != 0;
        benchmark::DoNotOptimize(set);
    }
    state.SetBytesProcessed(state.iterations() * Size(bits.size()));
}
BENCHMARK(BM_ScanMaskBaseline);

void BitMapBench(benchmark::State& state, std::vector<UInt8> bits) {
    BitMap bm = MapOf(bits);
    UniqueRgn rgn;
    for (auto _ : state) {
        if (BitMapToRegion(rgn, &bm) != noErr) state.SkipWithError("BitMapToRegion failed");
        benchmark::DoNotOptimize(rgn.get());
    }
    state.SetBytesProcessed(state.iterations() * Size(bits.size()));
    state.counters["rects"] = double(RegionRects(rgn).size());
}
void BM_BitMapToRegionDisc(benchmark::State& state) { BitMapBench(state, Disc()); }
void BM_BitMapToRegionCheckerboard(benchmark::State& state) { BitMapBench(state, Checkerboard()); }
BENCHMARK(BM_BitMapToRegionDisc);
BENCHMARK(BM_BitMapToRegionCheckerboard);

// Union of many scattered rectangles, one at a time as a selection grows.
void BM_UnionManyRects(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> pos(0, 1000), len(1, 40);
    std::vector<Rect> rects;
    for (int i = 0; i < n; ++i) {
        int t = pos(rng), l = pos(rng);
        rects.push_back(MakeRect(t, l, t + len(rng), l + len(rng)));
    }
    for (auto _ : state) {
        UniqueRgn acc, one;
        for (const Rect& r : rects) {
            RectRgn(one, &r);
            UnionRgn(acc, one, acc);
        }
        benchmark::DoNotOptimize(acc.get());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_UnionManyRects)->Arg(100)->Arg(1000);

}  // namespace
