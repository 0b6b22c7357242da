#include "platform/raster/SeedFill.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/TransferModes.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Set for the duration of a fill; saved and restored so fills may nest
// (a matchProc may itself fill).
SInt32 gColorMatchData = 0;

class MatchDataScope {
public:
    explicit MatchDataScope(SInt32 data) : saved_(gColorMatchData) { gColorMatchData = data; }
    ~MatchDataScope() { gColorMatchData = saved_; }
    MatchDataScope(const MatchDataScope&) = delete;
    MatchDataScope& operator=(const MatchDataScope&) = delete;

private:
    SInt32 saved_;
};

// Graphics worlds store 16- and 24-bit requests as 32 bits; a map claiming
// those depths, or with rows too short for its width, is refused.
bool ReadableMap(const BitMap& pm) {
    const int d = pm.pixelSize;
    if (d != 1 && d != 2 && d != 4 && d != 8 && d != 32) return false;
    const Size width = RectWidth(pm.bounds);
    return pm.baseAddr && width >= 0 && Size(pm.rowBytes) * 8 >= width * d;
}

// The part of the two rectangles both maps hold, as offsets from the
// rectangles' top-left corners.
struct Area {
    int srcLeft = 0, srcTop = 0;  // source coordinates of cell (0, 0)
    int dstLeft = 0, dstTop = 0;  // destination coordinates of cell (0, 0)
    int width = 0, height = 0;
};

std::optional<Area> CommonArea(const BitMap& src, const BitMap& dst, const Rect& sr, const Rect& dr) {
    const int w = std::min(RectWidth(sr), RectWidth(dr)), h = std::min(RectHeight(sr), RectHeight(dr));
    if (w <= 0 || h <= 0) return std::nullopt;
    const int i0 = std::max({0, src.bounds.left - sr.left, dst.bounds.left - dr.left});
    const int i1 = std::min({w, src.bounds.right - sr.left, dst.bounds.right - dr.left});
    const int j0 = std::max({0, src.bounds.top - sr.top, dst.bounds.top - dr.top});
    const int j1 = std::min({h, src.bounds.bottom - sr.top, dst.bounds.bottom - dr.top});
    if (i1 <= i0 || j1 <= j0) return std::nullopt;
    return Area{sr.left + i0, sr.top + j0, dr.left + i0, dr.top + j0, i1 - i0, j1 - j0};
}

bool CheckMaps(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect) {
    return srcBits && dstBits && srcRect && dstRect && dstBits->pixelSize == 1 && ReadableMap(*srcBits) &&
           ReadableMap(*dstBits);
}

inline UInt32 Read32(const UInt8* p) { return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]; }
inline UInt32 ReadIndex(const UInt8* row, int col, int depth) {
    if (depth == 8) return row[col];
    const int bit = col * depth;
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
}

RGBColor IndexColor(const BitMap& pm, UInt32 index) {
    if (pm.pmTable && int(index) < CTabCount(pm.pmTable)) return CTabEntries(pm.pmTable)[index].rgb;
    return index == 0 ? RGBColor{0xFFFF, 0xFFFF, 0xFFFF} : RGBColor{0, 0, 0};
}

int MapDepth(const BitMap& pm) { return pm.pixelSize; }

// Cell states of the work grid.
enum : UInt8 { kOther = 0, kMatch = 1, kFilled = 2 };

// Decides which colours match: exactly `target`, or what the procedure says.
class ColorMatcher {
public:
    ColorMatcher(const RGBColor& target, ColorSearchProcPtr proc) : target_(target), proc_(proc) {}
    bool Matches(RGBColor c) {
        if (!proc_) return c == target_;
        if (haveLast_ && c == last_) return lastResult_;
        SInt32 position = 0;
        last_ = c;
        lastResult_ = proc_(&c, &position);
        haveLast_ = true;
        return lastResult_;
    }

private:
    RGBColor target_;
    ColorSearchProcPtr proc_;
    bool haveLast_ = false;
    RGBColor last_;
    bool lastResult_ = false;
};

// One byte per pixel of the area: kMatch where the colour matches.
std::vector<UInt8> BuildGrid(const BitMap& src, const Area& a, ColorMatcher& matcher) {
    std::vector<UInt8> grid(size_t(a.width) * size_t(a.height));
    const int depth = MapDepth(src);
    const int colBase = a.srcLeft - src.bounds.left;
    if (depth == 32) {
        // Without a procedure the exact 24-bit value decides; with one, the
        // matcher's one-colour cache keeps flat areas cheap.
        for (int j = 0; j < a.height; ++j) {
            const UInt8* p = PixRow(src, a.srcTop + j) + size_t(colBase) * 4;
            UInt8* out = &grid[size_t(j) * size_t(a.width)];
            for (int i = 0; i < a.width; ++i, p += 4)
                out[i] = matcher.Matches(xfer::RGBFrom24(Read32(p))) ? kMatch : kOther;
        }
        return grid;
    }
    // Indexed maps: decide once per index.
    UInt8 lut[256];
    const int entries = 1 << depth;
    for (int k = 0; k < entries; ++k) lut[k] = matcher.Matches(IndexColor(src, UInt32(k))) ? kMatch : kOther;
    for (int j = 0; j < a.height; ++j) {
        const UInt8* row = PixRow(src, a.srcTop + j);
        UInt8* out = &grid[size_t(j) * size_t(a.width)];
        for (int i = 0; i < a.width; ++i) out[i] = lut[ReadIndex(row, colBase + i, depth)];
    }
    return grid;
}

