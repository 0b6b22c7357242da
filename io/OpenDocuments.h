// Opening documents: every file that reaches the program (the Open command,
// the command line, a drop) goes through HandleOpenDoc, which chooses the
// kind of document from the file's type, or from its name's suffix when the
// type says nothing.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

// Opens one file or folder: an icon-family file or a Windows icon file into
// an icon-family window, a folder (or any file held with Command, or any
// file of a kind without a document of its own) as its custom icon. Kinds the
// program reads no documents of (pictures, resource files, settings files)
// are named in an alert. Every failure has been told to the user; the
// result says what it was.
[[nodiscard]] OSErr HandleOpenDoc(const FSSpec& fileSpec);
// Opens the custom icon of a file or folder, whatever the file holds.
[[nodiscard]] OSErr OpenCustomIcon(const FSSpec& item);
// The Open command: asks for a file and opens it.
void OpenIcon();
// Whether two specifications name the same item: the same folder and name
// (names compared exactly, as this system's file names are), or two names
// of one file (links).
Boolean EqualFile(const FSSpec& a, const FSSpec& b);
