// Colour tables and colour lookup.
//
// Nearest colour: one metric is used everywhere a colour must be mapped into
// an indexed table (see NearestColorIndex). It is exact for colours the table
// holds and deterministic on ties (the lowest index wins).
#pragma once

#include "platform/raster/QDTypes.h"

#include <memory>
#include <type_traits>
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

// RAII owner for a colour table from NewColorTable, CopyCTable or GetCTable.
struct CTableDisposer {
    void operator()(CTabHandle ct) const { DisposeCTable(ct); }
};
using UniqueCTable = std::unique_ptr<std::remove_pointer_t<CTabHandle>, CTableDisposer>;
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

// Fast nearest-colour lookup for mapping many pixels into one table, giving
// exactly the answer of NearestColorIndex (same metric, lowest index on ties).
// The colour space is cut into a grid of cells (64 per axis for tables of
// more than 16 entries, 32 for smaller ones); each cell, when first used,
// gets the entries that can be nearest to some colour inside it. Most cells
// lie wholly on one entry's side of every boundary and answer at once; the
// rest keep a short list to scan. Cells are built from the list of a coarser
// cell (a quarter as many per axis) that holds them, so building stays cheap.
// For colours with 8-bit components a cell with a list also gets, when first
// asked that way, the answer for each 8-bit colour inside it (a block), so
// bulk mapping of such colours is two table reads.
// Memory per table is bounded: 4 bytes a cell (1 MiB for 64 per axis), the
// coarse lists (at most 4096 x 256 entries, 1 MiB), up to 1 MiB of fine
// lists (past that a cell keeps its coarse cell's list) and up to 1 MiB of
// blocks (past that a cell scans its list).
// The table's colours are copied: later edits of the table are not seen.
class InverseTable {
public:
    explicit InverseTable(CTabHandle ct);
    // `listBytes` and `blockBytes`: the budgets for fine lists and blocks
    // (smaller ones only trade speed; answers stay exact).
    explicit InverseTable(std::vector<RGBColor> colors, size_t listBytes = kListBudget,
                          size_t blockBytes = kBlockBudget);
    static constexpr size_t kListBudget = size_t(1) << 20;
    static constexpr size_t kBlockBudget = size_t(1) << 20;
    int Nearest(const RGBColor& c) const {
        if (colors_.size() <= 1) return 0;
        const int shift = 16 - fineBits_;
        const UInt32 cell = (UInt32(c.red >> shift) << (2 * fineBits_)) | (UInt32(c.green >> shift) << fineBits_) |
                            UInt32(c.blue >> shift);
        const UInt32 code = fine_[cell];
        if ((code & kCountMask) == 1) return int(code >> kCountBits);
        return Scan(c, cell, code);
    }
    // 0x..RRGGBB, 8-bit components widened as 0xAB -> 0xABAB.
    int Nearest24(UInt32 rgb) const {
        if (colors_.size() <= 1) return 0;
        const int sub = 8 - fineBits_;  // (v * 0x101) >> (16 - bits) == v >> (8 - bits)
        const UInt32 axis = (1u << fineBits_) - 1;
        const UInt32 cell = (((rgb >> (16 + sub)) & axis) << (2 * fineBits_)) |
                            (((rgb >> (8 + sub)) & axis) << fineBits_) | ((rgb & 0xFF) >> sub);
        const UInt32 code = fine_[cell];
        const UInt32 count = code & kCountMask;
        if (count == 1) return int(code >> kCountBits);
        if (count == kBlockTag) return blockAnswers_[((code >> kCountBits) << (3 * sub)) | BlockSlot(rgb)];
        return Lookup24(rgb, cell, code);
    }
    int Nearest8(UInt8 r, UInt8 g, UInt8 b) const { return Nearest24(UInt32(r) << 16 | UInt32(g) << 8 | b); }
    int size() const { return int(colors_.size()); }
    const std::vector<RGBColor>& colors() const { return colors_; }

private:
    // A cell's code: 0 not built yet, else (payload << kCountBits) | count;
    // the payload is the entry itself for a count of 1, the offset of the
    // list (ascending indexes) in candidates_ for a larger count, and the
    // block number for kBlockTag.
    static constexpr int kCountBits = 9;
    static constexpr UInt32 kCountMask = (1u << kCountBits) - 1;
    static constexpr UInt32 kBlockTag = kCountMask;  // never a count (at most 256)
    // Where an 8-bit colour lies in its cell's block.
    UInt32 BlockSlot(UInt32 rgb) const {
        const int sub = 8 - fineBits_;
        const UInt32 m = (1u << sub) - 1;
        return (((rgb >> 16) & m) << (2 * sub)) | (((rgb >> 8) & m) << sub) | (rgb & m);
    }
    void Init();
    int Scan(const RGBColor& c, UInt32 cell, UInt32 code) const;
    int Lookup24(UInt32 rgb, UInt32 cell, UInt32 code) const;
    int ScanList(const RGBColor& c, UInt32 listCode) const;
    UInt32 BuildFine(UInt32 cell) const;
    UInt32 CoarseCode(UInt32 cell) const;
    UInt32 BuildList(const int lo[3], const int hi[3], const UInt8* from, int count, bool capped) const;
    std::vector<RGBColor> colors_;
    int fineBits_ = 5;
    mutable std::vector<UInt32> fine_, coarse_;
    mutable std::vector<UInt8> candidates_;
    size_t listBudget_ = kListBudget, blockBudget_ = kBlockBudget;
    mutable size_t fineListBytes_ = 0;
    mutable std::vector<UInt32> blockLists_;  // per block: the code of its cell's list
    mutable std::vector<UInt8> blockAnswers_;
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
