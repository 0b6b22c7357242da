#include "platform/resources/Resources.h"

#include "platform/core/ByteIO.h"
#include "platform/resources/ResourcesInternal.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace {

constexpr SInt8 kHandleIsResource = 0x20;
constexpr SInt16 kFirstRefNum = 20;

struct ResFile;

// One resource of an open file. `stored` holds the bytes to write while the
// handle does not carry a change: those read from the fork, or the bytes of
// a changed resource whose handle was released or detached.
struct ResEntry {
    ResFile* file = nullptr;
    ResType type = 0;
    ResID id = 0;
    bool hasName = false;
    std::string name;
    UInt8 attrs = 0;
    std::vector<UInt8> stored;
    size_t sizeOnDisk = 0;
    Handle handle = nullptr;
    bool loaded = false;  // false for a handle got while SetResLoad(false)
};

struct ResFile {
    SInt16 refNum = kResFileNotOpen;
    std::string identity;
    ResForkWriter writer;  // null: read-only
    std::array<UInt8, kResourceForkDataStart - kResourceForkHeaderSize> headerData{};
    UInt16 attrs = 0;
    // Grouped by type, in the order the fork will list them.
    std::vector<std::unique_ptr<ResEntry>> entries;
};

// The chain: [0] is the most recently opened file; the application's file
// stays last.
struct ResState {
    std::vector<std::unique_ptr<ResFile>> chain;
    SInt16 current = kResFileNotOpen;
    SInt16 application = kResFileNotOpen;
    SInt16 nextRefNum = kFirstRefNum;
    bool resLoad = true;
    OSErr error = noErr;
    std::unordered_map<Handle, ResEntry*> handles;
    // Files still open at exit (the application's own, as a rule) give their
    // handles back with them.
    ~ResState() {
        for (auto& f : chain)
            for (auto& e : f->entries)
                if (e->handle) DisposeHandle(e->handle);
    }
};

ResState gRes;

// Records the error that ResError reports; the value is returned for convenience.
OSErr SetErr(OSErr err) { return gRes.error = err; }

ResFile* FileOf(SInt16 refNum) {
    for (auto& f : gRes.chain)
        if (f->refNum == refNum) return f.get();
    return nullptr;
}

size_t ChainIndex(SInt16 refNum) {
    for (size_t i = 0; i < gRes.chain.size(); ++i)
        if (gRes.chain[i]->refNum == refNum) return i;
    return gRes.chain.size();
}

// The files GetResource searches: the current one and those below it.
std::vector<ResFile*> SearchPath() {
    std::vector<ResFile*> path;
    for (size_t i = ChainIndex(gRes.current); i < gRes.chain.size(); ++i) path.push_back(gRes.chain[i].get());
    return path;
}

ResFile* CurrentFile() { return FileOf(gRes.current); }

ResEntry* EntryOf(Handle h) {
    if (!h) return nullptr;
    auto it = gRes.handles.find(h);
    return it == gRes.handles.end() ? nullptr : it->second;
}

bool Writable(const ResFile& f) { return f.writer && !(f.attrs & mapReadOnly); }

void MarkMapChanged(ResFile& f) { f.attrs |= mapChanged; }

bool IsDirty(const ResFile& f) {
    if (f.attrs & mapChanged) return true;
    return std::any_of(f.entries.begin(), f.entries.end(), [](const auto& e) { return e->attrs & resChanged; });
}

std::span<const UInt8> BytesToWrite(const ResEntry& e) {
    if ((e.attrs & resChanged) && e.handle && e.loaded) return HandleBytes(e.handle);
    return e.stored;
}

// A changed resource's bytes move from its handle into `stored` before the
// handle leaves the file, so that the change is still written.
void KeepPendingChange(ResEntry& e) {
    if ((e.attrs & resChanged) && e.handle && e.loaded) {
        auto b = HandleBytes(e.handle);
        e.stored.assign(b.begin(), b.end());
    }
}

void ForgetHandle(ResEntry& e) {
    if (!e.handle) return;
    gRes.handles.erase(e.handle);
    HSetState(e.handle, SInt8(HGetState(e.handle) & ~kHandleIsResource));
    e.handle = nullptr;
    e.loaded = false;
}

