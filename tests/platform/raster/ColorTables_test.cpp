#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

RGBColor Rgb(UInt16 r, UInt16 g, UInt16 b) { return {r, g, b}; }

RGBColor Entry(CTabHandle ct, int i) { return CTabEntries(ct)[i].rgb; }

struct TableOwner {
    explicit TableOwner(CTabHandle t) : ct(t) {}
    ~TableOwner() { DisposeCTable(ct); }
    TableOwner(const TableOwner&) = delete;
    TableOwner& operator=(const TableOwner&) = delete;
    CTabHandle ct;
};

TEST(StandardTables, OneAndTwoBit) {
    CTabHandle t1 = StandardCTable(1);
    ASSERT_NE(t1, nullptr);
    ASSERT_EQ(CTabCount(t1), 2);
    EXPECT_EQ(Entry(t1, 0), Rgb(0xFFFF, 0xFFFF, 0xFFFF));
    EXPECT_EQ(Entry(t1, 1), Rgb(0, 0, 0));
    CTabHandle t2 = StandardCTable(2);
    ASSERT_EQ(CTabCount(t2), 4);
    EXPECT_EQ(Entry(t2, 1), Rgb(0xAAAA, 0xAAAA, 0xAAAA));
    EXPECT_EQ(Entry(t2, 2), Rgb(0x5555, 0x5555, 0x5555));
    EXPECT_EQ(Entry(t2, 3), Rgb(0, 0, 0));
    EXPECT_EQ(StandardCTable(3), nullptr);
    EXPECT_EQ(StandardCTable(32), nullptr);
}

TEST(StandardTables, FourBitAllSixteen) {
    const RGBColor expected[16] = {
        {0xFFFF, 0xFFFF, 0xFFFF}, {0xFC00, 0xF37D, 0x052F}, {0xFFFF, 0x648A, 0x028C}, {0xDD6B, 0x08C2, 0x06A2},
        {0xF2D7, 0x0856, 0x84EC}, {0x46E3, 0x0000, 0xA53E}, {0x0000, 0x0000, 0xD400}, {0x0241, 0xAB54, 0xEAFF},
        {0x1F21, 0xB793, 0x1431}, {0x0000, 0x64AF, 0x11B0}, {0x5600, 0x2C9D, 0x0524}, {0x90D7, 0x7160, 0x3A34},
        {0xC000, 0xC000, 0xC000}, {0x8000, 0x8000, 0x8000}, {0x4000, 0x4000, 0x4000}, {0x0000, 0x0000, 0x0000},
    };
    CTabHandle t = StandardCTable(4);
    ASSERT_EQ(CTabCount(t), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Entry(t, i), expected[i]) << i;
        EXPECT_EQ(CTabEntries(t)[i].value, i);
    }
}

