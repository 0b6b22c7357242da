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
void GrabScrollPaintWindow(WindowRef window, Point localPt);
void ResizePaintWindow(WindowRef window, Point globalPt);
void ResizePaintWindowMain(WindowRef window);
void ZoomPaintWindow(WindowRef window, WindowPartCode part);
void DispPaintMask(WindowRef window);
void ClickPaintWindow(WindowRef window, Point localPt, const EventRecord* event);
// The tool dispatch for a click in the image area; the painting tools hook in here.
using PaintClickProcPtr = void (*)(WindowRef window, Point localPt, const EventRecord* event);
void SetPaintClickProc(PaintClickProcPtr proc);
