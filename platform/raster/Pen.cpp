#include "platform/raster/Pen.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/PenRaster.h"

#include <algorithm>
#include <cstring>

using namespace penraster;

namespace {

CGrafPtr ThePort() { return GetQDGlobalsThePort(); }

void CallRectProc(GrafVerb verb, const Rect* r) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    const CQDProcs* procs = PortProcs(port);
    if (procs && procs->rectProc) {
        procs->rectProc(verb, r);
    } else {
        StdRect(verb, r);
    }
}

Pattern PatternOf(UInt8 a, UInt8 b) {
    Pattern p;
    for (int i = 0; i < 8; ++i) p.pat[i] = (i & 1) ? b : a;
    return p;
}

}  // namespace

// ---- Pen state -----------------------------------------------------------------

void PenSize(SInt16 width, SInt16 height) {
    if (CGrafPtr port = ThePort()) port->pnSize = Point{height, width};
}

void PenMode(SInt16 mode) {
    if (CGrafPtr port = ThePort()) port->pnMode = mode;
}

void PenPat(const Pattern* pat) {
    CGrafPtr port = ThePort();
    if (port && pat) port->pnPat = *pat;
}

void BackPat(const Pattern* pat) {
    CGrafPtr port = ThePort();
    if (port && pat) port->bkPat = *pat;
}

void PenNormal() {
    CGrafPtr port = ThePort();
    if (!port) return;
    port->pnSize = Point{1, 1};
    port->pnMode = patCopy;
    std::memset(port->pnPat.pat, 0xFF, sizeof port->pnPat.pat);
}

void GetPenState(PenState* state) {
    CGrafPtr port = ThePort();
    if (!port || !state) return;
    *state = PenState{port->pnLoc, port->pnSize, port->pnMode, port->pnPat};
}

void SetPenState(const PenState* state) {
    CGrafPtr port = ThePort();
    if (!port || !state) return;
    port->pnLoc = state->pnLoc;
    port->pnSize = state->pnSize;
    port->pnMode = state->pnMode;
    port->pnPat = state->pnPat;
}

void HidePen() {
    if (CGrafPtr port = ThePort()) --port->pnVis;
}

void ShowPen() {
    if (CGrafPtr port = ThePort()) ++port->pnVis;
}

void GetPen(Point* pt) {
    CGrafPtr port = ThePort();
    if (port && pt) *pt = port->pnLoc;
}

// ---- Lines ------------------------------------------------------------------------

void MoveTo(SInt16 h, SInt16 v) {
    if (CGrafPtr port = ThePort()) port->pnLoc = Point{v, h};
}

void Move(SInt16 dh, SInt16 dv) {
    if (CGrafPtr port = ThePort()) port->pnLoc = Point{SInt16(port->pnLoc.v + dv), SInt16(port->pnLoc.h + dh)};
}

void LineTo(SInt16 h, SInt16 v) {
    CGrafPtr port = ThePort();
    if (!port) return;
    const Point to{v, h};
    if (!AddPolyLine(port, port->pnLoc, to)) {
        const CQDProcs* procs = PortProcs(port);
        if (procs && procs->lineProc) {
            procs->lineProc(to);
        } else {
            StdLine(to);
        }
    }
    port->pnLoc = to;
}

void Line(SInt16 dh, SInt16 dv) {
    CGrafPtr port = ThePort();
    if (!port) return;
    LineTo(SInt16(port->pnLoc.h + dh), SInt16(port->pnLoc.v + dv));
}

void StdLine(Point newPt) {
    CGrafPtr port = ThePort();
    if (!port) return;
    const Point from = port->pnLoc;
    if (port->picSave) port->picSave->line(port, from, newPt);
    if (port->pnVis >= 0) {
        SpanList spans = PortSpans(port);
        LineSpans(from, newPt, port->pnSize.h, port->pnSize.v, spans);
        spans.Normalize();
        PaintSpans(port, spans, PenInk(port));
    }
    port->pnLoc = newPt;
}

// ---- Rectangles ---------------------------------------------------------------------

void StdRect(GrafVerb verb, const Rect* r) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    if (port->picSave) port->picSave->rect(port, verb, r);
    if (EmptyRect(r)) return;
    SpanList spans = PortSpans(port);
    if (verb == kQDGrafVerbFrame) {
        if (port->pnVis < 0) return;
        FrameRectSpans(*r, port->pnSize.h, port->pnSize.v, spans);
    } else {
        if (verb == kQDGrafVerbPaint && port->pnVis < 0) return;
        spans.AddRect(r->top, r->left, r->bottom, r->right);
    }
    PaintSpans(port, spans, InkForVerb(port, verb));
}

void FrameRect(const Rect* r) { CallRectProc(kQDGrafVerbFrame, r); }
void PaintRect(const Rect* r) { CallRectProc(kQDGrafVerbPaint, r); }
void EraseRect(const Rect* r) { CallRectProc(kQDGrafVerbErase, r); }
void InvertRect(const Rect* r) { CallRectProc(kQDGrafVerbInvert, r); }

void FillRect(const Rect* r, const Pattern* pat) {
    CGrafPtr port = ThePort();
    if (!port || !pat) return;
    port->fillPat = *pat;
    CallRectProc(kQDGrafVerbFill, r);
}

// ---- Standard patterns ----------------------------------------------------------------

Pattern* GetQDGlobalsBlack(Pattern* p) {
    *p = PatternOf(0xFF, 0xFF);
    return p;
}
Pattern* GetQDGlobalsWhite(Pattern* p) {
    *p = PatternOf(0x00, 0x00);
    return p;
}
Pattern* GetQDGlobalsGray(Pattern* p) {
    *p = PatternOf(0xAA, 0x55);
    return p;
}
Pattern* GetQDGlobalsLightGray(Pattern* p) {
    *p = PatternOf(0x88, 0x22);
    return p;
}
Pattern* GetQDGlobalsDarkGray(Pattern* p) {
    *p = PatternOf(0x77, 0xDD);
    return p;
}
