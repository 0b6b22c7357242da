// State shared by the window, event and scripting files of the window layer
// (not by the menu, control and dialog files, which use WindowInternal.h).
#pragma once

#include "platform/ui/Events.h"
#include "platform/ui/WindowInternal.h"

#include <QFont>
#include <QPoint>
#include <QString>

class QWidget;
class QObject;
class QEvent;

namespace ui_internal {

// ---- Windows (Windows.cpp) ----

// Every window, front to back by class: visible dialogs, floating windows,
// then documents. Hidden windows keep their place in the order.
const std::vector<WindowRecord*>& WindowOrder();
// The whole window in global coordinates: content plus title bar and border.
Rect StructureRect(const WindowRecord& rec);
SInt16 TitleBarHeight(const WindowRecord& rec);
// Parts of the frame in global coordinates (empty when the window has none).
Rect CloseBoxRect(const WindowRecord& rec);
Rect ZoomBoxRect(const WindowRecord& rec);
// The title as the frame shows it: `shown` is the title, elided to fit
// between the boxes, and the result its centred place with six pixels of bar
// either side (global coordinates; empty for a window without a title).
Rect TitleTextRect(const WindowRecord& rec, QString* shown = nullptr);
QFont TitleFont();
// The window under a global point and the part hit, ignoring the menu bar.
WindowPartCode HitTest(Point global, WindowRef* window);
// The widget to receive a synthesized mouse event at a global point, and the
// point in that widget's coordinates.
QWidget* WidgetAt(Point global, QPoint* local);
// The window whose frame is or contains this widget, or none.
WindowRecord* RecordOfWidget(const QObject* widget);
// Shows what was drawn into visible ports since they were last shown, as the
// event loop of a buffered window system does.
void ShowDrawnPorts();
// Window ports whose origin moved since their controls were last placed.
void FollowPortOrigins();
// True while a frame part is drawn pressed (TrackGoAway/TrackBox).
void SetFramePartPressed(WindowRecord* rec, WindowPartCode part, bool pressed);
WindowPartCode FramePartPressed(const WindowRecord& rec);

// ---- Events (Events.cpp) ----

struct InputState {
    bool buttonDown = false;
    Point mouse{0, 0};      // global
    UInt16 modifiers = 0;   // cmdKey, shiftKey, optionKey, controlKey as held now
    bool keyDown[128] = {};
};
InputState& LiveInput();
// Drops queued events naming a window that is going away.
void ForgetWindowEvents(UInt32 eventId);
// Called by the window layer when the front non-floating window may have changed.
void NoteFrontChange();
// Converts a Qt widget position to global coordinates.
Point GlobalFromQt(const QPoint& screenPos);
QPoint QtFromGlobal(Point global);
// Qt's keyboard modifiers as the toolbox's modifier bits.
EventModifiers ModifiersFromQt(Qt::KeyboardModifiers m);
void InstallInputFilter();

// ---- Scripting (Scripting.cpp) ----

// Plays the next scripted action when its time has come; true if one ran.
bool PlayScriptAction();
// Milliseconds until the next scripted action may run, or -1 when none waits.
int MsUntilScriptAction();
void CountBeep();

// ---- Cursors (Cursors.cpp) ----

// An obscured cursor comes back when the mouse moves.
void MouseMovedForCursor();
// A modal window came or went: the program's cursor steps aside meanwhile.
void ModalChangedForCursor();
// The mouse moved over a widget of the layer (true) or one of Qt's own.
void PointerOverLayer(bool over);

}  // namespace ui_internal
