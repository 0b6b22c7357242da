// Drawing an icon suite into the current port as the file browser shows
// icons: the best member for the rectangle's size, through its mask, with the
// browser's transforms (selected, open, offline).
#pragma once

#include "platform/icons/IconSuites.h"
#include "platform/raster/QDTypes.h"

using IconAlignmentType = SInt16;
enum : IconAlignmentType { kAlignNone = 0 };

using IconTransformType = SInt16;
enum : IconTransformType {
    kTransformNone = 0,
    kTransformOffline = 2,
    kTransformOpen = 3,
    kTransformSelected = 0x4000,
    kTransformSelectedOffline = kTransformSelected | kTransformOffline,
    kTransformSelectedOpen = kTransformSelected | kTransformOpen,
};

// Draws the suite centred in the largest square inside `theRect`, scaled to
// it. The member drawn is of the size nearest the square (128 when it is at
// least 128 pixels and the suite holds 'it32', 32 when it is over 16, else
// 16; the other size when that one has no member) and, within the size, of
// the deepest colour: 32-bit, 8, 4, then 1-bit. 32-bit members take their
// 8-bit mask, or the 1-bit mask of their size; the others take the 1-bit
// mask; without a mask every pixel is drawn. Members whose data is not of the
// exact size of their type are passed over. noSuchIconErr when nothing can be
// drawn.
[[nodiscard]] OSErr PlotIconSuite(const Rect* theRect, IconAlignmentType align, IconTransformType transform,
                                  IconSuiteRef theIconSuite);
