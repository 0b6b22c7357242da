// Importing icons into an icon list from files: Windows icon files, icon
// family files, and the icon any other file or folder shows (its custom
// icon, else the desktop theme's icon of its kind).
#include "icons/IconListInternal.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "image/IconFamilyFiles.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/ui/NavDialogs.h"

#include <algorithm>
#include <cctype>

namespace {

// Messages of the icon file list: the refusal, and why a file gave no icon.
enum : SInt16 {
    kNoIconFromFilesItem = 5,
    kNotWinIconItem = 6,
    kNotIconFamilyItem = 7,
    kNoFileIconItem = 8,
    kNoClassicIconItem = 9,
    kIconNotAddedItem = 10,
};

enum class FileIconKind { folder, winIcon, iconFamily, other };

SInt32 lLastDialogFolder = 0;  // where the Import or Export dialog last gave a file; 0: none yet

// By the name's suffix first, then by the file's own type.
FileIconKind KindOfFile(const FSSpec& file, const KorvelCatInfo& info) {
    if (info.isFolder) return FileIconKind::folder;
    Str255 suffix;
    GetSuffix(file.name, suffix);
    std::string lower = PStringToStd(suffix);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == ".ico") return FileIconKind::winIcon;
    if (lower == ".icns") return FileIconKind::iconFamily;
    switch (info.finderInfo.fdType) {
    case FourCC("ICO "): return FileIconKind::winIcon;
    case FourCC("icns"): return FileIconKind::iconFamily;
    default: return FileIconKind::other;
    }
}

// The icon the file holds or shows; on failure the message item saying why.
OSErr ReadFileIcon(const FSSpec& file, KorvelIcon* icon, SInt16* why) {
    KorvelCatInfo info;
    if (const OSErr err = FSpGetCatInfo(&file, &info); err != noErr) {
        *why = kNoFileIconItem;
        return err;
    }
    OSErr err = noErr;
    switch (KindOfFile(file, info)) {
    case FileIconKind::winIcon: {
        std::vector<std::string> notes;  // entries of other sizes are simply not taken
        err = WinIconToKorvelIcon(file, icon, &notes);
        *why = kNotWinIconItem;
        break;
    }
    case FileIconKind::iconFamily:
        err = XIconToKorvelIcon(&file, icon);
        *why = kNotIconFamilyItem;
        break;
    case FileIconKind::folder:
    case FileIconKind::other: {
        Boolean has32 = false;
        SInt16 status = 0;
        err = GetFileKorvelIcon(&file, icon, info.isFolder, &has32, &status);
        *why = kNoFileIconItem;
        break;
    }
    }
    if (err != noErr) (void)DisposeKorvelIcon(icon);
    return err;
}

}  // namespace

std::string IconFileErrText(SInt16 index) {
    Str255 s;
    GetIndString(s, kIconFileErrStrings, index);
    return PStringToStd(s);
}

void FinishAddingIcons(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || rec->undoList.empty()) return;
    UpdateIconList(window, 1, rec->undoList);
    rec->undoMode = kIconListUndoAdd;
    MarkIconListChanged(window);
}

void AlertIconsRefused(const std::vector<std::string>& refused) {
    std::string names;
    for (const std::string& r : refused) names += (names.empty() ? "" : "; ") + r;
    std::string message = IconFileErrText(kNoIconFromFilesItem);
    if (const size_t at = message.find("^0"); at != std::string::npos) message.replace(at, 2, names);
    ErrorAlert(message);
}

OSErr AddFileIconToIconList(WindowRef window, const FSSpec& file, ResID id, Boolean isLast,
                            std::vector<std::string>* refused) {
    if (!GetIconFileRec(window)) return paramErr;
    KorvelIcon icon;
    SInt16 why = kNoFileIconItem;
    OSErr err = ReadFileIcon(file, &icon, &why);
    if (err == noErr && !IsValidIconSuite(icon.suite)) {
        (void)DisposeKorvelIcon(&icon);
        why = kNoClassicIconItem;
        err = noSuchIconErr;
    }
    if (err == noErr) {
        err = AddKorvelIconToList(window, &icon, 0, file.name, id, isLast);  // which disposes of the icon
        why = kIconNotAddedItem;
    }
    if (err == noErr) return noErr;
    const std::string entry = "“" + PStringToStd(file.name) + "” (" + IconFileErrText(why) + ")";
    if (refused) refused->push_back(entry);
    else AlertIconsRefused({entry});
    if (isLast) FinishAddingIcons(window);
    return err;
}

SInt32 IconListDialogFolder(const IconFileRec& rec) {
    if (rec.hasFile) return rec.sourceSpec.parID;
    if (lLastDialogFolder != 0) return lLastDialogFolder;
    SInt16 vRefNum = 0;
    SInt32 home = 0;
    return FindFolder(kOnSystemDisk, kCurrentUserFolderType, kDontCreateFolder, &vRefNum, &home) == noErr ? home : 0;
}

void NoteIconListDialogFolder(const FSSpec& chosen) { lLastDialogFolder = chosen.parID; }

OSErr ImportIconFromFile(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    NavDialogOptions options;
    options.allowMultipleFiles = true;
    options.defaultDirID = IconListDialogFolder(*rec);
    NavReplyRecord reply;
    BeginModal();
    OSErr err = NavChooseFile(&options, &reply);
    EndModal();
    if (err != noErr) return err;
    if (!reply.validRecord) return userCanceledErr;
    NoteIconListDialogFolder(reply.selection);
    std::vector<FSSpec> files = reply.selectionList;
    if (files.empty()) files.push_back(reply.selection);
    const SInt32 count = SInt32(std::min<size_t>(files.size(), 32767));

    // The step to undo stays the previous one when no file gives an icon.
    const std::vector<IconEntry> previousList = rec->undoList;
    const SInt16 previousMode = rec->undoMode;
    rec->undoList.clear();
    // Consecutive IDs from the first free run long enough for every file;
    // a file that gives no icon takes none of them.
    SInt32 next = 0;
    if (gOtherPrefs[kOtherConsecutiveIDs]) {
        next = MyContinuousUniqID(*rec, SInt16(count));
        if (next == 0 || next + count - 1 > 32767) next = 0;
    }
    std::vector<std::string> refused;
    for (SInt32 i = 0; i < count; ++i) {
        const ResID id = next ? ResID(next) : ResID(0);
        if (AddFileIconToIconList(window, files[size_t(i)], id, i + 1 == count, &refused) == noErr && next) ++next;
    }
    if (rec->undoList.empty()) {
        rec->undoList = previousList;
        rec->undoMode = previousMode;
    }
    UpdateMenus();
    if (!refused.empty()) AlertIconsRefused(refused);
    return refused.size() == size_t(count) ? OSErr(noSuchIconErr) : OSErr(noErr);
}
