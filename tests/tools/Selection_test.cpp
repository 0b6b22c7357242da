// The selection tool on real paint windows with scripted mouse and key input:
// the marquee, lifting, dragging, moving by keys, dropping, exchanging, the
// marquee drawing and the undo of every selection edit.
#include "tests/tools/SelectionTestSupport.h"

#include "app/Alerts.h"
#include "app/Shell.h"

using namespace selectiontest;

namespace {

// A document of 8 x 6 with a 2 x 2 patch at (1, 1).
const std::vector<std::string> kPatch = {
    "........",
    ".rg.....",
    ".b#.....",
    "........",
    "........",
    "........",
};

// The state the user sees and the next edit builds on; undo copies and the
// scratch base of an unlifted document left out.
Snapshot Visible(Snapshot s) {
    s.undo.clear();
    s.undoMask.clear();
    s.undoSelRgn.clear();
    s.undoSelDispRgn.clear();
    s.undoSelOffset = Point{0, 0};
    if (!s.isFloating) {
        s.base.clear();
        s.baseMask.clear();
    }
    return s;
}

}  // namespace

TEST_F(SelectionTest, MarqueeHoldsItsStartPixelInEveryDirection) {
    struct Case {
        int x0, y0, x1, y1;
        const char* selRect;
    };
    const Case cases[] = {
        {2, 1, 5, 4, "1,2,4,5"},  // down-right: up to the pointer's pixel, not including it
        {5, 4, 2, 1, "1,2,5,6"},  // up-left: the start pixel is kept
        {2, 4, 5, 1, "1,2,5,5"},
        {5, 1, 2, 4, "1,2,4,6"},
    };
    for (SInt16 ratio : {SInt16(0), SInt16(2)})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1 << " ratio "
                                            << ratio);
            WindowRef w = MakeDoc(kPatch, ratio);
            Marquee(w, c.x0, c.y0, c.x1, c.y1);
            PaintWinRec* rec = GetPaintWinRec(w);
            EXPECT_TRUE(rec->isFloating);
            EXPECT_EQ(RectText(&rec->selRect), c.selRect);
            EXPECT_EQ(Bounds(rec->selRgn), c.selRect);
            EXPECT_TRUE(IsRegionRectangular(rec->selRgn));
            EXPECT_EQ(Bounds(rec->selDispRgn), ZoomedText(rec->selRect, ratio));
            EXPECT_TRUE(PtInRgn(Point{SInt16(c.y0), SInt16(c.x0)}, rec->selRgn));
            EXPECT_EQ(rec->undoMode, kUndoSelect);
            EXPECT_TRUE(rec->selShown);
            EXPECT_EQ(rec->selOffset, (Point{0, 0}));
            EXPECT_FALSE(rec->isDirty);  // selecting is not a change of the document
            CloseAllDocuments();
        }
}

