// Change Size: scaling the picture to a new size, or changing the canvas
// around it (the picture stays 1:1 at the top-left and the new margin is
// white, transparent or the background colour).
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Windows.h"

struct ResizeData {             // kept while the program runs
    UInt8 stretch = 0;          // scale the picture, else change the canvas
    UInt8 dither = 0;           // scale in dither copy (with stretch only)
    SInt16 widthUnit = 1;       // 1 pixels, 2 percent
    SInt16 heightUnit = 1;
    UInt8 proportional = 0;     // keep the width-to-height ratio
    UInt8 pad = 0;
};
extern ResizeData gResizeData;

// Background kinds of a new margin.
enum : SInt16 { kMarginWhite = 0, kMarginTransparent = 1, kMarginBackColor = 2 };

// Edit item 11: the dialog and its checks, then the resize.
void ChangeIconSize(WindowRef window);
// Enables the background pop-up of the dialog only when a margin will appear.
void IsMarginExists(DialogRef dialog, SInt16 width, SInt16 height, const ResizeData* settings);
// Resizes every buffer of the document to newRect (top-left 0, 0), scaling
// with gResizeData.stretch; undo mode 11. A size beyond kMaxPictureEdge or
// kMaxPictureArea, or buffers that cannot be made, leave the document as it
// was after an alert; false then.
Boolean ChangeIconSizeMain(WindowRef window, const Rect* newRect, SInt16 backgroundKind);
// Scales all of `from` onto all of `to` (both with top-left 0, 0) as CopyBits
// scales (each pixel takes the one under its centre), moving raw pixels: the
// two must share depth and colours.
void ScaleNearest(GWorldPtr from, GWorldPtr to);
