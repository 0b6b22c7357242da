// The application as the user starts it, for the benchmarks that measure
// what the user sees: set up offscreen with its own preferences folder, and
// torn down in order at exit so that the windows go before the application
// object; and a real paint window of a given size.
#pragma once

#include "app/AppResources.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "paint/PaintWindow.h"
#include "platform/core/Geometry.h"
#include "platform/raster/CopyBits.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Application.h"
#include "platform/ui/Scripting.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench {

// The application set up as at start-up, offscreen, with preferences in a
// folder of its own (returned). At exit closeDocuments runs first, then the
// windows and the application go, then the folder.
inline const std::filesystem::path& StartApplication(const char* name, void (*closeDocuments)()) {
    static void (*closeAtExit)() = closeDocuments;
    static const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("korvel-" + std::string(name) + "-" + std::to_string(getpid()));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::filesystem::create_directories(home);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    static int argc = 1;
    static std::string program = name;
    static char* argv[] = {program.data(), nullptr};
    InitToolbox(argc, argv);
    if (InitWindows(1024, 768) != noErr) std::abort();
    SetUnattended(true);
    if (OpenApplicationResources() != noErr) std::abort();
    gApplRefNum = GetApplicationResFile();
    InitConstants();
    InitGlobals();
    MenuBarInit();
    std::atexit([] {
        closeAtExit();
        TearDownWindows();
        TearDownToolbox();
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    });
    return home;
}

inline WindowRef PaintWindow(const char* name, SInt16 edge, SInt16 ratio, SInt16 depth) {
    static WindowRef window = nullptr;
    if (window) return window;
    StartApplication(name, [] {
        if (PaintWinRec* rec = GetPaintWinRec(window)) rec->isDirty = false;
        if (ClosePaintWindow(window, true) != noErr) std::abort();
    });
    ToolWindowInit();
    const Rect pic = MakeRect(0, 0, edge, edge);
    window = MakePaintWindow(&pic, ratio, depth);
    if (!window) std::abort();
    return window;
}

// The baseline of the painting benchmarks: one copy of the whole image into
// the undo buffer, the least that any edit with undo costs.
inline void CopyWholeImage(benchmark::State& state, WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    SavedGWorld saved;
    SetBlackOnWhite(rec->undoPort.get());
    for (auto _ : state) {
        CopyBits(GetPortBitMapForCopyBits(rec->offPort.get()), GetPortBitMapForCopyBits(rec->undoPort.get()),
                 &rec->picRect, &rec->picRect, srcCopy, nullptr);
        benchmark::ClobberMemory();
    }
    const Rect& r = rec->picRect;
    state.SetBytesProcessed(state.iterations() * int64_t(r.bottom - r.top) * (r.right - r.left) * 4);
}

}  // namespace bench
