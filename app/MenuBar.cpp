// The menu bar: building it at start-up and routing every menu choice to the
// operation that owns it.
#include "app/MenuBar.h"

#include "app/MenuCommands.h"
#include "app/PaletteContent.h"
#include "app/PaletteWindows.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyCommands.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "icons/NewIcon.h"
#include "image/Colors.h"
#include "io/Clipboard.h"
#include "io/OpenDocuments.h"
#include "io/SavePaint.h"
#include "paint/BackLayer.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/BlendPalette.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/ui/Scrap.h"
#include "tools/ChangeSize.h"
#include "tools/ColorMode.h"
#include "tools/Eyedropper.h"
#include "tools/Effects.h"
#include "tools/Selection.h"
#include "tools/Tools.h"
#include "tools/TypeString.h"
#include "update/UpdateCheck.h"

#include <array>

SInt16 helpMenuID = 0, updateMenuIndex = 0, prefMenuID = 0, prefMenuIndex = 0;

namespace {

// Menus are looked up each time: the bar owns them and a missing resource
// simply leaves a menu out.
MenuRef Menu(MenuID id) { return GetMenuHandle(id); }

Boolean IsFamily(WindowRef front) { return GetExtWindowKind(front) == kFamilyWindowKind; }

void RunNewPaintWindow(WindowRef) { NewPaintWindow(); }
void RunOpen(WindowRef) { OpenIcon(); }
void RunClose(WindowRef front) { (void)CloseDocumentWindow(front, false); }  // it reports its own failures
void RunPrefs(WindowRef) { OpenPrefsDialog(); }
void RunQuit(WindowRef) { Quit(); }
void RunConfigureGrid(WindowRef) { ConfigureGrid(); }
void RunNewIconFamily(WindowRef) { NewIconFamilyWindow(); }

// Save: an icon family, or a changed paint document (a member saves into its family).
Boolean SaveActs(WindowRef front) {
    if (GetIconFileRec(front)) return IconListSaveEnabled(front);
    if (IsFamily(front)) return FamilySaveEnabled(front);
    const PaintWinRec* rec = GetPaintWinRec(front);
    return rec && rec->isDirty;
}
void RunSave(WindowRef front) {
    // Both report their own failures.
    if (GetIconFileRec(front)) (void)SaveIconFile(front);
    else if (IsFamily(front)) (void)SaveFamilyIcon(front, false, false);
    else (void)SavePaintWindow(front, 0, 0);
    UpdateMenus();
}
void RunSaveAs(WindowRef front) {
    // Both report their own failures.
    if (IsFamily(front)) (void)SaveFamilyIcon(front, false, true);
    else (void)SavePaintWindow(front, 0, 1);
    UpdateMenus();
}
Boolean SaveAsActs(WindowRef front) { return IsFamily(front) || GetPaintWinRec(front); }
void RunSaveSelection(WindowRef front) {
    (void)SavePaintWindow(front, 1, 1);  // it reports its own failures
    UpdateMenus();
}
void RunRevert(WindowRef front) {
    // Both report their own failures.
    if (GetIconFileRec(front)) (void)DoRevertIconFile(front);
    else if (IsFamily(front)) (void)DoRevertIconFamilyWindow(front);
    else (void)DoRevertPaintWindow(front);
    UpdateMenus();
}
Boolean RevertActs(WindowRef front) {
    if (const PaintWinRec* rec = GetPaintWinRec(front)) return rec->isDirty && (rec->hasFile || rec->parentWindow);
    if (const IconFileRec* list = GetIconFileRec(front)) return list->isDirty && list->hasFile;
    return IsFamily(front) && FamilyRevertEnabled(front);
}

void RunUndo(WindowRef front) {
    if (GetIconFileRec(front)) DoUndoIconList(front);
    else if (IsFamily(front)) DoFamilyEditItem(front, 1);
    else DoUndo();
}

// The Edit menu's clipboard items act on the front document by its kind.
template <SInt16 item>
void RunFamilyEdit(WindowRef) {
    DoEditItem(item);
    UpdateMenus();
}
template <SInt16 item>
Boolean FamilyEditActs(WindowRef front) {
    return EditItemActs(front, item);
}
void RunOpenClipboard(WindowRef) { OpenClipboard(); }
Boolean OpenClipboardActs(WindowRef) { return ScrapHasPict(); }
template <SInt16 item>
void RunFamilyIcon(WindowRef front) {
    DoFamilyIconItem(front, item);
    UpdateMenus();
}
template <SInt16 item>
Boolean FamilyIconActs(WindowRef front) {
    return IsFamily(front) && FamilyIconItemEnabled(front, item);
}
void RunNewIconFile(WindowRef) { (void)NewIconFile(); }
// Item 4 adds an icon to an icon file, or makes an empty member of a family.
void RunAddIcon(WindowRef front) {
    if (!GetIconFileRec(front)) return RunFamilyIcon<4>(front);
    (void)AddNewIcon(front);  // a template that cannot be built has beeped
    UpdateMenus();
}
Boolean AddIconActs(WindowRef front) { return GetIconFileRec(front) || FamilyIconActs<4>(front); }
void RunExportIcon(WindowRef front) {
    (void)ExportIconToFolder(front);  // which has told any failure
    UpdateMenus();
}
void RunIconInfo(WindowRef front) { SelectedIconInfo(front); }
Boolean IconListActs(WindowRef front) { return GetIconFileRec(front) != nullptr; }
void RunImportIcon(WindowRef front) {
    (void)ImportIconFromFile(front);  // which names the files that gave no icon
    UpdateMenus();
}
void RunOpenWithResEdit(WindowRef front) {
    (void)OpenWithResEdit(front);  // which tells why the editor did not start
    UpdateMenus();
}
Boolean ResEditActs(WindowRef front) {
    const IconFileRec* list = GetIconFileRec(front);
    return list && list->hasFile && isResEditAvailable;
}
Boolean IconInfoActs(WindowRef front) {
    const IconFileRec* list = GetIconFileRec(front);
    return list && IsMultiIconSelected(*list) == 1;
}
void RunOpaqueMask(WindowRef front) { ChangeMask(front, 0); }
void RunWhiteTransparentMask(WindowRef front) { ChangeMask(front, 36); }
void RunToggleSelectionBlend(WindowRef front) { ToggleSelectionBlend(front); }
void RunExchangeSelection(WindowRef front) { ExchangeSelection(front); }
void RunChangeSize(WindowRef front) { ChangeIconSize(front); }
void RunTypeString(WindowRef front) { TypeString(front); }
// An item that opens a submenu: enabled by its needs, chosen through the submenu.
void RunSubmenu(WindowRef) {}

// The layer commands report their own failures.
template <OSErr (*layerCommand)(WindowRef)>
void RunLayerCommand(WindowRef front) {
    ReportLayerError(layerCommand(front));
}
// An item that only holds a submenu: its enabling opens the submenu.
void RunSubmenuItem(WindowRef) {}

void RunToggleRuler(WindowRef) {
    // The crosshair is drawn in xor: take it away while the rulers are still on.
    if (gToolPrefs.showRuler) ResetRuler();
    gToolPrefs.showRuler = gToolPrefs.showRuler ? 0 : 1;
    if (MenuRef tool = Menu(kToolMenuID)) CheckMenuItem(tool, 6, gToolPrefs.showRuler != 0);
}

constexpr CommandNeeds kAny = CommandNeeds::Nothing;
constexpr CommandNeeds kDoc = CommandNeeds::Document;
constexpr CommandNeeds kPaint = CommandNeeds::Paint;

// Items without an operation are always disabled.
constexpr MenuCommand kCommands[] = {
    {kFileMenuID, 1, kAny, RunNewPaintWindow},
    {kFileMenuID, 2, kAny, RunOpen},
    {kFileMenuID, 3, kDoc, RunClose},
    {kFileMenuID, 4, kDoc, RunSave, SaveActs},
    {kFileMenuID, 5, kDoc, RunSaveAs, SaveAsActs},
    {kFileMenuID, 6, kPaint, RunSaveSelection},
    {kFileMenuID, 7, kDoc, RunRevert, RevertActs},
    {kFileMenuID, 9, kAny, RunOpenClipboard, OpenClipboardActs},    // new picture from the clipboard
    {kFileMenuID, 11, kAny, RunPrefs},
    {kFileMenuID, 13, kAny, RunQuit},

    {kEditMenuID, 1, kDoc, RunUndo},
    {kEditMenuID, 3, kDoc, RunFamilyEdit<3>, FamilyEditActs<3>},  // cut
    {kEditMenuID, 4, kDoc, RunFamilyEdit<4>, FamilyEditActs<4>},  // copy
    {kEditMenuID, 5, kDoc, RunFamilyEdit<5>, FamilyEditActs<5>},  // paste
    {kEditMenuID, 6, kDoc, RunFamilyEdit<6>, FamilyEditActs<6>},  // clear
    {kEditMenuID, 7, kDoc, RunFamilyEdit<7>, FamilyEditActs<7>},  // select all
    {kEditMenuID, 9, kDoc, RunFamilyEdit<9>, FamilyEditActs<9>},    // duplicate
    {kEditMenuID, 11, kPaint, RunChangeSize},
    {kEditMenuID, 12, kPaint, RunTypeString},
    {kEditMenuID, 14, kPaint, RunLayerCommand<GoBackgroundMode>},
    {kEditMenuID, 15, kPaint, RunLayerCommand<UnionBackground>, WindowHasLayers},
    {kEditMenuID, 16, kPaint, RunLayerCommand<DeleteForeground>, WindowHasLayers},
    {kEditMenuID, 17, kPaint, RunLayerCommand<DeleteBackground>, WindowHasLayers},
    {kEditMenuID, 19, kPaint, RunSubmenuItem, WindowHasLayers},  // the foreground transparency submenu
    {kEditMenuID, 20, kPaint, ShowHideBackground, WindowHasLayers},

    {kEffectMenuID, 1, kPaint, RunSubmenu},  // colour mode (menu 138)
    {kEffectMenuID, 3, kPaint, DoFill}, // fill
    {kEffectMenuID, 4, kPaint, DoLighten}, // lighten
    {kEffectMenuID, 5, kPaint, DoDarken}, // darken
    {kEffectMenuID, 6, kPaint, DoAntialias}, // antialias
    {kEffectMenuID, 7, kPaint, DoDotPicture}, // dot picture
    {kEffectMenuID, 8, kPaint, DoWind}, // wind
    {kEffectMenuID, 9, kPaint, DoEdging}, // edging
    {kEffectMenuID, 12, kPaint, DoRotate}, // rotate
    {kEffectMenuID, 13, kPaint, FlipHorizontal}, // flip horizontally
    {kEffectMenuID, 14, kPaint, FlipVertical}, // flip vertically
    {kEffectMenuID, 16, kPaint, RunOpaqueMask},
    {kEffectMenuID, 17, kPaint, RunWhiteTransparentMask},
    {kEffectMenuID, 18, kPaint, RunToggleSelectionBlend},
    {kEffectMenuID, 20, kPaint, RunExchangeSelection},

    {kToolMenuID, 5, kAny, RunConfigureGrid},
    {kToolMenuID, 6, kAny, RunToggleRuler},

    {kIconMenuID, 1, kAny, RunNewIconFile},    // new icon file
    {kIconMenuID, 2, kAny, RunNewIconFamily},  // new icon family
    {kIconMenuID, 4, kDoc, RunAddIcon, AddIconActs},  // add an icon, or a new empty member
    {kIconMenuID, 5, kDoc, RunIconInfo, IconInfoActs},    // icon information
    {kIconMenuID, 7, kDoc, RunImportIcon, IconListActs},    // import
    {kIconMenuID, 8, kDoc, RunExportIcon, IconInfoActs},  // export the one selected icon
    {kIconMenuID, 10, kDoc, RunFamilyIcon<10>, FamilyIconActs<10>},  // edit the member
    {kIconMenuID, 12, kDoc, RunOpenWithResEdit, ResEditActs},   // open with the resource editor
};

void RunCommand(MenuID menu, MenuItemIndex item) {
    const MenuCommand* command = FindMenuCommand(menu, item);
    WindowRef front = FrontDocumentWindow();
    if (command && command->run && CommandAvailable(*command, front)) command->run(front);
}

void HandleAppleChoice(SInt16 item) {
    if (item == 1) DoAboutBox();
    else if (item > 1 && MenuItemIndex(item) == UpdateCheckItem()) KorvelUpdateCheck();
}

void HandleFileChoice(SInt16 item) { RunCommand(kFileMenuID, MenuItemIndex(item)); }
void HandleEditChoice(SInt16 item) { RunCommand(kEditMenuID, MenuItemIndex(item)); }
void HandleEffectChoice(SInt16 item) { RunCommand(kEffectMenuID, MenuItemIndex(item)); }
void HandleToolChoice(SInt16 item) { RunCommand(kToolMenuID, MenuItemIndex(item)); }
void HandleIconChoice(SInt16 item) { RunCommand(kIconMenuID, MenuItemIndex(item)); }

// Menu 152: select content, drop the selection, show or hide the marquee.
void HandleSelectionChoice(SInt16 item) {
    WindowRef front = FrontPaintWindow();
    PaintWinRec* rec = GetPaintWinRec(front);
    if (!rec) return;
    switch (item) {
    case 1: DoAutoSelect(front); break;
    case 2:
        if (rec->isFloating) FixSelection(front);
        break;
    case 4:
        if (!rec->isFloating) break;
        rec->selShown = !rec->selShown;
        DispSelection(front);
        UpdateSelectionMenu();
        break;
    default: break;
    }
}

// A new footprint from menu 147 or 148; the current one changes nothing.
void ChangeFootprint(MenuID menuID, SInt16 item, SInt16* width, SInt16* height) {
    if (item < 1 || item > 16) return;
    const MenuItemIndex old = PenSizeItem(*width, *height);
    if (old == MenuItemIndex(item)) return;
    if (MenuRef menu = Menu(menuID)) MarkOneItem(menu, 1, 16, MenuItemIndex(item));
    *width = PenSizeItemWidth(MenuItemIndex(item));
    *height = PenSizeItemHeight(MenuItemIndex(item));
    InvalWindow(InfoWindow);
}

void HandlePenSizeChoice(SInt16 item) { ChangeFootprint(kPenSizeMenuID, item, &gPenWidth, &gPenHeight); }
void HandleEraserSizeChoice(SInt16 item) {
    ChangeFootprint(kEraserSizeMenuID, item, &gEraserWidth, &gEraserHeight);
}

void HandleListBackgroundChoice(SInt16 item) {
    if (item < 1 || item == gListBackground) return;
    if (MenuRef menu = Menu(kListBackgroundMenuID)) MarkOneItem(menu, 1, CountMenuItems(menu), MenuItemIndex(item));
    gListBackground = item;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (GetExtWindowKind(w) == kIconListWindowKind) InvalWindow(w);
    }
}

