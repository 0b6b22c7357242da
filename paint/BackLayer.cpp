// The background layer: switching the edited layer, merging, deleting either
// layer, showing the background, the foreground's level, the indicator in
// the window's corner with its pop-up, and the Edit items that serve them.
// The composed picture itself is MakePreviewImage's (PaintGrid.cpp).
#include "paint/BackLayer.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/MenuCommands.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintViewInternal.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Menus.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <utility>

namespace {

// Pop-up items (menu 160).
enum : MenuItemIndex { kPopSwitch = 1, kPopMerge = 2, kPopDeleteFore = 3, kPopDeleteBack = 4, kPopShowHide = 7 };
// Edit menu items.
enum : MenuItemIndex { kEditSwitchItem = 14, kEditShowHideItem = 20 };
// Strings of list 148.
enum : SInt16 { kHideString = 1, kShowString = 2, kNewForeString = 3, kNewBackString = 4, kSwitchString = 5 };

bool StartInBack() { return gOtherPrefs[kOtherStartInBackMode] != 0; }

SInt16 StorageDepth(SInt16 depth) { return depth == 24 ? 32 : depth; }

[[nodiscard]] OSErr MakeBuffer(UniqueGWorld* out, SInt16 depth, const Rect& bounds) {
    UniqueGWorld g;
    const OSErr err = NewGWorld(g.out(), StorageDepth(depth), &bounds, nullptr, nullptr, useTempMem);
    if (err != noErr) return err;
    if (!g) return memFullErr;
    *out = std::move(g);
    return noErr;
}

// `to` takes `from` over r, through `clip` when given.
void Copy(GWorldPtr from, GWorldPtr to, const Rect& r, SInt16 mode = srcCopy, RgnHandle clip = nullptr) {
    SetBlackOnWhite(from);
    SetBlackOnWhite(to);
    CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &r, &r, mode, clip);
}

// Undo mode of a layer operation on `window`, which need not be in front.
void RecordUndo(WindowRef window, SInt16 mode) {
    if (window == FrontDocumentWindow()) {
        SetUndoMode(mode);
        return;
    }
    if (PaintWinRec* rec = GetPaintWinRec(window)) {
        rec->undoMode = mode;
        if (mode != kUndoNone) rec->isDirty = true;
    }
}

// The end every layer operation shares: the whole picture recomposed, the
// menus and indicator brought up to date, the undo step recorded.
void FinishLayerEdit(WindowRef window, PaintWinRec* rec, SInt16 undoMode) {
    RectRgn(rec->updateRgn, &rec->picRect);
    DispOffPort(window);
    UpdateMenus();
    UpdateBackInfo(window);
    RecordUndo(window, undoMode);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

// A lifted selection is re-based where it now lies: its pixels and mask,
// taken from the snapshot, move to the place it is shown at, so that the
// other layer's pixels can be lifted in the same region.
void RebaseSelection(PaintWinRec* rec) {
    const Rect pic = rec->picRect;
    Rect shownAt;
    GetRegionBounds(rec->selRgn, &shownAt);
    UniqueRgn picRgn;
    RectRgn(picRgn, &pic);
    SectRgn(rec->selRgn, picRgn, rec->selRgn);
    if (EmptyRgn(rec->selRgn)) {
        // Moved wholly off the picture: nothing of it shows, so nothing stays lifted.
        Copy(rec->basePort.get(), rec->offPort.get(), pic);
        Copy(rec->baseMask.get(), rec->maskPort.get(), pic);
        rec->isFloating = false;
        RectRgn(rec->selRgn, &pic);
        SetEmptyRgn(rec->selDispRgn);
        rec->selRect = pic;
        rec->selOffset = Point{0, 0};
        return;
    }
    MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);
    // Only what lies inside the region is ever shown of the lifted pixels.
    auto rebase = [&](const UniqueGWorld& snapshot, const UniqueGWorld& target) {
        SetBlackOnWhite(snapshot.get());
        SetBlackOnWhite(target.get());
        EraseRect(&pic);
        CopyBits(Bits(snapshot), Bits(target), &rec->selRect, &shownAt, srcCopy, rec->selRgn);
    };
    rebase(rec->undoPort, rec->offPort);
    rebase(rec->undoMask, rec->maskPort);
    GetRegionBounds(rec->selRgn, &rec->selRect);
    rec->selOffset = Point{0, 0};
}

