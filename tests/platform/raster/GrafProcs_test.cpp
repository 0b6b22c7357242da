#include "platform/raster/GrafProcs.h"

#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/Text.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

using namespace pixelart;
using Rows = std::vector<std::string>;

namespace {

// What the custom procedures saw, as text.
std::vector<std::string> gCalls;

void LogLine(Point p) { gCalls.push_back("line " + std::to_string(p.h) + "," + std::to_string(p.v)); }
void LogRect(GrafVerb verb, const Rect* r) { gCalls.push_back("rect " + std::to_string(verb) + " " + RectText(r)); }
void LogRRect(GrafVerb verb, const Rect* r, SInt16 ow, SInt16 oh) {
    gCalls.push_back("rrect " + std::to_string(verb) + " " + RectText(r) + " " + std::to_string(ow) + "x" +
                     std::to_string(oh));
}
void LogOval(GrafVerb verb, const Rect* r) { gCalls.push_back("oval " + std::to_string(verb) + " " + RectText(r)); }
void LogArc(GrafVerb verb, const Rect* r, SInt16 a, SInt16 b) {
    gCalls.push_back("arc " + std::to_string(verb) + " " + RectText(r) + " " + std::to_string(a) + "+" +
                     std::to_string(b));
}
void LogPoly(GrafVerb verb, PolyHandle) { gCalls.push_back("poly " + std::to_string(verb)); }
void LogRgn(GrafVerb verb, RgnHandle) { gCalls.push_back("rgn " + std::to_string(verb)); }
void LogComment(SInt16 kind, SInt16 size, Handle) {
    gCalls.push_back("comment " + std::to_string(kind) + " " + std::to_string(size));
}

// Records, then draws as the standard procedure does: the usual way a
// program watches drawing without changing it.
void LogAndDrawRect(GrafVerb verb, const Rect* r) {
    LogRect(verb, r);
    StdRect(verb, r);
}

TEST(GrafProcs, StandardProcsFillEveryBottleneck) {
    CQDProcs procs;
    procs.txMeasProc = reinterpret_cast<QDTxMeasProcPtr>(1);  // must be reset
    SetStdCProcs(&procs);
    EXPECT_EQ(procs.textProc, &StdText);
    EXPECT_EQ(procs.lineProc, &StdLine);
    EXPECT_EQ(procs.rectProc, &StdRect);
    EXPECT_EQ(procs.rRectProc, &StdRRect);
    EXPECT_EQ(procs.ovalProc, &StdOval);
    EXPECT_EQ(procs.arcProc, &StdArc);
    EXPECT_EQ(procs.polyProc, &StdPoly);
    EXPECT_EQ(procs.rgnProc, &StdRgn);
    EXPECT_EQ(procs.bitsProc, &StdBits);
    EXPECT_EQ(procs.commentProc, &StdComment);
    EXPECT_EQ(procs.txMeasProc, nullptr);

    // A port with the standard procedures draws as one without any.
    UniqueGWorld g = MakeWorld(8, 4, 3);
    SetPortGrafProcs(g.get(), &procs);
    EXPECT_EQ(GetPortGrafProcs(g.get()), &procs);
    const Rect r = MakeRect(1, 1, 3, 3);
    PaintRect(&r);
    EXPECT_EQ(Picture(g.get()), (Rows{"....", ".##.", ".##."}));

    // A procedure may watch and still draw through the standard one.
    procs.rectProc = LogAndDrawRect;
    gCalls.clear();
    const Rect w = MakeRect(0, 0, 1, 2);
    PaintRect(&w);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"rect 1 0,0,1,2"}));
    EXPECT_EQ(Picture(g.get()), (Rows{"##..", ".##.", ".##."}));
}

TEST(GrafProcs, CustomProcsReplaceDrawing) {
    UniqueGWorld g = MakeWorld(8, 8, 8);
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.lineProc = LogLine;
    procs.rectProc = LogRect;
    procs.rRectProc = LogRRect;
    procs.ovalProc = LogOval;
    procs.arcProc = LogArc;
    procs.polyProc = LogPoly;
    procs.rgnProc = LogRgn;
    procs.commentProc = LogComment;
    SetPortGrafProcs(g.get(), &procs);
    gCalls.clear();

    const Rect r = MakeRect(1, 2, 5, 6);
    Pattern gray;
    GetQDGlobalsGray(&gray);
    FrameRect(&r);
    PaintRect(&r);
    EraseRect(&r);
    InvertRect(&r);
    FillRect(&r, &gray);
    EXPECT_EQ(g.get()->fillPat, gray);  // the fill procedure finds its pattern in the port
    PaintOval(&r);
    FillOval(&r, &gray);
    FrameRoundRect(&r, 4, 2);
    PaintArc(&r, 45, 90);
    MoveTo(1, 1);
    LineTo(6, 3);
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen, (Point{3, 6}));  // the pen moves even when a procedure draws the line
    UniqueRgn rgn;
    RectRgn(rgn, &r);
    InvertRgn(rgn);
    PolyHandle poly = OpenPoly();
    MoveTo(0, 0);
    LineTo(3, 0);
    LineTo(0, 3);
    ClosePoly();
    ErasePoly(poly);
    KillPoly(poly);
    PicComment(100, 0, nullptr);

    EXPECT_EQ(gCalls, (std::vector<std::string>{
                          "rect 0 1,2,5,6", "rect 1 1,2,5,6", "rect 2 1,2,5,6", "rect 3 1,2,5,6",
                          "rect 4 1,2,5,6", "oval 1 1,2,5,6", "oval 4 1,2,5,6", "rrect 0 1,2,5,6 4x2",
                          "arc 1 1,2,5,6 45+90", "line 6,3", "rgn 3", "poly 2", "comment 100 0"}));
    EXPECT_EQ(Picture(g.get()), Rows(8, "........"));
}

TEST(GrafProcs, StandardProcsRecordIntoOpenPictureAndDraw) {
    UniqueGWorld g = MakeWorld(8, 6, 4);
    ListRecorder rec;
    g.get()->picSave = &rec;
    const Rect r = MakeRect(0, 0, 2, 2);
    PaintRect(&r);
    MoveTo(3, 3);
    LineTo(5, 3);
    const Rect o = MakeRect(0, 4, 2, 6);
    PaintOval(&o);
    PaintRoundRect(&o, 2, 2);
    FrameArc(&o, 0, 90);
    UniqueRgn rgn;
    RectRgn(rgn, &r);
    FrameRgn(rgn);
    PolyHandle poly = OpenPoly();
    MoveTo(3, 3);
    LineTo(5, 3);  // recorded into the polygon, not the picture
    ClosePoly();
    FramePoly(poly);
    KillPoly(poly);
    PicComment(200, 4, nullptr);
    g.get()->picSave = nullptr;
    PicComment(201, 0, nullptr);  // no picture: nothing happens

    EXPECT_EQ(rec.calls, (std::vector<std::string>{"rect 1 0,0,2,2", "line 3,3-5,3", "oval 1", "rrect 1",
                                                   "arc 0", "rgn 0", "poly 0", "comment 200 4"}));
    EXPECT_EQ(Picture(g.get()), (Rows{"##..##", "##..##", "......", "...###"}));
}

}  // namespace
