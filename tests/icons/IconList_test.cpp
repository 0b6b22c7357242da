// Icon files as a user opens, edits and saves them: flat, AppleDouble and
// MacBinary files keep their form and every resource not edited, a failed
// save keeps the file and the edits, and damaged files list what they can.
#include "app/AppleEvents.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "icons/NewIcon.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "image/IconFamilyFiles.h"
#include "palettes/Prefs.h"
#include "platform/files/AppleDouble.h"
#include "platform/files/FileIO.h"
#include "platform/core/PString.h"
#include "platform/files/MacBinary.h"
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scrap.h"
#include "platform/ui/Scripting.h"
#include "tests/image/IconTestSupport.h"
#include "tests/platform/raster/PixelArt.h"
#include "tests/platform/files/TempFolder.h"

#include "tests/support/ProgramTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<UInt8>;
using ResKey = std::pair<ResType, ResID>;

Bytes Pattern(size_t size, UInt8 seed) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = UInt8(seed + i * 7);
    return b;
}

// testfile.rsrc's resources with icons 128, 129, 131 (classic) and 200
// (small only) added.
ResourceForkImage IconFileImage() {
    ResourceForkImage image;
    EXPECT_EQ(ParseResourceFork(Slurp(DataForks("testfile.rsrc")), &image), noErr);
    image.fileAttributes = 0;  // its map is marked read-only
    for (ResID id : {128, 129, 131}) image.resources.push_back({FourCC("ICN#"), id, false, {}, 32, Pattern(256, UInt8(id))});
    image.resources.push_back({FourCC("icl8"), 128, true, "robot", 32, Pattern(1024, 3)});
    image.resources.push_back({FourCC("ics#"), 200, false, {}, 32, Pattern(64, 9)});
    return image;
}

std::map<ResKey, Bytes> Resources(const Bytes& fork) {
    ResourceForkImage image;
    EXPECT_EQ(ParseResourceFork(fork, &image), noErr);
    std::map<ResKey, Bytes> out;
    for (const ForkResource& r : image.resources) out[{r.type, r.id}] = r.data;
    return out;
}

std::vector<ResID> IDs(WindowRef w) {
    std::vector<ResID> ids;
    for (const IconEntry& e : GetIconFileRec(w)->entries) ids.push_back(e.resID);
    return ids;
}

struct EnvAt {  // an environment variable set for a while
    const char* var;
    std::string saved = std::getenv(var) ? std::getenv(var) : "";
    EnvAt(const char* name, const std::string& value) : var(name) { setenv(var, value.c_str(), 1); }
    ~EnvAt() { saved.empty() ? unsetenv(var) : setenv(var, saved.c_str(), 1); }
};

class IconListTest : public ProgramTest {
protected:
    void TearDown() override {
        SetAtomicWriteHookForTesting(nullptr);
        ProgramTest::TearDown();
    }
    static WindowRef Open(const std::string& path) {
        PostOpenDocuments({FileSpecFor(path)});
        RunPendingEvents();
        return FrontDocumentWindow();
    }
    static void ChooseMenuItemForTest(MenuID menu, MenuItemIndex item) {
        ScriptMenuChoice(MenuChoice(menu, item));
        RunPendingEvents();
    }
    static void Select(WindowRef w, ResID id) {
        IconFileRec* rec = GetIconFileRec(w);
        for (size_t i = 0; i < rec->entries.size(); ++i) rec->selected[i] = rec->entries[i].resID == id;
    }
    TempFolder folder_;
};

// Start-up removes the working files of copies no longer running, with their
// companions, and nothing else.
TEST_F(IconListTest, StartUpRemovesWorkingFilesOfCopiesNoLongerRunning) {
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string dir = folder_ / "Korvel", dead = std::to_string(gone), mine = std::to_string(getpid());
    std::filesystem::create_directory(dir);
    for (const std::string& pid : {dead, mine}) {
        const FSSpec fileSpec = FileSpecFor(dir + "/Korvel temporary " + pid + "-3");
        FSpCreateResFile(&fileSpec, FourCC("Krvl"), FourCC("temp"), 0);
    }
    std::set<std::string> kept = {"Korvel temporary " + dead + "-3.png", "Korvel temporary 7", "Korvel temporary 0-1",
                                  "notes"};
    for (const std::string& name : kept) Spill(dir + "/" + name, {1});
    Spill(dir + "/._Korvel temporary " + dead + "--2", {1});  // a companion left on its own
    kept.insert({"Korvel temporary " + mine + "-3", "._Korvel temporary " + mine + "-3"});
    const EnvAt tmp("TMPDIR", folder_.path());
    RemoveStaleWorkingFiles();
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) left.insert(entry.path().filename());
    EXPECT_EQ(left, kept);
}

