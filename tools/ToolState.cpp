// The tool state: the chosen tool, the pencil's transfer mode, the pen and
// background colours, the foreground blend over a background layer, and the
// dispatch of a click in a paint window to the tool in force.
#include "tools/Tools.h"

#include "palettes/ColorPalettes.h"
#include "palettes/DotMode.h"

#include "app/MenuBar.h"
#include "app/PaletteContent.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Menus.h"
#include "tools/Bucket.h"
#include "tools/Selection.h"

#include <algorithm>

namespace {

constexpr SInt16 kToolPalettePicture = 132;
constexpr MenuID kTransparencyPopupID = 142;
constexpr SInt16 kToolCount = 5;

Rect ToolRectOf(SInt16 tool) {
    return Rect{SInt16(3 + 25 * tool), 3, SInt16(25 + 25 * tool), 32};
}

void DrawToolPalette() {
    if (!gToolPalette) return;
    SavedGWorld saved;
    SetPortWindowPort(gToolPalette);
    Rect port;
    GetWindowPortBounds(gToolPalette, &port);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&port);
    if (Handle pic = GetResource(FourCC("PICT"), kToolPalettePicture)) DrawPicture(pic, &port);
    DarkenRect(&gToolRect);
    QDFlushPortBuffer(GetWindowPort(gToolPalette), nullptr);
}

}  // namespace

// The rule shared by every way of choosing a tool: a floating selection is
// dropped first unless the preferences keep it or the new tool works on it.
void DropSelectionForTool(SInt16 tool) {
    if (tool == kSelectionTool || tool == kEyedropperTool || gToolPrefs.keepFloatingSelection) return;
    PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow());
    if (!rec || EmptyRgn(rec->selDispRgn)) return;
    if (gFixSelectionProc) gFixSelectionProc(FrontDocumentWindow());
}

FixSelectionProcPtr gFixSelectionProc = nullptr;

void ToolSelect(SInt16 tool) {
    if (tool == gSelectedTool || tool < 0 || tool >= kToolCount) return;
    DropSelectionForTool(tool);
    gSelectedTool = tool;
    gToolRect = ToolRectOf(tool);
    DrawToolPalette();
}

void ChangeMode(SInt16 item) {
    if (item < 1 || item > 4) return;
    if (item == 1) {
        gBlendMode = srcCopy;
        return;
    }
    gBlendMode = blend;
    const UInt16 weight = UInt16((5 - item) * 0x4000);
    gBlendRatio = RGBColor{weight, weight, weight};
}

void HandleBlendChoice(SInt16 item) {
    if (item < 1 || item > 4 || item == gBSelectedItem) return;
    MenuRef menu = GetMenuHandle(kBlendMenuID);
    if (!menu) return SysBeep(1);
    for (MenuItemIndex i = 1; i <= 4; ++i) CheckMenuItem(menu, i, i == item);
    gBSelectedItem = item;
    ChangeMode(item);
    InvalWindow(InfoWindow);
}

void ChangeTransparency() {
    MenuRef menu = GetMenu(kTransparencyPopupID);
    if (!menu) return;
    InsertMenu(menu, hierMenu);
    for (MenuItemIndex i = 1; i <= 4; ++i) CheckMenuItem(menu, i, i == gBSelectedItem);
    Point where;
    GetGlobalMouse(&where);
    const SInt32 choice = PopUpMenuSelect(menu, where.v, where.h, gBSelectedItem);
    DeleteMenu(kTransparencyPopupID);
    if ((choice & 0xFFFF) != 0) HandleBlendChoice(SInt16(choice & 0xFFFF));
}

void ChangeColor(const RGBColor* color, Boolean transparent) {
    if (!color) return;
    const ColorRec next{*color, UInt8(transparent ? 1 : 0)};
    if (next == gCurrentColor) return;
    gPrevColor = gCurrentColor;
    gCurrentColor = next;
    DrawBlend();
    InvalWindow(gBlendPalette);
    InvalWindow(PatternPalette);
    InvalidateColorPalettes();  // their outlines follow the colours
}

void ChangeBackColor(const RGBColor* color, Boolean transparent) {
    if (!color) return;
    const ColorRec next{*color, UInt8(transparent ? 1 : 0)};
    if (next == gBackColor) return;
    gBackColor = next;
    DrawBlend();
    InvalWindow(gBlendPalette);
    InvalWindow(PatternPalette);
    InvalidateColorPalettes();
}

SInt16 SetForeBlend(PaintWinRec* rec) {
    if (!rec || rec->foreTrans <= 0) return srcCopy;
    const SInt16 level = std::min<SInt16>(rec->foreTrans, 4);
    const UInt16 grey = UInt16((4 - level) * 0x4000);
    const RGBColor weight{grey, grey, grey};
    OpColor(&weight);
    return blend;
}

void ClickPaintWindowMain(WindowRef window, Point localPt, const EventRecord* event) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    const EventModifiers mods = event ? event->modifiers : 0;
    ResetRuler();
    if (rec->dotMode) {
        // In dot mode a click only ends it.
        EndDotMode(window);
        return;
    }
    const bool command = mods & cmdKey, option = mods & optionKey, control = mods & controlKey;
    const bool shift = mods & shiftKey;
    if (control && !command) {
        // The Effect menu as a contextual menu, one pixel right of the click.
        if (MenuRef effect = GetMenuHandle(kEffectMenuID)) {
            UpdateMenus();
            Point global = localPt;
            {
                SavedGWorld saved;
                SetPortWindowPort(window);
                LocalToGlobal(&global);
            }
            global.h = SInt16(global.h + 1);
            const SInt32 choice = ContextualMenuSelect(effect, global);
            if ((choice & 0xFFFF) != 0) HandleMenuChoice(choice);
            Point mouse;
            GetGlobalMouse(&mouse);
            UpdateMouseCursor(mouse);
        }
        return;
    }
    if (option && command) {
        GrabScrollPaintWindow(window, localPt);
        return;
    }
    SInt16 tool = gSelectedTool;
    if (option && tool != kSelectionTool) tool = kEyedropperTool;
    switch (tool) {
    case kPencilTool:
        // With its preference, Command turns the pencil into the eraser
        // (Control with it keeps the pencil); otherwise Command enters dot mode.
        if (command && gToolPrefs.commandClickErases && !control) DoErase(window, localPt, shift);
        else if (command) DoDotPaint(window, localPt);
        else DoPaint(window, localPt, shift);
        break;
    case kEraserTool: DoErase(window, localPt, shift); break;
    default:
        if (ClickColorTool(window, localPt, event, tool)) break;
        if (gOtherToolClickProc) gOtherToolClickProc(window, localPt, event, tool);
        break;
    }
}

OtherToolClickProcPtr gOtherToolClickProc = nullptr;

namespace {

void ClickSelectionTool(WindowRef window, Point localPt, const EventRecord* event, SInt16 tool) {
    if (tool != kSelectionTool) return;
    const EventModifiers mods = event ? event->modifiers : 0;
    DoSelect(window, localPt, (mods & shiftKey) != 0, (mods & optionKey) != 0, (mods & cmdKey) != 0);
}

}  // namespace

void InitTools() {
    SetPaintClickProc(ClickPaintWindowMain);
    gOtherToolClickProc = ClickSelectionTool;
    gFixSelectionProc = FixSelection;
    SetSelectColorAreaProc(DoSelectColorArea);
    gToolRect = ToolRectOf(gSelectedTool);
}