// Builds a pen-size menu drawn by the program, the current footprint marked.
// The resource's item texts name the sizes; without it the items are blank.
void MakePenSizeMenu(MenuID id, SInt16 width, SInt16 height) {
    static const UInt8 kBlank[] = {1, ' '};
    MenuRef menu = GetMenu(id);
    if (!menu) menu = NewMenu(id, kBlank);
    if (!menu) return;
    while (CountMenuItems(menu) < 16) AppendMenuItemText(menu, kBlank);
    (void)SetMenuDrawnByProgram(menu, 4, 4, 16, 16, DrawPenSizeCell);
    SetItemMark(menu, PenSizeItem(width, height), checkMark);
    InsertMenu(menu, hierMenu);
}

void InsertSubmenu(MenuID id) {
    if (MenuRef menu = GetMenu(id)) InsertMenu(menu, hierMenu);
}

void SetModifiers(MenuID id, MenuItemIndex item, UInt8 modifiers) {
    if (MenuRef menu = Menu(id)) (void)SetMenuItemModifiers(menu, item, modifiers);
}

}  // namespace

const MenuCommand* FindMenuCommand(MenuID menu, MenuItemIndex item) {
    for (const MenuCommand& c : kCommands) {
        if (c.menu == menu && c.item == item) return &c;
    }
    return nullptr;
}

