#include "platform/ui/Windows.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/ui/UiTestSupport.h"

using namespace uitest;

namespace {

using WindowsTest = UiTest;

std::vector<UInt8> WindBytes(const Rect& r, SInt16 procID, bool visible, bool goAway, SInt32 refCon,
                             const std::string& title) {
    ByteWriter w;
    w.rect(r);
    for (SInt16 v : {procID, SInt16(visible), SInt16(goAway)}) w.s16be(v);
    w.s32be(refCon);
    PutPString(w, title);
    w.u16be(0);  // positioning word
    return w.buffer();
}

TEST(WindowTemplate, ParsesFieldsAndRejectsShortData) {
    const auto bytes = WindBytes(R(40, 30, 240, 330), floatGrowProc, true, false, 0x01020304, "Tools");
    WindowTemplate t;
    ASSERT_EQ(ParseWindowTemplate(bytes.data(), Size(bytes.size()), &t), noErr);
    EXPECT_EQ(t.boundsRect, R(40, 30, 240, 330));
    EXPECT_EQ(t.procID, floatGrowProc);
    EXPECT_TRUE(t.visible);
    EXPECT_FALSE(t.goAwayFlag);
    EXPECT_EQ(t.refCon, 0x01020304);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.title + 1), t.title[0]), "Tools");
    // Cut inside the title, and inside the fixed fields: nothing is written.
    for (size_t cut : {bytes.size() - 4, size_t(17), size_t(0)}) {
        WindowTemplate u;
        u.procID = 77;
        EXPECT_EQ(ParseWindowTemplate(bytes.data(), Size(cut), &u), badExtResource) << cut;
        EXPECT_EQ(u.procID, 77);
    }
}

struct PartCase {
    Point pt;
    WindowPartCode part;
    WindowRef window;
};
void ExpectParts(std::initializer_list<PartCase> cases) {
    for (const PartCase& c : cases) {
        WindowRef hit = reinterpret_cast<WindowRef>(1);
        EXPECT_EQ(FindWindow(c.pt, &hit), c.part) << c.pt.v << "," << c.pt.h;
        EXPECT_EQ(hit, c.window) << c.pt.v << "," << c.pt.h;
    }
}

// A document window (content 100,100 - 300,400) with close, zoom and grow
// boxes, an inactive one beside it, and a floating window; then dialogs,
// which are in front of everything and have no boxes.
TEST_F(WindowsTest, FindWindowReportsThePartsAtExactPoints) {
    WindowRef back = MakeWindow(R(100, 600, 300, 900), zoomDocProc);
    WindowRef doc = MakeWindow(R(100, 100, 300, 400), zoomDocProc);
    WindowRef fl = MakeWindow(R(400, 350, 450, 450), floatProc);
    ASSERT_TRUE(doc && back && fl);
    ExpectParts({
        {P(-1, 10), inMenuBar, nullptr}, {P(5, 5), inDesk, nullptr},
        {P(301, 200), inDesk, nullptr},  // just below the bottom border
        {P(300, 200), inDrag, doc},      // the bottom border
        {P(80, 99), inDrag, doc},        // top-left corner of the frame
        {P(90, 250), inDrag, doc},       {P(84, 107), inGoAway, doc},   {P(95, 118), inGoAway, doc},
        {P(96, 118), inDrag, doc},       {P(84, 106), inDrag, doc},     {P(90, 381), inZoomOut, doc},
        {P(95, 392), inZoomOut, doc},    {P(90, 393), inDrag, doc},     {P(100, 100), inContent, doc},
        {P(284, 399), inContent, doc},   {P(285, 385), inGrow, doc},    {P(299, 399), inGrow, doc},
        {P(90, 610), inDrag, back},  // boxes of an inactive window are not live
        {P(299, 899), inContent, back},
        {P(392, 352), inGoAway, fl},  // floating: 11-pixel title bar, 8 x 8 box
        {P(389, 349), inDrag, fl},       {P(399, 440), inDrag, fl},     {P(400, 360), inContent, fl},
    });
    // Floating windows are hit before the documents they cover.
    MoveWindow(fl, 120, 200, false);
    ExpectParts({{P(210, 150), inContent, fl}});
    HideWindow(fl);
    ExpectParts({{P(210, 150), inContent, doc}});

    WindowRef fl2 = MakeWindow(R(500, 100, 600, 300), floatProc);
    WindowRef movable = MakeWindow(R(520, 150, 620, 350), movableDBoxProc);
    WindowRef plain = MakeWindow(R(300, 600, 400, 800), plainDBox);
    ExpectParts({
        {P(510, 160), inDrag, movable},  // the movable dialog's title bar, over the floating window
        {P(504, 158), inDrag, movable},  // where a close box would be
        {P(560, 200), inContent, movable}, {P(495, 120), inDrag, fl2},
        {P(299, 650), inContent, plain},  // a plain dialog's border, over the document behind
        {P(350, 700), inContent, plain},
    });
    EXPECT_EQ(FrontNonFloatingWindow(), plain);
}

std::vector<WindowRef> ListOrder() {
    std::vector<WindowRef> v;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) v.push_back(w);
    return v;
}

