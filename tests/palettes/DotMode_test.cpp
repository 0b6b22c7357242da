// Dot mode on real paint windows: keys paint exact pixels, moves fold into
// the recorded command, replay on another document gives the same pixels as
// the keys, undo takes back a run of dots with the dot, and libraries
// round-trip while damaged ones are refused with nothing changed.
#include "io/OpenDocuments.h"
#include "palettes/DotLibrary.h"
#include "palettes/DotMode.h"
#include "tests/support/PaintTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace painttest;

namespace {

class DotModeTest : public ToolTest {
protected:
    static void Keys(WindowRef w, const std::string& keys, SInt16 kind = keyDown) {
        for (char c : keys) (void)HandleDotKey(kind, UInt8(c), w);
    }
    static std::string Input(const PaintWinRec* rec) { return PStringToStd(rec->inputCommand); }
    SavedToolGlobals saved_;
};

TEST_F(DotModeTest, KeysPaintFoldAndReplay) {
    auto [w, rec] = MakePaint(6, 4, 2);
    DoDotPaint(w, Local(w, 1, 1));
    ASSERT_TRUE(rec->dotMode);
    EXPECT_TRUE(IsWindowVisible(DotModePalette));
    // Paint, right, paint, down-right, paint; a held paint key paints once.
    Keys(w, "5l5");
    Keys(w, "k", autoKey);
    Keys(w, "3k");
    EXPECT_EQ(Image(w), (Rows{"......", ".##...", "...#..", "......"}));
    EXPECT_EQ(Input(rec), "dc5");  // a paint and the move after it fold into one letter
    // Moves fold and cancel; a move past the edge is refused but recorded.
    Keys(w, "64");
    EXPECT_EQ(Input(rec), "dc5");
    Keys(w, "666");
    EXPECT_EQ(rec->dotPos.h, 5);
    EXPECT_EQ(Input(rec), "dcd66");
    rec->inputCommand[0] = 0;
    for (int i = 0; i < 31; ++i) PutCommandMain(rec->inputCommand, i == 0 ? '9' : '6');
    EXPECT_EQ(Input(rec), std::string(30, '6'));
    // One undo takes back the whole run of dots and the dot's place.
    DoUndo();
    EXPECT_EQ(Image(w), (Rows{"......", "......", "......", "......"}));
    EXPECT_EQ(rec->dotPos.h, 1);
    EXPECT_EQ(rec->dotPos.v, 1);

    // The same keys recorded and replayed on another document.
    Keys(w, "5l5");
    Keys(w, "3k");
    Keys(w, "0");
    EXPECT_EQ(PStringToStd(gDotCommand), "dc5");
    auto [other, otherRec] = MakePaint(6, 4, 0);
    otherRec->dotPos = Point{1, 1};
    ExecuteCommand(gDotCommand, other);
    EXPECT_EQ(Image(other), Image(w));
    // And the same pixels as clicks of the pencil there.
    auto [mouse, mouseRec] = MakePaint(6, 4, 1);
    for (auto pixel : {std::pair{1, 1}, std::pair{2, 1}, std::pair{3, 2}}) DragPixels(mouse, {pixel}, DoPaint);
    EXPECT_EQ(Image(mouse), Image(w));
    Str255 foreign;
    CopyCStringToPascal("5!d", foreign);
    EXPECT_EQ(CheckCommandStr(foreign), paramErr);
    Keys(w, ".");
    EXPECT_FALSE(rec->dotMode);

    // A 3 x 3 dot on a 32 x 32 image goes from (-2, -2) to (31, 31), no further.
    gPenWidth = gPenHeight = 3;
    auto big = MakeBuffers(32, 32, 8);
    auto at = [&](Point p, SInt16 d) { const Point q = MoveDotMain(p, d, d, big.get()); return std::pair{q.v, q.h}; };
    EXPECT_EQ(at(Point{1, 1}, -1), (std::pair<SInt16, SInt16>{-2, -2}));
    EXPECT_EQ(at(Point{-2, -2}, -1), (std::pair<SInt16, SInt16>{-2, -2}));
    EXPECT_EQ(at(Point{28, 28}, 1), (std::pair<SInt16, SInt16>{31, 31}));
    EXPECT_EQ(at(Point{31, 31}, 1), (std::pair<SInt16, SInt16>{31, 31}));
}

TEST_F(DotModeTest, LibraryRoundTripAndDamagedFiles) {
    const auto dir = std::filesystem::temp_directory_path() / ("korvel-dotlib-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    gDotLibName[0] = 0;
    DotLibInit();
    ASSERT_TRUE(isDotLibAvailable);
    EXPECT_EQ(gDotLibRefNum, -1);
    Str255 name;
    CopyCStringToPascal("Mine", name);
    ASSERT_EQ(AddNewDotLibMain(name), noErr);
    EXPECT_EQ(CountCmdNum(), 0);
    CopyCStringToPascal("5d35", gDotCommand);
    AddCmdToLib();
    AddCmdToLib();  // the same command again is refused
    CopyCStringToPascal("qwe", gDotCommand);
    AddCmdToLib();
    CloseDotLib();
    DotLibInit();  // opens "Mine" again by name
    std::vector<std::string> commands;
    ASSERT_EQ(GetDotLibCommands(&commands), noErr);
    EXPECT_EQ(commands, (std::vector<std::string>{"5d35", "qwe"}));

    // Damaged libraries are refused, the open one kept as it was.
    const auto folder = dir / "Korvel" / "Dot Libraries";
    const std::vector<std::vector<UInt8>> hostile = {
        {0x00, 0x05, 0x02, 'd', 'd'}, {0x00, 0x01, 0x03, 'x', '!', 'y'}, {0xFF}, {}};
    for (size_t i = 0; i < hostile.size(); ++i) {
        ASSERT_EQ(SetDotLibCommands(commands), noErr);
        std::vector<UInt8> fork;
        const SInt16 ref = NewResFileInMemory();
        UseResFile(ref);
        const Str255 noName{};
        AddResource(NewHandleFromBytes(hostile[i]), FourCC("STR#"), 128, noName);
        ASSERT_EQ(GetResFileBytes(ref, &fork), noErr);
        CloseResFile(ref);
        const auto path = folder / ("bad" + std::to_string(i));
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(fork.data()), std::streamsize(fork.size()));
        FSSpec fileSpec;
        ASSERT_EQ(FSSpecFromPath(path.string(), &fileSpec), noErr);
        const SInt16 before = gDotLibRefNum;
        EXPECT_NE(SetDotLibMain(fileSpec), noErr) << i;
        EXPECT_EQ(gDotLibRefNum, before);
        EXPECT_EQ(PStringToStd(gDotLibName), "Mine");
        std::vector<std::string> still;
        EXPECT_EQ(GetDotLibCommands(&still), noErr);
        EXPECT_EQ(still, commands);
    }
    // The editor adds a command, refusing a foreign character on the way.
    ScriptDialog(146, {DialogStep::Type(3, "zz"), DialogStep::Type(3, "zz!"), DialogStep::Click(1)});
    ScriptDialog(145, {DialogStep::Click(4), DialogStep::Click(1)});
    DoEditLibrary();
    ASSERT_EQ(GetDotLibCommands(&commands), noErr);
    EXPECT_EQ(commands, (std::vector<std::string>{"5d35", "qwe", "zz"}));

    // Opening a library file switches to it only inside the library folder.
    CopyCStringToPascal("Other", name);
    ASSERT_EQ(AddNewDotLibMain(name), noErr);
    EXPECT_EQ(CountCmdNum(), 0);
    std::filesystem::copy_file(folder / "Mine", dir / "Mine.kdots");
    for (const auto& path : {dir / "Mine.kdots", folder / "Mine"}) {
        FSSpec fileSpec;
        ASSERT_EQ(FSSpecFromPath(path.string(), &fileSpec), noErr);
        EXPECT_EQ(HandleOpenDoc(fileSpec), noErr);
        EXPECT_EQ(PStringToStd(gDotLibName), path.parent_path() == folder ? "Mine" : "Other");
    }
    EXPECT_EQ(CountCmdNum(), 3);
    CloseDotLib();
    std::filesystem::remove_all(dir);
}

}  // namespace
