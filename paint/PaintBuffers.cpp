// The buffers and regions of a paint document, the composed picture, and the
// scratch bit maps of the tools. Nothing here touches a window, so the
// document model can be driven on its own.
#include "paint/PaintWindow.h"

#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"

#include <map>

namespace {

// Depth 24 asks for millions of colours, which the drawing layer keeps in 32 bits.
SInt16 StorageDepth(SInt16 depth) { return depth == 24 ? 32 : depth; }

[[nodiscard]] OSErr MakeBuffer(UniqueGWorld* out, SInt16 depth, const Rect* bounds) {
    GWorldPtr g = nullptr;
    OSErr err = NewGWorld(&g, StorageDepth(depth), bounds, nullptr, nullptr, useTempMem);
    if (err != noErr) return err;
    if (!g) return memFullErr;
    out->reset(g);
    return noErr;
}

void EraseBuffer(GWorldPtr g, const Rect* r) {
    if (!g) return;
    SavedGWorld saved;
    SetGWorld(g, nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(r);
}

// The handles behind the scratch bit maps, found again by base address.
std::map<Ptr, Handle>& BitMapBlocks() {
    static std::map<Ptr, Handle> blocks;
    return blocks;
}

}  // namespace

OSErr MakePaintBuffers(PaintWinRec* rec) {
    if (!rec || EmptyRect(&rec->picRect)) return paramErr;
    const Rect pic = rec->picRect;
    rec->dispRect = pic;
    rec->dispRect.bottom = SInt16(pic.bottom << rec->ratio);
    rec->dispRect.right = SInt16(pic.right << rec->ratio);

    // A failure anywhere gives back everything made so far.
    auto fail = [rec](OSErr err) {
        rec->offPort.reset();
        rec->undoPort.reset();
        rec->basePort.reset();
        rec->dispPort.reset();
        rec->maskPort.reset();
        rec->undoMask.reset();
        rec->baseMask.reset();
        return err;
    };
    OSErr err = noErr;
    for (UniqueGWorld* g : {&rec->offPort, &rec->undoPort, &rec->basePort, &rec->dispPort}) {
        if ((err = MakeBuffer(g, rec->depth, &pic)) != noErr) return fail(err);
    }
    SetEmptyRgn(rec->selDispRgn);
    SetEmptyRgn(rec->undoSelDispRgn);
    RectRgn(rec->selRgn, &pic);
    RectRgn(rec->undoSelRgn, &pic);
    SetEmptyRgn(rec->updateRgn);
    rec->foreHoldMask.reset();
    rec->foreHoldPort.reset();
    rec->isFloating = false;
    rec->selRect = pic;
    for (UniqueGWorld* g : {&rec->maskPort, &rec->undoMask, &rec->baseMask}) {
        if ((err = MakeBuffer(g, 1, &pic)) != noErr) return fail(err);
    }

    rec->backPort.reset();
    rec->hasTransparency = false;
    rec->showBack = true;
    rec->isBackMode = gOtherPrefs[kOtherStartInBackMode] != 0;
    rec->foreTrans = 0;
    rec->undoMode = 0;
    EraseOffPort(rec);
    return noErr;
}

void EraseOffPort(PaintWinRec* rec) {
    for (UniqueGWorld* g : {&rec->offPort, &rec->undoPort, &rec->basePort, &rec->dispPort, &rec->maskPort,
                            &rec->undoMask, &rec->baseMask}) {
        EraseBuffer(g->get(), &rec->picRect);
    }
}

void ComposeDispPort(PaintWinRec* rec) {
    if (!rec->offPort || !rec->dispPort) return;
    SavedGWorld saved;
    SetBlackOnWhite(rec->offPort.get());
    SetBlackOnWhite(rec->dispPort.get());
    const BitMap* disp = GetPortBitMapForCopyBits(rec->dispPort.get());
    if (!rec->isFloating) {
        CopyBits(GetPortBitMapForCopyBits(rec->offPort.get()), disp, &rec->picRect, &rec->picRect, srcCopy,
                 nullptr);
        return;
    }
    CopyBits(GetPortBitMapForCopyBits(rec->basePort.get()), disp, &rec->picRect, &rec->picRect, srcCopy, nullptr);
    Rect selBounds;
    GetRegionBounds(rec->selRgn, &selBounds);
    if (rec->selMode == blend) OpColor(&rgbGrayColor);
    SafeCopyDeepMask(GetPortBitMapForCopyBits(rec->offPort.get()), GetPortBitMapForCopyBits(rec->maskPort.get()),
                     disp, &rec->selRect, &rec->selRect, &selBounds, rec->selMode, rec->selRgn);
    OpColor(&rgbBlackColor);
}

void SetBlackOnWhite(GWorldPtr g) {
    SetGWorld(g, nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
}

Rect GWorldBounds(GWorldPtr g) {
    Rect r{};
    if (g) GetPixBounds(GetGWorldPixMap(g), &r);
    return r;
}

void MapToWindowRgn(const PaintWinRec* rec, RgnHandle imageRgn, RgnHandle windowRgn) {
    CopyRgn(imageRgn, windowRgn);
    MapRgn(windowRgn, &rec->picRect, &rec->dispRect);
}

OSErr NewBitMap(BitMap* bitmap, const Rect* r) {
    if (!bitmap || !r || EmptyRect(r)) return paramErr;
    const Size width = RectWidth(*r), height = RectHeight(*r);
    if (width > kMaxGWorldEdge || height > kMaxGWorldEdge) return memFullErr;
    const SInt32 rowBytes = SInt32(((width + 31) / 32) * 4);
    OSErr err = noErr;
    Handle h = TempNewHandle(Size(rowBytes) * height, &err);
    if (!h) return err != noErr ? err : OSErr(memFullErr);
    HLock(h);
    std::memset(*h, 0, size_t(rowBytes) * size_t(height));
    *bitmap = BitMap{};
    bitmap->baseAddr = *h;
    bitmap->rowBytes = rowBytes;
    bitmap->bounds = *r;
    bitmap->pixelSize = 1;
    bitmap->isPixMap = false;
    BitMapBlocks()[bitmap->baseAddr] = h;
    return noErr;
}

OSErr DisposeBitMap(BitMap* bitmap) {
    if (!bitmap || !bitmap->baseAddr) return paramErr;
    auto& blocks = BitMapBlocks();
    auto it = blocks.find(bitmap->baseAddr);
    if (it == blocks.end()) return nilHandleErr;
    HUnlock(it->second);
    DisposeHandle(it->second);
    blocks.erase(it);
    bitmap->baseAddr = nullptr;
    return MemError();
}
