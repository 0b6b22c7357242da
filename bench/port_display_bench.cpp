// Showing a window port on screen: the conversion of its pad,R,G,B pixels to
// Qt's RGB32, against a plain copy of the same bytes.
#include "platform/ui/PortWidgets.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kSide = 512;

std::vector<UInt8> Pixels() {
    std::vector<UInt8> p(size_t(kSide) * kSide * 4);
    for (size_t i = 0; i < p.size(); ++i) p[i] = UInt8(i * 7);
    return p;
}

void BM_CopyBaseline(benchmark::State& state) {
    const auto src = Pixels();
    std::vector<UInt8> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(state.iterations() * Size(src.size()));
}
BENCHMARK(BM_CopyBaseline);

void BM_ConvertPortRows(benchmark::State& state) {
    const auto src = Pixels();
    QImage img(kSide, kSide, QImage::Format_RGB32);
    for (auto _ : state) {
        ui_internal::ConvertPortRows(src.data(), kSide * 4, img, 0, 0, kSide, kSide);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetBytesProcessed(state.iterations() * Size(src.size()));
}
BENCHMARK(BM_ConvertPortRows);

}  // namespace
