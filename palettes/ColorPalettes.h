// The colour palettes: palette 1, the 6 x 6 x 6 colour cube; palette 2, the
// red, green, blue and grey ramps with the transparent colour; and the
// favourites, a user-kept list of up to 96 colours. Clicks pick the pen or
// background colour or replace the pen colour in the front picture; the
// palettes outline the pen colour and can mark the colours of a check table.
#pragma once

#include "image/Colors.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

// Palette numbers of HiliteSelectedColor and DrawPaletteCheck.
enum : SInt16 { kColorPalette1 = 1, kColorPalette2 = 2, kFavoritePalette = 3 };
// Values of gPaletteCheck.
enum : SInt16 {
    kPaletteCheckNone = 0, kPaletteCheck34 = 1, kPaletteCheck256 = 2, kPaletteCheckDocumentColors = 3,
};
inline constexpr int kMaxFavoriteColors = 96;
inline constexpr SInt16 kPaletteCheckPopupMenuID = 155;

extern SInt16 gPrevPaletteCheck;

// Clicks in the palettes (local coordinates), without the Control key.
void ClickColorPalette1(Point localPt, Boolean option, Boolean command);
void ClickColorPalette2(Point localPt, Boolean option, Boolean command);
void ClickFavoritePalette(Point localPt, Boolean option, Boolean command);
// A Control-click on a colour palette: the palette check pop-up at a global point.
void ColorPalettePopup(Point globalPt);

// Drawing into a palette window's port: the palette picture, the check marks
// and the pen colour's outline (kind 131 and 132); the favourites with the
// outline (kind 140).
void DrawColorPalette(WindowRef window, SInt16 palette);
void UpdateFavoritePalette(WindowRef window);
void HiliteSelectedColor(SInt16 palette);
void DrawPaletteCheck(SInt16 palette);
// The check table of gPaletteCheck 1 to 3 and its count, or none.
UniqueCTable GetCheckPalette(SInt16 check, SInt16* count);
// After a change that affects the marks: both colour palettes and the blend
// palette are drawn again.
void UpdatePaletteCheck();
// After a pen colour change: the outlines move.
void InvalidateColorPalettes();

// The geometry alone. False for a point that is not on a colour cell.
Boolean ColorPalette1Color(Point pt, ColorRec* color);
Boolean ColorPalette2Color(Point pt, ColorRec* color);
// The favourites cell under a point, or −1 outside the 16 x 6 cells.
int FavoriteCellIndex(Point pt);
// The cell outlined for a colour (an 11 x 11 rectangle), false when the
// palette does not show it.
Boolean ColorPalette1Cell(const ColorRec& color, Rect* cell);
Boolean ColorPalette2Cell(const ColorRec& color, Rect* cell);
Boolean FavoriteCell(const ColorRec& color, Rect* cell);

// The favourites list.
int FavoriteColorCount();
// Appends an opaque colour not yet in the list (at most 96); false otherwise.
Boolean AddFavoriteColor(const ColorRec& color);
// Removes entry `index`; the later entries move down keeping their values.
Boolean RemoveFavoriteColor(int index);

// Selecting every pixel of a colour in a paint window, which the selection
// code provides; a double click on a palette colour calls it.
using SelectColorAreaProcPtr = void (*)(WindowRef window, const RGBColor* color, Boolean transparent);
void SetSelectColorAreaProc(SelectColorAreaProcPtr proc);
