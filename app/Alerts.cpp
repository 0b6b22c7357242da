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
