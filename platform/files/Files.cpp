#include "platform/files/Files.h"

#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/files/AppleDouble.h"
#include "platform/files/Forks.h"

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

namespace {

// ---- names and paths ----

std::string NameOf(ConstStr255Param name) { return name ? PStringToStd(name) : std::string(); }

// A single name for a new item: not empty, no separators, no NUL, not a
// reference to this or the parent folder.
bool IsValidName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

[[nodiscard]] OSErr PathOf(const FSSpec* fileSpec, std::string* path) {
    if (!fileSpec) return paramErr;
    *path = FSSpecToPath(fileSpec);
    return path->empty() ? dirNFErr : noErr;
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// ---- Finder information ----

FInfo DecodeFInfo(const UInt8* b) {
    ByteReader r(std::span<const UInt8>(b, 16));
    FInfo f;
    f.fdType = r.u32be();
    f.fdCreator = r.u32be();
    f.fdFlags = r.u16be();
    f.fdLocation = r.point();
    f.fdFldr = r.s16be();
    return f;
}

void EncodeFInfo(const FInfo& f, UInt8* b) {
    ByteWriter w;
    w.u32be(f.fdType);
    w.u32be(f.fdCreator);
    w.u16be(f.fdFlags);
    w.point(f.fdLocation);
    w.s16be(f.fdFldr);
    std::memcpy(b, w.buffer().data(), 16);
}

// Reads a companion for rewriting: a new one when missing, ioErr when the
// "._" file is not AppleDouble (it is not ours to replace).
[[nodiscard]] OSErr LoadCompanion(const std::string& path, AppleDoubleFile* ad, bool* existed) {
    std::string companion = CompanionPath(path);
    *existed = PathExists(companion);
    if (!*existed) {
        *ad = NewAppleDouble();
        return noErr;
    }
    std::vector<UInt8> bytes;
    if (OSErr err = ReadWholeFile(companion, &bytes); err != noErr) return err;
    if (ParseAppleDouble(bytes, ad) != noErr) return ioErr;
    ad->magic = kAppleDoubleMagic;
    return noErr;
}

// Stores 32 bytes of Finder information, starting from what the item has
// now (companion, or the file itself) so that nothing else is lost.
[[nodiscard]] OSErr StoreFinderInfo(const std::string& path, const UInt8 (&info)[32]) {
    AppleDoubleFile ad;
    bool existed = false;
    if (OSErr err = LoadCompanion(path, &ad, &existed); err != noErr) return err;
    if (!existed && !PathIsFolder(path)) {
        // The fork an AppleSingle or MacBinary file carries comes along, since
        // the companion is read first from now on.
        ForkContents c;
        if (ReadForkContents(path, true, &c) == noErr &&
            (c.forkSource == ForkSource::appleSingle || c.forkSource == ForkSource::macBinary))
            ad.set(kEntryResourceFork, c.resourceFork);
    }
    SetFinderInfoBytes(&ad, std::span<const UInt8, kFinderInfoSize>(info, kFinderInfoSize));
    if (!ad.find(kEntryResourceFork) && !PathIsFolder(path)) ad.set(kEntryResourceFork, {});
    return WriteFileAtomically(CompanionPath(path), WriteAppleDouble(ad));
}

// ---- open forks ----

struct OpenForkRec {
    std::string path;
    bool resource = false;
    bool canWrite = false;
    bool dirty = false;
    ForkSource where = ForkSource::appleDouble;
    std::vector<UInt8> bytes;
    size_t mark = 0;
};

struct ForkTable {
    std::map<SInt16, std::unique_ptr<OpenForkRec>> forks;
    SInt16 next = 3;
};

ForkTable& Forks() {
    static ForkTable table;
    return table;
}

OpenForkRec* Lookup(SInt16 refNum) {
    auto& t = Forks().forks;
    auto it = t.find(refNum);
    return it == t.end() ? nullptr : it->second.get();
}

bool IsOpen(const std::string& path) {
    for (const auto& [ref, f] : Forks().forks)
        if (f->path == path) return true;
    return false;
}

[[nodiscard]] OSErr OpenForkOf(const FSSpec* fileSpec, bool resource, SInt8 permission, SInt16* refNum) {
    if (!refNum) return paramErr;
    *refNum = 0;
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    if (PathIsFolder(path)) return notAFileErr;
    if (!PathExists(path)) return fnfErr;
    if (permission < fsCurPerm || permission > fsRdWrPerm) return paramErr;
    SInt16 writer = 0;
    for (const auto& [ref, f] : Forks().forks)
        if (f->path == path && f->resource == resource && f->canWrite) writer = ref;
    // The current permission is whatever is still to be had: writing when
    // the file allows it and no one else writes, else reading.
    bool wantWrite = permission == fsWrPerm || permission == fsRdWrPerm ||
                     (permission == fsCurPerm && writer == 0 && ::access(path.c_str(), W_OK) == 0);
    if (wantWrite) {
        if (writer != 0) {
            *refNum = writer;
            return opWrErr;
        }
        // The data fork is replaced by a rename in its folder; the file's own
        // write bit still says whether it may change.
        if (!resource && ::access(path.c_str(), W_OK) != 0) return permErr;
    }
    auto fork = std::make_unique<OpenForkRec>();
    fork->path = path;
    fork->resource = resource;
    fork->canWrite = wantWrite;
    if (resource) {
        ForkSource src = ForkSource::none;
        OSErr err = ReadResourceFork(fileSpec, &fork->bytes, &src);
        if (err != noErr && err != eofErr) return err;
        fork->where = src == ForkSource::flat ? ForkSource::flat : ForkSource::appleDouble;
    } else if (OSErr err = ReadWholeFile(path, &fork->bytes); err != noErr) {
        return err;
    }
    ForkTable& t = Forks();
    if (t.forks.size() >= 32000) return memFullErr;  // too many open forks
    while (t.forks.count(t.next) || t.next <= 0) t.next = t.next >= 32000 ? 3 : SInt16(t.next + 1);
    *refNum = t.next;
    t.forks.emplace(t.next, std::move(fork));
    t.next = t.next >= 32000 ? 3 : SInt16(t.next + 1);
    return noErr;
}

// ---- special folders ----

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// An XDG variable counts only when it is an absolute path.
std::string XdgFolder(const char* var, const char* fallback) {
    if (const char* v = std::getenv(var); v && v[0] == '/') return v;
    return HomeFolder() + fallback;
}

[[nodiscard]] OSErr MakeFolders(const std::string& path) {
    if (PathIsFolder(path)) return noErr;
    if (path.empty() || path == "/") return dirNFErr;
    if (OSErr err = MakeFolders(ParentOf(path)); err != noErr) return err;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return OSErrFromErrno(errno);
    return PathIsFolder(path) ? noErr : dupFNErr;
}

int ExchangePaths(const std::string& a, const std::string& b) {
#ifdef SYS_renameat2
    constexpr unsigned kRenameExchange = 2;  // RENAME_EXCHANGE
    if (::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), kRenameExchange) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // Three renames through a name of our own in the same folder.
    std::string temp = Join(ParentOf(a), ".korvel-exchange-" + std::to_string(::getpid()));
    if (::rename(a.c_str(), temp.c_str()) != 0) return errno;
    if (::rename(b.c_str(), a.c_str()) != 0) {
        int e = errno;
        (void)::rename(temp.c_str(), a.c_str());
        return e;
    }
    if (::rename(temp.c_str(), b.c_str()) != 0) return errno;
    return 0;
}

}  // namespace

OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* fileSpec) {
    (void)vRefNum;  // one volume
    if (!fileSpec) return paramErr;
    std::string name = NameOf(fileName);
    std::string path;
    if (!name.empty() && name[0] == '/') {
        path = name;
    } else {
        std::string folder;
        if (dirID == 0) {
            folder = ".";
        } else if (dirID == fsRtParID) {
            folder = "/";
        } else {
            folder = PathForDirID(dirID);
            if (folder.empty()) return dirNFErr;
        }
        if (!PathIsFolder(folder)) return dirNFErr;
        path = name.empty() ? folder : Join(folder, name);
    }
    if (OSErr err = FSSpecFromPath(path, fileSpec); err != noErr) return err;
    return PathExists(FSSpecToPath(fileSpec)) ? noErr : fnfErr;
}

OSErr FSpGetFInfo(const FSSpec* fileSpec, FInfo* fndrInfo) {
    if (!fndrInfo) return paramErr;
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    ForkContents c;
    if (OSErr err = ReadForkContents(path, false, &c); err != noErr) return err;
    *fndrInfo = DecodeFInfo(c.finderInfo);
    if (PathIsFolder(path)) {
        FInfo folder;
        folder.fdType = FourCC("fold");
        folder.fdCreator = FourCC("MACS");
        folder.fdFlags = fndrInfo->fdFlags;
        *fndrInfo = folder;
    }
    return noErr;
}

