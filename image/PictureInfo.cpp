#include "image/PictureInfo.h"

#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"

#include <algorithm>
#include <type_traits>

namespace {

// The bottlenecks GetPictureMaxDepth installs on its port, and the deepest
// raster seen so far. The port's procedure pointer is the record's address,
// which is how MyGetDepthProc reaches the depth.
struct DepthProcs {
    CQDProcs procs;
    SInt16 deepest = 0;
};
static_assert(std::is_standard_layout_v<DepthProcs>);

}  // namespace

void MyGetDepthProc(const BitMap* srcBits, const Rect*, const Rect*, SInt16, RgnHandle) {
    CGrafPtr port = nullptr;
    GetPort(&port);
    CQDProcs* procs = GetPortGrafProcs(port);
    if (!srcBits || !procs || procs->bitsProc != MyGetDepthProc) return;
    DepthProcs* recording = reinterpret_cast<DepthProcs*>(procs);
    const SInt16 depth = srcBits->isPixMap ? srcBits->pixelSize : 1;
    recording->deepest = std::max(recording->deepest, depth);
}

OSErr GetPictureMaxDepth(PicHandle picture, SInt16* depth) {
    if (!picture || !depth) return paramErr;
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
    DepthProcs depthProcs;
    SetStdCProcs(&depthProcs.procs);
    depthProcs.procs.bitsProc = MyGetDepthProc;
    CQDProcs* oldProcs = GetPortGrafProcs(scratch.get());
    OpenCPicParams params;
    params.srcRect = frame;
    PicHandle throwAway = OpenCPicture(&params);
    SetPortGrafProcs(scratch.get(), &depthProcs.procs);
    const OSErr err = DrawPictureChecked(picture, &frame);
    SetPortGrafProcs(scratch.get(), oldProcs);
    if (throwAway) {
        ClosePicture();
        KillPicture(throwAway);
    }
    *depth = depthProcs.deepest;
    return err;
}