TEST_F(SelectionTest, ShiftMarqueeSnapsToTheBlockGrid) {
    struct Case {
        UInt16 gridSetting;
        int x0, y0, x1, y1;
        const char* selRect;
    };
    const Case cases[] = {
        {0x21, 20, 20, 40, 40, "16,16,32,32"},  // 16-pixel blocks
        {0x21, 40, 20, 5, 40, "16,0,32,48"},    // leftward: one more block, holding the start block
        {0x11, 40, 40, 5, 70, "32,0,64,64"},    // 32-pixel blocks
        {0x11, 70, 70, 20, 20, "0,0,96,96"},    // both ways back: up to the picture's edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.gridSetting << std::dec << " " << c.x0 << "," << c.y0);
        gToolPrefs.gridSetting = c.gridSetting;
        WindowRef w = MakeDoc(std::vector<std::string>(96, std::string(96, '.')));
        Marquee(w, c.x0, c.y0, c.x1, c.y1, shiftKey);
        EXPECT_EQ(RectText(&GetPaintWinRec(w)->selRect), c.selRect);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, MarqueeDraggedBeyondTheWindowStaysInThePicture) {
    WindowRef w = MakeDoc(kPatch, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    SelectDrag(w, {Local(w, 5, 3), Point{400, 500}});
    EXPECT_EQ(RectText(&rec->selRect), "3,5,6,8");
    CloseAllDocuments();

    w = MakeDoc(kPatch, 2);
    rec = GetPaintWinRec(w);
    SelectDrag(w, {Local(w, 5, 3), Point{-60, -90}});
    EXPECT_EQ(RectText(&rec->selRect), "0,0,4,6");
}

TEST_F(SelectionTest, EmptyMarqueeSelectsNothing) {
    WindowRef w = MakeDoc(kPatch);
    PaintWinRec* rec = GetPaintWinRec(w);
    const Snapshot before = Snap(rec);
    SelectPixels(w, {{3, 3}});
    EXPECT_FALSE(rec->isFloating);
    ExpectSame(Snap(rec), before);
    EXPECT_EQ(rec->undoMode, kUndoNone);
}

TEST_F(SelectionTest, LiftingFillsTheHoleByTheBackground) {
    const std::vector<std::string> image = {"rrggbb", "rrggbb", "##..##", "##..##"};
    const std::vector<std::string> mask = {"######", "###...", "######", "......"};
    struct Case {
        const char* name;
        Boolean hasTransparency;
        Boolean backTransparent;
        std::vector<std::string> base, baseMask, disp;
    };
    const Case cases[] = {
        {"opaque background colour", false, false,
         {"rrrrbb", "rrrrbb", "#rrr##", "##..##"},
         {"######", "####..", "######", "......"},
         {"rrggbb", "rrgrbb", "##..##", "##..##"}},
        {"transparent document", true, false,
         {"r...bb", "r...bb", "#...##", "##..##"},
         {"#...##", "#.....", "#...##", "......"},
         {"rrggbb", "rrg.bb", "##..##", "##..##"}},
        {"transparent background colour", false, true,
         {"rrrrbb", "rrrrbb", "#rrr##", "##..##"},
         {"#...##", "#.....", "#...##", "......"},
         {"rrggbb", "rrgrbb", "##..##", "##..##"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gBackColor = ColorRec{kRed, UInt8(c.backTransparent ? 1 : 0)};
        WindowRef w = MakeDoc(image, 1, mask);
        PaintWinRec* rec = GetPaintWinRec(w);
        rec->hasTransparency = c.hasTransparency;
        Marquee(w, 1, 0, 4, 3);
        EXPECT_EQ(RectText(&rec->selRect), "0,1,3,4");
        EXPECT_EQ(Image(w), image);  // the lifted pixels stay where they were
        EXPECT_EQ(Mask(w), (std::vector<std::string>{".###..", ".##...", ".###..", "......"}));
        EXPECT_EQ(Picture(rec->basePort.get()), c.base);
        EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), c.baseMask);
        EXPECT_EQ(Picture(rec->dispPort.get()), c.disp);
        EXPECT_EQ(Bounds(rec->updateRgn), "0,1,3,4");
        EXPECT_EQ(rec->selMode, 0);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, ClickWithoutMovingDropsOnlyAWholePictureSelection) {
    WindowRef w = MakeDoc(kPatch, 1);
    PaintWinRec* rec = GetPaintWinRec(w);
    SelectWholePicture(w);
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(RectText(&rec->selRect), "0,0,6,8");
    SelectPixels(w, {{2, 2}});
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoFixSelection);
    EXPECT_EQ(Image(w), kPatch);
    CloseAllDocuments();

    w = MakeDoc(kPatch, 1);
    rec = GetPaintWinRec(w);
    Marquee(w, 1, 1, 4, 4);
    const Snapshot selected = Snap(rec);
    SelectPixels(w, {{2, 2}});
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoSelect);
    ExpectSame(Snap(rec), selected);
}

TEST_F(SelectionTest, DraggingMovesByThePointer) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> path;
        EventModifiers mods;
        const char* selRgn;
        Point offset;
        std::vector<std::string> disp;
    };
    const Case cases[] = {
        {"plain", {{1, 1}, {3, 2}, {4, 3}}, 0, "3,4,5,6", {2, 3},
         {"........", "........", "........", "....rg..", "....b#..", "........"}},
        {"option leaves a copy", {{2, 2}, {5, 4}}, optionKey, "3,4,5,6", {2, 3},
         {"........", ".rg.....", ".b#.....", "....rg..", "....b#..", "........"}},
        {"shift with a diagonal start is vertical", {{1, 1}, {2, 2}, {5, 3}}, shiftKey, "3,1,5,3", {2, 0},
         {"........", "........", "........", ".rg.....", ".b#.....", "........"}},
        {"shift with a horizontal start", {{1, 1}, {3, 2}, {5, 4}}, shiftKey, "1,5,3,7", {0, 4},
         {"........", ".....rg.", ".....b#.", "........", "........", "........"}},
        {"moved and brought back", {{1, 1}, {3, 3}, {1, 1}}, 0, "1,1,3,3", {0, 0}, kPatch},
    };
    for (SInt16 ratio : {SInt16(0), SInt16(2)})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " ratio " << ratio);
            WindowRef w = MakeDoc(kPatch, ratio);
            PaintWinRec* rec = GetPaintWinRec(w);
            Marquee(w, 1, 1, 3, 3);
            SelectPixels(w, c.path, c.mods);
            EXPECT_TRUE(rec->isFloating);
            EXPECT_EQ(Bounds(rec->selRgn), c.selRgn);
            EXPECT_EQ(rec->selOffset, c.offset);
            EXPECT_EQ(RectText(&rec->selRect), "1,1,3,3");
            EXPECT_EQ(Picture(rec->dispPort.get()), c.disp);
            EXPECT_EQ(Image(w), kPatch);
            Rect place;
            EXPECT_EQ(Bounds(rec->selDispRgn), ZoomedText(*GetRegionBounds(rec->selRgn, &place), ratio));
            const bool moved = c.offset.h != 0 || c.offset.v != 0;
            EXPECT_EQ(rec->undoMode, moved ? kUndoMoveSelection : kUndoSelect);
            EXPECT_EQ(rec->isDirty, moved);
            CloseAllDocuments();
        }
}

