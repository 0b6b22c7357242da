// Packing and unpacking one 128 x 128 32-bit icon member, against a plain
// copy of the same 64 KiB as the baseline.
#include "platform/icons/IcnsRle.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t kEdge = 128;
constexpr size_t kBytes = kEdge * kEdge * 4;

// An icon-like member: flat areas, gradients and a band of noise.
std::vector<UInt8> Member() {
    std::vector<UInt8> px(kBytes);
    UInt32 seed = 7;
    for (size_t y = 0; y < kEdge; ++y) {
        for (size_t x = 0; x < kEdge; ++x) {
            seed = seed * 1103515245u + 12345u;
            UInt8* p = &px[(y * kEdge + x) * 4];
            const bool inside = x > 16 && x < 112 && y > 16 && y < 112;
            p[1] = inside ? UInt8(x * 2) : 0xFF;
            p[2] = inside ? UInt8(y * 2) : 0xFF;
            p[3] = (y >= 56 && y < 72) ? UInt8(seed >> 16) : UInt8(inside ? 0x40 : 0xFF);
        }
    }
    return px;
}

void BM_Memcpy64K(benchmark::State& state) {
    const std::vector<UInt8> src = Member();
    std::vector<UInt8> dst(kBytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), kBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}
BENCHMARK(BM_Memcpy64K);

void BM_PackMember128(benchmark::State& state) {
    const std::vector<UInt8> px = Member();
    for (auto _ : state) {
        std::vector<UInt8> packed = IcnsRleCompress(px);
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
    state.counters["packed_bytes"] = double(IcnsRleCompress(px).size());
}
BENCHMARK(BM_PackMember128);

void BM_UnpackMember128(benchmark::State& state) {
    const std::vector<UInt8> packed = IcnsRleCompress(Member());
    std::vector<UInt8> px(kBytes);
    for (auto _ : state) {
        if (IcnsRleDecompress(packed, px) != noErr) state.SkipWithError("unpacking failed");
        benchmark::DoNotOptimize(px.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes));
}
BENCHMARK(BM_UnpackMember128);

}  // namespace
