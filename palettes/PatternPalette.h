// The pattern palette (window kind 136): the fill patterns in the pen and
// background colours, the current one marked. The current pattern
// gPatternNo (palettes/Prefs.h) is what the bucket and Fill paint with.
#pragma once

#include "platform/raster/QDTypes.h"

// Pattern lists of the small (24) and large (40) palettes.
enum : SInt16 { kSmallPatterns = 200, kLargePatterns = 201 };

// The palette's layout for the size option (byte 6 of gOtherPrefs).
struct PatternPaletteLayout {
    SInt16 columns;
    SInt16 count;       // columns × 4 rows
    SInt16 listID;
    SInt16 width, height;
    SInt16 solidFore;   // the pattern of the pen colour alone
    SInt16 solidBack;   // the pattern of the background colour alone
};
PatternPaletteLayout CurrentPatternLayout();

// The current fill pattern (pattern gPatternNo of the palette's list), and
// whether it draws only the foreground or only the background colour.
void GetFillPattern(Pattern* pat);
Boolean FillPatternIsSolidFore();
Boolean FillPatternIsSolidBack();

void UpdatePatternPalette();
// A click at a point of the palette (local coordinates).
void ClickPatternPalette(Point localPt);
// Toggles the mark of cell n (pattern-xor: drawing twice removes it).
void HilitePattern(SInt16 n);
// Called by the preferences dialog while the old size option is still
// stored: sizes the window for the other layout and selects its solid pattern.
void ResizePatternPalette();
