// Icon families as a user opens, changes, saves, reverts and closes them:
// from files through the open-documents route and the command line, with the
// menus, checked at exact bytes and by the icon tools of other programs.
#include "app/Alerts.h"
#include "app/AppleEvents.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "image/IconFamilyFiles.h"
#include "io/OpenDocuments.h"
#include "platform/ui/Scripting.h"
#include "tests/image/IconTestSupport.h"
#include "tests/support/Peers.h"

#include "tests/support/ProgramTest.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace icontest;

namespace {

enum : SInt16 { kSaveQuestion = 129, kRevertQuestion = 137 };

const std::string kIcns = std::string(KORVEL_TEST_DATA) + "/icns/classic.icns";

class FamilyOpenSaveTest : public ProgramTest {
protected:
    // A copy of a test file in the test's folder.
    std::string Copy(const std::string& from, const std::string& name) {
        fs::copy_file(from, folder_ / name);
        return folder_ / name;
    }
    // Opens through the open-documents route; the front document then.
    static WindowRef Open(const std::string& path) {
        PostOpenDocuments({FileSpecFor(path)});
        RunPendingEvents();
        return FrontDocumentWindow();
    }
    static void Choose(MenuID menu, MenuItemIndex item) {
        ScriptMenuChoice(MenuChoice(menu, item));
        RunPendingEvents();
    }
    // A click on the member, as the user selects it.
    static void Select(WindowRef w, SInt16 kind) {
        const Rect& r = familyIconRect[size_t(kind)];
        Point at{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
        SetPortWindowPort(w);
        LocalToGlobal(&at);
        ScriptClick(at);
        RunPendingEvents();
        ASSERT_EQ(GetFamilyWinRec(w)->selectedKind, kind);
    }
    static std::string Title(WindowRef w) {
        Str255 t;
        GetWTitle(w, t);
        return PStringToStd(t);
    }
    TempFolder folder_;
};

// Every member of a record, kind by kind (empty for an absent one).
std::vector<Bytes> Members(const KorvelIcon& icon) {
    std::vector<Bytes> members;
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind) members.push_back(MemberOf(icon, kind));
    return members;
}

std::vector<Bytes> MembersOfFile(const std::string& path) {
    KorvelIconOwner icon;
    const FSSpec file = FileSpecFor(path);
    EXPECT_EQ(XIconToKorvelIcon(&file, icon.get()), noErr) << path;
    return Members(*icon);
}

std::string Output(const std::string& command) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(command + " 2>&1", out)) << command;
    return std::string(out.begin(), out.end());
}

}  // namespace

// Clearing one member and making another empty, saving, reverting: the file
// holds exactly the window's members, as icns2png also lists them. A file
// already open only comes forward.
TEST_F(FamilyOpenSaveTest, AnIconFamilyFileIsChangedSavedAndReverted) {
    const std::string path = Copy(kIcns, "icon.icns");
    const std::vector<Bytes> original = MembersOfFile(path);
    WindowRef w = Open(path);
    ASSERT_EQ(GetExtWindowKind(w), kFamilyWindowKind);
    FamilyWinRec* family = GetFamilyWinRec(w);
    EXPECT_EQ(family->sourceType, kSourceIconFamilyFile);
    EXPECT_TRUE(family->show32);
    EXPECT_EQ(Title(w), "icon.icns");
    EXPECT_EQ(Members(family->icon), original);
    EXPECT_FALSE(IsMenuItemEnabled(GetMenuHandle(kFileMenuID), 4));
    // Opened again (here by another name for it), the file only comes forward.
    fs::create_symlink(path, folder_ / "link.icns");
    EXPECT_NE(Open(Copy(kIcns, "other.icns")), w);
    EXPECT_EQ(Open(folder_ / "link.icns"), w);

    Select(w, kKindIcs4);
    Choose(kEditMenuID, 6);  // Clear
    Select(w, kKindIcl4);
    Choose(kEditMenuID, 6);
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kIconMenuID), 4));
    Choose(kIconMenuID, 4);  // a new empty member
    ASSERT_TRUE(family->isDirty);
    Choose(kFileMenuID, 4);  // Save
    EXPECT_FALSE(family->isDirty);
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{});

    std::vector<Bytes> expected = original;
    expected[kKindIcs4].clear();
    expected[kKindIcl4].assign(512, 0);
    EXPECT_EQ(MembersOfFile(path), expected);
    EXPECT_EQ(Members(family->icon), expected);
    const std::string listing = Output("icns2png -l '" + path + "'");
    EXPECT_EQ(listing.find("'ics4'"), std::string::npos) << listing;
    EXPECT_NE(listing.find("'icl4' 32x32 4-bit icon (512 bytes)"), std::string::npos) << listing;
    EXPECT_NE(listing.find("11 elements total"), std::string::npos) << listing;

    // Revert takes the saved state back, in the window's place.
    Select(w, kKindIcl8);
    Choose(kEditMenuID, 6);
    Rect before;
    GetWindowBounds(w, kWindowContentRgn, &before);
    ScriptDialog(kRevertQuestion, {DialogStep::Click(1)});
    Choose(kFileMenuID, 7);
    WindowRef reverted = FrontDocumentWindow();
    ASSERT_NE(GetFamilyWinRec(reverted), nullptr);
    EXPECT_EQ(Members(GetFamilyWinRec(reverted)->icon), expected);
    EXPECT_FALSE(GetFamilyWinRec(reverted)->isDirty);
    Rect after;
    GetWindowBounds(reverted, kWindowContentRgn, &after);
    EXPECT_EQ(after, before);
}

