#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/Pen.h"
#include "platform/raster/PenRaster.h"
#include "platform/raster/Shapes.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace penraster;

namespace {

// The polygon being recorded (program state, like the current port).
struct PolyRecording {
    CGrafPtr port = nullptr;
    PolyHandle poly = nullptr;
};
PolyRecording gPolyRecording;

SInt16 StoredSize(PolyHandle poly) {
    SInt16 size = 0;
    std::memcpy(&size, *poly, sizeof size);
    return size;
}

void SetStoredSize(PolyHandle poly, SInt16 size) { std::memcpy(*poly, &size, sizeof size); }

bool AppendPoint(PolyHandle poly, Point pt) {
    const int count = int(PolyPoints(poly).size());
    if (count >= kMaxPolyPoints) return false;
    const Size newSize = kPolyHeaderSize + Size(count + 1) * 4;
    SetHandleSize(poly, newSize);
    if (MemError() != noErr) return false;
    std::memcpy(*poly + kPolyHeaderSize + Size(count) * 4, &pt, sizeof pt);
    SetStoredSize(poly, SInt16(newSize));
    return true;
}

}  // namespace

namespace penraster {

bool AddPolyLine(CGrafPtr port, Point from, Point to) {
    if (!gPolyRecording.poly || gPolyRecording.port != port) return false;
    if (PolyPoints(gPolyRecording.poly).empty()) AppendPoint(gPolyRecording.poly, from);
    AppendPoint(gPolyRecording.poly, to);
    return true;
}

}  // namespace penraster

std::span<const Point> PolyPoints(PolyHandle poly) {
    if (!poly || !*poly) return {};
    const Size handleSize = GetHandleSize(poly);
    if (handleSize < kPolyHeaderSize) return {};
    const Size size = std::min<Size>(StoredSize(poly), handleSize);
    if (size < kPolyHeaderSize) return {};
    return {reinterpret_cast<const Point*>(*poly + kPolyHeaderSize), size_t((size - kPolyHeaderSize) / 4)};
}

PolyHandle OpenPoly() {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port) return nullptr;
    if (gPolyRecording.poly) ClosePoly();
    PolyHandle poly = NewHandleClear(kPolyHeaderSize);
    if (!poly) return nullptr;
    SetStoredSize(poly, kPolyHeaderSize);
    gPolyRecording = PolyRecording{port, poly};
    HidePen();
    return poly;
}

void ClosePoly() {
    PolyHandle poly = gPolyRecording.poly;
    CGrafPtr port = gPolyRecording.port;
    gPolyRecording = PolyRecording{};
    if (!poly) return;
    const auto pts = PolyPoints(poly);
    Rect box{};
    if (!pts.empty()) {
        box = Rect{pts[0].v, pts[0].h, pts[0].v, pts[0].h};
        for (const Point& p : pts) {
            box.top = std::min(box.top, p.v);
            box.left = std::min(box.left, p.h);
            box.bottom = std::max(box.bottom, p.v);
            box.right = std::max(box.right, p.h);
        }
    }
    std::memcpy(*poly + 2, &box, sizeof box);
    if (port) ++port->pnVis;  // the HidePen of OpenPoly
}

void KillPoly(PolyHandle poly) {
    if (!poly) return;
    if (gPolyRecording.poly == poly) {
        if (gPolyRecording.port) ++gPolyRecording.port->pnVis;
        gPolyRecording = PolyRecording{};
    }
    DisposeHandle(poly);
}

void OffsetPoly(PolyHandle poly, SInt16 dh, SInt16 dv) {
    const auto pts = PolyPoints(poly);
    if (pts.empty()) return;
    auto* p = reinterpret_cast<Point*>(*poly + kPolyHeaderSize);
    for (size_t i = 0; i < pts.size(); ++i) {
        p[i].h = SInt16(p[i].h + dh);
        p[i].v = SInt16(p[i].v + dv);
    }
    Rect box;
    std::memcpy(&box, *poly + 2, sizeof box);
    OffsetRect(&box, dh, dv);
    std::memcpy(*poly + 2, &box, sizeof box);
}

