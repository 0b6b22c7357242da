#include "image/CustomIcons.h"

#include "app/Shell.h"
#include "image/IconResources.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/icons/DesktopIcons.h"
#include "platform/resources/Resources.h"

namespace {

constexpr SInt16 kIconFileNamesList = 140, kIconFileNameItem = 3;
constexpr SInt16 kIconNamesList = 141, kCustomIconNameItem = 2;
constexpr OSType kResEditCreator = FourCC("RSED"), kResourceFileType = FourCC("rsrc");
constexpr OSType kFinderCreator = FourCC("MACS"), kFolderIconFileType = FourCC("icon");
constexpr OSErr kNotAFolderErr = -1;

// Every member resource type the custom icon may have left in a fork.
constexpr IconSelectorValue kEveryMemberSelector = kSelectorAllAvailableData;

// The name of a folder's icon file (string list 140); the platform's name
// when the application's strings are not at hand, so that an empty name can
// never stand for the folder itself.
void FolderIconFileName(Str255 name) {
    GetIndString(name, kIconFileNamesList, kIconFileNameItem);
    if (name[0] == 0) CopyCStringToPascal(kFolderIconFileName, name);
}

[[nodiscard]] OSErr FolderIconFileSpec(const FSSpec* folder, FSSpec* iconFile) {
    SInt32 dirID = 0;
    Boolean isDirectory = false;
    if (OSErr err = FSpGetDirectoryID(folder, &dirID, &isDirectory); err != noErr) return err;
    if (!isDirectory) return kNotAFolderErr;
    Str255 name;
    FolderIconFileName(name);
    return FSMakeFSSpec(folder->vRefNum, dirID, name, iconFile);
}

bool HasMembers(const KorvelIcon& icon) {
    return (icon.suite && CountIconSuiteMembers(icon.suite) > 0) || icon.it32Data || icon.t8mkData;
}

// Runs `edit` on the carrier's resource fork (an empty one when it has none)
// in memory with that file current, then writes the whole fork back where it
// was read from, beside the old and renamed over it. Nothing is written
// when the edit fails, and the current resource file is given back.
template <typename Edit>
[[nodiscard]] OSErr EditResourceFork(const FSSpec* carrier, Edit edit) {
    std::vector<UInt8> old;
    ForkSource source = ForkSource::none;
    OSErr err = ReadResourceFork(carrier, &old, &source);
    if (err == eofErr) {
        if (OSErr emptyErr = SerializeResourceFork(ResourceForkImage{}, &old); emptyErr != noErr) return emptyErr;
    } else if (err != noErr) {
        return err;
    }
    const SInt16 saved = CurResFile();
    const SInt16 refNum = OpenResFileFromBytes(old, fsRdWrPerm);
    if (refNum == kResFileNotOpen) {
        const OSErr openErr = ResError();
        UseResFile(saved);
        return openErr != noErr ? openErr : OSErr(mapReadErr);
    }
    UseResFile(refNum);
    err = edit();
    std::vector<UInt8> fork;
    if (err == noErr) err = GetResFileBytes(refNum, &fork);
    CloseResFile(refNum);
    UseResFile(saved);
    if (err != noErr) return err;
    if (source != ForkSource::none && fork == old) return noErr;
    return WriteResourceFork(carrier, fork, source == ForkSource::flat ? ForkSource::flat : ForkSource::appleDouble);
}

// Writes the icon as the current file's custom icon resources: the members
// of the selector (an absent member removes a resource left by an earlier
// icon) and the whole family as 'icns', or no 'icns' without Icon Services.
[[nodiscard]] OSErr AddCustomIconResources(const KorvelIcon& icon, IconSelectorValue selector) {
    IconResInfo info;
    info.resID = kCustomIconResID;
    GetIndString(info.name, kIconNamesList, kCustomIconNameItem);
    info.attributes = 0;
    // Without a suite an empty one is walked, so that no member of an
    // earlier icon stays behind.
    UniqueIconSuite empty;
    IconSuiteRef suite = icon.suite;
    if (!suite) {
        if (OSErr err = NewIconSuite(empty.out()); err != noErr) return err;
        suite = empty.get();
    }
    if (OSErr err = ForEachIconDo(suite, selector, AddIconToFile, &info); err != noErr) return err;
    if (!isIconServicesAvailable) return DeleteIconFamilyResource();
    IconFamilyHandle family = nullptr;
    if (OSErr err = KorvelIconToIconFamily(icon, &family); err != noErr) return err;
    UniqueHandle owner(family);
    return SaveDataToResource(HandleBytes(family), kIconFamilyType, kCustomIconResID, info.name, info.attributes);
}

[[nodiscard]] OSErr RemoveCustomIconResources() {
    UniqueIconSuite empty;
    if (OSErr err = NewIconSuite(empty.out()); err != noErr) return err;
    IconResInfo info;
    info.resID = kCustomIconResID;
    if (OSErr err = ForEachIconDo(empty.get(), kEveryMemberSelector, AddIconToFile, &info); err != noErr) return err;
    return DeleteIconFamilyResource();
}

// Sets the custom-icon flag and clears has-been-inited, so that file
// browsers look at the item afresh.
[[nodiscard]] OSErr FlagCustomIcon(const FSSpec* item, bool hasIcon) {
    UInt16 flags = 0;
    if (OSErr err = FSpGetFinderFlags(item, &flags); err != noErr) return err;
    const UInt16 wanted = UInt16((hasIcon ? flags | kHasCustomIcon : flags & ~kHasCustomIcon) & ~kHasBeenInited);
    if (wanted == flags) return noErr;
    return FSpSetFinderFlags(item, wanted);
}

// The item's new icon is told to the desktop; the first error wins.
[[nodiscard]] OSErr FinishCustomIcon(const FSSpec* item, OSErr err) {
    (void)FlushVol(nullptr, item->vRefNum);
    const OSErr updateErr = UpdateFinderIcon(item);
    return err != noErr ? err : updateErr;
}

}  // namespace

