#include "platform/raster/CopyBits.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/raster/TransferModes.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// ---- Test helpers: independent pixel access --------------------------------

UInt32 Px(const PixMap& pm, int h, int v) {
    const UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left, d = pm.pixelSize;
    if (d == 32) {
        const UInt8* p = row + x * 4;
        return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
    }
    const int bit = x * d;
    return (row[bit / 8] >> (8 - d - bit % 8)) & ((1u << d) - 1);
}

void SetPx(const PixMap& pm, int h, int v, UInt32 value) {
    UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left, d = pm.pixelSize;
    if (d == 32) {
        UInt8* p = row + x * 4;
        p[0] = UInt8(value >> 24), p[1] = UInt8(value >> 16), p[2] = UInt8(value >> 8), p[3] = UInt8(value);
        return;
    }
    const int bit = x * d, shift = 8 - d - bit % 8;
    const UInt8 mask = UInt8(((1u << d) - 1) << shift);
    row[bit / 8] = UInt8((row[bit / 8] & ~mask) | ((value << shift) & mask));
}

struct World {
    UniqueGWorld g;
    World(int depth, Rect bounds, CTabHandle table = nullptr) {
        EXPECT_EQ(NewGWorld(g.out(), SInt16(depth), &bounds, table, nullptr, 0), noErr);
    }
    World(int depth, int width, int height, CTabHandle table = nullptr)
        : World(depth, MakeRect(0, 0, height, width), table) {}
    PixMap& pm() const { return **GetGWorldPixMap(g.get()); }
    const Rect& bounds() const { return pm().bounds; }
    UInt32 at(int h, int v) const { return Px(pm(), h, v); }
    void set(int h, int v, UInt32 value) { SetPx(pm(), h, v, value); }
    void fill(UInt32 value) {
        for (int v = bounds().top; v < bounds().bottom; ++v)
            for (int h = bounds().left; h < bounds().right; ++h) set(h, v, value);
    }
    // One row of values from the left edge.
    void row(int v, std::initializer_list<UInt32> values) {
        int h = bounds().left;
        for (UInt32 x : values) set(h++, v, x);
    }
    std::vector<UInt32> rowValues(int v) const {
        std::vector<UInt32> out;
        for (int h = bounds().left; h < bounds().right; ++h) out.push_back(at(h, v));
        return out;
    }
};

// Sets the current port's colours for the duration of a test and restores
// the current port afterwards.
struct PortColours {
    SavedGWorld saved;
    World port{32, 1, 1};
    PortColours(RGBColor fg, RGBColor bg, RGBColor op = {0, 0, 0}) {
        SetGWorld(port.g.get(), nullptr);
        port.g.get()->rgbFgColor = fg;
        port.g.get()->rgbBkColor = bg;
        port.g.get()->rgbOpColor = op;
    }
};

void Copy(const World& s, const World& d, Rect sr, Rect dr, SInt16 mode, RgnHandle rgn = nullptr) {
    CopyBits(&s.pm(), &d.pm(), &sr, &dr, mode, rgn);
}
void CopyAll(const World& s, const World& d, SInt16 mode) { Copy(s, d, s.bounds(), d.bounds(), mode); }

constexpr UInt32 kWhite = 0xFFFFFF, kBlack = 0x000000;

// ---- Transfer modes at each depth -------------------------------------------

struct ModeCase {
    SInt16 mode;
    UInt32 want;
};

TEST(CopyBits, BooleanModesOnIndexValues) {
    // Source and destination share the standard table, so the source index
    // reaches the operation unchanged.
    struct DepthCase {
        int depth;
        UInt32 s, d;
        UInt32 want[8];
    };
    const DepthCase cases[] = {
        {8, 0x35, 0x0F, {0x35, 0x3F, 0x3A, 0x0A, 0xCA, 0xCF, 0xC5, 0x05}},
        {4, 0x5, 0x3, {0x5, 0x7, 0x6, 0x2, 0xA, 0xB, 0x9, 0x1}},
        {2, 0x1, 0x2, {0x1, 0x3, 0x3, 0x2, 0x2, 0x2, 0x0, 0x0}},
        {1, 0x1, 0x0, {0x1, 0x1, 0x1, 0x0, 0x0, 0x0, 0x0, 0x0}},
        {1, 0x1, 0x1, {0x1, 0x1, 0x0, 0x0, 0x0, 0x1, 0x1, 0x1}},
    };
    for (const auto& c : cases)
        for (SInt16 mode = 0; mode < 8; ++mode) {
            World s(c.depth, 3, 1), d(c.depth, 3, 1);
            s.fill(c.s);
            d.fill(c.d);
            Copy(s, d, MakeRect(0, 1, 1, 2), MakeRect(0, 1, 1, 2), mode);
            EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>{c.d, c.want[mode], c.d}))
                << "depth " << c.depth << " mode " << mode;
        }
}

TEST(CopyBits, BooleanModesOnDirectPixelsInInkSpace) {
    const ModeCase cases[] = {
        {srcCopy, 0x00FF00},    {srcOr, 0x000000},     {srcXor, 0x0000FF},    {srcBic, 0xFF00FF},
        {notSrcCopy, 0xFF00FF}, {notSrcOr, 0xFF0000},  {notSrcXor, 0xFFFF00}, {notSrcBic, 0xFFFF00},
        {patXor, 0x00FF00},  // pattern modes copy
    };
    for (const auto& c : cases) {
        World s(32, 1, 1), d(32, 1, 1);
        s.fill(0x7700FF00);
        d.fill(0x55FF0000);
        CopyAll(s, d, c.mode);
        // Only a copy carries the source's pad byte.
        const UInt32 pad = (c.mode == srcCopy || c.mode == patXor) ? 0x77000000 : 0;
        EXPECT_EQ(d.at(0, 0), pad | c.want) << "mode " << c.mode;
    }
}

