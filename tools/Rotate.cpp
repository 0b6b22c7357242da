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
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

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

// A product in 1/32768 units to whole units, halves away from zero.
inline SInt64 RoundUnits(SInt64 v) { return v > 0 ? (v + 16384) >> 15 : -((16384 - v) >> 15); }

bool BitSet(const PixMap& pm, int h, int v) {
    const int x = h - pm.bounds.left;
    return (PixRow(pm, v)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

void SetBit(UInt8* row, int x) { row[x >> 3] = UInt8(row[x >> 3] | (0x80 >> (x & 7))); }

// The rotated bounds of `r` grown by one pixel: the extremes of its rotated corners.
Rect RotatedBounds(const Rect& r, SInt32 s, SInt32 c) {
    const SInt64 cx2 = r.left + r.right, cy2 = r.top + r.bottom;
    const SInt64 w = r.right - r.left, h = r.bottom - r.top;
    SInt64 left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
    for (const SInt64 dx : {-w, w})
        for (const SInt64 dy : {-h, h}) {
            const SInt64 x = ((dx * c - dy * s + 16384) / 32768 + cx2) / 2;
            const SInt64 y = ((dx * s + dy * c + 16384) / 32768 + cy2) / 2;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    auto edge = [](SInt64 v) { return SInt16(std::clamp<SInt64>(v, -32767, 32767)); };
    return Rect{edge(top - 1), edge(left - 1), edge(bottom + 1), edge(right + 1)};
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
    SetBlackOnWhite(b->shape.get());
    EraseRect(&newRect);
    if (!IsRegionRectangular(sourceShape)) {
        if (NewGWorld(b->source.out(), 1, &rec->selRect, nullptr, nullptr, useTempMem) != noErr) return memFullErr;
        SetBlackOnWhite(b->source.get());
        EraseRect(&rec->selRect);
        PaintRgn(sourceShape);
    }
    return noErr;
}

// Step 7: every pixel of newRect takes the nearest source pixel of undoPort
// inside the source shape; the mask follows undoMask.
void ResampleRotated(PaintWinRec* rec, const Rect& newRect, SInt32 s, SInt32 c, const RotationBuffers& b) {
    const Rect& sel = rec->selRect;
    const SInt64 cx2 = sel.left + sel.right, cy2 = sel.top + sel.bottom;
    const PixMap& src = **GetGWorldPixMap(rec->undoPort.get());
    const PixMap& dst = **GetGWorldPixMap(rec->offPort.get());
    const PixMap& srcMask = **GetGWorldPixMap(rec->undoMask.get());
    const PixMap& dstMask = **GetGWorldPixMap(rec->maskPort.get());
    const PixMap& shape = **GetGWorldPixMap(b.shape.get());
    const PixMap* sourceShape = b.source ? *GetGWorldPixMap(b.source.get()) : nullptr;
    const int bytes = src.pixelSize == 32 ? 4 : 1;
    const Rect& mb = srcMask.bounds;
    for (int y = newRect.top; y < newRect.bottom; ++y) {
        const SInt64 dy = 2 * y + 1 - cy2, dx0 = 2 * newRect.left + 1 - cx2;
        SInt64 p = dx0 * c + dy * s, q = dy * c - dx0 * s;
        UInt8* out = PixRow(dst, y) + (newRect.left - dst.bounds.left) * bytes;
        UInt8* outMask = PixRow(dstMask, y);
        UInt8* outShape = PixRow(shape, y);
        for (int x = newRect.left; x < newRect.right; ++x, out += bytes, p += 2 * c, q -= 2 * s) {
            // Halving rounds down, so no source row or column is taken twice.
            const SInt64 h = (RoundUnits(p) + cx2 - 1) >> 1, v = (RoundUnits(q) + cy2 - 1) >> 1;
            if (h >= sel.left && h < sel.right && v >= sel.top && v < sel.bottom &&
                (!sourceShape || BitSet(*sourceShape, int(h), int(v)))) {
                std::memcpy(out, PixRow(src, int(v)) + (h - src.bounds.left) * bytes, size_t(bytes));
                SetBit(outShape, x - newRect.left);
            }
            if (h >= mb.left && h < mb.right && v >= mb.top && v < mb.bottom && BitSet(srcMask, int(h), int(v)))
                SetBit(outMask, x - dstMask.bounds.left);
        }
    }
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
        SetBlackOnWhite(rec->basePort.get());
        if (!background) RGBBackColor(&gBackColor.rgb);
        EraseRect(&rec->selRect);
        RGBBackColor(&rgbWhiteColor);
    }
    if (buffers.offPort) {
        rec->offPort = std::move(buffers.offPort);
        rec->maskPort = std::move(buffers.maskPort);
    }
    SetBlackOnWhite(rec->offPort.get());
    EraseRect(&newRect);
    SetBlackOnWhite(rec->maskPort.get());
    const Rect maskBounds = GWorldBounds(rec->maskPort.get());
    EraseRect(&maskBounds);
    ResampleRotated(rec, newRect, s, c, buffers);

    UniqueRgn shape;
    if (BitMapToRegion(shape, GetPortBitMapForCopyBits(buffers.shape.get())) != noErr) RectRgn(shape, &newRect);
    if (!wasFloating) {
        SetBlackOnWhite(rec->baseMask.get());
        if (!background && !gBackColor.isTransparent) PaintRect(&rec->picRect);
        else EraseRect(&rec->picRect);
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
