// One step of undo per paint document. Before an edit the image and mask are
// copied into undoPort and undoMask; undoing exchanges the buffer references
// (never their pixels), so undoing twice gives back exactly what the edit made.
#include "paint/Undo.h"

#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "palettes/ColorPalettes.h"
#include "palettes/DotMode.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <cstdlib>
#include <utility>

namespace {

constexpr int kUsedUndo = 1;  // gUsedCount slot of the Undo command

// Remakes `g` over `bounds` at `depth`, its pixels carried over as `flags` ask.
[[nodiscard]] OSErr Remake(UniqueGWorld* g, SInt16 depth, const Rect* bounds, GWorldFlags flags) {
    GWorldPtr world = g->release();
    const GWorldFlags result = world ? UpdateGWorld(&world, depth, bounds, nullptr, nullptr, flags)
                                     : (NewGWorld(&world, depth, bounds, nullptr, nullptr, useTempMem) == noErr
                                            ? GWorldFlags(0)
                                            : GWorldFlags(gwFlagErr));
    g->reset(world);
    return (result & gwFlagErr) || !world ? OSErr(memFullErr) : OSErr(noErr);
}

void CopyWhole(GWorldPtr from, GWorldPtr to, const Rect& r) {
    SetBlackOnWhite(from);
    SetBlackOnWhite(to);
    CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &r, &r, srcCopy, nullptr);
}

SInt16 StorageDepth(SInt16 depth) { return depth == 24 ? 32 : depth; }

void ExchangeImageAndMask(PaintWinRec* rec) {
    ExchangeOffPort(rec);
    ExchangeMask(rec);
}

// Undo of the edits that change the selection along with the pixels.
void ExchangeSelectionEdit(PaintWinRec* rec, SInt16 m) {
    if (m == kUndoFixSelection && gToolPrefs.keepFloatingSelection) ToolSelect(kSelectionTool);
    ExchangeImageAndMask(rec);
    ExchangeRgn(rec->selRgn, rec->undoSelRgn);
    ExchangeRgn(rec->selDispRgn, rec->undoSelDispRgn);
    rec->isFloating = !EmptyRgn(rec->selDispRgn);
    if (m == kUndoRotate) {
        std::swap(rec->selRect, rec->undoSelRect);
    } else if (!rec->isFloating) {
        // Nothing floats: every tool acts on the whole picture. selOffset is
        // kept for the redo that lifts the selection again.
        rec->selRect = rec->picRect;
    } else {
        GetRegionBounds(rec->selRgn, &rec->selRect);
        OffsetRect(&rec->selRect, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    }
    UnionRgn(rec->selRgn, rec->undoSelRgn, rec->updateRgn);
}

void ExchangeMove(PaintWinRec* rec) {
    ExchangeRgn(rec->selRgn, rec->undoSelRgn);
    ExchangeRgn(rec->selDispRgn, rec->undoSelDispRgn);
    UnionRgn(rec->selRgn, rec->undoSelRgn, rec->updateRgn);
    rec->undoSelOffset.h = SInt16(-rec->undoSelOffset.h);
    rec->undoSelOffset.v = SInt16(-rec->undoSelOffset.v);
    rec->selOffset.h = SInt16(rec->selOffset.h + rec->undoSelOffset.h);
    rec->selOffset.v = SInt16(rec->selOffset.v + rec->undoSelOffset.v);
}

// Undo of duplicating: the picture under the selection, which the stamped
// copy changed, is exchanged with the one kept before the stamp
// (GoOffPortBase); then the move is exchanged. False when the kept picture
// is no longer there to exchange with.
bool ExchangeDuplicate(PaintWinRec* rec) {
    if (!rec->basePort || !rec->undoPort || !rec->baseMask || !rec->undoMask) return false;
    const Rect base = GWorldBounds(rec->basePort.get()), kept = GWorldBounds(rec->undoPort.get());
    const Rect baseMask = GWorldBounds(rec->baseMask.get()), keptMask = GWorldBounds(rec->undoMask.get());
    if (!EqualRect(&base, &kept) || !EqualRect(&baseMask, &keptMask)) return false;
    std::swap(rec->basePort, rec->undoPort);
    std::swap(rec->baseMask, rec->undoMask);
    ExchangeMove(rec);
    return true;
}

void ExchangeImageSize(WindowRef window, PaintWinRec* rec) {
    const Rect otherSize = GWorldBounds(rec->undoPort.get());
    if (Remake(&rec->dispPort, StorageDepth(rec->depth), &otherSize, 0) != noErr) {
        SysBeep(1);  // no display buffer of the other size: the document stays as it is
        return;
    }
    ExchangeOffPort(rec);
    rec->picRect = otherSize;
    RectRgn(rec->selRgn, &rec->picRect);
    rec->selRect = rec->picRect;
    ExchangeMask(rec);
    UpdatePaintWindow(window);
    FitPreviewWindow(window);
    RectRgn(rec->updateRgn, &rec->picRect);
}

void ExchangeReplaceColor(PaintWinRec* rec) {
    const RGBColor pen = gCurrentColor.rgb;
    const Boolean penTransparent = gCurrentColor.isTransparent;
    ChangeColor(&rec->replaceColor, rec->hasReplaceColor);
    rec->replaceColor = pen;
    rec->hasReplaceColor = penTransparent;
    ExchangeImageAndMask(rec);
}

// A new buffer holding a copy of `from`; none when memory runs out.
UniqueGWorld CopyOf(GWorldPtr from, SInt16 depth, const Rect& r) {
    UniqueGWorld g;
    if (NewGWorld(g.out(), depth, &r, nullptr, nullptr, useTempMem) != noErr || !g) return UniqueGWorld();
    CopyWhole(from, g.get(), r);
    return g;
}

// `to` becomes a copy of `from` (of the same bounds), through `clip` when given.
void CopyThrough(GWorldPtr from, GWorldPtr to, const Rect& r, RgnHandle clip) {
    SetBlackOnWhite(from);
    SetBlackOnWhite(to);
    CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &r, &r, srcCopy, clip);
}

