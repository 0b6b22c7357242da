// The mask commands of the Effect menu and the tests behind their check marks.
#include "tools/Selection.h"

#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "tools/Bucket.h"
#include "tools/ColorSearch.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

enum : MenuItemIndex { kBlendSelectionItem = 18 };

// The selection in offPort coordinates: selRgn moved back to where its
// pixels were lifted from.
void LiftedShape(const PaintWinRec* rec, RgnHandle shape) {
    CopyRgn(rec->selRgn, shape);
    if (rec->isFloating) OffsetRgn(shape, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
}

// Outside the lifted shape maskPort stays transparent while a selection
// floats, so a mask made from the whole image is cut to the shape.
void CutToLiftedShape(const PaintWinRec* rec, GWorldPtr mask) {
    if (!rec->isFloating) return;
    UniqueRgn shape, outside;
    LiftedShape(rec, shape);
    Rect bounds;
    GetPortBounds(mask, &bounds);
    RectRgn(outside, &bounds);
    DiffRgn(outside, shape, outside);
    SetBlackOnWhite(mask);
    EraseRgn(outside);
}

bool SameBounds(GWorldPtr a, GWorldPtr b) {
    Rect ra, rb;
    GetPixBounds(GetGWorldPixMap(a), &ra);
    GetPixBounds(GetGWorldPixMap(b), &rb);
    return EqualRect(&ra, &rb);
}

// Whether two 1-bit buffers of the same bounds hold the same bits.
bool SameBits(GWorldPtr a, GWorldPtr b) {
    const PixMap& pa = **GetGWorldPixMap(a);
    const PixMap& pb = **GetGWorldPixMap(b);
    const int width = pa.bounds.right - pa.bounds.left;
    const size_t fullBytes = size_t(width >> 3);
    const UInt8 tail = UInt8(0xFF00 >> (width & 7));
    for (int v = pa.bounds.top; v < pa.bounds.bottom; ++v) {
        const UInt8* ra = PixRow(pa, v);
        const UInt8* rb = PixRow(pb, v);
        if (!std::equal(ra, ra + fullBytes, rb)) return false;
        if (tail && ((ra[fullBytes] ^ rb[fullBytes]) & tail)) return false;
    }
    return true;
}

// Whether every bit of the row span [left, right) (map coordinates) is set.
bool RowAllSet(const PixMap& pm, int v, int left, int right) {
    const UInt8* row = PixRow(pm, v);
    for (int x = left - pm.bounds.left, end = right - pm.bounds.left; x < end;) {
        if ((x & 7) == 0 && end - x >= 8) {
            if (row[x >> 3] != 0xFF) return false;
            x += 8;
            continue;
        }
        if (!(row[x >> 3] & (0x80 >> (x & 7)))) return false;
        ++x;
    }
    return true;
}

}  // namespace

Boolean MaskIsOpaqueSelection(PaintWinRec* rec) {
    if (!rec || !rec->maskPort) return false;
    UniqueRgn shape;
    LiftedShape(rec, shape);
    if (EmptyRgn(shape)) return false;
    const PixMap& pm = **GetGWorldPixMap(rec->maskPort.get());
    for (const Rect& r : RegionRects(shape)) {
        if (r.left < pm.bounds.left || r.right > pm.bounds.right || r.top < pm.bounds.top ||
            r.bottom > pm.bounds.bottom)
            return false;
        for (int v = r.top; v < r.bottom; ++v)
            if (!RowAllSet(pm, v, r.left, r.right)) return false;
    }
    return true;
}

