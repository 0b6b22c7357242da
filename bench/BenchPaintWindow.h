// A real paint window for the benchmarks that measure painting as the user
// sees it: the application set up as at start-up (offscreen, with its own
// preferences folder), one document of the given size, and everything torn
// down in order at exit so that the windows go before the application object.
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

inline WindowRef PaintWindow(const char* name, SInt16 edge, SInt16 ratio, SInt16 depth) {
    static WindowRef window = nullptr;
    if (window) return window;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static const std::string configHome =
        (std::filesystem::temp_directory_path() / ("korvel-" + std::string(name) + "-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(configHome);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
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
    ToolWindowInit();
    const Rect pic = MakeRect(0, 0, edge, edge);
    window = MakePaintWindow(&pic, ratio, depth);
    if (!window) std::abort();
    std::atexit([] {
        if (PaintWinRec* rec = GetPaintWinRec(window)) rec->isDirty = false;
        if (ClosePaintWindow(window, true) != noErr) std::abort();
        TearDownWindows();
        TearDownToolbox();
        std::error_code ec;
        std::filesystem::remove_all(configHome, ec);
    });
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
