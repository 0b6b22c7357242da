// The mouse cursor: 16 x 16 black-and-white cursors with a mask ('CURS').
#pragma once

#include "platform/core/MacTypes.h"

struct Cursor {
    UInt16 data[16];
    UInt16 mask[16];
    Point hotSpot;  // v, h
};
using CursPtr = Cursor*;
using CursHandle = CursPtr*;

enum : SInt16 { iBeamCursor = 1, crossCursor = 2, plusCursor = 3, watchCursor = 4 };

void InitCursor();                  // the arrow, shown
void SetCursor(const Cursor* crsr);
CursHandle GetCursor(SInt16 cursorID);  // 'CURS' of the current resource chain, or a standard one; none when missing
void UseCursor(SInt16 cursorID);        // GetCursor, then SetCursor; a missing cursor leaves the one shown
void HideCursor();
void ShowCursor();
void ObscureCursor();               // hidden until the mouse moves
const Cursor* GetQDGlobalsArrow(Cursor* arrow);
