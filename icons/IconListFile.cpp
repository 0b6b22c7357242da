// The icon file behind an icon-list window: reading it (and what can be
// read of a damaged one), the working file, the bookkeeping resources,
// reading one icon, and saving in the form the file was read in.
#include "icons/IconListInternal.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "image/IconResources.h"
#include "platform/core/PString.h"
#include "platform/files/AppleDouble.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/files/MacBinary.h"
#include "palettes/Prefs.h"
#include "platform/ui/NavDialogs.h"

#include <algorithm>
#include <array>
#include <unistd.h>

SInt16 gTempFileNum = 0;

namespace {

enum : SInt16 { kTempFileStrings = 144 };

constexpr std::array<ResType, 11> kIconResourceTypes{
    FourCC("ICN#"), FourCC("icl4"), FourCC("icl8"), FourCC("ics#"), FourCC("ics4"), FourCC("ics8"),
    FourCC("il32"), FourCC("l8mk"), FourCC("is32"), FourCC("s8mk"), FourCC("icns"),
};

// The stored size a member must have; 0 for the packed 32-bit images, whose
// size varies.
Size ExpectedMemberSize(ResType type) {
    for (SInt16 kind = 0; kind < 12; ++kind)
        if (gIconType[size_t(kind)] == type) return type == FourCC("il32") || type == FourCC("is32") ? 0 : IconKindDataSize(kind);
    return 0;
}

Boolean HasUsableMember(ResType type, ResID id) {
    Handle h = Get1Resource(type, id);
    return h && GetHandleSize(h) == ExpectedMemberSize(type);
}

Boolean HasUsableFamily(ResID id) {
    Handle h = Get1Resource(kIconListTypeFamily, id);
    if (!h || GetHandleSize(h) < 8) return false;
    const std::span<const UInt8> b = HandleBytes(h);
    return FourCC("icns") == (UInt32(b[0]) << 24 | UInt32(b[1]) << 16 | UInt32(b[2]) << 8 | b[3]);
}

std::vector<ResID> IDsOf(ResType type) {
    std::vector<ResID> ids;
    const SInt16 n = Count1Resources(type);
    SetResLoad(false);
    for (SInt16 i = 1; i <= n; ++i) {
        ResID id = 0;
        ResType t = 0;
        if (Handle h = Get1IndResource(type, i)) {
            GetResInfo(h, &id, &t, nullptr);
            if (id != kCustomIconResID) ids.push_back(id);
        }
    }
    SetResLoad(true);
    return ids;
}

// A suite of copies of the icon's members in the current file; members of
// the wrong size are left out.
OSErr ReadClassicIcon(ResID id, KorvelIcon* icon) {
    UniqueIconSuite suite;
    if (const OSErr err = NewIconSuite(suite.out()); err != noErr) return err;
    for (ResType type : kIconResourceTypes) {
        if (type == kIconListTypeFamily) continue;
        if (!isIconServicesAvailable && (type == FourCC("il32") || type == FourCC("l8mk") ||
                                         type == FourCC("is32") || type == FourCC("s8mk")))
            continue;
        Handle h = Get1Resource(type, id);
        if (!h) continue;
        const Size expected = ExpectedMemberSize(type);
        if (GetHandleSize(h) == 0 || (expected && GetHandleSize(h) != expected)) continue;
        Handle copy = NewHandleFromBytes(HandleBytes(h));
        if (!copy) return memFullErr;
        if (const OSErr err = AddIconToSuite(copy, suite.get(), type); err != noErr) {
            DisposeHandle(copy);
            return err;
        }
    }
    icon->suite = suite.release();
    return noErr;
}

// Writes the new fork where it was read from, keeping everything else of the
// file as it was.
OSErr WriteIconFileForm(const FSSpec& file, ForkSource form, std::span<const UInt8> fork) {
    const std::string path = FSSpecToPath(&file);
    switch (form) {
    case ForkSource::macBinary: {
        std::vector<UInt8> whole;
        if (const OSErr err = ReadWholeFile(path, &whole); err != noErr) return err;
        MacBinaryFile mb;
        if (const OSErr err = ParseMacBinary(whole, &mb); err != noErr) return err;
        mb.resourceFork.assign(fork.begin(), fork.end());
        return WriteFileAtomically(path, WriteMacBinary(mb));
    }
    case ForkSource::appleSingle: {
        std::vector<UInt8> whole;
        if (const OSErr err = ReadWholeFile(path, &whole); err != noErr) return err;
        AppleDoubleFile single;
        if (const OSErr err = ParseAppleDouble(whole, &single); err != noErr) return err;
        single.set(kEntryResourceFork, fork);
        return WriteFileAtomically(path, WriteAppleDouble(single));
    }
    case ForkSource::appleDouble: return WriteResourceFork(&file, fork, ForkSource::appleDouble);
    default: return WriteResourceFork(&file, fork, ForkSource::flat);
    }
}

// Applies the working file's marks and icons to `target`.
OSErr ApplyWorkingFile(SInt16 working, SInt16 target) {
    std::vector<ResID> touched;
    {
        UseResFileScope use(working);
        for (ResType mark : {kDeleteInfoType, kUpdateInfoType})
            for (ResID id : IDsOf(mark)) touched.push_back(id);
    }
    {
        UseResFileScope use(target);
        for (ResID id : touched)
            if (const OSErr err = RemoveIconResources(id); err != noErr) return err;
    }
    return CopyIcons(working, target);
}

}  // namespace

