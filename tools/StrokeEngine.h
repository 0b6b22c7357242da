// The stroke engine in steps, for PaintOffPort's tracking loop and for
// callers that supply the points themselves (benchmarks, replayed strokes).
// Points are pen points: image coordinates of the footprint's top-left
// pixel, that is the pointer's image position moved up and left by half the
// pen.
#pragma once

#include "platform/ui/Windows.h"

#include <memory>

struct Stroke;
struct StrokeDeleter {
    void operator()(Stroke* s) const;
};
using StrokeRef = std::unique_ptr<Stroke, StrokeDeleter>;

// Makes the stroke's buffers and sets the pen from offPort's drawing state
// (size, mode, OpColor); kind as for PaintOffPort. It draws nothing.
[[nodiscard]] OSErr BeginStroke(WindowRef window, SInt16 kind, StrokeRef* out);
// Draws the pen from one point to the other (a footprint when they are
// equal) and shows the changed area in the window and the preview at once.
void StrokeLine(Stroke* s, Point from, Point to);
// Writes the stroke into offPort and maskPort, sets updateRgn and lastPenPt
// and redraws. The stroke is spent afterwards.
void EndStroke(Stroke* s, Point last);
