// Edging: a framed shape drawn with a square pen inside the picture or the
// floating selection, in the current colour and at a chosen opacity.
#include "tools/Effects.h"

#include "app/Alerts.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/Controls.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

enum : DialogItemIndex { kWidthItem = 3, kOpacityItem = 4, kShapeItem = 5 };
constexpr SInt16 kShapeCount = 7;

// A path of the pen's top-left corner.
void DrawPath(std::initializer_list<std::pair<int, int>> points) {
    bool first = true;
    for (auto [h, v] : points) {
        if (first) MoveTo(SInt16(h), SInt16(v));
        else LineTo(SInt16(h), SInt16(v));
        first = false;
    }
}

}  // namespace

EdgeSettings GetEdgeSettings() {
    EdgeSettings s;
    s.width = std::max<SInt16>(PrefShort(&gEdgePrefs[0]), 0);
    s.opacityItem = std::clamp<SInt16>(PrefShort(&gEdgePrefs[2]), 1, 4);
    s.shape = std::clamp<SInt16>(PrefShort(&gEdgePrefs[4]), 1, kShapeCount);
    return s;
}

void DoEdgingMain(PaintWinRec* rec, const EdgeSettings& settings) {
    const Rect& box = rec->selRect;
    const int l = box.left, t = box.top, r = box.right, b = box.bottom, w = settings.width;
    switch (settings.shape) {
    case 1: {
        UniqueRgn outline;
        CopyRgn(rec->selRgn, outline);
        Rect from;
        GetRegionBounds(outline, &from);
        MapRgn(outline, &from, &box);
        FrameRgn(outline);
        break;
    }
    case 2: FrameOval(&box); break;
    case 3: DrawPath({{(l + r - w) / 2, t}, {l, b - w}, {r - w, b - w}, {(l + r - w + 1) / 2, t}, {(l + r - w) / 2, t}}); break;
    case 4:
        DrawPath({{(l + r - w) / 2, b - w}, {l, t}, {r - w, t}, {(l + r - w + 1) / 2, b - w}, {(l + r - w) / 2, b - w}});
        break;
    case 5:
        DrawPath({{(l + r - w) / 2, t},
                  {l, (t + b - w) / 2},
                  {l, (t + b - w + 1) / 2},
                  {(l + r - w) / 2, b - w},
                  {(l + r - w + 1) / 2, b - w},
                  {r - w, (t + b - w + 1) / 2},
                  {r - w, (t + b - w) / 2},
                  {(l + r - w + 1) / 2, t},
                  {(l + r - w) / 2, t}});
        break;
    case 6: DrawPath({{l, t}, {r - w, b - w}}); break;
    case 7: DrawPath({{r - w, t}, {l, b - w}}); break;
    default: break;
    }
}

void DoEdgingWith(WindowRef window, const EdgeSettings& settings) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    SavedGWorld saved;
    if (!BeginEffect(window)) return;
    SetBlackOnWhite(rec->offPort.get());
    RGBForeColor(&gCurrentColor.rgb);
    PenSize(settings.width, settings.width);
    DoEdgingMain(rec, settings);
    PenNormal();
    RGBForeColor(&rgbBlackColor);

    if (settings.opacityItem != 1) {
        // The old picture shows through the edge by 25, 50 or 75 %.
        const UInt16 weight = UInt16(((settings.opacityItem - 1) * 0x4000) & 0xC000);
        const RGBColor op{weight, weight, weight};
        CopyWithOp(rec->undoPort.get(), rec->offPort.get(), target.rect, target.rect, blend, op);
    }
    // In the mask the edge is drawn at full strength: opaque, or cut out in a
    // transparent colour.
    SetBlackOnWhite(rec->maskPort.get());
    RGBForeColor(gCurrentColor.isTransparent ? &rgbWhiteColor : &rgbBlackColor);
    PenSize(settings.width, settings.width);
    DoEdgingMain(rec, settings);
    PenNormal();
    RGBForeColor(&rgbBlackColor);
    FinishEffect(window, kUsedEdging, kUndoTone);
}

OSErr ConfigureEdging(EdgeSettings* settings) {
    EdgeSettings s = GetEdgeSettings();
    BeginModal();
    DialogRef d = GetNewDialog(kEdgingDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        EndModal();
        SysBeep(1);
        return resNotFound;
    }
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    Str255 text;
    CopyCStringToPascal(std::to_string(s.width), text);
    SetDialogItemText(d, kWidthItem, text);
    SelectDialogItemText(d, kWidthItem, 0, 32767);
    const Boolean transparentPen = gCurrentColor.isTransparent;
    SetEffectItemValue(d, kOpacityItem, transparentPen ? SInt16(1) : s.opacityItem);
    if (transparentPen)
        if (ControlRef c = EffectItemControl(d, kOpacityItem)) HiliteControl(c, 255);
    SetEffectItemValue(d, kShapeItem, s.shape);
    ShowWindow(d);
    DialogItemIndex hit = 0;
    do {
        ModalDialog(MyModalDialogFilter, &hit);
    } while (hit != kStdOkItemIndex && hit != kStdCancelItemIndex);
    GetDialogItemText(d, kWidthItem, text);
    const SInt16 opacity = EffectItemValue(d, kOpacityItem), shape = EffectItemValue(d, kShapeItem);
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex) return userCanceledErr;

    SInt32 width = 0;
    if (!ParseWholeNumber(text, &width) || width < 0 || width > 32767) {
        SysBeep(1);
        return paramErr;
    }
    s.width = SInt16(width);
    s.shape = std::clamp<SInt16>(shape, 1, kShapeCount);
    if (!transparentPen) s.opacityItem = std::clamp<SInt16>(opacity, 1, 4);
    PutPrefShort(&gEdgePrefs[0], s.width);
    PutPrefShort(&gEdgePrefs[2], s.opacityItem);
    PutPrefShort(&gEdgePrefs[4], s.shape);
    if (settings) *settings = s;
    return noErr;
}

void DoEdging(WindowRef window) {
    EdgeSettings settings;
    if (ConfigureEdging(&settings) != noErr) return;
    DoEdgingWith(window, settings);
}
