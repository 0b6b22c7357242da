// Colour tables and colour lookup.
//
// Nearest colour: one metric is used everywhere a colour must be mapped into
// an indexed table (see NearestColorIndex). It is exact for colours the table
// holds and deterministic on ties (the lowest index wins).
#pragma once

#include "platform/raster/QDTypes.h"

// A new, zeroed table of `entries` entries (ctSize = entries - 1), seed from
// UniqueID('clut'), flags 0. None when memory runs out or entries is not 1..256.
CTabHandle NewColorTable(int entries);
void DisposeCTable(CTabHandle ct);
CTabHandle CopyCTable(CTabHandle ct);  // an independent copy
// Tables by ID: 1, 2, 4, 8 the standard tables of those depths; 33, 34, 36,
// 40 the grey tables of depth 1, 2, 4, 8 (black last, as the standard 1-bit
// table); 128, 129, 130, 131 the program's own tables. None for other IDs.
// The caller owns the copy it gets.
CTabHandle GetCTable(SInt16 ctID);
// The standard table of a depth (1, 2, 4, 8), shared and never disposed.
CTabHandle StandardCTable(int depth);

// Index of the colour nearest to `rgb` in `ct` (see the metric above).
int NearestColorIndex(CTabHandle ct, const RGBColor& rgb);

// Current-port colour lookup, as the toolbox defines it: the port's pixel
// map's table is searched (through any colour search procedures installed
// with AddSearch first).
SInt32 Color2Index(const RGBColor* myColor);
void Index2Color(SInt32 index, RGBColor* aColor);
Boolean RealColor(const RGBColor* color);  // the nearest colour is exactly this colour
void AddSearch(ColorSearchProcPtr searchProc);
void DelSearch(ColorSearchProcPtr searchProc);

// Port colours of the current port.
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
void OpColor(const RGBColor* color);
void ForeColor(SInt32 color);  // classic colour constants: blackColor 33, whiteColor 30, ...
void BackColor(SInt32 color);
void GetCPixel(SInt16 h, SInt16 v, RGBColor* cPix);
void SetCPixel(SInt16 h, SInt16 v, const RGBColor* cPix);

enum : SInt32 {
    blackColor = 33,
    whiteColor = 30,
    redColor = 205,
    greenColor = 341,
    blueColor = 409,
    cyanColor = 273,
    magentaColor = 137,
    yellowColor = 69,
};