Boolean CommandAvailable(const MenuCommand& command, WindowRef front) {
    Boolean needsMet = false;
    switch (command.needs) {
        case CommandNeeds::Nothing: needsMet = true; break;
        case CommandNeeds::Document: needsMet = front != nullptr; break;
        case CommandNeeds::Paint: needsMet = front && GetExtWindowKind(front) == kPaintWindowKind; break;
    }
    return needsMet && (!command.acts || command.acts(front));
}

void UpdateCommandItems(MenuID menuID, MenuItemIndex first, MenuItemIndex last) {
    MenuRef menu = Menu(menuID);
    if (!menu) return;
    WindowRef front = FrontDocumentWindow();
    for (const MenuCommand& c : kCommands) {
        if (c.menu != menuID || c.item < first || c.item > last) continue;
        if (c.run && CommandAvailable(c, front)) EnableMenuItem(menu, c.item);
        else DisableMenuItem(menu, c.item);
    }
}

void MarkOneItem(MenuRef menu, MenuItemIndex first, MenuItemIndex last, MenuItemIndex item) {
    for (MenuItemIndex i = first; i <= last; ++i) SetItemMark(menu, i, i == item ? checkMark : noMark);
}

void DrawPenSizeCell(MenuRef menu, MenuItemIndex item, const Rect* cellRect, Boolean hilited) {
    if (item < 1 || item > 16) return;
    PenState saved;
    GetPenState(&saved);
    PenNormal();
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(cellRect);
    const SInt16 w = PenSizeItemWidth(item), h = PenSizeItemHeight(item);
    const SInt16 ch = SInt16(cellRect->left + (cellRect->right - cellRect->left) / 2);
    const SInt16 cv = SInt16(cellRect->top + (cellRect->bottom - cellRect->top) / 2);
    Rect foot;
    SetRect(&foot, SInt16(ch - w / 2), SInt16(cv - h / 2), SInt16(ch + (w + 1) / 2), SInt16(cv + (h + 1) / 2));
    PaintRect(&foot);
    PenMode(patXor);
    UInt16 mark = noMark;
    if (menu) GetItemMark(menu, item, &mark);
    if (mark == checkMark) {
        Rect frame = *cellRect;
        InsetRect(&frame, 2, 2);
        FrameRect(&frame);
    }
    if (hilited) {
        Rect frame = *cellRect;
        InsetRect(&frame, 1, 1);
        FrameRect(&frame);
    }
    SetPenState(&saved);
}