TEST_F(SelectionTest, ArrowKeysMoveByOneEightAndSixteen) {
    struct Case {
        UInt8 keyCode, charCode;
        EventModifiers mods;
        Point offset;
    };
    const Case cases[] = {
        {kVK_LeftArrow, kLeftArrowCharCode, 0, {0, -1}},
        {kVK_RightArrow, kRightArrowCharCode, 0, {0, 1}},
        {kVK_UpArrow, kUpArrowCharCode, 0, {-1, 0}},
        {kVK_DownArrow, kDownArrowCharCode, 0, {1, 0}},
        {kVK_LeftArrow, kLeftArrowCharCode, optionKey, {0, -8}},
        {kVK_RightArrow, kRightArrowCharCode, optionKey, {0, 8}},
        {kVK_UpArrow, kUpArrowCharCode, optionKey, {-8, 0}},
        {kVK_DownArrow, kDownArrowCharCode, optionKey, {8, 0}},
        {kVK_LeftArrow, kLeftArrowCharCode, optionKey | shiftKey, {0, -16}},
        {kVK_RightArrow, kRightArrowCharCode, optionKey | shiftKey, {0, 16}},
        {kVK_UpArrow, kUpArrowCharCode, optionKey | shiftKey, {-16, 0}},
        {kVK_DownArrow, kDownArrowCharCode, optionKey | shiftKey, {16, 0}},
        {kVK_RightArrow, kRightArrowCharCode, shiftKey, {0, 1}},  // Shift alone does not multiply
    };
    std::vector<std::string> image(40, std::string(40, '.'));
    image[18][18] = 'r';
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.charCode) << " mods " << c.mods);
        WindowRef w = MakeDoc(image, 1);
        PaintWinRec* rec = GetPaintWinRec(w);
        Marquee(w, 16, 16, 20, 20);
        Key(c.keyCode, c.charCode, c.mods);
        EXPECT_EQ(rec->selOffset, c.offset);
        const Rect moved{SInt16(16 + c.offset.v), SInt16(16 + c.offset.h), SInt16(20 + c.offset.v),
                         SInt16(20 + c.offset.h)};
        EXPECT_EQ(Bounds(rec->selRgn), RectText(&moved));
        EXPECT_EQ(Bounds(rec->selDispRgn), ZoomedText(moved, 1));
        EXPECT_EQ(rec->undoMode, kUndoMoveSelection);
        EXPECT_EQ(rec->undoSelOffset, c.offset);
        EXPECT_EQ(CharOf(ReadPixel(MapOf(rec->dispPort.get()), 18 + c.offset.h, 18 + c.offset.v)), 'r');
        EXPECT_EQ(CharOf(ReadPixel(MapOf(rec->dispPort.get()), 18, 18)), '.');
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, DroppingAfterAMoveComposesImageAndMask) {
    const std::vector<std::string> mask = {
        "........", ".##.....", ".#......", "........", "........", "........",
    };
    WindowRef w = MakeDoc(kPatch, 1, mask);
    PaintWinRec* rec = GetPaintWinRec(w);
    rec->hasTransparency = true;
    Marquee(w, 1, 1, 3, 3);
    SelectPixels(w, {{1, 1}, {4, 3}});
    ASSERT_EQ(rec->selOffset, (Point{2, 3}));
    Key(kVK_ANSI_KeypadEnter, kEnterCharCode);  // Enter drops, through the key route
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoFixSelection);
    // The transparent pixel of the selection leaves the base showing: white.
    EXPECT_EQ(Image(w), (std::vector<std::string>{
                            "........",
                            "........",
                            "........",
                            "....rg..",
                            "....b...",
                            "........",
                        }));
    EXPECT_EQ(Mask(w), (std::vector<std::string>{
                           "........",
                           "........",
                           "........",
                           "....##..",
                           "....#...",
                           "........",
                       }));
    EXPECT_EQ(Picture(rec->dispPort.get()), Image(w));
    EXPECT_EQ(RectText(&rec->selRect), "0,0,6,8");
    EXPECT_EQ(Bounds(rec->selRgn), "0,0,6,8");
    EXPECT_TRUE(EmptyRgn(rec->selDispRgn));
    EXPECT_EQ(Bounds(rec->updateRgn), "3,4,5,6");
    EXPECT_TRUE(rec->isDirty);
}

