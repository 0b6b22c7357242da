// The program's colour helpers: the 8-bit table, levels, blends, grey tables
// and the colours of a pixel map.
#include "image/Colors.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

RGBColor Rgb(UInt16 r, UInt16 g, UInt16 b) { return {r, g, b}; }


TEST(Colors, BlendColor) {
    const struct { RGBColor a, b, result; } cases[] = {
        {{0, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}, {0x7FFF, 0x7FFF, 0x7FFF}},
        {{0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFE, 0xFFFE, 0xFFFE}},
        {{1, 3, 0x8000}, {1, 3, 0}, {0, 2, 0x4000}},
    };
    for (const auto& c : cases) {
        RGBColor a = c.a;
        BlendColor(&a, &c.b);
        EXPECT_EQ(a, c.result);
    }
}

SInt16 gModeForTest = 0;
SInt16 ModeForTest() { return gModeForTest; }

TEST(Colors, FixColorFollowsTheColourModeInForce) {
    const RGBColor off{0x3300, 0x6700, 0xFFFF};
    const struct {
        SInt16 mode;  // 0: no procedure installed
        RGBColor result;
    } cases[] = {
        {0, {0x3333, 0x6666, 0xFFFF}}, {8, {0x3333, 0x6666, 0xFFFF}}, {24, {0x3300, 0x6700, 0xFFFF}},
        {32, {0x3300, 0x6700, 0xFFFF}},
    };
    for (const auto& c : cases) {
        gModeForTest = c.mode;
        SetColorModeProc(c.mode ? ModeForTest : nullptr);
        RGBColor x = off;
        FixColor(&x);
        EXPECT_EQ(x, c.result) << c.mode;
    }
    SetColorModeProc(nullptr);
    EXPECT_EQ(ColorModeInForce(), 8);
}

TEST(Colors, GrayscaleTables) {
    const struct { SInt16 depth; bool invert; int index; UInt16 level; } cases[] = {
        {1, true, 0, 0xFFFF},  {1, true, 1, 0},       {1, false, 0, 0},     {1, false, 1, 0xFFFF},
        {8, false, 128, 0x8080}, {8, false, 255, 0xFFFF}, {8, true, 128, 0x7F7F}, {2, false, 1, 0x5555},
        {4, true, 1, 0xEEEE},
    };
    for (const auto& c : cases) {
        const UniqueCTable t(GetGrayscaleCTable(c.depth, c.invert));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(CTabCount(t.get()), 1 << c.depth);
        EXPECT_EQ(CTabEntries(t.get())[c.index].value, c.index);
        EXPECT_EQ(CTabEntries(t.get())[c.index].rgb, Rgb(c.level, c.level, c.level)) << c.depth << " " << c.index;
        EXPECT_EQ((*t)->ctFlags, 0);
    }
    EXPECT_EQ(GetGrayscaleCTable(0, false), nullptr);  // a one-entry ramp has no step
    EXPECT_EQ(GetGrayscaleCTable(9, false), nullptr);
    const UniqueCTable a(GetGrayscaleCTable(4, false)), b(GetGrayscaleCTable(4, false));
    EXPECT_NE((*a)->ctSeed, (*b)->ctSeed);
}

class ColorsPort : public ::testing::Test {
protected:
    void Make(int depth, Rect bounds, CTabHandle ct = nullptr) {
        ASSERT_EQ(NewGWorld(world.out(), SInt16(depth), &bounds, ct, nullptr, 0), noErr);
        SetGWorld(world.get(), nullptr);
    }
    PixMap& Map() { return **world.get()->portPixMap; }
    SavedGWorld saved;
    UniqueGWorld world;
};

