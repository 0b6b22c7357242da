// Saving an icon family back to where it came from (or to a new place and
// format), reverting it to its saved state, and closing its window.
#include "icons/FamilyWindow.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindowInternal.h"
#include "icons/IconList.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "image/IconFamilyFiles.h"
#include "io/ExternalEditor.h"
#include "paint/PaintWindow.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"
#include "platform/ui/NavDialogs.h"

#include <array>

namespace {

enum : SInt16 { kFamilySaveItem = 5 };
constexpr SInt16 kCannotOpenItem = 15;  // in the picture file messages
// The export dialog: its prompt (item 1) and format names (items 2 to 4), and
// the suffix of each format.
constexpr SInt16 kExportFormatStrings = 164;
constexpr SInt16 kExportSuffixStrings = 161;
// The formats an icon is saved in, in the pop-up's order.
constexpr std::array<OSType, 3> lIconTypeList{kSourceCustomIcon, kSourceWinIcon, kSourceIconFamilyFile};

// Where a family is saved: what the save dialog changes.
struct FamilyPlace {
    FSSpec fileSpec;
    OSType sourceType;
    Boolean hasFile;
    Boolean isFolder;
};

FamilyPlace PlaceOf(const FamilyWinRec& family) {
    return {family.fileSpec, family.sourceType, family.hasFile, family.isFolder};
}

void SetPlace(FamilyWinRec* family, const FamilyPlace& place) {
    family->fileSpec = place.fileSpec;
    family->sourceType = place.sourceType;
    family->hasFile = place.hasFile;
    family->isFolder = place.isFolder;
}

std::string IndText(SInt16 listID, SInt16 index) {
    Str255 s;
    GetIndString(s, listID, index);
    return PStringToStd(s);
}

// The icon export dialog: a place, a name and one of the three formats, the
// proposed name taking the proposed format's suffix. userCanceledErr when
// the user cancels.
OSErr SaveAsIconDialog(const FamilyWinRec& family, FSSpec* fileSpec, OSType* type) {
    NavDialogOptions options;
    GetIndString(options.message, kExportFormatStrings, 1);
    SInt16 format = 2;  // an icon family file for a new icon
    for (size_t i = 0; i < lIconTypeList.size(); ++i)
        if (lIconTypeList[i] == family.sourceType) format = SInt16(i);
    for (size_t i = 0; i < lIconTypeList.size(); ++i)
        options.popupExtension.push_back({IndText(kExportFormatStrings, SInt16(i + 2)),
                                          IndText(kExportSuffixStrings, SInt16(i + 1))});
    options.popupSelection = format;
    std::copy(family.fileSpec.name, family.fileSpec.name + family.fileSpec.name[0] + 1, options.savedFileName);
    Str255 suffix;
    GetIndString(suffix, kExportSuffixStrings, SInt16(format + 1));
    (void)ChangeSuffix(options.savedFileName, suffix);
    if (family.hasFile) options.defaultDirID = family.fileSpec.parID;

    NavReplyRecord reply;
    if (const OSErr err = NavPutFile(&options, &reply); err != noErr) return err;
    if (!reply.validRecord) return userCanceledErr;
    *fileSpec = reply.selection;
    *type = lIconTypeList[size_t(reply.format)];
    return noErr;
}

// Writes the family where its record says, in its format.
OSErr WriteFamily(const FamilyWinRec& family) {
    switch (family.sourceType) {
    case kSourceCustomIcon:
        return family.isFolder ? MakeFolderWithKorvelIcon(&family.fileSpec, family.icon)
                               : MakeFileWithKorvelIcon(&family.fileSpec, family.icon);
    case kSourceIconFamilyFile: return MakeXIconWithKorvelIcon(&family.fileSpec, family.icon);
    case kSourceWinIcon: return MakeWinIconFromKorvelIcon(family.fileSpec, family.icon);
    default: return paramErr;  // nowhere to write to
    }
}

// The paint window of a member of `family`, visible or not; none when no
// member is open.
WindowRef MemberPaintWindow(WindowRef family) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        const PaintWinRec* rec = GetPaintWinRec(w);
        if (rec && rec->parentWindow == family) return w;
    }
    return nullptr;
}

