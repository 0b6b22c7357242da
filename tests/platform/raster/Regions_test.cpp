#include "platform/raster/Regions.h"

#include "tests/platform/raster/RegionModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace rgnmodel;

namespace {

// Horizontal then vertical erosion (d > 0) or dilation (d < 0), pixel by pixel.
PixelSet ModelInset(const PixelSet& s, int dh, int dv) {
    auto pass = [](const PixelSet& in, int d, bool horizontal) {
        if (d == 0) return in;
        PixelSet out;
        auto at = [&](int h, int v, int k) { return horizontal ? Pixel{h + k, v} : Pixel{h, v + k}; };
        if (d > 0) {
            for (const Pixel& p : in) {
                bool all = true;
                for (int k = -d; k <= d && all; ++k) all = in.count(at(p.first, p.second, k)) != 0;
                if (all) out.insert(p);
            }
        } else {
            for (const Pixel& p : in)
                for (int k = d; k <= -d; ++k) out.insert(at(p.first, p.second, k));
        }
        return out;
    };
    return pass(pass(s, dh, true), dv, false);
}

// An L: a column three wide from row 0, and a foot eight wide in rows 3-5.
const std::vector<std::string> kL = {
    "###.....",
    "###.....",
    "###.....",
    "########",
    "########",
    "########",
};

}  // namespace

TEST(Regions, SetOperationsMatchPixelModel) {
    std::mt19937 rng(1234);
    for (int iter = 0; iter < 300; ++iter) {
        PixelSet ma, mb;
        UniqueRgn a = RandomRegion(rng, 1 + iter % 5, -12, 28, &ma);
        UniqueRgn b = RandomRegion(rng, 1 + iter % 4, -12, 28, &mb);
        ASSERT_TRUE(WellFormed(a));
        ASSERT_EQ(PixelsOf(a), ma);

        PixelSet mu, ms, md, mx;
        std::set_union(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(mu, mu.end()));
        std::set_intersection(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(ms, ms.end()));
        std::set_difference(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(md, md.end()));
        std::set_symmetric_difference(ma.begin(), ma.end(), mb.begin(), mb.end(), std::inserter(mx, mx.end()));

        struct Op {
            void (*fn)(RgnHandle, RgnHandle, RgnHandle);
            const PixelSet* expect;
            const char* name;
        };
        const Op ops[] = {{UnionRgn, &mu, "union"}, {SectRgn, &ms, "sect"}, {DiffRgn, &md, "diff"},
                          {XorRgn, &mx, "xor"}};
        for (const Op& op : ops) {
            UniqueRgn out;
            op.fn(a, b, out);
            ASSERT_TRUE(WellFormed(out)) << op.name;
            ASSERT_EQ(PixelsOf(out), *op.expect) << op.name << " iteration " << iter;
            // The result may be either operand.
            UniqueRgn a2, b2;
            CopyRgn(a, a2);
            CopyRgn(b, b2);
            op.fn(a2, b, a2);
            ASSERT_EQ(PixelsOf(a2), *op.expect) << op.name << " into first operand";
            op.fn(a, b2, b2);
            ASSERT_EQ(PixelsOf(b2), *op.expect) << op.name << " into second operand";
        }
        // A region and its pixel-by-pixel twin are equal; one pixel more is not.
        UniqueRgn twin = RegionOfPixels(mu);
        UniqueRgn u;
        UnionRgn(a, b, u);
        ASSERT_TRUE(EqualRgn(u, twin));
        PixelSet plus = mu;
        plus.insert({40, 40});
        UniqueRgn other = RegionOfPixels(plus);
        ASSERT_FALSE(EqualRgn(u, other));
    }
}

TEST(Regions, QueriesMatchPixelModel) {
    std::mt19937 rng(99);
    for (int iter = 0; iter < 100; ++iter) {
        PixelSet m;
        UniqueRgn r = RandomRegion(rng, 1 + iter % 4, -5, 15, &m);
        for (int v = -7; v < 18; ++v)
            for (int h = -7; h < 18; ++h)
                ASSERT_EQ(PtInRgn(Point{SInt16(v), SInt16(h)}, r), m.count({h, v}) != 0) << h << "," << v;
        for (int k = 0; k < 40; ++k) {
            Rect q = RandomRect(rng, -7, 18);
            bool meets = false;
            for (const Pixel& p : m) meets = meets || PtInRect(Point{SInt16(p.second), SInt16(p.first)}, &q);
            ASSERT_EQ(RectInRgn(&q, r), meets);
        }
        Rect bounds = BoundsOf(r);
        if (m.empty()) {
            EXPECT_EQ(bounds, Rect{});
            EXPECT_TRUE(EmptyRgn(r));
            continue;
        }
        int l = 1 << 20, t = 1 << 20, rt = -(1 << 20), b = -(1 << 20);
        for (const Pixel& p : m) {
            l = std::min(l, p.first);
            rt = std::max(rt, p.first + 1);
            t = std::min(t, p.second);
            b = std::max(b, p.second + 1);
        }
        ASSERT_EQ(bounds, MakeRect(t, l, b, rt));
        ASSERT_FALSE(EmptyRgn(r));
        ASSERT_EQ(IsRegionRectangular(r), m.size() == size_t((b - t) * (rt - l)));
    }
}

