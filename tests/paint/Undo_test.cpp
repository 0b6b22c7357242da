// One step of undo: exact buffers after undo and redo of a stroke, the
// modified flag by mode, selection moves and exchanges, a change of size,
// and the snapshot itself.
#include "paint/Undo.h"

#include "palettes/ColorPalettes.h"
#include "platform/raster/CopyBits.h"
#include "tests/tools/PencilTestSupport.h"

using namespace penciltest;

namespace {

class UndoTest : public StrokeTest {};

std::vector<UInt8> BufferBytes(GWorldPtr g) { return Bytes(g); }

}  // namespace

TEST_F(UndoTest, UndoThenRedoOfAStrokeGivesBackExactBuffers) {
    WindowRef w = MakePaint(9, 5, 2);
    Fill(w, {"rrrrrrrrr", "r.......r", "r.bbbbb.r", "r.......r", "rrrrrrrrr"});
    PaintWinRec* rec = GetPaintWinRec(w);
    const auto imageBefore = BufferBytes(rec->offPort.get());
    const auto maskBefore = BufferBytes(rec->maskPort.get());
    const auto picBefore = Picture(rec->offPort.get());
    gCurrentColor = ColorRec{kGreen, 0};
    gPenWidth = 2;
    DragPixels(w, {{1, 1}, {7, 3}}, DoPaint);
    const auto imageAfter = BufferBytes(rec->offPort.get());
    const auto maskAfter = BufferBytes(rec->maskPort.get());
    ASSERT_NE(imageAfter, imageBefore);
    GWorldPtr strokeImage = rec->offPort.get();
    rec->isDirty = false;

    DoUndo();
    EXPECT_EQ(BufferBytes(rec->offPort.get()), imageBefore);
    EXPECT_EQ(BufferBytes(rec->maskPort.get()), maskBefore);
    EXPECT_EQ(Picture(rec->dispPort.get()), picBefore);
    EXPECT_EQ(rec->undoPort.get(), strokeImage);  // exchanged, not copied
    EXPECT_EQ(rec->undoMode, -kUndoPaint);
    EXPECT_TRUE(rec->isDirty);

    DoUndo();
    EXPECT_EQ(BufferBytes(rec->offPort.get()), imageAfter);
    EXPECT_EQ(BufferBytes(rec->maskPort.get()), maskAfter);
    EXPECT_EQ(rec->offPort.get(), strokeImage);
    EXPECT_EQ(rec->undoMode, kUndoPaint);

    // Undo once more: back to the picture before the stroke again.
    DoUndo();
    EXPECT_EQ(BufferBytes(rec->offPort.get()), imageBefore);
}

TEST_F(UndoTest, RecordedModesMarkTheDocumentModifiedExceptSelecting) {
    struct Case {
        SInt16 mode;
        SInt16 stored;
        bool dirty;
    };
    const Case cases[] = {
        {kUndoSelect, kUndoSelect, false}, {-kUndoSelect, -kUndoSelect, false}, {kUndoNone, kUndoNone, false},
        {kUndoPaint, kUndoPaint, true},    {-kUndoMoveSelection, -kUndoMoveSelection, true},
        {kUndoForeTrans, kUndoForeTrans, true}, {31, 31, true},
        {40, 7, false},                    {-32, 7, false},  // out of range: ignored
    };
    WindowRef w = MakePaint(4, 4, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        rec->undoMode = 7;
        rec->isDirty = false;
        SetUndoMode(c.mode);
        EXPECT_EQ(rec->undoMode, c.stored);
        EXPECT_EQ(bool(rec->isDirty), c.dirty);
    }
}

