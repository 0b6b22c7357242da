// The bucket: which pixels a fill reaches, what it paints there and how the
// mask follows, at 8 and 24 bits; the Command-click replacement.
#include "tools/Bucket.h"

#include "tests/support/PaintTestSupport.h"
#include "tools/ColorSearch.h"

using namespace painttest;

namespace {

// One fill at 8 and 24 bits: the document, the press (Command replaces the
// clicked colour everywhere in selRect) and what image and mask become.
struct BucketCase {
    const char* what;
    Rows image, mask;
    Point at;
    bool command;
    ColorRec pen, back;
    SInt16 pattern;
    Rows imageAfter, maskAfter;  // empty: the fill changes nothing
};

const ColorRec kRedPen{kRed, 0}, kBluePen{kBlue, 0}, kWhiteBack{kWhite, 0}, kClear{kWhite, 1};

const BucketCase kFills[] = {
    // The lone opaque pixel touching the area only diagonally is not connected.
    {"opaque white stops at transparency", Rows(5, "......"), {"......", ".###..", ".##...", "...#..", "......"},
     {1, 1}, false, kRedPen, kWhiteBack, 1, {"......", ".rrr..", ".rr...", "......", "......"},
     {"......", ".###..", ".##...", "...#..", "......"}},
    {"a transparent seed fills the transparent area up to the wall", Rows(3, "..#..."), Rows(3, "..#..."), {0, 1},
     false, kRedPen, kWhiteBack, 1, Rows(3, "rr#..."), Rows(3, "###...")},
    {"exactly the seed's colour, 4-connected", {"rr#r", "r#r.", "rr#r"}, Rows(3, "####"), {0, 0}, false, kBluePen,
     kWhiteBack, 1, {"bb#r", "b#r.", "bb#r"}, Rows(3, "####")},
    // Pattern 4 sets every other pixel of every other row; with a transparent
    // background colour its background pixels stay transparent.
    {"pattern over a transparent background colour", Rows(4, "......"), Rows(4, "......"), {3, 2}, false, kRedPen,
     kClear, 4, {"r.r.r.", "......", "r.r.r.", "......"}, {"#.#.#.", "......", "#.#.#.", "......"}},
    {"Command replaces the colour everywhere", {"r.r#", "#r.r"}, {"####", "##.#"}, {0, 0}, true, kBluePen,
     kWhiteBack, 1, {"b.b#", "#b.b"}, {"####", "##.#"}},
    {"Command on transparency colours every transparent pixel", {"..#.", "...."}, {"#.#.", "...#"}, {1, 0}, true,
     kRedPen, kWhiteBack, 1, {".r#r", "rrr."}, Rows(2, "####")},
    {"Command on the pen colour", {"r.", ".."}, {"#.", ".."}, {0, 0}, true, kRedPen, kWhiteBack, 1, {}, {}},
    {"Command on transparency with a transparent pen", {"r.", ".."}, {"#.", ".."}, {1, 0}, true, kClear,
     kWhiteBack, 1, {}, {}},
};

class BucketTest : public ColorToolTest, public testing::WithParamInterface<SInt16> {};

TEST_P(BucketTest, FillsReachAndPaint) {
    for (const BucketCase& f : kFills) {
        SCOPED_TRACE(f.what);
        gCurrentColor = f.pen;
        gBackColor = f.back;
        gPatternNo = f.pattern;
        auto [w, rec] = MakeDoc(f.image, 0, f.mask, GetParam());
        DoBucket(w, f.at, f.command);
        const bool changes = !f.imageAfter.empty();
        EXPECT_EQ(Image(rec), changes ? f.imageAfter : f.image);
        EXPECT_EQ(Mask(rec), changes ? f.maskAfter : f.mask);
        EXPECT_EQ(Shown(w), Image(rec));
        EXPECT_EQ(rec->undoMode, !changes ? kUndoNone : f.command ? kUndoTone : kUndoPaint);
        EXPECT_EQ(bool(rec->isDirty), changes);
        CloseAllDocuments();
    }
}

// A fill that changes no pixel (red over red, transparency over transparent
// white) records nothing: the edit before stays the one to undo and the
// document stays unmodified.
TEST_P(BucketTest, FillThatChangesNothingRecordsNothing) {
    auto [w, rec] = MakeDoc(Rows{"rr..", "rr.."}, 0, Rows{"##..", "##.."}, GetParam());
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
    struct Case { bool foreTransparent, backTransparent, large; SInt16 pattern; Rows mask; };
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
        gCurrentColor = ColorRec{c.foreTransparent ? kWhite : kRed, UInt8(c.foreTransparent)};
        gBackColor = ColorRec{c.backTransparent ? kWhite : kBlue, UInt8(c.backTransparent)};
        gOtherPrefs[kOtherLargePatterns] = c.large;
        gPatternNo = c.pattern;
        WindowRef w = MakeDoc(Rows{"....", "...."}, 0, Rows{"....", "...."});
        DoBucket(w, Point{0, 0}, false);
        EXPECT_EQ(Mask(GetPaintWinRec(w)), c.mask);
        CloseAllDocuments();
    }
}

