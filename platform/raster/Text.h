// Text drawing on the current port, through the system's font engine.
//
// Glyphs are rendered without antialiasing and thresholded into a 1-bit
// coverage mask (the classic bitmap look), which is applied to the port in
// the text mode with the port's colours, clipped like every other drawing.
// Text bytes are UTF-8 (as the program's strings are); a run that is not
// valid UTF-8 is read as Mac Roman. Drawing starts at the pen location on
// the baseline and moves the pen to the end of the text.
//
// Font numbers: 0 the system font, 1 the application font, and the classic
// numbers of the common families (3 Geneva, 4 Monaco, 20 Times, 21 Helvetica,
// 22 Courier) map to similar installed families; other installed families get
// numbers from GetFNum. Unknown numbers draw in the application font.
#pragma once

#include "platform/raster/QDTypes.h"

#include <string>
#include <vector>

enum : SInt16 {
    systemFont = 0,
    applFont = 1,
    kFontIDGeneva = 3,
    kFontIDMonaco = 4,
    kFontIDTimes = 20,
    kFontIDHelvetica = 21,
    kFontIDCourier = 22,
};

struct FontInfo {
    SInt16 ascent = 0;
    SInt16 descent = 0;
    SInt16 widMax = 0;
    SInt16 leading = 0;
};

// Port text state of the current port.
void TextFont(SInt16 font);
void TextSize(SInt16 size);  // 0 means 12
void TextFace(SInt16 face);  // bold, italic, underline, outline, shadow, condense, extend
void TextMode(SInt16 mode);  // srcOr (default), srcCopy, srcXor, srcBic, their not- forms, blend, addPin, subPin, transparent

void DrawString(ConstStr255Param s);
void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount);
void DrawChar(SInt16 ch);
SInt16 StringWidth(ConstStr255Param s);
SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount);
SInt16 CharWidth(SInt16 ch);
void GetFontInfo(FontInfo* info);

// The number of a font family by name (case-insensitive), registering an
// installed family that has no number yet; 0 when there is no such family.
void GetFNum(ConstStr255Param name, SInt16* familyID);
// The name of a font number; empty for a number that names nothing.
void GetFontName(SInt16 familyID, Str255 name);
// The installed families, for font menus.
std::vector<std::string> FontFamilyNames();

// The standard text bottleneck: hands the text to a picture being recorded on
// the port, then draws it at the pen location and advances the pen. numer and
// denom scale the text (vertical ratio for the size, horizontal ratio for the
// advance); equal points mean no scaling.
void StdText(SInt16 byteCount, const void* textBuf, Point numer, Point denom);
