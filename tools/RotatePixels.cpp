// The pixel work of a rotation: nearest-neighbour resampling in doubled
// coordinates, so that centres may lie between pixels. Quarter turns map
// rows onto columns exactly and take a path without rounding or range tests
// per pixel; every angle works in tiles so that the source pixels one tile
// reads stay in the cache.
#include "tools/Effects.h"

#include "platform/core/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int kTile = 128;

// A product in 1/32768 units to whole units, halves away from zero.
inline SInt64 RoundUnits(SInt64 v) { return v > 0 ? (v + 16384) >> 15 : -((16384 - v) >> 15); }

inline void SetBit(UInt8* row, SInt64 x) { row[x >> 3] = UInt8(row[x >> 3] | (0x80 >> (x & 7))); }
inline bool TestBit(const UInt8* row, UInt64 x) { return (row[x >> 3] & (0x80 >> (x & 7))) != 0; }

// The steps i of [0, width) for which f0 + k·i (k = −1, 0 or 1) lies in [0, n).
void Within(SInt64 f0, int k, SInt64 n, SInt64* lo, SInt64* hi) {
    if (k == 0) {
        if (f0 < 0 || f0 >= n) *hi = *lo;
        return;
    }
    const SInt64 a = k > 0 ? -f0 : f0 - n + 1, b = k > 0 ? n - f0 : f0 + 1;
    *lo = std::max(*lo, a), *hi = std::min(*hi, b);
}

// Narrows [lo, hi) to the steps i at which f0 + k·i may lie in [from, to),
// with a pixel to spare for rounding.
void Near(double f0, double k, double from, double to, SInt64* lo, SInt64* hi) {
    from -= 2, to += 2;
    if (k == 0) {
        if (f0 < from || f0 > to) *hi = *lo;
        return;
    }
    double a = (from - f0) / k, b = (to - f0) / k;
    if (a > b) std::swap(a, b);
    *lo = std::max(*lo, SInt64(std::floor(a)));
    *hi = std::min(*hi, SInt64(std::ceil(b)) + 1);
}

// Sets bits [from, to) of a row.
void SetBitRun(UInt8* row, SInt64 from, SInt64 to) {
    for (; from < to && (from & 7); ++from) SetBit(row, from);
    if (to - from >= 8) {
        std::memset(row + (from >> 3), 0xFF, size_t((to - from) >> 3));
        from += (to - from) & ~SInt64(7);
    }
    for (; from < to; ++from) SetBit(row, from);
}

// Sets bits of a row left to right, writing each byte once rather than
// chaining every pixel on the last one's store.
class BitRun {
public:
    explicit BitRun(UInt8* row) : row_(row) {}
    ~BitRun() { Flush(); }
    void Set(SInt64 bit) {
        if ((bit >> 3) != byte_) {
            Flush();
            byte_ = bit >> 3;
        }
        acc_ = UInt8(acc_ | (0x80 >> (bit & 7)));
    }

private:
    void Flush() {
        if (acc_) row_[byte_] = UInt8(row_[byte_] | acc_);
        acc_ = 0;
    }
    UInt8* row_;
    SInt64 byte_ = -1;
    UInt8 acc_ = 0;
};

template <int Bytes>
struct Resampler {
    const RotationMaps& m;
    Rect newRect;
    SInt32 s, c;
    SInt64 cx2, cy2;
    SInt64 selWidth, selHeight, maskLeft, maskTop, maskWidth, maskHeight;
    std::vector<const UInt8*> srcRows, shapeRows, maskRows;
    double reachLeft, reachRight, reachTop, reachBottom;  // sourceRect and the mask's bounds together
    bool sourceShape;