// While a selection floats, offPort holds the lifted pixels at selRect and
// clicks arrive at the displayed place (selOffset further on).
TEST_F(ColorToolTest, FloatingSelectionLimitsTheFillToItsRectangle) {
    auto [w, rec] = MakeDoc(Rows{"......", "......", "......", "......"}, 0, Rows{"######", "######", "######", "######"});
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
    gCurrentColor = ColorRec{kBlue, 0};
    DoBucket(w, Point{0, 0}, false);
    EXPECT_EQ(Image(rec), before);
}

// The tool dispatch's hook: the bucket with and without Command, the
// eyedropper; other tools are left to their own code.
TEST_F(ColorToolTest, ColourToolHookRoutesByTool) {
    auto [w, rec] = MakeDoc(Rows{"r.r", "#r."}, 0, Rows{"###", "###"});
    gCurrentColor = ColorRec{kBlue, 0};
    EventRecord click;
    click.modifiers = cmdKey;
    EXPECT_TRUE(ClickColorTool(w, Point{0, 0}, &click, kBucketTool));
    EXPECT_EQ(Image(rec), (Rows{"b.b", "#b."}));
    click.modifiers = 0;
    gCurrentColor = ColorRec{kGreen, 0};
    EXPECT_TRUE(ClickColorTool(w, Point{0, 0}, &click, kBucketTool));
    EXPECT_EQ(Image(rec), (Rows{"g.b", "#b."}));
    EXPECT_TRUE(ClickColorTool(w, Point{1, 0}, &click, kEyedropperTool));
    EXPECT_EQ(gCurrentColor, (ColorRec{kBlack, 0}));
    EXPECT_FALSE(ClickColorTool(w, Point{0, 1}, &click, kPencilTool));
    EXPECT_EQ(Image(rec), (Rows{"g.b", "#b."}));
}

// CreateMask2: a set bit for every pixel that is not exactly white.
TEST(ColorSearch, CreateMask2MarksEveryPixelButWhite) {
    for (int depth : {8, 32}) {
        SCOPED_TRACE(depth);
        UniqueGWorld image = MakeWorld(depth, Rows{".r#.", "b..g"});
        const PixMap& pm = MapOf(image.get());
        // Nearly white: a colour of its own only where the depth holds it.
        WritePixel(pm, 3, 0, RGBColor{0xFFFF, 0xFFFF, 0xFEFE});
        UniqueGWorld mask;
        ASSERT_EQ(CreateMask2(image.get(), mask.out()), noErr);
        EXPECT_EQ(BitPicture(MapOf(mask.get())),
                  (Rows{depth == 32 ? ".###" : ".##.", "#..#"}));
    }
}

}  // namespace
