// The roads to the selection from the rest of the program: menu 152 and its
// enabling, the letters on a floating selection, the contextual Effect menu,
// the palette double-click and the selection tool's double-click.
#include "tests/support/PaintTestSupport.h"

#include "palettes/ColorPalettes.h"

#include <cctype>

using namespace painttest;

namespace {

class SelectionCommandsTest : public SelectionTest {
protected:
    void SetUp() override {
        SelectionTest::SetUp();
        InitTools();  // the hooks start-up installs
    }
    void TearDown() override {
        SetSelectColorAreaProc(nullptr);
        gOtherToolClickProc = nullptr;
        gFixSelectionProc = nullptr;
        SelectionTest::TearDown();
    }
    // A letter key as the keyboard sends it: its key code and its character.
    static void Letter(char ch) {
        UInt8 code = 0;
        switch (std::tolower(ch)) {
        case 'b': code = kVK_ANSI_B; break;
        case 'o': code = kVK_ANSI_O; break;
        case 's': code = kVK_ANSI_S; break;
        case 't': code = kVK_ANSI_T; break;
        default: break;
        }
        Key(code, UInt8(ch), std::isupper(ch) ? shiftKey : 0);
    }
};

const Rows kTwoShapes = {"..........", ".rr.......", ".rr...bb..", "......bb..", ".........."};

}  // namespace

TEST_F(SelectionCommandsTest, SelectionMenuFollowsTheFloatingSelection) {
    auto [w, rec] = MakeDoc(kTwoShapes);
    UpdateMenus();
    EXPECT_TRUE(Enabled(kSelectionMenuID, 1));
    EXPECT_FALSE(Enabled(kSelectionMenuID, 2));
    EXPECT_FALSE(Enabled(kSelectionMenuID, 4));

    HandleMenuChoice(MenuChoice(kSelectionMenuID, 1));  // select the content
    ASSERT_TRUE(rec->isFloating);
    EXPECT_EQ(Bounds(rec->selRgn), "1,1,4,8");
    EXPECT_EQ(rec->undoMode, kUndoSelect);
    UpdateMenus();
    EXPECT_TRUE(Enabled(kSelectionMenuID, 2));
    EXPECT_TRUE(Enabled(kSelectionMenuID, 4));

    // The marquee is drawn in xor, in the window only: hiding and showing it
    // again gives the window back exactly and leaves the preview alone.
    const std::vector<UInt8> shown = Bytes(GetWindowPort(w)), preview = Bytes(GetWindowPort(gPreviewWindow));
    HandleMenuChoice(MenuChoice(kSelectionMenuID, 4));  // hide the marquee
    EXPECT_FALSE(rec->selShown);
    EXPECT_TRUE(IsChecked(kSelectionMenuID, 4));
    EXPECT_NE(Bytes(GetWindowPort(w)), shown);
    HandleMenuChoice(MenuChoice(kSelectionMenuID, 4));  // and show it again
    EXPECT_TRUE(rec->selShown);
    EXPECT_FALSE(IsChecked(kSelectionMenuID, 4));
    EXPECT_EQ(Bytes(GetWindowPort(w)), shown);
    EXPECT_EQ(Bytes(GetWindowPort(gPreviewWindow)), preview);

    HandleMenuChoice(MenuChoice(kSelectionMenuID, 2));  // drop
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoFixSelection);
    EXPECT_EQ(Image(w), kTwoShapes);
    UpdateMenus();
    EXPECT_FALSE(Enabled(kSelectionMenuID, 2));
}

