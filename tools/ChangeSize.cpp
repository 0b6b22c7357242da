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

#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The source column of every destination column.
std::vector<int> SourceColumns(int dstLen, int srcLen) {
    std::vector<int> columns(static_cast<size_t>(dstLen));
    for (int x = 0; x < dstLen; ++x) columns[size_t(x)] = SourceUnder(x, dstLen, srcLen);
    return columns;
}

// Bytes of a row that hold its `width` pixels.
size_t UsedRowBytes(int width, int depth) { return (size_t(width) * size_t(depth) + 7) / 8; }

// One row scaled by the column table; bits past the last pixel end up clear.
void ScaleRow(const UInt8* s, UInt8* d, const std::vector<int>& columns, int depth) {
    const int dw = int(columns.size());
    if (depth == 32) {
        const UInt32* s32 = reinterpret_cast<const UInt32*>(s);
        UInt32* d32 = reinterpret_cast<UInt32*>(d);
        for (int x = 0; x < dw; ++x) d32[x] = s32[columns[size_t(x)]];
    } else if (depth == 8) {
        for (int x = 0; x < dw; ++x) d[x] = s[columns[size_t(x)]];
    } else if (depth == 1) {
        // A byte of eight destination bits at a time.
        for (int x0 = 0; x0 < dw; x0 += 8) {
            unsigned byte = 0;
            const int n = std::min(8, dw - x0);
            for (int k = 0; k < n; ++k) {
                const int sb = columns[size_t(x0 + k)];
                byte |= unsigned((s[sb >> 3] >> (7 - (sb & 7))) & 1) << (7 - k);
            }
            d[x0 >> 3] = UInt8(byte);
        }
    } else {
        std::memset(d, 0, UsedRowBytes(dw, depth));
        const unsigned valueMask = (1u << depth) - 1;
        for (int x = 0; x < dw; ++x) {
            const int sb = columns[size_t(x)] * depth, db = x * depth;
            const unsigned v = (s[sb >> 3] >> (8 - depth - (sb & 7))) & valueMask;
            d[db >> 3] = UInt8(d[db >> 3] | (v << (8 - depth - (db & 7))));
        }
    }
}

constexpr UInt32 kPadBits = std::endian::native == std::endian::little ? 0x000000FFu : 0xFF000000u;

// Which pixel values of a buffer of 8 bits or fewer are white.
std::vector<UInt8> WhiteIndices(const PixMap& pm) {
    std::vector<UInt8> white;
    if (pm.pixelSize > 8) return white;
    white.assign(size_t(1) << pm.pixelSize, 0);
    const int n = std::min(CTabReadableCount(pm.pmTable), int(white.size()));
    for (int i = 0; i < n; ++i) white[size_t(i)] = EqualColor(&CTabEntries(pm.pmTable)[i].rgb, &rgbWhiteColor);
    return white;
}

// Sets the bit of every pixel of a row of `width` pixels that is not white.
void AddPaintedRow(const UInt8* s, UInt8* m, int width, int depth, const std::vector<UInt8>& whiteIndex) {
    for (int x0 = 0; x0 < width; x0 += 8) {
        unsigned bits = 0;
        const int n = std::min(8, width - x0);
        if (depth == 32) {
            for (int k = 0; k < n; ++k) {
                // pad, red, green, blue: white whatever the pad byte holds
                UInt32 v;
                std::memcpy(&v, s + 4 * (x0 + k), 4);
                bits |= unsigned((v | kPadBits) != 0xFFFFFFFFu) << (7 - k);
            }
        } else {
            for (int k = 0; k < n; ++k) {
                const int b = (x0 + k) * depth;
                bits |= unsigned(whiteIndex[(s[b >> 3] >> (8 - depth - (b & 7))) & ((1u << depth) - 1)] == 0) << (7 - k);
            }
        }
        m[x0 >> 3] = UInt8(m[x0 >> 3] | bits);
    }
}