TEST(CopyBits, OneBitSourceDrawsInPortColours) {
    PortColours colours({0xFFFF, 0, 0}, {0, 0, 0xFFFF});
    World s(1, 4, 1);
    s.row(0, {1, 0, 1, 0});
    struct Case {
        SInt16 mode;
        std::vector<UInt32> want32, want8;
    };
    // Destination 0x123456 / index 0x23 (not red or blue): red is index 35 and
    // blue index 210 in the standard table.
    const UInt32 inv = 0xEDCBA9, d8 = 0x23;
    const Case cases[] = {
        {srcCopy, {0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF}, {35, 210, 35, 210}},
        {srcOr, {0xFF0000, 0x123456, 0xFF0000, 0x123456}, {35, d8, 35, d8}},
        {srcXor, {inv, 0x123456, inv, 0x123456}, {0xDC, d8, 0xDC, d8}},
        {srcBic, {0x0000FF, 0x123456, 0x0000FF, 0x123456}, {210, d8, 210, d8}},
        {notSrcCopy, {0x0000FF, 0xFF0000, 0x0000FF, 0xFF0000}, {210, 35, 210, 35}},
        {notSrcOr, {0x123456, 0xFF0000, 0x123456, 0xFF0000}, {d8, 35, d8, 35}},
        {transparent, {0xFF0000, 0x123456, 0xFF0000, 0x123456}, {35, d8, 35, d8}},
    };
    for (const auto& c : cases) {
        World d32(32, 4, 1), d8w(8, 4, 1);
        d32.fill(0x123456);
        d8w.fill(d8);
        CopyAll(s, d32, c.mode);
        CopyAll(s, d8w, c.mode);
        EXPECT_EQ(d32.rowValues(0), c.want32) << "mode " << c.mode;
        EXPECT_EQ(d8w.rowValues(0), c.want8) << "mode " << c.mode;
    }
}

TEST(CopyBits, ArithmeticModesOnDirectPixels) {
    struct Case {
        SInt16 mode;
        RGBColor op;
        UInt32 s, d, want;
    };
    const Case cases[] = {
        {blend, {0x8000, 0x8000, 0x8000}, kWhite, kBlack, 0x808080},
        {blend, {0x4000, 0x8000, 0xC000}, kWhite, kBlack, 0x4080C0},
        {blend, {0, 0, 0}, kWhite, 0x123456, 0x123456},
        {blend, {0xFFFF, 0xFFFF, 0xFFFF}, 0x123456, kWhite, 0x123456},
        {addPin, {0xFFFF, 0xFFFF, 0xFFFF}, 0x222222, 0xF01000, 0xFF3222},
        {addPin, {0x3000, 0xFFFF, 0xFFFF}, 0x222222, 0x202020, 0x304242},
        {subPin, {0, 0, 0}, 0x222222, 0xF01000, 0xCE0000},
        {subPin, {0x4000, 0, 0}, 0x222222, 0xF01000, 0xCE0000},
        {subPin, {0xD000, 0, 0}, 0x222222, 0xF01000, 0xD00000},
        {transparent, {0, 0, 0}, kWhite, 0x123456, 0x123456},
        {transparent, {0, 0, 0}, 0xFEFFFF, 0x123456, 0xFEFFFF},
    };
    for (const auto& c : cases) {
        PortColours colours({0, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}, c.op);
        World s(32, 1, 1), d(32, 1, 1);
        s.fill(c.s);
        d.fill(c.d);
        CopyAll(s, d, c.mode);
        EXPECT_EQ(d.at(0, 0), c.want) << "mode " << c.mode << " s " << std::hex << c.s;
    }
}

TEST(CopyBits, ArithmeticModesOnIndexedPixelsGoThroughColours) {
    struct Case {
        SInt16 mode;
        RGBColor op;
        UInt32 s, d, want;
    };
    const Case cases[] = {
        // White over black, half: 0x8000 grey, nearest 0x8888 (index 249).
        {blend, {0x8000, 0x8000, 0x8000}, 0, 255, 249},
        // Black 0x2222 steps: grey 0x2222 (index 253) + 0x2222 = 0x4444 (252).
        {addPin, {0xFFFF, 0xFFFF, 0xFFFF}, 253, 253, 252},
        // Red (35) minus 0x2222 grey: 0xDDDD red (216).
        {subPin, {0, 0, 0}, 253, 35, 216},
        {transparent, {0, 0, 0}, 0, 35, 35},
        {transparent, {0, 0, 0}, 5, 35, 5},
    };
    for (const auto& c : cases) {
        PortColours colours({0, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}, c.op);
        World s(8, 1, 1), d(8, 1, 1);
        s.fill(c.s);
        d.fill(c.d);
        CopyAll(s, d, c.mode);
        EXPECT_EQ(d.at(0, 0), c.want) << "mode " << c.mode;
    }
}

// ---- Depth conversions --------------------------------------------------------

TEST(CopyBits, DepthConversionsMapToNearestColour) {
    struct Case {
        int sDepth, dDepth;
        std::vector<UInt32> in, want;
    };
    const Case cases[] = {
        // Exact table colours and near ones (standard 256: red 35, white 0,
        // black 255, 0xEEEE red 215, blue 0x1111 is 244).
        {32, 8, {0xFF0000, 0xFE0101, kWhite, kBlack, 0xEE0000, 0x000011}, {35, 35, 0, 255, 215, 244}},
        {8, 32, {35, 0, 255, 215, 244, 1}, {0xFF0000, kWhite, kBlack, 0xEE0000, 0x000011, 0xFFFFCC}},
        {32, 1, {0x7F7F7F, 0x808080, kWhite, 0x102030}, {1, 0, 0, 1}},
        {8, 1, {0, 255, 249, 250}, {0, 1, 0, 1}},  // 0x8888 is white-side, 0x7777 black-side
        {8, 4, {0, 255}, {0, 15}},
        {4, 8, {0, 15}, {0, 255}},
        {4, 32, {0, 15}, {kWhite, kBlack}},
        {1, 32, {0, 1}, {kWhite, kBlack}},
        {1, 8, {0, 1}, {0, 255}},
    };
    for (const auto& c : cases) {
        const int n = int(c.in.size());
        World s(c.sDepth, n, 1), d(c.dDepth, n, 1);
        for (int i = 0; i < n; ++i) s.set(i, 0, c.in[size_t(i)]);
        CopyAll(s, d, srcCopy);
        EXPECT_EQ(d.rowValues(0), c.want) << c.sDepth << " -> " << c.dDepth;
    }
}

