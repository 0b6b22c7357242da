// What the per-pixel reference (CopyBitsReference_test) does not model: the
// current port's regions (its bottleneck: GrafProcs_test), plain bit maps,
// copies onto themselves, unusable arguments, the extremes of the coordinate
// range, the dither's own error diffusion and SafeCopyDeepMask's edge shift.
#include "platform/raster/CopyBits.h"

#include "platform/raster/Regions.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pixelart;

namespace {

using Values = std::vector<UInt32>;
constexpr UInt32 kWhite24 = 0xFFFFFF, kBlack24 = 0x000000;

void Copy(const World& s, const World& d, Rect sr, Rect dr, SInt16 mode, RgnHandle rgn = nullptr) {
    CopyBits(&s.pm(), &d.pm(), &sr, &dr, mode, rgn);
}
void CopyAll(const World& s, const World& d, SInt16 mode) { Copy(s, d, s.bounds(), d.bounds(), mode); }

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
    EXPECT_EQ(d.rowValues(0), (Values{kBlack24, kWhite24, kBlack24, kWhite24}));
    back.row(0, {kWhite24, kBlack24, kBlack24, 0x202020});
    CopyBits(&back.pm(), &bm, &r, &r, srcCopy, nullptr);
    EXPECT_EQ(bits[0], 0x70);
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
    for (int v = 0; v < 6; ++v) {
        const UInt32 k = v >= 1 && v <= 3 ? 255 : 0;
        EXPECT_EQ(d.rowValues(v), (Values{0, 0, k, k, 0, 0})) << v;
    }
}

TEST(CopyBits, CopyOntoItselfReadsTheOldPixels) {
    for (int depth : {1, 8, 32}) {
        World w(depth, 6, 2);
        const UInt32 m = depth == 1 ? 1 : 0xFF;
        w.row(0, {1 & m, 2 & m, 3 & m, 4 & m, 5 & m, 6 & m});
        Copy(w, w, MakeRect(0, 0, 1, 5), MakeRect(0, 1, 1, 6), srcCopy);
        EXPECT_EQ(w.rowValues(0), (Values{1 & m, 1 & m, 2 & m, 3 & m, 4 & m, 5 & m})) << depth;
        // Down a row, then back left.
        Copy(w, w, MakeRect(0, 1, 1, 6), MakeRect(1, 0, 2, 5), srcCopy);
        EXPECT_EQ(w.rowValues(1), (Values{1 & m, 2 & m, 3 & m, 4 & m, 5 & m, 0})) << depth;
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
    for (int v = 0; v < 4; ++v) EXPECT_EQ(d.rowValues(v), Values(4, 0));
}

TEST(CopyBits, ExtremeRectanglesStayInsideTheMaps) {
    World s(8, MakeRect(-2, -2, 2, 2)), d(8, MakeRect(-4, -4, 4, 4));
    s.fill(7);
    s.set(-2, -2, 1);
    s.set(1, 1, 2);
    // The whole coordinate range shrunk onto the destination: every
    // destination pixel samples far outside the small source.
    Copy(s, d, MakeRect(-32768, -32768, 32767, 32767), d.bounds(), srcCopy);
    EXPECT_EQ(d.rowValues(0), Values(8, 0));
    // The source blown up to the whole range: the destination sits inside
    // the enormous copies of source pixels (-1, -1) and, from column 3, (0, -1).
    Copy(s, d, s.bounds(), MakeRect(-32768, -32768, 32767, 32767), srcCopy);
    EXPECT_EQ(d.rowValues(-4), Values(8, 7));
    Copy(s, d, s.bounds(), MakeRect(-32768, -32768, -1, -1), srcCopy);
    EXPECT_EQ(d.at(-4, -4), 2u);  // the bottom-right source pixel covers (-4,-4)
}

// Worked by hand, so the reference's own dither is pinned too.
TEST(CopyBits, DitherDiffusesErrorOnAKnownInput) {
    World s(32, 4, 2), d(1, 4, 2);
    s.fill(0x808080);
    CopyAll(s, d, ditherCopy);
    // 128 -> white (error -127), 73 -> black, 159 -> white, 86 -> black; the
    // second row starts from the diffused errors -26, -3, -10, +20.
    EXPECT_EQ(d.rowValues(0), (Values{0, 1, 0, 1}));
    EXPECT_EQ(d.rowValues(1), (Values{1, 0, 1, 0}));
}

TEST(CopyBits, SafeCopyDeepMaskShiftsTheLeftEdge) {
    World s(32, 12, 1), m(1, 12, 1), d(32, 12, 1);
    for (int i = 0; i < 12; ++i) s.set(i, 0, UInt32(i + 1) * 0x010101);
    m.fill(1);
    auto run = [&](Rect sr, Rect dr, RgnHandle rgn, bool safe) {
        d.fill(kWhite24);
        (safe ? SafeCopyDeepMask : CopyDeepMask)(&s.pm(), &m.pm(), &d.pm(), &sr, &sr, &dr, srcCopy, rgn);
        return d.rowValues(0);
    };
    const UInt32 W = kWhite24;
    auto c = [](int i) { return UInt32(i + 1) * 0x010101; };
    // Destination left 5: remainder 1. The requested pixels are all drawn,
    // each from its own source pixel, nothing else changes.
    const Values plain = {W, W, W, W, W, c(2), c(3), c(4), c(5), W, W, W};
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), nullptr, true), plain);
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), nullptr, false), plain);
    // With the caller's region wider on the left, the column uncovered by the
    // shift shows the source pixel left of the source rectangle.
    UniqueRgn wide;
    SetRectRgn(wide, 0, 0, 12, 1);
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), wide, true),
              (Values{W, W, W, W, c(1), c(2), c(3), c(4), c(5), W, W, W}));
    EXPECT_EQ(run(MakeRect(0, 2, 1, 6), MakeRect(0, 5, 1, 9), wide, false), plain);
    // Remainder 3 on a map whose bounds start at -1: left 2 is 3 from the edge.
    World dn(32, MakeRect(0, -1, 1, 11));
    dn.fill(kWhite24);
    const Rect sr = MakeRect(0, 4, 1, 7), dr = MakeRect(0, 2, 1, 5);
    SafeCopyDeepMask(&s.pm(), &m.pm(), &dn.pm(), &sr, &sr, &dr, srcCopy, wide);
    EXPECT_EQ(dn.rowValues(0), (Values{W, c(2), c(3), c(4), c(5), c(6), W, W, W, W, W, W}));
}

}  // namespace
