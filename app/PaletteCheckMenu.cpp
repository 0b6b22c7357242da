// The Palette check menu (151): which table of colours the colour palettes
// mark. Kept apart from the menu bar so that the colour palettes' own code
// can take it over whole.
#include "app/MenuBar.h"

#include "app/MenuCommands.h"
#include "app/PaletteContent.h"
#include "app/WindowKinds.h"
#include "palettes/Prefs.h"

namespace {

}  // namespace

void HandlePaletteChoice(SInt16 item) {
    if (item < 1 || item > 4 || item == gPaletteCheck + 1) return;
    if (MenuRef menu = GetMenuHandle(kPaletteCheckMenuID)) MarkOneItem(menu, 1, 4, MenuItemIndex(item));
    gPaletteCheck = SInt16(item - 1);
    InvalWindow(ColorPalette1);
    InvalWindow(ColorPalette2);
    DrawBlend();
    InvalWindow(gBlendPalette);
}