void ApplyHandleAttrs(const ResEntry& e) {
    if (!e.handle) return;
    if (e.attrs & resLocked)
        HLock(e.handle);
    else
        HUnlock(e.handle);
    if (e.attrs & resPurgeable)
        HPurge(e.handle);
    else
        HNoPurge(e.handle);
}

// The entry's handle, made or filled as SetResLoad asks.
Handle HandleFor(ResEntry& e) {
    if (!e.handle) {
        Handle h = gRes.resLoad ? NewHandleFromBytes(e.stored) : NewHandle(0);
        if (!h) {
            SetErr(memFullErr);
            return nullptr;
        }
        e.handle = h;
        e.loaded = gRes.resLoad;
        HSetState(h, SInt8(HGetState(h) | kHandleIsResource));
        ApplyHandleAttrs(e);
        gRes.handles[h] = &e;
    } else if (!e.loaded && gRes.resLoad) {
        const SInt8 state = HGetState(e.handle);
        HUnlock(e.handle);
        SetHandleSize(e.handle, Size(e.stored.size()));
        HSetState(e.handle, state);
        if (MemError()) {
            SetErr(memFullErr);
            return nullptr;
        }
        if (!e.stored.empty()) std::memcpy(*e.handle, e.stored.data(), e.stored.size());
        e.loaded = true;
    }
    SetErr(noErr);
    return e.handle;
}

ResEntry* FindIn(ResFile& f, ResType type, ResID id) {
    for (auto& e : f.entries)
        if (e->type == type && e->id == id) return e.get();
    return nullptr;
}

bool EqualNameNoCase(const std::string& a, ConstStringPtr p) {
    if (!p || a.size() != p[0]) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c); };
        if (lower(UInt8(a[i])) != lower(p[i + 1])) return false;
    }
    return true;
}

ResEntry* FindNamedIn(ResFile& f, ResType type, ConstStringPtr name) {
    for (auto& e : f.entries)
        if (e->type == type && e->hasName && EqualNameNoCase(e->name, name)) return e.get();
    return nullptr;
}

ResEntry* FindIndIn(ResFile& f, ResType type, SInt16* index) {
    for (auto& e : f.entries)
        if (e->type == type && --*index == 0) return e.get();
    return nullptr;
}

SInt16 CountIn(const ResFile& f, ResType type) {
    SInt16 n = 0;
    for (auto& e : f.entries)
        if (e->type == type) ++n;
    return n;
}

std::vector<ResType> TypesIn(const ResFile& f) {
    std::vector<ResType> types;
    for (auto& e : f.entries)
        if (types.empty() || types.back() != e->type) types.push_back(e->type);
    return types;
}

// Inserts after the last resource of the same type, keeping types grouped.
void InsertEntry(ResFile& f, std::unique_ptr<ResEntry> e) {
    auto last = std::find_if(f.entries.rbegin(), f.entries.rend(), [&](const auto& x) { return x->type == e->type; });
    f.entries.insert(last == f.entries.rend() ? f.entries.end() : last.base(), std::move(e));
}

[[nodiscard]] OSErr Serialize(const ResFile& f, std::vector<UInt8>* out) {
    std::vector<ForkResourceView> views;
    views.reserve(f.entries.size());
    for (auto& e : f.entries) views.push_back({e->type, e->id, e->hasName, e->name, e->attrs, BytesToWrite(*e)});
    return SerializeResourceFork(f.headerData, f.attrs, views, out);
}

[[nodiscard]] OSErr WriteFile(ResFile& f) {
    if (!IsDirty(f)) return noErr;
    if (!Writable(f)) return wrPermErr;
    std::vector<UInt8> bytes;
    if (OSErr err = Serialize(f, &bytes)) return err;
    if (OSErr err = f.writer(bytes)) return err;
    for (auto& e : f.entries) {
        if ((e->attrs & resChanged) && e->handle && e->loaded) {
            auto b = HandleBytes(e->handle);
            e->stored.assign(b.begin(), b.end());
        }
        e->sizeOnDisk = e->stored.size();
        e->attrs &= UInt8(~resChanged);
    }
    f.attrs &= UInt16(~mapChanged);
    return noErr;
}

