#include "image/PictureInfo.h"

#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"

#include <algorithm>

namespace {

// Raised by MyGetDepthProc while a picture plays.
SInt16 gRecordedDepth = 0;

}  // namespace

void MyGetDepthProc(const BitMap* srcBits, const Rect*, const Rect*, SInt16, RgnHandle) {
    if (!srcBits) return;
    const SInt16 depth = srcBits->isPixMap ? srcBits->pixelSize : 1;
    gRecordedDepth = std::max(gRecordedDepth, depth);
}

OSErr GetPictureMaxDepth(PicHandle picture, SInt16* depth) {
    if (!picture || !depth) return paramErr;
    gRecordedDepth = 0;
    Rect frame;
    QDGetPictureBounds(picture, &frame);
    if (EmptyRect(&frame)) return badPictErr;

    // The picture plays into a private one-pixel port (there is no preview
    // window to borrow), recording into a throw-away picture so that nothing
    // it draws lands anywhere that matters.
    UniqueGWorld scratch;
    Rect one = MakeRect(0, 0, 1, 1);
    if (OSErr err = NewGWorld(scratch.out(), 32, &one, nullptr, nullptr, 0)) return err;
    SavedGWorld saved;
    SetGWorld(scratch.get(), nullptr);
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.bitsProc = MyGetDepthProc;
    CQDProcs* oldProcs = GetPortGrafProcs(scratch.get());
    OpenCPicParams params;
    params.srcRect = frame;
    PicHandle throwAway = OpenCPicture(&params);
    SetPortGrafProcs(scratch.get(), &procs);
    const OSErr err = DrawPictureChecked(picture, &frame);
    SetPortGrafProcs(scratch.get(), oldProcs);
    if (throwAway) {
        ClosePicture();
        KillPicture(throwAway);
    }
    *depth = gRecordedDepth;
    return err;
}

void GetPictureUniqueColors(PicHandle picture, SInt32* count) {
    if (!count) return;
    PictInfo info;
    if (GetPictInfo(picture, &info, 0, 0, systemMethod, 0) == noErr) *count = info.uniqueColors;
}
