// The pencil and the eraser driven by scripted mouse input on real paint
// windows: footprints, lines, Shift strokes, blending, the toggle, erasing,
// floating selections and strokes that leave the window.
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

class PencilTest : public ToolTest {};

Rows Blank(int w, int h, char c = '.') { return Rows(size_t(h), std::string(size_t(w), c)); }

}  // namespace

TEST_F(PencilTest, PenFootprintIsCentredOnThePointerForSizesOneToFour) {
    struct Case { SInt16 size; Rows image; };
    const Case cases[] = {
        {1, {"......", "......", "......", "...#..", "......", "......"}},
        {2, {"......", "......", "..##..", "..##..", "......", "......"}},
        {3, {"......", "......", "..###.", "..###.", "..###.", "......"}},
        {4, {"......", ".####.", ".####.", ".####.", ".####.", "......"}},
    };
    for (SInt16 depth : {SInt16(8), SInt16(24)})
    for (SInt16 ratio : {SInt16(0), SInt16(2), SInt16(4)})
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " depth " << depth << " ratio " << ratio);
        WindowRef w = MakePaint(6, 6, ratio, depth);
        gPenWidth = gPenHeight = c.size;
        DragPixels(w, {{3, 3}}, DoPaint);
        EXPECT_EQ(Image(w), c.image);
        EXPECT_EQ(Mask(w), c.image);  // painted pixels become opaque, the rest stays transparent
        EXPECT_EQ(Shown(w), c.image);
        CloseAllDocuments();
    }
}

TEST_F(PencilTest, DragDrawsConnectedLinesAndShowsThemAtOnce) {
    WindowRef w = MakePaint(8, 5, 2);
    gCurrentColor.rgb = kRed;
    DragPixels(w, {{1, 1}, {6, 1}, {6, 3}, {2, 3}}, DoPaint);
    EXPECT_EQ(Image(w), (Rows{"........", ".rrrrrr.", "......r.", "..rrrrr.", "........"}));
    PaintWinRec* rec = GetPaintWinRec(w);
    EXPECT_EQ(rec->undoMode, kUndoPaint);
    EXPECT_TRUE(rec->isDirty);
    EXPECT_EQ(Bounds(rec->updateRgn), "1,1,4,7");
    EXPECT_EQ(rec->lastPenPt.h, 2);
    EXPECT_EQ(rec->lastPenPt.v, 3);
    // The window shows the stroke before any update event: pixel (4, 1) zoomed by 4.
    const PixMap& port = **GetPortPixMap(GetWindowPort(w));
    EXPECT_EQ(ReadPixel(port, 4 * 4 + 2, 1 * 4 + 2), kRed);
    EXPECT_EQ(ReadPixel(port, 4 * 4 + 2, 2 * 4 + 2), kWhite);
}

TEST_F(PencilTest, ShiftClickContinuesOnlyAfterAStroke) {
    WindowRef w = MakePaint(8, 4, 2);
    DragPixels(w, {{1, 1}}, DoPaint);
    DragPixels(w, {{6, 1}}, DoPaint, true);
    EXPECT_EQ(Image(w)[1], ".######.");

    // After another kind of edit the Shift-click paints one footprint.
    GetPaintWinRec(w)->undoMode = kUndoTone;
    DragPixels(w, {{6, 3}}, DoPaint, true);
    EXPECT_EQ(Image(w)[3], "......#.");
    EXPECT_EQ(Image(w)[2], "........");
}

TEST_F(PencilTest, ShiftDragKeepsTheFirstDirectionAndADiagonalStartIsHorizontal) {
    struct Case { std::vector<std::pair<int, int>> path; Rows image; };
    const Case cases[] = {
        {{{1, 1}, {3, 3}, {6, 4}}, {"........", ".######.", "........", "........", "........", "........"}},
        {{{2, 0}, {2, 2}, {5, 5}}, {"..#.....", "..#.....", "..#.....", "..#.....", "..#.....", "..#....."}},
    };
    for (const Case& c : cases) {
        WindowRef w = MakePaint(8, 6, 2);
        DragPixels(w, c.path, DoPaint, true);
        EXPECT_EQ(Image(w), c.image);
        CloseAllDocuments();
    }
}