TEST(CopyBits, DeeperTablesMapByColourNotIndex) {
    // A 2-entry 8-bit table whose index 0 is black: the index is remapped.
    CTabHandle ct = NewColorTable(2);
    CTabEntries(ct)[0].rgb = {0, 0, 0};
    CTabEntries(ct)[1].rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    World s(8, 3, 1, ct), d(8, 3, 1);
    DisposeCTable(ct);
    s.row(0, {0, 1, 7});  // 7 is past the table: black
    CopyAll(s, d, srcCopy);
    EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>{255, 0, 255}));
}

TEST(CopyBits, PlainBitMapsWithoutATableUseTheStandardOne) {
    UInt8 bits[4] = {0xA0, 0, 0, 0};
    BitMap bm;
    bm.baseAddr = reinterpret_cast<Ptr>(bits);
    bm.rowBytes = 4;
    bm.bounds = MakeRect(0, 0, 1, 4);
    bm.isPixMap = false;
    World d(32, 4, 1), back(32, 4, 1);
    const Rect r = bm.bounds;
    CopyBits(&bm, &d.pm(), &r, &r, srcCopy, nullptr);
    EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>{kBlack, kWhite, kBlack, kWhite}));
    back.row(0, {kWhite, kBlack, kBlack, 0x202020});
    CopyBits(&back.pm(), &bm, &r, &r, srcCopy, nullptr);
    EXPECT_EQ(bits[0], 0x70);
}

// ---- Geometry -------------------------------------------------------------------

TEST(CopyBits, ScalingMapsPixelCentres) {
    struct Case {
        int srcWidth, dstWidth;
        std::vector<UInt32> want;  // source columns
    };
    const Case cases[] = {
        {3, 6, {0, 0, 1, 1, 2, 2}},
        {3, 9, {0, 0, 0, 1, 1, 1, 2, 2, 2}},
        {4, 2, {1, 3}},
        {3, 2, {0, 2}},
        {6, 4, {0, 2, 3, 5}},
        {2, 5, {0, 0, 1, 1, 1}},
        {5, 5, {0, 1, 2, 3, 4}},
    };
    for (int depth : {1, 4, 8, 32}) {
        for (const auto& c : cases) {
            // Each source column holds its own number (depth 1: low bit).
            const UInt32 m = depth == 32 ? 0xFFFFFF : (1u << depth) - 1;
            World s(depth, c.srcWidth, 1), d(depth, c.dstWidth, 1);
            for (int i = 0; i < c.srcWidth; ++i) s.set(i, 0, UInt32(i) & m);
            CopyAll(s, d, srcCopy);
            std::vector<UInt32> want;
            for (UInt32 w : c.want) want.push_back(w & m);
            EXPECT_EQ(d.rowValues(0), want) << "depth " << depth << " " << c.srcWidth << "->" << c.dstWidth;
        }
    }
}

TEST(CopyBits, ScalingRowsAndColumnsTogether) {
    World s(8, 2, 2), d(8, 4, 6);
    s.row(0, {1, 2});
    s.row(1, {3, 4});
    CopyAll(s, d, srcCopy);
    for (int v = 0; v < 6; ++v) {
        const UInt32 a = v < 3 ? 1 : 3;
        EXPECT_EQ(d.rowValues(v), (std::vector<UInt32>{a, a, a + 1, a + 1})) << v;
    }
}

TEST(CopyBits, NegativeOriginsAndRectanglesOutsideTheMaps) {
    World s(8, MakeRect(-10, -20, -6, -16));  // 4 x 4 at (-20, -10)
    World d(8, MakeRect(-3, -3, 1, 1));       // 4 x 4 at (-3, -3)
    for (int v = -10; v < -6; ++v)
        for (int h = -20; h < -16; ++h) s.set(h, v, UInt32((v + 10) * 4 + (h + 20) + 1));
    // Source rect sticks out above and left of the source; destination rect
    // sticks out below and right of the destination.
    Copy(s, d, MakeRect(-11, -21, -7, -17), MakeRect(-1, -1, 3, 3), srcCopy);
    // dst (-1,-1) <- src (-21,-11): outside; dst (h, v) <- src (h - 20, v - 10).
    for (int v = -3; v < 1; ++v)
        for (int h = -3; h < 1; ++h) {
            const bool drawn = v >= 0 && h >= 0;
            const UInt32 want = drawn ? UInt32((v - 10 + 10) * 4 + (h - 20 + 20) + 1) : 0;
            EXPECT_EQ(d.at(h, v), want) << h << "," << v;
        }
}

// ---- Clipping ---------------------------------------------------------------------