// marks[x] = 1 where a row's pixel is opaque in its mask or not white.
void MarkOpaque(const UInt8* s, const UInt8* m, UInt8* marks, int width, int depth,
                const std::vector<UInt8>& whiteIndex) {
    // Mask bits to bytes, eight at a time through a table.
    static const auto kSpread = [] {
        std::array<std::array<UInt8, 8>, 256> t{};
        for (unsigned b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k) t[b][size_t(k)] = UInt8((b >> (7 - k)) & 1);
        return t;
    }();
    int x = 0;
    for (; x + 8 <= width; x += 8) std::memcpy(marks + x, kSpread[m[x >> 3]].data(), 8);
    for (; x < width; ++x) marks[x] = UInt8((m[x >> 3] >> (7 - (x & 7))) & 1);
    if (depth == 32) {
        x = 0;
#if defined(__SSE2__)
        // Sixteen pixels at a time: each compared with white (pad forced on),
        // the results narrowed to one byte each.
        const __m128i pad = _mm_set1_epi32(int(kPadBits)), white = _mm_set1_epi32(-1), one = _mm_set1_epi8(1);
        for (; x + 16 <= width; x += 16) {
            __m128i isWhite[4];
            for (int q = 0; q < 4; ++q) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * (x + 4 * q)));
                isWhite[q] = _mm_cmpeq_epi32(_mm_or_si128(v, pad), white);
            }
            const __m128i narrow = _mm_packs_epi16(_mm_packs_epi32(isWhite[0], isWhite[1]),
                                                   _mm_packs_epi32(isWhite[2], isWhite[3]));
            const __m128i painted = _mm_andnot_si128(narrow, one);
            __m128i* out = reinterpret_cast<__m128i*>(marks + x);
            _mm_storeu_si128(out, _mm_or_si128(_mm_loadu_si128(out), painted));
        }
#endif
        for (; x < width; ++x) {
            // pad, red, green, blue: white whatever the pad byte holds
            UInt32 v;
            std::memcpy(&v, s + 4 * x, 4);
            marks[x] = UInt8(marks[x] | ((v | kPadBits) != 0xFFFFFFFFu));
        }
    } else {
        for (x = 0; x < width; ++x) {
            const int b = x * depth;
            marks[x] = UInt8(marks[x] | (whiteIndex[(s[b >> 3] >> (8 - depth - (b & 7))) & ((1u << depth) - 1)] == 0));
        }
    }
}

// A row of pixels and its mask row scaled by the column table together, eight
// pixels at a time: their eight marks of 0 or 1 in the bytes of a word, the
// first lowest, gather into its top byte, the first highest, under one
// multiplication.
// With Pixel void, the mask row alone.
template <class Pixel>
void ScaleRowAndMarks(const UInt8* s, const UInt8* marks, UInt8* d, UInt8* maskRow, const std::vector<int>& columns) {
    const int width = int(columns.size());
    for (int x0 = 0; x0 < width; x0 += 8) {
        UInt64 word = 0;
        const int n = std::min(8, width - x0);
        for (int k = 0; k < n; ++k) {
            const int from = columns[size_t(x0 + k)];
            if constexpr (!std::is_void_v<Pixel>)
                reinterpret_cast<Pixel*>(d)[x0 + k] = reinterpret_cast<const Pixel*>(s)[from];
            word |= UInt64(marks[from]) << (8 * k);
        }
        maskRow[x0 >> 3] = UInt8((word * 0x8040201008040201ull) >> 56);
    }
}

}  // namespace

void ScaleNearest(GWorldPtr from, GWorldPtr to) {
    const PixMap& src = **GetGWorldPixMap(from);
    const PixMap& dst = **GetGWorldPixMap(to);
    const int sh = RectHeight(src.bounds), dh = RectHeight(dst.bounds);
    const std::vector<int> columns = SourceColumns(RectWidth(dst.bounds), RectWidth(src.bounds));
    const size_t rowBytes = UsedRowBytes(int(columns.size()), dst.pixelSize);
    int lastSource = -1;
    for (int y = 0; y < dh; ++y) {
        const int sy = SourceUnder(y, dh, sh);
        // Whole rows are reused when a source row repeats.
        if (sy == lastSource) std::memcpy(PixRow(dst, y), PixRow(dst, y - 1), rowBytes);
        else ScaleRow(PixRow(src, sy), PixRow(dst, y), columns, dst.pixelSize);
        lastSource = sy;
    }
}

