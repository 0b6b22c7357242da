// Placement of the program's small dialogs. (Showing and hiding palettes is
// declared with the Display menu in app/MenuBar.h.)
#pragma once

#include "platform/ui/Dialogs.h"

// Moves the dialog 20 pixels down and across from the front document
// window's content corner when it fits on the desktop there, then shows it
// in front.
void MoveDialogToParentWindow(DialogRef dialog);
