// The program as a user meets it: start-up with and without preferences, the
// palettes, new pictures from the menu bar and command keys, closing and
// quitting with save questions, and the dispatch of clicks and keys.
#include "app/Alerts.h"
#include "app/AppleEvents.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/files/FSSpec.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "tools/Eyedropper.h"
#include "tools/Tools.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/Windows.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class ShellTest : public testing::Test {
protected:
    void SetUp() override {
        configHome_ = fs::temp_directory_path() /
                      ("korvel-shell-" + std::to_string(getpid()) + "-" +
                       testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(configHome_);
        fs::create_directories(configHome_);
        setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        SetUnattended(true);
        ResetScriptLog();
        ClearScript();
    }
    void TearDown() override {
        if (started_) {
            // Leave nothing asking questions: throw away every document.
            while (WindowRef w = FrontDocumentWindow()) {
                if (PaintWinRec* rec = GetPaintWinRec(w)) rec->isDirty = false;
                if (ClosePaintWindow(w, true) != noErr) break;
            }
            quit = true;
            ShutDown();
        }
        TearDownWindows();
        fs::remove_all(configHome_);
    }
    void Start() {
        ASSERT_TRUE(StartUp());
        started_ = true;
        RunPendingEvents();
    }
    void Restart() {
        quit = true;
        ShutDown();
        TearDownWindows();
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        started_ = false;
        Start();
    }
    static Rect Content(WindowRef w) {
        Rect r;
        GetWindowBounds(w, kWindowContentRgn, &r);
        return r;
    }
    static Point Centre(WindowRef w) {
        const Rect r = Content(w);
        return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
    }
    fs::path configHome_;
    bool started_ = false;
};

WindowRef NewPictureFromMenu() {
    ScriptMenuChoice(MenuChoice(kFileMenuID, 1));
    RunPendingEvents();
    return FrontDocumentWindow();
}

}  // namespace

TEST_F(ShellTest, FreshStartShowsEveryPaletteWithContentButFavouritesAndNoDocumentPalettes) {
    Start();
    for (WindowRef w : {gToolPalette, ColorPalette1, ColorPalette2, gBlendPalette, TitleWindow, InfoWindow,
                        PatternPalette}) {
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(IsWindowVisible(w)) << GetExtWindowKind(w);
        EXPECT_TRUE(IsFloatingWindow(w));
    }
    EXPECT_FALSE(IsWindowVisible(FavoritePalette));
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kDispMenuID), 7));
    // The preview and dot-mode palettes follow the front document; there is none.
    EXPECT_FALSE(IsWindowVisible(gPreviewWindow));
    EXPECT_FALSE(IsWindowVisible(DotModePalette));
    EXPECT_EQ(FrontDocumentWindow(), nullptr);
    EXPECT_EQ(GetExtWindowKind(gToolPalette), kToolPaletteKind);
    EXPECT_EQ(GetExtWindowKind(gPreviewWindow), kPreviewWindowKind);
}

// A position off the desktop is not restored: the palette stays where it starts.
TEST_F(ShellTest, StartsAreCountedAndPaletteStateIsKeptAcrossRuns) {
    Start();
    EXPECT_EQ(gUsedCount[kUsedStarts], 1u);
    const Rect before = Content(ColorPalette2);
    ShowHidePalette(gToolPalette, false);
    MoveWindow(ColorPalette1, 500, 300, false);
    MoveWindow(ColorPalette2, 5000, 5000, false);
    Restart();
    EXPECT_EQ(gUsedCount[kUsedStarts], 2u);
    EXPECT_FALSE(IsWindowVisible(gToolPalette));
    EXPECT_EQ(Content(ColorPalette1).left, 500);
    EXPECT_EQ(Content(ColorPalette1).top, 300);
    EXPECT_EQ(Content(ColorPalette2), before);
}

