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
SInt16 OpenFork(const FSSpec* spec, SInt8 permission, bool application) {
    if (!spec) {
        SetResError(paramErr);
        return kResFileNotOpen;
    }
    const std::string path = FSSpecToPath(spec);
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
    if (OSErr err = ReadResourceFork(spec, &bytes, &source)) {
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
            const FSSpec target = *spec;
            writer = [target, where](std::span<const UInt8> b) { return WriteResourceFork(&target, b, where); };
        }
    }
    return OpenResFileWithWriter(bytes, std::move(writer), path);
}

}  // namespace

SInt16 FSpOpenResFile(const FSSpec* spec, SInt8 permission) { return OpenFork(spec, permission, false); }

SInt16 OpenApplicationResFile(const FSSpec* spec) { return OpenFork(spec, fsRdPerm, true); }

void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, SInt16 scriptTag) {
    if (!spec) {
        SetResError(paramErr);
        return;
    }
    const std::string path = FSSpecToPath(spec);
    if (path.empty()) {
        SetResError(dirNFErr);
        return;
    }
    const std::vector<UInt8> empty = EmptyFork();
    if (!FSpExists(spec)) {
        // A new file keeps its fork in its data fork: one file, nothing beside.
        if (OSErr err = FSpCreate(spec, creator, fileType, scriptTag)) {
            SetResError(err);
            return;
        }
        FInfo info;
        if (OSErr err = FSpGetFInfo(spec, &info)) {
            SetResError(err);
            return;
        }
        if (info.fdType != fileType || info.fdCreator != creator) {
            info.fdType = fileType;
            info.fdCreator = creator;
            if (OSErr err = FSpSetFInfo(spec, &info)) {
                SetResError(err);
                return;
            }
        }
        SetResError(WriteResourceFork(spec, empty, ForkSource::flat));
        return;
    }
    std::vector<UInt8> bytes;
    ForkSource source = ForkSource::none;
    const OSErr err = ReadResourceFork(spec, &bytes, &source);
    if (err == noErr) {
        SetResError(dupFNErr);
    } else if (err == eofErr) {
        SetResError(WriteResourceFork(spec, empty, ForkSource::appleDouble));
    } else {
        SetResError(err);
    }
}
