#include "platform/resources/Resources.h"

#include "platform/core/PString.h"
#include "platform/resources/ResourcesInternal.h"
#include "tests/platform/resources/ResourceTestSupport.h"

#include <functional>
#include <tuple>

namespace {

using namespace restest;

constexpr ResType kIcon = FourCC("ICN#");

// A file in memory whose writes are recorded.
struct WatchedFile {
    SInt16 refNum = kResFileNotOpen;
    int writes = 0;
    OSErr failWith = noErr;
    std::vector<UInt8> written;

    void open(std::span<const UInt8> bytes) {
        refNum = OpenResFileWithWriter(
            bytes,
            [this](std::span<const UInt8> b) {
                if (failWith) return failWith;
                ++writes;
                written.assign(b.begin(), b.end());
                return OSErr(noErr);
            },
            {});
    }
    ResourceForkImage image() const {
        ResourceForkImage img;
        EXPECT_EQ(ParseResourceFork(written, &img), noErr);
        return img;
    }
};

class ResourceManager : public ::testing::Test {
protected:
    void SetUp() override { InitResources(); }
    void TearDown() override { InitResources(); }
};

TEST_F(ResourceManager, RepeatedGetsShareOneHandleUntilReleased) {
    SInt16 ref = OpenResFileFromBytes(Fork({Res(kText, 128, "hello")}), fsRdPerm);
    ASSERT_NE(ref, kResFileNotOpen);
    Handle a = Get1Resource(kText, 128);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Text(a), "hello");
    EXPECT_EQ(Get1Resource(kText, 128), a);
    EXPECT_EQ(GetResource(kText, 128), a);
    EXPECT_EQ(HGetState(a) & 0x20, 0x20);
    EXPECT_EQ(HomeResFile(a), ref);
    ReleaseResource(a);
    EXPECT_EQ(ResError(), noErr);
    Handle b = Get1Resource(kText, 128);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Text(b), "hello");
    EXPECT_EQ(Get1Resource(kText, 129), nullptr);
    EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(ResourceManager, SearchChainRunsFromTheCurrentFileToTheApplication) {
    const SInt16 app = OpenApplicationResFileFromBytes(
        Fork({Res(kText, 1, "app"), Res(kText, 2, "app only")}));
    ASSERT_NE(app, kResFileNotOpen);
    EXPECT_EQ(CurResFile(), app);
    const SInt16 lower = OpenResFileFromBytes(Fork({Res(kText, 1, "lower"), Res(kText, 3, "lower only")}), fsRdPerm);
    const SInt16 upper = OpenResFileFromBytes(Fork({Res(kText, 1, "upper")}), fsRdPerm);
    ASSERT_NE(lower, kResFileNotOpen);
    ASSERT_NE(upper, kResFileNotOpen);
    EXPECT_EQ(CurResFile(), upper);

    struct Case {
        SInt16 current;
        ResID id;
        const char* chain;  // GetResource
        const char* one;    // Get1Resource
    };
    const Case cases[] = {
        {upper, 1, "upper", "upper"}, {upper, 2, "app only", nullptr}, {upper, 3, "lower only", nullptr},
        {lower, 1, "lower", "lower"}, {lower, 3, "lower only", "lower only"}, {app, 1, "app", "app"},
        {app, 3, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        UseResFile(c.current);
        Handle h = GetResource(kText, c.id);
        EXPECT_EQ(h ? Text(h) : "", c.chain ? c.chain : "") << c.current << " " << c.id;
        Handle h1 = Get1Resource(kText, c.id);
        EXPECT_EQ(h1 ? Text(h1) : "", c.one ? c.one : "") << c.current << " " << c.id;
    }

    // Closing the current file makes the one opened before it current.
    UseResFile(upper);
    CloseResFile(upper);
    EXPECT_EQ(CurResFile(), lower);
    UseResFile(upper);
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), lower);
    EXPECT_EQ(GetApplicationResFile(), app);
}

