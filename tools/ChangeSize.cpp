#include "tools/ChangeSize.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "tools/Selection.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

ResizeData gResizeData;

namespace {

constexpr SInt16 kChangeSizeDialog = 144;
enum : DialogItemIndex {
    kWidthItem = 3, kHeightItem = 4, kStretchItem = 5, kDitherItem = 6, kWidthUnitItem = 7, kHeightUnitItem = 8,
    kProportionalItem = 9, kBackgroundItem = 10,
};
enum : SInt16 { kPixels = 1, kPercent = 2 };
// Message of the memory list: the new size is beyond what a picture may hold.
constexpr SInt16 kPictureTooLargeItem = 3;

ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
    ControlRef control = nullptr;
    return GetDialogItemAsControl(dialog, item, &control) == noErr ? control : nullptr;
}
SInt16 ItemValue(DialogRef dialog, DialogItemIndex item) {
    ControlRef control = ItemControl(dialog, item);
    return control ? GetControlValue(control) : 0;
}
void SetItemValue(DialogRef dialog, DialogItemIndex item, SInt16 value) {
    if (ControlRef control = ItemControl(dialog, item)) SetControlValue(control, value);
}

// The field's whole number; −1 for anything that is not one.
SInt32 ItemNumber(DialogRef dialog, DialogItemIndex item) {
    Str255 text;
    GetDialogItemText(dialog, item, text);
    std::string_view s(reinterpret_cast<const char*>(text + 1), text[0]);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    SInt32 value = 0;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || err != std::errc() || end != s.data() + s.size() || value < 0) return -1;
    return value;
}
void SetItemNumber(DialogRef dialog, DialogItemIndex item, SInt64 number) {
    Str255 text;
    CopyCStringToPascal(std::to_string(number), text);
    SetDialogItemText(dialog, item, text);
}

SInt32 Base(SInt16 unit, SInt32 size) { return unit == kPercent ? 100 : size; }

// The proportional partner of an edited field: other = number × other base / base.
void KeepProportion(DialogRef dialog, DialogItemIndex from, DialogItemIndex to, SInt32 fromBase, SInt32 toBase) {
    const SInt32 n = ItemNumber(dialog, from);
    if (n >= 0 && fromBase > 0) SetItemNumber(dialog, to, SInt64(n) * toBase / fromBase);
}

// A size in pixels from a field in its unit; −1 when the field is not a number.
SInt64 PixelsOf(SInt32 number, SInt16 unit, SInt32 size) {
    if (number < 0) return -1;
    return unit == kPercent ? SInt64(number) * size / 100 : number;
}

SInt16 StorageDepth(SInt16 depth) { return depth == 24 ? 32 : depth; }

bool SameColors(CTabHandle a, CTabHandle b) {
    const int n = CTabReadableCount(a);
    if (n != CTabReadableCount(b)) return false;
    for (int i = 0; i < n; ++i)
        if (!EqualColor(&CTabEntries(a)[i].rgb, &CTabEntries(b)[i].rgb)) return false;
    return true;
}

// The source coordinate under the centre of destination coordinate x (the
// drawing engine's scaling rule).
int SourceUnder(int x, int dstLen, int srcLen) {
    return int(((2 * SInt64(x) + 1) * srcLen) / (2 * SInt64(dstLen)));
}

// Whole rows are reused when a source row repeats.
}  // namespace

void ScaleNearest(GWorldPtr from, GWorldPtr to) {
    const PixMap& src = **GetGWorldPixMap(from);
    const PixMap& dst = **GetGWorldPixMap(to);
    const int sw = RectWidth(src.bounds), sh = RectHeight(src.bounds);
    const int dw = RectWidth(dst.bounds), dh = RectHeight(dst.bounds);
    const int depth = dst.pixelSize;
    std::vector<int> columns(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x) columns[size_t(x)] = SourceUnder(x, dw, sw);
    const size_t rowBytes = (size_t(dw) * size_t(depth) + 7) / 8;
    int lastSource = -1;
    for (int y = 0; y < dh; ++y) {
        const int sy = SourceUnder(y, dh, sh);
        UInt8* d = PixRow(dst, y);
        if (sy == lastSource) {
            std::memcpy(d, PixRow(dst, y - 1), rowBytes);
            continue;
        }
        lastSource = sy;
        const UInt8* s = PixRow(src, sy);
        if (depth == 32) {
            const UInt32* s32 = reinterpret_cast<const UInt32*>(s);
            UInt32* d32 = reinterpret_cast<UInt32*>(d);
            for (int x = 0; x < dw; ++x) d32[x] = s32[columns[size_t(x)]];
        } else if (depth == 8) {
            for (int x = 0; x < dw; ++x) d[x] = s[columns[size_t(x)]];
        } else {
            std::memset(d, 0, rowBytes);
            const unsigned valueMask = (1u << depth) - 1;
            for (int x = 0; x < dw; ++x) {
                const int sb = columns[size_t(x)] * depth, db = x * depth;
                const unsigned v = (s[sb >> 3] >> (8 - depth - (sb & 7))) & valueMask;
                d[db >> 3] = UInt8(d[db >> 3] | (v << (8 - depth - (db & 7))));
            }
        }
    }
}

