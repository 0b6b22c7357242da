#include "platform/resources/Resources.h"

#include "platform/core/PString.h"
#include "platform/files/Forks.h"
#include "tests/platform/resources/ResourceTestSupport.h"
#include "tests/support/Peers.h"

#include <cstring>
#include <unistd.h>

namespace {

using namespace restest;

ResourceForkImage ParsedFork(const FSSpec& fileSpec, ForkSource* source) {
    std::vector<UInt8> bytes;
    EXPECT_EQ(ReadResourceFork(&fileSpec, &bytes, source), noErr);
    ResourceForkImage image;
    EXPECT_EQ(ParseResourceFork(bytes, &image), noErr);
    return image;
}

std::string Inspect(const std::string& args) {
    std::vector<UInt8> out;
    RunCapture(std::string(KORVEL_BINARY) + " inspect " + args, out);
    return {out.begin(), out.end()};
}

class ResourceFiles : public ::testing::Test {
protected:
    void SetUp() override {
        InitResources();
        ASSERT_FALSE(dir.path().empty());
    }
    void TearDown() override { InitResources(); }
    TempFolder dir;
};

// A new file gets a flat fork, a file with data but no fork gets one in its
// companion; changes reach the disk on closing, data and Finder information
// stay.
TEST_F(ResourceFiles, CreatedForksTakeTheChangesOnClose) {
    struct Case {
        const char* name;
        const char* data;  // null: no file before the fork
        ForkSource source;
    };
    for (const Case c : {Case{"prefs", nullptr, ForkSource::flat},
                         Case{"picture.pict", "picture bytes, no resource file", ForkSource::appleDouble}}) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        const FSSpec fileSpec = FileSpecFor(path);
        if (c.data) {
            Spill(path, TextBytes(c.data));
            EXPECT_EQ(FSpOpenResFile(&fileSpec, fsRdWrPerm), kResFileNotOpen);
            EXPECT_EQ(ResError(), eofErr);
        }
        FSpCreateResFile(&fileSpec, FourCC("Krvl"), FourCC("pref"), smSystemScript);
        ASSERT_EQ(ResError(), noErr);
        FSpCreateResFile(&fileSpec, FourCC("Krvl"), FourCC("pref"), smSystemScript);
        EXPECT_EQ(ResError(), dupFNErr);

        const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
        ASSERT_NE(ref, kResFileNotOpen);
        EXPECT_EQ(CurResFile(), ref);
        EXPECT_EQ(FSpOpenResFile(&fileSpec, fsRdPerm), ref);  // a second open gives the same file
        AddResource(NewText("settings"), kText, 128, nullptr);
        CloseResFile(ref);
        ASSERT_EQ(ResError(), noErr);

        ForkSource source;
        EXPECT_EQ(ParsedFork(fileSpec, &source).resources, std::vector{Res(kText, 128, "settings")});
        EXPECT_EQ(source, c.source);
        if (c.data) {
            EXPECT_EQ(Slurp(path), TextBytes(c.data));
        }
        // A file that existed keeps its (absent) type and creator.
        FInfo info;
        ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
        EXPECT_EQ(info.fdType, c.data ? 0 : FourCC("pref"));
        EXPECT_EQ(info.fdCreator, c.data ? 0 : FourCC("Krvl"));
    }
}

TEST_F(ResourceFiles, MissingAndDamagedFilesDoNotOpen) {
    const FSSpec missing = FileSpecFor(dir / "missing");
    EXPECT_EQ(FSpOpenResFile(&missing, fsRdWrPerm), kResFileNotOpen);
    EXPECT_EQ(ResError(), fnfErr);

    // A header that passes for a resource file, with a map that lies about
    // its type count: refused, and the file left exactly as it was.
    std::vector<UInt8> bytes;
    ASSERT_EQ(SerializeResourceFork(ResourceForkImage{}, &bytes), noErr);
    bytes[256 + 28] = 0x40;
    const std::string path = dir / "damaged.rsrc";
    Spill(path, bytes);
    const FSSpec fileSpec = FileSpecFor(path);
    EXPECT_EQ(FSpOpenResFile(&fileSpec, fsRdWrPerm), kResFileNotOpen);
    EXPECT_EQ(ResError(), mapReadErr);
    FSpCreateResFile(&fileSpec, 0, 0, smSystemScript);
    EXPECT_EQ(ResError(), dupFNErr);
    EXPECT_EQ(Slurp(path), bytes);
}

// Permissions do not bind the superuser (CI runs as root), so as root the
// checks run with the real and effective user "nobody", who owns the folder.
class Unprivileged {
public:
    explicit Unprivileged(const std::string& folder) {
        if (::geteuid() != 0) return;
        active_ = ::chown(folder.c_str(), kNobody, kNobody) == 0 && ::setresgid(kNobody, kNobody, 0) == 0 &&
                  ::setresuid(kNobody, kNobody, 0) == 0;
        EXPECT_TRUE(active_);
    }
    ~Unprivileged() {
        if (active_) {
            EXPECT_TRUE(::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0);
        }
    }

private:
    static constexpr uid_t kNobody = 65534;
    bool active_ = false;
};

