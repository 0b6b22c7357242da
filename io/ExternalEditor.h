// Editing an icon member in another application: the member goes out as a
// PNG file in the temporary folder, opened in the external editor of the
// preferences (or the desktop's default application for PNG), and comes back
// into its family window whenever the editor saves the file, noticed by the
// idle pass. A member stays out until its file is gone.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Windows.h"

// Whether members can be handed out: an editor is named, or the desktop
// opens PNG files in its default application.
Boolean IsExternalEditingAvailable();
// Hands the family window's selected member to the editor. The error after
// the user has been told.
[[nodiscard]] OSErr OpenByExternalEditor(WindowRef familyWindow);
// Opens the file in the external editor (or the desktop's default application).
[[nodiscard]] OSErr OpenByExternalEditorMain(const FSSpec& file);
// Reads back every member whose file the editor changed; forgets members
// whose file is gone or whose window has closed. Run at idle time.
void UpdateXIconList();
// Whether the member of the window is out in the editor; with `reopen` it
// is handed to the editor again (its file made anew when it was deleted).
Boolean IsOpenedByExternalEditor(WindowRef familyWindow, SInt16 kind, Boolean reopen);
// Deletes the files of every member of the window that is out.
void CloseXIcon(WindowRef familyWindow);
// Takes the member back from the editor: its file is deleted, and later
// changes made there are no longer read.
void DropFromExternalEditor(WindowRef familyWindow, SInt16 kind);
// A new empty file in the temporary folder, named from string list 144 and
// a running counter, with `suffix`: creator 'Krvl', type `fileType`.
[[nodiscard]] OSErr MakeTempFile(FSSpec* file, OSType fileType, const char* suffix);