TEST_F(SelectionTest, ExchangeSwapsSelectionAndWhatLiesUnderItAndTwiceRestores) {
    const std::vector<std::string> image = {"rgb#..", "......"};
    const std::vector<std::string> mask = {"#.##..", "......"};
    WindowRef w = MakeDoc(image, 2, mask);
    PaintWinRec* rec = GetPaintWinRec(w);
    rec->hasTransparency = true;
    Marquee(w, 0, 0, 2, 1);
    MoveSelection(w, 2, 0, true);
    const Snapshot moved = Snap(rec);
    EXPECT_EQ(moved.disp, (std::vector<std::string>{"..r#..", "......"}));

    ExchangeSelection(w);
    EXPECT_EQ(rec->undoMode, kUndoExchangeSelection);
    EXPECT_EQ(Image(w), (std::vector<std::string>{"b#b#..", "......"}));
    EXPECT_EQ(Mask(w), (std::vector<std::string>{"##....", "......"}));
    EXPECT_EQ(Picture(rec->basePort.get()), (std::vector<std::string>{"..rg..", "......"}));
    EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), (std::vector<std::string>{"..#...", "......"}));
    EXPECT_EQ(Picture(rec->dispPort.get()), (std::vector<std::string>{"..b#..", "......"}));
    EXPECT_EQ(Bounds(rec->updateRgn), "0,2,1,4");

    ExchangeSelection(w);
    ExpectSame(Visible(Snap(rec)), Visible(moved));
    EXPECT_TRUE(rec->isDirty);
}

