#include "platform/files/Forks.h"

#include "platform/core/ByteIO.h"
#include "platform/files/AppleDouble.h"
#include "platform/files/FileIO.h"
#include "platform/files/MacBinary.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kResourceHeaderSize = 16;
constexpr size_t kResourceMapMinSize = 30;  // header copy, handle, refNum, attributes, 2 offsets, type count

void TakeFinderInfo(std::span<const UInt8> info, ForkSource from, ForkContents* out) {
    std::memset(out->finderInfo, 0, sizeof out->finderInfo);
    std::memcpy(out->finderInfo, info.data(), std::min(info.size(), sizeof out->finderInfo));
    out->finderInfoSource = from;
}

void MacBinaryFinderInfo(const MacBinaryFile& mb, ForkContents* out) {
    ByteWriter w;
    w.u32be(mb.fileType);
    w.u32be(mb.creator);
    w.u16be(mb.finderFlags);
    w.point(mb.location);
    w.s16be(mb.folder);
    w.zeros(16);
    TakeFinderInfo(w.buffer(), ForkSource::macBinary, out);
}

// Reads the file itself as a container of forks.
[[nodiscard]] OSErr ReadFileItself(const std::string& path, bool wantFork, ForkContents* out) {
    std::vector<UInt8> head;
    if (OSErr err = ReadFileHead(path, kMacBinaryHeaderSize, &head); err != noErr) return err;
    bool container = HasAppleDoubleMagic(head) || LooksLikeMacBinary(head);
    bool needFork = wantFork && out->forkSource == ForkSource::none;
    if (!container && !needFork) return noErr;
    if (!container && head.size() < kResourceHeaderSize + kResourceMapMinSize) return noErr;

    std::vector<UInt8> bytes;
    if (OSErr err = ReadWholeFile(path, &bytes); err != noErr) return err;

    if (HasAppleDoubleMagic(bytes)) {
        // An AppleDouble header on the file itself is read as AppleSingle:
        // the entries it has are the file's.
        AppleDoubleFile ad;
        if (ParseAppleDouble(bytes, &ad) == noErr) {
            if (out->finderInfoSource == ForkSource::none)
                if (const auto* e = ad.find(kEntryFinderInfo))
                    TakeFinderInfo(e->bytes, ForkSource::appleSingle, out);
            if (needFork)
                if (auto* e = ad.find(kEntryResourceFork); e && !e->bytes.empty()) {
                    out->resourceFork = std::move(e->bytes);
                    out->forkSource = ForkSource::appleSingle;
                }
            return noErr;
        }
    }
    if (LooksLikeMacBinary(bytes)) {
        MacBinaryFile mb;
        if (ParseMacBinary(bytes, &mb) == noErr) {
            if (out->finderInfoSource == ForkSource::none) MacBinaryFinderInfo(mb, out);
            if (needFork && !mb.resourceFork.empty()) {
                out->resourceFork = std::move(mb.resourceFork);
                out->forkSource = ForkSource::macBinary;
            }
            return noErr;
        }
    }
    if (needFork && LooksLikeResourceFile(bytes)) {
        out->resourceFork = std::move(bytes);
        out->forkSource = ForkSource::flat;
    }
    return noErr;
}

}  // namespace

const char* ForkSourceName(ForkSource src) {
    switch (src) {
    case ForkSource::none: return "none";
    case ForkSource::appleDouble: return "appledouble";
    case ForkSource::appleSingle: return "applesingle";
    case ForkSource::flat: return "flat";
    case ForkSource::macBinary: return "macbinary";
    }
    return "none";
}

bool LooksLikeResourceFile(std::span<const UInt8> bytes) {
    ByteReader r(bytes);
    UInt32 dataOffset = r.u32be(), mapOffset = r.u32be(), dataLength = r.u32be(), mapLength = r.u32be();
    if (!r.ok()) return false;
    size_t size = bytes.size();
    if (dataOffset < kResourceHeaderSize || mapOffset < kResourceHeaderSize) return false;
    if (dataOffset > size || dataLength > size - dataOffset) return false;
    if (mapOffset > size || mapLength > size - mapOffset) return false;
    if (mapLength < kResourceMapMinSize) return false;
    // The data area and the map do not overlap.
    if (dataLength > 0 && UInt64(dataOffset) < UInt64(mapOffset) + mapLength &&
        UInt64(mapOffset) < UInt64(dataOffset) + dataLength)
        return false;
    auto copy = bytes.subspan(mapOffset, kResourceHeaderSize);
    bool zeros = std::all_of(copy.begin(), copy.end(), [](UInt8 b) { return b == 0; });
    if (!zeros && !std::equal(copy.begin(), copy.end(), bytes.begin())) return false;
    ByteReader m(bytes.subspan(mapOffset, mapLength));
    m.seek(24);
    UInt16 typeListOffset = m.u16be();
    UInt16 nameListOffset = m.u16be();
    return m.ok() && typeListOffset <= mapLength && nameListOffset <= mapLength;
}