TEST_F(ShellTest, NewPictureFromTheMenuAndFromItsCommandKey) {
    Start();
    WindowRef first = NewPictureFromMenu();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetExtWindowKind(first), kPaintWindowKind);
    PaintWinRec* rec = GetPaintWinRec(first);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->picRect.right, 96);
    EXPECT_EQ(rec->picRect.bottom, 64);
    EXPECT_EQ(rec->ratio, 2);
    EXPECT_EQ(rec->depth, 8);
    EXPECT_FALSE(rec->isDirty);
    // The preview follows the new front document at 1:1.
    EXPECT_TRUE(IsWindowVisible(gPreviewWindow));
    Rect preview;
    EXPECT_EQ(*GetWindowPortBounds(gPreviewWindow, &preview), (Rect{0, 0, 64, 96}));

    ScriptKey(kVK_ANSI_N, 'n', cmdKey);
    RunPendingEvents();
    WindowRef second = FrontDocumentWindow();
    ASSERT_NE(second, first);
    EXPECT_EQ(GetExtWindowKind(second), kPaintWindowKind);
    EXPECT_EQ(Content(second).top - Content(first).top, 30);
    EXPECT_EQ(Content(second).left - Content(first).left, 20);
    EXPECT_EQ(gUsedCount[kUsedNewPicture], 2u);
}

// Quit stops at a cancelled save question, keeping both documents; with
// nothing changed it closes them and ends the loop.
TEST_F(ShellTest, QuitAsksAboutChangedDocuments) {
    Start();
    WindowRef first = NewPictureFromMenu();
    WindowRef second = NewPictureFromMenu();
    ASSERT_TRUE(first && second);
    GetPaintWinRec(first)->isDirty = GetPaintWinRec(second)->isDirty = true;
    ScriptDialog(129, {DialogStep::Click(2)});  // Cancel
    Quit();
    EXPECT_FALSE(quit);
    EXPECT_TRUE(GetPaintWinRec(first)->isDirty && GetPaintWinRec(second)->isDirty);
    EXPECT_EQ(FrontDocumentWindow(), second);
    EXPECT_FALSE(gIsDialog);

    GetPaintWinRec(first)->isDirty = GetPaintWinRec(second)->isDirty = false;
    ScriptMenuChoice(MenuChoice(kFileMenuID, 13));
    RunPendingEvents();
    EXPECT_TRUE(quit);
    EXPECT_EQ(FrontDocumentWindow(), nullptr);
}

TEST_F(ShellTest, ClickingABackgroundDocumentBringsItToTheFront) {
    Start();
    WindowRef first = NewPictureFromMenu();
    WindowRef second = NewPictureFromMenu();
    ASSERT_EQ(FrontDocumentWindow(), second);
    const Rect a = Content(first);
    // The top-left of the first window's content is not covered by the second.
    ScriptClick(Point{SInt16(a.top + 5), SInt16(a.left + 5)});
    RunPendingEvents();
    EXPECT_EQ(FrontDocumentWindow(), first);
}

// Command-click on the title text of a picture with a file pops up its path;
// the folder chosen goes to the desktop's opener (a stand-in here).
TEST_F(ShellTest, CommandClickOnTheTitleOffersThePathAndOpensTheFolderChosen) {
    Start();
    const fs::path folder = configHome_ / "My Pictures", bin = configHome_ / "bin", opened = configHome_ / "opened";
    fs::create_directories(folder);
    fs::create_directories(bin);
    std::ofstream(folder / "figure.pict").put('\0');
    // Written whole, then renamed: the file never shows half made.
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\necho \"$1\" > '" << opened.string() << ".part' && mv '"
                                    << opened.string() << ".part' '" << opened.string() << "'\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string path = getenv("PATH");
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    WindowRef w = NewPictureFromMenu();
    PaintWinRec* rec = GetPaintWinRec(w);
    ASSERT_EQ(FSSpecFromPath((folder / "figure.pict").string(), &rec->fileSpec), noErr);
    rec->hasFile = true;
    Rect title;
    ASSERT_EQ(GetWindowBounds(w, kWindowTitleTextRgn, &title), noErr);
    ScriptClick(Point{SInt16((title.top + title.bottom) / 2), SInt16((title.left + title.right) / 2)}, cmdKey);
    ScriptMenuChoice(MenuChoice(173, 2));  // the folder that holds the file
    RunPendingEvents();
    for (int i = 0; i < 250 && !fs::exists(opened); ++i) usleep(20000);
    setenv("PATH", path.c_str(), 1);
    std::string line;
    std::getline(std::ifstream(opened), line);
    EXPECT_EQ(line, folder.string());
    EXPECT_TRUE(DialogsShown().empty());
}

TEST_F(ShellTest, ClickInTheTitleWindowShowsTheAboutBoxWithTheVersion) {
    Start();
    ResetScriptLog();
    const Rect title = Content(TitleWindow);
    ScriptClick(Point{SInt16((title.top + title.bottom) / 2), SInt16((title.left + title.right) / 2)});
    RunPendingEvents();
    ASSERT_EQ(DialogsShown().size(), 1u);
    EXPECT_EQ(DialogsShown()[0], 128);
    EXPECT_FALSE(gIsDialog);
}

