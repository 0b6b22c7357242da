// PNG documents: the choices around libpng (colour type, palette and its
// reduction, tRNS, the mask) and the files. The libpng sequences are in
// PngData.cpp.
#include "io/PngFile.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "io/DocumentPicture.h"
#include "io/OpenDocuments.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/files/FileIO.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "tools/Selection.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// The time stamped into the file: now, or SOURCE_DATE_EPOCH when set, so that
// builds which make pictures give the same bytes each time (0 stamps none).
std::time_t PNGModificationTime() {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        const long long seconds = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0' && seconds >= 0) return std::time_t(seconds);
    }
    return std::time(nullptr);
}

constexpr OSType kPNGFileType = FourCC("PNGf");
constexpr OSType kKorvelCreator = FourCC("Krvl");
constexpr SInt16 kPictureNotMadeMessage = 4;    // list 4010
constexpr SInt16 kNoWindowMessage = 11;         // list 4010
constexpr SInt16 kFileUnreadableMessage = 15;   // list 4010
constexpr SInt16 kOldFileKeptMessage = 9;       // list 4005
constexpr RGBColor kOwnEntryColor{0xFE00, 0xFE00, 0xFE00};
// The zoom saved with a document, in the resource fork of its own file.
constexpr ResType kZoomResType = FourCC("Krvl");
constexpr ResID kZoomResID = 128;

std::string ListString(SInt16 list, SInt16 item) {
    Str255 s;
    GetIndString(s, list, item);
    return PStringToStd(s);
}

// A PNG alert: its message, then libpng's own text after message 8, then
// any further detail; cut at 255 characters as the alert shows them.
void PNGAlert(SInt16 message, const std::string& libpngMessage, const std::string& detail = {}) {
    std::string text = ListString(kPNGErrStrings, message);
    if (!libpngMessage.empty()) text += " " + ListString(kPNGErrStrings, kPNGLibraryPrefixMessage) + libpngMessage;
    if (!detail.empty()) text += " " + detail;
    if (text.size() > 255) text.resize(255);
    ErrorAlert(text);
}

// Which colour becomes transparent (transColorKind).
enum : SInt16 {
    kTransNone = 0, kTransWhite = 1, kTransBottomRight = 2, kTransCurrent = 3, kTransBlack = 4,
    kTransBackground = 5, kTransOwnEntry = 6,
};

// Step 2 of the save: whether the image has transparent pixels.
bool HasTransparentPixels(PaintWinRec* rec) {
    if (rec->backPort) return false;
    if (rec->isFloating) return !MaskIsOpaqueSelection(rec);
    UniqueRgn opaque, whole;
    if (BitMapToRegion(opaque, Bits(rec->maskPort)) != noErr) return false;
    RectRgn(whole, &rec->picRect);
    return !EqualRgn(opaque, whole);
}

// A white buffer of `depth` over `frame` (with `table`, or the depth's
// standard one) holding the drawn picture.
OSErr DrawIntoNewBuffer(PicHandle picture, SInt16 depth, const Rect& frame, CTabHandle table, UniqueGWorld* buffer) {
    if (OSErr err = NewGWorld(buffer->out(), depth, &frame, table, nullptr, 0); err != noErr) return err;
    SetGWorld(buffer->get(), nullptr);
    SetBlackOnWhite(buffer->get());
    EraseRect(&frame);
    return DrawPictureChecked(picture, &frame);
}

// Paints the transparent pixels of the document over `frame` in `color`.
void PaintTransparent(PaintWinRec* rec, GWorldPtr buffer, const Rect& frame, const RGBColor& color) {
    SetGWorld(buffer, nullptr);
    RGBForeColor(&color);
    CopyBits(Bits(rec->maskPort), GetPortBitMapForCopyBits(buffer), &frame, &frame, notSrcOr, nullptr);
    ForeColor(blackColor);
}

