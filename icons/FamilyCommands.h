// The commands that reach an icon-family window from the menu bar, with the
// enabling of each: the Edit menu acts on the name field's text while the
// field is active, otherwise on the selected member.
#pragma once

#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

// Edit menu items 1 (undo), 3 to 7 (cut, copy, paste, clear, select all).
Boolean FamilyEditItemEnabled(WindowRef window, SInt16 item);
void DoFamilyEditItem(WindowRef window, SInt16 item);
// Icon menu items 4 (new empty member) and 10 (edit the member).
Boolean FamilyIconItemEnabled(WindowRef window, SInt16 item);
void DoFamilyIconItem(WindowRef window, SInt16 item);
// The File menu: Save is enabled for a family that changed or has no file;
// Revert for a changed family with a file.
Boolean FamilySaveEnabled(WindowRef window);
Boolean FamilyRevertEnabled(WindowRef window);

// A family window coming to the front or going behind: its name field
// follows (an active field is deactivated and comes back with the window).
void DoActivateFamilyWindow(WindowRef window, Boolean becomingActive);
// Forgets what DoActivateFamilyWindow keeps about a window that closes.
void ForgetFamilyWindowActivation(WindowRef window);
