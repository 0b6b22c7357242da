// Reading and writing a Windows icon of 4-, 8- and 32-bit images in process,
// against icoutils' icotool doing the same as a whole process in the same
// run: `icotool -x` (extract every image) and `icotool -c` (make the file
// from PNG pictures). The counter "icotoolOverKorvel" is icotool's time over
// Korvel's; below 1 Korvel is the slower and the run reports an error.
#include "icons/WinIcon.h"

#include "platform/codecs/PngCodec.h"
#include "platform/files/FileIO.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Fixture {
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string dir;
    KorvelIcon icon;
    std::vector<std::string> pngs;  // the same images for icotool -c
};

Handle Pattern(size_t bytes, UInt32 seed) {
    std::vector<UInt8> b(bytes);
    for (UInt8& v : b) v = UInt8((seed = seed * 1103515245u + 12345u) >> 16);
    return NewHandleFromBytes(b);
}

Fixture& Shared() {
    static Fixture f = [] {
        Fixture f;
        const std::string name = "korvel-winicon-bench-" + std::to_string(getpid());
        f.dir = (std::filesystem::temp_directory_path() / name).string();
        std::filesystem::create_directories(f.dir);
        if (NewIconSuite(&f.icon.suite) != noErr) std::abort();
        const std::pair<const char*, size_t> members[] = {{"icl8", 1024}, {"icl4", 512}, {"ics8", 256}, {"ics4", 128},
                                                          {"ICN#", 256},  {"ics#", 64},  {"il32", 4096}, {"l8mk", 1024},
                                                          {"is32", 1024}, {"s8mk", 256}};
        UInt32 seed = 1;
        for (auto [type, bytes] : members) {
            const OSType code = OSType(UInt8(type[0])) << 24 | OSType(UInt8(type[1])) << 16 |
                                OSType(UInt8(type[2])) << 8 | OSType(UInt8(type[3]));
            if (AddIconToSuite(Pattern(bytes, seed++), f.icon.suite, code) != noErr) std::abort();
        }
        FSSpec fileSpec;
        if (FSSpecFromPath(f.dir + "/icon.ico", &fileSpec) != noErr || MakeWinIconFromKorvelIcon(fileSpec, f.icon) != noErr)
            std::abort();
        // One reading first: the colour lookup tables are built on first use.
        KorvelIcon warm;
        if (WinIconToKorvelIcon(fileSpec, &warm, nullptr) != noErr) std::abort();
        (void)DisposeIconSuite(warm.suite, true);
        // icotool makes its file from one picture per image: what it extracts.
        if (std::system(("icotool -x -o " + f.dir + " " + f.dir + "/icon.ico").c_str()) != 0) std::abort();
        for (const auto& e : std::filesystem::directory_iterator(f.dir))
            if (e.path().extension() == ".png") f.pngs.push_back(e.path().string());
        return f;
    }();
    return f;
}

double SecondsPerRun(const std::string& command, int runs) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i)
        if (std::system(command.c_str()) != 0) return 0;
    return std::chrono::duration<double>(Clock::now() - start).count() / runs;
}

double SecondsPerIteration(const benchmark::State& state, Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count() / double(state.iterations());
}

void Report(benchmark::State& state, double korvel, double peerSeconds) {
    state.counters["icotoolOverKorvel"] = peerSeconds / korvel;
    if (peerSeconds <= 0) state.SkipWithError("icotool failed");
    else if (peerSeconds < korvel) state.SkipWithError("Korvel is slower than icotool");

}

void BM_ReadWinIcon(benchmark::State& state) {
    Fixture& f = Shared();
    FSSpec fileSpec;
    if (FSSpecFromPath(f.dir + "/icon.ico", &fileSpec) != noErr) std::abort();
    const auto start = Clock::now();
    for (auto _ : state) {
        KorvelIcon icon;
        if (WinIconToKorvelIcon(fileSpec, &icon, nullptr) != noErr) std::abort();
        benchmark::DoNotOptimize(icon.suite);
        (void)DisposeIconSuite(icon.suite, true);
    }
    const double korvel = SecondsPerIteration(state, start);
    Report(state, korvel, SecondsPerRun("icotool -x -o " + f.dir + "/out " + f.dir + "/icon.ico", 10));
}
BENCHMARK(BM_ReadWinIcon)->Unit(benchmark::kMicrosecond);

void BM_WriteWinIcon(benchmark::State& state) {
    Fixture& f = Shared();
    FSSpec fileSpec;
    if (FSSpecFromPath(f.dir + "/written.ico", &fileSpec) != noErr) std::abort();
    const auto start = Clock::now();
    for (auto _ : state)
        if (MakeWinIconFromKorvelIcon(fileSpec, f.icon) != noErr) std::abort();
    const double korvel = SecondsPerIteration(state, start);
    std::string command = "icotool -c -o " + f.dir + "/peer.ico";
    for (const std::string& png : f.pngs) command += " " + png;
    Report(state, korvel, SecondsPerRun(command, 10));
}
BENCHMARK(BM_WriteWinIcon)->Unit(benchmark::kMicrosecond);

}  // namespace
