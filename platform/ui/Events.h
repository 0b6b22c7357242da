// Event records and the event queue. Qt input becomes toolbox-style event
// records queued for WaitNextEvent; tracking loops (StillDown, GetMouse,
// Button) pump Qt while the mouse is down. Where points are global they are
// desktop coordinates: (0, 0) is the top-left of the main window's central
// area (the desktop), which is also where GetGrayRgn starts.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"

using EventKind = UInt16;
enum : EventKind {
    nullEvent = 0,
    mouseDown = 1,
    mouseUp = 2,
    keyDown = 3,
    keyUp = 4,
    autoKey = 5,
    updateEvt = 6,
    diskEvt = 7,
    activateEvt = 8,
    mouseWheelEvt = 9,  // a turn of the mouse wheel: axis and delta in the message (below)
    osEvt = 15,
    kHighLevelEvent = 23,
};

using EventMask = UInt16;
enum : EventMask {
    mDownMask = 1 << mouseDown,
    mUpMask = 1 << mouseUp,
    keyDownMask = 1 << keyDown,
    keyUpMask = 1 << keyUp,
    autoKeyMask = 1 << autoKey,
    updateMask = 1 << updateEvt,
    activMask = 1 << activateEvt,
    mWheelMask = 1 << mouseWheelEvt,
    highLevelEventMask = 0x0400,
    osMask = 1 << osEvt,
    everyEvent = 0xFFFF,
};

using EventModifiers = UInt16;
enum : EventModifiers {
    activeFlag = 1 << 0,  // activate events: activating rather than deactivating
    btnState = 1 << 7,    // set while the button is UP, as the toolbox has it
    cmdKey = 1 << 8,      // Ctrl on Linux
    shiftKey = 1 << 9,
    alphaLock = 1 << 10,
    optionKey = 1 << 11,  // Alt on Linux
    controlKey = 1 << 12, // the Meta (Super) key on Linux; a right click also sets it
};

enum : UInt32 {
    charCodeMask = 0x000000FF,
    keyCodeMask = 0x0000FF00,
    osEvtMessageMask = 0xFF000000,
};
// osEvt messages: the high byte says which, bit 0 of a suspend/resume says resume.
enum : UInt32 { suspendResumeMessage = 0x01, mouseMovedMessage = 0xFA, resumeFlag = 1 };

// Mouse-wheel events: the message holds the axis in its high 16 bits and the
// signed delta in whole notches in its low 16 bits; a positive delta is a turn
// away from the user (vertical axis) or to the left (horizontal axis), that is
// towards the start of a document. `where` is the pointer, global; the event
// goes to the window under it, like a click, without activating it.
enum : UInt16 { kMouseWheelAxisX = 0, kMouseWheelAxisY = 1 };

// Character codes of the special keys, as the program compares them.
enum : UInt8 {
    kHomeCharCode = 1,
    kEnterCharCode = 3,
    kEndCharCode = 4,
    kHelpCharCode = 5,
    kBackspaceCharCode = 8,  // the Delete key
    kTabCharCode = 9,
    kPageUpCharCode = 11,
    kPageDownCharCode = 12,
    kReturnCharCode = 13,
    kEscapeCharCode = 27,
    kLeftArrowCharCode = 28,
    kRightArrowCharCode = 29,
    kUpArrowCharCode = 30,
    kDownArrowCharCode = 31,
    kDeleteCharCode = 127,  // forward delete
};

