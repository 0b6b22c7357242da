// Undo then redo of every edit the paint tools and the selection record: each
// must give back exactly the document before the edit, then exactly the
// document after it, buffers and selection state alike.
#include "tests/support/PaintTestSupport.h"

#include "io/Clipboard.h"
#include "tools/Bucket.h"
#include "tools/ReplaceColor.h"

#include <functional>

using namespace painttest;

namespace {

class UndoEveryEditTest : public ToolTest {
protected:
    // A 10 × 8 picture: a red ring round white, a blue bar, and a column of
    // transparent pixels at the right edge.
    WindowRef MakeSample(SInt16 depth) {
        Rows mask(8, "#########.");
        auto [w, rec] = MakeDoc({"..........", ".rrrr.....", ".r..r..bb.", ".r..r..bb.", ".rrrr..bb.", "..........",
                               "...###....", ".........."},
                              0, mask, depth);
        rec->undoMode = kUndoNone;
        rec->isDirty = false;
        return w;
    }
};

struct Edit {
    const char* what;
    std::function<void(WindowRef)> prepare;  // brings the document to where the edit starts
    std::function<void(WindowRef)> edit;
    SInt16 mode;
    bool marksModified;
};

}  // namespace

TEST_F(UndoEveryEditTest, UndoThenRedoGivesBackExactlyBothSides) {
    auto none = [](WindowRef) {};
    auto liftBlue = [](WindowRef w) { DoSelectColorArea(w, &kBlue, false); };
    auto liftBlueAndMove = [](WindowRef w) {
        DoSelectColorArea(w, &kBlue, false);
        MoveSelection(w, -3, 2, true);
    };
    const std::vector<Edit> edits = {
        {"pencil stroke", none,
         [](WindowRef w) { DragPixels(w, {{0, 0}, {5, 0}}, DoPaint); }, kUndoPaint, true},
        {"bucket fill inside the ring", none, [](WindowRef w) { DoBucket(w, Point{2, 2}, false); }, kUndoPaint, true},
        {"erase all", none, [](WindowRef) { DoubleClickTool(kEraserTool); }, kUndoPaint, true},
        {"replace colour", none,
         [](WindowRef w) { DoReplaceColor(w, &kRed, false, &kGreen, false); }, kUndoReplaceColor, true},
        {"marquee", none, [](WindowRef w) { Marquee(w, 1, 1, 4, 3); }, kUndoSelect, false},
        {"select all", none, [](WindowRef w) { SelectWholePicture(w); }, kUndoSelect, false},
        {"select a colour", none, [](WindowRef w) { DoSelectColorArea(w, &kRed, false); }, kUndoSelect, false},
        {"select the transparent pixels", none,
         [](WindowRef w) { DoSelectColorArea(w, &kWhite, true); }, kUndoSelect, false},
        {"shrink to content", none, [](WindowRef w) { DoAutoSelect(w); }, kUndoSelect, false},
        {"select the last stroke", [](WindowRef w) { DragPixels(w, {{0, 7}, {6, 7}}, DoPaint); },
         [](WindowRef w) { DoAutoSelect(w); }, kUndoSelect, false},
        {"move the selection", liftBlue, [](WindowRef w) { MoveSelection(w, -3, 2, true); }, kUndoMoveSelection,
         true},
        {"move by a key", liftBlue,
         [](WindowRef w) { MoveSelectionByKey(w, kLeftArrowCharCode, optionKey); }, kUndoMoveSelection, true},
        {"drop the moved selection", liftBlueAndMove, [](WindowRef w) { FixSelection(w); }, kUndoFixSelection,
         true},
        {"duplicate the moved selection over the ring", liftBlueAndMove, [](WindowRef) { DoDuplicate(); },
         kUndoDuplicate, true},
        {"duplicate a blended selection",
         [](WindowRef w) {
             DoSelectColorArea(w, &kBlue, false);
             ToggleSelectionBlend(w);
         },
         [](WindowRef) { DoDuplicate(); }, kUndoDuplicate, true},
        {"exchange the moved selection", liftBlueAndMove, [](WindowRef w) { ExchangeSelection(w); },
         kUndoExchangeSelection, true},
        {"opaque mask of the whole picture", none, [](WindowRef w) { ChangeMask(w, 0); }, kUndoChangeMask, true},
        {"white-transparent mask", none, [](WindowRef w) { ChangeMask(w, 36); }, kUndoChangeMask, true},
        {"opaque mask of a moved selection",
         [](WindowRef w) {
             SelectWholePicture(w);
             MoveSelection(w, -1, 1, true);
         },
         [](WindowRef w) { ChangeMask(w, 0); }, kUndoChangeMask, true},
        {"pencil stroke on a floating selection", liftBlue,
         [](WindowRef w) { DragPixels(w, {{7, 2}, {7, 4}}, DoPaint); }, kUndoPaint, true},
    };
    for (SInt16 depth : {SInt16(8), SInt16(24)}) {
        for (const Edit& e : edits) {
            SCOPED_TRACE(testing::Message() << e.what << " at " << depth << " bits");
            WindowRef w = MakeSample(depth);
            PaintWinRec* rec = GetPaintWinRec(w);
            gSelectedTool = kPencilTool;
            e.prepare(w);
            rec->isDirty = false;
            const std::string before = State(w);
            e.edit(w);
            ASSERT_EQ(rec->undoMode, e.mode);
            EXPECT_EQ(bool(rec->isDirty), e.marksModified);
            const std::string after = State(w);
            ASSERT_NE(after, before);

            DoUndo();
            EXPECT_EQ(State(w), before);
            // Exchanging the selection again is its own undo.
            EXPECT_EQ(rec->undoMode, e.mode == kUndoExchangeSelection ? e.mode : -e.mode);
            DoUndo();
            EXPECT_EQ(State(w), after);
            DoUndo();
            EXPECT_EQ(State(w), before);
            // Undoing and redoing never marks a selection as a change of the picture.
            EXPECT_EQ(bool(rec->isDirty), e.marksModified);
            CloseAllDocuments();
        }
    }
}
