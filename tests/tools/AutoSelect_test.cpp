// The automatic selections: the content mask, the Command-marquee, lifting
// the last stroke, shrinking to the content and selecting a colour.
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

class AutoSelectTest : public ToolTest {
protected:
    static Rows Base(WindowRef w) { return Picture(GetPaintWinRec(w)->basePort.get()); }
    // The window outline must be the selection at the zoom.
    static void ExpectOutlineFollows(WindowRef w) {
        PaintWinRec* rec = GetPaintWinRec(w);
        UniqueRgn zoomed;
        CopyRgn(rec->selRgn, zoomed);
        MapRgn(zoomed, &rec->picRect, &rec->dispRect);
        EXPECT_TRUE(EqualRgn(zoomed, rec->selDispRgn));
    }
};

}  // namespace

// The content of a rectangle: non-white pixels and the white that only they
// reach, 4-connected (a diagonal gap still closes an outline).
TEST(CreateMask, ContentOfTextPictures) {
    struct Case { const char* what; Rows image; Rows expected; };
    const Case cases[] = {
        {"ring keeps its inside", {"......", ".####.", ".#..#.", ".####.", "......"},
         {"......", ".####.", ".####.", ".####.", "......"}},
        {"all white gives nothing", Rows(4, "....."), Rows(4, ".....")},
        {"C open to the edge leaves its inside out", {".....", ".###.", ".#...", ".###.", "....."},
         {".....", ".###.", ".#...", ".###.", "....."}},
        {"diagonal gap closes the ring", {"......", ".####.", ".#..#.", ".#..#.", ".###..", "......"},
         {"......", ".####.", ".####.", ".####.", ".###..", "......"}},
        {"colours count, white on the edge does not", {"r.b..", ".....", "..#.#", "...#."},
         {"#.#..", ".....", "..#.#", "...#."}},
        {"outline along the edge", {"####", "#..#", "####"}, Rows(3, "####")},
    };
    for (int depth : {1, 8, 32}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << " at " << depth << " bits");
            UniqueGWorld g = MakeWorld(depth, c.image);
            const Rect r = MakeRect(0, 0, int(c.image.size()), int(c.image[0].size()));
            BitMap bits{};
            ASSERT_EQ(CreateMask(g.get(), &r, &r, &bits), noErr);
            EXPECT_EQ(BitPicture(bits), c.expected);
            EXPECT_EQ(DisposeBitMap(&bits), noErr);
        }
    }
}

// A source rectangle inside the buffer lands on a destination rectangle of
// its own coordinates; the edge of the source rectangle is what counts.
TEST(CreateMask, SourceRectangleMapsToDestination) {
    UniqueGWorld g = MakeWorld(32, Rows{"#######", "#.....#", "#.###.#", "#.#.#.#", "#.###.#", "#######"});
    const Rect src = MakeRect(2, 2, 5, 5), dst = MakeRect(10, 20, 13, 23);
    BitMap bits{};
    ASSERT_EQ(CreateMask(g.get(), &src, &dst, &bits), noErr);
    EXPECT_EQ(RectText(&bits.bounds), RectText(&dst));
    EXPECT_EQ(BitPicture(bits), Rows(3, "###"));
    EXPECT_EQ(DisposeBitMap(&bits), noErr);

    // The whole buffer: the outer outline encloses everything.
    const Rect all = MakeRect(0, 0, 6, 7);
    ASSERT_EQ(CreateMask(g.get(), &all, &all, &bits), noErr);
    EXPECT_EQ(BitPicture(bits), Rows(6, "#######"));
    EXPECT_EQ(DisposeBitMap(&bits), noErr);

    const Rect empty = MakeRect(0, 0, 0, 0);
    EXPECT_EQ(CreateMask(g.get(), &all, &empty, &bits), paramErr);
    EXPECT_EQ(CreateMask(nullptr, &all, &all, &bits), paramErr);
}

