// The preferences store: the file a run leaves behind, byte for byte, and
// what a run makes of the files earlier runs (or damage) left.
#include "palettes/Prefs.h"

#include "app/Alerts.h"
#include "app/AppResources.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "palettes/ColorPalettes.h"
#include "palettes/PrefsCodec.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/raster/ColorTables.h"
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scripting.h"
#include "tests/platform/files/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<UInt8>;

const fs::path& ConfigHome() {
    static const fs::path dir = fs::temp_directory_path() / ("korvel-prefs-test-" + std::to_string(getpid()));
    return dir;
}

fs::path PrefPath() { return ConfigHome() / "Korvel" / "Korvel Preferences"; }

Bytes Be16(int v) { return {UInt8(v >> 8), UInt8(v)}; }

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

ForkResource Res(const char (&type)[5], ResID id, Bytes data) {
    ForkResource r;
    r.type = FourCC(type);
    r.id = id;
    r.data = std::move(data);
    return r;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadFile(const fs::path& path) { return Slurp(path.string()); }

// A preferences file as an older run would have left it.
void WritePrefFile(std::vector<ForkResource> resources) {
    ResourceForkImage image;
    image.resources = std::move(resources);
    Bytes bytes;
    ASSERT_EQ(SerializeResourceFork(image, &bytes), noErr);
    WriteFile(PrefPath(), bytes);
}

ResourceForkImage ReadPrefFile() {
    ResourceForkImage image;
    FSSpec fileSpec;
    EXPECT_EQ(FSSpecFromPath(PrefPath().string(), &fileSpec), noErr);
    Bytes bytes;
    ForkSource source = ForkSource::none;
    EXPECT_EQ(ReadResourceFork(&fileSpec, &bytes, &source), noErr);
    EXPECT_EQ(ParseResourceFork(bytes, &image), noErr);
    return image;
}

const ForkResource* Find(const ResourceForkImage& image, const char (&type)[5], ResID id) {
    for (const ForkResource& r : image.resources)
        if (r.type == FourCC(type) && r.id == id) return &r;
    return nullptr;
}

class PrefsTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
        fs::remove_all(ConfigHome());
        InitResources();
        ASSERT_EQ(OpenApplicationResources(), noErr);
        ASSERT_EQ(InitWindows(800, 600), noErr);
        isOSX = true;
        isIconServicesAvailable = true;
        gSystemVersion = 0x1000;
        gKeyThreshStore[0] = 20;
        gKeyThreshStore[1] = 5;
        gPatternNo = 1;
        quit = false;
        SetUnattended(true);
        ResetScriptLog();
    }
    void TearDown() override {
        ClosePrefFile();
        TearDownWindows();
        InitResources();
        fs::remove_all(ConfigHome());
    }
    // One run of the program as far as the store sees it.
    static void StartRun() { LoadPrefFile(); }
    static OSErr EndRun() {
        quit = true;
        const OSErr err = SavePrefFile();
        quit = false;
        return err;
    }
};

Bytes DefaultTypeString() {
    Bytes b(266, 0);
    b[3] = 12;
    b[6] = 4;
    b[7] = 't', b[8] = 'e', b[9] = 'x', b[10] = 't';
    return b;
}

