// The program as a whole: the toolbox, start-up, the loop and shut-down, and
// the documents named on the command line.
#include "app/AppleEvents.h"
#include "app/Shell.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Application.h"
#include "platform/ui/Windows.h"

#include <vector>

int RunApplication(int argc, char** argv) {
    InitToolbox(argc, argv);
    if (InitWindows() != noErr) return 1;
    SetQuitRequestProc(PostQuitApplication);
    int status = 0;
    if (StartUp()) {
        std::vector<FSSpec> documents;
        for (int i = 1; i < argc; ++i) {
            FSSpec fileSpec;
            if (FSSpecFromPath(argv[i], &fileSpec) == noErr) documents.push_back(fileSpec);
        }
        // The start-up action of the preferences: a new picture when the
        // user named no documents. (Asking for a file to open waits for the
        // open dialog.)
        if (documents.empty() && gStartup == 1) NewPaintWindow();
        PostOpenDocuments(std::move(documents));
        MainLoop();
    } else {
        status = 1;
    }
    ShutDown();
    TearDownWindows();
    TearDownToolbox();
    return status;
}
