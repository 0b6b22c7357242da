// The selection tool on real paint windows with scripted mouse and key input:
// the marquee, lifting, dragging, moving by keys, dropping, exchanging, the
// marquee drawing and the undo of every selection edit.
#include "tests/support/PaintTestSupport.h"

#include "app/Alerts.h"

using namespace painttest;

namespace {

// A document of 8 x 6 with a 2 x 2 patch at (1, 1).
const Rows kPatch = {"........", ".rg.....", ".b#.....", "........", "........", "........"};

}  // namespace

TEST_F(SelectionTest, MarqueeHoldsItsStartPixelInEveryDirection) {
    struct Case { int x0, y0, x1, y1; const char* selRect; };
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
    struct Case { UInt16 gridSetting; int x0, y0, x1, y1; const char* selRect; };
    const Case cases[] = {
        {0x21, 20, 20, 40, 40, "16,16,32,32"},  // 16-pixel blocks
        {0x21, 40, 20, 5, 40, "16,0,32,48"},    // leftward: one more block, holding the start block
        {0x11, 40, 40, 5, 70, "32,0,64,64"},    // 32-pixel blocks
        {0x11, 70, 70, 20, 20, "0,0,96,96"},    // both ways back: up to the picture's edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.gridSetting << std::dec << " " << c.x0 << "," << c.y0);
        gToolPrefs.gridSetting = c.gridSetting;
        WindowRef w = MakeDoc(Rows(96, std::string(96, '.')));
        Marquee(w, c.x0, c.y0, c.x1, c.y1, shiftKey);
        EXPECT_EQ(RectText(&GetPaintWinRec(w)->selRect), c.selRect);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, MarqueeDraggedBeyondTheWindowStaysInThePicture) {
    for (auto [end, selRect] : {std::pair{Point{400, 500}, "3,5,6,8"}, std::pair{Point{-60, -90}, "0,0,4,6"}}) {
        WindowRef w = MakeDoc(kPatch, 2);
        SelectDrag(w, {Local(w, 5, 3), end});
        EXPECT_EQ(RectText(&GetPaintWinRec(w)->selRect), selRect);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, EmptyMarqueeSelectsNothing) {
    auto [w, rec] = MakeDoc(kPatch);
    const std::string before = State(w);
    SelectPixels(w, {{3, 3}});
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(State(w), before);
    EXPECT_EQ(rec->undoMode, kUndoNone);
}

TEST_F(SelectionTest, LiftingFillsTheHoleByTheBackground) {
    const Rows image = {"rrggbb", "rrggbb", "##..##", "##..##"};
    const Rows mask = {"######", "###...", "######", "......"};
    struct Case { const char* name; Boolean hasTransparency; Boolean backTransparent; Rows base, baseMask, disp; };
    const Case cases[] = {
        {"opaque background colour", false, false, {"rrrrbb", "rrrrbb", "#rrr##", "##..##"},
         {"######", "####..", "######", "......"}, {"rrggbb", "rrgrbb", "##..##", "##..##"}},
        {"transparent document", true, false, {"r...bb", "r...bb", "#...##", "##..##"},
         {"#...##", "#.....", "#...##", "......"}, {"rrggbb", "rrg.bb", "##..##", "##..##"}},
        {"transparent background colour", false, true, {"rrrrbb", "rrrrbb", "#rrr##", "##..##"},
         {"#...##", "#.....", "#...##", "......"}, {"rrggbb", "rrgrbb", "##..##", "##..##"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gBackColor = ColorRec{kRed, UInt8(c.backTransparent ? 1 : 0)};
        auto [w, rec] = MakeDoc(image, 1, mask);
        rec->hasTransparency = c.hasTransparency;
        Marquee(w, 1, 0, 4, 3);
        EXPECT_EQ(RectText(&rec->selRect), "0,1,3,4");
        EXPECT_EQ(Image(w), image);  // the lifted pixels stay where they were
        EXPECT_EQ(Mask(w), (Rows{".###..", ".##...", ".###..", "......"}));
        EXPECT_EQ(Picture(rec->basePort.get()), c.base);
        EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), c.baseMask);
        EXPECT_EQ(Shown(w), c.disp);
        EXPECT_EQ(Bounds(rec->updateRgn), "0,1,3,4");
        EXPECT_EQ(rec->selMode, 0);
        CloseAllDocuments();
    }
}

TEST_F(SelectionTest, ClickWithoutMovingDropsOnlyAWholePictureSelection) {
    auto [w, rec] = MakeDoc(kPatch, 1);
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
    const std::string selected = State(w);
    SelectPixels(w, {{2, 2}});
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoSelect);
    EXPECT_EQ(State(w), selected);
    // Selecting all drops the floating selection first: a change of the picture.
    SelectWholePicture(w);
    EXPECT_TRUE(rec->isDirty);
}

TEST_F(SelectionTest, DraggingMovesByThePointer) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> path;
        EventModifiers mods;
        const char* selRgn;
        Point offset;
        Rows disp;
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
            auto [w, rec] = MakeDoc(kPatch, ratio);
            Marquee(w, 1, 1, 3, 3);
            SelectPixels(w, c.path, c.mods);
            EXPECT_TRUE(rec->isFloating);
            EXPECT_EQ(Bounds(rec->selRgn), c.selRgn);
            EXPECT_EQ(rec->selOffset, c.offset);
            EXPECT_EQ(RectText(&rec->selRect), "1,1,3,3");
            EXPECT_EQ(Shown(w), c.disp);
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
    struct Case { UInt8 keyCode, charCode; EventModifiers mods; Point offset; };
    const Case cases[] = {
        {kVK_LeftArrow, kLeftArrowCharCode, 0, {0, -1}}, {kVK_RightArrow, kRightArrowCharCode, 0, {0, 1}},
        {kVK_UpArrow, kUpArrowCharCode, 0, {-1, 0}}, {kVK_DownArrow, kDownArrowCharCode, 0, {1, 0}},
        {kVK_LeftArrow, kLeftArrowCharCode, optionKey, {0, -8}},
        {kVK_RightArrow, kRightArrowCharCode, optionKey, {0, 8}}, {kVK_UpArrow, kUpArrowCharCode, optionKey, {-8, 0}},
        {kVK_DownArrow, kDownArrowCharCode, optionKey, {8, 0}},
        {kVK_LeftArrow, kLeftArrowCharCode, optionKey | shiftKey, {0, -16}},
        {kVK_RightArrow, kRightArrowCharCode, optionKey | shiftKey, {0, 16}},
        {kVK_UpArrow, kUpArrowCharCode, optionKey | shiftKey, {-16, 0}},
        {kVK_DownArrow, kDownArrowCharCode, optionKey | shiftKey, {16, 0}},
        {kVK_RightArrow, kRightArrowCharCode, shiftKey, {0, 1}},  // Shift alone does not multiply
    };
    Rows image(40, std::string(40, '.'));
    image[18][18] = 'r';
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.charCode) << " mods " << c.mods);
        auto [w, rec] = MakeDoc(image, 1);
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
    const Rows mask = {
        "........", ".##.....", ".#......", "........", "........", "........",
    };
    auto [w, rec] = MakeDoc(kPatch, 1, mask);
    rec->hasTransparency = true;
    Marquee(w, 1, 1, 3, 3);
    SelectPixels(w, {{1, 1}, {4, 3}});
    ASSERT_EQ(rec->selOffset, (Point{2, 3}));
    Key(kVK_ANSI_KeypadEnter, kEnterCharCode);  // Enter drops, through the key route
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(rec->undoMode, kUndoFixSelection);
    // The transparent pixel of the selection leaves the base showing: white.
    EXPECT_EQ(Image(w), (Rows{"........", "........", "........", "....rg..", "....b...", "........"}));
    EXPECT_EQ(Mask(w), (Rows{"........", "........", "........", "....##..", "....#...", "........"}));
    EXPECT_EQ(Shown(w), Image(w));
    EXPECT_EQ(RectText(&rec->selRect), "0,0,6,8");
    EXPECT_EQ(Bounds(rec->selRgn), "0,0,6,8");
    EXPECT_TRUE(EmptyRgn(rec->selDispRgn));
    EXPECT_EQ(Bounds(rec->updateRgn), "3,4,5,6");
    EXPECT_TRUE(rec->isDirty);
}

