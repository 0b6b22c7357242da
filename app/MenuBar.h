// Menu numbering and command dispatch.
#pragma once

#include "platform/ui/Menus.h"
#include "platform/ui/Windows.h"

enum : MenuID {
    kAppleMenuID = 128, kFileMenuID = 129, kEditMenuID = 130, kEffectMenuID = 131, kToolMenuID = 132,
    kBlendMenuID = 133, kGridMenuID = 134, kPenColorMenuID = 135, kMagPopupMenuID = 141,
    kForeTransMenuID = 137, kColorModeMenuID = 138, kIconMenuID = 139, kDispMenuID = 140,
    kMagMenuID = 144, kPenSizeMenuID = 147, kEraserSizeMenuID = 148, kWindowMenuID = 149,
    kPaletteCheckMenuID = 151, kSelectionMenuID = 152, kListBackgroundMenuID = 154,
    kBlendPaletteMenuID = 169,
};

extern SInt16 helpMenuID, updateMenuIndex, prefMenuID, prefMenuIndex;

inline constexpr SInt32 MenuChoice(MenuID menu, MenuItemIndex item) { return (SInt32(menu) << 16) | item; }

void MenuBarInit();
void HandleMenuChoice(SInt32 menuChoice);
void UpdateMenus();
void UpdateEditWinData();
void UpdateWindowMenu();
void UpdateUndoMenu();
void UpdateSaveMenu();
void UpdatePasteMenu();
void UpdateToolMenu();
void UpdateNewMenu();
// Effect items 16 to 18, Edit's clipboard items and menu 152 from the front paint window.
void UpdateTransparentMenu();
void UpdateClipMenu();
void UpdateSelectionMenu();
void UpdateIconMenu();
// The items whose enabling follows a document's selection and contents
// (clipboard, Save, Undo, Icon), without the rest of UpdateMenus.
void UpdateDocumentCommandMenus();
// Display menu and palettes. The preview window (Display item 12) is shown
// while a document is in front and gPreviewShown is set; its close box and
// its item clear and set it.
extern Boolean gPreviewShown;
void ShowHidePalette(WindowRef window, Boolean show);
void ShowHidePalette2(SInt16 item);
void ShowAllPalettes();
// Display items 1 to 8: enabled when the palette has content, marked when it
// is visible; item 12 marked while the preview is wanted.
void UpdateDispMenu();
void HandleDispChoice(SInt16 item);
void HandleMagChoice(SInt16 item);
void HandleGridChoice(SInt16 item);
void HandlePenColorChoice(SInt16 item);
// Palette check (menu 151): item − 1 becomes the palette check.
void HandlePaletteChoice(SInt16 item);
