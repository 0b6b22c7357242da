// The program as a whole: the toolbox, start-up, the loop and shut-down, and
// the documents named on the command line.
#include "app/Alerts.h"
#include "app/AppleEvents.h"
#include "app/CommandLine.h"
#include "app/Shell.h"
#include "io/OpenDocuments.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Application.h"
#include "platform/ui/Windows.h"

#include <vector>

namespace {

constexpr SInt16 kCannotOpenItem = 15;  // in the picture file messages

// Queues the named documents as open requests, in order, after start-up; a
// path whose folder does not exist is named in an alert.
void OpenDocumentArguments(const std::vector<DocumentArgument>& documents) {
    for (const DocumentArgument& document : documents) {
        FSSpec fileSpec;
        if (FSSpecFromPath(document.path, &fileSpec) != noErr) {
            ErrorAlertNamed(kPaintFileErrStrings, kCannotOpenItem, document.path);
            continue;
        }
        if (document.customIcon) PostOpenCustomIcons({fileSpec});
        else PostOpenDocuments({fileSpec});
    }
}

}  // namespace

int RunApplication(int argc, char** argv) {
    // Arguments are checked before the toolkit starts, so that a mistake
    // prints the usage alone.
    std::vector<DocumentArgument> documents;
    if (!ParseDocumentArguments(argc, argv, &documents)) return 2;
    InitToolbox(argc, argv);
    if (InitWindows() != noErr) return 1;
    SetQuitRequestProc(PostQuitApplication);
    SetOpenDocumentsProc(OpenDroppedFiles);
    int status = 0;
    if (StartUp()) {
        // The start-up action of the preferences, when the user named no documents.
        if (documents.empty()) HandleOpenApp();
        OpenDocumentArguments(documents);
        MainLoop();
    } else {
        status = 1;
    }
    ShutDown();
    TearDownWindows();
    TearDownToolbox();
    return status;
}
