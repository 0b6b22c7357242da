// Rotation by any whole number of degrees: the picture or the floating
// selection is resampled, nearest neighbour, into a larger floating selection.
// A run of rotations is always one rotation of the unrotated pixels by the
// summed angle, so that turning four times by 90 gives the picture back.
#include "tools/Effects.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/TransferModes.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

enum : DialogItemIndex { kAngleItem = 3 };
enum : MenuItemIndex { kBlendSelectionItem = 18 };

// T[a] = sin(a°) in units of 1/32768, a = 0..90.
const std::array<SInt32, 91>& SineTable() {
    static const std::array<SInt32, 91> table = [] {
        std::array<SInt32, 91> t{};
        for (int a = 0; a <= 90; ++a) t[size_t(a)] = SInt32(std::lround(std::sin(a * std::numbers::pi / 180) * 32768));
        return t;
    }();
    return table;
}

// Fills `r` of a buffer with one pixel value: the colour as a 32-bit pixel,
// or for 1 bit set (opaque) or clear.
void FillPixels(GWorldPtr g, const Rect& r, const RGBColor& color, bool bitsSet = false) {
    const PixMap& pm = **GetGWorldPixMap(g);
    Rect area;
    if (!SectRect(&r, &pm.bounds, &area)) return;
    if (pm.pixelSize == 32) {
        const UInt32 value = xfer::RGBTo24(color);
        UInt8 bytes[4] = {UInt8(value >> 24), UInt8(value >> 16), UInt8(value >> 8), UInt8(value)};
        UInt32 pixel;
        std::memcpy(&pixel, bytes, 4);
        for (int v = area.top; v < area.bottom; ++v) {
            auto* row = reinterpret_cast<UInt32*>(PixRow(pm, v)) + (area.left - pm.bounds.left);
            std::fill(row, row + (area.right - area.left), pixel);
        }
    } else if (pm.pixelSize == 1) {
        for (int v = area.top; v < area.bottom; ++v) {
            UInt8* row = PixRow(pm, v);
            for (int x = area.left - pm.bounds.left; x < area.right - pm.bounds.left; ++x) {
                if ((x & 7) == 0 && x + 8 <= area.right - pm.bounds.left) {
                    const int run = (area.right - pm.bounds.left - x) >> 3;
                    std::memset(row + (x >> 3), bitsSet ? 0xFF : 0, size_t(run));
                    x += run * 8 - 1;
                    continue;
                }
                const UInt8 bit = UInt8(0x80 >> (x & 7));
                row[x >> 3] = bitsSet ? UInt8(row[x >> 3] | bit) : UInt8(row[x >> 3] & ~bit);
            }
        }
    } else {
        SavedGWorld saved;
        SetBlackOnWhite(g);
        RGBBackColor(&color);
        EraseRect(&area);
        RGBBackColor(&rgbWhiteColor);
    }
}

// The buffers a rotation needs, all made before anything changes.
struct RotationBuffers {
    UniqueGWorld offPort, maskPort;  // the new image buffers, when the old ones are too small
    UniqueGWorld shape;              // the rotated shape over the new rectangle
    UniqueGWorld source;             // the shape to rotate over selRect, when not a rectangle
};

[[nodiscard]] OSErr MakeRotationBuffers(PaintWinRec* rec, const Rect& newRect, RgnHandle sourceShape,
                                        RotationBuffers* b) {
    const Rect offBounds = GWorldBounds(rec->offPort.get());
    Rect inside;
    if (!SectRect(&newRect, &offBounds, &inside) || !EqualRect(&inside, &newRect)) {
        if (NewGWorld(b->offPort.out(), rec->depth, &newRect, nullptr, nullptr, useTempMem) != noErr ||
            NewGWorld(b->maskPort.out(), 1, &newRect, nullptr, nullptr, useTempMem) != noErr)
            return memFullErr;
    }
    if (NewGWorld(b->shape.out(), 1, &newRect, nullptr, nullptr, useTempMem) != noErr) return memFullErr;
    FillPixels(b->shape.get(), newRect, rgbWhiteColor);
    if (!IsRegionRectangular(sourceShape)) {
        if (NewGWorld(b->source.out(), 1, &rec->selRect, nullptr, nullptr, useTempMem) != noErr) return memFullErr;
        SetBlackOnWhite(b->source.get());
        EraseRect(&rec->selRect);
        PaintRgn(sourceShape);
    }
    return noErr;
}

}  // namespace

Boolean GetSinCos(SInt16 angle, SInt32* sine, SInt32* cosine) {
    if (angle < 0 || angle > 360 || !sine || !cosine) return false;
    const auto& t = SineTable();
    auto T = [&](int a) { return t[size_t(a)]; };
    if (angle <= 90) *sine = T(angle), *cosine = T(90 - angle);
    else if (angle <= 180) *sine = T(180 - angle), *cosine = -T(angle - 90);
    else if (angle <= 270) *sine = -T(angle - 180), *cosine = -T(270 - angle);
    else *sine = -T(360 - angle), *cosine = T(angle - 270);
    return true;
}

