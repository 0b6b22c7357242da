// What the effects share: the target, the undo bracket, the mask of
// non-white pixels, arithmetic copies and the settings dialogs' items.
#include "tools/Effects.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/ui/Controls.h"

#include <algorithm>
#include <array>

Boolean GetEffectTarget(PaintWinRec* rec, EffectTarget* target) {
    if (!rec || !rec->offPort || !rec->maskPort || !target || !target->rgn) {
        SysBeep(1);
        return false;
    }
    target->rect = rec->selRect;
    if (rec->isFloating) {
        CopyRgn(rec->selRgn, target->rgn);
        OffsetRgn(target->rgn, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    } else {
        RectRgn(target->rgn, &rec->picRect);
    }
    if (EmptyRect(&target->rect) || EmptyRgn(target->rgn)) {
        SysBeep(1);
        return false;
    }
    return true;
}

Boolean BeginEffect(WindowRef window) {
    if (GoOffPort(window) == noErr) return true;
    // The snapshot may be half remade: the step before can no longer be undone.
    ErrorAlertFromResource(kMemoryErrStrings, 1);
    SetUndoMode(0);
    return false;
}

void FinishEffect(WindowRef window, int usedIndex, SInt16 undoMode) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    CopyRgn(rec->selRgn, rec->updateRgn);
    DispOffPort(window);
    CountUse(usedIndex);
    UpdateTransparentMenu();
    SetUndoMode(undoMode);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

void OrNonWhiteIntoMask(PaintWinRec* rec, const Rect& r) {
    if (!rec || !rec->offPort || !rec->maskPort) return;
    const PixMap& image = **GetGWorldPixMap(rec->offPort.get());
    const PixMap& mask = **GetGWorldPixMap(rec->maskPort.get());
    const int top = std::max({int(r.top), int(image.bounds.top), int(mask.bounds.top)});
    const int bottom = std::min({int(r.bottom), int(image.bounds.bottom), int(mask.bounds.bottom)});
    const int left = std::max({int(r.left), int(image.bounds.left), int(mask.bounds.left)});
    const int right = std::min({int(r.right), int(image.bounds.right), int(mask.bounds.right)});
    const int depth = image.pixelSize;
    std::array<bool, 256> whiteIndex{};
    if (depth <= 8) {
        CTabHandle table = image.pmTable ? image.pmTable : StandardCTable(depth);
        const int count = table ? CTabReadableCount(table) : 0;
        for (int i = 0; i < count && i < 256; ++i)
            whiteIndex[size_t(i)] = EqualColor(&CTabEntries(table)[i].rgb, &rgbWhiteColor);
    } else if (depth != 32) {
        return;
    }
    for (int v = top; v < bottom; ++v) {
        const UInt8* pixels = PixRow(image, v);
        UInt8* bits = PixRow(mask, v);
        for (int h = left; h < right; ++h) {
            const int col = h - image.bounds.left;
            bool white;
            if (depth == 32) {
                const UInt8* p = pixels + col * 4;
                white = (p[1] & p[2] & p[3]) == 0xFF;
            } else {
                const int bit = col * depth;
                white = whiteIndex[size_t((pixels[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1))];
            }
            if (white) continue;
            const int m = h - mask.bounds.left;
            bits[m >> 3] = UInt8(bits[m >> 3] | (0x80 >> (m & 7)));
        }
    }
}

void CopyWithOp(GWorldPtr from, GWorldPtr to, const Rect& srcRect, const Rect& dstRect, SInt16 mode,
                const RGBColor& op, RgnHandle clip) {
    SetBlackOnWhite(from);
    SetBlackOnWhite(to);
    OpColor(&op);
    CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &srcRect, &dstRect, mode, clip);
    OpColor(&rgbBlackColor);
}

ControlRef EffectItemControl(DialogRef d, DialogItemIndex item) {
    ControlRef c = nullptr;
    if (GetDialogItemAsControl(d, item, &c) != noErr) return nullptr;
    return c;
}

SInt16 EffectItemValue(DialogRef d, DialogItemIndex item) {
    ControlRef c = EffectItemControl(d, item);
    return c ? GetControlValue(c) : SInt16(0);
}

void SetEffectItemValue(DialogRef d, DialogItemIndex item, SInt16 value) {
    if (ControlRef c = EffectItemControl(d, item)) SetControlValue(c, value);
}

void SetRadioGroup(DialogRef d, DialogItemIndex first, DialogItemIndex last, SInt16 chosen) {
    for (DialogItemIndex i = first; i <= last; ++i) SetEffectItemValue(d, i, i == first + chosen ? 1 : 0);
}

Boolean ParseWholeNumber(ConstStr255Param text, SInt32* value) {
    if (!text || !value) return false;
    size_t i = 1;
    const size_t end = size_t(text[0]) + 1;
    while (i < end && text[i] == ' ') ++i;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    SInt32 n = 0;
    size_t digits = 0;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        n = n * 10 + (text[i] - '0');
        if (n > 1000000) return false;
    }
    while (i < end && text[i] == ' ') ++i;
    if (digits == 0 || i != end) return false;
    *value = negative ? -n : n;
    return true;
}

SInt16 PrefShort(const UInt8* bytes) { return SInt16(UInt16(bytes[0] << 8 | bytes[1])); }

void PutPrefShort(UInt8* bytes, SInt16 value) {
    bytes[0] = UInt8(UInt16(value) >> 8);
    bytes[1] = UInt8(value & 0xFF);
}
