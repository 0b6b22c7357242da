// Shared set-up for the window layer tests: a fixed 1024 x 768 desktop, and a
// clean layer (no windows, no queued events, no script) around every test.
#pragma once

#include "platform/raster/GWorld.h"
#include "platform/ui/Events.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/Windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace uitest {

inline void CloseAllWindows() {
    while (WindowRef w = GetWindowList()) DisposeWindow(w);
}

class UiTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        CloseAllWindows();
        ClearScript();
        Settle();
    }
    void TearDown() override {
        CloseAllWindows();
        ClearScript();
        Settle();
    }
    // Lets pending Qt work and activation settle, then empties the queue.
    static void Settle() {
        EventRecord ev;
        while (ScriptPending()) WaitNextEvent(0, &ev, 1, nullptr);
        WaitNextEvent(0, &ev, 0, nullptr);
        FlushEvents(everyEvent, 0);
        while (GetNextEvent(activMask, &ev)) {
        }
    }
};

inline Rect R(int top, int left, int bottom, int right) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}
inline Point P(int v, int h) { return Point{SInt16(v), SInt16(h)}; }

inline WindowRef MakeWindow(const Rect& content, SInt16 procID = zoomDocProc, bool visible = true,
                            WindowRef behind = kFirstWindowOfClass) {
    const unsigned char title[] = "\x05Title";
    return NewCWindow(nullptr, &content, title, visible, procID, behind, true, nullptr);
}

// The next event of `mask` within `ticks`; a null event when none came.
inline EventRecord NextEvent(EventMask mask, UInt32 ticks = 60) {
    EventRecord ev;
    const UInt32 until = TickCount() + ticks;
    while (!WaitNextEvent(mask, &ev, 2, nullptr))
        if (TickCount() >= until) break;
    return ev;
}

// Plays the whole script, collecting the events of `mask` it makes.
inline std::vector<EventRecord> PlayScript(EventMask mask, UInt32 maxTicks = 600) {
    std::vector<EventRecord> out;
    EventRecord ev;
    const UInt32 until = TickCount() + maxTicks;
    while (ScriptPending() && TickCount() < until) {
        if (WaitNextEvent(mask, &ev, 1, nullptr)) out.push_back(ev);
    }
    while (WaitNextEvent(mask, &ev, 0, nullptr)) out.push_back(ev);
    return out;
}

// The 32-bit port pixel at local (h, v), as 0xRRGGBB.
inline UInt32 PortPixel(CGrafPtr port, int h, int v) {
    const PixMap& pm = **port->portPixMap;
    const UInt8* p = PixRow(pm, v) + 4 * (h - pm.bounds.left);
    return (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
}

}  // namespace uitest
