// The tool state: tool choice, the foreground blend, the size pop-ups, the
// info window, erase-all from the palette and the dispatch of clicks and keys
// in a paint window.
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

// A pop-up's scripted answer. Reading the pointer to place the pop-up plays
// one scripted action, so a short wait goes first.
void AnswerPopUp(MenuID menu, MenuItemIndex item) {
    ScriptWait(1);
    ScriptMenuChoice(MenuChoice(menu, item));
}

class ToolStateTest : public ToolTest {
protected:
    void TearDown() override {
        gOtherToolClickProc = nullptr;
        ToolTest::TearDown();
    }
};

struct OtherClick { int count = 0; SInt16 tool = -1; };
OtherClick gOtherClick;

void RecordOtherClick(WindowRef, Point, const EventRecord*, SInt16 tool) {
    ++gOtherClick.count;
    gOtherClick.tool = tool;
}

}  // namespace

TEST_F(ToolStateTest, ForegroundBlendByLevel) {
    auto [w, rec] = MakePaint(4, 4, 0);
    const UInt16 weights[] = {0, 0xC000, 0x8000, 0x4000, 0x0000};
    SavedGWorld saved;
    SetGWorld(rec->dispPort.get(), nullptr);
    for (SInt16 level = 0; level <= 4; ++level) {
        SCOPED_TRACE(level);
        rec->foreTrans = level;
        const RGBColor marker{7, 7, 7};
        OpColor(&marker);
        const SInt16 mode = SetForeBlend(rec);
        EXPECT_EQ(mode, level == 0 ? srcCopy : blend);
        const RGBColor want = level == 0 ? marker : RGBColor{weights[level], weights[level], weights[level]};
        EXPECT_EQ(rec->dispPort.get()->rgbOpColor, want);
    }
}

TEST_F(ToolStateTest, DoubleClickOnTheEraserErasesAllAndKeepsTheTool) {
    struct Case { const char* name; ColorRec back; char pixel, mask; };
    const Case cases[] = {
        {"opaque background colour", ColorRec{kGreen, 0}, 'g', '#'},
        {"transparent background colour", ColorRec{kGreen, 1}, 'g', '.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRef w = MakeDoc({"rrrrr", "r#b#r", "rrrrr"}, 1);
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
        EXPECT_EQ(Image(w), Rows(3, std::string(5, c.pixel)));
        EXPECT_EQ(Mask(w), Rows(3, std::string(5, c.mask)));
        EXPECT_EQ(rec->undoMode, kUndoPaint);
        DoUndo();
        EXPECT_EQ(Image(w), (Rows{"rrrrr", "r#b#r", "rrrrr"}));
        CloseAllDocuments();
    }
}

TEST_F(ToolStateTest, PaintWindowClicksGoToTheToolInForce) {
    auto [w, rec] = MakePaint(6, 4, 2);
    gOtherToolClickProc = RecordOtherClick;
    gOtherClick = {};
    auto click = [&, w = w](EventModifiers mods) {
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

    // Command with the pencil enters dot mode without painting; the next
    // click only ends it.
    gSelectedTool = kPencilTool;
    gToolPrefs.commandClickErases = 0;
    click(cmdKey);
    EXPECT_TRUE(rec->dotMode && IsWindowVisible(DotModePalette));
    click(0);
    EXPECT_FALSE(rec->dotMode);
    EXPECT_EQ(Image(w)[1], "......");
    // With the preference Command erases, unless Control is held as well.
    gToolPrefs.commandClickErases = 1;
    gBackColor = ColorRec{kGreen, 0};
    click(cmdKey);
    EXPECT_EQ(Image(w)[1], "..g...");
    click(cmdKey | controlKey);
    EXPECT_TRUE(rec->dotMode);
    click(0);
    EXPECT_FALSE(IsWindowVisible(DotModePalette));
}

// The info window's lower part pops up the transparencies, its upper left the
// pen sizes; the eraser-size pop-up also chooses the eraser and moves its check.
TEST_F(ToolStateTest, SizeAndTransparencyPopUps) {
    gBSelectedItem = 1;
    gBlendMode = srcCopy;
    AnswerPopUp(142, 3);
    ClickInfoWindow(Point{20, 5});
    EXPECT_EQ(gBSelectedItem, 3);
    EXPECT_EQ(gBlendMode, blend);
    EXPECT_EQ(gBlendRatio, (RGBColor{0x8000, 0x8000, 0x8000}));
    // The upper part at the left is the pen's size: item n is ((n − 1) mod 4 + 1) x ((n − 1) div 4 + 1).
    AnswerPopUp(146, 7);
    ClickInfoWindow(Point{5, 10});
    EXPECT_EQ(gPenWidth, 3);
    EXPECT_EQ(gPenHeight, 2);
    ClickInfoWindow(Point{-1, 5});
    EXPECT_EQ(gBSelectedItem, 3);

    gSelectedTool = kPencilTool;
    gEraserWidth = 2, gEraserHeight = 1;
    MenuRef sizes = GetMenuHandle(kEraserSizeMenuID);
    CheckMenuItem(sizes, 2, true);
    AnswerPopUp(146, 8);  // 4 x 2
    ChangeEraserSize();
    EXPECT_EQ(gEraserWidth, 4);
    EXPECT_EQ(gEraserHeight, 2);
    EXPECT_EQ(gSelectedTool, kEraserTool);
    UInt16 marks[2] = {1, 0};
    GetItemMark(sizes, 2, &marks[0]);
    GetItemMark(sizes, 8, &marks[1]);
    EXPECT_EQ(marks[0], 0);
    EXPECT_NE(marks[1], 0);
}

TEST_F(ToolStateTest, ToolLettersAndZFromTheKeyboard) {
    WindowRef w = MakePaint(4, 2, 1);
    auto key = [](char ch) {
        EventRecord ev{};
        ev.what = keyDown;
        ev.message = UInt32(UInt8(ch));
        HandleKeyDown(&ev);
    };
    struct Case { SInt16 before; char ch; SInt16 after; };
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
