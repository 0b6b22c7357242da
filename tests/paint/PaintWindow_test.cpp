// Paint windows: making, placing and sizing them, new pictures, names and
// titles, composing into the window, closing.
#include "tests/support/PaintTestSupport.h"

#include "app/Alerts.h"
#include "image/Colors.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

using namespace painttest;

TEST_F(PaintWindowTest, MadeWithRecordScrollBarsAndPlace) {
    WindowRef w = MakePaint(100, 60, 2, 8);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetExtWindowKind(w), kPaintWindowKind);
    EXPECT_TRUE(IsWindowVisible(w));
    PaintWinRec* rec = GetPaintWinRec(w);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(GetWRefCon(w), rec);
    EXPECT_EQ(rec->picRect, MakeRect(0, 0, 60, 100));
    EXPECT_EQ(rec->dispRect, MakeRect(0, 0, 240, 400));
    EXPECT_EQ(rec->ratio, 2);
    EXPECT_EQ(rec->depth, 8);
    EXPECT_EQ(rec->colorMode, 8);
    EXPECT_EQ(Content(w), MakeRect(113, 42, 113 + 255, 42 + 415));
    // Scroll bars along the bottom (from the indicators on) and the right edge.
    Rect h, v;
    GetControlBounds(rec->hScroll, &h);
    GetControlBounds(rec->vScroll, &v);
    EXPECT_EQ(h, MakeRect(240, 42, 256, 401));
    EXPECT_EQ(v, MakeRect(-1, 400, 241, 416));
    EXPECT_EQ(GetControlReference(rec->hScroll), reinterpret_cast<SRefCon>(1));
    EXPECT_EQ(GetControlReference(rec->vScroll), reinterpret_cast<SRefCon>(2));
    EXPECT_EQ(GetControlMaximum(rec->hScroll), 0);
    EXPECT_EQ(GetControlMaximum(rec->vScroll), 0);
    EXPECT_TRUE(IsWindowUpdatePending(w));
    EXPECT_EQ(GetPaintWinRec(gPreviewWindow), nullptr);
}

TEST_F(PaintWindowTest, StackStepsPastOccupiedCornersAndWraps) {
    struct Case {
        std::vector<Point> windows;  // (v, h) content corners
        Rect limits;
        Point start, want;
    } cases[] = {
        {{}, {113, 42, 600, 900}, {113, 42}, {113, 42}}, {{{113, 42}}, {113, 42, 600, 900}, {113, 42}, {143, 62}},
        {{{113, 42}, {143, 62}}, {113, 42, 600, 900}, {113, 42}, {173, 82}},
        {{{113, 42}, {143, 62}}, {113, 42, 150, 900}, {113, 42}, {113, 82}},   // wraps to the top
        {{{113, 42}, {143, 62}}, {113, 42, 600, 50}, {113, 42}, {143, 42}},    // wraps to the left
        {{{113, 42}}, {113, 42, 113, 42}, {113, 42}, {113, 42}},               // back at the start: stop
    };
    for (const Case& c : cases) {
        CloseAllDocuments();
        for (Point p : c.windows) ASSERT_NE(MakePlainWindow(kPaintWindowKind, "doc", p.h, p.v), nullptr);
        Point pos = c.start;
        StackWindowPos(&pos, Point{30, 20}, &c.limits);
        EXPECT_EQ(pos, c.want) << c.windows.size() << " windows";
    }
}

TEST_F(PaintWindowTest, StackEndsOnACircleThatMissesTheStart) {
    // From outside the limits the walk falls into a circle of two occupied
    // places that never leads back to where it began.
    for (Point p : {Point{500, 500}, Point{113, 42}, Point{143, 62}})
        ASSERT_NE(MakePlainWindow(kPaintWindowKind, "doc", p.h, p.v), nullptr);
    const Rect limits{113, 42, 143, 62};
    Point pos{500, 500};
    StackWindowPos(&pos, Point{30, 20}, &limits);
    EXPECT_TRUE(pos == (Point{113, 42}) || pos == (Point{143, 62}));
}

TEST_F(PaintWindowTest, DispOffPortShowsTheImageAndInvalidatesTheChange) {
    auto [w, rec] = MakePaint(10, 10, 2);
    WritePixel(MapOf(rec->offPort.get()), 3, 4, kRed);
    const Rect all = Port(w);
    ValidWindowRect(w, &all);
    ASSERT_FALSE(IsWindowUpdatePending(w));
    SetRectRgn(rec->updateRgn, 3, 4, 4, 5);
    DispOffPort(w);
    EXPECT_EQ(Bytes(rec->dispPort.get()), Bytes(rec->offPort.get()));
    EXPECT_TRUE(IsWindowUpdatePending(w));
    // Only the changed pixel's square waits: validating it leaves nothing.
    const Rect square = MakeRect(16, 12, 20, 16);
    ValidWindowRect(w, &square);
    EXPECT_FALSE(IsWindowUpdatePending(w));
}

