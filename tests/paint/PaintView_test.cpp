// The paint view in its window: redrawing, scroll-bar ranges, scrolling by
// keys, changing the magnification and resizing.
#include "tests/support/PaintTestSupport.h"

#include "image/Colors.h"
#include "platform/raster/Pen.h"


using namespace painttest;

namespace {

struct View { SInt16 h, v; friend bool operator==(const View&, const View&) = default; };

View ScrollValues(WindowRef w) {
    PaintWinRec* rec = GetPaintWinRec(w);
    return {GetControlValue(rec->hScroll), GetControlValue(rec->vScroll)};
}

// Sizes the content and lays the view out again, as a grow does.
void Grow(WindowRef w, int width, int height) {
    SizeWindow(w, SInt16(width), SInt16(height), true);
    ResizePaintWindowMain(w);
}

// A picture whose every pixel tells where it is: a diagonal band pattern.
void PaintBands(WindowRef w) {
    PaintWinRec* rec = GetPaintWinRec(w);
    const PixMap& off = MapOf(rec->offPort.get());
    for (int y = 0; y < RectHeight(rec->picRect); ++y)
        for (int x = 0; x < RectWidth(rec->picRect); ++x)
            WritePixel(off, x, y, (x + 2 * y) % 3 == 0 ? kRed : (x + 2 * y) % 3 == 1 ? kBlue : kWhite);
    SetEmptyRgn(rec->updateRgn);
    DispOffPort(w);
}

class ScrollTest : public PaintWindowTest {};
class ZoomTest : public PaintWindowTest {};

}  // namespace

TEST_F(ScrollTest, KeysScrollByStepsAndPages) {
    WindowRef w = MakePaint(100, 150, 2);
    Grow(w, 215, 215);  // visible 200 x 200 of 400 x 600: maxima 200 and 400
    EXPECT_EQ(GetControlMaximum(GetPaintWinRec(w)->hScroll), 200);
    EXPECT_EQ(GetControlMaximum(GetPaintWinRec(w)->vScroll), 400);
    struct Case { SInt16 charCode; EventModifiers mods; View from, to; } cases[] = {
        {kDownArrowCharCode, 0, {0, 0}, {0, 16}},
        {kRightArrowCharCode, 0, {0, 0}, {16, 0}},
        {kLeftArrowCharCode, 0, {8, 0}, {0, 0}},       // clamped at 0
        {kUpArrowCharCode, 0, {0, 390}, {0, 374}},
        {kPageDownCharCode, 0, {0, 0}, {0, 184}},      // a page is the visible height less 16
        {kPageDownCharCode, 0, {0, 300}, {0, 400}}, {kPageUpCharCode, 0, {0, 300}, {0, 116}},
        {kEndCharCode, 0, {0, 0}, {184, 0}}, {kHomeCharCode, 0, {190, 0}, {6, 0}},
        {kRightArrowCharCode, cmdKey, {0, 0}, {200, 0}},   // to the end in one step
        {kDownArrowCharCode, cmdKey, {0, 10}, {0, 400}}, {kUpArrowCharCode, cmdKey, {50, 399}, {50, 0}},
        {'x', 0, {30, 40}, {30, 40}},
    };
    for (const Case& c : cases) {
        DoScrollPaintWindowMain(w, SInt16(-1000), SInt16(-1000));
        DoScrollPaintWindowMain(w, c.from.h, c.from.v);
        ASSERT_EQ(ScrollValues(w), c.from);
        DoScrollPaintWindowByKeys(w, c.charCode, c.mods);
        EXPECT_EQ(ScrollValues(w), c.to) << int(c.charCode) << " from " << c.from.h << "," << c.from.v;
        // The drawing origin is the scroll position.
        const Rect port = Port(w);
        EXPECT_EQ(port.left, c.to.h);
        EXPECT_EQ(port.top, c.to.v);
    }
    // Nothing to scroll where the image fits.
    WindowRef fits = MakePaint(20, 20, 1);
    DoScrollPaintWindowByKeys(fits, kPageDownCharCode, 0);
    DoScrollPaintWindowByKeys(fits, kRightArrowCharCode, cmdKey);
    EXPECT_EQ(ScrollValues(fits), (View{0, 0}));
}

TEST_F(ScrollTest, ScrolledPixelsMoveAndTheUncoveredStripWaits) {
    WindowRef w = MakePaint(60, 60, 2);
    Grow(w, 115, 115);
    PaintBands(w);
    RedrawPaintWindow(w, nullptr);
    Rect all = Port(w);
    ValidWindowRect(w, &all);
    DoScrollPaintWindowByKeys(w, kDownArrowCharCode, 0);
    DoScrollPaintWindowByKeys(w, kRightArrowCharCode, 0);
    ASSERT_EQ(ScrollValues(w), (View{16, 16}));
    EXPECT_TRUE(IsWindowUpdatePending(w));
    // What was on screen moved with the picture; the strips that came into
    // view at the bottom and right are owed an update.
    UniqueRgn owed;
    SetRectRgn(owed, 16 + 100 - 16, 16, 16 + 100, 16 + 100);
    UniqueRgn bottom;
    SetRectRgn(bottom, 16, 16 + 100 - 16, 16 + 100, 16 + 100);
    UnionRgn(owed, bottom, owed);
    ExpectWindowShowsImage(w, owed);
    ValidWindowRgn(w, owed);
    EXPECT_FALSE(IsWindowUpdatePending(w));
}

