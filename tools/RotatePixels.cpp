// The pixel work of a rotation: nearest-neighbour resampling in doubled
// coordinates, so that centres may lie between pixels. Quarter turns map
// rows onto columns exactly: they copy without rounding or range tests per
// pixel, four by four pixels and eight by eight mask bits at a time. Other
// angles find the exact run of each row whose source lies in the picture and
// walk it without range tests or rounding per pixel, in tiles so that the
// source pixels one tile reads stay in the cache.
#include "tools/Effects.h"

#include "platform/core/Geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Rows of a quarter turn's band, in groups of four: sixteen 32-bit pixels
// are one cache line of the source.
constexpr int kBandGroups = 4;

// Tiles of other angles; measured on 1024-pixel pictures, smaller tiles
// gained nothing from the cache and paid more per row.
constexpr int kTileWidth = 256, kTileHeight = 256;

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

const std::array<UInt8, 256>& ReversedBytes() {
    static const std::array<UInt8, 256> table = [] {
        std::array<UInt8, 256> t{};
        for (int b = 0; b < 256; ++b)
            for (int i = 0; i < 8; ++i)
                if (b & (1 << i)) t[size_t(b)] = UInt8(t[size_t(b)] | (0x80 >> i));
        return t;
    }();
    return table;
}

// An 8 x 8 bit matrix, row r in byte 7 − r (the most significant byte is row
// 0), column c in bit 7 − c of its byte, transposed.
inline UInt64 TransposeBits8(UInt64 x) {
    x = (x & 0xAA55AA55AA55AA55ull) | ((x & 0x00AA00AA00AA00AAull) << 7) | ((x >> 7) & 0x00AA00AA00AA00AAull);
    x = (x & 0xCCCC3333CCCC3333ull) | ((x & 0x0000CCCC0000CCCCull) << 14) | ((x >> 14) & 0x0000CCCC0000CCCCull);
    x = (x & 0xF0F0F0F00F0F0F0Full) | ((x & 0x00000000F0F0F0F0ull) << 28) | ((x >> 28) & 0x00000000F0F0F0F0ull);
    return x;
}

// Bits [from, from + n) of a row (n of 1 to 8) as the top n bits of a byte.
inline UInt8 BitsAt(const UInt8* row, SInt64 from, int n) {
    const UInt8* p = row + (from >> 3);
    const int shift = int(from & 7);
    unsigned w = unsigned(p[0]) << 8;
    if (shift + n > 8) w |= p[1];  // only read when the bits reach into it
    return UInt8(((w << shift) >> 8) & (0xFF00u >> n));
}

