// Replacing a colour or transparency within selRect, at 8 and 24 bits.
#include "tools/ReplaceColor.h"

#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

class ReplaceColorTest : public ColorToolTest, public testing::WithParamInterface<SInt16> {};

// Every pixel of exactly the colour, opaque or not, inside selRect only.
TEST_P(ReplaceColorTest, ReplacesTheColourWithinSelRectOnly) {
    auto [w, rec] = MakeDoc(Rows{"rrrrr", "r#r.r", "rrrrr"}, 0, Rows{"#####", "###.#", "#####"}, GetParam());
    rec->selRect = MakeRect(0, 1, 2, 4);
    EXPECT_TRUE(ReplaceColorMain(rec, &kRed, false, &kGreen, false));
    EXPECT_EQ(Image(rec), (Rows{"rgggr", "r#g.r", "rrrrr"}));
    EXPECT_EQ(Mask(rec), (Rows{"#####", "###.#", "#####"}));
}

// The whole command over the picture: colours and transparency either way.
TEST_P(ReplaceColorTest, DoReplaceColorByKind) {
    const RGBColor white = kWhite;
    struct Case {
        const char* what;
        Rows image, mask;
        RGBColor from;
        bool fromClear;
        RGBColor to;
        bool toClear;
        Rows imageAfter, maskAfter;  // empty: nothing to replace
    } cases[] = {
        {"colour to colour", {"r.b", "#rr"}, {"###", "###"}, kRed, false, kBlue, false, {"b.b", "#bb"},
         {"###", "###"}},
        // The replaced pixels, and only they, become transparent; they show white.
        {"colour to transparency", {"r.b", "#rr"}, {"##.", "#.#"}, kRed, false, white, true, {"..b", "#.."},
         {".#.", "#.."}},
        // White made transparent rebuilds the mask: every other pixel opaque.
        {"white to transparency", {"r..b", "#.r."}, {"..##", "#.#."}, white, false, white, true, {"r..b", "#.r."},
         {"#..#", "#.#."}},
        // Transparent pixels take the colour; the whole selection is opaque.
        {"transparency to colour", {"r..b", "#..."}, {"#.#.", "#..#"}, white, true, kGreen, false, {"rg.g", "#gg."},
         {"####", "####"}},
        {"the same colour", {"r."}, {"#."}, kRed, false, kRed, false, {}, {}},
        {"transparency to itself", {"r."}, {"#."}, white, true, white, true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto [w, rec] = MakeDoc(c.image, 0, c.mask, GetParam());
        const UInt32 used = gUsedCount[kUsedReplaceColor];
        const bool changes = !c.imageAfter.empty();
        EXPECT_EQ(DoReplaceColor(w, &c.from, c.fromClear, &c.to, c.toClear), changes);
        EXPECT_EQ(Image(rec), changes ? c.imageAfter : c.image);
        EXPECT_EQ(Mask(rec), changes ? c.maskAfter : c.mask);
        EXPECT_EQ(Shown(w), Image(rec));
        EXPECT_EQ(bool(rec->isDirty), changes);
        EXPECT_EQ(gUsedCount[kUsedReplaceColor], used + (changes ? 1 : 0));
        // Undo gets the colour to give back (UndoEveryEdit_test the pictures).
        EXPECT_TRUE(!changes || (rec->replaceColor == c.from && bool(rec->hasReplaceColor) == c.fromClear));
        CloseAllDocuments();
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, ReplaceColorTest, testing::Values(SInt16(8), SInt16(24)),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

// In 24 bits any colour is replaced exactly, and only that colour: one step
// of a component apart is another colour.
TEST_F(ColorToolTest, ReplaceIn24BitsMatchesExactColoursOnly) {
    auto [w, rec] = MakeDoc(Rows{"....", "...."}, 0, Rows{"####", "####"});
    const PixMap& pm = MapOf(rec->offPort.get());
    const RGBColor from{0x1212, 0x3434, 0x5656}, near{0x1212, 0x3434, 0x5757}, to{0xABAB, 0xCDCD, 0xEFEF};
    WritePixel(pm, 0, 0, from);
    WritePixel(pm, 3, 1, from);
    WritePixel(pm, 1, 0, near);
    EXPECT_TRUE(DoReplaceColor(w, &from, false, &to, false));
    EXPECT_EQ(ReadPixel(pm, 0, 0), to);
    EXPECT_EQ(ReadPixel(pm, 3, 1), to);
    EXPECT_EQ(ReadPixel(pm, 1, 0), near);
    EXPECT_EQ(ReadPixel(pm, 2, 0), kWhite);
}

// A colour whose components are not of the form c × 0x0101 (a blend colour)
// matches the pixels painted with it; a replacement that matches nothing
// records nothing and keeps the undo of the edit before.
TEST_F(ColorToolTest, ReplaceIn24BitsComparesColoursAsStored) {
    auto [w, rec] = MakeDoc(Rows{"...", "..."}, 0, Rows{"###", "###"}, 24);
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
    auto [w, rec] = MakeDoc(Rows{"r#r"}, 0, Rows{"###"}, 8);
    const PixMap& pm = MapOf(rec->offPort.get());
    const RGBColor offTable{0x3434, 0x3434, 0x3434};
    EXPECT_TRUE(DoReplaceColor(w, &kRed, false, &offTable, false));
    EXPECT_EQ(PixRow(pm, 0)[0], 172);  // 0x3333 grey of the cube
    EXPECT_EQ(PixRow(pm, 0)[2], 172);
    EXPECT_EQ(PixRow(pm, 0)[1], 255);
    EXPECT_TRUE(DoReplaceColor(w, &offTable, false, &kBlue, false));
    EXPECT_EQ(std::vector<UInt8>(PixRow(pm, 0), PixRow(pm, 0) + 3), (std::vector<UInt8>{210, 255, 210}));
}

}  // namespace
