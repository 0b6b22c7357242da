// The File Manager stand-in: FSSpec records, Finder information, creating,
// deleting, renaming and exchanging files, folders, open forks with file
// reference numbers, dates, and the program's special folders.
//
// The data fork is the file. Finder information (type, creator, flags,
// location) and the resource fork live in the AppleDouble companion "._name"
// beside the item (see Forks.h for the other places they are read from).
// Open forks are held in memory and stored back on FSClose through
// WriteFileAtomically / WriteResourceFork, so a failed save never leaves a
// half-written file.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/files/FileIO.h"

#include <span>
#include <string>
#include <vector>

// Finder information of a file (the first 16 bytes of the 32 kept for it).
// For a folder the same bytes hold its window rectangle, so only the flags
// mean the same thing; FSpGetFInfo reports a folder's type as 'fold'.
struct FInfo {
    OSType fdType = 0;
    OSType fdCreator = 0;
    UInt16 fdFlags = 0;
    Point fdLocation;
    SInt16 fdFldr = 0;
    friend bool operator==(const FInfo&, const FInfo&) = default;
};

// Finder flags this program uses.
enum : UInt16 {
    kIsInvisible = 0x4000,
    kHasCustomIcon = 0x0400,
    kHasBeenInited = 0x0100,
};

// Permissions and positioning modes.
enum : SInt8 { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };
enum : UInt16 { fsAtMark = 0, fsFromStart = 1, fsFromLEOF = 2, fsFromMark = 3 };

inline constexpr SInt16 smSystemScript = -1;
inline constexpr SInt32 fsRtParID = 1;
inline constexpr SInt32 fsRtDirID = 2;

// Seconds between 1904-01-01 and 1970-01-01: dates here count as the
// toolbox does, from 1904, unsigned 32-bit.
inline constexpr SInt64 kMacEpochOffset = 2082844800;

// Builds an FSSpec from a folder and a name. A directory ID of 0 is
// the working folder. The name may be a relative path ("a/b"); an empty name
// names the folder itself. dirNFErr when the parent folder is missing;
// fnfErr when only the item is missing, with the FSSpec filled in.
[[nodiscard]] OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* fileSpec);

// Finder information. Reading gives zeros where none is stored (and the
// suffix decides the type elsewhere, see FileTypes.h). Setting creates or
// rewrites the companion, keeping its resource fork and other entries.
[[nodiscard]] OSErr FSpGetFInfo(const FSSpec* fileSpec, FInfo* fndrInfo);
[[nodiscard]] OSErr FSpSetFInfo(const FSSpec* fileSpec, const FInfo* fndrInfo);
// The Finder flags of a file or folder; true when any Finder information is
// stored for the item.
[[nodiscard]] OSErr FSpGetFinderFlags(const FSSpec* fileSpec, UInt16* flags);
[[nodiscard]] OSErr FSpSetFinderFlags(const FSSpec* fileSpec, UInt16 flags);

// Creates an empty file (dupFNErr when the name is taken). A type or creator
// other than 0 is stored in a new companion.
[[nodiscard]] OSErr FSpCreate(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag);
[[nodiscard]] OSErr FSpDirCreate(const FSSpec* fileSpec, SInt16 scriptTag, SInt32* createdDirID);
// Deletes a file or an empty folder with its companion. fBsyErr for an open
// file or a folder that is not empty.
[[nodiscard]] OSErr FSpDelete(const FSSpec* fileSpec);
// Renames within the same folder, the companion with it. dupFNErr when the
// new name is taken.
[[nodiscard]] OSErr FSpRename(const FSSpec* fileSpec, ConstStr255Param newName);
// Swaps the contents (both forks and the Finder information) of two files;
// the names stay. Forks open on either file follow their contents.
[[nodiscard]] OSErr FSpExchangeFiles(const FSSpec* source, const FSSpec* dest);

