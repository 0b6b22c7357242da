// PNG documents: a paint document written as a PNG file, and a PNG file
// opened as a new paint document, through libpng.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Windows.h"

// Writes the paint document of the window to the file, beside it and then
// renamed over it. Failures have been shown to the user; the document is
// marked saved by the caller only on noErr.
[[nodiscard]] OSErr SaveAsPNG(WindowRef window, const FSSpec& spec);
// Opens the file as a new paint document. Failures have been shown.
[[nodiscard]] OSErr OpenPNGFile(const FSSpec& spec);
