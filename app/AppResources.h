// The application's own resources: compiled from resources/*.kr at build
// time and embedded in the program.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <string>

// The flat resource file's bytes (defined in the generated AppResources.cpp).
std::span<const UInt8> ApplicationResourceBytes();

// Opens them as the application's resource file, at the bottom of the chain,
// and makes it current. Returns the Resource Manager's error.
[[nodiscard]] OSErr OpenApplicationResources();

// The program's version as people read it: the short version string of
// 'vers' 1, which the build makes from the project's version. The About box
// and `korvel --version` show it; empty when the resource is missing or
// damaged.
std::string ApplicationVersionString();
