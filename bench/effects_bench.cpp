// The geometric effects and antialias on a 1024 x 1024 24-bit picture against
// Pillow doing the same pixel work on a 1024 x 1024 RGB image: transpose for
// the quarter turn and the flips, rotate(…, NEAREST, expand=True) for 30
// degrees, a 3 x 3 box blur for antialias. Pillow is timed once per run in
// /usr/bin/python3 with timeit (start-up excluded), both sides in processor time; each Korvel benchmark
// reports `vs_pillow`, Pillow's time over Korvel's: above 1 Korvel is faster.
// Pillow's time is the best of five repeats of a timing loop (each a mean);
// Korvel's counter is the mean of one repetition: run with
// --benchmark_repetitions=5 and take the best repetition, as Pillow does.
//
// What each side does. Pillow: a new 1024 x 1024 RGB image (four bytes a
// pixel) made and filled by the operation; nothing else. Korvel's *Pixels
// benchmarks: the same pixels (four bytes each) into buffers made once, plus
// the 1-bit mask of an opaque picture turned or mirrored along, and for the
// rotations the 1-bit shape of the new selection. The other benchmarks are
// the whole command: undo snapshot, effect, recomposition.
#include "BenchPaintWindow.h"

#include "paint/Undo.h"
#include "tools/Effects.h"

#include <ctime>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr SInt16 kEdge = 1024;

const char* const kPillowScript = R"(
import time, timeit
from PIL import Image, ImageFilter
im = Image.radial_gradient('L').resize((1024, 1024)).convert('RGB')
im = Image.merge('RGB', (im.getchannel(0), im.getchannel(0).transpose(Image.Transpose.ROTATE_90), im.getchannel(0).transpose(Image.Transpose.FLIP_LEFT_RIGHT)))
ops = {
  'rotate90': lambda: im.transpose(Image.Transpose.ROTATE_270),
  'rotate30': lambda: im.rotate(-30, Image.Resampling.NEAREST, expand=True),
  'fliph': lambda: im.transpose(Image.Transpose.FLIP_LEFT_RIGHT),
  'flipv': lambda: im.transpose(Image.Transpose.FLIP_TOP_BOTTOM),
  'antialias': lambda: im.filter(ImageFilter.BoxBlur(1)),
}
for name, op in ops.items():
  t = timeit.Timer(op, timer=time.process_time)
  n, _ = t.autorange()
  print(name, min(t.repeat(5, n)) / n)
)";

// Seconds per operation of each Pillow operation, measured once.
const std::map<std::string, double>& PillowTimes() {
    static const std::map<std::string, double> times = [] {
        std::map<std::string, double> out;
        const std::string command = "/usr/bin/python3 -c \"$KORVEL_PILLOW_SCRIPT\"";
        setenv("KORVEL_PILLOW_SCRIPT", kPillowScript, 1);
        if (std::FILE* p = ::popen(command.c_str(), "r")) {
            char name[64];
            double seconds = 0;
            while (std::fscanf(p, "%63s %lf", name, &seconds) == 2) out[name] = seconds;
            ::pclose(p);
        }
        return out;
    }();
    return times;
}

WindowRef Picture() {
    WindowRef window = bench::PaintWindow("effects_bench", kEdge, 0, 24);
    static bool painted = false;
    if (!painted) {
        // A picture of many colours, so that no copy can take a short cut.
        PaintWinRec* rec = GetPaintWinRec(window);
        const PixMap& pm = **GetGWorldPixMap(rec->offPort.get());
        for (int v = 0; v < kEdge; ++v)
            for (int h = 0; h < kEdge; ++h) {
                UInt8* p = PixRow(pm, v) + h * 4;
                p[1] = UInt8(h ^ v), p[2] = UInt8(h + 2 * v), p[3] = UInt8(3 * h - v);
            }
        painted = true;
    }
    return window;
}

// Processor time of this process, so that the other work of a busy machine
// counts for neither side.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Times `effect` alone; `reset` (untimed) brings the document back after it.
template <class Effect, class Reset>
void RunEffect(benchmark::State& state, const char* pillowName, Effect effect, Reset reset) {
    WindowRef window = Picture();
    double total = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        effect(window);
        const double seconds = CpuSeconds() - start;
        state.SetIterationTime(seconds);
        total += seconds;
        reset(window);
    }
    const auto& pillow = PillowTimes();
    if (auto it = pillow.find(pillowName); it != pillow.end() && total > 0) {
        state.counters["pillow_ms"] = it->second * 1e3;
        state.counters["vs_pillow"] = it->second / (total / double(state.iterations()));
    } else {
        state.SkipWithError("Pillow could not be timed with /usr/bin/python3");
    }
}

void UndoRotation(WindowRef) {
    DoUndo();
    SetUndoMode(kUndoNone);
}
void Keep(WindowRef) {}

