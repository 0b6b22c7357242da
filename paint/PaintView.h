// The paint view: magnification, mapping window points to pixels, the zoomed
// picture with its grid, the rulers, the corner indicators, scrolling,
// resizing and the mask view.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Events.h"

void ToRealPos(Point* pt, SInt16 ratio);
void ToGridPos(Point* pt, SInt16 ratio);
void FixToGrid(Point* pt);
void FixToGrid2(Point* pt);
// The zoom exponent clamped to 0..4 and lowered until the zoomed image and
// its scroll-bar strip fit in 16-bit window coordinates.
SInt16 FitRatio(const Rect* picRect, SInt16 ratio);

GWorldPtr MakePreviewImage(PaintWinRec* rec);            // dispPort itself without a background layer
GWorldPtr MakePaintImage(PaintWinRec* rec, RgnHandle clip);  // the caller disposes of it
void RedrawPaintWindow(WindowRef window, RgnHandle clip);
void RedrawPreviewWindow(WindowRef window);
// The preview window shows the front picture at 1:1 in at most
// kPreviewMaxSide pixels each way, always on the desktop; a larger picture
// shows the part round its paint window's view and follows it. Its drawing
// origin does the following, so drawing into it stays in picture coordinates.
inline constexpr SInt16 kPreviewMaxSide = 128;
// Content size, origin (0, 0), clipped to the content and invalidated, moved
// back onto the desktop where it runs past.
void SizePreviewWindow(SInt16 width, SInt16 height);
// For the front paint window: size, place, clip and scroll the preview, and invalidate it.
void FitPreviewWindow(WindowRef paintWindow);
// After the front paint window's view moved: scroll the preview with it.
void FollowViewInPreview(WindowRef paintWindow);
void DrawGridMain(SInt16 ratio, PaintWinRec* rec);
void DrawRuler(Point globalMouse);
void ResetRuler();
void DrawRatio(WindowRef window);
void DrawBackInfo(WindowRef window);
void ChangeRatio(WindowRef window, Point globalPt);
void ChangeRatioMain(WindowRef window, SInt16 ratio);
void UpdatePaintWindow(WindowRef window);
void SetScrollBarMax(WindowRef window);
void SetScrollBarRect(WindowRef window);
void DoScrollPaintWindow(Point localPt, WindowRef window);
// The scroll bars' action while tracking, and the picture moved with it.
void MyScrollHandler(ControlRef control, ControlPartCode part);
void ContentScroll(WindowRef window, ControlRef control, SInt16 delta);
void DoScrollPaintWindowMain(WindowRef window, SInt16 dh, SInt16 dv);
void DoScrollPaintWindowByKeys(WindowRef window, SInt16 charCode, EventModifiers modifiers);
// A turn of the mouse wheel: three 16-pixel steps a notch, vertically, or
// horizontally for the horizontal axis or with Shift.
void DoScrollPaintWindowByWheel(WindowRef window, UInt16 axis, SInt16 notches, EventModifiers modifiers);
void GrabScrollPaintWindow(WindowRef window, Point localPt);
void ResizePaintWindow(WindowRef window, Point globalPt);
void ResizePaintWindowMain(WindowRef window);
void ZoomPaintWindow(WindowRef window, WindowPartCode part);
void DispPaintMask(WindowRef window);
void ClickPaintWindow(WindowRef window, Point localPt, const EventRecord* event);
// The tool dispatch for a click in the image area; the painting tools hook in here.
using PaintClickProcPtr = void (*)(WindowRef window, Point localPt, const EventRecord* event);
void SetPaintClickProc(PaintClickProcPtr proc);