// The directory ID of a folder (isDirectory true), or of a file's parent.
[[nodiscard]] OSErr FSpGetDirectoryID(const FSSpec* fileSpec, SInt32* theDirID, Boolean* isDirectory);
bool FSpIsFolder(const FSSpec* fileSpec);
bool FSpExists(const FSSpec* fileSpec);

// Open forks. An open resource fork reads and writes the fork's bytes; both
// kinds are stored back when closed (only when written to). opWrErr when the
// fork is already open for writing; permErr when the file is not writable.
[[nodiscard]] OSErr FSpOpenDF(const FSSpec* fileSpec, SInt8 permission, SInt16* refNum);
[[nodiscard]] OSErr FSpOpenRF(const FSSpec* fileSpec, SInt8 permission, SInt16* refNum);
// Reads up to *count bytes at the mark; eofErr with *count the bytes read
// when the end comes first.
[[nodiscard]] OSErr FSRead(SInt16 refNum, SInt32* count, void* buffPtr);
[[nodiscard]] OSErr FSWrite(SInt16 refNum, SInt32* count, const void* buffPtr);
[[nodiscard]] OSErr GetEOF(SInt16 refNum, SInt32* logEOF);
[[nodiscard]] OSErr SetEOF(SInt16 refNum, SInt32 logEOF);
[[nodiscard]] OSErr GetFPos(SInt16 refNum, SInt32* filePos);
// A position past the end puts the mark at the end and gives eofErr; before
// the start gives posErr and leaves the mark.
[[nodiscard]] OSErr SetFPos(SInt16 refNum, SInt16 posMode, SInt32 posOff);
[[nodiscard]] OSErr FSClose(SInt16 refNum);

// Modification dates in seconds since 1904. FSpBumpDate sets it to now.
[[nodiscard]] OSErr FSpGetModDate(const FSSpec* fileSpec, UInt32* modDate);
[[nodiscard]] OSErr FSpSetModDate(const FSSpec* fileSpec, UInt32 modDate);
[[nodiscard]] OSErr FSpBumpDate(const FSSpec* fileSpec);
UInt32 MacDateFromUnix(SInt64 seconds);
SInt64 UnixDateFromMac(UInt32 macDate);

// The names of a folder's entries as the host stores them, AppleDouble
// companions ("._name") included, in no particular order; at most `limit`
// of them. dirNFErr when the folder is unknown or missing.
[[nodiscard]] OSErr GetFolderEntryNames(SInt16 vRefNum, SInt32 dirID, size_t limit, std::vector<std::string>* names);

// Catalogue information of one item in one call.
struct KorvelCatInfo {
    bool isFolder = false;
    FInfo finderInfo;
    bool hasStoredFinderInfo = false;
    UInt32 modDate = 0;
    SInt64 dataLength = 0;  // 0 for a folder
    SInt32 dirID = 0;       // a folder's own ID
};
[[nodiscard]] OSErr FSpGetCatInfo(const FSSpec* fileSpec, KorvelCatInfo* info);

// Special folders: preferences ($XDG_CONFIG_HOME/Korvel, else
// ~/.config/Korvel), the program's data ($XDG_DATA_HOME/Korvel, else
// ~/.local/share/Korvel), temporary items (Korvel in the system's
// temporary folder) and the user's home. fnfErr when missing and not to be
// created.
inline constexpr SInt16 kOnSystemDisk = -32768;
inline constexpr Boolean kCreateFolder = true;
inline constexpr Boolean kDontCreateFolder = false;
inline constexpr OSType kPreferencesFolderType = FourCC("pref");
inline constexpr OSType kApplicationSupportFolderType = FourCC("asup");
inline constexpr OSType kTemporaryFolderType = FourCC("temp");
inline constexpr OSType kCurrentUserFolderType = FourCC("cusr");
[[nodiscard]] OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                               SInt32* foundDirID);
std::string FindFolderPath(OSType folderType);  // the path FindFolder uses, not created

// Written files are flushed as they are closed; this only reports success.
[[nodiscard]] OSErr FlushVol(ConstStringPtr volName, SInt16 vRefNum);
