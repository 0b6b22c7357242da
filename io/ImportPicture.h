// Pictures of other formats (JPEG, GIF, BMP, TIFF, WebP, SVG, ...) opened as
// new paint documents through the platform's graphics importers.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Windows.h"

// Opens the file as a new, untitled paint document named after it (or
// brings its window forward when it is open already). Transparency becomes
// the document's mask: opaque where the alpha is at least half. A drawing
// (SVG) is drawn at the size the user chooses. Failures have been shown; the
// window is made only when the picture was read.
[[nodiscard]] OSErr OpenImportedPicture(const FSSpec& file);
// The same without asking: a drawing is drawn at `drawingSize` (its own
// size when that is empty; asked for when there is none).
[[nodiscard]] OSErr OpenImportedPictureAt(const FSSpec& file, const Rect* drawingSize);
// Asks at which size to draw a drawing named `name`, starting from the size
// given: false when the user cancels.
Boolean AskDrawingSize(ConstStr255Param name, SInt16* width, SInt16* height);
