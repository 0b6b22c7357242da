// Regions: arbitrary sets of pixels, kept as y-x banded rectangles.
#pragma once

#include "platform/raster/QDTypes.h"

#include <span>
#include <vector>

RgnHandle NewRgn();
void DisposeRgn(RgnHandle rgn);
void SetEmptyRgn(RgnHandle rgn);
void RectRgn(RgnHandle rgn, const Rect* r);
void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void CopyRgn(RgnHandle src, RgnHandle dst);
void UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void XorRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);
void InsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);
void MapRgn(RgnHandle rgn, const Rect* srcRect, const Rect* dstRect);
Boolean PtInRgn(Point pt, RgnHandle rgn);
Boolean RectInRgn(const Rect* r, RgnHandle rgn);  // the rectangle meets the region
Boolean EqualRgn(RgnHandle a, RgnHandle b);
Boolean EmptyRgn(RgnHandle rgn);
Rect* GetRegionBounds(RgnHandle rgn, Rect* bounds);
Boolean IsRegionRectangular(RgnHandle rgn);
// The set pixels of a 1-bit map become the region (its bounds' coordinates).
[[nodiscard]] OSErr BitMapToRegion(RgnHandle region, const BitMap* bMap);
// Recording a region from drawn frames (OpenRgn/CloseRgn) is not supported;
// regions are built from rectangles, bit maps and set operations.

// The region's rectangles in y-x band order (half-open, non-overlapping).
std::vector<Rect> RegionRects(RgnHandle rgn);

// The stored form of a region used inside pictures and picture comments:
// u16 total size, the bounding rectangle, then (for non-rectangular regions)
// inversion-point data: per scan line a y value followed by x values in
// pairs and a 0x7FFF terminator, ending with a final 0x7FFF.
// Empty when the region needs more than 32767 bytes.
std::vector<UInt8> RegionToStored(RgnHandle rgn);
// Parses the stored form; paramErr when the data is malformed (a size that
// does not match, points out of order, lines that do not pair up).
// Bytes after the stated size are ignored; after paramErr the region is unchanged.
[[nodiscard]] OSErr RegionFromStored(std::span<const UInt8> bytes, RgnHandle rgn);

// RAII owner for a region.
class UniqueRgn {
public:
    UniqueRgn() : r_(NewRgn()) {}
    explicit UniqueRgn(RgnHandle r) : r_(r) {}
    UniqueRgn(const UniqueRgn&) = delete;
    UniqueRgn& operator=(const UniqueRgn&) = delete;
    UniqueRgn(UniqueRgn&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    UniqueRgn& operator=(UniqueRgn&& o) noexcept {
        if (this != &o) {
            if (r_) DisposeRgn(r_);
            r_ = o.r_;
            o.r_ = nullptr;
        }
        return *this;
    }
    ~UniqueRgn() {
        if (r_) DisposeRgn(r_);
    }
    RgnHandle get() const { return r_; }
    operator RgnHandle() const { return r_; }
    RgnHandle release() {
        RgnHandle r = r_;
        r_ = nullptr;
        return r;
    }

private:
    RgnHandle r_ = nullptr;
};

// The clip region of the current port.
void GetClip(RgnHandle rgn);
void SetClip(RgnHandle rgn);
void ClipRect(const Rect* r);
