// Region operations on pixman's 32-bit regions. See RegionImpl.h for the
// representation invariant every function keeps. Allocation failures inside
// pixman leave a region in its "broken" state; every entry point turns that
// into a plain empty region so callers always see a defined value.
#include "platform/raster/RegionImpl.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <new>
#include <utility>

namespace regions {

namespace {

void MakeEmpty(pixman_region32_t* r) {
    pixman_region32_fini(r);
    pixman_region32_init(r);
}

// Keeps the result inside the 16-bit coordinate square.
void Clamp(pixman_region32_t* r) {
    const pixman_box32_t* e = pixman_region32_extents(r);
    if (e->x1 >= kMinCoord && e->y1 >= kMinCoord && e->x2 <= kMaxCoord && e->y2 <= kMaxCoord) return;
    if (!pixman_region32_intersect_rect(r, r, kMinCoord, kMinCoord, unsigned(kMaxCoord - kMinCoord),
                                        unsigned(kMaxCoord - kMinCoord)))
        MakeEmpty(r);
}

// Takes over `tmp` as the region's new contents and releases the old ones.
void Adopt(RgnHandle rgn, pixman_region32_t* tmp, bool ok) {
    if (!ok) MakeEmpty(tmp);
    std::swap(rgn->r, *tmp);
    pixman_region32_fini(tmp);
    Clamp(&rgn->r);
    CheckValid(rgn);
}

void Finish(RgnHandle rgn, bool ok) {
    if (!ok) MakeEmpty(&rgn->r);
    Clamp(&rgn->r);
    CheckValid(rgn);
}

std::span<const pixman_box32_t> Boxes(RgnHandle rgn) {
    int n = 0;
    const pixman_box32_t* b = pixman_region32_rectangles(&rgn->r, &n);
    return {b, size_t(n)};
}

bool IsEmpty(RgnHandle rgn) { return !pixman_region32_not_empty(&rgn->r); }

// Grows every box by `gx` horizontally and `gy` vertically (both >= 0): the
// region dilated by a (2gx+1) x (2gy+1) rectangle.
bool Dilate(pixman_region32_t* dst, const pixman_region32_t* src, int gx, int gy) {
    int n = 0;
    const pixman_box32_t* b = pixman_region32_rectangles(const_cast<pixman_region32_t*>(src), &n);
    std::vector<pixman_box32_t> grown;
    try {
        grown.reserve(size_t(n));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < n; ++i) grown.push_back({b[i].x1 - gx, b[i].y1 - gy, b[i].x2 + gx, b[i].y2 + gy});
    pixman_region32_fini(dst);
    return pixman_region32_init_rects(dst, grown.data(), int(grown.size()));
}

// Erosion is the complement of the dilated complement; the complement is
// taken inside the region's bounds widened by the amount, so that everything
// outside the region counts as outside.
bool Erode(pixman_region32_t* r, int ex, int ey) {
    const pixman_box32_t e = *pixman_region32_extents(r);
    pixman_region32_t frame, outside;
    pixman_region32_init_rect(&frame, e.x1 - ex, e.y1 - ey, unsigned(e.x2 - e.x1 + 2 * ex),
                              unsigned(e.y2 - e.y1 + 2 * ey));
    pixman_region32_init(&outside);
    bool ok = pixman_region32_subtract(&outside, &frame, r) && Dilate(&frame, &outside, ex, ey) &&
              pixman_region32_subtract(r, r, &frame);
    pixman_region32_fini(&frame);
    pixman_region32_fini(&outside);
    return ok;
}

// Toolbox scaling of one coordinate (see MapPt), kept in int so that a large
// result clamps instead of wrapping.
int MapCoord(int x, int srcLo, int srcHi, int dstLo, int dstHi) {
    long srcSpan = long(srcHi) - srcLo;
    long dstSpan = long(dstHi) - dstLo;
    if (srcSpan == 0) return int(dstLo + (x - srcLo));
    long num = long(x - srcLo) * dstSpan;
    long q = num / srcSpan;
    if ((num % srcSpan != 0) && ((num < 0) != (srcSpan < 0))) --q;
    return int(std::clamp<long>(dstLo + q, -0x40000000L, 0x40000000L));
}

}  // namespace

bool AssignBoxes(RgnHandle rgn, const std::vector<pixman_box32_t>& boxes) {
    pixman_region32_t tmp;
    bool ok;
    if (boxes.empty()) {
        pixman_region32_init(&tmp);
        ok = true;
    } else {
        ok = pixman_region32_init_rects(&tmp, boxes.data(), int(boxes.size()));
    }
    Adopt(rgn, &tmp, ok);
    return ok;
}

void CheckValid([[maybe_unused]] RgnHandle rgn) {
#ifndef NDEBUG
    assert(pixman_region32_selfcheck(&rgn->r));
    const pixman_box32_t* e = pixman_region32_extents(&rgn->r);
    assert(IsEmpty(rgn) || (e->x1 >= kMinCoord && e->y1 >= kMinCoord && e->x2 <= kMaxCoord && e->y2 <= kMaxCoord));
#endif
}

}  // namespace regions

