// A paint document written as a PICT file (the document picture, the zoom
// resource and the preview icon) or as folders carrying its image as their
// custom icon, whole or tile by tile.
#include "io/SaveFormats.h"

#include "app/Alerts.h"
#include "image/CustomIcons.h"
#include "io/DocumentPicture.h"
#include "io/PictFile.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/icons/IconSuites.h"
#include "tools/Selection.h"

#include <initializer_list>
#include <utility>

namespace {

// Messages of the paint-file list.
enum : SInt16 {
    kIconFileNotMadeMessage = 2,
    kPictNotWrittenMessage = 3,
    kPictNotMadeMessage = 4,
};

struct IconMember {
    OSType type;
    SInt16 size;
    SInt16 depth;
};

// A suite of the members, in this order, each the selection drawn at its
// size and depth. None (after an alert) when one cannot be made.
[[nodiscard]] OSErr MakeSelectionSuite(WindowRef window, std::initializer_list<IconMember> members, Boolean framed,
                                       UniqueIconSuite* suite) {
    if (const OSErr err = NewIconSuite(suite->out()); err != noErr) return err;
    for (const IconMember& m : members) {
        UniqueHandle data(GetSelectionIconHandle(window, m.size, m.depth, framed));
        if (!data) return memFullErr;  // GetSelectionIconHandle has said so
        if (const OSErr err = AddIconToSuite(data.get(), suite->get(), m.type); err != noErr) return err;
        (void)data.release();  // the suite owns it now
    }
    return noErr;
}

}  // namespace

int TileColumns(const Rect& area) { return (area.right - area.left - 1) / kTileSide + 1; }
int TileRows(const Rect& area) { return (area.bottom - area.top - 1) / kTileSide + 1; }

int DecimalDigits(int n) {
    int digits = 1;
    while (n >= 10) n /= 10, ++digits;
    return digits;
}

std::string FirstTileNumber(int tileCount) { return std::string(size_t(DecimalDigits(tileCount) - 1), '0') + "1"; }

std::string TileFileName(const std::string& name, int tile, int tileCount) {
    const int digits = DecimalDigits(tileCount);
    std::string number = std::to_string(tile);
    number.insert(0, size_t(std::max(0, digits - int(number.size()))), '0');
    return std::string(TruncateUtf8(name, size_t(30 - digits))) + "." + number;
}

OSErr SaveAsPict(WindowRef window, const FSSpec& fileSpec) {
    const PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    UniqueHandle pic(GetSelectionPic(window, true));
    if (!pic) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictNotMadeMessage);
        return memFullErr;
    }
    if (const OSErr err = SaveAsPictMain(pic.get(), fileSpec); err != noErr) {
        ErrorAlertNamed(kPaintFileErrStrings, kPictNotWrittenMessage, PStringToStd(fileSpec.name));
        return err;
    }
    // The picture is safe; the zoom and the preview icon are extras, kept in
    // the resource fork, and a failure there is told but loses nothing.
    OSErr err = SaveZoomResource(fileSpec, rec->ratio);
    if (err == noErr && gPreviewIconFlag) err = AddPreviewIcon(window, fileSpec);
    if (err != noErr) ErrorAlertNamed(kPaintFileErrStrings, kPictNotWrittenMessage, PStringToStd(fileSpec.name));
    (void)FlushVol(nullptr, fileSpec.vRefNum);
    return noErr;
}

OSErr AddPreviewIcon(WindowRef window, const FSSpec& fileSpec) {
    UniqueIconSuite suite;
    const OSErr err = MakeSelectionSuite(window,
                                         {{FourCC("icl8"), 32, 8}, {FourCC("ICN#"), 32, 1}, {FourCC("ics8"), 16, 8},
                                          {FourCC("ics#"), 16, 1}},
                                         true, &suite);
    if (err != noErr) return err;
    return MakeFileWithIcon(&fileSpec, suite.get());
}

OSErr SaveAsIcon(WindowRef window, const FSSpec& fileSpec) {
    UniqueIconSuite suite;
    OSErr err = MakeSelectionSuite(window,
                                   {{FourCC("icl8"), 32, 8}, {FourCC("icl4"), 32, 4}, {FourCC("ICN#"), 32, 1},
                                    {FourCC("ics8"), 16, 8}, {FourCC("ics4"), 16, 4}, {FourCC("ics#"), 16, 1}},
                                   false, &suite);
    if (err == noErr) err = MakeFolderWithIcon(&fileSpec, suite.get());
    if (err != noErr) ErrorAlertNamed(kPaintFileErrStrings, kIconFileNotMadeMessage, PStringToStd(fileSpec.name));
    return err;
}

OSErr SaveAsSplitIcon(WindowRef window, const FSSpec& fileSpec) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    const Rect area = rec->isFloating ? rec->selRect : rec->picRect;
    if (EmptyRect(&area)) return paramErr;
    const int columns = TileColumns(area), rows = TileRows(area), count = columns * rows;
    const Rect savedPicRect = rec->picRect, savedSelRect = rec->selRect;
    const Boolean savedFloating = rec->isFloating;
    rec->isFloating = false;
    const std::string name = PStringToStd(fileSpec.name);
    OSErr err = noErr;
    for (int n = 0; err == noErr && n < count; ++n) {
        const SInt16 top = SInt16(area.top + n / columns * kTileSide);
        const SInt16 left = SInt16(area.left + n % columns * kTileSide);
        rec->picRect = rec->selRect = MakeRect(top, left, SInt16(top + kTileSide), SInt16(left + kTileSide));
        FSSpec tile = fileSpec;
        CopyCStringToPascal(TileFileName(name, n + 1, count), tile.name);
        err = SaveAsIcon(window, tile);
    }
    rec->isFloating = savedFloating;
    rec->picRect = savedPicRect;
    rec->selRect = savedFloating ? savedSelRect : savedPicRect;
    return err;
}
