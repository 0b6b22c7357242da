// Replacing a colour or transparency within selRect, at 8 and 24 bits.
#include "tools/ReplaceColor.h"

#include "paint/Undo.h"
#include "tests/tools/ToolTestSupport.h"

#include <gtest/gtest.h>

namespace {

using tooltest::ColorToolTest;
using Rows = std::vector<std::string>;
using pixelart::kBlack;
using pixelart::kBlue;
using pixelart::kGreen;
using pixelart::kRed;
using pixelart::kWhite;

class ReplaceColorTest : public ColorToolTest, public testing::WithParamInterface<SInt16> {};

// Every pixel of exactly the colour, opaque or not, inside selRect only.
TEST_P(ReplaceColorTest, ReplacesTheColourWithinSelRectOnly) {
    WindowRef w = MakeDocument(GetParam(), Rows{"rrrrr", "r#r.r", "rrrrr"}, Rows{"#####", "###.#", "#####"});
    PaintWinRec* rec = GetPaintWinRec(w);
    rec->selRect = MakeRect(0, 1, 2, 4);
    EXPECT_TRUE(ReplaceColorMain(rec, &kRed, false, &kGreen, false));
    EXPECT_EQ(Image(rec), (Rows{"rgggr", "r#g.r", "rrrrr"}));
    EXPECT_EQ(Mask(rec), (Rows{"#####", "###.#", "#####"}));
}

// The whole command: undo state, the colour for undo, the counter.
TEST_P(ReplaceColorTest, DoReplaceColorRecordsTheReplacement) {
    WindowRef w = MakeDocument(GetParam(), Rows{"r.b", "#rr"}, Rows{"###", "###"});
    PaintWinRec* rec = GetPaintWinRec(w);
    const UInt32 used = gUsedCount[kUsedReplaceColor];
    EXPECT_TRUE(DoReplaceColor(w, &kRed, false, &kBlue, false));
    EXPECT_EQ(Image(rec), (Rows{"b.b", "#bb"}));
    EXPECT_EQ(pixelart::Picture(rec->dispPort.get()), (Rows{"b.b", "#bb"}));
    EXPECT_EQ(rec->undoMode, kUndoReplaceColor);
    EXPECT_EQ(rec->replaceColor, kRed);
    EXPECT_FALSE(rec->hasReplaceColor);
    EXPECT_EQ(gUsedCount[kUsedReplaceColor], used + 1);
    // The snapshot holds the picture before.
    EXPECT_EQ(pixelart::Picture(rec->undoPort.get()), (Rows{"r.b", "#rr"}));
}

// A colour to transparency: the replaced pixels (and only they) become
// transparent; they show white.
TEST_P(ReplaceColorTest, ColourToTransparencyClearsTheReplacedPixels) {
    WindowRef w = MakeDocument(GetParam(), Rows{"r.b", "#rr"}, Rows{"##.", "#.#"});
    PaintWinRec* rec = GetPaintWinRec(w);
    EXPECT_TRUE(DoReplaceColor(w, &kRed, false, &kWhite, true));
    EXPECT_EQ(Image(rec), (Rows{"..b", "#.."}));
    EXPECT_EQ(Mask(rec), (Rows{".#.", "#.."}));
}

// White to transparency rebuilds the mask of selRect from the colours: white
// transparent, every other pixel opaque, even ones that were transparent.
TEST_P(ReplaceColorTest, WhiteToTransparencyRebuildsTheMask) {
    WindowRef w = MakeDocument(GetParam(), Rows{"r..b", "#.r."}, Rows{"..##", "#.#."});
    PaintWinRec* rec = GetPaintWinRec(w);
    EXPECT_TRUE(DoReplaceColor(w, &kWhite, false, &kWhite, true));
    EXPECT_EQ(Image(rec), (Rows{"r..b", "#.r."}));
    EXPECT_EQ(Mask(rec), (Rows{"#..#", "#.#."}));
}

// Transparency to a colour: transparent pixels take it, opaque ones keep
// theirs, and the whole selection is opaque.
TEST_P(ReplaceColorTest, TransparencyToColourFillsTheTransparentPixels) {
    WindowRef w = MakeDocument(GetParam(), Rows{"r..b", "#..."}, Rows{"#.#.", "#..#"});
    PaintWinRec* rec = GetPaintWinRec(w);
    EXPECT_TRUE(DoReplaceColor(w, &kWhite, true, &kGreen, false));
    EXPECT_EQ(Image(rec), (Rows{"rg.g", "#gg."}));
    EXPECT_EQ(Mask(rec), (Rows{"####", "####"}));
    EXPECT_TRUE(rec->hasReplaceColor);
}

TEST_P(ReplaceColorTest, SameColourAndFlagDoesNothing) {
    WindowRef w = MakeDocument(GetParam(), Rows{"r."}, Rows{"#."});
    PaintWinRec* rec = GetPaintWinRec(w);
    EXPECT_FALSE(DoReplaceColor(w, &kRed, false, &kRed, false));
    EXPECT_FALSE(DoReplaceColor(w, &kWhite, true, &kWhite, true));
    EXPECT_EQ(rec->undoMode, 0);
    EXPECT_FALSE(rec->isDirty);
}

INSTANTIATE_TEST_SUITE_P(Depths, ReplaceColorTest, testing::Values(SInt16(8), SInt16(24)),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

// In 24 bits any colour is replaced exactly, and only that colour: one step
// of a component apart is another colour.
TEST_F(ColorToolTest, ReplaceIn24BitsMatchesExactColoursOnly) {
    WindowRef w = MakeDocument(24, Rows{"....", "...."}, Rows{"####", "####"});
    PaintWinRec* rec = GetPaintWinRec(w);
    const PixMap& pm = pixelart::MapOf(rec->offPort.get());
    const RGBColor from{0x1212, 0x3434, 0x5656}, near{0x1212, 0x3434, 0x5757}, to{0xABAB, 0xCDCD, 0xEFEF};
    pixelart::WritePixel(pm, 0, 0, from);
    pixelart::WritePixel(pm, 3, 1, from);
    pixelart::WritePixel(pm, 1, 0, near);
    EXPECT_TRUE(DoReplaceColor(w, &from, false, &to, false));
    EXPECT_EQ(pixelart::ReadPixel(pm, 0, 0), to);
    EXPECT_EQ(pixelart::ReadPixel(pm, 3, 1), to);
    EXPECT_EQ(pixelart::ReadPixel(pm, 1, 0), near);
    EXPECT_EQ(pixelart::ReadPixel(pm, 2, 0), kWhite);
}

// A colour whose components are not of the form c × 0x0101 (a blend colour)
// matches the pixels painted with it; a replacement that matches nothing
// records nothing and keeps the undo of the edit before.
TEST_F(ColorToolTest, ReplaceIn24BitsComparesColoursAsStored) {
    WindowRef w = MakeDocument(24, Rows{"...", "..."}, Rows{"###", "###"});
    PaintWinRec* rec = GetPaintWinRec(w);
    RGBColor mid = kBlack;
    BlendColor(&mid, &kWhite);  // 0x7FFF
    gCurrentColor = ColorRec{mid, 0};
    DragPixels(w, {{1, 0}}, DoPaint);
    ASSERT_EQ(rec->undoMode, kUndoPaint);
    rec->isDirty = false;
    EXPECT_FALSE(DoReplaceColor(w, &kRed, false, &kGreen, false));
    EXPECT_FALSE(DoReplaceColor(w, &kWhite, true, &kGreen, false));  // nothing is transparent
    EXPECT_EQ(rec->undoMode, kUndoPaint);
    EXPECT_FALSE(rec->isDirty);
    EXPECT_EQ(pixelart::Picture(rec->undoPort.get()), (Rows{"...", "..."}));
    EXPECT_TRUE(DoReplaceColor(w, &mid, false, &kGreen, false));
    EXPECT_EQ(Image(rec), (Rows{".g.", "..."}));
    EXPECT_EQ(rec->undoMode, kUndoReplaceColor);
    EXPECT_TRUE(rec->isDirty);
}

// In 8 bits both colours stand for their nearest colours of the standard
// table: a pen colour the table does not hold painted its nearest colour,
// and replacing it replaces those pixels.
TEST_F(ColorToolTest, ReplaceIn8BitsUsesTheNearestTableColour) {
    WindowRef w = MakeDocument(8, Rows{"r#r"}, Rows{"###"});
    PaintWinRec* rec = GetPaintWinRec(w);
    const PixMap& pm = pixelart::MapOf(rec->offPort.get());
    const RGBColor offTable{0x3434, 0x3434, 0x3434};
    EXPECT_TRUE(DoReplaceColor(w, &kRed, false, &offTable, false));
    EXPECT_EQ(PixRow(pm, 0)[0], 172);  // 0x3333 grey of the cube
    EXPECT_EQ(PixRow(pm, 0)[2], 172);
    EXPECT_EQ(PixRow(pm, 0)[1], 255);
    EXPECT_TRUE(DoReplaceColor(w, &offTable, false, &kBlue, false));
    EXPECT_EQ(std::vector<UInt8>(PixRow(pm, 0), PixRow(pm, 0) + 3), (std::vector<UInt8>{210, 255, 210}));
    (void)kBlack;
}

}  // namespace
