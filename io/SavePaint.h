// Saving paint documents: the save command, its dialog with the format
// choice, and revert.
#pragma once

#include "platform/files/FSSpec.h"
#include "platform/ui/NavDialogs.h"
#include "platform/ui/Windows.h"

// The save formats: the pop-up's four (PICT, PNG, icon folder, Windows
// icon), then the two icon formats cut into 32 × 32 tiles.
inline constexpr int kFileTypeCount = 6;
extern const OSType gFileTypeList[kFileTypeCount];

// Saves the paint window's document (only its selection when `copy` is set;
// asking for a new file when `saveAs` is set). Returns noErr or the error;
// on an error the document is left as it was and the user has been told why.
// Only a save whose writer succeeded marks the document saved.
[[nodiscard]] OSErr SavePaintWindow(WindowRef window, SInt16 copy, SInt16 saveAs);
// The save dialog: proposes fileSpec's name and the format of `type`, returns
// the file and the type chosen (the split box turning the icon formats into
// their tiled forms, whose names lose the tile number the dialog showed).
// userCanceledErr when cancelled.
[[nodiscard]] OSErr SaveFileWithNav(FSSpec* fileSpec, OSType* type, NavReplyRecord* reply, int tileCount);
// The pop-up item (from 1) of a file type, and whether it is a tiled type.
SInt16 FormatItemForType(OSType type, Boolean* split);
// Asks, then reopens the document's file (PICT, PNG) or its family member;
// other types beep.
[[nodiscard]] OSErr DoRevertPaintWindow(WindowRef window);
