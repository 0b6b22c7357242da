#include "platform/ui/DesktopPixels.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/TransferModes.h"
#include "platform/ui/WindowInternal.h"

#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QWidget>

namespace {

RGBColor FromQColor(QRgb c) {
    return RGBColor{xfer::Widen8(UInt8(qRed(c))), xfer::Widen8(UInt8(qGreen(c))), xfer::Widen8(UInt8(qBlue(c)))};
}

// One pixel of what a widget shows at a point of its own coordinates.
Boolean GrabPixel(QWidget* widget, QPoint at, RGBColor* color) {
    if (!widget || !widget->rect().contains(at)) return false;
    const QImage image = widget->grab(QRect(at, QSize(1, 1))).toImage();
    if (image.isNull()) return false;
    *color = FromQColor(image.pixel(0, 0));
    return true;
}

}  // namespace

Boolean GetDesktopPixel(Point pt, RGBColor* color) {
    if (!color) return false;
    QWidget* desktop = ui_internal::DesktopWidget();
    if (!desktop) return false;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (!IsWindowVisible(w)) continue;
        Rect frame, content;
        GetWindowBounds(w, kWindowStructureRgn, &frame);
        if (!PtInRect(pt, &frame)) continue;
        GetWindowBounds(w, kWindowContentRgn, &content);
        if (PtInRect(pt, &content)) {
            // The port holds exactly what the content shows, at 1:1.
            const PixMap& pm = **GetPortPixMap(GetWindowPort(w));
            const int x = pt.h - content.left, y = pt.v - content.top;
            if (pm.pixelSize != 32 || x >= RectWidth(pm.bounds) || y >= RectHeight(pm.bounds)) return false;
            const UInt8* p = PixRow(pm, pm.bounds.top + y) + 4 * x;
            *color = xfer::RGBFrom24(UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]);
            return true;
        }
        ui_internal::WindowRecord* rec = ui_internal::Record(w);
        if (!rec || !rec->frame) return false;
        const QPoint screen = desktop->mapToGlobal(QPoint(pt.h, pt.v));
        return GrabPixel(rec->frame, rec->frame->mapFromGlobal(screen), color);
    }
    if (GrabPixel(desktop, QPoint(pt.h, pt.v), color)) return true;
    QMainWindow* main = ui_internal::MainWindow();
    if (!main) return false;
    return GrabPixel(main, main->mapFromGlobal(desktop->mapToGlobal(QPoint(pt.h, pt.v))), color);
}
