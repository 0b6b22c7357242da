// Menus over Qt's menu bar and pop-up menus. Menus are built from 'MENU'
// resources (classic layout) or by hand, and every choice arrives as the
// 32-bit menu choice: menu ID << 16 | item (from 1), 0 for none.
//
// Qt runs its own menu tracking; when the user chooses an item from the bar,
// the layer queues a mouse-down whose FindWindow part is inMenuBar and
// MenuSelect then returns that choice, so the program's dispatch is the
// toolbox's. Command keys are not Qt shortcuts: key events reach the program
// and MenuEvent matches them against the enabled items.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Events.h"

struct MenuInfo;  // the layer's record
using MenuRef = MenuInfo*;
using MenuHandle = MenuRef;
using MenuID = SInt16;
using MenuItemIndex = UInt16;

enum : UInt16 {
    noMark = 0,
    checkMark = 0x12,  // the mark character the program sets with SetItemMark
    hMenuCmd = 0x1B,   // command byte of an item that has a submenu
};
// Extra modifiers of an item's command key (SetMenuItemModifiers).
enum : UInt8 {
    kMenuNoModifiers = 0,
    kMenuShiftModifier = 1 << 0,
    kMenuOptionModifier = 1 << 1,
    kMenuControlModifier = 1 << 2,
    kMenuNoCommandModifier = 1 << 3,
};
// InsertMenu's beforeID: 0 appends to the bar; hierMenu keeps it as a submenu or pop-up.
enum : MenuID { hierMenu = -1 };

// 'MENU' layout: id, width, height, procID, filler, enableFlags (u32), title
// (Pascal string), items (Pascal string text, icon, command key, mark, style)
// ended by a zero byte. An item text of "-" is a separator. 'MBAR': count,
// then menu IDs.
MenuRef GetMenu(SInt16 resourceID);
MenuRef NewMenu(MenuID menuID, ConstStr255Param menuTitle);
void DisposeMenu(MenuRef menu);
void AppendMenuItemText(MenuRef menu, ConstStr255Param text);  // text is taken literally
void InsertMenuItemText(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem);
void DeleteMenuItem(MenuRef menu, MenuItemIndex item);
void InsertMenu(MenuRef menu, MenuID beforeID);
void DeleteMenu(MenuID menuID);
MenuRef GetMenuHandle(MenuID menuID);  // a menu inserted in the bar or as hierMenu
MenuID GetMenuID(MenuRef menu);
UInt16 CountMenuItems(MenuRef menu);
Handle GetNewMBar(SInt16 menuBarID);  // reads the 'MBAR' and its 'MENU's; none when missing
void SetMenuBar(Handle menuList);     // installs them in the bar, in order
void DrawMenuBar();
void InvalMenuBar();

void EnableMenuItem(MenuRef menu, MenuItemIndex item);   // item 0: the whole menu
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
void CheckMenuItem(MenuRef menu, MenuItemIndex item, Boolean checked);
void SetItemMark(MenuRef menu, MenuItemIndex item, UInt16 markChar);
void GetItemMark(MenuRef menu, MenuItemIndex item, UInt16* markChar);
void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text);
void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 text);
void SetItemCmd(MenuRef menu, MenuItemIndex item, UInt16 cmdChar);  // 0 none, hMenuCmd submenu
void GetItemCmd(MenuRef menu, MenuItemIndex item, UInt16* cmdChar);
[[nodiscard]] OSErr SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers);
[[nodiscard]] OSErr SetMenuItemHierarchicalID(MenuRef menu, MenuItemIndex item, MenuID hierID);
void SetMenuFont(MenuRef menu, SInt16 fontID, UInt16 fontSize);  // pop-ups in small type; nothing for a null menu

// A menu drawn by the program: a grid of `columns` x `rows` cells, each
// `cellWidth` x `cellHeight`, item n (from 1) in row-major order. The draw
// procedure draws one cell into the current port at `cellRect` (local);
// `hilited` while the mouse is over it. Used for the pen-size menus.
using MenuCellDrawProcPtr = void (*)(MenuRef menu, MenuItemIndex item, const Rect* cellRect, Boolean hilited);
[[nodiscard]] OSErr SetMenuDrawnByProgram(MenuRef menu, SInt16 columns, SInt16 rows, SInt16 cellWidth, SInt16 cellHeight,
                            MenuCellDrawProcPtr drawProc);

// Choices. MenuSelect returns the choice that brought the inMenuBar mouse-down.
SInt32 MenuSelect(Point startPt);
UInt32 MenuEvent(const EventRecord* inEvent);  // command keys, with Shift/Option/Control as items ask
SInt32 MenuKey(SInt16 ch);                     // Command + ch with no other modifier
void HiliteMenu(MenuID menuID);                // 0 unhighlights
// A pop-up at global (top, left) with popUpItem under the mouse; runs until chosen or dismissed.
SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem);
// The contextual menu click: a right click, or Control with the button.
Boolean IsShowContextualMenuClick(const EventRecord* inEvent);
SInt32 ContextualMenuSelect(MenuRef menu, Point globalPt);
