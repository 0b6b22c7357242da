#include "platform/files/FileIO.h"

#include "platform/core/PString.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

AtomicWriteHook& Hook() {
    static AtomicWriteHook hook;
    return hook;
}

// Closes a descriptor on every path out of a function.
struct FdOwner {
    int fd = -1;
    explicit FdOwner(int f) : fd(f) {}
    FdOwner(const FdOwner&) = delete;
    FdOwner& operator=(const FdOwner&) = delete;
    ~FdOwner() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        int f = fd;
        fd = -1;
        return f;
    }
};

[[nodiscard]] OSErr ReadUpTo(int fd, UInt8* dst, size_t count, size_t* got) {
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd, dst + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return OSErrFromErrno(errno);
        }
        if (n == 0) break;
        done += size_t(n);
    }
    *got = done;
    return noErr;
}

std::string SplitFolder(const std::string& path, std::string* name) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        *name = path;
        return ".";
    }
    *name = path.substr(slash + 1);
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

OSErr OSErrFromErrno(int err) {
    switch (err) {
    case 0: return noErr;
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EEXIST: return dupFNErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return wPrErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case ENAMETOOLONG: return bdNamErr;
    case EISDIR: return notAFileErr;
    case ENOTEMPTY: return fBsyErr;
    case EBUSY: return fBsyErr;
    case ENOMEM: return memFullErr;
    default: return ioErr;
    }
}

OSErr ReadWholeFile(const std::string& path, std::vector<UInt8>* bytes, size_t maxBytes) {
    bytes->clear();
    FdOwner f(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));  // a FIFO must not block
    if (f.fd < 0) return OSErrFromErrno(errno);
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return OSErrFromErrno(errno);
    if (S_ISDIR(st.st_mode)) return notAFileErr;
    if (!S_ISREG(st.st_mode)) return permErr;
    if (st.st_size < 0 || UInt64(st.st_size) > maxBytes) return memFullErr;
    bytes->resize(size_t(st.st_size));
    size_t got = 0;
    if (OSErr err = ReadUpTo(f.fd, bytes->data(), bytes->size(), &got); err != noErr) {
        bytes->clear();
        return err;
    }
    // The file may have shrunk since fstat; what was read is the file.
    bytes->resize(got);
    return noErr;
}

OSErr ReadFileHead(const std::string& path, size_t count, std::vector<UInt8>* bytes) {
    bytes->clear();
    FdOwner f(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));  // a FIFO must not block
    if (f.fd < 0) return OSErrFromErrno(errno);
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return OSErrFromErrno(errno);
    if (S_ISDIR(st.st_mode)) return notAFileErr;
    if (!S_ISREG(st.st_mode)) return permErr;
    bytes->resize(count);
    size_t got = 0;
    if (OSErr err = ReadUpTo(f.fd, bytes->data(), count, &got); err != noErr) {
        bytes->clear();
        return err;
    }
    bytes->resize(got);
    return noErr;
}

OSErr WriteFileAtomically(const std::string& path, std::span<const UInt8> bytes) {
    std::string name;
    std::string folder = SplitFolder(path, &name);
    if (name.empty()) return bdNamErr;
    // The temporary name stays within the host's 255-byte limit.
    std::string temp = folder + "/." + std::string(TruncateUtf8(name, 200)) + ".korvel-XXXXXX";
    FdOwner f(::mkostemp(temp.data(), O_CLOEXEC));
    if (f.fd < 0) return OSErrFromErrno(errno);

    auto fail = [&](OSErr err) {
        ::close(f.release());
        ::unlink(temp.c_str());
        return err;
    };
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return fail(notAFileErr);
        (void)::fchmod(f.fd, old.st_mode & 07777);
    } else {
        // A new file gets the usual permissions, not mkstemp's 0600.
        mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(f.fd, 0666 & ~mask);
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(f.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(OSErrFromErrno(errno));
        }
        done += size_t(n);
    }
    if (::fsync(f.fd) != 0) return fail(OSErrFromErrno(errno));
    if (Hook() && !Hook()(temp)) return fail(ioErr);
    if (::close(f.release()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return OSErrFromErrno(e);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return OSErrFromErrno(e);
    }
    return noErr;
}

void SetAtomicWriteHookForTesting(AtomicWriteHook hook) { Hook() = std::move(hook); }

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool PathIsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathIsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsCompanionName(std::string_view name) { return name.size() > 2 && name.substr(0, 2) == "._"; }

std::string CompanionPath(const std::string& path) {
    std::string name;
    std::string folder = SplitFolder(path, &name);
    if (folder == "/") return "/._" + name;
    return folder + "/._" + name;
}