std::vector<std::string> Picture(const World& w, UInt32 on) {
    std::vector<std::string> rows;
    for (int v = w.bounds().top; v < w.bounds().bottom; ++v) {
        std::string r;
        for (int h = w.bounds().left; h < w.bounds().right; ++h) r += w.at(h, v) == on ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

TEST(CopyBits, RingShapedClipRegion) {
    World s(32, 8, 8), d(32, 8, 8);
    s.fill(kBlack);
    d.fill(kWhite);
    UniqueRgn ring, hole;
    SetRectRgn(ring, 1, 1, 7, 7);
    SetRectRgn(hole, 3, 3, 5, 5);
    DiffRgn(ring, hole, ring);
    Copy(s, d, s.bounds(), d.bounds(), srcCopy, ring);
    const std::vector<std::string> want = {"........", ".######.", ".######.", ".##..##.",
                                           ".##..##.", ".######.", ".######.", "........"};
    EXPECT_EQ(Picture(d, kBlack), want);
}

TEST(CopyBits, PortClipAndVisibleRegionsApplyToTheCurrentPort) {
    SavedGWorld saved;
    World s(8, 6, 6), d(8, 6, 6);
    s.fill(255);
    SetGWorld(d.g.get(), nullptr);
    SetRectRgn(d.g.get()->clipRgn, 0, 0, 4, 4);
    SetRectRgn(d.g.get()->visRgn, 2, 1, 6, 6);
    UniqueRgn mask;
    SetRectRgn(mask, 0, 0, 3, 6);
    CopyAll(s, d, srcCopy);
    Copy(s, d, s.bounds(), d.bounds(), srcCopy, mask);
    // clip (0,0)-(4,4) and vis (2,1)-(6,6): columns 2-3 of rows 1-3; the mask
    // region changes nothing more.
    const std::vector<std::string> want = {"......", "..##..", "..##..", "..##..", "......", "......"};
    EXPECT_EQ(Picture(d, 255), want);
}

struct BitsCall {
    int calls = 0;
    Rect src{}, dst{};
    SInt16 mode = -1;
    RgnHandle rgn = nullptr;
};
BitsCall gBitsCall;
void RecordBits(const BitMap*, const Rect* srcRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
    ++gBitsCall.calls;
    gBitsCall.src = *srcRect;
    gBitsCall.dst = *dstRect;
    gBitsCall.mode = mode;
    gBitsCall.rgn = maskRgn;
}

TEST(CopyBits, CurrentPortGoesThroughItsBitsBottleneck) {
    SavedGWorld saved;
    World s(8, 4, 4), d(8, 4, 4), other(8, 4, 4);
    s.fill(7);
    CQDProcs procs;
    procs.bitsProc = RecordBits;
    d.g.get()->grafProcs = &procs;
    SetGWorld(d.g.get(), nullptr);
    gBitsCall = {};
    UniqueRgn rgn;
    Copy(s, d, MakeRect(0, 0, 2, 2), MakeRect(1, 1, 3, 3), srcXor, rgn);
    EXPECT_EQ(gBitsCall.calls, 1);
    EXPECT_EQ(gBitsCall.dst.left, 1);
    EXPECT_EQ(gBitsCall.src.right, 2);
    EXPECT_EQ(gBitsCall.mode, srcXor);
    EXPECT_EQ(gBitsCall.rgn, rgn.get());
    EXPECT_EQ(d.at(1, 1), 0u);  // the procedure replaced the drawing
    // A map that is not the port's draws directly.
    CopyAll(s, other, srcCopy);
    EXPECT_EQ(gBitsCall.calls, 1);
    EXPECT_EQ(other.at(3, 3), 7u);
    d.g.get()->grafProcs = nullptr;
}

struct Recorder : PictureRecorder {
    int bitsCalls = 0;
    SInt16 mode = -1;
    bool drawnBefore = true;
    const World* dst = nullptr;
    void text(CGrafPtr, SInt16, const void*, Point, Point) override {}
    void line(CGrafPtr, Point, Point) override {}
    void rect(CGrafPtr, GrafVerb, const Rect*) override {}
    void rRect(CGrafPtr, GrafVerb, const Rect*, SInt16, SInt16) override {}
    void oval(CGrafPtr, GrafVerb, const Rect*) override {}
    void arc(CGrafPtr, GrafVerb, const Rect*, SInt16, SInt16) override {}
    void poly(CGrafPtr, GrafVerb, PolyHandle) override {}
    void rgn(CGrafPtr, GrafVerb, RgnHandle) override {}
    void bits(CGrafPtr, const BitMap*, const Rect*, const Rect*, SInt16 m, RgnHandle) override {
        ++bitsCalls;
        mode = m;
        drawnBefore = dst->at(0, 0) != 0;
    }
    void comment(CGrafPtr, SInt16, SInt16, Handle) override {}
};

TEST(CopyBits, StdBitsRecordsIntoAnOpenPictureThenDraws) {
    SavedGWorld saved;
    World s(8, 2, 2), d(8, 2, 2);
    s.fill(9);
    Recorder rec;
    rec.dst = &d;
    d.g.get()->picSave = &rec;
    SetGWorld(d.g.get(), nullptr);
    CopyAll(s, d, ditherCopy);
    EXPECT_EQ(rec.bitsCalls, 1);
    EXPECT_EQ(rec.mode, ditherCopy);
    EXPECT_FALSE(rec.drawnBefore);
    EXPECT_EQ(d.at(1, 1), 9u);
    d.g.get()->picSave = nullptr;
}

TEST(CopyBits, CopyOntoItselfReadsTheOldPixels) {
    for (int depth : {1, 8, 32}) {
        World w(depth, 6, 2);
        const UInt32 m = depth == 1 ? 1 : 0xFF;
        w.row(0, {1 & m, 2 & m, 3 & m, 4 & m, 5 & m, 6 & m});
        Copy(w, w, MakeRect(0, 0, 1, 5), MakeRect(0, 1, 1, 6), srcCopy);
        EXPECT_EQ(w.rowValues(0), (std::vector<UInt32>{1 & m, 1 & m, 2 & m, 3 & m, 4 & m, 5 & m})) << depth;
        // Down a row, then back left.
        Copy(w, w, MakeRect(0, 1, 1, 6), MakeRect(1, 0, 2, 5), srcCopy);
        EXPECT_EQ(w.rowValues(1), (std::vector<UInt32>{1 & m, 2 & m, 3 & m, 4 & m, 5 & m, 0})) << depth;
    }
}

TEST(CopyBits, EmptyOrInvalidArgumentsDrawNothing) {
    World s(8, 4, 4), d(8, 4, 4);
    s.fill(3);
    Copy(s, d, MakeRect(0, 0, 0, 4), d.bounds(), srcCopy);
    Copy(s, d, s.bounds(), MakeRect(2, 2, 2, 4), srcCopy);
    Copy(s, d, s.bounds(), MakeRect(10, 10, 14, 14), srcCopy);
    PixMap bad = s.pm();
    bad.pixelSize = 3;
    const Rect r = s.bounds();
    CopyBits(&bad, &d.pm(), &r, &r, srcCopy, nullptr);
    CopyBits(nullptr, &d.pm(), &r, &r, srcCopy, nullptr);
    CopyBits(&s.pm(), &d.pm(), nullptr, &r, srcCopy, nullptr);
    for (int v = 0; v < 4; ++v) EXPECT_EQ(d.rowValues(v), (std::vector<UInt32>(4, 0)));
}

TEST(CopyBits, ExtremeRectanglesStayInsideTheMaps) {
    World s(8, MakeRect(-2, -2, 2, 2)), d(8, MakeRect(-4, -4, 4, 4));
    s.fill(7);
    s.set(-2, -2, 1);
    s.set(1, 1, 2);
    // The whole coordinate range shrunk onto the destination: every
    // destination pixel samples far outside the small source.
    Copy(s, d, MakeRect(-32768, -32768, 32767, 32767), d.bounds(), srcCopy);
    EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>(8, 0)));
    // The source blown up to the whole range: the destination sits inside
    // the enormous copies of source pixels (-1, -1) and, from column 3, (0, -1).
    Copy(s, d, s.bounds(), MakeRect(-32768, -32768, 32767, 32767), srcCopy);
    EXPECT_EQ(d.rowValues(-4), (std::vector<UInt32>(8, 7)));
    Copy(s, d, s.bounds(), MakeRect(-32768, -32768, -1, -1), srcCopy);
    EXPECT_EQ(d.at(-4, -4), 2u);  // the bottom-right source pixel covers (-4,-4)
}

