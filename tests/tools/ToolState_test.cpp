// The tool state: transparency items, tool choice, colours, the foreground
// blend, the pen-size pop-up, the info window, erase-all from the palette and
// the dispatch of clicks in a paint window.
#include "tests/tools/PencilTestSupport.h"

#include "paint/Undo.h"
#include "platform/raster/Pen.h"

using namespace penciltest;

namespace {

// A pop-up's scripted answer. Reading the pointer to place the pop-up plays
// one scripted action, so a short wait goes first.
void AnswerPopUp(MenuID menu, MenuItemIndex item) {
    ScriptWait(1);
    ScriptMenuChoice(MenuChoice(menu, item));
}

class ToolStateTest : public StrokeTest {
protected:
    void TearDown() override {
        gOtherToolClickProc = nullptr;
        StrokeTest::TearDown();
    }
};

struct OtherClick {
    int count = 0;
    SInt16 tool = -1;
};
OtherClick gOtherClick;

void RecordOtherClick(WindowRef, Point, const EventRecord*, SInt16 tool) {
    ++gOtherClick.count;
    gOtherClick.tool = tool;
}

}  // namespace

TEST_F(ToolStateTest, TransparencyItemsSetModeAndWeight) {
    struct Case {
        SInt16 item;
        SInt16 mode;
        UInt16 weight;
    };
    const Case cases[] = {{2, blend, 0xC000}, {3, blend, 0x8000}, {4, blend, 0x4000}, {1, srcCopy, 0x4000}};
    gBlendRatio = RGBColor{1, 1, 1};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        HandleBlendChoice(c.item);
        EXPECT_EQ(gBSelectedItem, c.item);
        EXPECT_EQ(gBlendMode, c.mode);
        EXPECT_EQ(gBlendRatio, (RGBColor{c.weight, c.weight, c.weight}));  // item 1 keeps the last weight
        if (MenuRef menu = GetMenuHandle(kBlendMenuID)) {
            for (MenuItemIndex i = 1; i <= 4; ++i) {
                UInt16 mark = 0;
                GetItemMark(menu, i, &mark);
                EXPECT_EQ(mark != 0, i == c.item) << i;
            }
        }
    }
    HandleBlendChoice(5);
    EXPECT_EQ(gBSelectedItem, 1);
}

TEST_F(ToolStateTest, ToolSelectMovesTheHighlightAndIgnoresUnknownTools) {
    gSelectedTool = kPencilTool;
    gToolRect = Rect{3, 3, 25, 32};
    for (SInt16 tool : {kBucketTool, kSelectionTool, kEraserTool, kEyedropperTool}) {
        ToolSelect(tool);
        EXPECT_EQ(gSelectedTool, tool);
        const Rect cell{SInt16(3 + 25 * tool), 3, SInt16(25 + 25 * tool), 32};
        EXPECT_EQ(RectText(&gToolRect), RectText(&cell));
    }
    ToolSelect(5);
    ToolSelect(-1);
    EXPECT_EQ(gSelectedTool, kEyedropperTool);
}

TEST_F(ToolStateTest, ColourChangesKeepThePreviousPenColour) {
    gCurrentColor = ColorRec{kRed, 0};
    gPrevColor = ColorRec{kBlack, 0};
    ChangeColor(&kRed, false);  // unchanged: nothing happens
    EXPECT_EQ(gPrevColor, (ColorRec{kBlack, 0}));
    ChangeColor(&kRed, true);   // the flag alone is a change
    EXPECT_EQ(gCurrentColor, (ColorRec{kRed, 1}));
    EXPECT_EQ(gPrevColor, (ColorRec{kRed, 0}));
    ChangeBackColor(&kBlue, true);
    EXPECT_EQ(gBackColor, (ColorRec{kBlue, 1}));
    EXPECT_EQ(gPrevColor, (ColorRec{kRed, 0}));
}

