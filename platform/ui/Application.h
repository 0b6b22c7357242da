// The process-wide toolbox set-up: the Qt application object (made here when
// the caller has none) and the requests the window manager makes of the
// program as a whole.
#pragma once

#include "platform/core/MacTypes.h"

#include <string>
#include <vector>

// Makes the Qt application if none exists yet, with whole-number scaling on
// high-DPI screens so that ports stay pixel-exact. Safe to call twice.
void InitToolbox(int& argc, char** argv);
void TearDownToolbox();  // destroys the application object when InitToolbox made it

// Closing the main window asks the program to quit rather than closing it:
// the program decides (save questions) and ends its loop itself.
using QuitRequestProcPtr = void (*)();
void SetQuitRequestProc(QuitRequestProcPtr proc);
void RequestQuit();  // called by the main window when the user closes it

// Files dropped on the main window, outside any window that takes them: the
// proc gets their paths in order and whether the Command key was held.
using OpenDocumentsProcPtr = void (*)(const std::vector<std::string>& paths, Boolean commandKey);
// Takes the drops from now on (the main window must exist); none stops taking them.
void SetOpenDocumentsProc(OpenDocumentsProcPtr proc);
