// PICT documents: the document picture written to a PICT file (512 zero
// bytes, then the picture, the zoom in the resource fork), and a PICT file,
// plain or layered, opened as a new paint document.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/picture/Pictures.h"

// Opens the file as a new paint document (or brings its window forward when
// it is open already). Failures have been shown.
[[nodiscard]] OSErr OpenPictFile(const FSSpec& spec);
// The picture of a PICT file, or none after the alert saying why.
PicHandle LoadFromPict(const FSSpec& spec);
// Writes the picture as a PICT file, beside the file and then renamed over it.
[[nodiscard]] OSErr SaveAsPictMain(PicHandle pic, const FSSpec& spec);