OSErr FSpSetFInfo(const FSSpec* fileSpec, const FInfo* fndrInfo) {
    if (!fndrInfo) return paramErr;
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    ForkContents c;
    if (OSErr err = ReadForkContents(path, false, &c); err != noErr) return err;
    if (PathIsFolder(path)) {
        // A folder's first 16 bytes are its window, not a type: only the
        // flags are taken.
        c.finderInfo[8] = UInt8(fndrInfo->fdFlags >> 8);
        c.finderInfo[9] = UInt8(fndrInfo->fdFlags);
    } else {
        EncodeFInfo(*fndrInfo, c.finderInfo);
    }
    return StoreFinderInfo(path, c.finderInfo);
}

OSErr FSpGetFinderFlags(const FSSpec* fileSpec, UInt16* flags) {
    if (!flags) return paramErr;
    FInfo info;
    if (OSErr err = FSpGetFInfo(fileSpec, &info); err != noErr) return err;
    *flags = info.fdFlags;
    return noErr;
}

OSErr FSpSetFinderFlags(const FSSpec* fileSpec, UInt16 flags) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    ForkContents c;
    if (OSErr err = ReadForkContents(path, false, &c); err != noErr) return err;
    c.finderInfo[8] = UInt8(flags >> 8);
    c.finderInfo[9] = UInt8(flags);
    return StoreFinderInfo(path, c.finderInfo);
}

OSErr FSpCreate(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag) {
    (void)scriptTag;  // names are UTF-8 whatever the script
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    if (!IsValidName(PStringToStd(fileSpec->name))) return bdNamErr;
    if (!PathIsFolder(ParentOf(path))) return dirNFErr;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return OSErrFromErrno(errno);
    ::close(fd);
    // A companion left by an earlier file of this name must not lend the new
    // file its fork or information.
    std::string companion = CompanionPath(path);
    AppleDoubleFile old;
    std::vector<UInt8> oldBytes;
    bool staleCompanion = ReadWholeFile(companion, &oldBytes) == noErr && ParseAppleDouble(oldBytes, &old) == noErr;
    if (fileType == 0 && creator == 0) {
        if (staleCompanion) ::unlink(companion.c_str());
        return noErr;
    }
    if (PathExists(companion) && !staleCompanion) return noErr;  // someone else's "._" file
    AppleDoubleFile ad = NewAppleDouble();
    FInfo info;
    info.fdType = fileType;
    info.fdCreator = creator;
    UInt8 bytes[32] = {};
    EncodeFInfo(info, bytes);
    SetFinderInfoBytes(&ad, std::span<const UInt8, kFinderInfoSize>(bytes, kFinderInfoSize));
    ad.set(kEntryResourceFork, {});
    if (OSErr err = WriteFileAtomically(companion, WriteAppleDouble(ad)); err != noErr) {
        ::unlink(path.c_str());
        return err;
    }
    return noErr;
}