TEST_F(SelectionTest, ExchangeSwapsSelectionAndWhatLiesUnderItAndTwiceRestores) {
    const Rows image = {"rgb#..", "......"};
    const Rows mask = {"#.##..", "......"};
    auto [w, rec] = MakeDoc(image, 2, mask);
    rec->hasTransparency = true;
    Marquee(w, 0, 0, 2, 1);
    MoveSelection(w, 2, 0, true);
    const std::string moved = State(w);
    EXPECT_EQ(Shown(w), (Rows{"..r#..", "......"}));

    ExchangeSelection(w);
    EXPECT_EQ(rec->undoMode, kUndoExchangeSelection);
    EXPECT_EQ(Image(w), (Rows{"b#b#..", "......"}));
    EXPECT_EQ(Mask(w), (Rows{"##....", "......"}));
    EXPECT_EQ(Picture(rec->basePort.get()), (Rows{"..rg..", "......"}));
    EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), (Rows{"..#...", "......"}));
    EXPECT_EQ(Shown(w), (Rows{"..b#..", "......"}));
    EXPECT_EQ(Bounds(rec->updateRgn), "0,2,1,4");

    ExchangeSelection(w);
    EXPECT_EQ(State(w), moved);
    EXPECT_TRUE(rec->isDirty);
}

