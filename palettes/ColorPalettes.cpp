#include "palettes/ColorPalettes.h"

#include "app/MenuBar.h"
#include "app/PaletteContent.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Events.h"
#include "platform/ui/Menus.h"
#include "tools/ReplaceColor.h"
#include "tools/Tools.h"

#include <cstdlib>

SInt16 gPrevPaletteCheck = 0;

namespace {

enum : SInt16 { kPalette1Picture = 128, kPalette2Picture = 129, kCheckMarkPicture = 131 };
enum : SInt16 { kCheck34Table = 130, kCheck256Table = 131 };
constexpr int kCheck34Count = 34;
constexpr int kFavoriteColumns = 16, kFavoriteRows = 6;
// How far the pointer may wander between the two clicks of a double click.
constexpr SInt16 kDoubleClickSlop = 2;

SelectColorAreaProcPtr gSelectColorAreaProc = nullptr;

// The level of a component as the palettes read it: its low four bits.
int Level(UInt16 component) { return component & 0xF; }

Boolean OnCube(const RGBColor& c) {
    return Level(c.red) % 3 == 0 && Level(c.green) % 3 == 0 && Level(c.blue) % 3 == 0;
}

// Column (0 red, 1 green, 2 blue, 3 grey) and level of a pure ramp colour.
Boolean OnRamp(const RGBColor& c, int* column, int* level) {
    const int r = Level(c.red), g = Level(c.green), b = Level(c.blue);
    if (r == g && g == b) {
        *column = 3;
        *level = r;
    } else if (g == 0 && b == 0) {
        *column = 0;
        *level = r;
    } else if (r == 0 && b == 0) {
        *column = 1;
        *level = g;
    } else if (r == 0 && g == 0) {
        *column = 2;
        *level = b;
    } else {
        return false;
    }
    return true;
}

// Whether the pen colour can be shown exactly, which the outline of the two
// colour palettes needs.
Boolean Representable(const RGBColor& c) {
    if (!gBlendPalettePtr) return true;
    SavedGWorld saved;
    SetGWorld(gBlendPalettePtr, nullptr);
    return RealColor(&c);
}

void FrameCell(const Rect& cell, const RGBColor& color) {
    PenNormal();
    RGBForeColor(&color);
    FrameRect(&cell);
    RGBForeColor(&rgbBlackColor);
}

// Draws the pen colour's outline into the current port.
void DrawHilite(SInt16 palette) {
    Rect cell;
    Boolean shown = false;
    switch (palette) {
    case kColorPalette1:
        shown = (gCurrentColor.isTransparent || Representable(gCurrentColor.rgb)) &&
                ColorPalette1Cell(gCurrentColor, &cell);
        break;
    case kColorPalette2:
        shown = (gCurrentColor.isTransparent || Representable(gCurrentColor.rgb)) &&
                ColorPalette2Cell(gCurrentColor, &cell);
        break;
    case kFavoritePalette: shown = FavoriteCell(gCurrentColor, &cell); break;
    default: break;
    }
    // The outline lies on the black grid lines around the cell.
    if (shown) FrameCell(cell, rgbWhiteColor);
}

WindowRef PaletteWindow(SInt16 palette) {
    switch (palette) {
    case kColorPalette1: return ColorPalette1;
    case kColorPalette2: return ColorPalette2;
    case kFavoritePalette: return FavoritePalette;
    default: return nullptr;
    }
}

void DrawPictureOver(SInt16 id, const Rect* r) {
    if (PicHandle pic = GetResource(FourCC("PICT"), id)) DrawPicture(pic, r);
}

// The pen colour becomes `color`; then a second press on the same palette
// near the first (local `pt`), within the double-click time, selects the
// colour's pixels.
void PickWithDoubleClick(const ColorRec& color, WindowRef palette, Point pt) {
    const UInt32 when = TickCount();
    ChangeColor(&color.rgb, color.isTransparent);
    InvalidateColorPalettes();
    Point where = pt;
    {
        SavedGWorld saved;
        SetPortWindowPort(palette);
        LocalToGlobal(&where);
    }
    if (!WaitForSecondClick(palette, where, when, kDoubleClickSlop)) return;
    WindowRef front = FrontDocumentWindow();
    if (gSelectColorAreaProc && front && GetExtWindowKind(front) == kPaintWindowKind)
        gSelectColorAreaProc(front, &color.rgb, color.isTransparent);
}

void ClickColorCell(const ColorRec& c, WindowRef palette, Point pt, Boolean option, Boolean command) {
    if (command) {
        WindowRef front = FrontDocumentWindow();
        if (front && GetExtWindowKind(front) == kPaintWindowKind)
            (void)DoReplaceColor(front, &gCurrentColor.rgb, gCurrentColor.isTransparent, &c.rgb, c.isTransparent);
        ChangeColor(&c.rgb, c.isTransparent);
        InvalidateColorPalettes();
    } else if (option) {
        ChangeBackColor(&c.rgb, c.isTransparent);
    } else {
        PickWithDoubleClick(c, palette, pt);
    }
}

}  // namespace