OSErr FSpDirCreate(const FSSpec* fileSpec, SInt16 scriptTag, SInt32* createdDirID) {
    (void)scriptTag;
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    if (!IsValidName(PStringToStd(fileSpec->name))) return bdNamErr;
    if (!PathIsFolder(ParentOf(path))) return dirNFErr;
    if (::mkdir(path.c_str(), 0777) != 0) return OSErrFromErrno(errno);
    if (createdDirID) *createdDirID = DirIDForPath(path);
    return noErr;
}

OSErr GetFolderEntryNames(SInt16 vRefNum, SInt32 dirID, size_t limit, std::vector<std::string>* names) {
    (void)vRefNum;
    if (!names) return paramErr;
    names->clear();
    const std::string folder = PathForDirID(dirID);
    if (folder.empty() || !PathIsFolder(folder)) return dirNFErr;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end && names->size() < limit;
         it.increment(ec)) {
        names->push_back(it->path().filename().string());
    }
    return ec ? OSErrFromErrno(ec.value()) : OSErr(noErr);
}

OSErr FSpDelete(const FSSpec* fileSpec) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    if (!PathExists(path)) return fnfErr;
    if (IsOpen(path)) return fBsyErr;
    if (PathIsFolder(path)) {
        if (::rmdir(path.c_str()) != 0) return errno == EEXIST ? OSErr(fBsyErr) : OSErrFromErrno(errno);
    } else if (::unlink(path.c_str()) != 0) {
        return OSErrFromErrno(errno);
    }
    std::string companion = CompanionPath(path);
    AppleDoubleFile ad;
    std::vector<UInt8> bytes;
    if (ReadWholeFile(companion, &bytes) == noErr && ParseAppleDouble(bytes, &ad) == noErr)
        ::unlink(companion.c_str());
    return noErr;
}

OSErr FSpRename(const FSSpec* fileSpec, ConstStr255Param newName) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    std::string name = NameOf(newName);
    if (!IsValidName(name)) return bdNamErr;
    if (!PathExists(path)) return fnfErr;
    std::string target = Join(ParentOf(path), name);
    if (target == path) return noErr;
    if (PathExists(target)) return dupFNErr;
    if (::rename(path.c_str(), target.c_str()) != 0) return OSErrFromErrno(errno);
    std::string companion = CompanionPath(path);
    if (PathIsFile(companion)) {
        std::string newCompanion = CompanionPath(target);
        if (PathExists(newCompanion) || ::rename(companion.c_str(), newCompanion.c_str()) != 0) {
            // Keep item and companion together: undo the first rename.
            int e = PathExists(newCompanion) ? EEXIST : errno;
            (void)::rename(target.c_str(), path.c_str());
            return e == EEXIST ? OSErr(dupFNErr) : OSErrFromErrno(e);
        }
    }
    for (auto& [ref, f] : Forks().forks)
        if (f->path == path) f->path = target;
    return noErr;
}

OSErr FSpExchangeFiles(const FSSpec* source, const FSSpec* dest) {
    std::string a, b;
    if (OSErr err = PathOf(source, &a); err != noErr) return err;
    if (OSErr err = PathOf(dest, &b); err != noErr) return err;
    if (!PathExists(a) || !PathExists(b)) return fnfErr;
    if (PathIsFolder(a) || PathIsFolder(b)) return notAFileErr;
    if (a == b) return noErr;
    if (int e = ExchangePaths(a, b); e != 0) return OSErrFromErrno(e);
    std::string ca = CompanionPath(a), cb = CompanionPath(b);
    bool hasA = PathIsFile(ca), hasB = PathIsFile(cb);
    int e = 0;
    if (hasA && hasB) {
        e = ExchangePaths(ca, cb);
    } else if (hasA) {
        e = ::rename(ca.c_str(), cb.c_str()) == 0 ? 0 : errno;
    } else if (hasB) {
        e = ::rename(cb.c_str(), ca.c_str()) == 0 ? 0 : errno;
    }
    if (e != 0) {
        // Put the data forks back so that each file stays whole.
        (void)ExchangePaths(a, b);
        return OSErrFromErrno(e);
    }
    for (auto& [ref, f] : Forks().forks) {
        if (f->path == a) f->path = b;
        else if (f->path == b) f->path = a;
    }
    return noErr;
}

