#include "platform/raster/PenRaster.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/raster/TransferModes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace penraster {

// ---- Span lists --------------------------------------------------------------

void SpanList::AddRect(int top, int left, int bottom, int right) {
    if (right <= left) return;
    for (int y = std::max(top, int(win_.top)); y < std::min(bottom, int(win_.bottom)); ++y) Add(y, left, right);
}

SpanList PortSpans(CGrafPtr port) {
    SpanList list;
    if (port && port->portPixMap) list.SetWindow((*port->portPixMap)->bounds);
    return list;
}

void SpanList::Normalize() {
    if (spans_.empty()) return;
    const bool sorted = std::is_sorted(spans_.begin(), spans_.end(), [](const Span& a, const Span& b) {
        return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
    });
    if (!sorted)
        std::sort(spans_.begin(), spans_.end(),
                  [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    size_t out = 0;
    for (size_t i = 1; i < spans_.size(); ++i) {
        Span& last = spans_[out];
        const Span& s = spans_[i];
        if (s.y == last.y && s.x0 <= last.x1) {
            last.x1 = std::max(last.x1, s.x1);
        } else {
            spans_[++out] = s;
        }
    }
    spans_.resize(out + 1);
}

SpanList SpanList::Minus(const SpanList& cut) const {
    SpanList result;
    result.win_ = win_;
    size_t c = 0;
    const auto& cs = cut.spans_;
    for (const Span& s : spans_) {
        while (c < cs.size() && (cs[c].y < s.y || (cs[c].y == s.y && cs[c].x1 <= s.x0))) ++c;
        int x = s.x0;
        for (size_t k = c; k < cs.size() && cs[k].y == s.y && cs[k].x0 < s.x1; ++k) {
            if (cs[k].x0 > x) result.Add(s.y, x, cs[k].x0);
            x = std::max(x, cs[k].x1);
        }
        if (x < s.x1) result.Add(s.y, x, s.x1);
    }
    return result;
}

// ---- Inks ---------------------------------------------------------------------

namespace {

Pattern SolidPattern() {
    Pattern p;
    std::fill(std::begin(p.pat), std::end(p.pat), UInt8(0xFF));
    return p;
}

Ink BaseInk(CGrafPtr port) {
    Ink ink;
    ink.fore = port->rgbFgColor;
    ink.back = port->rgbBkColor;
    ink.op = port->rgbOpColor;
    return ink;
}

}  // namespace

Ink PenInk(CGrafPtr port) {
    Ink ink = BaseInk(port);
    ink.pat = port->pnPat;
    ink.mode = port->pnMode;
    return ink;
}

Ink EraseInk(CGrafPtr port) {
    Ink ink = BaseInk(port);
    ink.pat = port->bkPat;
    ink.mode = patCopy;
    return ink;
}

Ink InvertInk(CGrafPtr port) {
    Ink ink = BaseInk(port);
    ink.pat = SolidPattern();
    ink.mode = patXor;
    return ink;
}

Ink FillInk(CGrafPtr port) {
    Ink ink = BaseInk(port);
    ink.pat = port->fillPat;
    ink.mode = patCopy;
    return ink;
}

Ink InkForVerb(CGrafPtr port, GrafVerb verb) {
    switch (verb) {
    case kQDGrafVerbErase: return EraseInk(port);
    case kQDGrafVerbInvert: return InvertInk(port);
    case kQDGrafVerbFill: return FillInk(port);
    default: return PenInk(port);
    }
}

// ---- Painting into a pixel map ----------------------------------------------------

namespace {

// An ink resolved against one pixel map: pixel values for the two colours,
// what each pattern bit does, or the arithmetic operation.
struct Resolved {
    int depth = 1;
    UInt32 mask = 1;
    CTabHandle table = nullptr;
    xfer::BitAction action[2] = {xfer::BitAction::Back, xfer::BitAction::Fore};
    xfer::ComponentOp arith = nullptr;
    UInt32 forePix = 0;
    UInt32 backPix = 0;
    RGBColor fore, back, op;
};

UInt32 IndexFor(const Resolved& r, const RGBColor& c) {
    if (r.table && CTabCount(r.table) > 0) return UInt32(NearestColorIndex(r.table, c)) & r.mask;
    // No table: light colours are index 0, dark ones all ones.
    const UInt32 lum = (UInt32(c.red) * 30 + UInt32(c.green) * 59 + UInt32(c.blue) * 11) / 100;
    return lum >= 0x8000 ? 0 : r.mask;
}

RGBColor ColorOfIndex(const Resolved& r, UInt32 index) {
    if (r.table) {
        const int n = CTabCount(r.table);
        if (int(index) < n) return CTabEntries(r.table)[index].rgb;
    }
    return index == 0 ? RGBColor{0xFFFF, 0xFFFF, 0xFFFF} : RGBColor{0, 0, 0};
}

Resolved Resolve(const PixMap& pm, const Ink& ink) {
    Resolved r;
    r.depth = pm.pixelSize;
    r.mask = r.depth == 32 ? xfer::kRGBMask : ((1u << r.depth) - 1);
    r.table = r.depth == 32 ? nullptr : pm.pmTable;
    r.fore = ink.fore;
    r.back = ink.back;
    r.op = ink.op;
    if (r.depth == 32) {
        r.forePix = xfer::RGBTo24(ink.fore);
        r.backPix = xfer::RGBTo24(ink.back);
    } else {
        r.forePix = IndexFor(r, ink.fore);
        r.backPix = IndexFor(r, ink.back);
    }
    SInt16 mode = ink.mode;
    if (mode >= srcCopy && mode <= notSrcBic) mode = SInt16(mode + patCopy);
    if (xfer::ArithmeticOpFor(mode)) {
        r.arith = xfer::ArithmeticOpFor(mode);
    } else if (mode == transparent) {
        r.action[1] = xfer::TransparentKeeps(ink.fore, ink.back) ? xfer::BitAction::Keep : xfer::BitAction::Fore;
        r.action[0] = xfer::BitAction::Keep;
    } else {
        if (mode < patCopy || mode > notPatBic) mode = patCopy;
        r.action[0] = xfer::OneBitAction(mode, false);
        r.action[1] = xfer::OneBitAction(mode, true);
    }
    return r;
}

inline UInt32 Read32(const UInt8* p) { return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]; }
inline void Write32(UInt8* p, UInt32 v) {
    p[0] = 0;  // the pad byte carries nothing for drawn pixels
    p[1] = UInt8(v >> 16);
    p[2] = UInt8(v >> 8);
    p[3] = UInt8(v);
}
inline UInt32 ReadPacked(const UInt8* row, int col, int depth) {
    const int bit = col * depth;
    const int shift = 8 - depth - (bit & 7);
    return (row[bit >> 3] >> shift) & ((1u << depth) - 1);
}
inline void WritePacked(UInt8* row, int col, int depth, UInt32 v) {
    const int bit = col * depth;
    const int shift = 8 - depth - (bit & 7);
    const UInt8 m = UInt8(((1u << depth) - 1) << shift);
    row[bit >> 3] = UInt8((row[bit >> 3] & ~m) | ((v << shift) & m));
}

// Arithmetic results on indexed maps are looked up once per (source bit,
// destination index) pair and kept for the rest of the operation.
struct ArithCache {
    std::array<SInt16, 512> index;
    ArithCache() { index.fill(-1); }
};

UInt32 ArithIndexed(const Resolved& r, ArithCache& cache, bool bit, UInt32 d) {
    SInt16& slot = cache.index[(bit ? 256 : 0) + (d & 0xFF)];
    if (slot < 0) {
        const RGBColor mixed = xfer::ApplyArithmetic(r.arith, bit ? r.fore : r.back, ColorOfIndex(r, d), r.op);
        slot = SInt16(IndexFor(r, mixed));
    }
    return UInt32(slot);
}

void PaintRun(const PixMap& pm, const Resolved& r, ArithCache& cache, const Pattern& pat, int y, int x0, int x1) {
    UInt8* row = PixRow(pm, y);
    const UInt8 patRow = pat.pat[(y - pm.bounds.top) & 7];
    const int colBase = pm.bounds.left;
    const bool solid = patRow == 0xFF || patRow == 0x00;
    if (r.depth == 32) {
        // Fast path: a plain colour fill.
        if (solid && !r.arith) {
            const xfer::BitAction a = r.action[patRow ? 1 : 0];
            if (a == xfer::BitAction::Keep) return;
            if (a != xfer::BitAction::Invert) {
                const UInt32 v = a == xfer::BitAction::Fore ? r.forePix : r.backPix;
                UInt8* p = row + size_t(x0 - colBase) * 4;
                for (int x = x0; x < x1; ++x, p += 4) Write32(p, v);
                return;
            }
        }
        UInt8* p = row + size_t(x0 - colBase) * 4;
        for (int x = x0; x < x1; ++x, p += 4) {
            const bool bit = (patRow >> (7 - ((x - colBase) & 7))) & 1;
            if (r.arith) {
                const RGBColor d = xfer::RGBFrom24(Read32(p));
                Write32(p, xfer::RGBTo24(xfer::ApplyArithmetic(r.arith, bit ? r.fore : r.back, d, r.op)));
                continue;
            }
            switch (r.action[bit]) {
            case xfer::BitAction::Keep: break;
            case xfer::BitAction::Fore: Write32(p, r.forePix); break;
            case xfer::BitAction::Back: Write32(p, r.backPix); break;
            case xfer::BitAction::Invert: Write32(p, xfer::InvertDirect(Read32(p))); break;
            }
        }
        return;
    }
    const int depth = r.depth;
    for (int x = x0; x < x1; ++x) {
        const int col = x - colBase;
        const bool bit = (patRow >> (7 - (col & 7))) & 1;
        UInt32 v;
        if (depth == 8) {
            v = row[col];
        } else {
            v = ReadPacked(row, col, depth);
        }
        UInt32 nv = v;
        if (r.arith) {
            nv = ArithIndexed(r, cache, bit, v);
        } else {
            switch (r.action[bit]) {
            case xfer::BitAction::Keep: continue;
            case xfer::BitAction::Fore: nv = r.forePix; break;
            case xfer::BitAction::Back: nv = r.backPix; break;
            case xfer::BitAction::Invert: nv = xfer::InvertIndex(v, r.mask); break;
            }
        }
        if (depth == 8) {
            row[col] = UInt8(nv);
        } else {
            WritePacked(row, col, depth, nv);
        }
    }
}

}  // namespace

// Graphics worlds store 16- and 24-bit requests as 32 bits, so a map that
// says 16 or 24 did not come from one and is not drawn into; nor is one whose
// rows are too short for its width.
bool DrawableMap(const PixMap& pm) {
    const int d = pm.pixelSize;
    if (d != 1 && d != 2 && d != 4 && d != 8 && d != 32) return false;
    const Size width = RectWidth(pm.bounds);
    return width >= 0 && Size(pm.rowBytes) * 8 >= width * d;
}

void PaintSpansInMap(const PixMap& pm, std::span<const Span> spans, const Ink& ink) {
    if (!pm.baseAddr || spans.empty() || !DrawableMap(pm)) return;
    const Resolved r = Resolve(pm, ink);
    ArithCache cache;
    const Rect& b = pm.bounds;
    for (const Span& s : spans) {
        if (s.y < b.top || s.y >= b.bottom) continue;
        const int x0 = std::max(s.x0, int(b.left)), x1 = std::min(s.x1, int(b.right));
        if (x0 < x1) PaintRun(pm, r, cache, ink.pat, s.y, x0, x1);
    }
}

void PaintSpans(CGrafPtr port, const SpanList& spans, const Ink& ink, RgnHandle extraClip) {
    if (!port || !port->portPixMap || spans.Empty()) return;
    const PixMap& pm = **port->portPixMap;

    UniqueRgn clip;
    RectRgn(clip, &pm.bounds);
    if (port->clipRgn) SectRgn(clip, port->clipRgn, clip);
    if (port->visRgn) SectRgn(clip, port->visRgn, clip);
    if (extraClip) SectRgn(clip, extraClip, clip);
    const std::vector<Rect> rects = RegionRects(clip);
    if (rects.empty()) return;

    if (rects.size() == 1) {
        // Rectangular clip: PaintSpansInMap clips to the bounds, which the
        // clip rectangle lies within.
        const Rect& c = rects[0];
        std::vector<Span> clipped;
        clipped.reserve(spans.Spans().size());
        for (const Span& s : spans.Spans()) {
            if (s.y < c.top || s.y >= c.bottom) continue;
            const int x0 = std::max(s.x0, int(c.left)), x1 = std::min(s.x1, int(c.right));
            if (x0 < x1) clipped.push_back(Span{s.y, x0, x1});
        }
        PaintSpansInMap(pm, clipped, ink);
        return;
    }

    // Bands of the clip: rectangles of one band share top and bottom and
    // are sorted left to right.
    struct Band {
        int top, bottom;
        size_t first, last;
    };
    std::vector<Band> bands;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (!bands.empty() && bands.back().top == rects[i].top && bands.back().bottom == rects[i].bottom) {
            bands.back().last = i + 1;
        } else {
            bands.push_back(Band{rects[i].top, rects[i].bottom, i, i + 1});
        }
    }
    std::vector<Span> clipped;
    clipped.reserve(spans.Spans().size());
    for (const Span& s : spans.Spans()) {
        auto it = std::upper_bound(bands.begin(), bands.end(), s.y,
                                   [](int y, const Band& b) { return y < b.top; });
        if (it == bands.begin()) continue;
        --it;
        if (s.y >= it->bottom) continue;
        for (size_t k = it->first; k < it->last; ++k) {
            const int x0 = std::max(s.x0, int(rects[k].left)), x1 = std::min(s.x1, int(rects[k].right));
            if (x0 < x1) clipped.push_back(Span{s.y, x0, x1});
        }
    }
    PaintSpansInMap(pm, clipped, ink);
}

