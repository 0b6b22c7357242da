// Reading back what the desktop shows: the colour at a global point, taken
// from the port of the window under it (content), or from what the layer
// drew there (frames, the desktop, the menu bar).
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"

// False when the point shows nothing the layer drew (outside the main
// window and every floating window).
Boolean GetDesktopPixel(Point globalPt, RGBColor* color);
