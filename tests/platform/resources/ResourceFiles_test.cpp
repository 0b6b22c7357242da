#include "platform/resources/Resources.h"

#include "platform/core/PString.h"
#include "platform/files/Forks.h"
#include "tests/platform/resources/ResourceTestSupport.h"

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

}  // namespace
