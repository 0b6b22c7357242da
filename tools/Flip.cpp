// Horizontal and vertical flips of the picture or of the floating selection:
// pixels and mask move row by row in memory, the selection's shape is
// mirrored within its own bounds.
#include "tools/Effects.h"

#include "app/MenuBar.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "tools/Selection.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline bool GetBit(const UInt8* row, int x) { return (row[x >> 3] & (0x80 >> (x & 7))) != 0; }
inline void PutBit(UInt8* row, int x, bool on) {
    const UInt8 bit = UInt8(0x80 >> (x & 7));
    row[x >> 3] = on ? UInt8(row[x >> 3] | bit) : UInt8(row[x >> 3] & ~bit);
}

// Bits [from, from + count) of `src` onto the same bits of `dst`.
void CopyBitSpan(const UInt8* src, UInt8* dst, int from, int count) {
    if (count <= 0) return;
    const int end = from + count;
    const int firstByte = from >> 3, lastByte = (end - 1) >> 3;
    const UInt8 headMask = UInt8(0xFF >> (from & 7));
    const UInt8 tailMask = UInt8(0xFF00 >> (((end - 1) & 7) + 1));
    if (firstByte == lastByte) {
        const UInt8 m = UInt8(headMask & tailMask);
        dst[firstByte] = UInt8((dst[firstByte] & ~m) | (src[firstByte] & m));
        return;
    }
    dst[firstByte] = UInt8((dst[firstByte] & ~headMask) | (src[firstByte] & headMask));
    std::memcpy(dst + firstByte + 1, src + firstByte + 1, size_t(lastByte - firstByte - 1));
    dst[lastByte] = UInt8((dst[lastByte] & ~tailMask) | (src[lastByte] & tailMask));
}

// Bits [from, from + count) of `src` mirrored onto the same bits of `dst`.
// When the span's mirror axis falls between bytes, whole bytes are mirrored
// through a table.
void MirrorBitSpan(const UInt8* src, UInt8* dst, int from, int count) {
    static const auto kReversed = [] {
        std::array<UInt8, 256> t{};
        for (int b = 0; b < 256; ++b)
            for (int i = 0; i < 8; ++i)
                if (b & (1 << i)) t[size_t(b)] = UInt8(t[size_t(b)] | (0x80 >> i));
        return t;
    }();
    const int last = from + count - 1, axis = from + last;  // bit i goes to bit axis − i
    int i = from;
    if ((axis & 7) == 7) {
        // Byte-aligned groups of bits mirror onto byte-aligned groups.
        for (; i <= last && (i & 7); ++i) PutBit(dst, axis - i, GetBit(src, i));
        for (; i + 7 <= last; i += 8) dst[(axis - 7 - i) >> 3] = kReversed[src[i >> 3]];
    }
    for (; i <= last; ++i) PutBit(dst, axis - i, GetBit(src, i));
}

// `count` 32-bit pixels of `in` to `out` in reverse order, four at a time
// where the processor can turn four in one step.
void ReversePixels32(const UInt8* in, UInt8* out, int count) {
    UInt8* end = out + ptrdiff_t(count) * 4;
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + ptrdiff_t(i) * 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(end - ptrdiff_t(i) * 4 - 16), _mm_shuffle_epi32(four, 0x1B));
    }
#endif
    for (; i < count; ++i) std::memcpy(end - ptrdiff_t(i) * 4 - 4, in + ptrdiff_t(i) * 4, 4);
}

// The span selRect covers in both buffers, which recording the undo state
// gave the same bounds.
bool FlipSpan(PaintWinRec* rec, Rect* span) {
    const Rect bounds = GWorldBounds(rec->offPort.get());
    return SectRect(&rec->selRect, &bounds, span);
}