void EraseWhole(GWorldPtr g, const Rect& r) {
    SetBlackOnWhite(g);
    EraseRect(&r);
}

// Undo of entering background mode (a new background layer) and of leaving
// it when no foreground existed (a new foreground). False when a buffer it
// needs is missing or cannot be made: the document is then left as it was.
bool ExchangeNewLayer(PaintWinRec* rec, SInt16 m, bool undoing) {
    const bool startInBack = gOtherPrefs[kOtherStartInBackMode] != 0;
    const SInt16 depth = StorageDepth(rec->depth);
    const Rect pic = rec->picRect;
    if (m == kUndoEnterBackMode && undoing) {
        if (!rec->foreHoldPort || !rec->foreHoldMask) return false;
        EraseWhole(rec->offPort.get(), pic);
        CopyThrough(rec->foreHoldPort.get(), rec->offPort.get(), pic, rec->selRgn);
        CopyThrough(rec->foreHoldPort.get(), rec->basePort.get(), pic, nullptr);
        EraseRgn(rec->selRgn);
        EraseWhole(rec->maskPort.get(), pic);
        CopyThrough(rec->foreHoldMask.get(), rec->maskPort.get(), pic, rec->selRgn);
        CopyThrough(rec->foreHoldMask.get(), rec->baseMask.get(), pic, nullptr);
        EraseRgn(rec->selRgn);
        rec->foreHoldPort.reset();
        rec->foreHoldMask.reset();
        rec->isBackMode = startInBack;
    } else if (m == kUndoEnterBackMode) {
        UniqueGWorld hold = CopyOf(rec->dispPort.get(), depth, pic);
        UniqueGWorld holdMask = CopyOf(rec->maskPort.get(), 1, pic);
        if (!hold || !holdMask) return false;
        SetBlackOnWhite(rec->baseMask.get());
        SetBlackOnWhite(holdMask.get());
        CopyBits(GetPortBitMapForCopyBits(rec->baseMask.get()), GetPortBitMapForCopyBits(holdMask.get()), &pic, &pic,
                 srcOr, nullptr);
        rec->foreHoldPort = std::move(hold);
        rec->foreHoldMask = std::move(holdMask);
        EraseOffPort(rec);
        // The new background is opaque, as the switch made it.
        SetBlackOnWhite(rec->maskPort.get());
        PaintRgn(rec->selRgn);
        SetBlackOnWhite(rec->baseMask.get());
        PaintRect(&pic);
        if (gBackColor.isTransparent) EraseRgn(rec->selRgn);
        rec->isBackMode = true;
    } else if (!undoing) {  // redo of a new foreground
        UniqueGWorld back = CopyOf(rec->dispPort.get(), depth, pic);
        if (!back) return false;
        rec->backPort = std::move(back);
        EraseOffPort(rec);
        rec->isBackMode = false;
    } else {
        if (!rec->backPort) return false;
        EraseWhole(rec->offPort.get(), pic);
        CopyThrough(rec->backPort.get(), rec->offPort.get(), pic, rec->selRgn);
        CopyThrough(rec->backPort.get(), rec->basePort.get(), pic, nullptr);
        RGBBackColor(&gBackColor.rgb);
        EraseRgn(rec->selRgn);
        RGBBackColor(&rgbWhiteColor);
        SetBlackOnWhite(rec->maskPort.get());
        PaintRgn(rec->selRgn);
        SetBlackOnWhite(rec->baseMask.get());
        PaintRect(&pic);
        if (gBackColor.isTransparent) EraseRgn(rec->selRgn);
        rec->backPort.reset();
        rec->isBackMode = startInBack;
    }
    return true;
}

