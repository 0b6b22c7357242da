#include "image/KorvelIcon.h"

#include "app/AppResources.h"
#include "platform/picture/Pictures.h"
#include "tests/image/IconTestSupport.h"
#include "tests/platform/raster/PixelArt.h"

#include <tuple>

using namespace icontest;

namespace {

UniqueHandle FamilyOf(const KorvelIcon& icon) {
    Handle family = nullptr;
    EXPECT_EQ(KorvelIconToIconFamily(icon, &family), noErr);
    return UniqueHandle(family);
}

std::vector<OSType> Types(std::initializer_list<const char*> names) {
    std::vector<OSType> out;
    for (const char* n : names) out.push_back(TypeCode(n));
    return out;
}

std::vector<OSType> ElementTypes(Handle family) {
    std::vector<IconFamilyElement> elements;
    EXPECT_EQ(ParseIconFamily(HandleBytes(family), &elements), noErr);
    std::vector<OSType> types;
    for (const auto& e : elements) types.push_back(e.type);
    return types;
}

}  // namespace

TEST_F(IconModelTest, EveryMemberTravelsThroughAFamilyUnchanged) {
    KorvelIconOwner icon(MakeIcon({0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13}));
    UniqueHandle family = FamilyOf(*icon);
    EXPECT_EQ(ElementTypes(family.get()), Types({"ICN#", "icl4", "icl8", "il32", "l8mk", "ics#", "ics4", "ics8",
                                                 "is32", "s8mk", "it32", "t8mk"}));
    // Unpacked members are stored as they are.
    const auto bytes = HandleBytes(family.get());
    EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 8 + 264), Cat({Type("ICN#"), Be32(264), MemberBytes(2)}));

    KorvelIconOwner back;
    ASSERT_EQ(IconFamilyToKorvelIcon(family.get(), back.get()), noErr);
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind)
        EXPECT_EQ(MemberOf(*back, kind), MemberBytes(kind == 3 || kind == 7 ? kind - 1 : kind)) << kind;
    // A member handed back after an edit in place stays; none removes it.
    Handle own = nullptr;
    ASSERT_EQ(GetDataFromKorvelIcon(&own, *back, 7), noErr);
    ASSERT_EQ(SetDataToKorvelIcon(own, back.get(), 6), noErr);
    EXPECT_EQ(MemberOf(*back, 6), MemberBytes(6));
    ASSERT_EQ(SetDataToKorvelIcon(nullptr, back.get(), 2), noErr);
    EXPECT_EQ(MemberOf(*back, 3), Bytes());

    // Older systems take the classic members only, and no thumbnails.
    gSystemVersion = 0x0840;
    isThumbnailIconsAvailable = false;
    KorvelIconOwner classic;
    ASSERT_EQ(IconFamilyToKorvelIcon(family.get(), classic.get()), noErr);
    EXPECT_EQ(CountIconSuiteMembers(classic->suite), 6);
    EXPECT_FALSE(IsKorvelIconHasThumbnailIcon(*classic));
    EXPECT_EQ(ElementTypes(FamilyOf(*back).get()).size(), 9u);
}

TEST_F(IconModelTest, PicturesShowEachMemberAtItsDepth) {
    KorvelIconOwner icon(MakeIcon({2, 6, 9, 12}));
    for (SInt16 kind : {2, 3, 7, 9, 12}) {
        SCOPED_TRACE(kind);
        const SInt16 size = gIconSize[size_t(kind)];
        UniqueHandle pic(KorvelIconToPicture(*icon, kind));
        ASSERT_TRUE(pic);
        PictInfo info;
        ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, 0, 0), noErr);
        EXPECT_EQ(info.depth, gIconDepth[size_t(kind)]);
        EXPECT_EQ(info.sourceRect, (Rect{0, 0, size, size}));
        SavedGWorld saved;
        UniqueGWorld world = pixelart::MakeWorld(32, info.sourceRect);
        DrawPicture(pic.get(), &info.sourceRect);
        // 1-bit set is black, 8-bit masks lie on the inverted grey ramp,
        // 32-bit pixels are as stored; kinds 3 and 7 start at their mask half.
        const Bytes data = MemberOf(*icon, kind);
        const UInt8* p = data.data() + IconKindDataOffset(kind);
        for (int i = 0; i < size * size; ++i) {
            const UInt32 seen = pixelart::Px(pixelart::MapOf(world.get()), i % size, i / size) & 0xFFFFFF;
            const UInt32 want = gIconDepth[size_t(kind)] == 1 ? ((p[i / 8] >> (7 - i % 8)) & 1 ? 0 : 0xFFFFFF)
                                : gIconDepth[size_t(kind)] == 8 ? UInt32(255 - p[i]) * 0x010101
                                : UInt32(p[4 * i + 1]) << 16 | UInt32(p[4 * i + 2]) << 8 | p[4 * i + 3];
            ASSERT_EQ(seen, want) << "pixel " << i;
        }
    }
    // No picture for a member that is absent or of the wrong size, or no kind.
    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(9, 1023)), icon.get(), 9), noErr);
    for (SInt16 kind : {9, 0, 13, -1, 14}) EXPECT_EQ(KorvelIconToPicture(*icon, kind), nullptr) << kind;
}

TEST_F(IconModelTest, FamiliesWithoutThumbnailsOrSuite) {
    // A thumbnail asked for but absent is no error; one that does not unpack is.
    UniqueHandle family(NewHandleFromBytes(MakeFamily({{"ICN#", MemberBytes(2)}})));
    KorvelIconOwner icon;
    ASSERT_EQ(IconFamilyToKorvelIconWithSelector(family.get(), {kAll32IconSelector, true, true}, icon.get()), noErr);
    EXPECT_EQ(MemberOf(*icon, 2), MemberBytes(2));
    EXPECT_FALSE(IsKorvelIconHasThumbnailIcon(*icon));
    UniqueHandle damaged(NewHandleFromBytes(MakeFamily({{"it32", {0, 0, 0, 0, 0x85, 1}}})));
    KorvelIconOwner none;
    EXPECT_EQ(IconFamilyToKorvelIconWithSelector(damaged.get(), {kAll32IconSelector, true, false}, none.get()),
              paramErr);
    EXPECT_EQ(none->suite, nullptr);

    // A record without a suite starts from the application's empty family.
    ASSERT_EQ(OpenApplicationResources(), noErr);
    KorvelIconOwner empty;
    EXPECT_EQ(BytesOf(FamilyOf(*empty).get()), Cat({Type("icns"), Be32(8)}));
    KorvelIconOwner thumb(MakeIcon({13}));
    EXPECT_EQ(BytesOf(FamilyOf(*thumb).get()),
              Cat({Type("icns"), Be32(16 + 16384), Type("t8mk"), Be32(16392), MemberBytes(13)}));
    Boolean has32 = false;
    ASSERT_EQ(KorvelIconHas32Icons(*thumb, &has32), noErr);
    EXPECT_TRUE(has32);
}

TEST_F(IconModelTest, ForeignMembersWithDataMakeAFamilyUneditable) {
    for (const auto& [type, size, editable] : {std::tuple("ic08", 2, true), std::tuple("ich8", 0, true),
                                               std::tuple("ich8", 1, false), std::tuple("icm#", 2, false)}) {
        UniqueHandle family(NewHandleFromBytes(MakeFamily({{"ICN#", MemberBytes(2)}, {type, Bytes(size_t(size))}})));
        EXPECT_EQ(IsEditableIconFamily(family.get()), editable) << type << " " << size;
    }
}
