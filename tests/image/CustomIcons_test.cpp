// Custom icons of files and folders, read back by independent readers: a
// small AppleDouble and resource-fork reader in Python, icns2png for the
// family, Pillow and pngcheck for the published picture.
#include "image/CustomIcons.h"

#include "app/AppResources.h"
#include "app/Shell.h"
#include "image/IconResources.h"
#include "platform/files/FileIO.h"
#include "platform/icons/DesktopIcons.h"
#include "platform/resources/Resources.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/image/IconTestSupport.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

namespace {

// Prints the Finder type, creator and flags of an AppleDouble companion,
// then "type id" for each resource of its fork, sorted; with a second
// argument, writes the 'icns' -16455 resource there.
constexpr const char* kCompanionReader = R"PY(
import struct, sys
b = open(sys.argv[1], 'rb').read()
assert struct.unpack('>I', b[:4])[0] == 0x00051607
entries = {}
for i in range(struct.unpack('>H', b[24:26])[0]):
    eid, off, ln = struct.unpack('>III', b[26 + 12 * i:38 + 12 * i])
    entries[eid] = b[off:off + ln]
t, c, f = struct.unpack('>4s4sH', entries[9][:10])
print(t.decode('latin1'), c.decode('latin1'), hex(f))
r = entries.get(2, b'')
lines = []
if r:
    do, mo = struct.unpack('>II', r[:8])
    tl = mo + struct.unpack('>H', r[mo + 24:mo + 26])[0]
    for i in range(struct.unpack('>h', r[tl:tl + 2])[0] + 1):
        ty, n, ro = struct.unpack('>4sHH', r[tl + 2 + 8 * i:tl + 10 + 8 * i])
        for j in range(n + 1):
            at = tl + ro + 12 * j
            rid = struct.unpack('>h', r[at:at + 2])[0]
            doff = do + int.from_bytes(r[at + 5:at + 8], 'big')
            data = r[doff + 4:doff + 4 + struct.unpack('>I', r[doff:doff + 4])[0]]
            lines.append('%s %d' % (ty.decode('latin1'), rid))
            if ty == b'icns' and rid == -16455 and len(sys.argv) > 2:
                open(sys.argv[2], 'wb').write(data)
print(' '.join(sorted(lines)))
)PY";

std::string ReadCompanion(const std::string& companion, const std::string& extractTo = {}) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(Python() + " -c \"$KR\" '" + companion + "' " + extractTo, out)) << companion;
    return std::string(out.begin(), out.end());
}

// The RGBA bytes of a PNG as Pillow reads them.
std::vector<UInt8> PillowRgba(const std::string& png) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(Python() + " -c \"import sys; from PIL import Image; sys.stdout.buffer.write("
                                      "Image.open(sys.argv[1]).convert('RGBA').tobytes())\" '" + png + "'",
                           out));
    return out;
}

// An icon with every member, 'ics4' only when asked.
KorvelIcon FullIcon(bool withIcs4) {
    KorvelIcon icon = icontest::MakeIcon({0, 1, 2, 4, 6, 8, 9, 10, 11, 12, 13});
    if (withIcs4) {
        EXPECT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(icontest::MemberBytes(5)), &icon, 5), noErr);
    }
    return icon;
}

// What the published picture of the icon must hold: 'it32' with 't8mk'.
std::vector<UInt8> ThumbnailRgba(const KorvelIcon& icon) {
    const auto px = icontest::MemberOf(icon, kKindIt32), mask = icontest::MemberOf(icon, kKindT8mk);
    std::vector<UInt8> rgba;
    for (size_t i = 0; i < mask.size(); ++i) rgba.insert(rgba.end(), {px[i * 4 + 1], px[i * 4 + 2], px[i * 4 + 3], mask[i]});
    return rgba;
}

const std::string kNoType = std::string(4, '\0') + " " + std::string(4, '\0');

class CustomIcons : public ::testing::Test {
protected:
    void SetUp() override {
        InitResources();
        ASSERT_EQ(OpenApplicationResources(), noErr);
        gSystemVersion = 0x1040;
        isIconServicesAvailable = isThumbnailIconsAvailable = true;
        setenv("KR", kCompanionReader, 1);
    }
    void TearDown() override {
        SetAtomicWriteHookForTesting(nullptr);
        InitResources();
    }
    TempFolder dir;
};