// Virtual key codes of the classic keyboard (ANSI layout); letters and digits
// are mapped by their position, so the O key is 31 whatever the layout says.
enum : UInt8 {
    kVK_ANSI_A = 0x00, kVK_ANSI_S = 0x01, kVK_ANSI_D = 0x02, kVK_ANSI_F = 0x03, kVK_ANSI_H = 0x04,
    kVK_ANSI_G = 0x05, kVK_ANSI_Z = 0x06, kVK_ANSI_X = 0x07, kVK_ANSI_C = 0x08, kVK_ANSI_V = 0x09,
    kVK_ANSI_B = 0x0B, kVK_ANSI_Q = 0x0C, kVK_ANSI_W = 0x0D, kVK_ANSI_E = 0x0E, kVK_ANSI_R = 0x0F,
    kVK_ANSI_Y = 0x10, kVK_ANSI_T = 0x11, kVK_ANSI_1 = 0x12, kVK_ANSI_2 = 0x13, kVK_ANSI_3 = 0x14,
    kVK_ANSI_4 = 0x15, kVK_ANSI_6 = 0x16, kVK_ANSI_5 = 0x17, kVK_ANSI_9 = 0x19, kVK_ANSI_7 = 0x1A,
    kVK_ANSI_8 = 0x1C, kVK_ANSI_0 = 0x1D, kVK_ANSI_O = 0x1F, kVK_ANSI_U = 0x20, kVK_ANSI_I = 0x22,
    kVK_ANSI_P = 0x23, kVK_Return = 0x24, kVK_ANSI_L = 0x25, kVK_ANSI_J = 0x26, kVK_ANSI_K = 0x28,
    kVK_ANSI_N = 0x2D, kVK_ANSI_M = 0x2E, kVK_Tab = 0x30, kVK_Space = 0x31, kVK_Delete = 0x33,
    kVK_Escape = 0x35, kVK_Command = 0x37, kVK_Shift = 0x38, kVK_Option = 0x3A, kVK_Control = 0x3B,
    kVK_ANSI_KeypadEnter = 0x4C, kVK_Home = 0x73, kVK_PageUp = 0x74, kVK_ForwardDelete = 0x75,
    kVK_End = 0x77, kVK_PageDown = 0x79, kVK_LeftArrow = 0x7B, kVK_RightArrow = 0x7C,
    kVK_DownArrow = 0x7D, kVK_UpArrow = 0x7E,
};

struct EventRecord {
    EventKind what = nullEvent;
    UInt32 message = 0;  // keys: char | key code << 8; update/activate: the WindowRef's id (see below)
    UInt32 when = 0;     // ticks
    Point where{0, 0};   // global (desktop) coordinates
    EventModifiers modifiers = 0;
};

inline UInt16 MouseWheelAxis(const EventRecord& event) { return UInt16(event.message >> 16); }
inline SInt16 MouseWheelDelta(const EventRecord& event) { return SInt16(event.message & 0xFFFF); }

// Update and activate events name their window in `message`; 32 bits cannot
// hold a pointer here, so the window layer hands out small ids.
WindowPtr EventWindow(const EventRecord& event);

// The queue. WaitNextEvent pumps Qt (sleeping up to `sleep` ticks while
// nothing arrives) and returns the next event of `mask`, or a null event with
// false. Update events are made on demand for windows with pending update
// regions, after all other events, as the toolbox does. A mouse leaving
// `mouseRgn` (global), moving while it is empty, or a change of the modifier
// keys gives one mouse-moved osEvt.
Boolean WaitNextEvent(EventMask mask, EventRecord* theEvent, UInt32 sleep, RgnHandle mouseRgn);
Boolean GetNextEvent(EventMask mask, EventRecord* theEvent);
Boolean EventAvail(EventMask mask, EventRecord* theEvent);  // looks without removing
void FlushEvents(EventMask whichMask, EventMask stopMask);
[[nodiscard]] OSErr PostEvent(EventKind eventNum, UInt32 eventMsg);  // an application-made event at the queue's end

// Mouse and keyboard state, pumping Qt so that scripted or real input moves on.
Boolean StillDown();    // the button is still down from the last mouse-down, no mouse-up queued
Boolean WaitMouseUp();  // as StillDown, but removes the mouse-up when it has come
Boolean Button();       // the button is down now
void GetMouse(Point* mouseLoc);         // local to the current port
void GetGlobalMouse(Point* globalMouse);
UInt32 GetCurrentKeyModifiers();        // the modifier bits of EventModifiers, now
Boolean IsKeyDown(UInt16 keyCode);      // the virtual key is held now (e.g. 31 for O)

UInt32 TickCount();     // 1/60 s since the layer started
UInt32 GetDblTime();    // the double-click time, ticks
UInt32 GetCaretTime();  // the caret blink time, ticks
void Delay(UInt32 numTicks, UInt32* finalTicks);  // pumps Qt meanwhile

// Key repeat. The layer ignores the system's auto-repeat and makes auto-key
// events itself from these thresholds (ticks) while a key is held, so the
// program's settings apply without touching the system's.
SInt16 LMGetKeyThresh();
void LMSetKeyThresh(SInt16 ticks);
SInt16 LMGetKeyRepThresh();
void LMSetKeyRepThresh(SInt16 ticks);

