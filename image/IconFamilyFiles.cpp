#include "image/IconFamilyFiles.h"

#include "app/Shell.h"
#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/files/MacBinary.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr OSType kTableOfContentsType = FourCC("TOC ");
constexpr OSErr kNoIconServicesErr = -1;

// A family file as read: its form, and for a MacBinary file everything
// besides the data fork, to be written back with the new family.
struct IconFile {
    bool isMacBinary = false;
    MacBinaryFile macBinary;
    std::vector<UInt8> dataFork;
};

[[nodiscard]] OSErr ReadIconFile(const FSSpec* file, IconFile* out) {
    std::vector<UInt8> bytes;
    // A MacBinary wrapper adds a header and the resource fork to the family.
    constexpr size_t kMaxFileBytes = kMaxIconFamilyBytes + (size_t(16) << 20);
    if (OSErr err = ReadWholeFile(FSSpecToPath(file), &bytes, kMaxFileBytes); err != noErr) return err;
    if (LooksLikeMacBinary(bytes) && ParseMacBinary(bytes, &out->macBinary) == noErr) {
        out->isMacBinary = true;
        out->dataFork = std::move(out->macBinary.dataFork);
        out->macBinary.dataFork.clear();
    } else {
        out->dataFork = std::move(bytes);
    }
    return noErr;
}

[[nodiscard]] OSErr ReadIconFamily(const FSSpec* file, UniqueHandle* family) {
    if (!file) return paramErr;
    IconFile contents;
    if (OSErr err = ReadIconFile(file, &contents); err != noErr) return err;
    Handle h = nullptr;
    const OSErr err = NewIconFamilyFromBytes(contents.dataFork, &h);
    family->reset(h);
    return err;
}

// The member types a record read from a family takes in.
std::vector<OSType> HeldTypes() {
    std::vector<OSType> types;
    const IconSelectorValue selector = SystemIconSelector();
    for (int bit = 0; bit < 32; ++bit)
        if (selector & (IconSelectorValue(1) << bit))
            if (OSType type = IconTypeForSelectorBit(bit)) types.push_back(type);
    if (isThumbnailIconsAvailable) {
        types.push_back(FourCC("it32"));
        types.push_back(FourCC("t8mk"));
    }
    return types;
}

bool Contains(const std::vector<OSType>& types, OSType type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace

OSErr MergeIconFamilies(std::span<const UInt8> icon, std::span<const UInt8> old, std::vector<UInt8>* merged) {
    if (!merged) return paramErr;
    merged->clear();
    std::vector<IconFamilyElement> own, theirs;
    if (OSErr err = ParseIconFamily(icon, &own); err != noErr) return err;
    if (ParseIconFamily(old, &theirs) != noErr) theirs.clear();

    std::vector<OSType> replaced = HeldTypes();
    for (const auto& e : own) replaced.push_back(e.type);
    bool hadTable = false;
    std::vector<std::pair<std::span<const UInt8>, const IconFamilyElement*>> written;
    for (const auto& e : own)
        if (e.type != kTableOfContentsType) written.push_back({icon, &e});
    for (const auto& e : theirs) {
        if (e.type == kTableOfContentsType) hadTable = true;
        else if (!Contains(replaced, e.type)) written.push_back({old, &e});
    }

    ByteWriter w;
    w.u32be(kIconFamilyType);
    w.u32be(0);
    if (hadTable) {
        w.u32be(kTableOfContentsType);
        w.u32be(UInt32(kIconFamilyHeaderSize + 8 * written.size()));
        for (const auto& [bytes, e] : written) {
            w.u32be(e->type);
            w.u32be(e->length);
        }
    }
    for (const auto& [bytes, e] : written) w.bytes(bytes.subspan(e->offset, e->length));
    if (w.size() > kMaxIconFamilyBytes) return memFullErr;
    w.patchU32be(4, UInt32(w.size()));
    *merged = std::move(w.buffer());
    return noErr;
}

OSErr XIconToKorvelIcon(const FSSpec* file, KorvelIcon* icon) {
    if (!icon) return paramErr;
    *icon = {};
    if (!isIconServicesAvailable) return kNoIconServicesErr;
    UniqueHandle family;
    if (OSErr err = ReadIconFamily(file, &family); err != noErr) return err;
    return IconFamilyToKorvelIcon(family.get(), icon);
}

OSErr XIconToIconSuite(const FSSpec* file, IconSuiteRef* suite) {
    if (!suite) return paramErr;
    *suite = nullptr;
    if (gSystemVersion < 0x0850) return kNoIconServicesErr;
    UniqueHandle family;
    if (OSErr err = ReadIconFamily(file, &family); err != noErr) return err;
    return IconFamilyToIconSuite(family.get(), SystemIconSelector(), suite);
}

OSErr MakeXIconWithKorvelIcon(const FSSpec* file, const KorvelIcon& icon) {
    if (!file) return paramErr;
    if (!isIconServicesAvailable) return kNoIconServicesErr;
    Handle h = nullptr;
    const OSErr made = KorvelIconToIconFamily(icon, &h);
    UniqueHandle family(h);
    if (made != noErr) return made;
    std::vector<UInt8> own;
    if (OSErr err = IconFamilyFileBytes(family.get(), &own); err != noErr) return err;
    family.reset();

    const std::string path = FSSpecToPath(file);
    if (!PathExists(path)) {
        if (OSErr err = WriteFileAtomically(path, own); err != noErr) return err;
        FInfo info;
        info.fdType = kIconFamilyType;
        info.fdCreator = kKorvelCreator;
        return FSpSetFInfo(file, &info);
    }
    if (PathIsFolder(path)) return notAFileErr;
    IconFile old;
    if (OSErr err = ReadIconFile(file, &old); err != noErr) return err;
    std::vector<UInt8> merged;
    if (OSErr err = MergeIconFamilies(own, old.dataFork, &merged); err != noErr) return err;
    if (!old.isMacBinary) return WriteFileAtomically(path, merged);
    old.macBinary.dataFork = std::move(merged);
    old.macBinary.modificationDate = MacDateFromUnix(std::time(nullptr));
    return WriteFileAtomically(path, WriteMacBinary(old.macBinary));
}