// A Command-marquee selects the content inside the rectangle: a ring with
// its white inside, an L without the white beside it; over white, nothing.
TEST_F(AutoSelectTest, CommandMarqueeSelectsTheContentInsideIt) {
    const Rows image = {"..........", ".####.....", ".#..#..r..", ".####..rr.", ".........."};
    struct Case {
        int x0, y0, x1, y1;
        Rows selected;  // empty: nothing selected
    };
    const Case cases[] = {
        {0, 0, 6, 5, {"..........", ".####.....", ".####.....", ".####.....", ".........."}},
        {6, 1, 10, 5, {"..........", "..........", ".......#..", ".......##.", ".........."}}, {5, 0, 7, 2, {}},
    };
    for (SInt16 ratio : {SInt16(0), SInt16(2)})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " ratio " << ratio);
            auto [w, rec] = MakeDoc(image, ratio);
            ResetScriptLog();
            Marquee(w, c.x0, c.y0, c.x1, c.y1, cmdKey);
            EXPECT_EQ(rec->isFloating, !c.selected.empty());
            EXPECT_EQ(Selected(w), c.selected.empty() ? Rows(5, "##########") : c.selected);
            if (c.selected.empty()) EXPECT_TRUE(EmptyRgn(rec->selDispRgn));
            else ExpectOutlineFollows(w);
            EXPECT_EQ(RectText(&rec->selRect), c.selected.empty() ? RectText(&rec->picRect) : Bounds(rec->selRgn));
            EXPECT_EQ(rec->undoMode, c.selected.empty() ? kUndoNone : kUndoSelect);
            EXPECT_EQ(SysBeepCount(), 0u);
            CloseAllDocuments();
        }
}

// Right after a stroke the stroke alone is lifted off the picture as it was
// before it; undo gives back the picture with the stroke, no selection.
TEST_F(AutoSelectTest, LastStrokeIsLiftedExactly) {
    for (SInt16 depth : {SInt16(8), SInt16(24)}) {
        SCOPED_TRACE(testing::Message() << depth << " bits");
        const Rows picture{"........", "..bbbb..", "..bbbb..", "........", "........"};
        WindowRef w = MakeDoc(picture, 0, {}, depth);
        gSelectedTool = kPencilTool;
        DragPixels(w, {{1, 0}, {1, 3}, {6, 3}}, DoPaint);
        PaintWinRec* rec = GetPaintWinRec(w);
        ASSERT_EQ(rec->undoMode, kUndoPaint);
        const Rows stroked{".#......", ".#bbbb..", ".#bbbb..", ".######.", "........"};
        ASSERT_EQ(Image(w), stroked);
        const Rows strokeOnly{".#......", ".#......", ".#......", ".######.", "........"};
        DoAutoSelect(w);
        ASSERT_TRUE(rec->isFloating);
        EXPECT_EQ(Selected(w), strokeOnly);
        ExpectOutlineFollows(w);
        EXPECT_EQ(Image(w), strokeOnly);
        EXPECT_EQ(Mask(w), strokeOnly);
        EXPECT_EQ(Base(w), picture);
        EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), Rows(5, "########"));
        EXPECT_EQ(Shown(w), stroked);
        EXPECT_EQ(RectText(&rec->selRect), "0,1,4,7");
        EXPECT_EQ(rec->selOffset.h, 0);
        EXPECT_EQ(rec->selMode, srcCopy);
        EXPECT_TRUE(rec->selShown);
        EXPECT_EQ(rec->undoMode, kUndoSelect);
        EXPECT_EQ(gSelectedTool, kSelectionTool);

        // Moving the lifted stroke uncovers the picture under it.
        MoveSelection(w, 1, 0, true);
        EXPECT_EQ(Shown(w), (Rows{"..#.....", "..#bbb..", "..#bbb..", "..######", "........"}));
        CloseAllDocuments();
    }
}

