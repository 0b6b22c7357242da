// The preferences dialog and the grid settings dialog, beyond what Prefs.h
// declares: the pages' items, the grid dialog's filter and the tables behind
// the pop-ups.
#pragma once

#include "palettes/Prefs.h"
#include "platform/ui/Dialogs.h"

enum : SInt16 {
    kPrefsDialogID = 300,       // pages: item lists 301 to 306
    kGridDialogID = 149,
    kPrefsTabItem = 3,
    kPrefsTabTitleStrList = 143,
    kEditorPromptStrList = 160,
    kGridColorPromptStrList = 162,
};

// The number of items of page 1 to 6 (item list 300 + page), 0 when the
// list is missing. Page p's item k is dialog item 3 + the items of the
// pages before it + k.
SInt16 PrefsPageItemCount(int page);
DialogItemIndex PrefsPageItem(int page, int k);

// Paints the two grid colours as framed swatches beside their pop-ups when
// the dialog is redrawn; never ends the dialog itself.
Boolean MyConfigureGridFilter(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit);
// Where a grid colour's swatch is drawn: user item 7 or 8 when the dialog
// has it, else just right of pop-up item 5 or 6.
Rect GridSwatchRect(DialogRef theDialog, DialogItemIndex popupItem);

// The key repeat steps of the tools page: the step shown for a stored
// interval, and the delay and interval a step stores.
SInt16 KeyRepeatStepFor(SInt16 interval);
void KeyRepeatForStep(SInt16 step, SInt16* delay, SInt16* interval);
// Transparency pop-up items of the PNG page and the values they stand for.
SInt16 PNGTransparencyForItem(SInt16 item);
SInt16 PNGTransparencyItem(SInt16 transparency);