// A Windows icon: opened with every member it holds shown, a member cleared
// and saved: icotool lists what is left. Images the reader keeps out are
// named in a note, and the window opens with the rest.
TEST_F(FamilyOpenSaveTest, AWindowsIconIsSavedAndItsLeftOutImagesNamed) {
    const std::string path = Copy(std::string(KORVEL_TEST_DATA) + "/ico/icotool-4-8-32.ico", "icon.ico");
    WindowRef w = Open(path);
    FamilyWinRec* family = GetFamilyWinRec(w);
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->sourceType, kSourceWinIcon);
    EXPECT_TRUE(family->show32);
    EXPECT_EQ(MemberOf(family->icon, kKindIl32).size(), 4096u);
    Select(w, kKindIcl8);
    Choose(kEditMenuID, 6);
    Choose(kFileMenuID, 4);
    EXPECT_FALSE(family->isDirty);
    EXPECT_EQ(Output("icotool -l '" + path + "'"),
              "--icon --index=1 --width=16 --height=16 --bit-depth=8 --palette-size=256\n"
              "--icon --index=2 --width=16 --height=16 --bit-depth=4 --palette-size=16\n"
              "--icon --index=3 --width=32 --height=32 --bit-depth=1 --palette-size=2\n"
              "--icon --index=4 --width=16 --height=16 --bit-depth=1 --palette-size=2\n"
              "--icon --index=5 --width=32 --height=32 --bit-depth=32 --palette-size=0\n");

    ResetScriptLog();
    WindowRef png = Open(Copy(std::string(KORVEL_TEST_DATA) + "/ico/pillow-png.ico", "png.ico"));
    EXPECT_EQ(GetExtWindowKind(png), kFamilyWindowKind);
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{204});
    EXPECT_EQ(LastAlertText(),
              "Some images of \u201Cpng.ico\u201D cannot be edited in Korvel and were left out:\n"
              "image 3 (48 \u00D7 48, PNG): Korvel keeps icons of 16, 32 and 128 pixels only; kept out");
}

// A write the system refuses (a read-only folder, and a file-size limit for
// a user whom permissions do not stop) is told, keeps the family changed and
// open, and leaves the file as it was.
TEST_F(FamilyOpenSaveTest, AFailedSaveAlertsAndKeepsTheChangesAndTheOldFile) {
    const std::string path = Copy(kIcns, "icon.icns");
    const Bytes before = Slurp(path);
    WindowRef w = Open(path);
    Select(w, kKindIcl8);
    Choose(kEditMenuID, 6);
    ASSERT_TRUE(GetFamilyWinRec(w)->isDirty);

    ::chmod(folder_.path().c_str(), 0555);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit tiny{1024, saved.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    ScriptDialog(kSaveQuestion, {DialogStep::Click(1)});  // Save
    const OSErr err = CloseDocumentWindow(w, false);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    ::chmod(folder_.path().c_str(), 0755);

    EXPECT_NE(err, noErr);
    EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{kSaveQuestion, kErrorAlertID}));
    EXPECT_NE(LastAlertText().find("The icon cannot be saved"), std::string::npos) << LastAlertText();
    EXPECT_EQ(FrontDocumentWindow(), w);
    EXPECT_TRUE(GetFamilyWinRec(w)->isDirty);
    EXPECT_EQ(Slurp(path), before);
    std::vector<std::string> names;  // no temporary left behind
    for (const auto& entry : fs::directory_iterator(folder_.path())) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"icon.icns"});
}