// A stroke over a moved floating selection: only its part inside the
// selection was drawn; that part is lifted, and the old selection, as it was
// before the stroke, stays in the picture.
TEST_F(AutoSelectTest, LastStrokeOnAFloatingSelection) {
    WindowRef w = MakeDoc({"........", ".rrr....", ".rrr....", "........", "........"});
    Lift(w, Rows{"........", ".###....", ".###....", "........", "........"});
    PaintWinRec* rec = GetPaintWinRec(w);
    MoveSelection(w, 3, 1, true);
    const Rows moved{"........", "........", "....rrr.", "....rrr.", "........"};
    ASSERT_EQ(Shown(w), moved);
    DragPixels(w, {{3, 3}, {7, 3}}, DoPaint);
    ASSERT_EQ(rec->undoMode, kUndoPaint);
    const Rows stroked{"........", "........", "....rrr.", "....###.", "........"};
    ASSERT_EQ(Shown(w), stroked);

    DoAutoSelect(w);
    ASSERT_TRUE(rec->isFloating);
    const Rows strokePart{"........", "........", "........", "....###.", "........"};
    EXPECT_EQ(Selected(w), strokePart);
    ExpectOutlineFollows(w);
    EXPECT_EQ(rec->selOffset.h, 0);
    EXPECT_EQ(rec->selOffset.v, 0);
    EXPECT_EQ(RectText(&rec->selRect), "3,4,4,7");
    EXPECT_EQ(Image(w), strokePart);
    EXPECT_EQ(Mask(w), strokePart);
    EXPECT_EQ(Base(w), moved);
    EXPECT_EQ(Shown(w), stroked);

    // Undo: the picture as shown after the stroke, nothing floating; redo
    // lifts the stroke again, and dropping it gives the picture as shown.
    DoUndo();
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(Image(w), stroked);
    EXPECT_EQ(Mask(w), Rows(5, "########"));
    EXPECT_EQ(RectText(&rec->selRect), RectText(&rec->picRect));
    DoUndo();
    ASSERT_TRUE(rec->isFloating);
    EXPECT_EQ(Selected(w), strokePart);
    EXPECT_EQ(Base(w), moved);
    FixSelection(w);
    EXPECT_EQ(Image(w), stroked);
    EXPECT_EQ(Mask(w), Rows(5, "########"));
}

// Shrinking to the content: two separate shapes give their enclosing content.
TEST_F(AutoSelectTest, ShrinkToContentOfTwoShapes) {
    const Rows picture{".........", ".rr......", ".rr..###.", ".....#.#.", ".....###.", "........."};
    auto [w, rec] = MakeDoc(picture, 2);
    rec->undoMode = kUndoNone;
    DoAutoSelect(w);
    ASSERT_TRUE(rec->isFloating);
    const Rows content{".........", ".##......", ".##..###.", ".....###.", ".....###.", "........."};
    EXPECT_EQ(Selected(w), content);
    ExpectOutlineFollows(w);
    EXPECT_EQ(RectText(&rec->selRect), "1,1,5,8");
    EXPECT_EQ(Mask(w), content);
    EXPECT_EQ(Shown(w), picture);
    EXPECT_EQ(rec->undoMode, kUndoSelect);
    EXPECT_FALSE(rec->isDirty);
}