// The table of the used colours grown by the own transparent entry: the
// last entry moves up one place and its old place, which becomes the
// transparent index, gets light grey.
CTabHandle GrowByOwnEntry(CTabHandle used, SInt16 count, SInt16* transIndex) {
    CTabHandle grown = NewColorTable(count + 1);
    if (!grown) return nullptr;
    const ColorSpec* from = CTabEntries(used);
    ColorSpec* to = CTabEntries(grown);
    for (int i = 0; i < count - 1; ++i) to[i] = from[i];
    to[count - 1] = ColorSpec{SInt16(count - 1), kOwnEntryColor};
    to[count] = ColorSpec{count, from[count - 1].rgb};
    *transIndex = SInt16(count - 1);
    return grown;
}

SInt16 DepthForCount(int n) { return n > 16 ? 8 : n > 4 ? 4 : n > 2 ? 2 : 1; }

int ExactIndex(CTabHandle table, const RGBColor& color) {
    const int n = CTabReadableCount(table);
    const ColorSpec* e = CTabEntries(table);
    for (int i = 0; i < n; ++i)
        if (EqualColor(&e[i].rgb, &color)) return i;
    return -1;
}

// Reads the zoom exponent saved with a file ('Krvl' 128 in its resource
// fork); false when it has none.
bool ReadZoomResource(const FSSpec& fileSpec, SInt16* ratio) {
    const SInt16 saved = CurResFile();
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdPerm);
    if (ref == kResFileNotOpen) return false;
    UseResFile(ref);
    bool found = false;
    if (Handle h = Get1Resource(kZoomResType, kZoomResID)) {
        const std::span<UInt8> bytes = HandleBytes(h);
        if (bytes.size() >= 2) {
            *ratio = SInt16(UInt16(bytes[0] << 8 | bytes[1]));
            found = true;
        }
    }
    CloseResFile(ref);
    UseResFile(saved);
    return found;
}

WindowRef FindPaintWindowOfFile(const FSSpec& fileSpec) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        const PaintWinRec* rec = GetPaintWinRec(w);
        if (rec && rec->hasFile && rec->fileType != FourCC("icns") && EqualFile(rec->fileSpec, fileSpec)) return w;
    }
    return nullptr;
}

// Paints white every image pixel whose mask bit is clear.
void WhitenTransparent(PaintWinRec* rec) {
    SavedGWorld saved;
    PaintTransparent(rec, rec->offPort.get(), rec->picRect, rgbWhiteColor);
}

}  // namespace

OSErr PNGEncode(const FSSpec& fileSpec, GWorldPtr buffer, RgnHandle region, SInt16 colorCount, SInt16 depth,
                SInt16 interlace, SInt16 transIndex, const RGBColor& transColor, SInt16 compressLevel,
                OSType creator) {
    Rect size{};
    GetRegionBounds(region, &size);
    PNGEncodeParams params;
    params.buffer = buffer;
    params.width = SInt16(size.right - size.left);
    params.height = SInt16(size.bottom - size.top);
    params.colorCount = colorCount;
    params.depth = depth > 8 ? 32 : depth;
    params.interlaced = interlace > 0;
    params.transIndex = transIndex;
    params.transColor = transColor;
    params.compressLevel = compressLevel;
    params.modified = PNGModificationTime();
    std::vector<UInt8> bytes;
    std::string libpngMessage;
    if (OSErr err = PNGEncodeBytes(params, &bytes, &libpngMessage); err != noErr) {
        PNGAlert(kPNGWriteFailedMessage, libpngMessage, ListString(kPNGErrStrings, kOldFileKeptMessage));
        return err;
    }
    // Written beside the file and renamed over it: a failure keeps the old one.
    const bool existed = FSpExists(&fileSpec);
    if (OSErr err = WriteFileAtomically(FSSpecToPath(&fileSpec), bytes); err != noErr) {
        PNGAlert(kPNGWriteFailedMessage, {},
                 ListString(kPNGErrStrings, kOldFileKeptMessage) + " (" + std::to_string(err) + ")");
        return err;
    }
    if (existed) return noErr;
    // A new file takes the type and creator, unless its name already says
    // it is a PNG of ours (no companion file is needed then).
    OSType suffixType = 0;
    (void)GetFileTypeFromSuffix(fileSpec.name, &suffixType);
    if (suffixType == kPNGFileType && creator == kKorvelCreator) return noErr;
    FInfo info;
    info.fdType = kPNGFileType;
    info.fdCreator = creator;
    // The picture is saved; without the companion only its type is unknown.
    (void)FSpSetFInfo(&fileSpec, &info);
    return noErr;
}