TEST_F(PrefsTest, FreshStartWritesEveryKeyWithItsDefaultInOrder) {
    StartRun();
    ASSERT_NE(gPrefFileRefNum, -1);
    EXPECT_EQ(gUsedCount[0], 1u);
    ASSERT_EQ(EndRun(), noErr);
    EXPECT_EQ(gPrefFileRefNum, -1);

    const Bytes krvl = {'K', 'r', 'v', 'l'};
    Bytes counts(80, 0);
    counts[3] = 1;
    struct Key { const char* type; ResID id; const char* name; Bytes data; };
    // Grouped by type in the order of first writing, which is the table's.
    const std::vector<Key> expected = {
        {"lBak", 128, "background of icon list", {0, 1}}, {"cAIC", 128, "color palette check", {0, 0}},
        {"gSet", 128, "png file prefs", {0, 0, 1, 0, 0, 6, 1, 0, 0, 0}},
        {"pPrf", 128, "tool prefs", Cat({{1, 1, 1, 0}, Be16(20), Be16(5), {0, 0, 0, 0, 0, 0x21, 0, 0}, Bytes(12, 0)})},
        {"DCrt", 128, "pict creator", krvl}, {"DCrt", 129, "gif creator", krvl}, {"DCrt", 130, "icon creator", krvl},
        {"DCrt", 131, "png creator", krvl}, {"Stup", 128, "startup setting", {0, 1}},
        {"fPrf", 128, "add preview icon", {0, 0}}, {"tPrf", 128, "tablet prefs", {0, 1, 0, 0}},
        {"PWpf", 128, "paint window prefs", {0, 0, 0, 0, 0, 64, 0, 96, 0, 2, 0, 0, 0, 0, 0, 8}},
        {"oPrf", 128, "other Prefs", {0, 0, 0, 0, 1, 1, 0, 0}}, {"uCnt", 128, "count of use", counts},
        {"pprf", 128, "rotate prefs", {0, 90}}, {"pprf", 129, "dot picture prefs", Bytes(6, 0)},
        {"pprf", 130, "wind prefs", Bytes(4, 0)}, {"pprf", 131, "type string prefs", DefaultTypeString()},
        {"pprf", 132, "edge prefs", {0, 1, 0, 1, 0, 1}}, {"STR ", 128, "dot mode command", {0}},
        {"STR ", 129, "dot lib name", {0}},
        {"uExE", 128, "use external editor", {1}},
    };
    const ResourceForkImage image = ReadPrefFile();
    ASSERT_EQ(image.resources.size(), expected.size() + 1);  // and the favourites
    for (size_t i = 0; i < expected.size(); ++i) {
        const ForkResource& r = image.resources[i];
        SCOPED_TRACE(std::string(expected[i].type) + " " + std::to_string(expected[i].id));
        EXPECT_EQ(r.type, FourCC(*reinterpret_cast<const char(*)[5]>(expected[i].type)));
        EXPECT_EQ(r.id, expected[i].id);
        EXPECT_EQ(r.name, expected[i].name);
        EXPECT_EQ(r.attributes, resPurgeable);
        EXPECT_EQ(r.data, expected[i].data);
    }
    // The favourites: table 130's 34 colours.
    const ForkResource& clut = image.resources.back();
    EXPECT_EQ(clut.type, FourCC("clut"));
    EXPECT_EQ(clut.name, "favorite colors");
    ASSERT_EQ(clut.data.size(), 280u);
    EXPECT_EQ(clut.data[6], 0);
    EXPECT_EQ(clut.data[7], 33);
    const UniqueCTable table130(GetCTable(130));
    ASSERT_EQ(CTabCount(table130.get()), 34);
    for (int i = 0; i < 34; ++i) {
        const RGBColor c = CTabEntries(table130.get())[i].rgb;
        const UInt8* e = &clut.data[size_t(8 + 8 * i + 2)];
        EXPECT_EQ(Bytes(e, e + 6), Cat({Be16(c.red), Be16(c.green), Be16(c.blue)})) << "entry " << i;
    }

    FInfo info;
    FSSpec fileSpec;
    ASSERT_EQ(FSSpecFromPath(PrefPath().string(), &fileSpec), noErr);
    ASSERT_EQ(FSpGetFInfo(&fileSpec, &info), noErr);
    EXPECT_EQ(info.fdType, FourCC("pref"));
    EXPECT_EQ(info.fdCreator, FourCC("Krvl"));

    StartRun();
    EXPECT_EQ(gUsedCount[0], 2u);
    ASSERT_EQ(EndRun(), noErr);
    EXPECT_EQ(Find(ReadPrefFile(), "uCnt", 128)->data[3], 2);
}

