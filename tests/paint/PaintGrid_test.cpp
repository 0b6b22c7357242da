// Point mapping, grid snapping and the zoomed picture with its grids, drawn
// with the application's own grid patterns.
#include "app/AppResources.h"
#include "tests/support/PaintTestSupport.h"

#include <functional>

using namespace painttest;

namespace {

// Keeps the grid settings of a test to itself; the grids need the
// application's patterns.
struct GridPrefsGuard {
    ToolPrefs saved = gToolPrefs;
    GridPrefsGuard() {
        static const OSErr opened = OpenApplicationResources();
        EXPECT_EQ(opened, noErr);
    }
    ~GridPrefsGuard() { gToolPrefs = saved; }
};

// The dotted lines of the grid patterns: a pixel-grid line of style 2 and
// a block line alone set every other pixel, a block line at 1x and 2x every
// fourth.
bool Dotted(int along, int step) { return along % step == 0; }

// Every pixel of the zoomed picture against a rule of its window coordinates.
void ExpectPixels(GWorldPtr image, const std::function<RGBColor(int, int)>& want) {
    ASSERT_NE(image, nullptr);
    const PixMap& pm = MapOf(image);
    int wrong = 0;
    for (int v = pm.bounds.top; v < pm.bounds.bottom; ++v)
        for (int h = pm.bounds.left; h < pm.bounds.right; ++h)
            if (!(ReadPixel(pm, h, v) == want(h, v)) && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << h << "," << v << " is " << CharOf(ReadPixel(pm, h, v));
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(PaintPoints, RealAndGridPositionsShiftArithmetically) {
    struct Case {
        Point in;
        SInt16 ratio;
        Point real, grid;
    } cases[] = {
        {{5, -1}, 2, {1, -1}, {4, -4}},      // (h -1, v 5): the left neighbour's pixel, not 0
        {{17, -5}, 4, {1, -1}, {16, -16}},
        {{7, 7}, 0, {7, 7}, {7, 7}},
        {{-16, 31}, 3, {-2, 3}, {-16, 24}},
    };
    for (const Case& c : cases) {
        Point p = c.in;
        ToRealPos(&p, c.ratio);
        EXPECT_EQ(p, c.real) << c.in.h << "," << c.in.v;
        ToGridPos(&p, c.ratio);
        EXPECT_EQ(p, c.grid) << c.in.h << "," << c.in.v;
    }
}

TEST(PaintPoints, SnapToBlockGridByCode) {
    GridPrefsGuard guard;
    struct Case {
        UInt16 setting;
        Point in, down, nearest;
    } cases[] = {
        {0x12, {47, 40}, {32, 32}, {32, 32}},   // code 1: multiples of 32
        {0x12, {48, -1}, {32, -32}, {64, 0}},
        {0x20, {23, 7}, {16, 0}, {16, 0}},      // code 2: multiples of 16
        {0x02, {24, 31}, {16, 16}, {32, 32}},   // code 0 snaps as 16 too
        {0x30, {23, 7}, {23, 7}, {23, 7}},      // other codes leave the point
        {0x60, {-5, 99}, {-5, 99}, {-5, 99}},
    };
    for (const Case& c : cases) {
        gToolPrefs.gridSetting = c.setting;
        Point p = c.in;
        FixToGrid(&p);
        EXPECT_EQ(p, c.down) << std::hex << c.setting;
        p = c.in;
        FixToGrid2(&p);
        EXPECT_EQ(p, c.nearest) << std::hex << c.setting;
    }
}

TEST(PaintPoints, RatioFitsSixteenBitWindowCoordinates) {
    const Rect small = MakeRect(0, 0, 100, 100), wide = MakeRect(0, 0, 10, 4096), huge = MakeRect(0, 0, 30000, 1);
    EXPECT_EQ(FitRatio(&small, 4), 4);
    EXPECT_EQ(FitRatio(&small, 9), 4);
    EXPECT_EQ(FitRatio(&small, -1), 0);
    EXPECT_EQ(FitRatio(&wide, 4), 2);  // 4096 << 3 would not fit with the strip
    EXPECT_EQ(FitRatio(&huge, 3), 0);
}

TEST(PaintImage, EachImagePixelBecomesASquare) {
    GridPrefsGuard guard;
    gToolPrefs.gridSetting = 1;  // no grid at all
    for (SInt16 depth : {8, 24}) {
        for (SInt16 ratio = 0; ratio <= 4; ++ratio) {
            auto rec = MakeBuffers(3, 2, depth, ratio);
            WritePixel(MapOf(rec->dispPort.get()), 1, 0, kRed);
            WritePixel(MapOf(rec->dispPort.get()), 2, 1, kBlue);
            UniqueGWorld image(MakePaintImage(rec.get(), nullptr));
            ASSERT_TRUE(image);
            Rect bounds;
            GetPixBounds(GetGWorldPixMap(image.get()), &bounds);
            EXPECT_EQ(bounds, MakeRect(0, 0, 2 << ratio, 3 << ratio));
            ExpectPixels(image.get(), [&](int h, int v) {
                const int x = h >> ratio, y = v >> ratio;
                if (x == 1 && y == 0) return kRed;
                if (x == 2 && y == 1) return kBlue;
                return kWhite;
            });
        }
    }
}

// Pixel-grid style 2 (dotted), by magnification; styles 0 and 1 draw nothing.
TEST(PaintImage, PixelGridByMagnification) {
    GridPrefsGuard guard;
    gToolPrefs.pixelGridColor = kRed;
    struct Case {
        UInt16 setting;  // no blocks
        SInt16 ratio;
        int period;  // 0: no grid
    } cases[] = {{0x02, 0, 0}, {0x02, 1, 0}, {0x02, 2, 4}, {0x02, 3, 8}, {0x02, 4, 16}, {0x00, 4, 0}, {0x01, 4, 0}};
    for (const Case& c : cases) {
        gToolPrefs.gridSetting = c.setting;
        auto rec = MakeBuffers(6, 5, 24, c.ratio);
        UniqueGWorld image(MakePaintImage(rec.get(), nullptr));
        SCOPED_TRACE(c.ratio);
        ExpectPixels(image.get(), [&](int h, int v) {
            const bool onLine = c.period && ((v % c.period == 0 && Dotted(h, 2)) || (h % c.period == 0 && Dotted(v, 2)));
            return onLine ? kRed : kWhite;
        });
    }
}

// Block lines over a red picture: dotted, so that the picture shows through
// them at every zoom (at 1x a line crosses whole picture pixels).
TEST(PaintImage, BlockGridLinesAtBlockEdgesInsideTheImage) {
    GridPrefsGuard guard;
    gToolPrefs.blockGridColor = kBlue;
    struct Case {
        UInt16 setting;
        int size, ratio;
        std::vector<int> lines;  // window coordinates, both directions
        int step;                // one pixel of a line in `step` is set
    } cases[] = {
        {0x10, 128, 0, {32, 64, 96}, 4},       // the line at 128 lies outside
        {0x10, 128, 1, {64, 128, 192}, 4},
        {0x21, 40, 0, {16, 32}, 4},            // the default grid
        {0x21, 40, 2, {64, 128}, 2},           // style 1: no pixel grid with it
        {0x60, 3, 3, {8, 16}, 2},              // code 6: a line at every pixel edge
        {0x70, 16, 0, {}, 1},                  // past code 6: nothing
    };
    for (const Case& c : cases) {
        gToolPrefs.gridSetting = c.setting;
        auto rec = MakeBuffers(c.size, c.size, 24, SInt16(c.ratio));
        const PixMap& disp = MapOf(rec->dispPort.get());
        for (int y = 0; y < c.size; ++y)
            for (int x = 0; x < c.size; ++x) WritePixel(disp, x, y, kRed);
        UniqueGWorld image(MakePaintImage(rec.get(), nullptr));
        SCOPED_TRACE(c.setting);
        auto onLine = [&](int x) { return std::find(c.lines.begin(), c.lines.end(), x) != c.lines.end(); };
        ExpectPixels(image.get(), [&](int h, int v) {
            return (onLine(h) && Dotted(v, c.step)) || (onLine(v) && Dotted(h, c.step)) ? kBlue : kRed;
        });
    }
}

TEST(PaintImage, BlockGridDrawsOverPixelGrid) {
    GridPrefsGuard guard;
    gToolPrefs.gridSetting = 0x22;  // pixel grid style 2 and 16-pixel blocks
    gToolPrefs.pixelGridColor = kRed;
    gToolPrefs.blockGridColor = kBlue;
    auto rec = MakeBuffers(20, 20, 24, 2);
    UniqueGWorld image(MakePaintImage(rec.get(), nullptr));
    // The block line fills the gaps of the dotted pixel-grid line under it.
    ExpectPixels(image.get(), [](int h, int v) {
        if ((h == 64 && !Dotted(v, 2)) || (v == 64 && !Dotted(h, 2))) return kBlue;
        return (v % 4 == 0 && Dotted(h, 2)) || (h % 4 == 0 && Dotted(v, 2)) ? kRed : kWhite;
    });
}

TEST(PaintImage, ClippedPictureMatchesTheWholeOne) {
    GridPrefsGuard guard;
    gToolPrefs.gridSetting = 0x22;
    gToolPrefs.pixelGridColor = kGreen;
    gToolPrefs.blockGridColor = kBlue;
    for (SInt16 ratio = 0; ratio <= 4; ++ratio) {
        auto rec = MakeBuffers(21, 13, 24, ratio);
        const PixMap& disp = MapOf(rec->dispPort.get());
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 21; ++x)
                if ((x * 7 + y * 3) % 5 == 0) WritePixel(disp, x, y, (x + y) % 2 ? kRed : kBlack);
        UniqueGWorld whole(MakePaintImage(rec.get(), nullptr));
        UniqueRgn clip;
        SetRectRgn(clip, SInt16(13 << ratio >> 1), SInt16(5 << ratio >> 1), SInt16(3 + (19 << ratio)),
                   SInt16(1 + (11 << ratio)));
        UniqueGWorld part(MakePaintImage(rec.get(), clip));
        ASSERT_TRUE(whole && part);
        Rect clipBounds, partBounds;
        GetRegionBounds(clip, &clipBounds);
        GetPixBounds(GetGWorldPixMap(part.get()), &partBounds);
        // The part covers the clip, starts on the pattern phase and stays inside the image.
        Rect covered;
        SectRect(&clipBounds, &rec->dispRect, &covered);
        Rect joined;
        UnionRect(&covered, &partBounds, &joined);
        EXPECT_EQ(joined, partBounds) << ratio;
        EXPECT_EQ(partBounds.left % 8, 0);
        EXPECT_EQ(partBounds.top % 8, 0);
        EXPECT_LE(partBounds.right, rec->dispRect.right);
        const PixMap& w = MapOf(whole.get());
        const PixMap& p = MapOf(part.get());
        ExpectPixels(part.get(), [&](int h, int v) {
            return PtInRgn(Point{SInt16(v), SInt16(h)}, clip) ? ReadPixel(w, h, v) : ReadPixel(p, h, v);
        });
    }
}
