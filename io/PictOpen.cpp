// Opening PICT files as paint documents: plain pictures, and the layered
// pictures the program writes (a background layer and a foreground with its
// mask and blend weight), recognised by their layer-info comment or by
// holding exactly two pixel images.
#include "io/PictFile.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/PictureInfo.h"
#include "io/DocumentPicture.h"
#include "io/OpenDocuments.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/picture/PictFormat.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/Shapes.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr SInt16 kNoPictWindowMessage = 11;
constexpr SInt16 kTooLargeMessage = 13;

// Playback state of the two procedures below; a picture is played by one
// call at a time.
Boolean gAvailable = false;      // a layer-info comment was found
SInt16 gLayerNum = 0;            // the layer count it gives
SInt16 gLayerCount = 0;          // the bit copy being played: 0 background, 1 foreground
SInt16 gLayerTrans = 0;          // the foreground's transparency level
PaintWinRec* gEWinRec = nullptr; // the document being loaded
OSErr gLayerErr = noErr;         // a buffer that could not be made

// The picture plays into a private one-pixel port, recording into a
// throw-away picture so that nothing it draws lands anywhere that matters.
// `procs` are installed on the port for the playback.
[[nodiscard]] OSErr PlayThrough(PicHandle pic, const Rect& dst, CQDProcs* procs) {
    UniqueGWorld scratch;
    Rect one = MakeRect(0, 0, 1, 1);
    if (OSErr err = NewGWorld(scratch.out(), 32, &one, nullptr, nullptr, 0)) return err;
    SavedGWorld saved;
    SetGWorld(scratch.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = dst;
    PicHandle throwAway = OpenCPicture(&params);
    SetPortGrafProcs(scratch.get(), procs);
    const OSErr err = DrawPictureChecked(pic, &dst);
    SetPortGrafProcs(scratch.get(), nullptr);
    if (throwAway) {
        ClosePicture();
        KillPicture(throwAway);
    }
    return err;
}

// The document's rectangle: the picture's frame, at the resolution of its
// pixels when its header gives one other than 72 dots per inch (a picture
// saved at 96 dpi opens with every pixel it holds), moved to the origin.
Rect FrameAtOrigin(PicHandle pic) {
    Rect frame;
    QDGetPictureBounds(pic, &frame);
    PictHeader header;
    if (ReadPictHeader(HandleBytes(pic), &header) == noErr && !EmptyRect(&header.srcRect)) frame = header.srcRect;
    return MakeRect(0, 0, SInt16(std::clamp(frame.bottom - frame.top, 0, 32767)),
                    SInt16(std::clamp(frame.right - frame.left, 0, 32767)));
}

void PaintMask(PaintWinRec* rec, RgnHandle maskRgn, const Rect& dstRect) {
    SavedGWorld saved;
    SetBlackOnWhite(rec->maskPort.get());
    // A copy without a mask region drew its whole rectangle.
    if (maskRgn) PaintRgn(maskRgn);
    else PaintRect(&dstRect);
}

void IgnoreBits(const BitMap*, const Rect*, const Rect*, SInt16, RgnHandle) {}

}  // namespace

Boolean IsOpenableSize(const Rect& frame) {
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    return width >= 1 && height >= 1 && width <= kMaxPictureEdge && height <= kMaxPictureEdge &&
           Size(width) * Size(height) <= kMaxOpenPixels;
}

void MyGetLayerInfoProc(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    if (kind != kKorvelPicComment || dataSize != 8 || !dataHandle || GetHandleSize(dataHandle) < 8) return;
    const UInt8* b = reinterpret_cast<const UInt8*>(*dataHandle);
    const OSType creator = OSType(b[0]) << 24 | OSType(b[1]) << 16 | OSType(b[2]) << 8 | b[3];
    const SInt16 commentKind = SInt16(b[4] << 8 | b[5]);
    const SInt16 count = SInt16(b[6] << 8 | b[7]);
    if (creator != FourCC("Krvl") || commentKind != kLayerInfoComment || (count != 1 && count != 2)) return;
    gAvailable = true;
    gLayerNum = count;
}

void MyGetLayerDataProc(const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
                        RgnHandle maskRgn) {
    PaintWinRec* rec = gEWinRec;
    if (!rec || !srcBits || !srcRect || !dstRect) return;
    CGrafPtr port = nullptr;
    GetPort(&port);
    if (gLayerCount == 0) {
        OSErr err = NewGWorld(rec->backPort.out(), rec->depth, &rec->picRect, nullptr, nullptr, 0);
        if (err == noErr) {
            SavedGWorld saved;
            SetBlackOnWhite(rec->backPort.get());
            EraseRect(&rec->picRect);
            RGBColor weight = port->rgbOpColor;
            OpColor(&weight);
            CopyBits(srcBits, Bits(rec->backPort), srcRect, dstRect, mode, maskRgn);
        } else {
            gLayerErr = err;
        }
    } else if (gLayerCount == 1) {
        {
            SavedGWorld saved;
            SetBlackOnWhite(rec->offPort.get());
            CopyBits(srcBits, Bits(rec->offPort), srcRect, dstRect, srcCopy, maskRgn);
        }
        // Every port here is a colour port.
        if (mode == blend) gLayerTrans = SInt16(4 - (port->rgbOpColor.red >> 14));
        PaintMask(rec, maskRgn, *dstRect);
    }
    ++gLayerCount;
}