TEST_F(PrefsTest, StoredValuesAreCheckedAfterLoading) {
    struct Case { const char* what; std::vector<ForkResource> stored; std::function<void()> check; };
    auto toolPrefsWithGrid = [](int grid) {
        return Res("pPrf", 128, Cat({{1, 1, 1, 0}, Be16(20), Be16(5), {0, 0, 0, 0}, Be16(grid), Bytes(14, 0)}));
    };
    auto paintWinWithMode = [](int mode) {
        return Res("PWpf", 128, Cat({{0, 0, 0, 0, 0, 64, 0, 96, 0, 2, 0, 0, 0, 0}, Be16(mode)}));
    };
    Bytes longString(41, 'a');
    longString[0] = 40;
    for (int i = 1; i <= 40; ++i) longString[size_t(i)] = UInt8('A' + i % 26);
    const std::vector<Case> cases = {
        {"grid 0x3F", {toolPrefsWithGrid(0x3F)}, [] { EXPECT_EQ(gToolPrefs.gridSetting, 0x21); }},
        {"grid 0x12", {toolPrefsWithGrid(0x12)}, [] { EXPECT_EQ(gToolPrefs.gridSetting, 0x12); }},
        {"grid 0x35", {toolPrefsWithGrid(0x35)}, [] { EXPECT_EQ(gToolPrefs.gridSetting, 0x21); }},
        {"grid 0x14", {toolPrefsWithGrid(0x14)}, [] { EXPECT_EQ(gToolPrefs.gridSetting, 0x14); }},
        {"grid 0x46", {toolPrefsWithGrid(0x46)}, [] { EXPECT_EQ(gToolPrefs.gridSetting, 0x00); }},
        {"icon list background 4", {Res("lBak", 128, {0, 4})}, [] { EXPECT_EQ(gListBackground, 1); }},
        {"icon list background 2", {Res("lBak", 128, {0, 2})}, [] { EXPECT_EQ(gListBackground, 2); }},
        {"palette check 3", {Res("cAIC", 128, {0, 3})}, [] { EXPECT_EQ(gPaletteCheck, 0); }},
        {"palette check 2", {Res("cAIC", 128, {0, 2})}, [] { EXPECT_EQ(gPaletteCheck, 2); }},
        {"colour mode 16", {paintWinWithMode(16)}, [] { EXPECT_EQ(gPaintWinPrefs.colorMode, 8); }},
        {"colour mode 24", {paintWinWithMode(24)}, [] { EXPECT_EQ(gPaintWinPrefs.colorMode, 24); }},
        {"PNG reserved byte", {Res("gSet", 128, {0, 2, 1, 9, 0, 9, 1, 0, 1, 0})},
         [] { EXPECT_EQ(EncodePref(gPNGFilePrefs), (Bytes{0, 2, 1, 0, 0, 9, 1, 0, 1, 0})); }},
        {"large patterns", {Res("oPrf", 128, {0, 0, 0, 0, 0, 0, 1, 1})},
         [] { EXPECT_EQ(gPatternNo, 12); EXPECT_EQ(gOtherPrefs[7], 1); }},
        {"short tool prefs keep the rest", {Res("pPrf", 128, {0, 0})},
         [] {
             EXPECT_EQ(EncodePref(gToolPrefs),
                       Cat({{0, 0, 1, 0}, Be16(20), Be16(5), {0, 0, 0, 0, 0, 0x21, 0, 0}, Bytes(12, 0)}));
         }},
        {"long counters", {Res("uCnt", 128, Cat({{0, 0, 0, 7}, Bytes(76, 0), {9, 9, 9, 9}}))},
         [] { EXPECT_EQ(gUsedCount[0], 8u); EXPECT_EQ(gUsedCount[19], 0u); }},
        {"dot command longer than 32 bytes", {Res("STR ", 128, longString)},
         [&longString] {
             EXPECT_EQ(gDotCommand[0], 31);
             EXPECT_TRUE(std::equal(&gDotCommand[1], &gDotCommand[32], &longString[1]));
             EXPECT_EQ(gDotCommand[32], 0);
         }},
        {"dot library name", {Res("STR ", 129, {3, 'l', 'i', 'b'})},
         [] { EXPECT_EQ(Bytes(gDotLibName, gDotLibName + 5), (Bytes{3, 'l', 'i', 'b', 0})); }},
        {"editor not in use", {Res("uExE", 128, {0})}, [] { EXPECT_EQ(gUseExternalEditor, 0); }},
        {"rotation and edging", {Res("pprf", 128, {0x01, 0x0E}), Res("pprf", 132, {0, 4})},
         [] { EXPECT_EQ(gAngle, 270); EXPECT_EQ(gEdgePrefs, (std::array<UInt8, 6>{0, 4, 0, 1, 0, 1})); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(ConfigHome());
        WritePrefFile(c.stored);
        gPatternNo = 1;
        StartRun();
        ASSERT_NE(gPrefFileRefNum, -1);
        c.check();
        ClosePrefFile();
    }
}

TEST_F(PrefsTest, OlderKeysMoveIntoTheCurrentRecordsAndLeaveTheFile) {
    struct Case { const char* type; Bytes stored; std::function<void()> check; };
    const std::vector<Case> cases = {
        {"gMod", {0, 0x17}, [] { EXPECT_EQ(gToolPrefs.gridSetting, 3); }},
        {"rMod", {1}, [] { EXPECT_EQ(gToolPrefs.showRuler, 1); }},
        {"iSiz", {0, 0, 0, 0, 0, 32, 0, 48},
         [] { EXPECT_EQ(gPaintWinPrefs.pictRect, (Rect{0, 0, 32, 48})); }},
        {"eRat", {0, 4}, [] { EXPECT_EQ(gPaintWinPrefs.ratio, 4); }},
        {"aSiz", {1}, [] { EXPECT_EQ(gPaintWinPrefs.showSizeDialog, 1); }},
        {"rClp", {1}, [] { EXPECT_EQ(gPaintWinPrefs.sizeFromClipboard, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        fs::remove_all(ConfigHome());
        ForkResource old;
        old.type = FourCC(*reinterpret_cast<const char(*)[5]>(c.type));
        old.id = 128;
        old.data = c.stored;
        // The current record is there too: the older one wins.
        WritePrefFile({Res("pPrf", 128, EncodePref(ToolPrefs{})), Res("PWpf", 128, EncodePref(PaintWinPrefs{})), old});
        StartRun();
        c.check();
        ASSERT_EQ(EndRun(), noErr);
        const ResourceForkImage image = ReadPrefFile();
        EXPECT_EQ(Find(image, "lBak", 128) != nullptr, true);
        for (const ForkResource& r : image.resources) EXPECT_NE(r.type, old.type);
    }
}

TEST_F(PrefsTest, DamagedFileGivesDefaultsAnAlertAndStaysAsItWas) {
    Bytes valid;
    {
        ResourceForkImage image;
        image.resources = {Res("lBak", 128, {0, 2})};
        ASSERT_EQ(SerializeResourceFork(image, &valid), noErr);
    }
    Bytes cutMap(valid.begin(), valid.end() - 10);
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = UInt8(i * 37 + 11);
    for (const Bytes& damaged : {noise, cutMap, Bytes{0, 0, 1, 0}}) {
        fs::remove_all(ConfigHome());
        WriteFile(PrefPath(), damaged);
        ResetScriptLog();
        StartRun();
        EXPECT_EQ(gPrefFileRefNum, -1);
        EXPECT_EQ(gListBackground, 1);
        EXPECT_EQ(gUsedCount[0], 0u);
        EXPECT_EQ(gToolPrefs.keyRepeatDelay, 20);
        EXPECT_EQ(CTabCount(gFavoriteColors), 34);
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
        EXPECT_NE(LastAlertText().find("The preferences file cannot be opened."), std::string::npos);
        EXPECT_EQ(EndRun(), -1);
        EXPECT_EQ(DialogsShown().size(), 1u);  // nothing more to say at the end
        EXPECT_EQ(ReadFile(PrefPath()), damaged);
    }
}

// A file whose map is marked read-only is read, never written, and the
// failed save is reported.
TEST_F(PrefsTest, ReadOnlyFileIsReadAndLeftAsItWas) {
    ResourceForkImage image;
    image.fileAttributes = mapReadOnly;
    image.resources = {Res("lBak", 128, {0, 2})};
    Bytes bytes;
    ASSERT_EQ(SerializeResourceFork(image, &bytes), noErr);
    WriteFile(PrefPath(), bytes);
    StartRun();
    ASSERT_NE(gPrefFileRefNum, -1);
    EXPECT_EQ(gListBackground, 2);
    EXPECT_NE(EndRun(), noErr);
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
    EXPECT_NE(LastAlertText().find("The preferences cannot be saved."), std::string::npos);
    EXPECT_EQ(ReadFile(PrefPath()), bytes);
}

// Found by fuzzing: records marked locked and protected (by another tool)
// made every later write of them fail, so the settings could never be saved.
TEST_F(PrefsTest, LockedAndProtectedRecordsStillTakeNewValues) {
    const Bytes stored = ReadFile(fs::path(KORVEL_TEST_DATA) / "prefs-locked-protected-records.bin");
    ASSERT_FALSE(stored.empty());
    WriteFile(PrefPath(), stored);
    StartRun();
    ASSERT_NE(gPrefFileRefNum, -1);
    gPaintWinPrefs.ratio = 3;
    EXPECT_EQ(EndRun(), noErr);
    const ResourceForkImage image = ReadPrefFile();
    const ForkResource* win = Find(image, "PWpf", 128);
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->attributes & (resLocked | resProtected), 0);
    EXPECT_EQ(win->data[9], 3);
    for (const ForkResource& r : image.resources) EXPECT_EQ(r.attributes & (resLocked | resProtected), 0) << r.id;
}

TEST_F(PrefsTest, StoredFavouritesKeepTheirCountUpToTheirCells) {
    auto clut = [](int countMinusOne, int entries) {
        Bytes b = Cat({{0, 0, 0, 9}, {0x80, 0}, Be16(countMinusOne)});
        for (int i = 0; i < entries; ++i) b = Cat({b, Be16(i), Be16(0x111 * (i + 1)), Be16(0x2222), Be16(0x3333)});
        return b;
    };
    struct Case {
        const char* what;
        Bytes stored;
        int expectedCount;  // −1: the 34 defaults stand
    };
    const std::vector<Case> cases = {
        {"two", clut(1, 2), 2}, {"forty", clut(39, 40), 40}, {"ninety-six", clut(95, 96), 96},
        {"a hundred, cut to the cells", clut(99, 100), 96}, {"an emptied list", clut(-1, 0), 0},
        {"count beyond the bytes", clut(9, 5), -1}, {"count of 300", clut(299, 300), -1},
        {"header only", Bytes{0, 0, 0, 1}, -1},
    };
    const UniqueCTable defaults(GetCTable(130));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(ConfigHome());
        WritePrefFile({Res("clut", 128, c.stored)});
        StartRun();
        const int count = c.expectedCount < 0 ? 34 : c.expectedCount;
        ASSERT_EQ(CTabCount(gFavoriteColors), count);
        for (int i = 0; i < count; ++i) {
            const RGBColor want = c.expectedCount < 0 ? CTabEntries(defaults.get())[i].rgb
                                                      : RGBColor{UInt16(0x111 * (i + 1)), 0x2222, 0x3333};
            EXPECT_EQ(CTabEntries(gFavoriteColors)[i].rgb, want) << i;
        }
        ClosePrefFile();
    }
}

TEST_F(PrefsTest, FavouritesGrownOrEmptiedSurviveTheNextRun) {
    StartRun();
    ASSERT_EQ(CTabCount(gFavoriteColors), 34);
    for (int i = 0; i < 40; ++i) AddFavoriteColor(ColorRec{RGBColor{UInt16(0x0101 * i), 0x1234, 0x4321}, 0});
    const int grown = CTabCount(gFavoriteColors);
    ASSERT_GT(grown, 34);
    ASSERT_LE(grown, 96);
    EXPECT_EQ(EndRun(), noErr);
    ClosePrefFile();
    StartRun();
    EXPECT_EQ(CTabCount(gFavoriteColors), grown);
    while (CTabCount(gFavoriteColors) > 0) ASSERT_TRUE(RemoveFavoriteColor(0));
    EXPECT_EQ(EndRun(), noErr);
    ClosePrefFile();
    StartRun();
    EXPECT_EQ(CTabCount(gFavoriteColors), 0);
}

TEST_F(PrefsTest, ExternalEditorIsKeptByPathWhileItExists) {
    const fs::path editor = ConfigHome() / "Editor App";
    WriteFile(editor, {1});
    const std::string path = editor.string();
    const Bytes record = Cat({{'K', 'r', 'A', 'l'}, Be16(int(path.size())), Bytes(path.begin(), path.end())});

    // 129 names the resource editor, kept the same way.
    WritePrefFile({Res("alis", 128, record), Res("alis", 129, record)});
    StartRun();
    EXPECT_TRUE(isExternalEditorAvailable);
    EXPECT_EQ(FSSpecToPath(&gExternalEditor), path);
    EXPECT_TRUE(isResEditAvailable);
    EXPECT_EQ(FSSpecToPath(&gResEditor), path);
    ASSERT_EQ(EndRun(), noErr);
    ASSERT_NE(Find(ReadPrefFile(), "alis", 128), nullptr);
    EXPECT_EQ(Find(ReadPrefFile(), "alis", 128)->data, record);
    ASSERT_NE(Find(ReadPrefFile(), "alis", 129), nullptr);
    EXPECT_EQ(Find(ReadPrefFile(), "alis", 129)->data, record);

    // Gone, or not a record of ours: the record is dropped.
    for (const Bytes& stale : {record, Bytes{'K', 'r', 'A', 'l', 0, 0}, Bytes{1, 2}}) {
        fs::remove(editor);
        WritePrefFile({Res("alis", 128, stale), Res("alis", 129, stale)});
        StartRun();
        EXPECT_FALSE(isExternalEditorAvailable);
        EXPECT_EQ(gExternalEditor.name[0], 0);
        EXPECT_FALSE(isResEditAvailable);
        ASSERT_EQ(EndRun(), noErr);
        EXPECT_EQ(Find(ReadPrefFile(), "alis", 128), nullptr);
        EXPECT_EQ(Find(ReadPrefFile(), "alis", 129), nullptr);
    }
}

// Distinct values in every field pin each field's offset and byte order.
TEST_F(PrefsTest, RecordsEncodeFieldByFieldBigEndian) {
    ToolPrefs tool;
    tool.pencilToggle = 2;
    tool.toggleOnlyWithSmallPen = 3;
    tool.keepFloatingSelection = 4;
    tool.keyRepeatDelay = 0x0506;
    tool.keyRepeatInterval = -2;
    tool.eyedropperCursor = 7;
    tool.footprintCursor = 8;
    tool.colorFootprintCursor = 9;
    tool.commandClickErases = 10;
    tool.gridSetting = 0x0B0C;
    tool.showRuler = 13;
    tool.pixelGridColor = {0x1011, 0x1213, 0x1415};
    tool.blockGridColor = {0x1617, 0x1819, 0x1A1B};
    const Bytes toolBytes = {2, 3, 4, 0, 5, 6, 0xFF, 0xFE, 7, 8, 9, 10, 0x0B, 0x0C, 13, 0,
                             0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B};
    EXPECT_EQ(EncodePref(tool), toolBytes);
    ToolPrefs back;
    OverlayPref(toolBytes, &back);
    EXPECT_EQ(EncodePref(back), toolBytes);

    const PaintWinPrefs win{{1, 2, 0x0300, -1}, 5, 6, 7, 2, 24};
    EXPECT_EQ(EncodePref(win), (Bytes{0, 1, 0, 2, 3, 0, 0xFF, 0xFF, 0, 5, 6, 7, 0, 2, 0, 24}));
}

}  // namespace