// ---- Rasterising --------------------------------------------------------------------

namespace {

SInt64 CeilDiv(SInt64 a, SInt64 b) {  // b > 0
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Even-odd fill sampled at pixel centres: row y is cut at v = y + 0.5 and a
// pixel is inside when its centre lies between an odd and the next even
// crossing. Edges lie on pixel boundaries, so a rectangle's outline gives
// exactly the rectangle. Rows are limited to [rowLo, rowHi).
void PolySpans(std::span<const Point> pts, int rowLo, int rowHi, SpanList& out) {
    struct Edge {
        int ya, yb;  // ya < yb
        SInt64 xa, xb;
    };
    std::vector<Edge> edges;
    const size_t n = pts.size();
    if (n < 3) return;
    edges.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const Point a = pts[i], b = pts[(i + 1) % n];
        if (a.v == b.v) continue;
        if (a.v < b.v) {
            edges.push_back(Edge{a.v, b.v, a.h, b.h});
        } else {
            edges.push_back(Edge{b.v, a.v, b.h, a.h});
        }
    }
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.ya < b.ya; });
    int top = edges.front().ya, bottom = top;
    for (const Edge& e : edges) bottom = std::max(bottom, e.yb);
    top = std::max(top, rowLo);
    bottom = std::min(bottom, rowHi);
    std::vector<const Edge*> active;
    std::vector<SInt64> xs;
    size_t next = 0;
    for (int y = top; y < bottom; ++y) {
        while (next < edges.size() && edges[next].ya <= y) active.push_back(&edges[next++]);
        std::erase_if(active, [y](const Edge* e) { return e->yb <= y; });
        xs.clear();
        for (const Edge* e : active) {
            // Crossing x = xa + (y + 0.5 - ya) (xb - xa) / (yb - ya); the first
            // pixel whose centre is at or right of it is ceil(x - 0.5).
            const SInt64 dy = e->yb - e->ya;
            const SInt64 num = 2 * e->xa * dy + (2 * SInt64(y) + 1 - 2 * e->ya) * (e->xb - e->xa);
            xs.push_back(CeilDiv(2 * num - 2 * dy, 4 * dy));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2) out.Add(y, int(xs[k]), int(xs[k + 1]));
    }
}

void CallPoly(GrafVerb verb, PolyHandle poly) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || !poly) return;
    const CQDProcs* procs = PortProcs(port);
    if (procs && procs->polyProc) {
        procs->polyProc(verb, poly);
    } else {
        StdPoly(verb, poly);
    }
}

}  // namespace

void StdPoly(GrafVerb verb, PolyHandle poly) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || !poly) return;
    if (port->picSave) port->picSave->poly(port, verb, poly);
    if ((verb == kQDGrafVerbFrame || verb == kQDGrafVerbPaint) && port->pnVis < 0) return;
    const auto pts = PolyPoints(poly);
    if (pts.empty() || !port->portPixMap) return;
    SpanList spans = PortSpans(port);
    if (verb == kQDGrafVerbFrame) {
        for (size_t i = 0; i + 1 < pts.size(); ++i)
            LineSpans(pts[i], pts[i + 1], port->pnSize.h, port->pnSize.v, spans);
    } else {
        const Rect& b = (*port->portPixMap)->bounds;
        PolySpans(pts, b.top, b.bottom, spans);
    }
    spans.Normalize();
    PaintSpans(port, spans, InkForVerb(port, verb));
}

void FramePoly(PolyHandle poly) { CallPoly(kQDGrafVerbFrame, poly); }
void PaintPoly(PolyHandle poly) { CallPoly(kQDGrafVerbPaint, poly); }
void ErasePoly(PolyHandle poly) { CallPoly(kQDGrafVerbErase, poly); }
void InvertPoly(PolyHandle poly) { CallPoly(kQDGrafVerbInvert, poly); }
void FillPoly(PolyHandle poly, const Pattern* pat) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || !pat) return;
    port->fillPat = *pat;
    CallPoly(kQDGrafVerbFill, poly);
}
