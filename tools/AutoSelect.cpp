// The automatic selections: the content inside a rectangle, the last stroke,
// and every pixel of one colour.
#include "tools/Selection.h"

#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/SeedFill.h"
#include "platform/raster/Shapes.h"
#include "tools/ColorSearch.h"
#include "tools/Tools.h"

#include <utility>

namespace {

// The content of srcRect of `buffer` as a region over dstRect.
[[nodiscard]] OSErr ContentRegion(GWorldPtr buffer, const Rect* srcRect, const Rect* dstRect, RgnHandle area) {
    UniqueBitMap mask;
    if (const OSErr err = CreateMask(buffer, srcRect, dstRect, mask.out()); err != noErr) return err;
    return BitMapToRegion(area, mask.get());
}

// A new buffer of `like`'s depth and colour table over `bounds`.
[[nodiscard]] OSErr NewBufferLike(GWorldPtr like, const Rect* bounds, UniqueGWorld* out) {
    PixMapHandle pm = GetGWorldPixMap(like);
    const OSErr err = NewGWorld(out->out(), GetPixDepth(pm), bounds, (**pm).pixelSize <= 8 ? (**pm).pmTable : nullptr,
                                nullptr, useTempMem);
    if (err != noErr) return err;
    return *out ? OSErr(noErr) : OSErr(memFullErr);
}

// The stroke lifted off a floating selection: the old selection, as it was
// before the stroke, is stamped into the base, and the stroke alone floats
// from where it is shown (selOffset (0, 0)). The undo state is the picture
// as it was shown after the stroke, without a selection.
[[nodiscard]] OSErr LiftStrokeFromSelection(PaintWinRec* rec, RgnHandle stroke, RgnHandle oldShape) {
    const Rect pic = rec->picRect;
    UniqueGWorld off, mask, undo, undoMask;
    OSErr err = NewBufferLike(rec->offPort.get(), &pic, &off);
    if (err == noErr) err = NewBufferLike(rec->dispPort.get(), &pic, &undo);
    if (err == noErr) err = NewGWorld(mask.out(), 1, &pic, nullptr, nullptr, useTempMem);
    if (err == noErr) err = NewGWorld(undoMask.out(), 1, &pic, nullptr, nullptr, useTempMem);
    if (err == noErr && (!mask || !undoMask)) err = memFullErr;
    if (err != noErr) return err;

    Rect shown;
    GetRegionBounds(rec->selRgn, &shown);
    for (const UniqueGWorld* g : {&rec->offPort, &rec->maskPort, &rec->undoPort, &rec->undoMask, &rec->basePort,
                                  &rec->baseMask, &rec->dispPort})
        SetBlackOnWhite(g->get());

    // The picture as shown now, with its opacity.
    SetBlackOnWhite(undo.get());
    CopyBits(Bits(rec->dispPort), Bits(undo), &pic, &pic, srcCopy, nullptr);
    SetBlackOnWhite(undoMask.get());
    CopyBits(Bits(rec->baseMask), Bits(undoMask), &pic, &pic, srcCopy, nullptr);
    CopyBits(Bits(rec->maskPort), Bits(undoMask), &rec->selRect, &shown, srcOr, rec->selRgn);

    // The stroke alone, where it is shown.
    SetBlackOnWhite(off.get());
    EraseRect(&pic);
    CopyBits(Bits(rec->offPort), Bits(off), &rec->selRect, &shown, srcCopy, stroke);
    SetBlackOnWhite(mask.get());
    EraseRect(&pic);
    CopyBits(Bits(rec->maskPort), Bits(mask), &rec->selRect, &shown, srcCopy, stroke);

    // The old selection before the stroke goes into the base.
    SetGWorld(rec->basePort.get(), nullptr);
    if (rec->selMode == blend) OpColor(&rgbGrayColor);
    SafeCopyDeepMask(Bits(rec->undoPort), Bits(rec->undoMask), Bits(rec->basePort), &rec->selRect, &rec->selRect,
                     &shown, rec->selMode, rec->selRgn);
    OpColor(&rgbBlackColor);
    SetGWorld(rec->baseMask.get(), nullptr);
    CopyBits(Bits(rec->undoMask), Bits(rec->baseMask), &rec->selRect, &shown, srcOr, rec->selRgn);

    CopyRgn(rec->selRgn, oldShape);
    rec->offPort = std::move(off);
    rec->maskPort = std::move(mask);
    rec->undoPort = std::move(undo);
    rec->undoMask = std::move(undoMask);
    rec->selOffset = Point{0, 0};
    return noErr;
}

// The last stroke (updateRgn after undo mode 1) becomes the floating
// selection, lifted off the picture as it was before the stroke.
void SelectLastStroke(WindowRef window, PaintWinRec* rec) {
    UniqueRgn stroke, oldShape;
    CopyRgn(rec->updateRgn, stroke);
    if (rec->isFloating) SectRgn(stroke, rec->selRgn, stroke);
    const Rect pic = rec->picRect;
    const Rect undoBounds = GWorldBounds(rec->undoPort.get());
    if (EmptyRgn(stroke) || !rec->undoPort || !rec->undoMask || !rec->basePort || !rec->baseMask ||
        (!rec->isFloating && !EqualRect(&undoBounds, &pic))) {
        SysBeep(1);
        return;
    }

    if (!rec->isFloating) {
        // The base is taken before the snapshot replaces the picture before the stroke.
        SetBlackOnWhite(rec->undoPort.get());
        SetBlackOnWhite(rec->basePort.get());
        CopyBits(Bits(rec->undoPort), Bits(rec->basePort), &pic, &pic, srcCopy, nullptr);
        SetBlackOnWhite(rec->undoMask.get());
        SetBlackOnWhite(rec->baseMask.get());
        CopyBits(Bits(rec->undoMask), Bits(rec->baseMask), &pic, &pic, srcCopy, nullptr);
        if (GoOffPort(window) != noErr) {
            SysBeep(1);
            return;
        }
        rec->selOffset = Point{0, 0};
        rec->selMode = srcCopy;
        UniqueRgn rest;
        RectRgn(rest, &pic);
        DiffRgn(rest, stroke, rest);
        SetBlackOnWhite(rec->offPort.get());
        EraseRgn(rest);
        SetBlackOnWhite(rec->maskPort.get());
        EraseRgn(rest);
    } else {
        if (LiftStrokeFromSelection(rec, stroke, oldShape) != noErr) {
            SysBeep(1);
            return;
        }
        if (rec->selShown) DispSelection(window);
    }

    CopyRgn(stroke, rec->selRgn);
    GetRegionBounds(rec->selRgn, &rec->selRect);
    MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);
    RectRgn(rec->undoSelRgn, &pic);
    SetEmptyRgn(rec->undoSelDispRgn);
    rec->undoSelRect = pic;
    rec->undoSelOffset = Point{0, 0};
    rec->isFloating = true;
    rec->selShown = true;
    UnionRgn(oldShape, stroke, rec->updateRgn);
    DispOffPort(window);
    DispSelection(window);
    ToolSelect(kSelectionTool);
    SetUndoMode(kUndoSelect);
    UpdateMenus();
}