void SetSelectColorAreaProc(SelectColorAreaProcPtr proc) { gSelectColorAreaProc = proc; }

Boolean ColorPalette1Color(Point pt, ColorRec* color) {
    const int h = pt.h, v = pt.v;
    if (h < 0 || v < 0 || (h - 1) % 62 >= 60 || h >= 372 || v >= 61) return false;
    const int red = 5 - (h - 1) / 62, blue = 5 - ((h - 1) % 62) / 10, green = 5 - (v - 1) / 10;
    *color = ColorRec{RGBColor{UInt16(red * 0x3333), UInt16(green * 0x3333), UInt16(blue * 0x3333)}, 0};
    return true;
}

Boolean ColorPalette2Color(Point pt, ColorRec* color) {
    const int h = pt.h, v = pt.v;
    if (h < 0 || v < 0 || v > 160) return false;
    const int column = (h - 1) / 12;
    if (column > 3) return false;
    const int level = 15 - (v - 1) / 10;
    const UInt16 c = UInt16(level * 0x1111);
    if (column == 0 && level == 0) {
        *color = ColorRec{rgbWhiteColor, 1};
        return true;
    }
    RGBColor rgb{0, 0, 0};
    switch (column) {
    case 0: rgb.red = c; break;
    case 1: rgb.green = c; break;
    case 2: rgb.blue = c; break;
    default: rgb = RGBColor{c, c, c}; break;
    }
    *color = ColorRec{rgb, 0};
    return true;
}

int FavoriteCellIndex(Point pt) {
    if (pt.h < 0 || pt.v < 0) return -1;
    const int column = (pt.h - 1) / 10, row = (pt.v - 1) / 10;
    // A point past the last column would otherwise name a cell of the next row.
    if (column >= kFavoriteColumns || row >= kFavoriteRows) return -1;
    return row * kFavoriteColumns + column;
}

Boolean ColorPalette1Cell(const ColorRec& color, Rect* cell) {
    if (color.isTransparent || !OnCube(color.rgb)) return false;
    const int block = 5 - Level(color.rgb.red) / 3, column = 5 - Level(color.rgb.blue) / 3,
              row = 5 - Level(color.rgb.green) / 3;
    const int left = 62 * block + 10 * column, top = 10 * row;
    *cell = MakeRect(top, left, top + 11, left + 11);
    return true;
}

Boolean ColorPalette2Cell(const ColorRec& color, Rect* cell) {
    int column = 0, level = 0;
    if (!color.isTransparent && (!OnRamp(color.rgb, &column, &level) || (column == 0 && level == 0))) return false;
    const int left = 12 * column, top = 10 * (15 - level);
    *cell = MakeRect(top, left, top + 11, left + 11);
    return true;
}

Boolean FavoriteCell(const ColorRec& color, Rect* cell) {
    if (color.isTransparent) return false;
    const int n = FavoriteColorCount();
    const ColorSpec* entries = n ? CTabEntries(gFavoriteColors) : nullptr;
    for (int i = 0; i < n; ++i) {
        if (!EqualColor(&entries[i].rgb, &color.rgb)) continue;
        const int left = 10 * (i % kFavoriteColumns) + 1, top = 10 * (i / kFavoriteColumns) + 1;
        *cell = MakeRect(top, left, top + 11, left + 11);
        return true;
    }
    return false;
}

int FavoriteColorCount() {
    if (!gFavoriteColors) return 0;
    const int declared = (*gFavoriteColors)->ctSize + 1;
    if (declared <= 0) return 0;
    return std::min({declared, CTabReadableCount(gFavoriteColors), kMaxFavoriteColors});
}

