#include "platform/raster/Shapes.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/PenRaster.h"
#include "platform/raster/Regions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace penraster;

// ---- Oval geometry -------------------------------------------------------------------

namespace {

SInt64 ISqrt(SInt64 v) {
    if (v <= 0) return 0;
    auto r = SInt64(std::sqrt(double(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return r;
}

// For each row k of a w x h oval, how many pixels its left end lies inside
// the bounding box (the right end mirrors it); a row with no pixel gets
// (w + 1) / 2, so that it is empty alone and meets its mirror inside a wider
// shape.
//
// In doubled units a pixel centre of the w x h box is X = 2i + 1 - w,
// Y = 2k + 1 - h, and it is inside when X^2 h^2 + Y^2 w^2 <= w^2 h^2.
std::vector<int> OvalInsets(int w, int h) {
    std::vector<int> insets(size_t(std::max(h, 0)));
    const SInt64 W = w, H = h;
    for (int k = 0; k < h; ++k) {
        const SInt64 Y = 2 * SInt64(k) + 1 - H;
        // W^2 (H^2 - Y^2) needs more than 64 bits for edges near 65535.
        const __int128 rhs = __int128(W * W) * (H * H - Y * Y);
        SInt64 m = ISqrt(SInt64(rhs / (H * H)));  // largest |X| allowed
        if (((m - (W - 1)) & 1) != 0) --m; // X has the parity of w - 1
        insets[size_t(k)] = m < 0 ? int((w + 1) / 2) : int((W - 1 - m) / 2);
    }
    return insets;
}

}  // namespace

namespace penraster {

void OvalSpans(const Rect& r, SpanList& out) {
    if (EmptyRect(&r)) return;
    const int w = RectWidth(r), h = RectHeight(r);
    const std::vector<int> insets = OvalInsets(w, h);
    for (int k = 0; k < h; ++k) out.Add(r.top + k, r.left + insets[size_t(k)], r.right - insets[size_t(k)]);
}

void RoundRectSpans(const Rect& r, int ovalW, int ovalH, SpanList& out) {
    if (EmptyRect(&r)) return;
    const int w = RectWidth(r), h = RectHeight(r);
    const int ow = std::min(ovalW, w), oh = std::min(ovalH, h);
    if (ow <= 0 || oh <= 0) {
        out.AddRect(r.top, r.left, r.bottom, r.right);
        return;
    }
    const std::vector<int> insets = OvalInsets(ow, oh);
    const int corner = oh / 2;  // rows taken by each pair of corners
    for (int k = 0; k < h; ++k) {
        int inset = 0;
        if (k < corner) {
            inset = insets[size_t(k)];
        } else if (k >= h - corner) {
            inset = insets[size_t(oh - (h - k))];
        }
        out.Add(r.top + k, r.left + inset, r.right - inset);
    }
}

void RegionSpans(RgnHandle rgn, SpanList& out) {
    if (!rgn) return;
    for (const Rect& r : RegionRects(rgn)) out.AddRect(r.top, r.left, r.bottom, r.right);
    out.Normalize();
}

}  // namespace penraster

// ---- Shared drawing ---------------------------------------------------------------------

namespace {

CGrafPtr ThePort() { return GetQDGlobalsThePort(); }

// Whether a verb draws at all on the port: frame and paint are pen
// operations, which a hidden pen suppresses.
bool VerbDraws(CGrafPtr port, GrafVerb verb) {
    return !((verb == kQDGrafVerbFrame || verb == kQDGrafVerbPaint) && port->pnVis < 0);
}

Rect InsetBy(const Rect& r, int dh, int dv) {
    return MakeRect(r.top + dv, r.left + dh, r.bottom - dv, r.right - dh);
}

// Outline of a filled shape: the shape less the same shape made inside the
// rectangle inset by the pen.
template <typename MakeSpans>
SpanList FrameOf(CGrafPtr port, const Rect& r, int penW, int penH, MakeSpans make) {
    SpanList outer = PortSpans(port);
    make(r, outer);
    outer.Normalize();
    if (penW <= 0 || penH <= 0) return SpanList{};
    const Rect inner = InsetBy(r, penW, penH);
    if (RectWidth(inner) <= 0 || RectHeight(inner) <= 0) return outer;
    SpanList in = PortSpans(port);
    make(inner, in);
    in.Normalize();
    return outer.Minus(in);
}

void PaintVerb(CGrafPtr port, GrafVerb verb, SpanList& spans) {
    spans.Normalize();
    PaintSpans(port, spans, InkForVerb(port, verb));
}

void SetFillPattern(const Pattern* pat) {
    CGrafPtr port = ThePort();
    if (port && pat) port->fillPat = *pat;
}

}  // namespace

// ---- Ovals -----------------------------------------------------------------------------

void StdOval(GrafVerb verb, const Rect* r) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    if (port->picSave) port->picSave->oval(port, verb, r);
    if (EmptyRect(r) || !VerbDraws(port, verb)) return;
    SpanList spans = PortSpans(port);
    if (verb == kQDGrafVerbFrame) {
        spans = FrameOf(port, *r, port->pnSize.h, port->pnSize.v, [](const Rect& b, SpanList& o) { OvalSpans(b, o); });
    } else {
        OvalSpans(*r, spans);
    }
    PaintVerb(port, verb, spans);
}

namespace {
void CallOval(GrafVerb verb, const Rect* r) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    const CQDProcs* procs = PortProcs(port);
    if (procs && procs->ovalProc) {
        procs->ovalProc(verb, r);
    } else {
        StdOval(verb, r);
    }
}
}  // namespace

void FrameOval(const Rect* r) { CallOval(kQDGrafVerbFrame, r); }
void PaintOval(const Rect* r) { CallOval(kQDGrafVerbPaint, r); }
void EraseOval(const Rect* r) { CallOval(kQDGrafVerbErase, r); }
void InvertOval(const Rect* r) { CallOval(kQDGrafVerbInvert, r); }
void FillOval(const Rect* r, const Pattern* pat) {
    if (!pat) return;
    SetFillPattern(pat);
    CallOval(kQDGrafVerbFill, r);
}

// ---- Rounded rectangles ------------------------------------------------------------------

void StdRRect(GrafVerb verb, const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    if (port->picSave) port->picSave->rRect(port, verb, r, ovalWidth, ovalHeight);
    if (EmptyRect(r) || !VerbDraws(port, verb)) return;
    SpanList spans = PortSpans(port);
    if (verb == kQDGrafVerbFrame) {
        const int penW = port->pnSize.h, penH = port->pnSize.v;
        const Rect outerRect = *r;
        SpanList outer = PortSpans(port);
        RoundRectSpans(outerRect, ovalWidth, ovalHeight, outer);
        outer.Normalize();
        if (penW <= 0 || penH <= 0) return;
        const Rect inner = InsetBy(outerRect, penW, penH);
        if (RectWidth(inner) <= 0 || RectHeight(inner) <= 0) {
            spans = outer;
        } else {
            // The inner corners shrink with the pen so the frame keeps its width.
            SpanList in = PortSpans(port);
            RoundRectSpans(inner, ovalWidth - 2 * penW, ovalHeight - 2 * penH, in);
            in.Normalize();
            spans = outer.Minus(in);
        }
    } else {
        RoundRectSpans(*r, ovalWidth, ovalHeight, spans);
    }
    PaintVerb(port, verb, spans);
}

namespace {
void CallRRect(GrafVerb verb, const Rect* r, SInt16 ow, SInt16 oh) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    const CQDProcs* procs = PortProcs(port);
    if (procs && procs->rRectProc) {
        procs->rRectProc(verb, r, ow, oh);
    } else {
        StdRRect(verb, r, ow, oh);
    }
}
}  // namespace

