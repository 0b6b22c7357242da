// Connected areas of a pixel map as 1-bit masks.
//
// Connectivity: two pixels are connected when they share an edge (above,
// below, left or right; 4-connected). Diagonal neighbours are not connected,
// so a one-pixel diagonal line of another colour closes an area. Every seed
// fill of the program uses this rule.
//
// Pixels are matched by colour: exactly the seed colour, or, with a
// matchProc, whatever the procedure accepts. The procedure is called with a
// pixel's colour and returns true when that colour belongs to the area (the
// position argument is unused and may be ignored); while it runs,
// GetColorMatchData() gives the matchData passed to the fill (the toolbox
// handed it over in the device's refCon).
//
// srcRect and dstRect give the area in each map's own coordinates; when
// their sizes differ the common top-left part is used, and both are cut to
// their maps. dstBits must be 1 bit deep. Only the bits of dstRect change:
// they are all cleared first.
#pragma once

#include "platform/raster/QDTypes.h"

// Sets the pixels connected to (seedH, seedV) (source coordinates) that match
// the seed pixel's colour. A seed outside the area sets nothing.
void SeedCFill(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
               SInt16 seedH, SInt16 seedV, ColorSearchProcPtr matchProc, SInt32 matchData);

// Sets the pixels that cannot be reached from the edge of srcRect through
// pixels of seedRGB: the inside of every closed outline drawn in other
// colours, outline included.
void CalcCMask(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
               const RGBColor* seedRGB, ColorSearchProcPtr matchProc, SInt32 matchData);

// The matchData of the fill whose matchProc is running (0 outside a fill).
SInt32 GetColorMatchData();