TEST(StandardTables, EightBitRunBoundaries) {
    CTabHandle t = StandardCTable(8);
    ASSERT_EQ(CTabCount(t), 256);
    const struct {
        int index;
        RGBColor rgb;
    } cases[] = {
        {0, {0xFFFF, 0xFFFF, 0xFFFF}},   {1, {0xFFFF, 0xFFFF, 0xCCCC}},   {5, {0xFFFF, 0xFFFF, 0x0000}},
        {6, {0xFFFF, 0xCCCC, 0xFFFF}},   {35, {0xFFFF, 0x0000, 0x0000}},  {36, {0xCCCC, 0xFFFF, 0xFFFF}},
        {179, {0x3333, 0x0000, 0x0000}}, {180, {0x0000, 0xFFFF, 0xFFFF}}, {214, {0x0000, 0x0000, 0x3333}},
        {215, {0xEEEE, 0, 0}},           {216, {0xDDDD, 0, 0}},           {224, {0x1111, 0, 0}},
        {225, {0, 0xEEEE, 0}},           {234, {0, 0x1111, 0}},           {235, {0, 0, 0xEEEE}},
        {244, {0, 0, 0x1111}},           {245, {0xEEEE, 0xEEEE, 0xEEEE}}, {249, {0x8888, 0x8888, 0x8888}},
        {254, {0x1111, 0x1111, 0x1111}}, {255, {0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(Entry(t, c.index), c.rgb) << c.index;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(CTabEntries(t)[i].value, i);
        const RGBColor e = Entry(t, i);
        EXPECT_EQ(e.red % 0x1111, 0);
        EXPECT_EQ(e.green % 0x1111, 0);
        EXPECT_EQ(e.blue % 0x1111, 0);
    }
    // All 256 colours are different.
    for (int i = 0; i < 256; ++i)
        for (int j = i + 1; j < 256; ++j) ASSERT_FALSE(Entry(t, i) == Entry(t, j)) << i << " " << j;
}

TEST(GetCTable, IdsAndOwnership) {
    const struct {
        SInt16 id;
        int count;
        RGBColor first, last;
    } cases[] = {
        {1, 2, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {8, 256, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {33, 2, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {34, 4, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {36, 16, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {40, 256, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {128, 16, {0, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}},
        {129, 256, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
        {130, 34, {0xFFFF, 0xFFFF, 0xFFFF}, {0x2222, 0x2222, 0x2222}},
        {131, 216, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        TableOwner t(GetCTable(c.id));
        ASSERT_NE(t.ct, nullptr) << c.id;
        EXPECT_EQ(CTabCount(t.ct), c.count) << c.id;
        EXPECT_EQ(Entry(t.ct, 0), c.first) << c.id;
        EXPECT_EQ(Entry(t.ct, c.count - 1), c.last) << c.id;
        EXPECT_EQ((*t.ct)->ctFlags, 0);
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(CTabEntries(t.ct)[i].value, i);
    }
    // The caller owns its copy: changing it does not touch the standard table.
    TableOwner copy(GetCTable(8));
    CTabEntries(copy.ct)[0].rgb = {1, 2, 3};
    EXPECT_EQ(Entry(StandardCTable(8), 0), Rgb(0xFFFF, 0xFFFF, 0xFFFF));
    TableOwner grey(GetCTable(40));
    EXPECT_EQ(Entry(grey.ct, 127), Rgb(0x8080, 0x8080, 0x8080));
    EXPECT_EQ(Entry(grey.ct, 128), Rgb(0x7F7F, 0x7F7F, 0x7F7F));
    EXPECT_EQ(GetCTable(0), nullptr);
    EXPECT_EQ(GetCTable(3), nullptr);
    EXPECT_EQ(GetCTable(132), nullptr);
}

// Table 130 lies inside the standard 8-bit table, so the palette check can
// mark all of it.
TEST(GetCTable, IconColoursAreStandardColours) {
    TableOwner t(GetCTable(130));
    CTabHandle std8 = StandardCTable(8);
    for (int i = 0; i < CTabCount(t.ct); ++i) {
        const int n = NearestColorIndex(std8, Entry(t.ct, i));
        EXPECT_EQ(Entry(std8, n), Entry(t.ct, i)) << i;
    }
}

TEST(NewColorTable, SizesAndSeeds) {
    EXPECT_EQ(NewColorTable(0), nullptr);
    EXPECT_EQ(NewColorTable(257), nullptr);
    TableOwner a(NewColorTable(1)), b(NewColorTable(256));
    ASSERT_NE(a.ct, nullptr);
    ASSERT_NE(b.ct, nullptr);
    EXPECT_EQ((*a.ct)->ctSize, 0);
    EXPECT_EQ((*b.ct)->ctSize, 255);
    EXPECT_NE((*a.ct)->ctSeed, (*b.ct)->ctSeed);
    EXPECT_EQ(Entry(b.ct, 255), Rgb(0, 0, 0));
    const SInt32 before = (*b.ct)->ctSeed;
    CTabChanged(b.ct);
    EXPECT_NE((*b.ct)->ctSeed, before);
    EXPECT_NE(GetCTSeed(), GetCTSeed());
    // Freeing a shared standard table by mistake leaves it intact.
    DisposeCTable(StandardCTable(4));
    EXPECT_EQ(CTabCount(StandardCTable(4)), 16);
    EXPECT_EQ(CTabEntries(StandardCTable(4))[15].rgb, Rgb(0, 0, 0));
    TableOwner c(CopyCTable(b.ct));
    EXPECT_NE(c.ct, b.ct);
    EXPECT_EQ(CTabCount(c.ct), 256);
    EXPECT_EQ(CopyCTable(nullptr), nullptr);
}

// A size field that claims more entries than the block holds is never
// believed (tables arrive from files).
TEST(NewColorTable, ReadableCountTrustsTheBlockNotTheSizeField) {
    TableOwner t(NewColorTable(2));
    CTabEntries(t.ct)[0].rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    CTabEntries(t.ct)[1].rgb = {0x1000, 0x1000, 0x1000};
    const struct {
        SInt16 ctSize;
        int readable;
    } cases[] = {{1, 2}, {0, 1}, {-1, 0}, {-7, 0}, {1000, 2}, {32767, 2}};
    for (const auto& c : cases) {
        (*t.ct)->ctSize = c.ctSize;
        EXPECT_EQ(CTabReadableCount(t.ct), c.readable) << c.ctSize;
        const int nearest = NearestColorIndex(t.ct, RGBColor{0, 0, 0});
        EXPECT_EQ(nearest, c.readable == 2 ? 1 : 0) << c.ctSize;
        if (c.readable > 0) {
            EXPECT_EQ(InverseTable(t.ct).Nearest8(0, 0, 0), nearest);
        }
    }
    TableOwner big(NewColorTable(256));
    (*big.ct)->ctSize = 300;
    EXPECT_EQ(CTabReadableCount(big.ct), 256);
    EXPECT_EQ(CTabReadableCount(nullptr), 0);
}

TEST(Nearest, EveryEntryOfEveryStandardTableIsExact) {
    for (SInt16 id : {1, 2, 4, 8, 33, 34, 36, 40, 128, 129, 130, 131}) {
        TableOwner t(GetCTable(id));
        InverseTable inv(t.ct);
        for (int i = 0; i < CTabCount(t.ct); ++i) {
            EXPECT_EQ(NearestColorIndex(t.ct, Entry(t.ct, i)), i) << id << ":" << i;
            EXPECT_EQ(inv.Nearest(Entry(t.ct, i)), i) << id << ":" << i;
        }
    }
}

TEST(Nearest, TiesGoToTheLowestIndex) {
    TableOwner t(NewColorTable(4));
    // Entries 1 and 3 are the same colour; entries 0 and 2 lie at equal
    // distance from mid grey.
    CTabEntries(t.ct)[0].rgb = {0x7000, 0x8000, 0x8000};
    CTabEntries(t.ct)[1].rgb = {0xFFFF, 0, 0};
    CTabEntries(t.ct)[2].rgb = {0x9000, 0x8000, 0x8000};
    CTabEntries(t.ct)[3].rgb = {0xFFFF, 0, 0};
    InverseTable inv(t.ct);
    const RGBColor mid{0x8000, 0x8000, 0x8000};
    EXPECT_EQ(NearestColorIndex(t.ct, mid), 0);
    EXPECT_EQ(inv.Nearest(mid), 0);
    EXPECT_EQ(NearestColorIndex(t.ct, Rgb(0xFFFF, 0, 0)), 1);
    EXPECT_EQ(inv.Nearest(Rgb(0xFFFF, 0, 0)), 1);
    EXPECT_EQ(inv.Nearest8(0xFF, 0, 0), 1);
}

TEST(Nearest, KnownMappings) {
    CTabHandle t1 = StandardCTable(1), t8 = StandardCTable(8);
    EXPECT_EQ(NearestColorIndex(t1, Rgb(0x8000, 0x8000, 0x8000)), 0);  // just above the middle: white
    EXPECT_EQ(NearestColorIndex(t1, Rgb(0x7FFF, 0x7FFF, 0x7FFF)), 1);
    EXPECT_EQ(NearestColorIndex(t8, Rgb(0x0100, 0x0100, 0x0100)), 255);
    EXPECT_EQ(NearestColorIndex(t8, Rgb(0xFFFF, 0x0100, 0x0100)), 35);
    EXPECT_EQ(NearestColorIndex(t8, Rgb(0x1000, 0, 0)), 224);
    EXPECT_EQ(NearestColorIndex(nullptr, Rgb(1, 2, 3)), 0);
}

// The fast path must agree with the exact search for every table and a dense
// spread of colours, including random tables with clustered entries.
TEST(Nearest, InverseTableMatchesExactSearch) {
    std::mt19937 rng(12345);
    std::vector<CTabHandle> tables;
    for (SInt16 id : {1, 2, 4, 8, 36, 128, 130, 131}) tables.push_back(GetCTable(id));
    for (int n : {1, 3, 17, 256}) {
        CTabHandle t = NewColorTable(n);
        for (int i = 0; i < n; ++i)
            CTabEntries(t)[i].rgb = {UInt16(rng() & 0xFFFF), UInt16(0x4000 + (rng() & 0x3FF)), UInt16(rng() & 0xFFFF)};
        tables.push_back(t);
    }
    for (CTabHandle t : tables) {
        InverseTable inv(t);
        for (int r = 0; r < 256; r += 5)
            for (int g = 0; g < 256; g += 7)
                for (int b = 0; b < 256; b += 3) {
                    const RGBColor c{UInt16(r * 0x101), UInt16(g * 0x101), UInt16(b * 0x101)};
                    ASSERT_EQ(inv.Nearest8(UInt8(r), UInt8(g), UInt8(b)), NearestColorIndex(t, c))
                        << CTabCount(t) << " " << r << "," << g << "," << b;
                }
        for (int k = 0; k < 20000; ++k) {
            const RGBColor c{UInt16(rng()), UInt16(rng()), UInt16(rng())};
            ASSERT_EQ(inv.Nearest(c), NearestColorIndex(t, c));
        }
        DisposeCTable(t);
    }
}

// Every colour on a 2-step grid of the 8-bit cube, asked both ways (8-bit
// and 16-bit components) and twice (cells and blocks built by the first
// pass answer the second), against the exact search. The random tables
// cluster entries so cells keep long lists and the list and block budgets
// run out.
TEST(Nearest, InverseTableMatchesExactSearchOnDenseGrid) {
    std::mt19937 rng(2024);
    std::vector<std::unique_ptr<TableOwner>> tables;
    tables.push_back(std::make_unique<TableOwner>(GetCTable(8)));
    tables.push_back(std::make_unique<TableOwner>(GetCTable(4)));
    for (int n : {256, 256, 40}) {
        tables.push_back(std::make_unique<TableOwner>(NewColorTable(n)));
        for (int i = 0; i < n; ++i) {
            const UInt16 base = n == 40 ? 0 : UInt16(0x6000 + (rng() & 0x1FFF));
            CTabEntries(tables.back()->ct)[i].rgb =
                n == 40 ? RGBColor{UInt16(rng()), UInt16(rng()), UInt16(rng())}
                        : RGBColor{base, UInt16(base + (rng() & 0x7FF)), UInt16(rng() & 0xFFFF)};
        }
    }
    CTabEntries(tables.back()->ct)[7].rgb = CTabEntries(tables.back()->ct)[3].rgb;  // a duplicate: the lower wins
    for (const auto& owner : tables) {
        const TableOwner& t = *owner;
        std::vector<UInt8> expected;
        expected.reserve(size_t(1) << 21);
        for (int r = 0; r < 256; r += 2)
            for (int g = 1; g < 256; g += 2)
                for (int b = 0; b < 256; b += 2)
                    expected.push_back(UInt8(NearestColorIndex(t.ct, Rgb(UInt16(r * 0x101), UInt16(g * 0x101), UInt16(b * 0x101)))));
        InverseTable inv(t.ct);
        for (int pass = 0; pass < 2; ++pass) {
            size_t k = 0;
            for (int r = 0; r < 256; r += 2)
                for (int g = 1; g < 256; g += 2)
                    for (int b = 0; b < 256; b += 2, ++k) {
                        const int want = expected[k];
                        const RGBColor c = Rgb(UInt16(r * 0x101), UInt16(g * 0x101), UInt16(b * 0x101));
                        if (pass == 0) {
                            ASSERT_EQ(inv.Nearest(c), want) << CTabCount(t.ct) << ": " << r << "," << g << "," << b;
                        }
                        ASSERT_EQ(inv.Nearest24(UInt32(r) << 16 | UInt32(g) << 8 | UInt32(b)), want)
                            << CTabCount(t.ct) << " pass " << pass << ": " << r << "," << g << "," << b;
                    }
        }
        // 16-bit colours between the 8-bit ones, in cells built above.
        for (int k = 0; k < 50000; ++k) {
            const RGBColor c{UInt16(rng()), UInt16(rng()), UInt16(rng())};
            ASSERT_EQ(inv.Nearest(c), NearestColorIndex(t.ct, c)) << c.red << "," << c.green << "," << c.blue;
        }
    }
}

// With the list and block budgets used up early, cells fall back to their
// coarse cell's list and to scanning: still the exact answers.
TEST(Nearest, InverseTableExactWhenBudgetsRunOut) {
    std::vector<RGBColor> colors;
    for (int i = 0; i < 256; ++i) colors.push_back(Entry(StandardCTable(8), i));
    for (auto [lists, blocks] : {std::pair<size_t, size_t>{0, 0}, {3000, 64 * 40}}) {
        InverseTable inv(colors, lists, blocks);
        for (int pass = 0; pass < 2; ++pass)
            for (int r = 1; r < 256; r += 3)
                for (int g = 0; g < 256; g += 3)
                    for (int b = 2; b < 256; b += 3) {
                        const RGBColor c = Rgb(UInt16(r * 0x101), UInt16(g * 0x101), UInt16(b * 0x101));
                        const int want = NearestColorIndex(StandardCTable(8), c);
                        ASSERT_EQ(inv.Nearest8(UInt8(r), UInt8(g), UInt8(b)), want) << lists << " " << r << "," << g << "," << b;
                        ASSERT_EQ(inv.Nearest(c), want) << lists << " " << r << "," << g << "," << b;
                    }
    }
}

TEST(Nearest, InverseTableCacheFollowsContents) {
    TableOwner t(NewColorTable(2));
    CTabEntries(t.ct)[0].rgb = {0, 0, 0};
    CTabEntries(t.ct)[1].rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    auto a = InverseTableFor(t.ct);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Nearest8(250, 250, 250), 1);
    EXPECT_EQ(InverseTableFor(t.ct), a);
    // Edited in place: a different inverse table answers.
    CTabEntries(t.ct)[1].rgb = {0xFFFF, 0, 0};
    auto b = InverseTableFor(t.ct);
    EXPECT_NE(b, a);
    EXPECT_EQ(b->Nearest8(0x20, 0x20, 0x20), 0);
    EXPECT_EQ(b->Nearest8(0xF0, 0x10, 0x10), 1);
    EXPECT_EQ(InverseTableFor(nullptr), nullptr);
}

// ---- Current port -------------------------------------------------------------

class PortTest : public ::testing::Test {
protected:
    void Make(int depth, Rect bounds = {-3, -5, 5, 7}) {
        ASSERT_EQ(NewGWorld(world.out(), SInt16(depth), &bounds, nullptr, nullptr, 0), noErr);
        SetGWorld(world.get(), nullptr);
    }
    SavedGWorld saved;
    UniqueGWorld world;
};

TEST_F(PortTest, Color2IndexOnDirectPortPacks) {
    Make(32);
    const RGBColor c{0x12FF, 0x3456, 0xABCD};
    EXPECT_EQ(Color2Index(&c), 0x1234AB);
    RGBColor back;
    Index2Color(0x1234AB, &back);
    EXPECT_EQ(back, Rgb(0x1212, 0x3434, 0xABAB));
    EXPECT_FALSE(RealColor(&c));
    const RGBColor exact{0x1212, 0x3434, 0xABAB};
    EXPECT_TRUE(RealColor(&exact));
}

TEST_F(PortTest, Color2IndexOnIndexedPort) {
    Make(8);
    const RGBColor red{0xEEEE, 0, 0}, nearRed{0xEE00, 0x0100, 0};
    EXPECT_EQ(Color2Index(&red), 215);
    EXPECT_EQ(Color2Index(&nearRed), 215);
    EXPECT_TRUE(RealColor(&red));
    EXPECT_FALSE(RealColor(&nearRed));
    RGBColor c;
    Index2Color(244, &c);
    EXPECT_EQ(c, Rgb(0, 0, 0x1111));
    Index2Color(300, &c);  // out of the table: black
    EXPECT_EQ(c, Rgb(0, 0, 0));
}

Boolean SearchAllTo7(RGBColor*, SInt32* position) {
    *position = 7;
    return true;
}
Boolean SearchRedTo3(RGBColor* rgb, SInt32* position) {
    if (rgb->red != 0xFFFF || rgb->green != 0 || rgb->blue != 0) return false;
    *position = 3;
    return true;
}

TEST_F(PortTest, SearchProcsMostRecentFirst) {
    Make(4);
    const RGBColor red{0xFFFF, 0, 0}, white{0xFFFF, 0xFFFF, 0xFFFF};
    const SInt32 plain = Color2Index(&red);
    EXPECT_EQ(plain, 3);  // the standard table's red is nearest anyway
    AddSearch(SearchAllTo7);
    EXPECT_EQ(Color2Index(&red), 7);
    AddSearch(SearchRedTo3);
    EXPECT_EQ(Color2Index(&red), 3);    // the newer procedure answers
    EXPECT_EQ(Color2Index(&white), 7);  // it passes; the older one answers
    DelSearch(SearchAllTo7);
    EXPECT_EQ(Color2Index(&white), 0);
    DelSearch(SearchRedTo3);
    EXPECT_EQ(Color2Index(&red), 3);
    DelSearch(SearchRedTo3);  // removing what is not installed is harmless
}

TEST_F(PortTest, ForeAndBackColours) {
    Make(8);
    const RGBColor a{1, 2, 3}, b{4, 5, 6}, op{0x8000, 0x8000, 0x8000};
    RGBForeColor(&a);
    RGBBackColor(&b);
    OpColor(&op);
    RGBColor got;
    GetForeColor(&got);
    EXPECT_EQ(got, a);
    GetBackColor(&got);
    EXPECT_EQ(got, b);
    EXPECT_EQ(world.get()->rgbOpColor, op);
    const struct {
        SInt32 constant;
        RGBColor rgb;
    } classic[] = {
        {blackColor, {0, 0, 0}},          {whiteColor, {0xFFFF, 0xFFFF, 0xFFFF}}, {redColor, {0xFFFF, 0, 0}},
        {greenColor, {0, 0xFFFF, 0}},     {blueColor, {0, 0, 0xFFFF}},            {cyanColor, {0, 0xFFFF, 0xFFFF}},
        {magentaColor, {0xFFFF, 0, 0xFFFF}}, {yellowColor, {0xFFFF, 0xFFFF, 0}},
    };
    for (const auto& c : classic) {
        ForeColor(c.constant);
        BackColor(c.constant);
        GetForeColor(&got);
        EXPECT_EQ(got, c.rgb) << c.constant;
        GetBackColor(&got);
        EXPECT_EQ(got, c.rgb) << c.constant;
    }
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
        const PixMap& pm = **world.get()->portPixMap;
        RGBColor before{9, 9, 9};
        GetCPixel(-4, -3, &before);
        for (Point p : {Point{-3, -5}, Point{-3, 6}, Point{4, -5}, Point{4, 6}}) {
            SetCPixel(p.h, p.v, &c.set);
            RGBColor got{9, 9, 9};
            GetCPixel(p.h, p.v, &got);
            EXPECT_EQ(got, c.expect) << c.depth << " at " << p.h << "," << p.v;
        }
        EXPECT_EQ(reinterpret_cast<UInt8*>(pm.baseAddr)[0], c.firstByte) << c.depth;
        if (c.depth == 32) {
            EXPECT_EQ(reinterpret_cast<UInt8*>(pm.baseAddr)[1], 0x12);
        }
        // A neighbour is untouched.
        RGBColor n;
        GetCPixel(-4, -3, &n);
        EXPECT_EQ(n, before) << c.depth;
        EXPECT_FALSE(n == c.expect) << c.depth;
        // Outside the map: no write, the colour is left alone.
        SetCPixel(7, 0, &c.set);
        SetCPixel(0, -4, &c.set);
        RGBColor out{9, 9, 9};
        GetCPixel(7, 0, &out);
        EXPECT_EQ(out, Rgb(9, 9, 9));
    }
}

TEST_F(PortTest, SetCPixelHonoursClipAndVisibleRegions) {
    for (bool vis : {false, true}) {
        Make(8);
        Rect area{0, 0, 2, 2};
        RectRgn(vis ? world.get()->visRgn : world.get()->clipRgn, &area);
        const RGBColor black{0, 0, 0};
        SetCPixel(1, 1, &black);
        SetCPixel(2, 1, &black);
        SetCPixel(1, -1, &black);
        RGBColor in, right, above;
        GetCPixel(1, 1, &in);
        GetCPixel(2, 1, &right);
        GetCPixel(1, -1, &above);
        EXPECT_EQ(in, black) << vis;
        EXPECT_EQ(right, Rgb(0xFFFF, 0xFFFF, 0xFFFF)) << vis;
        EXPECT_EQ(above, Rgb(0xFFFF, 0xFFFF, 0xFFFF)) << vis;
    }
}

}  // namespace