// Each form is opened, saved unchanged, edited (duplicate, delete, renumber)
// and saved; the platform reader then finds exactly the edits, the other
// resources byte for byte, and the rest of the file untouched.
TEST_F(IconListTest, EachFormIsEditedAndSavedInPlace) {
    Bytes fork;
    ASSERT_EQ(SerializeResourceFork(IconFileImage(), &fork), noErr);
    const Bytes dataFork = Slurp(DataForks("not-adf"));
    MacBinaryFile mb;
    mb.name = "icons.bin";
    mb.dataFork = dataFork;
    mb.resourceFork = fork;
    AppleDoubleFile companion = NewAppleDouble();
    companion.set(kEntryResourceFork, fork);
    const std::string flat = folder_ / "flat.rsrc", doubled = folder_ / "doubled", binary = folder_ / "icons.bin";
    Spill(flat, fork);
    Spill(doubled, dataFork);
    Spill(CompanionPath(doubled), WriteAppleDouble(companion));
    Spill(binary, WriteMacBinary(mb));

    const std::map<ResKey, Bytes> before = Resources(fork);
    for (const std::string& path : {flat, doubled, binary}) {
        SCOPED_TRACE(path);
        // An unchanged save keeps every resource's bytes.
        WindowRef w = Open(path);
        ASSERT_EQ(GetExtWindowKind(w), kIconListWindowKind);
        GetIconFileRec(w)->isDirty = true;
        ASSERT_EQ(SaveIconFile(w), noErr);
        Bytes now;
        ForkSource source;
        FSSpec fileSpec = FileSpecFor(path);
        ASSERT_EQ(ReadResourceFork(&fileSpec, &now, &source), noErr);
        EXPECT_EQ(Resources(now), before);
        const Bytes onDisk = Slurp(path), companionOnDisk = Slurp(CompanionPath(path));
        EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 129, 131, 200}));
        IconFileRec* rec = GetIconFileRec(w);
        EXPECT_EQ(MyUniqueID(*rec), 130);
        EXPECT_EQ(MyContinuousUniqID(*rec, 2), 132);
        Select(w, 128);
        ASSERT_EQ(DuplicateSelectedIcon(w), noErr);  // becomes 130
        Select(w, 129);
        ASSERT_EQ(DeleteSelectedIcon(w), noErr);
        Select(w, 200);
        static const UInt8 kName[] = {4, 'm', 'i', 'n', 'i'};
        EXPECT_EQ(ChangeSelectedIconInfo(w, 131, kName), dupFNErr);  // taken
        ASSERT_EQ(ChangeSelectedIconInfo(w, 300, kName), noErr);
        EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 130, 131, 300}));
        EXPECT_EQ(Slurp(path), onDisk);  // nothing changes on disk before the save
        EXPECT_EQ(Slurp(CompanionPath(path)), companionOnDisk);
        ASSERT_EQ(SaveIconFile(w), noErr);
        EXPECT_FALSE(rec->isDirty);

        ASSERT_EQ(ReadResourceFork(&fileSpec, &now, &source), noErr);
        std::map<ResKey, Bytes> expected = before;
        expected.erase({FourCC("ICN#"), 129});
        expected.erase({FourCC("ics#"), 200});
        expected[{FourCC("ICN#"), 130}] = before.at({FourCC("ICN#"), 128});
        expected[{FourCC("icl8"), 130}] = before.at({FourCC("icl8"), 128});
        expected[{FourCC("ics#"), 300}] = before.at({FourCC("ics#"), 200});
        EXPECT_EQ(Resources(now), expected);
        if (path == doubled) {
            EXPECT_EQ(source, ForkSource::appleDouble);
            EXPECT_EQ(Slurp(doubled), dataFork);
        }
        if (path == binary) {
            MacBinaryFile back;
            ASSERT_EQ(ParseMacBinary(Slurp(binary), &back), noErr);  // its CRC holds
            EXPECT_EQ(back.dataFork, dataFork);
            EXPECT_EQ(source, ForkSource::macBinary);
        }
        if (path == flat) {
            EXPECT_EQ(source, ForkSource::flat);
        }
        // Reopened, the list shows the saved icons.
        ASSERT_EQ(CloseDocumentWindow(w, false), noErr);
        EXPECT_EQ(IDs(Open(path)), (std::vector<ResID>{128, 130, 131, 300}));
        ASSERT_EQ(CloseDocumentWindow(FrontDocumentWindow(), false), noErr);
    }
}

