// An icon file of 1,000 classic icons (four members each, 4,000 resources)
// as the icon-list window handles it: opening it and drawing the first
// screen, scrolling one page, and saving after one edit. The baselines are
// measured in the same run: reading the file's resource map alone (read the
// fork, open it as a resource file, close it) and writing the file's bytes
// beside it and renaming them over it. Counters: vs_map and vs_write are
// the ratios to them; ms the absolute time of one operation.
#include "app/Shell.h"
#include "bench/BenchPaintWindow.h"
#include "app/WindowKinds.h"
#include "icons/IconList.h"
#include "platform/files/FileIO.h"
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Application.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/Windows.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kIcons = 1000;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The application set up as at start-up (offscreen, preferences in a folder
// of its own) and the icon file written into that folder.
const std::string& IconFilePath() {
    static const std::string path = [] {
        const std::filesystem::path& home = bench::StartApplication("iconlist", [] {
            while (WindowRef w = FrontDocumentWindow()) {
                if (IconFileRec* rec = GetIconFileRec(w)) rec->isDirty = false;
                if (CloseDocumentWindow(w, true) != noErr) DisposeWindow(w);
            }
        });

        // Four members: a map's 16-bit offsets hold about 5,000 references.
        static const std::pair<OSType, size_t> kMembers[] = {
            {FourCC("ICN#"), 256}, {FourCC("icl8"), 1024}, {FourCC("ics#"), 64}, {FourCC("ics8"), 256}};
        ResourceForkImage image;
        for (int i = 0; i < kIcons; ++i)
            for (const auto& [type, size] : kMembers) {
                ForkResource r;
                r.type = type;
                r.id = ResID(128 + i);
                r.attributes = resPurgeable;
                r.data.resize(size);
                for (size_t k = 0; k < size; ++k) r.data[k] = UInt8(k * 7 + size_t(i));
                image.resources.push_back(std::move(r));
            }
        std::vector<UInt8> fork;
        if (SerializeResourceFork(image, &fork) != noErr) std::abort();
        const std::string file = (home / "thousand.rsrc").string();
        if (WriteFileAtomically(file, fork) != noErr) std::abort();
        return file;
    }();
    return path;
}

FSSpec IconFile() {
    FSSpec fileSpec;
    if (FSSpecFromPath(IconFilePath(), &fileSpec) != noErr) std::abort();
    return fileSpec;
}

// The baselines: seconds of one operation, the best of a few runs.
double MapSeconds() {
    static const double seconds = [] {
        const FSSpec file = IconFile();
        double best = 1e9;
        for (int run = 0; run < 20; ++run) {
            const auto start = Clock::now();
            std::vector<UInt8> bytes;
            ForkSource source;
            if (ReadResourceFork(&file, &bytes, &source) != noErr) std::abort();
            const SInt16 saved = CurResFile();
            const SInt16 ref = OpenResFileFromBytes(bytes, fsRdPerm);
            if (ref == kResFileNotOpen || Count1Resources(FourCC("ICN#")) != kIcons) std::abort();
            CloseResFile(ref);
            UseResFile(saved);
            best = std::min(best, SecondsSince(start));
        }
        return best;
    }();
    return seconds;
}

double WriteSeconds() {
    static const double seconds = [] {
        std::vector<UInt8> bytes;
        if (ReadWholeFile(IconFilePath(), &bytes) != noErr) std::abort();
        const std::string copy = IconFilePath() + ".copy";
        double best = 1e9;
        for (int run = 0; run < 20; ++run) {
            const auto start = Clock::now();
            if (WriteFileAtomically(copy, bytes) != noErr) std::abort();
            best = std::min(best, SecondsSince(start));
        }
        return best;
    }();
    return seconds;
}

void Report(benchmark::State& state, double total) {
    const double each = total / double(state.iterations());
    state.counters["ms"] = each * 1000;
    state.counters["vs_map"] = each / MapSeconds();
}

void BM_ReadResourceMap(benchmark::State& state) {
    const FSSpec file = IconFile();
    for (auto _ : state) {
        std::vector<UInt8> bytes;
        ForkSource source;
        if (ReadResourceFork(&file, &bytes, &source) != noErr) state.SkipWithError("read failed");
        const SInt16 saved = CurResFile();
        const SInt16 ref = OpenResFileFromBytes(bytes, fsRdPerm);
        benchmark::DoNotOptimize(Count1Resources(FourCC("ICN#")));
        CloseResFile(ref);
        UseResFile(saved);
    }
}
BENCHMARK(BM_ReadResourceMap)->Unit(benchmark::kMillisecond);

// What the user waits for: the file read, the list built, the window shown
// and its first screen of cells drawn.
void BM_OpenAndDraw(benchmark::State& state) {
    const FSSpec file = IconFile();
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (OpenIconWindow(file) != noErr) state.SkipWithError("open failed");
        WindowRef w = FrontDocumentWindow();
        UpdateIconWindow(w);
        total += SecondsSince(start);
        state.PauseTiming();
        if (CloseIconFile(w, true) != noErr) state.SkipWithError("close failed");
        state.ResumeTiming();
    }
    Report(state, total);
}
BENCHMARK(BM_OpenAndDraw)->Unit(benchmark::kMillisecond);

WindowRef OpenList() {
    if (OpenIconWindow(IconFile()) != noErr) std::abort();
    WindowRef w = FrontDocumentWindow();
    SizeWindow(w, 640, 480, false);
    InitIconList(w);
    return w;
}

void CloseList(WindowRef w) {
    GetIconFileRec(w)->isDirty = false;
    if (CloseIconFile(w, true) != noErr) std::abort();
}

// One page down (or back up at the end) and the newly shown cells drawn.
void BM_ScrollOnePage(benchmark::State& state) {
    WindowRef w = OpenList();
    IconFileRec* rec = GetIconFileRec(w);
    const SInt16 page = SInt16(480 / kIconCellHeight);
    SInt16 step = page;
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (rec->topRow + step < 0 || (rec->topRow + step + page) * rec->columns > kIcons) step = SInt16(-step);
        ScrollIconList(w, step);
        UpdateIconWindow(w);
        total += SecondsSince(start);
    }
    Report(state, total);
    state.counters["fps"] = double(state.iterations()) / total;
    CloseList(w);
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond);

// One icon renamed, then the file saved beside itself and renamed over.
void BM_SaveAfterOneEdit(benchmark::State& state) {
    WindowRef w = OpenList();
    IconFileRec* rec = GetIconFileRec(w);
    rec->selected.assign(rec->entries.size(), 0);
    rec->selected[0] = 1;
    double total = 0;
    UInt8 name[] = {2, 'n', '0'};
    for (auto _ : state) {
        name[2] = UInt8('0' + state.iterations() % 10);
        const auto start = Clock::now();
        if (ChangeSelectedIconInfo(w, 128, name) != noErr || SaveIconFile(w) != noErr)
            state.SkipWithError("save failed");
        total += SecondsSince(start);
    }
    Report(state, total);
    state.counters["vs_write"] = total / double(state.iterations()) / WriteSeconds();
    CloseList(w);
}
BENCHMARK(BM_SaveAfterOneEdit)->Unit(benchmark::kMillisecond);

}  // namespace
