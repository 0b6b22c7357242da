#include "tools/Eyedropper.h"

#include "app/PaletteContent.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/DesktopPixels.h"
#include "platform/ui/Events.h"
#include "tools/Bucket.h"
#include "tools/Tools.h"

namespace {

enum : SInt16 { kEyedropperCursor = 131, kEyedropperCrossCursor = 139 };

void ReadPixel(GWorldPtr g, Point pt, RGBColor* color) {
    SavedGWorld saved;
    SetGWorld(g, nullptr);
    GetCPixel(pt.h, pt.v, color);
}

// Shows a colour as the current one in the blend palette only.
void ShowInBlend(const ColorRec& color) {
    const ColorRec kept = gCurrentColor;
    gCurrentColor = color;
    DrawBlend();
    gCurrentColor = kept;
    InvalWindow(gBlendPalette);
}

}  // namespace

Boolean GetSpoitColor(PaintWinRec* rec, Point pt, RGBColor* color) {
    if (!rec || !rec->dispPort) return false;
    Point inOff = pt;
    if (rec->isFloating) {
        inOff.h = SInt16(inOff.h - rec->selOffset.h);
        inOff.v = SInt16(inOff.v - rec->selOffset.v);
    }
    if (RealPtInMask(inOff, rec->maskPort.get()) ||
        (rec->isFloating && RealPtInMask(pt, rec->baseMask.get()))) {
        ReadPixel(rec->dispPort.get(), pt, color);
        return true;
    }
    if (!rec->backPort) {
        *color = rgbWhiteColor;
        return true;
    }
    if (!rec->showBack) return false;
    ReadPixel(rec->backPort.get(), pt, color);
    return true;
}

void DoSpoit(WindowRef window, Point localPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    Point pt = localPt;
    ToRealPos(&pt, rec->ratio);
    if (!PtInRect(pt, &rec->picRect)) return;
    RGBColor color;
    if (!GetSpoitColor(rec, pt, &color)) return;
    ChangeColor(&color, false);
    InvalidateColorPalettes();  // the outlines follow the pen colour
}

void GetDesktopColor() {
    const ColorRec remembered = gCurrentColor;
    UseCursor(gToolPrefs.eyedropperCursor ? kEyedropperCrossCursor : kEyedropperCursor);
    while (WaitMouseUp()) {
    }
    FlushEvents(mDownMask | mUpMask | keyDownMask | autoKeyMask, 0);

    ColorRec picked = gCurrentColor;
    Boolean accepted = false;
    for (;;) {
        Point mouse;
        GetGlobalMouse(&mouse);
        RGBColor seen;
        if (GetDesktopPixel(mouse, &seen)) {
            FixColor(&seen);
            picked = ColorRec{seen, 0};
            ShowInBlend(picked);
        }
        EventRecord event;
        if (!WaitNextEvent(mDownMask | mUpMask | keyDownMask, &event, 1, nullptr)) continue;
        if (event.what == mouseUp) {
            if (GetDesktopPixel(event.where, &seen)) {
                FixColor(&seen);
                picked = ColorRec{seen, 0};
            }
            accepted = true;
            break;
        }
        if (event.what == keyDown) break;
        // A press only starts the click whose release accepts.
    }
    InitCursor();
    gCurrentColor = remembered;
    if (!accepted) {
        DrawBlend();
        InvalWindow(gBlendPalette);
        return;
    }
    if (picked.rgb == gCurrentColor.rgb && !gCurrentColor.isTransparent) {
        DrawBlend();
        InvalWindow(gBlendPalette);
        return;
    }
    gPrevColor = gCurrentColor;
    gCurrentColor = picked;
    InvalidateColorPalettes();
    DrawBlend();
    InvalWindow(gBlendPalette);
    InvalWindow(PatternPalette);
}