SInt16 ConfigureRotate() {
    BeginModal();
    DialogRef d = GetNewDialog(kRotateDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        EndModal();
        SysBeep(1);
        return userCanceledErr;
    }
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    Str255 text;
    CopyCStringToPascal(std::to_string(gAngle), text);
    SetDialogItemText(d, kAngleItem, text);
    SelectDialogItemText(d, kAngleItem, 0, 32767);
    ShowWindow(d);
    DialogItemIndex hit = 0;
    do {
        ModalDialog(MyModalDialogFilter, &hit);
    } while (hit != kStdOkItemIndex && hit != kStdCancelItemIndex);
    GetDialogItemText(d, kAngleItem, text);
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex) return userCanceledErr;
    SInt32 angle = 0;
    if (!ParseWholeNumber(text, &angle)) {
        SysBeep(1);
        return userCanceledErr;
    }
    angle %= 360;
    if (angle < 0) angle += 360;
    gAngle = SInt16(angle);
    return gAngle;
}

void DoRotate(WindowRef window) {
    const SInt16 angle = ConfigureRotate();
    if (angle <= 0) return;
    RotateByAngle(window, angle);
}

void RotateByAngle(WindowRef window, SInt16 angle) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->maskPort || angle <= 0 || angle >= 360) return;
    SavedGWorld saved;
    // Another rotation resamples the unrotated pixels by the summed angle.
    bool undone = false;
    if (rec->undoMode == kUndoRotate) {
        angle = SInt16(angle + rec->rotAngle);
        if (angle > 360) angle = SInt16(angle - 360);
        DoUndo();
        undone = true;
    }
    // On failure the earlier rotation is brought back and nothing else changes.
    auto fail = [&] {
        if (undone) DoUndo();
        ErrorAlertFromResource(kMemoryErrStrings, 1);
    };
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) {
        if (undone) DoUndo();
        return;
    }
    SInt32 s = 0, c = 0;
    (void)GetSinCos(angle, &s, &c);
    const Rect newRect = RotatedBounds(rec->selRect, s, c);
    RotationBuffers buffers;
    if (MakeRotationBuffers(rec, newRect, target.rgn, &buffers) != noErr) return fail();
    if (GoOffPort(window) != noErr) {
        // The snapshot may be half remade: what was undone cannot come back.
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        SetUndoMode(kUndoNone);
        return;
    }
    rec->rotAngle = angle;

    const bool wasFloating = rec->isFloating;
    const bool background = HasBackground(rec);
    if (!wasFloating) {
        // The whole picture is lifted; what is left behind is empty.
        rec->selOffset = rec->undoSelOffset = Point{0, 0};
        FillPixels(rec->basePort.get(), rec->selRect, background ? rgbWhiteColor : gBackColor.rgb);
    }
    if (buffers.offPort) {
        rec->offPort = std::move(buffers.offPort);
        rec->maskPort = std::move(buffers.maskPort);
    }
    FillPixels(rec->offPort.get(), newRect, rgbWhiteColor);
    FillPixels(rec->maskPort.get(), GWorldBounds(rec->maskPort.get()), rgbWhiteColor);
    RotationMaps maps;
    maps.src = *GetGWorldPixMap(rec->undoPort.get());
    maps.srcMask = *GetGWorldPixMap(rec->undoMask.get());
    maps.sourceShape = buffers.source ? *GetGWorldPixMap(buffers.source.get()) : nullptr;
    maps.sourceRect = rec->selRect;
    maps.dst = *GetGWorldPixMap(rec->offPort.get());
    maps.dstMask = *GetGWorldPixMap(rec->maskPort.get());
    maps.shape = *GetGWorldPixMap(buffers.shape.get());
    ResampleRotation(maps, newRect, s, c);

    UniqueRgn shape;
    if (BitMapToRegion(shape, GetPortBitMapForCopyBits(buffers.shape.get())) != noErr) RectRgn(shape, &newRect);
    if (!wasFloating) {
        FillPixels(rec->baseMask.get(), rec->picRect, rgbWhiteColor, !background && !gBackColor.isTransparent);
        rec->selMode = 0;
        if (MenuRef effect = GetMenuHandle(kEffectMenuID)) CheckMenuItem(effect, kBlendSelectionItem, false);
    }
    rec->undoSelRect = rec->selRect;
    GetRegionBounds(shape, &rec->selRect);
    UpdatePSRgn(rec);
    OffsetRgn(shape, rec->selOffset.h, rec->selOffset.v);
    CopyRgn(shape, rec->selRgn);
    MapToWindowRgn(rec, rec->selRgn, rec->selDispRgn);
    rec->isFloating = true;
    UnionRgn(rec->selRgn, rec->undoSelRgn, rec->updateRgn);
    rec->selShown = true;

    DispOffPort(window);
    // The rotated selection must not be dropped by a change of tool.
    if (!gToolPrefs.keepFloatingSelection && gSelectedTool != kSelectionTool) ToolSelect(kSelectionTool);
    CountUse(kUsedRotate);
    UpdateClipMenu();
    UpdateSelectionMenu();
    UpdateTransparentMenu();
    SetUndoMode(kUndoRotate);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}
