#include "io/OpenDocuments.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "icons/FamilyWindow.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Events.h"
#include "platform/ui/NavDialogs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr OSErr kUnreadableKindErr = -4;  // the toolbox's unimpErr
constexpr SInt16 kCannotOpenItem = 15;    // in the picture file messages
constexpr SInt16 kUnreadableKindItem = 7; // in the event messages
constexpr SInt16 kFileCannotBeOpenedItem = 6;  // in the picture file messages
constexpr SInt16 kOpenPromptStrings = 138;

// Kinds of document the program has no window for: pictures, icon resource
// files, its settings files and its own temporary files.
constexpr std::array kUnreadableKinds{
    FourCC("PICT"), FourCC("PNGf"), FourCC("PNG "), FourCC("GIF "), FourCC("GIFf"), FourCC("JPEG"),
    FourCC("8BPS"), FourCC("BMP "), FourCC("BMPf"), FourCC(".SGI"), FourCC("PNTG"), FourCC("TPIC"),
    FourCC("rsrc"), FourCC("pref"), FourCC("iBld"), FourCC("iPat"), FourCC("temp"),
};

// The item's catalogue information, or an alert naming it.
OSErr ReadItemInfo(const FSSpec& item, KorvelCatInfo* info) {
    const OSErr err = FSpGetCatInfo(&item, info);
    if (err != noErr) ErrorAlertNamed(kPaintFileErrStrings, kCannotOpenItem, PStringToStd(item.name));
    return err;
}

}  // namespace

OSErr HandleOpenDoc(const FSSpec& fileSpec) {
    const Boolean iconOnly = IsKeyDown(kVK_Command);
    KorvelCatInfo info;
    if (const OSErr err = ReadItemInfo(fileSpec, &info); err != noErr) return err;
    if (info.isFolder) return OpenFolderIcon(fileSpec, true);
    if (iconOnly) return OpenFolderIcon(fileSpec, false);

    OSType type = info.finderInfo.fdType;
    if (type == 0 || type == FourCC("TEXT")) (void)GetFileTypeFromAnySuffix(fileSpec.name, &type);
    if (type == FourCC("icns")) return OpenXIconFile(fileSpec);
    if (type == FourCC("ICO ")) return OpenWinIconFile(fileSpec);
    if (type == FourCC("fold")) return OpenFolderIcon(fileSpec, true);
    if (std::find(kUnreadableKinds.begin(), kUnreadableKinds.end(), type) != kUnreadableKinds.end()) {
        ErrorAlertNamed(kAppleEventErrStrings, kUnreadableKindItem, PStringToStd(fileSpec.name));
        return kUnreadableKindErr;
    }
    return OpenFolderIcon(fileSpec, false);
}

OSErr OpenCustomIcon(const FSSpec& item) {
    KorvelCatInfo info;
    if (const OSErr err = ReadItemInfo(item, &info); err != noErr) return err;
    return OpenFolderIcon(item, info.isFolder);
}

void OpenIcon() {
    NavDialogOptions options;
    GetIndString(options.message, kOpenPromptStrings, 1);
    NavReplyRecord reply;
    const OSErr err = NavChooseFile(&options, &reply);
    if (err == noErr && reply.validRecord) (void)HandleOpenDoc(reply.selection);  // it tells its own failures
    else if (err != userCanceledErr) ErrorAlertFromResource(kPaintFileErrStrings, kFileCannotBeOpenedItem);
    UpdateMenus();
}

Boolean EqualFile(const FSSpec& a, const FSSpec& b) {
    if (a.vRefNum == b.vRefNum && a.parID == b.parID && a.name[0] == b.name[0] &&
        std::memcmp(a.name + 1, b.name + 1, a.name[0]) == 0) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(FSSpecToPath(&a), FSSpecToPath(&b), error) && !error;
}
