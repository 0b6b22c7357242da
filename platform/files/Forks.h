// Where a file's resource fork and Finder information live on this platform.
// The data fork is the file itself. The resource fork and Finder information
// come from, in this order: the AppleDouble companion "._name" beside the
// file; the file itself when it is an AppleSingle or MacBinary file, or a
// flat resource file (its data fork is a resource file).
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

#include <span>
#include <vector>

enum class ForkSource {
    none,         // the file has no resource fork
    appleDouble,  // the "._name" companion
    appleSingle,  // the file is an AppleSingle file
    flat,         // the data fork is itself a resource file
    macBinary,    // the file is a MacBinary II or III file
};

const char* ForkSourceName(ForkSource src);  // "appledouble", "flat", ...

// Reads the whole resource fork. eofErr (-39) when the file exists but has
// no resource fork; fnfErr when the file does not exist.
[[nodiscard]] OSErr ReadResourceFork(const FSSpec* fileSpec, std::vector<UInt8>* bytes, ForkSource* source);

// Replaces the whole resource fork, never leaving a half-written file: the
// new contents are written beside the old and renamed over them. `where`
// says where the fork lives: appleDouble (the companion, keeping its Finder
// information and other entries) or flat (the file's data fork). Forks read
// from AppleSingle or MacBinary files are written to an AppleDouble companion.
[[nodiscard]] OSErr WriteResourceFork(const FSSpec* fileSpec, std::span<const UInt8> bytes, ForkSource where);

// A cheap plausibility check that bytes are a resource file: the header's
// data and map areas lie inside the bytes and apart, the map is long enough
// for its own header, and the map's copy of the header is either zeros or
// the same. The full parser lives with the resource code.
bool LooksLikeResourceFile(std::span<const UInt8> bytes);

// Everything the file and its companion say about the file, read once.
struct ForkContents {
    ForkSource forkSource = ForkSource::none;  // where the resource fork came from
    std::vector<UInt8> resourceFork;
    ForkSource finderInfoSource = ForkSource::none;  // none: no stored information
    UInt8 finderInfo[32] = {};                       // FInfo then FXInfo, big-endian
};

// Reads the fork and Finder information of the file at `path`. With
// wantFork false only the Finder information is looked for, which reads just
// the head of a plain file. fnfErr when the file does not exist.
[[nodiscard]] OSErr ReadForkContents(const std::string& path, bool wantFork, ForkContents* out);
