// Between the Resource Manager's core (Resources.cpp) and its file-backed
// half (ResourceFiles.cpp), and for tests that watch what a file writes.
#pragma once

#include "platform/resources/Resources.h"

#include <functional>
#include <span>
#include <string>

// Replaces a file's whole fork; called with the compact bytes when the file
// is updated. An error leaves the file's pending changes in place.
using ResForkWriter = std::function<OSErr(std::span<const UInt8> bytes)>;

// Opens a parsed fork at the top of the chain and makes it current. A null
// writer makes the file read-only. `identity` names the file for
// FindOpenResFile (empty for files that have none).
SInt16 OpenResFileFromImage(ResourceForkImage image, ResForkWriter writer, std::string identity);
// Parses and opens; mapReadErr (and kResFileNotOpen) for a damaged fork,
// eofErr for an empty one.
SInt16 OpenResFileWithWriter(std::span<const UInt8> bytes, ResForkWriter writer, std::string identity);
// The reference number of an open file with that identity, or
// kResFileNotOpen; `writable` tells whether it was opened for writing.
SInt16 FindOpenResFile(const std::string& identity, bool* writable);
void SetResError(OSErr err);
// Makes an open file current (for a second open of the same file).
void MakeResFileCurrent(SInt16 refNum);
