#include "platform/raster/GWorld.h"

#include "platform/core/Memory.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Regions.h"

#include <cstring>
#include <new>

namespace {

CGrafPtr gCurrentPort = nullptr;

bool ValidDepth(int depth) {
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

int StoredDepth(int depth) { return depth >= 16 ? 32 : depth; }

void InitPortState(CGrafPtr port, const Rect& bounds) {
    port->portRect = bounds;
    port->visRgn = NewRgn();
    RectRgn(port->visRgn, &bounds);
    port->clipRgn = NewRgn();
    // The clip region starts wide open, as for a new port.
    SetRectRgn(port->clipRgn, -32767, -32767, 32767, 32767);
    port->rgbOpColor = {0, 0, 0};
    port->pnLoc = {0, 0};
    ResetPortDrawingState(port);
}

}  // namespace

void ResetPortDrawingState(CGrafPtr port) {
    port->rgbFgColor = {0, 0, 0};
    port->rgbBkColor = {0xFFFF, 0xFFFF, 0xFFFF};
    port->pnSize = {1, 1};
    port->pnMode = patCopy;
    std::memset(port->pnPat.pat, 0xFF, 8);
    std::memset(port->bkPat.pat, 0x00, 8);
    std::memset(port->fillPat.pat, 0xFF, 8);
    port->txFont = 0;
    port->txFace = normal;
    port->txMode = srcOr;
    port->txSize = 0;
}

OSErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect, CTabHandle cTable,
                GDHandle, GWorldFlags flags) {
    if (!offscreenGWorld || !boundsRect) return paramErr;
    *offscreenGWorld = nullptr;
    if (pixelDepth == 0) pixelDepth = 32;
    if (!ValidDepth(pixelDepth)) return paramErr;
    const int width = RectWidth(*boundsRect), height = RectHeight(*boundsRect);
    if (width <= 0 || height <= 0) return paramErr;
    if (width > kMaxGWorldEdge || height > kMaxGWorldEdge || Size(width) * height > kMaxGWorldPixels)
        return cNoMemErr;
    const int depth = StoredDepth(pixelDepth);
    const SInt32 rowBytes = RowBytesFor(width, depth);

    UniqueHandle storage((flags & noClearPix) ? NewHandle(Size(rowBytes) * height)
                                              : NewHandleClear(Size(rowBytes) * height));
    UniqueHandle pmBlock(NewHandleClear(sizeof(PixMap)));
    UniqueCTable table(depth <= 8 ? CopyCTable(cTable ? cTable : StandardCTable(depth)) : nullptr);
    if (!storage || !pmBlock || (depth <= 8 && !table)) return cNoMemErr;
    auto* port = new (std::nothrow) CGrafPort;
    if (!port) return cNoMemErr;

    HLock(storage.get());
    HLock(pmBlock.get());
    PixMap* pm = new (*pmBlock.get()) PixMap;
    pm->baseAddr = *storage.get();
    pm->rowBytes = rowBytes;
    pm->bounds = *boundsRect;
    pm->pixelSize = SInt16(depth);
    pm->pixelType = depth == 32 ? 16 : 0;
    pm->cmpCount = depth == 32 ? 3 : 1;
    pm->cmpSize = depth == 32 ? 8 : SInt16(depth);
    pm->isPixMap = true;

    port->ownsTable = table != nullptr;
    pm->pmTable = table.release();
    port->portPixMap = reinterpret_cast<PixMapHandle>(pmBlock.release());
    port->pixelStorage = storage.release();
    InitPortState(port, *boundsRect);
    *offscreenGWorld = port;
    return noErr;
}

void DisposeGWorld(GWorldPtr world) {
    if (!world) return;
    if (gCurrentPort == world) gCurrentPort = nullptr;
    CloseCPort(world);
    if (world->portPixMap) {
        if (world->ownsTable) DisposeCTable((*world->portPixMap)->pmTable);
        DisposeHandle(reinterpret_cast<Handle>(world->portPixMap));
    }
    DisposeHandle(world->pixelStorage);
    delete world;
}