SInt16 NextRefNum() {
    for (int tries = 0; tries < 32767; ++tries) {
        SInt16 r = gRes.nextRefNum;
        gRes.nextRefNum = r == 32767 ? kFirstRefNum : SInt16(r + 1);
        if (!FileOf(r)) return r;
    }
    return kResFileNotOpen;
}

// The entry of a resource handle, with ResError set when there is none.
ResEntry* ResourceEntry(Handle h) {
    ResEntry* e = EntryOf(h);
    SetErr(e ? noErr : resNotFound);
    return e;
}

// The entry of a resource that the caller wants to change.
ResEntry* ChangeableEntry(Handle h) {
    ResEntry* e = ResourceEntry(h);
    if (e && !Writable(*e->file)) {
        SetErr(wrPermErr);
        return nullptr;
    }
    return e;
}

}  // namespace

// ---------------------------------------------------------------------------
// Files

SInt16 OpenResFileFromImage(ResourceForkImage image, ResForkWriter writer, std::string identity) {
    auto f = std::make_unique<ResFile>();
    f->refNum = NextRefNum();
    if (f->refNum == kResFileNotOpen) {
        SetErr(tmfoErr);
        return kResFileNotOpen;
    }
    f->identity = std::move(identity);
    f->writer = std::move(writer);
    f->headerData = image.headerData;
    f->attrs = UInt16(image.fileAttributes & ~mapChanged);
    f->entries.reserve(image.resources.size());
    for (ForkResource& r : image.resources) {
        auto e = std::make_unique<ResEntry>();
        e->file = f.get();
        e->type = r.type;
        e->id = r.id;
        e->hasName = r.hasName;
        e->name = std::move(r.name);
        e->attrs = UInt8(r.attributes & ~resChanged);
        e->stored = std::move(r.data);
        e->sizeOnDisk = e->stored.size();
        InsertEntry(*f, std::move(e));
    }
    const SInt16 refNum = f->refNum;
    gRes.chain.insert(gRes.chain.begin(), std::move(f));
    gRes.current = refNum;
    SetErr(noErr);
    return refNum;
}

SInt16 OpenResFileWithWriter(std::span<const UInt8> bytes, ResForkWriter writer, std::string identity) {
    ResourceForkImage image;
    if (OSErr err = ParseResourceFork(bytes, &image)) {
        SetErr(err);
        return kResFileNotOpen;
    }
    return OpenResFileFromImage(std::move(image), std::move(writer), std::move(identity));
}

SInt16 FindOpenResFile(const std::string& identity, bool* writable) {
    if (identity.empty()) return kResFileNotOpen;
    for (auto& f : gRes.chain) {
        if (f->identity == identity) {
            if (writable) *writable = bool(f->writer);
            return f->refNum;
        }
    }
    return kResFileNotOpen;
}

void SetResError(OSErr err) { SetErr(err); }

void MakeResFileCurrent(SInt16 refNum) {
    if (FileOf(refNum)) gRes.current = refNum;
}

void InitResources() {
    while (!gRes.chain.empty()) CloseResFile(gRes.chain.front()->refNum);
    gRes.current = kResFileNotOpen;
    gRes.application = kResFileNotOpen;
    gRes.resLoad = true;
    gRes.error = noErr;
}

SInt16 OpenApplicationResFileFromBytes(std::span<const UInt8> bytes) {
    if (gRes.application != kResFileNotOpen) CloseResFile(gRes.application);
    const SInt16 refNum = OpenResFileWithWriter(bytes, nullptr, {});
    if (refNum == kResFileNotOpen) return refNum;
    // Opened at the top; the application's file belongs at the bottom.
    std::rotate(gRes.chain.begin(), gRes.chain.begin() + 1, gRes.chain.end());
    gRes.application = refNum;
    gRes.current = refNum;
    return refNum;
}

SInt16 GetApplicationResFile() { return gRes.application; }

SInt16 OpenResFileFromBytes(std::span<const UInt8> bytes, SInt8 permission) {
    ResForkWriter writer;
    if (permission != fsRdPerm) writer = [](std::span<const UInt8>) { return OSErr(noErr); };
    return OpenResFileWithWriter(bytes, std::move(writer), {});
}

SInt16 NewResFileInMemory() {
    return OpenResFileFromImage({}, [](std::span<const UInt8>) { return OSErr(noErr); }, {});
}

