#include "app/AppleEvents.h"

#include "app/Alerts.h"
#include "app/Shell.h"
#include "io/OpenDocuments.h"

#include <cassert>
#include <deque>

namespace {
struct OpenRequest {
    std::vector<FSSpec> items;
    bool customIcons = false;
};
std::deque<OpenRequest> gPendingOpens;

// The queue takes every event kind up to high-level ones, so posting cannot fail.
void PostHighLevelEvent(UInt32 request) {
    [[maybe_unused]] const OSErr err = PostEvent(kHighLevelEvent, request);
    assert(err == noErr);
}
}  // namespace

void PostOpenDocuments(std::vector<FSSpec> documents) {
    if (documents.empty()) return;
    gPendingOpens.push_back({std::move(documents), false});
    PostHighLevelEvent(kAEOpenDocuments);
}

void PostOpenCustomIcons(std::vector<FSSpec> items) {
    if (items.empty()) return;
    gPendingOpens.push_back({std::move(items), true});
    PostHighLevelEvent(kAEOpenDocuments);
}

void OpenDroppedFiles(const std::vector<std::string>& paths, Boolean commandKey) {
    constexpr SInt16 kCannotOpenItem = 15;  // in the picture file messages
    std::vector<FSSpec> items;
    for (const std::string& path : paths) {
        FSSpec fileSpec;
        if (FSSpecFromPath(path, &fileSpec) != noErr) {
            ErrorAlertNamed(kPaintFileErrStrings, kCannotOpenItem, path);
            continue;
        }
        items.push_back(fileSpec);
    }
    if (commandKey) PostOpenCustomIcons(std::move(items));
    else PostOpenDocuments(std::move(items));
}

void PostQuitApplication() { PostHighLevelEvent(kAEQuitApplication); }

void DoHighLevelEvent(const EventRecord* event) {
    switch (event->message) {
    case kAEOpenApplication:
        DoOpenApp();
        break;
    case kAEOpenDocuments:
        if (!gPendingOpens.empty()) {
            OpenRequest request = std::move(gPendingOpens.front());
            gPendingOpens.pop_front();
            if (!request.customIcons) {
                DoOpenDoc(request.items);
                break;
            }
            for (const FSSpec& item : request.items) (void)OpenCustomIcon(item);  // it tells its own failures
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
    for (const FSSpec& fileSpec : documents) (void)HandleOpenDoc(fileSpec);  // it tells its own failures
}

void DoQuitApp() { Quit(); }
