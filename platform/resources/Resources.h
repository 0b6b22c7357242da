// The Resource Manager: resource files opened into a search chain, and
// resources handed out as handles.
//
// Open files form a chain, the most recently opened first and the
// application's resource file at the bottom. GetResource and its kin search
// from the current file down the chain; the Get1 forms search the current
// file only. A resource's handle is owned by its file: repeated gets return
// the same handle, ReleaseResource frees it, DetachResource hands it to the
// caller, and closing the file frees every handle still attached. Changes
// are written when the file is updated or closed, as one whole, compact fork
// that replaces the old one (never a partial rewrite in place).
//
// Every operation sets ResError. Rules beyond the toolbox's, so that a file
// can always be read back:
// - a type and ID can exist only once per file: AddResource of an existing
//   pair, or SetResInfo onto another resource's ID, fails with addResFailed;
// - a change is never lost silently: ReleaseResource and DetachResource of a
//   changed resource keep its bytes for the next write, and SetResInfo,
//   SetResAttrs and SetResFileAttrs mark the map changed;
// - a file opened read-only, or whose map is marked read-only, refuses
//   changes with wrPermErr;
// - a fork that does not parse is refused at open (mapReadErr) and so can
//   never be written back.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/core/Memory.h"
#include "platform/files/FSSpec.h"
#include "platform/files/Files.h"  // open permissions
#include "platform/resources/ResourceFork.h"

#include <span>
#include <vector>

inline constexpr SInt16 kResFileNotOpen = -1;

// Closes every open file (writing their changes) and forgets the chain and
// the application's resource file. For start-up and for tests.
void InitResources();

// The application's own resources: opened read-only at the bottom of the
// chain and made current. A second call replaces the first file.
SInt16 OpenApplicationResFile(const FSSpec* fileSpec);
SInt16 OpenApplicationResFileFromBytes(std::span<const UInt8> bytes);
SInt16 GetApplicationResFile();  // kResFileNotOpen when none

// Files on disk. The fork is found as Forks.h describes and written back to
// the same place (to the AppleDouble companion for a fork read from an
// AppleSingle or MacBinary file). fsCurPerm opens for writing when the file
// can be written, else read-only; asking for writing where that is not
// allowed gives permErr. A file opened twice gives the same reference number
// (with opWrErr in ResError when the first open already allowed writing and
// the second asks for it). No fork: eofErr; a missing file: fnfErr.
SInt16 FSpOpenResFile(const FSSpec* fileSpec, SInt8 permission);
// A missing file is made a flat resource file (its data fork holds the
// fork) with the type and creator in its Finder information; an existing
// file without a resource fork gets an empty fork in its AppleDouble
// companion; a file that already has one gives dupFNErr.
void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag);

// Files in memory: written to an internal buffer instead of a disk.
SInt16 OpenResFileFromBytes(std::span<const UInt8> bytes, SInt8 permission);
SInt16 NewResFileInMemory();
// The fork the file would write now, with every pending change.
[[nodiscard]] OSErr GetResFileBytes(SInt16 refNum, std::vector<UInt8>* out);

void CloseResFile(SInt16 refNum);
void UseResFile(SInt16 refNum);
SInt16 CurResFile();
SInt16 HomeResFile(Handle theResource);
// True when the handle belongs to an open resource file (its file frees
// it); unlike HomeResFile it leaves ResError alone.
bool IsResourceHandle(Handle h);
void UpdateResFile(SInt16 refNum);
SInt16 GetResFileAttrs(SInt16 refNum);
void SetResFileAttrs(SInt16 refNum, SInt16 attrs);

// Finding resources.
void SetResLoad(Boolean load);
Handle GetResource(ResType theType, ResID theID);
Handle Get1Resource(ResType theType, ResID theID);
// Names compare without regard to ASCII case.
Handle GetNamedResource(ResType theType, ConstStr255Param name);
Handle Get1NamedResource(ResType theType, ConstStr255Param name);
Handle GetIndResource(ResType theType, SInt16 index);  // 1-based
Handle Get1IndResource(ResType theType, SInt16 index);
SInt16 CountResources(ResType theType);
SInt16 Count1Resources(ResType theType);
SInt16 CountTypes();  // distinct types along the chain
SInt16 Count1Types();
void GetIndType(ResType* theType, SInt16 index);
void Get1IndType(ResType* theType, SInt16 index);
// The smallest ID from 128 up that is free in the current file (Unique1ID)
// or along the chain (UniqueID); 0 when every positive ID is taken.
ResID Unique1ID(ResType theType);
ResID UniqueID(ResType theType);

// Resource handles.
void LoadResource(Handle theResource);
void ReleaseResource(Handle theResource);
void DetachResource(Handle theResource);
// Takes ownership of `theData` into the current file on success. An empty
// name (or null) gives a resource without a name.
void AddResource(Handle theData, ResType theType, ResID theID, ConstStr255Param name);
// The handle stays valid and passes to the caller, who disposes of it.
void RemoveResource(Handle theResource);
void ChangedResource(Handle theResource);
void WriteResource(Handle theResource);
void GetResInfo(Handle theResource, ResID* theID, ResType* theType, StringPtr name);
void SetResInfo(Handle theResource, ResID theID, ConstStr255Param name);  // null name: unchanged
SInt16 GetResAttrs(Handle theResource);
void SetResAttrs(Handle theResource, SInt16 attrs);  // resChanged is kept as it is
Size GetResourceSizeOnDisk(Handle theResource);
Size GetMaxResourceSize(Handle theResource);

[[nodiscard]] OSErr ResError();

// Item `index` (1-based) of the 'STR#' resource `strListID` found along the
// chain; an empty string when the list or the item does not exist.
void GetIndString(StringPtr theString, SInt16 strListID, SInt16 index);