TEST_F(PaintWindowTest, TitlesFromNameAndDepth) {
    auto [w, rec] = MakePaint(8, 8, 0, 24);
    CopyCStringToPascal("flower.pict", rec->fileSpec.name);
    rec->fileType = FourCC("PICT");
    SetEditWindowTitle(w);
    EXPECT_EQ(Title(w), "flower.pict (24 bits)");
    rec->depth = 8;
    SetEditWindowTitle(w);
    EXPECT_EQ(Title(w), "flower.pict (8 bits)");
    // A member of an icon family: the member kind, then the family's name.
    rec->fileType = FourCC("icns");
    rec->iconKind = 12;
    CopyCStringToPascal("flower", rec->fileSpec.name);
    SetEditWindowTitle(w);
    Str255 kind, of;
    GetIndString(kind, 130, 14);
    GetIndString(of, 130, 1);
    EXPECT_EQ(Title(w), PStringToStd(kind) + PStringToStd(of) + "flower");
    EXPECT_EQ(PStringToStd(of), " of ");
}

TEST_F(PaintWindowTest, NewPictureFromPreferencesWithoutTheDialog) {
    // The only test making new pictures: the first is plain "untitled", the second numbered.
    gPaintWinPrefs.showSizeDialog = 0;
    gPaintWinPrefs.pictRect = MakeRect(0, 0, 20, 30);
    gPaintWinPrefs.ratio = 3;
    gPaintWinPrefs.colorMode = 8;
    gPaintWinPrefs.backgroundKind = 1;
    const UInt32 used = gUsedCount[kUsedNewPicture];
    NewPaintWindow();
    WindowRef first = FrontDocumentWindow();
    PaintWinRec* rec = GetPaintWinRec(first);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->picRect, MakeRect(0, 0, 20, 30));
    EXPECT_EQ(rec->ratio, 3);
    EXPECT_EQ(rec->depth, 8);
    EXPECT_EQ(rec->fileType, FourCC("PICT"));
    EXPECT_EQ(rec->fileCreator, gPICTCreator);
    EXPECT_FALSE(rec->hasFile);
    EXPECT_FALSE(rec->isDirty);
    EXPECT_TRUE(rec->hasTransparency);
    EXPECT_EQ(Title(first), "untitled.pict (8 bits)");
    EXPECT_EQ(gUsedCount[kUsedNewPicture], used + 1);
    EXPECT_TRUE(DialogsShown().empty());

    gPaintWinPrefs.colorMode = 24;
    gPaintWinPrefs.backgroundKind = 0;
    NewPaintWindow();
    WindowRef second = FrontDocumentWindow();
    ASSERT_NE(second, first);
    EXPECT_EQ(Title(second), "untitled 2.pict (24 bits)");
    EXPECT_EQ(BitPicture(MapOf(GetPaintWinRec(second)->maskPort.get()))[0], std::string(30, '#'));
}

TEST_F(PaintWindowTest, NewPictureSizeDialogAnswersMakeThePicture) {
    gPaintWinPrefs.showSizeDialog = 1;
    ScriptDialog(135, {DialogStep::Type(3, "40"), DialogStep::Type(4, "25"), DialogStep::Choose(5, 2),
                       DialogStep::Choose(6, 4), DialogStep::Choose(8, 2), DialogStep::Click(1)});
    NewPaintWindow();
    PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow());
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->picRect, MakeRect(0, 0, 25, 40));
    EXPECT_EQ(rec->depth, 24);
    EXPECT_EQ(rec->ratio, 3);
    EXPECT_TRUE(rec->hasTransparency);

    // Cancel makes nothing.
    CloseAllDocuments();
    ScriptDialog(135, {DialogStep::Click(2)});
    NewPaintWindow();
    EXPECT_EQ(FrontDocumentWindow(), nullptr);
}

// OK with a width or height out of range says so and keeps the dialog up
// with that field selected, so that what is typed next replaces it.
TEST_F(PaintWindowTest, NewPictureSizeOutOfRangeIsRefusedWithTheFieldSelected) {
    gPaintWinPrefs.showSizeDialog = 1;
    for (const char* bad : {"0", "-3", "4x", "16385"}) {
        SCOPED_TRACE(bad);
        CloseAllDocuments();
        ResetScriptLog();
        ScriptDialog(135, {DialogStep::Type(3, bad), DialogStep::Type(4, "25"), DialogStep::Click(1)});
        ScriptDialog(kErrorAlertID, {DialogStep::Click(1)});
        ScriptKey(kVK_ANSI_7, '7');
        ScriptKey(kVK_Return, kReturnCharCode);
        NewPaintWindow();
        PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow());
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->picRect, MakeRect(0, 0, 25, 7));
        EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{135, kErrorAlertID}));
        EXPECT_NE(LastAlertText().find("from 1 to 16384"), std::string::npos) << LastAlertText();
        ClearScript();
    }
}