OSErr FSpGetDirectoryID(const FSSpec* fileSpec, SInt32* theDirID, Boolean* isDirectory) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    if (!PathExists(path)) return fnfErr;
    bool folder = PathIsFolder(path);
    if (isDirectory) *isDirectory = folder;
    if (theDirID) *theDirID = folder ? DirIDForPath(path) : fileSpec->parID;
    return noErr;
}

bool FSpIsFolder(const FSSpec* fileSpec) {
    std::string path;
    return PathOf(fileSpec, &path) == noErr && PathIsFolder(path);
}

bool FSpExists(const FSSpec* fileSpec) {
    std::string path;
    return PathOf(fileSpec, &path) == noErr && PathExists(path);
}

OSErr FSpOpenDF(const FSSpec* fileSpec, SInt8 permission, SInt16* refNum) {
    return OpenForkOf(fileSpec, false, permission, refNum);
}

OSErr FSpOpenRF(const FSSpec* fileSpec, SInt8 permission, SInt16* refNum) {
    return OpenForkOf(fileSpec, true, permission, refNum);
}

OSErr FSRead(SInt16 refNum, SInt32* count, void* buffPtr) {
    OpenForkRec* f = Lookup(refNum);
    if (!f) return rfNumErr;
    if (!count || *count < 0 || (*count > 0 && !buffPtr)) return paramErr;
    size_t want = size_t(*count);
    size_t have = f->mark < f->bytes.size() ? f->bytes.size() - f->mark : 0;
    size_t n = std::min(want, have);
    if (n) std::memcpy(buffPtr, f->bytes.data() + f->mark, n);
    f->mark += n;
    *count = SInt32(n);
    return n < want ? eofErr : noErr;
}

OSErr FSWrite(SInt16 refNum, SInt32* count, const void* buffPtr) {
    OpenForkRec* f = Lookup(refNum);
    if (!f) return rfNumErr;
    if (!count || *count < 0 || (*count > 0 && !buffPtr)) return paramErr;
    if (!f->canWrite) {
        *count = 0;
        return wrPermErr;
    }
    size_t n = size_t(*count);
    if (n > kMaxWholeFileBytes - f->mark) {
        *count = 0;
        return dskFulErr;
    }
    if (f->mark + n > f->bytes.size()) f->bytes.resize(f->mark + n);
    if (n) std::memcpy(f->bytes.data() + f->mark, buffPtr, n);
    f->mark += n;
    f->dirty = true;
    return noErr;
}

OSErr GetEOF(SInt16 refNum, SInt32* logEOF) {
    OpenForkRec* f = Lookup(refNum);
    if (!f) return rfNumErr;
    if (!logEOF) return paramErr;
    *logEOF = SInt32(std::min<size_t>(f->bytes.size(), 0x7FFFFFFF));
    return noErr;
}

OSErr SetEOF(SInt16 refNum, SInt32 logEOF) {
    OpenForkRec* f = Lookup(refNum);
    if (!f) return rfNumErr;
    if (!f->canWrite) return wrPermErr;
    if (logEOF < 0) return paramErr;
    if (size_t(logEOF) > kMaxWholeFileBytes) return dskFulErr;
    f->bytes.resize(size_t(logEOF));
    f->mark = std::min(f->mark, f->bytes.size());
    f->dirty = true;
    return noErr;
}

OSErr GetFPos(SInt16 refNum, SInt32* filePos) {
    OpenForkRec* f = Lookup(refNum);
    if (!f) return rfNumErr;
    if (!filePos) return paramErr;
    *filePos = SInt32(f->mark);
    return noErr;
}

