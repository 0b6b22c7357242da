// Colours of the image core: colour records, the program's constant and
// current colours, and small colour-table utilities.
#pragma once

#include "platform/raster/QDTypes.h"

// A colour, or transparency when isTransparent is set (painting with it
// clears mask pixels instead of colouring image pixels).
struct ColorRec {
    RGBColor rgb;
    UInt8 isTransparent = 0;
    friend bool operator==(const ColorRec&, const ColorRec&) = default;
};

// Constant colours.
extern RGBColor rgbBlackColor;  // also the pin colour of darkening
extern RGBColor rgbWhiteColor;  // also the pin colour of lightening
extern RGBColor rgbLBColor;     // the step of DarkenRect and LightenRect
extern RGBColor rgbGrayColor;   // blend weight of one half

// Current colours.
extern ColorRec gCurrentColor;  // the pen colour
extern ColorRec gBackColor;     // the background colour
extern ColorRec gPrevColor;     // the pen colour before its last change
extern RGBColor gBlendRatio;    // blend weight of pencil painting

// Sets the constant and current colours to their start values.
void InitColorGlobals();

Boolean EqualColor(const RGBColor* a, const RGBColor* b);
// a becomes (a >> 1) + (b >> 1), component by component.
void BlendColor(RGBColor* a, const RGBColor* b);

// The colour mode in force (8 or 24): the front paint document's, otherwise
// the default of new pictures. Start-up installs the procedure that knows the
// front window; without one (or when it returns 0) mode 8 is in force.
using ColorModeProcPtr = SInt16 (*)();
void SetColorModeProc(ColorModeProcPtr proc);
SInt16 ColorModeInForce();
inline constexpr SInt16 kDefaultColorMode = 8;
// In colour mode 8, replaces the colour by its nearest colour of the standard
// 256-colour table; other modes leave it.
void FixColor(RGBColor* color);

// Darken or lighten a rectangle of the current port by rgbLBColor (arithmetic
// modes subPin and addPin); the pen mode is copy afterwards, and the port's
// foreground and OpColor are given back.
void DarkenRect(const Rect* r);
void LightenRect(const Rect* r);

// A grey ramp of 2^depth entries (depth 1 to 8): entry i has value i and
// level i * 65535 / (n - 1), complemented when invert is set (entry 0 white).
// None for other depths or when memory runs out. The caller owns it.
CTabHandle GetGrayscaleCTable(SInt16 depth, Boolean invert);

// The colours an 8-bit pixel map uses, in ascending order of their indices,
// renumbered 0, 1, 2, ...; *count is the number of them. paramErr for a map
// that is not 8 bits deep or has no table, memFullErr when memory runs out
// (no table is returned then). Indices beyond the map's table give black.
[[nodiscard]] OSErr GetPixMapColors(PixMapHandle pm, CTabHandle* table, SInt16* count);

// Whether the colour equals one of the first count entries of the table
// (count is limited to the table's size); false for no table.
Boolean ColorExistsInPal(CTabHandle table, const RGBColor* color, int count);
