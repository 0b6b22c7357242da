#include "platform/raster/Shapes.h"

#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <utility>

using namespace pixelart;
using Rows = std::vector<std::string>;

namespace {

// ---- Ovals and rounded rectangles ------------------------------------------------

struct ShapeCase {
    const char* name;
    Rect r;
    Rows expected;
};

const ShapeCase kOvals[] = {
    {"1x1", MakeRect(0, 0, 1, 1), {"#"}},
    {"2x2", MakeRect(0, 0, 2, 2), {"##", "##"}},
    {"4x4", MakeRect(0, 0, 4, 4), {".##.", "####", "####", ".##."}},
    {"5x5", MakeRect(0, 0, 5, 5), {".###.", "#####", "#####", "#####", ".###."}},
    {"6x4", MakeRect(0, 0, 4, 6), {".####.", "######", "######", ".####."}},
    {"8x8", MakeRect(0, 0, 8, 8),
     {"..####..", ".######.", "########", "########", "########", "########", ".######.", "..####.."}},
    {"offset 4x4", MakeRect(1, 2, 5, 6), {"......", "...##.", "..####", "..####", "...##."}},
};

TEST(Oval, PaintExactSmallOvals) {
    for (int depth : {1, 8, 32}) {
        for (const ShapeCase& c : kOvals) {
            SCOPED_TRACE(testing::Message() << c.name << " depth " << depth);
            UniqueGWorld g = MakeWorld(depth, int(c.expected[0].size()), int(c.expected.size()));
            PaintOval(&c.r);
            EXPECT_EQ(Picture(g.get()), c.expected);
        }
    }
}

TEST(Oval, EveryOvalIsSymmetric) {
    for (int w = 1; w <= 13; ++w) {
        for (int h = 1; h <= 13; ++h) {
            SCOPED_TRACE(testing::Message() << w << "x" << h);
            UniqueGWorld g = MakeWorld(8, w, h);
            const Rect r = MakeRect(0, 0, h, w);
            PaintOval(&r);
            const Rows pic = Picture(g.get());
            for (int v = 0; v < h; ++v) {
                EXPECT_EQ(pic[size_t(v)], pic[size_t(h - 1 - v)]);
                EXPECT_EQ(pic[size_t(v)], std::string(pic[size_t(v)].rbegin(), pic[size_t(v)].rend()));
            }
            // An odd oval's middle row and column reach the edges.
            if (h % 2) {
                EXPECT_EQ(pic[size_t(h / 2)], std::string(size_t(w), '#'));
            }
            for (int v = 0; v < h && w % 2; ++v) {
                EXPECT_EQ(pic[size_t(v)][size_t(w / 2)], '#');
            }
        }
    }
}

TEST(Oval, InvertTwiceRestoresAndEraseUsesBackground) {
    UniqueGWorld g = MakeWorld(32, {"#####", "#####", "#####", "#####", "#####"});
    const Rect r = MakeRect(0, 0, 5, 5);
    const auto before = Bytes(g.get());
    InvertOval(&r);
    EXPECT_EQ(Picture(g.get()), (Rows{"#...#", ".....", ".....", ".....", "#...#"}));
    InvertOval(&r);
    EXPECT_EQ(Bytes(g.get()), before);
    RGBBackColor(&kGreen);
    EraseOval(&r);
    EXPECT_EQ(Picture(g.get()), (Rows{"#ggg#", "ggggg", "ggggg", "ggggg", "#ggg#"}));
}

// Shapes from a picture may span the whole coordinate plane; the oval
// arithmetic must not overflow and only the port's part is drawn.
TEST(Shapes, WholePlaneShapes) {
    UniqueGWorld g = MakeWorld(8, 4, 3);
    const Rect huge = MakeRect(-32767, -32767, 32767, 32767);
    PaintOval(&huge);
    EXPECT_EQ(Picture(g.get()), Rows(3, "####"));
    FrameOval(&huge);  // the outline lies far outside
    EraseRoundRect(&huge, 30000, 30000);
    EXPECT_EQ(Picture(g.get()), Rows(3, "...."));
    PaintArc(&huge, 90, 90);  // the lower-right quarter holds the port
    EXPECT_EQ(Picture(g.get()), Rows(3, "####"));
    InvertArc(&huge, 180, 180);
    EXPECT_EQ(Picture(g.get()), Rows(3, "####"));
    PenSize(32767, 32767);
    FrameRect(&huge);
    EraseRect(&huge);
    MoveTo(-32767, 32767);
    LineTo(32767, -32767);
    EXPECT_EQ(Picture(g.get()), Rows(3, "####"));
}

// ---- Polygons ---------------------------------------------------------------------

// Records a polygon through the points (h, v), offset by (dh, dv).
PolyHandle MakePoly(std::initializer_list<std::pair<int, int>> pts, int dh = 0, int dv = 0) {
    PolyHandle poly = OpenPoly();
    bool first = true;
    for (const auto& [h, v] : pts) {
        if (first) MoveTo(SInt16(h), SInt16(v));
        else LineTo(SInt16(h), SInt16(v));
        first = false;
    }
    ClosePoly();
    OffsetPoly(poly, SInt16(dh), SInt16(dv));
    return poly;
}
PolyHandle Triangle() { return MakePoly({{0, 0}, {6, 0}, {0, 6}, {0, 0}}); }
void WithPoly(PolyHandle poly, void (*draw)(PolyHandle)) {
    draw(poly);
    KillPoly(poly);
}

struct DrawCase {
    const char* name;
    void (*draw)();
    Rows expected;
};
const DrawCase kDrawCases[] = {
    {"frame oval is the oval less the inset oval", [] { const Rect r = MakeRect(0, 0, 8, 8); FrameOval(&r); },
     {"..####..", ".#....#.", "#......#", "#......#", "#......#", "#......#", ".#....#.", "..####.."}},
    {"paint round rect", [] { const Rect r = MakeRect(0, 0, 6, 8); PaintRoundRect(&r, 4, 4); },
     {".######.", "########", "########", "########", "########", ".######."}},
    {"corners larger than the rect make the oval",
     [] { const Rect r = MakeRect(0, 0, 4, 6); PaintRoundRect(&r, 100, 100); },
     {".####.", "######", "######", ".####."}},
    {"frame round rect", [] { const Rect r = MakeRect(0, 0, 8, 10); FrameRoundRect(&r, 6, 6); },
     {".########.", "##......##", "#........#", "#........#", "#........#", "#........#", "##......##", ".########."}},
    {"round rect without corners", [] { const Rect r = MakeRect(0, 0, 4, 6); PaintRoundRect(&r, 0, 0); },
     Rows(4, "######")},
    {"arc from twelve to three o'clock", [] { const Rect r = MakeRect(0, 0, 8, 8); PaintArc(&r, 0, 90); },
     {"....##..", "....###.", "....####", "....####", "........", "........", "........", "........"}},
    {"the same wedge given backwards inverts it back",
     [] { const Rect r = MakeRect(0, 0, 8, 8); PaintArc(&r, 0, 90); InvertArc(&r, 90, -90); }, Rows(8, "........")},
    {"paint triangle", [] { WithPoly(Triangle(), PaintPoly); },
     {"#####...", "####....", "###.....", "##......", "#.......", "........", "........"}},
    {"frame triangle", [] { WithPoly(Triangle(), FramePoly); },
     {"#######.", "#....#..", "#...#...", "#..#....", "#.#.....", "##......", "#......."}},
    {"offset rectangular polygon",
     [] { WithPoly(MakePoly({{1, 1}, {4, 1}, {4, 3}, {1, 3}}, 2, 1), PaintPoly); },
     {".......", ".......", "...###.", "...###.", "......."}},
    {"self-crossing outline fills even-odd: the overlap is outside",
     [] { WithPoly(MakePoly({{0, 0}, {4, 0}, {4, 4}, {2, 4}, {2, 2}, {6, 2}, {6, 6}, {0, 6}, {0, 0}}), PaintPoly); },
     {"####..", "####..", "##..##", "##..##", "######", "######"}},
};

TEST(Shapes, ExactPictures) {
    for (const DrawCase& c : kDrawCases) {
        SCOPED_TRACE(c.name);
        UniqueGWorld g = MakeWorld(8, int(c.expected[0].size()), int(c.expected.size()));
        c.draw();
        EXPECT_EQ(Picture(g.get()), c.expected);
    }
}

TEST(Poly, RecordingKeepsClassicLayoutAndDrawsNothing) {
    UniqueGWorld g = MakeWorld(8, 8, 8);
    PolyHandle poly = Triangle();
    ASSERT_NE(poly, nullptr);
    const auto* p = reinterpret_cast<const Polygon*>(*poly);
    EXPECT_EQ(p->polySize, 10 + 4 * 4);
    EXPECT_EQ(GetHandleSize(poly), 26);
    EXPECT_EQ(p->polyBBox, MakeRect(0, 0, 6, 6));
    const auto pts = PolyPoints(poly);
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[1], (Point{0, 6}));
    EXPECT_EQ(pts[2], (Point{6, 0}));
    EXPECT_EQ(Picture(g.get()), Rows(8, "........"));
    // The pen is visible again after recording.
    EXPECT_EQ(g.get()->pnVis, 0);
    OffsetPoly(poly, 2, 1);
    EXPECT_EQ(p->polyBBox, MakeRect(1, 2, 7, 8));
    EXPECT_EQ(PolyPoints(poly)[1], (Point{1, 8}));
    KillPoly(poly);
}

