// The pattern palette: which cell a click chooses, the size option's two
// layouts, the swatches drawn in the pen and background colours, and the
// bucket painting the chosen pattern.
#include "palettes/PatternPalette.h"

#include "platform/resources/Patterns.h"
#include "tests/support/PaintTestSupport.h"
#include "tools/Bucket.h"

using namespace painttest;

namespace {

class PatternPaletteTest : public ColorToolTest {};

bool PatternBit(const Pattern& pat, int h, int v) { return (pat.pat[v & 7] >> (7 - (h & 7))) & 1; }

TEST_F(PatternPaletteTest, ClicksChooseCellsAndTheSizeOptionSwitchesLayouts) {
    ShowWindow(PatternPalette);
    const Rect content = Content(PatternPalette);
    ScriptClick(Point{SInt16(content.top + 20), SInt16(content.left + 40)});
    RunPendingEvents();
    EXPECT_EQ(gPatternNo, 9);  // column 2, row 1
    // Beyond the last row, right of the last column, or negative: nothing.
    for (Point pt : {Point{70, 40}, Point{5, 97}, Point{-1, 5}}) ClickPatternPalette(pt);
    EXPECT_EQ(gPatternNo, 9);

    // Every swatch shows its pattern in the pen colour on the background colour.
    UpdatePatternPalette();
    const PixMap& shown = **GetPortPixMap(GetWindowPort(PatternPalette));
    for (SInt16 n : {1, 9, 24}) {
        Pattern pat;
        ASSERT_TRUE(GetIndPattern(&pat, kSmallPatterns, n));
        const int left = 16 * ((n - 1) % 6) + 4, top = 16 * ((n - 1) / 6) + 4;  // inside the mark
        for (int v = top; v < top + 11; ++v)
            for (int h = left; h < left + 11; ++h)
                ASSERT_EQ(ReadPixel(shown, h, v), PatternBit(pat, h, v) ? kRed : kWhite) << n << " " << h << "," << v;
    }

    ResizePatternPalette();
    gOtherPrefs[kOtherLargePatterns] = 1;
    EXPECT_EQ(gPatternNo, 12);
    EXPECT_EQ(RectWidth(Port(PatternPalette)), 163);
    ClickPatternPalette(Point{20, 150});
    EXPECT_EQ(gPatternNo, 20);
    ResizePatternPalette();
    gOtherPrefs[kOtherLargePatterns] = 0;
    EXPECT_EQ(gPatternNo, 1);
    EXPECT_EQ(RectWidth(Port(PatternPalette)), 99);
}

TEST_F(PatternPaletteTest, TheBucketPaintsTheChosenPattern) {
    gBackColor = ColorRec{kBlue, 0};
    const Doc doc = MakeDoc(Rows(9, std::string(10, '.')));
    ClickPatternPalette(Point{4, 4 + 16 * 3});  // cell 4
    Pattern pat;
    ASSERT_TRUE(GetIndPattern(&pat, kSmallPatterns, 4));
    DoBucket(doc, Point{0, 0}, false);
    Rows want(9, std::string(10, '?'));
    for (int v = 0; v < 9; ++v)
        for (int h = 0; h < 10; ++h) want[size_t(v)][size_t(h)] = PatternBit(pat, h, v) ? 'r' : 'b';
    EXPECT_EQ(Image(doc.rec), want);
}

}  // namespace