Boolean IsBackAvailable(PicHandle pic, SInt16* layerCount) {
    if (!pic || !layerCount) return false;
    gAvailable = false;
    gLayerNum = 0;
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.commentProc = MyGetLayerInfoProc;
    procs.bitsProc = IgnoreBits;  // the pixels are not wanted here
    // Only the comments matter here: the picture plays at its own frame. A
    // damaged picture shows as such when it is loaded.
    Rect frame;
    QDGetPictureBounds(pic, &frame);
    (void)PlayThrough(pic, frame, &procs);
    if (gAvailable) {
        *layerCount = gLayerNum;
        return true;
    }
    PictInfo info;
    if (GetPictInfo(pic, &info, 0, 0, systemMethod, 0) != noErr) return false;
    const bool onlyImages = info.textCount == 0 && info.lineCount == 0 && info.rectCount == 0 &&
                            info.rRectCount == 0 && info.ovalCount == 0 && info.arcCount == 0 &&
                            info.polyCount == 0 && info.regionCount == 0;
    if (onlyImages && info.bitMapCount + info.pixMapCount == 2) {
        *layerCount = 2;
        return true;
    }
    return false;
}

OSErr SpritPictAndLoad(PicHandle pic, PaintWinRec* rec) {
    if (!pic || !rec) return paramErr;
    gLayerCount = rec->hasTransparency ? 1 : 0;
    gLayerTrans = 0;
    gLayerErr = noErr;
    gEWinRec = rec;
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.bitsProc = MyGetLayerDataProc;
    const OSErr err = PlayThrough(pic, rec->picRect, &procs);
    gEWinRec = nullptr;
    rec->foreTrans = gLayerTrans;
    return err != noErr ? err : gLayerErr;
}

OSErr PictDocumentRect(PicHandle pic, Rect* picRect) {
    if (!pic || !picRect) return paramErr;
    Rect frame;
    QDGetPictureBounds(pic, &frame);
    *picRect = FrameAtOrigin(pic);
    return IsOpenableSize(frame) && IsOpenableSize(*picRect) ? noErr : memFullErr;
}

OSErr LoadPictIntoDocument(PicHandle pic, PaintWinRec* rec) {
    if (!pic || !rec || !rec->offPort || !rec->maskPort) return paramErr;
    SInt16 layers = 0;
    if (!IsBackAvailable(pic, &layers) || layers == 0) {
        SavedGWorld saved;
        SetBlackOnWhite(rec->offPort.get());
        if (const OSErr err = DrawPictureChecked(pic, &rec->picRect); err != noErr) return err;
        SetBlackOnWhite(rec->maskPort.get());
        PaintRect(&rec->picRect);
        return noErr;
    }
    if (layers == 1) rec->hasTransparency = true;
    else rec->isBackMode = false;
    return SpritPictAndLoad(pic, rec);
}

OSErr OpenPictFile(const FSSpec& fileSpec) {
    if (IsFileOpened(fileSpec)) return noErr;
    UniqueHandle pic(LoadFromPict(fileSpec));
    if (!pic) {
        ErrorAlertFromResource(kPaintFileErrStrings, kNoPictWindowMessage);
        return memFullErr;
    }
    Rect picRect;
    if (PictDocumentRect(pic.get(), &picRect) != noErr) {
        ErrorAlertNamed(kPaintFileErrStrings, kTooLargeMessage, PStringToStd(fileSpec.name));
        return memFullErr;
    }
    const SInt16 ratio = LoadZoomResource(fileSpec, gPaintWinPrefs.ratio);
    SInt16 deepest = 0;
    SInt16 depth = gPaintWinPrefs.colorMode;
    if (GetPictureMaxDepth(pic.get(), &deepest) == noErr && deepest > 0) depth = deepest > 8 ? 24 : 8;

    WindowRef window = MakePaintWindow(&picRect, ratio, depth);
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) {
        ErrorAlertFromResource(kPaintFileErrStrings, kNoPictWindowMessage);
        return memFullErr;
    }
    rec->fileType = FourCC("PICT");
    rec->fileCreator = gPICTCreator;
    rec->hasFile = true;
    rec->isDirty = false;
    rec->undoMode = 0;
    rec->fileSpec = fileSpec;
    if (const OSErr err = LoadPictIntoDocument(pic.get(), rec); err != noErr) {
        // A picture that cannot be read leaves no half-made window behind.
        (void)ClosePaintWindow(window, false);
        ErrorAlertFromResource(kPaintFileErrStrings, kNoPictWindowMessage);
        return err;
    }
    SetEditWindowTitle(window);
    RectRgn(rec->updateRgn, &rec->picRect);
    CountUse(kUsedOpened);
    DispOffPort(window);
    UpdateMenus();
    return noErr;
}
