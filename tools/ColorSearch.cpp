#include "tools/ColorSearch.h"

#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"

RGBColor gSearchColor{0, 0, 0};
RGBColor gTransColor{0xFFFF, 0xFFFF, 0xFFFF};

Boolean MySearchProc(RGBColor* rgb, SInt32* position) {
    *position = EqualColor(rgb, &rgbWhiteColor) ? 0 : 1;
    return true;
}

Boolean SearchColorAreaProc(RGBColor* rgb, SInt32* position) {
    *position = EqualColor(rgb, &gSearchColor) ? 1 : 0;
    return true;
}

Boolean MySearchTransProc(RGBColor* rgb, SInt32* position) {
    *position = EqualColor(rgb, &gTransColor) ? 1 : 0;
    return true;
}

OSErr SearchMask(GWorldPtr buffer, const Rect* srcRect, const Rect* dstRect, ColorSearchProcPtr search,
                 UniqueGWorld* mask) {
    if (!buffer || !srcRect || !dstRect || !search || !mask) return paramErr;
    if (const OSErr err = NewGWorld(mask->out(), 1, dstRect, nullptr, nullptr, useTempMem); err != noErr) return err;
    if (!*mask) return memFullErr;
    SavedGWorld saved;
    // The source copies without tinting only with black on white; its own
    // colours are given back afterwards.
    SetGWorld(buffer, nullptr);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    SetBlackOnWhite(buffer);
    SetBlackOnWhite(mask->get());
    EraseRect(dstRect);
    AddSearch(search);
    CopyBits(GetPortBitMapForCopyBits(buffer), GetPortBitMapForCopyBits(mask->get()), srcRect, dstRect, srcCopy,
             nullptr);
    DelSearch(search);
    SetGWorld(buffer, nullptr);
    RGBForeColor(&fore);
    RGBBackColor(&back);
    return noErr;
}

OSErr CreateMask2(GWorldPtr buffer, GWorldPtr* mask) {
    if (!buffer || !mask) return paramErr;
    *mask = nullptr;
    Rect bounds;
    GetPortBounds(buffer, &bounds);
    UniqueGWorld made;
    if (const OSErr err = SearchMask(buffer, &bounds, &bounds, MySearchProc, &made); err != noErr) return err;
    *mask = made.release();
    return noErr;
}