// With a (moved) floating selection the shape narrows to its content; the
// lifted pixels outside the content lose their opacity.
TEST_F(AutoSelectTest, ShrinkAFloatingSelection) {
    auto [w, rec] = MakeDoc({"........", "........", "..#.....", "..##....", "........"});
    Lift(w, Rows{"........", ".####...", ".####...", ".####...", "........"});
    MoveSelection(w, 2, 0, true);
    rec->isDirty = false;
    DoAutoSelect(w);
    const Rows content{"........", "........", "....#...", "....##..", "........"};
    EXPECT_EQ(Selected(w), content);
    ExpectOutlineFollows(w);
    EXPECT_EQ(RectText(&rec->selRect), "2,2,4,4");
    EXPECT_EQ(rec->selOffset.h, 2);
    EXPECT_EQ(Mask(w), (Rows{"........", "........", "..#.....", "..##....", "........"}));
    EXPECT_EQ(Shown(w), content);
    EXPECT_EQ(rec->undoMode, kUndoSelect);

    // Undo gives back the whole lifted rectangle and its opacity.
    DoUndo();
    EXPECT_EQ(Selected(w), (Rows{"........", "...####.", "...####.", "...####.", "........"}));
    EXPECT_EQ(Mask(w), (Rows{"........", ".####...", ".####...", ".####...", "........"}));
    EXPECT_EQ(RectText(&rec->selRect), "1,1,4,5");

    // Shrinking a selection that is all content changes nothing and does not beep.
    DoUndo();
    ResetScriptLog();
    rec->undoMode = kUndoNone;
    DoAutoSelect(w);
    EXPECT_EQ(Selected(w), content);
    EXPECT_EQ(rec->undoMode, kUndoNone);
    EXPECT_EQ(SysBeepCount(), 0u);
}

// Nothing to select: a beep and no change, with and without a selection.
TEST_F(AutoSelectTest, NothingToSelectBeeps) {
    auto [w, rec] = MakeDoc(Rows(4, "......"));
    rec->undoMode = kUndoNone;
    rec->isDirty = false;
    ResetScriptLog();
    DoAutoSelect(w);
    EXPECT_EQ(SysBeepCount(), 1u);
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoNone);
    EXPECT_FALSE(rec->isDirty);
    EXPECT_EQ(Selected(w), Rows(4, "######"));

    Lift(w, Rows{"......", ".##...", ".##...", "......"});
    ResetScriptLog();
    DoAutoSelect(w);
    EXPECT_EQ(SysBeepCount(), 1u);
    EXPECT_EQ(Selected(w), (Rows{"......", ".##...", ".##...", "......"}));
    EXPECT_EQ(rec->undoMode, kUndoSelect);
}

// Selecting a colour: every pixel of exactly that colour, connected or not;
// the transparent colour: every transparent pixel; an absent colour: nothing.
TEST_F(AutoSelectTest, SelectColourAreas) {
    const Rows picture{"r.....r", "r......", "...bb..", ".rr.b.#"};
    struct Case {
        const char* what;
        RGBColor color;
        Boolean transparentColor;
        Rows expected;  // empty: no selection
    };
    const Case cases[] = {
        {"red in three areas", kRed, false, {"#.....#", "#......", ".......", ".##...."}},
        {"blue", kBlue, false, {".......", ".......", "...##..", "....#.."}},
        {"transparent pixels", kWhite, true, {"...###.", "...###.", ".......", "......."}},
        {"absent green", kGreen, false, {}},
    };
    for (SInt16 depth : {SInt16(8), SInt16(24)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << " at " << depth << " bits");
            auto [w, rec] = MakeDoc(picture, 0, {"###...#", "###...#", "#######", "#######"}, depth);
            // A floating selection is dropped first.
            Lift(w, Rows{".......", ".......", ".......", "#######"});
            ResetScriptLog();
            DoSelectColorArea(w, &c.color, c.transparentColor);
            if (c.expected.empty()) {
                EXPECT_FALSE(rec->isFloating);
                EXPECT_EQ(Selected(w), Rows(4, "#######"));
                EXPECT_EQ(rec->undoMode, kUndoNone);
            } else {
                ASSERT_TRUE(rec->isFloating);
                EXPECT_EQ(Selected(w), c.expected);
                ExpectOutlineFollows(w);
                EXPECT_EQ(rec->undoMode, kUndoSelect);
            }
            EXPECT_EQ(Shown(w), picture);
            EXPECT_EQ(SysBeepCount(), 0u);
            CloseAllDocuments();
        }
    }
}