OSErr GetResFileBytes(SInt16 refNum, std::vector<UInt8>* out) {
    ResFile* f = FileOf(refNum);
    if (!f) return SetErr(resFNotFound);
    return SetErr(Serialize(*f, out));
}

void CloseResFile(SInt16 refNum) {
    const size_t index = ChainIndex(refNum);
    if (index == gRes.chain.size()) {
        SetErr(resFNotFound);
        return;
    }
    ResFile& f = *gRes.chain[index];
    // A file that cannot be written (read-only) simply drops its changes.
    const OSErr err = Writable(f) ? WriteFile(f) : OSErr(noErr);
    for (auto& e : f.entries) {
        if (!e->handle) continue;
        Handle h = e->handle;
        ForgetHandle(*e);
        DisposeHandle(h);
    }
    gRes.chain.erase(gRes.chain.begin() + std::ptrdiff_t(index));
    if (gRes.application == refNum) gRes.application = kResFileNotOpen;
    if (gRes.current == refNum) {
        if (index < gRes.chain.size())
            gRes.current = gRes.chain[index]->refNum;
        else
            gRes.current = gRes.chain.empty() ? kResFileNotOpen : gRes.chain.front()->refNum;
    }
    SetErr(err);
}

void UseResFile(SInt16 refNum) {
    if (!FileOf(refNum)) {
        SetErr(resFNotFound);
        return;
    }
    gRes.current = refNum;
    SetErr(noErr);
}

// Leaves ResError alone: callers ask for it right after the call before.
SInt16 CurResFile() { return gRes.current; }

SInt16 HomeResFile(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    return e ? e->file->refNum : kResFileNotOpen;
}

bool IsResourceHandle(Handle h) { return EntryOf(h) != nullptr; }

void UpdateResFile(SInt16 refNum) {
    ResFile* f = FileOf(refNum);
    if (!f) {
        SetErr(resFNotFound);
        return;
    }
    SetErr(WriteFile(*f));
}

SInt16 GetResFileAttrs(SInt16 refNum) {
    ResFile* f = FileOf(refNum);
    if (!f) {
        SetErr(resFNotFound);
        return 0;
    }
    SetErr(noErr);
    return SInt16(f->attrs);
}

void SetResFileAttrs(SInt16 refNum, SInt16 attrs) {
    ResFile* f = FileOf(refNum);
    if (!f) {
        SetErr(resFNotFound);
        return;
    }
    if (!f->writer) {
        SetErr(wrPermErr);
        return;
    }
    f->attrs = UInt16(attrs) | mapChanged;
    SetErr(noErr);
}

// ---------------------------------------------------------------------------
// Finding resources

void SetResLoad(Boolean load) { gRes.resLoad = load; }

Handle Get1Resource(ResType theType, ResID theID) {
    ResFile* f = CurrentFile();
    if (!f) {
        SetErr(resFNotFound);
        return nullptr;
    }
    if (ResEntry* e = FindIn(*f, theType, theID)) return HandleFor(*e);
    SetErr(resNotFound);
    return nullptr;
}

Handle GetResource(ResType theType, ResID theID) {
    for (ResFile* f : SearchPath())
        if (ResEntry* e = FindIn(*f, theType, theID)) return HandleFor(*e);
    SetErr(resNotFound);
    return nullptr;
}

Handle Get1NamedResource(ResType theType, ConstStr255Param name) {
    ResFile* f = CurrentFile();
    if (!f) {
        SetErr(resFNotFound);
        return nullptr;
    }
    if (ResEntry* e = FindNamedIn(*f, theType, name)) return HandleFor(*e);
    SetErr(resNotFound);
    return nullptr;
}

Handle GetNamedResource(ResType theType, ConstStr255Param name) {
    for (ResFile* f : SearchPath())
        if (ResEntry* e = FindNamedIn(*f, theType, name)) return HandleFor(*e);
    SetErr(resNotFound);
    return nullptr;
}

Handle Get1IndResource(ResType theType, SInt16 index) {
    ResFile* f = CurrentFile();
    if (!f) {
        SetErr(resFNotFound);
        return nullptr;
    }
    if (index >= 1)
        if (ResEntry* e = FindIndIn(*f, theType, &index)) return HandleFor(*e);
    SetErr(resNotFound);
    return nullptr;
}

