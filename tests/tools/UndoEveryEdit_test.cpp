// Undo then redo of every edit the paint tools and the selection record: each
// must give back exactly the document before the edit, then exactly the
// document after it, buffers and selection state alike.
#include "tests/tools/PencilTestSupport.h"

#include "paint/Undo.h"
#include "tools/Bucket.h"
#include "tools/ReplaceColor.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <functional>
#include <sstream>

using namespace penciltest;

namespace {

class UndoEveryEditTest : public StrokeTest {
protected:
    // A 10 × 8 picture: a red ring round white, a blue bar, and a column of
    // transparent pixels at the right edge.
    WindowRef MakeSample(SInt16 depth) {
        WindowRef w = MakePaint(10, 8, 0, depth);
        Fill(w, {
                    "..........",
                    ".rrrr.....",
                    ".r..r..bb.",
                    ".r..r..bb.",
                    ".rrrr..bb.",
                    "..........",
                    "...###....",
                    "..........",
                });
        PaintWinRec* rec = GetPaintWinRec(w);
        const PixMap& mask = MapOf(rec->maskPort.get());
        for (int v = 0; v < 8; ++v) PixRow(mask, v)[1] &= UInt8(~0x40);  // pixel 9 of each row
        RectRgn(rec->updateRgn, &rec->picRect);
        DispOffPort(w);
        rec->undoMode = kUndoNone;
        rec->isDirty = false;
        return w;
    }

    // Everything a user can see or act on next: the buffers, and the base
    // under the selection while one floats.
    static std::string State(WindowRef w) {
        PaintWinRec* rec = GetPaintWinRec(w);
        std::ostringstream out;
        auto rows = [&](const char* what, const std::vector<std::string>& r) {
            out << what << ":\n";
            for (const std::string& line : r) out << "  " << line << "\n";
        };
        auto region = [&](const char* what, RgnHandle rgn) {
            out << what << ":";
            for (const Rect& r : RegionRects(rgn)) out << " " << RectText(&r);
            out << "\n";
        };
        rows("image", Picture(rec->offPort.get()));
        rows("mask", BitPicture(MapOf(rec->maskPort.get())));
        rows("shown", Picture(rec->dispPort.get()));
        out << "floating " << int(rec->isFloating) << " mode " << rec->selMode << " acting on "
            << RectText(&rec->selRect) << "\n";
        region("selection", rec->selRgn);
        region("outline", rec->selDispRgn);
        if (rec->isFloating) {
            out << "offset " << rec->selOffset.h << ","
                << rec->selOffset.v << "\n";
            rows("base", Picture(rec->basePort.get()));
            rows("base mask", BitPicture(MapOf(rec->baseMask.get())));
        }
        return out.str();
    }

    static void LiftColor(WindowRef w, const RGBColor& color) { DoSelectColorArea(w, &color, false); }
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