// Steps 3 and 4 of a switch, with the buffers already made: `park` takes the
// layer that was edited, `emptyMask` (leaving a single background only)
// stands for the foreground mask that does not exist yet.
SInt16 EnterBackground(PaintWinRec* rec, UniqueGWorld park, UniqueGWorld parkMask) {
    const Rect pic = rec->picRect;
    Copy(rec->dispPort.get(), park.get(), pic);
    Copy(rec->maskPort.get(), parkMask.get(), pic);
    // The base mask is scratch unless something floats.
    if (rec->isFloating) Copy(rec->baseMask.get(), parkMask.get(), pic, srcOr);
    SInt16 undoMode = kUndoNone;
    if (!rec->backPort) {
        EraseOffPort(rec);
        rec->foreTrans = 0;
        undoMode = kUndoEnterBackMode;
    } else {
        Copy(rec->backPort.get(), rec->offPort.get(), pic);
        Copy(rec->backPort.get(), rec->basePort.get(), pic);
        RGBBackColor(&gBackColor.rgb);
        EraseRgn(rec->selRgn);
        RGBBackColor(&rgbWhiteColor);
        rec->backPort.reset();
    }
    // The background is opaque wherever it has been made.
    SetBlackOnWhite(rec->maskPort.get());
    EraseRect(&pic);
    PaintRgn(rec->selRgn);
    SetBlackOnWhite(rec->baseMask.get());
    PaintRect(&pic);
    if (gBackColor.isTransparent) EraseRgn(rec->selRgn);
    rec->foreHoldPort = std::move(park);
    rec->foreHoldMask = std::move(parkMask);
    return undoMode;
}

SInt16 LeaveBackground(PaintWinRec* rec, UniqueGWorld park, UniqueGWorld emptyMask) {
    const Rect pic = rec->picRect;
    Copy(rec->dispPort.get(), park.get(), pic);
    if (emptyMask) {
        SetBlackOnWhite(emptyMask.get());
        EraseRect(&pic);
    }
    UniqueGWorld foreMask = rec->foreHoldMask ? std::move(rec->foreHoldMask) : std::move(emptyMask);
    SInt16 undoMode = kUndoNone;
    if (!rec->foreHoldPort) {
        EraseOffPort(rec);
        rec->foreTrans = 0;
        undoMode = kUndoLeaveBackMode;
    } else {
        Copy(rec->foreHoldPort.get(), rec->offPort.get(), pic);
        Copy(rec->foreHoldPort.get(), rec->basePort.get(), pic);
        EraseRgn(rec->selRgn);
        rec->foreHoldPort.reset();
    }
    rec->showBack = true;
    SetBlackOnWhite(rec->maskPort.get());
    EraseRect(&pic);
    Copy(foreMask.get(), rec->maskPort.get(), pic, srcCopy, rec->selRgn);
    Copy(foreMask.get(), rec->baseMask.get(), pic);
    EraseRgn(rec->selRgn);
    rec->backPort = std::move(park);
    return undoMode;
}

// Before merging or deleting: nothing lifted, and the foreground edited (or,
// for deleting the foreground, the background).
[[nodiscard]] OSErr PrepareLayers(WindowRef window, PaintWinRec* rec, bool backgroundEdited) {
    if (rec->isFloating) {
        FixSelection(window);
        if (rec->isFloating) return userCanceledErr;  // it could not be dropped, and said so
    }
    if (bool(rec->isBackMode) != backgroundEdited) {
        if (const OSErr err = GoBackgroundMode(window); err != noErr) return err;
    }
    // A record whose flags and buffers disagree is left alone.
    if (backgroundEdited ? !rec->foreHoldPort || !rec->foreHoldMask : !rec->backPort) return paramErr;
    if (const OSErr err = GoOffPort(window); err != noErr) {
        RecordUndo(window, kUndoNone);
        return err;
    }
    return noErr;
}

void InvalidateShownPicture(WindowRef window) {
    const Rect area = PaintImageArea(window);
    InvalWindowRect(window, &area);
    if (gPreviewWindow) InvalWindow(gPreviewWindow);
}

void LayerString(SInt16 index, Str255 text) {
    text[0] = 0;
    const SInt16 saved = CurResFile();
    if (GetApplicationResFile() != kResFileNotOpen) UseResFile(GetApplicationResFile());
    GetIndString(text, kLayerStrings, index);
    UseResFile(saved);
}

void SetItemString(MenuRef menu, MenuItemIndex item, SInt16 index) {
    Str255 text;
    LayerString(index, text);
    if (menu && text[0]) SetMenuItemText(menu, item, text);
}

