#include "platform/raster/Regions.h"

#include "tests/platform/raster/RegionModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

using namespace rgnmodel;

namespace {

// Horizontal then vertical erosion (d > 0) or dilation (d < 0), pixel by pixel.
PixelSet ModelInset(const PixelSet& s, int dh, int dv) {
    auto pass = [](const PixelSet& in, int d, bool horizontal) {
        if (d == 0) return in;
        PixelSet out;
        auto at = [&](const Pixel& p, int k) { return horizontal ? Pixel{p.first + k, p.second} : Pixel{p.first, p.second + k}; };
        for (const Pixel& p : in) {
            bool all = true;
            for (int k = -std::abs(d); k <= std::abs(d); ++k) {
                if (d < 0) out.insert(at(p, k));
                else all = all && in.count(at(p, k)) != 0;
            }
            if (d > 0 && all) out.insert(p);
        }
        return out;
    };
    return pass(pass(s, dh, true), dv, false);
}

}  // namespace

TEST(Regions, SetOperationsMatchPixelModel) {
    std::mt19937 rng(1234);
    for (int iter = 0; iter < 300; ++iter) {
        SCOPED_TRACE(iter);
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
        const struct {
            void (*fn)(RgnHandle, RgnHandle, RgnHandle);
            const PixelSet* expect;
            const char* name;
        } ops[] = {{UnionRgn, &mu, "union"}, {SectRgn, &ms, "sect"}, {DiffRgn, &md, "diff"}, {XorRgn, &mx, "xor"}};
        for (const auto& op : ops) {
            SCOPED_TRACE(op.name);
            UniqueRgn out, a2, b2;
            op.fn(a, b, out);
            ASSERT_TRUE(WellFormed(out));
            ASSERT_EQ(PixelsOf(out), *op.expect);
            // The result may be either operand.
            CopyRgn(a, a2);
            CopyRgn(b, b2);
            op.fn(a2, b, a2);
            ASSERT_EQ(PixelsOf(a2), *op.expect) << "into first operand";
            op.fn(a, b2, b2);
            ASSERT_EQ(PixelsOf(b2), *op.expect) << "into second operand";
        }
        // A region and its pixel-by-pixel twin are equal; one pixel more is not.
        UniqueRgn u;
        UnionRgn(a, b, u);
        ASSERT_TRUE(EqualRgn(u, RegionOfPixels(mu)));
        mu.insert({40, 40});
        ASSERT_FALSE(EqualRgn(u, RegionOfPixels(mu)));
    }
}

TEST(Regions, QueriesAndOffsetMatchPixelModel) {
    std::mt19937 rng(99);
    for (int iter = 0; iter < 100; ++iter) {
        SCOPED_TRACE(iter);
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
        Rect bounds{};
        for (const Pixel& p : m) {
            const Rect px = MakeRect(p.second, p.first, p.second + 1, p.first + 1);
            UnionRect(&bounds, &px, &bounds);
        }
        ASSERT_EQ(BoundsOf(r), bounds);
        ASSERT_EQ(EmptyRgn(r), m.empty());
        ASSERT_EQ(IsRegionRectangular(r), m.size() == size_t(RectWidth(bounds) * RectHeight(bounds)));

        const int dh = int(rng() % 21) - 10, dv = int(rng() % 21) - 10;
        OffsetRgn(r, SInt16(dh), SInt16(dv));
        PixelSet moved;
        for (const Pixel& p : m) moved.insert({p.first + dh, p.second + dv});
        ASSERT_EQ(PixelsOf(r), moved);
        ASSERT_TRUE(WellFormed(r));
    }
}