TEST_F(ScrollTest, GrowingKeepsTheRightEdgeAtTheWindowEdge) {
    WindowRef w = MakePaint(300, 100, 0);
    Grow(w, 115, 115);
    DoScrollPaintWindowByKeys(w, kRightArrowCharCode, cmdKey);
    ASSERT_EQ(ScrollValues(w).h, 200);
    Grow(w, 215, 115);
    EXPECT_EQ(ScrollValues(w).h, 100);
    EXPECT_EQ(Port(w).left, 100);
    EXPECT_EQ(Port(w).right - 15, 300);  // the image's right edge at the image area's
    EXPECT_EQ(GetControlMaximum(GetPaintWinRec(w)->hScroll), 100);
    Grow(w, 315, 115);
    EXPECT_EQ(ScrollValues(w).h, 0);
}

// The selection's outline follows the magnification.
TEST_F(ZoomTest, ChangingMagnificationKeepsTheCentre) {
    WindowRef w = MakePaint(600, 600, 0);
    ASSERT_EQ(Port(w), MakeRect(0, 0, 615, 615));
    GetPaintWinRec(w)->isFloating = true;
    SetRectRgn(GetPaintWinRec(w)->selRgn, 2, 3, 7, 9);
    struct Case { SInt16 ratio; View want; Rect port; } cases[] = {
        // The window grows to the desktop's limits (887 x 600 visible); the
        // image point (300, 300) stays in the middle.
        {1, {157, 300}, MakeRect(300, 157, 300 + 615, 157 + 902)},
        {2, {757, 900}, MakeRect(900, 757, 900 + 615, 757 + 902)},
        {0, {0, 0}, MakeRect(0, 0, 615, 615)},   // back to the whole image
    };
    for (const Case& c : cases) {
        ChangeRatioMain(w, c.ratio);
        PaintWinRec* rec = GetPaintWinRec(w);
        EXPECT_EQ(rec->ratio, c.ratio);
        EXPECT_EQ(rec->dispRect, MakeRect(0, 0, 600 << c.ratio, 600 << c.ratio));
        EXPECT_EQ(ScrollValues(w), c.want) << c.ratio;
        EXPECT_EQ(Port(w), c.port) << c.ratio;
        EXPECT_EQ(Bounds(rec->selDispRgn), ZoomedText(MakeRect(3, 2, 9, 7), c.ratio));
        EXPECT_TRUE(IsWindowUpdatePending(w));
    }
}

TEST_F(ZoomTest, ZoomBoxOutSizesToTheWholeImage) {
    WindowRef w = MakePaint(200, 100, 1);
    Grow(w, 115, 115);
    DoScrollPaintWindowByKeys(w, kRightArrowCharCode, cmdKey);
    ZoomPaintWindow(w, inZoomOut);
    EXPECT_EQ(RectWidth(Port(w)), 415);
    EXPECT_EQ(RectHeight(Port(w)), 215);
    EXPECT_EQ(ScrollValues(w), (View{0, 0}));
}

namespace {
int gClicks = 0;
Point gClickAt{};
void CountClick(WindowRef, Point pt, const EventRecord*) {
    ++gClicks;
    gClickAt = pt;
}
}  // namespace

TEST_F(PaintWindowTest, ClicksGoToTheToolOrBringTheWindowForward) {
    SetPaintClickProc(CountClick);
    WindowRef back = MakePaint(40, 40, 1);
    WindowRef front = MakePaint(40, 40, 1);
    SelectWindow(front);
    ASSERT_EQ(FrontDocumentWindow(), front);
    EventRecord ev;
    gClicks = 0;
    ClickPaintWindow(back, Point{5, 5}, &ev);
    EXPECT_EQ(gClicks, 0);
    EXPECT_EQ(FrontDocumentWindow(), back);
    ClickPaintWindow(back, Point{5, 6}, &ev);
    EXPECT_EQ(gClicks, 1);
    EXPECT_EQ(gClickAt, (Point{5, 6}));
    ClickPaintWindow(back, Point{85, 35}, &ev);  // the background indicator: no tool
    EXPECT_EQ(gClicks, 1);
    // The zoom display pops up the magnifications.
    ScriptMenuChoice(MenuChoice(kMagPopupMenuID, 4));
    ClickPaintWindow(back, Point{85, 10}, &ev);
    ClearScript();
    EXPECT_EQ(GetPaintWinRec(back)->ratio, 3);
    EXPECT_EQ(gClicks, 1);
    SetPaintClickProc(nullptr);
}

