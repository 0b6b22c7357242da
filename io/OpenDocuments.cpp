#include "io/OpenDocuments.h"

#include "app/Alerts.h"
#include "app/AppleEvents.h"
#include "app/MenuBar.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "io/ImportPicture.h"
#include "io/OpenMessages.h"
#include "io/PictFile.h"
#include "io/PngFile.h"
#include "paint/PaintWindow.h"
#include "palettes/BlendPalette.h"
#include "palettes/DotLibrary.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/picture/GraphicsImport.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Events.h"
#include "platform/ui/NavDialogs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

constexpr OSErr kUnreadableKindErr = -4;  // the toolbox's unimpErr
constexpr SInt16 kUnreadableKindItem = 7; // in the event messages
constexpr SInt16 kFileCannotBeOpenedItem = 6;  // in the picture file messages
constexpr SInt16 kOpenPromptStrings = 138;

// Types the platform's importers read.
constexpr std::array kImporterTypes{
    FourCC("PNG "), FourCC("GIF "), FourCC("GIFf"), FourCC("JPEG"), FourCC("8BPS"),
    FourCC("BMP "), FourCC("BMPf"), FourCC(".SGI"), FourCC("PNTG"), FourCC("TPIC"),
};

// The item's catalogue information, or an alert naming it.
OSErr ReadItemInfo(const FSSpec& item, KorvelCatInfo* info) {
    const OSErr err = FSpGetCatInfo(&item, info);
    if (err != noErr) ErrorAlertNamed(kPaintFileErrStrings, kCannotOpenItemMessage, PStringToStd(item.name));
    return err;
}

// A link is followed to what it names, through any chain of links.
OSErr ResolveLink(const FSSpec& item, FSSpec* resolved) {
    *resolved = item;
    const std::filesystem::path path = FSSpecToPath(&item);
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return noErr;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error || FSSpecFromPath(target.string(), resolved) != noErr) {
        ErrorAlertNamed(kPaintFileErrStrings, kAliasMessage, PStringToStd(item.name));
        return fnfErr;
    }
    return noErr;
}

// A kind without a document window of its own here is named in an alert.
OSErr RefuseKind(const FSSpec& fileSpec) {
    ErrorAlertNamed(kAppleEventErrStrings, kUnreadableKindItem, PStringToStd(fileSpec.name));
    return kUnreadableKindErr;
}

// Resource files and files of other types hold icons to list.
OSErr OpenIconFileDocument(const FSSpec& fileSpec) {
    // A file without a resource fork holds no icons: it is named in an alert
    // rather than offered as its own custom icon.
    std::vector<UInt8> fork;
    ForkSource source = ForkSource::none;
    const Boolean hasFork = ReadResourceFork(&fileSpec, &fork, &source) != eofErr;
    const OSErr err = hasFork ? LoadFromIconFile(fileSpec) : RefuseKind(fileSpec);
    UpdateMenus();
    return err;
}

}  // namespace

OSErr HandleOpenDoc(const FSSpec& given) {
    const Boolean iconOnly = IsKeyDown(kVK_Command);
    FSSpec fileSpec;
    if (const OSErr err = ResolveLink(given, &fileSpec); err != noErr) return err;
    KorvelCatInfo info;
    if (const OSErr err = ReadItemInfo(fileSpec, &info); err != noErr) return err;
    if (info.isFolder) return OpenFolderIcon(fileSpec, true);
    if (iconOnly) return OpenFolderIcon(fileSpec, false);

    OSType type = info.finderInfo.fdType;
    if (type == 0 || type == FourCC("TEXT")) (void)GetFileTypeFromAnySuffix(fileSpec.name, &type);
    if (std::find(kImporterTypes.begin(), kImporterTypes.end(), type) != kImporterTypes.end())
        return OpenImportedPicture(fileSpec);
    switch (type) {
    case FourCC("PICT"): return OpenPictFile(fileSpec);
    case FourCC("PNGf"): return OpenPNGFile(fileSpec);
    case FourCC("icns"): return OpenXIconFile(fileSpec);
    case FourCC("ICO "): return OpenWinIconFile(fileSpec);
    case FourCC("fold"): return OpenFolderIcon(fileSpec, true);
    case FourCC("pref"):
        OpenPrefsDialog();
        return noErr;
    case FourCC("iBld"): return LoadBlendPalette(fileSpec);
    case FourCC("iPat"):
        // Only libraries in the library folder are opened; others are let be.
        if (!IsInDotLibFolder(fileSpec)) return noErr;
        (void)SetDotLibMain(fileSpec);  // which tells the user why it failed
        return noErr;
    case FourCC("temp"): return RefuseKind(fileSpec);
    default: break;
    }
    // Pictures of the formats the importers read beyond the suffix table's.
    Str255 suffix;
    GetSuffix(fileSpec.name, suffix);
    if (type == 0 && IsImportableSuffix(PStringToStd(suffix))) return OpenImportedPicture(fileSpec);
    return OpenIconFileDocument(fileSpec);
}

OSErr OpenCustomIcon(const FSSpec& item) {
    KorvelCatInfo info;
    if (const OSErr err = ReadItemInfo(item, &info); err != noErr) return err;
    return OpenFolderIcon(item, info.isFolder);
}

void OpenFileWithNav(ConstStr255Param prompt) {
    NavDialogOptions options;
    PStrCopy(prompt, options.message);
    options.allowMultipleFiles = true;
    NavReplyRecord reply;
    const OSErr err = NavChooseFile(&options, &reply);
    if (err == noErr && reply.validRecord) PostOpenDocuments(reply.selectionList);
    else if (err != userCanceledErr) ErrorAlertFromResource(kPaintFileErrStrings, kFileCannotBeOpenedItem);
}

void OpenIcon() {
    Str255 prompt;
    GetIndString(prompt, kOpenPromptStrings, 1);
    OpenFileWithNav(prompt);
    UpdateMenus();
}

Boolean IsFileOpened(const FSSpec& fileSpec) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        const PaintWinRec* rec = GetPaintWinRec(w);
        if (!rec || !IsWindowVisible(w) || rec->parentWindow || !rec->fileSpec.name[0]) continue;
        if (!EqualFile(rec->fileSpec, fileSpec)) continue;
        SelectWindow(w);
        UpdateMenus();
        return true;
    }
    return false;
}

Boolean EqualFile(const FSSpec& a, const FSSpec& b) {
    if (a.vRefNum == b.vRefNum && a.parID == b.parID && a.name[0] == b.name[0] &&
        std::memcmp(a.name + 1, b.name + 1, a.name[0]) == 0) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(FSSpecToPath(&a), FSSpecToPath(&b), error) && !error;
}

void HandleOpenApp() {
    switch (gStartup) {
    case 1: NewPaintWindow(); break;
    case 2: OpenIcon(); break;
    case 0: break;
    default: gStartup = 0; break;
    }
}

void AlertWithReason(SInt16 index, std::string_view param0, std::string_view param1) {
    Str255 text;
    GetIndString(text, kOpenErrStrings, index);
    std::string message = PStringToStd(text);
    for (const auto& [key, value] : {std::pair{std::string_view("^0"), param0}, std::pair{std::string_view("^1"), param1}}) {
        for (size_t at = message.find(key); at != std::string::npos; at = message.find(key, at + value.size()))
            message.replace(at, key.size(), value);
    }
    ErrorAlert(message);
}
