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
// A listed message with ^0 replaced by `name` (or the name after it when the
// message has no ^0), in alert 201.
void ErrorAlertNamed(SInt16 strListID, SInt16 index, std::string_view name);
// A note (alert 204) that tells the user something went only partly as asked.
void NoteAlertText(std::string_view message);

// Questions. MyConfirmDialog asks the listed question in alert 203: true for
// OK. RevertYN asks whether to go back to the saved version of the document
// titled `title` (dialog 137). AskSaveChanges asks whether to save the
// changes to a document before closing it (or before quitting): the kind of
// document is item `documentItem` of the save questions' list 133, the
// document's name `name`; 1 save, 2 cancel, 3 don't save.
enum : SInt16 { kSaveQuestionStrings = 133, kPictureDocumentItem = 5, kIconFamilyDocumentItem = 6,
       kIconMemberDocumentItem = 7 };
enum : SInt16 { kDontSaveItem = 3 };
// The save question's filter: the letter d answers kDontSaveItem.
Boolean CmdDFilter(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit);
Boolean MyConfirmDialog(SInt16 strListID, SInt16 index);
Boolean RevertYN(ConstStr255Param title);
SInt16 AskSaveChanges(SInt16 documentItem, ConstStr255Param name, Boolean quitting);
// The filter of the program's modal dialogs and alerts: the other windows
// are drawn on their update events while the dialog is up, so that what
// changes behind a dialog (the preview following the front document during
// the quit questions, palettes first shown under a start-up alert) shows at once.
Boolean MyModalDialogFilter(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit);
// Brackets for every modal dialog the program runs itself.
void BeginModal();
void EndModal();
