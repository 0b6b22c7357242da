// Recording copies into pictures and playing them back, checked pixel for
// pixel, and the recorded bytes checked against ImageMagick's reader.
#include "PictureTestSupport.h"

#include "platform/picture/PictFormat.h"
#include "platform/raster/Regions.h"

using namespace picttest;

namespace {

struct DepthCase {
    int depth;
    int width, height;
};

class RoundTrip : public ::testing::TestWithParam<DepthCase> {};

// Record a patterned world of each depth and size, play it into a fresh
// world of the same depth: every pixel value must come back.
TEST_P(RoundTrip, PlaysBackEveryPixel) {
    const auto [depth, w, h] = GetParam();
    UniqueGWorld src = MakeWorld(depth, w, h);
    FillPattern(src.get());
    UniqueGWorld on = MakeWorld(depth, w, h);
    Rect r = MakeRect(0, 0, h, w);
    UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r);

    UniqueGWorld out = MakeWorld(depth, w, h);
    SavedGWorld saved;
    SetGWorld(out.get(), nullptr);
    ASSERT_EQ(DrawPictureChecked(pic.get(), &r), noErr);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(Pixel(out.get(), x, y), Pixel(src.get(), x, y)) << "depth " << depth << " at " << x << "," << y;

    PictInfo info;
    ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0), noErr);
    EXPECT_EQ(info.depth, depth);
    // Direct rows of 201 to 250 bytes are recorded as two copies.
    const bool split = depth == 32 && 4 * w > 200 && 4 * w <= 250;
    EXPECT_EQ(info.pixMapCount, split ? 2 : 1);
    EXPECT_EQ(info.bitMapCount, 0);
}

// The same pictures read by ImageMagick give the same colours.
TEST_P(RoundTrip, ImageMagickReadsTheSamePixels) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    const auto [depth, w, h] = GetParam();
    // One-pixel-wide direct rows are stored unpacked as whole pixels (pad,
    // red, green, blue); ImageMagick reads such rows as planes instead.
    if (depth == 32 && w < 2) GTEST_SKIP() << "ImageMagick misreads unpacked direct rows";
    UniqueGWorld src = MakeWorld(depth, w, h);
    FillPattern(src.get());
    UniqueGWorld on = MakeWorld(depth, w, h);
    Rect r = MakeRect(0, 0, h, w);
    UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r);
    const std::string path = TempPath("rt" + std::to_string(depth) + "_" + std::to_string(w) + ".pict");
    ASSERT_EQ(WritePictFile(path.c_str(), pic.get()), noErr);
    std::vector<UInt8> ppmBytes;
    ASSERT_TRUE(RunCapture("convert '" + path + "' -depth 8 ppm:- 2>/dev/null", ppmBytes));
    Ppm ppm;
    ASSERT_TRUE(ParsePpm(ppmBytes, ppm));
    ASSERT_EQ(ppm.width, w);
    ASSERT_EQ(ppm.height, h);
    // Indexed colours are 16-bit: readers round them to 8 bits their own way.
    const int tolerance = depth == 32 ? 0 : 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const UInt32 got = ppm.px[size_t(y) * w + x], want = PixelRGB(src.get(), x, y);
            for (int shift : {16, 8, 0})
                ASSERT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), tolerance)
                    << "depth " << depth << " at " << x << "," << y;
        }
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Depths, RoundTrip,
                         ::testing::Values(DepthCase{1, 37, 9}, DepthCase{2, 21, 5}, DepthCase{4, 40, 7},
                                           DepthCase{8, 33, 6}, DepthCase{8, 300, 3}, DepthCase{32, 17, 8},
                                           DepthCase{32, 1, 3}, DepthCase{32, 70, 4}, DepthCase{1, 2000, 2}, DepthCase{1, 1600, 2}, DepthCase{32, 55, 3},
                                           DepthCase{8, 3, 4}));

}  // namespace

namespace {

// Played into a rectangle twice the frame's size and moved, every pixel
// becomes a 2 x 2 block at the new place.
TEST(PictScaling, DoubledDestinationReplicatesPixels) {
    UniqueGWorld src = MakeWorld(8, 7, 5);
    FillPattern(src.get());
    UniqueGWorld on = MakeWorld(8, 7, 5);
    Rect r = MakeRect(0, 0, 5, 7);
    UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r);
    UniqueGWorld out = MakeWorld(8, 20, 14);
    SavedGWorld saved;
    SetGWorld(out.get(), nullptr);
    Rect dst = MakeRect(3, 4, 13, 18);
    ASSERT_EQ(DrawPictureChecked(pic.get(), &dst), noErr);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = y >= 3 && y < 13 && x >= 4 && x < 18;
            const UInt32 want = inside ? Pixel(src.get(), (x - 4) / 2, (y - 3) / 2) : 0;  // 0: white
            ASSERT_EQ(Pixel(out.get(), x, y), want) << x << "," << y;
        }
}

}  // namespace