// A delete undone leaves the working file's icons untouched and a save
// deletes nothing; a save whose write fails keeps the file and the edits.
TEST_F(IconListTest, UndoAndAFailedSaveKeepEverything) {
    Bytes fork;
    ASSERT_EQ(SerializeResourceFork(IconFileImage(), &fork), noErr);
    const std::string path = folder_ / "icons.rsrc";
    Spill(path, fork);
    WindowRef w = Open(path);
    IconFileRec* rec = GetIconFileRec(w);
    ASSERT_TRUE(rec);
    Select(w, 131);
    ASSERT_EQ(DeleteSelectedIcon(w), noErr);
    Bytes working;
    ASSERT_EQ(GetResFileBytes(rec->workingRefNum, &working), noErr);
    EXPECT_EQ(Resources(working).count({kDeleteInfoType, 131}), 1u);
    DoUndoIconList(w);
    EXPECT_EQ(rec->undoMode, -kIconListUndoDelete);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 129, 131, 200}));
    ASSERT_EQ(GetResFileBytes(rec->workingRefNum, &working), noErr);
    EXPECT_TRUE(Resources(working).empty());
    ASSERT_EQ(SaveIconFile(w), noErr);
    EXPECT_EQ(Resources(Slurp(path)), Resources(fork));

    Select(w, 128);
    ASSERT_EQ(DeleteSelectedIcon(w), noErr);
    SetAtomicWriteHookForTesting([](const std::string&) { return false; });
    const Bytes onDisk = Slurp(path);
    EXPECT_NE(SaveIconFile(w), noErr);
    EXPECT_EQ(Slurp(path), onDisk);
    EXPECT_TRUE(rec->isDirty);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{129, 131, 200}));
    SetAtomicWriteHookForTesting(nullptr);
    ASSERT_EQ(SaveIconFile(w), noErr);
    EXPECT_EQ(Resources(Slurp(path)).count({FourCC("ICN#"), 128}), 0u);
}