// Undo of merging and of deleting either layer. The layer that comes back
// is made before anything is exchanged: false, and the document as it was,
// when it cannot be.
bool ExchangeBackground(PaintWinRec* rec, SInt16 m, bool undoing) {
    const bool startInBack = gOtherPrefs[kOtherStartInBackMode] != 0;
    UniqueGWorld back;
    if (undoing) {
        GWorldPtr from = m == kUndoDeleteForeground ? rec->undoPort.get() : rec->basePort.get();
        back = CopyOf(from, StorageDepth(rec->depth), rec->picRect);
        if (!back) return false;
    }
    if (m == kUndoDeleteForeground) {
        ExchangeMask(rec);
        if (undoing) {
            rec->backPort = std::move(back);
            CopyWhole(rec->basePort.get(), rec->offPort.get(), rec->picRect);
            rec->isBackMode = false;
            rec->showBack = true;
        } else {
            if (rec->backPort) CopyWhole(rec->backPort.get(), rec->offPort.get(), rec->picRect);
            rec->backPort.reset();
            rec->isBackMode = startInBack;
        }
    } else {  // merging or deleting the background
        ExchangeImageAndMask(rec);
        if (undoing) {
            rec->backPort = std::move(back);
            rec->isBackMode = false;
            rec->showBack = true;
        } else {
            rec->backPort.reset();
            rec->isBackMode = startInBack;
        }
    }
    RectRgn(rec->updateRgn, &rec->picRect);
    return true;
}

void DisableUndoItem() {
    if (MenuRef edit = GetMenuHandle(kEditMenuID)) DisableMenuItem(edit, 1);
}

}  // namespace

void ExchangeOffPort(PaintWinRec* rec) { std::swap(rec->offPort, rec->undoPort); }

void ExchangeMask(PaintWinRec* rec) { std::swap(rec->maskPort, rec->undoMask); }

void ExchangeRgn(RgnHandle a, RgnHandle b) {
    UniqueRgn temp;
    CopyRgn(a, temp);
    CopyRgn(b, a);
    CopyRgn(temp, b);
}

namespace {

// The first snapshot after a change of size brings the layers that follow
// the picture's size to its bounds.
[[nodiscard]] OSErr FollowSizeChange(PaintWinRec* rec, const Rect& bounds) {
    if (rec->undoMode != kUndoChangeSize) return noErr;
    if (Remake(&rec->basePort, StorageDepth(rec->depth), &bounds, 0) == noErr) {
        SetBlackOnWhite(rec->basePort.get());
        EraseRect(&bounds);
    }
    if (Remake(&rec->baseMask, 1, &bounds, 0) == noErr) {
        SetBlackOnWhite(rec->baseMask.get());
        EraseRect(&bounds);
    }
    if (rec->backPort) {
        GWorldFlags flags = rec->sizeStretch ? GWorldFlags(stretchPix) : GWorldFlags(0);
        if (rec->sizeStretch && rec->sizeDither) flags |= ditherPix;
        if (const OSErr err = Remake(&rec->backPort, StorageDepth(rec->depth), &bounds, flags); err != noErr)
            return err;
    }
    return noErr;
}

// Makes `g` anew over `bounds` unless it already covers exactly them.
[[nodiscard]] OSErr MatchBounds(UniqueGWorld* g, SInt16 depth, const Rect& bounds) {
    const Rect have = GWorldBounds(g->get());
    if (*g && EqualRect(&have, &bounds)) return noErr;
    return Remake(g, depth, &bounds, 0);
}

}  // namespace

OSErr GoOffPort(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->maskPort) return paramErr;
    SavedGWorld saved;
    const Rect bounds = GWorldBounds(rec->offPort.get());
    const Rect undoBounds = GWorldBounds(rec->undoPort.get());
    if (!rec->undoPort || !EqualRect(&bounds, &undoBounds) || !rec->undoMask) {
        // The image changed size since the last snapshot.
        if (const OSErr err = Remake(&rec->undoMask, 1, &bounds, 0); err != noErr) return err;
        if (const OSErr err = Remake(&rec->undoPort, StorageDepth(rec->depth), &bounds, 0); err != noErr) return err;
        if (const OSErr err = FollowSizeChange(rec, bounds); err != noErr) return err;
    }
    CopyWhole(rec->offPort.get(), rec->undoPort.get(), bounds);
    CopyWhole(rec->maskPort.get(), rec->undoMask.get(), bounds);
    return noErr;
}