Handle GetIndResource(ResType theType, SInt16 index) {
    if (index >= 1)
        for (ResFile* f : SearchPath())
            if (ResEntry* e = FindIndIn(*f, theType, &index)) return HandleFor(*e);
    SetErr(resNotFound);
    return nullptr;
}

SInt16 Count1Resources(ResType theType) {
    ResFile* f = CurrentFile();
    SetErr(f ? noErr : resFNotFound);
    return f ? CountIn(*f, theType) : 0;
}

SInt16 CountResources(ResType theType) {
    int n = 0;
    for (ResFile* f : SearchPath()) n += CountIn(*f, theType);
    SetErr(noErr);
    return SInt16(std::min(n, 32767));
}

SInt16 Count1Types() {
    ResFile* f = CurrentFile();
    SetErr(f ? noErr : resFNotFound);
    return f ? SInt16(TypesIn(*f).size()) : 0;
}

namespace {
std::vector<ResType> ChainTypes() {
    std::vector<ResType> all;
    for (ResFile* f : SearchPath())
        for (ResType t : TypesIn(*f))
            if (std::find(all.begin(), all.end(), t) == all.end()) all.push_back(t);
    return all;
}

void PickType(const std::vector<ResType>& types, ResType* theType, SInt16 index) {
    if (!theType) {
        SetErr(paramErr);
        return;
    }
    if (index < 1 || size_t(index) > types.size()) {
        *theType = 0;
        SetErr(resNotFound);
        return;
    }
    *theType = types[size_t(index) - 1];
    SetErr(noErr);
}

ResID FirstFreeID(const std::bitset<32768>& used) {
    for (int id = 128; id < 32768; ++id)
        if (!used[size_t(id)]) return ResID(id);
    for (int id = 1; id < 128; ++id)
        if (!used[size_t(id)]) return ResID(id);
    return 0;
}

void MarkUsed(const ResFile& f, ResType type, std::bitset<32768>* used) {
    for (auto& e : f.entries)
        if (e->type == type && e->id > 0) used->set(size_t(e->id));
}
}  // namespace

SInt16 CountTypes() {
    SetErr(noErr);
    return SInt16(ChainTypes().size());
}

void Get1IndType(ResType* theType, SInt16 index) {
    ResFile* f = CurrentFile();
    if (!f) {
        if (theType) *theType = 0;
        SetErr(resFNotFound);
        return;
    }
    PickType(TypesIn(*f), theType, index);
}

void GetIndType(ResType* theType, SInt16 index) { PickType(ChainTypes(), theType, index); }

ResID Unique1ID(ResType theType) {
    std::bitset<32768> used;
    if (ResFile* f = CurrentFile()) MarkUsed(*f, theType, &used);
    SetErr(noErr);
    return FirstFreeID(used);
}

ResID UniqueID(ResType theType) {
    std::bitset<32768> used;
    for (ResFile* f : SearchPath()) MarkUsed(*f, theType, &used);
    SetErr(noErr);
    return FirstFreeID(used);
}

// ---------------------------------------------------------------------------
// Resource handles

void LoadResource(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    if (!e || e->loaded) return;
    const bool load = gRes.resLoad;
    gRes.resLoad = true;
    HandleFor(*e);
    gRes.resLoad = load;
}

void ReleaseResource(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    if (!e) return;
    KeepPendingChange(*e);
    ForgetHandle(*e);
    DisposeHandle(theResource);
}

void DetachResource(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    if (!e) return;
    KeepPendingChange(*e);
    ForgetHandle(*e);
}

void AddResource(Handle theData, ResType theType, ResID theID, ConstStr255Param name) {
    ResFile* f = CurrentFile();
    if (!theData || EntryOf(theData)) {
        SetErr(addResFailed);
        return;
    }
    if (!f) {
        SetErr(resFNotFound);
        return;
    }
    if (!Writable(*f)) {
        SetErr(wrPermErr);
        return;
    }
    if (FindIn(*f, theType, theID)) {
        SetErr(addResFailed);
        return;
    }
    auto e = std::make_unique<ResEntry>();
    e->file = f;
    e->type = theType;
    e->id = theID;
    if (name && name[0] > 0) {
        e->hasName = true;
        e->name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
    }
    e->attrs = resChanged;
    e->handle = theData;
    e->loaded = true;
    HSetState(theData, SInt8((HGetState(theData) | kHandleIsResource)));
    gRes.handles[theData] = e.get();
    InsertEntry(*f, std::move(e));
    MarkMapChanged(*f);
    SetErr(noErr);
}

