// The rubber band, the marquee and dragging the selection.
#include "tools/Selection.h"

void SortRect(Rect*, Boolean) {}
void TrackMarquee(WindowRef, Rect*, Boolean) {}
void DispSelection(WindowRef) {}
void DispSelectionMain(WindowRef, Boolean, Boolean) {}
Boolean DragSelection(WindowRef, Point, Point* delta, Boolean) {
    if (delta) *delta = Point{0, 0};
    return false;
}
