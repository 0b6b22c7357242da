#include "tools/ColorSearch.h"

#include "image/Colors.h"
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

OSErr CreateMask2(GWorldPtr buffer, GWorldPtr* mask) {
    if (!buffer || !mask) return paramErr;
    *mask = nullptr;
    Rect bounds;
    GetPortBounds(buffer, &bounds);
    UniqueGWorld made;
    OSErr err = NewGWorld(made.out(), 1, &bounds, nullptr, nullptr, useTempMem);
    if (err != noErr) return err;
    if (!made) return memFullErr;

    SavedGWorld saved;
    // The source copies without tinting only with black on white.
    SetGWorld(buffer, nullptr);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);

    SetGWorld(made.get(), nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&bounds);
    AddSearch(MySearchProc);
    CopyBits(GetPortBitMapForCopyBits(buffer), GetPortBitMapForCopyBits(made.get()), &bounds, &bounds, srcCopy,
             nullptr);
    DelSearch(MySearchProc);

    SetGWorld(buffer, nullptr);
    RGBForeColor(&fore);
    RGBBackColor(&back);
    *mask = made.release();
    return noErr;
}