TEST(Regions, EmptyRegionsAreEqualWhateverMadeThem) {
    UniqueRgn fresh;
    UniqueRgn fromEmptyRect = RectRegion(5, 5, 5, 10);
    UniqueRgn inverted = RectRegion(10, 10, 0, 0);
    UniqueRgn a = RectRegion(0, 0, 4, 4), b = RectRegion(10, 10, 14, 14), apart;
    SectRgn(a, b, apart);
    UniqueRgn self;
    DiffRgn(a, a, self);
    for (RgnHandle r : {fromEmptyRect.get(), inverted.get(), apart.get(), self.get()}) {
        EXPECT_TRUE(EmptyRgn(r));
        EXPECT_TRUE(EqualRgn(r, fresh));
        EXPECT_EQ(BoundsOf(r), Rect{});
        EXPECT_TRUE(IsRegionRectangular(r));
        EXPECT_TRUE(RegionRects(r).empty());
    }
    Rect emptyRect = MakeRect(2, 2, 2, 3);
    EXPECT_FALSE(RectInRgn(&emptyRect, a));
}

// Bounds are 16-bit: every result stays inside -32767..32767.
TEST(Regions, ResultsClampToCoordinateRange) {
    UniqueRgn all;
    SetRectRgn(all, -32768, -32768, 32767, 32767);
    EXPECT_EQ(BoundsOf(all), MakeRect(-32767, -32767, 32767, 32767));

    UniqueRgn r = RectRegion(0, 32000, 10, 32700);
    OffsetRgn(r, 500, 0);
    EXPECT_EQ(BoundsOf(r), MakeRect(0, 32500, 10, 32767));
    OffsetRgn(r, 2000, 0);
    EXPECT_TRUE(EmptyRgn(r));

    UniqueRgn grown = RectRegion(-32760, -32760, 32760, 32760);
    InsetRgn(grown, -100, -100);
    EXPECT_EQ(BoundsOf(grown), MakeRect(-32767, -32767, 32767, 32767));

    UniqueRgn big = RectRegion(0, 0, 100, 100);
    Rect src = MakeRect(0, 0, 1, 1), dst = MakeRect(0, 0, 1000, 1000);
    MapRgn(big, &src, &dst);
    EXPECT_EQ(BoundsOf(big), MakeRect(0, 0, 32767, 32767));
}

TEST(Regions, OffsetMovesEveryPixel) {
    PixelSet m = FromArt(kL);
    UniqueRgn r = RegionOfPixels(m);
    OffsetRgn(r, -7, 3);
    EXPECT_EQ(PixelsOf(r), FromArt(kL, -7, 3));
    EXPECT_TRUE(WellFormed(r));
}

TEST(Regions, InsetShapesTheLByHand) {
    struct Case {
        int dh, dv;
        std::vector<std::string> art;
        int left, top;
    };
    const Case cases[] = {
        {1, 1, {".#......", ".#......", ".#......", ".######."}, 0, 1},
        {-1, -1, {"#####.....", "#####.....", "#####.....", "##########", "##########", "##########",
                  "##########", "##########"}, -1, -1},
        {2, 0, {"....", "....", "....", "####", "####", "####"}, 2, 0},
        {0, 2, {"###", "###"}, 0, 2},
        {1, -1, {"#.....", "#.....", "#.....", "######", "######", "######", "######", "######"}, 1, -1},
        {3, 0, {"##", "##", "##"}, 3, 3},
        {0, 0, kL, 0, 0},
        {4, 0, {}, 0, 0},  // nothing is nine wide
    };
    for (const Case& c : cases) {
        UniqueRgn r = RegionOfPixels(FromArt(kL));
        InsetRgn(r, SInt16(c.dh), SInt16(c.dv));
        EXPECT_EQ(PixelsOf(r), FromArt(c.art, c.left, c.top)) << "inset " << c.dh << "," << c.dv;
        EXPECT_TRUE(WellFormed(r));
    }
}

TEST(Regions, InsetMatchesPixelModelOnRandomShapes) {
    std::mt19937 rng(7);
    for (int iter = 0; iter < 120; ++iter) {
        PixelSet m;
        UniqueRgn r = RandomRegion(rng, 2 + iter % 4, 0, 20, &m);
        int dh = int(rng() % 7) - 3, dv = int(rng() % 7) - 3;
        InsetRgn(r, SInt16(dh), SInt16(dv));
        ASSERT_TRUE(WellFormed(r));
        ASSERT_EQ(PixelsOf(r), ModelInset(m, dh, dv)) << "iteration " << iter << " inset " << dh << "," << dv;
    }
}

