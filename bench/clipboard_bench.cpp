// Copy and paste of a lifted 1024 x 1024 selection through the clipboard
// (the document picture, the PNG with alpha for other programs, the paste
// as a new floating selection) beside encoding the same pixels as PNG alone,
// measured in the same run: each case reports `vs_png`, its time over the
// PNG encoding's.
#include "bench/BenchPaintWindow.h"

#include "io/Clipboard.h"
#include "platform/codecs/PngCodec.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "tools/Selection.h"

#include <ctime>
#include <vector>

namespace {

constexpr SInt16 kEdge = 1024;

// Processor time: the machine may be shared.
double NowMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A picture of smooth gradients with some noise, like a drawing: neither
// trivially compressible nor random. Lifted whole.
WindowRef Window() {
    static WindowRef window = nullptr;
    if (window) return window;
    window = bench::PaintWindow("clipboard_bench", kEdge, 0, 24);
    PaintWinRec* rec = GetPaintWinRec(window);
    const PixMap& pm = **GetGWorldPixMap(rec->offPort.get());
    UInt32 noise = 12345;
    for (int y = 0; y < kEdge; ++y) {
        UInt8* row = PixRow(pm, y);
        for (int x = 0; x < kEdge; ++x) {
            noise = noise * 1103515245u + 12345u;
            row[4 * x + 1] = UInt8(x / 4);
            row[4 * x + 2] = UInt8(y / 4);
            row[4 * x + 3] = UInt8((x + y) / 8 + ((noise >> 16) & 7));
        }
    }
    {
        SavedGWorld saved;
        SetBlackOnWhite(rec->maskPort.get());
        PaintRect(&rec->picRect);  // opaque
    }
    SelectWholePicture(window);
    return window;
}

RgbaImage SelectionPixels() {
    PaintWinRec* rec = GetPaintWinRec(Window());
    const PixMap& pm = **GetGWorldPixMap(rec->offPort.get());
    RgbaImage image;
    image.width = image.height = kEdge;
    image.pixels.reserve(size_t(kEdge) * kEdge * 4);
    for (int y = 0; y < kEdge; ++y) {
        const UInt8* row = PixRow(pm, y);
        for (int x = 0; x < kEdge; ++x)
            image.pixels.insert(image.pixels.end(), {row[4 * x + 1], row[4 * x + 2], row[4 * x + 3], 0xFF});
    }
    return image;
}

// Milliseconds of one PNG encoding of the selection's pixels, measured once.
double PngMs() {
    static double ms = 0;
    if (ms > 0) return ms;
    const RgbaImage image = SelectionPixels();
    std::vector<UInt8> png;
    const double start = NowMs();
    constexpr int kRounds = 3;
    for (int i = 0; i < kRounds; ++i) {
        if (EncodePngRgba(image, &png) != noErr) std::abort();
        benchmark::DoNotOptimize(png.data());
    }
    ms = (NowMs() - start) / kRounds;
    return ms;
}

template <class Work>
void Timed(benchmark::State& state, Work work) {
    const double baseline = PngMs();
    double total = 0;
    for (auto _ : state) {
        const double start = NowMs();
        work();
        total += NowMs() - start;
    }
    state.counters["png_ms"] = baseline;
    state.counters["vs_png"] = total / double(state.iterations()) / baseline;
}

void BM_EncodePngAlone(benchmark::State& state) {
    const RgbaImage image = SelectionPixels();
    Timed(state, [&] {
        std::vector<UInt8> png;
        if (EncodePngRgba(image, &png) != noErr) std::abort();
        benchmark::DoNotOptimize(png.data());
    });
}
BENCHMARK(BM_EncodePngAlone)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Copy(benchmark::State& state) {
    WindowRef window = Window();
    Timed(state, [&] {
        if (CopySelection(window) != noErr) std::abort();
    });
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each paste drops the previous one into the picture first, as a user's would.
void BM_Paste(benchmark::State& state) {
    WindowRef window = Window();
    if (CopySelection(window) != noErr) std::abort();
    Timed(state, [&] {
        PastePicture(window);
        if (!GetPaintWinRec(window)->isFloating) std::abort();
    });
}
BENCHMARK(BM_Paste)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CopyAndPaste(benchmark::State& state) {
    WindowRef window = Window();
    Timed(state, [&] {
        if (CopySelection(window) != noErr) std::abort();
        PastePicture(window);
    });
}
BENCHMARK(BM_CopyAndPaste)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
