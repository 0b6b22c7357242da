#include "app/AppleEvents.h"

#include "app/Alerts.h"
#include "app/Shell.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"

#include <deque>
#include <string>

namespace {
std::deque<std::vector<FSSpec>> gPendingOpens;
OpenDocumentProcPtr gOpenDocumentProc = nullptr;
}  // namespace

void SetOpenDocumentProc(OpenDocumentProcPtr proc) { gOpenDocumentProc = proc; }

void PostOpenDocuments(std::vector<FSSpec> documents) {
    if (documents.empty()) return;
    gPendingOpens.push_back(std::move(documents));
    PostEvent(kHighLevelEvent, kAEOpenDocuments);
}

void PostQuitApplication() { PostEvent(kHighLevelEvent, kAEQuitApplication); }

void DoHighLevelEvent(const EventRecord* event) {
    switch (event->message) {
    case kAEOpenApplication:
        DoOpenApp();
        break;
    case kAEOpenDocuments:
        if (!gPendingOpens.empty()) {
            std::vector<FSSpec> documents = std::move(gPendingOpens.front());
            gPendingOpens.pop_front();
            DoOpenDoc(documents);
        }
        break;
    case kAEPrintDocuments:
        DoPrintDoc();
        break;
    case kAEQuitApplication:
        DoQuitApp();
        break;
    default:
        break;
    }
}

OSErr DoOpenApp() { return noErr; }
OSErr DoPrintDoc() { return noErr; }

OSErr DoOpenDoc(const std::vector<FSSpec>& documents) {
    for (const FSSpec& fileSpec : documents) {
        if (gOpenDocumentProc && gOpenDocumentProc(&fileSpec)) continue;
        Str255 text;
        GetIndString(text, kAppleEventErrStrings, 7);
        std::string message = PStringToStd(text);
        std::string name = PStringToStd(fileSpec.name);
        if (auto at = message.find("^0"); at != std::string::npos) message.replace(at, 2, name);
        else message = name + ": " + message;
        ErrorAlert(message);
    }
    return noErr;
}

OSErr DoQuitApp() {
    Quit();
    return noErr;
}
