#include "image/Colors.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RGBColor Rgb(UInt16 r, UInt16 g, UInt16 b) { return {r, g, b}; }

struct TableOwner {
    explicit TableOwner(CTabHandle t) : ct(t) {}
    ~TableOwner() { DisposeCTable(ct); }
    TableOwner(const TableOwner&) = delete;
    TableOwner& operator=(const TableOwner&) = delete;
    CTabHandle ct;
};

TEST(Colors, StartValues) {
    InitColorGlobals();
    EXPECT_EQ(rgbLBColor, Rgb(0x2222, 0x2222, 0x2222));
    EXPECT_EQ(rgbGrayColor, Rgb(0x8000, 0x8000, 0x8000));
    EXPECT_EQ(gCurrentColor, (ColorRec{{0, 0, 0}, 0}));
    EXPECT_EQ(gBackColor, (ColorRec{{0xFFFF, 0xFFFF, 0xFFFF}, 0}));
    EXPECT_EQ(gPrevColor, (ColorRec{{0, 0, 0}, 0}));
    EXPECT_EQ(gBlendRatio, Rgb(0, 0, 0));
}

TEST(Colors, EqualAndSet) {
    RGBColor a, b;
    SetRGBColor(&a, 1, 2, 3);
    EXPECT_EQ(a, Rgb(1, 2, 3));
    const struct {
        RGBColor other;
        bool equal;
    } cases[] = {{{1, 2, 3}, true}, {{0, 2, 3}, false}, {{1, 0, 3}, false}, {{1, 2, 0}, false}};
    for (const auto& c : cases) EXPECT_EQ(EqualColor(&a, &c.other), c.equal);
    Set256RGBColor(&b, 15, 0, 7);
    EXPECT_EQ(b, Rgb(0xFFFF, 0, 0x7777));
    Set256RGBColor(&b, 16, -1, 3);  // out of range levels are clamped
    EXPECT_EQ(b, Rgb(0xFFFF, 0, 0x3333));
}