OSErr FileIconCheck(const FSSpec* file, SInt16* status) {
    if (!file || !status) return paramErr;
    std::vector<UInt8> bytes;
    const OSErr err = ReadResourceFork(file, &bytes, nullptr);
    if (err == eofErr) {
        *status = kIconCheckNoResourceFork;
        return noErr;
    }
    if (err != noErr) return err;
    // The fork is read, not opened through the Resource Manager, so that a
    // file already open elsewhere is left alone.
    ResourceForkImage fork;
    if (OSErr parseErr = ParseResourceFork(bytes, &fork); parseErr != noErr) return parseErr;
    for (const ForkResource& r : fork.resources) {
        if (r.type != kIconFamilyType || r.id != kCustomIconResID) continue;
        if (!isIconServicesAvailable) {
            *status = kIconCheckNeedsIconServices;
        } else {
            UniqueHandle family(NewHandleFromBytes(r.data));
            if (!family) return memFullErr;
            if (!IsEditableIconFamily(family.get())) *status = kIconCheckNotEditable;
        }
        break;
    }
    return noErr;
}

OSErr FolderIconCheck(const FSSpec* folder, SInt16* status) {
    if (!folder || !status) return paramErr;
    UInt16 flags = 0;
    if (OSErr err = FSpGetFinderFlags(folder, &flags); err != noErr) return err;
    if (!(flags & kHasCustomIcon)) return noErr;
    FSSpec iconFile;
    const OSErr err = FolderIconFileSpec(folder, &iconFile);
    if (err == fnfErr) return FSpSetFinderFlags(folder, UInt16(flags & ~kHasCustomIcon));
    if (err != noErr) return err;
    return FileIconCheck(&iconFile, status);
}

OSErr GetFileKorvelIcon(const FSSpec* item, KorvelIcon* icon, Boolean isFolder, Boolean* has32, SInt16* status) {
    if (!item || !icon || !has32 || !status) return paramErr;
    *has32 = false;
    (void)(isFolder ? FolderIconCheck(item, status) : FileIconCheck(item, status));

    IconRef ref = nullptr;
    if (OSErr err = GetIconRefFromFile(item, &ref, nullptr); err != noErr) return err;
    IconFamilyHandle family = nullptr;
    const OSErr familyErr = IconRefToIconFamily(ref, kSelectorAllAvailableData, &family);
    (void)ReleaseIconRef(ref);
    if (familyErr != noErr) return familyErr;
    UniqueHandle owner(family);
    const IconMemberSelector selector{SystemIconSelector(), isThumbnailIconsAvailable, isThumbnailIconsAvailable};
    if (OSErr err = IconFamilyToKorvelIconWithSelector(family, selector, icon); err != noErr) return err;
    return KorvelIconHas32Icons(*icon, has32);
}

