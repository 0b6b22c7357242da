#include "app/AppleEvents.h"

#include "app/Alerts.h"
#include "app/Shell.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"

#include <cassert>
#include <deque>
#include <string>

namespace {
std::deque<std::vector<FSSpec>> gPendingOpens;

// The queue takes every event kind up to high-level ones, so posting cannot fail.
void PostHighLevelEvent(UInt32 request) {
    [[maybe_unused]] const OSErr err = PostEvent(kHighLevelEvent, request);
    assert(err == noErr);
}
}  // namespace

void PostOpenDocuments(std::vector<FSSpec> documents) {
    if (documents.empty()) return;
    gPendingOpens.push_back(std::move(documents));
    PostHighLevelEvent(kAEOpenDocuments);
}

void PostQuitApplication() { PostHighLevelEvent(kAEQuitApplication); }

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

void DoOpenApp() {}
void DoPrintDoc() {}

void DoOpenDoc(const std::vector<FSSpec>& documents) {
    for (const FSSpec& fileSpec : documents) {
        Str255 text;
        GetIndString(text, kAppleEventErrStrings, 7);
        std::string message = PStringToStd(text);
        std::string name = PStringToStd(fileSpec.name);
        if (auto at = message.find("^0"); at != std::string::npos) message.replace(at, 2, name);
        else message = name + ": " + message;
        ErrorAlert(message);
    }
}

void DoQuitApp() { Quit(); }
