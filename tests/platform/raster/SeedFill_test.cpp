#include "platform/raster/SeedFill.h"

#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pixelart;
using Rows = std::vector<std::string>;

namespace {

constexpr int kDepths[] = {1, 2, 4, 8, 32};

// A 1-bit mask over `bounds` with every bit `set`.
World MakeMask(const Rect& bounds, bool set = false) {
    World m(1, bounds);
    m.fill(set);
    return m;
}

Rows Seed(const Rows& src, int depth, int h, int v, ColorSearchProcPtr proc = nullptr, SInt32 data = 0) {
    UniqueGWorld g = MakeWorld(depth, src);
    const Rect r = MapOf(g.get()).bounds;
    World m = MakeMask(r);
    SeedCFill(&MapOf(g.get()), &m.pm(), &r, &r, SInt16(h), SInt16(v), proc, data);
    return BitPicture(m.pm());
}

Rows Calc(const Rows& src, int depth, const RGBColor& seed, ColorSearchProcPtr proc = nullptr) {
    UniqueGWorld g = MakeWorld(depth, src);
    const Rect r = MapOf(g.get()).bounds;
    World m = MakeMask(r);
    CalcCMask(&MapOf(g.get()), &m.pm(), &r, &r, &seed, proc, 0);
    return BitPicture(m.pm());
}

const Rows kRing = {"........", ".######.", ".#....#.", ".#....#.", ".######.", "........"};
const Rows kSpiral = {"#########", "........#", "#######.#", "#.....#.#", "#.###.#.#",
                      "#.#...#.#", "#.#####.#", "#.......#", "#########"};
const Rows kSpiralFill = {".........", "########.", ".......#.", ".#####.#.", ".#...#.#.",
                          ".#.###.#.", ".#.....#.", ".#######.", "........."};

struct SeedCase {
    const char* name;
    Rows src;
    int h, v;
    Rows expected;
};

const SeedCase kSeedCases[] = {
    {"inside a ring", kRing, 3, 2, {"........", "........", "..####..", "..####..", "........", "........"}},
    {"outside a ring", kRing, 0, 5, {"########", "#......#", "#......#", "#......#", "#......#", "########"}},
    {"on the ring itself", kRing, 1, 1, kRing},
    {"a diagonal line closes the area", {"...#", "..#.", ".#..", "#..."}, 0, 0, {"###.", "##..", "#...", "...."}},
    {"diagonal gaps between black pixels do not leak", {".#.#.", "#.#.#", ".#.#.", "#.#.#"}, 1, 1,
     {".....", ".#...", ".....", "....."}},
    {"a spiral corridor fills to its end", kSpiral, 0, 1, kSpiralFill},
    {"from inside the spiral back out", kSpiral, 3, 5, kSpiralFill},
};

class SeedCFillTest : public ::testing::TestWithParam<int> {};

TEST_P(SeedCFillTest, ShapedAreas) {
    for (const SeedCase& c : kSeedCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Seed(c.src, GetParam(), c.h, c.v), c.expected);
    }
}

TEST_P(SeedCFillTest, CalcCMaskOfRingIsRingAndInside) {
    EXPECT_EQ(Calc(kRing, GetParam(), kWhite),
              (Rows{"........", ".######.", ".######.", ".######.", ".######.", "........"}));
    // A gap in the outline lets the outside in.
    EXPECT_EQ(Calc({"........", ".###.##.", ".#....#.", ".######.", "........"}, GetParam(), kWhite),
              (Rows{"........", ".###.##.", ".#....#.", ".######.", "........"}));
    // No edge pixel of the seed colour: nothing is reachable, all is set.
    EXPECT_EQ(Calc({"###", "#.#", "###"}, GetParam(), kWhite), (Rows{"###", "###", "###"}));
}

INSTANTIATE_TEST_SUITE_P(Depths, SeedCFillTest, ::testing::ValuesIn(kDepths));

SInt32 gSeenData = -1;
Boolean WhiteOrRed(RGBColor* c, SInt32*) {
    gSeenData = GetColorMatchData();
    return *c == kWhite || *c == kRed;
}

TEST(SeedCFill, MatchProcDecidesAndSeesMatchData) {
    for (int depth : {8, 32}) {
        SCOPED_TRACE(depth);
        gSeenData = -1;
        const Rows src = {"..r.#.", "#.r.#.", "##r###", "..r..b"};
        EXPECT_EQ(Seed(src, depth, 0, 0, WhiteOrRed, 1234), (Rows{"####..", ".###..", "..#...", "#####."}));
        EXPECT_EQ(gSeenData, 1234);
        EXPECT_EQ(GetColorMatchData(), 0);
        // The same procedure decides what CalcCMask may flood through.
        const Rows framed = {"rrrrr", "r###r", "r#.#r", "r###r", "rrrrr"};
        EXPECT_EQ(Calc(framed, depth, kWhite), Rows(5, "#####"));
        EXPECT_EQ(Calc(framed, depth, kWhite, WhiteOrRed), (Rows{".....", ".###.", ".###.", ".###.", "....."}));
    }
}

TEST(SeedCFill, SeedOutsideClearsDestination) {
    UniqueGWorld g = MakeWorld(8, kRing);
    const Rect r = MapOf(g.get()).bounds;
    const World m = MakeMask(r, true);
    SeedCFill(&MapOf(g.get()), &m.pm(), &r, &r, 20, 2, nullptr, 0);
    EXPECT_EQ(BitPicture(m.pm()), Rows(6, "........"));
}

TEST(SeedCFill, DeepMaskOrBadArgumentsChangeNothing) {
    UniqueGWorld g = MakeWorld(8, kRing);
    UniqueGWorld deep = MakeWorld(8, 8, 6);
    const auto before = Bytes(deep.get());
    const Rect r = MapOf(g.get()).bounds;
    SeedCFill(&MapOf(g.get()), &MapOf(deep.get()), &r, &r, 0, 0, nullptr, 0);
    EXPECT_EQ(Bytes(deep.get()), before);
    SeedCFill(nullptr, &MapOf(deep.get()), &r, &r, 0, 0, nullptr, 0);
    CalcCMask(&MapOf(g.get()), &MapOf(deep.get()), &r, nullptr, &kWhite, nullptr, 0);
    EXPECT_EQ(Bytes(deep.get()), before);
}

// A one-pixel corridor winding through a large area: the fill must reach its
// far end without running out of stack.
TEST(SeedCFill, LongSerpentineCorridor) {
    const int n = 301;
    Rows src(size_t(n), std::string(size_t(n), '.'));
    for (int v = 1; v < n; v += 2) {
        for (int h = 0; h < n; ++h) src[size_t(v)][size_t(h)] = '#';
        // Alternate the gap between the right and the left end.
        src[size_t(v)][size_t(((v / 2) % 2) ? 0 : n - 1)] = '.';
    }
    const Rows mask = Seed(src, 1, 0, 0);
    size_t filled = 0, white = 0;
    for (int v = 0; v < n; ++v) {
        filled += size_t(std::count(mask[size_t(v)].begin(), mask[size_t(v)].end(), '#'));
        white += size_t(std::count(src[size_t(v)].begin(), src[size_t(v)].end(), '.'));
    }
    EXPECT_EQ(filled, white);
    EXPECT_EQ(mask[size_t(n - 1)][size_t(n - 1)], '#');
}

}  // namespace
