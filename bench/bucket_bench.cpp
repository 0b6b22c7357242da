// A bucket fill of a whole 2048 x 2048 picture (seed fill, region, pattern
// fill of image and mask) beside a memset and a CopyBits of the same image
// measured in the same run, so results read as ratios to the baselines.
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "tools/Bucket.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 2048;

// A 24-bit (stored 32-bit) picture, all opaque white or, with `transparent`,
// all transparent.
std::unique_ptr<PaintWinRec> MakePicture(bool transparent) {
    auto rec = std::make_unique<PaintWinRec>();
    rec->picRect = MakeRect(0, 0, kSide, kSide);
    rec->depth = 24;
    rec->colorMode = 24;
    if (MakePaintBuffers(rec.get()) != noErr) return nullptr;
    if (!transparent) {
        SavedGWorld saved;
        SetGWorld(rec->maskPort.get(), nullptr);
        PaintRect(&rec->picRect);
    }
    return rec;
}

Size ImageBytes(const PaintWinRec& rec) {
    const PixMap& pm = **GetGWorldPixMap(rec.offPort.get());
    return Size(pm.rowBytes) * kSide;
}

void BM_MemsetBaseline(benchmark::State& state) {
    std::vector<UInt8> buf(size_t(kSide) * kSide * 4);
    for (auto _ : state) {
        std::memset(buf.data(), int(state.iterations() & 0xFF), buf.size());
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * Size(buf.size()));
}
BENCHMARK(BM_MemsetBaseline);

void BM_CopyBitsBaseline(benchmark::State& state) {
    auto rec = MakePicture(false);
    if (!rec) {
        state.SkipWithError("no buffers");
        return;
    }
    const BitMap* off = GetPortBitMapForCopyBits(rec->offPort.get());
    const BitMap* undo = GetPortBitMapForCopyBits(rec->undoPort.get());
    for (auto _ : state) {
        CopyBits(off, undo, &rec->picRect, &rec->picRect, srcCopy, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ImageBytes(*rec));
}
BENCHMARK(BM_CopyBitsBaseline);

// Each fill recolours the whole picture, so every iteration floods all of it;
// arg 0 starts from opaque white (the mask XORed in and out), arg 1 from
// transparency (the fill runs on the mask).
void BM_BucketFill(benchmark::State& state) {
    const bool transparent = state.range(0) != 0;
    auto rec = MakePicture(transparent);
    if (!rec) {
        state.SkipWithError("no buffers");
        return;
    }
    const ColorRec savedColor = gCurrentColor;
    const RGBColor colors[2] = {{0xFFFF, 0, 0}, {0, 0, 0xFFFF}};
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        gCurrentColor = ColorRec{colors[turn++ & 1], 0};
        if (transparent) {
            SavedGWorld saved;
            SetGWorld(rec->maskPort.get(), nullptr);
            EraseRect(&rec->picRect);
        }
        state.ResumeTiming();
        UniqueRgn area;
        if (MakeBucketRegion(rec.get(), Point{kSide / 2, kSide / 2}, area) != noErr) {
            state.SkipWithError("fill failed");
            break;
        }
        FillBucketRegion(rec.get(), area);
        benchmark::ClobberMemory();
    }
    gCurrentColor = savedColor;
    state.SetBytesProcessed(state.iterations() * ImageBytes(*rec));
    state.SetItemsProcessed(state.iterations() * Size(kSide) * kSide);
}
BENCHMARK(BM_BucketFill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