// ---- Dither, search procedures ---------------------------------------------

TEST(CopyBits, DitherDiffusesErrorOnAKnownInput) {
    World s(32, 4, 2), d(1, 4, 2), plain(1, 4, 2);
    s.fill(0x808080);
    CopyAll(s, d, ditherCopy);
    CopyAll(s, plain, srcCopy);
    // 128 -> white (error -127), 73 -> black, 159 -> white, 86 -> black; the
    // second row starts from the diffused errors -26, -3, -10, +20.
    EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>{0, 1, 0, 1}));
    EXPECT_EQ(d.rowValues(1), (std::vector<UInt32>{1, 0, 1, 0}));
    EXPECT_EQ(plain.rowValues(0), (std::vector<UInt32>(4, 0)));
    // Onto a direct map dithering is a copy.
    World d32(32, 4, 2);
    CopyAll(s, d32, ditherCopy);
    EXPECT_EQ(d32.at(3, 1), 0x808080u);
}

TEST(CopyBits, DitherOfTableColoursIsACopy) {
    World s(8, 16, 1), d(8, 16, 1), d4(4, 16, 1);
    for (int i = 0; i < 16; ++i) s.set(i, 0, UInt32(i * 17));
    CopyAll(s, d, ditherCopy);
    EXPECT_EQ(d.rowValues(0), s.rowValues(0));
    World s4(4, 16, 1);
    for (int i = 0; i < 16; ++i) s4.set(i, 0, UInt32(i));
    CopyAll(s4, d4, ditherCopy);
    EXPECT_EQ(d4.rowValues(0), s4.rowValues(0));
}

Boolean NonWhiteIsSet(RGBColor* c, SInt32* position) {
    *position = (c->red == 0xFFFF && c->green == 0xFFFF && c->blue == 0xFFFF) ? 0 : 1;
    return true;
}
Boolean RedOnly(RGBColor* c, SInt32* position) {
    if (c->red != 0xFFFF || c->green != 0 || c->blue != 0) return false;
    *position = 5;
    return true;
}

TEST(CopyBits, SearchProceduresDecideTheIndex) {
    World s32(32, 3, 1), s8(8, 2, 1);
    s32.row(0, {0xFEFEFE, kWhite, kBlack});
    s8.row(0, {1, 0});  // 0xFFFFCC, white
    World a(1, 3, 1), b(1, 2, 1);
    CopyAll(s32, a, srcCopy);
    CopyAll(s8, b, srcCopy);
    EXPECT_EQ(a.rowValues(0), (std::vector<UInt32>{0, 0, 1}));
    EXPECT_EQ(b.rowValues(0), (std::vector<UInt32>{0, 0}));
    AddSearch(NonWhiteIsSet);
    CopyAll(s32, a, srcCopy);
    CopyAll(s8, b, srcCopy);
    DelSearch(NonWhiteIsSet);
    EXPECT_EQ(a.rowValues(0), (std::vector<UInt32>{1, 0, 1}));
    EXPECT_EQ(b.rowValues(0), (std::vector<UInt32>{1, 0}));
    // A procedure that passes leaves the colour to the nearest lookup.
    World s(32, 2, 1), d(8, 2, 1);
    s.row(0, {0xFF0000, 0xFE0000});
    AddSearch(RedOnly);
    CopyAll(s, d, srcCopy);
    DelSearch(RedOnly);
    EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>{5, 35}));
}

// ---- Masks ------------------------------------------------------------------

TEST(CopyBits, CopyMaskScalesTheMaskWithTheSource) {
    World s(8, 2, 2), m(1, 2, 2), d(8, 4, 4);
    s.row(0, {1, 2});
    s.row(1, {3, 4});
    m.row(0, {1, 0});
    m.row(1, {0, 1});
    d.fill(9);
    const Rect sr = s.bounds(), mr = m.bounds(), dr = d.bounds();
    CopyMask(&s.pm(), &m.pm(), &d.pm(), &sr, &mr, &dr);
    EXPECT_EQ(d.rowValues(0), (std::vector<UInt32>{1, 1, 9, 9}));
    EXPECT_EQ(d.rowValues(1), (std::vector<UInt32>{1, 1, 9, 9}));
    EXPECT_EQ(d.rowValues(2), (std::vector<UInt32>{9, 9, 4, 4}));
    EXPECT_EQ(d.rowValues(3), (std::vector<UInt32>{9, 9, 4, 4}));
}

