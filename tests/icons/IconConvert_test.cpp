// Pictures into members: every kind at exact bytes from one picture of four
// colours, shapes against black pixels for the mask halves, scaling without
// dithering, hostile pictures refused, and the area a picture's bit images
// cover.
#include "icons/IconConvert.h"
#include "tests/icons/IconTestSupport.h"

namespace {

using icontest::Bytes;
using icontest::PictureOf;
using icontest::Quadrants;

constexpr UInt32 kRed = 0xFF0000, kBlack = 0, kWhite = 0xFFFFFF, kGrey = 0x808080;

std::vector<UInt8> Converted(Handle picture, SInt16 kind) {
    UniqueHandle member(PictureToIcon(picture, kind));
    return member ? Bytes(member.get()) : std::vector<UInt8>{};
}

TEST(PictureToIcon, EveryKindTakesTheNearestColourOfItsTable) {
    // Red, black / white, mid grey, scaled up from 2 x 2 to each member.
    UniqueHandle picture = PictureOf({{kRed, kBlack}, {kWhite, kGrey}});
    const struct {
        SInt16 kind;
        std::array<UInt32, 4> want;
    } cases[] = {
        {kKindIcl8, {35, 255, 0, 249}},  // the 256-colour table: red, black, white, grey 0x88
        {kKindIcl4, {3, 15, 0, 13}},     // the 16-colour table
        {kKindICNImage, {1, 1, 0, 0}},   // grey is nearer white
        {kKindICNMask, {1, 1, 0, 1}},    // the shape: every pixel but white
        {kKindIcs8, {35, 255, 0, 249}},
        {kKindIcs4, {3, 15, 0, 13}},
        {kKindIcsImage, {1, 1, 0, 0}},
        {kKindIcsMask, {1, 1, 0, 1}},
        {kKindIl32, {0xFF0000, 0, 0xFFFFFF, 0x808080}},
        {kKindL8mk, {0xAA, 0xFF, 0x00, 0x7F}},  // grey levels: 0 white, 255 black
        {kKindIs32, {0xFF0000, 0, 0xFFFFFF, 0x808080}},
        {kKindS8mk, {0xAA, 0xFF, 0x00, 0x7F}},
        {kKindIt32, {0xFF0000, 0, 0xFFFFFF, 0x808080}},
        {kKindT8mk, {0xAA, 0xFF, 0x00, 0x7F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const int depth = gIconDepth[size_t(c.kind)];
        EXPECT_EQ(Converted(picture.get(), c.kind), Quadrants(gIconSize[size_t(c.kind)], depth, c.want));
    }
}

TEST(PictureToIcon, MaskHalfTakesTheShapeAndTheImageHalfTheBlackPixels) {
    UniqueHandle outline = icontest::OutlinePicture(16);
    std::vector<UInt8> filled(32, 0), lines(32, 0);
    for (int y = 1; y <= 14; ++y) {
        filled[size_t(2 * y)] = 0x7F, filled[size_t(2 * y + 1)] = 0xFE;
        const bool edge = y == 1 || y == 14;
        lines[size_t(2 * y)] = edge ? 0x7F : 0x40, lines[size_t(2 * y + 1)] = edge ? 0xFE : 0x02;
    }
    EXPECT_EQ(Converted(outline.get(), kKindIcsMask), filled);
    EXPECT_EQ(Converted(outline.get(), kKindIcsImage), lines);
}

TEST(PictureToIcon, AnySizeIsScaledWithoutDithering) {
    // 0x3C3C3C lies between the table's 0x333333 and 0x444444 (index 252):
    // dithering would mix them, copy mode takes the nearer one everywhere.
    UniqueHandle odd = icontest::SolidPicture(37, 29, 0x3C3C3C);
    EXPECT_EQ(Converted(odd.get(), kKindIcs8), std::vector<UInt8>(256, 252));
    EXPECT_EQ(Converted(odd.get(), kKindIcs4), std::vector<UInt8>(128, 0xEE));  // dark grey
}

TEST(PictureToIcon, HostilePicturesGiveNoMember) {
    UniqueHandle good = icontest::SolidPicture(4, 4, kRed);
    std::vector<UInt8> huge = Bytes(good.get());
    huge[6] = huge[8] = 0x7F;  // a frame of 32767 x 32767: refused before any buffer
    std::vector<UInt8> cut = Bytes(good.get());
    cut.resize(cut.size() - 12);
    const std::vector<std::vector<UInt8>> cases = {{}, {0, 10, 0, 0, 0, 0, 0, 4, 0, 4}, huge, cut,
                                                   std::vector<UInt8>(600, 0xFF)};
    for (const auto& bytes : cases) {
        UniqueHandle picture(NewHandleFromBytes(bytes));
        for (SInt16 kind : {kKindICNMask, kKindIcl8, kKindIt32}) EXPECT_EQ(PictureToIcon(picture.get(), kind), nullptr);
    }
    EXPECT_EQ(PictureToIcon(good.get(), -1), nullptr);
    EXPECT_EQ(PictureToIcon(good.get(), kIconKindCount), nullptr);
}

TEST(PictureToIcon, PictureMaskIsTheAreaOfTheBitImages) {
    UniqueGWorld world = picttest::MakeWorld(32, 8, 8);
    UniqueRgn clip;
    SetRectRgn(clip, 1, 2, 5, 4);
    const Rect all = MakeRect(0, 0, 8, 8), part = MakeRect(0, 0, 4, 6);
    UniqueHandle clipped = picttest::RecordCopy(world.get(), world.get(), all, all, srcCopy, clip);
    UniqueHandle plain = picttest::RecordCopy(world.get(), world.get(), part, part);
    UniqueRgn area;
    ASSERT_TRUE(GetPictureMask(clipped.get(), area));
    EXPECT_EQ(painttest::Bounds(area), "2,1,4,5");
    ASSERT_TRUE(GetPictureMask(plain.get(), area));
    EXPECT_EQ(painttest::Bounds(area), "0,0,4,6");
    // A picture that draws anything but bit images has no such area.
    SavedGWorld saved;
    SetGWorld(world.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = all;
    UniqueHandle drawn(OpenCPicture(&params));
    PaintRect(&part);
    ClosePicture();
    EXPECT_FALSE(GetPictureMask(drawn.get(), area));
}

}  // namespace
