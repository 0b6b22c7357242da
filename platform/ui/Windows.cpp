// Windows over Qt widgets. Each window's port is a 32-bit graphics world of
// the content size; the frame (title bar, boxes, border) is drawn by the
// layer so that hit testing gives the toolbox's part codes. Global points are
// desktop coordinates; points above the desktop (v < 0) are the menu bar.
#include "platform/ui/Windows.h"

#include "platform/core/ByteIO.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Application.h"
#include "platform/ui/LayerState.h"
#include "platform/ui/PortWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QRegion>
#include <QRubberBand>

#include <algorithm>
#include <cstring>

namespace ui_internal {
namespace {

void PlaceTopLevelFrames();

class MainWindowWidget : public QMainWindow {
public:
    MainWindowWidget() { setWindowTitle("Korvel"); }

protected:
    // Floating windows and dialogs are separate top-level windows placed in
    // desktop coordinates: they follow the desktop when it moves.
    void moveEvent(QMoveEvent* event) override {
        QMainWindow::moveEvent(event);
        PlaceTopLevelFrames();
    }
    void resizeEvent(QResizeEvent* event) override {
        QMainWindow::resizeEvent(event);
        PlaceTopLevelFrames();
    }

    void closeEvent(QCloseEvent* event) override {
        // The program decides whether to quit (save questions) and ends its loop itself.
        event->ignore();
        RequestQuit();
    }
};

struct OwnedWindow {
    std::unique_ptr<WindowRecord> rec;
    std::unique_ptr<FrameWidget> frame;
    Rect placedOrigin{};  // portRect when the controls were last placed
    QRegion updating;     // what BeginUpdate handed to the program, in view coordinates
    std::vector<UInt64> bandHashes;  // of the pixels last sent to the screen, per band of rows
    WindowPartCode pressed = 0;
};

struct Layer {
    std::unique_ptr<MainWindowWidget> main;
    DesktopArea* desktop = nullptr;  // owned by the main window
    std::vector<OwnedWindow> windows;
    std::vector<WindowRecord*> order;  // front to back
    UniqueRgn grayRgn;
    UInt32 nextEventId = 1;
};

Layer& L() {
    static Layer layer;
    return layer;
}

OwnedWindow* Owned(const WindowRecord* rec) {
    for (auto& w : L().windows)
        if (w.rec.get() == rec) return &w;
    return nullptr;
}

int ClassRank(const WindowRecord& rec) { return rec.isDialog ? 0 : rec.floating ? 1 : 2; }

const UInt32 kWhitePixel = 0xFFFFFF00u;  // bytes 00 FF FF FF

void FillWhite(GWorldPtr world) {
    const PixMap& pm = **world->portPixMap;
    const int w = RectWidth(pm.bounds), h = RectHeight(pm.bounds);
    for (int y = 0; y < h; ++y) {
        UInt8* row = reinterpret_cast<UInt8*>(pm.baseAddr) + ptrdiff_t(y) * pm.rowBytes;
        for (int x = 0; x < w; ++x) std::memcpy(row + 4 * x, &kWhitePixel, 4);
    }
}

SInt16 TopExtent(const WindowRecord& rec) {
    const SInt16 t = TitleBarHeight(rec);
    return t > 0 ? t : kWindowBorder;
}

void PlaceFrame(WindowRecord& rec) {
    OwnedWindow* o = Owned(&rec);
    if (!o || !o->frame) return;
    const Rect s = StructureRect(rec);
    QPoint topLeft(s.left, s.top);
    if (o->frame->isWindow()) topLeft = L().desktop->mapToGlobal(topLeft);
    o->frame->setGeometry(topLeft.x(), topLeft.y(), RectWidth(s), RectHeight(s));
    o->frame->view()->setGeometry(kWindowBorder, TopExtent(rec), RectWidth(rec.contentGlobal),
                                  RectHeight(rec.contentGlobal));
}

void PlaceTopLevelFrames() {
    for (auto& w : L().windows)
        if (w.frame && w.frame->isWindow()) PlaceFrame(*w.rec);
}

// Raises the Qt widgets so that their stacking matches the layer's order.
void SyncStacking() {
    auto& order = L().order;
    static const bool offscreen = QGuiApplication::platformName() == "offscreen";
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        OwnedWindow* o = Owned(*it);
        // The offscreen platform cannot raise top-level windows and says so.
        if (o && o->frame && (*it)->visible && !(o->frame->isWindow() && offscreen)) o->frame->raise();
    }
}

void InsertInOrder(WindowRecord* rec, WindowRef behind) {
    auto& order = L().order;
    order.erase(std::remove(order.begin(), order.end(), rec), order.end());
    const int rank = ClassRank(*rec);
    auto classBegin = std::find_if(order.begin(), order.end(), [&](WindowRecord* r) { return ClassRank(*r) >= rank; });
    auto classEnd = std::find_if(classBegin, order.end(), [&](WindowRecord* r) { return ClassRank(*r) > rank; });
    auto pos = classEnd;
    if (behind == kFirstWindowOfClass) {
        pos = classBegin;
    } else if (WindowRecord* b = Record(behind)) {
        auto it = std::find(classBegin, classEnd, b);
        pos = it == classEnd ? classEnd : it + 1;
        if (ClassRank(*b) < rank) pos = classBegin;
    }
    order.insert(pos, rec);
}

bool IsDocumentProc(SInt16 procID) { return procID == 0 || procID == 4 || procID == 8 || procID == 12; }
bool IsDialogProc(SInt16 procID) { return procID == 1 || procID == 2 || procID == 3 || procID == 5; }
bool IsFloatProc(SInt16 procID) { return procID >= 1985 && procID <= 1991; }


}  // namespace