// A map with a repeated ID, a mask of the wrong size and an empty one: the
// list holds what can be read and a note names the rest. A file holding only
// its custom icon opens as a family window. 9 icons at 240 pixels: 4 columns.
TEST_F(IconListTest, DamagedFilesListWhatTheyCan) {
    ResourceForkImage image;
    image.resources.push_back({FourCC("ICN#"), 128, false, {}, 32, Pattern(256, 1)});
    image.resources.push_back({FourCC("ICN#"), 129, false, {}, 32, Pattern(256, 2)});
    image.resources.push_back({FourCC("ICN#"), 140, false, {}, 32, Pattern(100, 3)});
    image.resources.push_back({FourCC("ics#"), 141, false, {}, 32, {}});
    image.resources.push_back({FourCC("ics#"), 142, false, {}, 32, Pattern(64, 4)});
    Bytes fork;
    ASSERT_EQ(SerializeResourceFork(image, &fork), noErr);
    // The second reference (129) is made to repeat 128.
    auto be16 = [&](size_t at) { return size_t(fork[at]) << 8 | fork[at + 1]; };
    const size_t typeList = BE32(fork, 4) + be16(BE32(fork, 4) + 24), refs = typeList + be16(typeList + 8);
    ASSERT_EQ(fork[refs + 12 + 1], 129);
    fork[refs + 12 + 1] = 128;
    Spill(folder_ / "damaged.rsrc", fork);
    WindowRef w = Open(folder_ / "damaged.rsrc");
    ASSERT_EQ(GetExtWindowKind(w), kIconListWindowKind);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 142}));
    EXPECT_NE(GetIconFileRec(w)->skippedNote.find("140 141"), std::string::npos);
    EXPECT_NE(GetIconFileRec(w)->skippedNote.find("1 damaged or repeated"), std::string::npos);

    ResourceForkImage custom;
    custom.resources.push_back({FourCC("ICN#"), kCustomIconResID, false, {}, 32, Pattern(256, 5)});
    ASSERT_EQ(SerializeResourceFork(custom, &fork), noErr);
    Spill(folder_ / "custom.rsrc", fork);
    EXPECT_EQ(GetExtWindowKind(Open(folder_ / "custom.rsrc")), kFamilyWindowKind);
    // So does a text file whose AppleDouble companion holds only its custom
    // icon as one 'icns' resource, flagged in its Finder information.
    ResourceForkImage onlyFamily;
    onlyFamily.resources.push_back({FourCC("icns"), kCustomIconResID, false, {}, 0,
                                    Slurp(std::string(KORVEL_TEST_DATA) + "/icns/classic.icns")});
    ASSERT_EQ(SerializeResourceFork(onlyFamily, &fork), noErr);
    AppleDoubleFile companion = NewAppleDouble();
    companion.set(kEntryResourceFork, fork);
    std::array<UInt8, kFinderInfoSize> finderInfo{};
    finderInfo[8] = 0x04;  // has a custom icon
    SetFinderInfoBytes(&companion, finderInfo);
    Spill(folder_ / "notes.txt", Bytes{'h', 'i', '\n'});
    Spill(CompanionPath(folder_ / "notes.txt"), WriteAppleDouble(companion));
    EXPECT_EQ(GetExtWindowKind(Open(folder_ / "notes.txt")), kFamilyWindowKind);

    ResourceForkImage nine;
    for (ResID id = 128; id < 137; ++id) nine.resources.push_back({FourCC("ICN#"), id, false, {}, 32, Pattern(256, 6)});
    ASSERT_EQ(SerializeResourceFork(nine, &fork), noErr);
    Spill(folder_ / "nine.rsrc", fork);
    w = Open(folder_ / "nine.rsrc");
    SizeWindow(w, 240, 200, false);
    InitIconList(w);
    const IconFileRec* rec = GetIconFileRec(w);
    EXPECT_EQ(rec->columns, 4);
    const Rect last = IconCellRect(*rec, 8);
    EXPECT_EQ(last.top, 2 * kIconCellHeight);
    EXPECT_EQ(last.left, 0);

    // An icon opens into a family window of the list; opened again, that
    // window only comes forward.
    Select(w, 130);
    OpenSelectedIcon(w);
    WindowRef family = FrontDocumentWindow();
    ASSERT_TRUE(GetFamilyWinRec(family));
    EXPECT_EQ(GetFamilyWinRec(family)->parentList, w);
    Str255 title;
    GetWTitle(family, title);
    EXPECT_EQ(PStringToStd(title), "Icon 130 of nine.rsrc");
    SelectWindow(w);
    OpenSelectedIcon(w);
    EXPECT_EQ(FrontDocumentWindow(), family);
    int families = 0;
    for (WindowRef x = GetWindowList(); x; x = GetNextWindow(x)) families += GetFamilyWinRec(x) != nullptr;
    EXPECT_EQ(families, 3);  // custom.rsrc's, notes.txt's and this one
}