Boolean AddFavoriteColor(const ColorRec& color) {
    const int n = FavoriteColorCount();
    if (n >= kMaxFavoriteColors || color.isTransparent) return false;
    if (n > 0 && ColorExistsInPal(gFavoriteColors, &color.rgb, n)) return false;
    CTabHandle grown = NewColorTable(n + 1);
    if (!grown) return false;
    if (gFavoriteColors) {
        (*grown)->ctSeed = (*gFavoriteColors)->ctSeed;
        (*grown)->ctFlags = (*gFavoriteColors)->ctFlags;
    }
    ColorSpec* to = CTabEntries(grown);
    for (int i = 0; i < n; ++i) to[i] = CTabEntries(gFavoriteColors)[i];
    to[n].value = SInt16(n);
    to[n].rgb = color.rgb;
    DisposeCTable(gFavoriteColors);
    gFavoriteColors = grown;
    CTabChanged(gFavoriteColors);
    return true;
}

Boolean RemoveFavoriteColor(int index) {
    const int n = FavoriteColorCount();
    if (index < 0 || index >= n) return false;
    ColorSpec* entries = CTabEntries(gFavoriteColors);
    for (int i = index; i + 1 < n; ++i) entries[i] = entries[i + 1];
    // The block keeps its room; the size field says how much of it counts
    // (−1 for an empty list).
    (*gFavoriteColors)->ctSize = SInt16(n - 2);
    CTabChanged(gFavoriteColors);
    return true;
}

void ClickColorPalette1(Point pt, Boolean option, Boolean command) {
    ColorRec c;
    if (ColorPalette1Color(pt, &c)) ClickColorCell(c, ColorPalette1, pt, option, command);
}

void ClickColorPalette2(Point pt, Boolean option, Boolean command) {
    ColorRec c;
    if (ColorPalette2Color(pt, &c)) ClickColorCell(c, ColorPalette2, pt, option, command);
}

void ClickFavoritePalette(Point pt, Boolean option, Boolean command) {
    const int i = FavoriteCellIndex(pt);
    if (i < 0) return;
    const int n = FavoriteColorCount();
    if (i >= n) {
        if (AddFavoriteColor(gCurrentColor)) InvalWindow(FavoritePalette);
        return;
    }
    const ColorRec entry{CTabEntries(gFavoriteColors)[i].rgb, 0};
    if (command) {
        if (RemoveFavoriteColor(i)) InvalWindow(FavoritePalette);
    } else if (option) {
        ChangeBackColor(&entry.rgb, false);
    } else {
        PickWithDoubleClick(entry, FavoritePalette, pt);
    }
}

void ColorPalettePopup(Point globalPt) {
    MenuRef menu = GetMenuHandle(kPaletteCheckPopupMenuID);
    if (!menu) {
        menu = GetMenu(kPaletteCheckPopupMenuID);
        if (!menu) return;
        InsertMenu(menu, hierMenu);
    }
    const MenuItemIndex current = MenuItemIndex(gPaletteCheck + 1);
    for (MenuItemIndex i = 1; i <= CountMenuItems(menu); ++i) CheckMenuItem(menu, i, i == current);
    const SInt32 choice = PopUpMenuSelect(menu, globalPt.v, globalPt.h, SInt16(current));
    const SInt16 item = SInt16(choice & 0xFFFF);
    if (item > 0 && item != current) HandlePaletteChoice(item);
}

UniqueCTable GetCheckPalette(SInt16 check, SInt16* count) {
    *count = 0;
    UniqueCTable table;
    switch (check) {
    case kPaletteCheck34:
        table.reset(GetCTable(kCheck34Table));
        *count = SInt16(std::min(CTabReadableCount(table.get()), kCheck34Count));
        break;
    case kPaletteCheck256:
        table.reset(GetCTable(kCheck256Table));
        *count = SInt16(CTabReadableCount(table.get()));
        break;
    case kPaletteCheckDocumentColors: {
        WindowRef front = FrontDocumentWindow();
        PaintWinRec* rec = front && GetExtWindowKind(front) == kPaintWindowKind ? GetPaintWinRec(front) : nullptr;
        if (!rec || rec->colorMode != 8 || !rec->dispPort) return nullptr;
        CTabHandle colors = nullptr;
        if (GetPixMapColors(GetGWorldPixMap(rec->dispPort.get()), &colors, count) != noErr) {
            *count = 0;
            return nullptr;
        }
        table.reset(colors);
        break;
    }
    default: return nullptr;
    }
    if (table && *count <= 0) {
        table.reset();
        *count = 0;
    }
    return table;
}

