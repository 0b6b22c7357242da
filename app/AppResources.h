// The application's own resources: compiled from resources/*.kr at build
// time and embedded in the program.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>

// The flat resource file's bytes (defined in the generated AppResources.cpp).
std::span<const UInt8> ApplicationResourceBytes();

// Opens them as the application's resource file, at the bottom of the chain,
// and makes it current. Returns the Resource Manager's error.
[[nodiscard]] OSErr OpenApplicationResources();