TEST(CopyBits, DeepMasksWeighByTheirColour) {
    CTabHandle grey = GetCTable(40);  // 8-bit grey, white first, black last
    ASSERT_NE(grey, nullptr);
    World m8(8, 3, 1, grey);
    DisposeCTable(grey);
    m8.row(0, {0, 255, 128});
    World m32(32, 3, 1);
    m32.row(0, {0x00FFFF, 0x000000, 0xFFFFFF});
    World s(32, 3, 1), d(32, 3, 1), s8(8, 3, 1), d8(8, 3, 1);
    s.fill(kWhite);
    s8.fill(0);
    struct Case {
        const World* mask;
        const World* src;
        const World* dst;
        UInt32 dstFill;
        SInt16 mode;
        std::vector<UInt32> want;
    };
    const Case cases[] = {
        {&m8, &s, &d, kBlack, srcCopy, {kBlack, kWhite, 0x808080}},
        {&m32, &s, &d, kBlack, srcCopy, {0xFF0000, kWhite, kBlack}},
        // Grey 0x8080 in an 8-bit table: nearest 0x8888 (249).
        {&m8, &s8, &d8, 255, srcCopy, {255, 0, 249}},
        // xor of white keeps black; the mask then blends unchanged pixels.
        {&m8, &s, &d, kBlack, srcXor, {kBlack, kBlack, kBlack}},
        {&m8, &s, &d, kBlack, notSrcCopy, {kBlack, kBlack, kBlack}},
    };
    for (const auto& c : cases) {
        const_cast<World*>(c.dst)->fill(c.dstFill);
        const Rect r = c.src->bounds();
        CopyDeepMask(&c.src->pm(), &c.mask->pm(), &c.dst->pm(), &r, &r, &r, c.mode, nullptr);
        EXPECT_EQ(c.dst->rowValues(0), c.want) << "mode " << c.mode << " mask depth " << c.mask->pm().pixelSize;
    }
}

TEST(CopyBits, SafeCopyDeepMaskShiftsTheLeftEdge) {
    World s(32, 12, 1), m(1, 12, 1), d(32, 12, 1);
    for (int i = 0; i < 12; ++i) s.set(i, 0, UInt32(i + 1) * 0x010101);
    m.fill(1);
    auto run = [&](Rect sr, Rect dr, RgnHandle rgn, bool safe) {
        d.fill(kWhite);
        if (safe)
            SafeCopyDeepMask(&s.pm(), &m.pm(), &d.pm(), &sr, &sr, &dr, srcCopy, rgn);
        else
            CopyDeepMask(&s.pm(), &m.pm(), &d.pm(), &sr, &sr, &dr, srcCopy, rgn);
        return d.rowValues(0);
    };
    const UInt32 W = kWhite;
    auto c = [](int i) { return UInt32(i + 1) * 0x010101; };
    // Destination left 5: remainder 1. The requested pixels are all drawn,
    // each from its own source pixel, nothing else changes.
    const std::vector<UInt32> plain = {W, W, W, W, W, c(2), c(3), c(4), c(5), W, W, W};
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), nullptr, true), plain);
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), nullptr, false), plain);
    // With the caller's region wider on the left, the column uncovered by the
    // shift shows the source pixel left of the source rectangle.
    UniqueRgn wide;
    SetRectRgn(wide, 0, 0, 12, 1);
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), wide, true),
              (std::vector<UInt32>{W, W, W, W, c(1), c(2), c(3), c(4), c(5), W, W, W}));
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), wide, false), plain);
    // Remainder 3 on a map whose bounds start at -1: left 2 is 3 from the edge.
    World dn(32, MakeRect(0, -1, 1, 11));
    dn.fill(kWhite);
    const Rect sr = MakeRect(0, 4, 1, 7), dr = MakeRect(0, 2, 1, 5);
    SafeCopyDeepMask(&s.pm(), &m.pm(), &dn.pm(), &sr, &sr, &dr, srcCopy, wide);
    EXPECT_EQ(dn.rowValues(0), (std::vector<UInt32>{W, c(2), c(3), c(4), c(5), c(6), W, W, W, W, W, W}));
}

// ---- Reference: every path against a plain per-pixel implementation ---------

struct RefJob {
    const PixMap* src;
    const PixMap* mask;
    const PixMap* dst;
    Rect sr, mr, dr;
    SInt16 mode;
    RgnHandle rgn;
    RGBColor fg, bg, op;
};

int RefMap(int x, const Rect& d, const Rect& s, bool vertical) {
    const int dl = vertical ? d.top : d.left, dn = vertical ? RectHeight(d) : RectWidth(d);
    const int sl = vertical ? s.top : s.left, sn = vertical ? RectHeight(s) : RectWidth(s);
    return sl + int(((2 * SInt64(x - dl) + 1) * sn) / (2 * SInt64(dn)));
}

bool Inside(const PixMap& pm, int h, int v) {
    return h >= pm.bounds.left && h < pm.bounds.right && v >= pm.bounds.top && v < pm.bounds.bottom;
}

RGBColor RefColour(const PixMap& pm, UInt32 value) {
    if (pm.pixelSize == 32) return xfer::RGBFrom24(value);
    if (int(value) < CTabCount(pm.pmTable)) return CTabEntries(pm.pmTable)[value].rgb;
    return {0, 0, 0};
}

UInt32 RefIndex(const PixMap& dst, const RGBColor& c) {
    const UInt32 m = (1u << dst.pixelSize) - 1;
    SInt32 pos = 0;
    if (RunColorSearch(c, &pos)) return UInt32(pos) & m;
    return UInt32(NearestColorIndex(dst.pmTable, c)) & m;
}

