// Point and rectangle arithmetic. Rectangles are half-open: bottom and right
// are exclusive, and a rectangle with bottom <= top or right <= left is empty.
#pragma once

#include "platform/core/MacTypes.h"

void SetPt(Point* pt, SInt16 h, SInt16 v);
bool EqualPt(Point a, Point b);
void AddPt(Point src, Point* dst);
void SubPt(Point src, Point* dst);
void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void OffsetRect(Rect* r, SInt16 dh, SInt16 dv);
void InsetRect(Rect* r, SInt16 dh, SInt16 dv);
bool SectRect(const Rect* a, const Rect* b, Rect* dst);  // false and an empty dst when apart
void UnionRect(const Rect* a, const Rect* b, Rect* dst);
bool EmptyRect(const Rect* r);
bool EqualRect(const Rect* a, const Rect* b);
bool PtInRect(Point pt, const Rect* r);
void Pt2Rect(Point a, Point b, Rect* dst);
// Maps a point or rectangle from one rectangle's coordinates to another's,
// scaling as the toolbox does (integer arithmetic, truncating).
void MapPt(Point* pt, const Rect* srcRect, const Rect* dstRect);
void MapRect(Rect* r, const Rect* srcRect, const Rect* dstRect);

inline int RectWidth(const Rect& r) { return int(r.right) - int(r.left); }
inline int RectHeight(const Rect& r) { return int(r.bottom) - int(r.top); }
inline Rect MakeRect(int top, int left, int bottom, int right) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}
