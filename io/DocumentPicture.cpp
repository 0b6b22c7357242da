#include "io/DocumentPicture.h"

#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GrafProcs.h"
#include "tools/Tools.h"

#include <vector>

namespace {

constexpr OSType kKorvelCommentCreator = FourCC("Krvl");

// A Korvel comment: creator, kind, then the payload.
void PutKorvelComment(SInt16 kind, const std::vector<UInt8>& payload) {
    std::vector<UInt8> bytes{UInt8(kKorvelCommentCreator >> 24), UInt8(kKorvelCommentCreator >> 16),
                             UInt8(kKorvelCommentCreator >> 8), UInt8(kKorvelCommentCreator),
                             UInt8(UInt16(kind) >> 8), UInt8(kind)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    if (bytes.size() > 32767) return;
    UniqueHandle data(NewHandleFromBytes(bytes));
    if (data) PicComment(kKorvelPicComment, SInt16(bytes.size()), data.get());
}

// Records the document's operations into the picture open on offPort.
void RecordDocument(PaintWinRec* rec, const Rect& frame, bool layered) {
    // While the background is edited the ordinary buffers hold it and the
    // foreground is parked with its mask.
    const bool backEdited = layered && rec->foreHoldPort && rec->foreHoldMask;
    const UniqueGWorld& background = backEdited ? rec->offPort : rec->backPort;
    const UniqueGWorld& foreground = backEdited ? rec->foreHoldPort : rec->offPort;
    const UniqueGWorld& foreMask = backEdited ? rec->foreHoldMask : rec->maskPort;
    bool wroteBackground = false;
    if (layered && background) {
        CopyBits(Bits(background), Bits(rec->offPort), &frame, &frame, srcCopy, nullptr);
        wroteBackground = true;
    }
    const SInt16 mode = wroteBackground ? SetForeBlend(rec) : SInt16(srcCopy);
    UniqueRgn opaque;
    RgnHandle clip = nullptr;
    if (layered || rec->isFloating) {
        clip = opaque;
        if (BitMapToRegion(opaque, Bits(foreMask)) != noErr) {
            SysBeep(1);
            clip = rec->selRgn;
        }
    }
    CopyBits(Bits(foreground), Bits(rec->offPort), &frame, &frame, mode, clip);
    OpColor(&rgbBlackColor);

    if (rec->isFloating) {
        UniqueRgn shape;
        CopyRgn(rec->selRgn, shape);
        OffsetRgn(shape, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
        const std::vector<UInt8> stored = RegionToStored(shape);
        if (stored.empty()) SysBeep(1);
        else PutKorvelComment(kSelectionRgnComment, stored);
    }
    if (layered) {
        const SInt16 layers = wroteBackground ? 2 : 1;
        PutKorvelComment(kLayerInfoComment, {UInt8(layers >> 8), UInt8(layers)});
    }
}

}  // namespace

PicHandle GetSelectionPic(WindowRef window, Boolean withLayers) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->maskPort) return nullptr;
    const Rect frame = rec->isFloating ? rec->selRect : rec->picRect;
    if (EmptyRect(&frame)) return nullptr;
    const bool layered =
        withLayers && !rec->isFloating && (rec->backPort || rec->foreHoldPort || rec->hasTransparency);
    return RecordPortPicture(rec->offPort.get(), frame, [&] { RecordDocument(rec, frame, layered); });
}

PicHandle RecordPortPicture(GWorldPtr port, const Rect& frame, const std::function<void()>& draw) {
    SavedGWorld saved;
    SetGWorld(port, nullptr);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    UniqueRgn oldClip, oldVisible, nothing;
    GetClip(oldClip);
    CopyRgn(port->visRgn, oldVisible);
    SetPortVisibleRegion(port, nothing);
    SetBlackOnWhite(port);
    ClipRect(&frame);
    OpenCPicParams params;
    params.srcRect = frame;
    PicHandle picture = OpenCPicture(&params);
    if (picture) {
        draw();
        ClosePicture();
        if (QDError() != noErr) {
            KillPicture(picture);
            picture = nullptr;
        }
    }
    SetClip(oldClip);
    SetPortVisibleRegion(port, oldVisible);
    RGBForeColor(&fore);
    RGBBackColor(&back);
    return picture;
}