UInt32 RefValue(const PixMap& dst, const RGBColor& c) {
    return dst.pixelSize == 32 ? xfer::RGBTo24(c) : RefIndex(dst, c);
}

void RefCopy(const RefJob& j) {
    const PixMap& dst = *j.dst;
    const bool indexed = dst.pixelSize <= 8;
    const UInt32 dmask = indexed ? (1u << dst.pixelSize) - 1 : 0xFFFFFF;
    const bool oneBit = j.src->pixelSize == 1;
    const bool dither = j.mode == ditherCopy && indexed;
    const int width = RectWidth(j.dr);
    std::vector<int> err((size_t(width) + 2) * 3, 0), next(err.size(), 0);
    for (int v = j.dr.top; v < j.dr.bottom; ++v) {
        std::fill(next.begin(), next.end(), 0);
        for (int h = j.dr.left; h < j.dr.right; ++h) {
            const int sh = RefMap(h, j.dr, j.sr, false), sv = RefMap(v, j.dr, j.sr, true);
            if (!Inside(dst, h, v) || !Inside(*j.src, sh, sv)) continue;
            if (j.rgn && !PtInRgn(Point{SInt16(v), SInt16(h)}, j.rgn)) continue;
            RGBColor w{0xFFFF, 0xFFFF, 0xFFFF};
            if (j.mask) {
                const int mh = RefMap(h, j.dr, j.mr, false), mv = RefMap(v, j.dr, j.mr, true);
                if (!Inside(*j.mask, mh, mv)) continue;
                const UInt32 mval = Px(*j.mask, mh, mv);
                if (j.mask->pixelSize == 1) {
                    if (!mval) continue;
                } else {
                    const RGBColor mc = RefColour(*j.mask, mval);
                    w = {UInt16(0xFFFF - mc.red), UInt16(0xFFFF - mc.green), UInt16(0xFFFF - mc.blue)};
                    if ((w.red | w.green | w.blue) == 0) continue;
                }
            }
            const bool partial = (w.red & w.green & w.blue) != 0xFFFF;
            const UInt32 s = Px(*j.src, sh, sv), d = Px(dst, h, v);
            const RGBColor S = oneBit ? (s ? j.fg : j.bg) : RefColour(*j.src, s);
            const RGBColor D = RefColour(dst, d);
            auto mix = [&](const RGBColor& a) {
                return RGBColor{xfer::BlendComponent(a.red, D.red, w.red), xfer::BlendComponent(a.green, D.green, w.green),
                                xfer::BlendComponent(a.blue, D.blue, w.blue)};
            };
            if (dither) {
                const RGBColor t = partial ? mix(S) : S;
                const size_t e = size_t(h - j.dr.left + 1) * 3;
                int val[3] = {t.red >> 8, t.green >> 8, t.blue >> 8};
                for (int c = 0; c < 3; ++c) val[c] = std::clamp(val[c] + err[e + size_t(c)], 0, 255);
                const UInt32 idx = RefIndex(dst, RGBColor{UInt16(val[0] * 257), UInt16(val[1] * 257), UInt16(val[2] * 257)});
                SetPx(dst, h, v, idx);
                const RGBColor q = RefColour(dst, idx);
                const int qv[3] = {q.red >> 8, q.green >> 8, q.blue >> 8};
                for (int c = 0; c < 3; ++c) {
                    const int x = val[c] - qv[c];
                    err[e + 3 + size_t(c)] += x * 7 / 16;
                    next[e - 3 + size_t(c)] += x * 3 / 16;
                    next[e + size_t(c)] += x * 5 / 16;
                    next[e + 3 + size_t(c)] += x / 16;
                }
                continue;
            }
            UInt32 out = 0;
            bool pad = false;
            const auto arith = xfer::ArithmeticOpFor(j.mode);
            if (arith) {
                out = RefValue(dst, xfer::ApplyArithmetic(arith, S, D, j.op));
            } else {
                SInt16 mode = (j.mode >= 0 && j.mode <= 7) ? j.mode : SInt16(srcCopy);
                if (j.mode == transparent) {
                    const bool keep = j.src->pixelSize == 32 ? (s & 0xFFFFFF) == xfer::RGBTo24(j.bg) : S == j.bg;
                    if (keep) continue;
                }
                if (oneBit) {
                    const auto a = xfer::OneBitAction(mode, s != 0);
                    if (a == xfer::BitAction::Keep) continue;
                    out = a == xfer::BitAction::Fore   ? RefValue(dst, j.fg)
                          : a == xfer::BitAction::Back ? RefValue(dst, j.bg)
                                                       : ~d & dmask;
                } else if (indexed) {
                    out = xfer::IndexOpFor(mode)(RefIndex(dst, S), d, dmask);
                } else if (mode == srcCopy && j.src->pixelSize == 32) {
                    out = s;
                    pad = true;
                } else {
                    out = xfer::DirectOpFor(mode)(xfer::RGBTo24(S), d);
                }
            }
            if (partial) {
                out = RefValue(dst, mix(RefColour(dst, out & dmask)));
                pad = false;
            }
            SetPx(dst, h, v, pad ? out : out & dmask);
        }
        std::swap(err, next);
    }
}

CTabHandle RandomTable(std::mt19937& rng, int entries) {
    CTabHandle ct = NewColorTable(entries);
    for (int i = 0; i < entries; ++i)
        CTabEntries(ct)[i].rgb = {UInt16(rng()), UInt16(rng()), UInt16(rng())};
    return ct;
}

Boolean OddRedIsOne(RGBColor* c, SInt32* position) {
    if (!(c->red & 0x100)) return false;
    *position = 1;
    return true;
}