TEST_F(ShellTest, ClickInAWindowOfUnknownKindBeeps) {
    Start();
    Rect r{200, 200, 260, 300};
    WindowRef stray = NewCWindow(nullptr, &r, nullptr, true, documentProc, kFirstWindowOfClass, true, nullptr);
    ASSERT_NE(stray, nullptr);
    UInt32 beeps = SysBeepCount();
    ScriptClick(Point{230, 250});
    RunPendingEvents();
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    DisposeWindow(stray);
}

TEST_F(ShellTest, APencilDragInThePictureGoesThroughTheToolAndCanBeUndoneByItsKey) {
    Start();
    WindowRef w = NewPictureFromMenu();
    ASSERT_NE(w, nullptr);
    const Rect content = Content(w);
    // At 4x, window point (10, 10) is image pixel (2, 2); the drag ends at pixel (9, 2).
    ScriptMouseDown(Point{SInt16(content.top + 10), SInt16(content.left + 10)});
    ScriptMouseMove(Point{SInt16(content.top + 10), SInt16(content.left + 38)});
    ScriptMouseUp(Point{SInt16(content.top + 10), SInt16(content.left + 38)});
    RunPendingEvents();
    PaintWinRec* rec = GetPaintWinRec(w);
    const PixMap& pm = **GetGWorldPixMap(rec->offPort.get());
    const UInt8* row = PixRow(pm, 2);
    for (int x = 0; x < 12; ++x) EXPECT_EQ(row[x], (x >= 2 && x <= 9) ? 0xFF : 0x00) << x;
    EXPECT_TRUE(rec->isDirty);
    ScriptKey(kVK_ANSI_Z, 'z');
    RunPendingEvents();
    // Undo exchanges the image with its snapshot, so look at the image anew.
    const PixMap& undone = **GetGWorldPixMap(rec->offPort.get());
    for (int x = 0; x < 12; ++x) EXPECT_EQ(PixRow(undone, 2)[x], 0x00) << x;
    EXPECT_EQ(rec->undoMode, -1);
}

// A colour picked from the screen keeps its exact value while a 24-bit
// picture is in front and snaps to the 256-colour table while an 8-bit one
// is, whatever new pictures would get.
TEST_F(ShellTest, ScreenEyedropperFollowsTheFrontPicturesColourMode) {
    Start();
    const RGBColor odd{0x1212, 0x3434, 0x5656}, snapped{0x0000, 0x3333, 0x6666};
    for (SInt16 mode : {24, 8}) {
        gPaintWinPrefs.colorMode = mode;
        WindowRef w = NewPictureFromMenu();
        ASSERT_NE(w, nullptr);
        gPaintWinPrefs.colorMode = SInt16(32 - mode);  // new pictures would get the other mode
        SetPortWindowPort(w);
        RGBForeColor(&odd);
        const Rect spot = MakeRect(96, 160, 104, 168);
        PaintRect(&spot);
        RGBForeColor(&rgbBlackColor);
        Rect content;
        GetWindowBounds(w, kWindowContentRgn, &content);
        const Point at{SInt16(content.top + 100), SInt16(content.left + 164)};
        ScriptMouseMove(at);
        ScriptMouseDown(at);
        ScriptMouseUp(at);
        GetDesktopColor();
        EXPECT_EQ(gCurrentColor, (ColorRec{mode == 24 ? odd : snapped, 0})) << mode;
    }
}

namespace {

// The centre of the tool palette's cell for `tool` (cells are 25 pixels high from v 2).
Point ToolCell(SInt16 tool) {
    Rect r;
    GetWindowBounds(gToolPalette, kWindowContentRgn, &r);
    return Point{SInt16(r.top + 14 + 25 * tool), SInt16(r.left + 17)};
}

}  // namespace