void DrawPaletteCheck(SInt16 palette) {
    if (palette != kColorPalette1 && palette != kColorPalette2) return;
    SInt16 count = 0;
    const UniqueCTable table = GetCheckPalette(gPaletteCheck, &count);
    if (!table) return;
    PicHandle mark = GetResource(FourCC("PICT"), kCheckMarkPicture);
    const ColorSpec* entries = CTabEntries(table.get());
    for (int i = 0; i < count && mark; ++i) {
        const RGBColor& c = entries[i].rgb;
        int h = 0, v = 0;
        if (palette == kColorPalette1) {
            if (!OnCube(c)) continue;
            h = 365 - 62 * (Level(c.red) / 3) - 10 * (Level(c.blue) / 3);
            v = 55 - 10 * (Level(c.green) / 3);
        } else {
            int column = 0, level = 0;
            if (!OnRamp(c, &column, &level)) continue;
            // The middle of the ramp cell.
            h = 12 * column + 5;
            v = 10 * (15 - level) + 4;
        }
        const Rect r = MakeRect(v, h, v + 3, h + 3);
        DrawPicture(mark, &r);
    }
}

void HiliteSelectedColor(SInt16 palette) {
    WindowRef window = PaletteWindow(palette);
    if (!window) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    DrawHilite(palette);
}

void DrawColorPalette(WindowRef window, SInt16 palette) {
    if (!window || (palette != kColorPalette1 && palette != kColorPalette2)) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    Rect port;
    GetWindowPortBounds(window, &port);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&port);
    DrawPictureOver(palette == kColorPalette1 ? kPalette1Picture : kPalette2Picture, &port);
    if (gPaletteCheck != kPaletteCheckNone) DrawPaletteCheck(palette);
    DrawHilite(palette);
}

void UpdateFavoritePalette(WindowRef window) {
    if (!window) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    Rect port;
    GetWindowPortBounds(window, &port);
    PenNormal();
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&port);
    const int n = FavoriteColorCount();
    if (n == 0) return;
    FrameRect(&port);
    const int fullRows = n / kFavoriteColumns, partial = n % kFavoriteColumns;
    const SInt16 left = SInt16(port.left + 1), top = SInt16(port.top + 1);
    if (fullRows > 0) {
        for (int r = 0; r <= fullRows; ++r) {
            MoveTo(left, SInt16(top + 10 * r));
            LineTo(SInt16(left + 160), SInt16(top + 10 * r));
        }
        for (int c = 0; c <= kFavoriteColumns; ++c) {
            MoveTo(SInt16(left + 10 * c), top);
            LineTo(SInt16(left + 10 * c), SInt16(top + 10 * fullRows));
        }
    }
    if (fullRows < kFavoriteRows && partial > 0) {
        const SInt16 rowTop = SInt16(top + 10 * fullRows), rowBottom = SInt16(rowTop + 10);
        MoveTo(left, rowTop);
        LineTo(SInt16(left + 10 * partial), rowTop);
        MoveTo(left, rowBottom);
        LineTo(SInt16(left + 10 * partial), rowBottom);
        for (int c = 0; c <= partial; ++c) {
            MoveTo(SInt16(left + 10 * c), rowTop);
            LineTo(SInt16(left + 10 * c), rowBottom);
        }
    }
    const ColorSpec* entries = CTabEntries(gFavoriteColors);
    for (int i = 0; i < n; ++i) {
        const int r = i / kFavoriteColumns, c = i % kFavoriteColumns;
        const Rect cell = MakeRect(port.top + 10 * r + 2, port.left + 10 * c + 2, port.top + 10 * r + 11,
                                   port.left + 10 * c + 11);
        RGBForeColor(&entries[i].rgb);
        PaintRect(&cell);
    }
    RGBForeColor(&rgbBlackColor);
    DrawHilite(kFavoritePalette);
}

void InvalidateColorPalettes() {
    InvalWindow(ColorPalette1);
    InvalWindow(ColorPalette2);
    InvalWindow(FavoritePalette);
}

void UpdatePaletteCheck() {
    InvalWindow(ColorPalette1);
    InvalWindow(ColorPalette2);
    DrawBlend();
    InvalWindow(gBlendPalette);
}
