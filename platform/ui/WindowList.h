// The window layer's own list of windows with the Qt widgets that show them,
// shared by Windows.cpp (making, ordering, showing), WindowParts.cpp (frames,
// hit testing, tracking) and WindowPorts.cpp (ports, sizes, updating).
#pragma once

#include "platform/ui/LayerState.h"
#include "platform/ui/PortWidgets.h"

#include <QRegion>

#include <memory>
#include <vector>

namespace ui_internal {

struct OwnedWindow {
    std::unique_ptr<WindowRecord> rec;
    std::unique_ptr<FrameWidget> frame;
    Rect placedOrigin{};             // portRect when the controls were last placed
    QRegion updating;                // what BeginUpdate handed to the program, in view coordinates
    std::vector<UInt64> bandHashes;  // of the pixels last sent to the screen, per band of rows
    WindowPartCode pressed = 0;      // the frame box drawn pressed
    bool zoomedOut = false;          // zoomed to the standard state by the zoom box
};

std::vector<OwnedWindow>& OwnedWindows();
OwnedWindow* Owned(const WindowRecord* rec);
// Rows above the content: the title bar, or the top border of a plain frame.
SInt16 TopExtent(const WindowRecord& rec);
// Puts the Qt frame and view where the record says.
void PlaceFrame(WindowRecord& rec);
void FillWhite(GWorldPtr world);
// Whether the zoom box now zooms back in: after a zoom out by the box, until
// the window is zoomed in or grown, or while it is at its standard state.
bool IsZoomedOut(const WindowRecord& rec);
void SetZoomedOut(const WindowRecord& rec, bool zoomed);

}  // namespace ui_internal
