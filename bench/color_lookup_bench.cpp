// Nearest-colour lookup of 1M random colours into the standard 8-bit table:
// the exact search over every entry is the baseline, the cached inverse
// table the path CopyBits uses.
#include "platform/raster/ColorTables.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kColors = 1 << 20;

const std::vector<RGBColor>& RandomColors() {
    static const std::vector<RGBColor> colors = [] {
        std::mt19937 rng(7);
        std::vector<RGBColor> c(kColors);
        for (auto& x : c) {
            const UInt32 v = rng();
            x = {UInt16((v >> 16 & 0xFF) * 0x101), UInt16((v >> 8 & 0xFF) * 0x101), UInt16((v & 0xFF) * 0x101)};
        }
        return c;
    }();
    return colors;
}

void BM_ExactSearch(benchmark::State& state) {
    const auto& colors = RandomColors();
    CTabHandle ct = StandardCTable(8);
    for (auto _ : state) {
        unsigned sum = 0;
        for (const RGBColor& c : colors) sum += unsigned(NearestColorIndex(ct, c));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kColors);
}
BENCHMARK(BM_ExactSearch)->Unit(benchmark::kMillisecond);

void BM_InverseTable(benchmark::State& state) {
    const auto& colors = RandomColors();
    auto inv = InverseTableFor(StandardCTable(8));
    for (auto _ : state) {
        unsigned sum = 0;
        for (const RGBColor& c : colors) sum += unsigned(inv->Nearest8(UInt8(c.red >> 8), UInt8(c.green >> 8), UInt8(c.blue >> 8)));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kColors);
}
BENCHMARK(BM_InverseTable)->Unit(benchmark::kMillisecond);

// Including the cost of building every cell from scratch.
void BM_InverseTableCold(benchmark::State& state) {
    const auto& colors = RandomColors();
    for (auto _ : state) {
        InverseTable inv(StandardCTable(8));
        unsigned sum = 0;
        for (const RGBColor& c : colors) sum += unsigned(inv.Nearest(c));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kColors);
}
BENCHMARK(BM_InverseTableCold)->Unit(benchmark::kMillisecond);

}  // namespace
