// Scripted input: actions played one per pump as real Qt events, so that the
// events reach the program by the same road as a person's input.
#include "platform/ui/Scripting.h"

#include "platform/ui/KeyMap.h"
#include "platform/ui/LayerState.h"
#include "platform/ui/PortWidgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

#include <deque>

namespace ui_internal {
namespace {

struct Action {
    enum class Kind { MouseDown, MouseMove, MouseUp, Wheel, KeyDown, KeyUp, MenuChoice, Wait } kind;
    Point where{};
    EventModifiers modifiers = 0;
    UInt8 keyCode = 0, charCode = 0;
    SInt32 value = 0;  // menu choice, ticks, or wheel notches (axis in keyCode)
};

struct Script {
    std::deque<Action> actions;
    UInt32 notBefore = 0;
    QPointer<QWidget> pressed;  // the widget that got the press, which gets the moves and release
    UInt32 beeps = 0;
};

Script& S() {
    static Script s;
    return s;
}

Qt::KeyboardModifiers QtModifiers(EventModifiers m, bool rightClick) {
    Qt::KeyboardModifiers q;
    if (m & cmdKey) q |= Qt::ControlModifier;
    if (m & shiftKey) q |= Qt::ShiftModifier;
    if (m & optionKey) q |= Qt::AltModifier;
    if ((m & controlKey) && !rightClick) q |= Qt::MetaModifier;
    return q;
}

void PlayMouse(const Action& a) {
    Script& s = S();
    const bool down = a.kind == Action::Kind::MouseDown, up = a.kind == Action::Kind::MouseUp;
    if (down && a.where.v < 0) {
        // The menu bar is not a widget of the layer: the press is the event itself.
        LiveInput().mouse = a.where;
        EventRecord ev{mouseDown, 0, TickCount(), a.where, a.modifiers};
        QueueEvent(ev);
        return;
    }
    const bool held = LiveInput().buttonDown;
    const bool right = (a.modifiers & controlKey) && (down || held);
    const Qt::MouseButton button = right ? Qt::RightButton : Qt::LeftButton;
    QPoint local;
    QWidget* target = nullptr;
    if (!down && s.pressed) {
        target = s.pressed;
        local = target->mapFromGlobal(QtFromGlobal(a.where));
    } else {
        target = WidgetAt(a.where, &local);
    }
    if (!target) return;
    QEvent::Type type = down ? QEvent::MouseButtonPress : up ? QEvent::MouseButtonRelease : QEvent::MouseMove;
    Qt::MouseButtons buttons = down || (!up && held) ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent ev(type, QPointF(local), QPointF(QtFromGlobal(a.where)), up || down ? button : Qt::NoButton, buttons,
                   QtModifiers(a.modifiers, right));
    if (down) s.pressed = target;
    if (up) s.pressed = nullptr;
    QCoreApplication::sendEvent(target, &ev);
}

void PlayWheel(const Action& a) {
    QPoint local;
    QWidget* target = WidgetAt(a.where, &local);
    if (!target) return;
    const QPoint angle = a.keyCode == kMouseWheelAxisX ? QPoint(a.value * 120, 0) : QPoint(0, a.value * 120);
    QWheelEvent ev(QPointF(local), QPointF(QtFromGlobal(a.where)), QPoint(), angle,
                   LiveInput().buttonDown ? Qt::LeftButton : Qt::NoButton, QtModifiers(a.modifiers, false),
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &ev);
}

void PlayKey(const Action& a) {
    const QtKeyPress k = QtKeyFor(a.keyCode, a.charCode, a.modifiers);
    const bool press = a.kind == Action::Kind::KeyDown;
    QKeyEvent ev(press ? QEvent::KeyPress : QEvent::KeyRelease, k.key, k.modifiers, k.text, false);
    QWidget* target = QApplication::focusWidget();
    if (!target) {
        WindowRef front = FrontWindow();
        target = front ? ContentWidget(front) : DesktopWidget();
    }
    if (target) QCoreApplication::sendEvent(target, &ev);
}

void Push(Action a) { S().actions.push_back(a); }

}  // namespace

bool PlayScriptAction() {
    Script& s = S();
    if (s.actions.empty() || TickCount() < s.notBefore) return false;
    const Action a = s.actions.front();
    s.actions.pop_front();
    switch (a.kind) {
    case Action::Kind::MouseDown:
    case Action::Kind::MouseMove:
    case Action::Kind::MouseUp:
        PlayMouse(a);
        break;
    case Action::Kind::Wheel:
        PlayWheel(a);
        break;
    case Action::Kind::KeyDown:
    case Action::Kind::KeyUp:
        PlayKey(a);
        break;
    case Action::Kind::MenuChoice:
        DeliverMenuChoice(a.value);
        break;
    case Action::Kind::Wait:
        s.notBefore = TickCount() + UInt32(a.value);
        break;
    }
    return true;
}

int MsUntilScriptAction() {
    Script& s = S();
    if (s.actions.empty()) return -1;
    const UInt32 now = TickCount();
    return s.notBefore > now ? int((s.notBefore - now) * 1000 / 60) + 1 : 0;
}

void CountBeep() { ++S().beeps; }

void ResetInputScriptLog() { S().beeps = 0; }

}  // namespace ui_internal

using namespace ui_internal;

void ScriptMouseDown(Point where, EventModifiers modifiers) { Push({Action::Kind::MouseDown, where, modifiers}); }
void ScriptMouseMove(Point where, EventModifiers modifiers) { Push({Action::Kind::MouseMove, where, modifiers}); }
void ScriptMouseUp(Point where, EventModifiers modifiers) { Push({Action::Kind::MouseUp, where, modifiers}); }
void ScriptClick(Point where, EventModifiers modifiers) {
    ScriptMouseDown(where, modifiers);
    ScriptMouseUp(where, modifiers);
}

void ScriptWheel(Point where, UInt16 axis, SInt16 notches, EventModifiers modifiers) {
    Push({Action::Kind::Wheel, where, modifiers, UInt8(axis), 0, notches});
}

void ScriptKeyDown(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers) {
    Push({Action::Kind::KeyDown, {}, modifiers, keyCode, charCode});
}
void ScriptKeyUp(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers) {
    Push({Action::Kind::KeyUp, {}, modifiers, keyCode, charCode});
}
void ScriptKey(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers) {
    ScriptKeyDown(keyCode, charCode, modifiers);
    ScriptKeyUp(keyCode, charCode, modifiers);
}

void ScriptMenuChoice(SInt32 menuChoice) { Push({Action::Kind::MenuChoice, {}, 0, 0, 0, menuChoice}); }
void ScriptWait(UInt32 ticks) { Push({Action::Kind::Wait, {}, 0, 0, 0, SInt32(ticks)}); }
Boolean ScriptPending() { return !S().actions.empty(); }
void ClearScript() {
    S().actions.clear();
    S().notBefore = 0;
}

UInt32 SysBeepCount() { return S().beeps; }
