// Change Size and colour mode on a 1024 x 1024 24-bit picture against the
// peers doing the same work in the same run: Pillow's nearest-neighbour
// resize (timed with timeit inside /usr/bin/python3, start-up excluded) and
// ImageMagick's Floyd–Steinberg remap to the same 256 colours (the whole
// `convert` process). Read the counters: peer time over Korvel's time.
//
// What each side does in the Change Size benchmarks. Pillow: resize to
// 1536 x 1536, nearest neighbour, into a new RGB image (four bytes a pixel);
// the mean of 20 runs, wall time. BM_ChangeSizeScalingStep: a new buffer of
// the same size filled by the same scaling, wall time. BM_ChangeSizeStretch:
// the whole command as the document needs it: the undo state recorded, new
// picture, mask and display buffers, the picture scaled, the mask scaled
// with every non-white pixel made opaque, the display buffer filled, the
// window and preview resized (the redraw itself happens at the next update
// event and is not timed).
#include "BenchPaintWindow.h"

#include "paint/Undo.h"
#include "platform/raster/ColorTables.h"
#include "tools/ChangeSize.h"
#include "tools/ColorMode.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

constexpr SInt16 kEdge = 1024, kScaledEdge = 1536;
using Clock = std::chrono::steady_clock;

WindowRef Window() { return bench::PaintWindow("size_and_color_mode_bench", kEdge, 0, 24); }

// A smooth picture with some noise, as photos are; kept to restore the
// document between runs.
const std::vector<UInt8>& Photo() {
    static std::vector<UInt8> rgb = [] {
        std::vector<UInt8> out(size_t(kEdge) * kEdge * 3);
        UInt32 seed = 1;
        for (int v = 0; v < kEdge; ++v)
            for (int h = 0; h < kEdge; ++h) {
                seed = seed * 1664525u + 1013904223u;
                const int n = int(seed >> 28);
                UInt8* p = &out[(size_t(v) * kEdge + size_t(h)) * 3];
                p[0] = UInt8(h / 4 + n), p[1] = UInt8(v / 4 + n), p[2] = UInt8((h + v) / 8 + n);
            }
        return out;
    }();
    return rgb;
}

void PutPhoto(WindowRef window) {
    const PixMap& pm = **GetGWorldPixMap(GetPaintWinRec(window)->offPort.get());
    const std::vector<UInt8>& rgb = Photo();
    for (int v = 0; v < kEdge; ++v)
        for (int h = 0; h < kEdge; ++h) {
            UInt8* d = PixRow(pm, v) + h * 4;
            const UInt8* s = &rgb[(size_t(v) * kEdge + size_t(h)) * 3];
            d[0] = 0, d[1] = s[0], d[2] = s[1], d[3] = s[2];
        }
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("korvel-bench-") + std::to_string(getpid()) + name))
        .string();
}

void WritePPM(const std::string& path, int w, int h, const UInt8* rgb) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << w << " " << h << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb), std::streamsize(size_t(w) * size_t(h) * 3));
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Seconds per resize as Pillow's timeit measures it.
double PillowResizeSeconds() {
    static double seconds = [] {
        const std::string in = TempPath(".ppm");
        WritePPM(in, kEdge, kEdge, Photo().data());
        const std::string command = "/usr/bin/python3 -c \"import timeit; from PIL import Image; im = Image.open('" + in +
                                    "'); im.load(); n = 20; print(timeit.timeit(lambda: im.resize((" +
                                    std::to_string(kScaledEdge) + ", " + std::to_string(kScaledEdge) +
                                    "), Image.NEAREST), number=n) / n)\"";
        double s = 0;
        if (std::FILE* p = ::popen(command.c_str(), "r")) {
            if (std::fscanf(p, "%lf", &s) != 1) s = 0;
            ::pclose(p);
        }
        std::filesystem::remove(in);
        if (s <= 0) std::abort();  // the peer must run
        return s;
    }();
    return seconds;
}

// Seconds of the fastest of three whole `convert` runs remapping the picture
// to the 256 colours of colour mode 1 with Floyd–Steinberg dithering.
double ImageMagickRemapSeconds() {
    static double seconds = [] {
        const std::string in = TempPath(".ppm"), palettePPM = TempPath("-palette.ppm"),
                          palette = TempPath("-palette.png"), out = TempPath("-out.ppm");
        WritePPM(in, kEdge, kEdge, Photo().data());
        UniqueCTable table(GetCTable(129));
        std::vector<UInt8> colours;
        for (int i = 0; i < 256; ++i) {
            const RGBColor& c = CTabEntries(table.get())[i].rgb;
            colours.insert(colours.end(), {UInt8(c.red >> 8), UInt8(c.green >> 8), UInt8(c.blue >> 8)});
        }
        WritePPM(palettePPM, 16, 16, colours.data());
        if (std::system(("convert " + palettePPM + " " + palette).c_str()) != 0) std::abort();
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            const auto start = Clock::now();
            if (std::system(("convert " + in + " -dither FloydSteinberg -remap " + palette + " " + out).c_str()) != 0)
                std::abort();
            best = std::min(best, Seconds(Clock::now() - start));
        }
        for (const std::string& f : {in, palettePPM, palette, out}) std::filesystem::remove(f);
        return best;
    }();
    return seconds;
}

void BM_ChangeSizeStretch(benchmark::State& state) {
    WindowRef window = Window();
    PutPhoto(window);
    gResizeData = ResizeData{};
    gResizeData.stretch = 1;
    const Rect scaled = MakeRect(0, 0, kScaledEdge, kScaledEdge);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!ChangeIconSizeMain(window, &scaled, 0)) std::abort();
        const double s = Seconds(Clock::now() - start);
        state.SetIterationTime(s);
        total += s;
        DoUndo();  // back to 1024 x 1024, outside the timing
    }
    state.counters["pillow_over_korvel"] = PillowResizeSeconds() / (total / double(state.iterations()));
}

// The scaling step of Change Size alone, with its new buffer made each time
// as Pillow makes its new image: the like-for-like comparison with resize.
void BM_ChangeSizeScalingStep(benchmark::State& state) {
    WindowRef window = Window();
    PutPhoto(window);
    GWorldPtr picture = GetPaintWinRec(window)->offPort.get();
    const Rect scaled = MakeRect(0, 0, kScaledEdge, kScaledEdge);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        UniqueGWorld to;
        if (NewGWorld(to.out(), 32, &scaled, nullptr, nullptr, useTempMem) != noErr) std::abort();
        ScaleNearest(picture, to.get());
        benchmark::ClobberMemory();
        const double s = Seconds(Clock::now() - start);
        state.SetIterationTime(s);
        total += s;
    }
    state.counters["pillow_over_korvel"] = PillowResizeSeconds() / (total / double(state.iterations()));
}

void BM_PillowResizeNearest(benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(PillowResizeSeconds());
}

void BM_ColorModeDither256(benchmark::State& state) {
    WindowRef window = Window();
    double total = 0;
    for (auto _ : state) {
        PutPhoto(window);
        const auto start = Clock::now();
        ChangeColorMode(window, 1, true);
        const double s = Seconds(Clock::now() - start);
        state.SetIterationTime(s);
        total += s;
    }
    state.counters["imagemagick_over_korvel"] = ImageMagickRemapSeconds() / (total / double(state.iterations()));
}

void BM_ImageMagickRemapDither(benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(ImageMagickRemapSeconds());
}

}  // namespace

BENCHMARK(BM_ChangeSizeStretch)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeSizeScalingStep)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PillowResizeNearest)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ColorModeDither256)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickRemapDither)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