TEST_F(CustomIcons, FileIconGoesIntoTheCompanionComesBackAndGoes) {
    Spill(dir / "notes.txt", TextBytes("hello"));
    const FSSpec file = FileSpecFor(dir / "notes.txt");
    KorvelIconOwner first(FullIcon(true)), icon(FullIcon(false));
    ASSERT_EQ(MakeFileWithKorvelIcon(&file, *first), noErr);
    // A second icon without 'ics4' takes the first one's 'ics4' away.
    ASSERT_EQ(MakeFileWithKorvelIcon(&file, *icon), noErr);

    EXPECT_EQ(Slurp(dir / "notes.txt"), TextBytes("hello"));
    EXPECT_EQ(ReadCompanion(dir / "._notes.txt", dir / "x.icns"),
              kNoType + " 0x400\nICN# -16455 icl4 -16455 icl8 -16455 icns -16455 ics# -16455 ics8 -16455 "
                        "il32 -16455 is32 -16455 l8mk -16455 s8mk -16455\n");
    ASSERT_TRUE(RunCommand("cd '" + dir.path() + "' && icns2png -x x.icns >/dev/null"));
    const std::vector<UInt8> thumbnail = ThumbnailRgba(*icon);
    EXPECT_EQ(PillowRgba(dir / "x_128x128x32.png"), thumbnail);
    EXPECT_TRUE(RunCommand("pngcheck -q '" + dir / ".notes.txt.icon.png" + "'"));
    EXPECT_EQ(PillowRgba(dir / ".notes.txt.icon.png"), thumbnail);

    KorvelIconOwner back;
    Boolean has32 = false;
    SInt16 status = 0;
    ASSERT_EQ(GetFileKorvelIcon(&file, back.get(), false, &has32, &status), noErr);
    EXPECT_TRUE(has32);
    EXPECT_EQ(status, 0);
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind)
        EXPECT_EQ(icontest::MemberOf(*back, kind), icontest::MemberOf(*icon, kind)) << kind;

    // An icon with no members removes the custom icon and nothing else.
    const SInt16 ref = FSpOpenResFile(&file, fsRdWrPerm);
    ASSERT_EQ(SaveDataToResource(TextBytes("keep"), FourCC("TEXT"), 128, nullptr, 0), noErr);
    CloseResFile(ref);
    ASSERT_EQ(MakeFileWithKorvelIcon(&file, KorvelIcon{}), noErr);
    EXPECT_EQ(ReadCompanion(dir / "._notes.txt"), kNoType + " 0x0\nTEXT 128\n");
    EXPECT_FALSE(PathExists(dir / ".notes.txt.icon.png"));
}

TEST_F(CustomIcons, FolderIconFileIsInvisibleAndRemovalTakesEverything) {
    ASSERT_TRUE(std::filesystem::create_directory(dir / "Pics"));
    Spill(dir / "Pics/.directory", TextBytes("[Desktop Entry]\nName=Pics\nIcon=folder-pictures\n[X-Other]\nIcon=keep\n"));
    const FSSpec folder = FileSpecFor(dir / "Pics");
    KorvelIconOwner icon(FullIcon(true));
    ASSERT_EQ(MakeFolderWithKorvelIcon(&folder, *icon), noErr);

    EXPECT_EQ(ReadCompanion(dir / "Pics/._Icon\r"),
              "icon MACS 0x4000\nICN# -16455 icl4 -16455 icl8 -16455 icns -16455 ics# -16455 ics4 -16455 "
              "ics8 -16455\n");
    EXPECT_EQ(ReadCompanion(dir / "._Pics").substr(10), "0x400\n\n");
    EXPECT_EQ(PillowRgba(dir / "Pics/.icon.png"), ThumbnailRgba(*icon));
    EXPECT_EQ(Slurp(dir / "Pics/.directory"),
              TextBytes("[Desktop Entry]\nIcon=./.icon.png\nName=Pics\n[X-Other]\nIcon=keep\n"));

    KorvelIconOwner back;
    Boolean has32 = false;
    SInt16 status = 0;
    ASSERT_EQ(GetFileKorvelIcon(&folder, back.get(), true, &has32, &status), noErr);
    EXPECT_EQ(icontest::MemberOf(*back, kKindIt32), icontest::MemberOf(*icon, kKindIt32));

    ASSERT_EQ(RemoveCustomIcon(&folder, true), noErr);
    for (const char* gone : {"Pics/Icon\r", "Pics/._Icon\r", "Pics/.icon.png"}) EXPECT_FALSE(PathExists(dir / gone));
    EXPECT_EQ(ReadCompanion(dir / "._Pics").substr(10), "0x0\n\n");
    EXPECT_EQ(Slurp(dir / "Pics/.directory"), TextBytes("[Desktop Entry]\nName=Pics\n[X-Other]\nIcon=keep\n"));

    // A flag whose icon file has gone is cleared by the check.
    ASSERT_EQ(FSpSetFinderFlags(&folder, kHasCustomIcon), noErr);
    ASSERT_EQ(FolderIconCheck(&folder, &status), noErr);
    UInt16 flags = 1;
    ASSERT_EQ(FSpGetFinderFlags(&folder, &flags), noErr);
    EXPECT_EQ(flags, 0);
}