template <int Bytes>
struct Resampler {
    const RotationMaps& m;
    Rect newRect;
    SInt32 s, c;
    SInt64 cx2, cy2;
    SInt64 selWidth, selHeight, maskLeft, maskTop, maskWidth, maskHeight;
    std::vector<const UInt8*> srcRows, shapeRows, maskRows;
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
    }

    // One pixel: source (col, row) of sourceRect.
    void Take(UInt8* out, UInt8* outShape, SInt64 x, SInt64 col, SInt64 row) const {
        if (m.sourceShape && !TestBit(shapeRows[size_t(row)], UInt64(col))) return;
        std::memcpy(out, srcRows[size_t(row)] + col * Bytes, Bytes);
        SetBit(outShape, x);
    }

    // Quarter turns: along a row the source moves by whole pixels.
    void OrthogonalPixels(int y, int left, int right) const {
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
    }

    void OrthogonalMask(int y, int left, int right) const {
        const int cu = c / 32768, su = s / 32768;
        const SInt64 dy = 2 * y + 1 - cy2, dx0 = 2 * left + 1 - cx2;
        const SInt64 h0 = (dx0 * cu + dy * su + cx2 - 1) >> 1, v0 = (dy * cu - dx0 * su + cy2 - 1) >> 1;
        SInt64 lo = 0, hi = right - left;
        Within(h0 - maskLeft, cu, maskWidth, &lo, &hi);
        Within(v0 - maskTop, -su, maskHeight, &lo, &hi);
        if (lo >= hi) return;
        UInt8* outMask = PixRow(*m.dstMask, y);
        const SInt64 maskShift = left - m.dstMask->bounds.left;
        const UInt8* in = maskRows[size_t(v0 - maskTop - su * lo)];
        const ptrdiff_t rowStep = -ptrdiff_t(su) * m.srcMask->rowBytes;
        SInt64 col = h0 - maskLeft + cu * lo;
        BitRun bits(outMask);
        for (SInt64 i = lo; i < hi; ++i, in += rowStep, col += cu)
            if (TestBit(in, UInt64(col))) bits.Set(maskShift + i);
    }

    // Quarter turns of 90 and 270 degrees: destination (left + i, top + j)
    // takes source column h00 + su·j of row v00 − su·i.
    struct Transposition {
        int su;
        SInt64 h00, v00;
    };
    Transposition Transposed() const {
        const int su = s / 32768;
        const SInt64 dx0 = 2 * newRect.left + 1 - cx2, dy0 = 2 * newRect.top + 1 - cy2;
        return {su, (dy0 * su + cx2 - 1) >> 1, (-dx0 * su + cy2 - 1) >> 1};
    }

    // One destination row filled column by column from a column of the source.
    void TransposeRow(const Transposition& t, SInt64 j, SInt64 i0, SInt64 i1) const {
        UInt8* out = PixRow(*m.dst, int(newRect.top + j)) + (newRect.left - m.dst->bounds.left) * Bytes;
        const SInt64 col = t.h00 - m.sourceRect.left + t.su * j;
        for (SInt64 i = i0; i < i1; ++i)
            std::memcpy(out + i * Bytes, srcRows[size_t(t.v00 - m.sourceRect.top - t.su * i)] + col * Bytes, Bytes);
    }

    // A band of 4·Groups destination rows, four columns at a time: each step
    // reads a run of 4·Groups pixels from four source rows and writes four
    // pixels to each row of the band, so that source lines are used whole
    // and the band's rows stay in the cache while they fill.
    template <int Su, int Groups>
    void TransposeBand(const Transposition& t, SInt64 j, SInt64 i0, SInt64 i1) const {
        constexpr int kRows = 4 * Groups;
        const ptrdiff_t dstStride = m.dst->rowBytes, srcStride = m.src->rowBytes;
        // The band's rows in the order of the source columns they take:
        // columns run up with the rows when su is 1, down when it is −1.
        UInt8* const top = PixRow(*m.dst, int(newRect.top + j)) + (newRect.left - m.dst->bounds.left) * Bytes;
        UInt8* const firstRow = Su > 0 ? top : top + (kRows - 1) * dstStride;
        const ptrdiff_t rowStep = Su > 0 ? dstStride : -dstStride;
        const SInt64 col = t.h00 - m.sourceRect.left + Su * j;
        const SInt64 first = Su > 0 ? col : col - kRows + 1;
        // Source row of step i: row0 − su·i.
        const UInt8* const source = srcRows[size_t(t.v00 - m.sourceRect.top - Su * i0)] + first * Bytes;
        const ptrdiff_t sourceStep = -Su * srcStride;
        SInt64 i = i0;
        for (; i + 4 <= i1; i += 4) {
            const UInt8* in = source + (i - i0) * sourceStep;
            UInt8* out = firstRow + i * Bytes;
            for (int g = 0; g < Groups; ++g)
                Transpose4(in + 4 * g * Bytes, sourceStep, out + 4 * g * rowStep, rowStep);
        }
        for (; i < i1; ++i) {
            const UInt8* in = source + (i - i0) * sourceStep;
            for (int k = 0; k < kRows; ++k) std::memcpy(firstRow + k * rowStep + i * Bytes, in + k * Bytes, Bytes);
        }
    }

    // Four pixels of each of four rows (from, from + inStep, …) to four
    // rows (out, out + outStep, …): pixel k of row r becomes pixel r of row k.
    static void Transpose4(const UInt8* from, ptrdiff_t inStep, UInt8* out, ptrdiff_t outStep) {
#if defined(__SSE2__)
        if constexpr (Bytes == 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + inStep));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * inStep));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * inStep));
            const __m128i ab01 = _mm_unpacklo_epi32(a, b), cd01 = _mm_unpacklo_epi32(c, d);
            const __m128i ab23 = _mm_unpackhi_epi32(a, b), cd23 = _mm_unpackhi_epi32(c, d);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(ab01, cd01));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + outStep), _mm_unpackhi_epi64(ab01, cd01));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * outStep), _mm_unpacklo_epi64(ab23, cd23));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * outStep), _mm_unpackhi_epi64(ab23, cd23));
            return;
        }
