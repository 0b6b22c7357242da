// Colour-search procedures that turn pixel colours into 1-bit masks, and the
// mask of an image's non-white pixels built with them.
#pragma once

#include "platform/raster/GWorld.h"
#include "platform/raster/QDTypes.h"

extern RGBColor gSearchColor;  // matched by SearchColorAreaProc (selecting a colour)
extern RGBColor gTransColor;   // matched by MySearchTransProc (a PNG's transparent colour)

// Installed with AddSearch around a CopyBits into a 1-bit buffer. Each one
// always handles the colour: index 1 (a set bit) or 0.
Boolean MySearchProc(RGBColor* rgb, SInt32* position);         // 1 for every colour but white
Boolean SearchColorAreaProc(RGBColor* rgb, SInt32* position);  // 1 for gSearchColor
Boolean MySearchTransProc(RGBColor* rgb, SInt32* position);    // 1 for gTransColor

// A new 1-bit buffer over dstRect holding srcRect of `buffer` copied through
// `search`: a set bit wherever the procedure answered 1.
[[nodiscard]] OSErr SearchMask(GWorldPtr buffer, const Rect* srcRect, const Rect* dstRect, ColorSearchProcPtr search,
                               UniqueGWorld* mask);
// A new 1-bit buffer of the buffer's bounds with a set bit for every pixel
// that is not white. The caller disposes of it.
[[nodiscard]] OSErr CreateMask2(GWorldPtr buffer, GWorldPtr* mask);
