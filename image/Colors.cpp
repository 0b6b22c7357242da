#include "image/Colors.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"

#include <algorithm>
#include <array>

RGBColor rgbBlackColor{0, 0, 0};
RGBColor rgbWhiteColor{0xFFFF, 0xFFFF, 0xFFFF};
RGBColor rgbLBColor{0x2222, 0x2222, 0x2222};
RGBColor rgbGrayColor{0x8000, 0x8000, 0x8000};

ColorRec gCurrentColor{{0, 0, 0}, 0};
ColorRec gBackColor{{0xFFFF, 0xFFFF, 0xFFFF}, 0};
ColorRec gPrevColor{{0, 0, 0}, 0};
RGBColor gBlendRatio{0, 0, 0};

namespace {
ColorModeProcPtr gColorModeProc = nullptr;
}

void InitColorGlobals() {
    rgbBlackColor = {0, 0, 0};
    rgbWhiteColor = {0xFFFF, 0xFFFF, 0xFFFF};
    rgbLBColor = {0x2222, 0x2222, 0x2222};
    rgbGrayColor = {0x8000, 0x8000, 0x8000};
    gCurrentColor = {{0, 0, 0}, 0};
    gBackColor = {{0xFFFF, 0xFFFF, 0xFFFF}, 0};
    gPrevColor = {{0, 0, 0}, 0};
    gBlendRatio = {0, 0, 0};
}

Boolean EqualColor(const RGBColor* a, const RGBColor* b) { return *a == *b; }

void BlendColor(RGBColor* a, const RGBColor* b) {
    a->red = UInt16((a->red >> 1) + (b->red >> 1));
    a->green = UInt16((a->green >> 1) + (b->green >> 1));
    a->blue = UInt16((a->blue >> 1) + (b->blue >> 1));
}

void SetColorModeProc(ColorModeProcPtr proc) { gColorModeProc = proc; }

SInt16 ColorModeInForce() {
    const SInt16 mode = gColorModeProc ? gColorModeProc() : 0;
    return mode ? mode : kDefaultColorMode;
}

// The same nearest-colour search the 8-bit blend-palette buffer would give
// through Color2Index and Index2Color, without needing that buffer.
void FixColor(RGBColor* color) {
    if (ColorModeInForce() != 8) return;
    CTabHandle std8 = StandardCTable(8);
    if (!std8) return;
    *color = CTabEntries(std8)[NearestColorIndex(std8, *color)].rgb;
}

namespace {
void ShadeRect(const Rect* r, SInt16 mode, const RGBColor& pin) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || !r) return;
    const RGBColor fore = port->rgbFgColor, op = port->rgbOpColor;
    RGBForeColor(&rgbLBColor);
    OpColor(&pin);
    PenMode(mode);
    PaintRect(r);
    PenMode(srcCopy);
    RGBForeColor(&fore);
    OpColor(&op);
}
}  // namespace

void DarkenRect(const Rect* r) { ShadeRect(r, subPin, rgbBlackColor); }
void LightenRect(const Rect* r) { ShadeRect(r, addPin, rgbWhiteColor); }

CTabHandle GetGrayscaleCTable(SInt16 depth, Boolean invert) {
    if (depth < 1 || depth > 8) return nullptr;
    const int n = 1 << depth;
    CTabHandle ct = NewColorTable(n);
    if (!ct) return nullptr;
    ColorSpec* e = CTabEntries(ct);
    for (int i = 0; i < n; ++i) {
        UInt16 level = UInt16((SInt64(i) * 65535) / (n - 1));
        if (invert) level = UInt16(65535 - level);
        e[i].value = SInt16(i);
        e[i].rgb = {level, level, level};
    }
    return ct;
}

OSErr GetPixMapColors(PixMapHandle pmh, CTabHandle* table, SInt16* count) {
    if (table) *table = nullptr;
    if (!pmh || !*pmh || !table || !count) return paramErr;
    const PixMap& pm = **pmh;
    if (pm.pixelSize != 8 || !pm.pmTable || !pm.baseAddr) return paramErr;
    std::array<bool, 256> used{};
    const int width = pm.bounds.right - pm.bounds.left;
    const SInt32 rowBytes = pm.rowBytes & 0x3FFF;
    if (width > rowBytes) return paramErr;  // the rows could not hold the bounds
    LockPixels(pmh);
    for (int v = pm.bounds.top; v < pm.bounds.bottom; ++v) {
        const UInt8* row = reinterpret_cast<const UInt8*>(pm.baseAddr) + ptrdiff_t(v - pm.bounds.top) * rowBytes;
        for (int x = 0; x < width; ++x) used[row[x]] = true;
    }
    UnlockPixels(pmh);
    CTabHandle ct = NewColorTable(256);
    if (!ct) return memFullErr;
    const int tableCount = CTabReadableCount(pm.pmTable);
    const ColorSpec* src = CTabEntries(pm.pmTable);
    ColorSpec* dst = CTabEntries(ct);
    int n = 0;
    for (int i = 0; i < 256; ++i) {
        if (!used[size_t(i)]) continue;
        dst[n].value = SInt16(n);
        dst[n].rgb = i < tableCount ? src[i].rgb : RGBColor{0, 0, 0};
        ++n;
    }
    (*ct)->ctSize = SInt16(n - 1);
    SetHandleSize(reinterpret_cast<Handle>(ct), CTabByteSize(std::max(n, 1)));
    *table = ct;
    *count = SInt16(n);
    return noErr;
}

Boolean ColorExistsInPal(CTabHandle table, const RGBColor* color, int count) {
    if (!table || !*table || !color) return false;
    const int n = std::min(count, CTabReadableCount(table));
    const ColorSpec* e = CTabEntries(table);
    for (int i = 0; i < n; ++i)
        if (EqualColor(&e[i].rgb, color)) return true;
    return false;
}