using namespace regions;

RgnHandle NewRgn() {
    RgnHandle rgn = new (std::nothrow) OpaqueRgnHandle;
    if (rgn) pixman_region32_init(&rgn->r);
    return rgn;
}

void DisposeRgn(RgnHandle rgn) {
    if (!rgn) return;
    pixman_region32_fini(&rgn->r);
    delete rgn;
}

void SetEmptyRgn(RgnHandle rgn) {
    if (rgn) MakeEmpty(&rgn->r);
}

void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (!rgn) return;
    int l = std::max<int>(left, kMinCoord), t = std::max<int>(top, kMinCoord);
    int r = std::min<int>(right, kMaxCoord), b = std::min<int>(bottom, kMaxCoord);
    pixman_region32_fini(&rgn->r);
    if (r <= l || b <= t)
        pixman_region32_init(&rgn->r);
    else
        pixman_region32_init_rect(&rgn->r, l, t, unsigned(r - l), unsigned(b - t));
    CheckValid(rgn);
}

void RectRgn(RgnHandle rgn, const Rect* r) {
    if (!rgn) return;
    if (!r) return SetEmptyRgn(rgn);
    SetRectRgn(rgn, r->left, r->top, r->right, r->bottom);
}

void CopyRgn(RgnHandle src, RgnHandle dst) {
    if (!src || !dst || src == dst) return;
    Finish(dst, pixman_region32_copy(&dst->r, &src->r));
}

void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (!a || !b || !dst) return;
    Finish(dst, pixman_region32_union(&dst->r, &a->r, &b->r));
}

void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (!a || !b || !dst) return;
    Finish(dst, pixman_region32_intersect(&dst->r, &a->r, &b->r));
}

void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (!a || !b || !dst) return;
    Finish(dst, pixman_region32_subtract(&dst->r, &a->r, &b->r));
}

void XorRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (!a || !b || !dst) return;
    pixman_region32_t aOnly, bOnly, both;
    pixman_region32_init(&aOnly);
    pixman_region32_init(&bOnly);
    pixman_region32_init(&both);
    bool ok = pixman_region32_subtract(&aOnly, &a->r, &b->r) && pixman_region32_subtract(&bOnly, &b->r, &a->r) &&
              pixman_region32_union(&both, &aOnly, &bOnly);
    pixman_region32_fini(&aOnly);
    pixman_region32_fini(&bOnly);
    Adopt(dst, &both, ok);
}

void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
    if (!rgn || IsEmpty(rgn)) return;
    pixman_region32_translate(&rgn->r, dh, dv);
    Finish(rgn, true);
}

// Shrinks the region by dh on its left and right edges and dv on its top and
// bottom edges (negative values grow it), horizontally first. For a shaped
// region this is erosion (dilation) by a rectangle: after shrinking by dh a
// pixel stays only when the dh pixels on each side of it were in the region.
void InsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
    if (!rgn || IsEmpty(rgn)) return;
    bool ok = true;
    if (dh > 0)
        ok = Erode(&rgn->r, dh, 0);
    else if (dh < 0)
        ok = Dilate(&rgn->r, &rgn->r, -int(dh), 0);
    if (ok && !IsEmpty(rgn)) {
        if (dv > 0)
            ok = Erode(&rgn->r, 0, dv);
        else if (dv < 0)
            ok = Dilate(&rgn->r, &rgn->r, 0, -int(dv));
    }
    Finish(rgn, ok);
}

// Each box's corners map as MapRect maps them. Boxes that share an edge map
// to boxes that share the mapped edge, so an integer upscale gives exactly the
// scaled pixel set and no seams appear at any scale.
void MapRgn(RgnHandle rgn, const Rect* srcRect, const Rect* dstRect) {
    if (!rgn || !srcRect || !dstRect || IsEmpty(rgn)) return;
    const Rect& s = *srcRect;
    const Rect& d = *dstRect;
    std::vector<pixman_box32_t> mapped;
    try {
        mapped.reserve(Boxes(rgn).size());
    } catch (const std::bad_alloc&) {
        return Finish(rgn, false);
    }
    for (const pixman_box32_t& b : Boxes(rgn)) {
        int x1 = MapCoord(b.x1, s.left, s.right, d.left, d.right);
        int x2 = MapCoord(b.x2, s.left, s.right, d.left, d.right);
        int y1 = MapCoord(b.y1, s.top, s.bottom, d.top, d.bottom);
        int y2 = MapCoord(b.y2, s.top, s.bottom, d.top, d.bottom);
        if (x1 > x2) std::swap(x1, x2);  // a mirrored destination
        if (y1 > y2) std::swap(y1, y2);
        if (x1 < x2 && y1 < y2) mapped.push_back({x1, y1, x2, y2});
    }
    AssignBoxes(rgn, mapped);
}

Boolean PtInRgn(Point pt, RgnHandle rgn) {
    if (!rgn) return false;
    return pixman_region32_contains_point(&rgn->r, pt.h, pt.v, nullptr);
}