TEST(Regions, EmptyRegionsAreEqualWhateverMadeThem) {
    UniqueRgn fresh;
    UniqueRgn fromEmptyRect = RectRegion(5, 5, 5, 10);
    UniqueRgn inverted = RectRegion(10, 10, 0, 0);
    UniqueRgn a = RectRegion(0, 0, 4, 4), b = RectRegion(10, 10, 14, 14), apart, self;
    SectRgn(a, b, apart);
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

// At any scale the result is the union of each pixel's mapped rectangle;
// whole factors scale back down to the original.
TEST(Regions, MapAgreesWithMapRectPerPixel) {
    std::mt19937 rng(5);
    const Rect srcs[] = {MakeRect(0, 0, 16, 16), MakeRect(-4, 2, 12, 9)};
    const Rect dsts[] = {MakeRect(0, 0, 24, 40), MakeRect(5, 5, 13, 13), MakeRect(-30, 10, 3, 17),
                         MakeRect(0, 0, 7, 5)};
    for (int iter = 0; iter < 40; ++iter) {
        PixelSet m;
        UniqueRgn base = RandomRegion(rng, 3, -4, 16, &m);
        for (const Rect& s : srcs) {
            const int k = 1 + iter % 3;  // a whole factor, placed off the origin
            const Rect whole = MakeRect(13 + s.top * k, -20 + s.left * k, 13 + s.bottom * k, -20 + s.right * k);
            for (const Rect* d : {&dsts[0], &dsts[1], &dsts[2], &dsts[3], &whole}) {
                UniqueRgn r;
                CopyRgn(base, r);
                MapRgn(r, &s, d);
                PixelSet expect;
                for (const Pixel& p : m) {
                    Rect px = MakeRect(p.second, p.first, p.second + 1, p.first + 1);
                    MapRect(&px, &s, d);
                    AddRect(expect, px);
                }
                ASSERT_EQ(PixelsOf(r), expect) << "iteration " << iter;
                ASSERT_TRUE(WellFormed(r));
                if (d == &whole) {
                    MapRgn(r, d, &s);
                    ASSERT_EQ(PixelsOf(r), m) << "factor " << k;
                }
            }
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

// Random maps at random origins, plus the extremes: a checkerboard (every
// row its own band), a full block (one rectangle) and a blank map.
TEST(Regions, BitMapToRegionMatchesPixelModel) {
    std::mt19937 rng(42);
    struct Case {
        Rect bounds;
        PixelSet pixels;
        int extraRowBytes;
    };
    std::vector<Case> cases = {
        {MakeRect(0, 0, 7, 13), {}, 3}, {MakeRect(0, 0, 5, 33), {}, 1}, {MakeRect(4, 4, 12, 30), {}, 0}};
    for (int v = 0; v < 7; ++v)
        for (int h = (v & 1); h < 13; h += 2) cases[0].pixels.insert({h, v});
    AddRect(cases[1].pixels, cases[1].bounds);
    for (int iter = 0; iter < 60; ++iter) {
        int w = 1 + int(rng() % 70), h = 1 + int(rng() % 20);
        int left = int(rng() % 40) - 20, top = int(rng() % 40) - 20;
        Case c{MakeRect(top, left, top + h, left + w), {}, 0};
        // Runs of rows repeat so that bands of several rows occur.
        std::vector<bool> row(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            if (y == 0 || rng() % 3 == 0)
                for (int x = 0; x < w; ++x) {
                    bool keep = rng() % 4 != 0;  // runs: mostly repeat the pixel to the left
                    row[size_t(x)] = keep ? (x > 0 && row[size_t(x - 1)]) : rng() % 2 == 1;
                }
            for (int x = 0; x < w; ++x)
                if (row[size_t(x)]) c.pixels.insert({left + x, top + y});
        }
        c.extraRowBytes = int(rng() % 3);
        cases.push_back(std::move(c));
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        TestBits bits(cases[i].bounds, cases[i].pixels, cases[i].extraRowBytes);
        UniqueRgn r;
        ASSERT_EQ(BitMapToRegion(r, &bits.bm), noErr);
        ASSERT_EQ(PixelsOf(r), cases[i].pixels);
        ASSERT_TRUE(WellFormed(r));
    }
}

TEST(Regions, BitMapToRegionRefusesUnusableMaps) {
    TestBits bits(MakeRect(0, 0, 4, 20), PixelSet{{1, 1}});
    UniqueRgn keep = RectRegion(0, 0, 3, 3);
    BitMap deep = bits.bm, noPixels = bits.bm, narrow = bits.bm, empty = bits.bm;
    deep.pixelSize = 8;
    deep.isPixMap = true;
    noPixels.baseAddr = nullptr;
    narrow.rowBytes = 2;  // 20 pixels need 3 bytes
    for (const BitMap* bad : {&deep, &noPixels, &narrow, static_cast<BitMap*>(nullptr)})
        EXPECT_EQ(BitMapToRegion(keep, bad), paramErr);
    // A refused map leaves the region as it was.
    EXPECT_EQ(BoundsOf(keep), MakeRect(0, 0, 3, 3));

    empty.bounds = MakeRect(5, 5, 5, 9);
    EXPECT_EQ(BitMapToRegion(keep, &empty), noErr);
    EXPECT_TRUE(EmptyRgn(keep));
}