Boolean MaskIsWhiteTransparent(PaintWinRec* rec) {
    // Read straight from the rows (this runs on every menu update): inside
    // the lifted shape each mask bit must say whether its pixel is not white,
    // and no bit may be set outside it, which holds when the set bits inside
    // the shape are all the set bits there are.
    if (!rec || !rec->maskPort || !rec->offPort) return false;
    if (!SameBounds(rec->maskPort.get(), rec->offPort.get())) return false;
    const PixMap& image = **GetGWorldPixMap(rec->offPort.get());
    const PixMap& mask = **GetGWorldPixMap(rec->maskPort.get());
    const int depth = image.pixelSize;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 32) return false;
    std::array<bool, 256> whiteIndex{};
    if (depth <= 8) {
        CTabHandle table = image.pmTable ? image.pmTable : StandardCTable(depth);
        const int count = CTabReadableCount(table);
        for (int i = 0; i < count; ++i) whiteIndex[size_t(i)] = EqualColor(&CTabEntries(table)[i].rgb, &rgbWhiteColor);
    }
    auto isWhite = [&](const UInt8* row, int col) {
        if (depth == 32) return row[col * 4 + 1] == 0xFF && row[col * 4 + 2] == 0xFF && row[col * 4 + 3] == 0xFF;
        const int bit = col * depth;
        return whiteIndex[(row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1)];
    };

    UniqueRgn shape;
    LiftedShape(rec, shape);
    const Rect& b = mask.bounds;
    Size inside = 0;
    for (const Rect& r : RegionRects(shape)) {
        const int top = std::max<int>(r.top, b.top), bottom = std::min<int>(r.bottom, b.bottom);
        const int left = std::max<int>(r.left, b.left), right = std::min<int>(r.right, b.right);
        for (int v = top; v < bottom; ++v) {
            const UInt8* pixels = PixRow(image, v);
            const UInt8* bits = PixRow(mask, v);
            for (int x = left - b.left; x < right - b.left; ++x) {
                const bool set = (bits[x >> 3] & (0x80 >> (x & 7))) != 0;
                if (set == isWhite(pixels, x)) return false;
                inside += set;
            }
        }
    }
    Size total = 0;
    const int width = b.right - b.left;
    const size_t fullBytes = size_t(width >> 3);
    const UInt8 tail = UInt8(0xFF00 >> (width & 7));
    for (int v = b.top; v < b.bottom; ++v) {
        const UInt8* bits = PixRow(mask, v);
        for (size_t i = 0; i < fullBytes; ++i) total += std::popcount(bits[i]);
        if (tail) total += std::popcount(UInt8(bits[fullBytes] & tail));
    }
    return total == inside;
}

void ChangeMask(WindowRef window, SInt16 mode) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->maskPort || !rec->offPort) return;
    SavedGWorld saved;
    // The new mask is made first, so that running out of memory leaves the
    // undo state as it was and a mask equal to the old one records nothing.
    Rect bounds;
    GetPortBounds(rec->maskPort.get(), &bounds);
    UniqueGWorld newMask;
    if (mode == transparent) {
        GWorldPtr made = nullptr;
        if (CreateMask2(rec->offPort.get(), &made) != noErr || !made ||
            !SameBounds(made, rec->maskPort.get())) {
            if (made) DisposeGWorld(made);
            SysBeep(1);
            CopyRgn(rec->selRgn, rec->updateRgn);
            DispOffPort(window);
            return;
        }
        newMask.reset(made);
        CutToLiftedShape(rec, newMask.get());
    } else {
        if (NewGWorld(newMask.out(), 1, &bounds, nullptr, nullptr, useTempMem) != noErr || !newMask) {
            SysBeep(1);
            return;
        }
        UniqueRgn shape;
        LiftedShape(rec, shape);
        SetBlackOnWhite(newMask.get());
        EraseRect(&bounds);
        PaintRgn(shape);
    }
    if (SameBits(newMask.get(), rec->maskPort.get())) return;
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        return;
    }
    SetBlackOnWhite(newMask.get());
    SetBlackOnWhite(rec->maskPort.get());
    CopyBits(GetPortBitMapForCopyBits(newMask.get()), GetPortBitMapForCopyBits(rec->maskPort.get()), &bounds,
             &bounds, srcCopy, nullptr);
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
    UpdateTransparentMenu();
    SetUndoMode(kUndoChangeMask);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

void ToggleSelectionBlend(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    rec->selMode = rec->selMode == blend ? SInt16(srcCopy) : SInt16(blend);
    if (MenuRef effect = GetMenuHandle(kEffectMenuID))
        CheckMenuItem(effect, kBlendSelectionItem, rec->selMode == blend);
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
}