const std::vector<WindowRecord*>& WindowOrder() { return L().order; }

WindowRecord* Record(WindowRef window) {
    if (!window || window == kFirstWindowOfClass) return nullptr;
    for (auto& w : L().windows)
        if (&w.rec->port == window) return w.rec.get();
    return nullptr;
}

WindowRef WindowFromEventId(UInt32 eventId) {
    if (eventId == 0) return nullptr;
    for (auto& w : L().windows)
        if (w.rec->eventId == eventId) return &w.rec->port;
    return nullptr;
}

QWidget* DesktopWidget() { return L().desktop; }
QMainWindow* MainWindow() { return L().main.get(); }

QWidget* ContentWidget(WindowRef window) {
    OwnedWindow* o = Owned(Record(window));
    return o && o->frame ? o->frame->view() : nullptr;
}

SInt16 TitleBarHeight(const WindowRecord& rec) {
    if (rec.floating) return kFloatingTitleBarHeight;
    if (rec.isDialog) return rec.procID == movableDBoxProc ? kDocumentTitleBarHeight : 0;
    return kDocumentTitleBarHeight;
}

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

WindowPartCode HitTest(Point pt, WindowRef* window) {
    if (window) *window = nullptr;
    for (WindowRecord* rec : L().order) {
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
        // At the standard state the box zooms back in to the user state; anywhere else it zooms out.
        if (live && PtInRect(pt, &zoom)) return EqualRect(&rec->contentGlobal, &rec->stdState) ? inZoomIn : inZoomOut;
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
    return L().desktop;
}

WindowRecord* RecordOfWidget(const QObject* object) {
    for (const QObject* o = object; o; o = o->parent()) {
        if (auto* f = dynamic_cast<const FrameWidget*>(o)) return f->record();
        if (o == L().desktop || o == L().main.get()) return nullptr;
    }
    return nullptr;
}

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
    for (auto& w : L().windows) {
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
    for (auto& w : L().windows) {
        const Rect& pr = w.rec->port.portRect;
        if (pr.left != w.placedOrigin.left || pr.top != w.placedOrigin.top) {
            w.placedOrigin = pr;
            RelayoutControls(&w.rec->port);
        }
    }
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

OSErr ParseWindowTemplate(const UInt8* data, Size size, WindowTemplate* out) {
    if (!data || !out || size < 0) return paramErr;
    ByteReader r(std::span<const UInt8>(data, size_t(size)));
    WindowTemplate t;
    t.boundsRect.top = r.s16be();
    t.boundsRect.left = r.s16be();
    t.boundsRect.bottom = r.s16be();
    t.boundsRect.right = r.s16be();
    t.procID = r.s16be();
    t.visible = r.s16be() != 0;
    t.goAwayFlag = r.s16be() != 0;
    t.refCon = r.s32be();
    const UInt8 len = r.u8();
    t.title[0] = len;
    for (int i = 0; i < len; ++i) t.title[1 + i] = r.u8();
    if (!r.ok()) return badExtResource;
    *out = t;
    return noErr;
}

OSErr InitWindows(SInt16 desktopWidth, SInt16 desktopHeight) {
    Layer& l = L();
    if (l.main) return noErr;
    if (!qApp) return memFullErr;
    l.main = std::make_unique<MainWindowWidget>();
    l.main->menuBar();  // made now so that the menu layer can fill it
    l.desktop = new DesktopArea(l.main.get());
    l.main->setCentralWidget(l.desktop);
    const bool fixed = desktopWidth > 0 && desktopHeight > 0;
    if (fixed) {
        l.desktop->setFixedSize(desktopWidth, desktopHeight);
    } else {
        l.desktop->setMinimumSize(640, 480);
        l.main->resize(1280, 860 + l.main->menuBar()->sizeHint().height());
    }
    // Windows go before the application object does.
    qAddPostRoutine(TearDownWindows);
    l.main->show();
    if (fixed) l.main->adjustSize();
    QCoreApplication::processEvents();
    InstallInputFilter();
    return noErr;
}

void TearDownWindows() {
    Layer& l = L();
    while (!l.windows.empty()) DisposeWindow(&l.windows.back().rec->port);
    l.desktop = nullptr;
    l.main.reset();
}

void SetMainWindowTitle(ConstStr255Param title) {
    if (L().main && title) L().main->setWindowTitle(QString::fromStdString(PStringToStd(title)));
}

WindowRef NewCWindow(void*, const Rect* boundsRect, ConstStr255Param title, Boolean visible, SInt16 procID,
                     WindowRef behind, Boolean goAwayFlag, SRefCon refCon) {
    if (!boundsRect || InitWindows() != noErr) return nullptr;
    Layer& l = L();
    OwnedWindow owned;
    owned.rec = std::make_unique<WindowRecord>();
    WindowRecord& rec = *owned.rec;
    rec.procID = procID;
    rec.floating = IsFloatProc(procID);
    rec.isDialog = IsDialogProc(procID);
    if (rec.floating) {
        rec.hasGrow = ((procID - floatProc) & 2) != 0;
        rec.hasZoom = ((procID - floatProc) & 4) != 0;
    } else if (!rec.isDialog) {
        const SInt16 p = IsDocumentProc(procID) ? procID : SInt16(documentProc);
        rec.hasGrow = (p & 4) == 0;
        rec.hasZoom = (p & 8) != 0;
    }
    rec.goAway = goAwayFlag && !rec.isDialog;
    rec.refCon = refCon;
    if (title) rec.title = PStringToStd(title);
    rec.eventId = l.nextEventId++;
    rec.contentGlobal = *boundsRect;
    if (rec.contentGlobal.right <= rec.contentGlobal.left) rec.contentGlobal.right = SInt16(rec.contentGlobal.left + 1);
    if (rec.contentGlobal.bottom <= rec.contentGlobal.top) rec.contentGlobal.bottom = SInt16(rec.contentGlobal.top + 1);
    const Rect local = MakeRect(0, 0, RectHeight(rec.contentGlobal), RectWidth(rec.contentGlobal));
    if (NewGWorld(rec.buffer.out(), 32, &local, nullptr, nullptr, 0) != noErr) return nullptr;
    FillWhite(rec.buffer.get());
    OpenCPort(&rec.port, GetGWorldPixMap(rec.buffer.get()));
    rec.port.isWindowPort = true;
    rec.port.refCon = &rec;
    rec.userState = rec.contentGlobal;
    Rect gray;
    GetRegionBounds(GetGrayRgn(), &gray);
    rec.stdState = MakeRect(gray.top + TopExtent(rec) + 3, gray.left + 4, gray.bottom - 4, gray.right - 4);
    owned.placedOrigin = rec.port.portRect;

    if (rec.floating) {
        owned.frame = std::make_unique<FrameWidget>(&rec, l.main.get(), Qt::Tool | Qt::FramelessWindowHint);
    } else if (rec.isDialog) {
        owned.frame = std::make_unique<FrameWidget>(&rec, l.main.get(), Qt::Dialog | Qt::FramelessWindowHint);
        owned.frame->setWindowModality(Qt::ApplicationModal);
    } else {
        owned.frame = std::make_unique<FrameWidget>(&rec, l.desktop, Qt::Widget);
    }
    owned.frame->setWindowTitle(QString::fromStdString(rec.title));
    owned.frame->hide();
    rec.frame = owned.frame.get();
    l.windows.push_back(std::move(owned));
    PlaceFrame(rec);
    InsertInOrder(&rec, behind);
    if (visible) ShowWindow(&rec.port);
    return &rec.port;
}

WindowRef GetNewCWindow(SInt16 windowID, void* storage, WindowRef behind) {
    Handle h = GetResource(FourCC("WIND"), windowID);
    if (!h || !*h) return nullptr;
    WindowTemplate t;
    if (ParseWindowTemplate(reinterpret_cast<const UInt8*>(*h), GetHandleSize(h), &t) != noErr) return nullptr;
    return NewCWindow(storage, &t.boundsRect, t.title, t.visible, t.procID, behind, t.goAwayFlag,
                      reinterpret_cast<SRefCon>(intptr_t(t.refCon)));
}

void DisposeWindow(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    Layer& l = L();
    DisposeControlsOf(window);
    ForgetWindowEvents(rec->eventId);
    CGrafPtr current = nullptr;
    GetPort(&current);
    if (current == window) SetPort(nullptr);
    l.order.erase(std::remove(l.order.begin(), l.order.end(), rec), l.order.end());
    auto it = std::find_if(l.windows.begin(), l.windows.end(), [&](const OwnedWindow& o) { return o.rec.get() == rec; });
    OwnedWindow gone = std::move(*it);
    l.windows.erase(it);
    gone.frame->forget();
    gone.frame.reset();
    CloseCPort(&gone.rec->port);
    gone.rec.reset();
    NoteFrontChange();
}

void ShowWindow(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec || rec->visible) return;
    rec->visible = true;
    if (rec->floating) rec->hilited = true;
    PlaceFrame(*rec);
    rec->frame->show();
    // The program draws the whole content on its first update.
    InvalWindowRect(window, &rec->port.portRect);
    SyncStacking();
    NoteFrontChange();
}

void HideWindow(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec || !rec->visible) return;
    rec->visible = false;
    rec->frame->hide();
    NoteFrontChange();
}

