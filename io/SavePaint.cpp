// The save command of paint documents, its save dialog with the format
// choice and the split box, and revert.
#include "io/SavePaint.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "icons/FamilyWindow.h"
#include "icons/IconConvert.h"
#include "icons/WinIcon.h"
#include "io/PictFile.h"
#include "io/PngFile.h"
#include "io/SaveFormats.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"
#include "platform/ui/NavDialogs.h"
#include "tools/Selection.h"

#include <algorithm>
#include <string>

const OSType gFileTypeList[kFileTypeCount] = {FourCC("PICT"), FourCC("PNGf"), FourCC("Icon"),
                                              FourCC("wIco"), FourCC("IcoS"), FourCC("wIcS")};

namespace {

constexpr SInt16 kSaveSuffixStrings = 131;
constexpr SInt16 kSaveFormatStrings = 165;  // 1-4 the pop-up's formats, 5 the split box
constexpr SInt16 kSplitBoxItem = 5;
constexpr int kPopupFormats = 4;
constexpr SInt16 kIconFolderFormat = 2, kWinIconFormat = 3;  // pop-up positions, from 0

std::string IndString(SInt16 list, SInt16 item) {
    Str255 s;
    GetIndString(s, list, item);
    return PStringToStd(s);
}

enum : SInt16 { kIconNotMadeMessage = 2 };  // of the paint-file messages

// A PNG file, and its preview icon when the preferences ask for one: the
// picture is safe once written, so a failed icon is told but loses nothing.
[[nodiscard]] OSErr SaveAsPNGWithPreview(WindowRef window, const FSSpec& fileSpec) {
    if (const OSErr err = SaveAsPNG(window, fileSpec); err != noErr) return err;
    if (gPreviewIconFlag && AddPreviewIcon(window, fileSpec) != noErr)
        ErrorAlertNamed(kPaintFileErrStrings, kIconNotMadeMessage, PStringToStd(fileSpec.name));
    return noErr;
}

// The writer of the file type, with the document's window and the file.
[[nodiscard]] OSErr WriteDocument(WindowRef window, OSType type, FSSpec* fileSpec) {
    switch (type) {
    case FourCC("PICT"): return SaveAsPict(window, *fileSpec);
    case FourCC("PNGf"): return SaveAsPNGWithPreview(window, *fileSpec);
    case FourCC("Icon"): return SaveAsIcon(window, *fileSpec);
    case FourCC("IcoS"): return SaveAsSplitIcon(window, *fileSpec);
    case FourCC("wIco"): return SaveAsWinIcon(window, *fileSpec);
    case FourCC("wIcS"): return SaveAsSplitWinIcon(window, fileSpec);
    case FourCC("icns"): return SaveToFamily(window);
    default: return paramErr;
    }
}

// Takes the tile part the dialog put in the chosen name off again.
void StripTilePart(OSType type, const std::string& firstTile, StringPtr name) {
    std::string text = PStringToStd(name);
    const std::string tile = "." + firstTile;
    if (type == FourCC("wIcS")) {
        const std::string suffix = IndString(kSaveSuffixStrings, kWinIconFormat + 1);
        if (!suffix.empty() && text.size() > suffix.size() && text.ends_with(suffix)) {
            text.resize(text.size() - suffix.size());
            if (text.size() > tile.size() && text.ends_with(tile)) text.resize(text.size() - tile.size());
            text += suffix;  // the writer names each tile before its suffix
        }
    } else if (text.size() > tile.size() && text.ends_with(tile)) {
        text.resize(text.size() - tile.size());
    }
    CopyCStringToPascal(text, name);
}

}  // namespace

SInt16 FormatItemForType(OSType type, Boolean* split) {
    if (split) *split = type == FourCC("IcoS") || type == FourCC("wIcS");
    if (type == FourCC("IcoS")) return kIconFolderFormat + 1;
    if (type == FourCC("wIcS")) return kWinIconFormat + 1;
    const OSType* end = gFileTypeList + kPopupFormats;
    const OSType* found = std::find(gFileTypeList, end, type);
    return found == end ? 1 : SInt16(found - gFileTypeList + 1);
}

