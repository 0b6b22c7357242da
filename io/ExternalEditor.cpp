#include "io/ExternalEditor.h"

#include "app/Alerts.h"
#include "icons/FamilyWindow.h"
#include "icons/IconConvert.h"
#include "io/MemberPng.h"
#include "io/OpenMessages.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Events.h"
#include "platform/ui/Launch.h"

#include <filesystem>
#include <list>
#include <string>
#include <system_error>

namespace {

using FileTime = std::filesystem::file_time_type;

constexpr SInt16 kTempFileStrings = 144;
constexpr size_t kMaxMemberPngBytes = size_t(64) << 20;

// One member out in the editor. The file's full modification time is kept
// (not whole seconds), so that a save within the same second is seen too.
struct XIconRec {
    FSSpec file;
    FileTime modDate{};      // when last written or read back
    FileTime failedDate{};   // a version that could not be read, told once
    WindowRef window = nullptr;
    SInt16 kind = 0;
};

std::list<XIconRec> gXIconList;  // newest first
UInt32 gTempFileCounter = 0;

std::string PathOf(const FSSpec& file) { return FSSpecToPath(&file); }

bool ModificationTime(const FSSpec& file, FileTime* time) {
    std::error_code error;
    *time = std::filesystem::last_write_time(PathOf(file), error);
    return !error;
}

XIconRec* FindRecord(WindowRef window, SInt16 kind) {
    for (XIconRec& rec : gXIconList)
        if (rec.window == window && rec.kind == kind) return &rec;
    return nullptr;
}

// Writes the member as PNG into the record's file.
OSErr WriteMemberFile(XIconRec* rec) {
    const FamilyWinRec* family = GetFamilyWinRec(rec->window);
    if (!family) return paramErr;
    std::vector<UInt8> png;
    if (const OSErr err = MemberToPng(family->icon, rec->kind, &png); err != noErr) return err;
    if (const OSErr err = WriteFileAtomically(PathOf(rec->file), png); err != noErr) return err;
    if (!ModificationTime(rec->file, &rec->modDate)) rec->modDate = FileTime{};
    return noErr;
}

// Reads the record's file back into its member; false (told once per
// version of the file) when it cannot be read.
bool ReadBack(XIconRec* rec, FileTime seen) {
    std::vector<UInt8> bytes;
    std::string why;
    UniqueHandle picture;
    if (const OSErr err = ReadWholeFile(PathOf(rec->file), &bytes, kMaxMemberPngBytes); err != noErr) {
        why = "the file cannot be read";
    } else {
        picture.reset(reinterpret_cast<Handle>(PngToPicture(bytes, &why)));
    }
    FamilyWinRec* family = GetFamilyWinRec(rec->window);
    if (!picture || !family) {
        if (seen != rec->failedDate) {
            rec->failedDate = seen;
            AlertWithReason(kEditorBackMessage, PStringToStd(rec->file.name), why);
        }
        return false;
    }
    family->selectedKind = rec->kind;
    // It tells its own failure; the member is then left as it was.
    if (SavePictureToIconData(reinterpret_cast<PicHandle>(picture.get()), rec->window,
                              gOtherPrefs[kOtherMaskByShape] != 0) != noErr) {
        rec->failedDate = seen;
        return false;
    }
    InvalWindow(rec->window);
    RedrawIconPreview();
    rec->modDate = seen;
    return true;
}

}  // namespace

Boolean IsExternalEditingAvailable() {
    return (isExternalEditorAvailable && gExternalEditor.name[0]) || CanOpenInDefaultApplication();
}

OSErr MakeTempFile(FSSpec* file, OSType fileType, const char* suffix) {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    if (const OSErr err = FindFolder(kOnSystemDisk, kTemporaryFolderType, kCreateFolder, &vRefNum, &dirID);
        err != noErr)
        return err;
    Str255 base;
    GetIndString(base, kTempFileStrings, 1);
    Str255 name;
    CopyCStringToPascal(PStringToStd(base) + std::to_string(gTempFileCounter++) + suffix, name);
    const OSErr made = FSMakeFSSpec(vRefNum, dirID, name, file);
    if (made != noErr && made != fnfErr) return made;
    if (FSpExists(file)) (void)FSpDelete(file);  // an old one of ours; a failure shows in FSpCreate
    return FSpCreate(file, kKorvelCreator, fileType, smSystemScript);
}

OSErr OpenByExternalEditorMain(const FSSpec& file) {
    const FSSpec* editor = isExternalEditorAvailable && gExternalEditor.name[0] ? &gExternalEditor : nullptr;
    return LaunchApplicationWithDocument(editor, file);
}

OSErr OpenByExternalEditor(WindowRef familyWindow) {
    const FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family || family->selectedKind < 0) return paramErr;
    XIconRec rec;
    rec.window = familyWindow;
    rec.kind = family->selectedKind;
    auto fail = [](OSErr err, const char* why) {
        AlertWithReason(kEditorOutMessage, why, {});
        return err;
    };
    if (const OSErr err = MakeTempFile(&rec.file, FourCC("PNGf"), ".png"); err != noErr)
        return fail(err, "its file cannot be made in the temporary folder");
    if (const OSErr err = WriteMemberFile(&rec); err != noErr) {
        (void)FSpDelete(&rec.file);
        return fail(err, "its picture cannot be written");
    }
    if (const OSErr err = OpenByExternalEditorMain(rec.file); err != noErr) {
        (void)FSpDelete(&rec.file);
        return fail(err, "the editor cannot be started");
    }
    gXIconList.push_front(rec);
    return noErr;
}

void UpdateXIconList() {
    for (auto it = gXIconList.begin(); it != gXIconList.end();) {
        FileTime seen;
        if (!GetFamilyWinRec(it->window) || !ModificationTime(it->file, &seen)) {
            it = gXIconList.erase(it);
            continue;
        }
        if (seen != it->modDate && seen != it->failedDate) (void)ReadBack(&*it, seen);
        ++it;
    }
}

Boolean IsOpenedByExternalEditor(WindowRef familyWindow, SInt16 kind, Boolean reopen) {
    XIconRec* rec = FindRecord(familyWindow, kind);
    if (!rec || !reopen) return rec != nullptr;
    // Handed to the editor again, its file made anew when it was deleted.
    OSErr err = FSpExists(&rec->file) ? OSErr(noErr) : WriteMemberFile(rec);
    if (err == noErr) err = OpenByExternalEditorMain(rec->file);
    if (err != noErr) SysBeep(1);
    return true;
}

void CloseXIcon(WindowRef familyWindow) {
    // Forgotten at once: a window made later may take the closed one's place.
    for (auto it = gXIconList.begin(); it != gXIconList.end();) {
        if (it->window != familyWindow) {
            ++it;
            continue;
        }
        (void)FSpDelete(&it->file);
        it = gXIconList.erase(it);
    }
}

void DropFromExternalEditor(WindowRef familyWindow, SInt16 kind) {
    for (auto it = gXIconList.begin(); it != gXIconList.end(); ++it) {
        if (it->window != familyWindow || it->kind != kind) continue;
        (void)FSpDelete(&it->file);
        gXIconList.erase(it);
        return;
    }
}
