// Plotting a suite must show each member as an independent reader does:
// icns2png extracts every member of a family with its mask as alpha, and the
// plot over white must be that picture composited over white. The choice of
// member by size and depth, and the transforms, are checked on top of it.
#include "platform/core/Memory.h"
#include "platform/icons/IconFamily.h"
#include "platform/icons/PlotIcons.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/platform/raster/PixelArt.h"
#include "tests/support/Peers.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Plot {
    const char* peerFile;  // icns2png's name for the member
    std::vector<OSType> members;
    int edge;
};

// The suite's members of `types`, copied from the family.
UniqueIconSuite SuiteOf(IconFamilyHandle family, const std::vector<OSType>& types) {
    UniqueIconSuite suite;
    EXPECT_EQ(NewIconSuite(suite.out()), noErr);
    for (OSType type : types) {
        UniqueHandle data(NewHandle(0));
        EXPECT_EQ(GetIconFamilyData(family, type, data.get()), noErr);
        EXPECT_EQ(AddIconToSuite(data.release(), suite.get(), type), noErr);
    }
    return suite;
}

// The plot of the suite over white at (0, 0, edge, edge), as 0xRRGGBB values.
std::vector<UInt32> PlotOverWhite(IconSuiteRef suite, int edge, IconTransformType transform, int side = 0) {
    SavedGWorld saved;
    const Rect bounds{0, 0, SInt16(edge), SInt16(edge)};
    UniqueGWorld g = pixelart::MakeWorld(32, bounds);
    const Rect r{0, 0, SInt16(side ? side : edge), SInt16(side ? side : edge)};
    EXPECT_EQ(PlotIconSuite(&r, kAlignNone, transform, suite), noErr);
    std::vector<UInt32> out;
    for (int v = 0; v < edge; ++v)
        for (int h = 0; h < edge; ++h) out.push_back(pixelart::Px(pixelart::MapOf(g.get()), h, v) & 0xFFFFFF);
    return out;
}

int Channel(UInt32 p, int shift) { return int((p >> shift) & 0xFF); }

}  // namespace

TEST(PlotIconSuite, ShowsEachMemberAsIcns2pngReadsIt) {
    ASSERT_TRUE(HaveTools({"icns2png"}));
    TempFolder dir;
    const std::string source = std::string(KORVEL_TEST_DATA) + "/icns/classic.icns";
    ASSERT_TRUE(RunCommand("icns2png -x -o " + dir.path() + " " + source + " >/dev/null 2>&1"));
    IconFamilyHandle family = nullptr;
    ASSERT_EQ(ReadIconFamilyFile(source, &family), noErr);
    UniqueHandle owner(family);

    const Plot plots[] = {
        {"32x32x8", {FourCC("icl8"), FourCC("ICN#")}, 32},  {"32x32x4", {FourCC("icl4"), FourCC("ICN#")}, 32},
        {"32x32x1", {FourCC("ICN#")}, 32},                  {"16x16x8", {FourCC("ics8"), FourCC("ics#")}, 16},
        {"16x16x4", {FourCC("ics4"), FourCC("ics#")}, 16},  {"16x16x1", {FourCC("ics#")}, 16},
        {"32x32x32", {FourCC("il32"), FourCC("l8mk")}, 32}, {"16x16x32", {FourCC("is32"), FourCC("s8mk")}, 16},
        {"128x128x32", {FourCC("it32"), FourCC("t8mk")}, 128},
    };
    for (const Plot& plot : plots) {
        SCOPED_TRACE(plot.peerFile);
        QImage peer(QString::fromStdString(dir.path() + "/classic_" + plot.peerFile + ".png"));
        ASSERT_EQ(peer.width(), plot.edge);
        peer = peer.convertToFormat(QImage::Format_ARGB32);
        UniqueIconSuite suite = SuiteOf(family, plot.members);
        const std::vector<UInt32> ours = PlotOverWhite(suite.get(), plot.edge, kTransformNone);
        int wrong = 0;
        for (int v = 0; v < plot.edge; ++v) {
            for (int h = 0; h < plot.edge; ++h) {
                const QRgb p = peer.pixel(h, v);
                const int a = qAlpha(p);
                const UInt32 got = ours[size_t(v * plot.edge + h)];
                // Opaque and clear pixels exactly; partial ones within the rounding of a blend.
                for (int shift : {16, 8, 0}) {
                    const int c = (QRgb(p) >> shift) & 0xFF;
                    const int want = (c * a + 255 * (255 - a) + 127) / 255;
                    if (std::abs(Channel(got, shift) - want) > (a == 0 || a == 255 ? 0 : 1) && ++wrong <= 3)
                        ADD_FAILURE() << "pixel " << h << "," << v << " got " << std::hex << got << " peer " << p;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    // The transforms change every drawn pixel by their rule and leave the rest
    // white; the 16-pixel member is chosen for a 16-pixel square and the
    // 32-pixel one, scaled down (a pixel takes the one under its centre), when
    // the small one is absent.
    UniqueIconSuite both = SuiteOf(family, {FourCC("icl8"), FourCC("ICN#"), FourCC("ics8"), FourCC("ics#")});
    UniqueIconSuite largeOnly = SuiteOf(family, {FourCC("icl8"), FourCC("ICN#")});
    UniqueIconSuite smallOnly = SuiteOf(family, {FourCC("ics8"), FourCC("ics#")});
    const std::vector<UInt32> large = PlotOverWhite(largeOnly.get(), 32, kTransformNone);
    const std::vector<UInt32> small = PlotOverWhite(smallOnly.get(), 16, kTransformNone);
    EXPECT_EQ(PlotOverWhite(both.get(), 16, kTransformNone), small);
    const std::vector<UInt32> scaled = PlotOverWhite(largeOnly.get(), 16, kTransformNone);
    for (int v = 0; v < 16; ++v)
        for (int h = 0; h < 16; ++h)
            ASSERT_EQ(scaled[size_t(v * 16 + h)], large[size_t((2 * v + 1) * 32 + 2 * h + 1)]) << h << "," << v;

    const std::vector<UInt32> selected = PlotOverWhite(both.get(), 32, kTransformSelected);
    const std::vector<UInt32> offline = PlotOverWhite(both.get(), 32, kTransformOffline);
    const std::vector<UInt32> open = PlotOverWhite(both.get(), 32, kTransformOpen);
    for (size_t i = 0; i < large.size(); ++i) {
        if (open[i] == 0xFFFFFF) {  // outside the mask: nothing drawn
            EXPECT_EQ(selected[i], 0xFFFFFFu) << i;
            continue;
        }
        for (int shift : {16, 8, 0}) {
            const int c = Channel(large[i], shift);
            EXPECT_EQ(Channel(selected[i], shift), c * 2 / 3) << i;
            EXPECT_EQ(Channel(offline[i], shift), c + (255 - c) / 2) << i;
        }
        const int h = int(i % 32), v = int(i / 32);
        EXPECT_EQ(open[i], ((h + v) & 1) ? 0xDDDDDDu : 0x777777u) << i;
    }

    // Nothing to draw: no suite, no member, a member of the wrong size (never read past its end).
    const Rect r{0, 0, 32, 32};
    EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, nullptr), paramErr);
    UniqueIconSuite odd;
    ASSERT_EQ(NewIconSuite(odd.out()), noErr);
    EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, odd.get()), noSuchIconErr);
    ASSERT_EQ(AddIconToSuite(NewHandleClear(100), odd.get(), FourCC("icl8")), noErr);
    EXPECT_EQ(PlotIconSuite(&r, kAlignNone, kTransformNone, odd.get()), noSuchIconErr);
}