void BM_Rotate90(benchmark::State& state) {
    RunEffect(state, "rotate90", [](WindowRef w) { RotateByAngle(w, 90); }, UndoRotation);
}
void BM_Rotate30(benchmark::State& state) {
    RunEffect(state, "rotate30", [](WindowRef w) { RotateByAngle(w, 30); }, UndoRotation);
}
void BM_FlipHorizontal(benchmark::State& state) { RunEffect(state, "fliph", FlipHorizontal, Keep); }
void BM_FlipVertical(benchmark::State& state) { RunEffect(state, "flipv", FlipVertical, Keep); }
void BM_Antialias(benchmark::State& state) {
    RunEffect(state, "antialias", DoAntialias, [](WindowRef) { DoUndo(); });
}

// The pixel work alone, on buffers of its own: what Pillow's operations do.
struct Maps {
    UniqueGWorld picture, mask, out, outMask, shape;
    Maps(const Rect& source, const Rect& dest) {
        if (NewGWorld(picture.out(), 24, &source, nullptr, nullptr, 0) != noErr ||
            NewGWorld(mask.out(), 1, &source, nullptr, nullptr, 0) != noErr ||
            NewGWorld(out.out(), 24, &dest, nullptr, nullptr, 0) != noErr ||
            NewGWorld(outMask.out(), 1, &dest, nullptr, nullptr, 0) != noErr ||
            NewGWorld(shape.out(), 1, &dest, nullptr, nullptr, 0) != noErr)
            std::abort();
        // An opaque picture: every mask bit set, as a painted picture has.
        const PixMap& maskMap = Map(mask);
        std::memset(maskMap.baseAddr, 0xFF, size_t(maskMap.rowBytes) * size_t(kEdge));
        const PixMap& pm = Map(picture);
        for (int v = 0; v < kEdge; ++v)
            for (int h = 0; h < kEdge; ++h) {
                UInt8* p = PixRow(pm, v) + h * 4;
                p[1] = UInt8(h ^ v), p[2] = UInt8(h + 2 * v), p[3] = UInt8(3 * h - v);
            }
    }
    static const PixMap& Map(const UniqueGWorld& g) { return **GetGWorldPixMap(g.get()); }
};

template <class Work>
void RunPixels(benchmark::State& state, const char* pillowName, Work work) {
    double total = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        work();
        const double seconds = CpuSeconds() - start;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const auto& pillow = PillowTimes();
    if (auto it = pillow.find(pillowName); it != pillow.end() && total > 0) {
        state.counters["pillow_ms"] = it->second * 1e3;
        state.counters["vs_pillow"] = it->second / (total / double(state.iterations()));
    } else {
        state.SkipWithError("Pillow could not be timed with /usr/bin/python3");
    }
}

template <int Angle>
void BM_RotatePixels(benchmark::State& state) {
    const Rect source = MakeRect(0, 0, kEdge, kEdge);
    SInt32 s = 0, c = 0;
    (void)GetSinCos(Angle, &s, &c);
    const Rect dest = RotatedBounds(source, s, c);
    Maps maps(source, dest);
    RotationMaps m;
    m.src = &Maps::Map(maps.picture), m.srcMask = &Maps::Map(maps.mask), m.sourceRect = source;
    m.dst = &Maps::Map(maps.out), m.dstMask = &Maps::Map(maps.outMask), m.shape = &Maps::Map(maps.shape);
    RunPixels(state, Angle == 90 ? "rotate90" : "rotate30", [&] { ResampleRotation(m, dest, s, c); });
}

template <bool Horizontal>
void BM_FlipPixels(benchmark::State& state) {
    const Rect r = MakeRect(0, 0, kEdge, kEdge);
    Maps maps(r, r);
    RunPixels(state, Horizontal ? "fliph" : "flipv", [&] {
        FlipPixels(Maps::Map(maps.picture), Maps::Map(maps.mask), Maps::Map(maps.out), Maps::Map(maps.outMask), r,
                   Horizontal);
    });
}

void BM_AntialiasPixels(benchmark::State& state) {
    const Rect r = MakeRect(0, 0, kEdge, kEdge);
    Maps maps(r, r);
    UniqueGWorld mix;
    if (NewGWorld(mix.out(), 24, &r, nullptr, nullptr, 0) != noErr) std::abort();
    RunPixels(state, "antialias", [&] { AntialiasPixels(maps.picture.get(), mix.get(), maps.out.get(), r); });
}

}  // namespace

BENCHMARK(BM_RotatePixels<90>)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotatePixels<30>)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipPixels<true>)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipPixels<false>)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AntialiasPixels)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate90)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate30)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipHorizontal)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipVertical)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Antialias)->UseManualTime()->Unit(benchmark::kMillisecond);
