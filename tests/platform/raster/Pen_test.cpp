#include "platform/raster/Pen.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Shapes.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

using namespace pixelart;
using Rows = std::vector<std::string>;

namespace {

constexpr int kDepths[] = {1, 2, 4, 8, 32};

Pattern Pat(UInt8 even, UInt8 odd) {
    Pattern p;
    for (int i = 0; i < 8; ++i) p.pat[i] = (i & 1) ? odd : even;
    return p;
}

// ---- Lines -------------------------------------------------------------------

struct DrawCase {
    const char* name;
    void (*draw)();
    Rows expected;
};

const DrawCase kDrawCases[] = {
    {"pen1 shallow down-right", [] { MoveTo(1, 1); LineTo(5, 3); },
     {".......", ".#.....", "..##...", "....##.", "......."}},
    {"pen1 steep", [] { MoveTo(1, 0); LineTo(2, 4); }, {".#..", ".#..", "..#.", "..#.", "..#."}},
    {"pen2 horizontal hangs below and right", [] { PenSize(2, 2); MoveTo(1, 1); LineTo(4, 1); },
     {".......", ".#####.", ".#####.", "......."}},
    {"pen2 vertical up", [] { PenSize(2, 2); MoveTo(1, 4); LineTo(1, 1); },
     {"....", ".##.", ".##.", ".##.", ".##.", ".##.", "...."}},
    {"pen3 steep down-right", [] { PenSize(3, 3); MoveTo(2, 1); LineTo(3, 4); },
     {"........", "..###...", "..###...", "..####..", "..####..", "...###..", "...###..", "........"}},
    {"pen 2x3 diagonal down-left", [] { PenSize(2, 3); MoveTo(5, 1); LineTo(2, 4); },
     {"........", ".....##.", "....###.", "...####.", "..####..", "..###...", "..##....", "........"}},
    {"pen4 dot", [] { PenSize(4, 4); MoveTo(1, 1); LineTo(1, 1); },
     {"......", ".####.", ".####.", ".####.", ".####.", "......"}},
    {"empty pen draws nothing", [] { PenSize(0, 3); MoveTo(0, 0); LineTo(3, 3); }, {"....", "....", "...."}},
    {"pen3 off the map is cut", [] { PenSize(3, 3); MoveTo(-5, -1); LineTo(30, -1); }, {"####", "####", "...."}},
    {"pen4 diagonal up-right", [] { PenSize(4, 4); MoveTo(0, 3); LineTo(3, 0); },
     {"...####", "..#####", ".######", "#######", "######.", "#####..", "####..."}},
    {"a hidden pen moves without drawing", [] { HidePen(); LineTo(5, 0); ShowPen(); LineTo(5, 2); },
     {".....#", ".....#", ".....#"}},
    {"frame with pen 2 draws inside", [] { PenSize(2, 2); const Rect r = MakeRect(1, 1, 6, 7); FrameRect(&r); },
     {"........", ".######.", ".######.", ".##..##.", ".######.", ".######.", "........"}},
    {"frame narrower than two pens is solid", [] { PenSize(2, 1); const Rect r = MakeRect(1, 1, 4, 4); FrameRect(&r); },
     {"......", ".###..", ".###..", ".###..", "......"}},
    {"inverted rectangle paints nothing", [] { const Rect r = MakeRect(3, 3, 1, 1); PaintRect(&r); },
     {"....", "....", "...."}},
};

class PenTest : public ::testing::TestWithParam<int> {};

TEST_P(PenTest, ExactPixels) {
    for (const DrawCase& c : kDrawCases) {
        SCOPED_TRACE(c.name);
        UniqueGWorld g = MakeWorld(GetParam(), int(c.expected[0].size()), int(c.expected.size()));
        c.draw();
        EXPECT_EQ(Picture(g.get()), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, PenTest, ::testing::ValuesIn(kDepths));

// Every direction and pen size: the reverse line touches the same pixels, and
// an xor line drawn twice restores the picture (each pixel is painted once).
TEST(Line, ReverseMatchesAndXorTwiceRestores) {
    const Point ends[] = {{10, 19}, {19, 19}, {19, 10}, {19, 1}, {10, 1}, {1, 1}, {1, 10}, {1, 19},
                          {14, 19}, {19, 14}, {6, 1},  {1, 6},  {3, 17}, {17, 3}, {10, 10}};
    const Point centre{10, 10};
    for (int pen = 1; pen <= 4; ++pen) {
        for (const Point& e : ends) {
            SCOPED_TRACE(testing::Message() << "pen " << pen << " to " << e.h << "," << e.v);
            UniqueGWorld a = MakeWorld(32, 24, 24);
            PenSize(SInt16(pen), SInt16(pen));
            MoveTo(centre.h, centre.v);
            LineTo(e.h, e.v);
            const Rows forward = Picture(a.get());
            UniqueGWorld b = MakeWorld(32, 24, 24);
            PenSize(SInt16(pen), SInt16(pen));
            MoveTo(e.h, e.v);
            LineTo(centre.h, centre.v);
            EXPECT_EQ(Picture(b.get()), forward);

            const auto before = Bytes(a.get());
            SetGWorld(a.get(), nullptr);
            PenMode(patXor);
            MoveTo(centre.h, centre.v);
            LineTo(e.h, e.v);
            EXPECT_NE(Bytes(a.get()), before);
            MoveTo(e.h, e.v);
            LineTo(centre.h, centre.v);
            EXPECT_EQ(Bytes(a.get()), before);
        }
    }
}

// A blended stroke blends each pixel once, even where pen rectangles overlap.
TEST(Line, BlendedThickLineBlendsOnce) {
    UniqueGWorld g = MakeWorld(32, 16, 16);
    const PixMap& pm = MapOf(g.get());
    for (int v = 0; v < 16; ++v)
        for (int h = 0; h < 16; ++h) WritePixel(pm, h, v, kBlack);
    RGBForeColor(&kWhite);
    const RGBColor half{0x8000, 0x8000, 0x8000};
    OpColor(&half);
    PenMode(blend);
    PenSize(4, 4);
    MoveTo(1, 1);
    LineTo(10, 7);
    int painted = 0;
    for (int v = 0; v < 16; ++v) {
        for (int h = 0; h < 16; ++h) {
            const RGBColor c = ReadPixel(pm, h, v);
            if (c == kBlack) continue;
            ++painted;
            EXPECT_EQ(c, (RGBColor{0x8080, 0x8080, 0x8080})) << h << "," << v;
        }
    }
    EXPECT_GT(painted, 40);
}

// ---- Rectangles --------------------------------------------------------------

TEST(Rect, InvertTwiceRestores) {
    for (int depth : kDepths) {
        SCOPED_TRACE(depth);
        UniqueGWorld g = MakeWorld(depth, {"#r.b", "g#r.", "b.#g"});
        const auto before = Bytes(g.get());
        const Rect r = MakeRect(1, 0, 3, 4);
        InvertRect(&r);
        EXPECT_NE(Bytes(g.get()), before);
        InvertRect(&r);
        EXPECT_EQ(Bytes(g.get()), before);
    }
    UniqueGWorld g = MakeWorld(1, {"####", "####", "####"});
    const Rect r = MakeRect(1, 0, 3, 4);
    InvertRect(&r);
    EXPECT_EQ(Picture(g.get()), (Rows{"####", "....", "...."}));
}

// A map claiming 16 bits (worlds store those as 32) or with rows too short
// for its width would be overrun: nothing is drawn into it.
TEST(Rect, MapsThePenCannotDrawIntoAreLeftAlone) {
    for (SInt16 depth : {SInt16(16), SInt16(32)}) {
        std::vector<char> buffer(64, char(0x5A));
        PixMap pm;
        pm.baseAddr = buffer.data();
        pm.rowBytes = 8;  // 4 pixels of 16 bits; too short for 32
        pm.bounds = MakeRect(0, 0, 2, 4);
        pm.pixelSize = depth;
        PixMap* pmPtr = &pm;
        CGrafPort port;
        OpenCPort(&port, &pmPtr);
        SetGWorld(&port, nullptr);
        const Rect r = MakeRect(0, 0, 2, 4);
        PaintRect(&r);
        InvertOval(&r);
        EXPECT_EQ(buffer, std::vector<char>(64, char(0x5A))) << depth;
        SetGWorld(nullptr, nullptr);
        CloseCPort(&port);
    }
}

// ---- Patterns and pen modes ----------------------------------------------------

// Pattern row 0xF0 over a destination "##..##..": each mode meets every
// (pattern bit, destination) pair.
struct ModeCase {
    SInt16 mode;
    const char* expected;
};
const ModeCase kModeCases[] = {
    {patCopy, "####...."},    {patOr, "######.."},     {patXor, "..####.."},    {patBic, "....##.."},
    {notPatCopy, "....####"}, {notPatOr, "##..####"},  {notPatXor, "##....##"}, {notPatBic, "##......"},
    {srcCopy, "####...."},    {srcXor, "..####.."},    {srcOr, "######.."},     {99, "####...."},
};

class PenModeTest : public ::testing::TestWithParam<int> {};

TEST_P(PenModeTest, PatternModes) {
    const int depth = GetParam();
    for (const ModeCase& c : kModeCases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        UniqueGWorld g = MakeWorld(depth, {"##..##..", "##..##.."});
        const Pattern p = Pat(0xF0, 0xF0);
        PenPat(&p);
        PenMode(c.mode);
        const Rect r = MakeRect(0, 0, 2, 8);
        PaintRect(&r);
        EXPECT_EQ(Picture(g.get()), (Rows{c.expected, c.expected}));
    }
}

// The pattern aligns to the map's first pixel; after SetOrigin the same
// pixels are reached through new coordinates and the pattern stays on them.
TEST_P(PenModeTest, PatternAlignsToMapNotOrigin) {
    const struct {
        Point origin;  // (v, h)
        Rect r;
        Rows expected;
    } cases[] = {
        {{0, 0}, MakeRect(1, 3, 4, 9), {"..........", "...#.#.#..", "....#.#.#.", "...#.#.#.."}},
        {{20, 10}, MakeRect(20, 11, 22, 15), {"..#.#.....", ".#.#......"}},
    };
    for (const auto& c : cases) {
        UniqueGWorld g = MakeWorld(GetParam(), 10, int(c.expected.size()));
        SetOrigin(c.origin.h, c.origin.v);
        Pattern gray;
        GetQDGlobalsGray(&gray);
        PenPat(&gray);
        PaintRect(&c.r);
        EXPECT_EQ(Picture(g.get()), c.expected) << c.origin.h;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, PenModeTest, ::testing::ValuesIn(kDepths));

// Depths whose tables hold pure red and blue.
TEST(PenMode, ColouredPatternsAndEraseUseForeAndBackColours) {
    for (int depth : {8, 32}) {
        SCOPED_TRACE(depth);
        UniqueGWorld g = MakeWorld(depth, 8, 3);
        RGBForeColor(&kRed);
        RGBBackColor(&kBlue);
        const Pattern p = Pat(0xCC, 0x33);
        PenPat(&p);
        const Rect r = MakeRect(0, 0, 2, 8);
        PaintRect(&r);
        EXPECT_EQ(Picture(g.get()), (Rows{"rrbbrrbb", "bbrrbbrr", "........"}));
        // FillRect takes its own pattern and ignores the pen mode.
        PenMode(patXor);
        const Pattern stripes = Pat(0xFF, 0x00);
        FillRect(&r, &stripes);
        const Rect bottom = MakeRect(2, 1, 3, 3);
        EraseRect(&bottom);
        EXPECT_EQ(Picture(g.get()), (Rows{"rrrrrrrr", "bbbbbbbb", ".bb....."}));
    }
}

// Arithmetic pen modes on an indexed map give the nearest table colour of
// the result (the 8-bit table holds every multiple of 0x3333); the arithmetic
// itself is TransferModes_test's.
TEST(PenMode, ArithmeticModesOnIndexedMaps) {
    const RGBColor grey{0x3333, 0x3333, 0x3333}, light{0xCCCC, 0xCCCC, 0xCCCC};
    const struct {
        SInt16 mode;
        RGBColor op, dst, expected;
    } cases[] = {{addPin, kWhite, kBlack, grey}, {addPin, kWhite, kWhite, kWhite}, {subPin, kBlack, kBlack, kBlack},
                 {subPin, kBlack, kWhite, light}, {blend, {0x8000, 0x8000, 0x8000}, kBlack, {0x2222, 0x2222, 0x2222}}};
    for (const auto& c : cases) {
        UniqueGWorld g = MakeWorld(8, 2, 1);
        const PixMap& pm = MapOf(g.get());
        for (int h = 0; h < 2; ++h) WritePixel(pm, h, 0, c.dst);
        RGBForeColor(&grey);
        OpColor(&c.op);
        PenMode(c.mode);
        const Rect r = MakeRect(0, 1, 1, 2);
        PaintRect(&r);
        EXPECT_EQ(ReadPixel(pm, 0, 0), c.dst) << c.mode;
        EXPECT_EQ(ReadPixel(pm, 1, 0), c.expected) << c.mode;
    }
}

TEST(PenMode, TransparentPaintsOnlyForeground) {
    UniqueGWorld g = MakeWorld(8, {"rrrr"});
    const Pattern p = Pat(0xA0, 0xA0);
    PenPat(&p);
    PenMode(transparent);
    const Rect r = MakeRect(0, 0, 1, 4);
    PaintRect(&r);
    EXPECT_EQ(Picture(g.get()), (Rows{"#r#r"}));
}

// ---- Clipping ----------------------------------------------------------------------

TEST(Clip, RectangularAndShapedClipRegions) {
    for (int depth : kDepths) {
        SCOPED_TRACE(depth);
        UniqueGWorld g = MakeWorld(depth, 7, 6);
        CGrafPtr port = g.get();
        UniqueRgn a, b;
        SetRectRgn(a, 1, 1, 3, 5);
        SetRectRgn(b, 3, 3, 6, 5);
        UnionRgn(a, b, port->clipRgn);
        const Rect all = MakeRect(-10, -10, 20, 20);
        PaintRect(&all);
        EXPECT_EQ(Picture(g.get()), (Rows{".......",
                                          ".##....",
                                          ".##....",
                                          ".#####.",
                                          ".#####.",
                                          "......."}));
        // The visible region clips as well.
        SetRectRgn(port->clipRgn, -100, -100, 100, 100);
        SetRectRgn(port->visRgn, 0, 0, 7, 1);
        PenSize(1, 1);
        MoveTo(0, 0);
        LineTo(6, 5);
        EXPECT_EQ(Picture(g.get())[0], "#......");
        EXPECT_EQ(Picture(g.get())[5], ".......");
    }
}

}  // namespace