void MenuBarInit() {
    if (Handle bar = GetNewMBar(128)) {
        SetMenuBar(bar);
        DisposeHandle(bar);
    }

    // This platform's bar has no application menu taking Quit and
    // Preferences ('menu' bit 1 is clear): they stay in the File menu.
    prefMenuID = kFileMenuID;
    prefMenuIndex = 11;

    for (MenuID id : {kBlendMenuID, kGridMenuID, kPenColorMenuID, kColorModeMenuID}) InsertSubmenu(id);
    MakePenSizeMenu(kPenSizeMenuID, gPenWidth, gPenHeight);
    MakePenSizeMenu(kEraserSizeMenuID, gEraserWidth, gEraserHeight);
    for (MenuID id : {kDispMenuID, kMagMenuID, kPaletteCheckMenuID, kSelectionMenuID, kListBackgroundMenuID,
                      kForeTransMenuID, kBlendPaletteMenuID}) {
        InsertSubmenu(id);
    }

    if (MenuRef list = Menu(kListBackgroundMenuID)) {
        MarkOneItem(list, 1, CountMenuItems(list), MenuItemIndex(gListBackground));
        if (isOSX) DisableMenuItem(list, 4);
    }
    if (MenuRef check = Menu(kPaletteCheckMenuID)) MarkOneItem(check, 1, 4, MenuItemIndex(gPaletteCheck + 1));
    if (MenuRef blend = Menu(kBlendMenuID)) MarkOneItem(blend, 1, 4, MenuItemIndex(gBSelectedItem));
    if (MenuRef tool = Menu(kToolMenuID)) DisableMenuItem(tool, 9);
    (void)InstallUpdateCheckItem();
    if (MenuRef window = Menu(kWindowMenuID)) DisableMenuItem(window, 1);

    SetModifiers(kFileMenuID, 5, kMenuShiftModifier);
    SetModifiers(kFileMenuID, 9, kMenuShiftModifier);
    SetModifiers(kEditMenuID, 14, kMenuShiftModifier);
    SetModifiers(kEditMenuID, 20, kMenuShiftModifier);
    SetModifiers(kIconMenuID, 1, kMenuShiftModifier);
    SetModifiers(kIconMenuID, 2, kMenuOptionModifier);
    SetModifiers(kIconMenuID, 7, kMenuShiftModifier);
    SetModifiers(kIconMenuID, 8, kMenuShiftModifier);
    SetModifiers(kSelectionMenuID, 4, kMenuOptionModifier);

    // Items no update recomputes keep the state the table gives them now.
    for (MenuID id : {kFileMenuID, kEditMenuID, kEffectMenuID, kToolMenuID, kIconMenuID}) {
        UpdateCommandItems(id, 1, 20);
    }
    UpdateToolMenu();
    UpdateNewMenu();
    UpdatePasteMenu();
    SetScrapChangedProc(UpdateScrapMenus);
    DrawMenuBar();
}