TEST_F(SelectionTest, ExchangeWithNothingFloatingOnlyBeeps) {
    WindowRef w = MakeDoc(kPatch);
    PaintWinRec* rec = GetPaintWinRec(w);
    const Snapshot before = Snap(rec);
    const UInt32 beeps = SysBeepCount();
    ExchangeSelection(w);
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    ExpectSame(Snap(rec), before);
    EXPECT_EQ(rec->undoMode, kUndoNone);
    EXPECT_FALSE(rec->isDirty);
}

TEST_F(SelectionTest, OnlySelectingLeavesTheDocumentUnmodified) {
    struct Case {
        const char* name;
        void (*edit)(WindowRef);
        Boolean dirty;
    };
    const Case cases[] = {
        {"marquee", [](WindowRef w) { Marquee(w, 1, 1, 3, 3); }, false},
        {"select all", [](WindowRef w) { SelectWholePicture(w); }, false},
        {"move by key", [](WindowRef w) { Marquee(w, 1, 1, 3, 3); Key(kVK_RightArrow, kRightArrowCharCode); }, true},
        {"drag", [](WindowRef w) { Marquee(w, 1, 1, 3, 3); SelectPixels(w, {{1, 1}, {2, 2}}); }, true},
        {"drop", [](WindowRef w) { Marquee(w, 1, 1, 3, 3); FixSelection(w); }, true},
        {"select all drops the selection first", [](WindowRef w) { Marquee(w, 1, 1, 3, 3); SelectWholePicture(w); },
         true},
        {"exchange", [](WindowRef w) { Marquee(w, 1, 1, 3, 3); ExchangeSelection(w); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakeDoc(kPatch);
        c.edit(w);
        EXPECT_EQ(GetPaintWinRec(w)->isDirty, c.dirty);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, UndoAndRedoOfEachSelectionEditRestoreEveryBuffer) {
    const std::vector<std::string> mask = {
        "########", "#.######", "##.#####", "########", "######..", "######..",
    };
    struct Case {
        const char* name;
        void (*prepare)(WindowRef);
        void (*edit)(WindowRef);
        SInt16 mode;
    };
    const Case cases[] = {
        {"select", [](WindowRef) {}, [](WindowRef w) { Marquee(w, 1, 1, 4, 3); }, kUndoSelect},
        {"move", [](WindowRef w) { Marquee(w, 1, 1, 4, 3); },
         [](WindowRef w) { SelectPixels(w, {{1, 1}, {3, 4}}); }, kUndoMoveSelection},
        {"drop", [](WindowRef w) { Marquee(w, 1, 1, 4, 3); }, [](WindowRef w) { FixSelection(w); },
         kUndoFixSelection},
        {"exchange", [](WindowRef w) { Marquee(w, 1, 1, 4, 3); MoveSelection(w, 3, 2, true); },
         [](WindowRef w) { ExchangeSelection(w); }, kUndoExchangeSelection},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakeDoc(kPatch, 1, mask);
        PaintWinRec* rec = GetPaintWinRec(w);
        rec->hasTransparency = true;
        c.prepare(w);
        const Snapshot before = Snap(rec);
        c.edit(w);
        ASSERT_EQ(rec->undoMode, c.mode);
        const Snapshot after = Snap(rec);
        DoUndo();
        ExpectSame(Visible(Snap(rec)), Visible(before));
        EXPECT_EQ(rec->undoMode, c.mode == kUndoExchangeSelection ? c.mode : -c.mode);
        DoUndo();
        ExpectSame(Snap(rec), after);
        EXPECT_EQ(rec->undoMode, c.mode);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, MarqueeDrawnTwiceLeavesThePortsAsTheyWere) {
    WindowRef w = MakeDoc(kPatch, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    Marquee(w, 1, 1, 5, 4);
    Settle();
    RunPendingEvents();
    const std::vector<UInt8> port = Bytes(GetWindowPort(w));
    const std::vector<UInt8> preview = gPreviewWindow ? Bytes(GetWindowPort(gPreviewWindow)) : std::vector<UInt8>{};
    DispSelection(w);
    EXPECT_NE(Bytes(GetWindowPort(w)), port);
    DispSelection(w);
    EXPECT_EQ(Bytes(GetWindowPort(w)), port);
    if (gPreviewWindow) {
        EXPECT_EQ(Bytes(GetWindowPort(gPreviewWindow)), preview);
    }
    EXPECT_TRUE(rec->selShown);
}

TEST_F(SelectionTest, HiddenMarqueeStaysHiddenThroughAMove) {
    WindowRef w = MakeDoc(kPatch, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    Marquee(w, 1, 1, 3, 3);
    Settle();
    RunPendingEvents();
    DispSelection(w);
    rec->selShown = false;
    Key(kVK_DownArrow, kDownArrowCharCode);
    Settle();
    RunPendingEvents();
    // Without the marquee the window shows exactly the zoomed picture.
    const PixMap& pm = **GetPortPixMap(GetWindowPort(w));
    const std::vector<std::string> disp = Picture(rec->dispPort.get());
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(ReadPixel(pm, x, y), ColorOf(disp[size_t(y / 4)][size_t(x / 4)]));
        }
}

TEST_F(SelectionTest, CommandMarqueeSelectsTheContentInsideIt) {
    const std::vector<std::string> image = {
        "..........",
        ".####.....",
        ".#..#..r..",
        ".####..rr.",
        "..........",
    };
    struct Case {
        const char* name;
        int x0, y0, x1, y1;
        std::vector<Rect> selRgn;  // empty: nothing selected
    };
    const Case cases[] = {
        {"a ring with its white inside", 0, 0, 6, 5, {MakeRect(1, 1, 4, 5)}},
        {"an L without the white beside it", 6, 1, 10, 5,
         {MakeRect(2, 7, 3, 8), MakeRect(3, 7, 4, 9)}},
        {"only white", 5, 0, 7, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakeDoc(image, 1);
        PaintWinRec* rec = GetPaintWinRec(w);
        Marquee(w, c.x0, c.y0, c.x1, c.y1, cmdKey);
        EXPECT_EQ(rec->isFloating, !c.selRgn.empty());
        if (c.selRgn.empty()) {
            EXPECT_EQ(Bounds(rec->selRgn), "0,0,5,10");
            EXPECT_TRUE(EmptyRgn(rec->selDispRgn));
            EXPECT_EQ(rec->undoMode, kUndoNone);
        } else {
            EXPECT_EQ(RectsText(RegionRects(rec->selRgn)), RectsText(c.selRgn));
            EXPECT_EQ(rec->undoMode, kUndoSelect);
        }
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, ShapedSelectionMovesAndDropsOnlyItsPixels) {
    const std::vector<std::string> image = {
        "..........",
        "..........",
        "bbbbbbb...",
        "bbbbbbb...",
        "..........",
    };
    WindowRef w = MakeDoc(image, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    // An L of red over the blue band, lifted as content.
    const PixMap& off = MapOf(rec->offPort.get());
    for (auto [x, y] : {std::pair{1, 1}, std::pair{1, 2}, std::pair{2, 2}}) WritePixel(off, x, y, kRed);
    ComposeDispPort(rec);
    Marquee(w, 0, 0, 4, 2, cmdKey);  // rows 0 and 1 only: the red pixel at (1, 1)
    EXPECT_EQ(RectsText(RegionRects(rec->selRgn)), RectsText({MakeRect(1, 1, 2, 2)}));
    FixSelection(w);
    Marquee(w, 0, 1, 4, 4, cmdKey);  // the red L and the band under it: one shape
    ASSERT_TRUE(rec->isFloating);
    EXPECT_EQ(Bounds(rec->selRgn), "1,0,4,4");
    Key(kVK_RightArrow, kRightArrowCharCode, optionKey);  // 8 to the right: partly off the picture
    EXPECT_EQ(Picture(rec->dispPort.get()), (std::vector<std::string>{
                                                "..........",
                                                ".........r",
                                                "....bbb.br",
                                                "....bbb.bb",
                                                "..........",
                                            }));
    FixSelection(w);
    EXPECT_EQ(Image(w), Picture(rec->dispPort.get()));
    DoUndo();  // the drop undone: the pixels beyond the edge are still there
    Key(kVK_LeftArrow, kLeftArrowCharCode, optionKey);
    EXPECT_EQ(Picture(rec->dispPort.get()), (std::vector<std::string>{
                                                "..........",
                                                ".r........",
                                                "brrbbbb...",
                                                "bbbbbbb...",
                                                "..........",
                                            }));
}

TEST_F(SelectionTest, DropWithoutRoomForTheUndoCopyLeavesTheSelection) {
    WindowRef w = MakeDoc(kPatch, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    Marquee(w, 1, 1, 3, 3);
    Key(kVK_RightArrow, kRightArrowCharCode);
    RunPendingEvents();
    const Snapshot before = Snap(rec);
    const std::vector<UInt8> port = Bytes(GetWindowPort(w));
    // Without a mask to copy the snapshot fails, as it would for want of memory.
    UniqueGWorld mask = std::move(rec->maskPort);
    ResetScriptLog();
    FixSelection(w);
    EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{kErrorAlertID}));
    EXPECT_EQ(rec->undoMode, kUndoNone);
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(Bytes(GetWindowPort(w)), port);  // the marquee is back where it was
    rec->maskPort = std::move(mask);
    ExpectSame(Snap(rec), before);
}

TEST_F(SelectionTest, MarqueeAndDragThroughTheEventRouteLeaveTheWindowShowingThePicture) {
    InitTools();  // the tools take the paint windows' clicks
    WindowRef w = MakeDoc(kPatch, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    auto press = [&](std::vector<std::pair<int, int>> pixels) {
        ScriptMouseDown(Global(w, Local(w, pixels.front().first, pixels.front().second)));
        for (size_t i = 1; i < pixels.size(); ++i) {
            ScriptMouseMove(Global(w, Local(w, pixels[i].first, pixels[i].second)));
            ScriptWait(2);
        }
        ScriptMouseUp(Global(w, Local(w, pixels.back().first, pixels.back().second)));
        RunPendingEvents();
    };
    press({{0, 0}, {2, 2}, {3, 3}});
    ASSERT_TRUE(rec->isFloating);
    EXPECT_EQ(RectText(&rec->selRect), "0,0,3,3");
    press({{1, 1}, {3, 2}, {5, 3}});
    EXPECT_EQ(rec->selOffset, (Point{2, 4}));
    // With the marquee taken away the window holds exactly the zoomed picture.
    DispSelection(w);
    const PixMap& pm = **GetPortPixMap(GetWindowPort(w));
    const std::vector<std::string> disp = Picture(rec->dispPort.get());
    EXPECT_EQ(disp, (std::vector<std::string>{
                        "........",
                        "........",
                        "........",
                        ".....rg.",
                        ".....b#.",
                        "........",
                    }));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(ReadPixel(pm, x, y), ColorOf(disp[size_t(y / 4)][size_t(x / 4)]));
        }
}

TEST_F(SelectionTest, LiveDragComposesAsTheDocumentDoesInBothModes) {
    const std::vector<std::string> mask = {
        "########", "#.######", "##.#####", "########", "########", "########",
    };
    for (SInt16 mode : {SInt16(0), SInt16(blend)}) {
        SCOPED_TRACE(mode);
        WindowRef w = MakeDoc({"bbbbbbbb", ".rg.....", ".b#.....", "gggggggg", "........", "rrrrrrrr"}, 1, mask);
        PaintWinRec* rec = GetPaintWinRec(w);
        Marquee(w, 0, 0, 4, 3);
        rec->selMode = mode;
        ComposeDispPort(rec);
        SelectPixels(w, {{1, 1}, {2, 2}, {3, 4}});
        ASSERT_EQ(rec->selOffset, (Point{3, 2}));
        const std::vector<UInt8> live = Bytes(rec->dispPort.get());
        ComposeDispPort(rec);
        EXPECT_EQ(Bytes(rec->dispPort.get()), live);
        CloseAllDocuments();
    }
}
