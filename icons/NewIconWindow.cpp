// The icon export dialog and the Icon menu's new icon family.
#include "icons/NewIcon.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/resources/Resources.h"

#include <algorithm>
#include <string>

const std::array<OSType, 3> lIconTypeList{kSourceCustomIcon, kSourceWinIcon, kSourceIconFamilyFile};

namespace {

// The export dialog's prompt (item 1) and format names (items 2 to 4), and
// each format's suffix.
constexpr SInt16 kExportFormatStrings = 164;
constexpr SInt16 kExportSuffixStrings = 161;
constexpr SInt16 kIconNameStrings = 141;
constexpr SInt16 kFamilyNameStrings = 147;
enum : SInt16 { kFamilyWindowItem = 4 };
constexpr Point kFamilyWindowPosition{113, 42};

std::string IndText(SInt16 listID, SInt16 index) {
    Str255 s;
    GetIndString(s, listID, index);
    return PStringToStd(s);
}

}  // namespace

OSErr SaveAsIconDialog(ConstStr255Param name, FSSpec* file, OSType* type, NavReplyRecord* reply,
                       OSType proposedType, SInt32 defaultDirID) {
    if (!name || !file || !type) return paramErr;
    NavDialogOptions options;
    GetIndString(options.message, kExportFormatStrings, 1);
    // Icon-family files need the system's 'icns' support.
    const size_t formats = gSystemVersion >= 0x0850 ? lIconTypeList.size() : lIconTypeList.size() - 1;
    SInt16 format = 0;
    for (size_t i = 0; i < formats; ++i) {
        options.popupExtension.push_back({IndText(kExportFormatStrings, SInt16(i + 2)),
                                          IndText(kExportSuffixStrings, SInt16(i + 1))});
        if (lIconTypeList[i] == proposedType) format = SInt16(i);
    }
    options.popupSelection = format;
    std::copy(name, name + name[0] + 1, options.savedFileName);
    Str255 suffix;
    GetIndString(suffix, kExportSuffixStrings, SInt16(format + 1));
    (void)ChangeSuffix(options.savedFileName, suffix);
    options.defaultDirID = defaultDirID;

    NavReplyRecord local;
    NavReplyRecord* answer = reply ? reply : &local;
    BeginModal();
    const OSErr err = NavPutFile(&options, answer);
    EndModal();
    if (err != noErr) return err;
    if (!answer->validRecord || answer->format < 0 || size_t(answer->format) >= formats) return userCanceledErr;
    *file = answer->selection;
    *type = lIconTypeList[size_t(answer->format)];
    return noErr;
}

void NewIconFamilyWindow() {
    IconResInfo info;
    info.resID = kCustomIconResID;
    GetIndString(info.name, kFamilyNameStrings, 1);
    IconMemberSelector selector;
    SInt16 templateIndex = kBlankTemplate;
    if (NewIconDialog(&info, &selector, &templateIndex, nullptr) != noErr) return;

    KorvelIconOwner icon;
    if (GetKorvelIconFromTemplate(icon.get(), selector, templateIndex) != noErr) {
        SysBeep(1);
        return;
    }
    // Members read from the application's resources must outlive its file's handles.
    if (!isIconServicesAvailable && icon->suite)
        (void)ForEachIconDo(icon->suite, SystemIconSelector(), DetachIcon, nullptr);
    Boolean show32 = false;
    if (KorvelIconHas32Icons(*icon, &show32) != noErr) show32 = false;

    FSSpec untitled{};
    Str255 fileName;
    GetIndString(fileName, kIconNameStrings, 1);
    const UInt8 length = std::min<UInt8>(fileName[0], 63);
    untitled.name[0] = length;
    std::copy(fileName + 1, fileName + 1 + length, untitled.name + 1);
    WindowRef window = MakeFamilyWindow(kFamilyWindowPosition, show32, &untitled, 0, *icon, info.name);
    if (!window) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyWindowItem);
        return;
    }
    (void)icon.release();  // the window owns it now
    GetFamilyWinRec(window)->hasFile = false;
    UpdateMenus();
}
