#include "platform/raster/ColorTables.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

RGBColor Rgb(UInt16 r, UInt16 g, UInt16 b) { return {r, g, b}; }
RGBColor Entry(CTabHandle ct, int i) { return CTabEntries(ct)[i].rgb; }

TEST(StandardTables, SizesAndTheRunsOfTheEightBitTable) {
    const struct {
        int depth, index;
        RGBColor rgb;
    } cases[] = {
        {2, 1, {0xAAAA, 0xAAAA, 0xAAAA}}, {2, 2, {0x5555, 0x5555, 0x5555}}, {4, 1, {0xFC00, 0xF37D, 0x052F}},
        {8, 1, {0xFFFF, 0xFFFF, 0xCCCC}}, {8, 5, {0xFFFF, 0xFFFF, 0x0000}},
        {8, 6, {0xFFFF, 0xCCCC, 0xFFFF}}, {8, 35, {0xFFFF, 0, 0}},      {8, 36, {0xCCCC, 0xFFFF, 0xFFFF}},
        {8, 179, {0x3333, 0, 0}},         {8, 180, {0, 0xFFFF, 0xFFFF}}, {8, 214, {0, 0, 0x3333}},
        {8, 215, {0xEEEE, 0, 0}},         {8, 224, {0x1111, 0, 0}},      {8, 225, {0, 0xEEEE, 0}},
        {8, 235, {0, 0, 0xEEEE}},         {8, 244, {0, 0, 0x1111}},      {8, 245, {0xEEEE, 0xEEEE, 0xEEEE}},
        {8, 249, {0x8888, 0x8888, 0x8888}}, {8, 255, {0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(Entry(StandardCTable(c.depth), c.index), c.rgb) << c.depth << ":" << c.index;
    for (int depth : {1, 2, 4, 8}) {
        CTabHandle t = StandardCTable(depth);
        ASSERT_EQ(CTabCount(t), 1 << depth);
        for (int i = 0; i < CTabCount(t); ++i) EXPECT_EQ(CTabEntries(t)[i].value, i);
    }
    EXPECT_EQ(StandardCTable(3), nullptr);
    EXPECT_EQ(StandardCTable(32), nullptr);
    // Eight bits: every component a multiple of 0x1111 (GetCTable's test: all different).
    for (int i = 0; i < 256; ++i) {
        const RGBColor e = Entry(StandardCTable(8), i);
        EXPECT_TRUE(e.red % 0x1111 == 0 && e.green % 0x1111 == 0 && e.blue % 0x1111 == 0) << i;
    }
}

// Every table by ID is the caller's own copy and maps each of its colours
// back to its own index.
TEST(GetCTable, IdsAndEveryEntryExact) {
    const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF}, black{0, 0, 0};
    const struct {
        SInt16 id;
        int count;
        RGBColor first, last;
    } cases[] = {
        {1, 2, white, black},    {8, 256, white, black},  {33, 2, white, black},   {34, 4, white, black},
        {36, 16, white, black},  {40, 256, white, black}, {128, 16, black, white}, {129, 256, white, black},
        {130, 34, white, {0x2222, 0x2222, 0x2222}},        {131, 216, white, black},
    };
    for (const auto& c : cases) {
        const UniqueCTable t(GetCTable(c.id));
        ASSERT_TRUE(t) << c.id;
        ASSERT_EQ(CTabCount(t.get()), c.count) << c.id;
        EXPECT_EQ(Entry(t.get(), 0), c.first) << c.id;
        EXPECT_EQ(Entry(t.get(), c.count - 1), c.last) << c.id;
        EXPECT_EQ((*t)->ctFlags, 0);
        InverseTable inv(t.get());
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(CTabEntries(t.get())[i].value, i);
            EXPECT_EQ(NearestColorIndex(t.get(), Entry(t.get(), i)), i) << c.id << ":" << i;
            EXPECT_EQ(inv.Nearest(Entry(t.get(), i)), i) << c.id << ":" << i;
        }
    }
    // Table 130 lies inside the standard 8-bit table, so the palette check can mark all of it.
    const UniqueCTable icon(GetCTable(130));
    for (int i = 0; i < CTabCount(icon.get()); ++i)
        EXPECT_EQ(Entry(StandardCTable(8), NearestColorIndex(StandardCTable(8), Entry(icon.get(), i))),
                  Entry(icon.get(), i)) << i;
    const UniqueCTable copy(GetCTable(8)), grey(GetCTable(40));
    CTabEntries(copy.get())[0].rgb = {1, 2, 3};
    EXPECT_EQ(Entry(StandardCTable(8), 0), white);
    EXPECT_EQ(Entry(grey.get(), 127), Rgb(0x8080, 0x8080, 0x8080));
    EXPECT_EQ(Entry(grey.get(), 128), Rgb(0x7F7F, 0x7F7F, 0x7F7F));
    for (SInt16 id : {0, 3, 132}) EXPECT_EQ(GetCTable(id), nullptr) << id;
}

// A size field that claims more entries than the block holds is never
// believed (tables arrive from files).
TEST(NewColorTable, SizesAndTheReadableCount) {
    const UniqueCTable t(NewColorTable(2));
    CTabEntries(t.get())[0].rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    CTabEntries(t.get())[1].rgb = {0x1000, 0x1000, 0x1000};
    const struct {
        SInt16 ctSize;
        int readable;
    } cases[] = {{1, 2}, {0, 1}, {-1, 0}, {-7, 0}, {1000, 2}, {32767, 2}};
    for (const auto& c : cases) {
        (*t)->ctSize = c.ctSize;
        EXPECT_EQ(CTabReadableCount(t.get()), c.readable) << c.ctSize;
        const int nearest = NearestColorIndex(t.get(), RGBColor{0, 0, 0});
        EXPECT_EQ(nearest, c.readable == 2 ? 1 : 0) << c.ctSize;
        if (c.readable > 0) {
            EXPECT_EQ(InverseTable(t.get()).Nearest8(0, 0, 0), nearest);
        }
    }
    const UniqueCTable big(NewColorTable(256));
    (*big)->ctSize = 300;
    EXPECT_EQ(CTabReadableCount(big.get()), 256);
    EXPECT_EQ(CTabReadableCount(nullptr), 0);
    EXPECT_EQ(NewColorTable(0), nullptr);
    EXPECT_EQ(NewColorTable(257), nullptr);
    // Freeing a shared standard table by mistake leaves it intact.
    DisposeCTable(StandardCTable(4));
    EXPECT_EQ(Entry(StandardCTable(4), 15), Rgb(0, 0, 0));
}

TEST(Nearest, TiesGoToTheLowestIndexAndKnownMappings) {
    const UniqueCTable t(NewColorTable(4));
    // Entries 1 and 3 are the same colour; entries 0 and 2 lie at equal
    // distance from mid grey.
    CTabEntries(t.get())[0].rgb = {0x7000, 0x8000, 0x8000};
    CTabEntries(t.get())[1].rgb = {0xFFFF, 0, 0};
    CTabEntries(t.get())[2].rgb = {0x9000, 0x8000, 0x8000};
    CTabEntries(t.get())[3].rgb = {0xFFFF, 0, 0};
    InverseTable inv(t.get());
    const RGBColor mid{0x8000, 0x8000, 0x8000};
    EXPECT_EQ(NearestColorIndex(t.get(), mid), 0);
    EXPECT_EQ(inv.Nearest(mid), 0);
    EXPECT_EQ(NearestColorIndex(t.get(), Rgb(0xFFFF, 0, 0)), 1);
    EXPECT_EQ(inv.Nearest(Rgb(0xFFFF, 0, 0)), 1);
    EXPECT_EQ(inv.Nearest8(0xFF, 0, 0), 1);

    CTabHandle t1 = StandardCTable(1), t8 = StandardCTable(8);
    EXPECT_EQ(NearestColorIndex(t1, Rgb(0x8000, 0x8000, 0x8000)), 0);  // just above the middle: white
    EXPECT_EQ(NearestColorIndex(t1, Rgb(0x7FFF, 0x7FFF, 0x7FFF)), 1);
    EXPECT_EQ(NearestColorIndex(t8, Rgb(0x0100, 0x0100, 0x0100)), 255);
    EXPECT_EQ(NearestColorIndex(t8, Rgb(0xFFFF, 0x0100, 0x0100)), 35);
    EXPECT_EQ(NearestColorIndex(t8, Rgb(0x1000, 0, 0)), 224);
    EXPECT_EQ(NearestColorIndex(nullptr, Rgb(1, 2, 3)), 0);
}

// The fast paths against the exact search, on a grid of the 8-bit cube asked
// twice (cells and blocks built by the first pass answer the second; half
// the tables build their cells through the 8-bit path first) and on random
// 16-bit colours. The random tables cluster entries so cells keep long lists.
TEST(Nearest, InverseTableMatchesExactSearch) {
    std::mt19937 rng(2024);
    struct Case {
        UniqueCTable t;
        int step;
        size_t listBytes = InverseTable::kListBudget, blockBytes = InverseTable::kBlockBudget;
    };
    std::vector<Case> cases;
    // With the list and block budgets used up early, cells fall back to their
    // coarse cell's list and to scanning.
    for (size_t budget : {size_t(0), size_t(3000)})
        cases.push_back({UniqueCTable(GetCTable(8)), 3, budget, budget ? size_t(64 * 40) : size_t(0)});
    for (SInt16 id : {1, 2, 4, 8, 36, 128, 130, 131})
        cases.push_back({UniqueCTable(GetCTable(id)), id == 4 || id == 8 ? 2 : 5});
    for (int n : {1, 3, 17, 40, 256, 256}) {
        UniqueCTable t(NewColorTable(n));
        for (int i = 0; i < n; ++i) {
            const UInt16 base = UInt16(0x6000 + (rng() & 0x1FFF));
            CTabEntries(t.get())[i].rgb =
                n == 40    ? RGBColor{UInt16(rng()), UInt16(rng()), UInt16(rng())}
                : n == 256 ? RGBColor{base, UInt16(base + (rng() & 0x7FF)), UInt16(rng())}
                           : RGBColor{UInt16(rng()), UInt16(0x4000 + (rng() & 0x3FF)), UInt16(rng())};
        }
        cases.push_back({std::move(t), n >= 40 ? 2 : 5});
    }
    CTabEntries(cases.back().t.get())[7].rgb = CTabEntries(cases.back().t.get())[3].rgb;  // a duplicate: the lower wins
    for (size_t i = 0; i < cases.size(); ++i) {
        CTabHandle t = cases[i].t.get();
        const int step = cases[i].step;
        const bool eightBitFirst = i % 2 == 0;
        std::vector<RGBColor> colors;
        for (int k = 0; k < CTabCount(t); ++k) colors.push_back(Entry(t, k));
        InverseTable inv(colors, cases[i].listBytes, cases[i].blockBytes);
        std::vector<UInt8> expected;
        for (int pass = 0; pass < 2; ++pass) {
            size_t k = 0;
            for (int r = 0; r < 256; r += step)
                for (int g = 1; g < 256; g += step)
                    for (int b = 0; b < 256; b += step, ++k) {
                        const RGBColor c = Rgb(UInt16(r * 0x101), UInt16(g * 0x101), UInt16(b * 0x101));
                        if (pass == 0) expected.push_back(UInt8(NearestColorIndex(t, c)));
                        const int want = expected[k];
                        int wide = want;
                        if (pass == 0 && !eightBitFirst) wide = inv.Nearest(c);
                        const int eight = inv.Nearest8(UInt8(r), UInt8(g), UInt8(b));
                        if (pass == 0 && eightBitFirst) wide = inv.Nearest(c);
                        ASSERT_TRUE(eight == want && wide == want)
                            << CTabCount(t) << " pass " << pass << ": " << r << "," << g << "," << b;
                    }
        }
        for (int k = 0; k < 20000; ++k) {
            const RGBColor c{UInt16(rng()), UInt16(rng()), UInt16(rng())};
            ASSERT_EQ(inv.Nearest(c), NearestColorIndex(t, c)) << c.red << "," << c.green << "," << c.blue;
        }
    }
}

TEST(Nearest, InverseTableCacheFollowsContents) {
    const UniqueCTable t(NewColorTable(2));
    CTabEntries(t.get())[0].rgb = {0, 0, 0};
    CTabEntries(t.get())[1].rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    auto a = InverseTableFor(t.get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Nearest8(250, 250, 250), 1);
    EXPECT_EQ(InverseTableFor(t.get()), a);
    // Edited in place: a different inverse table answers.
    CTabEntries(t.get())[1].rgb = {0xFFFF, 0, 0};
    auto b = InverseTableFor(t.get());
    EXPECT_NE(b, a);
    EXPECT_EQ(b->Nearest8(0x20, 0x20, 0x20), 0);
    EXPECT_EQ(b->Nearest8(0xF0, 0x10, 0x10), 1);
    EXPECT_EQ(InverseTableFor(nullptr), nullptr);
}

// ---- Current port -------------------------------------------------------------

class PortTest : public ::testing::Test {
protected:
    void Make(int depth) { world = pixelart::MakeWorld(depth, MakeRect(-3, -5, 5, 7)); }
    SavedGWorld saved;
    UniqueGWorld world;
};

// A colour is real when the current map stores it exactly.
TEST_F(PortTest, RealColor) {
    Make(32);
    const RGBColor c{0x12FF, 0x3456, 0xABCD}, packed{0x1212, 0x3434, 0xABAB};
    EXPECT_FALSE(RealColor(&c));
    EXPECT_TRUE(RealColor(&packed));
    Make(8);
    const RGBColor red{0xEEEE, 0, 0}, nearRed{0xEE00, 0x0100, 0};
    EXPECT_TRUE(RealColor(&red));
    EXPECT_FALSE(RealColor(&nearRed));
}

// Set and read back one pixel at each corner of a map whose bounds do not
// start at the origin, and check the bytes where the layout puts them.
TEST_F(PortTest, CPixelAtEveryDepth) {
    const struct {
        int depth;
        RGBColor set, expect;
        UInt8 firstByte;  // first row's first byte after setting (-5,-3)
    } cases[] = {
        {1, {0, 0, 0}, {0, 0, 0}, 0x80},
        {2, {0x5000, 0x5000, 0x5000}, {0x5555, 0x5555, 0x5555}, 0x80},
        {4, {0xDD6B, 0x08C2, 0x06A2}, {0xDD6B, 0x08C2, 0x06A2}, 0x30},
        {8, {0xEE00, 0x0100, 0}, {0xEEEE, 0, 0}, 215},
        {32, {0x12FF, 0x3456, 0xABCD}, {0x1212, 0x3434, 0xABAB}, 0x00},
    };
    for (const auto& c : cases) {
        Make(c.depth);
        const UInt8* bytes = reinterpret_cast<UInt8*>((**world.get()->portPixMap).baseAddr);
        for (Point p : {Point{-3, -5}, Point{-3, 6}, Point{4, -5}, Point{4, 6}}) {
            SetCPixel(p.h, p.v, &c.set);
            RGBColor got{9, 9, 9};
            GetCPixel(p.h, p.v, &got);
            EXPECT_EQ(got, c.expect) << c.depth << " at " << p.h << "," << p.v;
        }
        EXPECT_EQ(bytes[0], c.firstByte) << c.depth;
        EXPECT_TRUE(c.depth != 32 || bytes[1] == 0x12);
        // A neighbour is untouched; outside the map nothing is written or read.
        RGBColor n, out{9, 9, 9};
        GetCPixel(-4, -3, &n);
        EXPECT_EQ(n, pixelart::kWhite) << c.depth;
        SetCPixel(7, 0, &c.set);
        SetCPixel(0, -4, &c.set);
        GetCPixel(7, 0, &out);
        EXPECT_EQ(out, Rgb(9, 9, 9));
    }
}

}  // namespace
