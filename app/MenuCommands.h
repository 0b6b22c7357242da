// The command table behind the menu bar: which (menu, item) pairs run an
// operation, and what each needs in front. Dispatch and menu enabling both
// read it, so an item is enabled exactly when choosing it would do something.
#pragma once

#include "app/MenuBar.h"
#include "platform/ui/Windows.h"

enum class CommandNeeds : UInt8 {
    Nothing,   // works with any front window, or none
    Document,  // a document window in front
    Paint,     // a paint window in front
};

struct MenuCommand {
    MenuID menu;
    MenuItemIndex item;
    CommandNeeds needs;
    void (*run)(WindowRef front);  // none: the item is always disabled
    // When set, whether the command would act with this front document
    // window, asked once `needs` is met.
    Boolean (*acts)(WindowRef front) = nullptr;
};

const MenuCommand* FindMenuCommand(MenuID menu, MenuItemIndex item);
// Whether the command would act with `front` as the front document window.
Boolean CommandAvailable(const MenuCommand& command, WindowRef front);
// Enables or disables the table's items of `menu` from `first` to `last`.
void UpdateCommandItems(MenuID menu, MenuItemIndex first, MenuItemIndex last);

// The front document window when it is a paint window with its record.
WindowRef FrontPaintWindow();

// Display menu item of a palette (0 for windows without one) and back.
SInt16 DispItemForWindow(WindowRef window);
WindowRef PaletteForDispItem(SInt16 item);

// The pen-size and eraser-size menus' item of a footprint and back.
inline constexpr MenuItemIndex PenSizeItem(SInt16 width, SInt16 height) {
    return MenuItemIndex(width + 4 * height - 4);
}
inline constexpr SInt16 PenSizeItemWidth(MenuItemIndex item) { return SInt16((item - 1) % 4 + 1); }
inline constexpr SInt16 PenSizeItemHeight(MenuItemIndex item) { return SInt16((item - 1) / 4 + 1); }

// Draws one cell of the pen-size menus (menus 147, 148) and of the pen-size
// pop-up into the current port: the item's footprint black on white, centred,
// framed in xor when marked and again when under the mouse.
void DrawPenSizeCell(MenuRef menu, MenuItemIndex item, const Rect* cellRect, Boolean hilited);

// Marks `item` of `menu` and clears the marks of items first..last besides it.
void MarkOneItem(MenuRef menu, MenuItemIndex first, MenuItemIndex last, MenuItemIndex item);

// Handlers of menus whose items carry their own meaning.
void HandleWindowChoice(SInt16 item);
// The marks of the Grid menu from the tool preferences' grid setting.
void UpdateGridMenu();
