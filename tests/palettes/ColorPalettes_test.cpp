// The colour palettes and favourites: which colour a point picks, what a
// click does, the favourites list, and what the palette pictures show.
#include "palettes/ColorPalettes.h"

#include "platform/raster/ColorTables.h"
#include "platform/ui/Menus.h"
#include "platform/raster/Pen.h"
#include "tests/support/PaintTestSupport.h"

#include <optional>

using namespace painttest;

namespace {

constexpr ColorRec kTransparent{RGBColor{0xFFFF, 0xFFFF, 0xFFFF}, 1};

ColorRec Opaque(UInt16 r, UInt16 g, UInt16 b) { return ColorRec{RGBColor{r, g, b}, 0}; }

// The colour a point of palette 1 or 2 picks; none on grid lines and gaps.
std::optional<ColorRec> PaletteColor(int palette, SInt16 h, SInt16 v) {
    ColorRec c;
    const bool found = palette == 1 ? ColorPalette1Color(Point{v, h}, &c) : ColorPalette2Color(Point{v, h}, &c);
    return found ? std::optional<ColorRec>(c) : std::nullopt;
}

TEST(ColorPaletteGeometry, PointsPickTheCubeAndTheRamps) {
    struct Case { int palette; SInt16 h, v; std::optional<ColorRec> color; };
    const Case cases[] = {
        {1, 1, 1, Opaque(0xFFFF, 0xFFFF, 0xFFFF)}, {1, 10, 10, Opaque(0xFFFF, 0xFFFF, 0xFFFF)},
        {1, 11, 11, Opaque(0xFFFF, 0xCCCC, 0xCCCC)}, {1, 60, 1, Opaque(0xFFFF, 0xFFFF, 0)},
        {1, 61, 1, std::nullopt},  // the gap between blocks
        {1, 62, 30, std::nullopt}, {1, 63, 1, Opaque(0xCCCC, 0xFFFF, 0xFFFF)}, {1, 370, 60, Opaque(0, 0, 0)},
        {1, 371, 60, std::nullopt}, {1, 372, 1, std::nullopt}, {1, 1, 61, std::nullopt}, {1, -1, 1, std::nullopt},
        {2, 1, 1, Opaque(0xFFFF, 0, 0)}, {2, 12, 141, Opaque(0x1111, 0, 0)}, {2, 1, 160, kTransparent},
        {2, 6, 155, kTransparent}, {2, 13, 1, Opaque(0, 0xFFFF, 0)}, {2, 25, 11, Opaque(0, 0, 0xEEEE)},
        {2, 37, 1, Opaque(0xFFFF, 0xFFFF, 0xFFFF)}, {2, 48, 160, Opaque(0, 0, 0)},
        {2, 37, 80, Opaque(0x8888, 0x8888, 0x8888)}, {2, 49, 1, std::nullopt}, {2, 1, 161, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaletteColor(c.palette, c.h, c.v), c.color) << c.palette << ": " << c.h << "," << c.v;
}

TEST(ColorPaletteGeometry, FavouriteCellsAndOutlines) {
    struct Case { SInt16 h, v; int index; };
    const Case cases[] = {{1, 1, 0}, {10, 10, 0}, {11, 1, 1}, {1, 11, 16}, {151, 51, 95}, {160, 60, 95},
                          {161, 5, -1}, {5, 61, -1}};
    for (const Case& c : cases) EXPECT_EQ(FavoriteCellIndex(Point{c.v, c.h}), c.index) << c.h << "," << c.v;

    // Outlines lie on the grid lines around the cell.
    Rect r;
    ASSERT_TRUE(ColorPalette1Cell(Opaque(0xCCCC, 0x3333, 0), &r));  // block 1, column 5, row 4
    EXPECT_EQ(r, MakeRect(40, 112, 51, 123));
    EXPECT_FALSE(ColorPalette1Cell(Opaque(0x8888, 0, 0), &r));
    EXPECT_FALSE(ColorPalette1Cell(kTransparent, &r));
    ASSERT_TRUE(ColorPalette2Cell(Opaque(0, 0, 0x2222), &r));
    EXPECT_EQ(r, MakeRect(130, 24, 141, 35));
    ASSERT_TRUE(ColorPalette2Cell(Opaque(0, 0, 0), &r));  // black is the grey ramp's end
    EXPECT_EQ(r, MakeRect(150, 36, 161, 47));
    ASSERT_TRUE(ColorPalette2Cell(kTransparent, &r));
    EXPECT_EQ(r, MakeRect(150, 0, 161, 11));
    EXPECT_FALSE(ColorPalette2Cell(Opaque(0xFFFF, 0x1111, 0), &r));
}

class ColorPaletteTest : public ColorToolTest {
protected:
    void SetUp() override {
        ColorToolTest::SetUp();
        saved_.reset(std::exchange(gFavoriteColors, nullptr));
        SetFavorites({});
    }
    void TearDown() override {
        DisposeCTable(std::exchange(gFavoriteColors, saved_.release()));
        ColorToolTest::TearDown();
    }
    static void SetFavorites(const std::vector<RGBColor>& colors) {
        DisposeCTable(gFavoriteColors);
        gFavoriteColors = NewColorTable(int(std::max<size_t>(colors.size(), 1)));
        ASSERT_NE(gFavoriteColors, nullptr);
        for (size_t i = 0; i < colors.size(); ++i) {
            CTabEntries(gFavoriteColors)[i].value = SInt16(i);
            CTabEntries(gFavoriteColors)[i].rgb = colors[i];
        }
        (*gFavoriteColors)->ctSize = SInt16(int(colors.size()) - 1);
    }
    static std::vector<std::pair<SInt16, RGBColor>> Favorites() {
        std::vector<std::pair<SInt16, RGBColor>> out;
        for (int i = 0; i < FavoriteColorCount(); ++i)
            out.emplace_back(CTabEntries(gFavoriteColors)[i].value, CTabEntries(gFavoriteColors)[i].rgb);
        return out;
    }
    static RGBColor PortPixel(WindowRef w, SInt16 h, SInt16 v) {
        SavedGWorld saved;
        SetPortWindowPort(w);
        RGBColor c;
        GetCPixel(h, v, &c);
        return c;
    }

private:
    UniqueCTable saved_;
};

// A plain click picks the pen colour, Option the background colour (the
// bottom red cell is the transparent colour).
TEST_F(ColorPaletteTest, ClicksPickPenAndBackgroundColours) {
    gCurrentColor = Opaque(0, 0, 0);
    ClickColorPalette1(Point{1, 63}, false, false);
    EXPECT_EQ(gCurrentColor, Opaque(0xCCCC, 0xFFFF, 0xFFFF));
    EXPECT_EQ(gPrevColor, Opaque(0, 0, 0));

    ClickColorPalette2(Point{155, 6}, true, false);
    EXPECT_EQ(gBackColor, kTransparent);
    EXPECT_EQ(gCurrentColor, Opaque(0xCCCC, 0xFFFF, 0xFFFF));

    // The gap between blocks does nothing.
    ClickColorPalette1(Point{5, 61}, false, false);
    ClickColorPalette1(Point{5, 61}, true, false);
    EXPECT_EQ(gCurrentColor, Opaque(0xCCCC, 0xFFFF, 0xFFFF));
    EXPECT_EQ(gBackColor, kTransparent);
}

// Command: the pen colour is replaced by the clicked colour in the front
// picture, then the clicked colour becomes the pen colour.
TEST_F(ColorPaletteTest, CommandClickReplacesThePenColourInTheFrontPicture) {
    WindowRef w = MakeDoc(Rows{"r.r#"}, 0, Rows{"####"});
    gCurrentColor = ColorRec{kRed, 0};
    ClickColorPalette2(Point{1, 13}, false, true);  // full green
    EXPECT_EQ(Image(GetPaintWinRec(w)), (Rows{"g.g#"}));
    EXPECT_EQ(gCurrentColor, (ColorRec{kGreen, 0}));
}

// Control-click: the pop-up marks the check in force and a new choice
// becomes the check; choosing the one in force changes nothing.
TEST_F(ColorPaletteTest, PalettePopupChoosesTheCheck) {
    gPaletteCheck = kPaletteCheckNone;
    ScriptMenuChoice(MenuChoice(kPaletteCheckPopupMenuID, 3));
    ColorPalettePopup(Point{40, 200});
    EXPECT_EQ(gPaletteCheck, kPaletteCheck256);
    ScriptMenuChoice(MenuChoice(kPaletteCheckPopupMenuID, 3));
    ColorPalettePopup(Point{40, 200});
    EXPECT_EQ(gPaletteCheck, kPaletteCheck256);
    UInt16 marks[2] = {1, 1};
    GetItemMark(GetMenuHandle(kPaletteCheckPopupMenuID), 1, &marks[0]);
    GetItemMark(GetMenuHandle(kPaletteCheckPopupMenuID), 3, &marks[1]);
    EXPECT_EQ(marks[0], 0);
    EXPECT_NE(marks[1], 0);
    ColorPalettePopup(Point{40, 200});  // nobody answers
    EXPECT_EQ(gPaletteCheck, kPaletteCheck256);
    ClearScript();
}

TEST_F(ColorPaletteTest, FavouritesAddAndRemove) {
    gCurrentColor = ColorRec{kRed, 0};
    ClickFavoritePalette(Point{55, 55}, false, false);  // any empty cell appends
    gCurrentColor = ColorRec{kGreen, 0};
    ClickFavoritePalette(Point{5, 150}, false, true);   // Command on an empty cell also appends
    gCurrentColor = ColorRec{kBlue, 0};
    ClickFavoritePalette(Point{1, 150}, false, false);
    using F = std::vector<std::pair<SInt16, RGBColor>>;
    EXPECT_EQ(Favorites(), (F{{0, kRed}, {1, kGreen}, {2, kBlue}}));

    // A colour already there and the transparent colour are not added.
    gCurrentColor = ColorRec{kGreen, 0};
    ClickFavoritePalette(Point{5, 50}, false, false);
    gCurrentColor = kTransparent;
    ClickFavoritePalette(Point{5, 50}, false, false);
    EXPECT_EQ(FavoriteColorCount(), 3);

    // Option takes the background colour, a plain click the pen colour.
    ClickFavoritePalette(Point{5, 15}, true, false);
    EXPECT_EQ(gBackColor, (ColorRec{kGreen, 0}));
    ClickFavoritePalette(Point{5, 25}, false, false);
    EXPECT_EQ(gCurrentColor, (ColorRec{kBlue, 0}));

    // Deleting the first keeps the others' values.
    ClickFavoritePalette(Point{5, 5}, false, true);
    EXPECT_EQ(Favorites(), (F{{1, kGreen}, {2, kBlue}}));
    RemoveFavoriteColor(0);
    RemoveFavoriteColor(0);
    EXPECT_EQ(FavoriteColorCount(), 0);
    EXPECT_EQ((*gFavoriteColors)->ctSize, -1);
    EXPECT_FALSE(RemoveFavoriteColor(0));
}

TEST_F(ColorPaletteTest, FavouritesHoldAtMost96Colours) {
    for (int i = 0; i < 100; ++i) {
        const ColorRec c = Opaque(UInt16(i * 257), 0, 0x8000);
        EXPECT_EQ(AddFavoriteColor(c), i < kMaxFavoriteColors) << i;
    }
    EXPECT_EQ(FavoriteColorCount(), 96);
    EXPECT_EQ(CTabEntries(gFavoriteColors)[95].value, 95);
}

// Every pixel inside a cell of the palettes' pictures (its neighbours pick
// the same colour: no grid line) shows the colour a click there picks; the
// transparent cell is drawn crossed.
TEST_F(ColorPaletteTest, PalettePicturesShowTheColoursAClickPicks) {
    gPaletteCheck = kPaletteCheckNone;
    gCurrentColor = ColorRec{RGBColor{0x1234, 0x5678, 0x9ABC}, 0};  // outlined nowhere
    for (int palette : {1, 2}) {
        WindowRef w = palette == 1 ? ColorPalette1 : ColorPalette2;
        DrawColorPalette(w, SInt16(palette == 1 ? kColorPalette1 : kColorPalette2));
        const Rect port = Port(w);
        int cells = 0;
        for (SInt16 v = port.top; v < port.bottom; ++v)
            for (SInt16 h = port.left; h < port.right; ++h) {
                const std::optional<ColorRec> c = PaletteColor(palette, h, v);
                auto same = [&](int dh, int dv) { return PaletteColor(palette, SInt16(h + dh), SInt16(v + dv)) == c; };
                if (!c || c->isTransparent || !same(-1, 0) || !same(1, 0) || !same(0, -1) || !same(0, 1)) continue;
                ++cells;
                ASSERT_EQ(PortPixel(w, h, v), c->rgb) << palette << ": " << h << "," << v;
            }
        EXPECT_GE(cells, (palette == 1 ? 216 : 63) * 8 * 8) << palette;  // 8 x 8 of every cell at least
    }
}

}  // namespace
