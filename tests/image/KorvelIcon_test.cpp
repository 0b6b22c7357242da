#include "image/KorvelIcon.h"

#include "app/AppResources.h"
#include "platform/picture/Pictures.h"
#include "platform/resources/Resources.h"
#include "tests/image/IconTestSupport.h"
#include "tests/platform/raster/PixelArt.h"

using namespace icontest;

namespace {

constexpr SInt16 kEveryStoredKind[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13};

UniqueHandle FamilyOf(const KorvelIcon& icon) {
    Handle family = nullptr;
    EXPECT_EQ(KorvelIconToIconFamily(icon, &family), noErr);
    return UniqueHandle(family);
}

std::vector<OSType> ElementTypes(Handle family) {
    std::vector<IconFamilyElement> elements;
    EXPECT_EQ(ParseIconFamily(HandleBytes(family), &elements), noErr);
    std::vector<OSType> types;
    for (const auto& e : elements) types.push_back(e.type);
    return types;
}

// The picture drawn 1:1 into a 32-bit world, as 0xRRGGBB per pixel.
std::vector<UInt32> PictureColors(PicHandle pic, SInt16 size) {
    SavedGWorld saved;
    const Rect frame{0, 0, size, size};
    UniqueGWorld world = pixelart::MakeWorld(32, frame);
    DrawPicture(pic, &frame);
    EXPECT_EQ(QDError(), noErr);
    std::vector<UInt32> out;
    for (int v = 0; v < size; ++v)
        for (int h = 0; h < size; ++h) out.push_back(pixelart::Px(pixelart::MapOf(world.get()), h, v) & 0xFFFFFF);
    return out;
}

// What a member's pixel must look like: 1-bit set black, 8-bit masks on
// the inverted grey ramp, 32-bit as stored.
std::vector<UInt32> ExpectedColors(SInt16 kind, const Bytes& data) {
    const int size = gIconSize[size_t(kind)], depth = gIconDepth[size_t(kind)];
    const UInt8* p = data.data() + IconKindDataOffset(kind);
    std::vector<UInt32> out;
    for (int i = 0; i < size * size; ++i) {
        if (depth == 1) out.push_back((p[i / 8] >> (7 - i % 8)) & 1 ? 0 : 0xFFFFFF);
        else if (depth == 8) out.push_back(UInt32(255 - p[i]) * 0x010101);
        else out.push_back(UInt32(p[4 * i + 1]) << 16 | UInt32(p[4 * i + 2]) << 8 | p[4 * i + 3]);
    }
    return out;
}

}  // namespace

TEST_F(IconModelTest, EveryMemberTravelsThroughAFamilyUnchanged) {
    KorvelIconOwner icon(MakeIcon({0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13}));
    UniqueHandle family = FamilyOf(*icon);
    const char* order[] = {"ICN#", "icl4", "icl8", "il32", "l8mk", "ics#", "ics4", "ics8", "is32", "s8mk", "it32", "t8mk"};
    std::vector<OSType> expected;
    for (const char* t : order) expected.push_back(TypeCode(t));
    EXPECT_EQ(ElementTypes(family.get()), expected);
    // Classic members and masks are stored as they are: the first element
    // is the 'ICN#' data itself.
    EXPECT_EQ(Bytes(HandleBytes(family.get()).begin() + 8, HandleBytes(family.get()).begin() + 8 + 264),
              Cat({Type("ICN#"), Be32(264), MemberBytes(2)}));

    KorvelIconOwner back;
    ASSERT_EQ(IconFamilyToKorvelIcon(family.get(), back.get()), noErr);
    for (SInt16 kind : kEveryStoredKind) EXPECT_EQ(MemberOf(*back, kind), MemberBytes(kind)) << "kind " << kind;
    EXPECT_EQ(MemberOf(*back, 3), MemberBytes(2));
    EXPECT_EQ(MemberOf(*back, 7), MemberBytes(6));
}

TEST_F(IconModelTest, PicturesShowEachMemberAtItsDepth) {
    Bytes icn = MemberBytes(2);  // image and mask halves differ
    KorvelIconOwner icon(MakeIcon({6, 9, 12}));
    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(icn), icon.get(), 2), noErr);
    for (SInt16 kind : {2, 3, 7, 9, 12}) {
        SCOPED_TRACE(kind);
        UniqueHandle pic(KorvelIconToPicture(*icon, kind));
        ASSERT_TRUE(pic);
        Rect bounds;
        QDGetPictureBounds(pic.get(), &bounds);
        EXPECT_EQ(bounds, (Rect{0, 0, gIconSize[size_t(kind)], gIconSize[size_t(kind)]}));
        PictInfo info;
        ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, 0, 0), noErr);
        EXPECT_EQ(info.depth, gIconDepth[size_t(kind)]);
        EXPECT_EQ(PictureColors(pic.get(), gIconSize[size_t(kind)]), ExpectedColors(kind, MemberOf(*icon, kind)));
    }
    // No picture for a member that is absent, of the wrong size, or no kind.
    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(9, 1023)), icon.get(), 9), noErr);
    for (SInt16 kind : {9, 0, 13, -1, 14}) EXPECT_EQ(KorvelIconToPicture(*icon, kind), nullptr) << kind;
}