Boolean RectInRgn(const Rect* r, RgnHandle rgn) {
    if (!r || !rgn || EmptyRect(r)) return false;
    pixman_box32_t box{r->left, r->top, r->right, r->bottom};
    return pixman_region32_contains_rectangle(&rgn->r, &box) != PIXMAN_REGION_OUT;
}

Boolean EqualRgn(RgnHandle a, RgnHandle b) {
    if (!a || !b) return a == b;
    bool ea = IsEmpty(a), eb = IsEmpty(b);
    if (ea || eb) return ea == eb;  // empty regions may keep different extents
    return pixman_region32_equal(&a->r, &b->r);
}

Boolean EmptyRgn(RgnHandle rgn) { return !rgn || IsEmpty(rgn); }

Rect* GetRegionBounds(RgnHandle rgn, Rect* bounds) {
    if (!bounds) return bounds;
    if (!rgn || IsEmpty(rgn)) {
        *bounds = Rect{};
        return bounds;
    }
    const pixman_box32_t* e = pixman_region32_extents(&rgn->r);
    *bounds = MakeRect(e->y1, e->x1, e->y2, e->x2);
    return bounds;
}

Boolean IsRegionRectangular(RgnHandle rgn) { return !rgn || pixman_region32_n_rects(&rgn->r) <= 1; }

std::vector<Rect> RegionRects(RgnHandle rgn) {
    std::vector<Rect> out;
    if (!rgn) return out;
    auto boxes = Boxes(rgn);
    out.reserve(boxes.size());
    for (const pixman_box32_t& b : boxes) out.push_back(MakeRect(b.y1, b.x1, b.y2, b.x2));
    return out;
}

namespace {

// Appends the runs of set bits of one row (most significant bit first) as
// [start, end) column pairs. Whole 0x00 and 0xFF bytes are skipped in one step.
void RowRuns(const UInt8* row, int width, std::vector<int>& runs) {
    runs.clear();
    const int fullBytes = width / 8;
    const int tailBits = width % 8;
    bool in = false;
    int x = 0;
    auto scanByte = [&](unsigned byte, int bits) {
        // `byte` holds `bits` meaningful bits at its top.
        int pos = 0;
        while (pos < bits) {
            unsigned shifted = (byte << pos) & 0xFFu;
            int same;
            if (in) {
                same = std::countl_one(static_cast<UInt8>(shifted));
            } else {
                same = std::countl_zero(static_cast<UInt8>(shifted));
            }
            if (same > bits - pos) same = bits - pos;
            pos += same;
            if (pos < bits) {
                runs.push_back(x + pos);
                in = !in;
            }
        }
    };
    for (int i = 0; i < fullBytes; ++i, x += 8) {
        UInt8 b = row[i];
        if (b == (in ? 0xFF : 0x00)) continue;
        scanByte(b, 8);
    }
    if (tailBits) {
        scanByte(row[fullBytes], tailBits);
        x += tailBits;
    }
    if (in) runs.push_back(x);
}

bool SameRow(const UInt8* a, const UInt8* b, int width) {
    int fullBytes = width / 8;
    if (std::memcmp(a, b, size_t(fullBytes)) != 0) return false;
    int tailBits = width % 8;
    if (!tailBits) return true;
    unsigned mask = (0xFFu << (8 - tailBits)) & 0xFFu;
    return ((a[fullBytes] ^ b[fullBytes]) & mask) == 0;
}

}  // namespace

OSErr BitMapToRegion(RgnHandle region, const BitMap* bMap) {
    if (!region || !bMap) return paramErr;
    if (bMap->pixelSize != 1) return paramErr;
    const Rect& bounds = bMap->bounds;
    if (EmptyRect(&bounds)) {
        SetEmptyRgn(region);
        return noErr;
    }
    const int width = RectWidth(bounds);
    const int height = RectHeight(bounds);
    if (!bMap->baseAddr || bMap->rowBytes < (width + 7) / 8) return paramErr;

    std::vector<pixman_box32_t> boxes;
    std::vector<int> runs, bandRuns;
    int bandTop = 0;
    auto flush = [&](int bandBottom) {
        for (size_t i = 0; i + 1 < bandRuns.size(); i += 2)
            boxes.push_back({bounds.left + bandRuns[i], bounds.top + bandTop, bounds.left + bandRuns[i + 1],
                             bounds.top + bandBottom});
    };
    try {
        const UInt8* base = reinterpret_cast<const UInt8*>(bMap->baseAddr);
        const UInt8* prev = nullptr;
        for (int y = 0; y < height; ++y) {
            const UInt8* row = base + size_t(y) * size_t(bMap->rowBytes);
            if (prev && SameRow(prev, row, width)) continue;  // the band goes on
            RowRuns(row, width, runs);
            flush(y);
            bandRuns.swap(runs);
            bandTop = y;
            prev = row;
        }
        flush(height);
    } catch (const std::bad_alloc&) {
        SetEmptyRgn(region);
        return memFullErr;
    }
    return AssignBoxes(region, boxes) ? noErr : memFullErr;
}