namespace {

bool CanScaleRaw(GWorldPtr from, GWorldPtr to) {
    const PixMap& a = **GetGWorldPixMap(from);
    const PixMap& b = **GetGWorldPixMap(to);
    return a.pixelSize == b.pixelSize && a.bounds.top == 0 && a.bounds.left == 0 && b.bounds.top == 0 &&
           b.bounds.left == 0 && (a.pixelSize == 32 || SameColors(a.pmTable, b.pmTable));
}

constexpr UInt32 kPadBits = std::endian::native == std::endian::little ? 0x000000FFu : 0xFF000000u;

// Sets the mask bit of every pixel of `image` that is not white.
void AddPaintedPixels(GWorldPtr image, GWorldPtr mask) {
    const PixMap& im = **GetGWorldPixMap(image);
    const PixMap& mk = **GetGWorldPixMap(mask);
    const int w = RectWidth(im.bounds), h = RectHeight(im.bounds), depth = im.pixelSize;
    std::vector<UInt8> whiteIndex;
    if (depth <= 8) {
        whiteIndex.assign(size_t(1) << depth, 0);
        const int n = std::min(CTabReadableCount(im.pmTable), int(whiteIndex.size()));
        for (int i = 0; i < n; ++i) whiteIndex[size_t(i)] = EqualColor(&CTabEntries(im.pmTable)[i].rgb, &rgbWhiteColor);
    }
    for (int y = 0; y < h; ++y) {
        const UInt8* s = PixRow(im, y);
        UInt8* m = PixRow(mk, y);
        for (int x0 = 0; x0 < w; x0 += 8) {
            UInt8 bits = 0;
            for (int x = x0; x < std::min(w, x0 + 8); ++x) {
                bool white;
                if (depth == 32) {
                    // pad, red, green, blue: white whatever the pad byte holds
                    UInt32 v;
                    std::memcpy(&v, s + 4 * x, 4);
                    white = (v | kPadBits) == 0xFFFFFFFFu;
                } else {
                    const int b = x * depth;
                    white = whiteIndex[(s[b >> 3] >> (8 - depth - (b & 7))) & ((1u << depth) - 1)] != 0;
                }
                if (!white) bits = UInt8(bits | (0x80 >> (x - x0)));
            }
            m[x0 >> 3] = UInt8(m[x0 >> 3] | bits);
        }
    }
}

}  // namespace

void IsMarginExists(DialogRef dialog, SInt16 width, SInt16 height, const ResizeData* settings) {
    // Compared in the field's own unit: more than the size, or more than 100 percent.
    const bool wider = ItemNumber(dialog, kWidthItem) > Base(settings->widthUnit, width);
    const bool higher = ItemNumber(dialog, kHeightItem) > Base(settings->heightUnit, height);
    if (!settings->stretch && (wider || higher)) EnableDialogItem(dialog, kBackgroundItem);
    else DisableDialogItem(dialog, kBackgroundItem);
}

