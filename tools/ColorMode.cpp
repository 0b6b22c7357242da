#include "tools/ColorMode.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/MenuCommands.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/ui/Events.h"

namespace {

struct ColorModeTable {
    SInt16 depth;
    SInt16 tableID;  // 0: the standard table of the depth
};

constexpr ColorModeTable kModes[] = {{8, 129}, {8, 130}, {4, 0}, {4, 128}, {1, 0}};

}  // namespace

void ChangeColorMode(WindowRef window, SInt16 mode, Boolean dither) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || mode < 1 || mode > SInt16(std::size(kModes))) return;
    const ColorModeTable& target = kModes[mode - 1];
    UniqueCTable table(target.tableID ? GetCTable(target.tableID) : CopyCTable(StandardCTable(target.depth)));
    UniqueGWorld reduced;
    if (!table || NewGWorld(reduced.out(), target.depth, &rec->picRect, table.get(), nullptr, useTempMem) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    if (GoOffPort(window) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    {
        SavedGWorld saved;
        SetBlackOnWhite(rec->undoPort.get());
        SetBlackOnWhite(reduced.get());
        CopyBits(Bits(rec->undoPort), Bits(reduced), &rec->picRect, &rec->picRect, dither ? ditherCopy : srcCopy,
                 nullptr);
        SetBlackOnWhite(rec->offPort.get());
        CopyBits(Bits(reduced), Bits(rec->offPort), &rec->picRect, &rec->picRect, srcCopy, nullptr);
    }
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
    CountUse(kUsedColorMode);
    SetUndoMode(kUndoColorMode);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

void HandleColorModeChoice(SInt16 choice) {
    WindowRef front = FrontPaintWindow();
    if (!front) return;
    const Boolean dither = choice >= 7;
    const SInt16 mode = dither ? SInt16(choice - 6) : choice;
    if (mode < 1 || mode > 5) return;
    ChangeColorMode(front, mode, dither);
    if (!gOtherPrefs[kOtherPaletteCheckFollowsMode]) return;
    const SInt16 old = gPaletteCheck;
    // The 34- and 256-colour modes show their table in the colour palettes.
    if (mode == 2 || mode == 3) HandlePaletteChoice(mode);
    gPrevPaletteCheck = old;
}

SInt16 ColorModeChoiceForKey(UInt8 keyCode, UInt8 charCode, Boolean shift, Boolean option) {
    UInt8 digit = charCode;
    switch (keyCode) {
    case kVK_ANSI_6: digit = '6'; break;
    case kVK_ANSI_3: digit = '3'; break;
    case kVK_ANSI_4: digit = '4'; break;
    case kVK_ANSI_1: digit = '1'; break;
    default: break;
    }
    SInt16 choice = 0;
    switch (digit) {
    case '6': choice = 1; break;
    case '3': choice = 2; break;
    case '4': choice = option ? 4 : 3; break;
    case '1': choice = 5; break;
    default: return 0;
    }
    return shift ? SInt16(choice + 6) : choice;
}
