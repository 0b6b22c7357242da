// Window frames: their geometry, hit testing, and tracking the mouse in them
// (close and zoom boxes, dragging, growing, zooming). Global points are
// desktop coordinates; points above the desktop (v < 0) are the menu bar.
#include "platform/core/Geometry.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/ui/WindowList.h"
#include "platform/ui/Windows.h"

#include <QApplication>
#include <QFontMetrics>
#include <QRubberBand>

#include <algorithm>
#include <memory>

namespace ui_internal {

Rect StructureRect(const WindowRecord& rec) {
    const Rect& c = rec.contentGlobal;
    return MakeRect(c.top - TopExtent(rec), c.left - kWindowBorder, c.bottom + kWindowBorder,
                    c.right + kWindowBorder);
}

Rect CloseBoxRect(const WindowRecord& rec) {
    if (!rec.goAway || rec.isDialog) return Rect{};
    const Rect s = StructureRect(rec);
    if (rec.floating) return MakeRect(s.top + 2, s.left + 3, s.top + 10, s.left + 11);
    return MakeRect(s.top + 4, s.left + 8, s.top + 16, s.left + 20);
}

Rect ZoomBoxRect(const WindowRecord& rec) {
    if (!rec.hasZoom || rec.isDialog) return Rect{};
    const Rect s = StructureRect(rec);
    if (rec.floating) return MakeRect(s.top + 2, s.right - 11, s.top + 10, s.right - 3);
    return MakeRect(s.top + 4, s.right - 20, s.top + 16, s.right - 8);
}

QFont TitleFont() {
    QFont font = QApplication::font();
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

Rect TitleTextRect(const WindowRecord& rec, QString* shown) {
    const SInt16 titleH = TitleBarHeight(rec);
    if (titleH <= 0 || rec.floating || rec.title.empty()) return Rect{};
    const Rect s = StructureRect(rec);
    int textLeft = s.left + 4, textRight = s.right - 4;
    if (rec.hilited && rec.goAway) textLeft = CloseBoxRect(rec).right + 6;
    if (rec.hilited && rec.hasZoom) textRight = ZoomBoxRect(rec).left - 6;
    const QFontMetrics metrics(TitleFont());
    const QString title = QString::fromUtf8(rec.title.data(), qsizetype(rec.title.size()));
    const QString elided = metrics.elidedText(title, Qt::ElideRight, std::max(0, textRight - textLeft - 12));
    if (shown) *shown = elided;
    const int width = metrics.horizontalAdvance(elided) + 12;
    const int left = s.left + (s.right - s.left - width) / 2;
    return MakeRect(s.top + 1, left, s.top + titleH - 1, left + width);
}

bool IsZoomedOut(const WindowRecord& rec) {
    const OwnedWindow* o = Owned(&rec);
    return (o && o->zoomedOut) || EqualRect(&rec.contentGlobal, &rec.stdState);
}

void SetZoomedOut(const WindowRecord& rec, bool zoomed) {
    if (OwnedWindow* o = Owned(&rec)) o->zoomedOut = zoomed;
}

WindowPartCode HitTest(Point pt, WindowRef* window) {
    if (window) *window = nullptr;
    for (WindowRecord* rec : WindowOrder()) {
        if (!rec->visible) continue;
        const Rect s = StructureRect(*rec);
        if (!PtInRect(pt, &s)) continue;
        if (window) *window = &rec->port;
        const Rect& c = rec->contentGlobal;
        // Boxes answer only on the active window, as the standard frames do.
        const bool live = rec->hilited;
        if (PtInRect(pt, &c)) {
            const Rect grow = MakeRect(c.bottom - 15, c.right - 15, c.bottom, c.right);
            if (rec->hasGrow && live && PtInRect(pt, &grow)) return inGrow;
            return inContent;
        }
        const Rect close = CloseBoxRect(*rec), zoom = ZoomBoxRect(*rec);
        if (live && PtInRect(pt, &close)) return inGoAway;
        // A zoomed window's box zooms back in to the user state; any other zooms out.
        if (live && PtInRect(pt, &zoom)) return IsZoomedOut(*rec) ? inZoomIn : inZoomOut;
        if (rec->isDialog && TitleBarHeight(*rec) == 0) return inContent;
        return inDrag;
    }
    return inDesk;
}

QWidget* WidgetAt(Point global, QPoint* local) {
    WindowRef w = nullptr;
    HitTest(global, &w);
    if (WindowRecord* rec = Record(w)) {
        OwnedWindow* o = Owned(rec);
        const Rect s = StructureRect(*rec);
        const QPoint inFrame(global.h - s.left, global.v - s.top);
        QWidget* target = o->frame.get();
        if (QWidget* child = o->frame->childAt(inFrame)) target = child;
        *local = target->mapFrom(o->frame.get(), inFrame);
        return target;
    }
    *local = QPoint(global.h, global.v);
    return DesktopWidget();
}

void SetFramePartPressed(WindowRecord* rec, WindowPartCode part, bool pressed) {
    if (OwnedWindow* o = Owned(rec)) {
        const WindowPartCode now = pressed ? part : 0;
        if (o->pressed != now) {
            o->pressed = now;
            if (o->frame) o->frame->repaint();
        }
    }
}

WindowPartCode FramePartPressed(const WindowRecord& rec) {
    OwnedWindow* o = Owned(&rec);
    return o ? o->pressed : 0;
}

}  // namespace ui_internal

using namespace ui_internal;

WindowPartCode FindWindow(Point thePoint, WindowRef* window) {
    if (window) *window = nullptr;
    if (thePoint.v < 0) return inMenuBar;
    return HitTest(thePoint, window);
}

namespace {

// Shows the box pressed while the mouse is over it; true when released inside.
Boolean TrackFramePart(WindowRef window, Point, WindowPartCode part, const Rect& box) {
    WindowRecord* rec = Record(window);
    if (!rec) return false;
    Point pt;
    bool inside = true;
    SetFramePartPressed(rec, part, true);
    while (StillDown()) {
        GetGlobalMouse(&pt);
        inside = PtInRect(pt, &box);
        SetFramePartPressed(rec, part, inside);
        if (!Record(window)) return false;
    }
    GetGlobalMouse(&pt);
    inside = PtInRect(pt, &box);
    SetFramePartPressed(rec, part, false);
    return inside;
}

}  // namespace

Boolean TrackGoAway(WindowRef window, Point thePt) {
    WindowRecord* rec = Record(window);
    return rec && TrackFramePart(window, thePt, inGoAway, CloseBoxRect(*rec));
}

Boolean TrackBox(WindowRef window, Point thePt, WindowPartCode partCode) {
    WindowRecord* rec = Record(window);
    if (!rec || !TrackFramePart(window, thePt, partCode, ZoomBoxRect(*rec))) return false;
    // The program may size the window itself rather than call ZoomWindow:
    // the zoom state and the user state follow the box all the same.
    if (partCode == inZoomOut) rec->userState = rec->contentGlobal;
    SetZoomedOut(*rec, partCode == inZoomOut);
    return true;
}

void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    if (!(GetCurrentKeyModifiers() & cmdKey)) SelectWindow(window);
    Rect bounds;
    if (boundsRect)
        bounds = *boundsRect;
    else
        GetRegionBounds(GetGrayRgn(), &bounds);
    const Rect start = rec->contentGlobal;
    Point pt = startPt;
    auto placeAt = [&](Point p) {
        MoveWindow(window, SInt16(start.left + p.h - startPt.h), SInt16(start.top + p.v - startPt.v), false);
    };
    while (StillDown()) {
        GetGlobalMouse(&pt);
        if (PtInRect(pt, &bounds)) placeAt(pt);
        if (!Record(window)) return;
    }
    GetGlobalMouse(&pt);
    if (!PtInRect(pt, &bounds) || EqualPt(pt, startPt)) {
        MoveWindow(window, start.left, start.top, false);
        return;
    }
    placeAt(pt);
    // Keep the whole title bar inside the bounds where it fits.
    const Rect s = StructureRect(*rec);
    const int titleH = TopExtent(*rec);
    int dh = 0, dv = 0;
    if (s.right > bounds.right) dh = bounds.right - s.right;
    if (s.left + dh < bounds.left) dh = bounds.left - s.left;
    if (s.top + titleH > bounds.bottom) dv = bounds.bottom - (s.top + titleH);
    if (s.top + dv < bounds.top) dv = bounds.top - s.top;
    if (dh || dv) MoveWindow(window, SInt16(rec->contentGlobal.left + dh), SInt16(rec->contentGlobal.top + dv), false);
}

