#include "platform/raster/Regions.h"

#include "tests/platform/raster/RegionModel.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace rgnmodel;

namespace {

using Bytes = std::vector<UInt8>;
constexpr int kEnd = 0x7FFF;

// Big-endian 16-bit words.
Bytes W(std::initializer_list<int> words) {
    Bytes b;
    for (int v : words) b.insert(b.end(), {UInt8(UInt16(v) >> 8), UInt8(v)});
    return b;
}

// Rows 0-2 columns 0-2, rows 3-5 columns 0-7.
const std::vector<std::string> kL = {"###.....", "###.....", "###.....", "########", "########", "########"};
const Bytes kLBytes = W({36, 0, 0, 6, 8, /*y*/ 0, 0, 3, kEnd, 3, 3, 8, kEnd, 6, 0, 8, kEnd, kEnd});
// (0,0,6,6) less (2,2,4,4), moved by (-10, -3).
const std::vector<std::string> kRing = {"######", "######", "##..##", "##..##", "######", "######"};
const Bytes kRingBytes = W({44, -3, -10, 3, -4, /*y*/ -3, -10, -4, kEnd, -1, -8, -6, kEnd, 1, -8, -6, kEnd,
                            3, -10, -4, kEnd, kEnd});
// Two blocks one above the other with two empty rows between.
const std::vector<std::string> kGap = {"##", "..", "..", "##"};
const Bytes kGapBytes = W({44, 0, 0, 4, 2, /*y*/ 0, 0, 2, kEnd, 1, 0, 2, kEnd, 3, 0, 2, kEnd, 4, 0, 2, kEnd, kEnd});

// Rows alternate between `columns` one-pixel stripes and nothing: every
// line toggles every stripe, the most expensive shape to store.
UniqueRgn Stripes(int rows, int columns) {
    UniqueRgn row, one, out;
    for (int x = 0; x < columns; ++x) {
        SetRectRgn(one, SInt16(2 * x), 0, SInt16(2 * x + 1), 1);
        UnionRgn(row, one, row);
    }
    for (int y = 0; y < rows; y += 2) {
        UnionRgn(out, row, out);
        OffsetRgn(row, 0, 2);
    }
    return out;
}

}  // namespace

TEST(StoredRegion, WritesHandMadeBytes) {
    struct Case {
        const char* name;
        UniqueRgn rgn;
        Bytes expect;
    };
    Case cases[] = {
        {"rectangle", RectRegion(2, 3, 7, 9), W({10, 2, 3, 7, 9})},
        {"empty", UniqueRgn(), W({10, 0, 0, 0, 0})},
        {"L", RegionOfPixels(FromArt(kL)), kLBytes},
        {"ring", RegionOfPixels(FromArt(kRing, -10, -3)), kRingBytes},
        {"gap", RegionOfPixels(FromArt(kGap)), kGapBytes},
    };
    for (Case& c : cases) {
        EXPECT_EQ(RegionToStored(c.rgn), c.expect) << c.name;
        UniqueRgn back;
        ASSERT_EQ(RegionFromStored(c.expect, back), noErr) << c.name;
        EXPECT_TRUE(EqualRgn(back, c.rgn)) << c.name;
        EXPECT_EQ(BoundsOf(back), BoundsOf(c.rgn)) << c.name;
        EXPECT_TRUE(WellFormed(back)) << c.name;
    }
}

TEST(StoredRegion, RegionRoundTripIsIdentity) {
    std::mt19937 rng(2024);
    for (int iter = 0; iter < 300; ++iter) {
        UniqueRgn r = RandomRegion(rng, 1 + iter % 6, -300, 300);
        if (iter % 3 == 0) {  // carve holes too
            UniqueRgn hole = RandomRegion(rng, 2, -300, 300);
            DiffRgn(r, hole, r);
        }
        Bytes stored = RegionToStored(r);
        ASSERT_GE(stored.size(), 10u);
        ASSERT_EQ(size_t(stored[0] << 8 | stored[1]), stored.size());
        UniqueRgn back;
        ASSERT_EQ(RegionFromStored(stored, back), noErr) << "iteration " << iter;
        ASSERT_TRUE(EqualRgn(back, r)) << "iteration " << iter;
        // Canonical bytes survive the other way round too.
        ASSERT_EQ(RegionToStored(back), stored);
    }
}