TEST_F(PencilTest, BlendStrokeBlendsEachPixelOnceEvenWhereItDoublesBack) {
    WindowRef w = MakePaint(8, 3, 2);
    gBlendMode = blend;
    gBlendRatio = RGBColor{0x8000, 0x8000, 0x8000};
    gPenWidth = 2;
    DragPixels(w, {{1, 1}, {6, 1}, {2, 1}, {4, 1}}, DoPaint);
    const PixMap& off = MapOf(GetPaintWinRec(w)->offPort.get());
    const RGBColor once = ReadPixel(off, 3, 1);
    EXPECT_FALSE(once == kWhite);
    EXPECT_FALSE(once == kBlack);
    for (int x = 0; x < 8; ++x) {
        SCOPED_TRACE(x);
        const bool touched = x <= 6;  // a 2-wide pen from 0 (centred on 1) to 6
        EXPECT_EQ(ReadPixel(off, x, 1), touched ? once : kWhite);
        EXPECT_EQ(ReadPixel(off, x, 2), kWhite);
    }
}

TEST_F(PencilTest, ToggleRule) {
    struct Case {
        const char* name;
        SInt16 pen;
        SInt16 blendMode;
        char under;         // the pixel clicked
        bool transparent;   // its mask bit is clear
        UInt8 onlySmallPen; // tool preference byte 1
        char expected;
    };
    const Case cases[] = {
        {"same colour, 1x1", 1, 0, 'r', false, 1, 'g'}, {"other colour, 1x1", 1, 0, 'b', false, 1, 'r'},
        {"same colour, 2x2 with small-pen rule", 2, 0, 'r', false, 1, 'r'},
        {"same colour, 2x2 without small-pen rule", 2, 0, 'r', false, 0, 'g'},
        {"same colour, blend mode", 1, blend, 'r', false, 1, '?'},
        {"same colour, transparent", 1, 0, 'r', true, 1, 'r'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakePaint(4, 4, 2);
        Fill(w, Blank(4, 4, c.under));
        PaintWinRec* rec = GetPaintWinRec(w);
        if (c.transparent) {
            SavedGWorld saved;
            SetGWorld(rec->maskPort.get(), nullptr);
            EraseRect(&rec->picRect);
        }
        gCurrentColor = ColorRec{kRed, 0};
        gBackColor = ColorRec{kGreen, 0};
        gPenWidth = gPenHeight = c.pen;
        gBlendMode = c.blendMode;
        gBlendRatio = RGBColor{0x8000, 0x8000, 0x8000};
        gToolPrefs.pencilToggle = 1;
        gToolPrefs.toggleOnlyWithSmallPen = c.onlySmallPen;
        DragPixels(w, {{2, 2}}, DoPaint);
        if (c.expected == '?') {
            // Blending red over red gives red again: still no toggle to green.
            EXPECT_EQ(ReadPixel(MapOf(rec->offPort.get()), 2, 2), kRed);
        } else {
            EXPECT_EQ(Image(w)[2][2], c.expected);
        }
        EXPECT_EQ(Mask(w)[2][2], '#');
        CloseAllDocuments();
    }
}

TEST_F(PencilTest, EraserPaintsTheBackgroundColourOrTransparency) {
    struct Case { const char* name; bool backTransparent; bool documentHasBackground; char pixel; char mask; };
    const Case cases[] = {
        {"opaque background colour", false, false, 'g', '#'}, {"transparent background colour", true, false, '.', '.'},
        {"document with a background layer", false, true, '.', '.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakePaint(5, 3, 2);
        Fill(w, Blank(5, 3, 'b'));
        GetPaintWinRec(w)->hasTransparency = c.documentHasBackground;
        gBackColor = ColorRec{kGreen, UInt8(c.backTransparent)};
        gEraserWidth = 2;
        DragPixels(w, {{1, 1}, {3, 1}}, DoErase);
        const std::string row(1, c.pixel);
        // A 2 x 1 eraser centred on (1, 1) and on (3, 1) covers columns 0 to 3.
        EXPECT_EQ(Image(w)[0], "bbbbb");
        EXPECT_EQ(Image(w)[1], row + row + row + row + "b");
        const std::string m(1, c.mask);
        EXPECT_EQ(Mask(w)[0], "#####");
        EXPECT_EQ(Mask(w)[1], m + m + m + m + "#");
        CloseAllDocuments();
    }
}

TEST_F(PencilTest, TransparentPenColourMakesPixelsTransparent) {
    WindowRef w = MakePaint(4, 2, 2);
    Fill(w, Blank(4, 2, 'r'));
    gCurrentColor = ColorRec{kBlue, 1};
    DragPixels(w, {{1, 0}, {2, 0}}, DoPaint);
    EXPECT_EQ(Image(w), (Rows{"r..r", "rrrr"}));
    EXPECT_EQ(Mask(w), (Rows{"#..#", "####"}));
}

TEST_F(PencilTest, StrokeThatLeavesTheWindowStopsAtTheImageEdge) {
    WindowRef w = MakePaint(8, 4, 2);
    const Point start = Local(w, 5, 2);
    Drag(w, {start, Point{SInt16(start.v - 200), SInt16(start.h + 600)}, Point{SInt16(start.v + 9), SInt16(start.h + 900)}},
         DoPaint);
    // The lines run off the image towards the upper right, then back down.
    PaintWinRec* rec = GetPaintWinRec(w);
    EXPECT_EQ(Image(w)[2].substr(0, 5), ".....");
    EXPECT_EQ(Image(w)[2][5], '#');
    Rect changed;
    GetRegionBounds(rec->updateRgn, &changed);
    EXPECT_TRUE(changed.left >= 0 && changed.top >= 0 && changed.right <= 8 && changed.bottom <= 4)
        << RectText(&changed);
    EXPECT_EQ(rec->undoMode, kUndoPaint);
}

TEST_F(PencilTest, StrokeOnAFloatingSelectionChangesOnlyItsPixels) {
    auto [w, rec] = MakePaint(8, 6, 2);
    // Lifted pixels kept at (1, 1)..(4, 3) of offPort, shown moved two right and one down.
    Lift(w, {"........", ".###....", ".###....", "........", "........", "........"});
    MoveSelection(w, 2, 1, true);
    DragPixels(w, {{0, 2}, {7, 2}}, DoPaint);  // across the whole picture on row 2
    // Only the lifted pixels changed: row 2 of the shown part is row 1 of the kept part.
    EXPECT_EQ(Image(w), (Rows{"........", ".###....", "........", "........", "........", "........"}));
    EXPECT_EQ(Mask(w)[1], ".###....");
    EXPECT_EQ(Mask(w)[2], "........");
    EXPECT_EQ(Bounds(rec->updateRgn), "2,3,3,6");
    EXPECT_EQ(Shown(w)[2], "...###..");
}

TEST_F(PencilTest, StrokeOverABackgroundLayerShowsLiveOnTransparentPixels) {
    auto [w, rec] = MakePaint(6, 3, 2);
    ASSERT_EQ(NewGWorld(rec->backPort.out(), 32, &rec->picRect, nullptr, nullptr, 0), noErr);
    const PixMap& back = MapOf(rec->backPort.get());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) WritePixel(back, x, y, kGreen);
    RedrawPaintWindow(w, nullptr);
    gCurrentColor = ColorRec{kRed, 0};
    DragPixels(w, {{1, 1}, {3, 1}}, DoPaint);
    // The window was drawn during the stroke only: the foreground shows where painted.
    const PixMap& port = **GetPortPixMap(GetWindowPort(w));
    const Rect p = Port(w);
    auto shown = [&](int x, int y) { return ReadPixel(port, x * 4 + 2 - p.left, y * 4 + 2 - p.top); };
    EXPECT_EQ(shown(1, 1), kRed);
    EXPECT_EQ(shown(3, 1), kRed);
    EXPECT_EQ(shown(4, 1), kGreen);
    EXPECT_EQ(shown(2, 0), kGreen);
    EXPECT_EQ(Mask(w)[1], ".###..");
    EXPECT_EQ(Mask(w)[0], "......");
}