TEST_F(ResourceFiles, ReadOnlyFilesRefuseWritePermission) {
    const FSSpec fileSpec = FileSpecFor(dir / "locked.rsrc");
    FSpCreateResFile(&fileSpec, 0, 0, smSystemScript);
    ASSERT_EQ(ResError(), noErr);
    ASSERT_EQ(::chmod((dir / "locked.rsrc").c_str(), 0444), 0);
    Unprivileged user(dir.path());
    EXPECT_EQ(FSpOpenResFile(&fileSpec, fsRdWrPerm), kResFileNotOpen);
    EXPECT_EQ(ResError(), permErr);
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsCurPerm);
    ASSERT_NE(ref, kResFileNotOpen);
    UniqueHandle refused(NewText("x"));
    AddResource(refused.get(), kText, 1, nullptr);
    EXPECT_EQ(ResError(), wrPermErr);
}

TEST_F(ResourceFiles, ApplicationFileSitsAtTheBottomOfTheChain) {
    const FSSpec appSpec = FileSpecFor(dir / "Korvel.rsrc");
    FSpCreateResFile(&appSpec, 0, 0, smSystemScript);
    SInt16 ref = FSpOpenResFile(&appSpec, fsRdWrPerm);
    AddResource(NewText("from the application"), kText, 1, nullptr);
    CloseResFile(ref);

    const FSSpec docSpec = FileSpecFor(dir / "doc.rsrc");
    FSpCreateResFile(&docSpec, 0, 0, smSystemScript);
    const SInt16 doc = FSpOpenResFile(&docSpec, fsRdWrPerm);
    const SInt16 app = OpenApplicationResFile(&appSpec);
    ASSERT_NE(app, kResFileNotOpen);
    EXPECT_EQ(CurResFile(), app);
    UseResFile(doc);
    Handle h = GetResource(kText, 1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(HomeResFile(h), app);
    UseResFile(app);
    // The application's file is never written.
    UniqueHandle refused(NewText("x"));
    AddResource(refused.get(), kText, 2, nullptr);
    EXPECT_EQ(ResError(), wrPermErr);
}

TEST_F(ResourceFiles, InspectDescribesAResourceFileAsJson) {
    const FSSpec fileSpec = FileSpecFor(dir / "icons.rsrc");
    FSpCreateResFile(&fileSpec, FourCC("Krvl"), FourCC("rsrc"), smSystemScript);
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    Str255 name{};
    const char text[] = "Caf\x8E";  // Mac OS Roman e-acute
    name[0] = UInt8(sizeof text - 1);
    std::memcpy(name + 1, text, sizeof text - 1);
    AddResource(NewText("0123456789"), FourCC("ICN#"), 128, name);
    SetResAttrs(Get1Resource(FourCC("ICN#"), 128), resPurgeable);
    AddResource(NewText("x"), FourCC("STR "), -16455, nullptr);
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);

    const std::string out = Inspect("--json '" + (dir / "icons.rsrc") + "'");
    EXPECT_EQ(out,
              "{\"kind\":\"resource-file\",\"forks\":\"flat\",\"resources\":["
              "{\"type\":\"ICN#\",\"id\":128,\"name\":\"Caf\xC3\xA9\",\"size\":10,\"attributes\":32},"
              "{\"type\":\"STR \",\"id\":-16455,\"name\":null,\"size\":1,\"attributes\":0}],"
              "\"finderInfo\":{\"type\":\"rsrc\",\"creator\":\"Krvl\",\"flags\":0}}\n");

    const std::string textOut = Inspect("'" + (dir / "icons.rsrc") + "'");
    EXPECT_EQ(textOut,
              "resource file (flat fork): 2 resources\n"
              "'ICN#' 128 \"Caf\xC3\xA9\" 10 bytes, attributes 0x20\n"
              "'STR ' -16455 1 bytes, attributes 0x00\n"
              "Finder info: type 'rsrc', creator 'Krvl', flags 0x0000\n");
}

TEST_F(ResourceFiles, InspectReportsDamagedForksAndPassesOverOtherFiles) {
    const std::string damaged = dir / "damaged.rsrc";
    std::vector<UInt8> bytes;
    ASSERT_EQ(SerializeResourceFork(ResourceForkImage{}, &bytes), noErr);
    bytes[256 + 25] = 2;  // type list inside the map header
    Spill(damaged, bytes);
    Spill(dir / "plain.txt", TextBytes("just text, no fork here at all"));
    struct Case {
        std::string path;
        std::string firstLine;  // empty: nothing about forks
    };
    const std::string forks = DataForks("");
    const Case cases[] = {
        {damaged, "korvel: " + damaged + ": damaged resource fork (flat): the type list lies outside the resource map"},
        {dir / "plain.txt", ""},
        {forks + "testfile.rsrc", "resource file (flat fork): 4 resources"},
        {forks + "empty.rsrc", "resource file (flat fork): 0 resources"},
        {forks + "alt-ext2.rsrc", "resource file (appledouble fork): no resource fork"},
        {forks + "._GSHK", "korvel: " + forks + "._GSHK: damaged resource fork (appledouble): not a Macintosh "
                                                "resource fork (a zero first word starts an Apple IIgs fork)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string out = Inspect("'" + c.path + "' 2>&1");
        if (c.firstLine.empty()) {
            EXPECT_EQ(out.find("damaged"), std::string::npos) << out;
            EXPECT_EQ(out.find("resource file ("), std::string::npos) << out;
        } else {
            EXPECT_EQ(out.substr(0, out.find('\n')), c.firstLine);
        }
    }
}

}  // namespace