Boolean IsWindowVisible(WindowRef window) {
    WindowRecord* rec = Record(window);
    return rec && rec->visible;
}

void ShowHide(WindowRef window, Boolean showFlag) {
    if (showFlag)
        ShowWindow(window);
    else
        HideWindow(window);
}

void SelectWindow(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    InsertInOrder(rec, kFirstWindowOfClass);
    SyncStacking();
    NoteFrontChange();
}

void BringToFront(WindowRef window) { SelectWindow(window); }

void SendBehind(WindowRef window, WindowRef behindWindow) {
    WindowRecord* rec = Record(window);
    if (!rec || window == behindWindow) return;
    InsertInOrder(rec, behindWindow ? behindWindow : kLastWindowOfClass);
    SyncStacking();
    NoteFrontChange();
}

void HiliteWindow(WindowRef window, Boolean fHilite) {
    WindowRecord* rec = Record(window);
    if (!rec || rec->hilited == fHilite) return;
    rec->hilited = fHilite;
    rec->frame->update();
}

Boolean IsWindowHilited(WindowRef window) {
    WindowRecord* rec = Record(window);
    return rec && rec->hilited;
}

WindowRef FrontWindow() {
    for (WindowRecord* rec : L().order)
        if (rec->visible) return &rec->port;
    return nullptr;
}

