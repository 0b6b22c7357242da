// The three alert forms and the modal state they set.
#pragma once

#include "platform/ui/Dialogs.h"
#include "platform/ui/Windows.h"

#include <string_view>

extern Boolean gIsDialog;          // a modal dialog or alert is up
extern WindowRef gFrontWindow;     // the document window that was in front meanwhile

enum : SInt16 { kErrorAlertID = 201 };

// String lists of messages, by area.
enum : SInt16 {
    kPaletteErrStrings = 4001, kDotLibErrStrings = 4002, kUpdateErrStrings = 4003,
    kPrefsErrStrings = 4004, kPNGErrStrings = 4005, kMemoryErrStrings = 4006, kBlendErrStrings = 4007,
    kFamilyErrStrings = 4008, kStartupErrStrings = 4009, kPaintFileErrStrings = 4010,
    kClipboardErrStrings = 4011, kAppleEventErrStrings = 4012,
};

void ErrorAlert(std::string_view message);                      // alert 201
void ErrorAlertFromResource(SInt16 strListID, SInt16 index);    // alert 201 with a listed message
// The filter of the program's modal dialogs and alerts: the other windows
// are drawn on their update events while the dialog is up, so that what
// changes behind a dialog (the preview following the front document during
// the quit questions, palettes first shown under a start-up alert) shows at once.
Boolean MyModalDialogFilter(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit);
// Brackets for every modal dialog the program runs itself.
void BeginModal();
void EndModal();
