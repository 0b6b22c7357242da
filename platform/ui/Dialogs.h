// Modal dialogs and alerts. A dialog is a window (its port draws user items
// and whatever a filter draws) with Qt widgets at the item rectangles of its
// 'DITL'. Items are numbered from 1 as the resource lists them.
//
// Check boxes and radio buttons do not change themselves: a click returns
// the item and the program sets the value, as the toolbox does. Pop-ups
// change their value to the chosen item and return the item. Typing into an
// edit-text item returns that item.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

using DialogRef = WindowRef;  // a dialog is its window
using DialogPtr = DialogRef;
using DialogItemIndex = SInt16;
using DialogItemType = SInt16;

// 'DITL' item types (low 7 bits) and the disabled flag.
enum : DialogItemType {
    userItem = 0,
    ctrlItem = 4,
    btnCtrl = 0,   // added to ctrlItem
    chkCtrl = 1,
    radCtrl = 2,
    resCtrl = 3,   // a 'CNTL' resource: pop-ups, group boxes, tabs
    statText = 8,
    editText = 16,
    iconItem = 32,
    picItem = 64,
    itemDisable = 128,
};
enum : DialogItemIndex { kStdOkItemIndex = 1, kStdCancelItemIndex = 2 };

// 'DLOG' layout: boundsRect, procID, visible, goAway, refCon, itemsID,
// title. 'ALRT': boundsRect, itemsID, stages (u16). 'DITL': count − 1, then
// per item: placeholder (u32), rect, type (u8), data (length-prefixed, padded
// to even). A 'CNTL': rect, value, visible, max, min, procID, refCon, title.
DialogRef GetNewDialog(SInt16 dialogID, void* dStorage, WindowRef behind);  // invisible until shown or run
void DisposeDialog(DialogRef theDialog);
DialogRef GetDialogFromWindow(WindowRef window);  // none when the window is not a dialog
SInt16 GetDialogID(DialogRef theDialog);
// Appends the items of 'DITL' ditlID below the existing ones (tabbed pages).
void AppendDITL(DialogRef theDialog, SInt16 ditlID);
DialogItemIndex CountDITL(DialogRef theDialog);

void GetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType* itemType, Handle* item,
                   Rect* box);
// User items: the procedure draws the item into the dialog's port.
using UserItemProcPtr = void (*)(DialogRef theDialog, DialogItemIndex itemNo);
void SetDialogItemDrawProc(DialogRef theDialog, DialogItemIndex itemNo, UserItemProcPtr proc);
[[nodiscard]] OSErr GetDialogItemAsControl(DialogRef inDialog, DialogItemIndex inItemNo, ControlRef* outControl);
void GetDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, Str255 text);
void SetDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, ConstStr255Param text);
void SelectDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, SInt16 strtSel, SInt16 endSel);
void HideDialogItem(DialogRef theDialog, DialogItemIndex itemNo);
void ShowDialogItem(DialogRef theDialog, DialogItemIndex itemNo);
void EnableDialogItem(DialogRef theDialog, DialogItemIndex itemNo);
void DisableDialogItem(DialogRef theDialog, DialogItemIndex itemNo);
// The items that Return/Enter and Escape/Command-period press; nothing for a null dialog.
void SetDialogDefaultItem(DialogRef theDialog, DialogItemIndex newItem);
void SetDialogCancelItem(DialogRef theDialog, DialogItemIndex newItem);
DialogItemIndex GetDialogKeyboardFocusItem(DialogRef theDialog);
void DrawDialog(DialogRef theDialog);

// Runs the front dialog until an item is hit. The filter sees every event
// for the dialog first (update, mouse-down, key-down, null); returning true
// with *itemHit set ends the call with that item. Return and Enter hit the
// default item, Escape and Command-period the cancel item.
using ModalFilterProcPtr = Boolean (*)(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit);
void ModalDialog(ModalFilterProcPtr modalFilter, DialogItemIndex* itemHit);
// Event handling for a dialog that the program runs itself.
Boolean IsDialogEvent(const EventRecord* theEvent);
Boolean DialogSelect(const EventRecord* theEvent, DialogRef* theDialog, DialogItemIndex* itemHit);

// Alerts: ^0 to ^3 in static texts are replaced by the ParamText strings.
void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2,
               ConstStr255Param param3);
DialogItemIndex Alert(SInt16 alertID, ModalFilterProcPtr modalFilter);
DialogItemIndex StopAlert(SInt16 alertID, ModalFilterProcPtr modalFilter);
DialogItemIndex NoteAlert(SInt16 alertID, ModalFilterProcPtr modalFilter);
DialogItemIndex CautionAlert(SInt16 alertID, ModalFilterProcPtr modalFilter);
