// The stored region form found in pictures and picture comments.
//
//   u16  size      total bytes, these 10 header bytes included
//   Rect bounds    top, left, bottom, right (big-endian i16)
//   -- only when the region is not a plain rectangle:
//   per scan line where the region changes:
//     i16 y, then i16 x values in ascending pairs: the columns where the
//     line's membership toggles relative to the line above, then 0x7FFF
//   i16 0x7FFF     after the last line
//
// Decisions for data that does not follow the form:
// - The size must be at least 10 and no larger than the bytes given; bytes
//   after `size` are not the region's and are ignored. The data must end
//   exactly at `size`.
// - Lines must have strictly ascending y, strictly ascending x values, an
//   even number (at least two) of them, all within -32767..32766, and the
//   last line must return every column to empty. Anything else is paramErr.
// - The pixels are defined by the inversion points; a bounds field that
//   disagrees with them is not trusted: the region's bounds are recomputed.
// - A stored form that would expand to more than kMaxBoxes rectangles is
//   refused (paramErr): a few kilobytes of inversion points could otherwise
//   ask for gigabytes of rectangles.
// Writing: a region whose stored form exceeds 32767 bytes (the classic size
// limit; readers keep the sign bit for other purposes) cannot be stored and
// gives an empty vector. Since 0x7FFF is the terminator, a shaped region
// loses its pixels at coordinate 32766 (the last row and column of the
// coordinate square) when stored; rectangles are stored whole.
#include "platform/core/ByteIO.h"
#include "platform/raster/RegionImpl.h"

#include <algorithm>
#include <new>

namespace {

constexpr SInt16 kEnd = 0x7FFF;
constexpr size_t kHeader = 10;
constexpr size_t kMaxStoredSize = 0x7FFF;
constexpr size_t kMaxBoxes = size_t(1) << 20;
constexpr int kMaxDataCoord = 32766;

// Inverts `toggles` (ascending, distinct) into the running endpoint list
// `set` (ascending, distinct): equal values cancel.
void XorInto(std::vector<int>& set, const std::vector<int>& toggles, std::vector<int>& scratch) {
    scratch.clear();
    size_t i = 0, j = 0;
    while (i < set.size() || j < toggles.size()) {
        if (j == toggles.size() || (i < set.size() && set[i] < toggles[j])) {
            scratch.push_back(set[i++]);
        } else if (i == set.size() || toggles[j] < set[i]) {
            scratch.push_back(toggles[j++]);
        } else {
            ++i;
            ++j;
        }
    }
    set.swap(scratch);
}

// Row endpoints of one band, with touching boxes merged.
void BandEndpoints(const pixman_box32_t* b, size_t n, std::vector<int>& out) {
    out.clear();
    for (size_t i = 0; i < n; ++i) {
        int x1 = b[i].x1, x2 = b[i].x2;
        if (!out.empty() && out.back() >= x1) {
            out.back() = std::max(out.back(), x2);
        } else {
            out.push_back(x1);
            out.push_back(x2);
        }
    }
}

}  // namespace

namespace {

std::vector<UInt8> WriteStored(RgnHandle rgn) {
    ByteWriter w;
    Rect bounds;
    GetRegionBounds(rgn, &bounds);
    w.u16be(UInt16(kHeader));
    w.rect(bounds);
    if (IsRegionRectangular(rgn)) return std::move(w.buffer());

    int n = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&rgn->r, &n);
    std::vector<int> prev, cur, toggles, scratch;
    int prevBottom = 0;
    bool any = false;
    auto emitLine = [&](int y) {
        toggles.clear();
        // The endpoints of two rows merged, with equal values cancelled.
        XorInto(toggles, prev, scratch);
        XorInto(toggles, cur, scratch);
        if (toggles.empty()) return;
        w.s16be(SInt16(y));
        for (int x : toggles) w.s16be(SInt16(x));
        w.s16be(kEnd);
        any = true;
    };
    try {
        for (int i = 0; i < n;) {
            int top = boxes[i].y1;
            int j = i;
            while (j < n && boxes[j].y1 == top) ++j;
            int bottom = boxes[i].y2;
            if (any && prevBottom != top) {  // a gap: the rows between are empty
                cur.clear();
                emitLine(prevBottom);
                prev.clear();
            }
            BandEndpoints(boxes + i, size_t(j - i), cur);
            emitLine(top);
            prev.swap(cur);
            prevBottom = bottom;
            i = j;
            if (w.size() > kMaxStoredSize) return {};
        }
        if (any) {
            cur.clear();
            emitLine(prevBottom);
        }
        w.s16be(kEnd);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (w.size() > kMaxStoredSize) return {};
    w.patchU16be(0, UInt16(w.size()));
    return std::move(w.buffer());
}

}  // namespace

std::vector<UInt8> RegionToStored(RgnHandle rgn) {
    Rect bounds;
    GetRegionBounds(rgn, &bounds);
    if (!IsRegionRectangular(rgn) && (bounds.right > kMaxDataCoord || bounds.bottom > kMaxDataCoord)) {
        // The data cannot name coordinate 32767; the bounds follow what is kept.
        UniqueRgn kept;
        SetRectRgn(kept, regions::kMinCoord, regions::kMinCoord, kMaxDataCoord, kMaxDataCoord);
        SectRgn(kept, rgn, kept);
        return WriteStored(kept);
    }
    return WriteStored(rgn);
}

OSErr RegionFromStored(std::span<const UInt8> bytes, RgnHandle rgn) {
    if (!rgn) return paramErr;
    ByteReader header(bytes);
    size_t size = header.u16be();
    Rect bounds = header.rect();
    if (!header.ok() || size < kHeader || size > bytes.size()) return paramErr;
    if (size == kHeader) {
        RectRgn(rgn, &bounds);
        return noErr;
    }

    ByteReader r(bytes.first(size));
    r.skip(kHeader);
    std::vector<pixman_box32_t> boxes;
    std::vector<int> set, toggles, scratch;
    int lineY = 0;
    bool first = true;
    auto emitBand = [&](int bottom) {
        if (set.size() / 2 > kMaxBoxes - boxes.size()) return false;
        for (size_t i = 0; i < set.size(); i += 2) boxes.push_back({set[i], lineY, set[i + 1], bottom});
        return true;
    };
    try {
        for (;;) {
            SInt16 y = r.s16be();
            if (!r.ok()) return paramErr;
            if (y == kEnd) break;
            if (y < regions::kMinCoord || (!first && y <= lineY)) return paramErr;
            toggles.clear();
            int last = regions::kMinCoord - 1;
            for (;;) {
                SInt16 x = r.s16be();
                if (!r.ok()) return paramErr;
                if (x == kEnd) break;
                if (x <= last) return paramErr;  // out of order, or below the coordinate range
                toggles.push_back(x);
                last = x;
            }
            if (toggles.empty() || toggles.size() % 2 != 0) return paramErr;
            if (!first && !emitBand(y)) return paramErr;
            XorInto(set, toggles, scratch);
            lineY = y;
            first = false;
        }
    } catch (const std::bad_alloc&) {
        SetEmptyRgn(rgn);
        return memFullErr;
    }
    if (r.pos() != size || !set.empty()) return paramErr;
    return regions::AssignBoxes(rgn, boxes) ? noErr : memFullErr;
}
