// Keyboard dot mode: a blinking dot one pen in size is moved and painted
// from the keyboard, every key is recorded into the document's input
// command (consecutive moves folded together), and commands are replayed on
// any paint document.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

struct PaintWinRec;

// The longest input command; the recorded command holds one more.
inline constexpr int kMaxInputCommand = 30;
inline constexpr int kMaxDotCommand = 31;

// A command character's meaning: whether it paints, then the move in pen
// widths and heights. False for a character outside the alphabet.
struct DotStep {
    bool paints = false;
    SInt8 dx = 0, dy = 0;
};
bool DecodeDotChar(UInt8 ch, DotStep* step);

// noErr when the text is at most 31 characters of the alphabet, else paramErr.
[[nodiscard]] OSErr CheckCommandStr(ConstStr255Param text);

// Records one key (a character of the alphabet) into an input command,
// folding it into the last character where the two make one step.
void PutCommandMain(StringPtr inputCommand, UInt8 key);
void PutCommand(StringPtr inputCommand, UInt8 key);  // and redraws the palette

// The dot moved by (dx, dy) pen steps when it stays within the document's
// limits; otherwise the position unchanged.
Point MoveDotMain(Point pos, SInt16 dx, SInt16 dy, const PaintWinRec* rec);
void MoveDot(WindowRef window, SInt16 dx, SInt16 dy);

void DoDotPaint(WindowRef window, Point localPt);  // enters dot mode at a click
void EndDotMode(WindowRef window);                 // leaves it, hiding the dot and the palette
void ExecuteCommand(ConstStr255Param command, WindowRef window);
// 1 when the key was used, 0 when it goes on to the ordinary key handling.
SInt16 HandleDotKey(SInt16 eventKind, UInt8 ch, WindowRef window);

void InvertDot(WindowRef window);      // the idle blink
void InvertDotMain(WindowRef window);  // one inversion of the dot on screen
void ResetDot(WindowRef window);       // hides the dot when it shows

// The dot-mode palette: library name, recorded and input commands.
void UpdateDotModePalette(WindowRef palette);
void ClickDotModePalette(Point local, const EventRecord* event);