TEST_F(WindowsTest, OrderKeepsFloatingWindowsInFront) {
    WindowRef a = MakeWindow(R(100, 100, 200, 200));
    WindowRef b = MakeWindow(R(120, 120, 220, 220));
    WindowRef f = MakeWindow(R(300, 300, 340, 340), floatProc);
    WindowRef hidden = MakeWindow(R(300, 400, 340, 440), floatProc, false);
    WindowRef c = MakeWindow(R(140, 140, 240, 240), documentProc, true, kLastWindowOfClass);
    EXPECT_EQ(ListOrder(), (std::vector<WindowRef>{hidden, f, b, a, c}));
    EXPECT_EQ(FrontWindow(), f);
    EXPECT_EQ(FrontNonFloatingWindow(), b);
    EXPECT_TRUE(IsWindowHilited(b) && IsWindowHilited(f));
    EXPECT_FALSE(IsWindowHilited(a));

    SelectWindow(a);
    EXPECT_EQ(ListOrder(), (std::vector<WindowRef>{hidden, f, a, b, c}));
    EXPECT_FALSE(IsWindowHilited(b));
    // A floating window selected stays with its class, above every document.
    SelectWindow(hidden);
    EXPECT_EQ(ListOrder(), (std::vector<WindowRef>{hidden, f, a, b, c}));
    EXPECT_EQ(FrontWindow(), f);
    HideWindow(a);
    EXPECT_EQ(FrontNonFloatingWindow(), b);
    EXPECT_TRUE(IsWindowHilited(b));
    HideWindow(f);
    EXPECT_EQ(FrontWindow(), b);
    DisposeWindow(b);
    EXPECT_EQ(ListOrder(), (std::vector<WindowRef>{hidden, f, a, c}));
    EXPECT_EQ(FrontNonFloatingWindow(), c);
    EXPECT_EQ(ui_internal::Record(b), nullptr);
}

TEST_F(WindowsTest, DragWindowMovesByTheMouseAndKeepsTheTitleBarInBounds) {
    WindowRef w = MakeWindow(R(100, 100, 300, 400));
    Rect gray;
    GetRegionBounds(GetGrayRgn(), &gray);
    ASSERT_EQ(gray, R(0, 0, 768, 1024));
    struct Case {
        Point to;
        Rect content;
    } cases[] = {
        {P(140, 260), R(150, 160, 350, 460)},  // moved by (50, 60)
        {P(90, 200), R(100, 100, 300, 400)},   // no movement
        {P(5, 200), R(20, 100, 220, 400)},     // title bar kept at the top
        {P(90, 1020), R(100, 723, 300, 1023)},  // right edge kept in
        {P(800, 300), R(100, 100, 300, 400)},  // released outside: back where it was
    };
    for (const Case& c : cases) {
        MoveWindow(w, 100, 100, false);
        ScriptMouseDown(P(90, 200));
        ScriptMouseMove(P(120, 230));
        ScriptMouseMove(c.to);
        ScriptMouseUp(c.to);
        EventRecord ev = NextEvent(mDownMask);
        ASSERT_EQ(ev.what, mouseDown);
        WindowRef hit = nullptr;
        ASSERT_EQ(FindWindow(ev.where, &hit), inDrag);
        DragWindow(hit, ev.where, &gray);
        Rect r;
        GetWindowBounds(w, kWindowContentRgn, &r);
        EXPECT_EQ(r, c.content) << c.to.v << "," << c.to.h;
        FlushEvents(everyEvent, 0);
    }
}

TEST_F(WindowsTest, GrowWindowReturnsTheClampedSize) {
    WindowRef w = MakeWindow(R(100, 100, 300, 400));
    const Rect limits = R(80, 100, 250, 1000);  // min height, min width, max height, max width
    struct Case {
        Point to;
        SInt32 result;
    } cases[] = {
        {P(339, 449), (240 << 16) | 350},
        {P(395, 0), (250 << 16) | 100},
        {P(299, 399), 0},
    };
    for (const Case& c : cases) {
        ScriptMouseDown(P(299, 399));
        ScriptMouseMove(c.to);
        ScriptMouseUp(c.to);
        EventRecord ev = NextEvent(mDownMask);
        WindowRef hit = nullptr;
        ASSERT_EQ(FindWindow(ev.where, &hit), inGrow);
        EXPECT_EQ(ev.where, P(299, 399));
        EXPECT_EQ(GrowWindow(hit, ev.where, &limits), c.result);
        FlushEvents(everyEvent, 0);
    }
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    EXPECT_EQ(r, R(100, 100, 300, 400));  // the program sizes it
}

// Paint windows size themselves after the zoom box; the box still toggles
// and remembers the user state.
TEST_F(WindowsTest, ZoomBoxTogglesWhenTheProgramSizesTheWindow) {
    WindowRef w = MakeWindow(R(100, 100, 300, 400));
    const struct {
        WindowPartCode part;
        SInt16 width, height;
    } steps[] = {{inZoomOut, 500, 350}, {inZoomIn, 300, 200}, {inZoomOut, 420, 380}};
    for (const auto& step : steps) {
        WindowRef hit;
        const Point box = P(90, 100 + RectWidth(w->portRect) - 15);
        ASSERT_EQ(FindWindow(box, &hit), step.part);
        ScriptClick(box);
        ASSERT_TRUE(TrackBox(w, NextEvent(mDownMask).where, step.part));
        FlushEvents(everyEvent, 0);
        Rect user;
        GetWindowUserState(w, &user);
        EXPECT_EQ(user, R(100, 100, 300, 400));
        SizeWindow(w, step.width, step.height, true);
    }
}

}  // namespace
