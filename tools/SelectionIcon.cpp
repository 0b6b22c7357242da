// The selection as icon data.
#include "tools/Selection.h"

void ReduceRect(Rect*, SInt16) {}
Handle GetSelectionIconHandle(WindowRef, SInt16, SInt16, Boolean) { return nullptr; }
