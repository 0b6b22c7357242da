// The tool palette's clicks and double-clicks, erase-all, and the pen-size
// pop-up shared by the pen and eraser sizes.
#include "tools/Tools.h"

#include "app/MenuBar.h"
#include "app/MenuCommands.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/Menus.h"
#include "tools/Eyedropper.h"
#include "tools/Selection.h"

#include <algorithm>

namespace {

constexpr MenuID kPenSizePopupID = 146;
constexpr SInt16 kCell = 16;

// Moves the check of a size menu from one size to another.
void MoveSizeCheck(MenuID menuID, SInt16 oldW, SInt16 oldH, SInt16 newW, SInt16 newH) {
    MenuRef menu = GetMenuHandle(menuID);
    if (!menu) return;
    CheckMenuItem(menu, PenSizeItem(oldW, oldH), false);
    CheckMenuItem(menu, PenSizeItem(newW, newH), true);
}

void ChooseSize(SInt16* width, SInt16* height, MenuID menuID, SInt16 tool) {
    SInt16 w = *width, h = *height;
    if (!ChangePESize(&w, &h)) return;
    MoveSizeCheck(menuID, *width, *height, w, h);
    *width = w;
    *height = h;
    if (InfoWindow) RedrawInfo(InfoWindow);
    ToolSelect(tool);
}

// Erase all: the selection, or the whole picture, in the background colour.
void EraseAll() {
    WindowRef window = FrontDocumentWindow();
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    SavedGWorld saved;
    const Rect area = EmptyRgn(rec->selDispRgn) ? rec->picRect : rec->selRect;
    SetGWorld(rec->offPort.get(), nullptr);
    RGBBackColor(HasBackground(rec) ? &rgbWhiteColor : &gBackColor.rgb);
    EraseRect(&area);
    RGBBackColor(&rgbWhiteColor);
    // The mask of lifted pixels lies where they are kept, at selRect.
    UniqueRgn maskArea;
    CopyRgn(rec->selRgn, maskArea);
    if (rec->isFloating) OffsetRgn(maskArea, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    SetGWorld(rec->maskPort.get(), nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    if (HasBackground(rec) || gBackColor.isTransparent) EraseRgn(maskArea);
    else PaintRgn(maskArea);
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
    UpdateMenus();
    SetUndoMode(kUndoPaint);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

}  // namespace

Boolean ChangePESize(SInt16* width, SInt16* height) {
    if (!width || !height) return false;
    MenuRef menu = NewMenu(kPenSizePopupID, reinterpret_cast<const UInt8*>("\x01 "));
    if (!menu) return false;
    const UInt8 blank[] = {1, ' '};
    for (int i = 0; i < 16; ++i) AppendMenuItemText(menu, blank);
    if (SetMenuDrawnByProgram(menu, 4, 4, kCell, kCell, DrawPenSizeCell) != noErr) {
        DisposeMenu(menu);
        return false;
    }
    const SInt16 w = std::clamp<SInt16>(*width, 1, 4), h = std::clamp<SInt16>(*height, 1, 4);
    CheckMenuItem(menu, PenSizeItem(w, h), true);
    InsertMenu(menu, hierMenu);
    Point where;
    GetGlobalMouse(&where);
    const SInt32 choice = PopUpMenuSelect(menu, SInt16(where.v + 1), SInt16(where.h + 1), PenSizeItem(w, h));
    DeleteMenu(kPenSizePopupID);
    DisposeMenu(menu);
    const int item = choice & 0xFFFF;
    if ((choice >> 16) != kPenSizePopupID || item < 1 || item > 16) return false;
    *width = PenSizeItemWidth(MenuItemIndex(item));
    *height = PenSizeItemHeight(MenuItemIndex(item));
    return true;
}

void ChangePenSize() { ChooseSize(&gPenWidth, &gPenHeight, kPenSizeMenuID, kPencilTool); }

void ChangeEraserSize() { ChooseSize(&gEraserWidth, &gEraserHeight, kEraserSizeMenuID, kEraserTool); }

void DoubleClickTool(SInt16 tool) {
    switch (tool) {
    case kPencilTool: ChangePenSize(); break;
    case kEraserTool: EraseAll(); break;
    case kEyedropperTool: GetDesktopColor(); break;
    case kSelectionTool: {
        WindowRef front = FrontDocumentWindow();
        if (GetPaintWinRec(front)) SelectWholePicture(front);
        break;
    }
    default: break;
    }
}

void ClickToolPalette(Point localPt, UInt32 when) {
    if (localPt.h < 0 || localPt.v < 0) return;
    const SInt16 before = gSelectedTool;
    const SInt16 tool = SInt16((localPt.v - 2) / 25);
    ToolSelect(tool);
    if (!gToolPalette) return;
    // A double-click: a second press on the palette near the first while the
    // pointer stays within two pixels of it.
    Point where = localPt;
    {
        SavedGWorld saved;
        SetPortWindowPort(gToolPalette);
        LocalToGlobal(&where);
    }
    if (!WaitForSecondClick(gToolPalette, where, when, 2)) return;
    DoubleClickTool(tool);
    if (tool == kEraserTool || tool == kEyedropperTool) ToolSelect(before);
}