GWorldFlags UpdateGWorld(GWorldPtr* world, SInt16 pixelDepth, const Rect* boundsRect, CTabHandle cTable,
                         GDHandle gdh, GWorldFlags flags) {
    if (!world || !*world) return gwFlagErr;
    GWorldPtr old = *world;
    PixMap& oldPm = **old->portPixMap;
    if (pixelDepth == 0) pixelDepth = oldPm.pixelSize;
    if (!cTable && oldPm.pmTable && StoredDepth(pixelDepth) == oldPm.pixelSize) cTable = oldPm.pmTable;
    GWorldPtr fresh = nullptr;
    if (NewGWorld(&fresh, pixelDepth, boundsRect, cTable, gdh, flags) != noErr) return gwFlagErr;
    if (flags & (clipPix | stretchPix)) {
        PixMap& newPm = **fresh->portPixMap;
        Rect src = oldPm.bounds, dst = newPm.bounds;
        if (flags & clipPix) {
            // Keep the pixels at the same coordinates, cut to the new bounds.
            Rect common;
            if (SectRect(&src, &dst, &common)) CopyBits(&oldPm, &newPm, &common, &common, srcCopy, nullptr);
        } else {
            CopyBits(&oldPm, &newPm, &src, &dst, (flags & ditherPix) ? ditherCopy : srcCopy, nullptr);
        }
    }
    // The port's drawing state survives the rebuild.
    fresh->rgbFgColor = old->rgbFgColor;
    fresh->rgbBkColor = old->rgbBkColor;
    fresh->rgbOpColor = old->rgbOpColor;
    fresh->pnSize = old->pnSize;
    fresh->pnMode = old->pnMode;
    fresh->pnPat = old->pnPat;
    fresh->bkPat = old->bkPat;
    fresh->txFont = old->txFont;
    fresh->txFace = old->txFace;
    fresh->txSize = old->txSize;
    const bool wasCurrent = gCurrentPort == old;
    DisposeGWorld(old);
    *world = fresh;
    if (wasCurrent) gCurrentPort = fresh;
    return 0;
}

PixMapHandle GetGWorldPixMap(GWorldPtr world) { return world ? world->portPixMap : nullptr; }
Boolean LockPixels(PixMapHandle pm) { return pm != nullptr; }
void UnlockPixels(PixMapHandle) {}
Ptr GetPixBaseAddr(PixMapHandle pm) { return pm ? (*pm)->baseAddr : nullptr; }
SInt32 GetPixRowBytes(PixMapHandle pm) { return pm ? (*pm)->rowBytes : 0; }
SInt16 GetPixDepth(PixMapHandle pm) { return pm ? (*pm)->pixelSize : 0; }
Rect* GetPixBounds(PixMapHandle pm, Rect* bounds) {
    *bounds = pm ? (*pm)->bounds : Rect{};
    return bounds;
}

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
    if (port) *port = gCurrentPort;
    if (gdh) *gdh = nullptr;
}
void SetGWorld(CGrafPtr port, GDHandle) { gCurrentPort = port; }
void GetPort(GrafPtr* port) { *port = gCurrentPort; }
void SetPort(GrafPtr port) { gCurrentPort = port; }
CGrafPtr GetQDGlobalsThePort() { return gCurrentPort; }
Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
    *rect = port ? port->portRect : Rect{};
    return rect;
}
PixMapHandle GetPortPixMap(CGrafPtr port) { return port ? port->portPixMap : nullptr; }
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
    return port && port->portPixMap ? *port->portPixMap : nullptr;
}

void SetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
    if (port && port->visRgn && visRgn) CopyRgn(visRgn, port->visRgn);
}

void SetOrigin(SInt16 h, SInt16 v) {
    CGrafPtr port = gCurrentPort;
    if (!port) return;
    const SInt16 dh = SInt16(h - port->portRect.left), dv = SInt16(v - port->portRect.top);
    OffsetRect(&port->portRect, dh, dv);
    if (port->portPixMap) OffsetRect(&(*port->portPixMap)->bounds, dh, dv);
    if (port->visRgn) OffsetRgn(port->visRgn, dh, dv);
    // The clip region stays in local coordinates of the new origin, as the
    // toolbox does: it is not moved.
}

void OpenCPort(CGrafPtr port, PixMapHandle pixMap) {
    port->portPixMap = pixMap;
    InitPortState(port, (*pixMap)->bounds);
}

void CloseCPort(CGrafPtr port) {
    if (!port) return;
    if (port->visRgn) DisposeRgn(port->visRgn);
    if (port->clipRgn) DisposeRgn(port->clipRgn);
    port->visRgn = port->clipRgn = nullptr;
}
