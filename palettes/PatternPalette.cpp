#include "palettes/PatternPalette.h"

#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/resources/Patterns.h"
#include "platform/ui/Windows.h"

namespace {

constexpr SInt16 kCell = 16, kRows = 4;
constexpr PatternPaletteLayout kSmall{6, 24, kSmallPatterns, 99, 67, 1, 13};
constexpr PatternPaletteLayout kLarge{10, 40, kLargePatterns, 163, 67, 12, 1};

Rect MarkRect(SInt16 n, SInt16 columns) {
    const SInt16 c = SInt16((n - 1) % columns), r = SInt16((n - 1) / columns);
    return Rect{SInt16(kCell * r), SInt16(kCell * c), SInt16(kCell * r + 19), SInt16(kCell * c + 19)};
}

}  // namespace

PatternPaletteLayout CurrentPatternLayout() { return gOtherPrefs[kOtherLargePatterns] ? kLarge : kSmall; }

void GetFillPattern(Pattern* pat) {
    if (!GetIndPattern(pat, CurrentPatternLayout().listID, gPatternNo)) GetQDGlobalsBlack(pat);
}

Boolean FillPatternIsSolidFore() { return gPatternNo == CurrentPatternLayout().solidFore; }
Boolean FillPatternIsSolidBack() { return gPatternNo == CurrentPatternLayout().solidBack; }

void HilitePattern(SInt16 n) {
    const PatternPaletteLayout layout = CurrentPatternLayout();
    if (!PatternPalette || n < 1 || n > layout.count) return;
    SavedGWorld saved;
    SetPortWindowPort(PatternPalette);
    PenState pen;
    GetPenState(&pen);
    PenNormal();
    PenMode(patXor);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    const Rect r = MarkRect(n, layout.columns);
    FrameRoundRect(&r, 2, 2);
    SetPenState(&pen);
}

void UpdatePatternPalette() {
    if (!PatternPalette) return;
    const PatternPaletteLayout layout = CurrentPatternLayout();
    SavedGWorld saved;
    SetPortWindowPort(PatternPalette);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    Rect port;
    GetWindowPortBounds(PatternPalette, &port);
    EraseRect(&port);
    PenNormal();
    for (SInt16 c = 0; c <= layout.columns; ++c) {
        MoveTo(SInt16(1 + kCell * c), 1);
        Line(0, kCell * kRows);
    }
    for (SInt16 r = 0; r <= kRows; ++r) {
        MoveTo(1, SInt16(1 + kCell * r));
        Line(SInt16(kCell * layout.columns), 0);
    }
    RGBForeColor(&gCurrentColor.rgb);
    RGBBackColor(&gBackColor.rgb);
    for (SInt16 i = 1; i <= layout.count; ++i) {
        const SInt16 c = SInt16((i - 1) % layout.columns), r = SInt16((i - 1) / layout.columns);
        const Rect cell{SInt16(kCell * r + 3), SInt16(kCell * c + 3), SInt16(kCell * r + 16), SInt16(kCell * c + 16)};
        Pattern pat;
        if (GetIndPattern(&pat, layout.listID, i)) FillRect(&cell, &pat);
    }
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    HilitePattern(gPatternNo);
}

void ClickPatternPalette(Point localPt) {
    if (localPt.h < 0 || localPt.v < 0) return;
    const PatternPaletteLayout layout = CurrentPatternLayout();
    // A point right of the last column belongs to no cell (it would
    // otherwise count as the first cell of the next row).
    if (localPt.h / kCell >= layout.columns) return;
    const SInt16 n = SInt16(localPt.h / kCell + layout.columns * (localPt.v / kCell) + 1);
    if (n > layout.count || n == gPatternNo) return;
    HilitePattern(gPatternNo);
    HilitePattern(n);
    gPatternNo = n;
}

void ResizePatternPalette() {
    const PatternPaletteLayout next = gOtherPrefs[kOtherLargePatterns] ? kSmall : kLarge;
    gPatternNo = next.solidFore;
    if (!PatternPalette) return;
    SizeWindow(PatternPalette, next.width, next.height, false);
    SavedGWorld saved;
    SetPortWindowPort(PatternPalette);
    Rect port;
    GetWindowPortBounds(PatternPalette, &port);
    EraseRect(&port);
    InvalWindow(PatternPalette);
}
