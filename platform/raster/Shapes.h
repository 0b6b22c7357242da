// Ovals, rounded rectangles, arcs, polygons and regions, drawn through the
// port's bottleneck procedures. Frames are drawn inside the shape with the
// pen's size; paint uses the pen pattern and mode, erase the background
// pattern, fill a given pattern (both patCopy), invert inverts.
//
// Ovals: a pixel belongs to the oval inscribed in r when its centre lies in
// the ellipse touching r's edges (on the edge counts as inside). The rule is
// symmetric in both axes and integer-exact.
#pragma once

#include "platform/raster/QDTypes.h"

#include <span>

void FrameOval(const Rect* r);
void PaintOval(const Rect* r);
void EraseOval(const Rect* r);
void InvertOval(const Rect* r);
void FillOval(const Rect* r, const Pattern* pat);

// Corners are ovals of ovalWidth x ovalHeight (cut to the rectangle's size).
void FrameRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void PaintRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void EraseRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void InvertRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void FillRoundRect(const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight, const Pattern* pat);

// Angles in degrees, 0 at twelve o'clock, clockwise positive, measured
// against the rectangle (45 passes through its top-right corner).
void FrameArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void PaintArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void EraseArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void InvertArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void FillArc(const Rect* r, SInt16 startAngle, SInt16 arcAngle, const Pattern* pat);

// Polygons live in a handle: polySize (bytes, 16-bit), polyBBox, then the
// points, all in host byte order. Between OpenPoly and ClosePoly the lines
// drawn on the current port (LineTo, Line) add points instead of drawing;
// the first line adds the pen location as well.
struct Polygon {
    SInt16 polySize;
    Rect polyBBox;
    Point polyPoints[1];
};
inline constexpr int kPolyHeaderSize = 10;
// polySize is 16-bit, which bounds the point count.
inline constexpr int kMaxPolyPoints = (32767 - kPolyHeaderSize) / 4;

PolyHandle OpenPoly();
void ClosePoly();
void KillPoly(PolyHandle poly);
void OffsetPoly(PolyHandle poly, SInt16 dh, SInt16 dv);
// The points of a polygon, as many as both polySize and the handle hold.
std::span<const Point> PolyPoints(PolyHandle poly);

// Paint, erase, fill and invert close the polygon and use the even-odd rule
// on pixel centres; frame draws the lines between successive points.
void FramePoly(PolyHandle poly);
void PaintPoly(PolyHandle poly);
void ErasePoly(PolyHandle poly);
void InvertPoly(PolyHandle poly);
void FillPoly(PolyHandle poly, const Pattern* pat);

// A frame is the region less the region inset by the pen size.
void FrameRgn(RgnHandle rgn);
void PaintRgn(RgnHandle rgn);
void EraseRgn(RgnHandle rgn);
void InvertRgn(RgnHandle rgn);
void FillRgn(RgnHandle rgn, const Pattern* pat);
