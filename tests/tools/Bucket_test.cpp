// The bucket: which pixels a fill reaches, what it paints there and how the
// mask follows, at 8 and 24 bits; the Command-click replacement.
#include "tools/Bucket.h"

#include "paint/Undo.h"
#include "tools/Tools.h"
#include "tests/tools/ToolTestSupport.h"
#include "tools/ColorSearch.h"

#include <gtest/gtest.h>

namespace {

using tooltest::ColorToolTest;
using Rows = std::vector<std::string>;

class BucketTest : public ColorToolTest, public testing::WithParamInterface<SInt16> {};

// Opaque white bounded only by transparent (white) pixels: the fill stays in
// the opaque area; the lone opaque pixel touching it only diagonally is not
// connected.
TEST_P(BucketTest, FillFromOpaqueWhiteStopsAtTransparency) {
    WindowRef w = MakeDocument(GetParam(),
                               Rows{"......", "......", "......", "......", "......"},
                               Rows{"......", ".###..", ".##...", "...#..", "......"});
    PaintWinRec* rec = GetPaintWinRec(w);
    DoBucket(w, Point{1, 1}, false);
    EXPECT_EQ(Image(rec), (Rows{"......", ".rrr..", ".rr...", "......", "......"}));
    EXPECT_EQ(Mask(rec), (Rows{"......", ".###..", ".##...", "...#..", "......"}));
    EXPECT_EQ(rec->undoMode, kUndoPaint);
    EXPECT_TRUE(rec->isDirty);
    // What the window shows follows.
    EXPECT_EQ(pixelart::Picture(rec->dispPort.get()), (Rows{"......", ".rrr..", ".rr...", "......", "......"}));
}

// A transparent seed fills the connected transparent area and makes it
// opaque; the black wall and the area beyond it stay as they were.
TEST_P(BucketTest, FillFromTransparencyFillsConnectedTransparentArea) {
    WindowRef w = MakeDocument(GetParam(),
                               Rows{"..#...", "..#...", "..#..."},
                               Rows{"..#...", "..#...", "..#..."});
    PaintWinRec* rec = GetPaintWinRec(w);
    DoBucket(w, Point{1, 0}, false);
    EXPECT_EQ(Image(rec), (Rows{"rr#...", "rr#...", "rr#..."}));
    EXPECT_EQ(Mask(rec), (Rows{"###...", "###...", "###..."}));
}

// An opaque coloured area: exactly the seed's colour, 4-connected.
TEST_P(BucketTest, FillReplacesTheConnectedAreaOfTheSeedColour) {
    gCurrentColor = ColorRec{pixelart::kBlue, 0};
    WindowRef w = MakeDocument(GetParam(),
                               Rows{"rr#r", "r#r.", "rr#r"},
                               Rows{"####", "####", "####"});
    PaintWinRec* rec = GetPaintWinRec(w);
    DoBucket(w, Point{0, 0}, false);
    EXPECT_EQ(Image(rec), (Rows{"bb#r", "b#r.", "bb#r"}));
}

// Pattern 4 of the small list sets every other pixel of every other row.
// With a transparent background colour the pattern's background pixels
// stay transparent (white), its foreground pixels become opaque red.
TEST_P(BucketTest, PatternedFillWithTransparentBackgroundColour) {
    gPatternNo = 4;
    gBackColor = ColorRec{pixelart::kWhite, 1};
    WindowRef w = MakeDocument(GetParam(), Rows{"......", "......", "......", "......"},
                               Rows{"......", "......", "......", "......"});
    PaintWinRec* rec = GetPaintWinRec(w);
    DoBucket(w, Point{2, 3}, false);
    EXPECT_EQ(Image(rec), (Rows{"r.r.r.", "......", "r.r.r.", "......"}));
    EXPECT_EQ(Mask(rec), (Rows{"#.#.#.", "......", "#.#.#.", "......"}));
}

// A fill that changes no pixel (red over red, transparency over transparent
// white) records nothing: the edit before stays the one to undo and the
// document stays unmodified.
TEST_P(BucketTest, FillThatChangesNothingRecordsNothing) {
    WindowRef w = MakeDocument(GetParam(), Rows{"rr..", "rr.."}, Rows{"##..", "##.."});
    PaintWinRec* rec = GetPaintWinRec(w);
    rec->undoMode = kUndoTone;
    rec->isDirty = false;
    DoBucket(w, Point{0, 0}, false);
    gCurrentColor = ColorRec{pixelart::kWhite, 1};
    DoBucket(w, Point{1, 3}, false);
    EXPECT_EQ(rec->undoMode, kUndoTone);
    EXPECT_FALSE(rec->isDirty);
    EXPECT_EQ(Image(rec), (Rows{"rr..", "rr.."}));
    EXPECT_EQ(Mask(rec), (Rows{"##..", "##.."}));
}

INSTANTIATE_TEST_SUITE_P(Depths, BucketTest, testing::Values(SInt16(8), SInt16(24)),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

// The mask after a fill of a transparent area, by the transparency of the
// two colours and by the pattern (small list: 1 solid foreground, 4 light
// grey, 13 solid background; large list: 12 solid foreground, 1 solid
// background).
TEST_F(ColorToolTest, BucketMaskFollowsColoursAndPattern) {
    struct Case {
        bool foreTransparent, backTransparent, large;
        SInt16 pattern;
        Rows mask;
    };
    const Rows all{"####", "####"}, none{"....", "...."}, grey{"#.#.", "...."};
    const Case cases[] = {
        {false, false, false, 4, all},  {false, true, false, 1, all},   {false, true, false, 4, grey},
        {true, false, false, 13, all},  {true, false, false, 4, {".#.#", "####"}},
        {true, true, false, 4, none},   {true, false, false, 1, none},  {false, true, false, 13, none},
        {false, true, true, 12, all},   {true, false, true, 1, all},    {true, false, true, 12, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.foreTransparent << c.backTransparent << c.large << " pattern "
                                        << c.pattern);
        gCurrentColor = ColorRec{c.foreTransparent ? pixelart::kWhite : pixelart::kRed, UInt8(c.foreTransparent)};
        gBackColor = ColorRec{c.backTransparent ? pixelart::kWhite : pixelart::kBlue, UInt8(c.backTransparent)};
        gOtherPrefs[kOtherLargePatterns] = c.large;
        gPatternNo = c.pattern;
        WindowRef w = MakeDocument(24, Rows{"....", "...."}, Rows{"....", "...."});
        DoBucket(w, Point{0, 0}, false);
        EXPECT_EQ(Mask(GetPaintWinRec(w)), c.mask);
        painttest::CloseAllDocuments();
    }
}

// While a selection floats, offPort holds the lifted pixels at selRect and
// clicks arrive at the displayed place (selOffset further on).
TEST_F(ColorToolTest, FloatingSelectionLimitsTheFillToItsRectangle) {
    WindowRef w = MakeDocument(24, Rows{"......", "......", "......", "......"},
                               Rows{"######", "######", "######", "######"});
    PaintWinRec* rec = GetPaintWinRec(w);
    rec->selRect = MakeRect(1, 1, 3, 4);
    rec->isFloating = true;
    rec->selOffset = Point{1, 2};  // v 1, h 2
    Rect moved = rec->selRect;
    OffsetRect(&moved, 2, 1);
    RectRgn(rec->selRgn, &moved);

    UniqueRgn area;
    ASSERT_EQ(MakeBucketRegion(rec, Point{1, 1}, area), noErr);
    Rect bounds;
    GetRegionBounds(area, &bounds);
    EXPECT_EQ(bounds, rec->selRect);

    DoBucket(w, Point{2, 4}, false);  // image (4, 2) less the offset: (2, 1)
    EXPECT_EQ(Image(rec), (Rows{"......", ".rrr..", ".rrr..", "......"}));
    Rect update;
    GetRegionBounds(rec->updateRgn, &update);
    EXPECT_EQ(update, moved);

    // A click outside the lifted rectangle does nothing.
    const Rows before = Image(rec);
    gCurrentColor = ColorRec{pixelart::kBlue, 0};
    DoBucket(w, Point{0, 0}, false);
    EXPECT_EQ(Image(rec), before);
}

// Command: the clicked colour is replaced everywhere in selRect.
TEST_F(ColorToolTest, CommandClickReplacesTheColourEverywhere) {
    for (SInt16 depth : {SInt16(8), SInt16(24)}) {
        SCOPED_TRACE(depth);
        gCurrentColor = ColorRec{pixelart::kBlue, 0};
        WindowRef w = MakeDocument(depth, Rows{"r.r#", "#r.r"}, Rows{"####", "##.#"});
        PaintWinRec* rec = GetPaintWinRec(w);
        DoBucket(w, Point{0, 0}, true);
        EXPECT_EQ(Image(rec), (Rows{"b.b#", "#b.b"}));
        EXPECT_EQ(Mask(rec), (Rows{"####", "##.#"}));
        EXPECT_EQ(rec->undoMode, kUndoTone);
        painttest::CloseAllDocuments();
    }
}

// Command on transparency with an opaque pen: every transparent pixel takes
// the pen colour and becomes opaque.
TEST_F(ColorToolTest, CommandClickOnTransparencyColoursIt) {
    WindowRef w = MakeDocument(24, Rows{"..#.", "...."}, Rows{"#.#.", "...#"});
    PaintWinRec* rec = GetPaintWinRec(w);
    DoBucket(w, Point{0, 1}, true);
    EXPECT_EQ(Image(rec), (Rows{".r#r", "rrr."}));
    EXPECT_EQ(Mask(rec), (Rows{"####", "####"}));
}

TEST_F(ColorToolTest, CommandClickThatChangesNothingLeavesTheDocument) {
    struct Case {
        ColorRec pen;
        Point at;
    };
    const Case cases[] = {
        {ColorRec{pixelart::kRed, 0}, Point{0, 0}},    // the pixel has the pen colour
        {ColorRec{pixelart::kWhite, 1}, Point{0, 1}},  // transparent pixel, transparent pen
    };
    for (const Case& c : cases) {
        gCurrentColor = c.pen;
        WindowRef w = MakeDocument(24, Rows{"r.", ".."}, Rows{"#.", ".."});
        PaintWinRec* rec = GetPaintWinRec(w);
        DoBucket(w, c.at, true);
        EXPECT_EQ(Image(rec), (Rows{"r.", ".."}));
        EXPECT_EQ(Mask(rec), (Rows{"#.", ".."}));
        EXPECT_EQ(rec->undoMode, 0);
        EXPECT_FALSE(rec->isDirty);
        painttest::CloseAllDocuments();
    }
}

// The tool dispatch's hook: the bucket with and without Command, the
// eyedropper; other tools are left to their own code.
TEST_F(ColorToolTest, ColourToolHookRoutesByTool) {
    WindowRef w = MakeDocument(24, Rows{"r.r", "#r."}, Rows{"###", "###"});
    PaintWinRec* rec = GetPaintWinRec(w);
    gCurrentColor = ColorRec{pixelart::kBlue, 0};
    EventRecord click;
    click.modifiers = cmdKey;
    EXPECT_TRUE(ClickColorTool(w, Point{0, 0}, &click, kBucketTool));
    EXPECT_EQ(Image(rec), (Rows{"b.b", "#b."}));
    click.modifiers = 0;
    gCurrentColor = ColorRec{pixelart::kGreen, 0};
    EXPECT_TRUE(ClickColorTool(w, Point{0, 0}, &click, kBucketTool));
    EXPECT_EQ(Image(rec), (Rows{"g.b", "#b."}));
    EXPECT_TRUE(ClickColorTool(w, Point{1, 0}, &click, kEyedropperTool));
    EXPECT_EQ(gCurrentColor, (ColorRec{pixelart::kBlack, 0}));
    EXPECT_FALSE(ClickColorTool(w, Point{0, 1}, &click, kPencilTool));
    EXPECT_EQ(Image(rec), (Rows{"g.b", "#b."}));
}

// CreateMask2: a set bit for every pixel that is not exactly white.
TEST(ColorSearch, CreateMask2MarksEveryPixelButWhite) {
    for (int depth : {8, 32}) {
        SCOPED_TRACE(depth);
        UniqueGWorld image = pixelart::MakeWorld(depth, Rows{".r#.", "b..g"});
        const PixMap& pm = pixelart::MapOf(image.get());
        // Nearly white: a colour of its own only where the depth holds it.
        pixelart::WritePixel(pm, 3, 0, RGBColor{0xFFFF, 0xFFFF, 0xFEFE});
        UniqueGWorld mask;
        ASSERT_EQ(CreateMask2(image.get(), mask.out()), noErr);
        EXPECT_EQ(pixelart::BitPicture(pixelart::MapOf(mask.get())),
                  (Rows{depth == 32 ? ".###" : ".##.", "#..#"}));
    }
}

}  // namespace
