// Pictures into members: every kind at exact bytes from one picture of four
// colours, scaling without dithering, hostile pictures refused, and the
// area a picture's bit images cover.
#include "icons/IconConvert.h"
#include "tests/icons/IconTestSupport.h"

namespace {

using icontest::PictureOf;

std::vector<UInt8> Converted(Handle picture, SInt16 kind) {
    UniqueHandle member(PictureToIcon(picture, kind));
    return member ? picttest::Bytes(member.get()) : std::vector<UInt8>{};
}

TEST(PictureToIcon, EveryKindTakesTheNearestColourOfItsTable) {
    // Red, black / white, mid grey, scaled up from 2 x 2 to each member.
    const UInt32 colours[] = {0xFF0000, 0, 0xFFFFFF, 0x808080};
    UniqueHandle picture = PictureOf(2, 2, [&](int x, int y) { return colours[2 * y + x]; });
    const std::array<UInt32, 4> indexed8 = {35, 255, 0, 249}, indexed4 = {3, 15, 0, 13}, image1 = {1, 1, 0, 0},
                                shape = {1, 1, 0, 1}, direct = {0xFF0000, 0, 0xFFFFFF, 0x808080},
                                grey = {0xAA, 0xFF, 0x00, 0x7F};  // 0 white, 255 black
    const std::array<UInt32, 4> want[kIconKindCount] = {indexed8, indexed4, image1, shape, indexed8, indexed4,
                                                        image1,   shape,    direct, grey,  direct,   grey,
                                                        direct,   grey};
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(Converted(picture.get(), kind),
                  icontest::Quadrants(gIconSize[size_t(kind)], gIconDepth[size_t(kind)], want[kind]));
    }
}

TEST(PictureToIcon, AnySizeIsScaledWithoutDithering) {
    // 0x3C3C3C lies between the table's 0x333333 and 0x444444 (index 252):
    // dithering would mix them, copy mode takes the nearer one everywhere.
    UniqueHandle odd = PictureOf(37, 29, [](int, int) { return 0x3C3C3Cu; });
    EXPECT_EQ(Converted(odd.get(), kKindIcs8), std::vector<UInt8>(256, 252));
    EXPECT_EQ(Converted(odd.get(), kKindIcs4), std::vector<UInt8>(128, 0xEE));  // dark grey
}

TEST(PictureToIcon, HostilePicturesGiveNoMember) {
    UniqueHandle good = PictureOf(4, 4, [](int, int) { return 0u; });
    std::vector<UInt8> huge = picttest::Bytes(good.get()), cut = huge;
    huge[6] = huge[8] = 0x7F;  // a frame of 32516 x 32516: refused before any buffer
    cut.resize(cut.size() - 12);
    for (const auto& bytes : {std::vector<UInt8>{}, std::vector<UInt8>{0, 10, 0, 0, 0, 0, 0, 4, 0, 4}, huge, cut,
                              std::vector<UInt8>(600, 0xFF)}) {
        UniqueHandle picture(NewHandleFromBytes(bytes));
        for (SInt16 kind : {kKindICNMask, kKindIcl8, kKindIt32}) EXPECT_EQ(PictureToIcon(picture.get(), kind), nullptr);
    }
    EXPECT_EQ(PictureToIcon(good.get(), kIconKindCount), nullptr);
}

TEST(PictureToIcon, PictureMaskIsTheAreaOfTheBitImages) {
    UniqueGWorld world = picttest::MakeWorld(32, 8, 8);
    UniqueRgn clip, area;
    SetRectRgn(clip, 1, 2, 5, 4);
    const Rect all = MakeRect(0, 0, 8, 8), part = MakeRect(0, 0, 4, 6);
    ASSERT_TRUE(GetPictureMask(picttest::RecordCopy(world.get(), world.get(), all, all, srcCopy, clip).get(), area));
    EXPECT_EQ(painttest::Bounds(area), "2,1,4,5");
    ASSERT_TRUE(GetPictureMask(picttest::RecordCopy(world.get(), world.get(), part, part).get(), area));
    EXPECT_EQ(painttest::Bounds(area), "0,0,4,6");
    // A picture that draws anything but bit images has no such area.
    SetGWorld(world.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = all;
    UniqueHandle drawn(OpenCPicture(&params));
    PaintRect(&part);
    ClosePicture();
    EXPECT_FALSE(GetPictureMask(drawn.get(), area));
}

}  // namespace
