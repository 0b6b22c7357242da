// PNG documents: a paint document written as a PNG file, and a PNG file
// opened as a new paint document, through libpng (see PngData.h).
#pragma once

#include "io/PngData.h"
#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

// Writes the paint document of the window to the file, beside it and then
// renamed over it, as the PNG settings (gPNGFilePrefs) say. Failures have
// been shown to the user; the document is marked saved by the caller only
// on noErr.
[[nodiscard]] OSErr SaveAsPNG(WindowRef window, const FSSpec& fileSpec);
// Opens the file as a new paint document, or brings forward the paint
// window that shows it already. Failures have been shown.
[[nodiscard]] OSErr OpenPNGFile(const FSSpec& fileSpec);

// Writes the top-left of the buffer, as large as the region's bounding box,
// to the file: a palette image of `colorCount` entries for a depth of at
// most 8, else RGB. interlace > 0 writes Adam7; transIndex < 0 writes no
// transparency, otherwise it is the transparent palette index (or, for RGB,
// says that transColor is transparent). A new file gets type 'PNGf' and the
// creator. Failures have been shown; a failed write keeps the old file.
[[nodiscard]] OSErr PNGEncode(const FSSpec& fileSpec, GWorldPtr buffer, RgnHandle region, SInt16 colorCount,
                              SInt16 depth, SInt16 interlace, SInt16 transIndex, const RGBColor& transColor,
                              SInt16 compressLevel, OSType creator);
// Reads the file into a new buffer, with its mask when the file has an
// alpha channel or (wantMask) palette or colour-key transparency. Alerts
// say why a file is refused or cannot be read, and give the notice for an
// alpha channel.
[[nodiscard]] OSErr PNGDecode(const FSSpec& fileSpec, PNGDecoded* decoded, Boolean wantMask);