// ---- Lines and frames ----------------------------------------------------------------

// The path is walked from the endpoint with the smaller v (then smaller h),
// so a line and its reverse touch the same pixels. Along the major axis every
// coordinate is visited; the minor coordinate is the exact one rounded half
// up (away from the start).
void LineSpans(Point from, Point to, int penW, int penH, SpanList& out) {
    if (penW <= 0 || penH <= 0) return;
    if (from.v > to.v || (from.v == to.v && from.h > to.h)) std::swap(from, to);
    const int x0 = from.h, y0 = from.v;
    const int dx = int(to.h) - x0, dy = int(to.v) - y0;  // dy >= 0
    const int adx = std::abs(dx), sx = dx < 0 ? -1 : 1;
    // Leftmost and rightmost x of the path on each of its rows.
    std::vector<std::pair<int, int>> rows(size_t(dy) + 1, {0, 0});
    std::vector<bool> seen(size_t(dy) + 1, false);
    auto visit = [&](int x, int y) {
        auto& r = rows[size_t(y - y0)];
        if (!seen[size_t(y - y0)]) {
            r = {x, x};
            seen[size_t(y - y0)] = true;
        } else {
            r.first = std::min(r.first, x);
            r.second = std::max(r.second, x);
        }
    };
    if (adx >= dy) {
        const SInt64 n = adx;
        for (SInt64 i = 0; i <= n; ++i) {
            const int y = n == 0 ? y0 : y0 + int((2 * i * dy + n) / (2 * n));
            visit(x0 + sx * int(i), y);
        }
    } else {
        const SInt64 n = dy;
        for (SInt64 i = 0; i <= n; ++i) visit(x0 + sx * int((2 * i * adx + n) / (2 * n)), y0 + int(i));
    }
    // Row r of the footprint is covered by the pen rectangles of path rows
    // r - penH + 1 .. r; x moves monotonically, so their union is one run.
    const int y1 = y0 + dy;
    out.Reserve(out.Spans().size() + size_t(dy + penH));
    for (int r = y0; r < y1 + penH; ++r) {
        const int lo = std::max(y0, r - penH + 1), hi = std::min(y1, r);
        int xmin, xmax;
        if (sx > 0) {
            xmin = rows[size_t(lo - y0)].first;
            xmax = rows[size_t(hi - y0)].second;
        } else {
            xmin = rows[size_t(hi - y0)].first;
            xmax = rows[size_t(lo - y0)].second;
        }
        out.Add(r, xmin, xmax + penW);
    }
}

void FrameRectSpans(const Rect& r, int penW, int penH, SpanList& out) {
    if (EmptyRect(&r) || penW <= 0 || penH <= 0) return;
    const int w = RectWidth(r), h = RectHeight(r);
    if (2 * penW >= w || 2 * penH >= h) {
        out.AddRect(r.top, r.left, r.bottom, r.right);
        return;
    }
    for (int y = r.top; y < r.bottom; ++y) {
        if (y < r.top + penH || y >= r.bottom - penH) {
            out.Add(y, r.left, r.right);
        } else {
            out.Add(y, r.left, r.left + penW);
            out.Add(y, r.right - penW, r.right);
        }
    }
}

}  // namespace penraster
