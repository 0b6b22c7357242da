// The raster core under the pen and shape procedures: shapes become sorted
// horizontal runs ("spans"), which are clipped to the port and painted with
// an ink (a pattern, two colours and a transfer mode). Every shape goes
// through one PaintSpans call, so each pixel is touched at most once per
// drawing operation: xor twice restores, blend never blends a pixel twice.
// Nothing outside platform/raster includes this.
#pragma once

#include "platform/raster/QDTypes.h"

#include <span>
#include <vector>

namespace penraster {

// Pixels x0 <= x < x1 of row y, in the port's local coordinates.
struct Span {
    int y = 0;
    int x0 = 0;
    int x1 = 0;
};

// Collects spans in any order; Normalize sorts them by row and merges those
// that overlap or touch, so the result covers each pixel once.
class SpanList {
public:
    // Spans are cut to the window as they are added, so shapes far larger
    // than the port (coordinates from a picture) cost only what is visible.
    void SetWindow(const Rect& w) { win_ = w; }
    void Add(int y, int x0, int x1) {
        if (y < win_.top || y >= win_.bottom) return;
        x0 = x0 < win_.left ? win_.left : x0;
        x1 = x1 > win_.right ? win_.right : x1;
        if (x1 > x0) spans_.push_back(Span{y, x0, x1});
    }
    void AddRect(int top, int left, int bottom, int right);
    void Append(const SpanList& other) { spans_.insert(spans_.end(), other.spans_.begin(), other.spans_.end()); }
    void Normalize();
    // Spans of this list (normalized) not covered by `cut` (normalized).
    SpanList Minus(const SpanList& cut) const;
    std::span<const Span> Spans() const { return spans_; }
    bool Empty() const { return spans_.empty(); }
    void Reserve(size_t n) { spans_.reserve(n); }

private:
    std::vector<Span> spans_;
    Rect win_{-32768, -32768, 32767, 32767};
};

// An empty list windowed to the port's pixel map.
SpanList PortSpans(CGrafPtr port);

// What to paint with. `mode` is a pen mode; src-modes 0-7 act as their
// pattern forms, unknown modes as patCopy.
struct Ink {
    Pattern pat;
    SInt16 mode = patCopy;
    RGBColor fore{0, 0, 0};
    RGBColor back{0xFFFF, 0xFFFF, 0xFFFF};
    RGBColor op{0, 0, 0};
};

Ink PenInk(CGrafPtr port);    // pnPat in pnMode
Ink EraseInk(CGrafPtr port);  // bkPat, patCopy
Ink InvertInk(CGrafPtr port); // solid, patXor
Ink FillInk(CGrafPtr port);   // fillPat, patCopy
Ink InkForVerb(CGrafPtr port, GrafVerb verb);

// Paints normalized spans into the port's pixel map, clipped to the port's
// clipRgn and visRgn and to the map's bounds. `extraClip`, when given, is
// intersected as well.
void PaintSpans(CGrafPtr port, const SpanList& spans, const Ink& ink, RgnHandle extraClip = nullptr);

// Whether the pen can draw into the map: depth 1, 2, 4, 8 or 32 and rows
// long enough for its width.
bool DrawableMap(const PixMap& pm);

// Paints spans straight into a pixel map (no port clipping; the map's bounds
// still clip). Patterns align to the map's top-left corner.
void PaintSpansInMap(const PixMap& pm, std::span<const Span> spans, const Ink& ink);

// The pixels a line from `from` to `to` touches with a pen of penW x penH
// hanging below and to the right of the path.
void LineSpans(Point from, Point to, int penW, int penH, SpanList& out);

// While a polygon is being recorded on `port`, adds the line's points to it
// and returns true; the line is then not drawn.
bool AddPolyLine(CGrafPtr port, Point from, Point to);

// The pixels of the oval inscribed in r (pixel-centre rule, see Shapes.cpp).
void OvalSpans(const Rect& r, SpanList& out);
// A rectangle with oval corners of ovalW x ovalH.
void RoundRectSpans(const Rect& r, int ovalW, int ovalH, SpanList& out);
// The rectangle's outline drawn inside it with a penW x penH pen.
void FrameRectSpans(const Rect& r, int penW, int penH, SpanList& out);
// The region's pixels.
void RegionSpans(RgnHandle rgn, SpanList& out);

}  // namespace penraster