// A diagonal staircase scaled by whole factors becomes exactly the scaled
// pixels: each pixel a factor x factor block, nothing between the steps.
TEST(Regions, MapScalesShapesExactly) {
    PixelSet stairs;
    for (int i = 0; i < 8; ++i) stairs.insert({i, i});
    stairs.insert({7, 0});
    stairs.insert({0, 7});
    const Rect src = MakeRect(0, 0, 8, 8);
    for (int k : {1, 2, 3, 8}) {
        for (auto [ox, oy] : {std::pair{0, 0}, std::pair{-20, 13}}) {
            UniqueRgn r = RegionOfPixels(stairs);
            Rect dst = MakeRect(oy, ox, oy + 8 * k, ox + 8 * k);
            MapRgn(r, &src, &dst);
            PixelSet expect;
            for (const Pixel& p : stairs) AddRect(expect, MakeRect(oy + p.second * k, ox + p.first * k,
                                                                   oy + (p.second + 1) * k, ox + (p.first + 1) * k));
            ASSERT_EQ(PixelsOf(r), expect) << "factor " << k;
            ASSERT_TRUE(WellFormed(r));
            // Scaling back down restores the original.
            MapRgn(r, &dst, &src);
            ASSERT_EQ(PixelsOf(r), stairs);
        }
    }
}

// At any scale the result is the union of each pixel's mapped rectangle.
TEST(Regions, MapAgreesWithMapRectPerPixel) {
    std::mt19937 rng(5);
    const Rect srcs[] = {MakeRect(0, 0, 16, 16), MakeRect(-4, 2, 12, 9)};
    const Rect dsts[] = {MakeRect(0, 0, 24, 40), MakeRect(5, 5, 13, 13), MakeRect(-30, 10, 3, 17),
                         MakeRect(0, 0, 7, 5)};
    for (int iter = 0; iter < 40; ++iter) {
        PixelSet m;
        UniqueRgn base = RandomRegion(rng, 3, -4, 16, &m);
        for (const Rect& s : srcs)
            for (const Rect& d : dsts) {
                UniqueRgn r;
                CopyRgn(base, r);
                MapRgn(r, &s, &d);
                PixelSet expect;
                for (const Pixel& p : m) {
                    Rect px = MakeRect(p.second, p.first, p.second + 1, p.first + 1);
                    MapRect(&px, &s, &d);
                    AddRect(expect, px);
                }
                ASSERT_EQ(PixelsOf(r), expect);
                ASSERT_TRUE(WellFormed(r));
            }
    }
}

namespace {

// A 1-bit map over `bounds` holding the given pixels. Unused bits at the end
// of each row are set, so a conversion that reads them is caught.
struct TestBits {
    std::vector<UInt8> data;
    BitMap bm;
    TestBits(const Rect& bounds, const PixelSet& pixels, int extraRowBytes = 0) {
        int width = RectWidth(bounds), height = RectHeight(bounds);
        int rowBytes = (width + 7) / 8 + extraRowBytes;
        data.assign(size_t(rowBytes) * size_t(std::max(height, 0)), 0);
        for (int y = 0; y < height; ++y)
            for (int x = width; x < rowBytes * 8; ++x) data[size_t(y * rowBytes + x / 8)] |= UInt8(0x80 >> (x % 8));
        for (const Pixel& p : pixels) {
            int x = p.first - bounds.left, y = p.second - bounds.top;
            data[size_t(y * rowBytes + x / 8)] |= UInt8(0x80 >> (x % 8));
        }
        bm.baseAddr = reinterpret_cast<Ptr>(data.data());
        bm.rowBytes = rowBytes;
        bm.bounds = bounds;
        bm.pixelSize = 1;
        bm.isPixMap = false;
    }
};

}  // namespace