// A click that soon follows another reaches its own window; no double-click
// spans two windows or the menu bar.
TEST_F(ShellTest, ClicksSoonAfterOthersReachTheirWindows) {
    Start();
    ScriptClick(ToolCell(kEraserTool));
    ScriptWait(6);
    ScriptMenuChoice(MenuChoice(kPenSizeMenuID, 6));
    ScriptWait(24);
    ScriptClick(ToolCell(kPencilTool));
    RunPendingEvents();
    EXPECT_EQ(gPenWidth, 2);
    EXPECT_EQ(gSelectedTool, kPencilTool);
    Rect colours;
    GetWindowBounds(ColorPalette1, kWindowContentRgn, &colours);
    ScriptClick(Point{SInt16(colours.top + 55), SInt16(colours.left + 5)});  // red 5, green 0, blue 5
    ScriptWait(12);
    ScriptClick(ToolCell(kBucketTool));
    RunPendingEvents();
    EXPECT_EQ(gSelectedTool, kBucketTool);
    EXPECT_EQ(gCurrentColor.rgb, (RGBColor{0xFFFF, 0, 0xFFFF}));
}

TEST_F(ShellTest, PalettesShownUnderAStartUpAlertAreDrawn) {
    ASSERT_TRUE(StartUp());
    started_ = true;
    FSSpec missing{};
    ASSERT_EQ(FSSpecFromPath((configHome_ / "missing.png").string(), &missing), noErr);
    PostOpenDocuments({missing});
    ScriptWait(6);  // the alert waits for its answer before any palette has been drawn
    ScriptKey(kVK_Return, kReturnCharCode);
    RunPendingEvents();
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
    EXPECT_EQ(uitest::PortPixel(GetWindowPort(ColorPalette1), 5, 55), 0xFF00FFu);
}

TEST_F(ShellTest, ThePreviewFollowsTheFrontDocumentThroughTheQuitQuestions) {
    Start();
    WindowRef first = NewPictureFromMenu();
    Rect content;
    GetWindowBounds(first, kWindowContentRgn, &content);
    ScriptClick(Point{SInt16(content.top + 10), SInt16(content.left + 10)});  // the pencil at (2, 2)
    RunPendingEvents();
    GetPaintWinRec(NewPictureFromMenu())->isDirty = true;
    ScriptDialog(129, {DialogStep::Click(3)});  // don't save the second; the first's question goes unanswered
    Quit();
    EXPECT_EQ(FrontDocumentWindow(), first);
    EXPECT_EQ(uitest::PortPixel(GetWindowPort(gPreviewWindow), 2, 2), 0x000000u);
}

// A 300 x 200 picture at 4x in a view of 46 x 46 picture pixels.
TEST_F(ShellTest, TheWheelScrollsTheViewAndThePreviewFollowsItOnTheDesktop) {
    Start();
    const Rect pic{0, 0, 200, 300};
    WindowRef w = MakePaintWindow(&pic, 2, 8);
    SizeWindow(w, 200, 200, true);
    ResizePaintWindowMain(w);
    UpdateMenus();
    ScriptWheel(Centre(w), kMouseWheelAxisY, -2);              // towards the user: down 2 x 48
    ScriptWheel(Centre(w), kMouseWheelAxisY, -3, shiftKey);    // with Shift: right 3 x 48
    ScriptWheel(Centre(w), kMouseWheelAxisX, 1);               // a tilt to the left: back 48
    ScriptWheel(Centre(ColorPalette1), kMouseWheelAxisY, -3);  // over a palette: nothing
    RunPendingEvents();
    Rect port;
    GetWindowPortBounds(w, &port);
    EXPECT_EQ(port.top, 96);
    EXPECT_EQ(port.left, 96);
    ScriptWheel(Centre(w), kMouseWheelAxisY, -50);
    ScriptWheel(Centre(w), kMouseWheelAxisX, -50);
    RunPendingEvents();
    // 128 x 128 pixels at 1:1 round the view, here the picture's corner.
    GetWindowPortBounds(gPreviewWindow, &port);
    EXPECT_EQ(port, (Rect{72, 172, 200, 300}));
    Rect frame, desk;
    GetWindowBounds(gPreviewWindow, kWindowStructureRgn, &frame);
    GetRegionBounds(GetGrayRgn(), &desk);
    EXPECT_LE(frame.right, desk.right);  // the template puts it past this desktop's edge
    // The close box hides it as Display item 12 does, and the item shows it again.
    ScriptClick(Point{SInt16(frame.top + 5), SInt16(frame.left + 6)});
    RunPendingEvents();
    UInt16 mark = 0;
    GetItemMark(GetMenuHandle(kDispMenuID), 12, &mark);
    EXPECT_EQ(mark, noMark);
    EXPECT_FALSE(IsWindowVisible(gPreviewWindow));
    HandleDispChoice(12);
    EXPECT_TRUE(IsWindowVisible(gPreviewWindow));
}
