#include "platform/files/AppleDouble.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "tests/platform/files/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Files, MakeFSSpecFillsTheSpecEvenWhenTheItemIsMissing) {
    TempFolder tmp;
    Spill(tmp / "here", TextBytes("x"));
    SInt32 dir = DirIDForPath(tmp.path());
    EXPECT_EQ(PathForDirID(dir), tmp.path());
    EXPECT_EQ(DirIDForPath(tmp.path() + "/./sub/.."), dir);

    const struct {
        const char* name;
        OSErr err;
        const char* path;  // relative to the folder; null: not filled in
    } cases[] = {
        {"here", noErr, "/here"},
        {"gone", fnfErr, "/gone"},
        {"nofolder/gone", dirNFErr, nullptr},
        {"", noErr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FSSpec fileSpec;
        P name(c.name);
        EXPECT_EQ(FSMakeFSSpec(kKorvelVolume, dir, name.s, &fileSpec), c.err);
        if (c.path) {
            EXPECT_EQ(FSSpecToPath(&fileSpec), tmp.path() + c.path);
        }
    }
    FSSpec fileSpec;
    P here("here");
    EXPECT_EQ(FSMakeFSSpec(kKorvelVolume, 99, here.s, &fileSpec), dirNFErr);  // never handed out
    P longName(std::string(255, 'n'));
    EXPECT_EQ(FSMakeFSSpec(kKorvelVolume, dir, longName.s, &fileSpec), fnfErr);
    EXPECT_EQ(FSSpecFromPath(tmp.path() + "/" + std::string(256, 'n'), &fileSpec), bdNamErr);
}

TEST(Files, CreateWritesTheCompanionAndRefusesDuplicates) {
    TempFolder tmp;
    FSSpec icon = FileSpecFor(tmp / "Icon.icns");
    ASSERT_EQ(FSpCreate(&icon, FourCC("Krvl"), FourCC("icns"), smSystemScript), noErr);
    EXPECT_EQ(Slurp(tmp / "Icon.icns").size(), 0u);
    EXPECT_EQ(Slurp(tmp / "._Icon.icns"), Companion(FourCC("icns"), FourCC("Krvl"), 0, {}));
    EXPECT_EQ(FSpCreate(&icon, FourCC("Krvl"), FourCC("icns"), smSystemScript), dupFNErr);

    // No type and no creator: no companion, and a stale one is removed.
    Spill(tmp / "._plain", Companion(FourCC("PICT"), FourCC("ttxt"), 0, {}));
    FSSpec plain = FileSpecFor(tmp / "plain");
    ASSERT_EQ(FSpCreate(&plain, 0, 0, smSystemScript), noErr);
    EXPECT_EQ(Listing(tmp.path()), (std::vector<std::string>{"._Icon.icns", "Icon.icns", "plain"}));

    for (const char* bad : {".", ".."}) {
        FSSpec fileSpec = FileSpecFor(tmp / "x");
        CopyCStringToPascal(bad, fileSpec.name);
        EXPECT_EQ(FSpCreate(&fileSpec, 0, 0, 0), bdNamErr) << bad;
    }
    FSSpec inMissing;
    EXPECT_EQ(FSSpecFromPath(tmp / "no/such", &inMissing), dirNFErr);
}

