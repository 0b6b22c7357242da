// Start-up to the first idle event: the preferences, the menu bar, the ten
// palette windows, the blend palette's buffer and the first pass of the loop.
// The baseline makes only the main window and desktop, so the ratio tells what
// the program's own start-up adds to the window system's.
#include "app/Shell.h"
#include "palettes/Prefs.h"
#include "platform/ui/Application.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/Windows.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void EnsureToolbox() {
    static bool done = false;
    if (done) return;
    done = true;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static std::string configHome =
        (std::filesystem::temp_directory_path() / ("korvel-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(configHome);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    static int argc = 1;
    static char name[] = "startup_bench";
    static char* argv[] = {name, nullptr};
    InitToolbox(argc, argv);
    SetUnattended(true);
}

void BM_Baseline_MainWindowOnly(benchmark::State& state) {
    EnsureToolbox();
    for (auto _ : state) {
        if (InitWindows(1024, 768) != noErr) std::abort();
        EventRecord event;
        benchmark::DoNotOptimize(WaitNextEvent(everyEvent, &event, 0, nullptr));
        TearDownWindows();
    }
}
BENCHMARK(BM_Baseline_MainWindowOnly)->Unit(benchmark::kMillisecond);

void BM_StartUpToFirstIdleEvent(benchmark::State& state) {
    EnsureToolbox();
    for (auto _ : state) {
        if (InitWindows(1024, 768) != noErr) std::abort();
        StartUp();
        EventRecord event;
        // Update events for the new palettes come first; the first null event is the first idle.
        while (WaitNextEvent(everyEvent, &event, 0, gCurRgnHand)) DoEvent(&event);
        state.PauseTiming();
        quit = true;
        ShutDown();
        TearDownWindows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstIdleEvent)->Unit(benchmark::kMillisecond);

}  // namespace
