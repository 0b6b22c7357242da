// The selection model: lifting part of the picture into a floating
// selection, moving it, exchanging it with what lies under it and dropping it
// back. While a selection floats, offPort and maskPort hold the lifted pixels
// where they were lifted from (selRect), basePort and baseMask hold the
// picture under them, and selRgn says where the pixels are shown now.
#include "tools/Selection.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/Cursors.h"

#include <utility>

namespace {

constexpr SInt16 kDropFailedItem = 2;  // item of kMemoryErrStrings

SInt16 StorageDepth(SInt16 depth) { return depth == 24 ? 32 : depth; }

// A rectangular region clips nothing that its bounds do not: copies through
// it can take the unclipped path.
RgnHandle ClipOf(RgnHandle rgn) { return IsRegionRectangular(rgn) ? nullptr : rgn; }

void HideMarquee(WindowRef window, PaintWinRec* rec) {
    if (rec->isFloating && rec->selShown) DispSelection(window);
}

void AfterPaletteChange() {
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

}  // namespace

void UpdatePSRgn(PaintWinRec* rec) {
    if (!rec) return;
    CopyRgn(rec->selRgn, rec->undoSelRgn);
    CopyRgn(rec->selDispRgn, rec->undoSelDispRgn);
}

void DoSelectMain(WindowRef window, UniqueRgn region) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !region) return;
    SavedGWorld saved;
    CopyRgn(region, rec->selRgn);
    GetRegionBounds(rec->selRgn, &rec->selRect);
    rec->selOffset = Point{0, 0};
    rec->undoSelOffset = Point{0, 0};
    MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);

    // The picture under the selection: the lifted area filled.
    const bool background = HasBackground(rec);
    SetBlackOnWhite(rec->offPort.get());
    SetBlackOnWhite(rec->basePort.get());
    CopyBits(Bits(rec->offPort), Bits(rec->basePort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    if (!background) RGBBackColor(&gBackColor.rgb);
    EraseRgn(rec->selRgn);
    RGBBackColor(&rgbWhiteColor);

    rec->selMode = 0;
    rec->selShown = true;
    rec->isFloating = true;
    CopyRgn(rec->selRgn, rec->updateRgn);

    SetBlackOnWhite(rec->maskPort.get());
    SetBlackOnWhite(rec->baseMask.get());
    CopyBits(Bits(rec->maskPort), Bits(rec->baseMask), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    if (!background && !gBackColor.isTransparent) PaintRgn(rec->selRgn);
    else EraseRgn(rec->selRgn);

    // The selection keeps its own opacity; everything else is transparent.
    SetBlackOnWhite(rec->undoMask.get());
    SetBlackOnWhite(rec->maskPort.get());
    EraseRect(&rec->picRect);
    CopyBits(Bits(rec->undoMask), Bits(rec->maskPort), &rec->selRect, &rec->selRect, srcCopy, ClipOf(rec->selRgn));

    DispOffPort(window);
    DispSelection(window);
    UpdateClipMenu();
    UpdateSelectionMenu();
    UpdateTransparentMenu();
    SetUndoMode(kUndoSelect);
}

void MoveSelection(WindowRef window, SInt16 dx, SInt16 dy, Boolean redraw) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->isFloating) return;
    if (GoOffPort(window) != noErr) {
        // The selection stays; a drag may have shown it elsewhere already.
        UniqueRgn shown;
        CopyRgn(rec->selRgn, shown);
        OffsetRgn(shown, dx, dy);
        UnionRgn(rec->selRgn, shown, rec->updateRgn);
        DispOffPort(window);
        if (rec->selShown) DispSelection(window);
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    UpdatePSRgn(rec);
    OffsetRgn(rec->selRgn, dx, dy);
    OffsetRgn(rec->selDispRgn, SInt16(dx * (1 << rec->ratio)), SInt16(dy * (1 << rec->ratio)));
    rec->undoSelOffset = Point{dy, dx};
    rec->selOffset.h = SInt16(rec->selOffset.h + dx);
    rec->selOffset.v = SInt16(rec->selOffset.v + dy);
    UnionRgn(rec->undoSelRgn, rec->selRgn, rec->updateRgn);
    if (redraw) DispOffPort(window);
    if (rec->selShown) DispSelection(window);
    SetUndoMode(kUndoMoveSelection);
    AfterPaletteChange();
}

void MoveSelectionByKey(WindowRef window, UInt8 charCode, EventModifiers modifiers) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->isFloating) return;
    const SInt16 step = (modifiers & optionKey) ? ((modifiers & shiftKey) ? 16 : 8) : 1;
    SInt16 dx = 0, dy = 0;
    switch (charCode) {
    case kLeftArrowCharCode: dx = SInt16(-step); break;
    case kRightArrowCharCode: dx = step; break;
    case kUpArrowCharCode: dy = SInt16(-step); break;
    case kDownArrowCharCode: dy = step; break;
    default: return;
    }
    HideMarquee(window, rec);
    MoveSelection(window, dx, dy, true);
}