TEST(StoredRegion, SizeLimit) {
    // 150 rows of 50 stripes: 150 lines of 204 bytes plus header and ends.
    UniqueRgn fits = Stripes(150, 50);
    Bytes stored = RegionToStored(fits);
    EXPECT_EQ(stored.size(), 10u + 150u * 204u + 2u);
    UniqueRgn back;
    ASSERT_EQ(RegionFromStored(stored, back), noErr);
    EXPECT_TRUE(EqualRgn(back, fits));
    // 170 rows need 34692 bytes, over the 32767 a stored region may have.
    UniqueRgn tooBig = Stripes(170, 50);
    EXPECT_TRUE(RegionToStored(tooBig).empty());
}

// 0x7FFF ends a line, so a shaped region cannot reach coordinate 32767 in
// stored form: the last row and column are dropped. Rectangles need no data
// and keep every pixel.
TEST(StoredRegion, EdgeOfCoordinateRange) {
    UniqueRgn shaped = RectRegion(0, 32760, 1, 32767), second = RectRegion(2, 32760, 3, 32767);
    UnionRgn(shaped, second, shaped);
    UniqueRgn back;
    Bytes stored = RegionToStored(shaped);
    ASSERT_EQ(RegionFromStored(stored, back), noErr);
    UniqueRgn expect = RectRegion(0, 32760, 1, 32766), expect2 = RectRegion(2, 32760, 3, 32766);
    UnionRgn(expect, expect2, expect);
    EXPECT_TRUE(EqualRgn(back, expect));
    EXPECT_EQ(stored, RegionToStored(expect));  // bounds included
    // Cut down to a rectangle, it is stored as one.
    UniqueRgn corner = RectRegion(0, 32765, 2, 32767), tip = RectRegion(0, 32766, 3, 32767);
    UnionRgn(corner, tip, corner);
    EXPECT_EQ(RegionToStored(corner), W({10, 0, 32765, 2, 32766}));

    UniqueRgn whole;
    SetRectRgn(whole, -32767, -32767, 32767, 32767);
    stored = RegionToStored(whole);
    EXPECT_EQ(stored, W({10, -32767, -32767, 32767, 32767}));
    ASSERT_EQ(RegionFromStored(stored, back), noErr);
    EXPECT_TRUE(EqualRgn(back, whole));

    UniqueRgn low = RectRegion(-32767, -32767, -32765, -32765), dot = RectRegion(-32767, -32767, -32766, -32766);
    DiffRgn(low, dot, low);
    ASSERT_EQ(RegionFromStored(RegionToStored(low), back), noErr);
    EXPECT_TRUE(EqualRgn(back, low));
}

// Forms that are not canonical but unambiguous are read.
TEST(StoredRegion, ReadsLenientForms) {
    UniqueRgn r;
    // Bytes after the region belong to whatever follows it.
    Bytes trailing = kLBytes;
    trailing.insert(trailing.end(), {0xDE, 0xAD, 0xBE});
    ASSERT_EQ(RegionFromStored(trailing, r), noErr);
    EXPECT_TRUE(EqualRgn(r, RegionOfPixels(FromArt(kL))));
    // A bounds field that disagrees with the data is replaced by the real bounds.
    Bytes wrongBounds = kLBytes;
    wrongBounds[7] = 0x01;
    wrongBounds[9] = 0x01;
    ASSERT_EQ(RegionFromStored(wrongBounds, r), noErr);
    EXPECT_EQ(BoundsOf(r), MakeRect(0, 0, 6, 8));
    // A 10-byte form with empty or inverted bounds is the empty region.
    // So is a form with no lines at all.
    for (const Bytes& empty : {W({10, 5, 5, 1, 9}), W({12, 0, 0, 0, 0, kEnd})}) {
        ASSERT_EQ(RegionFromStored(empty, r), noErr);
        EXPECT_TRUE(EmptyRgn(r));
    }
    // A shaped form that happens to describe a rectangle.
    const Bytes square = W({28, 0, 0, 2, 2, 0, 0, 2, kEnd, 2, 0, 2, kEnd, kEnd});
    ASSERT_EQ(RegionFromStored(square, r), noErr);
    EXPECT_TRUE(IsRegionRectangular(r));
    EXPECT_EQ(BoundsOf(r), MakeRect(0, 0, 2, 2));
}

