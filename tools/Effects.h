// The image effects of the Effect menu: the tone effects (darken, lighten,
// fill, antialias, edging) that change pixels where they are, and the
// geometric ones (rotate, flips, wind, dot picture) that move them. Each acts
// on the front paint window's whole picture, or on the floating selection's
// lifted pixels in offPort, as one undoable step.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Windows.h"

// Dialogs of the effects.
enum : SInt16 { kDotPictureDialog = 130, kEdgingDialog = 132, kRotateDialog = 138, kWindDialog = 139 };

// --- EffectCommon.cpp: what every effect shares ------------------------------

// The pixels an effect acts on, in offPort coordinates: the whole picture, or
// the floating selection's shape moved back over its lifted pixels.
struct EffectTarget {
    Rect rect{};     // selRect
    UniqueRgn rgn;   // picRect, or selRgn less selOffset
};
// False, after a beep, when there is nothing to act on (no buffers, or an
// empty selection).
Boolean GetEffectTarget(PaintWinRec* rec, EffectTarget* target);
// Records the undo state; when that fails says so (memory alert), forgets
// the last undo step and answers false, the picture untouched.
Boolean BeginEffect(WindowRef window);
// The end of an effect: updateRgn = selRgn, redraw, usage counter, the
// transparency marks, the undo mode and the document-colours palette check.
void FinishEffect(WindowRef window, int usedIndex, SInt16 undoMode);
// Sets the mask bit of every pixel of `r` that is not white in offPort (the
// rule of CreateMask2 applied in place, so it needs no buffer and cannot fail).
void OrNonWhiteIntoMask(PaintWinRec* rec, const Rect& r);
// Copies srcRect of `from` onto dstRect of `to` in `mode` with the blend
// weight or pin `op`, through `clip` when given.
void CopyWithOp(GWorldPtr from, GWorldPtr to, const Rect& srcRect, const Rect& dstRect, SInt16 mode,
                const RGBColor& op, RgnHandle clip = nullptr);

// Dialog helpers of the settings dialogs.
ControlRef EffectItemControl(DialogRef d, DialogItemIndex item);
SInt16 EffectItemValue(DialogRef d, DialogItemIndex item);
void SetEffectItemValue(DialogRef d, DialogItemIndex item, SInt16 value);
// Marks item first + chosen of the radio group first..last and clears the others.
void SetRadioGroup(DialogRef d, DialogItemIndex first, DialogItemIndex last, SInt16 chosen);
// A whole number typed as text, spaces around it allowed, within ±1 000 000;
// false for anything else.
Boolean ParseWholeNumber(ConstStr255Param text, SInt32* value);
// Settings records persist as big-endian bytes.
SInt16 PrefShort(const UInt8* bytes);
void PutPrefShort(UInt8* bytes, SInt16 value);

// --- ToneEffects.cpp -----------------------------------------------------------

void DoDarken(WindowRef window);
void DoLighten(WindowRef window);
void DoFill(WindowRef window);
void DoAntialias(WindowRef window);
// The pixel work of antialias: `r` of `picture` blurred into `r` of `dst`
// through `mix`, a 24-bit buffer that covers r (it is cleared first).
void AntialiasPixels(GWorldPtr picture, GWorldPtr mix, GWorldPtr dst, const Rect& r);

// --- Edging.cpp ----------------------------------------------------------------

struct EdgeSettings {
    SInt16 width = 1;        // 0 to 32767
    SInt16 opacityItem = 1;  // 1 = 100 %, 2 = 75 %, 3 = 50 %, 4 = 25 %
    SInt16 shape = 1;        // 1 outline, 2 oval, 3 and 4 triangles, 5 diamond, 6 and 7 diagonals
};
EdgeSettings GetEdgeSettings();  // gEdgePrefs, each field brought into range
void DoEdging(WindowRef window);
// Steps after the dialog: the edge drawn with `settings`.
void DoEdgingWith(WindowRef window, const EdgeSettings& settings);
// Draws the shape with the current port's pen (sized by the caller) over selRect.
void DoEdgingMain(PaintWinRec* rec, const EdgeSettings& settings);
// 0 with the settings stored in gEdgePrefs, paramErr for a width outside
// 0..32767 (after a beep), userCanceledErr for Cancel.
[[nodiscard]] OSErr ConfigureEdging(EdgeSettings* settings);

// --- Rotate.cpp ----------------------------------------------------------------

// sin and cos of a whole angle of 0 to 360 degrees in units of 1/32768.
Boolean GetSinCos(SInt16 angle, SInt32* sine, SInt32* cosine);
// The angle typed (0 to 359, stored in gAngle), or userCanceledErr.
SInt16 ConfigureRotate();
void DoRotate(WindowRef window);
// Steps after the dialog: rotates by `angle` (0 to 359) clockwise.
void RotateByAngle(WindowRef window, SInt16 angle);

// --- RotatePixels.cpp: the pixel work of a rotation --------------------------

// The rotated bounds of `r` (the extremes of its rotated corners) grown by
// one pixel on every side.
Rect RotatedBounds(const Rect& r, SInt32 sine, SInt32 cosine);
struct RotationMaps {
    const PixMap* src = nullptr;          // the picture before the rotation
    const PixMap* srcMask = nullptr;
    const PixMap* sourceShape = nullptr;  // 1 bit over sourceRect; none: all of it
    Rect sourceRect{};
    const PixMap* dst = nullptr;          // of src's depth, covering the new rectangle
    const PixMap* dstMask = nullptr;
    const PixMap* shape = nullptr;        // 1 bit over the new rectangle, cleared
};
// Every pixel of newRect in dst takes the nearest pixel of src in the source
// shape, turned clockwise by the angle of sine and cosine (1/32768 units),
// and its bit is set in shape; dstMask's bits follow srcMask.
void ResampleRotation(const RotationMaps& maps, const Rect& newRect, SInt32 sine, SInt32 cosine);

// --- Flip.cpp ------------------------------------------------------------------

void FlipHorizontal(WindowRef window);
void FlipVertical(WindowRef window);
// The pixel work of both flips: span of src and srcMask onto the mirrored
// span of dst and dstMask (all four of the same bounds).
void FlipPixels(const PixMap& src, const PixMap& srcMask, const PixMap& dst, const PixMap& dstMask, const Rect& span,
                Boolean horizontal);
// Mirror a region in place within `bounds`.
void FlipHorizontalRgn(RgnHandle region, const Rect* bounds);
void FlipVerticalRgn(RgnHandle region, const Rect* bounds);

// --- Wind.cpp ------------------------------------------------------------------

struct WindSettings {
    SInt16 direction = 0;  // 0 towards the right, 1 towards the left
    SInt16 strength = 0;   // 0 or 1
};
WindSettings GetWindSettings();
[[nodiscard]] OSErr ConfigureWind(WindSettings* settings);
void DoWind(WindowRef window);
void DoWindWith(WindowRef window, const WindSettings& settings);

// --- DotPicture.cpp ------------------------------------------------------------

struct DotPictureSettings {
    SInt16 background = 0;  // 0 white, 1 the current colour, 2 the picture itself
    Boolean fade = false;   // with background 2: the picture halved towards white
    SInt16 spacing = 0;     // 0 to 3
};
DotPictureSettings GetDotPictureSettings();
[[nodiscard]] OSErr ConfigureDotPicture(DotPictureSettings* settings);
void DoDotPicture(WindowRef window);
void DoDotPictureWith(WindowRef window, const DotPictureSettings& settings);