// The first item's text: switch, or which new layer a single document gets.
SInt16 SwitchString(const PaintWinRec* rec) {
    if (HasLayers(rec)) return kSwitchString;
    return (rec ? bool(rec->isBackMode) : StartInBack()) ? kNewForeString : kNewBackString;
}

MenuRef HierMenu(MenuID id) {
    MenuRef menu = GetMenuHandle(id);
    if (!menu && (menu = GetMenu(id)) != nullptr) InsertMenu(menu, hierMenu);
    return menu;
}

}  // namespace

Boolean WindowHasLayers(WindowRef window) { return HasLayers(GetPaintWinRec(window)); }

OSErr GoBackgroundMode(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->maskPort) return paramErr;
    ResetRuler();
    const bool entering = !rec->isBackMode;
    // Every buffer the switch makes comes first, so that a failure changes nothing.
    UniqueGWorld park, parkMask;
    OSErr err = MakeBuffer(&park, rec->depth, rec->picRect);
    if (err == noErr && (entering || !rec->foreHoldMask)) err = MakeBuffer(&parkMask, 1, rec->picRect);
    if (err != noErr) return err;
    if ((err = GoOffPort(window)) != noErr) {
        RecordUndo(window, kUndoNone);
        return err;
    }
    SInt16 undoMode = kUndoNone;
    {
        SavedGWorld saved;
        if (rec->isFloating) RebaseSelection(rec);
        undoMode = entering ? EnterBackground(rec, std::move(park), std::move(parkMask))
                            : LeaveBackground(rec, std::move(park), std::move(parkMask));
    }
    rec->isBackMode = entering;
    FinishLayerEdit(window, rec, undoMode);
    return noErr;
}

OSErr UnionBackground(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!HasLayers(rec)) {
        UpdateBGMenu();
        return noErr;
    }
    if (const OSErr err = PrepareLayers(window, rec, false); err != noErr) return err;
    {
        SavedGWorld saved;
        const Rect pic = rec->picRect;
        Copy(rec->backPort.get(), rec->basePort.get(), pic);  // the old background, for undo
        if (rec->foreTrans != 4) {
            SetBlackOnWhite(rec->dispPort.get());
            SetBlackOnWhite(rec->maskPort.get());
            SetBlackOnWhite(rec->backPort.get());
            const SInt16 mode = SetForeBlend(rec);
            CopyDeepMask(Bits(rec->dispPort), Bits(rec->maskPort), Bits(rec->backPort), &pic, &pic, &pic, mode,
                         nullptr);
            OpColor(&rgbBlackColor);
        }
        Copy(rec->backPort.get(), rec->offPort.get(), pic);
        rec->backPort.reset();
        SetBlackOnWhite(rec->maskPort.get());
        PaintRect(&pic);
    }
    rec->isBackMode = StartInBack();
    rec->hasTransparency = false;
    FinishLayerEdit(window, rec, kUndoUnionBackground);
    return noErr;
}

OSErr DeleteBackground(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!HasLayers(rec)) {
        UpdateBGMenu();
        return noErr;
    }
    if (const OSErr err = PrepareLayers(window, rec, false); err != noErr) return err;
    {
        SavedGWorld saved;
        Copy(rec->backPort.get(), rec->basePort.get(), rec->picRect);  // for undo
    }
    rec->backPort.reset();
    rec->isBackMode = StartInBack();
    FinishLayerEdit(window, rec, kUndoDeleteBackground);
    return noErr;
}

OSErr DeleteForeground(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!HasLayers(rec)) {
        UpdateBGMenu();
        return noErr;
    }
    if (const OSErr err = PrepareLayers(window, rec, true); err != noErr) return err;
    {
        SavedGWorld saved;
        const Rect pic = rec->picRect;
        // The snapshot keeps the foreground's mask, so that undo gives the
        // foreground back whole, whichever layer was being edited.
        Copy(rec->foreHoldMask.get(), rec->undoMask.get(), pic);
        Copy(rec->foreHoldPort.get(), rec->basePort.get(), pic);  // for undo
        SetBlackOnWhite(rec->maskPort.get());
        PaintRect(&pic);
    }
    rec->foreHoldPort.reset();
    rec->foreHoldMask.reset();
    rec->isBackMode = StartInBack();
    FinishLayerEdit(window, rec, kUndoDeleteForeground);
    return noErr;
}

void ShowHideBackground(WindowRef window) {
    if (PaintWinRec* rec = GetPaintWinRec(window); rec && rec->backPort) {
        rec->showBack = !rec->showBack;
        InvalidateShownPicture(window);
    }
    UpdateBGMenu();
}

