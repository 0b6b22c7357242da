// The Resource Manager's files on disk: forks read and written through
// Forks.h, Finder information through Files.h.
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/resources/Resources.h"
#include "platform/resources/ResourcesInternal.h"

#include <filesystem>
#include <unistd.h>

namespace {

std::vector<UInt8> EmptyFork() {
    std::vector<UInt8> bytes;
    (void)SerializeResourceFork(ResourceForkImage{}, &bytes);
    return bytes;
}

// Whether a write through WriteResourceFork can succeed: both kinds of write
// replace a file by renaming a new one over it in the same folder.
bool CanWrite(const std::string& path, ForkSource where) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) return false;
    return where != ForkSource::flat || access(path.c_str(), W_OK) == 0;
}

// Reads and parses the fork of a file; kResFileNotOpen with ResError set on
// failure.
SInt16 OpenFork(const FSSpec* fileSpec, SInt8 permission, bool application) {
    if (!fileSpec) {
        SetResError(paramErr);
        return kResFileNotOpen;
    }
    const std::string path = FSSpecToPath(fileSpec);
    if (path.empty()) {
        SetResError(dirNFErr);
        return kResFileNotOpen;
    }
    const bool wantsWrite = permission != fsRdPerm && !application;
    if (!application) {
        bool openWritable = false;
        const SInt16 open = FindOpenResFile(path, &openWritable);
        if (open != kResFileNotOpen) {
            MakeResFileCurrent(open);
            SetResError(openWritable && wantsWrite && permission != fsCurPerm ? opWrErr : noErr);
            return open;
        }
    }
    std::vector<UInt8> bytes;
    ForkSource source = ForkSource::none;
    if (OSErr err = ReadResourceFork(fileSpec, &bytes, &source)) {
        SetResError(err);
        return kResFileNotOpen;
    }
    if (application) return OpenApplicationResFileFromBytes(bytes);

    const ForkSource where = source == ForkSource::flat ? ForkSource::flat : ForkSource::appleDouble;
    ResForkWriter writer;
    if (wantsWrite) {
        if (!CanWrite(path, where)) {
            if (permission != fsCurPerm) {
                SetResError(permErr);
                return kResFileNotOpen;
            }
        } else {
            const FSSpec target = *fileSpec;
            writer = [target, where](std::span<const UInt8> b) { return WriteResourceFork(&target, b, where); };
        }
    }
    return OpenResFileWithWriter(bytes, std::move(writer), path);
}

}  // namespace

SInt16 FSpOpenResFile(const FSSpec* fileSpec, SInt8 permission) { return OpenFork(fileSpec, permission, false); }

SInt16 OpenApplicationResFile(const FSSpec* fileSpec) { return OpenFork(fileSpec, fsRdPerm, true); }

void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag) {
    if (!fileSpec) {
        SetResError(paramErr);
        return;
    }
    const std::string path = FSSpecToPath(fileSpec);
    if (path.empty()) {
        SetResError(dirNFErr);
        return;
    }
    const std::vector<UInt8> empty = EmptyFork();
    if (!FSpExists(fileSpec)) {
        // A new file keeps its fork in its data fork: one file, nothing beside.
        if (OSErr err = FSpCreate(fileSpec, creator, fileType, scriptTag)) {
            SetResError(err);
            return;
        }
        FInfo info;
        if (OSErr err = FSpGetFInfo(fileSpec, &info)) {
            SetResError(err);
            return;
        }
        if (info.fdType != fileType || info.fdCreator != creator) {
            info.fdType = fileType;
            info.fdCreator = creator;
            if (OSErr err = FSpSetFInfo(fileSpec, &info)) {
                SetResError(err);
                return;
            }
        }
        SetResError(WriteResourceFork(fileSpec, empty, ForkSource::flat));
        return;
    }
    std::vector<UInt8> bytes;
    ForkSource source = ForkSource::none;
    const OSErr err = ReadResourceFork(fileSpec, &bytes, &source);
    if (err == noErr) {
        SetResError(dupFNErr);
    } else if (err == eofErr) {
        SetResError(WriteResourceFork(fileSpec, empty, ForkSource::appleDouble));
    } else {
        SetResError(err);
    }
}