OSErr GoOffPortBase(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->basePort || !rec->baseMask) return paramErr;
    SavedGWorld saved;
    const Rect bounds = GWorldBounds(rec->basePort.get());
    const Rect maskBounds = GWorldBounds(rec->baseMask.get());
    // Of the same sizes, so that undo can exchange the references.
    if (const OSErr err = MatchBounds(&rec->undoPort, StorageDepth(rec->depth), bounds); err != noErr) return err;
    if (const OSErr err = MatchBounds(&rec->undoMask, 1, maskBounds); err != noErr) return err;
    CopyWhole(rec->basePort.get(), rec->undoPort.get(), bounds);
    CopyWhole(rec->baseMask.get(), rec->undoMask.get(), maskBounds);
    return noErr;
}

OSErr MoveOffPortToUndo(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->maskPort) return paramErr;
    SavedGWorld saved;
    const Rect bounds = GWorldBounds(rec->offPort.get());
    const Rect undoBounds = GWorldBounds(rec->undoPort.get());
    if (!rec->undoPort || !EqualRect(&bounds, &undoBounds) || !rec->undoMask) {
        if (const OSErr err = FollowSizeChange(rec, bounds); err != noErr) return err;
    }
    rec->undoPort = std::move(rec->offPort);
    rec->undoMask = std::move(rec->maskPort);
    return noErr;
}

void SetUndoMode(SInt16 mode) {
    if (mode < -31 || mode > 31) return;
    if (PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow())) {
        rec->undoMode = mode;
        if (mode != kUndoNone && mode != kUndoSelect && mode != -kUndoSelect) {
            rec->isDirty = true;
            UpdateSaveMenu();
        }
    }
    UpdateUndoMenu();
}

void DoUndo() {
    WindowRef window = FrontDocumentWindow();
    PaintWinRec* rec = GetPaintWinRec(window);
    // Icon list and icon family windows keep their own undo.
    if (!rec) return;
    ResetRuler();
    const SInt16 mode = rec->undoMode;
    const SInt16 m = SInt16(std::abs(mode));
    const bool undoing = mode > 0;
    SavedGWorld saved;
    switch (m) {
    case kUndoNone: DisableUndoItem(); return;
    case kUndoColorMode:
        if (gOtherPrefs[kOtherPaletteCheckFollowsMode]) {
            // The palette check follows the colour mode back to its previous choice.
            const SInt16 current = gPaletteCheck;
            HandlePaletteChoice(SInt16(gPrevPaletteCheck + 1));
            gPrevPaletteCheck = current;
        }
        ExchangeImageAndMask(rec);
        break;
    case kUndoPaint:
    case kUndoTone: ExchangeImageAndMask(rec); break;
    case kUndoDotPaint:
        ResetDot(window);
        std::swap(rec->dotPos, rec->undoDotPos);
        std::swap(rec->inputCommand, rec->undoInputCommand);
        ExchangeImageAndMask(rec);
        UpdateDotModePalette(nullptr);
        break;
    case kUndoSelect:
    case kUndoFixSelection:
    case kUndoCut:
    case kUndoPaste:
    case kUndoDelete:
    case kUndoRotate:
    case kUndoFlip:
    case kUndoTypeString: ExchangeSelectionEdit(rec, m); break;
    case kUndoMoveSelection: ExchangeMove(rec); break;
    case kUndoDuplicate:
        if (!ExchangeDuplicate(rec)) {
            SysBeep(1);  // the step stays as it is
            return;
        }
        break;
    case kUndoExchangeSelection:
        // The exchange is its own inverse.
        ExchangeSelectionMain(rec);
        break;
    case kUndoChangeSize: ExchangeImageSize(window, rec); break;
    case kUndoReplaceColor: ExchangeReplaceColor(rec); break;
    case kUndoChangeMask:
        ExchangeMask(rec);
        CopyRgn(rec->selRgn, rec->updateRgn);
        break;
    case kUndoUnionBackground:
    case kUndoDeleteForeground:
    case kUndoDeleteBackground:
        if (!ExchangeBackground(rec, m, undoing)) {
            SysBeep(1);  // no memory for the layer: the step stays as it is
            return;
        }
        break;
    case kUndoForeTrans:
        std::swap(rec->foreTrans, rec->undoForeTrans);
        RectRgn(rec->updateRgn, &rec->picRect);
        break;
    case kUndoEnterBackMode:
    case kUndoLeaveBackMode:
        if (!ExchangeNewLayer(rec, m, undoing)) {
            SysBeep(1);
            return;
        }
        RectRgn(rec->updateRgn, &rec->picRect);
        break;
    default: return;
    }
    if (m >= kUndoEnterBackMode && m <= kUndoDeleteBackground) DrawBackInfo(window);
    if (gPaletteCheck == kPaletteCheckDocumentColors && m != kUndoForeTrans) UpdatePaletteCheck();
    DispOffPort(window);
    UpdateMenus();
    ++gUsedCount[kUsedUndo];
    SetUndoMode(m == kUndoExchangeSelection ? mode : SInt16(-mode));
}