TEST(StoredRegion, RejectsMalformedForms) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    auto withSize = [](Bytes b, int size) {
        b[0] = UInt8(size >> 8);
        b[1] = UInt8(size);
        return b;
    };
    auto patched = [](Bytes b, size_t at, std::initializer_list<UInt8> v) {
        std::copy(v.begin(), v.end(), b.begin() + long(at));
        return b;
    };
    // The L's header (bounds 0,0,6,8) with the size set to fit `lines`.
    auto form = [](std::initializer_list<int> lines) {
        Bytes b = W({0, 0, 0, 6, 8}), rest = W(lines);
        b.insert(b.end(), rest.begin(), rest.end());
        b[0] = UInt8(b.size() >> 8);
        b[1] = UInt8(b.size());
        return b;
    };
    Bytes oddSize = kLBytes;
    oddSize.push_back(0);
    oddSize[1] += 1;

    const Case cases[] = {
        {"size larger than the bytes", withSize(kLBytes, 38)},
        {"size below the header", withSize(kLBytes, 8)},
        {"size zero", withSize(kLBytes, 0)},
        {"shorter than a header", Bytes{0x00, 0x0A, 0x00, 0x00, 0x00}},
        {"nothing", Bytes{}},
        {"size cuts the data", withSize(kLBytes, 28)},
        {"odd size", oddSize},
        {"words after the end", form({0, 0, 3, kEnd, 3, 3, 8, kEnd, 6, 0, 8, kEnd, kEnd, 1})},
        {"no final end", form({0, 0, 3, kEnd, 3, 3, 8, kEnd, 6, 0, 8, kEnd})},
        {"region left open", form({0, 0, 3, kEnd, 3, 3, 8, kEnd, kEnd})},
        {"odd number of x values", form({0, 0, 3, 5, kEnd, 3, 3, 8, kEnd, 6, 0, 8, kEnd, kEnd})},
        {"line with no x values", form({0, 0, 3, kEnd, 3, 3, 8, kEnd, 6, 0, 8, kEnd, 7, kEnd, kEnd})},
        {"x values out of order", patched(kLBytes, 12, {0x00, 0x03, 0x00, 0x00})},
        // Valid but for the repeat, which must not cancel out.
        {"x values repeated", form({0, 0, 3, 3, 5, kEnd, 3, 0, 3, 3, 5, kEnd, kEnd})},
        {"lines out of order", patched(kLBytes, 18, {0x00, 0x07})},
        {"lines repeated", patched(kLBytes, 18, {0x00, 0x00})},
        {"x below the coordinate range", patched(kLBytes, 12, {0x80, 0x00})},
        {"y below the coordinate range", patched(kLBytes, 10, {0x80, 0x00})},
    };
    for (const Case& c : cases) {
        UniqueRgn r = RectRegion(1, 1, 2, 2);
        EXPECT_EQ(RegionFromStored(c.bytes, r), paramErr) << c.name;
        // A refused form leaves the region as it was.
        EXPECT_EQ(BoundsOf(r), MakeRect(1, 1, 2, 2)) << c.name;
    }
}

// A few kilobytes of inversion points can describe millions of rectangles
// (many spans open while many lines toggle one more); such forms are refused
// before the rectangles are made.
TEST(StoredRegion, RefusesFormsThatExpandTooFar) {
    Bytes b;
    auto Put16 = [&b](int v) { b.insert(b.end(), {UInt8(UInt16(v) >> 8), UInt8(v)}); };
    Put16(0);
    for (int i = 0; i < 4; ++i) Put16(0);
    Put16(0);  // y 0: 4000 one-pixel spans
    for (int i = 0; i < 4000; ++i) {
        Put16(2 * i);
        Put16(2 * i + 1);
    }
    Put16(0x7FFF);
    int y = 1;
    while (b.size() + 8 + 2 + 16000 + 4 + 2 + 2 <= 0xFFFF) {  // toggle one more span on and off
        Put16(y++);
        Put16(10000);
        Put16(10001);
        Put16(0x7FFF);
    }
    bool open = (y - 1) % 2 == 1;
    Put16(y);
    for (int i = 0; i < 8000; ++i) Put16(i);
    if (open) {
        Put16(10000);
        Put16(10001);
    }
    Put16(0x7FFF);
    Put16(0x7FFF);
    ASSERT_LE(b.size(), 0xFFFFu);
    b[0] = UInt8(b.size() >> 8);
    b[1] = UInt8(b.size());
    UniqueRgn r;
    EXPECT_EQ(RegionFromStored(b, r), paramErr);
    EXPECT_TRUE(EmptyRgn(r));
}
