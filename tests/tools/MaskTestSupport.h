// Helpers of the selection mask tests: regions as text pictures, lifting a
// region as the selection tool does, and writing a mask from text rows.
#pragma once

#include "paint/Undo.h"
#include "tests/platform/raster/PixelArt.h"
#include "tools/Selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace masktest {

// '#' for every pixel of (0, 0, w, h) inside the region.
inline std::vector<std::string> RegionPicture(RgnHandle rgn, int w, int h) {
    std::vector<std::string> rows(size_t(h), std::string(size_t(w), '.'));
    for (int v = 0; v < h; ++v)
        for (int x = 0; x < w; ++x)
            if (PtInRgn(Point{SInt16(v), SInt16(x)}, rgn)) rows[size_t(v)][size_t(x)] = '#';
    return rows;
}

// '#' rows as a region.
inline UniqueRgn RegionOf(const std::vector<std::string>& rows) {
    UniqueRgn all;
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t x = 0; x < rows[v].size(); ++x)
            if (rows[v][x] == '#') {
                UniqueRgn one;
                SetRectRgn(one, SInt16(x), SInt16(v), SInt16(x + 1), SInt16(v + 1));
                UnionRgn(all, one, all);
            }
    return all;
}

// Lifts the region as a marquee does: old shape saved, undo state recorded.
inline void Lift(WindowRef w, const std::vector<std::string>& rows) {
    PaintWinRec* rec = GetPaintWinRec(w);
    UpdatePSRgn(rec);
    ASSERT_EQ(GoOffPort(w), noErr);
    DoSelectMain(w, RegionOf(rows));
}

// Overwrites maskPort with the '#' rows.
inline void SetMaskRows(PaintWinRec* rec, const std::vector<std::string>& rows) {
    const PixMap& pm = pixelart::MapOf(rec->maskPort.get());
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t x = 0; x < rows[v].size(); ++x) {
            UInt8& byte = PixRow(pm, int(v))[x >> 3];
            const UInt8 bit = UInt8(0x80 >> (x & 7));
            byte = rows[v][x] == '#' ? UInt8(byte | bit) : UInt8(byte & ~bit);
        }
}

}  // namespace masktest