TEST(Poly, TruncatedHandleReadsOnlyWholePoints) {
    PolyHandle poly = NewHandleClear(17);
    const SInt16 claimed = 400;  // more than the handle holds
    std::memcpy(*poly, &claimed, sizeof claimed);
    EXPECT_EQ(PolyPoints(poly).size(), 1u);
    UniqueGWorld g = MakeWorld(8, 4, 4);
    PaintPoly(poly);
    FramePoly(poly);
    EXPECT_EQ(Picture(g.get()), Rows(4, "...."));
    KillPoly(poly);
}

// ---- Regions -------------------------------------------------------------------------

UniqueRgn LShape() {
    UniqueRgn a, b, l;
    SetRectRgn(a, 1, 1, 4, 6);
    SetRectRgn(b, 4, 4, 7, 6);
    UnionRgn(a, b, l);
    return l;
}

TEST(Rgn, PaintFrameInvertFill) {
    for (int depth : {1, 4, 8, 32}) {
        SCOPED_TRACE(depth);
        UniqueRgn l = LShape();
        UniqueGWorld g = MakeWorld(depth, 8, 7);
        PaintRgn(l);
        const Rows painted{"........", ".###....", ".###....", ".###....", ".######.", ".######.", "........"};
        EXPECT_EQ(Picture(g.get()), painted);
        InvertRgn(l);
        EXPECT_EQ(Picture(g.get()), Rows(7, "........"));
        FrameRgn(l);
        const Rows framed{"........", ".###....", ".#.#....", ".#.#....", ".#.####.", ".######.", "........"};
        EXPECT_EQ(Picture(g.get()), framed);
        EraseRgn(l);
        Pattern checker;
        GetQDGlobalsGray(&checker);
        FillRgn(l, &checker);
        const Rows filled{"........", ".#.#....", "..#.....", ".#.#....", "..#.#.#.", ".#.#.#..", "........"};
        EXPECT_EQ(Picture(g.get()), filled);
    }
}

}  // namespace