OSErr SaveFileWithNav(FSSpec* fileSpec, OSType* type, NavReplyRecord* reply, int tileCount) {
    Boolean split = false;
    const SInt16 item = FormatItemForType(*type, &split);
    const std::string firstTile = FirstTileNumber(tileCount);
    const bool splittable = tileCount >= 2;

    NavDialogOptions options;
    for (SInt16 n = 1; n <= kPopupFormats; ++n)
        options.popupExtension.push_back({IndString(kSaveFormatStrings, n), IndString(kSaveSuffixStrings, n)});
    options.popupSelection = SInt16(item - 1);
    if (splittable) options.splitFormats = {kIconFolderFormat, kWinIconFormat};
    options.splitTitle = IndString(kSaveFormatStrings, kSplitBoxItem);
    options.splitChecked = split && splittable;
    options.splitNumber = firstTile;
    std::string name = PStringToStd(fileSpec->name);
    if (options.splitChecked) {
        // The proposed name shows the first tile's number.
        const std::string suffix = IndString(kSaveSuffixStrings, item);
        if (!suffix.empty() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
        name += "." + firstTile + suffix;
    }
    CopyCStringToPascal(name, options.savedFileName);

    if (NavPutFile(&options, reply) != noErr || !reply->validRecord) return userCanceledErr;
    const SInt16 format = std::clamp<SInt16>(reply->format, 0, kPopupFormats - 1);
    *type = gFileTypeList[format];
    if (reply->split && format == kIconFolderFormat) *type = FourCC("IcoS");
    if (reply->split && format == kWinIconFormat) *type = FourCC("wIcS");
    *fileSpec = reply->selection;
    if (*type == FourCC("IcoS") || *type == FourCC("wIcS")) StripTilePart(*type, firstTile, fileSpec->name);
    // A file that is replaced is written beside and renamed over, never
    // deleted first: a failed save keeps it.
    return noErr;
}

OSErr SavePaintWindow(WindowRef window, SInt16 copy, SInt16 saveAs) {
    if (!window) return noErr;
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return -1;
    // A member of an icon family saves back into its family, unless the
    // user asks for a file of its own.
    const bool member = rec->fileType == FourCC("icns");
    const bool wantsDialog = copy || saveAs || (!rec->hasFile && !member);
    // With the background being edited the picture records the parked
    // foreground as it stands: saving does not switch the edited layer.
    if (!copy && rec->isFloating) FixSelection(window);
    const Rect area = copy ? rec->selRect : rec->picRect;
    const int tileCount = EmptyRect(&area) ? 1 : TileColumns(area) * TileRows(area);

    FSSpec fileSpec = rec->fileSpec;
    OSType type = rec->fileType;
    if (wantsDialog) {
        NavReplyRecord reply;
        if (const OSErr err = SaveFileWithNav(&fileSpec, &type, &reply, tileCount); err != noErr) return err;
    }
    CountUse(kUsedSaves);
    // Each writer has told the user why it failed; the document stays as it
    // was, modified.
    if (const OSErr err = WriteDocument(window, type, &fileSpec); err != noErr) return err;
    if (!copy) {
        rec->fileType = type;
        rec->fileSpec = fileSpec;
        rec->hasFile = rec->hasFile || type != FourCC("icns");
        rec->isDirty = false;
        SetEditWindowTitle(window);
        UpdateMenus();
    }
    return noErr;
}

OSErr DoRevertPaintWindow(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    Str255 title;
    GetWTitle(window, title);
    if (!RevertYN(title)) return userCanceledErr;
    switch (rec->fileType) {
    case FourCC("PICT"):
    case FourCC("PNGf"): {
        const FSSpec fileSpec = rec->fileSpec;
        const OSType type = rec->fileType;
        if (!rec->hasFile || !FSpExists(&fileSpec)) {
            SysBeep(1);
            return fnfErr;
        }
        rec->isDirty = false;
        if (const OSErr err = ClosePaintWindow(window, false); err != noErr) {
            rec->isDirty = true;
            return err;
        }
        return type == FourCC("PICT") ? OpenPictFile(fileSpec) : OpenPNGFile(fileSpec);
    }
    case FourCC("icns"): {
        WindowRef family = rec->parentWindow;
        const SInt16 kind = rec->iconKind;
        rec->isDirty = false;
        if (const OSErr err = ClosePaintWindow(window, false); err != noErr) {
            rec->isDirty = true;
            return err;
        }
        if (FamilyWinRec* familyRec = GetFamilyWinRec(family)) {
            familyRec->selectedKind = kind;
            InvalWindow(family);
            EditFamilyIcon(family, kEditInPaintWindow);
        }
        return noErr;
    }
    default: SysBeep(1); return paramErr;
    }
}
