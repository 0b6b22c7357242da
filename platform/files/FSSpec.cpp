#include "platform/files/FSSpec.h"

#include "platform/core/PString.h"
#include "platform/files/FileIO.h"

#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

// Directory IDs: 2 is the root as on the toolbox (1 is the root's parent);
// other folders get IDs from 100 up in the order they are first named.
constexpr SInt32 kRootDirID = 2;

struct DirTable {
    std::mutex lock;
    std::map<std::string, SInt32> idForPath;
    std::vector<std::string> pathForId;  // index = ID - kFirstID
    static constexpr SInt32 kFirstID = 100;
};

DirTable& Dirs() {
    static DirTable table;
    return table;
}

std::string WorkingFolder() {
    std::vector<char> buf(4096);
    if (::getcwd(buf.data(), buf.size()) == nullptr) return "/";
    return std::string(buf.data());
}

// Makes a path absolute and removes ".", ".." and repeated slashes, without
// asking the file system (symbolic links are left alone).
std::string NormalisePath(const std::string& path) {
    std::string full = (!path.empty() && path[0] == '/') ? path : WorkingFolder() + "/" + path;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= full.size()) {
        size_t j = full.find('/', i);
        if (j == std::string::npos) j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const auto& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

}  // namespace

SInt32 DirIDForPath(const std::string& folderPath) {
    std::string path = NormalisePath(folderPath);
    if (path == "/") return kRootDirID;
    DirTable& t = Dirs();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.idForPath.find(path);
    if (it != t.idForPath.end()) return it->second;
    SInt32 id = DirTable::kFirstID + SInt32(t.pathForId.size());
    t.pathForId.push_back(path);
    t.idForPath.emplace(path, id);
    return id;
}

std::string PathForDirID(SInt32 dirID) {
    if (dirID == kRootDirID) return "/";
    DirTable& t = Dirs();
    std::lock_guard<std::mutex> g(t.lock);
    if (dirID < DirTable::kFirstID || size_t(dirID - DirTable::kFirstID) >= t.pathForId.size()) return {};
    return t.pathForId[size_t(dirID - DirTable::kFirstID)];
}

OSErr FSSpecFromPath(const std::string& path, FSSpec* fileSpec) {
    if (!fileSpec || path.empty()) return paramErr;
    std::string full = NormalisePath(path);
    fileSpec->vRefNum = kKorvelVolume;
    if (full == "/") {
        // The root names itself: its parent is the toolbox's root parent.
        fileSpec->parID = 1;
        fileSpec->name[0] = 0;
        return noErr;
    }
    size_t slash = full.rfind('/');
    std::string folder = slash == 0 ? "/" : full.substr(0, slash);
    std::string name = full.substr(slash + 1);
    if (name.size() > 255) return bdNamErr;
    fileSpec->parID = DirIDForPath(folder);
    fileSpec->name[0] = UInt8(name.size());
    std::memcpy(fileSpec->name + 1, name.data(), name.size());
    if (!PathIsFolder(folder)) return dirNFErr;
    return noErr;
}

std::string FSSpecToPath(const FSSpec* fileSpec) {
    if (!fileSpec) return {};
    std::string name = PStringToStd(fileSpec->name);
    if (fileSpec->parID == 1) return "/" + name;
    std::string folder = PathForDirID(fileSpec->parID);
    if (folder.empty()) return {};
    if (name.empty()) return folder;
    return folder == "/" ? "/" + name : folder + "/" + name;
}
