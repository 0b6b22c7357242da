// What one step of undo does beyond giving back the buffers (which
// UndoEveryEdit_test checks for every tool edit): the modified flag by mode,
// and the edits no tool there makes: a change of size, a new background
// layer, the foreground level, the colour mode and the replaced colour.
#include "tests/support/PaintTestSupport.h"

#include "palettes/ColorPalettes.h"
#include "platform/raster/CopyBits.h"

using namespace painttest;

namespace {

class UndoTest : public ToolTest {};

}  // namespace

TEST_F(UndoTest, RecordedModesMarkTheDocumentModifiedExceptSelecting) {
    struct Case { SInt16 mode; SInt16 stored; bool dirty; };
    const Case cases[] = {
        {kUndoSelect, kUndoSelect, false}, {-kUndoSelect, -kUndoSelect, false}, {kUndoNone, kUndoNone, false},
        {kUndoPaint, kUndoPaint, true},    {-kUndoMoveSelection, -kUndoMoveSelection, true},
        {kUndoForeTrans, kUndoForeTrans, true}, {31, 31, true},
        {40, 7, false},                    {-32, 7, false},  // out of range: ignored
    };
    auto [w, rec] = MakePaint(4, 4, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        rec->undoMode = 7;
        rec->isDirty = false;
        SetUndoMode(c.mode);
        EXPECT_EQ(rec->undoMode, c.stored);
        EXPECT_EQ(bool(rec->isDirty), c.dirty);
    }
    // Nothing to undo leaves the document alone.
    rec->undoMode = kUndoNone;
    rec->isDirty = false;
    const std::string before = State(w);
    DoUndo();
    EXPECT_EQ(State(w), before);
    EXPECT_EQ(rec->undoMode, kUndoNone);
    EXPECT_FALSE(rec->isDirty);
}

TEST_F(UndoTest, SnapshotFollowsAChangeOfSizeAndUndoGivesTheOldSizeBack) {
    auto [w, rec] = MakePaint(6, 4, 1);
    Fill(w, {"rrrrrr", "r....r", "r....r", "rrrrrr"});
    ASSERT_EQ(GoOffPort(w), noErr);
    // The edit: a new 10 x 8 image and mask.
    const Rect bigger{0, 0, 8, 10};
    ASSERT_EQ(NewGWorld(rec->offPort.out(), 32, &bigger, nullptr, nullptr, 0), noErr);
    ASSERT_EQ(NewGWorld(rec->maskPort.out(), 1, &bigger, nullptr, nullptr, 0), noErr);
    rec->picRect = bigger;
    SetUndoMode(kUndoChangeSize);

    DoUndo();
    Rect r;
    EXPECT_EQ(RectText(&rec->picRect), "0,0,4,6");
    EXPECT_EQ(RectText(GetPixBounds(GetGWorldPixMap(rec->dispPort.get()), &r)), "0,0,4,6");
    EXPECT_EQ(RectText(GetRegionBounds(rec->selRgn, &r)), "0,0,4,6");
    EXPECT_EQ(RectText(&rec->dispRect), "0,0,8,12");
    EXPECT_EQ(Picture(rec->dispPort.get()), (Rows{"rrrrrr", "r....r", "r....r", "rrrrrr"}));

    DoUndo();
    EXPECT_EQ(RectText(&rec->picRect), "0,0,8,10");
    // The next snapshot remakes the undo buffers at the new size.
    ASSERT_EQ(GoOffPort(w), noErr);
    EXPECT_EQ(RectText(GetPixBounds(GetGWorldPixMap(rec->undoPort.get()), &r)), "0,0,8,10");
    EXPECT_EQ(RectText(GetPixBounds(GetGWorldPixMap(rec->undoMask.get()), &r)), "0,0,8,10");
    EXPECT_EQ(Bytes(rec->undoPort.get()), Bytes(rec->offPort.get()));
}

