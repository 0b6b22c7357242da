#include "platform/ui/PortWidgets.h"

#include "platform/ui/LayerState.h"

#include <QPainter>
#include <QPaintEvent>

#include <cstring>

namespace ui_internal {

namespace {

const QColor kDesktopColor(0x6E, 0x7B, 0x8B);
const QColor kFrameLine(0x20, 0x20, 0x20);
const QColor kTitleActive(0xDD, 0xDD, 0xDD);
const QColor kTitleInactive(0xEE, 0xEE, 0xEE);
const QColor kTitleStripe(0xA8, 0xA8, 0xA8);

QRect ToQ(const Rect& r, const Rect& origin) {
    return QRect(r.left - origin.left, r.top - origin.top, RectWidth(r), RectHeight(r));
}

void DrawBox(QPainter& p, const QRect& box, bool pressed, bool zoom) {
    p.setPen(kFrameLine);
    p.setBrush(pressed ? QColor(0x70, 0x70, 0x70) : kTitleActive);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (zoom) {
        // A smaller square in the corner, as zoom boxes have.
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(box.left(), box.top(), box.width() / 2, box.height() / 2));
    }
}

}  // namespace

void ConvertPortRows(const UInt8* src, SInt32 srcRowBytes, QImage& dst, int left, int top, int width,
                     int height) {
    for (int y = 0; y < height; ++y) {
        const UInt8* s = src + ptrdiff_t(top + y) * srcRowBytes + ptrdiff_t(left) * 4;
        auto* d = reinterpret_cast<UInt32*>(dst.scanLine(top + y)) + left;
        for (int x = 0; x < width; ++x) {
            UInt32 v;
            std::memcpy(&v, s + 4 * x, 4);
            // Bytes pad,R,G,B read as a little-endian word are B G R pad from the top.
            d[x] = __builtin_bswap32(v) | 0xFF000000u;
        }
    }
}

DesktopArea::DesktopArea(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(false);
}

void DesktopArea::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), kDesktopColor);
}

PortView::PortView(WindowRecord* rec, QWidget* parent) : QWidget(parent), rec_(rec) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PortView::paintEvent(QPaintEvent* event) {
    if (!rec_ || !rec_->port.portPixMap) return;
    const PixMap& pm = **rec_->port.portPixMap;
    const int w = RectWidth(pm.bounds), h = RectHeight(pm.bounds);
    if (scratch_.width() != w || scratch_.height() != h) scratch_ = QImage(w, h, QImage::Format_RGB32);
    const QRect area = event->rect().intersected(QRect(0, 0, w, h));
    QPainter p(this);
    if (!area.isEmpty()) {
        ConvertPortRows(reinterpret_cast<const UInt8*>(pm.baseAddr), pm.rowBytes, scratch_, area.left(),
                        area.top(), area.width(), area.height());
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(area.topLeft(), scratch_, area);
    }
    // Outside the port (never, unless the widget is larger): white.
    const QRegion rest = QRegion(event->rect()) - QRegion(0, 0, w, h);
    for (const QRect& r : rest) p.fillRect(r, Qt::white);
}

FrameWidget::FrameWidget(WindowRecord* rec, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), rec_(rec), view_(new PortView(rec, this)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FrameWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!rec_) return;
    const Rect s = StructureRect(*rec_);
    const QRect all(0, 0, width(), height());
    p.setPen(kFrameLine);
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(0, 0, -1, -1));
    const int titleH = TitleBarHeight(*rec_);
    if (titleH <= 0) return;
    const QRect bar(1, 1, width() - 2, titleH - 1);
    const bool active = rec_->hilited;
    p.fillRect(bar, active ? kTitleActive : kTitleInactive);
    if (active) {
        // Fine stripes across the title bar of the active window.
        p.setPen(kTitleStripe);
        for (int y = bar.top() + 3; y < bar.bottom() - 1; y += 2) p.drawLine(bar.left() + 2, y, bar.right() - 2, y);
    }
    p.setPen(kFrameLine);
    p.drawLine(0, titleH - 1, width() - 1, titleH - 1);
    const WindowPartCode pressed = FramePartPressed(*rec_);
    if (active && rec_->goAway) {
        const QRect box = ToQ(CloseBoxRect(*rec_), s);
        p.fillRect(box.adjusted(-2, 0, 2, 0), kTitleActive);
        DrawBox(p, box, pressed == inGoAway, false);
    }
    if (active && rec_->hasZoom) {
        const QRect box = ToQ(ZoomBoxRect(*rec_), s);
        p.fillRect(box.adjusted(-2, 0, 2, 0), kTitleActive);
        DrawBox(p, box, pressed == inZoomIn || pressed == inZoomOut, true);
    }
    QString shown;
    const Rect text = TitleTextRect(*rec_, &shown);
    if (EmptyRect(&text)) return;
    const QRect textRect = ToQ(text, s);
    p.fillRect(textRect, active ? kTitleActive : kTitleInactive);
    p.setFont(TitleFont());
    p.setPen(active ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
    p.drawText(textRect, Qt::AlignCenter, shown);
}

}  // namespace ui_internal
