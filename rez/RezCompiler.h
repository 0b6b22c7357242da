// korvel-rez: compiles the application's resource sources (resources/*.kr,
// described in docs/RESOURCES.md) into a resource fork image.
//
// The compiler is a library so that the tests drive it in-process; the
// command-line tool (main.cpp) only reads files and writes the outputs.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/resources/ResourceFork.h"

#include <span>
#include <string>
#include <vector>

struct RezSource {
    std::string path;  // used in messages only
    std::string text;
};

struct RezError {
    std::string path;
    int line = 0;
    std::string message;
    // "path:line: error: message", the form editors and build logs understand.
    std::string Format() const;
};

// Every resource of every source, in source order. False with the first
// error when any source is malformed; `out` is then unspecified.
bool CompileResourceSources(std::span<const RezSource> sources, ResourceForkImage* out, RezError* error);

// A C++ translation unit that defines ApplicationResourceBytes() over `bytes`.
std::string ResourceBytesAsCpp(std::span<const UInt8> bytes);