TEST_F(UndoTest, ReplacedColourAndForegroundLevelTradePlaces) {
    auto [w, rec] = MakePaint(4, 3, 1);
    // The pen colour and the replaced colour trade places with the pixels.
    gCurrentColor = ColorRec{kRed, 0};
    rec->replaceColor = kBlue;
    rec->hasReplaceColor = true;
    SetUndoMode(kUndoReplaceColor);
    DoUndo();
    EXPECT_EQ(gCurrentColor, (ColorRec{kBlue, 1}));
    EXPECT_EQ(rec->replaceColor, kRed);
    EXPECT_FALSE(rec->hasReplaceColor);
    DoUndo();
    EXPECT_EQ(gCurrentColor, (ColorRec{kRed, 0}));

    // The foreground level over the background layer.
    rec->foreTrans = 2;
    rec->undoForeTrans = 0;
    SetUndoMode(kUndoForeTrans);
    const Rows image = Image(w);
    DoUndo();
    EXPECT_EQ(rec->foreTrans, 0);
    EXPECT_EQ(rec->undoForeTrans, 2);
    EXPECT_EQ(Image(w), image);
    EXPECT_EQ(Bounds(rec->updateRgn), "0,0,3,4");
    EXPECT_EQ(rec->undoMode, -kUndoForeTrans);
}

TEST_F(UndoTest, NewBackgroundLayerUndoGivesTheForegroundBackAndRedoParksItAgain) {
    const Rows picture{"rb..", "..#r"}, mask{"##..", "####"};
    auto [w, rec] = MakeDoc(picture, 1, mask);
    gOtherPrefs[kOtherStartInBackMode] = 0;
    // Entering background mode as the layer code does it: the foreground parked, the buffers erased.
    ASSERT_EQ(NewGWorld(rec->foreHoldPort.out(), 32, &rec->picRect, nullptr, nullptr, 0), noErr);
    ASSERT_EQ(NewGWorld(rec->foreHoldMask.out(), 1, &rec->picRect, nullptr, nullptr, 0), noErr);
    {
        SavedGWorld saved;
        SetGWorld(rec->foreHoldPort.get(), nullptr);
        CopyBits(GetPortBitMapForCopyBits(rec->dispPort.get()), GetPortBitMapForCopyBits(rec->foreHoldPort.get()),
                 &rec->picRect, &rec->picRect, srcCopy, nullptr);
        SetGWorld(rec->foreHoldMask.get(), nullptr);
        CopyBits(GetPortBitMapForCopyBits(rec->maskPort.get()), GetPortBitMapForCopyBits(rec->foreHoldMask.get()),
                 &rec->picRect, &rec->picRect, srcCopy, nullptr);
    }
    EraseOffPort(rec);
    rec->isBackMode = true;
    SetUndoMode(kUndoEnterBackMode);

    DoUndo();
    EXPECT_EQ(Image(w), picture);
    EXPECT_EQ(Mask(w), mask);
    EXPECT_FALSE(rec->foreHoldPort);
    EXPECT_FALSE(rec->foreHoldMask);
    EXPECT_FALSE(rec->isBackMode);
    EXPECT_EQ(Picture(rec->basePort.get()), Rows(2, "...."));  // selRgn (all) erased
    EXPECT_EQ(rec->undoMode, -kUndoEnterBackMode);

    DoUndo();
    ASSERT_TRUE(rec->foreHoldPort);
    EXPECT_EQ(Picture(rec->foreHoldPort.get()), picture);
    EXPECT_EQ(BitPicture(MapOf(rec->foreHoldMask.get())), mask);
    EXPECT_EQ(Image(w), Rows(2, "...."));
    EXPECT_EQ(Mask(w), Rows(2, "####"));  // the new background opaque, as the switch made it
    EXPECT_TRUE(rec->isBackMode);
    EXPECT_EQ(rec->undoMode, kUndoEnterBackMode);
}

TEST_F(UndoTest, ColourModeUndoTakesThePaletteCheckBackWhenLinked) {
    MakePaint(4, 2, 1);
    const SInt16 savedCheck = gPaletteCheck, savedPrev = gPrevPaletteCheck;
    struct Case { UInt8 linked; SInt16 check, prev; SInt16 checkAfter, prevAfter; };
    const Case cases[] = {{1, 2, 0, 0, 2}, {0, 2, 0, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.linked));
        gOtherPrefs[kOtherPaletteCheckFollowsMode] = c.linked;
        gPaletteCheck = c.check;
        gPrevPaletteCheck = c.prev;
        SetUndoMode(kUndoColorMode);
        DoUndo();
        EXPECT_EQ(gPaletteCheck, c.checkAfter);
        EXPECT_EQ(gPrevPaletteCheck, c.prevAfter);
    }
    gPaletteCheck = savedCheck;
    gPrevPaletteCheck = savedPrev;
}
