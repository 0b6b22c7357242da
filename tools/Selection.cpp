// The selection model: lifting, moving, dropping and exchanging.
#include "tools/Selection.h"

void DoSelect(WindowRef, Point, Boolean, Boolean, Boolean) {}
void DoSelectMain(WindowRef, UniqueRgn) {}
void UpdatePSRgn(PaintWinRec*) {}
void MoveSelection(WindowRef, SInt16, SInt16, Boolean) {}
void MoveSelectionByKey(WindowRef, UInt8, EventModifiers) {}
void FixSelection(WindowRef) {}
void ExchangeSelection(WindowRef) {}
void ExchangeSelectionMain(PaintWinRec*) {}
void SelectWholePicture(WindowRef) {}