TEST_F(ToolStateTest, PenSizePopUpSetsWidthAndHeightFromTheItem) {
    struct Case {
        SInt16 item;
        SInt16 width, height;
    };
    const Case cases[] = {{1, 1, 1}, {4, 4, 1}, {6, 2, 2}, {13, 1, 4}, {16, 4, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        SInt16 w = 3, h = 3;
        AnswerPopUp(146, MenuItemIndex(c.item));
        EXPECT_TRUE(ChangePESize(&w, &h));
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        ClearScript();
    }
    // Dismissed: the sizes stay.
    SInt16 w = 3, h = 2;
    EXPECT_FALSE(ChangePESize(&w, &h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
}

TEST_F(ToolStateTest, ChoosingAnEraserSizeMovesTheCheckAndSelectsTheEraser) {
    gSelectedTool = kPencilTool;
    gEraserWidth = 2;
    gEraserHeight = 1;
    MenuRef sizes = GetMenuHandle(kEraserSizeMenuID);
    if (sizes) CheckMenuItem(sizes, 2, true);
    AnswerPopUp(146, 7);  // 3 x 2
    ChangeEraserSize();
    EXPECT_EQ(gEraserWidth, 3);
    EXPECT_EQ(gEraserHeight, 2);
    EXPECT_EQ(gSelectedTool, kEraserTool);
    if (sizes) {
        UInt16 mark = 0;
        GetItemMark(sizes, 2, &mark);
        EXPECT_EQ(mark, 0);
        GetItemMark(sizes, 7, &mark);
        EXPECT_NE(mark, 0);
    }
}

TEST_F(ToolStateTest, InfoWindowShowsBothFootprints) {
    ASSERT_NE(InfoWindow, nullptr);
    struct Case {
        SInt16 penW, penH, eraserW, eraserH;
        Rect pen, eraser;  // top, left, bottom, right
    };
    const Case cases[] = {
        {1, 1, 4, 4, {9, 9, 10, 10}, {7, 25, 11, 29}},
        {3, 2, 2, 3, {8, 8, 10, 11}, {8, 26, 11, 28}},
    };
    for (const Case& c : cases) {
        gPenWidth = c.penW;
        gPenHeight = c.penH;
        gEraserWidth = c.eraserW;
        gEraserHeight = c.eraserH;
        RedrawInfo(InfoWindow);
        const PixMap& port = **GetPortPixMap(GetWindowPort(InfoWindow));
        Rect bounds;
        GetWindowPortBounds(InfoWindow, &bounds);
        for (const Rect& r : {c.pen, c.eraser})
            for (int v = r.top; v < r.bottom; ++v)
                for (int h = r.left; h < r.right; ++h)
                    EXPECT_EQ(ReadPixel(port, h - bounds.left, v - bounds.top), kBlack) << h << "," << v;
    }
}

TEST_F(ToolStateTest, DoubleClickOnTheEraserErasesAllAndKeepsTheTool) {
    struct Case {
        const char* name;
        ColorRec back;
        char pixel, mask;
    };
    const Case cases[] = {
        {"opaque background colour", ColorRec{kGreen, 0}, 'g', '#'},
        {"transparent background colour", ColorRec{kGreen, 1}, 'g', '.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakePaint(5, 3, 1);
        Fill(w, {"rrrrr", "r#b#r", "rrrrr"});
        gBackColor = c.back;
        gSelectedTool = kPencilTool;
        // The second click of the double-click is waiting when the first is handled.
        Rect content;
        GetWindowBounds(gToolPalette, kWindowContentRgn, &content);
        const Point local{35, 10};  // the eraser's cell
        const Point global{SInt16(content.top + local.v), SInt16(content.left + local.h)};
        ScriptMouseMove(global);
        ScriptMouseDown(global);
        ClickToolPalette(local, TickCount());
        ClearScript();
        FlushEvents(everyEvent, 0);
        EXPECT_EQ(gSelectedTool, kPencilTool);
        PaintWinRec* rec = GetPaintWinRec(w);
        EXPECT_EQ(Image(w), std::vector<std::string>(3, std::string(5, c.pixel)));
        EXPECT_EQ(Mask(w), std::vector<std::string>(3, std::string(5, c.mask)));
        EXPECT_EQ(rec->undoMode, kUndoPaint);
        DoUndo();
        EXPECT_EQ(Image(w), (std::vector<std::string>{"rrrrr", "r#b#r", "rrrrr"}));
        CloseAllDocuments();
    }
}

TEST_F(ToolStateTest, SingleClickOnThePaletteOnlyChoosesTheTool) {
    gSelectedTool = kPencilTool;
    ClickToolPalette(Point{60, 10}, TickCount());  // v 60: the selection tool
    EXPECT_EQ(gSelectedTool, kSelectionTool);
    ClickToolPalette(Point{-1, 10}, TickCount());
    EXPECT_EQ(gSelectedTool, kSelectionTool);
}

TEST_F(ToolStateTest, PaintWindowClicksGoToTheToolInForce) {
    WindowRef w = MakePaint(6, 4, 2);
    PaintWinRec* rec = GetPaintWinRec(w);
    gOtherToolClickProc = RecordOtherClick;
    gOtherClick = {};
    auto click = [&](EventModifiers mods) {
        EventRecord ev{};
        ev.what = mouseDown;
        ev.modifiers = mods;
        const Point local = Local(w, 2, 1);
        ScriptMouseUp(Global(w, local));
        ClickPaintWindowMain(w, local, &ev);
        ClearScript();
        FlushEvents(everyEvent, 0);
    };
    // Option with the pencil: the eyedropper takes the pixel's colour.
    WritePixel(MapOf(rec->offPort.get()), 2, 1, kBlue);
    {
        SavedGWorld saved;
        SetGWorld(rec->maskPort.get(), nullptr);
        PaintRect(&rec->picRect);
    }
    ComposeDispPort(rec);
    gSelectedTool = kPencilTool;
    click(optionKey);
    EXPECT_EQ(gCurrentColor, (ColorRec{kBlue, 0}));
    EXPECT_EQ(gOtherClick.count, 0);
    // Option with the selection tool stays the selection tool, which takes the hook.
    gSelectedTool = kSelectionTool;
    click(optionKey);
    EXPECT_EQ(gOtherClick.count, 1);
    EXPECT_EQ(gOtherClick.tool, kSelectionTool);
    gCurrentColor = ColorRec{kBlack, 0};
    WritePixel(MapOf(rec->offPort.get()), 2, 1, kWhite);
    ComposeDispPort(rec);

    // Command with the pencil: dot mode, which the next click ends.
    gSelectedTool = kPencilTool;
    gToolPrefs.commandClickErases = 0;
    click(cmdKey);
    EXPECT_TRUE(rec->dotMode);
    EXPECT_EQ(rec->dotPos.h, 2);
    EXPECT_EQ(rec->dotPos.v, 1);
    click(0);
    EXPECT_FALSE(rec->dotMode);
    EXPECT_EQ(Image(w)[1], "......");  // the ending click paints nothing

    // A plain click paints; with the preference, Command erases.
    click(0);
    EXPECT_EQ(Image(w)[1], "..#...");
    gToolPrefs.commandClickErases = 1;
    gBackColor = ColorRec{kGreen, 0};
    click(cmdKey);
    EXPECT_EQ(Image(w)[1], "..g...");
}

TEST_F(ToolStateTest, InfoWindowLowerPartPopsUpTheTransparencyMenu) {
    gBSelectedItem = 1;
    gBlendMode = srcCopy;
    AnswerPopUp(142, 3);
    ClickInfoWindow(Point{20, 5});
    EXPECT_EQ(gBSelectedItem, 3);
    EXPECT_EQ(gBlendMode, blend);
    EXPECT_EQ(gBlendRatio, (RGBColor{0x8000, 0x8000, 0x8000}));
    // The upper part at the left is the pen's size.
    AnswerPopUp(146, 6);
    ClickInfoWindow(Point{5, 10});
    EXPECT_EQ(gPenWidth, 2);
    EXPECT_EQ(gPenHeight, 2);
    ClickInfoWindow(Point{-1, 5});
    EXPECT_EQ(gBSelectedItem, 3);
}

TEST_F(ToolStateTest, ToolLettersAndZFromTheKeyboard) {
    WindowRef w = MakePaint(4, 2, 1);
    auto key = [](char ch) {
        EventRecord ev{};
        ev.what = keyDown;
        ev.message = UInt32(UInt8(ch));
        HandleKeyDown(&ev);
    };
    struct Case {
        SInt16 before;
        char ch;
        SInt16 after;
    };
    const Case cases[] = {
        {kPencilTool, 'p', kEraserTool}, {kEraserTool, 'P', kPencilTool}, {kEraserTool, 'e', kPencilTool},
        {kBucketTool, 'E', kEraserTool}, {kPencilTool, 'm', kSelectionTool}, {kPencilTool, 'I', kEyedropperTool},
        {kPencilTool, 'k', kBucketTool},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        gSelectedTool = c.before;
        key(c.ch);
        EXPECT_EQ(gSelectedTool, c.after);
    }
    gSelectedTool = kPencilTool;
    DragPixels(w, {{1, 1}}, DoPaint);
    EXPECT_EQ(Image(w)[1], ".#..");
    key('z');
    EXPECT_EQ(Image(w)[1], "....");
    key('Z');
    EXPECT_EQ(Image(w)[1], ".#..");
}
