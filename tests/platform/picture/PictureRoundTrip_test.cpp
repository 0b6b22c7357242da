// Recording copies into pictures and playing them back, checked pixel for
// pixel, and the recorded bytes checked against ImageMagick's reader.
#include "PictureTestSupport.h"

using namespace picttest;

namespace {

struct DepthCase {
    int depth;
    int width, height;
    // One-pixel-wide direct rows are stored unpacked as whole pixels (pad,
    // red, green, blue), which ImageMagick reads as planes instead.
    bool imageMagickReads = true;
};

class RoundTrip : public ::testing::TestWithParam<DepthCase> {};

// Record a patterned world of each depth and size, play it into a fresh
// world of the same depth: every pixel value must come back, and ImageMagick
// reading the same picture sees the same colours.
TEST_P(RoundTrip, PlaysBackEveryPixel) {
    const auto [depth, w, h, imageMagickReads] = GetParam();
    Recorded rec = RecordPattern(depth, w, h);
    UniqueGWorld out = MakeWorld(depth, w, h);
    ASSERT_EQ(PlayInto(out.get(), rec.pic.get(), MakeRect(0, 0, h, w)), noErr);
    ExpectSamePixels(out.get(), rec.src.get());

    const PictInfo info = InfoOf(rec.pic.get());
    EXPECT_EQ(info.depth, depth);
    // Direct rows of 201 to 250 bytes are recorded as two copies.
    const bool split = depth == 32 && 4 * w > 200 && 4 * w <= 250;
    EXPECT_EQ(info.pixMapCount, split ? 2 : 1);
    EXPECT_EQ(info.bitMapCount, 0);

    if (!imageMagickReads) return;
    ASSERT_TRUE(HaveTools({"convert"}));
    TempFolder tmp;
    const std::string path = tmp / "roundtrip.pict";
    ASSERT_EQ(WritePictFile(path.c_str(), rec.pic.get()), noErr);
    Ppm ppm;
    ASSERT_TRUE(ImageMagickReads(path, ppm));
    // Indexed colours are 16-bit: readers round them to 8 bits their own way.
    ExpectColoursNear(ppm, rec.src.get(), depth == 32 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Depths, RoundTrip,
                         ::testing::Values(DepthCase{1, 37, 9}, DepthCase{2, 21, 5}, DepthCase{4, 40, 7},
                                           DepthCase{8, 33, 6}, DepthCase{8, 300, 3}, DepthCase{32, 17, 8},
                                           DepthCase{32, 1, 3, false}, DepthCase{32, 70, 4}, DepthCase{1, 2000, 2},
                                           DepthCase{1, 1600, 2}, DepthCase{32, 55, 3}, DepthCase{8, 3, 4},
                                           DepthCase{8, 230, 2}),
                         [](const auto& info) {
                             const DepthCase& c = info.param;
                             return std::to_string(c.depth) + "bit_" + std::to_string(c.width) + "x" +
                                    std::to_string(c.height);
                         });

// Played into a rectangle twice the frame's size and moved, every pixel
// becomes a 2 x 2 block at the new place.
TEST(PictScaling, DoubledDestinationReplicatesPixels) {
    Recorded rec = RecordPattern(8, 7, 5);
    UniqueGWorld out = MakeWorld(8, 20, 14);
    ASSERT_EQ(PlayInto(out.get(), rec.pic.get(), MakeRect(3, 4, 13, 18)), noErr);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = y >= 3 && y < 13 && x >= 4 && x < 18;
            const UInt32 want = inside ? Pixel(rec.src.get(), (x - 4) / 2, (y - 3) / 2) : 0;  // 0: white
            ASSERT_EQ(Pixel(out.get(), x, y), want) << x << "," << y;
        }
}

}  // namespace