// A folder's custom icon: opened, given a member, saved, and found again
// when the folder is opened anew.
TEST_F(FamilyOpenSaveTest, AFoldersCustomIconIsEditedSavedAndReopened) {
    const std::string path = folder_ / "Folder";
    fs::create_directory(path);
    WindowRef w = Open(path);
    FamilyWinRec* family = GetFamilyWinRec(w);
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->sourceType, kSourceCustomIcon);
    EXPECT_TRUE(family->isFolder);
    EXPECT_EQ(Title(w), "Custom icon of Folder");
    for (SInt16 kind : {kKindICNImage, kKindIcl8}) {
        Select(w, kind);
        if (!IsMenuItemEnabled(GetMenuHandle(kIconMenuID), 4)) Choose(kEditMenuID, 6);
        Choose(kIconMenuID, 4);
    }
    const std::vector<Bytes> saved = Members(family->icon);
    ScriptDialog(kSaveQuestion, {DialogStep::Click(1)});
    Choose(kFileMenuID, 3);  // Close, saving
    EXPECT_EQ(FrontDocumentWindow(), nullptr);

    WindowRef again = Open(path);
    ASSERT_NE(GetFamilyWinRec(again), nullptr);
    EXPECT_EQ(Members(GetFamilyWinRec(again)->icon), saved);
}

// Files of kinds without a document window, and files that are not there,
// are named in an alert; nothing opens.
TEST_F(FamilyOpenSaveTest, FilesThatCannotOpenAreNamedInAnAlert) {
    const struct {
        const char* name;
        bool exists;
        const char* message;
    } cases[] = {
        {"icons.001", true, "Korvel cannot open \u201Cicons.001\u201D: it does not read files of this kind."},
        {"icons.RSRC", true, "Korvel cannot open \u201Cicons.RSRC\u201D: it does not read files of this kind."},
        {"ramps.kblend", true, "The blend palette file cannot be opened."},
        {"gone.icns", false, "\u201Cgone.icns\u201D cannot be opened: it does not exist or cannot be read."},
        {"broken.icns", true, "The icon family cannot be read."},
        {"broken.ico", true, "The icon family cannot be read."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.exists) Spill(folder_ / c.name, TextBytes("not what the name says"));
        ResetScriptLog();
        EXPECT_EQ(Open(folder_ / c.name), nullptr);
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
        EXPECT_NE(LastAlertText().find(c.message), std::string::npos) << LastAlertText();
    }
}

// `korvel FILE` opens the file, and what Save As writes from that window
// is what other programs read.
TEST_F(FamilyOpenSaveTest, TheCommandLineOpensItsFilesAndSaveAsWritesAWindowsIcon) {
    quit = true;
    ShutDown();
    TearDownWindows();
    const std::string in = Copy(kIcns, "in.icns"), out = folder_ / "out.ico";
    std::string seen;
    ScriptWait(6);
    ScriptMenuChoice(MenuChoice(kFileMenuID, 5));  // Save As
    ScriptNavDialog({true, out, [&] { seen = Title(FrontDocumentWindow()); }, 1});
    ScriptMenuChoice(MenuChoice(kFileMenuID, 13));  // Quit
    std::string program = "korvel";
    char* argv[] = {program.data(), const_cast<char*>(in.c_str()), nullptr};
    EXPECT_EQ(RunApplication(2, argv), 0);
    EXPECT_EQ(seen, "in.icns");
    EXPECT_EQ(Output("icotool -l '" + out + "'"),
              "--icon --index=1 --width=32 --height=32 --bit-depth=8 --palette-size=256\n"
              "--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16\n"
              "--icon --index=3 --width=16 --height=16 --bit-depth=8 --palette-size=256\n"
              "--icon --index=4 --width=16 --height=16 --bit-depth=4 --palette-size=16\n"
              "--icon --index=5 --width=32 --height=32 --bit-depth=1 --palette-size=2\n"
              "--icon --index=6 --width=16 --height=16 --bit-depth=1 --palette-size=2\n"
              "--icon --index=7 --width=32 --height=32 --bit-depth=32 --palette-size=0\n"
              "--icon --index=8 --width=16 --height=16 --bit-depth=32 --palette-size=0\n"
              "--icon --index=9 --width=128 --height=128 --bit-depth=32 --palette-size=0\n");
    ASSERT_EQ(InitWindows(1024, 768), noErr);
    ASSERT_TRUE(StartUp());
}
