// The cursor over a paint window for each tool and modifier, the pen
// footprint built at run time, and a cursor drawn for a screen at twice the
// scale.
#include "tests/support/PaintTestSupport.h"

#include "app/CursorUpdate.h"
#include "platform/ui/Cursors.h"

using namespace painttest;

namespace {

class CursorTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        if (!gCurRgnHand) gCurRgnHand = NewRgn();
        gToolPrefs.footprintCursor = gToolPrefs.colorFootprintCursor = gToolPrefs.eyedropperCursor = 0;
    }
    // The mouse at a window point with the keys held, through the event loop.
    static void MoveTo(WindowRef w, Point local, EventModifiers mods) {
        ScriptMouseMove(Global(w, local), mods);
        RunPendingEvents();
    }
};

constexpr UInt32 kB = 0xFF000000, kW = 0xFFFFFFFF, kRedPixel = 0xFFFF0000;

}  // namespace

TEST_F(CursorTest, EachToolAndModifierOverAPaintWindow) {
    auto [w, rec] = MakeDoc(Rows(8, std::string(8, 'r')), 2);
    Lift(w, {"........", ".##.....", ".##.....", "........"});
    const Point over = Local(w, 1, 1), outside = Local(w, 6, 6), strip{SInt16(Port(w).bottom - 5), 10};
    struct Case {
        SInt16 tool;
        EventModifiers mods;
        Point where;
        UInt8 commandErases, cross;
        SInt16 floating, plain;  // the cursor with the selection lifted and after it is dropped
    } cases[] = {
        {kPencilTool, 0, outside, 0, 0, 128, 128},         {kPencilTool, optionKey, over, 0, 0, 131, 131},
        {kPencilTool, cmdKey, over, 0, 0, 137, 137},       {kPencilTool, cmdKey, over, 1, 0, 129, 129},
        {kPencilTool, cmdKey | controlKey, over, 1, 0, 137, 137},
        {kPencilTool, cmdKey | optionKey, over, 0, 0, 140, 140},
        {kEraserTool, shiftKey, over, 0, 0, 129, 129},     {kEyedropperTool, 0, over, 0, 1, 139, 139},
        {kBucketTool, 0, over, 0, 0, 132, 132},            {kBucketTool, optionKey, over, 0, 0, 131, 131},
        {kSelectionTool, 0, outside, 0, 0, 130, 130},      {kSelectionTool, 0, over, 0, 0, 133, 130},
        {kSelectionTool, optionKey, over, 0, 0, 135, 130}, {kSelectionTool, cmdKey | optionKey, over, 0, 0, 140, 140},
        {kSelectionTool, 0, strip, 0, 0, 0, 0},
    };
    for (bool floating : {true, false}) {
        if (!floating) FixSelection(w);
        ASSERT_EQ(rec->isFloating, floating);
        for (const Case& c : cases) {
            gSelectedTool = c.tool;
            gToolPrefs.commandClickErases = c.commandErases;
            gToolPrefs.eyedropperCursor = c.cross;
            MoveTo(w, c.where, c.mods);
            UpdateMouseCursor(Global(w, c.where));
            EXPECT_EQ(gCrsrID, floating ? c.floating : c.plain)
                << "tool " << c.tool << " keys " << c.mods << (floating ? " floating" : "");
        }
    }
    // Over the image every movement reports; a key alone is reported too.
    gSelectedTool = kPencilTool;
    MoveTo(w, outside, 0);
    EXPECT_EQ(gCrsrID, 128);
    EXPECT_TRUE(EmptyRgn(gCurRgnHand));
    MoveTo(w, outside, optionKey);
    EXPECT_EQ(gCrsrID, 131);
    // Over the scroll bar strip only entering the image reports.
    MoveTo(w, strip, 0);
    EXPECT_EQ(gCrsrID, 0);
    EXPECT_FALSE(PtInRgn(Global(w, Local(w, 0, 7)), gCurRgnHand));
    EXPECT_TRUE(PtInRgn(Global(w, strip), gCurRgnHand));
}

TEST_F(CursorTest, PenFootprintIsBuiltAtTheZoom) {
    auto [w, rec] = MakeDoc(Rows(8, std::string(8, 'w')), 2);  // 4x
    gToolPrefs.footprintCursor = 1;
    gSelectedTool = kPencilTool;
    gPenWidth = gPenHeight = 3;
    MoveTo(w, Local(w, 2, 2), 0);
    UpdateMouseCursor(Global(w, Local(w, 2, 2)));  // the idle pass, entering from outside
    ASSERT_EQ(gCrsrID, -1);
    EXPECT_EQ(gCursData.width, 12);
    const CursorImage& shown = ShownCursorImage();
    ASSERT_EQ(shown.size, 16);
    EXPECT_EQ(shown.hotSpot, (Point{6, 6}));
    // Inverting: a dotted rim of the 12 x 12 block, clear inside and outside.
    EXPECT_EQ(shown.pixels[0], kB);
    EXPECT_EQ(shown.pixels[1], kW);
    EXPECT_EQ(shown.pixels[11 * 16 + 0], kW);
    EXPECT_EQ(shown.pixels[5 * 16 + 5], 0u);
    EXPECT_EQ(shown.pixels[12 * 16 + 12], 0u);
    // The same footprint again is not rebuilt; another colour is, opaque in it.
    const UInt32 seed = GetCursorSeed();
    UpdateMouseCursor(Global(w, Local(w, 3, 3)));
    EXPECT_EQ(GetCursorSeed(), seed);
    gToolPrefs.colorFootprintCursor = 1;
    gCurrentColor = ColorRec{kRed, 0};
    gPenWidth = 2;
    UpdateMouseCursor(Global(w, Local(w, 3, 3)));
    EXPECT_NE(GetCursorSeed(), seed);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(ShownCursorImage().pixels[size_t(i)], i / 16 < 12 && i % 16 < 8 ? kRedPixel : 0u) << i;
    EXPECT_EQ(ShownCursorImage().hotSpot, (Point{6, 4}));
    gPenWidth = 5;  // 20 pixels wide at 4x: the plain pencil
    UpdateMouseCursor(Global(w, Local(w, 3, 3)));
    EXPECT_EQ(gCrsrID, 128);
}

TEST_F(CursorTest, DoubleScaleDrawsEachPixelAsTwoByTwo) {
    const Cursor pencil = **GetCursor(128);
    const CursorImage image = RenderCursor(pencil, 2);
    ASSERT_EQ(image.size, 32);
    EXPECT_EQ(image.hotSpot, (Point{SInt16(pencil.hotSpot.v * 2), SInt16(pencil.hotSpot.h * 2)}));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int bit = 15 - x / 2;
            const bool mask = (pencil.mask[y / 2] >> bit) & 1, data = (pencil.data[y / 2] >> bit) & 1;
            EXPECT_EQ(image.pixels[size_t(y * 32 + x)], !mask ? 0u : data ? kB : kW) << x << "," << y;
        }
}
