// The event queue and the live input state. Qt input reaches the layer
// through one application-wide event filter that turns mouse, wheel and key
// events aimed at the layer's widgets into event records; update events are
// made on demand from the windows' update regions, and activate events when
// the front non-floating window changes.
#include "platform/ui/Events.h"

#include "platform/core/Geometry.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/ui/KeyMap.h"
#include "platform/ui/LayerState.h"
#include "platform/ui/Windows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <deque>
#include <vector>

namespace ui_internal {
namespace {

struct Queue {
    std::deque<EventRecord> events;
    std::deque<EventRecord> activates;  // delivered before everything else
    UInt32 frontId = 0;                 // the window that last got an activate
    SInt32 pendingMenuChoice = 0;
    InputState input;
    SInt16 keyThresh = 24, keyRepThresh = 4;
    // The key that repeats while held.
    bool repeating = false;
    UInt8 repeatKeyCode = 0;
    UInt32 repeatMessage = 0;
    UInt32 nextRepeatTick = 0;
    int appState = -1;
    // Wheel turns smaller than a notch (fine-grained wheels and touchpads)
    // add up until they make one, per axis, in Qt's eighths of a degree.
    int wheelRest[2] = {0, 0};
    std::vector<UInt32> heldUpdates;  // windows' event ids
    Point mouseMovedAt{-32768, -32768};  // where the last mouse-moved event was reported
    UInt16 mouseMovedKeys = 0;           // and the modifier keys then
};

Queue& Q() {
    static Queue q;
    return q;
}

const auto kStart = std::chrono::steady_clock::now();

// High-level events have their own mask bit; the others are 1 << kind.
bool Matches(const EventRecord& ev, EventMask mask) {
    if (ev.what == kHighLevelEvent) return (mask & highLevelEventMask) != 0;
    return ev.what < 16 && (mask & (1u << ev.what)) != 0;
}

EventModifiers LiveModifiers() {
    const InputState& in = LiveInput();
    return EventModifiers(in.modifiers | (in.buttonDown ? 0 : btnState));
}

bool OptedOut(const QObject* o) {
    for (; o; o = o->parent())
        if (o->property("korvelQtInput").toBool()) return true;
    return false;
}

// The widget belongs to the desktop or to a window of the layer.
bool OurWidget(const QObject* o) {
    if (!o || !o->isWidgetType() || OptedOut(o)) return false;
    if (RecordOfWidget(o)) return true;
    for (const QObject* p = o; p; p = p->parent())
        if (p == DesktopWidget()) return true;
    return false;
}

void QueueInput(EventKind what, UInt32 message, Point where, EventModifiers mods) {
    EventRecord ev;
    ev.what = what;
    ev.message = message;
    ev.when = TickCount();
    ev.where = where;
    ev.modifiers = mods;
    Q().events.push_back(ev);
}

void HandleMouse(QMouseEvent* e) {
    InputState& in = LiveInput();
    const Point where = GlobalFromQt(e->globalPosition().toPoint());
    if (!(in.mouse == where)) MouseMovedForCursor();
    in.mouse = where;
    EventModifiers mods = ModifiersFromQt(e->modifiers());
    in.modifiers = UInt16((in.modifiers & ~(cmdKey | shiftKey | optionKey | controlKey)) | mods);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (e->button() == Qt::RightButton) mods |= controlKey;
        in.buttonDown = true;
        QueueInput(mouseDown, 0, where, mods);
        break;
    case QEvent::MouseButtonRelease:
        if (e->buttons() != Qt::NoButton) break;  // another button is still held
        if (e->button() == Qt::RightButton) mods |= controlKey;
        in.buttonDown = false;
        QueueInput(mouseUp, 0, where, EventModifiers(mods | btnState));
        break;
    default:
        break;
    }
}

void HandleWheel(QWheelEvent* e) {
    constexpr int kNotch = 120;  // eighths of a degree in one notch of a standard wheel
    Queue& q = Q();
    InputState& in = q.input;
    in.mouse = GlobalFromQt(e->globalPosition().toPoint());
    const EventModifiers mods = ModifiersFromQt(e->modifiers());
    in.modifiers = UInt16((in.modifiers & ~(cmdKey | shiftKey | optionKey | controlKey)) | mods);
    const QPoint angle = e->angleDelta();
    const int turns[2] = {angle.x(), angle.y()};
    for (UInt16 axis : {kMouseWheelAxisY, kMouseWheelAxisX}) {
        int& rest = q.wheelRest[axis];
        rest += turns[axis];
        const int notches = rest / kNotch;
        if (notches == 0) continue;
        rest -= notches * kNotch;
        const UInt32 message = (UInt32(axis) << 16) | UInt16(SInt16(std::clamp(notches, -32768, 32767)));
        QueueInput(mouseWheelEvt, message, in.mouse, EventModifiers(mods | (in.buttonDown ? 0 : btnState)));
    }
}

void HandleKey(QKeyEvent* e) {
    Queue& q = Q();
    InputState& in = q.input;
    const bool press = e->type() == QEvent::KeyPress;
    KeyCodes k{};
    if (!MapQtKey(e->key(), e->modifiers(), e->text(), &k)) return;
    if (k.keyCode < 128) in.keyDown[k.keyCode] = press;
    EventModifiers mods = ModifiersFromQt(e->modifiers());
    if (k.modifierBit) {
        // Qt reports a modifier key's own bit inconsistently on press and release.
        mods = press ? EventModifiers(mods | k.modifierBit) : EventModifiers(mods & ~k.modifierBit);
        in.modifiers = UInt16((in.modifiers & ~(cmdKey | shiftKey | optionKey | controlKey)) | mods);
        return;
    }
    in.modifiers = UInt16((in.modifiers & ~(cmdKey | shiftKey | optionKey | controlKey)) | mods);
    if (e->isAutoRepeat()) return;  // the layer makes its own repeats
    mods |= in.buttonDown ? 0 : btnState;
    const UInt32 message = UInt32(k.charCode) | (UInt32(k.keyCode) << 8);
    QueueInput(press ? keyDown : keyUp, message, in.mouse, mods);
    if (press) {
        q.repeating = true;
        q.repeatKeyCode = k.keyCode;
        q.repeatMessage = message;
        q.nextRepeatTick = TickCount() + UInt32(std::max<SInt16>(1, q.keyThresh));
    } else if (q.repeating && q.repeatKeyCode == k.keyCode) {
        q.repeating = false;
    }
}

// A modal Qt dialog the program runs (a file dialog, the colour picker)
// takes the keyboard, and Qt drops the key-ups that come meanwhile: the keys
// held when it opened are taken as let go, so none goes on repeating.
void ReleaseHeldKeys() {
    Queue& q = Q();
    std::fill(std::begin(q.input.keyDown), std::end(q.input.keyDown), false);
    q.input.modifiers = UInt16(q.input.modifiers & ~(cmdKey | shiftKey | optionKey | controlKey));
    q.repeating = false;
}

void MakeAutoKeys() {
    Queue& q = Q();
    if (!q.repeating) return;
    if (!q.input.keyDown[q.repeatKeyCode & 0x7F]) {
        q.repeating = false;
        return;
    }
    const UInt32 now = TickCount();
    if (now < q.nextRepeatTick) return;
    QueueInput(autoKey, q.repeatMessage, q.input.mouse, LiveModifiers());
    q.nextRepeatTick = now + UInt32(std::max<SInt16>(1, q.keyRepThresh));
}

class InputFilter : public QObject {
protected:
    bool eventFilter(QObject* obj, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            if (event->type() == QEvent::MouseMove && obj->isWidgetType()) PointerOverLayer(OurWidget(obj));
            if (!OurWidget(obj)) return false;
            HandleMouse(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::Wheel:
            if (!OurWidget(obj)) return false;
            HandleWheel(static_cast<QWheelEvent*>(event));
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (!obj->isWidgetType() || OptedOut(obj)) return false;
            if (!OurWidget(obj) && static_cast<QWidget*>(obj)->window() != static_cast<QWidget*>(MainWindow())) return false;
            HandleKey(static_cast<QKeyEvent*>(event));
            return true;
        case QEvent::ShortcutOverride:
            // Keys are the program's: no Qt shortcut takes them first.
            if (obj->isWidgetType() && !OptedOut(obj) && OurWidget(obj)) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::WindowBlocked:
            if (obj == MainWindow()) {
                ReleaseHeldKeys();
                ModalChangedForCursor();
            }
            return false;
        case QEvent::WindowUnblocked:
            if (obj == MainWindow()) ModalChangedForCursor();
            return false;
        case QEvent::ApplicationStateChange: {
            if (obj != qApp) return false;
            const bool active =
                static_cast<QApplicationStateChangeEvent*>(event)->applicationState() == Qt::ApplicationActive;
            Queue& q = Q();
            if (q.appState >= 0 && q.appState != int(active)) {
                const UInt32 message = (UInt32(suspendResumeMessage) << 24) | (active ? UInt32(resumeFlag) : 0u);
                QueueInput(osEvt, message, q.input.mouse, LiveModifiers());
            }
            q.appState = int(active);
            return false;
        }
        default:
            return false;
        }
    }
};

bool TakeEvent(EventMask mask, EventRecord* out, bool remove) {
    Queue& q = Q();
    auto take = [&](std::deque<EventRecord>& from) {
        for (auto it = from.begin(); it != from.end(); ++it) {
            if (!Matches(*it, mask)) continue;
            if (out) *out = *it;
            if (remove) from.erase(it);
            return true;
        }
        return false;
    };
    if (take(q.activates) || take(q.events)) return true;
    if (mask & updateMask) {
        for (WindowRecord* rec : WindowOrder()) {
            if (!rec->visible || EmptyRgn(rec->updateRgn)) continue;
            if (std::find(q.heldUpdates.begin(), q.heldUpdates.end(), rec->eventId) != q.heldUpdates.end()) continue;
            if (out) {
                out->what = updateEvt;
                out->message = rec->eventId;
                out->when = TickCount();
                out->where = q.input.mouse;
                out->modifiers = LiveModifiers();
            }
            return true;
        }
    }
    return false;
}

bool MouseUpQueued() {
    for (const EventRecord& ev : Q().events)
        if (ev.what == mouseUp) return true;
    return false;
}

void WaitMs(int ms) {
    if (ms <= 0) return;
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace

InputState& LiveInput() { return Q().input; }

void ForgetWindowEvents(UInt32 eventId) {
    Queue& q = Q();
    auto names = [&](const EventRecord& ev) {
        return (ev.what == updateEvt || ev.what == activateEvt) && ev.message == eventId;
    };
    std::erase_if(q.events, names);
    std::erase_if(q.activates, names);
    if (q.frontId == eventId) q.frontId = 0;
}

void NoteFrontChange() {
    Queue& q = Q();
    WindowRef front = FrontNonFloatingWindow();
    WindowRecord* rec = Record(front);
    const UInt32 id = rec ? rec->eventId : 0;
    if (id == q.frontId) {
        if (front) HiliteWindow(front, true);
        return;
    }
    EventRecord ev;
    ev.what = activateEvt;
    ev.when = TickCount();
    ev.where = q.input.mouse;
    if (WindowRef old = WindowFromEventId(q.frontId)) {
        HiliteWindow(old, false);
        ev.message = q.frontId;
        ev.modifiers = EventModifiers(LiveModifiers() & ~activeFlag);
        q.activates.push_back(ev);
    }
    if (front) {
        HiliteWindow(front, true);
        ev.message = id;
        ev.modifiers = EventModifiers(LiveModifiers() | activeFlag);
        q.activates.push_back(ev);
    }
    q.frontId = id;
}

// The Command key of this keyboard is Ctrl, Option is Alt and Control is Meta (see KeyMap).
EventModifiers ModifiersFromQt(Qt::KeyboardModifiers m) {
    EventModifiers r = 0;
    if (m & Qt::ControlModifier) r |= cmdKey;
    if (m & Qt::ShiftModifier) r |= shiftKey;
    if (m & Qt::AltModifier) r |= optionKey;
    if (m & Qt::MetaModifier) r |= controlKey;
    return r;
}

Point GlobalFromQt(const QPoint& screenPos) {
    QWidget* desk = DesktopWidget();
    const QPoint p = desk ? desk->mapFromGlobal(screenPos) : screenPos;
    return Point{SInt16(p.y()), SInt16(p.x())};
}

QPoint QtFromGlobal(Point global) {
    QWidget* desk = DesktopWidget();
    const QPoint p(global.h, global.v);
    return desk ? desk->mapToGlobal(p) : p;
}

void InstallInputFilter() {
    static std::unique_ptr<InputFilter> filter;
    if (filter || !qApp) return;
    filter = std::make_unique<InputFilter>();
    qApp->installEventFilter(filter.get());
    Q().appState = QGuiApplication::applicationState() == Qt::ApplicationActive ? 1 : 0;
}

void PumpEvents(int maxWaitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const bool played = PlayScriptAction();
    MakeAutoKeys();
    FollowPortOrigins();
    if (played || maxWaitMs <= 0 || !Q().events.empty() || !Q().activates.empty()) return;
    int wait = maxWaitMs;
    const int script = MsUntilScriptAction();
    if (script >= 0) wait = std::min(wait, script);
    if (Q().repeating) {
        const UInt32 now = TickCount();
        const int repeatMs = Q().nextRepeatTick > now ? int((Q().nextRepeatTick - now) * 1000 / 60) : 0;
        wait = std::min(wait, repeatMs);
    }
    WaitMs(wait);
    MakeAutoKeys();
}

void QueueEvent(const EventRecord& event) { Q().events.push_back(event); }

void HoldUpdateEvents(WindowRef window) {
    if (WindowRecord* rec = Record(window)) Q().heldUpdates.push_back(rec->eventId);
}

size_t HeldUpdateCount() { return Q().heldUpdates.size(); }

void ReleaseHeldUpdateEvents(size_t keep) {
    auto& held = Q().heldUpdates;
    if (held.size() > keep) held.resize(keep);
}

void SetPendingMenuChoice(SInt32 choice) { Q().pendingMenuChoice = choice; }
SInt32 TakePendingMenuChoice() {
    const SInt32 c = Q().pendingMenuChoice;
    Q().pendingMenuChoice = 0;
    return c;
}

}  // namespace ui_internal

using namespace ui_internal;

WindowPtr EventWindow(const EventRecord& event) {
    switch (event.what) {
    case updateEvt:
    case activateEvt:
        return WindowFromEventId(event.message);
    case mouseDown:
    case mouseUp:
    case mouseWheelEvt: {
        WindowRef w = nullptr;
        FindWindow(event.where, &w);
        return w;
    }
    default:
        return nullptr;
    }
}

Boolean WaitNextEvent(EventMask mask, EventRecord* theEvent, UInt32 sleep, RgnHandle mouseRgn) {
    EventRecord local;
    EventRecord* ev = theEvent ? theEvent : &local;
    const UInt32 deadline = TickCount() + sleep;
    ShowDrawnPorts();
    PumpEvents(0);
    for (;;) {
        if (TakeEvent(mask, ev, true)) return true;
        const InputState& in = LiveInput();
        // The mouse is never inside an empty region: then every movement
        // reports. So does a change of the modifier keys, which the cursor shows.
        Point& reported = Q().mouseMovedAt;
        UInt16& keys = Q().mouseMovedKeys;
        const UInt16 keysNow = UInt16(in.modifiers & (cmdKey | shiftKey | optionKey | controlKey));
        if ((mask & osMask) && mouseRgn &&
            (keysNow != keys ||
             (!(in.mouse == reported) && (EmptyRgn(mouseRgn) || !PtInRgn(in.mouse, mouseRgn))))) {
            reported = in.mouse;
            keys = keysNow;
            *ev = EventRecord{osEvt, UInt32(mouseMovedMessage) << 24, TickCount(), in.mouse, LiveModifiers()};
            return true;
        }
        const UInt32 now = TickCount();
        if (now >= deadline) break;
        PumpEvents(int((deadline - now) * 1000 / 60) + 1);
    }
    *ev = EventRecord{nullEvent, 0, TickCount(), LiveInput().mouse, LiveModifiers()};
    return false;
}

Boolean GetNextEvent(EventMask mask, EventRecord* theEvent) { return WaitNextEvent(mask, theEvent, 0, nullptr); }

Boolean EventAvail(EventMask mask, EventRecord* theEvent) {
    PumpEvents(0);
    EventRecord local;
    EventRecord* ev = theEvent ? theEvent : &local;
    if (TakeEvent(mask, ev, false)) return true;
    *ev = EventRecord{nullEvent, 0, TickCount(), LiveInput().mouse, LiveModifiers()};
    return false;
}

void FlushEvents(EventMask whichMask, EventMask stopMask) {
    auto& events = Q().events;
    for (auto it = events.begin(); it != events.end();) {
        if (Matches(*it, stopMask)) break;
        if (Matches(*it, whichMask))
            it = events.erase(it);
        else
            ++it;
    }
    if (whichMask & activMask) Q().activates.clear();
}

OSErr PostEvent(EventKind eventNum, UInt32 eventMsg) {
    if (eventNum > kHighLevelEvent) return paramErr;
    QueueInput(eventNum, eventMsg, LiveInput().mouse, LiveModifiers());
    return noErr;
}

Boolean StillDown() {
    PumpEvents(10);
    return LiveInput().buttonDown && !MouseUpQueued();
}

Boolean WaitMouseUp() {
    PumpEvents(10);
    auto& events = Q().events;
    for (auto it = events.begin(); it != events.end(); ++it) {
        if (it->what == mouseUp) {
            events.erase(it);
            return false;
        }
    }
    return LiveInput().buttonDown;
}

Boolean Button() {
    PumpEvents(0);
    return LiveInput().buttonDown;
}

void GetMouse(Point* mouseLoc) {
    if (!mouseLoc) return;
    GetGlobalMouse(mouseLoc);
    GlobalToLocal(mouseLoc);
}

void GetGlobalMouse(Point* globalMouse) {
    PumpEvents(0);
    if (globalMouse) *globalMouse = LiveInput().mouse;
}

UInt32 GetCurrentKeyModifiers() {
    PumpEvents(0);
    return LiveInput().modifiers;
}

Boolean IsKeyDown(UInt16 keyCode) {
    PumpEvents(0);
    return keyCode < 128 && LiveInput().keyDown[keyCode];
}

UInt32 TickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - kStart);
    return UInt32(ms.count() * 60 / 1000);
}

UInt32 GetDblTime() { return UInt32(QApplication::doubleClickInterval()) * 60 / 1000; }
UInt32 GetCaretTime() { return UInt32(std::max(0, QApplication::cursorFlashTime() / 2)) * 60 / 1000; }

void Delay(UInt32 numTicks, UInt32* finalTicks) {
    const UInt32 until = TickCount() + numTicks;
    for (UInt32 now = TickCount(); now < until; now = TickCount()) PumpEvents(int((until - now) * 1000 / 60) + 1);
    if (finalTicks) *finalTicks = TickCount();
}

SInt16 LMGetKeyThresh() { return Q().keyThresh; }
void LMSetKeyThresh(SInt16 ticks) { Q().keyThresh = ticks; }
SInt16 LMGetKeyRepThresh() { return Q().keyRepThresh; }
void LMSetKeyRepThresh(SInt16 ticks) { Q().keyRepThresh = ticks; }
