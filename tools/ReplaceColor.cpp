#include "tools/ReplaceColor.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/TransferModes.h"
#include "tools/ColorSearch.h"

#include <algorithm>
#include <vector>

namespace {

// Pixel values of any depth the documents use, in the map's coordinates.
UInt32 ReadValue(const PixMap& pm, int h, int v) {
    const UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left;
    switch (pm.pixelSize) {
    case 32: {
        const UInt8* p = row + 4 * x;
        return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
    }
    case 8: return row[x];
    default: {
        const int depth = pm.pixelSize, perByte = 8 / depth;
        const int shift = 8 - depth * (x % perByte + 1);
        return (row[x / perByte] >> shift) & ((1u << depth) - 1);
    }
    }
}

void WriteValue(const PixMap& pm, int h, int v, UInt32 value) {
    UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left;
    switch (pm.pixelSize) {
    case 32: {
        UInt8* p = row + 4 * x;
        p[0] = 0;
        p[1] = UInt8(value >> 16);
        p[2] = UInt8(value >> 8);
        p[3] = UInt8(value);
        break;
    }
    case 8: row[x] = UInt8(value); break;
    default: {
        const int depth = pm.pixelSize, perByte = 8 / depth;
        const int shift = 8 - depth * (x % perByte + 1);
        const UInt8 bits = UInt8(((1u << depth) - 1) << shift);
        row[x / perByte] = UInt8((row[x / perByte] & ~bits) | ((value << shift) & bits));
        break;
    }
    }
}

bool IsDirect(const PixMap& pm) { return pm.pixelSize == 32 || pm.pixelSize == 16; }

// The pixel value that stands for `color` in the map: exact for direct
// pixels, the nearest table colour for indexed ones.
UInt32 ValueFor(const PixMap& pm, const RGBColor& color) {
    if (IsDirect(pm)) return xfer::RGBTo24(color);
    return UInt32(NearestColorIndex(pm.pmTable, color));
}

// Which pixel values stand for `color`: for direct pixels the one value that
// shows it exactly (none when the depth cannot hold it); for indexed ones
// the entry the colour maps to, as painting with it would have chosen, and
// every other entry of the same colour.
std::vector<bool> ValuesShowing(const PixMap& pm, const RGBColor& color, UInt32* direct, bool* found) {
    *found = false;
    std::vector<bool> matches;
    if (IsDirect(pm)) {
        *direct = xfer::RGBTo24(color);
        const RGBColor stored = xfer::RGBFrom24(*direct);
        *found = EqualColor(&color, &stored);
        return matches;
    }
    matches.assign(size_t(1) << pm.pixelSize, false);
    const int count = std::min(CTabReadableCount(pm.pmTable), int(matches.size()));
    if (count == 0) return matches;
    const ColorSpec* entries = CTabEntries(pm.pmTable);
    const RGBColor shown = entries[NearestColorIndex(pm.pmTable, color) % count].rgb;
    for (int i = 0; i < count; ++i) {
        if (EqualColor(&entries[i].rgb, &shown)) {
            matches[size_t(i)] = true;
            *found = true;
        }
    }
    return matches;
}

void SetMaskBit(const PixMap& mask, int h, int v, bool set) {
    UInt8* row = PixRow(mask, v);
    const int x = h - mask.bounds.left;
    if (set) row[x >> 3] = UInt8(row[x >> 3] | (0x80 >> (x & 7)));
    else row[x >> 3] = UInt8(row[x >> 3] & ~(0x80 >> (x & 7)));
}

bool MaskBit(const PixMap& mask, int h, int v) {
    const int x = h - mask.bounds.left;
    return (PixRow(mask, v)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

// selRect cut to a map's bounds.
Rect Within(const Rect& r, const PixMap& pm) {
    Rect out;
    SectRect(&r, &pm.bounds, &out);
    return out;
}

}  // namespace

Boolean ReplaceColorMain(PaintWinRec* rec, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                         Boolean toTransparent) {
    if (!rec || !rec->offPort || !rec->maskPort) return true;
    const PixMap& image = **GetGWorldPixMap(rec->offPort.get());
    const PixMap& mask = **GetGWorldPixMap(rec->maskPort.get());
    Rect area = Within(rec->selRect, image);
    SectRect(&area, &mask.bounds, &area);
    const UInt32 toValue = ValueFor(image, *to);

    if (fromTransparent) {
        // Every transparent pixel takes the colour, then the whole selection
        // (at its lifted place) is opaque.
        for (int v = area.top; v < area.bottom; ++v)
            for (int h = area.left; h < area.right; ++h)
                if (!MaskBit(mask, h, v)) WriteValue(image, h, v, toValue);
        UniqueRgn sel;
        CopyRgn(rec->selRgn, sel);
        Rect bounds;
        GetRegionBounds(sel, &bounds);
        if (!EmptyRect(&bounds)) MapRgn(sel, &bounds, &rec->selRect);
        SavedGWorld saved;
        SetGWorld(rec->maskPort.get(), nullptr);
        RGBForeColor(&rgbBlackColor);
        RGBBackColor(&rgbWhiteColor);
        PaintRgn(sel);
        return true;
    }

    UInt32 fromDirect = 0;
    bool found = false;
    const std::vector<bool> fromValues = ValuesShowing(image, *from, &fromDirect, &found);
    const bool direct = IsDirect(image);
    const bool toMask = toTransparent && !EqualColor(from, &rgbWhiteColor);
    if (found) {
        for (int v = area.top; v < area.bottom; ++v) {
            for (int h = area.left; h < area.right; ++h) {
                const UInt32 value = ReadValue(image, h, v);
                if (direct ? value != fromDirect : !fromValues[value]) continue;
                WriteValue(image, h, v, toValue);
                // The replaced pixels take the transparency of the new colour.
                if (toMask) SetMaskBit(mask, h, v, false);
            }
        }
    }
    if (!toTransparent || toMask) return true;

    // White to transparency: the mask of selRect is rebuilt from the colours.
    UniqueGWorld whiteness;
    if (CreateMask2(rec->offPort.get(), whiteness.out()) != noErr || !whiteness) return false;
    SavedGWorld saved;
    SetGWorld(rec->maskPort.get(), nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    CopyBits(GetPortBitMapForCopyBits(whiteness.get()), GetPortBitMapForCopyBits(rec->maskPort.get()), &area,
             &area, srcCopy, nullptr);
    return true;
}

Boolean DoReplaceColor(WindowRef window, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                       Boolean toTransparent) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !from || !to) return false;
    if (EqualColor(from, to) && bool(fromTransparent) == bool(toTransparent)) return false;
    if (GoOffPort(window) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return false;
    }
    if (!ReplaceColorMain(rec, from, fromTransparent, to, toTransparent)) SysBeep(1);
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
    rec->replaceColor = *from;
    rec->hasReplaceColor = fromTransparent;
    CountUse(kUsedReplaceColor);
    UpdateMenus();  // the transparency items follow the mask
    SetUndoMode(kUndoReplaceColor);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
    return true;
}
