// Opening documents: every file that reaches the program (the Open command,
// the command line, a drop) goes through HandleOpenDoc, which chooses the
// kind of document from the file's type, or from its name's suffix when the
// type says nothing.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

#include <vector>

// Opens one file or folder by its kind: a PICT or PNG picture, a picture the
// importers read, an icon family or Windows icon, the preferences; a folder
// (or any item while the Command key is held) as its custom icon. Kinds
// without a document window here are named in an alert. Every failure has
// been told to the user; the result says what it was.
[[nodiscard]] OSErr HandleOpenDoc(const FSSpec& fileSpec);
// Opens the custom icon of a file or folder, whatever the file holds.
[[nodiscard]] OSErr OpenCustomIcon(const FSSpec& item);
// The Open dialog with the prompt: the files chosen (several at once) are
// sent to the program as one open-documents request.
void OpenFileWithNav(ConstStr255Param prompt);
// The Open command.
void OpenIcon();
// Whether a visible paint window of its own (not an icon member) shows the
// file; that window is then brought to the front.
Boolean IsFileOpened(const FSSpec& fileSpec);
// Whether two FSSpecs name the same item: the same folder and name
// (names compared exactly, as this system's file names are), or two names
// of one file (links).
Boolean EqualFile(const FSSpec& a, const FSSpec& b);
// The start-up action of the preferences (gStartup): 1 a new picture, 2 the
// Open dialog; 0 nothing, and any other value is reset to 0.
void HandleOpenApp();
