// Recording and playing back a 512 x 512 32-bit picture. memcpy of the same
// pixels runs in the same process as the baseline: read the results as
// ratios to it.
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kEdge = 512;

struct Worlds {
    UniqueGWorld src, dst;
    Worlds() {
        const Rect r = MakeRect(0, 0, kEdge, kEdge);
        if (NewGWorld(src.out(), 32, &r, nullptr, nullptr, 0) || NewGWorld(dst.out(), 32, &r, nullptr, nullptr, 0))
            std::abort();
        // Smooth areas with some noise, as icons and photos are.
        const PixMap& s = **GetGWorldPixMap(src.get());
        UInt32 seed = 1;
        for (int v = 0; v < kEdge; ++v) {
            UInt8* row = PixRow(s, v);
            for (int h = 0; h < kEdge; ++h) {
                seed = seed * 1664525u + 1013904223u;
                const int n = int(seed >> 30);
                row[h * 4 + 1] = UInt8(h / 8 + n);
                row[h * 4 + 2] = UInt8(v / 8);
                row[h * 4 + 3] = UInt8((h + v) / 16);
            }
        }
    }
};

Worlds& W() {
    static Worlds w;
    return w;
}

const Size kPixelBytes = Size(kEdge) * kEdge * 4;

PicHandle Record() {
    SavedGWorld saved;
    SetGWorld(W().dst.get(), nullptr);
    const Rect r = MakeRect(0, 0, kEdge, kEdge);
    OpenCPicParams params;
    params.srcRect = r;
    PicHandle pic = OpenCPicture(&params);
    CopyBits(*GetGWorldPixMap(W().src.get()), *GetGWorldPixMap(W().dst.get()), &r, &r, srcCopy, nullptr);
    ClosePicture();
    return pic;
}

void BM_MemcpyPixels(benchmark::State& state) {
    const PixMap& s = **GetGWorldPixMap(W().src.get());
    const PixMap& d = **GetGWorldPixMap(W().dst.get());
    for (auto _ : state) {
        std::memcpy(d.baseAddr, s.baseAddr, size_t(kPixelBytes));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_MemcpyPixels);

// Recording includes the copy into the port itself.
void BM_RecordPicture(benchmark::State& state) {
    for (auto _ : state) {
        UniqueHandle pic(Record());
        benchmark::DoNotOptimize(*pic.get());
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_RecordPicture);

void BM_PlayPicture(benchmark::State& state) {
    UniqueHandle pic(Record());
    state.counters["pictureBytes"] = double(GetHandleSize(pic.get()));
    SavedGWorld saved;
    SetGWorld(W().dst.get(), nullptr);
    const Rect r = MakeRect(0, 0, kEdge, kEdge);
    for (auto _ : state) {
        if (DrawPictureChecked(pic.get(), &r) != noErr) state.SkipWithError("playback failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_PlayPicture);

void BM_PictureInfo(benchmark::State& state) {
    UniqueHandle pic(Record());
    for (auto _ : state) {
        PictInfo info;
        benchmark::DoNotOptimize(GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0));
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_PictureInfo);

}  // namespace
