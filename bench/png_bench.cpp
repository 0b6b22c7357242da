// PNG documents against Pillow: encoding and decoding a 1024 x 1024 RGB and
// an 8-bit palette image at the same zlib level (6) and filters (all five
// for RGB, none for palettes: what Pillow chooses too), and opening a
// 4096 x 4096 PNG into a paint window.
//
// How Pillow is timed: one /usr/bin/python3 process per case, started
// before Korvel's timing, builds the same image from the same raw pixels and
// times, with time.process_time inside Python, only the in-memory work:
// Image.save into a BytesIO (encoding) and Image.open on a BytesIO plus
// load() (decoding the very bytes Korvel wrote), the median of its rounds.
// Interpreter start and file I/O are left out on both sides, and both sides
// count processor time, not wall time, as the machine may be shared. Each Korvel
// benchmark reports `pillow_ms` and `ratio` = Korvel time / Pillow time
// (below 1: Korvel is faster).
#include "app/WindowKinds.h"
#include "bench/BenchPaintWindow.h"
#include "io/PngData.h"
#include "io/PngFile.h"
#include "platform/files/FileIO.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string& TempDir() {
    static const std::string dir = [] {
        const auto d = std::filesystem::temp_directory_path() / ("korvel-png-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(TempDir(), ec);
        });
        return d.string();
    }();
    return dir;
}

// A picture of smooth areas with some noise, as icons and photos are: RGB
// at 32 bits, or indices at 8 bits with the standard table.
UniqueGWorld MakePicture(int edge, SInt16 depth) {
    UniqueGWorld g;
    const Rect r = MakeRect(0, 0, edge, edge);
    if (NewGWorld(g.out(), depth, &r, nullptr, nullptr, 0) != noErr) std::abort();
    const PixMap& pm = **GetGWorldPixMap(g.get());
    UInt32 seed = 1;
    for (int v = 0; v < edge; ++v) {
        UInt8* row = PixRow(pm, v);
        for (int h = 0; h < edge; ++h) {
            seed = seed * 1664525u + 1013904223u;
            const int n = int(seed >> 30);
            if (depth == 8) {
                row[h] = UInt8(h / 8 + v / 8 + n);
            } else {
                row[h * 4] = 0;
                row[h * 4 + 1] = UInt8(h / 8 + n);
                row[h * 4 + 2] = UInt8(v / 8);
                row[h * 4 + 3] = UInt8((h + v) / 16);
            }
        }
    }
    return g;
}

PNGEncodeParams Params(GWorldPtr g) {
    const PixMap& pm = **GetGWorldPixMap(g);
    PNGEncodeParams p;
    p.buffer = g;
    p.width = p.height = SInt16(pm.bounds.right);
    p.depth = pm.pixelSize;
    p.colorCount = 256;
    p.compressLevel = 6;
    return p;
}

std::vector<UInt8> Encode(GWorldPtr g) {
    std::vector<UInt8> png;
    std::string why;
    if (PNGEncodeBytes(Params(g), &png, &why) != noErr) std::abort();
    return png;
}

struct PillowTimes {
    double encodeMs = 0, decodeMs = 0;
};

// Pillow's times for the picture (raw pixels as Pillow takes them) and for
// decoding `png`.
PillowTimes TimePillow(GWorldPtr g, const std::vector<UInt8>& png, const std::string& name, int rounds,
                       bool encode) {
    const PixMap& pm = **GetGWorldPixMap(g);
    const int edge = pm.bounds.right;
    std::vector<UInt8> raw, palette;
    for (int v = 0; v < edge; ++v) {
        const UInt8* row = PixRow(pm, v);
        for (int h = 0; h < edge; ++h) {
            if (pm.pixelSize == 8) raw.push_back(row[h]);
            else raw.insert(raw.end(), row + h * 4 + 1, row + h * 4 + 4);
        }
    }
    if (pm.pixelSize == 8)
        for (int i = 0; i < 256; ++i) {
            const RGBColor c = CTabEntries(pm.pmTable)[i].rgb;
            palette.insert(palette.end(), {UInt8(c.red >> 8), UInt8(c.green >> 8), UInt8(c.blue >> 8)});
        }
    const std::string base = TempDir() + "/" + name;
    if (WriteFileAtomically(base + ".raw", raw) != noErr || WriteFileAtomically(base + ".png", png) != noErr ||
        WriteFileAtomically(base + ".pal", palette) != noErr)
        std::abort();
    std::ofstream(base + ".py") <<
        "import io, statistics, sys, time\n"
        "from PIL import Image\n"
        "mode, edge, rounds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])\n"
        "base = sys.argv[4]\n"
        "im = Image.frombytes(mode, (edge, edge), open(base + '.raw', 'rb').read())\n"
        "if mode == 'P': im.putpalette(open(base + '.pal', 'rb').read())\n"
        "png = open(base + '.png', 'rb').read()\n"
        "def median(work):\n"
        "    times = []\n"
        "    for _ in range(rounds):\n"
        "        t = time.process_time(); work(); times.append(time.process_time() - t)\n"
        "    return statistics.median(times) * 1000\n"
        "enc = median(lambda: im.save(io.BytesIO(), 'PNG', compress_level=6)) if sys.argv[5] == 'both' else 0\n"
        "dec = median(lambda: Image.open(io.BytesIO(png)).load())\n"
        "print(enc, dec)\n";
    const std::string command = "/usr/bin/python3 '" + base + ".py' " + (pm.pixelSize == 8 ? "P " : "RGB ") +
                                std::to_string(edge) + " " + std::to_string(rounds) + " '" + base + "' " +
                                (encode ? "both" : "decode");
    PillowTimes t;
    FILE* p = popen(command.c_str(), "r");
    if (!p || std::fscanf(p, "%lf %lf", &t.encodeMs, &t.decodeMs) != 2) std::abort();
    pclose(p);
    return t;
}