void ChangeIconSize(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (rec->backPort || rec->foreHoldPort) {
        SysBeep(1);
        UpdateMenus();
        return;
    }
    const SInt16 width = SInt16(RectWidth(rec->picRect)), height = SInt16(RectHeight(rec->picRect));
    ResizeData settings = gResizeData;
    if (settings.widthUnit != kPercent) settings.widthUnit = kPixels;
    if (settings.heightUnit != kPercent) settings.heightUnit = kPixels;

    BeginModal();
    DialogRef dialog = GetNewDialog(kChangeSizeDialog, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        EndModal();
        SysBeep(1);
        return;
    }
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    SetItemNumber(dialog, kWidthItem, Base(settings.widthUnit, width));
    SetItemNumber(dialog, kHeightItem, Base(settings.heightUnit, height));
    SetItemValue(dialog, kStretchItem, settings.stretch);
    SetItemValue(dialog, kDitherItem, settings.dither);
    if (!settings.stretch) DisableDialogItem(dialog, kDitherItem);
    SetItemValue(dialog, kWidthUnitItem, settings.widthUnit);
    SetItemValue(dialog, kHeightUnitItem, settings.heightUnit);
    SetItemValue(dialog, kProportionalItem, settings.proportional);
    SetItemValue(dialog, kBackgroundItem,
                 rec->hasTransparency ? SInt16(2) : SInt16(gPaintWinPrefs.backgroundKind + 1));
    DisableDialogItem(dialog, kBackgroundItem);
    SelectDialogItemText(dialog, kWidthItem, 0, 32767);
    ShowWindow(dialog);

    DialogItemIndex item = 0;
    do {
        ModalDialog(MyModalDialogFilter, &item);
        const SInt32 wBase = Base(settings.widthUnit, width), hBase = Base(settings.heightUnit, height);
        switch (item) {
        case kWidthItem:
            if (settings.proportional) KeepProportion(dialog, kWidthItem, kHeightItem, wBase, hBase);
            break;
        case kHeightItem:
            if (settings.proportional) KeepProportion(dialog, kHeightItem, kWidthItem, hBase, wBase);
            break;
        case kProportionalItem:
            settings.proportional = !settings.proportional;
            SetItemValue(dialog, kProportionalItem, settings.proportional);
            if (settings.proportional) KeepProportion(dialog, kWidthItem, kHeightItem, wBase, hBase);
            break;
        case kWidthUnitItem:
        case kHeightUnitItem: {
            const bool isWidth = item == kWidthUnitItem;
            SInt16& unit = isWidth ? settings.widthUnit : settings.heightUnit;
            const SInt16 chosen = ItemValue(dialog, item) == kPercent ? kPercent : kPixels;
            const DialogItemIndex field = isWidth ? kWidthItem : kHeightItem;
            const SInt32 size = isWidth ? width : height;
            const SInt32 n = ItemNumber(dialog, field);
            if (n >= 0 && chosen != unit) SetItemNumber(dialog, field, SInt64(n) * Base(chosen, size) / Base(unit, size));
            unit = chosen;
            SelectDialogItemText(dialog, field, 0, 32767);
            break;
        }
        case kStretchItem:
            settings.stretch = !settings.stretch;
            SetItemValue(dialog, kStretchItem, settings.stretch);
            if (settings.stretch) EnableDialogItem(dialog, kDitherItem);
            else DisableDialogItem(dialog, kDitherItem);
            break;
        case kDitherItem:
            settings.dither = !settings.dither;
            SetItemValue(dialog, kDitherItem, settings.dither);
            break;
        default: break;
        }
        if (item == kWidthItem || item == kHeightItem || item == kStretchItem || item == kProportionalItem)
            IsMarginExists(dialog, width, height, &settings);
    } while (item != kStdOkItemIndex && item != kStdCancelItemIndex);

    const SInt64 newWidth = PixelsOf(ItemNumber(dialog, kWidthItem), settings.widthUnit, width);
    const SInt64 newHeight = PixelsOf(ItemNumber(dialog, kHeightItem), settings.heightUnit, height);
    const SInt16 backgroundKind = SInt16(ItemValue(dialog, kBackgroundItem) - 1);
    if (item == kStdOkItemIndex) gResizeData = settings;
    DisposeDialog(dialog);
    EndModal();
    if (item != kStdOkItemIndex) return;

    if (newWidth < 1 || newWidth >= kMaxPictureEdge || newHeight < 1 || newHeight >= kMaxPictureEdge) {
        SysBeep(1);
        return;
    }
    if (newWidth == width && newHeight == height) return;
    const Rect newRect{0, 0, SInt16(newHeight), SInt16(newWidth)};
    if (ChangeIconSizeMain(window, &newRect, backgroundKind) && gPaletteCheck == kPaletteCheckDocumentColors)
        UpdatePaletteCheck();
}

