// The Edit menu's Cut, Copy, Paste, Clear, Select All and Duplicate on the
// front document window, by its kind: the floating selection of a paint
// window, the selected icons of an icon list, the selected member or the
// name field of an icon family.
#include "io/Clipboard.h"

#include "app/MenuBar.h"
#include "app/WindowKinds.h"
#include "icons/FamilyCommands.h"
#include "icons/IconList.h"
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

namespace {

enum : SInt16 { kCutItem = 3, kCopyItem = 4, kPasteItem = 5, kClearItem = 6, kSelectAllItem = 7, kDuplicateItem = 9 };
constexpr Point kDuplicateOffset{3, 3};  // (v, h)

void RefreshUsedColours() {
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

void HideMarqueeOf(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (rec && rec->isFloating && rec->selShown) DispSelection(window);
}

// The floating selection of the front document window when it is a paint window.
PaintWinRec* FloatingRec(WindowRef front) {
    PaintWinRec* rec = GetPaintWinRec(front);
    return rec && rec->isFloating ? rec : nullptr;
}

void DoIconListEditItem(WindowRef front, SInt16 item) {
    OSErr err = noErr;
    switch (item) {
    case kCutItem:
        err = CopySelectedIcon(front);
        if (err == noErr) err = DeleteSelectedIcon(front);
        UpdatePasteMenu();
        break;
    case kCopyItem: err = CopySelectedIcon(front); break;
    case kPasteItem: err = PasteIcon(front); break;
    case kClearItem: err = DeleteSelectedIcon(front); break;
    case kSelectAllItem: SelectAllIcons(front); break;
    case kDuplicateItem: err = DuplicateSelectedIcon(front); break;
    default: break;
    }
    if (err != noErr && err != userCanceledErr) SysBeep(1);
}

Boolean IconListEditItemActs(WindowRef front, SInt16 item) {
    const IconFileRec* list = GetIconFileRec(front);
    if (!list) return false;
    const SInt16 selected = IsMultiIconSelected(*list);
    switch (item) {
    case kCutItem: case kCopyItem: case kDuplicateItem: return selected == 1;
    case kClearItem: return selected > 0;
    case kSelectAllItem: return !list->entries.empty();
    default: return true;
    }
}

// Clear: the floating selection taken away, the buffers back to the image's
// size and the picture under it shown again.
void ClearSelection(PaintWinRec* rec) {
    const Rect bounds = GWorldBounds(rec->offPort.get());
    if (!EqualRect(&bounds, &rec->picRect)) {
        // Shrinking only gives memory back; a buffer that cannot be remade
        // keeps its size, which every copy over picRect still fits.
        for (auto [buffer, depth] : {std::pair{&rec->offPort, SInt16(rec->depth == 24 ? 32 : rec->depth)},
                                     std::pair{&rec->maskPort, SInt16(1)}}) {
            GWorldPtr world = buffer->release();
            GWorldPtr old = world;
            if (UpdateGWorld(&world, depth, &rec->picRect, nullptr, nullptr, clipPix) & gwFlagErr || !world)
                world = old;
            buffer->reset(world);
        }
    }
    SetBlackOnWhite(rec->basePort.get());
    SetBlackOnWhite(rec->offPort.get());
    CopyBits(Bits(rec->basePort), Bits(rec->offPort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    UpdatePSRgn(rec);
    RectRgn(rec->selRgn, &rec->picRect);
    SetEmptyRgn(rec->selDispRgn);
    rec->selRect = rec->picRect;
    rec->isFloating = false;
    SetBlackOnWhite(rec->baseMask.get());
    SetBlackOnWhite(rec->maskPort.get());
    CopyBits(Bits(rec->baseMask), Bits(rec->maskPort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    UpdateClipMenu();
    UpdateSelectionMenu();
}

// Option-Delete: the selection filled with the current colour, opaque or,
// for a transparent colour, transparent.
void FillSelection(PaintWinRec* rec) {
    SetBlackOnWhite(rec->offPort.get());
    RGBForeColor(&gCurrentColor.rgb);
    PaintRect(&rec->selRect);
    RGBForeColor(&rgbBlackColor);
    SetBlackOnWhite(rec->maskPort.get());
    if (!gCurrentColor.isTransparent) {
        UniqueRgn shape;
        CopyRgn(rec->selRgn, shape);
        Rect shapeBounds;
        GetRegionBounds(shape, &shapeBounds);
        MapRgn(shape, &shapeBounds, &rec->selRect);
        PaintRgn(shape);
    } else {
        EraseRect(&rec->selRect);
    }
}

void DeletePicture(WindowRef window, Boolean fill) {
    PaintWinRec* rec = FloatingRec(window);
    if (!rec) return;
    HideMarqueeOf(window);
    if (GoOffPort(window) != noErr) {
        if (rec->selShown) DispSelection(window);
        SysBeep(1);
        return;
    }
    SavedGWorld saved;
    if (fill) FillSelection(rec);
    else ClearSelection(rec);
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
    if (fill && rec->selShown) DispSelection(window);
    SetUndoMode(fill ? kUndoTone : kUndoDelete);
    RefreshUsedColours();
}

void DuplicatePicture(WindowRef window) {
    PaintWinRec* rec = FloatingRec(window);
    if (!rec) {
        SysBeep(1);
        return;
    }
    HideMarqueeOf(window);
    if (GoOffPortBase(window) != noErr) {
        if (rec->selShown) DispSelection(window);
        SysBeep(1);
        return;
    }
    UpdatePSRgn(rec);
    {
        SavedGWorld saved;
        SetBlackOnWhite(rec->dispPort.get());
        SetBlackOnWhite(rec->basePort.get());
        CopyBits(Bits(rec->dispPort), Bits(rec->basePort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
        Rect selBounds;
        GetRegionBounds(rec->selRgn, &selBounds);
        SetBlackOnWhite(rec->maskPort.get());
        SetBlackOnWhite(rec->baseMask.get());
        CopyBits(Bits(rec->maskPort), Bits(rec->baseMask), &rec->selRect, &selBounds, srcOr, rec->selRgn);
    }
    OffsetRgn(rec->selRgn, kDuplicateOffset.h, kDuplicateOffset.v);
    OffsetRgn(rec->selDispRgn, SInt16(kDuplicateOffset.h << rec->ratio), SInt16(kDuplicateOffset.v << rec->ratio));
    rec->undoSelOffset = kDuplicateOffset;
    rec->selOffset.h = SInt16(rec->selOffset.h + kDuplicateOffset.h);
    rec->selOffset.v = SInt16(rec->selOffset.v + kDuplicateOffset.v);
    UnionRgn(rec->selRgn, rec->undoSelRgn, rec->updateRgn);
    rec->selShown = true;
    DispOffPort(window);
    DispSelection(window);
    UpdateSelectionMenu();
    SetUndoMode(kUndoDuplicate);
    RefreshUsedColours();
}

void CutPicture(WindowRef window) {
    PaintWinRec* rec = FloatingRec(window);
    if (!rec || CopySelection(window) != noErr) {
        if (!rec) SysBeep(1);  // CopySelection has beeped for its own failure
        UpdateClipMenu();
        return;
    }
    DeletePicture(window, false);
    if (rec->isFloating) return;  // the selection could not be taken away
    SetUndoMode(kUndoCut);
    UpdatePasteMenu();
    UpdateNewMenu();
    rec->isDirty = true;
}

}  // namespace

void DoCut() {
    WindowRef front = FrontDocumentWindow();
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind: CutPicture(front); break;
    case kIconListWindowKind:
        if (IconListEditItemActs(front, kCutItem)) DoIconListEditItem(front, kCutItem);
        else SysBeep(1);
        break;
    case kFamilyWindowKind: DoFamilyEditItem(front, kCutItem); break;
    default: break;
    }
}

void DoCopy() {
    WindowRef front = FrontDocumentWindow();
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind:
        if (FloatingRec(front)) (void)CopySelection(front);  // which beeps when it fails
        else SysBeep(1);
        UpdatePasteMenu();
        UpdateNewMenu();
        UpdateClipMenu();
        break;
    case kIconListWindowKind:
        if (IconListEditItemActs(front, kCopyItem)) DoIconListEditItem(front, kCopyItem);
        else SysBeep(1);
        break;
    case kFamilyWindowKind: DoFamilyEditItem(front, kCopyItem); break;
    default: SysBeep(1); break;
    }
}

void DoPaste() {
    WindowRef front = FrontDocumentWindow();
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind: PastePicture(front); break;
    case kIconListWindowKind: DoIconListEditItem(front, kPasteItem); break;
    case kFamilyWindowKind: DoFamilyEditItem(front, kPasteItem); break;
    default: break;
    }
}

void DoDelete(Boolean fill) {
    WindowRef front = FrontDocumentWindow();
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind: DeletePicture(front, fill); break;
    case kIconListWindowKind:
        if (IconListEditItemActs(front, kClearItem)) DoIconListEditItem(front, kClearItem);
        break;
    case kFamilyWindowKind: DoFamilyEditItem(front, kClearItem); break;
    default: break;
    }
}

void DoSelectAll() {
    WindowRef front = FrontDocumentWindow();
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind:
        ToolSelect(kSelectionTool);
        SelectWholePicture(front);
        break;
    case kIconListWindowKind: DoIconListEditItem(front, kSelectAllItem); break;
    default: break;
    }
}

void DoDuplicate() {
    WindowRef front = FrontDocumentWindow();
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind: DuplicatePicture(front); break;
    case kIconListWindowKind: DoIconListEditItem(front, kDuplicateItem); break;
    default: SysBeep(1); break;
    }
}

Boolean EditItemActs(WindowRef front, SInt16 item) {
    switch (GetExtWindowKind(front)) {
    case kPaintWindowKind:
        if (item == kPasteItem) return ScrapHasPict();
        return item == kSelectAllItem || FloatingRec(front);
    case kIconListWindowKind: return IconListEditItemActs(front, item);
    case kFamilyWindowKind: return item != kDuplicateItem && FamilyEditItemEnabled(front, item);
    default: return false;
    }
}

void DoEditItem(SInt16 item) {
    switch (item) {
    case kCutItem: DoCut(); break;
    case kCopyItem: DoCopy(); break;
    case kPasteItem: DoPaste(); break;
    case kClearItem: DoDelete(false); break;
    case kSelectAllItem: DoSelectAll(); break;
    case kDuplicateItem: DoDuplicate(); break;
    default: break;
    }
}

void UpdateScrapMenus() {
    UpdatePasteMenu();
    UpdateNewMenu();
}
