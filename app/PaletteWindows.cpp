// The palettes the user shows and hides, with the Display menu mirroring
// their visibility, and the placement of small dialogs.
#include "app/PaletteWindows.h"

#include "app/MenuBar.h"
#include "app/MenuCommands.h"
#include "app/PaletteContent.h"
#include "app/WindowKinds.h"
#include "platform/raster/Regions.h"

namespace {

// Display menu items 1 to 8, in item order; also the order of "show all".
WindowRef* const kDispPalettes[] = {&TitleWindow,   &gToolPalette, &InfoWindow,     &ColorPalette1,
                                     &ColorPalette2, &gBlendPalette, &PatternPalette, &FavoritePalette};
constexpr SInt16 kShowAllItem = 10, kPreviewItem = 12;

}  // namespace

Boolean gPreviewShown = true;

SInt16 DispItemForWindow(WindowRef window) {
    if (!window) return 0;
    for (SInt16 i = 0; i < SInt16(std::size(kDispPalettes)); ++i) {
        if (*kDispPalettes[i] == window) return SInt16(i + 1);
    }
    return 0;
}

WindowRef PaletteForDispItem(SInt16 item) {
    if (item < 1 || item > SInt16(std::size(kDispPalettes))) return nullptr;
    return *kDispPalettes[item - 1];
}

void ShowHidePalette(WindowRef window, Boolean show) {
    if (!window) return;
    MenuRef disp = GetMenuHandle(kDispMenuID);
    if (window == gPreviewWindow) {
        // It follows the front document, so showing it waits for one.
        gPreviewShown = show;
        if (show && FrontDocumentWindow()) ShowWindow(window);
        else if (!show) HideWindow(window);
        if (disp) CheckMenuItem(disp, kPreviewItem, show);
        return;
    }
    if (!PaletteHasContent(window)) show = false;
    if (show) ShowWindow(window);
    else HideWindow(window);
    const SInt16 item = DispItemForWindow(window);
    if (item && disp) CheckMenuItem(disp, MenuItemIndex(item), show);
}

void UpdateDispMenu() {
    MenuRef disp = GetMenuHandle(kDispMenuID);
    if (!disp) return;
    for (SInt16 item = 1; item <= SInt16(std::size(kDispPalettes)); ++item) {
        WindowRef window = PaletteForDispItem(item);
        if (PaletteHasContent(window)) EnableMenuItem(disp, MenuItemIndex(item));
        else DisableMenuItem(disp, MenuItemIndex(item));
        CheckMenuItem(disp, MenuItemIndex(item), window && IsWindowVisible(window));
    }
    CheckMenuItem(disp, kPreviewItem, gPreviewShown);
}

void ShowHidePalette2(SInt16 item) {
    if (WindowRef window = PaletteForDispItem(item)) ShowHidePalette(window, !IsWindowVisible(window));
}

void ShowAllPalettes() {
    for (WindowRef* palette : kDispPalettes) ShowHidePalette(*palette, true);
}

void HandleDispChoice(SInt16 item) {
    if (item == kShowAllItem) ShowAllPalettes();
    else if (item == kPreviewItem) ShowHidePalette(gPreviewWindow, !gPreviewShown);
    else ShowHidePalette2(item);
}