// The selection narrowed to its content: non-white pixels and the white they enclose.
void ShrinkToContent(WindowRef window, PaintWinRec* rec) {
    UniqueRgn content;
    if (!rec->isFloating) {
        if (ContentRegion(rec->offPort.get(), &rec->picRect, &rec->picRect, content) != noErr ||
            EmptyRgn(content)) {
            SysBeep(1);
            return;
        }
        UpdatePSRgn(rec);
        if (GoOffPort(window) != noErr) {
            SysBeep(1);
            return;
        }
        DoSelectMain(window, std::move(content));
        return;
    }

    if (ContentRegion(rec->offPort.get(), &rec->selRect, &rec->selRect, content) != noErr) {
        SysBeep(1);
        return;
    }
    OffsetRgn(content, rec->selOffset.h, rec->selOffset.v);
    SectRgn(content, rec->selRgn, content);
    if (EqualRgn(content, rec->selRgn)) return;
    if (EmptyRgn(content)) {
        SysBeep(1);
        return;
    }
    UpdatePSRgn(rec);
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        return;
    }
    if (rec->selShown) DispSelection(window);
    UniqueRgn oldShape;
    CopyRgn(rec->selRgn, oldShape);
    CopyRgn(content, rec->selRgn);
    GetRegionBounds(rec->selRgn, &rec->selRect);
    OffsetRect(&rec->selRect, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    rec->undoSelOffset = Point{0, 0};
    MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);
    rec->selShown = true;

    // The narrowed selection keeps its own opacity; the rest becomes transparent.
    UniqueRgn lifted;
    CopyRgn(content, lifted);
    OffsetRgn(lifted, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    const Rect maskBounds = GWorldBounds(rec->maskPort.get());
    SetBlackOnWhite(rec->undoMask.get());
    SetBlackOnWhite(rec->maskPort.get());
    EraseRect(&maskBounds);
    CopyBits(Bits(rec->undoMask), Bits(rec->maskPort), &maskBounds, &maskBounds, srcCopy, lifted);

    CopyRgn(oldShape, rec->updateRgn);
    DispOffPort(window);
    DispSelection(window);
    SetUndoMode(kUndoSelect);
    UpdateMenus();
}

}  // namespace