void FixSelection(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->isFloating) return;
    SavedGWorld saved;
    HideMarquee(window, rec);
    if (GoOffPort(window) != noErr) {
        if (rec->selShown) DispSelection(window);  // the document stays as it was, marquee included
        ErrorAlertFromResource(kMemoryErrStrings, kDropFailedItem);
        SetUndoMode(kUndoNone);
        return;
    }
    const Rect offBounds = GWorldBounds(rec->offPort.get());
    if (!EqualRect(&offBounds, &rec->picRect)) {
        // A paste made the buffers larger. Both are made anew at the picture's
        // size before either is replaced, so that a failure changes nothing;
        // their pixels are all written below.
        UniqueGWorld image, mask;
        if (NewGWorld(image.out(), StorageDepth(rec->depth), &rec->picRect, nullptr, nullptr, useTempMem) != noErr ||
            NewGWorld(mask.out(), 1, &rec->picRect, nullptr, nullptr, useTempMem) != noErr) {
            if (rec->selShown) DispSelection(window);
            ErrorAlertFromResource(kMemoryErrStrings, kDropFailedItem);
            SetUndoMode(kUndoNone);
            return;
        }
        rec->offPort = std::move(image);
        rec->maskPort = std::move(mask);
    }
    // dispPort is kept composed by every change of the floating selection.
    SetBlackOnWhite(rec->dispPort.get());
    SetBlackOnWhite(rec->offPort.get());
    CopyBits(Bits(rec->dispPort), Bits(rec->offPort), &rec->picRect, &rec->picRect, srcCopy, nullptr);

    Rect selBounds;
    GetRegionBounds(rec->selRgn, &selBounds);
    SetBlackOnWhite(rec->baseMask.get());
    SetBlackOnWhite(rec->undoMask.get());
    SetBlackOnWhite(rec->maskPort.get());
    CopyBits(Bits(rec->baseMask), Bits(rec->maskPort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    CopyBits(Bits(rec->undoMask), Bits(rec->maskPort), &rec->selRect, &selBounds, srcOr, ClipOf(rec->selRgn));

    UpdatePSRgn(rec);
    CopyRgn(rec->selRgn, rec->updateRgn);
    RectRgn(rec->selRgn, &rec->picRect);
    SetEmptyRgn(rec->selDispRgn);
    rec->selRect = rec->picRect;
    rec->isFloating = false;
    DispOffPort(window);
    UpdateClipMenu();
    UpdateSelectionMenu();
    UpdateTransparentMenu();
    SetUndoMode(kUndoFixSelection);
}

void ExchangeSelectionMain(PaintWinRec* rec) {
    if (!rec || !rec->isFloating) return;
    SavedGWorld saved;
    // The exchange must be its own inverse, also when undo runs it with no
    // fresh snapshot: undoPort and undoMask take the current selection first.
    for (auto [from, to] : {std::pair{&rec->offPort, &rec->undoPort}, std::pair{&rec->maskPort, &rec->undoMask}}) {
        SetBlackOnWhite(from->get());
        SetBlackOnWhite(to->get());
        CopyBits(Bits(*from), Bits(*to), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    }
    Rect place;
    GetRegionBounds(rec->selRgn, &place);
    // The selection's shape where its pixels lie in offPort, limited to the
    // part whose place lies in the picture.
    UniqueRgn home, inPicture;
    CopyRgn(rec->selRgn, home);
    OffsetRgn(home, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    RectRgn(inPicture, &rec->picRect);
    OffsetRgn(inPicture, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    SectRgn(home, inPicture, home);

    const std::pair<UniqueGWorld*, std::pair<UniqueGWorld*, UniqueGWorld*>> pairs[] = {
        {&rec->offPort, {&rec->basePort, &rec->undoPort}},
        {&rec->maskPort, {&rec->baseMask, &rec->undoMask}},
    };
    for (const auto& [lifted, under] : pairs) {
        GWorldPtr base = under.first->get();
        GWorldPtr copy = under.second->get();
        SetBlackOnWhite(base);
        SetBlackOnWhite(lifted->get());
        CopyBits(GetPortBitMapForCopyBits(base), Bits(*lifted), &place, &rec->selRect, srcCopy, home);
        SetBlackOnWhite(copy);
        SetBlackOnWhite(base);
        CopyBits(GetPortBitMapForCopyBits(copy), GetPortBitMapForCopyBits(base), &rec->selRect, &place, srcCopy,
                 rec->selRgn);
    }
    CopyRgn(rec->selRgn, rec->updateRgn);
}

void ExchangeSelection(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (!rec->isFloating) {
        SysBeep(1);
        UpdateClipMenu();
        return;
    }
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    ExchangeSelectionMain(rec);
    DispOffPort(window);
    UpdateTransparentMenu();
    SetUndoMode(kUndoExchangeSelection);
    AfterPaletteChange();
}

void SelectWholePicture(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (rec->isFloating) {
        FixSelection(window);
        if (rec->isFloating) return;  // the drop failed, and FixSelection has said so
    }
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    UpdatePSRgn(rec);
    UniqueRgn whole;
    RectRgn(whole, &rec->picRect);
    DoSelectMain(window, std::move(whole));
}

void DoSelect(WindowRef window, Point localPt, Boolean shift, Boolean option, Boolean command) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    if (rec->isFloating && PtInRgn(localPt, rec->selDispRgn)) {
        if (option) {
            // A copy stays behind where the selection is now.
            Rect selBounds;
            GetRegionBounds(rec->selRgn, &selBounds);
            SetBlackOnWhite(rec->dispPort.get());
            SetBlackOnWhite(rec->basePort.get());
            CopyBits(Bits(rec->dispPort), Bits(rec->basePort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
            SetBlackOnWhite(rec->maskPort.get());
            SetBlackOnWhite(rec->baseMask.get());
            CopyBits(Bits(rec->maskPort), Bits(rec->baseMask), &rec->selRect, &selBounds, srcOr, rec->selRgn);
        }
        Point pt = localPt;
        ToRealPos(&pt, rec->ratio);
        Point delta{0, 0};
        if (DragSelection(window, pt, &delta, shift)) {
            if (delta.h == 0 && delta.v == 0) {
                if (rec->selShown) DispSelection(window);
            } else {
                MoveSelection(window, delta.h, delta.v, false);
            }
        } else {
            if (rec->selShown) DispSelection(window);
            UniqueRgn whole;
            RectRgn(whole, &rec->picRect);
            if (EqualRgn(rec->selRgn, whole)) FixSelection(window);
        }
        return;
    }

    UseCursor(kSelectCursor);
    Point pt = localPt;
    ToRealPos(&pt, rec->ratio);
    if (shift) FixToGrid(&pt);
    Rect r{pt.v, pt.h, pt.v, pt.h};
    TrackMarquee(window, &r, shift);
    if (rec->isFloating) FixSelection(window);
    if (EmptyRect(&r)) return;
    UpdatePSRgn(rec);
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    UniqueRgn region;
    RectRgn(region, &r);
    if (command) {
        UniqueBitMap mask;
        UniqueRgn content;
        OSErr err = CreateMask(rec->offPort.get(), &r, &r, mask.out());
        if (err == noErr) err = BitMapToRegion(content, mask.get());
        if (err == noErr) CopyRgn(content, region);
        else SysBeep(1);
    }
    if (EmptyRgn(region)) {
        // Only white inside: nothing is selected, and the snapshot just
        // taken leaves no earlier edit to undo.
        SetEmptyRgn(rec->selDispRgn);
        rec->isFloating = false;
        rec->selRect = rec->picRect;
        RectRgn(rec->selRgn, &rec->picRect);
        RectRgn(rec->updateRgn, &r);
        DispOffPort(window);
        SetUndoMode(kUndoNone);
        return;
    }
    DoSelectMain(window, std::move(region));
}
