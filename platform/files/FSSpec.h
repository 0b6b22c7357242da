// FSSpec records: each names a parent folder and a UTF-8
// name. Folders are known by directory IDs handed out by this layer (an ID
// stands for one absolute folder path for the life of the process), so that
// FSSpec records keep the toolbox's shape: volume, parent directory ID, name.
#pragma once

#include "platform/core/MacTypes.h"

#include <string>

struct FSSpec {
    SInt16 vRefNum = 0;
    SInt32 parID = 0;
    Str255 name = {0};  // UTF-8, length-prefixed
};
using FSSpecPtr = FSSpec*;

// The volume reference of the one volume this layer presents.
inline constexpr SInt16 kKorvelVolume = -1;

// Builds an FSSpec from a path (absolute or relative to the working
// folder). The item need not exist; its parent folder must (else dirNFErr).
// A name longer than 255 bytes gives bdNamErr.
[[nodiscard]] OSErr FSSpecFromPath(const std::string& path, FSSpec* fileSpec);
// The absolute path of the item an FSSpec names.
std::string FSSpecToPath(const FSSpec* fileSpec);
// The directory ID of a folder path (made on first use), and back.
SInt32 DirIDForPath(const std::string& folderPath);
std::string PathForDirID(SInt32 dirID);  // empty for an unknown ID