OSErr CreateMask(GWorldPtr buffer, const Rect* srcRect, const Rect* dstRect, BitMap* mask) {
    if (!buffer || !srcRect || !dstRect || !mask || EmptyRect(dstRect)) return paramErr;
    *mask = BitMap{};
    UniqueGWorld bits;
    if (const OSErr err = SearchMask(buffer, srcRect, dstRect, MySearchProc, &bits); err != noErr) return err;
    BitMap result{};
    if (const OSErr err = NewBitMap(&result, dstRect); err != noErr) return err;
    // This layer's CalcCMask floods from the edge through the colour it is
    // given: white (clear bits) here, so what stays is the non-white pixels
    // and the white they enclose.
    CalcCMask(Bits(bits), &result, dstRect, dstRect, &rgbWhiteColor, nullptr, 0);
    *mask = result;
    return noErr;
}

void DoAutoSelect(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->maskPort) return;
    SavedGWorld saved;
    if (rec->undoMode == kUndoPaint) SelectLastStroke(window, rec);
    else ShrinkToContent(window, rec);
}

void DoSelectColorArea(WindowRef window, const RGBColor* color, Boolean transparentColor) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !color || !rec->offPort || !rec->maskPort) return;
    SavedGWorld saved;
    if (rec->isFloating) FixSelection(window);
    else SetEmptyRgn(rec->updateRgn);
    auto failed = [&] {
        DispOffPort(window);
        SetUndoMode(kUndoNone);
        SysBeep(1);
    };
    UpdatePSRgn(rec);
    if (rec->isFloating || GoOffPort(window) != noErr) return failed();

    const Rect pic = rec->picRect;
    UniqueRgn area;
    if (!transparentColor) {
        gSearchColor = *color;
        UniqueGWorld bits;
        if (SearchMask(rec->offPort.get(), &pic, &pic, SearchColorAreaProc, &bits) != noErr) return failed();
        if (BitMapToRegion(area, Bits(bits)) != noErr) {
            SetEmptyRgn(area);
            SysBeep(1);
        }
    } else {
        UniqueRgn opaque;
        if (BitMapToRegion(opaque, Bits(rec->maskPort)) != noErr) return failed();
        RectRgn(area, &pic);
        DiffRgn(area, opaque, area);
    }
    if (EmptyRgn(area)) {
        DispOffPort(window);
        SetUndoMode(kUndoNone);
        UpdateMenus();
        return;
    }
    DoSelectMain(window, std::move(area));
}
