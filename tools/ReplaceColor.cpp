#include "tools/ReplaceColor.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/raster/TransferModes.h"

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

// Which pixel values stand for `color`, at the precision the pixels hold:
// for direct pixels the one value the colour is stored as (8 bits a
// component, so any colour matches the pixels painted with it); for indexed
// ones the entry the colour maps to, as painting with it would have chosen,
// and every other entry of the same colour.
std::vector<bool> ValuesShowing(const PixMap& pm, const RGBColor& color, UInt32* direct, bool* found) {
    *found = false;
    std::vector<bool> matches;
    if (IsDirect(pm)) {
        *direct = xfer::RGBTo24(color);
        *found = true;
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

// Whether a pixel value shows exact white.
bool IsWhiteValue(const PixMap& pm, UInt32 value) {
    if (IsDirect(pm)) return value == 0xFFFFFF;
    if (int(value) >= CTabReadableCount(pm.pmTable)) return false;
    return EqualColor(&CTabEntries(pm.pmTable)[value].rgb, &rgbWhiteColor);
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

Size ReplaceColorMain(PaintWinRec* rec, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                      Boolean toTransparent, Boolean apply) {
    if (!rec || !rec->offPort || !rec->maskPort || !from || !to) return 0;
    const PixMap& image = **GetGWorldPixMap(rec->offPort.get());
    const PixMap& mask = **GetGWorldPixMap(rec->maskPort.get());
    Rect area = Within(rec->selRect, image);
    SectRect(&area, &mask.bounds, &area);
    if (EmptyRect(&area)) return 0;
    const int width = area.right - area.left;
    const UInt32 toValue = ValueFor(image, *to);

    // From transparency, the whole selection (at its lifted place) becomes opaque.
    std::vector<bool> inSelection;
    if (fromTransparent) {
        inSelection.assign(size_t(width) * size_t(area.bottom - area.top), false);
        UniqueRgn sel;
        CopyRgn(rec->selRgn, sel);
        Rect bounds;
        GetRegionBounds(sel, &bounds);
        if (!EmptyRect(&bounds)) MapRgn(sel, &bounds, &rec->selRect);
        for (Rect r : RegionRects(sel)) {
            if (!SectRect(&r, &area, &r)) continue;
            for (int v = r.top; v < r.bottom; ++v)
                for (int h = r.left; h < r.right; ++h)
                    inSelection[size_t(v - area.top) * size_t(width) + size_t(h - area.left)] = true;
        }
    }
    UInt32 fromDirect = 0;
    bool found = false;
    const std::vector<bool> fromValues =
        fromTransparent ? std::vector<bool>() : ValuesShowing(image, *from, &fromDirect, &found);
    const bool direct = IsDirect(image);
    // The replaced pixels take the transparency of the new colour; replacing
    // white by transparency rebuilds the mask from the colours instead.
    const bool clearReplaced = toTransparent && !EqualColor(from, &rgbWhiteColor);
    const bool maskFromColours = !fromTransparent && toTransparent && !clearReplaced;

    Size changed = 0;
    for (int v = area.top; v < area.bottom; ++v) {
        for (int h = area.left; h < area.right; ++h) {
            const UInt32 value = ReadValue(image, h, v);
            const bool opaque = MaskBit(mask, h, v);
            UInt32 newValue = value;
            bool newOpaque = opaque;
            if (fromTransparent) {
                if (!opaque) newValue = toValue;
                if (inSelection[size_t(v - area.top) * size_t(width) + size_t(h - area.left)]) newOpaque = true;
            } else {
                if (found && (direct ? value == fromDirect : bool(fromValues[value]))) {
                    newValue = toValue;
                    if (clearReplaced) newOpaque = false;
                }
                if (maskFromColours) newOpaque = !IsWhiteValue(image, newValue);
            }
            if (newValue == value && newOpaque == opaque) continue;
            ++changed;
            if (!apply) continue;
            if (newValue != value) WriteValue(image, h, v, newValue);
            if (newOpaque != opaque) SetMaskBit(mask, h, v, newOpaque);
        }
    }
    return changed;
}

Boolean DoReplaceColor(WindowRef window, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                       Boolean toTransparent) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !from || !to) return false;
    if (EqualColor(from, to) && bool(fromTransparent) == bool(toTransparent)) return false;
    // A replacement that would change no pixel records nothing.
    if (ReplaceColorMain(rec, from, fromTransparent, to, toTransparent, false) == 0) return false;
    if (GoOffPort(window) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return false;
    }
    (void)ReplaceColorMain(rec, from, fromTransparent, to, toTransparent, true);
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
