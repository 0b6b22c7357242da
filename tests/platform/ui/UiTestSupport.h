// Shared set-up for the window layer tests: a desktop of fixed size and a
// clean layer (no windows, no queued events, no script, no one at the screen)
// around every test; resource bytes for menus; events and port pixels.
#pragma once

#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/raster/GWorld.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Events.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace uitest {

inline void CloseAllWindows() {
    while (WindowRef w = GetWindowList()) DisposeWindow(w);
}

class UiTest : public testing::Test {
protected:
    explicit UiTest(SInt16 width = 1024, SInt16 height = 768) : width_(width), height_(height) {}
    void SetUp() override {
        ASSERT_EQ(InitWindows(width_, height_), noErr);
        SetUnattended(true);
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

private:
    SInt16 width_, height_;
};

inline Rect R(int top, int left, int bottom, int right) { return MakeRect(top, left, bottom, right); }
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

inline void PutPString(ByteWriter& w, const std::string& s) {
    w.u8(UInt8(s.size()));
    w.bytes({reinterpret_cast<const UInt8*>(s.data()), s.size()});
}

// A 'MENU' resource: bit 0 of `enableFlags` enables the menu, bit n item n.
struct MenuItemDef {
    std::string text;
    UInt8 cmd = 0, mark = 0, style = 0;
};
inline std::vector<UInt8> MenuBytes(SInt16 id, const std::string& title, const std::vector<MenuItemDef>& items,
                                    UInt32 enableFlags = ~0u) {
    ByteWriter w;
    for (SInt16 v : {id, SInt16(0), SInt16(0), SInt16(0), SInt16(0)}) w.s16be(v);
    w.u32be(enableFlags);
    PutPString(w, title);
    for (const MenuItemDef& it : items) {
        PutPString(w, it.text);
        for (UInt8 b : {UInt8(0), it.cmd, it.mark, it.style}) w.u8(b);
    }
    w.u8(0);
    return w.buffer();
}

// Adds a resource to the current resource file.
inline void AddTestResource(ResType type, ResID id, const std::vector<UInt8>& bytes) {
    AddResource(NewHandleFromBytes(bytes), type, id, nullptr);
    ASSERT_EQ(ResError(), noErr);
}

}  // namespace uitest