Boolean ChangeIconSizeMain(WindowRef window, const Rect* newRect, SInt16 backgroundKind) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !newRect || !rec->offPort || !rec->maskPort) return false;
    const Rect r = *newRect;
    const Size newArea = Size(RectWidth(r)) * RectHeight(r);
    // A document holds several buffers of its size: refuse a size it could
    // not hold before anything changes.
    if (r.top != 0 || r.left != 0 || RectWidth(r) < 1 || RectHeight(r) < 1 || RectWidth(r) > kMaxPictureEdge ||
        RectHeight(r) > kMaxPictureEdge || newArea > kMaxPictureArea) {
        ErrorAlertFromResource(kMemoryErrStrings, kPictureTooLargeItem);
        return false;
    }
    const SInt16 depth = StorageDepth(rec->depth);
    // Every new buffer is made before the document changes, so that a
    // failure leaves it exactly as it was.
    UniqueGWorld image, mask, disp;
    if (NewGWorld(image.out(), depth, &r, nullptr, nullptr, useTempMem) != noErr ||
        NewGWorld(mask.out(), 1, &r, nullptr, nullptr, useTempMem) != noErr ||
        NewGWorld(disp.out(), depth, &r, nullptr, nullptr, useTempMem) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return false;
    }
    if (rec->isFloating) {
        FixSelection(window);
        if (rec->isFloating) return false;  // it said why
    }
    if (GoOffPort(window) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return false;
    }

    SavedGWorld saved;
    const Boolean stretch = gResizeData.stretch != 0;
    const Rect old = rec->picRect;
    const Rect& dest = stretch ? r : old;
    const RGBColor& margin = backgroundKind == kMarginBackColor ? gBackColor.rgb : rgbWhiteColor;
    const Rect undoBounds = GWorldBounds(rec->undoPort.get());
    if (stretch && !gResizeData.dither && EqualRect(&undoBounds, &old) && CanScaleRaw(rec->undoPort.get(), image.get())) {
        ScaleNearest(rec->undoPort.get(), image.get());  // every pixel is written
    } else {
        SetBlackOnWhite(image.get());
        RGBBackColor(&margin);
        EraseRect(&r);
        SetBlackOnWhite(rec->undoPort.get());
        SetBlackOnWhite(image.get());
        CopyBits(Bits(rec->undoPort), Bits(image), &old, &dest,
                 stretch && gResizeData.dither ? SInt16(ditherCopy) : SInt16(srcCopy), nullptr);
    }
    SetBlackOnWhite(image.get());
    SetBlackOnWhite(disp.get());
    CopyBits(Bits(image), Bits(disp), &r, &r, srcCopy, nullptr);

    SetBlackOnWhite(mask.get());
    if (!stretch) {
        const bool clear = backgroundKind == kMarginTransparent ||
                           (backgroundKind == kMarginBackColor && gBackColor.isTransparent);
        if (clear) EraseRect(&r);
        else PaintRect(&r);
        SetBlackOnWhite(rec->undoMask.get());
        SetBlackOnWhite(mask.get());
        CopyBits(Bits(rec->undoMask), Bits(mask), &old, &old, srcCopy, nullptr);
    } else {
        // The old mask scaled, and every non-white pixel opaque.
        const Rect undoMaskBounds = GWorldBounds(rec->undoMask.get());
        if (EqualRect(&undoMaskBounds, &old) && CanScaleRaw(rec->undoMask.get(), mask.get())) {
            ScaleNearest(rec->undoMask.get(), mask.get());
        } else {
            SetBlackOnWhite(rec->undoMask.get());
            SetBlackOnWhite(mask.get());
            CopyBits(Bits(rec->undoMask), Bits(mask), &old, &r, srcCopy, nullptr);
        }
        AddPaintedPixels(image.get(), mask.get());
    }

    rec->offPort = std::move(image);
    rec->maskPort = std::move(mask);
    rec->dispPort = std::move(disp);
    RectRgn(rec->selRgn, &r);
    SetEmptyRgn(rec->selDispRgn);
    rec->isFloating = false;
    rec->sizeStretch = stretch;
    rec->sizeDither = stretch && gResizeData.dither;
    rec->picRect = r;
    rec->selRect = r;
    RectRgn(rec->updateRgn, &r);
    UpdatePaintWindow(window);
    FitPreviewWindow(window);
    SetUndoMode(kUndoChangeSize);
    return true;
}