std::span<const ResType> IconResourceTypes() { return kIconResourceTypes; }

OSErr RemoveIconResources(ResID id) {
    for (ResType type : kIconResourceTypes)
        if (const OSErr err = RemoveOneResource(type, id); err != noErr) return err;
    return noErr;
}

OSErr RemoveOneResource(ResType type, ResID id) {
    Handle h = Get1Resource(type, id);
    if (!h) return noErr;
    RemoveResource(h);
    // A file that refuses the removal still owns the handle.
    if (const OSErr err = ResError(); err != noErr) return err;
    DisposeHandle(h);
    return noErr;
}

OSErr ReadIconFileFork(const FSSpec& file, SInt16* refNum, ForkSource* form, std::string* note) {
    *refNum = 0;
    note->clear();
    std::vector<UInt8> bytes;
    OSErr err = ReadResourceFork(&file, &bytes, form);
    if (err == eofErr) return eofErr;
    const std::string name = PStringToStd(file.name);
    const SInt16 saved = CurResFile();
    SInt16 ref = kResFileNotOpen;
    if (err == noErr) {
        ref = OpenResFileFromBytes(bytes, fsRdWrPerm);
        err = ResError();
        if (err != noErr || ref == kResFileNotOpen) {
            std::vector<UInt8> salvaged;
            int skipped = 0;
            if (SalvageResourceFork(bytes, &salvaged, &skipped) == noErr) {
                ref = OpenResFileFromBytes(salvaged, fsRdWrPerm);
                err = ref == kResFileNotOpen ? ResError() : OSErr(noErr);
                if (err == noErr)
                    *note = std::to_string(skipped) + " damaged or repeated resource" + (skipped == 1 ? "" : "s");
            }
        }
    }
    UseResFile(saved);
    if (err != noErr || ref == kResFileNotOpen) {
        ErrorAlertNamed(kIconFileErrStrings, kIconFileUnreadable, name);
        return err != noErr ? err : OSErr(mapReadErr);
    }
    *refNum = ref;
    return noErr;
}

std::vector<IconEntry> ReadIconEntries(SInt16 refNum, std::string* skipped) {
    std::vector<IconEntry> entries;
    if (refNum <= 0) return entries;
    UseResFileScope use(refNum);
    std::vector<ResID> ids = IDsOf(FourCC("ICN#"));
    for (ResID id : IDsOf(FourCC("ics#"))) ids.push_back(id);
    std::vector<ResID> families;
    if (isIconServicesAvailable) families = IDsOf(kIconListTypeFamily);
    for (ResID id : families) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<ResID> left;
    for (ResID id : ids) {
        const Boolean family = isIconServicesAvailable && HasUsableFamily(id);
        if (family) entries.push_back({id, kIconListTypeFamily});
        else if (HasUsableMember(FourCC("ICN#"), id) || HasUsableMember(FourCC("ics#"), id))
            entries.push_back({id, kIconListTypeClassic});
        else left.push_back(id);
    }
    if (skipped && !left.empty()) {
        if (!skipped->empty()) *skipped += "; ";
        *skipped += "icons with empty or wrong-size masks:";
        for (ResID id : left) *skipped += " " + std::to_string(id);
    }
    return entries;
}

