// Between the dialog layer and its script (DialogScript.cpp).
#pragma once

#include "platform/ui/Scripting.h"

#include <string>

namespace ui_internal {

// The next scripted step for a dialog of this ID (or one scripted for any
// dialog), removed from the script; false when none waits.
bool TakeDialogStep(SInt16 dialogID, DialogStep* step);
void NoteDialogShown(SInt16 dialogID);
// The next scripted answer of the colour picker or of a navigation dialog,
// removed from the script; false when none waits.
bool TakeColorPickerAnswer(ColorPickerAnswer* answer);
bool TakeNavAnswer(NavAnswer* answer);
void SetLastAlertText(std::string text);
void NoteNavDialogFolder(std::string folder);

}  // namespace ui_internal