SInt32 GrowWindow(WindowRef window, Point startPt, const Rect* sizeRect) {
    WindowRecord* rec = Record(window);
    if (!rec) return 0;
    const int w0 = RectWidth(rec->contentGlobal), h0 = RectHeight(rec->contentGlobal);
    Rect limits = sizeRect ? *sizeRect : MakeRect(16, 16, 32767, 32767);
    auto sizeFor = [&](Point p, int* w, int* h) {
        *w = std::clamp(w0 + p.h - startPt.h, int(limits.left), std::max<int>(limits.left, limits.right));
        *h = std::clamp(h0 + p.v - startPt.v, int(limits.top), std::max<int>(limits.top, limits.bottom));
    };
    // An outline of the new frame follows the mouse.
    std::unique_ptr<QRubberBand> band;
    QWidget* host = rec->floating || rec->isDialog ? nullptr : DesktopWidget();
    if (host) band = std::make_unique<QRubberBand>(QRubberBand::Rectangle, host);
    Point pt = startPt;
    int w = w0, h = h0;
    while (StillDown()) {
        GetGlobalMouse(&pt);
        sizeFor(pt, &w, &h);
        if (band) {
            const Rect s = StructureRect(*rec);
            band->setGeometry(s.left, s.top, w + 2 * kWindowBorder, h + TopExtent(*rec) + kWindowBorder);
            band->show();
        }
        if (!Record(window)) return 0;
    }
    GetGlobalMouse(&pt);
    sizeFor(pt, &w, &h);
    if (w == w0 && h == h0) return 0;
    SetZoomedOut(*rec, false);  // the user's own size
    return SInt32((UInt32(h) << 16) | UInt32(w));
}