// The selection's outline after a flip: mirrored within its bounds while it
// floats; the whole picture otherwise.
void FlipSelectionShape(WindowRef window, PaintWinRec* rec, void (*flip)(RgnHandle, const Rect*)) {
    UpdatePSRgn(rec);
    if (!rec->isFloating) {
        CopyRgn(rec->selRgn, rec->updateRgn);
    } else {
        Rect bounds;
        GetRegionBounds(rec->selRgn, &bounds);
        flip(rec->selRgn, &bounds);
        MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);
        UnionRgn(rec->selRgn, rec->undoSelRgn, rec->updateRgn);
    }
    DispOffPort(window);
    CountUse(kUsedFlip);
    UpdateTransparentMenu();
    SetUndoMode(kUndoFlip);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

// Each rectangle of the region mirrored by `mirror`, collected anew.
template <class Mirror>
void MirrorRgn(RgnHandle region, Mirror mirror) {
    UniqueRgn result, piece;
    for (Rect r : RegionRects(region)) {
        mirror(&r);
        RectRgn(piece, &r);
        UnionRgn(result, piece, result);
    }
    CopyRgn(result, region);
}

}  // namespace

void FlipHorizontalRgn(RgnHandle region, const Rect* bounds) {
    if (!region || !bounds) return;
    const int sum = bounds->left + bounds->right;
    MirrorRgn(region, [sum](Rect* r) {
        const SInt16 left = SInt16(sum - r->right);
        r->right = SInt16(sum - r->left);
        r->left = left;
    });
}

void FlipVerticalRgn(RgnHandle region, const Rect* bounds) {
    if (!region || !bounds) return;
    const int sum = bounds->top + bounds->bottom;
    MirrorRgn(region, [sum](Rect* r) {
        const SInt16 top = SInt16(sum - r->bottom);
        r->bottom = SInt16(sum - r->top);
        r->top = top;
    });
}

void FlipPixels(const PixMap& src, const PixMap& srcMask, const PixMap& dst, const PixMap& dstMask, const Rect& span,
                Boolean horizontal) {
    const int bytes = src.pixelSize == 32 ? 4 : 1;
    const int first = span.left - src.bounds.left;
    const int firstBit = span.left - srcMask.bounds.left, bits = span.right - span.left;
    for (int i = 0; i < span.bottom - span.top; ++i) {
        const int from = span.top + i, to = horizontal ? from : span.bottom - 1 - i;
        if (!horizontal) {
            // Whole pixels: four bytes each in 24 bits, one in 8.
            std::memcpy(PixRow(dst, to) + first * bytes, PixRow(src, from) + first * bytes, size_t(bits * bytes));
            CopyBitSpan(PixRow(srcMask, from), PixRow(dstMask, to), firstBit, bits);
            continue;
        }
        if (bytes == 4) {
            ReversePixels32(PixRow(src, from) + first * 4, PixRow(dst, to) + first * 4, bits);
        } else {
            const UInt8* in = PixRow(src, from) + first;
            std::reverse_copy(in, in + bits, PixRow(dst, to) + first);
        }
        MirrorBitSpan(PixRow(srcMask, from), PixRow(dstMask, to), firstBit, bits);
    }
}

void FlipHorizontal(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    SavedGWorld saved;
    if (!BeginEffect(window)) return;
    Rect span;
    if (FlipSpan(rec, &span))
        FlipPixels(**GetGWorldPixMap(rec->undoPort.get()), **GetGWorldPixMap(rec->undoMask.get()),
                   **GetGWorldPixMap(rec->offPort.get()), **GetGWorldPixMap(rec->maskPort.get()), span, true);
    FlipSelectionShape(window, rec, FlipHorizontalRgn);
}

void FlipVertical(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    SavedGWorld saved;
    if (!BeginEffect(window)) return;
    Rect span;
    if (FlipSpan(rec, &span))
        FlipPixels(**GetGWorldPixMap(rec->undoPort.get()), **GetGWorldPixMap(rec->undoMask.get()),
                   **GetGWorldPixMap(rec->offPort.get()), **GetGWorldPixMap(rec->maskPort.get()), span, false);
    FlipSelectionShape(window, rec, FlipVerticalRgn);
}
