// Windows over Qt widgets: the main window and desktop, making and disposing
// of windows, their order, visibility, titles and properties. Each window's
// port is a 32-bit graphics world of the content size (WindowPorts.cpp); the
// frame is drawn by the layer so that hit testing gives the toolbox's part
// codes (WindowParts.cpp).
#include "platform/ui/Windows.h"

#include "platform/core/ByteIO.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Application.h"
#include "platform/ui/WindowList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenuBar>

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

    // The desktop moves inside the main window when the menu bar changes
    // height (menus are added after the palettes are placed).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) PlaceTopLevelFrames();
        return QMainWindow::eventFilter(watched, event);
    }

    void closeEvent(QCloseEvent* event) override {
        // The program decides whether to quit (save questions) and ends its loop itself.
        event->ignore();
        RequestQuit();
    }
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

int ClassRank(const WindowRecord& rec) { return rec.isDialog ? 0 : rec.floating ? 1 : 2; }

const UInt32 kWhitePixel = 0xFFFFFF00u;  // bytes 00 FF FF FF

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

std::vector<OwnedWindow>& OwnedWindows() { return L().windows; }

OwnedWindow* Owned(const WindowRecord* rec) {
    for (auto& w : L().windows)
        if (w.rec.get() == rec) return &w;
    return nullptr;
}

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

WindowRecord* RecordOfWidget(const QObject* object) {
    for (const QObject* o = object; o; o = o->parent()) {
        if (auto* f = dynamic_cast<const FrameWidget*>(o)) return f->record();
        if (o == L().desktop || o == L().main.get()) return nullptr;
    }
    return nullptr;
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
    l.desktop->installEventFilter(l.main.get());
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

void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    OffsetRect(&rec->contentGlobal, SInt16(hGlobal - rec->contentGlobal.left), SInt16(vGlobal - rec->contentGlobal.top));
    PlaceFrame(*rec);
    if (front) SelectWindow(window);
}

OSStatus GetWindowBounds(WindowRef window, UInt16 regionCode, Rect* globalBounds) {
    WindowRecord* rec = Record(window);
    if (!rec || !globalBounds) return paramErr;
    if (regionCode == kWindowStructureRgn)
        *globalBounds = StructureRect(*rec);
    else if (regionCode == kWindowContentRgn)
        *globalBounds = rec->contentGlobal;
    else if (regionCode == kWindowTitleTextRgn)
        *globalBounds = TitleTextRect(*rec);
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

void SysBeep(SInt16) {
    CountBeep();
    QApplication::beep();
}