TEST(Files, FinderInfoKeepsTheForkAndFlags) {
    TempFolder tmp;
    Spill(tmp / "doc", TextBytes("data"));
    FSSpec doc = FileSpecFor(tmp / "doc");
    std::vector<UInt8> fork = {1, 2, 3, 4};
    ASSERT_EQ(WriteResourceFork(&doc, fork, ForkSource::appleDouble), noErr);
    EXPECT_EQ(Slurp(tmp / "._doc"), Companion(0, 0, 0, fork));

    FInfo info;
    info.fdType = FourCC("PICT");
    info.fdCreator = FourCC("Krvl");
    info.fdFlags = kHasCustomIcon | kIsInvisible;
    info.fdLocation = Point{10, 20};
    info.fdFldr = -3;
    ASSERT_EQ(FSpSetFInfo(&doc, &info), noErr);
    FInfo back;
    ASSERT_EQ(FSpGetFInfo(&doc, &back), noErr);
    EXPECT_EQ(back, info);
    auto expected = Companion(FourCC("PICT"), FourCC("Krvl"), 0x4400, fork);
    const UInt8 placeAndFolder[] = {0, 10, 0, 20, 0xFF, 0xFD};
    std::copy(std::begin(placeAndFolder), std::end(placeAndFolder), expected.begin() + 0x3C);
    EXPECT_EQ(Slurp(tmp / "._doc"), expected);  // and the fork kept

    UInt16 flags = 0;
    ASSERT_EQ(FSpSetFinderFlags(&doc, kHasBeenInited), noErr);
    ASSERT_EQ(FSpGetFinderFlags(&doc, &flags), noErr);
    EXPECT_EQ(flags, kHasBeenInited);
    ASSERT_EQ(FSpGetFInfo(&doc, &back), noErr);
    EXPECT_EQ(back.fdType, FourCC("PICT"));  // the flags alone changed

    // Folders keep their flags the same way and report type 'fold'.
    ASSERT_EQ(::mkdir((tmp / "Folder").c_str(), 0777), 0);
    FSSpec folder = FileSpecFor(tmp / "Folder");
    ASSERT_EQ(FSpSetFinderFlags(&folder, kHasCustomIcon), noErr);
    ASSERT_EQ(FSpGetFInfo(&folder, &back), noErr);
    EXPECT_EQ(back.fdType, FourCC("fold"));
    EXPECT_EQ(back.fdFlags, kHasCustomIcon);
    EXPECT_TRUE(PathIsFile(tmp / "._Folder"));

    FSSpec missing = FileSpecFor(tmp / "missing");
    EXPECT_EQ(FSpGetFInfo(&missing, &back), fnfErr);
    EXPECT_EQ(FSpSetFInfo(&missing, &info), fnfErr);
    EXPECT_FALSE(PathExists(tmp / "._missing"));
}

TEST(Files, DeleteCarriesTheCompanion) {
    TempFolder tmp;
    FSSpec c = FileSpecFor(tmp / "c.png");
    ASSERT_EQ(FSpCreate(&c, FourCC("Krvl"), FourCC("PNGf"), 0), noErr);
    FSSpec b = FileSpecFor(tmp / "b");
    Spill(tmp / "b", TextBytes("bb"));
    ASSERT_EQ(FSpDelete(&c), noErr);
    EXPECT_EQ(Listing(tmp.path()), (std::vector<std::string>{"b"}));
    EXPECT_EQ(FSpDelete(&c), fnfErr);

    // A "._" file that is no companion is not deleted with the file.
    Spill(tmp / "._b", TextBytes("someone else's"));
    ASSERT_EQ(FSpDelete(&b), noErr);
    EXPECT_EQ(Listing(tmp.path()), (std::vector<std::string>{"._b"}));

    FSSpec sub = FileSpecFor(tmp / "sub");
    SInt32 subID = 0;
    ASSERT_EQ(FSpDirCreate(&sub, 0, &subID), noErr);
    EXPECT_EQ(PathForDirID(subID), tmp / "sub");
    EXPECT_EQ(FSpDirCreate(&sub, 0, &subID), dupFNErr);
    Spill(tmp / "sub/inner", TextBytes("x"));
    EXPECT_EQ(FSpDelete(&sub), fBsyErr);
    SInt32 id = 0;
    Boolean isDir = false;
    ASSERT_EQ(FSpGetDirectoryID(&sub, &id, &isDir), noErr);
    EXPECT_TRUE(isDir);
    EXPECT_EQ(id, subID);
    FSSpec inner = FileSpecFor(tmp / "sub/inner");
    ASSERT_EQ(FSpGetDirectoryID(&inner, &id, &isDir), noErr);
    EXPECT_FALSE(isDir);
    EXPECT_EQ(id, subID);
    ASSERT_EQ(FSpDelete(&inner), noErr);
    EXPECT_EQ(FSpDelete(&sub), noErr);
}

