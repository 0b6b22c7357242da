// An icon family kept as an 'icns' resource is the same bytes as in memory:
// converted from the resource handle and edited in place, its other members
// come back byte for byte from the written fork.
#include "platform/icons/IconFamily.h"
#include "platform/icons/IconSuites.h"
#include "platform/resources/Resources.h"
#include "tests/platform/icons/IconTestBytes.h"

#include <gtest/gtest.h>

namespace {

using namespace icontest;

TEST(IconFamilyResource, ConvertsAndEditsTheResourceHandleInPlace) {
    InitResources();
    const Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 1};
    const Bytes family = MakeFamily({{"ics#", Bytes(64, 0xF0)}, {"ic08", png}});
    std::vector<UInt8> fork;
    {
        const SInt16 file = NewResFileInMemory();
        ASSERT_NE(file, kResFileNotOpen);
        UseResFile(file);
        AddResource(NewHandleFromBytes(family), FourCC("icns"), 128, (const unsigned char*)"\x04icon");
        ASSERT_EQ(ResError(), noErr);
        ASSERT_EQ(GetResFileBytes(file, &fork), noErr);
        CloseResFile(file);
    }

    const SInt16 file = OpenResFileFromBytes(fork, fsRdWrPerm);
    ASSERT_NE(file, kResFileNotOpen);
    UseResFile(file);
    Handle res = Get1Resource(FourCC("icns"), 128);
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(BytesOf(res), family);

    UniqueIconSuite suite;
    ASSERT_EQ(IconFamilyToIconSuite(res, 0x1F1F, suite.out()), noErr);
    Handle ics = nullptr;
    ASSERT_EQ(GetIconFromSuite(&ics, suite.get(), FourCC("ics#")), noErr);
    EXPECT_EQ(BytesOf(ics), Bytes(64, 0xF0));

    UniqueHandle mask(NewHandleFromBytes(Bytes(256, 0xFF)));
    ASSERT_EQ(SetIconFamilyData(res, FourCC("s8mk"), mask.get()), noErr);
    ChangedResource(res);
    ASSERT_EQ(ResError(), noErr);
    std::vector<UInt8> written;
    ASSERT_EQ(GetResFileBytes(file, &written), noErr);
    CloseResFile(file);

    const SInt16 again = OpenResFileFromBytes(written, fsRdPerm);
    ASSERT_NE(again, kResFileNotOpen);
    UseResFile(again);
    Handle back = Get1Resource(FourCC("icns"), 128);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(BytesOf(back), MakeFamily({{"ics#", Bytes(64, 0xF0)}, {"ic08", png}, {"s8mk", Bytes(256, 0xFF)}}));
    CloseResFile(again);
}

}  // namespace