WindowRef FrontNonFloatingWindow() {
    for (WindowRecord* rec : L().order)
        if (rec->visible && !rec->floating) return &rec->port;
    return nullptr;
}

WindowRef GetWindowList() { return L().order.empty() ? nullptr : &L().order.front()->port; }

WindowRef GetNextWindow(WindowRef window) {
    auto& order = L().order;
    auto it = std::find(order.begin(), order.end(), Record(window));
    if (it == order.end() || it + 1 == order.end()) return nullptr;
    return &(*(it + 1))->port;
}

Boolean IsFloatingWindow(WindowRef window) {
    WindowRecord* rec = Record(window);
    return rec && rec->floating;
}

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
    return rec && TrackFramePart(window, thePt, partCode, ZoomBoxRect(*rec));
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
    return SInt32((UInt32(h) << 16) | UInt32(w));
}

void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    Rect target;
    if (partCode == inZoomOut) {
        rec->userState = rec->contentGlobal;
        target = rec->stdState;
    } else {
        target = rec->userState;
    }
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

void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    OffsetRect(&rec->contentGlobal, SInt16(hGlobal - rec->contentGlobal.left), SInt16(vGlobal - rec->contentGlobal.top));
    PlaceFrame(*rec);
    if (front) SelectWindow(window);
}

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

