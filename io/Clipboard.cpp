// The paint document's side of the clipboard. While a selection floats,
// offPort and maskPort hold its pixels at selRect and selRgn says where they
// are shown (selRect moved by selOffset); a pasted picture becomes such a
// selection at its own frame, with buffers grown when the frame reaches
// beyond the image.
#include "io/Clipboard.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/PictureInfo.h"
#include "icons/IconConvert.h"
#include "io/DocumentPicture.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/codecs/PngCodec.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/Scrap.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <array>
#include <utility>
#include <vector>

RgnHandle gPictRgn = nullptr;

namespace {

constexpr OSType kPictFlavor = FourCC("PICT");
constexpr SInt16 kNoMemoryItem = 1, kCannotGrowItem = 2, kUnreadableItem = 3, kTooLargeItem = 4;  // of 4011
constexpr SInt16 kCannotOpenItem = 1;                                       // of kPaintFileErrStrings

SInt16 StorageDepth(SInt16 depth) { return depth == 24 ? 32 : depth; }

// Remakes `g` over `bounds`, keeping the pixels that overlap.
[[nodiscard]] OSErr Grow(UniqueGWorld* g, SInt16 depth, const Rect& bounds) {
    GWorldPtr world = g->release();
    const GWorldFlags result = UpdateGWorld(&world, depth, &bounds, nullptr, nullptr, clipPix);
    g->reset(world);
    return (result & gwFlagErr) || !world ? OSErr(memFullErr) : OSErr(noErr);
}

void RefreshUsedColours() {
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

// A picture too large for a document's buffers is refused before anything
// is made for it.
bool FitsDocument(const Rect& frame) {
    const int width = RectWidth(frame), height = RectHeight(frame);
    return width > 0 && height > 0 && width <= kMaxPictureEdge && height <= kMaxPictureEdge &&
           Size(width) * height <= kMaxPictureArea;
}

void IgnoreBits(const BitMap*, const Rect*, const Rect*, SInt16, RgnHandle) {}

// Plays the picture at its own frame into a one-pixel scratch port through
// `procs`, recording into a throw-away picture so that nothing lands anywhere.
OSErr PlayThroughProcs(PicHandle picture, CQDProcs* procs) {
    Rect frame{};
    QDGetPictureBounds(picture, &frame);
    UniqueGWorld scratch;
    const Rect one = MakeRect(0, 0, 1, 1);
    if (const OSErr err = NewGWorld(scratch.out(), 32, &one, nullptr, nullptr, 0); err != noErr) return err;
    SavedGWorld saved;
    SetGWorld(scratch.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = frame;
    PicHandle throwAway = OpenCPicture(&params);
    SetPortGrafProcs(scratch.get(), procs);
    const OSErr err = DrawPictureChecked(picture, &frame);
    SetPortGrafProcs(scratch.get(), nullptr);
    if (throwAway) {
        ClosePicture();
        KillPicture(throwAway);
    }
    return err;
}

// The selection as other programs take it: its pixels as shown, opaque
// where its mask and outline say, as PNG.
OSErr SelectionPng(PaintWinRec* rec, std::vector<UInt8>* png) {
    const Rect frame = rec->selRect;
    const int width = RectWidth(frame), height = RectHeight(frame);
    UniqueGWorld colour, opaque;
    if (NewGWorld(colour.out(), 32, &frame, nullptr, nullptr, useTempMem) != noErr || !colour) return memFullErr;
    if (NewGWorld(opaque.out(), 1, &frame, nullptr, nullptr, useTempMem) != noErr || !opaque) return memFullErr;
    UniqueRgn shape;
    CopyRgn(rec->selRgn, shape);
    OffsetRgn(shape, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    {
        SavedGWorld saved;
        SetBlackOnWhite(rec->offPort.get());
        SetBlackOnWhite(colour.get());
        CopyBits(Bits(rec->offPort), Bits(colour), &frame, &frame, srcCopy, nullptr);
        SetBlackOnWhite(rec->maskPort.get());
        SetBlackOnWhite(opaque.get());
        EraseRect(&frame);
        CopyBits(Bits(rec->maskPort), Bits(opaque), &frame, &frame, srcCopy, shape);
    }
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(size_t(width) * size_t(height) * 4);
    const PixMap& pixels = **GetGWorldPixMap(colour.get());
    const PixMap& bits = **GetGWorldPixMap(opaque.get());
    UInt8* out = image.pixels.data();
    for (int v = frame.top; v < frame.bottom; ++v) {
        const UInt8* in = PixRow(pixels, v);
        const UInt8* mask = PixRow(bits, v);
        for (int x = 0; x < width; ++x, out += 4) {
            out[0] = in[4 * x + 1];
            out[1] = in[4 * x + 2];
            out[2] = in[4 * x + 3];
            out[3] = (mask[x >> 3] & (0x80 >> (x & 7))) ? 0xFF : 0;
        }
    }
    return EncodePngRgba(image, png);
}

// The icon flavours of a copy, in the order they are put.
struct IconFlavor {
    OSType type;
    SInt16 size, depth;
};
constexpr std::array<IconFlavor, 6> kIconFlavors{{
    {FourCC("icl8"), 32, 8}, {FourCC("icl4"), 32, 4}, {FourCC("ICN#"), 32, 1},
    {FourCC("ics8"), 16, 8}, {FourCC("ics4"), 16, 4}, {FourCC("ics#"), 16, 1},
}};

}  // namespace

void CustomPicProc(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    if (kind != kKorvelPicComment || dataSize <= 6 || !dataHandle || !gPictRgn) return;
    const std::span<UInt8> bytes = HandleBytes(dataHandle);
    if (bytes.size() < size_t(dataSize)) return;
    const OSType creator = OSType(bytes[0]) << 24 | OSType(bytes[1]) << 16 | OSType(bytes[2]) << 8 | bytes[3];
    const SInt16 commentKind = SInt16(bytes[4] << 8 | bytes[5]);
    if (creator != FourCC("Krvl") || commentKind != kSelectionRgnComment) return;
    UniqueRgn found;
    if (RegionFromStored(bytes.subspan(6, size_t(dataSize) - 6), found) != noErr) return;
    CopyRgn(found, gPictRgn);
}

Boolean GetPictureRgn(PicHandle picture, RgnHandle region) {
    if (!picture || !region) return false;
    UniqueRgn found;
    SetEmptyRgn(found);
    gPictRgn = found.get();
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.commentProc = CustomPicProc;
    procs.bitsProc = IgnoreBits;  // only the comments are wanted
    (void)PlayThroughProcs(picture, &procs);  // a damaged picture shows when it is drawn
    gPictRgn = nullptr;
    if (EmptyRgn(found)) return false;
    CopyRgn(found, region);
    return true;
}

Boolean CheckPictSize(const Rect* picRect, Rect* frame) {
    Rect common;
    if (!SectRect(picRect, frame, &common)) OffsetRect(frame, SInt16(-frame->left), SInt16(-frame->top));
    Rect grown;
    UnionRect(picRect, frame, &grown);
    return !EqualRect(&grown, picRect);
}

OSErr PutPictureIntoEditWin(PicHandle picture, WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !picture || !rec->offPort || !rec->maskPort) return paramErr;
    Rect pictFrame{};
    QDGetPictureBounds(picture, &pictFrame);
    if (!FitsDocument(pictFrame)) {
        ErrorAlertFromResource(kClipboardErrStrings, kCannotGrowItem);
        return memFullErr;
    }
    if (rec->isFloating) {
        FixSelection(window);
        if (rec->isFloating) return memFullErr;  // which FixSelection has told
    }
    if (const OSErr err = GoOffPort(window); err != noErr) {
        ErrorAlertFromResource(kClipboardErrStrings, kNoMemoryItem);
        return err;
    }
    SavedGWorld saved;
    SetBlackOnWhite(rec->offPort.get());
    SetBlackOnWhite(rec->basePort.get());
    CopyBits(Bits(rec->offPort), Bits(rec->basePort), &rec->picRect, &rec->picRect, srcCopy, nullptr);

    // The buffers grow over the image and the frame together, so that every
    // copy over picRect still finds its pixels.
    Rect frame = pictFrame;
    Rect bounds = GWorldBounds(rec->offPort.get());
    if (CheckPictSize(&rec->picRect, &frame)) {
        UnionRect(&rec->picRect, &frame, &bounds);
        if (!FitsDocument(bounds) || Grow(&rec->offPort, StorageDepth(rec->depth), bounds) != noErr) {
            ErrorAlertFromResource(kClipboardErrStrings, kCannotGrowItem);
            std::swap(rec->offPort, rec->undoPort);  // the copy made before the paste
            return memFullErr;
        }
    }
    SetBlackOnWhite(rec->offPort.get());
    EraseRect(&frame);
    if (const OSErr err = DrawPictureChecked(picture, &frame); err != noErr) {
        std::swap(rec->offPort, rec->undoPort);
        return badPictErr;
    }
    if (!EqualRect(&bounds, &rec->picRect) && Grow(&rec->maskPort, 1, bounds) != noErr) {
        ErrorAlertFromResource(kClipboardErrStrings, kCannotGrowItem);
        std::swap(rec->offPort, rec->undoPort);
        std::swap(rec->maskPort, rec->undoMask);
        return memFullErr;
    }

    rec->selOffset = Point{0, 0};
    rec->undoSelOffset = Point{0, 0};
    rec->selRect = frame;
    RectRgn(rec->undoSelRgn, &rec->picRect);
    SetEmptyRgn(rec->undoSelDispRgn);
    const Boolean outlined = GetPictureRgn(picture, rec->selRgn);
    if (outlined) {
        MapRgn(rec->selRgn, &pictFrame, &frame);
        UniqueRgn inFrame;
        RectRgn(inFrame, &frame);
        SectRgn(rec->selRgn, inFrame, rec->selRgn);
    }
    if (!outlined || EmptyRgn(rec->selRgn)) RectRgn(rec->selRgn, &frame);
    MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);
    rec->isFloating = true;
    rec->selShown = true;
    rec->selMode = 0;
    ToolSelect(kSelectionTool);
    rec->isDirty = true;
    UpdateClipMenu();
    UpdateSelectionMenu();

    SetBlackOnWhite(rec->undoMask.get());
    SetBlackOnWhite(rec->baseMask.get());
    CopyBits(Bits(rec->undoMask), Bits(rec->baseMask), &rec->picRect, &rec->picRect, srcCopy, nullptr);

    SetBlackOnWhite(rec->maskPort.get());
    const Rect maskBounds = GWorldBounds(rec->maskPort.get());
    EraseRect(&maskBounds);
    UniqueRgn covered;
    if (GetPictureMask(picture, covered)) {
        MapRgn(covered, &pictFrame, &frame);
        SetBlackOnWhite(rec->maskPort.get());
        PaintRgn(covered);
    } else {
        PaintRgn(rec->selRgn);
    }
    CopyRgn(rec->selRgn, rec->updateRgn);
    return noErr;
}

void CopySelection(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    UniqueHandle picture(GetSelectionPic(window, false));
    if (!picture || HandleBytes(picture.get()).empty()) {
        SysBeep(1);
        return;
    }
    std::vector<UInt8> png;
    OSErr err = SelectionPng(rec, &png);
    if (err == noErr) err = ClearCurrentScrap();
    if (err == noErr) err = PutScrapPictureWithPng(HandleBytes(picture.get()), png);
    picture.reset();
    if (err != noErr) {
        SysBeep(1);
        return;
    }
    if (!gOtherPrefs[kOtherIconFlavoursOnCopy]) return;
    for (const IconFlavor& flavor : kIconFlavors) {
        UniqueHandle icon(GetSelectionIconHandle(window, flavor.size, flavor.depth, false));
        if (icon) (void)PutScrapFlavor(flavor.type, HandleBytes(icon.get()));  // an icon that cannot be put is left out
    }
}

Boolean ScrapHasPict() {
    Size size = 0;
    return GetScrapFlavorSize(kPictFlavor, &size) == noErr && size > 0;
}

namespace {

enum class ScrapPict { None, Refused, Got };

// The clipboard's picture in a handle of its own; alerts and beeps for the
// reasons it cannot be had. No word when there is none unless asked.
ScrapPict TakeScrapPict(UniqueHandle* picture, bool beepWhenNone) {
    std::vector<UInt8> bytes;
    const OSErr err = GetScrapFlavorData(kPictFlavor, &bytes);
    if (err == noTypeErr || (err == noErr && bytes.empty())) {
        if (beepWhenNone) SysBeep(1);
        return ScrapPict::None;
    }
    if (err == memFullErr) {
        ErrorAlertFromResource(kClipboardErrStrings, kTooLargeItem);
        return ScrapPict::Refused;
    }
    if (err != noErr) {
        SysBeep(1);
        return ScrapPict::Refused;
    }
    picture->reset(NewHandleFromBytes(bytes));
    if (!*picture) {
        ErrorAlertFromResource(kClipboardErrStrings, kNoMemoryItem);
        return ScrapPict::Refused;
    }
    return ScrapPict::Got;
}

}  // namespace

void PastePicture(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    UniqueHandle picture;
    if (TakeScrapPict(&picture, true) != ScrapPict::Got) {
        UpdatePasteMenu();
        return;
    }
    const OSErr err = PutPictureIntoEditWin(picture.get(), window);
    if (err == noErr) {
        SetUndoMode(kUndoPaste);
        UpdateTransparentMenu();
        DispOffPort(window);
        DispSelection(window);
    } else {
        if (err == badPictErr) ErrorAlertFromResource(kClipboardErrStrings, kUnreadableItem);
        SetUndoMode(kUndoNone);
    }
    RefreshUsedColours();
}

void OpenClipboard() {
    UniqueHandle picture;
    if (TakeScrapPict(&picture, false) != ScrapPict::Got) return;
    Rect frame{};
    QDGetPictureBounds(picture.get(), &frame);
    if (!FitsDocument(frame)) {
        ErrorAlertFromResource(kClipboardErrStrings, kTooLargeItem);
        return;
    }
    SInt16 deepest = 0;
    SInt16 depth = gPaintWinPrefs.colorMode;
    if (GetPictureMaxDepth(picture.get(), &deepest) == noErr && deepest > 0) depth = deepest > 8 ? 24 : 8;
    const Rect pic = MakeRect(0, 0, RectHeight(frame), RectWidth(frame));
    WindowRef window = MakePaintWindow(&pic, gPaintWinPrefs.ratio, depth);
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) {
        ErrorAlertFromResource(kPaintFileErrStrings, kCannotOpenItem);
        return;
    }
    rec->picRect = pic;
    rec->fileType = FourCC("PICT");
    rec->fileCreator = gPICTCreator;
    rec->isDirty = false;
    rec->hasFile = false;
    rec->undoMode = 0;
    MakeUntitledFileName(FourCC("PICT"), rec->fileSpec.name);
    SetEditWindowTitle(window);
    {
        SavedGWorld saved;
        SetBlackOnWhite(rec->offPort.get());
        if (DrawPictureChecked(picture.get(), &pic) != noErr) {
            (void)ClosePaintWindow(window, false);  // new and unchanged: nothing to ask
            ErrorAlertFromResource(kClipboardErrStrings, kUnreadableItem);
            return;
        }
        SetBlackOnWhite(rec->maskPort.get());
        PaintRect(&pic);
    }
    RectRgn(rec->updateRgn, &pic);
    DispOffPort(window);
    UpdateMenus();
}
