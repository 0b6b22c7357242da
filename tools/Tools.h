// The tool state and the freehand tools: which tool is chosen, the pen and
// eraser sizes, the pencil's transparency, the current and background
// colours, and the stroke engine shared by the pencil and the eraser.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

enum : SInt16 { kPencilTool = 0, kEraserTool = 1, kSelectionTool = 2, kEyedropperTool = 3, kBucketTool = 4 };
// Kinds of PaintOffPort.
enum : SInt16 { kPaintCurrentColor = 1, kPaintBackColor = 2, kPaintTransparent = 3 };

void ClickPaintWindowMain(WindowRef window, Point localPt, const EventRecord* event);
void ToolSelect(SInt16 tool);
void ClickToolPalette(Point localPt, UInt32 when);
void DoubleClickTool(SInt16 tool);
void ChangePenSize();
void ChangeEraserSize();
Boolean ChangePESize(SInt16* width, SInt16* height);
void ChangeMode(SInt16 item);
void ChangeTransparency();
void ChangeColor(const RGBColor* color, Boolean transparent);
void ChangeBackColor(const RGBColor* color, Boolean transparent);
void DoPaint(WindowRef window, Point localPt, Boolean shift);
// Paints one pen footprint with its top-left at an image point; a run of
// them is one undo step.
void DoDotPaintMain(WindowRef window, Point pt);
void DoErase(WindowRef window, Point localPt, Boolean shift);
[[nodiscard]] OSErr PaintOffPort(WindowRef window, SInt16 kind, Point start, Boolean shift);
// The transfer mode that shows the foreground at its transparency level over
// a background (blend with the level's weight set by OpColor), else copy.
SInt16 SetForeBlend(PaintWinRec* rec);
void RedrawInfo(WindowRef window);
void ClickInfoWindow(Point localPt);
void HandleBlendChoice(SInt16 item);

// Installs ClickPaintWindowMain as the paint windows' tool dispatch; start-up calls it.
void InitTools();
// The selection tool takes its clicks through this hook (tool is the one in
// force, Option already applied); the eyedropper and the bucket are called directly.
using OtherToolClickProcPtr = void (*)(WindowRef window, Point localPt, const EventRecord* event, SInt16 tool);
extern OtherToolClickProcPtr gOtherToolClickProc;
// Dropping a floating selection (FixSelection of the selection tools).
using FixSelectionProcPtr = void (*)(WindowRef window);
extern FixSelectionProcPtr gFixSelectionProc;
// Drops the front paint window's floating selection before `tool` is chosen,
// unless the tool preferences keep it or the tool works on selections.
void DropSelectionForTool(SInt16 tool);
