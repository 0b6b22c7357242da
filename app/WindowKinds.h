// Window kinds: every window carries its kind as a window property, the
// routing key of every dispatch.
#pragma once

#include "platform/ui/Windows.h"

enum : SInt16 {
    kPaintWindowKind = 128,
    kPreviewWindowKind = 129,
    kToolPaletteKind = 130,
    kColorPalette1Kind = 131,
    kColorPalette2Kind = 132,
    kBlendPaletteKind = 133,
    kTitleWindowKind = 134,
    kInfoWindowKind = 135,
    kPatternPaletteKind = 136,
    kDotModePaletteKind = 137,
    kIconListWindowKind = 138,
    kFamilyWindowKind = 139,
    kFavoritePaletteKind = 140,
};

void SetExtWindowKind(WindowRef window, SInt16 kind);
SInt16 GetExtWindowKind(WindowRef window);  // −1 when missing or not 2 bytes
Boolean IsDocumentWindowKind(SInt16 kind);   // 128, 138, 139
// The frontmost visible document window, or none.
WindowRef FrontDocumentWindow();
// Makes a floating window from template `templateID` in front of all others,
// with its kind and reference constant; none on failure.
WindowRef GetNewFloatingWindow(SInt16 templateID, SInt16 kind, SRefCon refCon);

// The palette windows, made at start-up.
extern WindowRef gPreviewWindow;
extern WindowRef gToolPalette;
extern WindowRef ColorPalette1;
extern WindowRef ColorPalette2;
extern WindowRef gBlendPalette;
extern WindowRef TitleWindow;
extern WindowRef InfoWindow;
extern WindowRef PatternPalette;
extern WindowRef DotModePalette;
extern WindowRef FavoritePalette;