void FrameRoundRect(const Rect* r, SInt16 ow, SInt16 oh) { CallRRect(kQDGrafVerbFrame, r, ow, oh); }
void PaintRoundRect(const Rect* r, SInt16 ow, SInt16 oh) { CallRRect(kQDGrafVerbPaint, r, ow, oh); }
void EraseRoundRect(const Rect* r, SInt16 ow, SInt16 oh) { CallRRect(kQDGrafVerbErase, r, ow, oh); }
void InvertRoundRect(const Rect* r, SInt16 ow, SInt16 oh) { CallRRect(kQDGrafVerbInvert, r, ow, oh); }
void FillRoundRect(const Rect* r, SInt16 ow, SInt16 oh, const Pattern* pat) {
    if (!pat) return;
    SetFillPattern(pat);
    CallRRect(kQDGrafVerbFill, r, ow, oh);
}

// ---- Arcs ------------------------------------------------------------------------------------

namespace {

// Keeps the pixels of `spans` whose centre lies in the wedge from startAngle
// through arcAngle degrees of the oval in r.
SpanList WedgeOf(const SpanList& spans, const Rect& r, int startAngle, int arcAngle) {
    if (arcAngle >= 360 || arcAngle <= -360) return spans;
    if (arcAngle < 0) {
        startAngle += arcAngle;
        arcAngle = -arcAngle;
    }
    startAngle %= 360;
    if (startAngle < 0) startAngle += 360;
    const double w = RectWidth(r), h = RectHeight(r);
    const double cx = r.left + w / 2, cy = r.top + h / 2;
    SpanList out;
    for (const Span& s : spans.Spans()) {
        int runStart = s.x0;
        bool inRun = false;
        for (int x = s.x0; x < s.x1; ++x) {
            // Angle against the rectangle: scale to a square first.
            const double u = (x + 0.5 - cx) / w, v = (s.y + 0.5 - cy) / h;
            double a = std::atan2(u, -v) * 180.0 / 3.14159265358979323846;
            if (a < 0) a += 360;
            double rel = a - startAngle;
            if (rel < 0) rel += 360;
            const bool in = rel < arcAngle;
            if (in && !inRun) runStart = x;
            if (!in && inRun) out.Add(s.y, runStart, x);
            inRun = in;
        }
        if (inRun) out.Add(s.y, runStart, s.x1);
    }
    return out;
}

}  // namespace