TEST_F(SelectionCommandsTest, LettersActOnAFloatingSelection) {
    auto [w, rec] = MakeDoc({"......", ".rrrr.", ".r..r.", ".rrrr.", "......"});
    Letter('s');  // shrink to the content: the ring and its inside
    ASSERT_TRUE(rec->isFloating);
    EXPECT_EQ(RegionRects(rec->selRgn).size(), 1u);
    EXPECT_EQ(Bounds(rec->selRgn), "1,1,4,5");

    Letter('b');
    EXPECT_EQ(rec->selMode, blend);
    EXPECT_TRUE(IsChecked(kEffectMenuID, 18));
    Letter('B');
    EXPECT_EQ(rec->selMode, srcCopy);
    EXPECT_FALSE(IsChecked(kEffectMenuID, 18));

    EXPECT_TRUE(IsChecked(kEffectMenuID, 16));
    Letter('t');  // white is transparent: the white inside the ring goes
    EXPECT_EQ(rec->undoMode, kUndoChangeMask);
    EXPECT_EQ(BitPicture(MapOf(rec->maskPort.get())),
              (Rows{"......", ".####.", ".#..#.", ".####.", "......"}));
    EXPECT_FALSE(IsChecked(kEffectMenuID, 16));
    EXPECT_TRUE(IsChecked(kEffectMenuID, 17));
    Letter('o');  // the selection opaque again
    EXPECT_EQ(BitPicture(MapOf(rec->maskPort.get())),
              (Rows{"......", ".####.", ".####.", ".####.", "......"}));
    EXPECT_TRUE(IsChecked(kEffectMenuID, 16));
    EXPECT_FALSE(IsChecked(kEffectMenuID, 17));
}

TEST_F(SelectionCommandsTest, ControlClickOffersTheEffectMenu) {
    auto [w, rec] = MakeDoc(kTwoShapes);
    const Point at = Global(w, Local(w, 4, 4));

    // Exchanging with nothing floating only beeps.
    ScriptClick(at, controlKey);
    ScriptWait(1);
    ScriptMenuChoice(MenuChoice(kEffectMenuID, 20));
    RunPendingEvents();
    EXPECT_EQ(SysBeepCount(), 1u);
    EXPECT_FALSE(rec->isFloating);

    // The Selection submenu of the contextual menu selects the content.
    ScriptClick(at, controlKey);
    ScriptWait(1);
    ScriptMenuChoice(MenuChoice(kSelectionMenuID, 1));
    RunPendingEvents();
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(Bounds(rec->selRgn), "1,1,4,8");
    EXPECT_EQ(Image(w), kTwoShapes);
}

TEST_F(SelectionCommandsTest, PaletteDoubleClickSelectsTheColourInTheFrontPicture) {
    auto [w, rec] = MakeDoc(kTwoShapes);
    Rect palette;
    GetWindowBounds(ColorPalette1, kWindowContentRgn, &palette);
    const Point at{SInt16(palette.top + 1), SInt16(palette.left + 1)};  // white
    ScriptMouseMove(at);
    ScriptClick(at);
    ClickColorPalette1(Point{1, 1}, false, false);
    ClearScript();
    ASSERT_TRUE(rec->isFloating);
    // Every white pixel, connected or not, round and between the shapes.
    UniqueRgn white, shapes;
    RectRgn(white, &rec->picRect);
    const Rect red{1, 1, 3, 3}, blue{2, 6, 4, 8};
    UniqueRgn redRgn, blueRgn;
    RectRgn(redRgn, &red);
    RectRgn(blueRgn, &blue);
    UnionRgn(redRgn, blueRgn, shapes);
    DiffRgn(white, shapes, white);
    EXPECT_TRUE(EqualRgn(rec->selRgn, white));
    EXPECT_EQ(rec->undoMode, kUndoSelect);
    EXPECT_FALSE(rec->isDirty);
}

TEST_F(SelectionCommandsTest, DoubleClickOnTheSelectionToolSelectsAll) {
    auto [w, rec] = MakeDoc(kTwoShapes);
    Marquee(w, 1, 1, 3, 3);
    ASSERT_TRUE(rec->isFloating);
    MoveSelection(w, 1, 0, true);
    DoubleClickTool(kSelectionTool);  // the moved patch is dropped first
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(Bounds(rec->selRgn), "0,0,5,10");
    EXPECT_EQ(rec->undoMode, kUndoSelect);
    EXPECT_EQ(Image(w), (Rows{"..........", "..rr......", "..rr..bb..", "......bb..", ".........."}));
}
