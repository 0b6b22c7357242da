// Window ports: sizes, update regions, showing drawn pixels on screen, and
// the coordinates of the current port. Update regions are kept at origin
// (0, 0) and follow SetOrigin.
#include "platform/core/Geometry.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/ui/WindowList.h"
#include "platform/ui/Windows.h"

#include <algorithm>
#include <cstring>

namespace ui_internal {

namespace {

constexpr int kBandRows = 16;

UInt64 HashRows(const PixMap& pm, int top, int rows) {
    const int words = RectWidth(pm.bounds) / 2;
    UInt64 h = 0x9E3779B97F4A7C15ull ^ UInt64(top);
    for (int y = top; y < top + rows; ++y) {
        const UInt8* row = reinterpret_cast<const UInt8*>(pm.baseAddr) + ptrdiff_t(y) * pm.rowBytes;
        for (int i = 0; i < words; ++i) {
            UInt64 w;
            std::memcpy(&w, row + 8 * i, 8);
            h = (h ^ w) * 0x100000001B3ull;
        }
        if (RectWidth(pm.bounds) & 1) {
            UInt32 w;
            std::memcpy(&w, row + 8 * words, 4);
            h = (h ^ w) * 0x100000001B3ull;
        }
    }
    return h;
}

}  // namespace

void ShowDrawnPorts() {
    for (auto& w : OwnedWindows()) {
        if (!w.rec->visible || !w.frame) continue;
        const PixMap& pm = **w.rec->port.portPixMap;
        const int height = RectHeight(pm.bounds), bands = (height + kBandRows - 1) / kBandRows;
        if (w.bandHashes.size() != size_t(bands)) w.bandHashes.assign(size_t(bands), 0);
        QRegion changed;
        for (int b = 0; b < bands; ++b) {
            const int top = b * kBandRows, rows = std::min(kBandRows, height - top);
            const UInt64 h = HashRows(pm, top, rows);
            if (h != w.bandHashes[size_t(b)]) {
                w.bandHashes[size_t(b)] = h;
                changed += QRect(0, top, RectWidth(pm.bounds), rows);
            }
        }
        if (!changed.isEmpty()) w.frame->view()->update(changed);
    }
}

void FollowPortOrigins() {
    for (auto& w : OwnedWindows()) {
        const Rect& pr = w.rec->port.portRect;
        if (pr.left != w.placedOrigin.left || pr.top != w.placedOrigin.top) {
            w.placedOrigin = pr;
            RelayoutControls(&w.rec->port);
        }
    }
}

}  // namespace ui_internal

using namespace ui_internal;

void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate) {
    WindowRecord* rec = Record(window);
    if (!rec || w <= 0 || h <= 0) return;
    const Rect old = rec->port.portRect;
    if (RectWidth(old) == w && RectHeight(old) == h) return;
    const Rect bounds = MakeRect(old.top, old.left, old.top + h, old.left + w);
    UniqueGWorld fresh;
    if (NewGWorld(fresh.out(), 32, &bounds, nullptr, nullptr, 0) != noErr) return;
    FillWhite(fresh.get());
    const PixMap& src = **rec->port.portPixMap;
    const PixMap& dst = **fresh.get()->portPixMap;
    const int rows = std::min(RectHeight(old), int(h)), bytes = 4 * std::min(RectWidth(old), int(w));
    for (int y = 0; y < rows; ++y)
        std::memcpy(dst.baseAddr + ptrdiff_t(y) * dst.rowBytes, src.baseAddr + ptrdiff_t(y) * src.rowBytes, size_t(bytes));
    rec->buffer = std::move(fresh);
    rec->port.portPixMap = GetGWorldPixMap(rec->buffer.get());
    rec->port.portRect = bounds;
    RectRgn(rec->port.visRgn, &bounds);
    rec->contentGlobal.right = SInt16(rec->contentGlobal.left + w);
    rec->contentGlobal.bottom = SInt16(rec->contentGlobal.top + h);
    // The update region keeps only what still lies in the port.
    UniqueRgn inside;
    SetRectRgn(inside, 0, 0, w, h);
    SectRgn(rec->updateRgn, inside, rec->updateRgn);
    if (fUpdate) {
        UniqueRgn added;
        SetRectRgn(added, 0, 0, w, h);
        UniqueRgn kept;
        SetRectRgn(kept, 0, 0, SInt16(RectWidth(old)), SInt16(RectHeight(old)));
        DiffRgn(added, kept, added);
        UnionRgn(rec->updateRgn, added, rec->updateRgn);
    }
    PlaceFrame(*rec);
    rec->frame->update();
    RelayoutControls(window);
}

