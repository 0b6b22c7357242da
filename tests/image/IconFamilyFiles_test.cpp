#include "image/IconFamilyFiles.h"

#include "app/Json.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/files/MacBinary.h"
#include "tests/image/IconTestSupport.h"
#include "tests/platform/resources/ResourceTestSupport.h"
#include "tests/support/Peers.h"

#include <algorithm>
#include <filesystem>

using namespace icontest;

namespace {

std::string CorpusFile(const std::string& name) { return std::string(KORVEL_TEST_DATA) + "/icns/" + name; }

// A family's elements as (type, member data), packed members unpacked, so
// that members compare whatever packing wrote them.
std::vector<std::pair<OSType, Bytes>> Members(const Bytes& family) {
    std::vector<IconFamilyElement> elements;
    EXPECT_EQ(ParseIconFamily(family, &elements), noErr);
    std::vector<std::pair<OSType, Bytes>> out;
    for (const auto& e : elements) {
        Bytes data;
        EXPECT_EQ(UnpackIconData(e.type, e.data(family), &data), noErr);
        out.push_back({e.type, data});
    }
    return out;
}

KorvelIcon ReadIcon(const std::string& path) {
    KorvelIcon icon;
    FSSpec fileSpec = FileSpecFor(path);
    EXPECT_EQ(XIconToKorvelIcon(&fileSpec, &icon), noErr) << path;
    return icon;
}

OSErr WriteIcon(const std::string& path, const KorvelIcon& icon) {
    FSSpec fileSpec = FileSpecFor(path);
    return MakeXIconWithKorvelIcon(&fileSpec, icon);
}

// The PNG files icns2png extracts from a family.
std::vector<std::pair<std::string, Bytes>> Extracted(const std::string& family, const std::string& folder) {
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(RunCommand("icns2png -x -o '" + folder + "' '" + family + "' >/dev/null 2>&1")) << family;
    std::vector<std::pair<std::string, Bytes>> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        out.push_back({entry.path().filename().string(), Slurp(entry.path().string())});
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST_F(IconModelTest, CorpusFamiliesAreWrittenBackMemberForMember) {
    ASSERT_TRUE(HaveTools({"icns2png"}));
    TempFolder tmp;
    for (const char* name : {"classic.icns", "png2icns.icns", "pillow.icns"}) {
        SCOPED_TRACE(name);
        const Bytes original = Slurp(CorpusFile(name));
        Spill(tmp / name, original);
        KorvelIconOwner icon(ReadIcon(tmp / name));
        ASSERT_EQ(WriteIcon(tmp / name, *icon), noErr);
        const Bytes written = Slurp(tmp / name);
        auto before = Members(original), after = Members(written);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before);
        EXPECT_TRUE(RunCommand("icns2png -l '" + tmp / name + "' >/dev/null 2>&1"));
        EXPECT_EQ(Extracted(tmp / name, tmp / "after"), Extracted(CorpusFile(name), tmp / "before"));
        std::filesystem::remove_all(tmp / "after");
        std::filesystem::remove_all(tmp / "before");
    }
    // Nothing of Pillow's family is the record's: it comes back as it was,
    // its table of contents included.
    EXPECT_EQ(Slurp(tmp / "pillow.icns"), Slurp(CorpusFile("pillow.icns")));
}

TEST_F(IconModelTest, EditedMembersReplaceTheirsAndOthersFollow) {
    TempFolder tmp;
    Spill(tmp / "a.icns", Slurp(CorpusFile("png2icns.icns")));
    Spill(tmp / "._a.icns", Companion(TypeCode("icns"), TypeCode("ABCD"), kHasBeenInited, restest::Fork({})));
    const Bytes companion = Slurp(tmp / "._a.icns");
    KorvelIconOwner icon(ReadIcon(tmp / "a.icns"));
    ASSERT_EQ(SetDataToKorvelIcon(nullptr, icon.get(), kKindL8mk), noErr);
    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(0)), icon.get(), kKindIcl8), noErr);
    ASSERT_EQ(WriteIcon(tmp / "a.icns", *icon), noErr);
    const Bytes written = Slurp(tmp / "a.icns");
    std::string types;
    for (const auto& member : Members(written)) types += FourCCText(member.first) + " ";
    EXPECT_EQ(types, "icl8 il32 is32 s8mk it32 t8mk ih32 h8mk ic08 ");
    EXPECT_EQ(Members(written)[0].second, MemberBytes(0));
    EXPECT_EQ(Slurp(tmp / "._a.icns"), companion);

    // A write that fails leaves the file as it was.
    SetAtomicWriteHookForTesting([](const std::string&) { return false; });
    EXPECT_NE(WriteIcon(tmp / "a.icns", KorvelIcon{}), noErr);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(Slurp(tmp / "a.icns"), written);
}

TEST_F(IconModelTest, NewAndMacBinaryFilesKeepTheirForm) {
    TempFolder tmp;
    KorvelIconOwner icon(MakeIcon({2, 13}));
    ASSERT_EQ(WriteIcon(tmp / "new.icns", *icon), noErr);
    EXPECT_EQ(Slurp(tmp / "new.icns"), Cat({Type("icns"), Be32(8 + 264 + 16392), Type("ICN#"), Be32(264),
                                            MemberBytes(2), Type("t8mk"), Be32(16392), MemberBytes(13)}));
    FSSpec fileSpec = FileSpecFor(tmp / "new.icns");
    FInfo info;
    ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
    EXPECT_EQ(info.fdType, TypeCode("icns"));
    EXPECT_EQ(info.fdCreator, TypeCode("Krvl"));

    MacBinaryFile mb;
    mb.name = "Wrapped";
    mb.fileType = TypeCode("icns");
    mb.creator = TypeCode("ABCD");
    mb.finderFlags = kHasBeenInited;
    mb.dataFork = MakeFamily({{"icl4", MemberBytes(1)}, {"name", {'x'}}});
    mb.resourceFork = restest::Fork({restest::Res(TypeCode("TEXT"), 128, "kept")});
    Spill(tmp / "wrapped.bin", WriteMacBinary(mb));
    KorvelIconOwner wrapped(ReadIcon(tmp / "wrapped.bin"));
    EXPECT_EQ(MemberOf(*wrapped, kKindIcl4), MemberBytes(1));
    ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(4)), wrapped.get(), kKindIcs8), noErr);
    ASSERT_EQ(WriteIcon(tmp / "wrapped.bin", *wrapped), noErr);
    MacBinaryFile back;
    ASSERT_EQ(ParseMacBinary(Slurp(tmp / "wrapped.bin"), &back), noErr);
    EXPECT_EQ(back.dataFork, MakeFamily({{"icl4", MemberBytes(1)}, {"ics8", MemberBytes(4)}, {"name", {'x'}}}));
    mb.dataFork = back.dataFork;
    mb.modificationDate = back.modificationDate;
    EXPECT_EQ(WriteMacBinary(back), WriteMacBinary(mb));
}