TEST_F(ResourceManager, ChangesAreWrittenOnUpdateAndClose) {
    WatchedFile file;
    file.open(Fork({Res(kText, 128, "keep"), Res(kText, 129, "remove me"), Res(kIcon, 200, "icon", "Old name"),
                    Res(kText, 130, "attrs")}));
    ASSERT_NE(file.refNum, kResFileNotOpen);

    // Add, with and without names.
    AddResource(NewText("added"), kText, 131, P("New").s);
    ASSERT_EQ(ResError(), noErr);
    AddResource(NewText("another type"), FourCC("ZZZZ"), -5, nullptr);
    ASSERT_EQ(ResError(), noErr);
    // Remove: the handle passes to the caller.
    Handle gone = Get1Resource(kText, 129);
    RemoveResource(gone);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_EQ(Text(gone), "remove me");
    EXPECT_EQ(HGetState(gone) & 0x20, 0);
    DisposeHandle(gone);
    // Renumber and rename.
    Handle icon = Get1Resource(kIcon, 200);
    SetResInfo(icon, 300, P("New name").s);
    ASSERT_EQ(ResError(), noErr);
    // Attributes.
    Handle attrs = Get1Resource(kText, 130);
    SetResAttrs(attrs, resPurgeable | resLocked);
    EXPECT_EQ(HGetState(attrs) & 0x80, 0x80);
    // A data change, marked.
    Handle keep = Get1Resource(kText, 128);
    ASSERT_EQ(PtrAndHand("!", keep, 1), noErr);
    ChangedResource(keep);
    EXPECT_EQ(GetResAttrs(keep) & resChanged, resChanged);
    EXPECT_EQ(GetResFileAttrs(file.refNum) & mapChanged, mapChanged);

    UpdateResFile(file.refNum);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_EQ(file.writes, 1);
    EXPECT_EQ(GetResAttrs(keep) & resChanged, 0);
    EXPECT_EQ(GetResFileAttrs(file.refNum) & mapChanged, 0);

    const ResourceForkImage img = file.image();
    const std::vector<ForkResource> want = {
        Res(kText, 128, "keep!"), Res(kText, 130, "attrs", nullptr, resPurgeable | resLocked),
        Res(kText, 131, "added", "New"), Res(kIcon, 300, "icon", "New name"), Res(FourCC("ZZZZ"), -5, "another type"),
    };
    EXPECT_EQ(img.resources, want);

    // Nothing changed since: closing does not write again.
    CloseResFile(file.refNum);
    EXPECT_EQ(file.writes, 1);
}

TEST_F(ResourceManager, ReleasingOrDetachingAChangedResourceKeepsTheChange) {
    WatchedFile file;
    file.open(Fork({Res(kText, 1, "one"), Res(kText, 2, "two")}));
    Handle one = Get1Resource(kText, 1);
    SetHandleSize(one, 0);
    ASSERT_EQ(PtrAndHand("ONE", one, 3), noErr);
    ChangedResource(one);
    ReleaseResource(one);

    Handle two = Get1Resource(kText, 2);
    ASSERT_EQ(PtrAndHand("+", two, 1), noErr);
    ChangedResource(two);
    DetachResource(two);
    EXPECT_EQ(HomeResFile(two), kResFileNotOpen);
    EXPECT_EQ(ResError(), resNotFound);

    CloseResFile(file.refNum);
    // The detached handle is the caller's and outlives the file.
    EXPECT_EQ(Text(two), "two+");
    DisposeHandle(two);
    ASSERT_EQ(file.writes, 1);
    EXPECT_EQ(file.image().resources, (std::vector{Res(kText, 1, "ONE"), Res(kText, 2, "two+")}));
}

TEST_F(ResourceManager, OnlyMarkedChangesAreWrittenAndFailedWritesStayPending) {
    WatchedFile file;
    file.open(Fork({Res(kText, 1, "one")}));
    (*Get1Resource(kText, 1))[0] = 'X';  // not marked changed
    UpdateResFile(file.refNum);
    EXPECT_EQ(file.writes, 0);

    AddResource(NewText("data"), kText, 2, nullptr);
    file.failWith = ioErr;
    UpdateResFile(file.refNum);
    EXPECT_EQ(ResError(), ioErr);
    EXPECT_EQ(GetResFileAttrs(file.refNum) & mapChanged, mapChanged);
    file.failWith = noErr;
    CloseResFile(file.refNum);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(file.image().resources, (std::vector{Res(kText, 1, "one"), Res(kText, 2, "data")}));
}

