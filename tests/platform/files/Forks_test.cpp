#include "platform/files/AppleDouble.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/files/MacBinary.h"
#include "platform/resources/ResourceFork.h"
#include "tests/platform/files/TempFolder.h"

#include <gtest/gtest.h>

namespace {

OSErr ReadFork(const std::string& path, std::vector<UInt8>* bytes, ForkSource* src) {
    const FSSpec fileSpec = FileSpecFor(path);
    return ReadResourceFork(&fileSpec, bytes, src);
}

OSErr WriteFork(const std::string& path, const std::vector<UInt8>& bytes, ForkSource where) {
    const FSSpec fileSpec = FileSpecFor(path);
    return WriteResourceFork(&fileSpec, bytes, where);
}

// A minimal valid resource file: header, empty data area, a map with no types.
std::vector<UInt8> EmptyResourceFile() {
    std::vector<UInt8> b;
    EXPECT_EQ(SerializeResourceFork(ResourceForkImage{}, &b), noErr);
    return b;
}

TEST(Forks, FilesOfOtherWritersGiveTheirForkFromTheRightPlace) {
    struct Case {
        const char* name;
        OSErr err;
        ForkSource source;
        size_t length;
        UInt32 firstWord;
    };
    const Case cases[] = {
        {"GSHK", noErr, ForkSource::appleDouble, 0x468F, 0},  // a IIgs fork: little-endian
        {"MacIP.RES.as", noErr, ForkSource::appleSingle, 0x55F, 0},
        {"illegal-chars.as", noErr, ForkSource::appleSingle, 0x1B, 0x6E6F7420},  // "not "
        {"testfile.rsrc", noErr, ForkSource::flat, 558, 0x00000100},
        {"empty.rsrc", noErr, ForkSource::flat, 286, 0x00000100},
        {"hello__.as", eofErr, ForkSource::none, 0, 0},      // AppleSingle without a resource fork
        {"alt-ext2.rsrc", eofErr, ForkSource::none, 0, 0},   // AppleDouble header, no resource entry
        {"not-adf", eofErr, ForkSource::none, 0, 0},         // its "._" is not AppleDouble
        {"no-such-file", fnfErr, ForkSource::none, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<UInt8> fork{1, 2, 3};
        ForkSource src = ForkSource::flat;
        EXPECT_EQ(ReadFork(DataForks(c.name), &fork, &src), c.err);
        EXPECT_EQ(src, c.source);
        ASSERT_EQ(fork.size(), c.length);
        if (c.length >= 4) {
            EXPECT_EQ(BE32(fork, 0), c.firstWord);
        }
    }
    // The AppleDouble fork is the companion's bytes after its header.
    std::vector<UInt8> fork;
    ForkSource src;
    ASSERT_EQ(ReadFork(DataForks("GSHK"), &fork, &src), noErr);
    auto companion = Slurp(DataForks("._GSHK"));
    ASSERT_EQ(companion.size(), 0xEE2u + 0x468Fu);
    EXPECT_TRUE(std::equal(fork.begin(), fork.end(), companion.begin() + 0xEE2));
}

TEST(Forks, RewritingACompanionKeepsFinderInfoAndAttributesByteForByte) {
    TempFolder tmp;
    auto original = Slurp(DataForks("._GSHK"));
    Spill(tmp / "GSHK", TextBytes("x"));
    Spill(tmp / "._GSHK", original);
    std::vector<UInt8> fork = EmptyResourceFile();
    ASSERT_EQ(WriteFork(tmp / "GSHK", fork, ForkSource::appleDouble), noErr);

    auto now = Slurp(tmp / "._GSHK");
    // Header, entry 9 and its extended attributes stay where they were; only
    // the resource fork's length and bytes change.
    ASSERT_EQ(now.size(), 0xEE2 + fork.size());
    EXPECT_TRUE(std::equal(now.begin(), now.begin() + 0x2E, original.begin()));
    EXPECT_EQ(BE32(now, 0x2E), fork.size());
    EXPECT_TRUE(std::equal(now.begin() + 0x32, now.begin() + 0xEE2, original.begin() + 0x32));
    EXPECT_TRUE(std::equal(fork.begin(), fork.end(), now.begin() + 0xEE2));
}

TEST(Forks, ForkOfAnAppleSingleFileMovesToACompanionWithItsFinderInfo) {
    TempFolder tmp;
    auto single = Slurp(DataForks("MacIP.RES.as"));
    Spill(tmp / "m.as", single);
    std::vector<UInt8> fork = {9, 8, 7};
    ASSERT_EQ(WriteFork(tmp / "m.as", fork, ForkSource::appleSingle), noErr);
    EXPECT_EQ(Slurp(tmp / "m.as"), single);  // the file itself is untouched
    auto companion = Slurp(tmp / "._m.as");
    ASSERT_EQ(companion.size(), 0x52u + 3);
    // Entry 9 of the AppleSingle file sits at 0x59D.
    EXPECT_TRUE(std::equal(companion.begin() + 0x32, companion.begin() + 0x52, single.begin() + 0x59D));
    std::vector<UInt8> back;
    ForkSource src;
    ASSERT_EQ(ReadFork(tmp / "m.as", &back, &src), noErr);
    EXPECT_EQ(src, ForkSource::appleDouble);
    EXPECT_EQ(back, fork);
}

TEST(Forks, FlatFilesAreReplacedWhole) {
    TempFolder tmp;
    auto rsrc = EmptyResourceFile();
    Spill(tmp / "a.rsrc", TextBytes("old"));
    ASSERT_EQ(WriteFork(tmp / "a.rsrc", rsrc, ForkSource::flat), noErr);
    EXPECT_EQ(Slurp(tmp / "a.rsrc"), rsrc);
    EXPECT_FALSE(PathExists(tmp / "._a.rsrc"));
    std::vector<UInt8> back;
    ForkSource src;
    ASSERT_EQ(ReadFork(tmp / "a.rsrc", &back, &src), noErr);
    EXPECT_EQ(src, ForkSource::flat);
    EXPECT_EQ(back, rsrc);
}

// The fork and the Finder information of a MacBinary file, an AppleSingle
// file and an AppleDouble companion.
TEST(Forks, ForkAndFinderInfoComeFromWhereverTheFileKeepsThem) {
    TempFolder tmp;
    MacBinaryFile mb;
    mb.name = "Pic";
    mb.fileType = FourCC("PICT");
    mb.creator = FourCC("Krvl");
    mb.finderFlags = 0x4401;
    mb.location = Point{3, 4};
    mb.dataFork = TextBytes("data fork");
    mb.resourceFork = EmptyResourceFile();
    Spill(tmp / "pic.bin", WriteMacBinary(mb));
    std::vector<UInt8> back;
    ForkSource src;
    ASSERT_EQ(ReadFork(tmp / "pic.bin", &back, &src), noErr);
    EXPECT_EQ(src, ForkSource::macBinary);
    EXPECT_EQ(back, mb.resourceFork);
    FSSpec fileSpec = FileSpecFor(tmp / "pic.bin");
    FInfo info;
    ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
    EXPECT_EQ(info.fdType, FourCC("PICT"));
    EXPECT_EQ(info.fdCreator, FourCC("Krvl"));
    EXPECT_EQ(info.fdFlags, 0x4401);
    EXPECT_EQ(info.fdLocation, (Point{3, 4}));

    ASSERT_EQ(FSSpecFromPath(DataForks("MacIP.RES.as"), &fileSpec), noErr);
    ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
    EXPECT_EQ(info.fdType, 0x70BC4083u);
    EXPECT_EQ(info.fdCreator, FourCC("pdos"));
    EXPECT_EQ(info.fdFlags, 0x0100);
    EXPECT_EQ(info.fdLocation, (Point{-1, -1}));
    ASSERT_EQ(FSSpecFromPath(DataForks("GSHK"), &fileSpec), noErr);
    ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
    EXPECT_EQ(info.fdCreator, FourCC("pdos"));
}

TEST(Forks, WritingRefusesWhatItMustNotTouch) {
    TempFolder tmp;
    std::vector<UInt8> fork = {1};
    EXPECT_EQ(WriteFork(tmp / "missing", fork, ForkSource::appleDouble), fnfErr);
    // A "._" file that is not AppleDouble is someone else's: left alone.
    Spill(tmp / "f", TextBytes("f"));
    Spill(tmp / "._f", TextBytes("not a companion at all, just a file"));
    EXPECT_EQ(WriteFork(tmp / "f", fork, ForkSource::appleDouble), ioErr);
    EXPECT_EQ(Slurp(tmp / "._f"), TextBytes("not a companion at all, just a file"));
    EXPECT_EQ(WriteFork(tmp.path(), fork, ForkSource::flat), notAFileErr);
}

TEST(Forks, ResourceFilePlausibility) {
    auto good = EmptyResourceFile();
    EXPECT_TRUE(LooksLikeResourceFile(good));
    struct Case {
        const char* why;
        size_t at;
        UInt8 value;
    };
    const Case bad[] = {
        {"data offset past the end", 0, 0x7F},
        {"map offset past the end", 4, 0x7F},
        {"map length past the end", 14, 0x7F},
        {"map too short for its header", 15, 0x10},
        {"map copy of the header differs", 256 + 3, 0x01},
        {"type list outside the map", 256 + 24, 0x40},
        {"data offset inside the header", 2, 0x00},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.why);
        auto b = good;
        b[c.at] = c.value;
        if (c.at == 2) b[3] = 4;  // data offset 4
        EXPECT_FALSE(LooksLikeResourceFile(b));
    }
    auto zeroCopy = good;  // a map may leave its copy of the header zero
    std::fill_n(zeroCopy.begin() + 256, 16, 0);
    EXPECT_TRUE(LooksLikeResourceFile(zeroCopy));
    EXPECT_FALSE(LooksLikeResourceFile(std::vector<UInt8>(good.begin(), good.begin() + 40)));
    EXPECT_FALSE(LooksLikeResourceFile(TextBytes("this is a test...")));
}

}  // namespace
