// Colour mode: reducing the picture to 256, 34, 16 colours, 16 greys or
// black and white, by nearest colour or with dithering, keeping the
// document's own depth.
#pragma once

#include "platform/ui/Windows.h"

// Colour-mode menu choice n: 1..5 mode n by nearest colour, 7..11 mode n − 6
// dithered; other choices do nothing.
void HandleColorModeChoice(SInt16 choice);
// Mode 1 (256 colours, table 129), 2 (34 colours, table 130), 3 (the
// standard 16 colours), 4 (16 greys, table 128), 5 (black and white), on the
// whole picture rectangle of offPort; undo mode 13.
void ChangeColorMode(WindowRef window, SInt16 mode, Boolean dither);
// The colour-mode choice of a digit key (6, 3, 4, 1, on the main keys, by
// key code so that Shift still names the digit, or on the keypad; Option 4
// gives the greys; Shift dithers), or 0 for any other key.
SInt16 ColorModeChoiceForKey(UInt8 keyCode, UInt8 charCode, Boolean shift, Boolean option);