TEST_F(ResourceManager, RefusedChangesLeaveTheFileAlone) {
    const SInt16 ro = OpenResFileFromBytes(Fork({Res(kText, 1, "one", nullptr, resProtected)}), fsRdPerm);
    Handle h = NewText("x");
    struct Case {
        const char* what;
        std::function<void()> act;
        OSErr want;
    };
    const Case readOnly[] = {
        {"add to a read-only file", [&] { AddResource(h, kText, 2, nullptr); }, wrPermErr},
        {"change in a read-only file", [&] { ChangedResource(Get1Resource(kText, 1)); }, wrPermErr},
        {"rename in a read-only file", [&] { SetResInfo(Get1Resource(kText, 1), 9, nullptr); }, wrPermErr},
        {"file attributes of a read-only file", [&] { SetResFileAttrs(ro, 0); }, wrPermErr},
    };
    for (const Case& c : readOnly) {
        c.act();
        EXPECT_EQ(ResError(), c.want) << c.what;
    }
    CloseResFile(ro);

    WatchedFile file;
    file.open(Fork({Res(kText, 1, "one", nullptr, resProtected), Res(kText, 2, "two")}));
    Handle one = Get1Resource(kText, 1);
    Handle two = Get1Resource(kText, 2);
    const Case writable[] = {
        {"add a type and ID that exist", [&] { AddResource(h, kText, 2, nullptr); }, addResFailed},
        {"add a null handle", [&] { AddResource(nullptr, kText, 3, nullptr); }, addResFailed},
        {"add a handle that is a resource", [&] { AddResource(two, kText, 3, nullptr); }, addResFailed},
        {"renumber onto another resource", [&] { SetResInfo(two, 1, nullptr); }, addResFailed},
        {"renumber a protected resource", [&] { SetResInfo(one, 5, nullptr); }, resAttrErr},
        {"remove a protected resource", [&] { RemoveResource(one); }, rmvResFailed},
        {"remove a handle that is no resource", [&] { RemoveResource(h); }, rmvResFailed},
        {"release a handle that is no resource", [&] { ReleaseResource(h); }, resNotFound},
    };
    for (const Case& c : writable) {
        c.act();
        EXPECT_EQ(ResError(), c.want) << c.what;
    }
    DisposeHandle(h);
    CloseResFile(file.refNum);
    EXPECT_EQ(file.writes, 0);

    // A map marked read-only refuses changes too.
    WatchedFile marked;
    marked.open(Fork({Res(kText, 1, "one")}, mapReadOnly));
    ChangedResource(Get1Resource(kText, 1));
    EXPECT_EQ(ResError(), wrPermErr);
}

TEST_F(ResourceManager, DamagedForksAreRefusedAndNeverWritten) {
    std::vector<UInt8> bytes = Fork({Res(kText, 1, "one")});
    bytes[11] = 0xFF;  // data length past the end
    WatchedFile file;
    file.open(bytes);
    EXPECT_EQ(file.refNum, kResFileNotOpen);
    EXPECT_EQ(ResError(), mapReadErr);
    EXPECT_EQ(CurResFile(), kResFileNotOpen);
    UniqueHandle orphan(NewText("x"));
    AddResource(orphan.get(), kText, 2, nullptr);
    EXPECT_EQ(ResError(), resFNotFound);
    InitResources();
    EXPECT_EQ(file.writes, 0);

    WatchedFile empty;
    empty.open({});
    EXPECT_EQ(empty.refNum, kResFileNotOpen);
    EXPECT_EQ(ResError(), eofErr);
}