OSErr SaveAsPNG(WindowRef window, const FSSpec& fileSpec) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    UniqueHandle picture(GetSelectionPic(window, true));
    if (!picture) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictureNotMadeMessage);
        return memFullErr;
    }
    SavedGWorld saved;
    CGrafPtr port = nullptr;
    GDHandle device = nullptr;
    GetGWorld(&port, &device);
    // Alerts and the file go with the caller's port, not a scratch buffer.
    const auto fail = [port, device] {
        SetGWorld(port, device);
        ErrorAlertFromResource(kPaintFileErrStrings, kPictureNotMadeMessage);
        return memFullErr;
    };
    const PNGFilePrefs& prefs = gPNGFilePrefs;
    const bool hasTransparent = HasTransparentPixels(rec);
    const Rect frame = rec->selRect;

    UniqueGWorld buffer;
    if (DrawIntoNewBuffer(picture.get(), rec->depth, frame, nullptr, &buffer) != noErr) return fail();
    const PixMap& drawn = **GetGWorldPixMap(buffer.get());

    // The transparent colour.
    bool lookedUp = true, ownEntry = false;
    RGBColor color{0, 0, 0};
    switch (prefs.transColorKind) {
    case kTransWhite: color = rgbWhiteColor; break;
    case kTransBlack: color = rgbBlackColor; break;
    case kTransBottomRight:
        SetGWorld(buffer.get(), nullptr);
        GetCPixel(SInt16(frame.right - 1), SInt16(frame.bottom - 1), &color);
        break;
    case kTransCurrent:
    case kTransBackground: {
        const ColorRec& c = prefs.transColorKind == kTransCurrent ? gCurrentColor : gBackColor;
        if (c.isTransparent) {
            ownEntry = true;
            lookedUp = false;
        } else {
            color = c.rgb;
        }
        break;
    }
    case kTransOwnEntry:
        ownEntry = true;
        lookedUp = false;
        break;
    default: lookedUp = false; break;
    }
    if (ownEntry && rec->backPort) ownEntry = false;

    bool paintTransparent = false;
    RGBColor paintColor = color;
    if (prefs.fillTransparent && hasTransparent && lookedUp) {
        PaintTransparent(rec, buffer.get(), frame, color);
        paintTransparent = true;
    }

    SInt16 colorCount = 256;
    SInt16 ownIndex = -1;  // the light grey entry added for the transparent pixels
    if (prefs.reduceColors && rec->colorMode == 8 && drawn.pixelSize == 8) {
        CTabHandle used = nullptr;
        SInt16 count = 0;
        if (GetPixMapColors(GetGWorldPixMap(buffer.get()), &used, &count) == noErr) {
            UniqueCTable table(used);
            if (hasTransparent && (ownEntry || (prefs.transColorKind == kTransNone && prefs.fillTransparent)) &&
                count < 256) {
                UniqueCTable grown(GrowByOwnEntry(table.get(), count, &ownIndex));
                if (grown) {
                    table = std::move(grown);
                    ++count;
                    paintTransparent = true;
                    paintColor = kOwnEntryColor;
                }
            }
            UniqueGWorld reduced;
            if (DrawIntoNewBuffer(picture.get(), DepthForCount(count), frame, table.get(), &reduced) != noErr)
                return fail();
            buffer = std::move(reduced);
            if (paintTransparent) PaintTransparent(rec, buffer.get(), frame, paintColor);
            colorCount = count;
        }
    }

    const PixMap& written = **GetGWorldPixMap(buffer.get());
    SInt16 transIndex = ownIndex;
    if (rec->colorMode == 24) {
        transIndex = lookedUp ? 0 : -1;
    } else if (lookedUp) {
        // Also for icon members edited at 1 or 4 bits: the colour's own index, if any.
        transIndex = SInt16(ExactIndex(written.pmTable, color));
    }

    UniqueRgn sizeRgn;
    if (rec->isFloating) {
        CopyRgn(rec->selRgn, sizeRgn);
        OffsetRgn(sizeRgn, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    } else {
        RectRgn(sizeRgn, &rec->picRect);
    }
    SetGWorld(port, device);
    return PNGEncode(fileSpec, buffer.get(), sizeRgn, colorCount, written.pixelSize, prefs.interlaced, transIndex, color,
                     prefs.compressLevel, gPNGCreator);
}

