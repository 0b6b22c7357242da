// The pieces of `korvel convert` shared by its picture and icon halves.
#pragma once

#include "palettes/Prefs.h"
#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/raster/QDTypes.h"

#include <string>

struct ConvertOptions {
    std::string in, out;
    SInt16 memberKind = -1;      // --member
    bool hasId = false;          // --id: the icon's resource ID in a resource file
    ResID id = 128;
    SInt16 width = 0, height = 0;  // --size: a drawing's size; 0 for its own
    // The PNG settings: the program's defaults, but not interlaced unless asked.
    PNGFilePrefs png{.interlaced = 0};
};

// The kind of file a name's suffix gives.
enum class OutputKind { png, pict, icns, ico, rsrc, other };
OutputKind InputKindOf(const std::string& path);

// Prints "korvel: PATH: WHY" and gives the exit status of a refusal (1).
int Refuse(const std::string& path, const std::string& why);

// An icon file to another kind, or one of its members to a PNG.
int ConvertIcon(const ConvertOptions& o, const FSSpec& in, const FSSpec& out, OutputKind inKind, OutputKind outKind);
// Stores the picture into member o.memberKind of the icon file `out` (made
// when missing) and writes it.
int StoreMember(const ConvertOptions& o, const FSSpec& out, OutputKind outKind, PicHandle picture);