TEST(Files, OpenDataForkReadsWritesAndStoresOnClose) {
    TempFolder tmp;
    Spill(tmp / "f", TextBytes("0123456789"));
    FSSpec f = FileSpecFor(tmp / "f");
    SInt16 ref = 0;
    ASSERT_EQ(FSpOpenDF(&f, fsRdWrPerm, &ref), noErr);
    SInt16 second = 0;
    EXPECT_EQ(FSpOpenDF(&f, fsWrPerm, &second), opWrErr);
    EXPECT_EQ(second, ref);
    EXPECT_EQ(FSpDelete(&f), fBsyErr);

    ASSERT_EQ(SetFPos(ref, fsFromStart, 6), noErr);
    char buf[8] = {};
    SInt32 count = 8;
    EXPECT_EQ(FSRead(ref, &count, buf), eofErr);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(std::string(buf, 4), "6789");

    ASSERT_EQ(SetFPos(ref, fsFromStart, 8), noErr);
    count = 4;
    ASSERT_EQ(FSWrite(ref, &count, "WXYZ"), noErr);
    SInt32 eof = 0;
    ASSERT_EQ(GetEOF(ref, &eof), noErr);
    EXPECT_EQ(eof, 12);
    EXPECT_EQ(Slurp(tmp / "f"), TextBytes("0123456789"));  // nothing on disk before closing
    ASSERT_EQ(SetEOF(ref, 10), noErr);
    ASSERT_EQ(FSClose(ref), noErr);
    EXPECT_EQ(Slurp(tmp / "f"), TextBytes("01234567WX"));
    EXPECT_EQ(FSClose(ref), rfNumErr);
    count = 1;
    EXPECT_EQ(FSRead(ref, &count, buf), rfNumErr);

    ASSERT_EQ(FSpOpenDF(&f, fsRdPerm, &ref), noErr);
    count = 2;
    EXPECT_EQ(FSWrite(ref, &count, "zz"), wrPermErr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(SetEOF(ref, 0), wrPermErr);
    ASSERT_EQ(FSClose(ref), noErr);
    EXPECT_EQ(Slurp(tmp / "f"), TextBytes("01234567WX"));

    // The current permission takes writing only while no one else writes.
    SInt16 writer = 0, current = 0;
    ASSERT_EQ(FSpOpenDF(&f, fsCurPerm, &writer), noErr);
    ASSERT_EQ(FSpOpenDF(&f, fsCurPerm, &current), noErr);
    count = 1;
    EXPECT_EQ(FSWrite(current, &count, "q"), wrPermErr);
    count = 1;
    EXPECT_EQ(FSWrite(writer, &count, "q"), noErr);
    ASSERT_EQ(FSClose(current), noErr);
    ASSERT_EQ(FSClose(writer), noErr);
    EXPECT_EQ(Slurp(tmp / "f"), TextBytes("q1234567WX"));

    FSSpec missing = FileSpecFor(tmp / "missing");
    EXPECT_EQ(FSpOpenDF(&missing, fsRdPerm, &ref), fnfErr);
    FSSpec folder = FileSpecFor(tmp.path());
    EXPECT_EQ(FSpOpenDF(&folder, fsRdPerm, &ref), notAFileErr);
}

TEST(Files, AtomicWriteLeavesTheOldFileWhenTheWriteFails) {
    TempFolder tmp;
    Spill(tmp / "keep", TextBytes("old contents"));
    std::string seenTemp;
    SetAtomicWriteHookForTesting([&](const std::string& temp) {
        seenTemp = temp;
        return false;
    });
    EXPECT_EQ(WriteFileAtomically(tmp / "keep", TextBytes("new")), ioErr);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(Slurp(tmp / "keep"), TextBytes("old contents"));
    EXPECT_FALSE(seenTemp.empty());
    EXPECT_FALSE(PathExists(seenTemp));
    EXPECT_EQ(Listing(tmp.path()), std::vector<std::string>{"keep"});

    // A data fork closed while writes fail keeps its old contents too.
    FSSpec keep = FileSpecFor(tmp / "keep");
    SInt16 ref = 0;
    ASSERT_EQ(FSpOpenDF(&keep, fsRdWrPerm, &ref), noErr);
    ASSERT_EQ(SetEOF(ref, 0), noErr);
    SetAtomicWriteHookForTesting([](const std::string&) { return false; });
    EXPECT_EQ(FSClose(ref), ioErr);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(Slurp(tmp / "keep"), TextBytes("old contents"));

    // A mode survives the replacement.
    ASSERT_EQ(::chmod((tmp / "keep").c_str(), 0640), 0);
    ASSERT_EQ(WriteFileAtomically(tmp / "keep", TextBytes("new")), noErr);
    struct stat st {};
    ASSERT_EQ(::stat((tmp / "keep").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Slurp(tmp / "keep"), TextBytes("new"));
    EXPECT_EQ(WriteFileAtomically(tmp / "no/such/file", TextBytes("x")), fnfErr);

    // The longest name the host allows still gets a temporary name beside it.
    std::string longName = tmp / std::string(255, 'L');
    ASSERT_EQ(WriteFileAtomically(longName, TextBytes("long")), noErr);
    EXPECT_EQ(Slurp(longName), TextBytes("long"));
}

TEST(Files, SpecialFilesAreNotReadWhole) {
    TempFolder tmp;
    ASSERT_EQ(::mkfifo((tmp / "pipe").c_str(), 0600), 0);
    std::vector<UInt8> bytes;
    EXPECT_EQ(ReadWholeFile(tmp / "pipe", &bytes), permErr);  // and does not wait for a writer
    EXPECT_EQ(ReadFileHead(tmp / "pipe", 16, &bytes), permErr);
    EXPECT_EQ(ReadWholeFile(tmp.path(), &bytes), notAFileErr);
    EXPECT_EQ(ReadWholeFile(tmp / "none", &bytes), fnfErr);
    Spill(tmp / "big", std::vector<UInt8>(100, 1));
    EXPECT_EQ(ReadWholeFile(tmp / "big", &bytes, 99), memFullErr);
    EXPECT_TRUE(bytes.empty());
    ASSERT_EQ(ReadWholeFile(tmp / "big", &bytes, 100), noErr);
    EXPECT_EQ(bytes.size(), 100u);
}

class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvVar() {
        if (had_) ::setenv(name_, old_.c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(Files, SpecialFoldersFollowTheEnvironment) {
    TempFolder tmp;
    EnvVar config("XDG_CONFIG_HOME", tmp / "config");
    EnvVar data("XDG_DATA_HOME", tmp / "data");
    EnvVar temp("TMPDIR", tmp.path());
    SInt16 vol = 0;
    SInt32 dir = 0;
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vol, &dir), fnfErr);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vol, &dir), noErr);
    EXPECT_EQ(vol, kKorvelVolume);
    EXPECT_EQ(PathForDirID(dir), tmp / "config/Korvel");
    ASSERT_EQ(FindFolder(kOnSystemDisk, kApplicationSupportFolderType, kCreateFolder, &vol, &dir), noErr);
    EXPECT_EQ(PathForDirID(dir), tmp / "data/Korvel");
    ASSERT_EQ(FindFolder(kOnSystemDisk, kTemporaryFolderType, kCreateFolder, &vol, &dir), noErr);
    EXPECT_EQ(PathForDirID(dir), tmp / "Korvel");
    EXPECT_EQ(FindFolder(kOnSystemDisk, FourCC("what"), kCreateFolder, &vol, &dir), fnfErr);

    // A relative XDG path does not count.
    EnvVar relative("XDG_CONFIG_HOME", "relative/path");
    EnvVar home("HOME", tmp / "home");
    EXPECT_EQ(FindFolderPath(kPreferencesFolderType), tmp / "home/.config/Korvel");
}

}  // namespace