// (what the fork holds, Icon Services, the status the check gives)
TEST_F(CustomIcons, ChecksReportWhatTheOpenerMustAsk) {
    using icontest::MakeFamily;
    const icontest::Bytes icn(256, 1);
    struct Case {
        std::vector<UInt8> icns;  // empty: no fork at all
        bool iconServices;
        SInt16 status;
    } cases[] = {
        {{}, true, kIconCheckNoResourceFork},
        {MakeFamily({{"ICN#", icn}}), false, kIconCheckNeedsIconServices},
        {MakeFamily({{"ICN#", icn}, {"ich8", icontest::Bytes(2304, 1)}}), true, kIconCheckNotEditable},
        {MakeFamily({{"ICN#", icn}, {"ich8", {}}}), true, 0},
    };
    for (const Case& c : cases) {
        Spill(dir / "f", TextBytes("x"));
        std::filesystem::remove(dir / "._f");
        if (!c.icns.empty()) {
            ResourceForkImage image;
            image.resources.push_back({FourCC("icns"), kCustomIconResID, false, {}, 0, c.icns});
            std::vector<UInt8> fork;
            ASSERT_EQ(SerializeResourceFork(image, &fork), noErr);
            Spill(dir / "._f", Companion(0, 0, kHasCustomIcon, fork));
        }
        isIconServicesAvailable = c.iconServices;
        const FSSpec file = FileSpecFor(dir / "f");
        SInt16 status = 0;
        EXPECT_EQ(FileIconCheck(&file, &status), noErr);
        EXPECT_EQ(status, c.status) << c.icns.size();
    }
}

TEST_F(CustomIcons, AFailedWriteLeavesTheOldIcon) {
    Spill(dir / "doc", TextBytes("data"));
    const FSSpec file = FileSpecFor(dir / "doc");
    KorvelIconOwner old(FullIcon(true)), icon(FullIcon(false));
    ASSERT_EQ(MakeFileWithKorvelIcon(&file, *old), noErr);
    const auto companion = Slurp(dir / "._doc"), picture = Slurp(dir / ".doc.icon.png");
    SetAtomicWriteHookForTesting([](const std::string&) { return false; });
    EXPECT_NE(MakeFileWithKorvelIcon(&file, *icon), noErr);
    EXPECT_NE(RemoveCustomIcon(&file, false), noErr);
    EXPECT_EQ(Slurp(dir / "._doc"), companion);
    EXPECT_EQ(Slurp(dir / ".doc.icon.png"), picture);

    // A damaged fork and a "._" file that is not a companion are refused, not replaced.
    SetAtomicWriteHookForTesting(nullptr);
    for (const auto& hostile : {Companion(0, 0, 0, TextBytes("not a resource fork at all....")), TextBytes("junk")}) {
        Spill(dir / "._doc", hostile);
        EXPECT_NE(MakeFileWithKorvelIcon(&file, *icon), noErr);
        EXPECT_EQ(Slurp(dir / "._doc"), hostile);
    }
}

}  // namespace