void HandleMenuChoice(SInt32 menuChoice) {
    if (menuChoice == 0) {
        HiliteMenu(0);
        return;
    }
    const MenuID menu = MenuID(menuChoice >> 16);
    const SInt16 item = SInt16(menuChoice & 0xFFFF);
    switch (menu) {
        case kAppleMenuID: HandleAppleChoice(item); break;
        case kFileMenuID: HandleFileChoice(item); break;
        case kEditMenuID: HandleEditChoice(item); break;
        case kEffectMenuID: HandleEffectChoice(item); break;
        case kToolMenuID: HandleToolChoice(item); break;
        case kBlendMenuID: HandleBlendChoice(item); break;
        case kGridMenuID: HandleGridChoice(item); break;
        case kPenColorMenuID: HandlePenColorChoice(item); break;
        case kIconMenuID: HandleIconChoice(item); break;
        case kDispMenuID: HandleDispChoice(item); break;
        case kMagMenuID: HandleMagChoice(item); break;
        case kPenSizeMenuID: HandlePenSizeChoice(item); break;
        case kEraserSizeMenuID: HandleEraserSizeChoice(item); break;
        case kWindowMenuID: HandleWindowChoice(item); break;
        case kPaletteCheckMenuID: HandlePaletteChoice(item); break;
        case kListBackgroundMenuID: HandleListBackgroundChoice(item); break;
        case kSelectionMenuID: HandleSelectionChoice(item); break;
        case kForeTransMenuID: HandleForeTransparencyChoice(item); break;
        case kColorModeMenuID: HandleColorModeChoice(item); break;
        case kBlendPaletteMenuID: HandleBlendPaletteChoice(item); break;
        default: break;
    }
    HiliteMenu(0);
}