OSErr MakeFileWithKorvelIcon(const FSSpec* file, const KorvelIcon& icon) {
    if (!file) return paramErr;
    if (!FSpExists(file))
        if (OSErr err = FSpCreate(file, kResEditCreator, kResourceFileType, smSystemScript); err != noErr) return err;
    if (FSpIsFolder(file)) return notAFileErr;
    if (!HasMembers(icon)) return RemoveCustomIcon(file, false);
    const IconSelectorValue selector = SystemIconSelector();
    if (OSErr err = EditResourceFork(file, [&] { return AddCustomIconResources(icon, selector); }); err != noErr)
        return err;
    return FinishCustomIcon(file, FlagCustomIcon(file, true));
}

OSErr MakeFolderWithKorvelIcon(const FSSpec* folder, const KorvelIcon& icon) {
    if (!folder) return paramErr;
    SInt32 dirID = 0;
    if (OSErr err = FSpDirCreate(folder, smSystemScript, &dirID); err != noErr && err != dupFNErr) return err;
    if (!FSpIsFolder(folder)) return kNotAFolderErr;
    if (!HasMembers(icon)) return RemoveCustomIcon(folder, true);

    FSSpec iconFile;
    OSErr err = FolderIconFileSpec(folder, &iconFile);
    if (err == fnfErr) {
        err = FSpCreate(&iconFile, kFinderCreator, kFolderIconFileType, smSystemScript);
        if (err == noErr) err = FSpSetFinderFlags(&iconFile, kIsInvisible);
    }
    if (err != noErr) return err;
    if (OSErr writeErr = EditResourceFork(&iconFile, [&] { return AddCustomIconResources(icon, kClassicIconSelector); });
        writeErr != noErr)
        return writeErr;
    CountUse(kUsedFolderIcon);
    return FinishCustomIcon(folder, FlagCustomIcon(folder, true));
}

OSErr MakeFileWithIcon(const FSSpec* file, IconSuiteRef suite) {
    return MakeFileWithKorvelIcon(file, KorvelIcon{suite, nullptr, nullptr});
}

OSErr MakeFolderWithIcon(const FSSpec* folder, IconSuiteRef suite) {
    return MakeFolderWithKorvelIcon(folder, KorvelIcon{suite, nullptr, nullptr});
}

OSErr RemoveCustomIcon(const FSSpec* item, Boolean isFolder) {
    if (!item) return paramErr;
    if (!FSpExists(item)) return fnfErr;
    if (isFolder) {
        FSSpec iconFile;
        OSErr err = FolderIconFileSpec(item, &iconFile);
        if (err == noErr) err = FSpDelete(&iconFile);
        if (err != noErr && err != fnfErr) return err;
    } else {
        std::vector<UInt8> fork;
        const OSErr err = ReadResourceFork(item, &fork, nullptr);
        if (err == noErr) {
            if (OSErr editErr = EditResourceFork(item, RemoveCustomIconResources); editErr != noErr) return editErr;
        } else if (err != eofErr) {
            return err;
        }
    }
    return FinishCustomIcon(item, FlagCustomIcon(item, false));
}

OSErr UpdateFinderIcon(const FSSpec* item) {
    if (!item) return paramErr;
    const std::string path = FSSpecToPath(item);
    const bool isFolder = FSpIsFolder(item);
    std::vector<UInt8> bytes;
    OSErr err = ReadCustomIconFamily(item, &bytes);
    if (err == noSuchIconErr) return RemovePublishedCustomIcon(path, isFolder);
    if (err != noErr) return err;
    UniqueHandle family(NewHandleFromBytes(bytes));
    if (!family) return memFullErr;
    RgbaImage image;
    err = IconFamilyToRgbaImage(family.get(), &image);
    if (err == noSuchIconErr) return RemovePublishedCustomIcon(path, isFolder);
    if (err != noErr) return err;
    std::vector<UInt8> png;
    if (OSErr pngErr = EncodePngRgba(image, &png); pngErr != noErr) return pngErr;
    return PublishCustomIcon(path, isFolder, png);
}

OSErr GetFileIconSuite(const FSSpec* file, IconSuiteRef* suite) {
    if (!file || !suite) return paramErr;
    *suite = nullptr;
    IconRef ref = nullptr;
    if (OSErr err = GetIconRefFromFile(file, &ref, nullptr); err != noErr) return err;
    IconFamilyHandle family = nullptr;
    const OSErr err = IconRefToIconFamily(ref, kSelectorAllAvailableData, &family);
    (void)ReleaseIconRef(ref);
    if (err != noErr) return err;
    UniqueHandle owner(family);
    return IconFamilyToIconSuite(family, SystemIconSelector(), suite);
}