TEST_F(ColorsPort, PixMapColors) {
    const auto std8 = [](int i) { return CTabEntries(StandardCTable(8))[i].rgb; };
    const UniqueCTable small(GetCTable(36));
    const struct {
        const char* name;
        Rect bounds;
        CTabHandle table;
        std::vector<UInt8> row;  // every row; the row padding holds pad
        UInt8 pad;
        std::vector<RGBColor> expected;
    } cases[] = {
        {"two indices, in index order", {10, 20, 14, 27}, nullptr, {5, 5, 5, 200, 5, 5, 5}, 5,
         {std8(5), std8(200)}},
        {"row padding is not pixels", {0, 0, 2, 5}, nullptr, {7, 7, 7, 7, 7}, 9,  // 5 of 8 bytes
         {std8(7)}},
        {"beyond a small table is black", {0, 0, 1, 4}, small.get(), {1, 100, 1, 1}, 1,
         {{0xEEEE, 0xEEEE, 0xEEEE}, {0, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Make(8, c.bounds, c.table);
        if (c.pad != c.row.back()) {
            ASSERT_GT(Map().rowBytes, c.bounds.right - c.bounds.left);
        }
        for (int v = c.bounds.top; v < c.bounds.bottom; ++v) {
            std::memset(PixRow(Map(), v), c.pad, size_t(Map().rowBytes));
            std::memcpy(PixRow(Map(), v), c.row.data(), c.row.size());
        }
        CTabHandle ct = nullptr;
        SInt16 count = -1;
        ASSERT_EQ(GetPixMapColors(world.get()->portPixMap, &ct, &count), noErr);
        const UniqueCTable owner(ct);
        ASSERT_EQ(count, SInt16(c.expected.size()));
        ASSERT_EQ(CTabCount(ct), count);
        EXPECT_EQ(GetHandleSize(reinterpret_cast<Handle>(ct)), CTabByteSize(count));
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(CTabEntries(ct)[i].value, i);
            EXPECT_EQ(CTabEntries(ct)[i].rgb, c.expected[size_t(i)]) << i;
        }
    }
}

TEST_F(ColorsPort, PixMapColorsRefusesOtherDepths) {
    for (int depth : {1, 4, 32}) {
        Make(depth, {0, 0, 4, 4});
        CTabHandle ct = reinterpret_cast<CTabHandle>(world.get());  // must be cleared
        SInt16 count = 77;
        EXPECT_EQ(GetPixMapColors(world.get()->portPixMap, &ct, &count), paramErr) << depth;
        EXPECT_EQ(ct, nullptr);
        EXPECT_EQ(count, 77);
    }
}

TEST(Colors, ColorExistsInPal) {
    const UniqueCTable table(GetCTable(4));
    CTabHandle t = table.get();
    const RGBColor red{0xDD6B, 0x08C2, 0x06A2}, black{0, 0, 0}, none{1, 2, 3};
    const struct { CTabHandle table; const RGBColor* color; int count; bool found; } cases[] = {
        {t, &red, 16, true},  {t, &red, 4, true},     {t, &red, 3, false}, {t, &black, 16, true},
        {t, &black, 15, false}, {t, &black, 1000, true}, {t, &none, 16, false}, {nullptr, &red, 16, false},
        {t, &red, 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ColorExistsInPal(c.table, c.color, c.count), c.found) << c.count;
}

TEST_F(ColorsPort, DarkenAndLightenByOneStep) {
    Make(32, {0, 0, 4, 4});
    const RGBColor fore{0x1234, 0x5678, 0x9ABC}, op{0x8000, 0x8000, 0x8000};
    RGBForeColor(&fore);
    OpColor(&op);
    const Rect r{1, 1, 3, 3};
    const struct { void (*action)(const Rect*); RGBColor dst, inside; } cases[] = {
        {DarkenRect, {0x8080, 0x3030, 0x1010}, {0x5E5E, 0x0E0E, 0}},        // 0x22 off each, pinned at 0
        {LightenRect, {0x8080, 0xE0E0, 0xF0F0}, {0xA2A2, 0xFFFF, 0xFFFF}},  // 0x22 onto each, pinned
    };
    for (const auto& c : cases) {
        for (int v = 0; v < 4; ++v)
            for (int h = 0; h < 4; ++h) pixelart::WritePixel(Map(), h, v, c.dst);
        c.action(&r);
        EXPECT_EQ(pixelart::ReadPixel(Map(), 1, 1), c.inside);
        EXPECT_EQ(pixelart::ReadPixel(Map(), 2, 2), c.inside);
        EXPECT_EQ(pixelart::ReadPixel(Map(), 0, 0), c.dst);
        EXPECT_EQ(pixelart::ReadPixel(Map(), 3, 2), c.dst);
        // The port's pen state is given back.
        EXPECT_EQ(world.get()->pnMode, srcCopy);
        RGBColor got;
        GetForeColor(&got);
        EXPECT_EQ(got, fore);
        EXPECT_EQ(world.get()->rgbOpColor, op);
    }
}

}  // namespace
