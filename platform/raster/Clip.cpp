#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"

void GetClip(RgnHandle rgn) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (port && port->clipRgn && rgn) CopyRgn(port->clipRgn, rgn);
}

void SetClip(RgnHandle rgn) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (port && port->clipRgn && rgn) CopyRgn(rgn, port->clipRgn);
}

void ClipRect(const Rect* r) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (port && port->clipRgn && r) RectRgn(port->clipRgn, r);
}
