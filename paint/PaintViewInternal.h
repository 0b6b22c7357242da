// Pieces the paint view's own files share.
#pragma once

#include "paint/PaintView.h"

// The part of the window's port that shows the image: the port rectangle
// without the 15-pixel scroll-bar strips at the right and bottom.
Rect PaintImageArea(WindowRef window);
// Pattern 128 of the application's resources, or grey without them.
Pattern MarqueePattern();
// Frames `outline` in the current port in pattern-xor with `pat`.
void FrameMarquee(RgnHandle outline, const Pattern& pat);
