#include "image/IconResources.h"

#include "platform/resources/Resources.h"
#include "tests/image/IconTestSupport.h"
#include "tests/platform/resources/ResourceTestSupport.h"

#include <algorithm>

using namespace icontest;

namespace {

ForkResource Res(const char* type, ResID id, const Bytes& data, const char* name = nullptr, UInt8 attrs = 32) {
    ForkResource r = restest::Res(TypeCode(type), id, "", name, attrs);
    r.data = data;
    return r;
}

// Every resource of the file, sorted by type and ID.
std::vector<ForkResource> Contents(SInt16 refNum) {
    std::vector<UInt8> bytes;
    ResourceForkImage image;
    EXPECT_EQ(GetResFileBytes(refNum, &bytes), noErr);
    EXPECT_EQ(ParseResourceFork(bytes, &image), noErr);
    std::sort(image.resources.begin(), image.resources.end(),
              [](const auto& a, const auto& b) { return std::pair(a.type, a.id) < std::pair(b.type, b.id); });
    return image.resources;
}

class IconResourcesTest : public IconModelTest {
protected:
    void SetUp() override {
        IconModelTest::SetUp();
        InitResources();
    }
    void TearDown() override { InitResources(); }
};

}  // namespace

TEST_F(IconResourcesTest, MembersReplaceTheirResourcesAndAbsentOnesGo) {
    const SInt16 file = OpenResFileFromBytes(
        restest::Fork({Res("ics4", kCustomIconResID, {1, 2}, "old"), Res("ICN#", 128, {4}, nullptr, 0)}), fsRdWrPerm);
    KorvelIconOwner icon(MakeIcon({0, 6}));
    IconResInfo info{kCustomIconResID, "\x04" "Icon", 32};
    ASSERT_EQ(ForEachIconDo(icon->suite, kClassicIconSelector, AddIconToFile, &info), noErr);
    EXPECT_EQ(Contents(file), (std::vector<ForkResource>{Res("ICN#", 128, {4}, nullptr, 0),
                                                         Res("icl8", kCustomIconResID, MemberBytes(0), "Icon"),
                                                         Res("ics#", kCustomIconResID, MemberBytes(6), "Icon")}));

    // A family resource comes before the members, with its thumbnails.
    KorvelIconOwner withThumb(MakeIcon({2, 12}));
    Handle h = nullptr;
    ASSERT_EQ(KorvelIconToIconFamily(*withThumb, &h), noErr);
    UniqueHandle family(h);
    ASSERT_EQ(SaveDataToResource(HandleBytes(h), kIconFamilyType, kCustomIconResID, info.name, 0), noErr);
    KorvelIconOwner read;
    ASSERT_EQ(Get1KorvelIcon(read.get(), kCustomIconResID, {kAll32IconSelector, true, true}), noErr);
    EXPECT_EQ(MemberOf(*read, 12), MemberBytes(12));
    EXPECT_EQ(MemberOf(*read, 0), Bytes());
    ASSERT_EQ(DeleteIconFamilyResource(), noErr);
    KorvelIconOwner members;
    ASSERT_EQ(Get1KorvelIcon(members.get(), kCustomIconResID, {kAll32IconSelector, true, true}), noErr);
    EXPECT_EQ(MemberOf(*members, 0), MemberBytes(0));

    // Renamed, then deleted, through the suite that holds the resources.
    IconResInfo moved{300, "\x05" "moved", 0};
    ASSERT_EQ(ForEachIconDo(members->suite, kClassicIconSelector, ChangeIconInfo, &moved), noErr);
    EXPECT_EQ(Contents(file), (std::vector<ForkResource>{Res("ICN#", 128, {4}, nullptr, 0),
                                                         Res("icl8", 300, MemberBytes(0), "moved"),
                                                         Res("ics#", 300, MemberBytes(6), "moved")}));
    ASSERT_EQ(ForEachIconDo(members->suite, kClassicIconSelector, DeleteIcon, nullptr), noErr);
    EXPECT_EQ(Contents(file), (std::vector<ForkResource>{Res("ICN#", 128, {4}, nullptr, 0)}));
    // Detached members outlive their file.
    UniqueIconSuite detached;
    ASSERT_EQ(Get1IconSuite(detached.out(), 128, kClassicIconSelector), noErr);
    ASSERT_EQ(ForEachIconDo(detached.get(), kClassicIconSelector, DetachIcon, nullptr), noErr);
    CloseResFile(file);
    Handle icn = nullptr;
    ASSERT_EQ(GetIconFromSuite(&icn, detached.get(), FourCC("ICN#")), noErr);
    EXPECT_EQ(BytesOf(icn), Bytes{4});

    // A file that cannot be written says so instead of dropping the members.
    UseResFile(OpenResFileFromBytes(restest::Fork({}), fsRdPerm));
    EXPECT_EQ(ForEachIconDo(icon->suite, kClassicIconSelector, AddIconToFile, &info), wrPermErr);
}

TEST_F(IconResourcesTest, CopyIconsLeavesDeletedIdsAndOtherTypesBehind) {
    const SInt16 from = OpenResFileFromBytes(
        restest::Fork({Res("ICN#", 128, {1}, "a"), Res("icns", 130, {2}, "b"), Res("ICN#", 129, {3}),
                       Res("iDel", 129, {}), Res("PICT", 128, {4}), Res("s8mk", 131, {5})}),
        fsRdWrPerm);
    const SInt16 to = OpenResFileFromBytes(restest::Fork({Res("ICN#", 128, {7}, "old", 0)}), fsRdWrPerm);
    UseResFile(from);
    ASSERT_EQ(CopyIcons(from, to), noErr);
    EXPECT_EQ(CurResFile(), from);
    EXPECT_EQ(Contents(to), (std::vector<ForkResource>{Res("ICN#", 128, {1}, "a"), Res("icns", 130, {2}, "b"),
                                                       Res("s8mk", 131, {5})}));
    isIconServicesAvailable = false;
    const SInt16 classic = NewResFileInMemory();
    ASSERT_EQ(CopyIcons(from, classic), noErr);
    EXPECT_EQ(Contents(classic), (std::vector<ForkResource>{Res("ICN#", 128, {1}, "a")}));
}
