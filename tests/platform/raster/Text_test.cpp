// Glyph shapes vary with the installed fonts, so these tests check counts,
// bounds and laws (xor twice restores), not exact glyphs. Glyphs are painted
// as spans by the pen's painter, whose colours and clipping Pen_test checks.
#include "platform/raster/Text.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<UInt8> P(const std::string& s) {
    std::vector<UInt8> p(s.size() + 1);
    p[0] = UInt8(s.size());
    std::memcpy(p.data() + 1, s.data(), s.size());
    return p;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = pixelart::MakeWorld(32, Rect{-10, -20, 70, 200});
        TextFont(kFontIDGeneva);
        TextSize(12);
    }
    const PixMap& Map() { return pixelart::MapOf(world.get()); }
    void Set(int h, int v, UInt32 rgb) { pixelart::SetPx(Map(), h, v, rgb); }
    UInt32 Get(int h, int v) { return pixelart::Px(Map(), h, v) & 0xFFFFFF; }
    void Fill(UInt32 rgb) {
        for (int v = Map().bounds.top; v < Map().bounds.bottom; ++v)
            for (int h = Map().bounds.left; h < Map().bounds.right; ++h) Set(h, v, rgb);
    }
    std::vector<UInt32> Snapshot() {
        std::vector<UInt32> s;
        for (int v = Map().bounds.top; v < Map().bounds.bottom; ++v)
            for (int h = Map().bounds.left; h < Map().bounds.right; ++h) s.push_back(Get(h, v));
        return s;
    }
    // Pixels of the given colour (within `in`, else the whole map), and their bounding box.
    int Count(UInt32 rgb, Rect* box = nullptr, const Rect* in = nullptr) {
        const Rect r = in ? *in : Map().bounds;
        int n = 0;
        Rect b{};
        for (int v = r.top; v < r.bottom; ++v)
            for (int h = r.left; h < r.right; ++h)
                if (Get(h, v) == rgb) {
                    ++n;
                    const Rect px = MakeRect(v, h, v + 1, h + 1);
                    UnionRect(&b, &px, &b);
                }
        if (box) *box = b;
        return n;
    }
    int DrawAt(int h, int v, const std::string& s) {
        MoveTo(SInt16(h), SInt16(v));
        auto p = P(s);
        DrawString(p.data());
        return world.get()->pnLoc.h - h;
    }
    SavedGWorld saved;
    UniqueGWorld world;
};

TEST_F(TextTest, MetricsAndWidths) {
    TextFont(kFontIDMonaco);
    const SInt16 w = TextWidth("W", 0, 1);
    EXPECT_GT(w, 0);
    const char text[] = "xxWWii";
    EXPECT_EQ(TextWidth(text, 0, 6), 6 * w);
    EXPECT_EQ(TextWidth(text, 2, 2), 2 * w);
    EXPECT_EQ(TextWidth(text, 0, 0), 0);
    EXPECT_EQ(TextWidth(nullptr, 0, 3), 0);
    // Bytes that are not UTF-8 are read as Mac Roman: 0x8A is a with diaeresis.
    EXPECT_EQ(TextWidth("\x8A", 0, 1), TextWidth("\xC3\xA4", 0, 2));
}

TEST_F(TextTest, DrawAdvancesThePenAndStaysNearIt) {
    RGBColor black{0, 0, 0};
    RGBForeColor(&black);
    auto s = P("Hello");
    const SInt16 width = StringWidth(s.data());
    EXPECT_EQ(DrawAt(5, 30, "Hello"), width);
    EXPECT_EQ(world.get()->pnLoc.v, 30);
    FontInfo info;
    GetFontInfo(&info);
    Rect box;
    const int n = Count(0x000000, &box);
    EXPECT_GT(n, 20);
    EXPECT_GE(box.left, 5 - 2);
    EXPECT_LE(box.right, 5 + width + 2);
    EXPECT_GE(box.top, 30 - info.ascent);
    EXPECT_LE(box.bottom, 30 + info.descent);
    EXPECT_EQ(Count(0x000000) + Count(0xFFFFFF), 220 * 80);  // no grey: one bit per pixel
    // The same text gives the same pixels; a hidden pen only moves.
    const auto first = Snapshot();
    Fill(0xFFFFFF);
    DrawAt(5, 30, "Hello");
    EXPECT_EQ(Snapshot(), first);
    Fill(0xFFFFFF);
    HidePen();
    EXPECT_EQ(DrawAt(5, 30, "Hello"), width);
    EXPECT_EQ(Count(0x000000), 0);
    ShowPen();
}

}  // namespace