#endif
        for (int k = 0; k < 4; ++k)
            for (int r = 0; r < 4; ++r) std::memcpy(out + k * outStep + r * Bytes, from + r * inStep + k * Bytes, Bytes);
    }

    void TransposePixels(const Transposition& t) const {
        const SInt64 width = newRect.right - newRect.left, height = newRect.bottom - newRect.top;
        SInt64 j0 = 0, j1 = height, i0 = 0, i1 = width;
        Within(t.h00 - m.sourceRect.left, t.su, selWidth, &j0, &j1);
        Within(t.v00 - m.sourceRect.top, -t.su, selHeight, &i0, &i1);
        if (j0 >= j1 || i0 >= i1) return;
        SInt64 j = j0;
        auto bands = [&](auto su) {
            for (; j + 4 * kBandGroups <= j1; j += 4 * kBandGroups) TransposeBand<su(), kBandGroups>(t, j, i0, i1);
            for (; j + 4 <= j1; j += 4) TransposeBand<su(), 1>(t, j, i0, i1);
        };
        if (t.su > 0) bands(std::integral_constant<int, 1>());
        else bands(std::integral_constant<int, -1>());
        for (; j < j1; ++j) TransposeRow(t, j, i0, i1);
        for (j = j0; j < j1; ++j) SetBitRun(PixRow(*m.shape, int(newRect.top + j)), i0, i1);
    }

    // The mask in blocks of 8 x 8 bits: eight source rows give eight bytes,
    // one per destination column, which transposed are the eight
    // destination rows' bytes.
    void TransposeMask(const Transposition& t) const {
        const SInt64 width = newRect.right - newRect.left, height = newRect.bottom - newRect.top;
        SInt64 j0 = 0, j1 = height, i0 = 0, i1 = width;
        Within(t.h00 - maskLeft, t.su, maskWidth, &j0, &j1);
        Within(t.v00 - maskTop, -t.su, maskHeight, &i0, &i1);
        if (j0 >= j1 || i0 >= i1) return;
        const auto& reversed = ReversedBytes();
        const SInt64 shift = newRect.left - m.dstMask->bounds.left;  // destination bit of step i: shift + i
        const SInt64 firstByte = (shift + i0) >> 3, lastByte = (shift + i1 - 1) >> 3;
        for (SInt64 j = j0; j < j1; j += 8) {
            const int n = int(std::min<SInt64>(8, j1 - j));
            // Source columns of the band's rows: col, col + su, …; read as
            // one run from its leftmost column.
            const SInt64 col = t.h00 - maskLeft + t.su * j;
            const SInt64 from = t.su > 0 ? col : col - n + 1;
            UInt8* out[8];
            for (int k = 0; k < n; ++k) out[k] = PixRow(*m.dstMask, int(newRect.top + j + k));
            for (SInt64 byte = firstByte; byte <= lastByte; ++byte) {
                UInt64 block = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const SInt64 i = byte * 8 + bit - shift;
                    if (i < i0 || i >= i1) continue;
                    UInt8 bits = BitsAt(maskRows[size_t(t.v00 - maskTop - t.su * i)], from, n);
                    if (t.su < 0) bits = UInt8(reversed[bits] << (8 - n));
                    block |= UInt64(bits) << (56 - 8 * bit);
                }
                if (!block) continue;
                block = TransposeBits8(block);
                for (int k = 0; k < n; ++k) out[k][byte] = UInt8(out[k][byte] | UInt8(block >> (56 - 8 * k)));
            }
        }
    }

    // Visits steps [lo, hi) of a row with the source column and row of each,
    // relative to (left, top), for P = p + 2c·i and Q = q − 2s·i. The column
    // floor((round(P) + cx2 − 1 − 2·left) / 2), rounding halves away from
    // zero, is floor((P + 16384 − [P ≤ 0] + 32768·(cx2 − 1 − 2·left)) / 65536):
    // once the row is cut where P and Q change sign, each coordinate is one
    // addition and one shift per step.
    template <class Visit>
    void Walk(SInt64 p, SInt64 q, SInt64 left, SInt64 top, SInt64 lo, SInt64 hi, Visit visit) const {
        const SInt64 dp = 2 * SInt64(c), dq = -2 * SInt64(s);
        const SInt64 colBase = 16384 + 32768 * (cx2 - 1 - 2 * left), rowBase = 16384 + 32768 * (cy2 - 1 - 2 * top);
        SInt64 cuts[4] = {lo, SignChange(p, dp, lo, hi), SignChange(q, dq, lo, hi), hi};
        if (cuts[1] > cuts[2]) std::swap(cuts[1], cuts[2]);
        for (int piece = 0; piece < 3; ++piece) {
            const SInt64 from = cuts[piece], to = cuts[piece + 1];
            if (from >= to) continue;
            const SInt64 pFrom = p + dp * from, qFrom = q + dq * from;
            SInt64 h = pFrom + colBase - (pFrom <= 0), v = qFrom + rowBase - (qFrom <= 0);
            for (SInt64 i = from; i < to; ++i, h += dp, v += dq) visit(i, h >> 16, v >> 16);
        }
    }

    // The step of [lo, hi] at which p + d·i (d ≠ 0) changes between ≤ 0 and > 0.
    static SInt64 SignChange(SInt64 p, SInt64 d, SInt64 lo, SInt64 hi) {
        if ((p + d * lo > 0) == (p + d * (hi - 1) > 0)) return lo;
        const SInt64 step = d > 0 ? -p / d + 1 : (p - 1) / -d + 1;
        return std::clamp(step, lo, hi);
    }

    // The steps of a row whose source lies in the picture, and in its mask:
    // the source moves monotonically along a row, so each is one run,
    // estimated and then trimmed exactly at both ends.
    struct RowRuns {
        SInt64 pictureFrom, pictureTo, maskFrom, maskTo;  // destination columns
    };
    RowRuns FindRuns(int y) const {
        const SInt64 dy = 2 * y + 1 - cy2, dx0 = 2 * newRect.left + 1 - cx2;
        const SInt64 p0 = dx0 * c + dy * s, q0 = dy * c - dx0 * s;
        auto run = [&](const Rect& area, SInt64* lo, SInt64* hi) {
            *lo = 0, *hi = newRect.right - newRect.left;
            Near((double(p0) / 32768 + double(cx2 - 1)) / 2, double(c) / 32768, area.left, area.right, lo, hi);
            Near((double(q0) / 32768 + double(cy2 - 1)) / 2, -double(s) / 32768, area.top, area.bottom, lo, hi);
            auto inside = [&](SInt64 i) {
                const SInt64 h = (RoundUnits(p0 + 2 * c * i) + cx2 - 1) >> 1;
                const SInt64 v = (RoundUnits(q0 - 2 * s * i) + cy2 - 1) >> 1;
                return h >= area.left && h < area.right && v >= area.top && v < area.bottom;
            };
            while (*lo < *hi && !inside(*lo)) ++*lo;
            while (*hi > *lo && !inside(*hi - 1)) --*hi;
            *lo += newRect.left, *hi += newRect.left;
        };
        RowRuns r;
        run(m.sourceRect, &r.pictureFrom, &r.pictureTo);
        run(m.srcMask->bounds, &r.maskFrom, &r.maskTo);
        return r;
    }

    // One row of a tile at any other angle.
    void GeneralRow(int y, int left, int right, const RowRuns& runs) const {
        const SInt64 dy = 2 * y + 1 - cy2, dx0 = 2 * left + 1 - cx2;
        const SInt64 p0 = dx0 * c + dy * s, q0 = dy * c - dx0 * s;
        const SInt64 x0 = left - newRect.left;
        SInt64 lo = std::max<SInt64>(runs.pictureFrom, left) - left, hi = std::min<SInt64>(runs.pictureTo, right) - left;
        if (lo < hi) {
            // Halving rounds down, so no source row or column is taken twice.
            UInt8* out = PixRow(*m.dst, y) + (left - m.dst->bounds.left) * Bytes;
            UInt8* outShape = PixRow(*m.shape, y);
            const UInt8* const* rows = srcRows.data();
            if (!sourceShape) {
                Walk(p0, q0, m.sourceRect.left, m.sourceRect.top, lo, hi, [&](SInt64 i, SInt64 col, SInt64 row) {
                    std::memcpy(out + i * Bytes, rows[row] + col * Bytes, Bytes);
                });
                SetBitRun(outShape, x0 + lo, x0 + hi);
            } else {
                Walk(p0, q0, m.sourceRect.left, m.sourceRect.top, lo, hi, [&](SInt64 i, SInt64 col, SInt64 row) {
                    if (!TestBit(shapeRows[size_t(row)], UInt64(col))) return;
                    std::memcpy(out + i * Bytes, rows[row] + col * Bytes, Bytes);
                    SetBit(outShape, x0 + i);
                });
            }
        }
        lo = std::max<SInt64>(runs.maskFrom, left) - left, hi = std::min<SInt64>(runs.maskTo, right) - left;
        if (lo < hi) {
            const SInt64 maskShift = left - m.dstMask->bounds.left;
            const UInt8* const* rows = maskRows.data();
            BitRun maskBits(PixRow(*m.dstMask, y));
            Walk(p0, q0, maskLeft, maskTop, lo, hi, [&](SInt64 i, SInt64 col, SInt64 row) {
                if (TestBit(rows[row], UInt64(col))) maskBits.Set(maskShift + i);
            });
        }
    }

    void Run() const {
        const bool orthogonal = (s == 0 || c == 0) && std::abs(s) + std::abs(c) == 32768;
        if (orthogonal && c == 0) {
            const Transposition t = Transposed();
            TransposeMask(t);
            if (!sourceShape) {
                TransposePixels(t);
                return;
            }
        }
        std::vector<RowRuns> runs;
        if (!orthogonal)
            for (int y = newRect.top; y < newRect.bottom; ++y) runs.push_back(FindRuns(y));
        for (int top = newRect.top; top < newRect.bottom; top += kTileHeight)
            for (int left = newRect.left; left < newRect.right; left += kTileWidth) {
                const int bottom = std::min(top + kTileHeight, int(newRect.bottom));
                const int right = std::min(left + kTileWidth, int(newRect.right));
                for (int y = top; y < bottom; ++y) {
                    if (!orthogonal) {
                        GeneralRow(y, left, right, runs[size_t(y - newRect.top)]);
                        continue;
                    }
                    OrthogonalPixels(y, left, right);
                    if (c != 0) OrthogonalMask(y, left, right);
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