void HandleForeTransparencyChoice(SInt16 item) {
    WindowRef window = FrontDocumentWindow();
    PaintWinRec* rec = GetPaintWinRec(window);
    const SInt16 level = SInt16(item - 1);
    if (!rec || level < 0 || level > 4 || level == rec->foreTrans) return;
    rec->undoForeTrans = rec->foreTrans;
    rec->foreTrans = level;
    RectRgn(rec->updateRgn, &rec->picRect);
    InvalidateShownPicture(window);
    UpdateBGMenu();
    SetUndoMode(kUndoForeTrans);  // the level alone changes: no snapshot
}

void ReportLayerError(OSErr err) {
    if (err == noErr || err == userCanceledErr) return;  // nothing went wrong, or the user was told
    // Every buffer a layer command needs is memory; a record in no state to act beeps.
    if (err == paramErr) SysBeep(1);
    else ErrorAlertFromResource(kMemoryErrStrings, 1);
}

void BackgroundPop(WindowRef window, Point globalPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    MenuRef pop = HierMenu(kLayerPopupMenuID);
    MenuRef levels = HierMenu(kForeTransPopupMenuID);
    if (!rec || !pop) return;
    SetMenuFont(pop, 0, 9);
    SetMenuFont(levels, 0, 9);
    const bool layers = HasLayers(rec);
    SetItemString(pop, kPopSwitch, SwitchString(rec));
    for (MenuItemIndex item : {2, 3, 4, 6, 7}) {
        if (layers) EnableMenuItem(pop, item);
        else DisableMenuItem(pop, item);
    }
    if (layers) SetItemString(pop, kPopShowHide, rec->showBack ? kHideString : kShowString);
    if (levels) MarkOneItem(levels, 1, 5, MenuItemIndex(rec->foreTrans + 1));

    const SInt32 choice = PopUpMenuSelect(pop, globalPt.v, globalPt.h, 0);
    const MenuID menu = MenuID(choice >> 16);
    const SInt16 item = SInt16(choice & 0xFFFF);
    if (menu == kForeTransPopupMenuID) {
        HandleForeTransparencyChoice(item);
        return;
    }
    if (menu != kLayerPopupMenuID) return;
    switch (item) {
    case kPopSwitch: ReportLayerError(GoBackgroundMode(window)); break;
    case kPopMerge: ReportLayerError(UnionBackground(window)); break;
    case kPopDeleteFore: ReportLayerError(DeleteForeground(window)); break;
    case kPopDeleteBack: ReportLayerError(DeleteBackground(window)); break;
    case kPopShowHide: ShowHideBackground(window); break;
    default: break;
    }
}

void ClickBackInfo(WindowRef window, Point localPt, const EventRecord* event) {
    if (!GetPaintWinRec(window)) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    Rect port;
    GetWindowPortBounds(window, &port);
    const Rect box{SInt16(port.bottom - 15), SInt16(port.left + 30), port.bottom, SInt16(port.left + 43)};
    if (!PtInRect(localPt, &box)) return;
    Point popAt{SInt16(port.bottom - 14 + 1), SInt16(port.left + 30)};
    LocalToGlobal(&popAt);
    if (event && (event->modifiers & controlKey)) {
        BackgroundPop(window, popAt);
        return;
    }
    const UInt32 start = TickCount();
    Point mouse = localPt;
    while (StillDown()) {
        GetMouse(&mouse);
        if (!PtInRect(mouse, &box)) return;  // leaving the box cancels
        if (TickCount() - start >= GetDblTime()) {
            BackgroundPop(window, popAt);
            return;
        }
        Delay(1, nullptr);
    }
    GetMouse(&mouse);
    if (PtInRect(mouse, &box)) ReportLayerError(GoBackgroundMode(window));
}

void UpdateBackInfo(WindowRef window) { DrawBackInfo(window); }

void UpdateBGMenu() {
    UpdateCommandItems(kEditMenuID, kEditSwitchItem, kEditShowHideItem);
    MenuRef edit = GetMenuHandle(kEditMenuID);
    if (!edit) return;
    const PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow());
    SetItemString(edit, kEditSwitchItem, SwitchString(rec));
    SetItemString(edit, kEditShowHideItem, rec && !rec->showBack ? kShowString : kHideString);
    if (MenuRef levels = GetMenuHandle(kForeTransMenuID)) {
        const MenuItemIndex marked = HasLayers(rec) ? MenuItemIndex(rec->foreTrans + 1) : MenuItemIndex(0);
        MarkOneItem(levels, 1, 5, marked);
    }
}
