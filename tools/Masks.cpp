// The mask commands.
#include "tools/Selection.h"

void ChangeMask(WindowRef, SInt16) {}
void ToggleSelectionBlend(WindowRef) {}
Boolean MaskIsOpaqueSelection(PaintWinRec*) { return false; }
Boolean MaskIsWhiteTransparent(PaintWinRec*) { return false; }
Boolean PtInMask(Point, PaintWinRec*) { return false; }
