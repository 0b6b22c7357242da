// Saving paint documents.
#pragma once

#include "platform/ui/Windows.h"

// Saves the paint window's document (only its selection when `copy` is set;
// asking for a new file when `saveAs` is set). Returns noErr or the error;
// on an error the document is left as it was and the user has been told why.
[[nodiscard]] OSErr SavePaintWindow(WindowRef window, SInt16 copy, SInt16 saveAs);
