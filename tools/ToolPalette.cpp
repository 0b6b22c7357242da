// The tool palette's clicks and double-clicks, erase-all, and the pen-size
// pop-up shared by the pen and eraser sizes.
#include "tools/Tools.h"

#include "app/MenuBar.h"
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

MenuItemIndex SizeItem(SInt16 width, SInt16 height) { return MenuItemIndex(width + 4 * height - 4); }

void FrameXor(Rect r, SInt16 inset) {
    InsetRect(&r, inset, inset);
    PenState saved;
    GetPenState(&saved);
    PenNormal();
    PenMode(patXor);
    FrameRect(&r);
    SetPenState(&saved);
}

// One cell of the pen-size pop-up: a footprint of the item's size, centred,
// framed when it is the checked size.
void DrawPenSizeCell(MenuRef menu, MenuItemIndex item, const Rect* cellRect, Boolean hilited) {
    const int index = item - 1, column = index % 4, row = index / 4;
    const int centreH = cellRect->left + kCell / 2, centreV = cellRect->top + kCell / 2;
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(cellRect);
    const Rect footprint{SInt16(centreV - (row + 1) / 2), SInt16(centreH - (column + 1) / 2),
                         SInt16(centreV + (row + 2) / 2), SInt16(centreH + (column + 2) / 2)};
    PaintRect(&footprint);
    UInt16 mark = 0;
    GetItemMark(menu, item, &mark);
    if (mark != 0) FrameXor(*cellRect, 2);
    if (hilited) FrameXor(*cellRect, 1);
}

// Moves the check of a size menu from one size to another.
void MoveSizeCheck(MenuID menuID, SInt16 oldW, SInt16 oldH, SInt16 newW, SInt16 newH) {
    MenuRef menu = GetMenuHandle(menuID);
    if (!menu) return;
    CheckMenuItem(menu, SizeItem(oldW, oldH), false);
    CheckMenuItem(menu, SizeItem(newW, newH), true);
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

bool HasBackground(const PaintWinRec* rec) { return rec->backPort || rec->hasTransparency; }

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
    CheckMenuItem(menu, SizeItem(w, h), true);
    InsertMenu(menu, hierMenu);
    Point where;
    GetGlobalMouse(&where);
    const SInt32 choice = PopUpMenuSelect(menu, SInt16(where.v + 1), SInt16(where.h + 1), SizeItem(w, h));
    DeleteMenu(kPenSizePopupID);
    DisposeMenu(menu);
    const int item = choice & 0xFFFF;
    if ((choice >> 16) != kPenSizePopupID || item < 1 || item > 16) return false;
    *width = SInt16((item - 1) % 4 + 1);
    *height = SInt16((item - 1) / 4 + 1);
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
