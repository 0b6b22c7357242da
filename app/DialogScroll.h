// Rows drawn by a dialog's user item and scrolled by a scroll bar item beside
// it: the bar's value is the first row shown, its reference the number of
// rows the item shows. The user item's procedure reads the value and draws
// from that row; every scroll redraws the dialog at once, so that the rows
// follow the thumb and the arrows while the button is held.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/ui/Dialogs.h"

// The first row shown; 0 when the dialog has no such bar.
SInt16 DialogScrollTop(DialogRef dialog, DialogItemIndex barItem);
// Gives the bar the range for `rows` rows of which `visible` show, then
// scrolls as little as needed to show row `keep` (from 0; -1 for none).
void SetDialogScrollRange(DialogRef dialog, DialogItemIndex barItem, SInt16 rows, SInt16 visible, SInt16 keep = -1);
// Scrolls by `rows` (negative: towards the start) and redraws the dialog.
void ScrollDialogRows(DialogRef dialog, DialogItemIndex barItem, SInt16 rows);
// The action procedure of such a bar: a row per arrow, a page less one row
// per click in the track, a redraw as the thumb moves.
void MyDialogScrollAction(ControlRef bar, ControlPartCode part);
// For a modal filter: a mouse-down on the bar (tracked with `action`), the
// mouse wheel over the dialog, and the arrow, Page Up, Page Down, Home and
// End keys. True when the event was taken.
Boolean HandleDialogScrollEvent(DialogRef dialog, DialogItemIndex barItem, const EventRecord& event,
                                ControlActionProcPtr action = MyDialogScrollAction);
