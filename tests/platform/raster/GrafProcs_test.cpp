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
ListRecorder gLog;
std::vector<std::string>& gCalls = gLog.calls;
void LogLine(Point p) { gLog.line(nullptr, p, p); }
void LogRect(GrafVerb verb, const Rect* r) { gLog.rect(nullptr, verb, r); }
void LogRRect(GrafVerb verb, const Rect* r, SInt16 ow, SInt16 oh) { gLog.rRect(nullptr, verb, r, ow, oh); }
void LogOval(GrafVerb verb, const Rect* r) { gLog.oval(nullptr, verb, r); }
void LogArc(GrafVerb verb, const Rect* r, SInt16 a, SInt16 b) { gLog.arc(nullptr, verb, r, a, b); }
void LogPoly(GrafVerb verb, PolyHandle poly) { gLog.poly(nullptr, verb, poly); }
void LogRgn(GrafVerb verb, RgnHandle rgn) { gLog.rgn(nullptr, verb, rgn); }
void LogComment(SInt16 kind, SInt16 size, Handle h) { gLog.comment(nullptr, kind, size, h); }
void LogBits(const BitMap* b, const Rect* s, const Rect* d, SInt16 mode, RgnHandle rgn) {
    gLog.bits(nullptr, b, s, d, mode, rgn);
}

// SetStdCProcs fills every bottleneck; the picture tests play whole pictures
// through it (GetPictureMaxDepth).
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
    procs.bitsProc = LogBits;
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
    // Copies onto the port's map go through its bottleneck; onto other maps they draw directly.
    const World src(8, 4, 4), other(8, 4, 4);
    src.fill(7);
    const Rect s2 = MakeRect(0, 0, 2, 2), d2 = MakeRect(1, 1, 3, 3);
    CopyBits(&src.pm(), &MapOf(g.get()), &s2, &d2, srcXor, rgn);
    CopyBits(&src.pm(), &other.pm(), &s2, &d2, srcCopy, nullptr);
    EXPECT_EQ(other.at(2, 2), 7u);

    EXPECT_EQ(gCalls, (std::vector<std::string>{
                          "rect 0 1,2,5,6", "rect 1 1,2,5,6", "rect 2 1,2,5,6", "rect 3 1,2,5,6",
                          "rect 4 1,2,5,6", "oval 1 1,2,5,6", "oval 4 1,2,5,6", "rrect 0 1,2,5,6 4x2",
                          "arc 1 1,2,5,6 45+90", "line 6,3 6,3", "rgn 3", "poly 2", "comment 100 0",
                          "bits 0,0,2,2 1,1,3,3 2 in region"}));
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
    const World black(8, 2, 2);
    black.fill(255);
    const Rect s2 = MakeRect(0, 0, 2, 2), d2 = MakeRect(2, 0, 4, 2);
    CopyBits(&black.pm(), &MapOf(g.get()), &s2, &d2, ditherCopy, nullptr);
    g.get()->picSave = nullptr;
    PicComment(201, 0, nullptr);  // no picture: nothing happens

    EXPECT_EQ(rec.calls, (std::vector<std::string>{"rect 1 0,0,2,2", "line 3,3 5,3", "oval 1 0,4,2,6",
                                                   "rrect 1 0,4,2,6 2x2", "arc 0 0,4,2,6 0+90", "rgn 0", "poly 0",
                                                   "comment 200 4", "bits 0,0,2,2 2,0,4,2 64"}));
    EXPECT_EQ(Picture(g.get()), (Rows{"##..##", "##..##", "##....", "##.###"}));
}

}  // namespace