CGrafPtr GetWindowPort(WindowRef window) { return Record(window) ? window : nullptr; }

WindowRef GetWindowFromPort(CGrafPtr port) { return Record(port) ? port : nullptr; }

void SetPortWindowPort(WindowRef window) {
    if (Record(window)) SetPort(window);
}

namespace {

// A region of the port's current local coordinates, moved to origin (0, 0).
void ToStoredOrigin(const WindowRecord& rec, RgnHandle rgn) {
    OffsetRgn(rgn, SInt16(-rec.port.portRect.left), SInt16(-rec.port.portRect.top));
}

void ChangeUpdate(WindowRef window, RgnHandle local, bool add) {
    WindowRecord* rec = Record(window);
    if (!rec || !local) return;
    UniqueRgn r;
    CopyRgn(local, r);
    ToStoredOrigin(*rec, r);
    if (add) {
        UniqueRgn inside;
        SetRectRgn(inside, 0, 0, SInt16(RectWidth(rec->port.portRect)), SInt16(RectHeight(rec->port.portRect)));
        SectRgn(r, inside, r);
        UnionRgn(rec->updateRgn, r, rec->updateRgn);
    } else {
        DiffRgn(rec->updateRgn, r, rec->updateRgn);
    }
}

}  // namespace

void InvalWindowRect(WindowRef window, const Rect* bounds) {
    if (!bounds) return;
    UniqueRgn r;
    RectRgn(r, bounds);
    ChangeUpdate(window, r, true);
}

void InvalWindow(WindowRef window) {
    if (!window) return;
    Rect all;
    InvalWindowRect(window, GetWindowPortBounds(window, &all));
}

void InvalWindowRgn(WindowRef window, RgnHandle region) { ChangeUpdate(window, region, true); }

void ValidWindowRect(WindowRef window, const Rect* bounds) {
    if (!bounds) return;
    UniqueRgn r;
    RectRgn(r, bounds);
    ChangeUpdate(window, r, false);
}

void ValidWindowRgn(WindowRef window, RgnHandle region) { ChangeUpdate(window, region, false); }

Boolean IsWindowUpdatePending(WindowRef window) {
    WindowRecord* rec = Record(window);
    return rec && !EmptyRgn(rec->updateRgn);
}

void BeginUpdate(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    OwnedWindow* o = Owned(rec);
    o->updating = QRegion();
    for (const Rect& r : RegionRects(rec->updateRgn)) o->updating += QRect(r.left, r.top, RectWidth(r), RectHeight(r));
    CopyRgn(rec->updateRgn, rec->port.visRgn);
    OffsetRgn(rec->port.visRgn, rec->port.portRect.left, rec->port.portRect.top);
    SetEmptyRgn(rec->updateRgn);
}

void EndUpdate(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    RectRgn(rec->port.visRgn, &rec->port.portRect);
    FollowPortOrigins();
    OwnedWindow* o = Owned(rec);
    if (!o->updating.isEmpty()) ContentWidget(window)->update(o->updating);
    o->updating = QRegion();
}

RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
    if (port && visRgn && port->visRgn) CopyRgn(port->visRgn, visRgn);
    return visRgn;
}

void QDFlushPortBuffer(CGrafPtr port, RgnHandle region) {
    WindowRecord* rec = Record(port);
    if (!rec || !rec->visible) return;
    QWidget* view = ContentWidget(port);
    if (!region) {
        view->repaint();
        return;
    }
    QRegion q;
    for (const Rect& r : RegionRects(region))
        q += QRect(r.left - port->portRect.left, r.top - port->portRect.top, RectWidth(r), RectHeight(r));
    if (!q.isEmpty()) view->repaint(q);
}

void GlobalToLocal(Point* pt) {
    CGrafPtr port = nullptr;
    GetPort(&port);
    WindowRecord* rec = Record(port);
    if (!rec || !pt) return;
    pt->h = SInt16(pt->h - rec->contentGlobal.left + port->portRect.left);
    pt->v = SInt16(pt->v - rec->contentGlobal.top + port->portRect.top);
}

void LocalToGlobal(Point* pt) {
    CGrafPtr port = nullptr;
    GetPort(&port);
    WindowRecord* rec = Record(port);
    if (!rec || !pt) return;
    pt->h = SInt16(pt->h + rec->contentGlobal.left - port->portRect.left);
    pt->v = SInt16(pt->v + rec->contentGlobal.top - port->portRect.top);
}

SInt16 GetWindowScale(WindowRef window) {
    QWidget* w = Record(window) ? ContentWidget(window) : DesktopWidget();
    const qreal dpr = w ? w->devicePixelRatioF() : 1.0;
    return SInt16(std::max(1, int(dpr + 0.5)));
}
