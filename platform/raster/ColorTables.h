// Colour tables and colour lookup.
//
// Nearest colour: one metric is used everywhere a colour must be mapped into
// an indexed table (see NearestColorIndex). It is exact for colours the table
// holds and deterministic on ties (the lowest index wins).
#pragma once

#include "platform/raster/QDTypes.h"

#include <memory>
#include <vector>

// A new, zeroed table of `entries` entries (ctSize = entries - 1), seed from
// UniqueID('clut'), flags 0. None when memory runs out or entries is not 1..256.
CTabHandle NewColorTable(int entries);
void DisposeCTable(CTabHandle ct);  // the shared standard tables are never freed
// A fresh seed, never given out before (what UniqueID('clut') gives tables).
SInt32 GetCTSeed();
// Marks a table whose entries were changed in place: it gets a fresh seed.
void CTabChanged(CTabHandle ct);
CTabHandle CopyCTable(CTabHandle ct);  // an independent copy
// Tables by ID: 1, 2, 4, 8 the standard tables of those depths; 33, 34, 36,
// 40 the grey tables of depth 1, 2, 4, 8 (black last, as the standard 1-bit
// table); 128, 129, 130, 131 the program's own tables. None for other IDs.
// The caller owns the copy it gets.
CTabHandle GetCTable(SInt16 ctID);
// The standard table of a depth (1, 2, 4, 8), shared and never disposed.
CTabHandle StandardCTable(int depth);

// The number of entries that may be read from `ct`: the declared count,
// limited to what the block really holds and to 256 (a pixel value never
// reaches further). 0 for a null table.
int CTabReadableCount(CTabHandle ct);

// Index of the colour nearest to `rgb` in `ct` (see the metric above).
// The metric is the squared Euclidean distance on the 16-bit components;
// this is the exact search over every entry (0 for an empty or null table).
int NearestColorIndex(CTabHandle ct, const RGBColor& rgb);
// The same metric between two colours.
inline SInt64 ColorDistance(const RGBColor& a, const RGBColor& b) {
    const SInt64 dr = SInt64(a.red) - b.red, dg = SInt64(a.green) - b.green, db = SInt64(a.blue) - b.blue;
    return dr * dr + dg * dg + db * db;
}

// Fast nearest-colour lookup for mapping many pixels into one table. The
// colour space is cut into 32x32x32 cells; each cell, when first used, gets
// the list of entries that can be nearest to some colour inside it, so a
// lookup scans only a handful of entries and still gives exactly the
// answer of NearestColorIndex (same metric, lowest index on ties).
// The table's colours are copied: later edits of the table are not seen.
class InverseTable {
public:
    explicit InverseTable(CTabHandle ct);
    explicit InverseTable(std::vector<RGBColor> colors);
    int Nearest(const RGBColor& c) const;
    // 8-bit components, widened as 0xAB -> 0xABAB.
    int Nearest8(UInt8 r, UInt8 g, UInt8 b) const {
        return Nearest(RGBColor{UInt16(r * 0x101), UInt16(g * 0x101), UInt16(b * 0x101)});
    }
    int size() const { return int(colors_.size()); }
    const std::vector<RGBColor>& colors() const { return colors_; }

private:
    int BuildCell(UInt32 cell) const;
    std::vector<RGBColor> colors_;
    mutable std::vector<UInt32> cells_;  // 0 not built yet, else (offset << 9) | count
    mutable std::vector<UInt8> candidates_;
};
// A shared inverse table for the current contents of `ct`, kept in a small
// cache keyed by the colours (tables edited in place are looked up afresh).
// Null for a null or empty table.
std::shared_ptr<const InverseTable> InverseTableFor(CTabHandle ct);

// Current-port colour lookup, as the toolbox defines it: the port's pixel
// map's table is searched (through any colour search procedures installed
// with AddSearch first).
SInt32 Color2Index(const RGBColor* myColor);
void Index2Color(SInt32 index, RGBColor* aColor);
Boolean RealColor(const RGBColor* color);  // the nearest colour is exactly this colour
void AddSearch(ColorSearchProcPtr searchProc);
void DelSearch(ColorSearchProcPtr searchProc);
// For bulk colour mapping (CopyBits): whether any search procedure is
// installed, and the search procedures' answer for one colour (false when
// none of them handles it).
Boolean ColorSearchInstalled();
Boolean RunColorSearch(const RGBColor& rgb, SInt32* position);

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
