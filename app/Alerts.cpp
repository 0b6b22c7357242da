#include "app/Alerts.h"

#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Dialogs.h"

#include <string>

Boolean gIsDialog = false;
WindowRef gFrontWindow = nullptr;

namespace {
int gModalDepth = 0;

enum : SInt16 {
    kConfirmAlertID = 203, kNoteAlertID = 204, kSaveQuestionDialog = 129, kRevertDialog = 137,
    kRevertPromptItem = 3,
};

std::string IndString(SInt16 listID, SInt16 index) {
    Str255 s;
    GetIndString(s, listID, index);
    return PStringToStd(s);
}

void ReplaceAll(std::string* text, std::string_view key, std::string_view value) {
    for (size_t at = text->find(key); at != std::string::npos; at = text->find(key, at + value.size())) {
        text->replace(at, key.size(), value);
    }
}

// Hands the texts to ^0 and ^1, each cut to a whole character within 255 bytes.
void SetParamTexts(std::string_view param0, std::string_view param1 = {}) {
    Str255 text0, text1;
    CopyCStringToPascal(TruncateUtf8(param0, 255), text0);
    CopyCStringToPascal(TruncateUtf8(param1, 255), text1);
    ParamText(text0, text1, nullptr, nullptr);
}

// Runs a dialog until one of items 1..lastItem is hit; 2 (cancel) when the
// dialog cannot be made.
DialogItemIndex RunQuestion(SInt16 dialogID, DialogItemIndex lastItem,
                            ModalFilterProcPtr filter = MyModalDialogFilter) {
    DialogRef dialog = GetNewDialog(dialogID, nullptr, kFirstWindowOfClass);
    if (!dialog) return kStdCancelItemIndex;
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    BeginModal();
    ShowWindow(dialog);
    DialogItemIndex item = 0;
    do {
        ModalDialog(filter, &item);
    } while (item < 1 || item > lastItem);
    EndModal();
    DisposeDialog(dialog);
    return item;
}

}  // namespace

Boolean MyModalDialogFilter(DialogRef, EventRecord* theEvent, DialogItemIndex*) {
    if (!theEvent || theEvent->what != updateEvt) return false;
    WindowRef window = EventWindow(*theEvent);
    if (window && !GetDialogFromWindow(window)) DoUpdate(theEvent);
    return false;
}

void BeginModal() {
    if (gModalDepth++ == 0) {
        gFrontWindow = FrontDocumentWindow();
        gIsDialog = true;
    }
}

void EndModal() {
    if (gModalDepth > 0 && --gModalDepth == 0) {
        gIsDialog = false;
        gFrontWindow = nullptr;
    }
}

void ErrorAlert(std::string_view message) {
    Str255 text;
    const Str255 none = {0};
    CopyCStringToPascal(message, text);
    ParamText(text, none, nullptr, nullptr);
    BeginModal();
    StopAlert(kErrorAlertID, MyModalDialogFilter);
    EndModal();
}

void ErrorAlertFromResource(SInt16 strListID, SInt16 index) {
    Str255 text;
    GetIndString(text, strListID, index);
    std::string message = PStringToStd(text);
    // A message missing from the resources still tells the user something.
    if (message.empty()) message = "An error occurred (" + std::to_string(strListID) + "/" + std::to_string(index) + ").";
    ErrorAlert(message);
}

void ErrorAlertNamed(SInt16 strListID, SInt16 index, std::string_view name) {
    std::string message = IndString(strListID, index);
    if (message.find("^0") != std::string::npos) ReplaceAll(&message, "^0", name);
    else message = std::string(name) + ": " + (message.empty() ? "an error occurred." : message);
    ErrorAlert(message);
}

void NoteAlertText(std::string_view message) {
    SetParamTexts(message);
    BeginModal();
    NoteAlert(kNoteAlertID, MyModalDialogFilter);
    EndModal();
}

Boolean MyConfirmDialog(SInt16 strListID, SInt16 index) {
    SetParamTexts(IndString(strListID, index));
    BeginModal();
    const DialogItemIndex item = CautionAlert(kConfirmAlertID, MyModalDialogFilter);
    EndModal();
    return item == kStdOkItemIndex;
}

Boolean RevertYN(ConstStr255Param title) {
    SetParamTexts(IndString(kSaveQuestionStrings, kRevertPromptItem), PStringToStd(title));
    return RunQuestion(kRevertDialog, 2) == kStdOkItemIndex;
}

Boolean CmdDFilter(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit) {
    // The letter d (with Command or without) answers "Don't Save".
    if (theEvent && theEvent->what == keyDown && itemHit) {
        const char key = char(theEvent->message & charCodeMask);
        if (key == 'd' || key == 'D') {
            *itemHit = kDontSaveItem;
            return true;
        }
    }
    return MyModalDialogFilter(theDialog, theEvent, itemHit);
}

SInt16 AskSaveChanges(SInt16 documentItem, ConstStr255Param name, Boolean quitting) {
    std::string prompt = IndString(kSaveQuestionStrings, quitting ? 2 : 1);
    ReplaceAll(&prompt, "^0", IndString(kSaveQuestionStrings, documentItem));
    ReplaceAll(&prompt, "^1", PStringToStd(name));
    SetParamTexts(prompt);
    return RunQuestion(kSaveQuestionDialog, kDontSaveItem, CmdDFilter);
}