TEST_F(ResourceManager, AThousandResourcesOfManyTypesSurviveReopening) {
    auto typeOf = [](int i) { return FourCC("T000") + ResType(i % 12); };
    auto textOf = [](int i) { return std::string(size_t(i % 50), char('a' + i % 26)); };
    auto nameOf = [](int i) { return i % 3 ? "r" + std::to_string(i) : ""; };
    WatchedFile file;
    file.open(Fork({}));
    for (int i = 0; i < 1000; ++i) {
        AddResource(NewText(textOf(i)), typeOf(i), ResID(i), i % 3 ? P(nameOf(i)).s : nullptr);
        ASSERT_EQ(ResError(), noErr) << i;
    }
    CloseResFile(file.refNum);
    ASSERT_EQ(file.writes, 1);

    ASSERT_NE(OpenResFileFromBytes(file.written, fsRdPerm), kResFileNotOpen);
    for (int i = 0; i < 1000; ++i) {
        Handle h = Get1Resource(typeOf(i), ResID(i));
        ASSERT_NE(h, nullptr) << i;
        EXPECT_EQ(Text(h), textOf(i));
        Str255 name{};
        ResID id = 0;
        ResType type = 0;
        GetResInfo(h, &id, &type, name);
        EXPECT_EQ(std::tuple(id, type, PStringToStd(name)), std::tuple(ResID(i), typeOf(i), nameOf(i))) << i;
    }
    EXPECT_EQ(Count1Resources(FourCC("T000")), 84);
}

TEST_F(ResourceManager, UniqueIDsStartAt128AndSkipUsedOnes) {
    OpenApplicationResFileFromBytes(Fork({Res(kIcon, 130, "")}));
    OpenResFileFromBytes(Fork({Res(kIcon, 128, ""), Res(kIcon, 129, ""), Res(kIcon, 131, ""), Res(kText, 128, "")}),
                         fsRdPerm);
    EXPECT_EQ(Unique1ID(kIcon), 130);
    EXPECT_EQ(UniqueID(kIcon), 132);
    EXPECT_EQ(Unique1ID(kText), 129);
    EXPECT_EQ(Unique1ID(FourCC("NONE")), 128);
}

TEST_F(ResourceManager, IndexedStringsComeFromStringLists) {
    std::string list = {0, 3, 3, 'o', 'n', 'e', 0, 5, 't', 'h', 'r', 'e', 'e'};
    std::string cut = {0, 2, 3, 'o', 'n', 'e', 9, 'x'};
    OpenResFileFromBytes(Fork({Res(FourCC("STR#"), 140, list), Res(FourCC("STR#"), 141, cut)}), fsRdPerm);
    struct Case {
        SInt16 list, index;
        const char* want;
        OSErr err;
    };
    const Case cases[] = {
        {140, 1, "one", noErr},       {140, 2, "", noErr},          {140, 3, "three", noErr},
        {140, 0, "", resNotFound},    {140, 4, "", resNotFound},    {141, 1, "one", noErr},
        {141, 2, "", resNotFound},    {142, 1, "", resNotFound},
    };
    for (const Case& c : cases) {
        Str255 s;
        s[0] = 99;
        GetIndString(s, c.list, c.index);
        EXPECT_EQ(PStringToStd(s), c.want) << c.list << "/" << c.index;
        EXPECT_EQ(ResError(), c.err) << c.list << "/" << c.index;
    }
}

TEST_F(ResourceManager, NewInMemoryFileSerializesItsContents) {
    const SInt16 ref = NewResFileInMemory();
    AddResource(NewText("abc"), kText, 7, P("seven").s);
    std::vector<UInt8> bytes;
    ASSERT_EQ(GetResFileBytes(ref, &bytes), noErr);
    ResourceForkImage image;
    ASSERT_EQ(ParseResourceFork(bytes, &image), noErr);
    EXPECT_EQ(image.resources, (std::vector{Res(kText, 7, "abc", "seven")}));
    // Empty names are no names.
    Handle h = Get1Resource(kText, 7);
    SetResInfo(h, 7, P("").s);
    ASSERT_EQ(GetResFileBytes(ref, &bytes), noErr);
    ASSERT_EQ(ParseResourceFork(bytes, &image), noErr);
    EXPECT_FALSE(image.resources[0].hasName);
}

}  // namespace
