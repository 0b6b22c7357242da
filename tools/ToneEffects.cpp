// Darken, lighten, fill with the current pattern, and antialias: effects that
// change the tone of the picture or of the floating selection in place.
#include "tools/Effects.h"

#include "app/Alerts.h"
#include "app/Shell.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "tools/Bucket.h"

namespace {

// Paints `target` (or, without one, `rect`) of offPort with the step colour
// in an arithmetic mode against `pin`.
void ShadeTarget(PaintWinRec* rec, RgnHandle target, const Rect* rect, SInt16 mode, const RGBColor& pin) {
    SetBlackOnWhite(rec->offPort.get());
    RGBForeColor(&rgbLBColor);
    OpColor(&pin);
    PenMode(mode);
    if (target) PaintRgn(target);
    else PaintRect(rect);
    PenMode(patCopy);
    OpColor(&rgbBlackColor);
    RGBForeColor(&rgbBlackColor);
}

}  // namespace

void DoDarken(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    ResetRuler();
    SavedGWorld saved;
    if (!BeginEffect(window)) return;
    ShadeTarget(rec, target.rgn, nullptr, subPin, rgbBlackColor);
    // Darkened pixels are never white: the whole target becomes opaque.
    SetBlackOnWhite(rec->maskPort.get());
    PaintRgn(target.rgn);
    FinishEffect(window, kUsedDarken, kUndoTone);
}

void DoLighten(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    ResetRuler();
    SavedGWorld saved;
    if (!BeginEffect(window)) return;
    // The mask stays: what was transparent stays so.
    ShadeTarget(rec, nullptr, &target.rect, addPin, rgbWhiteColor);
    FinishEffect(window, kUsedLighten, kUndoTone);
}

void DoFill(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    SavedGWorld saved;
    if (!BeginEffect(window)) return;
    Pattern pat;
    GetFillPattern(&pat);
    SetBlackOnWhite(rec->offPort.get());
    RGBForeColor(&gCurrentColor.rgb);
    RGBBackColor(&gBackColor.rgb);
    OpColor(&gBlendRatio);
    PenPat(&pat);
    PenMode(gBlendMode);
    PaintRgn(target.rgn);
    PenNormal();
    OpColor(&rgbBlackColor);

    // The mask follows the colours as for the bucket: opaque where an opaque
    // colour was painted.
    const Boolean foreOpaque = !gCurrentColor.isTransparent, backOpaque = !gBackColor.isTransparent;
    const Boolean solidFore = FillPatternIsSolidFore(), solidBack = FillPatternIsSolidBack();
    SetBlackOnWhite(rec->maskPort.get());
    if ((foreOpaque && (backOpaque || solidFore)) || (backOpaque && solidBack)) {
        PaintRgn(target.rgn);
    } else if ((!foreOpaque && (!backOpaque || solidFore)) || (!backOpaque && solidBack)) {
        EraseRgn(target.rgn);
    } else {
        RGBForeColor(foreOpaque ? &rgbBlackColor : &rgbWhiteColor);
        RGBBackColor(backOpaque ? &rgbBlackColor : &rgbWhiteColor);
        FillRgn(target.rgn, &pat);
    }
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    FinishEffect(window, kUsedFill, kUndoTone);
}

void AntialiasPixels(GWorldPtr picture, GWorldPtr mix, GWorldPtr dst, const Rect& r) {
    SavedGWorld saved;
    SetBlackOnWhite(mix);
    const Rect bounds = GWorldBounds(mix);
    EraseRect(&bounds);
    // Running blends leave each pixel the mean of its four neighbours: the
    // second copy weighs 1/2, the third 1/3, the fourth 1/4. Along the edges
    // of r the white of the cleared buffer takes a neighbour's place.
    struct Pass {
        SInt16 dh, dv, mode;
        UInt16 weight;
    };
    static constexpr Pass kPasses[] = {
        {1, 0, srcCopy, 0}, {-1, 0, blend, 0x8000}, {0, -1, blend, 0x5555}, {0, 1, blend, 0x4000}};
    for (const Pass& p : kPasses) {
        Rect moved = r;
        OffsetRect(&moved, p.dh, p.dv);
        const RGBColor w{p.weight, p.weight, p.weight};
        CopyWithOp(picture, mix, r, moved, p.mode, w);
    }
    // Half the pixel itself, an eighth of each neighbour.
    const RGBColor half{0x8000, 0x8000, 0x8000};
    CopyWithOp(picture, mix, r, r, blend, half);
    CopyWithOp(mix, dst, r, r, srcCopy, rgbBlackColor);
}

void DoAntialias(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    ResetRuler();
    SavedGWorld saved;
    const Rect bounds = GWorldBounds(rec->offPort.get());
    UniqueGWorld mix;
    if (NewGWorld(mix.out(), 24, &bounds, nullptr, nullptr, useTempMem) != noErr || !mix) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    if (!BeginEffect(window)) return;
    AntialiasPixels(rec->undoPort.get(), mix.get(), rec->offPort.get(), target.rect);
    // Pixels that took colour from a neighbour become opaque.
    OrNonWhiteIntoMask(rec, target.rect);
    FinishEffect(window, kUsedAntialias, kUndoTone);
}
