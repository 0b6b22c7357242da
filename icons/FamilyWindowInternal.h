// What the family window's files share beyond FamilyWindow.h.
#pragma once

#include "icons/FamilyWindow.h"

// The window's narrow size, at which only the classic members show.
inline constexpr SInt16 kFamilyWindowWidth = 195, kFamilyWindowHeight = 134;

// The window whose port the record's name field draws into.
WindowRef FamilyWindowOf(const FamilyWinRec* family);
// LastVisibleKind, less the members whose places lie outside the window's
// present size: walks, hit tests and drawing stop there.
SInt16 LastShownKind(const FamilyWinRec& family, WindowRef window);
// Draws one member now, outside an update, and shows it.
void RedrawFamilyMember(FamilyWinRec* family, SInt16 kind);
// Makes `kind` (-1: none) the selected member: both members redrawn, the
// menus brought up to date and the preview invalidated.
void SelectFamilyMember(FamilyWinRec* family, SInt16 kind);
// Frees what the window owns (name field, undo data, icon, record) and the
// window.
void DisposeFamilyWindow(WindowRef window);