void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    Rect target;
    if (partCode == inZoomOut) {
        if (!IsZoomedOut(*rec)) rec->userState = rec->contentGlobal;
        target = rec->stdState;
    } else {
        target = rec->userState;
    }
    SetZoomedOut(*rec, partCode == inZoomOut);
    MoveWindow(window, target.left, target.top, false);
    SizeWindow(window, SInt16(RectWidth(target)), SInt16(RectHeight(target)), true);
    InvalWindowRect(window, &rec->port.portRect);
    if (front) SelectWindow(window);
}

void DrawGrowIcon(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec || !rec->hasGrow) return;
    SavedGWorld saved;
    SetPort(window);
    const Rect pr = rec->port.portRect;
    const RGBColor fore = rec->port.rgbFgColor;
    const SInt16 mode = rec->port.pnMode;
    const Point size = rec->port.pnSize;
    const Pattern pat = rec->port.pnPat;
    const Point loc = rec->port.pnLoc;
    PenNormal();
    RGBColor black{0, 0, 0};
    RGBForeColor(&black);
    const Rect box = MakeRect(pr.bottom - 15, pr.right - 15, pr.bottom, pr.right);
    EraseRect(&box);
    // The strips' edges and two overlapping squares.
    MoveTo(box.left, box.top);
    LineTo(box.left, box.bottom - 1);
    MoveTo(box.left, box.top);
    LineTo(box.right - 1, box.top);
    const Rect small = MakeRect(box.top + 4, box.left + 4, box.top + 10, box.left + 10);
    const Rect large = MakeRect(box.top + 6, box.left + 6, box.top + 13, box.left + 13);
    FrameRect(&large);
    FrameRect(&small);
    RGBForeColor(&fore);
    rec->port.pnMode = mode;
    rec->port.pnSize = size;
    rec->port.pnPat = pat;
    rec->port.pnLoc = loc;
}
