// The mouse cursor: 16 x 16 black-and-white cursors with a mask ('CURS') and
// colour cursors of two bits a pixel ('crsr').
#pragma once

#include "platform/core/MacTypes.h"

#include <memory>
#include <span>
#include <vector>

struct Cursor {
    UInt16 data[16];
    UInt16 mask[16];
    Point hotSpot;  // v, h
};
using CursPtr = Cursor*;
using CursHandle = CursPtr*;

// A colour cursor: the black-and-white cursor of the resource (shown where
// colour is not), and a 16 x 16 image of two bits a pixel, leftmost pixel in
// the high bits, whose values index the four-colour table. Where the mask is
// set the colour pixel is shown opaque; where it is clear and crsr1Data is
// set the screen is inverted; elsewhere the cursor is clear.
struct CCrsr {
    UInt16 crsr1Data[16];
    UInt16 crsrMask[16];
    Point crsrHotSpot;
    UInt8 crsrData[16][4];
    RGBColor crsrColors[4];
};
using UniqueCCrsr = std::unique_ptr<CCrsr>;

enum : SInt16 { iBeamCursor = 1, crossCursor = 2, plusCursor = 3, watchCursor = 4 };

void InitCursor();                  // the arrow, shown
void SetCursor(const Cursor* crsr);
CursHandle GetCursor(SInt16 cursorID);  // 'CURS' of the current resource chain, or a standard one; none when missing
void UseCursor(SInt16 cursorID);        // GetCursor, then SetCursor; a missing cursor leaves the one shown
// 'crsr' of the current resource chain (released by its owner); none when
// missing, damaged or not a 16 x 16 image of two bits a pixel.
UniqueCCrsr GetCCursor(SInt16 crsrID);
// The 'crsr' resource layout: header, pixel map, pixels, colour table.
[[nodiscard]] OSErr ParseColorCursor(std::span<const UInt8> bytes, CCrsr* out);
void SetCCursor(const CCrsr* cCrsr);
void HideCursor();
void ShowCursor();
void ObscureCursor();               // hidden until the mouse moves
const Cursor* GetQDGlobalsArrow(Cursor* arrow);
// Changes whenever the cursor shown changes (not when it is hidden or shown),
// so that a caller can tell whether the cursor it set last is still there.
UInt32 GetCursorSeed();

// What the window system is given for a cursor on a screen whose scale
// factor rounds up to `factor`: a square picture 16 x factor pixels wide,
// 0xAARRGGBB by rows, each cursor pixel a factor x factor block, and the
// hot spot (v, h) in the same pixels. Screens cannot be inverted by Qt, so
// the inverted pixels show as a black-and-white dotted rim of their area.
struct CursorImage {
    int size = 0;
    std::vector<UInt32> pixels;
    Point hotSpot{0, 0};
};
CursorImage RenderCursor(const Cursor& crsr, int factor);
CursorImage RenderColorCursor(const CCrsr& crsr, int factor);
// The picture last given to the window system.
const CursorImage& ShownCursorImage();
