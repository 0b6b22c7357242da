#include "platform/core/Geometry.h"

#include <algorithm>

void SetPt(Point* pt, SInt16 h, SInt16 v) {
    pt->h = h;
    pt->v = v;
}
bool EqualPt(Point a, Point b) { return a == b; }
void AddPt(Point src, Point* dst) {
    dst->h = SInt16(dst->h + src.h);
    dst->v = SInt16(dst->v + src.v);
}
void SubPt(Point src, Point* dst) {
    dst->h = SInt16(dst->h - src.h);
    dst->v = SInt16(dst->v - src.v);
}
void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    *r = Rect{top, left, bottom, right};
}
void OffsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    r->left = SInt16(r->left + dh);
    r->right = SInt16(r->right + dh);
    r->top = SInt16(r->top + dv);
    r->bottom = SInt16(r->bottom + dv);
}
void InsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    r->left = SInt16(r->left + dh);
    r->right = SInt16(r->right - dh);
    r->top = SInt16(r->top + dv);
    r->bottom = SInt16(r->bottom - dv);
    if (EmptyRect(r)) *r = Rect{};
}
bool EmptyRect(const Rect* r) { return r->bottom <= r->top || r->right <= r->left; }
bool EqualRect(const Rect* a, const Rect* b) { return *a == *b; }
bool SectRect(const Rect* a, const Rect* b, Rect* dst) {
    Rect r{std::max(a->top, b->top), std::max(a->left, b->left), std::min(a->bottom, b->bottom),
           std::min(a->right, b->right)};
    if (EmptyRect(&r)) {
        *dst = Rect{};
        return false;
    }
    *dst = r;
    return true;
}
void UnionRect(const Rect* a, const Rect* b, Rect* dst) {
    if (EmptyRect(a)) {
        *dst = *b;
        return;
    }
    if (EmptyRect(b)) {
        *dst = *a;
        return;
    }
    *dst = Rect{std::min(a->top, b->top), std::min(a->left, b->left), std::max(a->bottom, b->bottom),
                std::max(a->right, b->right)};
}
bool PtInRect(Point pt, const Rect* r) {
    return pt.v >= r->top && pt.v < r->bottom && pt.h >= r->left && pt.h < r->right;
}
void Pt2Rect(Point a, Point b, Rect* dst) {
    *dst = Rect{std::min(a.v, b.v), std::min(a.h, b.h), std::max(a.v, b.v), std::max(a.h, b.h)};
}

namespace {
SInt16 MapCoord(int x, int srcLo, int srcHi, int dstLo, int dstHi) {
    int srcSpan = srcHi - srcLo;
    int dstSpan = dstHi - dstLo;
    if (srcSpan == 0) return SInt16(dstLo + (x - srcLo));
    // Floor division keeps the mapping monotonic for negative offsets.
    long num = long(x - srcLo) * dstSpan;
    long q = num / srcSpan;
    if ((num % srcSpan != 0) && ((num < 0) != (srcSpan < 0))) --q;
    return SInt16(dstLo + q);
}
}  // namespace

void MapPt(Point* pt, const Rect* s, const Rect* d) {
    pt->h = MapCoord(pt->h, s->left, s->right, d->left, d->right);
    pt->v = MapCoord(pt->v, s->top, s->bottom, d->top, d->bottom);
}
void MapRect(Rect* r, const Rect* s, const Rect* d) {
    Point tl{r->top, r->left}, br{r->bottom, r->right};
    MapPt(&tl, s, d);
    MapPt(&br, s, d);
    *r = Rect{tl.v, tl.h, br.v, br.h};
}