OSErr PNGDecode(const FSSpec& fileSpec, PNGDecoded* decoded, Boolean wantMask) {
    std::vector<UInt8> bytes;
    if (OSErr err = ReadWholeFile(FSSpecToPath(&fileSpec), &bytes); err != noErr) {
        // A file beyond the largest one read whole holds more than any picture that may open.
        if (err == memFullErr) ErrorAlertFromResource(kPNGErrStrings, kPNGTooLargeMessage);
        else ErrorAlertNamed(kPaintFileErrStrings, kFileUnreadableMessage, PStringToStd(fileSpec.name));
        return err;
    }
    SInt16 message = 0;
    std::string libpngMessage;
    const OSErr err = PNGDecodeBytes(bytes, wantMask, kMaxPNGPixels, decoded, &message, &libpngMessage);
    if (err != noErr) {
        if (message) PNGAlert(message, libpngMessage);
        return err;
    }
    if (decoded->hadAlpha) ErrorAlertFromResource(kPNGErrStrings, kPNGAlphaNoticeMessage);
    return noErr;
}

OSErr OpenPNGFile(const FSSpec& fileSpec) {
    if (WindowRef open = FindPaintWindowOfFile(fileSpec)) {
        SelectWindow(open);
        return noErr;
    }
    PNGDecoded decoded;
    if (OSErr err = PNGDecode(fileSpec, &decoded, gPNGFilePrefs.readTransMask); err != noErr) return err;

    SInt16 ratio = gPaintWinPrefs.ratio;
    if (SInt16 saved = 0; ReadZoomResource(fileSpec, &saved)) ratio = std::clamp<SInt16>(saved, 0, 4);
    const PixMap& image = **GetGWorldPixMap(decoded.image.get());
    const Rect frame = image.bounds;
    WindowRef window = MakePaintWindow(&frame, ratio, image.pixelSize > 8 ? 24 : 8);
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) {
        ErrorAlertFromResource(kPaintFileErrStrings, kNoWindowMessage);
        return memFullErr;
    }
    rec->picRect = frame;
    rec->fileType = kPNGFileType;
    rec->fileCreator = gPNGCreator;
    rec->hasFile = true;
    rec->isDirty = false;
    rec->undoMode = 0;
    rec->fileSpec = fileSpec;
    SetEditWindowTitle(window);

    {
        SavedGWorld saved;
        SetBlackOnWhite(rec->offPort.get());
        if (image.pixelSize == 1) {
            // One-bit pixels copy as foreground (1) and background (0): give them the table's colours.
            RGBForeColor(&CTabEntries(image.pmTable)[1].rgb);
            RGBBackColor(&CTabEntries(image.pmTable)[0].rgb);
        }
        CopyBits(Bits(decoded.image), Bits(rec->offPort), &frame, &frame, ditherCopy, nullptr);
        SetBlackOnWhite(rec->offPort.get());
        SetBlackOnWhite(rec->maskPort.get());
        if (decoded.mask) CopyBits(Bits(decoded.mask), Bits(rec->maskPort), &frame, &frame, srcCopy, nullptr);
        else PaintRect(&frame);
    }
    if (decoded.mask) {
        // Transparent pixels show white, and erasing keeps making them.
        UniqueRgn opaque, whole;
        RectRgn(whole, &frame);
        rec->hasTransparency = BitMapToRegion(opaque, Bits(rec->maskPort)) != noErr || !EqualRgn(opaque, whole);
        WhitenTransparent(rec);
    }
    decoded = PNGDecoded{};
    RectRgn(rec->updateRgn, &frame);
    CountUse(kUsedOpened);
    DispOffPort(window);
    UpdateMenus();
    return noErr;
}