void StdArc(GrafVerb verb, const Rect* r, SInt16 startAngle, SInt16 arcAngle) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    if (port->picSave) port->picSave->arc(port, verb, r, startAngle, arcAngle);
    if (EmptyRect(r) || arcAngle == 0 || !VerbDraws(port, verb)) return;
    SpanList spans = PortSpans(port);
    if (verb == kQDGrafVerbFrame) {
        spans = FrameOf(port, *r, port->pnSize.h, port->pnSize.v, [](const Rect& b, SpanList& o) { OvalSpans(b, o); });
    } else {
        OvalSpans(*r, spans);
        spans.Normalize();
    }
    SpanList wedge = WedgeOf(spans, *r, startAngle, arcAngle);
    PaintVerb(port, verb, wedge);
}

namespace {
void CallArc(GrafVerb verb, const Rect* r, SInt16 start, SInt16 arc) {
    CGrafPtr port = ThePort();
    if (!port || !r) return;
    const CQDProcs* procs = PortProcs(port);
    if (procs && procs->arcProc) {
        procs->arcProc(verb, r, start, arc);
    } else {
        StdArc(verb, r, start, arc);
    }
}
}  // namespace

void FrameArc(const Rect* r, SInt16 s, SInt16 a) { CallArc(kQDGrafVerbFrame, r, s, a); }
void PaintArc(const Rect* r, SInt16 s, SInt16 a) { CallArc(kQDGrafVerbPaint, r, s, a); }
void EraseArc(const Rect* r, SInt16 s, SInt16 a) { CallArc(kQDGrafVerbErase, r, s, a); }
void InvertArc(const Rect* r, SInt16 s, SInt16 a) { CallArc(kQDGrafVerbInvert, r, s, a); }
void FillArc(const Rect* r, SInt16 s, SInt16 a, const Pattern* pat) {
    if (!pat) return;
    SetFillPattern(pat);
    CallArc(kQDGrafVerbFill, r, s, a);
}

// ---- Regions ------------------------------------------------------------------------------------

void StdRgn(GrafVerb verb, RgnHandle rgn) {
    CGrafPtr port = ThePort();
    if (!port || !rgn) return;
    if (port->picSave) port->picSave->rgn(port, verb, rgn);
    if (!VerbDraws(port, verb)) return;
    SpanList spans = PortSpans(port);
    if (verb == kQDGrafVerbFrame) {
        if (port->pnSize.h <= 0 || port->pnSize.v <= 0) return;
        UniqueRgn inner;
        CopyRgn(rgn, inner);
        InsetRgn(inner, port->pnSize.h, port->pnSize.v);
        UniqueRgn frame;
        DiffRgn(rgn, inner, frame);
        RegionSpans(frame, spans);
    } else {
        RegionSpans(rgn, spans);
    }
    PaintSpans(port, spans, InkForVerb(port, verb));
}

namespace {
void CallRgn(GrafVerb verb, RgnHandle rgn) {
    CGrafPtr port = ThePort();
    if (!port || !rgn) return;
    const CQDProcs* procs = PortProcs(port);
    if (procs && procs->rgnProc) {
        procs->rgnProc(verb, rgn);
    } else {
        StdRgn(verb, rgn);
    }
}
}  // namespace

void FrameRgn(RgnHandle rgn) { CallRgn(kQDGrafVerbFrame, rgn); }
void PaintRgn(RgnHandle rgn) { CallRgn(kQDGrafVerbPaint, rgn); }
void EraseRgn(RgnHandle rgn) { CallRgn(kQDGrafVerbErase, rgn); }
void InvertRgn(RgnHandle rgn) { CallRgn(kQDGrafVerbInvert, rgn); }
void FillRgn(RgnHandle rgn, const Pattern* pat) {
    if (!pat) return;
    SetFillPattern(pat);
    CallRgn(kQDGrafVerbFill, rgn);
}