// Scanline fill over the grid from one seed: each popped seed grows to the
// whole matching run of its row, and each matching run above and below that
// run pushes one seed. The explicit stack keeps deep areas off the call stack.
void FillFrom(std::vector<UInt8>& grid, int w, int h, int sx, int sy, std::vector<std::pair<int, int>>& stack) {
    stack.clear();
    stack.emplace_back(sx, sy);
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        UInt8* row = &grid[size_t(y) * size_t(w)];
        if (row[x] != kMatch) continue;
        int l = x, r = x;
        while (l > 0 && row[l - 1] == kMatch) --l;
        while (r + 1 < w && row[r + 1] == kMatch) ++r;
        std::fill(row + l, row + r + 1, kFilled);
        for (const int ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= h) continue;
            const UInt8* nrow = &grid[size_t(ny) * size_t(w)];
            int i = l;
            while (i <= r) {
                if (nrow[i] == kMatch) {
                    stack.emplace_back(i, ny);
                    while (i <= r && nrow[i] == kMatch) ++i;
                } else {
                    ++i;
                }
            }
        }
    }
}

// Writes the area's bits into the 1-bit map: set where the cell is (or, with
// `invert`, is not) filled.
void WriteMask(const BitMap& dst, const Area& a, const std::vector<UInt8>& grid, bool invert) {
    const int colBase = a.dstLeft - dst.bounds.left;
    for (int j = 0; j < a.height; ++j) {
        UInt8* row = PixRow(dst, a.dstTop + j);
        const UInt8* cells = &grid[size_t(j) * size_t(a.width)];
        for (int i = 0; i < a.width; ++i) {
            const int col = colBase + i;
            const UInt8 bit = UInt8(0x80u >> (col & 7));
            if ((cells[i] == kFilled) != invert) {
                row[col >> 3] |= bit;
            } else {
                row[col >> 3] &= UInt8(~bit);
            }
        }
    }
}

}  // namespace

SInt32 GetColorMatchData() { return gColorMatchData; }

void SeedCFill(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
               SInt16 seedH, SInt16 seedV, ColorSearchProcPtr matchProc, SInt32 matchData) {
    if (!CheckMaps(srcBits, dstBits, srcRect, dstRect)) return;
    const auto area = CommonArea(*srcBits, *dstBits, *srcRect, *dstRect);
    if (!area) return;
    const Area& a = *area;
    const int sx = seedH - a.srcLeft, sy = seedV - a.srcTop;
    const bool seedInside = sx >= 0 && sx < a.width && sy >= 0 && sy < a.height;
    MatchDataScope scope(matchData);

    RGBColor seedColor;
    if (seedInside) {
        const UInt8* row = PixRow(*srcBits, seedV);
        const int col = seedH - srcBits->bounds.left;
        seedColor = MapDepth(*srcBits) == 32 ? xfer::RGBFrom24(Read32(row + size_t(col) * 4))
                                             : IndexColor(*srcBits, ReadIndex(row, col, srcBits->pixelSize));
    }
    ColorMatcher matcher(seedColor, matchProc);
    std::vector<UInt8> grid;
    if (seedInside) {
        grid = BuildGrid(*srcBits, a, matcher);
        std::vector<std::pair<int, int>> stack;
        FillFrom(grid, a.width, a.height, sx, sy, stack);
    } else {
        grid.assign(size_t(a.width) * size_t(a.height), kOther);
    }
    WriteMask(*dstBits, a, grid, false);
}

void CalcCMask(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
               const RGBColor* seedRGB, ColorSearchProcPtr matchProc, SInt32 matchData) {
    if (!CheckMaps(srcBits, dstBits, srcRect, dstRect) || !seedRGB) return;
    const auto area = CommonArea(*srcBits, *dstBits, *srcRect, *dstRect);
    if (!area) return;
    const Area& a = *area;
    MatchDataScope scope(matchData);
    ColorMatcher matcher(*seedRGB, matchProc);
    std::vector<UInt8> grid = BuildGrid(*srcBits, a, matcher);
    std::vector<std::pair<int, int>> stack;
    const int w = a.width, h = a.height;
    // Flood from every matching pixel of the edge.
    for (int i = 0; i < w; ++i) {
        FillFrom(grid, w, h, i, 0, stack);
        FillFrom(grid, w, h, i, h - 1, stack);
    }
    for (int j = 0; j < h; ++j) {
        FillFrom(grid, w, h, 0, j, stack);
        FillFrom(grid, w, h, w - 1, j, stack);
    }
    WriteMask(*dstBits, a, grid, true);
}