void RemoveResource(Handle theResource) {
    ResEntry* e = ChangeableEntry(theResource);
    if (!e) {
        if (gRes.error == resNotFound) SetErr(rmvResFailed);
        return;
    }
    if (e->attrs & resProtected) {
        SetErr(rmvResFailed);
        return;
    }
    ResFile& f = *e->file;
    ForgetHandle(*e);
    f.entries.erase(std::find_if(f.entries.begin(), f.entries.end(), [&](const auto& x) { return x.get() == e; }));
    MarkMapChanged(f);
    SetErr(noErr);
}

void ChangedResource(Handle theResource) {
    ResEntry* e = ChangeableEntry(theResource);
    if (!e) return;
    e->attrs |= resChanged;
    MarkMapChanged(*e->file);
}

void WriteResource(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    if (!e) return;
    // The fork is replaced whole, so every pending change goes with it.
    SetErr(WriteFile(*e->file));
}

void GetResInfo(Handle theResource, ResID* theID, ResType* theType, StringPtr name) {
    ResEntry* e = ResourceEntry(theResource);
    if (!e) return;
    if (theID) *theID = e->id;
    if (theType) *theType = e->type;
    if (name) {
        const size_t n = e->hasName ? std::min<size_t>(e->name.size(), 255) : 0;
        name[0] = UInt8(n);
        if (n) std::memcpy(name + 1, e->name.data(), n);
    }
}

void SetResInfo(Handle theResource, ResID theID, ConstStr255Param name) {
    ResEntry* e = ChangeableEntry(theResource);
    if (!e) return;
    if (e->attrs & resProtected) {
        SetErr(resAttrErr);
        return;
    }
    ResEntry* other = FindIn(*e->file, e->type, theID);
    if (other && other != e) {
        SetErr(addResFailed);
        return;
    }
    e->id = theID;
    if (name) {
        e->hasName = name[0] > 0;
        e->name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
    }
    MarkMapChanged(*e->file);
}

SInt16 GetResAttrs(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    return e ? SInt16(e->attrs) : 0;
}

void SetResAttrs(Handle theResource, SInt16 attrs) {
    ResEntry* e = ChangeableEntry(theResource);
    if (!e) return;
    e->attrs = UInt8((attrs & ~resChanged & 0xFF) | (e->attrs & resChanged));
    ApplyHandleAttrs(*e);
    MarkMapChanged(*e->file);
}

Size GetResourceSizeOnDisk(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    return e ? Size(e->sizeOnDisk) : -1;
}

Size GetMaxResourceSize(Handle theResource) {
    ResEntry* e = ResourceEntry(theResource);
    if (!e) return -1;
    return e->loaded ? GetHandleSize(e->handle) : Size(e->stored.size());
}

OSErr ResError() { return gRes.error; }

void GetIndString(StringPtr theString, SInt16 strListID, SInt16 index) {
    if (!theString) return;
    theString[0] = 0;
    ResEntry* list = nullptr;
    for (ResFile* f : SearchPath())
        if ((list = FindIn(*f, FourCC("STR#"), strListID))) break;
    if (!list) {
        SetErr(resNotFound);
        return;
    }
    ByteReader r(list->handle && list->loaded ? std::span<const UInt8>(HandleBytes(list->handle))
                                              : std::span<const UInt8>(list->stored));
    const UInt16 count = r.u16be();
    if (index < 1 || index > count) {
        SetErr(resNotFound);
        return;
    }
    for (SInt16 i = 1; i < index; ++i) r.skip(r.u8());
    const UInt8 len = r.u8();
    auto text = r.bytes(len);
    if (!r.ok()) {
        SetErr(resNotFound);
        return;
    }
    theString[0] = len;
    std::memcpy(theString + 1, text.data(), len);
    SetErr(noErr);
}
