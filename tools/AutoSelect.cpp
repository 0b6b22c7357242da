// Content, stroke and colour selections.
#include "tools/Selection.h"

OSErr CreateMask(GWorldPtr, const Rect*, const Rect*, BitMap*) { return paramErr; }
void DoAutoSelect(WindowRef) {}
void DoSelectColorArea(WindowRef, const RGBColor*, Boolean) {}