OSErr ReadForkContents(const std::string& path, bool wantFork, ForkContents* out) {
    *out = ForkContents{};
    if (!PathExists(path)) return fnfErr;
    std::string companion = CompanionPath(path);
    if (PathIsFile(companion)) {
        std::vector<UInt8> bytes;
        AppleDoubleFile ad;
        // A companion that cannot be read or is not AppleDouble is passed over,
        // as macOS does with a "._" file that is no companion.
        OSErr readErr = ReadWholeFile(companion, &bytes);
        if (readErr == memFullErr) return readErr;  // too large to hold, not absent
        if (readErr == noErr && ParseAppleDouble(bytes, &ad) == noErr) {
            if (const auto* e = ad.find(kEntryFinderInfo)) TakeFinderInfo(e->bytes, ForkSource::appleDouble, out);
            if (wantFork)
                if (auto* e = ad.find(kEntryResourceFork); e && !e->bytes.empty()) {
                    out->resourceFork = std::move(e->bytes);
                    out->forkSource = ForkSource::appleDouble;
                }
        }
    }
    if (PathIsFolder(path)) return noErr;
    if (out->finderInfoSource != ForkSource::none && (!wantFork || out->forkSource != ForkSource::none))
        return noErr;
    return ReadFileItself(path, wantFork, out);
}

OSErr ReadResourceFork(const FSSpec* fileSpec, std::vector<UInt8>* bytes, ForkSource* source) {
    if (!fileSpec || !bytes) return paramErr;
    bytes->clear();
    if (source) *source = ForkSource::none;
    std::string path = FSSpecToPath(fileSpec);
    if (path.empty()) return dirNFErr;
    if (PathIsFolder(path)) return notAFileErr;
    ForkContents c;
    if (OSErr err = ReadForkContents(path, true, &c); err != noErr) return err;
    if (c.forkSource == ForkSource::none) return eofErr;
    *bytes = std::move(c.resourceFork);
    if (source) *source = c.forkSource;
    return noErr;
}

OSErr WriteResourceFork(const FSSpec* fileSpec, std::span<const UInt8> bytes, ForkSource where) {
    if (!fileSpec) return paramErr;
    std::string path = FSSpecToPath(fileSpec);
    if (path.empty()) return dirNFErr;
    if (PathIsFolder(path)) return notAFileErr;
    if (!PathExists(path)) return fnfErr;
    if (where == ForkSource::flat) return WriteFileAtomically(path, bytes);

    std::string companionPath = CompanionPath(path);
    AppleDoubleFile ad = NewAppleDouble();
    if (PathExists(companionPath)) {
        std::vector<UInt8> old;
        if (OSErr err = ReadWholeFile(companionPath, &old); err != noErr) return err;
        // A "._" file that is not AppleDouble belongs to someone else: refuse
        // rather than overwrite it.
        if (ParseAppleDouble(old, &ad) != noErr) return ioErr;
        ad.magic = kAppleDoubleMagic;
    } else {
        // A new companion carries over the Finder information the file itself
        // had (AppleSingle or MacBinary), since it will be read first from now.
        ForkContents c;
        if (ReadForkContents(path, false, &c) == noErr && c.finderInfoSource != ForkSource::none)
            SetFinderInfoBytes(&ad, std::span<const UInt8, kFinderInfoSize>(c.finderInfo, kFinderInfoSize));
        else
            ad.set(kEntryFinderInfo, std::vector<UInt8>(kFinderInfoSize, 0));
    }
    ad.set(kEntryResourceFork, bytes);
    return WriteFileAtomically(companionPath, WriteAppleDouble(ad));
}