TEST_F(PaintWindowTest, NewPictureOptionInvertsTheDialogPreference) {
    struct Case {
        UInt8 pref;
        bool option, dialog;
    } cases[] = {{0, false, false}, {0, true, true}, {1, false, true}, {1, true, false}};
    for (const Case& c : cases) {
        CloseAllDocuments();
        ResetScriptLog();
        gPaintWinPrefs.showSizeDialog = c.pref;
        if (c.option) ScriptKeyDown(kVK_Option, 0, optionKey);
        Settle();
        if (c.dialog) ScriptDialog(135, {DialogStep::Click(1)});  // an unused answer would outlive the case
        NewPaintWindow();
        if (c.option) ScriptKeyUp(kVK_Option, 0, 0);
        Settle();
        ClearScript();
        const auto& shown = DialogsShown();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), 135), c.dialog ? 1 : 0)
            << int(c.pref) << " option " << c.option;
        EXPECT_NE(FrontDocumentWindow(), nullptr);
    }
}

TEST_F(PaintWindowTest, NewPictureImpossibleSizeIsAnAlertAndNoWindow) {
    gPaintWinPrefs.showSizeDialog = 0;
    gPaintWinPrefs.pictRect = MakeRect(0, 0, 30000, 30000);
    NewPaintWindow();
    EXPECT_EQ(FrontDocumentWindow(), nullptr);
    const auto& shown = DialogsShown();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), kErrorAlertID), 1);
}

// An unchanged picture closes at once; a changed one asks first. Windows of
// other kinds are left alone.
TEST_F(PaintWindowTest, CloseAsksAboutChangedPictures) {
    struct Case { bool dirty; DialogItemIndex answer; OSErr result; bool stays; } cases[] = {
        {false, 0, noErr, false},
        {true, 2, userCanceledErr, true},  // Cancel
        {true, 1, userCanceledErr, true},  // Save, whose save dialog is cancelled: nothing is lost
        {true, 3, noErr, false},           // Don't Save
    };
    for (const Case& c : cases) {
        CloseAllDocuments();
        ResetScriptLog();
        WindowRef w = MakePaint(10, 10, 0);
        GetPaintWinRec(w)->isDirty = c.dirty;
        if (c.dirty) ScriptDialog(129, {DialogStep::Click(c.answer)});
        EXPECT_EQ(ClosePaintWindow(w, false), c.result) << c.answer;
        EXPECT_EQ(DialogsShown().empty(), !c.dirty);
        EXPECT_FALSE(gIsDialog);
        EXPECT_EQ(FrontDocumentWindow() == w, c.stays) << c.answer;
        EXPECT_TRUE(!c.stays || GetPaintWinRec(w)->isDirty);
    }
    EXPECT_EQ(ClosePaintWindow(gPreviewWindow, false), noErr);
    bool listed = false;  // still there
    for (WindowRef p = GetWindowList(); p; p = GetNextWindow(p)) listed = listed || p == gPreviewWindow;
    EXPECT_TRUE(listed);
}

TEST_F(PaintWindowTest, NewPictureSizeAndColourModeFromTheClipboard) {
    // A 37 x 21 picture of 777 colours suggests millions of colours.
    QImage image(37, 21, QImage::Format_RGB32);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) image.setPixel(x, y, qRgb(x * 7, y * 12, 3));
    QGuiApplication::clipboard()->setImage(image);
    gPaintWinPrefs.pictRect = MakeRect(0, 0, 10, 12);
    gPaintWinPrefs.colorMode = 8;
    gPaintWinPrefs.ratio = 0;

    struct Case { UInt8 fromClip; std::vector<DialogStep> steps; Rect want; SInt16 depth; UInt8 prefAfter; } cases[] = {
        {1, {DialogStep::Click(1)}, MakeRect(0, 0, 21, 37), 24, 1},
        {0, {DialogStep::Click(1)}, MakeRect(0, 0, 10, 12), 8, 0},
        // Turning the check box on shows the clipboard's; off again brings back what was typed.
        {0, {DialogStep::Type(3, "50"), DialogStep::Click(7), DialogStep::Click(1)}, MakeRect(0, 0, 21, 37), 24, 1},
        {0, {DialogStep::Type(3, "50"), DialogStep::Click(7), DialogStep::Click(7), DialogStep::Click(1)},
         MakeRect(0, 0, 10, 50), 8, 0},
    };
    for (const Case& c : cases) {
        PictSizeSettings settings;
        settings.pictRect = gPaintWinPrefs.pictRect;
        settings.colorMode = 8;
        settings.ratio = 1;
        settings.sizeFromClipboard = c.fromClip;
        gPaintWinPrefs.sizeFromClipboard = c.fromClip;
        ScriptDialog(135, c.steps);
        ASSERT_EQ(ConfigurePictSize(&settings), 1);
        EXPECT_EQ(settings.pictRect, c.want) << c.steps.size();
        EXPECT_EQ(settings.colorMode, c.depth) << c.steps.size();
        EXPECT_EQ(settings.ratio, 1);
        EXPECT_EQ(gPaintWinPrefs.sizeFromClipboard, c.prefAfter) << c.steps.size();
        EXPECT_FALSE(gIsDialog);
    }
    QGuiApplication::clipboard()->clear();
}
