// The mouse cursor: chosen for the window, tool and keys under the mouse on
// every mouse movement and idle event, and the mouse region that tells the
// event loop when it may have to change.
#pragma once

#include "platform/core/MacTypes.h"

// The cursor shown: 0 the arrow, a positive number a 'CURS' resource of the
// application, −1 the pen footprint built by SetPenCursorMain.
extern SInt16 gCrsrID;

// The footprint cursor's parameters, so that an identical one is not rebuilt.
struct CursData {
    SInt16 width = 0;
    SInt16 height = 0;
    RGBColor color{0, 0, 0};
    Boolean colored = false;  // drawn in the colour (tool preferences byte 10)
};
extern CursData gCursData;

enum : SInt16 {
    kArrowCursorID = 0,
    kFootprintCursorID = -1,
    kPencilCursorID = 128,
    kEraserCursorID = 129,
    kSelectOutsideCursorID = 130,
    kEyedropperCursorID = 131,
    kBucketCursorID = 132,
    kSelectOverCursorID = 133,
    kSelectCopyCursorID = 135,
    kDotPencilCursorID = 137,
    kEyedropperCrossCursorID = 139,
    kHandCursorID = 140,
    kPenColorCursorID = 128,  // 'crsr': the template of the coloured footprint
};

// Chooses and shows the cursor for a global point and sets gCurRgnHand.
void UpdateMouseCursor(Point globalPt);
// Shows cursor `id` (0 the arrow; −1 leaves the cursor alone) unless it is shown already.
void MySetCursor(SInt16 id);
// The pencil (0) or eraser (1) cursor: the footprint when the preferences ask
// for it and it fits, else cursor 128 or 129.
void SetPenCursor(SInt16 which);
// Builds and shows the footprint cursor: a width x height block at the top
// left, hot spot at its centre; paramErr when a side is outside 1 to 16.
[[nodiscard]] OSErr SetPenCursorMain(SInt16 width, SInt16 height, const RGBColor& color);
// gCurRgnHand = the desktop less the content of the visible colour palettes
// and blend palette, so that entering one of them reports a movement.
void MakeArrowCursorRgn();
// The eyedropper cursor the preferences choose (139 with the cross, else 131).
SInt16 EyedropperCursorID();