OSErr MyGetKorvelIcon(IconFileRec* iconFile, KorvelIcon* icon, const IconEntry& entry, StringPtr name,
                      Boolean* editable) {
    *icon = KorvelIcon{};
    if (name) name[0] = 0;
    if (editable) *editable = true;
    const SInt16 files[2] = {iconFile->workingRefNum, iconFile->sourceRefNum};
    for (SInt16 ref : files) {
        if (ref <= 0) continue;
        UseResFileScope use(ref);
        ResID id = 0;
        ResType t = 0;
        if (entry.listType == kIconListTypeFamily && isIconServicesAvailable) {
            Handle h = Get1Resource(kIconListTypeFamily, entry.resID);
            if (!h) continue;
            if (editable) *editable = IsEditableIconFamily(IconFamilyHandle(h));
            if (name) GetResInfo(h, &id, &t, name);
            return IconFamilyToKorvelIcon(IconFamilyHandle(h), icon);
        }
        Handle h = Get1Resource(FourCC("ICN#"), entry.resID);
        if (!h) h = Get1Resource(FourCC("ics#"), entry.resID);
        if (!h) continue;
        if (name) GetResInfo(h, &id, &t, name);
        return ReadClassicIcon(entry.resID, icon);
    }
    return resNotFound;
}

void CreateDeleteInfo(ResID id) {
    if (RemoveOneResource(kDeleteInfoType, id) != noErr) return;
    if (Handle h = NewHandle(0)) {
        AddResource(h, kDeleteInfoType, id, nullptr);
        if (ResError() == noErr) SetResAttrs(h, kIconResourceAttributes);
        else DisposeHandle(h);
    }
}

void CreateUpdateInfo(ResID id) {
    if (RemoveOneResource(kUpdateInfoType, id) != noErr) return;
    if (Handle h = NewHandle(0)) {
        AddResource(h, kUpdateInfoType, id, nullptr);
        if (ResError() == noErr) SetResAttrs(h, kIconResourceAttributes);
        else DisposeHandle(h);
    }
    RemoveDeleteInfo(id);
}

void RemoveDeleteInfo(ResID id) { (void)RemoveOneResource(kDeleteInfoType, id); }

Boolean IsIconChanged(ResID id) {
    SetResLoad(false);
    const Boolean changed = Get1Resource(kUpdateInfoType, id) != nullptr;
    SetResLoad(true);
    return changed;
}

OSErr MakeWorkingFile(IconFileRec* iconFile) {
    SInt16 vRef = 0;
    SInt32 dirID = 0;
    if (const OSErr err = FindFolder(kOnSystemDisk, kTemporaryFolderType, kCreateFolder, &vRef, &dirID); err != noErr)
        return err;
    Str255 prefix;
    GetIndString(prefix, kTempFileStrings, 1);
    // The process ID keeps two running copies of the program apart.
    const std::string name = PStringToStd(prefix) + std::to_string(::getpid()) + "-" + std::to_string(gTempFileNum++);
    FSSpec fileSpec{vRef, dirID, {0}};
    CopyCStringToPascal(name, fileSpec.name);
    if (FSpExists(&fileSpec)) (void)FSpDelete(&fileSpec);
    FSpCreateResFile(&fileSpec, kKorvelCreator, FourCC("temp"), 0);
    if (const OSErr err = ResError(); err != noErr) return err;
    const SInt16 saved = CurResFile();
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    const OSErr err = ResError();
    UseResFile(saved);
    if (ref == kResFileNotOpen) {
        (void)FSpDelete(&fileSpec);
        return err != noErr ? err : OSErr(ioErr);
    }
    iconFile->workingRefNum = ref;
    iconFile->workingSpec = fileSpec;
    return noErr;
}