struct Case {
    UniqueGWorld picture;
    std::vector<UInt8> png;
    PillowTimes pillow;
    Case(int edge, SInt16 depth, const char* name, int rounds, bool encode = true)
        : picture(MakePicture(edge, depth)), png(Encode(picture.get())),
          pillow(TimePillow(picture.get(), png, name, rounds, encode)) {}
};

Case& Rgb() {
    static Case c(1024, 32, "rgb", 15);
    return c;
}
Case& Palette() {
    static Case c(1024, 8, "palette", 15);
    return c;
}

// Processor time of this process in milliseconds: the machine is shared,
// so both sides count the processor time they use, not the time that passes.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

template <class Work>
void Timed(benchmark::State& state, double pillowMs, Work work) {
    double total = 0;
    for (auto _ : state) {
        const double t = CpuMs();
        work();
        total += CpuMs() - t;
    }
    const double ms = total / double(state.iterations());
    state.counters["pillow_ms"] = pillowMs;
    state.counters["ratio"] = ms / pillowMs;
}

void EncodeCase(benchmark::State& state, Case& c) {
    Timed(state, c.pillow.encodeMs, [&c] {
        std::vector<UInt8> png;
        std::string why;
        if (PNGEncodeBytes(Params(c.picture.get()), &png, &why) != noErr) std::abort();
        benchmark::DoNotOptimize(png.data());
    });
}

void DecodeCase(benchmark::State& state, Case& c) {
    Timed(state, c.pillow.decodeMs, [&c] {
        PNGDecoded decoded;
        SInt16 message = 0;
        std::string why;
        if (PNGDecodeBytes(c.png, false, kMaxPNGPixels, &decoded, &message, &why) != noErr) std::abort();
        benchmark::DoNotOptimize(decoded.image.get());
    });
}

void BM_EncodeRGB1024(benchmark::State& state) { EncodeCase(state, Rgb()); }
void BM_DecodeRGB1024(benchmark::State& state) { DecodeCase(state, Rgb()); }
void BM_EncodePalette1024(benchmark::State& state) { EncodeCase(state, Palette()); }
void BM_DecodePalette1024(benchmark::State& state) { DecodeCase(state, Palette()); }
BENCHMARK(BM_EncodeRGB1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRGB1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePalette1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePalette1024)->Unit(benchmark::kMillisecond);

// The whole open: reading, decoding, the window and its seven buffers, the
// copy into the document; against Pillow decoding the same file.
void BM_OpenPNG4096(benchmark::State& state) {
    (void)bench::PaintWindow("png_bench", 64, 0, 24);
    static Case c(4096, 32, "open", 3, false);
    FSSpec fileSpec;
    if (FSSpecFromPath(TempDir() + "/open.png", &fileSpec) != noErr) std::abort();
    double total = 0;
    for (auto _ : state) {
        const double t = CpuMs();
        if (OpenPNGFile(fileSpec) != noErr) std::abort();
        total += CpuMs() - t;
        state.PauseTiming();
        WindowRef w = FrontDocumentWindow();
        GetPaintWinRec(w)->isDirty = false;
        if (ClosePaintWindow(w, true) != noErr) std::abort();
        state.ResumeTiming();
    }
    // What of it is decoding: the decoder alone on the same bytes.
    const double t = CpuMs();
    PNGDecoded decoded;
    SInt16 message = 0;
    std::string why;
    if (PNGDecodeBytes(c.png, false, kMaxPNGPixels, &decoded, &message, &why) != noErr) std::abort();
    state.counters["decode_ms"] = CpuMs() - t;
    state.counters["pillow_ms"] = c.pillow.decodeMs;
    state.counters["ratio"] = total / double(state.iterations()) / c.pillow.decodeMs;
}
BENCHMARK(BM_OpenPNG4096)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