    Resampler(const RotationMaps& maps, const Rect& r, SInt32 sine, SInt32 cosine) : m(maps), newRect(r), s(sine), c(cosine) {
        const Rect& sel = m.sourceRect;
        sourceShape = m.sourceShape != nullptr;
        cx2 = sel.left + sel.right, cy2 = sel.top + sel.bottom;
        selWidth = sel.right - sel.left, selHeight = sel.bottom - sel.top;
        const Rect& mb = m.srcMask->bounds;
        maskLeft = mb.left, maskTop = mb.top, maskWidth = mb.right - mb.left, maskHeight = mb.bottom - mb.top;
        for (SInt64 i = 0; i < selHeight; ++i) {
            srcRows.push_back(PixRow(*m.src, int(sel.top + i)) + (sel.left - m.src->bounds.left) * Bytes);
            if (m.sourceShape) shapeRows.push_back(PixRow(*m.sourceShape, int(sel.top + i)));
        }
        for (SInt64 i = 0; i < maskHeight; ++i) maskRows.push_back(PixRow(*m.srcMask, int(mb.top + i)));
        reachLeft = std::min(sel.left, mb.left), reachRight = std::max(sel.right, mb.right);
        reachTop = std::min(sel.top, mb.top), reachBottom = std::max(sel.bottom, mb.bottom);
    }

    // One pixel: source (col, row) of sourceRect, (maskCol, maskRow) of srcMask.
    void Take(UInt8* out, UInt8* outShape, SInt64 x, SInt64 col, SInt64 row) const {
        if (m.sourceShape && !TestBit(shapeRows[size_t(row)], UInt64(col))) return;
        std::memcpy(out, srcRows[size_t(row)] + col * Bytes, Bytes);
        SetBit(outShape, x);
    }

    // Quarter turns: along a row the source moves by whole pixels.
    void OrthogonalRow(int y, int left, int right) const {
        const int cu = c / 32768, su = s / 32768;
        const SInt64 dy = 2 * y + 1 - cy2, dx0 = 2 * left + 1 - cx2;
        const SInt64 h0 = (dx0 * cu + dy * su + cx2 - 1) >> 1, v0 = (dy * cu - dx0 * su + cy2 - 1) >> 1;
        const SInt64 width = right - left, x0 = left - newRect.left;
        UInt8* out = PixRow(*m.dst, y) + (left - m.dst->bounds.left) * Bytes;
        UInt8* outShape = PixRow(*m.shape, y);
        SInt64 lo = 0, hi = width;
        Within(h0 - m.sourceRect.left, cu, selWidth, &lo, &hi);
        Within(v0 - m.sourceRect.top, -su, selHeight, &lo, &hi);
        if (lo < hi && !m.sourceShape) {
            // A strided copy: one source row or column per destination row.
            const UInt8* in = srcRows[size_t(v0 - m.sourceRect.top - su * lo)] + (h0 - m.sourceRect.left + cu * lo) * Bytes;
            const ptrdiff_t step = ptrdiff_t(cu) * Bytes - ptrdiff_t(su) * m.src->rowBytes;
            UInt8* o = out + lo * Bytes;
            for (SInt64 i = lo; i < hi; ++i, in += step, o += Bytes) std::memcpy(o, in, Bytes);
            SetBitRun(outShape, x0 + lo, x0 + hi);
        } else {
            for (SInt64 i = lo; i < hi; ++i)
                Take(out + i * Bytes, outShape, x0 + i, h0 - m.sourceRect.left + cu * i, v0 - m.sourceRect.top - su * i);
        }
        lo = 0, hi = width;
        Within(h0 - maskLeft, cu, maskWidth, &lo, &hi);
        Within(v0 - maskTop, -su, maskHeight, &lo, &hi);
        UInt8* outMask = PixRow(*m.dstMask, y);
        const SInt64 maskShift = left - m.dstMask->bounds.left;
        if (lo < hi) {
            const UInt8* in = maskRows[size_t(v0 - maskTop - su * lo)];
            const ptrdiff_t rowStep = -ptrdiff_t(su) * m.srcMask->rowBytes;
            SInt64 col = h0 - maskLeft + cu * lo;
            BitRun bits(outMask);
            for (SInt64 i = lo; i < hi; ++i, in += rowStep, col += cu)
                if (TestBit(in, UInt64(col))) bits.Set(maskShift + i);
        }
    }