TEST_F(SelectionTest, ShapedSelectionMovesAndDropsOnlyItsPixels) {
    const Rows image = {"..........", "..........", "bbbbbbb...", "bbbbbbb...", ".........."};
    auto [w, rec] = MakeDoc(image, 2);
    // An L of red over the blue band, lifted as content.
    const PixMap& off = MapOf(rec->offPort.get());
    for (auto [x, y] : {std::pair{1, 1}, std::pair{1, 2}, std::pair{2, 2}}) WritePixel(off, x, y, kRed);
    ComposeDispPort(rec);
    Marquee(w, 0, 0, 4, 2, cmdKey);  // rows 0 and 1 only: the red pixel at (1, 1)
    EXPECT_EQ(Bounds(rec->selRgn), "1,1,2,2");
    FixSelection(w);
    Marquee(w, 0, 1, 4, 4, cmdKey);  // the red L and the band under it: one shape
    ASSERT_TRUE(rec->isFloating);
    EXPECT_EQ(Bounds(rec->selRgn), "1,0,4,4");
    Key(kVK_RightArrow, kRightArrowCharCode, optionKey);  // 8 to the right: partly off the picture
    EXPECT_EQ(Shown(w), (Rows{"..........", ".........r", "....bbb.br", "....bbb.bb", ".........."}));
    FixSelection(w);
    EXPECT_EQ(Image(w), Shown(w));
    DoUndo();  // the drop undone: the pixels beyond the edge are still there
    Key(kVK_LeftArrow, kLeftArrowCharCode, optionKey);
    EXPECT_EQ(Shown(w), (Rows{"..........", ".r........", "brrbbbb...", "bbbbbbb...", ".........."}));
}

TEST_F(SelectionTest, DropWithoutRoomForTheUndoCopyLeavesTheSelection) {
    auto [w, rec] = MakeDoc(kPatch, 2);
    Marquee(w, 1, 1, 3, 3);
    Key(kVK_RightArrow, kRightArrowCharCode);
    RunPendingEvents();
    const std::string before = State(w);
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
    EXPECT_EQ(State(w), before);
}

TEST_F(SelectionTest, MarqueeAndDragThroughTheEventRouteLeaveTheWindowShowingThePicture) {
    InitTools();  // the tools take the paint windows' clicks
    auto [w, rec] = MakeDoc(kPatch, 2);
    auto press = [&, w = w](std::vector<std::pair<int, int>> pixels) {
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
    EXPECT_EQ(Shown(w), (Rows{"........", "........", "........", ".....rg.", ".....b#.", "........"}));
    ExpectWindowShowsImage(w);
}

TEST_F(SelectionTest, LiveDragComposesAsTheDocumentDoesInBothModes) {
    const Rows mask = {
        "########", "#.######", "##.#####", "########", "########", "########",
    };
    for (SInt16 mode : {SInt16(0), SInt16(blend)}) {
        SCOPED_TRACE(mode);
        auto [w, rec] = MakeDoc({"bbbbbbbb", ".rg.....", ".b#.....", "gggggggg", "........", "rrrrrrrr"}, 1, mask);
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
