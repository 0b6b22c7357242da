// The four requests the program answers: open application, open documents,
// print documents and quit. On this platform they come from the command line
// (documents to open) and from the window manager (quit), queued as
// high-level events whose message is the request's event ID.
#pragma once

#include "platform/files/FSSpec.h"
#include "platform/ui/Events.h"

#include <string>
#include <vector>

enum : UInt32 {
    kAEOpenApplication = FourCC("oapp"),
    kAEOpenDocuments = FourCC("odoc"),
    kAEPrintDocuments = FourCC("pdoc"),
    kAEQuitApplication = FourCC("quit"),
};

void PostOpenDocuments(std::vector<FSSpec> documents);
// Opens the custom icons of the items rather than the items themselves (the
// command line's --icon-of), as an open-documents request does with Command held.
void PostOpenCustomIcons(std::vector<FSSpec> items);
void PostQuitApplication();
// Files dropped on the program (SetOpenDocumentsProc): queued as documents to
// open, or with the Command key held as custom icons to open.
void OpenDroppedFiles(const std::vector<std::string>& paths, Boolean commandKey);
void DoHighLevelEvent(const EventRecord* event);
// The handlers of the four requests; each tells the user of its own failures.
// DoOpenDoc opens each document in turn (HandleOpenDoc).
void DoOpenApp();
void DoOpenDoc(const std::vector<FSSpec>& documents);
void DoPrintDoc();
void DoQuitApp();