TEST_F(UndoTest, NothingToUndoLeavesTheDocumentAlone) {
    WindowRef w = MakePaint(4, 4, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    GWorldPtr image = rec->offPort.get();
    DoUndo();
    EXPECT_EQ(rec->offPort.get(), image);
    EXPECT_EQ(rec->undoMode, kUndoNone);
    EXPECT_FALSE(rec->isDirty);
}

TEST_F(UndoTest, UndoOfAMoveMovesTheSelectionBackAndRedoForwardAgain) {
    WindowRef w = MakePaint(10, 6, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    const Rect before{1, 1, 3, 4};
    Rect after = before;
    OffsetRect(&after, 3, 0);
    RectRgn(rec->undoSelRgn, &before);
    RectRgn(rec->selRgn, &after);
    rec->selOffset = Point{0, 3};
    rec->undoSelOffset = Point{0, 3};
    rec->selRect = before;
    rec->isFloating = true;
    CopyRgn(rec->selRgn, rec->selDispRgn);
    MapRgn(rec->selDispRgn, &rec->picRect, &rec->dispRect);
    CopyRgn(rec->undoSelRgn, rec->undoSelDispRgn);
    MapRgn(rec->undoSelDispRgn, &rec->picRect, &rec->dispRect);
    SetUndoMode(kUndoMoveSelection);

    Rect r;
    DoUndo();
    EXPECT_EQ(RectText(GetRegionBounds(rec->selRgn, &r)), "1,1,3,4");
    EXPECT_EQ(RectText(GetRegionBounds(rec->selDispRgn, &r)), "2,2,6,8");
    EXPECT_EQ(rec->selOffset.h, 0);
    EXPECT_EQ(RectText(GetRegionBounds(rec->updateRgn, &r)), "1,1,3,7");
    EXPECT_EQ(rec->undoMode, -kUndoMoveSelection);

    DoUndo();
    EXPECT_EQ(RectText(GetRegionBounds(rec->selRgn, &r)), "1,4,3,7");
    EXPECT_EQ(rec->selOffset.h, 3);
    EXPECT_EQ(rec->undoMode, kUndoMoveSelection);
}

TEST_F(UndoTest, SelectionEditsExchangeImageMaskAndRegions) {
    // Dropping a floating selection: undo lifts it again.
    WindowRef w = MakePaint(6, 4, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    const Rect lifted{1, 2, 3, 5};
    RectRgn(rec->undoSelRgn, &lifted);
    CopyRgn(rec->undoSelRgn, rec->undoSelDispRgn);
    MapRgn(rec->undoSelDispRgn, &rec->picRect, &rec->dispRect);
    RectRgn(rec->selRgn, &rec->picRect);
    SetEmptyRgn(rec->selDispRgn);
    rec->selOffset = Point{0, 1};
    GWorldPtr image = rec->offPort.get(), mask = rec->maskPort.get();
    SetUndoMode(kUndoFixSelection);

    DoUndo();
    EXPECT_TRUE(rec->isFloating);
    Rect r;
    EXPECT_EQ(RectText(GetRegionBounds(rec->selRgn, &r)), "1,2,3,5");
    EXPECT_EQ(RectText(&rec->selRect), "1,1,3,4");  // moved back by selOffset
    EXPECT_EQ(rec->undoPort.get(), image);
    EXPECT_EQ(rec->undoMask.get(), mask);
    EXPECT_EQ(RectText(GetRegionBounds(rec->updateRgn, &r)), "0,0,4,6");

    DoUndo();
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(rec->offPort.get(), image);
    EXPECT_EQ(rec->undoMode, kUndoFixSelection);
}

TEST_F(UndoTest, ExchangeOfTheSelectionStaysAnUndo) {
    WindowRef w = MakePaint(4, 4, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    SetUndoMode(kUndoExchangeSelection);
    DoUndo();
    EXPECT_EQ(rec->undoMode, kUndoExchangeSelection);
    DoUndo();
    EXPECT_EQ(rec->undoMode, kUndoExchangeSelection);
}

TEST_F(UndoTest, SnapshotFollowsAChangeOfSizeAndUndoGivesTheOldSizeBack) {
    WindowRef w = MakePaint(6, 4, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
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
    EXPECT_EQ(Picture(rec->dispPort.get()), (std::vector<std::string>{"rrrrrr", "r....r", "r....r", "rrrrrr"}));

    DoUndo();
    EXPECT_EQ(RectText(&rec->picRect), "0,0,8,10");
    // The next snapshot remakes the undo buffers at the new size.
    ASSERT_EQ(GoOffPort(w), noErr);
    EXPECT_EQ(RectText(GetPixBounds(GetGWorldPixMap(rec->undoPort.get()), &r)), "0,0,8,10");
    EXPECT_EQ(RectText(GetPixBounds(GetGWorldPixMap(rec->undoMask.get()), &r)), "0,0,8,10");
    EXPECT_EQ(BufferBytes(rec->undoPort.get()), BufferBytes(rec->offPort.get()));
}

TEST_F(UndoTest, ReplaceColourMaskAndLayerLevelExchangeWhatTheyChanged) {
    WindowRef w = MakePaint(4, 3, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    GWorldPtr image = rec->offPort.get(), mask = rec->maskPort.get();

    // Replacing a colour: the pen colour and the replaced colour trade places with the pixels.
    gCurrentColor = ColorRec{kRed, 0};
    rec->replaceColor = kBlue;
    rec->hasReplaceColor = true;
    SetUndoMode(kUndoReplaceColor);
    DoUndo();
    EXPECT_EQ(gCurrentColor, (ColorRec{kBlue, 1}));
    EXPECT_EQ(rec->replaceColor, kRed);
    EXPECT_FALSE(rec->hasReplaceColor);
    EXPECT_EQ(rec->undoPort.get(), image);
    EXPECT_EQ(rec->undoMask.get(), mask);
    DoUndo();
    EXPECT_EQ(gCurrentColor, (ColorRec{kRed, 0}));
    EXPECT_EQ(rec->offPort.get(), image);

    // Changing the mask: only the mask pair.
    const Rect part{1, 1, 2, 3};
    RectRgn(rec->selRgn, &part);
    SetUndoMode(kUndoChangeMask);
    DoUndo();
    EXPECT_EQ(rec->offPort.get(), image);
    EXPECT_EQ(rec->undoMask.get(), mask);
    Rect r;
    EXPECT_EQ(RectText(GetRegionBounds(rec->updateRgn, &r)), "1,1,2,3");
    RectRgn(rec->selRgn, &rec->picRect);
    DoUndo();

    // The foreground level over the background layer.
    rec->foreTrans = 2;
    rec->undoForeTrans = 0;
    SetUndoMode(kUndoForeTrans);
    DoUndo();
    EXPECT_EQ(rec->foreTrans, 0);
    EXPECT_EQ(rec->undoForeTrans, 2);
    EXPECT_EQ(rec->offPort.get(), image);
    EXPECT_EQ(RectText(GetRegionBounds(rec->updateRgn, &r)), "0,0,3,4");
    EXPECT_EQ(rec->undoMode, -kUndoForeTrans);
}

TEST_F(UndoTest, NewBackgroundLayerUndoGivesTheForegroundBackAndRedoParksItAgain) {
    WindowRef w = MakePaint(4, 2, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    const std::vector<std::string> picture{"rb..", "..#r"};
    Fill(w, picture);
    {
        SavedGWorld saved;
        SetGWorld(rec->maskPort.get(), nullptr);
        const Rect clear{0, 2, 1, 4};
        EraseRect(&clear);  // the top right two pixels are transparent
    }
    const std::vector<std::string> mask{"##..", "####"};
    ASSERT_EQ(Mask(w), mask);
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
    EXPECT_EQ(Picture(rec->basePort.get()), std::vector<std::string>(2, "...."));  // selRgn (all) erased
    EXPECT_EQ(rec->undoMode, -kUndoEnterBackMode);

    DoUndo();
    ASSERT_TRUE(rec->foreHoldPort);
    EXPECT_EQ(Picture(rec->foreHoldPort.get()), picture);
    EXPECT_EQ(BitPicture(MapOf(rec->foreHoldMask.get())), mask);
    EXPECT_EQ(Image(w), std::vector<std::string>(2, "...."));
    EXPECT_EQ(Mask(w), std::vector<std::string>(2, "...."));
    EXPECT_TRUE(rec->isBackMode);
    EXPECT_EQ(rec->undoMode, kUndoEnterBackMode);
}

TEST_F(UndoTest, ColourModeUndoTakesThePaletteCheckBackWhenLinked) {
    WindowRef w = MakePaint(4, 2, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    const auto savedOther = gOtherPrefs;
    const SInt16 savedCheck = gPaletteCheck, savedPrev = gPrevPaletteCheck;
    struct Case {
        UInt8 linked;
        SInt16 check, prev;
        SInt16 checkAfter, prevAfter;
    };
    const Case cases[] = {{1, 2, 0, 0, 2}, {0, 2, 0, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.linked));
        gOtherPrefs[kOtherPaletteCheckFollowsMode] = c.linked;
        gPaletteCheck = c.check;
        gPrevPaletteCheck = c.prev;
        GWorldPtr image = rec->offPort.get();
        SetUndoMode(kUndoColorMode);
        DoUndo();
        EXPECT_EQ(gPaletteCheck, c.checkAfter);
        EXPECT_EQ(gPrevPaletteCheck, c.prevAfter);
        EXPECT_EQ(rec->undoPort.get(), image);
    }
    gOtherPrefs = savedOther;
    gPaletteCheck = savedCheck;
    gPrevPaletteCheck = savedPrev;
}