    void GeneralRow(int y, int left, int right) const {
        const SInt64 dy = 2 * y + 1 - cy2, dx0 = 2 * left + 1 - cx2;
        SInt64 p = dx0 * c + dy * s, q = dy * c - dx0 * s;
        UInt8* out = PixRow(*m.dst, y) + (left - m.dst->bounds.left) * Bytes;
        // Only the steps whose source can lie in the picture or its mask are
        // visited: the estimate has a pixel to spare on either side.
        SInt64 lo = 0, hi = right - left;
        Near((double(p) / 32768 + double(cx2 - 1)) / 2, double(c) / 32768, reachLeft, reachRight, &lo, &hi);
        Near((double(q) / 32768 + double(cy2 - 1)) / 2, -double(s) / 32768, reachTop, reachBottom, &lo, &hi);
        if (lo >= hi) return;
        out += lo * Bytes, p += 2 * c * lo, q -= 2 * s * lo;
        UInt8* outShape = PixRow(*m.shape, y);
        UInt8* outMask = PixRow(*m.dstMask, y);
        const SInt64 x0 = left - newRect.left, maskShift = left - m.dstMask->bounds.left;
        SInt64 firstIn = hi, lastIn = lo - 1;
        BitRun maskBits(outMask);
        for (SInt64 i = lo; i < hi; ++i, out += Bytes, p += 2 * c, q -= 2 * s) {
            // Halving rounds down, so no source row or column is taken twice.
            const SInt64 h = (RoundUnits(p) + cx2 - 1) >> 1, v = (RoundUnits(q) + cy2 - 1) >> 1;
            const SInt64 col = h - m.sourceRect.left, row = v - m.sourceRect.top;
            if (UInt64(col) < UInt64(selWidth) && UInt64(row) < UInt64(selHeight) &&
                (!sourceShape || TestBit(shapeRows[size_t(row)], UInt64(col)))) {
                std::memcpy(out, srcRows[size_t(row)] + col * Bytes, Bytes);
                // Without a shape the pixels taken are one run: their bits are set after.
                if (sourceShape) SetBit(outShape, x0 + i);
                else firstIn = std::min(firstIn, i), lastIn = i;
            }
            const UInt64 maskCol = UInt64(h - maskLeft), maskRow = UInt64(v - maskTop);
            if (maskCol < UInt64(maskWidth) && maskRow < UInt64(maskHeight) && TestBit(maskRows[maskRow], maskCol))
                maskBits.Set(maskShift + i);
        }
        if (firstIn <= lastIn) SetBitRun(outShape, x0 + firstIn, x0 + lastIn + 1);
    }

    void Run() const {
        const bool orthogonal = (s == 0 || c == 0) && std::abs(s) + std::abs(c) == 32768;
        for (int top = newRect.top; top < newRect.bottom; top += kTile)
            for (int left = newRect.left; left < newRect.right; left += kTile) {
                const int bottom = std::min(top + kTile, int(newRect.bottom));
                const int right = std::min(left + kTile, int(newRect.right));
                for (int y = top; y < bottom; ++y) {
                    if (orthogonal) OrthogonalRow(y, left, right);
                    else GeneralRow(y, left, right);
                }
            }
    }
};

}  // namespace

Rect RotatedBounds(const Rect& r, SInt32 s, SInt32 c) {
    const SInt64 cx2 = r.left + r.right, cy2 = r.top + r.bottom;
    const SInt64 w = r.right - r.left, h = r.bottom - r.top;
    SInt64 left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
    for (const SInt64 dx : {-w, w})
        for (const SInt64 dy : {-h, h}) {
            const SInt64 x = ((dx * c - dy * s + 16384) / 32768 + cx2) / 2;
            const SInt64 y = ((dx * s + dy * c + 16384) / 32768 + cy2) / 2;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    auto edge = [](SInt64 v) { return SInt16(std::clamp<SInt64>(v, -32767, 32767)); };
    return Rect{edge(top - 1), edge(left - 1), edge(bottom + 1), edge(right + 1)};
}

void ResampleRotation(const RotationMaps& maps, const Rect& newRect, SInt32 sine, SInt32 cosine) {
    if (!maps.src || !maps.srcMask || !maps.dst || !maps.dstMask || !maps.shape || EmptyRect(&newRect)) return;
    if (maps.src->pixelSize == 32) Resampler<4>(maps, newRect, sine, cosine).Run();
    else Resampler<1>(maps, newRect, sine, cosine).Run();
}
