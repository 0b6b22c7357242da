// The eyedropper: the colour under the pointer becomes the pen colour, from a
// paint window or from anywhere on the screen.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Windows.h"

// An eyedropper click at a point of the window (local coordinates).
void DoSpoit(WindowRef window, Point localPt);
// The colour the eyedropper takes at a point of the displayed picture (image
// coordinates): the composed pixel where the document is opaque, else white,
// or with a background layer the layer's pixel (false while the layer is
// hidden: nothing is taken).
Boolean GetSpoitColor(PaintWinRec* rec, Point imagePt, RGBColor* color);
// Picks a colour from the screen until the button is released (accept) or a
// key is pressed (cancel).
void GetDesktopColor();