// Reopens a family's source with the opener of its kind.
OSErr OpenSource(const FamilyPlace& place) {
    switch (place.sourceType) {
    case kSourceIconFamilyFile: return OpenXIconFile(place.fileSpec);
    case kSourceWinIcon: return OpenWinIconFile(place.fileSpec);
    default: return OpenFolderIcon(place.fileSpec, place.isFolder);
    }
}

}  // namespace

OSErr SaveFamilyIcon(WindowRef window, Boolean /*thenSaveList*/, Boolean saveAs) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return paramErr;
    const FamilyPlace before = PlaceOf(*family);
    const Boolean ask = !family->hasFile || saveAs;
    if (ask) {
        FSSpec fileSpec;
        OSType type = 0;
        if (const OSErr err = SaveAsIconDialog(*family, &fileSpec, &type); err != noErr) return err;
        // A custom icon goes onto an existing file as it is, else onto a
        // folder (made when it does not exist).
        KorvelCatInfo info;
        const Boolean isFile = FSpGetCatInfo(&fileSpec, &info) == noErr && !info.isFolder;
        SetPlace(family, {fileSpec, type, family->hasFile, type == kSourceCustomIcon && !isFile});
        family->parentList = nullptr;
    }
    const OSErr err = family->parentList ? StoreFamilyInIconList(window) : WriteFamily(*family);
    if (err == noErr) {
        family->isDirty = false;
        family->hasFile = true;
    } else {
        // The family still belongs where it was saved last.
        if (ask) SetPlace(family, before);
        ErrorAlertFromResource(kFamilyErrStrings, kFamilySaveItem);
    }
    if (ask) SetIconFamilyWinTitle(window);
    UpdateMenus();
    return err;
}

OSErr CloseFamilyWindow(WindowRef window, Boolean askToSave, Boolean refuseIfEditing) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return paramErr;
    // Members open in paint windows go first; saving one stores it into the
    // family, which is then asked about.
    while (WindowRef member = MemberPaintWindow(window)) {
        if (IsWindowVisible(member)) SelectWindow(member);
        if (refuseIfEditing && GetPaintWinRec(member)->isDirty) {
            SysBeep(1);
            return userCanceledErr;
        }
        if (const OSErr err = ClosePaintWindow(member, false); err != noErr) return err;
    }
    // What the external editor saved comes in before the question; its files
    // go only when the window does.
    UpdateXIconList();
    // A family of an icon list goes back into the list's working file.
    if (askToSave && family->isDirty && family->parentList) {
        if (const OSErr err = StoreFamilyInIconList(window); err != noErr) {
            ErrorAlertFromResource(kFamilyErrStrings, kFamilySaveItem);
            return err;
        }
    }
    if (askToSave && family->isDirty && !family->parentList) {
        SelectWindow(window);
        switch (AskSaveChanges(kIconFamilyDocumentItem, family->fileSpec.name, false)) {
        case kStdCancelItemIndex: return userCanceledErr;
        case kStdOkItemIndex:
            if (const OSErr err = SaveFamilyIcon(window, false, false); err != noErr) return err;
            break;
        default: break;
        }
    }
    CloseXIcon(window);
    DisposeFamilyWindow(window);
    UpdateMenus();
    return noErr;
}

OSErr DoRevertIconFamilyWindow(WindowRef window) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !family->hasFile) return paramErr;
    Str255 title;
    GetWTitle(window, title);
    if (!RevertYN(title)) return userCanceledErr;
    const FamilyPlace place = PlaceOf(*family);
    if (!FSpExists(&place.fileSpec)) {
        ErrorAlertNamed(kPaintFileErrStrings, kCannotOpenItem, PStringToStd(place.fileSpec.name));
        return fnfErr;
    }
    // The saved icon opens beside this window, which goes only once that
    // has worked: a source that cannot be read leaves the window as it was.
    Rect where;
    GetWindowBounds(window, kWindowContentRgn, &where);
    family->hasFile = false;  // so that neither the opener nor the search below finds this window
    const OSErr err = OpenSource(place);
    WindowRef reopened = err == noErr ? FindFamilyWindow(place.fileSpec) : nullptr;
    family->hasFile = true;
    if (!reopened) return err != noErr ? err : OSErr(paramErr);
    if (const OSErr closeErr = CloseFamilyWindow(window, false, false); closeErr != noErr) return closeErr;
    MoveWindow(reopened, where.left, where.top, false);
    SelectWindow(reopened);
    UpdateMenus();
    return noErr;
}
