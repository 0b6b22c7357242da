#include "tools/Bucket.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/SeedFill.h"
#include "platform/raster/Shapes.h"
#include "platform/resources/Patterns.h"
#include "tools/Eyedropper.h"
#include "tools/ReplaceColor.h"
#include "tools/Tools.h"

#include <algorithm>

Boolean RealPtInMask(Point pt, GWorldPtr mask) {
    if (!mask) return false;
    const PixMap& pm = **GetGWorldPixMap(mask);
    if (pt.h < pm.bounds.left || pt.h >= pm.bounds.right || pt.v < pm.bounds.top || pt.v >= pm.bounds.bottom)
        return false;
    const int x = pt.h - pm.bounds.left;
    return (PixRow(pm, pt.v)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

OSErr MakeBucketRegion(PaintWinRec* rec, Point pt, RgnHandle area) {
    SetEmptyRgn(area);
    if (!rec || !rec->offPort || !rec->maskPort || !PtInRect(pt, &rec->selRect)) return noErr;
    const Boolean opaque = RealPtInMask(pt, rec->maskPort.get());

    UniqueBitMap fill;
    OSErr err = fill.Make(&rec->selRect);
    if (err != noErr) return err;

    SavedGWorld saved;
    SetBlackOnWhite(rec->maskPort.get());
    if (opaque) {
        SetBlackOnWhite(rec->offPort.get());
        const BitMap* off = GetPortBitMapForCopyBits(rec->offPort.get());
        const BitMap* mask = GetPortBitMapForCopyBits(rec->maskPort.get());
        RGBColor seed;
        GetCPixel(pt.h, pt.v, &seed);
        // Opaque white changes colour for the fill, transparent (white) pixels
        // do not, so the fill cannot leak into transparency.
        const Boolean white = EqualColor(&seed, &rgbWhiteColor);
        if (white) CopyBits(mask, off, &rec->selRect, &rec->selRect, srcXor, nullptr);
        SeedCFill(off, fill.get(), &rec->selRect, &rec->selRect, pt.h, pt.v, nullptr, 0);
        if (white) CopyBits(mask, off, &rec->selRect, &rec->selRect, srcXor, nullptr);
    } else {
        SeedCFill(GetPortBitMapForCopyBits(rec->maskPort.get()), fill.get(), &rec->selRect, &rec->selRect, pt.h,
                  pt.v, nullptr, 0);
    }
    err = BitMapToRegion(area, fill.get());
    if (err != noErr) SetEmptyRgn(area);
    return err;
}

namespace {

// The fill itself, on any image and mask buffers of the document's layout.
void FillBuffers(GWorldPtr image, GWorldPtr mask, RgnHandle area) {
    Pattern pat;
    GetFillPattern(&pat);
    SavedGWorld saved;
    SetGWorld(image, nullptr);
    RGBForeColor(&gCurrentColor.rgb);
    RGBBackColor(&gBackColor.rgb);
    FillRgn(area, &pat);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);

    // The mask follows the colour each pixel got: opaque where an opaque
    // colour was drawn.
    const Boolean foreOpaque = !gCurrentColor.isTransparent, backOpaque = !gBackColor.isTransparent;
    const Boolean solidFore = FillPatternIsSolidFore(), solidBack = FillPatternIsSolidBack();
    SetBlackOnWhite(mask);
    if ((foreOpaque && (backOpaque || solidFore)) || (backOpaque && solidBack)) {
        PaintRgn(area);
    } else if ((!foreOpaque && (!backOpaque || solidFore)) || (!backOpaque && solidBack)) {
        EraseRgn(area);
    } else {
        RGBForeColor(foreOpaque ? &rgbBlackColor : &rgbWhiteColor);
        RGBBackColor(backOpaque ? &rgbBlackColor : &rgbWhiteColor);
        FillRgn(area, &pat);
        RGBForeColor(&rgbBlackColor);
        RGBBackColor(&rgbWhiteColor);
    }
}

// A copy of a buffer, the same depth, bounds and colours; none when memory runs out.
UniqueGWorld CopyOfBuffer(GWorldPtr g) {
    PixMapHandle pm = GetGWorldPixMap(g);
    const Rect bounds = (**pm).bounds;
    UniqueGWorld copy;
    if (NewGWorld(copy.out(), (**pm).pixelSize, &bounds, (**pm).pmTable, nullptr, useTempMem) != noErr) return {};
    SavedGWorld saved;
    SetBlackOnWhite(g);
    SetBlackOnWhite(copy.get());
    CopyBits(GetPortBitMapForCopyBits(g), GetPortBitMapForCopyBits(copy.get()), &bounds, &bounds, srcCopy, nullptr);
    return copy;
}

// Whether two buffers of one layout hold the same pixels over a rectangle.
bool SamePixels(GWorldPtr a, GWorldPtr b, const Rect& r) {
    const PixMap& pa = **GetGWorldPixMap(a);
    const PixMap& pb = **GetGWorldPixMap(b);
    const int depth = pa.pixelSize;
    const size_t first = size_t(r.left - pa.bounds.left) * size_t(depth) / 8;
    const size_t last = (size_t(r.right - pa.bounds.left) * size_t(depth) + 7) / 8;
    for (int v = r.top; v < r.bottom; ++v)
        if (!std::equal(PixRow(pa, v) + first, PixRow(pa, v) + last, PixRow(pb, v) + first)) return false;
    return true;
}

// Whether filling the area would change any pixel or mask bit: the fill is
// made on copies of the buffers and compared. When the copies cannot be made
// the fill counts as a change.
bool FillChangesAnything(PaintWinRec* rec, RgnHandle area) {
    UniqueGWorld image = CopyOfBuffer(rec->offPort.get()), mask = CopyOfBuffer(rec->maskPort.get());
    if (!image || !mask) return true;
    FillBuffers(image.get(), mask.get(), area);
    Rect r;
    GetRegionBounds(area, &r);
    SectRect(&r, &(**GetGWorldPixMap(image.get())).bounds, &r);
    SectRect(&r, &(**GetGWorldPixMap(mask.get())).bounds, &r);
    return !SamePixels(image.get(), rec->offPort.get(), r) || !SamePixels(mask.get(), rec->maskPort.get(), r);
}

}  // namespace

void FillBucketRegion(PaintWinRec* rec, RgnHandle area) {
    if (!rec || !rec->offPort || !rec->maskPort) return;
    FillBuffers(rec->offPort.get(), rec->maskPort.get(), area);
}

void DoBucket(WindowRef window, Point localPt, Boolean command) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    Point pt = localPt;
    ToRealPos(&pt, rec->ratio);
    if (rec->isFloating) {
        pt.h = SInt16(pt.h - rec->selOffset.h);
        pt.v = SInt16(pt.v - rec->selOffset.v);
    }
    if (!PtInRect(pt, &rec->selRect)) return;
    const Boolean opaque = RealPtInMask(pt, rec->maskPort.get());

    if (command) {
        Boolean replaced = false;
        if (opaque) {
            RGBColor pixel;
            {
                SavedGWorld saved;
                SetGWorld(rec->offPort.get(), nullptr);
                GetCPixel(pt.h, pt.v, &pixel);
            }
            if (!gCurrentColor.isTransparent && EqualColor(&pixel, &gCurrentColor.rgb)) return;
            replaced = DoReplaceColor(window, &pixel, false, &gCurrentColor.rgb, gCurrentColor.isTransparent);
        } else {
            if (gCurrentColor.isTransparent) return;
            replaced = DoReplaceColor(window, &rgbWhiteColor, true, &gCurrentColor.rgb, false);
        }
        if (replaced) SetUndoMode(kUndoTone);
        return;
    }

    UniqueRgn area;
    if (MakeBucketRegion(rec, pt, area) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    // A fill that would change no pixel records nothing.
    if (!FillChangesAnything(rec, area)) return;
    if (GoOffPort(window) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    FillBucketRegion(rec, area);
    CopyRgn(area, rec->updateRgn);
    if (rec->isFloating) OffsetRgn(rec->updateRgn, rec->selOffset.h, rec->selOffset.v);
    DispOffPort(window);
    UpdateMenus();  // the transparency items follow the mask
    SetUndoMode(kUndoPaint);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

Boolean ClickColorTool(WindowRef window, Point localPt, const EventRecord* event, SInt16 tool) {
    const EventModifiers mods = event ? event->modifiers : 0;
    switch (tool) {
    case kEyedropperTool: DoSpoit(window, localPt); return true;
    case kBucketTool: DoBucket(window, localPt, (mods & cmdKey) != 0); return true;
    default: return false;
    }
}