// Pasting only 'ics#' and 'ics8' into a new icon file gives a small-only
// icon; the file is saved as a flat resource file with that suffix. Import
// and Export start in a sensible folder.
TEST_F(IconListTest, ANewIconFileTakesAPastedSmallIcon) {
    ChooseMenuItemForTest(kIconMenuID, 1);
    WindowRef w = FrontDocumentWindow();
    ASSERT_TRUE(GetIconFileRec(w));
    ASSERT_EQ(ClearCurrentScrap(), noErr);
    ASSERT_EQ(PutScrapFlavor(FourCC("ics#"), Pattern(64, 1)), noErr);
    ASSERT_EQ(PutScrapFlavor(FourCC("ics8"), Pattern(256, 2)), noErr);
    ASSERT_EQ(PasteIcon(w), noErr);
    EXPECT_EQ(IDs(w), std::vector<ResID>{128});
    // Import and Export of a file never saved start in the user's home until
    // one of them has given a file (none has before in this program), then
    // where it did; once saved, beside the file.
    const EnvAt home("HOME", config_.path());
    EXPECT_EQ(ImportIconFromFile(w), userCanceledErr);  // unattended: cancelled at once
    EXPECT_EQ(LastNavDialogFolder(), config_.path());
    std::filesystem::create_directory(folder_ / "out");
    ScriptNavDialog({true, folder_ / "out/first.ico", {}, 1, -1, {}});
    ASSERT_EQ(ExportIconToFolder(w), noErr);
    EXPECT_EQ(ImportIconFromFile(w), userCanceledErr);
    EXPECT_EQ(LastNavDialogFolder(), folder_ / "out");
    NavAnswer answer;
    answer.path = folder_ / "untitled icons.rsrc";
    ScriptNavDialog(answer);
    ASSERT_EQ(SaveIconFile(w), noErr);
    std::map<ResKey, Bytes> expected{{{FourCC("ics#"), 128}, Pattern(64, 1)}, {{FourCC("ics8"), 128}, Pattern(256, 2)}};
    EXPECT_EQ(Resources(Slurp(folder_ / "untitled icons.rsrc")), expected);
    EXPECT_FALSE(GetIconFileRec(w)->isDirty);

    // Icon > Add Icon: the new-icon dialog refuses the ID the list holds.
    ScriptDialog(kNewIconDialogID, {DialogStep::Choose(kTemplateItem, 5), DialogStep::Type(4, "128"),
                                    DialogStep::Click(1), DialogStep::Type(4, "300"), DialogStep::Click(1)});
    ChooseMenuItemForTest(kIconMenuID, 4);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 300}));
    EXPECT_EQ(SysBeepCount(), 1u);
    EXPECT_TRUE(GetIconFileRec(w)->isDirty);

    // Icon > Export writes the selected icon as a Windows icon file.
    answer.path = folder_ / "folder.ico";
    answer.format = 1;
    ScriptNavDialog(answer);
    ChooseMenuItemForTest(kIconMenuID, 8);
    EXPECT_EQ(LastNavDialogFolder(), folder_.path());
    const Bytes ico = Slurp(folder_ / "folder.ico");
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(Bytes(ico.begin(), ico.begin() + 4), (Bytes{0, 0, 1, 0}));
}

// A member of listed icon `id` as the list reads it, and its name.
Bytes Listed(IconFileRec* rec, ResID id, SInt16 kind, std::string* name = nullptr) {
    KorvelIconOwner icon;
    Str255 n;
    for (const IconEntry& e : rec->entries)
        if (e.resID == id) {
            EXPECT_EQ(MyGetKorvelIcon(rec, icon.get(), e, n, nullptr), noErr);
        }
    if (name) *name = PStringToStd(n);
    return icontest::MemberOf(*icon, kind);
}