namespace {

// The first local point along the scroll bar's long axis whose part is `part`.
bool FindPart(ControlRef bar, WindowRef w, ControlPartCode part, Point* out) {
    Rect r;
    GetControlBounds(bar, &r);
    const bool horizontal = RectWidth(r) > RectHeight(r);
    for (int i = 0; i < (horizontal ? RectWidth(r) : RectHeight(r)); ++i) {
        const Point p = horizontal ? Point{SInt16((r.top + r.bottom) / 2), SInt16(r.left + i)}
                                   : Point{SInt16(r.top + i), SInt16((r.left + r.right) / 2)};
        ControlRef hit = nullptr;
        if (FindControl(p, w, &hit) == part && hit == bar) {
            *out = p;
            return true;
        }
    }
    return false;
}

// A press at a local point of the window, moved `drag` pixels along the bar
// and released there, tracked by DoScrollPaintWindow.
void ClickScrollBar(WindowRef w, Point local, bool vertical, int drag) {
    Rect content;
    GetWindowBounds(w, kWindowContentRgn, &content);
    const Rect port = [&] {
        Rect r;
        GetWindowPortBounds(w, &r);
        return r;
    }();
    const Point global{SInt16(content.top + local.v - port.top), SInt16(content.left + local.h - port.left)};
    const Point release{SInt16(global.v + (vertical ? drag : 0)), SInt16(global.h + (vertical ? 0 : drag))};
    ScriptMouseDown(global);
    EventRecord ev;
    for (int i = 0; i < 200 && !GetNextEvent(mDownMask, &ev); ++i) WaitNextEvent(0, &ev, 1, nullptr);
    ScriptMouseMove(release);
    ScriptMouseUp(release);
    DoScrollPaintWindow(local, w);
    FlushEvents(mUpMask, 0);
}

}  // namespace

TEST_F(ScrollTest, ArrowsPagesAndThumbsOfTheScrollBarsMoveThePicture) {
    gToolPrefs.gridSetting = 0x02;
    WindowRef w = MakePaint(100, 150, 2);
    Grow(w, 215, 215);
    PaintBands(w);
    PaintWinRec* rec = GetPaintWinRec(w);
    struct Case { bool vertical; ControlPartCode part; int drag; View want; } cases[] = {
        {true, kControlDownButtonPart, 0, {0, 16}}, {true, kControlPageDownPart, 0, {0, 16 + 184}},
        {false, kControlDownButtonPart, 0, {16, 200}}, {true, kControlUpButtonPart, 0, {16, 184}},
        {false, kControlPageDownPart, 0, {200, 184}},   // clamped at the maximum
        {true, kControlIndicatorPart, -400, {200, 0}}, {false, kControlIndicatorPart, -400, {0, 0}},  // thumbs
    };
    for (const Case& c : cases) {
        ControlRef bar = c.vertical ? rec->vScroll : rec->hScroll;
        Point at;
        ASSERT_TRUE(FindPart(bar, w, c.part, &at)) << c.part;
        ClickScrollBar(w, at, c.vertical, c.drag);
        EXPECT_EQ(ScrollValues(w), c.want) << c.part;
        const Rect port = Port(w);
        EXPECT_EQ(port.left, c.want.h);
        EXPECT_EQ(port.top, c.want.v);
        ExpectWindowShowsImage(w);
    }
}

TEST_F(ScrollTest, HandScrollMovesAgainstTheMouseTimesTheMagnification) {
    WindowRef w = MakePaint(100, 150, 2);
    Grow(w, 215, 215);
    PaintBands(w);
    const Rect content = Content(w);
    auto global = [&](int v, int h) { return Point{SInt16(content.top + v), SInt16(content.left + h)}; };
    ScriptMouseDown(global(100, 100));
    EventRecord ev;
    for (int i = 0; i < 200 && !GetNextEvent(mDownMask, &ev); ++i) WaitNextEvent(0, &ev, 1, nullptr);
    ScriptMouseMove(global(95, 90));
    ScriptMouseMove(global(80, 95));
    ScriptMouseUp(global(80, 95));
    GrabScrollPaintWindow(w, Point{100, 100});
    FlushEvents(mUpMask, 0);
    EXPECT_EQ(ScrollValues(w), (View{20, 80}));  // 5 and 20 window pixels, four times over
    EXPECT_EQ(Port(w).left, 20);
    EXPECT_EQ(Port(w).top, 80);
    ExpectWindowShowsImage(w);
}

TEST_F(PaintWindowTest, MaskViewEndsWithThePictureBackAndClicksDropped) {
    WindowRef w = MakePaint(30, 20, 2);
    PaintBands(w);
    const Rect all = Port(w);
    ValidWindowRect(w, &all);
    ASSERT_EQ(PostEvent(mouseDown, 0), noErr);
    DispPaintMask(w);  // the O key is not held: shown and taken back at once
    ExpectWindowShowsImage(w);
    EXPECT_FALSE(IsWindowUpdatePending(w));
    EventRecord ev;
    EXPECT_FALSE(EventAvail(mDownMask, &ev));
}