void HandleGridChoice(SInt16 item) {
    if (item < 1 || item > 15) return;
    UInt16 setting = gToolPrefs.gridSetting;
    if (item == 6 || item == 7) {
        const UInt16 code = UInt16(item - 5);
        const UInt16 current = (setting >> 4) & 0xF;
        setting = UInt16((setting & ~0xF0u) | ((current == code ? 0 : code) << 4));
    } else {
        if ((setting & 0xF) == UInt16(item)) return;
        setting = UInt16((setting & ~0xFu) | UInt16(item));
    }
    gToolPrefs.gridSetting = setting;
    UpdateGridMenu();
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (GetExtWindowKind(w) == kPaintWindowKind && IsWindowVisible(w)) InvalWindow(w);
    }
}

void UpdateGridMenu() {
    MenuRef grid = Menu(kGridMenuID);
    if (!grid) return;
    const UInt16 setting = gToolPrefs.gridSetting;
    const MenuItemIndex count = CountMenuItems(grid);
    for (MenuItemIndex i = 1; i <= count; ++i) {
        Boolean marked = false;
        if (i == 6 || i == 7) marked = ((setting >> 4) & 0xF) == UInt16(i - 5);
        else marked = (setting & 0xF) == i;
        CheckMenuItem(grid, i, marked);
    }
}

void HandleMagChoice(SInt16 item) {
    if (item < 1 || item > 5) return;
    if (WindowRef front = FrontPaintWindow()) ChangeRatioMain(front, SInt16(item - 1));
}

void HandlePenColorChoice(SInt16 item) {
    switch (item) {
        case 1:
        case 2:
        case 5: {
            if (!gBlendPalettePtr) return;
            // One step lighter, one step darker (inside the shades' column,
            // not on its frame) and the middle blend.
            static constexpr Point kSpots[] = {{43, 2}, {77, 2}, {0, 0}, {0, 0}, {60, 20}};
            const Point spot = kSpots[item - 1];
            RGBColor color;
            CGrafPtr savedPort;
            GDHandle savedDevice;
            GetGWorld(&savedPort, &savedDevice);
            SetGWorld(gBlendPalettePtr, nullptr);
            GetCPixel(spot.h, spot.v, &color);
            SetGWorld(savedPort, savedDevice);
            ChangeColor(&color, false);
            break;
        }
        case 4: {
            const ColorRec previous = gPrevColor;
            ChangeColor(&previous.rgb, previous.isTransparent);
            break;
        }
        case 7: GetDesktopColor(); break;
        default: break;
    }
}