// Import with the consecutive-ID setting: an .ico, a file that gives no icon
// and an .icns take the first run of free IDs, 132 and 133, as their files
// read, named after them; one alert names the refused file; undo takes both
// away. Without the setting a folder's custom icon takes the first free ID.
TEST_F(IconListTest, ImportAndTheResourceEditor) {
    Bytes fork;
    ASSERT_EQ(SerializeResourceFork(IconFileImage(), &fork), noErr);
    const std::string path = folder_ / "icons.rsrc", data = KORVEL_TEST_DATA;
    Spill(path, fork);
    Spill(folder_ / "broken.ico", Bytes{0, 0, 1, 0, 1, 0, 32, 32});
    WindowRef w = Open(path);
    IconFileRec* rec = GetIconFileRec(w);
    gOtherPrefs[kOtherConsecutiveIDs] = 1;
    ScriptNavDialog({true, data + "/ico/magick-8-1.ico", {}, -1, -1, {folder_ / "broken.ico", data + "/icns/classic.icns"}});
    ChooseMenuItemForTest(kIconMenuID, 7);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 129, 131, 132, 133, 200}));
    EXPECT_NE(LastAlertText().find("“broken.ico”"), std::string::npos) << LastAlertText();
    EXPECT_EQ(LastAlertText().find("classic"), std::string::npos);
    KorvelIconOwner ico, icns;
    std::vector<std::string> notes;
    ASSERT_EQ(WinIconToKorvelIcon(FileSpecFor(data + "/ico/magick-8-1.ico"), ico.get(), &notes), noErr);
    const FSSpec icnsSpec = FileSpecFor(data + "/icns/classic.icns");
    ASSERT_EQ(XIconToKorvelIcon(&icnsSpec, icns.get()), noErr);
    std::string name;
    for (SInt16 kind : {kKindICNImage, kKindICNMask, kKindIcl8, kKindIcsMask}) {
        EXPECT_EQ(Listed(rec, 132, kind, &name), icontest::MemberOf(*ico, kind)) << kind;
        EXPECT_EQ(Listed(rec, 133, kind), icontest::MemberOf(*icns, kind)) << kind;
    }
    EXPECT_EQ(name, "magick-8-1.ico");
    DoUndoIconList(w);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 129, 131, 200}));

    gOtherPrefs[kOtherConsecutiveIDs] = 0;
    KorvelIconOwner folderIcon;
    ASSERT_EQ(GetKorvelIconFromTemplate(folderIcon.get(), {0x0707, false, false}, kDocumentTemplate), noErr);
    FSSpec folderSpec = FileSpecFor(folder_ / "Project");
    ASSERT_EQ(MakeFolderWithKorvelIcon(&folderSpec, *folderIcon), noErr);
    ScriptNavDialog({true, folder_ / "Project", {}, -1, -1, {}});
    ASSERT_EQ(ImportIconFromFile(w), noErr);
    EXPECT_EQ(IDs(w), (std::vector<ResID>{128, 129, 130, 131, 200}));
    EXPECT_EQ(Listed(rec, 130, kKindIcl8), icontest::MemberOf(*folderIcon, kKindIcl8));

    // Open with Resource Editor, disabled until an editor is chosen, closes
    // the window and starts the editor with the icon file.
    const std::string editor = folder_ / "editor", opened = folder_ / "opened";
    const std::string script = "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened + "'\n";
    Spill(editor, Bytes(script.begin(), script.end()));
    std::filesystem::permissions(editor, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    EXPECT_FALSE(IsMenuItemEnabled(GetMenuHandle(kIconMenuID), 12));
    ASSERT_EQ(FSSpecFromPath(editor, &gResEditor), noErr);
    isResEditAvailable = true;
    rec->isDirty = false;
    ChooseMenuItemForTest(kIconMenuID, 12);
    EXPECT_EQ(FrontDocumentWindow(), nullptr);
    for (int i = 0; i < 100 && Slurp(opened).empty(); ++i) usleep(50000);
    EXPECT_EQ(Slurp(opened), Bytes(path.begin(), path.end()));
}

// The info dialog draws the icon it describes: a large icon at 32 pixels,
// a small-only one at 16, centred in the dialog's icon area.
TEST_F(IconListTest, TheInfoDialogDrawsTheIcon) {
    ResourceForkImage image;
    image.resources.push_back({FourCC("ICN#"), 128, false, {}, 32, Bytes(256, 0xFF)});
    image.resources.push_back({FourCC("ics#"), 200, false, {}, 32, Bytes(64, 0xFF)});
    Bytes fork;
    ASSERT_EQ(SerializeResourceFork(image, &fork), noErr);
    Spill(folder_ / "black.rsrc", fork);
    WindowRef w = Open(folder_ / "black.rsrc");
    DialogRef dialog = GetNewDialog(131, nullptr, kFirstWindowOfClass);
    DialogItemType type = 0;
    Handle item = nullptr;
    Rect area{};
    GetDialogItem(dialog, 3, &type, &item, &area);
    const int midV = (area.top + area.bottom) / 2, midH = (area.left + area.right) / 2;
    auto pixel = [&](int h, int v) { return xfer::RGBTo24(pixelart::ReadPixel(**GetPortPixMap(GetWindowPort(dialog)), h, v)); };
    for (const auto& [id, half] : {std::pair<ResID, int>{128, 16}, {200, 8}}) {
        KorvelIconOwner icon;
        ASSERT_EQ(MyGetKorvelIcon(GetIconFileRec(w), icon.get(), {id, kIconListTypeClassic}, nullptr, nullptr), noErr);
        DrawIconInfoIcon(dialog, *icon);
        // The square's corners are black, the pixels just outside it white.
        EXPECT_EQ(pixel(midH - half, midV - half) | pixel(midH + half - 1, midV + half - 1), 0u) << id;
        EXPECT_EQ(pixel(midH - half - 1, midV) & pixel(midH + half, midV) & pixel(midH, midV - half - 1) &
                      pixel(midH, midV + half), 0xFFFFFFu) << id;
    }
    DisposeDialog(dialog);
}

}  // namespace