TEST(CopyBits, MatchesPerPixelReferenceOnRandomInputs) {
    std::mt19937 rng(1234);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const int depths[] = {1, 2, 4, 8, 32};
    const SInt16 modes[] = {srcCopy, srcOr,  srcXor,      srcBic,     notSrcCopy, notSrcOr, notSrcXor, notSrcBic,
                            blend,   addPin, subPin,      transparent, ditherCopy, patOr,   99};
    SavedGWorld saved;
    World port(32, 1, 1);
    SetGWorld(port.g.get(), nullptr);
    int failures = 0;
    for (int iter = 0; iter < 2500 && failures < 5; ++iter) {
        // Every 25th case is large enough for the paths kept for big copies;
        // every 50th is a direct blend.
        const bool big = iter % 25 == 0, bigBlend = iter % 50 == 0;
        const int sd = bigBlend ? 32 : depths[pick(5)], dd = bigBlend ? 32 : depths[pick(5)];
        auto table = [&](int depth) -> CTabHandle {
            return depth <= 8 && pick(4) == 0 ? RandomTable(rng, 1 + pick(1 << depth)) : nullptr;
        };
        auto bounds = [&] {
            const int l = pick(17) - 8, t = pick(17) - 8;
            return big ? MakeRect(t, l, t + 64 + pick(8), l + 96 + pick(8))
                       : MakeRect(t, l, t + 1 + pick(20), l + 1 + pick(40));
        };
        CTabHandle st = table(sd), dt = table(dd);
        // Every 7th case copies a whole map onto one of the same size.
        const bool whole = iter % 7 == 0;
        const Rect sb = bounds();
        Rect db = bounds();
        if (whole) db = MakeRect(db.top, db.left, db.top + RectHeight(sb), db.left + RectWidth(sb));
        World s(sd, sb, st), d(dd, db, dt), ref(dd, db, dt);
        DisposeCTable(st);
        DisposeCTable(dt);
        for (int v = s.bounds().top; v < s.bounds().bottom; ++v)
            for (int h = s.bounds().left; h < s.bounds().right; ++h) s.set(h, v, rng());
        for (int v = d.bounds().top; v < d.bounds().bottom; ++v)
            for (int h = d.bounds().left; h < d.bounds().right; ++h) {
                const UInt32 x = rng();
                d.set(h, v, x);
                ref.set(h, v, x);
            }
        auto around = [&](const Rect& b) {
            const int l = b.left - 3 + pick(RectWidth(b) + 3), t = b.top - 3 + pick(RectHeight(b) + 3);
            return MakeRect(t, l, t + 1 + pick(RectHeight(b) + 4), l + 1 + pick(RectWidth(b) + 4));
        };
        const Rect sr = bigBlend || whole ? s.bounds() : around(s.bounds());
        Rect dr = bigBlend || whole ? d.bounds() : around(d.bounds());
        if (pick(2)) dr = MakeRect(dr.top, dr.left, dr.top + RectHeight(sr), dr.left + RectWidth(sr));
        const SInt16 mode = bigBlend ? SInt16(blend) : modes[pick(int(std::size(modes)))];

        std::optional<World> mask;
        Rect mr = sr;
        if (!bigBlend && pick(3) == 0) {
            const int md = std::array{1, 8, 32}[size_t(pick(3))];
            CTabHandle grey = md == 8 && pick(2) ? GetCTable(40) : nullptr;
            mask.emplace(md, s.bounds(), grey);
            DisposeCTable(grey);
            for (int v = s.bounds().top; v < s.bounds().bottom; ++v)
                for (int h = s.bounds().left; h < s.bounds().right; ++h) {
                    const UInt32 x = rng();
                    mask->set(h, v, pick(3) == 0 ? 0 : pick(2) ? 0xFFFFFFFF : x);
                }
            if (pick(3) == 0) mr = around(s.bounds());
        }
        UniqueRgn rgn;
        const bool useRgn = pick(3) == 0;
        if (useRgn) {
            const Rect a = around(d.bounds()), b = around(d.bounds());
            UniqueRgn hole;
            RectRgn(rgn, &a);
            RectRgn(hole, &b);
            if (pick(2))
                DiffRgn(rgn, hole, rgn);
            else
                UnionRgn(rgn, hole, rgn);
        }
        port.g.get()->rgbFgColor = {UInt16(rng()), UInt16(rng()), UInt16(rng())};
        port.g.get()->rgbBkColor = pick(2) ? RGBColor{0xFFFF, 0xFFFF, 0xFFFF} : RGBColor{UInt16(rng()), UInt16(rng()), UInt16(rng())};
        port.g.get()->rgbOpColor = {UInt16(rng()), UInt16(rng()), UInt16(rng())};
        if (pick(3) == 0) port.g.get()->rgbFgColor = {0, 0, 0};
        const bool search = pick(8) == 0;
        if (search) AddSearch(OddRedIsOne);

        RgnHandle r = useRgn ? rgn.get() : nullptr;
        if (mask)
            CopyDeepMask(&s.pm(), &mask->pm(), &d.pm(), &sr, &mr, &dr, mode, r);
        else
            CopyBits(&s.pm(), &d.pm(), &sr, &dr, mode, r);
        RefCopy(RefJob{&s.pm(), mask ? &mask->pm() : nullptr, &ref.pm(), sr, mr, dr, mode, r,
                       port.g.get()->rgbFgColor, port.g.get()->rgbBkColor, port.g.get()->rgbOpColor});
        if (search) DelSearch(OddRedIsOne);

        bool same = true;
        for (int v = d.bounds().top; v < d.bounds().bottom && same; ++v) same = d.rowValues(v) == ref.rowValues(v);
        if (!same) {
            ++failures;
            ADD_FAILURE() << "iteration " << iter << ": depth " << sd << " -> " << dd << ", mode " << mode
                          << ", mask " << (mask ? mask->pm().pixelSize : 0) << ", region " << useRgn
                          << ", search " << search << ", src " << RectWidth(sr) << "x" << RectHeight(sr) << " dst "
                          << RectWidth(dr) << "x" << RectHeight(dr);
        }
    }
}

}  // namespace
