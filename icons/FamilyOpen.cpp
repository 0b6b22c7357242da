// Opening icon families into their windows: icon-family files, Windows icon
// files and the custom icons of files and folders. Each opener first brings
// forward a window that already shows the same item.
#include "icons/FamilyWindow.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "image/IconFamilyFiles.h"
#include "io/OpenDocuments.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"

#include <string>
#include <vector>

namespace {

enum : SInt16 {
    kFamilyReadItem = 1, kCustomIconReadItem = 2, kFamilyWindowItem = 4, kLeftOutNotesItem = 7,
};
constexpr SInt16 kFamilyNameStrings = 147;
constexpr SInt16 kCustomIconQuestions = 149;
constexpr SInt16 kCustomIconNotes = 156;
// Where MakeFamilyWindow starts looking for a free place.
constexpr Point kFamilyWindowPosition{113, 42};

std::string IndText(SInt16 listID, SInt16 index) {
    Str255 s;
    GetIndString(s, listID, index);
    return PStringToStd(s);
}

// A message followed by the reader's notes, one a line.
std::string WithNotes(std::string message, const std::vector<std::string>& notes) {
    for (const std::string& note : notes) message += "\n" + note;
    return message;
}

// Brings a window that shows `item` forward; true when there is one.
Boolean BringForwardShowing(const FSSpec& item) {
    WindowRef window = FindFamilyWindow(item);
    if (!window) return false;
    SelectWindow(window);
    UpdateMenus();
    return true;
}

// The window for an opened icon, which it takes; on failure the icon is
// freed and the user told.
OSErr ShowFamily(const FSSpec& item, OSType sourceType, KorvelIconOwner* icon, ConstStr255Param name,
                 Boolean isFolder, WindowRef* made) {
    Boolean show32 = false;
    if (const OSErr err = KorvelIconHas32Icons(**icon, &show32); err != noErr) show32 = false;
    WindowRef window = MakeFamilyWindow(kFamilyWindowPosition, show32, &item, sourceType, **icon, name);
    if (!window) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyWindowItem);
        return memFullErr;
    }
    (void)icon->release();  // the window owns it now
    GetFamilyWinRec(window)->isFolder = isFolder;
    if (made) *made = window;
    UpdateMenus();
    return noErr;
}

// The question before opening a custom icon with a status; true to go on.
Boolean ConfirmCustomIconStatus(SInt16 status) {
    switch (status) {
    case 0: return true;
    case 1: return MyConfirmDialog(kCustomIconQuestions, 2);
    case 2: return MyConfirmDialog(kCustomIconNotes, 1);
    default: return MyConfirmDialog(kCustomIconQuestions, 1);
    }
}

}  // namespace

WindowRef FindFamilyWindow(const FSSpec& item) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (!IsWindowVisible(w)) continue;
        const FamilyWinRec* family = GetFamilyWinRec(w);
        if (family && !family->parentList && family->hasFile && EqualFile(family->fileSpec, item)) return w;
    }
    return nullptr;
}

OSErr OpenXIconFile(const FSSpec& file) {
    if (BringForwardShowing(file)) return noErr;
    KorvelIconOwner icon;
    if (const OSErr err = XIconToKorvelIcon(&file, icon.get()); err != noErr) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyReadItem);
        return err;
    }
    return ShowFamily(file, kSourceIconFamilyFile, &icon, file.name, false, nullptr);
}

OSErr OpenWinIconFile(const FSSpec& file) {
    if (BringForwardShowing(file)) return noErr;
    KorvelIconOwner icon;
    std::vector<std::string> notes;
    if (const OSErr err = WinIconToKorvelIcon(file, icon.get(), &notes); err != noErr) {
        ErrorAlert(WithNotes(IndText(kFamilyErrStrings, kFamilyReadItem), notes));
        return err;
    }
    WindowRef window = nullptr;
    if (const OSErr err = ShowFamily(file, kSourceWinIcon, &icon, file.name, false, &window); err != noErr) return err;
    // The images kept out are named, so that the user knows what a save would not write.
    if (!notes.empty()) {
        std::string heading = IndText(kFamilyErrStrings, kLeftOutNotesItem);
        if (auto at = heading.find("^0"); at != std::string::npos) heading.replace(at, 2, PStringToStd(file.name));
        NoteAlertText(WithNotes(heading, notes));
    }
    return noErr;
}

OSErr OpenFolderIcon(const FSSpec& item, Boolean isFolder) {
    if (BringForwardShowing(item)) return noErr;
    KorvelIconOwner icon;
    Boolean has32 = false;
    SInt16 status = 0;
    if (const OSErr err = GetFileKorvelIcon(&item, icon.get(), isFolder, &has32, &status); err != noErr) {
        ErrorAlertFromResource(kFamilyErrStrings, kCustomIconReadItem);
        return err;
    }
    if (!ConfirmCustomIconStatus(status)) return userCanceledErr;
    Str255 name;
    GetIndString(name, kFamilyNameStrings, 1);
    return ShowFamily(item, kSourceCustomIcon, &icon, name, isFolder, nullptr);
}