TEST(Colors, IndexToRGBColor) {
    const struct {
        int index;
        RGBColor rgb;
    } cases[] = {
        {0, {0xFFFF, 0xFFFF, 0xFFFF}}, {179, {0x3333, 0, 0}}, {215, {0xEEEE, 0, 0}}, {234, {0, 0x1111, 0}},
        {244, {0, 0, 0x1111}},         {254, {0x1111, 0x1111, 0x1111}}, {255, {0, 0, 0}}, {256, {0, 0, 0}},
        {1000, {0, 0, 0}},             {-1, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        RGBColor got{1, 1, 1};
        IndexToRGBColor(c.index, &got);
        EXPECT_EQ(got, c.rgb) << c.index;
    }
}

TEST(Colors, RGBColorToIndexEdgeCases) {
    const struct {
        RGBColor rgb;
        int index;
    } cases[] = {
        {{0xFFFF, 0xFFFF, 0xFFFF}, 0}, {{0, 0, 0}, 255},           {{0xEEEE, 0, 0}, 215},
        {{0x1111, 0x1111, 0x1111}, 254}, {{0x3333, 0, 0}, 179},    {{0, 0x1111, 0}, 234},
        {{0, 0, 0xEEEE}, 235},         {{0x2222, 0x2222, 0x2222}, 253},
        // Only the low nibbles count.
        {{0x00FF, 0x000F, 0xFF0F}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(RGBColorToIndex(&c.rgb), c.index) << c.rgb.red << "," << c.rgb.green;
}

// For the colours of the table the two conversions are exact inverses.
TEST(Colors, IndexRoundTripOverTheWholeTable) {
    for (int i = 0; i < 256; ++i) {
        RGBColor c;
        IndexToRGBColor(i, &c);
        EXPECT_EQ(RGBColorToIndex(&c), i);
        EXPECT_EQ(c, CTabEntries(StandardCTable(8))[i].rgb);
    }
}

TEST(Colors, BlendColor) {
    const struct {
        RGBColor a, b, result;
    } cases[] = {
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
        {0, {0x3333, 0x6666, 0xFFFF}},
        {8, {0x3333, 0x6666, 0xFFFF}},
        {24, {0x3300, 0x6700, 0xFFFF}},
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
    const struct {
        SInt16 depth;
        bool invert;
        int index;
        UInt16 level;
    } cases[] = {
        {1, true, 0, 0xFFFF},  {1, true, 1, 0},       {1, false, 0, 0},     {1, false, 1, 0xFFFF},
        {8, false, 128, 0x8080}, {8, false, 255, 0xFFFF}, {8, true, 128, 0x7F7F}, {2, false, 1, 0x5555},
        {4, true, 1, 0xEEEE},
    };
    for (const auto& c : cases) {
        TableOwner t(GetGrayscaleCTable(c.depth, c.invert));
        ASSERT_NE(t.ct, nullptr);
        EXPECT_EQ(CTabCount(t.ct), 1 << c.depth);
        EXPECT_EQ(CTabEntries(t.ct)[c.index].value, c.index);
        EXPECT_EQ(CTabEntries(t.ct)[c.index].rgb, Rgb(c.level, c.level, c.level)) << c.depth << " " << c.index;
        EXPECT_EQ((*t.ct)->ctFlags, 0);
    }
    EXPECT_EQ(GetGrayscaleCTable(0, false), nullptr);  // a one-entry ramp has no step
    EXPECT_EQ(GetGrayscaleCTable(9, false), nullptr);
    TableOwner a(GetGrayscaleCTable(4, false)), b(GetGrayscaleCTable(4, false));
    EXPECT_NE((*a.ct)->ctSeed, (*b.ct)->ctSeed);
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

TEST_F(ColorsPort, PixMapColorsOfTwoIndices) {
    Make(8, {10, 20, 14, 27});
    for (int v = 10; v < 14; ++v) std::memset(PixRow(Map(), v), 5, size_t(Map().rowBytes));
    PixRow(Map(), 12)[3] = 200;
    CTabHandle ct = nullptr;
    SInt16 count = -1;
    ASSERT_EQ(GetPixMapColors(world.get()->portPixMap, &ct, &count), noErr);
    TableOwner owner(ct);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(CTabCount(ct), 2);
    EXPECT_EQ(CTabEntries(ct)[0].value, 0);
    EXPECT_EQ(CTabEntries(ct)[0].rgb, CTabEntries(StandardCTable(8))[5].rgb);
    EXPECT_EQ(CTabEntries(ct)[1].value, 1);
    EXPECT_EQ(CTabEntries(ct)[1].rgb, CTabEntries(StandardCTable(8))[200].rgb);
    EXPECT_EQ(GetHandleSize(reinterpret_cast<Handle>(ct)), CTabByteSize(2));
}

// Padding bytes past the bounds' width are not pixels.
TEST_F(ColorsPort, PixMapColorsIgnoresRowPadding) {
    Make(8, {0, 0, 2, 5});
    ASSERT_GT(Map().rowBytes, 5);
    for (int v = 0; v < 2; ++v) {
        std::memset(PixRow(Map(), v), 9, size_t(Map().rowBytes));
        std::memset(PixRow(Map(), v), 7, 5);
    }
    CTabHandle ct = nullptr;
    SInt16 count = 0;
    ASSERT_EQ(GetPixMapColors(world.get()->portPixMap, &ct, &count), noErr);
    TableOwner owner(ct);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(CTabEntries(ct)[0].rgb, CTabEntries(StandardCTable(8))[7].rgb);
}

TEST_F(ColorsPort, PixMapColorsBeyondASmallTableAreBlack) {
    TableOwner small(GetCTable(36));
    Make(8, {0, 0, 1, 4}, small.ct);
    UInt8* row = PixRow(Map(), 0);
    row[0] = 1;
    row[1] = 100;
    row[2] = 1;
    row[3] = 1;
    CTabHandle ct = nullptr;
    SInt16 count = 0;
    ASSERT_EQ(GetPixMapColors(world.get()->portPixMap, &ct, &count), noErr);
    TableOwner owner(ct);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(CTabEntries(ct)[0].rgb, Rgb(0xEEEE, 0xEEEE, 0xEEEE));
    EXPECT_EQ(CTabEntries(ct)[1].rgb, Rgb(0, 0, 0));
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
    TableOwner t(GetCTable(4));
    const RGBColor red{0xDD6B, 0x08C2, 0x06A2}, black{0, 0, 0}, none{1, 2, 3};
    const struct {
        CTabHandle table;
        const RGBColor* color;
        int count;
        bool found;
    } cases[] = {
        {t.ct, &red, 16, true},  {t.ct, &red, 4, true},     {t.ct, &red, 3, false}, {t.ct, &black, 16, true},
        {t.ct, &black, 15, false}, {t.ct, &black, 1000, true}, {t.ct, &none, 16, false}, {nullptr, &red, 16, false},
        {t.ct, &red, 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ColorExistsInPal(c.table, c.color, c.count), c.found) << c.count;
}

UInt32 Pixel32(const PixMap& pm, int h, int v) {
    const UInt8* p = PixRow(pm, v) + 4 * (h - pm.bounds.left);
    return (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
}

void Fill32(PixMap& pm, UInt8 r, UInt8 g, UInt8 b) {
    for (int v = pm.bounds.top; v < pm.bounds.bottom; ++v)
        for (int h = pm.bounds.left; h < pm.bounds.right; ++h) {
            UInt8* p = PixRow(pm, v) + 4 * (h - pm.bounds.left);
            p[0] = 0;
            p[1] = r;
            p[2] = g;
            p[3] = b;
        }
}

TEST_F(ColorsPort, DarkenAndLightenByOneStep) {
    Make(32, {0, 0, 4, 4});
    const RGBColor fore{0x1234, 0x5678, 0x9ABC}, op{0x8000, 0x8000, 0x8000};
    RGBForeColor(&fore);
    OpColor(&op);
    const Rect r{1, 1, 3, 3};
    const struct {
        bool darken;
        UInt8 r, g, b;
        UInt32 inside;
    } cases[] = {
        {true, 0x80, 0x30, 0x10, 0x5E0E00},   // 0x22 off each, pinned at 0
        {false, 0x80, 0xE0, 0xF0, 0xA2FFFF},  // 0x22 onto each, pinned at 0xFF
    };
    for (const auto& c : cases) {
        Fill32(Map(), c.r, c.g, c.b);
        if (c.darken)
            DarkenRect(&r);
        else
            LightenRect(&r);
        EXPECT_EQ(Pixel32(Map(), 1, 1), c.inside);
        EXPECT_EQ(Pixel32(Map(), 2, 2), c.inside);
        const UInt32 untouched = (UInt32(c.r) << 16) | (UInt32(c.g) << 8) | c.b;
        EXPECT_EQ(Pixel32(Map(), 0, 0), untouched);
        EXPECT_EQ(Pixel32(Map(), 3, 2), untouched);
        EXPECT_EQ(world.get()->pnMode, srcCopy);
        RGBColor got;
        GetForeColor(&got);
        EXPECT_EQ(got, fore);
        EXPECT_EQ(world.get()->rgbOpColor, op);
    }
}

}  // namespace