namespace {

bool CanScaleRaw(GWorldPtr from, GWorldPtr to) {
    const PixMap& a = **GetGWorldPixMap(from);
    const PixMap& b = **GetGWorldPixMap(to);
    return a.pixelSize == b.pixelSize && a.bounds.top == 0 && a.bounds.left == 0 && b.bounds.top == 0 &&
           b.bounds.left == 0 && (a.pixelSize == 32 || SameColors(a.pmTable, b.pmTable));
}

// Sets the mask bit of every pixel of `image` that is not white.
void AddPaintedPixels(GWorldPtr image, GWorldPtr mask) {
    const PixMap& im = **GetGWorldPixMap(image);
    const PixMap& mk = **GetGWorldPixMap(mask);
    const std::vector<UInt8> whiteIndex = WhiteIndices(im);
    for (int y = 0; y < RectHeight(im.bounds); ++y)
        AddPaintedRow(PixRow(im, y), PixRow(mk, y), RectWidth(im.bounds), im.pixelSize, whiteIndex);
}

// The stretch in one pass over the rows: each new picture row is scaled once
// (a repeated source row is copied) and copied to the display buffer while
// it is in the cache; its mask row is the old mask's row with every non-white
// pixel of the old picture's row added, scaled: the scaled pixels are the
// old ones, so this is the scaled mask with the new picture's painted pixels.
void ScalePictureAndMask(const PixMap& src, const PixMap& srcMask, const PixMap& dst, const PixMap& dstMask,
                         const PixMap& disp) {
    const int sw = RectWidth(src.bounds), sh = RectHeight(src.bounds), dh = RectHeight(dst.bounds);
    const std::vector<int> columns = SourceColumns(RectWidth(dst.bounds), sw);
    const size_t rowBytes = UsedRowBytes(int(columns.size()), dst.pixelSize);
    const size_t maskBytes = UsedRowBytes(int(columns.size()), 1);
    const std::vector<UInt8> whiteIndex = WhiteIndices(src);
    std::vector<UInt8> marks(static_cast<size_t>(sw));  // one byte per source pixel, 1 for opaque
    int lastSource = -1;
    for (int y = 0; y < dh; ++y) {
        const int sy = SourceUnder(y, dh, sh);
        UInt8* row = PixRow(dst, y);
        UInt8* maskRow = PixRow(dstMask, y);
        if (sy == lastSource) {
            std::memcpy(row, PixRow(dst, y - 1), rowBytes);
            std::memcpy(maskRow, PixRow(dstMask, y - 1), maskBytes);
        } else {
            MarkOpaque(PixRow(src, sy), PixRow(srcMask, sy), marks.data(), sw, src.pixelSize, whiteIndex);
            if (dst.pixelSize == 32) {
                ScaleRowAndMarks<UInt32>(PixRow(src, sy), marks.data(), row, maskRow, columns);
            } else if (dst.pixelSize == 8) {
                ScaleRowAndMarks<UInt8>(PixRow(src, sy), marks.data(), row, maskRow, columns);
            } else {
                ScaleRow(PixRow(src, sy), row, columns, dst.pixelSize);
                ScaleRowAndMarks<void>(nullptr, marks.data(), nullptr, maskRow, columns);
            }
        }
        std::memcpy(PixRow(disp, y), row, rowBytes);
        lastSource = sy;
    }
}

// Change Size step by step: the picture erased to the margin's colour and
// copied (or scaled through CopyBits), its display copy, then the mask.
void ResizeSeparately(PaintWinRec* rec, GWorldPtr image, GWorldPtr mask, GWorldPtr disp, const Rect& r,
                      SInt16 backgroundKind, bool rawImage, bool rawMask) {
    const Boolean stretch = gResizeData.stretch != 0;
    const Rect old = rec->picRect;
    const Rect& dest = stretch ? r : old;
    const RGBColor& margin = backgroundKind == kMarginBackColor ? gBackColor.rgb : rgbWhiteColor;
    if (rawImage) {
        ScaleNearest(rec->undoPort.get(), image);  // every pixel is written
    } else {
        SetBlackOnWhite(image);
        RGBBackColor(&margin);
        EraseRect(&r);
        SetBlackOnWhite(rec->undoPort.get());
        SetBlackOnWhite(image);
        CopyBits(Bits(rec->undoPort), GetPortBitMapForCopyBits(image), &old, &dest,
                 stretch && gResizeData.dither ? SInt16(ditherCopy) : SInt16(srcCopy), nullptr);
    }
    SetBlackOnWhite(image);
    SetBlackOnWhite(disp);
    CopyBits(GetPortBitMapForCopyBits(image), GetPortBitMapForCopyBits(disp), &r, &r, srcCopy, nullptr);

    SetBlackOnWhite(mask);
    if (!stretch) {
        const bool clear = backgroundKind == kMarginTransparent ||
                           (backgroundKind == kMarginBackColor && gBackColor.isTransparent);
        if (clear) EraseRect(&r);
        else PaintRect(&r);
        SetBlackOnWhite(rec->undoMask.get());
        SetBlackOnWhite(mask);
        CopyBits(Bits(rec->undoMask), GetPortBitMapForCopyBits(mask), &old, &old, srcCopy, nullptr);
    } else {
        // The old mask scaled, and every non-white pixel opaque.
        if (rawMask) {
            ScaleNearest(rec->undoMask.get(), mask);
        } else {
            SetBlackOnWhite(rec->undoMask.get());
            SetBlackOnWhite(mask);
            CopyBits(Bits(rec->undoMask), GetPortBitMapForCopyBits(mask), &old, &r, srcCopy, nullptr);
        }
        AddPaintedPixels(image, mask);
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
    // Every byte of 32-bit pixels is written below (rows have no padding):
    // those buffers need no clearing first.
    const GWorldFlags pixelFlags = depth == 32 ? useTempMem | noClearPix : useTempMem;
    UniqueGWorld image, mask, disp;
    if (NewGWorld(image.out(), depth, &r, nullptr, nullptr, pixelFlags) != noErr ||
        NewGWorld(mask.out(), 1, &r, nullptr, nullptr, useTempMem) != noErr ||
        NewGWorld(disp.out(), depth, &r, nullptr, nullptr, pixelFlags) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return false;
    }
    if (rec->isFloating) {
        FixSelection(window);
        if (rec->isFloating) return false;  // it said why
    }
    // The old buffers are replaced whole: they become the undo state as they are.
    if (MoveOffPortToUndo(window) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return false;
    }

    SavedGWorld saved;
    const Boolean stretch = gResizeData.stretch != 0;
    const Rect old = rec->picRect;
    const Rect undoBounds = GWorldBounds(rec->undoPort.get());
    const Rect undoMaskBounds = GWorldBounds(rec->undoMask.get());
    const bool rawImage = stretch && !gResizeData.dither && EqualRect(&undoBounds, &old) &&
                          CanScaleRaw(rec->undoPort.get(), image.get());
    const bool rawMask = stretch && EqualRect(&undoMaskBounds, &old) && CanScaleRaw(rec->undoMask.get(), mask.get());
    if (rawImage && rawMask) {
        ScalePictureAndMask(**GetGWorldPixMap(rec->undoPort.get()), **GetGWorldPixMap(rec->undoMask.get()),
                            **GetGWorldPixMap(image.get()), **GetGWorldPixMap(mask.get()),
                            **GetGWorldPixMap(disp.get()));
    } else {
        ResizeSeparately(rec, image.get(), mask.get(), disp.get(), r, backgroundKind, rawImage, rawMask);
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
