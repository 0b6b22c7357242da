// Bringing the menus and the palettes that follow the front document up to
// date after the front window or a document's state changes.
#include "app/MenuBar.h"

#include "app/MenuCommands.h"
#include "app/PaletteContent.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "paint/BackLayer.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

namespace {

enum : SInt16 { kUndoStrings = 128, kRedoStrings = 129, kIconItem4Strings = 190 };
// The icon preview's size when an icon document is in front.
constexpr SInt16 kIconPreviewWidth = 128, kIconPreviewHeight = 173;

void SetVisible(WindowRef window, Boolean visible) {
    if (!window) return;
    if (visible && PaletteHasContent(window)) ShowWindow(window);
    else HideWindow(window);
}

void UpdateEffectMenu() {
    UpdateCommandItems(kEffectMenuID, 1, 20);
    UpdateCommandItems(kEditMenuID, 11, 12);
}

}  // namespace

// Item 4 adds an icon to an icon file but makes an empty member of an icon
// family: its text follows the front window.
void UpdateIconMenu() {
    UpdateCommandItems(kIconMenuID, 1, 12);
    MenuRef icon = GetMenuHandle(kIconMenuID);
    if (!icon) return;
    const WindowRef front = FrontDocumentWindow();
    const SInt16 textItem = front && GetExtWindowKind(front) == kFamilyWindowKind ? 2 : 1;
    Str255 text;
    GetIndString(text, kIconItem4Strings, textItem);
    if (text[0]) SetMenuItemText(icon, 4, text);
}

void UpdateDocumentCommandMenus() {
    UpdateClipMenu();
    UpdatePasteMenu();
    UpdateSaveMenu();
    UpdateUndoMenu();
    UpdateIconMenu();
}

WindowRef FrontPaintWindow() {
    WindowRef front = FrontDocumentWindow();
    return front && GetExtWindowKind(front) == kPaintWindowKind && GetPaintWinRec(front) ? front : nullptr;
}

// Effect items 16 to 18 mirror the front paint document's floating selection.
void UpdateTransparentMenu() {
    MenuRef effect = GetMenuHandle(kEffectMenuID);
    if (!effect) return;
    PaintWinRec* rec = GetPaintWinRec(FrontPaintWindow());
    CheckMenuItem(effect, 16, rec && MaskIsOpaqueSelection(rec));
    CheckMenuItem(effect, 17, rec && MaskIsWhiteTransparent(rec));
    CheckMenuItem(effect, 18, rec && rec->selMode == blend);
}

void UpdateClipMenu() {
    for (MenuItemIndex item : {3, 4, 6, 7, 9}) UpdateCommandItems(kEditMenuID, item, item);
}

// Menu 152 acts on the front paint window's selection: select content always,
// dropping and the marquee only while a selection floats.
void UpdateSelectionMenu() {
    MenuRef menu = GetMenuHandle(kSelectionMenuID);
    if (!menu) return;
    PaintWinRec* rec = GetPaintWinRec(FrontPaintWindow());
    const Boolean floating = rec && rec->isFloating;
    for (MenuItemIndex item : {1, 2, 4}) {
        if ((item == 1 && rec) || (item != 1 && floating)) EnableMenuItem(menu, item);
        else DisableMenuItem(menu, item);
    }
    // "Hide Marquee" is checked while the marquee is hidden.
    CheckMenuItem(menu, 4, floating && !rec->selShown);
}

void UpdateMenus() {
    UpdateEffectMenu();
    UpdateTransparentMenu();
    UpdateClipMenu();
    UpdateBGMenu();
    UpdatePasteMenu();
    UpdateSaveMenu();
    UpdateSelectionMenu();
    UpdateEditWinData();
    UpdateUndoMenu();
    UpdateWindowMenu();
    UpdateIconMenu();
}

void UpdateEditWinData() {
    WindowRef front = FrontDocumentWindow();
    if (!front) {
        SetVisible(gPreviewWindow, false);
        SetVisible(DotModePalette, false);
        return;
    }
    if (GetExtWindowKind(front) == kPaintWindowKind) {
        PaintWinRec* rec = GetPaintWinRec(front);
        if (!rec) return;
        SetVisible(gPreviewWindow, gPreviewShown);
        ResetRuler();
        FitPreviewWindow(front);
        SetVisible(DotModePalette, rec->dotMode);
        if (rec->selDispRgn.get() && !EmptyRgn(rec->selDispRgn.get()) && gToolPrefs.keepFloatingSelection) {
            ToolSelect(kSelectionTool);
        }
        if (gPaletteCheck == kPaletteCheckDocumentColors) {
            UpdatePaletteCheck();
        } else if (rec->parentWindow) {
            // Icon members of 8 and 4 bits show their own standard colours.
            SInt16 check = -1;
            if (rec->iconKind == 0 || rec->iconKind == 4) check = 1;
            if (rec->iconKind == 1 || rec->iconKind == 5) check = 2;
            if (check != -1 && gPaletteCheck != check) HandlePaletteChoice(SInt16(check + 1));
        }
        return;
    }
    SizePreviewWindow(kIconPreviewWidth, kIconPreviewHeight);
    SetVisible(gPreviewWindow, gPreviewShown);
    SetVisible(DotModePalette, false);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

void UpdateUndoMenu() {
    MenuRef edit = GetMenuHandle(kEditMenuID);
    if (!edit) return;
    SInt16 mode = 0;
    if (PaintWinRec* rec = GetPaintWinRec(FrontPaintWindow())) mode = rec->undoMode;
    else if (FamilyWinRec* family = GetFamilyWinRec(FrontDocumentWindow())) mode = family->undoMode;
    else if (IconFileRec* list = GetIconFileRec(FrontDocumentWindow())) mode = list->undoMode;
    Str255 text{};
    const SInt16 saved = CurResFile();
    if (GetApplicationResFile() != kResFileNotOpen) UseResFile(GetApplicationResFile());
    if (mode >= 0) GetIndString(text, kUndoStrings, SInt16(mode + 1));
    else GetIndString(text, kRedoStrings, SInt16(-mode + 1));
    UseResFile(saved);
    if (text[0]) SetMenuItemText(edit, 1, text);
    if (mode != 0) EnableMenuItem(edit, 1);
    else DisableMenuItem(edit, 1);
}

void UpdateSaveMenu() { UpdateCommandItems(kFileMenuID, 3, 7); }

void UpdatePasteMenu() { UpdateCommandItems(kEditMenuID, 5, 5); }

void UpdateNewMenu() { UpdateCommandItems(kFileMenuID, 9, 9); }

void UpdateToolMenu() {
    UpdateCommandItems(kToolMenuID, 5, 6);
    if (MenuRef tool = GetMenuHandle(kToolMenuID)) CheckMenuItem(tool, 6, gToolPrefs.showRuler != 0);
    UpdateGridMenu();
}