TEST_F(IconModelTest, AbsentThumbnailIsNoError) {
    UniqueHandle family(NewHandleFromBytes(MakeFamily({{"ICN#", MemberBytes(2)}})));
    KorvelIconOwner icon;
    ASSERT_EQ(IconFamilyToKorvelIconWithSelector(family.get(), {kAll32IconSelector, true, true}, icon.get()), noErr);
    EXPECT_EQ(MemberOf(*icon, 2), MemberBytes(2));
    EXPECT_EQ(icon->it32Data, nullptr);
    EXPECT_EQ(icon->t8mkData, nullptr);

    // A thumbnail that does not unpack is an error, not an absent member.
    UniqueHandle damaged(NewHandleFromBytes(MakeFamily({{"it32", {0, 0, 0, 0, 0x85, 1}}})));
    KorvelIconOwner none;
    EXPECT_EQ(IconFamilyToKorvelIconWithSelector(damaged.get(), {0, true, false}, none.get()), paramErr);
    EXPECT_EQ(none->it32Data, nullptr);
    UniqueHandle notFamily(NewHandleFromBytes(Cat({Type("icns"), Be32(16), Type("ICN#"), Be32(4)})));
    EXPECT_EQ(IconFamilyToKorvelIcon(notFamily.get(), none.get()), paramErr);
}

TEST_F(IconModelTest, RecordWithoutSuiteStartsFromTheEmptyFamily) {
    ASSERT_EQ(OpenApplicationResources(), noErr);
    const SInt16 current = CurResFile();
    KorvelIconOwner empty;
    EXPECT_EQ(BytesOf(FamilyOf(*empty).get()), Cat({Type("icns"), Be32(8)}));
    KorvelIconOwner thumb(MakeIcon({13}));
    EXPECT_EQ(BytesOf(FamilyOf(*thumb).get()),
              Cat({Type("icns"), Be32(16 + 16384), Type("t8mk"), Be32(16392), MemberBytes(13)}));
    EXPECT_EQ(CurResFile(), current);
}

TEST_F(IconModelTest, OlderSystemsKeepToTheirMembers) {
    KorvelIconOwner icon(MakeIcon({0, 2, 8, 9, 12, 13}));
    UniqueHandle family = FamilyOf(*icon);
    gSystemVersion = 0x0840;
    isThumbnailIconsAvailable = false;
    KorvelIconOwner back;
    ASSERT_EQ(IconFamilyToKorvelIcon(family.get(), back.get()), noErr);
    EXPECT_EQ(CountIconSuiteMembers(back->suite), 2);
    EXPECT_FALSE(IsKorvelIconHasThumbnailIcon(*back));
    EXPECT_EQ(ElementTypes(FamilyOf(*icon).get()), (std::vector<OSType>{TypeCode("ICN#"), TypeCode("icl8"),
                                                                         TypeCode("il32"), TypeCode("l8mk")}));
}

TEST_F(IconModelTest, ForeignMembersWithDataMakeAFamilyUneditable) {
    const std::pair<Bytes, bool> cases[] = {
        {MakeFamily({{"ICN#", MemberBytes(2)}, {"ic08", {1, 2}}}), true},
        {MakeFamily({{"ich8", {}}}), true},
        {MakeFamily({{"ich8", {7}}}), false},
        {MakeFamily({{"ICN#", MemberBytes(2)}, {"icm#", {0, 0}}}), false},
    };
    for (const auto& [bytes, editable] : cases) {
        UniqueHandle family(NewHandleFromBytes(bytes));
        EXPECT_EQ(IsEditableIconFamily(family.get()), editable);
    }
}

TEST_F(IconModelTest, MembersAreReplacedAndQueried) {
    KorvelIconOwner icon(MakeIcon({6}));
    Boolean flag = true;
    EXPECT_TRUE(IsValidIconSuite(icon->suite));
    EXPECT_FALSE(Is32Exist(icon->suite));
    ASSERT_EQ(KorvelIconHas32Icons(*icon, &flag), noErr);
    EXPECT_FALSE(flag);

    // Handing back the member's own handle keeps it; a new one replaces
    // (and frees) it; none removes the member.
    Handle own = nullptr;
    ASSERT_EQ(GetDataFromKorvelIcon(&own, *icon, 7), noErr);
    ASSERT_EQ(SetDataToKorvelIcon(own, icon.get(), 6), noErr);
    EXPECT_EQ(MemberOf(*icon, 6), MemberBytes(6));
    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(7)), icon.get(), 7), noErr);
    EXPECT_EQ(MemberOf(*icon, 6), MemberBytes(7));
    ASSERT_EQ(SetDataToKorvelIcon(nullptr, icon.get(), 6), noErr);
    EXPECT_FALSE(IsValidIconSuite(icon->suite));

    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(11)), icon.get(), 11), noErr);
    EXPECT_TRUE(Is32Exist(icon->suite));
    KorvelIconOwner thumb(MakeIcon({13}));
    for (KorvelIcon* each : {icon.get(), thumb.get()}) {
        ASSERT_EQ(KorvelIconHas32Icons(*each, &flag), noErr);
        EXPECT_TRUE(flag);
    }
    ASSERT_EQ(KorvelIconHasThumbnailIcon(*thumb, &flag), noErr);
    EXPECT_TRUE(flag);
    EXPECT_EQ(SetDataToKorvelIcon(nullptr, icon.get(), 14), paramErr);
}