void DisposeWorkingFile(IconFileRec* iconFile) {
    if (iconFile->workingRefNum > 0) {
        CloseResFile(iconFile->workingRefNum);
        (void)FSpDelete(&iconFile->workingSpec);
    }
    iconFile->workingRefNum = 0;
}

SInt16 CountIcons(const FSSpec& file) {
    SInt16 ref = 0;
    ForkSource form = ForkSource::none;
    std::string note;
    const OSErr err = ReadIconFileFork(file, &ref, &form, &note);
    if (err == eofErr) return 0;
    if (err != noErr) return err;
    const SInt16 count = SInt16(std::min<size_t>(ReadIconEntries(ref, nullptr).size(), 32767));
    CloseResFile(ref);
    return count;
}

OSErr SaveIconFile(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    if (!rec->hasFile) {
        NavDialogOptions options;
        GetIndString(options.message, kIconListTitleStrings, 2);
        GetWTitle(window, options.savedFileName);
        // New icon files are flat resource files named with their suffix.
        static const UInt8 kSuffix[] = {5, '.', 'r', 's', 'r', 'c'};
        PStrCat(options.savedFileName, kSuffix);
        NavReplyRecord reply;
        if (const OSErr err = NavPutFile(&options, &reply); err != noErr) return err;
        if (!reply.validRecord) return userCanceledErr;
        rec->sourceSpec = reply.selection;
        rec->sourceForm = ForkSource::flat;
    }
    std::vector<UInt8> before;
    if (rec->sourceRefNum > 0) {
        if (const OSErr err = GetResFileBytes(rec->sourceRefNum, &before); err != noErr) return err;
    }
    // The save is built on a copy: a write that fails leaves the window's
    // icon file and working file as they were.
    const SInt16 saved = CurResFile();
    const SInt16 copy = before.empty() ? NewResFileInMemory() : OpenResFileFromBytes(before, fsRdWrPerm);
    UseResFile(saved);
    OSErr err = copy == kResFileNotOpen ? ResError() : ApplyWorkingFile(rec->workingRefNum, copy);
    std::vector<UInt8> after;
    if (err == noErr) err = GetResFileBytes(copy, &after);
    if (err == noErr) {
        if (!rec->hasFile && !FSpExists(&rec->sourceSpec)) {
            FSpCreateResFile(&rec->sourceSpec, gIconCreator, FourCC("rsrc"), 0);
            err = ResError();
        }
        if (err == noErr) err = WriteIconFileForm(rec->sourceSpec, rec->sourceForm, after);
    }
    if (err != noErr) {
        if (copy != kResFileNotOpen) CloseResFile(copy);
        UseResFile(saved);
        ErrorAlertNamed(kIconFileErrStrings, kIconFileSaveFailed, PStringToStd(rec->sourceSpec.name));
        return err;
    }
    if (rec->sourceRefNum > 0) CloseResFile(rec->sourceRefNum);
    rec->sourceRefNum = copy;
    if (!rec->hasFile) {
        rec->hasFile = true;
        SetWTitle(window, rec->sourceSpec.name);
    }
    DisposeWorkingFile(rec);
    err = MakeWorkingFile(rec);
    UseResFile(saved);
    rec->isDirty = false;
    rec->undoMode = 0;
    rec->undoList.clear();
    UpdateMenus();
    return err;
}

Boolean IconListSaveEnabled(WindowRef window) {
    const IconFileRec* rec = GetIconFileRec(window);
    return rec && (rec->isDirty || !rec->hasFile);
}

OSErr DoRevertIconFile(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !rec->hasFile) return paramErr;
    Str255 title;
    GetWTitle(window, title);
    if (!RevertYN(title)) return userCanceledErr;
    const FSSpec file = rec->sourceSpec;
    if (!FSpExists(&file)) {
        SysBeep(1);
        return fnfErr;
    }
    rec->isDirty = false;
    if (const OSErr err = CloseIconFile(window, false); err != noErr) {
        rec->isDirty = true;
        return err;
    }
    return LoadFromIconFile(file);
}
