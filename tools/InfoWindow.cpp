// The info window: the pencil's transparency and the pen and eraser
// footprints, each of which opens its pop-up when clicked.
#include "tools/Tools.h"

#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/resources/Resources.h"

namespace {

constexpr SInt16 kFirstInfoPicture = 133;  // plus the transparency item

Rect FootprintAround(SInt16 h, SInt16 v, SInt16 width, SInt16 height) {
    return Rect{SInt16(v - height / 2), SInt16(h - width / 2), SInt16(v + (height + 1) / 2),
                SInt16(h + (width + 1) / 2)};
}

}  // namespace

void RedrawInfo(WindowRef window) {
    if (!window) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    Rect port;
    GetWindowPortBounds(window, &port);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&port);
    if (Handle pic = GetResource(FourCC("PICT"), SInt16(kFirstInfoPicture + gBSelectedItem))) DrawPicture(pic, &port);
    RGBForeColor(&rgbBlackColor);
    PenNormal();
    const Rect pen = FootprintAround(9, 9, gPenWidth, gPenHeight);
    const Rect eraser = FootprintAround(27, 9, gEraserWidth, gEraserHeight);
    PaintRect(&pen);
    PaintRect(&eraser);
    QDFlushPortBuffer(GetWindowPort(window), nullptr);
}

void ClickInfoWindow(Point localPt) {
    if (localPt.h < 0 || localPt.v < 0) return;
    if (localPt.v > 15) {
        ChangeTransparency();
        RedrawInfo(InfoWindow);
        return;
    }
    if (localPt.h < 16) ChangePenSize();
    else ChangeEraserSize();
}
