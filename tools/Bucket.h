// The bucket tool: fills the connected area of one colour (or of
// transparency) with the current pattern, or with Command replaces the
// clicked colour everywhere.
#pragma once

#include "paint/PaintWindow.h"
#include "palettes/PatternPalette.h"  // the current fill pattern
#include "platform/raster/Regions.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

// A bucket click at a point of the window (local coordinates).
void DoBucket(WindowRef window, Point localPt, Boolean command);

// The pieces of a fill, on the document alone (no window, no undo):
// The area a fill from imagePt (offPort coordinates, that is less selOffset
// while floating) covers: the pixels connected to it of its exact colour, or
// the connected transparent pixels, never running from opaque white into
// transparency. Empty when the point lies outside selRect. memFullErr when
// the bit map or the region cannot be made.
[[nodiscard]] OSErr MakeBucketRegion(PaintWinRec* rec, Point imagePt, RgnHandle area);
// Fills the area of offPort with the current pattern in the current and
// background colours and sets the mask there by their transparency.
void FillBucketRegion(PaintWinRec* rec, RgnHandle area);

// Whether the point lies in the mask buffer's bounds with its bit set.
Boolean RealPtInMask(Point pt, GWorldPtr mask);

// The colour tools' share of a click in the picture (the tool dispatch's
// hook for the tools it does not draw itself): the eyedropper (tool 3) and
// the bucket (tool 4, Command replacing). False for any other tool.
Boolean ClickColorTool(WindowRef window, Point localPt, const EventRecord* event, SInt16 tool);