TEST(Regions, BitMapToRegionShapes) {
    struct Case {
        const char* name;
        Rect bounds;
        PixelSet pixels;
        int extraRowBytes;
    };
    PixelSet ring, checker, negative, full;
    for (int v = 0; v < 16; ++v)
        for (int h = 0; h < 16; ++h) {
            int dx = 2 * h - 15, dy = 2 * v - 15;
            int d2 = dx * dx + dy * dy;
            if (d2 <= 15 * 15 && d2 >= 7 * 7) ring.insert({h, v});
        }
    for (int v = 0; v < 7; ++v)
        for (int h = 0; h < 13; ++h)
            if ((h + v) % 2 == 0) checker.insert({h, v});
    for (int v = -9; v < -2; ++v)
        for (int h = -20; h < -3; ++h)
            if (h % 3 != 0 && v != -5) negative.insert({h, v});
    AddRect(full, MakeRect(0, 0, 5, 33));
    const Case cases[] = {
        {"ring", MakeRect(0, 0, 16, 16), ring, 0},
        {"checkerboard", MakeRect(0, 0, 7, 13), checker, 3},
        {"negative origin", MakeRect(-9, -20, -2, -3), negative, 0},
        {"full", MakeRect(0, 0, 5, 33), full, 1},
        {"blank", MakeRect(4, 4, 12, 30), {}, 0},
    };
    for (const Case& c : cases) {
        TestBits bits(c.bounds, c.pixels, c.extraRowBytes);
        UniqueRgn r;
        ASSERT_EQ(BitMapToRegion(r, &bits.bm), noErr) << c.name;
        EXPECT_EQ(PixelsOf(r), c.pixels) << c.name;
        EXPECT_TRUE(WellFormed(r)) << c.name;
    }
    // Bands: a full block is one rectangle; a checkerboard row is its own band.
    TestBits fullBits(MakeRect(0, 0, 5, 33), full);
    UniqueRgn r;
    ASSERT_EQ(BitMapToRegion(r, &fullBits.bm), noErr);
    EXPECT_EQ(RegionRects(r), std::vector<Rect>{MakeRect(0, 0, 5, 33)});
}

TEST(Regions, BitMapToRegionMatchesPixelModelOnRandomMaps) {
    std::mt19937 rng(42);
    for (int iter = 0; iter < 60; ++iter) {
        int w = 1 + int(rng() % 70), h = 1 + int(rng() % 20);
        int left = int(rng() % 40) - 20, top = int(rng() % 40) - 20;
        Rect bounds = MakeRect(top, left, top + h, left + w);
        PixelSet m;
        // Runs of rows repeat so that bands of several rows occur.
        std::vector<bool> row(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            if (y == 0 || rng() % 3 == 0)
                for (int x = 0; x < w; ++x) {
                    bool keep = rng() % 4 != 0;  // runs: mostly repeat the pixel to the left
                    row[size_t(x)] = keep ? (x > 0 && row[size_t(x - 1)]) : rng() % 2 == 1;
                }
            for (int x = 0; x < w; ++x)
                if (row[size_t(x)]) m.insert({left + x, top + y});
        }
        TestBits bits(bounds, m, int(rng() % 3));
        UniqueRgn r;
        ASSERT_EQ(BitMapToRegion(r, &bits.bm), noErr);
        ASSERT_EQ(PixelsOf(r), m) << "iteration " << iter;
        ASSERT_TRUE(WellFormed(r));
    }
}

TEST(Regions, BitMapToRegionRefusesUnusableMaps) {
    PixelSet one{{1, 1}};
    TestBits bits(MakeRect(0, 0, 4, 20), one);
    UniqueRgn keep = RectRegion(0, 0, 3, 3);

    BitMap deep = bits.bm;
    deep.pixelSize = 8;
    deep.isPixMap = true;
    EXPECT_EQ(BitMapToRegion(keep, &deep), paramErr);
    BitMap noPixels = bits.bm;
    noPixels.baseAddr = nullptr;
    EXPECT_EQ(BitMapToRegion(keep, &noPixels), paramErr);
    BitMap narrow = bits.bm;
    narrow.rowBytes = 2;  // 20 pixels need 3 bytes
    EXPECT_EQ(BitMapToRegion(keep, &narrow), paramErr);
    EXPECT_EQ(BitMapToRegion(keep, nullptr), paramErr);
    // A refused map leaves the region as it was.
    EXPECT_EQ(BoundsOf(keep), MakeRect(0, 0, 3, 3));

    BitMap empty = bits.bm;
    empty.bounds = MakeRect(5, 5, 5, 9);
    EXPECT_EQ(BitMapToRegion(keep, &empty), noErr);
    EXPECT_TRUE(EmptyRgn(keep));
}

TEST(Regions, RegionRectsAreBandOrdered) {
    UniqueRgn r = RegionOfPixels(FromArt(kL));
    const std::vector<Rect> expect = {MakeRect(0, 0, 3, 3), MakeRect(3, 0, 6, 8)};
    EXPECT_EQ(RegionRects(r), expect);
    UniqueRgn hole = RectRegion(0, 0, 6, 6), inner = RectRegion(2, 2, 4, 4);
    DiffRgn(hole, inner, hole);
    const std::vector<Rect> ring = {MakeRect(0, 0, 2, 6), MakeRect(2, 0, 4, 2), MakeRect(2, 4, 4, 6),
                                    MakeRect(4, 0, 6, 6)};
    EXPECT_EQ(RegionRects(hole), ring);
    EXPECT_FALSE(IsRegionRectangular(hole));
}