OSErr SetFPos(SInt16 refNum, SInt16 posMode, SInt32 posOff) {
    OpenForkRec* f = Lookup(refNum);
    if (!f) return rfNumErr;
    SInt64 base = 0;
    switch (posMode) {
    case fsAtMark: return noErr;
    case fsFromStart: base = 0; break;
    case fsFromLEOF: base = SInt64(f->bytes.size()); break;
    case fsFromMark: base = SInt64(f->mark); break;
    default: return paramErr;
    }
    SInt64 pos = base + posOff;
    if (pos < 0) return posErr;
    if (pos > SInt64(f->bytes.size())) {
        f->mark = f->bytes.size();
        return eofErr;
    }
    f->mark = size_t(pos);
    return noErr;
}

OSErr FSClose(SInt16 refNum) {
    auto& t = Forks().forks;
    auto it = t.find(refNum);
    if (it == t.end()) return rfNumErr;
    std::unique_ptr<OpenForkRec> f = std::move(it->second);
    t.erase(it);
    if (!f->dirty) return noErr;
    if (!f->resource) return WriteFileAtomically(f->path, f->bytes);
    FSSpec fileSpec;
    if (OSErr err = FSSpecFromPath(f->path, &fileSpec); err != noErr) return err;
    return WriteResourceFork(&fileSpec, f->bytes, f->where);
}

UInt32 MacDateFromUnix(SInt64 seconds) { return UInt32(seconds + kMacEpochOffset); }
SInt64 UnixDateFromMac(UInt32 macDate) { return SInt64(macDate) - kMacEpochOffset; }

OSErr FSpGetModDate(const FSSpec* fileSpec, UInt32* modDate) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return OSErrFromErrno(errno);
    if (modDate) *modDate = MacDateFromUnix(st.st_mtime);
    return noErr;
}

OSErr FSpSetModDate(const FSSpec* fileSpec, UInt32 modDate) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(UnixDateFromMac(modDate));
    times[1].tv_nsec = 0;
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return OSErrFromErrno(errno);
    return noErr;
}

OSErr FSpBumpDate(const FSSpec* fileSpec) {
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    if (::utimensat(AT_FDCWD, path.c_str(), nullptr, 0) != 0) return OSErrFromErrno(errno);
    return noErr;
}

OSErr FSpGetCatInfo(const FSSpec* fileSpec, KorvelCatInfo* info) {
    if (!info) return paramErr;
    std::string path;
    if (OSErr err = PathOf(fileSpec, &path); err != noErr) return err;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return OSErrFromErrno(errno);
    *info = KorvelCatInfo{};
    info->isFolder = S_ISDIR(st.st_mode);
    info->modDate = MacDateFromUnix(st.st_mtime);
    info->dataLength = info->isFolder ? 0 : SInt64(st.st_size);
    if (info->isFolder) info->dirID = DirIDForPath(path);
    ForkContents c;
    if (OSErr err = ReadForkContents(path, false, &c); err != noErr) return err;
    info->hasStoredFinderInfo = c.finderInfoSource != ForkSource::none;
    return FSpGetFInfo(fileSpec, &info->finderInfo);
}

std::string FindFolderPath(OSType folderType) {
    switch (folderType) {
    case kPreferencesFolderType: return XdgFolder("XDG_CONFIG_HOME", "/.config") + "/Korvel";
    case kApplicationSupportFolderType: return XdgFolder("XDG_DATA_HOME", "/.local/share") + "/Korvel";
    case kTemporaryFolderType: {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = (tmp && tmp[0] == '/') ? tmp : "/tmp";
        return base + "/Korvel";
    }
    case kCurrentUserFolderType: return HomeFolder();
    default: return {};
    }
}

OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                 SInt32* foundDirID) {
    (void)vRefNum;
    std::string path = FindFolderPath(folderType);
    if (path.empty()) return fnfErr;
    if (!PathIsFolder(path)) {
        if (!createFolder) return fnfErr;
        if (OSErr err = MakeFolders(path); err != noErr) return err;
    }
    if (foundVRefNum) *foundVRefNum = kKorvelVolume;
    if (foundDirID) *foundDirID = DirIDForPath(path);
    return noErr;
}

OSErr FlushVol(ConstStringPtr volName, SInt16 vRefNum) {
    (void)volName;
    (void)vRefNum;
    return noErr;
}