OSStatus GetWindowBounds(WindowRef window, UInt16 regionCode, Rect* globalBounds) {
    WindowRecord* rec = Record(window);
    if (!rec || !globalBounds) return paramErr;
    if (regionCode == kWindowStructureRgn)
        *globalBounds = StructureRect(*rec);
    else if (regionCode == kWindowContentRgn)
        *globalBounds = rec->contentGlobal;
    else
        return paramErr;
    return noErr;
}

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds) {
    WindowRecord* rec = Record(window);
    *bounds = rec ? rec->port.portRect : Rect{};
    return bounds;
}

void GetWindowStandardState(WindowRef window, Rect* rect) {
    if (WindowRecord* rec = Record(window)) *rect = rec->stdState;
}
void SetWindowStandardState(WindowRef window, const Rect* rect) {
    if (WindowRecord* rec = Record(window)) rec->stdState = *rect;
}
void GetWindowUserState(WindowRef window, Rect* rect) {
    if (WindowRecord* rec = Record(window)) *rect = rec->userState;
}
void SetWindowUserState(WindowRef window, const Rect* rect) {
    if (WindowRecord* rec = Record(window)) rec->userState = *rect;
}

RgnHandle GetGrayRgn() {
    Layer& l = L();
    if (l.desktop)
        SetRectRgn(l.grayRgn, 0, 0, SInt16(l.desktop->width()), SInt16(l.desktop->height()));
    return l.grayRgn;
}

void SetWTitle(WindowRef window, ConstStr255Param title) {
    WindowRecord* rec = Record(window);
    if (!rec || !title) return;
    rec->title = PStringToStd(title);
    rec->frame->setWindowTitle(QString::fromStdString(rec->title));
    rec->frame->update();
}

void GetWTitle(WindowRef window, Str255 title) {
    WindowRecord* rec = Record(window);
    CopyCStringToPascal(rec ? rec->title : std::string(), title);
}

void SetWRefCon(WindowRef window, SRefCon data) {
    if (WindowRecord* rec = Record(window)) rec->refCon = data;
}
SRefCon GetWRefCon(WindowRef window) {
    WindowRecord* rec = Record(window);
    return rec ? rec->refCon : nullptr;
}
SInt16 GetWindowProcID(WindowRef window) {
    WindowRecord* rec = Record(window);
    return rec ? rec->procID : 0;
}

OSStatus SetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 size, const void* buffer) {
    WindowRecord* rec = Record(window);
    if (!rec || (size && !buffer)) return paramErr;
    const auto* b = static_cast<const UInt8*>(buffer);
    rec->properties[{creator, tag}] = std::vector<UInt8>(b, b + size);
    return noErr;
}

OSStatus GetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 bufferSize, UInt32* actualSize,
                           void* buffer) {
    WindowRecord* rec = Record(window);
    if (!rec) return paramErr;
    auto it = rec->properties.find({creator, tag});
    if (it == rec->properties.end()) return errWindowPropertyNotFound;
    const UInt32 n = std::min<UInt32>(bufferSize, UInt32(it->second.size()));
    if (n && buffer) std::memcpy(buffer, it->second.data(), n);
    if (actualSize) *actualSize = n;
    return noErr;
}

OSStatus GetWindowPropertySize(WindowRef window, OSType creator, OSType tag, UInt32* size) {
    WindowRecord* rec = Record(window);
    if (!rec) return paramErr;
    auto it = rec->properties.find({creator, tag});
    if (it == rec->properties.end()) return errWindowPropertyNotFound;
    if (size) *size = UInt32(it->second.size());
    return noErr;
}

OSStatus RemoveWindowProperty(WindowRef window, OSType creator, OSType tag) {
    WindowRecord* rec = Record(window);
    if (!rec) return paramErr;
    return rec->properties.erase({creator, tag}) ? OSStatus(noErr) : OSStatus(errWindowPropertyNotFound);
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

void SysBeep(SInt16) {
    CountBeep();
    QApplication::beep();
}
